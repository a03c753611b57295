#include "analysis/row_presolve.h"

#include <cmath>
#include <map>

namespace qrva {
namespace {

bool finite(double v) { return std::fabs(v) < QRVA_INFINITY; }

}  // namespace

PresolvedRow presolveRow(const ProblemStore &s, const Check &chk, char rowtype, int n, const int *cols,
                         const double *coefs, double rhs, double matrixTol, double feasTol) {
  if (rowtype != 'L' && rowtype != 'G' && rowtype != 'E')
    chk.fail(formatText("rowtype is %s; it must be one of L G E", Check::charText(rowtype).c_str()));
  chk.count(n, "ncoefs");
  if (n > 0) chk.array(cols, "colind"), chk.array(coefs, "rowcoef");
  if (std::isnan(rhs) || !finite(rhs)) chk.fail(formatText("rhs is %g; it must be a finite number", rhs));
  std::map<int, double> merged;
  for (int k = 0; k < n; ++k) {
    chk.col(cols[k], s.ncols(), "colind", k);
    chk.coefficient(coefs[k], "rowcoef", k);
    merged[cols[k]] += coefs[k];
  }
  PresolvedRow row;
  row.rhs = rhs;
  // Bounds of the activity of what is left, for the redundancy test.
  double lo = 0.0, hi = 0.0;
  bool loFinite = true, hiFinite = true;
  for (const auto &e : merged) {
    int j = e.first;
    double a = e.second;
    if (std::fabs(a) <= matrixTol) continue;
    if (s.lb[j] == s.ub[j]) {
      row.rhs -= a * s.lb[j];
      continue;
    }
    row.cols.push_back(j), row.coefs.push_back(a);
    double least = a > 0 ? s.lb[j] : s.ub[j], most = a > 0 ? s.ub[j] : s.lb[j];
    if (finite(least)) lo += a * least;
    else loFinite = false;
    if (finite(most)) hi += a * most;
    else hiFinite = false;
  }
  double tol = feasTol * std::max(1.0, std::fabs(row.rhs));
  bool needUpper = rowtype != 'G', needLower = rowtype != 'L';
  bool upperHolds = !needUpper || (hiFinite && hi <= row.rhs + tol);
  bool lowerHolds = !needLower || (loFinite && lo >= row.rhs - tol);
  bool upperFails = needUpper && loFinite && lo > row.rhs + tol;
  bool lowerFails = needLower && hiFinite && hi < row.rhs - tol;
  if (upperFails || lowerFails) row.status = QRVA_PRESOLVEROW_INFEASIBLE;
  else if (upperHolds && lowerHolds) row.status = QRVA_PRESOLVEROW_REDUNDANT;
  else row.status = QRVA_PRESOLVEROW_OK;
  return row;
}

}  // namespace qrva
