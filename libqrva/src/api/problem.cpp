// Problem handles: creation and destruction, last error, name, the empty
// load, copying controls and the log file.
#include <cerrno>
#include <cstring>
#include <memory>

#include "api/support.h"
#include "slp/problem.h"

using qrva::Environment;
using qrva::failGlobal;
using qrva::formatText;
using P = qrva_problem_s;

namespace qrva {

// A name the problem may take: present and not longer than maxprobnamelength.
int checkProblemName(P &p, const char *function, const char *argument, const char *name) {
  if (name == nullptr) return qrva::nullArgument(p, function, argument);
  size_t length = std::strlen(name);
  int64_t limit = p.intControl(QRVA_MAXPROBNAMELENGTH);
  if (static_cast<int64_t>(length) > limit)
    return p.fail(QRVA_ERR_ARGUMENT,
                  formatText("%s: %s %s is %zu bytes long, longer than control "
                             "maxprobnamelength (%lld)",
                             function, argument, qrva::quoted(name).c_str(), length,
                             static_cast<long long>(limit)));
  return QRVA_OK;
}

}  // namespace qrva

extern "C" {

int QRVAcreateprob(QRVAprob *prob) {
  return qrva::withEnvironment("QRVAcreateprob", [&] {
    if (prob == nullptr)
      return failGlobal(QRVA_ERR_ARGUMENT, "QRVAcreateprob: argument 'prob' is NULL");
    *prob = nullptr;
    Environment &env = Environment::instance();
    if (!env.started())
      return failGlobal(QRVA_ERR_NOT_INITIALISED,
                        "QRVAcreateprob: the environment is not initialised; call QRVAinit first");
    auto created = std::make_unique<P>();
    env.registerHandle(created.get());
    *prob = created.release();
    return QRVA_OK;
  });
}

int QRVAdestroyprob(QRVAprob prob) {
  return qrva::withEnvironment("QRVAdestroyprob", [&]() -> int {
    if (int rc = qrva::checkHandle(prob, "QRVAdestroyprob", "problem")) return rc;
    if (!Environment::instance().started())
      return prob->fail(QRVA_ERR_NOT_INITIALISED,
                        "QRVAdestroyprob: the environment is not initialised");
    // An SLP problem on this one stays valid but can no longer reach it.
    if (prob->slpLayer != nullptr) prob->slpLayer->qprob = nullptr;
    Environment::instance().unregisterHandle(prob);
    delete prob;
    return QRVA_OK;
  });
}

int QRVAgetlasterror(QRVAprob prob, char *errmsg) {
  return qrva::withProblem(prob, "QRVAgetlasterror", [&](P &p) {
    if (errmsg == nullptr)
      return failGlobal(QRVA_ERR_ARGUMENT, "QRVAgetlasterror: argument 'errmsg' is NULL");
    qrva::copyTruncated(p.lastError.text, errmsg, 512);
    return QRVA_OK;
  });
}

int QRVAsetprobname(QRVAprob prob, const char *name) {
  return qrva::withProblem(prob, "QRVAsetprobname", [&](P &p) {
    if (int rc = qrva::checkProblemName(p, "QRVAsetprobname", "name", name)) return rc;
    p.name = name;
    return QRVA_OK;
  });
}

int QRVAgetprobname(QRVAprob prob, char *name) {
  return qrva::withProblem(prob, "QRVAgetprobname", [&](P &p) {
    if (name == nullptr) return qrva::nullArgument(p, "QRVAgetprobname", "name");
    std::memcpy(name, p.name.c_str(), p.name.size() + 1);
    return QRVA_OK;
  });
}

int QRVAcopycontrols(QRVAprob dest, QRVAprob src) {
  if (int rc = qrva::checkHandle(src, "QRVAcopycontrols", "problem")) return rc;
  return qrva::withProblem(dest, "QRVAcopycontrols", [&](P &p) {
    p.controls = src->controls;
    return QRVA_OK;
  });
}

int QRVAsetlogfile(QRVAprob prob, const char *filename) {
  return qrva::withProblem(prob, "QRVAsetlogfile", [&](P &p) {
    p.logFile.reset();
    if (filename == nullptr || filename[0] == '\0') return QRVA_OK;
    std::FILE *file = std::fopen(filename, "a");
    if (file == nullptr)
      return p.fail(QRVA_ERR_ARGUMENT,
                    formatText("QRVAsetlogfile: cannot open log file %s: %s",
                               qrva::quoted(filename).c_str(), std::strerror(errno)));
    p.logFile.reset(file);
    return QRVA_OK;
  });
}

}  // extern "C"
