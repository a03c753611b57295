// Checked changes of a problem store shared by the loading and building entry
// points: each validates all of its input against the store first (throwing
// Failure) and only then changes the store.
#pragma once

#include <cstdint>
#include <initializer_list>

#include "model/store.h"
#include "core/validate.h"

namespace qrva {

// An array argument and its name, for the refusal when it is NULL.
struct Named {
  const void *array;
  const char *name;
};

// The rows or columns an edit names by index (column -1 may stand for the
// objective where an edit says so).
struct IndexSet {
  enum Kind { Rows, Columns, ColumnsOrObjective } kind;
  const int *index;
  const char *name;
};

// An edit of n positions given by an index set and parallel value arrays:
// the count, then every array, then each index and checkAt(k) at every
// position, and only then applyAt(k) at every position, so that a refused
// call changes nothing. Returns whether there was anything to apply.
template <class CheckAt, class ApplyAt>
bool editPositions(const ProblemStore &s, const Check &chk, int64_t n, const char *countName,
                   IndexSet at, std::initializer_list<Named> values, CheckAt &&checkAt,
                   ApplyAt &&applyAt) {
  chk.count(n, countName);
  if (n == 0) return false;
  chk.array(at.index, at.name);
  for (const Named &a : values) chk.array(a.array, a.name);
  for (int64_t k = 0; k < n; ++k) {
    if (at.kind == IndexSet::Rows)
      chk.row(at.index[k], s.nrows(), at.name, k);
    else if (at.kind == IndexSet::Columns || at.index[k] != -1)
      chk.col(at.index[k], s.ncols(), at.name, k);
    checkAt(k);
  }
  for (int64_t k = 0; k < n; ++k) applyAt(k);
  return true;
}

// Columns with a column-wise matrix. start has n+1 entries (or n with mnel,
// then column j holds start[j] .. start[j]+mnel[j]-1); rowind/value hold the
// elements. objcoef, lb, ub may be NULL only when allowNull (defaults 0, 0, inf).
struct ColumnBlock {
  int n = 0;
  const double *obj = nullptr, *lb = nullptr, *ub = nullptr;
  const int64_t *start = nullptr;
  const int *mnel = nullptr;
  const int *rowind = nullptr;
  const double *value = nullptr;
  int64_t ncoefs = -1;  // element count when known (add functions), else from start
};
void appendColumns(ProblemStore &s, const Check &chk, const ColumnBlock &b);

// Rows with a row-wise matrix (start of n+1 entries, may be NULL when there
// are no elements).
struct RowBlock {
  int n = 0;
  int64_t ncoefs = 0;
  const char *type = nullptr;
  const double *rhs = nullptr, *range = nullptr;
  const int64_t *start = nullptr;
  const int *colind = nullptr;
  const double *value = nullptr;
};
void appendRows(ProblemStore &s, const Check &chk, const RowBlock &b);

// Quadratic terms added to the objective (row -1) or to a row.
// Checks quadratic terms (col1, col2, coef) of n entries against the store.
void checkQuadraticTerms(const ProblemStore &s, const Check &chk, int64_t n, const int *col1,
                         const int *col2, const double *coef);
void addQuadratic(ProblemStore &s, const Check &chk, int row, int64_t n, const int *col1,
                  const int *col2, const double *coef);

// Sets: types '1'/'2', starts of n+1 entries, member columns and weights.
void appendSets(ProblemStore &s, const Check &chk, int n, int64_t nelems, const char *type,
                const int64_t *start, const int *colind, const double *refval);

// Column types with thresholds (limit may be NULL: 0). Returns whether any
// column was given.
bool changeColumnTypes(ProblemStore &s, const Check &chk, int n, const int *colind,
                       const char *coltype, const double *limit);

// A column type with its bounds as the store keeps them ('B' clips to 0..1).
void applyColumnType(ProblemStore &s, int col, char type);

}  // namespace qrva
