#include "brute_force.h"
#include "test_hands.h"

#include <gtest/gtest.h>

#include <random>

namespace kvarlen {
namespace {

using test::Classified;

int Cmp(const std::string& a, const std::string& b, bool ak = true) {
    return CompareHands(Classified(a, ak), Classified(b, ak));
}

TEST(Compare, KickerRules) {
    EXPECT_EQ(Cmp("AD KD 9C 5S 2H", "AS KC 9D 5H 3S"), 2);
    EXPECT_EQ(Cmp("8S 8C KD 7H 4S", "8D 8H KC 7S 3D"), 1);
    EXPECT_EQ(Cmp("AS AC 5D 5H 9S", "KS KC QD QH 2S"), 1);
    EXPECT_EQ(Cmp("9S 9C 4D 4H AS", "9D 9H 4S 4C KD"), 1);
    EXPECT_EQ(Cmp("AS 2C 3D 4H 5S", "2D 3H 4S 5C 6D"), 2);
    EXPECT_EQ(Cmp("AH 9H 7H 4H 2H", "KS QS JS 9S 7S"), 1);
    EXPECT_EQ(Cmp("AS 8C 6D 4H 2S", "KS 9C 7D 5H 3S", false), 0);
    EXPECT_EQ(Cmp("XH JH QH KH AH", "XS JS QS KS AS"), 0);
    EXPECT_EQ(Cmp("2H 4H 6H 8H XH", "9S XC JD QH KS"), 1);
    EXPECT_EQ(Cmp("7S 7C 7D 2H 3S", "7H KC KD 2S 3C"), 1);
    // Three of a kind is ranked by the three alone.
    EXPECT_EQ(Cmp("7S 7C 7D 2H 3S", "7H 7C 7D KS QC"), 0);
}

TEST(Compare, SixCardHandThroughItsBestFive) {
    const THand box = Classified("8S 8C KD 7H 4S 2C");
    const THand dealer = Classified("8D 8H KC 7S 3D");
    EXPECT_EQ(CompareHands(dealer, box), 2);
    EXPECT_EQ(CompareHands(box, dealer), 1);
    EXPECT_EQ(CompareHands(box, box), 0);
}

TEST(Compare, DealerQualification) {
    EXPECT_TRUE(DealerHasGame(Classified("AS KC 9D 5H 2S", true)));
    EXPECT_FALSE(DealerHasGame(Classified("AS KC 9D 5H 2S", false)));
    EXPECT_TRUE(DealerHasGame(Classified("2S 2C 9D 5H 7S", false)));
}

// Random pairs of disjoint hands: the comparison is antisymmetric and follows the
// conventional order; with six cards it equals the comparison of the best fives.
TEST(Compare, AgreesWithBruteForceOnSampledPairs) {
    std::mt19937 rng(7);
    for (int n = 0; n < 300000; ++n) {
        int pick[52];
        for (int i = 0; i < 52; ++i) pick[i] = i + 1;
        for (int i = 0; i < 12; ++i) std::swap(pick[i], pick[i + rng() % (52 - i)]);
        const bool ak = (n & 1) != 0;
        auto card = [&](int k) {
            TCardRec c;
            c.Suit = static_cast<uint8_t>((pick[k] - 1) / 13 + 1);
            c.Value = (pick[k] - 1) % 13 + 1;
            return c;
        };
        THand a, b;
        std::array<TCardRec, 5> ca{}, cb{};
        for (int i = 0; i < 5; ++i) {
            a.Cards[i + 1] = ca[i] = card(i);
            b.Cards[i + 1] = cb[i] = card(5 + i);
        }
        EvaluateHand(a, ak);
        EvaluateHand(b, ak);
        const int expect =
            test::BruteOrder(test::BruteClassify(ca, ak), test::BruteClassify(cb, ak));
        const int got = CompareHands(a, b);
        ASSERT_EQ(got, expect == 0 ? 0 : (expect > 0 ? 1 : 2)) << n;
        ASSERT_EQ(CompareHands(b, a), got == 0 ? 0 : 3 - got);
        // Six cards: a's five plus a bought card, against b.
        THand six = a;
        six.Count = 6;
        six.Cards[6] = card(10);
        EvaluateHand(six, ak);
        THand five;
        for (int i = 1, k = 1; i <= 6; ++i)
            if (i != six.DropIndex) five.Cards[k++] = six.Cards[i];
        EvaluateHand(five, ak);
        ASSERT_EQ(CompareHands(six, b), CompareHands(five, b)) << n;
    }
}

} // namespace
} // namespace kvarlen
