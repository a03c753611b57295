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
NOT_YET(QSLPglobal, slp, (QSLPprob slp))
NOT_YET(QSLPmsaddjob, slp, (QSLPprob slp, const char *description, int ninitial, const int colindex[], const double initvalue[], int nintcontrols, const int intcontrolid[], const int intcontrolvalue[], int ndblcontrols, const int dblcontrolid[], const double dblcontrolvalue[], void *jobobject))
NOT_YET(QSLPmsaddpreset, slp, (QSLPprob slp, const char *description, int preset, int count, void *jobobject))
NOT_YET(QSLPmsaddcustompreset, slp, (QSLPprob slp, const char *description, int preset, int count, int ninitial, const int colindex[], const double initvalue[], int nintcontrols, const int intcontrolid[], const int intcontrolvalue[], int ndblcontrols, const int dblcontrolid[], const double dblcontrolvalue[], void *jobobject))
NOT_YET(QSLPmsclear, slp, (QSLPprob slp))
}  // extern "C"
