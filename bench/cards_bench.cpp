// Classification and comparison throughput, one thread, over large sets of distinct random
// hands from a fixed seed: a small set visited again and again lets the branch predictor learn
// the hands and reports more than a user gets. Each iteration walks the whole set; the hands
// are kept as card numbers and dealt into one hand record before each call, as a caller would.
#include "cards/hand.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <random>
#include <unordered_set>
#include <vector>

namespace {

using namespace kvarlen;

constexpr size_t kDistinct = 1u << 20; // 1,048,576 hands of each size

// Card numbers 0..51 of one hand, in the order dealt (slot order is not sorted).
struct PackedHand {
    uint8_t Card[6];
};

// count distinct hands of `cards` cards: no two hold the same set of cards.
std::vector<PackedHand> DistinctHands(size_t count, int cards, unsigned seed) {
    std::mt19937_64 rng(seed);
    std::unordered_set<uint64_t> seen;
    seen.reserve(count * 2);
    std::vector<PackedHand> hands;
    hands.reserve(count);
    while (hands.size() < count) {
        int pick[52];
        for (int i = 0; i < 52; ++i) pick[i] = i;
        PackedHand p{};
        uint64_t set = 0;
        for (int i = 0; i < cards; ++i) {
            std::swap(pick[i], pick[i + static_cast<int>(rng() % static_cast<unsigned>(52 - i))]);
            p.Card[i] = static_cast<uint8_t>(pick[i]);
            set |= 1ULL << pick[i];
        }
        if (seen.insert(set).second) hands.push_back(p);
    }
    return hands;
}

struct CardTable {
    TCardRec Rec[52];
    CardTable() {
        for (int k = 0; k < 52; ++k) {
            Rec[k].Suit = static_cast<uint8_t>(k / 13 + 1);
            Rec[k].Value = k % 13 + 1;
        }
    }
};
const CardTable kCards;

inline void Deal(THand& h, const PackedHand& p, int cards) {
    h.Count = static_cast<uint8_t>(cards);
    h.Sorted = 0;
    for (int i = 0; i < cards; ++i) h.Cards[i + 1] = kCards.Rec[p.Card[i]];
}

const std::vector<PackedHand>& Fives() {
    static const auto v = DistinctHands(kDistinct, 5, 1);
    return v;
}
const std::vector<PackedHand>& Sixes() {
    static const auto v = DistinctHands(kDistinct, 6, 2);
    return v;
}

void Classify(benchmark::State& state, const std::vector<PackedHand>& hands, int cards) {
    THand h;
    for (auto _ : state) {
        unsigned sum = 0;
        for (const PackedHand& p : hands) {
            Deal(h, p, cards);
            sum += EvaluateHand(h, true);
        }
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(hands.size()));
}

void BM_EvaluateFive(benchmark::State& state) {
    Classify(state, Fives(), 5);
}
BENCHMARK(BM_EvaluateFive)->Unit(benchmark::kMillisecond);

void BM_EvaluateSix(benchmark::State& state) {
    Classify(state, Sixes(), 6);
}
BENCHMARK(BM_EvaluateSix)->Unit(benchmark::kMillisecond);

// Classified hands in random order; neighbours are compared.
std::vector<THand> ClassifiedHands(const std::vector<PackedHand>& packed, int cards) {
    std::vector<THand> hands(packed.size());
    for (size_t i = 0; i < packed.size(); ++i) {
        Deal(hands[i], packed[i], cards);
        EvaluateHand(hands[i], true);
    }
    return hands;
}

void Compare(benchmark::State& state, const std::vector<THand>& hands) {
    const size_t n = hands.size();
    for (auto _ : state) {
        unsigned sum = 0;
        for (size_t i = 0; i + 1 < n; ++i) sum += CompareHands(hands[i], hands[i + 1]);
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(n - 1));
}

void BM_CompareHands(benchmark::State& state) {
    static const auto hands = ClassifiedHands(Fives(), 5);
    Compare(state, hands);
}
BENCHMARK(BM_CompareHands)->Unit(benchmark::kMillisecond);

void BM_CompareHandsSix(benchmark::State& state) {
    static const auto hands = ClassifiedHands(Sixes(), 6);
    Compare(state, hands);
}
BENCHMARK(BM_CompareHandsSix)->Unit(benchmark::kMillisecond);

// Pairs against pairs: the comparison that needs the kickers.
void BM_CompareSameClass(benchmark::State& state) {
    static const auto hands = [] {
        std::vector<THand> pairs;
        for (const THand& h : ClassifiedHands(Fives(), 5))
            if (h.Combo == C_Pair) pairs.push_back(h);
        return pairs;
    }();
    Compare(state, hands);
}
BENCHMARK(BM_CompareSameClass)->Unit(benchmark::kMillisecond);

// The second figure only: 4,096 hands visited again and again, which the branch predictor
// learns. Kept to show how far it flatters.
void Cycled(benchmark::State& state, const std::vector<PackedHand>& all, int cards) {
    const std::vector<PackedHand> hands(all.begin(), all.begin() + 4096);
    Classify(state, hands, cards);
}
void BM_EvaluateFive_Cycled4096(benchmark::State& state) {
    Cycled(state, Fives(), 5);
}
BENCHMARK(BM_EvaluateFive_Cycled4096);
void BM_EvaluateSix_Cycled4096(benchmark::State& state) {
    Cycled(state, Sixes(), 6);
}
BENCHMARK(BM_EvaluateSix_Cycled4096);

} // namespace
