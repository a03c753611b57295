// Cascading: the determined columns (those with a determining row) computed
// from their rows in dependency order, their order, and the Newton passes
// each may take.
#include <string>

#include "slp/cascade.h"
#include "slp/events.h"
#include "slp/solver.h"
#include "slp/userfunc.h"

using qrva::Check;
using qrva::formatText;
using S = qslp_problem_s;

namespace {

std::string orderText(const std::vector<int> &order) {
  std::string text;
  for (int j : order) text += (text.empty() ? "" : ", ") + formatText("column %d", j);
  return text.empty() ? "no determined columns" : text;
}

}  // namespace

extern "C" {

int QSLPcascadeorder(QSLPprob slp) {
  return qrva::withSlp(slp, "QSLPcascadeorder", [&](S &s) {
    Check chk("QSLPcascadeorder");
    s.store->cascadeOrder = qrva::nlp::cascadeOrder(s, chk);
    s.qprob->message(QRVA_MSG_INFO, "SLP cascade order: " + orderText(s.store->cascadeOrder));
    return QRVA_OK;
  });
}

int QSLPcascade(QSLPprob slp) {
  return qrva::withSlp(slp, "QSLPcascade", [&](S &s) {
    Check chk("QSLPcascade");
    s.restoreLinearPart();
    std::vector<int> order = qrva::nlp::cascadeOrder(s, chk);
    qrva::nlp::Nlp nlp = qrva::nlp::describe(*s.qprob->store, s.store.get(), chk, true);
    nlp.call = qrva::userFunctionCaller(s);
    nlp.counts = &s.evaluations;
    qrva::nlp::SlpEvents events(&s);
    nlp.events = &events;
    std::vector<double> x = s.currentPoint();
    int before = s.qprob->interruptReason.load();
    qrva::nlp::CascadeResult r =
        qrva::nlp::cascadePoint(s, nlp, order, x, events, qrva::settingsOf(s).feasTol);
    // A callback's stop ends this cascade only; it must not stop the next solve.
    if (before == 0) s.qprob->interruptReason.store(0);
    for (int j : order) {
      qrva::SlpVariable &v = s.store->variables[j];
      v.oldValue = v.value;
      v.value = x[j];
      v.initValue = x[j], v.hasInitValue = true;  // the next solve starts from it
    }
    s.qprob->message(QRVA_MSG_INFO,
                     formatText("SLP cascade: %d columns computed, %d could not be%s", r.computed,
                                r.failed, r.stop ? "; stopped by a callback" : ""));
    return QRVA_OK;
  });
}

int QSLPchgcascadenlimit(QSLPprob slp, int col, int limit) {
  return qrva::withSlp(slp, "QSLPchgcascadenlimit", [&](S &s) {
    Check chk("QSLPchgcascadenlimit");
    chk.col(col, s.qprob->store->ncols(), "col");
    if (limit < 0 || limit > 1000)
      chk.fail(formatText("limit %d is outside 0 to 1000 (0: the control slpcascadenlimit)", limit));
    s.store->variables[col].cascadeLimit = limit;
    return QRVA_OK;
  });
}

}  // extern "C"
