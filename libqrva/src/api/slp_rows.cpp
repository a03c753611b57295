// SLP settings of rows (statuses and weights), delta types of columns, and
// the per-column and per-row information of the last nonlinear solve.
#include <cmath>

#include "slp/problem.h"

using qrva::Check;
using qrva::formatText;
using S = qslp_problem_s;

namespace {

int nrows(const S &s) { return s.qprob->store->nrows(); }
int ncols(const S &s) { return s.qprob->store->ncols(); }

bool hasNonlinearPart(const S &s, int row) {
  const auto &coefs = s.store->coefficients;
  auto it = coefs.lower_bound({row, -1});
  if (it != coefs.end() && it->first.first == row) return true;
  return s.qprob->store->qrows.count(row) > 0;
}

const int kSettableRowStatus = QSLP_ROWSTATUS_ENFORCED | QSLP_ROWSTATUS_IGNORED;

// The detail of the last solve's linearizations, refused before one.
const qrva::SlpSolution &solvedDetail(const char *function, const S &s) {
  const qrva::SlpSolution &sol = s.lastSolution(function);
  if (sol.columns.empty())
    Check(function).fail("the last nonlinear solve ended before its first linearization",
                         QRVA_ERR_STATE);
  return sol;
}

// An information type must lie in first..last.
void checkInfotype(const Check &chk, int infotype, int first, int last, const char *what) {
  if (infotype < first || infotype > last)
    chk.fail(formatText("infotype %d is not a %s information type (%d to %d)", infotype, what,
                        first, last));
}

// Writes the int or the double of an information type into info.
int writeInfo(void *info, bool isInt, int i, double d) {
  if (isInt) *static_cast<int *>(info) = i;
  else *static_cast<double *>(info) = d;
  return QRVA_OK;
}

}  // namespace

extern "C" {

int QSLPchgrowstatus(QSLPprob slp, int row, const int *status) {
  return qrva::withSlp(slp, "QSLPchgrowstatus", [&](S &s) {
    Check chk("QSLPchgrowstatus");
    chk.row(row, nrows(s), "row");
    chk.array(status, "status");
    int bits = *status & ~QSLP_ROWSTATUS_NONLINEAR;
    if (bits & ~kSettableRowStatus)
      chk.fail(formatText("status 0x%x has bits other than 0x%x (enforced), 0x%x (ignored) and "
                          "0x%x (nonlinear, read only)",
                          *status, QSLP_ROWSTATUS_ENFORCED, QSLP_ROWSTATUS_IGNORED,
                          QSLP_ROWSTATUS_NONLINEAR));
    if (bits == kSettableRowStatus)
      chk.fail(formatText("status 0x%x asks for an enforced row that is also ignored", *status));
    qrva::SlpRow r = s.store->rowOf(row);
    if (r.status == bits) return QRVA_OK;
    r.status = bits;
    s.store->rows[row] = r;
    s.nonlinearChanged();  // an ignored row changes the problem the SLP solves
    return QRVA_OK;
  });
}

int QSLPgetrowstatus(QSLPprob slp, int row, int *status) {
  return qrva::withSlp(slp, "QSLPgetrowstatus", [&](S &s) {
    Check chk("QSLPgetrowstatus");
    chk.row(row, nrows(s), "row");
    chk.array(status, "status");
    *status = s.store->rowOf(row).status | (hasNonlinearPart(s, row) ? QSLP_ROWSTATUS_NONLINEAR : 0);
    return QRVA_OK;
  });
}

// A weight steers the solver's path, not the problem: the last solution
// stays.
int QSLPchgrowwt(QSLPprob slp, int row, const double *weight) {
  return qrva::withSlp(slp, "QSLPchgrowwt", [&](S &s) {
    Check chk("QSLPchgrowwt");
    chk.row(row, nrows(s), "row");
    chk.array(weight, "weight");
    if (!(std::isfinite(*weight) && *weight > 0))
      chk.fail(formatText("weight %g is not a finite positive number", *weight));
    qrva::SlpRow r = s.store->rowOf(row);
    r.weight = *weight;
    s.store->rows[row] = r;
    return QRVA_OK;
  });
}

int QSLPgetrowwt(QSLPprob slp, int row, double *weight) {
  return qrva::withSlp(slp, "QSLPgetrowwt", [&](S &s) {
    Check chk("QSLPgetrowwt");
    chk.row(row, nrows(s), "row");
    chk.array(weight, "weight");
    *weight = s.store->rowOf(row).weight;
    return QRVA_OK;
  });
}

// Every entry is checked before any column changes.
int QSLPchgdeltatype(QSLPprob slp, int nvars, const int colindex[], const int deltatypes[],
                     const double values[]) {
  return qrva::withSlp(slp, "QSLPchgdeltatype", [&](S &s) {
    Check chk("QSLPchgdeltatype");
    chk.count(nvars, "nvars");
    if (nvars == 0) return QRVA_OK;
    chk.array(colindex, "colindex"), chk.array(deltatypes, "deltatypes");
    for (int k = 0; k < nvars; ++k) {
      chk.col(colindex[k], ncols(s), "colindex", k);
      int type = deltatypes[k];
      if (type < QSLP_DELTA_AUTO || type > QSLP_DELTA_CAPPED)
        chk.fail(formatText("delta type %d at position %d is not one of 0 (auto), 1 (absolute), "
                            "2 (relative), 3 (capped)",
                            type, k));
      if (values && !std::isfinite(values[k]))
        chk.fail(formatText("value %g at position %d is not a finite number", values[k], k));
      if (type == QSLP_DELTA_AUTO) continue;
      if (values == nullptr)
        chk.fail(formatText("delta type %d at position %d needs a value; argument 'values' is "
                            "NULL",
                            type, k));
      if (!(std::isfinite(values[k]) && values[k] > 0))
        chk.fail(formatText("value %g at position %d is not a finite positive number", values[k],
                            k));
    }
    for (int k = 0; k < nvars; ++k) {
      qrva::SlpVariable &v = s.store->variables[colindex[k]];
      v.deltaType = deltatypes[k];
      v.deltaValue = deltatypes[k] == QSLP_DELTA_AUTO ? 0.0 : values[k];
    }
    return QRVA_OK;
  });
}

int QSLPgetcolinfo(QSLPprob slp, int infotype, int col, void *info) {
  return qrva::withSlp(slp, "QSLPgetcolinfo", [&](S &s) {
    const char *fn = "QSLPgetcolinfo";
    Check chk(fn);
    chk.col(col, ncols(s), "col");
    chk.array(info, "info");
    checkInfotype(chk, infotype, QSLP_COLINFO_VALUE, QSLP_COLINFO_SBDUAL, "column");
    if (infotype == QSLP_COLINFO_VALUE) return writeInfo(info, false, 0, s.currentPoint()[col]);
    const qrva::SlpSolution &sol = infotype == QSLP_COLINFO_RDJ ? s.lastSolution(fn)
                                                                : solvedDetail(fn, s);
    const qrva::SlpColumnDetail *c = sol.columns.empty() ? nullptr : &sol.columns[col];
    double d = 0.0;
    int i = 0;
    switch (infotype) {
      case QSLP_COLINFO_RDJ: d = sol.dj[col]; break;
      case QSLP_COLINFO_DELTAINDEX: i = c->deltaIndex; break;
      case QSLP_COLINFO_DELTA: d = c->step; break;
      case QSLP_COLINFO_DELTADJ: d = c->stepDj; break;
      case QSLP_COLINFO_UPDATEROW: i = c->updateRow; break;
      case QSLP_COLINFO_SB: d = c->stepBound; break;
      default: d = c->stepBoundDual; break;
    }
    return writeInfo(info, QSLP_COLINFO_IS_INT(infotype), i, d);
  });
}

int QSLPgetrowinfo(QSLPprob slp, int infotype, int row, void *info) {
  return qrva::withSlp(slp, "QSLPgetrowinfo", [&](S &s) {
    const char *fn = "QSLPgetrowinfo";
    Check chk(fn);
    chk.row(row, nrows(s), "row");
    chk.array(info, "info");
    checkInfotype(chk, infotype, QSLP_ROWINFO_SLACK, QSLP_ROWINFO_PENALTYCOLUMNMINUSDJ, "row");
    bool fromSolution = infotype == QSLP_ROWINFO_SLACK || infotype == QSLP_ROWINFO_DUAL;
    const qrva::SlpSolution &sol = fromSolution ? s.lastSolution(fn) : solvedDetail(fn, s);
    const qrva::SlpRowDetail *r = sol.rows.empty() ? nullptr : &sol.rows[row];
    double d = 0.0;
    int i = 0;
    switch (infotype) {
      case QSLP_ROWINFO_SLACK: d = sol.slack[row]; break;
      case QSLP_ROWINFO_DUAL: d = sol.dual[row]; break;
      case QSLP_ROWINFO_NUMPENALTYERRORS: i = r->errors; break;
      case QSLP_ROWINFO_MAXPENALTYERROR: d = r->maxError; break;
      case QSLP_ROWINFO_TOTALPENALTYERROR: d = r->totalError; break;
      case QSLP_ROWINFO_CURRENTPENALTYERROR: d = r->currentError; break;
      case QSLP_ROWINFO_CURRENTPENALTYFACTOR: d = r->penaltyFactor; break;
      case QSLP_ROWINFO_PENALTYCOLUMNPLUS: i = r->plusCol; break;
      case QSLP_ROWINFO_PENALTYCOLUMNPLUSVALUE: d = r->plusValue; break;
      case QSLP_ROWINFO_PENALTYCOLUMNPLUSDJ: d = r->plusDj; break;
      case QSLP_ROWINFO_PENALTYCOLUMNMINUS: i = r->minusCol; break;
      case QSLP_ROWINFO_PENALTYCOLUMNMINUSVALUE: d = r->minusValue; break;
      default: d = r->minusDj; break;
    }
    return writeInfo(info, QSLP_ROWINFO_IS_INT(infotype), i, d);
  });
}

}  // extern "C"
