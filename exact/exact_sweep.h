// A price or a payout swept over values: every point an exact run of its own, all counted in
// one pass over the layouts (the dealer tallies of a layout do not depend on payouts or prices;
// only the decisions and the settlement on top of them do).
#pragma once

#include "exact/exact_run.h"

#include <string>
#include <vector>

namespace kvarlen {

struct TSweepParameter {
    std::string Name;  // "price-buy6", "price-change1", "pay-ak" .. "pay-royal"
    int Payout = 0;    // 1..10 for a payout (PayTable index), 0 for a price
    bool Buy6 = false; // the price of the sixth card, else of exchanging one card
};
// Throws TExactRefused for an unknown name, listing the known ones.
TSweepParameter SweepParameter(const std::string& name);

inline constexpr size_t kMaxSweepPoints = 1001;

struct TSweepPlan {
    TSweepParameter Parameter;
    std::vector<double> Values;
};
// "NAME=FROM:TO:STEP" or "NAME=v1,v2,...". Payouts must be whole numbers 0..999, prices 0..1000;
// at most kMaxSweepPoints points. Throws TExactRefused saying what is wrong.
TSweepPlan ParseSweep(const std::string& text);

// The rules and payouts of one point.
void ApplySweepValue(const TSweepParameter& p, double value, TRules& rules, TPayTable& pay);
// The value that rules and pay give the parameter (what ApplySweepValue sets).
double SweepValueOf(const TSweepParameter& p, const TRules& rules, const TPayTable& pay);

// Every point's result, as RunExact gives it with that value in the rules (or PayTable).
// base.Rules and pay are the rules of the other fields.
std::vector<TExactResult> RunExactSweep(const TExactSettings& base, const TPayTable& pay,
                                        const TSweepPlan& plan, const TExactProgress& progress = {},
                                        const std::atomic<bool>* stop = nullptr);

// A house edge in per cent as a decimal ("2", "2.5", "-0,75"): Numerator / 10^Decimals.
struct TEdgeTarget {
    TExactInt Numerator = 0;
    int Decimals = 0;
    double Value = 0;
};
// Throws TExactRefused for anything but a decimal number with at most 8 decimals within +-100.
TEdgeTarget ParseEdge(const std::string& text);

// The price at which the house edge is the target. The return is piecewise linear in a price:
// each layout draws below one price and keeps its cards above it, so between two such switches
// the net result is A - p B with integers A and B, and the price solves it exactly.
struct TPriceSolution {
    bool Found = false;
    std::string Reason;      // when not found
    TExactInt Numerator = 0; // the price Numerator / Denominator
    TExactInt Denominator = 1;
    double Price = 0;
    double SwitchBelow = 0;               // the decision switches enclosing the price (0 and 1000
    double SwitchAbove = 0;               // at the ends of the range)
    TExactInt NetInteger = 0, Drawn = 0;  // A and B of that interval: the net is A - p B
    TExactUInt Deals = 0;                 // of the part counted
    double EdgeAtZero = 0, EdgeAtMax = 0; // the house edges (%) at the ends of the range
    bool Complete = false;
    int PartIndex = 1, PartCount = 1;
};
TPriceSolution SolveExactPrice(const TExactSettings& base, const TPayTable& pay,
                               const TSweepParameter& parameter, const TEdgeTarget& edge,
                               const TExactProgress& progress = {},
                               const std::atomic<bool>* stop = nullptr);

// The payout nearest the target: the two neighbouring whole payouts whose house edges enclose
// it, found by a coarse sweep of the range and a sweep of the whole payouts of the bracket.
struct TPayoutSolution {
    bool Found = false;
    std::string Reason;
    TExactResult Low, High; // payouts Low.Pay[i] and High.Pay[i] = Low's + 1
    int LowPayout = 0, HighPayout = 0;
    double Crossing = 0; // where the straight line between their edges meets the target
};
// low..high: the whole payouts searched (all of 0..999 by default; a sweep that already
// brackets the target narrows it).
TPayoutSolution SolveExactPayout(const TExactSettings& base, const TPayTable& pay,
                                 const TSweepParameter& parameter, const TEdgeTarget& edge,
                                 const TExactProgress& progress = {},
                                 const std::atomic<bool>* stop = nullptr, int low = 0,
                                 int high = kMaxPayout);

// The target edge solved beside a sweep that has been counted: a price exactly (one more pass);
// a payout within the two neighbouring points whose edges enclose the target (no pass when they
// are whole neighbours), else over all of 0..999.
struct TSweepSolution {
    bool Found = false;
    std::string Reason;
    bool IsPrice = false;
    TPriceSolution Price;
    TPayoutSolution Payout;
    double Value = 0; // the price, or the real crossing between the two payouts
};
TSweepSolution SolveBesideSweep(const TExactSettings& base, const TPayTable& pay,
                                const TSweepPlan& plan, const std::vector<TExactResult>& points,
                                const TEdgeTarget& edge, const TExactProgress& progress = {},
                                const std::atomic<bool>* stop = nullptr);

// The house edge (%) of a complete result.
double HouseEdgePercent(const TExactResult& r);

} // namespace kvarlen
