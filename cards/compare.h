// Showdown between two classified hands, and dealer qualification.
#pragma once

#include "cards/card.h"

#include <cstdint>

namespace kvarlen {

// 0 equal, 1 the first hand is better, 2 the second. Both hands must have been classified with
// the same ace + king flag; a six-card hand is compared through its best five. Suits never
// break a tie.
uint8_t CompareHands(const THand& first, const THand& second);

namespace detail {
// The five values a classified hand is compared on: slots 1..5, or the slots of a six-card hand
// other than its DropIndex.
inline void ComparedValues(const THand& h, int values[5]) {
    if (h.Count == 6) {
        const int drop = (h.DropIndex >= 1 && h.DropIndex <= 6) ? h.DropIndex : 1;
        for (int i = 1, k = 0; i <= 6; ++i)
            if (i != drop) values[k++] = h.Cards[i].Value;
    } else {
        for (int i = 0; i < 5; ++i) values[i] = h.Cards[i + 1].Value;
    }
}
} // namespace detail

// The dealer has a game exactly when his classified combination is not C_Empty.
inline bool DealerHasGame(const THand& dealer) {
    return dealer.Combo != C_Empty;
}

} // namespace kvarlen
