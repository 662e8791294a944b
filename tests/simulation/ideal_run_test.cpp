#include "fake_host.h"
#include "simulation/deal_stream.h"
#include "simulation/simulation_run.h"

#include <gtest/gtest.h>

namespace kvarlen {
namespace {

using test::FakeHost;
using test::MakeHand;
using test::QuietSettings;

struct IdealTable {
    FakeHost host;
    TDeck deck;
    TGenerator gen;
    TBoxes boxes;
    explicit IdealTable(int team, int deals, uint32_t seed = 2024) {
        host.Settings = QuietSettings(team, deals);
        gen.SeedMyRandom(seed);
    }
    TRunOutcome Play() { return IDEAL_SixCardSimulation(host, deck, gen, boxes); }
};

int Unseen(const TDeck& d) {
    return d.UnseenCount();
}

bool Known(const TDeck& view, const char* card) {
    const TCardRec c = ParseCard(card);
    return !view.IsUnseen(c.Suit, c.Value);
}

// Boxes as dealt: the dealer's open card first.
TBoxes Dealt(const char* dealer, std::initializer_list<const char*> team) {
    TBoxes boxes;
    boxes[0].Hand = MakeHand(dealer);
    int b = 1;
    const int open = boxes[0].Hand.Cards[1].Value;
    for (const char* h : team) {
        TBox& box = boxes[static_cast<size_t>(b++)];
        box.Hand = MakeHand(h);
        for (int i = 1; i <= box.Hand.Count; ++i) box.OwnMatches += box.Hand.Cards[i].Value == open;
    }
    return boxes;
}

TEST(IdealViews, OneBoxInTurnAndFullExchangeSeeTheSame) {
    TBoxes boxes = Dealt("7H 2C 9D JD 4S", {"AS KC 8D XH QS"});
    const TCardRec open = boxes[0].Hand.Cards[1];
    BuildDeckView(boxes, 1, 1, TInfoMode::InTurn, open);
    const TDeck inTurn = boxes[1].DeckView;
    BuildDeckView(boxes, 1, 1, TInfoMode::FullExchange, open);
    EXPECT_EQ(Unseen(inTurn), 47);
    for (int i = 1; i <= 52; ++i) EXPECT_EQ(inTurn[i].Value, boxes[1].DeckView[i].Value);
    // The dealer's cards stay unseen.
    EXPECT_FALSE(Known(inTurn, "7H"));
    EXPECT_FALSE(Known(inTurn, "JD"));
    EXPECT_TRUE(Known(inTurn, "QS"));
}

TEST(IdealViews, InTurnSeesTheEarlierBoxesFinalCards) {
    TBoxes boxes = Dealt("7H 2C 9D JD 4S", {"AS KC 8D XH QS", "2S 3S 5S 6S 9C"});
    boxes[1].Hand = MakeHand("AS KC 8D XH QS JS"); // box 1 bought the jack of spades
    const TCardRec open = boxes[0].Hand.Cards[1];
    BuildDeckView(boxes, 2, 1, TInfoMode::InTurn, open);
    EXPECT_FALSE(Known(boxes[1].DeckView, "2S"));
    BuildDeckView(boxes, 2, 2, TInfoMode::InTurn, open);
    EXPECT_EQ(Unseen(boxes[2].DeckView), 52 - 6 - 5);
    EXPECT_TRUE(Known(boxes[2].DeckView, "JS"));
    BuildDeckView(boxes, 2, 1, TInfoMode::FullExchange, open);
    EXPECT_TRUE(Known(boxes[1].DeckView, "2S"));
}

TEST(IdealViews, BeaconTakesTheOthersMatchesFromTheHighestSuits) {
    // Box 2 holds two sevens; box 1 none: two sevens leave box 1's view, hearts first.
    TBoxes boxes = Dealt("7S 2C 9D JD 4S", {"AS KC 8D XH QS", "7H 7D 5S 6S 9C"});
    const TCardRec open = boxes[0].Hand.Cards[1];
    BuildDeckView(boxes, 2, 1, TInfoMode::Beacon, open);
    const TDeck& v = boxes[1].DeckView;
    EXPECT_EQ(boxes[1].KnownMatches, 2);
    EXPECT_EQ(boxes[2].KnownMatches, 2);
    EXPECT_TRUE(Known(v, "7H"));
    EXPECT_TRUE(Known(v, "7D"));
    EXPECT_FALSE(Known(v, "7C"));
    EXPECT_FALSE(Known(v, "7S"));
    EXPECT_EQ(Unseen(v), 52 - 5 - 2);
}

TEST(IdealViews, BeaconNeverTakesOutTheDealersOpenCard) {
    // The open card is the seven of hearts: the removal skips it and takes the next suits.
    TBoxes boxes = Dealt("7H 2C 9D JD 4S", {"AS KC 8D XH QS", "7S 7C 5S 6S 9C"});
    const TCardRec open = boxes[0].Hand.Cards[1];
    BuildDeckView(boxes, 2, 1, TInfoMode::Beacon, open);
    const TDeck& v = boxes[1].DeckView;
    EXPECT_FALSE(Known(v, "7H"));
    EXPECT_TRUE(Known(v, "7D"));
    EXPECT_TRUE(Known(v, "7C"));
    EXPECT_FALSE(Known(v, "7S"));
    // Box 2 knows its own sevens and nothing of box 1, which holds none.
    BuildDeckView(boxes, 2, 2, TInfoMode::Beacon, open);
    EXPECT_EQ(Unseen(boxes[2].DeckView), 47);
    EXPECT_FALSE(Known(boxes[2].DeckView, "7H"));
}

TEST(IdealRun, DecisionsNeedStrictlyBetterValues) {
    IdealTable t(1, 60);
    t.host.Live.Trace = true;
    t.host.RecordTrace = false;
    int buys = 0, checked = 0;
    t.host.OnWait = [&] {
        const TBox& b = t.boxes[1];
        EXPECT_EQ(b.BuyDecision != 0, b.MOBuy > b.MORaiseDealt && b.MOBuy > -1);
        EXPECT_EQ(b.Raise, b.MOCurrent > -1);
        EXPECT_EQ(b.Hand.Count == 6, b.BuyDecision != 0);
        buys += b.BuyDecision != 0;
        ++checked;
    };
    const TRunOutcome out = t.Play();
    EXPECT_EQ(checked, 60);
    EXPECT_GT(buys, 0);
    // The ideal report has the three timing lines.
    EXPECT_EQ(out.Report[7].rfind("(t3:t4) ", 0), 0u);
    EXPECT_EQ(out.Report[8].rfind("GlobalT1 ", 0), 0u);
    EXPECT_EQ(out.Report[9].rfind("Средний выигрыша за одну раздачу = ", 0), 0u);
}

TEST(IdealRun, FilterPlaysOnlyTheChosenDealsAndCountsEveryDealt) {
    IdealTable t(1, 25);
    t.host.Live.Filter = 2; // "пары"
    t.host.Live.Statistics = true;
    t.host.Live.Trace = true;
    t.host.RecordTrace = false;
    int notPairs = 0;
    t.host.OnWait = [&] {
        THand dealt;
        int n = 0;
        for (int i = 1; i <= t.boxes[1].Hand.Count; ++i)
            if (t.boxes[1].Hand.Cards[i].Mark == kMarkDealt)
                dealt.Cards[++n] = t.boxes[1].Hand.Cards[i];
        dealt.Count = 5;
        notPairs += EvaluateHand(dealt, true) != C_Pair;
    };
    const TRunOutcome out = t.Play();
    EXPECT_EQ(out.Result.Deals, 25);
    EXPECT_EQ(notPairs, 0);
    int64_t dealt = 0;
    for (int64_t c : out.Result.Stats.DealtByClass) dealt += c;
    EXPECT_EQ(dealt, out.Result.Passes);
    EXPECT_GT(out.Result.Passes, 25);
    EXPECT_EQ(out.Result.Stats.DealtByClass[3], 25);
    int64_t final = 0;
    for (int64_t c : out.Result.Stats.FinalByClass) final += c;
    EXPECT_EQ(final, 25);
}

TEST(IdealRun, AnImpossibleFilterCanBeStopped) {
    IdealTable t(1, 5);
    t.host.Live.Filter = 10; // royal flushes only
    int64_t passes = 0;
    t.host.Stop = [&] { return ++passes > 30000; };
    const TRunOutcome out = t.Play();
    EXPECT_TRUE(out.Result.Stopped);
    EXPECT_EQ(out.Result.Passes, 30000);
    EXPECT_GE(std::count(t.host.Calls.begin(), t.host.Calls.end(), "Idle"), 2);
    EXPECT_EQ(
        out.Report[6].rfind("Было сыграно " + std::to_string(out.Result.Deals) + " раздач", 0), 0u);
    EXPECT_EQ(t.host.Caption, "ready");
}

TEST(IdealRun, ThreeBoxesFullExchangeAndTheSameSeedRepeats) {
    auto play = [] {
        IdealTable t(3, 30, 99);
        t.host.Live.Mode = TInfoMode::FullExchange;
        t.host.Live.Statistics = true;
        return t.Play().Result;
    };
    const TRunResult a = play(), b = play();
    EXPECT_EQ(a.Deals, 30);
    EXPECT_EQ(a.Net, b.Net);
    EXPECT_EQ(a.SumSquares, b.SumSquares);
    EXPECT_EQ(a.Stats.PassByClass, b.Stats.PassByClass);
}

TEST(IdealRun, ProgressCountsPlayedDealsOnce) {
    IdealTable t(1, 10000);
    t.host.Live.Filter = 0;
    t.host.Settings.Rules.Buy6 = false; // raise values only: quick
    t.Play();
    EXPECT_EQ(std::count(t.host.Calls.begin(), t.host.Calls.end(), "Progress 10000 1 x 10000"), 1);
}

} // namespace
} // namespace kvarlen
