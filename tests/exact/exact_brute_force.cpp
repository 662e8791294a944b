#include "exact_brute_force.h"

#include "analysis/ev.h"
#include "simulation/settlement.h"
#include "simulation/strategy_rules.h"

#include <gtest/gtest.h>

#include <vector>

namespace kvarlen::test {

namespace {

struct TFinal {
    THand Hand;
    bool Raise = false;
    int32_t Insurance = 0;
    int PriceKind = kPriceNone;
    int Weight = 1;
};

int Matches(const THand& h, int value) {
    int m = 0;
    for (int i = 1; i <= 5; ++i) m += h.Cards[i].Value == value;
    return m;
}

// Deals out every dealer hand for one final state of the box.
void PlayOut(TExactLayoutCounts& c, const TFinal& f, const TDeck& unseen, const TCardRec& open,
             const TRules& rules) {
    std::vector<TCardRec> rest;
    for (int i = 1; i <= 52; ++i)
        if (unseen[i].Value > 0 && DeckIndex(open.Suit, open.Value) != i)
            rest.push_back(GetDeckCard(unseen, i));
    const int n = static_cast<int>(rest.size());
    TBoxes boxes;
    THand dealer;
    dealer.Count = 5;
    for (int a = 0; a < n; ++a)
        for (int b = a + 1; b < n; ++b)
            for (int d = b + 1; d < n; ++d)
                for (int e = d + 1; e < n; ++e) {
                    dealer.Cards[1] = open;
                    dealer.Cards[2] = rest[a];
                    dealer.Cards[3] = rest[b];
                    dealer.Cards[4] = rest[d];
                    dealer.Cards[5] = rest[e];
                    dealer.Sorted = 0;
                    EvaluateHand(dealer, rules.AKPlays);
                    boxes[0].Hand = dealer;
                    // Box 1 as it plays; box 2 the same box without insurance, to tell the
                    // insurance apart from the stakes.
                    for (int b2 = 1; b2 <= 2; ++b2) {
                        TBox& box = boxes[static_cast<size_t>(b2)];
                        ResetBoxForDeal(box);
                        box.Hand = f.Hand;
                        box.Raise = f.Raise;
                        box.InsuranceSum = b2 == 1 ? f.Insurance : 0;
                        box.DealResult = -1.0 - (f.Raise ? 2 : 0) - box.InsuranceSum;
                    }
                    SettleDeal(boxes, 2, false, nullptr);
                    const int64_t w = f.Weight;
                    const int64_t r = static_cast<int64_t>(boxes[1].DealResult);
                    const int64_t plain = static_cast<int64_t>(boxes[2].DealResult);
                    int row = kRowPassed;
                    switch (boxes[1].Outcome) {
                    case kOutcomeNoGame:
                        row = kRowNoGame;
                        break;
                    case kOutcomeWon:
                        row = WinRow(ComboOrdinal(f.Hand.Combo));
                        break;
                    case kOutcomeLost:
                        row = kRowDealerWins;
                        break;
                    case kOutcomePush:
                        row = kRowPush;
                        break;
                    default:
                        break;
                    }
                    c.RowDeals[row] += w;
                    c.RowAmount[row] += plain * w;
                    if (f.Insurance > 0) {
                        const int side = r > plain ? kRowInsurancePaid : kRowInsuranceLost;
                        c.RowDeals[side] += w;
                        c.RowAmount[side] += (r - plain) * w;
                        c.Insured += w;
                    }
                    c.PricedDeals[f.PriceKind] += w;
                    c.PricedSum[f.PriceKind] += r * w;
                    c.PricedSquares[f.PriceKind] += r * r * w;
                    if (f.PriceKind == kPriceBuy) c.RowDeals[kRowBuyCost] += w;
                    if (f.PriceKind == kPriceExchange) c.RowDeals[kRowExchangeCost] += w;
                    (f.Raise ? c.Raised : c.Passed) += w;
                    c.Wagered += (1 + (f.Raise ? 2 : 0) + f.Insurance) * w;
                }
}

} // namespace

THand FiveCards(const std::string& cards) {
    const std::vector<TCardRec> c = ParseCards(cards);
    THand h;
    for (size_t i = 0; i < c.size() && i < 5; ++i) h.Cards[i + 1] = c[i];
    h.Count = 5;
    return h;
}

TExactLayoutCounts BruteForceLayout(const THand& box, const TCardRec& open,
                                    const TExactConfig& cfg) {
    const TRules& rules = cfg.Rules;
    TExactLayoutCounts c;
    THand hand = box;
    EvaluateHand(hand, rules.AKPlays);
    c.DealtClass = ComboIndex(hand.Combo);
    c.OpenValue = open.Value;
    TDeck view;
    for (int i = 1; i <= 5; ++i) view.Take(hand.Cards[i]);
    const int own = Matches(hand, open.Value);

    // The decisions, step by step as the simulations take them.
    bool draw = false;
    int slot = 0;
    int priceKind = kPriceNone;
    if (cfg.Mode == TExactMode::Ideal) {
        double current = MO_Raise(view, hand, open, rules);
        uint8_t exchange = 0;
        if (rules.Exchange1) {
            const double mo = MO_Change1(view, hand, open, rules, exchange);
            if (!(mo > current && mo > -1)) exchange = 0;
        }
        bool buy = false;
        if (rules.Buy6) {
            const double mo = MO_Buy(view, hand, open, rules, cfg.DealerAK);
            buy = mo > current && mo > -1;
        }
        if (exchange != 0) {
            draw = true;
            slot = exchange;
            priceKind = kPriceExchange;
            c.Decision = kDecisionExchange;
        } else if (buy) {
            draw = true;
            slot = 6;
            priceKind = kPriceBuy;
            c.Decision = kDecisionBuy;
        } else {
            TFinal f;
            f.Hand = hand;
            f.Raise = current > -1;
            f.Insurance = hand.Combo >= C_Straight ? InsuranceRule(hand.Combo, own, rules) : 0;
            f.Weight = cfg.DrawFactor;
            c.Decision = f.Raise ? kDecisionRaise : kDecisionPass;
            PlayOut(c, f, view, open, rules);
        }
    } else {
        if (rules.Buy6 && BuyRulesSolo(hand, open, own, rules) > 0) {
            draw = true;
            slot = 6;
            priceKind = kPriceBuy;
            c.Decision = kDecisionBuy;
        } else {
            TFinal f;
            f.Hand = hand;
            f.Raise = RaiseRuleOne(hand, open, own, cfg.RaiseAt2Matches);
            f.Insurance = hand.Combo >= C_Straight ? InsuranceRule(hand.Combo, own, rules) : 0;
            f.Weight = cfg.DrawFactor;
            c.Decision = f.Raise ? kDecisionRaise : kDecisionPass;
            PlayOut(c, f, view, open, rules);
        }
    }
    if (!draw) return c;
    for (int i = 1; i <= 52; ++i) {
        if (view[i].Value <= 0 || DeckIndex(open.Suit, open.Value) == i) continue;
        const TCardRec x = GetDeckCard(view, i);
        TFinal f;
        f.Hand = hand;
        if (slot == 6) f.Hand.Count = 6;
        f.Hand.Cards[slot] = x;
        f.Hand.Cards[slot].Mark = slot == 6 ? kMarkBought : kMarkExchanged;
        f.Hand.Sorted = 0;
        EvaluateHand(f.Hand, rules.AKPlays);
        TDeck v = view;
        v.Take(x);
        const int m = own + (cfg.Mode == TExactMode::Ideal && x.Value == open.Value ? 1 : 0);
        f.Raise = cfg.Mode == TExactMode::Ideal
                      ? MO_Raise(v, f.Hand, open, rules) > -1
                      : RaiseRuleOne(f.Hand, open, own, cfg.RaiseAt2Matches);
        f.Insurance = f.Hand.Combo >= C_Straight ? InsuranceRule(f.Hand.Combo, m, rules) : 0;
        f.PriceKind = priceKind;
        PlayOut(c, f, v, open, rules);
    }
    return c;
}

void ExpectSameCounts(const TExactLayoutCounts& fast, const TExactLayoutCounts& slow,
                      const std::string& what) {
    SCOPED_TRACE(what);
    for (int r = 0; r < kExactRows; ++r) {
        EXPECT_EQ(fast.RowDeals[r], slow.RowDeals[r]) << "row " << r;
        EXPECT_EQ(fast.RowAmount[r], slow.RowAmount[r]) << "row " << r;
    }
    for (int k = 0; k < kPriceKinds; ++k) {
        EXPECT_EQ(fast.PricedDeals[k], slow.PricedDeals[k]) << "price kind " << k;
        EXPECT_EQ(fast.PricedSum[k], slow.PricedSum[k]) << "price kind " << k;
        EXPECT_EQ(fast.PricedSquares[k], slow.PricedSquares[k]) << "price kind " << k;
    }
    EXPECT_EQ(fast.Raised, slow.Raised);
    EXPECT_EQ(fast.Passed, slow.Passed);
    EXPECT_EQ(fast.Insured, slow.Insured);
    EXPECT_EQ(fast.Wagered, slow.Wagered);
    EXPECT_EQ(fast.Decision, slow.Decision);
    EXPECT_EQ(fast.DealtClass, slow.DealtClass);
    EXPECT_EQ(fast.OpenValue, slow.OpenValue);
}

} // namespace kvarlen::test
