/* Library-named methods for the basis and the problem's settings in the
 * library: log file, name, message status and control defaults. */
#include "api/wrapper.h"
#include "module/docs.h"

/* Statuses of the rows and columns of the original problem, or of the
 * presolved one. */
template <bool Presolved>
static PyObject *getBasisBody(WrapperCall &c) {
  if ((Presolved ? wrapperPresolvedSizes : wrapperOriginalSizes)(c) != 0) return nullptr;
  bool failed = false;
  int *rows = c.out<int>(0, c.count[0], &failed), *cols = c.out<int>(1, c.count[1], &failed);
  if (failed) return nullptr;
  return c.done((Presolved ? QRVAgetpresolvebasis : QRVAgetbasis)(c.qprob(), rows, cols));
}

#define GET_BASIS_ARGS {{"rstatus", KIND_INT, -1, ARG_REQUIRED, -1}, {"cstatus", KIND_INT, -1, ARG_REQUIRED, -1}}

static const WrapperSpec kGetbasis{"OO", "Must provide arguments (as lists) of get[presolve]basis", CHECK_BEFORE,
                                   false, getBasisBody<false>, GET_BASIS_ARGS};
static const WrapperSpec kGetpresolvebasis{"OO", "Must provide arguments (as lists) of get[presolve]basis",
                                           CHECK_BEFORE, false, getBasisBody<true>, GET_BASIS_ARGS};

/* The status lists must have one entry per row and per column. Statuses are
 * read as row and column indices are, so plain integers pass unchanged. */
#define LOAD_BASIS_ARGS \
  {{"rstatus", KIND_ROW, 0, ARG_ARRAY | ARG_REQUIRED, -1}, {"cstatus", KIND_COL, 1, ARG_ARRAY | ARG_REQUIRED, -1}}

static const WrapperSpec kLoadbasis{
    "OO", "Must provide argument rstatus, cstatus", CHECK_BEFORE, false,
    [](WrapperCall &c) { return c.done(QRVAloadbasis(c.qprob(), c.in<int>(0), c.in<int>(1))); }, LOAD_BASIS_ARGS,
    wrapperOriginalSizes};
static const WrapperSpec kLoadpresolvebasis{
    "OO", "Must provide argument rstatus, cstatus", CHECK_BEFORE, false,
    [](WrapperCall &c) { return c.done(QRVAloadpresolvebasis(c.qprob(), c.in<int>(0), c.in<int>(1))); },
    LOAD_BASIS_ARGS, wrapperPresolvedSizes};

/* Original index of each row and column of the presolved problem. */
static const WrapperSpec kGetpresolvemap{
    "OO", "Must provide argument rowmap and colmap", CHECK_BEFORE, false,
    [](WrapperCall &c) -> PyObject * {
      if (wrapperPresolvedSizes(c) != 0) return nullptr;
      bool failed = false;
      int *rowmap = c.out<int>(0, c.count[0], &failed), *colmap = c.out<int>(1, c.count[1], &failed);
      if (failed) return nullptr;
      return c.done(QRVAgetpresolvemap(c.qprob(), rowmap, colmap));
    },
    {{"rowmap", KIND_INT, -1, ARG_REQUIRED, -1}, {"colmap", KIND_INT, -1, ARG_REQUIRED, -1}}};

/* The basic variable of each position of the basis matrix, as the
 * problem's constraints and variables. */
static const WrapperSpec kGetpivotorder{
    "O", "Must provide argument mpiv", CHECK_BEFORE, false,
    [](WrapperCall &c) -> PyObject * {
      int rows = 0;
      if (c.attribute(QRVA_ROWS, &rows) != 0) return nullptr;
      bool failed = false;
      int *pivots = c.all<int>(0, rows, &failed);
      if (failed) return nullptr;
      return c.done(QRVAgetpivotorder(c.qprob(), pivots));
    },
    {{"mpiv", KIND_ROWCOL, -1, ARG_REQUIRED, -1}}};

/* The entering row or column: an index of the combined numbering, a
 * constraint or row name, or a variable or column name. A column found by
 * object or name is numbered after the rows and spare rows, as the library
 * counts it. */
static int enteringPosition(WrapperCall &c, int rows, int spare, int *in) {
  if (ObjInt2int(c.object(0), c.problem, in, KIND_ROW) == 0) return 0;
  PyErr_Clear();
  if (ObjInt2int(c.object(0), c.problem, in, KIND_COL) != 0) return -1;
  *in += rows + spare;
  return 0;
}

static const WrapperSpec kGetpivots{
    "OOOi", nullptr, CHECK_BEFORE, false,
    [](WrapperCall &c) -> PyObject * {
      int rows = 0, spare = 0, cols = 0, in = 0, maxpiv = c.slot[3].integer;
      if (c.attribute(QRVA_ROWS, &rows) != 0 || c.attribute(QRVA_SPAREROWS, &spare) != 0 ||
          c.attribute(QRVA_COLS, &cols) != 0 || enteringPosition(c, rows, spare, &in) != 0)
        return nullptr;
      bool failed = false;
      int *out = c.out<int>(1, maxpiv < 0 ? 0 : maxpiv, &failed);
      double *x = c.out<double>(2, (int64_t)rows + spare + cols, &failed);
      if (failed) return nullptr;
      double dobj = 0.0;
      int npiv = 0;
      if (QRVAgetpivots(c.qprob(), in, out, x, &dobj, &npiv, maxpiv) != 0) return nullptr;
      c.written(1, npiv < maxpiv ? npiv : maxpiv);
      return Py_BuildValue("(di)", dobj, npiv);
    },
    {{"in", -1, -1, 0, -1},
     {"outlist", KIND_ROWCOL, -1, 0, -1},
     {"x", KIND_DOUBLE, -1, 0, -1},
     {"maxpiv", -1, -1, 0, -1}}};

static const WrapperSpec kSetlogfile{
    "s", nullptr, CHECK_BEFORE, false, [](WrapperCall &c) { return c.done(QRVAsetlogfile(c.qprob(), c.slot[0].text)); },
    {{"filename", -1, -1, 0, -1}}};

static const WrapperSpec kSetprobname{
    "s", nullptr, CHECK_BEFORE, false,
    [](WrapperCall &c) { return c.done(QRVAsetprobname(c.qprob(), c.slot[0].text)); }, {{"probname", -1, -1, 0, -1}}};

static const WrapperSpec kSetmessagestatus{
    "ii", nullptr, CHECK_BEFORE, false,
    [](WrapperCall &c) { return c.done(QRVAsetmessagestatus(c.qprob(), c.slot[0].integer, c.slot[1].integer)); },
    {{"errcode", -1, -1, 0, -1}, {"status", -1, -1, 0, -1}}};

static const WrapperSpec kSetdefaults{
    "", nullptr, CHECK_BEFORE, false, [](WrapperCall &c) { return c.done(QRVAsetdefaults(c.qprob())); }, {}};

static const WrapperSpec kDumpcontrols{
    "", nullptr, CHECK_BEFORE, false, [](WrapperCall &c) { return c.done(QRVAdumpcontrols(c.qprob())); }, {}};

PyMethodDef problem_apiBasisMethods[] = {
    QRVA_WRAPPER("getbasis", kGetbasis,
                 QRVA_DOC("Reads the basis statuses of the rows and columns.", "p.getbasis(rstatus, cstatus)",
                          "rstatus: a list for one status per row; cstatus: one per column (0 at the lower bound, 1 "
                          "basic, 2 at the upper bound, 3 superbasic).",
                          "r, c = [], []\n  p.solve()\n  p.getbasis(r, c)",
                          "Both lists are cut or extended to the problem's rows and columns.",
                          "loadbasis, getlpsol")),
    QRVA_WRAPPER("loadbasis", kLoadbasis,
                 QRVA_DOC("Loads a starting basis.", "p.loadbasis(rstatus, cstatus)",
                          "rstatus: one status per row; cstatus: one per column, as getbasis gives them.",
                          "p.loadbasis(r, c)\n  p.solve()",
                          "The lists must have exactly as many entries as the problem has rows and columns.",
                          "getbasis, solve")),
    QRVA_WRAPPER("getpresolvebasis", kGetpresolvebasis,
                 QRVA_DOC("Reads the basis statuses of the rows and columns of the presolved problem.",
                          "p.getpresolvebasis(rstatus, cstatus)",
                          "rstatus, cstatus: lists for one status per row and per column of the presolved problem.",
                          "r, c = [], []\n  p.getpresolvebasis(r, c)",
                          "While no presolved problem is kept it is the problem itself (see getpresolvemap).",
                          "getbasis, loadpresolvebasis")),
    QRVA_WRAPPER("loadpresolvebasis", kLoadpresolvebasis,
                 QRVA_DOC("Loads a starting basis given over the presolved problem.",
                          "p.loadpresolvebasis(rstatus, cstatus)",
                          "rstatus, cstatus: one status per row and per column of the presolved problem.",
                          "p.loadpresolvebasis(r, c)", "The lists must match the presolved problem's sizes.",
                          "loadbasis, getpresolvebasis")),
    QRVA_WRAPPER("getpresolvemap", kGetpresolvemap,
                 QRVA_DOC("Reads which original row and column each row and column of the presolved problem is.",
                          "p.getpresolvemap(rowmap, colmap)",
                          "rowmap, colmap: lists for one original index per presolved row and column.",
                          "r, c = [], []\n  p.getpresolvemap(r, c)",
                          "No presolved problem is kept between calls: the map is then the identity, which is the "
                          "truth.",
                          "getpresolvesol, getpresolvebasis")),
    QRVA_WRAPPER("getpivotorder", kGetpivotorder,
                 QRVA_DOC("Reads which variable is basic at each position of the basis matrix.",
                          "p.getpivotorder(mpiv)",
                          "mpiv: a list for one constraint (its slack is basic) or variable per row.",
                          "m = []\n  p.solve()\n  p.getpivotorder(m)",
                          "Basic slacks come first by row, then basic variables by column: the order btran and ftran "
                          "use.",
                          "getpivots, btran, ftran")),
    QRVA_WRAPPER("getpivots", kGetpivots,
                 QRVA_DOC("Runs the ratio test of a non-basic row or column entering the current basis.",
                          "(dobj, npiv) = p.getpivots(in, outlist, x, maxpiv)",
                          "in: the entering constraint or variable (or its name, or a position of the combined "
                          "numbering); outlist: a list for the candidates that would leave, or None; x: a list for "
                          "the slacks and values after the step, or None; maxpiv: at most this many candidates.",
                          "out = []\n  obj, n = p.getpivots(y, out, None, 10)",
                          "The entering one moves off the bound it is at; it is itself a candidate when its other "
                          "bound comes first. No candidate means the direction is unbounded.",
                          "getpivotorder, getbasis")),
    QRVA_WRAPPER("setlogfile", kSetlogfile,
                 QRVA_DOC("Also writes the problem's messages to a file.", "p.setlogfile(filename)",
                          "filename: the file; the empty string stops writing.", "p.setlogfile('run.log')",
                          "Messages still reach the registered handlers.", "setmessagestatus")),
    QRVA_WRAPPER("setprobname", kSetprobname,
                 QRVA_DOC("Renames the problem.", "p.setprobname(probname)", "probname: the new name.",
                          "p.setprobname('plan2')", "Files written afterwards carry the new name.", "name")),
    QRVA_WRAPPER("setmessagestatus", kSetmessagestatus,
                 QRVA_DOC("Shows or suppresses one message of the library.", "p.setmessagestatus(errcode, status)",
                          "errcode: the message's number; status: 1 show, 0 suppress.", "p.setmessagestatus(97, 0)",
                          "Only this problem's messages are affected.", "getmessagestatus")),
    QRVA_WRAPPER("setdefaults", kSetdefaults,
                 QRVA_DOC("Gives every control of the problem its default value back.", "p.setdefaults()", "None.",
                          "p.setdefaults()", "Module-wide values on quorva.controls are not library defaults.",
                          "setdefaultcontrol, setControl")),
    QRVA_WRAPPER("dumpcontrols", kDumpcontrols,
                 QRVA_DOC("Prints the controls that differ from their defaults as messages.", "p.dumpcontrols()",
                          "None.", "p.dumpcontrols()", "The messages go to the problem's handlers and log file.",
                          "setControl, getControl")),
    {nullptr, nullptr, 0, nullptr},
};
