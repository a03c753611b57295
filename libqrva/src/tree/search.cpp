#include "tree/search.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <exception>
#include <limits>
#include <mutex>
#include <thread>

#include "core/text.h"
#include "core/validate.h"
#include "highs/heuristic.h"
#include "highs/model.h"
#include "highs/results.h"
#include "mip/branchobj.h"
#include "mip/user_solutions.h"
#include "tree/branching.h"
#include "tree/progress.h"
#include "tree/root_cuts.h"
#include "tree/worker.h"

namespace qrva {
namespace tree {
namespace {

using Clock = std::chrono::steady_clock;
using NodePtr = std::unique_ptr<Node>;
using Lock = std::unique_lock<std::mutex>;
const double kNoBound = std::numeric_limits<double>::infinity();
const int kCutRounds = 50;        // most LP re-solves of one node after callbacks added cuts
const int kPlungeDepth = 4;       // levels dived from a node taken from the queue
const int kStrongCandidates = 8;  // columns probed to start their pseudo-costs
const int kStrongIterations = 100;
const int kRootCutsPerRound = 50;  // of each kind
const int kLogInterval = 1000;  // nodes between progress lines
// How long an idle worker sleeps before it looks at the limits again (it is
// woken at once by nodes put in the queue, workers finishing and stops).
const std::chrono::milliseconds kIdleWait(100);

// The queue's order: best bound first, then deeper (closer to a solution).
struct WorseNode {
  bool operator()(const NodePtr &a, const NodePtr &b) const {
    if (a->bound != b->bound) return a->bound > b->bound;
    return a->depth < b->depth;
  }
};

}  // namespace

// The search's shared state (queue, incumbent, cutoff, bounds, counters,
// statuses) is guarded by mutex_. Members marked "(lock held)" expect the
// caller to hold it; everything else takes it for a short read or write
// itself. Callbacks and messages are never sent while it is held, so a
// callback may call back into the library and callbacks of several workers
// run at the same time (their callers serialise them if they must).
class Search {
 public:
  Search(qrva_problem_s &p, const char *function);
  void run();

 private:
  template <class F, class... Args>
  void fire(CallbackKind kind, Worker &w, Args... args);
  // Log callbacks: a non-zero result stops the search.
  void fireLog(CallbackKind kind, Worker &w);
  enum class Offer { Accepted, Rejected, NotBetter };
  // One worker's life on its thread: made, announced (mipthread), its
  // nodes, and destroymt when it goes.
  void work(int id);
  // The worker's node loop, until the search ends or stops.
  void explore(Worker &w);
  void fail(std::exception_ptr e);
  bool stopping();                // (lock held)
  bool over() { return failed_ || unbounded_ || stopping(); }  // (lock held)
  double pruneLimit() const;      // (lock held)
  double bestBound() const;       // (lock held)
  bool prunable(double bound);
  void push(NodePtr n);           // (lock held)
  void closeWithinGap(NodePtr &dive);  // (lock held)
  void publish(Worker &w, const Node &n);
  void cutoff(Worker &w, const Node &n);
  void infeasible(Worker &w);
  void process(Worker &w, NodePtr node, std::vector<NodePtr> &children);
  Offer offer(Worker &w, const std::vector<double> &x, int soltype);
  Branching rejectedBranching(const Worker &w) const;
  void logProgress(Worker &w);
  void rootHeuristics(Worker &w);
  // The search's own cuts at the root (control cutstrategy 0: none).
  class RootCutter;
  NodePtr child(const Node &parent, const Branch &b, double bound) const;
  Branching chooseBranching(Worker &w, const std::vector<Infeasibility> &inf, double obj);
  Branching offerBranching(Worker &w, const Node &n, Branching b);
  void takeInterrupt(Worker &w);
  void record();

  qrva_problem_s &p_;
  const char *function_;
  const ProblemStore &s_;
  Relaxation relax_;
  Brancher brancher_;  // guards its pseudo-costs itself
  int sense_;
  Clock::time_point started_;
  double timeLimit_;
  int64_t maxNodes_, maxSolutions_;
  double absGap_, relGap_;
  const int workers_;

  std::atomic<int64_t> lastId_{1}, iterations_{0};

  std::mutex mutex_;
  std::condition_variable wake_;  // nodes queued, a worker done, the search over
  std::vector<NodePtr> queue_;  // a heap by WorseNode
  // Per worker: the bound of the node it processes or keeps to dive into.
  std::vector<double> held_;
  // Workers holding a node (or the first worker before the root is queued):
  // while any does, an empty queue does not end the search.
  int busy_ = 1;
  int running_;  // workers still in their node loop
  bool failed_ = false;
  std::exception_ptr failure_;  // the first error of a worker, raised by run()
  int64_t nodes_ = 0;
  int solutions_ = 0;
  bool hasIncumbent_ = false, unbounded_ = false, rootSolved_ = false, rootInfeasible_ = false;
  std::vector<double> incumbent_;
  double incumbentObj_ = kNoBound;  // minimising sense
  double cutoff_ = kNoBound;        // nodes at or above it cannot improve
  double lostBound_ = kNoBound;     // least bound of nodes given up within the gap tolerances
  double rootObj_ = 0.0;
  int stopStatus_ = QRVA_STOP_NONE;
};

Search::Search(qrva_problem_s &p, const char *function)
    : p_(p), function_(function), s_(*p.store),
      relax_(s_, p.dblControl(QRVA_INTEGRALITYTOL), p.dblControl(QRVA_FEASTOL)),
      brancher_(relax_, kStrongCandidates), sense_(s_.objSense == -1 ? -1 : 1),
      started_(Clock::now()), timeLimit_(p.dblControl(QRVA_TIMELIMIT)),
      maxNodes_(p.intControl(QRVA_MAXNODE)), maxSolutions_(p.intControl(QRVA_MAXMIPSOL)),
      absGap_(p.dblControl(QRVA_MIPABSGAPTOL)), relGap_(p.dblControl(QRVA_MIPRELGAPTOL)),
      workers_(static_cast<int>(std::max<int64_t>(1, p.intControl(QRVA_THREADS)))),
      held_(workers_, kNoBound), running_(workers_) {
  // What the workers read at once is made now, before they start: the
  // row-wise matrix (made on first use) and the cut pool.
  s_.rowWise();
  if (!p.cutPool) p.cutPool = std::make_shared<CutPool>();
}

template <class F, class... Args>
void Search::fire(CallbackKind kind, Worker &w, Args... args) {
  p_.callbacks[kind].forEach([&](CallbackRegistry::Function f, void *data) {
    reinterpret_cast<F>(f)(w.prob.get(), data, args...);
  });
  takeInterrupt(w);
}

// A callback may interrupt through the worker problem it was given.
void Search::takeInterrupt(Worker &w) {
  if (int reason = w.prob->interruptReason.exchange(0)) p_.interruptReason.store(reason);
}

void Search::fireLog(CallbackKind kind, Worker &w) {
  bool stop = false;
  p_.callbacks[kind].forEach([&](CallbackRegistry::Function f, void *data) {
    if (reinterpret_cast<QRVAcbgloballog>(f)(w.prob.get(), data) != 0) stop = true;
  });
  takeInterrupt(w);
  if (!stop) return;
  Lock lock(mutex_);
  if (stopStatus_ == QRVA_STOP_NONE) stopStatus_ = QRVA_STOP_USER;
  wake_.notify_all();
}

void Search::logProgress(Worker &w) {
  std::string text;
  {
    Lock lock(mutex_);
    double b = bestBound();
    text = formatText("%s: %lld nodes, %zu open, best bound %.10g, best solution %s", function_,
                      static_cast<long long>(nodes_), queue_.size(),
                      std::isfinite(b) ? sense_ * b : sense_ * -1e20,
                      hasIncumbent_ ? formatText("%.10g", sense_ * incumbentObj_).c_str() : "none");
  }
  p_.message(QRVA_MSG_INFO, text);
  fireLog(CallbackKind::GlobalLog, w);
}

bool Search::stopping() {
  if (stopStatus_ != QRVA_STOP_NONE) return true;
  if (int reason = p_.interruptReason.load()) stopStatus_ = reason;
  else if (timeLimit_ < 1e20 &&
           std::chrono::duration<double>(Clock::now() - started_).count() >= timeLimit_)
    stopStatus_ = QRVA_STOP_TIMELIMIT;
  else if (nodes_ >= maxNodes_)
    stopStatus_ = QRVA_STOP_NODELIMIT;
  else if (maxSolutions_ > 0 && solutions_ >= maxSolutions_)
    stopStatus_ = QRVA_STOP_SOLLIMIT;
  return stopStatus_ != QRVA_STOP_NONE;
}

// Nodes whose bound reaches this cannot give a better solution (or not one
// better by more than the gap tolerances).
double Search::pruneLimit() const {
  double limit = cutoff_;
  if (hasIncumbent_) {
    double tol = std::max(absGap_, relGap_ * std::fabs(incumbentObj_));
    limit = std::min(limit, incumbentObj_ - tol);
    if (relax_.objectiveIntegral) limit = std::min(limit, incumbentObj_ - 1.0 + 1e-6);
    limit = std::min(limit, incumbentObj_ - 1e-9 * std::max(1.0, std::fabs(incumbentObj_)));
  }
  return limit;
}

double Search::bestBound() const {
  double b = lostBound_;
  for (double h : held_) b = std::min(b, h);
  if (!queue_.empty()) b = std::min(b, queue_.front()->bound);
  if (hasIncumbent_) b = std::min(b, incumbentObj_);
  return b;
}

bool Search::prunable(double bound) {
  Lock lock(mutex_);
  return bound >= pruneLimit();
}

void Search::push(NodePtr n) {
  queue_.push_back(std::move(n));
  std::push_heap(queue_.begin(), queue_.end(), WorseNode());
}

void Search::publish(Worker &w, const Node &n) {
  Lock lock(mutex_);
  NodeAttributes &a = w.prob->nodeAttributes;
  a.node = n.id, a.parent = n.parent, a.depth = n.depth;
  a.activeNodes = static_cast<int64_t>(queue_.size()) + busy_;
  SolveState &st = w.prob->solve;
  double b = bestBound();
  st.bestBound = std::isfinite(b) ? sense_ * b : sense_ * -1e20;
  st.mipObjective = hasIncumbent_ ? sense_ * incumbentObj_ : 0.0;
  st.mipSolutions = solutions_, st.nodes = nodes_;
  st.mipStatus = hasIncumbent_ ? QRVA_MIP_SOLUTION : QRVA_MIP_NO_SOL_FOUND;
}

void Search::cutoff(Worker &w, const Node &n) {
  {
    // A node given up within the gap tolerances (not by the cutoff itself)
    // still bounds the optimum.
    Lock lock(mutex_);
    if (n.bound < cutoff_ && !(relax_.objectiveIntegral && hasIncumbent_ &&
                               n.bound > incumbentObj_ - 1.0 + 1e-6))
      lostBound_ = std::min(lostBound_, n.bound);
  }
  fire<QRVAcbnodecutoff>(CallbackKind::NodeCutoff, w, static_cast<int>(n.id));
}

void Search::infeasible(Worker &w) { fire<QRVAcbinfnode>(CallbackKind::InfNode, w); }

NodePtr Search::child(const Node &parent, const Branch &b, double bound) const {
  auto c = std::make_unique<Node>();
  c->bounds = parent.bounds;
  c->rows = parent.rows;
  c->rows.insert(c->rows.end(), b.rows.begin(), b.rows.end());
  if (!narrowBounds(c->bounds, b, relax_)) return nullptr;
  c->depth = parent.depth + 1;
  c->parent = parent.id;
  c->bound = bound;
  c->pcCol = b.pcCol, c->pcUp = b.up, c->pcDistance = b.distance;
  return c;
}

// A candidate solution (minimising-sense objective from x): offered to the
// preintsol callbacks, which may reject it and change the cutoff; kept as
// the incumbent when it improves on it. soltype: 0 the LP solution of a
// node, 1 a heuristic's, 2 a user's.
Search::Offer Search::offer(Worker &w, const std::vector<double> &x, int soltype) {
  double obj = s_.objConstant;
  for (int j = 0; j < s_.ncols(); ++j) obj += s_.obj[j] * x[j];
  for (const auto &t : s_.qobj)
    obj += (t.first.first == t.first.second ? 0.5 : 1.0) * t.second * x[t.first.first] * x[t.first.second];
  obj *= sense_;
  // Once maxmipsol incumbents are found no other is taken, whichever
  // worker offers it.
  auto settled = [&] {
    return obj >= cutoff_ || (hasIncumbent_ && obj >= incumbentObj_) ||
           (maxSolutions_ > 0 && solutions_ >= maxSolutions_);
  };
  double cutoffUser;
  {
    Lock lock(mutex_);
    if (settled()) return Offer::NotBetter;
    cutoffUser = std::isfinite(cutoff_) ? sense_ * cutoff_ : sense_ * 1e20;
  }
  if (soltype != 0) w.showPoint(x);
  int reject = 0;
  double before = cutoffUser;
  fire<QRVAcbpreintsol>(CallbackKind::PreIntSol, w, soltype, &reject, &cutoffUser);
  int number;
  int64_t atNode;
  {
    Lock lock(mutex_);
    if (cutoffUser != before) cutoff_ = std::fabs(cutoffUser) >= 1e20 ? kNoBound : sense_ * cutoffUser;
    if (reject) return Offer::Rejected;
    // Another worker may have found a solution as good while the callbacks
    // ran: the better one stays (this one goes by unannounced).
    if ((hasIncumbent_ && obj >= incumbentObj_) || (maxSolutions_ > 0 && solutions_ >= maxSolutions_))
      return Offer::NotBetter;
    hasIncumbent_ = true;
    incumbent_ = x, incumbentObj_ = obj;
    cutoff_ = std::min(cutoff_, obj);
    number = ++solutions_;
    atNode = nodes_;
    wake_.notify_all();  // a solution limit reached stops the idle workers too
  }
  w.prob->solution.x = x, w.prob->solution.hasMip = true;
  w.prob->solve.mipObjective = sense_ * obj, w.prob->solve.mipSolutions = number;
  w.prob->solve.mipStatus = QRVA_MIP_SOLUTION;
  p_.message(QRVA_MSG_INFO, formatText("%s: solution %d at node %lld, objective %.12g (%s)",
                                       function_, number, static_cast<long long>(atNode),
                                       sense_ * obj,
                                       soltype == 0 ? "node LP" : (soltype == 1 ? "heuristic" : "user")));
  fire<QRVAcbintsol>(CallbackKind::IntSol, w);
  return Offer::Accepted;
}

// A node whose LP solution was rejected is split on a discrete column its
// bounds leave free, one side holding the solution's value: the search goes
// on below it instead of losing what the node's other solutions might be.
Branching Search::rejectedBranching(const Worker &w) const {
  Branching b;
  const std::vector<double> &x = w.lp.x();
  for (int j = 0; j < s_.ncols(); ++j) {
    char t = s_.colType[j];
    if ((t != 'I' && t != 'B' && t != 'R') || w.hi[j] - w.lo[j] < 0.5) continue;
    double v = std::round(x[j]);
    double split = v > w.lo[j] + 0.5 ? v - 1.0 : v;  // x <= split or x >= split + 1
    Branch down, up;
    down.bounds = {BranchBound{'U', j, split}};
    up.bounds = {BranchBound{'L', j, split + 1.0}};
    b.branches = {down, up};
    return b;
  }
  return b;
}

void Search::rootHeuristics(Worker &w) {
  // Rounding of the root LP solution.
  std::vector<double> x = w.lp.x();
  for (int j = 0; j < s_.ncols(); ++j) {
    if (!relax_.discrete[j]) continue;
    char t = s_.colType[j];
    if ((t == 'S' || t == 'R') && x[j] < 0.5 * relax_.threshold[j]) x[j] = 0.0;
    else if ((t == 'S' || t == 'R') && x[j] < relax_.threshold[j]) x[j] = relax_.threshold[j];
    if (t != 'S' && (t != 'P' || x[j] < relax_.threshold[j])) x[j] = std::round(x[j]);
  }
  relax_.joinViolated(s_.delayedRows, x);
  if (relax_.feasible(x)) offer(w, x, 1);
  {
    Lock lock(mutex_);
    if (stopping()) return;
  }
  // HiGHS's MIP on the root problem, with a small node limit.
  double left = timeLimit_ >= 1e20 ? 1e20
                                   : timeLimit_ - std::chrono::duration<double>(Clock::now() - started_).count();
  std::vector<double> found;
  if (heuristicMipSolution(p_, std::min(left, 30.0), found, workers_ > 1)) {
    relax_.joinViolated(s_.delayedRows, found);
    if (relax_.feasible(found)) offer(w, found, 1);
  }
  w.syncMarkedRows();
}

Branching Search::chooseBranching(Worker &w, const std::vector<Infeasibility> &inf, double obj) {
  std::shared_ptr<const LpBasis> nodeBasis = w.lp.basis();
  const std::vector<double> x = w.lp.x();
  Brancher::Probe probe;
  if (s_.qobj.empty())
    probe = [&](int col, char type, double value, double &probeObj) {
      std::vector<int> cols{col};
      std::vector<double> l{type == 'L' ? value : w.lo[col]}, u{type == 'U' ? value : w.hi[col]};
      w.lp.setColBounds(cols, l, u);
      NodeLp::Status st = w.lp.solve(kStrongIterations, 1e20, &p_.interruptReason);
      iterations_ += w.lp.iterations();
      l[0] = w.lo[col], u[0] = w.hi[col];
      w.lp.setColBounds(cols, l, u);
      if (nodeBasis) w.lp.setBasis(*nodeBasis);
      if (st == NodeLp::Status::Infeasible) return false;
      probeObj = st == NodeLp::Status::Optimal || st == NodeLp::Status::Stopped
                     ? sense_ * w.lp.objective()
                     : obj;
      return true;
    };
  return brancher_.choose(inf, x, w.lo, w.hi, obj, probe);
}

// The chgbranchobject callbacks get the node's branching as an object that
// they may change in place or replace by one of their own, which the
// search then owns. An object that cannot branch the node leaves the
// branching as it was, with a warning.
Branching Search::offerBranching(Worker &w, const Node &n, Branching b) {
  OwnedBranchObject own(new qrva_branchobj_s(w.prob.get(), true));
  Environment::instance().registerHandle(own.get());
  own->heldBySearch = true;
  own->id = static_cast<int>(n.id);
  own->branches = b.branches;
  OwnedBranchObject handed;  // the last object a callback handed back
  QRVAbranchobject current = own.get();
  struct Offering {
    bool &flag;
    ~Offering() { flag = false; }
  } offering{w.offering = true};
  auto warn = [&](const char *why) {
    p_.message(QRVA_MSG_WARNING, formatText("%s: the chgbranchobject callback at node %lld handed "
                                            "back %s; it is not used",
                                            function_, static_cast<long long>(n.id), why));
  };
  p_.callbacks[CallbackKind::ChgBranchObject].forEach([&](CallbackRegistry::Function f, void *data) {
    QRVAbranchobject next = current;
    reinterpret_cast<QRVAcbchgbranchobject>(f)(w.prob.get(), data, current, &next);
    if (next == nullptr || next == current) return;
    if (next == own.get()) {
      current = next;
      return;
    }
    if (!Environment::instance().isLive(next)) return warn("a pointer that is no branching object");
    OwnedBranchObject given(next);
    if (given->prob != w.prob.get() && given->prob != &p_)
      return warn("an object made for another problem");
    handed = std::move(given);
    current = handed.get();
  });
  takeInterrupt(w);
  if (int status = branchObjectStatus(*current)) {
    warn(status == QRVA_BO_NO_BRANCHES ? "an object without branches"
                                       : "an object with a branch that changes nothing");
    return b;
  }
  return branchingOf(*current);
}

// Rounds of the search's own cuts at the root: each round's cuts join the
// root's rows (so every node has them) and the LP is solved again, until a
// round finds none, stops moving the bound, or the rounds are used up.
// Then the cuts that do not bind at the root's last LP solution leave it.
class Search::RootCutter {
 public:
  RootCutter(Search &s, Worker &w)
      : s_(s), w_(w),
        maxRounds_(static_cast<int>(std::min<int64_t>(s.p_.intControl(QRVA_TREECUTROUNDS), 1000))) {
    done_ = w.lp.quadratic() || maxRounds_ <= 0;
  }

  // After an optimal LP of the root: true when rows changed and the LP is
  // to be solved again.
  bool round(Node &root) {
    if (done_) return false;
    double bound = s_.sense_ * w_.lp.objective();
    bool stalled = rounds_ > 0 && bound - lastBound_ <= 1e-6 * (1.0 + std::fabs(bound));
    if (rounds_ == 0) firstBound_ = bound;
    lastBound_ = bound;
    if (!stalled && rounds_ < maxRounds_) {
      std::vector<double> incumbent;
      {
        Lock lock(s_.mutex_);
        if (s_.hasIncumbent_) incumbent = s_.incumbent_;
      }
      RootCuts cuts = separateRootCuts(w_.lp, s_.relax_, w_.lo, w_.hi, incumbent.empty() ? nullptr : &incumbent,
                                       kRootCutsPerRound);
      ++rounds_;
      if (!cuts.rows.empty()) {
        gomory_ += cuts.gomory, covers_ += cuts.covers;
        for (const auto &c : cuts.rows) own_.push_back(c.get());
        w_.added.insert(w_.added.end(), cuts.rows.begin(), cuts.rows.end());
        w_.takeCuts(root);
        return true;
      }
    }
    done_ = true;
    return dropSlack(root, bound);
  }

 private:
  bool dropSlack(Node &root, double bound) {
    if (own_.empty()) return false;
    const std::vector<double> &x = w_.lp.x();
    size_t before = root.rows.size();
    root.rows.erase(std::remove_if(root.rows.begin(), root.rows.end(),
                                   [&](const std::shared_ptr<const LpRow> &r) {
                                     if (std::find(own_.begin(), own_.end(), r.get()) == own_.end()) return false;
                                     double at = 0.0;
                                     for (size_t k = 0; k < r->cols.size(); ++k) at += r->vals[k] * x[r->cols[k]];
                                     return at > r->lower + 1e-6 * (1.0 + std::fabs(r->lower));
                                   }),
                    root.rows.end());
    size_t kept = own_.size() - (before - root.rows.size());
    s_.p_.message(QRVA_MSG_INFO,
                  formatText("%s: root cuts: %d Gomory mixed-integer and %d cover cuts in %d rounds, bound %.10g "
                             "to %.10g; %zu bind and stay",
                             s_.function_, gomory_, covers_, rounds_, s_.sense_ * firstBound_, s_.sense_ * bound, kept));
    if (root.rows.size() == before) return false;
    w_.rowsDeleted = true;
    w_.takeCuts(root);
    return true;
  }

  Search &s_;
  Worker &w_;
  bool done_;
  const int maxRounds_;
  int rounds_ = 0, gomory_ = 0, covers_ = 0;
  double firstBound_ = 0.0, lastBound_ = 0.0;
  std::vector<const LpRow *> own_;
};

// Processes one node (counted, and held by w, when the caller took it):
// its LP, callbacks and cuts, and either its end or its children.
void Search::process(Worker &w, NodePtr node, std::vector<NodePtr> &children) {
  publish(w, *node);
  w.begin(*node);
  struct Done {
    Worker &w;
    ~Done() { w.node = nullptr; }
  } done{w};
  if (prunable(node->bound)) return cutoff(w, *node);
  w.apply(*node);  // prenode sees the node's bounds and rows
  int declared = 0;
  fire<QRVAcbprenode>(CallbackKind::PreNode, w, &declared);
  if (declared) return infeasible(w);
  w.takeCuts(*node);  // cuts prenode added
  std::unique_ptr<RootCutter> rootCuts(node->id == 1 ? new RootCutter(*this, w) : nullptr);
  // LP solves of the root again for the search's own cuts only: the
  // heuristics run at the root's first LP solution that callbacks' rows
  // did not change (they solve the problem without those rows).
  int ownResolves = 0;
  for (int round = 0;; ++round) {
    double left = timeLimit_ >= 1e20
                      ? 1e20
                      : timeLimit_ - std::chrono::duration<double>(Clock::now() - started_).count();
    NodeLp::Status st = w.lp.solve(-1, left, &p_.interruptReason);
    iterations_ += w.lp.iterations();
    if (st == NodeLp::Status::Stopped) {
      // Back to the queue, not counted: the search stops with it open.
      Lock lock(mutex_);
      stopping();
      if (!unbounded_) push(std::move(node));
      --nodes_;
      return;
    }
    if (node->id == 1 && round == 0) {
      Lock lock(mutex_);
      rootSolved_ = st == NodeLp::Status::Optimal;
      rootInfeasible_ = st == NodeLp::Status::Infeasible;
      rootObj_ = w.lp.objective();
    }
    if (st == NodeLp::Status::Failed) {
      p_.message(QRVA_MSG_WARNING, formatText("%s: HiGHS failed on the LP of node %lld; the node "
                                              "is given up and its bound kept",
                                              function_, static_cast<long long>(node->id)));
      Lock lock(mutex_);
      lostBound_ = std::min(lostBound_, node->bound);
      return;
    }
    if (st == NodeLp::Status::Infeasible) return infeasible(w);
    if (st == NodeLp::Status::Unbounded) {
      // The search is over for every worker; what they hold is dropped.
      Lock lock(mutex_);
      unbounded_ = true;
      stopStatus_ = QRVA_STOP_NONE;
      queue_.clear();
      wake_.notify_all();
      return;
    }
    double obj = sense_ * w.lp.objective();
    if (round == 0) brancher_.learn(node->pcCol, node->pcUp, node->pcDistance, obj - node->bound);
    node->bound = std::max(node->bound, obj);
    {
      Lock lock(mutex_);
      held_[w.id] = node->bound;
    }
    w.showLpSolution();
    publish(w, *node);
    if (prunable(node->bound)) return cutoff(w, *node);
    if (node->id == 1) fireLog(CallbackKind::CutLog, w);
    if (rootCuts && rootCuts->round(*node)) {
      ++ownResolves;
      continue;
    }
    if (relax_.joinViolated(s_.modelCuts, w.lp.x()) && w.syncMarkedRows() && round < kCutRounds)
      continue;
    declared = 0;
    fire<QRVAcboptnode>(CallbackKind::OptNode, w, &declared);
    if (declared) return infeasible(w);
    if (w.takeCuts(*node) && round < kCutRounds) continue;
    std::vector<Infeasibility> inf;
    findInfeasibilities(relax_, w.lp.x(), w.lp.rowValues(), w.lo, w.hi, inf);
    if (inf.empty()) {
      // Delayed rows the candidate violates join the LP, which is solved again.
      if (relax_.joinViolated(s_.delayedRows, w.lp.x()) && w.syncMarkedRows() && round < kCutRounds)
        continue;
      Offer o = offer(w, w.lp.x(), 0);
      // Cuts added by preintsol (a rejected solution cut off by rows the
      // LP did not have): the node is solved again with them.
      if (w.takeCuts(*node) && round < kCutRounds) continue;
      if (o != Offer::Rejected) return;
    }
    if (node->id == 1 && round == ownResolves && !inf.empty()) {
      rootHeuristics(w);
      if (w.takeCuts(*node)) continue;  // preintsol cut off a heuristic's solution
      if (prunable(node->bound)) return cutoff(w, *node);
    }
    Branching b = !w.storedBranches.empty() ? Branching{w.storedBranches}
                  : !w.userBranches.empty()   ? Branching{w.userBranches}
                  : inf.empty()               ? rejectedBranching(w)
                                              : chooseBranching(w, inf, obj);
    if (!p_.callbacks[CallbackKind::ChgBranchObject].empty())
      b = offerBranching(w, *node, std::move(b));
    for (Branch &br : b.branches) br.rows.insert(br.rows.end(), w.branchRows.begin(), w.branchRows.end());
    std::shared_ptr<const LpBasis> basis = w.lp.basis();
    for (size_t k = 0; k < b.branches.size(); ++k) {
      NodePtr c = child(*node, b.branches[k], node->bound);
      if (!c) continue;
      c->id = ++lastId_, c->branch = static_cast<int>(k), c->basis = basis;
      fire<QRVAcbnewnode>(CallbackKind::NewNode, w, static_cast<int>(node->id),
                          static_cast<int>(c->id), static_cast<int>(k));
      children.push_back(std::move(c));
    }
    return;
  }
}

void Search::run() {
  p_.message(QRVA_MSG_INFO, formatText("%s: %d rows, %d columns, %zu sets, %zu indicator rows%s",
                                       function_, s_.nrows(), s_.ncols(), s_.sets.size(),
                                       relax_.indicatorRows.size(),
                                       workers_ > 1 ? formatText(", %d workers", workers_).c_str()
                                                    : ""));
  if (workers_ == 1) {
    work(0);  // one worker: on the calling thread
  } else {
    std::vector<std::thread> threads;
    try {
      for (int id = 0; id < workers_; ++id) threads.emplace_back([this, id] { work(id); });
    } catch (...) {
      fail(std::current_exception());  // a thread that could not start: the others stop
    }
    for (std::thread &t : threads) t.join();
  }
  if (failure_) std::rethrow_exception(failure_);
  record();
}

// A worker's error ends the search for all of them; the first one is raised.
void Search::fail(std::exception_ptr e) {
  Lock lock(mutex_);
  if (!failure_) failure_ = e;
  failed_ = true;
  wake_.notify_all();
}

void Search::work(int id) {
  std::unique_ptr<Worker> w;
  try {
    w = std::make_unique<Worker>(*this, p_, relax_, id);
    fire<QRVAcbmipthread>(CallbackKind::MipThread, *w, w->prob.get());
    if (id == 0) {
      // The user's solutions, best first: the first one preintsol accepts
      // is the incumbent the search starts from. Then the root is queued.
      if (!p_.mipStarts.empty())
        for (const UserSolution &u : takeUserSolutions(p_, w->prob.get(), relax_, function_)) {
          {
            Lock lock(mutex_);
            if (stopping()) break;
          }
          offer(*w, u.x, QRVA_SOLTYPE_USER);
        }
      Lock lock(mutex_);
      push(std::make_unique<Node>());
      --busy_;
      wake_.notify_all();
    }
  } catch (...) {
    fail(std::current_exception());
    if (w) fire<QRVAcbdestroymt>(CallbackKind::DestroyMT, *w);
    return;
  }
  explore(*w);
  fire<QRVAcbdestroymt>(CallbackKind::DestroyMT, *w);
}

void Search::explore(Worker &w) {
  NodePtr dive;     // the child this worker goes on with, outside the queue
  int plunge = 0;
  bool holding = false;  // counted in busy_
  Lock lock(mutex_);
  for (;;) {
    if (over()) break;
    NodePtr node;
    if (dive) {
      node = std::move(dive);
    } else if (!queue_.empty()) {
      std::pop_heap(queue_.begin(), queue_.end(), WorseNode());
      node = std::move(queue_.back());
      queue_.pop_back();
      plunge = 0;
    } else if (busy_ == 0) {
      break;  // nothing open, and no worker can add to it
    } else {
      wake_.wait_for(lock, kIdleWait);
      continue;
    }
    if (!holding) ++busy_, holding = true;
    int64_t count = ++nodes_;
    held_[w.id] = node->bound;
    lock.unlock();
    std::vector<NodePtr> children;
    try {
      process(w, std::move(node), children);
      if (count % kLogInterval == 0) logProgress(w);
    } catch (...) {
      fail(std::current_exception());
      lock.lock();
      break;
    }
    lock.lock();
    if (unbounded_) children.clear();
    if (!children.empty()) {
      bool keepDiving = !hasIncumbent_ || plunge < kPlungeDepth;
      size_t first = 0;
      if (keepDiving) dive = std::move(children[0]), first = 1, ++plunge;
      for (size_t k = first; k < children.size(); ++k) push(std::move(children[k]));
      closeWithinGap(dive);
    }
    held_[w.id] = dive ? dive->bound : kNoBound;
    if (!dive) --busy_, holding = false;
    wake_.notify_all();
  }
  // A worker that stops keeps nothing: what it would have dived into is open.
  if (dive && !unbounded_) push(std::move(dive));
  held_[w.id] = kNoBound;
  if (holding) --busy_;
  bool last = --running_ == 0;
  wake_.notify_all();
  lock.unlock();
  if (last && !failed_) logProgress(w);  // the counts are final now
}

// With an incumbent within the gap tolerances of the best bound, what is
// left open cannot matter: it is given up, its bounds kept.
void Search::closeWithinGap(NodePtr &dive) {
  if (!hasIncumbent_) return;
  double gap = incumbentObj_ - bestBound();
  if (gap > std::max(absGap_, relGap_ * std::fabs(incumbentObj_)) &&
      !(relax_.objectiveIntegral && gap < 1.0 - 1e-6))
    return;
  if (dive) lostBound_ = std::min(lostBound_, dive->bound), dive.reset();
  for (const NodePtr &n : queue_) lostBound_ = std::min(lostBound_, n->bound);
  queue_.clear();
}

void Search::record() {
  SolveState &st = p_.solve;
  bool stopped = !unbounded_ && stopStatus_ != QRVA_STOP_NONE && !queue_.empty();
  double bound = bestBound();
  if (relax_.objectiveIntegral && hasIncumbent_ && bound > incumbentObj_ - 1.0 + 1e-6)
    bound = incumbentObj_;
  st.nodes = nodes_;
  st.simplexIterations = iterations_;
  st.mipSolutions = solutions_;
  st.solveTime = std::chrono::duration<double>(Clock::now() - started_).count();
  st.lpStatus = rootSolved_ || hasIncumbent_ ? QRVA_LP_OPTIMAL
                                             : (rootInfeasible_ ? QRVA_LP_INFEAS : QRVA_LP_UNFINISHED);
  recordEnd(st, Standing{sense_, bound, hasIncumbent_, incumbentObj_, solutions_, nodes_}, stopped,
            stopStatus_, unbounded_);
  Solution &sol = p_.solution;
  if (hasIncumbent_) {
    int n = s_.ncols(), m = s_.nrows();
    st.mipObjective = st.lpObjective = sense_ * incumbentObj_;
    sol.x = incumbent_;
    sol.slack.assign(m, 0.0);
    for (int j = 0; j < n; ++j)
      for (const Entry &e : s_.columns[j]) sol.slack[e.index] += e.value * sol.x[j];
    for (int i = 0; i < m; ++i) sol.slack[i] = s_.rhs[i] - sol.slack[i];
    sol.dual.assign(m, 0.0), sol.dj.assign(n, 0.0);
    sol.hasMip = true;
  } else {
    st.lpObjective = rootObj_;
  }
}

}  // namespace tree

std::string treeSearchReason(const qrva_problem_s &p, const char *function) {
  using K = CallbackKind;
  static const struct {
    K kind;
    const char *name;
  } nodeKinds[] = {{K::PreNode, "prenode"},       {K::OptNode, "optnode"},
                   {K::InfNode, "infnode"},       {K::NodeCutoff, "nodecutoff"},
                   {K::NewNode, "newnode"},       {K::ChgBranchObject, "chgbranchobject"},
                   {K::CutLog, "cutlog"},         {K::PreIntSol, "preintsol"}};
  std::string why;
  for (const auto &k : nodeKinds)
    if (!p.callbacks[k.kind].empty()) {
      why = formatText("a %s callback is registered", k.name);
      break;
    }
  int64_t control = p.intControl(QRVA_TREESEARCH);
  if (control == 2) {
    if (!why.empty())
      throw Failure(QRVA_ERR_STATE,
                    formatText("%s: %s, which needs the engine's own tree search, but control "
                               "treesearch is 2 (HiGHS's MIP only); set it to 0 or 1",
                               function, why.c_str()));
    return "";  // HiGHS's MIP refuses a quadratic objective with integers itself
  }
  const ProblemStore &s = *p.store;
  bool discrete = !s.sets.empty();
  for (int j = 0; j < s.ncols() && !discrete; ++j) discrete = s.isDiscrete(j);
  if (why.empty() && discrete && !s.qobj.empty())
    why = "the objective is quadratic and the problem has discrete columns or sets";
  if (why.empty() && !s.directives.empty())
    why = formatText("branching directives are loaded for %zu columns", s.directives.size());
  if (why.empty() && (!s.delayedRows.empty() || !s.modelCuts.empty()))
    why = formatText("%zu delayed rows and %zu model cuts are loaded", s.delayedRows.size(),
                     s.modelCuts.size());
  if (control == 1 && why.empty()) why = "control treesearch is 1";
  return why;
}

int solveWithTree(qrva_problem_s &p, const char *function, const std::string &reason) {
  if (!convexObjective(*p.store))
    throw Failure(QRVA_ERR_STATE,
                  formatText("%s: the quadratic objective is not convex; mixed-integer quadratic "
                             "problems need a convex objective",
                             function));
  p.invalidate(kStaleSolution);
  p.message(QRVA_MSG_INFO,
            formatText("%s: the engine's own tree search runs (%s)", function, reason.c_str()));
  tree::Search search(p, function);
  search.run();
  tree::logEnd(p, function);
  return QRVA_OK;
}

}  // namespace qrva
