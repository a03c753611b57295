/* SLP-named methods of quorva.problem that prepare the next nonlinear
 * solves (presolve, scaling, fixed penalties, the linearization shown in
 * the problem, the prefix of the engine's names) and report on them
 * (evaluations, memory, the solution file). */
#include "api/wrapper.h"
#include "module/docs.h"
#include "module/errors.h"

static QSLPprob slpOf(const WrapperCall &c) { return c.problem->slpprob; }

#define SLP_NO_ARGUMENTS(spec, function, push) \
  static const WrapperSpec spec{"", nullptr, CHECK_BEFORE, push, [](WrapperCall &c) { return c.done(function(slpOf(c))); }, {}};

SLP_NO_ARGUMENTS(kPresolve, QSLPpresolve, true)
SLP_NO_ARGUMENTS(kScaling, QSLPscaling, true)
SLP_NO_ARGUMENTS(kFixpenalties, QSLPfixpenalties, false)
SLP_NO_ARGUMENTS(kUpdatelinearization, QSLPupdatelinearization, true)
SLP_NO_ARGUMENTS(kSetuniqueprefix, QSLPsetuniqueprefix, true)
SLP_NO_ARGUMENTS(kPrintevalinfo, QSLPprintevalinfo, false)
SLP_NO_ARGUMENTS(kPrintmemory, QSLPprintmemory, true)

static const WrapperSpec kFilesol{"s", "Incorrect argument to filesol", CHECK_BEFORE_PARSED, false,
                                  [](WrapperCall &c) { return c.done(QSLPfilesol(slpOf(c), c.slot[0].text)); },
                                  {{"filename", -1, -1, 0, -1}}};

PyMethodDef problem_slpPreparationMethods[] = {
    QRVA_WRAPPER("presolve", kPresolve,
                 QRVA_DOC("Makes the nonlinear solves presolve the problem first.", "p.presolve()", "None.",
                          "p.presolve()\n  p.nlpoptimize()\n  x = []\n  p.getslpsol(x)",
                          "Every later solve removes linear columns fixed by their bounds, turns linear rows with "
                          "one element into bounds of that column and drops linear rows left empty, solves what "
                          "remains and reports values, slacks, duals and reduced costs on the problem's own rows "
                          "and columns. Rows and columns with nonlinear parts stay. The log tells what went; "
                          "postsolve switches it off again.",
                          "nlpoptimize, getslpsol")),
    QRVA_WRAPPER("scaling", kScaling,
                 QRVA_DOC("Scales the rows and columns of the nonlinear solves' linearizations.", "p.scaling()",
                          "None.", "p.scaling()\n  p.nlpoptimize()",
                          "Reports the range of the matrix entries of the linearization at the current point "
                          "before and after scaling, and sets the control slpscale to 1: every later solve "
                          "scales its linearizations by powers of two and reports its results in the problem's "
                          "units. Setting slpscale to 0 switches it off.",
                          "nlpoptimize")),
    QRVA_WRAPPER("fixpenalties", kFixpenalties,
                 QRVA_DOC("Fixes the cost of the penalty error vectors for the next solve.", "p.fixpenalties()",
                          "None.", "p.nlpoptimize()\n  p.fixpenalties()\n  p.nlpoptimize()",
                          "The next solve prices every nonlinear row's error vectors at the penalty of the last "
                          "solve's last linearization (before any solve: slppenaltycost) times the row's weight, "
                          "and never raises it; later solves start from slppenaltycost again.",
                          "chgrowwt, getrowinfo")),
    QRVA_WRAPPER("updatelinearization", kUpdatelinearization,
                 QRVA_DOC("Writes the linearization at the current point into the problem.",
                          "p.updatelinearization()", "None.",
                          "p.updatelinearization()\n  p.getrows(mstart, mclind, dmatval, 100, 0, 0)",
                          "The current point is the last nonlinear solution, else the initial values. Each "
                          "coefficient of a row with formulas becomes its linear coefficient plus the formula "
                          "part's derivative there, and the row's right-hand side moves by the formula part's "
                          "constant, so that getrows, getrhs and the optimizer's own solves see that linear "
                          "problem. The next nonlinear method puts the problem's own coefficients back "
                          "(those changed meanwhile keep their new values).",
                          "getrows, nlpoptimize")),
    QRVA_WRAPPER("setuniqueprefix", kSetuniqueprefix,
                 QRVA_DOC("Chooses a prefix for the names of the engine's own rows and columns.",
                          "p.setuniqueprefix()", "None.",
                          "p.setuniqueprefix()\n  prefix = p.controls.slpuniqueprefix",
                          "Sets the control slpuniqueprefix to the first of its value (or 'slp_'), then that "
                          "value followed by 1_, 2_, ..., that no row or column name starts with. The error "
                          "vectors written by filesol are named with it.",
                          "filesol")),
    QRVA_WRAPPER("printevalinfo", kPrintevalinfo,
                 QRVA_DOC("Writes what evaluating the nonlinear parts cost to the log.", "p.printevalinfo()",
                          "None.", "p.nlpoptimize()\n  p.printevalinfo()",
                          "Points evaluated (and those with derivatives), formula evaluations, user function "
                          "calls and seconds since the last solve started (zero before any), then the sizes "
                          "of the nonlinear part.",
                          "printmemory")),
    QRVA_WRAPPER("printmemory", kPrintmemory,
                 QRVA_DOC("Writes the memory the problem holds to the log.", "p.printmemory()", "None.",
                          "p.printmemory()",
                          "Bytes, estimated from the sizes held, of the problem, the formula coefficients, the "
                          "SLP settings, strings and user functions and the last nonlinear solution, and their "
                          "total.",
                          "printevalinfo")),
    QRVA_WRAPPER("filesol", kFilesol,
                 QRVA_DOC("Writes the last nonlinear solution to a comma-separated file.", "p.filesol(filename)",
                          "filename: the file; '.csv' is added to a name without an extension, and the "
                          "problem's name is taken when it is empty.",
                          "p.nlpoptimize()\n  p.filesol('plan.csv')",
                          "A header line kind,index,name,value,slack,dual; one R line per row (activity, "
                          "slack, dual), one C line per column (value, reduced cost in the last field), then "
                          "one E line per penalty error vector of the last linearization (index: its row; "
                          "name: slpuniqueprefix, plus_ or minus_ and the row's name; its value and reduced "
                          "cost). Refused before a nonlinear solve.",
                          "getslpsol, setuniqueprefix, writesol")),
    {nullptr, nullptr, 0, nullptr},
};
