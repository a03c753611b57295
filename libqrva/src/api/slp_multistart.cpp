// Multistart jobs: QSLPmsaddjob, QSLPmsaddpreset, QSLPmsaddcustompreset and
// QSLPmsclear. The jobs run in QSLPnlpoptimize (multistart/runner.*).
#include "multistart/jobs.h"
#include "slp/problem.h"

using qrva::Check;
using qrva::ms::JobArgs;
using S = qslp_problem_s;

namespace {

int addJob(QSLPprob slp, const char *function, const JobArgs &args) {
  return qrva::withSlp(slp, function, [&](S &s) {
    qrva::ms::Job job = qrva::ms::makeJob(s, Check(function), args);
    s.msJobs.push_back(std::move(job));
    return QRVA_OK;
  });
}

JobArgs jobArgs(const char *description, bool isPreset, int preset, int count, int ninitial,
                const int colindex[], const double initvalue[], int nintcontrols,
                const int intcontrolid[], const int intcontrolvalue[], int ndblcontrols,
                const int dblcontrolid[], const double dblcontrolvalue[], void *jobobject) {
  JobArgs a;
  a.description = description, a.isPreset = isPreset, a.preset = preset, a.count = count;
  a.ninitial = ninitial, a.colindex = colindex, a.initvalue = initvalue;
  a.nint = nintcontrols, a.intid = intcontrolid, a.intvalue = intcontrolvalue;
  a.ndbl = ndblcontrols, a.dblid = dblcontrolid, a.dblvalue = dblcontrolvalue;
  a.object = jobobject;
  return a;
}

}  // namespace

extern "C" {

int QSLPmsaddjob(QSLPprob slp, const char *description, int ninitial, const int colindex[],
                 const double initvalue[], int nintcontrols, const int intcontrolid[],
                 const int intcontrolvalue[], int ndblcontrols, const int dblcontrolid[],
                 const double dblcontrolvalue[], void *jobobject) {
  return addJob(slp, "QSLPmsaddjob",
                jobArgs(description, false, qrva::ms::kPlainJob, 1, ninitial, colindex, initvalue,
                        nintcontrols, intcontrolid, intcontrolvalue, ndblcontrols, dblcontrolid,
                        dblcontrolvalue, jobobject));
}

int QSLPmsaddpreset(QSLPprob slp, const char *description, int preset, int count,
                    void *jobobject) {
  return addJob(slp, "QSLPmsaddpreset",
                jobArgs(description, true, preset, count, 0, nullptr, nullptr, 0, nullptr, nullptr, 0,
                        nullptr, nullptr, jobobject));
}

int QSLPmsaddcustompreset(QSLPprob slp, const char *description, int preset, int count,
                          int ninitial, const int colindex[], const double initvalue[],
                          int nintcontrols, const int intcontrolid[],
                          const int intcontrolvalue[], int ndblcontrols,
                          const int dblcontrolid[], const double dblcontrolvalue[],
                          void *jobobject) {
  return addJob(slp, "QSLPmsaddcustompreset",
                jobArgs(description, true, preset, count, ninitial, colindex, initvalue, nintcontrols,
                        intcontrolid, intcontrolvalue, ndblcontrols, dblcontrolid,
                        dblcontrolvalue, jobobject));
}

int QSLPmsclear(QSLPprob slp) {
  return qrva::withSlp(
      slp, "QSLPmsclear",
      [&](S &s) {
        s.msJobs.clear();
        return QRVA_OK;
      },
      false);
}

}  // extern "C"
