// Exact counts of the dealer's possible hands by class, and how the player's hand fares
// against them.
#pragma once

#include "cards/hand.h"

#include <cstdint>

namespace kvarlen {

// Element 0: n, the unseen entries (the dealer's open card included); 1..13: c[v].
struct ValueCounts {
    int8_t c[14] = {};
};
ValueCounts BuildValueCounts(const TDeck& deck);

// Won, Lost and Push are -1 unless the player's class is the counter's class.
struct ClassOutcome {
    int32_t Total = 0;
    int32_t Won = -1;
    int32_t Lost = -1;
    int32_t Push = -1;
};

// S possible dealer hands, W won, L lost, P pushed, N without a game.
struct LayoutOutcome {
    int32_t S = 0;
    int32_t W = 0;
    int32_t L = 0;
    int32_t P = 0;
    int32_t N = 0;
};

// The ten counters. The deck keeps the dealer's open card unseen; the player's cards are out.
ClassOutcome CountDealerAK(const TDeck& deck, const ValueCounts& vc, const TCardRec& open,
                           const THand& player);
ClassOutcome CountDealerPair(const TDeck& deck, const ValueCounts& vc, const TCardRec& open,
                             const THand& player);
ClassOutcome CountDealerTwoPairs(const TDeck& deck, const ValueCounts& vc, const TCardRec& open,
                                 const THand& player);
ClassOutcome CountDealerTrips(const TDeck& deck, const ValueCounts& vc, const TCardRec& open,
                              const THand& player);
ClassOutcome CountDealerStraight(const TDeck& deck, const ValueCounts& vc, const TCardRec& open,
                                 const THand& player);
ClassOutcome CountDealerFlush(const TDeck& deck, const ValueCounts& vc, const TCardRec& open,
                              const THand& player);
ClassOutcome CountDealerFullHouse(const TDeck& deck, const ValueCounts& vc, const TCardRec& open,
                                  const THand& player);
ClassOutcome CountDealerQuads(const TDeck& deck, const ValueCounts& vc, const TCardRec& open,
                              const THand& player);
ClassOutcome CountDealerStraightFlush(const TDeck& deck, const ValueCounts& vc,
                                      const TCardRec& open, const THand& player);
ClassOutcome CountDealerRoyal(const TDeck& deck, const ValueCounts& vc, const TCardRec& open,
                              const THand& player);

// Runs the counters from ace + king (only when akPlays) to royal and tallies them. perClass,
// when given, receives each counter's outcome at its ComboOrdinal (1..10); classes not counted
// are left untouched.
LayoutOutcome TallyDealerOutcomes(const TDeck& deck, const ValueCounts& vc, const TCardRec& open,
                                  const THand& player, bool akPlays,
                                  ClassOutcome* perClass = nullptr);

// Milliseconds spent in the pair counter since the last reset (per thread: each simulation
// stream keeps its own).
double& GlobalT1();

} // namespace kvarlen
