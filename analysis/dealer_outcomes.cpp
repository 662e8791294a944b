#include "analysis/dealer_outcomes.h"

#include "analysis/dealer_view.h"

namespace kvarlen {

ValueCounts BuildValueCounts(const TDeck& deck) {
    ValueCounts vc;
    int n = 0;
    for (int v = 1; v <= 13; ++v) {
        int c = 0;
        for (int s = 1; s <= 4; ++s) c += deck.IsUnseen(s, v) ? 1 : 0;
        vc.c[v] = static_cast<int8_t>(c);
        n += c;
    }
    vc.c[0] = static_cast<int8_t>(n);
    return vc;
}

double& GlobalT1() {
    thread_local double t1 = 0;
    return t1;
}

namespace detail {

TDealerView MakeDealerView(const TDeck& deck, const ValueCounts& vc, const TCardRec& open) {
    TDealerView d;
    d.n = vc.c[0];
    for (int v = 1; v <= 13; ++v) d.c[v] = vc.c[v];
    d.c[14] = d.c[1];
    d.o = open.Value;
    d.openSuit = open.Suit;
    if (open.Suit >= 1 && open.Suit <= 4)
        for (int v = 1; v <= 13; ++v)
            if (deck.IsUnseen(open.Suit, v)) d.suited |= 1u << v;
    // The open card counts as unseen whatever its entry says.
    if (d.o >= 1 && d.o <= 13) d.suited |= 1u << d.o;
    if ((d.suited >> 1) & 1u) d.suited |= 1u << 14;
    return d;
}

TPlayerView MakePlayerView(const THand& player) {
    TPlayerView p;
    p.combo = player.Combo;
    p.rank1 = player.Rank1;
    p.rank2 = player.Rank2;
    if (p.combo == C_AK || p.combo == C_Pair || p.combo == C_TwoPairs || p.combo == C_Quads) {
        THand h = player;
        if (!h.Sorted) SortByValue(h);
        int values[5];
        if (h.Count == 6) {
            const int drop = (h.DropIndex >= 1 && h.DropIndex <= 6) ? h.DropIndex : 1;
            for (int i = 1, k = 0; i <= 6; ++i)
                if (i != drop) values[k++] = h.Cards[i].Value;
        } else {
            for (int i = 0; i < 5; ++i) values[i] = h.Cards[i + 1].Value;
        }
        p.key = kvarlen::detail::CompareKey(p.combo, p.rank1, p.rank2, values);
    }
    return p;
}

LayoutOutcome Tally(const TDealerView& d, const TPlayerView& p, bool akPlays,
                    ClassOutcome* perClass, bool pairOnly) {
    using Counter = ClassOutcome (*)(const TDealerView&, const TPlayerView&);
    static constexpr Counter kCounters[11] = {
        nullptr,    CountAK,        CountPair,  CountTwoPairs,      CountTrips, CountStraight,
        CountFlush, CountFullHouse, CountQuads, CountStraightFlush, CountRoyal};
    LayoutOutcome t;
    t.S = static_cast<int32_t>(BinomialLookup(d.n - 1, 4));
    const int last = pairOnly ? 2 : 10;
    for (int k = akPlays ? 1 : 2; k <= last; ++k) {
        const ClassOutcome r = kCounters[k](d, p);
        if (perClass) perClass[k] = r;
        const uint16_t cls = static_cast<uint16_t>(1u << k);
        if (cls < p.combo)
            t.W += r.Total;
        else if (cls > p.combo)
            t.L += r.Total;
        else {
            t.W += r.Won;
            t.L += r.Lost;
            t.P += r.Push;
        }
    }
    t.N = t.S - t.W - t.L - t.P;
    return t;
}

namespace {
using Counter = ClassOutcome (*)(const TDealerView&, const TPlayerView&);
constexpr Counter kCounters[11] = {
    nullptr,    CountAK,        CountPair,  CountTwoPairs,      CountTrips, CountStraight,
    CountFlush, CountFullHouse, CountQuads, CountStraightFlush, CountRoyal};
} // namespace

// A player of no class: every counter gives its Total alone.
void SuitedTotals(const TDealerView& d, bool akPlays, TClassTotals& t) {
    const TPlayerView none;
    t.Total[1] = akPlays ? CountAK(d, none).Total : 0;
    t.Total[5] = CountStraight(d, none).Total;
    t.Total[6] = CountFlush(d, none).Total;
    t.Total[9] = CountStraightFlush(d, none).Total;
    t.Total[10] = CountRoyal(d, none).Total;
}

void ValueTotals(const TDealerView& d, TClassTotals& t) {
    const TPlayerView none;
    t.Total[2] = CountPair(d, none).Total;
    t.Total[3] = CountTwoPairs(d, none).Total;
    t.Total[4] = CountTrips(d, none).Total;
    t.Total[7] = CountFullHouse(d, none).Total;
    t.Total[8] = CountQuads(d, none).Total;
}

LayoutOutcome TallyWithTotals(const TDealerView& d, const TClassTotals& totals,
                              const TPlayerView& p, bool akPlays) {
    LayoutOutcome t;
    t.S = totals.S;
    for (int k = akPlays ? 1 : 2; k <= 10; ++k) {
        const uint16_t cls = static_cast<uint16_t>(1u << k);
        if (cls < p.combo)
            t.W += totals.Total[k];
        else if (cls > p.combo)
            t.L += totals.Total[k];
        else {
            const ClassOutcome r = kCounters[k](d, p);
            t.W += r.Won;
            t.L += r.Lost;
            t.P += r.Push;
        }
    }
    t.N = t.S - t.W - t.L - t.P;
    return t;
}

double RaiseValue(const LayoutOutcome& t, uint16_t combo) {
    return RaiseValuePaid(t, t.S <= 0 ? 0 : PayOff(combo));
}

} // namespace detail

namespace {
template <ClassOutcome (*F)(const detail::TDealerView&, const detail::TPlayerView&)>
ClassOutcome RunCounter(const TDeck& deck, const ValueCounts& vc, const TCardRec& open,
                        const THand& player) {
    return F(detail::MakeDealerView(deck, vc, open), detail::MakePlayerView(player));
}
} // namespace

ClassOutcome CountDealerAK(const TDeck& deck, const ValueCounts& vc, const TCardRec& open,
                           const THand& player) {
    return RunCounter<detail::CountAK>(deck, vc, open, player);
}
ClassOutcome CountDealerPair(const TDeck& deck, const ValueCounts& vc, const TCardRec& open,
                             const THand& player) {
    return RunCounter<detail::CountPair>(deck, vc, open, player);
}
ClassOutcome CountDealerTwoPairs(const TDeck& deck, const ValueCounts& vc, const TCardRec& open,
                                 const THand& player) {
    return RunCounter<detail::CountTwoPairs>(deck, vc, open, player);
}
ClassOutcome CountDealerTrips(const TDeck& deck, const ValueCounts& vc, const TCardRec& open,
                              const THand& player) {
    return RunCounter<detail::CountTrips>(deck, vc, open, player);
}
ClassOutcome CountDealerStraight(const TDeck& deck, const ValueCounts& vc, const TCardRec& open,
                                 const THand& player) {
    return RunCounter<detail::CountStraight>(deck, vc, open, player);
}
ClassOutcome CountDealerFlush(const TDeck& deck, const ValueCounts& vc, const TCardRec& open,
                              const THand& player) {
    return RunCounter<detail::CountFlush>(deck, vc, open, player);
}
ClassOutcome CountDealerFullHouse(const TDeck& deck, const ValueCounts& vc, const TCardRec& open,
                                  const THand& player) {
    return RunCounter<detail::CountFullHouse>(deck, vc, open, player);
}
ClassOutcome CountDealerQuads(const TDeck& deck, const ValueCounts& vc, const TCardRec& open,
                              const THand& player) {
    return RunCounter<detail::CountQuads>(deck, vc, open, player);
}
ClassOutcome CountDealerStraightFlush(const TDeck& deck, const ValueCounts& vc,
                                      const TCardRec& open, const THand& player) {
    return RunCounter<detail::CountStraightFlush>(deck, vc, open, player);
}
ClassOutcome CountDealerRoyal(const TDeck& deck, const ValueCounts& vc, const TCardRec& open,
                              const THand& player) {
    return RunCounter<detail::CountRoyal>(deck, vc, open, player);
}

LayoutOutcome TallyDealerOutcomes(const TDeck& deck, const ValueCounts& vc, const TCardRec& open,
                                  const THand& player, bool akPlays, ClassOutcome* perClass) {
    return detail::Tally(detail::MakeDealerView(deck, vc, open), detail::MakePlayerView(player),
                         akPlays, perClass);
}

} // namespace kvarlen
