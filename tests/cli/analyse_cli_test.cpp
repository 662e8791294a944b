#include "analysis/best_play.h"
#include "analysis/layout_commands.h"
#include "cli_runner.h"

#include <nlohmann/json.hpp>

#include <gtest/gtest.h>

#include <algorithm>
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
    EXPECT_EQ(RunCli(twoPairs).Out, "MO_Change2 нечего менять: -10000\n");
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

TOptionRequest EveryOption() {
    TOptionRequest r;
    r.Exchange1 = r.Exchange2 = r.Buy = true;
    return r;
}

// Every card but the ones named, as a --out list.
std::string AllBut(const std::string& kept) {
    const std::vector<TCardRec> keep = ParseCards(kept);
    std::string out;
    for (int suit = 1; suit <= 4; ++suit)
        for (int value = 1; value <= 13; ++value) {
            TCardRec c;
            c.Suit = static_cast<uint8_t>(suit);
            c.Value = value;
            bool kept = false;
            for (const TCardRec& k : keep) kept = kept || SameCard(k, c);
            if (kept) continue;
            if (!out.empty()) out += ' ';
            out += CardNotation(c);
        }
    return out;
}

Json RunBestJson(const std::string& args) {
    const test::TCliRun run = RunCli("analyse " + args + " --best --json");
    EXPECT_EQ(run.Status, 0) << run.Err;
    return run.Status == 0 ? Json::parse(run.Out) : Json();
}

TEST(AnalyseCliBest, TableOfTheLayoutWithCostsAndMOValues) {
    const Json j = RunBestJson(kLayout);
    ASSERT_TRUE(j.is_object());
    EXPECT_EQ(j["layout"]["text"], "AH KS XC 3C XD / XS");
    EXPECT_EQ(j["layout"]["cards"], "AH KS XC 3C XD");
    EXPECT_EQ(j["layout"]["dealer"], "XS");
    EXPECT_TRUE(j["layout"]["bought"].is_null());
    EXPECT_EQ(j["combo"], C_Pair);
    // Pass, raise, five exchanges of one card, ten pairs, the purchase.
    const Json& options = j["options"];
    ASSERT_EQ(options.size(), 18u);

    // The engine's own table of the same view, bit for bit.
    const TDeck deck = DeckWithout("AH KS XC 3C XD");
    const TOptionTable table =
        BestPlayOptions(deck, Hand("AH KS XC 3C XD"), ParseCard("XS"), TRules{}, EveryOption());
    ASSERT_EQ(table.Options.size(), options.size());
    int bestCount = 0;
    double top = -1e9, best = -1e9;
    for (const Json& o : options) {
        top = std::max(top, o["value"].get<double>());
        if (o["best"].get<bool>()) best = o["value"].get<double>();
    }
    EXPECT_GE(best, top - kBestPlayTie);
    for (size_t i = 0; i < options.size(); ++i) {
        const Json& o = options[i];
        const TPlayOption& e = table.Options[i];
        SCOPED_TRACE(o["code"].get<std::string>());
        EXPECT_EQ(o["code"], OptionCode(e));
        EXPECT_EQ(o["name"], OptionName(e));
        EXPECT_EQ(o["value"].get<double>(), e.Value);
        EXPECT_EQ(o["draws"], e.Draws);
        EXPECT_EQ(o["raises"], e.Raises);
        EXPECT_EQ(o["insures"], e.Insures);
        EXPECT_LE(o["raises"].get<int>(), o["draws"].get<int>());
        // Cost: how much less than the best, ties within 1e-12 count as none.
        const double cost = best - o["value"].get<double>();
        EXPECT_EQ(o["cost"].get<double>(), cost > kBestPlayTie ? cost : 0.0);
        EXPECT_GE(o["cost"].get<double>(), 0.0);
        if (o["best"].get<bool>()) {
            ++bestCount;
            EXPECT_EQ(o["cost"].get<double>(), 0.0);
            EXPECT_EQ(static_cast<int>(i), table.Best);
        }
    }
    EXPECT_EQ(bestCount, 1);
    // A pair of tens against the open ten: raising beats every draw.
    EXPECT_EQ(j["best"], "raise");
    EXPECT_TRUE(options[1]["best"].get<bool>());
    EXPECT_EQ(options[0]["kind"], "pass");
    EXPECT_FALSE(options[0].contains("mo"));
    EXPECT_EQ(options[0]["draws"], 0);

    // The MO values beside are those the four-value lines print, slot for slot of the table
    // (the exchanges of every pair: no pair is skipped on this table).
    const test::TCliRun plain = RunCli(std::string("analyse ") + kLayout + " --no-fast --json");
    ASSERT_EQ(plain.Status, 0) << plain.Err;
    const Json mo = Json::parse(plain.Out);
    EXPECT_EQ(options[1]["mo"], mo["raise"]["mo"]);
    for (int i = 1; i <= 5; ++i) {
        const Json& o = options[static_cast<size_t>(1 + i)];
        EXPECT_EQ(o["kind"], "exchange1");
        EXPECT_EQ(o["slots"], Json::array({i}));
        EXPECT_EQ(o["draws"], 46);
        EXPECT_EQ(o["price"].get<double>(), 1.0);
        EXPECT_EQ(o["mo"], mo["change1"]["mo"][static_cast<size_t>(i - 1)]) << "slot " << i;
    }
    ASSERT_EQ(mo["change2"]["pairs"].size(), 10u);
    for (size_t k = 0; k < 10; ++k) {
        const Json& o = options[7 + k];
        const Json& pair = mo["change2"]["pairs"][k];
        EXPECT_EQ(o["kind"], "exchange2");
        EXPECT_EQ(o["slots"], Json::array({pair["first"], pair["second"]}));
        EXPECT_EQ(o["draws"], 46 * 45 / 2);
        EXPECT_EQ(o["mo"], pair["mo"]);
    }
    EXPECT_EQ(options[17]["kind"], "buy");
    EXPECT_EQ(options[17]["slots"], Json::array());
    EXPECT_EQ(options[17]["mo"], mo["buy"]["mo"]);
    // Exchanging the three can bring no flush and no insurance: best play and EV Change agree.
    EXPECT_NEAR(options[5]["value"].get<double>(), mo["change1"]["mo"][3].get<double>(), 1e-12);
}

TEST(AnalyseCliBest, TextLinesCarryTheJsonFigures) {
    const test::TCliRun run = RunCli(std::string("analyse ") + kLayout + " --best");
    ASSERT_EQ(run.Status, 0) << run.Err;
    const std::vector<std::string> lines = Lines(run.Out);
    const Json j = RunBestJson(kLayout);
    ASSERT_EQ(lines.size(), 1 + j["options"].size());
    EXPECT_EQ(lines[0], "AH KS XC 3C XD / XS");
    int marked = 0;
    for (size_t i = 0; i < j["options"].size(); ++i) {
        const Json& o = j["options"][i];
        const std::string& line = lines[i + 1];
        SCOPED_TRACE(line);
        const bool best = o["best"].get<bool>();
        marked += line.rfind("* ", 0) == 0 ? 1 : 0;
        EXPECT_EQ(line.rfind(best ? "* " : "  ", 0), 0u);
        EXPECT_EQ(line.substr(2, o["code"].get<std::string>().size()), o["code"]);
        auto shows = [&](const std::string& label, double v) {
            const std::string number = FormatFixed(v, 9, 7, ',');
            const size_t at = line.find(label);
            ASSERT_NE(at, std::string::npos);
            EXPECT_NE(line.find(number, at), std::string::npos) << label << number;
        };
        shows("value ", o["value"].get<double>());
        shows("cost ", o["cost"].get<double>());
        if (o.contains("mo"))
            shows("MO ", o["mo"].get<double>());
        else
            EXPECT_EQ(line.find("MO "), std::string::npos);
    }
    EXPECT_EQ(marked, 1);
    EXPECT_EQ(lines[2].rfind("* raise ", 0), 0u);
}

TEST(AnalyseCliBest, SixCardHandHasOnlyPassAndRaise) {
    const Json j = RunBestJson(std::string(kLayout) + " --bought XH --out \"2C 7H\"");
    ASSERT_TRUE(j.is_object());
    EXPECT_EQ(j["layout"]["text"], "AH KS XC 3C XD / XS, bought XH, out 2C 7H");
    EXPECT_EQ(j["layout"]["bought"], "XH");
    EXPECT_EQ(j["layout"]["out"], "2C 7H");
    EXPECT_EQ(j["combo"], C_Trips);
    ASSERT_EQ(j["options"].size(), 2u);
    EXPECT_EQ(j["options"][0]["code"], "pass");
    EXPECT_EQ(j["options"][1]["code"], "raise");
    EXPECT_EQ(j["best"], "raise");

    // The view: the six cards and the two out of play are gone, the open ten stays.
    const TDeck deck = DeckWithout("AH KS XC 3C XD XH 2C 7H");
    const THand six = Hand("AH KS XC 3C XD XH");
    const TOptionTable table = BestPlayOptions(deck, six, ParseCard("XS"), TRules{}, EveryOption());
    ASSERT_EQ(table.Options.size(), 2u);
    EXPECT_EQ(j["options"][1]["value"].get<double>(), table.Options[1].Value);
    EXPECT_EQ(j["options"][1]["mo"].get<double>(), MO_Raise(deck, six, ParseCard("XS"), TRules{}));

    const test::TCliRun text =
        RunCli(std::string("analyse ") + kLayout + " --bought XH --out \"2C 7H\" --best");
    ASSERT_EQ(text.Status, 0) << text.Err;
    const std::vector<std::string> lines = Lines(text.Out);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], "AH KS XC 3C XD / XS, bought XH, out 2C 7H");
    EXPECT_EQ(lines[1].rfind("  pass ", 0), 0u);
    EXPECT_EQ(lines[2].rfind("* raise ", 0), 0u);
}

TEST(AnalyseCliBest, InsurancePricesAndPayouts) {
    // Nine unseen cards of which the dealer cannot make a game: a straight insures its payout 4,
    // which the dealer's missing game always pays.
    const std::string layout = "--cards \"2S 3S 4S 5H 6H\" --dealer 7D --out \"" +
                               AllBut("2S 3S 4S 5H 6H 7D 8C 9D JC QH KC 3C 4D 5C") + "\"";
    const Json on = RunBestJson(layout);
    ASSERT_TRUE(on.is_object());
    EXPECT_TRUE(on["insurance_offered"].get<bool>());
    EXPECT_EQ(on["options"][0]["insurance"], 4);
    EXPECT_EQ(on["options"][1]["insurance"], 4);
    EXPECT_EQ(on["options"][0]["value"].get<double>(), -1.0 + 4.0);
    EXPECT_EQ(on["options"][1]["value"].get<double>(), 1.0 + 4.0);
    // Buying keeps the straight on every card: each final hand is insured.
    const Json& buy = on["options"].back();
    EXPECT_EQ(buy["kind"], "buy");
    EXPECT_EQ(buy["insures"], buy["draws"]);
    EXPECT_EQ(buy["draws"], 8);

    const Json off = RunBestJson(layout + " --no-insurance");
    ASSERT_TRUE(off.is_object());
    EXPECT_FALSE(off["insurance_offered"].get<bool>());
    for (const Json& o : off["options"]) {
        EXPECT_EQ(o["insurance"], 0);
        EXPECT_EQ(o["insures"], 0);
    }
    EXPECT_EQ(off["options"][1]["value"].get<double>(), 1.0);
    // The MO values know nothing of insurance.
    EXPECT_EQ(off["options"][1]["mo"], on["options"][1]["mo"]);
    const test::TCliRun text = RunCli("analyse " + layout + " --best");
    EXPECT_NE(text.Out.find("insurance 4"), std::string::npos) << text.Out;

    // Prices move the draws by exactly what they cost; payouts reach every option.
    const Json base = RunBestJson(kLayout);
    const Json cheap =
        RunBestJson(std::string(kLayout) + " --price-change2 0,5 --price-buy6 2 --pay "
                                           "\"1,2,2,3,4,5,7,20,50,100\"");
    ASSERT_TRUE(cheap.is_object());
    const TOptionTable paid = [] {
        TRulesControls c;
        c.PriceChange2 = "0,5";
        c.PriceBuy6 = "2";
        c.Pay[1] = "2";
        TRules rules;
        FillRules(c, rules);
        TOptionTable t = BestPlayOptions(DeckWithout("AH KS XC 3C XD"), Hand("AH KS XC 3C XD"),
                                         ParseCard("XS"), rules, EveryOption());
        FillRules(TRulesControls{}, rules); // the payout table back as the other tests expect
        return t;
    }();
    ASSERT_EQ(cheap["options"].size(), paid.Options.size());
    for (size_t i = 0; i < paid.Options.size(); ++i)
        EXPECT_EQ(cheap["options"][i]["value"].get<double>(), paid.Options[i].Value) << i;
    EXPECT_EQ(cheap["options"][7]["price"].get<double>(), 0.5);
    EXPECT_EQ(cheap["options"][17]["price"].get<double>(), 2.0);
    EXPECT_GT(cheap["options"][1]["value"].get<double>(),
              base["options"][1]["value"].get<double>());

    // Accepted without --best too, where it changes none of the four values.
    const test::TCliRun plain = RunCli(std::string("analyse ") + kLayout);
    const test::TCliRun noIns = RunCli(std::string("analyse ") + kLayout + " --no-insurance");
    EXPECT_EQ(noIns.Status, 0) << noIns.Err;
    EXPECT_EQ(noIns.Out, plain.Out);
}

TEST(AnalyseCliBest, RefusedAsTheOtherCommandsAre) {
    const std::string cases[] = {
        std::string("analyse ") + kLayout + " --best --only raise",
        std::string("analyse ") + kLayout + " --best --detail",
        "analyse --cards \"AH KS XC 3C XD\" --dealer XD --best",
        "analyse --cards \"AH KS XC 3C XD\" --dealer XS --bought KS --best",
        "analyse --cards \"AH KS XC 3C\" --dealer XS --best --json",
        "analyse --cards \"AH KS XC 3C XD\" --dealer XS --best --out \"2C XS\"",
        "analyse --cards \"AH KS XC 3C XD\" --dealer XS --best --price-change2 abc",
        // Five unseen besides the open card: too few for two exchanged and the dealer's four.
        "analyse --cards \"2S 3S 4S 5H 6H\" --dealer 7D --best --out \"" +
            AllBut("2S 3S 4S 5H 6H 7D 8C 9D JC QH 3C") + "\"",
    };
    for (const std::string& c : cases) {
        SCOPED_TRACE(c);
        const test::TCliRun run = RunCli(c);
        EXPECT_EQ(run.Status, 2);
        EXPECT_TRUE(run.Out.empty()) << run.Out;
        EXPECT_FALSE(run.Err.empty());
    }
    EXPECT_NE(RunCli(cases[0]).Err.find("--best values every option of the layout; it takes no "
                                        "--only"),
              std::string::npos);
    EXPECT_NE(RunCli(cases[1]).Err.find("it takes no --detail"), std::string::npos);
    EXPECT_NE(RunCli(cases[7]).Err.find("слишком мало карт"), std::string::npos);
    // A six-card hand draws nothing: the same cards are enough for pass and raise.
    const test::TCliRun six =
        RunCli("analyse --cards \"2S 3S 4S 5H 6H\" --dealer 7D --bought 8C --best --out \"" +
               AllBut("2S 3S 4S 5H 6H 7D 8C 9D JC QH 3C") + "\"");
    EXPECT_EQ(six.Status, 0) << six.Err;
}

} // namespace
} // namespace kvarlen
