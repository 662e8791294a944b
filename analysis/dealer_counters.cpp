// The ten dealer counters. Totals come from sums over values (elementary symmetric sums of the
// unseen counts) rather than from walking every value pattern; the patterns are walked only in
// the player's own class and only where class and key ranks tie, so that kickers decide.
#include "analysis/dealer_view.h"

#include <chrono>
#include <utility>

namespace kvarlen::detail {

namespace {

// C(c, k) for the small counts of one value (0..4 unseen; -1 only on a deck that breaks the
// open card's contract, which must not read outside the tables).
inline int C2(int c) {
    return c >= 2 ? c * (c - 1) / 2 : 0;
}
inline int C3(int c) {
    return c >= 3 ? c * (c - 1) * (c - 2) / 6 : 0;
}
inline int C4(int c) {
    return c == 4 ? 1 : 0;
}

inline int Rank(int v) {
    return v == 1 ? 14 : v;
}
inline bool Bit(uint32_t mask, int v) {
    return (mask >> v) & 1u;
}

// Key of three distinct ranks, highest first, four bits each.
inline uint32_t Top3(int x, int y, int z) {
    if (x < y) std::swap(x, y);
    if (y < z) std::swap(y, z);
    if (x < y) std::swap(x, y);
    return static_cast<uint32_t>(x << 8 | y << 4 | z);
}

// Accumulates weights by what the player makes of them.
struct TSplit {
    int32_t won = 0, lost = 0, push = 0;
    // dealer and player keys: a higher dealer key beats the player.
    void Add(uint32_t dealer, uint32_t player, int32_t w) {
        if (dealer > player)
            lost += w;
        else if (dealer < player)
            won += w;
        else
            push += w;
    }
    void AddScaled(const TSplit& s, int32_t factor) {
        won += s.won * factor;
        lost += s.lost * factor;
        push += s.push * factor;
    }
};

inline ClassOutcome TotalOnly(int32_t total) {
    return ClassOutcome{total, -1, -1, -1};
}
inline ClassOutcome FromSplit(const TSplit& s) {
    return ClassOutcome{s.won + s.lost + s.push, s.won, s.lost, s.push};
}

// Elementary symmetric sums e1, e2, e3 of the counts of the values in 1..13 other than skip.
struct TSums {
    int e1 = 0, e2 = 0, e3 = 0;
};
inline TSums SumsWithout(const TDealerView& d, int skip) {
    TSums s;
    for (int v = 1; v <= 13; ++v) {
        if (v == skip) continue;
        const int c = d.c[v];
        s.e3 += s.e2 * c;
        s.e2 += s.e1 * c;
        s.e1 += c;
    }
    return s;
}

// Bits v..v+4 of a run of five values starting at low end l (14 stands for the ace).
inline uint32_t RunMask(int l) {
    return 0x1Fu << l;
}

// Low ends of the runs through the open value: from h - 4 to h within [1, maxLow]; an open ace
// takes the ten-to-ace run (when maxLow allows) and the wheel.
struct TLowEnds {
    int first, last;
    bool wheelToo;
};
inline TLowEnds LowEnds(int o, int maxLow) {
    if (o == 1) return TLowEnds{10, maxLow >= 10 ? 10 : 9, true};
    const int first = o - 4 < 1 ? 1 : o - 4;
    const int last = o < maxLow ? o : maxLow;
    return TLowEnds{first, last, false};
}

} // namespace

ClassOutcome CountAK(const TDealerView& d, const TPlayerView& p) {
    const int o = d.o;
    const uint32_t u = d.suited;
    const bool split = p.combo == C_AK;
    if (o == 1 || o == 13) {
        // (ace, x, y, z, king) with 2 <= x < y < z <= 12, ten-jack-queen excluded; the other
        // of ace and king joins from the unseen cards.
        const int other = o == 1 ? 13 : 1;
        const int32_t mult = d.c[other];
        const int32_t suitedMult = Bit(u, other) ? 1 : 0;
        if (mult == 0) return split ? FromSplit(TSplit{}) : TotalOnly(0);
        if (!split) {
            int e1 = 0, e2 = 0, e3 = 0, u1 = 0, u2 = 0, u3 = 0;
            for (int v = 2; v <= 12; ++v) {
                const int c = d.c[v];
                e3 += e2 * c;
                e2 += e1 * c;
                e1 += c;
                const int b = Bit(u, v);
                u3 += u2 * b;
                u2 += u1 * b;
                u1 += b;
            }
            e3 -= d.c[10] * d.c[11] * d.c[12];
            u3 -= Bit(u, 10) & Bit(u, 11) & Bit(u, 12);
            return TotalOnly(mult * e3 - suitedMult * u3);
        }
        TSplit plain, suited;
        // x = 10 could only start ten-jack-queen.
        for (int x = 2; x <= 9; ++x) {
            if (d.c[x] == 0) continue;
            for (int y = x + 1; y <= 11; ++y) {
                const int wxy = d.c[x] * d.c[y];
                if (wxy == 0) continue;
                for (int z = y + 1; z <= 12; ++z) {
                    const int w = wxy * d.c[z];
                    if (w == 0) continue;
                    const uint32_t key = static_cast<uint32_t>(z << 8 | y << 4 | x);
                    plain.Add(key, p.key, w);
                    if (suitedMult && Bit(u, x) && Bit(u, y) && Bit(u, z))
                        suited.Add(key, p.key, 1);
                }
            }
        }
        TSplit s;
        s.AddScaled(plain, mult);
        s.AddScaled(suited, -suitedMult);
        return FromSplit(s);
    }
    // An open middle card: (ace, x, o, y, king) with x < y in 2..12 other than o.
    const int32_t mult = d.c[1] * d.c[13];
    if (mult == 0) return split ? FromSplit(TSplit{}) : TotalOnly(0);
    const int32_t suitedMult = (Bit(u, 1) && Bit(u, 13)) ? 1 : 0;
    // With an open ten, jack or queen the other two of them would make ten to ace.
    int s1 = 0, s2 = 0;
    if (o >= 10 && o <= 12) {
        s1 = o == 10 ? 11 : 10;
        s2 = o == 12 ? 11 : 12;
    }
    if (!split) {
        int e1 = 0, e2 = 0, u1 = 0, u2 = 0;
        for (int v = 2; v <= 12; ++v) {
            if (v == o) continue;
            const int c = d.c[v];
            e2 += e1 * c;
            e1 += c;
            const int b = Bit(u, v);
            u2 += u1 * b;
            u1 += b;
        }
        if (s1) {
            e2 -= d.c[s1] * d.c[s2];
            u2 -= Bit(u, s1) & Bit(u, s2);
        }
        return TotalOnly(mult * e2 - suitedMult * u2);
    }
    TSplit plain, suited;
    for (int x = 2; x <= 11; ++x) {
        if (x == o || d.c[x] == 0) continue;
        for (int y = x + 1; y <= 12; ++y) {
            if (y == o || (x == s1 && y == s2)) continue;
            const int w = d.c[x] * d.c[y];
            if (w == 0) continue;
            const uint32_t key = Top3(x, o, y);
            plain.Add(key, p.key, w);
            if (suitedMult && Bit(u, x) && Bit(u, y)) suited.Add(key, p.key, 1);
        }
    }
    TSplit s;
    s.AddScaled(plain, mult);
    s.AddScaled(suited, -suitedMult);
    return FromSplit(s);
}

namespace {

// The pair counter proper; CountPair adds its time to GlobalT1.
ClassOutcome CountPairUntimed(const TDealerView& d, const TPlayerView& p) {
    const int o = d.o;
    const TSums s = SumsWithout(d, o);
    const int om = d.c[o] - 1; // the other cards of the open value
    if (p.combo != C_Pair) {
        int32_t total = om > 0 ? om * s.e3 : 0;
        for (int v = 1; v <= 13; ++v) {
            if (v == o) continue;
            const int b = C2(d.c[v]);
            if (b) total += b * (s.e2 - d.c[v] * (s.e1 - d.c[v]));
        }
        return TotalOnly(total);
    }
    const int R = p.rank1;
    TSplit sp;
    // A pair of the open value with three kickers from the other values.
    if (om > 0 && s.e3 > 0) {
        const int r = Rank(o);
        if (r != R) {
            (r > R ? sp.lost : sp.won) += om * s.e3;
        } else {
            TSplit k;
            for (int a = 1; a <= 11; ++a) {
                if (a == o || d.c[a] == 0) continue;
                for (int b = a + 1; b <= 12; ++b) {
                    if (b == o) continue;
                    const int wab = d.c[a] * d.c[b];
                    if (wab == 0) continue;
                    for (int e = b + 1; e <= 13; ++e) {
                        if (e == o || d.c[e] == 0) continue;
                        // Ascending values: only the lowest can be the ace.
                        const uint32_t top = a == 1 ? static_cast<uint32_t>(14 << 8 | e << 4 | b)
                                                    : static_cast<uint32_t>(e << 8 | b << 4 | a);
                        k.Add(static_cast<uint32_t>(R) << 12 | top, p.key, wab * d.c[e]);
                    }
                }
            }
            sp.AddScaled(k, om);
        }
    }
    // A pair of another value; the open card is a kicker with two more.
    for (int q = 1; q <= 13; ++q) {
        if (q == o) continue;
        const int b = C2(d.c[q]);
        if (b == 0) continue;
        const int e2q = s.e2 - d.c[q] * (s.e1 - d.c[q]);
        if (e2q == 0) continue;
        const int r = Rank(q);
        if (r != R) {
            (r > R ? sp.lost : sp.won) += b * e2q;
            continue;
        }
        TSplit k;
        for (int x = 1; x <= 12; ++x) {
            if (x == o || x == q || d.c[x] == 0) continue;
            for (int y = x + 1; y <= 13; ++y) {
                if (y == o || y == q) continue;
                const int w = d.c[x] * d.c[y];
                if (w == 0) continue;
                k.Add(static_cast<uint32_t>(R) << 12 | Top3(Rank(o), Rank(x), Rank(y)), p.key, w);
            }
        }
        sp.AddScaled(k, b);
    }
    return FromSplit(sp);
}

} // namespace

ClassOutcome CountPair(const TDealerView& d, const TPlayerView& p) {
    const auto start = std::chrono::steady_clock::now();
    const ClassOutcome r = CountPairUntimed(d, p);
    GlobalT1() +=
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    return r;
}

ClassOutcome CountTwoPairs(const TDealerView& d, const TPlayerView& p) {
    const int o = d.o;
    const int om = d.c[o] - 1;
    int e1 = 0;
    for (int v = 1; v <= 13; ++v)
        if (v != o) e1 += d.c[v];
    if (p.combo != C_TwoPairs) {
        int32_t withOpen = 0, b1 = 0, b2 = 0;
        for (int v = 1; v <= 13; ++v) {
            if (v == o) continue;
            const int b = C2(d.c[v]);
            withOpen += b * (e1 - d.c[v]);
            b2 += b1 * b;
            b1 += b;
        }
        return TotalOnly((om > 0 ? om * withOpen : 0) + b2);
    }
    const int R1 = p.rank1, R2 = p.rank2;
    TSplit sp;
    // Ranks (hi, lo) against the player's; equal pairs leave the kicker to decide.
    auto addPairs = [&](int v1, int v2, int32_t w, int kickerValue, int32_t kickerW) {
        int hi = Rank(v1), lo = Rank(v2);
        if (hi < lo) std::swap(hi, lo);
        const uint32_t keyPairs = static_cast<uint32_t>(hi << 8 | lo << 4);
        if (hi != R1 || lo != R2) {
            sp.Add(keyPairs, static_cast<uint32_t>(R1 << 8 | R2 << 4), w);
            return;
        }
        if (kickerValue > 0) {
            sp.Add(keyPairs | static_cast<uint32_t>(Rank(kickerValue)), p.key, w);
            return;
        }
        // Kicker among the unseen cards: each kicker value on its own.
        for (int k = 1; k <= 13; ++k) {
            if (k == v1 || k == v2 || d.c[k] == 0) continue;
            sp.Add(keyPairs | static_cast<uint32_t>(Rank(k)), p.key, kickerW * d.c[k]);
        }
    };
    for (int q = 1; q <= 13; ++q) {
        if (q == o) continue;
        const int b = C2(d.c[q]);
        if (b == 0) continue;
        // The open value paired with q, kicker from the rest.
        if (om > 0 && e1 - d.c[q] > 0) addPairs(o, q, om * b * (e1 - d.c[q]), 0, om * b);
        // q with a higher second pair, the open card as kicker.
        for (int r = q + 1; r <= 13; ++r) {
            if (r == o) continue;
            const int br = C2(d.c[r]);
            if (br) addPairs(q, r, b * br, o, 0);
        }
    }
    return FromSplit(sp);
}

ClassOutcome CountTrips(const TDealerView& d, const TPlayerView& p) {
    const int o = d.o;
    const TSums s = SumsWithout(d, o);
    const int32_t openTrips = C2(d.c[o] - 1) * s.e2;
    const bool split = p.combo == C_Trips;
    TSplit sp;
    int32_t total = openTrips;
    if (split && openTrips)
        sp.Add(static_cast<uint32_t>(Rank(o)), static_cast<uint32_t>(p.rank1), openTrips);
    for (int t = 1; t <= 13; ++t) {
        if (t == o) continue;
        const int b = C3(d.c[t]);
        if (b == 0) continue;
        const int32_t w = b * (s.e1 - d.c[t]);
        total += w;
        if (split && w) sp.Add(static_cast<uint32_t>(Rank(t)), static_cast<uint32_t>(p.rank1), w);
    }
    return split ? FromSplit(sp) : TotalOnly(total);
}

ClassOutcome CountStraight(const TDealerView& d, const TPlayerView& p) {
    const int o = d.o;
    const int h = Rank(o);
    const bool split = p.combo == C_Straight;
    TSplit sp;
    int32_t total = 0;
    auto run = [&](int l) {
        int32_t w = 1;
        for (int v = l; v < l + 5; ++v)
            if (v != o && v != h) w *= d.c[v];
        const uint32_t m = RunMask(l);
        if ((d.suited & m) == m) --w; // the suited five is a straight flush or royal
        total += w;
        if (split && w) sp.Add(static_cast<uint32_t>(l + 4), static_cast<uint32_t>(p.rank1), w);
    };
    const TLowEnds ends = LowEnds(o, 10);
    for (int l = ends.first; l <= ends.last; ++l) run(l);
    if (ends.wheelToo) run(1);
    return split ? FromSplit(sp) : TotalOnly(total);
}

namespace {

int32_t StraightFlushCount(const TDealerView& d, TSplit* sp, uint32_t playerTop) {
    int32_t total = 0;
    auto run = [&](int l) {
        const uint32_t m = RunMask(l);
        if ((d.suited & m) != m) return;
        ++total;
        if (sp) sp->Add(static_cast<uint32_t>(l + 4), playerTop, 1);
    };
    if (d.o == 1) {
        run(1);
    } else {
        const TLowEnds ends = LowEnds(d.o, 9);
        for (int l = ends.first; l <= ends.last; ++l) run(l);
    }
    return total;
}

int32_t RoyalCount(const TDealerView& d) {
    const int o = d.o;
    if (o != 1 && o < 10) return 0;
    const uint32_t m = RunMask(10);
    return (d.suited & m) == m ? 1 : 0;
}

} // namespace

ClassOutcome CountFlush(const TDealerView& d, const TPlayerView& p) {
    const int m = __builtin_popcount(d.suited & 0x3FFEu);
    const int32_t total = (m >= 5 ? static_cast<int32_t>(BinomialLookup(m - 1, 4)) : 0) -
                          StraightFlushCount(d, nullptr, 0) - RoyalCount(d);
    // Two flushes are not ranked against each other.
    if (p.combo == C_Flush) return ClassOutcome{total, 0, 0, total};
    return TotalOnly(total);
}

ClassOutcome CountFullHouse(const TDealerView& d, const TPlayerView& p) {
    const int o = d.o;
    const int om = d.c[o] - 1;
    const int pairOpen = om > 0 ? om : 0; // the open value as the pair
    const int tripsOpen = C2(om);         // the open value as the three
    const bool split = p.combo == C_FullHouse;
    const uint32_t pk = static_cast<uint32_t>(p.rank1 << 4 | p.rank2);
    TSplit sp;
    int32_t total = 0;
    for (int v = 1; v <= 13; ++v) {
        if (v == o) continue;
        const int32_t wt = C3(d.c[v]) * pairOpen;
        const int32_t wp = C2(d.c[v]) * tripsOpen;
        total += wt + wp;
        if (!split) continue;
        if (wt) sp.Add(static_cast<uint32_t>(Rank(v) << 4 | Rank(o)), pk, wt);
        if (wp) sp.Add(static_cast<uint32_t>(Rank(o) << 4 | Rank(v)), pk, wp);
    }
    return split ? FromSplit(sp) : TotalOnly(total);
}

ClassOutcome CountQuads(const TDealerView& d, const TPlayerView& p) {
    const int o = d.o;
    const int openQuads = C3(d.c[o] - 1);
    int e1 = 0;
    for (int v = 1; v <= 13; ++v)
        if (v != o) e1 += d.c[v];
    const bool split = p.combo == C_Quads;
    TSplit sp;
    int32_t total = openQuads * e1;
    if (split && openQuads) {
        const int R = Rank(o);
        if (R != p.rank1) {
            sp.Add(static_cast<uint32_t>(R), static_cast<uint32_t>(p.rank1), openQuads * e1);
        } else {
            for (int k = 1; k <= 13; ++k)
                if (k != o && d.c[k])
                    sp.Add(static_cast<uint32_t>(R << 12 | Rank(k) << 8), p.key,
                           openQuads * d.c[k]);
        }
    }
    for (int q = 1; q <= 13; ++q) {
        if (q == o || d.c[q] != 4) continue;
        ++total;
        if (split) sp.Add(static_cast<uint32_t>(Rank(q) << 12 | Rank(o) << 8), p.key, 1);
    }
    return split ? FromSplit(sp) : TotalOnly(total);
}

ClassOutcome CountStraightFlush(const TDealerView& d, const TPlayerView& p) {
    if (p.combo != C_StraightFlush) return TotalOnly(StraightFlushCount(d, nullptr, 0));
    TSplit sp;
    StraightFlushCount(d, &sp, static_cast<uint32_t>(p.rank1));
    return FromSplit(sp);
}

ClassOutcome CountRoyal(const TDealerView& d, const TPlayerView& p) {
    const int32_t total = RoyalCount(d);
    if (p.combo == C_Royal) return ClassOutcome{total, 0, 0, total};
    return TotalOnly(total);
}

} // namespace kvarlen::detail
