#include "slp/formula_text.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <cstring>

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

enum class Lex { End, Number, Name, Quoted, Symbol };

class TextParser {
 public:
  TextParser(const Check &chk, const std::string &text, const FormulaNameLookup &names,
             const std::string &what)
      : chk_(chk), text_(text), names_(names), what_(what) {
    next();
  }

  Formula parse() {
    Formula out;
    expression(out, 0);
    if (kind_ != Lex::End) fail(start_, "an operator or the end of the formula is expected");
    return out;
  }

 private:
  [[noreturn]] void fail(size_t pos, const std::string &why) const {
    chk_.fail(formatText("%s: formula %s: %s at character %zu", what_.c_str(),
                         quoted(text_.c_str()).c_str(), why.c_str(), pos + 1));
  }

  // Reads the next lexical item into kind_/item_/number_, from pos_.
  void next() {
    while (pos_ < text_.size() && std::isspace(static_cast<unsigned char>(text_[pos_]))) ++pos_;
    start_ = pos_;
    if (pos_ >= text_.size()) {
      kind_ = Lex::End;
      return;
    }
    char c = text_[pos_];
    if (std::isdigit(static_cast<unsigned char>(c)) ||
        (c == '.' && pos_ + 1 < text_.size() &&
         std::isdigit(static_cast<unsigned char>(text_[pos_ + 1])))) {
      const char *begin = text_.c_str() + pos_;
      char *end = nullptr;
      number_ = std::strtod(begin, &end);
      if (!std::isfinite(number_)) fail(start_, "the number is out of range");
      pos_ += static_cast<size_t>(end - begin);
      kind_ = Lex::Number;
      return;
    }
    if (bareNameStart(c)) {
      size_t end = pos_;
      while (end < text_.size() && bareNameChar(text_[end])) ++end;
      item_ = text_.substr(pos_, end - pos_);
      pos_ = end;
      kind_ = Lex::Name;
      return;
    }
    if (c == '"') {
      item_.clear();
      for (++pos_;; ++pos_) {
        if (pos_ >= text_.size()) fail(start_, "the quoted name has no closing '\"'");
        if (text_[pos_] == '"') {
          if (pos_ + 1 < text_.size() && text_[pos_ + 1] == '"') {
            item_ += '"', ++pos_;
            continue;
          }
          ++pos_;
          break;
        }
        item_ += text_[pos_];
      }
      kind_ = Lex::Quoted;
      return;
    }
    if (std::strchr("+-*/^(),", c) == nullptr)
      fail(start_, formatText("character %s is not part of a formula", Check::charText(c).c_str()));
    item_ = std::string(1, c);
    ++pos_;
    kind_ = Lex::Symbol;
  }

  bool symbol(char c) const { return kind_ == Lex::Symbol && item_[0] == c; }

  // What follows the current item, without consuming anything.
  bool nextIsPower() const {
    size_t p = pos_;
    while (p < text_.size() && std::isspace(static_cast<unsigned char>(text_[p]))) ++p;
    return p < text_.size() && text_[p] == '^';
  }

  void deeper(int depth) const {
    if (depth > kMaxFormulaTextDepth)
      fail(start_, formatText("the formula is nested more than %d levels deep",
                              kMaxFormulaTextDepth));
  }

  void expression(Formula &out, int depth) {
    deeper(depth);
    term(out, depth);
    while (symbol('+') || symbol('-')) {
      int op = symbol('+') ? kOpAdd : kOpSubtract;
      next();
      term(out, depth);
      out.push_back(Token{kTokOperator, static_cast<double>(op)});
    }
  }

  void term(Formula &out, int depth) {
    unary(out, depth);
    while (symbol('*') || symbol('/')) {
      int op = symbol('*') ? kOpMultiply : kOpDivide;
      next();
      unary(out, depth);
      out.push_back(Token{kTokOperator, static_cast<double>(op)});
    }
  }

  void unary(Formula &out, int depth) {
    deeper(depth);
    if (!symbol('-')) return power(out, depth);
    next();
    if (kind_ == Lex::Number && !nextIsPower()) {
      out.push_back(Token{kTokConstant, -number_});
      next();
      return;
    }
    unary(out, depth + 1);
    out.push_back(Token{kTokOperator, static_cast<double>(kOpNegate)});
  }

  void power(Formula &out, int depth) {
    atom(out, depth);
    if (!symbol('^')) return;
    next();
    unary(out, depth + 1);
    out.push_back(Token{kTokOperator, static_cast<double>(kOpPower)});
  }

  void atom(Formula &out, int depth) {
    deeper(depth);
    size_t at = start_;
    switch (kind_) {
      case Lex::Number:
        out.push_back(Token{kTokConstant, number_});
        next();
        return;
      case Lex::Quoted:
      case Lex::Name: {
        std::string name = item_;
        bool bare = kind_ == Lex::Name;
        next();
        if (bare && symbol('(')) return call(out, name, at, depth);
        int col = names_.column ? names_.column(name) : -1;
        if (col < 0) fail(at, formatText("%s is not a column", quoted(name.c_str()).c_str()));
        out.push_back(Token{kTokVariable, static_cast<double>(col)});
        return;
      }
      case Lex::Symbol:
        if (symbol('(')) {
          next();
          expression(out, depth + 1);
          if (!symbol(')')) fail(start_, "')' is expected");
          next();
          return;
        }
        fail(at, formatText("'%s' is not expected here; a number, a name or '(' is", item_.c_str()));
      case Lex::End: fail(at, "the formula ends where a value is expected");
    }
  }

  // name( args ): the '(' is the current item.
  void call(Formula &out, const std::string &name, size_t at, int depth) {
    int builtin = builtinCode(name);
    int user = builtin ? -1 : (names_.userFunction ? names_.userFunction(name) : -1);
    if (!builtin && user < 0)
      fail(at, formatText("%s is neither a built-in function nor a user function",
                          quoted(name.c_str()).c_str()));
    next();
    std::vector<Formula> args;
    if (!symbol(')')) {
      while (true) {
        args.emplace_back();
        expression(args.back(), depth + 1);
        if (symbol(')')) break;
        if (!symbol(',')) fail(start_, "',' or ')' is expected after a function argument");
        next();
      }
    }
    next();
    out.push_back(Token{kTokArgMarker, 0.0});
    if (builtin == 0) std::reverse(args.begin(), args.end());  // user functions: last first
    for (const Formula &a : args) out.insert(out.end(), a.begin(), a.end());
    out.push_back(builtin ? Token{kTokFunction, static_cast<double>(builtin)}
                          : Token{kTokUserFunction, static_cast<double>(user)});
  }

  const Check &chk_;
  const std::string &text_;
  const FormulaNameLookup &names_;
  const std::string &what_;
  size_t pos_ = 0, start_ = 0;
  Lex kind_ = Lex::End;
  std::string item_;
  double number_ = 0.0;
};

}  // namespace

Formula formulaFromText(const Check &chk, const std::string &text,
                        const FormulaNameLookup &names, const std::string &what) {
  return TextParser(chk, text, names, what).parse();
}

Formula checkedFormulaFromText(const Check &chk, const std::string &text,
                               const FormulaNameLookup &names, int ncols, int nfunctions,
                               const std::string &what) {
  Formula formula = formulaFromText(chk, text, names, what);
  std::vector<int> types;
  std::vector<double> values;
  for (const Token &t : formula) types.push_back(t.type), values.push_back(t.value);
  types.push_back(kTokEnd), values.push_back(0.0);
  readFormula(chk, types.data(), values.data(), 0, static_cast<int64_t>(types.size()), ncols,
              nfunctions, "the formula of " + what);
  return formula;
}

}  // namespace qrva
