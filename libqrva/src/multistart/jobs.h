// Multistart jobs as an SLP problem keeps them: a plain job (initial values
// and control settings) or a preset that stands for several, with the
// object the caller gave it. Jobs are checked when they are added, so that a
// refused one leaves the problem as it was.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "core/validate.h"

struct qslp_problem_s;

namespace qrva {
namespace ms {

// Control values for a job's copy of the problem, in the order they are
// set: identifiers of the SLP library's controls or of the optimizer's.
struct Settings {
  std::vector<std::pair<int, int64_t>> ints;
  std::vector<std::pair<int, double>> dbls;

  void append(const Settings &more) {
    ints.insert(ints.end(), more.ints.begin(), more.ints.end());
    dbls.insert(dbls.end(), more.dbls.begin(), more.dbls.end());
  }
};

using InitialValues = std::vector<std::pair<int, double>>;  // (column, value)

const int kPlainJob = -1;  // Job::preset of a job that is not a preset

struct Job {
  std::string description;
  int preset = kPlainJob;  // QSLP_MSSET_* or kPlainJob
  int count = 1;           // the preset's jobs
  InitialValues initial;   // set after the preset's own
  Settings settings;       // likewise
  void *object = nullptr;  // the caller's, handed back to the callbacks
};

// What a caller passes for one job (the arrays as the C functions take them).
struct JobArgs {
  const char *description = nullptr;
  bool isPreset = false;  // QSLPmsaddpreset / QSLPmsaddcustompreset: preset and count given
  int preset = kPlainJob, count = 1;
  int ninitial = 0;
  const int *colindex = nullptr;
  const double *initvalue = nullptr;
  int nint = 0;
  const int *intid = nullptr;
  const int *intvalue = nullptr;
  int ndbl = 0;
  const int *dblid = nullptr;
  const double *dblvalue = nullptr;
  void *object = nullptr;
};

// Checks the arguments of a job against the problem (columns, values,
// preset and count, each control's identifier, type and range) and makes
// the job. Throws Failure naming the argument; nothing of the problem
// changes.
Job makeJob(qslp_problem_s &slp, const Check &chk, const JobArgs &args);

// Sets the controls of settings on slp and the optimizer problem below it.
// Throws Failure (function's name first) at the first one refused; the
// controls set before it stay set.
void applySettings(qslp_problem_s &slp, const Settings &settings, const char *function);

// The number of the preset's jobs at most (0: no limit), and the preset's
// name as the module knows it.
int presetLimit(int preset);
const char *presetName(int preset);

}  // namespace ms
}  // namespace qrva
