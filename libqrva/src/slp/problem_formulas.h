// Formulas in the terms of one SLP problem: the names they use (columns of
// the optimizer problem below, user functions registered on the SLP
// problem) and reading them in either token form.
#pragma once

#include <string>
#include <vector>

#include "slp/formula_text.h"

struct qslp_problem_s;

namespace qrva {

// Lookups by name for formula text (valid while the problem is).
FormulaNameLookup formulaNameLookup(const qslp_problem_s &s);

// The names formula text is written with: columns, then user functions.
std::vector<std::string> formulaColumnNames(const qslp_problem_s &s);
std::vector<std::string> formulaFunctionNames(const qslp_problem_s &s);

// The formula as text, with the problem's names.
std::string formulaText(const Check &chk, const qslp_problem_s &s, const Formula &f);

// Reads the formula at position first of the token arrays, parsed (1:
// postfix) or unparsed (0: reading order), both ended by an end token, and
// checks it against the problem. *consumed (when given) gets the number of
// tokens read with the end token; limit as for readFormula.
Formula readProblemFormula(const Check &chk, const qslp_problem_s &s, int parsed, const int *type,
                           const double *value, int64_t first, int64_t limit,
                           const std::string &what, int64_t *consumed = nullptr);

// Value of f at the problem's current point; false with err filled when it
// cannot be evaluated there.
bool evaluateAtCurrentPoint(qslp_problem_s &s, const Formula &f, double &value, EvalError &err);

// Writes tokens and their end token into type/value (either may be null)
// when maxtokens holds them; *ntokens (when given) gets their count.
void writeTokens(const Check &chk, const std::vector<Token> &tokens, int maxtokens, int *ntokens,
                 int *type, double *value);

}  // namespace qrva
