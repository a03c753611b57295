#include "slp/tolerances.h"

#include <algorithm>
#include <cmath>

namespace qrva {

bool withinTolerances(const ToleranceSet &set, const ColumnStep &c) {
  if (set.status != 0 && c.atStepBound) return false;
  double d = std::fabs(c.step);
  const double measured[kTolerances] = {
      d,                                      // QSLP_TOL_ABSSTEP
      d / std::max(1.0, std::fabs(c.x)),      // QSLP_TOL_RELSTEP
      c.stepBound > 0 ? d / c.stepBound : d,  // QSLP_TOL_STEPBOUND
      c.rowImpact,                            // QSLP_TOL_ABSIMPACT
      c.relRowImpact,                         // QSLP_TOL_RELIMPACT
      c.objImpact,                            // QSLP_TOL_ABSOBJIMPACT
      c.relObjImpact,                         // QSLP_TOL_RELOBJIMPACT
      c.reducedCost,                          // QSLP_TOL_ABSREDCOST
      c.relReducedCost,                       // QSLP_TOL_RELREDCOST
  };
  for (int k = 0; k < kTolerances; ++k)
    if ((set.status >> k & 1) && measured[k] > set.tol[k]) return false;
  return true;
}

}  // namespace qrva
