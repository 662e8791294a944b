// The exact value of the game under best play: every layout's count agrees with its option
// values, best play is never worse than the rules of play, and the classic game is the
// published table.
#include "exact_brute_force.h"

#include "analysis/best_play.h"
#include "exact/exact_compare.h"
#include "exact/exact_layouts.h"
#include "exact/exact_report.h"
#include "exact/exact_run.h"

#include <gtest/gtest.h>

#include <random>

namespace kvarlen {
namespace {

using test::FiveCards;

TRules DefaultRules() {
    return TRules{};
}
TRules ExchangeRules() {
    TRules r;
    r.Buy6 = false;
    r.Exchange1 = true;
    r.PriceChange1 = 1;
    return r;
}
TRules ClassicRules() {
    TRules r;
    r.Buy6 = false;
    r.Insurance = false;
    return r;
}

// The layout's exact total with the (whole) prices paid.
int64_t Total(const TExactLayoutCounts& c, const TExactConfig& cfg) {
    const int64_t buy =
        cfg.Mode == TExactMode::Strategy ? 1 : static_cast<int64_t>(cfg.Rules.PriceBuy6);
    const int64_t ex = static_cast<int64_t>(cfg.Rules.PriceChange1);
    return c.Sum() - buy * c.PricedDeals[kPriceBuy] - ex * c.PricedDeals[kPriceExchange];
}

std::vector<std::pair<THand, TCardRec>> SampledLayouts(int n, unsigned seed) {
    std::vector<std::pair<THand, TCardRec>> out = {
        {FiveCards("2H 5H 9H JH 3C"), ParseCard("7H")}, // four to a flush of the open suit
        {FiveCards("2H 3H 5H 7H 8H"), ParseCard("KH")}, // a low flush against dealer flushes
        {FiveCards("5S 6C 7D 8H 9S"), ParseCard("9C")}, // a straight, one of the open value
        {FiveCards("7S 7H 7D KC KD"), ParseCard("7C")}, // full house, insurance
        {FiveCards("AS KD 9C 5H 3S"), ParseCard("9D")},
        // Layouts where best play and ideal play part (flushes, insurance, a purchase for it).
        {FiveCards("2C 6C AC 5C 3C"), ParseCard("4S")},
        {FiveCards("AD XH KD QS JS"), ParseCard("QD")},
        {FiveCards("XS XD AH AC XH"), ParseCard("AD")},
        {FiveCards("4S 2H AS 5S 4H"), ParseCard("4C")},
        {FiveCards("9D 6D KD JD QD"), ParseCard("JH")},
    };
    std::mt19937 rng(seed);
    while (static_cast<int>(out.size()) < n) {
        int pick[52];
        for (int i = 0; i < 52; ++i) pick[i] = i + 1;
        for (int i = 0; i < 6; ++i) std::swap(pick[i], pick[i + rng() % (52 - i)]);
        THand h;
        for (int i = 0; i < 5; ++i)
            h.Cards[i + 1] =
                TCardRec{static_cast<uint8_t>((pick[i] - 1) / 13 + 1), (pick[i] - 1) % 13 + 1, 0};
        h.Count = 5;
        out.push_back(
            {h, TCardRec{static_cast<uint8_t>((pick[5] - 1) / 13 + 1), (pick[5] - 1) % 13 + 1, 0}});
    }
    return out;
}

TEST(ExactOptimal, EachLayoutCountsItsBestOptionValue) {
    PayTable = kDefaultPayTable;
    for (const TRules& rules : {DefaultRules(), ExchangeRules(), ClassicRules()}) {
        const TExactConfig cfg = MakeExactConfig(rules, TExactMode::Optimal, rules.AKPlays, true);
        for (const auto& [box, open] : SampledLayouts(60, 77)) {
            const TExactLayoutCounts c = CountLayoutCards(box, open, cfg);
            TDeck view;
            for (int i = 1; i <= 5; ++i) view.Take(box.Cards[i]);
            const TOptionTable t = BestPlayOptions(view, box, open, rules, RulesRequest(rules));
            ASSERT_EQ(c.Deals(), 163185 * cfg.DrawFactor);
            const double mean = static_cast<double>(Total(c, cfg)) / static_cast<double>(c.Deals());
            EXPECT_NEAR(mean, t.BestOption().Value, 1e-9)
                << CardNotation(box.Cards[1]) << " .. / " << CardNotation(open) << " "
                << OptionCode(t.BestOption());
            const int expected[] = {kDecisionPass, kDecisionRaise, kDecisionExchange,
                                    kDecisionExchange, kDecisionBuy};
            EXPECT_EQ(c.Decision, expected[static_cast<int>(t.BestOption().Kind)]);
        }
    }
}

// Exact integers: no rule of play beats best play on any layout.
TEST(ExactOptimal, NeverBelowIdealOrStrategyPlayOnALayout) {
    PayTable = kDefaultPayTable;
    int strictlyBetter = 0;
    for (const TRules& rules : {DefaultRules(), ExchangeRules()}) {
        const TExactConfig opt = MakeExactConfig(rules, TExactMode::Optimal, rules.AKPlays, true);
        const TExactConfig ideal = MakeExactConfig(rules, TExactMode::Ideal, rules.AKPlays, true);
        const TExactConfig strat =
            MakeExactConfig(rules, TExactMode::Strategy, rules.AKPlays, true);
        for (const auto& [box, open] : SampledLayouts(80, 91)) {
            const int64_t o = Total(CountLayoutCards(box, open, opt), opt);
            const int64_t i = Total(CountLayoutCards(box, open, ideal), ideal);
            EXPECT_GE(o, i);
            strictlyBetter += o > i;
            // Strategy play never exchanges: its deal space differs under the exchange rules.
            if (!rules.Exchange1) {
                EXPECT_GE(o, Total(CountLayoutCards(box, open, strat), strat));
            }
        }
    }
    EXPECT_GT(strictlyBetter, 0);
}

// The same as a property of parts added up: over slices of the default rules and of the exchange
// rules, best play's exact net is at least ideal play's and strategy play's.
TEST(ExactOptimal, MergedPartsNeverBelowTheRulesOfPlay) {
    PayTable = kDefaultPayTable;
    for (const TRules& rules : {DefaultRules(), ExchangeRules()}) {
        TExactInt net[3] = {};
        const TExactMode modes[3] = {TExactMode::Optimal, TExactMode::Ideal, TExactMode::Strategy};
        for (int m = 0; m < 3; ++m) {
            if (modes[m] == TExactMode::Strategy && rules.Exchange1) continue;
            TExactResult sumOfParts;
            for (int k = 1; k <= 3; ++k) {
                TExactSettings s;
                s.Rules = rules;
                s.Mode = modes[m];
                s.Threads = 2;
                // Three parts of a slicing in 3000: about 5,600 layouts, added count by count.
                s.PartIndex = k;
                s.PartCount = 3000;
                const TExactResult r = RunExact(s);
                ASSERT_TRUE(r.Complete);
                if (k == 1)
                    sumOfParts = r;
                else
                    sumOfParts.Tally.Add(r.Tally);
            }
            const TExactSummary sum = SummarizeExact(sumOfParts);
            ASSERT_TRUE(sum.NetIsInteger);
            net[m] = sum.Net;
        }
        EXPECT_TRUE(net[0] >= net[1]) << ToDecimal(net[0]) << " < " << ToDecimal(net[1]);
        EXPECT_TRUE(net[0] > net[1]) << "best play gains nothing on these slices";
        if (!rules.Exchange1) {
            EXPECT_TRUE(net[0] >= net[2]);
        }
    }
}

TExactSettings Classic(TExactMode mode, int part = 1, int parts = 1) {
    TExactSettings s;
    s.Rules = ClassicRules();
    s.Mode = mode;
    s.Threads = 2;
    s.PartIndex = part;
    s.PartCount = parts;
    return s;
}

// Without buying, exchanging and insurance no flush against flush changes a decision: best play
// is the published table of the classic game, as ideal play is; its parts merge to the whole.
TEST(ExactOptimal, ClassicGameIsThePublishedTableAndMerges) {
    PayTable = kDefaultPayTable;
    const TExactResult opt = RunExact(Classic(TExactMode::Optimal));
    const TExactResult ideal = RunExact(Classic(TExactMode::Ideal));
    ASSERT_TRUE(opt.Complete);
    EXPECT_TRUE(opt.Tally == ideal.Tally);
    const TExactSummary s = SummarizeExact(opt);
    ASSERT_TRUE(s.NetIsInteger);
    EXPECT_EQ(ToDecimal(s.Net), "-1041372912372");
    std::vector<TExactResult> parts;
    for (int k = 1; k <= 2; ++k) parts.push_back(RunExact(Classic(TExactMode::Optimal, k, 2)));
    const TExactResult merged = MergeExactParts(parts);
    EXPECT_TRUE(merged.Tally == opt.Tally);
    EXPECT_EQ(merged.Mode, TExactMode::Optimal);
    // A part of ideal play does not merge with a part of best play.
    parts[1] = RunExact(Classic(TExactMode::Ideal, 2, 2));
    EXPECT_THROW(MergeExactParts(parts), TExactRefused);

    const std::vector<TExactComparisonRow> rows = CompareExactResults({opt, ideal});
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_TRUE(rows[1].CostIsExact);
    EXPECT_EQ(ToDecimal(rows[1].CostNet), "0");
}

} // namespace
} // namespace kvarlen
