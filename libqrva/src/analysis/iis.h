// The search for irreducible infeasible subsystems. Members are the rows
// (each with all its finite bounds) and the finite lower and upper bounds of
// the columns; a subsystem is tested by solving the problem with every other
// member relaxed. Over LPs each infeasible test gives a Farkas certificate
// whose support is itself infeasible: it is the fast mode's answer, and it
// shrinks the deletion filter's candidate set at every infeasible test. A
// MIP whose LP relaxation is infeasible gets a subsystem of its relaxation;
// otherwise the deletion filter runs over MIP solves. The first search
// starts with bound propagation: a conflict it meets names a few members,
// which are tested as a problem of their own instead of the whole one.
#pragma once

#include <string>
#include <vector>

#include "analysis/iis_data.h"
#include "core/validate.h"
#include "model/problem.h"

namespace qrva {

// Starts the search afresh (p.iis is replaced): QRVA_IIS_* status.
int iisFirst(qrva_problem_s &p, const Check &chk, int mode);
// One subsystem that differs from every one found so far.
int iisNext(qrva_problem_s &p, const Check &chk);
// Marks the members of subsystem num (0-based) that are in no other found.
void iisIsolations(qrva_problem_s &p, int num);
// The subsystem as a problem of its own: its rows, the columns they or its
// bounds name, the subsystem's bounds only (others free); the column types
// when it was found by MIP solves. colsInS, when given, receives the
// column of s behind each of its columns.
ProblemStore iisStore(const ProblemStore &s, const Iis &iis, bool keepTypes, std::vector<int> *colsInS = nullptr);
// The subsystem as a CSV list: one line per row and per bound.
std::string iisCsv(const ProblemStore &s, const Iis &iis);

}  // namespace qrva
