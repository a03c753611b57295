#include "highs/node_lp.h"

#include <algorithm>
#include <cmath>

#include "interfaces/highs_c_api.h"

namespace qrva {
namespace {

double toHighs(double v) {
  if (v >= 1e20) return HUGE_VAL;
  if (v <= -1e20) return -HUGE_VAL;
  return v;
}

// Stops a node solve at HiGHS's interrupt points once the flag is set.
extern "C" void nodeLpCallback(int type, const char *, const HighsCallbackDataOut *,
                               HighsCallbackDataIn *in, void *data) {
  auto *stop = static_cast<const std::atomic<int> *>(data);
  if (type != kHighsCallbackLogging && in != nullptr && stop != nullptr && stop->load() != 0)
    in->user_interrupt = 1;
}

}  // namespace

NodeLp::NodeLp(const qrva_problem_s &p, const std::vector<double> &relaxLo,
               const std::vector<double> &relaxHi, const std::vector<double> &rowLo,
               const std::vector<double> &rowHi)
    : h_(Highs_create()), ncols_(p.store->ncols()), nrows_(p.store->nrows()) {
  const ProblemStore &s = *p.store;
  Highs_setBoolOptionValue(h_, "output_flag", false);
  Highs_setStringOptionValue(h_, "presolve", "off");
  Highs_setDoubleOptionValue(h_, "primal_feasibility_tolerance", p.dblControl(QRVA_FEASTOL));
  Highs_setDoubleOptionValue(h_, "dual_feasibility_tolerance", p.dblControl(QRVA_OPTIMALITYTOL));
  if (!p.intControl(QRVA_SCALING)) Highs_setIntOptionValue(h_, "simplex_scale_strategy", 0);
  quadratic_ = !s.qobj.empty();
  if (!quadratic_) {
    Highs_setStringOptionValue(h_, "solver", "simplex");
    Highs_setIntOptionValue(h_, "simplex_strategy", 1);  // dual: re-optimises after bound changes
  }
  std::vector<HighsInt> start(ncols_ + 1, 0), index;
  std::vector<double> value, lo(ncols_), hi(ncols_), rlo(nrows_), rhi(nrows_);
  for (int j = 0; j < ncols_; ++j) {
    for (const Entry &e : s.columns[j]) index.push_back(e.index), value.push_back(e.value);
    start[j + 1] = static_cast<HighsInt>(index.size());
    lo[j] = toHighs(relaxLo[j]), hi[j] = toHighs(relaxHi[j]);
  }
  for (int i = 0; i < nrows_; ++i) rlo[i] = toHighs(rowLo[i]), rhi[i] = toHighs(rowHi[i]);
  int sense = s.objSense == -1 ? kHighsObjSenseMaximize : kHighsObjSenseMinimize;
  if (Highs_passLp(h_, ncols_, nrows_, static_cast<HighsInt>(index.size()),
                   kHighsMatrixFormatColwise, sense, s.objConstant, s.obj.data(), lo.data(),
                   hi.data(), rlo.data(), rhi.data(), start.data(), index.data(),
                   value.data()) == kHighsStatusError) {
    Highs_destroy(h_);
    throw Failure(QRVA_ERR_SOLVER, "HiGHS refused the relaxation of the tree search");
  }
  if (quadratic_) {
    std::vector<std::vector<Entry>> q(ncols_);
    for (const auto &t : s.qobj) q[t.first.first].push_back(Entry{t.first.second, t.second});
    std::vector<HighsInt> qs(ncols_ + 1, 0), qi;
    std::vector<double> qv;
    for (int j = 0; j < ncols_; ++j) {
      std::sort(q[j].begin(), q[j].end(),
                [](const Entry &a, const Entry &b) { return a.index < b.index; });
      for (const Entry &e : q[j]) qi.push_back(e.index), qv.push_back(e.value);
      qs[j + 1] = static_cast<HighsInt>(qi.size());
    }
    Highs_passHessian(h_, ncols_, static_cast<HighsInt>(qi.size()),
                      kHighsHessianFormatTriangular, qs.data(), qi.data(), qv.data());
  }
}

NodeLp::~NodeLp() { Highs_destroy(h_); }

void NodeLp::setColBounds(const std::vector<int> &cols, const std::vector<double> &lo,
                          const std::vector<double> &hi) {
  if (cols.empty()) return;
  std::vector<HighsInt> set(cols.begin(), cols.end());
  std::vector<double> l(lo.size()), u(hi.size());
  for (size_t k = 0; k < l.size(); ++k) l[k] = toHighs(lo[k]), u[k] = toHighs(hi[k]);
  // HiGHS wants the set in ascending order.
  std::vector<size_t> order(set.size());
  for (size_t k = 0; k < order.size(); ++k) order[k] = k;
  std::sort(order.begin(), order.end(), [&](size_t a, size_t b) { return set[a] < set[b]; });
  std::vector<HighsInt> ss(set.size());
  std::vector<double> sl(set.size()), su(set.size());
  for (size_t k = 0; k < order.size(); ++k) ss[k] = set[order[k]], sl[k] = l[order[k]], su[k] = u[order[k]];
  Highs_changeColsBoundsBySet(h_, static_cast<HighsInt>(ss.size()), ss.data(), sl.data(), su.data());
}

void NodeLp::setRowBounds(const std::vector<int> &rows, const std::vector<double> &lo,
                          const std::vector<double> &hi) {
  for (size_t k = 0; k < rows.size(); ++k) {
    HighsInt i = rows[k];
    double l = toHighs(lo[k]), u = toHighs(hi[k]);
    Highs_changeRowsBoundsBySet(h_, 1, &i, &l, &u);
  }
}

void NodeLp::addRows(const std::vector<const LpRow *> &rows) {
  if (rows.empty()) return;
  std::vector<double> lo, hi, value;
  std::vector<HighsInt> start, index;
  for (const LpRow *r : rows) {
    lo.push_back(toHighs(r->lower)), hi.push_back(toHighs(r->upper));
    start.push_back(static_cast<HighsInt>(index.size()));
    index.insert(index.end(), r->cols.begin(), r->cols.end());
    value.insert(value.end(), r->vals.begin(), r->vals.end());
  }
  Highs_addRows(h_, static_cast<HighsInt>(rows.size()), lo.data(), hi.data(),
                static_cast<HighsInt>(index.size()), start.data(), index.data(), value.data());
  nrows_ += static_cast<int>(rows.size());
}

void NodeLp::truncateRows(int first) {
  if (first >= nrows_) return;
  Highs_deleteRowsByRange(h_, first, nrows_ - 1);
  nrows_ = first;
}

NodeLp::Status NodeLp::solve(int64_t iterLimit, double seconds, const std::atomic<int> *stop) {
  Highs_setIntOptionValue(h_, "simplex_iteration_limit",
                          static_cast<HighsInt>(iterLimit < 0 ? 2147483647
                                                              : std::min<int64_t>(iterLimit, 2147483647)));
  Highs_setDoubleOptionValue(h_, "time_limit", seconds >= 1e20 ? HUGE_VAL : std::max(seconds, 0.0));
  Highs_setCallback(h_, nodeLpCallback, const_cast<std::atomic<int> *>(stop));
  Highs_startCallback(h_, kHighsCallbackSimplexInterrupt);
  Highs_startCallback(h_, kHighsCallbackIpmInterrupt);
  Highs_zeroAllClocks(h_);
  Highs_run(h_);
  HighsInt ms = Highs_getModelStatus(h_), iters = 0;
  Highs_getIntInfoValue(h_, "simplex_iteration_count", &iters);
  iterations_ = iters;
  objective_ = Highs_getObjectiveValue(h_);
  x_.resize(ncols_), colDual_.resize(ncols_), rowValue_.resize(nrows_), rowDual_.resize(nrows_);
  switch (ms) {
    case kHighsModelStatusOptimal:
    case kHighsModelStatusModelEmpty:
      Highs_getSolution(h_, x_.data(), colDual_.data(), rowValue_.data(), rowDual_.data());
      return Status::Optimal;
    case kHighsModelStatusInfeasible: return Status::Infeasible;
    case kHighsModelStatusUnbounded:
    case kHighsModelStatusUnboundedOrInfeasible: return Status::Unbounded;
    case kHighsModelStatusTimeLimit:
    case kHighsModelStatusIterationLimit:
    case kHighsModelStatusInterrupt:
      Highs_getSolution(h_, x_.data(), colDual_.data(), rowValue_.data(), rowDual_.data());
      return Status::Stopped;
    default: return Status::Failed;
  }
}

std::shared_ptr<const LpBasis> NodeLp::basis() const {
  HighsInt valid = 0;
  Highs_getIntInfoValue(h_, "basis_validity", &valid);
  if (!valid) return nullptr;
  std::vector<HighsInt> cb(ncols_), rb(nrows_);
  Highs_getBasis(h_, cb.data(), rb.data());
  auto b = std::make_shared<LpBasis>();
  b->cols.assign(cb.begin(), cb.end());
  b->rows.assign(rb.begin(), rb.end());
  return b;
}

void NodeLp::setBasis(const LpBasis &b) {
  if (static_cast<int>(b.cols.size()) != ncols_) return;
  std::vector<HighsInt> cb(b.cols.begin(), b.cols.end()), rb(nrows_, kHighsBasisStatusBasic);
  for (int i = 0; i < nrows_ && i < static_cast<int>(b.rows.size()); ++i) rb[i] = b.rows[i];
  if (static_cast<int>(b.rows.size()) > nrows_) return;  // rows it kept basic are gone: cold start
  Highs_setBasis(h_, cb.data(), rb.data());  // a basis HiGHS refuses only means a cold start
}

bool NodeLp::basicVariables(std::vector<int> &out) const {
  if (quadratic_ || nrows_ == 0 || !hasBasis()) return false;
  std::vector<HighsInt> basic(static_cast<size_t>(nrows_));
  if (Highs_getBasicVariables(h_, basic.data()) != kHighsStatusOk) return false;
  out.assign(basic.begin(), basic.end());
  return true;
}

bool NodeLp::basisInverseRow(int position, std::vector<double> &out) const {
  out.assign(static_cast<size_t>(nrows_), 0.0);
  std::vector<HighsInt> index(static_cast<size_t>(nrows_));
  HighsInt nz = 0;
  return Highs_getBasisInverseRow(h_, position, out.data(), &nz, index.data()) == kHighsStatusOk;
}

void NodeLp::rowData(std::vector<double> &lo, std::vector<double> &hi, std::vector<int> &start,
                     std::vector<int> &index, std::vector<double> &value) const {
  HighsInt m = 0, nz = 0;
  lo.assign(static_cast<size_t>(nrows_), 0.0), hi.assign(static_cast<size_t>(nrows_), 0.0);
  start.assign(static_cast<size_t>(nrows_) + 1, 0);
  if (nrows_ == 0) return;
  std::vector<HighsInt> st(static_cast<size_t>(nrows_) + 1);
  std::vector<HighsInt> idx(static_cast<size_t>(Highs_getNumNz(h_)) + 1);
  value.assign(idx.size(), 0.0);
  Highs_getRowsByRange(h_, 0, nrows_ - 1, &m, lo.data(), hi.data(), &nz, st.data(), idx.data(), value.data());
  for (int i = 0; i < nrows_; ++i) start[i] = static_cast<int>(st[i]);
  start[nrows_] = static_cast<int>(nz);
  index.assign(idx.begin(), idx.begin() + nz);
  value.resize(static_cast<size_t>(nz));
  for (double &v : lo)
    if (v <= -1e20) v = -1e20;
  for (double &v : hi)
    if (v >= 1e20) v = 1e20;
}

bool NodeLp::hasBasis() const {
  HighsInt valid = 0;
  Highs_getIntInfoValue(h_, "basis_validity", &valid);
  return valid != 0;
}

}  // namespace qrva
