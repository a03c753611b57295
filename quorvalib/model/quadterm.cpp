/* quorva.quadterm: a coefficient times the product of two variables, with
 * its sums, products, quotients and powers. A term is never changed: every
 * operator returns a new object (or one of its operands). */
#include "model/quadterm.h"

#include "model/constraint.h"
#include "model/expression.h"
#include "model/linterm.h"
#include "model/operand.h"
#include "model/var.h"
#include "module/boundary.h"
#include "module/helpers.h"
#include "nonlinear/nonlinear.h"

namespace {

bool sameVariable(PyObject *x, PyObject *y) { return VAR_SERIAL(x) == VAR_SERIAL(y); }

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
bool isTerm(int kind) { return kind == KIND_VARIABLE || kind == KIND_LINTERM || kind == KIND_QUADTERM; }

PyObject *nonlinearQuotient(PyObject *numerator, PyObject *denominator) {
  return nonlin_instantiate_binary(NONLIN_DIV, numerator, denominator);
}

/* The nonlinear quotient (value / factor), value a float. */
PyObject *floatOver(double value, PyObject *factor) {
  PyRef number(PyFloat_FromDouble(value));
  return number ? nonlinearQuotient(number.get(), factor) : nullptr;
}

}  // namespace

PyObject *quadterm_fill(double coef, PyObject *u, PyObject *v) {
  quadterm_s *q = PyObject_New(quadterm_s, &quorva_quadtermType);
  if (!q) return nullptr;
  q->coef = coef;
  if (VAR_SERIAL(v) < VAR_SERIAL(u)) std::swap(u, v);
  Py_INCREF(u);
  Py_INCREF(v);
  q->first = u;
  q->second = v;
  return reinterpret_cast<PyObject *>(q);
}

PyObject *quadterm_copy(PyObject *term, double factor) {
  if (operandKind(term) != KIND_QUADTERM) return modelError("Invalid object being copied");
  quadterm_s *q = QUADTERM(term);
  return quadterm_fill(factor * q->coef, q->first, q->second);
}

static void quadterm_dealloc(PyObject *self) {
  Py_XDECREF(QUADTERM(self)->first);
  Py_XDECREF(QUADTERM(self)->second);
  Py_TYPE(self)->tp_free(self);
}

static int quadterm_init(PyObject *, PyObject *, PyObject *) {
  modelError("Quadratic terms are created by operators on variables, not directly");
  return -1;
}

static PyObject *quadterm_str(PyObject *self) {
  quadterm_s *q = QUADTERM(self);
  if (!q->first || !q->second) return PyUnicode_FromString("");
  std::string text = q->coef == 1.0 ? std::string() : formatNumber("%g*", q->coef);
  PyRef first(var_nameText(q->first));
  if (!first || appendText(text, first.get()) != 0) return setQrvaErrIfNull(nullptr, nullptr);
  if (sameVariable(q->first, q->second)) {
    text += "**2";
  } else {
    PyRef second(var_nameText(q->second));
    text += '*';
    if (!second || appendText(text, second.get()) != 0) return setQrvaErrIfNull(nullptr, nullptr);
  }
  return setQrvaErrIfNull(nullptr, PyUnicode_FromStringAndSize(text.data(), (Py_ssize_t)text.size()));
}

/* ---- sums: left + s * right ---- */

/* A new expression: constant + the linear entry (x, a) if x is given + the
 * quadratic entries (u1, v1): c1 and (u2, v2): c2 if given. */
static PyObject *quadraticExpression(double constant, PyObject *x, double a, quadterm_s *q1, double c1, quadterm_s *q2,
                                     double c2) {
  PyRef e(x ? expression_fromLinear(constant, x, a, nullptr, 0.0, "Error amending expression") : expression_base());
  if (!e) return nullptr;
  EXPRESSION(e.get())->constant = constant;
  if (expression_setQuadTerm(e.get(), q1->first, q1->second, c1) != 0) return nullptr;
  if (q2 && expression_setQuadTerm(e.get(), q2->first, q2->second, c2) != 0) return nullptr;
  return e.release();
}

static PyObject *quadtermSum(PyObject *l, PyObject *r, int kl, int kr, double s) {
  double c;
  if (kl == KIND_CONSTANT && kr == KIND_QUADTERM) {
    if (constantValue(l, &c) != 0) return nullptr;
    if (c == 0.0) return quadterm_copy(r, s);
    return quadraticExpression(c, nullptr, 0.0, QUADTERM(r), s * QUADTERM(r)->coef, nullptr, 0.0);
  }
  if (kl == KIND_QUADTERM && kr == KIND_CONSTANT) {
    if (constantValue(r, &c) != 0) return nullptr;
    if (s * c == 0.0) return quadterm_copy(l, 1.0);
    return quadraticExpression(s * c, nullptr, 0.0, QUADTERM(l), QUADTERM(l)->coef, nullptr, 0.0);
  }
  PyObject *x;
  double a;
  if (isLinear(kl) && kr == KIND_QUADTERM) { /* z + s q, t + s q */
    linearParts(l, kl, &x, &a);
    return quadraticExpression(0.0, x, a, QUADTERM(r), s * QUADTERM(r)->coef, nullptr, 0.0);
  }
  if (kl == KIND_QUADTERM && isLinear(kr)) { /* q + s z, q + s t */
    linearParts(r, kr, &x, &a);
    return quadraticExpression(0.0, x, s * a, QUADTERM(l), QUADTERM(l)->coef, nullptr, 0.0);
  }
  if (kl == KIND_QUADTERM && kr == KIND_QUADTERM) {
    quadterm_s *q = QUADTERM(l), *p = QUADTERM(r);
    if (sameVariable(q->first, p->first) && sameVariable(q->second, p->second))
      return quadterm_fill(q->coef + s * p->coef, q->first, q->second);
    return quadraticExpression(0.0, nullptr, 0.0, q, q->coef, p, s * p->coef);
  }
  return modelError("Invalid operands in sum with quadratic term");
}

/* ---- products ---- */

static PyObject *quadtermProduct(PyObject *l, PyObject *r, int kl, int kr) {
  double c;
  if (kl == KIND_CONSTANT && kr == KIND_QUADTERM) {
    if (constantValue(l, &c) != 0) return nullptr;
    return quadterm_copy(r, c);
  }
  if (kl == KIND_QUADTERM && kr == KIND_CONSTANT) {
    if (constantValue(r, &c) != 0) return nullptr;
    return quadterm_copy(l, c);
  }
  if (isTerm(kl) && isTerm(kr)) return nonlin_instantiate_binary(NONLIN_PROD, l, r);
  return modelError("Invalid object in operation");
}

/* ---- quotients ---- */

static const char kBilinearByZero[] = "Division by zero of a bilinear term";

/* q / r with at most one common factor: ((a/b) * rest of q) / rest of r. */
static PyObject *quadraticOverQuadratic(quadterm_s *q, quadterm_s *r) {
  if (r->coef == 0.0) return modelError(kBilinearByZero);
  double ratio = q->coef / r->coef;
  if (sameVariable(q->first, r->first) && sameVariable(q->second, r->second)) return PyFloat_FromDouble(ratio);
  /* The pairings in order second-second, first-first, first-second,
   * second-first; each gives the remaining factors of q and r. */
  struct Pairing {
    PyObject *common_q, *common_r, *rest_q, *rest_r;
  };
  const Pairing pairings[] = {
      {q->second, r->second, q->first, r->first},
      {q->first, r->first, q->second, r->second},
      {q->first, r->second, q->second, r->first},
      {q->second, r->first, q->first, r->second},
  };
  for (const Pairing &p : pairings) {
    if (!sameVariable(p.common_q, p.common_r)) continue;
    PyRef numerator(linterm_fill(ratio, p.rest_q));
    return numerator ? nonlinearQuotient(numerator.get(), p.rest_r) : nullptr;
  }
  return nonlinearQuotient(reinterpret_cast<PyObject *>(q), reinterpret_cast<PyObject *>(r));
}

static PyObject *quadtermQuotient(PyObject *l, PyObject *r, int kl, int kr) {
  double c;
  PyObject *y;
  double b;
  if (kl == KIND_QUADTERM && kr == KIND_CONSTANT) { /* q / c */
    if (constantValue(r, &c) != 0) return nullptr;
    if (c == 0.0) return modelError(kBilinearByZero);
    return quadterm_copy(l, 1.0 / c);
  }
  if (kl == KIND_QUADTERM && isLinear(kr)) { /* q / z, q / u */
    quadterm_s *q = QUADTERM(l);
    linearParts(r, kr, &y, &b);
    if (b == 0.0) return modelError(kBilinearByZero);
    if (sameVariable(y, q->first)) return linterm_fill(q->coef / b, q->second);
    if (sameVariable(y, q->second)) return linterm_fill(q->coef / b, q->first);
    return nonlinearQuotient(l, r);
  }
  if (isLinear(kl) && kr == KIND_QUADTERM) { /* u / q, z / q */
    quadterm_s *q = QUADTERM(r);
    linearParts(l, kl, &y, &b);
    if (q->coef == 0.0)
      return modelError(kl == KIND_LINTERM ? "Division by zero of a linear term" : "Division by zero of a variable");
    if (sameVariable(y, q->first)) return floatOver(b / q->coef, q->second);
    if (sameVariable(y, q->second)) return floatOver(b / q->coef, q->first);
    return nonlinearQuotient(l, r);
  }
  if (kl == KIND_QUADTERM && kr == KIND_QUADTERM) return quadraticOverQuadratic(QUADTERM(l), QUADTERM(r));
  if (kl == KIND_CONSTANT && kr == KIND_QUADTERM) return nonlinearQuotient(l, r);
  return modelError("Invalid object in operation");
}

/* ---- powers ---- */

static PyObject *quadtermPower(PyObject *l, PyObject *r, int kl, int kr) {
  double c;
  if (kl == KIND_CONSTANT && kr == KIND_QUADTERM) {
    if (constantValue(l, &c) != 0) return nullptr;
    if (c == 1.0) return PyFloat_FromDouble(1.0);
    return nonlin_instantiate_binary(NONLIN_POW, l, r);
  }
  if (kl == KIND_QUADTERM && kr == KIND_CONSTANT) {
    if (constantValue(r, &c) != 0) return nullptr;
    if (c == 0.0) return PyFloat_FromDouble(1.0);
    if (c == 1.0) return quadterm_copy(l, 1.0);
    return nonlin_instantiate_binary(NONLIN_POW, l, r);
  }
  if (isTerm(kl) && isTerm(kr)) return nonlin_instantiate_binary(NONLIN_POW, l, r);
  return modelError("Invalid object in operation");
}

static PyObject *quadtermAlgebra(BinaryOp op, PyObject *left, PyObject *right) {
  if (isNumpyArray(right)) return array_handover(op, left, right);
  int kl = operandKind(left), kr = operandKind(right);
  PyObject *result;
  if (higher_rule(op, left, right, kl, kr, KIND_QUADTERM, &result)) return result;
  switch (op) {
    case BINOP_ADD:
      return quadtermSum(left, right, kl, kr, 1.0);
    case BINOP_SUB:
      return quadtermSum(left, right, kl, kr, -1.0);
    case BINOP_MUL:
      return quadtermProduct(left, right, kl, kr);
    case BINOP_DIV:
      return quadtermQuotient(left, right, kl, kr);
    case BINOP_POW:
      return quadtermPower(left, right, kl, kr);
  }
  return modelError("Invalid object in operation");
}

static PyObject *quadtermInplace(BinaryOp op, PyObject *left, PyObject *right) {
  PyObject *result;
  if (term_inplace_shortcut(op, left, right, KIND_QUADTERM, &result)) return result;
  return quadtermAlgebra(op, left, right);
}

PyObject *quadterm_add(PyObject *l, PyObject *r) { return setQrvaErrIfNull(nullptr, quadtermAlgebra(BINOP_ADD, l, r)); }
PyObject *quadterm_sub(PyObject *l, PyObject *r) { return setQrvaErrIfNull(nullptr, quadtermAlgebra(BINOP_SUB, l, r)); }
PyObject *quadterm_mul(PyObject *l, PyObject *r) { return setQrvaErrIfNull(nullptr, quadtermAlgebra(BINOP_MUL, l, r)); }
PyObject *quadterm_div(PyObject *l, PyObject *r) { return setQrvaErrIfNull(nullptr, quadtermAlgebra(BINOP_DIV, l, r)); }
PyObject *quadterm_pow(PyObject *l, PyObject *r, PyObject *) {
  return setQrvaErrIfNull(nullptr, quadtermAlgebra(BINOP_POW, l, r));
}
PyObject *quadterm_iadd(PyObject *l, PyObject *r) { return setQrvaErrIfNull(nullptr, quadtermInplace(BINOP_ADD, l, r)); }
PyObject *quadterm_isub(PyObject *l, PyObject *r) { return setQrvaErrIfNull(nullptr, quadtermInplace(BINOP_SUB, l, r)); }
PyObject *quadterm_imul(PyObject *l, PyObject *r) { return setQrvaErrIfNull(nullptr, quadtermInplace(BINOP_MUL, l, r)); }
PyObject *quadterm_idiv(PyObject *l, PyObject *r) { return setQrvaErrIfNull(nullptr, quadtermInplace(BINOP_DIV, l, r)); }
PyObject *quadterm_ipow(PyObject *l, PyObject *r, PyObject *) {
  return setQrvaErrIfNull(nullptr, quadtermInplace(BINOP_POW, l, r));
}

PyObject *quadterm_neg(PyObject *self) { return setQrvaErrIfNull(nullptr, quadterm_copy(self, -1.0)); }

static PyObject *quadterm_abs(PyObject *self) {
  return setQrvaErrIfNull(nullptr, nonlin_instantiate_unary(NONLIN_ABS, self));
}

/* ---- the class ---- */

static PyNumberMethods quadterm_number;

PyTypeObject quorva_quadtermType = {
    PyVarObject_HEAD_INIT(nullptr, 0) "quorva.quadterm", /* tp_name */
    sizeof(quadterm_s),                                  /* tp_basicsize */
};

void quadterm_prepareType() {
  quadterm_number.nb_add = QRVA_ENTRY(quadterm_add);
  quadterm_number.nb_subtract = QRVA_ENTRY(quadterm_sub);
  quadterm_number.nb_multiply = QRVA_ENTRY(quadterm_mul);
  quadterm_number.nb_true_divide = QRVA_ENTRY(quadterm_div);
  quadterm_number.nb_power = QRVA_ENTRY(quadterm_pow);
  quadterm_number.nb_negative = QRVA_ENTRY(quadterm_neg);
  quadterm_number.nb_absolute = QRVA_ENTRY(quadterm_abs);
  quadterm_number.nb_inplace_add = QRVA_ENTRY(quadterm_iadd);
  quadterm_number.nb_inplace_subtract = QRVA_ENTRY(quadterm_isub);
  quadterm_number.nb_inplace_multiply = QRVA_ENTRY(quadterm_imul);
  quadterm_number.nb_inplace_true_divide = QRVA_ENTRY(quadterm_idiv);
  quadterm_number.nb_inplace_power = QRVA_ENTRY(quadterm_ipow);

  quorva_quadtermType.tp_flags = Py_TPFLAGS_DEFAULT;
  quorva_quadtermType.tp_doc = "A quadratic term: a coefficient times two variables, as 3*x*y.";
  quorva_quadtermType.tp_dealloc = QRVA_DEALLOC(quadterm_dealloc);
  quorva_quadtermType.tp_init = QRVA_ENTRY(quadterm_init);
  quorva_quadtermType.tp_str = QRVA_ENTRY(quadterm_str);
  quorva_quadtermType.tp_repr = QRVA_ENTRY(reprOfStr);
  quorva_quadtermType.tp_richcompare = QRVA_ENTRY(modeling_richcompare);
  quorva_quadtermType.tp_as_number = &quadterm_number;
}
