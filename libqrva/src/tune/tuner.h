// The tuner: runs the trials of a method on a problem, each a solve with a
// few controls changed, and keeps the settings of the best.
#pragma once

#include "core/validate.h"
#include "model/problem.h"

namespace qrva {

// Tunes p (flags as QRVAtune takes them) and leaves the best trial's
// settings set on it.
void tune(qrva_problem_s &p, const Check &chk, const char *flags);

}  // namespace qrva
