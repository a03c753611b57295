#include "highs/solver.h"

#include <algorithm>
#include <chrono>

#include "core/validate.h"
#include "highs/log.h"
#include "highs/model.h"
#include "highs/options.h"
#include "highs/results.h"
#include "highs/scheduler.h"
#include "mip/user_solutions.h"
#include "interfaces/highs_c_api.h"

namespace qrva {

int solveWithHighs(qrva_problem_s &p, const char *function, SolveKind kind, const char *flags) {
  Check chk(function);
  const ProblemStore &s = *p.store;
  Model m = buildModel(s, chk, kind);
  m.scaling = userScaling(s, m);
  p.invalidate(kStaleSolution);
  auto started = std::chrono::steady_clock::now();
  bool discrete = m.anyIntegral;
  SolveState &st = p.solve;

  if (!convexObjective(s)) {
    st.lpStatus = QRVA_LP_NONCONVEX;
    p.message(QRVA_MSG_WARNING, formatText("%s: the quadratic objective is not convex; it "
                                           "cannot be solved to optimality",
                                           function));
    return QRVA_OK;
  }

  if (!s.delayedRows.empty() || !s.modelCuts.empty())
    p.message(QRVA_MSG_INFO,
              formatText("%zu delayed rows and %zu model cuts are solved as ordinary rows of "
                         "the LP: HiGHS cannot hold rows back until they are violated",
                         s.delayedRows.size(), s.modelCuts.size()));

  if (!p.highs) p.highs.reset(Highs_create());
  void *h = p.highs.get();
  RunContext ctx(&p, started);
  if (m.scaling.active()) {
    ctx.colScale = &m.scaling.col;
    p.message(QRVA_MSG_INFO, formatText("%s: user scaling of %zu rows and %zu columns", function,
                                        s.rowScaleExp.size(), s.colScaleExp.size()));
  }
  attachHighsCallbacks(h, ctx);
  setOptions(h, p, kind, flags);

  transferModel(h, m, p, chk);
  if (discrete && kind == SolveKind::Mip && !p.mipStarts.empty()) {
    tree::Relaxation r(s, p.dblControl(QRVA_INTEGRALITYTOL), p.dblControl(QRVA_FEASTOL));
    std::vector<UserSolution> starts = takeUserSolutions(p, &p, r, function);
    if (!starts.empty()) transferStart(h, m, starts.front().x);
  }

  int threads = static_cast<int>(std::min<int64_t>(p.intControl(QRVA_THREADS), 2147483647));
  SchedulerHold scheduler(threads);
  if (!scheduler.ok())
    chk.fail(formatText("threads is %d but another solve is running with %d threads; HiGHS "
                        "runs every solve of the process with one thread count",
                        threads, scheduler.heldAt()),
             QRVA_ERR_SOLVER);
  Highs_zeroAllClocks(h);
  Highs_run(h);
  int ms = Highs_getModelStatus(h);
  if (ms == kHighsModelStatusUnboundedOrInfeasible && p.intControl(QRVA_PRESOLVE)) {
    // Presolve could not tell which: ask again without it.
    Highs_setStringOptionValue(h, "presolve", "off");
    Highs_run(h);
    ms = Highs_getModelStatus(h);
  }
  if (ctx.crossoverAsked && ms == kHighsModelStatusInterrupt) {
    // HiGHS keeps no iterate of a stopped interior-point run to cross over
    // from: the simplex method takes the solve to a basic solution.
    int asked = QRVA_STOP_USER;
    p.interruptReason.compare_exchange_strong(asked, 0);
    Highs_setStringOptionValue(h, "solver", "simplex");
    Highs_run(h);
    ms = Highs_getModelStatus(h);
  }
  flushLog(ctx, true);
  if (ms == kHighsModelStatusNotset || ms == kHighsModelStatusLoadError ||
      ms == kHighsModelStatusModelError || ms == kHighsModelStatusSolveError)
    chk.fail(formatText("HiGHS did not solve the model (its model status %d)", ms), QRVA_ERR_SOLVER);

  recordRun(h, p, kind, discrete, m.scaling, static_cast<int>(m.cost.size()),
            static_cast<int>(m.rowLower.size()), ms, ctx.solutions, started);
  bool mipRun = kind == SolveKind::Mip;
  if (ctx.candidateRefused)
    chk.fail("a preintsol callback rejected a candidate solution or changed the cutoff, which "
             "HiGHS's MIP search cannot honour; the solve was stopped",
             QRVA_ERR_NOT_AVAILABLE);
  p.message(QRVA_MSG_INFO,
            formatText("%s: %s, objective %.12g, %.3f s", function,
                       mipRun ? mipStatusName(st.mipStatus) : lpStatusName(st.lpStatus),
                       mipRun ? st.mipObjective : st.lpObjective, st.solveTime));
  return QRVA_OK;
}

}  // namespace qrva
