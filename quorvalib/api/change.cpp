/* Library-named methods that change the problem in place: coefficients,
 * bounds, types, right-hand sides, the objective and quadratic terms. The
 * bounds and types they change are read back into the variable and
 * constraint objects, so the objects keep saying what the problem solves. */
#include "api/wrapper.h"
#include "module/docs.h"

static const unsigned IN = ARG_ARRAY | ARG_REQUIRED;

/* The column changes read back into the variables, the row changes into the
 * constraints. */
static PyObject *columnsChanged(WrapperCall &c, int rc) {
  if (rc != 0 || problem_pullColumns(c.problem, c.n(0), c.in<int>(0)) != 0) return nullptr;
  return newNone();
}
static PyObject *rowsChanged(WrapperCall &c, int rc) {
  if (rc != 0 || problem_pullRows(c.problem, c.n(0), c.in<int>(0)) != 0) return nullptr;
  return newNone();
}

static const WrapperSpec kChgbounds{
    "OOO", "Must provide arguments mindex, qbtype, bnd", CHECK_BEFORE, true,
    [](WrapperCall &c) {
      return columnsChanged(c, QRVAchgbounds(c.qprob(), c.n(0), c.in<int>(0), c.in<char>(1), c.in<double>(2)));
    },
    {{"mindex", KIND_COL, 0, IN, -1}, {"qbtype", KIND_CHAR, 0, IN, -1}, {"bnd", KIND_DOUBLE, 0, IN, -1}}};

static const WrapperSpec kChgcoltype{
    "OO", "Must provide arguments mindex, qctype", CHECK_BEFORE, true,
    [](WrapperCall &c) { return columnsChanged(c, QRVAchgcoltype(c.qprob(), c.n(0), c.in<int>(0), c.in<char>(1))); },
    {{"mindex", KIND_COL, 0, IN, -1}, {"qctype", KIND_CHAR, 0, IN, -1}}};

static const WrapperSpec kChgglblimit{
    "OO", "Must provide arguments mindex, dlimit", CHECK_BEFORE, true,
    [](WrapperCall &c) -> PyObject * {
      if (QRVAchgglblimit(c.qprob(), c.n(0), c.in<int>(0), c.in<double>(1)) != 0 ||
          problem_pullThresholds(c.problem, c.n(0), c.in<int>(0), c.in<double>(1)) != 0)
        return nullptr;
      return newNone();
    },
    {{"mindex", KIND_COL, 0, IN, -1}, {"dlimit", KIND_DOUBLE, 0, IN, -1}}};

static const WrapperSpec kChgrhs{
    "OO", "Must provide arguments mindex, rhs", CHECK_BEFORE, true,
    [](WrapperCall &c) { return rowsChanged(c, QRVAchgrhs(c.qprob(), c.n(0), c.in<int>(0), c.in<double>(1))); },
    {{"mindex", KIND_ROW, 0, IN, -1}, {"rhs", KIND_DOUBLE, 0, IN, -1}}};

static const WrapperSpec kChgrhsrange{
    "OO", "Must provide arguments mindex, rng", CHECK_BEFORE, true,
    [](WrapperCall &c) { return rowsChanged(c, QRVAchgrhsrange(c.qprob(), c.n(0), c.in<int>(0), c.in<double>(1))); },
    {{"mindex", KIND_ROW, 0, IN, -1}, {"rng", KIND_DOUBLE, 0, IN, -1}}};

static const WrapperSpec kChgrowtype{
    "OO", "Must provide arguments mindex and qrtype", CHECK_BEFORE, true,
    [](WrapperCall &c) { return rowsChanged(c, QRVAchgrowtype(c.qprob(), c.n(0), c.in<int>(0), c.in<char>(1))); },
    {{"mindex", KIND_ROW, 0, IN, -1}, {"qrtype", KIND_CHAR, 0, IN, -1}}};

static const WrapperSpec kChgobj{
    "OO", "Must provide arguments mindex, obj", CHECK_BEFORE, false,
    [](WrapperCall &c) -> PyObject * {
      if (check_nl_unconstruct(c.problem) != 0) return nullptr;
      return c.done(QRVAchgobj(c.qprob(), c.n(0), c.in<int>(0), c.in<double>(1)));
    },
    {{"mindex", KIND_COL, 0, IN, -1}, {"obj", KIND_DOUBLE, 0, IN, -1}}};

static const WrapperSpec kChgcoef{
    "OOd", nullptr, CHECK_BEFORE, false,
    [](WrapperCall &c) { return c.done(QRVAchgcoef(c.qprob(), c.index[0], c.index[1], c.slot[2].number)); },
    {{"irow", KIND_ROW, -1, ARG_INDEX, -1}, {"icol", KIND_COL, -1, ARG_INDEX, -1}, {"dval", KIND_DOUBLE, -1, 0, -1}}};

static const WrapperSpec kChgmcoef{
    "OOO", "Must provide arguments mrow, mcol, dval", CHECK_BEFORE_PARSED, false,
    [](WrapperCall &c) {
      return c.done(QRVAchgmcoef(c.qprob(), c.n(0), c.in<int>(0), c.in<int>(1), c.in<double>(2)));
    },
    {{"mrow", KIND_ROW, 0, IN, -1}, {"mcol", KIND_COL, 0, IN, -1}, {"dval", KIND_DOUBLE, 0, IN, -1}}};

static const WrapperSpec kChgqobj{
    "OOd", nullptr, CHECK_BEFORE, false,
    [](WrapperCall &c) { return c.done(QRVAchgqobj(c.qprob(), c.index[0], c.index[1], c.slot[2].number)); },
    {{"icol", KIND_COL, -1, ARG_INDEX, -1}, {"jcol", KIND_COL, -1, ARG_INDEX, -1}, {"dval", KIND_DOUBLE, -1, 0, -1}}};

static const WrapperSpec kChgmqobj{
    "OOO", "Must provide arguments mqcol1, mqcol2, dval", CHECK_BEFORE, false,
    [](WrapperCall &c) {
      return c.done(QRVAchgmqobj64(c.qprob(), c.count[0] < 0 ? 0 : c.count[0], c.in<int>(0), c.in<int>(1),
                                   c.in<double>(2)));
    },
    {{"mqcol1", KIND_COL, 0, IN, -1}, {"mqcol2", KIND_COL, 0, IN, -1}, {"dval", KIND_DOUBLE, 0, IN, -1}}};

static const WrapperSpec kChgqrowcoeff{
    "OOOd", nullptr, CHECK_BEFORE, false,
    [](WrapperCall &c) {
      return c.done(QRVAchgqrowcoeff(c.qprob(), c.index[0], c.index[1], c.index[2], c.slot[3].number));
    },
    {{"irow", KIND_ROW, -1, ARG_INDEX, -1},
     {"icol", KIND_COL, -1, ARG_INDEX, -1},
     {"jcol", KIND_COL, -1, ARG_INDEX, -1},
     {"dval", KIND_DOUBLE, -1, 0, -1}}};

/* Any sense but 1 (minimise) maximises. The SLP library holds the sense of
 * a problem with nonlinear content. */
static const WrapperSpec kChgobjsense{
    "i", nullptr, CHECK_BEFORE, false,
    [](WrapperCall &c) {
      int sense = c.slot[0].integer == 1 ? 1 : -1;
      if (problem_hasNonlinear(c.problem))
        return c.done(QSLPsetdblcontrol(c.problem->slpprob, QSLP_SLPOBJSENSE, (double)sense));
      /* The nonlinear solver's own sense follows, for formulas added later. */
      if (QRVAchgobjsense(c.qprob(), sense) != 0) return c.done(1);
      return c.done(QSLPsetdblcontrol(c.problem->slpprob, QSLP_SLPOBJSENSE, (double)sense));
    },
    {{"sense", KIND_INT, -1, 0, -1}}};

static const WrapperSpec kAddqmatrix{
    "OOOO", "Must provide arguments mqc1, mqc2, dqe", CHECK_BEFORE, false,
    [](WrapperCall &c) {
      return c.done(QRVAaddqmatrix64(c.qprob(), c.index[0], c.count[0] < 0 ? 0 : c.count[0], c.in<int>(1),
                                     c.in<int>(2), c.in<double>(3)));
    },
    {{"irow", KIND_ROW, -1, ARG_INDEX, -1},
     {"mqc1", KIND_COL, 0, IN, -1},
     {"mqc2", KIND_COL, 0, IN, -1},
     {"dqe", KIND_DOUBLE, 0, IN, -1}}};

/* The integer -1 names the objective; ObjInt2int passes integers through. */
static const WrapperSpec kDelqmatrix{
    "O", nullptr, CHECK_BEFORE, false, [](WrapperCall &c) { return c.done(QRVAdelqmatrix(c.qprob(), c.index[0])); },
    {{"row", KIND_ROW, -1, ARG_INDEX, -1}}};

static const WrapperSpec kSetindicators{
    "OOO", nullptr, CHECK_BEFORE, false,
    [](WrapperCall &c) {
      return c.done(QRVAsetindicators(c.qprob(), c.n(0), c.in<int>(0), c.in<int>(1), c.in<int>(2)));
    },
    {{"mrows", KIND_ROW, 0, ARG_ARRAY, -1}, {"inds", KIND_COL, 0, ARG_ARRAY, -1}, {"comps", KIND_INT, 0, ARG_ARRAY, -1}}};

PyMethodDef problem_apiChangeMethods[] = {
    QRVA_WRAPPER("chgbounds", kChgbounds,
                 QRVA_DOC("Changes bounds of columns.", "p.chgbounds(mindex, qbtype, bnd)",
                          "mindex: columns; qbtype: 'U' upper, 'L' lower or 'B' both, one per column; bnd: the new "
                          "values.",
                          "p.chgbounds([x, 'y'], ['U', 'B'], [4, 0])",
                          "The three arrays must have the same length. The variables of the columns take the new "
                          "bounds too.",
                          "getlb, getub, chgcoltype")),
    QRVA_WRAPPER("chgcoltype", kChgcoltype,
                 QRVA_DOC("Changes the types of columns.", "p.chgcoltype(mindex, qctype)",
                          "mindex: columns; qctype: one of 'C' 'I' 'B' 'S' 'R' 'P' per column.",
                          "p.chgcoltype([x], ['I'])",
                          "A binary column keeps bounds within [0, 1]. The variables take the new types.",
                          "getcoltype, chgbounds, chgglblimit")),
    QRVA_WRAPPER("chgglblimit", kChgglblimit,
                 QRVA_DOC("Changes the thresholds of semi-continuous, semi-integer and partially integer columns.",
                          "p.chgglblimit(mindex, dlimit)", "mindex: columns; dlimit: their thresholds.",
                          "p.chgglblimit([x], [2.5])", "The variables take the new thresholds.", "chgcoltype")),
    QRVA_WRAPPER("chgrhs", kChgrhs,
                 QRVA_DOC("Changes right-hand sides of rows.", "p.chgrhs(mindex, rhs)",
                          "mindex: rows; rhs: the new right-hand sides.", "p.chgrhs([c1, 0], [10, 4.5])",
                          "The constraints' bounds follow: a range row keeps its width.",
                          "getrhs, chgrhsrange, chgrowtype")),
    QRVA_WRAPPER("chgrhsrange", kChgrhsrange,
                 QRVA_DOC("Changes the range widths of rows.", "p.chgrhsrange(mindex, rng)",
                          "mindex: rows; rng: the widths (the row becomes rhs - rng <= row <= rhs).",
                          "p.chgrhsrange([c], [3])", "The constraints' bounds follow.", "getrhsrange, chgrhs")),
    QRVA_WRAPPER("chgrowtype", kChgrowtype,
                 QRVA_DOC("Changes the types of rows.", "p.chgrowtype(mindex, qrtype)",
                          "mindex: rows; qrtype: one of 'L' 'G' 'E' 'R' 'N' per row.", "p.chgrowtype([c], ['G'])",
                          "The constraints' bounds follow the new type.", "getrowtype, chgrhs")),
    QRVA_WRAPPER("chgobj", kChgobj,
                 QRVA_DOC("Changes objective coefficients.", "p.chgobj(mindex, obj)",
                          "mindex: columns (-1 for the objective's constant, stored negated); obj: coefficients.",
                          "p.chgobj([x, y], [1, -2])",
                          "A problem with nonlinear content is taken out of its solved state first.",
                          "getobj, chgobjsense, setObjective")),
    QRVA_WRAPPER("chgcoef", kChgcoef,
                 QRVA_DOC("Changes one coefficient of the matrix.", "p.chgcoef(irow, icol, dval)",
                          "irow: a row; icol: a column; dval: the new coefficient (0 removes it).",
                          "p.chgcoef(c, x, 3.0)", "The constraint object's body is not rewritten.",
                          "chgmcoef, getcoef")),
    QRVA_WRAPPER("chgmcoef", kChgmcoef,
                 QRVA_DOC("Changes several coefficients of the matrix.", "p.chgmcoef(mrow, mcol, dval)",
                          "mrow: rows; mcol: columns; dval: the new coefficients, one per pair.",
                          "p.chgmcoef([c, c], [x, y], [1, 2])", "The three arrays must have the same length.",
                          "chgcoef, getrows")),
    QRVA_WRAPPER("chgqobj", kChgqobj,
                 QRVA_DOC("Changes one term of the quadratic objective.", "p.chgqobj(icol, jcol, dval)",
                          "icol, jcol: columns; dval: the coefficient of the term, as the quadratic matrix holds it.",
                          "p.chgqobj(x, y, 1.0)", "The matrix stays symmetric: (icol, jcol) and (jcol, icol) change.",
                          "chgmqobj, getqobj")),
    QRVA_WRAPPER("chgmqobj", kChgmqobj,
                 QRVA_DOC("Changes several terms of the quadratic objective.", "p.chgmqobj(mqcol1, mqcol2, dval)",
                          "mqcol1, mqcol2: columns; dval: coefficients, one per pair.",
                          "p.chgmqobj([x, x], [x, y], [2, 1])", "The three arrays must have the same length.",
                          "chgqobj, getmqobj")),
    QRVA_WRAPPER("chgqrowcoeff", kChgqrowcoeff,
                 QRVA_DOC("Changes one quadratic term of a row.", "p.chgqrowcoeff(irow, icol, jcol, dval)",
                          "irow: a row; icol, jcol: columns; dval: the coefficient.", "p.chgqrowcoeff(c, x, x, 1.0)",
                          "The row must not be an equality.", "getqrowcoeff, addqmatrix")),
    QRVA_WRAPPER("chgobjsense", kChgobjsense,
                 QRVA_DOC("Changes the sense of the objective.", "p.chgobjsense(sense)",
                          "sense: 1 (quorva.minimize) minimises, any other value maximises.",
                          "p.chgobjsense(quorva.maximize)",
                          "With nonlinear content the nonlinear solver's sense is set instead.",
                          "chgobj, setObjective")),
    QRVA_WRAPPER("addqmatrix", kAddqmatrix,
                 QRVA_DOC("Adds quadratic terms to a row.", "p.addqmatrix(irow, mqc1, mqc2, dqe)",
                          "irow: a row; mqc1, mqc2: columns; dqe: coefficients, one per pair.",
                          "p.addqmatrix(c, [x], [x], [1.0])", "Terms already in the row are added to.",
                          "delqmatrix, getqrowqmatrix")),
    QRVA_WRAPPER("delqmatrix", kDelqmatrix,
                 QRVA_DOC("Removes every quadratic term of a row, or of the objective.", "p.delqmatrix(row)",
                          "row: a row, or -1 for the objective.", "p.delqmatrix(-1)",
                          "The linear part stays.", "addqmatrix, chgmqobj")),
    QRVA_WRAPPER("setindicators", kSetindicators,
                 QRVA_DOC("Makes rows indicator rows of binary columns.", "p.setindicators(mrows, inds, comps)",
                          "mrows: rows; inds: binary columns; comps: 1 enforced when the column is 1, -1 when it is 0, "
                          "0 a plain row again.",
                          "p.setindicators([c], [b], [1])", "The three arrays must have the same length.",
                          "getindicators, addIndicator")),
    {nullptr, nullptr, 0, nullptr},
};
