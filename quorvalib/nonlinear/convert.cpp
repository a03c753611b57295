/* Formulas of nonlinear terms as the SLP library takes them: postfix tokens
 * (type, value). Operands of sums, products, max and min are joined
 * pairwise, so that the library's evaluation stack stays logarithmic in the
 * number of operands: operands o1 .. on are split into blocks of 2^k
 * operands by the binary digits of n (largest first), each block is a
 * balanced tree, and the blocks are joined from the right. Four operands
 * give o1 o2 op o3 o4 op op; three give o1 o2 op o3 op. */
#include "nonlinear/convert.h"

#include "model/expression.h"
#include "model/linterm.h"
#include "model/maps.h"
#include "model/operand.h"
#include "model/quadterm.h"
#include "model/var.h"
#include "module/boundary.h"
#include "nonlinear/nonlinear.h"
#include "nonlinear/userfunc.h"

#include <cmath>
#include <cstdio>
#include <functional>
#include <new>
#include <vector>

namespace {

/* Token types. */
const int kTokenEnd = QSLP_TOK_EOF;
const int kTokenConstant = QSLP_TOK_CON;
const int kTokenVariable = QSLP_TOK_VAR;
const int kTokenUserFunction = QSLP_TOK_UFUN;
const int kTokenFunction = QSLP_TOK_IFUN;
const int kTokenMarker = QSLP_TOK_ARGMARKER;
const int kTokenOperator = QSLP_TOK_OP;

/* Operator values of kTokenOperator tokens. */
const int kOpNegate = QSLP_OP_NEGATE;
const int kOpMultiply = QSLP_OP_MULTIPLY;
const int kOpAdd = QSLP_OP_ADD;

/* Token of each operator code (NONLIN_SUM .. NONLIN_USER_DERIV): type
 * (py_to_slp_op) and value (py_to_slp_fun); user functions take their index
 * at conversion. */
const int py_to_slp_op[] = {
    kTokenOperator, kTokenOperator, kTokenOperator, kTokenOperator, kTokenOperator, kTokenOperator,
    kTokenFunction, kTokenFunction, kTokenFunction, kTokenFunction, kTokenFunction, kTokenFunction,
    kTokenFunction, kTokenFunction, kTokenFunction, kTokenFunction, kTokenFunction, kTokenFunction,
    kTokenFunction, kTokenFunction, kTokenFunction, kTokenFunction, kTokenUserFunction, kTokenUserFunction};
const int py_to_slp_fun[] = {
    QSLP_OP_ADD,     QSLP_OP_SUBTRACT, QSLP_OP_NEGATE,    QSLP_OP_MULTIPLY, QSLP_OP_DIVIDE, QSLP_OP_POWER,
    QSLP_IFUN_EXP,   QSLP_IFUN_LOG,    QSLP_IFUN_LOG10,   QSLP_IFUN_SIN,    QSLP_IFUN_COS,  QSLP_IFUN_TAN,
    QSLP_IFUN_ARCSIN, QSLP_IFUN_ARCCOS, QSLP_IFUN_ARCTAN, QSLP_IFUN_MAX,    QSLP_IFUN_MIN,  QSLP_IFUN_ABS,
    QSLP_IFUN_SIGN,  QSLP_IFUN_ERF,    QSLP_IFUN_ERFC,    QSLP_IFUN_SQRT,   0,              0};
static_assert(sizeof py_to_slp_op == sizeof py_to_slp_fun &&
                  sizeof py_to_slp_op / sizeof py_to_slp_op[0] == NONLIN_USER_DERIV + 1,
              "one token per operator code");
const int kOperatorCodes = sizeof py_to_slp_op / sizeof py_to_slp_op[0];

const char *const kNodeVariableMissing = "Variable in nonlinear part of constraint has not been added to problem yet";
const char *const kTermVariableMissing = "Variable in nonlinear expression has not been added to problem yet";
const char *const kFactorVariableMissing = "Variable in nonlinear term not added to problem yet";
const char *const kTooFewArguments = "Insufficient number of arguments declared for operator";

int fail(const char *message) {
  PyErr_SetString(qpy_model_exc, message);
  return -3;
}

/* Guards the recursion over a tree against the C stack's limit. */
class RecursionGuard {
 public:
  RecursionGuard() : entered_(Py_EnterRecursiveCall(" while converting a nonlinear expression") == 0) {}
  ~RecursionGuard() {
    if (entered_) Py_LeaveRecursiveCall();
  }
  bool ok() const { return entered_; }

 private:
  bool entered_;
};

bool isBinaryCode(int op) { return op == NONLIN_MINUS || op == NONLIN_DIV || op == NONLIN_POW; }
bool isNaryCode(int op) {
  return op == NONLIN_SUM || op == NONLIN_PROD || op == NONLIN_MAX || op == NONLIN_MIN || op == NONLIN_USER ||
         op == NONLIN_USER_DERIV;
}

/* The arguments of a node as an array, or null when they are not a list or
 * tuple. */
PyObject **sequenceItems(PyObject *args, Py_ssize_t *n) {
  if (!args || (!PyList_Check(args) && !PyTuple_Check(args))) return nullptr;
  *n = PySequence_Fast_GET_SIZE(args);
  return PySequence_Fast_ITEMS(args);
}

/* One summand of an expression written into a formula. */
struct Summand {
  double coef;
  PyObject *x; /* null for the constant */
  PyObject *y; /* second variable of a quadratic entry, else null */
};

class FormulaWriter {
 public:
  FormulaWriter(problem_s *problem, FormulaEntries &out) : problem_(problem), out_(out) {}

  /* Tokens of any operand inside a formula. */
  int node(PyObject *o) {
    RecursionGuard guard;
    if (!guard.ok()) return -1;
    switch (operandKind(o)) {
      case KIND_CONSTANT: {
        double value;
        if (constantValue(o, &value) != 0) return -3;
        token(kTokenConstant, value);
        return 0;
      }
      case KIND_VARIABLE:
        return variable(o, kNodeVariableMissing);
      case KIND_LINTERM:
        return term(LINTERM(o)->coef, LINTERM(o)->var, nullptr);
      case KIND_QUADTERM:
        return term(QUADTERM(o)->coef, QUADTERM(o)->first, QUADTERM(o)->second);
      case KIND_EXPRESSION:
        return expression(EXPRESSION(o));
      case KIND_NONLINEAR:
        return nonlinear(NONLINEAR(o));
      default:
        return fail("Incorrect argument of nonlinear function");
    }
  }

  /* The product of items (possibly none: the formula 1). */
  int product(const std::vector<PyObject *> &items) {
    if (items.empty()) {
      token(kTokenConstant, 1.0);
      return 0;
    }
    return joined(items.size(), [&](size_t i) { return node(items[i]); }, kTokenOperator, kOpMultiply, false);
  }

  void token(int type, double value) {
    out_.type.push_back(type);
    out_.value.push_back(value);
  }

 private:
  problem_s *problem_;
  FormulaEntries &out_;

  int variable(PyObject *x, const char *missing) {
    int col;
    if (rowcolmap_get(problem_->varmap, VAR_SERIAL(x), &col) != 0) return fail(missing);
    token(kTokenVariable, col);
    return 0;
  }

  /* c*x or c*x*y: the factor only when it is not 1 or -1. */
  int term(double c, PyObject *x, PyObject *y) {
    bool plain = c == 1.0 || c == -1.0;
    if (!plain) token(kTokenConstant, c);
    if (int rc = variable(x, kTermVariableMissing)) return rc;
    if (y) {
      if (int rc = variable(y, kTermVariableMissing)) return rc;
      token(kTokenOperator, kOpMultiply);
    }
    if (c == -1.0)
      token(kTokenOperator, kOpNegate);
    else if (!plain)
      token(kTokenOperator, kOpMultiply);
    return 0;
  }

  int expression(expression_s *e) {
    std::vector<Summand> summands;
    if (e->constant != 0.0) summands.push_back({e->constant, nullptr, nullptr});
    if (e->linear)
      for (const auto &entry : e->linear->entries) summands.push_back({entry.second, entry.first.var, nullptr});
    if (e->quadratic)
      for (const auto &outer : e->quadratic->entries)
        for (const auto &inner : outer.second->entries)
          summands.push_back({inner.second, outer.first.var, inner.first.var});
    /* An empty expression is the number 0: a formula must leave a value. */
    if (summands.empty()) summands.push_back({0.0, nullptr, nullptr});
    return joined(
        summands.size(),
        [&](size_t i) {
          const Summand &s = summands[i];
          if (!s.x) {
            token(kTokenConstant, s.coef);
            return 0;
          }
          return term(s.coef, s.x, s.y);
        },
        kTokenOperator, kOpAdd, false);
  }

  int nonlinear(nonlinear_s *n) {
    int op = n->op;
    if (op < 0 || op >= kOperatorCodes || !n->args) return fail("Unrecognized member of a nonlinear expression");
    int type = py_to_slp_op[op];
    double value = py_to_slp_fun[op];
    if (op == NONLIN_USER || op == NONLIN_USER_DERIV) return userFunction(n);
    if (isNaryCode(op)) {
      Py_ssize_t count;
      PyObject **items = sequenceItems(n->args, &count);
      if (!items) return fail("N-ary operator should have list or tuple of arguments");
      if (count == 0) return fail(kTooFewArguments);
      bool application = op == NONLIN_MAX || op == NONLIN_MIN;
      return joined((size_t)count, [&](size_t i) { return node(items[i]); }, type, value, application);
    }
    if (isBinaryCode(op)) {
      if (!PyTuple_Check(n->args) || PyTuple_GET_SIZE(n->args) != 2)
        return fail("Binary operator should have tuple for arguments");
      if (int rc = node(PyTuple_GET_ITEM(n->args, 0))) return rc;
      if (int rc = node(PyTuple_GET_ITEM(n->args, 1))) return rc;
      token(type, value);
      return 0;
    }
    if (op == NONLIN_UMINUS) {
      if (int rc = node(n->args)) return rc;
      token(type, value);
      return 0;
    }
    token(kTokenMarker, 0.0);
    if (int rc = node(n->args)) return rc;
    token(type, value);
    return 0;
  }

  /* Marker, the arguments last first, the function's token. */
  int userFunction(nonlinear_s *n) {
    Py_ssize_t count;
    PyObject **items = sequenceItems(n->args, &count);
    if (!items || count == 0 || !PyCallable_Check(items[0]))
      return fail("First argument of a user() operator must be the function itself");
    int index = 0;
    if (int rc = createUserFunction(problem_, n->args, &index, n->op == NONLIN_USER_DERIV)) return rc;
    token(kTokenMarker, 0.0);
    for (Py_ssize_t i = count - 1; i >= 1; --i)
      if (int rc = node(items[i])) return rc;
    token(kTokenUserFunction, index);
    return 0;
  }

  /* Writes n operands joined pairwise by the token (type, value); as
   * applications (max, min) every join is preceded by a marker before its
   * left operand. */
  int joined(size_t n, const std::function<int(size_t)> &operand, int type, double value, bool application) {
    std::vector<std::pair<size_t, size_t>> blocks; /* first operand, size */
    size_t first = 0;
    for (size_t bit = highestBit(n); bit > 0; bit >>= 1)
      if (n & bit) {
        blocks.emplace_back(first, bit);
        first += bit;
      }
    for (size_t b = 0; b < blocks.size(); ++b) {
      if (application && b + 1 < blocks.size()) token(kTokenMarker, 0.0);
      if (int rc = block(blocks[b].first, blocks[b].second, operand, type, value, application)) return rc;
    }
    for (size_t b = 1; b < blocks.size(); ++b) token(type, value);
    return 0;
  }

  int block(size_t first, size_t size, const std::function<int(size_t)> &operand, int type, double value,
            bool application) {
    if (size == 1) return operand(first);
    if (application) token(kTokenMarker, 0.0);
    size_t half = size / 2;
    if (int rc = block(first, half, operand, type, value, application)) return rc;
    if (int rc = block(first + half, half, operand, type, value, application)) return rc;
    token(type, value);
    return 0;
  }

  static size_t highestBit(size_t n) {
    size_t bit = 1;
    while (bit <= n / 2) bit <<= 1;
    return n ? bit : 0;
  }
};

}  // namespace

int formula_addCoefficient(problem_s *problem, PyObject *node, double sign, FormulaEntries &out) {
  try {
    double factor = sign;
    int col = -1;
    bool has_col = false;
    std::vector<PyObject *> rest;
    nonlinear_s *n = NONLINEAR(node);
    Py_ssize_t count;
    PyObject **items = n->op == NONLIN_PROD ? sequenceItems(n->args, &count) : nullptr;
    if (items) {
      for (Py_ssize_t i = 0; i < count; ++i) {
        PyObject *item = items[i];
        int kind = operandKind(item);
        if (kind == KIND_CONSTANT) {
          double v;
          if (constantValue(item, &v) != 0) return -3;
          factor *= v;
        } else if ((kind == KIND_VARIABLE || kind == KIND_LINTERM) && !has_col) {
          /* c*x is the factor c and the column x. */
          PyObject *x = kind == KIND_VARIABLE ? item : LINTERM(item)->var;
          if (rowcolmap_get(problem->varmap, VAR_SERIAL(x), &col) != 0) return fail(kFactorVariableMissing);
          if (kind == KIND_LINTERM) factor *= LINTERM(item)->coef;
          has_col = true;
        } else {
          rest.push_back(item);
        }
      }
    }
    if (!has_col) {
      /* The SLP library's column for formulas standing alone, asked once. */
      if (problem->special_col < 0 &&
          QSLPgetintattrib(problem->slpprob, QSLP_SLPUNITCOL, &problem->special_col) != 0) {
        problem->special_col = -1;
        return -1;
      }
      col = problem->special_col;
    }
    int start = (int)out.type.size();
    FormulaWriter writer(problem, out);
    int rc = items ? writer.product(rest) : writer.node(node);
    if (rc != 0) return rc;
    writer.token(kTokenEnd, 0.0);
    /* The library refuses a formula holding a number that is not finite,
     * but only once an objective it replaces is gone: refuse it here. */
    for (size_t k = (size_t)start; k <= out.type.size(); ++k) {
      double v = k < out.type.size() ? out.value[k] : factor;
      if ((k == out.type.size() || out.type[k] == kTokenConstant) && !std::isfinite(v)) {
        char text[32];
        std::snprintf(text, sizeof text, "%g", v);
        PyErr_Format(qpy_model_exc, "Invalid number %s in a nonlinear formula: its numbers must be finite", text);
        return -3;
      }
    }
    out.col.push_back(col);
    out.factor.push_back(factor);
    out.start.push_back(start);
    return 0;
  } catch (const std::bad_alloc &) {
    PyErr_NoMemory();
    return -1;
  }
}

int formula_countTokens(PyObject *o, int64_t *tokens) {
  RecursionGuard guard;
  if (!guard.ok()) return -1;
  switch (operandKind(o)) {
    case KIND_CONSTANT:
    case KIND_VARIABLE:
      *tokens += 1;
      return 0;
    case KIND_LINTERM:
      *tokens += 3;
      return 0;
    case KIND_QUADTERM:
      *tokens += 5;
      return 0;
    case KIND_EXPRESSION: {
      expression_s *e = EXPRESSION(o);
      size_t linear = e->linear ? e->linear->entries.size() : 0, quadratic = 0;
      if (e->quadratic)
        for (const auto &outer : e->quadratic->entries) quadratic += outer.second->entries.size();
      *tokens += (e->constant != 0.0 || linear + quadratic == 0 ? 2 : 0) + 4 * (int64_t)linear + 6 * (int64_t)quadratic;
      return 0;
    }
    case KIND_NONLINEAR:
      break;
    default:
      if (PyCallable_Check(o)) return 0; /* a user function's callable */
      return fail("Unrecognized member of a nonlinear expression");
  }
  nonlinear_s *n = NONLINEAR(o);
  int op = n->op;
  if (op < 0 || op >= kOperatorCodes || !n->args) return fail("Unrecognized member of a nonlinear expression");
  if (isNaryCode(op)) {
    Py_ssize_t count;
    PyObject **items = sequenceItems(n->args, &count);
    if (!items) return fail("N-ary operator should have list or tuple of arguments");
    if (op == NONLIN_SUM || op == NONLIN_PROD)
      *tokens += count > 0 ? count : 1;
    else if (op == NONLIN_MAX || op == NONLIN_MIN)
      *tokens += 2 * count;
    else
      *tokens += 2;
    for (Py_ssize_t i = 0; i < count; ++i)
      if (int rc = formula_countTokens(items[i], tokens)) return rc;
    return 0;
  }
  if (isBinaryCode(op)) {
    if (!PyTuple_Check(n->args) || PyTuple_GET_SIZE(n->args) != 2)
      return fail("Binary operator should have tuple for arguments");
    *tokens += 1;
    if (int rc = formula_countTokens(PyTuple_GET_ITEM(n->args, 0), tokens)) return rc;
    return formula_countTokens(PyTuple_GET_ITEM(n->args, 1), tokens);
  }
  *tokens += op == NONLIN_UMINUS ? 1 : 2;
  return formula_countTokens(n->args, tokens);
}

/* ---- test hooks ---- */

/* _convert_expr(problem, expr, objective=False): what the conversion makes
 * of expr: (constant, [(col, coef)], [(col1, col2, coef)],
 * [(col, factor, [(type, value), ...])], counts) where counts is
 * (linear, quadratic, coefficients, tokens) of the counting mode. */
static PyObject *testhook_convert_expr(PyObject *, PyObject *args) {
  PyObject *problem, *expr;
  int objective = 0;
  if (!PyArg_ParseTuple(args, "O!O|p", &quorva_problemType, &problem, &expr, &objective)) return nullptr;
  try {
    ConvertCounts counts;
    if (countExpr(expr, counts) != 0) return setQrvaErrIfNull(problem, nullptr);
    double constant = 0.0;
    LinearEntries linear;
    QuadraticEntries quadratic;
    FormulaEntries formulas;
    if (convertExpr(PROBLEM(problem), expr, objective != 0, &constant, linear, quadratic, formulas) != 0)
      return setQrvaErrIfNull(problem, nullptr);
    PyRef linear_list(PyList_New(0)), quadratic_list(PyList_New(0)), coefficient_list(PyList_New(0));
    if (!linear_list || !quadratic_list || !coefficient_list) return nullptr;
    for (size_t k = 0; k < linear.size(); ++k) {
      PyRef item(Py_BuildValue("(id)", linear.col[k], linear.coef[k]));
      if (!item || PyList_Append(linear_list.get(), item.get()) != 0) return nullptr;
    }
    for (size_t k = 0; k < quadratic.size(); ++k) {
      PyRef item(Py_BuildValue("(iid)", quadratic.col1[k], quadratic.col2[k], quadratic.coef[k]));
      if (!item || PyList_Append(quadratic_list.get(), item.get()) != 0) return nullptr;
    }
    for (size_t k = 0; k < formulas.size(); ++k) {
      PyRef tokens(PyList_New(0));
      if (!tokens) return nullptr;
      for (size_t t = (size_t)formulas.start[k]; t < formulas.type.size(); ++t) {
        PyRef token(Py_BuildValue("(id)", formulas.type[t], formulas.value[t]));
        if (!token || PyList_Append(tokens.get(), token.get()) != 0) return nullptr;
        if (formulas.type[t] == kTokenEnd) break;
      }
      PyRef item(Py_BuildValue("(idO)", formulas.col[k], formulas.factor[k], tokens.get()));
      if (!item || PyList_Append(coefficient_list.get(), item.get()) != 0) return nullptr;
    }
    return Py_BuildValue("(dOOO(LLLL))", constant, linear_list.get(), quadratic_list.get(), coefficient_list.get(),
                         (long long)counts.linear, (long long)counts.quadratic, (long long)counts.coefficients,
                         (long long)counts.tokens);
  } catch (const std::bad_alloc &) {
    return PyErr_NoMemory();
  }
}

PyMethodDef quorvamod_formulaTestMethods[] = {
    {"_convert_expr", QRVA_METHOD(testhook_convert_expr), METH_VARARGS,
     "Internal: the constant, linear, quadratic and formula parts of an expression."},
    {nullptr, nullptr, 0, nullptr},
};
