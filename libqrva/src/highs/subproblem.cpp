#include "highs/subproblem.h"

#include <algorithm>

#include "core/text.h"
#include "highs/scheduler.h"
#include "interfaces/highs_c_api.h"

namespace qrva {

void HighsDeleter::operator()(void *highs) const {
  if (highs) Highs_destroy(highs);
}

const char *highsVersionText() { return Highs_version(); }

LpRunner::LpRunner(qrva_problem_s &p, bool echoLog, double feasTol)
    : p_(p), highs_(Highs_create()), ctx_(&p, std::chrono::steady_clock::now(), false) {
  void *h = highs_.get();
  attachHighsCallbacks(h, ctx_);
  Highs_setBoolOptionValue(h, "output_flag", echoLog && p.messagesHeard());
  Highs_setBoolOptionValue(h, "log_to_console", false);
  Highs_setStringOptionValue(h, "log_file", "");
  Highs_setDoubleOptionValue(h, "primal_feasibility_tolerance", std::min(1e-7, feasTol));
  // The linearizations' multipliers measure the nonlinear solver's
  // convergence: reduced costs left at HiGHS's default tolerance would
  // hide residuals of that size.
  Highs_setDoubleOptionValue(h, "dual_feasibility_tolerance", 1e-9);
}

static LpOutcome outcomeOf(HighsInt status) {
  switch (status) {
    case kHighsModelStatusOptimal: return LpOutcome::Optimal;
    case kHighsModelStatusInfeasible: return LpOutcome::Infeasible;
    case kHighsModelStatusUnbounded:
    case kHighsModelStatusUnboundedOrInfeasible: return LpOutcome::Unbounded;
    case kHighsModelStatusTimeLimit: return LpOutcome::TimeLimit;
    default: return LpOutcome::Other;
  }
}

LpResult LpRunner::run(const Subproblem &sp, double secondsLeft) {
  void *h = highs_.get();
  HighsInt ncol = static_cast<HighsInt>(sp.cost.size());
  HighsInt nrow = static_cast<HighsInt>(sp.rowLower.size());
  bool quadratic = !sp.qValue.empty();
  HighsInt rc = Highs_passModel(
      h, ncol, nrow, static_cast<HighsInt>(sp.index.size()),
      quadratic ? static_cast<HighsInt>(sp.qValue.size()) : 0, kHighsMatrixFormatColwise,
      kHighsHessianFormatTriangular, kHighsObjSenseMinimize, 0.0, sp.cost.data(),
      sp.colLower.data(), sp.colUpper.data(), sp.rowLower.data(), sp.rowUpper.data(),
      sp.start.data(), sp.index.data(), sp.value.data(), quadratic ? sp.qStart.data() : nullptr,
      quadratic ? sp.qIndex.data() : nullptr, quadratic ? sp.qValue.data() : nullptr, nullptr);
  LpResult r;
  if (rc == kHighsStatusError) return r;
  if (secondsLeft < 1e20) Highs_setDoubleOptionValue(h, "time_limit", std::max(0.0, secondsLeft));
  // HiGHS's QP solver can cycle on degenerate steps: a bounded run falls
  // back to the linear step instead of hanging.
  if (quadratic) Highs_setIntOptionValue(h, "qp_iteration_limit", 1000 + 20 * (ncol + nrow));
  if (!quadratic && basisCols_.size() == static_cast<size_t>(ncol) &&
      basisRows_.size() == static_cast<size_t>(nrow))
    Highs_setBasis(h, basisCols_.data(), basisRows_.data());
  SchedulerHold scheduler(0);  // subproblems run with HiGHS's own thread count
  if (!scheduler.ok()) {
    p_.message(QRVA_MSG_WARNING,
               formatText("SLP: a subproblem cannot run while another solve holds HiGHS at %d "
                          "threads",
                          scheduler.heldAt()));
    return r;
  }
  Highs_zeroAllClocks(h);
  Highs_run(h);
  flushLog(ctx_, true);
  HighsInt simplex = 0, qp = 0;
  Highs_getIntInfoValue(h, "simplex_iteration_count", &simplex);
  if (quadratic) Highs_getIntInfoValue(h, "qp_iteration_count", &qp);
  iterations_ += std::max<HighsInt>(0, simplex) + std::max<HighsInt>(0, qp);
  r.modelStatus = Highs_getModelStatus(h);
  r.outcome = outcomeOf(r.modelStatus);
  if (r.outcome == LpOutcome::Optimal) {
    r.x.resize(ncol), r.dj.resize(ncol), r.dual.resize(nrow);
    std::vector<double> act(nrow);
    Highs_getSolution(h, r.x.data(), r.dj.data(), act.data(), r.dual.data());
    HighsInt valid = 0;
    Highs_getIntInfoValue(h, "basis_validity", &valid);
    if (valid && !quadratic) {
      basisCols_.resize(ncol), basisRows_.resize(nrow);
      Highs_getBasis(h, basisCols_.data(), basisRows_.data());
    }
  }
  return r;
}

}  // namespace qrva
