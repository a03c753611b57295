// Objective, row activities, reduced costs and solution measures of vectors
// the caller gives, over the problem's own rows and columns.
#pragma once

#include <vector>

#include "core/validate.h"
#include "model/store.h"

namespace qrva {

// c'x + 1/2 x'Qx + the objective's constant.
double objectiveAt(const ProblemStore &s, const double *x);
// Each row's activity, quadratic terms of the row included.
std::vector<double> activitiesAt(const ProblemStore &s, const double *x);
// c - A'y, plus Qx when x is given.
std::vector<double> reducedCostsAt(const ProblemStore &s, const double *y, const double *x);
// One of the QRVA_SOLINFO_* measures of (x, y); either may be NULL when the
// measure does not read it, else a NULL one is refused through chk.
double solutionMeasure(const ProblemStore &s, const Check &chk, const double *x, const double *y,
                       int property);

}  // namespace qrva
