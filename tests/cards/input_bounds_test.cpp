// Numbers a user can type: bounds of the settings, signs, and messages that stay short.
#include "cards/hand.h"
#include "cards/notation.h"

#include <gtest/gtest.h>

#include <string>

namespace kvarlen {
namespace {

class RulesBounds : public ::testing::Test {
  protected:
    void SetUp() override { PayTable = kDefaultPayTable; }
    void TearDown() override { PayTable = kDefaultPayTable; }
};

TEST_F(RulesBounds, PayoutsAreThreeDigitsAndPricesAtMostAThousand) {
    TRulesControls c;
    c.Pay = {"0", "999", "0  ", "1", "1", "1", "1", "1", "1", "999"};
    c.PriceChange1 = "0";
    c.PriceChange2 = "1000";
    c.PriceBuy6 = "1000,0";
    c.PriceBuyDealerGame = "0,5";
    TRules r;
    FillRules(c, r);
    EXPECT_EQ(PayOff(C_Royal), 999);
    EXPECT_DOUBLE_EQ(r.PriceChange2, 1000.0);

    struct Case {
        int Field;
        std::string Text;
    };
    const Case cases[] = {{9, "13200"},  {0, "-1"},     {7, "1000"},    {10, "-0,5"},
                          {11, "20000"}, {12, "1e308"}, {13, "1000,01"}};
    for (const Case& k : cases) {
        TRulesControls bad;
        if (k.Field < 10)
            bad.Pay[static_cast<size_t>(k.Field)] = k.Text;
        else if (k.Field == 10)
            bad.PriceChange1 = k.Text;
        else if (k.Field == 11)
            bad.PriceChange2 = k.Text;
        else if (k.Field == 12)
            bad.PriceBuy6 = k.Text;
        else
            bad.PriceBuyDealerGame = k.Text;
        try {
            FillRules(bad, r);
            ADD_FAILURE() << k.Text << " was accepted";
        } catch (const RulesRangeError& e) {
            EXPECT_EQ(e.Field, k.Field);
            EXPECT_EQ(e.Text, k.Text);
            EXPECT_NE(std::string(e.what()).find(RulesFieldCaption(k.Field)), std::string::npos);
        }
    }
    // A range error is a conversion error to the callers that abandon a command on one.
    c.Pay[9] = "13200";
    EXPECT_THROW(FillRules(c, r), ConvertError);
}

TEST(NumberTexts, OneSignAtMostAndShortMessages) {
    for (const char* bad : {"+-1", "+-0,5", "-+1", "--1", "++1", "+"})
        EXPECT_THROW(StrToFloat(bad), ConvertError) << bad;
    EXPECT_DOUBLE_EQ(StrToFloat("+1,5"), 1.5);
    EXPECT_DOUBLE_EQ(StrToFloat("-1,5"), -1.5);
    EXPECT_EQ(StrToInt("+7"), 7);

    const std::string huge(120000, '7');
    for (auto parse : {+[](const std::string& t) { (void)StrToInt(t); },
                       +[](const std::string& t) { (void)StrToFloat(t + "x"); },
                       +[](const std::string& t) { (void)ParseCard(t); }}) {
        try {
            parse(huge);
            ADD_FAILURE() << "accepted";
        } catch (const std::exception& e) {
            EXPECT_LT(std::string(e.what()).size(), 200u);
            EXPECT_NE(std::string(e.what()).find("7777…'"), std::string::npos);
        }
    }
    // Cutting never splits a letter.
    EXPECT_EQ(ShortText(std::string(39, 'a') + "Жабы", 40), std::string(39, 'a') + "…");
    EXPECT_EQ(ShortText("20 "), "20 ");
}

} // namespace
} // namespace kvarlen
