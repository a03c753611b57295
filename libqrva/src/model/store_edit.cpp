#include "model/store_edit.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace qrva {

void appendColumns(ProblemStore &s, const Check &chk, const ColumnBlock &b) {
  chk.count(b.n, "ncols");
  if (b.ncoefs >= 0) chk.heldBy(b.n, b.ncoefs, "ncols", "ncoefs", "columns");
  const int m = s.nrows();
  int64_t total = 0;
  if (b.n > 0) {
    if (b.start == nullptr && (b.ncoefs > 0 || b.mnel != nullptr)) chk.array(b.start, "start");
    if (b.start != nullptr) {
      if (b.mnel != nullptr) {
        // The columns' blocks follow one another from element 0 (gaps allowed),
        // so the element arrays end with the last column's block.
        if (b.start[0] != 0)
          chk.fail(formatText("'start' must start at 0, not %lld", (long long)b.start[0]));
        for (int j = 0; j < b.n; ++j) {
          if (b.mnel[j] < 0)
            chk.fail(formatText("column %d has %d elements in 'mnel'; the count may not be "
                                "negative", j, b.mnel[j]));
          if (b.start[j] > INT64_MAX - b.mnel[j])
            chk.fail(formatText("'start' %lld of column %d with its %d elements ends beyond "
                                "any array", (long long)b.start[j], j, b.mnel[j]));
          int64_t end = b.start[j] + b.mnel[j];
          if (j + 1 < b.n && b.start[j + 1] < end)
            chk.fail(formatText("'start' %lld of column %d lies before the end %lld of column "
                                "%d's elements; columns follow one another",
                                (long long)b.start[j + 1], j + 1, (long long)end, j));
          total = end;
        }
      } else {
        total = b.ncoefs >= 0 ? b.ncoefs : b.start[b.n];
        chk.starts(b.start, b.n, total, "start");
      }
    }
  }
  if (total > 0) {
    chk.array(b.rowind, "rowind");
    chk.array(b.value, "value");
  }
  for (int j = 0; j < b.n; ++j) {
    if (b.obj) chk.coefficient(b.obj[j], "objcoef", j);
    if (b.lb) chk.number(b.lb[j], "lb", j);
    if (b.ub) chk.number(b.ub[j], "ub", j);
    if (b.lb && b.ub && b.lb[j] > b.ub[j] && b.lb[j] < 1e20 && b.ub[j] > -1e20) {
      // Crossed bounds are kept: the solver reports the problem infeasible.
    }
  }
  auto range = [&](int j, int64_t &from, int64_t &to) {
    from = b.start ? b.start[j] : 0;
    to = b.start ? (b.mnel ? b.start[j] + b.mnel[j] : b.start[j + 1]) : 0;
  };
  for (int j = 0; j < b.n; ++j) {
    int64_t from, to;
    range(j, from, to);
    for (int64_t k = from; k < to; ++k) {
      chk.row(b.rowind[k], m, "rowind", k);
      chk.coefficient(b.value[k], "value", k);
    }
  }
  int first = s.ncols();
  s.appendCols(b.n, b.obj, b.lb, b.ub);
  for (int j = 0; j < b.n; ++j) {
    int64_t from, to;
    range(j, from, to);
    auto &col = s.columns[first + j];
    col.reserve(static_cast<size_t>(to - from));
    for (int64_t k = from; k < to; ++k) col.push_back(Entry{b.rowind[k], b.value[k]});
    s.normaliseColumn(first + j);
  }
}

void appendRows(ProblemStore &s, const Check &chk, const RowBlock &b) {
  chk.count(b.n, "nrows");
  chk.count(b.ncoefs, "ncoefs");
  chk.heldBy(b.n, b.ncoefs, "nrows", "ncoefs", "rows");
  if (b.n > 0) {
    chk.array(b.type, "rowtype");
    chk.array(b.rhs, "rhs");
  }
  for (int i = 0; i < b.n; ++i) {
    chk.rowType(b.type[i], "rowtype", i);
    chk.number(b.rhs[i], "rhs", i);
    if (b.type[i] == 'R') {
      chk.array(b.range, "range");
      chk.number(b.range[i], "range", i);
      if (b.range[i] < 0)
        chk.fail(formatText("range %g of row %d at position %d is negative", b.range[i], i, i));
    }
  }
  if (b.ncoefs > 0 || (b.n > 0 && b.start != nullptr)) {
    if (b.n > 0) {
      chk.array(b.start, "start");
      chk.starts(b.start, b.n, b.ncoefs, "start");
    }
    if (b.ncoefs > 0) {
      chk.array(b.colind, "colind");
      chk.array(b.value, "rowcoef");
    }
    for (int64_t k = 0; k < b.ncoefs; ++k) {
      chk.col(b.colind[k], s.ncols(), "colind", k);
      chk.coefficient(b.value[k], "rowcoef", k);
    }
  }
  int first = s.nrows();
  s.appendRows(b.n, b.type, b.rhs, b.range);
  if (b.ncoefs > 0 && b.n > 0)
    for (int i = 0; i < b.n; ++i)
      for (int64_t k = b.start[i]; k < b.start[i + 1]; ++k)
        s.addToElement(first + i, b.colind[k], b.value[k]);
}

void checkQuadraticTerms(const ProblemStore &s, const Check &chk, int64_t n, const int *col1,
                         const int *col2, const double *coef) {
  chk.count(n, "ncoefs");
  if (n > 0) {
    chk.array(col1, "col1");
    chk.array(col2, "col2");
    chk.array(coef, "coef");
  }
  for (int64_t k = 0; k < n; ++k) {
    chk.col(col1[k], s.ncols(), "col1", k);
    chk.col(col2[k], s.ncols(), "col2", k);
    chk.coefficient(coef[k], "coef", k);
  }
}

void addQuadratic(ProblemStore &s, const Check &chk, int row, int64_t n, const int *col1,
                  const int *col2, const double *coef) {
  if (row != -1) chk.row(row, s.nrows(), "row");
  checkQuadraticTerms(s, chk, n, col1, col2, coef);
  if (n == 0) return;
  QuadTerms &terms = row == -1 ? s.qobj : s.qrows[row];
  for (int64_t k = 0; k < n; ++k) {
    auto key = quadKey(col1[k], col2[k]);
    double v = (terms[key] += coef[k]);
    if (v == 0.0) terms.erase(key);
  }
  if (row != -1 && terms.empty()) s.qrows.erase(row);
}

void appendSets(ProblemStore &s, const Check &chk, int n, int64_t nelems, const char *type,
                const int64_t *start, const int *colind, const double *refval) {
  chk.count(n, "nsets");
  chk.count(nelems, "nelems");
  chk.heldBy(n, nelems, "nsets", "nelems", "sets");
  if (n == 0) return;
  chk.array(type, "settype");
  chk.array(start, "start");
  chk.starts(start, n, nelems, "start");
  if (nelems > 0) {
    chk.array(colind, "colind");
    chk.array(refval, "refval");
  }
  for (int i = 0; i < n; ++i) chk.setType(type[i], "settype", i);
  for (int64_t k = 0; k < nelems; ++k) {
    chk.col(colind[k], s.ncols(), "colind", k);
    chk.number(refval[k], "refval", k);
  }
  // Weights order the members and each column is a member once: both are
  // checked by sorting (value, position) pairs, so large sets stay cheap.
  auto firstRepeat = [](auto value, int64_t from, int64_t to, int64_t &a, int64_t &b) {
    std::vector<int64_t> order(static_cast<size_t>(to - from));
    for (int64_t k = from; k < to; ++k) order[static_cast<size_t>(k - from)] = k;
    std::sort(order.begin(), order.end(), [&](int64_t x, int64_t y) {
      return value(x) < value(y) || (value(x) == value(y) && x < y);
    });
    for (size_t k = 1; k < order.size(); ++k)
      if (value(order[k - 1]) == value(order[k])) return a = order[k - 1], b = order[k], true;
    return false;
  };
  for (int i = 0; i < n; ++i) {
    int64_t a, b;
    if (firstRepeat([&](int64_t k) { return refval[k]; }, start[i], start[i + 1], a, b))
      chk.fail(formatText("set %d has the weight %g twice (positions %lld and %lld); "
                          "weights order the members and must differ",
                          i, refval[b], (long long)a, (long long)b));
    if (firstRepeat([&](int64_t k) { return colind[k]; }, start[i], start[i + 1], a, b))
      chk.fail(formatText("set %d has column %d twice (positions %lld and %lld); "
                          "a column is a member of a set once",
                          i, colind[b], (long long)a, (long long)b));
  }
  for (int i = 0; i < n; ++i) {
    SosSet set;
    set.type = type[i];
    set.cols.assign(colind + start[i], colind + start[i + 1]);
    set.weights.assign(refval + start[i], refval + start[i + 1]);
    s.sets.push_back(std::move(set));
  }
  s.setNames.resize(s.sets.size());
}

void applyColumnType(ProblemStore &s, int col, char type) {
  s.colType[col] = type;
  if (type == 'B') {
    s.lb[col] = std::max(s.lb[col], 0.0);
    s.ub[col] = std::min(s.ub[col], 1.0);
  }
}

bool changeColumnTypes(ProblemStore &s, const Check &chk, int n, const int *colind,
                       const char *coltype, const double *limit) {
  return editPositions(
      s, chk, n, "ncols", {IndexSet::Columns, colind, "colind"}, {{coltype, "coltype"}},
      [&](int64_t k) {
        chk.colType(coltype[k], "coltype", k);
        if (limit != nullptr) chk.number(limit[k], "limit", k);
      },
      [&](int64_t k) {
        applyColumnType(s, colind[k], coltype[k]);
        if (limit != nullptr) s.limit[colind[k]] = limit[k];
      });
}

}  // namespace qrva
