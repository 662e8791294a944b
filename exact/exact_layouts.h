// The layouts of one box against the dealer: the box's five cards and the dealer's open card,
// reduced by the 24 permutations of the suits to canonical layouts with their multiplicities.
#pragma once

#include "cards/hand.h"

#include <cstdint>
#include <vector>

namespace kvarlen {

// The open card is always a spade (suit 1). Each suit holds the box's cards as a 13-bit mask
// (bit v - 1 for value v); the clubs, diamonds and hearts masks are in non-increasing order.
struct TExactLayout {
    uint16_t Suit[5] = {};    // 1..4
    uint8_t OpenValue = 0;    // 1..13
    uint8_t Multiplicity = 0; // layouts of the whole space this one stands for: 4, 12 or 24
};

// Every layout of the space: 47 * C(52, 5).
constexpr uint64_t kPlainLayouts = 122151120ull;

// Packed form kept in the lists: 4 x 13 bits of masks, the open value, the multiplicity.
using TPackedLayout = uint64_t;
TPackedLayout PackLayout(const TExactLayout& l);
TExactLayout UnpackLayout(TPackedLayout p);

// Visits every canonical layout in the fixed order that numbers them from 0; returns the count.
// The visitor gets (number, layout) and returns false to stop early.
template <class F> uint64_t ForEachCanonicalLayout(F&& visit);

// The canonical layouts numbered i with i % partCount == partIndex - 1, in order.
std::vector<TPackedLayout> CanonicalLayouts(int partIndex = 1, int partCount = 1);
// How many canonical layouts there are (computed once).
uint64_t CanonicalLayoutCount();

// The box's five cards in deck order and the open card of a layout.
THand LayoutHand(const TExactLayout& l);
TCardRec LayoutOpenCard(const TExactLayout& l);

// The canonical form of any layout (five distinct cards, an open card not among them), and the
// suit permutation that maps the layout onto it (perm[s] = the canonical suit of suit s).
TExactLayout CanonicalOf(const TCardRec box[5], const TCardRec& open, int perm[5] = nullptr);

namespace detail {
// Masks with at most five bits of 13, grouped by the number of bits, each group ascending.
const std::vector<uint16_t>& MasksWithBits(int bits);
int Multiplicity(uint16_t c, uint16_t d, uint16_t h);
} // namespace detail

template <class F> uint64_t ForEachCanonicalLayout(F&& visit) {
    uint64_t n = 0;
    TExactLayout l;
    for (int o = 1; o <= 13; ++o) {
        l.OpenValue = static_cast<uint8_t>(o);
        const uint16_t openBit = static_cast<uint16_t>(1u << (o - 1));
        for (int k2 = 0; k2 <= 5; ++k2)
            for (uint16_t c : detail::MasksWithBits(k2))
                for (int k3 = 0; k3 <= 5 - k2; ++k3)
                    for (uint16_t d : detail::MasksWithBits(k3)) {
                        if (d > c) break;
                        for (int k4 = 0; k4 <= 5 - k2 - k3; ++k4)
                            for (uint16_t h : detail::MasksWithBits(k4)) {
                                if (h > d) break;
                                const int mult = detail::Multiplicity(c, d, h);
                                for (uint16_t s : detail::MasksWithBits(5 - k2 - k3 - k4)) {
                                    if (s & openBit) continue;
                                    l.Suit[1] = s;
                                    l.Suit[2] = c;
                                    l.Suit[3] = d;
                                    l.Suit[4] = h;
                                    l.Multiplicity = static_cast<uint8_t>(mult);
                                    if (!visit(n, l)) return n + 1;
                                    ++n;
                                }
                            }
                    }
    }
    return n;
}

} // namespace kvarlen
