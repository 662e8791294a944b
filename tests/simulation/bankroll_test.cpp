#include "cards/numfmt.h"
#include "simulation/bankroll.h"

#include <gtest/gtest.h>

#include <cmath>

namespace kvarlen {
namespace {

TEST(Bankroll, WorkedExamples) {
    EXPECT_DOUBLE_EQ(RiskOfRuin(0.05, 100, 2.5), std::exp(-4.0));
    EXPECT_EQ(FormatFixed(RiskOfRuin(0.05, 100, 2.5), 10, 5), "0,01832");
    EXPECT_EQ(FormatFixed(MinimalBank(0.05, 2.5), 10, 6), "50,000000");
    EXPECT_EQ(FormatFixed(MinimalBank(0.05, 2.5), 10, 5), "50,00000");
    const TSpread s = Spread(10000, 0.05, 2.5);
    EXPECT_EQ(FormatFixed(s.Low, 10, 5), "183,77223");
    EXPECT_EQ(FormatFixed(s.High, 10, 5), "816,22777");
    EXPECT_EQ(FormatFixed(Sigma(4), 10, 6), "2,000000");
}

TEST(Bankroll, NegativeExpectationIsShownAsComputed) {
    EXPECT_GT(RiskOfRuin(-0.05, 100, 2.5), 1.0);
    EXPECT_LT(MinimalBank(-0.05, 2.5), 0.0);
}

TEST(Bankroll, DivisionByZeroAndInvalidOperation) {
    try {
        RiskOfRuin(0.05, 100, 0);
        FAIL();
    } catch (const MathError& e) {
        EXPECT_STREQ(e.what(), "Floating point division by zero");
    }
    EXPECT_THROW(MinimalBank(0, 2.5), MathError);
    try {
        Sigma(-1);
        FAIL();
    } catch (const MathError& e) {
        EXPECT_STREQ(e.what(), "Invalid floating point operation");
    }
    EXPECT_THROW(Spread(10, 0.1, -2), MathError);
}

} // namespace
} // namespace kvarlen
