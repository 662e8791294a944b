#include "fake_host.h"
#include "simulation/simulation_run.h"

#include <gtest/gtest.h>

namespace kvarlen {
namespace {

using test::FakeHost;
using test::QuietSettings;

struct StrategyTable {
    FakeHost host;
    TDeck deck;
    TGenerator gen;
    TBoxes boxes;
    explicit StrategyTable(int team, int deals, uint32_t seed = 12345) {
        host.Settings = QuietSettings(team, deals);
        gen.SeedMyRandom(seed);
    }
    TRunOutcome Strategy() { return SixCardSimulation(host, deck, gen, boxes); }
};

std::string Cards(const THand& h) {
    std::string s;
    for (int i = 1; i <= h.Count; ++i) {
        if (i > 1) s += ' ';
        s += CardNotation(h.Cards[i]);
    }
    return s;
}

TEST(StrategyRun, FirstDealsOfAFixedSeedAsWorkedByHand) {
    StrategyTable run(1, 3);
    run.host.Live.Trace = true;
    std::vector<std::string> dealt;
    std::vector<double> results;
    run.host.OnWait = [&] {
        dealt.push_back(Cards(run.boxes[0].Hand) + " | " + Cards(run.boxes[1].Hand));
        results.push_back(run.boxes[1].DealResult);
    };
    const TRunOutcome out = run.Strategy();
    ASSERT_TRUE(out.Ran);
    // The cards come slot by slot round the table, the dealer first.
    TGenerator gen;
    gen.SeedMyRandom(12345);
    for (int deal = 0; deal < 3; ++deal) {
        TDeck deck;
        THand d, p;
        for (int r = 1; r <= 5; ++r) {
            d.Cards[r] = DrawCard(deck, gen);
            p.Cards[r] = DrawCard(deck, gen);
        }
        EXPECT_EQ(dealt[static_cast<size_t>(deal)], Cards(d) + " | " + Cards(p));
    }
    // Jack open, no game against ace-high nothing: pass. Nines open, nothing: pass. Two pairs
    // (jacks and tens) against a dealer without a game: raise and +1.
    ASSERT_EQ(dealt.size(), 3u);
    EXPECT_EQ(dealt[0], "JC 7D 9H 3D 2H | AS JD 8S XC 3C");
    EXPECT_EQ(dealt[1], "9D AD 6H AC 4C | QD 3D 9S 7H KH");
    EXPECT_EQ(dealt[2], "2D 5C 8H 9H JC | JH XC XD 2C JD");
    EXPECT_EQ(results, (std::vector<double>{-1, -1, 1}));
    EXPECT_DOUBLE_EQ(out.Result.Net[1], -1);
}

TEST(StrategyRun, SameSeedSameRun) {
    auto play = [](uint32_t seed) {
        StrategyTable run(3, 20000, seed);
        run.host.Live.Statistics = true;
        run.host.Settings.Rules.DealerGameBuy = 1;
        return run.Strategy().Result;
    };
    const TRunResult a = play(777), b = play(777), c = play(778);
    EXPECT_EQ(a.Net, b.Net);
    EXPECT_EQ(a.SumSquares, b.SumSquares);
    EXPECT_EQ(a.Stats.FinalByClass, b.Stats.FinalByClass);
    EXPECT_NE(a.SumSquares, c.SumSquares);
}

TEST(StrategyRun, TraceCallsInOrderWithTheirCoordinates) {
    StrategyTable run(3, 1);
    run.host.Live.Trace = true;
    run.Strategy();
    const int open = run.boxes[0].Hand.Cards[1].Value;
    std::vector<std::string> expected = {"Init", "ClearTable", "DHand 5 10 20"};
    const int tops[4] = {0, 140, 240, 340};
    for (int b = 1; b <= 3; ++b) {
        const TBox& box = run.boxes[static_cast<size_t>(b)];
        const int d = tops[b] + 78;
        expected.push_back("PHand " + std::to_string(box.Hand.Count) + " 10 " +
                           std::to_string(tops[b]) + " " + std::to_string(open));
        expected.push_back(std::string("Raise ") + (box.Raise ? "1" : "0") + " 10 " +
                           std::to_string(d));
        expected.push_back("Insur " + std::to_string(box.InsuranceSum) + " 10 " +
                           std::to_string(d));
    }
    expected.push_back("Wait");
    EXPECT_EQ(run.host.Calls, expected);
}

TEST(StrategyRun, TraceOffLetsTheRestRunWithoutStopping) {
    StrategyTable run(1, 10);
    run.host.Live.Trace = true;
    int waits = 0;
    run.host.OnWait = [&] {
        if (++waits == 2) run.host.Live.Trace = false; // "Trace off"
    };
    const TRunOutcome out = run.Strategy();
    EXPECT_EQ(waits, 2);
    EXPECT_EQ(out.Result.Deals, 10);
}

TEST(StrategyRun, ProgressEveryTenThousandDealsAndReadyAtTheEnd) {
    StrategyTable run(1, 25000);
    run.Strategy();
    EXPECT_EQ(run.host.Calls,
              (std::vector<std::string>{"Progress 10000 1 x 10000", "Progress 20000 2 x 10000"}));
    EXPECT_EQ(run.host.Caption, "ready");
    EXPECT_EQ(run.host.DeckDirty, 1);
    ASSERT_EQ(run.host.Math.size(), 1u);
}

TEST(StrategyRun, ATeamOfOneLeavesTheOtherBoxesAlone) {
    StrategyTable run(1, 500);
    run.host.Settings.InitialBank = 250;
    const TRunOutcome out = run.Strategy();
    EXPECT_EQ(out.Report[1], "Чистый плюс #2 : 0 [банк был 250]");
    EXPECT_EQ(out.Report[2], "Чистый плюс #3 : 0 [банк был 250]");
    EXPECT_EQ(run.boxes[2].Bank, 250);
    EXPECT_NE(out.Result.Net[1], 0);
}

TEST(StrategyRun, RefusedRunsDealNothing) {
    struct Case {
        int team, deals;
        bool badText;
    };
    for (const Case c : {Case{0, 10, false}, Case{4, 10, false}, Case{1, 0, false},
                         Case{1, -5, false}, Case{1, 10, true}}) {
        StrategyTable run(c.team, c.deals);
        run.host.ThrowOnSettings = c.badText;
        const int64_t seedBefore = run.gen.RandomSeed;
        const TRunOutcome out = run.Strategy();
        EXPECT_FALSE(out.Ran);
        ASSERT_EQ(run.host.Messages.size(), 1u);
        EXPECT_TRUE(run.host.Memo.empty());
        EXPECT_TRUE(run.host.Math.empty());
        EXPECT_EQ(run.gen.RandomSeed, seedBefore);
        EXPECT_EQ(run.host.DeckDirty, 0);
    }
}

TEST(StrategyRun, StopRequestEndsBetweenDealsAndTheReportCoversThem) {
    StrategyTable run(2, 1000);
    int asked = 0;
    run.host.Stop = [&] { return ++asked > 37; };
    const TRunOutcome out = run.Strategy();
    EXPECT_TRUE(out.Result.Stopped);
    EXPECT_EQ(out.Result.Deals, 37);
    EXPECT_EQ(out.Report[6].rfind("Было сыграно 37 раздач за ", 0), 0u);
    // The report says the run was cut short, and of how many deals.
    EXPECT_EQ(out.Report[7], "Симуляция остановлена: сыграно 37 раздач из 1000.");
    EXPECT_EQ(out.Report[8].rfind("MO одной раздачи = ", 0), 0u);

    // Streams stopped together count what was asked of all of them; a finished run says nothing.
    FakeHost streams;
    streams.Settings = QuietSettings(1, 100000000);
    streams.Stop = [] { return true; };
    TStreamOptions options;
    options.Threads = 3;
    const TRunOutcome split = RunSimulationStreams(streams, false, options);
    EXPECT_TRUE(split.Result.Stopped);
    EXPECT_EQ(split.Report[7], "Симуляция остановлена: сыграно " +
                                   std::to_string(split.Result.Deals) + " раздач из 100000000.");
    StrategyTable whole(1, 50);
    for (const std::string& line : whole.Strategy().Report)
        EXPECT_EQ(line.find("остановлена"), std::string::npos);
}

TEST(StrategyRun, NoPurchaseWithoutBuy6) {
    StrategyTable run(3, 3000);
    run.host.Settings.Rules.Buy6 = false;
    run.host.Live.Statistics = true;
    run.host.Live.Trace = true;
    run.host.RecordTrace = false;
    bool six = false;
    run.host.OnWait = [&] {
        for (int b = 1; b <= 3; ++b) six = six || run.boxes[static_cast<size_t>(b)].Hand.Count == 6;
    };
    const TRunOutcome out = run.Strategy();
    EXPECT_FALSE(six);
    EXPECT_EQ(out.Report.back(), "BuyCount=0");
}

TEST(StrategyRun, ASixthCardCostsOneAnteWhateverItsPrice) {
    StrategyTable run(1, 5000);
    run.host.Settings.Rules.PriceBuy6 = 2.5;
    run.host.Live.Trace = true;
    run.host.RecordTrace = false;
    int boughtAndPassed = 0;
    run.host.OnWait = [&] {
        const TBox& b = run.boxes[1];
        if (b.BuyDecision == 0 || b.Raise) return;
        ++boughtAndPassed;
        EXPECT_EQ(b.DealResult, -2);
    };
    run.Strategy();
    EXPECT_GT(boughtAndPassed, 10);
}

TEST(StrategyRun, TwoOpenCardMatchesRaiseEveryBoxOfATeamOfThree) {
    StrategyTable run(3, 20000);
    run.host.Live.Trace = true;
    run.host.RecordTrace = false;
    int seen = 0, failures = 0;
    run.host.OnWait = [&] {
        const int open = run.boxes[0].Hand.Cards[1].Value;
        int m = 0;
        for (int b = 1; b <= 3; ++b) {
            const THand& h = run.boxes[static_cast<size_t>(b)].Hand;
            for (int i = 1; i <= h.Count; ++i)
                m += h.Cards[i].Mark == kMarkDealt && h.Cards[i].Value == open;
        }
        if (m != 2) return;
        ++seen;
        for (int b = 1; b <= 3; ++b) failures += !run.boxes[static_cast<size_t>(b)].Raise;
    };
    run.Strategy();
    EXPECT_GT(seen, 100);
    EXPECT_EQ(failures, 0);
}

TEST(StrategyRun, DealersGameIsBoughtOnlyWhenTheRulesAllowIt) {
    for (uint8_t mode : {0, 1, 2}) {
        StrategyTable run(2, 20000);
        run.host.Settings.Rules.DealerGameBuy = mode;
        run.host.Live.Trace = true;
        run.host.RecordTrace = false;
        int asked = 0;
        run.host.OnWait = [&] {
            for (int b = 1; b <= 2; ++b) asked += run.boxes[static_cast<size_t>(b)].WantsDealerGame;
        };
        run.Strategy();
        if (mode == 0)
            EXPECT_EQ(asked, 0);
        else
            EXPECT_GT(asked, 0);
    }
}

TEST(StrategyRun, OneStreamIsTheDesktopRunAndTwoStreamsRepeat) {
    StrategyTable desktop(2, 30000, 4242);
    desktop.host.Live.Statistics = true;
    const TRunResult a = desktop.Strategy().Result;

    auto streams = [](int threads) {
        FakeHost host;
        host.Settings = QuietSettings(2, 30000);
        host.Live.Statistics = true;
        TStreamOptions o;
        o.Threads = threads;
        o.Seed = 4242;
        return RunSimulationStreams(host, false, o).Result;
    };
    const TRunResult one = streams(1);
    EXPECT_EQ(one.Net, a.Net);
    EXPECT_EQ(one.SumSquares, a.SumSquares);
    EXPECT_EQ(one.Stats.DealtByClass, a.Stats.DealtByClass);

    const TRunResult two = streams(2), again = streams(2);
    EXPECT_EQ(two.Deals, 30000);
    EXPECT_EQ(two.Net, again.Net);
    EXPECT_EQ(two.SumSquares, again.SumSquares);
    EXPECT_NE(two.SumSquares, a.SumSquares);
    int64_t dealt = 0;
    for (int64_t c : two.Stats.DealtByClass) dealt += c;
    EXPECT_EQ(dealt, 2 * 30000);
}

} // namespace
} // namespace kvarlen
