// Problem files in MPS form: written free-format (names without spaces),
// read free- or fixed-format as whitespace-separated fields. Sections:
// NAME, OBJSENSE, ROWS, COLUMNS (integer markers), RHS (the objective row's
// entry is minus the objective constant), RANGES, BOUNDS (UP LO FX FR MI PL
// BV LI UI SC SI), QUADOBJ (one triangle, objective 1/2 x'Qx), QCMATRIX
// (both triangles, row x'Qx), SOS (S1/S2 with weights), INDICATORS.
#include <cmath>
#include <sstream>
#include <unordered_map>

#include "io/problem_files.h"
#include "core/text.h"

namespace qrva {
namespace {

const double kInf = kFileInfinity;

std::string num(double v) { return numberText(v); }

}  // namespace

bool isMpsName(const std::string &name) {
  if (name.empty()) return false;
  for (unsigned char c : name)
    if (c <= ' ' || c == 127) return false;
  return true;
}

void writeMps(const ProblemStore &s, const std::string &name, const Check &chk,
              std::ostream &out, const MpsWriteOptions &options) {
  int n = s.ncols(), m = s.nrows();
  checkWritableColumns(s, chk, "MPS");
  std::vector<std::string> rowName = namesForFile(s.rowNames, m, chk, "row", "MPS", isMpsName);
  std::vector<std::string> colName = namesForFile(s.colNames, n, chk, "column", "MPS", isMpsName);
  std::vector<std::string> setName =
      namesForFile(s.setNames, s.sets.size(), chk, "set", "MPS", isMpsName);
  for (const std::string &r : rowName)
    if (r == "__OBJ___") chk.fail("the row name '__OBJ___' is the objective's in an MPS file");
  out << "NAME " << (isMpsName(name) ? name : "noname") << "\n";
  int sense = options.objSense != 0 ? options.objSense : s.objSense;
  if (sense == -1) out << "OBJSENSE\n    MAX\n";
  out << "ROWS\n N  __OBJ___\n";
  for (int i = 0; i < m; ++i) {
    char t = s.rowType[i] == 'R' ? (s.range[i] == 0 ? 'E' : 'L') : s.rowType[i];
    out << " " << t << "  " << rowName[i] << "\n";
  }
  out << "COLUMNS\n";
  bool inInt = false;
  int marker = 0;
  for (int j = 0; j < n; ++j) {
    bool integral = s.colType[j] == 'I' || s.colType[j] == 'B';
    if (integral != inInt) {
      out << "    MARKER" << marker++ << " 'MARKER' " << (integral ? "'INTORG'" : "'INTEND'")
          << "\n";
      inInt = integral;
    }
    std::string c = colName[j];
    out << "    " << c << " __OBJ___ " << num(s.obj[j]) << "\n";
    for (const auto &e : s.columns[j])
      out << "    " << c << " " << rowName[e.index] << " " << num(e.value) << "\n";
  }
  if (inInt) out << "    MARKER" << marker << " 'MARKER' 'INTEND'\n";
  out << "RHS\n";
  if (s.objConstant != 0) out << "    RHS __OBJ___ " << num(-s.objConstant) << "\n";
  for (int i = 0; i < m; ++i)
    if (s.rhs[i] != 0 && s.rowType[i] != 'N')
      out << "    RHS " << rowName[i] << " " << num(s.rhs[i]) << "\n";
  bool anyRange = false;
  for (int i = 0; i < m; ++i)
    if (s.rowType[i] == 'R' && s.range[i] != 0) {
      if (!anyRange) out << "RANGES\n", anyRange = true;
      // An L row with range r: rhs - r <= a'x <= rhs.
      out << "    RNG " << rowName[i] << " " << num(s.range[i]) << "\n";
    }
  out << "BOUNDS\n";
  for (int j = 0; j < n; ++j) {
    std::string c = " BND " + colName[j] + " ";
    double lb = s.lb[j], ub = s.ub[j];
    char t = s.colType[j];
    if (t == 'B' && lb == 0 && ub == 1) {
      out << " BV" << c << "1\n";
      continue;
    }
    if (t == 'S' || t == 'R') {
      // Threshold in the lower bound, upper bound as SC/SI.
      double threshold = s.limit[j] > 0 ? s.limit[j] : lb;
      if (threshold != 0) out << " LO" << c << num(threshold) << "\n";
      out << (t == 'S' ? " SC" : " SI") << c << num(ub >= kInf ? kInf : ub) << "\n";
      continue;
    }
    if (lb <= -kInf && ub >= kInf) {
      out << " FR" << c << "\n";
      continue;
    }
    if (lb == ub) {
      out << " FX" << c << num(lb) << "\n";
      continue;
    }
    if (lb <= -kInf) out << " MI" << c << "\n";
    else if (lb != 0) out << (t == 'I' ? " LI" : " LO") << c << num(lb) << "\n";
    if (ub < kInf) out << (t == 'I' ? " UI" : " UP") << c << num(ub) << "\n";
  }
  if (!s.qobj.empty()) {
    out << "QUADOBJ\n";
    for (const auto &t : s.qobj)
      out << "    " << colName[t.first.first] << " " << colName[t.first.second]
          << " " << num(t.second) << "\n";
  }
  for (const auto &r : s.qrows) {
    out << "QCMATRIX " << rowName[r.first] << "\n";
    for (const auto &t : r.second) {
      int a = t.first.first, b = t.first.second;
      out << "    " << colName[a] << " " << colName[b] << " " << num(t.second)
          << "\n";
      if (a != b)
        out << "    " << colName[b] << " " << colName[a] << " " << num(t.second)
            << "\n";
    }
  }
  if (!s.sets.empty()) {
    out << "SOS\n";
    for (size_t k = 0; k < s.sets.size(); ++k) {
      out << " S" << s.sets[k].type << " SOS " << setName[k] << "\n";
      for (size_t e = 0; e < s.sets[k].cols.size(); ++e)
        out << "    " << colName[s.sets[k].cols[e]] << " " << num(s.sets[k].weights[e])
            << "\n";
    }
  }
  bool anyIndicator = false;
  for (int i = 0; i < m; ++i)
    if (s.indicatorCol[i] >= 0) {
      if (!anyIndicator) out << "INDICATORS\n", anyIndicator = true;
      out << " IF " << rowName[i] << " " << colName[s.indicatorCol[i]] << " "
          << (s.indicatorComp[i] == 1 ? 1 : 0) << "\n";
    }
  if (options.endData) out << "ENDATA\n";
}

namespace {

double parseNumber(const Check &chk, const std::string &text, int line) {
  char *end = nullptr;
  double v = std::strtod(text.c_str(), &end);
  if (end == text.c_str() || *end != '\0' || std::isnan(v))
    chk.fail(formatText("line %d: %s is not a number", line, quoted(text.c_str()).c_str()));
  if (v >= kInf) v = kInf;
  if (v <= -kInf) v = -kInf;
  return v;
}

// Splits line into whitespace-separated fields, reusing the strings of fields.
void splitFields(const std::string &line, std::vector<std::string> &fields) {
  size_t count = 0, i = 0, n = line.size();
  while (true) {
    while (i < n && (line[i] == ' ' || line[i] == '\t')) ++i;
    if (i >= n) break;
    size_t start = i;
    while (i < n && line[i] != ' ' && line[i] != '\t') ++i;
    if (count == fields.size()) fields.emplace_back();
    fields[count++].assign(line, start, i - start);
  }
  fields.resize(count);
}

}  // namespace

std::unique_ptr<ProblemStore> readMps(const Check &chk, std::istream &in, std::string &name) {
  auto store = std::make_unique<ProblemStore>();
  ProblemStore &s = *store;
  std::unordered_map<std::string, int> rows, cols;
  std::string objName, section, line, qcRow;
  bool integral = false;
  int lineNo = 0, currentSet = -1;
  auto row = [&](const std::string &r, int ln) -> int {
    auto it = rows.find(r);
    if (it == rows.end()) chk.fail(formatText("line %d: unknown row %s", ln, quoted(r.c_str()).c_str()));
    return it->second;
  };
  auto col = [&](const std::string &c, int ln) -> int {
    auto it = cols.find(c);
    if (it == cols.end()) chk.fail(formatText("line %d: unknown column %s", ln, quoted(c.c_str()).c_str()));
    return it->second;
  };
  std::vector<char> boundSeen;
  bool rowsSeen = false;
  std::vector<std::string> f;  // the fields of a line, reused (no allocation per line)
  while (std::getline(in, line)) {
    ++lineNo;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == '*') continue;
    splitFields(line, f);
    if (f.empty()) continue;
    if (line[0] != ' ' && line[0] != '\t') {
      section = f[0];
      rowsSeen = rowsSeen || section == "ROWS";
      if (section == "NAME") name = f.size() > 1 ? f[1] : "";
      else if (section == "OBJSENSE" && f.size() > 1) s.objSense = f[1] == "MAX" || f[1] == "MAXIMIZE" ? -1 : 1;
      else if (section == "QCMATRIX") {
        if (f.size() < 2) chk.fail(formatText("line %d: QCMATRIX names no row", lineNo));
        qcRow = f[1];
      } else if (section == "ENDATA") break;
      else if (section != "ROWS" && section != "COLUMNS" && section != "RHS" && section != "RANGES" &&
               section != "BOUNDS" && section != "QUADOBJ" && section != "QMATRIX" && section != "SOS" &&
               section != "INDICATORS" && section != "OBJSENSE" && section != "OBJSENSE")
        chk.fail(formatText("line %d: unknown section %s", lineNo, quoted(section.c_str()).c_str()));
      continue;
    }
    if (section == "OBJSENSE") {
      s.objSense = f[0] == "MAX" || f[0] == "MAXIMIZE" ? -1 : 1;
    } else if (section == "ROWS") {
      if (f.size() < 2) chk.fail(formatText("line %d: a row needs a type and a name", lineNo));
      char t = f[0][0];
      if (t == 'N' && objName.empty()) {
        objName = f[1];
        continue;
      }
      chk.rowType(t, "row type", lineNo);
      double zero = 0;
      rows[f[1]] = s.nrows();
      s.appendRows(1, &t, &zero, &zero);
      s.rowNames.set(s.nrows() - 1, f[1]);
    } else if (section == "COLUMNS") {
      if (f.size() >= 3 && f[1] == "'MARKER'") {
        integral = f[2] == "'INTORG'";
        continue;
      }
      if (f.size() < 3 || f.size() % 2 == 0)
        chk.fail(formatText("line %d: a column line needs a column and row/value pairs", lineNo));
      auto it = cols.find(f[0]);
      int j;
      if (it == cols.end()) {
        double zero = 0, inf = kInf;
        j = s.ncols();
        cols[f[0]] = j;
        s.appendCols(1, &zero, &zero, &inf);
        s.colNames.set(j, f[0]);
        boundSeen.push_back(0);
        if (integral) s.colType[j] = 'I';
      } else {
        j = it->second;
      }
      for (size_t k = 1; k + 1 < f.size(); k += 2) {
        double v = parseNumber(chk, f[k + 1], lineNo);
        if (f[k] == objName) s.obj[j] += v;
        else s.addToElement(row(f[k], lineNo), j, v);
      }
    } else if (section == "RHS" || section == "RANGES") {
      size_t k0 = f.size() % 2 == 1 ? 1 : 0;  // the vector name is optional
      for (size_t k = k0; k + 1 < f.size(); k += 2) {
        double v = parseNumber(chk, f[k + 1], lineNo);
        if (section == "RHS") {
          if (f[k] == objName) s.objConstant = -v;
          else s.rhs[row(f[k], lineNo)] = v;
        } else {
          int i = row(f[k], lineNo);
          char t = s.rowType[i];
          double r = std::fabs(v);
          if (t == 'E') {
            if (v < 0) s.rhs[i] += 0;  // rhs + v <= a'x <= rhs
            else s.rhs[i] += r;        // rhs <= a'x <= rhs + |v|
          } else if (t == 'G') {
            s.rhs[i] += r;
          }
          s.rowType[i] = t == 'N' ? 'N' : 'R';
          s.range[i] = r;
        }
      }
    } else if (section == "BOUNDS") {
      std::string t = f[0];
      bool noValue = t == "FR" || t == "MI" || t == "PL" || t == "BV";
      if (f.size() < (noValue ? 2u : 3u)) chk.fail(formatText("line %d: incomplete bound", lineNo));
      // The bound vector name is optional.
      size_t ci = (noValue ? f.size() >= 3 : f.size() >= 4) ? 2 : 1;
      int j = col(f[ci], lineNo);
      double v = noValue ? 0.0 : parseNumber(chk, f[ci + 1], lineNo);
      if (t == "UP" || t == "UI") {
        s.ub[j] = v;
        if (v < 0 && s.lb[j] == 0 && !boundSeen[j]) s.lb[j] = -kInf;
        if (t == "UI") s.colType[j] = 'I';
      } else if (t == "LO" || t == "LI") {
        s.lb[j] = v;
        if (t == "LI") s.colType[j] = 'I';
      } else if (t == "FX") s.lb[j] = s.ub[j] = v;
      else if (t == "FR") s.lb[j] = -kInf, s.ub[j] = kInf;
      else if (t == "MI") s.lb[j] = -kInf;
      else if (t == "PL") s.ub[j] = kInf;
      else if (t == "BV") s.colType[j] = 'B', s.lb[j] = 0, s.ub[j] = 1;
      else if (t == "SC" || t == "SI") {
        s.colType[j] = t == "SC" ? 'S' : 'R';
        s.limit[j] = s.lb[j] > 0 ? s.lb[j] : 0;
        s.lb[j] = 0;
        s.ub[j] = v;
      } else chk.fail(formatText("line %d: unknown bound type %s", lineNo, quoted(t.c_str()).c_str()));
      boundSeen[j] = 1;
    } else if (section == "QUADOBJ" || section == "QMATRIX" || section == "QCMATRIX") {
      if (f.size() < 3) chk.fail(formatText("line %d: a quadratic term needs two columns and a value", lineNo));
      int a = col(f[0], lineNo), b = col(f[1], lineNo);
      double v = parseNumber(chk, f[2], lineNo);
      if (section != "QUADOBJ" && a != b) v /= 2;  // both triangles are listed
      if (section == "QUADOBJ" || section == "QMATRIX") {
        if ((s.qobj[quadKey(a, b)] += v) == 0) s.qobj.erase(quadKey(a, b));
      } else {
        s.qrows[row(qcRow, lineNo)][quadKey(a, b)] += v;
      }
    } else if (section == "SOS") {
      if (f[0] == "S1" || f[0] == "S2") {
        SosSet set;
        set.type = f[0][1];
        s.sets.push_back(set);
        s.setNames.resize(s.sets.size());
        currentSet = static_cast<int>(s.sets.size()) - 1;
        if (f.size() >= 3) s.setNames.set(currentSet, f[2]);
        else if (f.size() == 2) s.setNames.set(currentSet, f[1]);
      } else {
        if (currentSet < 0 || f.size() < 2) chk.fail(formatText("line %d: a set member outside a set", lineNo));
        s.sets[currentSet].cols.push_back(col(f[0], lineNo));
        s.sets[currentSet].weights.push_back(parseNumber(chk, f[1], lineNo));
      }
    } else if (section == "INDICATORS") {
      if (f.size() < 4 || f[0] != "IF") chk.fail(formatText("line %d: an indicator is IF row column value", lineNo));
      int i = row(f[1], lineNo), j = col(f[2], lineNo);
      if (s.colType[j] != 'B') s.colType[j] = 'B', s.lb[j] = std::max(0.0, s.lb[j]), s.ub[j] = std::min(1.0, s.ub[j]);
      s.indicatorCol[i] = j;
      s.indicatorComp[i] = parseNumber(chk, f[3], lineNo) == 1 ? 1 : -1;
    }
  }
  // An empty file, or one of blank lines and comments, is no problem at all.
  if (section.empty()) chk.fail("the file holds no MPS sections (NAME, ROWS, COLUMNS, ...)");
  // Every writer names at least the objective row; a file without ROWS is
  // not a model, however it ends.
  if (!rowsSeen) chk.fail("the file has no ROWS section");
  for (auto it = s.qrows.begin(); it != s.qrows.end();) it = it->second.empty() ? s.qrows.erase(it) : std::next(it);
  return store;
}

}  // namespace qrva
