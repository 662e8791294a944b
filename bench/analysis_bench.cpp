// The expected-value drivers over a fixed set of layouts (one thread), and the brute force that
// deals out every dealer hand of one layout as the baseline of the raise.
#include "analysis/best_play.h"
#include "analysis/ev.h"
#include "tests/analysis/dealer_brute_force.h"

#include <benchmark/benchmark.h>

#include <random>
#include <vector>

namespace kvarlen {
namespace {

struct BenchLayout {
    TDeck Deck;
    THand Hand;
    TCardRec Open;
    TRules Rules;
};

BenchLayout Make(const std::vector<TCardRec>& cards, const TCardRec& open, bool ak) {
    BenchLayout l;
    l.Open = open;
    l.Rules.AKPlays = ak;
    l.Hand.Count = 5;
    for (int i = 0; i < 5; ++i) {
        l.Hand.Cards[i + 1] = cards[static_cast<size_t>(i)];
        l.Deck.Take(cards[static_cast<size_t>(i)]);
    }
    EvaluateHand(l.Hand, ak);
    return l;
}

// Named layouts for the common classes, then random deals from a fixed seed: 24 in all.
const std::vector<BenchLayout>& Layouts() {
    static const std::vector<BenchLayout> layouts = [] {
        std::vector<BenchLayout> v;
        const char* named[][2] = {{"AH KS XC 3C XD", "XS"}, {"AS KC 9D 5H 2S", "QH"},
                                  {"7S 7C KD 4H 2S", "3D"}, {"2C 7D 9H JS 4C", "AS"},
                                  {"KS KC 5D 5H 9S", "KD"}, {"7S 7C 7D 2H 3S", "AC"},
                                  {"8S 9C XD JH 2C", "QS"}, {"2D 5D 9D JD 3S", "6D"}};
        for (auto& n : named) v.push_back(Make(ParseCards(n[0]), ParseCard(n[1]), true));
        std::mt19937 rng(1234);
        while (v.size() < 24) {
            int pick[52];
            for (int i = 0; i < 52; ++i) pick[i] = i + 1;
            for (int i = 0; i < 6; ++i) std::swap(pick[i], pick[i + rng() % (52 - i)]);
            std::vector<TCardRec> cards;
            for (int i = 0; i < 6; ++i) {
                TCardRec c;
                c.Suit = static_cast<uint8_t>((pick[i] - 1) / 13 + 1);
                c.Value = (pick[i] - 1) % 13 + 1;
                cards.push_back(c);
            }
            const TCardRec open = cards.back();
            cards.pop_back();
            v.push_back(Make(cards, open, v.size() % 6 != 0));
        }
        return v;
    }();
    return layouts;
}

// Seconds per layout, from the time per iteration over the whole set.
void PerLayout(benchmark::State& state, size_t n) {
    state.counters["per_layout"] =
        benchmark::Counter(static_cast<double>(n), benchmark::Counter::kIsIterationInvariantRate |
                                                       benchmark::Counter::kInvert);
}

void BM_MO_Raise(benchmark::State& state) {
    const auto& ls = Layouts();
    for (auto _ : state)
        for (const BenchLayout& l : ls)
            benchmark::DoNotOptimize(MO_Raise(l.Deck, l.Hand, l.Open, l.Rules));
    PerLayout(state, ls.size());
}
BENCHMARK(BM_MO_Raise);

void BM_MO_Buy(benchmark::State& state) {
    const auto& ls = Layouts();
    for (auto _ : state)
        for (const BenchLayout& l : ls)
            benchmark::DoNotOptimize(MO_Buy(l.Deck, l.Hand, l.Open, l.Rules, l.Rules.AKPlays));
    PerLayout(state, ls.size());
}
BENCHMARK(BM_MO_Buy)->Unit(benchmark::kMicrosecond);

void BM_MO_Change1(benchmark::State& state) {
    const auto& ls = Layouts();
    for (auto _ : state)
        for (const BenchLayout& l : ls) {
            uint8_t best = 0;
            benchmark::DoNotOptimize(MO_Change1(l.Deck, l.Hand, l.Open, l.Rules, best));
        }
    PerLayout(state, ls.size());
}
BENCHMARK(BM_MO_Change1)->Unit(benchmark::kMillisecond);

// Fast off: all ten pairs of positions for every hand.
void BM_MO_Change2(benchmark::State& state) {
    const auto& ls = Layouts();
    for (auto _ : state)
        for (const BenchLayout& l : ls) {
            uint8_t f = 0, s = 0;
            benchmark::DoNotOptimize(MO_Change2(l.Deck, l.Hand, l.Open, false, l.Rules, f, s));
        }
    PerLayout(state, ls.size());
}
BENCHMARK(BM_MO_Change2)->Unit(benchmark::kMillisecond);

// Many distinct random layouts of five cards and an open card, for the option tables.
const std::vector<BenchLayout>& ManyLayouts() {
    static const std::vector<BenchLayout> layouts = [] {
        std::vector<BenchLayout> v;
        std::mt19937 rng(4321);
        while (v.size() < 4000) {
            int pick[52];
            for (int i = 0; i < 52; ++i) pick[i] = i + 1;
            for (int i = 0; i < 6; ++i) std::swap(pick[i], pick[i + rng() % (52 - i)]);
            std::vector<TCardRec> cards;
            for (int i = 0; i < 6; ++i)
                cards.push_back(TCardRec{static_cast<uint8_t>((pick[i] - 1) / 13 + 1),
                                         (pick[i] - 1) % 13 + 1, 0});
            const TCardRec open = cards.back();
            cards.pop_back();
            v.push_back(Make(cards, open, true));
        }
        return v;
    }();
    return layouts;
}

// The option table of best play for one layout, a different layout each time.
void OptionTable(benchmark::State& state, const TOptionRequest& request, size_t count) {
    const auto& ls = ManyLayouts();
    TRules rules;
    rules.Exchange1 = request.Exchange1;
    rules.Buy6 = request.Buy;
    size_t i = 0;
    for (auto _ : state) {
        const BenchLayout& l = ls[i];
        benchmark::DoNotOptimize(BestPlayOptions(l.Deck, l.Hand, l.Open, rules, request).Best);
        if (++i == count) i = 0;
    }
    state.counters["layouts_in_set"] = static_cast<double>(count);
}
void BM_BestPlay_Buy(benchmark::State& state) {
    TOptionRequest r;
    r.Buy = true;
    OptionTable(state, r, ManyLayouts().size());
}
BENCHMARK(BM_BestPlay_Buy)->Unit(benchmark::kMicrosecond);
void BM_BestPlay_Exchange1(benchmark::State& state) {
    TOptionRequest r;
    r.Exchange1 = true;
    OptionTable(state, r, ManyLayouts().size());
}
BENCHMARK(BM_BestPlay_Exchange1)->Unit(benchmark::kMicrosecond);
// The layout page's "анализ": every slot, every pair of slots and the purchase.
void BM_BestPlay_Everything(benchmark::State& state) {
    TOptionRequest r;
    r.Exchange1 = r.Exchange2 = r.Buy = true;
    OptionTable(state, r, 400);
}
BENCHMARK(BM_BestPlay_Everything)->Unit(benchmark::kMillisecond);

// The baseline: the first layout's raise by dealing out every dealer hand (the tests' brute force).
double BruteForceRaise(const BenchLayout& l) {
    const LayoutOutcome t = test::BruteTally(l.Deck, l.Open, l.Hand, l.Rules.AKPlays);
    const int64_t k = PayOff(l.Hand.Combo);
    return static_cast<double>((2 * k + 1) * t.W + t.N - 3 * static_cast<int64_t>(t.L)) / t.S;
}

void BM_BruteForceRaise_FirstLayout(benchmark::State& state) {
    const BenchLayout& l = Layouts().front();
    for (auto _ : state) benchmark::DoNotOptimize(BruteForceRaise(l));
}
BENCHMARK(BM_BruteForceRaise_FirstLayout)->Unit(benchmark::kMillisecond);

void BM_MO_Raise_FirstLayout(benchmark::State& state) {
    const BenchLayout& l = Layouts().front();
    if (BruteForceRaise(l) != MO_Raise(l.Deck, l.Hand, l.Open, l.Rules)) {
        state.SkipWithError("the raise differs from the brute force");
        return;
    }
    for (auto _ : state) benchmark::DoNotOptimize(MO_Raise(l.Deck, l.Hand, l.Open, l.Rules));
}
BENCHMARK(BM_MO_Raise_FirstLayout);

} // namespace
} // namespace kvarlen
