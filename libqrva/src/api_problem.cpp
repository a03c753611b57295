// Problem handles: creation and destruction, last error, name, the empty
// load, copying controls and the log file.
#include <cerrno>
#include <cstring>
#include <memory>

#include "api_support.h"
#include "slp_problem.h"

using qrva::Environment;
using qrva::failGlobal;
using qrva::formatText;
using P = qrva_problem_s;

namespace {

// A name the problem may take: present and not longer than maxprobnamelength.
int checkProblemName(P &p, const char *function, const char *argument, const char *name) {
  if (name == nullptr) return qrva::nullArgument(p, function, argument);
  size_t length = std::strlen(name);
  int64_t limit = p.intControl(qrva::kMaxProbNameLength);
  if (static_cast<int64_t>(length) > limit)
    return p.fail(QRVA_ERR_ARGUMENT,
                  formatText("%s: %s %s is %zu bytes long, longer than control "
                             "maxprobnamelength (%lld)",
                             function, argument, qrva::quoted(name).c_str(), length,
                             static_cast<long long>(limit)));
  return QRVA_OK;
}

int checkCount(P &p, const char *function, const char *argument, int64_t count) {
  if (count < 0)
    return p.fail(QRVA_ERR_ARGUMENT, formatText("%s: %s is %lld; it must not be negative",
                                                function, argument,
                                                static_cast<long long>(count)));
  return QRVA_OK;
}

// Loading a problem of ncols columns and nrows rows. An empty one (both 0)
// replaces the problem by an empty problem with the given name; anything
// else needs the problem store.
int loadLinear(P &p, const char *function, const char *probname, int ncols, int nrows) {
  if (int rc = checkProblemName(p, function, "probname", probname)) return rc;
  if (int rc = checkCount(p, function, "ncols", ncols)) return rc;
  if (int rc = checkCount(p, function, "nrows", nrows)) return rc;
  if (ncols != 0 || nrows != 0)
    return p.fail(QRVA_ERR_NOT_AVAILABLE,
                  formatText("%s: loading a problem with rows or columns is not available yet "
                             "in this version of the library",
                             function));
  p.name = probname;
  p.store.reset();
  p.solve = qrva::SolveState{};
  p.message(QRVA_MSG_INFO, formatText("Problem '%s' loaded: 0 rows, 0 columns, 0 elements",
                                      p.name.c_str()));
  return QRVA_OK;
}

}  // namespace

extern "C" {

int QRVAcreateprob(QRVAprob *prob) {
  if (prob == nullptr)
    return failGlobal(QRVA_ERR_ARGUMENT, "QRVAcreateprob: argument 'prob' is NULL");
  *prob = nullptr;
  Environment &env = Environment::instance();
  if (!env.started())
    return failGlobal(QRVA_ERR_NOT_INITIALISED,
                      "QRVAcreateprob: the environment is not initialised; call QRVAinit first");
  return qrva::withEnvironment("QRVAcreateprob", [&] {
    auto created = std::make_unique<P>();
    env.registerHandle(created.get());
    *prob = created.release();
    return QRVA_OK;
  });
}

int QRVAdestroyprob(QRVAprob prob) {
  if (int rc = qrva::checkHandle(prob, "QRVAdestroyprob", "problem")) return rc;
  if (!Environment::instance().started())
    return prob->fail(QRVA_ERR_NOT_INITIALISED,
                      "QRVAdestroyprob: the environment is not initialised");
  // An SLP problem on this one stays valid but can no longer reach it.
  if (prob->slpLayer != nullptr) prob->slpLayer->qprob = nullptr;
  Environment::instance().unregisterHandle(prob);
  delete prob;
  return QRVA_OK;
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
    if (int rc = checkProblemName(p, "QRVAsetprobname", "name", name)) return rc;
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

int QRVAloadlp(QRVAprob prob, const char *probname, int ncols, int nrows, const char *,
               const double *, const double *, const double *, const int *, const int *,
               const int *, const double *, const double *, const double *) {
  return qrva::withProblem(prob, "QRVAloadlp", [&](P &p) {
    return loadLinear(p, "QRVAloadlp", probname, ncols, nrows);
  });
}

int QRVAloadlp64(QRVAprob prob, const char *probname, int ncols, int nrows, const char *,
                 const double *, const double *, const double *, const int64_t *, const int *,
                 const int *, const double *, const double *, const double *) {
  return qrva::withProblem(prob, "QRVAloadlp64", [&](P &p) {
    return loadLinear(p, "QRVAloadlp64", probname, ncols, nrows);
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
