/* quorva.expression: constant + linear part + quadratic part, with the
 * internal functions that amend it, its scaled copy, sums (new objects and
 * in place), products (including affine x affine), quotients, powers and
 * printing. The in-place operators change the expression object itself. */
#include "model/expression.h"

#include "model/constraint.h"
#include "model/linterm.h"
#include "model/operand.h"
#include "model/quadterm.h"
#include "model/var.h"
#include "module/boundary.h"
#include "module/helpers.h"
#include "nonlinear/nonlinear.h"

#include <cmath>

namespace {

PyObject *same(PyObject *o) {
  Py_INCREF(o);
  return o;
}

bool hasLinearTerms(const expression_s *e) { return e->linear && !e->linear->entries.empty(); }
bool hasQuadraticTerms(const expression_s *e) { return e->quadratic && !e->quadratic->entries.empty(); }

/* The linear map, created on first use. */
linmap *linearOf(expression_s *e) {
  if (!e->linear) e->linear = linmap_new();
  return e->linear;
}

/* The quadratic map and the serial set, created together on first use. */
bool ensureQuadratic(expression_s *e) {
  if (!e->quadratic) e->quadratic = quadmap_new();
  if (!e->serials) e->serials = indexset_new();
  return e->quadratic && e->serials;
}

/* Orders a pair so that the factor with the smaller serial comes first. */
void orderPair(PyObject **x, PyObject **y) {
  if (VAR_SERIAL(*y) < VAR_SERIAL(*x)) std::swap(*x, *y);
}

int recordSerials(expression_s *e, PyObject *x, PyObject *y) {
  return indexset_add(e->serials, VAR_SERIAL(x)) == 0 && indexset_add(e->serials, VAR_SERIAL(y)) == 0 ? 0 : -1;
}

/* The variable and coefficient of a variable (1) or a linear term. */
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

int fail(const char *message) {
  modelError(message);
  return -1;
}

/* Adds sign * (the whole of expression q) into e. q must not be e. */
int addExpression(expression_s *e, const expression_s *q, double sign) {
  e->constant += sign * q->constant;
  if (hasLinearTerms(q)) {
    linmap *target = linearOf(e);
    if (!target) return fail("Could not add linear part");
    for (const auto &entry : q->linear->entries)
      if (linmap_add(target, entry.first.var, sign * entry.second) != 0) return fail("Could not add linear part");
  }
  if (hasQuadraticTerms(q)) {
    if (!ensureQuadratic(e)) return fail("Could not add quadratic part");
    for (const auto &outer : q->quadratic->entries)
      for (const auto &inner : outer.second->entries)
        if (quadmap_add(e->quadratic, outer.first.var, inner.first.var, sign * inner.second) != 0 ||
            recordSerials(e, outer.first.var, inner.first.var) != 0)
          return fail("Could not add quadratic part");
  }
  return 0;
}

/* Adds sign * q into the expression e, for q a constant, variable, term or
 * expression (of kind kq). */
int addInto(PyObject *e, PyObject *q, int kq, double sign) {
  expression_s *target = EXPRESSION(e);
  switch (kq) {
    case KIND_CONSTANT: {
      double c;
      if (constantValue(q, &c) != 0) return -1;
      target->constant += sign * c;
      return 0;
    }
    case KIND_VARIABLE:
    case KIND_LINTERM: {
      PyObject *x;
      double a;
      linearParts(q, kq, &x, &a);
      return expression_addToLinTerm(e, x, sign * a);
    }
    case KIND_QUADTERM:
      return expression_addToQuadTerm(e, QUADTERM(q)->first, QUADTERM(q)->second, sign * QUADTERM(q)->coef);
    case KIND_EXPRESSION: {
      if (q != e) return addExpression(target, EXPRESSION(q), sign);
      /* e + s*e: merge a snapshot, since the merge changes the maps it reads. */
      PyRef snapshot(expression_copy(q, 1.0));
      return snapshot ? addExpression(target, EXPRESSION(snapshot.get()), sign) : -1;
    }
    default:
      return fail("Invalid object in operation");
  }
}

/* Multiplies an expression by k in place (exact zero products removed). */
void scaleInPlace(expression_s *e, double k) {
  e->constant *= k;
  if (e->linear) linmap_scale(e->linear, k);
  if (e->quadratic) quadmap_scale(e->quadratic, k);
}

}  // namespace

/* ---- construction, amendment, copy ---- */

PyObject *expression_base() {
  expression_s *e = PyObject_New(expression_s, &quorva_expressionType);
  if (!e) return nullptr;
  e->constant = 0.0;
  e->linear = nullptr;
  e->quadratic = nullptr;
  e->serials = nullptr;
  return reinterpret_cast<PyObject *>(e);
}

PyObject *expression_fromLinear(double constant, PyObject *x, double a, PyObject *y, double b, const char *failure) {
  PyRef e(expression_base());
  if (!e) return nullptr;
  expression_s *record = EXPRESSION(e.get());
  record->constant = constant;
  linmap *map = linearOf(record);
  if (!map || linmap_add(map, x, a) != 0 || (y && linmap_add(map, y, b) != 0)) return modelError(failure);
  return e.release();
}

static void expression_dealloc(PyObject *self) {
  expression_s *e = EXPRESSION(self);
  linmap_free(&e->linear);
  quadmap_free(&e->quadratic);
  indexset_free(&e->serials);
  Py_TYPE(self)->tp_free(self);
}

/* Python code builds expressions with operators only. */
static int expression_init(PyObject *, PyObject *, PyObject *) {
  modelError("Expressions are created by operators on variables and terms, not directly");
  return -1;
}

int expression_setLinTerm(PyObject *e, PyObject *variable, double coef) {
  expression_s *record = EXPRESSION(e);
  if (coef == 0.0) {
    if (record->linear) linmap_set(record->linear, variable, 0.0);
    return 0;
  }
  linmap *map = linearOf(record);
  if (!map || linmap_set(map, variable, coef) != 0) return fail("Error amending expression");
  return 0;
}

int expression_addToLinTerm(PyObject *e, PyObject *variable, double coef) {
  if (coef == 0.0) return 0;
  linmap *map = linearOf(EXPRESSION(e));
  if (!map || linmap_add(map, variable, coef) != 0) return fail("Error amending linear expression");
  return 0;
}

int expression_setQuadTerm(PyObject *e, PyObject *x, PyObject *y, double coef) {
  expression_s *record = EXPRESSION(e);
  orderPair(&x, &y);
  if (coef == 0.0) {
    if (record->quadratic) quadmap_del(record->quadratic, x, y);
    return 0;
  }
  if (!ensureQuadratic(record)) return fail("Error setting quadratic term");
  if (quadmap_setcoef(record->quadratic, x, y, coef) != 0 || recordSerials(record, x, y) != 0)
    return fail("Error setting quadratic expression");
  return 0;
}

int expression_addToQuadTerm(PyObject *e, PyObject *x, PyObject *y, double coef) {
  if (coef == 0.0) return 0;
  expression_s *record = EXPRESSION(e);
  orderPair(&x, &y);
  if (!ensureQuadratic(record) || quadmap_add(record->quadratic, x, y, coef) != 0 || recordSerials(record, x, y) != 0)
    return fail("Cannot amend quadratic expression");
  return 0;
}

/* A scaled duplicate of an expression's maps (unscaled when factor is 1 up
 * to 1e-15). */
static PyObject *copyExpression(const expression_s *source, double factor) {
  PyRef e(expression_base());
  if (!e) return nullptr;
  expression_s *copy = EXPRESSION(e.get());
  copy->constant = factor * source->constant;
  bool unscaled = std::fabs(factor - 1.0) <= 1e-15;
  if (source->linear &&
      (unscaled ? linmap_copy(&copy->linear, source->linear)
                : linmap_copy_scaled(&copy->linear, source->linear, factor)) != 0)
    return modelError("Cannot copy expression");
  if (source->quadratic &&
      (unscaled ? quadmap_copy(&copy->quadratic, source->quadratic)
                : quadmap_copy_scaled(&copy->quadratic, source->quadratic, factor)) != 0)
    return modelError("Cannot copy expression");
  if (source->serials && indexset_copy(&copy->serials, source->serials) != 0)
    return modelError("Cannot copy expression");
  if (copy->quadratic && !copy->serials && !(copy->serials = indexset_new())) return modelError("Cannot copy expression");
  return e.release();
}

PyObject *expression_copy(PyObject *obj, double factor) {
  int kind = getExprType(obj);
  if (kind < 0) return nullptr;
  if (kind == KIND_NONLINEAR) return nonlin_copy(obj, factor);
  if (factor == 0.0) return expression_base();
  if (kind == KIND_EXPRESSION) return copyExpression(EXPRESSION(obj), factor);
  PyRef e(expression_base());
  if (!e) return nullptr;
  switch (kind) {
    case KIND_CONSTANT: {
      double c;
      if (constantValue(obj, &c) != 0) return nullptr;
      EXPRESSION(e.get())->constant = factor * c;
      break;
    }
    case KIND_VARIABLE:
      if (expression_addToLinTerm(e.get(), obj, factor) != 0) return modelError("Cannot copy expression");
      break;
    case KIND_LINTERM:
      if (expression_addToLinTerm(e.get(), LINTERM(obj)->var, factor * LINTERM(obj)->coef) != 0)
        return modelError("Cannot copy linear term into expression");
      break;
    case KIND_QUADTERM: {
      quadterm_s *q = QUADTERM(obj);
      if (!ensureQuadratic(EXPRESSION(e.get())) || recordSerials(EXPRESSION(e.get()), q->first, q->second) != 0 ||
          expression_addToQuadTerm(e.get(), q->first, q->second, factor * q->coef) != 0)
        return modelError("Cannot copy quadratic term into expression");
      break;
    }
  }
  return e.release();
}

/* ---- sums ---- */

PyObject *expression_alg_sum(PyObject *p, PyObject *q, double sign) {
  int kp = operandKind(p), kq = operandKind(q);
  if (kp == KIND_NONLINEAR || kq == KIND_NONLINEAR) return nonlin_alg_sum(p, q, sign);
  if (kp == KIND_INVALID || kq == KIND_INVALID || (kp != KIND_EXPRESSION && kq != KIND_EXPRESSION))
    return modelError("Invalid object in operation");
  /* Copy the expression side (the right one scaled by the sign), then add
   * the other side into the copy. */
  if (kp == KIND_EXPRESSION) {
    PyRef result(copyExpression(EXPRESSION(p), 1.0));
    if (!result || addInto(result.get(), q, kq, sign) != 0) return nullptr;
    return result.release();
  }
  PyRef result(copyExpression(EXPRESSION(q), sign));
  if (!result || addInto(result.get(), p, kp, 1.0) != 0) return nullptr;
  return result.release();
}

PyObject *expression_incremental_alg_sum(PyObject *p, PyObject *q, double sign) {
  if (!p || p == Py_None) return expression_copy(q, sign);
  int kp = operandKind(p), kq = operandKind(q);
  if (kp == KIND_INVALID || kq == KIND_INVALID) return modelError("Invalid object in operation");
  if (kp == KIND_NONLINEAR || kq == KIND_NONLINEAR) return nonlin_alg_sum(p, q, sign);
  if (kp == KIND_EXPRESSION) {
    if (addInto(p, q, kq, sign) != 0) return nullptr;
    return same(p);
  }
  if (kp == KIND_CONSTANT && kq == KIND_CONSTANT) {
    double a, b;
    if (constantValue(p, &a) != 0 || constantValue(q, &b) != 0) return nullptr;
    return PyFloat_FromDouble(a + sign * b);
  }
  /* An accumulator that is no expression yet: a new expression sign*q
   * receives it. */
  PyRef result(expression_copy(q, sign));
  if (!result || addInto(result.get(), p, kp, 1.0) != 0) return nullptr;
  return result.release();
}

static PyObject *expressionSum(PyObject *l, PyObject *r, double sign) {
  if (isNumpyArray(r)) return array_handover(sign > 0 ? BINOP_ADD : BINOP_SUB, l, r);
  return expression_alg_sum(l, r, sign);
}

static PyObject *expressionInplaceSum(PyObject *l, PyObject *r, double sign) {
  if (isNumpyArray(r)) return array_handover(sign > 0 ? BINOP_ADD : BINOP_SUB, l, r);
  return expression_incremental_alg_sum(l, r, sign);
}

PyObject *expression_add(PyObject *l, PyObject *r) { return setQrvaErrIfNull(nullptr, expressionSum(l, r, 1.0)); }
PyObject *expression_sub(PyObject *l, PyObject *r) { return setQrvaErrIfNull(nullptr, expressionSum(l, r, -1.0)); }
PyObject *expression_iadd(PyObject *l, PyObject *r) {
  return setQrvaErrIfNull(nullptr, expressionInplaceSum(l, r, 1.0));
}
PyObject *expression_isub(PyObject *l, PyObject *r) {
  return setQrvaErrIfNull(nullptr, expressionInplaceSum(l, r, -1.0));
}

/* ---- products ---- */

static PyObject *nonlinearProduct(PyObject *p, PyObject *q) { return nonlin_instantiate_binary(NONLIN_PROD, p, q); }

/* d*x times an expression without quadratic terms. */
static PyObject *linearTimesAffine(PyObject *x, double d, const expression_s *affine) {
  PyRef e(expression_base());
  if (!e) return nullptr;
  if (expression_addToLinTerm(e.get(), x, d * affine->constant) != 0) return modelError("Error multiplying expressions");
  if (hasLinearTerms(affine))
    for (const auto &entry : affine->linear->entries)
      if (expression_addToQuadTerm(e.get(), x, entry.first.var, d * entry.second) != 0)
        return modelError("Error multiplying expressions");
  return e.release();
}

/* (c1 + sum a_i x_i) * (c2 + sum b_j y_j) */
static PyObject *affineTimesAffine(const expression_s *p, const expression_s *q) {
  PyRef e(expression_base());
  if (!e) return nullptr;
  expression_s *product = EXPRESSION(e.get());
  product->constant = p->constant * q->constant;
  /* Linear part: the side with more entries scaled first, the other added. */
  const expression_s *big = linmap_size(p->linear) >= linmap_size(q->linear) ? p : q;
  const expression_s *small = big == p ? q : p;
  if (hasLinearTerms(big) &&
      linmap_copy_scaled(&product->linear, big->linear, small->constant) != 0)
    return modelError("Cannot create linear term for expression");
  if (hasLinearTerms(small) && big->constant != 0.0) {
    linmap *map = linearOf(product);
    if (!map) return modelError("Cannot create linear term for expression");
    for (const auto &entry : small->linear->entries)
      if (linmap_add(map, entry.first.var, big->constant * entry.second) != 0)
        return modelError("Cannot create linear term in expression");
  }
  /* Quadratic part: every pair of linear entries. */
  if (hasLinearTerms(p) && hasLinearTerms(q))
    for (const auto &a : p->linear->entries)
      for (const auto &b : q->linear->entries)
        if (expression_addToQuadTerm(e.get(), a.first.var, b.first.var, a.second * b.second) != 0)
          return modelError("Cannot create quadratic term in expression");
  return e.release();
}

static PyObject *expressionProduct(PyObject *p, PyObject *q) {
  if (isNumpyArray(q)) return array_handover(BINOP_MUL, p, q);
  int kp = getExprType(p);
  if (kp < 0) return nullptr;
  int kq = getExprType(q);
  if (kq < 0) return nullptr;
  if (kp == KIND_NONLINEAR || kq == KIND_NONLINEAR) return nonlin_mul(p, q);
  if (kp == KIND_CONSTANT || kq == KIND_CONSTANT) {
    PyObject *constant = kp == KIND_CONSTANT ? p : q, *other = kp == KIND_CONSTANT ? q : p;
    double c;
    if (constantValue(constant, &c) != 0) return nullptr;
    return expression_copy(other, c);
  }
  if ((isLinear(kp) && kq == KIND_EXPRESSION) || (kp == KIND_EXPRESSION && isLinear(kq))) {
    PyObject *term = kp == KIND_EXPRESSION ? q : p, *e = kp == KIND_EXPRESSION ? p : q;
    if (hasQuadraticTerms(EXPRESSION(e))) return nonlinearProduct(p, q);
    PyObject *x;
    double d;
    linearParts(term, kp == KIND_EXPRESSION ? kq : kp, &x, &d);
    return linearTimesAffine(x, d, EXPRESSION(e));
  }
  if (kp == KIND_EXPRESSION && kq == KIND_EXPRESSION) {
    const expression_s *a = EXPRESSION(p), *b = EXPRESSION(q);
    if (!hasQuadraticTerms(a) && !hasQuadraticTerms(b)) return affineTimesAffine(a, b);
    if ((hasQuadraticTerms(a) && (hasLinearTerms(b) || hasQuadraticTerms(b))) ||
        (hasLinearTerms(a) && hasQuadraticTerms(b)))
      return nonlinearProduct(p, q);
    /* One side quadratic, the other a pure constant. */
    return hasQuadraticTerms(a) ? expression_copy(p, b->constant) : expression_copy(q, a->constant);
  }
  if ((kp == KIND_EXPRESSION && kq == KIND_QUADTERM) || (kp == KIND_QUADTERM && kq == KIND_EXPRESSION)) {
    /* A constant expression only scales the quadratic term. */
    const expression_s *e = EXPRESSION(kp == KIND_EXPRESSION ? p : q);
    if (!hasLinearTerms(e) && !hasQuadraticTerms(e)) return expression_copy(kp == KIND_EXPRESSION ? q : p, e->constant);
    return nonlinearProduct(p, q);
  }
  return modelError("Invalid object in operation");
}

static PyObject *expressionInplaceProduct(PyObject *l, PyObject *r) {
  if (isNumpyArray(r)) return array_handover(BINOP_MUL, l, r);
  if (operandKind(l) == KIND_EXPRESSION && operandKind(r) == KIND_CONSTANT) {
    double k;
    if (constantValue(r, &k) != 0) return nullptr;
    if (k == 1.0) return same(l);
    if (k == 0.0) return PyFloat_FromDouble(0.0);
    scaleInPlace(EXPRESSION(l), k);
    return same(l);
  }
  return expressionProduct(l, r);
}

PyObject *expression_mul(PyObject *l, PyObject *r) { return setQrvaErrIfNull(nullptr, expressionProduct(l, r)); }
PyObject *expression_imul(PyObject *l, PyObject *r) { return setQrvaErrIfNull(nullptr, expressionInplaceProduct(l, r)); }

/* ---- quotients and powers ---- */

static PyObject *expressionQuotient(PyObject *l, PyObject *r) {
  if (isNumpyArray(r)) return array_handover(BINOP_DIV, l, r);
  int kl = getExprType(l);
  if (kl < 0) return nullptr;
  int kr = getExprType(r);
  if (kr < 0) return nullptr;
  if (kl == KIND_EXPRESSION && kr == KIND_CONSTANT) {
    double k;
    if (constantValue(r, &k) != 0) return nullptr;
    if (k == 0.0) return modelError("Division by zero");
    return expression_copy(l, 1.0 / k);
  }
  return nonlin_div(l, r);
}

static PyObject *expressionInplaceQuotient(PyObject *l, PyObject *r) {
  if (!isNumpyArray(r) && operandKind(l) == KIND_EXPRESSION && operandKind(r) == KIND_CONSTANT) {
    double k;
    if (constantValue(r, &k) != 0) return nullptr;
    if (k == 0.0) return modelError("Division by zero");
    if (k != 1.0) scaleInPlace(EXPRESSION(l), 1.0 / k);
    return same(l);
  }
  return expressionQuotient(l, r);
}

static PyObject *expressionPower(PyObject *l, PyObject *r) {
  if (isNumpyArray(r)) return modelError("Cannot obtain a power with a vector as an exponent");
  int kl = getExprType(l);
  if (kl < 0) return nullptr;
  int kr = getExprType(r);
  if (kr < 0) return nullptr;
  if (kl == KIND_EXPRESSION && kr == KIND_CONSTANT) {
    double k;
    if (constantValue(r, &k) != 0) return nullptr;
    if (k == 0.0) return PyFloat_FromDouble(1.0);
    if (k == 1.0) return expression_copy(l, 1.0);
    if (k == 2.0) return expressionProduct(l, l);
  }
  return nonlin_pow(l, r, Py_None);
}

static PyObject *expressionInplacePower(PyObject *l, PyObject *r) {
  if (!isNumpyArray(r) && operandKind(l) == KIND_EXPRESSION && operandKind(r) == KIND_CONSTANT) {
    double k;
    if (constantValue(r, &k) != 0) return nullptr;
    if (k == 1.0) return same(l);
    if (k == 0.0) return PyFloat_FromDouble(1.0);
  }
  return expressionPower(l, r);
}

PyObject *expression_div(PyObject *l, PyObject *r) { return setQrvaErrIfNull(nullptr, expressionQuotient(l, r)); }
PyObject *expression_idiv(PyObject *l, PyObject *r) {
  return setQrvaErrIfNull(nullptr, expressionInplaceQuotient(l, r));
}
PyObject *expression_pow(PyObject *l, PyObject *r, PyObject *) {
  return setQrvaErrIfNull(nullptr, expressionPower(l, r));
}
PyObject *expression_ipow(PyObject *l, PyObject *r, PyObject *) {
  return setQrvaErrIfNull(nullptr, expressionInplacePower(l, r));
}

PyObject *expression_neg(PyObject *self) { return setQrvaErrIfNull(nullptr, expression_copy(self, -1.0)); }

static PyObject *expression_abs(PyObject *self) {
  return setQrvaErrIfNull(nullptr, nonlin_instantiate_unary(NONLIN_ABS, self));
}

/* ---- printing ---- */

/* Appends one term: coefficient 1 as " + name" (" name" first), -1 as
 * " - name", any other as " %+g name" (" %g name" first). */
static void appendTerm(std::string &out, bool preceded, double coef, const std::string &term) {
  if (coef == 1.0) {
    out += preceded ? " + " : "  ";
  } else if (coef == -1.0) {
    out += " - ";
  } else {
    out += formatNumber(preceded ? " %+g " : " %g ", coef);
  }
  out += term;
}

static int nameOf(PyObject *variable, std::string &out) {
  PyRef name(var_nameText(variable));
  return name ? appendText(out, name.get()) : -1;
}

static PyObject *expression_str(PyObject *self) {
  const expression_s *e = EXPRESSION(self);
  std::string out;
  bool preceded = false;
  if (e->constant != 0.0 || (!hasLinearTerms(e) && !hasQuadraticTerms(e))) {
    out = formatNumber("%g", e->constant);
    preceded = true;
  }
  if (e->linear)
    for (const auto &entry : e->linear->entries) {
      std::string term;
      if (nameOf(entry.first.var, term) != 0) return setQrvaErrIfNull(nullptr, nullptr);
      appendTerm(out, preceded, entry.second, term);
      preceded = true;
    }
  if (e->quadratic)
    for (const auto &outer : e->quadratic->entries)
      for (const auto &inner : outer.second->entries) {
        std::string term;
        if (nameOf(outer.first.var, term) != 0) return setQrvaErrIfNull(nullptr, nullptr);
        if (VAR_SERIAL(outer.first.var) == VAR_SERIAL(inner.first.var)) {
          term += "**2";
        } else {
          term += '*';
          if (nameOf(inner.first.var, term) != 0) return setQrvaErrIfNull(nullptr, nullptr);
        }
        appendTerm(out, preceded, inner.second, term);
        preceded = true;
      }
  return setQrvaErrIfNull(nullptr, PyUnicode_FromStringAndSize(out.data(), (Py_ssize_t)out.size()));
}

/* A number as Python writes it: the shortest text that reads back exactly. */
static std::string exactNumber(double v) {
  char *text = PyOS_double_to_string(v, 'r', 0, 0, nullptr);
  if (!text) return formatNumber("%.17g", v);
  std::string result(text);
  PyMem_Free(text);
  return result;
}

/* Appends one term of the formula form: " + a*t", " - a*t", first "a*t". */
static void appendFormulaTerm(std::string &out, bool preceded, double coef, const std::string &term) {
  if (preceded) out += coef < 0 ? " - " : " + ";
  else if (coef < 0) out += "-";
  double size = std::fabs(coef);
  if (size != 1.0) out += exactNumber(size) + "*";
  out += term;
}

int expression_appendFormula(std::string &out, PyObject *object, int *pieces) {
  PyRef copy(expression_copy(object, 1.0));
  if (!copy) return -1;
  const expression_s *e = EXPRESSION(copy.get());
  *pieces = 0;
  if (e->constant != 0.0 || (!hasLinearTerms(e) && !hasQuadraticTerms(e))) {
    out += exactNumber(e->constant);
    ++*pieces;
  }
  if (e->linear)
    for (const auto &entry : e->linear->entries) {
      std::string term;
      if (nameOf(entry.first.var, term) != 0) return -1;
      appendFormulaTerm(out, *pieces > 0, entry.second, term);
      ++*pieces;
    }
  if (e->quadratic)
    for (const auto &outer : e->quadratic->entries)
      for (const auto &inner : outer.second->entries) {
        std::string term;
        if (nameOf(outer.first.var, term) != 0) return -1;
        if (VAR_SERIAL(outer.first.var) == VAR_SERIAL(inner.first.var)) {
          term += "**2";
        } else {
          term += '*';
          if (nameOf(inner.first.var, term) != 0) return -1;
        }
        appendFormulaTerm(out, *pieces > 0, inner.second, term);
        ++*pieces;
      }
  return 0;
}

/* ---- the class ---- */

static PyNumberMethods expression_number;

PyTypeObject quorva_expressionType = {
    PyVarObject_HEAD_INIT(nullptr, 0) "quorva.expression", /* tp_name */
    sizeof(expression_s),                                  /* tp_basicsize */
};

void expression_prepareType() {
  expression_number.nb_add = QRVA_ENTRY(expression_add);
  expression_number.nb_subtract = QRVA_ENTRY(expression_sub);
  expression_number.nb_multiply = QRVA_ENTRY(expression_mul);
  expression_number.nb_true_divide = QRVA_ENTRY(expression_div);
  expression_number.nb_power = QRVA_ENTRY(expression_pow);
  expression_number.nb_negative = QRVA_ENTRY(expression_neg);
  expression_number.nb_absolute = QRVA_ENTRY(expression_abs);
  expression_number.nb_inplace_add = QRVA_ENTRY(expression_iadd);
  expression_number.nb_inplace_subtract = QRVA_ENTRY(expression_isub);
  expression_number.nb_inplace_multiply = QRVA_ENTRY(expression_imul);
  expression_number.nb_inplace_true_divide = QRVA_ENTRY(expression_idiv);
  expression_number.nb_inplace_power = QRVA_ENTRY(expression_ipow);

  quorva_expressionType.tp_flags = Py_TPFLAGS_DEFAULT;
  quorva_expressionType.tp_doc = "A linear or quadratic expression: a constant plus linear and quadratic terms.";
  quorva_expressionType.tp_dealloc = QRVA_DEALLOC(expression_dealloc);
  quorva_expressionType.tp_init = QRVA_ENTRY(expression_init);
  quorva_expressionType.tp_str = QRVA_ENTRY(expression_str);
  quorva_expressionType.tp_repr = QRVA_ENTRY(reprOfStr);
  quorva_expressionType.tp_richcompare = QRVA_ENTRY(modeling_richcompare);
  quorva_expressionType.tp_as_number = &expression_number;
}
