/* SLP-named methods of quorva.problem for the nonlinear solver's rows and
 * steps: row statuses and weights, delta types of columns, and what the
 * last solve's linearizations say per column and per row. */
#include "api/wrapper.h"
#include "module/docs.h"
#include "module/errors.h"

static QSLPprob slpOf(const WrapperCall &c) { return c.problem->slpprob; }

/* Argument i as a number, refused with the method's message when it is
 * none. 0, or -1 with an error set. */
template <typename T>
static int requiredNumber(const WrapperCall &c, int i, T *value) {
  T *given = nullptr;
  if (optionalNumber(c.object(i), value, &given) == 0 && given) return 0;
  PyErr_Clear();  /* not a number: a wrong argument like any other */
  WrapperCall::interfaceError(c.spec.required);
  return -1;
}

static const WrapperSpec kChgrowstatus{
    "OO", "Incorrect call to chgrowstatus", CHECK_BEFORE_PARSED, true,
    [](WrapperCall &c) -> PyObject * {
      int status = 0;
      if (requiredNumber(c, 1, &status) != 0) return nullptr;
      return c.done(QSLPchgrowstatus(slpOf(c), c.index[0], &status));
    },
    {{"rowindex", KIND_ROW, -1, ARG_INDEX | ARG_REQUIRED, -1}, {"status", -1, -1, ARG_REQUIRED, -1}}};

static const WrapperSpec kGetrowstatus{
    "O", "Incorrect argument to getrowstatus", CHECK_BEFORE_PARSED, true,
    [](WrapperCall &c) -> PyObject * {
      int status = 0;
      if (QSLPgetrowstatus(slpOf(c), c.index[0], &status) != 0) return nullptr;
      return PyLong_FromLong(status);
    },
    {{"rowindex", KIND_ROW, -1, ARG_INDEX | ARG_REQUIRED, -1}}};

static const WrapperSpec kChgrowwt{
    "OO", "Incorrect call to chgrowwt", CHECK_BEFORE_PARSED, true,
    [](WrapperCall &c) -> PyObject * {
      double weight = 0.0;
      if (requiredNumber(c, 1, &weight) != 0) return nullptr;
      return c.done(QSLPchgrowwt(slpOf(c), c.index[0], &weight));
    },
    {{"rowindex", KIND_ROW, -1, ARG_INDEX | ARG_REQUIRED, -1}, {"value", -1, -1, ARG_REQUIRED, -1}}};

static const WrapperSpec kGetrowwt{
    "O", "Incorrect argument to getrowwt", CHECK_BEFORE_PARSED, true,
    [](WrapperCall &c) -> PyObject * {
      double weight = 0.0;
      if (QSLPgetrowwt(slpOf(c), c.index[0], &weight) != 0) return nullptr;
      return PyFloat_FromDouble(weight);
    },
    {{"rowindex", KIND_ROW, -1, ARG_INDEX | ARG_REQUIRED, -1}}};

static const WrapperSpec kChgdeltatype{
    "OOO", "Wrong arguments in chgdeltatypes", CHECK_BEFORE_PARSED, true,
    [](WrapperCall &c) {
      return c.done(QSLPchgdeltatype(slpOf(c), c.n(0), c.in<int>(0), c.in<int>(1), c.in<double>(2)));
    },
    {{"vars", KIND_COL, 0, ARG_ARRAY | ARG_REQUIRED, -1},
     {"deltatypes", KIND_INT, 0, ARG_ARRAY | ARG_REQUIRED, -1},
     {"values", KIND_DOUBLE, 0, ARG_ARRAY, -1}}};

/* The information is an int or a float, as the library's kind says. */
template <int (*Get)(QSLPprob, int, int, void *), bool (*IsInt)(int)>
static PyObject *infoOf(WrapperCall &c) {
  int type = c.slot[0].integer, i = 0;
  double d = 0.0;
  bool isInt = IsInt(type);
  if (Get(slpOf(c), type, c.index[1], isInt ? static_cast<void *>(&i) : static_cast<void *>(&d)) != 0)
    return nullptr;
  return isInt ? PyLong_FromLong(i) : PyFloat_FromDouble(d);
}

static bool colInfoIsInt(int type) { return QSLP_COLINFO_IS_INT(type); }
static bool rowInfoIsInt(int type) { return QSLP_ROWINFO_IS_INT(type); }

static const WrapperSpec kGetcolinfo{"iO", "Incorrect argument to getcolinfo", CHECK_BEFORE_PARSED, true,
                                     infoOf<QSLPgetcolinfo, colInfoIsInt>,
                                     {{"infotype", -1, -1, 0, -1},
                                      {"colindex", KIND_COL, -1, ARG_INDEX | ARG_REQUIRED, -1}}};

static const WrapperSpec kGetrowinfo{"iO", "Incorrect argument to getrowinfo", CHECK_BEFORE_PARSED, true,
                                     infoOf<QSLPgetrowinfo, rowInfoIsInt>,
                                     {{"infotype", -1, -1, 0, -1},
                                      {"rowindex", KIND_ROW, -1, ARG_INDEX | ARG_REQUIRED, -1}}};

PyMethodDef problem_slpRowMethods[] = {
    QRVA_WRAPPER("chgrowstatus", kChgrowstatus,
                 QRVA_DOC("Changes how the nonlinear solver treats a row.", "p.chgrowstatus(rowindex, status)",
                          "rowindex: the row (index, name or constraint); status: 0, or 2 (enforced: the "
                          "linearizations must meet it, without error vectors) or 4 (ignored: the solver "
                          "leaves the row out). Bit 1 (nonlinear) is read only and ignored here.",
                          "p.chgrowstatus(con, 2)",
                          "Ignoring a row changes the problem the solver solves: the last nonlinear solution "
                          "goes.",
                          "getrowstatus, chgrowwt")),
    QRVA_WRAPPER("getrowstatus", kGetrowstatus,
                 QRVA_DOC("Reads the status word of a row.", "p.getrowstatus(rowindex)",
                          "rowindex: the row (index, name or constraint).", "status = p.getrowstatus(con)",
                          "Bit 1: the row has nonlinear terms (the solver linearizes it); 2: enforced; 4: "
                          "ignored.",
                          "chgrowstatus")),
    QRVA_WRAPPER("chgrowwt", kChgrowwt,
                 QRVA_DOC("Changes the weight of a row's penalty in the nonlinear solver.",
                          "p.chgrowwt(rowindex, value)",
                          "rowindex: the row (index, name or constraint); value: a finite positive weight.",
                          "p.chgrowwt(con, 10.0)",
                          "A row's error vectors cost the penalty times its weight, and its violation counts "
                          "that many times in the merit of a step: a heavier row is kept nearer feasibility "
                          "along the way. The optimum is the same.",
                          "getrowwt, chgrowstatus")),
    QRVA_WRAPPER("getrowwt", kGetrowwt,
                 QRVA_DOC("Reads the penalty weight of a row.", "p.getrowwt(rowindex)",
                          "rowindex: the row (index, name or constraint).", "w = p.getrowwt(con)",
                          "Rows start with the weight 1.", "chgrowwt")),
    QRVA_WRAPPER("chgdeltatype", kChgdeltatype,
                 QRVA_DOC("Changes how the nonlinear solver bounds the steps of columns.",
                          "p.chgdeltatype(vars, deltatypes, values)",
                          "vars: the columns; deltatypes: 0 the solver's own step bound, 1 absolute (the unit "
                          "of the step bound is the value), 2 relative (the value times max(1, |x|)), 3 capped "
                          "(the solver's own, at most the value); values: one positive value per column, or "
                          "None when every type is 0.",
                          "p.chgdeltatype([x, y], [1, 3], [0.5, 2.0])",
                          "The solver's trust region scales the unit: steps widen after good steps and narrow "
                          "after refused ones.",
                          "chgvar, getcolinfo")),
    QRVA_WRAPPER("getcolinfo", kGetcolinfo,
                 QRVA_DOC("Reads what the nonlinear solver knows about a column.", "p.getcolinfo(infotype, colindex)",
                          "infotype: one of quorva.colinfo_value, colinfo_rdj, colinfo_deltaindex, colinfo_delta, "
                          "colinfo_deltadj, colinfo_updaterow, colinfo_sb, colinfo_sbdual; colindex: the column.",
                          "sb = p.getcolinfo(quorva.colinfo_sb, x)",
                          "colinfo_value is the column's current value; the others come from the last nonlinear "
                          "solve's last linearization. colinfo_deltaindex and colinfo_updaterow are ints, the "
                          "others floats.",
                          "getrowinfo, getslpsol")),
    QRVA_WRAPPER("getrowinfo", kGetrowinfo,
                 QRVA_DOC("Reads what the nonlinear solver knows about a row.", "p.getrowinfo(infotype, rowindex)",
                          "infotype: one of the quorva.rowinfo_* constants; rowindex: the row.",
                          "errors = p.getrowinfo(quorva.rowinfo_numpenaltyerrors, con)",
                          "From the last nonlinear solve: slack and dual, how often and how far the row's error "
                          "vectors were in use, their cost, columns, values and reduced costs. The counts and "
                          "columns are ints, the others floats.",
                          "getcolinfo, chgrowwt")),
    {nullptr, nullptr, 0, nullptr},
};
