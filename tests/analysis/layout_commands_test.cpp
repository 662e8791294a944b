#include "analysis/layout_commands.h"
#include "dealer_brute_force.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <regex>

namespace kvarlen {
namespace {

class CountingSink : public TDetailSink {
  public:
    void PrepareRaiseGrid() override { ++calls; }
    void SetCell(int, int, const std::string&) override { ++calls; }
    void AddLine(const std::string& line) override {
        ++calls;
        lines.push_back(line);
    }
    int calls = 0;
    std::vector<std::string> lines;
};

bool SameDeck(const TDeck& a, const TDeck& b) {
    for (int i = 1; i <= 52; ++i)
        if (a[i].Value != b[i].Value || a[i].Suit != b[i].Suit) return false;
    return true;
}

TLayout Layout(const std::string& player, const std::string& dealer) {
    TLayout l = InitialLayout();
    const std::vector<TCardRec> cards = test::Cards(player);
    for (int i = 1; i <= 5; ++i) l.Player[i].Card = cards[static_cast<size_t>(i - 1)];
    l.Dealer = ParseCard(dealer);
    return l;
}

TEST(LayoutCommands, InitialLayoutAndReading) {
    TLayout l = InitialLayout();
    EXPECT_EQ(CardNotation(l.Player[1].Card), "AH");
    EXPECT_EQ(CardNotation(l.Player[5].Card), "XD");
    EXPECT_EQ(CardNotation(l.Dealer), "XS");
    EXPECT_FALSE(l.Bought.FaceUp);
    THand h = ReadPlayerHand(l);
    EXPECT_EQ(h.Count, 5);
    EXPECT_EQ(h.Cards[6].Value, 0);
    EXPECT_EQ(h.Combo, 0);
    EXPECT_EQ(ReadPlayerHandSix(l).Count, 6);
    EXPECT_EQ(CardNotation(ReadPlayerHandSix(l).Cards[6]), "AD");
    l.Bought.FaceUp = true;
    EXPECT_EQ(ReadPlayerHand(l).Count, 6);

    // Face-down cards and the dealer's card stay in the deck.
    l.Player[2].FaceUp = false;
    TDeck deck;
    RebuildDeck(deck, l);
    EXPECT_FALSE(deck.IsUnseen(4, 1));
    EXPECT_TRUE(deck.IsUnseen(1, 13));
    EXPECT_FALSE(deck.IsUnseen(3, 1));
    EXPECT_TRUE(deck.IsUnseen(1, 10));
    EXPECT_EQ(deck.UnseenCount(), 47);
}

TEST(LayoutCommands, RaiseOnARebuiltDeck) {
    TLayout l = InitialLayout();
    TDeck deck;
    deck.At(2, 2).Value = 0; // stale: a rebuild brings it back
    const TRules rules;
    const TCommandResult r =
        RunLayoutCommand(LayoutCommand::Raise, l, deck, true, rules, TAnalysisSwitches{}, nullptr);
    ASSERT_TRUE(r.Ok) << r.Status;
    THand h = test::MakeHand("AH KS XC 3C XD");
    const double want =
        MO_Raise(test::DeckWithout(test::Cards("AH KS XC 3C XD")), h, ParseCard("XS"), rules);
    EXPECT_EQ(r.Value, want);
    EXPECT_EQ(r.Line, "MO_Raise= " + FormatFixed(want, 9, 7, ','));
    EXPECT_TRUE(std::regex_match(r.Status, std::regex("Расчет занял [0-9]+ мсек\\."))) << r.Status;
    EXPECT_TRUE(deck.IsUnseen(2, 2));
    EXPECT_EQ(r.Hand.Combo, C_Pair);
    EXPECT_EQ(r.Outcome.S, 163185);
}

TEST(LayoutCommands, CleanDeckKeepsCardsTakenOut) {
    TLayout l = InitialLayout();
    TDeck deck;
    RebuildDeck(deck, l);
    deck.At(3, 13).Value = 0;
    deck.At(4, 10).Value = -1;
    const TDeck before = deck;
    const TCommandResult dirty = RunLayoutCommand(LayoutCommand::Raise, l, deck, false, TRules{},
                                                  TAnalysisSwitches{}, nullptr);
    ASSERT_TRUE(dirty.Ok);
    EXPECT_TRUE(SameDeck(deck, before));
    EXPECT_EQ(dirty.Value, MO_Raise(before, test::MakeHand("AH KS XC 3C XD"), l.Dealer, TRules{}));
    EXPECT_EQ(dirty.Outcome.S, 135751); // C(44, 4): 45 unseen, the open card among them
}

TEST(LayoutCommands, BuyAndTwoCardExchangeTurnTheBoughtCardDown) {
    const TRules rules;
    {
        TLayout l = InitialLayout();
        l.Bought.FaceUp = true;
        TDeck deck;
        GlobalT1() = 1e9;
        const TCommandResult r = RunLayoutCommand(LayoutCommand::Buy, l, deck, true, rules,
                                                  TAnalysisSwitches{}, nullptr);
        ASSERT_TRUE(r.Ok);
        EXPECT_LT(GlobalT1(), 1e9);
        EXPECT_FALSE(l.Bought.FaceUp);
        EXPECT_TRUE(deck.IsUnseen(3, 1)); // the bought ace of diamonds can be bought again
        const TDeck five = test::DeckWithout(test::Cards("AH KS XC 3C XD"));
        EXPECT_EQ(r.Value, MO_Buy(five, ReadPlayerHand(l), l.Dealer, rules, true));
        EXPECT_EQ(r.Line, "MO_Buy  = " + FormatFixed(r.Value, 9, 7, ','));
        EXPECT_TRUE(std::regex_match(r.Status, std::regex("Расчет занял [0-9]+,[0-9]{3} сек\\.")))
            << r.Status;
    }
    {
        // A clean deck: the face-up bought card stays up and out of the deck.
        TLayout l = InitialLayout();
        l.Bought.FaceUp = true;
        TDeck deck;
        RebuildDeck(deck, l);
        const TCommandResult r = RunLayoutCommand(LayoutCommand::Buy, l, deck, false, rules,
                                                  TAnalysisSwitches{}, nullptr);
        ASSERT_TRUE(r.Ok);
        EXPECT_TRUE(l.Bought.FaceUp);
        EXPECT_FALSE(deck.IsUnseen(3, 1));
    }
    {
        TLayout l = InitialLayout();
        l.Bought.FaceUp = true;
        TDeck deck;
        RebuildDeck(deck, l);
        const TCommandResult r = RunLayoutCommand(LayoutCommand::Change2, l, deck, false, rules,
                                                  TAnalysisSwitches{}, nullptr);
        ASSERT_TRUE(r.Ok);
        EXPECT_FALSE(l.Bought.FaceUp);
        EXPECT_EQ(r.Hand.Count, 5);
        EXPECT_EQ(r.Line, "MO_Change2 [" + std::to_string(r.First) + "," +
                              std::to_string(r.Second) + "] = " + FormatFixed(r.Value, 9, 7, ','));
    }
}

TEST(LayoutCommands, TwoPairsWithFastPrintsZeroPositions) {
    TLayout l = Layout("9S 9C 4D 4H AS", "2D");
    TDeck deck;
    TAnalysisSwitches sw;
    CountingSink sink;
    const TCommandResult r =
        RunLayoutCommand(LayoutCommand::Change2, l, deck, true, TRules{}, sw, &sink);
    ASSERT_TRUE(r.Ok);
    // The line says what the -10000 stands for.
    EXPECT_EQ(r.Line, "MO_Change2 нечего менять: -10000");
    EXPECT_NE(r.Status.find("«fast» не разбивает две пары и фулл-хаус"), std::string::npos)
        << r.Status;
    EXPECT_EQ(r.Value, -10000.0);
    EXPECT_EQ(r.First, 0);
    EXPECT_EQ(sink.calls, 0);
    sw.Fast = false;
    sw.Separator = '.';
    const TCommandResult all =
        RunLayoutCommand(LayoutCommand::Change2, l, deck, true, TRules{}, sw, &sink);
    EXPECT_EQ(all.PairCount, 10);
    EXPECT_EQ(sink.lines.size(), 10u);
    EXPECT_NE(all.Line.find('.'), std::string::npos);
}

// With a bought card face up the exchange keeps the table's positions and never exchanges the
// bought card, although classifying six cards sorts them.
TEST(LayoutCommands, ExchangeOfOneKeepsTheTablePositions) {
    TLayout l = Layout("KS 2C 9D 5H 7S", "XH");
    l.Bought.Card = ParseCard("KD");
    l.Bought.FaceUp = true;
    TDeck deck;
    const TRules rules;
    const TCommandResult r = RunLayoutCommand(LayoutCommand::Change1, l, deck, true, rules,
                                              TAnalysisSwitches{}, nullptr);
    ASSERT_TRUE(r.Ok);
    const THand table = ReadPlayerHand(l);
    double per[6];
    uint8_t best = 0;
    const double want = MO_Change1(deck, table, l.Dealer, rules, best, nullptr, per);
    EXPECT_EQ(r.Value, want);
    EXPECT_EQ(r.First, best);
    for (int i = 1; i <= 5; ++i) EXPECT_EQ(r.PerPosition[i], per[i]);
    // Giving up the king of spades breaks the pair of kings: the worst choice.
    for (int i = 2; i <= 5; ++i) EXPECT_LT(per[1], per[i]);
    EXPECT_NE(r.First, 1);
    EXPECT_EQ(r.Line,
              "MO_Change [" + std::to_string(r.First) + "] = " + FormatFixed(r.Value, 9, 7, ','));
}

// The bought card lies face up and stays while one of the five is exchanged: classifying the six
// cards sorts them, and the card the dealer can no longer hold must still be the one received.
// Every position against dealing out every replacement and every dealer hand.
TEST(LayoutCommands, ExchangeBesideABoughtCardEqualsTheBruteForce) {
    TLayout l = Layout("8C 8D KS 7H 4S", "9C");
    l.Bought.Card = ParseCard("2D");
    l.Bought.FaceUp = true;
    TDeck deck;
    const TRules rules;
    const TCommandResult r = RunLayoutCommand(LayoutCommand::Change1, l, deck, true, rules,
                                              TAnalysisSwitches{}, nullptr);
    ASSERT_TRUE(r.Ok) << r.Status;
    const test::TDealerHands dealer(deck, l.Dealer, rules.AKPlays);
    const THand table = ReadPlayerHand(l);
    ASSERT_EQ(table.Count, 6);
    for (int pos = 1; pos <= 5; ++pos) {
        double sum = 0;
        int n = 0;
        for (int i = 1; i <= 52; ++i) {
            if (deck[i].Value <= 0 || i == DeckIndex(l.Dealer.Suit, l.Dealer.Value)) continue;
            THand h = table;
            h.Cards[pos] = test::MakeCard((i - 1) / 13 + 1, (i - 1) % 13 + 1);
            h.Sorted = 0;
            EvaluateHand(h, rules.AKPlays);
            const LayoutOutcome t = dealer.Tally(h, i);
            sum += std::max(test::RaiseFormula(t, h.Combo) - rules.PriceChange1,
                            -1.0 - rules.PriceChange1);
            ++n;
        }
        EXPECT_EQ(n, 45);
        EXPECT_DOUBLE_EQ(r.PerPosition[pos], sum / n) << "position " << pos;
    }
    // Both eights are already out and no flush can be made: giving up either is the same.
    EXPECT_EQ(r.PerPosition[1], r.PerPosition[2]);
    const double want[6] = {0, -1.7429, -1.7429, -0.4739, -0.4468, -0.4466};
    for (int pos = 1; pos <= 5; ++pos) EXPECT_NEAR(r.PerPosition[pos], want[pos], 5e-5) << pos;
    EXPECT_EQ(r.First, 5);
}

TEST(LayoutCommands, RefusedLayoutsChangeNothing) {
    struct Case {
        const char* name;
        LayoutCommand command;
        bool dirty;
        TLayout layout;
    };
    std::vector<Case> cases;
    cases.push_back({"dealer among the player's cards", LayoutCommand::Raise, true,
                     Layout("AH KS XC 3C XD", "XD")});
    cases.push_back({"a card twice", LayoutCommand::Change1, true, Layout("AH KS XC 3C AH", "XS")});
    {
        TLayout l = InitialLayout();
        l.Bought.Card = ParseCard("KS");
        l.Bought.FaceUp = true;
        cases.push_back({"bought card twice", LayoutCommand::Raise, true, l});
    }
    {
        TLayout l = InitialLayout();
        l.Player[3].FaceUp = false;
        cases.push_back(
            {"face-down card in the two-card exchange", LayoutCommand::Change2, true, l});
    }
    {
        TLayout l = InitialLayout();
        l.Player[4].Card = TCardRec{};
        cases.push_back({"empty card", LayoutCommand::Buy, true, l});
    }
    cases.push_back(
        {"dealer taken out of the clean deck", LayoutCommand::Raise, false, InitialLayout()});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TLayout l = c.layout;
        TDeck deck;
        deck.At(2, 5).Value = 0;
        if (!c.dirty) deck.At(1, 10).Value = -1;
        const TDeck before = deck;
        CountingSink sink;
        EXPECT_FALSE(LayoutRefusal(c.command, l, deck, c.dirty).empty());
        const TCommandResult r =
            RunLayoutCommand(c.command, l, deck, c.dirty, TRules{}, TAnalysisSwitches{}, &sink);
        EXPECT_FALSE(r.Ok);
        EXPECT_EQ(r.Status.rfind("Расклад не считается: ", 0), 0u) << r.Status;
        EXPECT_TRUE(r.Line.empty());
        EXPECT_TRUE(SameDeck(deck, before));
        EXPECT_EQ(sink.calls, 0);
        EXPECT_EQ(l.Bought.FaceUp, c.layout.Bought.FaceUp);
    }
    // A face-down card is fine for the other commands.
    TLayout l = InitialLayout();
    l.Player[3].FaceUp = false;
    TDeck deck;
    EXPECT_TRUE(RunLayoutCommand(LayoutCommand::Raise, l, deck, true, TRules{}, TAnalysisSwitches{},
                                 nullptr)
                    .Ok);
}

TEST(LayoutCommands, TooFewCardsLeftIsRefused) {
    TLayout l = InitialLayout();
    TDeck deck;
    RebuildDeck(deck, l);
    int left = deck.UnseenCount();
    for (int i = 1; i <= 52 && left > 6; ++i)
        if (deck[i].Value > 0 && i != DeckIndex(1, 10)) {
            deck[i].Value = 0;
            --left;
        }
    // Six unseen: the dealer's hand and one card more, never two.
    EXPECT_EQ(LayoutRefusal(LayoutCommand::Raise, l, deck, false), "");
    EXPECT_EQ(LayoutRefusal(LayoutCommand::Buy, l, deck, false), "");
    EXPECT_NE(LayoutRefusal(LayoutCommand::Change2, l, deck, false), "");
}

// The notation of the layout field: what LayoutNotation writes ParseLayoutNotation reads back.
TEST(LayoutNotation, WritesAndReadsBack) {
    TLayout l = InitialLayout();
    EXPECT_EQ(LayoutNotation(l, {}), "AH KS XC 3C XD / XS");
    l.Bought.FaceUp = true;
    l.Dealer = ParseCard("5H");
    const std::vector<TCardRec> out = test::Cards("2C 7H");
    const std::string text = LayoutNotation(l, out);
    EXPECT_EQ(text, "AH KS XC 3C XD / 5H, bought AD, out 2C 7H");

    TLayout read = InitialLayout();
    read.Bought.Card = ParseCard("2S");
    std::vector<TCardRec> readOut;
    ASSERT_EQ(ParseLayoutNotation(text, read, readOut), "");
    EXPECT_EQ(LayoutNotation(read, readOut), text);
    for (int i = 1; i <= 5; ++i) EXPECT_TRUE(read.Player[i].FaceUp);

    // Any case, "10", commas, no blanks around "/"; a sixth card before "/" is the bought one.
    ASSERT_EQ(ParseLayoutNotation("7h,7d kc 5S 10d 2d/qh out", read, readOut), "");
    EXPECT_EQ(LayoutNotation(read, readOut), "7H 7D KC 5S XD / QH, bought 2D");
    // Without a bought card it lies face down and keeps its card.
    read.Bought.Card = ParseCard("9C");
    ASSERT_EQ(ParseLayoutNotation("AS 2S 3S 4S 5S / 6S", read, readOut), "");
    EXPECT_FALSE(read.Bought.FaceUp);
    EXPECT_EQ(CardNotation(read.Bought.Card), "9C");
    EXPECT_TRUE(readOut.empty());
}

TEST(LayoutNotation, RefusesWhatIsNoLayoutAndWritesNothing) {
    const struct {
        const char* text;
        const char* says;
    } cases[] = {
        {"", "нет «/»"},
        {"AH KS XC 3C XD XS", "нет «/»"},
        {"AH KS XC 3C ZZ / XS", "«ZZ» — не карта"},
        {"AH KS XC 3C / XS", "а их 4"},
        {"AH KS XC 3C XD 5D 6D / XS", "а их 7"},
        {"AH KS XC 3C XD /", "а их 0"},
        {"AH KS XC 3C XD / XS 9S", "а их 2"},
        {"AH KS XC 3C XD / XS / 9S", "«/» стоит дважды"},
        {"AH KS XC 3C XD / XS, bought", "после «bought» нужна одна карта"},
        {"AH KS XC 3C XD 5D / XS, bought 6D", "а их 6"},
        {"AH KS XC 3C XD / XS, bought 6D out 2C bought 7D", "«bought» стоит дважды"},
        {"AH KS XC 3C XD out 2C / XS", "пишется после карты дилера"},
        {"AH KS XC 3C XD / KS", "карта дилера KS лежит и у игрока"},
        {"AH KS XC 3C XD / 5D, bought 5D", "карта дилера 5D лежит и у игрока"},
        {"AH KS XC 3C XD / XS, out 2C XS", "карта дилера XS указана вне игры"},
        {"AH KS XC 3C AH / XS", "карта AH указана дважды"},
        {"AH KS XC 3C XD / 9S, out 2C 3C", "карта 3C указана дважды"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        TLayout l = InitialLayout();
        std::vector<TCardRec> out = test::Cards("4H");
        const std::string why = ParseLayoutNotation(c.text, l, out);
        EXPECT_EQ(why.rfind("Расклад не введён: ", 0), 0u) << why;
        EXPECT_NE(why.find(c.says), std::string::npos) << why;
        EXPECT_EQ(LayoutNotation(l, out), "AH KS XC 3C XD / XS, out 4H");
    }
}

TEST(LayoutNotation, CardsOutOfPlayLeaveTheTableOut) {
    TLayout l = InitialLayout();
    l.Player[2].FaceUp = false; // KS stays in the deck
    TDeck deck;
    RebuildDeck(deck, l);
    EXPECT_TRUE(CardsOutOfPlay(l, deck).empty());
    deck.At(4, 7).Value = 0;  // 7H
    deck.At(2, 2).Value = 0;  // 2C
    deck.At(4, 1).Value = -1; // AH marked as lying on the table
    deck.At(1, 13).Value = 0; // KS lies face down: taken out, so out of play
    EXPECT_EQ(LayoutNotation(l, CardsOutOfPlay(l, deck)), "AH KS XC 3C XD / XS, out KS 2C 7H");
}

} // namespace
} // namespace kvarlen
