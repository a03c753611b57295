#include "core/environment.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdio>

#include "core/text.h"

namespace qrva {

Environment &Environment::instance() {
  static Environment env;
  return env;
}

int Environment::start(const char *function, const char *path) {
  if (path != nullptr && path[0] != '\0') {
    struct stat info;
    if (stat(path, &info) != 0 || !S_ISDIR(info.st_mode))
      return fail(QRVA_ERR_ARGUMENT,
                  formatText("%s: path %s is not an existing directory", function,
                             quoted(path).c_str()));
  }
  std::lock_guard<std::mutex> lock(mutex_);
  if (count_ == 0 && path != nullptr) dataDirectory_ = path;
  ++count_;
  return QRVA_OK;
}

int Environment::stop(const char *function) {
  std::unique_lock<std::mutex> lock(mutex_);
  if (count_ == 0) {
    lock.unlock();
    return fail(QRVA_ERR_NOT_INITIALISED,
                formatText("%s: the environment is not initialised (more frees than inits)",
                           function));
  }
  if (--count_ == 0) {
    // The environment ends: its handlers and the SLP environment go with it.
    handlers_.clear();
    slpCount_ = 0;
    dataDirectory_.clear();
  }
  return QRVA_OK;
}

bool Environment::started() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return count_ > 0;
}

int Environment::startSlp(const char *function) {
  std::unique_lock<std::mutex> lock(mutex_);
  if (count_ == 0) {
    lock.unlock();
    return fail(QRVA_ERR_NOT_INITIALISED,
                formatText("%s: the optimizer environment is not initialised; call QRVAinit "
                           "first",
                           function));
  }
  ++slpCount_;
  return QRVA_OK;
}

int Environment::stopSlp(const char *function) {
  std::unique_lock<std::mutex> lock(mutex_);
  if (slpCount_ == 0) {
    lock.unlock();
    return fail(QRVA_ERR_NOT_INITIALISED,
                formatText("%s: the SLP environment is not initialised (more frees than inits)",
                           function));
  }
  --slpCount_;
  return QRVA_OK;
}

bool Environment::slpStarted() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return slpCount_ > 0;
}

int Environment::fail(int code, const std::string &text) {
  std::lock_guard<std::mutex> lock(mutex_);
  errorCode_ = code;
  errorText_ = text;
  return code;
}

void Environment::lastError(int *code, std::string *text) const {
  std::lock_guard<std::mutex> lock(mutex_);
  *code = errorCode_;
  *text = errorText_;
}

void Environment::addHandler(QRVAcbmsghandler f, void *data, int priority) {
  handlers_.add(f, data, priority);
}

void Environment::removeHandlers(QRVAcbmsghandler f, void *data) { handlers_.remove(f, data); }

bool Environment::hasHandlers() const { return !handlers_.empty(); }

void Environment::deliver(QRVAobject sender, const std::string &text, int msgtype, bool print) {
  handlers_.forEach([&](QRVAcbmsghandler f, void *data) {
    f(sender, data, nullptr, text.c_str(), static_cast<int>(text.size()), msgtype);
  });
  if (print && messagesEnabled_ && msgtype != QRVA_MSG_FLUSH) {
    QRVAcbmsghandler printer;
    void *printerData;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      printer = printer_;
      printerData = printerData_;
    }
    if (printer) {
      printer(sender, printerData, nullptr, text.c_str(), static_cast<int>(text.size()), msgtype);
      return;
    }
    std::FILE *out = msgtype == QRVA_MSG_INFO ? stdout : stderr;
    std::fprintf(out, "%s\n", text.c_str());
    std::fflush(out);
  }
}

void Environment::setPrinter(QRVAcbmsghandler f, void *data) {
  std::lock_guard<std::mutex> lock(mutex_);
  printer_ = f;
  printerData_ = f ? data : nullptr;
}

void Environment::registerHandle(const void *handle) {
  std::lock_guard<std::mutex> lock(mutex_);
  live_.insert(handle);
}

void Environment::unregisterHandle(const void *handle) {
  std::lock_guard<std::mutex> lock(mutex_);
  live_.erase(handle);
}

bool Environment::isLive(const void *handle) const {
  std::lock_guard<std::mutex> lock(mutex_);
  return live_.count(handle) != 0;
}

}  // namespace qrva
