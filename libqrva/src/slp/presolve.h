// Presolve of a nonlinear problem: what its structure lets go before the
// solve, and the way back from the presolved problem's solution to the
// problem's own rows and columns (postsolve).
//
// Only the linear part is reduced; rows with formula coefficients or
// quadratic terms, columns in formulas, quadratic terms or the quadratic
// objective, columns with a determining row, rows and columns presolve must
// keep (QRVAloadsecurevecs), rows with SLP settings, free rows and
// indicator rows stay as they are. Repeated until nothing changes:
// - a linear column fixed by its bounds goes; its value moves into the
//   right-hand sides of its rows and into the objective's constant;
// - a linear row left with one element becomes bounds of that column (the
//   row goes; a row equal to one value fixes the column);
// - a linear row left with no element, which 0 satisfies, goes.
// A reduction whose bounds would contradict is not made: the solve then
// finds the problem infeasible itself.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "slp/solver.h"

namespace qrva {

struct PresolvedProblem {
  std::unique_ptr<ProblemStore> store;  // the presolved problem
  std::unique_ptr<SlpStore> slp;        // its formula coefficients and SLP settings
  std::vector<int> rowOf, colOf;        // presolved index -> the problem's own
  // The reductions in the order they were made; postsolve undoes them in
  // the opposite order.
  struct Step {
    enum Kind { FixedColumn, BoundRow, EmptyRow } kind;
    int row = -1, col = -1;
    double value = 0.0;  // a fixed column's value; a bound row's element
    bool gaveLower = false, gaveUpper = false;  // the bounds a row tightened
  };
  std::vector<Step> steps;
  int fixedColumns = 0, boundRows = 0, emptyRows = 0;
};

// The presolved problem of the optimizer problem s with the nonlinear part
// slp (see above); tol: how far a value may miss a bound.
PresolvedProblem presolveProblem(const ProblemStore &s, const SlpStore &slp, double tol);

// What presolve did, for the log.
std::string presolveSummary(const PresolvedProblem &pre);

// The outcome of a solve of the presolved problem, on s's own rows and
// columns: values, slacks, row duals and reduced costs (a row that became
// bounds takes its column's reduced cost where the column ends at such a
// bound), and the solve's details of the rows and columns that stayed.
NlpOutcome postsolveOutcome(const PresolvedProblem &pre, const ProblemStore &s, NlpOutcome out,
                            double tol);

// solveNonlinear of a presolved slp: presolves the problem as it stands,
// solves the presolved problem in its place (callbacks meanwhile see the
// presolved problem) and postsolves the outcome.
NlpOutcome solvePresolved(qrva_problem_s &p, qslp_problem_s &slp, const NlpSettings &settings,
                          const Check &chk, bool relaxed);

}  // namespace qrva
