#include "multistart/jobs.h"

#include <cmath>
#include <type_traits>

#include "slp/problem.h"

namespace qrva {
namespace ms {
namespace {

// The values of both problems' controls, put back when it goes: a job's
// settings are checked by setting them and restoring what was there.
class ControlsRestorer {
 public:
  explicit ControlsRestorer(qslp_problem_s &slp)
      : slp_(slp), slpControls_(slp.controls), optimizerControls_(slp.qprob->controls) {}
  ~ControlsRestorer() {
    slp_.controls.swap(slpControls_);
    slp_.qprob->controls.swap(optimizerControls_);
  }
  ControlsRestorer(const ControlsRestorer &) = delete;
  ControlsRestorer &operator=(const ControlsRestorer &) = delete;

 private:
  qslp_problem_s &slp_;
  std::vector<ParamValue> slpControls_, optimizerControls_;
};

// Sets one control on the library whose catalog has the identifier (the SLP
// library's first); the optimizer's catalog reports identifiers neither has.
template <class Value>
int setOne(qslp_problem_s &slp, int id, Value value, const char *function) {
  const bool isInt = std::is_integral<Value>::value;
  if (slpCatalog().find(id) != nullptr) {
    ParamAccess<qslp_problem_s> access(slp, slpCatalog(), function);
    return isInt ? access.setInt(id, static_cast<int64_t>(value))
                 : access.setDouble(id, static_cast<double>(value));
  }
  ParamAccess<qrva_problem_s> access(*slp.qprob, optimizerCatalog(), function);
  return isInt ? access.setInt(id, static_cast<int64_t>(value))
               : access.setDouble(id, static_cast<double>(value));
}

}  // namespace

const char *presetName(int preset) {
  switch (preset) {
    case QSLP_MSSET_INITIALVALUES: return "msset_initialvalues";
    case QSLP_MSSET_SOLVERS: return "msset_solvers";
    case QSLP_MSSET_SLP_BASIC: return "msset_slp_basic";
    case QSLP_MSSET_SLP_EXTENDED: return "msset_slp_extended";
    case QSLP_MSSET_KNITRO_BASIC: return "msset_knitro_basic";
    case QSLP_MSSET_KNITRO_EXTENDED: return "msset_knitro_extended";
    case QSLP_MSSET_INITIALFILTERED: return "msset_initialfiltered";
    default: return nullptr;
  }
}

int presetLimit(int preset) { return preset == QSLP_MSSET_SOLVERS ? 2 : 0; }

void applySettings(qslp_problem_s &slp, const Settings &settings, const char *function) {
  // A refusal is recorded on the optimizer problem whichever library
  // refused (the SLP problem records its errors there too).
  auto refused = [&](int rc) { throw Failure(rc, slp.qprob->lastError.text); };
  for (const auto &c : settings.ints)
    if (int rc = setOne(slp, c.first, c.second, function)) refused(rc);
  for (const auto &c : settings.dbls)
    if (int rc = setOne(slp, c.first, c.second, function)) refused(rc);
}

Job makeJob(qslp_problem_s &slp, const Check &chk, const JobArgs &a) {
  if (slp.isJobCopy)
    chk.fail("this is the copy a multistart job runs on; add jobs to the problem itself",
             QRVA_ERR_STATE);
  Job job;
  job.description = a.description ? a.description : "";
  job.preset = a.isPreset ? a.preset : kPlainJob, job.count = a.isPreset ? a.count : 1;
  job.object = a.object;
  if (a.isPreset) {
    const char *name = presetName(a.preset);
    if (name == nullptr)
      chk.fail(formatText("preset %d is not one of the QSLP_MSSET_* presets (0 to 6)", a.preset));
    if (a.preset == QSLP_MSSET_KNITRO_BASIC || a.preset == QSLP_MSSET_KNITRO_EXTENDED)
      chk.fail(formatText("preset %d (%s) needs a solver this library does not have", a.preset,
                          name));
    if (a.count < 1)
      chk.fail(formatText("count %d of preset %d (%s) is less than 1", a.count, a.preset, name));
    if (int limit = presetLimit(a.preset))
      if (a.count > limit)
        chk.fail(formatText("count %d of preset %d (%s) is more than its %d jobs", a.count,
                            a.preset, name, limit));
  }
  chk.count(a.ninitial, "ninitial");
  chk.count(a.nint, "nintcontrols");
  chk.count(a.ndbl, "ndblcontrols");
  if (a.ninitial > 0) chk.array(a.colindex, "colindex"), chk.array(a.initvalue, "initvalue");
  if (a.nint > 0) chk.array(a.intid, "intcontrolid"), chk.array(a.intvalue, "intcontrolvalue");
  if (a.ndbl > 0) chk.array(a.dblid, "dblcontrolid"), chk.array(a.dblvalue, "dblcontrolvalue");
  int ncols = slp.qprob->store->ncols();
  for (int k = 0; k < a.ninitial; ++k) {
    chk.col(a.colindex[k], ncols, "colindex", k);
    if (!std::isfinite(a.initvalue[k]))
      chk.fail(formatText("'initvalue' at position %d is %g; initial values are finite", k,
                          a.initvalue[k]));
    job.initial.emplace_back(a.colindex[k], a.initvalue[k]);
  }
  for (int k = 0; k < a.nint; ++k) job.settings.ints.emplace_back(a.intid[k], a.intvalue[k]);
  for (int k = 0; k < a.ndbl; ++k) job.settings.dbls.emplace_back(a.dblid[k], a.dblvalue[k]);
  {
    ControlsRestorer restore(slp);
    applySettings(slp, job.settings, chk.function());
  }
  return job;
}

}  // namespace ms
}  // namespace qrva
