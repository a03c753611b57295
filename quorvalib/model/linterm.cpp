/* quorva.linterm: a coefficient times a variable, with its sums, products,
 * quotients and powers. A term is never changed: every operator returns a
 * new object (or one of its operands). */
#include "model/linterm.h"

#include "model/constraint.h"
#include "model/expression.h"
#include "model/operand.h"
#include "model/quadterm.h"
#include "model/var.h"
#include "module/boundary.h"
#include "module/helpers.h"
#include "nonlinear/nonlinear.h"

namespace {

PyObject *same(PyObject *o) {
  Py_INCREF(o);
  return o;
}

/* The variable and coefficient of a variable (coefficient 1) or a linear
 * term. */
void linearParts(PyObject *o, int kind, PyObject **variable, double *coef) {
  if (kind == KIND_VARIABLE) {
    *variable = o;
    *coef = 1.0;
  } else {
    *variable = LINTERM(o)->var;
    *coef = LINTERM(o)->coef;
  }
}

bool isLinear(int kind) { return kind == KIND_VARIABLE || kind == KIND_LINTERM; }

}  // namespace

PyObject *linterm_fill(double coef, PyObject *variable) {
  if (coef == 0.0) return PyFloat_FromDouble(0.0);
  linterm_s *t = PyObject_New(linterm_s, &quorva_lintermType);
  if (!t) return nullptr;
  t->coef = coef;
  Py_INCREF(variable);
  t->var = variable;
  return reinterpret_cast<PyObject *>(t);
}

PyObject *linterm_copy(PyObject *term, double factor) {
  if (operandKind(term) != KIND_LINTERM) return modelError("Linterm copy using an invalid object");
  return linterm_fill(factor * LINTERM(term)->coef, LINTERM(term)->var);
}

static void linterm_dealloc(PyObject *self) {
  Py_XDECREF(LINTERM(self)->var);
  Py_TYPE(self)->tp_free(self);
}

/* Terms are made by the operators only. */
static int linterm_init(PyObject *, PyObject *, PyObject *) {
  modelError("Linear terms are created by operators on variables, not directly");
  return -1;
}

static PyObject *linterm_str(PyObject *self) {
  linterm_s *t = LINTERM(self);
  if (!t->var) return PyUnicode_FromString("");
  std::string text = t->coef == 1.0 ? std::string() : formatNumber("%g*", t->coef);
  PyRef name(var_nameText(t->var));
  if (!name || appendText(text, name.get()) != 0) return setQrvaErrIfNull(nullptr, nullptr);
  return setQrvaErrIfNull(nullptr, PyUnicode_FromStringAndSize(text.data(), (Py_ssize_t)text.size()));
}

/* ---- sums: left + s * right ---- */

static PyObject *lintermSum(PyObject *l, PyObject *r, int kl, int kr, double s) {
  double c;
  PyObject *x, *y;
  double a, b;
  if (kl == KIND_LINTERM && kr == KIND_CONSTANT) { /* t + s c */
    if (constantValue(r, &c) != 0) return nullptr;
    linearParts(l, kl, &x, &a);
    if (s * c == 0.0) return linterm_fill(a, x);
    return expression_fromLinear(s * c, x, a, nullptr, 0.0, "Error creating expression");
  }
  if (kl == KIND_CONSTANT && kr == KIND_LINTERM) { /* c + s t */
    if (constantValue(l, &c) != 0) return nullptr;
    linearParts(r, kr, &x, &a);
    if (c == 0.0) return linterm_fill(s * a, x);
    return expression_fromLinear(c, x, s * a, nullptr, 0.0, "Error creating expression");
  }
  if (isLinear(kl) && isLinear(kr)) { /* t + s z, z + s t, t + s u */
    linearParts(l, kl, &x, &a);
    linearParts(r, kr, &y, &b);
    if (VAR_SERIAL(x) == VAR_SERIAL(y)) return linterm_fill(a + s * b, x);
    const char *failure = kl == KIND_LINTERM && kr == KIND_LINTERM
                              ? "Error creating expression as sum of two linear terms"
                              : "Error creating expression as sum of linear term and variable";
    return expression_fromLinear(0.0, x, a, y, s * b, failure);
  }
  return modelError("Invalid operands in sum");
}

/* ---- products ---- */

static PyObject *lintermProduct(PyObject *l, PyObject *r, int kl, int kr) {
  PyObject *x, *y;
  double a, b;
  if (kl == KIND_CONSTANT || kr == KIND_CONSTANT) {
    PyObject *constant = kl == KIND_CONSTANT ? l : r, *term = kl == KIND_CONSTANT ? r : l;
    int kt = kl == KIND_CONSTANT ? kr : kl;
    double c;
    if (kt != KIND_LINTERM) return modelError("Invalid operands in product of linear terms");
    if (constantValue(constant, &c) != 0) return nullptr;
    return linterm_fill(c * LINTERM(term)->coef, LINTERM(term)->var);
  }
  if (isLinear(kl) && isLinear(kr)) {
    linearParts(l, kl, &x, &a);
    linearParts(r, kr, &y, &b);
    return quadterm_fill(a * b, x, y);
  }
  return modelError("Invalid operands in product of linear terms");
}

/* ---- quotients ---- */

static PyObject *lintermQuotient(PyObject *l, PyObject *r, int kl, int kr) {
  PyObject *x, *y;
  double a, b, c;
  if (kl == KIND_LINTERM && kr == KIND_CONSTANT) {
    if (constantValue(r, &c) != 0) return nullptr;
    if (c == 0.0) return modelError("Division by zero");
    return linterm_fill(LINTERM(l)->coef / c, LINTERM(l)->var);
  }
  if (kl == KIND_CONSTANT && kr == KIND_LINTERM) return nonlin_instantiate_binary(NONLIN_DIV, l, r);
  if (isLinear(kl) && isLinear(kr)) {
    linearParts(l, kl, &x, &a);
    linearParts(r, kr, &y, &b);
    if (VAR_SERIAL(x) == VAR_SERIAL(y)) return PyFloat_FromDouble(a / b);
    return nonlin_instantiate_binary(NONLIN_DIV, l, r);
  }
  return modelError("Invalid operands in product of linear terms");
}

/* ---- powers ---- */

static PyObject *lintermPower(PyObject *l, PyObject *r, int kl, int kr) {
  if (kl == KIND_LINTERM && kr == KIND_CONSTANT) {
    double c;
    if (constantValue(r, &c) != 0) return nullptr;
    if (c == 0.0) return PyFloat_FromDouble(1.0);
    if (c == 1.0) return same(l);
    if (c == 2.0) {
      double a = LINTERM(l)->coef;
      return quadterm_fill(a * a, LINTERM(l)->var, LINTERM(l)->var);
    }
    return nonlin_instantiate_binary(NONLIN_POW, l, r);
  }
  if ((kl == KIND_LINTERM && isLinear(kr)) || ((kl == KIND_CONSTANT || kl == KIND_VARIABLE) && kr == KIND_LINTERM))
    return nonlin_instantiate_binary(NONLIN_POW, l, r);
  return modelError("Invalid operands in power");
}

static PyObject *lintermAlgebra(BinaryOp op, PyObject *left, PyObject *right) {
  if (isNumpyArray(right)) return array_handover(op, left, right);
  int kl = operandKind(left), kr = operandKind(right);
  PyObject *result;
  if (higher_rule(op, left, right, kl, kr, KIND_LINTERM, &result)) return result;
  switch (op) {
    case BINOP_ADD:
      return lintermSum(left, right, kl, kr, 1.0);
    case BINOP_SUB:
      return lintermSum(left, right, kl, kr, -1.0);
    case BINOP_MUL:
      return lintermProduct(left, right, kl, kr);
    case BINOP_DIV:
      return lintermQuotient(left, right, kl, kr);
    case BINOP_POW:
      return lintermPower(left, right, kl, kr);
  }
  return modelError("Invalid object in operation");
}

static PyObject *lintermInplace(BinaryOp op, PyObject *left, PyObject *right) {
  PyObject *result;
  if (term_inplace_shortcut(op, left, right, KIND_LINTERM, &result)) return result;
  return lintermAlgebra(op, left, right);
}

PyObject *linterm_add(PyObject *l, PyObject *r) { return setQrvaErrIfNull(nullptr, lintermAlgebra(BINOP_ADD, l, r)); }
PyObject *linterm_sub(PyObject *l, PyObject *r) { return setQrvaErrIfNull(nullptr, lintermAlgebra(BINOP_SUB, l, r)); }
PyObject *linterm_mul(PyObject *l, PyObject *r) { return setQrvaErrIfNull(nullptr, lintermAlgebra(BINOP_MUL, l, r)); }
PyObject *linterm_div(PyObject *l, PyObject *r) { return setQrvaErrIfNull(nullptr, lintermAlgebra(BINOP_DIV, l, r)); }
PyObject *linterm_pow(PyObject *l, PyObject *r, PyObject *) {
  return setQrvaErrIfNull(nullptr, lintermAlgebra(BINOP_POW, l, r));
}
PyObject *linterm_iadd(PyObject *l, PyObject *r) { return setQrvaErrIfNull(nullptr, lintermInplace(BINOP_ADD, l, r)); }
PyObject *linterm_isub(PyObject *l, PyObject *r) { return setQrvaErrIfNull(nullptr, lintermInplace(BINOP_SUB, l, r)); }
PyObject *linterm_imul(PyObject *l, PyObject *r) { return setQrvaErrIfNull(nullptr, lintermInplace(BINOP_MUL, l, r)); }
PyObject *linterm_idiv(PyObject *l, PyObject *r) { return setQrvaErrIfNull(nullptr, lintermInplace(BINOP_DIV, l, r)); }
PyObject *linterm_ipow(PyObject *l, PyObject *r, PyObject *) {
  return setQrvaErrIfNull(nullptr, lintermInplace(BINOP_POW, l, r));
}

PyObject *linterm_neg(PyObject *self) {
  if (operandKind(self) != KIND_LINTERM) return setQrvaErrIfNull(nullptr, modelError("Invalid object in operation"));
  return setQrvaErrIfNull(nullptr, linterm_fill(-LINTERM(self)->coef, LINTERM(self)->var));
}

static PyObject *linterm_abs(PyObject *self) {
  return setQrvaErrIfNull(nullptr, nonlin_instantiate_unary(NONLIN_ABS, self));
}

/* ---- the class ---- */

static PyNumberMethods linterm_number;

PyTypeObject quorva_lintermType = {
    PyVarObject_HEAD_INIT(nullptr, 0) "quorva.linterm", /* tp_name */
    sizeof(linterm_s),                                  /* tp_basicsize */
};

void linterm_prepareType() {
  linterm_number.nb_add = QRVA_ENTRY(linterm_add);
  linterm_number.nb_subtract = QRVA_ENTRY(linterm_sub);
  linterm_number.nb_multiply = QRVA_ENTRY(linterm_mul);
  linterm_number.nb_true_divide = QRVA_ENTRY(linterm_div);
  linterm_number.nb_power = QRVA_ENTRY(linterm_pow);
  linterm_number.nb_negative = QRVA_ENTRY(linterm_neg);
  linterm_number.nb_absolute = QRVA_ENTRY(linterm_abs);
  linterm_number.nb_inplace_add = QRVA_ENTRY(linterm_iadd);
  linterm_number.nb_inplace_subtract = QRVA_ENTRY(linterm_isub);
  linterm_number.nb_inplace_multiply = QRVA_ENTRY(linterm_imul);
  linterm_number.nb_inplace_true_divide = QRVA_ENTRY(linterm_idiv);
  linterm_number.nb_inplace_power = QRVA_ENTRY(linterm_ipow);

  quorva_lintermType.tp_flags = Py_TPFLAGS_DEFAULT;
  quorva_lintermType.tp_doc = "A linear term: a coefficient times a variable, as 2*x.";
  quorva_lintermType.tp_dealloc = QRVA_DEALLOC(linterm_dealloc);
  quorva_lintermType.tp_init = QRVA_ENTRY(linterm_init);
  quorva_lintermType.tp_str = QRVA_ENTRY(linterm_str);
  quorva_lintermType.tp_repr = QRVA_ENTRY(reprOfStr);
  quorva_lintermType.tp_richcompare = QRVA_ENTRY(modeling_richcompare);
  quorva_lintermType.tp_as_number = &linterm_number;
}
