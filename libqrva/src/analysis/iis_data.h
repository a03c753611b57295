// The irreducible infeasible subsystems a problem has found (QRVAiis...):
// plain data kept on the problem until an edit of its feasible set.
#pragma once

#include <vector>

namespace qrva {

// One subsystem: rows (each with all its bounds) and column bounds that
// together admit no solution. Isolation flags: -1 not computed, 1 the
// member belongs to no other subsystem found, 0 it does.
struct Iis {
  std::vector<int> rows, cols;               // increasing
  std::vector<char> colBound;                // 'L' lower, 'U' upper, 'B' both
  std::vector<double> rowDual, colDual;      // the Farkas certificate (0 without one)
  std::vector<signed char> rowIsolated, colIsolated;
  double sumInfeas = 0.0;  // the least total violation of the subsystem's rows and bounds
  int numInfeas = 0;       // how many of them that least violation breaks
  bool irreducible = true;
};

struct IisResults {
  std::vector<Iis> found;
  int mode = 0;
  bool mip = false;   // found by MIP solves (the LP relaxation is feasible)
  bool exhausted = false;  // the search proved there is no further subsystem
};

}  // namespace qrva
