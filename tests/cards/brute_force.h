// An independent, conventional poker evaluator used to check the classifier and the comparison.
#pragma once

#include "cards/hand.h"

#include <algorithm>
#include <array>
#include <vector>

namespace kvarlen::test {

struct BruteResult {
    uint16_t Combo = C_Empty;
    int Rank1 = 0;
    int Rank2 = 0;
    std::vector<int> Order; // the full conventional ordering key after the class
};

// Five cards given as (value 1..13, suit 1..4).
inline BruteResult BruteClassify(const std::array<TCardRec, 5>& cards, bool ak) {
    int cnt[15] = {};
    std::vector<int> hi; // values with the ace as 14
    bool flush = true;
    for (const auto& c : cards) {
        const int v = c.Value == 1 ? 14 : c.Value;
        ++cnt[v];
        hi.push_back(v);
        if (c.Suit != cards[0].Suit) flush = false;
    }
    std::sort(hi.rbegin(), hi.rend());
    bool distinct = true;
    for (int v = 2; v <= 14; ++v)
        if (cnt[v] > 1) distinct = false;
    int top = 0;
    if (distinct) {
        if (hi[0] - hi[4] == 4)
            top = hi[0];
        else if (hi[0] == 14 && hi[1] == 5 && hi[4] == 2)
            top = 5;
    }
    // Groups sorted by size, then value.
    std::vector<std::pair<int, int>> groups;
    for (int v = 14; v >= 2; --v)
        if (cnt[v]) groups.push_back({cnt[v], v});
    std::stable_sort(groups.begin(), groups.end(),
                     [](auto a, auto b) { return a.first > b.first; });
    BruteResult r;
    auto kickers = [&](std::initializer_list<int> skip) {
        std::vector<int> k;
        for (int v : hi)
            if (std::find(skip.begin(), skip.end(), v) == skip.end()) k.push_back(v);
        return k;
    };
    if (top && flush) {
        r.Combo = top == 14 ? C_Royal : C_StraightFlush;
        r.Rank1 = top;
        if (top != 14) r.Order = {top};
    } else if (groups[0].first == 4) {
        r.Combo = C_Quads;
        r.Rank1 = groups[0].second;
        r.Order = {groups[0].second, groups[1].second};
    } else if (groups[0].first == 3 && groups[1].first == 2) {
        r.Combo = C_FullHouse;
        r.Rank1 = groups[0].second;
        r.Rank2 = groups[1].second;
        r.Order = {r.Rank1, r.Rank2};
    } else if (flush) {
        r.Combo = C_Flush;
        r.Order = hi;
    } else if (top) {
        r.Combo = C_Straight;
        r.Rank1 = top;
        r.Order = {top};
    } else if (groups[0].first == 3) {
        r.Combo = C_Trips;
        r.Rank1 = groups[0].second;
        r.Order = {r.Rank1};
    } else if (groups[0].first == 2 && groups[1].first == 2) {
        r.Combo = C_TwoPairs;
        r.Rank1 = groups[0].second;
        r.Rank2 = groups[1].second;
        r.Order = {r.Rank1, r.Rank2, groups[2].second};
    } else if (groups[0].first == 2) {
        r.Combo = C_Pair;
        r.Rank1 = groups[0].second;
        r.Order = kickers({r.Rank1});
        r.Order.insert(r.Order.begin(), r.Rank1);
    } else if (ak && cnt[14] && cnt[13]) {
        r.Combo = C_AK;
        const auto k = kickers({14, 13});
        r.Rank1 = k[0];
        r.Rank2 = k[1];
        r.Order = k;
    } else {
        r.Combo = C_Empty;
    }
    return r;
}

// -1, 0, 1 by the conventional order (class first).
inline int BruteOrder(const BruteResult& a, const BruteResult& b) {
    if (a.Combo != b.Combo) return a.Combo > b.Combo ? 1 : -1;
    if (a.Order == b.Order) return 0;
    return a.Order > b.Order ? 1 : -1;
}

} // namespace kvarlen::test
