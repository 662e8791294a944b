#include "ui/exact/ExactRunner.h"

#include <exception>

namespace kvarlen {

TExactRunner::TExactRunner(QObject* parent) : QObject(parent) {}

TExactRunner::~TExactRunner() {
    StopAndWait();
}

bool TExactRunner::Start(const TExactSettings& settings) {
    if (running_) return false;
    Join();
    stop_ = false;
    running_ = true;
    const quint64 generation = ++generation_;
    started_ = std::chrono::steady_clock::now();
    // The calls below are queued to this object's thread; a run that was waited for (or this
    // object, once deleted) drops them.
    thread_ = std::thread([this, settings, generation] {
        auto progress = [this, generation](uint64_t done, uint64_t total) {
            QMetaObject::invokeMethod(
                this,
                [this, generation, done, total] {
                    if (generation != generation_ || !running_) return;
                    const double elapsed =
                        std::chrono::duration<double>(std::chrono::steady_clock::now() - started_)
                            .count();
                    const double left = done > 0 ? elapsed * static_cast<double>(total - done) /
                                                       static_cast<double>(done)
                                                 : -1.0;
                    emit Progress(done, total, left);
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
