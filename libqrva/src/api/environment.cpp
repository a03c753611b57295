// Environment functions: start and stop, version and banner, checked mode,
// global last error and global message handlers.
#include "api/support.h"
#include "highs/subproblem.h"
#include "core/version.h"

using qrva::Environment;
using qrva::failGlobal;
using qrva::formatText;

extern "C" {

int QRVAinit(const char *path) {
  return qrva::withEnvironment("QRVAinit",
                               [&] { return Environment::instance().start("QRVAinit", path); });
}

int QRVAfree(void) {
  return qrva::withEnvironment("QRVAfree",
                               [&] { return Environment::instance().stop("QRVAfree"); });
}

int QRVAenablemessages(int enable) {
  return qrva::withEnvironment("QRVAenablemessages", [&]() -> int {
    if (enable != 0 && enable != 1)
      return failGlobal(QRVA_ERR_ARGUMENT,
                        formatText("QRVAenablemessages: enable is %d, not 0 or 1", enable));
    Environment::instance().setMessagesEnabled(enable == 1);
    return QRVA_OK;
  });
}

int QRVAsetprintfunction(QRVAcbmsghandler f, void *data) {
  return qrva::withEnvironment("QRVAsetprintfunction", [&] {
    Environment::instance().setPrinter(f, data);
    return QRVA_OK;
  });
}

int QRVAgetversion(char *version) {
  return qrva::withEnvironment("QRVAgetversion", [&]() -> int {
    if (version == nullptr)
      return failGlobal(QRVA_ERR_ARGUMENT, "QRVAgetversion: argument 'version' is NULL");
    qrva::copyTruncated(qrva::kVersionText, version, 16);
    return QRVA_OK;
  });
}

int QRVAgetbanner(char *banner) {
  return qrva::withEnvironment("QRVAgetbanner", [&] {
    if (banner == nullptr)
      return failGlobal(QRVA_ERR_ARGUMENT, "QRVAgetbanner: argument 'banner' is NULL");
    const char *highs = qrva::highsVersionText();
    std::string highsVersion = highs ? highs : "(unknown version)";
    if (!highsVersion.empty() && highsVersion[0] != 'v') highsVersion = "v" + highsVersion;
    qrva::copyTruncated(formatText("%s v%s, running on HiGHS %s", qrva::kLibraryName,
                                   qrva::kVersionText, highsVersion.c_str()),
                        banner, 512);
    return QRVA_OK;
  });
}

int QRVAsetcheckedmode(int checked_mode) {
  return qrva::withEnvironment("QRVAsetcheckedmode", [&]() -> int {
    Environment::instance().setCheckedMode(checked_mode != 0);
    return QRVA_OK;
  });
}

int QRVAgetcheckedmode(int *checked_mode) {
  return qrva::withEnvironment("QRVAgetcheckedmode", [&]() -> int {
    if (checked_mode == nullptr)
      return failGlobal(QRVA_ERR_ARGUMENT, "QRVAgetcheckedmode: argument 'checked_mode' is NULL");
    *checked_mode = Environment::instance().checkedMode() ? 1 : 0;
    return QRVA_OK;
  });
}

int QRVA_ge_getlasterror(int *code, char *buffer, int maxbytes, int *nbytes) {
  return qrva::withEnvironment("QRVA_ge_getlasterror", [&] {
    if (buffer != nullptr && maxbytes <= 0)
      return failGlobal(QRVA_ERR_ARGUMENT,
                        formatText("QRVA_ge_getlasterror: maxbytes is %d; a buffer needs at least "
                                   "1 byte",
                                   maxbytes));
    int lastCode = 0;
    std::string text;
    Environment::instance().lastError(&lastCode, &text);
    if (code != nullptr) *code = lastCode;
    int needed = qrva::copyTruncated(text, buffer, maxbytes);
    if (nbytes != nullptr) *nbytes = needed;
    return QRVA_OK;
  });
}

int QRVA_ge_addcbmsghandler(QRVAcbmsghandler f, void *data, int priority) {
  return qrva::withEnvironment("QRVA_ge_addcbmsghandler", [&] {
    if (f == nullptr)
      return failGlobal(QRVA_ERR_ARGUMENT, "QRVA_ge_addcbmsghandler: handler function is NULL");
    if (!Environment::instance().started())
      return failGlobal(QRVA_ERR_NOT_INITIALISED,
                        "QRVA_ge_addcbmsghandler: the environment is not initialised");
    Environment::instance().addHandler(f, data, priority);
    return QRVA_OK;
  });
}

int QRVA_ge_removecbmsghandler(QRVAcbmsghandler f, void *data) {
  return qrva::withEnvironment("QRVA_ge_removecbmsghandler", [&]() -> int {
    Environment::instance().removeHandlers(f, data);
    return QRVA_OK;
  });
}

}  // extern "C"
