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

} // namespace
} // namespace kvarlen
