// The solutions a user gives for the next MIP solve (QRVAaddmipsol,
// QRVAloadmipsol, QRVAreadslxsol): each one is checked against the problem
// as it stands when the solve starts, repaired when it is partial or
// infeasible as given, reported to the usersolnotify callbacks, and the
// usable ones are handed to the search as its starting solutions.
#pragma once

#include <string>
#include <vector>

#include "highs/node_lp.h"
#include "model/problem.h"
#include "tree/relaxation.h"

namespace qrva {

struct UserSolution {
  int status = QRVA_USERSOL_REJECTED;  // a QRVA_USERSOL_* value
  std::vector<double> x;  // every column: feasible and repaired solutions only
  double objective = 0.0;  // at x, minimising sense
};

// The LP (or convex QP) of r's problem over the column bounds lo/hi, in
// which the caller has fixed discrete decisions: the indicator rows are in
// force only where lo/hi force their column. x gets the solution when the
// status is Optimal (the caller checks it against r). seconds: the time
// limit (1e20 none); p's interrupt flag stops it.
NodeLp::Status solveWithDecisionsFixed(const qrva_problem_s &p, const tree::Relaxation &r,
                                       const std::vector<double> &lo,
                                       const std::vector<double> &hi, double seconds,
                                       std::vector<double> &x);

// The check of one given solution against p, whose relaxation is r.
// Feasible: every column given and x satisfies every condition of r.
// Otherwise the repair: the given values of discrete columns are fixed,
// the LP (or convex QP) is solved for all other columns with the problem's
// objective, and its solution is checked in the same way.
UserSolution checkUserSolution(const qrva_problem_s &p, const tree::Relaxation &r,
                               const MipStart &start);

// Checks every solution given for p, then calls the usersolnotify
// callbacks with (notify, data, name, status) for each one in the order
// they were given. Returns the usable ones, the best objective first. The
// caller holds p's SigintGuard; a callback that interrupts ends the
// notifications.
std::vector<UserSolution> takeUserSolutions(qrva_problem_s &p, QRVAprob notify,
                                            const tree::Relaxation &r, const char *function);

}  // namespace qrva
