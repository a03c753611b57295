// Building and changing a problem: adding rows, columns, quadratic terms,
// sets, names and indicators; deleting rows, columns and sets; the chg...
// family; copying a whole problem. Every function checks all of its input
// before it changes anything, and every change drops the last solution.
#include <algorithm>
#include <cstring>

#include "api/support.h"
#include "slp/problem.h"
#include "model/store_edit.h"

using qrva::Check;
using qrva::formatText;
using P = qrva_problem_s;

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

template <class T>
void keepIn(std::vector<T> &v, const std::vector<char> &keep) {
  if (v.size() != keep.size()) return;
  size_t out = 0;
  for (size_t i = 0; i < v.size(); ++i)
    if (keep[i]) v[out++] = v[i];
  v.resize(out);
}

}  // namespace

extern "C" {

int QRVAaddrows64(QRVAprob prob, int nrows, int64_t ncoefs, const char rowtype[],
                  const double rhs[], const double range[], const int64_t start[],
                  const int colind[], const double rowcoef[]) {
  return qrva::withProblem(prob, "QRVAaddrows64", [&](P &p) {
    qrva::RowBlock b;
    b.n = nrows, b.ncoefs = ncoefs, b.type = rowtype, b.rhs = rhs, b.range = range;
    b.start = start, b.colind = colind, b.value = rowcoef;
    qrva::appendRows(*p.store, Check("QRVAaddrows64"), b);
    if (p.basis.known) p.basis.rows.resize(p.store->nrows(), 1);
    p.changed();
    return QRVA_OK;
  });
}

int QRVAaddcols64(QRVAprob prob, int ncols, int64_t ncoefs, const double objcoef[],
                  const int64_t start[], const int rowind[], const double colcoef[],
                  const double lb[], const double ub[]) {
  return qrva::withProblem(prob, "QRVAaddcols64", [&](P &p) {
    Check chk("QRVAaddcols64");
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
    qrva::appendColumns(*p.store, chk, b);
    if (p.basis.known) p.basis.cols.resize(p.store->ncols(), 0);
    p.changed();
    return QRVA_OK;
  });
}

int QRVAaddqmatrix64(QRVAprob prob, int row, int64_t ncoefs, const int col1[], const int col2[],
                     const double coef[]) {
  return qrva::withProblem(prob, "QRVAaddqmatrix64", [&](P &p) {
    qrva::addQuadratic(*p.store, Check("QRVAaddqmatrix64"), row, ncoefs, col1, col2, coef);
    p.changed();
    return QRVA_OK;
  });
}

int QRVAdelqmatrix(QRVAprob prob, int row) {
  return qrva::withProblem(prob, "QRVAdelqmatrix", [&](P &p) {
    Check chk("QRVAdelqmatrix");
    if (row == -1) {
      p.store->qobj.clear();
    } else {
      chk.row(row, p.store->nrows(), "row");
      p.store->qrows.erase(row);
    }
    p.changed();
    return QRVA_OK;
  });
}

int QRVAaddsets64(QRVAprob prob, int nsets, int64_t nelems, const char settype[],
                  const int64_t start[], const int colind[], const double refval[]) {
  return qrva::withProblem(prob, "QRVAaddsets64", [&](P &p) {
    qrva::appendSets(*p.store, Check("QRVAaddsets64"), nsets, nelems, settype, start, colind,
                     refval);
    p.changed();
    return QRVA_OK;
  });
}

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
  return qrva::withProblem(prob, "QRVAsetindicators", [&](P &p) {
    Check chk("QRVAsetindicators");
    auto &s = *p.store;
    chk.count(nrows, "nrows");
    if (nrows == 0) return QRVA_OK;
    chk.array(rowind, "rowind");
    chk.array(colind, "colind");
    chk.array(complement, "complement");
    for (int k = 0; k < nrows; ++k) {
      chk.row(rowind[k], s.nrows(), "rowind", k);
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
    }
    for (int k = 0; k < nrows; ++k) {
      s.indicatorComp[rowind[k]] = complement[k];
      s.indicatorCol[rowind[k]] = complement[k] != 0 ? colind[k] : -1;
    }
    p.changed();
    return QRVA_OK;
  });
}

int QRVAdelrows(QRVAprob prob, int nrows, const int rowind[]) {
  return qrva::withProblem(prob, "QRVAdelrows", [&](P &p) {
    auto keep = keepFlags(Check("QRVAdelrows"), nrows, rowind, p.store->nrows(), "row");
    p.store->keepRows(keep);
    if (p.slpLayer) p.slpLayer->store->keepRows(keep);
    keepIn(p.basis.rows, keep);
    p.changed();
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
    p.store->keepCols(keep);
    if (p.slpLayer) p.slpLayer->store->keepCols(keep);
    keepIn(p.basis.cols, keep);
    p.mipStarts.clear();
    p.changed();
    return QRVA_OK;
  });
}

int QRVAdelsets(QRVAprob prob, int nsets, const int setind[]) {
  return qrva::withProblem(prob, "QRVAdelsets", [&](P &p) {
    auto keep = keepFlags(Check("QRVAdelsets"), nsets, setind,
                          static_cast<int>(p.store->sets.size()), "set");
    p.store->keepSets(keep);
    p.changed();
    return QRVA_OK;
  });
}

int QRVAchgcoltype(QRVAprob prob, int ncols, const int colind[], const char coltype[]) {
  return qrva::withProblem(prob, "QRVAchgcoltype", [&](P &p) {
    qrva::changeColumnTypes(*p.store, Check("QRVAchgcoltype"), ncols, colind, coltype,
                            nullptr);
    p.changed();
    return QRVA_OK;
  });
}

int QRVAchgobj(QRVAprob prob, int ncols, const int colind[], const double objcoef[]) {
  return qrva::withProblem(prob, "QRVAchgobj", [&](P &p) {
    Check chk("QRVAchgobj");
    auto &s = *p.store;
    chk.count(ncols, "ncols");
    if (ncols == 0) return QRVA_OK;
    chk.array(colind, "colind");
    chk.array(objcoef, "objcoef");
    for (int k = 0; k < ncols; ++k) {
      if (colind[k] != -1) chk.col(colind[k], s.ncols(), "colind", k);
      chk.coefficient(objcoef[k], "objcoef", k);
    }
    // Column -1 holds minus the objective constant.
    for (int k = 0; k < ncols; ++k) {
      if (colind[k] == -1)
        s.objConstant = -objcoef[k];
      else
        s.obj[colind[k]] = objcoef[k];
    }
    p.changed();
    return QRVA_OK;
  });
}

int QRVAchgmqobj64(QRVAprob prob, int64_t ncoefs, const int col1[], const int col2[],
                   const double coef[]) {
  return qrva::withProblem(prob, "QRVAchgmqobj64", [&](P &p) {
    Check chk("QRVAchgmqobj64");
    auto &s = *p.store;
    qrva::checkQuadraticTerms(s, chk, ncoefs, col1, col2, coef);
    if (ncoefs == 0) return QRVA_OK;
    for (int64_t k = 0; k < ncoefs; ++k) {
      auto key = qrva::quadKey(col1[k], col2[k]);
      if (coef[k] == 0.0)
        s.qobj.erase(key);
      else
        s.qobj[key] = coef[k];
    }
    p.changed();
    return QRVA_OK;
  });
}

int QRVAchgmqobj(QRVAprob prob, int ncoefs, const int col1[], const int col2[],
                 const double coef[]) {
  return qrva::withEnvironment("QRVAchgmqobj", [&]() -> int {
    if (int rc = qrva::checkHandle(prob, "QRVAchgmqobj", "problem")) return rc;
    int rc = QRVAchgmqobj64(prob, ncoefs, col1, col2, coef);
    if (rc != QRVA_OK) {
      std::string text = prob->lastError.text;
      if (text.rfind("QRVAchgmqobj64", 0) == 0) text = "QRVAchgmqobj" + text.substr(14);
      prob->fail(rc, text);
    }
    return rc;
  });
}

int QRVAchgqobj(QRVAprob prob, int col1, int col2, double coef) {
  return qrva::withEnvironment("QRVAchgqobj", [&]() -> int {
    if (int rc = qrva::checkHandle(prob, "QRVAchgqobj", "problem")) return rc;
    int rc = QRVAchgmqobj64(prob, 1, &col1, &col2, &coef);
    if (rc != QRVA_OK) {
      std::string text = prob->lastError.text;
      if (text.rfind("QRVAchgmqobj64", 0) == 0) text = "QRVAchgqobj" + text.substr(14);
      prob->fail(rc, text);
    }
    return rc;
  });
}

int QRVAchgobjsense(QRVAprob prob, int objsense) {
  return qrva::withProblem(prob, "QRVAchgobjsense", [&](P &p) {
    if (objsense != 1 && objsense != -1)
      Check("QRVAchgobjsense")
          .fail(formatText("objsense %d is not 1 (minimize) or -1 (maximize)", objsense));
    p.store->objSense = objsense;
    p.changed();
    return QRVA_OK;
  });
}

int QRVAchgglblimit(QRVAprob prob, int ncols, const int colind[], const double limit[]) {
  return qrva::withProblem(prob, "QRVAchgglblimit", [&](P &p) {
    Check chk("QRVAchgglblimit");
    auto &s = *p.store;
    chk.count(ncols, "ncols");
    if (ncols == 0) return QRVA_OK;
    chk.array(colind, "colind");
    chk.array(limit, "limit");
    for (int k = 0; k < ncols; ++k) {
      chk.col(colind[k], s.ncols(), "colind", k);
      chk.number(limit[k], "limit", k);
      char t = s.colType[colind[k]];
      if (t != 'S' && t != 'R' && t != 'P')
        chk.fail(formatText("column %d at position %d is of type '%c'; only semi-continuous "
                            "(S), semi-integer (R) and partially integer (P) columns have a "
                            "threshold",
                            colind[k], k, t));
      if (limit[k] < 0)
        chk.fail(formatText("limit %g at position %d is negative", limit[k], k));
    }
    for (int k = 0; k < ncols; ++k) s.limit[colind[k]] = limit[k];
    p.changed();
    return QRVA_OK;
  });
}

int QRVAchgmcoef(QRVAprob prob, int ncoefs, const int rowind[], const int colind[],
                 const double rowcoef[]) {
  return qrva::withProblem(prob, "QRVAchgmcoef", [&](P &p) {
    Check chk("QRVAchgmcoef");
    auto &s = *p.store;
    chk.count(ncoefs, "ncoefs");
    if (ncoefs == 0) return QRVA_OK;
    chk.array(rowind, "rowind");
    chk.array(colind, "colind");
    chk.array(rowcoef, "rowcoef");
    for (int k = 0; k < ncoefs; ++k) {
      chk.row(rowind[k], s.nrows(), "rowind", k);
      chk.col(colind[k], s.ncols(), "colind", k);
      chk.coefficient(rowcoef[k], "rowcoef", k);
    }
    for (int k = 0; k < ncoefs; ++k) s.setElement(rowind[k], colind[k], rowcoef[k]);
    p.changed();
    return QRVA_OK;
  });
}

int QRVAchgcoef(QRVAprob prob, int row, int col, double coef) {
  return qrva::withProblem(prob, "QRVAchgcoef", [&](P &p) {
    Check chk("QRVAchgcoef");
    auto &s = *p.store;
    chk.row(row, s.nrows(), "row");
    chk.col(col, s.ncols(), "col");
    chk.coefficient(coef, "coef", 0);
    s.setElement(row, col, coef);
    p.changed();
    return QRVA_OK;
  });
}

int QRVAchgqrowcoeff(QRVAprob prob, int row, int col1, int col2, double coef) {
  return qrva::withProblem(prob, "QRVAchgqrowcoeff", [&](P &p) {
    Check chk("QRVAchgqrowcoeff");
    auto &s = *p.store;
    chk.row(row, s.nrows(), "row");
    chk.col(col1, s.ncols(), "col1");
    chk.col(col2, s.ncols(), "col2");
    chk.coefficient(coef, "coef", 0);
    auto key = qrva::quadKey(col1, col2);
    if (coef == 0.0) {
      auto it = s.qrows.find(row);
      if (it != s.qrows.end()) {
        it->second.erase(key);
        if (it->second.empty()) s.qrows.erase(it);
      }
    } else {
      s.qrows[row][key] = coef;
    }
    p.changed();
    return QRVA_OK;
  });
}

int QRVAchgrhs(QRVAprob prob, int nrows, const int rowind[], const double rhs[]) {
  return qrva::withProblem(prob, "QRVAchgrhs", [&](P &p) {
    Check chk("QRVAchgrhs");
    auto &s = *p.store;
    chk.count(nrows, "nrows");
    if (nrows == 0) return QRVA_OK;
    chk.array(rowind, "rowind");
    chk.array(rhs, "rhs");
    for (int k = 0; k < nrows; ++k) {
      chk.row(rowind[k], s.nrows(), "rowind", k);
      chk.number(rhs[k], "rhs", k);
    }
    for (int k = 0; k < nrows; ++k) s.rhs[rowind[k]] = rhs[k];
    p.changed();
    return QRVA_OK;
  });
}

int QRVAchgrhsrange(QRVAprob prob, int nrows, const int rowind[], const double range[]) {
  return qrva::withProblem(prob, "QRVAchgrhsrange", [&](P &p) {
    Check chk("QRVAchgrhsrange");
    auto &s = *p.store;
    chk.count(nrows, "nrows");
    if (nrows == 0) return QRVA_OK;
    chk.array(rowind, "rowind");
    chk.array(range, "range");
    for (int k = 0; k < nrows; ++k) {
      chk.row(rowind[k], s.nrows(), "rowind", k);
      chk.number(range[k], "range", k);
      if (range[k] < 0) chk.fail(formatText("range %g at position %d is negative", range[k], k));
    }
    // A range makes the row a ranged row rhs-range <= a'x <= rhs.
    for (int k = 0; k < nrows; ++k) {
      s.range[rowind[k]] = range[k];
      if (s.rowType[rowind[k]] != 'N') s.rowType[rowind[k]] = 'R';
    }
    p.changed();
    return QRVA_OK;
  });
}

int QRVAchgrowtype(QRVAprob prob, int nrows, const int rowind[], const char rowtype[]) {
  return qrva::withProblem(prob, "QRVAchgrowtype", [&](P &p) {
    Check chk("QRVAchgrowtype");
    auto &s = *p.store;
    chk.count(nrows, "nrows");
    if (nrows == 0) return QRVA_OK;
    chk.array(rowind, "rowind");
    chk.array(rowtype, "rowtype");
    for (int k = 0; k < nrows; ++k) {
      chk.row(rowind[k], s.nrows(), "rowind", k);
      chk.rowType(rowtype[k], "rowtype", k);
    }
    for (int k = 0; k < nrows; ++k) s.rowType[rowind[k]] = rowtype[k];
    p.changed();
    return QRVA_OK;
  });
}

int QRVAchgbounds(QRVAprob prob, int nbounds, const int colind[], const char bndtype[],
                  const double bndval[]) {
  return qrva::withProblem(prob, "QRVAchgbounds", [&](P &p) {
    Check chk("QRVAchgbounds");
    auto &s = *p.store;
    chk.count(nbounds, "nbounds");
    if (nbounds == 0) return QRVA_OK;
    chk.array(colind, "colind");
    chk.array(bndtype, "bndtype");
    chk.array(bndval, "bndval");
    for (int k = 0; k < nbounds; ++k) {
      chk.col(colind[k], s.ncols(), "colind", k);
      char t = bndtype[k];
      if (t != 'U' && t != 'L' && t != 'B')
        chk.fail(formatText("bound type %s in 'bndtype' at position %d is not one of U L B",
                            Check::charText(t).c_str(), k));
      chk.number(bndval[k], "bndval", k);
    }
    for (int k = 0; k < nbounds; ++k) {
      int j = colind[k];
      if (bndtype[k] != 'U') s.lb[j] = bndval[k];
      if (bndtype[k] != 'L') s.ub[j] = bndval[k];
    }
    p.changed();
    return QRVA_OK;
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
