// SLP environment, problems, controls and attributes, messages and callbacks.
#include <memory>

#include "slp/problem.h"

using qrva::Environment;
using qrva::failGlobal;
using qrva::formatText;
using S = qslp_problem_s;
using Access = qrva::ParamAccess<S>;

namespace {

Access access(S &s, const char *function) { return Access(s, qrva::slpCatalog(), function); }

// Control and attribute functions work on an SLP problem whose optimizer
// problem is gone (they then report its sizes as 0).
const bool kOptimizerNotNeeded = false;

int setCallback(QSLPprob slp, const char *function, qrva::SlpCallbackKind kind, void (*f)(),
                void *data) {
  return qrva::withSlp(
      slp, function,
      [&](S &s) {
        s.callbacks[static_cast<size_t>(kind)] = qrva::SlpCallback{f, f ? data : nullptr};
        return QRVA_OK;
      },
      kOptimizerNotNeeded);
}

}  // namespace

extern "C" {

int QSLPinit(void) {
  return qrva::withEnvironment("QSLPinit",
                               [] { return Environment::instance().startSlp("QSLPinit"); });
}

int QSLPfree(void) {
  return qrva::withEnvironment("QSLPfree",
                               [] { return Environment::instance().stopSlp("QSLPfree"); });
}

int QSLPcreateprob(QSLPprob *slp, QRVAprob *qprob) {
  return qrva::withEnvironment("QSLPcreateprob", [&] {
    if (slp == nullptr)
      return failGlobal(QRVA_ERR_ARGUMENT, "QSLPcreateprob: argument 'slp' is NULL");
    *slp = nullptr;
    if (qprob == nullptr)
      return failGlobal(QRVA_ERR_ARGUMENT, "QSLPcreateprob: argument 'qprob' is NULL");
    Environment &env = Environment::instance();
    if (!env.slpStarted())
      return failGlobal(QRVA_ERR_NOT_INITIALISED,
                        "QSLPcreateprob: the SLP environment is not initialised; call QSLPinit "
                        "first");
    std::unique_ptr<qrva_problem_s> ownOptimizer;
    qrva_problem_s *optimizer = *qprob;
    if (optimizer == nullptr) {
      ownOptimizer = std::make_unique<qrva_problem_s>();
      optimizer = ownOptimizer.get();
    } else {
      if (int rc = qrva::checkHandle(optimizer, "QSLPcreateprob", "problem")) return rc;
      if (optimizer->slpLayer != nullptr)
        return optimizer->fail(QRVA_ERR_STATE,
                               "QSLPcreateprob: this problem already has an SLP problem");
    }
    auto created = std::make_unique<S>(optimizer, ownOptimizer != nullptr);
    if (ownOptimizer) {
      env.registerHandle(ownOptimizer.get());
      *qprob = ownOptimizer.release();
    }
    env.registerHandle(created.get());
    *slp = created.release();
    return QRVA_OK;
  });
}

int QSLPdestroyprob(QSLPprob slp) {
  return qrva::withEnvironment("QSLPdestroyprob", [&]() -> int {
    if (int rc = qrva::checkHandle(slp, "QSLPdestroyprob", "SLP problem")) return rc;
    if (!Environment::instance().slpStarted())
      return slp->fail(QRVA_ERR_NOT_INITIALISED,
                       "QSLPdestroyprob: the SLP environment is not initialised");
    Environment::instance().unregisterHandle(slp);
    delete slp;
    return QRVA_OK;
  });
}

int QSLPgetlasterror(QSLPprob slp, int *code, char *buffer) {
  return qrva::withEnvironment("QSLPgetlasterror", [&]() -> int {
    if (int rc = qrva::checkHandle(slp, "QSLPgetlasterror", "SLP problem")) return rc;
    if (buffer == nullptr)
      return failGlobal(QRVA_ERR_ARGUMENT, "QSLPgetlasterror: argument 'buffer' is NULL");
    if (code != nullptr) *code = slp->lastError.code;
    qrva::copyTruncated(slp->lastError.text, buffer, 512);
    return QRVA_OK;
  });
}

int QSLPcopycontrols(QSLPprob dest, QSLPprob src) {
  if (int rc = qrva::checkHandle(src, "QSLPcopycontrols", "SLP problem")) return rc;
  return qrva::withSlp(
      dest, "QSLPcopycontrols",
      [&](S &s) {
        s.controls = src->controls;
        return QRVA_OK;
      },
      kOptimizerNotNeeded);
}

int QSLPgetcalist(QSLPprob slp, const int **ids, const char *const **names) {
  return qrva::withSlp(
      slp, "QSLPgetcalist",
      [&](S &s) {
        if (ids == nullptr) return qrva::nullArgument(s, "QSLPgetcalist", "ids");
        if (names == nullptr) return qrva::nullArgument(s, "QSLPgetcalist", "names");
        *ids = qrva::slpCatalog().ids();
        *names = qrva::slpCatalog().names();
        return QRVA_OK;
      },
      kOptimizerNotNeeded);
}

int QSLPcontrolname(int id, const char **name, int *flags) {
  return qrva::withEnvironment("QSLPcontrolname", [&]() -> int {
    if (name == nullptr)
      return failGlobal(QRVA_ERR_ARGUMENT, "QSLPcontrolname: argument 'name' is NULL");
    if (flags == nullptr)
      return failGlobal(QRVA_ERR_ARGUMENT, "QSLPcontrolname: argument 'flags' is NULL");
    const auto &catalog = qrva::slpCatalog();
    const auto *spec = catalog.find(id);
    if (spec == nullptr)
      return failGlobal(QRVA_ERR_ARGUMENT,
                        formatText("QSLPcontrolname: %d is not a known control or attribute "
                                   "identifier",
                                   id));
    *name = spec->name;
    // The flags are those of the identifier list: the entry after the header.
    *flags = catalog.flags()[catalog.indexOf(spec) + 1];
    return QRVA_OK;
  });
}

int QSLPgetintcontrol(QSLPprob slp, int id, int *value) {
  return qrva::withSlp(
      slp, "QSLPgetintcontrol",
      [&](S &s) {
        int64_t v = 0;
        int rc = access(s, "QSLPgetintcontrol").getInt(id, true, value ? &v : nullptr, true);
        if (rc == QRVA_OK) *value = static_cast<int>(v);
        return rc;
      },
      kOptimizerNotNeeded);
}

int QSLPsetintcontrol(QSLPprob slp, int id, int value) {
  return qrva::withSlp(
      slp, "QSLPsetintcontrol",
      [&](S &s) { return access(s, "QSLPsetintcontrol").setInt(id, value); },
      kOptimizerNotNeeded);
}

int QSLPgetdblcontrol(QSLPprob slp, int id, double *value) {
  return qrva::withSlp(
      slp, "QSLPgetdblcontrol",
      [&](S &s) { return access(s, "QSLPgetdblcontrol").getDouble(id, true, value); },
      kOptimizerNotNeeded);
}

int QSLPsetdblcontrol(QSLPprob slp, int id, double value) {
  return qrva::withSlp(
      slp, "QSLPsetdblcontrol",
      [&](S &s) { return access(s, "QSLPsetdblcontrol").setDouble(id, value); },
      kOptimizerNotNeeded);
}

int QSLPgetstrcontrol(QSLPprob slp, int id, char *value, int maxbytes, int *nbytes) {
  return qrva::withSlp(
      slp, "QSLPgetstrcontrol",
      [&](S &s) {
        return access(s, "QSLPgetstrcontrol").getString(id, true, value, maxbytes, nbytes);
      },
      kOptimizerNotNeeded);
}

int QSLPsetstrcontrol(QSLPprob slp, int id, const char *value) {
  return qrva::withSlp(
      slp, "QSLPsetstrcontrol",
      [&](S &s) { return access(s, "QSLPsetstrcontrol").setString(id, value); },
      kOptimizerNotNeeded);
}

int QSLPsetdefaultcontrol(QSLPprob slp, int id) {
  return qrva::withSlp(
      slp, "QSLPsetdefaultcontrol",
      [&](S &s) { return access(s, "QSLPsetdefaultcontrol").setDefault(id); },
      kOptimizerNotNeeded);
}

int QSLPsetdefaults(QSLPprob slp) {
  return qrva::withSlp(
      slp, "QSLPsetdefaults",
      [&](S &s) {
        s.controls = qrva::slpCatalog().defaultControls();
        return QRVA_OK;
      },
      kOptimizerNotNeeded);
}

int QSLPgetintattrib(QSLPprob slp, int id, int *value) {
  return qrva::withSlp(
      slp, "QSLPgetintattrib",
      [&](S &s) {
        int64_t v = 0;
        int rc = access(s, "QSLPgetintattrib").getInt(id, false, value ? &v : nullptr, true);
        if (rc == QRVA_OK) *value = static_cast<int>(v);
        return rc;
      },
      kOptimizerNotNeeded);
}

int QSLPgetdblattrib(QSLPprob slp, int id, double *value) {
  return qrva::withSlp(
      slp, "QSLPgetdblattrib",
      [&](S &s) { return access(s, "QSLPgetdblattrib").getDouble(id, false, value); },
      kOptimizerNotNeeded);
}

int QSLPgetstrattrib(QSLPprob slp, int id, char *value, int maxbytes, int *nbytes) {
  return qrva::withSlp(
      slp, "QSLPgetstrattrib",
      [&](S &s) {
        return access(s, "QSLPgetstrattrib").getString(id, false, value, maxbytes, nbytes);
      },
      kOptimizerNotNeeded);
}

int QSLPgetptrattrib(QSLPprob slp, int id, void **value) {
  return qrva::withSlp(
      slp, "QSLPgetptrattrib",
      [&](S &s) { return access(s, "QSLPgetptrattrib").getPointer(id, value); },
      kOptimizerNotNeeded);
}

int QSLPprintmsg(QSLPprob slp, int msgtype, const char *msg) {
  return qrva::withSlp(slp, "QSLPprintmsg", [&](S &s) {
    if (msg == nullptr) return qrva::nullArgument(s, "QSLPprintmsg", "msg");
    if (msgtype != QRVA_MSG_INFO && msgtype != QRVA_MSG_WARNING && msgtype != QRVA_MSG_ERROR)
      return s.fail(QRVA_ERR_ARGUMENT,
                    formatText("QSLPprintmsg: message type %d is not 1 (information), 3 "
                               "(warning) or 4 (error)",
                               msgtype));
    s.qprob->message(msgtype, msg);
    return QRVA_OK;
  });
}

#define QSLP_SETCB(kind, Kind)                                                            \
  int QSLPsetcb##kind(QSLPprob slp, QSLPcb##kind f, void *data) {                         \
    return setCallback(slp, "QSLPsetcb" #kind, qrva::SlpCallbackKind::Kind,               \
                       reinterpret_cast<void (*)()>(f), data);                            \
  }
QSLP_SETCB(cascadeend, CascadeEnd)
QSLP_SETCB(cascadestart, CascadeStart)
QSLP_SETCB(cascadevar, CascadeVar)
QSLP_SETCB(cascadevarfail, CascadeVarFail)
QSLP_SETCB(coefevalerror, CoefEvalError)
QSLP_SETCB(construct, Construct)
QSLP_SETCB(destroy, Destroy)
QSLP_SETCB(drcol, DrCol)
QSLP_SETCB(formula, Formula)
QSLP_SETCB(iterend, IterEnd)
QSLP_SETCB(iterstart, IterStart)
QSLP_SETCB(itervar, IterVar)
QSLP_SETCB(msjobend, MsJobEnd)
QSLP_SETCB(msjobstart, MsJobStart)
QSLP_SETCB(mswinner, MsWinner)
QSLP_SETCB(slpend, SlpEnd)
QSLP_SETCB(slpnode, SlpNode)
QSLP_SETCB(slpstart, SlpStart)

}  // extern "C"
