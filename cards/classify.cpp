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
