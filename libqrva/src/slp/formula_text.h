// Formulas as readable infix text, for problem files and for the functions
// that take a formula as text. The text reads back into exactly the tokens
// it was written from:
//   - operators + - * / ^ with the usual precedence (^ binds tightest and
//     groups to the right, then unary minus, then * /, then + -); the writer
//     puts parentheses wherever the token order needs them;
//   - a minus directly before a number is a negative constant ("-3"), unless
//     the number is raised to a power ("-3 ^ 2" is minus 3 squared); the
//     negation of a constant is written "-(3)";
//   - built-in functions by name, case-insensitive: sin(x), min(x, y, 2);
//   - user functions by name with their arguments in order: f(x, y);
//   - columns by name; a name that is not letters, digits, '_' and '.'
//     starting with a letter or '_' is quoted: "x(1)" (a '"' inside doubled).
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "slp/formula.h"
#include "core/validate.h"

namespace qrva {

// Deepest nesting of a formula that the text reader accepts (and the writer
// writes): it bounds the reader's recursion.
const int kMaxFormulaTextDepth = 1000;

// True when a user function may be called name in formula text: a bare name
// that is no built-in function's.
bool userFunctionNameWritable(const std::string &name);

// The text of f. columnNames[j] is the name of column j, functionNames[k-1]
// the name of user function k. Throws Failure (through chk) for a formula
// nested deeper than kMaxFormulaTextDepth.
std::string formulaToText(const Check &chk, const Formula &f,
                          const std::vector<std::string> &columnNames,
                          const std::vector<std::string> &functionNames);

// Lookups by name: a column index or a user function index (1-based); -1
// when the name is unknown.
struct FormulaNameLookup {
  std::function<int(const std::string &)> column;
  std::function<int(const std::string &)> userFunction;
};

// The tokens of a formula text (without the end token). Throws Failure
// naming what (e.g. "line 12") and the character position of the fault.
Formula formulaFromText(const Check &chk, const std::string &text,
                        const FormulaNameLookup &names, const std::string &what);

// formulaFromText, then the checks of formulas given as tokens (columns
// among ncols, user functions among nfunctions, one value at the end), with
// "the formula of <what>" in their error texts.
Formula checkedFormulaFromText(const Check &chk, const std::string &text,
                               const FormulaNameLookup &names, int ncols, int nfunctions,
                               const std::string &what);

// The unparsed form: a formula's tokens in reading order (numbers, columns,
// operators, functions, brackets, delimiters), without the end token. A
// minus is an operator token of its own ("-3" is two tokens).
std::vector<Token> formulaTextTokens(const Check &chk, const std::string &text,
                                     const FormulaNameLookup &names, const std::string &what);

// How many unparsed tokens the text has (names are not looked up).
int formulaTextTokenCount(const Check &chk, const std::string &text, const std::string &what);

// Whether a token may appear in the unparsed (infix) form.
bool isUnparsedToken(const Token &t);

// The parsed form of unparsed tokens (without the end token); a subtract
// or negate operator where a value is expected is a unary minus. Throws
// Failure naming what and the token position of the fault.
Formula formulaFromInfix(const Check &chk, const std::vector<Token> &tokens,
                         const std::string &what);

// The unparsed form of a parsed formula (the tokens of its text).
std::vector<Token> formulaToInfix(const Check &chk, const Formula &f,
                                  const std::vector<std::string> &columnNames,
                                  const std::vector<std::string> &functionNames);

// The checks of formulas given as tokens (columns among ncols, user
// functions among nfunctions, one value at the end) for a formula built here.
void checkFormula(const Check &chk, const Formula &formula, int ncols, int nfunctions,
                  const std::string &what);

}  // namespace qrva
