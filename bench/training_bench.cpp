// The training table's judge: from an answer to the values of every option of the decision,
// over a stream of distinct deals. Targets: under 20 ms for one box, under 100 ms for three
// boxes exchanging.
#include "training/training_session.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <random>

namespace {

using namespace kvarlen;
using namespace kvarlen::training;

TSessionSettings Settings(int boxes, bool exchange, TInfoMode mode) {
    TSessionSettings s;
    s.TeamSize = boxes;
    s.Mode = mode;
    s.Seed = 20240601;
    s.Feedback = TFeedback::Deal;
    if (exchange) {
        s.Rules.Buy6 = false;
        s.Rules.Exchange1 = true;
        s.Rules.PriceChange1 = 0.5;
    }
    return s;
}

// Walks decision points of an endless session; only pricing a point is timed. drawsOnly: only
// the first decision of each box (keep, exchange or buy), the dearest one.
void Judge(benchmark::State& state, int boxes, bool exchange, TInfoMode mode, bool drawsOnly) {
    TTrainingSession s(Settings(boxes, exchange, mode));
    std::mt19937 rng(7);
    int64_t points = 0;
    auto next = [&] {
        for (;;) {
            if (s.Step() != TStep::Decision) s.NextDeal();
            if (!drawsOnly || s.Point().Kind == TDecisionKind::Draw) return;
            const TDecisionPoint& p = s.Point();
            s.Answer(p.Keys[rng() % p.Keys.size()]);
        }
    };
    for (auto _ : state) {
        state.PauseTiming();
        next();
        state.ResumeTiming();
        benchmark::DoNotOptimize(s.Priced().BestOption().Value);
        state.PauseTiming();
        const TDecisionPoint& p = s.Point();
        s.Answer(p.Keys[rng() % p.Keys.size()]);
        ++points;
        state.ResumeTiming();
    }
    state.counters["deals"] = static_cast<double>(s.Stats().Deals);
    state.counters["points"] = static_cast<double>(points);
}

void BM_JudgeOneBoxBuying(benchmark::State& state) {
    Judge(state, 1, false, TInfoMode::Beacon, false);
}
void BM_JudgeOneBoxBuyingDraws(benchmark::State& state) {
    Judge(state, 1, false, TInfoMode::Beacon, true);
}
void BM_JudgeOneBoxExchanging(benchmark::State& state) {
    Judge(state, 1, true, TInfoMode::Beacon, false);
}
void BM_JudgeThreeBoxesExchanging(benchmark::State& state) {
    Judge(state, 3, true, static_cast<TInfoMode>(state.range(0)), false);
}
void BM_JudgeThreeBoxesExchangingDraws(benchmark::State& state) {
    Judge(state, 3, true, static_cast<TInfoMode>(state.range(0)), true);
}

// A whole deal of three exchanging boxes with every answer judged, the settlement and the
// shadow's best play included: what the player waits for over a deal.
void BM_WholeDealThreeBoxesExchanging(benchmark::State& state) {
    TTrainingSession s(Settings(3, true, TInfoMode::FullExchange));
    std::mt19937 rng(9);
    for (auto _ : state) {
        s.NextDeal();
        while (s.Step() == TStep::Decision) {
            const TDecisionPoint& p = s.Point();
            s.Answer(p.Keys[rng() % p.Keys.size()]);
        }
    }
    state.counters["deals"] = static_cast<double>(s.Stats().Deals);
}

BENCHMARK(BM_JudgeOneBoxBuying)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_JudgeOneBoxBuyingDraws)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_JudgeOneBoxExchanging)->Unit(benchmark::kMillisecond);
// 0 in turn, 1 beacon, 2 full exchange
BENCHMARK(BM_JudgeThreeBoxesExchanging)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_JudgeThreeBoxesExchangingDraws)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WholeDealThreeBoxesExchanging)->Unit(benchmark::kMillisecond);

} // namespace
