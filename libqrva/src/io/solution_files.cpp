#include "io/solution_files.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <sstream>

#include "highs/results.h"
#include "io/binary.h"
#include "io/problem_files.h"

namespace qrva {

void checkFlags(const Check &chk, const char *flags, const char *allowed) {
  for (const char *f = flags; f && *f; ++f)
    if (!std::strchr(allowed, *f))
      chk.fail(formatText("flag %s in %s is not one this function knows%s%s",
                          Check::charText(*f).c_str(), quoted(flags).c_str(),
                          *allowed ? "; it takes " : " (it takes none)", allowed));
}

namespace {

bool isFree(const ProblemStore &s, int j) {
  return s.lb[j] <= -kFileInfinity && s.ub[j] >= kFileInfinity;
}

// Whitespace-separated fields of the lines of a text file, with the line
// number for errors; '*' starts a comment line.
struct TextLines {
  const Check &chk;
  std::string path;
  std::istringstream in;
  int number = 0;
  std::vector<std::string> fields;

  TextLines(const Check &c, const std::string &p, const std::string &text)
      : chk(c), path(quoted(p.c_str())), in(text) {}
  bool next() {
    std::string line;
    while (std::getline(in, line)) {
      ++number;
      std::istringstream words(line);
      fields.clear();
      for (std::string w; words >> w;) fields.push_back(w);
      if (!fields.empty() && fields[0][0] != '*') return true;
    }
    return false;
  }
  [[noreturn]] void fail(const std::string &what) const {
    chk.fail(formatText("%s line %d: %s", path.c_str(), number, what.c_str()));
  }
  [[noreturn]] void truncated() const {
    chk.fail(formatText("%s ends before ENDATA (the file is truncated)", path.c_str()));
  }
  int index(const NameTable &names, const std::string &name, const char *kind) const {
    int i = names.find(name);
    if (i < 0) fail(formatText("no %s is called %s", kind, quoted(name.c_str()).c_str()));
    return i;
  }
};

}  // namespace

// --- the MPS basis file -------------------------------------------------------------
//
// Deviations from the slack basis (rows basic, columns at their lower bound):
// XU col row: the column is basic and the row leaves at its upper limit;
// XL col row: the same with the row at its lower limit; UL col: the column is
// at its upper bound; LL col: at its lower bound (free columns: at zero).

std::string basisFileText(const qrva_problem_s &p, const Check &chk) {
  const ProblemStore &s = *p.store;
  int m = s.nrows(), n = s.ncols();
  if (!p.basis.known || static_cast<int>(p.basis.rows.size()) != m ||
      static_cast<int>(p.basis.cols.size()) != n)
    chk.fail("no basis is available; solve the LP or load a basis first", QRVA_ERR_STATE);
  std::vector<std::string> rowName = namesForFile(s.rowNames, m, chk, "row", "MPS", isMpsName);
  std::vector<std::string> colName = namesForFile(s.colNames, n, chk, "column", "MPS", isMpsName);
  std::vector<int> basicCols, leavingRows;
  for (int j = 0; j < n; ++j)
    if (p.basis.cols[j] == 1) basicCols.push_back(j);
  for (int i = 0; i < m; ++i)
    if (p.basis.rows[i] != 1) leavingRows.push_back(i);
  if (basicCols.size() != leavingRows.size())
    chk.fail(formatText("the basis has %zu basic columns but %zu non-basic rows; it is not a "
                        "basis the format can hold",
                        basicCols.size(), leavingRows.size()),
             QRVA_ERR_STATE);
  std::ostringstream out;
  out << "NAME          " << p.name << "\n";
  for (size_t k = 0; k < basicCols.size(); ++k)
    out << (p.basis.rows[leavingRows[k]] == 2 ? " XU " : " XL ") << colName[basicCols[k]] << ' '
        << rowName[leavingRows[k]] << "\n";
  for (int j = 0; j < n; ++j) {
    if (p.basis.cols[j] == 2) out << " UL " << colName[j] << "\n";
    if (p.basis.cols[j] == 3) out << " LL " << colName[j] << "\n";
  }
  out << "ENDATA\n";
  return out.str();
}

Basis readBasisFile(const qrva_problem_s &p, const Check &chk, const std::string &path,
                    const std::string &text) {
  const ProblemStore &s = *p.store;
  int m = s.nrows(), n = s.ncols();
  Basis b;
  b.rows.assign(m, 1);
  b.cols.assign(n, 0);
  for (int j = 0; j < n; ++j)
    if (isFree(s, j)) b.cols[j] = 3;
  std::vector<char> colSeen(n, 0), rowSeen(m, 0);
  TextLines lines(chk, path, text);
  bool ended = false;
  while (!ended && lines.next()) {
    const auto &f = lines.fields;
    if (f[0] == "NAME") continue;
    if (f[0] == "ENDATA") {
      ended = true;
      continue;
    }
    bool pair = f[0] == "XU" || f[0] == "XL";
    if (!pair && f[0] != "UL" && f[0] != "LL")
      lines.fail(formatText("record %s is not one of XU XL UL LL", quoted(f[0].c_str()).c_str()));
    if (f.size() != (pair ? 3u : 2u))
      lines.fail(formatText("a %s record has %s", f[0].c_str(),
                            pair ? "a column and a row" : "one column"));
    int j = lines.index(s.colNames, f[1], "column");
    if (colSeen[j]++) lines.fail(formatText("column %s has a second record", f[1].c_str()));
    if (pair) {
      int i = lines.index(s.rowNames, f[2], "row");
      if (rowSeen[i]++) lines.fail(formatText("row %s leaves the basis twice", f[2].c_str()));
      b.cols[j] = 1;
      b.rows[i] = f[0] == "XU" ? 2 : 0;
    } else {
      b.cols[j] = f[0] == "UL" ? 2 : (isFree(s, j) ? 3 : 0);
    }
  }
  if (!ended) lines.truncated();
  b.known = true;
  return b;
}

// --- solution reports ---------------------------------------------------------------

const Solution &solutionToWrite(const qrva_problem_s &p, const Check &chk) {
  const Solution &sol = p.solution;
  if ((!sol.hasLp && !sol.hasMip) || static_cast<int>(sol.x.size()) != p.store->ncols() ||
      static_cast<int>(sol.slack.size()) != p.store->nrows())
    chk.fail("no solution is available; solve the problem first", QRVA_ERR_STATE);
  return sol;
}

std::string csvField(const std::string &text) {
  if (text.find_first_of(",\"\n\r") == std::string::npos) return text;
  std::string out = "\"";
  for (char c : text) out += c == '"' ? std::string("\"\"") : std::string(1, c);
  return out + "\"";
}

namespace {

std::string valueAt(const std::vector<double> &v, int i) {
  return i < static_cast<int>(v.size()) ? numberText(v[i]) : std::string();
}

std::string statusLine(const qrva_problem_s &p) {
  const Solution &sol = p.solution;
  if (sol.hasMip)
    return formatText("MIP %s, objective %s", mipStatusName(p.solve.mipStatus),
                      numberText(p.solve.mipObjective).c_str());
  return formatText("LP %s, objective %s", lpStatusName(p.solve.lpStatus),
                    numberText(p.solve.lpObjective).c_str());
}

}  // namespace

// Rows, then columns: kind (R or C), index, name, value (the activity of a
// row), slack (rows only), dual value of a row or reduced cost of a column
// (empty for a MIP solution, which has none).
std::string csvSolutionText(const qrva_problem_s &p, const Check &chk) {
  const Solution &sol = solutionToWrite(p, chk);
  return csvSolutionLines(*p.store, sol.x, sol.slack, sol.dual, sol.dj);
}

std::string csvSolutionLines(const ProblemStore &s, const std::vector<double> &x,
                            const std::vector<double> &slack, const std::vector<double> &dual,
                            const std::vector<double> &dj) {
  std::ostringstream out;
  out << "kind,index,name,value,slack,dual\n";
  for (int i = 0; i < s.nrows(); ++i)
    out << "R," << i << ',' << csvField(s.rowNames.get(i)) << ','
        << numberText(s.rhs[i] - slack[i]) << ',' << numberText(slack[i]) << ','
        << valueAt(dual, i) << "\n";
  for (int j = 0; j < s.ncols(); ++j)
    out << "C," << j << ',' << csvField(s.colNames.get(j)) << ',' << numberText(x[j]) << ",,"
        << valueAt(dj, j) << "\n";
  return out.str();
}

std::string printedSolutionText(const qrva_problem_s &p, const Check &chk) {
  const Solution &sol = solutionToWrite(p, chk);
  const ProblemStore &s = *p.store;
  std::ostringstream out;
  out << "Problem    " << p.name << "\n"
      << "Solution   " << statusLine(p) << "\n"
      << "Rows       " << s.nrows() << "\nColumns    " << s.ncols() << "\n\n";
  auto line = [&](int index, const std::string &name, char type, const std::string &a,
                  const std::string &b, const std::string &c) {
    out << formatText("%7d  %-16s %c  %22s %22s %22s\n", index, name.c_str(), type, a.c_str(),
                      b.c_str(), c.c_str());
  };
  out << formatText("%7s  %-16s %s  %22s %22s %22s\n", "Row", "Name", "T", "Activity", "Slack",
                    "Dual value");
  for (int i = 0; i < s.nrows(); ++i)
    line(i, s.rowNames.get(i), s.rowType[i], numberText(s.rhs[i] - sol.slack[i]),
         numberText(sol.slack[i]), valueAt(sol.dual, i));
  out << "\n"
      << formatText("%7s  %-16s %s  %22s %22s %22s\n", "Column", "Name", "T", "Value",
                    "Lower bound", "Reduced cost");
  for (int j = 0; j < s.ncols(); ++j)
    line(j, s.colNames.get(j), s.colType[j], numberText(sol.x[j]), numberText(s.lb[j]),
         valueAt(sol.dj, j));
  return out.str();
}

// --- the text solution file ---------------------------------------------------------
//
// NAME <problem>, then "C <column> <value>" for every column, then ENDATA.

std::string slxSolutionText(const qrva_problem_s &p, const Check &chk) {
  const Solution &sol = solutionToWrite(p, chk);
  const ProblemStore &s = *p.store;
  std::vector<std::string> colName =
      namesForFile(s.colNames, s.ncols(), chk, "column", "solution", isMpsName);
  std::ostringstream out;
  out << "NAME " << p.name << "\n";
  for (int j = 0; j < s.ncols(); ++j) out << "C " << colName[j] << ' ' << numberText(sol.x[j]) << "\n";
  out << "ENDATA\n";
  return out.str();
}

MipStart readSlxSolution(const qrva_problem_s &p, const Check &chk, const std::string &path,
                         const std::string &text) {
  const ProblemStore &s = *p.store;
  MipStart start;
  std::vector<char> seen(s.ncols(), 0);
  TextLines lines(chk, path, text);
  bool ended = false;
  while (!ended && lines.next()) {
    const auto &f = lines.fields;
    if (f[0] == "NAME") {
      if (f.size() > 1) start.name = f[1];
      continue;
    }
    if (f[0] == "ENDATA") {
      ended = true;
      continue;
    }
    if (f[0] != "C" || f.size() != 3) lines.fail("expected a line C <column> <value>");
    int j = lines.index(s.colNames, f[1], "column");
    if (seen[j]++) lines.fail(formatText("column %s has a second value", f[1].c_str()));
    char *end = nullptr;
    double v = std::strtod(f[2].c_str(), &end);
    if (*end != '\0' || !std::isfinite(v))
      lines.fail(formatText("value %s is not a finite number", quoted(f[2].c_str()).c_str()));
    start.cols.push_back(j), start.values.push_back(v);
  }
  if (!ended) lines.truncated();
  return start;
}

// --- the binary solution file -------------------------------------------------------

namespace {
const char kSolutionMagic[8] = {'Q', 'R', 'V', 'A', 'S', 'O', 'L', '\n'};
const uint32_t kSolutionVersion = 1;
}  // namespace

// Magic, version, rows, columns, which solutions (1 LP, 2 MIP), LP and MIP
// statuses and objectives, then x, slack, dual and dj as sized vectors.
std::string binarySolutionBytes(const qrva_problem_s &p, const Check &chk) {
  const Solution &sol = solutionToWrite(p, chk);
  ByteWriter w;
  for (char c : kSolutionMagic) w.put(c);
  w.put(kSolutionVersion);
  w.put<int32_t>(p.store->nrows()), w.put<int32_t>(p.store->ncols());
  w.put<int32_t>((sol.hasLp ? 1 : 0) | (sol.hasMip ? 2 : 0));
  w.put<int32_t>(p.solve.lpStatus), w.put<int32_t>(p.solve.mipStatus);
  w.put(p.solve.lpObjective), w.put(p.solve.mipObjective);
  w.putVector(sol.x), w.putVector(sol.slack), w.putVector(sol.dual), w.putVector(sol.dj);
  return w.finish();
}

BinarySolution readBinarySolution(const qrva_problem_s &p, const Check &chk,
                                  const std::string &path, const std::string &bytes) {
  std::string where = quoted(path.c_str());
  if (bytes.size() < sizeof kSolutionMagic ||
      std::memcmp(bytes.data(), kSolutionMagic, sizeof kSolutionMagic) != 0)
    chk.fail(formatText("%s is not a binary solution file", where.c_str()));
  ByteReader r(chk, where, bytes);
  for (size_t k = 0; k < sizeof kSolutionMagic; ++k) r.get<char>();
  uint32_t version = r.get<uint32_t>();
  if (version != kSolutionVersion)
    chk.fail(formatText("%s is a binary solution file of version %u; this library reads "
                        "version %u",
                        where.c_str(), version, kSolutionVersion));
  int rows = r.get<int32_t>(), cols = r.get<int32_t>();
  if (rows != p.store->nrows() || cols != p.store->ncols())
    chk.fail(formatText("%s holds a solution of %d rows and %d columns; the problem has %d "
                        "rows and %d columns",
                        where.c_str(), rows, cols, p.store->nrows(), p.store->ncols()));
  BinarySolution b;
  int kinds = r.get<int32_t>();
  b.solution.hasLp = kinds & 1, b.solution.hasMip = (kinds & 2) != 0;
  b.lpStatus = r.get<int32_t>(), b.mipStatus = r.get<int32_t>();
  b.lpObjective = r.get<double>(), b.mipObjective = r.get<double>();
  b.solution.x = r.getVector<double>(cols);
  b.solution.slack = r.getVector<double>(rows);
  b.solution.dual = r.getVector<double>();
  b.solution.dj = r.getVector<double>();
  r.end();
  if ((!b.solution.dual.empty() && static_cast<int>(b.solution.dual.size()) != rows) ||
      (!b.solution.dj.empty() && static_cast<int>(b.solution.dj.size()) != cols) ||
      (kinds & ~3) != 0 || kinds == 0)
    chk.fail(formatText("%s is damaged: its contents do not fit its sizes", where.c_str()));
  // A solution without duals reads as one with zero duals, as a MIP solve leaves it.
  if (b.solution.dual.empty()) b.solution.dual.assign(rows, 0.0);
  if (b.solution.dj.empty()) b.solution.dj.assign(cols, 0.0);
  return b;
}

}  // namespace qrva
