#include "cards/classify.h"

#include <utility>

namespace kvarlen {

void SortByValue(THand& hand) {
    const int n = hand.Count;
    for (int i = 1; i < n; ++i)
        for (int j = i + 1; j <= n; ++j)
            if (hand.Cards[i].Value > hand.Cards[j].Value) std::swap(hand.Cards[i], hand.Cards[j]);
    hand.Sorted = 1;
}

void SortAceHigh(THand& hand) {
    const int n = hand.Count;
    for (int i = 1; i < n; ++i)
        for (int j = i + 1; j <= n; ++j) {
            const int vi = hand.Cards[i].Value;
            const int vj = hand.Cards[j].Value;
            if ((vj != 1 && vi > vj) || (vi == 1 && vi < vj))
                std::swap(hand.Cards[i], hand.Cards[j]);
        }
}

void PackCards(THand& hand) {
    int t = hand.Count;
    for (int j = hand.Count; j >= 1; --j)
        if (hand.Cards[j].Value != 0) {
            if (j != t) std::swap(hand.Cards[j], hand.Cards[t]);
            --t;
        }
}

void SetAKKickers(THand& hand) {
    int r1 = 0;
    for (int i = 1; i <= hand.Count; ++i) {
        const int v = hand.Cards[i].Value;
        if (v != 1 && v != 14 && v != 13 && v > r1) r1 = v;
    }
    int r2 = 0;
    for (int i = 1; i <= hand.Count; ++i) {
        const int v = hand.Cards[i].Value;
        if (v != 1 && v != 14 && v != 13 && v != r1 && v > r2) r2 = v;
    }
    hand.Rank1 = static_cast<uint8_t>(r1);
    hand.Rank2 = static_cast<uint8_t>(r2);
}

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

inline bool PlainValues(uint32_t mask) {
    return (mask & ~0x3FFEu) == 0;
}

uint16_t EvaluateFive(THand& hand, bool akPlays, bool straightsOnly) {
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
    const FiveResult r = ClassifyCounts(cnt, mask, flush, akPlays, straightsOnly);
    hand.Combo = r.Combo;
    hand.FoundBits = r.FoundBits;
    hand.Rank1 = r.Rank1;
    hand.Rank2 = r.Rank2;
    hand.Sorted = 0;
    return r.Combo;
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

struct SixTable {
    SixBest Entry[2][kSixMultisets];
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
                                for (int ak = 0; ak <= 1; ++ak)
                                    Entry[ak][idx] = BestOfSix(x, noSuits, 0, 0, ak, false);
                            }
    }
};
const SixTable& TableSix() {
    static const SixTable table;
    return table;
}

uint16_t EvaluateSix(THand& hand, bool akPlays, bool straightsOnly) {
    // The exchange sort on values alone, then the records moved once.
    int v[6];
    uint32_t all = 0;
    for (int i = 0; i < 6; ++i) {
        v[i] = hand.Cards[i + 1].Value;
        all |= 1u << (v[i] & 31);
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
            best = TableSix().Entry[akPlays ? 1 : 0][idx];
        } else {
            best = BestOfSix(v, s, flushSuit, flushSuit ? suitCount[flushSuit] : 0, akPlays,
                             straightsOnly);
        }
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
    hand.Combo = best.Combo;
    hand.Rank1 = best.Rank1 == 1 ? 14 : best.Rank1;
    hand.Rank2 = best.Rank2 == 1 ? 14 : best.Rank2;
    hand.DropIndex = best.Drop;
    hand.FoundBits = best.FoundBits;
    return best.Combo;
}

inline void Sort5(int* x) {
    for (int i = 1; i < 5; ++i) {
        const int t = x[i];
        int j = i - 1;
        while (j >= 0 && x[j] > t) {
            x[j + 1] = x[j];
            --j;
        }
        x[j + 1] = t;
    }
}

} // namespace

namespace detail {

uint32_t CompareKey(uint16_t combo, int rank1, int rank2, const int values[5]) {
    int v[5];
    for (int i = 0; i < 5; ++i) v[i] = values[i] == 1 ? 14 : values[i];
    // The three highest values left after removing the cards of value a or b (0 when removed).
    auto top3Without = [&](int a, int b) {
        int t1 = 0, t2 = 0, t3 = 0;
        for (int i = 0; i < 5; ++i) {
            const int x = (v[i] == a || v[i] == b) ? 0 : v[i];
            if (x > t1) {
                t3 = t2;
                t2 = t1;
                t1 = x;
            } else if (x > t2) {
                t3 = t2;
                t2 = x;
            } else if (x > t3)
                t3 = x;
        }
        return static_cast<uint32_t>(t1 << 8 | t2 << 4 | t3);
    };
    switch (combo) {
    case C_AK:
        return top3Without(14, 13);
    case C_Pair:
    case C_Quads:
        return static_cast<uint32_t>(rank1) << 12 | top3Without(rank1, -1);
    case C_TwoPairs: {
        int kicker = 0;
        for (int i = 4; i >= 0; --i)
            if (v[i] != rank1 && v[i] != rank2) {
                kicker = v[i];
                break;
            }
        return static_cast<uint32_t>(rank1 << 8 | rank2 << 4 | kicker);
    }
    case C_Trips:
    case C_Straight:
    case C_StraightFlush:
        return static_cast<uint32_t>(rank1);
    case C_Flush: {
        Sort5(v);
        return static_cast<uint32_t>(v[4] << 16 | v[3] << 12 | v[2] << 8 | v[1] << 4 | v[0]);
    }
    case C_FullHouse:
        return static_cast<uint32_t>(rank1 << 4 | rank2);
    default:
        return 0;
    }
}

uint16_t EvaluateFiveStepwise(THand& hand, bool akPlays, bool straightsOnly) {
    const THand saved = hand;
    const int n = hand.Count;
    if (!hand.Sorted) SortByValue(hand);
    auto val = [&](int i) { return hand.Cards[i].Value; };
    auto countOf = [&](int v) {
        int c = 0;
        for (int k = 1; k <= n; ++k) c += val(k) == v ? 1 : 0;
        return c;
    };
    int f = 1, r1 = 0, r2 = 0;
    int fb = 0;
    if (!straightsOnly) {
        bool hasA = false, hasK = false;
        for (int i = 1; i <= n; ++i) {
            hasA = hasA || val(i) == 1;
            hasK = hasK || val(i) == 13;
        }
        if (akPlays && hasA && hasK) {
            f = 2;
            fb |= 2;
        }
        for (int i = 1; i <= n; ++i) {
            const int c = countOf(val(i));
            if (c == 2) {
                f = 4;
                fb |= 4;
                if (val(i) > r1) r1 = val(i);
            } else if (c == 3) {
                f = 16;
                fb |= 16;
                r1 = val(i);
            } else if (c == 4) {
                f = 256;
                fb |= 256;
                r1 = val(i);
            }
            if (f == 4 || f == 16 || f == 256) break;
        }
        for (int i = 1; i <= n; ++i) {
            for (int j = 1; j <= n; ++j) {
                if (val(j) == val(i)) continue;
                const int ni = countOf(val(i));
                const int nj = countOf(val(j));
                if (ni == 2 && nj == 2) {
                    f = 8;
                    fb |= 8;
                    r1 = val(i) > val(j) ? val(i) : val(j);
                    r2 = val(i) > val(j) ? val(j) : val(i);
                }
                if (ni == 2 && nj == 3) {
                    f = 128;
                    fb |= 128;
                    r1 = val(j);
                    r2 = val(i);
                }
            }
            if (f == 8 || f == 128) break;
        }
    }
    if (n == 5) {
        const int x1 = val(1), x2 = val(2), x3 = val(3), x4 = val(4), x5 = val(5);
        const bool straight = x1 == 1
                                  ? ((x2 == 2 && x3 == 3 && x4 == 4 && x5 == 5) ||
                                     (x2 == 10 && x3 == 11 && x4 == 12 && x5 == 13))
                                  : (x2 == x1 + 1 && x3 == x1 + 2 && x4 == x1 + 3 && x5 == x1 + 4);
        if (straight) {
            f = 32;
            fb |= 32;
            r1 = x1 != 1 ? x1 + 4 : (x5 == 5 ? 5 : 14);
        }
        const int s = hand.Cards[1].Suit;
        bool flush = true;
        for (int i = 2; i <= 5; ++i) flush = flush && hand.Cards[i].Suit == s;
        if (flush) {
            fb |= 64;
            if (!straightsOnly) f = 64;
        }
    }
    if ((fb & 96) == 96) {
        f = 512;
        fb |= 512;
    }
    if (n == 5 && (fb & 96) == 96 && val(5) == 13 && val(1) == 1) {
        f = 1024;
        fb |= 1024;
    }
    if (r1 == 1) r1 = 14;
    if (r2 == 1) {
        if (f == 8) {
            r2 = r1;
            r1 = 14;
        } else
            r2 = 14;
    }
    hand.Combo = static_cast<uint16_t>(f);
    hand.Rank1 = static_cast<uint8_t>(r1);
    hand.Rank2 = static_cast<uint8_t>(r2);
    hand.FoundBits = static_cast<uint16_t>(fb);
    if (f == 2) SetAKKickers(hand);
    for (int i = 1; i <= 6; ++i) hand.Cards[i] = saved.Cards[i];
    hand.Sorted = 0;
    return hand.Combo;
}

} // namespace detail

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

namespace {
const char* const kComboNames[11] = {"(нет игры)", "Туз+король", "Пара      ", "Две пары  ",
                                     "Тройка    ", "Стрит     ", "Флэш      ", "Фулл-хаус ",
                                     "Каре      ", "Стрит-флэш", "РОЯЛЬ     "};
} // namespace

int ComboOrdinal(uint16_t flag) {
    for (int i = 0; i < 11; ++i)
        if (flag == (1u << i)) return i;
    return 0;
}

int ComboIndex(uint16_t flag) {
    for (int i = 0; i < 11; ++i)
        if (flag == (1u << i)) return i + 1;
    return 0;
}

uint16_t ComboFromIndex(int index) {
    if (index < 1 || index > 11) return 0;
    return static_cast<uint16_t>(1u << (index - 1));
}

void ComboName(uint16_t flag, std::string& text) {
    const int i = ComboIndex(flag);
    if (i > 0) text = kComboNames[i - 1];
}

std::string ComboName(uint16_t flag) {
    std::string t;
    ComboName(flag, t);
    return t;
}

} // namespace kvarlen
