#include "multistart/runner.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <limits>
#include <memory>
#include <mutex>
#include <thread>
#include <tuple>

#include "multistart/starts.h"
#include "slp/solver.h"
#include "slp/validation.h"

namespace qrva {
namespace ms {
namespace {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point t) {
  return std::chrono::duration<double>(Clock::now() - t).count();
}

// A job's copy of the problem: an optimizer problem with a copy of the
// store and controls, and an SLP problem on it with copies of the
// nonlinear store, controls and SLP callbacks (not the multistart ones:
// the copy has no jobs of its own). Both are live handles while it exists,
// so that callbacks given it can query it like any problem.
class JobCopy {
 public:
  JobCopy(const qslp_problem_s &main, const ProblemStore &store, const SlpStore &nonlinear) {
    auto optimizer = std::make_unique<qrva_problem_s>();
    optimizer->name = main.qprob->name;
    optimizer->controls = main.qprob->controls;
    optimizer->store = std::make_unique<ProblemStore>(store);
    slp_ = std::make_unique<qslp_problem_s>(optimizer.get(), true);
    optimizer.release();  // the SLP problem owns it now
    slp_->controls = main.controls;
    slp_->store = std::make_unique<SlpStore>(nonlinear);
    slp_->callbacks = main.callbacks;
    for (SlpCallbackKind kind :
         {SlpCallbackKind::MsJobStart, SlpCallbackKind::MsJobEnd, SlpCallbackKind::MsWinner})
      slp_->callbacks[static_cast<size_t>(kind)] = SlpCallback{};
    // Presolved problems stay presolved, a fixed penalty stays fixed: each
    // job is solved as a single solve of the problem would be.
    slp_->state.statusBits = main.state.statusBits;
    slp_->penaltyFixed = main.penaltyFixed, slp_->fixedPenalty = main.fixedPenalty;
    slp_->isJobCopy = true;
    Environment::instance().registerHandle(slp_->qprob);
    Environment::instance().registerHandle(slp_.get());
  }
  ~JobCopy() { Environment::instance().unregisterHandle(slp_.get()); }
  JobCopy(const JobCopy &) = delete;
  JobCopy &operator=(const JobCopy &) = delete;

  qslp_problem_s &slp() { return *slp_; }

 private:
  std::unique_ptr<qslp_problem_s> slp_;  // its destructor lets the optimizer problem go
};

enum class Outcome { NotRun, Skipped, Failed, Discarded, Solved };

struct Result {
  Outcome outcome = Outcome::NotRun;
  int code = 0;  // of a failure
  std::string error;
  NlpOutcome out;
  double sumInf = std::numeric_limits<double>::infinity();
  double worst = std::numeric_limits<double>::infinity();  // largest relative violation
  bool feasible = false;
};

class Runner {
 public:
  Runner(qslp_problem_s &main, std::vector<Run> runs, const SolveMode &mode, const char *function)
      : main_(main), function_(function), runs_(std::move(runs)), results_(runs_.size()), mode_(mode),
        sense_(mode.sense != 0 ? mode.sense : settingsOf(main).sense),
        store_(*main.qprob->store), nonlinear_(*main.store) {
    nonlinear_.solution = SlpSolution{};
    nonlinear_.cascadeOrder.clear();
  }

  // Runs every job on `threads` workers while this thread passes stops on
  // and logs each job as it ends.
  void run(int threads, const Check &chk) {
    size_t workers = std::min<size_t>(std::max(threads, 1), runs_.size());
    live_.assign(workers, nullptr);
    std::vector<std::thread> pool;
    for (size_t w = 0; w < workers; ++w) {
      {
        std::lock_guard<std::mutex> lock(mutex_);
        ++running_;
      }
      try {
        pool.emplace_back(&Runner::worker, this, w);
      } catch (...) {
        std::lock_guard<std::mutex> lock(mutex_);
        --running_;
        break;
      }
    }
    if (pool.empty()) chk.fail("could not start a thread for the multistart jobs", QRVA_ERR_MEMORY);
    const double limit = settingsOf(main_).timeLimit;
    const Clock::time_point started = Clock::now();
    std::unique_lock<std::mutex> lock(mutex_);
    while (true) {
      changed_.wait_for(lock, std::chrono::milliseconds(10));
      if (int reason = main_.qprob->interruptReason.load()) stop(reason);
      if (secondsSince(started) >= limit) stop(QRVA_STOP_TIMELIMIT);
      if (int reason = stop_.load())
        for (qrva_problem_s *q : live_) {
          int none = 0;
          if (q) q->interruptReason.compare_exchange_strong(none, reason);
        }
      while (!finished_.empty()) {
        size_t i = finished_.front();
        finished_.pop_front();
        lock.unlock();  // the log reaches message callbacks
        logJob(i);
        lock.lock();
      }
      if (running_ == 0) break;
    }
    lock.unlock();
    for (std::thread &t : pool) t.join();
  }

  // The best result becomes the problem's through record, and mswinner
  // hears of it.
  void finish(double seconds, const std::function<void(NlpOutcome, double)> &record) {
    auto key = [&](size_t i) {
      const Result &r = results_[i];
      double objective = sense_ * r.out.objective;
      return r.feasible ? std::make_tuple(0, objective, r.sumInf, i)
                        : std::make_tuple(1, r.sumInf, objective, i);
    };
    const size_t none = runs_.size();
    size_t best = none;
    for (size_t i = 0; i < runs_.size(); ++i) {
      const Result &r = results_[i];
      if (r.outcome != Outcome::Solved || r.out.solution.x.empty()) continue;
      if (best == none || key(i) < key(best)) best = i;
    }
    const int stopped = stop_.load();
    // Every job failed: the solve fails as a single one would, with the
    // first job's reason.
    bool allFailed = true;
    for (const Result &r : results_) allFailed = allFailed && r.outcome == Outcome::Failed;
    if (allFailed) throw Failure(results_[0].code, results_[0].error);
    if (best == none) {
      main_.qprob->message(QRVA_MSG_INFO,
                           formatText("Multistart: none of the %zu jobs gave a result",
                                      runs_.size()));
      NlpOutcome nothing;
      nothing.nlpStatus = kNlpUnfinished, nothing.stopStatus = stopped;
      record(std::move(nothing), seconds);
      return;
    }
    const Result &w = results_[best];
    main_.qprob->message(QRVA_MSG_INFO,
                         formatText("Multistart: job %zu (%s) wins: %s, objective %.9g, largest "
                                    "violation %.3g",
                                    best + 1, runs_[best].name.c_str(),
                                    nlpStatusName(w.out.nlpStatus), w.out.objective, w.worst));
    NlpOutcome out = std::move(results_[best].out);
    if (stopped) out.stopStatus = stopped;
    record(std::move(out), seconds);
    const SlpCallback &cb = main_.callbacks[static_cast<size_t>(SlpCallbackKind::MsWinner)];
    if (cb.function)
      reinterpret_cast<QSLPcbmswinner>(cb.function)(&main_, cb.data, runs_[best].object,
                                                    runs_[best].name.c_str());
  }

 private:
  // Marks the problem of worker w as the one its job runs on while it lives.
  class LiveSlot {
   public:
    LiveSlot(Runner &r, size_t w, qrva_problem_s *q) : r_(r), w_(w) { set(q); }
    ~LiveSlot() { set(nullptr); }
    LiveSlot(const LiveSlot &) = delete;
    LiveSlot &operator=(const LiveSlot &) = delete;

   private:
    void set(qrva_problem_s *q) {
      std::lock_guard<std::mutex> lock(r_.mutex_);
      r_.live_[w_] = q;
    }
    Runner &r_;
    size_t w_;
  };

  void stop(int reason) {
    int none = 0;
    stop_.compare_exchange_strong(none, reason);
  }

  // A stop asked on a job's copy (a callback, QSLPinterrupt) stops all jobs,
  // and so does one asked on the problem itself: the workers look at it
  // before every job, not only when the calling thread next wakes.
  bool stopAsked(const qrva_problem_s &q) {
    if (int reason = q.interruptReason.load()) stop(reason);
    if (int reason = main_.qprob->interruptReason.load()) stop(reason);
    return stop_.load() != 0;
  }

  // msjobstart or msjobend; true when it asked to stop.
  bool jobCallback(SlpCallbackKind kind, qslp_problem_s &copy, const Run &run, int &status) {
    const SlpCallback &cb = main_.callbacks[static_cast<size_t>(kind)];
    if (!cb.function) return false;
    // Both kinds have the signature of msjobstart.
    if (reinterpret_cast<QSLPcbmsjobstart>(cb.function)(&copy, cb.data, run.object,
                                                         run.name.c_str(), &status) != 0)
      stop(QRVA_STOP_USER);
    return stopAsked(*copy.qprob);
  }

  void worker(size_t w) {
    while (true) {
      size_t i = next_++;
      if (i >= runs_.size()) break;
      if (!stopAsked(*main_.qprob)) {
        Result &r = results_[i];
        try {
          solveOne(w, i);
        } catch (const Failure &f) {
          r.outcome = Outcome::Failed, r.code = f.code, r.error = f.what();
        } catch (const std::bad_alloc &) {
          r.outcome = Outcome::Failed, r.code = QRVA_ERR_MEMORY, r.error = "out of memory";
        } catch (const std::exception &e) {
          r.outcome = Outcome::Failed, r.code = QRVA_ERR_INTERNAL;
          r.error = formatText("internal error: %s", e.what());
        } catch (...) {
          r.outcome = Outcome::Failed, r.code = QRVA_ERR_INTERNAL, r.error = "internal error";
        }
      }
      {
        std::lock_guard<std::mutex> lock(mutex_);
        finished_.push_back(i);
      }
      changed_.notify_one();
    }
    {
      std::lock_guard<std::mutex> lock(mutex_);
      --running_;
    }
    changed_.notify_one();
  }

  void solveOne(size_t w, size_t i) {
    const Run &run = runs_[i];
    Result &r = results_[i];
    JobCopy copy(main_, store_, nonlinear_);
    qslp_problem_s &c = copy.slp();
    LiveSlot slot(*this, w, c.qprob);
    {
      // The copy is quiet unless the job's settings say otherwise.
      ParamAccess<qslp_problem_s> access(c, slpCatalog(), function_);
      access.setInt(QSLP_SLPLOG, 0);
      access.setInt(QSLP_SLPECHOOPTIMIZERLOG, 0);
    }
    applySettings(c, run.settings, function_);
    for (const auto &v : run.initial) {
      SlpVariable &var = c.store->variables[v.first];
      var.initValue = v.second, var.hasInitValue = true;
    }
    int status = 0;
    if (jobCallback(SlpCallbackKind::MsJobStart, c, run, status)) return;
    if (status != 0) {
      r.outcome = Outcome::Skipped;
      return;
    }
    Check chk(function_);
    NlpSettings settings = settingsOf(c);
    if (mode_.sense != 0) settings.sense = mode_.sense;
    Clock::time_point started = Clock::now();
    try {
      r.out = solveNonlinear(*c.qprob, &c, settings, chk, mode_.relaxed);
      recordNonlinearSolve(c, r.out, secondsSince(started));
      r.outcome = Outcome::Solved;
      PointCheck at = checkPoint(c, r.out.solution.x, chk);
      r.sumInf = at.sumInf, r.worst = at.worstRel;
      r.feasible = at.worstRel <= settings.feasTol;
    } catch (const Failure &f) {
      // The solve refused the problem or its start, or it ended at a point
      // where the rows cannot be evaluated.
      r.outcome = Outcome::Failed, r.code = f.code, r.error = f.what();
    }
    EvaluationCounts &total = main_.evaluations;
    total.points += c.evaluations.points.load(), total.gradients += c.evaluations.gradients.load();
    total.formulas += c.evaluations.formulas.load(), total.userCalls += c.evaluations.userCalls.load();
    total.nanoseconds += c.evaluations.nanoseconds.load();
    stopAsked(*c.qprob);
    status = 0;
    jobCallback(SlpCallbackKind::MsJobEnd, c, run, status);
    if (status != 0 && r.outcome == Outcome::Solved) r.outcome = Outcome::Discarded;
  }

  void logJob(size_t i) {
    const Result &r = results_[i];
    std::string what;
    switch (r.outcome) {
      case Outcome::NotRun: what = "not run: the multistart was stopped"; break;
      case Outcome::Skipped: what = "skipped by msjobstart"; break;
      case Outcome::Failed: what = "failed: " + r.error; break;
      case Outcome::Discarded:
      case Outcome::Solved:
        what = formatText("%s, objective %.9g, largest violation %.3g%s",
                          nlpStatusName(r.out.nlpStatus), r.out.objective, r.worst,
                          r.outcome == Outcome::Discarded ? ", discarded by msjobend" : "");
        break;
    }
    main_.qprob->message(QRVA_MSG_INFO, formatText("Multistart job %zu of %zu (%s): %s", i + 1,
                                                   runs_.size(), runs_[i].name.c_str(),
                                                   what.c_str()));
  }

  qslp_problem_s &main_;
  const char *const function_;  // the entry point solving, for the jobs' messages
  const std::vector<Run> runs_;
  std::vector<Result> results_;  // entry i written only by the worker running job i
  const SolveMode mode_;
  const int sense_;  // of the comparison of the jobs' objectives
  // What every copy starts from, taken once on the calling thread.
  const ProblemStore store_;
  SlpStore nonlinear_;
  std::atomic<size_t> next_{0};
  std::atomic<int> stop_{0};
  std::mutex mutex_;  // guards live_, finished_ and running_; never held over a callback
  std::condition_variable changed_;
  std::vector<qrva_problem_s *> live_;  // the copy each worker's job runs on
  std::deque<size_t> finished_;         // jobs ended, not yet logged
  int running_ = 0;
};

}  // namespace

void runMultistart(qslp_problem_s &slp, const Check &chk, const SolveMode &mode,
                   const std::function<void(NlpOutcome, double)> &record) {
  Clock::time_point started = Clock::now();
  // The copies take the problem's own rows, a fixed penalty holds for this
  // solve only, and the evaluation counts are those of all the jobs.
  slp.restoreLinearPart();
  slp.evaluations.reset();
  struct PenaltyOnce {
    qslp_problem_s &slp;
    ~PenaltyOnce() { slp.penaltyFixed = false; }
  } penaltyOnce{slp};
  std::vector<Run> runs = expandJobs(slp, chk, mode.relaxed);
  int threads = static_cast<int>(
      slp.controls[slpCatalog().indexOf(slpCatalog().find(QSLP_SLPTHREADS))].i);
  size_t workers = std::min<size_t>(std::max(threads, 1), runs.size());
  slp.qprob->message(QRVA_MSG_INFO, formatText("Multistart: %zu jobs on %zu thread%s",
                                               runs.size(), workers, workers == 1 ? "" : "s"));
  Runner runner(slp, std::move(runs), mode, chk.function());
  runner.run(threads, chk);
  runner.finish(secondsSince(started), record);
}

}  // namespace ms
}  // namespace qrva
