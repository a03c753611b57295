// The nonlinear solver: successive linear programming on HiGHS with a trust
// region. Each iteration linearizes every nonlinear part of the rows (formula
// coefficients and quadratic row terms) and of the objective (its quadratic
// part) at the current point, bounds the step of every nonlinear column,
// gives every nonlinear row error vectors priced by a penalty (so the
// linearization always solves), and judges the step by an exact penalty
// merit function: good steps are taken and widen the step bounds, bad ones
// are refused and narrow them. With the second-order control on, the LP gets
// a quadratic term from quasi-Newton (damped BFGS) updates of the
// Lagrangian's curvature, which HiGHS solves as a convex QP. Where the
// linearization sees no better point although one may exist (rows or the
// objective flat to first order, as x^2 >= 1 at 0), moves along the columns
// judged by the same merit take the solve on.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "slp/problem.h"

namespace qrva {

// NLP statuses (attribute QSLP_NLPSTATUS).
enum NlpStatus {
  kNlpUnstarted = QSLP_NLP_UNSTARTED,
  kNlpLocallyOptimal = QSLP_NLP_LOCALLY_OPTIMAL,
  kNlpGloballyOptimal = QSLP_NLP_GLOBALLY_OPTIMAL,
  kNlpLocallyInfeasible = QSLP_NLP_LOCALLY_INFEASIBLE,
  kNlpInfeasible = QSLP_NLP_INFEASIBLE,
  kNlpUnbounded = QSLP_NLP_UNBOUNDED,
  kNlpUnfinished = QSLP_NLP_UNFINISHED,
};

struct NlpSettings {
  int iterLimit = 1000, log = 1;
  bool echoLpLog = true, secondOrder = true;
  bool cascade = false;  // cascade the point before every iteration (slpcascade)
  double feasTol = 1e-6, convTol = 1e-6, penaltyCost = 1000.0, timeLimit = 1e20;
  int sense = 1;  // 1 minimize, -1 maximize
  bool scale = false;  // scale the linearizations (slpscale)
  // The error vectors keep this penalty for the whole solve (QSLPfixpenalties).
  bool penaltyFixed = false;
  double fixedPenalty = 0.0;
  // A point to start from instead of the initial values (one value per
  // column, moved into the bounds; empty: startingPoint). A start where a
  // formula cannot be evaluated falls back to startingPoint.
  std::vector<double> start;
};

// The name of an NLP status in the log ("locally optimal", ...).
const char *nlpStatusName(int status);

// Settings from an SLP problem's controls.
NlpSettings settingsOf(const qslp_problem_s &slp);

struct NlpOutcome {
  int nlpStatus = kNlpUnstarted, stopStatus = 0, iterations = 0;
  int64_t lpIterations = 0;  // simplex and QP iterations of the linearizations
  double objective = 0.0;
  double kkt = 0.0;  // KKT residual at the last linearization (see slpconvtol)
  std::vector<char> converged;  // per column, at the last convergence test (empty: none made)
  SlpSolution solution;
};

// Starting values of the columns: SLP initial values where given, else 0;
// moved into the bounds, and for columns in nonlinear parts (when
// nonlinearCols is given) a little inside them, where formulas such as
// log(x) or sqrt(x) are defined and differentiable.
std::vector<double> startingPoint(const ProblemStore &s, const SlpStore *slp,
                                  const std::vector<char> *nonlinearCols);

// Solves the problem of p with the formula coefficients of slp (may be
// null: quadratic rows and objective only); while slp is presolved
// (QSLP_STATUS_PRESOLVED), its presolved problem, with the results on p's
// own rows and columns. Throws Failure for problems the
// engine does not take (discrete columns, sets, indicators) and for a
// starting point where a formula cannot be evaluated. relaxed: solve the
// continuous relaxation (discrete columns and sets ignored). The caller
// holds a SigintGuard for p around the whole call.
NlpOutcome solveNonlinear(qrva_problem_s &p, qslp_problem_s *slp, const NlpSettings &settings,
                          const Check &chk, bool relaxed = false);

// solveNonlinear of the problem as it stands, without presolve.
NlpOutcome solveAsStored(qrva_problem_s &p, qslp_problem_s *slp, const NlpSettings &settings,
                         const Check &chk, bool relaxed);

// Records a finished solve on the SLP problem: statuses, iterations,
// objective, time, solution and the SLP variables' values.
void recordNonlinearSolve(qslp_problem_s &slp, NlpOutcome out, double seconds);

// Whether the optimizer's own solves must go through this solver: the
// problem has quadratic rows, or formula coefficients in its SLP problem.
bool needsNonlinearSolver(const qrva_problem_s &p);

// QRVAlpoptimize / QRVAmipoptimize of such a problem: the nonlinear solve
// with the optimizer problem's objective sense, reported as the optimizer's
// statuses, objective and solution. QRVAmipoptimize of one with discrete
// parts runs the tree search of tree/minlp_search.h.
int solveThroughSlp(qrva_problem_s &p, const char *function, bool mip);

}  // namespace qrva
