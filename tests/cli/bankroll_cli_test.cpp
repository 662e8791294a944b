#include "cli_runner.h"

#include <gtest/gtest.h>

namespace kvarlen {
namespace {

using test::RunCli;

TEST(BankrollCli, WorkedExampleLines) {
    const auto r = RunCli("bankroll --mo 0,05 --variance 2.5 --bank 100 --deals 10000");
    ASSERT_EQ(r.Status, 0) << r.Err;
    EXPECT_NE(r.Out.find("ROR = 0,01832\n"), std::string::npos);
    EXPECT_NE(r.Out.find("MinBank = 50,00000\n"), std::string::npos);
    EXPECT_NE(r.Out.find("от 183,77223 до 816,22777\n"), std::string::npos);
}

TEST(BankrollCli, BadNumbersAndZeroAreRefused) {
    auto r = RunCli("bankroll --mo x --variance 2,5");
    EXPECT_EQ(r.Status, 2);
    EXPECT_NE(r.Err.find("'x' is not a valid floating point value"), std::string::npos);
    EXPECT_TRUE(r.Out.empty());
    r = RunCli("bankroll --mo 0 --variance 2,5");
    EXPECT_EQ(r.Status, 2);
    EXPECT_NE(r.Err.find("Floating point division by zero"), std::string::npos);
    EXPECT_TRUE(r.Out.empty());
}

} // namespace
} // namespace kvarlen
