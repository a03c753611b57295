// Basis and solution files: the MPS basis format, comma-separated and
// printed solutions, the text solution file (one "C name value" line per
// column) and the binary solution file. Writers return the file's text
// (nothing is written when they fail); readers parse a whole file and
// return what it holds, so that a bad file changes nothing.
#pragma once

#include <string>
#include <vector>

#include "model/problem.h"
#include "core/validate.h"

namespace qrva {

// Refuses flag letters outside allowed (a flag string may be NULL).
void checkFlags(const Check &chk, const char *flags, const char *allowed);

std::string basisFileText(const qrva_problem_s &p, const Check &chk);
Basis readBasisFile(const qrva_problem_s &p, const Check &chk, const std::string &path,
                    const std::string &text);

// The solution a writer reports: the MIP solution when there is one, else
// the LP solution; refused when there is none.
const Solution &solutionToWrite(const qrva_problem_s &p, const Check &chk);

std::string csvSolutionText(const qrva_problem_s &p, const Check &chk);
// The same lines for the values x, slack, dual and dj over the rows and
// columns of s (dual and dj may be shorter: their fields stay empty).
std::string csvSolutionLines(const ProblemStore &s, const std::vector<double> &x,
                            const std::vector<double> &slack, const std::vector<double> &dual,
                            const std::vector<double> &dj);
// A field of a comma-separated line: quoted when it holds a comma, a quote
// or a line break.
std::string csvField(const std::string &text);
std::string printedSolutionText(const qrva_problem_s &p, const Check &chk);
std::string slxSolutionText(const qrva_problem_s &p, const Check &chk);
MipStart readSlxSolution(const qrva_problem_s &p, const Check &chk, const std::string &path,
                         const std::string &text);

// The binary solution file and what reading one gives.
struct BinarySolution {
  Solution solution;
  int lpStatus = 0, mipStatus = 0;
  double lpObjective = 0.0, mipObjective = 0.0;
};
std::string binarySolutionBytes(const qrva_problem_s &p, const Check &chk);
BinarySolution readBinarySolution(const qrva_problem_s &p, const Check &chk,
                                  const std::string &path, const std::string &bytes);

}  // namespace qrva
