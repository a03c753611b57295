// Reading a problem back: bounds, types, right-hand sides, the matrix row- and
// column-wise, quadratic terms, sets, indicators and names.
#include <algorithm>
#include <cstring>

#include "api/support.h"

using qrva::Check;
using qrva::formatText;
using P = qrva_problem_s;

namespace {

template <class T, class V>
int copyRange(P &p, const char *function, T *out, int first, int last, int n, const char *kind,
              const char *argument, const V &source) {
  Check chk(function);
  chk.array(out, argument);
  chk.span(first, last, n, kind);
  for (int i = first; i <= last; ++i) out[i - first] = source(i);
  (void)p;
  return QRVA_OK;
}

// Full symmetric adjacency of a set of quadratic terms, restricted to the
// columns first..last: for each such column its (row, value) entries.
std::vector<std::vector<qrva::Entry>> symmetricColumns(const qrva::QuadTerms &terms, int first,
                                                       int last) {
  std::vector<std::vector<qrva::Entry>> cols(static_cast<size_t>(std::max(0, last - first + 1)));
  for (const auto &t : terms) {
    int i = t.first.first, j = t.first.second;
    if (j >= first && j <= last) cols[j - first].push_back(qrva::Entry{i, t.second});
    if (i != j && i >= first && i <= last) cols[i - first].push_back(qrva::Entry{j, t.second});
  }
  for (auto &c : cols)
    std::sort(c.begin(), c.end(),
              [](const qrva::Entry &a, const qrva::Entry &b) { return a.index < b.index; });
  return cols;
}

// Writes vectors of entries as start/index/value arrays (at most maxcoefs
// elements); *ncoefs gets the element count of the whole range.
template <class Start, class Count>
void writeSparse(const std::vector<const std::vector<qrva::Entry> *> &lists, Start *start,
                 int *index, double *value, Count maxcoefs, Count *ncoefs) {
  int64_t pos = 0;
  for (size_t k = 0; k < lists.size(); ++k) {
    if (start) start[k] = static_cast<Start>(std::min<int64_t>(pos, maxcoefs));
    for (const auto &e : *lists[k]) {
      if (pos < maxcoefs) {
        if (index) index[pos] = e.index;
        if (value) value[pos] = e.value;
      }
      ++pos;
    }
  }
  if (start) start[lists.size()] = static_cast<Start>(std::min<int64_t>(pos, maxcoefs));
  *ncoefs = static_cast<Count>(pos);
}

int getColumnsSparse(P &p, const char *function, int64_t *start, int *rowind, double *colcoef,
                     int64_t maxcoefs, int64_t *ncoefs, int first, int last) {
  Check chk(function);
  chk.array(ncoefs, "ncoefs");
  chk.span(first, last, p.store->ncols(), "columns");
  chk.count(maxcoefs, "maxcoefs");
  std::vector<const std::vector<qrva::Entry> *> lists;
  for (int j = first; j <= last; ++j) lists.push_back(&p.store->columns[j]);
  writeSparse(lists, start, rowind, colcoef, maxcoefs, ncoefs);
  return QRVA_OK;
}

template <class Start, class Count>
int getQuadraticSparse(P &p, const char *function, const qrva::QuadTerms &terms, Start *start,
                       int *colind, double *coef, Count maxcoefs, Count *ncoefs, int first,
                       int last) {
  Check chk(function);
  chk.array(ncoefs, "ncoefs");
  chk.span(first, last, p.store->ncols(), "columns");
  chk.count(maxcoefs, "maxcoefs");
  auto cols = symmetricColumns(terms, first, last);
  std::vector<const std::vector<qrva::Entry> *> lists;
  for (const auto &c : cols) lists.push_back(&c);
  writeSparse(lists, start, colind, coef, maxcoefs, ncoefs);
  return QRVA_OK;
}

const qrva::QuadTerms &rowTerms(const P &p, int row) {
  static const qrva::QuadTerms none;
  auto it = p.store->qrows.find(row);
  return it == p.store->qrows.end() ? none : it->second;
}

qrva::NameTable &names(P &p, const Check &chk, int type) {
  switch (type) {
    case QRVA_NAMES_ROWS: return p.store->rowNames;
    case QRVA_NAMES_COLUMNS: return p.store->colNames;
    case QRVA_NAMES_SETS: return p.store->setNames;
  }
  chk.fail(formatText("name type %d is not one of 1 (rows) 2 (columns) 3 (sets)", type));
}

}  // namespace

extern "C" {

int QRVAgetlb(QRVAprob prob, double lb[], int first, int last) {
  return qrva::withProblem(prob, "QRVAgetlb", [&](P &p) {
    return copyRange(p, "QRVAgetlb", lb, first, last, p.store->ncols(), "columns", "lb",
                     [&](int j) { return p.store->lb[j]; });
  });
}

int QRVAgetub(QRVAprob prob, double ub[], int first, int last) {
  return qrva::withProblem(prob, "QRVAgetub", [&](P &p) {
    return copyRange(p, "QRVAgetub", ub, first, last, p.store->ncols(), "columns", "ub",
                     [&](int j) { return p.store->ub[j]; });
  });
}

int QRVAgetobj(QRVAprob prob, double objcoef[], int first, int last) {
  return qrva::withProblem(prob, "QRVAgetobj", [&](P &p) {
    return copyRange(p, "QRVAgetobj", objcoef, first, last, p.store->ncols(), "columns",
                     "objcoef", [&](int j) { return p.store->obj[j]; });
  });
}

int QRVAgetcoltype(QRVAprob prob, char coltype[], int first, int last) {
  return qrva::withProblem(prob, "QRVAgetcoltype", [&](P &p) {
    return copyRange(p, "QRVAgetcoltype", coltype, first, last, p.store->ncols(), "columns",
                     "coltype", [&](int j) { return p.store->colType[j]; });
  });
}

int QRVAgetrhs(QRVAprob prob, double rhs[], int first, int last) {
  return qrva::withProblem(prob, "QRVAgetrhs", [&](P &p) {
    return copyRange(p, "QRVAgetrhs", rhs, first, last, p.store->nrows(), "rows", "rhs",
                     [&](int i) { return p.store->rhs[i]; });
  });
}

int QRVAgetrhsrange(QRVAprob prob, double range[], int first, int last) {
  return qrva::withProblem(prob, "QRVAgetrhsrange", [&](P &p) {
    // Rows that are not ranged report an infinite range.
    return copyRange(p, "QRVAgetrhsrange", range, first, last, p.store->nrows(), "rows",
                     "range", [&](int i) {
                       char t = p.store->rowType[i];
                       return t == 'R' ? p.store->range[i] : (t == 'E' ? 0.0 : QRVA_INFINITY);
                     });
  });
}

int QRVAgetrowtype(QRVAprob prob, char rowtype[], int first, int last) {
  return qrva::withProblem(prob, "QRVAgetrowtype", [&](P &p) {
    return copyRange(p, "QRVAgetrowtype", rowtype, first, last, p.store->nrows(), "rows",
                     "rowtype", [&](int i) { return p.store->rowType[i]; });
  });
}

int QRVAgetindicators(QRVAprob prob, int colind[], int complement[], int first, int last) {
  return qrva::withProblem(prob, "QRVAgetindicators", [&](P &p) {
    Check chk("QRVAgetindicators");
    chk.span(first, last, p.store->nrows(), "rows");
    for (int i = first; i <= last; ++i) {
      if (colind) colind[i - first] = p.store->indicatorCol[i];
      if (complement) complement[i - first] = p.store->indicatorComp[i];
    }
    return QRVA_OK;
  });
}

int QRVAgetrows64(QRVAprob prob, int64_t start[], int colind[], double rowcoef[],
                  int64_t maxcoefs, int64_t *ncoefs, int first, int last) {
  return qrva::withProblem(prob, "QRVAgetrows64", [&](P &p) {
    Check chk("QRVAgetrows64");
    chk.array(ncoefs, "ncoefs");
    chk.span(first, last, p.store->nrows(), "rows");
    chk.count(maxcoefs, "maxcoefs");
    const qrva::RowWise &rw = p.store->rowWise();
    int64_t base = rw.start[first], total = rw.start[last + 1] - base;
    for (int i = first; i <= last + 1; ++i)
      if (start) start[i - first] = std::min(rw.start[i] - base, maxcoefs);
    for (int64_t k = 0; k < std::min(total, maxcoefs); ++k) {
      if (colind) colind[k] = rw.entries[base + k].index;
      if (rowcoef) rowcoef[k] = rw.entries[base + k].value;
    }
    *ncoefs = total;
    return QRVA_OK;
  });
}

int QRVAgetcols64(QRVAprob prob, int64_t start[], int rowind[], double colcoef[],
                  int64_t maxcoefs, int64_t *ncoefs, int first, int last) {
  return qrva::withProblem(prob, "QRVAgetcols64", [&](P &p) {
    return getColumnsSparse(p, "QRVAgetcols64", start, rowind, colcoef, maxcoefs, ncoefs, first,
                            last);
  });
}

int QRVAgetmqobj64(QRVAprob prob, int64_t start[], int colind[], double objqcoef[],
                   int64_t maxcoefs, int64_t *ncoefs, int first, int last) {
  return qrva::withProblem(prob, "QRVAgetmqobj64", [&](P &p) {
    return getQuadraticSparse(p, "QRVAgetmqobj64", p.store->qobj, start, colind, objqcoef,
                              maxcoefs, ncoefs, first, last);
  });
}

int QRVAgetmqobj(QRVAprob prob, int start[], int colind[], double objqcoef[], int maxcoefs,
                 int *ncoefs, int first, int last) {
  return qrva::withProblem(prob, "QRVAgetmqobj", [&](P &p) {
    return getQuadraticSparse(p, "QRVAgetmqobj", p.store->qobj, start, colind, objqcoef,
                              maxcoefs, ncoefs, first, last);
  });
}

int QRVAgetqrowqmatrix(QRVAprob prob, int row, int start[], int colind[], double rowqcoef[],
                       int maxcoefs, int *ncoefs, int first, int last) {
  return qrva::withProblem(prob, "QRVAgetqrowqmatrix", [&](P &p) {
    Check("QRVAgetqrowqmatrix").row(row, p.store->nrows(), "row");
    return getQuadraticSparse(p, "QRVAgetqrowqmatrix", rowTerms(p, row), start, colind,
                              rowqcoef, maxcoefs, ncoefs, first, last);
  });
}

int QRVAgetqrowqmatrixtriplets(QRVAprob prob, int row, int *nqelems, int qcol1[], int qcol2[],
                               double qcoef[]) {
  return qrva::withProblem(prob, "QRVAgetqrowqmatrixtriplets", [&](P &p) {
    Check chk("QRVAgetqrowqmatrixtriplets");
    chk.row(row, p.store->nrows(), "row");
    chk.array(nqelems, "nqelems");
    const auto &terms = rowTerms(p, row);
    int k = 0;
    for (const auto &t : terms) {
      if (qcol1) qcol1[k] = t.first.first;
      if (qcol2) qcol2[k] = t.first.second;
      if (qcoef) qcoef[k] = t.second;
      ++k;
    }
    *nqelems = k;
    return QRVA_OK;
  });
}

int QRVAgetqrows(QRVAprob prob, int *nrows, int rowind[]) {
  return qrva::withProblem(prob, "QRVAgetqrows", [&](P &p) {
    Check("QRVAgetqrows").array(nrows, "nrows");
    int k = 0;
    for (const auto &r : p.store->qrows) {
      if (rowind) rowind[k] = r.first;
      ++k;
    }
    *nrows = k;
    return QRVA_OK;
  });
}

int QRVAgetcoef(QRVAprob prob, int row, int col, double *coef) {
  return qrva::withProblem(prob, "QRVAgetcoef", [&](P &p) {
    Check chk("QRVAgetcoef");
    chk.row(row, p.store->nrows(), "row");
    chk.col(col, p.store->ncols(), "col");
    chk.array(coef, "coef");
    *coef = p.store->element(row, col);
    return QRVA_OK;
  });
}

int QRVAgetqobj(QRVAprob prob, int col1, int col2, double *coef) {
  return qrva::withProblem(prob, "QRVAgetqobj", [&](P &p) {
    Check chk("QRVAgetqobj");
    chk.col(col1, p.store->ncols(), "col1");
    chk.col(col2, p.store->ncols(), "col2");
    chk.array(coef, "coef");
    auto it = p.store->qobj.find(qrva::quadKey(col1, col2));
    *coef = it == p.store->qobj.end() ? 0.0 : it->second;
    return QRVA_OK;
  });
}

int QRVAgetqrowcoeff(QRVAprob prob, int row, int col1, int col2, double *coef) {
  return qrva::withProblem(prob, "QRVAgetqrowcoeff", [&](P &p) {
    Check chk("QRVAgetqrowcoeff");
    chk.row(row, p.store->nrows(), "row");
    chk.col(col1, p.store->ncols(), "col1");
    chk.col(col2, p.store->ncols(), "col2");
    chk.array(coef, "coef");
    const auto &terms = rowTerms(p, row);
    auto it = terms.find(qrva::quadKey(col1, col2));
    *coef = it == terms.end() ? 0.0 : it->second;
    return QRVA_OK;
  });
}

int QRVAgetnames(QRVAprob prob, int type, char names[], int maxbytes, int *nbytes, int first,
                 int last) {
  return qrva::withProblem(prob, "QRVAgetnames", [&](P &p) {
    Check chk("QRVAgetnames");
    qrva::NameTable &table = ::names(p, chk, type);
    chk.span(first, last, static_cast<int>(table.size()),
             type == 1 ? "rows" : (type == 2 ? "columns" : "sets"));
    std::string packed;
    for (int i = first; i <= last; ++i) {
      packed += table.get(i);
      packed.push_back('\0');
    }
    if (nbytes) *nbytes = static_cast<int>(packed.size());
    if (names == nullptr) return QRVA_OK;
    if (static_cast<int64_t>(packed.size()) > maxbytes)
      chk.fail(formatText("the names of %d..%d need %zu bytes; the buffer has maxbytes=%d",
                          first, last, packed.size(), maxbytes));
    std::memcpy(names, packed.data(), packed.size());
    return QRVA_OK;
  });
}

int QRVAgetindex(QRVAprob prob, int type, const char *name, int *index) {
  return qrva::withProblem(prob, "QRVAgetindex", [&](P &p) {
    Check chk("QRVAgetindex");
    qrva::NameTable &table = ::names(p, chk, type);
    chk.array(name, "name");
    chk.array(index, "index");
    *index = table.find(name);
    return QRVA_OK;
  });
}

int QRVAgetglobal64(QRVAprob prob, int *nglents, int *nsets, char coltype[], int colind[],
                    double limit[], char settype[], int64_t setstart[], int setind[],
                    double refval[]) {
  return qrva::withProblem(prob, "QRVAgetglobal64", [&](P &p) {
    const auto &s = *p.store;
    int k = 0;
    for (int j = 0; j < s.ncols(); ++j) {
      if (!s.isDiscrete(j)) continue;
      if (coltype) coltype[k] = s.colType[j];
      if (colind) colind[k] = j;
      if (limit) limit[k] = s.limit[j];
      ++k;
    }
    if (nglents) *nglents = k;
    if (nsets) *nsets = static_cast<int>(s.sets.size());
    int64_t pos = 0;
    for (size_t i = 0; i < s.sets.size(); ++i) {
      if (settype) settype[i] = s.sets[i].type;
      if (setstart) setstart[i] = pos;
      for (size_t m = 0; m < s.sets[i].cols.size(); ++m, ++pos) {
        if (setind) setind[pos] = s.sets[i].cols[m];
        if (refval) refval[pos] = s.sets[i].weights[m];
      }
    }
    if (setstart) setstart[s.sets.size()] = pos;
    return QRVA_OK;
  });
}

int QRVAgetmessagestatus(QRVAprob prob, int errcode, int *status) {
  return qrva::withProblem(prob, "QRVAgetmessagestatus", [&](P &p) {
    Check("QRVAgetmessagestatus").array(status, "status");
    const auto &s = p.suppressedMessages;
    *status = std::find(s.begin(), s.end(), errcode) == s.end() ? 1 : 0;
    return QRVA_OK;
  });
}

int QRVAsetmessagestatus(QRVAprob prob, int errcode, int status) {
  return qrva::withProblem(prob, "QRVAsetmessagestatus", [&](P &p) {
    auto &s = p.suppressedMessages;
    s.erase(std::remove(s.begin(), s.end(), errcode), s.end());
    if (status == 0) s.push_back(errcode);
    return QRVA_OK;
  });
}

}  // extern "C"
