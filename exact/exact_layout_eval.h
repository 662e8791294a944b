// One canonical layout counted exactly: the decisions as the simulations take them, then every
// dealer hand (and every card a purchase or an exchange can bring) tallied by class and settled
// as the simulations settle.
#pragma once

#include "analysis/dealer_outcomes.h"
#include "exact/exact_layouts.h"
#include "exact/exact_tally.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace kvarlen {

enum class TExactMode : uint8_t { Ideal, Strategy };

// Results of the settlement per (final class, raised, insured, dealer's answer), read once from
// the settlement routine. An entry is the box's whole result in antes, prices left out.
struct TSettleTable {
    // [combination ordinal 0..10][raised][insured][0 no game, 1 box wins, 2 dealer wins, 3 push]
    int64_t Result[11][2][2][4] = {};
    int64_t Insurance[11] = {}; // the insurance sum of an insured box of that class
};
TSettleTable BuildSettleTable();

// Everything the count of a layout reads; fixed for a run.
struct TExactConfig {
    TRules Rules;
    TExactMode Mode = TExactMode::Ideal;
    bool DealerAK = true;        // the dealer's ace + king when a purchase is valued
    bool RaiseAt2Matches = true; // strategy play: "RAISE при 2 вскрышках"
    int DrawFactor = 1;          // 42 when a card can be received, else 1
    TSettleTable Settle;
};

// 42 when the rules and the mode let the box receive a card (a purchase, or an exchange in ideal
// play), 1 otherwise.
int DrawFactorFor(const TRules& rules, TExactMode mode);
TExactConfig MakeExactConfig(const TRules& rules, TExactMode mode, bool dealerAK,
                             bool raiseAt2Matches);

// The exact counts of one layout (its own deals, not yet times its multiplicity).
TExactLayoutCounts CountLayout(const TExactLayout& layout, const TExactConfig& cfg);
// The same for any five cards (slots 1..5, in any order) and open card.
TExactLayoutCounts CountLayoutCards(const THand& box, const TCardRec& open,
                                    const TExactConfig& cfg);

// How a flush of the box fares against every dealer flush that the counters call a push: the
// dealer's four closed cards from the unseen cards of the open card's suit (`unseen` has the
// box's cards taken out and still holds the open card).
struct TFlushSplit {
    int64_t Total = 0, Won = 0, Lost = 0, Push = 0; // Won: the box wins
};
TFlushSplit SplitDealerFlushes(const TDeck& unseen, const TCardRec& open, const THand& box,
                               bool akPlays);

// The dealer's flushes of one layout dealt out and classified once, for every card the box can
// receive: Split gives what SplitDealerFlushes gives on `unseen` with the open suit's card of
// value takenValue (0: none) taken out as well.
class TDealerFlushes {
  public:
    TDealerFlushes(const TDeck& unseen, const TCardRec& open, bool akPlays);
    TFlushSplit Split(const THand& box, int takenValue) const;

  private:
    struct TEntry {
        uint16_t Values; // bit v - 1 for each closed card's value
        THand Hand;
    };
    std::vector<TEntry> hands_;
};

// The tally of the counters with flush against flush ranked as the settlement ranks it; the raise
// value of the counters (flush against flush a push, as every decision sees it) in raiseValue.
// flushes (when given) holds the dealer's flushes of `unseen` before the open suit's card of
// value takenValue was taken out.
LayoutOutcome SettledOutcome(const TDeck& unseen, const THand& box, const TCardRec& open,
                             const TRules& rules, double* raiseValue = nullptr,
                             const TDealerFlushes* flushes = nullptr, int takenValue = 0);

} // namespace kvarlen
