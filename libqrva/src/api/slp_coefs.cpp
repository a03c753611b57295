// Formula coefficients: adding, loading, reading, deleting, changing and
// evaluating them; SLP settings of columns; the nonlinear solution.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <tuple>

#include "slp/problem_formulas.h"
#include "slp/problem.h"
#include "slp/userfunc.h"

using qrva::Check;
using qrva::Formula;
using qrva::formatText;
using S = qslp_problem_s;

namespace {

// Every change of the nonlinear data: the last solutions no longer hold.
void changed(S &s) { s.nonlinearChanged(); }

int nrows(const S &s) { return s.qprob->store->nrows(); }
int ncols(const S &s) { return s.qprob->store->ncols(); }
int nfunctions(const S &s) { return static_cast<int>(s.store->functions.size()); }

// A column's tolerance set: 0 for none, else one of the sets 1..n defined.
void checkTolset(const Check &chk, const S &s, int tolset, const char *name, int64_t pos) {
  int n = s.counts().tolsets;
  if (tolset < 0 || tolset > n) {
    std::string at = pos >= 0 ? formatText(" at position %lld", (long long)pos) : std::string();
    chk.fail(n == 0 ? formatText("%s %d%s names a tolerance set, but the problem has none; "
                                 "give 0 (none)", name, tolset, at.c_str())
                    : formatText("%s %d%s is out of range (0 for none, or a tolerance set "
                                 "1 to %d)", name, tolset, at.c_str(), n));
  }
}

// Variable types are codes of 0 or more.
void checkVartype(const Check &chk, int vartype, int64_t pos) {
  if (vartype < 0)
    chk.fail(pos >= 0 ? formatText("vartype %d at position %lld is negative", vartype, (long long)pos)
                      : formatText("vartype %d is negative", vartype));
}

void checkPlace(const Check &chk, const S &s, int row, int col, int64_t pos) {
  chk.row(row, nrows(s), "rowindex", pos);
  if (col != -1) chk.col(col, ncols(s), "colindex", pos);
}

void checkFactor(const Check &chk, double f, int64_t pos) {
  if (!std::isfinite(f))
    chk.fail(pos >= 0 ? formatText("factor %g at position %lld is not a finite number", f, (long long)pos)
                      : formatText("factor %g is not a finite number", f));
}

int addOrLoad(QSLPprob slp, const char *function, bool replace, int ncoefs, const int rowindex[],
              const int colindex[], const double factor[], const int fstart[], int parsed,
              const int type[], const double value[]) {
  return qrva::withSlp(slp, function, [&](S &s) {
    Check chk(function);
    chk.count(ncoefs, "ncoefs");
    std::vector<std::tuple<int, int, double, Formula>> incoming;
    if (ncoefs > 0) {
      chk.array(rowindex, "rowindex"), chk.array(colindex, "colindex");
      chk.array(fstart, "fstart"), chk.array(type, "type"), chk.array(value, "value");
      // The token arrays are one block of formulas from position 0: a formula
      // starts at 0, at a start already used, or right after an end token
      // already read. Nothing else bounds the arrays, so a start anywhere
      // else would send the reader into memory that is not the caller's.
      int64_t blockEnd = 0;  // one past the furthest end token read so far
      for (int k = 0; k < ncoefs; ++k) {
        checkPlace(chk, s, rowindex[k], colindex[k], k);
        double f = factor ? factor[k] : 1.0;
        checkFactor(chk, f, k);
        if (fstart[k] < 0)
          chk.fail(formatText("fstart %d at position %d is negative", fstart[k], k));
        if (fstart[k] > blockEnd)
          chk.fail(formatText("fstart %d at position %d is beyond the formulas read so far "
                              "(they end at token %lld); formulas follow one another from "
                              "token 0",
                              fstart[k], k, (long long)blockEnd));
        // Formulas laid out one after another must each end before the next.
        int64_t limit = k + 1 < ncoefs && fstart[k + 1] > fstart[k] ? fstart[k + 1] : -1;
        int64_t read = 0;
        Formula formula = qrva::readProblemFormula(chk, s, parsed, type, value, fstart[k], limit,
                                                   formatText("formula %d", k), &read);
        blockEnd = std::max<int64_t>(blockEnd, fstart[k] + read);
        incoming.emplace_back(rowindex[k], colindex[k], f, std::move(formula));
      }
    }
    if (replace) s.store->coefficients.clear();
    for (auto &c : incoming)
      s.store->addCoefficient(std::get<0>(c), std::get<1>(c), std::get<2>(c),
                              std::move(std::get<3>(c)));
    changed(s);
    return QRVA_OK;
  });
}

const qrva::SlpCoefficient &existing(const Check &chk, const S &s, int row, int col) {
  checkPlace(chk, s, row, col, -1);
  auto it = s.store->coefficients.find({row, col});
  if (it == s.store->coefficients.end())
    chk.fail(formatText("there is no formula coefficient at row %d, column %d", row, col));
  return it->second;
}

// Value of factor * formula at the current point.
double evaluateAtCurrentPoint(const Check &chk, S &s, const Formula &f, double factor,
                              const std::string &what) {
  double v = 0.0;
  qrva::EvalError err;
  if (!qrva::evaluateAtCurrentPoint(s, f, v, err))
    chk.fail(formatText("%s cannot be evaluated at the current point: %s (token %d)",
                        what.c_str(), err.what.c_str(), err.position),
             QRVA_ERR_STATE);
  return factor * v;
}

// Sets the formula (when given) and the factor (when given) of the coefficient
// at (row, col), both already checked; a new coefficient needs its formula
// and starts with the factor 1.
int changeCoefficient(const Check &chk, S &s, int row, int col, const double *factor,
                      Formula *formula) {
  auto &coefs = s.store->coefficients;
  auto it = coefs.find({row, col});
  if (formula == nullptr) {
    if (it == coefs.end())
      chk.fail(formatText("there is no formula coefficient at row %d, column %d; give its "
                          "formula",
                          row, col));
    if (factor) it->second.factor = *factor;
  } else {
    double keep = it != coefs.end() ? it->second.factor : 1.0;
    coefs[{row, col}] = qrva::SlpCoefficient{factor ? *factor : keep, std::move(*formula)};
  }
  changed(s);
  return QRVA_OK;
}

}  // namespace

extern "C" {

int QSLPaddcoefs(QSLPprob slp, int ncoefs, const int rowindex[], const int colindex[],
                 const double factor[], const int fstart[], int parsed, const int type[],
                 const double value[]) {
  return addOrLoad(slp, "QSLPaddcoefs", false, ncoefs, rowindex, colindex, factor, fstart,
                   parsed, type, value);
}

int QSLPloadcoefs(QSLPprob slp, int ncoefs, const int rowindex[], const int colindex[],
                  const double factor[], const int fstart[], int parsed, const int type[],
                  const double value[]) {
  return addOrLoad(slp, "QSLPloadcoefs", true, ncoefs, rowindex, colindex, factor, fstart,
                   parsed, type, value);
}

int QSLPgetcoefs(QSLPprob slp, int *ncoefs, int rowindex[], int colindex[]) {
  return qrva::withSlp(slp, "QSLPgetcoefs", [&](S &s) {
    Check("QSLPgetcoefs").array(ncoefs, "ncoefs");
    int k = 0;
    for (const auto &c : s.store->coefficients) {
      if (rowindex) rowindex[k] = c.first.first;
      if (colindex) colindex[k] = c.first.second;
      ++k;
    }
    *ncoefs = k;
    return QRVA_OK;
  });
}

int QSLPdelcoefs(QSLPprob slp, int ncoefs, const int rowindex[], const int colindex[]) {
  return qrva::withSlp(slp, "QSLPdelcoefs", [&](S &s) {
    Check chk("QSLPdelcoefs");
    chk.count(ncoefs, "ncoefs");
    if (ncoefs == 0) return QRVA_OK;
    chk.array(rowindex, "rowindex"), chk.array(colindex, "colindex");
    for (int k = 0; k < ncoefs; ++k) {
      checkPlace(chk, s, rowindex[k], colindex[k], k);
      if (!s.store->coefficients.count({rowindex[k], colindex[k]}))
        chk.fail(formatText("there is no formula coefficient at row %d, column %d (position %d)",
                            rowindex[k], colindex[k], k));
    }
    for (int k = 0; k < ncoefs; ++k) s.store->coefficients.erase({rowindex[k], colindex[k]});
    changed(s);
    return QRVA_OK;
  });
}

int QSLPchgcoef(QSLPprob slp, int row, int col, const double *factor, int parsed,
                const int type[], const double value[]) {
  return qrva::withSlp(slp, "QSLPchgcoef", [&](S &s) {
    Check chk("QSLPchgcoef");
    checkPlace(chk, s, row, col, -1);
    if (factor) checkFactor(chk, *factor, -1);
    if (type == nullptr) return changeCoefficient(chk, s, row, col, factor, nullptr);
    chk.array(value, "value");
    Formula f = qrva::readProblemFormula(chk, s, parsed, type, value, 0, -1, "the formula");
    return changeCoefficient(chk, s, row, col, factor, &f);
  });
}

int QSLPchgccoef(QSLPprob slp, int row, int col, const double *factor, const char *formula) {
  return qrva::withSlp(slp, "QSLPchgccoef", [&](S &s) {
    Check chk("QSLPchgccoef");
    checkPlace(chk, s, row, col, -1);
    if (factor) checkFactor(chk, *factor, -1);
    if (formula == nullptr) return changeCoefficient(chk, s, row, col, factor, nullptr);
    Formula f = qrva::checkedFormulaFromText(chk, formula, qrva::formulaNameLookup(s), ncols(s),
                                             nfunctions(s),
                                             "the formula text");
    return changeCoefficient(chk, s, row, col, factor, &f);
  });
}

int QSLPgetccoef(QSLPprob slp, int row, int col, double *factor, char *formula, int maxbytes) {
  return qrva::withSlp(slp, "QSLPgetccoef", [&](S &s) {
    Check chk("QSLPgetccoef");
    const qrva::SlpCoefficient &c = existing(chk, s, row, col);
    if (formula != nullptr) {
      std::string text = qrva::formulaText(chk, s, c.formula);
      if (maxbytes < static_cast<int64_t>(text.size()) + 1)
        chk.fail(formatText("maxbytes is %d; the formula text needs %zu bytes with its "
                            "terminating zero",
                            maxbytes, text.size() + 1));
      std::memcpy(formula, text.c_str(), text.size() + 1);
    }
    if (factor) *factor = c.factor;
    return QRVA_OK;
  });
}

int QSLPgetcoefformula(QSLPprob slp, int row, int col, double *factor, int parsed, int maxtokens,
                       int *ntokens, int type[], double value[]) {
  return qrva::withSlp(slp, "QSLPgetcoefformula", [&](S &s) {
    Check chk("QSLPgetcoefformula");
    if (parsed != 0 && parsed != 1)
      chk.fail(formatText("parsed is %d; it must be 1 (parsed form) or 0 (unparsed form)", parsed));
    const qrva::SlpCoefficient &c = existing(chk, s, row, col);
    if (factor) *factor = c.factor;
    if (parsed == 1)
      qrva::writeTokens(chk, c.formula, maxtokens, ntokens, type, value);
    else
      qrva::writeTokens(chk,
                        qrva::formulaToInfix(chk, c.formula, qrva::formulaColumnNames(s),
                                             qrva::formulaFunctionNames(s)),
                        maxtokens, ntokens, type, value);
    return QRVA_OK;
  });
}

int QSLPevaluatecoef(QSLPprob slp, int row, int col, double *value) {
  return qrva::withSlp(slp, "QSLPevaluatecoef", [&](S &s) {
    Check chk("QSLPevaluatecoef");
    chk.array(value, "value");
    const qrva::SlpCoefficient &c = existing(chk, s, row, col);
    *value = evaluateAtCurrentPoint(chk, s, c.formula, c.factor,
                                    formatText("the formula of coefficient (row %d, column %d)",
                                               row, col));
    return QRVA_OK;
  });
}

int QSLPevaluateformula(QSLPprob slp, int parsed, const int type[], const double value[],
                        double *result) {
  return qrva::withSlp(slp, "QSLPevaluateformula", [&](S &s) {
    Check chk("QSLPevaluateformula");
    chk.array(type, "type"), chk.array(value, "value"), chk.array(result, "result");
    Formula f = qrva::readProblemFormula(chk, s, parsed, type, value, 0, -1, "the formula");
    *result = evaluateAtCurrentPoint(chk, s, f, 1.0, "the formula");
    return QRVA_OK;
  });
}

// --- SLP settings of columns -------------------------------------------------------

int QSLPchgvar(QSLPprob slp, int col, const int *detrow, const double *initstepbound,
               const double *stepbound, const double *penalty, const double *damp,
               const double *initvalue, const double *value, const int *tolset,
               const int *history, const int *converged, const int *vartype) {
  return qrva::withSlp(slp, "QSLPchgvar", [&](S &s) {
    Check chk("QSLPchgvar");
    chk.col(col, ncols(s), "col");
    if (detrow && *detrow != -1) chk.row(*detrow, nrows(s), "detrow");
    if (tolset) checkTolset(chk, s, *tolset, "tolset", -1);
    if (vartype) checkVartype(chk, *vartype, -1);
    const char *names[] = {"initstepbound", "stepbound", "penalty", "damp", "initvalue", "value"};
    const double *given[] = {initstepbound, stepbound, penalty, damp, initvalue, value};
    for (int k = 0; k < 6; ++k)
      if (given[k] && !std::isfinite(*given[k]))
        chk.fail(formatText("%s %g is not a finite number", names[k], *given[k]));
    if (initstepbound && *initstepbound < 0)
      chk.fail(formatText("initstepbound %g is negative", *initstepbound));
    qrva::SlpVariable &v = s.store->variables[col];
    if (detrow) v.detrow = *detrow;
    if (initstepbound) v.initStepBound = *initstepbound;
    if (stepbound) v.stepBound = *stepbound;
    if (penalty) v.penalty = *penalty;
    if (damp) v.damp = *damp;
    if (initvalue) v.initValue = *initvalue, v.hasInitValue = true;
    if (value) v.value = *value;
    if (tolset) v.tolset = *tolset;
    if (history) v.history = *history;
    if (converged) v.converged = *converged;
    if (vartype) v.vartype = *vartype;
    changed(s);
    return QRVA_OK;
  });
}

int QSLPgetvar(QSLPprob slp, int col, int *detrow, double *initstepbound, double *stepbound,
               double *penalty, double *damp, double *initvalue, double *value, int *tolset,
               int *history, int *converged, int *vartype, int *delta, int *penaltydelta,
               int *updaterow, double *oldvalue) {
  return qrva::withSlp(slp, "QSLPgetvar", [&](S &s) {
    Check("QSLPgetvar").col(col, ncols(s), "col");
    auto it = s.store->variables.find(col);
    qrva::SlpVariable v = it != s.store->variables.end() ? it->second : qrva::SlpVariable{};
    if (it == s.store->variables.end()) v.value = s.currentPoint()[col];
    if (detrow) *detrow = v.detrow;
    if (initstepbound) *initstepbound = v.initStepBound;
    if (stepbound) *stepbound = v.stepBound;
    if (penalty) *penalty = v.penalty;
    if (damp) *damp = v.damp;
    if (initvalue) *initvalue = v.initValue;
    if (value) *value = v.value;
    if (tolset) *tolset = v.tolset;
    if (history) *history = v.history;
    if (converged) *converged = v.converged;
    if (vartype) *vartype = v.vartype;
    if (delta) *delta = v.delta;
    if (penaltydelta) *penaltydelta = v.penaltydelta;
    if (updaterow) *updaterow = v.updaterow;
    if (oldvalue) *oldvalue = v.oldValue;
    return QRVA_OK;
  });
}

static int addOrLoadVars(QSLPprob slp, const char *function, bool replace, int nvars,
                         const int colindex[], const int vartype[], const int detrow[],
                         const int seqnum[], const int tolindex[], const double initvalue[],
                         const double stepbound[]) {
  return qrva::withSlp(slp, function, [&](S &s) {
    Check chk(function);
    chk.count(nvars, "nvars");
    if (nvars > 0) chk.array(colindex, "colindex");
    for (int k = 0; k < nvars; ++k) {
      chk.col(colindex[k], ncols(s), "colindex", k);
      if (detrow && detrow[k] != -1) chk.row(detrow[k], nrows(s), "detrow", k);
      if (tolindex) checkTolset(chk, s, tolindex[k], "tolindex", k);
      if (vartype) checkVartype(chk, vartype[k], k);
      if (initvalue && !std::isfinite(initvalue[k]))
        chk.fail(formatText("initvalue %g at position %d is not a finite number", initvalue[k], k));
      if (stepbound && !(stepbound[k] >= 0 && std::isfinite(stepbound[k])))
        chk.fail(formatText("stepbound %g at position %d is not a finite number of 0 or more",
                            stepbound[k], k));
    }
    if (replace) s.store->variables.clear();
    for (int k = 0; k < nvars; ++k) {
      qrva::SlpVariable &v = s.store->variables[colindex[k]];
      if (vartype) v.vartype = vartype[k];
      if (detrow) v.detrow = detrow[k];
      if (tolindex) v.tolset = tolindex[k];
      if (initvalue) v.initValue = initvalue[k], v.hasInitValue = true;
      if (stepbound) v.initStepBound = stepbound[k];
    }
    (void)seqnum;  // the cascade order follows the determining rows instead
    changed(s);
    return QRVA_OK;
  });
}

int QSLPaddvars(QSLPprob slp, int nvars, const int colindex[], const int vartype[],
                const int detrow[], const int seqnum[], const int tolindex[],
                const double initvalue[], const double stepbound[]) {
  return addOrLoadVars(slp, "QSLPaddvars", false, nvars, colindex, vartype, detrow, seqnum,
                       tolindex, initvalue, stepbound);
}

int QSLPloadvars(QSLPprob slp, int nvars, const int colindex[], const int vartype[],
                 const int detrow[], const int seqnum[], const int tolindex[],
                 const double initvalue[], const double stepbound[]) {
  return addOrLoadVars(slp, "QSLPloadvars", true, nvars, colindex, vartype, detrow, seqnum,
                       tolindex, initvalue, stepbound);
}

int QSLPdelvars(QSLPprob slp, int nvars, const int colindex[]) {
  return qrva::withSlp(slp, "QSLPdelvars", [&](S &s) {
    Check chk("QSLPdelvars");
    chk.count(nvars, "nvars");
    if (nvars == 0) return QRVA_OK;
    chk.array(colindex, "colindex");
    for (int k = 0; k < nvars; ++k) {
      chk.col(colindex[k], ncols(s), "colindex", k);
      if (!s.store->variables.count(colindex[k]))
        chk.fail(formatText("column %d at position %d has no SLP settings", colindex[k], k));
    }
    for (int k = 0; k < nvars; ++k) s.store->variables.erase(colindex[k]);
    changed(s);
    return QRVA_OK;
  });
}

int QSLPgetslpsol(QSLPprob slp, double x[], double slack[], double dual[], double dj[]) {
  return qrva::withSlp(slp, "QSLPgetslpsol", [&](S &s) {
    const qrva::SlpSolution &sol = s.lastSolution("QSLPgetslpsol");
    if (x) std::copy(sol.x.begin(), sol.x.end(), x);
    if (slack) std::copy(sol.slack.begin(), sol.slack.end(), slack);
    if (dual) std::copy(sol.dual.begin(), sol.dual.end(), dual);
    if (dj) std::copy(sol.dj.begin(), sol.dj.end(), dj);
    return QRVA_OK;
  });
}

}  // extern "C"
