// Best play against dealing everything out, and where it parts from the MO rule.
#include "analysis/best_play.h"
#include "analysis/ev.h"
#include "analysis/settled_outcome.h"
#include "best_play_brute_force.h"
#include "layout_samples.h"
#include "simulation/strategy_rules.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace kvarlen::test {

namespace {

struct TRuleSet {
    const char* Name;
    TRules Rules;
    TPayTable Pay;
};

std::vector<TRuleSet> RuleSets() {
    std::vector<TRuleSet> sets;
    TRules r;
    sets.push_back({"default rules", r, kDefaultPayTable});
    TRules ex = r;
    ex.Buy6 = false;
    ex.Exchange1 = true;
    ex.PriceChange1 = 0.5;
    sets.push_back({"exchange one card at 0.5", ex, kDefaultPayTable});
    TRules noIns = r;
    noIns.Insurance = false;
    noIns.PriceBuy6 = 0.25;
    sets.push_back({"no insurance, cheap purchase", noIns, kDefaultPayTable});
    TRules noAK = r;
    noAK.AKPlays = false;
    noAK.PriceBuy6 = 1.5;
    noAK.PriceChange2 = 0.75;
    sets.push_back({"ace king off", noAK, {0, 1, 1, 2, 3, 5, 6, 9, 25, 60, 200}});
    return sets;
}

class PayTableScope {
  public:
    explicit PayTableScope(const TPayTable& pay) : saved_(PayTable) { PayTable = pay; }
    ~PayTableScope() { PayTable = saved_; }

  private:
    TPayTable saved_;
};

void ExpectSameOptions(const TOptionTable& fast, const std::vector<TBruteOption>& slow,
                       const std::string& what) {
    SCOPED_TRACE(what);
    ASSERT_EQ(fast.Options.size(), slow.size());
    double top = -1e300;
    for (size_t i = 0; i < slow.size(); ++i) {
        const TPlayOption& o = fast.Options[i];
        EXPECT_EQ(o.Kind, slow[i].Kind) << i;
        EXPECT_EQ(o.First, slow[i].First) << i;
        EXPECT_EQ(o.Second, slow[i].Second) << i;
        EXPECT_NEAR(o.Value, slow[i].Value, 1e-10) << OptionCode(o);
        top = std::max(top, slow[i].Value);
    }
    ASSERT_GE(fast.Best, 0);
    const TPlayOption& best = fast.BestOption();
    EXPECT_NEAR(best.Value, top, 1e-10) << OptionCode(best);
    EXPECT_EQ(best.Cost, 0.0);
    for (const TPlayOption& o : fast.Options) {
        EXPECT_GE(o.Cost, 0.0);
        EXPECT_NEAR(o.Cost, std::max(0.0, best.Value - o.Value), 1e-12) << OptionCode(o);
    }
}

TOptionRequest Everything() {
    TOptionRequest r;
    r.Exchange1 = r.Exchange2 = r.Buy = true;
    return r;
}

} // namespace

// Named layouts reach the awkward corners; random ones, many with cards out of play so that the
// two-card exchanges can be dealt out too, make up the rest. Every rule set sees every layout.
TEST(BestPlay, EveryOptionEqualsDealingEverythingOut) {
    std::vector<TSample> samples = NamedSamples();
    samples.push_back(
        Sample("flush of the open suit against dealer flushes", "2H 4H 7H 9H QH", "KH"));
    samples.push_back(
        Sample("low flush, open suit high cards out", "2C 3C 5C 7C 8C", "9C", "AC KC"));
    samples.push_back(Sample("four to a flush of the open suit", "3S 7S 9S QS 5D", "AS"));
    samples.push_back(Sample("straight with two of the open value", "5S 6C 7D 8H 9S", "9C", "9D"));
    samples.push_back(Sample("flush with one of the open value", "2D 6D 8D JD KD", "KS"));
    samples.push_back(Sample("open king, ace king", "AS KC 7D 5H 2C", "KH"));
    samples.push_back(Sample("open ace, nothing", "2S 4C 7D 9H JC", "AH"));
    std::mt19937 rng(20261209);
    while (samples.size() < 84) samples.push_back(RandomSample(rng, 30));
    int cases = 0, pairsDealt = 0, nearHalfBelow = 0, nearHalfAbove = 0;
    for (const TRuleSet& set : RuleSets()) {
        PayTableScope pay(set.Pay);
        for (size_t i = 0; i < samples.size(); ++i) {
            TSample s = samples[i];
            s.AKPlays = set.Rules.AKPlays;
            const TDeck view = s.Deck();
            const THand hand = s.Hand();
            TOptionRequest request = RulesRequest(set.Rules);
            // Exchanging is valued on the layout page whatever the rules; the pairs only where
            // dealing them out stays affordable.
            request.Exchange1 = true;
            request.Buy = true;
            request.Exchange2 = true;
            if (BruteForceWork(view, hand, s.Open, request) > 1.5e7) request.Exchange2 = false;
            if (BruteForceWork(view, hand, s.Open, request) > 1.5e7) request.Exchange1 = false;
            pairsDealt += request.Exchange2 && hand.Count == 5;
            const TOptionTable fast = BestPlayOptions(view, hand, s.Open, set.Rules, request);
            const auto slow = BruteForceOptions(view, hand, s.Open, set.Rules, request);
            ExpectSameOptions(fast, slow, std::string(set.Name) + " / " + Describe(s));
            // Where the insurance is close to even.
            THand h = hand;
            const LayoutOutcome t = SettledOutcome(view, h, s.Open, set.Rules);
            const double q = static_cast<double>(t.N) / t.S;
            if (h.Combo >= C_Straight && set.Rules.Insurance) {
                if (q > 0.45 && q < 0.5) ++nearHalfBelow;
                if (q > 0.5 && q < 0.55) ++nearHalfAbove;
            }
            ++cases;
        }
    }
    EXPECT_GE(cases, 300);
    EXPECT_GE(pairsDealt, 12);
    EXPECT_GE(nearHalfBelow, 1);
    EXPECT_GE(nearHalfAbove, 1);
}

TEST(BestPlayLong, FullDeckPairsOfSlotsEqualDealingOut) {
    // One full deck with every option, pairs included: 10 x 1035 hands against 135,751 dealers.
    const TSample s = Sample("four to a straight", "5S 6C 7D 8H KS", "2C");
    TRules rules;
    const TOptionTable fast = BestPlayOptions(s.Deck(), s.Hand(), s.Open, rules, Everything());
    const auto slow = BruteForceOptions(s.Deck(), s.Hand(), s.Open, rules, Everything());
    ExpectSameOptions(fast, slow, Describe(s));
}

TEST(BestPlay, TiesGoToTheSimplerOption) {
    TRules rules;
    rules.Buy6 = false;
    // Nothing to gain from raising a hand without a game against... a dealer who always has
    // one is never the case; instead make every draw worthless: price 1000.
    rules.Exchange1 = true;
    rules.PriceChange1 = 1000;
    const TSample s = Sample("nothing", "2C 7D 9H JS 4C", "AS");
    const TOptionTable t = BestPlayOptions(s.Deck(), s.Hand(), s.Open, rules, RulesRequest(rules));
    EXPECT_EQ(t.BestOption().Kind, TOptionKind::Pass);
    // Two identical exchanges (the same value by symmetry) keep the lower slot ahead.
    TRules cheap;
    cheap.Buy6 = false;
    cheap.Exchange1 = true;
    const TSample sym = Sample("two pairs and a kicker", "9S 9C 4D 4H 2S", "KD");
    const TOptionTable u =
        BestPlayOptions(sym.Deck(), sym.Hand(), sym.Open, cheap, RulesRequest(cheap));
    for (const TPlayOption& o : u.Options) {
        if (o.Cost == 0) {
            EXPECT_EQ(&o, &u.BestOption()) << OptionCode(o) << " ties the best";
        }
    }
}

TEST(BestPlay, FinalStatesAddUpToTheOptionValue) {
    TRules rules;
    const TSample s = Sample("four to a flush", "2H 5H 9H JH 3C", "7H");
    const TDeck view = s.Deck();
    const TOptionTable t = BestPlayOptions(view, s.Hand(), s.Open, rules, RulesRequest(rules));
    for (const TPlayOption& o : t.Options) {
        double sum = 0;
        int n = 0;
        ForEachFinalState(view, s.Hand(), s.Open, rules, o, [&](const TFinalState& f) {
            const double v =
                o.Kind == TOptionKind::Pass
                    ? -1.0 + (f.Continuation.Insurance ? f.Continuation.InsuranceValue : 0)
                : o.Kind == TOptionKind::Raise
                    ? f.Continuation.RaiseValue +
                          (f.Continuation.Insurance ? f.Continuation.InsuranceValue : 0)
                    : f.Continuation.Value;
            sum += v;
            ++n;
        });
        EXPECT_NEAR(sum / n - o.Price, o.Value, 1e-12) << OptionCode(o);
    }
}

// Three ways the MO rule is not the optimum, each on a named layout: the decision of ideal play
// (MO values, the insurance rule) and the best one part.
TEST(BestPlay, PartsFromTheMORuleOnNamedLayouts) {
    PayTable = kDefaultPayTable;
    // Flush against flush. Without insurance the settlement's ranking of flushes is the only
    // thing the MO values leave out: an ace-high flush of clubs against an open spade is raised
    // by ideal play, while best play buys (the counters call every dealer flush a push).
    {
        TRules rules;
        rules.Insurance = false;
        const TSample s = Sample("ace-high low flush", "2C 6C AC 5C 3C", "4S");
        THand h = s.Hand();
        const double raise = MO_Raise(s.Deck(), h, s.Open, rules);
        EXPECT_LT(MO_Buy(s.Deck(), h, s.Open, rules, true), raise) << "ideal play raises";
        const TOptionTable t = BestPlayOptions(s.Deck(), h, s.Open, rules, RulesRequest(rules));
        EXPECT_EQ(t.BestOption().Kind, TOptionKind::Buy);
        EXPECT_GT(t.Options[1].Cost, 0.0);
    }
    // Insurance by its exact value: a straight with one card of the open value is never insured
    // by the rule, yet the dealer lacks a game more often than not; a full house with two is
    // insured by the rule at a loss.
    {
        TRules rules;
        rules.Buy6 = false;
        const TSample straight = Sample("straight, one of the open value", "AD XH KD QS JS", "QD");
        EXPECT_EQ(InsuranceRule(straight.Hand().Combo, 1, rules), 0);
        const TOptionTable a = BestPlayOptions(straight.Deck(), straight.Hand(), straight.Open,
                                               rules, RulesRequest(rules));
        EXPECT_EQ(a.BestOption().Kind, TOptionKind::Raise);
        EXPECT_EQ(a.BestOption().Insurance, PayOff(C_Straight));
        EXPECT_GT(a.Dealt.N * 2, a.Dealt.S);
        const TSample full = Sample("full house, two of the open value", "XS XD AH AC XH", "AD");
        EXPECT_EQ(InsuranceRule(full.Hand().Combo, 2, rules), PayOff(C_FullHouse));
        const TOptionTable b =
            BestPlayOptions(full.Deck(), full.Hand(), full.Open, rules, RulesRequest(rules));
        EXPECT_EQ(b.BestOption().Kind, TOptionKind::Raise);
        EXPECT_EQ(b.BestOption().Insurance, 0);
        EXPECT_LT(b.Dealt.N * 2, b.Dealt.S);
    }
    // A purchase valued with the insurance it brings: MO_Buy counts raise or pass only, so ideal
    // play raises the pair of fours; the straights a sixth card makes are insured and worth
    // buying for.
    {
        TRules rules;
        const TSample s = Sample("pair of fours, wheel draw", "4S 2H AS 5S 4H", "4C");
        THand h = s.Hand();
        EXPECT_LT(MO_Buy(s.Deck(), h, s.Open, rules, true), MO_Raise(s.Deck(), h, s.Open, rules));
        const TOptionTable t = BestPlayOptions(s.Deck(), h, s.Open, rules, RulesRequest(rules));
        EXPECT_EQ(t.BestOption().Kind, TOptionKind::Buy);
        EXPECT_GT(t.BestOption().Insures, 0);
        TRules noInsurance = rules;
        noInsurance.Insurance = false;
        const TOptionTable u =
            BestPlayOptions(s.Deck(), h, s.Open, noInsurance, RulesRequest(noInsurance));
        EXPECT_EQ(u.BestOption().Kind, TOptionKind::Raise);
    }
}

} // namespace kvarlen::test
