#include "slp/formula.h"

#include <algorithm>
#include <cmath>

#include "core/text.h"

namespace qrva {
namespace {

const double kPi = 3.14159265358979323846;

bool isUnaryFunction(int code) {
  return code != kFnMin && code != kFnMax && functionName(code) != nullptr;
}

const char *operatorName(int code) {
  switch (code) {
    case kOpNegate: return "unary minus";
    case kOpPower: return "power";
    case kOpMultiply: return "multiplication";
    case kOpDivide: return "division";
    case kOpAdd: return "addition";
    case kOpSubtract: return "subtraction";
    default: return nullptr;
  }
}

bool isIndex(double v, double limit) {
  return v >= 0 && v < limit && v == std::floor(v);
}

// The tape of one evaluation: every node's value, whether it depends on no
// variable, and its partial derivatives by the nodes it was made from.
struct Tape {
  std::vector<double> value;
  std::vector<char> constant;
  std::vector<int> argStart;  // node k's arguments: args[argStart[k] .. argStart[k+1])
  std::vector<int> args;
  std::vector<double> partial;
  std::vector<int> column;  // the column of a variable node, else -1

  int add(double v, bool isConstant, int col = -1) {
    value.push_back(v), constant.push_back(isConstant), column.push_back(col);
    argStart.push_back(static_cast<int>(args.size()));
    return static_cast<int>(value.size()) - 1;
  }
  void link(int arg, double d) { args.push_back(arg), partial.push_back(d); }
};

// Result of a node: its value and partials by its arguments (in order).
struct NodeResult {
  double value = 0.0;
  double partial[2] = {0.0, 0.0};
};

std::string num(double v) { return formatText("%.6g", v); }

bool applyOperator(int code, const double *a, const char *constant, NodeResult &r,
                   std::string &why) {
  switch (code) {
    case kOpNegate: r.value = -a[0], r.partial[0] = -1.0; return true;
    case kOpAdd: r.value = a[0] + a[1], r.partial[0] = r.partial[1] = 1.0; return true;
    case kOpSubtract: r.value = a[0] - a[1], r.partial[0] = 1.0, r.partial[1] = -1.0; return true;
    case kOpMultiply: r.value = a[0] * a[1], r.partial[0] = a[1], r.partial[1] = a[0]; return true;
    case kOpDivide:
      if (a[1] == 0.0) return why = "division by zero", false;
      r.value = a[0] / a[1], r.partial[0] = 1.0 / a[1], r.partial[1] = -r.value / a[1];
      return true;
    case kOpPower: {
      double x = a[0], y = a[1];
      bool integralExponent = y == std::floor(y);
      if (x == 0.0 && y < 0.0) return why = "division by zero (0 to the power " + num(y) + ")", false;
      if (x < 0.0 && !integralExponent)
        return why = "power of a negative number (" + num(x) + ") to a fractional exponent (" +
                     num(y) + ")",
               false;
      if (x < 0.0 && !constant[1])
        return why = "power of a negative number (" + num(x) + ") to a variable exponent", false;
      r.value = std::pow(x, y);
      r.partial[0] = y == 0.0 ? 0.0 : y * std::pow(x, y - 1.0);
      r.partial[1] = x > 0.0 ? r.value * std::log(x) : 0.0;
      if (constant[1]) r.partial[1] = 0.0;
      return true;
    }
    default: return why = "unknown operator", false;
  }
}

bool applyFunction(int code, const std::vector<double> &a, std::vector<double> &partial,
                   double &value, std::string &why) {
  double x = a.empty() ? 0.0 : a[0];
  double &d = partial[0];
  switch (code) {
    case kFnLog10:
      if (x <= 0.0) return why = "log10 of " + num(x), false;
      value = std::log10(x), d = 1.0 / (x * std::log(10.0));
      return true;
    case kFnLog:
      if (x <= 0.0) return why = "log of " + num(x), false;
      value = std::log(x), d = 1.0 / x;
      return true;
    case kFnExp: value = std::exp(x), d = value; return true;
    case kFnAbs: value = std::fabs(x), d = x > 0 ? 1.0 : (x < 0 ? -1.0 : 0.0); return true;
    case kFnSqrt:
      if (x < 0.0) return why = "sqrt of " + num(x), false;
      value = std::sqrt(x), d = x > 0.0 ? 0.5 / value : HUGE_VAL;
      return true;
    case kFnSin: value = std::sin(x), d = std::cos(x); return true;
    case kFnCos: value = std::cos(x), d = -std::sin(x); return true;
    case kFnTan: value = std::tan(x), d = 1.0 + value * value; return true;
    case kFnArcSin:
    case kFnArcCos:
      if (x < -1.0 || x > 1.0)
        return why = std::string(functionName(code)) + " of " + num(x) + " (outside -1..1)", false;
      value = code == kFnArcSin ? std::asin(x) : std::acos(x);
      d = (code == kFnArcSin ? 1.0 : -1.0) / std::sqrt(1.0 - x * x);
      return true;
    case kFnArcTan: value = std::atan(x), d = 1.0 / (1.0 + x * x); return true;
    case kFnSign: value = x > 0 ? 1.0 : (x < 0 ? -1.0 : 0.0), d = 0.0; return true;
    case kFnErf: value = std::erf(x), d = 2.0 / std::sqrt(kPi) * std::exp(-x * x); return true;
    case kFnErfc: value = std::erfc(x), d = -2.0 / std::sqrt(kPi) * std::exp(-x * x); return true;
    case kFnMin:
    case kFnMax: {
      size_t best = 0;
      for (size_t k = 1; k < a.size(); ++k)
        if (code == kFnMin ? a[k] < a[best] : a[k] > a[best]) best = k;
      value = a[best];
      std::fill(partial.begin(), partial.end(), 0.0);
      partial[best] = 1.0;
      return true;
    }
    default: return why = "unknown function", false;
  }
}

}  // namespace

const char *functionName(int code) {
  switch (code) {
    case kFnLog10: return "log10";
    case kFnLog: return "log";
    case kFnExp: return "exp";
    case kFnAbs: return "abs";
    case kFnSqrt: return "sqrt";
    case kFnSin: return "sin";
    case kFnCos: return "cos";
    case kFnTan: return "tan";
    case kFnArcSin: return "asin";
    case kFnArcCos: return "acos";
    case kFnArcTan: return "atan";
    case kFnMin: return "min";
    case kFnMax: return "max";
    case kFnSign: return "sign";
    case kFnErf: return "erf";
    case kFnErfc: return "erfc";
    default: return nullptr;
  }
}

Formula readFormula(const Check &chk, const int *type, const double *value, int64_t first,
                    int64_t limit, int ncols, int nfunctions, const std::string &what) {
  Formula f;
  // The stack as the check sees it: 1 a value, 0 an argument-list marker.
  std::vector<char> stack;
  auto bad = [&](int64_t pos, const std::string &text) {
    chk.fail(formatText("%s (tokens from position %lld): %s at position %lld", what.c_str(),
                        (long long)first, text.c_str(), (long long)pos));
  };
  // Values on top of the stack down to the nearest marker, which is popped.
  auto popArguments = [&](int64_t pos, const char *name) {
    int n = 0;
    while (!stack.empty() && stack.back() == 1) stack.pop_back(), ++n;
    if (stack.empty()) bad(pos, formatText("%s has no argument-list marker before its arguments", name));
    stack.pop_back();
    return n;
  };
  for (int64_t pos = first;; ++pos) {
    if (limit >= 0 && pos >= limit)
      chk.fail(formatText("%s (tokens from position %lld) has no end token (type 0) before "
                          "position %lld, where the next formula starts",
                          what.c_str(), (long long)first, (long long)limit));
    int t = type[pos];
    double v = value[pos];
    switch (t) {
      case kTokEnd:
        if (stack.size() != 1 || stack[0] != 1) {
          int values = static_cast<int>(std::count(stack.begin(), stack.end(), 1));
          if (stack.size() != static_cast<size_t>(values))
            bad(pos, "the end token leaves an argument-list marker that no function used");
          bad(pos, formatText("the end token finds %d values on the stack; a formula must leave "
                              "exactly one",
                              values));
        }
        return f;
      case kTokConstant:
        if (!std::isfinite(v)) bad(pos, "constant " + num(v) + " is not a finite number");
        stack.push_back(1);
        break;
      case kTokVariable:
        if (!isIndex(v, ncols))
          bad(pos, formatText("variable token %s is not a column index (the problem has %d "
                              "columns)",
                              num(v).c_str(), ncols));
        stack.push_back(1);
        break;
      case kTokArgMarker: stack.push_back(0); break;
      case kTokOperator: {
        const char *name = isIndex(v, 7) ? operatorName(static_cast<int>(v)) : nullptr;
        if (name == nullptr)
          bad(pos, "operator code " + num(v) + " is not one of 1 (unary minus), 2 (power), 3 (*), "
                   "4 (/), 5 (+), 6 (binary minus)");
        size_t need = v == kOpNegate ? 1 : 2;
        size_t have = 0;
        while (have < need && have < stack.size() && stack[stack.size() - 1 - have] == 1) ++have;
        if (have < need)
          bad(pos, formatText("%s needs %zu operand%s but finds %zu", name, need,
                              need == 1 ? "" : "s", have));
        stack.resize(stack.size() - need);
        stack.push_back(1);
        break;
      }
      case kTokFunction: {
        const char *name = isIndex(v, 100) ? functionName(static_cast<int>(v)) : nullptr;
        if (name == nullptr) bad(pos, "built-in function code " + num(v) + " is not known");
        int n = popArguments(pos, name);
        if (isUnaryFunction(static_cast<int>(v)) && n != 1)
          bad(pos, formatText("%s takes one argument but has %d", name, n));
        if (n == 0) bad(pos, formatText("%s has no arguments", name));
        stack.push_back(1);
        break;
      }
      case kTokUserFunction:
        if (!isIndex(v - 1, nfunctions))
          bad(pos, formatText("user function %s is not defined (%d user functions are)",
                              num(v).c_str(), nfunctions));
        popArguments(pos, "user function");
        stack.push_back(1);
        break;
      default:
        bad(pos, formatText("token type %d is not one of 0 (end), 1 (constant), 10 (variable), "
                            "11 (user function), 12 (function), 22 (argument-list marker), 31 "
                            "(operator)",
                            t));
    }
    f.push_back(Token{t, v});
  }
}

std::vector<int> formulaColumns(const Formula &f) {
  std::vector<int> cols;
  for (const Token &t : f)
    if (t.type == kTokVariable) cols.push_back(static_cast<int>(t.value));
  std::sort(cols.begin(), cols.end());
  cols.erase(std::unique(cols.begin(), cols.end()), cols.end());
  return cols;
}

bool evaluateFormula(const Formula &f, const double *x, const UserFunctionCall &call,
                     double &value, std::vector<std::pair<int, double>> *gradient,
                     EvalError &err) {
  Tape tape;
  std::vector<int> stack;  // node ids; -1 a marker
  const int kMarker = -1;
  auto fail = [&](size_t pos, const std::string &why) {
    err.position = static_cast<int>(pos);
    err.what = why;
    return false;
  };
  auto argumentsOf = [&](std::vector<int> &ids) {
    ids.clear();
    while (stack.back() != kMarker) ids.push_back(stack.back()), stack.pop_back();
    stack.pop_back();
  };
  std::vector<int> ids;
  std::vector<double> args, partial;
  for (size_t pos = 0; pos < f.size(); ++pos) {
    const Token &t = f[pos];
    switch (t.type) {
      case kTokConstant: stack.push_back(tape.add(t.value, true)); break;
      case kTokVariable: {
        int col = static_cast<int>(t.value);
        stack.push_back(tape.add(x[col], false, col));
        break;
      }
      case kTokArgMarker: stack.push_back(kMarker); break;
      case kTokOperator: {
        int code = static_cast<int>(t.value);
        int n = code == kOpNegate ? 1 : 2;
        int a[2] = {-1, -1};
        for (int k = n - 1; k >= 0; --k) a[k] = stack.back(), stack.pop_back();
        double v[2] = {tape.value[a[0]], n == 2 ? tape.value[a[1]] : 0.0};
        char c[2] = {tape.constant[a[0]], n == 2 ? tape.constant[a[1]] : char(1)};
        NodeResult r;
        std::string why;
        if (!applyOperator(code, v, c, r, why)) return fail(pos, why);
        int node = tape.add(r.value, c[0] && c[1]);
        for (int k = 0; k < n; ++k) tape.link(a[k], r.partial[k]);
        stack.push_back(node);
        break;
      }
      case kTokFunction: {
        // Arguments come off the stack last first; ids is put back in order.
        argumentsOf(ids);
        std::reverse(ids.begin(), ids.end());
        args.clear();
        bool allConstant = true;
        for (int id : ids) args.push_back(tape.value[id]), allConstant &= tape.constant[id] != 0;
        partial.assign(ids.size(), 0.0);
        double v = 0.0;
        std::string why;
        if (!applyFunction(static_cast<int>(t.value), args, partial, v, why)) return fail(pos, why);
        int node = tape.add(v, allConstant);
        for (size_t k = 0; k < ids.size(); ++k) tape.link(ids[k], partial[k]);
        stack.push_back(node);
        break;
      }
      case kTokUserFunction: {
        // The arguments were written last first, so the first argument is on
        // top of the stack: popping gives them in order.
        argumentsOf(ids);
        args.clear();
        std::vector<char> wanted;
        for (int id : ids) args.push_back(tape.value[id]), wanted.push_back(!tape.constant[id]);
        partial.assign(ids.size(), 0.0);
        double v = 0.0;
        bool anyWanted = std::find(wanted.begin(), wanted.end(), 1) != wanted.end();
        EvalError callErr;
        if (!call(static_cast<int>(t.value), args, gradient && anyWanted ? &wanted : nullptr, v,
                  gradient && anyWanted ? &partial : nullptr, callErr)) {
          err = callErr;
          err.position = static_cast<int>(pos);
          return false;
        }
        int node = tape.add(v, !anyWanted);
        for (size_t k = 0; k < ids.size(); ++k) tape.link(ids[k], partial[k]);
        stack.push_back(node);
        break;
      }
      default: return fail(pos, formatText("token type %d", t.type));
    }
    if (t.type != kTokArgMarker && !std::isfinite(tape.value.back()))
      return fail(pos, "a value that is not finite (" + num(tape.value.back()) + ")");
  }
  tape.argStart.push_back(static_cast<int>(tape.args.size()));
  value = tape.value[stack.back()];
  if (gradient == nullptr) return true;
  // Backward sweep: node ids grow in evaluation order, so every node's
  // adjoint is complete before it is passed on to its arguments.
  std::vector<double> adjoint(tape.value.size(), 0.0);
  adjoint[stack.back()] = 1.0;
  for (int k = static_cast<int>(tape.value.size()) - 1; k >= 0; --k) {
    double a = adjoint[k];
    if (a == 0.0 || tape.constant[k]) continue;
    if (tape.column[k] >= 0) {
      gradient->emplace_back(tape.column[k], a);
      continue;
    }
    for (int e = tape.argStart[k]; e < tape.argStart[k + 1]; ++e) {
      if (!std::isfinite(tape.partial[e]))
        return fail(f.size() - 1, "a derivative that is not finite (the formula is not "
                                  "differentiable at this point)");
      adjoint[tape.args[e]] += a * tape.partial[e];
    }
  }
  return true;
}

}  // namespace qrva
