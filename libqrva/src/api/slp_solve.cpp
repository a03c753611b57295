// Nonlinear solving: QSLPnlpoptimize, interrupts, construction state; and
// the optimizer's own solves of problems with quadratic rows or formulas.
#include <chrono>

#include "highs/sigint.h"
#include "slp/solver.h"

using qrva::Check;
using S = qslp_problem_s;

extern "C" {

int QSLPnlpoptimize(QSLPprob slp, const char *flags) {
  return qrva::withSlp(slp, "QSLPnlpoptimize", [&](S &s) {
    (void)flags;  // one algorithm for now: no flag changes it
    qrva::SigintGuard guard(s.qprob);
    Check chk("QSLPnlpoptimize");
    auto started = std::chrono::steady_clock::now();
    s.state = qrva::SlpState{0, 0, 0, s.state.statusBits, 0.0, 0.0};
    s.store->solution = qrva::SlpSolution{};
    s.qprob->invalidate(qrva::kStaleSolution);
    qrva::NlpOutcome out = qrva::solveNonlinear(*s.qprob, &s, qrva::settingsOf(s), chk);
    qrva::recordNonlinearSolve(
        s, std::move(out),
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count());
    return QRVA_OK;
  });
}

// Called from another thread (or a user function) while a solve runs: only
// the optimizer problem's atomic flag is touched.
int QSLPinterrupt(QSLPprob slp, int reason) {
  return qrva::withEnvironment("QSLPinterrupt", [&]() -> int {
    if (int rc = qrva::checkHandle(slp, "QSLPinterrupt", "SLP problem")) return rc;
    if (slp->qprob == nullptr)
      return slp->fail(QRVA_ERR_STATE, "QSLPinterrupt: the optimizer problem under this SLP "
                                       "problem was destroyed");
    slp->qprob->interruptReason.store(reason == 0 ? QRVA_STOP_USER : reason);
    return QRVA_OK;
  });
}

// The engine builds its linearizations afresh in every iteration, so
// constructing is checking that the formulas fit the problem.
int QSLPconstruct(QSLPprob slp) {
  return qrva::withSlp(slp, "QSLPconstruct", [&](S &s) {
    const qrva::ProblemStore &ps = *s.qprob->store;
    Check chk("QSLPconstruct");
    for (const auto &c : s.store->coefficients) {
      int row = c.first.first, col = c.first.second;
      if (row >= ps.nrows() || col >= ps.ncols())
        chk.fail(qrva::formatText("formula coefficient (row %d, column %d) lies outside the "
                                  "problem",
                                  row, col),
                 QRVA_ERR_STATE);
    }
    s.state.statusBits |= QSLP_STATUS_CONSTRUCTED;
    return QRVA_OK;
  });
}

int QSLPunconstruct(QSLPprob slp) {
  return qrva::withSlp(slp, "QSLPunconstruct", [&](S &s) {
    s.state.statusBits &= ~QSLP_STATUS_CONSTRUCTED;
    return QRVA_OK;
  });
}

int QSLPpostsolve(QSLPprob slp) {
  return qrva::withSlp(slp, "QSLPpostsolve", [&](S &s) {
    s.state.statusBits &= ~QSLP_STATUS_PRESOLVED;
    return QRVA_OK;
  });
}

}  // extern "C"
