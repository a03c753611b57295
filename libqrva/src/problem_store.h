// The problem store: the one source of truth for a problem's data (columns,
// rows, matrix, quadratic parts, sets, indicators, names, solution, basis).
// Its contents arrive with the matrix-building functions; until then a
// problem has no store and every count is 0.
#pragma once

#include <cstdint>

namespace qrva {

struct ProblemStore {};

// Sizes of a problem as the attributes report them.
struct ProblemCounts {
  int rows = 0, cols = 0, spareRows = 0;
  int64_t elements = 0, quadraticElements = 0;
  int sets = 0, setMembers = 0, discreteCols = 0;
  int quadraticRows = 0, indicators = 0;
  int originalRows = 0, originalCols = 0, originalSets = 0;
  int longestName = 0;  // bytes
};

}  // namespace qrva
