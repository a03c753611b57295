// Solves with the basis matrix of a problem's current basis. B has one
// column per basic variable in the order of the combined numbering (basic
// slacks by row, then basic columns by column index); a slack's column is
// the unit vector of its row, a column's is its matrix column. This order
// is fixed by the basis alone, so callers can build B themselves.
#pragma once

#include <vector>

#include "analysis/relaxation.h"

namespace qrva {

class BasisSolver {
 public:
  // Fails when p has no basis or HiGHS cannot factorise it.
  BasisSolver(qrva_problem_s &p, const Check &chk);
  int rows() const { return static_cast<int>(order_.size()); }
  // vec (rows() entries) becomes B^-1 vec / B^-T vec.
  void ftran(double *vec) const;
  void btran(double *vec) const;
  // Basic variable at position k: a column index, or -1-row for a slack.
  int basicAt(int k) const { return basic_[order_[k]]; }

 private:
  const Check &chk_;
  HighsHandle h_;
  std::vector<int> basic_;  // HiGHS's basic variables in its own positions
  std::vector<int> order_;  // order_[k]: HiGHS's position of our position k
  mutable std::vector<double> work_;
  mutable std::vector<int> index_;
};

// The measure of the basis matrix that QRVAbasisstability reports (type and
// norm as defined in qrva.h); rowScale and colScale, when not empty, are the
// factors (not exponents) of the scaled problem R A C whose basis is measured.
double basisStability(qrva_problem_s &p, const Check &chk, int type, int norm,
                      const std::vector<double> &rowScale, const std::vector<double> &colScale);

}  // namespace qrva
