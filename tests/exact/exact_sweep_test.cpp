// Sweeps: every point counted in the one pass equals the single run with that value.
#include "exact/exact_sweep.h"

#include <gtest/gtest.h>

namespace kvarlen {
namespace {

struct TPayScope {
    TPayTable Saved = PayTable;
    ~TPayScope() { PayTable = Saved; }
};

TExactSettings Settings(TExactMode mode, int part, int parts, bool buy, bool exchange) {
    TExactSettings s;
    s.Mode = mode;
    s.Rules.Buy6 = buy;
    s.Rules.Exchange1 = exchange;
    s.Threads = 2;
    s.PartIndex = part;
    s.PartCount = parts;
    return s;
}

// Each point against RunExact with PayTable and the rules set to that point's value.
void ExpectPointsAreSingleRuns(const TExactSettings& base, const std::string& sweep) {
    TPayScope scope;
    PayTable = kDefaultPayTable;
    const TSweepPlan plan = ParseSweep(sweep);
    const std::vector<TExactResult> points = RunExactSweep(base, kDefaultPayTable, plan);
    ASSERT_EQ(points.size(), plan.Values.size());
    for (size_t k = 0; k < points.size(); ++k) {
        TExactSettings one = base;
        PayTable = kDefaultPayTable;
        ApplySweepValue(plan.Parameter, plan.Values[k], one.Rules, PayTable);
        const TExactResult single = RunExact(one);
        SCOPED_TRACE(sweep + " at " + std::to_string(plan.Values[k]));
        EXPECT_TRUE(points[k].Complete);
        EXPECT_TRUE(SameExactConditions(points[k], single));
        EXPECT_TRUE(points[k].Tally == single.Tally);
    }
}

TEST(ExactSweep, EveryPointIsTheSingleRunCountForCount) {
    // The classic game whole, a payout swept.
    ExpectPointsAreSingleRuns(Settings(TExactMode::Ideal, 1, 1, false, false), "pay-flush=0:10:5");
    // Purchases and insurance on slices: prices where decisions switch, payouts of the
    // insured classes, every mode.
    for (TExactMode mode : {TExactMode::Optimal, TExactMode::Ideal, TExactMode::Strategy}) {
        ExpectPointsAreSingleRuns(Settings(mode, 7, 300, true, false), "price-buy6=0,0.5,1,1.5,3");
        ExpectPointsAreSingleRuns(Settings(mode, 11, 300, true, false), "pay-full-house=3,7,12");
    }
    for (TExactMode mode : {TExactMode::Optimal, TExactMode::Ideal})
        ExpectPointsAreSingleRuns(Settings(mode, 5, 300, false, true), "price-change1=0:2:0.5");
}

TEST(ExactSweep, ValuesAreReadOrRefusedWithTheReason) {
    const TSweepPlan a = ParseSweep("price-buy6=0.5:1,5:0.25");
    EXPECT_EQ(a.Values, (std::vector<double>{0.5, 0.75, 1.0, 1.25, 1.5}));
    const TSweepPlan b = ParseSweep("price-change1=0:1:0.1");
    ASSERT_EQ(b.Values.size(), 11u);
    EXPECT_EQ(b.Values[3], 0.3);
    EXPECT_EQ(ParseSweep("pay-royal=100,250,500").Values.size(), 3u);
    for (const char* bad :
         {"pay-royal=1.5", "pay-flush=0:1000:1", "price-buy6=-1,2", "price-buy6=1:0:1",
          "price-buy6=0:1:0", "pay-nothing=1", "price-buy6", "price-buy6=1,,2", "price-buy6=x"})
        EXPECT_THROW(ParseSweep(bad), TExactRefused) << bad;
}

TEST(ExactSweep, ASolvedPriceGivesTheEdgeExactly) {
    TPayScope scope;
    PayTable = kDefaultPayTable;
    for (TExactMode mode : {TExactMode::Optimal, TExactMode::Ideal}) {
        const TExactSettings base = Settings(mode, 2, 200, true, false);
        const TPriceSolution p =
            SolveExactPrice(base, PayTable, SweepParameter("price-buy6"), ParseEdge("0.5"));
        ASSERT_TRUE(p.Found) << p.Reason;
        EXPECT_GE(p.Price, p.SwitchBelow);
        EXPECT_LE(p.Price, p.SwitchAbove);
        // Put back: the decimal keeps the interval's decisions, so its counts are A and B.
        TExactSettings one = base;
        one.Rules.PriceBuy6 = p.Price;
        const TExactResult r = RunExact(one);
        const TExactTally& t = r.Tally;
        EXPECT_EQ(static_cast<TExactInt>(t.PricedSum[0] + t.PricedSum[1] + t.PricedSum[2]),
                  p.NetInteger);
        EXPECT_EQ(static_cast<TExactInt>(t.Bought()), p.Drawn);
        EXPECT_NEAR(HouseEdgePercent(r), 0.5, 1e-9);
        // The fraction exactly: (A - (n/d) B) / deals = -0.5 / 100.
        EXPECT_EQ((p.NetInteger * p.Denominator - p.Numerator * p.Drawn) * 200,
                  -static_cast<TExactInt>(p.Deals) * p.Denominator);
    }
    const TPriceSolution none =
        SolveExactPrice(Settings(TExactMode::Optimal, 2, 200, true, false), PayTable,
                        SweepParameter("price-buy6"), ParseEdge("-90"));
    EXPECT_FALSE(none.Found);
    EXPECT_NE(none.Reason.find("no price"), std::string::npos);
}

TEST(ExactSweep, ASolvedPayoutIsEnclosedByItsNeighbours) {
    TPayScope scope;
    PayTable = kDefaultPayTable;
    const TExactSettings base = Settings(TExactMode::Optimal, 3, 200, true, false);
    const TPayoutSolution p =
        SolveExactPayout(base, PayTable, SweepParameter("pay-flush"), ParseEdge("2"));
    ASSERT_TRUE(p.Found) << p.Reason;
    EXPECT_EQ(p.HighPayout, p.LowPayout + 1);
    const double lo = HouseEdgePercent(p.Low), hi = HouseEdgePercent(p.High);
    EXPECT_TRUE((lo - 2) * (hi - 2) <= 0) << lo << " " << hi;
    PayTable[6] = p.LowPayout;
    EXPECT_TRUE(RunExact(base).Tally == p.Low.Tally);
    EXPECT_THROW(ParseEdge("2%"), TExactRefused);
    EXPECT_THROW(ParseEdge("200"), TExactRefused);
}

} // namespace
} // namespace kvarlen
