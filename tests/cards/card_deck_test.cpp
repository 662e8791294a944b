#include "test_hands.h"

#include <gtest/gtest.h>

#include <set>

namespace kvarlen {
namespace {

TEST(Deck, IndexAndSetUp) {
    EXPECT_EQ(DeckIndex(1, 1), 1);
    EXPECT_EQ(DeckIndex(4, 13), 52);
    EXPECT_EQ(DeckIndex(2, 10), 23);
    TDeck d;
    for (int s = 1; s <= 4; ++s)
        for (int v = 1; v <= 13; ++v) {
            EXPECT_EQ(d[DeckIndex(s, v)].Suit, s);
            EXPECT_EQ(d[DeckIndex(s, v)].Value, v);
        }
    d.Take(TCardRec{4, 1, 0});
    EXPECT_EQ(GetDeckCard(d, 40).Value, 0);
    EXPECT_EQ(GetDeckCard(d, 40).Suit, 4);
    EXPECT_EQ(d.UnseenCount(), 51);
}

TEST(Generator, ParkMillerFromSeedOne) {
    TGenerator g;
    g.RandomSeed = 1;
    EXPECT_EQ(g.MyRandom(52), 11);
    EXPECT_EQ(g.RandomSeed, 16807);
    // Known later states of the minimal standard generator.
    g.RandomSeed = 1;
    for (int i = 0; i < 10000; ++i) g.MyRandom(52);
    EXPECT_EQ(g.RandomSeed, 1043618065);
}

TEST(Generator, SeedNeverSticksAtZero) {
    TGenerator g;
    g.SeedMyRandom(0);
    EXPECT_EQ(g.RandomSeed, 1);
    g.SeedMyRandom(2147483647u);
    EXPECT_EQ(g.RandomSeed, 1);
    g.SeedMyRandom(12345);
    EXPECT_EQ(g.RandomSeed, 12345);
}

TEST(DrawCard, FirstDrawFromSeedOneIsQueenOfSpades) {
    TDeck d;
    TGenerator g;
    g.RandomSeed = 1;
    const TCardRec c = DrawCard(d, g);
    EXPECT_EQ(c.Suit, 1);
    EXPECT_EQ(c.Value, 12);
    EXPECT_EQ(d[12].Value, 0);
    EXPECT_EQ(d[12].Suit, 1);
}

TEST(DrawCard, DealsEveryCardOnceWithBothGenerators) {
    for (bool own : {true, false}) {
        TDeck d;
        TGenerator g;
        g.UseMyRandom = own;
        g.RandomSeed = 777;
        g.SeedLibrary(99);
        std::set<int> seen;
        for (int i = 0; i < 52; ++i) {
            const TCardRec c = DrawCard(d, g);
            ASSERT_GE(c.Value, 1);
            EXPECT_TRUE(seen.insert(DeckIndex(c.Suit, c.Value)).second);
        }
        EXPECT_EQ(d.UnseenCount(), 0);
        // An empty deck is an error instead of an endless loop.
        EXPECT_THROW(DrawCard(d, g), std::logic_error);
    }
}

TEST(Binomial, DirectAndTable) {
    EXPECT_EQ(Binomial(47, 4), 178365);
    EXPECT_EQ(Binomial(46, 4), 163185);
    EXPECT_EQ(Binomial(2, 5), 0);
    EXPECT_EQ(Binomial(7, 0), 1);
    EXPECT_EQ(BinomialLookup(5, 2), 10);
    EXPECT_EQ(BinomialLookup(2, 5), 0);
    for (int n = 0; n <= 52; ++n) {
        EXPECT_EQ(BinomialLookup(n, 0), 1);
        for (int k = 2; k <= 4; ++k) EXPECT_EQ(BinomialLookup(n, k), Binomial(n, k)) << n << k;
    }
}

TEST(Texts, ValuesSuitsAndHistoryLetters) {
    EXPECT_EQ(ValueText(10), "10");
    EXPECT_EQ(ValueText(1), "A ");
    EXPECT_EQ(ValueText(14), "A ");
    EXPECT_EQ(ValueText(13), "K ");
    EXPECT_EQ(SuitName(3), "Бубен");
    EXPECT_EQ(SuitName(1), "Пик  ");
    EXPECT_EQ(CardText(TCardRec{4, 12, 0}), "Q Черв ");
    EXPECT_EQ(HistoryCardText(TCardRec{4, 10, 0}), "X4");
    EXPECT_EQ(HistoryCardText(TCardRec{3, 1, 0}), "A3");
    EXPECT_EQ(RankLetter(14), "A");
    EXPECT_EQ(RankLetter(0), "");
}

TEST(Notation, ParsesAndRefuses) {
    EXPECT_EQ(ParseCard("XS").Value, 10);
    EXPECT_EQ(ParseCard("10s").Value, 10);
    EXPECT_EQ(ParseCard("10s").Suit, 1);
    EXPECT_EQ(ParseCard("ah").Suit, 4);
    EXPECT_EQ(ParseCard("kd").Value, 13);
    EXPECT_EQ(CardNotation(TCardRec{2, 3, 0}), "3C");
    const auto v = ParseCards("AH KS, XC 3C  XD");
    ASSERT_EQ(v.size(), 5u);
    EXPECT_EQ(v[4].Suit, 3);
    for (const char* bad : {"1S", "XZ", "11H", "", "AHS"}) {
        try {
            ParseCard(bad);
            ADD_FAILURE() << bad;
        } catch (const NotationError& e) {
            EXPECT_NE(std::string(e.what()).find(std::string("'") + bad + "'"), std::string::npos);
        }
    }
}

} // namespace
} // namespace kvarlen
