#include "analysis/dealer_view.h"
#include "analysis/ev.h"

namespace kvarlen {

double MO_Buy(const TDeck& deck, const THand& hand, const TCardRec& open, const TRules& rules,
              bool dealerAK) {
    const detail::TDealerView base = detail::MakeDealerView(deck, BuildValueCounts(deck), open);
    uint8_t cand[52];
    const int count = detail::CollectCandidates(deck, open, cand);
    // Nothing left to buy: the purchase cannot be made.
    if (count == 0) return -10000.0;
    // Candidates of one value outside the open suit leave the dealer the same cards.
    detail::TCandidateViews views(base, dealerAK);
    double sum = 0;
    for (int j = 0; j < count; ++j) {
        const int suit = detail::EntrySuit(cand[j]);
        const int value = detail::EntryValue(cand[j]);
        THand h = hand;
        h.Cards[6].Suit = static_cast<uint8_t>(suit);
        h.Cards[6].Value = value;
        h.Cards[6].Mark = 1;
        h.Count = 6;
        h.Sorted = 0;
        EvaluateHand(h, rules.AKPlays);
        if (!h.Sorted) SortByValue(h);
        const LayoutOutcome t = views.Tally(suit, value, detail::MakePlayerView(h));
        sum += detail::CandidateValue(t, h.Combo, rules.PriceBuy6);
    }
    return sum / count;
}

} // namespace kvarlen
