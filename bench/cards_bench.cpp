// Classification and comparison throughput, one thread.
#include "cards/hand.h"

#include <benchmark/benchmark.h>

#include <random>
#include <vector>

namespace {

using namespace kvarlen;

std::vector<THand> RandomHands(int count, int cards, unsigned seed) {
    std::mt19937 rng(seed);
    std::vector<THand> hands(static_cast<size_t>(count));
    for (auto& h : hands) {
        int pick[52];
        for (int i = 0; i < 52; ++i) pick[i] = i + 1;
        for (int i = 0; i < cards; ++i) std::swap(pick[i], pick[i + rng() % (52 - i)]);
        h.Count = static_cast<uint8_t>(cards);
        for (int i = 0; i < cards; ++i) {
            h.Cards[i + 1].Suit = static_cast<uint8_t>((pick[i] - 1) / 13 + 1);
            h.Cards[i + 1].Value = (pick[i] - 1) % 13 + 1;
        }
    }
    return hands;
}

void BM_EvaluateFive(benchmark::State& state) {
    const auto hands = RandomHands(4096, 5, 1);
    size_t i = 0;
    for (auto _ : state) {
        THand h = hands[i++ & 4095];
        benchmark::DoNotOptimize(EvaluateHand(h, true));
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_EvaluateFive);

void BM_EvaluateSix(benchmark::State& state) {
    const auto hands = RandomHands(4096, 6, 2);
    size_t i = 0;
    for (auto _ : state) {
        THand h = hands[i++ & 4095];
        benchmark::DoNotOptimize(EvaluateHand(h, true));
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_EvaluateSix);

void BM_CompareHands(benchmark::State& state) {
    auto hands = RandomHands(4096, 5, 3);
    for (auto& h : hands) EvaluateHand(h, true);
    size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(CompareHands(hands[i & 4095], hands[(i * 7 + 1) & 4095]));
        ++i;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_CompareHands);

void BM_CompareSameClass(benchmark::State& state) {
    // Pairs against pairs: the comparison that needs the kickers.
    auto hands = RandomHands(20000, 5, 4);
    std::vector<THand> pairs;
    for (auto& h : hands)
        if (EvaluateHand(h, true) == C_Pair) pairs.push_back(h);
    const size_t n = pairs.size();
    size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(CompareHands(pairs[i % n], pairs[(i * 7 + 1) % n]));
        ++i;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_CompareSameClass);

} // namespace
