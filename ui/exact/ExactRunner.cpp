#include "ui/exact/ExactRunner.h"

#include "exact/exact_progress.h"

#include <exception>

namespace kvarlen {

TExactRunner::TExactRunner(QObject* parent) : QObject(parent) {}

TExactRunner::~TExactRunner() {
    StopAndWait();
}

bool TExactRunner::Start(const TExactSettings& settings, const std::vector<TExactSettings>& later) {
    if (running_) return false;
    Join();
    stop_ = false;
    running_ = true;
    const quint64 generation = ++generation_;
    // The calls below are queued to this object's thread; a run that was waited for (or this
    // object, once deleted) drops them.
    thread_ = std::thread([this, settings, later, generation] {
        const auto started = std::chrono::steady_clock::now();
        // The cost of every layout of the part, known before the first is counted.
        const auto work = std::make_shared<const TExactWork>(settings);
        double laterWork = 0;
        for (const TExactSettings& s : later) laterWork += TExactWork(s).Total();
        const auto estimate = std::make_shared<TExactTimeLeft>(work->Total(), laterWork);
        auto progress = [this, generation, started, work, estimate](uint64_t done, uint64_t total) {
            const double seconds =
                std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
            const double workDone = work->Done(done);
            QMetaObject::invokeMethod(
                this,
                [this, generation, done, total, seconds, workDone, estimate] {
                    if (generation != generation_ || !running_) return;
                    emit Progress(done, total, estimate->Report(seconds, workDone));
                },
                Qt::QueuedConnection);
        };
        std::shared_ptr<const TExactResult> result;
        QString failure;
        try {
            result = std::make_shared<const TExactResult>(RunExact(settings, progress, &stop_));
        } catch (const std::exception& e) {
            failure = QString::fromStdString(e.what());
        } catch (...) {
            failure = "unknown error";
        }
        QMetaObject::invokeMethod(
            this,
            [this, generation, result, failure] {
                if (generation != generation_ || !running_) return;
                running_ = false;
                Join();
                if (result)
                    emit Finished(result);
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
