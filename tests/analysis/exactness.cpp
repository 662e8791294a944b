#include "exactness.h"

#include "analysis/ev.h"

#include <gtest/gtest.h>

namespace kvarlen::test {

ClassOutcome RunCounter(int ordinal, const TDeck& deck, const ValueCounts& vc, const TCardRec& open,
                        const THand& hand) {
    switch (ordinal) {
    case 1:
        return CountDealerAK(deck, vc, open, hand);
    case 2:
        return CountDealerPair(deck, vc, open, hand);
    case 3:
        return CountDealerTwoPairs(deck, vc, open, hand);
    case 4:
        return CountDealerTrips(deck, vc, open, hand);
    case 5:
        return CountDealerStraight(deck, vc, open, hand);
    case 6:
        return CountDealerFlush(deck, vc, open, hand);
    case 7:
        return CountDealerFullHouse(deck, vc, open, hand);
    case 8:
        return CountDealerQuads(deck, vc, open, hand);
    case 9:
        return CountDealerStraightFlush(deck, vc, open, hand);
    default:
        return CountDealerRoyal(deck, vc, open, hand);
    }
}

void ExpectExact(const TSample& s) {
    SCOPED_TRACE(Describe(s));
    const TDeck deck = s.Deck();
    const THand hand = s.Hand();
    const ValueCounts vc = BuildValueCounts(deck);
    const TBruteCounts brute = BruteCounts(deck, s.Open, hand);
    for (int k = 1; k <= 10; ++k) {
        SCOPED_TRACE(ComboName(static_cast<uint16_t>(1u << k)));
        const ClassOutcome got = RunCounter(k, deck, vc, s.Open, hand);
        const ClassOutcome& want = brute.PerClass[k];
        EXPECT_EQ(got.Total, want.Total);
        EXPECT_EQ(got.Won, want.Won);
        EXPECT_EQ(got.Lost, want.Lost);
        EXPECT_EQ(got.Push, want.Push);
    }
    const LayoutOutcome want = BruteTally(deck, s.Open, hand, s.AKPlays);
    ClassOutcome perClass[11];
    const LayoutOutcome got = TallyDealerOutcomes(deck, vc, s.Open, hand, s.AKPlays, perClass);
    EXPECT_EQ(got.S, want.S);
    EXPECT_EQ(got.W, want.W);
    EXPECT_EQ(got.L, want.L);
    EXPECT_EQ(got.P, want.P);
    EXPECT_EQ(got.N, want.N);
    if (s.AKPlays) {
        EXPECT_EQ(got.N, brute.NoGame);
    }
    if (hand.Combo == C_Empty) {
        EXPECT_EQ(got.W, 0);
        EXPECT_EQ(got.P, 0);
    }
    TRules rules;
    rules.AKPlays = s.AKPlays;
    EXPECT_EQ(MO_Raise(deck, hand, s.Open, rules), RaiseFormula(want, hand.Combo));
}

} // namespace kvarlen::test
