// What a HiGHS run leaves on the problem: LP, MIP and stop statuses,
// iteration and node counts, bound and gap, values over the problem's own
// rows and columns, the basis, and primal or dual rays.
#pragma once

#include <chrono>
#include <vector>

#include "highs/model.h"
#include "highs/solver.h"

namespace qrva {

// Records the run of h (HiGHS model status ms; solutions: the improving MIP
// solutions it reported) on p, in p's own units when h solved the model
// under the user scaling given. discrete: h solved with integrality; ncol,
// nrow: the size of h's model, reformulations included.
void recordRun(void *h, qrva_problem_s &p, SolveKind kind, bool discrete,
               const UserScaling &scaling, int ncol, int nrow,
               int ms, int solutions, std::chrono::steady_clock::time_point started);

// Row slacks (right-hand side minus activity) of the columns' values x.
std::vector<double> rowSlacks(const ProblemStore &s, const std::vector<double> &x);

// The names users see for the LP and MIP status numbers (the package's constants).
const char *lpStatusName(int status);
const char *mipStatusName(int status);

}  // namespace qrva
