// The SLP problem behind a QSLPprob handle: layered on an optimizer problem,
// with its own controls, solver state, callbacks, last error and the slot for
// its nonlinear store (formula coefficients, SLP variables, tolerance sets,
// user functions).
#pragma once

#include <array>
#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "api/support.h"
#include "params/catalog.h"
#include "model/problem.h"
#include "multistart/jobs.h"
#include "qslp.h"
#include "slp/linearization_view.h"
#include "slp/store.h"

namespace qrva {

// What the last SLP solve left behind (all zero before any solve).
struct SlpState {
  int nlpStatus = 0, stopStatus = 0, iterations = 0;
  int statusBits = 0;  // QSLP_STATUS_* bits
  double objective = 0.0, solveTime = 0.0;
  // What the last validation found (QSLPvalidate*).
  double validationAbs = 0.0, validationRel = 0.0, validationKkt = 0.0;
  int kktValidated = 0;
};

// Sizes of the nonlinear part (all zero until the SLP store exists).
struct SlpCounts {
  int coefficients = 0, nonlinearRows = 0, variables = 0, userFunctions = 0, tolsets = 0;
};

enum class SlpCallbackKind {
  CascadeEnd, CascadeStart, CascadeVar, CascadeVarFail, CoefEvalError, Construct, Destroy,
  DrCol, Formula, IterEnd, IterStart, IterVar, MsJobEnd, MsJobStart, MsWinner, SlpEnd, SlpNode,
  SlpStart, Count
};
static_assert(static_cast<int>(SlpCallbackKind::Count) == QSLP_CALLBACK_KINDS,
              "one callback kind per QSLPsetcb<kind> of qslp.h");

// How much evaluating the nonlinear parts cost since the last nonlinear
// solve started (since the problem was created before any): points
// evaluated, those with derivatives, formulas evaluated, user function calls
// (central differences included) and the time the evaluations took.
struct EvaluationCounts {
  std::atomic<long long> points{0}, gradients{0}, formulas{0}, userCalls{0}, nanoseconds{0};
  void reset() {
    for (auto *c : {&points, &gradients, &formulas, &userCalls, &nanoseconds}) c->store(0);
  }
};

struct SlpCallback {
  void (*function)() = nullptr;
  void *data = nullptr;
};

}  // namespace qrva

struct qslp_problem_s {
  qslp_problem_s(qrva_problem_s *optimizer, bool ownsOptimizer);
  ~qslp_problem_s();
  qslp_problem_s(const qslp_problem_s &) = delete;
  qslp_problem_s &operator=(const qslp_problem_s &) = delete;

  qrva_problem_s *qprob;  // null once that problem was destroyed
  bool ownsQprob;
  std::vector<qrva::ParamValue> controls;
  qrva::SlpState state;
  std::unique_ptr<qrva::SlpStore> store;  // never null
  std::array<qrva::SlpCallback, static_cast<size_t>(qrva::SlpCallbackKind::Count)> callbacks;
  qrva::LastError lastError;
  std::chrono::steady_clock::time_point created = std::chrono::steady_clock::now();
  // The penalty the next solve keeps its error vectors at (QSLPfixpenalties).
  bool penaltyFixed = false;
  double fixedPenalty = 0.0;
  qrva::EvaluationCounts evaluations;
  // The linearization QSLPupdatelinearization wrote into the optimizer problem.
  qrva::LinearizationView shownLinearization;

  // Puts the optimizer problem's own linear part back where a linearization
  // was written into it, so that the engine reads the problem's true rows.
  void restoreLinearPart();
  // Multistart jobs (QSLPmsaddjob ...), run by the next QSLPnlpoptimize.
  std::vector<qrva::ms::Job> msJobs;
  // The copy a multistart job runs on: it takes no jobs of its own.
  bool isJobCopy = false;

  // Records the error here and on the optimizer problem below, so that its
  // last error always tells the most recent failure of either library.
  int fail(int code, const std::string &text);

  qrva::SlpCounts counts() const;

  // The value of a control of the SLP catalog (id must name one).
  qrva::ParamValue &control(int id);
  const qrva::ParamValue &control(int id) const;

  // The nonlinear problem changed (its formulas, SLP settings of columns or
  // rows): the last solutions no longer hold.
  void nonlinearChanged();

  // The last nonlinear solution, refused (a Failure) when there is none or
  // the problem's size changed since.
  const qrva::SlpSolution &lastSolution(const char *function) const;

  // The optimizer problem below got a new store (a load, a read or a copy):
  // formula coefficients and SLP settings of columns went with the old one,
  // and so did the last solution. User functions and strings stay: they
  // are registrations, not problem data.
  void optimizerStoreReplaced();

  // The point formulas are evaluated at outside a solve: the last nonlinear
  // solution, else every column's initial value (its SLP initial value, or
  // 0 moved into its bounds).
  std::vector<double> currentPoint() const;
};

namespace qrva {

const Catalog<qslp_problem_s> &slpCatalog();

// Entry point working on one SLP problem; needsOptimizer: the optimizer
// problem below must still exist.
template <class Body>
int withSlp(QSLPprob slp, const char *function, Body &&body, bool needsOptimizer = true) {
  if (int rc = checkHandle(slp, function, "SLP problem")) return rc;
  return guarded(
      function, [&](int code, const std::string &text) { return slp->fail(code, text); },
      [&]() {
        if (needsOptimizer && slp->qprob == nullptr)
          return slp->fail(QRVA_ERR_STATE,
                           formatText("%s: the optimizer problem under this SLP problem was "
                                      "destroyed",
                                      function));
        return body(*slp);
      });
}

}  // namespace qrva
