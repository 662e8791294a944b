#include "cards/compare.h"

#include "cards/classify.h"

namespace kvarlen {

uint8_t CompareHands(const THand& first, const THand& second) {
    if (first.Combo != second.Combo) return first.Combo > second.Combo ? 1 : 2;
    const uint16_t combo = first.Combo;
    if (combo == C_Empty || combo == C_Royal) return 0;
    int a[5], b[5];
    detail::ComparedValues(first, a);
    detail::ComparedValues(second, b);
    const uint32_t ka = detail::CompareKey(combo, first.Rank1, first.Rank2, a);
    const uint32_t kb = detail::CompareKey(combo, second.Rank1, second.Rank2, b);
    if (ka == kb) return 0;
    return ka > kb ? 1 : 2;
}

} // namespace kvarlen
