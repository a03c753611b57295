// Validation: the violations of the last nonlinear solution or of a given
// point, and the KKT residual of the solution.
#include <cmath>

#include "slp/validation.h"

using qrva::Check;
using qrva::formatText;
using S = qslp_problem_s;

namespace {

// Records what a validation of the last solution found and tells the log.
int recordValidation(S &s, const qrva::PointCheck &c, const std::string &what) {
  s.state.validationAbs = c.worstAbs, s.state.validationRel = c.worstRel;
  std::string where = c.worstWhere.empty() ? std::string() : " (" + c.worstWhere + ")";
  s.qprob->message(QRVA_MSG_INFO,
                   formatText("SLP validation of %s: largest violation %g%s, relative %g",
                              what.c_str(), c.worstAbs, where.c_str(), c.worstRel));
  return QRVA_OK;
}

void checkFlag(const Check &chk, int value, const char *name) {
  if (value != 0 && value != 1) chk.fail(formatText("%s is %d; it must be 0 or 1", name, value));
}

}  // namespace

extern "C" {

int QSLPvalidate(QSLPprob slp) {
  return qrva::withSlp(slp, "QSLPvalidate", [&](S &s) {
    Check chk("QSLPvalidate");
    const qrva::SlpSolution &sol = s.lastSolution("QSLPvalidate");
    return recordValidation(s, qrva::checkPoint(s, sol.x, chk), "the solution");
  });
}

int QSLPvalidaterow(QSLPprob slp, int row) {
  return qrva::withSlp(slp, "QSLPvalidaterow", [&](S &s) {
    Check chk("QSLPvalidaterow");
    chk.row(row, s.qprob->store->nrows(), "row");
    const qrva::SlpSolution &sol = s.lastSolution("QSLPvalidaterow");
    std::string report;
    qrva::PointCheck c = qrva::checkPoint(s, sol.x, chk, row, &report);
    s.qprob->message(QRVA_MSG_INFO, "SLP validation: " + report);
    return recordValidation(s, c, formatText("row %d", row));
  });
}

int QSLPvalidatevector(QSLPprob slp, const double vector[], double *suminf, double *sumscaledinf,
                       double *objval) {
  return qrva::withSlp(slp, "QSLPvalidatevector", [&](S &s) {
    Check chk("QSLPvalidatevector");
    chk.array(vector, "vector");
    int n = s.qprob->store->ncols();
    std::vector<double> x(vector, vector + n);
    for (int j = 0; j < n; ++j)
      if (!std::isfinite(x[j]))
        chk.fail(formatText("vector value %g at position %d is not a finite number", x[j], j));
    qrva::PointCheck c = qrva::checkPoint(s, x, chk);
    if (suminf) *suminf = c.sumInf;
    if (sumscaledinf) *sumscaledinf = c.sumScaledInf;
    if (objval) *objval = c.objective;
    return QRVA_OK;
  });
}

int QSLPvalidatekkt(QSLPprob slp, int calculationmode, int respectbasisstatus,
                    int updatemultipliers, double kktviolationtarget) {
  return qrva::withSlp(slp, "QSLPvalidatekkt", [&](S &s) {
    Check chk("QSLPvalidatekkt");
    checkFlag(chk, calculationmode, "calculationmode");
    checkFlag(chk, respectbasisstatus, "respectbasisstatus");
    checkFlag(chk, updatemultipliers, "updatemultipliers");
    if (updatemultipliers && calculationmode == 0)
      chk.fail("updatemultipliers 1 needs calculationmode 1 (fresh multipliers)");
    if (!(kktviolationtarget >= 0 && std::isfinite(kktviolationtarget)))
      chk.fail(formatText("kktviolationtarget %g is not a finite number of 0 or more",
                          kktviolationtarget));
    s.lastSolution("QSLPvalidatekkt");
    qrva::KktCheck how;
    how.mode = calculationmode;
    how.atBoundWithinTolerance = respectbasisstatus == 1;
    how.updateMultipliers = updatemultipliers == 1;
    // Fresh multipliers go into a copy first, so that a failure leaves the
    // solution as it was.
    qrva::SlpSolution sol = s.store->solution;
    double residual = qrva::kktOfSolution(s, sol, how, chk);
    if (how.updateMultipliers) s.store->solution = std::move(sol);
    s.state.validationKkt = residual;
    s.state.kktValidated = residual <= kktviolationtarget ? 1 : 0;
    s.qprob->message(QRVA_MSG_INFO,
                     formatText("SLP KKT validation: residual %g, target %g %s", residual,
                                kktviolationtarget,
                                s.state.kktValidated ? "met" : "not met"));
    return QRVA_OK;
  });
}

}  // extern "C"
