#include "slp/scaling.h"

#include <algorithm>
#include <cmath>

#include "slp/description.h"

namespace qrva {
namespace nlp {
namespace {

const int kPasses = 4;

// The end of column j's entries in starts (one start per column) over
// count entries.
int columnEnd(const std::vector<int> &starts, size_t j, size_t count) {
  return j + 1 < starts.size() ? starts[j + 1] : static_cast<int>(count);
}

double powerOfTwo(double v) { return std::ldexp(1.0, static_cast<int>(std::lround(std::log2(v)))); }

// Smallest and largest |entry| of sp with the factors of f.
void entryRange(const Subproblem &sp, const Scaling &f, double &lo, double &hi) {
  lo = 0.0, hi = 0.0;
  for (size_t j = 0; j < sp.cost.size(); ++j)
    for (int k = sp.start[j]; k < columnEnd(sp.start, j, sp.index.size()); ++k) {
      double a = std::fabs(sp.value[k]) * f.row[sp.index[k]] * f.col[j];
      if (a == 0.0) continue;
      lo = lo == 0.0 ? a : std::min(lo, a);
      hi = std::max(hi, a);
    }
}

double scaledBound(double b, double factor) { return finite(b) ? b * factor : b; }

}  // namespace

Scaling scalingOf(const Subproblem &sp) {
  size_t n = sp.cost.size(), m = sp.rowLower.size();
  Scaling f;
  f.row.assign(m, 1.0), f.col.assign(n, 1.0);
  auto end = [&](size_t j) { return columnEnd(sp.start, j, sp.index.size()); };
  entryRange(sp, f, f.smallest, f.largest);
  std::vector<double> lo(m), hi(m);
  for (int pass = 0; pass < kPasses; ++pass) {
    std::fill(lo.begin(), lo.end(), 0.0), std::fill(hi.begin(), hi.end(), 0.0);
    for (size_t j = 0; j < n; ++j)
      for (int k = sp.start[j]; k < end(j); ++k) {
        double a = std::fabs(sp.value[k]) * f.col[j];
        if (a == 0.0) continue;
        int i = sp.index[k];
        lo[i] = lo[i] == 0.0 ? a : std::min(lo[i], a);
        hi[i] = std::max(hi[i], a);
      }
    for (size_t i = 0; i < m; ++i)
      if (hi[i] > 0.0) f.row[i] = powerOfTwo(1.0 / std::sqrt(lo[i] * hi[i]));
    for (size_t j = 0; j < n; ++j) {
      double cl = 0.0, ch = 0.0;
      for (int k = sp.start[j]; k < end(j); ++k) {
        double a = std::fabs(sp.value[k]) * f.row[sp.index[k]];
        if (a == 0.0) continue;
        cl = cl == 0.0 ? a : std::min(cl, a);
        ch = std::max(ch, a);
      }
      if (ch > 0.0) f.col[j] = powerOfTwo(1.0 / std::sqrt(cl * ch));
    }
  }
  entryRange(sp, f, f.scaledSmallest, f.scaledLargest);
  return f;
}

std::string scalingSummary(const Scaling &f) {
  return formatText("matrix entries from %g to %g become %g to %g", f.smallest, f.largest,
                    f.scaledSmallest, f.scaledLargest);
}

void scale(const Scaling &f, Subproblem &sp) {
  for (size_t j = 0; j < sp.cost.size(); ++j) {
    double c = f.col[j];
    sp.cost[j] *= c;
    sp.colLower[j] = scaledBound(sp.colLower[j], 1.0 / c);
    sp.colUpper[j] = scaledBound(sp.colUpper[j], 1.0 / c);
    for (int k = sp.start[j]; k < columnEnd(sp.start, j, sp.index.size()); ++k) sp.value[k] *= f.row[sp.index[k]] * c;
    if (!sp.qStart.empty()) {
      for (int k = sp.qStart[j]; k < columnEnd(sp.qStart, j, sp.qIndex.size()); ++k) sp.qValue[k] *= c * f.col[sp.qIndex[k]];
    }
  }
  for (size_t i = 0; i < sp.rowLower.size(); ++i) {
    sp.rowLower[i] = scaledBound(sp.rowLower[i], f.row[i]);
    sp.rowUpper[i] = scaledBound(sp.rowUpper[i], f.row[i]);
  }
}

void unscale(const Scaling &f, LpResult &r) {
  for (size_t j = 0; j < r.x.size() && j < f.col.size(); ++j) r.x[j] *= f.col[j];
  for (size_t j = 0; j < r.dj.size() && j < f.col.size(); ++j) r.dj[j] /= f.col[j];
  for (size_t i = 0; i < r.dual.size() && i < f.row.size(); ++i) r.dual[i] *= f.row[i];
}

}  // namespace nlp
}  // namespace qrva
