#include "exact/exact_layout_eval.h"

#include "analysis/best_play.h"
#include "analysis/ev.h"
#include "simulation/settlement.h"
#include "simulation/strategy_rules.h"

#include <cmath>
#include <stdexcept>

namespace kvarlen {

namespace {

constexpr int kNoGame = 0, kBoxWins = 1, kDealerWins = 2, kPush = 3;

int64_t Settled(uint16_t combo, bool raise, int32_t insurance, int answer) {
    TBox box;
    box.Hand.Combo = combo;
    box.Raise = raise;
    box.InsuranceSum = insurance;
    // What the box has staked when the dealer turns his cards.
    box.DealResult = -1.0 - (raise ? 2 : 0) - insurance;
    static const uint8_t kCompare[4] = {0, 2, 1, 0};
    SettleBox(box, answer != kNoGame, kCompare[answer], nullptr);
    const double r = box.DealResult;
    if (r != std::floor(r) || std::fabs(r) > 1e15)
        throw std::logic_error("settlement gave a result that is not a whole number of antes");
    return static_cast<int64_t>(r);
}

// One final hand state against a tallied dealer space, every deal weighing `weight`.
struct TState {
    uint16_t Combo;
    bool Raise;
    int32_t Insurance;
    int PriceKind;
};

void AddState(TExactLayoutCounts& c, const TExactConfig& cfg, const TState& st,
              const LayoutOutcome& t, int64_t weight) {
    const int ord = ComboOrdinal(st.Combo);
    const bool insured = st.Insurance > 0;
    if (insured && st.Insurance != cfg.Settle.Insurance[ord])
        throw std::logic_error("insurance sum outside the settlement table");
    int64_t count[4];
    if (st.Raise) {
        count[kNoGame] = t.N;
        count[kBoxWins] = t.W;
        count[kDealerWins] = t.L;
        count[kPush] = t.P;
    } else {
        // A passed box: only whether the dealer has a game matters.
        count[kNoGame] = t.N;
        count[kBoxWins] = 0;
        count[kDealerWins] = static_cast<int64_t>(t.S) - t.N;
        count[kPush] = 0;
    }
    const int raise = st.Raise ? 1 : 0;
    int64_t deals = 0, sum = 0, squares = 0;
    for (int a = 0; a < 4; ++a) {
        const int64_t n = count[a] * weight;
        if (n == 0) continue;
        const int64_t r = cfg.Settle.Result[ord][raise][insured ? 1 : 0][a];
        const int64_t plain = cfg.Settle.Result[ord][raise][0][a];
        int row;
        if (!st.Raise)
            row = kRowPassed;
        else if (a == kNoGame)
            row = kRowNoGame;
        else if (a == kBoxWins) {
            if (ord < 1) throw std::logic_error("a box without a combination won");
            row = WinRow(ord);
        } else if (a == kDealerWins)
            row = kRowDealerWins;
        else
            row = kRowPush;
        c.RowDeals[row] += n;
        c.RowAmount[row] += plain * n;
        if (insured) {
            const int64_t side = r - plain;
            const int sideRow = side > 0 ? kRowInsurancePaid : kRowInsuranceLost;
            c.RowDeals[sideRow] += n;
            c.RowAmount[sideRow] += side * n;
        }
        deals += n;
        sum += r * n;
        squares += r * r * n;
    }
    c.PricedDeals[st.PriceKind] += deals;
    c.PricedSum[st.PriceKind] += sum;
    c.PricedSquares[st.PriceKind] += squares;
    if (st.PriceKind == kPriceBuy) c.RowDeals[kRowBuyCost] += deals;
    if (st.PriceKind == kPriceExchange) c.RowDeals[kRowExchangeCost] += deals;
    (st.Raise ? c.Raised : c.Passed) += deals;
    if (insured) c.Insured += deals;
    c.Wagered += (1 + 2 * raise + st.Insurance) * deals;
}

int OwnMatches(const THand& hand, int openValue) {
    int m = 0;
    for (int i = 1; i <= 5; ++i) m += hand.Cards[i].Value == openValue;
    return m;
}

int32_t Insurance(uint16_t combo, int matches, const TRules& rules) {
    return combo >= C_Straight ? InsuranceRule(combo, matches, rules) : 0;
}

// The cards a purchase or an exchange can bring, in deck order.
int Candidates(const TDeck& view, const TCardRec& open, TCardRec out[52]) {
    int n = 0;
    for (int i = 1; i <= 52; ++i) {
        if (view[i].Value <= 0 || DeckIndex(open.Suit, open.Value) == i) continue;
        out[n++] = GetDeckCard(view, i);
    }
    return n;
}

// A drawn card into the hand, as the simulations receive it.
THand Receive(const THand& hand, int slot, const TCardRec& card, int32_t mark) {
    THand h = hand;
    if (slot == 6) h.Count = 6;
    h.Cards[slot] = card;
    h.Cards[slot].Mark = mark;
    h.Sorted = 0;
    return h;
}

void CountIdeal(TExactLayoutCounts& c, const TExactConfig& cfg, THand hand, const TDeck& view,
                const TCardRec& open) {
    const TRules& rules = cfg.Rules;
    double raiseDealt = 0;
    const LayoutOutcome dealt = SettledOutcome(view, hand, open, rules, &raiseDealt);
    double current = raiseDealt;
    uint8_t exchange = 0;
    bool buy = false;
    if (rules.Exchange1) {
        const double change = MO_Change1(view, hand, open, rules, exchange);
        if (!(change > current && change > -1)) exchange = 0;
    }
    if (rules.Buy6) {
        const double mo = MO_Buy(view, hand, open, rules, cfg.DealerAK);
        buy = mo > current && mo > -1;
    }
    if (exchange != 0 && buy)
        throw std::logic_error("an exchange and a purchase in one deal are not counted");
    const int own = OwnMatches(hand, open.Value);
    if (exchange == 0 && !buy) {
        const bool raise = current > -1;
        c.Decision = raise ? kDecisionRaise : kDecisionPass;
        AddState(c, cfg, {hand.Combo, raise, Insurance(hand.Combo, own, rules), kPriceNone}, dealt,
                 cfg.DrawFactor);
        return;
    }
    c.Decision = buy ? kDecisionBuy : kDecisionExchange;
    const int slot = buy ? 6 : exchange;
    const int32_t mark = buy ? kMarkBought : kMarkExchanged;
    TCardRec cand[52];
    const int n = Candidates(view, open, cand);
    std::unique_ptr<TDealerFlushes> flushes;
    for (int j = 0; j < n; ++j) {
        THand h = Receive(hand, slot, cand[j], mark);
        EvaluateHand(h, rules.AKPlays);
        TDeck v = view;
        v.Take(cand[j]);
        double final = 0;
        if (h.Combo == C_Flush && !flushes)
            flushes = std::make_unique<TDealerFlushes>(view, open, rules.AKPlays);
        const LayoutOutcome t = SettledOutcome(v, h, open, rules, &final, flushes.get(),
                                               cand[j].Suit == open.Suit ? cand[j].Value : 0);
        const int matches = own + (cand[j].Value == open.Value ? 1 : 0);
        AddState(c, cfg,
                 {h.Combo, final > -1, Insurance(h.Combo, matches, rules),
                  buy ? kPriceBuy : kPriceExchange},
                 t, 1);
    }
}

// Best play: the option of the best value, then the best continuation on every final hand.
void CountOptimal(TExactLayoutCounts& c, const TExactConfig& cfg, const THand& hand,
                  const TDeck& view, const TCardRec& open) {
    const TRules& rules = cfg.Rules;
    const TOptionTable table = BestPlayOptions(view, hand, open, rules, RulesRequest(rules));
    const TPlayOption& best = table.BestOption();
    int price = kPriceNone;
    int64_t weight = cfg.DrawFactor;
    switch (best.Kind) {
    case TOptionKind::Pass:
        c.Decision = kDecisionPass;
        break;
    case TOptionKind::Raise:
        c.Decision = kDecisionRaise;
        break;
    case TOptionKind::Buy:
        c.Decision = kDecisionBuy;
        price = kPriceBuy;
        weight = 1;
        break;
    default:
        c.Decision = kDecisionExchange;
        price = kPriceExchange;
        weight = 1;
        break;
    }
    if (price == kPriceNone) {
        AddState(c, cfg, {hand.Combo, best.Kind == TOptionKind::Raise, best.Insurance, kPriceNone},
                 table.Dealt, weight);
        return;
    }
    ForEachFinalState(view, hand, open, rules, best, [&](const TFinalState& f) {
        AddState(c, cfg, {f.Hand.Combo, f.Continuation.Raise, f.Continuation.Insurance, price},
                 f.Settled, weight);
    });
}

void CountStrategy(TExactLayoutCounts& c, const TExactConfig& cfg, const THand& hand,
                   const TDeck& view, const TCardRec& open) {
    const TRules& rules = cfg.Rules;
    // One box: the matches of the open card among its five dealt cards, before any purchase.
    const int m = OwnMatches(hand, open.Value);
    const int32_t buy = rules.Buy6 ? BuyRulesSolo(hand, open, m, rules) : 0;
    if (buy <= 0) {
        const bool raise = RaiseRuleOne(hand, open, m, cfg.RaiseAt2Matches);
        c.Decision = raise ? kDecisionRaise : kDecisionPass;
        const LayoutOutcome t = SettledOutcome(view, hand, open, rules);
        AddState(c, cfg, {hand.Combo, raise, Insurance(hand.Combo, m, rules), kPriceNone}, t,
                 cfg.DrawFactor);
        return;
    }
    c.Decision = kDecisionBuy;
    TCardRec cand[52];
    const int n = Candidates(view, open, cand);
    std::unique_ptr<TDealerFlushes> flushes;
    for (int j = 0; j < n; ++j) {
        THand h = Receive(hand, 6, cand[j], kMarkBought);
        EvaluateHand(h, rules.AKPlays);
        TDeck v = view;
        v.Take(cand[j]);
        if (h.Combo == C_Flush && !flushes)
            flushes = std::make_unique<TDealerFlushes>(view, open, rules.AKPlays);
        const LayoutOutcome t = SettledOutcome(v, h, open, rules, nullptr, flushes.get(),
                                               cand[j].Suit == open.Suit ? cand[j].Value : 0);
        const bool raise = RaiseRuleOne(h, open, m, cfg.RaiseAt2Matches);
        AddState(c, cfg, {h.Combo, raise, Insurance(h.Combo, m, rules), kPriceBuy}, t, 1);
    }
}

} // namespace

TSettleTable BuildSettleTable() {
    TSettleTable t;
    for (int ord = 0; ord <= 10; ++ord) {
        const uint16_t combo = static_cast<uint16_t>(1u << ord);
        t.Insurance[ord] = PayOff(combo);
        for (int raise = 0; raise <= 1; ++raise)
            for (int insured = 0; insured <= 1; ++insured)
                for (int a = 0; a < 4; ++a)
                    t.Result[ord][raise][insured][a] = Settled(
                        combo, raise == 1, insured ? static_cast<int32_t>(t.Insurance[ord]) : 0, a);
    }
    return t;
}

int DrawFactorFor(const TRules& rules, TExactMode mode) {
    const bool draws = rules.Buy6 || (DecidesByValues(mode) && rules.Exchange1);
    return draws ? 42 : 1;
}

TExactConfig MakeExactConfig(const TRules& rules, TExactMode mode, bool dealerAK,
                             bool raiseAt2Matches) {
    TExactConfig cfg;
    cfg.Rules = rules;
    cfg.Mode = mode;
    cfg.DealerAK = dealerAK;
    cfg.RaiseAt2Matches = raiseAt2Matches;
    cfg.DrawFactor = DrawFactorFor(rules, mode);
    cfg.Settle = BuildSettleTable();
    return cfg;
}

TExactLayoutCounts CountLayout(const TExactLayout& layout, const TExactConfig& cfg) {
    return CountLayoutCards(LayoutHand(layout), LayoutOpenCard(layout), cfg);
}

TExactLayoutCounts CountLayoutCards(const THand& box, const TCardRec& open,
                                    const TExactConfig& cfg) {
    TExactLayoutCounts c;
    THand hand = box;
    hand.Count = 5;
    hand.Cards[6] = TCardRec{};
    hand.Sorted = 0;
    EvaluateHand(hand, cfg.Rules.AKPlays);
    c.DealtClass = ComboIndex(hand.Combo);
    c.OpenValue = open.Value;
    // The box's view: every card but its own (the dealer's five included), as one box sees it
    // in every information mode.
    TDeck view;
    for (int i = 1; i <= 5; ++i) view.Take(hand.Cards[i]);
    if (cfg.Mode == TExactMode::Optimal)
        CountOptimal(c, cfg, hand, view, open);
    else if (cfg.Mode == TExactMode::Ideal)
        CountIdeal(c, cfg, hand, view, open);
    else
        CountStrategy(c, cfg, hand, view, open);
    return c;
}

} // namespace kvarlen
