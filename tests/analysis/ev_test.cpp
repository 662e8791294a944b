#include "analysis/ev.h"
#include "dealer_brute_force.h"
#include "layout_samples.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>

namespace kvarlen {
namespace {

using test::TSample;

// Records what a driver writes.
class RecordingSink : public TDetailSink {
  public:
    explicit RecordingSink(char sep = ',') : sep_(sep) {}
    void PrepareRaiseGrid() override { ++prepared; }
    void SetCell(int col, int row, const std::string& text) override { cells[{col, row}] = text; }
    void AddLine(const std::string& line) override { lines.push_back(line); }
    char Separator() const override { return sep_; }
    bool Has(int col, int row) const { return cells.count({col, row}) != 0; }
    std::string At(int col, int row) const {
        auto it = cells.find({col, row});
        return it == cells.end() ? "<unset>" : it->second;
    }

    int prepared = 0;
    std::map<std::pair<int, int>, std::string> cells;
    std::vector<std::string> lines;

  private:
    char sep_;
};

std::vector<int> Candidates(const TDeck& deck, const TCardRec& open) {
    std::vector<int> c;
    for (int i = 1; i <= 52; ++i)
        if (deck[i].Value > 0 && i != DeckIndex(open.Suit, open.Value)) c.push_back(i);
    return c;
}

TCardRec EntryCard(int index) {
    return test::MakeCard((index - 1) / 13 + 1, (index - 1) % 13 + 1);
}

double Best(const LayoutOutcome& t, uint16_t combo, double price) {
    return std::max(test::RaiseFormula(t, combo) - price, -1.0 - price);
}

// The means the exchange and purchase values are defined as, every candidate settled against
// every dealt dealer hand.
double BruteBuy(const TSample& s, const TRules& rules, bool dealerAK) {
    const TDeck deck = s.Deck();
    const test::TDealerHands dealer(deck, s.Open, dealerAK);
    double sum = 0;
    const std::vector<int> cand = Candidates(deck, s.Open);
    for (int x : cand) {
        THand h = s.Hand();
        h.Cards[6] = EntryCard(x);
        h.Count = 6;
        h.Sorted = 0;
        EvaluateHand(h, rules.AKPlays);
        sum += Best(dealer.Tally(h, x), h.Combo, rules.PriceBuy6);
    }
    return sum / static_cast<double>(cand.size());
}

double BruteChange1(const TSample& s, const TRules& rules, const test::TDealerHands& dealer,
                    int position) {
    const TDeck deck = s.Deck();
    double sum = 0;
    const std::vector<int> cand = Candidates(deck, s.Open);
    for (int x : cand) {
        THand h = s.Hand();
        h.Cards[position] = EntryCard(x);
        h.Sorted = 0;
        EvaluateHand(h, rules.AKPlays);
        sum += Best(dealer.Tally(h, x), h.Combo, rules.PriceChange1);
    }
    return sum / static_cast<double>(cand.size());
}

// Two exchanged cards: only ace + king and the pair of the dealer are settled.
double BruteChange2(const TSample& s, const TRules& rules, const test::TDealerHands& dealer, int r,
                    int q) {
    const TDeck deck = s.Deck();
    double sum = 0;
    int count = 0;
    const std::vector<int> cand = Candidates(deck, s.Open);
    for (size_t a = 0; a < cand.size(); ++a)
        for (size_t b = a + 1; b < cand.size(); ++b) {
            THand h = s.Hand();
            h.Cards[r] = EntryCard(cand[a]);
            h.Cards[q] = EntryCard(cand[b]);
            h.Sorted = 0;
            EvaluateHand(h, rules.AKPlays);
            sum += Best(dealer.Tally(h, cand[a], cand[b], true), h.Combo, rules.PriceChange2);
            ++count;
        }
    return sum / count;
}

TRules Rules(bool ak, double price = 1.0) {
    TRules r;
    r.AKPlays = ak;
    r.PriceChange1 = price;
    r.PriceChange2 = price;
    r.PriceBuy6 = price;
    return r;
}

TEST(ExpectedValues, BuyAndChange1EqualTheirBruteForceMeans) {
    const std::vector<TSample> samples = {
        test::Sample("pair of tens", "AH KS XC 3C XD", "XS"),
        test::Sample("ace king, open queen", "AS KC 9D 5H 2S", "QH",
                     "3C 4C 6C 7C 8C 3D 4D 6D 7D 8D XS JS"),
        test::Sample("ak off, cards out", "AH KS 9C 3C 7D", "KD",
                     "2C 2D 2H 3S 4S 5S 6S 7S 8S 9S XS JS QS 4H 5H 6H 8H 9H", false),
    };
    for (const TSample& s : samples) {
        SCOPED_TRACE(test::Describe(s));
        const TRules rules = Rules(s.AKPlays, 0.5);
        const TDeck deck = s.Deck();
        EXPECT_DOUBLE_EQ(MO_Buy(deck, s.Hand(), s.Open, rules, s.AKPlays),
                         BruteBuy(s, rules, s.AKPlays));
        // The dealer side's switch of the purchase is its own.
        if (!s.AKPlays) {
            EXPECT_DOUBLE_EQ(MO_Buy(deck, s.Hand(), s.Open, rules, true), BruteBuy(s, rules, true));
        }
        // The full deck's exchange is left to the long tests.
        if (deck.UnseenCount() == 47) continue;
        const test::TDealerHands dealer(deck, s.Open, s.AKPlays);
        double per[6];
        uint8_t best = 0;
        const double mo = MO_Change1(deck, s.Hand(), s.Open, rules, best, nullptr, per);
        double want = -10000;
        int wantPos = 0;
        for (int i = 1; i <= 5; ++i) {
            const double b = BruteChange1(s, rules, dealer, i);
            EXPECT_DOUBLE_EQ(per[i], b) << "position " << i;
            if (b > want) {
                want = b;
                wantPos = i;
            }
        }
        EXPECT_DOUBLE_EQ(mo, want);
        EXPECT_EQ(best, wantPos);
    }
}

TEST(ExpectedValues, Change2CountsOnlyAceKingAndPair) {
    // Enough cards out of play that every candidate pair can be dealt against every dealer.
    const std::vector<TSample> samples = {
        test::Sample("ace king", "AH KS 9C 3C 7D", "QD",
                     "2C 2D 2H 3S 4S 5S 6S 7S 8S 9S XS JS QS 4H 5H 6H 8H 9H XH JH 4D 5D 6D 8C"),
        test::Sample("pair, ak off", "5H 5S 9C 3C 7D", "KD",
                     "2C 2D 2H 3S 4S 6S 7S 8S 9S XS JS QS 4H 6H 8H 9H XH JH 4D AD 6D 8C JC", false),
    };
    for (const TSample& s : samples) {
        SCOPED_TRACE(test::Describe(s));
        const TRules rules = Rules(s.AKPlays, 0.75);
        const TDeck deck = s.Deck();
        const test::TDealerHands dealer(deck, s.Open, s.AKPlays);
        TChange2Pair pairs[10];
        int count = 0;
        uint8_t first = 9, second = 9;
        const double mo =
            MO_Change2(deck, s.Hand(), s.Open, false, rules, first, second, nullptr, pairs, &count);
        ASSERT_EQ(count, 10);
        double want = -10000;
        int k = 0;
        for (int r = 1; r <= 4; ++r)
            for (int q = r + 1; q <= 5; ++q, ++k) {
                EXPECT_EQ(pairs[k].First, r);
                EXPECT_EQ(pairs[k].Second, q);
                // A few pairs of positions against the brute force keep the run short.
                if (k % 4 == 0) {
                    EXPECT_DOUBLE_EQ(pairs[k].MO, BruteChange2(s, rules, dealer, r, q));
                }
                want = std::max(want, pairs[k].MO);
            }
        EXPECT_EQ(mo, want);
        // The first pair reaching the best value, r-major, is the one reported.
        for (int i = 0; i < 10; ++i)
            if (pairs[i].MO == want) {
                EXPECT_EQ(first, pairs[i].First);
                EXPECT_EQ(second, pairs[i].Second);
                break;
            }
    }
}

TEST(ExpectedValues, FastExchangeKeepsTheCombination) {
    const TCardRec open = ParseCard("2D");
    auto run = [&](const std::string& cards, bool fast, int& count, TChange2Pair* pairs,
                   uint8_t& first, uint8_t& second, RecordingSink* sink = nullptr) {
        const THand h = test::MakeHand(cards);
        const TDeck deck = test::DeckWithout(test::Cards(cards));
        return MO_Change2(deck, h, open, fast, Rules(true), first, second, sink, pairs, &count);
    };
    TChange2Pair pairs[10];
    int count = -1;
    uint8_t f = 9, s = 9;
    for (const char* cards : {"9S 9C 4D 4H AS", "QS 4C QD 4H QH"}) {
        RecordingSink sink;
        EXPECT_EQ(run(cards, true, count, pairs, f, s, &sink), -10000.0) << cards;
        EXPECT_EQ(count, 0);
        EXPECT_EQ(f, 0);
        EXPECT_EQ(s, 0);
        EXPECT_TRUE(sink.lines.empty());
    }
    run("7S KC 7D 7H 3S", true, count, pairs, f, s);
    ASSERT_EQ(count, 1);
    EXPECT_EQ(pairs[0].First, 2);
    EXPECT_EQ(pairs[0].Second, 5);
    EXPECT_EQ(f, 2);
    EXPECT_EQ(s, 5);
    // The pair's ace (rank 14) is kept by its value 1.
    run("AS KC 9D AH 3S", true, count, pairs, f, s);
    ASSERT_EQ(count, 3);
    EXPECT_EQ(pairs[0].First, 2);
    EXPECT_EQ(pairs[0].Second, 3);
    EXPECT_EQ(pairs[1].Second, 5);
    EXPECT_EQ(pairs[2].First, 3);
    run("9S 9C 4D 4H AS", false, count, pairs, f, s);
    EXPECT_EQ(count, 10);
}

// Running sums instead of fixed arrays: more than 46 candidates (player cards left in the deck)
// are evaluated like any other count.
TEST(ExpectedValues, Change2TakesEveryCandidateCount) {
    const THand hand = test::MakeHand("7S KC 7D 7H 3S");
    const TCardRec open = ParseCard("9D");
    const TRules rules = Rules(true);
    for (int leftIn : {1, 2, 5}) {
        SCOPED_TRACE(leftIn);
        TDeck deck;
        const std::vector<TCardRec> cards = test::Cards("7S KC 7D 7H 3S");
        for (size_t i = static_cast<size_t>(leftIn); i < cards.size(); ++i) deck.Take(cards[i]);
        const std::vector<int> cand = Candidates(deck, open);
        ASSERT_EQ(cand.size(), 46u + static_cast<size_t>(leftIn));
        // Reference through the public counters, the pair of positions the fast switch leaves.
        double sum = 0;
        int n = 0;
        for (size_t a = 0; a < cand.size(); ++a)
            for (size_t b = a + 1; b < cand.size(); ++b) {
                THand h = hand;
                h.Cards[2] = EntryCard(cand[a]);
                h.Cards[5] = EntryCard(cand[b]);
                h.Sorted = 0;
                EvaluateHand(h, true);
                TDeck d = deck;
                d.Take(h.Cards[2]);
                d.Take(h.Cards[5]);
                const ValueCounts vc = BuildValueCounts(d);
                const ClassOutcome classes[2] = {CountDealerAK(d, vc, open, h),
                                                 CountDealerPair(d, vc, open, h)};
                LayoutOutcome t;
                t.S = static_cast<int32_t>(Binomial(vc.c[0] - 1, 4));
                for (int k = 0; k < 2; ++k) {
                    const uint16_t cls = k == 0 ? C_AK : C_Pair;
                    if (cls < h.Combo)
                        t.W += classes[k].Total;
                    else if (cls > h.Combo)
                        t.L += classes[k].Total;
                    else {
                        t.W += classes[k].Won;
                        t.L += classes[k].Lost;
                        t.P += classes[k].Push;
                    }
                }
                t.N = t.S - t.W - t.L - t.P;
                sum += Best(t, h.Combo, rules.PriceChange2);
                ++n;
            }
        uint8_t f = 0, s = 0;
        const double mo = MO_Change2(deck, hand, open, true, rules, f, s);
        EXPECT_DOUBLE_EQ(mo, sum / n);
        EXPECT_EQ(f, 2);
        EXPECT_EQ(s, 5);
    }
}

// Payouts of three digits (and the larger ones the fields refuse) must not overflow the raise's
// numerator for any layout; the brute force counts in 64 bits.
TEST(ExpectedValues, LargePayoutsAgainstTheBruteForce) {
    struct PayGuard {
        TPayTable saved = PayTable;
        ~PayGuard() { PayTable = saved; }
    } guard;
    const std::vector<TSample> samples = {
        test::Sample("royal", "AS KS QS JS XS", "2H"),
        test::Sample("straight flush, open ace", "5H 6H 7H 8H 9H", "AS"),
        test::Sample("pair of tens", "AH KS XC 3C XD", "XS"),
        test::Sample("ace king", "AS KC 9D 5H 2S", "QH"),
    };
    for (int32_t pay : {999, 13200}) {
        for (size_t i = 1; i < PayTable.size(); ++i) PayTable[i] = pay;
        for (const TSample& s : samples) {
            SCOPED_TRACE(test::Describe(s) + " / pay " + std::to_string(pay));
            const TDeck deck = s.Deck();
            const LayoutOutcome t = test::BruteTally(deck, s.Open, s.Hand(), s.AKPlays);
            const double want = (static_cast<double>(2 * pay + 1) * t.W + t.N - 3.0 * t.L) /
                                static_cast<double>(t.S);
            EXPECT_EQ(MO_Raise(deck, s.Hand(), s.Open, Rules(s.AKPlays)), want);
            if (s.Hand().Combo >= C_StraightFlush) {
                EXPECT_GT(want, pay / 2.0);
            }
        }
    }
    // The means of the purchase settle every candidate at the same payouts.
    for (size_t i = 1; i < PayTable.size(); ++i) PayTable[i] = 999;
    const TSample s = test::Sample("", "AH KS XC 3C XD", "XS");
    EXPECT_DOUBLE_EQ(MO_Buy(s.Deck(), s.Hand(), s.Open, Rules(true), true),
                     BruteBuy(s, Rules(true), true));
}

// -10000 is what the exchanges return when nothing could be evaluated; a price that puts every
// value below it must still give the real best value and its position.
TEST(ExpectedValues, ExchangeAboveTheSentinelPrice) {
    const TSample s = test::Sample("", "7S KC 7D 7H 3S", "9D");
    const TRules rules = Rules(true, 20000.0);
    double per[6];
    uint8_t best = 0;
    const double mo = MO_Change1(s.Deck(), s.Hand(), s.Open, rules, best, nullptr, per);
    ASSERT_GE(best, 1);
    EXPECT_EQ(mo, per[best]);
    for (int i = 1; i <= 5; ++i) {
        EXPECT_LT(per[i], -10000.0);
        EXPECT_LE(per[i], mo);
    }
    // Every value is the price plus at most what one hand can lose.
    EXPECT_GT(mo, -20001.0);
    // The same hand priced normally keeps the same choice.
    uint8_t cheap = 0;
    MO_Change1(s.Deck(), s.Hand(), s.Open, Rules(true, 0.0), cheap);
    EXPECT_EQ(best, cheap);

    TChange2Pair pairs[10];
    int count = 0;
    uint8_t first = 0, second = 0;
    const double mo2 =
        MO_Change2(s.Deck(), s.Hand(), s.Open, true, rules, first, second, nullptr, pairs, &count);
    ASSERT_EQ(count, 1);
    EXPECT_EQ(first, 2);
    EXPECT_EQ(second, 5);
    EXPECT_EQ(mo2, pairs[0].MO);
    EXPECT_LT(mo2, -10000.0);
}

TEST(ExpectedValues, RaiseWithNothingLosesEveryQualifyingDealer) {
    const TSample s = test::Sample("", "2C 7D 9H JS 4C", "AS");
    LayoutOutcome t;
    const double mo = MO_Raise(s.Deck(), s.Hand(), s.Open, Rules(true), nullptr, &t);
    EXPECT_EQ(t.W, 0);
    EXPECT_EQ(t.P, 0);
    EXPECT_EQ(mo, static_cast<double>(t.N - 3 * (t.S - t.N)) / t.S);
}

TEST(ExpectedValues, AceKingOffMovesDealerAceKingToNoGame) {
    // A hand of nothing loses to every dealer ace + king that plays.
    const TSample s = test::Sample("", "5H 8S 9C 3C 7D", "KD");
    LayoutOutcome on, off;
    ClassOutcome classes[11];
    const double moOn = MO_Raise(s.Deck(), s.Hand(), s.Open, Rules(true), nullptr, &on, classes);
    const double moOff = MO_Raise(s.Deck(), s.Hand(), s.Open, Rules(false), nullptr, &off);
    EXPECT_GT(classes[1].Total, 0);
    EXPECT_EQ(off.N, on.N + classes[1].Total);
    EXPECT_EQ(off.L, on.L - classes[1].Total);
    EXPECT_GT(moOff, moOn);
}

TEST(ExpectedValues, NothingIsWorthLessThanFolding) {
    // Only kings, a queen and the open ace are left: every purchase leaves the hand with
    // nothing against a dealer who always qualifies, so folding is the value.
    const TCardRec open = ParseCard("AS");
    TDeck deck;
    for (int i = 1; i <= 52; ++i) deck[i].Value = 0;
    for (const TCardRec& c : test::Cards("AS KS KC KD KH QC"))
        deck.At(c.Suit, c.Value).Value = c.Value;
    const THand hand = test::MakeHand("2C 4D 6H 8S XC");
    EXPECT_EQ(MO_Buy(deck, hand, open, Rules(true, 1.5), true), -2.5);

    const TSample s = test::Sample("", "2C 7D 9H JS 4C", "AS");
    double per[6];
    uint8_t best = 0;
    MO_Change1(s.Deck(), s.Hand(), s.Open, Rules(true, 2.0), best, nullptr, per);
    for (int i = 1; i <= 5; ++i) EXPECT_GE(per[i], -3.0);
    EXPECT_GE(MO_Buy(s.Deck(), s.Hand(), s.Open, Rules(true, 2.0), true), -3.0);
}

TEST(ExpectedValues, RaiseDetailTable) {
    const TSample s = test::Sample("", "AH KS XC 3C XD", "XS");
    RecordingSink sink;
    LayoutOutcome t;
    ClassOutcome classes[11];
    MO_Raise(s.Deck(), s.Hand(), s.Open, Rules(true), &sink, &t, classes);
    EXPECT_EQ(sink.prepared, 1);
    EXPECT_EQ(sink.At(1, 0), "All");
    EXPECT_EQ(sink.At(8, 0), "p(Push)");
    EXPECT_FALSE(sink.Has(0, 0));
    EXPECT_EQ(sink.At(0, 1), "Туз+король");
    EXPECT_EQ(sink.At(0, 2), "Пара      ");
    EXPECT_EQ(sink.At(1, 2), std::to_string(classes[2].Total));
    EXPECT_EQ(sink.At(2, 2), FormatFixed(double(classes[2].Total) / t.S, 10, 4, ','));
    EXPECT_EQ(sink.At(3, 2), std::to_string(classes[2].Won));
    EXPECT_EQ(sink.At(5, 2), std::to_string(classes[2].Lost));
    EXPECT_EQ(sink.At(7, 2), std::to_string(classes[2].Push));
    for (int row = 1; row <= 12; ++row) {
        EXPECT_FALSE(sink.Has(4, row));
        EXPECT_FALSE(sink.Has(6, row));
        EXPECT_FALSE(sink.Has(8, row));
        if (row != 2) {
            EXPECT_FALSE(sink.Has(3, row)) << row;
        }
    }
    EXPECT_EQ(sink.At(0, 11), "NoGame");
    EXPECT_EQ(sink.At(1, 11), std::to_string(t.N));
    EXPECT_EQ(sink.At(0, 12), "ВСЕГО");
    EXPECT_EQ(sink.At(1, 12), "163185");
    EXPECT_EQ(sink.At(2, 12), "");

    // Without ace + king the first row is left alone; the sink's separator is used.
    RecordingSink point('.');
    MO_Raise(s.Deck(), test::MakeHand("AH KS XC 3C XD", false), s.Open, Rules(false), &point);
    for (int col = 0; col <= 8; ++col) EXPECT_FALSE(point.Has(col, 1));
    EXPECT_NE(point.At(2, 2).find('.'), std::string::npos);
}

TEST(ExpectedValues, ExchangeDetailLines) {
    const TSample s = test::Sample("", "AH KS XC 3C XD", "XS");
    RecordingSink sink;
    double per[6];
    uint8_t best = 0;
    MO_Change1(s.Deck(), s.Hand(), s.Open, Rules(true), best, &sink, per);
    ASSERT_EQ(sink.lines.size(), 5u);
    EXPECT_EQ(sink.lines[0], "MO_Change1(1) = " + FormatFixed(per[1], 9, 7, ','));
    EXPECT_EQ(sink.lines[4], "MO_Change1(5) = " + FormatFixed(per[5], 9, 7, ','));

    RecordingSink sink2;
    TChange2Pair pairs[10];
    int count = 0;
    uint8_t f = 0, q = 0;
    MO_Change2(s.Deck(), s.Hand(), s.Open, true, Rules(true), f, q, &sink2, pairs, &count);
    ASSERT_EQ(sink2.lines.size(), static_cast<size_t>(count));
    EXPECT_EQ(sink2.lines[0], "MO_Change2(1 2) = " + FormatFixed(pairs[0].MO, 9, 7, ','));
}

} // namespace
} // namespace kvarlen
