// The optimizer problem behind a QRVAprob handle: its name, control values,
// solve state, callbacks, last error, and the slot for its problem store.
#pragma once

#include <atomic>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "analysis/iis_data.h"
#include "core/callback_registry.h"
#include "params/catalog.h"
#include "core/environment.h"
#include "model/staleness.h"
#include "model/store.h"
#include "qrva.h"

struct qslp_problem_s;

namespace qrva {

namespace tree {
class Worker;
class CutPool;
}
struct TunerMethod;

// What a worker problem of a tree search answers about the node it works
// on (all zero on a problem that is not a worker problem).
struct NodeAttributes {
  int64_t node = 0, parent = 0, activeNodes = 0;
  int depth = 0, thread = 0;
};

// What the last solve left behind (all zero before any solve).
struct SolveState {
  int lpStatus = 0, mipStatus = 0, stopStatus = 0, presolveState = 0;
  int barrierIterations = 0, mipSolutions = 0;
  int64_t simplexIterations = 0, nodes = 0;
  double lpObjective = 0.0, mipObjective = 0.0, bestBound = 0.0, mipGap = 0.0;
  double solveTime = 0.0;
};

// The last solution and rays (sizes of the problem when they were made;
// emptied by every change of the problem).
struct Solution {
  bool hasLp = false, hasMip = false;
  std::vector<double> x, slack, dual, dj;
  std::vector<double> primalRay, dualRay;
  int unboundedSeq = -1;
};

// Basis status of rows and columns: 0 at lower, 1 basic, 2 at upper, 3
// superbasic. Kept across the changes that leave it meaningful (new rows
// basic, new columns at lower) so that a re-solve starts warm.
struct Basis {
  std::vector<int> rows, cols;
  bool known = false;
};

// A starting solution for the next MIP solve, as the user gave it (checked
// when the solve starts: mip/user_solutions.h).
struct MipStart {
  std::vector<int> cols;
  std::vector<double> values;
  std::string name;
};

struct HighsDeleter {
  void operator()(void *highs) const;
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
  std::unique_ptr<qrva::ProblemStore> store;  // never null
  qrva::Solution solution;
  qrva::Basis basis;
  std::vector<qrva::MipStart> mipStarts;
  qrva::IisResults iis;  // dropped with kStaleIis
  std::unique_ptr<void, qrva::HighsDeleter> highs;  // kept between solves
  std::atomic<int> interruptReason{0};               // set by QRVAinterrupt
  std::vector<int> suppressedMessages;               // QRVAsetmessagestatus
  qrva::LastError lastError;
  std::unique_ptr<std::FILE, qrva::FileCloser> logFile;
  qslp_problem_s *slpLayer = nullptr;  // the SLP problem on this one, if any
  // Set on the worker problems of a running tree search: the worker whose
  // node this problem shows, and that node's attributes.
  qrva::tree::Worker *treeWorker = nullptr;
  // The cut pool and the bounds stored for branching (made when first used;
  // an edit of the feasible set drops them).
  std::shared_ptr<qrva::tree::CutPool> cutPool;
  qrva::NodeAttributes nodeAttributes;
  // The tuner's trials read by QRVAtunerreadmethod (null: the built-in list).
  std::shared_ptr<qrva::TunerMethod> tunerMethod;

  // Records the error and returns code.
  int fail(int code, const std::string &text);

  // Control values by identifier (the identifier must be in the catalog).
  int64_t intControl(int id) const;
  double dblControl(int id) const;

  qrva::ProblemCounts counts() const;

  // Every change of the problem's data calls this with what it touched: the
  // results it makes stale go (staleness.h), a basis that stays grows with
  // the store.
  void edited(qrva::Edit what);
  // Drops the results of the given grades (a solve drops the last solution
  // before it starts).
  void invalidate(unsigned stale);
  // Deletes rows / columns by keep flags from the store and the SLP layer
  // on it (the caller has checked that the layer allows it).
  void keepRows(const std::vector<char> &keep);
  void keepCols(const std::vector<char> &keep);
  // Replaces the whole store (a load or a read): every result goes.
  void replaceStore(std::unique_ptr<qrva::ProblemStore> fresh);
  // Becomes a copy of src's data (store, basis, MIP starts) named name;
  // controls, callbacks and solutions stay this problem's own.
  void copyDataFrom(const qrva_problem_s &src, const std::string &newName);

  // Sends one message through the problem's message callbacks, the global
  // handlers, standard output and the log file. The outputlog control
  // governs standard output only (with QRVAenablemessages): callbacks,
  // handlers and the log file receive every message.
  void message(int msgtype, const std::string &text);
  // Whether a message sent now would reach anyone: the engine asks HiGHS for
  // its log only then.
  bool messagesHeard() const;

  QRVAobject asObject() { return this; }
};

namespace qrva {

const Catalog<qrva_problem_s> &optimizerCatalog();

}  // namespace qrva
