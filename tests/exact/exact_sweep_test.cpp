// Sweeps: every point counted in the one pass equals the single run with that value.
#include "exact/exact_sweep.h"
#include "exact_sweep_support.h"

#include <gtest/gtest.h>

namespace kvarlen {
namespace {

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

// The whole payouts and their counts a payout solve ends with.
void ExpectSamePayoutSolution(const TPayoutSolution& got, const TPayoutSolution& want) {
    ASSERT_TRUE(got.Found) << got.Reason;
    EXPECT_EQ(got.LowPayout, want.LowPayout);
    EXPECT_EQ(got.HighPayout, want.HighPayout);
    EXPECT_EQ(got.Crossing, want.Crossing);
    EXPECT_EQ(got.Low.Pay, want.Low.Pay);
    EXPECT_EQ(got.High.Pay, want.High.Pay);
    EXPECT_TRUE(got.Low.Tally == want.Low.Tally);
    EXPECT_TRUE(got.High.Tally == want.High.Tally);
}

TEST(ExactSweep, APayoutSearchedWithinARangeIsTheWholeRangesAnswer) {
    TPayScope scope;
    PayTable = kDefaultPayTable;
    const TExactSettings base = Settings(TExactMode::Optimal, 3, 1000, true, false);
    const TSweepParameter flush = SweepParameter("pay-flush");
    const TPayoutSolution whole = SolveExactPayout(base, PayTable, flush, ParseEdge("2"));
    ASSERT_TRUE(whole.Found) << whole.Reason;
    ASSERT_GT(whole.LowPayout, 0); // the ranges below enclose it, and some start at it
    for (const auto& [low, high] : std::vector<std::pair<int, int>>{
             {0, 10}, {whole.LowPayout, whole.HighPayout}, {whole.LowPayout - 1, 900}}) {
        SCOPED_TRACE(std::to_string(low) + ".." + std::to_string(high));
        ExpectSamePayoutSolution(
            SolveExactPayout(base, PayTable, flush, ParseEdge("2"), {}, nullptr, low, high), whole);
    }
    // A range that does not enclose the target says which one it searched.
    const TPayoutSolution above =
        SolveExactPayout(base, PayTable, flush, ParseEdge("2"), {}, nullptr, whole.HighPayout, 40);
    EXPECT_FALSE(above.Found);
    EXPECT_NE(above.Reason.find("no payout in " + std::to_string(whole.HighPayout) + "..40"),
              std::string::npos)
        << above.Reason;
}

TEST(ExactSweep, APayoutSolvedBesideASweepIsTheWholeRangeSolve) {
    TPayScope scope;
    PayTable = kDefaultPayTable;
    const TExactSettings base = Settings(TExactMode::Optimal, 3, 1000, true, false);
    const TEdgeTarget edge = ParseEdge("2");
    const TPayoutSolution whole =
        SolveExactPayout(base, PayTable, SweepParameter("pay-flush"), edge);
    ASSERT_TRUE(whole.Found) << whole.Reason;
    // Whole neighbours, a coarse bracket, points out of order, none enclosing, a single point.
    for (const char* sweep : {"pay-flush=0:10:1", "pay-flush=0:10:5", "pay-flush=10,0,7,2",
                              "pay-flush=20,40", "pay-flush=3"}) {
        SCOPED_TRACE(sweep);
        const TSweepPlan plan = ParseSweep(sweep);
        std::vector<TExactResult> points = RunExactSweep(base, PayTable, plan);
        int passes = 0;
        const TSweepSolution s = SolveBesideSweep(base, PayTable, plan, points, edge,
                                                  [&](uint64_t, uint64_t) { ++passes; });
        EXPECT_FALSE(s.IsPrice);
        ASSERT_TRUE(s.Found) << s.Reason;
        EXPECT_EQ(s.Value, s.Payout.Crossing);
        ExpectSamePayoutSolution(s.Payout, whole);
        // The points of the sweep are the answer when they are whole neighbours.
        const bool neighbours = std::string(sweep) == "pay-flush=0:10:1";
        EXPECT_EQ(passes == 0, neighbours) << passes;
        if (!neighbours) continue;
        // Stopped points are no neighbours: the answer is searched for.
        for (TExactResult& p : points)
            if (p.Pay[6] == whole.LowPayout || p.Pay[6] == whole.HighPayout) p.Complete = false;
        passes = 0;
        const TSweepSolution again = SolveBesideSweep(base, PayTable, plan, points, edge,
                                                      [&](uint64_t, uint64_t) { ++passes; });
        ExpectSamePayoutSolution(again.Payout, whole);
        EXPECT_GT(passes, 0);
    }
    // Out of reach: the reason of the whole range.
    const TSweepPlan plan = ParseSweep("pay-flush=0,5");
    const TSweepSolution none = SolveBesideSweep(
        base, PayTable, plan, RunExactSweep(base, PayTable, plan), ParseEdge("60"));
    EXPECT_FALSE(none.Found);
    EXPECT_NE(none.Reason.find("no payout in 0..999"), std::string::npos) << none.Reason;
}

TEST(ExactSweep, APriceSolvedBesideASweepIsTheExactFraction) {
    TPayScope scope;
    PayTable = kDefaultPayTable;
    struct TCase {
        TExactSettings Base;
        const char* Sweep;
        const char* Edge;
    };
    for (const TCase& c :
         {TCase{Settings(TExactMode::Ideal, 2, 1000, true, false), "price-buy6=0:2:0.5", "0.5"},
          TCase{Settings(TExactMode::Optimal, 5, 1000, false, true), "price-change1=3,0,1", "1.25"},
          TCase{Settings(TExactMode::Optimal, 2, 1000, true, false), "price-buy6=0,1", "-90"}}) {
        SCOPED_TRACE(std::string(c.Sweep) + " " + c.Edge);
        const TSweepPlan plan = ParseSweep(c.Sweep);
        const TEdgeTarget edge = ParseEdge(c.Edge);
        const TSweepSolution s =
            SolveBesideSweep(c.Base, PayTable, plan, RunExactSweep(c.Base, PayTable, plan), edge);
        const TPriceSolution p = SolveExactPrice(c.Base, PayTable, plan.Parameter, edge);
        EXPECT_TRUE(s.IsPrice);
        EXPECT_EQ(s.Found, p.Found);
        EXPECT_EQ(s.Reason, p.Reason);
        EXPECT_TRUE(s.Price.Numerator == p.Numerator);
        EXPECT_TRUE(s.Price.Denominator == p.Denominator);
        EXPECT_TRUE(s.Price.NetInteger == p.NetInteger);
        EXPECT_TRUE(s.Price.Drawn == p.Drawn);
        if (p.Found) {
            EXPECT_EQ(s.Value, p.Price);
        }
    }
}

} // namespace
} // namespace kvarlen
