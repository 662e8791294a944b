// kvarlen-cli exact as a user runs it: refusals before any work, a part as JSON, the merge of
// parts (also through kvarlen-cli merge), the decision chart file and a stop by a signal.
#include "cli_runner.h"

#include <nlohmann/json.hpp>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace kvarlen {
namespace {

using test::RunCli;
using Json = nlohmann::json;
namespace fs = std::filesystem;

std::string Temp(const std::string& name) {
    return (fs::temp_directory_path() /
            ("kvarlen_exactcli_" + std::to_string(getpid()) + "_" + name))
        .string();
}

std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

TEST(ExactCli, BadInputIsRefusedBeforeAnyWork) {
    const char* bad[] = {"--mode best",
                         "--part 0/4",
                         "--part 5/4",
                         "--part 2",
                         "--part a/b",
                         "--threads 0",
                         "--price-buy6 abc",
                         "--price-change1 1,x --exchange1 --no-buy",
                         "--pay 1,2,3",
                         "--pay 1,1,2,3,4,5,7,20,50,x",
                         "--boxes 2",
                         "--mode strategy --dealer-game high",
                         "--dealer-game sideways",
                         "--exchange1",
                         "--mode strategy --exchange1 --no-buy"};
    for (const char* args : bad) {
        const test::TCliRun r = RunCli(std::string("exact ") + args);
        EXPECT_EQ(r.Status, 2) << args << "\n" << r.Err;
        EXPECT_TRUE(r.Out.empty()) << args;
        EXPECT_FALSE(r.Err.empty()) << args;
    }
    // Bounds are named by their options, in the command line's language.
    const test::TCliRun pay = RunCli("exact --pay 1,1,2,3,4,5,7,20,50,13200");
    EXPECT_EQ(pay.Status, 2);
    EXPECT_NE(pay.Err.find("--pay: the payout of the royal flush must be 0..999"),
              std::string::npos)
        << pay.Err;
    const test::TCliRun price = RunCli("exact --price-buy6 1e308");
    EXPECT_EQ(price.Status, 2);
    EXPECT_NE(price.Err.find("--price-buy6 must be 0..1000"), std::string::npos) << price.Err;
    // The same switch on simulate.
    EXPECT_EQ(RunCli("simulate --mode ideal --exchange1 --deals 10").Status, 2);
    EXPECT_EQ(RunCli("simulate --mode strategy --exchange1 --no-buy --deals 10").Status, 2);
    EXPECT_EQ(RunCli("simulate --mode ideal --exchange1 --no-buy --deals 20 --seed 3").Status, 0);
}

TEST(ExactCli, APartAsJsonAndTheRefusedMergeOfAnIncompleteSet) {
    const std::string a = Temp("part7.json"), b = Temp("part8.json"), c = Temp("other.json");
    const test::TCliRun r7 = RunCli("exact --part 7/3000 --threads 2 --json > \"" + a + "\"");
    ASSERT_EQ(r7.Status, 0) << r7.Err;
    const Json j = Json::parse(Read(a));
    EXPECT_EQ(j.at("part").at("index"), 7);
    EXPECT_EQ(j.at("part").at("count"), 3000);
    EXPECT_TRUE(j.at("complete").get<bool>());
    EXPECT_EQ(j.at("draw_factor"), 42);
    ASSERT_EQ(RunCli("exact --part 8/3000 --json > \"" + b + "\"").Status, 0);
    ASSERT_EQ(RunCli("exact --part 9/3000 --no-insurance --json > \"" + c + "\"").Status, 0);

    test::TCliRun m = RunCli("exact --merge \"" + a + "\" \"" + b + "\"");
    EXPECT_EQ(m.Status, 2);
    EXPECT_NE(m.Err.find("missing"), std::string::npos) << m.Err;
    m = RunCli("exact --merge \"" + a + "\" \"" + a + "\"");
    EXPECT_EQ(m.Status, 2);
    EXPECT_NE(m.Err.find("twice"), std::string::npos) << m.Err;
    m = RunCli("merge \"" + a + "\" \"" + c + "\"");
    EXPECT_EQ(m.Status, 2);
    EXPECT_NE(m.Err.find("other rules"), std::string::npos) << m.Err;
    m = RunCli("exact --merge \"" + a + "\" --no-buy");
    EXPECT_EQ(m.Status, 2);
    std::ofstream(b) << "{\"format\": \"kvarlen-exact-result\"}";
    m = RunCli("exact --merge \"" + a + "\" \"" + b + "\"");
    EXPECT_EQ(m.Status, 2);
    EXPECT_NE(m.Err.find(b), std::string::npos) << m.Err;
    for (const std::string& f : {a, b, c}) fs::remove(f);
}

TEST(ExactCli, ClassicGameTableChartAndMerge) {
    const std::string json = Temp("classic.json"), csv = Temp("classic.csv");
    const test::TCliRun r = RunCli("exact --no-buy --no-insurance --json --decisions \"" + csv +
                                   "\" > \"" + json + "\"");
    ASSERT_EQ(r.Status, 0) << r.Err;
    const Json j = Json::parse(Read(json));
    EXPECT_EQ(j.at("summary").at("deals"), "19933230517200");
    EXPECT_EQ(j.at("summary").at("net"), "-1041372912372");
    const std::string chart = Read(csv);
    EXPECT_EQ(chart.rfind("dealt;open;deals;passed;raised;", 0), 0u);
    EXPECT_NE(chart.find("\r\nace + king;K;"), std::string::npos);
    // A whole run is its own single part: merged, it gives the same table.
    const test::TCliRun text = RunCli("merge \"" + json + "\"");
    ASSERT_EQ(text.Status, 0) << text.Err;
    EXPECT_NE(text.Out.find("19933230517200"), std::string::npos);
    EXPECT_NE(text.Out.find("Exact net result: -1041372912372 antes"), std::string::npos);
    EXPECT_NE(text.Out.find("box wins with royal flush"), std::string::npos);
    fs::remove(json);
    fs::remove(csv);
}

TEST(ExactCli, AChartThatCannotBeWrittenFailsBeforeTheRun) {
    const test::TCliRun r = RunCli("exact --part 1/5000 --decisions /nonexistent-folder/c.csv");
    EXPECT_EQ(r.Status, 1);
    EXPECT_TRUE(r.Out.empty());
    EXPECT_NE(r.Err.find("/nonexistent-folder/c.csv"), std::string::npos) << r.Err;
}

TEST(ExactCli, ASignalStopsTheRunAndSaysItIsIncomplete) {
    for (const char* sig : {"INT", "TERM"}) {
        const std::string out = Temp(std::string("stopped_") + sig + ".txt");
        const std::string err = Temp(std::string("stopped_") + sig + ".err");
        // The shell starts the run in the background, signals it after a moment and reports
        // its status.
        const test::TCliRun r =
            RunCli(std::string("exact --threads 1 > \"") + out + "\" 2>\"" + err +
                   "\" & p=$!; sleep 1; kill -" + sig + " $p; wait $p; echo status=$?");
        EXPECT_NE(r.Out.find("status=3"), std::string::npos) << sig << ": " << r.Out << r.Err;
        EXPECT_NE(Read(err).find("INCOMPLETE"), std::string::npos) << Read(err);
        EXPECT_NE(Read(out).find("INCOMPLETE"), std::string::npos);
        fs::remove(out);
        fs::remove(err);
    }
}

// A stopped run keeps the chart asked for and writes what it counted beside it, so named.
TEST(ExactCli, AStoppedRunKeepsTheEarlierChart) {
    const std::string chart = Temp("kept.csv"), partial = Temp("kept.INCOMPLETE.csv");
    { std::ofstream(chart) << "the earlier chart\n"; }
    const test::TCliRun r = RunCli("exact --threads 1 --decisions \"" + chart +
                                   "\" > /dev/null & p=$!; sleep 1; kill -TERM $p; wait $p; "
                                   "echo status=$?");
    EXPECT_NE(r.Out.find("status=3"), std::string::npos) << r.Out << r.Err;
    EXPECT_EQ(Read(chart), "the earlier chart\n");
    EXPECT_EQ(Read(partial).rfind("dealt;open;deals;", 0), 0u);
    fs::remove(chart);
    fs::remove(partial);
}

TEST(ExactCli, NamesAndIntegersAreCheckedBeforeTheRun) {
    for (const char* args : {"--decisions ''", "--merge ''", "--threads 0x2", "--boxes 0x1",
                             "--part 5649151/9999999", "--part 1/9999999"}) {
        const test::TCliRun r = RunCli(std::string("exact ") + args);
        EXPECT_EQ(r.Status, 2) << args << "\n" << r.Err;
        EXPECT_TRUE(r.Out.empty()) << args;
    }
    // Decimal whatever the leading zeros.
    const test::TCliRun ten = RunCli("exact --part 1/5000 --threads 010");
    ASSERT_EQ(ten.Status, 0) << ten.Err;
    EXPECT_NE(ten.Out.find("on 10 threads"), std::string::npos) << ten.Out;
    // A name the temporary file cannot take fails before the run, not after it.
    const std::string longName = Temp(std::string(223, 'c') + ".csv"); // 250 characters
    const test::TCliRun tooLong = RunCli("exact --part 1/5000 --decisions \"" + longName + "\"");
    EXPECT_EQ(tooLong.Status, 1) << tooLong.Err;
    EXPECT_TRUE(tooLong.Out.empty());
    std::error_code ec;
    EXPECT_FALSE(fs::exists(longName, ec));
}

TEST(ExactCli, AChartIsWrittenThroughASymbolicLink) {
    const std::string target = Temp("target.csv"), link = Temp("link.csv");
    { std::ofstream(target) << "old\n"; }
    fs::remove(link);
    fs::create_symlink(target, link);
    const test::TCliRun r = RunCli("exact --part 1/5000 --decisions \"" + link + "\"");
    ASSERT_EQ(r.Status, 0) << r.Err;
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(Read(target).rfind("dealt;open;deals;", 0), 0u);
    fs::remove(link);
    fs::remove(target);
}

TEST(ExactCli, MergeRefusesRuleOptionsAndEditedFilesByName) {
    const std::string part = Temp("p1.json"), edited = Temp("edited.json");
    ASSERT_EQ(RunCli("exact --part 1/1 --no-buy --no-insurance --json > \"" + part + "\"").Status,
              0);
    for (const char* opt : {"--dealer-game high", "--ante-paid", "--price-change2 5",
                            "--price-dealer-game 2", "--threads 2"}) {
        const test::TCliRun r = RunCli("exact --merge \"" + part + "\" " + opt);
        EXPECT_EQ(r.Status, 2) << opt;
        EXPECT_TRUE(r.Out.empty()) << opt;
    }
    Json j = Json::parse(Read(part));
    j["tally"]["rows"]["deals"][0] = j["tally"]["rows"]["deals"][0].get<uint64_t>() + 1;
    { std::ofstream(edited) << j.dump(); }
    for (const char* cmd : {"exact --merge", "merge"}) {
        const test::TCliRun r = RunCli(std::string(cmd) + " \"" + edited + "\"");
        EXPECT_EQ(r.Status, 2) << cmd;
        EXPECT_TRUE(r.Out.empty()) << cmd;
        EXPECT_NE(r.Err.find(edited), std::string::npos) << r.Err;
    }
    fs::remove(part);
    fs::remove(edited);
}

// Every subcommand checks that its standard output was written: a full disk is a failure.
TEST(CliOutput, EveryCommandFailsOnAFullStandardOutput) {
    const std::string part = Temp("full.json");
    ASSERT_EQ(RunCli("exact --no-buy --no-insurance --json > \"" + part + "\"").Status, 0);
    const std::string commands[] = {
        "exact --part 1/5000 --json",
        "exact --part 1/5000",
        "exact --merge \"" + part + "\" --part 1/1",
        "merge \"" + part + "\" --json",
        "analyse --cards \"AH KS XC 3C XD\" --dealer XS --json",
        "analyse --cards \"AH KS XC 3C XD\" --dealer XS --best",
        "bankroll --mo 0,05 --variance 2,5 --bank 100 --deals 10000",
        "simulate --deals 50 --seed 3 --out '' --json",
    };
    for (const std::string& c : commands) {
        const test::TCliRun r = RunCli(c + " > /dev/full");
        if (c.find("--part 1/1") != std::string::npos) {
            EXPECT_EQ(r.Status, 2) << c; // refused input stays a refusal
            continue;
        }
        EXPECT_EQ(r.Status, 1) << c << "\n" << r.Err;
        EXPECT_NE(r.Err.find("No space left on device"), std::string::npos) << c << "\n" << r.Err;
    }
    fs::remove(part);
}

bool EndsWith(const std::string& s, const std::string& end) {
    return s.size() >= end.size() && s.compare(s.size() - end.size(), end.size(), end) == 0;
}

// A picture file: one SVG document, written as the text it is (no CRLF added).
void ExpectSvgFile(const std::string& path) {
    const std::string svg = Read(path);
    EXPECT_EQ(svg.rfind("<?xml", 0), 0u) << path;
    EXPECT_NE(svg.find("<svg"), std::string::npos) << path;
    EXPECT_TRUE(EndsWith(svg, "</svg>\n")) << path;
    EXPECT_EQ(svg.find('\r'), std::string::npos) << path;
}

// The solve beside a sweep is the solve on its own: the same line after the table, the same
// JSON under "solution", and the crossing labelled on the chart.
TEST(ExactCli, ASweepIsSolvedForTheEdgeAndDrawnWithIt) {
    const std::string chart = Temp("sweep.svg"), price = Temp("price.svg"), none = Temp("none.svg");
    const std::string slice = "exact --part 3/1000 --threads 2 ";
    const test::TCliRun solve = RunCli(slice + "--solve pay-flush --edge 2");
    ASSERT_EQ(solve.Status, 0) << solve.Err;
    const test::TCliRun r =
        RunCli(slice + "--sweep pay-flush=0:10:1 --edge 2 --chart \"" + chart + "\"");
    ASSERT_EQ(r.Status, 0) << r.Err;
    EXPECT_NE(r.Out.find("Exact sweep of pay-flush over 11 points"), std::string::npos) << r.Out;
    EXPECT_TRUE(EndsWith(r.Out, solve.Out)) << r.Out << "\n---\n" << solve.Out;

    const Json alone = Json::parse(RunCli(slice + "--solve pay-flush --edge 2 --json").Out);
    const test::TCliRun js = RunCli(slice + "--sweep pay-flush=0:10:1 --edge 2 --json");
    ASSERT_EQ(js.Status, 0) << js.Err;
    const Json j = Json::parse(js.Out);
    EXPECT_EQ(j.at("solution"), alone);
    EXPECT_EQ(j.at("points").size(), 11u);

    ExpectSvgFile(chart);
    const std::string svg = Read(chart);
    char label[96];
    std::snprintf(label, sizeof label, "between %d and %d (crossing %.3f)",
                  alone.at("low").at("payout").get<int>(), alone.at("high").at("payout").get<int>(),
                  alone.at("crossing").get<double>());
    EXPECT_NE(svg.find(label), std::string::npos) << label;
    EXPECT_NE(svg.find(">target 2 %<"), std::string::npos);
    EXPECT_NE(svg.find(">rules: 5 → "), std::string::npos); // the default flush pays 5

    // A price: the exact fraction.
    const std::string ideal = "exact --part 2/1000 --threads 2 --mode ideal ";
    const Json fraction = Json::parse(RunCli(ideal + "--solve price-buy6 --edge 0.5 --json").Out);
    const test::TCliRun p =
        RunCli(ideal + "--sweep price-buy6=0:2:0.5 --edge 0.5 --json --chart \"" + price + "\"");
    ASSERT_EQ(p.Status, 0) << p.Err;
    EXPECT_EQ(Json::parse(p.Out).at("solution"), fraction);
    EXPECT_NE(Read(price).find(" = " + fraction.at("numerator").get<std::string>() + "/" +
                               fraction.at("denominator").get<std::string>() + "<"),
              std::string::npos);

    // Out of reach: said under the table, in the JSON and on the chart.
    const test::TCliRun far =
        RunCli(slice + "--sweep pay-flush=0,5 --edge 60 --chart \"" + none + "\"");
    EXPECT_NE(far.Out.find("Not solved: no payout in 0..999"), std::string::npos) << far.Out;
    EXPECT_NE(Read(none).find("no payout in 0..999"), std::string::npos);
    const Json farJson = Json::parse(RunCli(slice + "--sweep pay-flush=0,5 --edge 60 --json").Out);
    EXPECT_FALSE(farJson.at("solution").at("found").get<bool>());
    EXPECT_NE(farJson.at("solution").at("reason").get<std::string>().find("no payout"),
              std::string::npos);
    for (const std::string& f : {chart, price, none}) fs::remove(f);
}

TEST(ExactCli, PicturesAndTargetsAreRefusedWhereTheyHaveNothingToDraw) {
    const std::string part = Temp("plain.json"), svg = Temp("refused.svg");
    ASSERT_EQ(RunCli("exact --part 1/5000 --json > \"" + part + "\"").Status, 0);
    fs::remove(svg);
    const std::string sweep = "--part 3/1000 --sweep pay-flush=1,2 ";
    const std::string cases[] = {
        "--chart \"" + svg + "\"",
        "--edge 2",
        "--part 1/5000 --edge 2 --chart \"" + svg + "\"",
        "--merge \"" + part + "\" --chart \"" + svg + "\"",
        "--merge \"" + part + "\" --edge 2",
        sweep + "--edge abc --chart \"" + svg + "\"",
        sweep + "--edge 200 --chart \"" + svg + "\"",
        sweep + "--edge 2 --solve pay-flush --chart \"" + svg + "\"",
        sweep + "--chart /nonexistent-folder/c.svg",
    };
    for (const std::string& args : cases) {
        const test::TCliRun r = RunCli("exact " + args);
        EXPECT_EQ(r.Status, 2) << args << "\n" << r.Err;
        EXPECT_TRUE(r.Out.empty()) << args << "\n" << r.Out;
        EXPECT_NE(r.Err.find("kvarlen-cli exact: "), std::string::npos) << args;
        EXPECT_FALSE(fs::exists(svg)) << args;
    }
    EXPECT_NE(RunCli("exact --chart \"" + svg + "\"").Err.find("--chart"), std::string::npos);
    EXPECT_NE(RunCli("exact --edge 2").Err.find("--edge"), std::string::npos);
    EXPECT_NE(RunCli("exact " + sweep + "--chart /nonexistent-folder/c.svg")
                  .Err.find("/nonexistent-folder"),
              std::string::npos);
    fs::remove(part);
}

// The parts of a sweep know no rules in force and no solve: the chart labels the crossing of
// the straight lines between the points.
TEST(ExactCli, TheMergedPartsOfASweepLabelAnInterpolatedCrossing) {
    const std::string sweep = Temp("classic_sweep.json"), chart = Temp("merged.svg"),
                      apart = Temp("apart.svg"), bad = Temp("bad.svg");
    ASSERT_EQ(RunCli("exact --no-buy --no-insurance --mode ideal --threads 2 --sweep "
                     "pay-flush=4:6:1 --json > \"" +
                     sweep + "\"")
                  .Status,
              0);
    // The house edges of the points from their exact counts.
    const Json j = Json::parse(Read(sweep));
    std::vector<double> edge;
    for (const Json& p : j.at("points"))
        edge.push_back(-100.0 * std::stod(p.at("summary").at("net").get<std::string>()) /
                       std::stod(p.at("summary").at("deals").get<std::string>()));
    ASSERT_EQ(edge.size(), 3u);
    ASSERT_GT(edge[1], 5.1);
    ASSERT_LT(edge[2], 5.1);
    char label[64];
    std::snprintf(label, sizeof label, "about %.4f (between points)",
                  5 + (edge[1] - 5.1) / (edge[1] - edge[2]));

    const test::TCliRun r =
        RunCli("exact --merge \"" + sweep + "\" --edge 5.1 --chart \"" + chart + "\"");
    ASSERT_EQ(r.Status, 0) << r.Err;
    EXPECT_NE(r.Out.find("Exact sweep of pay-flush over 3 points"), std::string::npos);
    ExpectSvgFile(chart);
    EXPECT_NE(Read(chart).find(label), std::string::npos) << label;
    EXPECT_EQ(Read(chart).find("rules: "), std::string::npos);

    ASSERT_EQ(RunCli("exact --merge \"" + sweep + "\" --edge 6 --chart \"" + apart + "\"").Status,
              0);
    EXPECT_NE(Read(apart).find("no two points enclose the target"), std::string::npos);

    // A target that is no number is refused before anything is printed or written.
    const test::TCliRun refused =
        RunCli("exact --merge \"" + sweep + "\" --edge abc --chart \"" + bad + "\"");
    EXPECT_EQ(refused.Status, 2) << refused.Err;
    EXPECT_TRUE(refused.Out.empty()) << refused.Out;
    EXPECT_FALSE(fs::exists(bad));
    const test::TCliRun noChart = RunCli("exact --merge \"" + sweep + "\" --edge abc");
    EXPECT_EQ(noChart.Status, 2) << noChart.Err;
    EXPECT_TRUE(noChart.Out.empty()) << noChart.Out;
    // So is a chart that cannot be written, as it is for a sweep that counts its points.
    const test::TCliRun unwritable =
        RunCli("exact --merge \"" + sweep + "\" --chart /nonexistent-folder/c.svg");
    EXPECT_NE(unwritable.Status, 0);
    EXPECT_NE(unwritable.Err.find("/nonexistent-folder"), std::string::npos) << unwritable.Err;
    EXPECT_TRUE(unwritable.Out.empty()) << unwritable.Out;
    for (const std::string& f : {sweep, chart, apart, bad}) fs::remove(f);
}

TEST(ExactCli, ADecisionChartNamedSvgIsDrawn) {
    const std::string lower = Temp("decisions.svg"), upper = Temp("decisions.SVG");
    const test::TCliRun r = RunCli("exact --part 3/1000 --threads 2 --decisions \"" + lower + "\"");
    ASSERT_EQ(r.Status, 0) << r.Err;
    ExpectSvgFile(lower);
    const std::string svg = Read(lower);
    EXPECT_NE(svg.find("Decisions: shares of pass, raise, buy and exchange"), std::string::npos);
    EXPECT_NE(svg.find(">pair<"), std::string::npos);
    EXPECT_EQ(svg.find("stopped"), std::string::npos);
    ASSERT_EQ(RunCli("exact --part 3/1000 --threads 2 --decisions \"" + upper + "\"").Status, 0);
    EXPECT_EQ(Read(upper), svg);
    fs::remove(lower);
    fs::remove(upper);
}

// A stopped run draws what it counted beside the picture asked for, so named.
TEST(ExactCli, AStoppedRunDrawsItsPicturesBeside) {
    struct TCase {
        std::string Args, Name;
    };
    for (const TCase& c : {TCase{"--decisions", "stopped_decisions"},
                           TCase{"--sweep pay-flush=4,5 --edge 2 --chart", "stopped_sweep"}}) {
        const std::string asked = Temp(c.Name + ".svg"), beside = Temp(c.Name + ".INCOMPLETE.svg");
        fs::remove(asked);
        const test::TCliRun r = RunCli("exact --threads 1 " + c.Args + " \"" + asked +
                                       "\" > /dev/null & p=$!; sleep 1; kill -TERM $p; wait $p; "
                                       "echo status=$?");
        EXPECT_NE(r.Out.find("status=3"), std::string::npos) << c.Name << ": " << r.Out << r.Err;
        EXPECT_FALSE(fs::exists(asked)) << c.Name;
        ExpectSvgFile(beside);
        if (c.Name == "stopped_decisions") {
            EXPECT_NE(Read(beside).find("stopped"), std::string::npos);
        }
        fs::remove(beside);
    }
}

} // namespace
} // namespace kvarlen
