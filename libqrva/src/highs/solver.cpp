#include "highs/solver.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <csignal>
#include <map>
#include <mutex>

#include "interfaces/highs_c_api.h"
#include "core/validate.h"

namespace qrva {
namespace {

const double kInf = 1e20;
const double kNativeSemiLimit = 1e5;  // HiGHS tightens larger semi-continuous bounds

bool infinite(double v) { return std::fabs(v) >= kInf; }

// --- SIGINT while solving ------------------------------------------------------
// The handler only marks the running problems; the interrupt callbacks do the rest.

const int kSlots = 64;
std::atomic<qrva_problem_s *> runningProblems[kSlots];
std::mutex sigintMutex;
int activeSolves = 0;
struct sigaction previousAction;

extern "C" void onSigint(int) {
  for (auto &slot : runningProblems) {
    qrva_problem_s *p = slot.load();
    if (p) p->interruptReason.store(QRVA_STOP_CTRLC);
  }
}

}  // namespace

void rowBounds(const ProblemStore &s, int i, double &lower, double &upper) {
  double r = s.rhs[i];
  switch (s.rowType[i]) {
    case 'L': lower = -kInf, upper = r; break;
    case 'G': lower = r, upper = kInf; break;
    case 'E': lower = upper = r; break;
    case 'R': lower = r - s.range[i], upper = r; break;
    default: lower = -kInf, upper = kInf; break;
  }
}

SigintGuard::SigintGuard(qrva_problem_s *p) {
  std::lock_guard<std::mutex> lock(sigintMutex);
  for (auto &s : runningProblems) {
    qrva_problem_s *expected = nullptr;
    if (s.compare_exchange_strong(expected, p)) {
      slot_ = &s;
      break;
    }
  }
  if (activeSolves++ == 0) {
    struct sigaction action {};
    action.sa_handler = onSigint;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, &previousAction);
  }
}

SigintGuard::~SigintGuard() {
  std::lock_guard<std::mutex> lock(sigintMutex);
  if (slot_) slot_->store(nullptr);
  if (--activeSolves == 0) sigaction(SIGINT, &previousAction, nullptr);
}

namespace {

// --- The HiGHS model -------------------------------------------------------

// The model handed to HiGHS: the store's columns as they are, plus what the
// reformulations add (entries in original columns, new columns, new rows).
// The store's matrix is never copied: flatten() reads it straight.
struct Model {
  std::vector<double> cost, colLower, colUpper, rowLower, rowUpper;
  std::vector<int> integrality;
  bool anyIntegral = false;
  bool extended = false;  // columns or rows were added by reformulations
  const std::vector<std::vector<Entry>> *storeCols = nullptr;
  std::map<int, std::vector<Entry>> extraEntries;  // original column -> added entries
  std::vector<std::vector<Entry>> newCols;

  int originalCols() const { return static_cast<int>(storeCols->size()); }
  int addCol(double lower, double upper, int type) {
    cost.push_back(0.0), colLower.push_back(lower), colUpper.push_back(upper);
    integrality.push_back(type);
    newCols.emplace_back();
    extended = true;
    if (type != kHighsVarTypeContinuous) anyIntegral = true;
    return static_cast<int>(cost.size()) - 1;
  }
  int addRow(double lower, double upper) {
    rowLower.push_back(lower), rowUpper.push_back(upper);
    extended = true;
    return static_cast<int>(rowLower.size()) - 1;
  }
  void add(int row, int col, double v) {
    if (col < originalCols()) extraEntries[col].push_back(Entry{row, v});
    else newCols[col - originalCols()].push_back(Entry{row, v});
  }

  // Compressed columns: sorted by row, duplicates merged.
  void flatten(std::vector<HighsInt> &start, std::vector<HighsInt> &index,
               std::vector<double> &value) const {
    int n = originalCols(), ncol = static_cast<int>(cost.size());
    size_t total = 0;
    for (const auto &c : *storeCols) total += c.size();
    for (const auto &e : extraEntries) total += e.second.size();
    for (const auto &c : newCols) total += c.size();
    start.assign(ncol + 1, 0), index.clear(), value.clear();
    index.reserve(total), value.reserve(total);
    std::vector<Entry> merged;
    for (int j = 0; j < ncol; ++j) {
      const std::vector<Entry> *c = j < n ? &(*storeCols)[j] : &newCols[j - n];
      auto extra = j < n ? extraEntries.find(j) : extraEntries.end();
      if (j >= n || extra != extraEntries.end()) {
        merged = *c;
        if (extra != extraEntries.end())
          merged.insert(merged.end(), extra->second.begin(), extra->second.end());
        std::sort(merged.begin(), merged.end(),
                  [](const Entry &a, const Entry &b) { return a.index < b.index; });
        size_t out = 0;
        for (size_t k = 0; k < merged.size(); ++k) {
          if (out > 0 && merged[out - 1].index == merged[k].index) merged[out - 1].value += merged[k].value;
          else merged[out++] = merged[k];
        }
        merged.resize(out);
        c = &merged;
      }
      for (const Entry &e : *c) index.push_back(e.index), value.push_back(e.value);
      start[j + 1] = static_cast<HighsInt>(index.size());
    }
  }
};

std::string colName(const ProblemStore &s, int j) {
  return formatText("%d ('%s')", j, s.colNames.get(j).c_str());
}

// Semi-continuous, semi-integer and partially integer columns.
void addSemiColumn(const ProblemStore &s, const Check &chk, Model &m, int j) {
  char t = s.colType[j];
  double lb = s.lb[j], ub = s.ub[j], lim = s.limit[j];
  if (infinite(ub))
    chk.fail(formatText("column %s is %s with an infinite upper bound; give it a finite "
                        "upper bound",
                        colName(s, j).c_str(),
                        t == 'S' ? "semi-continuous" : (t == 'R' ? "semi-integer" : "partially integer")),
             QRVA_ERR_STATE);
  if (t == 'P') {
    if (lim <= lb) return;  // continuous everywhere
    if (lim >= ub) {
      m.integrality[j] = kHighsVarTypeInteger, m.anyIntegral = true;
      return;
    }
    // x = xi + xc: integer part up to the limit, continuous part above it.
    int xi = m.addCol(lb, lim, kHighsVarTypeInteger);
    int xc = m.addCol(0.0, ub - lim, kHighsVarTypeContinuous);
    int z = m.addCol(0.0, 1.0, kHighsVarTypeInteger);
    int r0 = m.addRow(0.0, 0.0);
    m.add(r0, j, 1.0), m.add(r0, xi, -1.0), m.add(r0, xc, -1.0);
    int r1 = m.addRow(-kInf, 0.0);
    m.add(r1, xc, 1.0), m.add(r1, z, -(ub - lim));
    int r2 = m.addRow(0.0, kInf);
    m.add(r2, xi, 1.0), m.add(r2, z, -lim);
    return;
  }
  if (lb < 0)
    chk.fail(formatText("column %s is semi-continuous with a negative lower bound %g",
                        colName(s, j).c_str(), lb),
             QRVA_ERR_STATE);
  double threshold = lim > 0 ? lim : lb;
  int type = t == 'S' ? kHighsVarTypeSemiContinuous : kHighsVarTypeSemiInteger;
  if (ub < kNativeSemiLimit) {
    m.colLower[j] = threshold, m.colUpper[j] = ub, m.integrality[j] = type;
    m.anyIntegral = true;
    return;
  }
  // Large upper bound: x = 0 or threshold <= x <= ub through a binary.
  m.colLower[j] = 0.0, m.colUpper[j] = ub;
  m.integrality[j] = t == 'S' ? kHighsVarTypeContinuous : kHighsVarTypeInteger;
  int z = m.addCol(0.0, 1.0, kHighsVarTypeInteger);
  int r1 = m.addRow(-kInf, 0.0);
  m.add(r1, j, 1.0), m.add(r1, z, -ub);
  int r2 = m.addRow(0.0, kInf);
  m.add(r2, j, 1.0), m.add(r2, z, -threshold);
}

// x_j <= u_j * (sum of z) and x_j >= l_j * (sum of z) for the given binaries.
void linkToBinaries(const ProblemStore &s, const Check &chk, Model &m, int j,
                    const std::vector<int> &z, int set) {
  double lb = s.lb[j], ub = s.ub[j];
  if ((ub > 0 && infinite(ub)) || (lb < 0 && infinite(lb)))
    chk.fail(formatText("set %d: member column %s has an infinite bound; members of a set "
                        "need finite bounds until the engine's own tree search exists",
                        set, colName(s, j).c_str()),
             QRVA_ERR_STATE);
  if (ub > 0) {
    int r = m.addRow(-kInf, 0.0);
    m.add(r, j, 1.0);
    for (int b : z) m.add(r, b, -ub);
  }
  if (lb < 0) {
    int r = m.addRow(0.0, kInf);
    m.add(r, j, 1.0);
    for (int b : z) m.add(r, b, -lb);
  }
}

void addSet(const ProblemStore &s, const Check &chk, Model &m, int k) {
  const SosSet &set = s.sets[k];
  std::vector<size_t> order(set.cols.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::sort(order.begin(), order.end(),
            [&](size_t a, size_t b) { return set.weights[a] < set.weights[b]; });
  size_t n = order.size();
  if (n <= (set.type == '1' ? 1u : 2u)) return;  // nothing to restrict
  size_t nz = set.type == '1' ? n : n - 1;
  std::vector<int> z(nz);
  int card = m.addRow(-kInf, 1.0);
  for (size_t i = 0; i < nz; ++i) {
    z[i] = m.addCol(0.0, 1.0, kHighsVarTypeInteger);
    m.add(card, z[i], 1.0);
  }
  for (size_t i = 0; i < n; ++i) {
    int j = set.cols[order[i]];
    std::vector<int> mine;
    if (set.type == '1') {
      mine.push_back(z[i]);
    } else {
      if (i > 0) mine.push_back(z[i - 1]);
      if (i < nz) mine.push_back(z[i]);
    }
    linkToBinaries(s, chk, m, j, mine, k);
  }
}

// Activity bounds of row i over the column bounds.
void activityBounds(const ProblemStore &s, int i, double &lo, double &hi) {
  const RowWise &rw = s.rowWise();
  lo = hi = 0.0;
  for (int64_t k = rw.start[i]; k < rw.start[i + 1]; ++k) {
    const Entry &e = rw.entries[k];
    char t = s.colType[e.index];
    double l = t == 'S' || t == 'R' ? std::min(0.0, s.lb[e.index]) : s.lb[e.index];
    double u = s.ub[e.index];
    if (e.value > 0) {
      lo += infinite(l) ? -INFINITY : e.value * l;
      hi += infinite(u) ? INFINITY : e.value * u;
    } else {
      lo += infinite(u) ? -INFINITY : e.value * u;
      hi += infinite(l) ? INFINITY : e.value * l;
    }
  }
}

// Indicator row i: enforced only when its binary takes the active value,
// through big-M terms on the binary.
void addIndicator(const ProblemStore &s, const Check &chk, Model &m, int i) {
  int z = s.indicatorCol[i];
  bool activeAtOne = s.indicatorComp[i] == 1;
  double lower = m.rowLower[i], upper = m.rowUpper[i];
  double lo, hi;
  activityBounds(s, i, lo, hi);
  bool needUpper = !infinite(upper) && hi > upper;
  bool needLower = !infinite(lower) && lo < lower;
  if ((needUpper && std::isinf(hi)) || (needLower && std::isinf(lo)))
    chk.fail(formatText("indicator row %d ('%s') has unbounded activity; its columns need "
                        "finite bounds until the engine's own tree search exists",
                        i, s.rowNames.get(i).c_str()),
             QRVA_ERR_STATE);
  int upperRow = i, lowerRow = i;
  if (needUpper && needLower) {
    lowerRow = m.addRow(lower, kInf);
    const RowWise &rw = s.rowWise();
    for (int64_t k = rw.start[i]; k < rw.start[i + 1]; ++k)
      m.add(lowerRow, rw.entries[k].index, rw.entries[k].value);
    m.rowLower[i] = -kInf;
  }
  if (needUpper) {
    double M = hi - upper;  // a'x + M z <= upper + M (active at 1), a'x - M z <= upper (at 0)
    if (activeAtOne) {
      m.add(upperRow, z, M);
      m.rowUpper[upperRow] = upper + M;
    } else {
      m.add(upperRow, z, -M);
    }
  }
  if (needLower) {
    double M = lower - lo;
    if (activeAtOne) {
      m.add(lowerRow, z, -M);
      m.rowLower[lowerRow] = lower - M;
    } else {
      m.add(lowerRow, z, M);
    }
  }
}

Model buildModel(const ProblemStore &s, const Check &chk, SolveKind kind) {
  Model m;
  int n = s.ncols(), nr = s.nrows();
  m.cost = s.obj, m.colLower = s.lb, m.colUpper = s.ub;
  m.storeCols = &s.columns;
  m.integrality.assign(n, kHighsVarTypeContinuous);
  m.rowLower.resize(nr), m.rowUpper.resize(nr);
  for (int i = 0; i < nr; ++i) rowBounds(s, i, m.rowLower[i], m.rowUpper[i]);
  if (!s.qrows.empty())
    chk.fail(formatText("the problem has %zu rows with quadratic terms; quadratic constraints "
                        "are not available yet in this version of the library",
                        s.qrows.size()),
             QRVA_ERR_NOT_AVAILABLE);
  bool discrete = !s.sets.empty();
  for (int j = 0; j < n && !discrete; ++j) discrete = s.isDiscrete(j);
  if (kind == SolveKind::Lp || !discrete) {
    // The relaxation: integrality, sets and indicator rows dropped.
    for (int j = 0; j < n; ++j)
      if (s.colType[j] == 'S' || s.colType[j] == 'R') m.colLower[j] = std::min(0.0, s.lb[j]);
    for (int i = 0; i < nr; ++i)
      if (s.indicatorCol[i] >= 0) m.rowLower[i] = -kInf, m.rowUpper[i] = kInf;
    return m;
  }
  if (!s.qobj.empty())
    chk.fail("the problem has a quadratic objective and discrete columns or sets; mixed-integer "
             "quadratic problems are not available yet in this version of the library",
             QRVA_ERR_NOT_AVAILABLE);
  for (int j = 0; j < n; ++j) {
    switch (s.colType[j]) {
      case 'I': m.integrality[j] = kHighsVarTypeInteger, m.anyIntegral = true; break;
      case 'B':
        m.integrality[j] = kHighsVarTypeInteger, m.anyIntegral = true;
        m.colLower[j] = std::max(m.colLower[j], 0.0), m.colUpper[j] = std::min(m.colUpper[j], 1.0);
        break;
      case 'S': case 'R': case 'P': addSemiColumn(s, chk, m, j); break;
      default: break;
    }
  }
  for (size_t k = 0; k < s.sets.size(); ++k) addSet(s, chk, m, static_cast<int>(k));
  for (int i = 0; i < nr; ++i)
    if (s.indicatorCol[i] >= 0) addIndicator(s, chk, m, i);
  return m;
}

// --- Running ------------------------------------------------------------------

}  // namespace

void flushLog(RunContext &ctx, bool all) {
  size_t pos;
  while ((pos = ctx.pending.find('\n')) != std::string::npos) {
    ctx.p->message(QRVA_MSG_INFO, ctx.pending.substr(0, pos));
    ctx.pending.erase(0, pos + 1);
  }
  if (all && !ctx.pending.empty()) {
    ctx.p->message(QRVA_MSG_INFO, ctx.pending);
    ctx.pending.clear();
  }
}

extern "C" void highsCallback(int type, const char *message, const HighsCallbackDataOut *,
                              HighsCallbackDataIn *in, void *data) {
  auto &ctx = *static_cast<RunContext *>(data);
  if (type == kHighsCallbackLogging) {
    if (message) ctx.pending += message;
    flushLog(ctx, false);
  } else if (type == kHighsCallbackMipImprovingSolution) {
    ++ctx.solutions;
  } else if (in != nullptr && ctx.p->interruptReason.load() != 0) {
    in->user_interrupt = 1;
  }
}

namespace {
std::mutex schedulerMutex;
int schedulerUsers = 0;
int schedulerThreads = -1;  // the count the scheduler was started with; -1: not started
}  // namespace

SchedulerHold::SchedulerHold(int threads) {
  std::lock_guard<std::mutex> lock(schedulerMutex);
  if (schedulerUsers > 0 && schedulerThreads != threads) {
    heldAt_ = schedulerThreads;
    return;
  }
  if (schedulerThreads != -1 && schedulerThreads != threads) Highs_resetGlobalScheduler(1);
  schedulerThreads = threads;
  ++schedulerUsers;
  ok_ = true;
}

SchedulerHold::~SchedulerHold() {
  if (!ok_) return;
  std::lock_guard<std::mutex> lock(schedulerMutex);
  --schedulerUsers;
}

void attachHighsCallbacks(void *h, RunContext &ctx) {
  Highs_setCallback(h, highsCallback, &ctx);
  Highs_startCallback(h, kHighsCallbackLogging);
  Highs_startCallback(h, kHighsCallbackSimplexInterrupt);
  Highs_startCallback(h, kHighsCallbackIpmInterrupt);
  Highs_startCallback(h, kHighsCallbackMipInterrupt);
  Highs_startCallback(h, kHighsCallbackMipImprovingSolution);
}

namespace {

void setOptions(void *h, qrva_problem_s &p, SolveKind kind, const char *flags) {
  auto dbl = [&](const char *o, double v) { Highs_setDoubleOptionValue(h, o, v); };
  auto integer = [&](const char *o, int64_t v) {
    Highs_setIntOptionValue(h, o, static_cast<HighsInt>(std::min<int64_t>(v, 2147483647)));
  };
  auto str = [&](const char *o, const char *v) { Highs_setStringOptionValue(h, o, v); };
  Highs_resetOptions(h);
  Highs_setBoolOptionValue(h, "output_flag", p.messagesHeard());
  Highs_setBoolOptionValue(h, "log_to_console", false);
  dbl("primal_feasibility_tolerance", p.dblControl(7001));
  dbl("dual_feasibility_tolerance", p.dblControl(7002));
  dbl("mip_feasibility_tolerance", p.dblControl(7003));
  dbl("mip_abs_gap", p.dblControl(7004));
  dbl("mip_rel_gap", p.dblControl(7005));
  if (p.dblControl(7006) < kInf) dbl("time_limit", p.dblControl(7006));
  integer("simplex_iteration_limit", p.intControl(8001));
  integer("ipm_iteration_limit", p.intControl(8002));
  str("presolve", p.intControl(8003) ? "choose" : "off");
  str("run_crossover", p.intControl(8005) ? "on" : "off");
  int64_t threads = p.intControl(8006);
  if (threads > 0) integer("threads", threads);
  if (threads > 1) str("parallel", "on");
  integer("mip_max_nodes", p.intControl(8007));
  if (p.intControl(8008) > 0) integer("mip_max_improving_sols", p.intControl(8008));
  integer("random_seed", p.intControl(8009));
  if (!p.intControl(8012)) integer("simplex_scale_strategy", 0);
  // The algorithm: the flags, else the defaultalg control.
  std::string f = flags ? lowerCase(flags) : "";
  int alg = static_cast<int>(p.intControl(8004));  // 1 auto 2 dual 3 primal 4 barrier
  if (f.find('d') != std::string::npos) alg = 2;
  if (f.find('p') != std::string::npos) alg = 3;
  if (f.find('b') != std::string::npos) alg = 4;
  if (kind == SolveKind::Lp) {
    if (alg == 2) str("solver", "simplex"), integer("simplex_strategy", 1);
    if (alg == 3) str("solver", "simplex"), integer("simplex_strategy", 4);
    if (alg == 4) str("solver", "ipm");
  }
}

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

// The status names users see for the status numbers (the package's constants).
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

// Symmetric positive semidefiniteness of the quadratic objective (minimizing;
// negative semidefinite when maximizing), by a dense LDL' on the columns that
// appear in it. Larger objectives are left to HiGHS.
bool convexObjective(const ProblemStore &s) {
  if (s.qobj.empty()) return true;
  std::vector<int> cols;
  for (const auto &t : s.qobj) cols.push_back(t.first.first), cols.push_back(t.first.second);
  std::sort(cols.begin(), cols.end());
  cols.erase(std::unique(cols.begin(), cols.end()), cols.end());
  size_t n = cols.size();
  if (n > 1500) return true;
  std::vector<double> a(n * n, 0.0);
  auto at = [&](int c) { return static_cast<size_t>(std::lower_bound(cols.begin(), cols.end(), c) - cols.begin()); };
  double scale = 0.0;
  for (const auto &t : s.qobj) {
    size_t i = at(t.first.first), j = at(t.first.second);
    double v = t.second * s.objSense;
    a[i * n + j] = a[j * n + i] = v;
    scale = std::max(scale, std::fabs(v));
  }
  double tol = 1e-9 * std::max(1.0, scale);
  for (size_t k = 0; k < n; ++k) {
    double d = a[k * n + k];
    if (d < -tol) return false;
    if (d <= tol) {
      for (size_t i = k + 1; i < n; ++i)
        if (std::fabs(a[i * n + k]) > tol * 10) return false;
      continue;
    }
    for (size_t i = k + 1; i < n; ++i) {
      double f = a[i * n + k] / d;
      if (f == 0.0) continue;
      for (size_t j = k + 1; j < n; ++j) a[i * n + j] -= f * a[k * n + j];
    }
  }
  return true;
}

}  // namespace

int solveWithHighs(qrva_problem_s &p, const char *function, SolveKind kind, const char *flags) {
  Check chk(function);
  const ProblemStore &s = *p.store;
  Model m = buildModel(s, chk, kind);
  p.changed();
  p.interruptReason.store(0);
  auto started = std::chrono::steady_clock::now();
  int n = s.ncols(), nr = s.nrows();
  bool discrete = m.anyIntegral;
  SolveState &st = p.solve;

  if (!convexObjective(s)) {
    st.lpStatus = QRVA_LP_NONCONVEX;
    p.message(QRVA_MSG_WARNING, formatText("%s: the quadratic objective is not convex; it "
                                           "cannot be solved to optimality",
                                           function));
    return QRVA_OK;
  }

  if (!p.highs) p.highs.reset(Highs_create());
  void *h = p.highs.get();
  RunContext ctx{&p, std::string(), 0};
  attachHighsCallbacks(h, ctx);
  setOptions(h, p, kind, flags);

  int ncol = static_cast<int>(m.cost.size()), nrow = static_cast<int>(m.rowLower.size());
  std::vector<HighsInt> start, index;
  std::vector<double> value;
  m.flatten(start, index, value);
  // Our infinity (1e20) as HiGHS's own, so that it neither warns about nor
  // rescales bounds that are meant to be absent.
  for (std::vector<double> *bounds : {&m.colLower, &m.colUpper, &m.rowLower, &m.rowUpper})
    for (double &b : *bounds)
      if (infinite(b)) b = b > 0 ? HUGE_VAL : -HUGE_VAL;
  int sense = s.objSense == -1 ? kHighsObjSenseMaximize : kHighsObjSenseMinimize;
  HighsInt rc = Highs_passModel(h, ncol, nrow, static_cast<HighsInt>(index.size()), 0,
                                kHighsMatrixFormatColwise, 0, sense, s.objConstant,
                                m.cost.data(), m.colLower.data(), m.colUpper.data(),
                                m.rowLower.data(), m.rowUpper.data(), start.data(),
                                index.data(), value.data(), nullptr, nullptr, nullptr,
                                discrete ? m.integrality.data() : nullptr);
  if (rc == kHighsStatusError)
    chk.fail("HiGHS refused the model (see the log for the reason)", QRVA_ERR_SOLVER);
  if (!s.qobj.empty()) {
    // Lower triangle, column-wise.
    std::vector<std::vector<Entry>> q(n);
    for (const auto &t : s.qobj) q[t.first.first].push_back(Entry{t.first.second, t.second});
    std::vector<HighsInt> qs(n + 1, 0), qi;
    std::vector<double> qv;
    for (int j = 0; j < n; ++j) {
      std::sort(q[j].begin(), q[j].end(), [](const Entry &a, const Entry &b) { return a.index < b.index; });
      for (const Entry &e : q[j]) qi.push_back(e.index), qv.push_back(e.value);
      qs[j + 1] = static_cast<HighsInt>(qi.size());
    }
    if (Highs_passHessian(h, n, static_cast<HighsInt>(qi.size()), kHighsHessianFormatTriangular,
                          qs.data(), qi.data(), qv.data()) == kHighsStatusError)
      chk.fail("HiGHS refused the quadratic objective", QRVA_ERR_SOLVER);
  }
  if (!discrete && !m.extended && p.basis.known &&
      static_cast<int>(p.basis.cols.size()) == n && static_cast<int>(p.basis.rows.size()) == nr) {
    std::vector<HighsInt> cb(p.basis.cols.begin(), p.basis.cols.end()),
        rb(p.basis.rows.begin(), p.basis.rows.end());
    Highs_setBasis(h, cb.data(), rb.data());  // a basis HiGHS refuses just means a cold start
  }
  if (discrete && !p.mipStarts.empty()) {
    const MipStart &start0 = p.mipStarts.back();
    std::vector<HighsInt> idx(start0.cols.begin(), start0.cols.end());
    Highs_setSparseSolution(h, static_cast<HighsInt>(idx.size()), idx.data(),
                            start0.values.data());
  }

  int threads = static_cast<int>(std::min<int64_t>(p.intControl(8006), 2147483647));
  SchedulerHold scheduler(threads);
  if (!scheduler.ok())
    chk.fail(formatText("threads is %d but another solve is running with %d threads; HiGHS "
                        "runs every solve of the process with one thread count",
                        threads, scheduler.heldAt()),
             QRVA_ERR_SOLVER);
  int ms;
  {
    SigintGuard guard(&p);
    Highs_zeroAllClocks(h);
    Highs_run(h);
    ms = Highs_getModelStatus(h);
    if (ms == kHighsModelStatusUnboundedOrInfeasible && p.intControl(8003)) {
      // Presolve could not tell which: ask again without it.
      Highs_setStringOptionValue(h, "presolve", "off");
      Highs_run(h);
      ms = Highs_getModelStatus(h);
    }
  }
  flushLog(ctx, true);
  if (ms == kHighsModelStatusNotset || ms == kHighsModelStatusLoadError ||
      ms == kHighsModelStatusModelError || ms == kHighsModelStatusSolveError)
    chk.fail(formatText("HiGHS did not solve the model (its model status %d)", ms), QRVA_ERR_SOLVER);

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
    bool nodeLimit = nodes >= p.intControl(8007);
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
    st.mipSolutions = discrete ? ctx.solutions : (hasPrimal ? 1 : 0);
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
  Solution &sol = p.solution;
  sol.x.assign(x.begin(), x.begin() + n);
  sol.slack.assign(nr, 0.0);
  for (int j = 0; j < n; ++j)
    for (const Entry &e : s.columns[j]) sol.slack[e.index] += e.value * sol.x[j];
  for (int i = 0; i < nr; ++i) sol.slack[i] = s.rhs[i] - sol.slack[i];
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
      if (has) sol.dualRay.assign(ray.begin(), ray.begin() + nr);
    }
  }
  p.message(QRVA_MSG_INFO,
            formatText("%s: %s, objective %.12g, %.3f s", function,
                       mipRun ? mipStatusName(st.mipStatus) : lpStatusName(st.lpStatus),
                       mipRun ? st.mipObjective : st.lpObjective, st.solveTime));
  return QRVA_OK;
}

}  // namespace qrva
