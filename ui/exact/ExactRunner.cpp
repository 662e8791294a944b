#include "ui/exact/ExactRunner.h"

#include "exact/exact_progress.h"

#include <exception>

namespace kvarlen {

TExactRunner::TExactRunner(QObject* parent) : QObject(parent) {}

TExactRunner::~TExactRunner() {
    StopAndWait();
}

bool TExactRunner::Start(const TExactSettings& settings, const std::vector<TExactSettings>& later) {
    double laterWork = 0;
    for (const TExactSettings& s : later) laterWork += TExactWork(s).Total();
    return Launch(settings, laterWork, 1, [this, settings](const TExactProgress& progress) {
        auto result = std::make_shared<const TExactResult>(RunExact(settings, progress, &stop_));
        return std::function<void()>([this, result] { emit Finished(result); });
    });
}

bool TExactRunner::StartSweep(const TSweepOutcome& outcome) {
    const int passes = outcome.HasTarget ? 2 : 1;
    return Launch(outcome.Base, 0, passes, [this, outcome](const TExactProgress& progress) {
        const auto started = std::chrono::steady_clock::now();
        auto out = std::make_shared<TSweepOutcome>(outcome);
        out->Points = RunExactSweep(out->Base, out->Pay, out->Plan, progress, &stop_);
        out->Complete = !out->Points.empty() && out->Points.front().Complete;
        if (out->Complete && out->HasTarget) {
            out->Solution = SolveBesideSweep(out->Base, out->Pay, out->Plan, out->Points, out->Edge,
                                             progress, &stop_);
            out->Solved = !stop_.load();
            out->Complete = out->Solved;
        }
        out->Seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
        std::shared_ptr<const TSweepOutcome> done = out;
        return std::function<void()>([this, done] { emit SweepFinished(done); });
    });
}

bool TExactRunner::Launch(const TExactSettings& settings, double laterWork, int passes, TJob job) {
    if (running_) return false;
    Join();
    stop_ = false;
    running_ = true;
    const quint64 generation = ++generation_;
    // The calls below are queued to this object's thread; a run that was waited for (or this
    // object, once deleted) drops them.
    thread_ = std::thread([this, settings, laterWork, passes, job, generation] {
        const auto started = std::chrono::steady_clock::now();
        // The cost of every layout of the part, known before the first is counted.
        const auto work = std::make_shared<const TExactWork>(settings);
        const double passWork = work->Total();
        const auto estimate = std::make_shared<TExactTimeLeft>(passWork * passes, laterWork);
        // A pass starts again from layout 0: the passes before it count as done.
        auto pass = std::make_shared<int>(0);
        auto last = std::make_shared<uint64_t>(0);
        auto progress = [this, generation, started, work, estimate, passes, passWork, pass,
                         last](uint64_t done, uint64_t total) {
            if (done < *last && *pass + 1 < passes) ++*pass;
            *last = done;
            const double seconds =
                std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
            const double workDone = *pass * passWork + work->Done(done);
            const quint64 shownDone = static_cast<quint64>(*pass) * total + done;
            const quint64 shownTotal = static_cast<quint64>(passes) * total;
            QMetaObject::invokeMethod(
                this,
                [this, generation, shownDone, shownTotal, seconds, workDone, estimate] {
                    if (generation != generation_ || !running_) return;
                    emit Progress(shownDone, shownTotal, estimate->Report(seconds, workDone));
                },
                Qt::QueuedConnection);
        };
        std::function<void()> deliver;
        QString failure;
        try {
            deliver = job(progress);
        } catch (const std::exception& e) {
            failure = QString::fromStdString(e.what());
        } catch (...) {
            failure = "unknown error";
        }
        QMetaObject::invokeMethod(
            this,
            [this, generation, deliver, failure] {
                if (generation != generation_ || !running_) return;
                running_ = false;
                Join();
                if (deliver)
                    deliver();
                else
                    emit Failed(failure);
            },
            Qt::QueuedConnection);
    });
    return true;
}

void TExactRunner::Stop() {
    if (running_) stop_ = true;
}

void TExactRunner::StopAndWait() {
    stop_ = true;
    Join();
    running_ = false;
    ++generation_;
}

void TExactRunner::Join() {
    if (thread_.joinable()) thread_.join();
}

} // namespace kvarlen
