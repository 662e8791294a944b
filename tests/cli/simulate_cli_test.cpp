#include "cli_runner.h"
#include "simulation/simulation_run.h"
#include "simulation/text_files.h"

#include <nlohmann/json.hpp>

#include <gtest/gtest.h>
#include <shapefil.h>

#include <clocale>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace kvarlen {
namespace {

using test::RunCli;
using Json = nlohmann::json;
namespace fs = std::filesystem;

class Folder {
  public:
    explicit Folder(const std::string& name)
        : path_(fs::temp_directory_path() /
                ("kvarlen_simcli_" + std::to_string(getpid()) + "_" + name)) {
        fs::remove_all(path_);
        fs::create_directories(path_);
    }
    ~Folder() { fs::remove_all(path_); }
    std::string operator/(const std::string& f) const { return (path_ / f).string(); }
    std::string Str() const { return path_.string(); }

  private:
    fs::path path_;
};

std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

void Write(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

// The desktop's run: the same engine on one deck and generator seeded alike.
class DesktopHost : public TSimulationHost {
  public:
    TRunSettings Settings;
    TLiveOptions Live;
    TRunSettings ReadRunSettings() override { return Settings; }
    void ReadLiveOptions(TLiveOptions& o) override { o = Live; }
    void AppendReport(const std::vector<std::string>&) override {}
    std::vector<std::string> MemoLines() override { return {}; }
};

TEST(SimulateCli, OneThreadDealsWhatTheDesktopDeals) {
    const test::TCliRun run = RunCli("simulate --boxes 2 --deals 30000 --seed 77 --stats --json");
    ASSERT_EQ(run.Status, 0) << run.Err;
    const Json j = Json::parse(run.Out);

    DesktopHost host;
    host.Settings.TeamSize = 2;
    host.Settings.DealsToPlay = 30000;
    host.Settings.OutDir.clear();
    host.Live.Statistics = true;
    TDeck deck;
    TGenerator gen;
    gen.SeedMyRandom(77);
    TBoxes boxes;
    const TRunResult r = SixCardSimulation(host, deck, gen, boxes).Result;
    EXPECT_EQ(j["deals"], 30000);
    EXPECT_EQ(j["net"][0].get<double>(), r.Net[1]);
    EXPECT_EQ(j["net"][1].get<double>(), r.Net[2]);
    EXPECT_EQ(j["sum_squares"].get<double>(), r.SumSquares);
    EXPECT_EQ(j["dealt_by_class"][2].get<int64_t>(), r.Stats.DealtByClass[3]);
    EXPECT_DOUBLE_EQ(j["mo"].get<double>(), (r.Net[1] + r.Net[2]) / 30000);
    EXPECT_EQ(j["seeds"][0], 77);
}

TEST(SimulateCli, TwoThreadsFromOneSeedRepeat) {
    const std::string args = "simulate --deals 40000 --seed 9 --threads 2 --json";
    Json a = Json::parse(RunCli(args).Out), b = Json::parse(RunCli(args).Out);
    a.erase("timings");
    b.erase("timings");
    EXPECT_EQ(a, b);
    EXPECT_EQ(a["deals"], 40000);
    EXPECT_EQ(a["threads"], 2);
}

TEST(SimulateCli, TextReportAndNoProgressWhenStderrIsNoTerminal) {
    const test::TCliRun run = RunCli("simulate --deals 25000 --seed 3 --bank 50");
    ASSERT_EQ(run.Status, 0) << run.Err;
    EXPECT_EQ(run.Out.rfind("Чистый плюс #1 : ", 0), 0u);
    EXPECT_NE(run.Out.find("Чистый плюс #2 : 0 [банк был 50]\n"), std::string::npos);
    EXPECT_NE(run.Out.find("Было сыграно 25000 раздач за "), std::string::npos);
    EXPECT_NE(run.Out.find("MO одной раздачи = "), std::string::npos);
    EXPECT_EQ(run.Err, "");
}

TEST(SimulateCli, RefusedRuns) {
    for (const char* args :
         {"simulate --boxes 0", "simulate --boxes 4 --deals 10", "simulate --deals 0",
          "simulate --price-buy6 abc", "simulate --pay \"1,2,3\"", "simulate --filter pairs",
          "simulate --mode ideal --filter nines", "simulate --mode fast",
          "simulate --dealer-game middle", "simulate --log --deals 5", "simulate --threads 0",
          "simulate --seed -4", "simulate --mode strategy --dbf x.dbf"}) {
        const test::TCliRun run = RunCli(args);
        EXPECT_EQ(run.Status, 2) << args;
        EXPECT_EQ(run.Out, "") << args;
        EXPECT_EQ(run.Err.rfind("kvarlen-cli simulate: ", 0), 0u) << args << ": " << run.Err;
    }
}

TEST(SimulateCli, FilesInTheOutFolder) {
    Folder dir("files");
    const test::TCliRun run =
        RunCli("simulate --deals 300 --seed 12345 --log --out \"" + dir.Str() + "\"");
    ASSERT_EQ(run.Status, 0) << run.Err;
    const std::string date = DateStamp();
    const std::string report = Read(dir / ("out/out" + date + ".txt"));
    EXPECT_EQ(report.rfind(ToCp1251("Вскрышка :J Треф  вышла 1 раз.") + "\r\n", 0), 0u);
    EXPECT_NE(report.find(ToCp1251("Было сыграно 300 раздач")), std::string::npos);
    EXPECT_EQ(report.find("\xD0"), std::string::npos); // no UTF-8 left
    const std::string bank = Read(dir / ("out/out_bank_" + date + ".txt"));
    EXPECT_EQ(std::count(bank.begin(), bank.end(), '\n'), 300);
    EXPECT_EQ(std::count(bank.begin(), bank.end(), '\r'), 300);
    EXPECT_EQ(bank.rfind("99\t100\t100\t299\r\n", 0), 0u);
}

TEST(SimulateCli, DealLogAndItsFailures) {
    Folder dir("deallog");
    // CSV with a header, one row per box and deal; the name picks JSON lines.
    test::TCliRun run = RunCli("simulate --boxes 2 --deals 500 --seed 4 --threads 2 --deal-log \"" +
                               (dir / "deals.csv") + "\"");
    ASSERT_EQ(run.Status, 0) << run.Err;
    const std::string csv = Read(dir / "deals.csv");
    EXPECT_EQ(csv.rfind("Stream,Deal,Seed,Box,DealerCards,DealerClass,Cards,Class,", 0), 0u);
    EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 1 + 2 * 500);
    run = RunCli("simulate --deals 30 --seed 4 --deal-log \"" + (dir / "deals.jsonl") + "\"");
    ASSERT_EQ(run.Status, 0) << run.Err;
    std::istringstream lines(Read(dir / "deals.jsonl"));
    std::string line;
    int rows = 0;
    while (std::getline(lines, line)) {
        const Json row = Json::parse(line);
        EXPECT_EQ(row.at("Seed"), 4);
        EXPECT_EQ(row.at("Cards").get<std::string>().size(), 14u);
        ++rows;
    }
    EXPECT_EQ(rows, 30);

    // A file that cannot be created: nothing played, exit 1 naming it. One that cannot be
    // written: the report still comes, exit 1 naming it.
    run = RunCli("simulate --deals 30 --seed 4 --deal-log \"" + (dir / "no/deals.csv") + "\"");
    EXPECT_EQ(run.Status, 1);
    EXPECT_TRUE(run.Out.empty());
    EXPECT_NE(run.Err.find(dir / "no/deals.csv"), std::string::npos) << run.Err;
    if (fs::exists("/dev/full")) {
        run = RunCli("simulate --deals 5000 --seed 4 --deal-log /dev/full");
        EXPECT_EQ(run.Status, 1);
        EXPECT_NE(run.Out.find("Было сыграно 5000 раздач"), std::string::npos);
        EXPECT_NE(run.Err.find("\"/dev/full\""), std::string::npos) << run.Err;
        EXPECT_TRUE(fs::exists("/dev/full"));
    }
}

TEST(SimulateCli, IdealPlayWritesTheHistory) {
    std::setlocale(LC_NUMERIC, "C");
    Folder dir("dbf");
    const std::string table = dir / "DBF/1box.DBF";
    const test::TCliRun run = RunCli("simulate --mode ideal --deals 25 --seed 8 --filter any "
                                     "--dbf \"" +
                                     table + "\" --json");
    ASSERT_EQ(run.Status, 0) << run.Err;
    EXPECT_EQ(Json::parse(run.Out)["conditions"]["info"], "beacon");
    DBFHandle dbf = DBFOpen(table.c_str(), "rb");
    ASSERT_NE(dbf, nullptr);
    EXPECT_EQ(DBFGetRecordCount(dbf), 25);
    EXPECT_EQ(DBFGetFieldCount(dbf), 29);
    DBFClose(dbf);
}

TEST(MergeCli, CombinesRunsUnderTheSameConditions) {
    Folder dir("merge");
    for (int seed : {1, 2, 3})
        Write(dir / ("r" + std::to_string(seed) + ".json"),
              RunCli("simulate --deals 20000 --stats --json --seed " + std::to_string(seed)).Out);
    const Json a = Json::parse(Read(dir / "r1.json")), b = Json::parse(Read(dir / "r2.json"));
    const test::TCliRun merged =
        RunCli("merge --json \"" + (dir / "r1.json") + "\" \"" + (dir / "r2.json") + "\"");
    ASSERT_EQ(merged.Status, 0) << merged.Err;
    const Json m = Json::parse(merged.Out);
    EXPECT_EQ(m["deals"], 40000);
    const double net = a["net"][0].get<double>() + b["net"][0].get<double>();
    EXPECT_DOUBLE_EQ(m["net"][0].get<double>(), net);
    EXPECT_DOUBLE_EQ(m["mo"].get<double>(), net / 40000);
    EXPECT_DOUBLE_EQ(m["sum_squares"].get<double>(),
                     a["sum_squares"].get<double>() + b["sum_squares"].get<double>());
    EXPECT_EQ(m["final_by_class"][2].get<int64_t>(),
              a["final_by_class"][2].get<int64_t>() + b["final_by_class"][2].get<int64_t>());
    Write(dir / "m12.json", merged.Out);

    // A merged result merges again; the text is the report.
    const test::TCliRun text =
        RunCli("merge \"" + (dir / "m12.json") + "\" \"" + (dir / "r3.json") + "\"");
    ASSERT_EQ(text.Status, 0) << text.Err;
    EXPECT_NE(text.Out.find("Было сыграно 60000 раздач"), std::string::npos);
    EXPECT_NE(text.Out.find("BuyCount="), std::string::npos);
}

TEST(MergeCli, RefusesWhatCannotBeMerged) {
    Folder dir("refuse");
    Write(dir / "one.json", RunCli("simulate --deals 1000 --seed 1 --json").Out);
    Write(dir / "two.json", RunCli("simulate --deals 1000 --seed 2 --boxes 2 --json").Out);
    Write(dir / "pay.json",
          RunCli("simulate --deals 1000 --seed 3 --pay \"1,1,2,3,4,5,8,20,50,100\" --json").Out);
    Write(dir / "bad.json", "{\"format\": \"something else\"}");
    Write(dir / "text.json", "not json");
    const std::string one = "\"" + (dir / "one.json") + "\" ";
    for (const std::string& files :
         {one + "\"" + (dir / "two.json") + "\"", one + "\"" + (dir / "pay.json") + "\"", one + one,
          one + "\"" + (dir / "missing.json") + "\"", one + "\"" + (dir / "bad.json") + "\"",
          one + "\"" + (dir / "text.json") + "\""}) {
        const test::TCliRun run = RunCli("merge " + files);
        EXPECT_EQ(run.Status, 2) << files;
        EXPECT_EQ(run.Out, "") << files;
        EXPECT_EQ(run.Err.rfind("kvarlen-cli merge: ", 0), 0u) << run.Err;
    }
}

} // namespace
} // namespace kvarlen
