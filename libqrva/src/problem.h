// The optimizer problem behind a QRVAprob handle: its name, control values,
// solve state, callbacks, last error, and the slot for its problem store.
#pragma once

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "callback_registry.h"
#include "catalog.h"
#include "environment.h"
#include "problem_store.h"
#include "qrva.h"

struct qslp_problem_s;

namespace qrva {

// What the last solve left behind (all zero before any solve).
struct SolveState {
  int lpStatus = 0, mipStatus = 0, stopStatus = 0, presolveState = 0;
  int barrierIterations = 0, mipSolutions = 0;
  int64_t simplexIterations = 0, nodes = 0;
  double lpObjective = 0.0, mipObjective = 0.0, bestBound = 0.0, mipGap = 0.0;
  double solveTime = 0.0;
};

struct LastError {
  int code = 0;
  std::string text;
};

struct FileCloser {
  void operator()(std::FILE *f) const {
    if (f) std::fclose(f);
  }
};

}  // namespace qrva

struct qrva_problem_s : qrva_object_s {
  qrva_problem_s();

  std::string name;
  std::vector<qrva::ParamValue> controls;
  qrva::SolveState solve;
  qrva::CallbackRegistry callbacks;
  std::unique_ptr<qrva::ProblemStore> store;
  qrva::LastError lastError;
  std::unique_ptr<std::FILE, qrva::FileCloser> logFile;
  qslp_problem_s *slpLayer = nullptr;  // the SLP problem on this one, if any

  // Records the error and returns code.
  int fail(int code, const std::string &text);

  // Control values by identifier (the identifier must be in the catalog).
  int64_t intControl(int id) const;
  double dblControl(int id) const;

  qrva::ProblemCounts counts() const;

  // Sends one message through the problem's message callbacks, the global
  // handlers, standard output (when enabled) and the log file. Nothing is
  // sent while the outputlog control is 0.
  void message(int msgtype, const std::string &text);

  QRVAobject asObject() { return this; }
};

namespace qrva {

const Catalog<qrva_problem_s> &optimizerCatalog();

// Identifiers of the optimizer catalog used by the library itself.
enum OptimizerParam {
  kOutputLog = 8035,
  kMaxProbNameLength = 8010,
};

}  // namespace qrva
