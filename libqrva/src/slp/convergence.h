// When the nonlinear solver has converged: the first-order optimality
// (KKT) conditions at a point, measured with the multipliers of the
// linearization there.
#pragma once

#include <vector>

#include "slp/evaluation.h"

namespace qrva {
namespace nlp {

// First-order optimality of pt for row multipliers y (those of the
// linearization at pt, for the sense-adjusted objective): for every column
// and every row, how far a unit step against its gradient of the Lagrangian
// moves it inside its bounds (the projected gradient, 0 at a KKT point: a
// column between its bounds has a zero gradient, one at a bound a gradient
// pushing into that bound; a row's multiplier is zero unless the row sits at
// the bound it pushes against). The rows' residuals are relative to the
// largest term of those gradients, so that the objective's scale does not
// decide convergence. A nonlinear column's is what moving it by its own
// magnitude (at least 1) would change to first order, relative to that
// largest term or the objective where it is larger: a column measured in
// thousands whose gradient is a thousandth moves the Lagrangian as much as
// one measured in units whose gradient is 1, and a test on the bare
// gradient would call the first converged long before it is. A linear
// column's is its reduced cost relative to the same scale.
struct KktResidual {
  double stationarity = 0.0;           // over the columns, each relative
  double complementarity = 0.0;        // over the rows
  double scale = 1.0;                  // the largest term
  std::vector<double> column;          // each column's projected gradient, not scaled
  std::vector<double> relativeColumn;  // and as stationarity measures it
  double worst() const { return std::max(stationarity, complementarity); }
};

KktResidual kktResidual(const Nlp &nlp, const Point &pt, const std::vector<double> &y);

}  // namespace nlp
}  // namespace qrva
