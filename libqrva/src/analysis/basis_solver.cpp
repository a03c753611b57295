#include "analysis/basis_solver.h"

#include <algorithm>
#include <cmath>
#include <numeric>

#include "interfaces/highs_c_api.h"

namespace qrva {

BasisSolver::BasisSolver(qrva_problem_s &p, const Check &chk) : chk_(chk) {
  const ProblemStore &s = *p.store;
  if (!p.basis.known || static_cast<int>(p.basis.rows.size()) != s.nrows() ||
      static_cast<int>(p.basis.cols.size()) != s.ncols())
    chk.fail("no basis is available; solve the LP or load a basis first", QRVA_ERR_STATE);
  h_ = relaxationInstance(p, chk);
  int m = s.nrows();
  basic_.assign(m, 0);
  if (m > 0 && Highs_getBasicVariables(h_.get(), basic_.data()) != kHighsStatusOk)
    chk.fail("HiGHS could not factorise the basis (it is singular or not a basis of this problem)",
             QRVA_ERR_STATE);
  // Combined numbering: slacks of rows 0..m-1 first, then columns.
  auto position = [&](int v) { return v < 0 ? -v - 1 : m + v; };
  order_.resize(m);
  std::iota(order_.begin(), order_.end(), 0);
  std::sort(order_.begin(), order_.end(),
            [&](int a, int b) { return position(basic_[a]) < position(basic_[b]); });
  work_.resize(m), index_.resize(m);
}

void BasisSolver::ftran(double *vec) const {
  int m = rows(), nz = 0;
  if (m == 0) return;
  if (Highs_getBasisSolve(h_.get(), vec, work_.data(), &nz, index_.data()) != kHighsStatusOk)
    chk_.fail("HiGHS could not solve with the basis", QRVA_ERR_SOLVER);
  for (int k = 0; k < m; ++k) vec[k] = work_[order_[k]];
}

void BasisSolver::btran(double *vec) const {
  int m = rows(), nz = 0;
  if (m == 0) return;
  std::vector<double> rhs(m);
  for (int k = 0; k < m; ++k) rhs[order_[k]] = vec[k];
  if (Highs_getBasisTransposeSolve(h_.get(), rhs.data(), work_.data(), &nz, index_.data()) !=
      kHighsStatusOk)
    chk_.fail("HiGHS could not solve with the basis", QRVA_ERR_SOLVER);
  std::copy(work_.begin(), work_.end(), vec);
}

namespace {

// Accumulates one column at a time into the three norms of a matrix.
struct NormSums {
  std::vector<double> rowSums;
  double maxColSum = 0.0, squares = 0.0;
  explicit NormSums(int m) : rowSums(m, 0.0) {}
  void column(const std::vector<double> &col) {
    double sum = 0.0;
    for (size_t i = 0; i < col.size(); ++i) {
      double a = std::fabs(col[i]);
      sum += a, rowSums[i] += a, squares += a * a;
    }
    maxColSum = std::max(maxColSum, sum);
  }
  double norm(int which) const {
    switch (which) {
      case QRVA_NORM_INFINITY:
        return rowSums.empty() ? 0.0 : *std::max_element(rowSums.begin(), rowSums.end());
      case QRVA_NORM_ONE: return maxColSum;
      default: return std::sqrt(squares);
    }
  }
};

}  // namespace

double basisStability(qrva_problem_s &p, const Check &chk, int type, int norm,
                      const std::vector<double> &rowScale, const std::vector<double> &colScale) {
  if (type < QRVA_BASISSTAB_CONDITION || type > QRVA_BASISSTAB_INVERSENORM)
    chk.fail(formatText("type %d is not one of %d (condition) %d (basis norm) %d (inverse norm)", type,
                        QRVA_BASISSTAB_CONDITION, QRVA_BASISSTAB_BASISNORM, QRVA_BASISSTAB_INVERSENORM));
  if (norm < QRVA_NORM_INFINITY || norm > QRVA_NORM_FROBENIUS)
    chk.fail(formatText("norm %d is not one of %d (infinity) %d (one) %d (Frobenius)", norm,
                        QRVA_NORM_INFINITY, QRVA_NORM_ONE, QRVA_NORM_FROBENIUS));
  BasisSolver solver(p, chk);
  const ProblemStore &s = *p.store;
  int m = solver.rows();
  auto rowFactor = [&](int i) { return rowScale.empty() ? 1.0 : rowScale[i]; };
  // The scaled problem R A C has slack columns R e_i: their factor 1/r_i
  // keeps them unit columns, as a scaled problem's slacks are.
  auto colFactor = [&](int v) {
    if (v < 0) return 1.0 / rowFactor(-v - 1);
    return colScale.empty() ? 1.0 : colScale[v];
  };
  double result = 1.0;
  std::vector<double> col(m);
  if (type != QRVA_BASISSTAB_INVERSENORM) {
    NormSums b(m);
    for (int k = 0; k < m; ++k) {
      std::fill(col.begin(), col.end(), 0.0);
      int v = solver.basicAt(k);
      if (v < 0)
        col[-v - 1] = 1.0;
      else
        for (const Entry &e : s.columns[v]) col[e.index] = e.value * rowFactor(e.index) * colFactor(v);
      b.column(col);
    }
    result *= b.norm(norm);
  }
  if (type != QRVA_BASISSTAB_BASISNORM) {
    // Column i of (R B C_B)^-1 = C_B^-1 B^-1 R^-1 e_i.
    NormSums inverse(m);
    for (int i = 0; i < m; ++i) {
      std::fill(col.begin(), col.end(), 0.0);
      col[i] = 1.0 / rowFactor(i);
      solver.ftran(col.data());
      for (int k = 0; k < m; ++k) col[k] /= colFactor(solver.basicAt(k));
      inverse.column(col);
    }
    result *= inverse.norm(norm);
  }
  return result;
}

}  // namespace qrva
