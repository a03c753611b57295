// Registrations of per-problem callbacks: several per kind, each with a
// priority; called higher priority first, ties in registration order.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

namespace qrva {

enum class CallbackKind {
  BarIteration, BarLog, ChgBranchObject, CutLog, DestroyMT, GapNotify, GlobalLog, InfNode,
  IntSol, LpLog, Message, MipThread, NewNode, NodeCutoff, OptNode, PreIntSol, PreNode,
  UserSolNotify, Count
};

class CallbackRegistry {
 public:
  using Function = void (*)();
  struct Entry {
    Function function;
    void *data;
    int priority;
    uint64_t order;
  };

  void add(CallbackKind kind, Function f, void *data, int priority) {
    auto &list = lists_[static_cast<size_t>(kind)];
    Entry e{f, data, priority, nextOrder_++};
    auto pos = std::upper_bound(list.begin(), list.end(), e, [](const Entry &a, const Entry &b) {
      return a.priority != b.priority ? a.priority > b.priority : a.order < b.order;
    });
    list.insert(pos, e);
  }

  // Removes every entry matching f and data (null matches any).
  void remove(CallbackKind kind, Function f, void *data) {
    auto &list = lists_[static_cast<size_t>(kind)];
    list.erase(std::remove_if(list.begin(), list.end(),
                              [&](const Entry &e) {
                                return (f == nullptr || e.function == f) &&
                                       (data == nullptr || e.data == data);
                              }),
               list.end());
  }

  // A copy, so that a callback may change the registrations while it runs.
  std::vector<Entry> entries(CallbackKind kind) const {
    return lists_[static_cast<size_t>(kind)];
  }

 private:
  std::array<std::vector<Entry>, static_cast<size_t>(CallbackKind::Count)> lists_;
  uint64_t nextOrder_ = 0;
};

}  // namespace qrva
