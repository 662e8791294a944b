#include "cli_runner.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

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

TEST(BankrollCli, RefusalsNameTheFigureAndWhatIsWrong) {
    const struct {
        const char* Args;
        std::vector<const char*> Says;
    } cases[] = {
        {"--mo 0,1 --variance -1", {"--variance", "negative", "Invalid floating point operation"}},
        {"--mo 0,1 --variance 0 --bank 100", {"--variance 0", "Floating point division by zero"}},
        {"--mo 0 --variance 2", {"--mo 0", "Floating point division by zero"}},
        {"--mo x --variance 2", {"--mo: 'x' is not a valid floating point value"}},
        {"--mo 0,1 --variance 1e400", {"--variance: '1e400' is not a valid floating point value"}},
        {"--mo 0,1 --variance 2 --bank y", {"--bank: 'y' is not a valid floating point value"}},
        {"--mo 0,1 --variance 2 --deals -5", {"--deals must not be negative"}},
    };
    for (const auto& c : cases) {
        const auto r = RunCli(std::string("bankroll ") + c.Args);
        EXPECT_EQ(r.Status, 2) << c.Args;
        EXPECT_TRUE(r.Out.empty()) << c.Args;
        for (const char* says : c.Says) EXPECT_NE(r.Err.find(says), std::string::npos) << r.Err;
    }
}

} // namespace
} // namespace kvarlen
