// Checked changes of a problem store shared by the loading and building entry
// points: each validates all of its input against the store first (throwing
// Failure) and only then changes the store.
#pragma once

#include <cstdint>

#include "model/store.h"
#include "core/validate.h"

namespace qrva {

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

// Column types with thresholds (limit may be NULL: 0).
void changeColumnTypes(ProblemStore &s, const Check &chk, int n, const int *colind,
                       const char *coltype, const double *limit);

// A column type with its bounds as the store keeps them ('B' clips to 0..1).
void applyColumnType(ProblemStore &s, int col, char type);

}  // namespace qrva
