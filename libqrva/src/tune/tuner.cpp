#include "tune/tuner.h"

#include <chrono>
#include <cmath>
#include <limits>
#include <string>

#include "highs/solver.h"
#include "slp/solver.h"
#include "tree/search.h"
#include "tune/method.h"

namespace qrva {
namespace {

using Clock = std::chrono::steady_clock;
const double kNoLimit = QRVA_INFINITY;

// What one trial achieved: a finished solve (an optimum, or a proof that
// there is none) counts by its time, an unfinished MIP solve by its gap.
struct Outcome {
  bool finished = false;
  double seconds = 0.0;
  double gap = std::numeric_limits<double>::infinity();
  std::string status;
};

// A finished trial must beat the best one's time by kFaster: a gain within
// the noise of the clock is no gain.
const double kFaster = 0.95;

bool better(const Outcome &a, const Outcome &b) {
  if (a.finished != b.finished) return a.finished;
  if (a.finished) return a.seconds < kFaster * b.seconds;
  return a.gap < b.gap;
}

void applyTrial(qrva_problem_s &p, const TunerTrial &trial) {
  const Catalog<qrva_problem_s> &catalog = optimizerCatalog();
  for (const TunerSetting &s : trial) {
    ParamValue &v = p.controls[catalog.indexOf(catalog.find(s.id))];
    if (catalog.find(s.id)->type == ParamType::Double) v.d = s.d;
    else v.i = s.i;
  }
}

// One cold solve of p with its controls as they are.
Outcome runTrial(qrva_problem_s &p, const char *function, bool mip) {
  p.invalidate(kStaleSolution | kStaleBasis);
  if (mip) {
    std::string why = treeSearchReason(p, function);
    if (!why.empty()) solveWithTree(p, function, why);
    else solveWithHighs(p, function, SolveKind::Mip, "");
  } else {
    solveWithHighs(p, function, SolveKind::Lp, "");
  }
  const SolveState &st = p.solve;
  Outcome o;
  o.seconds = st.solveTime;
  if (mip) {
    o.finished = st.stopStatus == 0 && (st.mipStatus == QRVA_MIP_OPTIMAL || st.mipStatus == QRVA_MIP_INFEAS ||
                                        st.mipStatus == QRVA_MIP_UNBOUNDED);
    if (st.mipStatus == QRVA_MIP_SOLUTION || st.mipStatus == QRVA_MIP_OPTIMAL) o.gap = st.mipGap;
    o.status = formatText("MIP status %d, gap %g", st.mipStatus, st.mipGap);
  } else {
    o.finished = st.stopStatus == 0 && (st.lpStatus == QRVA_LP_OPTIMAL || st.lpStatus == QRVA_LP_INFEAS ||
                                        st.lpStatus == QRVA_LP_UNBOUNDED);
    o.status = formatText("LP status %d", st.lpStatus);
  }
  return o;
}

}  // namespace

void tune(qrva_problem_s &p, const Check &chk, const char *flags) {
  std::string f = flags ? flags : "";
  if (f.find_first_not_of("lg") != std::string::npos)
    chk.fail(formatText("flags %s: only 'l' (tune the LP relaxation) and 'g' (tune the MIP) are known",
                        quoted(f.c_str()).c_str()));
  if (f.find('l') != std::string::npos && f.find('g') != std::string::npos)
    chk.fail("flags name both 'l' and 'g'; give one");
  if (needsNonlinearSolver(p))
    chk.fail("the problem has nonlinear parts; the tuner tunes LP and MIP solves", QRVA_ERR_STATE);
  bool mip = f.find('g') != std::string::npos || (p.store->hasDiscreteParts() && f.find('l') == std::string::npos);
  TunerMethod method = tunerMethodOf(p, mip);

  const char *function = chk.function();
  std::vector<ParamValue> original = p.controls;
  Basis basis = p.basis;
  double userLimit = p.dblControl(QRVA_TIMELIMIT), budget = p.dblControl(QRVA_TUNERMAXTIME);
  size_t limitIndex = optimizerCatalog().indexOf(optimizerCatalog().find(QRVA_TIMELIMIT));
  auto started = Clock::now();
  auto remaining = [&] {
    return budget - std::chrono::duration<double>(Clock::now() - started).count();
  };

  // Trial 0 is the problem's own settings.
  size_t total = method.trials.size() + 1, bestTrial = 0;
  Outcome best;
  p.message(QRVA_MSG_INFO, formatText("%s: %zu trials of the %s solve within %g s", function, total,
                                      mip ? "MIP" : "LP", budget));
  try {
    for (size_t k = 0; k < total; ++k) {
      double left = remaining();
      if (left <= 0.0) {
        p.message(QRVA_MSG_INFO,
                  formatText("%s: the tuner's time (tunermaxtime) is up after %zu trials", function, k));
        break;
      }
      const TunerTrial empty;
      const TunerTrial &trial = k == 0 ? empty : method.trials[k - 1];
      std::string settings = k == 0 ? "the problem's own settings" : trialText(trial);
      p.controls = original;
      applyTrial(p, trial);
      // A trial that has not beaten the best finished one by then cannot
      // win: it stops there.
      double limit = std::min(userLimit, left);
      if (k > 0 && best.finished) limit = std::min(limit, kFaster * best.seconds);
      p.controls[limitIndex].d = limit >= kNoLimit ? kNoLimit : limit;
      Outcome o;
      try {
        o = runTrial(p, function, mip);
      } catch (const Failure &f) {
        // A problem its own settings cannot solve cannot be tuned; a trial
        // whose settings fail (threads another solve holds) is passed over.
        if (k == 0) throw;
        p.message(QRVA_MSG_INFO, formatText("%s: trial %zu of %zu (%s) failed: %s", function, k + 1, total,
                                            settings.c_str(), f.what()));
        continue;
      }
      p.message(QRVA_MSG_INFO, formatText("%s: trial %zu of %zu (%s): %s, %s in %.3f s", function, k + 1, total,
                                          settings.c_str(), o.status.c_str(),
                                          o.finished ? "finished" : "unfinished", o.seconds));
      if (k == 0 || better(o, best)) best = o, bestTrial = k;
      if (p.interruptReason.load() != 0) {
        p.message(QRVA_MSG_INFO, formatText("%s: interrupted; the best trial so far is kept", function));
        break;
      }
    }
  } catch (...) {
    // A failure leaves the problem as the tuner found it.
    p.controls = original;
    p.basis = basis;
    throw;
  }
  p.controls = original;
  if (bestTrial > 0) applyTrial(p, method.trials[bestTrial - 1]);
  p.invalidate(kStaleSolution);
  p.basis = basis;
  p.message(QRVA_MSG_INFO,
            formatText("%s: best trial %zu (%s): %s; its settings are left set", function, bestTrial + 1,
                       bestTrial == 0 ? "the problem's own settings" : trialText(method.trials[bestTrial - 1]).c_str(),
                       best.finished ? formatText("%.3f s", best.seconds).c_str()
                                     : formatText("unfinished, gap %g", best.gap).c_str()));
}

}  // namespace qrva
