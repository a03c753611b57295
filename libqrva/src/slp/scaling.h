// Scaling of the linearizations of a nonlinear solve: row and column
// factors (powers of two) that bring the matrix entries of a linearization
// (the problem's linear part and the formulas' derivatives) near 1, the
// linearization handed to HiGHS in those units, and its results taken back
// to the problem's units.
#pragma once

#include <string>
#include <vector>

#include "highs/subproblem.h"

namespace qrva {
namespace nlp {

struct Scaling {
  std::vector<double> row, col;  // a linearization's row i is multiplied by row[i], ...
  double smallest = 0.0, largest = 0.0;              // |entries| before (0: no entries)
  double scaledSmallest = 0.0, scaledLargest = 0.0;  // and after
  bool fits(const Subproblem &sp) const {
    return row.size() == sp.rowLower.size() && col.size() == sp.cost.size();
  }
};

// Geometric-mean factors of sp's matrix, rows and columns in turn, rounded
// to powers of two (so that scaling loses no digits).
Scaling scalingOf(const Subproblem &sp);

// The entries' range before and after, for the log.
std::string scalingSummary(const Scaling &f);

// sp in scaled units: column j stands for x_j / col[j], row i is row[i]
// times the row. Infinite bounds stay infinite.
void scale(const Scaling &f, Subproblem &sp);

// The results of a solve of the scaled sp in sp's own units.
void unscale(const Scaling &f, LpResult &r);

}  // namespace nlp
}  // namespace qrva
