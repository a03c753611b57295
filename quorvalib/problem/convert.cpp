#include "problem/convert.h"

#include "model/expression.h"
#include "model/linterm.h"
#include "model/maps.h"
#include "model/operand.h"
#include "model/quadterm.h"
#include "model/var.h"
#include "nonlinear/convert.h"
#include "nonlinear/nonlinear.h"

#include <cmath>
#include <cstdio>
#include <new>

namespace {

const double kInfinity = 1e20;

const char *const kLinearTermMissing = "Variable in linear term defining constraint has not been added to problem yet";
const char *const kQuadraticTermMissing =
    "Variable in quadratic term defining constraint has not been added to problem yet";
const char *const kLinearPartMissing = "Variable in linear part of constraint has not been added to problem yet";
const char *const kQuadraticPartMissing =
    "Variable in quadratic part of constraint has not been added to problem yet";

struct Converter {
  problem_s *problem; /* nullptr: only the constant is wanted */
  bool objective;
  double *constant;
  LinearEntries &linear;
  QuadraticEntries &quadratic;
  FormulaEntries &formulas;

  int fail(const char *message) {
    PyErr_SetString(qpy_model_exc, message);
    return -3;
  }

  int column(PyObject *variable, const char *missing, int *col) {
    if (rowcolmap_get(problem->varmap, VAR_SERIAL(variable), col) != 0) return fail(missing);
    return 0;
  }

  /* A coefficient at or beyond the library's infinity has no meaning (a
   * bound there means "none"); NaN none either. */
  int checkCoefficient(PyObject *variable, double coef) {
    if (std::fabs(coef) < kInfinity) return 0;
    PyRef name(var_nameText(variable));
    if (!name) return -1;
    char text[32];
    std::snprintf(text, sizeof text, "%g", coef);
    PyErr_Format(qpy_model_exc,
                 "Invalid coefficient %s of variable %U in the %s: coefficients must lie strictly between "
                 "-quorva.infinity and quorva.infinity (1e20)",
                 text, name.get(), objective ? "objective" : "constraint");
    return -3;
  }

  int addLinear(PyObject *variable, double coef, const char *missing) {
    if (coef == 0.0 || !problem) return 0;
    if (int rc = checkCoefficient(variable, coef)) return rc;
    int col;
    if (int rc = column(variable, missing, &col)) return rc;
    linear.col.push_back(col);
    linear.coef.push_back(coef);
    return 0;
  }

  int addQuadratic(PyObject *x, PyObject *y, double coef, const char *missing) {
    if (coef == 0.0 || !problem) return 0;
    if (int rc = checkCoefficient(x, coef)) return rc;
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

  int expression(PyObject *object, double f) {
    expression_s *e = EXPRESSION(object);
    *constant += f * e->constant;
    /* No reserve() here: the entries of many rows go into the same arrays,
     * and exact reservations would defeat their geometric growth. */
    if (e->linear)
      for (const auto &entry : e->linear->entries)
        if (int rc = addLinear(entry.first.var, f * entry.second, kLinearPartMissing)) return rc;
    if (e->quadratic)
      for (const auto &outer : e->quadratic->entries)
        for (const auto &inner : outer.second->entries)
          if (int rc = addQuadratic(outer.first.var, inner.first.var, f * inner.second, kQuadraticPartMissing))
            return rc;
    return 0;
  }

  /* A part that is not nonlinear, times f (1 or -1). */
  int linearPart(PyObject *expr, double f) {
    switch (operandKind(expr)) {
      case KIND_CONSTANT: {
        double value;
        if (constantValue(expr, &value) != 0) return -3;
        *constant += f * value;
        return 0;
      }
      case KIND_VARIABLE:
        return addLinear(expr, f, kLinearTermMissing);
      case KIND_LINTERM:
        return addLinear(LINTERM(expr)->var, f * LINTERM(expr)->coef, kLinearTermMissing);
      case KIND_QUADTERM:
        return addQuadratic(QUADTERM(expr)->first, QUADTERM(expr)->second, f * QUADTERM(expr)->coef,
                            kQuadraticTermMissing);
      case KIND_EXPRESSION:
        return expression(expr, f);
      default:
        return fail(expr ? "Invalid expression" : "Cannot convert expression");
    }
  }

  /* One argument of a top-level sum or difference: a nonlinear one becomes
   * a formula coefficient, any other goes to the linear and quadratic
   * parts. */
  int part(PyObject *item, double f, const char *invalid) {
    int kind = operandKind(item);
    if (kind == KIND_NONLINEAR) return problem ? formula_addCoefficient(problem, item, f, formulas) : 0;
    if (kind == KIND_INVALID) return fail(invalid);
    return linearPart(item, f);
  }

  /* The top of a nonlinear body: the arguments of a sum or difference are
   * taken apart; any other node is one formula coefficient. */
  int nonlinear(PyObject *expr) {
    nonlinear_s *node = NONLINEAR(expr);
    if (node->op == NONLIN_SUM) {
      if (!node->args || !PyList_Check(node->args)) return fail("Erroneous type for argument of sum");
      /* The list is read by index: conversion runs no Python code that
       * could change it. */
      for (Py_ssize_t i = 0; i < PyList_GET_SIZE(node->args); ++i)
        if (int rc = part(PyList_GET_ITEM(node->args, i), 1.0, "Invalid expression in nonlinear sum")) return rc;
      return 0;
    }
    if (node->op == NONLIN_MINUS) {
      if (!node->args || !PyTuple_Check(node->args) || PyTuple_GET_SIZE(node->args) != 2)
        return fail("Erroneous type for argument of difference expression");
      if (int rc = part(PyTuple_GET_ITEM(node->args, 0), 1.0, "Invalid expression")) return rc;
      return part(PyTuple_GET_ITEM(node->args, 1), -1.0, "Invalid expression");
    }
    return problem ? formula_addCoefficient(problem, expr, 1.0, formulas) : 0;
  }

  int convert(PyObject *expr) {
    if (expr && operandKind(expr) == KIND_NONLINEAR) return nonlinear(expr);
    return linearPart(expr, 1.0);
  }
};

/* The counting mode's bounds of a part that is not nonlinear. */
int countLinearPart(PyObject *expr, ConvertCounts &counts) {
  switch (operandKind(expr)) {
    case KIND_CONSTANT:
      return 0;
    case KIND_VARIABLE:
    case KIND_LINTERM:
      counts.linear += 1;
      return 0;
    case KIND_QUADTERM:
      counts.quadratic += 1;
      return 0;
    case KIND_EXPRESSION: {
      expression_s *e = EXPRESSION(expr);
      if (e->linear) counts.linear += (int64_t)e->linear->entries.size();
      if (e->quadratic)
        for (const auto &outer : e->quadratic->entries) counts.quadratic += (int64_t)outer.second->entries.size();
      return 0;
    }
    default:
      PyErr_SetString(qpy_model_exc, expr ? "Invalid expression" : "Cannot convert expression");
      return -3;
  }
}

int countPart(PyObject *item, ConvertCounts &counts) {
  if (operandKind(item) != KIND_NONLINEAR) return countLinearPart(item, counts);
  counts.coefficients += 1;
  counts.tokens += 1; /* the end token */
  return formula_countTokens(item, &counts.tokens);
}

}  // namespace

int convertExpr(problem_s *problem, PyObject *expr, bool objective, double *constant, LinearEntries &linear,
                QuadraticEntries &quadratic, FormulaEntries &formulas) {
  Converter converter{problem, objective, constant, linear, quadratic, formulas};
  try {
    int rc = converter.convert(expr);
    if (rc == 0 && objective && !(std::fabs(*constant) < kInfinity)) {
      char text[32];
      std::snprintf(text, sizeof text, "%g", *constant);
      PyErr_Format(qpy_model_exc,
                   "Invalid objective constant %s: it must lie strictly between -quorva.infinity and "
                   "quorva.infinity (1e20)",
                   text);
      return -3;
    }
    return rc;
  } catch (const std::bad_alloc &) {
    PyErr_NoMemory();
    return -1;
  }
}

int bodyConstant(PyObject *expr, double *constant) {
  LinearEntries linear;
  QuadraticEntries quadratic;
  FormulaEntries formulas;
  *constant = 0.0;
  return convertExpr(nullptr, expr, false, constant, linear, quadratic, formulas);
}

int countExpr(PyObject *expr, ConvertCounts &counts) {
  if (!expr || operandKind(expr) != KIND_NONLINEAR) return countLinearPart(expr, counts);
  nonlinear_s *node = NONLINEAR(expr);
  if (node->op == NONLIN_SUM) {
    if (!node->args || !PyList_Check(node->args)) {
      PyErr_SetString(qpy_model_exc, "Erroneous type for argument of sum");
      return -3;
    }
    for (Py_ssize_t i = 0; i < PyList_GET_SIZE(node->args); ++i)
      if (int rc = countPart(PyList_GET_ITEM(node->args, i), counts)) return rc;
    return 0;
  }
  if (node->op == NONLIN_MINUS) {
    if (!node->args || !PyTuple_Check(node->args) || PyTuple_GET_SIZE(node->args) != 2) {
      PyErr_SetString(qpy_model_exc, "Erroneous type for argument of difference expression");
      return -3;
    }
    if (int rc = countPart(PyTuple_GET_ITEM(node->args, 0), counts)) return rc;
    return countPart(PyTuple_GET_ITEM(node->args, 1), counts);
  }
  return countPart(expr, counts);
}
