#include "slp/convergence.h"

#include <algorithm>
#include <cmath>

namespace qrva {
namespace nlp {
namespace {

double projectedStep(double v, double gradient, double lo, double hi) {
  return std::fabs(v - std::min(std::max(v - gradient, lo), hi));
}

}  // namespace

KktResidual kktResidual(const Nlp &nlp, const Point &pt, const std::vector<double> &y) {
  const ProblemStore &s = nlp.s;
  std::vector<double> g(nlp.n, 0.0);
  double scale = 1.0;
  auto add = [&](int j, double term) {
    g[j] += term;
    scale = std::max(scale, std::fabs(term));
  };
  for (int j = 0; j < nlp.n; ++j) {
    add(j, nlp.sense * s.obj[j]);
    for (const Entry &e : s.columns[j]) add(j, -y[e.index] * e.value);
  }
  for (const auto &e : pt.objGrad) add(e.first, nlp.sense * e.second);
  for (size_t k = 0; k < nlp.rows.size(); ++k)
    for (const auto &e : pt.nlGrad[k]) add(e.first, -y[nlp.rows[k].row] * e.second);
  KktResidual r;
  r.column.resize(nlp.n);
  double lagrangianScale = std::max(scale, std::fabs(pt.objective));
  r.relativeColumn.resize(nlp.n);
  for (int j = 0; j < nlp.n; ++j) {
    r.column[j] = projectedStep(pt.x[j], g[j], s.lb[j], s.ub[j]);
    // A linear column's residual is the linearization's own reduced cost,
    // exact to HiGHS's tolerances whatever the column's size.
    double size = nlp.isNonlinearCol[j] ? std::max(1.0, std::fabs(pt.x[j])) : 1.0;
    r.relativeColumn[j] = r.column[j] * size / lagrangianScale;
    r.stationarity = std::max(r.stationarity, r.relativeColumn[j]);
  }
  for (int i = 0; i < nlp.m; ++i)
    r.complementarity =
        std::max(r.complementarity, projectedStep(pt.activity[i], y[i], nlp.lo[i], nlp.hi[i]));
  r.complementarity /= scale;
  r.scale = scale;
  return r;
}

}  // namespace nlp
}  // namespace qrva
