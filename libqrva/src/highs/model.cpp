#include "highs/model.h"

#include <algorithm>
#include <cmath>

namespace qrva {
namespace {

const double kInf = 1e20;
const double kNativeSemiLimit = 1e5;  // HiGHS tightens larger semi-continuous bounds

bool infinite(double v) { return std::fabs(v) >= kInf; }

std::string colName(const ProblemStore &s, int j) {
  return formatText("%d ('%s')", j, s.colNames.get(j).c_str());
}

// Semi-continuous, semi-integer and partially integer columns.
void addSemiColumn(const ProblemStore &s, const Check &chk, Model &m, int j) {
  char t = s.colType[j];
  double lb = s.lb[j], ub = s.ub[j], lim = s.limit[j];
  if (infinite(ub))
    chk.fail(formatText("column %s is %s with an infinite upper bound; give it a finite "
                        "upper bound",
                        colName(s, j).c_str(),
                        t == 'S' ? "semi-continuous" : (t == 'R' ? "semi-integer" : "partially integer")),
             QRVA_ERR_STATE);
  if (t == 'P') {
    if (lim <= lb) return;  // continuous everywhere
    if (lim >= ub) {
      m.integrality[j] = kHighsVarTypeInteger, m.anyIntegral = true;
      return;
    }
    // x = xi + xc: integer part up to the limit, continuous part above it.
    int xi = m.addCol(lb, lim, kHighsVarTypeInteger);
    int xc = m.addCol(0.0, ub - lim, kHighsVarTypeContinuous);
    int z = m.addCol(0.0, 1.0, kHighsVarTypeInteger);
    int r0 = m.addRow(0.0, 0.0);
    m.add(r0, j, 1.0), m.add(r0, xi, -1.0), m.add(r0, xc, -1.0);
    int r1 = m.addRow(-kInf, 0.0);
    m.add(r1, xc, 1.0), m.add(r1, z, -(ub - lim));
    int r2 = m.addRow(0.0, kInf);
    m.add(r2, xi, 1.0), m.add(r2, z, -lim);
    return;
  }
  if (lb < 0)
    chk.fail(formatText("column %s is semi-continuous with a negative lower bound %g",
                        colName(s, j).c_str(), lb),
             QRVA_ERR_STATE);
  double threshold = lim > 0 ? lim : lb;
  int type = t == 'S' ? kHighsVarTypeSemiContinuous : kHighsVarTypeSemiInteger;
  if (ub < kNativeSemiLimit) {
    m.colLower[j] = threshold, m.colUpper[j] = ub, m.integrality[j] = type;
    m.anyIntegral = true;
    return;
  }
  // Large upper bound: x = 0 or threshold <= x <= ub through a binary.
  m.colLower[j] = 0.0, m.colUpper[j] = ub;
  m.integrality[j] = t == 'S' ? kHighsVarTypeContinuous : kHighsVarTypeInteger;
  int z = m.addCol(0.0, 1.0, kHighsVarTypeInteger);
  int r1 = m.addRow(-kInf, 0.0);
  m.add(r1, j, 1.0), m.add(r1, z, -ub);
  int r2 = m.addRow(0.0, kInf);
  m.add(r2, j, 1.0), m.add(r2, z, -threshold);
}

// x_j <= u_j * (sum of z) and x_j >= l_j * (sum of z) for the given binaries.
void linkToBinaries(const ProblemStore &s, const Check &chk, Model &m, int j,
                    const std::vector<int> &z, int set) {
  double lb = s.lb[j], ub = s.ub[j];
  if ((ub > 0 && infinite(ub)) || (lb < 0 && infinite(lb)))
    chk.fail(formatText("set %d: member column %s has an infinite bound; members of a set "
                        "need finite bounds until the engine's own tree search exists",
                        set, colName(s, j).c_str()),
             QRVA_ERR_STATE);
  if (ub > 0) {
    int r = m.addRow(-kInf, 0.0);
    m.add(r, j, 1.0);
    for (int b : z) m.add(r, b, -ub);
  }
  if (lb < 0) {
    int r = m.addRow(0.0, kInf);
    m.add(r, j, 1.0);
    for (int b : z) m.add(r, b, -lb);
  }
}

void addSet(const ProblemStore &s, const Check &chk, Model &m, int k) {
  const SosSet &set = s.sets[k];
  std::vector<size_t> order(set.cols.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::sort(order.begin(), order.end(),
            [&](size_t a, size_t b) { return set.weights[a] < set.weights[b]; });
  size_t n = order.size();
  if (n <= (set.type == '1' ? 1u : 2u)) return;  // nothing to restrict
  size_t nz = set.type == '1' ? n : n - 1;
  std::vector<int> z(nz);
  int card = m.addRow(-kInf, 1.0);
  for (size_t i = 0; i < nz; ++i) {
    z[i] = m.addCol(0.0, 1.0, kHighsVarTypeInteger);
    m.add(card, z[i], 1.0);
  }
  for (size_t i = 0; i < n; ++i) {
    int j = set.cols[order[i]];
    std::vector<int> mine;
    if (set.type == '1') {
      mine.push_back(z[i]);
    } else {
      if (i > 0) mine.push_back(z[i - 1]);
      if (i < nz) mine.push_back(z[i]);
    }
    linkToBinaries(s, chk, m, j, mine, k);
  }
}

// Activity bounds of row i over the column bounds.
void activityBounds(const ProblemStore &s, int i, double &lo, double &hi) {
  const RowWise &rw = s.rowWise();
  lo = hi = 0.0;
  for (int64_t k = rw.start[i]; k < rw.start[i + 1]; ++k) {
    const Entry &e = rw.entries[k];
    char t = s.colType[e.index];
    double l = t == 'S' || t == 'R' ? std::min(0.0, s.lb[e.index]) : s.lb[e.index];
    double u = s.ub[e.index];
    if (e.value > 0) {
      lo += infinite(l) ? -INFINITY : e.value * l;
      hi += infinite(u) ? INFINITY : e.value * u;
    } else {
      lo += infinite(u) ? -INFINITY : e.value * u;
      hi += infinite(l) ? INFINITY : e.value * l;
    }
  }
}

// Indicator row i: enforced only when its binary takes the active value,
// through big-M terms on the binary.
void addIndicator(const ProblemStore &s, const Check &chk, Model &m, int i) {
  int z = s.indicatorCol[i];
  bool activeAtOne = s.indicatorComp[i] == 1;
  double lower = m.rowLower[i], upper = m.rowUpper[i];
  double lo, hi;
  activityBounds(s, i, lo, hi);
  bool needUpper = !infinite(upper) && hi > upper;
  bool needLower = !infinite(lower) && lo < lower;
  if ((needUpper && std::isinf(hi)) || (needLower && std::isinf(lo)))
    chk.fail(formatText("indicator row %d ('%s') has unbounded activity; its columns need "
                        "finite bounds until the engine's own tree search exists",
                        i, s.rowNames.get(i).c_str()),
             QRVA_ERR_STATE);
  int upperRow = i, lowerRow = i;
  if (needUpper && needLower) {
    lowerRow = m.addRow(lower, kInf);
    const RowWise &rw = s.rowWise();
    for (int64_t k = rw.start[i]; k < rw.start[i + 1]; ++k)
      m.add(lowerRow, rw.entries[k].index, rw.entries[k].value);
    m.rowLower[i] = -kInf;
  }
  if (needUpper) {
    double M = hi - upper;  // a'x + M z <= upper + M (active at 1), a'x - M z <= upper (at 0)
    if (activeAtOne) {
      m.add(upperRow, z, M);
      m.rowUpper[upperRow] = upper + M;
    } else {
      m.add(upperRow, z, -M);
    }
  }
  if (needLower) {
    double M = lower - lo;
    if (activeAtOne) {
      m.add(lowerRow, z, -M);
      m.rowLower[lowerRow] = lower - M;
    } else {
      m.add(lowerRow, z, M);
    }
  }
}

}  // namespace

void rowBounds(const ProblemStore &s, int i, double &lower, double &upper) {
  double r = s.rhs[i];
  switch (s.rowType[i]) {
    case 'L': lower = -kInf, upper = r; break;
    case 'G': lower = r, upper = kInf; break;
    case 'E': lower = upper = r; break;
    case 'R': lower = r - s.range[i], upper = r; break;
    default: lower = -kInf, upper = kInf; break;
  }
}

Model buildModel(const ProblemStore &s, const Check &chk, SolveKind kind) {
  Model m;
  int n = s.ncols(), nr = s.nrows();
  m.cost = s.obj, m.colLower = s.lb, m.colUpper = s.ub;
  m.storeCols = &s.columns;
  m.integrality.assign(n, kHighsVarTypeContinuous);
  m.rowLower.resize(nr), m.rowUpper.resize(nr);
  for (int i = 0; i < nr; ++i) rowBounds(s, i, m.rowLower[i], m.rowUpper[i]);
  if (!s.qrows.empty())
    chk.fail(formatText("the problem has %zu rows with quadratic terms; quadratic constraints "
                        "are not available yet in this version of the library",
                        s.qrows.size()),
             QRVA_ERR_NOT_AVAILABLE);
  bool discrete = !s.sets.empty();
  for (int j = 0; j < n && !discrete; ++j) discrete = s.isDiscrete(j);
  if (kind == SolveKind::Lp || !discrete) {
    // The relaxation: integrality, sets and indicator rows dropped.
    for (int j = 0; j < n; ++j)
      if (s.colType[j] == 'S' || s.colType[j] == 'R') m.colLower[j] = std::min(0.0, s.lb[j]);
    for (int i = 0; i < nr; ++i)
      if (s.indicatorCol[i] >= 0) m.rowLower[i] = -kInf, m.rowUpper[i] = kInf;
    return m;
  }
  if (!s.qobj.empty())
    chk.fail("the problem has a quadratic objective and discrete columns or sets; mixed-integer "
             "quadratic problems are not available yet in this version of the library",
             QRVA_ERR_NOT_AVAILABLE);
  for (int j = 0; j < n; ++j) {
    switch (s.colType[j]) {
      case 'I': m.integrality[j] = kHighsVarTypeInteger, m.anyIntegral = true; break;
      case 'B':
        m.integrality[j] = kHighsVarTypeInteger, m.anyIntegral = true;
        m.colLower[j] = std::max(m.colLower[j], 0.0), m.colUpper[j] = std::min(m.colUpper[j], 1.0);
        break;
      case 'S': case 'R': case 'P': addSemiColumn(s, chk, m, j); break;
      default: break;
    }
  }
  for (size_t k = 0; k < s.sets.size(); ++k) addSet(s, chk, m, static_cast<int>(k));
  for (int i = 0; i < nr; ++i)
    if (s.indicatorCol[i] >= 0) addIndicator(s, chk, m, i);
  return m;
}

// Symmetric positive semidefiniteness of the quadratic objective (minimizing;
// negative semidefinite when maximizing), by a dense LDL' on the columns that
// appear in it. Larger objectives are left to HiGHS.
bool convexObjective(const ProblemStore &s) {
  if (s.qobj.empty()) return true;
  std::vector<int> cols;
  for (const auto &t : s.qobj) cols.push_back(t.first.first), cols.push_back(t.first.second);
  std::sort(cols.begin(), cols.end());
  cols.erase(std::unique(cols.begin(), cols.end()), cols.end());
  size_t n = cols.size();
  if (n > 1500) return true;
  std::vector<double> a(n * n, 0.0);
  auto at = [&](int c) { return static_cast<size_t>(std::lower_bound(cols.begin(), cols.end(), c) - cols.begin()); };
  double scale = 0.0;
  for (const auto &t : s.qobj) {
    size_t i = at(t.first.first), j = at(t.first.second);
    double v = t.second * s.objSense;
    a[i * n + j] = a[j * n + i] = v;
    scale = std::max(scale, std::fabs(v));
  }
  double tol = 1e-9 * std::max(1.0, scale);
  for (size_t k = 0; k < n; ++k) {
    double d = a[k * n + k];
    if (d < -tol) return false;
    if (d <= tol) {
      for (size_t i = k + 1; i < n; ++i)
        if (std::fabs(a[i * n + k]) > tol * 10) return false;
      continue;
    }
    for (size_t i = k + 1; i < n; ++i) {
      double f = a[i * n + k] / d;
      if (f == 0.0) continue;
      for (size_t j = k + 1; j < n; ++j) a[i * n + j] -= f * a[k * n + j];
    }
  }
  return true;
}

UserScaling userScaling(const ProblemStore &s, const Model &m) {
  UserScaling u;
  s.scaleFactors(u.row, u.col);
  if (!u.active()) return u;
  // What the reformulations add keeps factor 1.
  u.row.resize(m.rowLower.size(), 1.0), u.col.resize(m.cost.size(), 1.0);
  for (int j = 0; j < s.ncols(); ++j)
    if (m.anyIntegral && m.integrality[static_cast<size_t>(j)] != kHighsVarTypeContinuous) u.col[j] = 1.0;
  return u;
}

void UserScaling::unscale(std::vector<double> &x, std::vector<double> &dj, std::vector<double> &act,
                          std::vector<double> &dual) const {
  if (!active()) return;
  for (size_t j = 0; j < col.size(); ++j) x[j] *= col[j], dj[j] /= col[j];
  for (size_t i = 0; i < row.size(); ++i) act[i] /= row[i], dual[i] *= row[i];
}

namespace {

// R A C, C c and the bounds of the scaled columns (divided by C) and rows
// (times R); infinite bounds stay infinite.
void scaleModel(Model &m, const std::vector<HighsInt> &start, const std::vector<HighsInt> &index,
                std::vector<double> &value) {
  const UserScaling &u = m.scaling;
  for (size_t j = 0; j < u.col.size(); ++j) {
    for (HighsInt k = start[j]; k < start[j + 1]; ++k) value[k] *= u.row[index[k]] * u.col[j];
    m.cost[j] *= u.col[j];
    if (!infinite(m.colLower[j])) m.colLower[j] /= u.col[j];
    if (!infinite(m.colUpper[j])) m.colUpper[j] /= u.col[j];
  }
  for (size_t i = 0; i < u.row.size(); ++i) {
    if (!infinite(m.rowLower[i])) m.rowLower[i] *= u.row[i];
    if (!infinite(m.rowUpper[i])) m.rowUpper[i] *= u.row[i];
  }
}

}  // namespace

void transferModel(void *h, Model &m, const qrva_problem_s &p, const Check &chk) {
  const ProblemStore &s = *p.store;
  int n = s.ncols(), nr = s.nrows();
  bool discrete = m.anyIntegral;
  int ncol = static_cast<int>(m.cost.size()), nrow = static_cast<int>(m.rowLower.size());
  std::vector<HighsInt> start, index;
  std::vector<double> value;
  m.flatten(start, index, value);
  const UserScaling &u = m.scaling;
  if (u.active()) scaleModel(m, start, index, value);
  // Our infinity (1e20) as HiGHS's own, so that it neither warns about nor
  // rescales bounds that are meant to be absent.
  for (std::vector<double> *bounds : {&m.colLower, &m.colUpper, &m.rowLower, &m.rowUpper})
    for (double &b : *bounds)
      if (infinite(b)) b = b > 0 ? HUGE_VAL : -HUGE_VAL;
  int sense = s.objSense == -1 ? kHighsObjSenseMaximize : kHighsObjSenseMinimize;
  HighsInt rc = Highs_passModel(h, ncol, nrow, static_cast<HighsInt>(index.size()), 0,
                                kHighsMatrixFormatColwise, 0, sense, s.objConstant,
                                m.cost.data(), m.colLower.data(), m.colUpper.data(),
                                m.rowLower.data(), m.rowUpper.data(), start.data(),
                                index.data(), value.data(), nullptr, nullptr, nullptr,
                                discrete ? m.integrality.data() : nullptr);
  if (rc == kHighsStatusError)
    chk.fail("HiGHS refused the model (see the log for the reason)", QRVA_ERR_SOLVER);
  if (!s.qobj.empty()) {
    // Lower triangle, column-wise.
    std::vector<std::vector<Entry>> q(n);
    for (const auto &t : s.qobj) {
      double f = u.active() ? u.col[t.first.first] * u.col[t.first.second] : 1.0;
      q[t.first.first].push_back(Entry{t.first.second, t.second * f});
    }
    std::vector<HighsInt> qs(n + 1, 0), qi;
    std::vector<double> qv;
    for (int j = 0; j < n; ++j) {
      std::sort(q[j].begin(), q[j].end(), [](const Entry &a, const Entry &b) { return a.index < b.index; });
      for (const Entry &e : q[j]) qi.push_back(e.index), qv.push_back(e.value);
      qs[j + 1] = static_cast<HighsInt>(qi.size());
    }
    if (Highs_passHessian(h, n, static_cast<HighsInt>(qi.size()), kHighsHessianFormatTriangular,
                          qs.data(), qi.data(), qv.data()) == kHighsStatusError)
      chk.fail("HiGHS refused the quadratic objective", QRVA_ERR_SOLVER);
  }
  if (!discrete && !m.extended && p.basis.known &&
      static_cast<int>(p.basis.cols.size()) == n && static_cast<int>(p.basis.rows.size()) == nr) {
    std::vector<HighsInt> cb(p.basis.cols.begin(), p.basis.cols.end()),
        rb(p.basis.rows.begin(), p.basis.rows.end());
    Highs_setBasis(h, cb.data(), rb.data());  // a basis HiGHS refuses just means a cold start
  }
}

void transferStart(void *h, const Model &m, const std::vector<double> &x) {
  // The original columns come first in the model; the binaries of a
  // reformulation after them are left for HiGHS to complete.
  std::vector<HighsInt> idx(x.size());
  for (size_t j = 0; j < x.size(); ++j) idx[j] = static_cast<HighsInt>(j);
  std::vector<double> values = x;
  if (m.scaling.active())
    for (size_t j = 0; j < values.size(); ++j) values[j] /= m.scaling.col[j];
  Highs_setSparseSolution(h, static_cast<HighsInt>(idx.size()), idx.data(), values.data());
}

}  // namespace qrva
