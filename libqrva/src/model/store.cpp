#include "model/store.h"

#include "core/text.h"

#include <algorithm>
#include <cmath>

namespace qrva {

// --- NameTable ---------------------------------------------------------------

std::string NameTable::get(size_t i) const {
  if (!names_[i].empty()) return names_[i];
  return std::string(1, prefix_) + std::to_string(i);
}

int NameTable::find(const std::string &name) const {
  if (stale_) {
    index_.clear();
    for (size_t i = 0; i < names_.size(); ++i)
      if (!names_[i].empty()) index_.emplace(names_[i], static_cast<int>(i));
    stale_ = false;
  }
  auto it = index_.find(name);
  if (it != index_.end()) return it->second;
  // A generated name answers for an entry that has no name of its own.
  if (name.size() > 1 && name[0] == prefix_ &&
      name.find_first_not_of("0123456789", 1) == std::string::npos && name.size() < 11) {
    long long i = std::stoll(name.substr(1));
    if (i < static_cast<long long>(names_.size()) && names_[i].empty() &&
        std::to_string(i) == name.substr(1))
      return static_cast<int>(i);
  }
  return -1;
}

void NameTable::keep(const std::vector<char> &keepFlags) {
  size_t out = 0;
  for (size_t i = 0; i < names_.size(); ++i)
    if (keepFlags[i]) {
      if (out != i) names_[out] = std::move(names_[i]);  // a self-move would empty it
      ++out;
    }
  names_.resize(out);
  stale_ = true;
}

size_t NameTable::longest() const {
  size_t n = 0;
  for (size_t i = 0; i < names_.size(); ++i) n = std::max(n, get(i).size());
  return n;
}

// --- ProblemStore ------------------------------------------------------------

ProblemStore::ProblemStore(const ProblemStore &o)
    : lb(o.lb), ub(o.ub), obj(o.obj), limit(o.limit), colType(o.colType), columns(o.columns),
      rowType(o.rowType), rhs(o.rhs), range(o.range), indicatorCol(o.indicatorCol),
      indicatorComp(o.indicatorComp), objConstant(o.objConstant), objSense(o.objSense),
      qobj(o.qobj), qrows(o.qrows), sets(o.sets), rowNames(o.rowNames), colNames(o.colNames),
      setNames(o.setNames), directives(o.directives), secureRows(o.secureRows),
      secureCols(o.secureCols), delayedRows(o.delayedRows), modelCuts(o.modelCuts),
      rowScaleExp(o.rowScaleExp), colScaleExp(o.colScaleExp) {}

int64_t ProblemStore::elements() const {
  int64_t n = 0;
  for (const auto &c : columns) n += static_cast<int64_t>(c.size());
  return n;
}

void ProblemStore::scaleFactors(std::vector<double> &rows, std::vector<double> &cols) const {
  rows.clear(), cols.clear();
  if (rowScaleExp.empty() && colScaleExp.empty()) return;
  rows.assign(nrows(), 1.0), cols.assign(ncols(), 1.0);
  for (const auto &r : rowScaleExp)
    if (r.first < nrows()) rows[r.first] = std::ldexp(1.0, r.second);
  for (const auto &c : colScaleExp)
    if (c.first < ncols()) cols[c.first] = std::ldexp(1.0, c.second);
}

bool ProblemStore::hasDiscreteParts() const {
  if (!sets.empty()) return true;
  for (int j = 0; j < ncols(); ++j)
    if (isDiscrete(j)) return true;
  return false;
}

ProblemCounts ProblemStore::counts() const {
  ProblemCounts c;
  c.rows = c.originalRows = nrows();
  c.cols = c.originalCols = ncols();
  c.sets = c.originalSets = static_cast<int>(sets.size());
  c.elements = elements();
  c.quadraticElements = static_cast<int64_t>(qobj.size());
  for (const auto &s : sets) c.setMembers += static_cast<int>(s.cols.size());
  for (int j = 0; j < ncols(); ++j) c.discreteCols += isDiscrete(j) ? 1 : 0;
  c.quadraticRows = static_cast<int>(qrows.size());
  for (int col : indicatorCol) c.indicators += col >= 0 ? 1 : 0;
  c.longestName = static_cast<int>(
      std::max({rowNames.longest(), colNames.longest(), setNames.longest()}));
  return c;
}

void ProblemStore::appendRows(int n, const char *type, const double *r, const double *rg) {
  for (int i = 0; i < n; ++i) {
    rowType.push_back(type[i]);
    rhs.push_back(r ? r[i] : 0.0);
    range.push_back(type[i] == 'R' && rg ? rg[i] : 0.0);
    indicatorCol.push_back(-1);
    indicatorComp.push_back(0);
  }
  rowNames.resize(rowType.size());
}

void ProblemStore::appendCols(int n, const double *o, const double *l, const double *u) {
  for (int j = 0; j < n; ++j) {
    obj.push_back(o ? o[j] : 0.0);
    lb.push_back(l ? l[j] : 0.0);
    ub.push_back(u ? u[j] : 1e20);
    limit.push_back(0.0);
    colType.push_back('C');
    columns.emplace_back();
  }
  colNames.resize(colType.size());
  matrixChanged();
}

static std::vector<Entry>::iterator findRow(std::vector<Entry> &col, int row) {
  return std::lower_bound(col.begin(), col.end(), row,
                          [](const Entry &e, int r) { return e.index < r; });
}

void ProblemStore::addToElement(int row, int col, double value) {
  auto &c = columns[col];
  auto it = findRow(c, row);
  if (it != c.end() && it->index == row) {
    it->value += value;
    if (it->value == 0.0) c.erase(it);
  } else if (value != 0.0) {
    c.insert(it, Entry{row, value});
  }
  matrixChanged();
}

void ProblemStore::setElement(int row, int col, double value) {
  auto &c = columns[col];
  auto it = findRow(c, row);
  if (it != c.end() && it->index == row) {
    if (value == 0.0)
      c.erase(it);
    else
      it->value = value;
  } else if (value != 0.0) {
    c.insert(it, Entry{row, value});
  }
  matrixChanged();
}

double ProblemStore::element(int row, int col) const {
  auto &c = const_cast<std::vector<Entry> &>(columns[col]);
  auto it = findRow(c, row);
  return it != c.end() && it->index == row ? it->value : 0.0;
}

void ProblemStore::normaliseColumn(int col) {
  auto &c = columns[col];
  std::stable_sort(c.begin(), c.end(),
                   [](const Entry &a, const Entry &b) { return a.index < b.index; });
  size_t out = 0;
  for (size_t k = 0; k < c.size(); ++k) {
    if (out > 0 && c[out - 1].index == c[k].index)
      c[out - 1].value += c[k].value;
    else
      c[out++] = c[k];
  }
  c.resize(out);
  c.erase(std::remove_if(c.begin(), c.end(), [](const Entry &e) { return e.value == 0.0; }),
          c.end());
  matrixChanged();
}

// New index of every old one (-1 when dropped).
static std::vector<int> renumbering(const std::vector<char> &keep) {
  std::vector<int> map(keep.size(), -1);
  int next = 0;
  for (size_t i = 0; i < keep.size(); ++i)
    if (keep[i]) map[i] = next++;
  return map;
}

template <class T>
static void keepItems(std::vector<T> &items, const std::vector<char> &keep) {
  size_t out = 0;
  for (size_t i = 0; i < items.size(); ++i)
    if (keep[i]) {
      if (out != i) items[out] = std::move(items[i]);
      ++out;
    }
  items.resize(out);
}

static std::set<int> renumberSet(const std::set<int> &items, const std::vector<int> &map) {
  std::set<int> out;
  for (int i : items)
    if (map[i] >= 0) out.insert(map[i]);
  return out;
}

template <class V>
static std::map<int, V> renumberMap(const std::map<int, V> &items, const std::vector<int> &map) {
  std::map<int, V> out;
  for (const auto &item : items)
    if (map[item.first] >= 0) out.emplace(map[item.first], item.second);
  return out;
}

static QuadTerms renumberTerms(const QuadTerms &terms, const std::vector<int> &map) {
  QuadTerms out;
  for (const auto &t : terms) {
    int i = map[t.first.first], j = map[t.first.second];
    if (i >= 0 && j >= 0) out[quadKey(i, j)] = t.second;
  }
  return out;
}

void ProblemStore::keepRows(const std::vector<char> &keep) {
  std::vector<int> map = renumbering(keep);
  for (auto &c : columns) {
    size_t out = 0;
    for (const Entry &e : c)
      if (map[e.index] >= 0) c[out++] = Entry{map[e.index], e.value};
    c.resize(out);
  }
  keepItems(rowType, keep), keepItems(rhs, keep), keepItems(range, keep);
  keepItems(indicatorCol, keep), keepItems(indicatorComp, keep);
  rowNames.keep(keep);
  std::map<int, QuadTerms> rows;
  for (auto &r : qrows)
    if (map[r.first] >= 0) rows[map[r.first]] = std::move(r.second);
  qrows = std::move(rows);
  secureRows = renumberSet(secureRows, map);
  delayedRows = renumberSet(delayedRows, map);
  modelCuts = renumberSet(modelCuts, map);
  rowScaleExp = renumberMap(rowScaleExp, map);
  matrixChanged();
}

void ProblemStore::keepCols(const std::vector<char> &keep) {
  std::vector<int> map = renumbering(keep);
  keepItems(lb, keep), keepItems(ub, keep), keepItems(obj, keep), keepItems(limit, keep);
  keepItems(colType, keep), keepItems(columns, keep);
  colNames.keep(keep);
  qobj = renumberTerms(qobj, map);
  for (auto &r : qrows) r.second = renumberTerms(r.second, map);
  for (auto it = qrows.begin(); it != qrows.end();)
    it = it->second.empty() ? qrows.erase(it) : std::next(it);
  for (auto &s : sets) {
    size_t out = 0;
    for (size_t k = 0; k < s.cols.size(); ++k)
      if (map[s.cols[k]] >= 0) s.cols[out] = map[s.cols[k]], s.weights[out++] = s.weights[k];
    s.cols.resize(out), s.weights.resize(out);
  }
  for (size_t i = 0; i < indicatorCol.size(); ++i) {
    if (indicatorCol[i] < 0) continue;
    indicatorCol[i] = map[indicatorCol[i]];
    if (indicatorCol[i] < 0) indicatorComp[i] = 0;  // its column went: a plain row again
  }
  directives = renumberMap(directives, map);
  secureCols = renumberSet(secureCols, map);
  colScaleExp = renumberMap(colScaleExp, map);
  matrixChanged();
}

std::string ProblemStore::indicatorUseOfDeleted(const std::vector<char> &keep) const {
  for (size_t i = 0; i < indicatorCol.size(); ++i) {
    int col = indicatorCol[i];
    if (col >= 0 && col < static_cast<int>(keep.size()) && !keep[col])
      return formatText("column %d (%s) is the indicator column of row %d (%s); delete the "
                        "indicator row first",
                        col, colNames.get(col).c_str(), static_cast<int>(i),
                        rowNames.get(i).c_str());
  }
  return std::string();
}

void ProblemStore::keepSets(const std::vector<char> &keep) {
  keepItems(sets, keep);
  setNames.keep(keep);
}

const RowWise &ProblemStore::rowWise() const {
  if (rowWise_) return *rowWise_;
  auto rw = std::make_unique<RowWise>();
  int m = nrows();
  rw->start.assign(m + 1, 0);
  for (const auto &c : columns)
    for (const Entry &e : c) ++rw->start[e.index + 1];
  for (int i = 0; i < m; ++i) rw->start[i + 1] += rw->start[i];
  rw->entries.resize(rw->start[m]);
  std::vector<int64_t> next(rw->start.begin(), rw->start.end() - 1);
  for (int j = 0; j < ncols(); ++j)
    for (const Entry &e : columns[j]) rw->entries[next[e.index]++] = Entry{j, e.value};
  rowWise_ = std::move(rw);
  return *rowWise_;
}

}  // namespace qrva
