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

namespace qrva {

// Token types of the parsed form.
enum TokenType {
  kTokEnd = 0,
  kTokConstant = 1,
  kTokVariable = 10,
  kTokUserFunction = 11,
  kTokFunction = 12,
  kTokArgMarker = 22,
  kTokOperator = 31,
};

// Operators (token type 31).
enum OperatorCode {
  kOpNegate = 1,
  kOpPower = 2,
  kOpMultiply = 3,
  kOpDivide = 4,
  kOpAdd = 5,
  kOpSubtract = 6,
};

// Built-in functions (token type 12); each takes its arguments down to the
// nearest argument-list marker.
enum FunctionCode {
  kFnLog10 = 14,
  kFnLog = 15,
  kFnExp = 16,
  kFnAbs = 17,
  kFnSqrt = 18,
  kFnSin = 27,
  kFnCos = 28,
  kFnTan = 29,
  kFnArcSin = 30,
  kFnArcCos = 31,
  kFnArcTan = 32,
  kFnMin = 33,
  kFnMax = 34,
  kFnSign = 46,
  kFnErf = 49,
  kFnErfc = 50,
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
