// The quasi-Newton term of the nonlinear solver's subproblems.
#pragma once

#include <algorithm>
#include <cstddef>
#include <vector>

#include "slp/evaluation.h"

namespace qrva {
namespace nlp {

// Damped BFGS approximation of the Lagrangian's curvature over the
// nonlinear columns (dense; small problems only).
class QuasiNewton {
 public:
  explicit QuasiNewton(size_t n) : n_(n), b_(n * n, 0.0) {}
  bool active() const { return started_; }
  double at(size_t a, size_t b) const { return b_[a * n_ + b]; }
  void reset() { started_ = false, std::fill(b_.begin(), b_.end(), 0.0); }

  // One step s with the change y of the Lagrangian's gradient along it.
  void update(const std::vector<double> &s, const std::vector<double> &y);

 private:
  static double dot(const std::vector<double> &a, const std::vector<double> &b);
  size_t n_;
  std::vector<double> b_;
  bool started_ = false;
};

// Gradient of the Lagrangian over the nonlinear columns for row duals y.
std::vector<double> lagrangianGradient(const Nlp &nlp, const Point &pt,
                                       const std::vector<double> &y);

}  // namespace nlp
}  // namespace qrva
