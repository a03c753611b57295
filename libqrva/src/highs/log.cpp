#include "highs/log.h"

#include <algorithm>
#include <cmath>

#include "highs/results.h"
#include "interfaces/highs_c_api.h"

namespace qrva {
namespace {

const double kOff = QRVA_INFINITY;

void stopRun(qrva_problem_s &p) {
  int none = 0;
  p.interruptReason.compare_exchange_strong(none, QRVA_STOP_USER);
}

// The progress HiGHS reports, into the problem's solve state (what the
// attribute queries read). HiGHS gives -1 or infinite values for what it
// does not know at a point; those leave the state as it was.
void recordProgress(RunContext &ctx, int type, const HighsCallbackDataOut &out) {
  SolveState &st = ctx.p->solve;
  st.solveTime = std::chrono::duration<double>(std::chrono::steady_clock::now() - ctx.started).count();
  if (out.simplex_iteration_count >= 0) st.simplexIterations = out.simplex_iteration_count;
  if (out.ipm_iteration_count >= 0) st.barrierIterations = out.ipm_iteration_count;
  if (std::isfinite(out.objective_function_value) && type != kHighsCallbackMipSolution)
    st.lpObjective = out.objective_function_value;
  if (type >= kHighsCallbackMipSolution) {
    st.nodes = out.mip_node_count;
    if (out.mip_total_lp_iterations > st.simplexIterations)
      st.simplexIterations = out.mip_total_lp_iterations;
    if (std::isfinite(out.mip_primal_bound)) st.mipObjective = out.mip_primal_bound;
    // A bound not known yet reads as infinite (QRVA_INFINITY).
    if (!std::isnan(out.mip_dual_bound))
      st.bestBound = std::max(-kOff, std::min(kOff, out.mip_dual_bound));
    if (std::isfinite(out.mip_gap)) st.mipGap = out.mip_gap;
    st.mipSolutions = ctx.solutions;
  }
}

// Makes x (a solution over HiGHS's columns, reformulations included) the
// problem's solution for the queries of the callbacks that follow.
void showSolution(qrva_problem_s &p, const std::vector<double> &x) {
  const ProblemStore &s = *p.store;
  Solution &sol = p.solution;
  if (x.empty()) {
    sol = Solution{};
    return;
  }
  sol.x.assign(x.begin(), x.begin() + s.ncols());
  sol.slack = rowSlacks(s, sol.x);
  sol.dual.assign(s.nrows(), 0.0), sol.dj.assign(s.ncols(), 0.0);
  sol.hasMip = true;
}

// The solution a MIP callback carries, over HiGHS's columns in the
// problem's units (empty if it carries none).
std::vector<double> solutionOf(const HighsCallbackDataOut &out, const RunContext &ctx) {
  if (out.mip_solution == nullptr || out.mip_solution_size < ctx.p->store->ncols()) return {};
  std::vector<double> x(out.mip_solution, out.mip_solution + out.mip_solution_size);
  if (ctx.colScale)
    for (size_t j = 0; j < x.size() && j < ctx.colScale->size(); ++j) x[j] *= (*ctx.colScale)[j];
  return x;
}

void simplexPoint(RunContext &ctx) {
  qrva_problem_s &p = *ctx.p;
  if (ctx.lpLogFreq <= 0 || p.solve.simplexIterations < ctx.lpLogNext) return;
  ctx.lpLogNext = (p.solve.simplexIterations / ctx.lpLogFreq + 1) * ctx.lpLogFreq;
  if (p.callbacks.deliver<QRVAcblplog>(CallbackKind::LpLog, &p)) stopRun(p);
}

void barrierPoint(RunContext &ctx, const HighsCallbackDataOut &out) {
  // HiGHS's interior-point code also stops at points between iterations
  // (count -1): the callbacks come once per iteration.
  qrva_problem_s &p = *ctx.p;
  if (out.ipm_iteration_count < 0 || out.ipm_iteration_count == ctx.lastBarrierIteration) return;
  ctx.lastBarrierIteration = out.ipm_iteration_count;
  if (p.callbacks.deliver<QRVAcbbarlog>(CallbackKind::BarLog, &p)) stopRun(p);
  int action = QRVA_BARITERATION_CONTINUE;
  p.callbacks.deliver<QRVAcbbariteration>(CallbackKind::BarIteration, &p, &action);
  if (action == QRVA_BARITERATION_STOP) stopRun(p);
  if (action == QRVA_BARITERATION_CROSSOVER) ctx.crossoverAsked = true, stopRun(p);
}

// gapnotify: a target reached is switched off, then the callbacks may set
// new ones (or switch others off).
void checkGapTargets(RunContext &ctx) {
  qrva_problem_s &p = *ctx.p;
  if (p.callbacks[CallbackKind::GapNotify].empty()) return;
  const SolveState &st = p.solve;
  double sense = p.store->objSense;
  bool haveSolution = ctx.solutions > 0, haveBound = std::fabs(st.bestBound) < kOff;
  double *t = ctx.gapTargets;
  bool reached[4] = {
      haveSolution && t[0] >= 0.0 && st.mipGap <= t[0],
      haveSolution && t[1] >= 0.0 && std::fabs(st.mipObjective - st.bestBound) <= t[1],
      haveSolution && std::fabs(t[2]) < kOff && sense * (st.mipObjective - t[2]) <= 0.0,
      haveBound && std::fabs(t[3]) < kOff && sense * (st.bestBound - t[3]) >= 0.0,
  };
  if (!(reached[0] || reached[1] || reached[2] || reached[3])) return;
  if (reached[0]) t[0] = -1.0;
  if (reached[1]) t[1] = -1.0;
  if (reached[2]) t[2] = kOff;
  if (reached[3]) t[3] = kOff;
  p.callbacks.deliver<QRVAcbgapnotify>(CallbackKind::GapNotify, &p, &t[0], &t[1], &t[2], &t[3]);
}

void candidatePoint(RunContext &ctx, const HighsCallbackDataOut &out) {
  qrva_problem_s &p = *ctx.p;
  if (p.callbacks[CallbackKind::PreIntSol].empty()) return;
  std::vector<double> candidate = solutionOf(out, ctx);
  showSolution(p, candidate);
  int reject = 0;
  double cutoff = std::isfinite(out.mip_primal_bound) ? out.mip_primal_bound
                                                      : p.store->objSense * QRVA_INFINITY;
  double given = cutoff;
  p.callbacks.deliver<QRVAcbpreintsol>(CallbackKind::PreIntSol, &p, QRVA_SOLTYPE_HEURISTIC,
                                       &reject, &cutoff);
  showSolution(p, ctx.incumbent);
  if (reject != 0 || cutoff != given) ctx.candidateRefused = true, stopRun(p);
}

void incumbentPoint(RunContext &ctx, const HighsCallbackDataOut &out) {
  qrva_problem_s &p = *ctx.p;
  ++ctx.solutions;
  p.solve.mipSolutions = ctx.solutions;
  if (std::isfinite(out.mip_primal_bound)) p.solve.mipObjective = out.mip_primal_bound;
  // HiGHS's own solution limit does not count every solution it reports
  // here: the run is asked to stop once mipsols reaches maxmipsol. HiGHS
  // takes the request at its next interrupt point, so a solution found
  // before that point (as in its first heuristics) is still counted.
  int64_t limit = p.intControl(QRVA_MAXMIPSOL);
  if (limit > 0 && ctx.solutions >= limit) {
    int none = 0;
    p.interruptReason.compare_exchange_strong(none, QRVA_STOP_SOLLIMIT);
  }
  if (p.callbacks[CallbackKind::IntSol].empty() && p.callbacks[CallbackKind::PreIntSol].empty())
    return;
  ctx.incumbent = solutionOf(out, ctx);
  showSolution(p, ctx.incumbent);
  p.callbacks.deliver<QRVAcbintsol>(CallbackKind::IntSol, &p);
}

}  // namespace

RunContext::RunContext(qrva_problem_s *prob, std::chrono::steady_clock::time_point start,
                       bool own)
    : p(prob), ownRun(own), started(start) {
  lpLogFreq = p->intControl(QRVA_LPLOGFREQ);
  lpLogNext = lpLogFreq;
  gapTargets[0] = p->dblControl(QRVA_MIPRELGAPNOTIFY);
  gapTargets[1] = p->dblControl(QRVA_MIPABSGAPNOTIFY);
  gapTargets[2] = p->dblControl(QRVA_MIPABSGAPNOTIFYOBJ);
  gapTargets[3] = p->dblControl(QRVA_MIPABSGAPNOTIFYBOUND);
}

void flushLog(RunContext &ctx, bool all) {
  size_t pos;
  while ((pos = ctx.pending.find('\n')) != std::string::npos) {
    ctx.p->message(QRVA_MSG_INFO, ctx.pending.substr(0, pos));
    ctx.pending.erase(0, pos + 1);
  }
  if (all && !ctx.pending.empty()) {
    ctx.p->message(QRVA_MSG_INFO, ctx.pending);
    ctx.pending.clear();
  }
}

extern "C" void highsCallback(int type, const char *message, const HighsCallbackDataOut *out,
                              HighsCallbackDataIn *in, void *data) {
  auto &ctx = *static_cast<RunContext *>(data);
  qrva_problem_s &p = *ctx.p;
  if (type == kHighsCallbackLogging) {
    if (message) ctx.pending += message;
    flushLog(ctx, false);
    return;
  }
  if (out != nullptr && ctx.ownRun) {
    recordProgress(ctx, type, *out);
    switch (type) {
      case kHighsCallbackSimplexInterrupt: simplexPoint(ctx); break;
      case kHighsCallbackIpmInterrupt: barrierPoint(ctx, *out); break;
      case kHighsCallbackMipSolution: candidatePoint(ctx, *out); break;
      case kHighsCallbackMipImprovingSolution:
        incumbentPoint(ctx, *out);
        checkGapTargets(ctx);
        break;
      case kHighsCallbackMipLogging:
        flushLog(ctx, false);
        if (p.callbacks.deliver<QRVAcbgloballog>(CallbackKind::GlobalLog, &p)) stopRun(p);
        break;
      case kHighsCallbackMipInterrupt: checkGapTargets(ctx); break;
      default: break;
    }
  }
  // HiGHS keeps the flag between runs of one instance: it is set both ways.
  if (in != nullptr) in->user_interrupt = p.interruptReason.load() != 0 ? 1 : 0;
}

bool highsLogWanted(const qrva_problem_s &p) {
  return p.messagesHeard() || !p.callbacks[CallbackKind::GlobalLog].empty();
}

void attachHighsCallbacks(void *h, RunContext &ctx) {
  Highs_setCallback(h, highsCallback, &ctx);
  Highs_startCallback(h, kHighsCallbackLogging);
  Highs_startCallback(h, kHighsCallbackSimplexInterrupt);
  Highs_startCallback(h, kHighsCallbackIpmInterrupt);
  Highs_startCallback(h, kHighsCallbackMipInterrupt);
  Highs_startCallback(h, kHighsCallbackMipImprovingSolution);
  Highs_startCallback(h, kHighsCallbackMipLogging);
  if (!ctx.p->callbacks[CallbackKind::PreIntSol].empty())
    Highs_startCallback(h, kHighsCallbackMipSolution);
}

}  // namespace qrva
