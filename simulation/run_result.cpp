#include "simulation/run_result.h"

#include <cmath>

namespace kvarlen {

double TeamNet(const TRunResult& r) {
    double net = 0;
    for (int b = 1; b <= r.TeamSize && b <= 3; ++b) net += r.Net[static_cast<size_t>(b)];
    return net;
}

double ResultMO(const TRunResult& r) {
    if (r.Deals <= 0) return 0;
    return TeamNet(r) / static_cast<double>(r.Deals);
}

double ResultVariance(const TRunResult& r) {
    if (r.Deals <= 0) return 0;
    const double mo = ResultMO(r);
    return r.SumSquares / static_cast<double>(r.Deals) - mo * mo;
}

double ResultDeviation(const TRunResult& r) {
    // Rounding can leave a zero variance a hair below 0.
    const double v = ResultVariance(r);
    return v > 0 ? std::sqrt(v) : 0.0;
}

namespace {
void AddCounts(TClassCounts& a, const TClassCounts& b) {
    for (size_t i = 0; i < a.size(); ++i) a[i] += b[i];
}
} // namespace

void MergeResults(TRunResult& total, const TRunResult& part) {
    total.Deals += part.Deals;
    total.Passes += part.Passes;
    total.Stopped = total.Stopped || part.Stopped;
    total.DealsAsked += part.DealsAsked;
    for (size_t b = 1; b <= 3; ++b) total.Net[b] += part.Net[b];
    total.SumSquares += part.SumSquares;
    AddCounts(total.Stats.DealtByClass, part.Stats.DealtByClass);
    AddCounts(total.Stats.FinalByClass, part.Stats.FinalByClass);
    AddCounts(total.Stats.WonByClass, part.Stats.WonByClass);
    AddCounts(total.Stats.NoGameByClass, part.Stats.NoGameByClass);
    AddCounts(total.Stats.LostByClass, part.Stats.LostByClass);
    AddCounts(total.Stats.PassByClass, part.Stats.PassByClass);
    for (size_t b = 0; b < total.Stats.BuyCount.size(); ++b)
        total.Stats.BuyCount[b] += part.Stats.BuyCount[b];
    total.Statistics = total.Statistics && part.Statistics;
    total.ElapsedMs += part.ElapsedMs;
    total.DecisionMs += part.DecisionMs;
    total.GlobalT1Ms += part.GlobalT1Ms;
}

} // namespace kvarlen
