// Cascading: the columns an SLP setting gives a determining row (detrow)
// take, at a point, the value that makes that row hold at its right-hand
// side, computed one after the other so that a column is computed after
// every determined column its row uses.
#pragma once

#include <vector>

#include "slp/description.h"

namespace qrva {
namespace nlp {

class SlpEvents;

// The determined columns of slp in an order where each comes after the
// determined columns its determining row uses (ties by column). Fails (chk)
// when some of them determine each other in a cycle, naming a column of it.
std::vector<int> cascadeOrder(const qslp_problem_s &slp, const Check &chk);

struct CascadeResult {
  int computed = 0, failed = 0;
  bool stop = false;  // a callback asked to stop
};

// Recomputes the determined columns of x in order, firing cascadestart,
// cascadevar or cascadevarfail per column, and cascadeend. Each column gets
// at most its cascade limit (QSLPchgcascadenlimit; 0: the control
// slpcascadenlimit) Newton passes on its row, within its bounds. A column
// that cannot be computed (its row has no right-hand side to meet, its
// derivative in the row is zero, or the row cannot be evaluated) keeps its
// value. nlp is the problem described for slp.
CascadeResult cascadePoint(const qslp_problem_s &slp, const Nlp &nlp, const std::vector<int> &order,
                           std::vector<double> &x, const SlpEvents &events, double feasTol);

}  // namespace nlp
}  // namespace qrva
