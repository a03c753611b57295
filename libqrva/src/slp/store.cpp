#include "slp/store.h"

#include <set>

#include "core/text.h"

namespace qrva {
namespace {

// New index of every kept entry, -1 for deleted ones.
std::vector<int> renumbering(const std::vector<char> &keep) {
  std::vector<int> to(keep.size(), -1);
  int next = 0;
  for (size_t i = 0; i < keep.size(); ++i)
    if (keep[i]) to[i] = next++;
  return to;
}

// f * F as tokens: F itself for f = 1, else F f *.
void appendScaled(Formula &out, const Formula &f, double factor) {
  out.insert(out.end(), f.begin(), f.end());
  if (factor != 1.0) {
    out.push_back(Token{kTokConstant, factor});
    out.push_back(Token{kTokOperator, kOpMultiply});
  }
}

}  // namespace

int SlpStore::nonlinearRows() const {
  std::set<int> rows;
  for (const auto &c : coefficients) rows.insert(c.first.first);
  return static_cast<int>(rows.size());
}

void SlpStore::addCoefficient(int row, int col, double factor, Formula formula) {
  auto found = coefficients.find({row, col});
  if (found == coefficients.end()) {
    coefficients[{row, col}] = SlpCoefficient{factor, std::move(formula)};
    return;
  }
  // The sum is built in place on the stored formula: copying it for every
  // added term would make a row of n terms cost n^2.
  SlpCoefficient &c = found->second;
  if (c.factor != factor) {
    // f1 F1 + f2 F2 = 1 (F1 f1 * + F2 f2 *)
    if (c.factor != 1.0) {
      c.formula.push_back(Token{kTokConstant, c.factor});
      c.formula.push_back(Token{kTokOperator, kOpMultiply});
    }
    c.factor = 1.0;
    appendScaled(c.formula, formula, factor);
  } else {
    // f F1 + f F2 = f (F1 + F2)
    c.formula.insert(c.formula.end(), formula.begin(), formula.end());
  }
  c.formula.push_back(Token{kTokOperator, kOpAdd});
}

int SlpStore::stringIndex(const std::string &text) {
  for (size_t k = 0; k < strings.size(); ++k)
    if (strings[k] == text) return static_cast<int>(k) + 1;
  strings.push_back(text);
  return static_cast<int>(strings.size());
}

void SlpStore::keepRows(const std::vector<char> &keep) {
  std::vector<int> to = renumbering(keep);
  std::map<CoefficientKey, SlpCoefficient> kept;
  for (auto &c : coefficients) {
    int row = c.first.first;
    if (row >= 0 && row < static_cast<int>(to.size()) && to[row] >= 0)
      kept[{to[row], c.first.second}] = std::move(c.second);
  }
  coefficients = std::move(kept);
  for (auto &v : variables) {
    int &r = v.second.detrow;
    if (r >= 0 && r < static_cast<int>(to.size())) r = to[r];
  }
  std::map<int, SlpRow> keptRows;
  for (const auto &r : rows)
    if (r.first < static_cast<int>(to.size()) && to[r.first] >= 0) keptRows[to[r.first]] = r.second;
  rows = std::move(keptRows);
  std::map<CoefficientKey, double> factors;
  for (const auto &f : derivativeFactors) {
    int row = f.first.first;
    if (row < static_cast<int>(to.size()) && to[row] >= 0) factors[{to[row], f.first.second}] = f.second;
  }
  derivativeFactors = std::move(factors);
  solution = SlpSolution{};
  cascadeOrder.clear();
}

void SlpStore::keepCols(const std::vector<char> &keep) {
  std::vector<int> to = renumbering(keep);
  auto mapped = [&](int col) { return col >= 0 && col < static_cast<int>(to.size()) ? to[col] : -1; };
  std::map<CoefficientKey, SlpCoefficient> kept;
  for (auto &c : coefficients) {
    int col = c.first.second;
    if (col >= 0 && mapped(col) < 0) continue;
    for (Token &t : c.second.formula)
      if (t.type == kTokVariable) t.value = mapped(static_cast<int>(t.value));
    kept[{c.first.first, col < 0 ? col : mapped(col)}] = std::move(c.second);
  }
  coefficients = std::move(kept);
  std::map<int, SlpVariable> vars;
  for (auto &v : variables)
    if (mapped(v.first) >= 0) vars[mapped(v.first)] = v.second;
  variables = std::move(vars);
  std::map<CoefficientKey, double> factors;
  for (const auto &f : derivativeFactors)
    if (mapped(f.first.second) >= 0) factors[{f.first.first, mapped(f.first.second)}] = f.second;
  derivativeFactors = std::move(factors);
  solution = SlpSolution{};
  cascadeOrder.clear();
}

std::string SlpStore::formulaUseOfDeleted(const std::vector<char> &keep) const {
  for (const auto &c : coefficients) {
    // A coefficient in a deleted column goes with it; its formula does not matter.
    int col = c.first.second;
    if (col >= 0 && col < static_cast<int>(keep.size()) && !keep[col]) continue;
    for (size_t k = 0; k < c.second.formula.size(); ++k) {
      const Token &t = c.second.formula[k];
      int v = static_cast<int>(t.value);
      if (t.type == kTokVariable && v < static_cast<int>(keep.size()) && !keep[v])
        return formatText("column %d is used in the formula of coefficient (row %d, column %d)",
                          v, c.first.first, col);
    }
  }
  return std::string();
}

const ToleranceSet *SlpStore::tolsetOf(int col) const {
  auto v = variables.find(col);
  if (v == variables.end()) return nullptr;
  int k = v->second.tolset;
  return k >= 1 && k <= static_cast<int>(tolsets.size()) ? &tolsets[k - 1] : nullptr;
}

SlpRow SlpStore::rowOf(int row) const {
  auto r = rows.find(row);
  return r == rows.end() ? SlpRow{} : r->second;
}

}  // namespace qrva
