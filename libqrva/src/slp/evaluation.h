// Points of the nonlinear solver: values and gradients of the nonlinear
// parts, row activities, the objective and the rows' violations at x.
#pragma once

#include <string>
#include <vector>

#include "slp/description.h"

namespace qrva {
namespace nlp {

struct Point {
  std::vector<double> x;
  bool ok = false, stop = false;
  std::string error;
  std::vector<double> nlValue;  // nonlinear part of each nonlinear row
  std::vector<Sparse> nlGrad;   // and its gradient
  double objective = 0.0;       // the objective as given (not sense-adjusted)
  Sparse objGrad;               // gradient of the quadratic objective part
  std::vector<double> activity;
  double violation = 0.0;       // sum over nonlinear rows, each times its weight
  double worstScaled = 0.0;     // largest violation of any row, relative to its bound
};

// How far act lies outside [lo, hi]: absolute, and relative to the bound.
double violationOf(double act, double lo, double hi);
double scaledViolation(double act, double lo, double hi);

// Evaluates nlp at pt.x (with gradients when asked); pt.ok tells whether
// every value is finite, else pt.error says why (pt.stop: a user function
// asked the solve to stop). Determined columns take their values in pt.x.
void evaluate(const Nlp &nlp, Point &pt, bool gradients);

// Whether pt satisfies every linear row within tol (relative to its bound).
bool linearRowsHold(const Nlp &nlp, const Point &pt, double tol);

}  // namespace nlp
}  // namespace qrva
