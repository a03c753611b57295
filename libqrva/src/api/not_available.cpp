// Functions of the optimizer interface that this version does not provide
// yet. Each checks its handle and then fails with
// "<function>: not available yet in this version of the library" as the
// last error of its object, never succeeding silently. A function leaves
// this list when its real implementation arrives.
#include "api/support.h"
#include "mip/branchobj.h"

#pragma GCC diagnostic ignored "-Wunused-parameter"

namespace {

int notAvailable(QRVAprob prob, const char *function) {
  return qrva::withProblem(prob, function, [&](qrva_problem_s &p) {
    return p.fail(QRVA_ERR_NOT_AVAILABLE, qrva::notAvailableText(function));
  });
}

int notAvailable(QRVAbranchobject bo, const char *function) {
  return qrva::withBranchObject(bo, function, [&](qrva_branchobj_s &b) {
    return b.fail(QRVA_ERR_NOT_AVAILABLE, qrva::notAvailableText(function));
  });
}

}  // namespace

#define NOT_YET(name, handle, params) \
  int name params { return notAvailable(handle, #name); }

extern "C" {
NOT_YET(QRVAstrongbranch, prob, (QRVAprob prob, int nbounds, const int colind[], const char bndtype[], const double bndval[], int itrlimit, double objval[], int status[]))
NOT_YET(QRVAstrongbranchcb, prob, (QRVAprob prob, int nbounds, const int colind[], const char bndtype[], const double bndval[], int itrlimit, double objval[], int status[], QRVAcbsolvenode callback, void *data))
NOT_YET(QRVA_bo_addbranches, bo, (QRVAbranchobject bo, int nbranches))
NOT_YET(QRVA_bo_getbranches, bo, (QRVAbranchobject bo, int *nbranches))
NOT_YET(QRVA_bo_addbounds, bo, (QRVAbranchobject bo, int branch, int nbounds, const char bndtype[], const int colind[], const double bndval[]))
NOT_YET(QRVA_bo_getbounds, bo, (QRVAbranchobject bo, int branch, int *nbounds, int maxbounds, char bndtype[], int colind[], double bndval[]))
NOT_YET(QRVA_bo_addrows, bo, (QRVAbranchobject bo, int branch, int nrows, int nelems, const char rowtype[], const double rhs[], const int start[], const int colind[], const double rowcoef[]))
NOT_YET(QRVA_bo_getrows, bo, (QRVAbranchobject bo, int branch, int *nrows, int maxrows, int *nelems, int maxelems, char rowtype[], double rhs[], int start[], int colind[], double rowcoef[]))
NOT_YET(QRVA_bo_addcuts, bo, (QRVAbranchobject bo, int branch, int ncuts, const QRVAcut cutind[]))
NOT_YET(QRVA_bo_setpreferredbranch, bo, (QRVAbranchobject bo, int branch))
NOT_YET(QRVA_bo_setpriority, bo, (QRVAbranchobject bo, int priority))
NOT_YET(QRVA_bo_getid, bo, (QRVAbranchobject bo, int *id))
NOT_YET(QRVA_bo_store, bo, (QRVAbranchobject bo, int *status))
NOT_YET(QRVA_bo_validate, bo, (QRVAbranchobject bo, int *status))
}  // extern "C"
