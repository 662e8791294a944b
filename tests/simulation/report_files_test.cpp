#include "fake_host.h"
#include "simulation/report.h"
#include "simulation/simulation_run.h"
#include "simulation/strategy_rules.h"
#include "simulation/text_files.h"

#include <gtest/gtest.h>
#include <shapefil.h>

#include <clocale>
#include <filesystem>
#include <fstream>
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

// Lines of a CR LF file; fails the test on a bare LF or CR.
std::vector<std::string> CrLfLines(const std::string& bytes) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\n') {
            EXPECT_TRUE(i > 0 && bytes[i - 1] == '\r') << "bare LF at " << i;
            lines.push_back(bytes.substr(start, i - 1 - start));
            start = i + 1;
        } else if (bytes[i] == '\r') {
            EXPECT_TRUE(i + 1 < bytes.size() && bytes[i + 1] == '\n') << "bare CR at " << i;
        }
    }
    EXPECT_EQ(start, bytes.size()) << "last line without CR LF";
    return lines;
}

TRunResult TenDeals() {
    TRunResult r;
    r.TeamSize = 2;
    r.Deals = 10;
    r.InitialBank = {0, 100, 100, 100};
    r.Net = {0, 4.5, -1.5, 0};
    r.SumSquares = 25;
    r.ElapsedMs = 1234;
    return r;
}

TEST(Report, LinesInACommaLocale) {
    const std::vector<std::string> expected = {
        "Чистый плюс #1 : 4,5 [банк был 100]",
        "Чистый плюс #2 : -1,5 [банк был 100]",
        "Чистый плюс #3 : 0 [банк был 100]",
        "",
        "Чистый плюс команды: 3",
        "",
        "Было сыграно 10 раздач за 1,23400 сек.",
        "MO одной раздачи = 0,30000",
        "Дисперсия = 2,41000",
        "Ср.кв.отклонение = 1,55242",
        "",
    };
    EXPECT_EQ(ReportLines(TenDeals(), ','), expected);
    const TMathInputs m = MathInputsOf(TenDeals(), ',');
    EXPECT_EQ(m.MOText, "0,300000");
    EXPECT_EQ(m.VarianceText, "2,410000");
    EXPECT_EQ(ReportLines(TenDeals(), '.')[7], "MO одной раздачи = 0.30000");
}

TEST(Report, IdealLinesAndStatistics) {
    TRunResult r = TenDeals();
    r.Ideal = true;
    r.DecisionMs = 500;
    r.GlobalT1Ms = 250.5;
    r.Statistics = true;
    r.Stats.DealtByClass[3] = 7;
    r.Stats.FinalByClass[3] = 6;
    r.Stats.WonByClass[3] = 2;
    r.Stats.NoGameByClass[3] = 1;
    r.Stats.LostByClass[3] = 3;
    r.Stats.PassByClass[3] = 4;
    r.Stats.BuyCount = {0, 2, 3, 9}; // box 3 is outside the team of two
    const std::vector<std::string> lines = ReportLines(r, ',');
    ASSERT_EQ(lines.size(), 11u + 4 + 2 + 11 + 2 + 11 + 1);
    EXPECT_EQ(lines[7], "(t3:t4) 0,50000 сек.");
    EXPECT_EQ(lines[8], "GlobalT1 0,25050 сек.");
    EXPECT_EQ(lines[9], "Средний выигрыша за одну раздачу = 0,30000");
    EXPECT_EQ(lines[10], "");
    EXPECT_EQ(lines[14], "");
    EXPECT_EQ(lines[15], "");
    EXPECT_EQ(lines[16], "Что приходило с раздачи (от C_Empty до C_Royal)");
    EXPECT_EQ(lines[19], "7");
    EXPECT_EQ(lines[28], "");
    EXPECT_EQ(lines[29], "С чем приходили к финалу (от C_Empty до C_Royal)");
    EXPECT_EQ(lines[32], "6\t%won=2\t%nogame=1\t%lose=3\t%pass=4");
    EXPECT_EQ(lines.back(), "BuyCount=5");
}

TEST(Report, NoDealsPlayedGivesNoFigures) {
    TRunResult r = TenDeals();
    r.Deals = 0;
    r.Net = {0, 0, 0, 0};
    r.SumSquares = 0;
    const std::vector<std::string> lines = ReportLines(r, ',');
    EXPECT_EQ(lines[7], "MO одной раздачи = 0,00000");
    EXPECT_EQ(lines[9], "Ср.кв.отклонение = 0,00000");
}

TEST(Report, BankLogLineUsesTheGeneralFormat) {
    std::string line;
    BankLogLine(101, 98.5, 100, ',', line);
    EXPECT_EQ(line, "101\t98,5\t100\t299,5");
    BankLogLine(-3, 0.1, 1e16, ',', line);
    EXPECT_EQ(line, "-3\t0,1\t1E16\t1E16");
}

TEST(Report, GameLogMarksDrawnCardsAndNamesTheBuyRule) {
    TBoxes boxes;
    boxes[0].Hand = test::MakeHand("2S 5C 9D JH 3S");
    boxes[1].Hand = test::MakeHand("4H 7H 8H XH QS");
    boxes[1].Hand.Count = 6;
    boxes[1].Hand.Cards[6] = ParseCard("AH");
    boxes[1].Hand.Cards[6].Mark = kMarkBought;
    boxes[1].Hand.Cards[2].Mark = kMarkExchanged;
    boxes[1].BuyDecision = kRule2;
    boxes[1].Bank = 97.5;
    std::vector<std::string> log;
    AppendDealLog(boxes, 1, ',', log);
    ASSERT_EQ(log.size(), 3u);
    EXPECT_EQ(log[1], "1 :  4 Черв  ^7 Черв   8 Черв   10Черв   Q Пик   $A Черв   (нет игры)"
                      " Bank : 97,5 [buydecision =  rule2]");
    EXPECT_EQ(log[2], "");
    EXPECT_EQ(OpenCardLogLine(ParseCard("XD"), 2), "Вскрышка :10Бубен вышла 2 раз.");
}

class FilesTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::setlocale(LC_NUMERIC, "C");
        dir_ = fs::temp_directory_path() /
               ("kvarlen_files_" + std::to_string(getpid()) + "_" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_ / "out");
    }
    void TearDown() override { fs::remove_all(dir_); }
    TRunOutcome Strategy(test::FakeHost& host, int deals, bool log = false) {
        host.Settings = test::QuietSettings(1, deals);
        host.Settings.OutDir = dir_.string();
        host.Settings.Date = "20240229";
        host.Live.GameLog = log;
        TDeck deck;
        TGenerator gen;
        gen.SeedMyRandom(12345);
        TBoxes boxes;
        return SixCardSimulation(host, deck, gen, boxes);
    }
    fs::path ReportFile() const { return dir_ / "out" / "out20240229.txt"; }
    fs::path BankFile() const { return dir_ / "out" / "out_bank_20240229.txt"; }
    fs::path dir_;
};

TEST_F(FilesTest, ReportFileKeepsWhatItHeldThenTheGameLogAndTheReportIn1251) {
    // Bytes of an earlier run, as they are (a line without its CR LF included); the memo is
    // not the file's source.
    const std::string earlier = ToCp1251("отчёт утром") + "\r\nno line end";
    std::ofstream(ReportFile(), std::ios::binary) << earlier;
    test::FakeHost host;
    host.Memo = {"memo line"};
    Strategy(host, 3, true);
    const std::string bytes = ReadBytes(ReportFile());
    ASSERT_EQ(bytes.rfind(earlier, 0), 0u);
    const std::vector<std::string> lines = CrLfLines(bytes.substr(earlier.size()));
    // Three deals of two boxes: open card line, two hand lines and an empty line each.
    ASSERT_EQ(lines.size(), 12u + 11);
    EXPECT_EQ(lines[0], ToCp1251("Вскрышка :J Треф  вышла 1 раз."));
    // Per card: mark, value, suit and a blank; nine blanks for a hand of five; a blank and
    // the combination.
    const std::string five(9, ' ');
    EXPECT_EQ(lines[1],
              ToCp1251("0 :  J Треф   7 Бубен  9 Черв   3 Бубен  2 Черв  " + five + " (нет игры)"));
    EXPECT_EQ(lines[2], ToCp1251("1 :  A Пик    J Бубен  8 Пик    10Треф   3 Треф  " + five +
                                 " (нет игры) Bank : 99"));
    EXPECT_EQ(lines[3], "");
    EXPECT_EQ(lines[12], ToCp1251("Чистый плюс #1 : -1 [банк был 100]"));
    EXPECT_EQ(FromCp1251(lines[12]), "Чистый плюс #1 : -1 [банк был 100]");
    EXPECT_EQ(bytes.find("memo line"), std::string::npos);
}

TEST_F(FilesTest, TwoRunsOnOneDayLeaveOneFileWithBothReports) {
    // The second run's host has an empty memo, as after a restart or "C".
    test::FakeHost first, second;
    Strategy(first, 5);
    Strategy(second, 7);
    const std::vector<std::string> lines = CrLfLines(ReadBytes(ReportFile()));
    ASSERT_EQ(lines.size(), first.Memo.size() + second.Memo.size());
    EXPECT_EQ(FromCp1251(lines[6]).rfind("Было сыграно 5 раздач", 0), 0u);
    EXPECT_EQ(FromCp1251(lines[first.Memo.size() + 6]).rfind("Было сыграно 7 раздач", 0), 0u);
    // Written beside and renamed: nothing but the two files is left in the folder.
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_ / "out"), fs::directory_iterator()), 2);
}

TEST_F(FilesTest, AReportFileThatCannotBeReadIsLeftAsItWas) {
    if (geteuid() == 0) GTEST_SKIP() << "root reads every file";
    std::ofstream(ReportFile(), std::ios::binary) << "earlier\r\n";
    fs::permissions(ReportFile(), fs::perms::none);
    test::FakeHost host;
    EXPECT_TRUE(Strategy(host, 5).Ran);
    fs::permissions(ReportFile(), fs::perms::owner_read | fs::perms::owner_write);
    ASSERT_EQ(host.Messages.size(), 1u);
    EXPECT_EQ(host.Messages[0].rfind("Cannot read file \"" + ReportFile().string() + "\"", 0), 0u);
    EXPECT_EQ(ReadBytes(ReportFile()), "earlier\r\n");
}

TEST_F(FilesTest, BankFileHasALinePerDeal) {
    test::FakeHost host;
    host.Settings.Separator = ',';
    Strategy(host, 1000);
    const std::vector<std::string> lines = CrLfLines(ReadBytes(BankFile()));
    ASSERT_EQ(lines.size(), 1000u);
    for (const std::string& line : lines) {
        EXPECT_EQ(std::count(line.begin(), line.end(), '\t'), 3) << line;
        EXPECT_EQ(line.substr(line.find('\t')),
                  "\t100\t100\t" + std::to_string(StrToInt(line.substr(0, line.find('\t'))) + 200))
            << line;
    }
    EXPECT_EQ(lines.back().substr(0, lines.back().find('\t')),
              FormatGeneral(100 + std::stod(host.Memo[0].substr(host.Memo[0].find(": ") + 2))));
}

TEST_F(FilesTest, GameLogOfStreamsContinuesTheBanksAsTheBankFileDoes) {
    // Two boxes on three streams: the log's banks must read as the bank file's, deal by deal,
    // where each stream continues from the banks the one before it left.
    test::FakeHost host;
    host.Settings = test::QuietSettings(2, 900);
    host.Settings.OutDir = dir_.string();
    host.Settings.Date = "20240229";
    host.Live.GameLog = true;
    TStreamOptions options;
    options.Threads = 3;
    options.Seed = 77;
    ASSERT_TRUE(RunSimulationStreams(host, false, options).Ran);
    std::vector<std::string> box1, box2;
    for (const std::string& raw : CrLfLines(ReadBytes(ReportFile()))) {
        const std::string line = FromCp1251(raw);
        const size_t at = line.find(" Bank : ");
        if (at == std::string::npos) continue;
        std::string bank = line.substr(at + 8);
        bank = bank.substr(0, bank.find(' '));
        (line.rfind("1 : ", 0) == 0 ? box1 : box2).push_back(bank);
    }
    const std::vector<std::string> banks = CrLfLines(ReadBytes(BankFile()));
    ASSERT_EQ(banks.size(), 900u);
    ASSERT_EQ(box1.size(), 900u);
    ASSERT_EQ(box2.size(), 900u);
    for (size_t k = 0; k < banks.size(); ++k) {
        std::istringstream cols(banks[k]);
        std::string b1, b2;
        std::getline(cols, b1, '\t');
        std::getline(cols, b2, '\t');
        ASSERT_EQ(box1[k], b1) << "deal " << k + 1;
        ASSERT_EQ(box2[k], b2) << "deal " << k + 1;
    }
}

TEST_F(FilesTest, AFailedReportFileStillEndsTheRun) {
    // A folder where the report file should be: it cannot be created.
    fs::create_directories(ReportFile());
    test::FakeHost host;
    const TRunOutcome out = Strategy(host, 50);
    EXPECT_TRUE(out.Ran);
    ASSERT_EQ(host.Messages.size(), 1u);
    EXPECT_EQ(host.Messages[0].rfind("Cannot create file \"" + ReportFile().string() + "\"", 0),
              0u);
    EXPECT_EQ(host.Caption, "ready");
    EXPECT_EQ(host.DeckDirty, 1);
    EXPECT_EQ(CrLfLines(ReadBytes(BankFile())).size(), 50u);
}

TEST_F(FilesTest, AFailedReportFileStillClosesTheHistory) {
    fs::create_directories(ReportFile());
    test::FakeHost host;
    host.Settings = test::QuietSettings(1, 12);
    host.Settings.OutDir = dir_.string();
    host.Settings.Date = "20240229";
    host.Settings.DbfPath = (dir_ / "DBF" / "1box.DBF").string();
    host.Live.DbfHistory = true;
    TDeck deck;
    TGenerator gen;
    gen.SeedMyRandom(3);
    TBoxes boxes;
    ASSERT_TRUE(IDEAL_SixCardSimulation(host, deck, gen, boxes).Ran);
    EXPECT_EQ(host.Messages.size(), 1u);
    // Closed: the header on disk holds every record, and the table opens again for writing.
    DBFHandle dbf = DBFOpen(host.Settings.DbfPath.c_str(), "rb+");
    ASSERT_NE(dbf, nullptr);
    EXPECT_EQ(DBFGetRecordCount(dbf), 12);
    DBFClose(dbf);
}

TEST(TextFiles, Cp1251RoundTripAndUnknownCharacters) {
    EXPECT_EQ(ToCp1251("Пик"), "\xCF\xE8\xEA");
    EXPECT_EQ(FromCp1251("\xCF\xE8\xEA"), "Пик");
    EXPECT_EQ(ToCp1251("a\xE2\x82\xAC"
                       "b"),
              "a\x88"
              "b"); // the euro sign is in 1251
    EXPECT_EQ(ToCp1251("a\xE4\xB8\xAD"
                       "b"),
              "a?b"); // a CJK character is not
    EXPECT_EQ(DateStamp().size(), 8u);
}

// A file that cannot be made says why its folder is missing, not only "No such file".
TEST(FileErrors, AMissingFolderIsNamedWithTheReasonItCouldNotBeMade) {
    const std::filesystem::path base =
        std::filesystem::temp_directory_path() / ("kvarlen_missing_" + std::to_string(getpid()));
    std::filesystem::remove_all(base);
    std::string error;
    EXPECT_FALSE(WriteTextFile((base / "out" / "out.txt").string(), {"x"}, error));
    EXPECT_NE(error.find("No such file or directory"), std::string::npos) << error;
    EXPECT_NE(error.find("The folder \"" + (base / "out").string() + "\" is missing"),
              std::string::npos)
        << error;
    if (geteuid() == 0) return; // root may write anywhere: the refusal cannot be shown
    std::filesystem::create_directories(base);
    std::filesystem::permissions(base, std::filesystem::perms::owner_read |
                                           std::filesystem::perms::owner_exec);
    EXPECT_FALSE(WriteTextFile((base / "out" / "out.txt").string(), {"x"}, error));
    EXPECT_NE(error.find("Permission denied"), std::string::npos) << error;
    std::filesystem::permissions(base, std::filesystem::perms::owner_all);
    std::filesystem::remove_all(base);
}

} // namespace
} // namespace kvarlen
