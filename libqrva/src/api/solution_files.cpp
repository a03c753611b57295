// Basis and solution files: QRVAwritebasis / QRVAreadbasis, QRVAwritesol,
// QRVAwriteprtsol, QRVAwriteslxsol / QRVAreadslxsol and QRVAwritebinsol /
// QRVAreadbinsol. A file is read whole and checked before the problem
// changes; a writer makes the whole text before it opens the file.
#include "api/support.h"
#include "io/problem_files.h"
#include "io/solution_files.h"

using qrva::Check;
using qrva::formatText;
using P = qrva_problem_s;

namespace {

// The writers: filename (the problem's name when empty, ext appended to a
// name without an extension) gets text(p, chk).
template <class Text>
int writeFile(QRVAprob prob, const char *function, const char *filename, const char *flags,
              const char *ext, Text &&text) {
  return qrva::withProblem(prob, function, [&](P &p) {
    Check chk(function);
    qrva::checkFlags(chk, flags, "");
    std::string path = qrva::auxiliaryFile(chk, p, filename, ext);
    qrva::writeWholeFile(chk, path, text(p, chk));
    return QRVA_OK;
  });
}

// The readers: read(p, chk, path, contents) checks the file and changes p.
template <class Read>
int readFile(QRVAprob prob, const char *function, const char *filename, const char *flags,
             const char *ext, Read &&read) {
  return qrva::withProblem(prob, function, [&](P &p) {
    Check chk(function);
    qrva::checkFlags(chk, flags, "");
    std::string path = qrva::auxiliaryFile(chk, p, filename, ext);
    read(p, chk, path, qrva::readWholeFile(chk, path));
    return QRVA_OK;
  });
}

}  // namespace

extern "C" {

int QRVAwritebasis(QRVAprob prob, const char *filename, const char *flags) {
  return writeFile(prob, "QRVAwritebasis", filename, flags, ".bss", qrva::basisFileText);
}

int QRVAreadbasis(QRVAprob prob, const char *filename, const char *flags) {
  return readFile(prob, "QRVAreadbasis", filename, flags, ".bss",
                  [](P &p, const Check &chk, const std::string &path, const std::string &text) {
                    p.basis = qrva::readBasisFile(p, chk, path, text);
                  });
}

int QRVAwritesol(QRVAprob prob, const char *filename, const char *flags) {
  return writeFile(prob, "QRVAwritesol", filename, flags, ".csv", qrva::csvSolutionText);
}

int QRVAwriteprtsol(QRVAprob prob, const char *filename, const char *flags) {
  return writeFile(prob, "QRVAwriteprtsol", filename, flags, ".prt", qrva::printedSolutionText);
}

int QRVAwriteslxsol(QRVAprob prob, const char *filename, const char *flags) {
  return writeFile(prob, "QRVAwriteslxsol", filename, flags, ".slx", qrva::slxSolutionText);
}

int QRVAreadslxsol(QRVAprob prob, const char *filename, const char *flags) {
  return readFile(prob, "QRVAreadslxsol", filename, flags, ".slx",
                  [](P &p, const Check &chk, const std::string &path, const std::string &text) {
                    qrva::MipStart start = qrva::readSlxSolution(p, chk, path, text);
                    size_t n = start.cols.size();
                    p.mipStarts.push_back(std::move(start));
                    p.message(QRVA_MSG_INFO,
                              formatText("Values of %zu columns read from %s as a starting "
                                         "solution for the next MIP solve",
                                         n, path.c_str()));
                  });
}

int QRVAwritebinsol(QRVAprob prob, const char *filename, const char *flags) {
  return writeFile(prob, "QRVAwritebinsol", filename, flags, ".bsol", qrva::binarySolutionBytes);
}

int QRVAreadbinsol(QRVAprob prob, const char *filename, const char *flags) {
  return readFile(prob, "QRVAreadbinsol", filename, flags, ".bsol",
                  [](P &p, const Check &chk, const std::string &path, const std::string &bytes) {
                    qrva::BinarySolution b = qrva::readBinarySolution(p, chk, path, bytes);
                    p.invalidate(qrva::kStaleSolution);
                    p.solution = std::move(b.solution);
                    p.solve.lpStatus = b.lpStatus, p.solve.mipStatus = b.mipStatus;
                    p.solve.lpObjective = b.lpObjective, p.solve.mipObjective = b.mipObjective;
                  });
}

}  // extern "C"
