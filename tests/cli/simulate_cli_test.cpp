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
          "simulate --seed -4", "simulate --mode strategy --dbf x.dbf",
          "simulate --mode ideal --deals 5 --dbf ''", "simulate --deals 5 --deal-log ''",
          "simulate --deals 5 --price-buy6 1e400", "simulate --deals 5 --price-change2 x"}) {
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

TEST(SimulateCli, MessagesNameTheOption) {
    EXPECT_NE(RunCli("simulate --deals 5 --price-buy6 1e400")
                  .Err.find("--price-buy6: '1e400' is not a valid floating point value"),
              std::string::npos);
    EXPECT_NE(RunCli("simulate --deals 5 --pay \"1,x,2,3,4,5,7,20,50,100\"")
                  .Err.find("--pay: the payout of a pair: 'x' is not a valid integer value"),
              std::string::npos);
}

TEST(SimulateCli, TwoRunsOnOneDayKeepBothReports) {
    Folder dir("two_reports");
    for (const char* deals : {"300", "700"})
        ASSERT_EQ(RunCli(std::string("simulate --deals ") + deals + " --seed 3 --out \"" +
                         dir.Str() + "\"")
                      .Status,
                  0);
    const std::string report = Read(dir / ("out/out" + DateStamp() + ".txt"));
    const size_t first = report.find(ToCp1251("Было сыграно 300 раздач"));
    const size_t second = report.find(ToCp1251("Было сыграно 700 раздач"));
    ASSERT_NE(first, std::string::npos);
    ASSERT_NE(second, std::string::npos);
    EXPECT_LT(first, second);
    EXPECT_EQ(std::count(report.begin(), report.end(), '\n'),
              std::count(report.begin(), report.end(), '\r'));
}

TEST(SimulateCli, OutputsThatAreOneFileAreRefusedBeforeTheFirstDeal) {
    Folder dir("same_file");
    const std::string date = DateStamp();
    const std::string out = "--out \"" + dir.Str() + "\" ";
    ASSERT_EQ(RunCli("simulate --deals 30 --seed 2 " + out).Status, 0);
    ASSERT_EQ(
        RunCli("simulate --mode ideal --deals 30 --seed 2 --dbf \"" + (dir / "DBF") + "\"").Status,
        0);
    const std::string report = Read(dir / ("out/out" + date + ".txt"));
    const std::string bank = Read(dir / ("out/out_bank_" + date + ".txt"));
    const std::string table = Read(dir / "DBF/1box.DBF");
    fs::create_symlink(dir / "DBF/1box.DBF", dir / "table-link.csv");
    const std::string ideal =
        "simulate --mode ideal --deals 30 --seed 2 --dbf \"" + (dir / "DBF") + "\" --deal-log \"";
    for (const std::string& args :
         {ideal + (dir / "DBF/1box.DBF") + "\"", ideal + (dir / "DBF/../DBF/./1box.DBF") + "\"",
          ideal + (dir / "table-link.csv") + "\"",
          "simulate --deals 30 --seed 2 " + out + "--deal-log \"" +
              (dir / ("out/out" + date + ".txt")) + "\"",
          "simulate --deals 30 --seed 2 " + out + "--deal-log \"" +
              (dir / ("./out/out_bank_" + date + ".txt")) + "\"",
          ideal + (dir / ("out/out" + date + ".txt")) + "\" " + out}) {
        const test::TCliRun run = RunCli(args);
        EXPECT_EQ(run.Status, 2) << args << "\n" << run.Err;
        EXPECT_EQ(run.Out, "") << args;
        EXPECT_NE(run.Err.find("один и тот же файл"), std::string::npos) << run.Err;
        EXPECT_EQ(Read(dir / ("out/out" + date + ".txt")), report) << args;
        EXPECT_EQ(Read(dir / ("out/out_bank_" + date + ".txt")), bank) << args;
        EXPECT_EQ(Read(dir / "DBF/1box.DBF"), table) << args;
    }
    // Names of files that do not exist yet are compared too: nothing is made.
    Folder fresh("same_file_new");
    const test::TCliRun run =
        RunCli("simulate --mode ideal --deals 30 --seed 2 --dbf \"" + (fresh / "DBF") +
               "\" --deal-log \"" + (fresh / "DBF/x/../1box.DBF") + "\"");
    EXPECT_EQ(run.Status, 2) << run.Err;
    EXPECT_FALSE(fs::exists(fresh / "DBF"));
}

TEST(SimulateCli, ARelativeNewTableOnTwoThreadsRuns) {
    Folder dir("relative_dbf");
    const test::TCliRun run = RunCli("simulate --mode ideal --deals 40 --seed 3 --threads 2 "
                                     "--dbf DBF --json",
                                     0, dir.Str());
    ASSERT_EQ(run.Status, 0) << run.Err;
    EXPECT_TRUE(fs::exists(dir / "DBF/1box.DBF"));
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

TEST(SimulateCli, OptimalPlayIsIdealPlayByBestPlay) {
    std::setlocale(LC_NUMERIC, "C");
    const std::string args =
        "simulate --mode optimal --boxes 2 --info in-turn --deals 3000 --seed 77 --stats --json";
    const test::TCliRun run = RunCli(args);
    ASSERT_EQ(run.Status, 0) << run.Err;
    Json j = Json::parse(run.Out);
    EXPECT_EQ(j["conditions"]["mode"], "optimal");
    EXPECT_EQ(j["conditions"]["info"], "in-turn");
    EXPECT_EQ(j["conditions"]["filter"], "any");

    // --threads 1 deals what the engine deals on the calling thread.
    DesktopHost host;
    host.Settings.TeamSize = 2;
    host.Settings.DealsToPlay = 3000;
    host.Settings.OutDir.clear();
    host.Settings.BestPlay = true;
    host.Live.Statistics = true;
    host.Live.Mode = TInfoMode::InTurn;
    TDeck deck;
    TGenerator gen;
    gen.SeedMyRandom(77);
    TBoxes boxes;
    const TRunResult r = IDEAL_SixCardSimulation(host, deck, gen, boxes).Result;
    EXPECT_EQ(j["deals"], 3000);
    EXPECT_EQ(j["net"][0].get<double>(), r.Net[1]);
    EXPECT_EQ(j["net"][1].get<double>(), r.Net[2]);
    EXPECT_EQ(j["sum_squares"].get<double>(), r.SumSquares);
    EXPECT_EQ(j["buy_count"][1].get<int64_t>(), r.Stats.BuyCount[2]);
    EXPECT_EQ(j["pass_by_class"][0].get<int64_t>(), r.Stats.PassByClass[1]);

    // A fixed seed repeats.
    Json again = Json::parse(RunCli(args).Out);
    j.erase("timings");
    again.erase("timings");
    EXPECT_EQ(j, again);

    // The options of ideal play apply: exchanging, a filter, the history table.
    Folder dir("optimal");
    const std::string table = dir / "DBF/1box.DBF";
    const test::TCliRun ex = RunCli("simulate --mode optimal --exchange1 --no-buy --filter pairs "
                                    "--deals 200 --seed 5 --json --dbf \"" +
                                    table + "\"");
    ASSERT_EQ(ex.Status, 0) << ex.Err;
    const Json e = Json::parse(ex.Out);
    EXPECT_EQ(e["conditions"]["rules"]["exchange1"], true);
    EXPECT_EQ(e["conditions"]["filter"], "pairs");
    EXPECT_EQ(e["deals"], 200);
    DBFHandle dbf = DBFOpen(table.c_str(), "rb");
    ASSERT_NE(dbf, nullptr);
    EXPECT_EQ(DBFGetRecordCount(dbf), 200);
    DBFClose(dbf);

    const test::TCliRun bad = RunCli("simulate --mode optimal --filter nines");
    EXPECT_EQ(bad.Status, 2);
    EXPECT_EQ(bad.Out, "");
}

TEST(MergeCli, OptimalMergesWithOptimalOnly) {
    Folder dir("merge_optimal");
    for (int seed : {1, 2})
        Write(dir / ("o" + std::to_string(seed) + ".json"),
              RunCli("simulate --mode optimal --deals 500 --json --seed " + std::to_string(seed))
                  .Out);
    Write(dir / "i3.json", RunCli("simulate --mode ideal --deals 500 --json --seed 3").Out);
    const std::string o1 = "\"" + (dir / "o1.json") + "\" ";
    const test::TCliRun merged = RunCli("merge --json " + o1 + "\"" + (dir / "o2.json") + "\"");
    ASSERT_EQ(merged.Status, 0) << merged.Err;
    const Json m = Json::parse(merged.Out);
    EXPECT_EQ(m["deals"], 1000);
    EXPECT_EQ(m["conditions"]["mode"], "optimal");
    Write(dir / "m.json", merged.Out);

    for (const std::string& files :
         {o1 + "\"" + (dir / "i3.json") + "\"", "\"" + (dir / "i3.json") + "\" " + o1,
          "\"" + (dir / "m.json") + "\" \"" + (dir / "i3.json") + "\""}) {
        const test::TCliRun run = RunCli("merge " + files);
        EXPECT_EQ(run.Status, 2) << files;
        EXPECT_EQ(run.Out, "") << files;
        EXPECT_NE(run.Err.find("--mode"), std::string::npos) << run.Err;
    }
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

TEST(MergeCli, EveryStreamsSeedCountsOnce) {
    Folder dir("merge_streams");
    const test::TCliRun two = RunCli("simulate --deals 1000 --seed 5 --threads 2 --json");
    ASSERT_EQ(two.Status, 0) << two.Err;
    const Json a = Json::parse(two.Out);
    ASSERT_EQ(a["stream_seeds"], Json::array({5, StreamSeed(5, 1)}));
    Write(dir / "a.json", two.Out);
    const std::string s1 = std::to_string(StreamSeed(5, 1));
    Write(dir / "b.json", RunCli("simulate --deals 1000 --json --seed " + s1).Out);
    // The same cards from s + 2147483647; a file from before the streams' seeds were kept.
    Json c = Json::parse(Read(dir / "b.json"));
    c["seeds"] = c["stream_seeds"] = {StreamSeed(5, 1) + 2147483647u};
    Write(dir / "c.json", c.dump());
    Json old = a;
    old.erase("stream_seeds");
    Write(dir / "old.json", old.dump());
    Write(dir / "d.json", RunCli("simulate --deals 1000 --json --seed 6").Out);
    const auto q = [&](const std::string& f) { return "\"" + (dir / f) + "\" "; };
    for (const std::string& files : {q("a.json") + q("b.json"), q("b.json") + q("a.json"),
                                     q("a.json") + q("c.json"), q("old.json") + q("b.json")}) {
        const test::TCliRun run = RunCli("merge " + files);
        EXPECT_EQ(run.Status, 2) << files;
        EXPECT_NE(run.Err.find("the same deals twice"), std::string::npos) << run.Err;
    }
    // Other seeds merge, and the merged file keeps every stream's seed for the next merge.
    const test::TCliRun merged = RunCli("merge --json " + q("a.json") + q("d.json"));
    ASSERT_EQ(merged.Status, 0) << merged.Err;
    EXPECT_EQ(Json::parse(merged.Out)["stream_seeds"], Json::array({5, StreamSeed(5, 1), 6}));
    Write(dir / "m.json", merged.Out);
    EXPECT_EQ(RunCli("merge " + q("m.json") + q("b.json")).Status, 2);
    EXPECT_EQ(RunCli("merge " + q("old.json") + q("d.json")).Status, 0);
}

TEST(MergeCli, DeepHugeAndLongValuesAreRefusedShortly) {
    Folder dir("merge_limits");
    const std::string good = RunCli("simulate --deals 100 --seed 1 --json").Out;
    Write(dir / "one.json", good);
    Json j = Json::parse(good);
    j["seeds"] = j["stream_seeds"] = {2};
    const std::string two = j.dump();
    const size_t net = two.find("\"net\":");
    ASSERT_NE(net, std::string::npos);
    const std::string deep = two.substr(0, net) + "\"deep\":" + std::string(200000, '[') +
                             std::string(200000, ']') + "," + two.substr(net);
    Write(dir / "deep.json", deep);
    Json longMode = j;
    longMode["conditions"]["mode"] = std::string(3000000, 'x');
    Write(dir / "long.json", longMode.dump());
    Json longPrice = j;
    longPrice["conditions"]["rules"]["price_buy6"] = std::string(3000000, '7');
    Write(dir / "price.json", longPrice.dump());
    Json otherBank = j;
    otherBank["conditions"]["initial_bank"] = 50;
    Write(dir / "bank.json", otherBank.dump());
    Write(dir / "cut.json", "{\"format\": \"" + std::string(3000000, 'y'));
    Write(dir / "huge.json",
          two.substr(0, two.size() - 1) + ",\"pad\":\"" + std::string(17u << 20, 'z') + "\"}");
    for (const char* name :
         {"deep.json", "long.json", "price.json", "cut.json", "huge.json", "bank.json"}) {
        const std::string args = "merge \"" + (dir / "one.json") + "\" \"" + (dir / name) + "\"";
        const test::TCliRun run = RunCli(args);
        EXPECT_EQ(run.Status, 2) << name << "\n" << run.Err.substr(0, 400);
        EXPECT_EQ(run.Out, "") << name;
        EXPECT_NE(run.Err.find(dir / name), std::string::npos) << run.Err.substr(0, 400);
        EXPECT_LT(run.Err.size(), 500u) << name << "\n" << run.Err.substr(0, 600);
    }
    // A difference in the conditions is named.
    EXPECT_NE(RunCli("merge \"" + (dir / "one.json") + "\" \"" + (dir / "bank.json") + "\"")
                  .Err.find("conditions.initial_bank is 50, not 100"),
              std::string::npos);
}

} // namespace
} // namespace kvarlen
