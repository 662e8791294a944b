// --rules NAME|FILE as a user gives it: the set is the base, options beside it override it, the
// output names the set, and a set that cannot be read stops the command before any work.
#include "cli_runner.h"

#include <nlohmann/json.hpp>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace kvarlen {
namespace {

using test::RunCli;
using Json = nlohmann::json;
namespace fs = std::filesystem;

const char* const kLayout = "--cards \"AH KS XC 3C XD\" --dealer XS";

class RuleSetsCli : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string t = (fs::temp_directory_path() / "kvarlen_rulescli_XXXXXX").string();
        ASSERT_NE(mkdtemp(t.data()), nullptr);
        root_ = t;
        folder_ = root_ + "/kvarlen/rules";
        fs::create_directories(folder_);
        const char* old = std::getenv("XDG_CONFIG_HOME");
        hadXdg_ = old != nullptr;
        if (old) oldXdg_ = old;
        // kvarlen-cli inherits it through the shell.
        setenv("XDG_CONFIG_HOME", root_.c_str(), 1);
        // A pair pays 2, the royal flush 200; no insurance, dear exchanges, no sixth card but one
        // card exchanged.
        Write(folder_ + "/мой стол.toml", "[switches]\ninsurance = false\nbuy6 = false\n"
                                          "exchange1 = true\n[payouts]\npair = 2\nroyal = 200\n"
                                          "[prices]\nchange1 = 1.5\nchange2 = 0.75\n");
    }
    void TearDown() override {
        if (hadXdg_)
            setenv("XDG_CONFIG_HOME", oldXdg_.c_str(), 1);
        else
            unsetenv("XDG_CONFIG_HOME");
        fs::remove_all(root_);
    }
    static void Write(const std::string& path, const std::string& text) {
        std::ofstream(path, std::ios::binary) << text;
    }
    static std::string Read(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        std::stringstream ss;
        ss << in.rdbuf();
        return ss.str();
    }
    static Json Parse(const test::TCliRun& r) {
        EXPECT_EQ(r.Status, 0) << r.Err;
        return Json::parse(r.Out, nullptr, false);
    }
    std::string root_, folder_, oldXdg_;
    bool hadXdg_ = false;
};

// The rules the set holds, typed out as options.
const char* const kSameAsOptions = "--no-insurance --no-buy --exchange1 --price-change1 1.5 "
                                   "--price-change2 0.75 --pay 1,2,2,3,4,5,7,20,50,200";
// analyse has no switches of the sixth card and the exchange.
const char* const kSameForAnalyse =
    "--no-insurance --price-change1 1.5 --price-change2 0.75 --pay 1,2,2,3,4,5,7,20,50,200";

TEST_F(RuleSetsCli, TheSetPlaysAsIfItsRulesHadBeenTyped) {
    // analyse --best values every option: each rule moves some figure.
    Json bySet =
        Parse(RunCli(std::string("analyse --best --json ") + kLayout + " --rules 'мой стол'"));
    Json byOptions =
        Parse(RunCli(std::string("analyse --best --json ") + kLayout + " " + kSameForAnalyse));
    EXPECT_EQ(bySet.at("rule_set"), "мой стол");
    EXPECT_EQ(byOptions.at("rule_set"), "default*");
    EXPECT_FALSE(bySet.at("insurance_offered").get<bool>());
    bySet.erase("rule_set");
    byOptions.erase("rule_set");
    EXPECT_EQ(bySet, byOptions);
    const Json plain = Parse(RunCli(std::string("analyse --best --json ") + kLayout));
    EXPECT_EQ(plain.at("rule_set"), "default");
    EXPECT_NE(plain.at("options"), bySet.at("options"));

    // simulate: the same conditions and the same deals.
    const std::string run = "simulate --mode ideal --deals 300 --seed 11 --json ";
    Json simSet = Parse(RunCli(run + "--rules 'мой стол'"));
    Json simOptions = Parse(RunCli(run + kSameAsOptions));
    EXPECT_EQ(simSet.at("rule_set"), "мой стол");
    EXPECT_EQ(simSet.at("conditions"), simOptions.at("conditions"));
    EXPECT_EQ(simSet.at("conditions").at("rules").at("payouts").back(), 200);
    EXPECT_EQ(simSet.at("net"), simOptions.at("net"));
    // Strategy play never exchanges: the set's exchange is refused there, as the option is.
    EXPECT_EQ(RunCli("simulate --deals 10 --rules 'мой стол'").Status, 2);
}

TEST_F(RuleSetsCli, OptionsBesideTheSetOverrideIt) {
    const std::string base = std::string("analyse --only raise --json ") + kLayout + " ";
    const Json bySet = Parse(RunCli(base + "--rules 'мой стол'"));
    const Json changed = Parse(RunCli(base + "--rules 'мой стол' --pay 1,1,2,3,4,5,7,20,50,100"));
    const Json plain = Parse(RunCli(base));
    EXPECT_EQ(changed.at("rule_set"), "мой стол*");
    EXPECT_EQ(changed.at("raise"), plain.at("raise"));
    EXPECT_NE(bySet.at("raise"), plain.at("raise"));
    // An option that says what the set says changes nothing, so the name stays unmarked.
    EXPECT_EQ(Parse(RunCli(base + "--rules 'мой стол' --no-insurance")).at("rule_set"), "мой стол");
    // The set's price, then the option's.
    const Json exact = Parse(RunCli("exact --part 7/3000 --threads 1 --json --rules 'мой стол' "
                                    "--price-change1 2"));
    EXPECT_EQ(exact.at("rule_set"), "мой стол*");
    EXPECT_EQ(exact.at("conditions").at("rules").at("price_change1"), 2.0);
    EXPECT_EQ(exact.at("conditions").at("rules").at("price_change2"), 0.75);
    EXPECT_FALSE(exact.at("conditions").at("rules").at("insurance").get<bool>());
}

TEST_F(RuleSetsCli, TheTextReportNamesTheSetAfterTheRules) {
    const test::TCliRun r = RunCli("exact --part 7/3000 --threads 1 --rules 'мой стол'");
    ASSERT_EQ(r.Status, 0) << r.Err;
    const size_t rules = r.Out.find("\nRules: ");
    ASSERT_NE(rules, std::string::npos) << r.Out;
    const size_t next = r.Out.find('\n', rules + 1);
    const std::string named = "\nRule set: мой стол\n";
    EXPECT_EQ(r.Out.compare(next, named.size(), named), 0) << r.Out;
    // Without --rules the program's own set is named.
    EXPECT_NE(RunCli("exact --part 7/3000 --threads 1").Out.find("\nRule set: default\n"),
              std::string::npos);
}

TEST_F(RuleSetsCli, AFileByItsPath) {
    const std::string path = root_ + "/elsewhere.toml";
    Write(path, "[payouts]\nroyal = 300\n");
    const Json j = Parse(RunCli("simulate --deals 50 --seed 3 --json --rules '" + path + "'"));
    EXPECT_EQ(j.at("rule_set"), "elsewhere");
    EXPECT_EQ(j.at("conditions").at("rules").at("payouts").back(), 300);
    EXPECT_EQ(Parse(RunCli("simulate --deals 50 --seed 3 --json --rules default")).at("rule_set"),
              "default");
}

TEST_F(RuleSetsCli, ASetThatCannotBeReadIsRefusedAndLeftAlone) {
    const std::string damaged = "[payouts]\nroyal = 100\nroyl = 5\n";
    const std::string path = folder_ + "/сломан.toml";
    Write(path, damaged);
    for (const char* command : {"analyse --only raise --cards \"AH KS XC 3C XD\" --dealer XS",
                                "simulate --deals 10", "exact --part 7/3000", "train --deals 1"}) {
        const test::TCliRun r = RunCli(std::string(command) + " --rules сломан");
        EXPECT_EQ(r.Status, 2) << command;
        EXPECT_TRUE(r.Out.empty()) << command << ": " << r.Out;
        EXPECT_NE(r.Err.find(path + ", line 3, column 1: [payouts] royl: unknown key"),
                  std::string::npos)
            << r.Err;
    }
    EXPECT_EQ(Read(path), damaged);

    const test::TCliRun unknown = RunCli("simulate --deals 10 --rules 'нет такого'");
    EXPECT_EQ(unknown.Status, 2);
    EXPECT_NE(unknown.Err.find("no rule set named 'нет такого' in " + folder_), std::string::npos)
        << unknown.Err;
    EXPECT_NE(unknown.Err.find("мой стол"), std::string::npos) << unknown.Err;
    EXPECT_EQ(RunCli("simulate --deals 10 --rules ''").Status, 2);
    EXPECT_EQ(RunCli("simulate --deals 10 --rules " + root_ + "/missing.toml").Status, 2);
    // A merge takes its rules from the parts.
    const test::TCliRun merge = RunCli("exact --merge a.json --rules 'мой стол'");
    EXPECT_EQ(merge.Status, 2);
    EXPECT_NE(merge.Err.find("--rules does not go with it"), std::string::npos) << merge.Err;
}

} // namespace
} // namespace kvarlen
