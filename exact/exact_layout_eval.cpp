#include "exact/exact_layout_eval.h"

#include "analysis/best_play.h"
#include "analysis/dealer_view.h"
#include "analysis/ev.h"
#include "simulation/settlement.h"
#include "simulation/strategy_rules.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <stdexcept>

namespace kvarlen {

namespace {

constexpr int kNoGame = 0, kBoxWins = 1, kDealerWins = 2, kPush = 3;

int64_t Settled(uint16_t combo, bool raise, int32_t insurance, int answer, const TPayTable& pay) {
    TBox box;
    box.Hand.Combo = combo;
    box.Raise = raise;
    box.InsuranceSum = insurance;
    // What the box has staked when the dealer turns his cards.
    box.DealResult = -1.0 - (raise ? 2 : 0) - insurance;
    static const uint8_t kCompare[4] = {0, 2, 1, 0};
    SettleBox(box, answer != kNoGame, kCompare[answer], nullptr, &pay);
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

// The final states of one draw summed per class, raise and insurance: AddState is linear in
// the tallies, so a group counts as its states counted one by one, in fewer steps.
class TDrawGroups {
  public:
    void Add(const TState& st, const LayoutOutcome& t) {
        TGroup& g = groups_[ComboOrdinal(st.Combo)][st.Raise ? 1 : 0][st.Insurance > 0 ? 1 : 0];
        if (!g.Used) {
            g.Used = true;
            g.State = st;
            used_[count_++] = &g;
        } else if (g.State.Insurance != st.Insurance) {
            throw std::logic_error("two insurance sums in one class");
        }
        g.T.S += t.S;
        g.T.W += t.W;
        g.T.L += t.L;
        g.T.P += t.P;
        g.T.N += t.N;
    }
    void Count(TExactLayoutCounts& c, const TExactConfig& cfg) const {
        for (int i = 0; i < count_; ++i) AddState(c, cfg, used_[i]->State, used_[i]->T, 1);
    }

  private:
    struct TGroup {
        bool Used = false;
        TState State{};
        LayoutOutcome T;
    };
    TGroup groups_[11][2][2];
    TGroup* used_[44] = {};
    int count_ = 0;
};

int OwnMatches(const THand& hand, int openValue) {
    int m = 0;
    for (int i = 1; i <= 5; ++i) m += hand.Cards[i].Value == openValue;
    return m;
}

int64_t PayOf(const TPayTable& pay, uint16_t combo) {
    return pay[static_cast<size_t>(__builtin_ctz(combo))];
}

int32_t Insurance(uint16_t combo, int matches, const TRules& rules, const TPayTable& pay) {
    return InsuranceRuleTakes(combo, matches, rules) ? static_cast<int32_t>(PayOf(pay, combo)) : 0;
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

// The flushes of the dealer, dealt out when a flush of the box first needs them.
class TLazyFlushes {
  public:
    TLazyFlushes(const TDeck& view, const TCardRec& open, bool akPlays)
        : view_(view), open_(open), akPlays_(akPlays) {}
    LayoutOutcome Rank(const LayoutOutcome& t, const THand& h, const TCardRec* taken) {
        if (h.Combo != C_Flush) return t;
        if (!flushes_) flushes_ = std::make_unique<TDealerFlushes>(view_, open_, akPlays_);
        const uint16_t mask = taken && taken->Suit == open_.Suit
                                  ? static_cast<uint16_t>(1u << (taken->Value - 1))
                                  : uint16_t{0};
        return RankFlushes(t, h, *flushes_, mask);
    }

  private:
    const TDeck& view_;
    TCardRec open_;
    bool akPlays_;
    std::unique_ptr<TDealerFlushes> flushes_;
};

// Ideal play: the MO drivers' tallies of every purchase and exchange, each also ranked for the
// count. The drivers' arithmetic is redone per payouts and prices in CountIdeal.
void GatherIdeal(TLayoutFacts& f, const TExactConfig& cfg, const TDeck& view,
                 const TCardRec& open) {
    const TRules& rules = cfg.Rules;
    TLazyFlushes flushes(view, open, rules.AKPlays);
    MO_Raise(view, f.Hand, open, rules, nullptr, &f.DealtCounted);
    f.DealtSettled = flushes.Rank(f.DealtCounted, f.Hand, nullptr);
    f.Buy.clear();
    f.BuyForMO.clear();
    for (int i = 1; i <= 5; ++i) f.Exchange[i].clear();
    if (!rules.Buy6 && !rules.Exchange1) return;
    const detail::TDealerView base = detail::MakeDealerView(view, BuildValueCounts(view), open);
    uint8_t cand[52];
    const int count = detail::CollectCandidates(view, open, cand);
    detail::TCandidateViews views(base, rules.AKPlays);
    if (rules.Buy6) {
        std::unique_ptr<detail::TCandidateViews> other;
        if (cfg.DealerAK != rules.AKPlays)
            other = std::make_unique<detail::TCandidateViews>(base, cfg.DealerAK);
        for (int j = 0; j < count; ++j) {
            const TCardRec x = detail::EntryCard(cand[j], kMarkBought);
            THand h = Receive(f.Hand, 6, x, kMarkBought);
            EvaluateHand(h, rules.AKPlays);
            if (!h.Sorted) SortByValue(h);
            TCandidateFacts c;
            c.Combo = h.Combo;
            c.Matches = f.Own + (x.Value == open.Value ? 1 : 0);
            c.Counted = views.Tally(x.Suit, x.Value, detail::MakePlayerView(h));
            c.Settled = flushes.Rank(c.Counted, h, &x);
            f.Buy.push_back(c);
            if (other)
                f.BuyForMO.push_back(other->Tally(x.Suit, x.Value, detail::MakePlayerView(h)));
        }
    }
    if (rules.Exchange1)
        for (int i = 1; i <= 5; ++i)
            for (int j = 0; j < count; ++j) {
                const TCardRec x = detail::EntryCard(cand[j], kMarkExchanged);
                THand h = Receive(f.Hand, i, x, kMarkExchanged);
                EvaluateHand(h, rules.AKPlays);
                TCandidateFacts c;
                c.Combo = h.Combo;
                c.Matches = f.Own + (x.Value == open.Value ? 1 : 0);
                c.Counted = views.Tally(x.Suit, x.Value, detail::MakePlayerView(h));
                c.Settled = flushes.Rank(c.Counted, h, &x);
                f.Exchange[i].push_back(c);
            }
}

// The mean over the candidates as the MO drivers form it: -10000 when there is none.
double MeanCandidateValue(const std::vector<TCandidateFacts>& cands,
                          const std::vector<LayoutOutcome>* counted, const TPayTable& pay,
                          double price) {
    if (cands.empty()) return -10000.0;
    double sum = 0;
    for (size_t j = 0; j < cands.size(); ++j)
        sum += detail::CandidateValuePaid(counted ? (*counted)[j] : cands[j].Counted,
                                          PayOf(pay, cands[j].Combo), price);
    return sum / static_cast<double>(cands.size());
}

void CountIdeal(TExactLayoutCounts& c, const TExactConfig& cfg, const TLayoutFacts& f) {
    const TRules& rules = cfg.Rules;
    const TPayTable& pay = cfg.Pay;
    const double current = detail::RaiseValuePaid(f.DealtCounted, PayOf(pay, f.Hand.Combo));
    int exchange = 0;
    bool buy = false;
    if (rules.Exchange1) {
        // MO_Change1: the first position is the first best, a later one only when higher.
        double change = -10000.0;
        if (!f.Exchange[1].empty())
            for (int i = 1; i <= 5; ++i) {
                const double mo =
                    MeanCandidateValue(f.Exchange[i], nullptr, pay, rules.PriceChange1);
                if (mo > change || exchange == 0) {
                    change = mo;
                    exchange = i;
                }
            }
        if (!(change > current && change > -1)) exchange = 0;
    }
    if (rules.Buy6) {
        const double mo = MeanCandidateValue(f.Buy, f.BuyForMO.empty() ? nullptr : &f.BuyForMO, pay,
                                             rules.PriceBuy6);
        buy = mo > current && mo > -1;
    }
    if (exchange != 0 && buy)
        throw std::logic_error("an exchange and a purchase in one deal are not counted");
    if (exchange == 0 && !buy) {
        const bool raise = current > -1;
        c.Decision = raise ? kDecisionRaise : kDecisionPass;
        AddState(c, cfg,
                 {f.Hand.Combo, raise, Insurance(f.Hand.Combo, f.Own, rules, pay), kPriceNone},
                 f.DealtSettled, cfg.DrawFactor);
        return;
    }
    c.Decision = buy ? kDecisionBuy : kDecisionExchange;
    TDrawGroups groups;
    for (const TCandidateFacts& x : buy ? f.Buy : f.Exchange[exchange]) {
        const bool raise = detail::RaiseValuePaid(x.Counted, PayOf(pay, x.Combo)) > -1;
        groups.Add({x.Combo, raise, Insurance(x.Combo, x.Matches, rules, pay),
                    buy ? kPriceBuy : kPriceExchange},
                   x.Settled);
    }
    groups.Count(c, cfg);
}

// Best play: the option of the best value, then the best continuation on every final hand.
void CountOptimal(TExactLayoutCounts& c, const TExactConfig& cfg, const TLayoutFacts& f) {
    const TRules& rules = cfg.Rules;
    // Priced once per layout and point: its option list keeps its buffer between calls.
    thread_local TOptionTable table;
    PriceViewStates(f.States, rules, cfg.Pay, table);
    const TPlayOption& best = table.BestOption();
    int price = kPriceNone;
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
        break;
    default:
        c.Decision = kDecisionExchange;
        price = kPriceExchange;
        break;
    }
    if (price == kPriceNone) {
        AddState(c, cfg,
                 {f.Hand.Combo, best.Kind == TOptionKind::Raise, best.Insurance, kPriceNone},
                 table.Dealt, cfg.DrawFactor);
        return;
    }
    const TDrawStates* draw = nullptr;
    for (int i = 0; i < f.States.DrawCount; ++i) {
        const TDrawStates& d = f.States.Draws[static_cast<size_t>(i)];
        if (d.Option.Kind == best.Kind && d.Option.First == best.First &&
            d.Option.Second == best.Second)
            draw = &d;
    }
    if (!draw) throw std::logic_error("the best option has no final states");
    TDrawGroups groups;
    for (const TDrawOutcome& s : draw->States) {
        const TContinuation k = StateContinuation(s, rules, cfg.Pay);
        groups.Add({s.Combo, k.Raise, k.Insurance, price}, s.Settled);
    }
    groups.Count(c, cfg);
}

// Strategy play decides by fixed rules: only the settlement depends on the payouts.
void GatherStrategy(TLayoutFacts& f, const TExactConfig& cfg, const TDeck& view,
                    const TCardRec& open) {
    const TRules& rules = cfg.Rules;
    // One box: the matches of the open card among its five dealt cards, before any purchase.
    const int m = f.Own;
    f.Buy.clear();
    f.StrategyBuys = rules.Buy6 && BuyRulesSolo(f.Hand, open, m, rules) > 0;
    if (!f.StrategyBuys) {
        f.StrategyRaise = RaiseRuleOne(f.Hand, open, m, cfg.RaiseAt2Matches);
        f.DealtSettled = SettledOutcome(view, f.Hand, open, rules);
        return;
    }
    uint8_t cand[52];
    const int n = detail::CollectCandidates(view, open, cand);
    std::unique_ptr<TDealerFlushes> flushes;
    for (int j = 0; j < n; ++j) {
        const TCardRec x = detail::EntryCard(cand[j], kMarkBought);
        THand h = Receive(f.Hand, 6, x, kMarkBought);
        EvaluateHand(h, rules.AKPlays);
        TDeck v = view;
        v.Take(x);
        if (h.Combo == C_Flush && !flushes)
            flushes = std::make_unique<TDealerFlushes>(view, open, rules.AKPlays);
        TCandidateFacts c;
        c.Combo = h.Combo;
        c.Matches = m;
        c.Settled = SettledOutcome(v, h, open, rules, nullptr, flushes.get(),
                                   x.Suit == open.Suit ? x.Value : 0);
        c.Raise = RaiseRuleOne(h, open, m, cfg.RaiseAt2Matches);
        f.Buy.push_back(c);
    }
}

void CountStrategy(TExactLayoutCounts& c, const TExactConfig& cfg, const TLayoutFacts& f) {
    const TRules& rules = cfg.Rules;
    if (!f.StrategyBuys) {
        c.Decision = f.StrategyRaise ? kDecisionRaise : kDecisionPass;
        AddState(c, cfg,
                 {f.Hand.Combo, f.StrategyRaise, Insurance(f.Hand.Combo, f.Own, rules, cfg.Pay),
                  kPriceNone},
                 f.DealtSettled, cfg.DrawFactor);
        return;
    }
    c.Decision = kDecisionBuy;
    TDrawGroups groups;
    for (const TCandidateFacts& x : f.Buy)
        groups.Add({x.Combo, x.Raise, Insurance(x.Combo, x.Matches, rules, cfg.Pay), kPriceBuy},
                   x.Settled);
    groups.Count(c, cfg);
}

} // namespace

TSettleTable BuildSettleTable(const TPayTable& pay) {
    TSettleTable t;
    for (int ord = 0; ord <= 10; ++ord) {
        const uint16_t combo = static_cast<uint16_t>(1u << ord);
        t.Insurance[ord] = pay[static_cast<size_t>(ord)];
        for (int raise = 0; raise <= 1; ++raise)
            for (int insured = 0; insured <= 1; ++insured)
                for (int a = 0; a < 4; ++a)
                    t.Result[ord][raise][insured][a] =
                        Settled(combo, raise == 1,
                                insured ? static_cast<int32_t>(t.Insurance[ord]) : 0, a, pay);
    }
    return t;
}

int DrawFactorFor(const TRules& rules, TExactMode mode) {
    const bool draws = rules.Buy6 || (DecidesByValues(mode) && rules.Exchange1);
    return draws ? 42 : 1;
}

TExactConfig MakeExactConfig(const TRules& rules, TExactMode mode, bool dealerAK,
                             bool raiseAt2Matches, const TPayTable& pay) {
    TExactConfig cfg;
    cfg.Rules = rules;
    cfg.Mode = mode;
    cfg.DealerAK = dealerAK;
    cfg.RaiseAt2Matches = raiseAt2Matches;
    cfg.DrawFactor = DrawFactorFor(rules, mode);
    cfg.Pay = pay;
    cfg.Settle = BuildSettleTable(pay);
    return cfg;
}

TExactLayoutCounts CountLayout(const TExactLayout& layout, const TExactConfig& cfg) {
    return CountLayoutCards(LayoutHand(layout), LayoutOpenCard(layout), cfg);
}

void GatherLayoutFacts(const THand& box, const TCardRec& open, const TExactConfig& cfg,
                       TLayoutFacts& f) {
    THand hand = box;
    hand.Count = 5;
    hand.Cards[6] = TCardRec{};
    hand.Sorted = 0;
    EvaluateHand(hand, cfg.Rules.AKPlays);
    f.Hand = hand;
    f.DealtClass = ComboIndex(hand.Combo);
    f.OpenValue = open.Value;
    f.Own = OwnMatches(hand, open.Value);
    // The box's view: every card but its own (the dealer's five included), as one box sees it
    // in every information mode.
    TDeck view;
    for (int i = 1; i <= 5; ++i) view.Take(hand.Cards[i]);
    if (cfg.Mode == TExactMode::Optimal)
        CollectViewStates(view, hand, open, cfg.Rules, RulesRequest(cfg.Rules), f.States);
    else if (cfg.Mode == TExactMode::Ideal)
        GatherIdeal(f, cfg, view, open);
    else
        GatherStrategy(f, cfg, view, open);
}

TExactLayoutCounts CountLayoutFacts(const TLayoutFacts& f, const TExactConfig& cfg) {
    TExactLayoutCounts c;
    c.DealtClass = f.DealtClass;
    c.OpenValue = f.OpenValue;
    if (cfg.Mode == TExactMode::Optimal)
        CountOptimal(c, cfg, f);
    else if (cfg.Mode == TExactMode::Ideal)
        CountIdeal(c, cfg, f);
    else
        CountStrategy(c, cfg, f);
    return c;
}

double DrawThreshold(const TLayoutFacts& f, const TExactConfig& cfg) {
    const double none = -std::numeric_limits<double>::infinity();
    TRules free = cfg.Rules;
    free.PriceBuy6 = 0;
    free.PriceChange1 = 0;
    if (cfg.Mode == TExactMode::Optimal) {
        TOptionTable table;
        PriceViewStates(f.States, free, cfg.Pay, table);
        double keep = none, draw = none;
        for (const TPlayOption& o : table.Options) {
            const bool drawn = o.Kind != TOptionKind::Pass && o.Kind != TOptionKind::Raise;
            double& v = drawn ? draw : keep;
            if (o.Value > v) v = o.Value;
        }
        return draw == none ? none : draw - keep;
    }
    if (cfg.Mode != TExactMode::Ideal) return none;
    const double current = detail::RaiseValuePaid(f.DealtCounted, PayOf(cfg.Pay, f.Hand.Combo));
    const double keep = current > -1 ? current : -1.0;
    double draw = none;
    if (cfg.Rules.Buy6 && !f.Buy.empty())
        draw = MeanCandidateValue(f.Buy, f.BuyForMO.empty() ? nullptr : &f.BuyForMO, cfg.Pay, 0);
    if (cfg.Rules.Exchange1 && !f.Exchange[1].empty())
        for (int i = 1; i <= 5; ++i)
            draw = std::max(draw, MeanCandidateValue(f.Exchange[i], nullptr, cfg.Pay, 0));
    return draw == none ? none : draw - keep;
}

TExactLayoutCounts CountLayoutCards(const THand& box, const TCardRec& open,
                                    const TExactConfig& cfg) {
    // One record a thread, its buffers kept from layout to layout.
    thread_local TLayoutFacts facts;
    GatherLayoutFacts(box, open, cfg, facts);
    return CountLayoutFacts(facts, cfg);
}

} // namespace kvarlen
