// Whole SLP problems: copying one, and problem files with formulas.
//
// A problem with nonlinear content is written as an MPS file of its
// optimizer problem with more sections before ENDATA:
//   USERFUNCS   one user function a line: name, flags
//   NLCOEFS     one formula coefficient a line: row, column (left out for a
//               formula standing on its own), factor, ':' and the formula as
//               text (slp/formula_text.h), with columns and user functions
//               by name
//   SLPVARS     SLP settings of a column: the column, then keyword / value
//               pairs IV (initial value), SB (initial step bound), DR
//               (determining row), TS (tolerance set), VT (type), PN
//               (penalty), DP (damping), DT / DV (delta type and its value),
//               CL (cascade pass limit)
//   SLPROWS     SLP settings of a row: the row, then ST (status bits) and
//               WT (penalty weight)
//   SLPDFS      one derivative factor a line: column, row, factor
// The objective sense written is the one the nonlinear solve uses (control
// slpobjsense); reading such a file sets that control from the file again.
// A problem without formula coefficients and SLP settings is written and
// read exactly as QRVAwriteprob / QRVAreadprob do.
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <map>
#include <sstream>
#include <unordered_map>

#include "io/problem_files.h"
#include "slp/formula_text.h"
#include "slp/problem.h"
#include "slp/solver.h"

using qrva::Check;
using qrva::formatText;
using S = qslp_problem_s;

namespace {

const char *const kUserFunctionsSection = "USERFUNCS";
const char *const kCoefficientsSection = "NLCOEFS";
const char *const kVariablesSection = "SLPVARS";
const char *const kRowsSection = "SLPROWS";
const char *const kFactorsSection = "SLPDFS";
const char *const kFormulaMark = ":";

bool isSlpSection(const std::string &name) {
  return name == kUserFunctionsSection || name == kCoefficientsSection ||
         name == kVariablesSection || name == kRowsSection || name == kFactorsSection;
}

bool isDefault(const qrva::SlpRow &r) {
  const qrva::SlpRow defaults;
  return r.status == defaults.status && r.weight == defaults.weight;
}

bool hasRowSettings(const qrva::SlpStore &nl) {
  for (const auto &r : nl.rows)
    if (!isDefault(r.second)) return true;
  return false;
}

bool hasNonlinearData(const qrva::SlpStore &nl) {
  return !nl.coefficients.empty() || !nl.variables.empty() || hasRowSettings(nl) ||
         !nl.derivativeFactors.empty();
}

qrva::ParamAccess<S> slpAccess(S &s, const char *function) {
  return qrva::ParamAccess<S>(s, qrva::slpCatalog(), function);
}

int slpObjSense(S &s) {
  double sense = 1.0;
  slpAccess(s, "QSLPwriteprob").getDouble(QSLP_SLPOBJSENSE, true, &sense);
  return sense < 0 ? -1 : 1;
}

// --- writing ------------------------------------------------------------------------

void writeSlpSections(const Check &chk, const S &s, const std::vector<std::string> &rowName,
                      const std::vector<std::string> &colName, std::ostream &out) {
  const qrva::SlpStore &nl = *s.store;
  std::vector<std::string> functionName;
  std::map<std::string, int> seen;
  for (size_t k = 0; k < nl.functions.size(); ++k) {
    const std::string &name = nl.functions[k].name;
    if (!qrva::userFunctionNameWritable(name))
      chk.fail(formatText("user function %zu is called %s, which a formula text cannot call "
                          "(a name of letters, digits, '_' and '.' that is no built-in "
                          "function's is needed)",
                          k + 1, qrva::quoted(name.c_str()).c_str()));
    if (!seen.emplace(name, static_cast<int>(k) + 1).second)
      chk.fail(formatText("user functions %d and %zu are both called %s; a file names them "
                          "apart",
                          seen[name], k + 1, qrva::quoted(name.c_str()).c_str()));
    functionName.push_back(name);
  }
  if (!nl.functions.empty()) {
    out << kUserFunctionsSection << "\n";
    for (const auto &f : nl.functions) out << "    " << f.name << " " << f.flags << "\n";
  }
  if (!nl.coefficients.empty()) {
    out << kCoefficientsSection << "\n";
    for (const auto &c : nl.coefficients) {
      int row = c.first.first, col = c.first.second;
      out << "    " << rowName[row];
      if (col >= 0) out << " " << colName[col];
      out << " " << qrva::numberText(c.second.factor) << " " << kFormulaMark << " "
          << qrva::formulaToText(chk, c.second.formula, colName, functionName) << "\n";
    }
  }
  if (!nl.variables.empty()) {
    out << kVariablesSection << "\n";
    for (const auto &entry : nl.variables) {
      const qrva::SlpVariable &v = entry.second;
      const qrva::SlpVariable defaults;
      out << "    " << colName[entry.first];
      if (v.hasInitValue) out << " IV " << qrva::numberText(v.initValue);
      if (v.initStepBound != defaults.initStepBound)
        out << " SB " << qrva::numberText(v.initStepBound);
      if (v.detrow >= 0) out << " DR " << rowName[v.detrow];
      if (v.tolset != defaults.tolset) out << " TS " << v.tolset;
      if (v.vartype != defaults.vartype) out << " VT " << v.vartype;
      if (v.penalty != defaults.penalty) out << " PN " << qrva::numberText(v.penalty);
      if (v.damp != defaults.damp) out << " DP " << qrva::numberText(v.damp);
      if (v.deltaType != defaults.deltaType)
        out << " DT " << v.deltaType << " DV " << qrva::numberText(v.deltaValue);
      if (v.cascadeLimit != defaults.cascadeLimit) out << " CL " << v.cascadeLimit;
      out << "\n";
    }
  }
  if (hasRowSettings(nl)) {
    out << kRowsSection << "\n";
    for (const auto &entry : nl.rows) {
      if (isDefault(entry.second)) continue;
      out << "    " << rowName[entry.first] << " ST " << entry.second.status << " WT "
          << qrva::numberText(entry.second.weight) << "\n";
    }
  }
  if (!nl.derivativeFactors.empty()) {
    out << kFactorsSection << "\n";
    for (const auto &f : nl.derivativeFactors)
      out << "    " << colName[f.first.second] << " " << rowName[f.first.first] << " "
          << qrva::numberText(f.second) << "\n";
  }
}

// --- reading ------------------------------------------------------------------------

// Whitespace-separated fields of a line with where each starts.
struct Field {
  std::string text;
  size_t start;
};

std::vector<Field> fieldsOf(const std::string &line) {
  std::vector<Field> fields;
  size_t i = 0, n = line.size();
  while (true) {
    while (i < n && (line[i] == ' ' || line[i] == '\t')) ++i;
    if (i >= n) break;
    size_t start = i;
    while (i < n && line[i] != ' ' && line[i] != '\t') ++i;
    fields.push_back(Field{line.substr(start, i - start), start});
  }
  return fields;
}

// The nonlinear part of a file, read against the optimizer problem read from
// the same file.
struct SlpFileData {
  std::vector<qrva::UserFunction> newFunctions;  // appended to the problem's own
  std::unordered_map<std::string, int> functionIndex;  // name -> index (1-based)
  std::vector<std::tuple<int, int, double, qrva::Formula>> coefficients;
  std::map<int, qrva::SlpVariable> variables;
  std::map<int, qrva::SlpRow> rows;
  std::map<qrva::CoefficientKey, double> derivativeFactors;
  bool any = false;
};

class SlpSectionReader {
 public:
  SlpSectionReader(const Check &chk, const qrva::ProblemStore &store, const S &s)
      : chk_(chk), store_(store), existing_(s.store->functions) {
    for (size_t k = 0; k < existing_.size(); ++k)
      data_.functionIndex.emplace(existing_[k].name, static_cast<int>(k) + 1);
  }

  [[noreturn]] void fail(int line, const std::string &why) const {
    chk_.fail(formatText("line %d: %s", line, why.c_str()));
  }

  void line(const std::string &section, const std::string &text, int lineNo) {
    std::vector<Field> f = fieldsOf(text);
    if (f.empty()) return;
    data_.any = true;
    if (section == kUserFunctionsSection) userFunction(f, lineNo);
    else if (section == kCoefficientsSection) coefficient(text, f, lineNo);
    else if (section == kRowsSection) rowSettings(f, lineNo);
    else if (section == kFactorsSection) derivativeFactor(f, lineNo);
    else variable(f, lineNo);
  }

  SlpFileData take() { return std::move(data_); }

 private:
  double number(const std::string &text, int lineNo) const {
    char *end = nullptr;
    double v = std::strtod(text.c_str(), &end);
    if (end == text.c_str() || *end != '\0' || !std::isfinite(v))
      fail(lineNo, formatText("%s is not a finite number", qrva::quoted(text.c_str()).c_str()));
    return v;
  }
  int whole(const std::string &text, int lineNo) const {
    double v = number(text, lineNo);
    if (v != std::floor(v) || std::fabs(v) > 2147483647.0)
      fail(lineNo, formatText("%s is not a whole number", qrva::quoted(text.c_str()).c_str()));
    return static_cast<int>(v);
  }
  int row(const std::string &name, int lineNo) const {
    int i = store_.rowNames.find(name);
    if (i < 0) fail(lineNo, formatText("unknown row %s", qrva::quoted(name.c_str()).c_str()));
    return i;
  }
  int col(const std::string &name, int lineNo) const {
    int j = store_.colNames.find(name);
    if (j < 0) fail(lineNo, formatText("unknown column %s", qrva::quoted(name.c_str()).c_str()));
    return j;
  }
  int nfunctions() const {
    return static_cast<int>(existing_.size() + data_.newFunctions.size());
  }

  void userFunction(const std::vector<Field> &f, int lineNo) {
    const std::string &name = f[0].text;
    if (f.size() > 2) fail(lineNo, "a user function line is its name and its flags");
    if (!qrva::userFunctionNameWritable(name))
      fail(lineNo, formatText("%s cannot be a user function's name in a formula (a name of "
                              "letters, digits, '_' and '.' that is no built-in function's "
                              "is needed)",
                              qrva::quoted(name.c_str()).c_str()));
    int flags = f.size() > 1 ? whole(f[1].text, lineNo) : 0;
    if (flags < 0) fail(lineNo, formatText("flags %d of %s are negative", flags, name.c_str()));
    if (declared_.count(name)) fail(lineNo, formatText("user function %s is listed twice", name.c_str()));
    declared_[name] = 1;
    auto known = data_.functionIndex.find(name);
    if (known != data_.functionIndex.end()) {
      // A function the problem already has is used as it is registered.
      const qrva::UserFunction &uf = existing_[known->second - 1];
      if (uf.flags != flags)
        fail(lineNo, formatText("user function %s has flags %d in the file but %d in the "
                                "problem",
                                name.c_str(), flags, uf.flags));
      return;
    }
    qrva::UserFunction uf;
    uf.name = name;
    uf.flags = flags;
    data_.newFunctions.push_back(uf);
    data_.functionIndex[name] = nfunctions();
  }

  void coefficient(const std::string &text, const std::vector<Field> &f, int lineNo) {
    // row [column] factor : formula (the factor is a number, so the mark is
    // the third field exactly when there is no column)
    size_t mark = 0;
    for (size_t k = 2; k < f.size() && k <= 3 && mark == 0; ++k)
      if (f[k].text == kFormulaMark) mark = k;
    if (mark == 0)
      fail(lineNo, "a formula coefficient is: row, column (or none), factor, ':', formula");
    int i = row(f[0].text, lineNo);
    int j = mark == 3 ? col(f[1].text, lineNo) : -1;
    double factor = number(f[mark - 1].text, lineNo);
    size_t begin = text.find_first_not_of(" \t", f[mark].start + 1);
    std::string formulaText = begin == std::string::npos ? std::string() : text.substr(begin);
    qrva::FormulaNameLookup names;
    names.column = [&](const std::string &name) { return store_.colNames.find(name); };
    names.userFunction = [&](const std::string &name) {
      auto it = data_.functionIndex.find(name);
      return it == data_.functionIndex.end() ? -1 : it->second;
    };
    std::string where = formatText("line %d", lineNo);
    qrva::Formula formula = qrva::checkedFormulaFromText(chk_, formulaText, names,
                                                         store_.ncols(), nfunctions(), where);
    data_.coefficients.emplace_back(i, j, factor, std::move(formula));
  }

  void variable(const std::vector<Field> &f, int lineNo) {
    int j = col(f[0].text, lineNo);
    if (f.size() % 2 == 0) fail(lineNo, "SLP settings are a column and keyword / value pairs");
    qrva::SlpVariable &v = data_.variables[j];
    for (size_t k = 1; k + 1 < f.size(); k += 2) {
      const std::string &key = f[k].text, &value = f[k + 1].text;
      if (key == "IV") v.initValue = number(value, lineNo), v.hasInitValue = true;
      else if (key == "SB") {
        v.initStepBound = number(value, lineNo);
        if (v.initStepBound < 0) fail(lineNo, "the initial step bound is negative");
      } else if (key == "DR") v.detrow = row(value, lineNo);
      else if (key == "TS") v.tolset = whole(value, lineNo);
      else if (key == "VT") v.vartype = whole(value, lineNo);
      else if (key == "PN") v.penalty = number(value, lineNo);
      else if (key == "DP") v.damp = number(value, lineNo);
      else if (key == "DT") {
        v.deltaType = whole(value, lineNo);
        if (v.deltaType < QSLP_DELTA_AUTO || v.deltaType > QSLP_DELTA_CAPPED)
          fail(lineNo, formatText("delta type %d is not 0 to 3", v.deltaType));
      } else if (key == "DV") v.deltaValue = number(value, lineNo);
      else if (key == "CL") {
        v.cascadeLimit = whole(value, lineNo);
        if (v.cascadeLimit < 0 || v.cascadeLimit > 1000)
          fail(lineNo, formatText("cascade limit %d is not 0 to 1000", v.cascadeLimit));
      } else fail(lineNo, formatText("unknown SLP setting %s (IV SB DR TS VT PN DP DT DV CL)", qrva::quoted(key.c_str()).c_str()));
    }
    if (v.deltaType != QSLP_DELTA_AUTO && !(v.deltaValue > 0))
      fail(lineNo, formatText("delta type %d needs a positive value (DV)", v.deltaType));
  }

  void rowSettings(const std::vector<Field> &f, int lineNo) {
    int i = row(f[0].text, lineNo);
    if (f.size() % 2 == 0) fail(lineNo, "SLP row settings are a row and keyword / value pairs");
    qrva::SlpRow &r = data_.rows[i];
    for (size_t k = 1; k + 1 < f.size(); k += 2) {
      const std::string &key = f[k].text, &value = f[k + 1].text;
      if (key == "ST") {
        r.status = whole(value, lineNo);
        if (r.status != 0 && r.status != QSLP_ROWSTATUS_ENFORCED && r.status != QSLP_ROWSTATUS_IGNORED)
          fail(lineNo, formatText("row status %d is not 0, %d (enforced) or %d (ignored)", r.status,
                                  QSLP_ROWSTATUS_ENFORCED, QSLP_ROWSTATUS_IGNORED));
      } else if (key == "WT") {
        r.weight = number(value, lineNo);
        if (!(r.weight > 0)) fail(lineNo, "a row's weight is positive");
      } else {
        fail(lineNo, formatText("unknown SLP row setting %s (ST WT)", qrva::quoted(key.c_str()).c_str()));
      }
    }
  }

  void derivativeFactor(const std::vector<Field> &f, int lineNo) {
    if (f.size() != 3) fail(lineNo, "a derivative factor is a column, a row and the factor");
    int j = col(f[0].text, lineNo), i = row(f[1].text, lineNo);
    double value = number(f[2].text, lineNo);
    if (!(value > 0)) fail(lineNo, "a derivative factor is positive");
    data_.derivativeFactors[{i, j}] = value;
  }

  const Check &chk_;
  const qrva::ProblemStore &store_;
  const std::vector<qrva::UserFunction> &existing_;
  std::unordered_map<std::string, int> declared_;
  SlpFileData data_;
};

// Splits an MPS text into the optimizer's part (ended by ENDATA) and the
// lines of the SLP sections (first line number and text).
void splitMpsText(const std::string &all, std::string &optimizerPart,
                  std::vector<std::string> &slpLines, int &firstSlpLine) {
  std::istringstream in(all);
  std::string line;
  int lineNo = 0;
  bool slp = false;
  while (std::getline(in, line)) {
    ++lineNo;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!slp && !line.empty() && line[0] != ' ' && line[0] != '\t' && line[0] != '*') {
      std::vector<Field> f = fieldsOf(line);
      if (!f.empty() && isSlpSection(f[0].text)) slp = true, firstSlpLine = lineNo;
    }
    if (slp) slpLines.push_back(line);
    else optimizerPart += line + "\n";
  }
  if (slp) optimizerPart += "ENDATA\n";
}

SlpFileData readSlpSections(const Check &chk, const std::vector<std::string> &lines,
                            int firstLine, const qrva::ProblemStore &store, const S &s) {
  SlpSectionReader reader(chk, store, s);
  std::string section;
  for (size_t k = 0; k < lines.size(); ++k) {
    const std::string &line = lines[k];
    int lineNo = firstLine + static_cast<int>(k);
    if (line.empty() || line[0] == '*') continue;
    if (line[0] != ' ' && line[0] != '\t') {
      std::vector<Field> f = fieldsOf(line);
      if (f.empty()) continue;
      if (f[0].text == "ENDATA") break;
      if (!isSlpSection(f[0].text))
        reader.fail(lineNo, formatText("section %s comes after the nonlinear sections, where "
                                       "only %s, %s, %s, %s and %s may be",
                                       qrva::quoted(f[0].text.c_str()).c_str(),
                                       kUserFunctionsSection, kCoefficientsSection,
                                       kVariablesSection, kRowsSection, kFactorsSection));
      section = f[0].text;
      continue;
    }
    reader.line(section, line, lineNo);
  }
  return reader.take();
}

}  // namespace

extern "C" {

int QSLPcopyprob(QSLPprob dest, QSLPprob src, const char *probname) {
  if (int rc = qrva::checkHandle(src, "QSLPcopyprob", "SLP problem")) return rc;
  return qrva::withSlp(dest, "QSLPcopyprob", [&](S &s) {
    if (src->qprob == nullptr)
      return s.fail(QRVA_ERR_STATE, "QSLPcopyprob: the optimizer problem under the source SLP "
                                    "problem was destroyed");
    const char *name =
        probname == nullptr || probname[0] == '\0' ? src->qprob->name.c_str() : probname;
    if (int rc = qrva::checkProblemName(*s.qprob, "QSLPcopyprob", "probname", name)) return rc;
    if (&s == src) return QRVA_OK;
    src->restoreLinearPart();
    // Copies first, so that a failure leaves dest as it was.
    auto nonlinear = std::make_unique<qrva::SlpStore>(*src->store);
    nonlinear->solution = qrva::SlpSolution{};
    std::vector<qrva::ParamValue> controls = src->controls;
    s.qprob->copyDataFrom(*src->qprob, name);
    s.store = std::move(nonlinear);
    s.controls = std::move(controls);
    s.state = qrva::SlpState{};
    return QRVA_OK;
  });
}

int QSLPwriteprob(QSLPprob slp, const char *filename, const char *flags) {
  return qrva::withSlp(slp, "QSLPwriteprob", [&](S &s) {
    Check chk("QSLPwriteprob");
    s.restoreLinearPart();
    chk.array(filename, "filename");
    qrva::ProblemFile file = qrva::problemFile(filename, flags);
    const qrva_problem_s &q = *s.qprob;
    std::ostringstream text;
    if (!hasNonlinearData(*s.store)) {
      if (file.lp) qrva::writeLp(*q.store, q.name, chk, text);
      else qrva::writeMps(*q.store, q.name, chk, text);
    } else {
      if (file.lp)
        chk.fail(formatText("the problem has formula coefficients or SLP settings, which only "
                            "the MPS format holds; %s would be an LP file",
                            qrva::quoted(file.path.c_str()).c_str()));
      qrva::MpsWriteOptions options;
      options.objSense = slpObjSense(s);
      options.endData = false;
      qrva::writeMps(*q.store, q.name, chk, text, options);
      const qrva::ProblemStore &st = *q.store;
      std::vector<std::string> rowName =
          qrva::namesForFile(st.rowNames, st.nrows(), chk, "row", "MPS", qrva::isMpsName);
      std::vector<std::string> colName =
          qrva::namesForFile(st.colNames, st.ncols(), chk, "column", "MPS", qrva::isMpsName);
      writeSlpSections(chk, s, rowName, colName, text);
      text << "ENDATA\n";
    }
    qrva::writeWholeFile(chk, file.path, text.str());
    return QRVA_OK;
  });
}

int QSLPreadprob(QSLPprob slp, const char *filename, const char *flags) {
  return qrva::withSlp(slp, "QSLPreadprob", [&](S &s) {
    Check chk("QSLPreadprob");
    chk.array(filename, "filename");
    qrva::ProblemFile file = qrva::problemFileToRead(chk, filename, flags);
    std::string all = qrva::readWholeFile(chk, file.path);
    std::string name, optimizerPart;
    std::vector<std::string> slpLines;
    int firstSlpLine = 0;
    std::unique_ptr<qrva::ProblemStore> store;
    if (file.lp) {
      std::istringstream in(all);
      store = qrva::readLp(chk, in, name);
    } else {
      splitMpsText(all, optimizerPart, slpLines, firstSlpLine);
      std::istringstream in(optimizerPart);
      store = qrva::readMps(chk, in, name);
    }
    SlpFileData data = readSlpSections(chk, slpLines, firstSlpLine, *store, s);
    int sense = store->objSense;
    std::string more;
    if (data.any)
      more = formatText(", %zu formula coefficients, %zu columns with SLP settings",
                        data.coefficients.size(), data.variables.size());
    // Everything was read: now the problem changes.
    qrva::installReadProblem(*s.qprob, std::move(store), name, file.path, more);
    if (!data.any) return QRVA_OK;
    for (qrva::UserFunction &uf : data.newFunctions) {
      s.store->stringIndex(uf.name);  // as a definition by tokens has it
      uf.linkage = s.store->stringIndex("DirectC");
      s.store->functions.push_back(uf);
    }
    for (auto &c : data.coefficients)
      s.store->addCoefficient(std::get<0>(c), std::get<1>(c), std::get<2>(c),
                              std::move(std::get<3>(c)));
    s.store->variables = std::move(data.variables);
    s.store->rows = std::move(data.rows);
    s.store->derivativeFactors = std::move(data.derivativeFactors);
    slpAccess(s, "QSLPreadprob").setDouble(QSLP_SLPOBJSENSE, sense);
    return QRVA_OK;
  });
}

}  // extern "C"
