// The work of a run in cost units and the time left estimated from it.
#include "cards/classify.h"
#include "exact/exact_progress.h"

#include <gtest/gtest.h>

#include <cmath>

namespace kvarlen {
namespace {

TEST(ExactProgress, DealtClassFromTheMasksIsTheClassifiersOnEveryLayout) {
    uint64_t wrong = 0, byClass[12] = {};
    ForEachCanonicalLayout([&](uint64_t, const TExactLayout& l) {
        THand hand = LayoutHand(l);
        hand.Count = 5;
        const int expected = ComboIndex(EvaluateHand(hand, true));
        const int got = LayoutDealtClass(l);
        if (got != expected && ++wrong <= 5)
            ADD_FAILURE() << "class " << got << " instead of " << expected;
        ++byClass[expected];
        return true;
    });
    EXPECT_EQ(wrong, 0u);
    for (int c = 1; c <= 11; ++c) EXPECT_GT(byClass[c], 0u) << c;
}

TEST(ExactProgress, CostsFollowWhatTheRulesMakeALayoutDo) {
    TRules classic;
    classic.Buy6 = false;
    classic.Insurance = false;
    TRules buy; // the default rules: purchase and insurance
    TRules exchange;
    exchange.Buy6 = false;
    exchange.Exchange1 = true;
    for (int c = 1; c <= 11; ++c) {
        const double plain = ExactLayoutCost(c, classic, TExactMode::Ideal);
        EXPECT_GT(plain, 0);
        EXPECT_GT(ExactLayoutCost(c, buy, TExactMode::Ideal), 5 * plain) << c;
        EXPECT_GT(ExactLayoutCost(c, buy, TExactMode::Optimal),
                  ExactLayoutCost(c, buy, TExactMode::Ideal))
            << c;
        // Strategy play never exchanges: no card is received.
        EXPECT_EQ(ExactLayoutCost(c, exchange, TExactMode::Strategy), plain) << c;
    }
    // Over a whole part: an exchange tries five cards, strategy play deals out a purchase only
    // where it buys.
    auto total = [](const TRules& r, TExactMode m) {
        TExactSettings s;
        s.Rules = r;
        s.Mode = m;
        s.PartIndex = 3;
        s.PartCount = 50;
        return TExactWork(s).Total();
    };
    EXPECT_GT(total(exchange, TExactMode::Ideal), 2 * total(buy, TExactMode::Ideal));
    EXPECT_LT(total(buy, TExactMode::Strategy), total(buy, TExactMode::Ideal) / 2);
    EXPECT_LT(total(classic, TExactMode::Ideal), total(buy, TExactMode::Strategy) / 5);
}

TEST(ExactProgress, WorkOfThePartsLayoutsInTheirOrder) {
    TExactSettings s;
    s.PartIndex = 7;
    s.PartCount = 90;
    const TExactWork work(s);
    const std::vector<TPackedLayout> layouts = CanonicalLayouts(7, 90);
    ASSERT_EQ(work.Layouts(), layouts.size());
    ASSERT_GT(layouts.size(), 3 * TExactWork::kBlock);
    // The straightforward sum at every block's end and at the end of the part.
    double sum = 0, previous = 0;
    for (uint64_t i = 0; i < layouts.size(); ++i) {
        sum += ExactLayoutCost(LayoutDealtClass(UnpackLayout(layouts[i])), s.Rules, s.Mode);
        const uint64_t done = i + 1;
        if (done % TExactWork::kBlock == 0 || done == layouts.size()) {
            EXPECT_NEAR(work.Done(done), sum, 1e-9 * sum) << done;
        }
        // Between the ends the work grows with the layouts and never passes the sum.
        if (done % 1000 == 0) {
            EXPECT_GE(work.Done(done), previous);
            previous = work.Done(done);
        }
    }
    EXPECT_EQ(work.Done(0), 0);
    EXPECT_NEAR(work.Total(), sum, 1e-9 * sum);
    EXPECT_EQ(work.Done(layouts.size() + 5), work.Total());
}

// Reports every quarter of a second from a run whose work advances as `done(t)` says.
template <class F> double LeftAt(TExactTimeLeft& estimate, double until, F&& done) {
    double left = -1;
    for (double t = 0.25; t <= until + 1e-9; t += 0.25) left = estimate.Report(t, done(t));
    return left;
}

TEST(ExactProgress, TimeLeftFollowsTheWorkNotTheShareOfLayouts) {
    // 100 layouts that cost 1 unit each, then 100 that buy and cost 3, at 5 units a second: 80
    // seconds in all. At 4.5 s, 11 % of the layouts, the share of layouts says 36 s are left.
    TExactTimeLeft estimate(400);
    const double t = 4.5;
    const double left = LeftAt(estimate, t, [](double at) { return 5 * at; });
    EXPECT_NEAR(left, 80 - t, 0.01);
    const double share = 5 * t / 200, byShare = t * (1 - share) / share;
    EXPECT_NEAR(share, 0.11, 0.005);
    EXPECT_LT(byShare, 0.5 * (80 - t));
}

TEST(ExactProgress, TimeLeftLeavesOutTheStartAndFollowsTheMachine) {
    TExactTimeLeft estimate(1000);
    // Nothing is done in the first 2 s (the list of layouts is made), then 10 units a second.
    EXPECT_EQ(estimate.Report(0.25, 0), -1);
    auto slowStart = [](double t) { return t < 2 ? 0.0 : 10 * (t - 2); };
    EXPECT_NEAR(LeftAt(estimate, 20, slowStart), (1000 - 180) / 10.0, 0.01);

    // Another program takes half the machine at 30 s: after the window the rate is the new one.
    TExactTimeLeft busy(2000);
    auto halved = [](double t) { return t < 30 ? 20 * t : 600 + 10 * (t - 30); };
    const double at = 30 + TExactTimeLeft::kWindow + 15;
    EXPECT_NEAR(LeftAt(busy, at, halved), (2000 - halved(at)) / 10.0, 0.01);
}

TEST(ExactProgress, TimeLeftWaitsForASecondOfReportsAndCountsTheLaterRuns) {
    TExactTimeLeft estimate(100, 50);
    EXPECT_EQ(estimate.Report(0.25, 1), -1);
    EXPECT_EQ(estimate.Report(0.5, 2), -1);
    EXPECT_EQ(estimate.Report(1.0, 4), -1);
    // 4 units a second: 96 of this run and 50 of the next ones left.
    EXPECT_NEAR(estimate.Report(1.25, 5), (95 + 50) / 4.0, 1e-9);
    // No progress in the window: no estimate rather than an infinite one.
    TExactTimeLeft stuck(100);
    for (double t = 0.25; t < 3; t += 0.25) EXPECT_EQ(stuck.Report(t, 0), -1);
}

} // namespace
} // namespace kvarlen
