#include "tree/cut_pool.h"

#include <algorithm>
#include <numeric>

namespace qrva {
namespace tree {

bool cutTypeMatches(int cutType, int type, int interp) {
  switch (interp) {
    case -1: return true;
    case 2: return (cutType & type) != 0;
    case 3: return (cutType & type) == type;
    default: return cutType == type;
  }
}

QRVAcut CutPool::store(int type, char rowType, double rhs, const std::vector<int> &cols,
                       const std::vector<double> &vals, int nodupl) {
  // Coefficients by column, so that equal cuts compare equal.
  std::vector<size_t> order(cols.size());
  std::iota(order.begin(), order.end(), 0);
  std::sort(order.begin(), order.end(), [&](size_t a, size_t b) { return cols[a] < cols[b]; });
  auto row = std::make_shared<LpRow>();
  for (size_t k : order) {
    if (vals[k] == 0.0) continue;
    if (!row->cols.empty() && row->cols.back() == cols[k]) row->vals.back() += vals[k];
    else row->cols.push_back(cols[k]), row->vals.push_back(vals[k]);
  }
  row->lower = rowType == 'L' ? -1e20 : rhs;
  row->upper = rowType == 'G' ? 1e20 : rhs;
  std::lock_guard<std::mutex> lock(mutex_);
  if (nodupl != 0)
    for (const auto &c : cuts_)
      if ((nodupl == 2 || c->type == type) && c->rowType == rowType && c->rhs == rhs &&
          c->row->cols == row->cols && c->row->vals == row->vals)
        return c.get();
  auto cut = std::make_unique<qrva_cut_s>();
  cut->type = type, cut->rowType = rowType, cut->rhs = rhs, cut->row = row;
  QRVAcut handle = cut.get();
  index_[handle] = cuts_.size();
  byRow_[row.get()] = handle;
  cuts_.push_back(std::move(cut));
  return handle;
}

bool CutPool::holds(QRVAcut cut) const {
  std::lock_guard<std::mutex> lock(mutex_);
  return index_.count(cut) != 0;
}

void CutPool::remove(QRVAcut cut) {
  std::lock_guard<std::mutex> lock(mutex_);
  auto it = index_.find(cut);
  if (it == index_.end()) return;
  size_t k = it->second;
  byRow_.erase(cuts_[k]->row.get());
  removed_.push_back(std::move(cuts_[k]));
  cuts_.erase(cuts_.begin() + static_cast<std::ptrdiff_t>(k));
  index_.clear();
  for (size_t i = 0; i < cuts_.size(); ++i) index_[cuts_[i].get()] = i;
}

std::vector<QRVAcut> CutPool::matching(int type, int interp) const {
  std::vector<QRVAcut> out;
  std::lock_guard<std::mutex> lock(mutex_);
  for (const auto &c : cuts_)
    if (cutTypeMatches(c->type, type, interp)) out.push_back(c.get());
  return out;
}

QRVAcut CutPool::byRow(const LpRow *row) const {
  std::lock_guard<std::mutex> lock(mutex_);
  auto it = byRow_.find(row);
  return it == byRow_.end() ? nullptr : it->second;
}

StoredBounds *CutPool::storeBounds(std::vector<BranchBound> bounds) {
  auto b = std::make_unique<StoredBounds>();
  b->bounds = std::move(bounds);
  StoredBounds *handle = b.get();
  std::lock_guard<std::mutex> lock(mutex_);
  boundIndex_[handle] = bounds_.size();
  bounds_.push_back(std::move(b));
  return handle;
}

bool CutPool::holds(const void *bounds) const {
  std::lock_guard<std::mutex> lock(mutex_);
  return boundIndex_.count(bounds) != 0;
}

}  // namespace tree
}  // namespace qrva
