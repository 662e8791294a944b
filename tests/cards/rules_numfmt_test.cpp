#include "cards/hand.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace kvarlen {
namespace {

class RulesTest : public ::testing::Test {
  protected:
    void SetUp() override {
        PayTable = kDefaultPayTable;
        old_ = SetMessageSink([this](const std::string& m) { messages_.push_back(m); });
    }
    void TearDown() override {
        SetMessageSink(old_);
        PayTable = kDefaultPayTable;
    }
    std::vector<std::string> messages_;
    MessageSink old_;
};

TEST_F(RulesTest, DefaultsAndPayOff) {
    TRulesControls c;
    TRules r;
    FillRules(c, r);
    const int expect[] = {0, 1, 1, 2, 3, 4, 5, 7, 20, 50, 100};
    for (int i = 0; i <= 10; ++i) EXPECT_EQ(PayOff(static_cast<uint16_t>(1 << i)), expect[i]);
    EXPECT_TRUE(r.AKPlays);
    EXPECT_TRUE(r.Insurance);
    EXPECT_TRUE(r.Buy6);
    EXPECT_FALSE(r.Exchange1);
    EXPECT_EQ(r.DealerGameBuy, 0);
    EXPECT_DOUBLE_EQ(r.PriceBuy6, 1.0);
    EXPECT_TRUE(messages_.empty());
    EXPECT_EQ(PayOff(3), 0);
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_EQ(messages_[0], "Так не бывает. function PayOff");
}

TEST_F(RulesTest, ListsAndPriceSeparators) {
    TRulesControls c;
    c.DealerGameBuyIndex = 2;
    c.AntePaidIndex = 1;
    c.PriceBuy6 = "2,5";
    c.PriceChange1 = "0.5";
    c.Pay[7] = "25 ";
    TRules r;
    FillRules(c, r);
    EXPECT_EQ(r.DealerGameBuy, 2);
    EXPECT_EQ(r.AntePaid, 1);
    EXPECT_DOUBLE_EQ(r.PriceBuy6, 2.5);
    EXPECT_DOUBLE_EQ(r.PriceChange1, 0.5);
    EXPECT_EQ(PayOff(C_Quads), 25);
    c.DealerGameBuyIndex = -1;
    c.AntePaidIndex = -1;
    FillRules(c, r);
    EXPECT_EQ(r.DealerGameBuy, 0);
    EXPECT_EQ(r.AntePaid, 0);
}

TEST_F(RulesTest, BadFieldKeepsEarlierPayoutsAndNamesTheText) {
    TRulesControls c;
    c.Pay[0] = "3  ";
    c.Pay[1] = "x  ";
    c.Pay[2] = "9  ";
    TRules r;
    try {
        FillRules(c, r);
        FAIL();
    } catch (const ConvertError& e) {
        EXPECT_STREQ(e.what(), "'x  ' is not a valid integer value");
    }
    EXPECT_EQ(PayTable[1], 3);
    EXPECT_EQ(PayTable[2], 1);
    EXPECT_EQ(PayTable[3], 2);
    c = TRulesControls{};
    c.PriceBuyDealerGame = "1,0,0";
    EXPECT_THROW(FillRules(c, r), ConvertError);
}

TEST(Parse, IntegersAndFloats) {
    EXPECT_EQ(StrToInt("20 "), 20);
    EXPECT_EQ(StrToInt(" -7"), -7);
    EXPECT_EQ(StrToInt("2147483647"), 2147483647);
    for (const char* bad : {"", "   ", "1 2", "2147483648", "1,0", "+", "abc"})
        EXPECT_THROW(StrToInt(bad), ConvertError) << bad;
    EXPECT_DOUBLE_EQ(StrToFloat("1,0"), 1.0);
    EXPECT_DOUBLE_EQ(StrToFloat("1.5"), 1.5);
    EXPECT_DOUBLE_EQ(StrToFloat("-0,05"), -0.05);
    EXPECT_DOUBLE_EQ(StrToFloat("2,5E3"), 2500.0);
    for (const char* bad : {"", "-", "1,2,3", "1e", "abc", "1.0x", "nan", "inf"})
        EXPECT_THROW(StrToFloat(bad), ConvertError) << bad;
    try {
        StrToFloat("abc");
    } catch (const ConvertError& e) {
        EXPECT_STREQ(e.what(), "'abc' is not a valid floating point value");
    }
}

TEST(Format, FixedWithPrecision) {
    EXPECT_EQ(FormatFixed(0.3, 10, 5), "0,30000");
    EXPECT_EQ(FormatFixed(std::exp(-4.0), 10, 5), "0,01832");
    EXPECT_EQ(FormatFixed(50.0, 10, 6), "50,000000");
    EXPECT_EQ(FormatFixed(183.772233983162, 10, 5), "183,77223");
    EXPECT_EQ(FormatFixed(-1.5, 10, 5, '.'), "-1.50000");
    EXPECT_EQ(FormatFixed(12345678901.0, 10, 2), "1,23456789E10");
    // Precision 9 with 7 decimals: the significant digits run out first.
    EXPECT_EQ(FormatFixed(12.345678951, 9, 7), "12,3456790");
    EXPECT_EQ(FormatFixed(-0.123456789012, 9, 7), "-0,1234568");
    EXPECT_EQ(FormatFixed(0.0, 9, 7), "0,0000000");
    EXPECT_EQ(FormatFixed(-0.000000001, 10, 5), "0,00000");
    EXPECT_EQ(FormatFixed(9.9999999999, 10, 5), "10,00000");
    EXPECT_EQ(FormatFixed(1234.5678, 5, 3), "1234,600");
}

TEST(Format, General) {
    EXPECT_EQ(FormatGeneral(100.0), "100");
    EXPECT_EQ(FormatGeneral(-3.0), "-3");
    EXPECT_EQ(FormatGeneral(0.0), "0");
    EXPECT_EQ(FormatGeneral(2.5), "2,5");
    EXPECT_EQ(FormatGeneral(0.1 + 0.2), "0,3");
    EXPECT_EQ(FormatGeneral(1234.5, '.'), "1234.5");
    EXPECT_EQ(FormatGeneral(0.0001), "0,0001");
    EXPECT_EQ(FormatGeneral(0.000015), "1,5E-5");
    EXPECT_EQ(FormatGeneral(123456789012345.0), "123456789012345");
    EXPECT_EQ(FormatGeneral(1e15), "1E15");
}

} // namespace
} // namespace kvarlen
