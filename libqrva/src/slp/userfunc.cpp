#include "slp/userfunc.h"

#include <cmath>
#include <limits>

namespace qrva {
namespace {

const double kNaN = std::numeric_limits<double>::quiet_NaN();

class Caller {
 public:
  explicit Caller(qslp_problem_s &slp) : slp_(slp) {}

  bool operator()(int index, const std::vector<double> &args, const std::vector<char> *wanted,
                  double &value, std::vector<double> *partials, EvalError &err) {
    const UserFunction &uf = slp_.store->functions[index - 1];
    if (uf.address == nullptr) {
      err.what = formatText("user function '%s' (index %d) has no address; set it with "
                            "QSLPchguserfuncaddress",
                            uf.name.c_str(), index);
      err.stop = true;
      return false;
    }
    int n = static_cast<int>(args.size());
    std::vector<double> results;
    if (!once(uf, index, args.data(), n, wanted, value, partials ? &results : nullptr, err))
      return false;
    if (partials == nullptr) return true;
    // Partials the function gave; central differences for the others.
    std::vector<double> at(args);
    for (int i = 0; i < n; ++i) {
      if (!(*wanted)[i]) continue;
      if (uf.givesDerivatives() && !std::isnan(results[i + 1])) {
        (*partials)[i] = results[i + 1];
        continue;
      }
      double h = 1e-6 * std::max(1.0, std::fabs(args[i])), up = 0.0, down = 0.0;
      at[i] = args[i] + h;
      bool ok = once(uf, index, at.data(), n, nullptr, up, nullptr, err);
      at[i] = args[i] - h;
      ok = ok && once(uf, index, at.data(), n, nullptr, down, nullptr, err);
      at[i] = args[i];
      if (!ok) return false;
      (*partials)[i] = (up - down) / (2.0 * h);
    }
    return true;
  }

 private:
  // One call of the function; results (when not null) gets the function's
  // results array (value, then one partial per argument, NaN where none).
  bool once(const UserFunction &uf, int index, const double *args, int n,
            const std::vector<char> *wanted, double &value, std::vector<double> *results,
            EvalError &err) {
    qslp_function_s handle{&slp_, n, 0, 0, index};
    ++slp_.evaluations.userCalls;
    double r;
    if (uf.givesDerivatives()) {
      std::vector<double> out(n + 1, kNaN), deltas(n, 0.0);
      if (wanted)
        for (int i = 0; i < n; ++i)
          if ((*wanted)[i]) deltas[i] = 1e-6 * std::max(1.0, std::fabs(args[i]));
      handle.wantResults = 1, handle.wantDerivatives = wanted != nullptr;
      r = reinterpret_cast<QSLPuserfuncderiv>(uf.address)(args, &handle, deltas.data(),
                                                          out.data());
      // The value travels in results[0]; a function that failed wrote nothing.
      r = std::isnan(out[0]) ? kNaN : out[0];
      if (results) *results = std::move(out);
    } else {
      r = reinterpret_cast<QSLPuserfunc>(uf.address)(args, &handle);
      if (results) results->assign(n + 1, kNaN);
    }
    if (slp_.qprob->interruptReason.load() != 0) {
      err.what = formatText("the solve was interrupted while user function '%s' (index %d) ran",
                            uf.name.c_str(), index);
      err.stop = true;
      return false;
    }
    if (std::isnan(r)) {
      err.what = formatText("user function '%s' (index %d) failed", uf.name.c_str(), index);
      err.stop = true;
      return false;
    }
    value = r;
    return true;
  }

  qslp_problem_s &slp_;
};

}  // namespace

UserFunctionCall userFunctionCaller(qslp_problem_s &slp) { return Caller(slp); }

UserFunctionCall noUserFunctions() {
  return [](int index, const std::vector<double> &, const std::vector<char> *, double &,
            std::vector<double> *, EvalError &err) {
    err.what = formatText("user function %d is not defined", index);
    err.stop = true;
    return false;
  };
}

}  // namespace qrva
