// The canonical layouts: every layout of the space belongs to exactly one of them, as often as
// its multiplicity says.
#include "exact/exact_layouts.h"

#include <gtest/gtest.h>

#include <unordered_map>

namespace kvarlen {
namespace {

TEST(ExactLayouts, MultiplicitiesCoverTheWholeSpace) {
    uint64_t plain = 0, count = 0;
    uint64_t byMult[25] = {};
    ForEachCanonicalLayout([&](uint64_t i, const TExactLayout& l) {
        EXPECT_EQ(i, count);
        plain += l.Multiplicity;
        ++byMult[l.Multiplicity];
        ++count;
        return true;
    });
    EXPECT_EQ(plain, kPlainLayouts);
    EXPECT_EQ(count, CanonicalLayoutCount());
    EXPECT_EQ(count, 5649150u);
    EXPECT_EQ(byMult[4] + byMult[12] + byMult[24], count);
}

TEST(ExactLayouts, PartsAreDisjointAndCoverEveryLayout) {
    uint64_t total = 0;
    const std::vector<TPackedLayout> all = CanonicalLayouts(1, 1);
    for (int k = 1; k <= 3; ++k) {
        const std::vector<TPackedLayout> part = CanonicalLayouts(k, 3);
        total += part.size();
        // Numbered i with i % 3 == k - 1: the first of the part is layout k - 1.
        ASSERT_FALSE(part.empty());
        EXPECT_EQ(part.front(), all[static_cast<size_t>(k - 1)]);
        EXPECT_EQ(part[1], all[static_cast<size_t>(k - 1 + 3)]);
    }
    EXPECT_EQ(total, CanonicalLayoutCount());
    EXPECT_THROW(CanonicalLayouts(0, 4), std::invalid_argument);
    EXPECT_THROW(CanonicalLayouts(5, 4), std::invalid_argument);
}

TEST(ExactLayouts, PackedFormKeepsEverything) {
    const std::vector<TPackedLayout> part = CanonicalLayouts(5, 9000);
    for (TPackedLayout p : part) {
        const TExactLayout l = UnpackLayout(p);
        EXPECT_EQ(PackLayout(l), p);
        const THand h = LayoutHand(l);
        int inOpenSuit = 0;
        for (int i = 1; i <= 5; ++i) {
            EXPECT_FALSE(h.Cards[i].Suit == 1 && h.Cards[i].Value == l.OpenValue);
            inOpenSuit += h.Cards[i].Suit == 1;
        }
        EXPECT_EQ(inOpenSuit, __builtin_popcount(l.Suit[1]));
        EXPECT_GE(l.Suit[2], l.Suit[3]);
        EXPECT_GE(l.Suit[3], l.Suit[4]);
    }
}

// The plain loop over every box hand for two open cards of different suits: each maps to a
// canonical layout of the list, and each canonical layout of that open value is met exactly
// multiplicity / 4 times (the open card's suit is fixed here).
TEST(ExactLayouts, PlainLoopMeetsEachCanonicalLayoutByItsMultiplicity) {
    for (const TCardRec open : {TCardRec{1, 1, 0}, TCardRec{4, 7, 0}}) {
        std::unordered_map<TPackedLayout, int> want;
        ForEachCanonicalLayout([&](uint64_t, const TExactLayout& l) {
            if (l.OpenValue == open.Value) want[PackLayout(l)] = l.Multiplicity / 4;
            return true;
        });
        std::unordered_map<TPackedLayout, int> met;
        TCardRec cards[51];
        int n = 0;
        for (int s = 1; s <= 4; ++s)
            for (int v = 1; v <= 13; ++v)
                if (!(s == open.Suit && v == open.Value))
                    cards[n++] = TCardRec{static_cast<uint8_t>(s), v, 0};
        TCardRec box[5];
        for (int a = 0; a < n; ++a)
            for (int b = a + 1; b < n; ++b)
                for (int c = b + 1; c < n; ++c)
                    for (int d = c + 1; d < n; ++d)
                        for (int e = d + 1; e < n; ++e) {
                            box[0] = cards[a];
                            box[1] = cards[b];
                            box[2] = cards[c];
                            box[3] = cards[d];
                            box[4] = cards[e];
                            ++met[PackLayout(CanonicalOf(box, open))];
                        }
        EXPECT_EQ(met.size(), want.size());
        for (const auto& [key, times] : met) {
            auto it = want.find(key);
            ASSERT_NE(it, want.end());
            EXPECT_EQ(times, it->second);
        }
    }
}

} // namespace
} // namespace kvarlen
