#include "fake_host.h"
#include "simulation/strategy_rules.h"

#include <gtest/gtest.h>

namespace kvarlen {
namespace {

using test::MakeHand;

TCardRec Card(const char* text) {
    return ParseCard(text);
}

TEST(HandTests, RankGapPutsTheAceAtBothEnds) {
    EXPECT_EQ(RankGap(13, 1), 1);
    EXPECT_EQ(RankGap(1, 2), 1);
    EXPECT_EQ(RankGap(1, 1), 0);
    EXPECT_EQ(RankGap(9, 5), -4);
}

TEST(HandTests, FourFlushNeedsExactlyFourOfASuit) {
    EXPECT_EQ(FourFlushSuit(MakeHand("2H 5H 9H KH 3S")), 4);
    EXPECT_EQ(FourFlushSuit(MakeHand("2H 5H 9H KH 3H")), 0);
    EXPECT_EQ(FourFlushSuit(MakeHand("2H 5H 9C KH 3S")), 0);
}

TEST(HandTests, CountHigherThanNeverCountsTheAce) {
    const THand h = MakeHand("AH KS QC JC 9D");
    EXPECT_TRUE(CountHigherThan(4, h, 8));
    EXPECT_FALSE(CountHigherThan(4, h, 9));
    EXPECT_TRUE(HasJackOrQueen(h));
    EXPECT_FALSE(HasJackOrQueen(MakeHand("AH KS 2C 3C 9D")));
}

TEST(HandTests, TwoHoleStraights) {
    EXPECT_TRUE(ThereIs2HoleStraight(MakeHand("5S 6C 7D 8H KS")));
    EXPECT_FALSE(ThereIs2HoleStraight(MakeHand("AS 2C 3D 4H 9S")));
    EXPECT_TRUE(ThereIs2HoleStraight(MakeHand("3S 5C 6D 7H 9S")));
    EXPECT_FALSE(ThereIs2HoleStraight(MakeHand("5S 6C 7D 8H 9S")));
    EXPECT_FALSE(ThereIs2HoleStraight(MakeHand("JS QC KD AH 5S")));
}

TEST(HandTests, StraightDrawCompletingRanks) {
    TStraightDraw d = StraightDraw(MakeHand("5S 6C 7D 9H KS"));
    EXPECT_TRUE(d.Found);
    EXPECT_EQ(d.CompletingRank, 8);
    d = StraightDraw(MakeHand("AS 2C 3D 4H 9S"));
    EXPECT_TRUE(d.Found);
    EXPECT_EQ(d.CompletingRank, 5);
    d = StraightDraw(MakeHand("JS QC KD AH 4S"));
    EXPECT_TRUE(d.Found);
    EXPECT_EQ(d.CompletingRank, 10);
    EXPECT_FALSE(StraightDraw(MakeHand("5S 6C 7D 8H 9S")).Found);
    EXPECT_FALSE(StraightDraw(MakeHand("2S 6C 9D JH KS")).Found);
}

TEST(HandTests, StraightRankWithCard) {
    const TRules rules;
    EXPECT_EQ(StraightRankWithCard(MakeHand("5S 6C 7D 9H KS"), 8, rules), 9);
    EXPECT_EQ(StraightRankWithCard(MakeHand("JS QC KD AH 4S"), 10, rules), 14);
    EXPECT_EQ(StraightRankWithCard(MakeHand("5S 6C 7D 9H KS"), 2, rules), -1);
}

TEST(BuyRules, TripsOfTheOpenValueGoOnToLaterRules) {
    const TRules rules;
    const THand trips = MakeHand("7S 7C 7D 8H 9S");
    EXPECT_EQ(BuyRulesSolo(trips, Card("8D"), 0, rules), kRule1);
    EXPECT_EQ(BuyRulesSolo(trips, Card("7H"), 0, rules), 0);
    // The ace of the open card counts 1, aces in Rank1 count 14.
    EXPECT_EQ(BuyRulesSolo(MakeHand("AS AC AD 8H 9S"), Card("AH"), 0, rules), kRule1);
}

TEST(BuyRules, PairOfTwosInATeam) {
    const TRules rules;
    const THand twos = MakeHand("2S 2C 9D JH KS");
    EXPECT_EQ(BuyRulesTeam(twos, Card("7H"), 0, rules), kRule3);
    EXPECT_NE(BuyRulesTeam(twos, Card("7H"), 1, rules), kRule3);
    EXPECT_NE(BuyRulesSolo(twos, Card("7H"), 0, rules), kRule3);
    // rule2 is tried first.
    EXPECT_EQ(BuyRulesTeam(MakeHand("2S 2H 9H JH KH"), Card("7C"), 0, rules), kRule2);
}

TEST(BuyRules, StraightDrawRules) {
    const TRules rules;
    // Pair below the open card with a straight draw: rule4.
    EXPECT_EQ(BuyRulesSolo(MakeHand("5S 5C 6D 7H 8S"), Card("9H"), 0, rules), kRule4);
    // Pair between the open card and the jack: rule5.
    EXPECT_EQ(BuyRulesSolo(MakeHand("5S 6C 7D 8H 8S"), Card("3H"), 0, rules), kRule5);
    // Nothing against an open king, a draw to a straight topped by a jack or more: rule6.
    EXPECT_EQ(BuyRulesSolo(MakeHand("7S 8C 9D JH 2S"), Card("KH"), 0, rules), kRule6);
    // Four in a row leaves the completing rank at 0: no rule6, but rule8.
    EXPECT_EQ(BuyRulesSolo(MakeHand("7S 8C 9D XH 2S"), Card("KH"), 0, rules), kRule8);
    // Nothing with four cards above a middle open card: rule7.
    EXPECT_EQ(BuyRulesSolo(MakeHand("8S 9C XD QH 2S"), Card("5H"), 0, rules), kRule7);
    // No draw and nothing else: no purchase.
    EXPECT_EQ(BuyRulesSolo(MakeHand("2S 6C 9D JH KS"), Card("5H"), 0, rules), 0);
}

TEST(RaiseRules, TwoMatches) {
    const THand nothing = MakeHand("2S 6C 9D JH 4S");
    for (int team = 1; team <= 3; ++team) {
        EXPECT_TRUE(RaiseRuleFor(team, nothing, Card("7H"), 2, true));
        EXPECT_FALSE(RaiseRuleFor(team, nothing, Card("7H"), 2, false));
        EXPECT_TRUE(RaiseRuleFor(team, MakeHand("2S 2C 9D JH 4S"), Card("7H"), 2, false));
    }
}

TEST(RaiseRules, OneMatchOrAnOpenKingOrAce) {
    const THand akJack = MakeHand("AS KC 9D JH 4S");
    const THand akLow = MakeHand("AS KC 9D 3H 4S");
    EXPECT_TRUE(RaiseRuleOne(akJack, Card("KH"), 0, true));
    EXPECT_FALSE(RaiseRuleOne(akLow, Card("KH"), 0, true));
    EXPECT_FALSE(RaiseRuleOne(akLow, Card("7H"), 1, true));
    EXPECT_TRUE(RaiseRuleOne(akLow, Card("7H"), 0, true));
}

TEST(RaiseRules, LastTestByTeamSize) {
    const THand ak = MakeHand("AS KC 9D 3H 4S");
    EXPECT_TRUE(RaiseRuleOne(ak, Card("7H"), 0, true));
    EXPECT_FALSE(RaiseRuleTwo(ak, Card("7H"), 0, true));
    EXPECT_FALSE(RaiseRuleThree(MakeHand("2S 2C 9D JH 4S"), Card("7H"), 0, true));
    EXPECT_TRUE(RaiseRuleThree(MakeHand("AS AC 9D JH 4S"), Card("7H"), 0, true));
    EXPECT_TRUE(RaiseRuleThree(MakeHand("3S 3C 9D JH 4S"), Card("7H"), 0, true));
}

TEST(InsuranceRule, Cases) {
    TRules rules;
    EXPECT_EQ(InsuranceRule(C_Straight, 2, rules), 0);
    EXPECT_EQ(InsuranceRule(C_Flush, 2, rules), PayOff(C_Flush));
    EXPECT_EQ(InsuranceRule(C_Straight, 3, rules), PayOff(C_Straight));
    EXPECT_EQ(InsuranceRule(C_Royal, 0, rules), 0);
    EXPECT_EQ(InsuranceRule(C_TwoPairs, 3, rules), 0);
    rules.Insurance = false;
    EXPECT_EQ(InsuranceRule(C_Flush, 2, rules), 0);
}

TEST(DealerGame, DiscardSlot) {
    TRules rules;
    rules.DealerGameBuy = 1;
    EXPECT_EQ(DealerDiscardSlot(MakeHand("AS 9C 4D KH 6S"), rules), 1);
    EXPECT_EQ(DealerDiscardSlot(MakeHand("9S 4C AD KH 6S"), rules), 3);
    EXPECT_EQ(DealerDiscardSlot(MakeHand("9S 4C 2D KH 6S"), rules), 4);
    EXPECT_EQ(DealerDiscardSlot(MakeHand("KS 4C 2D 9H 6S"), rules), 1);
    rules.DealerGameBuy = 2;
    EXPECT_EQ(DealerDiscardSlot(MakeHand("9S 4C 2D KH 6S"), rules), 3);
    EXPECT_EQ(DealerDiscardSlot(MakeHand("2S 4C 3D KH 6S"), rules), 1);
}

TEST(DealerGame, DeadOutsSkipTheDiscardAndCountSixthCards) {
    TBoxes boxes;
    boxes[0].Hand = MakeHand("9S 4C 2D KH 6S");
    boxes[1].Hand = MakeHand("9C 9D 4H 5S 5C");
    boxes[2].Hand = MakeHand("KS 3C 3D 7H 8C 2C");
    // Box 1: two nines and a four; box 2: a king and a two.
    EXPECT_EQ(DeadOuts(boxes, 2, 4), 4);
    EXPECT_EQ(DeadOuts(boxes, 2, 1), 3);
    EXPECT_EQ(DeadOuts(boxes, 1, 4), 3);
}

TEST(DealerGame, Rule) {
    EXPECT_TRUE(DealerGameRule(C_Trips, 1));
    EXPECT_FALSE(DealerGameRule(C_Trips, 2));
    EXPECT_TRUE(DealerGameRule(C_Straight, 3));
    EXPECT_FALSE(DealerGameRule(C_Flush, 6));
    EXPECT_TRUE(DealerGameRule(C_FullHouse, 7));
    EXPECT_TRUE(DealerGameRule(C_Quads, 50));
    EXPECT_TRUE(DealerGameRule(C_Royal, 50));
    EXPECT_FALSE(DealerGameRule(C_TwoPairs, 0));
}

} // namespace
} // namespace kvarlen
