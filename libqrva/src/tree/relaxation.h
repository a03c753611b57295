// The problem as the tree search sees it: the continuous relaxation (bounds
// of every column and row the node LPs start from) and the discrete
// conditions that the search enforces by branching: integer, binary,
// semi-continuous, semi-integer and partially integer columns, special
// ordered sets and indicator rows.
#pragma once

#include <atomic>
#include <set>
#include <string>
#include <vector>

#include "model/store.h"

namespace qrva {
namespace tree {

struct Relaxation {
  explicit Relaxation(const ProblemStore &s, double integralityTol, double feasibilityTol);

  const ProblemStore &store;
  std::vector<double> colLo, colHi;   // bounds of the relaxation
  std::vector<double> threshold;      // semi-continuous and semi-integer columns: the least
                                      // value above zero; partially integer: the limit
  std::vector<double> rowLo, rowHi;   // every original row as the problem states it
  std::vector<double> lpRowLo, lpRowHi;  // in the LP: indicator rows start free
  std::vector<int> indicatorRows;
  // Delayed rows and model cuts start out of the LP (free there) and join
  // it, for every node from then on, once a point violates them: delayed
  // rows when a candidate solution does, model cuts when a node's LP
  // solution does. markedOn is the search's record of those that joined;
  // workers on several threads set and read it, and a row only ever joins.
  std::vector<int> markedRows;
  std::vector<std::atomic<char>> markedOn;
  std::vector<std::vector<int>> setMembers;  // each set's columns in the order of their weights
  std::vector<char> discrete;         // columns the search must make integral or semi
  double intTol, feasTol;
  bool objectiveIntegral = false;     // every feasible point has an integral objective

  bool integral(double v) const;
  // Whether x breaks set k: its first and last non-zero positions (in the
  // order of weights) further apart than the set allows.
  bool setViolated(int k, const std::vector<double> &x, int &first, int &last) const;
  // Whether x (original columns) satisfies every bound, row, integrality,
  // semi-continuity, set and indicator condition; why gets the first
  // violation when it does not.
  bool feasible(const std::vector<double> &x, std::string *why = nullptr) const;
  // Activity of original row i at x.
  double activity(int i, const std::vector<double> &x) const;
  // Whether indicator row i is enforced by the bounds lo/hi of its column.
  bool indicatorForced(int i, const std::vector<double> &lo, const std::vector<double> &hi) const;
  bool indicatorActive(int i, const std::vector<double> &x) const;
  // Marks as joined the rows of the given set (delayed rows or model cuts)
  // not yet in the LP that x violates; returns how many.
  int joinViolated(const std::set<int> &rows, const std::vector<double> &x);
};

// What keeps an LP solution from being a solution of the problem.
struct Infeasibility {
  enum Kind { Integer, Semi, Set, Indicator } kind;
  int index;     // column, column, set or row
  double value;  // the column's value (sets: the weighted centre)
};

// The discrete conditions that x, the LP solution of a node with column
// bounds lo/hi and original row activities rowValue, violates.
void findInfeasibilities(const Relaxation &r, const std::vector<double> &x,
                         const std::vector<double> &rowValue, const std::vector<double> &lo,
                         const std::vector<double> &hi, std::vector<Infeasibility> &out);

}  // namespace tree
}  // namespace qrva
