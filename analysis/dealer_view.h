// Internal to the analysis library: the unseen cards reduced to what the dealer counters read,
// and the player's hand reduced to what the comparisons read. The drivers keep one view and
// take each candidate card out of it instead of copying and recounting the deck.
#pragma once

#include "analysis/dealer_outcomes.h"

#include <cstdint>

namespace kvarlen::detail {

struct TDealerView {
    int c[15] = {};      // unseen cards per value 1..13; c[14] repeats c[1] (the ace high)
    int n = 0;           // unseen entries, the open card included
    int o = 0;           // the open card's value 1..13
    int openSuit = 0;    // the open card's suit 1..4
    uint32_t suited = 0; // bit v: the open suit's card of value v is unseen; bit 14 mirrors bit 1
};

TDealerView MakeDealerView(const TDeck& deck, const ValueCounts& vc, const TCardRec& open);

// A card leaves the unseen cards (exchanged in or bought by the player).
inline void TakeFromView(TDealerView& d, int suit, int value) {
    --d.c[value];
    if (value == 1) --d.c[14];
    --d.n;
    if (suit == d.openSuit) {
        d.suited &= ~(1u << value);
        if (value == 1) d.suited &= ~(1u << 14);
    }
}

struct TPlayerView {
    uint16_t combo = 0;
    int rank1 = 0;
    int rank2 = 0;
    uint32_t key = 0; // tie-break key of the compared five cards, as the hand comparison forms it
};

// The hand must be classified. The key is formed only for the classes whose ties need kickers.
TPlayerView MakePlayerView(const THand& player);

// The counters on a view. Won, Lost and Push are filled when the player's class is the
// counter's class, -1 otherwise.
ClassOutcome CountAK(const TDealerView& d, const TPlayerView& p);
ClassOutcome CountPair(const TDealerView& d, const TPlayerView& p);
ClassOutcome CountTwoPairs(const TDealerView& d, const TPlayerView& p);
ClassOutcome CountTrips(const TDealerView& d, const TPlayerView& p);
ClassOutcome CountStraight(const TDealerView& d, const TPlayerView& p);
ClassOutcome CountFlush(const TDealerView& d, const TPlayerView& p);
ClassOutcome CountFullHouse(const TDealerView& d, const TPlayerView& p);
ClassOutcome CountQuads(const TDealerView& d, const TPlayerView& p);
ClassOutcome CountStraightFlush(const TDealerView& d, const TPlayerView& p);
ClassOutcome CountRoyal(const TDealerView& d, const TPlayerView& p);

// The tally over all classes from ace + king (when akPlays) or the pair up to the royal, or,
// with pairOnly, over ace + king and the pair alone (the two-card exchange).
LayoutOutcome Tally(const TDealerView& d, const TPlayerView& p, bool akPlays,
                    ClassOutcome* perClass = nullptr, bool pairOnly = false);

// The Totals of every counted class for one view: they do not depend on the player's hand, so
// the drivers form them once per view and run only the counter of the candidate's own class.
struct TClassTotals {
    int32_t S = 0;
    int32_t Total[11] = {}; // at ComboOrdinal 1..10; classes not counted stay 0
};
// Only the classes whose counts depend on the suits (ace + king, straight, flush, straight
// flush, royal), or only those that depend on the counts per value alone.
void SuitedTotals(const TDealerView& d, bool akPlays, TClassTotals& t);
void ValueTotals(const TDealerView& d, TClassTotals& t);

// The same tally as Tally (all classes), the Totals taken from t.
LayoutOutcome TallyWithTotals(const TDealerView& d, const TClassTotals& t, const TPlayerView& p,
                              bool akPlays);

// The views left after taking one candidate card out of a base view: a card of the open suit
// changes the suited bits, any other card only the count of its value, so 26 views cover every
// candidate. Each is formed with its Totals when first asked for, and keeps the last tally it
// gave: candidates of one value in other suits usually make the same hand of the player too.
class TCandidateViews {
  public:
    TCandidateViews(const TDealerView& base, bool akPlays) : base_(base), akPlays_(akPlays) {}

    // The tally of a player's hand against the dealer's hands once the card is taken out.
    LayoutOutcome Tally(int suit, int value, const TPlayerView& p) {
        const int k = value * 2 + (suit == base_.openSuit ? 1 : 0);
        Entry& e = entries_[k];
        if (!e.Ready) {
            e.View = base_;
            TakeFromView(e.View, suit, value);
            e.Totals.S = static_cast<int32_t>(BinomialLookup(e.View.n - 1, 4));
            SuitedTotals(e.View, akPlays_, e.Totals);
            // The two views of one value hold the same counts per value.
            Entry& twin = entries_[k ^ 1];
            if (twin.Ready) {
                for (int c : {2, 3, 4, 7, 8}) e.Totals.Total[c] = twin.Totals.Total[c];
            } else {
                ValueTotals(e.View, e.Totals);
            }
            e.Ready = true;
        } else if (e.HasLast && Same(e.LastPlayer, p)) {
            return e.Last;
        }
        e.Last = TallyWithTotals(e.View, e.Totals, p, akPlays_);
        e.LastPlayer = p;
        e.HasLast = true;
        return e.Last;
    }

  private:
    struct Entry {
        bool Ready = false;
        bool HasLast = false;
        TDealerView View;
        TClassTotals Totals;
        TPlayerView LastPlayer;
        LayoutOutcome Last;
    };
    static bool Same(const TPlayerView& a, const TPlayerView& b) {
        return a.combo == b.combo && a.rank1 == b.rank1 && a.rank2 == b.rank2 && a.key == b.key;
    }
    TDealerView base_;
    bool akPlays_;
    Entry entries_[28];
};

// The cards an exchange or a purchase can bring: every unseen entry but the open card, in deck
// order. out needs room for 52 entry numbers; returns how many.
inline int CollectCandidates(const TDeck& deck, const TCardRec& open, uint8_t* out) {
    int count = 0;
    for (int i = 1; i <= 52; ++i) {
        if (deck[i].Value <= 0) continue;
        if (DeckIndex(open.Suit, open.Value) == i) continue;
        out[count++] = static_cast<uint8_t>(i);
    }
    return count;
}
inline int EntrySuit(int index) {
    return (index - 1) / 13 + 1;
}
inline int EntryValue(int index) {
    return (index - 1) % 13 + 1;
}
// The card of a deck entry as a draw brings it, with its mark (1 bought, 2 exchanged).
inline TCardRec EntryCard(int index, int32_t mark) {
    TCardRec c;
    c.Suit = static_cast<uint8_t>(EntrySuit(index));
    c.Value = EntryValue(index);
    c.Mark = mark;
    return c;
}

// ((2k + 1)W + N - 3L) / S with the numerator in 64 bits; k the payout of the class.
inline double RaiseValuePaid(const LayoutOutcome& t, int64_t payout) {
    // No dealer hand can be dealt from fewer than four unseen cards besides the open one.
    if (t.S <= 0) return 0.0;
    // 64 bits: no payout the table can hold makes the numerator overflow.
    const int64_t num = (2 * payout + 1) * t.W + t.N - 3 * static_cast<int64_t>(t.L);
    return static_cast<double>(num) / static_cast<double>(t.S);
}
// The same with the payout of PayTable.
double RaiseValue(const LayoutOutcome& t, uint16_t combo);

// The better of raising and folding for one candidate hand, the price paid either way.
inline double CandidateValuePaid(const LayoutOutcome& t, int64_t payout, double price) {
    const double raise = RaiseValuePaid(t, payout) - price;
    const double fold = -1.0 - price;
    return raise > fold ? raise : fold;
}
inline double CandidateValue(const LayoutOutcome& t, uint16_t combo, double price) {
    return CandidateValuePaid(t, PayOff(combo), price);
}

} // namespace kvarlen::detail
