#include "slp_problem.h"

qslp_problem_s::qslp_problem_s(qrva_problem_s *optimizer, bool ownsOptimizer)
    : qprob(optimizer), ownsQprob(ownsOptimizer), controls(qrva::slpCatalog().defaultControls()) {
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
