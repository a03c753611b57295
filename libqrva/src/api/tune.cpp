// The tuner's entry points: tuning a problem's controls and the method file
// of trials it runs (tune/).
#include "api/support.h"
#include "highs/sigint.h"
#include "tune/method.h"
#include "tune/tuner.h"

using qrva::Check;
using P = qrva_problem_s;

extern "C" {

int QRVAtune(QRVAprob prob, const char *flags) {
  return qrva::withProblem(prob, "QRVAtune", [&](P &p) {
    qrva::SigintGuard guard(&p);
    qrva::tune(p, Check("QRVAtune"), flags);
    return QRVA_OK;
  });
}

int QRVAtunerwritemethod(QRVAprob prob, const char *methodfile) {
  return qrva::withProblem(prob, "QRVAtunerwritemethod", [&](P &p) {
    Check chk("QRVAtunerwritemethod");
    chk.array(methodfile, "methodfile");
    qrva::writeTunerMethod(qrva::tunerMethodOf(p, p.store->hasDiscreteParts()), methodfile, chk);
    return QRVA_OK;
  });
}

int QRVAtunerreadmethod(QRVAprob prob, const char *methodfile) {
  return qrva::withProblem(prob, "QRVAtunerreadmethod", [&](P &p) {
    Check chk("QRVAtunerreadmethod");
    chk.array(methodfile, "methodfile");
    p.tunerMethod = std::make_shared<qrva::TunerMethod>(qrva::readTunerMethod(methodfile, chk));
    return QRVA_OK;
  });
}

}  // extern "C"
