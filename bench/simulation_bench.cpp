// Deals per second of strategy, ideal and optimal play, one stream and spread over threads.
// Targets (one thread): strategy play >= 1,000,000 deals/s for one box; ideal play >= 4,000
// deals/s for one box in beacon mode; two threads >= 1.8 x one thread. Optimal play is shown
// beside ideal play on the same deals (one box, default rules; three boxes exchanging).
#include "simulation/deal_stream.h"
#include "simulation/simulation_run.h"

#include <benchmark/benchmark.h>

namespace {

using namespace kvarlen;

class QuietHost : public TSimulationHost {
  public:
    TRunSettings Settings;
    TLiveOptions Live;
    TRunSettings ReadRunSettings() override { return Settings; }
    void ReadLiveOptions(TLiveOptions& o) override { o = Live; }
    void AppendReport(const std::vector<std::string>&) override {}
    std::vector<std::string> MemoLines() override { return {}; }
};

struct Stream {
    QuietHost host;
    TDeck deck;
    TGenerator gen;
    TBoxes boxes;
    TDealStream s;
    Stream(int team, TInfoMode mode, bool bestPlay = false, bool exchange = false) {
        host.Settings.TeamSize = team;
        host.Settings.BestPlay = bestPlay;
        if (exchange) {
            host.Settings.Rules.Exchange1 = true;
            host.Settings.Rules.Buy6 = false;
        }
        host.Settings.OutDir.clear();
        host.Live.Mode = mode;
        gen.SeedMyRandom(20240601);
        PrepareBoxes(boxes, 100);
        s.Host = &host;
        s.Settings = &host.Settings;
        s.Deck = &deck;
        s.Gen = &gen;
        s.Boxes = &boxes;
    }
};

void BM_StrategyPlay(benchmark::State& state) {
    Stream st(static_cast<int>(state.range(0)), TInfoMode::Beacon);
    const int64_t chunk = 10000;
    for (auto _ : state) PlayStrategyDeals(st.s, chunk);
    state.SetItemsProcessed(state.iterations() * chunk);
    state.counters["deals/s"] = benchmark::Counter(static_cast<double>(state.iterations() * chunk),
                                                   benchmark::Counter::kIsRate);
}
BENCHMARK(BM_StrategyPlay)->Arg(1)->Arg(3)->ArgName("boxes");

// Ideal play by the MO values or by best play; every iteration plays fresh deals.
void PlayIdeal(benchmark::State& state, bool bestPlay, bool exchange) {
    const int team = static_cast<int>(state.range(0));
    Stream st(team, team == 1 ? TInfoMode::Beacon : TInfoMode::FullExchange, bestPlay, exchange);
    const int64_t chunk = 20;
    for (auto _ : state) PlayIdealDeals(st.s, chunk);
    state.SetItemsProcessed(state.iterations() * chunk);
    state.counters["deals/s"] = benchmark::Counter(static_cast<double>(state.iterations() * chunk),
                                                   benchmark::Counter::kIsRate);
}

void BM_IdealPlay(benchmark::State& state) {
    PlayIdeal(state, false, false);
}
// One box in beacon mode; three boxes with full exchange.
BENCHMARK(BM_IdealPlay)->Arg(1)->Arg(3)->ArgName("boxes")->Unit(benchmark::kMillisecond);

// Three boxes with full exchange exchanging one card (no buying).
void BM_IdealPlayExchange(benchmark::State& state) {
    PlayIdeal(state, false, true);
}
BENCHMARK(BM_IdealPlayExchange)->Arg(3)->ArgName("boxes")->Unit(benchmark::kMillisecond);

void BM_OptimalPlay(benchmark::State& state) {
    PlayIdeal(state, true, false);
}
BENCHMARK(BM_OptimalPlay)->Arg(1)->ArgName("boxes")->Unit(benchmark::kMillisecond);

void BM_OptimalPlayExchange(benchmark::State& state) {
    PlayIdeal(state, true, true);
}
BENCHMARK(BM_OptimalPlayExchange)->Arg(3)->ArgName("boxes")->Unit(benchmark::kMillisecond);

// Whole runs through the stream runner: compare threads:2 with threads:1.
void BM_StrategyThreads(benchmark::State& state) {
    QuietHost host;
    host.Settings.TeamSize = 1;
    host.Settings.DealsToPlay = 4000000;
    host.Settings.OutDir.clear();
    TStreamOptions o;
    o.Threads = static_cast<int>(state.range(0));
    o.Seed = 99;
    for (auto _ : state) benchmark::DoNotOptimize(RunSimulationStreams(host, false, o));
    state.counters["deals/s"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * host.Settings.DealsToPlay,
                           benchmark::Counter::kIsRate);
}
BENCHMARK(BM_StrategyThreads)
    ->Arg(1)
    ->Arg(2)
    ->ArgName("threads")
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

void BM_IdealThreads(benchmark::State& state) {
    QuietHost host;
    host.Settings.TeamSize = 1;
    host.Settings.DealsToPlay = 2000;
    host.Settings.OutDir.clear();
    TStreamOptions o;
    o.Threads = static_cast<int>(state.range(0));
    o.Seed = 99;
    for (auto _ : state) benchmark::DoNotOptimize(RunSimulationStreams(host, true, o));
    state.counters["deals/s"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * host.Settings.DealsToPlay,
                           benchmark::Counter::kIsRate);
}
BENCHMARK(BM_IdealThreads)
    ->Arg(1)
    ->Arg(2)
    ->ArgName("threads")
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

} // namespace
