// The subproblem of one iteration of the nonlinear solver (an LP, or a QP
// with the quasi-Newton term), its predicted merit, and the projection of a
// start onto the linear rows.
#pragma once

#include <vector>

#include "highs/subproblem.h"
#include "slp/quasi_newton.h"

namespace qrva {
namespace nlp {

// The linearization at point pt: columns 0..n-1 are the problem's columns,
// then two error vectors per nonlinear row priced by the penalty. A
// nonlinear column stands for its step d = x - pt, boxed by its step bound:
// near a solution the steps are many orders smaller than the columns'
// values, and a subproblem over the values themselves would lose them
// (with a quadratic term, to cancellation in 1/2 x'Bx - (B pt)'x). A free
// determined column (the objective's transfer column above all) is
// substituted out: its cost moves onto the other columns of its row through
// the row's linearization, and the row leaves the subproblem, which is then
// the step's own objective over the bounds, as HiGHS's QP solver handles
// best. pointOf gives the point of a subproblem's solution. A row's error
// vectors cost penalty times its weight; enforce leaves out those of the
// enforced rows.
Subproblem linearization(const Nlp &nlp, const Point &pt, const std::vector<double> &stepBound,
                         double penalty, const QuasiNewton *qn, bool enforce = true);
std::vector<double> pointOf(const Nlp &nlp, const Point &pt, const std::vector<double> &lpX);

// Whether the linearizations substitute d's column out; its row's
// multiplier is then the moved cost (sense-adjusted objective coefficient
// over the row's coefficient).
bool isSubstituted(const Nlp &nlp, const Nlp::Determined &d);

// The multipliers of the rows that substitution took out of a solved
// linearization (see isSubstituted), and the zero reduced costs of their
// columns.
void restoreSubstituted(const Nlp &nlp, std::vector<double> &dual, std::vector<double> &dj);

// Objective (sense-adjusted) plus linearized violation of the model at x.
// The determined columns of x take the values that satisfy their rows'
// linearizations, as evaluate gives them at a point: the subproblem meets
// those rows only to its feasibility tolerance, and that slack, priced by
// the penalty, would drown the predicted reduction near a solution.
double modelMerit(const Nlp &nlp, const Point &pt, std::vector<double> &x, double penalty,
                  const QuasiNewton *qn, double &linearViolation);

// The problem with every nonlinear row dropped and the nonlinear columns
// kept as close to x0 as the linear rows allow: a start that the linear
// rows accept.
Subproblem linearProjection(const Nlp &nlp, const std::vector<double> &x0);

}  // namespace nlp
}  // namespace qrva
