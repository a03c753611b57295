// Validation of points of a nonlinear problem: the violations of its rows
// and bounds, and the first-order optimality (KKT) residual of the last
// nonlinear solution with the multipliers it left or fresh ones.
#pragma once

#include <string>
#include <vector>

#include "slp/problem.h"

namespace qrva {

// Violations at a point: sums over every row and column bound (each also
// relative to max(1, |bound|)), the largest of them, and the objective.
struct PointCheck {
  double sumInf = 0.0, sumScaledInf = 0.0;
  double worstAbs = 0.0, worstRel = 0.0;
  std::string worstWhere;  // "row 3", "column 2"; empty when nothing is violated
  double objective = 0.0;
};

// Evaluates the problem of slp (every row with its own bounds, whatever the
// SLP settings of rows) at x, taken as given. row >= 0: that row alone, no
// bounds; *report then describes it. Fails (chk) when a formula cannot be
// evaluated there.
PointCheck checkPoint(qslp_problem_s &slp, const std::vector<double> &x, const Check &chk,
                      int row = -1, std::string *report = nullptr);

struct KktCheck {
  int mode = 0;        // 0: the solution's multipliers; 1: fresh ones
  bool atBoundWithinTolerance = false;
  bool updateMultipliers = false;
};

// The KKT residual (as slpconvtol measures it) of the last nonlinear
// solution sol of slp. With fresh multipliers and updateMultipliers, they
// replace sol's duals and reduced costs.
double kktOfSolution(qslp_problem_s &slp, SlpSolution &sol, const KktCheck &how, const Check &chk);

}  // namespace qrva
