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

// Functions without a problem handle report through the global environment.
int notAvailable(std::nullptr_t, const char *function) {
  return qrva::withEnvironment(function, [&] {
    return qrva::failGlobal(QRVA_ERR_NOT_AVAILABLE, qrva::notAvailableText(function));
  });
}

}  // namespace

#define NOT_YET(name, handle, params) \
  int name params { return notAvailable(handle, #name); }

extern "C" {
NOT_YET(QSLPchgcascadenlimit, slp, (QSLPprob slp, int col, int limit))
NOT_YET(QSLPchgdeltatype, slp, (QSLPprob slp, int nvars, const int colindex[], const int deltatypes[], const double values[]))
NOT_YET(QSLPadddfs, slp, (QSLPprob slp, int ndfs, const int colindex[], const int rowindex[], const double value[]))
NOT_YET(QSLPloaddfs, slp, (QSLPprob slp, int ndfs, const int colindex[], const int rowindex[], const double value[]))
NOT_YET(QSLPchgdf, slp, (QSLPprob slp, int col, int row, const double *value))
NOT_YET(QSLPgetdf, slp, (QSLPprob slp, int col, int row, double *value))
NOT_YET(QSLPchgrowstatus, slp, (QSLPprob slp, int row, const int *status))
NOT_YET(QSLPgetrowstatus, slp, (QSLPprob slp, int row, int *status))
NOT_YET(QSLPchgrowwt, slp, (QSLPprob slp, int row, const double *weight))
NOT_YET(QSLPgetrowwt, slp, (QSLPprob slp, int row, double *weight))
NOT_YET(QSLPgetcolinfo, slp, (QSLPprob slp, int infotype, int col, void *info))
NOT_YET(QSLPgetrowinfo, slp, (QSLPprob slp, int infotype, int row, void *info))
NOT_YET(QSLPglobal, slp, (QSLPprob slp))
NOT_YET(QSLPpresolve, slp, (QSLPprob slp))
NOT_YET(QSLPcascade, slp, (QSLPprob slp))
NOT_YET(QSLPcascadeorder, slp, (QSLPprob slp))
NOT_YET(QSLPfixpenalties, slp, (QSLPprob slp))
NOT_YET(QSLPreinitialize, slp, (QSLPprob slp))
NOT_YET(QSLPscaling, slp, (QSLPprob slp))
NOT_YET(QSLPsetcurrentiv, slp, (QSLPprob slp))
NOT_YET(QSLPsetuniqueprefix, slp, (QSLPprob slp))
NOT_YET(QSLPupdatelinearization, slp, (QSLPprob slp))
NOT_YET(QSLPvalidate, slp, (QSLPprob slp))
NOT_YET(QSLPvalidatekkt, slp, (QSLPprob slp, int calculationmode, int respectbasisstatus, int updatemultipliers, double kktviolationtarget))
NOT_YET(QSLPvalidaterow, slp, (QSLPprob slp, int row))
NOT_YET(QSLPvalidatevector, slp, (QSLPprob slp, const double vector[], double *suminf, double *sumscaledinf, double *objval))
NOT_YET(QSLPfilesol, slp, (QSLPprob slp, const char *filename))
NOT_YET(QSLPgetdtime, slp, (QSLPprob slp, double *time))
NOT_YET(QSLPprintevalinfo, slp, (QSLPprob slp))
NOT_YET(QSLPprintmemory, slp, (QSLPprob slp))
NOT_YET(QSLPgetmessagetype, nullptr, (int code, int *type))
NOT_YET(QSLPmsaddjob, slp, (QSLPprob slp, const char *description, int ninitial, const int colindex[], const double initvalue[], int nintcontrols, const int intcontrolid[], const int intcontrolvalue[], int ndblcontrols, const int dblcontrolid[], const double dblcontrolvalue[], void *jobobject))
NOT_YET(QSLPmsaddpreset, slp, (QSLPprob slp, const char *description, int preset, int count, void *jobobject))
NOT_YET(QSLPmsaddcustompreset, slp, (QSLPprob slp, const char *description, int preset, int count, int ninitial, const int colindex[], const double initvalue[], int nintcontrols, const int intcontrolid[], const int intcontrolvalue[], int ndblcontrols, const int dblcontrolid[], const double dblcontrolvalue[], void *jobobject))
NOT_YET(QSLPmsclear, slp, (QSLPprob slp))
}  // extern "C"
