// Building and changing a problem: adding rows, columns, quadratic terms,
// sets, names and indicators; deleting rows, columns and sets; the chg...
// family; copying a whole problem. Every function checks all of its input
// before it changes anything, and then tells the problem what it touched (the
// problem drops what that makes stale).
#include <algorithm>
#include <cstring>

#include "api/support.h"
#include "slp/problem.h"
#include "model/store_edit.h"

using qrva::Check;
using qrva::Edit;
using qrva::formatText;
using P = qrva_problem_s;
using Store = qrva::ProblemStore;

namespace {

// Keep flags from a list of indices to delete (each in range, duplicates
// allowed).
std::vector<char> keepFlags(const Check &chk, int count, const int *indices, int n,
                            const char *kind) {
  chk.count(count, kind[0] == 'r' ? "nrows" : (kind[0] == 'c' ? "ncols" : "nsets"));
  if (count > 0) chk.array(indices, kind[0] == 'r' ? "rowind" : (kind[0] == 'c' ? "colind" : "setind"));
  std::vector<char> keep(static_cast<size_t>(n), 1);
  for (int k = 0; k < count; ++k) {
    chk.index(indices[k], n, kind, kind[0] == 'r' ? "rowind" : (kind[0] == 'c' ? "colind" : "setind"), k);
    keep[indices[k]] = 0;
  }
  return keep;
}

// An entry point that edits the problem's data: body(store, chk) checks all
// of its input, then changes the store and returns whether there was
// anything to change; the problem then learns what the edit touched.
template <class Body>
int edit(QRVAprob prob, const char *function, Edit what, Body &&body) {
  return qrva::withProblem(prob, function, [&](P &p) {
    if (body(*p.store, Check(function))) p.edited(what);
    return QRVA_OK;
  });
}

// An entry point of the chg... family: n positions named by an index set with
// parallel value arrays, each checked (the index, then checkAt(chk, store,
// k)) before applyAt(store, k) changes any.
template <class CheckAt, class ApplyAt>
int changeEach(QRVAprob prob, const char *function, Edit what, int n, const char *countName,
               qrva::IndexSet at, std::initializer_list<qrva::Named> values, CheckAt &&checkAt,
               ApplyAt &&applyAt) {
  return edit(prob, function, what, [&](Store &s, const Check &chk) {
    return qrva::editPositions(
        s, chk, n, countName, at, values,
        [&](int64_t k) { checkAt(chk, s, static_cast<int>(k)); },
        [&](int64_t k) { applyAt(s, static_cast<int>(k)); });
  });
}

constexpr auto kRows = qrva::IndexSet::Rows;
constexpr auto kColumns = qrva::IndexSet::Columns;

// The quadratic objective's terms set (a zero removes one), for the three
// entry points that take them.
int changeQuadraticObjective(QRVAprob prob, const char *function, int64_t ncoefs,
                             const int *col1, const int *col2, const double *coef) {
  return edit(prob, function, Edit::Objective, [&](Store &s, const Check &chk) {
    qrva::checkQuadraticTerms(s, chk, ncoefs, col1, col2, coef);
    for (int64_t k = 0; k < ncoefs; ++k) {
      auto key = qrva::quadKey(col1[k], col2[k]);
      if (coef[k] == 0.0)
        s.qobj.erase(key);
      else
        s.qobj[key] = coef[k];
    }
    return ncoefs > 0;
  });
}

}  // namespace

extern "C" {

int QRVAaddrows64(QRVAprob prob, int nrows, int64_t ncoefs, const char rowtype[],
                  const double rhs[], const double range[], const int64_t start[],
                  const int colind[], const double rowcoef[]) {
  return edit(prob, "QRVAaddrows64", Edit::RowsAdded, [&](Store &s, const Check &chk) {
    qrva::RowBlock b;
    b.n = nrows, b.ncoefs = ncoefs, b.type = rowtype, b.rhs = rhs, b.range = range;
    b.start = start, b.colind = colind, b.value = rowcoef;
    qrva::appendRows(s, chk, b);
    return nrows > 0;
  });
}

int QRVAaddcols64(QRVAprob prob, int ncols, int64_t ncoefs, const double objcoef[],
                  const int64_t start[], const int rowind[], const double colcoef[],
                  const double lb[], const double ub[]) {
  return edit(prob, "QRVAaddcols64", Edit::ColsAdded, [&](Store &s, const Check &chk) {
    chk.count(ncols, "ncols");
    chk.count(ncoefs, "ncoefs");
    if (ncols > 0) {
      chk.array(objcoef, "objcoef");
      chk.array(lb, "lb");
      chk.array(ub, "ub");
      if (ncoefs > 0) chk.array(start, "start");
    }
    qrva::ColumnBlock b;
    b.n = ncols, b.obj = objcoef, b.lb = lb, b.ub = ub, b.start = start, b.rowind = rowind;
    b.value = colcoef, b.ncoefs = ncoefs;
    qrva::appendColumns(s, chk, b);
    return ncols > 0;
  });
}

int QRVAaddqmatrix64(QRVAprob prob, int row, int64_t ncoefs, const int col1[], const int col2[],
                     const double coef[]) {
  return edit(prob, "QRVAaddqmatrix64", row == -1 ? Edit::Objective : Edit::Matrix,
              [&](Store &s, const Check &chk) {
                qrva::addQuadratic(s, chk, row, ncoefs, col1, col2, coef);
                return ncoefs > 0;
              });
}

int QRVAdelqmatrix(QRVAprob prob, int row) {
  return edit(prob, "QRVAdelqmatrix", row == -1 ? Edit::Objective : Edit::Matrix,
              [&](Store &s, const Check &chk) {
                if (row == -1) {
                  s.qobj.clear();
                } else {
                  chk.row(row, s.nrows(), "row");
                  s.qrows.erase(row);
                }
                return true;
              });
}

int QRVAaddsets64(QRVAprob prob, int nsets, int64_t nelems, const char settype[],
                  const int64_t start[], const int colind[], const double refval[]) {
  return edit(prob, "QRVAaddsets64", Edit::Discrete, [&](Store &s, const Check &chk) {
    qrva::appendSets(s, chk, nsets, nelems, settype, start, colind, refval);
    return nsets > 0;
  });
}

// Names are no part of any result: nothing goes stale.
int QRVAaddnames(QRVAprob prob, int type, const char names[], int first, int last) {
  return qrva::withProblem(prob, "QRVAaddnames", [&](P &p) {
    Check chk("QRVAaddnames");
    qrva::NameTable *table = nullptr;
    const char *kind = "";
    switch (type) {
      case QRVA_NAMES_ROWS: table = &p.store->rowNames, kind = "rows"; break;
      case QRVA_NAMES_COLUMNS: table = &p.store->colNames, kind = "columns"; break;
      case QRVA_NAMES_SETS: table = &p.store->setNames, kind = "sets"; break;
      default:
        chk.fail(formatText("name type %d is not one of 1 (rows) 2 (columns) 3 (sets)", type));
    }
    int n = static_cast<int>(table->size());
    chk.span(first, last, n, kind);
    if (last < first) return QRVA_OK;  // the empty range first..first-1
    chk.array(names, "names");
    std::vector<std::string> given;
    const char *at = names;
    for (int i = first; i <= last; ++i) {
      size_t len = std::strlen(at);
      given.emplace_back(at, len);
      at += len + 1;
    }
    for (int i = first; i <= last; ++i) table->set(i, std::move(given[i - first]));
    return QRVA_OK;
  });
}

int QRVAsetindicators(QRVAprob prob, int nrows, const int rowind[], const int colind[],
                      const int complement[]) {
  return changeEach(
      prob, "QRVAsetindicators", Edit::Discrete, nrows, "nrows", {kRows, rowind, "rowind"},
      {{colind, "colind"}, {complement, "complement"}},
      [&](const Check &chk, const Store &s, int k) {
        if (complement[k] != 0 && complement[k] != 1 && complement[k] != -1)
          chk.fail(formatText("complement %d at position %d is not one of -1 0 1", complement[k],
                              k));
        if (complement[k] != 0) {
          chk.col(colind[k], s.ncols(), "colind", k);
          if (s.colType[colind[k]] != 'B')
            chk.fail(formatText("column %d at position %d is of type '%c'; an indicator column "
                                "must be binary",
                                colind[k], k, s.colType[colind[k]]));
        }
      },
      [&](Store &s, int k) {
        s.indicatorComp[rowind[k]] = complement[k];
        s.indicatorCol[rowind[k]] = complement[k] != 0 ? colind[k] : -1;
      });
}

int QRVAdelrows(QRVAprob prob, int nrows, const int rowind[]) {
  return qrva::withProblem(prob, "QRVAdelrows", [&](P &p) {
    auto keep = keepFlags(Check("QRVAdelrows"), nrows, rowind, p.store->nrows(), "row");
    if (nrows > 0) p.keepRows(keep);
    return QRVA_OK;
  });
}

int QRVAdelcols(QRVAprob prob, int ncols, const int colind[]) {
  return qrva::withProblem(prob, "QRVAdelcols", [&](P &p) {
    Check chk("QRVAdelcols");
    auto keep = keepFlags(chk, ncols, colind, p.store->ncols(), "column");
    // Without its column an indicator row would hold unconditionally.
    std::string indicator = p.store->indicatorUseOfDeleted(keep);
    if (!indicator.empty()) chk.fail(indicator, QRVA_ERR_STATE);
    if (p.slpLayer) {
      // A formula must not lose a column it reads.
      std::string use = p.slpLayer->store->formulaUseOfDeleted(keep);
      if (!use.empty()) chk.fail(use + "; delete that coefficient first", QRVA_ERR_STATE);
    }
    if (ncols > 0) p.keepCols(keep);
    return QRVA_OK;
  });
}

int QRVAdelsets(QRVAprob prob, int nsets, const int setind[]) {
  return edit(prob, "QRVAdelsets", Edit::Discrete, [&](Store &s, const Check &chk) {
    s.keepSets(keepFlags(chk, nsets, setind, static_cast<int>(s.sets.size()), "set"));
    return nsets > 0;
  });
}

int QRVAchgcoltype(QRVAprob prob, int ncols, const int colind[], const char coltype[]) {
  return edit(prob, "QRVAchgcoltype", Edit::Discrete, [&](Store &s, const Check &chk) {
    return qrva::changeColumnTypes(s, chk, ncols, colind, coltype, nullptr);
  });
}

int QRVAchgobj(QRVAprob prob, int ncols, const int colind[], const double objcoef[]) {
  return changeEach(
      prob, "QRVAchgobj", Edit::Objective, ncols, "ncols",
      {qrva::IndexSet::ColumnsOrObjective, colind, "colind"}, {{objcoef, "objcoef"}},
      [&](const Check &chk, const Store &, int k) { chk.coefficient(objcoef[k], "objcoef", k); },
      [&](Store &s, int k) {
        // Column -1 holds minus the objective constant.
        if (colind[k] == -1)
          s.objConstant = -objcoef[k];
        else
          s.obj[colind[k]] = objcoef[k];
      });
}

int QRVAchgmqobj64(QRVAprob prob, int64_t ncoefs, const int col1[], const int col2[],
                   const double coef[]) {
  return changeQuadraticObjective(prob, "QRVAchgmqobj64", ncoefs, col1, col2, coef);
}

int QRVAchgmqobj(QRVAprob prob, int ncoefs, const int col1[], const int col2[],
                 const double coef[]) {
  return changeQuadraticObjective(prob, "QRVAchgmqobj", ncoefs, col1, col2, coef);
}

int QRVAchgqobj(QRVAprob prob, int col1, int col2, double coef) {
  return changeQuadraticObjective(prob, "QRVAchgqobj", 1, &col1, &col2, &coef);
}

int QRVAchgobjsense(QRVAprob prob, int objsense) {
  return edit(prob, "QRVAchgobjsense", Edit::Objective, [&](Store &s, const Check &chk) {
    if (objsense != 1 && objsense != -1)
      chk.fail(formatText("objsense %d is not 1 (minimize) or -1 (maximize)", objsense));
    s.objSense = objsense;
    return true;
  });
}

int QRVAchgglblimit(QRVAprob prob, int ncols, const int colind[], const double limit[]) {
  return changeEach(
      prob, "QRVAchgglblimit", Edit::Discrete, ncols, "ncols", {kColumns, colind, "colind"},
      {{limit, "limit"}},
      [&](const Check &chk, const Store &s, int k) {
        chk.number(limit[k], "limit", k);
        char t = s.colType[colind[k]];
        if (t != 'S' && t != 'R' && t != 'P')
          chk.fail(formatText("column %d at position %d is of type '%c'; only semi-continuous "
                              "(S), semi-integer (R) and partially integer (P) columns have a "
                              "threshold",
                              colind[k], k, t));
        if (limit[k] < 0)
          chk.fail(formatText("limit %g at position %d is negative", limit[k], k));
      },
      [&](Store &s, int k) { s.limit[colind[k]] = limit[k]; });
}

int QRVAchgmcoef(QRVAprob prob, int ncoefs, const int rowind[], const int colind[],
                 const double rowcoef[]) {
  return changeEach(
      prob, "QRVAchgmcoef", Edit::Matrix, ncoefs, "ncoefs", {kRows, rowind, "rowind"},
      {{colind, "colind"}, {rowcoef, "rowcoef"}},
      [&](const Check &chk, const Store &s, int k) {
        chk.col(colind[k], s.ncols(), "colind", k);
        chk.coefficient(rowcoef[k], "rowcoef", k);
      },
      [&](Store &s, int k) { s.setElement(rowind[k], colind[k], rowcoef[k]); });
}

int QRVAchgcoef(QRVAprob prob, int row, int col, double coef) {
  return edit(prob, "QRVAchgcoef", Edit::Matrix, [&](Store &s, const Check &chk) {
    chk.row(row, s.nrows(), "row");
    chk.col(col, s.ncols(), "col");
    chk.coefficient(coef, "coef", 0);
    s.setElement(row, col, coef);
    return true;
  });
}

int QRVAchgqrowcoeff(QRVAprob prob, int row, int col1, int col2, double coef) {
  return edit(prob, "QRVAchgqrowcoeff", Edit::Matrix, [&](Store &s, const Check &chk) {
    chk.row(row, s.nrows(), "row");
    chk.col(col1, s.ncols(), "col1");
    chk.col(col2, s.ncols(), "col2");
    chk.coefficient(coef, "coef", 0);
    auto key = qrva::quadKey(col1, col2);
    auto it = s.qrows.find(row);
    if (coef != 0.0)
      s.qrows[row][key] = coef;
    else if (it != s.qrows.end() && it->second.erase(key) && it->second.empty())
      s.qrows.erase(it);
    return true;
  });
}

int QRVAchgrhs(QRVAprob prob, int nrows, const int rowind[], const double rhs[]) {
  return changeEach(
      prob, "QRVAchgrhs", Edit::Bounds, nrows, "nrows", {kRows, rowind, "rowind"},
      {{rhs, "rhs"}}, [&](const Check &chk, const Store &, int k) { chk.number(rhs[k], "rhs", k); },
      [&](Store &s, int k) { s.rhs[rowind[k]] = rhs[k]; });
}

int QRVAchgrhsrange(QRVAprob prob, int nrows, const int rowind[], const double range[]) {
  return changeEach(
      prob, "QRVAchgrhsrange", Edit::Bounds, nrows, "nrows", {kRows, rowind, "rowind"},
      {{range, "range"}},
      [&](const Check &chk, const Store &, int k) {
        chk.number(range[k], "range", k);
        if (range[k] < 0)
          chk.fail(formatText("range %g at position %d is negative", range[k], k));
      },
      [&](Store &s, int k) {
        // A range makes the row a ranged row rhs-range <= a'x <= rhs.
        s.range[rowind[k]] = range[k];
        if (s.rowType[rowind[k]] != 'N') s.rowType[rowind[k]] = 'R';
      });
}

int QRVAchgrowtype(QRVAprob prob, int nrows, const int rowind[], const char rowtype[]) {
  return changeEach(
      prob, "QRVAchgrowtype", Edit::Bounds, nrows, "nrows", {kRows, rowind, "rowind"},
      {{rowtype, "rowtype"}},
      [&](const Check &chk, const Store &, int k) { chk.rowType(rowtype[k], "rowtype", k); },
      [&](Store &s, int k) { s.rowType[rowind[k]] = rowtype[k]; });
}

int QRVAchgbounds(QRVAprob prob, int nbounds, const int colind[], const char bndtype[],
                  const double bndval[]) {
  return changeEach(
      prob, "QRVAchgbounds", Edit::Bounds, nbounds, "nbounds", {kColumns, colind, "colind"},
      {{bndtype, "bndtype"}, {bndval, "bndval"}},
      [&](const Check &chk, const Store &, int k) {
        char t = bndtype[k];
        if (t != 'U' && t != 'L' && t != 'B')
          chk.fail(formatText("bound type %s in 'bndtype' at position %d is not one of U L B",
                              Check::charText(t).c_str(), k));
        chk.number(bndval[k], "bndval", k);
      },
      [&](Store &s, int k) {
        if (bndtype[k] != 'U') s.lb[colind[k]] = bndval[k];
        if (bndtype[k] != 'L') s.ub[colind[k]] = bndval[k];
      });
}

int QRVAcopyprob(QRVAprob dest, QRVAprob src, const char *probname) {
  if (int rc = qrva::checkHandle(src, "QRVAcopyprob", "problem")) return rc;
  return qrva::withProblem(dest, "QRVAcopyprob", [&](P &p) {
    const char *name = probname == nullptr || probname[0] == '\0' ? src->name.c_str() : probname;
    if (int rc = qrva::checkProblemName(p, "QRVAcopyprob", "probname", name)) return rc;
    if (&p == src) return QRVA_OK;
    p.copyDataFrom(*src, name);
    return QRVA_OK;
  });
}

}  // extern "C"
