#include "slp/problem_formulas.h"

#include "core/text.h"
#include "slp/problem.h"
#include "slp/userfunc.h"

namespace qrva {

FormulaNameLookup formulaNameLookup(const qslp_problem_s &s) {
  FormulaNameLookup names;
  const ProblemStore &store = *s.qprob->store;
  names.column = [&store](const std::string &name) { return store.colNames.find(name); };
  const SlpStore &slp = *s.store;
  names.userFunction = [&slp](const std::string &name) {
    for (size_t k = 0; k < slp.functions.size(); ++k)
      if (slp.functions[k].name == name) return static_cast<int>(k) + 1;
    return -1;
  };
  return names;
}

std::vector<std::string> formulaColumnNames(const qslp_problem_s &s) {
  const ProblemStore &store = *s.qprob->store;
  std::vector<std::string> names;
  for (int j = 0; j < store.ncols(); ++j) names.push_back(store.colNames.get(j));
  return names;
}

std::vector<std::string> formulaFunctionNames(const qslp_problem_s &s) {
  std::vector<std::string> names;
  for (const auto &f : s.store->functions) names.push_back(f.name);
  return names;
}

std::string formulaText(const Check &chk, const qslp_problem_s &s, const Formula &f) {
  return formulaToText(chk, f, formulaColumnNames(s), formulaFunctionNames(s));
}

Formula readProblemFormula(const Check &chk, const qslp_problem_s &s, int parsed, const int *type,
                           const double *value, int64_t first, int64_t limit,
                           const std::string &what, int64_t *consumed) {
  int ncols = s.qprob->store->ncols(), nfunctions = static_cast<int>(s.store->functions.size());
  if (parsed == 1) {
    Formula f = readFormula(chk, type, value, first, limit, ncols, nfunctions, what);
    if (consumed) *consumed = static_cast<int64_t>(f.size()) + 1;
    return f;
  }
  if (parsed != 0)
    chk.fail(formatText("parsed is %d; it must be 1 (parsed form) or 0 (unparsed form)", parsed));
  std::vector<Token> infix;
  for (int64_t pos = first;; ++pos) {
    if (limit >= 0 && pos >= limit)
      chk.fail(formatText("%s (tokens from position %lld) has no end token (type 0) before "
                          "position %lld, where the next formula starts",
                          what.c_str(), (long long)first, (long long)limit));
    if (type[pos] == kTokEnd) break;
    infix.push_back(Token{type[pos], value[pos]});
    // Stop at the first token that does not belong: the caller's array may
    // have no end token at all, and formulaFromInfix names the bad one.
    if (!isUnparsedToken(infix.back())) break;
  }
  if (consumed) *consumed = static_cast<int64_t>(infix.size()) + 1;
  Formula f = formulaFromInfix(chk, infix, formatText("%s (unparsed, tokens from position %lld)",
                                                      what.c_str(), (long long)first));
  checkFormula(chk, f, ncols, nfunctions, what);
  return f;
}

bool evaluateAtCurrentPoint(qslp_problem_s &s, const Formula &f, double &value, EvalError &err) {
  std::vector<double> x = s.currentPoint();
  value = 0.0;
  return evaluateFormula(f, x.data(), userFunctionCaller(s), value, nullptr, err);
}

void writeTokens(const Check &chk, const std::vector<Token> &tokens, int maxtokens, int *ntokens,
                 int *type, double *value) {
  int needed = static_cast<int>(tokens.size()) + 1;
  if (ntokens) *ntokens = needed;
  if (type == nullptr && value == nullptr) return;
  if (maxtokens < needed)
    chk.fail(formatText("maxtokens is %d; the formula has %d tokens with its end token", maxtokens,
                        needed));
  for (int k = 0; k < needed; ++k) {
    Token t = k + 1 < needed ? tokens[static_cast<size_t>(k)] : Token{kTokEnd, 0.0};
    if (type) type[k] = t.type;
    if (value) value[k] = t.value;
  }
}

}  // namespace qrva
