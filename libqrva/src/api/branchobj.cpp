// Branching objects: creation and destruction, their branches (bounds,
// rows, cuts), validation, and storing them at a node of the tree search.
#include <algorithm>
#include <memory>

#include "api/support.h"
#include "mip/branchobj.h"
#include "tree/cut_pool.h"
#include "tree/worker.h"

using qrva::Check;
using qrva::formatText;
using qrva::LpRow;
using qrva::tree::Branch;
using qrva::tree::BranchBound;
using B = qrva_branchobj_s;

namespace qrva {

int branchObjectStatus(const B &bo) {
  if (bo.branches.empty()) return QRVA_BO_NO_BRANCHES;
  for (const Branch &b : bo.branches)
    if (b.bounds.empty() && b.rows.empty()) return QRVA_BO_EMPTY_BRANCH;
  return QRVA_BO_VALID;
}

tree::Branching branchingOf(const B &bo) {
  tree::Branching b{bo.branches};
  if (bo.preferred > 0 && bo.preferred < static_cast<int>(b.branches.size()))
    std::rotate(b.branches.begin(), b.branches.begin() + bo.preferred,
                b.branches.begin() + bo.preferred + 1);
  return b;
}

void destroyBranchObject(B *bo) {
  Environment::instance().unregisterHandle(bo);
  delete bo;
}

}  // namespace qrva

namespace {

Branch &branchAt(B &b, const Check &chk, int branch) {
  int n = static_cast<int>(b.branches.size());
  if (n == 0) chk.fail(formatText("branch %d does not exist; the object has no branches", branch));
  if (branch < 0 || branch >= n)
    chk.fail(formatText("branch %d does not exist; the object has %d branches (0 to %d)", branch, n,
                        n - 1));
  return b.branches[branch];
}

// The problem the object was made for; a node problem lives only while its
// tree search runs, and an object kept beyond it may no longer use it.
qrva_problem_s &problemOf(B &b, const Check &chk) {
  if (!qrva::Environment::instance().isLive(b.prob))
    chk.fail("the problem the object was made for is gone (a node callback's problem lives only "
             "while its tree search runs)",
             QRVA_ERR_STATE);
  return *b.prob;
}

// A row of a branch as the rows of QRVA_bo_getrows: one row, or a 'G' and
// an 'L' row when both sides are finite and differ.
int rowsRead(const LpRow &r) {
  bool lower = r.lower > -1e20, upper = r.upper < 1e20;
  return lower && upper && r.lower != r.upper ? 2 : 1;
}

}  // namespace

extern "C" {

int QRVA_bo_create(QRVAbranchobject *bo, QRVAprob prob, int isoriginal) {
  return qrva::withProblem(prob, "QRVA_bo_create", [&](qrva_problem_s &p) {
    if (bo == nullptr) return qrva::nullArgument(p, "QRVA_bo_create", "bo");
    *bo = nullptr;
    if (isoriginal != 0 && isoriginal != 1)
      return p.fail(QRVA_ERR_ARGUMENT,
                    formatText("QRVA_bo_create: isoriginal is %d, not 0 or 1", isoriginal));
    auto created = std::make_unique<B>(&p, isoriginal == 1);
    qrva::Environment::instance().registerHandle(created.get());
    *bo = created.release();
    return QRVA_OK;
  });
}

int QRVA_bo_destroy(QRVAbranchobject bo) {
  return qrva::withBranchObject(bo, "QRVA_bo_destroy", [&](B &b) {
    if (b.heldBySearch)
      return b.fail(QRVA_ERR_STATE,
                    "QRVA_bo_destroy: the object is the tree search's own branching of a node; "
                    "the search frees it when the chgbranchobject callbacks return");
    qrva::destroyBranchObject(&b);
    return QRVA_OK;
  });
}

int QRVA_bo_addbranches(QRVAbranchobject bo, int nbranches) {
  return qrva::withBranchObject(bo, "QRVA_bo_addbranches", [&](B &b) {
    Check("QRVA_bo_addbranches").count(nbranches, "nbranches");
    b.branches.resize(b.branches.size() + nbranches);
    return QRVA_OK;
  });
}

int QRVA_bo_getbranches(QRVAbranchobject bo, int *nbranches) {
  return qrva::withBranchObject(bo, "QRVA_bo_getbranches", [&](B &b) {
    if (nbranches == nullptr) return qrva::nullArgument(b, "QRVA_bo_getbranches", "nbranches");
    *nbranches = static_cast<int>(b.branches.size());
    return QRVA_OK;
  });
}

int QRVA_bo_addbounds(QRVAbranchobject bo, int branch, int nbounds, const char bndtype[],
                      const int colind[], const double bndval[]) {
  return qrva::withBranchObject(bo, "QRVA_bo_addbounds", [&](B &b) {
    Check chk("QRVA_bo_addbounds");
    Branch &target = branchAt(b, chk, branch);
    qrva::tree::checkBoundArrays(problemOf(b, chk), chk, nbounds, colind, bndtype, bndval);
    for (int k = 0; k < nbounds; ++k)
      target.bounds.push_back(BranchBound{bndtype[k], colind[k], bndval[k]});
    target.pcCol = -1;  // the search learns pseudo-costs only from its own branches
    return QRVA_OK;
  });
}

int QRVA_bo_getbounds(QRVAbranchobject bo, int branch, int *nbounds, int maxbounds,
                      char bndtype[], int colind[], double bndval[]) {
  return qrva::withBranchObject(bo, "QRVA_bo_getbounds", [&](B &b) {
    Check chk("QRVA_bo_getbounds");
    const Branch &source = branchAt(b, chk, branch);
    chk.count(maxbounds, "maxbounds");
    int n = std::min(maxbounds, static_cast<int>(source.bounds.size()));
    for (int k = 0; k < n; ++k) {
      if (bndtype) bndtype[k] = source.bounds[k].type;
      if (colind) colind[k] = source.bounds[k].col;
      if (bndval) bndval[k] = source.bounds[k].value;
    }
    if (nbounds) *nbounds = static_cast<int>(source.bounds.size());
    return QRVA_OK;
  });
}

int QRVA_bo_addrows(QRVAbranchobject bo, int branch, int nrows, int nelems, const char rowtype[],
                    const double rhs[], const int start[], const int colind[],
                    const double rowcoef[]) {
  return qrva::withBranchObject(bo, "QRVA_bo_addrows", [&](B &b) {
    Check chk("QRVA_bo_addrows");
    Branch &target = branchAt(b, chk, branch);
    chk.count(nrows, "nrows"), chk.count(nelems, "nelems");
    if (nrows == 0) return QRVA_OK;
    chk.array(rowtype, "rowtype"), chk.array(rhs, "rhs"), chk.array(start, "start");
    if (nelems > 0) chk.array(colind, "colind"), chk.array(rowcoef, "rowcoef");
    int ncols = problemOf(b, chk).store->ncols();
    for (int i = 0; i < nrows; ++i) {
      char t = rowtype[i];
      if (t != 'L' && t != 'G' && t != 'E')
        chk.fail(formatText("row type %s in 'rowtype' at position %d is not one of L G E (a "
                            "branch's row is an inequality or an equation)",
                            Check::charText(t).c_str(), i));
      chk.coefficient(rhs[i], "rhs", i);
      int end = i + 1 < nrows ? start[i + 1] : nelems;
      if (start[i] < 0 || start[i] > end || end > nelems)
        chk.fail(formatText("'start' at position %d is %d; starts must rise from 0 to at most "
                            "nelems (%d)",
                            i, start[i], nelems));
    }
    for (int e = 0; e < nelems; ++e) {
      chk.col(colind[e], ncols, "colind", e);
      chk.coefficient(rowcoef[e], "rowcoef", e);
    }
    for (int i = 0; i < nrows; ++i) {
      auto row = std::make_shared<LpRow>();
      int end = i + 1 < nrows ? start[i + 1] : nelems;
      row->cols.assign(colind + start[i], colind + end);
      row->vals.assign(rowcoef + start[i], rowcoef + end);
      row->lower = rowtype[i] == 'L' ? -1e20 : rhs[i];
      row->upper = rowtype[i] == 'G' ? 1e20 : rhs[i];
      target.rows.push_back(std::move(row));
    }
    target.pcCol = -1;
    return QRVA_OK;
  });
}

int QRVA_bo_getrows(QRVAbranchobject bo, int branch, int *nrows, int maxrows, int *nelems,
                    int maxelems, char rowtype[], double rhs[], int start[], int colind[],
                    double rowcoef[]) {
  return qrva::withBranchObject(bo, "QRVA_bo_getrows", [&](B &b) {
    Check chk("QRVA_bo_getrows");
    const Branch &source = branchAt(b, chk, branch);
    chk.count(maxrows, "maxrows"), chk.count(maxelems, "maxelems");
    int rows = 0, elems = 0;
    bool full = false;
    // Rows are written whole, in order, as long as they and their elements
    // fit; the counts go on over every row.
    auto put = [&](const LpRow &r, char type, double side) {
      int n = static_cast<int>(r.cols.size());
      full = full || rows >= maxrows || elems + n > maxelems;
      if (!full) {
        if (rowtype) rowtype[rows] = type;
        if (rhs) rhs[rows] = side;
        if (start) start[rows] = elems;
        for (int k = 0; k < n; ++k) {
          if (colind) colind[elems + k] = r.cols[k];
          if (rowcoef) rowcoef[elems + k] = r.vals[k];
        }
      }
      ++rows, elems += n;
    };
    for (const auto &r : source.rows) {
      if (rowsRead(*r) == 2) {
        put(*r, 'G', r->lower), put(*r, 'L', r->upper);
      } else if (r->lower == r->upper) {
        put(*r, 'E', r->lower);
      } else {
        put(*r, r->lower > -1e20 ? 'G' : 'L', r->lower > -1e20 ? r->lower : r->upper);
      }
    }
    if (nrows) *nrows = rows;
    if (nelems) *nelems = elems;
    return QRVA_OK;
  });
}

int QRVA_bo_addcuts(QRVAbranchobject bo, int branch, int ncuts, const QRVAcut cutind[]) {
  return qrva::withBranchObject(bo, "QRVA_bo_addcuts", [&](B &b) {
    Check chk("QRVA_bo_addcuts");
    Branch &target = branchAt(b, chk, branch);
    qrva::tree::checkCutHandles(problemOf(b, chk), chk, ncuts, cutind);
    for (int k = 0; k < ncuts; ++k) target.rows.push_back(cutind[k]->row);
    target.pcCol = -1;
    return QRVA_OK;
  });
}

int QRVA_bo_setpreferredbranch(QRVAbranchobject bo, int branch) {
  return qrva::withBranchObject(bo, "QRVA_bo_setpreferredbranch", [&](B &b) {
    branchAt(b, Check("QRVA_bo_setpreferredbranch"), branch);
    b.preferred = branch;
    return QRVA_OK;
  });
}

int QRVA_bo_setpriority(QRVAbranchobject bo, int priority) {
  return qrva::withBranchObject(bo, "QRVA_bo_setpriority", [&](B &b) {
    b.priority = priority;
    return QRVA_OK;
  });
}

int QRVA_bo_getid(QRVAbranchobject bo, int *id) {
  return qrva::withBranchObject(bo, "QRVA_bo_getid", [&](B &b) {
    if (id == nullptr) return qrva::nullArgument(b, "QRVA_bo_getid", "id");
    *id = b.id;
    return QRVA_OK;
  });
}

int QRVA_bo_validate(QRVAbranchobject bo, int *status) {
  return qrva::withBranchObject(bo, "QRVA_bo_validate", [&](B &b) {
    if (status == nullptr) return qrva::nullArgument(b, "QRVA_bo_validate", "status");
    *status = qrva::branchObjectStatus(b);
    return QRVA_OK;
  });
}

int QRVA_bo_store(QRVAbranchobject bo, int *status) {
  return qrva::withBranchObject(bo, "QRVA_bo_store", [&](B &b) {
    Check chk("QRVA_bo_store");
    if (status == nullptr) return qrva::nullArgument(b, "QRVA_bo_store", "status");
    qrva::tree::Worker &w = qrva::tree::atNode(problemOf(b, chk), chk);
    if (w.offering || b.heldBySearch)
      chk.fail("a chgbranchobject callback hands its branching back as its new object instead of "
               "storing it",
               QRVA_ERR_STATE);
    *status = qrva::branchObjectStatus(b);
    if (*status == QRVA_BO_VALID && (w.storedBranches.empty() || b.priority < w.storedPriority)) {
      w.storedBranches = qrva::branchingOf(b).branches;
      w.storedPriority = b.priority;
    }
    qrva::destroyBranchObject(&b);
    return QRVA_OK;
  });
}

int QRVA_bo_getlasterror(QRVAbranchobject bo, int *code, char *buffer, int maxbytes,
                         int *nbytes) {
  return qrva::withBranchObject(bo, "QRVA_bo_getlasterror", [&](B &b) {
    if (buffer != nullptr && maxbytes <= 0)
      return qrva::failGlobal(QRVA_ERR_ARGUMENT,
                              formatText("QRVA_bo_getlasterror: maxbytes is %d; a buffer needs "
                                         "at least 1 byte",
                                         maxbytes));
    if (code != nullptr) *code = b.lastError.code;
    int needed = qrva::copyTruncated(b.lastError.text, buffer, maxbytes);
    if (nbytes != nullptr) *nbytes = needed;
    return QRVA_OK;
  });
}

}  // extern "C"
