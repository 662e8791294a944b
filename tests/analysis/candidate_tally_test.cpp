// The purchase and the one-card exchange share the dealer's class totals between candidates and
// reuse tallies; here every candidate's tally is checked against the straightforward path (a
// copy of the deck with the card taken out, every counter run from scratch), and the drivers'
// values against the mean of those tallies, bit for bit.
#include "analysis/dealer_view.h"
#include "analysis/ev.h"
#include "layout_samples.h"

#include <gtest/gtest.h>

namespace kvarlen {
namespace {

using test::TSample;

struct TReference {
    double Sum = 0;
    int Count = 0;
};

// The tally of one candidate from scratch, and the same through the shared views.
void ExpectSameTally(const TDeck& deck, const TCardRec& open, const THand& hand, const TCardRec& x,
                     bool dealerAK, detail::TCandidateViews& views) {
    TDeck d = deck;
    d.Take(x);
    const LayoutOutcome want = TallyDealerOutcomes(d, BuildValueCounts(d), open, hand, dealerAK);
    const LayoutOutcome got = views.Tally(x.Suit, x.Value, detail::MakePlayerView(hand));
    ASSERT_EQ(got.S, want.S) << CardNotation(x);
    ASSERT_EQ(got.W, want.W) << CardNotation(x);
    ASSERT_EQ(got.L, want.L) << CardNotation(x);
    ASSERT_EQ(got.P, want.P) << CardNotation(x);
    ASSERT_EQ(got.N, want.N) << CardNotation(x);
}

double Value(const TDeck& deck, const TCardRec& open, const THand& hand, const TCardRec& x,
             bool dealerAK, double price) {
    TDeck d = deck;
    d.Take(x);
    const LayoutOutcome t = TallyDealerOutcomes(d, BuildValueCounts(d), open, hand, dealerAK);
    return detail::CandidateValue(t, hand.Combo, price);
}

std::vector<TCardRec> CandidateCards(const TDeck& deck, const TCardRec& open) {
    std::vector<TCardRec> c;
    for (int i = 1; i <= 52; ++i)
        if (deck[i].Value > 0 && i != DeckIndex(open.Suit, open.Value))
            c.push_back(test::MakeCard((i - 1) / 13 + 1, (i - 1) % 13 + 1));
    return c;
}

void CheckBuy(TSample s, bool dealerAK) {
    s.Player.resize(5);
    const TDeck deck = s.Deck();
    TRules rules;
    rules.AKPlays = s.AKPlays;
    rules.PriceBuy6 = 0.75;
    const THand five = s.Hand();
    detail::TCandidateViews views(detail::MakeDealerView(deck, BuildValueCounts(deck), s.Open),
                                  dealerAK);
    double sum = 0;
    const std::vector<TCardRec> cand = CandidateCards(deck, s.Open);
    for (const TCardRec& x : cand) {
        THand h = five;
        h.Cards[6] = x;
        h.Cards[6].Mark = 1;
        h.Count = 6;
        h.Sorted = 0;
        EvaluateHand(h, rules.AKPlays);
        ASSERT_NO_FATAL_FAILURE(ExpectSameTally(deck, s.Open, h, x, dealerAK, views));
        sum += Value(deck, s.Open, h, x, dealerAK, rules.PriceBuy6);
    }
    EXPECT_EQ(MO_Buy(deck, five, s.Open, rules, dealerAK), sum / static_cast<double>(cand.size()));
}

void CheckChange1(const TSample& s) {
    const TDeck deck = s.Deck();
    TRules rules;
    rules.AKPlays = s.AKPlays;
    rules.PriceChange1 = 0.5;
    // A sixth card stays in the table's order, as the layout command passes it.
    THand hand;
    hand.Count = static_cast<uint8_t>(s.Player.size());
    for (size_t i = 0; i < s.Player.size(); ++i) hand.Cards[i + 1] = s.Player[i];
    THand classified = hand;
    EvaluateHand(classified, rules.AKPlays);
    hand.Combo = classified.Combo;
    hand.Rank1 = classified.Rank1;
    hand.Rank2 = classified.Rank2;
    detail::TCandidateViews views(detail::MakeDealerView(deck, BuildValueCounts(deck), s.Open),
                                  rules.AKPlays);
    const std::vector<TCardRec> cand = CandidateCards(deck, s.Open);
    double per[6];
    uint8_t best = 0;
    MO_Change1(deck, hand, s.Open, rules, best, nullptr, per);
    for (int pos = 1; pos <= 5; ++pos) {
        double sum = 0;
        for (const TCardRec& x : cand) {
            THand h = hand;
            h.Cards[pos] = x;
            h.Cards[pos].Mark = 2;
            h.Sorted = 0;
            EvaluateHand(h, rules.AKPlays);
            ASSERT_NO_FATAL_FAILURE(ExpectSameTally(deck, s.Open, h, x, rules.AKPlays, views));
            sum += Value(deck, s.Open, h, x, rules.AKPlays, rules.PriceChange1);
        }
        EXPECT_EQ(per[pos], sum / static_cast<double>(cand.size())) << "position " << pos;
    }
}

TEST(CandidateTallies, PurchaseAndExchangeAsCountedFromScratch) {
    std::mt19937 rng(4242);
    for (int n = 0; n < 300; ++n) {
        const TSample s = test::RandomSample(rng, n % 3 == 0 ? 14 : 0);
        SCOPED_TRACE(test::Describe(s));
        // The purchase takes the first five; the exchange keeps a sixth (bought) card.
        ASSERT_NO_FATAL_FAILURE(CheckBuy(s, n % 4 == 0 ? !s.AKPlays : s.AKPlays));
        ASSERT_NO_FATAL_FAILURE(CheckChange1(s));
    }
}

} // namespace
} // namespace kvarlen
