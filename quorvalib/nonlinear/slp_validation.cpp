/* SLP-named methods of quorva.problem that validate: the last nonlinear
 * solution against its rows and bounds, one row of it, a given point, and
 * the solution's KKT residual. */
#include "api/wrapper.h"
#include "module/docs.h"
#include "module/errors.h"

static QSLPprob slpOf(const WrapperCall &c) { return c.problem->slpprob; }

static const WrapperSpec kValidate{"", nullptr, CHECK_BEFORE, true,
                                   [](WrapperCall &c) { return c.done(QSLPvalidate(slpOf(c))); }, {}};

static const WrapperSpec kValidaterow{
    "O", "Wrong arguments in validaterow", CHECK_BEFORE_PARSED, true,
    [](WrapperCall &c) { return c.done(QSLPvalidaterow(slpOf(c), c.index[0])); },
    {{"row", KIND_ROW, -1, ARG_INDEX | ARG_REQUIRED, -1}}};

/* One value per column of the problem as it stands. */
static const WrapperSpec kValidatevector{
    "O", "Wrong arguments in validatevector", CHECK_BEFORE_PARSED, true,
    [](WrapperCall &c) -> PyObject * {
      int cols = 0;
      if (c.attribute(QRVA_COLS, &cols) != 0) return nullptr;
      if (c.n(0) != cols) return WrapperCall::interfaceError("Wrong vector size in validatevector");
      double suminf = 0.0, sumscaledinf = 0.0, objval = 0.0;
      if (QSLPvalidatevector(slpOf(c), c.in<double>(0), &suminf, &sumscaledinf, &objval) != 0) return nullptr;
      return Py_BuildValue("(ddd)", suminf, sumscaledinf, objval);
    },
    {{"vector", KIND_DOUBLE, 0, ARG_ARRAY | ARG_REQUIRED, -1}}};

static const WrapperSpec kValidatekkt{
    "iiid", "Wrong arguments in validatekkt", CHECK_BEFORE_PARSED, true,
    [](WrapperCall &c) {
      return c.done(QSLPvalidatekkt(slpOf(c), c.slot[0].integer, c.slot[1].integer, c.slot[2].integer,
                                    c.slot[3].number));
    },
    {{"calculationmode", -1, -1, 0, -1},
     {"respectbasisstatus", -1, -1, 0, -1},
     {"updatemultipliers", -1, -1, 0, -1},
     {"kktviolationtarget", -1, -1, 0, -1}}};

PyMethodDef problem_slpValidationMethods[] = {
    QRVA_WRAPPER("validate", kValidate,
                 QRVA_DOC("Validates the last nonlinear solution against every row and bound.", "p.validate()",
                          "None.", "p.nlpoptimize()\n  p.validate()\n  worst = p.attributes.validationindex_a",
                          "The largest violation goes into the attribute validationindex_a, the largest relative "
                          "to max(1, |bound|) into validationindex_r, and a line into the log. Refused before a "
                          "nonlinear solve.",
                          "validaterow, validatevector, validatekkt")),
    QRVA_WRAPPER("validaterow", kValidaterow,
                 QRVA_DOC("Validates one row at the last nonlinear solution.", "p.validaterow(row)",
                          "row: the row (index, name or constraint).", "p.validaterow(con)",
                          "The log describes the row (linear and nonlinear parts, activity, bounds, violation); "
                          "its violation goes into validationindex_a and validationindex_r.",
                          "validate")),
    QRVA_WRAPPER("validatevector", kValidatevector,
                 QRVA_DOC("Checks a point given as one value per column.", "p.validatevector(vector)",
                          "vector: a value for every column, in column order.",
                          "suminf, sumscaledinf, obj = p.validatevector([1.0, 2.0])",
                          "Returns the sum of the violations of every row and bound, the same sum with each "
                          "relative to max(1, |bound|), and the objective at the point.",
                          "validate")),
    QRVA_WRAPPER("validatekkt", kValidatekkt,
                 QRVA_DOC("Measures the KKT residual of the last nonlinear solution.",
                          "p.validatekkt(calculationmode, respectbasisstatus, updatemultipliers, kktviolationtarget)",
                          "calculationmode: 0 the multipliers of the solve, 1 fresh ones from a linearization at "
                          "the solution; respectbasisstatus: 1 counts a column or row within slpfeastol of a "
                          "bound as at it, 0 only one exactly at it; updatemultipliers: 1 (with mode 1) puts the "
                          "fresh multipliers into the solution's duals and reduced costs; kktviolationtarget: "
                          "the residual aimed at.",
                          "p.validatekkt(1, 1, 0, 1e-6)\n  r = p.attributes.validationindex_k",
                          "The residual (projected gradient of the Lagrangian and complementarity of the rows, "
                          "relative to the largest gradient term) goes into validationindex_k; kktvalidated is "
                          "1 when it is within the target.",
                          "validate, getslpsol")),
    {nullptr, nullptr, 0, nullptr},
};
