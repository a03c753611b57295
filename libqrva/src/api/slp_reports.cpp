// Reports of the SLP engine: what evaluating the nonlinear parts cost, the
// memory the problem holds (both through the message log) and the last
// nonlinear solution as a comma-separated file.
#include <string>

#include "io/problem_files.h"
#include "io/solution_files.h"
#include "slp/problem.h"

using qrva::Check;
using qrva::formatText;
using S = qslp_problem_s;

namespace {

template <class T>
size_t bytesOf(const std::vector<T> &v) {
  return v.capacity() * sizeof(T);
}

// A map or set node: the value and about four pointers of bookkeeping.
template <class Value>
size_t nodeBytes(size_t count) {
  return count * (sizeof(Value) + 4 * sizeof(void *));
}

size_t storeBytes(const qrva::ProblemStore &ps) {
  size_t b = bytesOf(ps.lb) + bytesOf(ps.ub) + bytesOf(ps.obj) + bytesOf(ps.limit) +
             bytesOf(ps.colType) + bytesOf(ps.columns) + bytesOf(ps.rowType) + bytesOf(ps.rhs) +
             bytesOf(ps.range) + bytesOf(ps.indicatorCol) + bytesOf(ps.indicatorComp);
  for (const auto &c : ps.columns) b += bytesOf(c);
  size_t terms = ps.qobj.size();
  for (const auto &q : ps.qrows) terms += q.second.size();
  b += nodeBytes<qrva::QuadTerms::value_type>(terms);
  for (const qrva::NameTable *names : {&ps.rowNames, &ps.colNames})
    for (size_t i = 0; i < names->size(); ++i)
      if (names->hasOwn(i)) b += names->get(i).size() + sizeof(std::string);
  return b;
}

}  // namespace

extern "C" {

int QSLPprintevalinfo(QSLPprob slp) {
  return qrva::withSlp(slp, "QSLPprintevalinfo", [&](S &s) {
    const qrva::EvaluationCounts &e = s.evaluations;
    qrva::SlpCounts c = s.counts();
    s.qprob->message(QRVA_MSG_INFO,
                     formatText("SLP evaluations since the last solve started: %lld points (%lld "
                                "with derivatives), %lld formula evaluations, %lld user function "
                                "calls, %.6f seconds",
                                e.points.load(), e.gradients.load(), e.formulas.load(),
                                e.userCalls.load(), 1e-9 * static_cast<double>(e.nanoseconds.load())));
    s.qprob->message(QRVA_MSG_INFO,
                     formatText("SLP nonlinear part: %d formula coefficients in %d rows, %d user "
                                "functions",
                                c.coefficients, c.nonlinearRows, c.userFunctions));
    return QRVA_OK;
  });
}

int QSLPprintmemory(QSLPprob slp) {
  return qrva::withSlp(slp, "QSLPprintmemory", [&](S &s) {
    const qrva::ProblemStore &ps = *s.qprob->store;
    const qrva::SlpStore &st = *s.store;
    size_t tokens = 0;
    for (const auto &c : st.coefficients) tokens += c.second.formula.size();
    size_t formulas = nodeBytes<std::pair<const qrva::CoefficientKey, qrva::SlpCoefficient>>(
                          st.coefficients.size()) +
                      tokens * sizeof(qrva::Token);
    size_t settings = nodeBytes<std::pair<const int, qrva::SlpVariable>>(st.variables.size()) +
                      nodeBytes<std::pair<const int, qrva::SlpRow>>(st.rows.size()) +
                      bytesOf(st.tolsets) +
                      nodeBytes<std::pair<const qrva::CoefficientKey, double>>(
                          st.derivativeFactors.size());
    size_t strings = bytesOf(st.strings) + bytesOf(st.functions);
    for (const auto &t : st.strings) strings += t.size();
    for (const auto &f : st.functions) strings += f.name.size();
    const qrva::SlpSolution &sol = st.solution;
    size_t solution = bytesOf(sol.x) + bytesOf(sol.slack) + bytesOf(sol.dual) + bytesOf(sol.dj) +
                      bytesOf(sol.columns) + bytesOf(sol.rows);
    size_t problem = storeBytes(ps);
    size_t total = problem + formulas + settings + strings + solution;
    auto line = [&](const std::string &text) { s.qprob->message(QRVA_MSG_INFO, text); };
    line("SLP memory (bytes, estimated from the sizes held):");
    line(formatText("  problem: %zu (%d rows, %d columns, %lld elements)", problem, ps.nrows(),
                    ps.ncols(), static_cast<long long>(ps.elements())));
    line(formatText("  formula coefficients: %zu (%zu coefficients, %zu tokens)", formulas,
                    st.coefficients.size(), tokens));
    line(formatText("  SLP settings of columns and rows, tolerance sets, derivative factors: %zu",
                    settings));
    line(formatText("  strings and user functions: %zu", strings));
    line(formatText("  last nonlinear solution: %zu", solution));
    line(formatText("  total: %zu", total));
    return QRVA_OK;
  });
}

int QSLPfilesol(QSLPprob slp, const char *filename) {
  return qrva::withSlp(slp, "QSLPfilesol", [&](S &s) {
    Check chk("QSLPfilesol");
    const qrva::SlpSolution &sol = s.lastSolution("QSLPfilesol");
    std::string path = qrva::auxiliaryFile(chk, *s.qprob, filename, ".csv");
    const qrva::ProblemStore &ps = *s.qprob->store;
    std::string text = qrva::csvSolutionLines(ps, sol.x, sol.slack, sol.dual, sol.dj);
    // The error vectors of the last linearization, named after their row.
    const std::string &prefix = s.control(QSLP_SLPUNIQUEPREFIX).s;
    auto errorVector = [&](size_t row, const char *side, double value, double dj) {
      text += formatText("E,%zu,", row) + qrva::csvField(prefix + side + ps.rowNames.get(row)) +
              "," + qrva::numberText(value) + ",," + qrva::numberText(dj) + "\n";
    };
    for (size_t i = 0; i < sol.rows.size(); ++i) {
      const qrva::SlpRowDetail &r = sol.rows[i];
      if (r.plusCol < 0) continue;
      errorVector(i, "plus_", r.plusValue, r.plusDj);
      errorVector(i, "minus_", r.minusValue, r.minusDj);
    }
    qrva::writeWholeFile(chk, path, text);
    return QRVA_OK;
  });
}

}  // extern "C"
