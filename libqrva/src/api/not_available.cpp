// Functions of the optimizer interface that this version does not provide
// yet. Each checks its handle and then fails with
// "<function>: not available yet in this version of the library" as the
// last error of its object, never succeeding silently. A function leaves
// this list when its real implementation arrives.
#include "api/support.h"

#pragma GCC diagnostic ignored "-Wunused-parameter"

namespace {

int notAvailable(QRVAprob prob, const char *function) {
  return qrva::withProblem(prob, function, [&](qrva_problem_s &p) {
    return p.fail(QRVA_ERR_NOT_AVAILABLE, qrva::notAvailableText(function));
  });
}

}  // namespace

#define NOT_YET(name, handle, params) \
  int name params { return notAvailable(handle, #name); }

extern "C" {
NOT_YET(QRVAstrongbranch, prob, (QRVAprob prob, int nbounds, const int colind[], const char bndtype[], const double bndval[], int itrlimit, double objval[], int status[]))
NOT_YET(QRVAstrongbranchcb, prob, (QRVAprob prob, int nbounds, const int colind[], const char bndtype[], const double bndval[], int itrlimit, double objval[], int status[], QRVAcbsolvenode callback, void *data))
}  // extern "C"
