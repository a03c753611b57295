#include "slp/linearization_view.h"

#include "slp/evaluation.h"
#include "slp/problem.h"
#include "slp/userfunc.h"

namespace qrva {

int writeLinearization(qslp_problem_s &slp, const Check &chk) {
  restoreLinearization(slp);
  ProblemStore &ps = *slp.qprob->store;
  std::vector<double> x = slp.currentPoint();
  // Only the formula parts are linearized: a copy without the quadratic
  // terms gives their values and derivatives alone.
  ProblemStore formulasOnly(ps);
  formulasOnly.qrows.clear();
  formulasOnly.qobj.clear();
  nlp::Nlp nlp = nlp::describe(formulasOnly, slp.store.get(), chk, true);
  nlp.call = userFunctionCaller(slp);
  nlp.counts = &slp.evaluations;
  nlp::Point pt;
  pt.x = x;
  nlp::evaluate(nlp, pt, true);
  if (!pt.ok) chk.fail(pt.error + " at the current point", QRVA_ERR_STATE);
  LinearizationView view;
  for (size_t k = 0; k < nlp.rows.size(); ++k) {
    int i = nlp.rows[k].row;
    double constant = pt.nlValue[k];
    for (const auto &g : pt.nlGrad[k]) {
      constant -= g.second * x[g.first];
      if (g.second == 0.0) continue;
      double original = ps.element(i, g.first);
      view.elements.push_back({i, g.first, original, original + g.second});
    }
    if (ps.rowType[i] != 'N' && constant != 0.0)
      view.sides.push_back({i, ps.rhs[i], ps.rhs[i] - constant});
  }
  for (const auto &e : view.elements) ps.setElement(e.row, e.col, e.written);
  for (const auto &s : view.sides) ps.rhs[s.row] = s.written;
  slp.shownLinearization = std::move(view);
  slp.qprob->edited(Edit::Matrix);
  return static_cast<int>(nlp.rows.size());
}

void restoreLinearization(qslp_problem_s &slp) {
  LinearizationView view = std::move(slp.shownLinearization);
  slp.shownLinearization = LinearizationView{};
  if (view.empty() || slp.qprob == nullptr) return;
  ProblemStore &ps = *slp.qprob->store;
  for (auto e = view.elements.rbegin(); e != view.elements.rend(); ++e)
    if (e->row < ps.nrows() && e->col < ps.ncols() && ps.element(e->row, e->col) == e->written)
      ps.setElement(e->row, e->col, e->original);
  for (const auto &s : view.sides)
    if (s.row < ps.nrows() && ps.rhs[s.row] == s.written) ps.rhs[s.row] = s.original;
  slp.qprob->edited(Edit::Matrix);
}

}  // namespace qrva
