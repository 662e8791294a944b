// Each layout's exact counts against dealing out every deal of it, and the suit symmetry that
// lets one canonical layout stand for its whole orbit.
#include "exact_brute_force.h"

#include "analysis/ev.h"
#include "exact/exact_layouts.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

namespace kvarlen {
namespace {

using test::BruteForceLayout;
using test::ExpectSameCounts;
using test::FiveCards;

TExactConfig Config(TExactMode mode, void (*change)(TRules&) = nullptr) {
    PayTable = kDefaultPayTable;
    TRules rules;
    if (change) change(rules);
    return MakeExactConfig(rules, mode, rules.AKPlays, true);
}

void Classic(TRules& r) {
    r.Buy6 = false;
    r.Insurance = false;
}
void Exchange(TRules& r) {
    r.Buy6 = false;
    r.Exchange1 = true;
    r.PriceChange1 = 0.5;
}

void ExpectLayout(const char* cards, const char* open, const TExactConfig& cfg, int decision = -1) {
    const THand box = FiveCards(cards);
    const TCardRec o = ParseCard(open);
    const TExactLayoutCounts fast = CountLayoutCards(box, o, cfg);
    const TExactLayoutCounts slow = BruteForceLayout(box, o, cfg);
    ExpectSameCounts(fast, slow, std::string(cards) + " / " + open);
    if (decision >= 0) {
        EXPECT_EQ(fast.Decision, decision) << cards << " / " << open;
    }
    int64_t outcome = 0;
    for (int r = 0; r < kOutcomeRows; ++r) outcome += fast.RowDeals[r];
    EXPECT_EQ(outcome, 163185 * cfg.DrawFactor);
}

TEST(ExactLayoutCount, EqualsEveryDealDealtOutWithoutDraws) {
    const TExactConfig classic = Config(TExactMode::Ideal, Classic);
    ExpectLayout("AS KD 9C 5H 3S", "9D", classic, kDecisionRaise);
    ExpectLayout("AS QD 9C 5H 3S", "KD", classic, kDecisionPass);
    // A dealt flush against the dealer's flushes of the open suit: ranked, not pushed.
    ExpectLayout("2S 6S 9S JS KS", "QS", classic, kDecisionRaise);
    ExpectLayout("3D 6D 8D XD AD", "5C", classic, kDecisionRaise);
    // Insurance taken on a full house with the other two cards of the open value held.
    const TExactConfig insured = Config(TExactMode::Ideal, [](TRules& r) { r.Buy6 = false; });
    ExpectLayout("7S 7H 7D KC KD", "7C", insured, kDecisionRaise);
    ExpectLayout("7S 7H 2D 2C 2H", "2S", insured, kDecisionRaise);
    ExpectLayout("4S 5H 6D 7C 8H", "4D", insured, kDecisionRaise);
}

TEST(ExactLayoutCount, EqualsEveryDealDealtOutWithAPurchase) {
    // Four hearts and the open heart: most of the hearts bought make a flush that meets the
    // dealer's flushes.
    ExpectLayout("2H 5H 9H JH 3C", "7H", Config(TExactMode::Ideal), kDecisionBuy);
}

TEST(ExactLayoutCount, EqualsEveryDealDealtOutWithAnExchange) {
    ExpectLayout("2H 5H 9H JH 3C", "7D", Config(TExactMode::Ideal, Exchange), kDecisionExchange);
}

TEST(ExactLayoutCount, EqualsEveryDealDealtOutInStrategyPlay) {
    const TExactConfig strategy = Config(TExactMode::Strategy);
    // Rule 2 buys on a four-card flush, at one ante whatever the price field holds.
    ExpectLayout("2H 5H 9H JH 3C", "7H", strategy, kDecisionBuy);
    ExpectLayout("7S 7H 7D KC KD", "7C", strategy, kDecisionRaise);
    ExpectLayout("AS QD 9C 5H 3S", "KD", strategy);
}

TEST(ExactLayoutCount, DealerFlushesSplitAsTheCountersCountThem) {
    const TRules rules;
    for (const char* layout : {"2S 6S 9S JS KS|QS", "3D 6D 8D XD AD|5C", "2H 4H 7H 8H QH|AH"}) {
        const std::string s = layout;
        THand box = FiveCards(s.substr(0, s.find('|')));
        const TCardRec open = ParseCard(s.substr(s.find('|') + 1));
        EvaluateHand(box, true);
        TDeck view;
        for (int i = 1; i <= 5; ++i) view.Take(box.Cards[i]);
        ClassOutcome perClass[11];
        MO_Raise(view, box, open, rules, nullptr, nullptr, perClass);
        const TFlushSplit f = SplitDealerFlushes(view, open, box, true);
        EXPECT_EQ(f.Total, perClass[6].Total) << layout;
        EXPECT_EQ(f.Won + f.Lost + f.Push, f.Total) << layout;
        // The list dealt out once gives the same, also with a card of the open suit received.
        const TDealerFlushes once(view, open, true);
        const TFlushSplit g = once.Split(box, 0);
        EXPECT_EQ(g.Won, f.Won);
        EXPECT_EQ(g.Lost, f.Lost);
        EXPECT_EQ(g.Push, f.Push);
        for (int v = 1; v <= 13; ++v) {
            if (v == open.Value || !view.IsUnseen(open.Suit, v)) continue;
            TDeck less = view;
            less.Take(TCardRec{open.Suit, v, 0});
            const TFlushSplit a = SplitDealerFlushes(less, open, box, true);
            const TFlushSplit b = once.Split(box, v);
            EXPECT_EQ(a.Total, b.Total) << layout << " less " << v;
            EXPECT_EQ(a.Won, b.Won) << layout << " less " << v;
            EXPECT_EQ(a.Lost, b.Lost) << layout << " less " << v;
        }
    }
}

// A suit permutation applied to the layout, the five cards shuffled: the same counts, so one
// canonical layout stands for every layout of its orbit.
TEST(ExactLayoutCount, EveryLayoutOfAnOrbitCountsTheSame) {
    std::mt19937 rng(77);
    const std::vector<TPackedLayout> sample = CanonicalLayouts(311, 4000);
    const TExactConfig configs[3] = {Config(TExactMode::Ideal), Config(TExactMode::Ideal, Exchange),
                                     Config(TExactMode::Strategy)};
    int perm[5] = {0, 1, 2, 3, 4};
    for (size_t i = 0; i < sample.size(); i += 5) {
        const TExactLayout l = UnpackLayout(sample[i]);
        const TExactConfig& cfg = configs[i % 3];
        const TExactLayoutCounts canonical = CountLayout(l, cfg);
        std::shuffle(perm + 1, perm + 5, rng);
        THand h = LayoutHand(l);
        for (int s = 1; s <= 5; ++s) h.Cards[s].Suit = static_cast<uint8_t>(perm[h.Cards[s].Suit]);
        std::shuffle(h.Cards + 1, h.Cards + 6, rng);
        TCardRec open = LayoutOpenCard(l);
        open.Suit = static_cast<uint8_t>(perm[1]);
        ExpectSameCounts(CountLayoutCards(h, open, cfg), canonical,
                         "orbit of layout " + std::to_string(i));
    }
}

} // namespace
} // namespace kvarlen
