// Nonlinear solving: QSLPnlpoptimize (a multistart when jobs are loaded), interrupts, construction state, the
// solver state between solves and the clock; and the optimizer's own solves
// of problems with quadratic rows or formulas.
#include <chrono>

#include "highs/sigint.h"
#include "multistart/runner.h"
#include "slp/solver.h"
#include "tree/minlp_search.h"

using qrva::Check;
using S = qslp_problem_s;

namespace {

// A solve of the SLP problem: by the tree search when the problem has
// discrete parts; else a multistart when jobs are loaded; else by the tree
// search (one node) when tree is set, or one SLP solve.
int runSolve(QSLPprob slp, const char *function, bool tree) {
  return qrva::withSlp(slp, function, [&](S &s) {
    qrva::SigintGuard guard(s.qprob);
    Check chk(function);
    auto started = std::chrono::steady_clock::now();
    s.state = qrva::SlpState{0, 0, 0, s.state.statusBits, 0.0, 0.0};
    s.store->solution = qrva::SlpSolution{};
    s.qprob->invalidate(qrva::kStaleSolution);
    if (qrva::hasDiscreteParts(*s.qprob->store)) {
      tree = true;
    } else if (!s.msJobs.empty()) {
      qrva::ms::runMultistart(s, chk, qrva::ms::SolveMode{},
                              [&](qrva::NlpOutcome out, double seconds) {
                                qrva::recordNonlinearSolve(s, std::move(out), seconds);
                              });
      return QRVA_OK;
    }
    qrva::NlpOutcome out =
        tree ? qrva::solveMixedInteger(*s.qprob, &s, qrva::settingsOf(s), chk, function)
             : qrva::solveNonlinear(*s.qprob, &s, qrva::settingsOf(s), chk);
    qrva::recordNonlinearSolve(
        s, std::move(out),
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count());
    return QRVA_OK;
  });
}

}  // namespace

extern "C" {

int QSLPnlpoptimize(QSLPprob slp, const char *flags) {
  (void)flags;  // one algorithm for now: no flag changes it
  return runSolve(slp, "QSLPnlpoptimize", false);
}

// The tree search over SLP solves of the nodes, also for a problem without
// discrete parts (one node).
int QSLPglobal(QSLPprob slp) { return runSolve(slp, "QSLPglobal", true); }

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

int QSLPsetcurrentiv(QSLPprob slp) {
  return qrva::withSlp(slp, "QSLPsetcurrentiv", [&](S &s) {
    const qrva::SlpSolution &sol = s.lastSolution("QSLPsetcurrentiv");
    for (size_t j = 0; j < sol.x.size(); ++j) {
      qrva::SlpVariable &v = s.store->variables[static_cast<int>(j)];
      v.initValue = sol.x[j], v.hasInitValue = true;
    }
    return QRVA_OK;
  });
}

int QSLPreinitialize(QSLPprob slp) {
  return qrva::withSlp(slp, "QSLPreinitialize", [&](S &s) {
    s.store->solution = qrva::SlpSolution{};
    s.state = qrva::SlpState{0, 0, 0, s.state.statusBits, 0.0, 0.0};
    for (auto &v : s.store->variables)
      v.second.value = v.second.oldValue = 0.0, v.second.history = v.second.converged = 0;
    return QRVA_OK;
  });
}

int QSLPgetdtime(QSLPprob slp, double *time) {
  return qrva::withSlp(
      slp, "QSLPgetdtime",
      [&](S &s) {
        Check("QSLPgetdtime").array(time, "time");
        *time = std::chrono::duration<double>(std::chrono::steady_clock::now() - s.created).count();
        return QRVA_OK;
      },
      false);
}

int QSLPgetmessagetype(int code, int *type) {
  return qrva::withEnvironment("QSLPgetmessagetype", [&]() -> int {
    if (type == nullptr)
      return qrva::failGlobal(QRVA_ERR_ARGUMENT, "QSLPgetmessagetype: argument 'type' is NULL");
    if (code < QRVA_OK || code > QRVA_ERR_INTERNAL)
      return qrva::failGlobal(
          QRVA_ERR_ARGUMENT,
          qrva::formatText("QSLPgetmessagetype: code %d is not a return code of the library (%d "
                           "to %d)",
                           code, QRVA_OK, QRVA_ERR_INTERNAL));
    *type = code == QRVA_OK ? QRVA_MSG_INFO : QRVA_MSG_ERROR;
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
