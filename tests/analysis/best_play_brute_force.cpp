#include "best_play_brute_force.h"

#include "simulation/box.h"
#include "simulation/settlement.h"

#include <algorithm>
#include <cstdint>

namespace kvarlen::test {

namespace {

uint64_t Bit(const TCardRec& c) {
    return uint64_t{1} << DeckIndex(c.Suit, c.Value);
}

// Every dealer hand of the view, dealt out and classified once.
struct TDealt {
    uint64_t Closed; // the four closed cards
    THand Hand;
};

std::vector<TDealt> DealAll(const TDeck& view, const TCardRec& open, bool akPlays) {
    std::vector<TCardRec> rest;
    for (int i = 1; i <= 52; ++i)
        if (view[i].Value > 0 && DeckIndex(open.Suit, open.Value) != i)
            rest.push_back(GetDeckCard(view, i));
    std::vector<TDealt> all;
    const size_t n = rest.size();
    THand d;
    d.Count = 5;
    for (size_t a = 0; a < n; ++a)
        for (size_t b = a + 1; b < n; ++b)
            for (size_t c = b + 1; c < n; ++c)
                for (size_t e = c + 1; e < n; ++e) {
                    d.Cards[1] = open;
                    d.Cards[2] = rest[a];
                    d.Cards[3] = rest[b];
                    d.Cards[4] = rest[c];
                    d.Cards[5] = rest[e];
                    d.Sorted = 0;
                    EvaluateHand(d, akPlays);
                    all.push_back(
                        TDealt{Bit(rest[a]) | Bit(rest[b]) | Bit(rest[c]) | Bit(rest[e]), d});
                }
    return all;
}

// What the settlement gives the box in one deal.
double SettleOne(const THand& final, bool raise, int32_t insurance, bool dealerHasGame,
                 uint8_t comparison) {
    TBox box;
    box.Hand = final;
    box.Raise = raise;
    box.InsuranceSum = insurance;
    box.DealResult = -1.0 - (raise ? 2 : 0) - insurance;
    SettleBox(box, dealerHasGame, comparison, nullptr);
    return box.DealResult;
}

// The best of raising or passing, insured or not, over every dealer hand left.
double BestOverDealer(const THand& final, uint64_t received, const std::vector<TDealt>& dealer,
                      const TRules& rules) {
    // Deals by what the dealer's hand does: no game, or CompareHands(dealer, box) 0, 1, 2.
    int64_t count[4] = {};
    for (const TDealt& d : dealer) {
        if (d.Closed & received) continue;
        if (!DealerHasGame(d.Hand))
            ++count[3];
        else
            ++count[CompareHands(d.Hand, final)];
    }
    const int64_t total = count[0] + count[1] + count[2] + count[3];
    const bool offered = rules.Insurance && final.Combo >= C_Straight;
    const int32_t sum = PayOff(final.Combo);
    double best = -1e300;
    for (int raise = 0; raise <= 1; ++raise)
        for (int insured = 0; insured <= (offered ? 1 : 0); ++insured) {
            double r = 0;
            for (int k = 0; k < 4; ++k)
                if (count[k] > 0)
                    r += count[k] * SettleOne(final, raise == 1, insured ? sum : 0, k != 3,
                                              static_cast<uint8_t>(k == 3 ? 0 : k));
            best = std::max(best, r / total);
        }
    return best;
}

std::vector<TCardRec> Drawable(const TDeck& view, const TCardRec& open) {
    std::vector<TCardRec> out;
    for (int i = 1; i <= 52; ++i)
        if (view[i].Value > 0 && DeckIndex(open.Suit, open.Value) != i)
            out.push_back(GetDeckCard(view, i));
    return out;
}

THand Put(THand h, int slot, const TCardRec& c, bool akPlays) {
    if (slot == 6) h.Count = 6;
    h.Cards[slot] = c;
    h.Sorted = 0;
    EvaluateHand(h, akPlays);
    return h;
}

} // namespace

double BruteForceWork(const TDeck& view, const THand& hand, const TCardRec& open,
                      const TOptionRequest& request) {
    const double n = static_cast<double>(Drawable(view, open).size());
    const double dealer = n * (n - 1) * (n - 2) * (n - 3) / 24;
    double finals = 1;
    if (hand.Count == 5) {
        if (request.Exchange1) finals += 5 * n;
        if (request.Exchange2) finals += 10 * n * (n - 1) / 2;
        if (request.Buy) finals += n;
    }
    return finals * dealer;
}

std::vector<TBruteOption> BruteForceOptions(const TDeck& view, const THand& dealt,
                                            const TCardRec& open, const TRules& rules,
                                            const TOptionRequest& request) {
    THand hand = dealt;
    hand.Sorted = 0;
    EvaluateHand(hand, rules.AKPlays);
    const std::vector<TDealt> dealer = DealAll(view, open, rules.AKPlays);
    const std::vector<TCardRec> cards = Drawable(view, open);
    const int n = static_cast<int>(cards.size());
    std::vector<TBruteOption> out;

    // Pass and raise as dealt: the insurance still the better of taking it or not.
    {
        int64_t count[4] = {};
        for (const TDealt& d : dealer) {
            if (!DealerHasGame(d.Hand))
                ++count[3];
            else
                ++count[CompareHands(d.Hand, hand)];
        }
        const int64_t total = count[0] + count[1] + count[2] + count[3];
        const bool offered = rules.Insurance && hand.Combo >= C_Straight;
        for (int raise = 0; raise <= 1; ++raise) {
            double best = -1e300;
            for (int insured = 0; insured <= (offered ? 1 : 0); ++insured) {
                double r = 0;
                for (int k = 0; k < 4; ++k)
                    if (count[k] > 0)
                        r +=
                            count[k] * SettleOne(hand, raise == 1, insured ? PayOff(hand.Combo) : 0,
                                                 k != 3, static_cast<uint8_t>(k == 3 ? 0 : k));
                best = std::max(best, r / total);
            }
            out.push_back(TBruteOption{raise ? TOptionKind::Raise : TOptionKind::Pass, 0, 0, best});
        }
    }
    if (hand.Count != 5) return out;
    if (request.Exchange1 && n >= 1)
        for (int i = 1; i <= 5; ++i) {
            double sum = 0;
            for (const TCardRec& x : cards)
                sum += BestOverDealer(Put(hand, i, x, rules.AKPlays), Bit(x), dealer, rules);
            out.push_back(TBruteOption{TOptionKind::Exchange1, i, 0, sum / n - rules.PriceChange1});
        }
    if (request.Exchange2 && n >= 2)
        for (int r = 1; r <= 4; ++r)
            for (int s = r + 1; s <= 5; ++s) {
                double sum = 0;
                int pairs = 0;
                for (int a = 0; a < n; ++a)
                    for (int b = a + 1; b < n; ++b) {
                        THand h = hand;
                        h.Cards[r] = cards[static_cast<size_t>(a)];
                        h = Put(h, s, cards[static_cast<size_t>(b)], rules.AKPlays);
                        sum += BestOverDealer(h,
                                              Bit(cards[static_cast<size_t>(a)]) |
                                                  Bit(cards[static_cast<size_t>(b)]),
                                              dealer, rules);
                        ++pairs;
                    }
                out.push_back(
                    TBruteOption{TOptionKind::Exchange2, r, s, sum / pairs - rules.PriceChange2});
            }
    if (request.Buy && n >= 1) {
        double sum = 0;
        for (const TCardRec& x : cards)
            sum += BestOverDealer(Put(hand, 6, x, rules.AKPlays), Bit(x), dealer, rules);
        out.push_back(TBruteOption{TOptionKind::Buy, 0, 0, sum / n - rules.PriceBuy6});
    }
    return out;
}

} // namespace kvarlen::test
