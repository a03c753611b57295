// What every C entry point shares: validation of handles (NULL always; in
// checked mode also whether the handle names a live object) and a guard that
// turns a C++ exception into an error code with a text, so that nothing ever
// throws across the C interface.
#pragma once

#include <new>
#include <stdexcept>
#include <string>

#include "core/environment.h"
#include "model/problem.h"
#include "core/text.h"
#include "core/validate.h"

namespace qrva {

// Runs body, turning exceptions into errors recorded by fail(code, text).
// Nothing escapes: when even recording the error fails (no memory left for
// its text), a short text that needs no allocation is recorded instead, and
// the code is returned whatever happens.
template <class Fail, class Body>
int guarded(const char *function, Fail &&fail, Body &&body) noexcept {
  try {
    try {
      return body();
    } catch (const Failure &f) {
      return fail(f.code, f.what());
    } catch (const std::bad_alloc &) {
      return fail(QRVA_ERR_MEMORY, formatText("%s: out of memory", function));
    } catch (const std::exception &e) {
      return fail(QRVA_ERR_INTERNAL, formatText("%s: internal error: %s", function, e.what()));
    } catch (...) {
      return fail(QRVA_ERR_INTERNAL, formatText("%s: internal error", function));
    }
  } catch (...) {
    try {
      return fail(QRVA_ERR_MEMORY, "out of memory");
    } catch (...) {
      return QRVA_ERR_MEMORY;
    }
  }
}

// 0 when the handle may be used; otherwise the error (recorded globally,
// since there is no object to record it on). what names the handle's kind.
inline int checkHandle(const void *handle, const char *function, const char *what) {
  Environment &env = Environment::instance();
  auto failGlobally = [&](int code, const std::string &text) { return env.fail(code, text); };
  return guarded(function, failGlobally, [&] {
    if (handle == nullptr)
      return env.fail(QRVA_ERR_ARGUMENT, formatText("%s: %s handle is NULL", function, what));
    if (env.checkedMode() && !env.isLive(handle))
      return env.fail(QRVA_ERR_ARGUMENT,
                      formatText("%s: %s handle %p does not name a live %s (destroyed, or never "
                                 "created)",
                                 function, what, handle, what));
    return QRVA_OK;
  });
}

// Entry point working on one problem: checks the handle, then runs
// body(problem) with errors recorded on the problem.
template <class Body>
int withProblem(QRVAprob prob, const char *function, Body &&body) {
  if (int rc = checkHandle(prob, function, "problem")) return rc;
  return guarded(
      function, [&](int code, const std::string &text) { return prob->fail(code, text); },
      [&]() { return body(*prob); });
}

// Entry point without an object: errors go to the global environment.
template <class Body>
int withEnvironment(const char *function, Body &&body) {
  return guarded(
      function,
      [](int code, const std::string &text) { return Environment::instance().fail(code, text); },
      body);
}

// Refusal of a NULL pointer argument that the function needs.
template <class Owner>
int nullArgument(Owner &owner, const char *function, const char *argument) {
  return owner.fail(QRVA_ERR_ARGUMENT,
                    formatText("%s: argument '%s' is NULL", function, argument));
}

// 0 when name may be the problem's name (present, not longer than the
// control maxprobnamelength); else the error, recorded on p.
int checkProblemName(qrva_problem_s &p, const char *function, const char *argument,
                     const char *name);

inline int failGlobal(int code, const std::string &text) {
  return Environment::instance().fail(code, text);
}

inline std::string notAvailableText(const char *function) {
  return formatText("%s: not available yet in this version of the library", function);
}

}  // namespace qrva
