#include "problem/convert.h"

#include "model/expression.h"
#include "model/linterm.h"
#include "model/maps.h"
#include "model/operand.h"
#include "model/quadterm.h"
#include "model/var.h"

#include <new>

namespace {

const char *const kLinearTermMissing = "Variable in linear term defining constraint has not been added to problem yet";
const char *const kQuadraticTermMissing =
    "Variable in quadratic term defining constraint has not been added to problem yet";
const char *const kLinearPartMissing = "Variable in linear part of constraint has not been added to problem yet";
const char *const kQuadraticPartMissing =
    "Variable in quadratic part of constraint has not been added to problem yet";

struct Converter {
  problem_s *problem;
  bool objective;
  double *constant;
  LinearEntries &linear;
  QuadraticEntries &quadratic;

  int fail(const char *message) {
    PyErr_SetString(qpy_model_exc, message);
    return -3;
  }

  int column(PyObject *variable, const char *missing, int *col) {
    if (rowcolmap_get(problem->varmap, VAR_SERIAL(variable), col) != 0) return fail(missing);
    return 0;
  }

  int addLinear(PyObject *variable, double coef, const char *missing) {
    if (coef == 0.0) return 0;
    int col;
    if (int rc = column(variable, missing, &col)) return rc;
    linear.col.push_back(col);
    linear.coef.push_back(coef);
    return 0;
  }

  int addQuadratic(PyObject *x, PyObject *y, double coef, const char *missing) {
    if (coef == 0.0) return 0;
    int c1, c2;
    if (int rc = column(x, missing, &c1)) return rc;
    if (int rc = column(y, missing, &c2)) return rc;
    if (c1 != c2) coef /= 2.0;
    if (objective) coef *= 2.0;
    quadratic.col1.push_back(c1);
    quadratic.col2.push_back(c2);
    quadratic.coef.push_back(coef);
    return 0;
  }

  int expression(PyObject *object) {
    expression_s *e = EXPRESSION(object);
    *constant += e->constant;
    /* No reserve() here: the entries of many rows go into the same arrays,
     * and exact reservations would defeat their geometric growth. */
    if (e->linear)
      for (const auto &entry : e->linear->entries)
        if (int rc = addLinear(entry.first.var, entry.second, kLinearPartMissing)) return rc;
    if (e->quadratic)
      for (const auto &outer : e->quadratic->entries)
        for (const auto &inner : outer.second->entries)
          if (int rc = addQuadratic(outer.first.var, inner.first.var, inner.second, kQuadraticPartMissing)) return rc;
    return 0;
  }

  int convert(PyObject *expr) {
    switch (operandKind(expr)) {
      case KIND_CONSTANT: {
        double value;
        if (constantValue(expr, &value) != 0) return -3;
        *constant += value;
        return 0;
      }
      case KIND_VARIABLE:
        return addLinear(expr, 1.0, kLinearTermMissing);
      case KIND_LINTERM:
        return addLinear(LINTERM(expr)->var, LINTERM(expr)->coef, kLinearTermMissing);
      case KIND_QUADTERM:
        return addQuadratic(QUADTERM(expr)->first, QUADTERM(expr)->second, QUADTERM(expr)->coef,
                            kQuadraticTermMissing);
      case KIND_EXPRESSION:
        return expression(expr);
      case KIND_NONLINEAR:
        /* Formula coefficients are handed to the SLP library by a later
         * version; until then such a model is refused as a whole. */
        return fail(objective ? "Nonlinear objectives are not available yet in this version"
                              : "Nonlinear constraints are not available yet in this version");
      default:
        return fail(expr ? "Invalid expression" : "Cannot convert expression");
    }
  }
};

}  // namespace

int convertExpr(problem_s *problem, PyObject *expr, bool objective, double *constant, LinearEntries &linear,
                QuadraticEntries &quadratic) {
  Converter converter{problem, objective, constant, linear, quadratic};
  try {
    return converter.convert(expr);
  } catch (const std::bad_alloc &) {
    PyErr_NoMemory();
    return -1;
  }
}
