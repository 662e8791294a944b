#include "analysis/best_play.h"

#include "analysis/dealer_view.h"
#include "analysis/ev.h"
#include "analysis/settled_outcome.h"

#include <memory>

namespace kvarlen {

namespace {

uint16_t SuitBit(const TCardRec& c, const TCardRec& open) {
    return c.Suit == open.Suit ? static_cast<uint16_t>(1u << (c.Value - 1)) : uint16_t{0};
}

// The views left after taking two candidate cards out of a base view, formed when first asked
// for: as for one card, only the value and whether it is of the open suit matter.
class TPairViews {
  public:
    TPairViews(const detail::TDealerView& base, bool akPlays) : base_(base), akPlays_(akPlays) {}

    LayoutOutcome Tally(const TCardRec& x, const TCardRec& y, const detail::TPlayerView& p) {
        int kx = x.Value * 2 + (x.Suit == base_.openSuit ? 1 : 0);
        int ky = y.Value * 2 + (y.Suit == base_.openSuit ? 1 : 0);
        if (kx > ky) std::swap(kx, ky);
        Entry& e = entries_[static_cast<size_t>(kx * 28 + ky)];
        if (!e.Ready) {
            e.View = base_;
            detail::TakeFromView(e.View, x.Suit, x.Value);
            detail::TakeFromView(e.View, y.Suit, y.Value);
            e.Totals.S = static_cast<int32_t>(BinomialLookup(e.View.n - 1, 4));
            detail::SuitedTotals(e.View, akPlays_, e.Totals);
            detail::ValueTotals(e.View, e.Totals);
            e.Ready = true;
        } else if (e.HasLast && Same(e.LastPlayer, p)) {
            return e.Last;
        }
        e.Last = detail::TallyWithTotals(e.View, e.Totals, p, akPlays_);
        e.LastPlayer = p;
        e.HasLast = true;
        return e.Last;
    }

  private:
    struct Entry {
        bool Ready = false;
        bool HasLast = false;
        detail::TDealerView View;
        detail::TClassTotals Totals;
        detail::TPlayerView LastPlayer;
        LayoutOutcome Last;
    };
    static bool Same(const detail::TPlayerView& a, const detail::TPlayerView& b) {
        return a.combo == b.combo && a.rank1 == b.rank1 && a.rank2 == b.rank2 && a.key == b.key;
    }
    detail::TDealerView base_;
    bool akPlays_;
    std::vector<Entry> entries_ = std::vector<Entry>(28 * 28);
};

// Everything the options of one view share: the dealer's view, the candidates, the tallies
// already formed and the dealer's flushes.
class TEvaluator {
  public:
    TEvaluator(const TDeck& view, const TCardRec& open, const TRules& rules)
        : view_(view), open_(open), rules_(rules),
          base_(detail::MakeDealerView(view, BuildValueCounts(view), open)),
          singles_(base_, rules.AKPlays) {
        count_ = detail::CollectCandidates(view, open, cand_);
    }

    int Count() const { return count_; }
    TCardRec Candidate(int j, int32_t mark) const { return detail::EntryCard(cand_[j], mark); }

    // The final hand h (classified) once nothing, x, or x and y were received.
    LayoutOutcome Settle(const THand& h) {
        return Rank(detail::Tally(base_, detail::MakePlayerView(h), rules_.AKPlays), h, 0);
    }
    LayoutOutcome Settle(const THand& h, const TCardRec& x) {
        return Rank(singles_.Tally(x.Suit, x.Value, detail::MakePlayerView(h)), h,
                    SuitBit(x, open_));
    }
    LayoutOutcome Settle(const THand& h, const TCardRec& x, const TCardRec& y) {
        if (!pairs_) pairs_ = std::make_unique<TPairViews>(base_, rules_.AKPlays);
        return Rank(pairs_->Tally(x, y, detail::MakePlayerView(h)), h,
                    static_cast<uint16_t>(SuitBit(x, open_) | SuitBit(y, open_)));
    }

  private:
    LayoutOutcome Rank(const LayoutOutcome& t, const THand& h, uint16_t taken) {
        if (h.Combo != C_Flush) return t;
        if (!flushes_) flushes_ = std::make_unique<TDealerFlushes>(view_, open_, rules_.AKPlays);
        return RankFlushes(t, h, *flushes_, taken);
    }

    const TDeck& view_;
    TCardRec open_;
    const TRules& rules_;
    detail::TDealerView base_;
    detail::TCandidateViews singles_;
    std::unique_ptr<TPairViews> pairs_;
    std::unique_ptr<TDealerFlushes> flushes_;
    uint8_t cand_[52] = {};
    int count_ = 0;
};

THand WithCard(const THand& hand, int slot, const TCardRec& card, bool akPlays) {
    THand h = hand;
    if (slot == 6) h.Count = 6;
    h.Cards[slot] = card;
    h.Sorted = 0;
    EvaluateHand(h, akPlays);
    return h;
}

// Visits every final state of a draw option, its continuation not yet valued; the evaluator is
// shared between options. Marks: 1 bought, 2 received in an exchange.
template <class Visit>
void WalkDraws(TEvaluator& ev, const THand& hand, const TRules& rules, const TPlayOption& o,
               Visit&& visit) {
    const int n = ev.Count();
    TFinalState f;
    if (o.Kind == TOptionKind::Buy || o.Kind == TOptionKind::Exchange1) {
        const int slot = o.Kind == TOptionKind::Buy ? 6 : o.First;
        const int32_t mark = o.Kind == TOptionKind::Buy ? 1 : 2;
        for (int j = 0; j < n; ++j) {
            f.First = ev.Candidate(j, mark);
            f.Hand = WithCard(hand, slot, f.First, rules.AKPlays);
            f.Settled = ev.Settle(f.Hand, f.First);
            visit(f);
        }
        return;
    }
    for (int a = 0; a < n; ++a) {
        f.First = ev.Candidate(a, 2);
        THand h0 = hand;
        h0.Cards[o.First] = f.First;
        for (int b = a + 1; b < n; ++b) {
            f.Second = ev.Candidate(b, 2);
            f.Hand = WithCard(h0, o.Second, f.Second, rules.AKPlays);
            f.Settled = ev.Settle(f.Hand, f.First, f.Second);
            visit(f);
        }
    }
}

// Which of two options wins a tie: keeping before drawing, pass before raise, the cheaper draw,
// fewer cards, the lower slots.
bool Simpler(const TPlayOption& a, const TPlayOption& b) {
    auto tier = [](const TPlayOption& o) {
        return o.Kind == TOptionKind::Pass ? 0 : o.Kind == TOptionKind::Raise ? 1 : 2;
    };
    if (tier(a) != tier(b)) return tier(a) < tier(b);
    if (a.Price != b.Price) return a.Price < b.Price;
    auto cards = [](const TPlayOption& o) { return o.Kind == TOptionKind::Exchange2 ? 2 : 1; };
    if (cards(a) != cards(b)) return cards(a) < cards(b);
    auto order = [](const TPlayOption& o) {
        return o.Kind == TOptionKind::Buy ? 100 : o.First * 10 + o.Second;
    };
    return order(a) < order(b);
}

} // namespace

TContinuation BestContinuation(const LayoutOutcome& t, uint16_t combo, const TRules& rules) {
    if (t.S <= 0) return TContinuation{};
    return BestContinuationPaid(t, combo, rules, PayOff(combo));
}

TContinuation BestContinuationPaid(const LayoutOutcome& t, uint16_t combo, const TRules& rules,
                                   int64_t k) {
    TContinuation c;
    if (t.S <= 0) return c;
    // Raising beats passing exactly when ((2k + 1)W + N - 3L) / S > -1; pass wins a tie.
    const int64_t margin = (2 * k + 1) * t.W + t.N - 3 * static_cast<int64_t>(t.L) + t.S;
    c.RaiseValue = detail::RaiseValuePaid(t, k);
    c.Raise = margin > 0;
    c.NoGame = static_cast<double>(t.N) / t.S;
    c.Value = c.Raise ? c.RaiseValue : -1.0;
    c.InsuranceOffered = rules.Insurance && combo >= C_Straight && k > 0;
    if (c.InsuranceOffered) {
        // The sum I wins I when the dealer has no game and is lost otherwise: I (2q - 1).
        c.InsuranceValue = static_cast<double>(k * (2 * static_cast<int64_t>(t.N) - t.S)) / t.S;
        if (2 * static_cast<int64_t>(t.N) > t.S) {
            c.Insurance = static_cast<int32_t>(k);
            c.Value += c.InsuranceValue;
        }
    }
    return c;
}

TOptionRequest RulesRequest(const TRules& rules) {
    TOptionRequest r;
    r.Exchange1 = rules.Exchange1;
    r.Buy = rules.Buy6;
    return r;
}

void CollectViewStates(const TDeck& view, const THand& dealt, const TCardRec& open,
                       const TRules& rules, const TOptionRequest& request, TViewStates& out) {
    THand hand = dealt;
    hand.Sorted = 0;
    EvaluateHand(hand, rules.AKPlays);
    TEvaluator ev(view, open, rules);
    out.Hand = hand;
    out.Dealt = ev.Settle(hand);
    out.DrawCount = 0;
    const bool five = hand.Count == 5;
    const int n = ev.Count();
    auto collect = [&](TPlayOption o) {
        if (out.DrawCount == static_cast<int>(out.Draws.size())) out.Draws.emplace_back();
        TDrawStates& d = out.Draws[static_cast<size_t>(out.DrawCount++)];
        d.Option = o;
        d.States.clear();
        WalkDraws(ev, hand, rules, o, [&](const TFinalState& f) {
            d.States.push_back(TDrawOutcome{f.Hand.Combo, f.Settled});
        });
    };
    if (five && request.Exchange1 && n >= 1)
        for (int i = 1; i <= 5; ++i) {
            TPlayOption o;
            o.Kind = TOptionKind::Exchange1;
            o.First = static_cast<uint8_t>(i);
            collect(o);
        }
    if (five && request.Exchange2 && n >= 2)
        for (int r = 1; r <= 4; ++r)
            for (int s = r + 1; s <= 5; ++s) {
                TPlayOption o;
                o.Kind = TOptionKind::Exchange2;
                o.First = static_cast<uint8_t>(r);
                o.Second = static_cast<uint8_t>(s);
                collect(o);
            }
    if (five && request.Buy && n >= 1) {
        TPlayOption o;
        o.Kind = TOptionKind::Buy;
        collect(o);
    }
}

void PriceViewStates(const TViewStates& states, const TRules& rules, const TPayTable& pay,
                     TOptionTable& table) {
    table.Options.clear();
    table.Best = -1;
    table.Dealt = states.Dealt;
    const uint16_t combo = states.Hand.Combo;
    table.DealtContinuation =
        states.Dealt.S <= 0 ? TContinuation{}
                            : BestContinuationPaid(states.Dealt, combo, rules,
                                                   pay[static_cast<size_t>(__builtin_ctz(combo))]);
    const TContinuation& now = table.DealtContinuation;
    TPlayOption pass;
    pass.Kind = TOptionKind::Pass;
    pass.Value = -1.0;
    if (now.Insurance > 0) {
        pass.Insurance = now.Insurance;
        pass.Value += now.InsuranceValue;
    }
    table.Options.push_back(pass);
    TPlayOption raise;
    raise.Kind = TOptionKind::Raise;
    raise.Value = now.RaiseValue;
    if (now.Insurance > 0) {
        raise.Insurance = now.Insurance;
        raise.Value += now.InsuranceValue;
    }
    table.Options.push_back(raise);

    for (int i = 0; i < states.DrawCount; ++i) {
        const TDrawStates& d = states.Draws[static_cast<size_t>(i)];
        TPlayOption o = d.Option;
        o.Price = o.Kind == TOptionKind::Buy         ? rules.PriceBuy6
                  : o.Kind == TOptionKind::Exchange2 ? rules.PriceChange2
                                                     : rules.PriceChange1;
        double sum = 0;
        for (const TDrawOutcome& f : d.States) {
            const TContinuation c = StateContinuation(f, rules, pay);
            sum += c.Value;
            ++o.Draws;
            o.Raises += c.Raise ? 1 : 0;
            o.Insures += c.Insurance > 0 ? 1 : 0;
        }
        o.Value = sum / o.Draws - o.Price;
        table.Options.push_back(o);
    }

    double top = table.Options[0].Value;
    for (const TPlayOption& o : table.Options)
        if (o.Value > top) top = o.Value;
    for (size_t i = 0; i < table.Options.size(); ++i) {
        const TPlayOption& o = table.Options[i];
        if (o.Value < top - kBestPlayTie) continue;
        if (table.Best < 0 || Simpler(o, table.BestOption())) table.Best = static_cast<int>(i);
    }
    const double best = table.BestOption().Value;
    for (TPlayOption& o : table.Options) {
        const double cost = best - o.Value;
        o.Cost = cost > kBestPlayTie ? cost : 0.0;
    }
}

TOptionTable BestPlayOptions(const TDeck& view, const THand& dealt, const TCardRec& open,
                             const TRules& rules, const TOptionRequest& request) {
    TViewStates states;
    CollectViewStates(view, dealt, open, rules, request, states);
    TOptionTable table;
    PriceViewStates(states, rules, PayTable, table);
    return table;
}

void AttachMOValues(TOptionTable& table, const TDeck& view, const THand& dealt,
                    const TCardRec& open, const TRules& rules) {
    // The exchange drivers number the slots of the hand they are given: keep the table's order;
    // only the raise reads a sorted copy, as "EV Raise" does.
    THand hand = dealt;
    hand.Sorted = 0;
    EvaluateHand(hand, rules.AKPlays);
    THand sorted = hand;
    if (!sorted.Sorted) SortByValue(sorted);
    double perPosition[6] = {};
    TChange2Pair pairs[10];
    int pairCount = 0;
    bool haveChange1 = false, haveChange2 = false;
    for (TPlayOption& o : table.Options) {
        switch (o.Kind) {
        case TOptionKind::Pass:
            break;
        case TOptionKind::Raise:
            o.MO = MO_Raise(view, sorted, open, rules);
            o.HasMO = true;
            break;
        case TOptionKind::Exchange1:
            if (!haveChange1) {
                uint8_t best = 0;
                MO_Change1(view, hand, open, rules, best, nullptr, perPosition);
                haveChange1 = true;
            }
            o.MO = perPosition[o.First];
            o.HasMO = true;
            break;
        case TOptionKind::Exchange2:
            if (!haveChange2) {
                uint8_t a = 0, b = 0;
                MO_Change2(view, hand, open, false, rules, a, b, nullptr, pairs, &pairCount);
                haveChange2 = true;
            }
            for (int i = 0; i < pairCount; ++i)
                if (pairs[i].First == o.First && pairs[i].Second == o.Second) {
                    o.MO = pairs[i].MO;
                    o.HasMO = true;
                }
            break;
        case TOptionKind::Buy:
            o.MO = MO_Buy(view, hand, open, rules, rules.AKPlays);
            o.HasMO = true;
            break;
        }
    }
}

void ForEachFinalState(const TDeck& view, const THand& dealt, const TCardRec& open,
                       const TRules& rules, const TPlayOption& option,
                       const std::function<void(const TFinalState&)>& visit) {
    THand hand = dealt;
    hand.Sorted = 0;
    EvaluateHand(hand, rules.AKPlays);
    TEvaluator ev(view, open, rules);
    if (option.Kind == TOptionKind::Pass || option.Kind == TOptionKind::Raise) {
        TFinalState f;
        f.Hand = hand;
        f.Settled = ev.Settle(hand);
        f.Continuation = BestContinuation(f.Settled, hand.Combo, rules);
        // The option fixes the raise; the insurance stays the best one.
        f.Continuation.Raise = option.Kind == TOptionKind::Raise;
        visit(f);
        return;
    }
    WalkDraws(ev, hand, rules, option, [&](TFinalState& f) {
        f.Continuation = BestContinuation(f.Settled, f.Hand.Combo, rules);
        visit(f);
    });
}

std::string OptionName(const TPlayOption& o) {
    switch (o.Kind) {
    case TOptionKind::Pass:
        return "пас";
    case TOptionKind::Raise:
        return "повышение";
    case TOptionKind::Exchange1:
        return "обмен " + std::to_string(o.First) + "-й карты";
    case TOptionKind::Exchange2:
        return "обмен " + std::to_string(o.First) + "-й и " + std::to_string(o.Second) + "-й карт";
    case TOptionKind::Buy:
        return "покупка 6-й карты";
    }
    return "";
}

std::string OptionCode(const TPlayOption& o) {
    switch (o.Kind) {
    case TOptionKind::Pass:
        return "pass";
    case TOptionKind::Raise:
        return "raise";
    case TOptionKind::Exchange1:
        return "exchange " + std::to_string(o.First);
    case TOptionKind::Exchange2:
        return "exchange " + std::to_string(o.First) + "+" + std::to_string(o.Second);
    case TOptionKind::Buy:
        return "buy";
    }
    return "";
}

} // namespace kvarlen
