// Checks a six-card classification against the best of its five-card subsets.
#pragma once

#include "brute_force.h"

#include <gtest/gtest.h>

namespace kvarlen::test {

// Best five of six: class and rank keys of the best subset, the first best subset dropped.
inline void CheckSix(THand h, bool ak) {
    const THand orig = h;
    EvaluateHand(h, ak);
    // Slots are the exchange sort of the original.
    THand sorted = orig;
    SortByValue(sorted);
    for (int i = 1; i <= 6; ++i) ASSERT_TRUE(SameCard(h.Cards[i], sorted.Cards[i]));
    BruteResult best;
    int bestJ = 0;
    uint16_t bestBits = 0;
    for (int j = 1; j <= 6; ++j) {
        std::array<TCardRec, 5> c{};
        THand five;
        for (int i = 1, k = 0; i <= 6; ++i)
            if (i != j) {
                c[k] = h.Cards[i];
                five.Cards[k + 1] = h.Cards[i];
                ++k;
            }
        const auto r = BruteClassify(c, ak);
        if (r.Combo != C_Empty && (bestJ == 0 || BruteOrder(r, best) > 0)) {
            best = r;
            bestJ = j;
            detail::EvaluateFiveStepwise(five, ak, false);
            bestBits = five.FoundBits;
        }
    }
    if (bestJ == 0) {
        ASSERT_EQ(h.Combo, C_Empty);
        ASSERT_EQ(h.DropIndex, 1);
        ASSERT_EQ(h.FoundBits, 0);
        return;
    }
    ASSERT_EQ(h.Combo, best.Combo);
    ASSERT_EQ(h.Rank1, best.Rank1);
    ASSERT_EQ(h.Rank2, best.Rank2);
    ASSERT_EQ(h.DropIndex, bestJ);
    ASSERT_EQ(h.FoundBits, bestBits);
}

} // namespace kvarlen::test
