#include "highs/results.h"

#include <cmath>
#include <vector>

#include "interfaces/highs_c_api.h"

namespace qrva {
namespace {

int lpStatusOf(int ms) {
  switch (ms) {
    case kHighsModelStatusOptimal:
    case kHighsModelStatusModelEmpty: return QRVA_LP_OPTIMAL;
    case kHighsModelStatusInfeasible: return QRVA_LP_INFEAS;
    case kHighsModelStatusUnboundedOrInfeasible: return QRVA_LP_INFEAS;
    case kHighsModelStatusUnbounded: return QRVA_LP_UNBOUNDED;
    case kHighsModelStatusObjectiveBound: return QRVA_LP_CUTOFF;
    case kHighsModelStatusTimeLimit:
    case kHighsModelStatusIterationLimit:
    case kHighsModelStatusInterrupt:
    case kHighsModelStatusObjectiveTarget:
    case kHighsModelStatusSolutionLimit: return QRVA_LP_UNFINISHED;
    default: return QRVA_LP_UNSOLVED;
  }
}

int stopOf(int ms, int interruptReason, bool nodeLimitHit) {
  switch (ms) {
    case kHighsModelStatusTimeLimit: return QRVA_STOP_TIMELIMIT;
    case kHighsModelStatusIterationLimit: return QRVA_STOP_ITERLIMIT;
    case kHighsModelStatusInterrupt: return interruptReason ? interruptReason : QRVA_STOP_USER;
    case kHighsModelStatusSolutionLimit:
      return nodeLimitHit ? QRVA_STOP_NODELIMIT : QRVA_STOP_SOLLIMIT;
    default: return 0;
  }
}

}  // namespace

std::vector<double> rowSlacks(const ProblemStore &s, const std::vector<double> &x) {
  std::vector<double> slack(s.nrows(), 0.0);
  for (int j = 0; j < s.ncols(); ++j)
    for (const Entry &e : s.columns[j]) slack[e.index] += e.value * x[j];
  for (int i = 0; i < s.nrows(); ++i) slack[i] = s.rhs[i] - slack[i];
  return slack;
}

const char *lpStatusName(int status) {
  static const char *const names[] = {"lp_unstarted", "lp_optimal",    "lp_infeas",
                                      "lp_cutoff",    "lp_unfinished", "lp_unbounded",
                                      "lp_cutoff_in_dual", "lp_unsolved", "lp_nonconvex"};
  return status >= 0 && status <= 8 ? names[status] : "lp status unknown";
}

const char *mipStatusName(int status) {
  static const char *const names[] = {"mip_not_loaded", "mip_lp_not_optimal", "mip_lp_optimal",
                                      "mip_no_sol_found", "mip_solution", "mip_infeas",
                                      "mip_optimal", "mip_unbounded"};
  return status >= 0 && status <= 7 ? names[status] : "mip status unknown";
}

void recordRun(void *h, qrva_problem_s &p, SolveKind kind, bool discrete,
               const UserScaling &scaling, int ncol, int nrow,
               int ms, int solutions, std::chrono::steady_clock::time_point started) {
  const ProblemStore &s = *p.store;
  int n = s.ncols(), nr = s.nrows();
  SolveState &st = p.solve;
  int reason = p.interruptReason.load();
  HighsInt iters = 0, ipmIters = 0, primalStatus = 0;
  int64_t nodes = 0;
  Highs_getIntInfoValue(h, "simplex_iteration_count", &iters);
  Highs_getIntInfoValue(h, "ipm_iteration_count", &ipmIters);
  Highs_getIntInfoValue(h, "primal_solution_status", &primalStatus);
  st.simplexIterations = iters;
  st.barrierIterations = ipmIters;
  bool hasPrimal = primalStatus == 2;
  double objective = Highs_getObjectiveValue(h);
  st.solveTime = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();

  bool mipRun = kind == SolveKind::Mip;
  if (mipRun) {
    Highs_getInt64InfoValue(h, "mip_node_count", &nodes);
    st.nodes = nodes;
    bool nodeLimit = nodes >= p.intControl(QRVA_MAXNODE);
    st.stopStatus = stopOf(ms, reason, nodeLimit);
    if (discrete) {
      Highs_getDoubleInfoValue(h, "mip_dual_bound", &st.bestBound);
      Highs_getDoubleInfoValue(h, "mip_gap", &st.mipGap);
      // HiGHS calls a search optimal once the gap is within the tolerances;
      // a gap left open means the search stopped on them, not on a proof.
      if (ms == kHighsModelStatusOptimal && st.mipGap > 0.0) st.stopStatus = QRVA_STOP_MIPGAP;
    } else {
      st.bestBound = objective;
    }
    st.mipSolutions = discrete ? solutions : (hasPrimal ? 1 : 0);
    switch (ms) {
      case kHighsModelStatusOptimal:
      case kHighsModelStatusModelEmpty: st.mipStatus = QRVA_MIP_OPTIMAL; break;
      case kHighsModelStatusInfeasible:
      case kHighsModelStatusUnboundedOrInfeasible: st.mipStatus = QRVA_MIP_INFEAS; break;
      case kHighsModelStatusUnbounded: st.mipStatus = QRVA_MIP_UNBOUNDED; break;
      default: st.mipStatus = hasPrimal ? QRVA_MIP_SOLUTION : QRVA_MIP_NO_SOL_FOUND; break;
    }
    if (!discrete) st.lpStatus = lpStatusOf(ms);
    else st.lpStatus = hasPrimal || ms == kHighsModelStatusOptimal ? QRVA_LP_OPTIMAL : lpStatusOf(ms);
    if (hasPrimal) st.mipObjective = objective, st.lpObjective = objective;
  } else {
    st.lpStatus = lpStatusOf(ms);
    st.stopStatus = stopOf(ms, reason, false);
    st.lpObjective = objective;
    bool anyDiscrete = false;
    for (int j = 0; j < n && !anyDiscrete; ++j) anyDiscrete = s.isDiscrete(j);
    if (anyDiscrete || !s.sets.empty())
      st.mipStatus = st.lpStatus == QRVA_LP_OPTIMAL ? QRVA_MIP_LP_OPTIMAL : QRVA_MIP_LP_NOT_OPTIMAL;
  }

  // Values over the problem's own rows and columns.
  std::vector<double> x(ncol), dj(ncol), act(nrow), dual(nrow);
  Highs_getSolution(h, x.data(), dj.data(), act.data(), dual.data());
  scaling.unscale(x, dj, act, dual);
  Solution &sol = p.solution;
  sol.x.assign(x.begin(), x.begin() + n);
  sol.slack = rowSlacks(s, sol.x);
  if (mipRun && discrete) {
    sol.hasMip = hasPrimal;
    sol.dual.assign(nr, 0.0), sol.dj.assign(n, 0.0);
  } else {
    sol.hasLp = true;
    sol.hasMip = mipRun && hasPrimal;
    sol.dual.assign(dual.begin(), dual.begin() + nr);
    sol.dj.assign(dj.begin(), dj.begin() + n);
    HighsInt basisValid = 0;
    Highs_getIntInfoValue(h, "basis_validity", &basisValid);
    if (basisValid) {
      std::vector<HighsInt> cb(ncol), rb(nrow);
      Highs_getBasis(h, cb.data(), rb.data());
      p.basis.cols.assign(cb.begin(), cb.begin() + n);
      p.basis.rows.assign(rb.begin(), rb.begin() + nr);
      for (int &b : p.basis.cols) b = b == kHighsBasisStatusNonbasic ? 0 : b;
      for (int &b : p.basis.rows) b = b == kHighsBasisStatusNonbasic ? 0 : b;
      p.basis.known = true;
    }
    if (st.lpStatus == QRVA_LP_UNBOUNDED) {
      HighsInt has = 0;
      std::vector<double> ray(ncol);
      Highs_getPrimalRay(h, &has, ray.data());
      if (has && scaling.active())
        for (int j = 0; j < ncol; ++j) ray[j] *= scaling.col[j];
      if (has) {
        sol.primalRay.assign(ray.begin(), ray.begin() + n);
        double best = 0.0;
        for (int j = 0; j < n; ++j)
          if (std::fabs(ray[j]) > best) best = std::fabs(ray[j]), sol.unboundedSeq = nr + j;
      }
    }
    if (st.lpStatus == QRVA_LP_INFEAS) {
      HighsInt has = 0;
      std::vector<double> ray(nrow);
      Highs_getDualRay(h, &has, ray.data());
      if (has && scaling.active())
        for (int i = 0; i < nrow; ++i) ray[i] *= scaling.row[i];
      if (has) sol.dualRay.assign(ray.begin(), ray.begin() + nr);
    }
  }
}

}  // namespace qrva
