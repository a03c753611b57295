// The LP (or convex QP) of one tree-search worker: a HiGHS instance that
// holds the relaxation of the problem, passed once. Nodes change column
// bounds, the bounds of indicator rows and the cut rows appended after the
// original rows; the basis of the last solve stays in HiGHS, so a child
// re-optimises from its parent's basis, and a node taken from the queue
// gets its parent's basis back through setBasis.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

#include "core/validate.h"
#include "model/problem.h"

namespace qrva {

// A basis of a node LP: HiGHS's status per column and per row.
struct LpBasis {
  std::vector<signed char> cols, rows;
};

// A row of the LP beyond the original ones (a cut or a branching row):
// lower <= sum vals[k] x[cols[k]] <= upper.
struct LpRow {
  std::vector<int> cols;
  std::vector<double> vals;
  double lower = -1e20, upper = 1e20;
};

class NodeLp {
 public:
  enum class Status { Optimal, Infeasible, Unbounded, Stopped, Failed };

  // The relaxation of p's store: columns with relaxLo/relaxHi as bounds,
  // rows as in the store (rowLo/rowHi), the quadratic objective if any.
  NodeLp(const qrva_problem_s &p, const std::vector<double> &relaxLo,
         const std::vector<double> &relaxHi, const std::vector<double> &rowLo,
         const std::vector<double> &rowHi);
  ~NodeLp();
  NodeLp(const NodeLp &) = delete;
  NodeLp &operator=(const NodeLp &) = delete;

  int cols() const { return ncols_; }
  int rows() const { return nrows_; }

  void setColBounds(const std::vector<int> &cols, const std::vector<double> &lo,
                    const std::vector<double> &hi);
  void setRowBounds(const std::vector<int> &rows, const std::vector<double> &lo,
                    const std::vector<double> &hi);
  void addRows(const std::vector<const LpRow *> &rows);
  // Deletes the rows from first to the last one.
  void truncateRows(int first);

  // Solves from the basis HiGHS holds; iterLimit < 0: no limit; seconds:
  // time left (1e20 none). stop is polled at HiGHS's interrupt points.
  Status solve(int64_t iterLimit, double seconds, const std::atomic<int> *stop);
  double objective() const { return objective_; }  // in the problem's own sense
  int64_t iterations() const { return iterations_; }
  const std::vector<double> &x() const { return x_; }
  const std::vector<double> &rowValues() const { return rowValue_; }
  const std::vector<double> &duals() const { return rowDual_; }
  const std::vector<double> &reducedCosts() const { return colDual_; }

  std::shared_ptr<const LpBasis> basis() const;
  // Loads a basis saved at another node; rows it does not know start basic.
  void setBasis(const LpBasis &b);
  bool hasBasis() const;

  // After an optimal simplex solve, the ingredients of the tableau: the
  // basic variable of each basis position (a column, or -1-i for the
  // activity of row i) and a position's row of the basis inverse.
  bool basicVariables(std::vector<int> &out) const;
  bool basisInverseRow(int position, std::vector<double> &out) const;
  // The LP's rows as HiGHS holds them (cuts included): bounds (+-1e20 where
  // there is none) and elements row-wise.
  void rowData(std::vector<double> &lo, std::vector<double> &hi, std::vector<int> &start,
               std::vector<int> &index, std::vector<double> &value) const;
  bool quadratic() const { return quadratic_; }


 private:
  void *h_;
  int ncols_, nrows_;
  bool quadratic_;
  double objective_ = 0.0;
  int64_t iterations_ = 0;
  std::vector<double> x_, colDual_, rowValue_, rowDual_;
};

}  // namespace qrva
