// Tolerance sets: adding, loading, changing, reading and deleting them.
// They are solver settings, not problem data: changing them keeps the last
// solution.
#include <cmath>

#include "slp/problem.h"

using qrva::Check;
using qrva::formatText;
using qrva::ToleranceSet;
using S = qslp_problem_s;

namespace {

const int kAllTolerances = (1 << qrva::kTolerances) - 1;

std::vector<ToleranceSet> &sets(S &s) { return s.store->tolsets; }

void checkValues(const Check &chk, const double tols[], int64_t n) {
  for (int64_t k = 0; k < n; ++k)
    if (!(tols[k] >= 0.0 && std::isfinite(tols[k])))
      chk.fail(formatText("tolerance %g at position %lld (value %lld of set %lld) is not a "
                          "finite number of 0 or more",
                          tols[k], (long long)k, (long long)(k % qrva::kTolerances),
                          (long long)(k / qrva::kTolerances + 1)));
}

ToleranceSet fromValues(const double tols[]) {
  ToleranceSet t;
  for (int k = 0; k < qrva::kTolerances; ++k) {
    t.tol[k] = tols[k];
    if (tols[k] > 0.0) t.status |= 1 << k;
  }
  return t;
}

void checkSet(const Check &chk, const S &s, int index, const char *name) {
  int n = s.counts().tolsets;
  if (index < 1 || index > n)
    chk.fail(n == 0 ? formatText("%s %d names a tolerance set, but the problem has none", name,
                                 index)
                    : formatText("%s %d is out of range (tolerance sets 1 to %d)", name, index,
                                 n));
}

int addOrLoad(QSLPprob slp, const char *function, bool replace, int ntolsets,
              const double tols[]) {
  return qrva::withSlp(slp, function, [&](S &s) {
    Check chk(function);
    chk.count(ntolsets, "ntolsets");
    if (ntolsets > 0) chk.array(tols, "tols");
    checkValues(chk, tols, int64_t(ntolsets) * qrva::kTolerances);
    if (replace)
      for (const auto &v : s.store->variables)
        if (v.second.tolset > ntolsets)
          chk.fail(formatText("column %d names tolerance set %d, which the %d sets loaded do "
                              "not have",
                              v.first, v.second.tolset, ntolsets));
    if (replace) sets(s).clear();
    for (int k = 0; k < ntolsets; ++k) sets(s).push_back(fromValues(tols + k * qrva::kTolerances));
    return QRVA_OK;
  });
}

}  // namespace

extern "C" {

int QSLPaddtolsets(QSLPprob slp, int ntolsets, const double tols[]) {
  return addOrLoad(slp, "QSLPaddtolsets", false, ntolsets, tols);
}

int QSLPloadtolsets(QSLPprob slp, int ntolsets, const double tols[]) {
  return addOrLoad(slp, "QSLPloadtolsets", true, ntolsets, tols);
}

int QSLPchgtolset(QSLPprob slp, int ntolset, const int *status, const double tols[]) {
  return qrva::withSlp(slp, "QSLPchgtolset", [&](S &s) {
    Check chk("QSLPchgtolset");
    checkSet(chk, s, ntolset, "ntolset");
    if (status && (*status & ~kAllTolerances))
      chk.fail(formatText("status 0x%x has bits beyond the nine tolerances (0x1ff)", *status));
    if (tols) checkValues(chk, tols, qrva::kTolerances);
    ToleranceSet &t = sets(s)[ntolset - 1];
    if (tols) t = fromValues(tols);
    if (status) t.status = *status;
    return QRVA_OK;
  });
}

int QSLPgettolset(QSLPprob slp, int ntolset, int *status, double tols[]) {
  return qrva::withSlp(slp, "QSLPgettolset", [&](S &s) {
    Check chk("QSLPgettolset");
    checkSet(chk, s, ntolset, "ntolset");
    const ToleranceSet &t = sets(s)[ntolset - 1];
    if (status) *status = t.status;
    if (tols)
      for (int k = 0; k < qrva::kTolerances; ++k) tols[k] = t.tol[k];
    return QRVA_OK;
  });
}

int QSLPdeltolsets(QSLPprob slp, int ntolsets, const int index[]) {
  return qrva::withSlp(slp, "QSLPdeltolsets", [&](S &s) {
    Check chk("QSLPdeltolsets");
    chk.count(ntolsets, "ntolsets");
    if (ntolsets > 0) chk.array(index, "index");
    int n = s.counts().tolsets;
    std::vector<char> gone(n + 1, 0);
    for (int k = 0; k < ntolsets; ++k) {
      if (index[k] < 1 || index[k] > n)
        chk.fail(formatText("index %d at position %d is out of range (tolerance sets 1 to %d)",
                            index[k], k, n));
      gone[index[k]] = 1;
    }
    for (const auto &v : s.store->variables)
      if (v.second.tolset > 0 && gone[v.second.tolset])
        chk.fail(formatText("tolerance set %d is used by column %d; give the column another "
                            "set (QSLPchgvar) first",
                            v.second.tolset, v.first));
    std::vector<int> renumbered(n + 1, 0);
    std::vector<ToleranceSet> kept;
    for (int k = 1; k <= n; ++k)
      if (!gone[k]) kept.push_back(sets(s)[k - 1]), renumbered[k] = static_cast<int>(kept.size());
    for (auto &v : s.store->variables) v.second.tolset = renumbered[v.second.tolset];
    sets(s) = std::move(kept);
    return QRVA_OK;
  });
}

}  // extern "C"
