#include "analysis/ranging.h"

#include <algorithm>
#include <cmath>

#include "analysis/relaxation.h"
#include "highs/scheduler.h"
#include "highs/solver.h"
#include "interfaces/highs_c_api.h"

namespace qrva {

namespace {

double ours(double v) { return std::isinf(v) || std::fabs(v) >= QRVA_INFINITY ? (v > 0 ? QRVA_INFINITY : -QRVA_INFINITY) : v; }

// An instance at p's optimal basis, re-solved there (no iterations) so that
// HiGHS holds the solution its ranging and re-solves start from.
HighsHandle optimalInstance(qrva_problem_s &p, const Check &chk) {
  const ProblemStore &s = *p.store;
  if (!s.sets.empty() || std::any_of(s.colType.begin(), s.colType.end(), [](char t) { return t != 'C'; }))
    chk.fail("the problem has discrete columns or sets; ranging is defined for LPs (fix the discrete columns "
             "with QRVAfixglobals first)",
             QRVA_ERR_STATE);
  if (!s.qobj.empty() || !s.qrows.empty())
    chk.fail("the problem has quadratic terms; ranging is defined for LPs", QRVA_ERR_STATE);
  if (p.solve.lpStatus != QRVA_LP_OPTIMAL || !p.basis.known)
    chk.fail("no optimal basis is available; solve the LP first", QRVA_ERR_STATE);
  HighsHandle h = relaxationInstance(p, chk);
  Highs_setStringOptionValue(h.get(), "solver", "simplex");
  Highs_run(h.get());
  if (Highs_getModelStatus(h.get()) != kHighsModelStatusOptimal)
    chk.fail("HiGHS did not confirm the basis as optimal", QRVA_ERR_SOLVER);
  return h;
}

void checkIndices(const Check &chk, int n, const int *index, int size, bool rows) {
  chk.count(n, rows ? "nrows" : "ncols");
  if (n == 0) return;
  chk.array(index, rows ? "rowind" : "colind");
  for (int k = 0; k < n; ++k) {
    if (rows) chk.row(index[k], size, "rowind", k);
    else chk.col(index[k], size, "colind", k);
  }
}

struct Ranges {
  std::vector<double> down, up;
};

Ranges ranging(void *h, const Check &chk, bool costs) {
  int n = static_cast<int>(Highs_getNumCol(h)), m = static_cast<int>(Highs_getNumRow(h));
  Ranges r;
  // HiGHS's own cost ranges cover the rows' slacks after the columns: room
  // for both, whatever the C interface copies.
  r.down.resize(static_cast<size_t>(costs ? n + m : m)), r.up.resize(r.down.size());
  HighsInt status = costs ? Highs_getRanging(h, r.up.data(), nullptr, nullptr, nullptr, r.down.data(), nullptr, nullptr,
                                             nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                             nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                             nullptr)
                          : Highs_getRanging(h, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                             nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                             r.up.data(), nullptr, nullptr, nullptr, r.down.data(), nullptr, nullptr,
                                             nullptr);
  if (status == kHighsStatusError) chk.fail("HiGHS could not range the basis", QRVA_ERR_SOLVER);
  return r;
}

void rangesOut(const Ranges &r, int n, const int *index, double *lower, double *upper) {
  for (int k = 0; k < n; ++k) {
    if (lower) lower[k] = ours(r.down[index[k]]);
    if (upper) upper[k] = ours(r.up[index[k]]);
  }
}

}  // namespace

void costRanges(qrva_problem_s &p, const Check &chk, int n, const int *colind, double *lower, double *upper) {
  checkIndices(chk, n, colind, p.store->ncols(), false);
  HighsHandle h = optimalInstance(p, chk);
  rangesOut(ranging(h.get(), chk, true), n, colind, lower, upper);
}

void rhsRanges(qrva_problem_s &p, const Check &chk, int n, const int *rowind, double *lower, double *upper) {
  checkIndices(chk, n, rowind, p.store->nrows(), true);
  HighsHandle h = optimalInstance(p, chk);
  rangesOut(ranging(h.get(), chk, false), n, rowind, lower, upper);
}

void rowDualRanges(qrva_problem_s &p, const Check &chk, int n, const int *rowind, int iterlimit, double *lower,
                   double *upper) {
  const ProblemStore &s = *p.store;
  checkIndices(chk, n, rowind, s.nrows(), true);
  if (iterlimit < 0) chk.fail(formatText("iterlimit is %d; it must not be negative", iterlimit));
  HighsHandle h = optimalInstance(p, chk);
  Ranges r = ranging(h.get(), chk, false);
  int m = s.nrows(), ncol = s.ncols();
  std::vector<double> rowDual(static_cast<size_t>(m)), base(static_cast<size_t>(m));
  Highs_getSolution(h.get(), nullptr, nullptr, nullptr, base.data());
  std::vector<HighsInt> colStatus(static_cast<size_t>(ncol)), rowStatus(static_cast<size_t>(m));
  Highs_getBasis(h.get(), colStatus.data(), rowStatus.data());
  Highs_setIntOptionValue(h.get(), "simplex_iteration_limit", iterlimit);
  for (int k = 0; k < n; ++k) {
    int i = rowind[k];
    double lo, up, low = base[i], high = base[i];
    rowBounds(s, i, lo, up);
    for (double end : {r.down[i], r.up[i]}) {
      if (std::isinf(end) || std::fabs(end) >= QRVA_INFINITY) continue;
      // Just beyond the end of the range, the active bound moved there.
      double active = std::fabs(up) < QRVA_INFINITY ? up : lo;
      double beyond = end + (end > active ? 1.0 : -1.0) * std::max(1e-6, 1e-6 * std::fabs(end));
      double shift = beyond - active;
      auto moved = [&](double b) { return std::fabs(b) < QRVA_INFINITY ? b + shift : (b > 0 ? HUGE_VAL : -HUGE_VAL); };
      Highs_changeRowBounds(h.get(), i, moved(lo), moved(up));
      Highs_run(h.get());
      int ms = static_cast<int>(Highs_getModelStatus(h.get()));
      if (ms == kHighsModelStatusInfeasible) {
        // No solution beyond: the value function ends there and its slope,
        // the dual, grows without bound (its sign turned by a maximisation).
        bool plus = (shift > 0) == (s.objSense == 1);
        (plus ? high : low) = plus ? QRVA_INFINITY : -QRVA_INFINITY;
      } else {
        Highs_getSolution(h.get(), nullptr, nullptr, nullptr, rowDual.data());
        low = std::min(low, rowDual[i]), high = std::max(high, rowDual[i]);
      }
      Highs_changeRowBounds(h.get(), i, moved(lo) - shift, moved(up) - shift);
      Highs_setBasis(h.get(), colStatus.data(), rowStatus.data());
    }
    if (lower) lower[k] = low;
    if (upper) upper[k] = high;
  }
}

}  // namespace qrva
