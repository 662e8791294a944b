#include "cards/rule_sets.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace kvarlen {
namespace {

namespace fs = std::filesystem;

std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

void WriteBytes(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
}

// A set that differs from the default in every value.
TRuleSet EveryValueChanged(const std::string& name) {
    TRuleSet s;
    s.Name = name;
    s.Insurance = false;
    s.AKPlays = false;
    s.Buy6 = false;
    s.Exchange1 = true;
    s.DealerGameBuy = 2;
    s.AntePaid = true;
    s.Pay = {0, 2, 3, 4, 6, 8, 10, 25, 999, 500};
    s.PriceChange1 = 0.35;
    s.PriceChange2 = 0.1 + 0.2; // no short decimal: the text must still read back exactly
    s.PriceBuy6 = 1000;
    s.PriceBuyDealerGame = 0;
    return s;
}

class RuleSetFiles : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string t = (fs::temp_directory_path() / "kvarlen_rule_sets_XXXXXX").string();
        ASSERT_NE(mkdtemp(t.data()), nullptr);
        root_ = t;
        folder_ = (fs::path(root_) / "kvarlen" / "rules").string();
    }
    void TearDown() override { fs::remove_all(root_); }

    // The error a text gives when read as a set.
    RuleSetError ParseError(const std::string& text) {
        try {
            ParseRuleSet(text, "t", "/x/t.toml");
        } catch (const RuleSetError& e) {
            return e;
        }
        ADD_FAILURE() << "accepted: " << text;
        return RuleSetError("", "");
    }

    std::string root_, folder_;
};

TEST(RuleSetValues, TheDefaultSetIsTheControlsDefaults) {
    const TRuleSet& d = DefaultRuleSet();
    EXPECT_EQ(d.Name, "default");
    const TRulesControls shown = RuleSetControls(d, ',');
    const TRulesControls fresh;
    EXPECT_EQ(shown.Pay, fresh.Pay);
    EXPECT_EQ(shown.PriceChange1, fresh.PriceChange1);
    EXPECT_EQ(shown.PriceBuyDealerGame, fresh.PriceBuyDealerGame);
    EXPECT_EQ(shown.Insurance, fresh.Insurance);
    EXPECT_EQ(shown.Buy6, fresh.Buy6);
    EXPECT_EQ(shown.Exchange1, fresh.Exchange1);
    EXPECT_EQ(shown.DealerGameBuyIndex, fresh.DealerGameBuyIndex);
    EXPECT_EQ(shown.AntePaidIndex, fresh.AntePaidIndex);
    EXPECT_TRUE(SameRules(RuleSetFromControls(fresh, "x"), d));
    // The payouts are the payout table's.
    for (size_t i = 0; i < 10; ++i) EXPECT_EQ(d.Pay[i], kDefaultPayTable[i + 1]);
}

TEST(RuleSetValues, ControlsRoundTripAndFillRulesAgrees) {
    const TRuleSet s = EveryValueChanged("x");
    for (char sep : {',', '.'}) {
        const TRulesControls c = RuleSetControls(s, sep);
        EXPECT_TRUE(SameRules(RuleSetFromControls(c, "x"), s)) << sep;
        // The window's FillRules reads the same values from the same texts.
        TRules rules;
        const TPayTable saved = PayTable;
        FillRules(c, rules);
        for (size_t i = 0; i < 10; ++i) EXPECT_EQ(PayTable[i + 1], s.Pay[i]);
        PayTable = saved;
        EXPECT_EQ(rules.PriceChange2, s.PriceChange2);
        EXPECT_EQ(rules.DealerGameBuy, 2);
        EXPECT_EQ(rules.AntePaid, 1);
        EXPECT_TRUE(rules.Exchange1 && !rules.Buy6 && !rules.Insurance && !rules.AKPlays);
    }
    EXPECT_EQ(RuleSetPriceText(1, ','), "1,0");
    EXPECT_EQ(RuleSetPriceText(0.35, ','), "0,35");
}

TEST(RuleSetValues, ReadingControlsLeavesThePayTableAlone) {
    TRulesControls c;
    c.Pay[9] = "200";
    const TPayTable before = PayTable;
    EXPECT_EQ(RuleSetFromControls(c, "x").Pay[9], 200);
    EXPECT_EQ(PayTable, before);
    c.Pay[9] = "abc";
    EXPECT_THROW(RuleSetFromControls(c, "x"), ConvertError);
    c.Pay[9] = "100";
    c.PriceBuy6 = "1000,5";
    try {
        RuleSetFromControls(c, "x");
        FAIL();
    } catch (const RulesRangeError& e) {
        EXPECT_EQ(e.Field, 12);
    }
}

TEST(RuleSetValues, Names) {
    for (const char* good : {"мой стол", "a", "table-2 (high)", "x.toml.bak"})
        EXPECT_EQ(RuleSetNameProblem(good), "") << good;
    for (const char* bad : {"", "default", "a/b", ".hidden", " a", "a ", "a\tb", "a.toml"})
        EXPECT_NE(RuleSetNameProblem(bad), "") << bad;
    EXPECT_NE(RuleSetNameProblem(std::string(101, 'a')), "");
    EXPECT_NE(RuleSetNameProblem("\xff\xfe"), "");
    const RuleSetError e = RuleSetNameError("default");
    EXPECT_NE(e.Russian.find("нельзя изменить"), std::string::npos);
}

TEST_F(RuleSetFiles, TextRoundTripKeepsEveryValueExactly) {
    const TRuleSet s = EveryValueChanged("мой стол");
    const TRuleSet back = ParseRuleSet(RuleSetToml(s), "мой стол", "mem");
    EXPECT_TRUE(SameRules(back, s));
    EXPECT_EQ(back.PriceChange2, 0.1 + 0.2);
    EXPECT_EQ(back.Name, "мой стол");
    EXPECT_TRUE(
        SameRules(ParseRuleSet(RuleSetToml(DefaultRuleSet()), "d", "mem"), DefaultRuleSet()));

    SaveRuleSet(s, folder_, false);
    const std::string path = RuleSetPath(folder_, "мой стол");
    EXPECT_TRUE(fs::exists(path));
    EXPECT_TRUE(SameRules(LoadRuleSet("мой стол", folder_), s));
    EXPECT_TRUE(SameRules(LoadRuleSet(path, "/nowhere"), s));
    EXPECT_EQ(LoadRuleSet(path, "").Name, "мой стол");
    // Nothing but the set's file is left in the folder.
    int files = 0;
    for (const auto& f : fs::directory_iterator(folder_)) files += f.is_regular_file() ? 1 : 0;
    EXPECT_EQ(files, 1);
}

TEST_F(RuleSetFiles, MissingKeysTakeTheDefaults) {
    const TRuleSet s = ParseRuleSet("[payouts]\nroyal = 250\n[prices]\nbuy6 = 2\n", "t", "t");
    TRuleSet expect = DefaultRuleSet();
    expect.Pay[9] = 250;
    expect.PriceBuy6 = 2;
    EXPECT_TRUE(SameRules(s, expect));
    EXPECT_TRUE(SameRules(ParseRuleSet("", "t", "t"), DefaultRuleSet()));
    EXPECT_TRUE(SameRules(ParseRuleSet("# nothing\n", "t", "t"), DefaultRuleSet()));
    // The bounds themselves are allowed.
    const TRuleSet edge = ParseRuleSet(
        "[payouts]\nak = 0\nroyal = 999\n[prices]\nchange1 = 0.0\nchange2 = 1000\n", "t", "t");
    EXPECT_EQ(edge.Pay[0], 0);
    EXPECT_EQ(edge.Pay[9], 999);
    EXPECT_EQ(edge.PriceChange2, 1000.0);
}

TEST_F(RuleSetFiles, DamagedTextIsRefusedWithLineColumnAndKey) {
    // A syntax error: the place comes from the parser.
    RuleSetError e = ParseError("[payouts]\nroyal = \n");
    EXPECT_EQ(e.Line, 2);
    EXPECT_GT(e.Column, 0);
    EXPECT_NE(std::string(e.what()).find("/x/t.toml, line 2"), std::string::npos) << e.what();
    EXPECT_NE(e.Russian.find("/x/t.toml, строка 2"), std::string::npos) << e.Russian;

    e = ParseError("[payouts]\nak = 1\n  royl = 100\n");
    EXPECT_EQ(e.Line, 3);
    EXPECT_EQ(e.Column, 3);
    EXPECT_EQ(e.Key, "[payouts] royl");
    EXPECT_NE(std::string(e.what()).find("unknown key"), std::string::npos);

    e = ParseError("[meta]\nx = 1\n");
    EXPECT_EQ(e.Key, "meta");
    EXPECT_EQ(e.Line, 1);
    e = ParseError("name = \"x\"\n");
    EXPECT_EQ(e.Key, "name");

    struct Case {
        const char* text;
        const char* key;
        int line;
    };
    const Case wrong[] = {
        {"[payouts]\nroyal = 1000\n", "[payouts] royal", 2},
        {"[payouts]\n\nak = -1\n", "[payouts] ak", 3},
        {"[payouts]\nroyal = 1.5\n", "[payouts] royal", 2},
        {"[payouts]\nroyal = \"100\"\n", "[payouts] royal", 2},
        {"[prices]\nbuy6 = 1000.5\n", "[prices] buy6", 2},
        {"[prices]\nbuy6 = -0.5\n", "[prices] buy6", 2},
        {"[prices]\nbuy6 = nan\n", "[prices] buy6", 2},
        {"[prices]\nbuy6 = inf\n", "[prices] buy6", 2},
        {"[prices]\nbuy6 = true\n", "[prices] buy6", 2},
        {"[switches]\ninsurance = 1\n", "[switches] insurance", 2},
        {"[switches]\ndealer_game = \"middle\"\n", "[switches] dealer_game", 2},
        {"switches = 3\n", "switches", 1},
        {"[switches]\nbuy6 = true\nexchange1 = true\n", "[switches] buy6, exchange1", 3},
        {"[switches]\nexchange1 = true\n", "[switches] exchange1", 2},
    };
    for (const Case& c : wrong) {
        e = ParseError(c.text);
        EXPECT_EQ(e.Key, c.key) << c.text;
        EXPECT_EQ(e.Line, c.line) << c.text;
        EXPECT_NE(std::string(e.what()).find(c.key), std::string::npos) << e.what();
    }
    e = ParseError("[payouts]\nroyal = 1000\n");
    EXPECT_NE(std::string(e.what()).find("0..999, not 1000"), std::string::npos) << e.what();
    EXPECT_NE(e.Russian.find("от 0 до 999"), std::string::npos) << e.Russian;
}

TEST_F(RuleSetFiles, TheDefaultSetCannotBeChanged) {
    TRuleSet d = DefaultRuleSet();
    d.Pay[9] = 200;
    EXPECT_THROW(SaveRuleSet(d, folder_, true), RuleSetError);
    EXPECT_THROW(DeleteRuleSet("default", folder_), RuleSetError);
    EXPECT_FALSE(fs::exists(folder_)); // refused before anything was made
    // A file named so in the folder is not the program's set, and is listed as refused.
    fs::create_directories(folder_);
    WriteBytes(RuleSetPath(folder_, "default"), "[payouts]\nroyal = 5\n");
    EXPECT_EQ(LoadRuleSet("default", folder_).Pay[9], 100);
    const std::vector<TRuleSetEntry> list = ListRuleSets(folder_);
    ASSERT_EQ(list.size(), 1u);
    EXPECT_FALSE(list[0].Ok);
    // A copy of the default is an ordinary set.
    const TRuleSet copy = CopyRuleSet("default", "копия", folder_);
    EXPECT_TRUE(SameRules(copy, DefaultRuleSet()));
    EXPECT_EQ(LoadRuleSet("копия", folder_).Name, "копия");
    EXPECT_EQ(DefaultRuleSet().Pay[9], 100);
}

TEST_F(RuleSetFiles, ADamagedFileIsNeverOverwrittenNorDeleted) {
    fs::create_directories(folder_);
    const std::string path = RuleSetPath(folder_, "стол");
    const std::string damaged = "[payouts]\nroyal = 100\nroyal = 200\n";
    WriteBytes(path, damaged);
    TRuleSet s = EveryValueChanged("стол");
    try {
        SaveRuleSet(s, folder_, true);
        FAIL() << "saved over a damaged file";
    } catch (const RuleSetError& e) {
        EXPECT_NE(std::string(e.what()).find(path), std::string::npos) << e.what();
        EXPECT_NE(std::string(e.what()).find("left as it is"), std::string::npos);
    }
    EXPECT_THROW(SaveRuleSet(s, folder_, false), RuleSetError);
    EXPECT_THROW(DeleteRuleSet("стол", folder_), RuleSetError);
    EXPECT_THROW(CopyRuleSet("стол", "другой", folder_), RuleSetError);
    EXPECT_EQ(ReadBytes(path), damaged);
    EXPECT_FALSE(fs::exists(RuleSetPath(folder_, "другой")));

    // Listed with the reason, beside the sets that read.
    SaveRuleSet(EveryValueChanged("alpha"), folder_, false);
    const std::vector<TRuleSetEntry> list = ListRuleSets(folder_);
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].Name, "alpha");
    EXPECT_TRUE(list[0].Ok);
    EXPECT_EQ(list[1].Name, "стол");
    EXPECT_FALSE(list[1].Ok);
    EXPECT_NE(list[1].Error.find("line 3"), std::string::npos) << list[1].Error;
    EXPECT_NE(list[1].RussianError.find("строка 3"), std::string::npos) << list[1].RussianError;
    try {
        LoadRuleSet("стол", folder_);
        FAIL();
    } catch (const RuleSetError& e) {
        EXPECT_EQ(e.Line, 3);
    }
}

TEST_F(RuleSetFiles, SaveReplaceCopyDeleteAndUnknownNames) {
    TRuleSet s = EveryValueChanged("a");
    SaveRuleSet(s, folder_, false);                             // the folder is made
    EXPECT_THROW(SaveRuleSet(s, folder_, false), RuleSetError); // a new name must be free
    s.Pay[9] = 321;
    SaveRuleSet(s, folder_, true);
    EXPECT_EQ(LoadRuleSet("a", folder_).Pay[9], 321);
    // Out of bounds: refused, the file keeps the last good values.
    s.Pay[9] = 1000;
    EXPECT_THROW(SaveRuleSet(s, folder_, true), RuleSetError);
    EXPECT_EQ(LoadRuleSet("a", folder_).Pay[9], 321);
    s.Pay[9] = 5;
    s.PriceBuy6 = std::nan("");
    EXPECT_THROW(SaveRuleSet(s, folder_, true), RuleSetError);

    EXPECT_EQ(CopyRuleSet("a", "b", folder_).Pay[9], 321);
    EXPECT_THROW(CopyRuleSet("a", "b", folder_), RuleSetError);
    EXPECT_THROW(CopyRuleSet("a", "x/y", folder_), RuleSetError);
    DeleteRuleSet("a", folder_);
    EXPECT_FALSE(fs::exists(RuleSetPath(folder_, "a")));
    EXPECT_THROW(DeleteRuleSet("a", folder_), RuleSetError);
    try {
        LoadRuleSet("a", folder_);
        FAIL();
    } catch (const RuleSetError& e) {
        EXPECT_NE(std::string(e.what()).find("no rule set named 'a'"), std::string::npos);
        EXPECT_NE(std::string(e.what()).find("there are: b"), std::string::npos) << e.what();
    }
    EXPECT_THROW(LoadRuleSet(folder_ + "/missing.toml", folder_), RuleSetError);
    EXPECT_THROW(LoadRuleSet("b", ""), RuleSetError);
    EXPECT_TRUE(ListRuleSets(folder_ + "/none").empty());
}

TEST(RuleSetFolder, FollowsXdgConfigHomeThenHome) {
    const char* oldXdg = std::getenv("XDG_CONFIG_HOME");
    const char* oldHome = std::getenv("HOME");
    const std::string xdg = oldXdg ? oldXdg : "", home = oldHome ? oldHome : "";
    setenv("XDG_CONFIG_HOME", "/tmp/cfg", 1);
    setenv("HOME", "/home/u", 1);
    EXPECT_EQ(RuleSetsFolder(), "/tmp/cfg/kvarlen/rules");
    // An empty or relative variable is ignored, as the XDG rules say.
    setenv("XDG_CONFIG_HOME", "cfg", 1);
    EXPECT_EQ(RuleSetsFolder(), "/home/u/.config/kvarlen/rules");
    setenv("XDG_CONFIG_HOME", "", 1);
    EXPECT_EQ(RuleSetsFolder(), "/home/u/.config/kvarlen/rules");
    unsetenv("XDG_CONFIG_HOME");
    unsetenv("HOME");
    EXPECT_EQ(RuleSetsFolder(), "");
    if (oldXdg) setenv("XDG_CONFIG_HOME", xdg.c_str(), 1);
    if (oldHome) setenv("HOME", home.c_str(), 1);
}

} // namespace
} // namespace kvarlen
