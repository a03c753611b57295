// Registration of per-problem callbacks, one add/remove pair per kind.
#include "api/support.h"

using qrva::CallbackKind;
using qrva::CallbackRegistry;
using P = qrva_problem_s;

namespace {

int addCallback(QRVAprob prob, const char *function, CallbackKind kind,
                CallbackRegistry::Function f, void *data, int priority) {
  return qrva::withProblem(prob, function, [&](P &p) {
    if (f == nullptr) return qrva::nullArgument(p, function, "f");
    p.callbacks[kind].add(f, data, priority);
    return QRVA_OK;
  });
}

int removeCallback(QRVAprob prob, const char *function, CallbackKind kind,
                   CallbackRegistry::Function f, void *data) {
  return qrva::withProblem(prob, function, [&](P &p) {
    p.callbacks[kind].remove(f, data);
    return QRVA_OK;
  });
}

}  // namespace

#define QRVA_CALLBACK_FUNCTIONS(kind, Kind)                                                   \
  int QRVAaddcb##kind(QRVAprob prob, QRVAcb##kind f, void *data, int priority) {              \
    return addCallback(prob, "QRVAaddcb" #kind, CallbackKind::Kind,                          \
                       reinterpret_cast<CallbackRegistry::Function>(f), data, priority);      \
  }                                                                                           \
  int QRVAremovecb##kind(QRVAprob prob, QRVAcb##kind f, void *data) {                        \
    return removeCallback(prob, "QRVAremovecb" #kind, CallbackKind::Kind,                    \
                          reinterpret_cast<CallbackRegistry::Function>(f), data);             \
  }

extern "C" {
QRVA_CALLBACK_FUNCTIONS(bariteration, BarIteration)
QRVA_CALLBACK_FUNCTIONS(barlog, BarLog)
QRVA_CALLBACK_FUNCTIONS(chgbranchobject, ChgBranchObject)
QRVA_CALLBACK_FUNCTIONS(cutlog, CutLog)
QRVA_CALLBACK_FUNCTIONS(destroymt, DestroyMT)
QRVA_CALLBACK_FUNCTIONS(gapnotify, GapNotify)
QRVA_CALLBACK_FUNCTIONS(globallog, GlobalLog)
QRVA_CALLBACK_FUNCTIONS(infnode, InfNode)
QRVA_CALLBACK_FUNCTIONS(intsol, IntSol)
QRVA_CALLBACK_FUNCTIONS(lplog, LpLog)
QRVA_CALLBACK_FUNCTIONS(message, Message)
QRVA_CALLBACK_FUNCTIONS(mipthread, MipThread)
QRVA_CALLBACK_FUNCTIONS(newnode, NewNode)
QRVA_CALLBACK_FUNCTIONS(nodecutoff, NodeCutoff)
QRVA_CALLBACK_FUNCTIONS(optnode, OptNode)
QRVA_CALLBACK_FUNCTIONS(preintsol, PreIntSol)
QRVA_CALLBACK_FUNCTIONS(prenode, PreNode)
QRVA_CALLBACK_FUNCTIONS(usersolnotify, UserSolNotify)
}  // extern "C"
