// The process-wide environment: start/stop counting of the optimizer and SLP
// environments, the global last error, the global message handlers and the
// routing of messages to them, checked mode, and the registry of live
// handles that checked mode validates against.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <unordered_set>
#include <vector>

#include "core/callback_registry.h"
#include "qrva.h"

// Every library object a message can come from starts with this header, so
// that a problem (or the environment) can be handed out as a QRVAobject.
struct qrva_object_s {
  enum class Kind { Environment, Problem };
  explicit qrva_object_s(Kind k) : kind(k) {}
  Kind kind;
};

namespace qrva {

class Environment {
 public:
  static Environment &instance();

  // Optimizer environment counting. start() validates path (NULL or an
  // existing directory). Both return 0 or an error code with the text set
  // as the global last error.
  int start(const char *function, const char *path);
  int stop(const char *function);
  bool started() const;

  // SLP environment counting (needs the optimizer environment).
  int startSlp(const char *function);
  int stopSlp(const char *function);
  bool slpStarted() const;

  // Global last error. fail() records and returns code.
  int fail(int code, const std::string &text);
  void lastError(int *code, std::string *text) const;

  // Global message handlers.
  void addHandler(QRVAcbmsghandler f, void *data, int priority);
  void removeHandlers(QRVAcbmsghandler f, void *data);
  // Delivers one message to every global handler (priority order; a handler
  // removed during the delivery is not called by it any more), then to
  // the printer or standard output when messages are enabled and print is
  // set (the sender's output control). Never called with the lock held, so handlers
  // may call back into the library.
  void deliver(QRVAobject sender, const std::string &text, int msgtype, bool print = true);
  bool hasHandlers() const;

  // Where printed messages go instead of the standard streams (f NULL: the
  // streams).
  void setPrinter(QRVAcbmsghandler f, void *data);
  void setMessagesEnabled(bool on) { messagesEnabled_ = on; }
  bool messagesEnabled() const { return messagesEnabled_; }
  void setCheckedMode(bool on) { checkedMode_ = on; }
  bool checkedMode() const { return checkedMode_; }

  // Live handles (problems, SLP problems, branching objects), so that
  // checked mode can refuse a destroyed or made-up handle instead of
  // touching it.
  void registerHandle(const void *handle);
  void unregisterHandle(const void *handle);
  bool isLive(const void *handle) const;

  QRVAobject asObject() { return &self_; }

 private:
  Environment() = default;

  mutable std::mutex mutex_;
  int count_ = 0;
  int slpCount_ = 0;
  std::string dataDirectory_;
  int errorCode_ = 0;
  std::string errorText_;
  CallbackList<QRVAcbmsghandler> handlers_;
  QRVAcbmsghandler printer_ = nullptr;  // under mutex_
  void *printerData_ = nullptr;
  std::unordered_set<const void *> live_;
  std::atomic<bool> messagesEnabled_{false};
  std::atomic<bool> checkedMode_{true};
  qrva_object_s self_{qrva_object_s::Kind::Environment};
};

}  // namespace qrva
