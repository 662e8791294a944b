// The counters a run keeps and the figures it reports. Results of independent runs (threads,
// machines) under the same rules add up with MergeResults.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace kvarlen {

// Indexed by ComboIndex 1..11 (C_Empty .. C_Royal); element 0 unused.
using TClassCounts = std::array<int64_t, 12>;

struct TRunStats {
    TClassCounts DealtByClass{};
    TClassCounts FinalByClass{};
    TClassCounts WonByClass{};
    TClassCounts NoGameByClass{};
    TClassCounts LostByClass{};
    TClassCounts PassByClass{};
    std::array<int64_t, 4> BuyCount{}; // team boxes 1..3
};

struct TRunResult {
    bool Ideal = false;
    bool BestPlay = false; // ideal play decided by best play (reported as ideal play)
    int TeamSize = 1;
    int64_t Deals = 0;  // played deals
    int64_t Passes = 0; // dealt deals, those a filter rejected included
    bool Stopped = false;
    int64_t DealsAsked = 0; // deals the run was asked to play (DealsToPlay)
    std::array<int32_t, 4> InitialBank{};
    std::array<double, 4> Net{}; // Bank - InitialBank of boxes 1..3
    double SumSquares = 0;
    TRunStats Stats;
    bool Statistics = false; // the statistics option was on: the report shows the tables
    double ElapsedMs = 0;
    double DecisionMs = 0; // time in MO_Buy (ideal play), in valuing the options (best play)
    double GlobalT1Ms = 0; // time in the pair counter (ideal play)
};

double TeamNet(const TRunResult& r);
// Expected result of one deal, variance and standard deviation; 0 when no deal was played.
double ResultMO(const TRunResult& r);
double ResultVariance(const TRunResult& r);
double ResultDeviation(const TRunResult& r);

// Adds `part` into `total`: deals, nets, SumSquares, counters and times. The statistics tables
// stay only when both collected them.
void MergeResults(TRunResult& total, const TRunResult& part);

} // namespace kvarlen
