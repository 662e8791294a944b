// Showdown between two classified hands, and dealer qualification.
#pragma once

#include "cards/card.h"

#include <cstdint>

namespace kvarlen {

// 0 equal, 1 the first hand is better, 2 the second. Both hands must have been classified with
// the same ace + king flag; a six-card hand is compared through its best five. Suits never
// break a tie.
uint8_t CompareHands(const THand& first, const THand& second);

// The dealer has a game exactly when his classified combination is not C_Empty.
inline bool DealerHasGame(const THand& dealer) {
    return dealer.Combo != C_Empty;
}

} // namespace kvarlen
