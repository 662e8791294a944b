// One canonical layout counted exactly: the decisions as the simulations take them, then every
// dealer hand (and every card a purchase or an exchange can bring) tallied by class and settled
// as the simulations settle.
#pragma once

#include "analysis/best_play.h"
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
TSettleTable BuildSettleTable(const TPayTable& pay);

// Everything the count of a layout reads; fixed for a run.
struct TExactConfig {
    TRules Rules;
    TExactMode Mode = TExactMode::Ideal;
    bool DealerAK = true;        // the dealer's ace + king when a purchase is valued
    bool RaiseAt2Matches = true; // strategy play: "RAISE при 2 вскрышках"
    int DrawFactor = 1;          // 42 when a card can be received, else 1
    TPayTable Pay = kDefaultPayTable;
    TSettleTable Settle; // settled with Pay
};

// 42 when the rules and the mode let the box receive a card (a purchase, or an exchange in ideal
// play), 1 otherwise.
int DrawFactorFor(const TRules& rules, TExactMode mode);
TExactConfig MakeExactConfig(const TRules& rules, TExactMode mode, bool dealerAK,
                             bool raiseAt2Matches, const TPayTable& pay = PayTable);

// What a layout comes to before any payout or price is applied: the dealer's hands against the
// dealt hand and against every hand a draw can bring, and the decisions that depend on neither
// (strategy play). Gathered once, it can be counted under any payouts and prices of the same
// switches and mode: the counts then equal CountLayout's under those payouts and prices.
struct TCandidateFacts {
    uint16_t Combo = 0;
    int Matches = 0;       // of the open card's value in the final hand (strategy: the dealt five)
    bool Raise = false;    // strategy play's raise
    LayoutOutcome Counted; // as the counters count (flush against flush a push)
    LayoutOutcome Settled; // flushes ranked
};
struct TLayoutFacts {
    THand Hand;  // the dealt five, classified
    int Own = 0; // the open card's value among them
    int DealtClass = 1, OpenValue = 1;
    LayoutOutcome DealtCounted, DealtSettled;
    bool StrategyBuys = false, StrategyRaise = false;
    std::vector<TCandidateFacts> Buy;         // in candidate order
    std::vector<LayoutOutcome> BuyForMO;      // the purchase valued with another dealer's AK rule
    std::vector<TCandidateFacts> Exchange[6]; // slots 1..5
    TViewStates States;                       // best play
};
void GatherLayoutFacts(const THand& box, const TCardRec& open, const TExactConfig& cfg,
                       TLayoutFacts& facts);
TExactLayoutCounts CountLayoutFacts(const TLayoutFacts& facts, const TExactConfig& cfg);
// Ideal and best play with one kind of draw: the price below which the layout draws (a purchase
// or an exchange) and above which it keeps its five cards, from cfg's payouts (the draw's value
// at price 0 less the value of keeping). -infinity when nothing can be drawn.
double DrawThreshold(const TLayoutFacts& facts, const TExactConfig& cfg);

// The exact counts of one layout (its own deals, not yet times its multiplicity).
TExactLayoutCounts CountLayout(const TExactLayout& layout, const TExactConfig& cfg);
// The same for any five cards (slots 1..5, in any order) and open card.
TExactLayoutCounts CountLayoutCards(const THand& box, const TCardRec& open,
                                    const TExactConfig& cfg);

} // namespace kvarlen
