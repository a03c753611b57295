#include "slp/formula_text.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <unordered_map>

#include "io/problem_files.h"
#include "core/text.h"

namespace qrva {
namespace {

// Binding strength of what a piece of text is, for the parentheses.
enum Precedence { kSum = 1, kProduct = 2, kUnary = 3, kPower = 4, kAtom = 5 };

const int kFirstFunctionCode = 1, kLastFunctionCode = 99;

bool bareNameStart(char c) { return std::isalpha(static_cast<unsigned char>(c)) || c == '_'; }
bool bareNameChar(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '.';
}

bool isBareName(const std::string &name) {
  if (name.empty() || !bareNameStart(name[0])) return false;
  for (char c : name)
    if (!bareNameChar(c)) return false;
  return true;
}

// The built-in function called name (any case), or 0.
int builtinCode(const std::string &name) {
  std::string lower = lowerCase(name.c_str());
  for (int code = kFirstFunctionCode; code <= kLastFunctionCode; ++code) {
    const char *known = functionName(code);
    if (known != nullptr && lower == known) return code;
  }
  return 0;
}

std::string nameText(const std::string &name) {
  if (isBareName(name)) return name;
  std::string quoted = "\"";
  for (char c : name) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  return quoted + "\"";
}

// One piece of the text being built from the postfix tokens.
struct Piece {
  std::string text;
  int precedence = kAtom;
  bool nonNegativeNumber = false;  // "-" before it would make a negative constant
  int depth = 0;  // nesting (brackets, unary minus, exponents, calls) the reader meets
  bool marker = false;  // an argument-list marker, not a value
};

std::string wrapped(const Piece &p, bool parenthesize) {
  return parenthesize ? "(" + p.text + ")" : p.text;
}

void appendWrapped(std::string &out, const Piece &p, bool parenthesize) {
  if (parenthesize) out += '(';
  out += p.text;
  if (parenthesize) out += ')';
}

}  // namespace

bool userFunctionNameWritable(const std::string &name) {
  return isBareName(name) && builtinCode(name) == 0;
}

std::string formulaToText(const Check &chk, const Formula &f,
                          const std::vector<std::string> &columnNames,
                          const std::vector<std::string> &functionNames) {
  std::vector<Piece> stack;
  auto pop = [&]() {
    Piece p = std::move(stack.back());
    stack.pop_back();
    return p;
  };
  for (const Token &t : f) {
    Piece out;
    switch (t.type) {
      case kTokConstant:
        out.text = numberText(t.value);
        out.precedence = t.value < 0 || std::signbit(t.value) ? kUnary : kAtom;
        out.nonNegativeNumber = out.precedence == kAtom;
        break;
      case kTokVariable: out.text = nameText(columnNames.at(static_cast<size_t>(t.value))); break;
      case kTokArgMarker: out.marker = true; break;
      case kTokOperator: {
        int op = static_cast<int>(t.value);
        if (op == kOpNegate) {
          Piece a = pop();
          bool paren = a.precedence < kUnary || a.nonNegativeNumber;
          out.text = "-" + wrapped(a, paren);
          out.precedence = kUnary;
          out.depth = a.depth + 1 + paren;
          break;
        }
        Piece b = pop(), a = pop();
        const char *sign = op == kOpAdd ? " + " : op == kOpSubtract ? " - "
                         : op == kOpMultiply ? " * " : op == kOpDivide ? " / " : " ^ ";
        int p = op == kOpAdd || op == kOpSubtract ? kSum
              : op == kOpMultiply || op == kOpDivide ? kProduct : kPower;
        // + - * / group to the left; a power's base must be an atom and its
        // exponent is bracketed unless it is one.
        bool parenA = p == kPower ? a.precedence < kAtom : a.precedence < p;
        bool parenB = p == kPower ? b.precedence < kAtom : b.precedence <= p;
        // The left operand's text is extended in place: a long sum written
        // term by term would otherwise be copied once per term.
        out.text = parenA ? wrapped(a, true) : std::move(a.text);
        out.text += sign;
        appendWrapped(out.text, b, parenB);
        out.precedence = p;
        out.depth = std::max(a.depth + parenA, b.depth + parenB + (p == kPower ? 1 : 0));
        break;
      }
      case kTokFunction:
      case kTokUserFunction: {
        std::vector<Piece> args;
        while (!stack.back().marker) args.push_back(pop());
        stack.pop_back();
        // args holds the tokens' order reversed: built-in functions take their
        // arguments in token order, user functions last first.
        if (t.type == kTokFunction) std::reverse(args.begin(), args.end());
        int index = static_cast<int>(t.value);
        out.text = t.type == kTokFunction ? functionName(index) : functionNames.at(index - 1);
        out.text += "(";
        for (size_t k = 0; k < args.size(); ++k) {
          out.text += (k ? ", " : "") + args[k].text;
          out.depth = std::max(out.depth, args[k].depth + 1);
        }
        if (args.empty()) out.depth = 1;
        out.text += ")";
        break;
      }
      default: break;
    }
    if (out.depth > kMaxFormulaTextDepth)
      chk.fail(formatText("a formula is nested more than %d levels deep, too deep to be "
                          "written as text",
                          kMaxFormulaTextDepth));
    stack.push_back(std::move(out));
  }
  return stack.empty() ? std::string() : stack.back().text;
}

namespace {

// Internal lexeme types of names before they are resolved.
const int kLexBareName = -1, kLexQuotedName = -2;

struct Lexeme {
  int type;
  double value;
  size_t pos;        // character (text) or token (token arrays) position
  std::string name;  // for names
};

// Splits a formula text into lexemes. Names stay unresolved.
class TextLexer {
 public:
  TextLexer(const Check &chk, const std::string &text, const std::string &what)
      : chk_(chk), text_(text), what_(what) {}

  [[noreturn]] void fail(size_t pos, const std::string &why) const {
    chk_.fail(formatText("%s: formula %s: %s at character %zu", what_.c_str(),
                         quoted(text_.c_str()).c_str(), why.c_str(), pos + 1));
  }

  std::vector<Lexeme> lex() {
    std::vector<Lexeme> out;
    size_t pos = 0;
    while (true) {
      while (pos < text_.size() && std::isspace(static_cast<unsigned char>(text_[pos]))) ++pos;
      if (pos >= text_.size()) return out;
      out.push_back(one(pos));
    }
  }

 private:
  Lexeme one(size_t &pos) const {
    size_t start = pos;
    char c = text_[pos];
    if (std::isdigit(static_cast<unsigned char>(c)) ||
        (c == '.' && pos + 1 < text_.size() &&
         std::isdigit(static_cast<unsigned char>(text_[pos + 1])))) {
      const char *begin = text_.c_str() + pos;
      char *end = nullptr;
      double number = std::strtod(begin, &end);
      if (!std::isfinite(number)) fail(start, "the number is out of range");
      pos += static_cast<size_t>(end - begin);
      return Lexeme{kTokConstant, number, start, {}};
    }
    if (bareNameStart(c)) {
      size_t end = pos;
      while (end < text_.size() && bareNameChar(text_[end])) ++end;
      Lexeme l{kLexBareName, 0.0, start, text_.substr(pos, end - pos)};
      pos = end;
      return l;
    }
    if (c == '"') {
      Lexeme l{kLexQuotedName, 0.0, start, {}};
      for (++pos;; ++pos) {
        if (pos >= text_.size()) fail(start, "the quoted name has no closing '\"'");
        if (text_[pos] == '"') {
          if (pos + 1 < text_.size() && text_[pos + 1] == '"') {
            l.name += '"', ++pos;
            continue;
          }
          ++pos;
          return l;
        }
        l.name += text_[pos];
      }
    }
    ++pos;
    switch (c) {
      case '+': return Lexeme{kTokOperator, kOpAdd, start, {}};
      case '-': return Lexeme{kTokOperator, kOpSubtract, start, {}};
      case '*': return Lexeme{kTokOperator, kOpMultiply, start, {}};
      case '/': return Lexeme{kTokOperator, kOpDivide, start, {}};
      case '^': return Lexeme{kTokOperator, kOpPower, start, {}};
      case '(': return Lexeme{kTokLeftBracket, 0.0, start, {}};
      case ')': return Lexeme{kTokRightBracket, 0.0, start, {}};
      case ',': return Lexeme{kTokDelimiter, QSLP_DEL_COMMA, start, {}};
      default: break;
    }
    fail(start, formatText("character %s is not part of a formula", Check::charText(c).c_str()));
  }

  const Check &chk_;
  const std::string &text_;
  const std::string &what_;
};

// Gives names their tokens: a bare name before '(' calls a built-in or user
// function, any other name is a column.
void resolveNames(std::vector<Lexeme> &lex, const FormulaNameLookup &names,
                  const TextLexer &lexer) {
  for (size_t k = 0; k < lex.size(); ++k) {
    Lexeme &l = lex[k];
    if (l.type != kLexBareName && l.type != kLexQuotedName) continue;
    bool call = l.type == kLexBareName && k + 1 < lex.size() && lex[k + 1].type == kTokLeftBracket;
    if (call) {
      int builtin = builtinCode(l.name);
      int user = builtin ? -1 : (names.userFunction ? names.userFunction(l.name) : -1);
      if (!builtin && user < 0)
        lexer.fail(l.pos, formatText("%s is neither a built-in function nor a user function",
                                     quoted(l.name.c_str()).c_str()));
      l.type = builtin ? kTokFunction : kTokUserFunction;
      l.value = builtin ? builtin : user;
    } else {
      int col = names.column ? names.column(l.name) : -1;
      if (col < 0) lexer.fail(l.pos, formatText("%s is not a column", quoted(l.name.c_str()).c_str()));
      l.type = kTokVariable;
      l.value = col;
    }
  }
}

// Reads unparsed tokens (reading order) into the parsed (postfix) form:
// + - * / ^ with the usual precedence (^ tightest, grouping to the right,
// then unary minus, then * /, then + -); a minus directly before a number
// that is not raised to a power is a negative constant.
class InfixParser {
 public:
  using Fail = std::function<void(size_t pos, const std::string &why)>;
  InfixParser(const std::vector<Lexeme> &lex, Fail fail) : lex_(lex), fail_(std::move(fail)) {}

  Formula parse() {
    Formula out;
    sum(out, 0);
    if (k_ < lex_.size()) fail(at(), "an operator or the end of the formula is expected");
    return out;
  }

 private:
  [[noreturn]] void fail(size_t pos, const std::string &why) const {
    fail_(pos, why);
    std::abort();  // fail_ always throws
  }
  size_t at() const { return k_ < lex_.size() ? lex_[k_].pos : end(); }
  size_t end() const { return lex_.empty() ? 0 : lex_.back().pos + 1; }
  bool is(int type) const { return k_ < lex_.size() && lex_[k_].type == type; }
  bool op(int code) const { return is(kTokOperator) && lex_[k_].value == code; }

  void deeper(int depth) const {
    if (depth > kMaxFormulaTextDepth)
      fail(at(), formatText("the formula is nested more than %d levels deep", kMaxFormulaTextDepth));
  }

  void sum(Formula &out, int depth) {
    deeper(depth);
    product(out, depth);
    while (op(kOpAdd) || op(kOpSubtract)) {
      double code = lex_[k_++].value;
      product(out, depth);
      out.push_back(Token{kTokOperator, code});
    }
  }

  void product(Formula &out, int depth) {
    unary(out, depth);
    while (op(kOpMultiply) || op(kOpDivide)) {
      double code = lex_[k_++].value;
      unary(out, depth);
      out.push_back(Token{kTokOperator, code});
    }
  }

  void unary(Formula &out, int depth) {
    deeper(depth);
    if (!op(kOpSubtract) && !op(kOpNegate)) return power(out, depth);
    ++k_;
    bool powered = k_ + 1 < lex_.size() && lex_[k_ + 1].type == kTokOperator &&
                   lex_[k_ + 1].value == kOpPower;
    if (is(kTokConstant) && !powered) {
      out.push_back(Token{kTokConstant, -lex_[k_++].value});
      return;
    }
    unary(out, depth + 1);
    out.push_back(Token{kTokOperator, static_cast<double>(kOpNegate)});
  }

  void power(Formula &out, int depth) {
    atom(out, depth);
    if (!op(kOpPower)) return;
    ++k_;
    unary(out, depth + 1);
    out.push_back(Token{kTokOperator, static_cast<double>(kOpPower)});
  }

  void atom(Formula &out, int depth) {
    deeper(depth);
    if (k_ >= lex_.size()) fail(end(), "the formula ends where a value is expected");
    const Lexeme &l = lex_[k_];
    switch (l.type) {
      case kTokConstant:
      case kTokVariable:
        out.push_back(Token{l.type, l.value});
        ++k_;
        return;
      case kTokFunction:
      case kTokUserFunction: return call(out, depth);
      case kTokLeftBracket:
        ++k_;
        sum(out, depth + 1);
        if (!is(kTokRightBracket)) fail(at(), "')' is expected");
        ++k_;
        return;
      default: break;
    }
    fail(l.pos, "a number, a name or '(' is expected here");
  }

  // A function token, then '(' arguments ')'.
  void call(Formula &out, int depth) {
    Token fn{lex_[k_].type, lex_[k_].value};
    ++k_;
    if (!is(kTokLeftBracket)) fail(at(), "'(' is expected after a function");
    ++k_;
    std::vector<Formula> args;
    if (!is(kTokRightBracket)) {
      while (true) {
        args.emplace_back();
        sum(args.back(), depth + 1);
        if (is(kTokRightBracket)) break;
        if (!is(kTokDelimiter)) fail(at(), "',' or ')' is expected after a function argument");
        ++k_;
      }
    }
    ++k_;
    out.push_back(Token{kTokArgMarker, 0.0});
    if (fn.type == kTokUserFunction) std::reverse(args.begin(), args.end());  // last first
    for (const Formula &a : args) out.insert(out.end(), a.begin(), a.end());
    out.push_back(fn);
  }

  const std::vector<Lexeme> &lex_;
  Fail fail_;
  size_t k_ = 0;
};

std::vector<Lexeme> resolvedLexemes(const FormulaNameLookup &names, TextLexer &lexer) {
  std::vector<Lexeme> lex = lexer.lex();
  resolveNames(lex, names, lexer);
  return lex;
}

}  // namespace

Formula formulaFromText(const Check &chk, const std::string &text,
                        const FormulaNameLookup &names, const std::string &what) {
  TextLexer lexer(chk, text, what);
  std::vector<Lexeme> lex = resolvedLexemes(names, lexer);
  return InfixParser(lex, [&](size_t pos, const std::string &why) { lexer.fail(pos, why); }).parse();
}

std::vector<Token> formulaTextTokens(const Check &chk, const std::string &text,
                                     const FormulaNameLookup &names, const std::string &what) {
  TextLexer lexer(chk, text, what);
  std::vector<Token> out;
  for (const Lexeme &l : resolvedLexemes(names, lexer))
    out.push_back(Token{l.type, l.value});
  return out;
}

int formulaTextTokenCount(const Check &chk, const std::string &text, const std::string &what) {
  return static_cast<int>(TextLexer(chk, text, what).lex().size());
}

bool isUnparsedToken(const Token &t) {
  switch (t.type) {
    case kTokConstant: return std::isfinite(t.value);
    case kTokVariable:
    case kTokUserFunction:
    case kTokFunction:
    case kTokLeftBracket:
    case kTokRightBracket:
    case kTokDelimiter: return true;
    case kTokOperator: return t.value >= kOpNegate && t.value <= kOpSubtract;
    default: return false;
  }
}

Formula formulaFromInfix(const Check &chk, const std::vector<Token> &tokens,
                         const std::string &what) {
  std::vector<Lexeme> lex;
  for (size_t k = 0; k < tokens.size(); ++k) {
    const Token &t = tokens[k];
    if (!isUnparsedToken(t))
      chk.fail(formatText("%s: token %zu (type %d, value %s) is not a token of the unparsed form",
                          what.c_str(), k, t.type, numberText(t.value).c_str()));
    lex.push_back(Lexeme{t.type, t.value, k, {}});
  }
  return InfixParser(lex, [&](size_t pos, const std::string &why) {
           chk.fail(formatText("%s: %s at token %zu", what.c_str(), why.c_str(), pos));
         }).parse();
}

std::vector<Token> formulaToInfix(const Check &chk, const Formula &f,
                                  const std::vector<std::string> &columnNames,
                                  const std::vector<std::string> &functionNames) {
  // The text reads back into exactly these tokens, so its lexemes are the
  // unparsed form; columns are found by their position in the list written.
  std::unordered_map<std::string, int> column;
  for (size_t j = 0; j < columnNames.size(); ++j) column.emplace(columnNames[j], static_cast<int>(j));
  FormulaNameLookup names;
  names.column = [&](const std::string &name) {
    auto it = column.find(name);
    return it == column.end() ? -1 : it->second;
  };
  names.userFunction = [&](const std::string &name) {
    for (size_t k = 0; k < functionNames.size(); ++k)
      if (functionNames[k] == name) return static_cast<int>(k) + 1;
    return -1;
  };
  return formulaTextTokens(chk, formulaToText(chk, f, columnNames, functionNames), names,
                           "the formula");
}

void checkFormula(const Check &chk, const Formula &formula, int ncols, int nfunctions,
                  const std::string &what) {
  std::vector<int> types;
  std::vector<double> values;
  for (const Token &t : formula) types.push_back(t.type), values.push_back(t.value);
  types.push_back(kTokEnd), values.push_back(0.0);
  readFormula(chk, types.data(), values.data(), 0, static_cast<int64_t>(types.size()), ncols,
              nfunctions, what);
}

Formula checkedFormulaFromText(const Check &chk, const std::string &text,
                               const FormulaNameLookup &names, int ncols, int nfunctions,
                               const std::string &what) {
  Formula formula = formulaFromText(chk, text, names, what);
  checkFormula(chk, formula, ncols, nfunctions, "the formula of " + what);
  return formula;
}

}  // namespace qrva
