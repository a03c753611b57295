// The presolve of one row given by the caller against the problem's column
// bounds, over the columns of the presolved problem (which are the
// problem's own: no presolved problem is kept between calls).
#pragma once

#include <vector>

#include "core/validate.h"
#include "model/store.h"

namespace qrva {

struct PresolvedRow {
  std::vector<int> cols;
  std::vector<double> coefs;
  double rhs = 0.0;
  int status = 0;  // a QRVA_PRESOLVEROW_* status
};

// Row rowtype ('L', 'G' or 'E') of coefs over cols with right-hand side
// rhs: duplicates merged, coefficients at or below matrixTol dropped,
// fixed columns moved into the right-hand side, and the activity bounds
// over the column bounds telling a row that always holds or never can.
PresolvedRow presolveRow(const ProblemStore &s, const Check &chk, char rowtype, int n, const int *cols,
                         const double *coefs, double rhs, double matrixTol, double feasTol);

}  // namespace qrva
