#include "tree/minlp_search.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <limits>
#include <memory>

#include "core/text.h"
#include "highs/results.h"
#include "slp/events.h"
#include "tree/branching.h"
#include "tree/node_queue.h"
#include "tree/progress.h"
#include "tree/slp_node.h"

namespace qrva {
namespace tree {
namespace {

using Clock = std::chrono::steady_clock;
const double kNoBound = std::numeric_limits<double>::infinity();
const int kLogInterval = 100;  // nodes between progress lines

struct NlpNode {
  int64_t id = 1, parent = 0;
  int depth = 0;
  double bound = -kNoBound;  // minimising sense
  std::vector<ColBound> bounds;
  std::vector<double> start;  // the parent's solution
  int pcCol = -1;
  bool pcUp = false;
  double pcDistance = 0.0;
};
using NodePtr = std::unique_ptr<NlpNode>;


class MinlpSearch {
 public:
  MinlpSearch(qrva_problem_s &p, qslp_problem_s *slp, const NlpSettings &settings,
              const Check &chk, const char *function)
      : p_(p), function_(function), s_(*p.store),
        relax_(s_, p.dblControl(QRVA_INTEGRALITYTOL), p.dblControl(QRVA_FEASTOL)),
        brancher_(relax_, 0), sense_(settings.sense), events_(slp),
        node_(p, slp, relax_, settings, chk), started_(Clock::now()), limits_(p) {
    limits_.timeLimit = std::min(limits_.timeLimit, settings.timeLimit);
  }

  NlpOutcome run();

 private:
  template <class F, class... Args>
  void fire(CallbackKind kind, Args... args) {
    p_.callbacks[kind].forEach([&](CallbackRegistry::Function f, void *data) {
      reinterpret_cast<F>(f)(&p_, data, args...);
    });
  }
  double elapsed() const { return std::chrono::duration<double>(Clock::now() - started_).count(); }
  bool stopping();
  double pruneLimit() const;
  double bestBound() const;
  Standing standing() const {
    return Standing{sense_, bestBound(), hasIncumbent_, incumbentObj_, solutions_, nodes_};
  }
  void publish(const NlpNode &n);
  void requeue(NodePtr n);
  void cutoff(const NlpNode &n);
  void process(NodePtr node, std::vector<NodePtr> &children);
  bool offer(double obj);
  NodePtr child(const NlpNode &parent, const Branch &b) const;
  void logProgress();
  NlpOutcome record();

  qrva_problem_s &p_;
  const char *function_;
  const ProblemStore &s_;
  Relaxation relax_;
  Brancher brancher_;
  int sense_;
  nlp::SlpEvents events_;
  SlpNode node_;
  Clock::time_point started_;
  Limits limits_;

  NodeQueue<NlpNode> queue_;
  std::vector<double> lo_, hi_;  // the bounds of the node being processed
  double current_ = kNoBound;    // bound of the node being processed
  int64_t lastId_ = 1, nodes_ = 0, lpIterations_ = 0;
  int slpIterations_ = 0, solutions_ = 0;
  bool hasIncumbent_ = false, unbounded_ = false, localInfeasible_ = false;
  SlpNode::Status rootStatus_ = SlpNode::Status::Unfinished;
  NlpOutcome incumbent_, last_;
  double incumbentObj_ = kNoBound;  // minimising sense
  double cutoff_ = kNoBound;
  double lostBound_ = kNoBound;  // least bound of nodes given up
  int stopStatus_ = QRVA_STOP_NONE;
};

bool MinlpSearch::stopping() {
  if (stopStatus_ == QRVA_STOP_NONE) stopStatus_ = limits_.reached(p_, elapsed(), nodes_, solutions_);
  return stopStatus_ != QRVA_STOP_NONE;
}

double MinlpSearch::pruneLimit() const {
  return limits_.pruneLimit(cutoff_, hasIncumbent_, incumbentObj_, false);
}

double MinlpSearch::bestBound() const {
  double b = std::min(current_, lostBound_);
  b = std::min(b, queue_.bestBound());
  if (hasIncumbent_) b = std::min(b, incumbentObj_);
  return b;
}

// What the problem answers about the node while its callbacks run.
void MinlpSearch::publish(const NlpNode &n) {
  showNode(p_, n.id, n.parent, n.depth, queue_.size(), standing());
}

// A node not processed because the search stops goes back to the queue:
// its bound still counts.
void MinlpSearch::requeue(NodePtr n) {
  --nodes_;
  queue_.push(std::move(n));
}

void MinlpSearch::cutoff(const NlpNode &n) {
  // A node given up within the gap tolerances still bounds the optimum.
  if (n.bound < cutoff_) lostBound_ = std::min(lostBound_, n.bound);
  fire<QRVAcbnodecutoff>(CallbackKind::NodeCutoff, static_cast<int>(n.id));
}

NodePtr MinlpSearch::child(const NlpNode &parent, const Branch &b) const {
  auto c = std::make_unique<NlpNode>();
  c->bounds = parent.bounds;
  if (!narrowBounds(c->bounds, b, relax_)) return nullptr;
  c->depth = parent.depth + 1;
  c->parent = parent.id;
  c->bound = parent.bound;
  c->pcCol = b.pcCol, c->pcUp = b.up, c->pcDistance = b.distance;
  return c;
}

// The node's solution meets every discrete condition: offered to the
// preintsol callbacks, kept as the incumbent when it improves on it. False
// when a callback rejected it.
bool MinlpSearch::offer(double obj) {
  if (obj >= cutoff_ || (hasIncumbent_ && obj >= incumbentObj_)) return true;
  const std::vector<double> &x = node_.x();
  p_.solution.x = x, p_.solution.slack = node_.outcome().solution.slack;
  int reject = 0;
  double cutoffUser = std::isfinite(cutoff_) ? sense_ * cutoff_ : sense_ * 1e20;
  double before = cutoffUser;
  fire<QRVAcbpreintsol>(CallbackKind::PreIntSol, QRVA_SOLTYPE_NODE, &reject, &cutoffUser);
  if (cutoffUser != before) cutoff_ = std::fabs(cutoffUser) >= 1e20 ? kNoBound : sense_ * cutoffUser;
  if (reject) return false;
  hasIncumbent_ = true;
  incumbent_ = node_.outcome(), incumbentObj_ = obj;
  cutoff_ = std::min(cutoff_, obj);
  ++solutions_;
  p_.solution.hasMip = true;
  p_.solve.mipObjective = sense_ * obj, p_.solve.mipSolutions = solutions_;
  p_.solve.mipStatus = QRVA_MIP_SOLUTION;
  p_.message(QRVA_MSG_INFO, formatText("%s: solution %d at node %lld, objective %.12g", function_,
                                       solutions_, static_cast<long long>(nodes_), sense_ * obj));
  fire<QRVAcbintsol>(CallbackKind::IntSol);
  return true;
}

void MinlpSearch::process(NodePtr node, std::vector<NodePtr> &children) {
  ++nodes_;
  current_ = node->bound;
  publish(*node);
  struct Done {
    double &current;
    ~Done() { current = kNoBound; }
  } done{current_};
  if (node->bound >= pruneLimit()) return cutoff(*node);
  lo_ = relax_.colLo, hi_ = relax_.colHi;
  for (const ColBound &b : node->bounds) lo_[b.col] = b.lo, hi_[b.col] = b.hi;
  node_.apply(lo_, hi_);  // slpnode and prenode see the node's bounds
  if (events_.stage(SlpCallbackKind::SlpNode)) {
    stopStatus_ = QRVA_STOP_USER;
    return requeue(std::move(node));
  }
  int declared = 0;
  fire<QRVAcbprenode>(CallbackKind::PreNode, &declared);
  if (declared) return fire<QRVAcbinfnode>(CallbackKind::InfNode);
  double left = limits_.timeLimit >= 1e20 ? 1e20 : limits_.timeLimit - elapsed();
  SlpNode::Status st = node_.solve(node->start, left);
  const NlpOutcome &out = node_.outcome();
  slpIterations_ += out.iterations, lpIterations_ += out.lpIterations;
  if (out.solution.x.size() == static_cast<size_t>(s_.ncols())) last_ = out;
  if (node->id == 1) rootStatus_ = st;
  switch (st) {
    case SlpNode::Status::Stopped:
      stopping();
      if (stopStatus_ == QRVA_STOP_NONE) stopStatus_ = QRVA_STOP_TIMELIMIT;
      return requeue(std::move(node));
    case SlpNode::Status::Unfinished:
      p_.message(QRVA_MSG_WARNING,
                 formatText("%s: node %lld is given up and its bound kept: %s", function_,
                            static_cast<long long>(node->id), node_.why().c_str()));
      lostBound_ = std::min(lostBound_, node->bound);
      return;
    case SlpNode::Status::Infeasible:
      if (out.nlpStatus == kNlpLocallyInfeasible) localInfeasible_ = true;
      return fire<QRVAcbinfnode>(CallbackKind::InfNode);
    case SlpNode::Status::Unbounded:
      unbounded_ = true;
      queue_.clear();
      return;
    case SlpNode::Status::Optimal: break;
  }
  double obj = node_.objective();
  brancher_.learn(node->pcCol, node->pcUp, node->pcDistance, obj - node->bound);
  node->bound = std::max(node->bound, obj);
  current_ = node->bound;
  publish(*node);
  if (node->bound >= pruneLimit()) return cutoff(*node);
  declared = 0;
  fire<QRVAcboptnode>(CallbackKind::OptNode, &declared);
  if (declared) return fire<QRVAcbinfnode>(CallbackKind::InfNode);
  std::vector<Infeasibility> inf;
  findInfeasibilities(relax_, node_.x(), node_.rowValues(), lo_, hi_, inf);
  if (inf.empty()) {
    // A rejected solution leaves the node's other points unexplored: its
    // bound stays in the best bound, so the search does not claim optimality.
    if (!offer(obj)) lostBound_ = std::min(lostBound_, node->bound);
    return;
  }
  Branching b = brancher_.choose(inf, node_.x(), lo_, hi_, obj, Brancher::Probe());
  for (size_t k = 0; k < b.branches.size(); ++k) {
    NodePtr c = child(*node, b.branches[k]);
    if (!c) continue;
    c->id = ++lastId_, c->start = node_.x();
    fire<QRVAcbnewnode>(CallbackKind::NewNode, static_cast<int>(node->id), static_cast<int>(c->id),
                        static_cast<int>(k));
    children.push_back(std::move(c));
  }
}

void MinlpSearch::logProgress() {
  tree::logProgress(p_, function_, queue_.size(), standing());
  p_.callbacks[CallbackKind::GlobalLog].forEach([&](CallbackRegistry::Function f, void *data) {
    if (reinterpret_cast<QRVAcbgloballog>(f)(&p_, data) != 0 && stopStatus_ == QRVA_STOP_NONE)
      stopStatus_ = QRVA_STOP_USER;
  });
}

NlpOutcome MinlpSearch::run() {
  int discrete = 0;
  for (int j = 0; j < s_.ncols(); ++j) discrete += s_.isDiscrete(j) ? 1 : 0;
  p_.message(QRVA_MSG_INFO,
             formatText("%s: the engine's own tree search runs for a mixed-integer nonlinear "
                        "problem (%d discrete columns, %zu sets); every node's nonlinear "
                        "relaxation is solved by the SLP",
                        function_, discrete, s_.sets.size()));
  p_.message(QRVA_MSG_INFO,
             formatText("%s: the node solves are local: unless the problem is convex, the "
                        "solution found is locally optimal, not proven globally optimal",
                        function_));
  p_.message(QRVA_MSG_INFO,
             formatText("%s: %d rows, %d columns; strong branching, cuts and heuristics need an "
                        "LP basis and are off, branching by pseudo-costs",
                        function_, s_.nrows(), s_.ncols()));
  struct Attributes {
    NodeAttributes &a;
    ~Attributes() { a = NodeAttributes{}; }
  } attributes{p_.nodeAttributes};
  queue_.push(std::make_unique<NlpNode>());
  while (!stopping() && !queue_.empty()) {
    std::vector<NodePtr> children;
    process(queue_.next(), children);
    if (nodes_ % kLogInterval == 0) logProgress();
    queue_.add(children, hasIncumbent_);
  }
  queue_.settle();
  logProgress();
  return record();
}

NlpOutcome MinlpSearch::record() {
  SolveState &st = p_.solve;
  bool stopped = stopStatus_ != QRVA_STOP_NONE && !queue_.empty();
  double bound = bestBound();
  st.nodes = nodes_;
  st.simplexIterations = lpIterations_;
  st.mipSolutions = solutions_;
  st.solveTime = elapsed();
  st.lpStatus = rootStatus_ == SlpNode::Status::Optimal || hasIncumbent_ ? QRVA_LP_OPTIMAL
                : rootStatus_ == SlpNode::Status::Infeasible ? QRVA_LP_INFEAS
                                                             : QRVA_LP_UNFINISHED;
  NlpOutcome out = hasIncumbent_ ? incumbent_ : last_;
  if (out.solution.x.size() != static_cast<size_t>(s_.ncols())) {
    out.solution = SlpSolution{};
    out.solution.x.assign(s_.ncols(), 0.0), out.solution.dj.assign(s_.ncols(), 0.0);
    out.solution.slack = s_.rhs, out.solution.dual.assign(s_.nrows(), 0.0);
    out.solution.sense = sense_;
  }
  Standing now = standing();
  now.bestBound = bound;
  recordEnd(st, now, stopped, stopStatus_, unbounded_);
  out.nlpStatus = unbounded_       ? kNlpUnbounded
                  : hasIncumbent_  ? kNlpLocallyOptimal
                  : stopped        ? kNlpUnfinished
                  : localInfeasible_ || std::isfinite(lostBound_) ? kNlpLocallyInfeasible
                                                                  : kNlpInfeasible;
  out.stopStatus = st.stopStatus == QRVA_STOP_MIPGAP ? QRVA_STOP_NONE : st.stopStatus;
  out.iterations = slpIterations_, out.lpIterations = lpIterations_;
  Solution &sol = p_.solution;
  if (hasIncumbent_) {
    st.mipObjective = st.lpObjective = sense_ * incumbentObj_;
    out.objective = sense_ * incumbentObj_;
    sol.x = out.solution.x, sol.slack = out.solution.slack;
    sol.dual.assign(s_.nrows(), 0.0), sol.dj.assign(s_.ncols(), 0.0);
    sol.hasMip = true;
  } else {
    st.lpObjective = last_.objective;
    sol = Solution{};
  }
  return out;
}

}  // namespace
}  // namespace tree

bool hasDiscreteParts(const ProblemStore &s) {
  if (!s.sets.empty()) return true;
  for (int j = 0; j < s.ncols(); ++j)
    if (s.isDiscrete(j)) return true;
  return false;
}

NlpOutcome solveMixedInteger(qrva_problem_s &p, qslp_problem_s *slp, const NlpSettings &settings,
                             const Check &chk, const char *function) {
  NlpOutcome out;
  {
    tree::MinlpSearch search(p, slp, settings, chk, function);
    out = search.run();
  }  // the store's own bounds are back
  tree::logEnd(p, function);
  return out;
}

}  // namespace qrva
