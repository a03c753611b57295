// Infeasibility repair: the least weighted relaxation of rows and bounds
// that makes the problem feasible, optionally the best original objective
// within (1 + delta) times that least relaxation, and the problem's own
// rows and bounds relaxed by what the solution needed, solved.
#pragma once

#include "core/validate.h"
#include "model/problem.h"

namespace qrva {

// Preferences per row side and bound: weight 1/preference per unit of
// violation; 0 (or NULL arrays) keeps the row side or bound as it is.
struct RepairWeights {
  std::vector<double> rowLower, rowUpper, colLower, colUpper;  // preferences
  // Largest relaxation of each (empty: none).
  std::vector<double> rowLowerMax, rowUpperMax, colLowerMax, colUpperMax;
};

// Returns a QRVA_REPAIR_* status. phase2: re-optimise the objective within
// the relaxation; mip: keep the discrete columns' conditions.
int repairInfeasibility(qrva_problem_s &p, const Check &chk, const RepairWeights &w, bool phase2, double delta,
                        bool mip, const char *flags);

}  // namespace qrva
