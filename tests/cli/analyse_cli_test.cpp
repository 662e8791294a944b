#include "analysis/layout_commands.h"
#include "cli_runner.h"

#include <nlohmann/json.hpp>

#include <gtest/gtest.h>

#include <sstream>

namespace kvarlen {
namespace {

using test::RunCli;
using Json = nlohmann::json;

const char* const kLayout = "--cards \"AH KS XC 3C XD\" --dealer XS";

TDeck DeckWithout(const std::string& cards) {
    TDeck d;
    for (const TCardRec& c : ParseCards(cards)) d.Take(c);
    return d;
}

THand Hand(const std::string& cards, bool ak = true) {
    THand h;
    const std::vector<TCardRec> v = ParseCards(cards);
    h.Count = static_cast<uint8_t>(v.size());
    for (size_t i = 0; i < v.size(); ++i) h.Cards[i + 1] = v[i];
    EvaluateHand(h, ak);
    return h;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string l; std::getline(in, l);) lines.push_back(l);
    return lines;
}

TEST(AnalyseCli, KnownLayoutAsJson) {
    const test::TCliRun run = RunCli(std::string("analyse ") + kLayout + " --json");
    ASSERT_EQ(run.Status, 0) << run.Err;
    const Json j = Json::parse(run.Out);
    EXPECT_EQ(j["combo"], 4);
    EXPECT_EQ(j["rank1"], 10);
    EXPECT_EQ(j["rank2"], 0);

    const TDeck deck = DeckWithout("AH KS XC 3C XD");
    const THand hand = Hand("AH KS XC 3C XD");
    const TCardRec open = ParseCard("XS");
    const TRules rules;
    LayoutOutcome t;
    ClassOutcome classes[11];
    // Numbers travel with full precision: equal to the engine's, bit for bit.
    EXPECT_EQ(j["raise"]["mo"].get<double>(),
              MO_Raise(deck, hand, open, rules, nullptr, &t, classes));
    EXPECT_EQ(j["raise"]["S"], t.S);
    EXPECT_EQ(j["raise"]["W"], t.W);
    EXPECT_EQ(j["raise"]["L"], t.L);
    EXPECT_EQ(j["raise"]["P"], t.P);
    EXPECT_EQ(j["raise"]["N"], t.N);
    ASSERT_EQ(j["raise"]["classes"].size(), 10u);
    for (int k = 1; k <= 10; ++k) {
        const Json& c = j["raise"]["classes"][static_cast<size_t>(k - 1)];
        EXPECT_EQ(c["combo"], 1 << k);
        EXPECT_EQ(c["total"], classes[k].Total);
        EXPECT_EQ(c["won"], classes[k].Won);
        EXPECT_EQ(c["push"], classes[k].Push);
    }
    EXPECT_EQ(j["raise"]["classes"][1]["won"], classes[2].Won);
    EXPECT_EQ(j["raise"]["classes"][0]["won"], -1);

    double per[6];
    uint8_t best = 0;
    const double change1 = MO_Change1(deck, hand, open, rules, best, nullptr, per);
    ASSERT_EQ(j["change1"]["mo"].size(), 5u);
    for (int i = 1; i <= 5; ++i)
        EXPECT_EQ(j["change1"]["mo"][static_cast<size_t>(i - 1)].get<double>(), per[i]);
    EXPECT_EQ(j["change1"]["best_position"], best);
    EXPECT_EQ(j["change1"]["best_mo"].get<double>(), change1);

    // Fast by default: the pair of tens stays, three pairs of positions are left.
    uint8_t f = 0, s = 0;
    const double change2 = MO_Change2(deck, hand, open, true, rules, f, s);
    EXPECT_EQ(j["change2"]["pairs"].size(), 3u);
    EXPECT_EQ(j["change2"]["best_first"], f);
    EXPECT_EQ(j["change2"]["best_second"], s);
    EXPECT_EQ(j["change2"]["best_mo"].get<double>(), change2);

    EXPECT_EQ(j["buy"]["mo"].get<double>(), MO_Buy(deck, hand, open, rules, true));
}

TEST(AnalyseCli, TextLinesWithCommaAndDetail) {
    const test::TCliRun run = RunCli(std::string("analyse ") + kLayout);
    ASSERT_EQ(run.Status, 0) << run.Err;
    const std::vector<std::string> lines = Lines(run.Out);
    ASSERT_EQ(lines.size(), 4u);
    const double raise =
        MO_Raise(DeckWithout("AH KS XC 3C XD"), Hand("AH KS XC 3C XD"), ParseCard("XS"), TRules{});
    EXPECT_EQ(lines[0], "MO_Raise= " + FormatFixed(raise, 9, 7, ','));
    EXPECT_EQ(lines[1].rfind("MO_Change [", 0), 0u);
    EXPECT_EQ(lines[2].rfind("MO_Change2 [", 0), 0u);
    EXPECT_EQ(lines[3].rfind("MO_Buy  = ", 0), 0u);

    const test::TCliRun detail =
        RunCli(std::string("analyse ") + kLayout + " --detail --only raise,change1");
    ASSERT_EQ(detail.Status, 0) << detail.Err;
    const std::vector<std::string> d = Lines(detail.Out);
    ASSERT_GE(d.size(), 13u);
    EXPECT_NE(detail.Out.find("NoGame"), std::string::npos);
    EXPECT_NE(detail.Out.find("ВСЕГО"), std::string::npos);
    EXPECT_NE(detail.Out.find("MO_Change1(5) = "), std::string::npos);
    // Detail comes before each result line.
    EXPECT_LT(detail.Out.find("ВСЕГО"), detail.Out.find("MO_Raise= "));
    EXPECT_LT(detail.Out.find("MO_Change1(5)"), detail.Out.find("MO_Change ["));
    EXPECT_EQ(d.back().rfind("MO_Change [", 0), 0u);
}

TEST(AnalyseCli, BoughtCardOutOfPlayAndSwitches) {
    // The bought ten makes three tens for the raise; the purchase puts it back among the unseen.
    const test::TCliRun run =
        RunCli(std::string("analyse ") + kLayout + " --bought XH --only raise,buy --json");
    ASSERT_EQ(run.Status, 0) << run.Err;
    const Json j = Json::parse(run.Out);
    EXPECT_EQ(j["combo"], C_Trips);
    EXPECT_EQ(j["raise"]["S"], 148995); // 46 unseen with the open card: C(45, 4)
    EXPECT_EQ(j["buy"]["mo"].get<double>(),
              MO_Buy(DeckWithout("AH KS XC 3C XD"), Hand("AH KS XC 3C XD"), ParseCard("XS"),
                     TRules{}, true));
    EXPECT_FALSE(j.contains("change1"));

    const test::TCliRun out =
        RunCli(std::string("analyse ") + kLayout + " --out \"2C 7H\" --only raise --json");
    ASSERT_EQ(out.Status, 0) << out.Err;
    EXPECT_EQ(Json::parse(out.Out)["raise"]["S"], 135751);

    const test::TCliRun noAk =
        RunCli("analyse --cards \"AH KS 9C 3C 7D\" --dealer XS --no-ak --only raise --json");
    ASSERT_EQ(noAk.Status, 0) << noAk.Err;
    const Json n = Json::parse(noAk.Out);
    EXPECT_EQ(n["combo"], C_Empty);
    EXPECT_EQ(n["raise"]["classes"].size(), 9u);
    EXPECT_EQ(n["raise"]["classes"][0]["combo"], C_Pair);

    const char* twoPairs = "analyse --cards \"9S 9C 4D 4H AS\" --dealer 2D --only change2 ";
    const test::TCliRun fast = RunCli(std::string(twoPairs) + "--json");
    ASSERT_EQ(fast.Status, 0) << fast.Err;
    const Json fj = Json::parse(fast.Out);
    EXPECT_EQ(fj["change2"]["pairs"].size(), 0u);
    EXPECT_EQ(fj["change2"]["best_first"], 0);
    EXPECT_EQ(fj["change2"]["best_mo"].get<double>(), -10000.0);
    EXPECT_EQ(RunCli(twoPairs).Out, "MO_Change2 [0,0] = " + FormatFixed(-10000, 9, 7, ',') + "\n");
    const test::TCliRun slow = RunCli(std::string(twoPairs) + "--no-fast --json");
    EXPECT_EQ(Json::parse(slow.Out)["change2"]["pairs"].size(), 10u);
}

TEST(AnalyseCli, PricesAndPayouts) {
    auto buy = [](const std::string& extra) {
        const test::TCliRun r =
            RunCli(std::string("analyse ") + kLayout + " --only buy,raise --json " + extra);
        EXPECT_EQ(r.Status, 0) << r.Err;
        return Json::parse(r.Out);
    };
    const Json base = buy("");
    EXPECT_EQ(buy("--pay \"1,1,2,3,4,5,7,20,50,100\"")["raise"]["mo"], base["raise"]["mo"]);
    // The price is paid whether the player raises or folds.
    EXPECT_NEAR(buy("--price-buy6 0,5")["buy"]["mo"].get<double>(),
                base["buy"]["mo"].get<double>() + 0.5, 1e-12);
    // A pair paying 2: every won hand is worth two more antes.
    const Json pay = buy("--pay \"1,2,2,3,4,5,7,20,50,100\"");
    const double gain = 2.0 * base["raise"]["W"].get<double>() / base["raise"]["S"].get<double>();
    EXPECT_NEAR(pay["raise"]["mo"].get<double>(), base["raise"]["mo"].get<double>() + gain, 1e-12);
}

TEST(AnalyseCli, RefusedLayouts) {
    const char* cases[] = {
        "analyse --cards \"AH KS XC 3C AH\" --dealer XS",
        "analyse --cards \"AH KS XC 3C XD\" --dealer XD",
        "analyse --cards \"AH KS XC 3C ZZ\" --dealer XS",
        "analyse --cards \"AH KS XC 3C\" --dealer XS",
        "analyse --cards \"AH KS XC 3C XD 5H\" --dealer XS",
        "analyse --cards \"AH KS XC 3C XD\"",
        "analyse --cards \"AH KS XC 3C XD\" --dealer XS --out \"2C XS\"",
        "analyse --cards \"AH KS XC 3C XD\" --dealer XS --bought KS",
        "analyse --cards \"AH KS XC 3C XD\" --dealer XS --only raise,fold",
        "analyse --cards \"AH KS XC 3C XD\" --dealer XS --pay \"1,1,2\"",
        "analyse --cards \"AH KS XC 3C XD\" --dealer XS --price-change1 abc",
    };
    for (const char* c : cases) {
        SCOPED_TRACE(c);
        const test::TCliRun run = RunCli(c);
        EXPECT_EQ(run.Status, 2);
        EXPECT_TRUE(run.Out.empty()) << run.Out;
        EXPECT_FALSE(run.Err.empty());
    }
    EXPECT_NE(RunCli(cases[2]).Err.find("'ZZ' is not a card"), std::string::npos);
    EXPECT_NE(RunCli(cases[10]).Err.find("'abc' is not a valid floating point value"),
              std::string::npos);
}

} // namespace
} // namespace kvarlen
