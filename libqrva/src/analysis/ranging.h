// Sensitivity of an optimal LP basis: cost and right-hand-side ranges from
// HiGHS's ranging, and estimates of how far a row's dual moves when its
// right-hand side leaves its range.
#pragma once

#include "core/validate.h"
#include "model/problem.h"

namespace qrva {

// lower[k], upper[k]: the cost of column colind[k] (objsa) or the
// right-hand side of row rowind[k] (rhssa) between which the current basis
// stays optimal; +-QRVA_INFINITY where unbounded.
void costRanges(qrva_problem_s &p, const Check &chk, int n, const int *colind, double *lower, double *upper);
void rhsRanges(qrva_problem_s &p, const Check &chk, int n, const int *rowind, double *lower, double *upper);
// The least and largest dual of each row over the basis now and the bases
// just beyond both ends of its right-hand-side range, each re-solve
// limited to iterlimit simplex iterations (a re-solve the limit stops
// reports the dual it reached).
void rowDualRanges(qrva_problem_s &p, const Check &chk, int n, const int *rowind, int iterlimit, double *lower,
                   double *upper);

}  // namespace qrva
