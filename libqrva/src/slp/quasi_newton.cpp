#include "slp/quasi_newton.h"

#include <cmath>

namespace qrva {
namespace nlp {

void QuasiNewton::update(const std::vector<double> &s, const std::vector<double> &y) {
  double ss = dot(s, s), sy = dot(s, y), yy = dot(y, y);
  if (ss < 1e-24) return;
  if (!started_) {
    double gamma = sy > 1e-12 * std::sqrt(ss * yy) ? yy / sy : std::sqrt(yy / ss);
    gamma = std::min(1e4, std::max(1e-4, gamma));
    for (size_t a = 0; a < n_; ++a) b_[a * n_ + a] = gamma;
    started_ = true;
  }
  std::vector<double> bs(n_, 0.0);
  for (size_t a = 0; a < n_; ++a)
    for (size_t b = 0; b < n_; ++b) bs[a] += b_[a * n_ + b] * s[b];
  double sbs = dot(s, bs);
  if (sbs <= 0.0) return;
  // Powell's damping keeps the approximation positive definite.
  std::vector<double> r(y);
  if (sy < 0.2 * sbs) {
    double theta = 0.8 * sbs / (sbs - sy);
    for (size_t a = 0; a < n_; ++a) r[a] = theta * y[a] + (1.0 - theta) * bs[a];
  }
  double sr = dot(s, r);
  if (sr <= 0.0) return;
  for (size_t a = 0; a < n_; ++a)
    for (size_t b = 0; b < n_; ++b)
      b_[a * n_ + b] += r[a] * r[b] / sr - bs[a] * bs[b] / sbs;
}

double QuasiNewton::dot(const std::vector<double> &a, const std::vector<double> &b) {
  double t = 0.0;
  for (size_t k = 0; k < a.size(); ++k) t += a[k] * b[k];
  return t;
}

std::vector<double> lagrangianGradient(const Nlp &nlp, const Point &pt,
                                       const std::vector<double> &y) {
  std::vector<int> pos(nlp.n, -1);
  for (size_t a = 0; a < nlp.nonlinearCols.size(); ++a) pos[nlp.nonlinearCols[a]] = static_cast<int>(a);
  std::vector<double> g(nlp.nonlinearCols.size(), 0.0);
  for (const auto &e : pt.objGrad) g[pos[e.first]] += nlp.sense * e.second;
  for (size_t k = 0; k < nlp.rows.size(); ++k)
    for (const auto &e : pt.nlGrad[k]) g[pos[e.first]] -= y[nlp.rows[k].row] * e.second;
  return g;
}

}  // namespace nlp
}  // namespace qrva
