// QRVAsave / QRVArestore: the whole problem in one binary file named after
// it ("<name>.svf" in the working directory): the store with its names,
// directives, marks and user scaling, the controls, the basis, the solution and the
// statuses, the MIP starts, and the SLP layer on the problem (its controls,
// formula coefficients, SLP settings of columns and string table; user
// functions are registrations of the running program, so the file names
// them and a restore finds them on the layer by name). A file of another
// format version, another problem kind, damaged or truncated is refused
// before anything changes.
#include <map>
#include <set>
#include <type_traits>

#include "api/support.h"
#include "io/binary.h"
#include "io/problem_files.h"
#include "slp/problem.h"

using qrva::ByteReader;
using qrva::ByteWriter;
using qrva::Check;
using qrva::formatText;
using P = qrva_problem_s;

namespace {

const char kSaveMagic[8] = {'Q', 'R', 'V', 'A', 'S', 'A', 'V', 'E'};
// The layout of the file; a file of another number is refused.
const uint32_t kSaveVersion = 2;

template <class T>
void putRaw(ByteWriter &w, const T &v) {
  static_assert(std::is_trivially_copyable<T>::value, "saved as bytes");
  w.put(v);
}

void putNames(ByteWriter &w, const qrva::NameTable &t) {
  w.put<uint64_t>(t.size());
  for (size_t i = 0; i < t.size(); ++i) w.putText(t.hasOwn(i) ? t.get(i) : std::string());
}

void putTerms(ByteWriter &w, const qrva::QuadTerms &terms) {
  w.put<uint64_t>(terms.size());
  for (const auto &t : terms) w.put<int32_t>(t.first.first), w.put<int32_t>(t.first.second), w.put(t.second);
}

void putSet(ByteWriter &w, const std::set<int> &items) {
  w.putVector(std::vector<int>(items.begin(), items.end()));
}

// Index and exponent of every scaled row or column.
void putScaling(ByteWriter &w, const std::map<int, int> &exponents) {
  w.put<uint64_t>(exponents.size());
  for (const auto &e : exponents) w.put<int32_t>(e.first), w.put<int32_t>(e.second);
}

void putParams(ByteWriter &w, const std::vector<qrva::ParamValue> &values) {
  w.put<uint64_t>(values.size());
  for (const auto &v : values) w.put(v.i), w.put(v.d), w.putText(v.s);
}

// The reader of one file: every index it meets is checked against the sizes
// read before it, so even a file with a matching check sum cannot make the
// problem refer to rows or columns it does not have.
struct SaveReader {
  ByteReader r;
  const Check &chk;
  std::string where;

  [[noreturn]] void damaged(const char *what) const {
    chk.fail(formatText("%s is damaged: %s", where.c_str(), what));
  }
  int index(int n, const char *what) {
    int i = r.get<int32_t>();
    if (i < 0 || i >= n) damaged(what);
    return i;
  }
  qrva::QuadTerms terms(int n) {
    qrva::QuadTerms out;
    uint64_t count = r.get<uint64_t>();
    for (uint64_t k = 0; k < count; ++k) {
      int i = index(n, "a quadratic term names a column it does not have");
      int j = index(n, "a quadratic term names a column it does not have");
      out[qrva::quadKey(i, j)] = r.get<double>();
    }
    return out;
  }
  std::map<int, int> scaling(int n) {
    std::map<int, int> out;
    for (uint64_t k = 0, count = r.get<uint64_t>(); k < count; ++k) {
      int i = index(n, "a scaled row or column is out of range");
      int e = r.get<int32_t>();
      if (e < -QRVA_SCALE_MAXEXP || e > QRVA_SCALE_MAXEXP) damaged("a scaling exponent is out of range");
      out[i] = e;
    }
    return out;
  }
  std::set<int> indexSet(int n) {
    std::set<int> out;
    for (int i : r.getVector<int>()) {
      if (i < 0 || i >= n) damaged("a marked row or column is out of range");
      out.insert(i);
    }
    return out;
  }
  void names(qrva::NameTable &t, size_t expected) {
    if (r.get<uint64_t>() != expected) damaged("its names do not fit its problem");
    t.resize(expected);
    for (size_t i = 0; i < expected; ++i) {
      std::string name = r.getText();
      if (!name.empty()) t.set(i, std::move(name));
    }
  }
  std::vector<qrva::ParamValue> params(size_t expected) {
    if (r.get<uint64_t>() != expected) damaged("its controls are not those of this library");
    std::vector<qrva::ParamValue> values(expected);
    for (auto &v : values) v.i = r.get<int64_t>(), v.d = r.get<double>(), v.s = r.getText();
    return values;
  }
};

void writeStore(ByteWriter &w, const qrva::ProblemStore &s) {
  w.put<int32_t>(s.nrows()), w.put<int32_t>(s.ncols());
  w.putVector(s.lb), w.putVector(s.ub), w.putVector(s.obj), w.putVector(s.limit), w.putVector(s.colType);
  for (const auto &c : s.columns) w.putVector(c);
  w.putVector(s.rowType), w.putVector(s.rhs), w.putVector(s.range);
  w.putVector(s.indicatorCol), w.putVector(s.indicatorComp);
  w.put(s.objConstant), w.put<int32_t>(s.objSense);
  putTerms(w, s.qobj);
  w.put<uint64_t>(s.qrows.size());
  for (const auto &q : s.qrows) w.put<int32_t>(q.first), putTerms(w, q.second);
  w.put<uint64_t>(s.sets.size());
  for (const auto &set : s.sets) w.put(set.type), w.putVector(set.cols), w.putVector(set.weights);
  putNames(w, s.rowNames), putNames(w, s.colNames), putNames(w, s.setNames);
  w.put<uint64_t>(s.directives.size());
  for (const auto &d : s.directives) w.put<int32_t>(d.first), putRaw(w, d.second);
  putSet(w, s.secureRows), putSet(w, s.secureCols), putSet(w, s.delayedRows), putSet(w, s.modelCuts);
  putScaling(w, s.rowScaleExp), putScaling(w, s.colScaleExp);
}

std::unique_ptr<qrva::ProblemStore> readStore(SaveReader &in) {
  ByteReader &r = in.r;
  auto s = std::make_unique<qrva::ProblemStore>();
  int m = r.get<int32_t>(), n = r.get<int32_t>();
  if (m < 0 || n < 0) in.damaged("negative sizes");
  s->lb = r.getVector<double>(n), s->ub = r.getVector<double>(n), s->obj = r.getVector<double>(n);
  s->limit = r.getVector<double>(n), s->colType = r.getVector<char>(n);
  s->columns.resize(n);
  for (auto &c : s->columns) {
    c = r.getVector<qrva::Entry>();
    for (const auto &e : c)
      if (e.index < 0 || e.index >= m) in.damaged("a matrix element names a row it does not have");
  }
  s->rowType = r.getVector<char>(m), s->rhs = r.getVector<double>(m), s->range = r.getVector<double>(m);
  s->indicatorCol = r.getVector<int>(m), s->indicatorComp = r.getVector<int>(m);
  for (int col : s->indicatorCol)
    if (col < -1 || col >= n) in.damaged("an indicator names a column it does not have");
  s->objConstant = r.get<double>(), s->objSense = r.get<int32_t>();
  s->qobj = in.terms(n);
  for (uint64_t k = 0, rows = r.get<uint64_t>(); k < rows; ++k) {
    int row = in.index(m, "a quadratic row is out of range");
    s->qrows[row] = in.terms(n);
  }
  for (uint64_t k = 0, sets = r.get<uint64_t>(); k < sets; ++k) {
    qrva::SosSet set;
    set.type = r.get<char>();
    set.cols = r.getVector<int>();
    set.weights = r.getVector<double>(static_cast<int64_t>(set.cols.size()));
    for (int col : set.cols)
      if (col < 0 || col >= n) in.damaged("a set names a column it does not have");
    s->sets.push_back(std::move(set));
  }
  in.names(s->rowNames, m), in.names(s->colNames, n), in.names(s->setNames, s->sets.size());
  for (uint64_t k = 0, dirs = r.get<uint64_t>(); k < dirs; ++k) {
    int col = in.index(n, "a directive names a column it does not have");
    s->directives[col] = r.get<qrva::Directive>();
  }
  s->secureRows = in.indexSet(m), s->secureCols = in.indexSet(n);
  s->delayedRows = in.indexSet(m), s->modelCuts = in.indexSet(m);
  s->rowScaleExp = in.scaling(m), s->colScaleExp = in.scaling(n);
  return s;
}

// The SLP layer: controls, formula coefficients, column settings, strings
// and the names of the user functions the formulas call.
void writeLayer(ByteWriter &w, const qslp_problem_s *layer) {
  w.put<int32_t>(layer ? 1 : 0);
  if (!layer) return;
  const qrva::SlpStore &nl = *layer->store;
  putParams(w, layer->controls);
  w.put<uint64_t>(nl.coefficients.size());
  for (const auto &c : nl.coefficients)
    w.put<int32_t>(c.first.first), w.put<int32_t>(c.first.second), w.put(c.second.factor),
        w.putVector(c.second.formula);
  w.put<uint64_t>(nl.variables.size());
  for (const auto &v : nl.variables) w.put<int32_t>(v.first), putRaw(w, v.second);
  w.put<uint64_t>(nl.strings.size());
  for (const auto &t : nl.strings) w.putText(t);
  w.put<uint64_t>(nl.functions.size());
  for (const auto &f : nl.functions) w.putText(f.name);
}

struct SavedLayer {
  bool present = false;
  std::vector<qrva::ParamValue> controls;
  std::map<qrva::CoefficientKey, qrva::SlpCoefficient> coefficients;
  std::map<int, qrva::SlpVariable> variables;
  std::vector<std::string> strings;
};

SavedLayer readLayer(SaveReader &in, const qslp_problem_s *layer, int m, int n) {
  ByteReader &r = in.r;
  SavedLayer saved;
  saved.present = r.get<int32_t>() != 0;
  if (!saved.present) return saved;
  saved.controls = in.params(qrva::slpCatalog().defaultControls().size());
  for (uint64_t k = 0, count = r.get<uint64_t>(); k < count; ++k) {
    int row = in.index(m, "a formula coefficient names a row it does not have");
    int col = r.get<int32_t>();
    if (col < -1 || col >= n) in.damaged("a formula coefficient names a column it does not have");
    qrva::SlpCoefficient c;
    c.factor = r.get<double>();
    c.formula = r.getVector<qrva::Token>();
    saved.coefficients[{row, col}] = std::move(c);
  }
  for (uint64_t k = 0, count = r.get<uint64_t>(); k < count; ++k) {
    int col = in.index(n, "SLP settings name a column it does not have");
    saved.variables[col] = r.get<qrva::SlpVariable>();
  }
  for (uint64_t k = 0, count = r.get<uint64_t>(); k < count; ++k) saved.strings.push_back(r.getText());
  // Formulas call user functions by their index: the layer restored into
  // must have the same functions at the same places.
  uint64_t functions = r.get<uint64_t>();
  for (uint64_t k = 0; k < functions; ++k) {
    std::string name = r.getText();
    if (!layer || k >= layer->store->functions.size() || layer->store->functions[k].name != name)
      in.chk.fail(formatText("%s calls the user function %s (number %llu), which this problem "
                             "does not define there; define the problem's user functions "
                             "before restoring it",
                             in.where.c_str(), qrva::quoted(name.c_str()).c_str(),
                             (unsigned long long)k + 1),
                  QRVA_ERR_STATE);
  }
  if (!layer && (!saved.coefficients.empty() || !saved.variables.empty()))
    in.chk.fail(formatText("%s holds formulas; restore it into a problem with an SLP problem on "
                           "it",
                           in.where.c_str()),
                QRVA_ERR_STATE);
  return saved;
}

std::string saveFile(const Check &chk, const P &p, const char *name) {
  std::string base = name && *name ? name : p.name;
  if (base.empty()) chk.fail("the problem has no name to name its save file after", QRVA_ERR_STATE);
  return qrva::auxiliaryFile(chk, p, base.c_str(), ".svf");
}

}  // namespace

extern "C" {

int QRVAsave(QRVAprob prob) {
  return qrva::withProblem(prob, "QRVAsave", [&](P &p) {
    Check chk("QRVAsave");
    std::string path = saveFile(chk, p, nullptr);
    // A linearization shown in the matrix is not the problem's own data.
    if (p.slpLayer) p.slpLayer->restoreLinearPart();
    ByteWriter w;
    for (char c : kSaveMagic) w.put(c);
    w.put(kSaveVersion);
    w.putText(p.name);
    writeStore(w, *p.store);
    putParams(w, p.controls);
    w.put<int32_t>(p.basis.known), w.putVector(p.basis.rows), w.putVector(p.basis.cols);
    const qrva::Solution &sol = p.solution;
    w.put<int32_t>(sol.hasLp), w.put<int32_t>(sol.hasMip), w.put<int32_t>(sol.unboundedSeq);
    w.putVector(sol.x), w.putVector(sol.slack), w.putVector(sol.dual), w.putVector(sol.dj);
    w.putVector(sol.primalRay), w.putVector(sol.dualRay);
    putRaw(w, p.solve);
    w.put<uint64_t>(p.mipStarts.size());
    for (const auto &s : p.mipStarts) w.putVector(s.cols), w.putVector(s.values);
    writeLayer(w, p.slpLayer);
    qrva::writeWholeFile(chk, path, w.finish());
    p.message(QRVA_MSG_INFO, formatText("Problem '%s' saved to %s", p.name.c_str(), path.c_str()));
    return QRVA_OK;
  });
}

int QRVArestore(QRVAprob prob, const char *probname, const char *flags) {
  return qrva::withProblem(prob, "QRVArestore", [&](P &p) {
    Check chk("QRVArestore");
    for (const char *f = flags; f && *f; ++f)
      chk.fail(formatText("flag %s in %s is not one this function knows (it takes none)",
                          Check::charText(*f).c_str(), qrva::quoted(flags).c_str()));
    std::string path = saveFile(chk, p, probname);
    std::string bytes = qrva::readWholeFile(chk, path);
    std::string where = qrva::quoted(path.c_str());
    if (bytes.size() < sizeof kSaveMagic || bytes.compare(0, sizeof kSaveMagic, kSaveMagic, sizeof kSaveMagic) != 0)
      chk.fail(formatText("%s is not a saved problem", where.c_str()));
    SaveReader in{ByteReader(chk, where, bytes), chk, where};
    ByteReader &r = in.r;
    for (size_t k = 0; k < sizeof kSaveMagic; ++k) r.get<char>();
    uint32_t version = r.get<uint32_t>();
    if (version != kSaveVersion)
      chk.fail(formatText("%s was saved in format version %u; this library reads version %u",
                          where.c_str(), version, kSaveVersion));
    std::string name = r.getText();
    std::unique_ptr<qrva::ProblemStore> store = readStore(in);
    int m = store->nrows(), n = store->ncols();
    std::vector<qrva::ParamValue> controls = in.params(p.controls.size());
    qrva::Basis basis;
    basis.known = r.get<int32_t>() != 0;
    basis.rows = r.getVector<int>(), basis.cols = r.getVector<int>();
    if (basis.known && (static_cast<int>(basis.rows.size()) != m || static_cast<int>(basis.cols.size()) != n))
      in.damaged("its basis does not fit its problem");
    qrva::Solution sol;
    sol.hasLp = r.get<int32_t>() != 0, sol.hasMip = r.get<int32_t>() != 0;
    sol.unboundedSeq = r.get<int32_t>();
    sol.x = r.getVector<double>(), sol.slack = r.getVector<double>();
    sol.dual = r.getVector<double>(), sol.dj = r.getVector<double>();
    sol.primalRay = r.getVector<double>(), sol.dualRay = r.getVector<double>();
    if ((sol.hasLp || sol.hasMip) &&
        (static_cast<int>(sol.x.size()) != n || static_cast<int>(sol.slack.size()) != m))
      in.damaged("its solution does not fit its problem");
    qrva::SolveState solve = r.get<qrva::SolveState>();
    std::vector<qrva::MipStart> starts;
    for (uint64_t k = 0, count = r.get<uint64_t>(); k < count; ++k) {
      qrva::MipStart s;
      s.cols = r.getVector<int>();
      s.values = r.getVector<double>(static_cast<int64_t>(s.cols.size()));
      for (int col : s.cols)
        if (col < 0 || col >= n) in.damaged("a starting solution names a column it does not have");
      starts.push_back(std::move(s));
    }
    SavedLayer layer = readLayer(in, p.slpLayer, m, n);
    r.end();

    // Everything is read and checked: the problem becomes the saved one.
    p.name = name;
    p.replaceStore(std::move(store));
    p.controls = std::move(controls);
    p.basis = std::move(basis);
    p.solution = std::move(sol);
    p.solve = solve;
    p.mipStarts = std::move(starts);
    if (p.slpLayer && layer.present) {
      p.slpLayer->controls = std::move(layer.controls);
      p.slpLayer->store->coefficients = std::move(layer.coefficients);
      p.slpLayer->store->variables = std::move(layer.variables);
      p.slpLayer->store->strings = std::move(layer.strings);
    }
    p.message(QRVA_MSG_INFO, formatText("Problem '%s' restored from %s: %d rows, %d columns",
                                        p.name.c_str(), path.c_str(), m, n));
    return QRVA_OK;
  });
}

}  // extern "C"
