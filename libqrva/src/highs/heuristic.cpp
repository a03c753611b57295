#include "highs/heuristic.h"

#include <algorithm>
#include <memory>

#include "highs/log.h"
#include "highs/model.h"
#include "highs/scheduler.h"
#include "interfaces/highs_c_api.h"

namespace qrva {
namespace {
const int kHeuristicNodes = 200;
}  // namespace

bool heuristicMipSolution(qrva_problem_s &p, double seconds, std::vector<double> &x,
                          bool workerThread) {
  Check chk("tree search heuristic");
  const ProblemStore &s = *p.store;
  Model m;
  try {
    m = buildModel(s, chk, SolveKind::Mip);
  } catch (const Failure &) {
    return false;  // sets or indicators HiGHS cannot be given, a quadratic objective...
  }
  if (!m.anyIntegral) return false;
  int threads = static_cast<int>(std::min<int64_t>(p.intControl(QRVA_THREADS), 2147483647));
  std::unique_ptr<SchedulerHold> scheduler;
  if (!workerThread) {
    scheduler = std::make_unique<SchedulerHold>(threads);
    if (!scheduler->ok()) return false;
  }
  std::unique_ptr<void, HighsDeleter> h(Highs_create());
  Highs_setBoolOptionValue(h.get(), "output_flag", false);
  Highs_setIntOptionValue(h.get(), "mip_max_nodes", kHeuristicNodes);
  Highs_setDoubleOptionValue(h.get(), "time_limit", std::max(seconds, 0.0));
  Highs_setDoubleOptionValue(h.get(), "mip_rel_gap", p.dblControl(QRVA_MIPRELGAPTOL));
  Highs_setDoubleOptionValue(h.get(), "mip_feasibility_tolerance", p.dblControl(QRVA_INTEGRALITYTOL));
  Highs_setDoubleOptionValue(h.get(), "primal_feasibility_tolerance", p.dblControl(QRVA_FEASTOL));
  try {
    transferModel(h.get(), m, p, chk);
  } catch (const Failure &) {
    return false;
  }
  RunContext ctx(&p, std::chrono::steady_clock::now(), false);
  attachHighsCallbacks(h.get(), ctx);  // for its interrupt points; the log stays off
  Highs_run(h.get());
  HighsInt primal = 0;
  Highs_getIntInfoValue(h.get(), "primal_solution_status", &primal);
  if (primal != 2) return false;
  std::vector<double> all(m.cost.size());
  std::vector<double> dj(m.cost.size()), act(m.rowLower.size()), dual(m.rowLower.size());
  Highs_getSolution(h.get(), all.data(), dj.data(), act.data(), dual.data());
  x.assign(all.begin(), all.begin() + s.ncols());
  return true;
}

}  // namespace qrva
