// Time per canonical layout of the exact count, for each kind of layout: the rules (raise or
// fold only, purchase, exchange, strategy play) and the decision the layout ends in (a raise or
// pass on the dealt hand, a purchase, an exchange). The layouts are a large evenly spread slice
// of the whole list, each counted once per pass, so the branch predictor cannot learn them.
#include "exact/exact_layouts.h"
#include "exact/exact_run.h"
#include "exact/exact_sweep.h"

#include <benchmark/benchmark.h>

#include <map>
#include <vector>

namespace kvarlen {
namespace {

enum Rules {
    kClassic,
    kDefaultIdeal,
    kExchangeIdeal,
    kDefaultStrategy,
    kDefaultOptimal,
    kExchangeOptimal,
    kClassicOptimal
};

TExactConfig ConfigFor(int rules) {
    PayTable = kDefaultPayTable;
    TRules r;
    TExactMode mode = TExactMode::Ideal;
    switch (rules) {
    case kClassicOptimal:
        mode = TExactMode::Optimal;
        [[fallthrough]];
    case kClassic:
        r.Buy6 = false;
        r.Insurance = false;
        break;
    case kExchangeOptimal:
        mode = TExactMode::Optimal;
        [[fallthrough]];
    case kExchangeIdeal:
        r.Buy6 = false;
        r.Exchange1 = true;
        break;
    case kDefaultOptimal:
        mode = TExactMode::Optimal;
        break;
    case kDefaultStrategy:
        mode = TExactMode::Strategy;
        break;
    default:
        break;
    }
    return MakeExactConfig(r, mode, r.AKPlays, true);
}

// The layouts of a spread slice whose decision under `rules` is `decision` (-1: any).
const std::vector<TExactLayout>& Layouts(int rules, int decision) {
    static std::map<std::pair<int, int>, std::vector<TExactLayout>> cache;
    auto key = std::make_pair(rules, decision);
    auto it = cache.find(key);
    if (it != cache.end()) return it->second;
    const TExactConfig cfg = ConfigFor(rules);
    std::vector<TExactLayout> out;
    for (TPackedLayout p :
         CanonicalLayouts(1, rules == kClassic || rules == kClassicOptimal ? 500 : 2000)) {
        const TExactLayout l = UnpackLayout(p);
        if (decision < 0 || CountLayout(l, cfg).Decision == decision) out.push_back(l);
    }
    return cache[key] = out;
}

void CountEach(benchmark::State& state, int rules, int decision) {
    const TExactConfig cfg = ConfigFor(rules);
    const std::vector<TExactLayout>& layouts = Layouts(rules, decision);
    if (layouts.empty()) {
        state.SkipWithError("no layout of this kind in the slice");
        return;
    }
    size_t i = 0;
    int64_t counted = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(CountLayout(layouts[i], cfg));
        if (++i == layouts.size()) i = 0;
        ++counted;
    }
    state.SetItemsProcessed(counted);
    state.counters["layouts_in_set"] = static_cast<double>(layouts.size());
    state.counters["per_layout_us"] =
        benchmark::Counter(static_cast<double>(counted) * 1e-6,
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_Classic_AnyLayout(benchmark::State& s) {
    CountEach(s, kClassic, -1);
}
void BM_DefaultIdeal_AnyLayout(benchmark::State& s) {
    CountEach(s, kDefaultIdeal, -1);
}
void BM_DefaultIdeal_RaiseOrPass(benchmark::State& s) {
    CountEach(s, kDefaultIdeal, kDecisionRaise);
}
void BM_DefaultIdeal_Buy(benchmark::State& s) {
    CountEach(s, kDefaultIdeal, kDecisionBuy);
}
void BM_ExchangeIdeal_AnyLayout(benchmark::State& s) {
    CountEach(s, kExchangeIdeal, -1);
}
void BM_ExchangeIdeal_Exchange(benchmark::State& s) {
    CountEach(s, kExchangeIdeal, kDecisionExchange);
}
void BM_DefaultStrategy_AnyLayout(benchmark::State& s) {
    CountEach(s, kDefaultStrategy, -1);
}
void BM_DefaultStrategy_Buy(benchmark::State& s) {
    CountEach(s, kDefaultStrategy, kDecisionBuy);
}

// Best play over the same slices: its time against ideal play's is the cost of the optimum.
void BM_ClassicOptimal_AnyLayout(benchmark::State& s) {
    CountEach(s, kClassicOptimal, -1);
}
void BM_DefaultOptimal_AnyLayout(benchmark::State& s) {
    CountEach(s, kDefaultOptimal, -1);
}
void BM_ExchangeOptimal_AnyLayout(benchmark::State& s) {
    CountEach(s, kExchangeOptimal, -1);
}

// Listing the canonical layouts of a run (once per run).
void BM_CanonicalLayoutList(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(CanonicalLayouts(1, 1).size());
    state.counters["layouts"] = static_cast<double>(CanonicalLayoutCount());
}

BENCHMARK(BM_Classic_AnyLayout)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DefaultIdeal_AnyLayout)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DefaultIdeal_RaiseOrPass)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DefaultIdeal_Buy)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ExchangeIdeal_AnyLayout)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ExchangeIdeal_Exchange)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DefaultStrategy_AnyLayout)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ClassicOptimal_AnyLayout)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DefaultOptimal_AnyLayout)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ExchangeOptimal_AnyLayout)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DefaultStrategy_Buy)->Unit(benchmark::kMicrosecond);
// A whole run of a slice (one layout in 50, every core) against a sweep of 21 prices of the
// sixth card over the same slice: the figure a designer sees for the whole game, in proportion.
TExactSettings SliceSettings() {
    PayTable = kDefaultPayTable;
    TExactSettings s;
    s.Mode = TExactMode::Optimal;
    s.PartIndex = 3;
    s.PartCount = 50;
    return s;
}
void BM_DefaultOptimal_OneRunOfASlice(benchmark::State& state) {
    const TExactSettings s = SliceSettings();
    for (auto _ : state) benchmark::DoNotOptimize(RunExact(s));
}
void BM_DefaultOptimal_Sweep21OfASlice(benchmark::State& state) {
    const TExactSettings s = SliceSettings();
    const TSweepPlan plan = ParseSweep("price-buy6=0:2:0.1");
    for (auto _ : state) benchmark::DoNotOptimize(RunExactSweep(s, PayTable, plan));
}
void BM_DefaultOptimal_SolvePriceOfASlice(benchmark::State& state) {
    const TExactSettings s = SliceSettings();
    for (auto _ : state)
        benchmark::DoNotOptimize(
            SolveExactPrice(s, PayTable, SweepParameter("price-buy6"), ParseEdge("2")));
}
BENCHMARK(BM_DefaultOptimal_OneRunOfASlice)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_DefaultOptimal_Sweep21OfASlice)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_DefaultOptimal_SolvePriceOfASlice)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CanonicalLayoutList)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace kvarlen
