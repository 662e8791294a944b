// Exchanging one or two of the five cards. Both drivers keep running sums instead of arrays
// of per-candidate results, so no count of unseen cards can run past a bound.
#include "analysis/dealer_view.h"
#include "analysis/ev.h"

#include <string>

namespace kvarlen {

namespace {

// Positions the fast two-card exchange never breaks up: the cards of the hand's pairs and
// three of a kind (ranks compared modulo 13 so that the ace's 14 meets its value 1).
void KeptPositions(const THand& hand, bool kept[7]) {
    for (int i = 0; i < 7; ++i) kept[i] = false;
    int r1 = -1, r2 = -1;
    if (hand.Combo == C_Pair || hand.Combo == C_Trips)
        r1 = hand.Rank1 % 13;
    else if (hand.Combo == C_TwoPairs || hand.Combo == C_FullHouse) {
        r1 = hand.Rank1 % 13;
        r2 = hand.Rank2 % 13;
    } else
        return;
    const int count = hand.Count <= 6 ? hand.Count : 6;
    for (int i = 1; i <= count; ++i) {
        const int v = hand.Cards[i].Value % 13;
        if (v == r1 || v == r2) kept[i] = true;
    }
}

} // namespace

double MO_Change1(const TDeck& deck, const THand& hand, const TCardRec& open, const TRules& rules,
                  uint8_t& bestPosition, TDetailSink* sink, double* perPosition) {
    const detail::TDealerView base = detail::MakeDealerView(deck, BuildValueCounts(deck), open);
    uint8_t cand[52];
    const int count = detail::CollectCandidates(deck, open, cand);
    // The five positions share the views: the dealer's cards do not depend on the card given up.
    detail::TCandidateViews views(base, rules.AKPlays);
    double best = -10000.0;
    bestPosition = 0;
    for (int i = 1; i <= 5; ++i) {
        if (count == 0) break;
        double sum = 0;
        for (int j = 0; j < count; ++j) {
            const TCardRec x = detail::EntryCard(cand[j], 2);
            THand h = hand;
            h.Cards[i] = x;
            h.Sorted = 0;
            // Six cards (a bought card kept) come back sorted: the card the dealer can no longer
            // hold is x, not whatever now lies in slot i.
            EvaluateHand(h, rules.AKPlays);
            const LayoutOutcome t = views.Tally(x.Suit, x.Value, detail::MakePlayerView(h));
            sum += detail::CandidateValue(t, h.Combo, rules.PriceChange1);
        }
        const double mo = sum / count;
        if (perPosition) perPosition[i] = mo;
        if (sink)
            sink->AddLine("MO_Change1(" + std::to_string(i) +
                          ") = " + FormatFixed(mo, 9, 7, sink->Separator()));
        // The first evaluated position is the first best whatever its value: a price high
        // enough must not leave the "nothing evaluated" -10000 standing.
        if (mo > best || bestPosition == 0) {
            best = mo;
            bestPosition = static_cast<uint8_t>(i);
        }
    }
    return best;
}

double MO_Change2(const TDeck& deck, const THand& hand, const TCardRec& open, bool fast,
                  const TRules& rules, uint8_t& first, uint8_t& second, TDetailSink* sink,
                  TChange2Pair* pairs, int* pairCount) {
    const detail::TDealerView base = detail::MakeDealerView(deck, BuildValueCounts(deck), open);
    uint8_t cand[52];
    const int count = detail::CollectCandidates(deck, open, cand);
    bool kept[7] = {};
    if (fast) KeptPositions(hand, kept);
    double best = -10000.0;
    first = 0;
    second = 0;
    int evaluated = 0;
    for (int r = 1; r <= 4; ++r) {
        for (int s = r + 1; s <= 5; ++s) {
            if (kept[r] || kept[s] || count < 2) continue;
            double sum = 0;
            THand h0 = hand;
            h0.Sorted = 0;
            for (int a = 0; a < count; ++a) {
                const TCardRec x = detail::EntryCard(cand[a], 2);
                detail::TDealerView dx = base;
                detail::TakeFromView(dx, x.Suit, x.Value);
                h0.Cards[r] = x;
                for (int b = a + 1; b < count; ++b) {
                    const TCardRec y = detail::EntryCard(cand[b], 2);
                    THand h = h0;
                    h.Cards[s] = y;
                    EvaluateHand(h, rules.AKPlays);
                    // y, not slot s: six cards come back sorted.
                    detail::TDealerView d = dx;
                    detail::TakeFromView(d, y.Suit, y.Value);
                    // Only ace + king and the pair are counted: stronger dealer hands count as
                    // no game here.
                    const LayoutOutcome t =
                        detail::Tally(d, detail::MakePlayerView(h), rules.AKPlays, nullptr, true);
                    sum += detail::CandidateValue(t, h.Combo, rules.PriceChange2);
                }
            }
            const int pairsOfCards = count * (count - 1) / 2;
            const double mo = sum / pairsOfCards;
            if (pairs && evaluated < 10)
                pairs[evaluated] =
                    TChange2Pair{static_cast<uint8_t>(r), static_cast<uint8_t>(s), mo};
            ++evaluated;
            if (sink)
                sink->AddLine("MO_Change2(" + std::to_string(r) + " " + std::to_string(s) +
                              ") = " + FormatFixed(mo, 9, 7, sink->Separator()));
            if (mo > best || first == 0) {
                best = mo;
                first = static_cast<uint8_t>(r);
                second = static_cast<uint8_t>(s);
            }
        }
    }
    if (pairCount) *pairCount = evaluated;
    return best;
}

} // namespace kvarlen
