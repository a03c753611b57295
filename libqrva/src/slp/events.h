// The SLP callbacks of a solve: one function per kind on the SLP problem
// (QSLPsetcb<kind>), called by the solver at its stages, per nonlinear
// column of an iteration and from the evaluation of a point. What each
// kind receives and what its result means is documented in qslp.h.
#pragma once

#include <vector>

#include "slp/problem.h"

namespace qrva {
namespace nlp {

class SlpEvents {
 public:
  // slp may be null (a solve of quadratic rows without an SLP problem):
  // nothing is then called.
  explicit SlpEvents(qslp_problem_s *slp) : slp_(slp) {}

  bool any() const;
  bool wants(SlpCallbackKind kind) const;

  // A stage callback (slpstart, iterstart, iterend, slpend, construct,
  // destroy): true when it asked the solve to stop, which also sets the
  // optimizer problem's interrupt so every loop of the solve sees it.
  bool stage(SlpCallbackKind kind) const;
  // itervar for a column; true: stop.
  bool iterVar(int col) const;
  // cascadevar (or cascadevarfail when failed) for a determined column; true: stop.
  bool cascadeVar(int col, bool failed) const;
  // coefevalerror for a formula coefficient; true: stop.
  bool coefEvalError(int row, int col) const;
  // drcol for a determined column: value in, the value to use out; true: stop.
  bool determinedColumn(int row, int col, double &value, double lb, double ub) const;
  // formula for a formula coefficient's value: value in, the value to use out; true: stop.
  bool formulaValue(double &value) const;

  // Makes the iterate x (with its slacks, duals and reduced costs, the
  // iteration count and the objective) what the queries of the callbacks
  // that follow answer: the optimizer problem's current solution and the
  // SLP problem's solution and attributes. Does nothing without callbacks.
  void publish(const std::vector<double> &x, const std::vector<double> &slack,
               const std::vector<double> &dual, const std::vector<double> &dj, int iterations,
               double objective) const;

 private:
  template <class F>
  F function(SlpCallbackKind kind) const {
    return reinterpret_cast<F>(slp_->callbacks[static_cast<size_t>(kind)].function);
  }
  void *data(SlpCallbackKind kind) const { return slp_->callbacks[static_cast<size_t>(kind)].data; }
  bool stopped(int result) const;

  qslp_problem_s *slp_;
};

}  // namespace nlp
}  // namespace qrva
