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

qrva::ParamValue &qslp_problem_s::control(int id) {
  const auto &catalog = qrva::slpCatalog();
  return controls[catalog.indexOf(catalog.find(id))];
}

const qrva::ParamValue &qslp_problem_s::control(int id) const {
  return const_cast<qslp_problem_s *>(this)->control(id);
}

void qslp_problem_s::nonlinearChanged() {
  qprob->edited(qrva::Edit::Nonlinear);
  store->solution = qrva::SlpSolution{};
  state.nlpStatus = 0, state.stopStatus = 0, state.iterations = 0;
  state.objective = 0.0;
}

const qrva::SlpSolution &qslp_problem_s::lastSolution(const char *function) const {
  qrva::Check chk(function);
  const qrva::SlpSolution &sol = store->solution;
  if (!sol.known())
    chk.fail("no nonlinear solution is available; solve the problem with QSLPnlpoptimize first",
             QRVA_ERR_STATE);
  if (static_cast<int>(sol.x.size()) != qprob->store->ncols() ||
      static_cast<int>(sol.slack.size()) != qprob->store->nrows())
    chk.fail("the problem changed since the last nonlinear solve; solve it again",
             QRVA_ERR_STATE);
  return sol;
}

std::vector<double> qslp_problem_s::currentPoint() const {
  const qrva::ProblemStore &s = *qprob->store;
  if (static_cast<int>(store->solution.x.size()) == s.ncols()) return store->solution.x;
  return qrva::startingPoint(s, store.get(), nullptr);
}

void qslp_problem_s::restoreLinearPart() {
  if (!shownLinearization.empty()) qrva::restoreLinearization(*this);
}

void qslp_problem_s::optimizerStoreReplaced() {
  shownLinearization = qrva::LinearizationView{};  // it went with the old store
  store->coefficients.clear();
  store->variables.clear();
  store->rows.clear();
  store->solution = qrva::SlpSolution{};
  state = qrva::SlpState{};
}
