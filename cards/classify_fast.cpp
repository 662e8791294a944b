// The fast classifiers: tables of results for every multiset of five and of six values (no
// flush), an exchange sort that keeps its registers, and the counts-and-bits classifier for
// flushes and straights-only. They give exactly what the step-by-step classifier gives.
#include "cards/classify.h"

#include <bit>
#include <cstddef>
#include <cstdlib>
#include <cstring>

namespace kvarlen {

namespace {

struct FiveResult {
    uint16_t Combo;
    uint16_t FoundBits;
    uint8_t Rank1;
    uint8_t Rank2;
};

// Bit 0 of the nibbles 1..13: a card count per value lives in nibble `value` of a 64-bit word.
constexpr uint64_t kNibbleLow = 0x0011111111111110ULL;
constexpr uint32_t kWheel = 0x3E;                   // A 2 3 4 5
constexpr uint32_t kBroadway = 0x2u | (0xFu << 10); // A 10 J Q K

inline int LowValue(uint64_t bits) {
    return __builtin_ctzll(bits) >> 2;
}
inline int HighValue(uint64_t bits) {
    return (63 - __builtin_clzll(bits)) >> 2;
}

// Five cards given as per-value counts and the set of values. Gives exactly the flags, rank
// keys and found bits of the step-by-step classifier (lowest repeated value first, later steps
// overriding earlier ones), without sorting.
inline FiveResult ClassifyCounts(uint64_t cnt, uint32_t mask, bool flush, bool akPlays,
                                 bool straightsOnly) {
    int f = 1, fb = 0, r1 = 0, r2 = 0;
    // Five distinct values: no nibble holds more than one card (popcount is no baseline x86-64).
    const bool distinct5 = (cnt & (kNibbleLow * 6)) == 0;
    if (!straightsOnly) {
        if (akPlays && (mask & 0x2u) && (mask & 0x2000u)) {
            f = 2;
            fb = 2;
        }
        if (!distinct5) {
            const uint64_t b0 = cnt & kNibbleLow;
            const uint64_t b1 = (cnt >> 1) & kNibbleLow;
            const uint64_t b2 = (cnt >> 2) & kNibbleLow;
            const uint64_t pairs = b1 & ~b0 & ~b2;
            const uint64_t trips = b1 & b0;
            const uint64_t quads = b2 & ~b1 & ~b0;
            const uint64_t rep = pairs | trips | quads;
            if (rep) {
                const uint64_t low = rep & (~rep + 1);
                f = (pairs & low) ? 4 : ((trips & low) ? 16 : 256);
                fb |= f;
                r1 = LowValue(low);
            }
            if (pairs) {
                if (pairs & (pairs - 1)) {
                    f = 8;
                    fb |= 8;
                    r1 = HighValue(pairs);
                    r2 = LowValue(pairs);
                } else if (trips) {
                    f = 128;
                    fb |= 128;
                    r1 = LowValue(trips);
                    r2 = LowValue(pairs);
                }
            }
        }
    }
    if (distinct5) {
        int top = 0;
        if (mask == kWheel)
            top = 5;
        else if (mask == kBroadway)
            top = 14;
        else {
            const int low = __builtin_ctz(mask);
            if ((mask >> low) == 0x1Fu) top = low + 4;
        }
        if (top) {
            f = 32;
            fb |= 32;
            r1 = top;
        }
    }
    if (flush) {
        fb |= 64;
        if (!straightsOnly) f = 64;
    }
    if ((fb & 96) == 96) {
        f = 512;
        fb |= 512;
        if (r1 == 14) {
            f = 1024;
            fb |= 1024;
        }
    }
    if (r1 == 1) r1 = 14;
    if (r2 == 1) {
        if (f == 8) {
            r2 = r1;
            r1 = 14;
        } else
            r2 = 14;
    }
    if (f == 2) {
        // Kickers of ace + king: the two highest of the other values.
        const uint32_t rest = mask & ~0x2002u;
        r1 = rest ? 31 - __builtin_clz(rest) : 0;
        const uint32_t rest2 = r1 ? rest & ~(1u << r1) : 0;
        r2 = rest2 ? 31 - __builtin_clz(rest2) : 0;
    }
    return FiveResult{static_cast<uint16_t>(f), static_cast<uint16_t>(fb), static_cast<uint8_t>(r1),
                      static_cast<uint8_t>(r2)};
}

// Within one combination a larger key is the better hand, as CompareHands decides; built from
// the value set with the ace on top (bit 14), which orders distinct kicker sets correctly.
inline uint32_t KeyFromCounts(uint16_t combo, int r1, int r2, uint64_t cnt, uint32_t mask) {
    const uint32_t hi = (mask & ~0x2u) | ((mask & 0x2u) << 13);
    switch (combo) {
    case C_AK:
        return hi & ~((1u << 14) | (1u << 13));
    case C_Pair:
    case C_Quads:
        return static_cast<uint32_t>(r1) << 16 | (hi & ~(1u << r1));
    case C_TwoPairs: {
        const uint64_t single = cnt & kNibbleLow & ~((cnt >> 1) & kNibbleLow);
        const int k = single ? LowValue(single) : 0;
        return static_cast<uint32_t>(r1 << 24 | r2 << 16) |
               (k == 1 ? 14u : static_cast<uint32_t>(k));
    }
    case C_Trips:
    case C_Straight:
    case C_StraightFlush:
        return static_cast<uint32_t>(r1);
    case C_Flush:
        return hi;
    case C_FullHouse:
        return static_cast<uint32_t>(r1 << 4 | r2);
    default:
        return 0;
    }
}

// A five-card result into the hand (either kind of record: both name the same fields).
template <class R> inline uint16_t StoreFive(THand& hand, const R& r) {
    hand.Combo = r.Combo;
    hand.FoundBits = r.FoundBits;
    hand.Rank1 = r.Rank1;
    hand.Rank2 = r.Rank2;
    hand.Sorted = 0;
    return r.Combo;
}

inline bool PlainValues(uint32_t mask) {
    return (mask & ~0x3FFEu) == 0;
}

// The five cards as counts and a value set; any values, straights-only or a flush.
uint16_t EvaluateFiveCounts(THand& hand, bool akPlays, bool straightsOnly) {
    uint64_t cnt = 0;
    uint32_t mask = 0;
    for (int i = 1; i <= 5; ++i) {
        const int v = hand.Cards[i].Value;
        if (v < 1 || v > 13) return detail::EvaluateFiveStepwise(hand, akPlays, straightsOnly);
        cnt += 1ULL << (4 * v);
        mask |= 1u << v;
    }
    const uint8_t s = hand.Cards[1].Suit;
    const bool flush = hand.Cards[2].Suit == s && hand.Cards[3].Suit == s &&
                       hand.Cards[4].Suit == s && hand.Cards[5].Suit == s;
    return StoreFive(hand, ClassifyCounts(cnt, mask, flush, akPlays, straightsOnly));
}

// Results for every multiset of five values without a flush, indexed by the combinatorial
// number of the ascending values: the six-card classifier looks its subsets up here.
struct TableEntry {
    uint16_t Combo;
    uint16_t FoundBits;
    uint8_t Rank1;
    uint8_t Rank2;
    uint32_t Key;
};
constexpr int kMultisets = 6188; // C(17, 5)

struct SmallBinomials {
    int c[19][7];
    constexpr SmallBinomials() : c{} {
        for (int n = 0; n < 19; ++n)
            for (int k = 0; k < 7; ++k)
                c[n][k] = k == 0 ? 1 : (n == 0 ? 0 : c[n - 1][k - 1] + c[n - 1][k]);
    }
};
constexpr SmallBinomials kSmall;

struct FiveTable {
    TableEntry Entry[2][kMultisets];
    FiveTable() : Entry{} {
        int x[5];
        for (x[0] = 1; x[0] <= 13; ++x[0])
            for (x[1] = x[0]; x[1] <= 13; ++x[1])
                for (x[2] = x[1]; x[2] <= 13; ++x[2])
                    for (x[3] = x[2]; x[3] <= 13; ++x[3])
                        for (x[4] = x[3]; x[4] <= 13; ++x[4]) {
                            uint64_t cnt = 0;
                            uint32_t mask = 0;
                            int idx = 0;
                            for (int i = 0; i < 5; ++i) {
                                cnt += 1ULL << (4 * x[i]);
                                mask |= 1u << x[i];
                                idx += kSmall.c[x[i] - 1 + i][i + 1];
                            }
                            for (int ak = 0; ak <= 1; ++ak) {
                                const FiveResult r = ClassifyCounts(cnt, mask, false, ak, false);
                                Entry[ak][idx] =
                                    TableEntry{r.Combo, r.FoundBits, r.Rank1, r.Rank2,
                                               KeyFromCounts(r.Combo, r.Rank1, r.Rank2, cnt, mask)};
                            }
                        }
    }
};
const FiveTable& Table() {
    static const FiveTable table;
    return table;
}

// The best five of six sorted plain values: the first subset (in slot order) that is strictly
// better wins; with no combination at all, slot 1 and no found bits.
struct SixBest {
    uint16_t Combo = 1;
    uint16_t FoundBits = 0;
    uint8_t Rank1 = 0;
    uint8_t Rank2 = 0;
    uint8_t Drop = 1;
};

// suitCount[flushSuit] >= 5 names the only suit that can make a flush (0: none).
SixBest BestOfSix(const int v[6], const uint8_t s[6], int flushSuit, int flushSuitCount,
                  bool akPlays, bool straightsOnly) {
    uint64_t cnt6 = 0;
    uint32_t all = 0;
    for (int i = 0; i < 6; ++i) {
        cnt6 += 1ULL << (4 * v[i]);
        all |= 1u << v[i];
    }
    // Combinatorial number of each subset: the terms before the left-out card keep their
    // position, those after it move up one.
    const TableEntry* table = straightsOnly ? nullptr : Table().Entry[akPlays ? 1 : 0];
    int before[7], after[7];
    before[0] = 0;
    for (int t = 0; t < 5; ++t) before[t + 1] = before[t] + kSmall.c[v[t] - 1 + t][t + 1];
    after[6] = 0;
    for (int t = 5; t >= 1; --t) after[t] = after[t + 1] + kSmall.c[v[t] - 1 + t - 1][t];
    after[0] = after[1];
    SixBest best;
    uint32_t bestKey = 0;
    for (int j = 0; j < 6; ++j) {
        // Leaving out the second of two equal values gives the same five again, unless the
        // suits make a flush differ: it cannot be strictly better.
        if (j > 0 && v[j] == v[j - 1] &&
            (flushSuit == 0 || (s[j] == flushSuit) == (s[j - 1] == flushSuit)))
            continue;
        const bool flush = flushSuit != 0 && (flushSuitCount == 6 || s[j] != flushSuit);
        uint16_t combo, bits;
        uint8_t r1, r2;
        uint32_t key;
        if (table && !flush) {
            const TableEntry& e = table[before[j] + after[j + 1]];
            combo = e.Combo;
            bits = e.FoundBits;
            r1 = e.Rank1;
            r2 = e.Rank2;
            key = e.Key;
        } else {
            const uint64_t cnt = cnt6 - (1ULL << (4 * v[j]));
            uint32_t mask = all;
            if (((cnt >> (4 * v[j])) & 0xF) == 0) mask &= ~(1u << v[j]);
            const FiveResult r = ClassifyCounts(cnt, mask, flush, akPlays, straightsOnly);
            combo = r.Combo;
            bits = r.FoundBits;
            r1 = r.Rank1;
            r2 = r.Rank2;
            if (combo < best.Combo) continue;
            key = KeyFromCounts(combo, r1, r2, cnt, mask);
        }
        if (combo > best.Combo || (combo == best.Combo && key > bestKey)) {
            best = SixBest{combo, bits, r1, r2, static_cast<uint8_t>(j + 1)};
            bestKey = key;
        }
    }
    return best;
}

// Without a suit held five times the best five of six depends on the sorted values alone: one
// entry per multiset of six values, indexed like the five-card table.
constexpr int kSixMultisets = 18564; // C(18, 6)

// Each entry holds the hand's result fields from Rank1 on as they lie in memory on a
// little-endian machine (Rank1, Rank2, DropIndex, Combo, Sorted = 1, padding, low byte of
// FoundBits; aces already 14), so that one store writes them. The high byte of FoundBits is not
// in it: without a flush it is the high byte of Combo (only quads reach bit 8).
static_assert(offsetof(THand, Rank2) == offsetof(THand, Rank1) + 1 &&
              offsetof(THand, DropIndex) == offsetof(THand, Rank1) + 2 &&
              offsetof(THand, Combo) == offsetof(THand, Rank1) + 3 &&
              offsetof(THand, Sorted) == offsetof(THand, Rank1) + 5 &&
              offsetof(THand, FoundBits) == offsetof(THand, Rank1) + 7);

inline uint64_t ImageSix(const SixBest& b) {
    const uint64_t r1 = b.Rank1 == 1 ? 14 : b.Rank1, r2 = b.Rank2 == 1 ? 14 : b.Rank2;
    return r1 | r2 << 8 | uint64_t{b.Drop} << 16 | uint64_t{b.Combo} << 24 | 1ULL << 40 |
           uint64_t{static_cast<uint8_t>(b.FoundBits)} << 56;
}

inline uint16_t StoreSixImage(THand& hand, uint64_t e) {
    const uint16_t combo = static_cast<uint16_t>(e >> 24);
    if constexpr (std::endian::native == std::endian::little) {
        unsigned char* base = reinterpret_cast<unsigned char*>(&hand);
        std::memcpy(base + offsetof(THand, Rank1), &e, 8);
        const unsigned char high = static_cast<unsigned char>(combo >> 8);
        std::memcpy(base + offsetof(THand, FoundBits) + 1, &high, 1);
    } else {
        hand.Rank1 = static_cast<uint8_t>(e);
        hand.Rank2 = static_cast<uint8_t>(e >> 8);
        hand.DropIndex = static_cast<uint8_t>(e >> 16);
        hand.Combo = combo;
        hand.Sorted = 1;
        hand.FoundBits = static_cast<uint16_t>((e >> 56) | (combo & 0xFF00u));
    }
    return combo;
}

inline uint16_t StoreSixBest(THand& hand, const SixBest& best) {
    hand.Combo = best.Combo;
    hand.Rank1 = best.Rank1 == 1 ? 14 : best.Rank1;
    hand.Rank2 = best.Rank2 == 1 ? 14 : best.Rank2;
    hand.DropIndex = best.Drop;
    hand.FoundBits = best.FoundBits;
    return best.Combo;
}

struct SixTable {
    uint64_t Entry[2][kSixMultisets];
    // Out of line, so that TableSix() stays a guard test inlined at its callers: as a call it
    // saved and restored six registers for every hand.
#if defined(__GNUC__)
    __attribute__((noinline))
#endif
    SixTable() {
        int x[6];
        const uint8_t noSuits[6] = {1, 2, 3, 4, 1, 2};
        for (x[0] = 1; x[0] <= 13; ++x[0])
            for (x[1] = x[0]; x[1] <= 13; ++x[1])
                for (x[2] = x[1]; x[2] <= 13; ++x[2])
                    for (x[3] = x[2]; x[3] <= 13; ++x[3])
                        for (x[4] = x[3]; x[4] <= 13; ++x[4])
                            for (x[5] = x[4]; x[5] <= 13; ++x[5]) {
                                int idx = 0;
                                for (int i = 0; i < 6; ++i) idx += kSmall.c[x[i] - 1 + i][i + 1];
                                for (int ak = 0; ak <= 1; ++ak) {
                                    const SixBest b = BestOfSix(x, noSuits, 0, 0, ak, false);
                                    // The store leans on this (see ImageSix).
                                    if ((b.FoundBits >> 8) != (b.Combo >> 8)) std::abort();
                                    Entry[ak][idx] = ImageSix(b);
                                }
                            }
    }
};
inline const SixTable& TableSix() {
    static const SixTable table;
    return table;
}

// Any six cards: values outside 1..13 and suits outside 1..4 included.
uint16_t EvaluateSixGeneric(THand& hand, bool akPlays, bool straightsOnly) {
    // The exchange sort on values alone, then the records moved once.
    int v[6];
    uint32_t all = 0;
    for (int i = 0; i < 6; ++i) {
        v[i] = hand.Cards[i + 1].Value;
        all |= static_cast<uint32_t>(v[i]) <= 13u ? 1u << v[i] : 1u; // bit 0: not a deck value
    }
    if (!PlainValues(all)) {
        SortByValue(hand);
    } else {
        // Value in the high bits, slot in the low three: swaps decided on the value alone.
        uint32_t k[6];
        for (int i = 0; i < 6; ++i)
            k[i] = static_cast<uint32_t>(v[i]) << 3 | static_cast<uint32_t>(i);
        for (int i = 0; i < 5; ++i)
            for (int j = i + 1; j < 6; ++j) {
                const uint32_t a = k[i], b = k[j];
                const uint32_t m = 0u - static_cast<uint32_t>((a >> 3) > (b >> 3));
                const uint32_t d = (a ^ b) & m;
                k[i] = a ^ d;
                k[j] = b ^ d;
            }
        TCardRec sorted[6];
        for (int i = 0; i < 6; ++i) sorted[i] = hand.Cards[(k[i] & 7) + 1];
        for (int i = 0; i < 6; ++i) hand.Cards[i + 1] = sorted[i];
        hand.Sorted = 1;
    }
    SixBest best;
    if (PlainValues(all)) {
        int suitCount[5] = {0, 0, 0, 0, 0};
        uint8_t s[6];
        for (int i = 0; i < 6; ++i) {
            v[i] = hand.Cards[i + 1].Value;
            s[i] = hand.Cards[i + 1].Suit;
            ++suitCount[s[i] <= 4 ? s[i] : 0];
        }
        // The suit held five or six times, if any.
        int flushSuit = 0;
        for (int k = 1; k <= 4; ++k)
            if (suitCount[k] >= 5) flushSuit = k;
        if (flushSuit == 0 && !straightsOnly) {
            int idx = 0;
            for (int i = 0; i < 6; ++i) idx += kSmall.c[v[i] - 1 + i][i + 1];
            return StoreSixImage(hand, TableSix().Entry[akPlays ? 1 : 0][idx]);
        }
        best = BestOfSix(v, s, flushSuit, flushSuit ? suitCount[flushSuit] : 0, akPlays,
                         straightsOnly);
    } else {
        // Values outside 1..13: the plain loop over the step-by-step classifier.
        uint32_t bestKey = 0;
        for (int j = 0; j < 6; ++j) {
            THand five;
            for (int i = 0, k = 1; i < 6; ++i)
                if (i != j) five.Cards[k++] = hand.Cards[i + 1];
            detail::EvaluateFiveStepwise(five, akPlays, straightsOnly);
            int x[5];
            for (int i = 0; i < 5; ++i) x[i] = five.Cards[i + 1].Value;
            if (five.Combo < best.Combo) continue;
            const uint32_t key = detail::CompareKey(five.Combo, five.Rank1, five.Rank2, x);
            if (five.Combo > best.Combo || key > bestKey) {
                best = SixBest{five.Combo, five.FoundBits, five.Rank1, five.Rank2,
                               static_cast<uint8_t>(j + 1)};
                bestKey = key;
            }
        }
    }
    return StoreSixBest(hand, best);
}

// C(x - 1 + i, i + 1): the term of the i-th smallest value x in the combinatorial number of a
// multiset, the index of the five- and six-value tables. 256 values, so that a six-card sort key
// indexes it by its low byte (a zero-extending move, no mask); any value outside 1..13 adds
// kColexKeyBad, which no sum of valid terms reaches.
constexpr uint32_t kColexKeyBad = 1u << 20;
struct ColexKeyTerms {
    uint32_t t[6][256];
    constexpr ColexKeyTerms() : t{} {
        for (int i = 0; i < 6; ++i)
            for (int x = 0; x < 256; ++x)
                t[i][x] = x >= 1 && x <= 13 ? static_cast<uint32_t>(kSmall.c[x - 1 + i][i + 1])
                                            : kColexKeyBad;
    }
};
constexpr ColexKeyTerms kColexKey;
inline unsigned BadValue(int v) { // 0 or 1, or-ed without branches
    return static_cast<unsigned>(v - 1) > 12u;
}

static_assert(kSixMultisets <= static_cast<int>(kColexKeyBad));

// Orders two values (the five-card table only needs the multiset).
inline void MinMax(int& a, int& b) {
    const int lo = a < b ? a : b;
    const int hi = a < b ? b : a;
    a = lo;
    b = hi;
}

uint16_t EvaluateFive(THand& hand, bool akPlays, bool straightsOnly) {
    int x0 = hand.Cards[1].Value, x1 = hand.Cards[2].Value, x2 = hand.Cards[3].Value,
        x3 = hand.Cards[4].Value, x4 = hand.Cards[5].Value;
    if (BadValue(x0) | BadValue(x1) | BadValue(x2) | BadValue(x3) | BadValue(x4))
        return detail::EvaluateFiveStepwise(hand, akPlays, straightsOnly);
    const uint8_t s = hand.Cards[1].Suit;
    const bool flush = (hand.Cards[2].Suit == s) & (hand.Cards[3].Suit == s) &
                       (hand.Cards[4].Suit == s) & (hand.Cards[5].Suit == s);
    if (flush || straightsOnly) return EvaluateFiveCounts(hand, akPlays, straightsOnly);
    // Without a flush the result depends on the multiset of values alone.
    MinMax(x0, x3);
    MinMax(x1, x4);
    MinMax(x0, x2);
    MinMax(x1, x3);
    MinMax(x0, x1);
    MinMax(x2, x4);
    MinMax(x1, x2);
    MinMax(x3, x4);
    MinMax(x2, x3);
    const int idx = kColexKey.t[0][x0] + kColexKey.t[1][x1] + kColexKey.t[2][x2] +
                    kColexKey.t[3][x3] + kColexKey.t[4][x4];
    return StoreFive(hand, Table().Entry[akPlays ? 1 : 0][idx]);
}

// 1 << 4 * suit for the suits 1..4, 1 << 24 for any other byte.
struct SuitNibbles {
    uint32_t t[256];
    constexpr SuitNibbles() : t{} {
        for (int su = 0; su < 256; ++su) t[su] = su >= 1 && su <= 4 ? 1u << (4 * su) : 1u << 24;
    }
};
constexpr SuitNibbles kSuitNibble;

// One step of the exchange sort on keys slot << 32 | value: swapped only when the value is
// greater, so equal values end up exactly where the slot-by-slot exchange sort puts them.
inline void Exchange(uint64_t& a, uint64_t& b) {
    // Branch-free, since the values of random hands defeat any prediction; the fifteen steps
    // are most of the classification's work, so each is a compare of the low bytes and two
    // conditional moves (selects written in C++ partly become branches). Whole registers, so
    // that the keys index tables without a widening move.
#if defined(__GNUC__) && defined(__x86_64__)
    const uint64_t x = a;
    asm("cmpb %b[b], %b[a]\n\t"
        "cmovaq %[b], %[a]\n\t"
        "cmovaq %[x], %[b]"
        : [a] "+&q"(a), [b] "+&q"(b)
        : [x] "r"(x)
        : "cc");
#else
    const uint64_t m = 0u - static_cast<uint64_t>((a & 0xFF) > (b & 0xFF));
    const uint64_t d = (a ^ b) & m;
    a ^= d;
    b ^= d;
#endif
}

// Kept out of line: inlined into EvaluateHand its register saves and stack frame would be paid by
// every five-card call too (measured: five cards 108 -> 80 M/s). GCC's straight-line vectoriser
// packs the fields into vector registers and back, a tenth more instructions per hand.
#if defined(__GNUC__) && !defined(__clang__)
__attribute__((noinline, optimize("no-tree-slp-vectorize")))
#elif defined(__GNUC__)
__attribute__((noinline))
#endif
uint16_t
EvaluateSix(THand& hand, bool akPlays, bool straightsOnly) {
    // Field by field: the caller has just written single fields, and wider loads across them
    // would stall on store forwarding.
    int val[6], mark[6];
    uint8_t suit[6];
    // Cards per suit, one nibble each, from a table that counts any suit outside 1..4 at bit 24
    // instead: the count and the range check in one add per card. Values: the or of all of them
    // finds anything outside 0..15, the index terms below 0, 14 and 15.
    uint32_t valOr = 0, suits = 0;
    for (int i = 0; i < 6; ++i) {
        val[i] = hand.Cards[i + 1].Value;
        suit[i] = hand.Cards[i + 1].Suit;
        mark[i] = hand.Cards[i + 1].Mark;
        valOr |= static_cast<uint32_t>(val[i]);
        suits += kSuitNibble.t[suit[i]];
    }
    if ((valOr & ~15u) | (suits >> 24)) return EvaluateSixGeneric(hand, akPlays, straightsOnly);
    uint64_t k0 = static_cast<uint32_t>(val[0]) | uint64_t{0} << 32;
    uint64_t k1 = static_cast<uint32_t>(val[1]) | uint64_t{1} << 32;
    uint64_t k2 = static_cast<uint32_t>(val[2]) | uint64_t{2} << 32;
    uint64_t k3 = static_cast<uint32_t>(val[3]) | uint64_t{3} << 32;
    uint64_t k4 = static_cast<uint32_t>(val[4]) | uint64_t{4} << 32;
    uint64_t k5 = static_cast<uint32_t>(val[5]) | uint64_t{5} << 32;
    Exchange(k0, k1);
    Exchange(k0, k2);
    Exchange(k0, k3);
    Exchange(k0, k4);
    Exchange(k0, k5);
    Exchange(k1, k2);
    Exchange(k1, k3);
    Exchange(k1, k4);
    Exchange(k1, k5);
    Exchange(k2, k3);
    Exchange(k2, k4);
    Exchange(k2, k5);
    Exchange(k3, k4);
    Exchange(k3, k5);
    Exchange(k4, k5);
    const uint32_t idx = kColexKey.t[0][k0 & 0xFF] + kColexKey.t[1][k1 & 0xFF] +
                         kColexKey.t[2][k2 & 0xFF] + kColexKey.t[3][k3 & 0xFF] +
                         kColexKey.t[4][k4 & 0xFF] + kColexKey.t[5][k5 & 0xFF];
    if (idx >= kColexKeyBad) return EvaluateSixGeneric(hand, akPlays, straightsOnly);
    const uint64_t k[6] = {k0, k1, k2, k3, k4, k5};
    // The value is the key's low word; the slot it came from, the high word.
    for (int i = 0; i < 6; ++i) {
        const size_t from = k[i] >> 32;
        hand.Cards[i + 1].Suit = suit[from];
        hand.Cards[i + 1].Value = static_cast<int32_t>(k[i]);
        hand.Cards[i + 1].Mark = mark[from];
    }
    // A nibble of five or six reaches 8 when 3 is added.
    const uint32_t five = (suits + 0x33330u) & 0x88880u;
    if (five == 0 && !straightsOnly)
        return StoreSixImage(hand, TableSix().Entry[akPlays ? 1 : 0][idx]);
    hand.Sorted = 1;
    int v[6];
    uint8_t s[6];
    for (int i = 0; i < 6; ++i) {
        v[i] = static_cast<int>(k[i] & 0xFF);
        s[i] = suit[k[i] >> 32];
    }
    const int flushSuit = five ? __builtin_ctz(five) >> 2 : 0;
    const int flushCount = flushSuit ? static_cast<int>((suits >> (4 * flushSuit)) & 0xF) : 0;
    return StoreSixBest(hand, BestOfSix(v, s, flushSuit, flushCount, akPlays, straightsOnly));
}

} // namespace

uint16_t EvaluateHand(THand& hand, bool akPlays) {
    if (hand.Count == 6) return EvaluateSix(hand, akPlays, false);
    if (hand.Count == 5) return EvaluateFive(hand, akPlays, false);
    return detail::EvaluateFiveStepwise(hand, akPlays, false);
}

uint16_t EvaluateStraight(THand& hand, bool akPlays) {
    if (hand.Count == 6) return EvaluateSix(hand, akPlays, true);
    if (hand.Count == 5) return EvaluateFive(hand, akPlays, true);
    return detail::EvaluateFiveStepwise(hand, akPlays, true);
}

} // namespace kvarlen
