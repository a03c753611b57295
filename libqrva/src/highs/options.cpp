#include "highs/options.h"

#include <algorithm>
#include <string>

#include "core/text.h"
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
  Highs_setBoolOptionValue(h, "output_flag", p.messagesHeard());
  Highs_setBoolOptionValue(h, "log_to_console", false);
  dbl("primal_feasibility_tolerance", p.dblControl(7001));
  dbl("dual_feasibility_tolerance", p.dblControl(7002));
  dbl("mip_feasibility_tolerance", p.dblControl(7003));
  dbl("mip_abs_gap", p.dblControl(7004));
  dbl("mip_rel_gap", p.dblControl(7005));
  if (p.dblControl(7006) < kInf) dbl("time_limit", p.dblControl(7006));
  integer("simplex_iteration_limit", p.intControl(8001));
  integer("ipm_iteration_limit", p.intControl(8002));
  str("presolve", p.intControl(8003) ? "choose" : "off");
  str("run_crossover", p.intControl(8005) ? "on" : "off");
  int64_t threads = p.intControl(8006);
  if (threads > 0) integer("threads", threads);
  if (threads > 1) str("parallel", "on");
  integer("mip_max_nodes", p.intControl(8007));
  if (p.intControl(8008) > 0) integer("mip_max_improving_sols", p.intControl(8008));
  integer("random_seed", p.intControl(8009));
  if (!p.intControl(8012)) integer("simplex_scale_strategy", 0);
  // The algorithm: the flags, else the defaultalg control.
  std::string f = flags ? lowerCase(flags) : "";
  int alg = static_cast<int>(p.intControl(8004));  // 1 auto 2 dual 3 primal 4 barrier
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
