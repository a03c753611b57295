// The problem store: the one source of truth for a problem's data (columns,
// rows, matrix, quadratic parts, sets, indicators, names). The store holds
// data that was already validated: the entry points check their arguments
// (validate.h) before they change anything, so a store operation never
// leaves a half-changed problem behind.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "qrva.h"

namespace qrva {

// Sizes of a problem as the attributes report them.
struct ProblemCounts {
  int rows = 0, cols = 0, spareRows = 0;
  int64_t elements = 0, quadraticElements = 0;
  int sets = 0, setMembers = 0, discreteCols = 0;
  int quadraticRows = 0, indicators = 0;
  int originalRows = 0, originalCols = 0, originalSets = 0;
  int longestName = 0;  // bytes
};

// One matrix element of a column (index = row) or of a row (index = column).
struct Entry {
  int index;
  double value;
};

// Quadratic terms keyed by (i, j) with i <= j. In the objective a value v
// stands for 1/2 v x_i^2 on the diagonal and v x_i x_j off it (so that the
// objective is c'x + 1/2 x'Qx with Q symmetric); in a row it stands for
// v x_i^2 and 2 v x_i x_j (the row holds x'Qx).
using QuadTerms = std::map<std::pair<int, int>, double>;

inline std::pair<int, int> quadKey(int i, int j) {
  return i <= j ? std::make_pair(i, j) : std::make_pair(j, i);
}

struct SosSet {
  char type = '1';  // '1' or '2'
  std::vector<int> cols;
  std::vector<double> weights;
};

// Names of rows, columns or sets with a hash index for lookups. An entry
// without a name of its own answers with a generated one (prefix and index).
class NameTable {
 public:
  explicit NameTable(char prefix) : prefix_(prefix) {}

  void resize(size_t n) { names_.resize(n), stale_ = true; }
  size_t size() const { return names_.size(); }
  void set(size_t i, std::string name) { names_[i] = std::move(name), stale_ = true; }
  // The name of entry i, generated when it has none.
  std::string get(size_t i) const;
  bool hasOwn(size_t i) const { return !names_[i].empty(); }
  // Index of the first entry called name, or -1.
  int find(const std::string &name) const;
  // Keeps the entries whose keep flag is set, in order.
  void keep(const std::vector<char> &keepFlags);
  size_t longest() const;

 private:
  char prefix_;
  std::vector<std::string> names_;
  mutable std::unordered_map<std::string, int> index_;
  mutable bool stale_ = true;
};

// The branching directive of one column, read by the tree search:
// priority (smaller numbers are branched on first), the branch to explore
// first ('U' up, 'D' down, 'N' the search's own choice) and the estimated
// objective degradation per unit of moving the column up or down (a
// negative pseudo-cost: none given, the search estimates its own).
struct Directive {
  int priority = QRVA_DIR_DEFAULTPRIORITY;
  char branch = 'N';
  double upPseudo = -1.0, downPseudo = -1.0;
};

// Row-wise copy of the matrix: starts (rows + 1) and entries.
struct RowWise {
  std::vector<int64_t> start;
  std::vector<Entry> entries;
};

struct ProblemStore {
  // Columns.
  std::vector<double> lb, ub, obj, limit;
  std::vector<char> colType;
  std::vector<std::vector<Entry>> columns;  // each sorted by row, no zeros
  // Rows.
  std::vector<char> rowType;
  std::vector<double> rhs, range;
  std::vector<int> indicatorCol;   // -1: not an indicator row
  std::vector<int> indicatorComp;  // 1 active when the column is 1, -1 when 0
  // Objective: c'x + 1/2 x'Qx + constant, minimized (1) or maximized (-1).
  double objConstant = 0.0;
  int objSense = 1;
  QuadTerms qobj;
  std::map<int, QuadTerms> qrows;  // row -> its x'Qx terms
  std::vector<SosSet> sets;
  NameTable rowNames{'R'}, colNames{'C'}, setNames{'S'};
  // Branching directives by column, and the marks presolve and the tree
  // search honour: rows and columns presolve must keep, rows that need not
  // be in the LP until a candidate solution violates them (delayed rows),
  // and rows that may be left out until violated (model cuts). Indices are
  // those of the store; deletions renumber them like every column or row
  // datum, and entries of deleted rows and columns go.
  std::map<int, Directive> directives;
  std::set<int> secureRows, secureCols, delayedRows, modelCuts;
  // User scaling (QRVAscale): the power-of-two exponent of each scaled row
  // and column, by index (rows and columns not listed have exponent 0).
  // Deletions renumber them like the marks above.
  std::map<int, int> rowScaleExp, colScaleExp;
  // The factors 2^exponent of every row and column (empty when there is no
  // user scaling).
  void scaleFactors(std::vector<double> &rows, std::vector<double> &cols) const;

  ProblemStore() = default;
  ProblemStore(const ProblemStore &other);
  ProblemStore &operator=(const ProblemStore &) = delete;

  int nrows() const { return static_cast<int>(rowType.size()); }
  int ncols() const { return static_cast<int>(colType.size()); }
  int64_t elements() const;
  ProblemCounts counts() const;
  bool isDiscrete(int col) const { return colType[col] != 'C'; }
  // Whether any column is discrete or any set exists (a MIP's parts).
  bool hasDiscreteParts() const;

  // Appends rows without elements / columns without elements.
  void appendRows(int n, const char *type, const double *rhs, const double *range);
  void appendCols(int n, const double *obj, const double *lb, const double *ub);
  // Adds value to element (row, col) (an element that becomes zero goes).
  void addToElement(int row, int col, double value);
  void setElement(int row, int col, double value);
  double element(int row, int col) const;
  // Sorts and merges the elements of column col after raw appends.
  void normaliseColumn(int col);

  // Deletion by keep flags, renumbering every reference.
  void keepRows(const std::vector<char> &keep);
  void keepCols(const std::vector<char> &keep);
  void keepSets(const std::vector<char> &keep);
  // Whether the column bounds lo/hi fix indicator row i's column, within
  // tol, at the value that switches the row on.
  bool indicatorFixedOn(int i, const std::vector<double> &lo, const std::vector<double> &hi,
                        double tol) const {
    int z = indicatorCol[i];
    double on = indicatorComp[i] == 1 ? 1.0 : 0.0;
    return lo[z] >= on - tol && hi[z] <= on + tol;
  }
  // The first indicator row whose column is not kept, as a text for the
  // refusal; empty when there is none.
  std::string indicatorUseOfDeleted(const std::vector<char> &keep) const;

  const RowWise &rowWise() const;
  void matrixChanged() { rowWise_.reset(); }

 private:
  mutable std::unique_ptr<RowWise> rowWise_;
};

}  // namespace qrva
