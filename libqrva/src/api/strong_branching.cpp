// Strong branching: each of a list of bound changes solved from the current
// LP's optimal basis with a limited number of simplex iterations, giving the
// objective each change leads to. At a node of the tree search (the
// problem a node callback is given) the node's LP is used and left as it
// was; elsewhere the LP relaxation of the problem, solved first.
#include <cmath>

#include "analysis/relaxation.h"
#include "api/support.h"
#include "interfaces/highs_c_api.h"
#include "tree/cut_pool.h"
#include "tree/worker.h"

using qrva::Check;
using qrva::formatText;
using P = qrva_problem_s;

namespace {

struct Candidates {
  int n;
  const int *col;
  const char *type;
  const double *value;
  int itrlimit;
  double *objval;
  int *status;
  QRVAcbsolvenode callback;
  void *data;
};

// The bounds of a column with candidate k in force.
void candidateBounds(const Candidates &c, int k, double &lo, double &hi) {
  if (c.type[k] == 'L' || c.type[k] == 'B') lo = c.value[k];
  if (c.type[k] == 'U' || c.type[k] == 'B') hi = c.value[k];
}

int nodeStatus(qrva::NodeLp::Status st) {
  using S = qrva::NodeLp::Status;
  switch (st) {
    case S::Optimal: return QRVA_LP_OPTIMAL;
    case S::Infeasible: return QRVA_LP_INFEAS;
    case S::Unbounded: return QRVA_LP_UNBOUNDED;
    default: return QRVA_LP_UNFINISHED;
  }
}

// The callback after candidate k; true when it asks to stop.
bool calledBack(const Candidates &c, P &p, int k) {
  return c.callback != nullptr && c.callback(&p, c.data, k) != 0;
}

void atNode(P &p, qrva::tree::Worker &w, const Candidates &c) {
  std::shared_ptr<const qrva::LpBasis> basis = w.lp.basis();
  for (int k = 0; k < c.n; ++k) {
    std::vector<int> cols{c.col[k]};
    std::vector<double> lo{w.lo[c.col[k]]}, hi{w.hi[c.col[k]]};
    candidateBounds(c, k, lo[0], hi[0]);
    w.lp.setColBounds(cols, lo, hi);
    qrva::NodeLp::Status st = w.lp.solve(c.itrlimit, 1e20, &w.owner.interruptReason);
    c.status[k] = nodeStatus(st);
    c.objval[k] = w.lp.objective();
    if (st == qrva::NodeLp::Status::Optimal || st == qrva::NodeLp::Status::Stopped) w.showLpSolution();
    bool stop = calledBack(c, p, k);
    w.lp.setColBounds(cols, {w.lo[c.col[k]]}, {w.hi[c.col[k]]});
    if (basis) w.lp.setBasis(*basis);
    if (stop) break;
  }
  // The node's own solution again, from its optimal basis.
  w.lp.solve(-1, 1e20, &w.owner.interruptReason);
  w.showLpSolution();
}

int highsStatus(HighsInt ms) {
  if (ms == kHighsModelStatusOptimal) return QRVA_LP_OPTIMAL;
  if (ms == kHighsModelStatusInfeasible) return QRVA_LP_INFEAS;
  if (ms == kHighsModelStatusUnbounded || ms == kHighsModelStatusUnboundedOrInfeasible) return QRVA_LP_UNBOUNDED;
  return QRVA_LP_UNFINISHED;
}

void onRelaxation(P &p, const Check &chk, const Candidates &c) {
  qrva::HighsHandle h = qrva::relaxationInstance(p, chk);
  void *hi = h.get();
  Highs_setStringOptionValue(hi, "solver", "simplex");
  Highs_run(hi);
  if (Highs_getModelStatus(hi) != kHighsModelStatusOptimal)
    chk.fail("the LP relaxation has no optimal solution to branch from", QRVA_ERR_STATE);
  int n = static_cast<int>(Highs_getNumCol(hi)), m = static_cast<int>(Highs_getNumRow(hi));
  std::vector<HighsInt> colStatus(static_cast<size_t>(n)), rowStatus(static_cast<size_t>(m));
  Highs_getBasis(hi, colStatus.data(), rowStatus.data());
  std::vector<double> lower(static_cast<size_t>(n)), upper(static_cast<size_t>(n));
  HighsInt got = 0, nz = 0;
  Highs_getColsByRange(hi, 0, n - 1, &got, nullptr, lower.data(), upper.data(), &nz, nullptr, nullptr, nullptr);
  Highs_setIntOptionValue(hi, "simplex_iteration_limit", c.itrlimit);
  for (int k = 0; k < c.n; ++k) {
    int j = c.col[k];
    double lo = lower[j], up = upper[j];
    candidateBounds(c, k, lo, up);
    Highs_changeColBounds(hi, j, lo, up);
    Highs_run(hi);
    c.status[k] = highsStatus(Highs_getModelStatus(hi));
    c.objval[k] = Highs_getObjectiveValue(hi);
    bool stop = calledBack(c, p, k);
    Highs_changeColBounds(hi, j, lower[j], upper[j]);
    Highs_setBasis(hi, colStatus.data(), rowStatus.data());
    if (stop) break;
  }
}

int strongBranch(QRVAprob prob, const char *function, const Candidates &c) {
  return qrva::withProblem(prob, function, [&](P &p) {
    Check chk(function);
    qrva::tree::checkBoundArrays(p, chk, c.n, c.col, c.type, c.value);
    chk.count(c.itrlimit, "itrlimit");
    if (c.n > 0) chk.array(c.objval, "objval"), chk.array(c.status, "status");
    for (int k = 0; k < c.n; ++k) c.objval[k] = 0.0, c.status[k] = QRVA_LP_UNSTARTED;
    if (c.n == 0) return QRVA_OK;
    if (p.treeWorker != nullptr && p.treeWorker->node != nullptr)
      atNode(p, *p.treeWorker, c);
    else
      onRelaxation(p, chk, c);
    return QRVA_OK;
  });
}

}  // namespace

extern "C" {

int QRVAstrongbranch(QRVAprob prob, int nbounds, const int colind[], const char bndtype[],
                     const double bndval[], int itrlimit, double objval[], int status[]) {
  return strongBranch(prob, "QRVAstrongbranch",
                      Candidates{nbounds, colind, bndtype, bndval, itrlimit, objval, status, nullptr, nullptr});
}

int QRVAstrongbranchcb(QRVAprob prob, int nbounds, const int colind[], const char bndtype[],
                       const double bndval[], int itrlimit, double objval[], int status[],
                       QRVAcbsolvenode callback, void *data) {
  return strongBranch(prob, "QRVAstrongbranchcb",
                      Candidates{nbounds, colind, bndtype, bndval, itrlimit, objval, status, callback, data});
}

}  // extern "C"
