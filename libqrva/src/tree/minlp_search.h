// The engine's branch-and-bound for mixed-integer nonlinear problems:
// integer columns, sets or semi-continuous columns together with formulas
// or quadratic rows. Every node's problem is the nonlinear relaxation with
// the node's bounds, solved by the SLP engine from its parent's solution
// (tree/slp_node.h); nodes whose point breaks a discrete condition branch
// on it as the linear tree search does (tree/branching.h), choosing among
// integer columns by pseudo-costs learnt from the node solves.
//
// What needs an LP basis is off: strong branching, cuts (callbacks' cuts,
// delayed rows, model cuts, the cut pool), the root heuristics, branching
// objects and chgbranchobject. Indicator rows are refused. The node
// problems are solved to local optimality: for a convex problem the search
// proves its optimum; for a non-convex one the solution it ends with is
// locally optimal, not proven globally optimal, and its bound not a proof.
//
// Callbacks: slpnode on the SLP problem before each node's solve (the
// node's bounds on the problem below, its number, depth and parent as the
// node attributes of the problem below; non-zero stops the search with the
// incumbent kept); and on the optimizer problem prenode, optnode, infnode,
// nodecutoff, newnode, preintsol and intsol as the linear tree search calls
// them, given the problem itself.
#pragma once

#include "slp/solver.h"

namespace qrva {

// Whether the problem's discrete parts make a nonlinear solve a
// mixed-integer one: discrete columns or sets.
bool hasDiscreteParts(const ProblemStore &s);

// Solves the problem of p (with the formulas of slp, which may be null) by
// the branch-and-bound above, recording on p the statuses, counts, bound,
// gap and solution as a MIP solve does. The outcome is the SLP's of the
// incumbent's node with the search's totals: status locally optimal when
// an incumbent exists, infeasible when the search proved none exists
// (locally infeasible when it rests on a node the SLP only found no point
// of), unfinished when it stopped first, unbounded. The caller holds a
// SigintGuard for p.
NlpOutcome solveMixedInteger(qrva_problem_s &p, qslp_problem_s *slp, const NlpSettings &settings,
                             const Check &chk, const char *function);

}  // namespace qrva
