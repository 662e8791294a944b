// Sweeps of the default rules, whole: each point equals the single run at its value. Long: every
// point is counted twice, once in the sweep's pass and once alone.
#include "exact_sweep_support.h"

namespace kvarlen {
namespace {

TEST(ExactSweepLong, PointsOfTheDefaultRulesAreTheirSingleRuns) {
    // Best play across the price where the default rules turn to the house, ideal play with the
    // flush paid 5 and 6, strategy play with the full house at 7 and 9.
    ExpectPointsAreSingleRuns(Settings(TExactMode::Optimal, 1, 1, true, false), "price-buy6=1,1.4");
    ExpectPointsAreSingleRuns(Settings(TExactMode::Ideal, 1, 1, true, false), "pay-flush=5,6");
    ExpectPointsAreSingleRuns(Settings(TExactMode::Strategy, 1, 1, true, false),
                              "pay-full-house=7,9");
}

} // namespace
} // namespace kvarlen
