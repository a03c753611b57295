#include "problem.h"

#include "text.h"

qrva_problem_s::qrva_problem_s()
    : qrva_object_s(Kind::Problem), name(""), controls(qrva::optimizerCatalog().defaultControls()) {}

int qrva_problem_s::fail(int code, const std::string &text) {
  lastError.code = code;
  lastError.text = text;
  return code;
}

int64_t qrva_problem_s::intControl(int id) const {
  const auto &catalog = qrva::optimizerCatalog();
  return controls[catalog.indexOf(catalog.find(id))].i;
}

double qrva_problem_s::dblControl(int id) const {
  const auto &catalog = qrva::optimizerCatalog();
  return controls[catalog.indexOf(catalog.find(id))].d;
}

qrva::ProblemCounts qrva_problem_s::counts() const {
  // Every count is 0 until the problem has a store.
  return qrva::ProblemCounts{};
}

void qrva_problem_s::message(int msgtype, const std::string &text) {
  if (intControl(qrva::kOutputLog) == 0) return;
  for (const auto &entry : callbacks.entries(qrva::CallbackKind::Message))
    reinterpret_cast<QRVAcbmessage>(entry.function)(this, entry.data, text.c_str(),
                                                    static_cast<int>(text.size()), msgtype);
  qrva::Environment::instance().deliver(asObject(), text, msgtype);
  if (logFile && msgtype != QRVA_MSG_FLUSH) {
    std::fprintf(logFile.get(), "%s\n", text.c_str());
    std::fflush(logFile.get());
  }
}
