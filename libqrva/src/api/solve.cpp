// Solving and the solution: LP and MIP optimization on HiGHS, interrupts,
// solutions, starting solutions, basis, infeasibilities and rays.
#include <cmath>

#include "api/support.h"
#include "highs/results.h"
#include "highs/sigint.h"
#include "highs/solver.h"
#include "mip/user_solutions.h"
#include "slp/solver.h"
#include "tree/search.h"

using qrva::Check;
using qrva::formatText;
using P = qrva_problem_s;

namespace {

void needSolution(const P &p, const Check &chk) {
  if (!p.solution.hasLp && !p.solution.hasMip && p.solution.x.empty())
    chk.fail("no solution is available; solve the problem first", QRVA_ERR_STATE);
}

template <class T>
void copyOut(T *out, const std::vector<T> &v) {
  if (out) std::copy(v.begin(), v.end(), out);
}

// Primal and dual infeasibilities of the current solution against the
// feasibility and optimality tolerances; scaled: measured in the problem
// the user scaling makes (rows times R, columns' values divided by C).
void infeasibilities(P &p, bool scaled, int *npv, int *nps, int *nds, int *ndv, int mx[], int mslack[],
                     int mdual[], int mdj[]) {
  const auto &s = *p.store;
  const auto &sol = p.solution;
  double ftol = p.dblControl(QRVA_FEASTOL), otol = p.dblControl(QRVA_OPTIMALITYTOL);
  std::vector<double> rowScale, colScale;
  if (scaled) s.scaleFactors(rowScale, colScale);
  auto rf = [&](int i) { return rowScale.empty() ? 1.0 : rowScale[i]; };
  auto cf = [&](int j) { return colScale.empty() ? 1.0 : colScale[j]; };
  int a = 0, b = 0, c = 0, d = 0;
  for (int j = 0; j < s.ncols() && j < static_cast<int>(sol.x.size()); ++j) {
    // Tolerances of the scaled column x / C_j apply to x as C_j times them.
    double x = sol.x[j], xtol = ftol * cf(j);
    if (x < s.lb[j] - xtol || x > s.ub[j] + xtol) {
      if (mx) mx[a] = j;
      ++a;
    }
    if (j < static_cast<int>(sol.dj.size())) {
      double dj = sol.dj[j] * s.objSense * cf(j);
      bool atLower = std::fabs(x - s.lb[j]) <= xtol, atUpper = std::fabs(x - s.ub[j]) <= xtol;
      if ((dj < -otol && !atUpper) || (dj > otol && !atLower)) {
        if (mdj) mdj[d] = j;
        ++d;
      }
    }
  }
  for (int i = 0; i < s.nrows() && i < static_cast<int>(sol.slack.size()); ++i) {
    double act = s.rhs[i] - sol.slack[i];
    double lo = -1e20, hi = 1e20;
    switch (s.rowType[i]) {
      case 'L': hi = s.rhs[i]; break;
      case 'G': lo = s.rhs[i]; break;
      case 'E': lo = hi = s.rhs[i]; break;
      case 'R': lo = s.rhs[i] - s.range[i], hi = s.rhs[i]; break;
      default: break;
    }
    double rtol = ftol / rf(i);
    if (act < lo - rtol || act > hi + rtol) {
      if (mslack) mslack[b] = i;
      ++b;
    }
    if (i < static_cast<int>(sol.dual.size())) {
      double y = sol.dual[i] * s.objSense / rf(i);
      bool atLo = std::fabs(act - lo) <= rtol, atHi = std::fabs(act - hi) <= rtol;
      if ((y > otol && !atLo) || (y < -otol && !atHi)) {
        if (mdual) mdual[c] = i;
        ++c;
      }
    }
  }
  if (npv) *npv = a;
  if (nps) *nps = b;
  if (nds) *nds = c;
  if (ndv) *ndv = d;
}

int lpSolution(QRVAprob prob, const char *function, double x[], double slack[], double dual[],
               double dj[]) {
  return qrva::withProblem(prob, function, [&](P &p) {
    needSolution(p, Check(function));
    copyOut(x, p.solution.x), copyOut(slack, p.solution.slack);
    copyOut(dual, p.solution.dual), copyOut(dj, p.solution.dj);
    return QRVA_OK;
  });
}

int getBasis(QRVAprob prob, const char *function, int rstatus[], int cstatus[]) {
  return qrva::withProblem(prob, function, [&](P &p) {
    Check chk(function);
    if (!p.basis.known || static_cast<int>(p.basis.rows.size()) != p.store->nrows() ||
        static_cast<int>(p.basis.cols.size()) != p.store->ncols())
      chk.fail("no basis is available; solve the LP or load a basis first", QRVA_ERR_STATE);
    copyOut(rstatus, p.basis.rows), copyOut(cstatus, p.basis.cols);
    return QRVA_OK;
  });
}

int loadBasis(QRVAprob prob, const char *function, const int rstatus[], const int cstatus[]) {
  return qrva::withProblem(prob, function, [&](P &p) {
    Check chk(function);
    chk.array(rstatus, "rstatus");
    chk.array(cstatus, "cstatus");
    int m = p.store->nrows(), n = p.store->ncols(), basic = 0;
    for (int i = 0; i < m; ++i) {
      if (rstatus[i] < 0 || rstatus[i] > 3)
        chk.fail(formatText("rstatus %d at position %d is not one of 0 1 2 3", rstatus[i], i));
      basic += rstatus[i] == 1;
    }
    for (int j = 0; j < n; ++j) {
      if (cstatus[j] < 0 || cstatus[j] > 3)
        chk.fail(formatText("cstatus %d at position %d is not one of 0 1 2 3", cstatus[j], j));
      basic += cstatus[j] == 1;
    }
    if (basic != m)
      chk.fail(formatText("the basis has %d basic entries; it needs one per row (%d)", basic, m));
    p.basis.rows.assign(rstatus, rstatus + m);
    p.basis.cols.assign(cstatus, cstatus + n);
    p.basis.known = true;
    return QRVA_OK;
  });
}

}  // namespace

extern "C" {

int QRVAlpoptimize(QRVAprob prob, const char *flags) {
  return qrva::withProblem(prob, "QRVAlpoptimize", [&](P &p) {
    qrva::SigintGuard guard(&p);
    if (qrva::needsNonlinearSolver(p)) return qrva::solveThroughSlp(p, "QRVAlpoptimize", false);
    return qrva::solveWithHighs(p, "QRVAlpoptimize", qrva::SolveKind::Lp, flags);
  });
}

int QRVAmipoptimize(QRVAprob prob, const char *flags) {
  return qrva::withProblem(prob, "QRVAmipoptimize", [&](P &p) {
    qrva::SigintGuard guard(&p);
    if (qrva::needsNonlinearSolver(p)) return qrva::solveThroughSlp(p, "QRVAmipoptimize", true);
    std::string why = qrva::treeSearchReason(p, "QRVAmipoptimize");
    if (!why.empty()) return qrva::solveWithTree(p, "QRVAmipoptimize", why);
    return qrva::solveWithHighs(p, "QRVAmipoptimize", qrva::SolveKind::Mip, flags);
  });
}

// Called from another thread while a solve runs: only the atomic flag is
// touched, so no other state of the problem is read or written.
int QRVAinterrupt(QRVAprob prob, int reason) {
  return qrva::withEnvironment("QRVAinterrupt", [&]() -> int {
    if (int rc = qrva::checkHandle(prob, "QRVAinterrupt", "problem")) return rc;
    prob->interruptReason.store(reason == 0 ? QRVA_STOP_USER : reason);
    return QRVA_OK;
  });
}

int QRVAgetlpsol(QRVAprob prob, double x[], double slack[], double dual[], double dj[]) {
  return lpSolution(prob, "QRVAgetlpsol", x, slack, dual, dj);
}

// No presolved problem is kept once a solve ends (HiGHS hands back the
// solution, basis and rays of the problem as given), so the presolved
// problem is the problem as it stands and the map between them is the
// identity: these answer for the problem itself, which is the truth then.
int QRVAgetpresolvesol(QRVAprob prob, double x[], double slack[], double dual[], double dj[]) {
  return lpSolution(prob, "QRVAgetpresolvesol", x, slack, dual, dj);
}

int QRVAgetpresolvebasis(QRVAprob prob, int rstatus[], int cstatus[]) {
  return getBasis(prob, "QRVAgetpresolvebasis", rstatus, cstatus);
}

int QRVAloadpresolvebasis(QRVAprob prob, const int rstatus[], const int cstatus[]) {
  return loadBasis(prob, "QRVAloadpresolvebasis", rstatus, cstatus);
}

int QRVAgetpresolvemap(QRVAprob prob, int rowmap[], int colmap[]) {
  return qrva::withProblem(prob, "QRVAgetpresolvemap", [&](P &p) {
    for (int i = 0; rowmap && i < p.store->nrows(); ++i) rowmap[i] = i;
    for (int j = 0; colmap && j < p.store->ncols(); ++j) colmap[j] = j;
    return QRVA_OK;
  });
}

int QRVAgetmipsol(QRVAprob prob, double x[], double slack[]) {
  return qrva::withProblem(prob, "QRVAgetmipsol", [&](P &p) {
    Check chk("QRVAgetmipsol");
    if (!p.solution.hasMip)
      chk.fail("no MIP solution is available; solve the problem with QRVAmipoptimize first",
               QRVA_ERR_STATE);
    copyOut(x, p.solution.x), copyOut(slack, p.solution.slack);
    return QRVA_OK;
  });
}

int QRVAloadlpsol(QRVAprob prob, const double x[], const double slack[], const double dual[],
                  const double dj[], int *status) {
  return qrva::withProblem(prob, "QRVAloadlpsol", [&](P &p) {
    Check chk("QRVAloadlpsol");
    const auto &s = *p.store;
    int n = s.ncols(), m = s.nrows();
    auto check = [&](const double *v, int len, const char *name) {
      if (v)
        for (int k = 0; k < len; ++k) chk.number(v[k], name, k);
    };
    check(x, n, "x"), check(slack, m, "slack"), check(dual, m, "dual"), check(dj, n, "dj");
    p.invalidate(qrva::kStaleSolution);
    auto &sol = p.solution;
    sol.x.assign(n, 0.0), sol.dj.assign(n, 0.0), sol.dual.assign(m, 0.0);
    if (x) sol.x.assign(x, x + n);
    if (dj) sol.dj.assign(dj, dj + n);
    if (dual) sol.dual.assign(dual, dual + m);
    if (slack) {
      sol.slack.assign(slack, slack + m);
    } else {
      sol.slack = qrva::rowSlacks(s, sol.x);
    }
    sol.hasLp = true;
    if (status) *status = 0;
    return QRVA_OK;
  });
}

int QRVAaddmipsol(QRVAprob prob, int ncols, const double value[], const int colind[],
                  const char *name) {
  return qrva::withProblem(prob, "QRVAaddmipsol", [&](P &p) {
    Check chk("QRVAaddmipsol");
    int n = p.store->ncols();
    chk.count(ncols, "ncols");
    if (ncols > 0) chk.array(value, "value");
    if (colind == nullptr && ncols > n)
      chk.fail(formatText("ncols %d is more than the %d columns of the problem", ncols, n));
    qrva::MipStart start;
    for (int k = 0; k < ncols; ++k) {
      int j = colind ? colind[k] : k;
      chk.col(j, n, "colind", k);
      chk.number(value[k], "value", k);
      start.cols.push_back(j), start.values.push_back(value[k]);
    }
    if (name) start.name = name;
    p.mipStarts.push_back(std::move(start));
    return QRVA_OK;
  });
}

int QRVAloadmipsol(QRVAprob prob, const double dsol[], int *status) {
  return qrva::withProblem(prob, "QRVAloadmipsol", [&](P &p) {
    Check chk("QRVAloadmipsol");
    chk.array(dsol, "dsol");
    int n = p.store->ncols();
    qrva::MipStart start;
    for (int j = 0; j < n; ++j) {
      chk.number(dsol[j], "dsol", j);
      start.cols.push_back(j), start.values.push_back(dsol[j]);
    }
    if (status) {
      qrva::tree::Relaxation r(*p.store, p.dblControl(QRVA_INTEGRALITYTOL),
                               p.dblControl(QRVA_FEASTOL));
      *status = qrva::checkUserSolution(p, r, start).status;
    }
    p.mipStarts.push_back(std::move(start));
    return QRVA_OK;
  });
}

int QRVAgetbasis(QRVAprob prob, int rstatus[], int cstatus[]) {
  return getBasis(prob, "QRVAgetbasis", rstatus, cstatus);
}

int QRVAloadbasis(QRVAprob prob, const int rstatus[], const int cstatus[]) {
  return loadBasis(prob, "QRVAloadbasis", rstatus, cstatus);
}

int QRVAgetinfeas(QRVAprob prob, int *npv, int *nps, int *nds, int *ndv, int mx[], int mslack[],
                  int mdual[], int mdj[]) {
  return qrva::withProblem(prob, "QRVAgetinfeas", [&](P &p) {
    needSolution(p, Check("QRVAgetinfeas"));
    infeasibilities(p, false, npv, nps, nds, ndv, mx, mslack, mdual, mdj);
    return QRVA_OK;
  });
}

// The scaled problem is the one the user scaling (QRVAscale) makes; without
// it, the problem itself.
int QRVAgetscaledinfeas(QRVAprob prob, int *npv, int *nps, int *nds, int *ndv, int mx[],
                        int mslack[], int mdual[], int mdj[]) {
  return qrva::withProblem(prob, "QRVAgetscaledinfeas", [&](P &p) {
    needSolution(p, Check("QRVAgetscaledinfeas"));
    infeasibilities(p, true, npv, nps, nds, ndv, mx, mslack, mdual, mdj);
    return QRVA_OK;
  });
}

int QRVAgetprimalray(QRVAprob prob, double ray[], int *hasray) {
  return qrva::withProblem(prob, "QRVAgetprimalray", [&](P &p) {
    Check("QRVAgetprimalray").array(hasray, "hasray");
    *hasray = p.solution.primalRay.empty() ? 0 : 1;
    copyOut(ray, p.solution.primalRay);
    return QRVA_OK;
  });
}

int QRVAgetdualray(QRVAprob prob, double ray[], int *hasray) {
  return qrva::withProblem(prob, "QRVAgetdualray", [&](P &p) {
    Check("QRVAgetdualray").array(hasray, "hasray");
    *hasray = p.solution.dualRay.empty() ? 0 : 1;
    copyOut(ray, p.solution.dualRay);
    return QRVA_OK;
  });
}

int QRVAgetunbvec(QRVAprob prob, int *seq) {
  return qrva::withProblem(prob, "QRVAgetunbvec", [&](P &p) {
    Check chk("QRVAgetunbvec");
    chk.array(seq, "seq");
    *seq = p.solution.unboundedSeq;
    if (*seq < 0)
      chk.fail("no unbounded direction is known; the last LP solve did not find the problem "
               "unbounded",
               QRVA_ERR_STATE);
    return QRVA_OK;
  });
}

}  // extern "C"
