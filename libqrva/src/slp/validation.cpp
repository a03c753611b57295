#include "slp/validation.h"

#include <algorithm>
#include <cmath>

#include "highs/solver.h"
#include "highs/subproblem.h"
#include "slp/convergence.h"
#include "slp/linearization.h"
#include "slp/solver.h"

namespace qrva {
namespace {

// The problem as the solver sees it, but with every row's own bounds:
// validation judges the problem, not the SLP settings that steer a solve.
nlp::Nlp described(qslp_problem_s &slp, const Check &chk) {
  slp.restoreLinearPart();
  const ProblemStore &s = *slp.qprob->store;
  nlp::Nlp nlp = nlp::describe(s, slp.store.get(), chk, true);
  for (int i = 0; i < nlp.m; ++i) rowBounds(s, i, nlp.lo[i], nlp.hi[i]);
  nlp.call = userFunctionCaller(slp);
  nlp.counts = &slp.evaluations;
  return nlp;
}

void evaluated(const nlp::Nlp &nlp, nlp::Point &pt, bool gradients, const Check &chk) {
  nlp::evaluate(nlp, pt, gradients);
  if (!pt.ok) chk.fail(pt.error + " at the point validated", QRVA_ERR_STATE);
}

// v moved onto lo or hi when it lies within tol of it (relative to
// max(1, |bound|)).
double snapped(double v, double lo, double hi, double tol) {
  if (nlp::finite(lo) && std::fabs(v - lo) <= tol * std::max(1.0, std::fabs(lo))) return lo;
  if (nlp::finite(hi) && std::fabs(v - hi) <= tol * std::max(1.0, std::fabs(hi))) return hi;
  return v;
}

}  // namespace

PointCheck checkPoint(qslp_problem_s &slp, const std::vector<double> &x, const Check &chk,
                      int row, std::string *report) {
  nlp::Nlp nlp = described(slp, chk);
  nlp.determined.clear();  // the point is taken as given
  nlp::Point pt;
  pt.x = x;
  evaluated(nlp, pt, false, chk);
  const ProblemStore &s = nlp.s;
  PointCheck c;
  c.objective = pt.objective;
  auto add = [&](double v, double lo, double hi, const std::string &where) {
    double a = nlp::violationOf(v, lo, hi), r = nlp::scaledViolation(v, lo, hi);
    c.sumInf += a, c.sumScaledInf += r;
    if (a > c.worstAbs) c.worstAbs = a, c.worstWhere = where;
    c.worstRel = std::max(c.worstRel, r);
  };
  for (int i = 0; i < nlp.m; ++i)
    if (row < 0 || i == row) add(pt.activity[i], nlp.lo[i], nlp.hi[i], formatText("row %d", i));
  if (row < 0)
    for (int j = 0; j < nlp.n; ++j) add(x[j], s.lb[j], s.ub[j], formatText("column %d", j));
  if (report && row >= 0) {
    double nonlinear = 0.0;
    for (size_t k = 0; k < nlp.rows.size(); ++k)
      if (nlp.rows[k].row == row) nonlinear = pt.nlValue[k];
    *report = formatText("row %d: linear part %.12g, nonlinear part %.12g, activity %.12g, "
                         "bounds [%g, %g], violation %g (relative %g)",
                         row, pt.activity[row] - nonlinear, nonlinear, pt.activity[row],
                         nlp.lo[row], nlp.hi[row], c.worstAbs, c.worstRel);
  }
  return c;
}

double kktOfSolution(qslp_problem_s &slp, SlpSolution &sol, const KktCheck &how,
                     const Check &chk) {
  nlp::Nlp nlp = described(slp, chk);
  nlp.sense = sol.sense;
  nlp::Point pt;
  pt.x = sol.x;
  evaluated(nlp, pt, true, chk);
  NlpSettings settings = settingsOf(slp);
  std::vector<double> y(nlp.m);
  if (how.mode == 0) {
    // The solution holds them for the problem's sense; the residual wants
    // them for the sense-adjusted objective.
    for (int i = 0; i < nlp.m; ++i) y[i] = nlp.sense * sol.dual[i];
  } else {
    // Small step bounds: the linearization is then true to the problem,
    // and its multipliers are those of the point.
    std::vector<double> stepBound;
    for (int j : nlp.nonlinearCols) stepBound.push_back(1e-3 * std::max(1.0, std::fabs(pt.x[j])));
    LpRunner lp(*slp.qprob, false, settings.feasTol);
    LpResult r = lp.run(nlp::linearization(nlp, pt, stepBound,
                                                std::max(settings.penaltyCost, 1e-6), nullptr, false),
                             nlp::kInf);
    if (r.outcome != LpOutcome::Optimal)
      chk.fail(formatText("HiGHS could not solve the linearization at the solution (model "
                          "status %d)",
                          r.modelStatus),
               QRVA_ERR_SOLVER);
    nlp::restoreSubstituted(nlp, r.dual, r.dj);
    y.assign(r.dual.begin(), r.dual.begin() + nlp.m);
    if (how.updateMultipliers) {
      for (int i = 0; i < nlp.m; ++i) sol.dual[i] = nlp.sense * r.dual[i];
      for (int j = 0; j < nlp.n; ++j) sol.dj[j] = nlp.sense * r.dj[j];
    }
  }
  if (how.atBoundWithinTolerance) {
    const ProblemStore &s = nlp.s;
    for (int j = 0; j < nlp.n; ++j) pt.x[j] = snapped(pt.x[j], s.lb[j], s.ub[j], settings.feasTol);
    for (int i = 0; i < nlp.m; ++i)
      pt.activity[i] = snapped(pt.activity[i], nlp.lo[i], nlp.hi[i], settings.feasTol);
  }
  return nlp::kktResidual(nlp, pt, y).worst();
}

}  // namespace qrva
