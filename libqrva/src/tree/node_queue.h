// The open nodes of a tree search: a heap by bound (best first, ties
// deeper first), and the node being dived into. Until an incumbent exists
// the search dives into the first child of every node; after that it
// plunges a few levels from each node taken from the heap. N has a bound
// (minimising sense) and a depth.
#pragma once

#include <algorithm>
#include <limits>
#include <memory>
#include <vector>

namespace qrva {
namespace tree {

template <class N>
class NodeQueue {
 public:
  using Ptr = std::unique_ptr<N>;
  static const int kPlungeDepth = 4;  // levels dived from a node taken from the heap

  bool empty() const { return heap_.empty() && !dive_; }
  // Nodes in the heap (the one dived into is being processed).
  size_t size() const { return heap_.size(); }
  // The least bound in the heap (infinity when it is empty).
  double bestBound() const {
    return heap_.empty() ? std::numeric_limits<double>::infinity() : heap_.front()->bound;
  }
  void push(Ptr n) {
    heap_.push_back(std::move(n));
    std::push_heap(heap_.begin(), heap_.end(), Worse());
  }
  // The next node to process: the one dived into, else the heap's best,
  // which starts a new plunge. The queue must not be empty.
  Ptr next() {
    if (dive_) return std::move(dive_);
    std::pop_heap(heap_.begin(), heap_.end(), Worse());
    Ptr n = std::move(heap_.back());
    heap_.pop_back();
    plunge_ = 0;
    return n;
  }
  // The children of the node just processed: the first is dived into while
  // there is no incumbent or the plunge is short, the others wait.
  void add(std::vector<Ptr> &children, bool hasIncumbent) {
    size_t first = 0;
    if (!children.empty() && (!hasIncumbent || plunge_ < kPlungeDepth))
      dive_ = std::move(children[0]), first = 1, ++plunge_;
    for (size_t k = first; k < children.size(); ++k) push(std::move(children[k]));
  }
  // Gives up every open node; returns the least bound among them.
  double clear() {
    double least = std::numeric_limits<double>::infinity();
    if (dive_) least = std::min(least, dive_->bound), dive_.reset();
    for (const Ptr &n : heap_) least = std::min(least, n->bound);
    heap_.clear();
    return least;
  }
  // The search ends: the node dived into counts as open.
  void settle() {
    if (dive_) push(std::move(dive_));
  }

 private:
  struct Worse {
    bool operator()(const Ptr &a, const Ptr &b) const {
      if (a->bound != b->bound) return a->bound > b->bound;
      return a->depth < b->depth;
    }
  };
  std::vector<Ptr> heap_;
  Ptr dive_;
  int plunge_ = 0;
};

}  // namespace tree
}  // namespace qrva
