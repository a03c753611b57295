// Formulas of the SLP engine: postfix token sequences as the parsed form
// gives them (types and values), checked when they arrive, and evaluated by a
// small stack machine that records a tape, so that one backward sweep gives
// the exact partial derivatives of every built-in operator and function.
// User functions are called through their registered addresses; those that
// give no derivatives are differentiated by central differences.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "core/validate.h"
#include "qslp.h"

namespace qrva {

// Token types of the parsed form.
enum TokenType {
  kTokEnd = QSLP_TOK_EOF,
  kTokConstant = QSLP_TOK_CON,
  kTokVariable = QSLP_TOK_VAR,
  kTokUserFunction = QSLP_TOK_UFUN,
  kTokFunction = QSLP_TOK_IFUN,
  kTokArgMarker = QSLP_TOK_ARGMARKER,
  kTokOperator = QSLP_TOK_OP,
  // unparsed form only
  kTokLeftBracket = QSLP_TOK_LB,
  kTokRightBracket = QSLP_TOK_RB,
  kTokDelimiter = QSLP_TOK_DEL,
};

// Operators (values of kTokOperator tokens).
enum OperatorCode {
  kOpNegate = QSLP_OP_NEGATE,
  kOpPower = QSLP_OP_POWER,
  kOpMultiply = QSLP_OP_MULTIPLY,
  kOpDivide = QSLP_OP_DIVIDE,
  kOpAdd = QSLP_OP_ADD,
  kOpSubtract = QSLP_OP_SUBTRACT,
};

// Built-in functions (values of kTokFunction tokens); each takes its
// arguments down to the nearest argument-list marker.
enum FunctionCode {
  kFnLog10 = QSLP_IFUN_LOG10,
  kFnLog = QSLP_IFUN_LOG,
  kFnExp = QSLP_IFUN_EXP,
  kFnAbs = QSLP_IFUN_ABS,
  kFnSqrt = QSLP_IFUN_SQRT,
  kFnSin = QSLP_IFUN_SIN,
  kFnCos = QSLP_IFUN_COS,
  kFnTan = QSLP_IFUN_TAN,
  kFnArcSin = QSLP_IFUN_ARCSIN,
  kFnArcCos = QSLP_IFUN_ARCCOS,
  kFnArcTan = QSLP_IFUN_ARCTAN,
  kFnMin = QSLP_IFUN_MIN,
  kFnMax = QSLP_IFUN_MAX,
  kFnSign = QSLP_IFUN_SIGN,
  kFnErf = QSLP_IFUN_ERF,
  kFnErfc = QSLP_IFUN_ERFC,
};

struct Token {
  int type;
  double value;
};

// A formula without its end token.
using Formula = std::vector<Token>;

// Name of a built-in function code, or null when the code is unknown.
const char *functionName(int code);

// Reads one formula of the parsed form starting at position first of the
// token arrays and checks it: known token types and codes, operands present
// for every operator and function, variables naming columns 0..ncols-1,
// user functions among 1..nfunctions, exactly one value at the end token.
// limit (when >= 0) is the position the formula must end before. what names
// the formula in error texts ("formula 2"). Throws Failure naming the
// position of the first bad token.
Formula readFormula(const Check &chk, const int *type, const double *value, int64_t first,
                    int64_t limit, int ncols, int nfunctions, const std::string &what);

// Columns referenced by variable tokens.
std::vector<int> formulaColumns(const Formula &f);

// Why an evaluation failed: the token and what went wrong there.
struct EvalError {
  int position = -1;  // token position in the formula
  std::string what;
  bool stop = false;  // a user function failed or the solve was interrupted
};

// Calls user function index with args; writes the value and, when partials
// is not null, the partial derivative for every argument whose wanted flag
// is set. Returns false with err filled when the function fails.
using UserFunctionCall =
    std::function<bool(int index, const std::vector<double> &args,
                       const std::vector<char> *wanted, double &value,
                       std::vector<double> *partials, EvalError &err)>;

// Value of f at x and, when gradient is not null, its partial derivatives
// as (column, value) pairs (a column may appear more than once). Returns
// false with err filled on a domain error (log of a non-positive number,
// division by zero, ...) or a failed user function.
bool evaluateFormula(const Formula &f, const double *x, const UserFunctionCall &call,
                     double &value, std::vector<std::pair<int, double>> *gradient,
                     EvalError &err);

}  // namespace qrva
