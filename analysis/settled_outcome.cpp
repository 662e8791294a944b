#include "analysis/settled_outcome.h"

#include "analysis/ev.h"

#include <stdexcept>

namespace kvarlen {

uint32_t FlushKey(const THand& h) {
    int values[5];
    detail::ComparedValues(h, values);
    return detail::CompareKey(C_Flush, h.Rank1, h.Rank2, values);
}

TFlushSplit SplitDealerFlushes(const TDeck& unseen, const TCardRec& open, const THand& box,
                               bool akPlays) {
    return TDealerFlushes(unseen, open, akPlays).SplitMask(box, 0);
}

TDealerFlushes::TDealerFlushes(const TDeck& unseen, const TCardRec& open, bool akPlays) {
    int values[13];
    int k = 0;
    for (int v = 1; v <= 13; ++v)
        if (v != open.Value && unseen.IsUnseen(open.Suit, v)) values[k++] = v;
    THand dealer;
    dealer.Count = 5;
    for (int a = 0; a < k; ++a)
        for (int b = a + 1; b < k; ++b)
            for (int c = b + 1; c < k; ++c)
                for (int d = c + 1; d < k; ++d) {
                    const int closed[4] = {values[a], values[b], values[c], values[d]};
                    dealer.Cards[1] = TCardRec{open.Suit, open.Value, 0};
                    uint16_t bits = 0;
                    for (int i = 0; i < 4; ++i) {
                        dealer.Cards[2 + i] = TCardRec{open.Suit, closed[i], 0};
                        bits = static_cast<uint16_t>(bits | (1u << (closed[i] - 1)));
                    }
                    dealer.Sorted = 0;
                    if (EvaluateHand(dealer, akPlays) != C_Flush) continue;
                    hands_.push_back(TEntry{bits, FlushKey(dealer)});
                }
}

TFlushSplit TDealerFlushes::SplitMask(const THand& box, uint16_t taken) const {
    TFlushSplit s;
    const uint32_t key = FlushKey(box);
    for (const TEntry& e : hands_) {
        if (e.Values & taken) continue;
        ++s.Total;
        if (e.Key < key)
            ++s.Won;
        else if (e.Key > key)
            ++s.Lost;
        else
            ++s.Push;
    }
    return s;
}

LayoutOutcome RankFlushes(LayoutOutcome t, const THand& box, const TDealerFlushes& flushes,
                          uint16_t takenMask) {
    if (box.Combo != C_Flush) return t;
    const TFlushSplit f = flushes.SplitMask(box, takenMask);
    if (f.Total > t.P) throw std::logic_error("more dealer flushes than pushes");
    t.P -= static_cast<int32_t>(f.Total - f.Push);
    t.W += static_cast<int32_t>(f.Won);
    t.L += static_cast<int32_t>(f.Lost);
    return t;
}

LayoutOutcome SettledOutcome(const TDeck& unseen, const THand& box, const TCardRec& open,
                             const TRules& rules, double* raiseValue, const TDealerFlushes* flushes,
                             int takenValue) {
    LayoutOutcome t;
    const double mo = MO_Raise(unseen, box, open, rules, nullptr, &t);
    if (raiseValue) *raiseValue = mo;
    if (box.Combo != C_Flush) return t;
    if (flushes)
        return RankFlushes(t, box, *flushes,
                           takenValue > 0 ? static_cast<uint16_t>(1u << (takenValue - 1))
                                          : uint16_t{0});
    return RankFlushes(t, box, TDealerFlushes(unseen, open, rules.AKPlays), 0);
}

} // namespace kvarlen
