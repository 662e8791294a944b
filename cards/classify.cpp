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
            if ((vj != 1 && vi > vj) || (vi == 1 && vi < vj)) std::swap(hand.Cards[i], hand.Cards[j]);
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

// Five cards whose values x are ascending (ace = 1). Gives the same flags, rank keys and found
// bits as the step-by-step classifier, without touching the card records.
inline FiveResult ClassifySortedFive(const int* x, bool flush, bool akPlays, bool straightsOnly) {
    int f = 1, fb = 0, r1 = 0, r2 = 0;
    if (!straightsOnly) {
        if (akPlays && x[0] == 1 && x[4] == 13) {
            f = 2;
            fb |= 2;
        }
        // Runs of equal values, lowest first.
        int gv[5], gc[5], ng = 0;
        for (int i = 0; i < 5; ++i) {
            if (ng > 0 && gv[ng - 1] == x[i]) ++gc[ng - 1];
            else {
                gv[ng] = x[i];
                gc[ng] = 1;
                ++ng;
            }
        }
        if (ng < 5) {
            // The lowest repeated value decides the first class found.
            for (int g = 0; g < ng; ++g) {
                const int c = gc[g];
                if (c >= 2 && c <= 4) {
                    f = c == 2 ? 4 : (c == 3 ? 16 : 256);
                    fb |= f;
                    r1 = gv[g];
                    break;
                }
            }
            // A pair together with a second pair or with three of a kind.
            int pair = -1;
            for (int g = 0; g < ng; ++g)
                if (gc[g] == 2) {
                    pair = g;
                    break;
                }
            if (pair >= 0)
                for (int g = 0; g < ng; ++g) {
                    if (g == pair) continue;
                    if (gc[g] == 2) {
                        f = 8;
                        fb |= 8;
                        r1 = gv[g] > gv[pair] ? gv[g] : gv[pair];
                        r2 = gv[g] > gv[pair] ? gv[pair] : gv[g];
                    } else if (gc[g] == 3) {
                        f = 128;
                        fb |= 128;
                        r1 = gv[g];
                        r2 = gv[pair];
                    }
                }
        }
    }
    bool straight;
    if (x[0] == 1)
        straight = (x[1] == 2 && x[2] == 3 && x[3] == 4 && x[4] == 5) ||
                   (x[1] == 10 && x[2] == 11 && x[3] == 12 && x[4] == 13);
    else
        straight = x[1] == x[0] + 1 && x[2] == x[0] + 2 && x[3] == x[0] + 3 && x[4] == x[0] + 4;
    if (straight) {
        f = 32;
        fb |= 32;
        r1 = x[0] != 1 ? x[0] + 4 : (x[4] == 5 ? 5 : 14);
    }
    if (flush) {
        fb |= 64;
        if (!straightsOnly) f = 64;
    }
    if ((fb & 96) == 96) {
        f = 512;
        fb |= 512;
        if (x[4] == 13 && x[0] == 1) {
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
        // Kickers of ace + king: the highest two of the other three values.
        r1 = 0;
        for (int i = 0; i < 5; ++i)
            if (x[i] != 1 && x[i] != 13 && x[i] > r1) r1 = x[i];
        r2 = 0;
        for (int i = 0; i < 5; ++i)
            if (x[i] != 1 && x[i] != 13 && x[i] != r1 && x[i] > r2) r2 = x[i];
    }
    return FiveResult{static_cast<uint16_t>(f), static_cast<uint16_t>(fb),
                      static_cast<uint8_t>(r1), static_cast<uint8_t>(r2)};
}

inline void Sort5(int* x) {
    // Insertion sort: five elements, mostly cheaper than a network with branches.
    for (int i = 1; i < 5; ++i) {
        const int v = x[i];
        int j = i - 1;
        while (j >= 0 && x[j] > v) {
            x[j + 1] = x[j];
            --j;
        }
        x[j + 1] = v;
    }
}

uint16_t EvaluateFive(THand& hand, bool akPlays, bool straightsOnly) {
    int x[5];
    for (int i = 0; i < 5; ++i) x[i] = hand.Cards[i + 1].Value;
    if (!hand.Sorted) Sort5(x);
    const uint8_t s = hand.Cards[1].Suit;
    const bool flush = hand.Cards[2].Suit == s && hand.Cards[3].Suit == s &&
                       hand.Cards[4].Suit == s && hand.Cards[5].Suit == s;
    const FiveResult r = ClassifySortedFive(x, flush, akPlays, straightsOnly);
    hand.Combo = r.Combo;
    hand.FoundBits = r.FoundBits;
    hand.Rank1 = r.Rank1;
    hand.Rank2 = r.Rank2;
    hand.Sorted = 0;
    return r.Combo;
}

// Best five of six: the first subset (in sorted slot order) that is strictly better wins.
uint16_t EvaluateSix(THand& hand, bool akPlays, bool straightsOnly) {
    SortByValue(hand);
    int v[6];
    uint8_t s[6];
    for (int i = 0; i < 6; ++i) {
        v[i] = hand.Cards[i + 1].Value;
        s[i] = hand.Cards[i + 1].Suit;
    }
    uint16_t bestCombo = 1, bestBits = 0;
    uint32_t bestKey = 0;
    uint8_t bestR1 = 0, bestR2 = 0, bestDrop = 1;
    for (int j = 0; j < 6; ++j) {
        int x[5];
        uint8_t xs[5];
        for (int i = 0, k = 0; i < 6; ++i)
            if (i != j) {
                x[k] = v[i];
                xs[k] = s[i];
                ++k;
            }
        const bool flush = xs[1] == xs[0] && xs[2] == xs[0] && xs[3] == xs[0] && xs[4] == xs[0];
        const FiveResult r = ClassifySortedFive(x, flush, akPlays, straightsOnly);
        if (r.Combo < bestCombo) continue;
        const uint32_t key = detail::CompareKey(r.Combo, r.Rank1, r.Rank2, x);
        if (r.Combo > bestCombo || key > bestKey) {
            bestCombo = r.Combo;
            bestBits = r.FoundBits;
            bestKey = key;
            bestR1 = r.Rank1;
            bestR2 = r.Rank2;
            bestDrop = static_cast<uint8_t>(j + 1);
        }
    }
    hand.Combo = bestCombo;
    hand.Rank1 = bestR1 == 1 ? 14 : bestR1;
    hand.Rank2 = bestR2 == 1 ? 14 : bestR2;
    hand.DropIndex = bestDrop;
    hand.FoundBits = bestBits;
    return bestCombo;
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
        const bool straight = x1 == 1 ? ((x2 == 2 && x3 == 3 && x4 == 4 && x5 == 5) ||
                                         (x2 == 10 && x3 == 11 && x4 == 12 && x5 == 13))
                                      : (x2 == x1 + 1 && x3 == x1 + 2 && x4 == x1 + 3 &&
                                         x5 == x1 + 4);
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
