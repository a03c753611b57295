// The optimizer's controls and attributes: one row per entry.
#include <climits>

#include "model/problem.h"
#include "core/version.h"

namespace qrva {
namespace {

using P = qrva_problem_s;
using Spec = ParamSpec<P>;

int optimizerFlags(const Spec &spec) {
  int flags = 0;
  if (spec.type == ParamType::Int || spec.type == ParamType::Int64) flags |= QRVA_CA_INT;
  if (spec.type == ParamType::Double) flags |= QRVA_CA_DOUBLE;
  if (spec.isControl) flags |= QRVA_CA_CONTROL;
  return flags;
}

const double kInf = QRVA_INFINITY;

std::vector<Spec> optimizerEntries() {
  return {
      // Integer controls.
      Spec::intControl(8001, "lpiterlimit", INT_MAX, 0, INT_MAX,
                       "Most simplex iterations of one LP solve"),
      Spec::intControl(8002, "bariterlimit", 500, 0, INT_MAX,
                       "Most barrier iterations of one LP solve"),
      Spec::intControl(8003, "presolve", 1, 0, 1, "Presolve before solving (1) or not (0)"),
      Spec::intControl(8004, "defaultalg", 1, 1, 4,
                       "LP algorithm when the flags name none: 1 automatic, 2 dual simplex, 3 "
                       "primal simplex, 4 barrier"),
      Spec::intControl(8005, "crossover", 1, 0, 1,
                       "Turn a barrier solution into a basic one (1) or not (0)"),
      Spec::intControl(8006, "threads", 0, 0, 1024, "Worker threads; 0 lets the engine choose"),
      Spec::intControl(8007, "maxnode", INT_MAX, 0, INT_MAX,
                       "Most nodes of a tree search"),
      Spec::intControl(8008, "maxmipsol", 0, 0, INT_MAX,
                       "Stop a MIP solve after this many solutions; 0 means no limit"),
      Spec::intControl(8009, "randomseed", 0, 0, INT_MAX, "Seed of the engine's random choices"),
      Spec::intControl(kMaxProbNameLength, "maxprobnamelength", 1024, 8, 65536,
                       "Longest problem name accepted, in bytes"),
      Spec::intControl(8011, "extrarows", 0, 0, INT_MAX,
                       "Spare rows to reserve when a problem is loaded"),
      Spec::intControl(8012, "scaling", 1, 0, 1, "Scale the problem before solving (1) or not (0)"),
      Spec::intControl(kOutputLog, "outputlog", 1, 0, 1,
                       "Print this problem's log to standard output (1) or not (0); message callbacks and handlers receive it either way"),
      // Double controls.
      Spec::dblControl(7001, "feastol", 1e-7, 1e-11, 1e-1,
                       "Largest violation of a bound or row counted as feasible"),
      Spec::dblControl(7002, "optimalitytol", 1e-7, 1e-11, 1e-1,
                       "Largest reduced-cost violation counted as optimal"),
      Spec::dblControl(7003, "integralitytol", 1e-6, 1e-11, 0.5,
                       "Largest distance from an integer counted as integral"),
      Spec::dblControl(7004, "mipabsgaptol", 0.0, 0.0, kInf,
                       "Stop a MIP solve when the absolute gap is at most this"),
      Spec::dblControl(7005, "miprelgaptol", 1e-4, 0.0, kInf,
                       "Stop a MIP solve when the relative gap is at most this"),
      Spec::dblControl(7006, "timelimit", kInf, 0.0, kInf,
                       "Seconds a solve may run; 1e20 means no limit"),
      Spec::dblControl(7007, "matrixtol", 1e-9, 0.0, 1e-3,
                       "Matrix coefficients of smaller magnitude are dropped"),
      // String controls.
      Spec::strControl(6001, "mpsrhsname", "", 64,
                       "Right-hand-side vector to read from problem files; empty: the first"),
      Spec::strControl(6002, "mpsboundname", "", 64,
                       "Bound vector to read from problem files; empty: the first"),
      Spec::strControl(6003, "mpsrangename", "", 64,
                       "Range vector to read from problem files; empty: the first"),
      // Integer attributes.
      Spec::intAttrib(1001, "rows", [](const P &p) -> int64_t { return p.store->nrows(); },
                      "Rows of the problem as it stands (presolved while presolved)"),
      Spec::int64Attrib(1002, "elems",
                        [](const P &p) -> int64_t { return p.store->elements(); },
                        "Matrix elements"),
      Spec::intAttrib(1004, "sets", [](const P &p) -> int64_t { return static_cast<int64_t>(p.store->sets.size()); },
                      "Special ordered sets"),
      Spec::intAttrib(1005, "setmembers",
                      [](const P &p) -> int64_t { return p.counts().setMembers; },
                      "Members of all special ordered sets"),
      Spec::intAttrib(1010, "lpstatus", [](const P &p) -> int64_t { return p.solve.lpStatus; },
                      "LP status: 0 unstarted, 1 optimal, 2 infeasible, 3 cut off, 4 "
                      "unfinished, 5 unbounded, 6 cut off in dual, 7 unsolved, 8 nonconvex"),
      Spec::intAttrib(1011, "mipstatus", [](const P &p) -> int64_t { return p.solve.mipStatus; },
                      "MIP status: 0 not loaded, 1 LP not optimal, 2 LP optimal, 3 no solution "
                      "found, 4 solution, 5 infeasible, 6 optimal, 7 unbounded"),
      Spec::int64Attrib(1012, "qelems",
                        [](const P &p) -> int64_t { return p.counts().quadraticElements; },
                        "Quadratic objective elements"),
      Spec::intAttrib(1013, "qconstraints",
                      [](const P &p) -> int64_t { return p.counts().quadraticRows; },
                      "Rows with quadratic terms"),
      Spec::intAttrib(1014, "indicators",
                      [](const P &p) -> int64_t { return p.counts().indicators; },
                      "Indicator rows"),
      Spec::intAttrib(1018, "cols", [](const P &p) -> int64_t { return p.store->ncols(); },
                      "Columns of the problem as it stands (presolved while presolved)"),
      Spec::intAttrib(1019, "sparerows",
                      [](const P &p) -> int64_t { return p.counts().spareRows; },
                      "Spare rows reserved after the rows"),
      Spec::intAttrib(1028, "namelength",
                      [](const P &p) -> int64_t { return (p.counts().longestName + 7) / 8; },
                      "Longest row, column or set name, in units of 8 bytes"),
      Spec::intAttrib(1032, "discretecols",
                      [](const P &p) -> int64_t { return p.counts().discreteCols; },
                      "Integer, binary, semi-continuous, semi-integer and partially integer "
                      "columns"),
      Spec::int64Attrib(1040, "simplexiters",
                        [](const P &p) -> int64_t { return p.solve.simplexIterations; },
                        "Simplex iterations of the last solve"),
      Spec::intAttrib(1041, "bariters",
                      [](const P &p) -> int64_t { return p.solve.barrierIterations; },
                      "Barrier iterations of the last solve"),
      Spec::int64Attrib(1042, "nodes", [](const P &p) -> int64_t { return p.solve.nodes; },
                        "Nodes of the last tree search"),
      Spec::intAttrib(1043, "mipsols",
                      [](const P &p) -> int64_t { return p.solve.mipSolutions; },
                      "Solutions found by the last MIP solve"),
      Spec::intAttrib(1050, "stopstatus",
                      [](const P &p) -> int64_t { return p.solve.stopStatus; },
                      "Why the last solve stopped early: 0 it did not, 1 time limit, 2 ctrl-c, "
                      "3 node limit, 4 iteration limit, 5 gap, 6 solution limit, 9 user"),
      Spec::intAttrib(1051, "presolvestate",
                      [](const P &p) -> int64_t { return p.solve.presolveState; },
                      "0 while the problem is in its original form, 1 while presolved"),
      Spec::intAttrib(1124, "originalrows",
                      [](const P &p) -> int64_t { return p.store->nrows(); },
                      "Rows of the original problem"),
      Spec::intAttrib(1158, "probnamebuffersize",
                      [](const P &p) -> int64_t { return static_cast<int64_t>(p.name.size()) + 1; },
                      "Bytes needed to hold the problem name with its zero byte"),
      Spec::intAttrib(1194, "originalsets",
                      [](const P &p) -> int64_t { return static_cast<int64_t>(p.store->sets.size()); },
                      "Sets of the original problem"),
      Spec::intAttrib(1214, "originalcols",
                      [](const P &p) -> int64_t { return p.store->ncols(); },
                      "Columns of the original problem"),
      // Double attributes.
      Spec::dblAttrib(2001, "lpobjval", [](const P &p) { return p.solve.lpObjective; },
                      "Objective value of the last LP solve"),
      Spec::dblAttrib(2003, "mipobjval", [](const P &p) { return p.solve.mipObjective; },
                      "Objective value of the best MIP solution"),
      Spec::dblAttrib(2004, "bestbound", [](const P &p) { return p.solve.bestBound; },
                      "Best bound of the last tree search"),
      Spec::dblAttrib(2005, "mipgap", [](const P &p) { return p.solve.mipGap; },
                      "Relative gap between the best solution and the best bound"),
      Spec::dblAttrib(2006, "solvetime", [](const P &p) { return p.solve.solveTime; },
                      "Seconds the last solve took"),
      // String attributes.
      Spec::strAttrib(3001, "probname", [](const P &p) { return p.name; }, "Problem name"),
      Spec::strAttrib(3002, "version", [](const P &) { return std::string(kVersionText); },
                      "Version of the library"),
  };
}

}  // namespace

const Catalog<qrva_problem_s> &optimizerCatalog() {
  static const Catalog<qrva_problem_s> catalog(optimizerEntries(), optimizerFlags, nullptr);
  return catalog;
}

}  // namespace qrva
