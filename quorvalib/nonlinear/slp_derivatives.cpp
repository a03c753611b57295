/* SLP-named methods of quorva.problem for derivative factors: per column
 * and row, the factor by which the nonlinear solver's linearizations take
 * that partial derivative. */
#include "api/wrapper.h"
#include "module/docs.h"
#include "module/errors.h"

enum { IN = ARG_ARRAY | ARG_REQUIRED };

static QSLPprob slpOf(const WrapperCall &c) { return c.problem->slpprob; }

static PyObject *addOrLoadDfs(WrapperCall &c, bool load) {
  auto fn = load ? QSLPloaddfs : QSLPadddfs;
  return c.done(fn(slpOf(c), c.n(0), c.in<int>(0), c.in<int>(1), c.in<double>(2)));
}

#define DF_ARGS \
  { {"colindex", KIND_COL, 0, IN, -1}, {"rowindex", KIND_ROW, 0, IN, -1}, {"value", KIND_DOUBLE, 0, IN, -1}, }

static const WrapperSpec kAdddfs{"OOO", "Wrong arguments in adddfs", CHECK_BEFORE_PARSED, true,
                                 [](WrapperCall &c) { return addOrLoadDfs(c, false); }, DF_ARGS};
static const WrapperSpec kLoaddfs{"OOO", "Wrong arguments in loaddfs", CHECK_BEFORE_PARSED, true,
                                  [](WrapperCall &c) { return addOrLoadDfs(c, true); }, DF_ARGS};

/* value None drops the pair's factor. */
static const WrapperSpec kChgdf{
    "OOO", "Wrong arguments in chgdf", CHECK_BEFORE_PARSED, true,
    [](WrapperCall &c) -> PyObject * {
      double value = 0.0, *given = nullptr;
      if (optionalNumber(c.object(2), &value, &given) != 0) {
        PyErr_Clear();
        return WrapperCall::interfaceError(c.spec.required);
      }
      return c.done(QSLPchgdf(slpOf(c), c.index[0], c.index[1], given));
    },
    {{"colindex", KIND_COL, -1, ARG_INDEX | ARG_REQUIRED, -1},
     {"rowindex", KIND_ROW, -1, ARG_INDEX | ARG_REQUIRED, -1},
     {"value", -1, -1, 0, -1}}};

static const WrapperSpec kGetdf{
    "OO", "Incorrect arguments in getdf", CHECK_BEFORE_PARSED, true,
    [](WrapperCall &c) -> PyObject * {
      double value = 0.0;
      if (QSLPgetdf(slpOf(c), c.index[0], c.index[1], &value) != 0) return nullptr;
      return PyFloat_FromDouble(value);
    },
    {{"colindex", KIND_COL, -1, ARG_INDEX | ARG_REQUIRED, -1},
     {"rowindex", KIND_ROW, -1, ARG_INDEX | ARG_REQUIRED, -1}}};

#define DF_MEANING                                                                                              \
  "The nonlinear solver's linearizations take the partial derivative of the row's nonlinear part with respect " \
  "to the column times the factor (1 where none is given) while the iterate violates the nonlinear rows. At "  \
  "points that meet them, and for values, the merit of steps and convergence, the true derivatives hold: a "     \
  "factor changes the path of a solve, not its optimum. Factors are finite and positive."

PyMethodDef problem_slpDerivativeMethods[] = {
    QRVA_WRAPPER("adddfs", kAdddfs,
                 QRVA_DOC("Sets derivative factors of (column, row) pairs.", "p.adddfs(colindex, rowindex, value)",
                          "colindex: the columns; rowindex: the rows; value: a factor per pair (lists of one "
                          "length).",
                          "p.adddfs([x], [con], [0.5])", DF_MEANING " A pair given again takes the new factor.",
                          "loaddfs, chgdf, getdf")),
    QRVA_WRAPPER("loaddfs", kLoaddfs,
                 QRVA_DOC("Replaces every derivative factor by the ones given.", "p.loaddfs(colindex, rowindex, value)",
                          "colindex: the columns; rowindex: the rows; value: a factor per pair (lists of one "
                          "length).",
                          "p.loaddfs([], [], [])", DF_MEANING, "adddfs, chgdf, getdf")),
    QRVA_WRAPPER("chgdf", kChgdf,
                 QRVA_DOC("Changes the derivative factor of one (column, row) pair.",
                          "p.chgdf(colindex, rowindex, value)",
                          "colindex: the column (index, name or variable); rowindex: the row (index, name or "
                          "constraint); value: the factor, or None to drop it (back to 1).",
                          "p.chgdf(x, con, 2.0)", DF_MEANING, "adddfs, getdf")),
    QRVA_WRAPPER("getdf", kGetdf,
                 QRVA_DOC("Reads the derivative factor of one (column, row) pair.", "p.getdf(colindex, rowindex)",
                          "colindex: the column (index, name or variable); rowindex: the row (index, name or "
                          "constraint).",
                          "f = p.getdf(x, con)", "Returns 1.0 for a pair without a factor of its own.",
                          "adddfs, chgdf")),
    {nullptr, nullptr, 0, nullptr},
};
