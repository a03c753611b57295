// A user branching object: the problem it belongs to and its last error.
// Its branches (bounds, rows, cuts) arrive with the tree search.
#pragma once

#include <string>

#include "model/problem.h"

struct qrva_branchobj_s {
  qrva_branchobj_s(qrva_problem_s *problem, bool original)
      : prob(problem), isOriginal(original) {}

  qrva_problem_s *prob;
  bool isOriginal;
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

}  // namespace qrva
