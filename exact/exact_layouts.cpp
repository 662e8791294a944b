#include "exact/exact_layouts.h"

#include <algorithm>
#include <array>
#include <stdexcept>

namespace kvarlen {

namespace detail {

const std::vector<uint16_t>& MasksWithBits(int bits) {
    static const std::array<std::vector<uint16_t>, 6> groups = [] {
        std::array<std::vector<uint16_t>, 6> g;
        for (unsigned m = 0; m < (1u << 13); ++m) {
            const int b = __builtin_popcount(m);
            if (b <= 5) g[static_cast<size_t>(b)].push_back(static_cast<uint16_t>(m));
        }
        return g;
    }();
    return groups[static_cast<size_t>(bits)];
}

int Multiplicity(uint16_t c, uint16_t d, uint16_t h) {
    // The open suit can be any of four; the other three masks give 6 / (their symmetries).
    if (c == d && d == h) return 4;
    if (c == d || d == h) return 12;
    return 24;
}

} // namespace detail

TPackedLayout PackLayout(const TExactLayout& l) {
    TPackedLayout p = 0;
    for (int s = 1; s <= 4; ++s) p |= static_cast<uint64_t>(l.Suit[s] & 0x1FFF) << (13 * (s - 1));
    p |= static_cast<uint64_t>(l.OpenValue & 0xF) << 52;
    p |= static_cast<uint64_t>(l.Multiplicity & 0x1F) << 56;
    return p;
}

TExactLayout UnpackLayout(TPackedLayout p) {
    TExactLayout l;
    for (int s = 1; s <= 4; ++s) l.Suit[s] = static_cast<uint16_t>((p >> (13 * (s - 1))) & 0x1FFF);
    l.OpenValue = static_cast<uint8_t>((p >> 52) & 0xF);
    l.Multiplicity = static_cast<uint8_t>((p >> 56) & 0x1F);
    return l;
}

std::vector<TPackedLayout> CanonicalLayouts(int partIndex, int partCount) {
    if (partCount < 1 || partIndex < 1 || partIndex > partCount)
        throw std::invalid_argument("part out of range");
    std::vector<TPackedLayout> out;
    out.reserve(static_cast<size_t>(CanonicalLayoutCount() / static_cast<uint64_t>(partCount) + 1));
    const uint64_t want = static_cast<uint64_t>(partIndex - 1);
    const uint64_t count = static_cast<uint64_t>(partCount);
    ForEachCanonicalLayout([&](uint64_t i, const TExactLayout& l) {
        if (i % count == want) out.push_back(PackLayout(l));
        return true;
    });
    return out;
}

uint64_t CanonicalLayoutCount() {
    static const uint64_t count =
        ForEachCanonicalLayout([](uint64_t, const TExactLayout&) { return true; });
    return count;
}

THand LayoutHand(const TExactLayout& l) {
    THand h;
    int slot = 1;
    for (int s = 1; s <= 4; ++s)
        for (int v = 1; v <= 13; ++v)
            if (l.Suit[s] & (1u << (v - 1))) {
                if (slot > 5) throw std::logic_error("layout with more than five cards");
                h.Cards[slot].Suit = static_cast<uint8_t>(s);
                h.Cards[slot].Value = v;
                h.Cards[slot].Mark = 0;
                ++slot;
            }
    if (slot != 6) throw std::logic_error("layout with fewer than five cards");
    h.Count = 5;
    return h;
}

TCardRec LayoutOpenCard(const TExactLayout& l) {
    TCardRec c;
    c.Suit = 1;
    c.Value = l.OpenValue;
    return c;
}

TExactLayout CanonicalOf(const TCardRec box[5], const TCardRec& open, int perm[5]) {
    uint16_t mask[5] = {};
    for (int i = 0; i < 5; ++i)
        mask[box[i].Suit] |= static_cast<uint16_t>(1u << (box[i].Value - 1));
    // The open suit becomes the spades; the other three are ordered by their masks, largest
    // first (ties keep the lower suit first, which gives the same masks either way).
    int others[3];
    int k = 0;
    for (int s = 1; s <= 4; ++s)
        if (s != open.Suit) others[k++] = s;
    std::stable_sort(others, others + 3, [&](int a, int b) { return mask[a] > mask[b]; });
    TExactLayout l;
    l.OpenValue = static_cast<uint8_t>(open.Value);
    l.Suit[1] = mask[open.Suit];
    for (int i = 0; i < 3; ++i) l.Suit[2 + i] = mask[others[i]];
    l.Multiplicity = static_cast<uint8_t>(detail::Multiplicity(l.Suit[2], l.Suit[3], l.Suit[4]));
    if (perm) {
        perm[0] = 0;
        perm[open.Suit] = 1;
        for (int i = 0; i < 3; ++i) perm[others[i]] = 2 + i;
    }
    return l;
}

} // namespace kvarlen
