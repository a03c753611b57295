#include "slp/events.h"

namespace qrva {
namespace nlp {

bool SlpEvents::wants(SlpCallbackKind kind) const {
  return slp_ != nullptr && slp_->callbacks[static_cast<size_t>(kind)].function != nullptr;
}

bool SlpEvents::any() const {
  if (slp_ == nullptr) return false;
  for (const SlpCallback &c : slp_->callbacks)
    if (c.function != nullptr) return true;
  return false;
}

bool SlpEvents::stopped(int result) const {
  if (result == 0) return false;
  int none = 0;
  if (slp_->qprob) slp_->qprob->interruptReason.compare_exchange_strong(none, QRVA_STOP_USER);
  return true;
}

bool SlpEvents::stage(SlpCallbackKind kind) const {
  if (!wants(kind)) return false;
  // Every stage kind has the signature of slpstart.
  return stopped(function<QSLPcbslpstart>(kind)(slp_, data(kind)));
}

bool SlpEvents::iterVar(int col) const {
  const SlpCallbackKind kind = SlpCallbackKind::IterVar;
  if (!wants(kind)) return false;
  return stopped(function<QSLPcbitervar>(kind)(slp_, data(kind), col));
}

bool SlpEvents::cascadeVar(int col, bool failed) const {
  const SlpCallbackKind kind = failed ? SlpCallbackKind::CascadeVarFail : SlpCallbackKind::CascadeVar;
  if (!wants(kind)) return false;
  // cascadevarfail has the signature of cascadevar.
  return stopped(function<QSLPcbcascadevar>(kind)(slp_, data(kind), col));
}

bool SlpEvents::coefEvalError(int row, int col) const {
  const SlpCallbackKind kind = SlpCallbackKind::CoefEvalError;
  if (!wants(kind)) return false;
  return stopped(function<QSLPcbcoefevalerror>(kind)(slp_, data(kind), row, col));
}

bool SlpEvents::determinedColumn(int row, int col, double &value, double lb, double ub) const {
  const SlpCallbackKind kind = SlpCallbackKind::DrCol;
  if (!wants(kind)) return false;
  double given = value;
  return stopped(function<QSLPcbdrcol>(kind)(slp_, data(kind), row, col, given, &value, lb, ub));
}

bool SlpEvents::formulaValue(double &value) const {
  const SlpCallbackKind kind = SlpCallbackKind::Formula;
  if (!wants(kind)) return false;
  double given = value;
  return stopped(function<QSLPcbformula>(kind)(slp_, data(kind), given, &value));
}

void SlpEvents::publish(const std::vector<double> &x, const std::vector<double> &slack,
                        const std::vector<double> &dual, const std::vector<double> &dj,
                        int iterations, double objective) const {
  if (!any() || slp_->qprob == nullptr) return;
  Solution &sol = slp_->qprob->solution;
  sol.x = x, sol.slack = slack, sol.dual = dual, sol.dj = dj;
  sol.hasLp = true;
  SlpSolution &now = slp_->store->solution;
  now.x = x, now.slack = slack, now.dual = dual, now.dj = dj;
  slp_->state.iterations = iterations;
  slp_->state.objective = objective;
}

}  // namespace nlp
}  // namespace qrva
