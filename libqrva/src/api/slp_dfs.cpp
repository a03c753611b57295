// Derivative factors: per (column, row), the factor by which the solver's
// linearizations take the partial derivative of the row's nonlinear part
// with respect to the column.
#include <cmath>

#include "slp/problem.h"

using qrva::Check;
using qrva::formatText;
using S = qslp_problem_s;

namespace {

void checkFactor(const Check &chk, double value, int pos) {
  if (std::isfinite(value) && value > 0) return;
  if (pos >= 0)
    chk.fail(formatText("derivative factor %g at position %d is not a finite positive number", value, pos));
  chk.fail(formatText("derivative factor %g is not a finite positive number", value));
}

// Every pair is checked before the first is stored, so a refused call
// leaves the factors as they were.
int addOrLoad(QSLPprob slp, const char *function, bool load, int ndfs, const int colindex[],
              const int rowindex[], const double value[]) {
  return qrva::withSlp(slp, function, [&](S &s) {
    Check chk(function);
    chk.count(ndfs, "ndfs");
    if (ndfs > 0) chk.array(colindex, "colindex"), chk.array(rowindex, "rowindex"), chk.array(value, "value");
    int m = s.qprob->store->nrows(), n = s.qprob->store->ncols();
    for (int k = 0; k < ndfs; ++k) {
      chk.col(colindex[k], n, "colindex", k);
      chk.row(rowindex[k], m, "rowindex", k);
      checkFactor(chk, value[k], k);
    }
    if (load) s.store->derivativeFactors.clear();
    for (int k = 0; k < ndfs; ++k) s.store->derivativeFactors[{rowindex[k], colindex[k]}] = value[k];
    return QRVA_OK;
  });
}

}  // namespace

extern "C" {

int QSLPadddfs(QSLPprob slp, int ndfs, const int colindex[], const int rowindex[],
               const double value[]) {
  return addOrLoad(slp, "QSLPadddfs", false, ndfs, colindex, rowindex, value);
}

int QSLPloaddfs(QSLPprob slp, int ndfs, const int colindex[], const int rowindex[],
                const double value[]) {
  return addOrLoad(slp, "QSLPloaddfs", true, ndfs, colindex, rowindex, value);
}

int QSLPchgdf(QSLPprob slp, int col, int row, const double *value) {
  return qrva::withSlp(slp, "QSLPchgdf", [&](S &s) {
    Check chk("QSLPchgdf");
    chk.col(col, s.qprob->store->ncols(), "col");
    chk.row(row, s.qprob->store->nrows(), "row");
    if (value == nullptr) {
      s.store->derivativeFactors.erase({row, col});
      return QRVA_OK;
    }
    checkFactor(chk, *value, -1);
    s.store->derivativeFactors[{row, col}] = *value;
    return QRVA_OK;
  });
}

int QSLPgetdf(QSLPprob slp, int col, int row, double *value) {
  return qrva::withSlp(slp, "QSLPgetdf", [&](S &s) {
    Check chk("QSLPgetdf");
    chk.col(col, s.qprob->store->ncols(), "col");
    chk.row(row, s.qprob->store->nrows(), "row");
    chk.array(value, "value");
    auto f = s.store->derivativeFactors.find({row, col});
    *value = f == s.store->derivativeFactors.end() ? 1.0 : f->second;
    return QRVA_OK;
  });
}

}  // extern "C"
