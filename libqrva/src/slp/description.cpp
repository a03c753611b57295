#include "slp/description.h"

#include <algorithm>
#include <map>

#include "highs/solver.h"

namespace qrva {
namespace nlp {
namespace {

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
  for (int i = 0; i < s.nrows() && !relaxed; ++i)
    if (s.indicatorCol[i] >= 0)
      chk.fail(formatText("row %d is an indicator row; nonlinear problems with indicators are "
                          "not available yet in this version of the library",
                          i),
               QRVA_ERR_NOT_AVAILABLE);
}

}  // namespace

void merge(Sparse &g) {
  std::sort(g.begin(), g.end());
  size_t out = 0;
  for (size_t k = 0; k < g.size(); ++k) {
    if (out > 0 && g[out - 1].first == g[k].first) g[out - 1].second += g[k].second;
    else g[out++] = g[k];
  }
  g.resize(out);
}

Nlp describe(const ProblemStore &s, const SlpStore *slp, const Check &chk, bool relaxed) {
  refuseDiscrete(s, chk, relaxed);
  Nlp nlp(s);
  nlp.n = s.ncols(), nlp.m = s.nrows();
  nlp.lo.resize(nlp.m), nlp.hi.resize(nlp.m);
  for (int i = 0; i < nlp.m; ++i) rowBounds(s, i, nlp.lo[i], nlp.hi[i]);
  std::vector<char> ignored(nlp.m, 0);
  // In a relaxation an indicator row holds where the bounds fix its column
  // at the value that switches it on (a search's node bounds are integral);
  // elsewhere it is left to branching.
  for (int i = 0; i < nlp.m && relaxed; ++i)
    if (s.indicatorCol[i] >= 0 && !s.indicatorFixedOn(i, s.lb, s.ub, 1e-9)) {
      ignored[i] = 1;
      nlp.lo[i] = -kInf, nlp.hi[i] = kInf;
    }
  if (slp)
    for (const auto &r : slp->rows)
      if (r.first < nlp.m && (r.second.status & QSLP_ROWSTATUS_IGNORED)) {
        ignored[r.first] = 1;
        nlp.lo[r.first] = -kInf, nlp.hi[r.first] = kInf;
      }
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
  if (slp)
    for (const auto &f : slp->derivativeFactors) {
      auto r = rows.find(f.first.first);
      if (r != rows.end()) r->second.derivativeFactors[f.first.second] = f.second;
    }
  for (auto &r : rows) {
    if (slp) {
      SlpRow settings = slp->rowOf(r.first);
      r.second.weight = settings.weight;
      r.second.enforced = (settings.status & QSLP_ROWSTATUS_ENFORCED) != 0;
    }
    nlp.rows.push_back(std::move(r.second));
  }
  for (int j = 0; j < nlp.n; ++j)
    if (nlp.isNonlinearCol[j]) nlp.nonlinearCols.push_back(j);
  std::vector<char> determinedRow(nlp.m, 0);
  for (const NonlinearRow &r : nlp.rows)
    if (s.rowType[r.row] == 'E' && !ignored[r.row]) determinedRow[r.row] = 1;
  for (int j = 0; j < nlp.n; ++j) {
    if (nlp.isNonlinearCol[j] || s.columns[j].size() != 1) continue;
    const Entry &e = s.columns[j][0];
    if (!determinedRow[e.index]) continue;
    determinedRow[e.index] = 0;  // one determined column per row
    nlp.determined.push_back(Nlp::Determined{j, e.index, e.value});
  }
  return nlp;
}

}  // namespace nlp
}  // namespace qrva
