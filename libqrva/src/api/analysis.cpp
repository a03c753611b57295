// Calculations on given vectors, solves with the basis matrix, and the
// fixing of a MIP's integer decisions (analysis/).
#include <cmath>

#include "analysis/basis_solver.h"
#include "analysis/calculations.h"
#include "analysis/ranging.h"
#include "api/support.h"

using qrva::Check;
using qrva::formatText;
using P = qrva_problem_s;

namespace {

// Every entry of a vector the caller gives, when it is given, is a number.
void numbers(const Check &chk, const double *v, int n, const char *name) {
  if (v)
    for (int k = 0; k < n; ++k) chk.number(v[k], name, k);
}

}  // namespace

extern "C" {

int QRVApostsolve(QRVAprob prob) {
  return qrva::withProblem(prob, "QRVApostsolve", [&](P &) { return QRVA_OK; });
}

int QRVAfixglobals(QRVAprob prob, int ifround) {
  return qrva::withProblem(prob, "QRVAfixglobals", [&](P &p) {
    Check chk("QRVAfixglobals");
    qrva::ProblemStore &s = *p.store;
    if (!p.solution.hasMip || static_cast<int>(p.solution.x.size()) != s.ncols())
      chk.fail("no MIP solution is available; solve the problem with QRVAmipoptimize first",
               QRVA_ERR_STATE);
    std::vector<double> x = p.solution.x;
    for (int j = 0; j < s.ncols(); ++j) {
      if (!s.isDiscrete(j)) continue;
      char t = s.colType[j];
      bool integral = t == 'I' || t == 'B' || t == 'R' || (t == 'P' && x[j] <= s.limit[j]);
      double v = ifround && integral ? std::round(x[j]) : x[j];
      s.lb[j] = s.ub[j] = v;
      s.colType[j] = 'C';
    }
    p.edited(qrva::Edit::Discrete);
    return QRVA_OK;
  });
}

int QRVAcalcobjective(QRVAprob prob, const double solution[], double *objval) {
  return qrva::withProblem(prob, "QRVAcalcobjective", [&](P &p) {
    Check chk("QRVAcalcobjective");
    chk.array(solution, "solution"), chk.array(objval, "objval");
    numbers(chk, solution, p.store->ncols(), "solution");
    *objval = qrva::objectiveAt(*p.store, solution);
    return QRVA_OK;
  });
}

int QRVAcalcslacks(QRVAprob prob, const double solution[], double slacks[]) {
  return qrva::withProblem(prob, "QRVAcalcslacks", [&](P &p) {
    Check chk("QRVAcalcslacks");
    chk.array(solution, "solution"), chk.array(slacks, "slacks");
    const qrva::ProblemStore &s = *p.store;
    numbers(chk, solution, s.ncols(), "solution");
    std::vector<double> act = qrva::activitiesAt(s, solution);
    for (int i = 0; i < s.nrows(); ++i) slacks[i] = s.rhs[i] - act[i];
    return QRVA_OK;
  });
}

int QRVAcalcreducedcosts(QRVAprob prob, const double duals[], const double solution[],
                         double djs[]) {
  return qrva::withProblem(prob, "QRVAcalcreducedcosts", [&](P &p) {
    Check chk("QRVAcalcreducedcosts");
    chk.array(duals, "duals"), chk.array(djs, "djs");
    const qrva::ProblemStore &s = *p.store;
    numbers(chk, duals, s.nrows(), "duals");
    numbers(chk, solution, s.ncols(), "solution");
    std::vector<double> dj = qrva::reducedCostsAt(s, duals, solution);
    std::copy(dj.begin(), dj.end(), djs);
    return QRVA_OK;
  });
}

int QRVAcalcsolinfo(QRVAprob prob, const double solution[], const double dual[], int property,
                    double *value) {
  return qrva::withProblem(prob, "QRVAcalcsolinfo", [&](P &p) {
    Check chk("QRVAcalcsolinfo");
    chk.array(value, "value");
    numbers(chk, solution, p.store->ncols(), "solution");
    numbers(chk, dual, p.store->nrows(), "dual");
    *value = qrva::solutionMeasure(*p.store, chk, solution, dual, property);
    return QRVA_OK;
  });
}

int QRVAbasisstability(QRVAprob prob, int type, int norm, int ifscaled, double *value) {
  return qrva::withProblem(prob, "QRVAbasisstability", [&](P &p) {
    Check chk("QRVAbasisstability");
    chk.array(value, "value");
    if (ifscaled != 0 && ifscaled != 1) chk.fail(formatText("ifscaled is %d; it must be 0 or 1", ifscaled));
    std::vector<double> none;
    *value = qrva::basisStability(p, chk, type, norm, none, none);
    return QRVA_OK;
  });
}

int QRVAbtran(QRVAprob prob, double vec[]) {
  return qrva::withProblem(prob, "QRVAbtran", [&](P &p) {
    Check chk("QRVAbtran");
    chk.array(vec, "vec");
    numbers(chk, vec, p.store->nrows(), "vec");
    qrva::BasisSolver(p, chk).btran(vec);
    return QRVA_OK;
  });
}

int QRVAftran(QRVAprob prob, double vec[]) {
  return qrva::withProblem(prob, "QRVAftran", [&](P &p) {
    Check chk("QRVAftran");
    chk.array(vec, "vec");
    numbers(chk, vec, p.store->nrows(), "vec");
    qrva::BasisSolver(p, chk).ftran(vec);
    return QRVA_OK;
  });
}

int QRVAobjsa(QRVAprob prob, int ncols, const int colind[], double lower[], double upper[]) {
  return qrva::withProblem(prob, "QRVAobjsa", [&](P &p) {
    qrva::costRanges(p, Check("QRVAobjsa"), ncols, colind, lower, upper);
    return QRVA_OK;
  });
}

int QRVArhssa(QRVAprob prob, int nrows, const int rowind[], double lower[], double upper[]) {
  return qrva::withProblem(prob, "QRVArhssa", [&](P &p) {
    qrva::rhsRanges(p, Check("QRVArhssa"), nrows, rowind, lower, upper);
    return QRVA_OK;
  });
}

int QRVAestimaterowdualranges(QRVAprob prob, int nrows, const int rowind[], int iterlimit,
                              double mindualactivity[], double maxdualactivity[]) {
  return qrva::withProblem(prob, "QRVAestimaterowdualranges", [&](P &p) {
    qrva::rowDualRanges(p, Check("QRVAestimaterowdualranges"), nrows, rowind, iterlimit, mindualactivity,
                        maxdualactivity);
    return QRVA_OK;
  });
}

}  // extern "C"
