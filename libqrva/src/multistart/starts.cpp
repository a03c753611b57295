#include "multistart/starts.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <tuple>

#include "slp/description.h"
#include "slp/evaluation.h"
#include "slp/solver.h"
#include "slp/validation.h"

namespace qrva {
namespace ms {
namespace {

// splitmix64: small, fast and the same on every platform, so that a seed
// gives the same points everywhere.
class Random {
 public:
  Random(uint64_t seed, uint64_t job) : state_(seed * 0x9E3779B97F4A7C15ULL ^ (job + 1) * 0xD1B54A32D192ED03ULL) {}
  // Uniform in [0, 1).
  double uniform() { return static_cast<double>(next() >> 11) * 0x1.0p-53; }

 private:
  uint64_t next() {
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
  }
  uint64_t state_;
};

const int kFilterDraws = 10;             // INITIALFILTERED: points drawn per job kept
const double kPerturbation = 0.1;        // SLP_BASIC / SLP_EXTENDED: share of the box width
const double kPenaltyCosts[] = {1000.0, 10.0, 1e5};  // SLP_EXTENDED's variations

struct Space {
  const ProblemStore &store;
  std::vector<double> x0;  // the initial point
  std::vector<Box> box;
  // Columns the presets move: not fixed, and not determined by a row (the
  // solver gives those their row's value at every point anyway).
  std::vector<char> moves;
};

// A point drawn uniformly within the boxes; fixed columns keep x0.
std::vector<double> uniformPoint(const Space &sp, Random &rng) {
  std::vector<double> x = sp.x0;
  for (size_t j = 0; j < x.size(); ++j)
    if (sp.moves[j]) x[j] = sp.box[j].lo + rng.uniform() * (sp.box[j].hi - sp.box[j].lo);
  return x;
}

// The initial point with every column moved by up to kPerturbation of its
// box's width either way, kept within its bounds.
std::vector<double> perturbedPoint(const Space &sp, Random &rng) {
  std::vector<double> x = sp.x0;
  for (size_t j = 0; j < x.size(); ++j) {
    if (!sp.moves[j]) continue;
    double width = sp.box[j].hi - sp.box[j].lo;
    double moved = x[j] + (2.0 * rng.uniform() - 1.0) * kPerturbation * width;
    x[j] = std::min(std::max(moved, sp.store.lb[j]), sp.store.ub[j]);
  }
  return x;
}

// Initial values for the columns a point moves (those with room to move).
InitialValues valuesOf(const Space &sp, const std::vector<double> &x) {
  InitialValues v;
  for (size_t j = 0; j < x.size(); ++j)
    if (sp.moves[j]) v.emplace_back(static_cast<int>(j), x[j]);
  return v;
}

// INITIALFILTERED: of kFilterDraws * count uniform points, the count with
// the smallest sum of violations (then the better objective), in the order
// drawn, each scored with its determined columns at their rows' values. A
// point where a formula cannot be evaluated counts as the worst.
std::vector<std::vector<double>> filteredPoints(qslp_problem_s &slp, const Space &sp,
                                                const nlp::Nlp &nlp, Random &rng, int count,
                                                const Check &chk) {
  int sense = settingsOf(slp).sense;
  const double worst = std::numeric_limits<double>::infinity();
  std::vector<std::vector<double>> drawn;
  std::vector<std::tuple<double, double, size_t>> score;
  for (int k = 0; k < kFilterDraws * count; ++k) {
    drawn.push_back(uniformPoint(sp, rng));
    double inf = worst, obj = worst;
    try {
      nlp::Point at;
      at.x = drawn.back();
      nlp::evaluate(nlp, at, false);
      if (!at.ok) throw Failure(QRVA_ERR_ARGUMENT, at.error);
      PointCheck c = checkPoint(slp, at.x, chk);
      inf = c.sumInf, obj = sense * c.objective;
      if (std::isnan(inf)) inf = worst;
      if (std::isnan(obj)) obj = worst;
    } catch (const Failure &) {
    }
    score.emplace_back(inf, obj, drawn.size() - 1);
  }
  std::sort(score.begin(), score.end());
  std::vector<size_t> kept;
  for (int k = 0; k < count; ++k) kept.push_back(std::get<2>(score[k]));
  std::sort(kept.begin(), kept.end());
  std::vector<std::vector<double>> points;
  for (size_t i : kept) points.push_back(std::move(drawn[i]));
  return points;
}

// The solves of one preset job, before the job's own values and settings.
std::vector<Run> presetRuns(qslp_problem_s &slp, const Job &job, const Space &sp,
                            const nlp::Nlp &nlp, Random &rng, const Check &chk) {
  std::vector<Run> runs(job.count);
  switch (job.preset) {
    case QSLP_MSSET_INITIALVALUES:
      for (Run &r : runs) r.initial = valuesOf(sp, uniformPoint(sp, rng));
      break;
    case QSLP_MSSET_INITIALFILTERED: {
      std::vector<std::vector<double>> points = filteredPoints(slp, sp, nlp, rng, job.count, chk);
      for (size_t k = 0; k < runs.size(); ++k) runs[k].initial = valuesOf(sp, points[k]);
      break;
    }
    case QSLP_MSSET_SOLVERS:
      for (size_t k = 0; k < runs.size(); ++k)
        runs[k].settings.ints.emplace_back(QSLP_SLPSECONDORDER, k == 0 ? 1 : 0);
      break;
    case QSLP_MSSET_SLP_BASIC:
    case QSLP_MSSET_SLP_EXTENDED:
      for (size_t k = 0; k < runs.size(); ++k) {
        runs[k].initial = valuesOf(sp, perturbedPoint(sp, rng));
        if (job.preset == QSLP_MSSET_SLP_BASIC) continue;
        runs[k].settings.ints.emplace_back(QSLP_SLPSECONDORDER, k % 2 == 0 ? 1 : 0);
        runs[k].settings.dbls.emplace_back(QSLP_SLPPENALTYCOST, kPenaltyCosts[(k / 2) % 3]);
      }
      break;
    default:  // refused when the job was added
      chk.fail(formatText("preset %d cannot be run", job.preset), QRVA_ERR_INTERNAL);
  }
  for (size_t k = 0; k < runs.size(); ++k)
    runs[k].name = formatText("%s #%zu", job.description.c_str(), k + 1);
  return runs;
}

}  // namespace

Box boxOf(double lb, double ub, double initial) {
  bool hasLb = nlp::finite(lb), hasUb = nlp::finite(ub);
  if (hasLb && hasUb) return {lb, ub};
  if (hasLb) return {lb, lb + QSLP_MS_BOX};
  if (hasUb) return {ub - QSLP_MS_BOX, ub};
  return {initial - QSLP_MS_BOX, initial + QSLP_MS_BOX};
}

std::vector<Run> expandJobs(qslp_problem_s &slp, const Check &chk, bool relaxed) {
  const ProblemStore &store = *slp.qprob->store;
  int n = store.ncols();
  // Fails as the jobs' solves would on a problem the solver does not take.
  nlp::Nlp nlp = nlp::describe(store, slp.store.get(), chk, relaxed);
  nlp.call = userFunctionCaller(slp);
  Space sp{store, startingPoint(store, slp.store.get(), nullptr), {}, std::vector<char>(n, 1)};
  for (int j = 0; j < n; ++j) {
    sp.box.push_back(boxOf(store.lb[j], store.ub[j], sp.x0[j]));
    if (!(sp.box[j].hi > sp.box[j].lo)) sp.moves[j] = 0;
  }
  for (const nlp::Nlp::Determined &d : nlp.determined) sp.moves[d.col] = 0;
  uint64_t seed = static_cast<uint64_t>(slp.qprob->intControl(QRVA_RANDOMSEED));
  std::vector<Run> runs;
  for (size_t k = 0; k < slp.msJobs.size(); ++k) {
    const Job &job = slp.msJobs[k];
    for (const auto &v : job.initial)
      if (v.first >= n)
        chk.fail(formatText("multistart job %zu (%s) sets column %d, but the problem has %d "
                            "columns now; clear the jobs with QSLPmsclear and add them again",
                            k + 1, job.description.c_str(), v.first, n),
                 QRVA_ERR_STATE);
    Random rng(seed, k);
    std::vector<Run> mine;
    if (job.preset == kPlainJob) {
      mine.resize(1);
      mine[0].name = job.description;
    } else {
      mine = presetRuns(slp, job, sp, nlp, rng, chk);
    }
    for (Run &r : mine) {
      r.object = job.object;
      r.initial.insert(r.initial.end(), job.initial.begin(), job.initial.end());
      r.settings.append(job.settings);
      runs.push_back(std::move(r));
    }
  }
  return runs;
}

}  // namespace ms
}  // namespace qrva
