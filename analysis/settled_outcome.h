// The dealer's hands counted as the settlement counts them: the counters call a flush against a
// flush a push, the settlement ranks the two flushes. Best play and the exact value of the game
// both stand on this tally.
#pragma once

#include "analysis/dealer_outcomes.h"

#include <cstdint>
#include <vector>

namespace kvarlen {

// How a flush of the box fares against every dealer flush that the counters call a push: the
// dealer's four closed cards from the unseen cards of the open card's suit (`unseen` has the
// box's cards taken out and still holds the open card).
struct TFlushSplit {
    int64_t Total = 0, Won = 0, Lost = 0, Push = 0; // Won: the box wins
};
TFlushSplit SplitDealerFlushes(const TDeck& unseen, const TCardRec& open, const THand& box,
                               bool akPlays);

// The dealer's flushes of one view dealt out and classified once, for every card (or pair of
// cards) the box can receive: Split gives what SplitDealerFlushes gives on `unseen` with the open
// suit's cards of the values in takenMask (bit v - 1 for value v) taken out as well.
class TDealerFlushes {
  public:
    TDealerFlushes(const TDeck& unseen, const TCardRec& open, bool akPlays);
    TFlushSplit SplitMask(const THand& box, uint16_t takenMask) const;
    TFlushSplit Split(const THand& box, int takenValue) const {
        return SplitMask(box, takenValue > 0 ? static_cast<uint16_t>(1u << (takenValue - 1)) : 0);
    }

  private:
    struct TEntry {
        uint16_t Values; // bit v - 1 for each closed card's value
        uint32_t Key;    // the comparison key of the dealer's five cards
    };
    std::vector<TEntry> hands_;
};

// The comparison key of a classified flush, five cards or the best five of six: of two flushes
// the one with the larger key wins, as the hand comparison decides.
uint32_t FlushKey(const THand& flush);

// The counters' tally with flush against flush ranked. flushes (when given) holds the dealer's
// flushes of the view before the open suit's cards in takenMask were taken out.
LayoutOutcome RankFlushes(LayoutOutcome counted, const THand& box, const TDealerFlushes& flushes,
                          uint16_t takenMask);

// The tally of the counters with flush against flush ranked as the settlement ranks it; the raise
// value of the counters (flush against flush a push, as every decision sees it) in raiseValue.
// flushes (when given) holds the dealer's flushes of `unseen` before the open suit's card of
// value takenValue was taken out.
LayoutOutcome SettledOutcome(const TDeck& unseen, const THand& box, const TCardRec& open,
                             const TRules& rules, double* raiseValue = nullptr,
                             const TDealerFlushes* flushes = nullptr, int takenValue = 0);

} // namespace kvarlen
