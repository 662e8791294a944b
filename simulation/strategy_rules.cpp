#include "simulation/strategy_rules.h"

namespace kvarlen {

int RankGap(int a, int b) {
    if (a == 1 && b == 1) return 0;
    if (a == 1) return b - 1;
    if (b == 1) return 14 - a;
    return b - a;
}

int FourFlushSuit(const THand& hand) {
    int result = 0;
    for (int i = 1; i <= hand.Count; ++i) {
        int same = 0;
        for (int j = 1; j <= hand.Count; ++j) same += hand.Cards[j].Suit == hand.Cards[i].Suit;
        if (same == 4) result = hand.Cards[i].Suit;
    }
    return result;
}

bool HasJackOrQueen(const THand& hand) {
    for (int i = 1; i <= hand.Count; ++i)
        if (hand.Cards[i].Value == 11 || hand.Cards[i].Value == 12) return true;
    return false;
}

bool CountHigherThan(int n, const THand& hand, int value) {
    int count = 0;
    for (int i = 1; i <= hand.Count; ++i) {
        const int v = hand.Cards[i].Value;
        if (v != 1 && v > value) ++count;
    }
    return count >= n;
}

namespace {

// The five values of a hand in both sort orders: ace low (x[1..5]) and ace high.
struct TSorted {
    int Low[6];
    int High[6];
};

inline void Sort5(int* x) {
    for (int i = 2; i <= 5; ++i) {
        const int v = x[i];
        int j = i - 1;
        while (j >= 1 && x[j] > v) {
            x[j + 1] = x[j];
            --j;
        }
        x[j + 1] = v;
    }
}

TSorted SortedValues(const THand& hand) {
    TSorted s;
    s.Low[0] = s.High[0] = 0;
    for (int i = 1; i <= 5; ++i) {
        s.Low[i] = hand.Cards[i].Value;
        s.High[i] = s.Low[i] == 1 ? 14 : s.Low[i];
    }
    Sort5(s.Low);
    Sort5(s.High);
    for (int i = 1; i <= 5; ++i)
        if (s.High[i] == 14) s.High[i] = 1;
    return s;
}

bool IsRun(const int x[6]) {
    for (int i = 1; i <= 4; ++i)
        if (RankGap(x[i], x[i + 1]) != 1) return false;
    return true;
}

bool Contains(const char* s, int n, const char* pattern, int m) {
    for (int i = 0; i + m <= n; ++i) {
        int k = 0;
        while (k < m && s[i + k] == pattern[k]) ++k;
        if (k == m) return true;
    }
    return false;
}

TStraightDraw StraightDrawSorted(const TSorted& sorted) {
    int best = 0;
    bool found = false;
    for (int pass = 1; pass <= 2; ++pass) {
        const int* x = pass == 1 ? sorted.Low : sorted.High;
        if (IsRun(x)) return TStraightDraw{false, best};
        for (int s = 0; s <= 1; ++s) {
            int hole = best, missing = 0, pairs = 0, last = 3;
            for (int i = 1; i <= last; ++i) {
                const int g = RankGap(x[s + i], x[s + i + 1]);
                if (g == 2) {
                    const int h = x[s + i] == 1 ? 2 : x[s + i] + 1;
                    if (h > hole) hole = h;
                }
                if (g != 0) missing += g - 1;
                if (g == 0) {
                    ++pairs;
                    ++last;
                    if (last + s + 1 > 5) last = 5 - s - 1;
                }
            }
            const bool draw = (missing == 0 || missing == 1) && last - 3 == pairs;
            if (draw && hole > best) best = hole;
            found = found || draw;
            if (missing == 0 && last - 3 == pairs) {
                if (x[s + 1] == 1) best = 5;
                if (x[s + 1] == 11) best = 10;
            }
        }
    }
    return TStraightDraw{found, best};
}

bool TwoHoleSorted(const TSorted& sorted) {
    if (IsRun(sorted.High) || IsRun(sorted.Low)) return false;
    const int* x = sorted.Low;
    // The gaps around the circle; the ace closes it.
    char gaps[5];
    int n = 0;
    bool other = false;
    for (int i = 1; i <= 5; ++i) {
        const int g = i < 5 ? RankGap(x[i], x[i + 1]) : RankGap(x[5], x[1]);
        if (g == 0) continue;
        gaps[n++] = g == 1 ? '1' : (g == 2 ? '2' : '#');
        other = other || (g != 1 && g != 2);
    }
    const bool openEnded = Contains(gaps, n, "111", 3) && !(x[1] == 1 && x[2] == 2) &&
                           !(x[1] == 1 && x[2] == 1 && x[3] == 2) && !(x[1] == 1 && x[5] == 13) &&
                           other;
    if (openEnded) return true;
    return Contains(gaps, n, "2112", 4);
}

} // namespace

TStraightDraw StraightDraw(const THand& hand) {
    return StraightDrawSorted(SortedValues(hand));
}

int StraightRankWithCard(const THand& hand, int value, const TRules& rules) {
    THand copy = hand;
    copy.Count = 6;
    copy.Cards[6] = TCardRec{1, value, 0};
    copy.Sorted = 0;
    const uint16_t flag = EvaluateStraight(copy, rules.AKPlays);
    if (flag == C_Straight || flag == C_StraightFlush || flag == C_Royal) return copy.Rank1;
    return -1;
}

bool ThereIs2HoleStraight(const THand& hand) {
    return TwoHoleSorted(SortedValues(hand));
}

namespace {

int32_t BuyRules(const THand& hand, const TCardRec& open, int m, const TRules& rules, bool team) {
    const int o = open.Value;
    if (hand.Combo == C_Trips && hand.Rank1 != o) return kRule1;
    if (FourFlushSuit(hand) > 0) return kRule2;
    if (team && hand.Combo == C_Pair && hand.Rank1 == 2 && m == 0) return kRule3;
    const TSorted sorted = SortedValues(hand);
    const TStraightDraw draw = StraightDrawSorted(sorted);
    if (draw.Found) {
        if (hand.Combo == C_Flush) return kRule9;
        if (hand.Combo == C_Pair && hand.Rank1 < o) return kRule4;
        if (hand.Combo == C_Pair && o < hand.Rank1 && hand.Rank1 < 11) return kRule5;
        if (hand.Combo == C_Empty && (o == 13 || o == 1) &&
            StraightRankWithCard(hand, draw.CompletingRank, rules) >= 11)
            return kRule6;
        if (hand.Combo == C_Empty && o >= 2 && o <= 12 && CountHigherThan(4, hand, o))
            return kRule7;
    }
    if (TwoHoleSorted(sorted)) return kRule8;
    return 0;
}

// The first two raise tests shared by the three team sizes; -1 when neither applies.
int CommonRaise(const THand& hand, const TCardRec& open, int m, bool raiseAt2Matches) {
    if (m >= 2) return raiseAt2Matches ? 1 : (hand.Combo > C_Empty ? 1 : 0);
    if (m == 1 || open.Value == 13 || open.Value == 1)
        return ((hand.Combo == C_AK && HasJackOrQueen(hand)) || hand.Combo > C_AK) ? 1 : 0;
    return -1;
}

} // namespace

int32_t BuyRulesSolo(const THand& hand, const TCardRec& open, int m, const TRules& rules) {
    return BuyRules(hand, open, m, rules, false);
}

int32_t BuyRulesTeam(const THand& hand, const TCardRec& open, int m, const TRules& rules) {
    return BuyRules(hand, open, m, rules, true);
}

bool RaiseRuleOne(const THand& hand, const TCardRec& open, int m, bool raiseAt2Matches) {
    const int common = CommonRaise(hand, open, m, raiseAt2Matches);
    if (common >= 0) return common == 1;
    return hand.Combo >= C_AK;
}

bool RaiseRuleTwo(const THand& hand, const TCardRec& open, int m, bool raiseAt2Matches) {
    const int common = CommonRaise(hand, open, m, raiseAt2Matches);
    if (common >= 0) return common == 1;
    return hand.Combo > C_AK;
}

bool RaiseRuleThree(const THand& hand, const TCardRec& open, int m, bool raiseAt2Matches) {
    const int common = CommonRaise(hand, open, m, raiseAt2Matches);
    if (common >= 0) return common == 1;
    return (hand.Combo == C_Pair && hand.Rank1 >= 3) || hand.Combo > C_Pair;
}

bool RaiseRuleFor(int teamSize, const THand& hand, const TCardRec& open, int m,
                  bool raiseAt2Matches) {
    if (teamSize <= 1) return RaiseRuleOne(hand, open, m, raiseAt2Matches);
    if (teamSize == 2) return RaiseRuleTwo(hand, open, m, raiseAt2Matches);
    return RaiseRuleThree(hand, open, m, raiseAt2Matches);
}

bool InsuranceRuleTakes(uint16_t flag, int m, const TRules& rules) {
    if (flag < C_Straight || !rules.Insurance) return false;
    return (m == 2 && flag >= C_Flush) || m == 3;
}

int32_t InsuranceRule(uint16_t flag, int m, const TRules& rules) {
    return InsuranceRuleTakes(flag, m, rules) ? PayOff(flag) : 0;
}

int DealerDiscardSlot(const THand& dealer, const TRules& rules) {
    auto x = [&](int i) { return dealer.Cards[i].Value; };
    int j = 1;
    if (rules.DealerGameBuy == 1) {
        if (x(1) != 1)
            for (int i = 2; i <= 5; ++i) {
                if (x(i) == 1)
                    j = i;
                else if (x(i) > x(j) && x(j) != 1)
                    j = i;
            }
    } else if (rules.DealerGameBuy == 2) {
        if (x(1) != 2)
            for (int i = 2; i <= 5; ++i)
                if (x(i) != 1 && x(i) < x(j) && x(j) != 2) j = i;
    }
    return j;
}

int DeadOuts(const TBoxes& boxes, int teamSize, int discardSlot) {
    const THand& dealer = boxes[0].Hand;
    int d = 0;
    for (int b = 1; b <= teamSize; ++b) {
        const THand& h = boxes[b].Hand;
        for (int i = 1; i <= h.Count; ++i)
            for (int k = 1; k <= 5; ++k)
                if (k != discardSlot && h.Cards[i].Value == dealer.Cards[k].Value) ++d;
    }
    return d;
}

bool DealerGameRule(uint16_t flag, int deadOuts) {
    switch (flag) {
    case C_Trips:
        return deadOuts <= 1;
    case C_Straight:
        return deadOuts <= 3;
    case C_Flush:
        return deadOuts <= 5;
    case C_FullHouse:
        return deadOuts <= 7;
    case C_Quads:
    case C_StraightFlush:
    case C_Royal:
        return true;
    default:
        return false;
    }
}

} // namespace kvarlen
