// The tuner's method: the list of trials it runs, each a few control values
// set on top of the problem's own. The built-in lists and the method file
// (its format is documented with QRVAtunerwritemethod in qrva.h).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/validate.h"
#include "model/problem.h"

namespace qrva {

// One control value of a trial (integer controls use i, double ones d).
struct TunerSetting {
  int id = 0;
  int64_t i = 0;
  double d = 0.0;
};

using TunerTrial = std::vector<TunerSetting>;

struct TunerMethod {
  std::vector<TunerTrial> trials;
};

// The trials the tuner runs on p when no method was read: algorithms,
// presolve and scaling for an LP, and for a MIP also cut and heuristic
// effort and threads.
TunerMethod defaultTunerMethod(const qrva_problem_s &p, bool mip);

// The method the tuner runs on p: the one read last, else the built-in one.
TunerMethod tunerMethodOf(const qrva_problem_s &p, bool mip);

// The settings of a trial as "name=value ..." (a file line; "" for none).
std::string trialText(const TunerTrial &trial);

// Writes / reads a method file; a bad file fails through chk naming the
// file and the line.
void writeTunerMethod(const TunerMethod &m, const std::string &path, const Check &chk);
TunerMethod readTunerMethod(const std::string &path, const Check &chk);

}  // namespace qrva
