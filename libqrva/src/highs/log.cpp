#include "highs/log.h"

#include "interfaces/highs_c_api.h"

namespace qrva {

void flushLog(RunContext &ctx, bool all) {
  size_t pos;
  while ((pos = ctx.pending.find('\n')) != std::string::npos) {
    ctx.p->message(QRVA_MSG_INFO, ctx.pending.substr(0, pos));
    ctx.pending.erase(0, pos + 1);
  }
  if (all && !ctx.pending.empty()) {
    ctx.p->message(QRVA_MSG_INFO, ctx.pending);
    ctx.pending.clear();
  }
}

extern "C" void highsCallback(int type, const char *message, const HighsCallbackDataOut *,
                              HighsCallbackDataIn *in, void *data) {
  auto &ctx = *static_cast<RunContext *>(data);
  if (type == kHighsCallbackLogging) {
    if (message) ctx.pending += message;
    flushLog(ctx, false);
  } else if (type == kHighsCallbackMipImprovingSolution) {
    ++ctx.solutions;
  } else if (in != nullptr && ctx.p->interruptReason.load() != 0) {
    in->user_interrupt = 1;
  }
}

void attachHighsCallbacks(void *h, RunContext &ctx) {
  Highs_setCallback(h, highsCallback, &ctx);
  Highs_startCallback(h, kHighsCallbackLogging);
  Highs_startCallback(h, kHighsCallbackSimplexInterrupt);
  Highs_startCallback(h, kHighsCallbackIpmInterrupt);
  Highs_startCallback(h, kHighsCallbackMipInterrupt);
  Highs_startCallback(h, kHighsCallbackMipImprovingSolution);
}

}  // namespace qrva
