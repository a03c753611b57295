#include "slp/solver.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <memory>

#include "highs/subproblem.h"
#include "multistart/runner.h"
#include "slp/cascade.h"
#include "slp/convergence.h"
#include "slp/events.h"
#include "slp/linearization.h"
#include "slp/presolve.h"
#include "slp/scaling.h"
#include "slp/userfunc.h"
#include "tree/minlp_search.h"

namespace qrva {
namespace nlp {
namespace {

const double kAcceptRatio = 1e-4;     // smallest actual/predicted reduction taken
const double kMinRadius = 1e-12;      // step bounds narrower than this end the solve
const double kMaxRadius = 1e8;
const double kPenaltyGrowth = 10.0;
const double kMaxPenaltyFactor = 1e7; // largest penalty, in units of the starting one
const size_t kMaxQuasiNewtonCols = 400;

// --- The iterations ------------------------------------------------------------------

class Solver {
 public:
  Solver(qrva_problem_s &p, Nlp &nlp, const NlpSettings &settings, const Check &chk,
         const SlpEvents &events)
      : p_(p), nlp_(nlp), set_(settings), chk_(chk), events_(events),
        lp_(p, settings.echoLpLog, settings.feasTol), started_(std::chrono::steady_clock::now()),
        exactRow_(nlp.m, 0) {
    // A row whose free determined column takes it exactly is never violated.
    for (const Nlp::Determined &d : nlp_.determined)
      if (isSubstituted(nlp_, d)) exactRow_[d.row] = 1;
  }

  // Cascade the determined columns of order before every iteration.
  void cascadeBeforeIterations(const qslp_problem_s &slp, std::vector<int> order) {
    cascadeSlp_ = &slp, cascade_ = std::move(order);
  }

  NlpOutcome run(const SlpStore *slp) {
    slp_ = slp;
    NlpOutcome out;
    Point cur;
    if (set_.start.size() == static_cast<size_t>(nlp_.n)) {
      cur.x = set_.start;
      for (int j = 0; j < nlp_.n; ++j) cur.x[j] = std::min(std::max(cur.x[j], s().lb[j]), s().ub[j]);
      evaluate(nlp_, cur, true);
    }
    if (!cur.ok || cur.x.empty()) {
      cur = Point();
      cur.x = startingPoint(nlp_.s, slp, &nlp_.isNonlinearCol);
      evaluate(nlp_, cur, true);
    }
    if (!cur.ok) {
      if (cur.stop) return stopped(out, cur, cur.error);
      chk_.fail(formatText("%s at the starting point; give the columns it uses initial values "
                           "where it is defined (QSLPchgvar)",
                           cur.error.c_str()),
                QRVA_ERR_STATE);
    }
    y_.assign(nlp_.m, 0.0), dj_.assign(nlp_.n, 0.0);
    std::vector<double> &y = y_, &dj = dj_;
    // From here on every path ends in finish(), which fires slpend and destroy.
    started_events_ = true;
    publish(cur, out);
    bool go = !events_.stage(SlpCallbackKind::Construct) && !events_.stage(SlpCallbackKind::SlpStart);
    if (go && !linearRowsHold(nlp_, cur, set_.feasTol)) {
      LpResult r = lp_.run(linearProjection(nlp_, cur.x), secondsLeft());
      ++out.iterations;
      if (r.outcome == LpOutcome::Infeasible) {
        log("SLP: the linear rows and bounds have no solution");
        out.nlpStatus = kNlpInfeasible;
        return finish(out, cur);
      }
      if (r.outcome == LpOutcome::Optimal) {
        cur.x.assign(r.x.begin(), r.x.begin() + nlp_.n);
        evaluate(nlp_, cur, true);
        if (!cur.ok) {
          if (cur.stop) return stopped(out, cur, cur.error);
          chk_.fail(formatText("%s at the nearest point that satisfies the linear rows",
                               cur.error.c_str()),
                    QRVA_ERR_STATE);
        }
      }
    }
    size_t nc = nlp_.nonlinearCols.size();
    std::vector<double> scale(nc);
    for (size_t a = 0; a < nc; ++a) {
      int j = nlp_.nonlinearCols[a];
      const SlpVariable *v = slp ? findVar(*slp, j) : nullptr;
      double autoUnit = v && v->initStepBound > 0 ? v->initStepBound : std::max(1.0, std::fabs(cur.x[j]));
      scale[a] = stepUnit(j, cur.x[j], autoUnit);
    }
    double radius = 1.0, penalty = std::max(set_.penaltyCost, 1e-6);
    double maxPenalty = penalty * kMaxPenaltyFactor;
    if (set_.penaltyFixed) {
      penalty = maxPenalty = std::max(set_.fixedPenalty, 1e-6);
      log(formatText("SLP: the error vectors' penalty is fixed at %g for this solve", penalty));
    }
    std::unique_ptr<QuasiNewton> qn;
    if (set_.secondOrder && nc > 0 && nc <= kMaxQuasiNewtonCols) qn.reset(new QuasiNewton(nc));
    std::vector<double> stepBound(nc);
    if (set_.log > 0)
      log(formatText("SLP: %d rows (%zu nonlinear), %d columns (%zu nonlinear)", nlp_.m,
                     nlp_.rows.size(), nlp_.n, nc));

    while (true) {
      if (inIteration_) endIteration(cur, out);
      if (int reason = p_.interruptReason.load()) {
        out.stopStatus = reason;
        out.nlpStatus = kNlpUnfinished;
        break;
      }
      if (out.iterations >= set_.iterLimit) {
        out.stopStatus = QRVA_STOP_ITERLIMIT, out.nlpStatus = kNlpUnfinished;
        break;
      }
      if (secondsLeft() <= 0.0) {
        out.stopStatus = QRVA_STOP_TIMELIMIT, out.nlpStatus = kNlpUnfinished;
        break;
      }
      if (cascadeCurrent(cur, out)) continue;
      publish(cur, out);
      if (events_.stage(SlpCallbackKind::IterStart)) continue;
      ++out.iterations;
      inIteration_ = true;
      for (size_t a = 0; a < nc; ++a) {
        int j = nlp_.nonlinearCols[a];
        scale[a] = stepUnit(j, cur.x[j], scale[a]);
        stepBound[a] = std::min(radius * scale[a], stepCap(j));
      }
      // Derivative factors steer the approach to the nonlinear rows; at a
      // point that meets them the true derivatives decide convergence.
      nlp_.useDerivativeFactors = cur.violation > set_.feasTol;
      LpResult r = runLinearization(cur, stepBound, penalty, qn.get());
      if (r.outcome != LpOutcome::Optimal && qn && qn->active()) {
        // A QP HiGHS could not solve: start the curvature again from nothing.
        qn->reset();
        r = runLinearization(cur, stepBound, penalty, nullptr);
      }
      if (r.outcome == LpOutcome::Unbounded) {
        out.nlpStatus = kNlpUnbounded;
        break;
      }
      if (r.outcome == LpOutcome::Infeasible) {
        out.nlpStatus = kNlpInfeasible;
        break;
      }
      if (r.outcome != LpOutcome::Optimal) {
        int reason = p_.interruptReason.load();
        out.stopStatus = reason ? reason
                                : (r.outcome == LpOutcome::TimeLimit ? QRVA_STOP_TIMELIMIT
                                                                               : 0);
        out.nlpStatus = kNlpUnfinished;
        if (!reason && r.outcome != LpOutcome::TimeLimit)
          log(formatText("SLP: HiGHS could not solve the linearization (model status %d)",
                         r.modelStatus));
        break;
      }
      std::vector<double> xNew = pointOf(nlp_, cur, r.x);
      recordLinearization(r, cur, xNew, stepBound, penalty, out);
      if (nc == 0) {
        // Nothing nonlinear: the LP's optimum is the problem's.
        cur.x = xNew;
        evaluate(nlp_, cur, true);
        saveDuals(r, y, dj);
        out.nlpStatus = kNlpGloballyOptimal;
        break;
      }
      bool feasibleNow = cur.worstScaled <= set_.feasTol;
      // Converged: cur satisfies the rows and, with the linearization's
      // multipliers, the first-order optimality conditions.
      KktResidual kkt = kktResidual(nlp_, cur, r.dual);
      out.kkt = kkt.worst();
      double linearViolation = 0.0;
      double weight = meritPenalty(feasibleNow, penalty, r.dual);
      double meritNow = nlp_.sense * cur.objective + weight * cur.violation;
      double predicted =
          meritNow - modelMerit(nlp_, cur, xNew, weight, qn.get(), linearViolation);
      // The residuals are measured in the columns' own units, so a column
      // measured in thousands with a gradient of a thousandth looks
      // converged to them; the reduction the linearization still promises
      // within the step bounds does not: it must be negligible too.
      bool nothingPromised = predicted <= set_.convTol * std::max(1.0, std::fabs(meritNow));
      if (feasibleNow && converged(cur, xNew, stepBound, kkt, nothingPromised, out)) {
        // A point where the rows and the objective are flat to first order
        // (a saddle, as 0 is for -xyz) meets the conditions too: moving
        // along the columns may find a better one.
        std::string why;
        Escape moved = leaveFlatPoint(cur, stepBound, scale, penalty, qn.get(), radius, out.iterations, why);
        if (moved == Escape::Moved) continue;
        if (moved == Escape::Failed) return stopped(out, cur, why);
        saveDuals(r, y, dj);
        out.nlpStatus = kNlpLocallyOptimal;
        break;
      }
      if (radius < kMinRadius) {
        // The step bounds closed in without reaching such a point.
        saveDuals(r, y, dj);
        out.nlpStatus = feasibleNow ? kNlpUnfinished : kNlpLocallyInfeasible;
        break;
      }
      double stepRatio = 0.0, relStep = 0.0;
      bool boxReached = false;
      for (size_t a = 0; a < nc; ++a) {
        int j = nlp_.nonlinearCols[a];
        double d = std::fabs(xNew[j] - cur.x[j]);
        stepRatio = std::max(stepRatio, d / scale[a]);
        if (d >= 0.99 * stepBound[a] && xNew[j] > s().lb[j] && xNew[j] < s().ub[j]) boxReached = true;
      }
      for (int j = 0; j < nlp_.n; ++j)
        relStep = std::max(relStep, std::fabs(xNew[j] - cur.x[j]) / std::max(1.0, std::fabs(cur.x[j])));

      if (predicted < -1e-9 * std::max(1.0, std::fabs(meritNow)) && qn && qn->active()) {
        // The current point itself is a better answer to the QP than the one
        // HiGHS gave, which its solver's tolerances cannot explain: start the
        // curvature again from nothing rather than trust it.
        qn->reset();
        logIteration(out.iterations, cur, radius, penalty, "curvature dropped");
        continue;
      }
      if (predicted <= 1e-15 * std::max(1.0, std::fabs(meritNow)) || relStep <= 1e-15) {
        // No better point within the step bounds, as far as the model sees.
        saveDuals(r, y, dj);
        if (feasibleNow || linearViolation >= (1.0 - 1e-9) * cur.violation) {
          // The linearization sees no better point (and, when infeasible, no
          // way to reduce the violation, so no penalty helps). Where rows or
          // the objective are flat to first order, moving along the columns
          // may still find one.
          std::string why;
          Escape moved = leaveFlatPoint(cur, stepBound, scale, penalty, qn.get(), radius, out.iterations, why);
          if (moved == Escape::Moved) continue;
          if (moved == Escape::Failed) return stopped(out, cur, why);
        }
        if (feasibleNow) {
          // Stationary as far as the linearization sees. A QP's multipliers
          // are only as exact as its solver: the LP of the same point, which
          // is stationary too, gives exact ones. A point that they do not
          // prove optimal to slpconvtol is reported as unfinished.
          if (qn && qn->active()) {
            LpResult lr = runLinearization(cur, stepBound, penalty, nullptr);
            if (lr.outcome == LpOutcome::Optimal) {
              KktResidual exact = kktResidual(nlp_, cur, lr.dual);
              if (exact.worst() < out.kkt) out.kkt = exact.worst(), kkt = exact, saveDuals(lr, y, dj);
            }
          }
          out.nlpStatus =
              converged(cur, xNew, stepBound, kkt, true, out) ? kNlpLocallyOptimal : kNlpUnfinished;
          break;
        }
        if (penalty < maxPenalty) {
          penalty = std::min(maxPenalty, penalty * kPenaltyGrowth);
          logIteration(out.iterations, cur, radius, penalty, "penalty raised");
          continue;
        }
        out.nlpStatus = kNlpLocallyInfeasible;
        break;
      }

      Point trial;
      trial.x = xNew;
      evaluate(nlp_, trial, true);
      if (!trial.ok) {
        if (trial.stop) return stopped(out, cur, trial.error);
        radius = 0.25 * std::min(radius, stepRatio);
        logIteration(out.iterations, cur, radius, penalty, "step refused: " + trial.error);
        continue;
      }
      double actual = meritNow - (nlp_.sense * trial.objective + weight * trial.violation);
      double ratio = actual / predicted;
      if (ratio < 0.75 && trial.violation > cur.violation) {
        // Second-order correction: the rows' curvature took the step off them.
        // The same linearization with the rows' values at the trial point
        // pulls the step back onto them.
        Point corrected = correction(cur, trial, stepBound, penalty, qn.get());
        if (corrected.ok) {
          double actual2 = meritNow - (nlp_.sense * corrected.objective + weight * corrected.violation);
          if (actual2 > actual) {
            trial = std::move(corrected), actual = actual2, ratio = actual / predicted;
            for (int j = 0; j < nlp_.n; ++j) xNew[j] = trial.x[j];
          }
        }
      }
      if (ratio < kAcceptRatio) {
        radius = 0.25 * std::min(radius, stepRatio);
        logIteration(out.iterations, cur, radius, penalty, "step refused");
        continue;
      }
      // The step is taken.
      saveDuals(r, y, dj);
      if (qn) {
        std::vector<double> gNew = lagrangianGradient(nlp_, trial, r.dual);
        std::vector<double> gOld = lagrangianGradient(nlp_, cur, r.dual);
        std::vector<double> sv(nc), yv(nc);
        for (size_t a = 0; a < nc; ++a) {
          int j = nlp_.nonlinearCols[a];
          sv[a] = trial.x[j] - cur.x[j], yv[a] = gNew[a] - gOld[a];
        }
        qn->update(sv, yv);
      }
      cur = std::move(trial);
      if (ratio > 0.75 && boxReached) radius = std::min(kMaxRadius, 2.0 * radius);
      else if (ratio < 0.25) radius *= 0.5;
      if (linearViolation > 0.1 * set_.feasTol && !boxReached && penalty < maxPenalty)
        penalty = std::min(maxPenalty, penalty * kPenaltyGrowth);
      logIteration(out.iterations, cur, radius, penalty, "");
    }
    out.solution.dual = y, out.solution.dj = dj;
    return finish(out, cur);
  }

 private:
  const ProblemStore &s() const { return nlp_.s; }

  // Whether cur, where the linearization proposes the step to xNew, meets
  // the convergence test (the rows' feasibility aside): every column by its
  // tolerance set where it names one in force, else by the stationarity
  // of the KKT residual; the rows' multipliers by its complementarity.
  // A column judged by the KKT residual also needs nothingPromised: the
  // linearization promises no reduction worth having within the step bounds.
  // Records each column's verdict in out.converged.
  bool converged(const Point &cur, const std::vector<double> &xNew,
                 const std::vector<double> &stepBound, const KktResidual &kkt, bool nothingPromised,
                 NlpOutcome &out) {
    out.converged.assign(nlp_.n, 0);
    bool all = kkt.complementarity <= set_.convTol;
    std::vector<ColumnStep> steps = columnSteps(cur, xNew, stepBound, kkt);
    for (int j = 0; j < nlp_.n; ++j) {
      const ToleranceSet *set = slp_ && nlp_.isNonlinearCol[j] ? slp_->tolsetOf(j) : nullptr;
      bool ok = set && set->status ? withinTolerances(*set, steps[j])
                                   : nothingPromised && steps[j].relReducedCost <= set_.convTol;
      out.converged[j] = ok;
      all = all && ok;
    }
    return all;
  }

  // The weight of the rows' violation in the merit that judges a step. Away
  // from the rows it is the error vectors' penalty. At a point that meets
  // them, twice the largest multiplier of a nonlinear row (per unit of its
  // weight) is enough for the merit to be exact, and more only refuses
  // steps whose violation is of second order along curved rows (the
  // linearization's own penalty stays as it is, so the step is the same).
  double meritPenalty(bool feasible, double penalty, const std::vector<double> &dual) const {
    if (!feasible) return penalty;
    double largest = 0.0;
    for (const NonlinearRow &row : nlp_.rows)
      if (row.weight > 0.0 && !exactRow_[row.row])
        largest = std::max(largest, std::fabs(dual[row.row]) / row.weight);
    return std::min(penalty, std::max(2.0 * largest, 1e-6 * penalty));
  }

  // What each column's proposed step does (see ColumnStep).
  std::vector<ColumnStep> columnSteps(const Point &cur, const std::vector<double> &xNew,
                                      const std::vector<double> &stepBound,
                                      const KktResidual &kkt) const {
    std::vector<ColumnStep> c(nlp_.n);
    double objScale = std::max(1.0, std::fabs(cur.objective));
    std::vector<double> objDeriv(s().obj.begin(), s().obj.end());
    for (const auto &e : cur.objGrad) objDeriv[e.first] += e.second;
    for (int j = 0; j < nlp_.n; ++j) {
      c[j].x = cur.x[j], c[j].step = xNew[j] - cur.x[j];
      c[j].objImpact = std::fabs(objDeriv[j] * c[j].step);
      c[j].relObjImpact = c[j].objImpact / objScale;
      c[j].reducedCost = kkt.column[j], c[j].relReducedCost = kkt.relativeColumn[j];
    }
    for (size_t a = 0; a < nlp_.nonlinearCols.size(); ++a) {
      int j = nlp_.nonlinearCols[a];
      c[j].stepBound = stepBound[a];
      c[j].atStepBound = std::fabs(c[j].step) >= 0.99 * stepBound[a] && xNew[j] > s().lb[j] && xNew[j] < s().ub[j];
    }
    for (size_t k = 0; k < nlp_.rows.size(); ++k) {
      int i = nlp_.rows[k].row;
      double rowScale = std::max(1.0, std::fabs(cur.activity[i]));
      for (const auto &e : cur.nlGrad[k]) {
        int j = e.first;
        double derivative = e.second;
        for (const Entry &a : s().columns[j])
          if (a.index == i) derivative += a.value;
        double impact = std::fabs(derivative * c[j].step);
        c[j].rowImpact = std::max(c[j].rowImpact, impact);
        c[j].relRowImpact = std::max(c[j].relRowImpact, impact / rowScale);
      }
    }
    return c;
  }

  enum class Escape { None, Moved, Failed };

  // At a point where the rows or the objective are flat to first order,
  // moves cur to the better point escape finds, if any: the curvature starts
  // again and the step bounds widen. Failed: a formula asked the solve to
  // stop (why tells why).
  Escape leaveFlatPoint(Point &cur, const std::vector<double> &stepBound,
                        const std::vector<double> &scale, double penalty, QuasiNewton *qn,
                        double &radius, int iteration, std::string &why) {
    Point moved;
    bool failed = false;
    if (escape(cur, stepBound, scale, penalty, moved, failed)) {
      if (qn) qn->reset();
      cur = std::move(moved);
      radius = std::max(radius, 1.0);
      logIteration(iteration, cur, radius, penalty, "moved off a stationary point");
      return Escape::Moved;
    }
    if (!failed) return Escape::None;
    why = moved.error;
    return Escape::Failed;
  }

  // Moves the nonlinear columns one at a time, and then all together, up
  // and down by their step bounds (and by a quarter and a sixteenth of
  // them), and keeps the move with the best merit when that is better than
  // cur's, violates the nonlinear rows no more and keeps the linear rows and
  // bounds. It finds the way off points where the rows or the objective are
  // flat to first order (x^2 >= 1 at 0, -xyz at 0), which no linearization
  // sees. failed: a formula asked the solve to stop (moved.error tells why).
  bool escape(const Point &cur, const std::vector<double> &stepBound,
              const std::vector<double> &scale, double penalty, Point &moved, bool &failed) {
    size_t nc = nlp_.nonlinearCols.size();
    if (nc > kMaxQuasiNewtonCols) return false;
    double best = nlp_.sense * cur.objective + penalty * cur.violation;
    bool found = false;
    for (size_t pick = 0; pick <= nc; ++pick) {  // pick == nc: every column
      if (pick == nc && nc < 2) break;
      for (double fraction : {1.0, 0.25, 0.0625})
        for (double sign : {1.0, -1.0}) {
          Point trial;
          trial.x = cur.x;
          for (size_t a = 0; a < nc; ++a) {
            if (pick != nc && pick != a) continue;
            int j = nlp_.nonlinearCols[a];
            double length = std::max(stepBound[a], scale[a]);
            trial.x[j] = std::min(std::max(cur.x[j] + sign * fraction * length, s().lb[j]), s().ub[j]);
          }
          if (trial.x == cur.x) continue;
          evaluate(nlp_, trial, true);
          if (!trial.ok) {
            if (trial.stop) {
              moved = std::move(trial), failed = true;
              return false;
            }
            continue;
          }
          double merit = nlp_.sense * trial.objective + penalty * trial.violation;
          if (merit < best - 1e-9 * std::max(1.0, std::fabs(best)) &&
              trial.violation <= cur.violation && linearRowsHold(nlp_, trial, set_.feasTol)) {
            best = merit, moved = std::move(trial), found = true;
          }
        }
    }
    return found;
  }

  // The step from cur whose linearized rows take their values at trial.
  Point correction(const Point &cur, const Point &trial, const std::vector<double> &stepBound,
                   double penalty, const QuasiNewton *qn) {
    Point base = cur;
    for (size_t k = 0; k < nlp_.rows.size(); ++k) {
      double v = trial.nlValue[k];
      for (const auto &e : cur.nlGrad[k]) v -= e.second * (trial.x[e.first] - cur.x[e.first]);
      base.nlValue[k] = v;
    }
    Point out;
    LpResult r = runLinearization(base, stepBound, penalty, qn);
    if (r.outcome != LpOutcome::Optimal) return out;
    out.x = pointOf(nlp_, base, r.x);
    evaluate(nlp_, out, true);
    return out;
  }

  // The linearization at pt, solved. The rows that substitution took out of
  // it get back their multipliers.
  // A linearization that the enforced rows make infeasible proves nothing:
  // that iteration runs again with their error vectors.
  LpResult runLinearization(const Point &pt, const std::vector<double> &stepBound, double penalty,
                            const QuasiNewton *qn) {
    LpResult r = runScaled(linearization(nlp_, pt, stepBound, penalty, qn));
    if (r.outcome == LpOutcome::Infeasible && anyEnforced())
      r = runScaled(linearization(nlp_, pt, stepBound, penalty, qn, false));
    if (r.outcome == LpOutcome::Optimal) restoreSubstituted(nlp_, r.dual, r.dj);
    return r;
  }

  // Solves a linearization, in scaled units with slpscale (the factors of
  // the solve's first linearization serve all of them), with the results
  // in the problem's units.
  LpResult runScaled(Subproblem sp) {
    if (!set_.scale) return lp_.run(sp, secondsLeft());
    if (!scaling_.fits(sp)) {
      scaling_ = scalingOf(sp);
      log("SLP: linearizations scaled: " + scalingSummary(scaling_));
    }
    scale(scaling_, sp);
    LpResult r = lp_.run(sp, secondsLeft());
    unscale(scaling_, r);
    return r;
  }

  bool anyEnforced() const {
    for (const NonlinearRow &r : nlp_.rows)
      if (r.enforced) return true;
    return false;
  }

  // The unit of a nonlinear column's step bound (see QSLP_DELTA_*), at the
  // start (x the starting point) or, for relative delta types, at x.
  double stepUnit(int j, double x, double autoUnit) const {
    const SlpVariable *v = slp_ ? findVar(*slp_, j) : nullptr;
    if (v == nullptr) return autoUnit;
    switch (v->deltaType) {
      case QSLP_DELTA_ABSOLUTE: return v->deltaValue;
      case QSLP_DELTA_RELATIVE: return v->deltaValue * std::max(1.0, std::fabs(x));
      default: return autoUnit;
    }
  }

  double stepCap(int j) const {
    const SlpVariable *v = slp_ ? findVar(*slp_, j) : nullptr;
    return v && v->deltaType == QSLP_DELTA_CAPPED ? v->deltaValue : kInf;
  }

  // What the linearization r at cur, with xNew its point, says about the
  // columns' steps and the rows' error vectors (see SlpSolution).
  void recordLinearization(const LpResult &r, const Point &cur, const std::vector<double> &xNew,
                           const std::vector<double> &stepBound, double penalty,
                           NlpOutcome &out) const {
    SlpSolution &d = out.solution;
    int n = nlp_.n;
    d.penalty = penalty;
    if (d.columns.empty()) {
      d.columns.assign(n, SlpColumnDetail{});
      d.rows.assign(nlp_.m, SlpRowDetail{});
      for (const Nlp::Determined &det : nlp_.determined) d.columns[det.col].updateRow = det.row;
    }
    for (size_t a = 0; a < nlp_.nonlinearCols.size(); ++a) {
      int j = nlp_.nonlinearCols[a];
      SlpColumnDetail &c = d.columns[j];
      c.deltaIndex = j;
      c.step = xNew[j] - cur.x[j];
      c.stepDj = nlp_.sense * r.dj[j];
      c.stepBound = stepBound[a];
      // At its step bound (and not at a bound of the column), the step's
      // reduced cost is the step bound's multiplier.
      bool atBound = std::fabs(c.step) >= (1.0 - 1e-9) * stepBound[a] && xNew[j] > s().lb[j] &&
                     xNew[j] < s().ub[j];
      c.stepBoundDual = atBound ? c.stepDj : 0.0;
    }
    for (size_t k = 0; k < nlp_.rows.size(); ++k) {
      const NonlinearRow &nr = nlp_.rows[k];
      SlpRowDetail &rd = d.rows[nr.row];
      int plus = n + 2 * static_cast<int>(k);
      rd.plusCol = plus, rd.minusCol = plus + 1;
      rd.plusValue = r.x[plus], rd.minusValue = r.x[plus + 1];
      rd.plusDj = r.dj[plus], rd.minusDj = r.dj[plus + 1];
      rd.penaltyFactor = penalty * nr.weight;
      rd.currentError = rd.plusValue + rd.minusValue;
      if (rd.currentError > set_.feasTol) ++rd.errors;
      rd.totalError += rd.currentError;
      rd.maxError = std::max(rd.maxError, rd.currentError);
    }
  }

  static const SlpVariable *findVar(const SlpStore &slp, int col) {
    auto it = slp.variables.find(col);
    return it == slp.variables.end() ? nullptr : &it->second;
  }

  double secondsLeft() const {
    if (set_.timeLimit >= kInf) return kInf;
    double used = std::chrono::duration<double>(std::chrono::steady_clock::now() - started_).count();
    return set_.timeLimit - used;
  }

  void saveDuals(const LpResult &r, std::vector<double> &y, std::vector<double> &dj) const {
    // Reported for the problem's own sense.
    for (int i = 0; i < nlp_.m; ++i) y[i] = nlp_.sense * r.dual[i];
    for (int j = 0; j < nlp_.n; ++j) dj[j] = nlp_.sense * r.dj[j];
  }

  void log(const std::string &text) {
    if (set_.log > 0) p_.message(QRVA_MSG_INFO, text);
  }

  void logIteration(int k, const Point &pt, double radius, double penalty, const std::string &note) {
    if (set_.log > 0)
      p_.message(QRVA_MSG_INFO,
                 formatText("SLP %4d  objective %-16.9g infeasibility %-10.3g step bound %-9.3g "
                            "penalty %-9.3g %s",
                            k, pt.objective, pt.violation, radius, penalty, note.c_str()));
  }

  NlpOutcome &stopped(NlpOutcome &out, const Point &cur, const std::string &why) {
    p_.message(QRVA_MSG_ERROR, "SLP: " + why + "; the solve stops");
    int reason = p_.interruptReason.load();
    out.stopStatus = reason ? reason : QRVA_STOP_USER;
    out.nlpStatus = kNlpUnfinished;
    return finish(out, cur);
  }

  // Cascades cur (when asked to) and takes the cascaded point when it can
  // be evaluated. True: a callback or a user function asked to stop.
  bool cascadeCurrent(Point &cur, const NlpOutcome &out) {
    if (cascade_.empty()) return false;
    publish(cur, out);
    std::vector<double> x = cur.x;
    CascadeResult c = cascadePoint(*cascadeSlp_, nlp_, cascade_, x, events_, set_.feasTol);
    if (c.stop) {
      int none = 0;
      p_.interruptReason.compare_exchange_strong(none, QRVA_STOP_USER);
      return true;
    }
    if (x == cur.x) return false;
    Point next;
    next.x = std::move(x);
    evaluate(nlp_, next, true);
    if (next.ok) cur = std::move(next);
    return false;
  }

  // The current iterate, for the queries of the callbacks.
  void publish(const Point &cur, const NlpOutcome &out) {
    if (events_.any())
      events_.publish(cur.x, slacksOf(cur), y_, dj_, out.iterations, cur.objective);
  }

  // The end of an iteration: itervar for every nonlinear column, then
  // iterend. A stop asked for is seen by the next iteration.
  void endIteration(const Point &cur, const NlpOutcome &out) {
    inIteration_ = false;
    publish(cur, out);
    for (int j : nlp_.nonlinearCols)
      if (events_.iterVar(j)) break;
    events_.stage(SlpCallbackKind::IterEnd);
  }

  std::vector<double> slacksOf(const Point &cur) const {
    std::vector<double> slack(nlp_.m);
    for (int i = 0; i < nlp_.m; ++i)
      slack[i] = s().rhs[i] - (cur.activity.empty() ? 0.0 : cur.activity[i]);
    return slack;
  }

  NlpOutcome &finish(NlpOutcome &out, const Point &cur) {
    if (inIteration_) endIteration(cur, out);
    out.objective = cur.objective;
    out.lpIterations = lp_.iterations();
    out.solution.x = cur.x;
    out.solution.slack = slacksOf(cur);
    out.solution.sense = nlp_.sense;
    if (out.solution.dual.size() != static_cast<size_t>(nlp_.m)) out.solution.dual.assign(nlp_.m, 0.0);
    if (out.solution.dj.size() != static_cast<size_t>(nlp_.n)) out.solution.dj.assign(nlp_.n, 0.0);
    log(formatText("SLP: %s after %d iterations, objective %.9g, largest violation %.3g, "
                   "KKT residual %.3g",
                   nlpStatusName(out.nlpStatus), out.iterations, cur.objective, cur.worstScaled, out.kkt));
    if (started_events_) {
      // The solve's last point answers the queries of slpend and destroy;
      // their results cannot stop anything any more.
      started_events_ = false;
      if (events_.any())
        events_.publish(out.solution.x, out.solution.slack, out.solution.dual, out.solution.dj,
                        out.iterations, cur.objective);
      events_.stage(SlpCallbackKind::SlpEnd);
      events_.stage(SlpCallbackKind::Destroy);
    }
    return out;
  }

  qrva_problem_s &p_;
  Nlp &nlp_;
  const SlpStore *slp_ = nullptr;
  const qslp_problem_s *cascadeSlp_ = nullptr;
  std::vector<int> cascade_;  // the determined columns in cascade order
  const NlpSettings &set_;
  const Check &chk_;
  const SlpEvents &events_;
  bool started_events_ = false, inIteration_ = false;
  std::vector<double> y_, dj_;  // the multipliers of the last step taken
  Scaling scaling_;             // of the linearizations (slpscale)
  LpRunner lp_;
  std::chrono::steady_clock::time_point started_;
  std::vector<char> exactRow_;  // rows a free determined column always satisfies
};

}  // namespace
}  // namespace nlp

const char *nlpStatusName(int status) {
  static const char *names[] = {"unstarted", "locally optimal", "globally optimal",
                                "locally infeasible", "infeasible", "unbounded", "unfinished"};
  return status >= 0 && status <= kNlpUnfinished ? names[status] : "unknown";
}

NlpSettings settingsOf(const qslp_problem_s &slp) {
  auto value = [&](int id) -> const ParamValue & { return slp.control(id); };
  NlpSettings st;
  st.iterLimit = static_cast<int>(value(QSLP_SLPITERLIMIT).i);
  st.log = static_cast<int>(value(QSLP_SLPLOG).i);
  st.secondOrder = value(QSLP_SLPSECONDORDER).i != 0;
  st.cascade = value(QSLP_SLPCASCADE).i != 0;
  st.echoLpLog = value(QSLP_SLPECHOOPTIMIZERLOG).i != 0;
  st.feasTol = value(QSLP_SLPFEASTOL).d;
  st.convTol = value(QSLP_SLPCONVTOL).d;
  st.penaltyCost = value(QSLP_SLPPENALTYCOST).d;
  st.timeLimit = value(QSLP_SLPTIMELIMIT).d;
  st.sense = value(QSLP_SLPOBJSENSE).d < 0 ? -1 : 1;
  st.scale = value(QSLP_SLPSCALE).i != 0;
  st.penaltyFixed = slp.penaltyFixed;
  st.fixedPenalty = slp.fixedPenalty;
  return st;
}

std::vector<double> startingPoint(const ProblemStore &s, const SlpStore *slp,
                                  const std::vector<char> *nonlinearCols) {
  int n = s.ncols();
  std::vector<double> x(n, 0.0);
  for (int j = 0; j < n; ++j) {
    bool given = false;
    if (slp) {
      auto v = slp->variables.find(j);
      if (v != slp->variables.end() && v->second.hasInitValue) x[j] = v->second.initValue, given = true;
    }
    double lb = s.lb[j], ub = s.ub[j];
    x[j] = std::min(std::max(x[j], lb), ub);
    if (given || nonlinearCols == nullptr || !(*nonlinearCols)[j] || !(ub > lb)) continue;
    double width = nlp::finite(lb) && nlp::finite(ub) ? ub - lb : nlp::kInf;
    if (nlp::finite(lb)) x[j] = std::max(x[j], lb + std::min(1e-2 * std::max(1.0, std::fabs(lb)), 0.5 * width));
    if (nlp::finite(ub)) x[j] = std::min(x[j], ub - std::min(1e-2 * std::max(1.0, std::fabs(ub)), 0.5 * width));
  }
  return x;
}

NlpOutcome solveNonlinear(qrva_problem_s &p, qslp_problem_s *slp, const NlpSettings &settings,
                          const Check &chk, bool relaxed) {
  if (slp != nullptr) {
    slp->restoreLinearPart();
    slp->penaltyFixed = false;  // fixed for this solve only
    slp->evaluations.reset();
    if (slp->state.statusBits & QSLP_STATUS_PRESOLVED)
      return solvePresolved(p, *slp, settings, chk, relaxed);
  }
  return solveAsStored(p, slp, settings, chk, relaxed);
}

NlpOutcome solveAsStored(qrva_problem_s &p, qslp_problem_s *slp, const NlpSettings &settings,
                         const Check &chk, bool relaxed) {
  nlp::Nlp nlp = nlp::describe(*p.store, slp ? slp->store.get() : nullptr, chk, relaxed);
  nlp.sense = settings.sense;
  nlp.counts = slp ? &slp->evaluations : nullptr;
  nlp.call = slp ? userFunctionCaller(*slp) : noUserFunctions();
  nlp::SlpEvents events(slp);
  nlp.events = &events;
  nlp::Solver solver(p, nlp, settings, chk, events);
  if (slp && settings.cascade) solver.cascadeBeforeIterations(*slp, nlp::cascadeOrder(*slp, chk));
  return solver.run(slp ? slp->store.get() : nullptr);
}

void recordNonlinearSolve(qslp_problem_s &slp, NlpOutcome out, double seconds) {
  slp.state.nlpStatus = out.nlpStatus;
  slp.state.stopStatus = out.stopStatus;
  slp.state.iterations = out.iterations;
  slp.state.objective = out.objective;
  slp.state.solveTime = seconds;
  if (out.solution.x.empty()) {  // a multistart without any result
    slp.store->solution = SlpSolution{};
    return;
  }
  for (auto &v : slp.store->variables) {
    v.second.oldValue = v.second.value;
    v.second.value = out.solution.x[v.first];
    if (!out.converged.empty()) v.second.converged = out.converged[v.first];
  }
  slp.store->solution = std::move(out.solution);
}

bool needsNonlinearSolver(const qrva_problem_s &p) {
  return !p.store->qrows.empty() ||
         (p.slpLayer != nullptr && !p.slpLayer->store->coefficients.empty());
}

namespace {

// A nonlinear solve's result as the optimizer's statuses, objective and
// solution (and on the SLP problem, when there is one).
void recordOptimizerSolve(qrva_problem_s &p, NlpOutcome out, bool mip, double seconds) {
  SolveState &st = p.solve;
  switch (out.nlpStatus) {
    case kNlpLocallyOptimal:
    case kNlpGloballyOptimal: st.lpStatus = QRVA_LP_OPTIMAL; break;
    // Rows still violated where the solve ended prove nothing: only a proof
    // (linear rows and bounds without a solution) reports infeasible.
    case kNlpInfeasible: st.lpStatus = QRVA_LP_INFEAS; break;
    case kNlpUnbounded: st.lpStatus = QRVA_LP_UNBOUNDED; break;
    default: st.lpStatus = QRVA_LP_UNFINISHED; break;
  }
  st.stopStatus = out.stopStatus;
  st.lpObjective = out.objective;
  st.simplexIterations = out.lpIterations;
  st.solveTime = seconds;
  Solution &sol = p.solution;
  sol.x = out.solution.x, sol.slack = out.solution.slack;
  sol.dual = out.solution.dual, sol.dj = out.solution.dj;
  sol.hasLp = !sol.x.empty();
  if (mip) {
    // Only continuous problems get here (discrete ones go to the tree).
    bool solved = st.lpStatus == QRVA_LP_OPTIMAL && sol.hasLp;
    st.mipStatus = solved ? QRVA_MIP_OPTIMAL
                          : (st.lpStatus == QRVA_LP_INFEAS
                                 ? QRVA_MIP_INFEAS
                                 : (st.lpStatus == QRVA_LP_UNBOUNDED ? QRVA_MIP_UNBOUNDED
                                                                     : QRVA_MIP_NO_SOL_FOUND));
    st.mipObjective = out.objective;
    sol.hasMip = solved;
  }
  if (p.slpLayer) recordNonlinearSolve(*p.slpLayer, std::move(out), seconds);
}

}  // namespace

int solveThroughSlp(qrva_problem_s &p, const char *function, bool mip) {
  Check chk(function);
  NlpSettings settings = p.slpLayer ? settingsOf(*p.slpLayer) : NlpSettings{};
  settings.sense = p.store->objSense;
  auto started = std::chrono::steady_clock::now();
  p.invalidate(kStaleSolution);
  if (mip && hasDiscreteParts(*p.store)) {
    // The tree search records the MIP statuses and solution itself.
    NlpOutcome out = solveMixedInteger(p, p.slpLayer, settings, chk, function);
    if (p.slpLayer) recordNonlinearSolve(*p.slpLayer, std::move(out), p.solve.solveTime);
    return QRVA_OK;
  }
  if (p.slpLayer && !p.slpLayer->msJobs.empty()) {
    ms::SolveMode mode;
    mode.sense = settings.sense, mode.relaxed = !mip;
    ms::runMultistart(*p.slpLayer, chk, mode, [&](NlpOutcome out, double seconds) {
      recordOptimizerSolve(p, std::move(out), mip, seconds);
    });
    return QRVA_OK;
  }
  NlpOutcome out = solveNonlinear(p, p.slpLayer, settings, chk, !mip);
  recordOptimizerSolve(
      p, std::move(out), mip,
      std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count());
  return QRVA_OK;
}

}  // namespace qrva
