#include "highs/options.h"

#include <algorithm>
#include <string>

#include "core/text.h"
#include "highs/log.h"
#include "interfaces/highs_c_api.h"

namespace qrva {
namespace {
const double kInf = 1e20;
}  // namespace

void setOptions(void *h, qrva_problem_s &p, SolveKind kind, const char *flags) {
  auto dbl = [&](const char *o, double v) { Highs_setDoubleOptionValue(h, o, v); };
  auto integer = [&](const char *o, int64_t v) {
    Highs_setIntOptionValue(h, o, static_cast<HighsInt>(std::min<int64_t>(v, 2147483647)));
  };
  auto str = [&](const char *o, const char *v) { Highs_setStringOptionValue(h, o, v); };
  Highs_resetOptions(h);
  Highs_setBoolOptionValue(h, "output_flag", highsLogWanted(p));
  Highs_setBoolOptionValue(h, "log_to_console", false);
  dbl("primal_feasibility_tolerance", p.dblControl(QRVA_FEASTOL));
  dbl("dual_feasibility_tolerance", p.dblControl(QRVA_OPTIMALITYTOL));
  dbl("mip_feasibility_tolerance", p.dblControl(QRVA_INTEGRALITYTOL));
  dbl("mip_abs_gap", p.dblControl(QRVA_MIPABSGAPTOL));
  dbl("mip_rel_gap", p.dblControl(QRVA_MIPRELGAPTOL));
  if (p.dblControl(QRVA_TIMELIMIT) < kInf) dbl("time_limit", p.dblControl(QRVA_TIMELIMIT));
  integer("simplex_iteration_limit", p.intControl(QRVA_LPITERLIMIT));
  integer("ipm_iteration_limit", p.intControl(QRVA_BARITERLIMIT));
  str("presolve", p.intControl(QRVA_PRESOLVE) ? "choose" : "off");
  str("run_crossover", p.intControl(QRVA_CROSSOVER) ? "on" : "off");
  int64_t threads = p.intControl(QRVA_THREADS);
  if (threads > 0) integer("threads", threads);
  if (threads > 1) str("parallel", "on");
  integer("mip_max_nodes", p.intControl(QRVA_MAXNODE));
  int64_t maxSolutions = p.intControl(QRVA_MAXMIPSOL);
  if (maxSolutions > 0) integer("mip_max_improving_sols", maxSolutions);
  integer("random_seed", p.intControl(QRVA_RANDOMSEED));
  if (!p.intControl(QRVA_SCALING)) integer("simplex_scale_strategy", 0);
  dbl("mip_heuristic_effort", p.dblControl(QRVA_HEURISTICEFFORT));
  int64_t cuts = p.intControl(QRVA_CUTSTRATEGY);
  Highs_setBoolOptionValue(h, "mip_allow_cut_separation_at_nodes", cuts > 0);
  if (cuts == 2) {
    // Three times HiGHS's defaults (10000 cuts, 10 and 30 rounds of age).
    integer("mip_pool_soft_limit", 30000);
    integer("mip_lp_age_limit", 30);
    integer("mip_pool_age_limit", 90);
  }
  // The algorithm: the flags, else the defaultalg control.
  std::string f = flags ? lowerCase(flags) : "";
  int alg = static_cast<int>(p.intControl(QRVA_DEFAULTALG));  // 1 auto 2 dual 3 primal 4 barrier
  if (f.find('d') != std::string::npos) alg = 2;
  if (f.find('p') != std::string::npos) alg = 3;
  if (f.find('b') != std::string::npos) alg = 4;
  if (kind == SolveKind::Lp) {
    if (alg == 2) str("solver", "simplex"), integer("simplex_strategy", 1);
    if (alg == 3) str("solver", "simplex"), integer("simplex_strategy", 4);
    if (alg == 4) str("solver", "ipm");
  }
}

}  // namespace qrva
