// Sessions: replayed exactly from the seed, the statistics adding up, the shadow, take back,
// refused keys and settings, and the drills.
#include "training_test_support.h"

#include "cards/classify.h"

#include <gtest/gtest.h>

namespace kvarlen::test {
namespace {

using namespace training;

std::string BestKey(TTrainingSession& s) {
    return s.Priced().BestOption().Key;
}

struct TPlayed {
    std::vector<TDealRecord> Deals;
};

TPlayed PlayAll(TTrainingSession& s, uint32_t botSeed) {
    TPlayed out;
    TBot bot(botSeed);
    while (s.NextDeal()) {
        while (s.Step() == TStep::Decision) s.Answer(bot.Pick(s.Point()));
        out.Deals.push_back(s.LastDeal());
    }
    return out;
}

TEST(TrainingSession, ReplaysExactlyFromItsSeed) {
    TSessionSettings st = Settings(3, TInfoMode::Beacon, 77, 12);
    TTrainingSession a(st), b(st);
    const TPlayed pa = PlayAll(a, 5), pb = PlayAll(b, 5);
    ASSERT_EQ(pa.Deals.size(), 12u);
    ASSERT_EQ(pb.Deals.size(), 12u);
    for (size_t d = 0; d < pa.Deals.size(); ++d) {
        const TDealRecord &x = pa.Deals[d], &y = pb.Deals[d];
        EXPECT_EQ(HandNotation(x.Dealer), HandNotation(y.Dealer));
        ASSERT_EQ(x.Judgements.size(), y.Judgements.size());
        for (size_t j = 0; j < x.Judgements.size(); ++j) {
            EXPECT_EQ(x.Judgements[j].Choice().Key, y.Judgements[j].Choice().Key);
            EXPECT_EQ(x.Judgements[j].Cost, y.Judgements[j].Cost);
        }
        EXPECT_EQ(x.Result, y.Result);
        EXPECT_EQ(x.ShadowResult, y.ShadowResult);
    }
    EXPECT_EQ(a.Stats().All.Cost, b.Stats().All.Cost);
    st.Seed = 78;
    TTrainingSession c(st);
    ASSERT_TRUE(c.NextDeal());
    EXPECT_NE(HandNotation(c.CurrentDeal().Dealer), HandNotation(pa.Deals[0].Dealer));
}

// Answering every point by the judge's best option is best play: the same cards, the same
// results as the shadow, nothing lost against the best expected value.
TEST(TrainingSession, BestAnswersPlayAsTheShadowInEveryMode) {
    const TInfoMode modes[] = {TInfoMode::InTurn, TInfoMode::Beacon, TInfoMode::FullExchange};
    for (int r = 0; r < 2; ++r)
        for (TInfoMode mode : modes) {
            TSessionSettings st = Settings(3, mode, 300 + static_cast<uint32_t>(mode) + 10 * r, 6);
            if (r == 1) st.Rules = ExchangeRules();
            TTrainingSession s(st);
            int drew = 0;
            while (s.NextDeal()) {
                while (s.Step() == TStep::Decision) s.Answer(BestKey(s));
                const TDealRecord& d = s.LastDeal();
                EXPECT_EQ(d.Result, d.ShadowResult);
                EXPECT_EQ(d.Cost, 0.0);
                for (size_t b = 0; b < d.Boxes.size(); ++b) {
                    EXPECT_EQ(HandNotation(d.Boxes[b].Final), HandNotation(d.Shadow[b].Final));
                    EXPECT_EQ(d.Boxes[b].Raise, d.Shadow[b].Raise);
                    EXPECT_EQ(d.Boxes[b].Insurance, d.Shadow[b].Insurance);
                    drew += d.Boxes[b].DrawnSlot > 0;
                }
            }
            EXPECT_EQ(s.Stats().ExpectedNet(), s.Stats().BestExpected);
            EXPECT_EQ(s.Stats().Net, s.Stats().ShadowNet);
            EXPECT_GT(drew, 0);
        }
}

TEST(TrainingSession, StatisticsAddUpAndMistakesReplay) {
    TSessionSettings st = Settings(2, TInfoMode::InTurn, 4242, 25);
    TTrainingSession s(st);
    const TPlayed p = PlayAll(s, 9);
    const TSessionStats& t = s.Stats();
    double cost = 0, net = 0, shadow = 0, best = 0;
    int64_t decisions = 0, mistakes = 0;
    for (const TDealRecord& d : p.Deals) {
        double dealCost = 0, dealBest = 0, dealResult = 0;
        for (const TJudgement& j : d.Judgements) {
            cost += j.Cost;
            dealCost += j.Cost;
            ++decisions;
            mistakes += j.Cost > kMistakeCost;
            EXPECT_TRUE(j.Cost == 0.0 || j.Cost > kMistakeCost);
            EXPECT_NEAR(j.Cost, j.Priced.BestOption().Value - j.Choice().Value, 1e-15);
        }
        for (const TBoxPlay& b : d.Boxes) {
            dealBest += b.BestValue;
            best += b.BestValue;
            dealResult += b.Result;
        }
        for (const TBoxPlay& b : d.Shadow) shadow += b.Result;
        EXPECT_EQ(d.Cost, dealCost);
        EXPECT_EQ(d.BestExpected, dealBest);
        EXPECT_EQ(d.Result, dealResult);
        EXPECT_EQ(d.Expected(), dealBest - dealCost);
        net += d.Result;
        for (size_t b = 0; b < d.Boxes.size(); ++b) {
            // Whatever slot either gave up, a box that drew got its next card.
            if (d.Boxes[b].DrawnSlot > 0) {
                EXPECT_TRUE(SameCard(d.Boxes[b].Received, d.Next[b]));
            }
            if (d.Shadow[b].DrawnSlot > 0) {
                EXPECT_TRUE(SameCard(d.Shadow[b].Received, d.Next[b]));
            }
        }
    }
    EXPECT_EQ(t.Deals, 25);
    EXPECT_NEAR(t.All.Cost, cost, 1e-12);
    EXPECT_EQ(t.All.Decisions, decisions);
    EXPECT_EQ(t.All.Mistakes, mistakes);
    EXPECT_GT(mistakes, 5);
    EXPECT_NEAR(t.Net, net, 1e-12);
    EXPECT_NEAR(t.ShadowNet, shadow, 1e-12);
    EXPECT_NEAR(t.BestExpected, best, 1e-12);
    EXPECT_EQ(t.ExpectedNet(), t.BestExpected - t.All.Cost);
    EXPECT_NEAR(t.AverageCost(), cost / 25, 1e-12);
    TCostTally kinds, classes;
    for (const TCostTally& k : t.ByKind) {
        kinds.Decisions += k.Decisions;
        kinds.Mistakes += k.Mistakes;
        kinds.Cost += k.Cost;
    }
    for (const TCostTally& k : t.ByClass) {
        classes.Decisions += k.Decisions;
        classes.Mistakes += k.Mistakes;
        classes.Cost += k.Cost;
    }
    EXPECT_EQ(kinds.Decisions, decisions);
    EXPECT_EQ(classes.Decisions, decisions);
    EXPECT_EQ(kinds.Mistakes, mistakes);
    EXPECT_EQ(classes.Mistakes, mistakes);
    EXPECT_NEAR(kinds.Cost, cost, 1e-12);
    EXPECT_NEAR(classes.Cost, cost, 1e-12);

    // The ten dearest, dearest first, and each priced again from what it keeps.
    ASSERT_EQ(t.Costliest.size(), 10u);
    std::vector<double> all;
    for (const TDealRecord& d : p.Deals)
        for (const TJudgement& j : d.Judgements)
            if (j.Mistake()) all.push_back(j.Cost);
    std::sort(all.rbegin(), all.rend());
    for (size_t i = 0; i < 10; ++i) {
        const TJudgement& j = t.Costliest[i];
        EXPECT_EQ(j.Cost, all[i]);
        const TPricedDecision again = Reprice(j, st.Rules);
        ASSERT_EQ(again.Options.size(), j.Priced.Options.size());
        EXPECT_EQ(again.Best, j.Priced.Best);
        for (size_t o = 0; o < again.Options.size(); ++o)
            EXPECT_EQ(again.Options[o].Value, j.Priced.Options[o].Value);
    }
}

TEST(TrainingSession, TakenBackMistakeCountsAndThePointIsAskedAgain) {
    TSessionSettings st = Settings(1, TInfoMode::Beacon, 99, 0);
    st.Feedback = TFeedback::Now;
    TTrainingSession s(st);
    // Deal on until a raise-or-pass point where one answer is wrong.
    bool tookBack = false, letStand = false;
    while ((!tookBack || !letStand) && s.NextDeal()) {
        while (s.Step() == TStep::Decision) {
            const TPricedDecision p = s.Priced();
            const std::string best = p.BestOption().Key;
            std::string wrong;
            for (size_t i = 0; i < p.Options.size(); ++i)
                if (p.CostOf(static_cast<int>(i)) > 0.01) wrong = p.Options[i].Key;
            if (wrong.empty() || p.Kind == TDecisionKind::Insurance) {
                s.Answer(best);
                continue;
            }
            const TDecisionPoint before = s.Point();
            const size_t kept = s.CurrentDeal().Judgements.size();
            const TJudgement j = s.Answer(wrong);
            EXPECT_TRUE(j.Mistake());
            ASSERT_EQ(s.Step(), TStep::Review);
            EXPECT_TRUE(s.CanTakeBack());
            EXPECT_THROW(s.Answer(best), TKeyError);
            if (!tookBack) {
                s.TakeBack();
                tookBack = true;
                ASSERT_EQ(s.Step(), TStep::Decision);
                EXPECT_EQ(s.Point().Kind, before.Kind);
                EXPECT_EQ(HandNotation(s.Point().Table.Hand), HandNotation(before.Table.Hand));
                ASSERT_EQ(s.CurrentDeal().Judgements.size(), kept + 1);
                EXPECT_TRUE(s.CurrentDeal().Judgements.back().TakenBack);
                s.Answer(best);
                EXPECT_FALSE(s.CurrentDeal().Judgements.back().Mistake());
            } else if (p.Kind == TDecisionKind::Draw && wrong == "B") {
                s.GoOn();
                letStand = true;
                // The wrong purchase stands: the box plays on with six cards.
                ASSERT_EQ(s.Step(), TStep::Decision);
                EXPECT_EQ(s.Point().Table.Hand.Count, 6);
            } else {
                s.TakeBack();
                s.Answer(best);
            }
        }
    }
    ASSERT_TRUE(tookBack);
    ASSERT_TRUE(letStand);
    // Every answer, the taken-back ones too, is a decision with its cost.
    const TSessionStats& t = s.Stats();
    int64_t answers = 0, wrong = 0;
    for (const TCostTally& k : t.ByKind) {
        answers += k.Decisions;
        wrong += k.Mistakes;
    }
    EXPECT_EQ(answers, t.All.Decisions);
    EXPECT_EQ(wrong, t.All.Mistakes);
    EXPECT_GE(t.All.Mistakes, 2);
}

TEST(TrainingSession, RefusesKeysAndSettingsItCannotPlay) {
    TTrainingSession s(Settings(1, TInfoMode::Beacon, 5, 3));
    ASSERT_TRUE(s.NextDeal());
    ASSERT_EQ(s.Point().Kind, TDecisionKind::Draw);
    for (const char* bad : {"X", "R", "1", "", "00", "BB"}) {
        EXPECT_THROW(s.Answer(bad), TKeyError) << bad;
        EXPECT_EQ(s.Step(), TStep::Decision);
        EXPECT_TRUE(s.CurrentDeal().Judgements.empty());
    }
    s.Answer("0");
    EXPECT_EQ(s.Point().Kind, TDecisionKind::RaisePass);
    s.Answer("p"); // any case
    EXPECT_EQ(s.Step(), TStep::DealEnd);

    auto refused = [](TSessionSettings st) { EXPECT_THROW(TTrainingSession{st}, TSessionError); };
    TSessionSettings st = Settings(4, TInfoMode::Beacon, 5, 1);
    refused(st);
    st = Settings(1, TInfoMode::Beacon, 0, 1);
    refused(st);
    st = Settings(1, TInfoMode::Beacon, 5, 1);
    st.Rules.DealerGameBuy = 1;
    refused(st);
    st = Settings(1, TInfoMode::Beacon, 5, 1);
    st.Rules.AKPlays = false;
    st.Drill = ParseDrill("class:ak");
    refused(st);
    st.Drill = ParseDrill("weak");
    refused(st);
    for (const char* bad :
         {"class:", "class:pair", "close:0", "close:-1", "close:x", "weak:1", "strong"})
        EXPECT_THROW(ParseDrill(bad), std::runtime_error) << bad;
    EXPECT_EQ(ParseDrill("close:0,05").Margin, 0.05);
    EXPECT_EQ(DrillText(ParseDrill("class:two-pairs")), "class:two-pairs");
}

TEST(TrainingDrill, DealsOnlyWhatTheDrillAsks) {
    {
        TSessionSettings st = Settings(2, TInfoMode::FullExchange, 11, 8);
        st.Drill = ParseDrill("class:two-pairs");
        TTrainingSession s(st);
        while (s.NextDeal()) {
            EXPECT_EQ(s.Point().DealtCombo, C_TwoPairs);
            while (s.Step() == TStep::Decision) s.Answer(BestKey(s));
        }
        EXPECT_GT(s.Rejected(), 0);
    }
    for (bool draws : {true, false}) {
        TSessionSettings st = Settings(1, TInfoMode::Beacon, 12, 6);
        if (!draws) st.Rules.Buy6 = false;
        st.Drill = ParseDrill("close:0,05");
        TTrainingSession s(st);
        while (s.NextDeal()) {
            // Box 1's best two options at its first decision, priced afresh.
            const TTableView& t = s.Point().Table;
            std::vector<double> v;
            if (draws) {
                for (const TOptionValue& o : PriceDraw(t.View, t.Hand, t.Open, st.Rules).Options)
                    v.push_back(o.Value);
            } else {
                for (const TOptionValue& o :
                     PriceRaise(FinalContinuation(t.View, t.Hand, t.Open, st.Rules)).Options)
                    v.push_back(o.Value);
            }
            std::sort(v.rbegin(), v.rend());
            EXPECT_LE(v[0] - v[1], 0.05);
            while (s.Step() == TStep::Decision) s.Answer(BestKey(s));
        }
        EXPECT_GT(s.Rejected(), 0);
    }
    {
        TSessionSettings st = Settings(1, TInfoMode::Beacon, 13, 10);
        st.Drill = ParseDrill("weak");
        st.Drill.WeakCombos = {C_Empty, C_AK};
        TTrainingSession s(st);
        while (s.NextDeal()) {
            const uint16_t c = s.Point().DealtCombo;
            EXPECT_TRUE(c == C_Empty || c == C_AK);
            while (s.Step() == TStep::Decision) s.Answer(BestKey(s));
        }
    }
}

} // namespace
} // namespace kvarlen::test
