#include "exact/exact_run.h"

#include "exact/exact_layouts.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <functional>
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

TLayoutPass CountLayoutsOnThreads(const TExactSettings& settings,
                                  const std::function<void(int workers)>& prepare,
                                  const std::function<void(int worker, const TExactLayout&)>& count,
                                  const TExactProgress& progress, const std::atomic<bool>* stop) {
    const std::vector<TPackedLayout> layouts =
        CanonicalLayouts(settings.PartIndex, settings.PartCount);
    TLayoutPass pass;
    pass.Total = layouts.size();
    const uint64_t total = pass.Total;
    int threads = settings.Threads;
    if (threads == 0) threads = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    pass.Threads = threads;
    prepare(threads);

    std::atomic<uint64_t> next{0}, done{0}, counted{0};
    std::atomic<bool> stopped{false};
    std::mutex mutex;
    std::condition_variable wake;
    int running = threads;
    std::exception_ptr failure;
    auto work = [&](int worker) {
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
                    count(worker, UnpackLayout(layouts[i]));
                    counted.fetch_add(1, std::memory_order_relaxed);
                }
                done.fetch_add(last - first);
            }
        } catch (...) {
            std::lock_guard<std::mutex> lock(mutex);
            if (!failure) failure = std::current_exception();
            stopped = true;
        }
        std::lock_guard<std::mutex> lock(mutex);
        --running;
        wake.notify_all();
    };
    std::vector<std::thread> pool;
    pool.reserve(static_cast<size_t>(threads));
    for (int i = 0; i < threads; ++i) pool.emplace_back(work, i);
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
    pass.Counted = counted.load();
    return pass;
}

std::vector<TExactResult> RunExactPoints(const std::vector<TExactSettings>& points,
                                         const std::vector<TPayTable>& pays,
                                         const TExactProgress& progress,
                                         const std::atomic<bool>* stop) {
    if (points.empty() || points.size() != pays.size())
        throw std::logic_error("every point needs its payouts");
    const TExactSettings& settings = points.front();
    for (const TExactSettings& s : points) {
        ValidateExactSettings(s);
        const TRules& a = s.Rules;
        const TRules& b = settings.Rules;
        // A layout is gathered once: only payouts and prices may differ between the points.
        if (s.Mode != settings.Mode || s.DealerAK != settings.DealerAK ||
            s.RaiseAt2Matches != settings.RaiseAt2Matches || s.PartIndex != settings.PartIndex ||
            s.PartCount != settings.PartCount || a.Buy6 != b.Buy6 || a.Exchange1 != b.Exchange1 ||
            a.AKPlays != b.AKPlays || a.DealerGameBuy != b.DealerGameBuy ||
            a.Insurance != b.Insurance)
            throw std::logic_error("the points of one pass differ in more than payouts and prices");
    }
    const auto t0 = std::chrono::steady_clock::now();
    const size_t count = points.size();
    std::vector<TExactResult> results(count);
    std::vector<TExactConfig> configs;
    configs.reserve(count);
    for (size_t k = 0; k < count; ++k) {
        const TExactSettings& p = points[k];
        TExactResult& result = results[k];
        result.Mode = p.Mode;
        result.Rules = p.Rules;
        result.Pay = pays[k];
        result.DealerAK = p.DealerAK;
        result.RaiseAt2Matches = p.RaiseAt2Matches;
        result.DrawFactor = DrawFactorFor(p.Rules, p.Mode);
        result.PartIndex = p.PartIndex;
        result.PartCount = p.PartCount;
        result.CanonicalLayouts = CanonicalLayoutCount();
        configs.push_back(MakeExactConfig(p.Rules, p.Mode, p.DealerAK, p.RaiseAt2Matches, pays[k]));
    }
    std::vector<std::vector<TExactTally>> local;
    std::vector<std::unique_ptr<TLayoutFacts>> facts;
    const TLayoutPass pass = CountLayoutsOnThreads(
        settings,
        [&](int workers) {
            local.assign(static_cast<size_t>(workers), std::vector<TExactTally>(count));
            for (int w = 0; w < workers; ++w) facts.push_back(std::make_unique<TLayoutFacts>());
        },
        [&](int worker, const TExactLayout& l) {
            TLayoutFacts& f = *facts[static_cast<size_t>(worker)];
            std::vector<TExactTally>& mine = local[static_cast<size_t>(worker)];
            // Gathered once, counted under every point's payouts and prices.
            GatherLayoutFacts(LayoutHand(l), LayoutOpenCard(l), configs[0], f);
            for (size_t k = 0; k < count; ++k)
                mine[k].AddLayout(CountLayoutFacts(f, configs[k]), l.Multiplicity);
        },
        progress, stop);
    for (const std::vector<TExactTally>& mine : local)
        for (size_t k = 0; k < count; ++k) results[k].Tally.Add(mine[k]);
    const uint64_t total = pass.Total;
    const int threads = pass.Threads;
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    for (TExactResult& r : results) {
        r.LayoutsInPart = total;
        r.Threads = threads;
        r.Complete = r.Tally.Layouts == total;
        r.Seconds = seconds;
    }
    if (progress) progress(results.front().Tally.Layouts, total);
    return results;
}

TExactResult RunExact(const TExactSettings& settings, const TExactProgress& progress,
                      const std::atomic<bool>* stop) {
    ValidateExactSettings(settings);
    return RunExactPoints({settings}, {PayTable}, progress, stop).front();
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
