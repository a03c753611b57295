// The model handed to HiGHS: the problem store's columns and rows, with
// what HiGHS lacks reformulated (partially integer columns, large
// semi-continuous bounds, sets and indicator rows through binaries), and
// its transfer into a HiGHS instance.
#pragma once

#include <map>
#include <vector>

#include "core/validate.h"
#include "highs/solver.h"
#include "interfaces/highs_c_api.h"
#include "model/problem.h"

namespace qrva {

// The user scaling of one solve (QRVAscale's powers of two as factors over
// the model's rows and columns): HiGHS solves the scaled model R A C with
// x = C x', and the results are taken back to the problem's own units.
// Columns and rows the reformulations add keep factor 1, and so do columns
// HiGHS treats as discrete, whose integrality a factor would change. Empty
// when the problem has no user scaling.
struct UserScaling {
  std::vector<double> row, col;
  bool active() const { return !row.empty() || !col.empty(); }
  // The problem's own values of a solution, its reduced costs, row
  // activities and duals, over the model's columns and rows.
  void unscale(std::vector<double> &x, std::vector<double> &dj, std::vector<double> &act,
               std::vector<double> &dual) const;
};

// The model handed to HiGHS: the store's columns as they are, plus what the
// reformulations add (entries in original columns, new columns, new rows).
// The store's matrix is never copied: flatten() reads it straight.
struct Model {
  std::vector<double> cost, colLower, colUpper, rowLower, rowUpper;
  std::vector<int> integrality;
  bool anyIntegral = false;
  bool extended = false;  // columns or rows were added by reformulations
  const std::vector<std::vector<Entry>> *storeCols = nullptr;
  std::map<int, std::vector<Entry>> extraEntries;  // original column -> added entries
  std::vector<std::vector<Entry>> newCols;
  UserScaling scaling;  // applied by transferModel when active

  int originalCols() const { return static_cast<int>(storeCols->size()); }
  int addCol(double lower, double upper, int type) {
    cost.push_back(0.0), colLower.push_back(lower), colUpper.push_back(upper);
    integrality.push_back(type);
    newCols.emplace_back();
    extended = true;
    if (type != kHighsVarTypeContinuous) anyIntegral = true;
    return static_cast<int>(cost.size()) - 1;
  }
  int addRow(double lower, double upper) {
    rowLower.push_back(lower), rowUpper.push_back(upper);
    extended = true;
    return static_cast<int>(rowLower.size()) - 1;
  }
  void add(int row, int col, double v) {
    if (col < originalCols()) extraEntries[col].push_back(Entry{row, v});
    else newCols[col - originalCols()].push_back(Entry{row, v});
  }

  // Compressed columns: sorted by row, duplicates merged.
  void flatten(std::vector<HighsInt> &start, std::vector<HighsInt> &index,
               std::vector<double> &value) const {
    int n = originalCols(), ncol = static_cast<int>(cost.size());
    size_t total = 0;
    for (const auto &c : *storeCols) total += c.size();
    for (const auto &e : extraEntries) total += e.second.size();
    for (const auto &c : newCols) total += c.size();
    start.assign(ncol + 1, 0), index.clear(), value.clear();
    index.reserve(total), value.reserve(total);
    std::vector<Entry> merged;
    for (int j = 0; j < ncol; ++j) {
      const std::vector<Entry> *c = j < n ? &(*storeCols)[j] : &newCols[j - n];
      auto extra = j < n ? extraEntries.find(j) : extraEntries.end();
      if (j >= n || extra != extraEntries.end()) {
        merged = *c;
        if (extra != extraEntries.end())
          merged.insert(merged.end(), extra->second.begin(), extra->second.end());
        std::sort(merged.begin(), merged.end(),
                  [](const Entry &a, const Entry &b) { return a.index < b.index; });
        size_t out = 0;
        for (size_t k = 0; k < merged.size(); ++k) {
          if (out > 0 && merged[out - 1].index == merged[k].index) merged[out - 1].value += merged[k].value;
          else merged[out++] = merged[k];
        }
        merged.resize(out);
        c = &merged;
      }
      for (const Entry &e : *c) index.push_back(e.index), value.push_back(e.value);
      start[j + 1] = static_cast<HighsInt>(index.size());
    }
  }
};

// The model of s for a solve of the given kind: the relaxation (integrality,
// sets and indicator rows dropped) for LP solves and continuous problems.
// Fails on what HiGHS cannot take (quadratic rows, mixed-integer quadratic
// objectives, sets or indicators over unbounded columns).
Model buildModel(const ProblemStore &s, const Check &chk, SolveKind kind);

// The factors of s's user scaling over m (inactive when s has none).
UserScaling userScaling(const ProblemStore &s, const Model &m);

// Symmetric positive semidefiniteness of the quadratic objective (minimizing;
// negative semidefinite when maximizing), by a dense LDL' on the columns that
// appear in it. Larger objectives are left to HiGHS.
bool convexObjective(const ProblemStore &s);

// Passes m (its infinite bounds turned into HiGHS's infinity on the way), the
// quadratic objective of p's store and p's basis (continuous models HiGHS
// gets unchanged) to h, scaled by m.scaling when it is active.
void transferModel(void *h, Model &m, const qrva_problem_s &p, const Check &chk);

// Gives h, which holds the discrete model m, the starting solution x (a
// value for every original column, in the problem's units).
void transferStart(void *h, const Model &m, const std::vector<double> &x);

}  // namespace qrva
