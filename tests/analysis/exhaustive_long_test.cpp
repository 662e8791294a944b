// Larger sweeps than the quick tests: many random layouts, every open card, and the exchange
// and purchase means of full decks against dealing out every dealer hand.
#include "analysis/ev.h"
#include "dealer_brute_force.h"
#include "exactness.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace kvarlen {
namespace {

TEST(ExhaustiveLong, ManyRandomLayouts) {
    std::mt19937 rng(97);
    for (int i = 0; i < 400; ++i) test::ExpectExact(test::RandomSample(rng, i % 2 ? 12 : 0));
}

TEST(ExhaustiveLong, EveryOpenCardAgainstEveryClass) {
    const char* hands[] = {"AS KC 9D 5H 2S", "9H 9S 4D 5H JS", "KS KC 5D 5H 9S", "7S 7C 7D 2H 3S",
                           "8S 9C XD JH QC", "2D 5D 9D JD KD", "QS QC QD 4H 4S", "7S 7C 7D 7H KS",
                           "5H 6H 7H 8H 9H", "AS 2C 3D 4H 5S"};
    for (const char* h : hands) {
        const std::vector<TCardRec> player = test::Cards(h);
        for (int i = 1; i <= 52; ++i) {
            const TCardRec open = test::MakeCard((i - 1) / 13 + 1, (i - 1) % 13 + 1);
            bool clash = false;
            for (const TCardRec& c : player) clash = clash || SameCard(c, open);
            if (clash) continue;
            test::ExpectExact(test::TSample{"every open card", player, open, {}, true});
        }
    }
}

double Best(const LayoutOutcome& t, uint16_t combo, double price) {
    return std::max(test::RaiseFormula(t, combo) - price, -1.0 - price);
}

TEST(ExhaustiveLong, FullDeckExchangesAndPurchase) {
    std::mt19937 rng(5);
    for (int n = 0; n < 4; ++n) {
        test::TSample s = test::RandomSample(rng, 0);
        s.Player.resize(5);
        SCOPED_TRACE(test::Describe(s));
        TRules rules;
        rules.AKPlays = s.AKPlays;
        const TDeck deck = s.Deck();
        const test::TDealerHands dealer(deck, s.Open, s.AKPlays);
        std::vector<int> cand;
        for (int i = 1; i <= 52; ++i)
            if (deck[i].Value > 0 && i != DeckIndex(s.Open.Suit, s.Open.Value)) cand.push_back(i);
        auto card = [](int i) { return test::MakeCard((i - 1) / 13 + 1, (i - 1) % 13 + 1); };

        double buy = 0;
        for (int x : cand) {
            THand h = s.Hand();
            h.Cards[6] = card(x);
            h.Count = 6;
            h.Sorted = 0;
            EvaluateHand(h, rules.AKPlays);
            buy += Best(dealer.Tally(h, x), h.Combo, rules.PriceBuy6);
        }
        EXPECT_DOUBLE_EQ(MO_Buy(deck, s.Hand(), s.Open, rules, s.AKPlays), buy / cand.size());

        double per[6];
        uint8_t best = 0;
        MO_Change1(deck, s.Hand(), s.Open, rules, best, nullptr, per);
        for (int pos = 1; pos <= 5; ++pos) {
            double sum = 0;
            for (int x : cand) {
                THand h = s.Hand();
                h.Cards[pos] = card(x);
                h.Sorted = 0;
                EvaluateHand(h, rules.AKPlays);
                sum += Best(dealer.Tally(h, x), h.Combo, rules.PriceChange1);
            }
            EXPECT_DOUBLE_EQ(per[pos], sum / cand.size()) << pos;
        }

        // One pair of positions of the two-card exchange over every pair of candidates.
        TChange2Pair pairs[10];
        int count = 0;
        uint8_t f = 0, q = 0;
        MO_Change2(deck, s.Hand(), s.Open, false, rules, f, q, nullptr, pairs, &count);
        ASSERT_EQ(count, 10);
        const int r = 1 + n % 4, t = 5;
        double sum = 0;
        int m = 0;
        for (size_t a = 0; a < cand.size(); ++a)
            for (size_t b = a + 1; b < cand.size(); ++b) {
                THand h = s.Hand();
                h.Cards[r] = card(cand[a]);
                h.Cards[t] = card(cand[b]);
                h.Sorted = 0;
                EvaluateHand(h, rules.AKPlays);
                sum += Best(dealer.Tally(h, cand[a], cand[b], true), h.Combo, rules.PriceChange2);
                ++m;
            }
        const TChange2Pair* got = nullptr;
        for (int k = 0; k < count; ++k)
            if (pairs[k].First == r && pairs[k].Second == t) got = &pairs[k];
        ASSERT_NE(got, nullptr);
        EXPECT_DOUBLE_EQ(got->MO, sum / m);
    }
}

} // namespace
} // namespace kvarlen
