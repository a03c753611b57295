/* SLP-named methods of quorva.problem for the nonlinear solver's settings:
 * SLP variables (initial values, step bounds, determining rows, tolerance
 * sets), tolerance sets, the nonlinear optimisation with the interpreter
 * lock released and its solution. */
#include "api/wrapper.h"
#include "module/docs.h"
#include "module/errors.h"

enum { IN = ARG_ARRAY };

static QSLPprob slpOf(const WrapperCall &c) { return c.problem->slpprob; }

static PyObject *addOrLoadVars(WrapperCall &c, bool load) {
  auto fn = load ? QSLPloadvars : QSLPaddvars;
  return c.done(fn(slpOf(c), c.n(0), c.in<int>(0), c.in<int>(1), c.in<int>(2), c.in<int>(3), c.in<int>(4),
                   c.in<double>(5), c.in<double>(6)));
}

#define VAR_ARGS                                                                                     \
  {                                                                                                  \
    {"colindex", KIND_COL, 0, IN, -1}, {"vartype", KIND_INT, 0, IN, -1}, {"detrow", KIND_ROW, 0, IN, -1}, \
        {"seqnum", KIND_INT, 0, IN, -1}, {"tolindex", KIND_INT, 0, IN, -1},                         \
        {"initvalue", KIND_DOUBLE, 0, IN, -1}, {"stepbound", KIND_DOUBLE, 0, IN, -1},               \
  }

static const WrapperSpec kAddvars{"OOOOOOO", "Wrong arguments in addvars", CHECK_BEFORE_PARSED, true,
                                  [](WrapperCall &c) { return addOrLoadVars(c, false); }, VAR_ARGS};
static const WrapperSpec kLoadvars{"OOOOOOO", "Wrong arguments in loadvars", CHECK_BEFORE_PARSED, true,
                                   [](WrapperCall &c) { return addOrLoadVars(c, true); }, VAR_ARGS};

static const WrapperSpec kDelvars{
    "O", "Incorrect arguments to delvars", CHECK_BEFORE_PARSED, true,
    [](WrapperCall &c) { return c.done(QSLPdelvars(slpOf(c), c.n(0), c.in<int>(0))); },
    {{"index", KIND_COL, 0, IN, -1}}};

/* Arguments 1..11: detrow (a row), then doubles initstepbound..value, then
 * the ints tolset, history, converged, vartype. */
static const WrapperSpec kChgvar{
    "|OOOOOOOOOOOO", "Incorrect arguments to chgvar", CHECK_BEFORE_PARSED, true,
    [](WrapperCall &c) -> PyObject * {
      int detrow = 0, *pdetrow = nullptr;
      if (c.given(1)) {
        if (ObjInt2int(c.object(1), c.problem, &detrow, KIND_ROW) != 0) return nullptr;
        pdetrow = &detrow;
      }
      double d[6];
      double *pd[6];
      for (int k = 0; k < 6; ++k)
        if (optionalNumber(c.object(2 + k), &d[k], &pd[k]) != 0) return nullptr;
      int v[4];
      int *pv[4];
      for (int k = 0; k < 4; ++k)
        if (optionalNumber(c.object(8 + k), &v[k], &pv[k]) != 0) return nullptr;
      return c.done(QSLPchgvar(slpOf(c), c.index[0], pdetrow, pd[0], pd[1], pd[2], pd[3], pd[4], pd[5], pv[0],
                               pv[1], pv[2], pv[3]));
    },
    {{"colindex", KIND_COL, -1, ARG_INDEX | ARG_REQUIRED, -1},
     {"detrow", -1, -1, 0, -1},
     {"initstepbound", -1, -1, 0, -1},
     {"stepbound", -1, -1, 0, -1},
     {"penalty", -1, -1, 0, -1},
     {"damp", -1, -1, 0, -1},
     {"initvalue", -1, -1, 0, -1},
     {"value", -1, -1, 0, -1},
     {"tolset", -1, -1, 0, -1},
     {"history", -1, -1, 0, -1},
     {"converged", -1, -1, 0, -1},
     {"vartype", -1, -1, 0, -1}}};

static const WrapperSpec kGetvar{
    "O", "Incorrect arguments in getvar", CHECK_BEFORE_PARSED, true,
    [](WrapperCall &c) -> PyObject * {
      int detrow, tolset, history, converged, vartype, delta, penaltydelta, updaterow;
      double initstepbound, stepbound, penalty, damp, initvalue, value, oldvalue;
      if (QSLPgetvar(slpOf(c), c.index[0], &detrow, &initstepbound, &stepbound, &penalty, &damp, &initvalue,
                     &value, &tolset, &history, &converged, &vartype, &delta, &penaltydelta, &updaterow,
                     &oldvalue) != 0)
        return nullptr;
      return Py_BuildValue("(iddddddiiiiiiid)", detrow, initstepbound, stepbound, penalty, damp, initvalue,
                           value, tolset, history, converged, vartype, delta, penaltydelta, updaterow, oldvalue);
    },
    {{"colindex", KIND_COL, -1, ARG_INDEX | ARG_REQUIRED, -1}}};

/* ---- tolerance sets ---- */

static PyObject *addOrLoadTolsets(WrapperCall &c, bool load) {
  if (c.n(0) % 9 != 0) return WrapperCall::interfaceError("The \"tol\" argument should have a multiple of 9 elements");
  auto fn = load ? QSLPloadtolsets : QSLPaddtolsets;
  return c.done(fn(slpOf(c), c.n(0) / 9, c.in<double>(0)));
}

static const WrapperSpec kAddtolsets{"O", "Wrong arguments in addtolsets", CHECK_BEFORE_PARSED, false,
                                     [](WrapperCall &c) { return addOrLoadTolsets(c, false); },
                                     {{"tol", KIND_DOUBLE, 0, IN, -1}}};
static const WrapperSpec kLoadtolsets{"O", "Wrong arguments in loadtolsets", CHECK_BEFORE_PARSED, false,
                                      [](WrapperCall &c) { return addOrLoadTolsets(c, true); },
                                      {{"tol", KIND_DOUBLE, 0, IN, -1}}};

/* status None keeps the bits the values give; tols None keeps the values. */
static const WrapperSpec kChgtolset{
    "iOO", "Incorrect arguments in chgtolset", CHECK_BEFORE_PARSED, false,
    [](WrapperCall &c) -> PyObject * {
      int status = 0, *pstatus = nullptr;
      if (optionalNumber(c.object(1), &status, &pstatus) != 0) return nullptr;
      if (c.given(2) && c.n(0) != 9) return WrapperCall::interfaceError("Wrong number of elements in tols (should be 9)");
      return c.done(QSLPchgtolset(slpOf(c), c.slot[0].integer, pstatus, c.in<double>(2)));
    },
    {{"ntol", -1, -1, 0, -1}, {"status", -1, -1, 0, -1}, {"tols", KIND_DOUBLE, 0, IN, -1}}};

/* The nine values go into the list; the status word is returned. */
static const WrapperSpec kGettolset{
    "iO", "Incorrect arguments in gettolset", CHECK_BEFORE_PARSED, false,
    [](WrapperCall &c) -> PyObject * {
      bool failed = false;
      double *tols = c.out<double>(1, 9, &failed);
      int status = 0;
      if (failed || QSLPgettolset(slpOf(c), c.slot[0].integer, &status, tols) != 0) return nullptr;
      return PyLong_FromLong(status);
    },
    {{"nslptol", -1, -1, 0, -1}, {"tols", KIND_DOUBLE, -1, ARG_OUTPUT, -1}}};

static const WrapperSpec kDeltolsets{
    "O", "Incorrect arguments to deltolsets", CHECK_BEFORE_PARSED, false,
    [](WrapperCall &c) { return c.done(QSLPdeltolsets(slpOf(c), c.n(0), c.in<int>(0))); },
    {{"index", KIND_INT, 0, IN, -1}}};

/* ---- the nonlinear solve and its solution ---- */

static const WrapperSpec kNlpoptimize{
    "|s", nullptr, CHECK_BEFORE, true,
    [](WrapperCall &c) {
      const char *flags = c.slot[0].text ? c.slot[0].text : "";
      return wrapperReleased(c, [&] { return QSLPnlpoptimize(slpOf(c), flags); });
    },
    {{"flags", -1, -1, 0, -1}}};

static const WrapperSpec kGlobalsol{"", nullptr, CHECK_BEFORE, true,
                                    [](WrapperCall &c) {
                                      return wrapperReleased(c, [&] { return QSLPglobal(slpOf(c)); });
                                    },
                                    {}};

/* Only the lists given get arrays. */
static const WrapperSpec kGetslpsol{
    "|OOOO", nullptr, CHECK_BEFORE, false,
    [](WrapperCall &c) -> PyObject * {
      int rows = 0, cols = 0;
      if (c.attribute(QRVA_ROWS, &rows) != 0 || c.attribute(QRVA_COLS, &cols) != 0) return nullptr;
      bool failed = false;
      double *x = c.out<double>(0, cols, &failed), *slack = c.out<double>(1, rows, &failed);
      double *dual = c.out<double>(2, rows, &failed), *dj = c.out<double>(3, cols, &failed);
      if (failed) return nullptr;
      return c.done(QSLPgetslpsol(slpOf(c), x, slack, dual, dj));
    },
    {{"x", KIND_DOUBLE, -1, ARG_OUTPUT, -1},
     {"slack", KIND_DOUBLE, -1, ARG_OUTPUT, -1},
     {"dual", KIND_DOUBLE, -1, ARG_OUTPUT, -1},
     {"dj", KIND_DOUBLE, -1, ARG_OUTPUT, -1}}};

static const WrapperSpec kSetcurrentiv{"", nullptr, CHECK_BEFORE, true,
                                       [](WrapperCall &c) { return c.done(QSLPsetcurrentiv(slpOf(c))); }, {}};

static const WrapperSpec kReinitialize{"", nullptr, CHECK_BEFORE, true,
                                       [](WrapperCall &c) { return c.done(QSLPreinitialize(slpOf(c))); }, {}};

static const WrapperSpec kGetdtime{"", nullptr, CHECK_BEFORE, false, [](WrapperCall &c) -> PyObject * {
                                     double time = 0.0;
                                     if (QSLPgetdtime(slpOf(c), &time) != 0) return nullptr;
                                     return PyFloat_FromDouble(time);
                                   },
                                   {}};

/* No problem handle: the library reports through the global environment. */
static const WrapperSpec kGetmessagetype{
    "i", "Incorrect argument in getmessagetype", CHECK_BEFORE_PARSED, false,
    [](WrapperCall &c) -> PyObject * {
      int type = 0;
      if (QSLPgetmessagetype(c.slot[0].integer, &type) != 0)
        return WrapperCall::interfaceError("Incorrect code passed to getmessagetype");
      return PyLong_FromLong(type);
    },
    {{"code", -1, -1, 0, -1}}};

#define VAR_ARGS_DOC                                                                                 \
  "colindex: the columns (indices, names or variables); vartype: codes of 0 or more; detrow: each "   \
  "column's determining row, -1 none; seqnum: cascading order; tolindex: a tolerance set 1..n, 0 "    \
  "none; initvalue: starting values; stepbound: initial step bounds, 0 for the solver's own. Any "    \
  "list but colindex may be None."

PyMethodDef problem_slpVariableMethods[] = {
    QRVA_WRAPPER("addvars", kAddvars,
                 QRVA_DOC("Gives columns SLP settings: starting values, step bounds, tolerance sets.",
                          "p.addvars(colindex, vartype, detrow, seqnum, tolindex, initvalue, stepbound)",
                          VAR_ARGS_DOC, "p.addvars([x, y], None, None, None, None, [1.0, -2.0], None)",
                          "solve() and nlpoptimize() start from the initial values given here.",
                          "loadvars, chgvar, getvar, delvars")),
    QRVA_WRAPPER("loadvars", kLoadvars,
                 QRVA_DOC("Replaces the SLP settings of every column by those given.",
                          "p.loadvars(colindex, vartype, detrow, seqnum, tolindex, initvalue, stepbound)",
                          VAR_ARGS_DOC, "p.loadvars([x], None, None, None, None, [3.0], None)",
                          "Columns not listed lose their SLP settings.", "addvars, chgvar")),
    QRVA_WRAPPER("delvars", kDelvars,
                 QRVA_DOC("Removes the SLP settings of columns.", "p.delvars(index)",
                          "index: columns that have SLP settings.", "p.delvars([x])",
                          "The columns stay in the problem; they start from 0 moved into their bounds again.",
                          "addvars, chgvar")),
    QRVA_WRAPPER("chgvar", kChgvar,
                 QRVA_DOC("Changes SLP settings of one column.",
                          "p.chgvar(colindex, detrow=None, initstepbound=None, stepbound=None, penalty=None, "
                          "damp=None, initvalue=None, value=None, tolset=None, history=None, converged=None, "
                          "vartype=None)",
                          "colindex: the column; every other argument given and not None replaces that setting.",
                          "p.chgvar(x, initvalue=2.5, tolset=1)",
                          "A column gets SLP settings the first time it is changed.", "getvar, addvars")),
    QRVA_WRAPPER("getvar", kGetvar,
                 QRVA_DOC("Reads the SLP settings and state of one column.", "p.getvar(colindex)",
                          "colindex: the column.", "detrow, isb, sb, pen, damp, iv, value, tolset, *rest = p.getvar(x)",
                          "The tuple: detrow, initstepbound, stepbound, penalty, damp, initvalue, value, tolset, "
                          "history, converged, vartype, delta, penaltydelta, updaterow, oldvalue; converged is "
                          "1 when the column met its convergence test at the end of the last solve.",
                          "chgvar, addvars")),
    QRVA_WRAPPER("addtolsets", kAddtolsets,
                 QRVA_DOC("Adds tolerance sets of nine values each.", "p.addtolsets(tol)",
                          "tol: 9 values per set, in the order abs. step, rel. step, step over step bound, abs. "
                          "row impact, rel. row impact, abs. objective impact, rel. objective impact, abs. "
                          "reduced cost, rel. reduced cost; a value of 0 is not in force.",
                          "p.addtolsets([1e-3, 0, 0, 0, 0, 0, 0, 0, 0])\n  p.chgvar(x, tolset=1)",
                          "A column naming a set has converged when its proposed step meets every tolerance in "
                          "force; the sets are numbered from 1.",
                          "loadtolsets, chgtolset, gettolset, deltolsets")),
    QRVA_WRAPPER("loadtolsets", kLoadtolsets,
                 QRVA_DOC("Replaces every tolerance set by those given.", "p.loadtolsets(tol)",
                          "tol: 9 values per set, as for addtolsets.", "p.loadtolsets([1e-6] * 9)",
                          "Refused while a column names a set beyond the new ones.", "addtolsets")),
    QRVA_WRAPPER("chgtolset", kChgtolset,
                 QRVA_DOC("Changes one tolerance set.", "p.chgtolset(ntol, status, tols)",
                          "ntol: the set (from 1); status: the word of tolerances in force (bit k: value k), or "
                          "None for the bits of the positive values; tols: 9 values, or None to keep them.",
                          "p.chgtolset(1, 0x1, [1e-4, 0, 0, 0, 0, 0, 0, 0, 0])", "Values must be 0 or more.",
                          "gettolset, addtolsets")),
    QRVA_WRAPPER("gettolset", kGettolset,
                 QRVA_DOC("Reads one tolerance set.", "status = p.gettolset(nslptol, tols)",
                          "nslptol: the set (from 1); tols: a list for its 9 values, or None.",
                          "t = []\n  status = p.gettolset(1, t)", "Returns the status word.", "chgtolset")),
    QRVA_WRAPPER("deltolsets", kDeltolsets,
                 QRVA_DOC("Deletes tolerance sets.", "p.deltolsets(index)", "index: sets (from 1) no column names.",
                          "p.deltolsets([2])", "Later sets move down; the columns naming them follow.",
                          "addtolsets")),
    QRVA_WRAPPER("nlpoptimize", kNlpoptimize,
                 QRVA_DOC("Solves the problem with the nonlinear solver.", "p.nlpoptimize(flags='')",
                          "flags: the algorithm of the linearizations, as for lpoptimize.",
                          "p.nlpoptimize()\n  x = []\n  p.getslpsol(x)",
                          "Starts from the columns' initial values. Other Python threads run during the solve; "
                          "Ctrl-C interrupts it.",
                          "getslpsol, solve, addvars")),
    QRVA_WRAPPER("globalsol", kGlobalsol,
                 QRVA_DOC("Solves the problem by branch-and-bound with a nonlinear solve at every node.",
                          "p.globalsol()", "None.",
                          "p.globalsol()\n  x = p.getSolution()\n  status = p.attributes.mipstatus",
                          "Each node's problem is the continuous relaxation with the node's bounds, solved by "
                          "the nonlinear solver from its parent's solution; nodes branch on integer columns, "
                          "sets, semi-continuous columns and indicator rows their solution leaves unsatisfied. solve() and "
                          "nlpoptimize() do the same for a problem with integer columns or sets. The node "
                          "solves are local: for a convex problem the result is optimal, for a non-convex one "
                          "locally optimal, not proven globally optimal. Node, time and gap limits are the MIP "
                          "controls (maxnode, timelimit, miprelgaptol); the slpnode callback fires before each "
                          "node's solve and may stop the search. The nonlinear status and objective, and the "
                          "MIP status, objective and best bound, are set. Other Python threads run during the "
                          "solve; Ctrl-C interrupts it.",
                          "nlpoptimize, solve, setcbslpnode")),
    QRVA_WRAPPER("getslpsol", kGetslpsol,
                 QRVA_DOC("Reads the last nonlinear solution.", "p.getslpsol(x=None, slack=None, dual=None, dj=None)",
                          "x, dj: lists for one value per column; slack, dual: for one value per row.",
                          "x = []\n  p.getslpsol(x)", "Lists not given are not filled.", "nlpoptimize")),
    QRVA_WRAPPER("setcurrentiv", kSetcurrentiv,
                 QRVA_DOC("Makes the last nonlinear solution the initial values of every column.", "p.setcurrentiv()",
                          "None.", "p.nlpoptimize()\n  p.setcurrentiv()\n  p.nlpoptimize()",
                          "The next solve starts from that point. Refused before a nonlinear solve.",
                          "addvars, reinitialize")),
    QRVA_WRAPPER("reinitialize", kReinitialize,
                 QRVA_DOC("Returns the nonlinear solver to its state before any solve.", "p.reinitialize()", "None.",
                          "p.reinitialize()",
                          "The last nonlinear solution, its statuses and the columns' solver state go; settings "
                          "(initial values, step bounds, tolerance sets, row weights) stay.",
                          "setcurrentiv, nlpoptimize")),
    QRVA_WRAPPER("getdtime", kGetdtime,
                 QRVA_DOC("Reads the nonlinear solver's clock.", "p.getdtime()", "None.",
                          "t0 = p.getdtime()\n  p.nlpoptimize()\n  seconds = p.getdtime() - t0",
                          "Seconds since the problem was created, on a clock that never goes back.",
                          "nlpoptimize")),
    QRVA_WRAPPER("getmessagetype", kGetmessagetype,
                 QRVA_DOC("Gives the message type a return code of the library is reported with.",
                          "p.getmessagetype(code)", "code: a return code of the library (0 success, 1 to 7 errors).",
                          "t = p.getmessagetype(1)",
                          "Returns 1 (information) for 0 and 4 (error) for the error codes.", "getlasterror")),
    {nullptr, nullptr, 0, nullptr},
};
