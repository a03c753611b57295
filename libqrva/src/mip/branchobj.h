// A branching object: the branches (bound changes, rows and cuts) a
// callback hands to the tree search in place of the search's own branching,
// or the search's own branching of a node, shown to chgbranchobject
// callbacks. Columns are those of the problem the object was made for; the
// tree search works on the original problem, so objects made for the
// original (isoriginal 1) and the presolved problem (0) name the same ones.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "api/support.h"
#include "model/problem.h"
#include "tree/branching.h"

struct qrva_branchobj_s {
  qrva_branchobj_s(qrva_problem_s *problem, bool original)
      : prob(problem), isOriginal(original) {}

  qrva_problem_s *prob;
  bool isOriginal;
  // Made by the tree search for its chgbranchobject callbacks: the search
  // frees it when they are done, so it can be neither destroyed nor stored.
  bool heldBySearch = false;
  int id = 0;          // the node a search's object branches; 0 for a user's
  int priority = 0;    // of several objects stored at one node the least wins
  int preferred = -1;  // the branch explored first (-1: the first one)
  std::vector<qrva::tree::Branch> branches;
  qrva::LastError lastError;

  int fail(int code, const std::string &text) {
    lastError.code = code;
    lastError.text = text;
    return code;
  }
};

namespace qrva {

template <class Body>
int withBranchObject(QRVAbranchobject bo, const char *function, Body &&body) {
  if (int rc = checkHandle(bo, function, "branching object")) return rc;
  return guarded(
      function, [&](int code, const std::string &text) { return bo->fail(code, text); },
      [&]() { return body(*bo); });
}

// QRVA_BO_VALID, or the QRVA_BO_* status saying why the object cannot be a
// node's branching.
int branchObjectStatus(const qrva_branchobj_s &bo);

// The branching a valid object gives: its preferred branch first.
tree::Branching branchingOf(const qrva_branchobj_s &bo);

// Frees an object the caller no longer uses, taking it off the live handles.
void destroyBranchObject(qrva_branchobj_s *bo);

struct BranchObjectDeleter {
  void operator()(qrva_branchobj_s *bo) const { destroyBranchObject(bo); }
};
using OwnedBranchObject = std::unique_ptr<qrva_branchobj_s, BranchObjectDeleter>;

}  // namespace qrva
