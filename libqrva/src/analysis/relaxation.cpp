#include "analysis/relaxation.h"

#include "highs/model.h"
#include "highs/options.h"
#include "interfaces/highs_c_api.h"

namespace qrva {

HighsHandle relaxationInstance(qrva_problem_s &p, const Check &chk) {
  Model m = buildModel(*p.store, chk, SolveKind::Lp);
  if (m.extended)
    chk.fail("the LP relaxation of this problem needs reformulated columns or rows; the analysis "
             "works on the problem's own rows and columns only",
             QRVA_ERR_STATE);
  HighsHandle h(Highs_create());
  if (!h) chk.fail("HiGHS could not create an instance", QRVA_ERR_MEMORY);
  setOptions(h.get(), p, SolveKind::Lp, "");
  Highs_setBoolOptionValue(h.get(), "output_flag", 0);
  Highs_setStringOptionValue(h.get(), "presolve", "off");
  transferModel(h.get(), m, p, chk);
  return h;
}

}  // namespace qrva
