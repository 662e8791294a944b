#include "cards/compare.h"

#include "cards/classify.h"

namespace kvarlen {

namespace {
// The five values a hand is compared on: slots 1..5, or the slots other than DropIndex.
inline void ComparedValues(const THand& h, int values[5]) {
    if (h.Count == 6) {
        const int drop = (h.DropIndex >= 1 && h.DropIndex <= 6) ? h.DropIndex : 1;
        for (int i = 1, k = 0; i <= 6; ++i)
            if (i != drop) values[k++] = h.Cards[i].Value;
    } else {
        for (int i = 0; i < 5; ++i) values[i] = h.Cards[i + 1].Value;
    }
}
} // namespace

uint8_t CompareHands(const THand& first, const THand& second) {
    if (first.Combo != second.Combo) return first.Combo > second.Combo ? 1 : 2;
    const uint16_t combo = first.Combo;
    if (combo == C_Empty || combo == C_Royal) return 0;
    int a[5], b[5];
    ComparedValues(first, a);
    ComparedValues(second, b);
    const uint32_t ka = detail::CompareKey(combo, first.Rank1, first.Rank2, a);
    const uint32_t kb = detail::CompareKey(combo, second.Rank1, second.Rank2, b);
    if (ka == kb) return 0;
    return ka > kb ? 1 : 2;
}

} // namespace kvarlen
