// What an edit of a problem leaves without meaning. The problem keeps results
// of solves and analyses; each belongs to one grade below, and every kind of
// edit makes some grades stale (staleAfter). The problem drops exactly those,
// so that, say, a new objective keeps the basis for a warm start while a
// deleted row takes it away.
#pragma once

namespace qrva {

enum Stale : unsigned {
  kStaleSolution = 1u << 0,   // values, slacks, duals, reduced costs, rays, statuses, counts
  kStaleBasis = 1u << 1,      // the basis a re-solve starts from
  kStaleIis = 1u << 2,        // irreducible infeasible subsystems
  kStaleRanges = 1u << 3,     // sensitivity ranges of costs, bounds and right-hand sides
  kStaleCuts = 1u << 4,       // the cut pool
  kStaleMipStarts = 1u << 5,  // starting solutions for the next MIP solve (they name columns)
  kStaleAll = (1u << 6) - 1,
};

// What an edit touched.
enum class Edit {
  Objective,    // objective coefficients and constant, quadratic objective, sense
  Bounds,       // column bounds, right-hand sides, ranges, row types
  Matrix,       // matrix coefficients, quadratic rows
  Discrete,     // column types, thresholds, sets, indicators
  Nonlinear,    // formula coefficients and SLP settings of the layer above
  RowsAdded,    // the basis grows: new rows basic
  ColsAdded,    // the basis grows: new columns at their lower bound
  RowsDeleted,  // the basis loses rows and no longer fits
  ColsDeleted,  // ... columns, and the MIP starts name columns that moved
  Replaced,     // a load, read or copy: nothing of the old problem holds
};

constexpr unsigned staleAfter(Edit e) {
  // What any change of the feasible set makes stale; an objective change
  // keeps the subsystems and the cuts, which do not depend on costs.
  constexpr unsigned feasibleSet = kStaleSolution | kStaleIis | kStaleRanges | kStaleCuts;
  switch (e) {
    case Edit::Objective: return kStaleSolution | kStaleRanges;
    case Edit::Bounds:
    case Edit::Matrix:
    case Edit::Discrete:
    case Edit::Nonlinear:
    case Edit::RowsAdded:
    case Edit::ColsAdded: return feasibleSet;
    case Edit::RowsDeleted: return feasibleSet | kStaleBasis;
    case Edit::ColsDeleted: return feasibleSet | kStaleBasis | kStaleMipStarts;
    case Edit::Replaced: return kStaleAll;
  }
  return kStaleAll;
}

}  // namespace qrva
