// Loading a whole problem: the linear part, a quadratic objective, quadratic
// rows, discrete columns and sets. The new problem is built aside and only
// replaces the old one when all of it was valid.
#include <memory>

#include "api/support.h"
#include "model/store_edit.h"

using qrva::Check;
using qrva::formatText;
using P = qrva_problem_s;

namespace {

struct LoadArgs {
  const char *probname = nullptr;
  int ncols = 0, nrows = 0;
  const char *rowtype = nullptr;
  const double *rhs = nullptr, *range = nullptr, *obj = nullptr;
  const int64_t *mstart = nullptr;
  const int *mnel = nullptr, *mrwind = nullptr;
  const double *dmatval = nullptr, *lb = nullptr, *ub = nullptr;
  int64_t nqelems = 0;
  const int *qcol1 = nullptr, *qcol2 = nullptr;
  const double *qcoef = nullptr;
  int nqcrows = 0;
  const int *qcrows = nullptr;
  const int64_t *qcnquads = nullptr;
  const int *qcmqcol1 = nullptr, *qcmqcol2 = nullptr;
  const double *qcdqval = nullptr;
  int nglents = 0, nsets = 0;
  const char *coltype = nullptr;
  const int *entind = nullptr;
  const double *limit = nullptr;
  const char *settype = nullptr;
  const int64_t *setstart = nullptr;
  const int *setind = nullptr;
  const double *refval = nullptr;
};

int load(P &p, const char *function, const LoadArgs &a) {
  if (int rc = qrva::checkProblemName(p, function, "probname", a.probname)) return rc;
  Check chk(function);
  chk.count(a.ncols, "ncols");
  chk.count(a.nrows, "nrows");
  auto fresh = std::make_unique<qrva::ProblemStore>();
  qrva::ProblemStore &s = *fresh;

  qrva::RowBlock rows;
  rows.n = a.nrows, rows.type = a.rowtype, rows.rhs = a.rhs, rows.range = a.range;
  qrva::appendRows(s, chk, rows);

  if (a.ncols > 0) {
    chk.array(a.obj, "obj");
    chk.array(a.mstart, "mstart");
    chk.array(a.lb, "lb");
    chk.array(a.ub, "ub");
  }
  qrva::ColumnBlock cols;
  cols.n = a.ncols, cols.obj = a.obj, cols.lb = a.lb, cols.ub = a.ub;
  cols.start = a.mstart, cols.mnel = a.mnel, cols.rowind = a.mrwind, cols.value = a.dmatval;
  qrva::appendColumns(s, chk, cols);

  qrva::addQuadratic(s, chk, -1, a.nqelems, a.qcol1, a.qcol2, a.qcoef);

  chk.count(a.nqcrows, "nqcrows");
  if (a.nqcrows > 0) {
    chk.array(a.qcrows, "qcrows");
    chk.array(a.qcnquads, "qcnquads");
  }
  int64_t offset = 0;
  for (int i = 0; i < a.nqcrows; ++i) {
    chk.row(a.qcrows[i], s.nrows(), "qcrows", i);
    chk.count(a.qcnquads[i], "qcnquads entry");
    if (a.qcnquads[i] > 0 && (!a.qcmqcol1 || !a.qcmqcol2 || !a.qcdqval)) {
      chk.array(a.qcmqcol1, "qcmqcol1");
      chk.array(a.qcmqcol2, "qcmqcol2");
      chk.array(a.qcdqval, "qcdqval");
    }
    qrva::addQuadratic(s, chk, a.qcrows[i], a.qcnquads[i], a.qcmqcol1 + offset,
                       a.qcmqcol2 + offset, a.qcdqval + offset);
    offset += a.qcnquads[i];
  }

  chk.count(a.nglents, "nglents");
  qrva::changeColumnTypes(s, chk, a.nglents, a.entind, a.coltype, a.limit);
  chk.count(a.nsets, "nsets");
  if (a.nsets > 0) chk.array(a.setstart, "setstart");
  qrva::appendSets(s, chk, a.nsets, a.nsets > 0 ? a.setstart[a.nsets] : 0, a.settype,
                   a.setstart, a.setind, a.refval);

  p.name = a.probname;
  p.replaceStore(std::move(fresh));
  const auto &store = *p.store;
  // An empty problem carries nothing worth a line (every new problem starts
  // with such a load).
  if (store.nrows() == 0 && store.ncols() == 0) return QRVA_OK;
  p.message(QRVA_MSG_INFO, formatText("Problem '%s' loaded: %d rows, %d columns, %lld elements",
                                      p.name.c_str(), store.nrows(), store.ncols(),
                                      static_cast<long long>(store.elements())));
  return QRVA_OK;
}

void linearPart(LoadArgs &a, const char *probname, int ncols, int nrows, const char *rowtype,
                const double *rhs, const double *range, const double *obj,
                const int64_t *mstart, const int *mnel, const int *mrwind,
                const double *dmatval, const double *lb, const double *ub) {
  a.probname = probname, a.ncols = ncols, a.nrows = nrows, a.rowtype = rowtype, a.rhs = rhs;
  a.range = range, a.obj = obj, a.mstart = mstart, a.mnel = mnel, a.mrwind = mrwind;
  a.dmatval = dmatval, a.lb = lb, a.ub = ub;
}

void quadraticObjectivePart(LoadArgs &a, int64_t nqelems, const int *qcol1, const int *qcol2,
                            const double *qcoef) {
  a.nqelems = nqelems, a.qcol1 = qcol1, a.qcol2 = qcol2, a.qcoef = qcoef;
}

void quadraticRowsPart(LoadArgs &a, int nqcrows, const int *qcrows, const int64_t *qcnquads,
                       const int *qcmqcol1, const int *qcmqcol2, const double *qcdqval) {
  a.nqcrows = nqcrows, a.qcrows = qcrows, a.qcnquads = qcnquads;
  a.qcmqcol1 = qcmqcol1, a.qcmqcol2 = qcmqcol2, a.qcdqval = qcdqval;
}

void globalPart(LoadArgs &a, int nglents, int nsets, const char *coltype, const int *entind,
                const double *limit, const char *settype, const int64_t *setstart,
                const int *setind, const double *refval) {
  a.nglents = nglents, a.nsets = nsets, a.coltype = coltype, a.entind = entind;
  a.limit = limit, a.settype = settype, a.setstart = setstart, a.setind = setind;
  a.refval = refval;
}

}  // namespace

extern "C" {

int QRVAloadlp(QRVAprob prob, const char *probname, int ncols, int nrows, const char rowtype[],
               const double rhs[], const double range[], const double obj[], const int mstart[],
               const int mnel[], const int mrwind[], const double dmatval[], const double lb[],
               const double ub[]) {
  return qrva::withProblem(prob, "QRVAloadlp", [&](P &p) {
    std::vector<int64_t> start;
    if (mstart != nullptr && ncols > 0)
      start.assign(mstart, mstart + ncols + (mnel ? 0 : 1));
    LoadArgs a;
    linearPart(a, probname, ncols, nrows, rowtype, rhs, range, obj,
               mstart ? start.data() : nullptr, mnel, mrwind, dmatval, lb, ub);
    return load(p, "QRVAloadlp", a);
  });
}

int QRVAloadlp64(QRVAprob prob, const char *probname, int ncols, int nrows,
                 const char rowtype[], const double rhs[], const double range[],
                 const double obj[], const int64_t mstart[], const int mnel[],
                 const int mrwind[], const double dmatval[], const double lb[],
                 const double ub[]) {
  return qrva::withProblem(prob, "QRVAloadlp64", [&](P &p) {
    LoadArgs a;
    linearPart(a, probname, ncols, nrows, rowtype, rhs, range, obj, mstart, mnel, mrwind,
               dmatval, lb, ub);
    return load(p, "QRVAloadlp64", a);
  });
}

int QRVAloadqp64(QRVAprob prob, const char *probname, int ncols, int nrows, int64_t nqelems,
                 const char rowtype[], const double rhs[], const double range[],
                 const double obj[], const int64_t mstart[], const int mnel[],
                 const int mrwind[], const double dmatval[], const double lb[],
                 const double ub[], const int qcol1[], const int qcol2[],
                 const double qcoef[]) {
  return qrva::withProblem(prob, "QRVAloadqp64", [&](P &p) {
    LoadArgs a;
    linearPart(a, probname, ncols, nrows, rowtype, rhs, range, obj, mstart, mnel, mrwind,
               dmatval, lb, ub);
    quadraticObjectivePart(a, nqelems, qcol1, qcol2, qcoef);
    return load(p, "QRVAloadqp64", a);
  });
}

int QRVAloadglobal64(QRVAprob prob, const char *probname, int ncols, int nrows, int nglents,
                     int nsets, const char rowtype[], const double rhs[], const double range[],
                     const double obj[], const int64_t mstart[], const int mnel[],
                     const int mrwind[], const double dmatval[], const double lb[],
                     const double ub[], const char coltype[], const int entind[],
                     const double limit[], const char settype[], const int64_t setstart[],
                     const int setind[], const double refval[]) {
  return qrva::withProblem(prob, "QRVAloadglobal64", [&](P &p) {
    LoadArgs a;
    linearPart(a, probname, ncols, nrows, rowtype, rhs, range, obj, mstart, mnel, mrwind,
               dmatval, lb, ub);
    globalPart(a, nglents, nsets, coltype, entind, limit, settype, setstart, setind, refval);
    return load(p, "QRVAloadglobal64", a);
  });
}

int QRVAloadqglobal64(QRVAprob prob, const char *probname, int ncols, int nrows,
                      int64_t nqelems, int nglents, int nsets, const char rowtype[],
                      const double rhs[], const double range[], const double obj[],
                      const int64_t mstart[], const int mnel[], const int mrwind[],
                      const double dmatval[], const double lb[], const double ub[],
                      const int qcol1[], const int qcol2[], const double qcoef[],
                      const char coltype[], const int entind[], const double limit[],
                      const char settype[], const int64_t setstart[], const int setind[],
                      const double refval[]) {
  return qrva::withProblem(prob, "QRVAloadqglobal64", [&](P &p) {
    LoadArgs a;
    linearPart(a, probname, ncols, nrows, rowtype, rhs, range, obj, mstart, mnel, mrwind,
               dmatval, lb, ub);
    quadraticObjectivePart(a, nqelems, qcol1, qcol2, qcoef);
    globalPart(a, nglents, nsets, coltype, entind, limit, settype, setstart, setind, refval);
    return load(p, "QRVAloadqglobal64", a);
  });
}

int QRVAloadqcqp64(QRVAprob prob, const char *probname, int ncols, int nrows, int64_t nqelems,
                   int nqcrows, const char rowtype[], const double rhs[], const double range[],
                   const double obj[], const int64_t mstart[], const int mnel[],
                   const int mrwind[], const double dmatval[], const double lb[],
                   const double ub[], const int qcol1[], const int qcol2[],
                   const double qcoef[], const int qcrows[], const int64_t qcnquads[],
                   const int qcmqcol1[], const int qcmqcol2[], const double qcdqval[]) {
  return qrva::withProblem(prob, "QRVAloadqcqp64", [&](P &p) {
    LoadArgs a;
    linearPart(a, probname, ncols, nrows, rowtype, rhs, range, obj, mstart, mnel, mrwind,
               dmatval, lb, ub);
    quadraticObjectivePart(a, nqelems, qcol1, qcol2, qcoef);
    quadraticRowsPart(a, nqcrows, qcrows, qcnquads, qcmqcol1, qcmqcol2, qcdqval);
    return load(p, "QRVAloadqcqp64", a);
  });
}

int QRVAloadqcqpglobal64(QRVAprob prob, const char *probname, int ncols, int nrows,
                         int64_t nqelems, int nqcrows, int nglents, int nsets,
                         const char rowtype[], const double rhs[], const double range[],
                         const double obj[], const int64_t mstart[], const int mnel[],
                         const int mrwind[], const double dmatval[], const double lb[],
                         const double ub[], const int qcol1[], const int qcol2[],
                         const double qcoef[], const int qcrows[], const int64_t qcnquads[],
                         const int qcmqcol1[], const int qcmqcol2[], const double qcdqval[],
                         const char coltype[], const int entind[], const double limit[],
                         const char settype[], const int64_t setstart[], const int setind[],
                         const double refval[]) {
  return qrva::withProblem(prob, "QRVAloadqcqpglobal64", [&](P &p) {
    LoadArgs a;
    linearPart(a, probname, ncols, nrows, rowtype, rhs, range, obj, mstart, mnel, mrwind,
               dmatval, lb, ub);
    quadraticObjectivePart(a, nqelems, qcol1, qcol2, qcoef);
    quadraticRowsPart(a, nqcrows, qcrows, qcnquads, qcmqcol1, qcmqcol2, qcdqval);
    globalPart(a, nglents, nsets, coltype, entind, limit, settype, setstart, setind, refval);
    return load(p, "QRVAloadqcqpglobal64", a);
  });
}

}  // extern "C"
