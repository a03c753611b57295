// Branching objects: creation, destruction and last error.
#include <memory>

#include "api/support.h"
#include "mip/branchobj.h"

using qrva::formatText;
using B = qrva_branchobj_s;

extern "C" {

int QRVA_bo_create(QRVAbranchobject *bo, QRVAprob prob, int isoriginal) {
  return qrva::withProblem(prob, "QRVA_bo_create", [&](qrva_problem_s &p) {
    if (bo == nullptr) return qrva::nullArgument(p, "QRVA_bo_create", "bo");
    *bo = nullptr;
    if (isoriginal != 0 && isoriginal != 1)
      return p.fail(QRVA_ERR_ARGUMENT,
                    formatText("QRVA_bo_create: isoriginal is %d, not 0 or 1", isoriginal));
    auto created = std::make_unique<B>(&p, isoriginal == 1);
    qrva::Environment::instance().registerHandle(created.get());
    *bo = created.release();
    return QRVA_OK;
  });
}

int QRVA_bo_destroy(QRVAbranchobject bo) {
  return qrva::withEnvironment("QRVA_bo_destroy", [&]() -> int {
    if (int rc = qrva::checkHandle(bo, "QRVA_bo_destroy", "branching object")) return rc;
    qrva::Environment::instance().unregisterHandle(bo);
    delete bo;
    return QRVA_OK;
  });
}

int QRVA_bo_getlasterror(QRVAbranchobject bo, int *code, char *buffer, int maxbytes,
                         int *nbytes) {
  return qrva::withBranchObject(bo, "QRVA_bo_getlasterror", [&](B &b) {
    if (buffer != nullptr && maxbytes <= 0)
      return qrva::failGlobal(QRVA_ERR_ARGUMENT,
                              formatText("QRVA_bo_getlasterror: maxbytes is %d; a buffer needs "
                                         "at least 1 byte",
                                         maxbytes));
    if (code != nullptr) *code = b.lastError.code;
    int needed = qrva::copyTruncated(b.lastError.text, buffer, maxbytes);
    if (nbytes != nullptr) *nbytes = needed;
    return QRVA_OK;
  });
}

}  // extern "C"
