// Registered callbacks: the global message handlers and the per-problem
// callback lists. Several per kind, each with a priority; called higher
// priority first, ties in registration order.
#pragma once

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <type_traits>
#include <vector>

#include "qrva.h"

namespace qrva {

// One list of registrations. A delivery walks a snapshot of shared entries,
// so a callback may add or remove registrations while it runs: the entries
// stay alive until the delivery is done, and an entry removed meanwhile is
// not called any more by it. (A delivery running in another thread may
// already be inside a call of an entry when it is removed.)
template <class Function>
class CallbackList {
 public:
  struct Entry {
    Function function;
    void *data;
    int priority;
    uint64_t order;  // registration order, to keep ties stable
    std::atomic<bool> active{true};
  };

  CallbackList() = default;
  // A copy registers the same callbacks anew: removals in one list never
  // silence the other.
  CallbackList(const CallbackList &other) {
    for (const auto &e : other.snapshot()) add(e->function, e->data, e->priority);
  }
  CallbackList &operator=(const CallbackList &) = delete;

  void add(Function f, void *data, int priority) {
    std::lock_guard<std::mutex> lock(mutex_);
    auto e = std::make_shared<Entry>();
    e->function = f;
    e->data = data;
    e->priority = priority;
    e->order = nextOrder_++;
    auto pos = std::upper_bound(entries_.begin(), entries_.end(), e,
                                [](const std::shared_ptr<Entry> &a, const std::shared_ptr<Entry> &b) {
                                  return a->priority != b->priority ? a->priority > b->priority
                                                                    : a->order < b->order;
                                });
    entries_.insert(pos, std::move(e));
  }

  // Removes every entry matching f and data (null matches any).
  void remove(Function f, void *data) {
    std::lock_guard<std::mutex> lock(mutex_);
    auto gone = std::stable_partition(entries_.begin(), entries_.end(),
                                      [&](const std::shared_ptr<Entry> &e) {
                                        return !((f == nullptr || e->function == f) &&
                                                 (data == nullptr || e->data == data));
                                      });
    for (auto it = gone; it != entries_.end(); ++it) (*it)->active = false;
    entries_.erase(gone, entries_.end());
  }

  void clear() { remove(nullptr, nullptr); }

  bool empty() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return entries_.empty();
  }

  // Calls call(function, data) for each entry in order that is still
  // registered when its turn comes. Never holds the list's lock during a
  // call, so callbacks may call back into the library.
  template <class Call>
  void forEach(Call &&call) const {
    for (const auto &e : snapshot())
      if (e->active.load()) call(e->function, e->data);
  }

 private:
  std::vector<std::shared_ptr<Entry>> snapshot() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return entries_;
  }

  mutable std::mutex mutex_;
  std::vector<std::shared_ptr<Entry>> entries_;  // sorted: priority desc, then order
  uint64_t nextOrder_ = 0;
};

enum class CallbackKind {
  BarIteration, BarLog, ChgBranchObject, CutLog, DestroyMT, GapNotify, GlobalLog, InfNode,
  IntSol, LpLog, Message, MipThread, NewNode, NodeCutoff, OptNode, PreIntSol, PreNode,
  UserSolNotify, Count
};
static_assert(static_cast<int>(CallbackKind::Count) == QRVA_CALLBACK_KINDS,
              "one callback kind per QRVAaddcb<kind> family of qrva.h");

// A problem's callbacks, one list per kind.
class CallbackRegistry {
 public:
  using Function = void (*)();
  using List = CallbackList<Function>;

  List &operator[](CallbackKind kind) { return lists_[static_cast<size_t>(kind)]; }
  const List &operator[](CallbackKind kind) const { return lists_[static_cast<size_t>(kind)]; }

  // Calls every callback of kind, as function type F, with (prob, its data,
  // args...), in priority order over a snapshot of the list. For kinds that
  // return an int: whether any of them returned non-zero (each one is
  // called all the same).
  template <class F, class... Args>
  bool deliver(CallbackKind kind, QRVAprob prob, Args... args) const {
    bool nonZero = false;
    (*this)[kind].forEach([&](Function f, void *data) {
      F typed = reinterpret_cast<F>(f);
      if constexpr (std::is_void<decltype(typed(prob, data, args...))>::value)
        typed(prob, data, args...);
      else if (typed(prob, data, args...) != 0)
        nonZero = true;
    });
    return nonZero;
  }

 private:
  std::array<List, static_cast<size_t>(CallbackKind::Count)> lists_;
};

}  // namespace qrva
