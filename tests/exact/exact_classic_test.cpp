// The classic five-card dealer game: buying, exchanging and insurance off, ace + king playing,
// payouts 1,1,2,3,4,5,7,20,50,100. Its complete return table under optimal raise-or-fold play is
// published (Wizard of Odds, "Caribbean Stud Poker" return table, reprinted by CasinoAdvisor.com
// "Caribbean Stud Poker Probability", 2008); every row must come out to the unit.
#include "exact/exact_report.h"
#include "exact/exact_run.h"

#include <gtest/gtest.h>

namespace kvarlen {
namespace {

TExactResult ClassicResult() {
    static const TExactResult result = [] {
        PayTable = kDefaultPayTable;
        TExactSettings s;
        s.Rules.Buy6 = false;
        s.Rules.Exchange1 = false;
        s.Rules.Insurance = false;
        s.Rules.AKPlays = true;
        s.DealerAK = true;
        s.Mode = TExactMode::Ideal;
        s.Threads = 2;
        return RunExact(s);
    }();
    return result;
}

TEST(ExactClassic, EqualsThePublishedReturnTable) {
    const TExactResult r = ClassicResult();
    ASSERT_TRUE(r.Complete);
    const TExactTally& t = r.Tally;
    EXPECT_EQ(t.RowDeals[WinRow(10)], 16759740ull);
    EXPECT_EQ(t.RowDeals[WinRow(9)], 156929720ull);
    EXPECT_EQ(t.RowDeals[WinRow(8)], 2832435800ull);
    EXPECT_EQ(t.RowDeals[WinRow(7)], 16624475280ull);
    EXPECT_EQ(t.RowDeals[WinRow(6)], 21856990280ull);
    EXPECT_EQ(t.RowDeals[WinRow(5)], 43805516100ull);
    EXPECT_EQ(t.RowDeals[WinRow(4)], 234242908320ull);
    EXPECT_EQ(t.RowDeals[WinRow(3)], 488012139360ull);
    // The published table pays ace + king and a pair alike and gives them one row.
    EXPECT_EQ(t.RowDeals[WinRow(1)] + t.RowDeals[WinRow(2)], 2343248003808ull);
    EXPECT_EQ(t.RowDeals[kRowNoGame], 4532514033720ull);
    EXPECT_EQ(t.RowDeals[kRowPush], 321623100ull);
    EXPECT_EQ(t.RowDeals[kRowPassed], 9523005974460ull);
    EXPECT_EQ(t.RowDeals[kRowDealerWins], 2726592727512ull);
    EXPECT_EQ(t.Deals(), 19933230517200ull);
    EXPECT_TRUE(r.DealSpace() == static_cast<TExactUInt>(19933230517200ull));
    // Total loss of perfect play in the same source.
    const TExactSummary s = SummarizeExact(r);
    ASSERT_TRUE(s.NetIsInteger);
    EXPECT_EQ(ToDecimal(s.Net), "-1041372912372");
    EXPECT_NEAR(static_cast<double>(s.HouseEdge), 0.052243, 5e-7);
}

// The three parts of a three-way slicing, merged, are the whole run to the last count.
TEST(ExactClassic, PartsMergeIntoTheWholeRun) {
    const TExactResult whole = ClassicResult();
    std::vector<TExactResult> parts;
    for (int k = 3; k >= 1; --k) {
        TExactSettings s;
        s.Rules.Buy6 = false;
        s.Rules.Insurance = false;
        s.Threads = 2;
        s.PartIndex = k;
        s.PartCount = 3;
        parts.push_back(RunExact(s));
        EXPECT_TRUE(parts.back().Complete);
    }
    const TExactResult merged = MergeExactParts(parts);
    EXPECT_TRUE(merged.Tally == whole.Tally);
    EXPECT_TRUE(merged.Complete);
    parts.pop_back();
    EXPECT_THROW(MergeExactParts(parts), TExactRefused);
}

} // namespace
} // namespace kvarlen
