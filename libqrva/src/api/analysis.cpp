// Calculations on given vectors, solves with the basis matrix, the fixing
// and the refinement of a MIP's integer decisions, the presolve of one row,
// ranging, repair and the user scaling of the solves (analysis/).
#include <cmath>
#include <map>

#include "analysis/basis_solver.h"
#include "analysis/calculations.h"
#include "analysis/ranging.h"
#include "analysis/refine.h"
#include "analysis/row_presolve.h"
#include "analysis/repair.h"
#include "api/support.h"
#include "highs/sigint.h"

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
    std::vector<double> rowScale, colScale;
    if (ifscaled) p.store->scaleFactors(rowScale, colScale);
    *value = qrva::basisStability(p, chk, type, norm, rowScale, colScale);
    return QRVA_OK;
  });
}

int QRVAscale(QRVAprob prob, const int rowscale[], const int colscale[]) {
  return qrva::withProblem(prob, "QRVAscale", [&](P &p) {
    Check chk("QRVAscale");
    qrva::ProblemStore &s = *p.store;
    // Every exponent is checked before anything changes.
    auto exponents = [&](const int *e, int n, const char *name) {
      std::map<int, int> out;
      for (int k = 0; e && k < n; ++k) {
        if (e[k] < -QRVA_SCALE_MAXEXP || e[k] > QRVA_SCALE_MAXEXP)
          chk.fail(formatText("'%s' at position %d is %d; a scaling exponent must lie between %d and %d", name, k,
                              e[k], -QRVA_SCALE_MAXEXP, QRVA_SCALE_MAXEXP));
        if (e[k] != 0) out[k] = e[k];
      }
      return out;
    };
    std::map<int, int> rows = exponents(rowscale, s.nrows(), "rowscale");
    std::map<int, int> cols = exponents(colscale, s.ncols(), "colscale");
    s.rowScaleExp = std::move(rows), s.colScaleExp = std::move(cols);
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

int QRVArefinemipsol(QRVAprob prob, int options, const char *flags, const double solution[], double refined[],
                     int *status) {
  return qrva::withProblem(prob, "QRVArefinemipsol", [&](P &p) {
    Check chk("QRVArefinemipsol");
    chk.array(solution, "solution"), chk.array(refined, "refined"), chk.array(status, "status");
    if (options & ~QRVA_REFINEMIPSOL_ADDSTART)
      chk.fail(formatText("options is %d; it must be 0 or %d (keep the result as a MIP start)", options,
                          QRVA_REFINEMIPSOL_ADDSTART));
    if (flags && *flags)
      chk.fail(formatText("flags is %s; the refinement defines no flags, so it must be empty",
                          qrva::quoted(flags).c_str()));
    numbers(chk, solution, p.store->ncols(), "solution");
    qrva::SigintGuard guard(&p);
    *status = qrva::refineMipSolution(p, chk, solution, refined, (options & QRVA_REFINEMIPSOL_ADDSTART) != 0);
    return QRVA_OK;
  });
}

int QRVApresolverow(QRVAprob prob, char rowtype, int ncoefs, const int colind[], const double rowcoef[], double rhs,
                    int maxcoefs, int *ncoefsout, int colindout[], double rowcoefout[], double *rhsout,
                    int *status) {
  return qrva::withProblem(prob, "QRVApresolverow", [&](P &p) {
    Check chk("QRVApresolverow");
    chk.array(ncoefsout, "ncoefsout"), chk.array(rhsout, "rhsout"), chk.array(status, "status");
    chk.count(maxcoefs, "maxcoefs");
    qrva::PresolvedRow row = qrva::presolveRow(*p.store, chk, rowtype, ncoefs, colind, rowcoef, rhs,
                                               p.dblControl(QRVA_MATRIXTOL), p.dblControl(QRVA_FEASTOL));
    int count = static_cast<int>(row.cols.size());
    if (count > 0 && count <= maxcoefs) chk.array(colindout, "colindout"), chk.array(rowcoefout, "rowcoefout");
    *ncoefsout = count, *rhsout = row.rhs;
    if (count > maxcoefs) {
      *status = QRVA_PRESOLVEROW_TOOMANY;
      return QRVA_OK;
    }
    std::copy(row.cols.begin(), row.cols.end(), colindout);
    std::copy(row.coefs.begin(), row.coefs.end(), rowcoefout);
    *status = row.status;
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

namespace {

// Copies an optional array of n preferences or limits.
std::vector<double> optional(const double *v, int n) {
  return v ? std::vector<double>(v, v + n) : std::vector<double>();
}

bool phaseTwo(const Check &chk, char flag, const char *name) {
  if (flag != 'o' && flag != 'f')
    chk.fail(formatText("%s is %s; it must be 'o' (optimise within delta) or 'f' (least violation only)", name,
                        Check::charText(flag).c_str()));
  return flag == 'o';
}

int weighted(QRVAprob prob, const char *function, int *status, const double lrp[], const double grp[],
             const double lbp[], const double ubp[], const double lrb[], const double grb[], const double lbb[],
             const double ubb[], char phase2, double delta, const char *optflags) {
  return qrva::withProblem(prob, function, [&](P &p) {
    Check chk(function);
    chk.array(status, "status");
    qrva::SigintGuard guard(&p);
    int m = p.store->nrows(), n = p.store->ncols();
    qrva::RepairWeights w{optional(lrp, m), optional(grp, m), optional(lbp, n), optional(ubp, n),
                          optional(lrb, m), optional(grb, m), optional(lbb, n), optional(ubb, n)};
    bool two = phaseTwo(chk, phase2, "phase2");
    *status = qrva::repairInfeasibility(p, chk, w, two, delta, p.store->hasDiscreteParts(), optflags ? optflags : "");
    return QRVA_OK;
  });
}

}  // namespace

extern "C" {

int QRVArepairinfeas(QRVAprob prob, int *status, char pflags, char oflags, char gflags, double lrp,
                     double grp, double lbp, double ubp, double delta) {
  return qrva::withProblem(prob, "QRVArepairinfeas", [&](P &p) {
    Check chk("QRVArepairinfeas");
    chk.array(status, "status");
    if (pflags != 'c')
      chk.fail(formatText("pflags is %s; it must be 'c' (one preference per kind of row side and bound)",
                          Check::charText(pflags).c_str()));
    bool two = phaseTwo(chk, oflags, "oflags");
    if (gflags != 'g' && gflags != 'l')
      chk.fail(formatText("gflags is %s; it must be 'g' (keep the discrete columns) or 'l' (the LP relaxation)",
                          Check::charText(gflags).c_str()));
    qrva::SigintGuard guard(&p);
    int m = p.store->nrows(), n = p.store->ncols();
    qrva::RepairWeights w{std::vector<double>(m, lrp), std::vector<double>(m, grp), std::vector<double>(n, lbp),
                          std::vector<double>(n, ubp), {}, {}, {}, {}};
    *status = qrva::repairInfeasibility(p, chk, w, two, delta, gflags == 'g' && p.store->hasDiscreteParts(), "");
    return QRVA_OK;
  });
}

int QRVArepairweightedinfeas(QRVAprob prob, int *status, const double lrp[], const double grp[],
                             const double lbp[], const double ubp[], char phase2, double delta,
                             const char *optflags) {
  return weighted(prob, "QRVArepairweightedinfeas", status, lrp, grp, lbp, ubp, nullptr, nullptr, nullptr,
                  nullptr, phase2, delta, optflags);
}

int QRVArepairweightedinfeasbounds(QRVAprob prob, int *status, const double lrp[], const double grp[],
                                   const double lbp[], const double ubp[], const double lrb[],
                                   const double grb[], const double lbb[], const double ubb[], char phase2,
                                   double delta, const char *optflags) {
  return weighted(prob, "QRVArepairweightedinfeasbounds", status, lrp, grp, lbp, ubp, lrb, grb, lbb, ubb, phase2,
                  delta, optflags);
}

}  // extern "C"
