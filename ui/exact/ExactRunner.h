// One exact run of the desktop page on a thread of its own: progress and the result come back to
// the window's thread as queued signals, so the window stays responsive while every core counts.
#pragma once

#include "exact/exact_run.h"
#include "exact/exact_sweep.h"

#include <QObject>
#include <QString>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

namespace kvarlen {

// A sweep of a price or payout counted on the runner, with the target edge solved beside it.
struct TSweepOutcome {
    TExactSettings Base; // the rules of START, the swept value as the rules had it
    TPayTable Pay{};
    TSweepPlan Plan;
    std::vector<TExactResult> Points;
    double Current = 0; // the value of the rules in force
    bool HasTarget = false;
    TEdgeTarget Edge;
    bool Solved = false; // the solve ran to its end (found or not)
    TSweepSolution Solution;
    bool Complete = false; // every point counted (and solved, when asked)
    double Seconds = 0;
};

class TExactRunner : public QObject {
    Q_OBJECT

  public:
    explicit TExactRunner(QObject* parent = nullptr);
    // Stops a run that still goes on and waits for its thread.
    ~TExactRunner() override;

    // Starts a run; false (nothing started) while another one goes on. The settings must have
    // passed ValidateExactSettings, and PayTable must stay unchanged until Finished. The time
    // left counts the runs of `later` too (those that follow it in a comparison).
    bool Start(const TExactSettings& settings, const std::vector<TExactSettings>& later = {});
    // Starts a sweep of outcome's plan (and a solve of its target edge, if any) on outcome's
    // rules; the outcome comes back through SweepFinished. False while another run goes on.
    bool StartSweep(const TSweepOutcome& outcome);
    // Asks the run to stop; its result comes through Finished, marked incomplete.
    void Stop();
    // Stops the run, if any, and waits for its thread; no signal comes after this.
    void StopAndWait();
    // From Start until Finished or Failed has been delivered.
    bool Running() const { return running_; }
    bool StopRequested() const { return stop_.load(); }

  signals:
    // Canonical layouts done and in the run, and an estimate of the seconds left (-1: none yet)
    // from the rate of the recent work, each layout weighed by what its class costs to count.
    void Progress(quint64 done, quint64 total, double secondsLeft);
    void Finished(std::shared_ptr<const kvarlen::TExactResult> result);
    void SweepFinished(std::shared_ptr<const kvarlen::TSweepOutcome> outcome);
    void Failed(const QString& message);

  private:
    // What a run does on its thread: counts with the progress given and returns what the
    // window's thread emits at the end.
    using TJob = std::function<std::function<void()>(const TExactProgress& progress)>;
    // passes: how many passes of settings' layouts the job makes (a sweep and its solve).
    bool Launch(const TExactSettings& settings, double laterWork, int passes, TJob job);
    void Join();

    std::thread thread_;
    std::atomic<bool> stop_{false};
    bool running_ = false;
    // Tells the queued calls of a run that was waited for apart from those of the current run.
    quint64 generation_ = 0;
};

} // namespace kvarlen
