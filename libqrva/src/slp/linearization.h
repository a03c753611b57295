// The subproblem of one iteration of the nonlinear solver (an LP, or a QP
// with the quasi-Newton term), its predicted merit, and the projection of a
// start onto the linear rows.
#pragma once

#include <vector>

#include "highs/subproblem.h"
#include "slp/quasi_newton.h"

namespace qrva {
namespace nlp {

// The linearization at point pt: columns 0..n-1 are the problem's columns
// (nonlinear ones boxed by their step bounds), then two error vectors per
// nonlinear row priced by the penalty.
Subproblem linearization(const Nlp &nlp, const Point &pt, const std::vector<double> &stepBound,
                         double penalty, const QuasiNewton *qn);

// Objective (sense-adjusted) plus linearized violation of the model at x.
double modelMerit(const Nlp &nlp, const Point &pt, const std::vector<double> &x, double penalty,
                  const QuasiNewton *qn, double &linearViolation);

// The problem with every nonlinear row dropped and the nonlinear columns
// kept as close to x0 as the linear rows allow: a start that the linear
// rows accept.
Subproblem linearProjection(const Nlp &nlp, const std::vector<double> &x0);

}  // namespace nlp
}  // namespace qrva
