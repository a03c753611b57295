/* Library-named methods that run the library's solvers and calculations on
 * the problem directly: LP and MIP optimisation with the interpreter lock
 * released, interrupts, the fixing of integer decisions, and calculations
 * on given vectors and with the basis matrix. No solution is mapped back
 * onto the variable and constraint objects. */
#include "api/wrapper.h"
#include "module/docs.h"
#include "module/errors.h"
#include "module/interrupt.h"
#include "problem/busy.h"

#include <vector>

/* An LP or MIP optimisation with the interpreter lock released. */
static PyObject *released(WrapperCall &c, int (*call)(QRVAprob, const char *)) {
  return wrapperReleased(c, [&] { return call(c.qprob(), c.slot[0].text); });
}

static const WrapperSpec kLpoptimize{
    "|s", nullptr, CHECK_BEFORE, true, [](WrapperCall &c) { return released(c, QRVAlpoptimize); },
    {{"flags", -1, -1, 0, -1}}};
static const WrapperSpec kMipoptimize{
    "|s", nullptr, CHECK_BEFORE, true, [](WrapperCall &c) { return released(c, QRVAmipoptimize); },
    {{"flags", -1, -1, 0, -1}}};

static const WrapperSpec kTune{
    "|s", nullptr, CHECK_BEFORE, true, [](WrapperCall &c) { return released(c, QRVAtune); },
    {{"flags", -1, -1, 0, -1}}};
static const WrapperSpec kTunerwritemethod{
    "s", nullptr, CHECK_BEFORE, false,
    [](WrapperCall &c) { return c.done(QRVAtunerwritemethod(c.qprob(), c.slot[0].text)); },
    {{"methodfile", -1, -1, 0, -1}}};
static const WrapperSpec kTunerreadmethod{
    "s", nullptr, CHECK_BEFORE, false,
    [](WrapperCall &c) { return c.done(QRVAtunerreadmethod(c.qprob(), c.slot[0].text)); },
    {{"methodfile", -1, -1, 0, -1}}};

static const WrapperSpec kPostsolve{
    "", nullptr, CHECK_BEFORE, false, [](WrapperCall &c) { return c.done(QRVApostsolve(c.qprob())); }, {}};

/* Only the object True rounds; the integer 1 does not. The fixed columns'
 * bounds and types are read back into their variables. */
static const WrapperSpec kFixglobals{
    "O", nullptr, CHECK_BEFORE, true,
    [](WrapperCall &c) -> PyObject * {
      int cols = 0;
      if (QRVAfixglobals(c.qprob(), c.object(0) == Py_True ? 1 : 0) != 0 ||
          c.attribute(QRVA_COLS, &cols) != 0)
        return nullptr;
      std::vector<int> all((size_t)cols);
      for (int j = 0; j < cols; ++j) all[(size_t)j] = j;
      if (problem_pullColumns(c.problem, cols, all.data()) != 0) return nullptr;
      return newNone();
    },
    {{"ifround", -1, -1, 0, -1}}};

static const WrapperSpec kInterrupt{
    "l", nullptr, CHECK_BEFORE, false,
    [](WrapperCall &c) { return c.done(QRVAinterrupt(c.qprob(), (int)c.slot[0].wide)); }, {{"reason", -1, -1, 0, -1}}};

/* Vectors over the original rows are group 0, over the original columns
 * group 1 (wrapperOriginalSizes). */
static const unsigned IN = ARG_ARRAY | ARG_REQUIRED;

static const WrapperSpec kCalcobjective{
    "O", "Must provide argument solution", CHECK_BEFORE, false,
    [](WrapperCall &c) -> PyObject * {
      double value = 0.0;
      if (QRVAcalcobjective(c.qprob(), c.in<double>(0), &value) != 0) return nullptr;
      return PyFloat_FromDouble(value);
    },
    {{"solution", KIND_DOUBLE, 1, IN, -1}}, wrapperOriginalSizes};

static const WrapperSpec kCalcslacks{
    "OO", "Must provide arguments solution and calculatedslacks", CHECK_BEFORE, false,
    [](WrapperCall &c) -> PyObject * {
      bool failed = false;
      double *slacks = c.out<double>(1, c.count[0], &failed);
      if (failed) return nullptr;
      return c.done(QRVAcalcslacks(c.qprob(), c.in<double>(0), slacks));
    },
    {{"solution", KIND_DOUBLE, 1, IN, -1}, {"calculatedslacks", KIND_DOUBLE, -1, ARG_REQUIRED, -1}},
    wrapperOriginalSizes};

static const WrapperSpec kCalcreducedcosts{
    "OOO", "Must provide arguments duals and calculateddjs", CHECK_BEFORE, false,
    [](WrapperCall &c) -> PyObject * {
      bool failed = false;
      double *djs = c.out<double>(2, c.count[1], &failed);
      if (failed) return nullptr;
      return c.done(QRVAcalcreducedcosts(c.qprob(), c.in<double>(0), c.in<double>(1), djs));
    },
    {{"duals", KIND_DOUBLE, 0, IN, -1},
     {"solution", KIND_DOUBLE, 1, ARG_ARRAY, -1},
     {"calculateddjs", KIND_DOUBLE, -1, ARG_REQUIRED, -1}},
    wrapperOriginalSizes};

static const WrapperSpec kCalcsolinfo{
    "OOi", "Must provide arguments solution and dual", CHECK_BEFORE, false,
    [](WrapperCall &c) -> PyObject * {
      double value = 0.0;
      if (QRVAcalcsolinfo(c.qprob(), c.in<double>(0), c.in<double>(1), c.slot[2].integer, &value) != 0)
        return nullptr;
      return PyFloat_FromDouble(value);
    },
    {{"solution", KIND_DOUBLE, 1, IN, -1}, {"dual", KIND_DOUBLE, 0, IN, -1}, {"property", -1, -1, 0, -1}},
    wrapperOriginalSizes};

static const WrapperSpec kBasisstability{
    "iii", nullptr, CHECK_BEFORE, false,
    [](WrapperCall &c) -> PyObject * {
      double value = 0.0;
      if (QRVAbasisstability(c.qprob(), c.slot[0].integer, c.slot[1].integer, c.slot[2].integer, &value) != 0)
        return nullptr;
      return PyFloat_FromDouble(value);
    },
    {{"type", -1, -1, 0, -1}, {"norm", -1, -1, 0, -1}, {"ifscaled", -1, -1, 0, -1}}};

/* The solution has one value per original column; refined_solution receives
 * as many. */
static const WrapperSpec kRefinemipsol{
    "isOO", "Must provide arguments solution and refined_solution", CHECK_BEFORE, true,
    [](WrapperCall &c) -> PyObject * {
      bool failed = false;
      int status = 0;
      double *refined = c.all<double>(3, c.count[1], &failed);
      if (failed) return nullptr;
      if (QRVArefinemipsol(c.qprob(), c.slot[0].integer, c.slot[1].text, c.in<double>(2), refined, &status) != 0)
        return nullptr;
      return PyLong_FromLong(status);
    },
    {{"options", -1, -1, 0, -1},
     {"flags", -1, -1, 0, -1},
     {"solution", KIND_DOUBLE, 1, IN, -1},
     {"refined_solution", KIND_DOUBLE, -1, ARG_REQUIRED | ARG_OUTPUT, -1}},
    wrapperOriginalSizes};

/* The row's columns and coefficients share group 0; the outputs have room
 * for maxcoeffs entries and receive as many as the presolved row has. */
static const WrapperSpec kPresolverow{
    "COOdiOO", "Must provide arguments mcolso, dvalo, mcolsp, dvalp", CHECK_BEFORE, true,
    [](WrapperCall &c) -> PyObject * {
      bool failed = false;
      int maxcoeffs = c.slot[4].integer, ncoeffs = 0, status = 0;
      double drhsp = 0.0;
      if (maxcoeffs < 0) return WrapperCall::interfaceError("maxcoeffs must not be negative");
      int *mcolsp = c.all<int>(5, maxcoeffs, &failed);
      double *dvalp = c.all<double>(6, maxcoeffs, &failed);
      if (failed) return nullptr;
      if (QRVApresolverow(c.qprob(), (char)c.slot[0].integer, c.n(0), c.in<int>(1), c.in<double>(2),
                          c.slot[3].number, maxcoeffs, &ncoeffs, mcolsp, dvalp, &drhsp, &status) != 0)
        return nullptr;
      int written = status == QRVA_PRESOLVEROW_TOOMANY ? 0 : ncoeffs;
      c.written(5, written), c.written(6, written);
      return Py_BuildValue("(di)", drhsp, status);
    },
    {{"qrtype", -1, -1, 0, -1},
     {"mcolso", KIND_COL, 0, IN, -1},
     {"dvalo", KIND_DOUBLE, 0, IN, -1},
     {"drhso", -1, -1, 0, -1},
     {"maxcoeffs", -1, -1, 0, -1},
     {"mcolsp", KIND_INT, -1, ARG_REQUIRED | ARG_OUTPUT, -1},
     {"dvalp", KIND_DOUBLE, -1, ARG_REQUIRED | ARG_OUTPUT, -1}}};

/* Exponents over the original rows and columns; None passes no array. */
static const WrapperSpec kScale{
    "|OO", nullptr, CHECK_BEFORE, true,
    [](WrapperCall &c) { return c.done(QRVAscale(c.qprob(), c.in<int>(0), c.in<int>(1))); },
    {{"mrscal", KIND_INT, 0, ARG_ARRAY, -1}, {"mcscal", KIND_INT, 1, ARG_ARRAY, -1}},
    wrapperOriginalSizes};

/* vec has one entry per row of the problem as it stands; the result is
 * written back into the same list. */
static int rowCount(WrapperCall &c) {
  int rows = 0;
  if (c.attribute(QRVA_ROWS, &rows) != 0) return -1;
  c.count[0] = rows;
  return 0;
}

template <int (*F)(QRVAprob, double *)>
static PyObject *basisSolve(WrapperCall &c) {
  if (F(c.qprob(), c.in<double>(0)) != 0) return nullptr;
  if (conv_arr2obj(c.problem, c.count[0], c.in<double>(0), c.object(0), KIND_DOUBLE) != 0) return nullptr;
  return newNone();
}

static const WrapperSpec kBtran{"O", nullptr, CHECK_BEFORE, false, basisSolve<QRVAbtran>,
                                {{"vec", KIND_DOUBLE, 0, ARG_ARRAY, -1}}, rowCount};
static const WrapperSpec kFtran{"O", nullptr, CHECK_BEFORE, false, basisSolve<QRVAftran>,
                                {{"vec", KIND_DOUBLE, 0, ARG_ARRAY, -1}}, rowCount};

/* objsa and rhssa: the indices of group 0, two lists of as many doubles. */
template <int (*F)(QRVAprob, int, const int *, double *, double *)>
static PyObject *rangesBody(WrapperCall &c) {
  bool failed = false;
  double *lower = c.all<double>(1, c.n(0), &failed), *upper = c.all<double>(2, c.n(0), &failed);
  if (failed) return nullptr;
  return c.done(F(c.qprob(), c.n(0), c.in<int>(0), lower, upper));
}

static const WrapperSpec kObjsa{"OOO", "Must provide arguments mindex, lower, and upper", CHECK_BEFORE, true,
                                rangesBody<QRVAobjsa>,
                                {{"mindex", KIND_COL, 0, IN, -1},
                                 {"lower", KIND_DOUBLE, -1, ARG_REQUIRED, -1},
                                 {"upper", KIND_DOUBLE, -1, ARG_REQUIRED, -1}}};
static const WrapperSpec kRhssa{"OOO", "Must provide arguments mindex, lower, and upper", CHECK_BEFORE, true,
                                rangesBody<QRVArhssa>,
                                {{"mindex", KIND_ROW, 0, IN, -1},
                                 {"lower", KIND_DOUBLE, -1, ARG_REQUIRED, -1},
                                 {"upper", KIND_DOUBLE, -1, ARG_REQUIRED, -1}}};

static const WrapperSpec kEstimaterowdualranges{
    "OiOO", "Must provide arguments minDualActivity, maxDualActivity", CHECK_BEFORE, true,
    [](WrapperCall &c) -> PyObject * {
      bool failed = false;
      double *lower = c.all<double>(2, c.n(0), &failed), *upper = c.all<double>(3, c.n(0), &failed);
      if (failed) return nullptr;
      return c.done(QRVAestimaterowdualranges(c.qprob(), c.n(0), c.in<int>(0), c.slot[1].integer, lower, upper));
    },
    {{"rowIndices", KIND_ROW, 0, ARG_ARRAY, -1},
     {"iterationLimit", -1, -1, 0, -1},
     {"minDualActivity", KIND_DOUBLE, -1, ARG_REQUIRED, -1},
     {"maxDualActivity", KIND_DOUBLE, -1, ARG_REQUIRED, -1}}};

/* The repair calls: their status as an int; the rows and bounds they relax
 * are read back into the constraints and variables. */
static PyObject *repaired(WrapperCall &c, int rc, int status) {
  int rows = 0, cols = 0;
  if (rc != 0 || c.attribute(QRVA_ROWS, &rows) != 0 || c.attribute(QRVA_COLS, &cols) != 0) return nullptr;
  std::vector<int> index((size_t)(rows > cols ? rows : cols));
  for (size_t k = 0; k < index.size(); ++k) index[k] = (int)k;
  if (problem_pullRows(c.problem, rows, index.data()) != 0 || problem_pullColumns(c.problem, cols, index.data()) != 0)
    return nullptr;
  return PyLong_FromLong(status);
}

static const WrapperSpec kRepairinfeas{
    "CCCddddd", nullptr, CHECK_BEFORE, true,
    [](WrapperCall &c) {
      int status = 0;
      int rc = QRVArepairinfeas(c.qprob(), &status, (char)c.slot[0].integer, (char)c.slot[1].integer,
                                (char)c.slot[2].integer, c.slot[3].number, c.slot[4].number, c.slot[5].number,
                                c.slot[6].number, c.slot[7].number);
      return repaired(c, rc, status);
    },
    {{"pflags", -1, -1, 0, -1},
     {"oflags", -1, -1, 0, -1},
     {"gflags", -1, -1, 0, -1},
     {"lrp", -1, -1, 0, -1},
     {"grp", -1, -1, 0, -1},
     {"lbp", -1, -1, 0, -1},
     {"ubp", -1, -1, 0, -1},
     {"delta", -1, -1, 0, -1}}};

static const WrapperSpec kRepairweightedinfeas{
    "OOOOCds", nullptr, CHECK_BEFORE, true,
    [](WrapperCall &c) {
      int status = 0;
      int rc = QRVArepairweightedinfeas(c.qprob(), &status, c.in<double>(0), c.in<double>(1), c.in<double>(2),
                                        c.in<double>(3), (char)c.slot[4].integer, c.slot[5].number, c.slot[6].text);
      return repaired(c, rc, status);
    },
    {{"lrp_array", KIND_DOUBLE, 0, ARG_ARRAY, -1},
     {"grp_array", KIND_DOUBLE, 0, ARG_ARRAY, -1},
     {"lbp_array", KIND_DOUBLE, 1, ARG_ARRAY, -1},
     {"ubp_array", KIND_DOUBLE, 1, ARG_ARRAY, -1},
     {"phase2", -1, -1, 0, -1},
     {"delta", -1, -1, 0, -1},
     {"optflags", -1, -1, 0, -1}},
    wrapperOriginalSizes};

static const WrapperSpec kRepairweightedinfeasbounds{
    "OOOOOOOOCds", nullptr, CHECK_BEFORE, true,
    [](WrapperCall &c) {
      int status = 0;
      int rc = QRVArepairweightedinfeasbounds(c.qprob(), &status, c.in<double>(0), c.in<double>(1), c.in<double>(2),
                                              c.in<double>(3), c.in<double>(4), c.in<double>(5), c.in<double>(6),
                                              c.in<double>(7), (char)c.slot[8].integer, c.slot[9].number,
                                              c.slot[10].text);
      return repaired(c, rc, status);
    },
    {{"lrp_array", KIND_DOUBLE, 0, ARG_ARRAY, -1},
     {"grp_array", KIND_DOUBLE, 0, ARG_ARRAY, -1},
     {"lbp_array", KIND_DOUBLE, 1, ARG_ARRAY, -1},
     {"ubp_array", KIND_DOUBLE, 1, ARG_ARRAY, -1},
     {"lrb_array", KIND_DOUBLE, 0, ARG_ARRAY, -1},
     {"grb_array", KIND_DOUBLE, 0, ARG_ARRAY, -1},
     {"lbb_array", KIND_DOUBLE, 1, ARG_ARRAY, -1},
     {"ubb_array", KIND_DOUBLE, 1, ARG_ARRAY, -1},
     {"phase2", -1, -1, 0, -1},
     {"delta", -1, -1, 0, -1},
     {"optflags", -1, -1, 0, -1}},
    wrapperOriginalSizes};

PyMethodDef problem_apiSolvingMethods[] = {
    QRVA_WRAPPER("lpoptimize", kLpoptimize,
                 QRVA_DOC("Solves the problem's LP relaxation in the library.", "p.lpoptimize(flags='')",
                          "flags: the algorithm: '' the control defaultalg, 'p' primal, 'd' dual, 'b' barrier.",
                          "p.lpoptimize('d')\n  x = []\n  p.getlpsol(x)",
                          "Other Python threads run during the solve; Ctrl-C interrupts it. The solution stays "
                          "in the library: read it with getlpsol.",
                          "mipoptimize, solve, getlpsol")),
    QRVA_WRAPPER("mipoptimize", kMipoptimize,
                 QRVA_DOC("Solves the problem with its discrete columns and sets in the library.",
                          "p.mipoptimize(flags='')", "flags: the algorithm of the LP solves, as for lpoptimize.",
                          "p.mipoptimize()\n  x = []\n  p.getmipsol(x)",
                          "Other Python threads run during the solve; Ctrl-C interrupts it with the incumbent "
                          "kept.",
                          "lpoptimize, solve, getmipsol")),
    QRVA_WRAPPER("tune", kTune,
                 QRVA_DOC("Tries settings on the problem and leaves the fastest set.", "p.tune(flags='')",
                          "flags: '' tunes the MIP solve when the problem has discrete columns or sets, else the "
                          "LP solve; 'l' the LP relaxation, 'g' the MIP.",
                          "p.controls.tunermaxtime = 60\n  p.tune()\n  p.mipoptimize()",
                          "Each trial (algorithm, presolve, scaling, cut and heuristic effort, threads, or the "
                          "list read by tunerreadmethod) is one cold solve, logged through the message callbacks. "
                          "The fastest finished trial wins, else the least gap; its controls stay set and no "
                          "solution is left. The control tunermaxtime bounds the whole tuning, timelimit each "
                          "trial. Other Python threads run meanwhile; Ctrl-C ends it with the best so far.",
                          "tunerwritemethod, tunerreadmethod, mipoptimize")),
    QRVA_WRAPPER("tunerwritemethod", kTunerwritemethod,
                 QRVA_DOC("Writes the list of trials the tuner runs to a file.", "p.tunerwritemethod(methodfile)",
                          "methodfile: the file name.", "p.tunerwritemethod('trials.txt')",
                          "Plain text: the header line 'QRVA tuner method 1', then one trial per line as "
                          "control=value pairs separated by blanks; lines starting with # are comments.",
                          "tunerreadmethod, tune")),
    QRVA_WRAPPER("tunerreadmethod", kTunerreadmethod,
                 QRVA_DOC("Reads the list of trials the tuner runs from a file.", "p.tunerreadmethod(methodfile)",
                          "methodfile: a file in the format tunerwritemethod writes.",
                          "p.tunerreadmethod('trials.txt')\n  p.tune()",
                          "A bad file (unknown control, value out of range, missing header) is refused with its "
                          "line named, and the list the tuner had stays.",
                          "tunerwritemethod, tune")),
    QRVA_WRAPPER("postsolve", kPostsolve,
                 QRVA_DOC("Takes the problem out of a presolved state.", "p.postsolve()", "None.",
                          "p.postsolve()",
                          "The library postsolves within every solve, so this leaves the problem as it is.",
                          "lpoptimize, mipoptimize")),
    QRVA_WRAPPER("fixglobals", kFixglobals,
                 QRVA_DOC("Fixes the discrete columns at the last MIP solution.", "p.fixglobals(ifround)",
                          "ifround: True rounds integral columns to the nearest integer first; any other value, "
                          "the integer 1 included, fixes them at their values as they are.",
                          "p.mipoptimize()\n  p.fixglobals(True)\n  p.lpoptimize()\n  d = []\n  "
                          "p.getlpsol(None, None, d)",
                          "The fixed columns become continuous, so the LP solve that follows gives the duals of "
                          "the problem with its integer decisions fixed. Their variables take the new bounds.",
                          "mipoptimize, lpoptimize")),
    QRVA_WRAPPER("interrupt", kInterrupt,
                 QRVA_DOC("Asks a running solve of the problem to stop.", "p.interrupt(reason)",
                          "reason: the stop reason the solve reports (0 a user stop).", "p.interrupt(0)",
                          "Safe to call from another thread or from a callback.", "lpoptimize, mipoptimize")),
    QRVA_WRAPPER("calcobjective", kCalcobjective,
                 QRVA_DOC("Computes the objective at a point.", "p.calcobjective(solution)",
                          "solution: one value per column of the original problem.",
                          "v = p.calcobjective([1, 0, 2])",
                          "The objective's constant and quadratic terms are included.", "calcslacks")),
    QRVA_WRAPPER("calcslacks", kCalcslacks,
                 QRVA_DOC("Computes the slack of every row at a point.", "p.calcslacks(solution, calculatedslacks)",
                          "solution: one value per column; calculatedslacks: a list for one slack per row "
                          "(right-hand side minus activity).",
                          "s = []\n  p.calcslacks([1, 0, 2], s)", "The list is cut or extended to the rows.",
                          "calcobjective, getlpsol")),
    QRVA_WRAPPER("calcreducedcosts", kCalcreducedcosts,
                 QRVA_DOC("Computes reduced costs from duals.", "p.calcreducedcosts(duals, solution, calculateddjs)",
                          "duals: one per row; solution: one value per column, or None (needed only for a "
                          "quadratic objective); calculateddjs: a list for one reduced cost per column.",
                          "dj = []\n  p.calcreducedcosts(y, None, dj)",
                          "A reduced cost is c - A'y, plus Qx with a quadratic objective.", "calcslacks")),
    QRVA_WRAPPER("calcsolinfo", kCalcsolinfo,
                 QRVA_DOC("Measures a primal-dual pair.", "p.calcsolinfo(solution, dual, property)",
                          "solution: one value per column; dual: one per row; property: one of "
                          "quorva.solinfo_absprimalinfeas, solinfo_relprimalinfeas, solinfo_absdualinfeas, "
                          "solinfo_reldualinfeas, solinfo_maxmipfractional.",
                          "v = p.calcsolinfo(x, y, quorva.solinfo_absprimalinfeas)",
                          "Relative measures divide each violation by 1 + the size of its bound or cost.",
                          "calcslacks, calcreducedcosts")),
    QRVA_WRAPPER("basisstability", kBasisstability,
                 QRVA_DOC("Measures the condition of the basis matrix.", "p.basisstability(type, norm, ifscaled)",
                          "type: 0 the condition number, 1 the norm of the basis matrix, 2 the norm of its "
                          "inverse; norm: 0 infinity, 1 one, 2 Frobenius; ifscaled: 1 with the scaling given "
                          "to scale().",
                          "k = p.basisstability(0, 1, 0)",
                          "The inverse is formed one column at a time: one basis solve per row.", "btran, ftran")),
    QRVA_WRAPPER("refinemipsol", kRefinemipsol,
                 QRVA_DOC("Polishes a MIP solution: its discrete decisions fixed, the continuous columns "
                          "re-optimised.",
                          "status = p.refinemipsol(options, flags, solution, refined_solution)",
                          "options: 0, or 1 to keep the result also as a start of the next MIP solve; flags: '' "
                          "(none are defined); solution: one value per column; "
                          "refined_solution: a list that receives one value per column.",
                          "r = []\n  status = p.refinemipsol(0, '', x, r)",
                          "The integral columns are fixed at their nearest integers and the LP over the rest is "
                          "solved; its solution is kept when it is a solution no worse than the one given, else "
                          "the one given comes back. Returns 0 improved, 1 kept (none better), 2 no solution with "
                          "these decisions, 3 stopped. The problem itself is left as it was.",
                          "mipoptimize, addmipsol, fixglobals")),
    QRVA_WRAPPER("presolverow", kPresolverow,
                 QRVA_DOC("Presolves one row against the problem's column bounds.",
                          "drhsp, status = p.presolverow(qrtype, mcolso, dvalo, drhso, maxcoeffs, mcolsp, dvalp)",
                          "qrtype: 'L', 'G' or 'E'; mcolso: the row's columns; dvalo: its coefficients; drhso: its "
                          "right-hand side; maxcoeffs: the most coefficients to return; mcolsp, dvalp: lists that "
                          "receive the presolved row's column indices and coefficients.",
                          "cols, vals = [], []\n  rhs, status = p.presolverow('L', [x, y], [1, 2], 4, 10, cols, vals)",
                          "Coefficients of one column are summed, tiny ones dropped and fixed columns moved into "
                          "the right-hand side. status: 0 presolved, 1 the bounds make the row always hold, 2 the "
                          "bounds leave no way to satisfy it, 3 more than maxcoeffs coefficients (the lists are "
                          "left empty).",
                          "getpresolvemap, addrows")),
    QRVA_WRAPPER("scale", kScale,
                 QRVA_DOC("Scales the rows and columns of the problem's next solves by powers of two.",
                          "p.scale(mrscal=None, mcscal=None)",
                          "mrscal: one exponent e per row (the row is multiplied by 2**e), or None for no row "
                          "scaling; mcscal: one exponent per column (the column's value is 2**e times the "
                          "solved one), or None. Exponents lie between -64 and 64.",
                          "p.scale([0, 3], [-2, 0, 1])\n  p.lpoptimize()",
                          "Solutions, slacks, duals and reduced costs are still reported in the problem's own "
                          "units: only the path of the solve changes. The factors replace those given before; "
                          "scale() with no arguments leaves scaling to the library alone. Discrete columns are "
                          "not scaled in MIP solves.",
                          "lpoptimize, mipoptimize, basisstability")),
    QRVA_WRAPPER("btran", kBtran,
                 QRVA_DOC("Solves with the transposed basis matrix.", "p.btran(vec)",
                          "vec: one value per row, replaced by the solution of B'y = vec.",
                          "v = [1.0, 0.0]\n  p.btran(v)",
                          "B has one column per basic variable: basic slacks by row (unit columns), then basic "
                          "columns by index.",
                          "ftran, getbasis")),
    QRVA_WRAPPER("ftran", kFtran,
                 QRVA_DOC("Solves with the basis matrix.", "p.ftran(vec)",
                          "vec: one value per row, replaced by the solution of Bx = vec.",
                          "v = [1.0, 0.0]\n  p.ftran(v)",
                          "The result's entries follow B's columns: basic slacks by row, then basic columns by "
                          "index.",
                          "btran, getbasis")),
    QRVA_WRAPPER("objsa", kObjsa,
                 QRVA_DOC("Ranges objective coefficients over the optimal basis.", "p.objsa(mindex, lower, upper)",
                          "mindex: columns; lower, upper: lists for the least and largest cost of each at which the "
                          "basis stays optimal.",
                          "p.lpoptimize()\n  lo, up = [], []\n  p.objsa([x, y], lo, up)",
                          "Needs an optimal LP basis; unbounded ends are +-1e20. Problems with discrete columns "
                          "are refused (fixglobals first).",
                          "rhssa, lpoptimize")),
    QRVA_WRAPPER("rhssa", kRhssa,
                 QRVA_DOC("Ranges right-hand sides over the optimal basis.", "p.rhssa(mindex, lower, upper)",
                          "mindex: rows; lower, upper: lists for the least and largest right-hand side of each at "
                          "which the basis stays optimal.",
                          "p.lpoptimize()\n  lo, up = [], []\n  p.rhssa([c1], lo, up)",
                          "As objsa: an optimal LP basis is needed; unbounded ends are +-1e20.", "objsa")),
    QRVA_WRAPPER("estimaterowdualranges", kEstimaterowdualranges,
                 QRVA_DOC("Bounds the duals of rows as their right-hand sides leave their ranges.",
                          "p.estimaterowdualranges(rowIndices, iterationLimit, minDualActivity, maxDualActivity)",
                          "rowIndices: rows; iterationLimit: simplex iterations of each re-solve; two lists for the "
                          "least and largest dual of each row.",
                          "lo, up = [], []\n  p.estimaterowdualranges([c1], 50, lo, up)",
                          "The duals just beyond both ends of the row's right-hand-side range, with the current "
                          "one; a side without solutions gives +-1e20.",
                          "rhssa")),
    QRVA_WRAPPER("repairinfeas", kRepairinfeas,
                 QRVA_DOC("Relaxes an infeasible problem by the least weighted violation and solves it.",
                          "p.repairinfeas(pflags, oflags, gflags, lrp, grp, lbp, ubp, delta)",
                          "pflags: 'c'; oflags: 'o' then optimise the objective within (1 + delta) times the least "
                          "violation, 'f' stop at it; gflags: 'g' keep the discrete columns, 'l' the LP "
                          "relaxation; lrp, grp: preferences of the rows' lower and upper sides; lbp, ubp: of the "
                          "columns' lower and upper bounds (violating costs 1/preference per unit, 0 keeps it); "
                          "delta: the slack of phase 2.",
                          "status = p.repairinfeas('c', 'o', 'g', 1, 1, 0, 0, 0.1)",
                          "Returns 0 relaxed and solved, 1 no allowed relaxation is feasible (nothing changes), 2 "
                          "relaxed without an optimum, 3 stopped. The constraints and variables take the relaxed "
                          "bounds.",
                          "repairweightedinfeas, iisfirst")),
    QRVA_WRAPPER("repairweightedinfeas", kRepairweightedinfeas,
                 QRVA_DOC("As repairinfeas, with a preference per row side and bound.",
                          "p.repairweightedinfeas(lrp_array, grp_array, lbp_array, ubp_array, phase2, delta, "
                          "optflags)",
                          "lrp_array, grp_array: one preference per row (None: all 0); lbp_array, ubp_array: one "
                          "per column; phase2: 'o' or 'f' as oflags of repairinfeas; delta; optflags: the "
                          "algorithm flags of the solves.",
                          "status = p.repairweightedinfeas([1, 0], [1, 1], None, None, 'f', 0, '')",
                          "A problem with discrete columns is repaired with MIP solves.",
                          "repairinfeas, repairweightedinfeasbounds")),
    QRVA_WRAPPER("repairweightedinfeasbounds", kRepairweightedinfeasbounds,
                 QRVA_DOC("As repairweightedinfeas, with a largest relaxation per row side and bound.",
                          "p.repairweightedinfeasbounds(lrp_array, grp_array, lbp_array, ubp_array, lrb_array, "
                          "grb_array, lbb_array, ubb_array, phase2, delta, optflags)",
                          "The first four as for repairweightedinfeas; lrb_array, grb_array (rows), lbb_array, "
                          "ubb_array (columns): the most each may be relaxed (None: unlimited).",
                          "status = p.repairweightedinfeasbounds([1], [1], None, None, [2], [2], None, None, 'f', "
                          "0, '')",
                          "Status as repairinfeas.", "repairweightedinfeas")),
    {nullptr, nullptr, 0, nullptr},
};
