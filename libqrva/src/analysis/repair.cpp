#include "analysis/repair.h"

#include <cmath>

#include "highs/solver.h"

namespace qrva {

namespace {

const double kInf = 1e20;
bool finite(double b) { return std::fabs(b) < kInf; }

// One way the elastic problem may violate the original: a row side or a
// column bound, with its weight and the elastic column that measures it.
struct Violation {
  bool row;
  int index;
  bool lower;  // the lower side / bound
  double weight;
  int col;
};

bool solvedWell(const qrva_problem_s &q, bool mip) {
  return mip ? (q.solve.mipStatus == QRVA_MIP_OPTIMAL || q.solve.mipStatus == QRVA_MIP_SOLUTION)
             : q.solve.lpStatus == QRVA_LP_OPTIMAL;
}

bool stopped(const qrva_problem_s &q) { return q.solve.stopStatus != 0; }

}  // namespace

int repairInfeasibility(qrva_problem_s &p, const Check &chk, const RepairWeights &w, bool phase2, double delta,
                        bool mip, const char *flags) {
  const ProblemStore &s = *p.store;
  int m = s.nrows(), n = s.ncols();
  if (std::isnan(delta) || delta < 0) chk.fail(formatText("delta is %g; it must be a number >= 0", delta));
  auto pref = [&](const std::vector<double> &v, int k, const char *name) {
    if (v.empty()) return 0.0;
    double x = v[k];
    if (std::isnan(x) || x < 0)
      chk.fail(formatText("'%s' at position %d is %g; a preference must be a number >= 0", name, k, x));
    return x;
  };
  // The elastic problem: the original with one column per relaxable side.
  qrva_problem_s elastic;
  elastic.controls = p.controls;
  elastic.store = std::make_unique<ProblemStore>(s);
  ProblemStore &e = *elastic.store;
  if (!mip)
    for (char &t : e.colType) t = 'C';
  std::vector<Violation> vio;
  auto most = [&](const std::vector<double> &v, int k, const char *name) {
    if (v.empty()) return kInf;
    if (std::isnan(v[k]) || v[k] < 0)
      chk.fail(formatText("'%s' at position %d is %g; a largest relaxation must be a number >= 0", name, k, v[k]));
    return v[k];
  };
  auto addElastic = [&](bool row, int index, bool lower, double preference, double inf) {
    if (preference <= 0) return;
    double zero = 0.0, weight = 1.0 / preference;
    e.appendCols(1, &zero, &zero, &inf);
    int col = e.ncols() - 1;
    vio.push_back(Violation{row, index, lower, weight, col});
    if (row) {
      e.setElement(index, col, lower ? 1.0 : -1.0);
    } else {
      // x_j + v >= lb_j (or x_j - v <= ub_j) replaces the bound.
      char type = lower ? 'G' : 'L';
      double rhs = lower ? s.lb[index] : s.ub[index], range = 0.0;
      e.appendRows(1, &type, &rhs, &range);
      int r = e.nrows() - 1;
      e.setElement(r, index, 1.0);
      e.setElement(r, col, lower ? 1.0 : -1.0);
      (lower ? e.lb[index] : e.ub[index]) = lower ? -kInf : kInf;
    }
  };
  for (int i = 0; i < m; ++i) {
    double lo, up;
    rowBounds(s, i, lo, up);
    if (finite(lo)) addElastic(true, i, true, pref(w.rowLower, i, "lrp"), most(w.rowLowerMax, i, "lrb"));
    if (finite(up)) addElastic(true, i, false, pref(w.rowUpper, i, "grp"), most(w.rowUpperMax, i, "grb"));
  }
  for (int j = 0; j < n; ++j) {
    if (finite(s.lb[j])) addElastic(false, j, true, pref(w.colLower, j, "lbp"), most(w.colLowerMax, j, "lbb"));
    if (finite(s.ub[j])) addElastic(false, j, false, pref(w.colUpper, j, "ubp"), most(w.colUpperMax, j, "ubb"));
  }
  SolveKind kind = mip ? SolveKind::Mip : SolveKind::Lp;
  // Phase 1: the least weighted violation.
  std::fill(e.obj.begin(), e.obj.end(), 0.0);
  e.qobj.clear();
  e.objConstant = 0.0, e.objSense = 1;
  for (const Violation &v : vio) e.obj[v.col] = v.weight;
  solveWithHighs(elastic, "QRVArepairinfeas", kind, flags);
  if (stopped(elastic)) return QRVA_REPAIR_STOPPED;
  if (!solvedWell(elastic, mip)) return QRVA_REPAIR_INFEASIBLE;
  double least = mip ? elastic.solve.mipObjective : elastic.solve.lpObjective;
  if (phase2) {
    // Phase 2: the original objective, the weighted violation at most
    // (1 + delta) times the least.
    for (int j = 0; j < n; ++j) e.obj[j] = s.obj[j];
    for (const Violation &v : vio) e.obj[v.col] = 0.0;
    e.qobj = s.qobj, e.objConstant = s.objConstant, e.objSense = s.objSense;
    char type = 'L';
    double rhs = least * (1.0 + delta) + 1e-9 * (1.0 + least), range = 0.0;
    e.appendRows(1, &type, &rhs, &range);
    int r = e.nrows() - 1;
    for (const Violation &v : vio) e.setElement(r, v.col, v.weight);
    solveWithHighs(elastic, "QRVArepairinfeas", kind, flags);
    if (stopped(elastic)) return QRVA_REPAIR_STOPPED;
    if (!solvedWell(elastic, mip)) return QRVA_REPAIR_NOT_OPTIMAL;
  }
  // The problem's rows and bounds relaxed by what the solution needed.
  ProblemStore &t = *p.store;
  double tol = p.dblControl(QRVA_FEASTOL);
  for (const Violation &v : vio) {
    double amount = elastic.solution.x[v.col];
    if (!(amount > tol)) continue;
    if (!v.row) {
      (v.lower ? t.lb[v.index] : t.ub[v.index]) += v.lower ? -amount : amount;
      continue;
    }
    int i = v.index;
    switch (t.rowType[i]) {
      case 'E': t.rhs[i] += v.lower ? -amount : amount; break;
      case 'R':
        t.range[i] += amount;
        if (!v.lower) t.rhs[i] += amount;
        break;
      default: t.rhs[i] += v.lower ? -amount : amount; break;
    }
  }
  p.edited(Edit::Bounds);
  p.message(QRVA_MSG_INFO, formatText("QRVArepairinfeas: least weighted violation %.12g", least));
  solveWithHighs(p, "QRVArepairinfeas", kind, flags);
  if (stopped(p)) return QRVA_REPAIR_STOPPED;
  return solvedWell(p, mip) ? QRVA_REPAIR_SOLVED : QRVA_REPAIR_NOT_OPTIMAL;
}

}  // namespace qrva
