// The SLP library's controls and attributes: one row per entry.
#include <climits>

#include "slp/problem.h"
#include "core/version.h"

namespace qrva {
namespace {

using S = qslp_problem_s;
using Spec = ParamSpec<S>;

int slpFlags(const Spec &spec) {
  int flags = 0;
  switch (spec.type) {
    case ParamType::Int:
    case ParamType::Int64: flags = QSLP_CA_INT; break;
    case ParamType::Double: flags = QSLP_CA_DOUBLE; break;
    case ParamType::String: flags = QSLP_CA_STRING; break;
    case ParamType::Pointer: flags = QSLP_CA_POINTER; break;
  }
  return spec.isControl ? flags | QSLP_CA_CONTROL : flags;
}

const char *objectiveSenseRule(double value) {
  return value == 1.0 || value == -1.0 ? nullptr
                                       : "the sense is 1.0 (minimize) or -1.0 (maximize)";
}

// Rows and columns as the SLP engine sees them: those of the optimizer
// problem below (0 once it is gone).
int64_t optimizerRows(const S &s) { return s.qprob ? s.qprob->counts().rows : 0; }
int64_t optimizerCols(const S &s) { return s.qprob ? s.qprob->counts().cols : 0; }

std::vector<Spec> slpEntries() {
  const double kInf = QRVA_INFINITY;
  return {
      // Integer controls.
      Spec::intControl(QSLP_SLPITERLIMIT, "slpiterlimit", 1000, 0, INT_MAX,
                       "Most SLP iterations of one nonlinear solve"),
      Spec::intControl(QSLP_SLPLOG, "slplog", 1, 0, 2,
                       "SLP log: 0 none, 1 one line per iteration, 2 details"),
      Spec::intControl(QSLP_SLPTHREADS, "slpthreads", 0, 0, 1024,
                       "Workers running multistart jobs at the same time; 0 and 1 run them one "
                       "after the other"),
      Spec::intControl(QSLP_SLPSECONDORDER, "slpsecondorder", 1, 0, 1,
                       "Give the linearizations a quadratic term learnt from the iterations "
                       "(quasi-Newton curvature, solved as a convex QP) (1) or keep them linear "
                       "(0)"),
      Spec::intControl(QSLP_SLPCASCADE, "slpcascade", 0, 0, 1,
                       "Cascade the point before every SLP iteration: determined columns take "
                       "the values their determining rows give them (1), or not (0)"),
      Spec::intControl(QSLP_SLPCASCADENLIMIT, "slpcascadenlimit", 10, 1, 1000,
                       "Newton passes on its determining row per cascaded column, for columns "
                       "without a limit of their own"),
      Spec::intControl(QSLP_SLPSCALE, "slpscale", 0, 0, 1,
                       "Scale the rows and columns of every linearization (1), the factors taken "
                       "from the solve's first one, with the results in the problem's units; or "
                       "not (0)"),
      Spec::intControl(QSLP_SLPECHOOPTIMIZERLOG, "slpechooptimizerlog", 1, 0, 1,
                       "Pass the log of the inner LP solves on (1) or only the SLP log (0)"),
      // Double controls.
      Spec::dblControl(QSLP_SLPFEASTOL, "slpfeastol", 1e-6, 1e-11, 1e-1,
                       "Largest violation of a nonlinear row counted as feasible"),
      Spec::dblControl(QSLP_SLPCONVTOL, "slpconvtol", 1e-6, 0.0, 1.0,
                       "Largest KKT residual (projected gradient of the Lagrangian and complementarity "
                       "of the rows, relative to the largest term of the gradients) of a feasible "
                       "point counted as converged"),
      Spec::dblControl(QSLP_SLPPENALTYCOST, "slppenaltycost", 1000.0, 0.0, kInf,
                       "Starting cost of the penalty error vectors"),
      Spec::dblControl(QSLP_SLPTIMELIMIT, "slptimelimit", kInf, 0.0, kInf,
                       "Seconds a nonlinear solve may run; 1e20 means no limit"),
      Spec::dblControl(QSLP_SLPOBJSENSE, "slpobjsense", 1.0, -1.0, 1.0,
                       "Objective sense of the nonlinear problem: 1.0 minimize, -1.0 maximize",
                       objectiveSenseRule),
      // String controls.
      Spec::strControl(QSLP_SLPUNIQUEPREFIX, "slpuniqueprefix", "", 32,
                       "Prefix of the names of rows and columns the SLP engine adds"),
      // Integer attributes.
      Spec::intAttrib(QSLP_SLPROWS, "slprows", optimizerRows,
                      "Rows of the problem as the SLP engine sees it"),
      Spec::intAttrib(QSLP_SLPCOLS, "slpcols", optimizerCols,
                      "Columns of the problem as the SLP engine sees it"),
      Spec::intAttrib(QSLP_SLPUNITCOL, "slpunitcol", [](const S &) -> int64_t { return -1; },
                      "Column that carries formulas standing on their own; -1: they are kept "
                      "apart from the columns (give them column -1)"),
      Spec::intAttrib(QSLP_SLPCOEFFICIENTS, "slpcoefficients",
                      [](const S &s) -> int64_t { return s.counts().coefficients; },
                      "Formula coefficients"),
      Spec::intAttrib(QSLP_SLPNONLINEARROWS, "slpnonlinearrows",
                      [](const S &s) -> int64_t { return s.counts().nonlinearRows; },
                      "Rows holding formula coefficients"),
      Spec::intAttrib(QSLP_SLPVARS, "slpvars",
                      [](const S &s) -> int64_t { return s.counts().variables; },
                      "Columns with SLP settings"),
      Spec::intAttrib(QSLP_SLPUSERFUNCS, "slpuserfuncs",
                      [](const S &s) -> int64_t { return s.counts().userFunctions; },
                      "User functions"),
      Spec::intAttrib(QSLP_SLPTOLSETS, "slptolsets",
                      [](const S &s) -> int64_t { return s.counts().tolsets; },
                      "Tolerance sets"),
      Spec::intAttrib(QSLP_SLPITERATIONS, "slpiterations",
                      [](const S &s) -> int64_t { return s.state.iterations; },
                      "SLP iterations of the last nonlinear solve"),
      Spec::intAttrib(QSLP_NLPSTATUS, "nlpstatus",
                      [](const S &s) -> int64_t { return s.state.nlpStatus; },
                      "NLP status: 0 unstarted, 1 solution, 2 globally optimal, 3 locally "
                      "infeasible, 4 infeasible, 5 unbounded, 6 unfinished"),
      Spec::intAttrib(QSLP_SLPSTOPSTATUS, "slpstopstatus",
                      [](const S &s) -> int64_t { return s.state.stopStatus; },
                      "Why the last nonlinear solve stopped early (as stopstatus)"),
      Spec::intAttrib(QSLP_SLPSTATUS, "slpstatus",
                      [](const S &s) -> int64_t { return s.state.statusBits; },
                      "Status bits: 1 constructed, 0x20000000 presolved"),
      Spec::intAttrib(QSLP_KKTVALIDATED, "kktvalidated",
                      [](const S &s) -> int64_t { return s.state.kktValidated; },
                      "1 when the last validatekkt found a KKT residual within its target"),
      // Double attributes.
      Spec::dblAttrib(QSLP_NLPOBJVAL, "nlpobjval", [](const S &s) { return s.state.objective; },
                      "Objective value of the last nonlinear solve"),
      Spec::dblAttrib(QSLP_SLPSOLVETIME, "slpsolvetime",
                      [](const S &s) { return s.state.solveTime; },
                      "Seconds the last nonlinear solve took"),
      Spec::dblAttrib(QSLP_VALIDATIONINDEX_A, "validationindex_a",
                      [](const S &s) { return s.state.validationAbs; },
                      "Largest violation of a row or bound found by the last validate or "
                      "validaterow"),
      Spec::dblAttrib(QSLP_VALIDATIONINDEX_R, "validationindex_r",
                      [](const S &s) { return s.state.validationRel; },
                      "Largest violation relative to max(1, |bound|) found by the last validate "
                      "or validaterow"),
      Spec::dblAttrib(QSLP_VALIDATIONINDEX_K, "validationindex_k",
                      [](const S &s) { return s.state.validationKkt; },
                      "KKT residual found by the last validatekkt"),
      // String attributes.
      Spec::strAttrib(QSLP_SLPVERSION, "slpversion",
                      [](const S &) { return std::string(kVersionText); },
                      "Version of the SLP engine"),
      // Pointer attributes.
      Spec::ptrAttrib(QSLP_OPTIMIZERPROBLEM, "optimizerproblem",
                      [](const S &s) -> void * { return static_cast<QRVAprob>(s.qprob); },
                      "The optimizer problem under this SLP problem"),
  };
}

}  // namespace

const Catalog<qslp_problem_s> &slpCatalog() {
  static const Catalog<qslp_problem_s> catalog(slpEntries(), slpFlags, "qslp");
  return catalog;
}

}  // namespace qrva
