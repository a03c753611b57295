// Irreducible infeasible subsystems: the search (analysis/iis.*), the
// list's queries and its files.
#include <algorithm>
#include <sstream>

#include "analysis/iis.h"
#include "api/support.h"
#include "highs/sigint.h"
#include "io/problem_files.h"

using qrva::Check;
using qrva::formatText;
using P = qrva_problem_s;

namespace {

// Subsystem num (from 1) of p's list.
qrva::Iis &numbered(P &p, const Check &chk, int num) {
  int k = static_cast<int>(p.iis.found.size());
  if (num < 1 || num > k)
    chk.fail(formatText("subsystem %d does not exist; %d found (numbered from 1)", num, k), QRVA_ERR_STATE);
  return p.iis.found[static_cast<size_t>(num - 1)];
}

template <class T, class U>
void copyOut(T *out, const std::vector<U> &v) {
  if (out) std::copy(v.begin(), v.end(), out);
}

}  // namespace

extern "C" {

int QRVAiisfirst(QRVAprob prob, int mode, int *status) {
  return qrva::withProblem(prob, "QRVAiisfirst", [&](P &p) {
    Check chk("QRVAiisfirst");
    chk.array(status, "status");
    qrva::SigintGuard guard(&p);
    *status = qrva::iisFirst(p, chk, mode);
    return QRVA_OK;
  });
}

int QRVAiisnext(QRVAprob prob, int *status) {
  return qrva::withProblem(prob, "QRVAiisnext", [&](P &p) {
    Check chk("QRVAiisnext");
    chk.array(status, "status");
    qrva::SigintGuard guard(&p);
    *status = qrva::iisNext(p, chk);
    return QRVA_OK;
  });
}

int QRVAiisall(QRVAprob prob) {
  return qrva::withProblem(prob, "QRVAiisall", [&](P &p) {
    Check chk("QRVAiisall");
    qrva::SigintGuard guard(&p);
    int status = p.iis.found.empty() && !p.iis.exhausted ? qrva::iisFirst(p, chk, p.iis.mode) : QRVA_IIS_FOUND;
    while (status == QRVA_IIS_FOUND) status = qrva::iisNext(p, chk);
    if (status == QRVA_IIS_STOPPED)
      p.message(QRVA_MSG_WARNING, formatText("QRVAiisall: stopped after %d subsystems; there may be more",
                                             static_cast<int>(p.iis.found.size())));
    return QRVA_OK;
  });
}

int QRVAiisclear(QRVAprob prob) {
  return qrva::withProblem(prob, "QRVAiisclear", [&](P &p) {
    p.iis = qrva::IisResults{};
    return QRVA_OK;
  });
}

int QRVAiisisolations(QRVAprob prob, int num) {
  return qrva::withProblem(prob, "QRVAiisisolations", [&](P &p) {
    numbered(p, Check("QRVAiisisolations"), num);
    qrva::iisIsolations(p, num - 1);
    return QRVA_OK;
  });
}

int QRVAiiswrite(QRVAprob prob, int num, const char *filename, int type, const char *typeflags) {
  return qrva::withProblem(prob, "QRVAiiswrite", [&](P &p) {
    Check chk("QRVAiiswrite");
    chk.array(filename, "filename");
    const qrva::Iis &iis = numbered(p, chk, num);
    if (type == QRVA_IIS_FILE_CSV) {
      qrva::writeWholeFile(chk, filename, qrva::iisCsv(*p.store, iis));
      return QRVA_OK;
    }
    if (type != QRVA_IIS_FILE_PROBLEM)
      chk.fail(formatText("type %d is not one of %d (problem file) %d (CSV list)", type, QRVA_IIS_FILE_PROBLEM,
                          QRVA_IIS_FILE_CSV));
    qrva::ProblemStore sub = qrva::iisStore(*p.store, iis, p.iis.mip);
    qrva::ProblemFile file = qrva::problemFile(filename, typeflags);
    std::ostringstream text;
    if (file.lp) qrva::writeLp(sub, p.name, chk, text);
    else qrva::writeMps(sub, p.name, chk, text);
    qrva::writeWholeFile(chk, file.path, text.str());
    return QRVA_OK;
  });
}

int QRVAiisstatus(QRVAprob prob, int *niis, int rowsizes[], int colsizes[], double suminfeas[],
                  int numinfeas[]) {
  return qrva::withProblem(prob, "QRVAiisstatus", [&](P &p) {
    Check("QRVAiisstatus").array(niis, "niis");
    const auto &found = p.iis.found;
    *niis = static_cast<int>(found.size());
    if (rowsizes) rowsizes[0] = 0;
    if (colsizes) colsizes[0] = 0;
    if (suminfeas) suminfeas[0] = 0.0;
    if (numinfeas) numinfeas[0] = 0;
    for (size_t k = 0; k < found.size(); ++k) {
      if (rowsizes) rowsizes[k + 1] = static_cast<int>(found[k].rows.size());
      if (colsizes) colsizes[k + 1] = static_cast<int>(found[k].cols.size());
      if (suminfeas) suminfeas[k + 1] = found[k].sumInfeas;
      if (numinfeas) numinfeas[k + 1] = found[k].numInfeas;
    }
    return QRVA_OK;
  });
}

int QRVAgetiisdata(QRVAprob prob, int num, int *nrows, int *ncols, int miisrow[], int miiscol[],
                   char constrainttype[], char colbndtype[], double duals[], double rdcs[],
                   char isolationrows[], char isolationcols[]) {
  return qrva::withProblem(prob, "QRVAgetiisdata", [&](P &p) {
    Check chk("QRVAgetiisdata");
    const qrva::Iis &iis = numbered(p, chk, num);
    if (nrows) *nrows = static_cast<int>(iis.rows.size());
    if (ncols) *ncols = static_cast<int>(iis.cols.size());
    copyOut(miisrow, iis.rows), copyOut(miiscol, iis.cols);
    if (constrainttype)
      for (size_t k = 0; k < iis.rows.size(); ++k) constrainttype[k] = p.store->rowType[iis.rows[k]];
    copyOut(colbndtype, iis.colBound);
    copyOut(duals, iis.rowDual), copyOut(rdcs, iis.colDual);
    copyOut(isolationrows, iis.rowIsolated), copyOut(isolationcols, iis.colIsolated);
    return QRVA_OK;
  });
}

}  // extern "C"
