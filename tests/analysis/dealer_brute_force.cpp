#include "dealer_brute_force.h"

namespace kvarlen::test {

TCardRec MakeCard(int suit, int value) {
    TCardRec c;
    c.Suit = static_cast<uint8_t>(suit);
    c.Value = value;
    return c;
}

std::vector<TCardRec> Cards(const std::string& text) {
    return ParseCards(text);
}

THand MakeHand(const std::vector<TCardRec>& cards, bool akPlays) {
    THand h;
    h.Count = static_cast<uint8_t>(cards.size());
    for (size_t i = 0; i < cards.size(); ++i) h.Cards[i + 1] = cards[i];
    EvaluateHand(h, akPlays);
    return h;
}

THand MakeHand(const std::string& text, bool akPlays) {
    return MakeHand(Cards(text), akPlays);
}

TDeck DeckWithout(const std::vector<TCardRec>& cards) {
    TDeck d;
    for (const TCardRec& c : cards) d.Take(c);
    return d;
}

int Settle(const THand& player, const THand& dealer) {
    if (player.Combo == C_Flush && dealer.Combo == C_Flush) return 0;
    return CompareHands(player, dealer);
}

namespace {

// Calls f(dealer hand, hidden bits) for every four of the unseen cards other than the open one.
template <class F> void ForEachDealerHand(const TDeck& deck, const TCardRec& open, F f) {
    std::vector<int> pool;
    const int openIndex = DeckIndex(open.Suit, open.Value);
    for (int i = 1; i <= 52; ++i)
        if (deck[i].Value > 0 && i != openIndex) pool.push_back(i);
    const int m = static_cast<int>(pool.size());
    THand h;
    h.Count = 5;
    h.Cards[1] = MakeCard(open.Suit, open.Value);
    auto card = [](int index) { return MakeCard((index - 1) / 13 + 1, (index - 1) % 13 + 1); };
    for (int a = 0; a < m; ++a)
        for (int b = a + 1; b < m; ++b)
            for (int c = b + 1; c < m; ++c)
                for (int d = c + 1; d < m; ++d) {
                    h.Cards[2] = card(pool[a]);
                    h.Cards[3] = card(pool[b]);
                    h.Cards[4] = card(pool[c]);
                    h.Cards[5] = card(pool[d]);
                    h.Sorted = 0;
                    const uint64_t bits =
                        1ull << pool[a] | 1ull << pool[b] | 1ull << pool[c] | 1ull << pool[d];
                    f(h, bits);
                }
}

void AddSettled(LayoutOutcome& t, const THand& player, const THand& dealer, bool pairOnly) {
    if (dealer.Combo == C_Empty || (pairOnly && dealer.Combo > C_Pair)) return;
    if (dealer.Combo < player.Combo)
        ++t.W;
    else if (dealer.Combo > player.Combo)
        ++t.L;
    else {
        const int r = Settle(player, dealer);
        if (r == 1)
            ++t.W;
        else if (r == 2)
            ++t.L;
        else
            ++t.P;
    }
}

} // namespace

TBruteCounts BruteCounts(const TDeck& deck, const TCardRec& open, const THand& player) {
    TBruteCounts r;
    for (int k = 1; k <= 10; ++k) r.PerClass[k] = ClassOutcome{0, -1, -1, -1};
    const int own = ComboOrdinal(player.Combo);
    if (own >= 1) r.PerClass[own] = ClassOutcome{0, 0, 0, 0};
    ForEachDealerHand(deck, open, [&](THand& h, uint64_t) {
        EvaluateHand(h, true);
        const int k = ComboOrdinal(h.Combo);
        if (k == 0) {
            ++r.NoGame;
            return;
        }
        ClassOutcome& o = r.PerClass[k];
        ++o.Total;
        if (k != own) return;
        const int s = Settle(player, h);
        if (s == 1)
            ++o.Won;
        else if (s == 2)
            ++o.Lost;
        else
            ++o.Push;
    });
    return r;
}

LayoutOutcome BruteTally(const TDeck& deck, const TCardRec& open, const THand& player, bool akPlays,
                         bool pairOnly) {
    LayoutOutcome t;
    ForEachDealerHand(deck, open, [&](THand& h, uint64_t) {
        ++t.S;
        EvaluateHand(h, akPlays);
        AddSettled(t, player, h, pairOnly);
    });
    t.N = t.S - t.W - t.L - t.P;
    return t;
}

TDealerHands::TDealerHands(const TDeck& deck, const TCardRec& open, bool akPlays) {
    ForEachDealerHand(deck, open, [&](THand& h, uint64_t bits) {
        EvaluateHand(h, akPlays);
        entries_.push_back(Entry{bits, h.Combo});
        hands_.push_back(h);
    });
}

LayoutOutcome TDealerHands::Tally(const THand& player, int takenA, int takenB,
                                  bool pairOnly) const {
    const uint64_t taken = (takenA ? 1ull << takenA : 0) | (takenB ? 1ull << takenB : 0);
    LayoutOutcome t;
    for (size_t i = 0; i < entries_.size(); ++i) {
        const Entry& e = entries_[i];
        if (e.hidden & taken) continue;
        ++t.S;
        if (e.combo == C_Empty || (pairOnly && e.combo > C_Pair)) continue;
        if (e.combo < player.Combo)
            ++t.W;
        else if (e.combo > player.Combo)
            ++t.L;
        else
            AddSettled(t, player, hands_[i], pairOnly);
    }
    t.N = t.S - t.W - t.L - t.P;
    return t;
}

double RaiseFormula(const LayoutOutcome& t, uint16_t combo) {
    const int64_t k = PayOff(combo);
    const int64_t num = (2 * k + 1) * t.W + t.N - 3 * static_cast<int64_t>(t.L);
    return static_cast<double>(num) / static_cast<double>(t.S);
}

} // namespace kvarlen::test
