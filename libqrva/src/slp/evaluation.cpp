#include "slp/evaluation.h"

#include <algorithm>
#include <chrono>
#include <cmath>

#include "slp/events.h"

namespace qrva {
namespace nlp {

double violationOf(double act, double lo, double hi) {
  return std::max(0.0, std::max(lo - act, act - hi));
}

double scaledViolation(double act, double lo, double hi) {
  if (act < lo) return (lo - act) / std::max(1.0, std::fabs(lo));
  if (act > hi) return (act - hi) / std::max(1.0, std::fabs(hi));
  return 0.0;
}

namespace {

// Adds one evaluation of a point, its formulas and its time to the counts.
class Counted {
 public:
  Counted(const Nlp &nlp, bool gradients) : counts_(nlp.counts), started_(std::chrono::steady_clock::now()) {
    if (counts_ == nullptr) return;
    ++counts_->points;
    if (gradients) ++counts_->gradients;
    counts_->formulas += static_cast<long long>(formulaCount(nlp));
  }
  ~Counted() {
    if (counts_ != nullptr)
      counts_->nanoseconds += std::chrono::duration_cast<std::chrono::nanoseconds>(
                                  std::chrono::steady_clock::now() - started_)
                                  .count();
  }

 private:
  static size_t formulaCount(const Nlp &nlp) {
    size_t n = 0;
    for (const NonlinearRow &r : nlp.rows) n += r.coefficients.size();
    return n;
  }
  EvaluationCounts *counts_;
  std::chrono::steady_clock::time_point started_;
};

}  // namespace

void evaluate(const Nlp &nlp, Point &pt, bool gradients) {
  Counted counted(nlp, gradients);
  const ProblemStore &s = nlp.s;
  std::vector<double> &x = pt.x;
  pt.ok = false;
  pt.activity.assign(nlp.m, 0.0);
  for (int j = 0; j < nlp.n; ++j)
    if (x[j] != 0.0)
      for (const Entry &e : s.columns[j]) pt.activity[e.index] += e.value * x[j];
  size_t nr = nlp.rows.size();
  pt.nlValue.assign(nr, 0.0);
  pt.nlGrad.assign(nr, Sparse());
  Sparse g;
  for (size_t k = 0; k < nr; ++k) {
    const NonlinearRow &r = nlp.rows[k];
    double value = 0.0;
    Sparse &grad = pt.nlGrad[k];
    for (const auto &cc : r.coefficients) {
      int col = cc.first;
      const SlpCoefficient &c = *cc.second;
      double f = 0.0;
      EvalError err;
      g.clear();
      if (!evaluateFormula(c.formula, x.data(), nlp.call, f, gradients ? &g : nullptr, err)) {
        pt.error = formatText("the formula of coefficient (row %d, column %d) cannot be evaluated: "
                              "%s (token %d)",
                              r.row, col, err.what.c_str(), err.position);
        pt.stop = err.stop;
        if (nlp.events && nlp.events->coefEvalError(r.row, col)) pt.stop = true;
        return;
      }
      if (nlp.events && nlp.events->formulaValue(f)) {
        pt.error = formatText("the formula callback of coefficient (row %d, column %d) asked to stop",
                              r.row, col);
        pt.stop = true;
        return;
      }
      double scale = col >= 0 ? c.factor * x[col] : c.factor;
      value += scale * f;
      if (gradients) {
        for (const auto &e : g) grad.emplace_back(e.first, scale * e.second);
        if (col >= 0) grad.emplace_back(col, c.factor * f);
      }
    }
    if (r.quadratic) {
      // A row's quadratic terms hold v x_i^2 and 2 v x_i x_j.
      for (const auto &t : *r.quadratic) {
        int i = t.first.first, j = t.first.second;
        double v = t.second;
        if (i == j) {
          value += v * x[i] * x[i];
          if (gradients) grad.emplace_back(i, 2.0 * v * x[i]);
        } else {
          value += 2.0 * v * x[i] * x[j];
          if (gradients) grad.emplace_back(i, 2.0 * v * x[j]), grad.emplace_back(j, 2.0 * v * x[i]);
        }
      }
    }
    if (!std::isfinite(value)) {
      pt.error = formatText("the nonlinear part of row %d is not finite", r.row);
      return;
    }
    if (gradients) merge(grad);
    pt.nlValue[k] = value;
    pt.activity[r.row] += value;
  }
  for (const Nlp::Determined &d : nlp.determined) {
    double rest = pt.activity[d.row] - d.coef * pt.x[d.col];
    double v = std::min(std::max((s.rhs[d.row] - rest) / d.coef, s.lb[d.col]), s.ub[d.col]);
    if (nlp.events && nlp.events->determinedColumn(d.row, d.col, v, s.lb[d.col], s.ub[d.col])) {
      pt.error = formatText("the drcol callback of column %d asked to stop", d.col);
      pt.stop = true;
      return;
    }
    v = std::min(std::max(v, s.lb[d.col]), s.ub[d.col]);  // a callback's value, kept in bounds
    pt.activity[d.row] = rest + d.coef * v;
    pt.x[d.col] = v;
  }
  // Objective c'x + 1/2 x'Qx + constant, where Q's diagonal value v stands
  // for 1/2 v x_i^2 and an off-diagonal one for v x_i x_j.
  double obj = s.objConstant;
  for (int j = 0; j < nlp.n; ++j) obj += s.obj[j] * x[j];
  pt.objGrad.clear();
  for (const auto &t : s.qobj) {
    int i = t.first.first, j = t.first.second;
    double v = t.second;
    if (i == j) {
      obj += 0.5 * v * x[i] * x[i];
      if (gradients) pt.objGrad.emplace_back(i, v * x[i]);
    } else {
      obj += v * x[i] * x[j];
      if (gradients) pt.objGrad.emplace_back(i, v * x[j]), pt.objGrad.emplace_back(j, v * x[i]);
    }
  }
  if (gradients) merge(pt.objGrad);
  pt.objective = obj;
  pt.violation = 0.0, pt.worstScaled = 0.0;
  for (const NonlinearRow &r : nlp.rows)
    pt.violation += r.weight * violationOf(pt.activity[r.row], nlp.lo[r.row], nlp.hi[r.row]);
  for (int i = 0; i < nlp.m; ++i)
    pt.worstScaled = std::max(pt.worstScaled, scaledViolation(pt.activity[i], nlp.lo[i], nlp.hi[i]));
  pt.ok = std::isfinite(obj);
  if (!pt.ok) pt.error = "the objective is not finite";
}

bool linearRowsHold(const Nlp &nlp, const Point &pt, double tol) {
  std::vector<char> nonlinear(nlp.m, 0);
  for (const NonlinearRow &r : nlp.rows) nonlinear[r.row] = 1;
  for (int i = 0; i < nlp.m; ++i)
    if (!nonlinear[i] && scaledViolation(pt.activity[i], nlp.lo[i], nlp.hi[i]) > tol) return false;
  return true;
}

}  // namespace nlp
}  // namespace qrva
