#include "exact/exact_run.h"

#include "exact/exact_layouts.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <memory>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

namespace kvarlen {

namespace {

// Layouts a worker takes at a time: small enough for an even finish and a prompt stop.
constexpr uint64_t kChunk = 64;

} // namespace

std::string ExactModeName(TExactMode m) {
    return m == TExactMode::Strategy ? "strategy" : m == TExactMode::Optimal ? "optimal" : "ideal";
}

void ValidateExactSettings(const TExactSettings& s) {
    if (s.PartCount < 1 || s.PartIndex < 1 || s.PartIndex > s.PartCount)
        throw TExactRefused("the part must be K/N with 1 <= K <= N, got " +
                            std::to_string(s.PartIndex) + "/" + std::to_string(s.PartCount));
    if (s.Threads < 0) throw TExactRefused("the number of threads must be at least 1");
    if (static_cast<uint64_t>(s.PartCount) > CanonicalLayoutCount())
        throw TExactRefused("there are " + std::to_string(CanonicalLayoutCount()) +
                            " canonical layouts: a slicing into " + std::to_string(s.PartCount) +
                            " parts leaves parts without a layout");
    if (s.Mode == TExactMode::Strategy && s.Rules.DealerGameBuy != 0)
        throw TExactRefused("a game bought for the dealer cannot be counted exactly in a "
                            "reasonable time (every dealer hand and his new card would be dealt "
                            "out): the exact value is given only without it");
    if (DecidesByValues(s.Mode) && s.Rules.Exchange1 && s.Rules.Buy6)
        throw TExactRefused("exchanging one card and buying a sixth exclude each other: allow "
                            "only one of them");
}

TExactUInt TExactResult::DealSpace() const {
    return static_cast<TExactUInt>(kPlainLayouts) * 163185u * static_cast<unsigned>(DrawFactor);
}

TExactUInt TExactResult::ExpectedDeals() const {
    return static_cast<TExactUInt>(Tally.PlainLayouts) * 163185u *
           static_cast<unsigned>(DrawFactor);
}

TExactResult RunExact(const TExactSettings& settings, const TExactProgress& progress,
                      const std::atomic<bool>* stop) {
    ValidateExactSettings(settings);
    const auto t0 = std::chrono::steady_clock::now();
    TExactResult result;
    result.Mode = settings.Mode;
    result.Rules = settings.Rules;
    result.Pay = PayTable;
    result.DealerAK = settings.DealerAK;
    result.RaiseAt2Matches = settings.RaiseAt2Matches;
    result.DrawFactor = DrawFactorFor(settings.Rules, settings.Mode);
    result.PartIndex = settings.PartIndex;
    result.PartCount = settings.PartCount;
    result.CanonicalLayouts = CanonicalLayoutCount();

    const TExactConfig cfg =
        MakeExactConfig(settings.Rules, settings.Mode, settings.DealerAK, settings.RaiseAt2Matches);
    const std::vector<TPackedLayout> layouts =
        CanonicalLayouts(settings.PartIndex, settings.PartCount);
    const uint64_t total = layouts.size();
    result.LayoutsInPart = total;
    int threads = settings.Threads;
    if (threads == 0) threads = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    result.Threads = threads;

    std::atomic<uint64_t> next{0}, done{0};
    std::atomic<bool> stopped{false};
    std::mutex mutex;
    std::condition_variable wake;
    int running = threads;
    std::exception_ptr failure;
    auto work = [&]() {
        auto local = std::make_unique<TExactTally>();
        try {
            for (;;) {
                if ((stop && stop->load(std::memory_order_relaxed)) || stopped.load()) {
                    stopped = true;
                    break;
                }
                const uint64_t first = next.fetch_add(kChunk);
                if (first >= total) break;
                const uint64_t last = std::min(total, first + kChunk);
                for (uint64_t i = first; i < last; ++i) {
                    const TExactLayout l = UnpackLayout(layouts[i]);
                    local->AddLayout(CountLayout(l, cfg), l.Multiplicity);
                }
                done.fetch_add(last - first);
            }
        } catch (...) {
            std::lock_guard<std::mutex> lock(mutex);
            if (!failure) failure = std::current_exception();
            stopped = true;
        }
        std::lock_guard<std::mutex> lock(mutex);
        result.Tally.Add(*local);
        --running;
        wake.notify_all();
    };
    std::vector<std::thread> pool;
    pool.reserve(static_cast<size_t>(threads));
    for (int i = 0; i < threads; ++i) pool.emplace_back(work);
    {
        std::unique_lock<std::mutex> lock(mutex);
        while (running > 0) {
            wake.wait_for(lock, std::chrono::milliseconds(250));
            if (progress && running > 0) {
                lock.unlock();
                progress(done.load(), total);
                lock.lock();
            }
        }
    }
    for (std::thread& t : pool) t.join();
    if (failure) std::rethrow_exception(failure);
    result.Complete = result.Tally.Layouts == total;
    if (progress) progress(result.Tally.Layouts, total);
    result.Seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    return result;
}

bool SameExactConditions(const TExactResult& a, const TExactResult& b) {
    const TRules& x = a.Rules;
    const TRules& y = b.Rules;
    return a.Mode == b.Mode && a.Pay == b.Pay && a.DealerAK == b.DealerAK &&
           (a.Mode != TExactMode::Strategy || a.RaiseAt2Matches == b.RaiseAt2Matches) &&
           a.PartCount == b.PartCount && x.Insurance == y.Insurance && x.AKPlays == y.AKPlays &&
           x.DealerGameBuy == y.DealerGameBuy && x.Exchange1 == y.Exchange1 &&
           x.AntePaid == y.AntePaid && x.Buy6 == y.Buy6 && x.PriceChange1 == y.PriceChange1 &&
           x.PriceChange2 == y.PriceChange2 && x.PriceBuy6 == y.PriceBuy6 &&
           x.PriceBuyDealerGame == y.PriceBuyDealerGame;
}

TExactResult MergeExactParts(const std::vector<TExactResult>& parts,
                             const std::vector<std::string>* names) {
    if (parts.empty()) throw TExactRefused("no part to merge");
    const TExactResult& first = parts.front();
    std::set<int> seen;
    auto nameOf = [&](size_t i) {
        const TExactResult& p = parts[i];
        const std::string part =
            "part " + std::to_string(p.PartIndex) + "/" + std::to_string(p.PartCount);
        return names && i < names->size() ? (*names)[i] + " (" + part + ")" : part;
    };
    for (size_t i = 0; i < parts.size(); ++i) {
        try {
            CheckExactResult(parts[i]);
        } catch (const TExactRefused& e) {
            throw TExactRefused(nameOf(i) + ": " + e.what());
        }
    }
    // What each part's layouts stand for, from one pass over the list.
    std::vector<uint64_t> plain(static_cast<size_t>(first.PartCount), 0);
    const uint64_t n = static_cast<uint64_t>(first.PartCount);
    ForEachCanonicalLayout([&](uint64_t i, const TExactLayout& l) {
        plain[i % n] += l.Multiplicity;
        return true;
    });
    for (size_t i = 0; i < parts.size(); ++i) {
        const TExactResult& p = parts[i];
        const std::string name = nameOf(i);
        if (!SameExactConditions(first, p))
            throw TExactRefused(name +
                                " was computed under other rules, payouts, mode or "
                                "slicing than part " +
                                std::to_string(first.PartIndex) + "/" +
                                std::to_string(first.PartCount));
        if (!p.Complete) throw TExactRefused(name + " was stopped before its end");
        if (p.PartIndex < 1 || p.PartIndex > p.PartCount)
            throw TExactRefused(name + " is no part of " + std::to_string(p.PartCount));
        if (!seen.insert(p.PartIndex).second) throw TExactRefused(name + " is given twice");
        if (p.Tally.PlainLayouts != plain[static_cast<size_t>(p.PartIndex - 1)])
            throw TExactRefused(name + " stands for " + std::to_string(p.Tally.PlainLayouts) +
                                " layouts; its layouts stand for " +
                                std::to_string(plain[static_cast<size_t>(p.PartIndex - 1)]));
    }
    for (int k = 1; k <= first.PartCount; ++k)
        if (!seen.count(k))
            throw TExactRefused("part " + std::to_string(k) + "/" +
                                std::to_string(first.PartCount) + " is missing");
    TExactResult total = first;
    total.Tally = TExactTally();
    total.Seconds = 0;
    total.Threads = 0;
    total.LayoutsInPart = 0;
    for (const TExactResult& p : parts) {
        total.Tally.Add(p.Tally);
        total.Seconds += p.Seconds;
        total.Threads = std::max(total.Threads, p.Threads);
        total.LayoutsInPart += p.LayoutsInPart;
    }
    total.PartIndex = 1;
    total.PartCount = 1;
    total.Complete = total.Tally.Layouts == total.CanonicalLayouts;
    if (!total.Complete) throw TExactRefused("the parts do not cover every layout");
    return total;
}

} // namespace kvarlen
