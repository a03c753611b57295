#include "slp/problem.h"

#include "slp/solver.h"

qslp_problem_s::qslp_problem_s(qrva_problem_s *optimizer, bool ownsOptimizer)
    : qprob(optimizer), ownsQprob(ownsOptimizer), controls(qrva::slpCatalog().defaultControls()),
      store(std::make_unique<qrva::SlpStore>()) {
  qprob->slpLayer = this;
}

qslp_problem_s::~qslp_problem_s() {
  if (qprob == nullptr) return;
  qprob->slpLayer = nullptr;
  if (ownsQprob) {
    qrva::Environment::instance().unregisterHandle(qprob);
    delete qprob;
  }
}

int qslp_problem_s::fail(int code, const std::string &text) {
  lastError.code = code;
  lastError.text = text;
  if (qprob != nullptr) qprob->fail(code, text);
  return code;
}

qrva::SlpCounts qslp_problem_s::counts() const {
  qrva::SlpCounts c;
  c.coefficients = static_cast<int>(store->coefficients.size());
  c.nonlinearRows = store->nonlinearRows();
  c.variables = static_cast<int>(store->variables.size());
  c.userFunctions = static_cast<int>(store->functions.size());
  c.tolsets = static_cast<int>(store->tolsets.size());
  return c;
}

std::vector<double> qslp_problem_s::currentPoint() const {
  const qrva::ProblemStore &s = *qprob->store;
  if (static_cast<int>(store->solution.x.size()) == s.ncols()) return store->solution.x;
  return qrva::startingPoint(s, store.get(), nullptr);
}

void qslp_problem_s::optimizerStoreReplaced() {
  store->coefficients.clear();
  store->variables.clear();
  store->solution = qrva::SlpSolution{};
  state = qrva::SlpState{};
}
