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
      Spec::intControl(QRVA_LPITERLIMIT, "lpiterlimit", INT_MAX, 0, INT_MAX,
                       "Most simplex iterations of one LP solve"),
      Spec::intControl(QRVA_BARITERLIMIT, "bariterlimit", 500, 0, INT_MAX,
                       "Most barrier iterations of one LP solve"),
      Spec::intControl(QRVA_PRESOLVE, "presolve", 1, 0, 1,
                       "Presolve before solving (1) or not (0)"),
      Spec::intControl(QRVA_DEFAULTALG, "defaultalg", 1, 1, 4,
                       "LP algorithm when the flags name none: 1 automatic, 2 dual simplex, 3 "
                       "primal simplex, 4 barrier"),
      Spec::intControl(QRVA_CROSSOVER, "crossover", 1, 0, 1,
                       "Turn a barrier solution into a basic one (1) or not (0)"),
      Spec::intControl(QRVA_THREADS, "threads", 0, 0, 1024,
                       "Worker threads; 0 lets the engine choose"),
      Spec::intControl(QRVA_MAXNODE, "maxnode", INT_MAX, 0, INT_MAX,
                       "Most nodes of a tree search"),
      Spec::intControl(QRVA_MAXMIPSOL, "maxmipsol", 0, 0, INT_MAX,
                       "Stop a MIP solve after this many solutions; 0 means no limit"),
      Spec::intControl(QRVA_RANDOMSEED, "randomseed", 0, 0, INT_MAX,
                       "Seed of the engine's random choices"),
      Spec::intControl(QRVA_MAXPROBNAMELENGTH, "maxprobnamelength", 1024, 8, 65536,
                       "Longest problem name accepted, in bytes"),
      Spec::intControl(QRVA_EXTRAROWS, "extrarows", 0, 0, INT_MAX,
                       "Spare rows to reserve when a problem is loaded"),
      Spec::intControl(QRVA_SCALING, "scaling", 1, 0, 1,
                       "Scale the problem before solving (1) or not (0)"),
      Spec::intControl(QRVA_LPLOGFREQ, "lplogfreq", 100, 0, INT_MAX,
                       "Simplex iterations between two calls of the lplog callbacks; 0: none"),
      Spec::intControl(QRVA_OUTPUTLOG, "outputlog", 1, 0, 1,
                       "Print this problem's log to standard output (1) or not (0); message callbacks and handlers receive it either way"),
      Spec::intControl(QRVA_TREESEARCH, "treesearch", 0, 0, 2,
                       "MIP search: 0 HiGHS's MIP unless node callbacks, a quadratic "
                       "objective, directives or marked rows need the engine's own tree "
                       "search, 1 always the engine's tree search, 2 always HiGHS's MIP"),
      Spec::intControl(QRVA_TREECUTROUNDS, "treecutrounds", 10, 0, 1000,
                       "Rounds of Gomory mixed-integer and knapsack cover cuts the engine's own tree "
                       "search separates at the root; 0 none"),
      Spec::intControl(QRVA_CUTSTRATEGY, "cutstrategy", 1, 0, 2,
                       "Cut separation of HiGHS's MIP search: 0 at the root only, 1 also at the "
                       "nodes, 2 also at the nodes with a larger, longer-kept cut pool"),
      // Double controls.
      Spec::dblControl(QRVA_FEASTOL, "feastol", 1e-7, 1e-11, 1e-1,
                       "Largest violation of a bound or row counted as feasible"),
      Spec::dblControl(QRVA_OPTIMALITYTOL, "optimalitytol", 1e-7, 1e-11, 1e-1,
                       "Largest reduced-cost violation counted as optimal"),
      Spec::dblControl(QRVA_INTEGRALITYTOL, "integralitytol", 1e-6, 1e-11, 0.5,
                       "Largest distance from an integer counted as integral"),
      Spec::dblControl(QRVA_MIPABSGAPTOL, "mipabsgaptol", 0.0, 0.0, kInf,
                       "Stop a MIP solve when the absolute gap is at most this"),
      Spec::dblControl(QRVA_MIPRELGAPTOL, "miprelgaptol", 1e-4, 0.0, kInf,
                       "Stop a MIP solve when the relative gap is at most this"),
      Spec::dblControl(QRVA_TIMELIMIT, "timelimit", kInf, 0.0, kInf,
                       "Seconds a solve may run; 1e20 means no limit"),
      Spec::dblControl(QRVA_MATRIXTOL, "matrixtol", 1e-9, 0.0, 1e-3,
                       "Matrix coefficients of smaller magnitude are dropped"),
      Spec::dblControl(QRVA_MIPRELGAPNOTIFY, "miprelgapnotify", -1.0, -kInf, kInf,
                       "Call the gapnotify callbacks once the relative gap is at most this; "
                       "negative: never"),
      Spec::dblControl(QRVA_MIPABSGAPNOTIFY, "mipabsgapnotify", -1.0, -kInf, kInf,
                       "Call the gapnotify callbacks once the absolute gap is at most this; "
                       "negative: never"),
      Spec::dblControl(QRVA_MIPABSGAPNOTIFYOBJ, "mipabsgapnotifyobj", kInf, -kInf, kInf,
                       "Call the gapnotify callbacks once the best solution's objective is at "
                       "least this good; +-1e20: never"),
      Spec::dblControl(QRVA_MIPABSGAPNOTIFYBOUND, "mipabsgapnotifybound", kInf, -kInf, kInf,
                       "Call the gapnotify callbacks once the best bound reaches this; +-1e20: "
                       "never"),
      Spec::dblControl(QRVA_HEURISTICEFFORT, "heuristiceffort", 0.05, 0.0, 1.0,
                       "Share of HiGHS's MIP search spent in primal heuristics"),
      Spec::dblControl(QRVA_TUNERMAXTIME, "tunermaxtime", kInf, 0.0, kInf,
                       "Seconds the tuner may run in all; 1e20 means no limit"),
      // String controls.
      Spec::strControl(QRVA_MPSRHSNAME, "mpsrhsname", "", 64,
                       "Right-hand-side vector to read from problem files; empty: the first"),
      Spec::strControl(QRVA_MPSBOUNDNAME, "mpsboundname", "", 64,
                       "Bound vector to read from problem files; empty: the first"),
      Spec::strControl(QRVA_MPSRANGENAME, "mpsrangename", "", 64,
                       "Range vector to read from problem files; empty: the first"),
      // Integer attributes.
      Spec::intAttrib(QRVA_ROWS, "rows", [](const P &p) -> int64_t { return p.store->nrows(); },
                      "Rows of the problem as it stands (presolved while presolved)"),
      Spec::int64Attrib(QRVA_ELEMS, "elems",
                        [](const P &p) -> int64_t { return p.store->elements(); },
                        "Matrix elements"),
      Spec::intAttrib(QRVA_SETS, "sets",
                      [](const P &p) -> int64_t { return static_cast<int64_t>(p.store->sets.size()); },
                      "Special ordered sets"),
      Spec::intAttrib(QRVA_SETMEMBERS, "setmembers",
                      [](const P &p) -> int64_t { return p.counts().setMembers; },
                      "Members of all special ordered sets"),
      Spec::intAttrib(QRVA_LPSTATUS, "lpstatus",
                      [](const P &p) -> int64_t { return p.solve.lpStatus; },
                      "LP status: 0 unstarted, 1 optimal, 2 infeasible, 3 cut off, 4 "
                      "unfinished, 5 unbounded, 6 cut off in dual, 7 unsolved, 8 nonconvex"),
      Spec::intAttrib(QRVA_MIPSTATUS, "mipstatus",
                      [](const P &p) -> int64_t { return p.solve.mipStatus; },
                      "MIP status: 0 not loaded, 1 LP not optimal, 2 LP optimal, 3 no solution "
                      "found, 4 solution, 5 infeasible, 6 optimal, 7 unbounded"),
      Spec::int64Attrib(QRVA_QELEMS, "qelems",
                        [](const P &p) -> int64_t { return p.counts().quadraticElements; },
                        "Quadratic objective elements"),
      Spec::intAttrib(QRVA_QCONSTRAINTS, "qconstraints",
                      [](const P &p) -> int64_t { return p.counts().quadraticRows; },
                      "Rows with quadratic terms"),
      Spec::intAttrib(QRVA_INDICATORS, "indicators",
                      [](const P &p) -> int64_t { return p.counts().indicators; },
                      "Indicator rows"),
      Spec::intAttrib(QRVA_COLS, "cols", [](const P &p) -> int64_t { return p.store->ncols(); },
                      "Columns of the problem as it stands (presolved while presolved)"),
      Spec::intAttrib(QRVA_SPAREROWS, "sparerows",
                      [](const P &p) -> int64_t { return p.counts().spareRows; },
                      "Spare rows reserved after the rows"),
      Spec::intAttrib(QRVA_NAMELENGTH, "namelength",
                      [](const P &p) -> int64_t { return (p.counts().longestName + 7) / 8; },
                      "Longest row, column or set name, in units of 8 bytes"),
      Spec::intAttrib(QRVA_DISCRETECOLS, "discretecols",
                      [](const P &p) -> int64_t { return p.counts().discreteCols; },
                      "Integer, binary, semi-continuous, semi-integer and partially integer "
                      "columns"),
      Spec::int64Attrib(QRVA_SIMPLEXITERS, "simplexiters",
                        [](const P &p) -> int64_t { return p.solve.simplexIterations; },
                        "Simplex iterations of the last solve"),
      Spec::intAttrib(QRVA_BARITERS, "bariters",
                      [](const P &p) -> int64_t { return p.solve.barrierIterations; },
                      "Barrier iterations of the last solve"),
      Spec::int64Attrib(QRVA_NODES, "nodes", [](const P &p) -> int64_t { return p.solve.nodes; },
                        "Nodes of the last tree search"),
      Spec::intAttrib(QRVA_MIPSOLS, "mipsols",
                      [](const P &p) -> int64_t { return p.solve.mipSolutions; },
                      "Solutions found by the last MIP solve"),
      Spec::intAttrib(QRVA_STOPSTATUS, "stopstatus",
                      [](const P &p) -> int64_t { return p.solve.stopStatus; },
                      "Why the last solve stopped early: 0 it did not, 1 time limit, 2 ctrl-c, "
                      "3 node limit, 4 iteration limit, 5 gap, 6 solution limit, 9 user"),
      Spec::intAttrib(QRVA_PRESOLVESTATE, "presolvestate",
                      [](const P &p) -> int64_t { return p.solve.presolveState; },
                      "0 while the problem is in its original form, 1 while presolved"),
      Spec::intAttrib(QRVA_ORIGINALROWS, "originalrows",
                      [](const P &p) -> int64_t { return p.store->nrows(); },
                      "Rows of the original problem"),
      Spec::intAttrib(QRVA_PROBNAMEBUFFERSIZE, "probnamebuffersize",
                      [](const P &p) -> int64_t { return static_cast<int64_t>(p.name.size()) + 1; },
                      "Bytes needed to hold the problem name with its zero byte"),
      Spec::intAttrib(QRVA_ORIGINALSETS, "originalsets",
                      [](const P &p) -> int64_t { return static_cast<int64_t>(p.store->sets.size()); },
                      "Sets of the original problem"),
      Spec::intAttrib(QRVA_ORIGINALCOLS, "originalcols",
                      [](const P &p) -> int64_t { return p.store->ncols(); },
                      "Columns of the original problem"),
      Spec::int64Attrib(QRVA_CURRENTNODE, "currentnode",
                        [](const P &p) -> int64_t { return p.nodeAttributes.node; },
                        "Number of the node a tree-search callback is given (the root is 1)"),
      Spec::int64Attrib(QRVA_PARENTNODE, "parentnode",
                        [](const P &p) -> int64_t { return p.nodeAttributes.parent; },
                        "Number of the parent of the node a tree-search callback is given"),
      Spec::intAttrib(QRVA_NODEDEPTH, "nodedepth",
                      [](const P &p) -> int64_t { return p.nodeAttributes.depth; },
                      "Depth of the node a tree-search callback is given (the root is 0)"),
      Spec::int64Attrib(QRVA_ACTIVENODES, "activenodes",
                        [](const P &p) -> int64_t { return p.nodeAttributes.activeNodes; },
                        "Nodes of the tree search still open, the current one included"),
      Spec::intAttrib(QRVA_MIPTHREADID, "mipthreadid",
                      [](const P &p) -> int64_t { return p.nodeAttributes.thread; },
                      "Worker of the tree search that runs the current node"),
      // Double attributes.
      Spec::dblAttrib(QRVA_LPOBJVAL, "lpobjval", [](const P &p) { return p.solve.lpObjective; },
                      "Objective value of the last LP solve"),
      Spec::dblAttrib(QRVA_MIPOBJVAL, "mipobjval", [](const P &p) { return p.solve.mipObjective; },
                      "Objective value of the best MIP solution"),
      Spec::dblAttrib(QRVA_BESTBOUND, "bestbound", [](const P &p) { return p.solve.bestBound; },
                      "Best bound of the last tree search"),
      Spec::dblAttrib(QRVA_MIPGAP, "mipgap", [](const P &p) { return p.solve.mipGap; },
                      "Relative gap between the best solution and the best bound"),
      Spec::dblAttrib(QRVA_SOLVETIME, "solvetime", [](const P &p) { return p.solve.solveTime; },
                      "Seconds the last solve took"),
      // String attributes.
      Spec::strAttrib(QRVA_PROBNAME, "probname", [](const P &p) { return p.name; }, "Problem name"),
      Spec::strAttrib(QRVA_VERSION, "version", [](const P &) { return std::string(kVersionText); },
                      "Version of the library"),
  };
}

}  // namespace

const Catalog<qrva_problem_s> &optimizerCatalog() {
  static const Catalog<qrva_problem_s> catalog(optimizerEntries(), optimizerFlags, nullptr);
  return catalog;
}

}  // namespace qrva
