// Cuts and stored bounds: the cut pool of a problem and the cuts of the
// node a tree-search callback works on.
#include <algorithm>
#include <cmath>

#include "api/support.h"
#include "tree/cut_pool.h"
#include "tree/worker.h"

using qrva::Check;
using qrva::formatText;
using qrva::LpRow;
using qrva::tree::CutPool;
using qrva::tree::Worker;
using qrva::tree::checkBoundArrays;
using qrva::tree::checkCutHandles;
using qrva::tree::atNode;
using qrva::tree::poolOf;
using P = qrva_problem_s;
using RowPtr = std::shared_ptr<const LpRow>;

namespace {

// The original columns (a node problem also holds the node's cut rows, never
// columns of its own).
int originalCols(const P &p) { return p.store->ncols(); }

}  // namespace

namespace qrva {
namespace tree {

Worker &atNode(P &p, const Check &chk) {
  if (p.treeWorker == nullptr || p.treeWorker->node == nullptr)
    chk.fail("the problem is not a node of a running tree search; this works only on the "
             "problem a node callback of the tree search is given",
             QRVA_ERR_STATE);
  return *p.treeWorker;
}

CutPool &poolOf(P &p) {
  if (p.treeWorker != nullptr) return p.treeWorker->pool();
  if (!p.cutPool) p.cutPool = std::make_shared<CutPool>();
  return *p.cutPool;
}

void checkCutHandles(P &p, const Check &chk, int ncuts, const QRVAcut cutind[]) {
  chk.count(ncuts, "ncuts");
  if (ncuts > 0) chk.array(cutind, "cutind");
  CutPool &pool = poolOf(p);
  for (int k = 0; k < ncuts; ++k)
    if (!pool.holds(cutind[k]))
      chk.fail(formatText("cut handle %p at position %d of 'cutind' is not a cut of this "
                          "problem's pool (deleted, or never stored)",
                          static_cast<const void *>(cutind[k]), k),
               QRVA_ERR_ARGUMENT);
}

}  // namespace tree
}  // namespace qrva

namespace {

void checkInterp(const Check &chk, int interp) {
  if (interp != -1 && (interp < 1 || interp > 3))
    chk.fail(formatText("interp is %d; it must be -1 (every cut), 1 (type equal), 2 (a bit in "
                        "common) or 3 (all bits of the type)",
                        interp));
}

// The cuts named by cutind, or with ncuts -1 those selected by type.
std::vector<QRVAcut> selectCuts(P &p, const Check &chk, int cuttype, int interp, int ncuts,
                                const QRVAcut cutind[]) {
  if (ncuts == -1) {
    checkInterp(chk, interp);
    return poolOf(p).matching(cuttype, interp);
  }
  checkCutHandles(p, chk, ncuts, cutind);
  return std::vector<QRVAcut>(cutind, cutind + ncuts);
}

// Checks and stores ncuts cuts into the pool; returns their handles.
std::vector<QRVAcut> storeCuts(P &p, const Check &chk, int ncuts, int nodupl,
                               const int cuttype[], const char rowtype[], const double rhs[],
                               const int64_t start[], const int colind[],
                               const double cutcoef[]) {
  chk.count(ncuts, "ncuts");
  if (nodupl < 0 || nodupl > 2)
    chk.fail(formatText("nodupl is %d; it must be 0 (no check), 1 (no duplicate of the same "
                        "type) or 2 (no duplicate of any type)",
                        nodupl));
  if (ncuts == 0) return {};
  chk.array(cuttype, "cuttype"), chk.array(rowtype, "rowtype"), chk.array(rhs, "rhs");
  chk.array(start, "start");
  chk.starts(start, ncuts, start[ncuts], "start");
  if (start[ncuts] > 0) chk.array(colind, "colind"), chk.array(cutcoef, "cutcoef");
  int n = originalCols(p);
  for (int k = 0; k < ncuts; ++k) {
    char t = rowtype[k];
    if (t != 'L' && t != 'G' && t != 'E')
      chk.fail(formatText("row type %s in 'rowtype' at position %d is not one of L G E (a cut "
                          "is an inequality or an equation)",
                          Check::charText(t).c_str(), k));
    chk.coefficient(rhs[k], "rhs", k);
  }
  for (int64_t e = 0; e < start[ncuts]; ++e) {
    chk.col(colind[e], n, "colind", e);
    chk.coefficient(cutcoef[e], "cutcoef", e);
  }
  CutPool &pool = poolOf(p);
  std::vector<QRVAcut> handles(ncuts);
  for (int k = 0; k < ncuts; ++k) {
    std::vector<int> cols(colind + start[k], colind + start[k + 1]);
    std::vector<double> vals(cutcoef + start[k], cutcoef + start[k + 1]);
    handles[k] = pool.store(cuttype[k], rowtype[k], rhs[k], cols, vals, nodupl);
  }
  return handles;
}

// Adds the rows of the cuts to the current node, skipping those it has.
void loadIntoNode(Worker &w, const std::vector<QRVAcut> &cuts) {
  std::vector<RowPtr> have = w.nodeRows();
  for (QRVAcut c : cuts)
    if (std::find(have.begin(), have.end(), c->row) == have.end()) {
      w.added.push_back(c->row);
      have.push_back(c->row);
    }
}

double activity(const LpRow &r, const std::vector<double> &x) {
  double a = 0.0;
  for (size_t k = 0; k < r.cols.size(); ++k) a += r.vals[k] * x[r.cols[k]];
  return a;
}

// How far x violates the cut (0 when it holds).
double violation(const qrva_cut_s &c, const std::vector<double> &x) {
  double a = activity(*c.row, x);
  return std::max({0.0, c.row->lower - a, a - c.row->upper});
}

const std::vector<double> &pointOf(P &p, const Check &chk) {
  if (p.solution.x.size() != static_cast<size_t>(p.store->ncols()))
    chk.fail("no solution is available to measure the cuts against; use it in a node callback "
             "or after a solve",
             QRVA_ERR_STATE);
  return p.solution.x;
}

}  // namespace

namespace qrva {
namespace tree {

void checkBoundArrays(P &p, const Check &chk, int nbounds, const int colind[],
                      const char bndtype[], const double bndval[]) {
  chk.count(nbounds, "nbounds");
  if (nbounds == 0) return;
  chk.array(colind, "colind"), chk.array(bndtype, "bndtype"), chk.array(bndval, "bndval");
  for (int k = 0; k < nbounds; ++k) {
    chk.col(colind[k], originalCols(p), "colind", k);
    char t = bndtype[k];
    if (t != 'L' && t != 'U' && t != 'B')
      chk.fail(formatText("bound type %s in 'bndtype' at position %d is not one of U L B",
                          Check::charText(t).c_str(), k));
    chk.number(bndval[k], "bndval", k);
  }
}

}  // namespace tree
}  // namespace qrva

extern "C" {

int QRVAaddcuts64(QRVAprob prob, int ncuts, const int cuttype[], const char rowtype[],
                  const double rhs[], const int64_t start[], const int colind[],
                  const double cutcoef[]) {
  return qrva::withProblem(prob, "QRVAaddcuts64", [&](P &p) {
    Check chk("QRVAaddcuts64");
    Worker &w = atNode(p, chk);
    loadIntoNode(w, storeCuts(p, chk, ncuts, 0, cuttype, rowtype, rhs, start, colind, cutcoef));
    return QRVA_OK;
  });
}

int QRVAstorecuts64(QRVAprob prob, int ncuts, int nodupl, const int cuttype[],
                    const char rowtype[], const double rhs[], const int64_t start[],
                    QRVAcut cutind[], const int colind[], const double cutcoef[]) {
  return qrva::withProblem(prob, "QRVAstorecuts64", [&](P &p) {
    Check chk("QRVAstorecuts64");
    if (ncuts > 0) chk.array(cutind, "cutind");
    std::vector<QRVAcut> handles =
        storeCuts(p, chk, ncuts, nodupl, cuttype, rowtype, rhs, start, colind, cutcoef);
    std::copy(handles.begin(), handles.end(), cutind);
    return QRVA_OK;
  });
}

int QRVAloadcuts(QRVAprob prob, int cuttype, int interp, int ncuts, const QRVAcut cutind[]) {
  return qrva::withProblem(prob, "QRVAloadcuts", [&](P &p) {
    Check chk("QRVAloadcuts");
    Worker &w = atNode(p, chk);
    loadIntoNode(w, selectCuts(p, chk, cuttype, interp, ncuts, cutind));
    return QRVA_OK;
  });
}

int QRVAdelcuts(QRVAprob prob, int basis, int cuttype, int interp, double delta, int ncuts,
                const QRVAcut cutind[]) {
  return qrva::withProblem(prob, "QRVAdelcuts", [&](P &p) {
    Check chk("QRVAdelcuts");
    Worker &w = atNode(p, chk);
    if (basis != 0 && basis != 1) chk.fail(formatText("basis is %d, not 0 or 1", basis));
    chk.number(delta, "delta", 0);
    std::vector<QRVAcut> cuts = selectCuts(p, chk, cuttype, interp, ncuts, cutind);
    std::shared_ptr<const qrva::LpBasis> b = basis ? w.lp.basis() : nullptr;
    const std::vector<double> &x = p.solution.x;
    int base = static_cast<int>(w.relax.rowLo.size());
    auto drop = [&](std::vector<RowPtr> &rows, int offset) {
      std::vector<RowPtr> kept;
      for (size_t k = 0; k < rows.size(); ++k) {
        QRVAcut c = w.pool().byRow(rows[k].get());
        bool selected = c != nullptr && std::find(cuts.begin(), cuts.end(), c) != cuts.end();
        if (selected && delta >= 0 && !x.empty()) {
          double slack = std::min(activity(*rows[k], x) - rows[k]->lower,
                                  rows[k]->upper - activity(*rows[k], x));
          selected = slack > delta;
        }
        // With basis 1 only cuts whose slack is basic (not binding) go.
        int row = base + offset + static_cast<int>(k);
        if (selected && b && row < static_cast<int>(b->rows.size()) && b->rows[row] != 1)
          selected = false;
        if (selected) w.rowsDeleted = true;
        else kept.push_back(rows[k]);
      }
      rows = kept;
    };
    drop(w.node->rows, 0);
    drop(w.added, static_cast<int>(w.node->rows.size()));
    return QRVA_OK;
  });
}

int QRVAdelcpcuts(QRVAprob prob, int cuttype, int interp, int ncuts, const QRVAcut cutind[]) {
  return qrva::withProblem(prob, "QRVAdelcpcuts", [&](P &p) {
    Check chk("QRVAdelcpcuts");
    // The rows of nodes that use a deleted cut stay in force there; the
    // pool only forgets the cut.
    for (QRVAcut c : selectCuts(p, chk, cuttype, interp, ncuts, cutind)) poolOf(p).remove(c);
    return QRVA_OK;
  });
}

int QRVAgetcutlist(QRVAprob prob, int cuttype, int interp, int *ncuts, int maxcuts,
                   QRVAcut cutind[]) {
  return qrva::withProblem(prob, "QRVAgetcutlist", [&](P &p) {
    Check chk("QRVAgetcutlist");
    Worker &w = atNode(p, chk);
    checkInterp(chk, interp);
    if (ncuts == nullptr) return qrva::nullArgument(p, "QRVAgetcutlist", "ncuts");
    chk.count(maxcuts, "maxcuts");
    if (maxcuts > 0) chk.array(cutind, "cutind");
    int found = 0;
    for (const RowPtr &r : w.nodeRows()) {
      QRVAcut c = w.pool().byRow(r.get());
      if (c == nullptr || !qrva::tree::cutTypeMatches(c->type, cuttype, interp)) continue;
      if (found < maxcuts) cutind[found] = c;
      ++found;
    }
    *ncuts = found;
    return QRVA_OK;
  });
}

int QRVAgetcpcutlist(QRVAprob prob, int cuttype, int interp, double delta, int *ncuts,
                     int maxcuts, QRVAcut cutind[], double viol[]) {
  return qrva::withProblem(prob, "QRVAgetcpcutlist", [&](P &p) {
    Check chk("QRVAgetcpcutlist");
    checkInterp(chk, interp);
    chk.number(delta, "delta", 0);
    if (ncuts == nullptr) return qrva::nullArgument(p, "QRVAgetcpcutlist", "ncuts");
    chk.count(maxcuts, "maxcuts");
    const std::vector<double> &x = pointOf(p, chk);
    int found = 0;
    for (QRVAcut c : poolOf(p).matching(cuttype, interp)) {
      double v = violation(*c, x);
      if (v <= delta) continue;
      if (found < maxcuts) {
        if (cutind) cutind[found] = c;
        if (viol) viol[found] = v;
      }
      ++found;
    }
    *ncuts = found;
    return QRVA_OK;
  });
}

int QRVAgetcpcuts64(QRVAprob prob, int ncuts, int64_t maxcoefs, const QRVAcut cutind[],
                    int cuttype[], char rowtype[], int64_t start[], int colind[],
                    double cutcoef[], double rhs[]) {
  return qrva::withProblem(prob, "QRVAgetcpcuts64", [&](P &p) {
    Check chk("QRVAgetcpcuts64");
    checkCutHandles(p, chk, ncuts, cutind);
    chk.count(maxcoefs, "maxcoefs");
    int64_t e = 0;
    if (start) start[0] = 0;
    for (int k = 0; k < ncuts; ++k) {
      const qrva_cut_s &c = *cutind[k];
      if (cuttype) cuttype[k] = c.type;
      if (rowtype) rowtype[k] = c.rowType;
      if (rhs) rhs[k] = c.rhs;
      for (size_t i = 0; i < c.row->cols.size(); ++i, ++e)
        if (e < maxcoefs) {
          if (colind) colind[e] = c.row->cols[i];
          if (cutcoef) cutcoef[e] = c.row->vals[i];
        }
      if (start) start[k + 1] = e;
    }
    return QRVA_OK;
  });
}

int QRVAgetcutmap(QRVAprob prob, int ncuts, const QRVAcut cutind[], int cutmap[]) {
  return qrva::withProblem(prob, "QRVAgetcutmap", [&](P &p) {
    Check chk("QRVAgetcutmap");
    Worker &w = atNode(p, chk);
    checkCutHandles(p, chk, ncuts, cutind);
    if (ncuts > 0) chk.array(cutmap, "cutmap");
    std::vector<RowPtr> rows = w.nodeRows();
    int base = static_cast<int>(w.relax.rowLo.size());
    for (int k = 0; k < ncuts; ++k) {
      auto it = std::find(rows.begin(), rows.end(), cutind[k]->row);
      cutmap[k] = it == rows.end() ? -1 : base + static_cast<int>(it - rows.begin());
    }
    return QRVA_OK;
  });
}

int QRVAgetcutslack(QRVAprob prob, QRVAcut cut, double *slack) {
  return qrva::withProblem(prob, "QRVAgetcutslack", [&](P &p) {
    Check chk("QRVAgetcutslack");
    checkCutHandles(p, chk, 1, &cut);
    if (slack == nullptr) return qrva::nullArgument(p, "QRVAgetcutslack", "slack");
    *slack = cut->rhs - activity(*cut->row, pointOf(p, chk));
    return QRVA_OK;
  });
}

int QRVAsetbranchcuts(QRVAprob prob, int ncuts, const QRVAcut cutind[]) {
  return qrva::withProblem(prob, "QRVAsetbranchcuts", [&](P &p) {
    Check chk("QRVAsetbranchcuts");
    Worker &w = atNode(p, chk);
    checkCutHandles(p, chk, ncuts, cutind);
    for (int k = 0; k < ncuts; ++k) w.branchRows.push_back(cutind[k]->row);
    return QRVA_OK;
  });
}

int QRVAstorebounds(QRVAprob prob, int nbounds, const int colind[], const char bndtype[],
                    const double bndval[], void **bounds) {
  return qrva::withProblem(prob, "QRVAstorebounds", [&](P &p) {
    Check chk("QRVAstorebounds");
    if (bounds == nullptr) return qrva::nullArgument(p, "QRVAstorebounds", "bounds");
    *bounds = nullptr;
    checkBoundArrays(p, chk, nbounds, colind, bndtype, bndval);
    std::vector<qrva::tree::BranchBound> list;
    for (int k = 0; k < nbounds; ++k)
      list.push_back(qrva::tree::BranchBound{bndtype[k], colind[k], bndval[k]});
    *bounds = poolOf(p).storeBounds(std::move(list));
    return QRVA_OK;
  });
}

int QRVAsetbranchbounds(QRVAprob prob, void *bounds) {
  return qrva::withProblem(prob, "QRVAsetbranchbounds", [&](P &p) {
    Check chk("QRVAsetbranchbounds");
    Worker &w = atNode(p, chk);
    if (bounds == nullptr) return qrva::nullArgument(p, "QRVAsetbranchbounds", "bounds");
    if (!poolOf(p).holds(bounds))
      chk.fail(formatText("bounds %p were not stored with QRVAstorebounds on this problem", bounds));
    qrva::tree::Branch b;
    b.bounds = static_cast<const qrva::tree::StoredBounds *>(bounds)->bounds;
    w.userBranches.push_back(std::move(b));
    return QRVA_OK;
  });
}

}  // extern "C"
