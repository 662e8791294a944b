// Simulations of a few million deals agree with the exact value within 3.5 standard errors:
// ideal and strategy play of one box under the default rules and two other rule sets. Long: it
// counts the whole game several times and plays millions of ideal deals.
#include "exact/exact_report.h"
#include "exact/exact_run.h"
#include "simulation/simulation_run.h"

#include <gtest/gtest.h>

#include <cmath>
#include <iostream>

namespace kvarlen {
namespace {

class QuietHost : public TSimulationHost {
  public:
    TRunSettings Settings;
    TLiveOptions Live;
    TRunSettings ReadRunSettings() override { return Settings; }
    void ReadLiveOptions(TLiveOptions& o) override { o = Live; }
    void AppendReport(const std::vector<std::string>&) override {}
    std::vector<std::string> MemoLines() override { return {}; }
};

struct TRuleSet {
    const char* Name;
    TRules Rules;
    TPayTable Pay;
};

TRuleSet DefaultRules() {
    return {"default", TRules{}, kDefaultPayTable};
}

// No purchase, ace + king does not play, insurance on.
TRuleSet NoBuyNoAK() {
    TRuleSet s{"no purchase, no ace + king", TRules{}, kDefaultPayTable};
    s.Rules.Buy6 = false;
    s.Rules.AKPlays = false;
    return s;
}

// Exchanging one card at half an ante instead of buying, other payouts.
TRuleSet ExchangeOther() {
    TRuleSet s{"exchange at 0.5, payouts 1,2,3,4,5,6,8,25,60,150",
               TRules{},
               {0, 1, 2, 3, 4, 5, 6, 8, 25, 60, 150}};
    s.Rules.Buy6 = false;
    s.Rules.Exchange1 = true;
    s.Rules.PriceChange1 = 0.5;
    return s;
}

void ExpectAgreement(const TRuleSet& set, TExactMode mode, int64_t deals, uint32_t seed) {
    PayTable = set.Pay;
    TRules rules = set.Rules;
    // Strategy play never exchanges.
    if (mode == TExactMode::Strategy) rules.Exchange1 = false;
    TExactSettings es;
    es.Rules = rules;
    es.Mode = mode;
    es.DealerAK = rules.AKPlays;
    const TExactResult exact = RunExact(es);
    ASSERT_TRUE(exact.Complete);
    const TExactSummary s = SummarizeExact(exact);

    QuietHost host;
    host.Settings.TeamSize = 1;
    host.Settings.DealsToPlay = static_cast<int32_t>(deals);
    host.Settings.OutDir.clear();
    host.Settings.Rules = rules;
    host.Settings.DealerAK = rules.AKPlays;
    host.Settings.BestPlay = mode == TExactMode::Optimal;
    TStreamOptions streams;
    streams.Threads = 2;
    streams.Seed = seed;
    const TRunOutcome sim = RunSimulationStreams(host, mode != TExactMode::Strategy, streams);
    ASSERT_TRUE(sim.Ran);
    const double mo = ResultMO(sim.Result);
    const double se = std::sqrt(ResultVariance(sim.Result) / static_cast<double>(deals));
    const double z = (mo - static_cast<double>(s.MO)) / se;
    std::cout << set.Name << ", " << ExactModeName(mode) << ": exact " << static_cast<double>(s.MO)
              << " (" << exact.Seconds << " s), simulated " << mo << " +- " << se << " over "
              << deals << " deals, z = " << z << "\n";
    EXPECT_LT(std::fabs(z), 3.5) << set.Name << ", " << ExactModeName(mode);
    // The variance is exact too: the simulated one is close to it.
    EXPECT_NEAR(ResultVariance(sim.Result), static_cast<double>(s.Variance),
                0.05 * static_cast<double>(s.Variance));
    PayTable = kDefaultPayTable;
}

TEST(ExactAgreementLong, DefaultRulesIdeal) {
    ExpectAgreement(DefaultRules(), TExactMode::Ideal, 2000000, 101);
}
TEST(ExactAgreementLong, DefaultRulesStrategy) {
    ExpectAgreement(DefaultRules(), TExactMode::Strategy, 4000000, 102);
}
TEST(ExactAgreementLong, NoBuyNoAKIdeal) {
    ExpectAgreement(NoBuyNoAK(), TExactMode::Ideal, 3000000, 103);
}
TEST(ExactAgreementLong, NoBuyNoAKStrategy) {
    ExpectAgreement(NoBuyNoAK(), TExactMode::Strategy, 4000000, 104);
}
TEST(ExactAgreementLong, ExchangeIdeal) {
    ExpectAgreement(ExchangeOther(), TExactMode::Ideal, 2000000, 105);
}
TEST(ExactAgreementLong, DefaultRulesOptimal) {
    ExpectAgreement(DefaultRules(), TExactMode::Optimal, 2000000, 107);
}
TEST(ExactAgreementLong, ExchangeOptimal) {
    ExpectAgreement(ExchangeOther(), TExactMode::Optimal, 2000000, 108);
}
TEST(ExactAgreementLong, ExchangeRulesStrategy) {
    ExpectAgreement(ExchangeOther(), TExactMode::Strategy, 4000000, 106);
}

} // namespace
} // namespace kvarlen
