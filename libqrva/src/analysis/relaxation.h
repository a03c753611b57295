// A HiGHS instance of a problem's LP relaxation over the problem's own rows
// and columns, for the analyses that need HiGHS's factorisation or many
// related LP solves (basis solves, subsystem tests, ranging). The problem's
// own solve instance is never touched, so an analysis leaves its results
// alone.
#pragma once

#include <memory>

#include "core/validate.h"
#include "model/problem.h"

namespace qrva {

using HighsHandle = std::unique_ptr<void, HighsDeleter>;

// The relaxation of p's store (integrality, sets and indicator rows
// dropped) with p's controls, p's basis when it has one, presolve off (the
// analyses read rays and bases of the model as given) and no log. Fails
// when the relaxation needs reformulated rows or columns, which have no
// place in the problem's numbering.
HighsHandle relaxationInstance(qrva_problem_s &p, const Check &chk);

}  // namespace qrva
