// Activity-bound propagation that explains what it derives: every column
// bound it tightens remembers the row and the bounds it came from, so that
// when a row can no longer be met, or a column's bounds cross, the rows and
// original column bounds behind it are an infeasible subsystem. It costs a
// few passes over the matrix, far less than the LP solve that would
// otherwise prove the problem infeasible, and finds the conflicts that a
// bound tightened against a few rows makes.
#pragma once

#include <vector>

#include "model/store.h"

namespace qrva {

// The members behind a conflict, numbered as the subsystem search numbers
// them (row i is i; the lower bound of column j is m + 2j, its upper bound
// m + 2j + 1), increasing. Empty when the propagation finds no conflict
// within its work limit, or when the problem has rows it does not read
// (quadratic or indicator rows). A conflict is found in floating point:
// the caller confirms it by a solve.
std::vector<int> boundConflict(const ProblemStore &s, double feastol);

}  // namespace qrva
