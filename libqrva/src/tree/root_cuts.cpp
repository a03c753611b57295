#include "tree/root_cuts.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace qrva {
namespace tree {

namespace {

const double kInf = 1e20;
const double kZero = 1e-11;       // coefficients below this are taken as zero
const double kMinFraction = 0.01;  // least distance of a source value from an integer
const double kMinEfficacy = 1e-5;  // least distance of the LP solution from a cut, per unit norm
const double kMaxDynamism = 1e8;   // largest ratio of a cut's coefficients

bool finite(double b) { return std::fabs(b) < kInf; }

// The LP's rows, row-wise, and its activities, in the combined numbering:
// column j is j, the activity of row i is ncols + i.
struct Tableau {
  const NodeLp &lp;
  int n, m;
  std::vector<double> rowLo, rowHi, value;
  std::vector<int> start, index;

  explicit Tableau(const NodeLp &l) : lp(l), n(l.cols()), m(l.rows()) { lp.rowData(rowLo, rowHi, start, index, value); }
};

bool integerColumn(const Relaxation &r, int j) {
  char t = r.store.colType[j];
  return t == 'I' || t == 'B';
}

// A cut sum d_j x_j >= rhs over the columns: cleaned of tiny coefficients
// (each moved into rhs at the bound that keeps the cut valid), scaled, and
// checked against the LP solution and the incumbent. Null when it fails.
std::shared_ptr<const LpRow> finish(std::vector<double> &d, double rhs, const std::vector<double> &x,
                                    const std::vector<double> &lo, const std::vector<double> &hi,
                                    const std::vector<double> *incumbent) {
  double largest = 0.0;
  for (double v : d) largest = std::max(largest, std::fabs(v));
  if (largest <= kZero) return nullptr;
  auto row = std::make_shared<LpRow>();
  double smallest = largest;
  for (size_t j = 0; j < d.size(); ++j) {
    double v = d[j];
    if (v == 0.0) continue;
    if (std::fabs(v) <= 1e-9 * largest) {
      // v x_j <= |v| max(|lo|, |hi|): dropping the term lowers the side by that.
      double b = v > 0 ? hi[j] : lo[j];
      if (!finite(b)) return nullptr;
      rhs -= v * b;
      continue;
    }
    smallest = std::min(smallest, std::fabs(v));
    row->cols.push_back(static_cast<int>(j)), row->vals.push_back(v / largest);
  }
  if (row->cols.empty() || largest / smallest > kMaxDynamism) return nullptr;
  rhs /= largest;
  rhs -= 1e-9 * (1.0 + std::fabs(rhs));  // room for rounding in the derivation
  double at = 0.0, norm = 0.0;
  for (size_t k = 0; k < row->cols.size(); ++k) at += row->vals[k] * x[row->cols[k]], norm += row->vals[k] * row->vals[k];
  if ((rhs - at) / std::sqrt(norm) < kMinEfficacy) return nullptr;
  if (incumbent) {
    double inc = 0.0;
    for (size_t k = 0; k < row->cols.size(); ++k) inc += row->vals[k] * (*incumbent)[row->cols[k]];
    if (inc < rhs - 1e-6 * (1.0 + std::fabs(rhs))) return nullptr;
  }
  row->lower = rhs;
  return row;
}

// The Gomory mixed-integer cut of basis position p, whose basic column b
// has the fractional value x[b]; null when the row does not give one.
std::shared_ptr<const LpRow> gomoryCut(const Tableau &t, const Relaxation &r, int p, int b,
                                       const std::vector<int> &basic, const std::vector<double> &lo,
                                       const std::vector<double> &hi, const std::vector<double> *incumbent) {
  const NodeLp &lp = t.lp;
  const std::vector<double> &x = lp.x(), &act = lp.rowValues();
  std::vector<double> u;
  if (!lp.basisInverseRow(p, u)) return nullptr;
  // c: the combination u'A over the columns, -u over the activities.
  std::vector<double> c(static_cast<size_t>(t.n + t.m), 0.0);
  for (int i = 0; i < t.m; ++i) {
    if (std::fabs(u[i]) <= kZero) continue;
    for (int k = t.start[i]; k < t.start[i + 1]; ++k) c[t.index[k]] += u[i] * t.value[k];
    c[t.n + i] = -u[i];
  }
  double cb = c[b];
  if (std::fabs(cb) < 1e-9) return nullptr;
  std::vector<char> isBasic(c.size(), 0);
  for (int v : basic) isBasic[v >= 0 ? v : t.n + (-1 - v)] = 1;
  // x_b + sum a_k y'_k = beta with every y'_k >= 0 at 0 in the LP solution:
  // y'_k = y_k - lo_k (atLower) or hi_k - y_k.
  double beta = 0.0;
  std::vector<double> a(c.size(), 0.0);
  std::vector<char> atLower(c.size(), 0);
  for (size_t k = 0; k < c.size(); ++k) {
    if (static_cast<int>(k) == b) continue;
    double ak = c[k] / cb;
    if (std::fabs(ak) <= kZero) continue;
    bool col = static_cast<int>(k) < t.n;
    double v = col ? x[k] : act[k - t.n];
    double l = col ? lo[k] : t.rowLo[k - t.n], h = col ? hi[k] : t.rowHi[k - t.n];
    double tol = 1e-9 * (1.0 + std::fabs(v));
    if (finite(l) && std::fabs(v - l) <= std::max(tol, 1e-7)) {
      atLower[k] = 1, a[k] = ak, beta -= ak * l;
    } else if (finite(h) && std::fabs(v - h) <= std::max(tol, 1e-7)) {
      a[k] = -ak, beta -= ak * h;
    } else if (isBasic[k] && std::fabs(ak) <= 1e-9) {
      continue;  // a basic variable's coefficient, zero but for rounding
    } else {
      return nullptr;
    }
  }
  // The shifted row must give the basic column its LP value.
  if (std::fabs(beta - x[b]) > 1e-6 * (1.0 + std::fabs(x[b]))) return nullptr;
  double f0 = beta - std::floor(beta);
  if (f0 < kMinFraction || f0 > 1.0 - kMinFraction) return nullptr;
  // sum g_k y'_k >= 1, then back to y: sum d_k y_k >= 1 - shift.
  std::vector<double> d(c.size(), 0.0);
  double side = 1.0;
  for (size_t k = 0; k < c.size(); ++k) {
    if (a[k] == 0.0) continue;
    bool col = static_cast<int>(k) < t.n;
    double l = col ? lo[k] : t.rowLo[k - t.n], h = col ? hi[k] : t.rowHi[k - t.n];
    double bound = atLower[k] ? l : h;
    double g;
    if (col && integerColumn(r, static_cast<int>(k)) && bound == std::round(bound)) {
      double fk = a[k] - std::floor(a[k]);
      g = fk <= f0 ? fk / f0 : (1.0 - fk) / (1.0 - f0);
    } else {
      g = a[k] > 0 ? a[k] / f0 : -a[k] / (1.0 - f0);
    }
    if (g == 0.0) continue;
    if (atLower[k])
      d[k] += g, side += g * l;
    else
      d[k] -= g, side -= g * h;
  }
  // Activities become the columns of their rows.
  std::vector<double> dx(d.begin(), d.begin() + t.n);
  for (int i = 0; i < t.m; ++i) {
    double di = d[t.n + i];
    if (di == 0.0) continue;
    for (int k = t.start[i]; k < t.start[i + 1]; ++k) dx[t.index[k]] += di * t.value[k];
  }
  return finish(dx, side, x, lo, hi, incumbent);
}

// The cover cut of original row i on one side (upper: sum a x <= U; else
// sum a x >= L read as sum -a x <= -L); null when it gives none.
std::shared_ptr<const LpRow> coverCut(const Relaxation &r, const RowWise &rows, int i, bool upper,
                                      const std::vector<double> &x, const std::vector<double> &lo,
                                      const std::vector<double> &hi, const std::vector<double> *incumbent) {
  double side = upper ? r.rowHi[i] : r.rowLo[i];
  if (!finite(side)) return nullptr;
  double sign = upper ? 1.0 : -1.0, b = sign * side;
  struct Item {
    int col;
    double w, z;     // weight, value of z (x or 1 - x)
    bool complemented;
  };
  std::vector<Item> items;
  for (int64_t k = rows.start[i]; k < rows.start[i + 1]; ++k) {
    int j = rows.entries[k].index;
    double a = sign * rows.entries[k].value;
    bool binary = integerColumn(r, j) && lo[j] == 0.0 && hi[j] == 1.0;
    if (!binary) {
      double least = a > 0 ? lo[j] : hi[j];
      if (!finite(least)) return nullptr;
      b -= a * least;
    } else if (a > 0) {
      items.push_back(Item{j, a, x[j], false});
    } else if (a < 0) {
      b -= a;  // a x = a - a (1 - x)
      items.push_back(Item{j, -a, 1.0 - x[j], true});
    }
  }
  if (items.size() < 2 || b < 0) return nullptr;
  std::sort(items.begin(), items.end(),
            [](const Item &p, const Item &q) { return (1.0 - p.z) * q.w < (1.0 - q.z) * p.w; });
  double weight = 0.0;
  size_t size = 0;
  while (size < items.size() && weight <= b + 1e-9 * (1.0 + std::fabs(b))) weight += items[size++].w;
  if (weight <= b + 1e-9 * (1.0 + std::fabs(b))) return nullptr;
  std::vector<Item> cover(items.begin(), items.begin() + size);
  // Made minimal, the least valued members leaving first.
  std::sort(cover.begin(), cover.end(), [](const Item &p, const Item &q) { return p.z < q.z; });
  for (size_t k = 0; k < cover.size();) {
    if (weight - cover[k].w > b + 1e-9 * (1.0 + std::fabs(b)) && cover.size() > 2) {
      weight -= cover[k].w;
      cover.erase(cover.begin() + static_cast<long>(k));
    } else {
      ++k;
    }
  }
  // sum_C z <= |C| - 1, as sum -z >= 1 - |C| over the columns.
  std::vector<double> d(x.size(), 0.0);
  double rhs = 1.0 - static_cast<double>(cover.size());
  for (const Item &it : cover) {
    if (it.complemented)
      d[it.col] += 1.0, rhs += 1.0;  // -(1 - x) = x - 1
    else
      d[it.col] -= 1.0;
  }
  return finish(d, rhs, x, lo, hi, incumbent);
}

}  // namespace

RootCuts separateRootCuts(const NodeLp &lp, const Relaxation &r, const std::vector<double> &lo,
                          const std::vector<double> &hi, const std::vector<double> *incumbent, int maxCuts) {
  RootCuts out;
  const std::vector<double> &x = lp.x();
  std::vector<int> basic;
  if (lp.basicVariables(basic)) {
    Tableau t(lp);
    // Sources: basic integer columns, the most fractional first.
    std::vector<std::pair<double, int>> sources;
    for (int p = 0; p < static_cast<int>(basic.size()); ++p) {
      int b = basic[p];
      if (b < 0 || !integerColumn(r, b)) continue;
      double f = x[b] - std::floor(x[b]);
      if (f >= kMinFraction && f <= 1.0 - kMinFraction) sources.push_back({std::fabs(f - 0.5), p});
    }
    std::sort(sources.begin(), sources.end());
    for (const auto &src : sources) {
      if (out.gomory >= maxCuts) break;
      auto cut = gomoryCut(t, r, src.second, basic[src.second], basic, lo, hi, incumbent);
      if (cut) out.rows.push_back(std::move(cut)), ++out.gomory;
    }
  }
  const RowWise &rows = r.store.rowWise();
  std::vector<char> indicator(static_cast<size_t>(r.store.nrows()), 0);
  for (int i : r.indicatorRows) indicator[i] = 1;
  std::vector<char> marked(static_cast<size_t>(r.store.nrows()), 0);
  for (int i : r.markedRows) marked[i] = 1;
  for (int i = 0; i < r.store.nrows() && out.covers < maxCuts; ++i) {
    if (indicator[i] || marked[i]) continue;
    for (bool upper : {true, false}) {
      auto cut = coverCut(r, rows, i, upper, x, lo, hi, incumbent);
      if (cut) out.rows.push_back(std::move(cut)), ++out.covers;
    }
  }
  return out;
}

}  // namespace tree
}  // namespace qrva
