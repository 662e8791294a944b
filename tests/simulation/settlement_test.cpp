#include "fake_host.h"
#include "simulation/settlement.h"

#include <gtest/gtest.h>

namespace kvarlen {
namespace {

using test::MakeHand;

// A deal after the decisions: ante paid, raise and insurance already taken off.
struct Table {
    TBoxes boxes;
    std::vector<std::string> log;

    Table(const char* dealer, std::initializer_list<const char*> team) {
        ResetBoxForDeal(boxes[0]);
        boxes[0].Hand = MakeHand(dealer);
        int b = 1;
        for (const char* h : team) {
            ResetBoxForDeal(boxes[static_cast<size_t>(b)]);
            boxes[static_cast<size_t>(b)].Hand = MakeHand(h);
            ++b;
        }
    }
    TBox& Box(int b) { return boxes[static_cast<size_t>(b)]; }
    void Raise(int b, int32_t insurance = 0) {
        Box(b).Raise = true;
        Box(b).DealResult -= 2;
        Box(b).InsuranceSum = insurance;
        Box(b).DealResult -= insurance;
    }
};

TEST(Settlement, PassedBoxLosesTheAnte) {
    Table t("2S 5C 9D JH 3S", {"4S 7C 8D XH QS"});
    SettleDeal(t.boxes, 1, false, &t.log);
    EXPECT_DOUBLE_EQ(t.Box(1).DealResult, -1);
    EXPECT_EQ(t.Box(1).Outcome, kOutcomeNotSettled);
}

TEST(Settlement, DealerWithoutGame) {
    Table t("2S 5C 9D JH 3S", {"AS KC 8D XH QS", "4S 7C 8D XC 6S", "7H 7D 7S 8C 8H"});
    t.Raise(1);
    t.Raise(3, 5);
    SettleDeal(t.boxes, 3, false, &t.log);
    EXPECT_DOUBLE_EQ(t.Box(1).DealResult, 1);
    EXPECT_EQ(t.Box(1).Outcome, kOutcomeNoGame);
    EXPECT_DOUBLE_EQ(t.Box(2).DealResult, -1);
    EXPECT_DOUBLE_EQ(t.Box(3).DealResult, 1 + 5); // insurance paid even money
    ASSERT_EQ(t.log.size(), 1u);
    EXPECT_EQ(t.log[0], "Страхование на сумму 5 сработало");
}

TEST(Settlement, WinLossAndPushAgainstAQualifyingDealer) {
    Table t("9S 9C 2D 5H 7S", {"XS XC 3D 4H 6S", "8S 8C 3S 4C 6D", "9H 9D 2C 5D 7C"});
    t.Raise(1); // pair of tens beats the nines: 1 + 2 x 1
    t.Raise(2); // pair of eights loses
    t.Raise(3); // the same nines and kickers: push
    SettleDeal(t.boxes, 3, false, &t.log);
    EXPECT_DOUBLE_EQ(t.Box(1).DealResult, 1 + 2 * PayOff(C_Pair));
    EXPECT_EQ(t.Box(1).Outcome, kOutcomeWon);
    EXPECT_DOUBLE_EQ(t.Box(2).DealResult, -3);
    EXPECT_EQ(t.Box(2).Outcome, kOutcomeLost);
    EXPECT_DOUBLE_EQ(t.Box(3).DealResult, 0);
    EXPECT_EQ(t.Box(3).Outcome, kOutcomePush);
    EXPECT_TRUE(t.log.empty());
}

TEST(Settlement, InsuranceIsLostAgainstAQualifyingDealer) {
    Table t("9S 9C 2D 5H 7S", {"2H 3H 8H JH KH"});
    t.Raise(1, 5);
    SettleDeal(t.boxes, 1, false, &t.log);
    EXPECT_DOUBLE_EQ(t.Box(1).DealResult, 1 + 2 * PayOff(C_Flush) - 5);
    ASSERT_EQ(t.log.size(), 1u);
    EXPECT_EQ(t.log[0], "Страхование на сумму 5 НЕ сработало");
}

TEST(Settlement, BoxesThatAskedForTheDealersGameWait) {
    Table t("2S 5C 9D JH 3S", {"7H 7D 7S 8C 8H", "AS KC 8D XH QS"});
    t.Raise(1);
    t.Raise(2);
    t.Box(1).WantsDealerGame = true;
    SettleDeal(t.boxes, 2, true, &t.log);
    EXPECT_DOUBLE_EQ(t.Box(1).DealResult, -3);
    EXPECT_EQ(t.Box(1).Outcome, kOutcomeNotSettled);
    EXPECT_DOUBLE_EQ(t.Box(2).DealResult, 1);
}

TEST(Settlement, BoughtGameStillWithoutGame) {
    TRules rules;
    rules.PriceBuyDealerGame = 1.5;
    Table t("2S 5C 9D JH 3S", {"7H 7D 7S 8C 8H"});
    t.Raise(1, 7);
    t.Box(1).WantsDealerGame = true;
    SettleBoughtGame(t.boxes, 1, rules, &t.log);
    EXPECT_DOUBLE_EQ(t.Box(1).DealResult, -1 - 1.5 + 7);
    EXPECT_EQ(t.Box(1).Outcome, kOutcomeNoGame);
}

TEST(Settlement, BoughtGameWinWithAndWithoutAntePaid) {
    TRules rules;
    rules.PriceBuyDealerGame = 1;
    for (uint8_t antePaid : {0, 1}) {
        rules.AntePaid = antePaid;
        Table t("2S 2C 9D JH 3S", {"7H 7D 7S 8C 8H"});
        t.Raise(1);
        t.Box(1).WantsDealerGame = true;
        SettleBoughtGame(t.boxes, 1, rules, &t.log);
        EXPECT_DOUBLE_EQ(t.Box(1).DealResult, 2 * PayOff(C_FullHouse) - 1 + antePaid);
        EXPECT_EQ(t.Box(1).Outcome, kOutcomeWon);
    }
}

TEST(Settlement, BoughtGameLossAndPush) {
    TRules rules;
    rules.PriceBuyDealerGame = 2;
    // The bought card made the dealer a straight to the six.
    Table t("2D 3H 4S 5C 6H", {"7H 7D 7S 2C KH", "2S 3S 4D 5S 6S"});
    t.Raise(1);
    t.Raise(2);
    t.Box(1).WantsDealerGame = true;
    t.Box(2).WantsDealerGame = true;
    SettleBoughtGame(t.boxes, 2, rules, &t.log);
    EXPECT_DOUBLE_EQ(t.Box(1).DealResult, -3 - 2);
    EXPECT_EQ(t.Box(1).Outcome, kOutcomeLost);
    EXPECT_DOUBLE_EQ(t.Box(2).DealResult, -2);
    EXPECT_EQ(t.Box(2).Outcome, kOutcomePush);
}

} // namespace
} // namespace kvarlen
