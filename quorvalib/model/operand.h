/* Operand classification and the generic arithmetic that applies to an
 * operand of any kind. Every binary operator of the modeling classes first
 * hands NumPy arrays to NumPy, then lets the class of the highest operand
 * kind (nonlinear > expression > quadratic term > linear term > variable >
 * constant) compute the result. */
#ifndef QUORVA_OPERAND_H
#define QUORVA_OPERAND_H

#include "model/types.h"
#include "module/errors.h"
#include "module/numpy_api.h"

#include <string>

enum OperandKind {
  KIND_INVALID = -1,
  KIND_CONSTANT = 0,
  KIND_VARIABLE = 1,
  KIND_LINTERM = 2,
  KIND_QUADTERM = 3,
  KIND_EXPRESSION = 4,
  KIND_NONLINEAR = 5,
};

enum BinaryOp { BINOP_ADD, BINOP_SUB, BINOP_MUL, BINOP_DIV, BINOP_POW };

/* Sets quorva.ModelError and returns NULL. */
static inline PyObject *modelError(const char *message) {
  PyErr_SetString(qpy_model_exc, message);
  return nullptr;
}

/* A Python float or int (bool included), or a NumPy scalar of the platform
 * int, long, long long, single or double type. */
int isConstant(PyObject *object);
/* The value of a constant as a double; -1 with an error set when it does not
 * fit (an int beyond the double range). */
int constantValue(PyObject *object, double *value);
/* Whether a constant operand equals value; -1 with an error set when the
 * constant cannot be read. */
int constantEquals(PyObject *object, double value);

/* A NumPy array or an instance of a subclass. */
static inline bool isNumpyArray(PyObject *object) { return PyArray_Check(object); }

/* The operand kind, without setting an error. */
int operandKind(PyObject *object);
/* The operand kind; -1 with quorva.ModelError "Invalid object in operation". */
int getExprType(PyObject *object);

/* The NumPy hand-over of a binary operator whose right operand is an
 * array: array + left, (-array) + left, array * left, (1.0 / array) * left;
 * a power raises "Cannot obtain a power with a vector as an exponent". */
PyObject *array_handover(BinaryOp op, PyObject *left, PyObject *array);

/* The number-protocol operator of the class of an operand kind (1 to 5). */
PyObject *class_binary(int kind, BinaryOp op, PyObject *left, PyObject *right);

/* The rule of a higher class for an operator of a term class: when either
 * operand kind is nonlinear, the nonlinear rule; else when either is an
 * expression, the expression rule; else when either is a quadratic term and
 * the calling class is below it, the quadratic-term rule. Returns true and
 * the result when one of them applies. */
bool higher_rule(BinaryOp op, PyObject *left, PyObject *right, int kl, int kr, int caller, PyObject **result);

/* The shortcuts of the in-place operators of the immutable term classes,
 * for a term of the class on the left and a constant on the right: += and
 * -= with 0, *=, /= and **= with 1 give the term itself, **= 0 gives 1.0,
 * /= 0 raises "Division by zero". Returns true and the result when one of
 * them applies. */
bool term_inplace_shortcut(BinaryOp op, PyObject *left, PyObject *right, int caller, PyObject **result);

PyObject *general_copy(PyObject *object, double factor);
PyObject *general_neg(PyObject *object);
PyObject *general_mul(PyObject *a, PyObject *b);
PyObject *general_imul(PyObject *a, PyObject *b);
PyObject *general_iadd(PyObject *a, PyObject *b);

PyObject *constant_add(PyObject *a, PyObject *b);
PyObject *constant_iadd(PyObject *a, PyObject *b);
PyObject *constant_mul(PyObject *a, PyObject *b);
PyObject *constant_imul(PyObject *a, PyObject *b);
PyObject *constant_neg(PyObject *a);

/* One number printed with a printf format of a single double conversion
 * ("%g", "%+g", "%g*"). */
std::string formatNumber(const char *format, double value);
/* Appends the UTF-8 text of a str object; -1 with an error set on failure. */
int appendText(std::string &out, PyObject *text);

/* Turns the result of a cumulative operator into a modeling object in
 * place (a constant becomes a constant expression, arrays element by
 * element). 0, or -1 with quorva.ModelError set. */
int convert_const_to_expr(PyObject **object);

#endif
