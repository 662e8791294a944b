#include "analysis/ev.h"
#include "dealer_brute_force.h"
#include "exactness.h"
#include "layout_samples.h"

#include <gtest/gtest.h>

#include <thread>

namespace kvarlen {
namespace {

using test::TSample;

TEST(DealerOutcomes, NamedLayoutsMatchEveryDealtHand) {
    for (const TSample& s : test::NamedSamples()) test::ExpectExact(s);
}

TEST(DealerOutcomes, RandomLayoutsMatchEveryDealtHand) {
    std::mt19937 rng(20240611);
    for (int i = 0; i < 24; ++i) test::ExpectExact(test::RandomSample(rng, i % 3 == 0 ? 20 : 4));
}

// The player's class alone is split into won, lost and push; every open value meets a pair.
TEST(DealerOutcomes, EveryOpenValueAgainstAPair) {
    for (int v = 1; v <= 13; ++v) {
        const TCardRec open = test::MakeCard(2, v);
        const std::vector<TCardRec> player =
            test::Cards(v == 9 ? "8H 8S 4D 5H JS" : "9H 9S 4D 5H JS");
        bool clash = false;
        for (const TCardRec& c : player) clash = clash || SameCard(c, open);
        if (clash) continue;
        TSample s{"pair of nines or eights", player, open, {}, true};
        test::ExpectExact(s);
    }
}

TEST(DealerOutcomes, OpenAceWithEveryKingSeenHasNoAceKing) {
    const TSample s = test::Sample("", "KS KC KD KH 5D", "AH");
    const TDeck deck = s.Deck();
    EXPECT_EQ(CountDealerAK(deck, BuildValueCounts(deck), s.Open, s.Hand()).Total, 0);
}

TEST(DealerOutcomes, FlushAgainstFlushIsAlwaysAPush) {
    const TSample s = test::Sample("", "2D 5D 9D JD KD", "AD");
    const TDeck deck = s.Deck();
    const ClassOutcome r = CountDealerFlush(deck, BuildValueCounts(deck), s.Open, s.Hand());
    EXPECT_GT(r.Total, 0);
    EXPECT_EQ(r.Won, 0);
    EXPECT_EQ(r.Lost, 0);
    EXPECT_EQ(r.Push, r.Total);
}

TEST(DealerOutcomes, WheelLosesToTwoToSixAndTiesTheWheel) {
    const TSample s = test::Sample("", "AS 2C 3D 4H 5S", "3S");
    const TDeck deck = s.Deck();
    const ClassOutcome r = CountDealerStraight(deck, BuildValueCounts(deck), s.Open, s.Hand());
    // Dealer wheels (A 2 4 5 with the open three) tie, every higher straight wins. No suited
    // wheel is taken off: the ace and five of spades are the player's.
    const int wheels = 3 * 3 * 3 * 3;
    EXPECT_EQ(r.Push, wheels);
    EXPECT_EQ(r.Won, 0);
    EXPECT_EQ(r.Lost, r.Total - wheels);
}

TEST(DealerOutcomes, OtherClassesReportMinusOne) {
    const TSample s = test::Sample("", "AH KS XC 3C XD", "XS");
    const TDeck deck = s.Deck();
    const ClassOutcome r = CountDealerTrips(deck, BuildValueCounts(deck), s.Open, s.Hand());
    EXPECT_EQ(r.Won, -1);
    EXPECT_EQ(r.Lost, -1);
    EXPECT_EQ(r.Push, -1);
}

TEST(DealerOutcomes, ValueCountsCountUnseenEntries) {
    TDeck deck = test::DeckWithout(test::Cards("AH AS KD 2C"));
    deck.At(3, 7).Value = -1; // a card marked as lying on the table
    const ValueCounts vc = BuildValueCounts(deck);
    EXPECT_EQ(vc.c[0], 47);
    EXPECT_EQ(vc.c[1], 2);
    EXPECT_EQ(vc.c[7], 3);
    EXPECT_EQ(vc.c[13], 3);
}

TEST(DealerOutcomes, PairCounterTimeIsKeptPerThread) {
    const TSample s = test::Sample("", "AH KS XC 3C XD", "XS");
    const TDeck deck = s.Deck();
    GlobalT1() = 0;
    for (int i = 0; i < 200; ++i) CountDealerPair(deck, BuildValueCounts(deck), s.Open, s.Hand());
    EXPECT_GT(GlobalT1(), 0.0);
    double other = -1;
    std::thread t([&] { other = GlobalT1(); });
    t.join();
    EXPECT_EQ(other, 0.0);
}

} // namespace
} // namespace kvarlen
