#include "slp/solver.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <memory>

#include "highs/sigint.h"
#include "highs/solver.h"
#include "highs/subproblem.h"
#include "slp/userfunc.h"

namespace qrva {
namespace {

const double kInf = 1e20;
const double kAcceptRatio = 1e-4;     // smallest actual/predicted reduction taken
const double kMinRadius = 1e-12;      // step bounds narrower than this end the solve
const double kMaxRadius = 1e8;
const double kPenaltyGrowth = 10.0;
const double kMaxPenaltyFactor = 1e7; // largest penalty, in units of the starting one
const size_t kMaxQuasiNewtonCols = 400;

using Sparse = std::vector<std::pair<int, double>>;

bool finite(double v) { return std::fabs(v) < kInf; }

// Sorts by column and sums entries of the same column.
void merge(Sparse &g) {
  std::sort(g.begin(), g.end());
  size_t out = 0;
  for (size_t k = 0; k < g.size(); ++k) {
    if (out > 0 && g[out - 1].first == g[k].first) g[out - 1].second += g[k].second;
    else g[out++] = g[k];
  }
  g.resize(out);
}

// --- The problem as the solver sees it ---------------------------------------

struct NonlinearRow {
  int row;
  std::vector<std::pair<int, const SlpCoefficient *>> coefficients;  // (column, coefficient)
  const QuadTerms *quadratic = nullptr;
};

struct Nlp {
  const ProblemStore &s;
  int n = 0, m = 0, sense = 1;
  std::vector<double> lo, hi;  // row bounds
  std::vector<NonlinearRow> rows;
  std::vector<char> isNonlinearCol;
  std::vector<int> nonlinearCols;  // ascending
  // Determined columns: a linear column whose only element lies in a
  // nonlinear equality row takes, at every point, the value that satisfies
  // that row (as the objective transfer column does), so that the merit of
  // a step sees the row's true value instead of its linearization.
  struct Determined {
    int col, row;
    double coef;
  };
  std::vector<Determined> determined;
  UserFunctionCall call;

  explicit Nlp(const ProblemStore &store) : s(store) {}
};

void markColumn(Nlp &nlp, int col) {
  if (col >= 0 && col < nlp.n) nlp.isNonlinearCol[col] = 1;
}

// The LP relaxation (relaxed) keeps every column continuous and drops sets.
void refuseDiscrete(const ProblemStore &s, const Check &chk, bool relaxed) {
  for (int j = 0; j < s.ncols() && !relaxed; ++j)
    if (s.isDiscrete(j))
      chk.fail(formatText("column %d is of type '%c'; nonlinear problems with discrete columns "
                          "are not available yet in this version of the library",
                          j, s.colType[j]),
               QRVA_ERR_NOT_AVAILABLE);
  if (!s.sets.empty() && !relaxed)
    chk.fail("the problem has sets; nonlinear problems with sets are not available yet in this "
             "version of the library",
             QRVA_ERR_NOT_AVAILABLE);
  for (int i = 0; i < s.nrows(); ++i)
    if (s.indicatorCol[i] >= 0)
      chk.fail(formatText("row %d is an indicator row; nonlinear problems with indicators are "
                          "not available yet in this version of the library",
                          i),
               QRVA_ERR_NOT_AVAILABLE);
}

Nlp describe(const ProblemStore &s, const SlpStore *slp, const Check &chk, bool relaxed) {
  refuseDiscrete(s, chk, relaxed);
  Nlp nlp(s);
  nlp.n = s.ncols(), nlp.m = s.nrows();
  nlp.lo.resize(nlp.m), nlp.hi.resize(nlp.m);
  for (int i = 0; i < nlp.m; ++i) rowBounds(s, i, nlp.lo[i], nlp.hi[i]);
  nlp.isNonlinearCol.assign(nlp.n, 0);
  std::map<int, NonlinearRow> rows;
  if (slp) {
    for (const auto &c : slp->coefficients) {
      int row = c.first.first, col = c.first.second;
      if (row < 0 || row >= nlp.m || col < -1 || col >= nlp.n)
        chk.fail(formatText("formula coefficient (row %d, column %d) lies outside the problem "
                            "(%d rows, %d columns)",
                            row, col, nlp.m, nlp.n),
                 QRVA_ERR_STATE);
      for (int j : formulaColumns(c.second.formula)) {
        if (j >= nlp.n)
          chk.fail(formatText("the formula of coefficient (row %d, column %d) uses column %d, "
                              "which the problem no longer has",
                              row, col, j),
                   QRVA_ERR_STATE);
        markColumn(nlp, j);
      }
      markColumn(nlp, col);
      rows[row].row = row;
      rows[row].coefficients.emplace_back(col, &c.second);
    }
  }
  for (const auto &q : s.qrows) {
    rows[q.first].row = q.first;
    rows[q.first].quadratic = &q.second;
    for (const auto &t : q.second) markColumn(nlp, t.first.first), markColumn(nlp, t.first.second);
  }
  for (const auto &t : s.qobj) markColumn(nlp, t.first.first), markColumn(nlp, t.first.second);
  for (auto &r : rows) nlp.rows.push_back(std::move(r.second));
  for (int j = 0; j < nlp.n; ++j)
    if (nlp.isNonlinearCol[j]) nlp.nonlinearCols.push_back(j);
  std::vector<char> determinedRow(nlp.m, 0);
  for (const NonlinearRow &r : nlp.rows)
    if (s.rowType[r.row] == 'E') determinedRow[r.row] = 1;
  for (int j = 0; j < nlp.n; ++j) {
    if (nlp.isNonlinearCol[j] || s.columns[j].size() != 1) continue;
    const Entry &e = s.columns[j][0];
    if (!determinedRow[e.index]) continue;
    determinedRow[e.index] = 0;  // one determined column per row
    nlp.determined.push_back(Nlp::Determined{j, e.index, e.value});
  }
  return nlp;
}

// --- Points --------------------------------------------------------------------

struct Point {
  std::vector<double> x;
  bool ok = false, stop = false;
  std::string error;
  std::vector<double> nlValue;  // nonlinear part of each nonlinear row
  std::vector<Sparse> nlGrad;   // and its gradient
  double objective = 0.0;       // the objective as given (not sense-adjusted)
  Sparse objGrad;               // gradient of the quadratic objective part
  std::vector<double> activity;
  double violation = 0.0;       // sum over nonlinear rows
  double worstScaled = 0.0;     // largest violation of any row, relative to its bound
};

double violationOf(double act, double lo, double hi) {
  return std::max(0.0, std::max(lo - act, act - hi));
}

double scaledViolation(double act, double lo, double hi) {
  if (act < lo) return (lo - act) / std::max(1.0, std::fabs(lo));
  if (act > hi) return (act - hi) / std::max(1.0, std::fabs(hi));
  return 0.0;
}

void evaluate(const Nlp &nlp, Point &pt, bool gradients) {
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
    pt.violation += violationOf(pt.activity[r.row], nlp.lo[r.row], nlp.hi[r.row]);
  for (int i = 0; i < nlp.m; ++i)
    pt.worstScaled = std::max(pt.worstScaled, scaledViolation(pt.activity[i], nlp.lo[i], nlp.hi[i]));
  pt.ok = std::isfinite(obj);
  if (!pt.ok) pt.error = "the objective is not finite";
}

// Damped BFGS approximation of the Lagrangian's curvature over the
// nonlinear columns (dense; small problems only).
class QuasiNewton {
 public:
  explicit QuasiNewton(size_t n) : n_(n), b_(n * n, 0.0) {}
  bool active() const { return started_; }
  double at(size_t a, size_t b) const { return b_[a * n_ + b]; }
  void reset() { started_ = false, std::fill(b_.begin(), b_.end(), 0.0); }

  void update(const std::vector<double> &s, const std::vector<double> &y) {
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

 private:
  static double dot(const std::vector<double> &a, const std::vector<double> &b) {
    double t = 0.0;
    for (size_t k = 0; k < a.size(); ++k) t += a[k] * b[k];
    return t;
  }
  size_t n_;
  std::vector<double> b_;
  bool started_ = false;
};

// The linearization at point pt: columns 0..n-1 are the problem's columns
// (nonlinear ones boxed by their step bounds), then two error vectors per
// nonlinear row priced by the penalty.
Subproblem linearization(const Nlp &nlp, const Point &pt, const std::vector<double> &stepBound,
                         double penalty, const QuasiNewton *qn) {
  const ProblemStore &s = nlp.s;
  int n = nlp.n, nr = static_cast<int>(nlp.rows.size());
  Subproblem sp;
  sp.cost.resize(n + 2 * nr), sp.colLower.resize(n + 2 * nr), sp.colUpper.resize(n + 2 * nr);
  for (int j = 0; j < n; ++j) {
    sp.cost[j] = nlp.sense * s.obj[j];
    sp.colLower[j] = s.lb[j], sp.colUpper[j] = s.ub[j];
  }
  for (const auto &e : pt.objGrad) sp.cost[e.first] += nlp.sense * e.second;
  for (size_t a = 0; a < nlp.nonlinearCols.size(); ++a) {
    int j = nlp.nonlinearCols[a];
    sp.colLower[j] = std::max(s.lb[j], pt.x[j] - stepBound[a]);
    sp.colUpper[j] = std::min(s.ub[j], pt.x[j] + stepBound[a]);
  }
  sp.rowLower = nlp.lo, sp.rowUpper = nlp.hi;
  std::vector<std::vector<Entry>> cols(s.columns.begin(), s.columns.end());
  cols.resize(n + 2 * nr);
  for (int k = 0; k < nr; ++k) {
    int i = nlp.rows[k].row;
    // g(x) ~ g(pt) + grad'(x - pt): the constant part moves the row's bounds.
    double shift = pt.nlValue[k];
    for (const auto &e : pt.nlGrad[k]) {
      shift -= e.second * pt.x[e.first];
      cols[e.first].push_back(Entry{i, e.second});
    }
    if (finite(sp.rowLower[i])) sp.rowLower[i] -= shift;
    if (finite(sp.rowUpper[i])) sp.rowUpper[i] -= shift;
    bool free = !finite(nlp.lo[i]) && !finite(nlp.hi[i]);
    for (int side = 0; side < 2; ++side) {
      int e = n + 2 * k + side;
      sp.cost[e] = penalty;
      sp.colLower[e] = 0.0, sp.colUpper[e] = free ? 0.0 : kInf;
      cols[e].push_back(Entry{i, side == 0 ? 1.0 : -1.0});
    }
  }
  sp.start.assign(1, 0);
  for (size_t j = 0; j < cols.size(); ++j) {
    auto &c = cols[j];
    if (j < static_cast<size_t>(n) && nlp.isNonlinearCol[j]) {
      std::sort(c.begin(), c.end(), [](const Entry &a, const Entry &b) { return a.index < b.index; });
      size_t out = 0;
      for (size_t k = 0; k < c.size(); ++k) {
        if (out > 0 && c[out - 1].index == c[k].index) c[out - 1].value += c[k].value;
        else c[out++] = c[k];
      }
      c.resize(out);
    }
    for (const Entry &e : c)
      if (e.value != 0.0) sp.index.push_back(e.index), sp.value.push_back(e.value);
    sp.start.push_back(static_cast<int>(sp.index.size()));
  }
  sp.start.pop_back();
  if (qn && qn->active()) {
    // 1/2 (x - pt)'B(x - pt): B in the Hessian, -B pt in the cost.
    size_t nc = nlp.nonlinearCols.size();
    sp.qStart.assign(n + 2 * nr, 0);
    std::vector<std::vector<std::pair<int, double>>> lower(n);
    for (size_t a = 0; a < nc; ++a) {
      int ja = nlp.nonlinearCols[a];
      for (size_t b = 0; b < nc; ++b) {
        double v = qn->at(a, b);
        sp.cost[ja] -= v * pt.x[nlp.nonlinearCols[b]];
        if (b >= a && std::fabs(v) > 1e-14) lower[ja].emplace_back(nlp.nonlinearCols[b], v);
      }
    }
    for (int j = 0; j < n; ++j) {
      sp.qStart[j] = static_cast<int>(sp.qIndex.size());
      for (const auto &e : lower[j]) sp.qIndex.push_back(e.first), sp.qValue.push_back(e.second);
    }
    for (int j = n; j < n + 2 * nr; ++j) sp.qStart[j] = static_cast<int>(sp.qIndex.size());
  }
  return sp;
}

// Objective (sense-adjusted) plus linearized violation of the model at x.
double modelMerit(const Nlp &nlp, const Point &pt, const std::vector<double> &x, double penalty,
                  const QuasiNewton *qn, double &linearViolation) {
  const ProblemStore &s = nlp.s;
  double obj = pt.objective;
  for (int j = 0; j < nlp.n; ++j) obj += s.obj[j] * (x[j] - pt.x[j]);
  for (const auto &e : pt.objGrad) obj += e.second * (x[e.first] - pt.x[e.first]);
  double merit = nlp.sense * obj;
  if (qn && qn->active()) {
    size_t nc = nlp.nonlinearCols.size();
    for (size_t a = 0; a < nc; ++a)
      for (size_t b = 0; b < nc; ++b)
        merit += 0.5 * qn->at(a, b) * (x[nlp.nonlinearCols[a]] - pt.x[nlp.nonlinearCols[a]]) *
                 (x[nlp.nonlinearCols[b]] - pt.x[nlp.nonlinearCols[b]]);
  }
  std::vector<double> act(nlp.m, 0.0);
  for (int j = 0; j < nlp.n; ++j)
    if (x[j] != 0.0)
      for (const Entry &e : s.columns[j]) act[e.index] += e.value * x[j];
  linearViolation = 0.0;
  for (size_t k = 0; k < nlp.rows.size(); ++k) {
    int i = nlp.rows[k].row;
    double a = act[i] + pt.nlValue[k];
    for (const auto &e : pt.nlGrad[k]) a += e.second * (x[e.first] - pt.x[e.first]);
    linearViolation += violationOf(a, nlp.lo[i], nlp.hi[i]);
  }
  return merit + penalty * linearViolation;
}

// Gradient of the Lagrangian over the nonlinear columns for row duals y.
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

// The problem with every nonlinear row dropped and the nonlinear columns
// kept as close to x0 as the linear rows allow: a start that the linear
// rows accept.
Subproblem linearProjection(const Nlp &nlp, const std::vector<double> &x0) {
  const ProblemStore &s = nlp.s;
  int n = nlp.n, m = nlp.m, nc = static_cast<int>(nlp.nonlinearCols.size());
  Subproblem sp;
  sp.cost.assign(n + 2 * nc, 0.0);
  sp.colLower = s.lb, sp.colUpper = s.ub;
  sp.colLower.resize(n + 2 * nc, 0.0), sp.colUpper.resize(n + 2 * nc, kInf);
  sp.rowLower = nlp.lo, sp.rowUpper = nlp.hi;
  for (const NonlinearRow &r : nlp.rows) sp.rowLower[r.row] = -kInf, sp.rowUpper[r.row] = kInf;
  std::vector<std::vector<Entry>> cols(s.columns.begin(), s.columns.end());
  cols.resize(n + 2 * nc);
  for (int a = 0; a < nc; ++a) {
    int j = nlp.nonlinearCols[a], row = m + a;
    // x_j - up + down = x0_j, at the cost of |up| + |down|.
    cols[j].push_back(Entry{row, 1.0});
    cols[n + 2 * a].push_back(Entry{row, -1.0});
    cols[n + 2 * a + 1].push_back(Entry{row, 1.0});
    sp.cost[n + 2 * a] = sp.cost[n + 2 * a + 1] = 1.0;
    sp.rowLower.push_back(x0[j]), sp.rowUpper.push_back(x0[j]);
  }
  sp.start.assign(1, 0);
  for (const auto &c : cols) {
    for (const Entry &e : c) sp.index.push_back(e.index), sp.value.push_back(e.value);
    sp.start.push_back(static_cast<int>(sp.index.size()));
  }
  sp.start.pop_back();
  return sp;
}

bool linearRowsHold(const Nlp &nlp, const Point &pt, double tol) {
  std::vector<char> nonlinear(nlp.m, 0);
  for (const NonlinearRow &r : nlp.rows) nonlinear[r.row] = 1;
  for (int i = 0; i < nlp.m; ++i)
    if (!nonlinear[i] && scaledViolation(pt.activity[i], nlp.lo[i], nlp.hi[i]) > tol) return false;
  return true;
}

// --- The iterations ------------------------------------------------------------------

class Solver {
 public:
  Solver(qrva_problem_s &p, Nlp &nlp, const NlpSettings &settings, const Check &chk)
      : p_(p), nlp_(nlp), set_(settings), chk_(chk), lp_(p, settings.echoLpLog, settings.feasTol),
        started_(std::chrono::steady_clock::now()) {}

  NlpOutcome run(const SlpStore *slp) {
    NlpOutcome out;
    Point cur;
    cur.x = startingPoint(nlp_.s, slp, &nlp_.isNonlinearCol);
    evaluate(nlp_, cur, true);
    if (!cur.ok) {
      if (cur.stop) return stopped(out, cur, cur.error);
      chk_.fail(formatText("%s at the starting point; give the columns it uses initial values "
                           "where it is defined (QSLPchgvar)",
                           cur.error.c_str()),
                QRVA_ERR_STATE);
    }
    if (!linearRowsHold(nlp_, cur, set_.feasTol)) {
      LpResult r = lp_.run(linearProjection(nlp_, cur.x), secondsLeft());
      ++out.iterations;
      if (r.outcome == LpOutcome::Infeasible) {
        log("SLP: the linear rows and bounds have no solution");
        out.nlpStatus = kNlpInfeasible;
        return finish(out, cur);
      }
      if (r.outcome == LpOutcome::Optimal) {
        cur.x.assign(r.x.begin(), r.x.begin() + nlp_.n);
        evaluate(nlp_, cur, true);
        if (!cur.ok) {
          if (cur.stop) return stopped(out, cur, cur.error);
          chk_.fail(formatText("%s at the nearest point that satisfies the linear rows",
                               cur.error.c_str()),
                    QRVA_ERR_STATE);
        }
      }
    }
    size_t nc = nlp_.nonlinearCols.size();
    std::vector<double> scale(nc);
    for (size_t a = 0; a < nc; ++a) {
      int j = nlp_.nonlinearCols[a];
      const SlpVariable *v = slp ? findVar(*slp, j) : nullptr;
      scale[a] = v && v->initStepBound > 0 ? v->initStepBound : std::max(1.0, std::fabs(cur.x[j]));
    }
    double radius = 1.0, penalty = std::max(set_.penaltyCost, 1e-6);
    double maxPenalty = penalty * kMaxPenaltyFactor;
    std::unique_ptr<QuasiNewton> qn;
    if (set_.secondOrder && nc > 0 && nc <= kMaxQuasiNewtonCols) qn.reset(new QuasiNewton(nc));
    std::vector<double> stepBound(nc), y(nlp_.m, 0.0), dj(nlp_.n, 0.0);
    if (set_.log > 0)
      log(formatText("SLP: %d rows (%zu nonlinear), %d columns (%zu nonlinear)", nlp_.m,
                     nlp_.rows.size(), nlp_.n, nc));

    while (true) {
      if (int reason = p_.interruptReason.load()) {
        out.stopStatus = reason;
        out.nlpStatus = kNlpUnfinished;
        break;
      }
      if (out.iterations >= set_.iterLimit) {
        out.stopStatus = QRVA_STOP_ITERLIMIT, out.nlpStatus = kNlpUnfinished;
        break;
      }
      if (secondsLeft() <= 0.0) {
        out.stopStatus = QRVA_STOP_TIMELIMIT, out.nlpStatus = kNlpUnfinished;
        break;
      }
      ++out.iterations;
      for (size_t a = 0; a < nc; ++a) stepBound[a] = radius * scale[a];
      LpResult r = lp_.run(linearization(nlp_, cur, stepBound, penalty, qn.get()), secondsLeft());
      if (r.outcome != LpOutcome::Optimal && qn && qn->active()) {
        // A QP HiGHS could not solve: start the curvature again from nothing.
        qn->reset();
        r = lp_.run(linearization(nlp_, cur, stepBound, penalty, nullptr), secondsLeft());
      }
      if (r.outcome == LpOutcome::Unbounded) {
        out.nlpStatus = kNlpUnbounded;
        break;
      }
      if (r.outcome == LpOutcome::Infeasible) {
        out.nlpStatus = kNlpInfeasible;
        break;
      }
      if (r.outcome != LpOutcome::Optimal) {
        int reason = p_.interruptReason.load();
        out.stopStatus = reason ? reason
                                : (r.outcome == LpOutcome::TimeLimit ? QRVA_STOP_TIMELIMIT
                                                                               : 0);
        out.nlpStatus = kNlpUnfinished;
        if (!reason && r.outcome != LpOutcome::TimeLimit)
          log(formatText("SLP: HiGHS could not solve the linearization (model status %d)",
                         r.modelStatus));
        break;
      }
      std::vector<double> xNew(r.x.begin(), r.x.begin() + nlp_.n);
      if (nc == 0) {
        // Nothing nonlinear: the LP's optimum is the problem's.
        cur.x = xNew;
        evaluate(nlp_, cur, true);
        saveDuals(r, y, dj);
        out.nlpStatus = kNlpGloballyOptimal;
        break;
      }
      double linearViolation = 0.0;
      double meritNow = nlp_.sense * cur.objective + penalty * cur.violation;
      double predicted =
          meritNow - modelMerit(nlp_, cur, xNew, penalty, qn.get(), linearViolation);
      double stepRatio = 0.0, relStep = 0.0;
      bool boxReached = false;
      for (size_t a = 0; a < nc; ++a) {
        int j = nlp_.nonlinearCols[a];
        double d = std::fabs(xNew[j] - cur.x[j]);
        stepRatio = std::max(stepRatio, d / scale[a]);
        if (d >= 0.99 * stepBound[a] && xNew[j] > s().lb[j] && xNew[j] < s().ub[j]) boxReached = true;
      }
      for (int j = 0; j < nlp_.n; ++j)
        relStep = std::max(relStep, std::fabs(xNew[j] - cur.x[j]) / std::max(1.0, std::fabs(cur.x[j])));
      bool feasibleNow = cur.worstScaled <= set_.feasTol;

      if (predicted <= 1e-12 * std::max(1.0, std::fabs(meritNow)) || relStep <= 1e-15) {
        // No better point within the step bounds, as far as the model sees.
        saveDuals(r, y, dj);
        if (feasibleNow || linearViolation >= (1.0 - 1e-9) * cur.violation) {
          // The linearization sees no better point (and, when infeasible, no
          // way to reduce the violation, so no penalty helps). Where rows or
          // the objective are flat to first order, moving along the columns
          // may still find one.
          Point moved;
          bool failed = false;
          if (escape(cur, stepBound, scale, penalty, moved, failed)) {
            if (qn) qn->reset();
            cur = std::move(moved);
            radius = std::max(radius, 1.0);
            logIteration(out.iterations, cur, radius, penalty, "moved off a stationary point");
            continue;
          }
          if (failed) return stopped(out, cur, moved.error);
        }
        if (feasibleNow) {
          out.nlpStatus = kNlpLocallyOptimal;
          break;
        }
        if (penalty < maxPenalty) {
          penalty = std::min(maxPenalty, penalty * kPenaltyGrowth);
          logIteration(out.iterations, cur, radius, penalty, "penalty raised");
          continue;
        }
        out.nlpStatus = kNlpLocallyInfeasible;
        break;
      }

      Point trial;
      trial.x = xNew;
      evaluate(nlp_, trial, true);
      if (!trial.ok) {
        if (trial.stop) return stopped(out, cur, trial.error);
        radius = 0.25 * std::min(radius, stepRatio);
        logIteration(out.iterations, cur, radius, penalty, "step refused: " + trial.error);
        if (radius < kMinRadius) {
          out.nlpStatus = feasibleNow ? kNlpLocallyOptimal : kNlpLocallyInfeasible;
          break;
        }
        continue;
      }
      double actual = meritNow - (nlp_.sense * trial.objective + penalty * trial.violation);
      double ratio = actual / predicted;
      if (ratio < 0.75 && trial.violation > cur.violation) {
        // Second-order correction: the rows' curvature took the step off them.
        // The same linearization with the rows' values at the trial point
        // pulls the step back onto them.
        Point corrected = correction(cur, trial, stepBound, penalty, qn.get());
        if (corrected.ok) {
          double actual2 = meritNow - (nlp_.sense * corrected.objective + penalty * corrected.violation);
          if (actual2 > actual) {
            trial = std::move(corrected), actual = actual2, ratio = actual / predicted;
            for (int j = 0; j < nlp_.n; ++j) xNew[j] = trial.x[j];
          }
        }
      }
      if (ratio < kAcceptRatio) {
        radius = 0.25 * std::min(radius, stepRatio);
        logIteration(out.iterations, cur, radius, penalty, "step refused");
        if (radius < kMinRadius) {
          saveDuals(r, y, dj);
          out.nlpStatus = feasibleNow ? kNlpLocallyOptimal : kNlpLocallyInfeasible;
          break;
        }
        continue;
      }
      // The step is taken.
      saveDuals(r, y, dj);
      if (qn) {
        std::vector<double> gNew = lagrangianGradient(nlp_, trial, r.dual);
        std::vector<double> gOld = lagrangianGradient(nlp_, cur, r.dual);
        std::vector<double> sv(nc), yv(nc);
        for (size_t a = 0; a < nc; ++a) {
          int j = nlp_.nonlinearCols[a];
          sv[a] = trial.x[j] - cur.x[j], yv[a] = gNew[a] - gOld[a];
        }
        qn->update(sv, yv);
      }
      double objBefore = cur.objective;
      cur = std::move(trial);
      if (ratio > 0.75 && boxReached) radius = std::min(kMaxRadius, 2.0 * radius);
      else if (ratio < 0.25) radius *= 0.5;
      if (linearViolation > 0.1 * set_.feasTol && !boxReached && penalty < maxPenalty)
        penalty = std::min(maxPenalty, penalty * kPenaltyGrowth);
      logIteration(out.iterations, cur, radius, penalty, "");
      bool feasible = cur.worstScaled <= set_.feasTol;
      double relObj = std::fabs(cur.objective - objBefore) / std::max(1.0, std::fabs(objBefore));
      if (feasible && (relStep <= set_.convTol || (relObj <= 1e-3 * set_.convTol && relStep <= std::sqrt(set_.convTol)))) {
        out.nlpStatus = kNlpLocallyOptimal;
        break;
      }
      if (radius < kMinRadius) {
        out.nlpStatus = feasible ? kNlpLocallyOptimal : kNlpLocallyInfeasible;
        break;
      }
    }
    out.solution.dual = y, out.solution.dj = dj;
    return finish(out, cur);
  }

 private:
  const ProblemStore &s() const { return nlp_.s; }

  // Moves the nonlinear columns one at a time, and then all together, up
  // and down by their step bounds (and by a quarter and a sixteenth of
  // them), and keeps the move with the best merit when that is better than
  // cur's, violates the nonlinear rows no more and keeps the linear rows and
  // bounds. It finds the way off points where the rows or the objective are
  // flat to first order (x^2 >= 1 at 0, -xyz at 0), which no linearization
  // sees. failed: a formula asked the solve to stop (moved.error tells why).
  bool escape(const Point &cur, const std::vector<double> &stepBound,
              const std::vector<double> &scale, double penalty, Point &moved, bool &failed) {
    size_t nc = nlp_.nonlinearCols.size();
    if (nc > kMaxQuasiNewtonCols) return false;
    double best = nlp_.sense * cur.objective + penalty * cur.violation;
    bool found = false;
    for (size_t pick = 0; pick <= nc; ++pick) {  // pick == nc: every column
      if (pick == nc && nc < 2) break;
      for (double fraction : {1.0, 0.25, 0.0625})
        for (double sign : {1.0, -1.0}) {
          Point trial;
          trial.x = cur.x;
          for (size_t a = 0; a < nc; ++a) {
            if (pick != nc && pick != a) continue;
            int j = nlp_.nonlinearCols[a];
            double length = std::max(stepBound[a], scale[a]);
            trial.x[j] = std::min(std::max(cur.x[j] + sign * fraction * length, s().lb[j]), s().ub[j]);
          }
          if (trial.x == cur.x) continue;
          evaluate(nlp_, trial, true);
          if (!trial.ok) {
            if (trial.stop) {
              moved = std::move(trial), failed = true;
              return false;
            }
            continue;
          }
          double merit = nlp_.sense * trial.objective + penalty * trial.violation;
          if (merit < best - 1e-9 * std::max(1.0, std::fabs(best)) &&
              trial.violation <= cur.violation && linearRowsHold(nlp_, trial, set_.feasTol)) {
            best = merit, moved = std::move(trial), found = true;
          }
        }
    }
    return found;
  }

  // The step from cur whose linearized rows take their values at trial.
  Point correction(const Point &cur, const Point &trial, const std::vector<double> &stepBound,
                   double penalty, const QuasiNewton *qn) {
    Point base = cur;
    for (size_t k = 0; k < nlp_.rows.size(); ++k) {
      double v = trial.nlValue[k];
      for (const auto &e : cur.nlGrad[k]) v -= e.second * (trial.x[e.first] - cur.x[e.first]);
      base.nlValue[k] = v;
    }
    Point out;
    LpResult r = lp_.run(linearization(nlp_, base, stepBound, penalty, qn), secondsLeft());
    if (r.outcome != LpOutcome::Optimal) return out;
    out.x.assign(r.x.begin(), r.x.begin() + nlp_.n);
    evaluate(nlp_, out, true);
    return out;
  }

  static const SlpVariable *findVar(const SlpStore &slp, int col) {
    auto it = slp.variables.find(col);
    return it == slp.variables.end() ? nullptr : &it->second;
  }

  double secondsLeft() const {
    if (set_.timeLimit >= kInf) return kInf;
    double used = std::chrono::duration<double>(std::chrono::steady_clock::now() - started_).count();
    return set_.timeLimit - used;
  }

  void saveDuals(const LpResult &r, std::vector<double> &y, std::vector<double> &dj) const {
    // Reported for the problem's own sense.
    for (int i = 0; i < nlp_.m; ++i) y[i] = nlp_.sense * r.dual[i];
    for (int j = 0; j < nlp_.n; ++j) dj[j] = nlp_.sense * r.dj[j];
  }

  void log(const std::string &text) {
    if (set_.log > 0) p_.message(QRVA_MSG_INFO, text);
  }

  void logIteration(int k, const Point &pt, double radius, double penalty, const std::string &note) {
    if (set_.log > 0)
      p_.message(QRVA_MSG_INFO,
                 formatText("SLP %4d  objective %-16.9g infeasibility %-10.3g step bound %-9.3g "
                            "penalty %-9.3g %s",
                            k, pt.objective, pt.violation, radius, penalty, note.c_str()));
  }

  NlpOutcome &stopped(NlpOutcome &out, const Point &cur, const std::string &why) {
    p_.message(QRVA_MSG_ERROR, "SLP: " + why + "; the solve stops");
    int reason = p_.interruptReason.load();
    out.stopStatus = reason ? reason : QRVA_STOP_USER;
    out.nlpStatus = kNlpUnfinished;
    return finish(out, cur);
  }

  NlpOutcome &finish(NlpOutcome &out, const Point &cur) {
    out.objective = cur.objective;
    out.lpIterations = lp_.iterations();
    out.solution.x = cur.x;
    out.solution.slack.resize(nlp_.m);
    for (int i = 0; i < nlp_.m; ++i)
      out.solution.slack[i] = s().rhs[i] - (cur.activity.empty() ? 0.0 : cur.activity[i]);
    if (out.solution.dual.size() != static_cast<size_t>(nlp_.m)) out.solution.dual.assign(nlp_.m, 0.0);
    if (out.solution.dj.size() != static_cast<size_t>(nlp_.n)) out.solution.dj.assign(nlp_.n, 0.0);
    static const char *names[] = {"unstarted", "locally optimal", "globally optimal",
                                  "locally infeasible", "infeasible", "unbounded", "unfinished"};
    log(formatText("SLP: %s after %d iterations, objective %.9g, largest violation %.3g",
                   names[out.nlpStatus], out.iterations, cur.objective, cur.worstScaled));
    return out;
  }

  qrva_problem_s &p_;
  Nlp &nlp_;
  const NlpSettings &set_;
  const Check &chk_;
  LpRunner lp_;
  std::chrono::steady_clock::time_point started_;
};

}  // namespace

NlpSettings settingsOf(const qslp_problem_s &slp) {
  const auto &catalog = slpCatalog();
  auto value = [&](int id) -> const ParamValue & {
    return slp.controls[catalog.indexOf(catalog.find(id))];
  };
  NlpSettings st;
  st.iterLimit = static_cast<int>(value(kSlpIterLimit).i);
  st.log = static_cast<int>(value(kSlpLog).i);
  st.secondOrder = value(kSlpSecondOrder).i != 0;
  st.echoLpLog = value(kSlpEchoOptimizerLog).i != 0;
  st.feasTol = value(kSlpFeasTol).d;
  st.convTol = value(kSlpConvTol).d;
  st.penaltyCost = value(kSlpPenaltyCost).d;
  st.timeLimit = value(kSlpTimeLimit).d;
  st.sense = value(kSlpObjSense).d < 0 ? -1 : 1;
  return st;
}

std::vector<double> startingPoint(const ProblemStore &s, const SlpStore *slp,
                                  const std::vector<char> *nonlinearCols) {
  int n = s.ncols();
  std::vector<double> x(n, 0.0);
  for (int j = 0; j < n; ++j) {
    bool given = false;
    if (slp) {
      auto v = slp->variables.find(j);
      if (v != slp->variables.end() && v->second.hasInitValue) x[j] = v->second.initValue, given = true;
    }
    double lb = s.lb[j], ub = s.ub[j];
    x[j] = std::min(std::max(x[j], lb), ub);
    if (given || nonlinearCols == nullptr || !(*nonlinearCols)[j] || !(ub > lb)) continue;
    double width = finite(lb) && finite(ub) ? ub - lb : kInf;
    if (finite(lb)) x[j] = std::max(x[j], lb + std::min(1e-2 * std::max(1.0, std::fabs(lb)), 0.5 * width));
    if (finite(ub)) x[j] = std::min(x[j], ub - std::min(1e-2 * std::max(1.0, std::fabs(ub)), 0.5 * width));
  }
  return x;
}

NlpOutcome solveNonlinear(qrva_problem_s &p, qslp_problem_s *slp, const NlpSettings &settings,
                          const Check &chk, bool relaxed) {
  Nlp nlp = describe(*p.store, slp ? slp->store.get() : nullptr, chk, relaxed);
  nlp.sense = settings.sense;
  nlp.call = slp ? userFunctionCaller(*slp) : noUserFunctions();
  p.interruptReason.store(0);
  SigintGuard guard(&p);
  Solver solver(p, nlp, settings, chk);
  return solver.run(slp ? slp->store.get() : nullptr);
}

void recordNonlinearSolve(qslp_problem_s &slp, NlpOutcome out, double seconds) {
  slp.state.nlpStatus = out.nlpStatus;
  slp.state.stopStatus = out.stopStatus;
  slp.state.iterations = out.iterations;
  slp.state.objective = out.objective;
  slp.state.solveTime = seconds;
  for (auto &v : slp.store->variables) {
    v.second.oldValue = v.second.value;
    v.second.value = out.solution.x[v.first];
  }
  slp.store->solution = std::move(out.solution);
}

bool needsNonlinearSolver(const qrva_problem_s &p) {
  return !p.store->qrows.empty() ||
         (p.slpLayer != nullptr && !p.slpLayer->store->coefficients.empty());
}

int solveThroughSlp(qrva_problem_s &p, const char *function, bool mip) {
  Check chk(function);
  NlpSettings settings = p.slpLayer ? settingsOf(*p.slpLayer) : NlpSettings{};
  settings.sense = p.store->objSense;
  auto started = std::chrono::steady_clock::now();
  p.changed();
  NlpOutcome out = solveNonlinear(p, p.slpLayer, settings, chk, !mip);
  SolveState &st = p.solve;
  switch (out.nlpStatus) {
    case kNlpLocallyOptimal:
    case kNlpGloballyOptimal: st.lpStatus = QRVA_LP_OPTIMAL; break;
    // Rows still violated where the solve ended prove nothing: only a proof
    // (linear rows and bounds without a solution) reports infeasible.
    case kNlpInfeasible: st.lpStatus = QRVA_LP_INFEAS; break;
    case kNlpUnbounded: st.lpStatus = QRVA_LP_UNBOUNDED; break;
    default: st.lpStatus = QRVA_LP_UNFINISHED; break;
  }
  st.stopStatus = out.stopStatus;
  st.lpObjective = out.objective;
  st.simplexIterations = out.lpIterations;
  st.solveTime = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  Solution &sol = p.solution;
  sol.x = out.solution.x, sol.slack = out.solution.slack;
  sol.dual = out.solution.dual, sol.dj = out.solution.dj;
  sol.hasLp = true;
  if (mip) {
    // Only continuous problems get here (discrete ones are refused).
    bool solved = st.lpStatus == QRVA_LP_OPTIMAL;
    st.mipStatus = solved ? QRVA_MIP_OPTIMAL
                          : (st.lpStatus == QRVA_LP_INFEAS
                                 ? QRVA_MIP_INFEAS
                                 : (st.lpStatus == QRVA_LP_UNBOUNDED ? QRVA_MIP_UNBOUNDED
                                                                     : QRVA_MIP_NO_SOL_FOUND));
    st.mipObjective = out.objective;
    sol.hasMip = solved;
  }
  if (p.slpLayer) recordNonlinearSolve(*p.slpLayer, std::move(out), st.solveTime);
  return QRVA_OK;
}

}  // namespace qrva
