// Every number a user can type on the command line, and result files edited by hand: refused
// with exit status 2 and a short message, nothing printed on standard output.
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

const char* const kLayout = "--cards \"AH KS XC 3C XD\" --dealer XS";

void ExpectRefused(const test::TCliRun& run, const std::string& args, const std::string& says) {
    EXPECT_EQ(run.Status, 2) << args << "\n" << run.Err;
    EXPECT_EQ(run.Out, "") << args;
    EXPECT_NE(run.Err.find(says), std::string::npos) << args << "\n" << run.Err;
    EXPECT_LT(run.Err.size(), 600u) << args;
}

void ExpectRefused(const std::string& args, const std::string& says) {
    ExpectRefused(RunCli(args, 30), args, says);
}

class Folder {
  public:
    explicit Folder(const std::string& name)
        : path_(fs::temp_directory_path() /
                ("kvarlen_input_" + std::to_string(getpid()) + "_" + name)) {
        fs::remove_all(path_);
        fs::create_directories(path_);
    }
    ~Folder() { fs::remove_all(path_); }
    std::string File(const std::string& f) const { return (path_ / f).string(); }

  private:
    fs::path path_;
};

void Write(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

TEST(InputCli, PayoutsOutsideThreeDigitsAreRefused) {
    // The royal flush at 13200 overflowed the raise arithmetic and printed -11944,34.
    ExpectRefused("analyse --cards \"AS KS QS JS XS\" --dealer 2H --pay "
                  "\"1,1,2,3,4,5,7,20,50,13200\" --only raise",
                  "--pay: the payout of the royal flush must be 0..999, not '13200'");
    ExpectRefused(std::string("analyse ") + kLayout + " --pay \"-1,1,2,3,4,5,7,20,50,100\"",
                  "the payout of ace + king must be 0..999");
    ExpectRefused("simulate --deals 10 --pay \"1,1,2,3,4,5,7,1000,50,100\"",
                  "the payout of four of a kind must be 0..999");
    // The largest payouts are played, with finite values.
    const test::TCliRun top =
        RunCli("analyse --cards \"AS KS QS JS XS\" --dealer 2H --pay "
               "\"999,999,999,999,999,999,999,999,999,999\" --only raise --json");
    ASSERT_EQ(top.Status, 0) << top.Err;
    // The royal flush never loses: each won hand counts 2 x 999 + 1, a dealer without a game 1.
    const Json r = Json::parse(top.Out)["raise"];
    const double expect =
        (r["W"].get<double>() * 1999.0 + r["N"].get<double>()) / r["S"].get<double>();
    EXPECT_NEAR(r["mo"].get<double>(), expect, 1e-9);
    EXPECT_GT(expect, 1000.0);
}

TEST(InputCli, PricesStayWithinAThousandAntesAndJsonHasNoNull) {
    ExpectRefused(std::string("analyse ") + kLayout + " --price-buy6 1e308",
                  "--price-buy6 must be 0..1000 antes, not '1e308'");
    ExpectRefused(std::string("analyse ") + kLayout + " --price-change1 20000",
                  "--price-change1 must be 0..1000 antes");
    ExpectRefused(std::string("analyse ") + kLayout + " --price-change2 -0,5",
                  "--price-change2 must be 0..1000 antes");
    ExpectRefused("simulate --deals 10 --price-dealer-game 1000,5",
                  "--price-dealer-game must be 0..1000 antes");
    ExpectRefused(std::string("analyse ") + kLayout + " --price-buy6 +-1",
                  "'+-1' is not a valid floating point value");
    const test::TCliRun dear = RunCli(std::string("analyse ") + kLayout +
                                      " --json --price-change1 1000 --price-change2 1000 "
                                      "--price-buy6 1000");
    ASSERT_EQ(dear.Status, 0) << dear.Err;
    EXPECT_EQ(dear.Out.find("null"), std::string::npos);
    const Json j = Json::parse(dear.Out);
    EXPECT_NEAR(j["buy"]["mo"].get<double>(), -1000.0, 5.0);
    const test::TCliRun run = RunCli("simulate --mode ideal --deals 30 --seed 4 --json "
                                     "--price-buy6 1000 --price-change2 1000");
    ASSERT_EQ(run.Status, 0) << run.Err;
    EXPECT_EQ(run.Out.find("null"), std::string::npos);
}

TEST(InputCli, BankrollRefusesFiguresBeyondADouble) {
    ExpectRefused("bankroll --mo 1e308 --variance 1e308 --deals 10", "Floating point overflow");
    ExpectRefused("bankroll --mo -1e300 --variance 1e-300 --bank 1e300", "Floating point overflow");
    ExpectRefused("bankroll --mo 1e-300 --variance 1e300", "Floating point overflow");
    const test::TCliRun fine = RunCli("bankroll --mo 1e300 --variance 1e300 --json");
    ASSERT_EQ(fine.Status, 0) << fine.Err;
    EXPECT_EQ(fine.Out.find("null"), std::string::npos);
}

TEST(InputCli, SeedsOnlyInTheGeneratorsRange) {
    for (const char* seed : {"0", "2147483647", "2147483652", "4294967295", "-3"})
        ExpectRefused(std::string("simulate --deals 5 --seed ") + seed,
                      "--seed must be 1..2147483646");
    const test::TCliRun last = RunCli("simulate --deals 5 --seed 2147483646 --json");
    ASSERT_EQ(last.Status, 0) << last.Err;
    EXPECT_EQ(Json::parse(last.Out)["seeds"][0], 2147483646);
}

TEST(InputCli, FilterAkWithoutAkIsRefusedBeforeTheFirstDeal) {
    // It used to deal for ever.
    ExpectRefused("simulate --mode ideal --filter ak --no-ak --deals 1 --seed 3",
                  "--filter ak never finds a deal with --no-ak");
    const test::TCliRun ak = RunCli("simulate --mode ideal --filter ak --deals 2 --seed 3 --json");
    EXPECT_EQ(ak.Status, 0) << ak.Err;
}

TEST(InputCli, IntegersAreDecimalAndParseErrorsExitTwo) {
    // Leading zeros were octal: 010 played 8 deals and 08 failed.
    const test::TCliRun ten = RunCli("simulate --deals 010 --seed 1 --json");
    ASSERT_EQ(ten.Status, 0) << ten.Err;
    EXPECT_EQ(Json::parse(ten.Out)["deals"], 10);
    const test::TCliRun eight = RunCli("simulate --deals 20 --seed 08 --json");
    const test::TCliRun plain = RunCli("simulate --deals 20 --seed 8 --json");
    ASSERT_EQ(eight.Status, 0) << eight.Err;
    EXPECT_EQ(Json::parse(eight.Out)["net"], Json::parse(plain.Out)["net"]);

    ExpectRefused("simulate --deals 0x10", "'0x10' is not a decimal integer");
    ExpectRefused("simulate --deals 1e3", "'1e3' is not a decimal integer");
    ExpectRefused("simulate --boxes \" 2\"", "is not a decimal integer");
    ExpectRefused("simulate --deals 99999999999", "--deals");
    ExpectRefused("simulate --bogus", "--bogus");
    ExpectRefused("simulate --deals", "--deals");
    ExpectRefused("", "A subcommand is required");
    ExpectRefused("bankroll --mo 1", "--variance is required");
    // merge with no file has its own message.
    ExpectRefused("merge", "kvarlen-cli merge: name at least one result file");
    EXPECT_EQ(RunCli("--help").Status, 0);
    EXPECT_EQ(RunCli("merge --help").Status, 0);
}

TEST(InputCli, ListsWithEmptyItemsAndOversizedArguments) {
    ExpectRefused(std::string("analyse ") + kLayout + " --only \",\"",
                  "--only: an empty item in ','");
    ExpectRefused(std::string("analyse ") + kLayout + " --only \" \"", "--only names none");
    ExpectRefused(std::string("analyse ") + kLayout + " --pay \"1,,1,2,3,4,5,7,20,50,100\"",
                  "--pay: an empty item");
    ExpectRefused(std::string("analyse ") + kLayout + " --pay \"1,1,2,3,4,5,7,20,50,100,\"",
                  "--pay: an empty item");
    // Blanks around the commas are still fine, as are blanks alone.
    for (const char* pay : {"1, 1, 2, 3, 4, 5, 7, 20, 50, 100", "1 1 2 3 4 5 7 20 50 100"}) {
        const test::TCliRun run =
            RunCli(std::string("analyse ") + kLayout + " --only raise --pay \"" + pay + "\"");
        EXPECT_EQ(run.Status, 0) << pay << run.Err;
        EXPECT_EQ(run.Out, "MO_Raise= 1,1008365\n");
    }

    const std::string huge(120000, '9');
    for (const std::string& args :
         {"analyse --cards \"" + huge + "\" --dealer XS",
          std::string("analyse ") + kLayout + " --price-buy6 " + huge + "x",
          "simulate --mode " + huge, "simulate --deals " + huge,
          "simulate --pay \"" + huge + ",1,1,1,1,1,1,1,1,1\"",
          "bankroll --mo 1 --variance 1 "
          "--deals " +
              huge})
        ExpectRefused(RunCli(args), args.substr(0, 40), "9999…");
}

TEST(InputCli, MergeRefusesImpossibleResultsNamingTheFile) {
    Folder dir("merge");
    const test::TCliRun run = RunCli("simulate --deals 2000 --seed 11 --stats --json");
    ASSERT_EQ(run.Status, 0) << run.Err;
    const Json good = Json::parse(run.Out);
    Write(dir.File("good.json"), run.Out);

    struct Case {
        const char* Name;
        void (*Edit)(Json&);
        const char* Says;
    };
    const Case cases[] = {
        {"negative_count", [](Json& j) { j["won_by_class"][3] = -5; }, "won_by_class"},
        {"negative_squares", [](Json& j) { j["sum_squares"] = -1e6; }, "sum_squares"},
        {"small_squares", [](Json& j) { j["sum_squares"] = 0.5; }, "negative variance"},
        {"no_seeds", [](Json& j) { j["seeds"] = Json::array(); }, "seeds"},
        {"fraction", [](Json& j) { j["deals"] = 1999.5; }, "deals must be a whole number"},
        {"threads", [](Json& j) { j["threads"] = -4; }, "threads must be"},
        {"float_int", [](Json& j) { j["dealt_deals"] = 1e30; }, "dealt_deals"},
        {"string", [](Json& j) { j["stopped"] = "no"; }, "stopped must be true or false"},
        {"missing", [](Json& j) { j.erase("buy_count"); }, "buy_count is missing"},
        {"more_wins", [](Json& j) { j["final_by_class"][1] = 999999; }, "final_by_class"},
        {"net", [](Json& j) { j["net"][0] = 1e30; }, "net must be"},
        {"idle_box", [](Json& j) { j["net"][2] = 5.0; }, "net must be"},
        {"payout", [](Json& j) { j["conditions"]["rules"]["payouts"][9] = 13200; }, "payouts"},
        {"price", [](Json& j) { j["conditions"]["rules"]["price_buy6"] = 1e308; }, "price_buy6"},
        {"boxes", [](Json& j) { j["conditions"]["boxes"] = 2.5; }, "conditions.boxes"},
        {"seed_type", [](Json& j) { j["seeds"] = {"11"}; }, "seeds must be a whole number"},
        {"same_seed", [](Json& j) { j["seeds"] = {11u + 2147483647u}; }, "the same deals twice"},
        {"timing", [](Json& j) { j["timings"]["elapsed_ms"] = -1; }, "elapsed_ms"},
    };
    for (const Case& k : cases) {
        Json j = good;
        j["seeds"] = {12};
        j.erase("stream_seeds");
        k.Edit(j);
        const std::string path = dir.File(std::string(k.Name) + ".json");
        Write(path, j.dump());
        const std::string args = "merge \"" + dir.File("good.json") + "\" \"" + path + "\"";
        const test::TCliRun m = RunCli(args);
        ExpectRefused(m, k.Name, k.Says);
        EXPECT_EQ(m.Err.rfind("kvarlen-cli merge: " + path + ": ", 0), 0u) << m.Err;
    }

    // Counts that are possible alone but overflow when added.
    Json big = good;
    big.erase("stream_seeds");
    big["deals"] = big["dealt_deals"] = int64_t{5000000000000000000};
    big["seeds"] = {21};
    Write(dir.File("big1.json"), big.dump());
    big["seeds"] = {22};
    Write(dir.File("big2.json"), big.dump());
    const std::string twice =
        "merge \"" + dir.File("big1.json") + "\" \"" + dir.File("big2.json") + "\"";
    const test::TCliRun over = RunCli(twice);
    ExpectRefused(over, twice, "deals overflows");
    EXPECT_NE(over.Err.find("big2.json: "), std::string::npos);
    // Each alone is valid, and a valid pair still merges.
    EXPECT_EQ(RunCli("merge \"" + dir.File("big1.json") + "\"").Status, 0);
    Json other = good;
    other["seeds"] = {12};
    other.erase("stream_seeds");
    Write(dir.File("other.json"), other.dump());
    EXPECT_EQ(
        RunCli("merge \"" + dir.File("good.json") + "\" \"" + dir.File("other.json") + "\"").Status,
        0);
}

} // namespace
} // namespace kvarlen
