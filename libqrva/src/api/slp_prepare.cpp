// Preparing the next nonlinear solves: presolve, scaling of the
// linearizations, fixed penalties, the linearization at the current point
// written into the optimizer problem, and the prefix of the names of the
// engine's own rows and columns.
#include <string>

#include "slp/evaluation.h"
#include "slp/linearization.h"
#include "slp/presolve.h"
#include "slp/scaling.h"
#include "slp/userfunc.h"

using qrva::Check;
using qrva::formatText;
using S = qslp_problem_s;

namespace {

// Whether a row or column name of ps starts with prefix.
bool nameStartsWith(const qrva::ProblemStore &ps, const std::string &prefix) {
  for (const qrva::NameTable *names : {&ps.rowNames, &ps.colNames})
    for (size_t i = 0; i < names->size(); ++i)
      if (names->get(i).compare(0, prefix.size(), prefix) == 0) return true;
  return false;
}

}  // namespace

extern "C" {

int QSLPpresolve(QSLPprob slp) {
  return qrva::withSlp(slp, "QSLPpresolve", [&](S &s) {
    Check chk("QSLPpresolve");
    s.restoreLinearPart();
    qrva::nlp::describe(*s.qprob->store, s.store.get(), chk, true);  // the formulas fit
    qrva::PresolvedProblem pre =
        qrva::presolveProblem(*s.qprob->store, *s.store, qrva::settingsOf(s).feasTol);
    s.qprob->message(QRVA_MSG_INFO, qrva::presolveSummary(pre));
    s.state.statusBits |= QSLP_STATUS_PRESOLVED;
    return QRVA_OK;
  });
}

int QSLPscaling(QSLPprob slp) {
  return qrva::withSlp(slp, "QSLPscaling", [&](S &s) {
    Check chk("QSLPscaling");
    s.restoreLinearPart();
    qrva::nlp::Nlp nlp = qrva::nlp::describe(*s.qprob->store, s.store.get(), chk, true);
    nlp.call = qrva::userFunctionCaller(s);
    nlp.counts = &s.evaluations;
    qrva::nlp::Point pt;
    pt.x = s.currentPoint();
    qrva::nlp::evaluate(nlp, pt, true);
    if (!pt.ok) chk.fail(pt.error + " at the current point", QRVA_ERR_STATE);
    std::vector<double> unitSteps(nlp.nonlinearCols.size(), 1.0);
    qrva::nlp::Scaling f = qrva::nlp::scalingOf(qrva::nlp::linearization(
        nlp, pt, unitSteps, qrva::settingsOf(s).penaltyCost, nullptr));
    s.control(QSLP_SLPSCALE).i = 1;
    s.qprob->message(QRVA_MSG_INFO, "SLP scaling of the linearization at the current point: " +
                                        qrva::nlp::scalingSummary(f) +
                                        "; the linearizations of the next solves are scaled");
    return QRVA_OK;
  });
}

int QSLPfixpenalties(QSLPprob slp) {
  return qrva::withSlp(slp, "QSLPfixpenalties", [&](S &s) {
    const qrva::SlpSolution &sol = s.store->solution;
    bool fromSolve = sol.known() && sol.penalty > 0.0;
    s.fixedPenalty = fromSolve ? sol.penalty : qrva::settingsOf(s).penaltyCost;
    s.penaltyFixed = true;
    s.qprob->message(QRVA_MSG_INFO,
                     formatText("SLP: the error vectors' penalty is fixed at %g (%s) for the next "
                                "solve",
                                s.fixedPenalty,
                                fromSolve ? "that of the last linearization" : "slppenaltycost"));
    return QRVA_OK;
  });
}

int QSLPupdatelinearization(QSLPprob slp) {
  return qrva::withSlp(slp, "QSLPupdatelinearization", [&](S &s) {
    Check chk("QSLPupdatelinearization");
    int rows = qrva::writeLinearization(s, chk);
    s.qprob->message(QRVA_MSG_INFO,
                     formatText("SLP: the linearization of %d rows at the current point is "
                                "written into the problem",
                                rows));
    return QRVA_OK;
  });
}

int QSLPsetuniqueprefix(QSLPprob slp) {
  return qrva::withSlp(slp, "QSLPsetuniqueprefix", [&](S &s) {
    qrva::ParamValue &value = s.control(QSLP_SLPUNIQUEPREFIX);
    std::string base = value.s.empty() ? std::string("slp_") : value.s.substr(0, 24);
    std::string prefix = base;
    for (int k = 1; nameStartsWith(*s.qprob->store, prefix); ++k)
      prefix = base + std::to_string(k) + "_";
    value.s = prefix;
    s.qprob->message(QRVA_MSG_INFO,
                     formatText("SLP: the names of the engine's own rows and columns start with "
                                "'%s'",
                                prefix.c_str()));
    return QRVA_OK;
  });
}

}  // extern "C"
