#include "model/problem.h"

#include "slp/problem.h"
#include "core/text.h"

qrva_problem_s::qrva_problem_s()
    : qrva_object_s(Kind::Problem), name(""), controls(qrva::optimizerCatalog().defaultControls()),
      store(std::make_unique<qrva::ProblemStore>()) {}

void qrva_problem_s::invalidate(unsigned stale) {
  if (stale & qrva::kStaleSolution) solve = qrva::SolveState{}, solution = qrva::Solution{};
  if (stale & qrva::kStaleBasis) basis = qrva::Basis{};
  if (stale & qrva::kStaleMipStarts) mipStarts.clear();
  if (stale & qrva::kStaleIis) iis = qrva::IisResults{};
  if (stale & qrva::kStaleCuts) cutPool.reset();
  // Ranges are dropped here once the problem keeps them.
}

void qrva_problem_s::edited(qrva::Edit what) {
  invalidate(qrva::staleAfter(what));
  if (basis.known) {
    basis.rows.resize(static_cast<size_t>(store->nrows()), 1);
    basis.cols.resize(static_cast<size_t>(store->ncols()), 0);
  }
}

void qrva_problem_s::keepRows(const std::vector<char> &keep) {
  // A linearization written into the matrix names the old indices.
  if (slpLayer != nullptr) slpLayer->restoreLinearPart();
  store->keepRows(keep);
  if (slpLayer != nullptr) slpLayer->store->keepRows(keep);
  edited(qrva::Edit::RowsDeleted);
}

void qrva_problem_s::keepCols(const std::vector<char> &keep) {
  if (slpLayer != nullptr) slpLayer->restoreLinearPart();
  store->keepCols(keep);
  if (slpLayer != nullptr) slpLayer->store->keepCols(keep);
  edited(qrva::Edit::ColsDeleted);
}

void qrva_problem_s::replaceStore(std::unique_ptr<qrva::ProblemStore> fresh) {
  store = std::move(fresh);
  edited(qrva::Edit::Replaced);
  if (slpLayer != nullptr) slpLayer->optimizerStoreReplaced();
}

void qrva_problem_s::copyDataFrom(const qrva_problem_s &src, const std::string &newName) {
  if (&src == this) {
    name = newName;
    return;
  }
  auto copy = std::make_unique<qrva::ProblemStore>(*src.store);
  qrva::Basis basisCopy = src.basis;
  std::vector<qrva::MipStart> startsCopy = src.mipStarts;
  name = newName;
  replaceStore(std::move(copy));
  basis = std::move(basisCopy);
  mipStarts = std::move(startsCopy);
}

int qrva_problem_s::fail(int code, const std::string &text) {
  lastError.code = code;
  lastError.text = text;
  return code;
}

int64_t qrva_problem_s::intControl(int id) const {
  const auto &catalog = qrva::optimizerCatalog();
  return controls[catalog.indexOf(catalog.find(id))].i;
}

double qrva_problem_s::dblControl(int id) const {
  const auto &catalog = qrva::optimizerCatalog();
  return controls[catalog.indexOf(catalog.find(id))].d;
}

qrva::ProblemCounts qrva_problem_s::counts() const {
  return store->counts();
}

bool qrva_problem_s::messagesHeard() const {
  const qrva::Environment &env = qrva::Environment::instance();
  return !callbacks[qrva::CallbackKind::Message].empty() || env.hasHandlers() ||
         logFile != nullptr || (env.messagesEnabled() && intControl(QRVA_OUTPUTLOG) != 0);
}

void qrva_problem_s::message(int msgtype, const std::string &text) {
  callbacks.deliver<QRVAcbmessage>(qrva::CallbackKind::Message, this, text.c_str(),
                                   static_cast<int>(text.size()), msgtype);
  qrva::Environment::instance().deliver(asObject(), text, msgtype,
                                        intControl(QRVA_OUTPUTLOG) != 0);
  if (logFile && msgtype != QRVA_MSG_FLUSH) {
    std::fprintf(logFile.get(), "%s\n", text.c_str());
    std::fflush(logFile.get());
  }
}
