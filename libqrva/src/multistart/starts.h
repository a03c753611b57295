// The solves of a multistart: every job loaded on the problem, a preset
// giving as many as its count, each with the starting values and control
// settings its copy of the problem gets. Random points come from a
// generator seeded by the optimizer's randomseed and the job's position,
// drawn on the calling thread before any job runs, so the same seed gives
// the same solves whatever the number of threads.
#pragma once

#include <string>
#include <vector>

#include "multistart/jobs.h"

namespace qrva {
namespace ms {

struct Run {
  std::string name;        // the job's description ("<description> #k" for a preset's)
  void *object = nullptr;  // the job's object
  InitialValues initial;   // in the order they are set (a later one wins)
  Settings settings;       // likewise
};

// The solves of slp's jobs, in the order the jobs were added. Columns
// determined by a row and fixed ones keep their initial values. Throws
// Failure when a job no longer fits the problem (a column deleted since it
// was added) and when the solver would refuse the problem (relaxed: its
// continuous relaxation is solved).
std::vector<Run> expandJobs(qslp_problem_s &slp, const Check &chk, bool relaxed);

// A column's sampling box: its bounds, an infinite one QSLP_MS_BOX from the
// other bound (from initial when both are infinite).
struct Box {
  double lo, hi;
};
Box boxOf(double lb, double ub, double initial);

}  // namespace ms
}  // namespace qrva
