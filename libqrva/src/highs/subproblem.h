// One HiGHS instance kept for the LPs (or QPs) of an SLP solve: each run
// passes a whole column-wise model, starts from the last optimal basis of a
// linear run of the same shape, and reports a plain outcome, so the SLP
// solver needs nothing of HiGHS's own interface.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "highs/log.h"
#include "model/problem.h"

namespace qrva {

// Minimize cost.x over column bounds and rows rowLower <= A x <= rowUpper,
// A column-wise (start, index, value); a non-empty q* adds x'Qx/2 with Q's
// lower triangle column-wise.
struct Subproblem {
  std::vector<double> cost, colLower, colUpper, rowLower, rowUpper;
  std::vector<int> start, index;
  std::vector<double> value;
  std::vector<int> qStart, qIndex;
  std::vector<double> qValue;
};

enum class LpOutcome { Optimal, Infeasible, Unbounded, TimeLimit, Other };

struct LpResult {
  LpOutcome outcome = LpOutcome::Other;
  int modelStatus = 0;  // HiGHS's own number, for messages
  std::vector<double> x, dj, dual;  // set when optimal
};

class LpRunner {
 public:
  // echoLog sends HiGHS's log to p's messages; feasTol caps the primal
  // feasibility tolerance of every run (at most 1e-7).
  LpRunner(qrva_problem_s &p, bool echoLog, double feasTol);

  LpResult run(const Subproblem &sp, double secondsLeft);

  // Simplex and QP iterations of every run so far.
  int64_t iterations() const { return iterations_; }

 private:
  qrva_problem_s &p_;
  int64_t iterations_ = 0;
  std::unique_ptr<void, HighsDeleter> highs_;
  RunContext ctx_;
  std::vector<int> basisCols_, basisRows_;
};

// HiGHS's version text as HiGHS gives it (nullptr when it gives none).
const char *highsVersionText();

}  // namespace qrva
