// Tolerance sets: nine tolerances and a status word saying which of them are
// in force. A column whose SLP settings name a set has converged when the
// step the linearization proposes for it, and that step's effect on the
// rows and the objective, are within every tolerance in force; the
// solve has converged when the point is feasible, the row multipliers are
// complementary and every nonlinear column has converged (by its set, or
// by the default stationarity test against slpconvtol).
#pragma once

#include <array>
#include <vector>

#include "qslp.h"

namespace qrva {

const int kTolerances = 9;

struct ToleranceSet {
  int status = 0;  // bit k: tolerance k (QSLP_TOL_*) in force
  std::array<double, kTolerances> tol{};
};

// What one nonlinear column did at an iteration, as the tests of a set read it.
struct ColumnStep {
  double x = 0.0;          // its value
  double step = 0.0;       // the step proposed for it
  double stepBound = 0.0;  // its step bound at this iteration
  bool atStepBound = false;  // the step bound, not the model, stopped the step
  // Largest |dg_i/dx_j * step| over the rows it enters, absolute and
  // relative to max(1, |activity_i|).
  double rowImpact = 0.0, relRowImpact = 0.0;
  // |df/dx_j * step|, absolute and relative to max(1, |f|).
  double objImpact = 0.0, relObjImpact = 0.0;
  // The projected gradient of the Lagrangian: absolute, and relative to
  // the largest term of the gradients (as the default test measures it).
  double reducedCost = 0.0, relReducedCost = 0.0;
};

// Whether a step is within every tolerance of the set that is in force. A
// step that its step bound cut short says nothing about convergence: it
// meets no set with a tolerance in force.
bool withinTolerances(const ToleranceSet &set, const ColumnStep &c);

}  // namespace qrva
