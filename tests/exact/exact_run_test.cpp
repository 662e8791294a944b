// Runs, parts and their merge, the stop flag, the JSON form and the summary arithmetic.
#include "exact/exact_json.h"
#include "exact/exact_report.h"
#include "exact/exact_run.h"

#include <gtest/gtest.h>

namespace kvarlen {
namespace {

TExactSettings Classic(int part = 1, int parts = 1) {
    PayTable = kDefaultPayTable;
    TExactSettings s;
    s.Rules.Buy6 = false;
    s.Rules.Insurance = false;
    s.Threads = 2;
    s.PartIndex = part;
    s.PartCount = parts;
    return s;
}

// Insurance and purchases on a slice of the layouts small enough for every test run.
TExactSettings Slice(int part, int parts, TExactMode mode = TExactMode::Ideal) {
    PayTable = kDefaultPayTable;
    TExactSettings s;
    s.Mode = mode;
    s.Threads = 2;
    s.PartIndex = part;
    s.PartCount = parts;
    return s;
}

TEST(ExactRun, RefusesWhatCannotRun) {
    TExactSettings s = Classic();
    s.PartIndex = 0;
    EXPECT_THROW(ValidateExactSettings(s), TExactRefused);
    s.PartIndex = 5;
    s.PartCount = 4;
    EXPECT_THROW(ValidateExactSettings(s), TExactRefused);
    s = Classic();
    s.Threads = -1;
    EXPECT_THROW(RunExact(s), TExactRefused);
    s = Classic();
    s.Mode = TExactMode::Strategy;
    s.Rules.DealerGameBuy = 1;
    EXPECT_THROW(RunExact(s), TExactRefused);
    s.Mode = TExactMode::Ideal; // ideal play never buys the dealer a game
    EXPECT_NO_THROW(ValidateExactSettings(s));
    s.Rules.Buy6 = true;
    s.Rules.Exchange1 = true;
    EXPECT_THROW(ValidateExactSettings(s), TExactRefused);
}

TEST(ExactRun, TheSameOnEveryRunWhateverTheThreads) {
    const TExactResult whole = RunExact(Slice(1, 400));
    EXPECT_TRUE(RunExact(Slice(1, 400)).Tally == whole.Tally);
    TExactSettings one = Slice(1, 400);
    one.Threads = 1;
    EXPECT_TRUE(RunExact(one).Tally == whole.Tally);
}

TEST(ExactRun, MergeRefusesMismatchedParts) {
    // Real parts: a merge checks that each holds what its part of the layouts holds.
    std::vector<TExactResult> parts;
    for (int k = 1; k <= 2; ++k) parts.push_back(RunExact(Classic(k, 2)));
    EXPECT_NO_THROW(MergeExactParts(parts));
    std::vector<TExactResult> repeated = {parts[0], parts[0]};
    EXPECT_THROW(MergeExactParts(repeated), TExactRefused);
    std::vector<TExactResult> missing = {parts[1]};
    EXPECT_THROW(MergeExactParts(missing), TExactRefused);
    std::vector<TExactResult> rules = parts;
    rules[1].Rules.AKPlays = false;
    EXPECT_THROW(MergeExactParts(rules), TExactRefused);
    std::vector<TExactResult> pay = parts;
    pay[1].Pay[5] = 5;
    EXPECT_THROW(MergeExactParts(pay), TExactRefused);
    std::vector<TExactResult> mode = parts;
    mode[1].Mode = TExactMode::Strategy;
    EXPECT_THROW(MergeExactParts(mode), TExactRefused);
    std::vector<TExactResult> slicing = parts;
    slicing[1].PartCount = 3;
    EXPECT_THROW(MergeExactParts(slicing), TExactRefused);
    std::vector<TExactResult> stopped = parts;
    stopped[0].Complete = false;
    EXPECT_THROW(MergeExactParts(stopped), TExactRefused);
}

TEST(ExactRun, AStopLeavesAnIncompleteResult) {
    std::atomic<bool> stop{true};
    const TExactResult r = RunExact(Classic(), {}, &stop);
    EXPECT_FALSE(r.Complete);
    EXPECT_LT(r.Tally.Layouts, r.LayoutsInPart);
    const std::vector<std::string> lines = ExactReportLines(r, ',');
    EXPECT_NE(lines.front().find("INCOMPLETE"), std::string::npos);
}

TEST(ExactRun, ProgressReachesTheTotal) {
    uint64_t lastDone = 0, lastTotal = 0;
    int calls = 0;
    const TExactResult r = RunExact(Slice(2, 300), [&](uint64_t done, uint64_t total) {
        EXPECT_GE(done, lastDone);
        lastDone = done;
        lastTotal = total;
        ++calls;
    });
    EXPECT_GE(calls, 1);
    EXPECT_EQ(lastDone, r.LayoutsInPart);
    EXPECT_EQ(lastTotal, r.LayoutsInPart);
}

TEST(ExactRun, RowsSplitTheDealsAndAddUpToTheValue) {
    for (TExactMode mode : {TExactMode::Ideal, TExactMode::Strategy}) {
        const TExactResult r = RunExact(Slice(3, 500, mode));
        const TExactTally& t = r.Tally;
        ASSERT_TRUE(r.Complete);
        uint64_t outcome = 0;
        for (int k = 0; k < kOutcomeRows; ++k) outcome += t.RowDeals[k];
        EXPECT_EQ(outcome, t.Deals());
        EXPECT_TRUE(static_cast<TExactUInt>(t.Deals()) == r.ExpectedDeals());
        EXPECT_EQ(t.Raised + t.Passed, t.Deals());
        EXPECT_EQ(t.RowDeals[kRowBuyCost], t.Bought());
        EXPECT_EQ(t.RowDeals[kRowInsurancePaid] + t.RowDeals[kRowInsuranceLost], t.Insured);
        EXPECT_GT(t.Insured, 0u);
        EXPECT_GT(t.Bought(), 0u);
        TExactInt rows = 0, priced = 0;
        for (int k = 0; k < kExactRows; ++k) rows += t.RowAmount[k];
        for (int k = 0; k < kPriceKinds; ++k) priced += t.PricedSum[k];
        EXPECT_TRUE(rows == priced);
        const TExactSummary s = SummarizeExact(r);
        long double contributions = 0;
        for (const TExactTableRow& row : ExactTableRows(r)) contributions += row.Contribution;
        EXPECT_NEAR(static_cast<double>(contributions), static_cast<double>(s.MO), 1e-12);
        EXPECT_TRUE(s.NetIsInteger);
        EXPECT_TRUE(s.Net == s.NetInteger - static_cast<TExactInt>(t.Bought()));
        // The chart holds every deal once.
        uint64_t chart = 0;
        for (int c = 1; c <= 11; ++c)
            for (int v = 1; v <= 13; ++v)
                for (int d = 0; d < kDecisions; ++d) chart += t.Chart[c][v][d].Deals;
        EXPECT_EQ(chart, t.Deals());
        const std::vector<std::string> csv = ExactTableCsvLines(r, ',');
        EXPECT_EQ(csv.size(), ExactTableRows(r).size() + 2);
        EXPECT_EQ(csv[1].rfind("пас;" + std::to_string(t.RowDeals[kRowPassed]) + ";", 0), 0u);
        EXPECT_EQ(csv.back().rfind("MO;", 0), 0u);
    }
}

TEST(ExactRun, FractionalPricesStayExactCountsTimesThePrice) {
    TExactSettings s = Slice(4, 600);
    s.Rules.PriceBuy6 = 1.5;
    const TExactResult r = RunExact(s);
    const TExactSummary sum = SummarizeExact(r);
    EXPECT_FALSE(sum.NetIsInteger);
    const std::string text = ExactNetText(r, ',');
    EXPECT_NE(text.find(" - 1,5 x " + std::to_string(r.Tally.Bought())), std::string::npos);
}

TEST(ExactRun, JsonKeepsEveryCount) {
    const TExactResult r = RunExact(Slice(5, 700));
    const nlohmann::json j = ExactResultJson(r);
    EXPECT_TRUE(j.at("tally").at("priced").at("none").at("sum_of_squares").is_string());
    const TExactResult back = ExactResultFromJson(nlohmann::json::parse(j.dump()));
    EXPECT_TRUE(back.Tally == r.Tally);
    EXPECT_TRUE(SameExactConditions(back, r));
    EXPECT_EQ(back.Complete, r.Complete);
    EXPECT_EQ(back.LayoutsInPart, r.LayoutsInPart);
    nlohmann::json broken = j;
    broken["tally"]["rows"]["deals"].erase(0);
    EXPECT_THROW(ExactResultFromJson(broken), std::runtime_error);
    EXPECT_THROW(ExactResultFromJson(nlohmann::json::object()), std::runtime_error);
}

TEST(ExactTally, DecimalTextOf128BitIntegers) {
    EXPECT_EQ(ToDecimal(static_cast<TExactInt>(0)), "0");
    const TExactInt big = static_cast<TExactInt>(INT64_MAX) * 1000 + 7;
    EXPECT_EQ(ToDecimal(big), "9223372036854775807007");
    EXPECT_EQ(ToDecimal(-big), "-9223372036854775807007");
    EXPECT_TRUE(ParseExactInt("-9223372036854775807007") == -big);
    EXPECT_THROW(ParseExactInt("12a"), std::invalid_argument);
    EXPECT_THROW(ParseExactInt(""), std::invalid_argument);
}

} // namespace
} // namespace kvarlen
