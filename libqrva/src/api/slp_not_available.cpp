// Functions of the SLP interface that this version does not provide yet.
// Each checks its handle and then fails with
// "<function>: not available yet in this version of the library" as the
// last error of its object (the global environment when it has none). A
// function leaves this list when its real implementation arrives.
#include "slp/problem.h"

#pragma GCC diagnostic ignored "-Wunused-parameter"

namespace {

int notAvailable(QSLPprob slp, const char *function) {
  return qrva::withSlp(
      slp, function,
      [&](qslp_problem_s &s) {
        return s.fail(QRVA_ERR_NOT_AVAILABLE, qrva::notAvailableText(function));
      },
      false);
}

}  // namespace

#define NOT_YET(name, handle, params) \
  int name params { return notAvailable(handle, #name); }

extern "C" {
}  // extern "C"
