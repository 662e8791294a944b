// The deal log must hold enough to recompute every bank and every report figure on its own:
// these tests read it back with a parser of their own and rebuild the report from it.
#include "fake_host.h"
#include "simulation/deal_log.h"
#include "simulation/report.h"
#include "simulation/simulation_run.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <unistd.h>

namespace kvarlen {
namespace {

namespace fs = std::filesystem;

std::string ReadBytes(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

// A CSV file with a header, every field as text.
struct TCsv {
    std::vector<std::string> Names;
    std::vector<std::vector<std::string>> Rows;
    size_t Col(const std::string& name) const {
        for (size_t i = 0; i < Names.size(); ++i)
            if (Names[i] == name) return i;
        ADD_FAILURE() << "no column " << name;
        return 0;
    }
};

std::vector<std::string> SplitCommas(const std::string& line) {
    std::vector<std::string> f;
    std::string cur;
    for (char c : line) {
        if (c == ',') {
            f.push_back(cur);
            cur.clear();
        } else {
            cur += c;
        }
    }
    f.push_back(cur);
    return f;
}

TCsv ReadCsv(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    TCsv csv;
    std::string line;
    EXPECT_TRUE(std::getline(in, line));
    csv.Names = SplitCommas(line);
    while (std::getline(in, line)) {
        EXPECT_EQ(line.find('\r'), std::string::npos);
        csv.Rows.push_back(SplitCommas(line));
        EXPECT_EQ(csv.Rows.back().size(), csv.Names.size()) << line;
    }
    return csv;
}

// The report and the banks as the log alone tells them.
struct TRebuilt {
    TRunResult Result;
    // Banks of boxes 1..3 after each deal, in file order.
    std::vector<std::array<double, 3>> Banks;
};

TRebuilt Rebuild(const TCsv& csv, int team, int32_t initialBank, bool ideal) {
    TRebuilt r;
    TRunResult& res = r.Result;
    res.Ideal = ideal;
    res.TeamSize = team;
    res.Statistics = true;
    res.InitialBank = {0, initialBank, initialBank, initialBank};
    std::array<double, 3> bank = {double(initialBank), double(initialBank), double(initialBank)};
    const size_t cStream = csv.Col("Stream"), cDeal = csv.Col("Deal"), cBox = csv.Col("Box");
    const size_t cClass = csv.Col("Class"), cFinal = csv.Col("FinalClass");
    const size_t cOutcome = csv.Col("Outcome"), cRaise = csv.Col("Raise");
    const size_t cBought = csv.Col("Bought"), cResult = csv.Col("DealResult");
    const size_t cBank = csv.Col("Bank");
    std::string current;
    double teamResult = 0;
    auto endDeal = [&] {
        if (current.empty()) return;
        res.SumSquares += teamResult * teamResult;
        ++res.Deals;
        r.Banks.push_back(bank);
        teamResult = 0;
    };
    for (const auto& row : csv.Rows) {
        const std::string key = row[cStream] + "/" + row[cDeal];
        if (key != current) {
            endDeal();
            current = key;
        }
        const int box = std::stoi(row[cBox]);
        const double result = std::stod(row[cResult]);
        bank[static_cast<size_t>(box - 1)] += result;
        // The bank column is the bank after the deal, exactly.
        EXPECT_EQ(bank[static_cast<size_t>(box - 1)], std::stod(row[cBank])) << key;
        teamResult += result;
        TRunStats& st = res.Stats;
        ++st.DealtByClass[static_cast<size_t>(std::stoi(row[cClass]) + 1)];
        const size_t fin = static_cast<size_t>(std::stoi(row[cFinal]) + 1);
        ++st.FinalByClass[fin];
        switch (std::stoi(row[cOutcome])) {
        case 0:
            ++st.NoGameByClass[fin];
            break;
        case 1:
            ++st.WonByClass[fin];
            break;
        case 2:
            ++st.LostByClass[fin];
            break;
        }
        if (row[cRaise] == "0") ++st.PassByClass[fin];
        if (row[cBought] == "1") ++st.BuyCount[static_cast<size_t>(box)];
    }
    endDeal();
    for (size_t b = 1; b <= 3; ++b) res.Net[b] = bank[b - 1] - initialBank;
    return r;
}

class DealLogTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("kvarlen_deallog_" + std::to_string(getpid()) + "_" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_ / "out");
    }
    void TearDown() override { fs::remove_all(dir_); }
    test::FakeHost Host(int team, int deals, const std::string& logName) {
        test::FakeHost host;
        host.Settings = test::QuietSettings(team, deals);
        host.Settings.OutDir = dir_.string();
        host.Settings.Date = "20240229";
        host.Settings.DealLogPath = (dir_ / logName).string();
        host.Live.Statistics = true;
        return host;
    }
    // The report the log rebuilds, with the run's own timings (a log has no clock).
    static std::vector<std::string> RebuiltReport(TRebuilt rebuilt, const TRunOutcome& out) {
        rebuilt.Result.ElapsedMs = out.Result.ElapsedMs;
        rebuilt.Result.DecisionMs = out.Result.DecisionMs;
        rebuilt.Result.GlobalT1Ms = out.Result.GlobalT1Ms;
        return ReportLines(rebuilt.Result, ',');
    }
    fs::path dir_;
};

TEST_F(DealLogTest, StrategyRunIsRebuiltFromTheLogAlone) {
    test::FakeHost host = Host(3, 4000, "deals.csv");
    host.Settings.Rules.DealerGameBuy = 1; // the dealer's bought game shows in the log too
    TDeck deck;
    TGenerator gen;
    gen.SeedMyRandom(2024);
    TBoxes boxes;
    const TRunOutcome out = SixCardSimulation(host, deck, gen, boxes);
    ASSERT_TRUE(out.Ran);
    EXPECT_TRUE(out.DealLogError.empty());
    const TCsv csv = ReadCsv(dir_ / "deals.csv");
    ASSERT_EQ(csv.Rows.size(), 3u * 4000);
    EXPECT_EQ(csv.Names.size(), 28u);

    const TRebuilt rebuilt = Rebuild(csv, 3, 100, false);
    EXPECT_EQ(rebuilt.Result.SumSquares, out.Result.SumSquares);
    EXPECT_EQ(RebuiltReport(rebuilt, out), out.Report);

    // Every deal's banks are the bank file's line.
    std::ifstream bankFile(dir_ / "out" / "out_bank_20240229.txt", std::ios::binary);
    std::string line;
    for (const auto& banks : rebuilt.Banks) {
        ASSERT_TRUE(std::getline(bankFile, line));
        std::string expected;
        BankLogLine(banks[0], banks[1], banks[2], ',', expected);
        ASSERT_EQ(line, expected + "\r");
    }

    // The cards of a deal are 15 different cards plus what was drawn; purchases name their rule
    // bits and card; the dealer's bought game names the card it threw away and the one it got.
    const size_t cDealer = csv.Col("DealerCards"), cCards = csv.Col("Cards");
    int bought = 0, dealerGames = 0;
    for (size_t i = 0; i < csv.Rows.size(); i += 3) {
        std::set<std::string> seen;
        size_t total = 0;
        auto see = [&](const std::string& card) {
            seen.insert(card);
            ++total;
        };
        for (const TCardRec& c : ParseCards(csv.Rows[i][cDealer])) see(CardNotation(c));
        for (size_t k = i; k < i + 3; ++k) {
            const auto& row = csv.Rows[k];
            EXPECT_EQ(row[cDealer], csv.Rows[i][cDealer]);
            for (const TCardRec& c : ParseCards(row[cCards])) see(CardNotation(c));
            EXPECT_EQ(row[csv.Col("Seed")], "2024");
            EXPECT_EQ(row[csv.Col("MORaiseDealt")], "");
            if (row[csv.Col("Bought")] == "1") {
                ++bought;
                EXPECT_NE(row[csv.Col("BuyDecision")], "0");
                see(row[csv.Col("BoughtCard")]);
            }
        }
        if (csv.Rows[i][csv.Col("DealerGame")] == "1") {
            ++dealerGames;
            EXPECT_EQ(seen.count(csv.Rows[i][csv.Col("DealerDiscard")]), 1u);
            see(csv.Rows[i][csv.Col("DealerCard")]);
        }
        EXPECT_EQ(seen.size(), total) << "deal " << i / 3 + 1;
    }
    EXPECT_GT(bought, 0);
    EXPECT_GT(dealerGames, 0);
}

TEST_F(DealLogTest, IdealRunIsRebuiltFromTheLogAloneAndShowsItsValues) {
    test::FakeHost host = Host(2, 40, "deals.csv");
    host.Settings.Rules.Exchange1 = true;
    host.Live.Mode = TInfoMode::InTurn;
    TDeck deck;
    TGenerator gen;
    gen.SeedMyRandom(99);
    TBoxes boxes;
    const TRunOutcome out = IDEAL_SixCardSimulation(host, deck, gen, boxes);
    ASSERT_TRUE(out.Ran);
    const TCsv csv = ReadCsv(dir_ / "deals.csv");
    ASSERT_EQ(csv.Rows.size(), 2u * 40);
    const TRebuilt rebuilt = Rebuild(csv, 2, 100, true);
    EXPECT_EQ(RebuiltReport(rebuilt, out), out.Report);

    // The decisions follow from the values in the row.
    int drawn = 0;
    for (const auto& row : csv.Rows) {
        const double dealt = std::stod(row[csv.Col("MORaiseDealt")]);
        const double change = std::stod(row[csv.Col("MOChange1")]);
        const double buy = std::stod(row[csv.Col("MOBuy")]);
        const std::string finalText = row[csv.Col("MORaiseFinal")];
        const bool exchanged = row[csv.Col("ExchangeIndex")] != "0";
        const bool boughtCard = row[csv.Col("Bought")] == "1";
        EXPECT_EQ(exchanged, change > dealt && change > -1);
        EXPECT_EQ(boughtCard, buy > dealt && buy > -1);
        EXPECT_EQ(exchanged, row[csv.Col("ExchangeCard")].size() == 2u);
        EXPECT_EQ(finalText.empty(), !exchanged && !boughtCard);
        const double current = finalText.empty() ? dealt : std::stod(finalText);
        EXPECT_EQ(row[csv.Col("Raise")] == "1", current > -1);
        EXPECT_EQ(row[csv.Col("Outcome")] == "9", current <= -1);
        drawn += exchanged || boughtCard;
    }
    EXPECT_GT(drawn, 0);
}

TEST_F(DealLogTest, StreamsFollowEachOtherAndJsonLinesCarryTheSameRows) {
    for (const char* name : {"deals.csv", "deals.JSONL"}) {
        test::FakeHost host = Host(2, 3001, name);
        TStreamOptions options;
        options.Threads = 3;
        options.Seed = 5;
        const TRunOutcome out = RunSimulationStreams(host, false, options);
        ASSERT_TRUE(out.Ran);
        std::ifstream in(dir_ / name, std::ios::binary);
        std::string line;
        std::vector<std::string> lines;
        while (std::getline(in, line)) lines.push_back(line);
        if (std::string(name) == "deals.csv") {
            const TCsv csv = ReadCsv(dir_ / name);
            ASSERT_EQ(csv.Rows.size(), 2u * 3001);
            // Streams one after another, each in deal order, each with its own seed.
            std::vector<std::pair<int, int64_t>> order;
            for (const auto& row : csv.Rows) {
                const int stream = std::stoi(row[csv.Col("Stream")]);
                order.emplace_back(stream, std::stoll(row[csv.Col("Deal")]));
                EXPECT_EQ(row[csv.Col("Seed")], std::to_string(StreamSeed(5, stream)));
            }
            EXPECT_TRUE(std::is_sorted(order.begin(), order.end()));
            EXPECT_EQ(order.back().first, 2);
            EXPECT_EQ(RebuiltReport(Rebuild(csv, 2, 100, false), out), out.Report);
        } else {
            ASSERT_EQ(lines.size(), 2u * 3001);
            EXPECT_EQ(lines[0].rfind("{\"Stream\":0,\"Deal\":1,\"Seed\":5,\"Box\":1,"
                                     "\"DealerCards\":\"",
                                     0),
                      0u);
            EXPECT_NE(lines[0].find("\"MORaiseDealt\":null"), std::string::npos);
            EXPECT_EQ(lines.back().back(), '}');
        }
    }
}

TEST_F(DealLogTest, ALogThatCannotBeWrittenIsAnErrorThatLeavesNoTruncatedFile) {
    // A folder that does not exist: refused before the first deal, nothing dealt.
    {
        test::FakeHost host = Host(1, 100, "missing/deals.csv");
        TDeck deck;
        TGenerator gen;
        gen.SeedMyRandom(7);
        TBoxes boxes;
        const TRunOutcome out = SixCardSimulation(host, deck, gen, boxes);
        EXPECT_FALSE(out.Ran);
        EXPECT_EQ(gen.RandomSeed, 7);
        ASSERT_EQ(host.Messages.size(), 1u);
        EXPECT_NE(host.Messages[0].find(host.Settings.DealLogPath), std::string::npos);
        EXPECT_EQ(out.DealLogError, host.Messages[0]);
        EXPECT_FALSE(fs::exists(dir_ / "out" / "out20240229.txt"));
    }
    // A device that is always full: the run is reported, the log's failure named, and the
    // device itself left alone.
    if (fs::exists("/dev/full")) {
        test::FakeHost host = Host(1, 3000, "unused");
        host.Settings.DealLogPath = "/dev/full";
        TDeck deck;
        TGenerator gen;
        gen.SeedMyRandom(8);
        TBoxes boxes;
        const TRunOutcome out = SixCardSimulation(host, deck, gen, boxes);
        EXPECT_TRUE(out.Ran);
        EXPECT_EQ(out.Result.Deals, 3000);
        ASSERT_EQ(host.Messages.size(), 1u);
        EXPECT_EQ(host.Messages[0].rfind("Cannot write file \"/dev/full\". ", 0), 0u);
        EXPECT_EQ(out.DealLogError, host.Messages[0]);
        EXPECT_TRUE(fs::exists("/dev/full"));
    }
}

TEST_F(DealLogTest, AnEarlierLogStaysWholeUntilTheNewOneIsComplete) {
    const fs::path log = dir_ / "deals.csv";
    std::ofstream(log, std::ios::binary) << "old\n";
    // Refused before the first deal: the earlier log is left as it was.
    {
        test::FakeHost host = Host(1, 100, "deals.csv");
        host.Settings.TeamSize = 0;
        TDeck deck;
        TGenerator gen;
        TBoxes boxes;
        EXPECT_FALSE(SixCardSimulation(host, deck, gen, boxes).Ran);
        EXPECT_EQ(ReadBytes(log), "old\n");
    }
    // A complete run replaces it, through a link to its target, and leaves no temporary file.
    fs::create_symlink("deals.csv", dir_ / "link.csv");
    test::FakeHost host = Host(1, 20, "link.csv");
    TDeck deck;
    TGenerator gen;
    gen.SeedMyRandom(3);
    TBoxes boxes;
    ASSERT_TRUE(SixCardSimulation(host, deck, gen, boxes).Ran);
    EXPECT_TRUE(fs::is_symlink(dir_ / "link.csv"));
    const std::string csv = ReadBytes(log);
    EXPECT_EQ(csv.rfind(DealLogHeader() + "\n", 0), 0u);
    EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 1 + 20);
    for (const auto& entry : fs::directory_iterator(dir_))
        EXPECT_EQ(entry.path().extension(), entry.is_directory() ? "" : ".csv") << entry.path();
}

TEST_F(DealLogTest, OutputsThatAreOneFileRefuseTheRunBeforeAnythingIsWritten) {
    const std::string report = (dir_ / "out" / "out20240229.txt").string();
    const std::string bank = (dir_ / "out" / "out_bank_20240229.txt").string();
    std::ofstream(report, std::ios::binary) << "report\r\n";
    fs::create_symlink(bank, dir_ / "bank-link.csv");
    // The same file under other spellings: ".", "..", a link, a name not made yet.
    for (const std::string& name :
         {std::string("out/./out20240229.txt"), std::string("out/../out/out_bank_20240229.txt"),
          std::string("bank-link.csv")}) {
        test::FakeHost host = Host(1, 50, name);
        TDeck deck;
        TGenerator gen;
        gen.SeedMyRandom(9);
        TBoxes boxes;
        const TRunOutcome out = SixCardSimulation(host, deck, gen, boxes);
        EXPECT_FALSE(out.Ran) << name;
        EXPECT_EQ(gen.RandomSeed, 9) << name;
        ASSERT_EQ(host.Messages.size(), 1u) << name;
        EXPECT_NE(host.Messages[0].find("один и тот же файл"), std::string::npos);
        EXPECT_EQ(ReadBytes(report), "report\r\n");
        EXPECT_FALSE(fs::exists(bank)) << name;
    }
    // The history table of ideal play, not made yet.
    std::setlocale(LC_NUMERIC, "C");
    test::FakeHost host = Host(1, 50, "DBF/1box.DBF");
    host.Settings.OutDir.clear();
    host.Settings.DbfPath = (dir_ / "DBF" / ".." / "DBF" / "1box.DBF").string();
    host.Live.DbfHistory = true;
    TDeck deck;
    TGenerator gen;
    TBoxes boxes;
    EXPECT_FALSE(IDEAL_SixCardSimulation(host, deck, gen, boxes).Ran);
    EXPECT_FALSE(fs::exists(dir_ / "DBF"));
}

} // namespace
} // namespace kvarlen
