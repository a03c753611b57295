// A problem's cut pool: cuts stored by the user (QRVAstorecuts64) or added
// at nodes (QRVAaddcuts64), each with a type of the user's choosing, and
// the bound sets stored for branching (QRVAstorebounds). Handles are
// pointers to the pool's records; a handle is accepted only while the pool
// holds it, so a deleted cut or a made-up pointer is refused, never read.
// The workers of a search share the pool: every member takes the pool's
// lock, and a deleted cut's record stays allocated (never found again)
// until the pool goes, so a handle another worker checked a moment before
// still points at the cut it was.
#pragma once

#include <memory>
#include <mutex>
#include <unordered_map>
#include <vector>

#include "highs/node_lp.h"
#include "qrva.h"
#include "tree/branching.h"

struct qrva_problem_s;

struct qrva_cut_s {
  int type;
  char rowType;  // 'L' 'G' 'E'
  double rhs;
  std::shared_ptr<const qrva::LpRow> row;
};

namespace qrva {

class Check;

namespace tree {

// Whether a cut of type cutType is selected by (type, interp): interp -1
// selects every cut, 1 cuts of exactly that type, 2 cuts sharing a bit
// with it, 3 cuts having all of its bits.
bool cutTypeMatches(int cutType, int type, int interp);

// Bound changes stored for branching, with the pool that owns them.
struct StoredBounds {
  std::vector<BranchBound> bounds;
};

class CutPool {
 public:
  // Stores a cut; with nodupl 1 a cut equal to one of the same type, with
  // 2 equal to any, is not stored again and the existing one is returned.
  QRVAcut store(int type, char rowType, double rhs, const std::vector<int> &cols,
                const std::vector<double> &vals, int nodupl);
  bool holds(QRVAcut cut) const;
  void remove(QRVAcut cut);
  // The cuts selected by (type, interp), in the order they were stored.
  std::vector<QRVAcut> matching(int type, int interp) const;
  // The cut whose row this is, or null.
  QRVAcut byRow(const LpRow *row) const;

  StoredBounds *storeBounds(std::vector<BranchBound> bounds);
  bool holds(const void *bounds) const;

 private:
  mutable std::mutex mutex_;
  std::vector<std::unique_ptr<qrva_cut_s>> cuts_;
  std::vector<std::unique_ptr<qrva_cut_s>> removed_;  // deleted, kept allocated
  std::unordered_map<const void *, size_t> index_;
  std::unordered_map<const LpRow *, qrva_cut_s *> byRow_;
  std::vector<std::unique_ptr<StoredBounds>> bounds_;
  std::unordered_map<const void *, size_t> boundIndex_;
};

// The cut pool that the cuts of p belong to: the running search's while p is
// one of its node problems, else p's own.
CutPool &poolOf(qrva_problem_s &p);
// Refuses (throws) handles that are not cuts of p's pool.
void checkCutHandles(qrva_problem_s &p, const Check &chk, int ncuts, const QRVAcut cutind[]);
// Refuses (throws) bound changes with a bad column, type ('L' 'U' 'B') or value.
void checkBoundArrays(qrva_problem_s &p, const Check &chk, int nbounds, const int colind[],
                      const char bndtype[], const double bndval[]);

}  // namespace tree
}  // namespace qrva
