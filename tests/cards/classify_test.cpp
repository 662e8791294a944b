#include "brute_force.h"
#include "six_check.h"
#include "test_hands.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <map>
#include <random>

namespace kvarlen {
namespace {

using test::BruteClassify;
using test::Classified;
using test::MakeHand;

TEST(Classify, StraightsAndWheel) {
    THand h = Classified("AS 2C 3D 4H 5S");
    EXPECT_EQ(h.Combo, C_Straight);
    EXPECT_EQ(h.Rank1, 5);
    h = Classified("XS JC QD KH AS");
    EXPECT_EQ(h.Combo, C_Straight);
    EXPECT_EQ(h.Rank1, 14);
    EXPECT_EQ(h.FoundBits, 2 | 32);
    h = Classified("QS KC AD 2H 3S", false);
    EXPECT_EQ(h.Combo, C_Empty);
}

TEST(Classify, RoyalAndStraightFlush) {
    THand h = Classified("XH JH QH KH AH", true);
    EXPECT_EQ(h.Combo, C_Royal);
    EXPECT_EQ(h.Rank1, 14);
    EXPECT_EQ(h.FoundBits, 2 + 32 + 64 + 512 + 1024);
    h = Classified("XH JH QH KH AH", false);
    EXPECT_EQ(h.FoundBits, 32 + 64 + 512 + 1024);
    h = Classified("9C XC JC QC KC");
    EXPECT_EQ(h.Combo, C_StraightFlush);
    EXPECT_EQ(h.Rank1, 13);
}

TEST(Classify, AceKingDependsOnFlag) {
    THand h = Classified("AS KC 9D 5H 2S", true);
    EXPECT_EQ(h.Combo, C_AK);
    EXPECT_EQ(h.Rank1, 9);
    EXPECT_EQ(h.Rank2, 5);
    h = Classified("AS KC 9D 5H 2S", false);
    EXPECT_EQ(h.Combo, C_Empty);
    EXPECT_EQ(h.Rank1, 0);
    EXPECT_EQ(h.Rank2, 0);
    h = Classified("AS AC KD 7H 3S", true);
    EXPECT_EQ(h.Combo, C_Pair);
    EXPECT_EQ(h.Rank1, 14);
    EXPECT_EQ(h.FoundBits, 2 + 4);
}

TEST(Classify, PairsAndFullHouses) {
    THand h = Classified("AS AC 5D 5H 9S");
    EXPECT_EQ(h.Combo, C_TwoPairs);
    EXPECT_EQ(h.Rank1, 14);
    EXPECT_EQ(h.Rank2, 5);
    h = Classified("KS KC KD AH AS");
    EXPECT_EQ(h.Combo, C_FullHouse);
    EXPECT_EQ(h.Rank1, 13);
    EXPECT_EQ(h.Rank2, 14);
    h = Classified("3S 3C 7D 7H 7S");
    EXPECT_EQ(h.Combo, C_FullHouse);
    EXPECT_EQ(h.Rank1, 7);
    EXPECT_EQ(h.Rank2, 3);
    EXPECT_EQ(h.FoundBits, 4 + 128);
}

TEST(Classify, FiveCardSlotOrderIsKept) {
    THand h = MakeHand("9S 2C KD 2H 5S");
    const THand before = h;
    EvaluateHand(h, true);
    for (int i = 1; i <= 5; ++i) EXPECT_TRUE(SameCard(h.Cards[i], before.Cards[i]));
    EXPECT_EQ(h.Sorted, 0);
}

TEST(Classify, SixCardsBestFive) {
    THand h = Classified("2S 5C 6D 7H 8S 9C");
    EXPECT_EQ(h.Combo, C_Straight);
    EXPECT_EQ(h.Rank1, 9);
    EXPECT_EQ(h.DropIndex, 1);
    EXPECT_EQ(h.Sorted, 1);
    for (int i = 1; i < 6; ++i) EXPECT_LE(h.Cards[i].Value, h.Cards[i + 1].Value);
    // Two pairs and two singles: the higher single stays as kicker.
    h = Classified("9S 9C 4D 4H 2S KC");
    EXPECT_EQ(h.Combo, C_TwoPairs);
    EXPECT_EQ(h.Cards[h.DropIndex].Value, 2);
    // Nothing at all: fixed drop slot and no bits.
    h = Classified("2S 4C 6D 8H XS QC", false);
    EXPECT_EQ(h.Combo, C_Empty);
    EXPECT_EQ(h.DropIndex, 1);
    EXPECT_EQ(h.FoundBits, 0);
}

TEST(Classify, FewerThanFiveCardsOnlyGroups) {
    THand h = MakeHand("7S 7C 7D 2H");
    EvaluateHand(h, true);
    EXPECT_EQ(h.Combo, C_Trips);
    EXPECT_EQ(h.Rank1, 7);
    h = MakeHand("AS KS QS JS");
    EvaluateHand(h, true);
    EXPECT_EQ(h.Combo, C_AK);
}

TEST(Classify, SortsAndPacking) {
    THand h = MakeHand("AS 9C AD 2H KS QC");
    SortAceHigh(h);
    EXPECT_EQ(h.Cards[1].Value, 2);
    EXPECT_EQ(h.Cards[6].Value, 1);
    EXPECT_EQ(h.Cards[5].Value, 1);
    SortByValue(h);
    EXPECT_EQ(h.Cards[1].Value, 1);
    EXPECT_EQ(h.Cards[6].Value, 13);
    EXPECT_EQ(h.Sorted, 1);
    h = MakeHand("AS 9C AD 2H KS");
    h.Cards[2].Value = 0;
    h.Cards[4].Value = 0;
    PackCards(h);
    EXPECT_EQ(h.Cards[1].Value, 0);
    EXPECT_EQ(h.Cards[2].Value, 0);
    EXPECT_EQ(h.Cards[3].Value, 1);
    EXPECT_EQ(h.Cards[4].Suit, 3);
    EXPECT_EQ(h.Cards[5].Value, 13);
}

TEST(Classify, StraightOnlyClassifier) {
    THand h = MakeHand("2H 7H 9H JH KH");
    EXPECT_EQ(EvaluateStraight(h, true), C_Empty); // a flush is not a straight
    h = MakeHand("5S 6C 7D 8H 9S");
    EXPECT_EQ(EvaluateStraight(h, true), C_Straight);
    h = MakeHand("5S 6C 7D 8H KS 4C");
    EXPECT_EQ(EvaluateStraight(h, true), C_Straight);
    EXPECT_EQ(h.Rank1, 8);
    h = MakeHand("9S 9C 9D KH KS");
    EXPECT_EQ(EvaluateStraight(h, true), C_Empty);
}

TEST(ComboTables, NamesIndexesOrdinals) {
    EXPECT_EQ(ComboName(1024), "РОЯЛЬ     ");
    EXPECT_EQ(ComboName(4), "Пара      ");
    EXPECT_EQ(ComboIndex(1), 1);
    EXPECT_EQ(ComboOrdinal(1), 0);
    EXPECT_EQ(ComboIndex(1024), 11);
    EXPECT_EQ(ComboOrdinal(1024), 10);
    EXPECT_EQ(ComboIndex(3), 0);
    EXPECT_EQ(ComboOrdinal(3), 0);
    std::string t = "keep";
    ComboName(3, t);
    EXPECT_EQ(t, "keep");
}

// Every five-card hand against the conventional evaluator and against the step-by-step
// classifier (which also fixes the found bits and the slot order).
TEST(ClassifyExhaustive, AllFiveCardHands) {
    std::map<uint16_t, int> counts[2];
    int akHands = 0;
    for (int ak = 0; ak <= 1; ++ak) {
        std::array<TCardRec, 5> c{};
        int idx[5];
        for (idx[0] = 1; idx[0] <= 48; ++idx[0])
            for (idx[1] = idx[0] + 1; idx[1] <= 49; ++idx[1])
                for (idx[2] = idx[1] + 1; idx[2] <= 50; ++idx[2])
                    for (idx[3] = idx[2] + 1; idx[3] <= 51; ++idx[3])
                        for (idx[4] = idx[3] + 1; idx[4] <= 52; ++idx[4]) {
                            THand h;
                            for (int i = 0; i < 5; ++i) {
                                // Shuffle the slot order so sorting is exercised.
                                const int k = idx[(i * 3 + idx[0]) % 5];
                                c[i].Suit = static_cast<uint8_t>((k - 1) / 13 + 1);
                                c[i].Value = (k - 1) % 13 + 1;
                                h.Cards[i + 1] = c[i];
                            }
                            THand step = h;
                            const uint16_t f = EvaluateHand(h, ak);
                            detail::EvaluateFiveStepwise(step, ak, false);
                            const auto b = BruteClassify(c, ak);
                            ++counts[ak][f];
                            if (f != b.Combo || h.Rank1 != b.Rank1 || h.Rank2 != b.Rank2 ||
                                h.FoundBits != step.FoundBits || h.Combo != step.Combo ||
                                h.Rank1 != step.Rank1 || h.Rank2 != step.Rank2) {
                                ADD_FAILURE() << "hand " << idx[0] << " " << idx[1] << " " << idx[2]
                                              << " " << idx[3] << " " << idx[4];
                                return;
                            }
                            bool a = false, k = false;
                            for (auto& x : c) {
                                a = a || x.Value == 1;
                                k = k || x.Value == 13;
                            }
                            // Without the flag these hands are nothing; with it, ace + king.
                            if (!ak && a && k && f == C_Empty) ++akHands;
                            if (f == C_AK) {
                                EXPECT_TRUE(ak && a && k);
                            }
                        }
    }
    for (int ak = 0; ak <= 1; ++ak) {
        EXPECT_EQ(counts[ak][C_Royal], 4);
        EXPECT_EQ(counts[ak][C_StraightFlush], 36);
        EXPECT_EQ(counts[ak][C_Quads], 624);
        EXPECT_EQ(counts[ak][C_FullHouse], 3744);
        EXPECT_EQ(counts[ak][C_Flush], 5108);
        EXPECT_EQ(counts[ak][C_Straight], 10200);
        EXPECT_EQ(counts[ak][C_Trips], 54912);
        EXPECT_EQ(counts[ak][C_TwoPairs], 123552);
        EXPECT_EQ(counts[ak][C_Pair], 1098240);
    }
    // Ace and king with three other distinct values, no straight, not all one suit:
    // 4 * 4 * (C(11,3) - 1) * 64 - the suited ones.
    EXPECT_EQ(counts[1][C_AK], akHands);
    EXPECT_EQ(counts[1][C_AK], (165 - 1) * (1024 - 4));
    EXPECT_EQ(counts[0][C_AK], 0);
    EXPECT_EQ(counts[0][C_Empty], counts[1][C_Empty] + counts[1][C_AK]);
}

TEST(ClassifySix, SampledSixCardHands) {
    std::mt19937 rng(2024);
    for (int n = 0; n < 200000; ++n) {
        int pick[52];
        for (int i = 0; i < 52; ++i) pick[i] = i + 1;
        for (int i = 0; i < 6; ++i) std::swap(pick[i], pick[i + rng() % (52 - i)]);
        THand h;
        h.Count = 6;
        for (int i = 0; i < 6; ++i) {
            h.Cards[i + 1].Suit = static_cast<uint8_t>((pick[i] - 1) / 13 + 1);
            h.Cards[i + 1].Value = (pick[i] - 1) % 13 + 1;
            h.Cards[i + 1].Mark = i == 5 ? 1 : 0;
        }
        ASSERT_NO_FATAL_FAILURE(test::CheckSix(h, n % 3 != 0));
    }
}

// Every pattern of equal and unequal values among six cards (values 1..6 in every order, some
// cards repeated): the records, marks included, end where the plain exchange sort puts them.
TEST(ClassifySix, EveryTiePatternMovesWholeRecords) {
    for (int code = 0; code < 46656; ++code) {
        THand h;
        h.Count = 6;
        int c = code;
        for (int i = 1; i <= 6; ++i, c /= 6) {
            h.Cards[i].Value = c % 6 + 1;
            h.Cards[i].Suit = static_cast<uint8_t>((code + i) % 4 + 1);
            h.Cards[i].Mark = 100 + i;
        }
        THand sorted = h;
        SortByValue(sorted);
        EvaluateHand(h, true);
        for (int i = 1; i <= 6; ++i) {
            ASSERT_EQ(h.Cards[i].Mark, sorted.Cards[i].Mark) << "pattern " << code << " slot " << i;
            ASSERT_TRUE(SameCard(h.Cards[i], sorted.Cards[i])) << "pattern " << code;
        }
        ASSERT_EQ(h.Sorted, 1);
    }
}

// The plain route for six cards: the exchange sort, then every five-card subset through the
// step-by-step classifier, the first strictly better one kept.
THand PlainSix(THand h, bool ak, bool straightsOnly) {
    SortByValue(h);
    uint16_t combo = C_Empty, bits = 0;
    int r1 = 0, r2 = 0, drop = 1;
    uint32_t bestKey = 0;
    for (int j = 1; j <= 6; ++j) {
        THand five;
        for (int i = 1, k = 1; i <= 6; ++i)
            if (i != j) five.Cards[k++] = h.Cards[i];
        detail::EvaluateFiveStepwise(five, ak, straightsOnly);
        int x[5];
        for (int i = 0; i < 5; ++i) x[i] = five.Cards[i + 1].Value;
        const uint32_t key = detail::CompareKey(five.Combo, five.Rank1, five.Rank2, x);
        if (five.Combo > combo || (five.Combo == combo && five.Combo != C_Empty && key > bestKey)) {
            combo = five.Combo;
            bits = five.FoundBits;
            r1 = five.Rank1;
            r2 = five.Rank2;
            drop = j;
            bestKey = key;
        }
    }
    h.Combo = combo;
    h.FoundBits = bits;
    h.Rank1 = static_cast<uint8_t>(r1 == 1 ? 14 : r1);
    h.Rank2 = static_cast<uint8_t>(r2 == 1 ? 14 : r2);
    h.DropIndex = static_cast<uint8_t>(drop);
    return h;
}

// Values and suits that no deck holds (set by callers outside the engine) must not be read as
// cards of the deck: a value of 259 is not a three, a suit of 255 counts toward no flush.
TEST(ClassifySix, CardsOutsideTheDeckTakeThePlainRoute) {
    const int oddValues[] = {-1, 0, 14, 15, 16, 259, 1 << 20, INT32_MIN};
    const int oddSuits[] = {0, 5, 8, 255};
    std::mt19937 rng(7);
    for (int n = 0; n < 3000; ++n) {
        int pick[52];
        for (int i = 0; i < 52; ++i) pick[i] = i;
        for (int i = 0; i < 6; ++i) std::swap(pick[i], pick[i + rng() % (52 - i)]);
        THand h;
        h.Count = 6;
        for (int i = 0; i < 6; ++i) {
            h.Cards[i + 1].Suit = static_cast<uint8_t>(pick[i] / 13 + 1);
            h.Cards[i + 1].Value = pick[i] % 13 + 1;
            h.Cards[i + 1].Mark = i;
        }
        const int slot = n % 6 + 1;
        if (n % 3 == 0)
            h.Cards[slot].Suit = static_cast<uint8_t>(oddSuits[n / 3 % 4]);
        else
            h.Cards[slot].Value = oddValues[n % 8];
        for (int mode = 0; mode < 3; ++mode) {
            const bool ak = mode != 1, straights = mode == 2;
            THand got = h;
            if (straights)
                EvaluateStraight(got, ak);
            else
                EvaluateHand(got, ak);
            const THand want = PlainSix(h, ak, straights);
            for (int i = 1; i <= 6; ++i) {
                ASSERT_TRUE(SameCard(got.Cards[i], want.Cards[i])) << "hand " << n << " slot " << i;
                ASSERT_EQ(got.Cards[i].Mark, want.Cards[i].Mark) << "hand " << n;
            }
            ASSERT_EQ(got.Combo, want.Combo) << "hand " << n << " mode " << mode;
            ASSERT_EQ(got.FoundBits, want.FoundBits) << "hand " << n << " mode " << mode;
            ASSERT_EQ(got.Rank1, want.Rank1) << "hand " << n << " mode " << mode;
            ASSERT_EQ(got.Rank2, want.Rank2) << "hand " << n << " mode " << mode;
            ASSERT_EQ(got.DropIndex, want.DropIndex) << "hand " << n << " mode " << mode;
            ASSERT_EQ(got.Sorted, 1);
        }
    }
}

} // namespace
} // namespace kvarlen
