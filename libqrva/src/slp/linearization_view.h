// The linearization of the nonlinear rows at a point, written into the
// optimizer problem's own matrix and right-hand sides so that its getters
// show the linear problem of that point (QSLPupdatelinearization); and the
// record that puts the problem's true linear part back before the engine
// reads the problem again.
#pragma once

#include <vector>

struct qslp_problem_s;

namespace qrva {

class Check;

// What a written linearization changed: each matrix element and right-hand
// side with its value before and the value written. An element or side the
// user changed since keeps the user's value when the rest is put back.
struct LinearizationView {
  struct Element {
    int row, col;
    double original, written;
  };
  struct Side {
    int row;
    double original, written;
  };
  std::vector<Element> elements;
  std::vector<Side> sides;
  bool empty() const { return elements.empty() && sides.empty(); }
};

// Writes the linearization of slp's formula coefficients at its current
// point (the last nonlinear solution, else the initial values): row i's
// element of column j becomes its linear coefficient plus the formula
// part's derivative there, and its right-hand side moves by the formula
// part's value less the derivatives times the point. Quadratic row terms
// stay the optimizer's own. A linearization written before is put back
// first. Fails (chk), changing nothing, where a formula cannot be evaluated.
// Returns the number of rows linearized.
int writeLinearization(qslp_problem_s &slp, const Check &chk);

// Puts back what writeLinearization changed (see LinearizationView).
void restoreLinearization(qslp_problem_s &slp);

}  // namespace qrva
