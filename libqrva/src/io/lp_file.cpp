// Problem files in the LP format: the algebraic text that other solvers read.
//
//   \Problem name: NAME
//   Maximize
//    obj: + 3 x + 5 y - z + 2.5 + [ 2 x ^ 2 + 2 x * y ] / 2
//   Subject To
//    c1: + x + y + Rgc1 = 10          (a range row: 10 - 6 <= x + y <= 10)
//    q1: + x + [ x ^ 2 ] <= 4
//    i1: b = 1 -> + x + y <= 4
//   Bounds
//    0 <= Rgc1 <= 6
//    -inf <= z <= 4
//   Generals / Binaries / Semi-Continuous
//   SOS
//    s1: S1:: x:1 y:2
//   End
//
// Every column appears in the objective, in order, so that a reader creates
// the columns in the problem's order. Range rows are written with a range
// column "Rg<row>" that any reader understands; our reader turns such a
// column back into the row's range. Lines are wrapped before a term.
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

#include "io/problem_files.h"
#include "core/text.h"

namespace qrva {
namespace {

const double kInf = kFileInfinity;
const size_t kLineWidth = 100;

// --- Names -------------------------------------------------------------------

// Words a reader takes for sections or values wherever they start a line or
// stand in a bound: never written as names.
const char *const kReservedWords[] = {
    "minimize", "minimise", "minimum", "min",      "maximize", "maximise", "maximum",
    "max",      "st",       "s.t.",    "subject",  "such",     "bounds",   "bound",
    "general",  "generals", "gen",     "integer",  "integers", "binary",   "binaries",
    "bin",      "semi-continuous",     "semis",    "semi",     "sos",      "end",
    "free",     "inf",      "infinity", "lazy",    "user"};

bool reservedWord(const std::string &lower) {
  for (const char *w : kReservedWords)
    if (lower == w) return true;
  return false;
}

bool nameChar(unsigned char c) {
  return std::isalnum(c) || (c != 0 && std::strchr("!\"#$%&()/,.;?@_`'{}|~", c) != nullptr);
}

// A name the format can hold: allowed characters, not starting like a number,
// not a reserved word.
bool lpName(const std::string &name) {
  if (name.empty() || name.size() > 255) return false;
  unsigned char first = static_cast<unsigned char>(name[0]);
  if (std::isdigit(first) || first == '.' || first == '/') return false;
  for (unsigned char c : name)
    if (!nameChar(c)) return false;
  return !reservedWord(lowerCase(name.c_str()));
}

// --- Writing -------------------------------------------------------------------

// Writes statements of space-separated pieces, starting a new line before a
// piece that would make the line longer than kLineWidth.
class StatementWriter {
 public:
  explicit StatementWriter(std::ostream &out) : out_(out) {}
  void put(const std::string &piece) {
    if (width_ > 0 && width_ + 1 + piece.size() > kLineWidth) out_ << "\n ", width_ = 1;
    out_ << ' ' << piece;
    width_ += 1 + piece.size();
  }
  void end() {
    if (width_ > 0) out_ << '\n';
    width_ = 0;
  }

 private:
  std::ostream &out_;
  size_t width_ = 0;
};

std::string term(double coef, const std::string &name) {
  const char *sign = coef < 0 || (coef == 0 && std::signbit(coef)) ? "- " : "+ ";
  double a = std::fabs(coef);
  return sign + (a == 1 ? name : numberText(a) + " " + name);
}

std::string signedNumber(double v) {
  return (v < 0 ? "- " : "+ ") + numberText(std::fabs(v));
}

std::string bound(double v) {
  if (v >= kInf) return "+inf";
  if (v <= -kInf) return "-inf";
  return numberText(v);
}

// [ a x ^ 2 + b x * y ]: file coefficient of (i, j) is v on the diagonal and
// 2v off it, both for the objective (with "/ 2" after it) and for rows.
void putQuadratic(StatementWriter &w, const QuadTerms &terms,
                  const std::vector<std::string> &col) {
  w.put("+ [");
  bool first = true;
  for (const auto &t : terms) {
    int i = t.first.first, j = t.first.second;
    double c = i == j ? t.second : 2 * t.second;
    std::string text = numberText(std::fabs(c)) + " " + col[i] +
                       (i == j ? " ^ 2" : " * " + col[j]);
    w.put(first && c >= 0 ? text : (c < 0 ? "- " : "+ ") + text);
    first = false;
  }
  w.put("]");
}

void writeBounds(std::ostream &out, const std::string &name, double lb, double ub) {
  if (lb <= -kInf && ub >= kInf) out << ' ' << name << " free\n";
  else if (lb == ub) out << ' ' << name << " = " << numberText(lb) << '\n';
  else if (lb == 0 && ub >= kInf) return;
  else if (lb == 0 && ub >= 0) out << ' ' << name << " <= " << numberText(ub) << '\n';
  else if (ub >= kInf) out << ' ' << name << " >= " << bound(lb) << '\n';
  else out << ' ' << bound(lb) << " <= " << name << " <= " << bound(ub) << '\n';
}

}  // namespace

void writeLp(const ProblemStore &s, const std::string &name, const Check &chk,
             std::ostream &out) {
  int n = s.ncols(), m = s.nrows();
  checkWritableColumns(s, chk, "LP");
  std::vector<std::string> row = namesForFile(s.rowNames, m, chk, "row", "LP", lpName);
  std::vector<std::string> col = namesForFile(s.colNames, n, chk, "column", "LP", lpName);
  std::vector<std::string> set = namesForFile(s.setNames, s.sets.size(), chk, "set", "LP", lpName);

  // Range columns for range rows, named apart from every column.
  std::set<std::string> taken(col.begin(), col.end());
  std::vector<std::string> rangeCol(m);
  for (int i = 0; i < m; ++i)
    if (s.rowType[i] == 'R' && s.range[i] != 0 && s.range[i] < kInf) {
      std::string r = "Rg" + row[i];
      while (taken.count(r)) r += '_';
      taken.insert(r);
      rangeCol[i] = r;
    }

  if (!name.empty() && name.find_first_of("\r\n") == std::string::npos)
    out << "\\Problem name: " << name << '\n';
  out << (s.objSense == -1 ? "Maximize\n" : "Minimize\n");
  StatementWriter w(out);
  w.put("obj:");
  for (int j = 0; j < n; ++j) w.put(term(s.obj[j], col[j]));
  if (s.objConstant != 0 || n == 0) w.put(signedNumber(s.objConstant));
  if (!s.qobj.empty()) putQuadratic(w, s.qobj, col), w.put("/ 2");
  w.end();

  if (m > 0) out << "Subject To\n";
  const RowWise &rw = s.rowWise();
  for (int i = 0; i < m; ++i) {
    w.put(row[i] + ":");
    if (s.indicatorCol[i] >= 0)
      w.put(col[s.indicatorCol[i]] + (s.indicatorComp[i] == 1 ? " = 1 ->" : " = 0 ->"));
    for (int64_t k = rw.start[i]; k < rw.start[i + 1]; ++k)
      w.put(term(rw.entries[k].value, col[rw.entries[k].index]));
    auto q = s.qrows.find(i);
    bool quadratic = q != s.qrows.end() && !q->second.empty();
    if (rw.start[i] == rw.start[i + 1] && !quadratic) w.put(n > 0 ? "0 " + col[0] : "0");
    if (quadratic) putQuadratic(w, q->second, col);
    char t = s.rowType[i];
    if (t == 'R' && !rangeCol[i].empty()) {
      w.put("+ " + rangeCol[i]);
      t = 'E';
    } else if (t == 'R') {
      t = s.range[i] == 0 ? 'E' : 'L';
    }
    switch (t) {
      case 'L': w.put("<= " + numberText(s.rhs[i])); break;
      case 'G': w.put(">= " + numberText(s.rhs[i])); break;
      case 'E': w.put("= " + numberText(s.rhs[i])); break;
      default: w.put(">= -inf"); break;  // a free row
    }
    w.end();
  }

  out << "Bounds\n";
  for (int i = 0; i < m; ++i)
    if (!rangeCol[i].empty()) out << " 0 <= " << rangeCol[i] << " <= " << numberText(s.range[i]) << '\n';
  for (int j = 0; j < n; ++j) {
    char t = s.colType[j];
    if (t == 'B' && s.lb[j] == 0 && s.ub[j] == 1) continue;
    if (t == 'S' || t == 'R') {
      // The threshold is the lower bound of a semi-continuous column.
      double threshold = s.limit[j] > 0 ? s.limit[j] : s.lb[j];
      if (threshold != 0 && s.ub[j] < kInf)
        out << ' ' << numberText(threshold) << " <= " << col[j] << " <= " << numberText(s.ub[j]) << '\n';
      else if (threshold != 0)
        out << ' ' << col[j] << " >= " << numberText(threshold) << '\n';
      else if (s.ub[j] < kInf)
        out << ' ' << col[j] << " <= " << numberText(s.ub[j]) << '\n';
      continue;
    }
    writeBounds(out, col[j], s.lb[j], s.ub[j]);
  }

  auto section = [&](const char *title, const char *types) {
    bool any = false;
    for (int j = 0; j < n; ++j)
      if (std::strchr(types, s.colType[j])) {
        if (!any) out << title << '\n', any = true;
        w.put(col[j]);
      }
    w.end();
  };
  section("Generals", "IR");
  section("Binaries", "B");
  section("Semi-Continuous", "SR");
  if (!s.sets.empty()) {
    out << "SOS\n";
    for (size_t k = 0; k < s.sets.size(); ++k) {
      w.put(set[k] + ": S" + s.sets[k].type + "::");
      for (size_t e = 0; e < s.sets[k].cols.size(); ++e)
        w.put(col[s.sets[k].cols[e]] + ":" + numberText(s.sets[k].weights[e]));
      w.end();
    }
  }
  out << "End\n";
}

// --- Reading -------------------------------------------------------------------

namespace {

struct Token {
  enum Kind { Name, Number, Op } kind;
  std::string text;  // the name, or the operator: + - * ^ [ ] : / <= >= = ->
  double value;
  int line;
};

enum class Section { None, Objective, Constraints, Bounds, Generals, Binaries, Semis, Sos };

// Splits one line (without its comment) into tokens.
void tokenize(const Check &chk, const std::string &text, int line, std::vector<Token> &out) {
  size_t i = 0, n = text.size();
  auto op = [&](const char *o, size_t len) {
    out.push_back(Token{Token::Op, o, 0.0, line});
    i += len;
  };
  while (i < n) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    char next = i + 1 < n ? text[i + 1] : '\0';
    if (std::isspace(c)) ++i;
    else if (c == '<') op("<=", next == '=' ? 2 : 1);
    else if (c == '>') op(">=", next == '=' ? 2 : 1);
    else if (c == '=') {
      if (next == '<') op("<=", 2);
      else if (next == '>') op(">=", 2);
      else op("=", 1);
    } else if (c == '-' && next == '>') op("->", 2);
    else if (c != 0 && std::strchr("+-*^[]:/", c)) {
      char o[2] = {static_cast<char>(c), '\0'};
      op(o, 1);
    } else if (std::isdigit(c) || (c == '.' && std::isdigit(static_cast<unsigned char>(next)))) {
      const char *start = text.c_str() + i;
      char *end = nullptr;
      double v = std::strtod(start, &end);
      out.push_back(Token{Token::Number, std::string(start, static_cast<size_t>(end - start)), v, line});
      i += static_cast<size_t>(end - start);
    } else if (nameChar(c)) {
      size_t start = i;
      while (i < n && nameChar(static_cast<unsigned char>(text[i]))) ++i;
      out.push_back(Token{Token::Name, text.substr(start, i - start), 0.0, line});
    } else {
      chk.fail(formatText("line %d: unexpected character %s", line, Check::charText(c).c_str()));
    }
  }
}

// The section a line starts, with the offset of the text after its keyword.
bool sectionKeyword(const std::string &text, Section &section, int &sense, size_t &rest) {
  size_t start = text.find_first_not_of(" \t");
  if (start == std::string::npos) return false;
  std::string lower = lowerCase(text.c_str() + start);
  struct Word {
    const char *word;
    Section section;
    int sense;
  };
  static const Word words[] = {
      {"minimize", Section::Objective, 1},   {"minimise", Section::Objective, 1},
      {"minimum", Section::Objective, 1},    {"min", Section::Objective, 1},
      {"maximize", Section::Objective, -1},  {"maximise", Section::Objective, -1},
      {"maximum", Section::Objective, -1},   {"max", Section::Objective, -1},
      {"subject to", Section::Constraints, 0}, {"such that", Section::Constraints, 0},
      {"s.t.", Section::Constraints, 0},     {"st", Section::Constraints, 0},
      {"bounds", Section::Bounds, 0},        {"bound", Section::Bounds, 0},
      {"generals", Section::Generals, 0},    {"general", Section::Generals, 0},
      {"gen", Section::Generals, 0},         {"integers", Section::Generals, 0},
      {"integer", Section::Generals, 0},     {"binaries", Section::Binaries, 0},
      {"binary", Section::Binaries, 0},      {"bin", Section::Binaries, 0},
      {"semi-continuous", Section::Semis, 0}, {"semis", Section::Semis, 0},
      {"semi", Section::Semis, 0},           {"sos", Section::Sos, 0},
      {"end", Section::None, 0}};
  for (const Word &w : words) {
    size_t len = std::strlen(w.word);
    if (lower.compare(0, len, w.word) != 0) continue;
    if (lower.size() > len && !std::isspace(static_cast<unsigned char>(lower[len]))) continue;
    section = w.section, sense = w.sense, rest = start + len;
    return true;
  }
  return false;
}

// Quadratic terms as the file states them: coef x_i x_j (i may equal j).
struct QuadraticTerm {
  int i, j;
  double coef;
};

struct Expression {
  std::vector<Entry> linear;  // index = column
  std::vector<QuadraticTerm> quadratic;
  double constant = 0.0;
  bool empty() const { return linear.empty() && quadratic.empty() && constant == 0.0; }
};

class LpReader {
 public:
  LpReader(const Check &chk, ProblemStore &s) : chk_(chk), s_(s) {}

  void objective(const std::vector<Token> &tokens, int sense);
  void constraints(const std::vector<Token> &tokens);
  void bounds(const std::vector<Token> &tokens);
  void names(const std::vector<Token> &tokens, std::vector<char> &flags);
  void sets(const std::vector<Token> &tokens);
  void finish();

  std::vector<char> general, binary, semi;

 private:
  // --- Token access
  bool more() const { return pos_ < tokens_->size(); }
  const Token *at(size_t ahead) const {
    return pos_ + ahead < tokens_->size() ? &(*tokens_)[pos_ + ahead] : nullptr;
  }
  bool isOp(size_t ahead, const char *op) const {
    const Token *t = at(ahead);
    return t && t->kind == Token::Op && t->text == op;
  }
  bool isSense(size_t ahead) const { return isOp(ahead, "<=") || isOp(ahead, ">=") || isOp(ahead, "="); }
  bool isInfinity(const Token *t) const {
    if (!t || t->kind != Token::Name) return false;
    std::string l = lowerCase(t->text.c_str());
    return l == "inf" || l == "infinity";
  }
  bool isName(size_t ahead) const {
    const Token *t = at(ahead);
    return t && t->kind == Token::Name && !isInfinity(t);
  }
  // Tokens of a signed number (or infinity) starting ahead, 0 when there is none.
  size_t numberLength(size_t ahead) const {
    size_t k = ahead;
    while (isOp(k, "+") || isOp(k, "-")) ++k;
    const Token *t = at(k);
    return t && (t->kind == Token::Number || isInfinity(t)) ? k - ahead + 1 : 0;
  }
  int line() const {
    const Token *t = at(0);
    return t ? t->line : (tokens_->empty() ? 0 : tokens_->back().line);
  }
  [[noreturn]] void fail(const std::string &what) const {
    const Token *t = at(0);
    chk_.fail(formatText("line %d: %s%s", line(), what.c_str(),
                         t ? formatText(" at %s", quoted(t->text.c_str()).c_str()).c_str()
                           : " at the end of the section"));
  }
  double number() {
    size_t len = numberLength(0);
    if (len == 0) fail("a number is expected");
    double sign = 1;
    for (size_t k = 0; k + 1 < len; ++k) sign = isOp(0, "-") ? -sign : sign, ++pos_;
    const Token &t = (*tokens_)[pos_++];
    double v = t.kind == Token::Number ? t.value : kInf;
    v *= sign;
    return v >= kInf ? kInf : (v <= -kInf ? -kInf : v);
  }
  std::string sense() {
    if (!isSense(0)) fail("one of <= >= = is expected");
    return (*tokens_)[pos_++].text;
  }
  std::string name() {
    if (!isName(0)) fail("a name is expected");
    return (*tokens_)[pos_++].text;
  }
  void start(const std::vector<Token> &tokens) { tokens_ = &tokens, pos_ = 0; }

  int column(const std::string &name);
  void expression(Expression &e);
  void quadratic(Expression &e, double sign);

  const Check &chk_;
  ProblemStore &s_;
  std::unordered_map<std::string, int> columns_;
  std::vector<int> indicatorCols_;
  const std::vector<Token> *tokens_ = nullptr;
  size_t pos_ = 0;
};

int LpReader::column(const std::string &name) {
  auto it = columns_.find(name);
  if (it != columns_.end()) return it->second;
  int j = s_.ncols();
  s_.appendCols(1, nullptr, nullptr, nullptr);
  s_.colNames.set(j, name);
  columns_.emplace(name, j);
  general.push_back(0), binary.push_back(0), semi.push_back(0);
  return j;
}

// Terms up to the first token that cannot continue an expression.
// Terms after the first need their sign.
void LpReader::expression(Expression &e) {
  for (bool first = true; more(); first = false) {
    double sign = 1;
    bool signs = false;
    while (isOp(0, "+") || isOp(0, "-")) sign = isOp(0, "-") ? -sign : sign, ++pos_, signs = true;
    if (!first && !signs) return;
    const Token *t = at(0);
    if (isOp(0, "[")) {
      ++pos_;
      quadratic(e, sign);
    } else if (t && t->kind == Token::Number) {
      ++pos_;
      if (isOp(0, "*")) ++pos_;
      if (isName(0) && !isOp(1, ":")) e.linear.push_back(Entry{column(name()), sign * t->value});
      else e.constant += sign * t->value;
    } else if (isName(0) && !isOp(1, ":")) {
      e.linear.push_back(Entry{column(name()), sign});
    } else {
      if (signs) fail("a term is expected after the sign");
      return;
    }
  }
}

// After "[": terms "c x ^ 2" and "c x * y" up to "]", then an optional "/ d".
void LpReader::quadratic(Expression &e, double sign) {
  size_t first = e.quadratic.size();
  while (!isOp(0, "]")) {
    if (!more()) fail("']' is expected");
    double termSign = sign;
    while (isOp(0, "+") || isOp(0, "-")) termSign = isOp(0, "-") ? -termSign : termSign, ++pos_;
    double c = 1;
    if (at(0) && at(0)->kind == Token::Number) c = at(0)->value, ++pos_;
    int i = column(name());
    int j;
    if (isOp(0, "^")) {
      ++pos_;
      if (!at(0) || at(0)->kind != Token::Number || at(0)->value != 2)
        fail("only squares (^ 2) are quadratic terms");
      ++pos_;
      j = i;
    } else if (isOp(0, "*")) {
      ++pos_;
      j = column(name());
    } else {
      fail("'^ 2' or '* name' is expected in a quadratic term");
    }
    e.quadratic.push_back(QuadraticTerm{i, j, termSign * c});
  }
  ++pos_;  // ]
  if (isOp(0, "/")) {
    ++pos_;
    const Token *d = at(0);
    if (!d || d->kind != Token::Number || d->value == 0) fail("a non-zero divisor is expected");
    for (size_t k = first; k < e.quadratic.size(); ++k) e.quadratic[k].coef /= d->value;
    ++pos_;
  }
}

void LpReader::objective(const std::vector<Token> &tokens, int sense) {
  start(tokens);
  s_.objSense = sense;
  if (isName(0) && isOp(1, ":")) pos_ += 2;  // the objective's own name
  Expression e;
  expression(e);
  if (more()) fail("the objective cannot continue");
  for (const Entry &t : e.linear) s_.obj[t.index] += t.value;
  s_.objConstant += e.constant;
  // The objective holds 1/2 x'Qx: v on the diagonal is 1/2 v x^2.
  for (const QuadraticTerm &q : e.quadratic)
    s_.qobj[quadKey(q.i, q.j)] += q.i == q.j ? 2 * q.coef : q.coef;
}

void LpReader::constraints(const std::vector<Token> &tokens) {
  start(tokens);
  while (more()) {
    std::string rowName;
    int rowLine = line();
    if (isName(0) && isOp(1, ":")) rowName = name(), ++pos_;
    int indicator = -1, active = 1;
    if (isName(0) && isOp(1, "=") && numberLength(2) && isOp(2 + numberLength(2), "->")) {
      indicator = column(name());
      ++pos_;
      double v = number();
      if (v != 0 && v != 1) fail("an indicator's value is 0 or 1");
      active = v == 1 ? 1 : -1;
      ++pos_;  // ->
    }
    double lo = -kInf, hi = kInf;
    auto apply = [&](const std::string &op, double v, bool expressionLeft) {
      bool upper = (op == "<=") == expressionLeft;
      if (op == "=") lo = hi = v;
      else if (upper) hi = v;
      else lo = v;
    };
    Expression e;
    size_t len = numberLength(0);
    if (len && isSense(len)) {  // lhs <= expression [<= rhs]
      double v = number();
      std::string op = sense();
      expression(e);
      apply(op, v, false);
      if (isSense(0)) {
        op = sense();
        apply(op, number(), true);
      }
    } else {
      expression(e);
      std::string op = sense();
      apply(op, number(), true);
    }
    auto rowFault = [&](const char *what) {
      chk_.fail(formatText("line %d: row %s: %s", rowLine,
                           rowName.empty() ? "without a name" : quoted(rowName.c_str()).c_str(), what));
    };
    if (lo == hi && std::fabs(lo) >= kInf) rowFault("an equality needs a finite right-hand side");
    if (lo > -kInf) lo -= e.constant;
    if (hi < kInf) hi -= e.constant;
    char type;
    double rhs = 0, range = 0;
    if (lo <= -kInf && hi >= kInf) type = 'N';
    else if (lo <= -kInf) type = 'L', rhs = hi;
    else if (hi >= kInf) type = 'G', rhs = lo;
    else if (lo == hi) type = 'E', rhs = lo;
    else if (lo < hi) type = 'R', rhs = hi, range = hi - lo;
    else rowFault("the lower side of its range is above the upper side");
    int i = s_.nrows();
    s_.appendRows(1, &type, &rhs, &range);
    if (!rowName.empty()) s_.rowNames.set(i, rowName);
    for (const Entry &t : e.linear) s_.columns[t.index].push_back(Entry{i, t.value});
    for (const QuadraticTerm &q : e.quadratic)
      s_.qrows[i][quadKey(q.i, q.j)] += q.i == q.j ? q.coef : q.coef / 2;
    if (indicator >= 0) {
      s_.indicatorCol[i] = indicator, s_.indicatorComp[i] = active;
      indicatorCols_.push_back(indicator);
    }
  }
}

void LpReader::bounds(const std::vector<Token> &tokens) {
  start(tokens);
  while (more()) {
    if (isName(0)) {
      int j = column(name());
      if (at(0) && at(0)->kind == Token::Name && lowerCase(at(0)->text.c_str()) == "free") {
        ++pos_;
        s_.lb[j] = -kInf, s_.ub[j] = kInf;
        continue;
      }
      std::string op = sense();
      double v = number();
      if (op != ">=") s_.ub[j] = v;
      if (op != "<=") s_.lb[j] = v;
    } else {
      double v = number();
      std::string op = sense();
      int j = column(name());
      if (op != "<=") s_.ub[j] = v;  // v >= x
      if (op != ">=") s_.lb[j] = v;  // v <= x
      if (isSense(0)) {
        op = sense();
        v = number();
        if (op != ">=") s_.ub[j] = v;
        if (op != "<=") s_.lb[j] = v;
      }
    }
  }
}

void LpReader::names(const std::vector<Token> &tokens, std::vector<char> &flags) {
  start(tokens);
  while (more()) {
    int j = column(name());
    flags[j] = 1;
  }
}

void LpReader::sets(const std::vector<Token> &tokens) {
  start(tokens);
  while (more()) {
    std::string setName;
    if (isName(0) && isOp(1, ":") && isName(2) && isOp(3, ":") && isOp(4, ":"))
      setName = name(), ++pos_;
    std::string type = isName(0) ? lowerCase(at(0)->text.c_str()) : "";
    if ((type != "s1" && type != "s2") || !isOp(1, ":") || !isOp(2, ":"))
      fail("a set starts with [name:] S1:: or S2::");
    pos_ += 3;
    SosSet set;
    set.type = type[1];
    while (isName(0) && isOp(1, ":") && numberLength(2)) {
      set.cols.push_back(column(name()));
      ++pos_;
      set.weights.push_back(number());
    }
    s_.sets.push_back(set);
    s_.setNames.resize(s_.sets.size());
    if (!setName.empty()) s_.setNames.set(s_.sets.size() - 1, setName);
  }
}

void LpReader::finish() {
  int n = s_.ncols();
  for (int j = 0; j < n; ++j) {
    if (binary[j]) {
      s_.colType[j] = 'B';
      s_.lb[j] = std::max(0.0, s_.lb[j]), s_.ub[j] = std::min(1.0, s_.ub[j]);
    } else if (semi[j]) {
      // The lower bound of a semi-continuous column is its threshold.
      s_.colType[j] = general[j] ? 'R' : 'S';
      s_.limit[j] = s_.lb[j] > 0 ? s_.lb[j] : 0.0;
      s_.lb[j] = 0.0;
    } else if (general[j]) {
      s_.colType[j] = 'I';
    }
  }
  for (int j : indicatorCols_)
    if (s_.colType[j] != 'B')
      s_.colType[j] = 'B', s_.lb[j] = std::max(0.0, s_.lb[j]), s_.ub[j] = std::min(1.0, s_.ub[j]);
  for (int j = 0; j < n; ++j) s_.normaliseColumn(j);
  for (auto it = s_.qobj.begin(); it != s_.qobj.end();) it = it->second == 0 ? s_.qobj.erase(it) : std::next(it);

  // Range columns ("Rg<row>", only in that equality row, coefficient +-1,
  // no cost, finite bounds) become the row's range again.
  std::vector<char> involved(n, 0), keep(n, 1);
  for (const auto &t : s_.qobj) involved[t.first.first] = involved[t.first.second] = 1;
  for (const auto &r : s_.qrows)
    for (const auto &t : r.second) involved[t.first.first] = involved[t.first.second] = 1;
  for (const SosSet &set : s_.sets)
    for (int j : set.cols) involved[j] = 1;
  for (int j : indicatorCols_) involved[j] = 1;
  bool anyRange = false;
  for (int j = 0; j < n; ++j) {
    const std::string cname = s_.colNames.get(j);
    if (involved[j] || cname.compare(0, 2, "Rg") != 0 || s_.columns[j].size() != 1) continue;
    const Entry &e = s_.columns[j][0];
    int i = e.index;
    double l = s_.lb[j], u = s_.ub[j];
    if (std::fabs(e.value) != 1 || s_.rowType[i] != 'E' || s_.obj[j] != 0 || s_.colType[j] != 'C' ||
        !s_.rowNames.hasOwn(i) || l <= -kInf || u >= kInf || l > u)
      continue;
    const std::string rname = s_.rowNames.get(i);
    if (cname.compare(2, rname.size(), rname) != 0 ||
        cname.find_first_not_of('_', 2 + rname.size()) != std::string::npos)
      continue;
    // a'x + r = rhs with l <= r <= u: rhs - u <= a'x <= rhs - l (and the mirror for -r).
    double top = e.value > 0 ? s_.rhs[i] - l : s_.rhs[i] + u;
    s_.rowType[i] = u > l ? 'R' : 'E';
    s_.rhs[i] = top;
    s_.range[i] = u - l;
    keep[j] = 0;
    anyRange = true;
  }
  if (anyRange) s_.keepCols(keep);
}

}  // namespace

std::unique_ptr<ProblemStore> readLp(const Check &chk, std::istream &in, std::string &name) {
  auto store = std::make_unique<ProblemStore>();
  LpReader reader(chk, *store);
  std::vector<Token> objective, rows, bounds, generals, binaries, semis, sets;
  Section section = Section::None;
  bool started = false, ended = false;
  int sense = 1, lineNo = 0;
  std::string line;
  while (!ended && std::getline(in, line)) {
    ++lineNo;
    size_t comment = line.find('\\');
    if (comment != std::string::npos) {
      std::string note = line.substr(comment + 1);
      size_t at = note.find_first_not_of(" \t");
      std::string lower = at == std::string::npos ? "" : lowerCase(note.c_str() + at);
      if (!started && name.empty() && lower.compare(0, 13, "problem name:") == 0) {
        std::string rest = note.substr(at + 13);
        size_t a = rest.find_first_not_of(" \t"), b = rest.find_last_not_of(" \t\r");
        name = a == std::string::npos ? "" : rest.substr(a, b - a + 1);
      }
      line.erase(comment);
    }
    size_t rest = 0;
    Section next;
    int nextSense;
    if (sectionKeyword(line, next, nextSense, rest)) {
      started = true;
      if (next == Section::None) {
        ended = true;
        break;
      }
      section = next;
      if (next == Section::Objective) sense = nextSense;
      line.erase(0, rest);
    } else {
      // Sections of cuts: refused rather than read as constraints.
      std::string lower = lowerCase(line.c_str());
      size_t a = lower.find_first_not_of(" \t"), b = lower.find_last_not_of(" \t\r");
      std::string trimmed = a == std::string::npos ? "" : lower.substr(a, b - a + 1);
      if (trimmed == "lazy constraints" || trimmed == "user cuts")
        chk.fail(formatText("line %d: lazy constraints and user cuts are not read from LP files",
                            lineNo));
    }
    std::vector<Token> *target = nullptr;
    switch (section) {
      case Section::Objective: target = &objective; break;
      case Section::Constraints: target = &rows; break;
      case Section::Bounds: target = &bounds; break;
      case Section::Generals: target = &generals; break;
      case Section::Binaries: target = &binaries; break;
      case Section::Semis: target = &semis; break;
      case Section::Sos: target = &sets; break;
      case Section::None: break;
    }
    if (!target) {
      if (line.find_first_not_of(" \t\r") != std::string::npos)
        chk.fail(formatText("line %d: text before the objective (Minimize or Maximize)", lineNo));
      continue;
    }
    tokenize(chk, line, lineNo, *target);
  }
  if (!started) chk.fail("the file holds no LP sections (Minimize or Maximize, Subject To, ...)");
  // Columns are made in the order the sections name them, the objective first.
  reader.objective(objective, sense);
  reader.constraints(rows);
  reader.bounds(bounds);
  reader.names(generals, reader.general);
  reader.names(binaries, reader.binary);
  reader.names(semis, reader.semi);
  reader.sets(sets);
  reader.finish();
  return store;
}

}  // namespace qrva
