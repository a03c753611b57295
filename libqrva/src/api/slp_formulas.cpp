// Formulas outside coefficients: text to tokens in either form, unparsed
// tokens to parsed ones, the check of a parsed formula, and token counts.
#include <cmath>
#include <cstring>
#include <limits>

#include "slp/problem.h"
#include "slp/problem_formulas.h"

using qrva::Check;
using qrva::Formula;
using qrva::formatText;
using S = qslp_problem_s;

namespace {

// Copies text with its terminating zero into out (skipped when out is null).
void writeText(const Check &chk, const std::string &text, char *out, int maxbytes,
               const char *name) {
  if (out == nullptr) return;
  if (maxbytes < static_cast<int64_t>(text.size()) + 1)
    chk.fail(formatText("maxbytes is %d; %s needs %zu bytes with its terminating zero", maxbytes,
                        name, text.size() + 1));
  std::memcpy(out, text.c_str(), text.size() + 1);
}

void checkOutputs(const Check &chk, int maxtokens, int *ntokens) {
  chk.array(ntokens, "ntokens");
  chk.count(maxtokens, "maxtokens");
}

}  // namespace

extern "C" {

int QSLPparsecformula(QSLPprob slp, const char *formula, int maxtokens, int *ntokens, int type[],
                      double value[]) {
  return qrva::withSlp(slp, "QSLPparsecformula", [&](S &s) {
    Check chk("QSLPparsecformula");
    chk.array(formula, "formula");
    checkOutputs(chk, maxtokens, ntokens);
    Formula f = qrva::checkedFormulaFromText(chk, formula, qrva::formulaNameLookup(s),
                                             s.qprob->store->ncols(),
                                             static_cast<int>(s.store->functions.size()),
                                             "the formula text");
    qrva::writeTokens(chk, f, maxtokens, ntokens, type, value);
    return QRVA_OK;
  });
}

int QSLPparseformula(QSLPprob slp, const int intype[], const double invalue[], int maxtokens,
                     int *ntokens, int type[], double value[]) {
  return qrva::withSlp(slp, "QSLPparseformula", [&](S &s) {
    Check chk("QSLPparseformula");
    chk.array(intype, "intype"), chk.array(invalue, "invalue");
    checkOutputs(chk, maxtokens, ntokens);
    Formula f = qrva::readProblemFormula(chk, s, 0, intype, invalue, 0, -1, "the formula");
    qrva::writeTokens(chk, f, maxtokens, ntokens, type, value);
    return QRVA_OK;
  });
}

int QSLPpreparseformula(QSLPprob slp, const char *formula, int maxtokens, int *ntokens, int type[],
                        double value[], char *text, int maxbytes) {
  return qrva::withSlp(slp, "QSLPpreparseformula", [&](S &s) {
    Check chk("QSLPpreparseformula");
    chk.array(formula, "formula");
    checkOutputs(chk, maxtokens, ntokens);
    qrva::FormulaNameLookup names = qrva::formulaNameLookup(s);
    std::vector<qrva::Token> tokens = qrva::formulaTextTokens(chk, formula, names, "the formula text");
    // The text as the engine reads it: the formula written back, which
    // reads into the same parsed tokens.
    Formula f = qrva::checkedFormulaFromText(chk, formula, names, s.qprob->store->ncols(),
                                             static_cast<int>(s.store->functions.size()),
                                             "the formula text");
    std::string written = qrva::formulaText(chk, s, f);
    if (text) writeText(chk, written, text, maxbytes, "the formula text");
    qrva::writeTokens(chk, tokens, maxtokens, ntokens, type, value);
    return QRVA_OK;
  });
}

int QSLPvalidformula(QSLPprob slp, const int type[], const double value[], double *result,
                     char *formula, char *message, int maxbytes) {
  return qrva::withSlp(slp, "QSLPvalidformula", [&](S &s) {
    Check chk("QSLPvalidformula");
    chk.array(type, "type"), chk.array(value, "value"), chk.array(result, "result");
    Formula f = qrva::readProblemFormula(chk, s, 1, type, value, 0, -1, "the formula");
    std::string text = qrva::formulaText(chk, s, f);
    double v = 0.0;
    qrva::EvalError err;
    std::string why = "the formula is valid";
    if (!qrva::evaluateAtCurrentPoint(s, f, v, err)) {
      v = std::numeric_limits<double>::quiet_NaN();
      why = formatText("the formula cannot be evaluated at the current point: %s (token %d)",
                       err.what.c_str(), err.position);
    }
    writeText(chk, text, formula, maxbytes, "the formula text");
    writeText(chk, why, message, maxbytes, "the message");
    *result = v;
    return QRVA_OK;
  });
}

int QSLPtokencount(const char *formula, int *ntokens) {
  return qrva::withEnvironment("QSLPtokencount", [&] {
    Check chk("QSLPtokencount");
    chk.array(formula, "formula"), chk.array(ntokens, "ntokens");
    *ntokens = qrva::formulaTextTokenCount(chk, formula, "the formula text") + 1;
    return QRVA_OK;
  });
}

}  // extern "C"
