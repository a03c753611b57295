// The nonlinear store of an SLP problem, beside the optimizer problem's
// store: formula coefficients, SLP settings of columns, the string table,
// user functions, and the last nonlinear solution. Formula coefficient
// (row i, column j, factor f, formula F) adds f * F(x) * x_j to the activity
// of row i; column -1 adds f * F(x) alone. One coefficient per (row, column):
// a second one for the same place is summed into the first.
#pragma once

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "slp/formula.h"
#include "slp/tolerances.h"

namespace qrva {

struct SlpCoefficient {
  double factor = 1.0;
  Formula formula;
};

// The SLP settings and state of one column (QSLPchgvar / QSLPgetvar).
struct SlpVariable {
  int detrow = -1, tolset = 0, history = 0, converged = 0, vartype = 0;
  int delta = 0, penaltydelta = 0, updaterow = -1;
  double initStepBound = 0.0, stepBound = 0.0, penalty = 0.0, damp = 1.0;
  double initValue = 0.0, value = 0.0, oldValue = 0.0;
  bool hasInitValue = false;
  int deltaType = QSLP_DELTA_AUTO;  // how the solver bounds the column's steps
  double deltaValue = 0.0;          // the unit or cap of that delta type
  int cascadeLimit = 0;             // Newton passes when cascaded; 0: the control's
};

// The SLP settings of one row (QSLPchgrowstatus / QSLPchgrowwt).
struct SlpRow {
  int status = 0;       // QSLP_ROWSTATUS_ENFORCED / QSLP_ROWSTATUS_IGNORED
  double weight = 1.0;  // scales the penalty of the row's error vectors
};

struct UserFunction {
  std::string name;
  int flags = 0;
  int linkage = 0;  // string index of the calling convention ("DirectC")
  void *address = nullptr;
  void *object = nullptr;
  bool givesDerivatives() const { return (flags & QSLP_UF_DERIVATIVES) != 0; }
};

// What the last nonlinear solve left behind, over the problem's rows and
// columns at that time.
// What the last linearization of a solve said about one column: its step
// (the column's delta) and step bound, and their reduced costs.
struct SlpColumnDetail {
  int deltaIndex = -1;  // the column of its step in the linearization; -1: a linear column
  int updateRow = -1;   // the row that determines its value; -1: none
  double step = 0.0, stepDj = 0.0;
  double stepBound = QRVA_INFINITY, stepBoundDual = 0.0;
};

// The penalty error vectors of one nonlinear row over a solve's
// linearizations: plus (+1 in the row) and minus (-1).
struct SlpRowDetail {
  int plusCol = -1, minusCol = -1;  // columns in the linearization; -1: a linear row
  int errors = 0;                   // linearizations whose error vectors were in use
  double maxError = 0.0, totalError = 0.0, currentError = 0.0, penaltyFactor = 0.0;
  double plusValue = 0.0, plusDj = 0.0, minusValue = 0.0, minusDj = 0.0;
};

struct SlpSolution {
  std::vector<double> x, slack, dual, dj;
  std::vector<SlpColumnDetail> columns;  // per column (empty: no linearization solved)
  std::vector<SlpRowDetail> rows;        // per row
  int sense = 1;                         // the objective sense of that solve
  double penalty = 0.0;                  // the error vectors' penalty in its last linearization
  bool known() const { return !x.empty() || !slack.empty(); }
};

using CoefficientKey = std::pair<int, int>;  // (row, column)

struct SlpStore {
  std::map<CoefficientKey, SlpCoefficient> coefficients;  // by row, then column
  std::map<int, SlpVariable> variables;                   // by column
  std::map<int, SlpRow> rows;                             // by row, those with settings
  std::vector<std::string> strings;                       // index k at k - 1
  std::vector<UserFunction> functions;                    // index k at k - 1
  std::vector<ToleranceSet> tolsets;                      // set k at k - 1
  SlpSolution solution;
  std::vector<int> cascadeOrder;  // the last QSLPcascadeorder (cleared by deletions)
  // Derivative factors by (row, column): multiply that partial derivative in
  // the solver's linearizations (QSLPadddfs); 1 where none is given.
  std::map<CoefficientKey, double> derivativeFactors;

  int nonlinearRows() const;
  // Adds a coefficient, summing it into one already at (row, col).
  void addCoefficient(int row, int col, double factor, Formula formula);
  // Index (1-based) of text in the string table, adding it when new.
  int stringIndex(const std::string &text);

  // After rows / columns of the optimizer problem were deleted: coefficients
  // of deleted rows and columns go, the rest are renumbered (also in the
  // variable tokens of formulas).
  void keepRows(const std::vector<char> &keep);
  void keepCols(const std::vector<char> &keep);
  // The tolerance set a column names, or null when it names none.
  const ToleranceSet *tolsetOf(int col) const;
  // A row's settings (the defaults when it has none).
  SlpRow rowOf(int row) const;
  // The first use of a column that keep deletes in a formula's variable
  // tokens, as text; empty when there is none.
  std::string formulaUseOfDeleted(const std::vector<char> &keep) const;
};

}  // namespace qrva
