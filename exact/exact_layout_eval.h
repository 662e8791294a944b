// One canonical layout counted exactly: the decisions as the simulations take them, then every
// dealer hand (and every card a purchase or an exchange can bring) tallied by class and settled
// as the simulations settle.
#pragma once

#include "analysis/dealer_outcomes.h"
#include "analysis/settled_outcome.h"
#include "exact/exact_layouts.h"
#include "exact/exact_tally.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace kvarlen {

// Ideal play decides by the MO values, strategy play by the fixed rules, optimal play by the
// exact value of every option under the settlement (best play).
enum class TExactMode : uint8_t { Ideal, Strategy, Optimal };
// Modes that decide by expected values on the box's view: they exchange and buy as valued.
inline bool DecidesByValues(TExactMode m) {
    return m != TExactMode::Strategy;
}

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

} // namespace kvarlen
