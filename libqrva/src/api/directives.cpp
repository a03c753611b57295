// Branching directives and row and column marks: loaddirs, getdirs,
// loadbranchdirs, loadpresolvedirs, loadsecurevecs, loaddelayedrows,
// loadmodelcuts, and the directive file (readdirs, writedirs). The data lives
// in the problem's store (ProblemStore::directives and the mark sets), where
// deletions renumber it and copies carry it; the tree search reads it there.
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <sstream>

#include "api/support.h"
#include "io/problem_files.h"

using qrva::Check;
using qrva::formatText;
using P = qrva_problem_s;

namespace {

void checkBranch(const Check &chk, char b, int64_t pos) {
  if (b != 'U' && b != 'D' && b != 'N')
    chk.fail(formatText("branch direction %s in 'branchdir' at position %lld is not one of U D N",
                        Check::charText(b).c_str(), (long long)pos));
}

void checkPseudoCost(const Check &chk, double v, const char *name, int64_t pos) {
  chk.number(v, name, pos);
  if (std::isinf(v))
    chk.fail(formatText("'%s' at position %lld is infinite; a pseudo-cost must be finite (negative: "
                        "none given)",
                        name, (long long)pos));
}

// Items of a list: each in range, none twice (so no list is longer than
// the problem has items, which is checked before the list is read).
void checkIndices(const Check &chk, int n, const int *ind, int size, const char *kind,
                  const char *name) {
  if (n > size)
    chk.fail(formatText("%d entries in '%s' but the problem has %d %ss", n, name, size, kind));
  std::vector<char> seen(static_cast<size_t>(size), 0);
  for (int k = 0; k < n; ++k) {
    chk.index(ind[k], size, kind, name, k);
    if (seen[ind[k]]++)
      chk.fail(formatText("%s %d appears twice in '%s' (again at position %d)", kind, ind[k],
                          name, k));
  }
}

// The directives of ndirs columns, checked (they replace all others).
std::map<int, qrva::Directive> directivesOf(const Check &chk, const P &p, int ndirs,
                                            const int colind[], const int priority[],
                                            const char branchdir[], const double uppseudo[],
                                            const double downpseudo[]) {
  chk.count(ndirs, "ndirs");
  if (ndirs > 0) chk.array(colind, "colind");
  checkIndices(chk, ndirs, colind, p.store->ncols(), "column", "colind");
  std::map<int, qrva::Directive> dirs;
  for (int k = 0; k < ndirs; ++k) {
    qrva::Directive d;
    d.priority = priority ? priority[k] : QRVA_DIR_DEFAULTPRIORITY;
    if (branchdir) checkBranch(chk, branchdir[k], k), d.branch = branchdir[k];
    if (uppseudo) checkPseudoCost(chk, uppseudo[k], "uppseudo", k), d.upPseudo = uppseudo[k];
    if (downpseudo)
      checkPseudoCost(chk, downpseudo[k], "downpseudo", k), d.downPseudo = downpseudo[k];
    dirs.emplace(colind[k], d);
  }
  return dirs;
}

// A checked set of row indices (nrows of them; rowind may be NULL only when
// there are none).
std::set<int> rowSet(const Check &chk, const P &p, int nrows, const int rowind[],
                     const char *name) {
  chk.count(nrows, "nrows");
  if (nrows > 0) chk.array(rowind, name);
  checkIndices(chk, nrows, rowind, p.store->nrows(), "row", name);
  return std::set<int>(rowind, rowind + nrows);
}

// Rows cannot be delayed rows and model cuts at once: the two are enforced
// differently by the tree search.
void checkDisjoint(const Check &chk, const P &p, const std::set<int> &rows,
                   const std::set<int> &others, const char *otherKind) {
  for (int r : rows)
    if (others.count(r))
      chk.fail(formatText("row %d (%s) is already one of the %s", r,
                          qrva::quoted(p.store->rowNames.get(r).c_str()).c_str(), otherKind),
               QRVA_ERR_STATE);
}

// The directive file: comment lines start with '*'; one line per column:
// name, priority, branch (U D N), up and down pseudo-costs; ENDATA ends it.
const char *const kDirectiveFormat = "directive";

std::string directiveFileText(const P &p, const Check &chk) {
  const auto &s = *p.store;
  std::vector<std::string> names = qrva::namesForFile(s.colNames, s.colNames.size(), chk,
                                                      "column", kDirectiveFormat, qrva::isMpsName);
  std::ostringstream out;
  out << "* directives of problem " << p.name << "\n"
      << "* column priority branch uppseudo downpseudo\n";
  for (const auto &d : s.directives)
    out << names[d.first] << ' ' << d.second.priority << ' ' << d.second.branch << ' '
        << qrva::numberText(d.second.upPseudo) << ' ' << qrva::numberText(d.second.downPseudo)
        << "\n";
  out << "ENDATA\n";
  return out.str();
}

std::map<int, qrva::Directive> readDirectiveText(const Check &chk, const P &p,
                                                 const std::string &path,
                                                 const std::string &text) {
  std::istringstream in(text);
  std::string line;
  std::map<int, qrva::Directive> dirs;
  int number = 0;
  bool ended = false;
  auto failAt = [&](const std::string &what) {
    chk.fail(formatText("%s line %d: %s", qrva::quoted(path.c_str()).c_str(), number,
                        what.c_str()));
  };
  while (!ended && std::getline(in, line)) {
    ++number;
    std::istringstream fields(line);
    std::string name, branch, extra;
    if (!(fields >> name) || name[0] == '*') continue;
    if (name == "ENDATA") {
      ended = true;
      continue;
    }
    qrva::Directive d;
    std::string priority, up, down;
    if (!(fields >> priority >> branch >> up >> down) || (fields >> extra))
      failAt("expected five fields: column priority branch uppseudo downpseudo");
    int col = p.store->colNames.find(name);
    if (col < 0) failAt(formatText("no column is called %s", qrva::quoted(name.c_str()).c_str()));
    if (dirs.count(col)) failAt(formatText("column %s has a second directive", name.c_str()));
    char *end = nullptr;
    long pr = std::strtol(priority.c_str(), &end, 10);
    if (*end != '\0' || pr < INT_MIN || pr > INT_MAX)
      failAt(formatText("priority %s is not an integer", priority.c_str()));
    if (branch.size() != 1 || std::string("UDN").find(branch[0]) == std::string::npos)
      failAt(formatText("branch %s is not one of U D N", branch.c_str()));
    double values[2];
    const std::string *texts[2] = {&up, &down};
    for (int k = 0; k < 2; ++k) {
      values[k] = std::strtod(texts[k]->c_str(), &end);
      if (*end != '\0' || !std::isfinite(values[k]))
        failAt(formatText("pseudo-cost %s is not a finite number", texts[k]->c_str()));
    }
    d.priority = static_cast<int>(pr), d.branch = branch[0];
    d.upPseudo = values[0], d.downPseudo = values[1];
    dirs.emplace(col, d);
  }
  if (!ended) chk.fail(formatText("%s ends before ENDATA (the file is truncated)",
                                  qrva::quoted(path.c_str()).c_str()));
  return dirs;
}

// Directive files have no name of their own: the caller names the file.
void namedFile(const Check &chk, const char *filename) {
  chk.array(filename, "filename");
  if (*filename == '\0') chk.fail("the file name is empty");
}

int loadDirectives(QRVAprob prob, const char *function, int ndirs, const int colind[],
                   const int priority[], const char branchdir[], const double uppseudo[],
                   const double downpseudo[]) {
  return qrva::withProblem(prob, function, [&](P &p) {
    Check chk(function);
    p.store->directives =
        directivesOf(chk, p, ndirs, colind, priority, branchdir, uppseudo, downpseudo);
    return QRVA_OK;
  });
}

}  // namespace

extern "C" {

int QRVAloaddirs(QRVAprob prob, int ndirs, const int colind[], const int priority[],
                 const char branchdir[], const double uppseudo[], const double downpseudo[]) {
  return loadDirectives(prob, "QRVAloaddirs", ndirs, colind, priority, branchdir, uppseudo,
                        downpseudo);
}

// No presolved problem is kept between calls, so its columns are those of
// the problem as it stands (the identity map of QRVAgetpresolvemap).
int QRVAloadpresolvedirs(QRVAprob prob, int ndirs, const int colind[], const int priority[],
                         const char branchdir[], const double uppseudo[],
                         const double downpseudo[]) {
  return loadDirectives(prob, "QRVAloadpresolvedirs", ndirs, colind, priority, branchdir,
                        uppseudo, downpseudo);
}

int QRVAgetdirs(QRVAprob prob, int *ndirs, int colind[], int priority[], char branchdir[],
                double uppseudo[], double downpseudo[]) {
  return qrva::withProblem(prob, "QRVAgetdirs", [&](P &p) {
    int k = 0;
    for (const auto &d : p.store->directives) {
      if (colind) colind[k] = d.first;
      if (priority) priority[k] = d.second.priority;
      if (branchdir) branchdir[k] = d.second.branch;
      if (uppseudo) uppseudo[k] = d.second.upPseudo;
      if (downpseudo) downpseudo[k] = d.second.downPseudo;
      ++k;
    }
    if (ndirs) *ndirs = k;
    return QRVA_OK;
  });
}

int QRVAloadbranchdirs(QRVAprob prob, int ncols, const int colind[], const int branch[]) {
  return qrva::withProblem(prob, "QRVAloadbranchdirs", [&](P &p) {
    Check chk("QRVAloadbranchdirs");
    chk.count(ncols, "ncols");
    if (ncols > 0) chk.array(colind, "colind");
    checkIndices(chk, ncols, colind, p.store->ncols(), "column", "colind");
    for (int k = 0; branch && k < ncols; ++k)
      if (branch[k] != 0 && branch[k] != 1)
        chk.fail(formatText("branch %d at position %d is not 0 (down first) or 1 (up first)",
                            branch[k], k));
    for (int k = 0; k < ncols; ++k)
      p.store->directives[colind[k]].branch = !branch || branch[k] == 1 ? 'U' : 'D';
    return QRVA_OK;
  });
}

int QRVAloadsecurevecs(QRVAprob prob, int nrows, int ncols, const int rowind[],
                       const int colind[]) {
  return qrva::withProblem(prob, "QRVAloadsecurevecs", [&](P &p) {
    Check chk("QRVAloadsecurevecs");
    // A count of -1 comes with a NULL array: no rows (columns) of that kind.
    if ((nrows == -1 && rowind) || (ncols == -1 && colind))
      chk.fail("a count of -1 needs a NULL array");
    std::set<int> rows = rowSet(chk, p, nrows == -1 ? 0 : nrows, rowind, "rowind");
    chk.count(ncols == -1 ? 0 : ncols, "ncols");
    if (ncols > 0) chk.array(colind, "colind");
    checkIndices(chk, ncols, colind, p.store->ncols(), "column", "colind");
    std::set<int> cols(colind, colind + std::max(ncols, 0));
    p.store->secureRows = std::move(rows);
    p.store->secureCols = std::move(cols);
    return QRVA_OK;
  });
}

int QRVAloaddelayedrows(QRVAprob prob, int nrows, const int rowind[]) {
  return qrva::withProblem(prob, "QRVAloaddelayedrows", [&](P &p) {
    Check chk("QRVAloaddelayedrows");
    std::set<int> rows = rowSet(chk, p, nrows, rowind, "rowind");
    checkDisjoint(chk, p, rows, p.store->modelCuts, "model cuts");
    p.store->delayedRows = std::move(rows);
    return QRVA_OK;
  });
}

int QRVAloadmodelcuts(QRVAprob prob, int nrows, const int rowind[]) {
  return qrva::withProblem(prob, "QRVAloadmodelcuts", [&](P &p) {
    Check chk("QRVAloadmodelcuts");
    std::set<int> rows = rowSet(chk, p, nrows, rowind, "rowind");
    checkDisjoint(chk, p, rows, p.store->delayedRows, "delayed rows");
    p.store->modelCuts = std::move(rows);
    return QRVA_OK;
  });
}

int QRVAwritedirs(QRVAprob prob, const char *filename) {
  return qrva::withProblem(prob, "QRVAwritedirs", [&](P &p) {
    Check chk("QRVAwritedirs");
    namedFile(chk, filename);
    std::string path = qrva::auxiliaryFile(chk, p, filename, ".dir");
    qrva::writeWholeFile(chk, path, directiveFileText(p, chk));
    return QRVA_OK;
  });
}

int QRVAreaddirs(QRVAprob prob, const char *filename) {
  return qrva::withProblem(prob, "QRVAreaddirs", [&](P &p) {
    Check chk("QRVAreaddirs");
    namedFile(chk, filename);
    std::string path = qrva::auxiliaryFile(chk, p, filename, ".dir");
    p.store->directives = readDirectiveText(chk, p, path, qrva::readWholeFile(chk, path));
    return QRVA_OK;
  });
}

}  // extern "C"
