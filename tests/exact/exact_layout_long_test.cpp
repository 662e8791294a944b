// Sampled layouts of every rule set counted against dealing out every deal (long: each layout
// with a purchase or an exchange deals out about 6.9 million deals).
#include "exact_brute_force.h"

#include "exact/exact_layouts.h"

#include <gtest/gtest.h>

#include <iostream>

namespace kvarlen {
namespace {

using test::BruteForceLayout;
using test::ExpectSameCounts;

void ExpectSample(TExactMode mode, void (*change)(TRules&), int part) {
    PayTable = kDefaultPayTable;
    TRules rules;
    if (change) change(rules);
    const TExactConfig cfg = MakeExactConfig(rules, mode, rules.AKPlays, true);
    const std::vector<TPackedLayout> sample = CanonicalLayouts(part, 250000);
    int draws = 0;
    for (TPackedLayout p : sample) {
        const TExactLayout l = UnpackLayout(p);
        const TExactLayoutCounts fast = CountLayout(l, cfg);
        draws += fast.Decision >= kDecisionBuy;
        ExpectSameCounts(fast, BruteForceLayout(LayoutHand(l), LayoutOpenCard(l), cfg),
                         "layout " + std::to_string(p));
    }
    EXPECT_GT(sample.size(), 20u);
    std::cout << sample.size() << " layouts, " << draws << " with a card received\n";
}

TEST(ExactLayoutLong, DefaultRulesIdeal) {
    ExpectSample(TExactMode::Ideal, nullptr, 1234);
}
TEST(ExactLayoutLong, ExchangeIdeal) {
    ExpectSample(
        TExactMode::Ideal,
        [](TRules& r) {
            r.Buy6 = false;
            r.Exchange1 = true;
            r.PriceChange1 = 0.5;
        },
        4321);
}
TEST(ExactLayoutLong, DefaultRulesStrategy) {
    ExpectSample(TExactMode::Strategy, nullptr, 777);
}
TEST(ExactLayoutLong, NoAKNoBuyIdeal) {
    ExpectSample(
        TExactMode::Ideal,
        [](TRules& r) {
            r.Buy6 = false;
            r.AKPlays = false;
        },
        99);
}

} // namespace
} // namespace kvarlen
