// What the sweep tests share: the payout table kept across a test, settings of a slice, and the
// check that every point of a sweep is the single run at its value.
#pragma once

#include "exact/exact_sweep.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kvarlen {

struct TPayScope {
    TPayTable Saved = PayTable;
    ~TPayScope() { PayTable = Saved; }
};

inline TExactSettings Settings(TExactMode mode, int part, int parts, bool buy, bool exchange) {
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
inline void ExpectPointsAreSingleRuns(const TExactSettings& base, const std::string& sweep) {
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

} // namespace kvarlen
