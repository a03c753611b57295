#include "analysis/iis.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <memory>

#include "analysis/bound_conflict.h"
#include "analysis/relaxation.h"
#include "highs/log.h"
#include "highs/model.h"
#include "highs/options.h"
#include "highs/scheduler.h"
#include "interfaces/highs_c_api.h"

namespace qrva {

namespace {

const double kInf = 1e20;
// Tests a search may run before iisNext gives up its hunt for a subsystem
// that avoids every one found.
const int kNextBudget = 2000;

bool finite(double b) { return std::fabs(b) < kInf; }
double highsBound(double b) { return finite(b) ? b : (b > 0 ? HUGE_VAL : -HUGE_VAL); }

enum class Outcome { Feasible, Infeasible, Stopped };

// Runs the tests of one search on one HiGHS instance, warm-started from
// test to test. Members: row i is i; the lower bound of column j is
// m + 2j, its upper bound m + 2j + 1. A member not active is relaxed.
class Tester {
 public:
  Tester(qrva_problem_s &p, const Check &chk, bool mip)
      : p_(p), s_(*p.store), chk_(chk), mip_(mip), ctx_(&p, std::chrono::steady_clock::now(), false) {
    m_ = s_.nrows(), n_ = s_.ncols();
    lo_.resize(m_), up_.resize(m_);
    for (int i = 0; i < m_; ++i) rowBounds(s_, i, lo_[i], up_[i]);
    if (mip) {
      Model model = buildModel(s_, chk, SolveKind::Mip);
      h_.reset(Highs_create());
      setOptions(h_.get(), p, SolveKind::Mip, "");
      Highs_setBoolOptionValue(h_.get(), "output_flag", 0);
      transferModel(h_.get(), model, p, chk);
    } else {
      h_ = relaxationInstance(p, chk);
    }
    attachHighsCallbacks(h_.get(), ctx_);
    int ncol = static_cast<int>(Highs_getNumCol(h_.get()));
    std::vector<double> zero(static_cast<size_t>(ncol), 0.0);
    if (ncol > 0) Highs_changeColsCostByRange(h_.get(), 0, ncol - 1, zero.data());
    applied_.assign(static_cast<size_t>(members()), 1);
    limit_ = p.dblControl(QRVA_TIMELIMIT);
    started_ = std::chrono::steady_clock::now();
  }

  int members() const { return m_ + 2 * n_; }
  int rows() const { return m_; }
  bool mip() const { return mip_; }
  // Whether member e has a finite bound to relax.
  bool member(int e) const {
    if (e < m_) return finite(lo_[e]) || finite(up_[e]);
    int j = (e - m_) / 2;
    return (e - m_) % 2 == 0 ? finite(s_.lb[j]) : finite(s_.ub[j]);
  }
  std::vector<char> everyMember() const {
    std::vector<char> all(static_cast<size_t>(members()));
    for (int e = 0; e < members(); ++e) all[e] = member(e);
    return all;
  }
  int tests() const { return tests_; }

  Outcome test(const std::vector<char> &active) {
    ++tests_;
    contradiction_ = -1;
    for (int j = 0; j < n_; ++j)
      if (active[m_ + 2 * j] && active[m_ + 2 * j + 1] && s_.lb[j] > s_.ub[j]) {
        contradiction_ = j;
        return Outcome::Infeasible;
      }
    double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - started_).count();
    if (p_.interruptReason.load() != 0 || (limit_ > 0 && elapsed >= limit_)) return Outcome::Stopped;
    apply(active);
    if (limit_ > 0) Highs_setDoubleOptionValue(h_.get(), "time_limit", limit_ - elapsed);
    Highs_zeroAllClocks(h_.get());
    Highs_run(h_.get());
    int ms = static_cast<int>(Highs_getModelStatus(h_.get()));
    if (ms == kHighsModelStatusInfeasible || ms == kHighsModelStatusUnboundedOrInfeasible)
      return Outcome::Infeasible;
    HighsInt primal = 0;
    Highs_getIntInfoValue(h_.get(), "primal_solution_status", &primal);
    if (ms == kHighsModelStatusOptimal || primal == kHighsSolutionStatusFeasible) return Outcome::Feasible;
    if (ms == kHighsModelStatusTimeLimit || ms == kHighsModelStatusInterrupt ||
        ms == kHighsModelStatusIterationLimit)
      return Outcome::Stopped;
    chk_.fail(formatText("HiGHS did not decide a subsystem test (its model status %d)", ms), QRVA_ERR_SOLVER);
  }

  // After an infeasible test: the support of its Farkas certificate (rows
  // and the bounds it uses), all of them active; the certificate's values
  // go into iis when given. False when there is none (MIP tests, or a ray
  // that does not prove infeasibility in floating point).
  bool certificate(const std::vector<char> &active, std::vector<char> &support, Iis *iis) {
    support.assign(static_cast<size_t>(members()), 0);
    if (contradiction_ >= 0) {
      support[m_ + 2 * contradiction_] = support[m_ + 2 * contradiction_ + 1] = 1;
      if (iis) iis->colDual.assign(iis->cols.size(), 0.0);
      return true;
    }
    if (mip_ || m_ == 0) return false;
    HighsInt has = 0;
    std::vector<double> ray(static_cast<size_t>(m_));
    if (Highs_getDualRay(h_.get(), &has, ray.data()) != kHighsStatusOk || !has) return false;
    for (double sign : {1.0, -1.0})
      if (farkas(active, ray, sign, support, iis)) return true;
    return false;
  }

 private:
  // Checks z = sign * ray: rows with z_i > 0 bound z'Ax below by their lower
  // bounds, z_i < 0 by their upper ones; d = A'z bounds d'x above by the
  // column bounds; z'Ax = d'x makes the subsystem infeasible when the upper
  // bound lies below the lower one.
  bool farkas(const std::vector<char> &active, const std::vector<double> &ray, double sign,
              std::vector<char> &support, Iis *iis) {
    std::fill(support.begin(), support.end(), 0);
    double largest = 0.0;
    for (double v : ray) largest = std::max(largest, std::fabs(v));
    if (largest == 0.0) return false;
    std::vector<double> z(static_cast<size_t>(m_), 0.0), d(static_cast<size_t>(n_), 0.0);
    double lower = 0.0, upper = 0.0, size = 0.0;
    for (int i = 0; i < m_; ++i) {
      if (std::fabs(ray[i]) <= 1e-12 * largest) continue;
      z[i] = sign * ray[i];
      double b = z[i] > 0 ? lo_[i] : up_[i];
      if (!active[i] || !finite(b)) return false;
      lower += z[i] * b, size += std::fabs(z[i] * b);
      support[i] = 1;
    }
    for (int j = 0; j < n_; ++j)
      for (const Entry &e : s_.columns[j]) d[j] += e.value * z[e.index];
    for (int j = 0; j < n_; ++j) {
      if (std::fabs(d[j]) <= 1e-11 * largest) continue;
      int e = m_ + 2 * j + (d[j] > 0 ? 1 : 0);
      double b = d[j] > 0 ? s_.ub[j] : s_.lb[j];
      if (!active[e] || !finite(b)) return false;
      upper += d[j] * b, size += std::fabs(d[j] * b);
      support[e] = 1;
    }
    if (!(upper < lower - 1e-9 * (1.0 + size))) return false;
    if (iis) {
      iis->rowDual.clear(), iis->colDual.clear();
      for (int i : iis->rows) iis->rowDual.push_back(z[i]);
      for (int j : iis->cols) iis->colDual.push_back(d[j]);
    }
    return true;
  }

  void apply(const std::vector<char> &active) {
    for (int i = 0; i < m_; ++i)
      if (active[i] != applied_[i])
        Highs_changeRowBounds(h_.get(), i, highsBound(active[i] ? lo_[i] : -kInf),
                              highsBound(active[i] ? up_[i] : kInf));
    for (int j = 0; j < n_; ++j) {
      int l = m_ + 2 * j, u = l + 1;
      if (active[l] != applied_[l] || active[u] != applied_[u])
        Highs_changeColBounds(h_.get(), j, highsBound(active[l] ? s_.lb[j] : -kInf),
                              highsBound(active[u] ? s_.ub[j] : kInf));
    }
    applied_ = active;
  }

  qrva_problem_s &p_;
  const ProblemStore &s_;
  const Check &chk_;
  bool mip_;
  RunContext ctx_;
  HighsHandle h_;
  int m_ = 0, n_ = 0, tests_ = 0, contradiction_ = -1;
  std::vector<double> lo_, up_;
  std::vector<char> applied_;
  double limit_ = 0.0;
  std::chrono::steady_clock::time_point started_;
};

// The members of a subsystem as the problem reports them.
Iis record(const Tester &t, const std::vector<char> &active, int mode) {
  Iis iis;
  int m = t.rows();
  for (int i = 0; i < m; ++i)
    if (active[i]) iis.rows.push_back(i);
  for (int e = m; e < t.members(); e += 2) {
    bool l = active[e] != 0, u = active[e + 1] != 0;
    if (!l && !u) continue;
    iis.cols.push_back((e - m) / 2);
    iis.colBound.push_back(l && u ? 'B' : (l ? 'L' : 'U'));
  }
  iis.rowDual.assign(iis.rows.size(), 0.0), iis.colDual.assign(iis.cols.size(), 0.0);
  iis.rowIsolated.assign(iis.rows.size(), -1), iis.colIsolated.assign(iis.cols.size(), -1);
  iis.irreducible = mode == QRVA_IIS_MODE_IRREDUCIBLE;
  return iis;
}

// The least total violation of the subsystem's rows and bounds, and how
// many of them it breaks, from HiGHS's feasibility relaxation of the
// subsystem as a problem of its own.
void measureInfeasibility(qrva_problem_s &p, const Check &chk, Iis &iis, bool mip) {
  qrva_problem_s sub;
  sub.controls = p.controls;
  sub.store = std::make_unique<ProblemStore>(iisStore(*p.store, iis, mip));
  const ProblemStore &t = *sub.store;
  Model model = buildModel(t, chk, mip ? SolveKind::Mip : SolveKind::Lp);
  HighsHandle h(Highs_create());
  setOptions(h.get(), sub, mip ? SolveKind::Mip : SolveKind::Lp, "");
  Highs_setBoolOptionValue(h.get(), "output_flag", 0);
  transferModel(h.get(), model, sub, chk);
  if (Highs_feasibilityRelaxation(h.get(), 1.0, 1.0, 1.0, nullptr, nullptr, nullptr) == kHighsStatusError)
    return;
  int n = t.ncols(), m = t.nrows();
  std::vector<double> x(static_cast<size_t>(Highs_getNumCol(h.get()))),
      act(static_cast<size_t>(Highs_getNumRow(h.get())));
  Highs_getSolution(h.get(), x.data(), nullptr, act.data(), nullptr);
  double tol = p.dblControl(QRVA_FEASTOL), sum = 0.0;
  int count = 0;
  auto note = [&](double v) {
    if (v > tol) sum += v, ++count;
  };
  for (int i = 0; i < m; ++i) {
    double lo, up;
    rowBounds(t, i, lo, up);
    if (finite(lo)) note(lo - act[i]);
    if (finite(up)) note(act[i] - up);
  }
  for (int j = 0; j < n; ++j) {
    if (finite(t.lb[j])) note(t.lb[j] - x[j]);
    if (finite(t.ub[j])) note(x[j] - t.ub[j]);
  }
  iis.sumInfeas = sum, iis.numInfeas = count;
}

// Reduces active (infeasible at the last test of t) to a subsystem: the
// certificate's support in the fast mode, else by the deletion filter,
// which drops every member whose removal leaves the rest infeasible and
// narrows to each new certificate's support on the way. A member kept was
// needed by a superset of the final set, so it is needed by the final set:
// the result is irreducible.
Outcome reduce(Tester &t, std::vector<char> &active, int mode) {
  std::vector<char> needed(active.size(), 0), support;
  auto narrow = [&] {
    if (!t.certificate(active, support, nullptr)) return;
    for (size_t e = 0; e < active.size(); ++e)
      if (active[e] && !support[e] && !needed[e]) active[e] = 0;
  };
  narrow();
  if (mode == QRVA_IIS_MODE_FAST) return Outcome::Infeasible;
  for (int e = 0; e < t.members(); ++e) {
    if (!active[e]) continue;
    active[e] = 0;
    Outcome r = t.test(active);
    if (r == Outcome::Stopped) {
      active[e] = 1;
      return r;
    }
    if (r == Outcome::Feasible)
      active[e] = 1, needed[e] = 1;
    else
      narrow();
  }
  return Outcome::Infeasible;
}

// Where the rows and columns of a tester's problem are in p, when it tests
// a part of p as a problem of its own (both increasing).
struct Numbering {
  std::vector<int> rows, cols;
};

// Reduces active to a subsystem and adds it to p's list, numbered as in p
// through numbering when t tests a part of p. QRVA_IIS_* status.
int isolate(qrva_problem_s &p, const Check &chk, Tester &t, std::vector<char> &active,
            const Numbering *numbering = nullptr) {
  if (reduce(t, active, p.iis.mode) == Outcome::Stopped) return QRVA_IIS_STOPPED;
  Iis iis = record(t, active, p.iis.mode);
  // One more test of the final set gives its own certificate.
  std::vector<char> support;
  if (!t.mip() && t.test(active) == Outcome::Infeasible) t.certificate(active, support, &iis);
  if (numbering) {
    for (int &i : iis.rows) i = numbering->rows[i];
    for (int &j : iis.cols) j = numbering->cols[j];
  }
  measureInfeasibility(p, chk, iis, t.mip());
  p.iis.found.push_back(std::move(iis));
  return QRVA_IIS_FOUND;
}

// Isolates a subsystem within the members of a propagation conflict,
// tested as a problem of their own: far smaller than p, so that each test
// of the deletion filter is cheap. -1 when the solve does not confirm the
// conflict.
int isolateConflict(qrva_problem_s &p, const Check &chk, const std::vector<int> &members) {
  Iis part;
  int m = p.store->nrows();
  for (int e : members) {
    if (e < m) {
      part.rows.push_back(e);
      continue;
    }
    int j = (e - m) / 2;
    if (!part.cols.empty() && part.cols.back() == j)
      part.colBound.back() = 'B';
    else
      part.cols.push_back(j), part.colBound.push_back((e - m) % 2 == 0 ? 'L' : 'U');
  }
  Numbering numbering{part.rows, {}};
  qrva_problem_s sub;
  sub.controls = p.controls;
  sub.store = std::make_unique<ProblemStore>(iisStore(*p.store, part, false, &numbering.cols));
  Tester t(sub, chk, false);
  std::vector<char> all = t.everyMember();
  Outcome r = t.test(all);
  if (r == Outcome::Stopped) return QRVA_IIS_STOPPED;
  if (r == Outcome::Feasible) {
    p.message(QRVA_MSG_INFO, formatText("%s: the conflict of %zu rows and bounds that bound propagation found "
                                        "is feasible as a problem of its own; the whole problem is searched",
                                        chk.function(), members.size()));
    return -1;
  }
  p.message(QRVA_MSG_INFO, formatText("%s: bound propagation found a conflict of %zu rows and bounds",
                                      chk.function(), members.size()));
  return isolate(p, chk, t, all, &numbering);
}

bool discrete(const ProblemStore &s) {
  if (!s.sets.empty()) return true;
  for (int j = 0; j < s.ncols(); ++j)
    if (s.isDiscrete(j)) return true;
  return false;
}

// Whether every member of iis is active.
bool within(const Tester &t, const Iis &iis, const std::vector<char> &active) {
  int m = t.rows();
  for (int i : iis.rows)
    if (!active[i]) return false;
  for (size_t k = 0; k < iis.cols.size(); ++k) {
    int l = m + 2 * iis.cols[k];
    char b = iis.colBound[k];
    if ((b != 'U' && !active[l]) || (b != 'L' && !active[l + 1])) return false;
  }
  return true;
}

// The members of iis, as member numbers of t.
std::vector<int> memberList(const Tester &t, const Iis &iis) {
  std::vector<int> list(iis.rows.begin(), iis.rows.end());
  for (size_t k = 0; k < iis.cols.size(); ++k) {
    int l = t.rows() + 2 * iis.cols[k];
    if (iis.colBound[k] != 'U') list.push_back(l);
    if (iis.colBound[k] != 'L') list.push_back(l + 1);
  }
  return list;
}

// HiGHS's scheduler at p's thread count for the tests of one search.
std::unique_ptr<SchedulerHold> holdScheduler(const qrva_problem_s &p, const Check &chk) {
  int threads = static_cast<int>(std::min<int64_t>(p.intControl(QRVA_THREADS), 2147483647));
  auto hold = std::make_unique<SchedulerHold>(threads);
  if (!hold->ok())
    chk.fail(formatText("threads is %d but another solve is running with %d threads; HiGHS runs every solve "
                        "of the process with one thread count",
                        threads, hold->heldAt()),
             QRVA_ERR_SOLVER);
  return hold;
}

enum class Hunt { Found, None, Stopped };

// Depth-first search for an infeasible subset of active containing none of
// the subsystems found: while one lies within the candidates (active, or
// its certificate's support), each of its members is relaxed in turn. A
// feasible node ends its branch: relaxing more keeps it feasible.
Hunt hunt(qrva_problem_s &p, const Check &chk, Tester &t, std::vector<char> active) {
  if (t.tests() >= kNextBudget) return Hunt::Stopped;
  Outcome r = t.test(active);
  if (r == Outcome::Stopped) return Hunt::Stopped;
  if (r == Outcome::Feasible) return Hunt::None;
  std::vector<char> candidates = active, support;
  if (t.certificate(active, support, nullptr))
    for (size_t e = 0; e < candidates.size(); ++e) candidates[e] = candidates[e] && support[e];
  const Iis *inside = nullptr;
  for (const Iis &iis : p.iis.found)
    if (within(t, iis, candidates)) {
      inside = &iis;
      break;
    }
  if (!inside) {
    // The last test's certificate is the one reduce() starts from.
    return isolate(p, chk, t, active) == QRVA_IIS_FOUND ? Hunt::Found : Hunt::Stopped;
  }
  bool stopped = false;
  for (int e : memberList(t, *inside)) {
    // The certificate speaks for this node only: a child relaxes e in all
    // of active, where other members may still make it infeasible.
    std::vector<char> next = active;
    next[e] = 0;
    Hunt h = hunt(p, chk, t, next);
    if (h == Hunt::Found) return h;
    stopped = stopped || h == Hunt::Stopped;
    if (h == Hunt::Stopped && t.tests() >= kNextBudget) break;
  }
  return stopped ? Hunt::Stopped : Hunt::None;
}

}  // namespace

int iisFirst(qrva_problem_s &p, const Check &chk, int mode) {
  if (mode != QRVA_IIS_MODE_IRREDUCIBLE && mode != QRVA_IIS_MODE_FAST)
    chk.fail(formatText("mode %d is not one of %d (irreducible, by the deletion filter) %d (fast)", mode,
                        QRVA_IIS_MODE_IRREDUCIBLE, QRVA_IIS_MODE_FAST));
  p.iis = IisResults{};
  p.iis.mode = mode;
  auto scheduler = holdScheduler(p, chk);
  std::vector<int> conflict = boundConflict(*p.store, p.dblControl(QRVA_FEASTOL));
  if (!conflict.empty()) {
    int status = isolateConflict(p, chk, conflict);
    if (status >= 0) return status;
  }
  Tester lp(p, chk, false);
  std::vector<char> all = lp.everyMember();
  Outcome r = lp.test(all);
  if (r == Outcome::Stopped) return QRVA_IIS_STOPPED;
  if (r == Outcome::Infeasible) return isolate(p, chk, lp, all);
  if (!discrete(*p.store)) {
    p.iis.exhausted = true;
    return QRVA_IIS_NONE;
  }
  p.iis.mip = true;
  Tester mip(p, chk, true);
  r = mip.test(all);
  if (r == Outcome::Stopped) return QRVA_IIS_STOPPED;
  if (r == Outcome::Feasible) {
    p.iis.exhausted = true;
    return QRVA_IIS_NONE;
  }
  return isolate(p, chk, mip, all);
}

int iisNext(qrva_problem_s &p, const Check &chk) {
  if (p.iis.found.empty()) {
    if (p.iis.exhausted) return QRVA_IIS_NONE;
    chk.fail("no subsystem has been found yet; call QRVAiisfirst first", QRVA_ERR_STATE);
  }
  if (p.iis.exhausted) return QRVA_IIS_NONE;
  auto scheduler = holdScheduler(p, chk);
  Tester t(p, chk, p.iis.mip);
  Hunt h = hunt(p, chk, t, t.everyMember());
  if (h == Hunt::None) p.iis.exhausted = true;
  return h == Hunt::Found ? QRVA_IIS_FOUND : (h == Hunt::None ? QRVA_IIS_NONE : QRVA_IIS_STOPPED);
}

void iisIsolations(qrva_problem_s &p, int num) {
  Iis &iis = p.iis.found[num];
  auto elsewhere = [&](auto &&has) {
    for (size_t k = 0; k < p.iis.found.size(); ++k)
      if (static_cast<int>(k) != num && has(p.iis.found[k])) return true;
    return false;
  };
  for (size_t k = 0; k < iis.rows.size(); ++k) {
    int row = iis.rows[k];
    iis.rowIsolated[k] = !elsewhere(
        [&](const Iis &o) { return std::binary_search(o.rows.begin(), o.rows.end(), row); });
  }
  for (size_t k = 0; k < iis.cols.size(); ++k) {
    int col = iis.cols[k];
    char bound = iis.colBound[k];
    iis.colIsolated[k] = !elsewhere([&](const Iis &o) {
      auto at = std::lower_bound(o.cols.begin(), o.cols.end(), col);
      if (at == o.cols.end() || *at != col) return false;
      char other = o.colBound[static_cast<size_t>(at - o.cols.begin())];
      return other == 'B' || bound == 'B' || other == bound;
    });
  }
}

ProblemStore iisStore(const ProblemStore &s, const Iis &iis, bool keepTypes, std::vector<int> *colsInS) {
  const RowWise &rows = s.rowWise();
  std::vector<int> newCol(static_cast<size_t>(s.ncols()), -1), cols;
  auto use = [&](int j) {
    if (newCol[j] < 0) newCol[j] = 0, cols.push_back(j);
  };
  for (int i : iis.rows)
    for (int64_t k = rows.start[i]; k < rows.start[i + 1]; ++k) use(rows.entries[k].index);
  for (int j : iis.cols) use(j);
  std::sort(cols.begin(), cols.end());
  if (colsInS) *colsInS = cols;
  ProblemStore t;
  int n = static_cast<int>(cols.size()), m = static_cast<int>(iis.rows.size());
  t.lb.assign(n, -kInf), t.ub.assign(n, kInf), t.obj.assign(n, 0.0), t.limit.assign(n, 0.0);
  t.colType.assign(n, 'C'), t.columns.assign(n, {});
  t.colNames.resize(n);
  for (int k = 0; k < n; ++k) {
    int j = cols[k];
    newCol[j] = k;
    t.colNames.set(k, s.colNames.get(j));
    if (keepTypes) t.colType[k] = s.colType[j] == 'B' ? 'I' : s.colType[j], t.limit[k] = s.limit[j];
  }
  for (size_t k = 0; k < iis.cols.size(); ++k) {
    int j = iis.cols[k], c = newCol[j];
    if (iis.colBound[k] != 'U') t.lb[c] = s.lb[j];
    if (iis.colBound[k] != 'L') t.ub[c] = s.ub[j];
  }
  t.rowNames.resize(m);
  for (int r = 0; r < m; ++r) {
    int i = iis.rows[r];
    t.rowType.push_back(s.rowType[i]), t.rhs.push_back(s.rhs[i]), t.range.push_back(s.range[i]);
    t.indicatorCol.push_back(-1), t.indicatorComp.push_back(0);
    t.rowNames.set(r, s.rowNames.get(i));
    for (int64_t k = rows.start[i]; k < rows.start[i + 1]; ++k)
      t.columns[newCol[rows.entries[k].index]].push_back(Entry{r, rows.entries[k].value});
  }
  return t;
}

std::string iisCsv(const ProblemStore &s, const Iis &iis) {
  std::string out = "kind,index,name,type,bound,dual,isolated\n";
  auto quote = [](const std::string &name) {
    if (name.find_first_of(",\"\n") == std::string::npos) return name;
    std::string q = "\"";
    for (char c : name) q += c == '"' ? std::string("\"\"") : std::string(1, c);
    return q + "\"";
  };
  for (size_t k = 0; k < iis.rows.size(); ++k) {
    int i = iis.rows[k];
    out += formatText("row,%d,%s,%c,%.17g,%.17g,%d\n", i, quote(s.rowNames.get(i)).c_str(), s.rowType[i],
                      s.rhs[i], iis.rowDual[k], iis.rowIsolated[k]);
  }
  for (size_t k = 0; k < iis.cols.size(); ++k) {
    int j = iis.cols[k];
    for (char b : {'L', 'U'}) {
      if (iis.colBound[k] != 'B' && iis.colBound[k] != b) continue;
      out += formatText("column,%d,%s,%c,%.17g,%.17g,%d\n", j, quote(s.colNames.get(j)).c_str(), b,
                        b == 'L' ? s.lb[j] : s.ub[j], iis.colDual[k], iis.colIsolated[k]);
    }
  }
  return out;
}

}  // namespace qrva
