// The judge against dealing everything out: each sampled decision point of real sessions (teams
// in every information mode, several rule sets) is priced again by the brute force, on the view
// ideal play gives the box, which is itself rebuilt here from what the table shows.
#include "best_play_brute_force.h"
#include "training/training_history.h"
#include "training_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace kvarlen::test {
namespace {

using namespace training;

constexpr double kEps = 1e-9;
// Comparisons the brute force may make for one drawing point; cards are taken out of the view
// until it fits (the judge is valued on the same smaller view).
constexpr double kDrawBudget = 1.2e6;

struct TCase {
    const char* Name;
    int Boxes;
    TInfoMode Mode;
    TRules Rules;
    const char* Drill;
    int Deals;
};

// The dealer's chance of having no game on the view, dealt out.
double NoGameShare(const TDeck& view, const TCardRec& open, bool akPlays) {
    std::vector<TCardRec> rest;
    for (int i = 1; i <= 52; ++i)
        if (view[i].Value > 0 && i != DeckIndex(open.Suit, open.Value))
            rest.push_back(GetDeckCard(view, i));
    int64_t all = 0, none = 0;
    THand d;
    d.Count = 5;
    const size_t n = rest.size();
    for (size_t a = 0; a < n; ++a)
        for (size_t b = a + 1; b < n; ++b)
            for (size_t c = b + 1; c < n; ++c)
                for (size_t e = c + 1; e < n; ++e) {
                    d.Cards[1] = open;
                    d.Cards[2] = rest[a];
                    d.Cards[3] = rest[b];
                    d.Cards[4] = rest[c];
                    d.Cards[5] = rest[e];
                    d.Sorted = 0;
                    ++all;
                    none += EvaluateHand(d, akPlays) == C_Empty ? 1 : 0;
                }
    return static_cast<double>(none) / static_cast<double>(all);
}

// The view as ideal play builds it at a box's first decision, from the table: the box's dealt
// cards out, the visible boxes' cards out, in beacon mode the others' cards of the open value
// (highest suits first, never the open card).
TDeck ExpectedView(const TDecisionPoint& p, const THand& dealt) {
    TDeck v;
    const TTableView& t = p.Table;
    for (int i = 1; i <= 5; ++i) v.Take(dealt.Cards[i]);
    for (const TBoxSight& b : t.Others)
        if (b.Visible)
            for (int i = 1; i <= b.Hand.Count; ++i) v.Take(b.Hand.Cards[i]);
    if (t.Beacon) {
        int own = 0;
        for (int i = 1; i <= 5; ++i) own += dealt.Cards[i].Value == t.Open.Value;
        int rest = t.BeaconCount - own;
        for (int suit = 4; suit >= 1 && rest > 0; --suit)
            if (suit != t.Open.Suit && v.IsUnseen(suit, t.Open.Value)) {
                v.Take(TCardRec{static_cast<uint8_t>(suit), t.Open.Value, 0});
                --rest;
            }
    }
    return v;
}

bool SameView(const TDeck& a, const TDeck& b) {
    for (int i = 1; i <= 52; ++i)
        if (a[i].Value != b[i].Value) return false;
    return true;
}

TDeck Shrunk(TDeck view, const THand& hand, const TCardRec& open, const TOptionRequest& request,
             std::mt19937& rng) {
    while (BruteForceWork(view, hand, open, request) > kDrawBudget) {
        std::vector<int> unseen;
        for (int i = 1; i <= 52; ++i)
            if (view[i].Value > 0 && i != DeckIndex(open.Suit, open.Value)) unseen.push_back(i);
        view[unseen[std::uniform_int_distribution<size_t>(0, unseen.size() - 1)(rng)]].Value = 0;
    }
    return view;
}

TEST(TrainingJudge, AgreesWithDealingEverythingOutOnSampledPoints) {
    TRules plain;
    TRules noDraw;
    noDraw.Buy6 = false;
    TRules noAK;
    noAK.AKPlays = false;
    TRules noInsurance = ExchangeRules();
    noInsurance.Insurance = false;
    TRules dearBuy;
    dearBuy.PriceBuy6 = 0.5;
    const TCase cases[] = {
        {"one box, buying", 1, TInfoMode::Beacon, plain, "", 14},
        {"two boxes in turn, exchanging", 2, TInfoMode::InTurn, ExchangeRules(), "", 8},
        {"three boxes, full exchange, buying", 3, TInfoMode::FullExchange, dearBuy, "", 6},
        {"three boxes, beacon, exchanging", 3, TInfoMode::Beacon, ExchangeRules(), "", 6},
        {"two boxes, beacon, straights, no ace + king", 2, TInfoMode::Beacon, noAK,
         "class:straights", 5},
        {"one box, flushes", 1, TInfoMode::InTurn, plain, "class:flushes", 8},
        {"one box, no draws, full houses", 1, TInfoMode::InTurn, noDraw, "class:full-houses", 6},
        {"three boxes in turn, no draws", 3, TInfoMode::InTurn, noDraw, "", 6},
        {"two boxes, full exchange, trips, no insurance", 2, TInfoMode::FullExchange, noInsurance,
         "class:trips", 5},
    };
    int points = 0, draws = 0, raises = 0, insurances = 0;
    std::mt19937 rng(2024);
    uint32_t seed = 1000;
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TSessionSettings st = Settings(c.Boxes, c.Mode, ++seed, c.Deals);
        st.Rules = c.Rules;
        st.Drill = ParseDrill(c.Drill);
        TTrainingSession s(st);
        TBot bot(seed);
        std::array<THand, 4> dealt{};
        std::array<TDeck, 4> built{};
        PlaySession(s, [&](TTrainingSession& ss) {
            const TDecisionPoint& p = ss.Point();
            const TTableView& t = p.Table;
            const size_t box = static_cast<size_t>(p.Box);
            // The view is built at the box's first decision; a drawn card then leaves it.
            const bool first = p.Kind == TDecisionKind::Draw ||
                               (p.Kind == TDecisionKind::RaisePass && !DrawsAllowed(c.Rules));
            if (first) {
                dealt[box] = t.Hand;
                built[box] = ExpectedView(p, t.Hand);
            }
            TDeck expected = built[box];
            if (t.DrawnSlot > 0) expected.Take(t.Received);
            EXPECT_TRUE(SameView(t.View, expected))
                << "deal " << p.Deal << " box " << p.Box << ": " << ViewOutText(t.View)
                << " instead of " << ViewOutText(expected);
            const TPricedDecision priced = ss.Priced();
            ++points;
            if (p.Kind == TDecisionKind::Draw) {
                ++draws;
                // The session's own table (shared with a drill or the shadow) is the judge's.
                const TPricedDecision again = PriceDraw(t.View, t.Hand, t.Open, c.Rules);
                for (size_t i = 0; i < priced.Options.size(); ++i)
                    EXPECT_NEAR(again.Options[i].Value, priced.Options[i].Value, 1e-12);
                const TOptionRequest request = RulesRequest(c.Rules);
                const TDeck small = Shrunk(t.View, t.Hand, t.Open, request, rng);
                const TPricedDecision mine = PriceDraw(small, t.Hand, t.Open, c.Rules);
                const std::vector<TBruteOption> brute =
                    BruteForceOptions(small, t.Hand, t.Open, c.Rules, request);
                double best = -1e300;
                for (const TBruteOption& b : brute) best = std::max(best, b.Value);
                EXPECT_NEAR(mine.BestOption().Value, best, kEps);
                for (const TOptionValue& o : mine.Options) {
                    double want = std::max(brute[0].Value, brute[1].Value);
                    for (const TBruteOption& b : brute) {
                        if (b.Kind == TOptionKind::Exchange1 && o.Key == std::to_string(b.First))
                            want = b.Value;
                        if (b.Kind == TOptionKind::Buy && o.Key == "B") want = b.Value;
                    }
                    EXPECT_NEAR(o.Value, want, kEps) << o.Code;
                }
            } else {
                // The final hand on its view, as it stands: the brute force with no draws.
                const std::vector<TBruteOption> brute =
                    BruteForceOptions(t.View, t.Hand, t.Open, c.Rules, TOptionRequest{});
                if (p.Kind == TDecisionKind::RaisePass) {
                    ++raises;
                    EXPECT_NEAR(priced.Options[static_cast<size_t>(priced.Find("R"))].Value,
                                brute[1].Value, kEps);
                    EXPECT_NEAR(priced.Options[static_cast<size_t>(priced.Find("P"))].Value,
                                brute[0].Value, kEps);
                } else {
                    ++insurances;
                    THand h = t.Hand;
                    EvaluateHand(h, c.Rules.AKPlays);
                    const double q = NoGameShare(t.View, t.Open, c.Rules.AKPlays);
                    EXPECT_NEAR(priced.Options[static_cast<size_t>(priced.Find("I"))].Value,
                                PayOff(h.Combo) * (2 * q - 1), kEps);
                    EXPECT_EQ(priced.Options[static_cast<size_t>(priced.Find("N"))].Value, 0.0);
                }
            }
            return bot.Pick(p);
        });
    }
    RecordProperty("points", points);
    RecordProperty("draws", draws);
    RecordProperty("raises", raises);
    RecordProperty("insurances", insurances);
    EXPECT_GE(points, 200);
    EXPECT_GE(draws, 60);
    EXPECT_GE(raises, 80);
    EXPECT_GE(insurances, 10);
}

} // namespace
} // namespace kvarlen::test
