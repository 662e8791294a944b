// What a result read back from a file must satisfy before it is merged: every figure possible,
// and the counts consistent with each other and with the part they claim to be.
#include "exact/exact_layouts.h"
#include "exact/exact_run.h"

#include <cmath>
#include <string>

namespace kvarlen {

namespace {

// No deal pays or costs more than this many antes besides its price: a raise won at the highest
// payout with the ante and the insurance lost or won.
constexpr int64_t kMaxDealResult = 4 * (kMaxPayout + 2);

[[noreturn]] void Bad(const std::string& what) {
    throw TExactRefused(what);
}

void Price(double p, const char* name) {
    if (!std::isfinite(p) || p < 0 || p > kMaxPrice)
        Bad(std::string(name) + " must be a price of 0..1000 antes");
}

TExactInt Abs(TExactInt v) {
    return v < 0 ? -v : v;
}

} // namespace

uint64_t LayoutsOfPart(int partIndex, int partCount) {
    const uint64_t total = CanonicalLayoutCount();
    const uint64_t k = static_cast<uint64_t>(partIndex - 1);
    if (partIndex < 1 || partCount < 1 || k >= total) return 0;
    return (total - 1 - k) / static_cast<uint64_t>(partCount) + 1;
}

void CheckExactResult(const TExactResult& r) {
    const TRules& rules = r.Rules;
    for (size_t i = 1; i <= 10; ++i)
        if (r.Pay[i] < 0 || r.Pay[i] > kMaxPayout) Bad("a payout outside 0..999");
    if (r.Pay[0] != 0) Bad("a payout for no combination");
    Price(rules.PriceChange1, "price_change1");
    Price(rules.PriceChange2, "price_change2");
    Price(rules.PriceBuy6, "price_buy6");
    Price(rules.PriceBuyDealerGame, "price_dealer_game");
    if (rules.DealerGameBuy > 2) Bad("dealer_game must be none, high or low");
    if (r.Mode == TExactMode::Strategy && rules.DealerGameBuy != 0)
        Bad("strategy play with a game bought for the dealer is never counted exactly");
    if (r.Mode == TExactMode::Strategy && rules.Exchange1) Bad("strategy play never exchanges");
    if (DecidesByValues(r.Mode) && rules.Exchange1 && rules.Buy6)
        Bad("exchanging one card and buying a sixth exclude each other");
    if (r.DrawFactor != DrawFactorFor(rules, r.Mode))
        Bad("draw_factor " + std::to_string(r.DrawFactor) + " does not belong to these rules");
    if (!std::isfinite(r.Seconds) || r.Seconds < 0) Bad("seconds must be a finite time");
    if (r.Threads < 0 || r.Threads > 4096) Bad("threads out of range");

    const uint64_t canonical = CanonicalLayoutCount();
    if (r.CanonicalLayouts != canonical)
        Bad("the canonical layouts number " + std::to_string(canonical) + ", not " +
            std::to_string(r.CanonicalLayouts));
    if (r.PartCount < 1 || static_cast<uint64_t>(r.PartCount) > canonical || r.PartIndex < 1 ||
        r.PartIndex > r.PartCount)
        Bad("the part must be K/N with 1 <= K <= N <= " + std::to_string(canonical));
    if (r.LayoutsInPart != LayoutsOfPart(r.PartIndex, r.PartCount))
        Bad("part " + std::to_string(r.PartIndex) + "/" + std::to_string(r.PartCount) + " holds " +
            std::to_string(LayoutsOfPart(r.PartIndex, r.PartCount)) + " layouts, not " +
            std::to_string(r.LayoutsInPart));
    const TExactTally& t = r.Tally;
    if (t.Layouts > r.LayoutsInPart) Bad("more layouts counted than the part holds");
    if (r.Complete != (t.Layouts == r.LayoutsInPart))
        Bad("complete does not agree with the layouts counted");
    if (t.PlainLayouts < 4 * t.Layouts || t.PlainLayouts > 24 * t.Layouts ||
        t.PlainLayouts > kPlainLayouts)
        Bad("the layouts counted cannot stand for " + std::to_string(t.PlainLayouts) + " layouts");

    // Every deal of the layouts counted ends in exactly one outcome row.
    const TExactUInt deals = r.ExpectedDeals();
    TExactUInt outcome = 0, priced = 0, chart = 0;
    for (int k = 0; k < kOutcomeRows; ++k) outcome += t.RowDeals[k];
    for (int k = 0; k < kPriceKinds; ++k) priced += t.PricedDeals[k];
    if (outcome != deals || priced != deals)
        Bad("the rows add up to " + ToDecimal(outcome) + " deals, the layouts counted hold " +
            ToDecimal(deals));
    for (int c = 0; c < 12; ++c)
        for (int v = 0; v < 14; ++v)
            for (int d = 0; d < kDecisions; ++d) {
                const TExactCell& cell = t.Chart[c][v][d];
                if ((c < 1 || v < 1) && cell.Deals != 0) Bad("a decision cell out of range");
                chart += cell.Deals;
                if (Abs(cell.Sum) > static_cast<TExactInt>(cell.Deals) * kMaxDealResult)
                    Bad("a decision cell's sum is beyond its deals");
            }
    if (chart != deals) Bad("the decision chart does not add up to the deals");
    if (static_cast<TExactUInt>(t.Raised) + t.Passed != deals)
        Bad("raised and passed do not add up to the deals");
    if (t.Insured != t.RowDeals[kRowInsurancePaid] + t.RowDeals[kRowInsuranceLost])
        Bad("the insured deals disagree with the insurance rows");
    if (t.Insured > deals || (!rules.Insurance && t.Insured != 0))
        Bad("insured deals the rules do not allow");
    if (t.RowDeals[kRowBuyCost] != t.PricedDeals[kPriceBuy] ||
        t.RowDeals[kRowExchangeCost] != t.PricedDeals[kPriceExchange])
        Bad("the cost rows disagree with the priced deals");
    if (!rules.Buy6 && t.PricedDeals[kPriceBuy] != 0) Bad("purchases the rules do not allow");
    if (!(rules.Exchange1 && DecidesByValues(r.Mode)) && t.PricedDeals[kPriceExchange] != 0)
        Bad("exchanges the rules do not allow");
    TExactInt amounts = 0, sums = 0;
    for (int k = 0; k < kExactRows; ++k) {
        if (Abs(t.RowAmount[k]) > static_cast<TExactInt>(t.RowDeals[k]) * kMaxDealResult)
            Bad("a row's amount is beyond its deals");
        amounts += t.RowAmount[k];
    }
    // Each outcome row pays one fixed amount per deal: the pass loses the ante, a dealer without
    // a game pays it, a win 1 + 2 x the payout, a push nothing, a loss takes ante and raise.
    for (int k = 0; k < kOutcomeRows; ++k) {
        int64_t net = 0;
        if (k == kRowPassed)
            net = -1;
        else if (k == kRowNoGame)
            net = 1;
        else if (k == kRowPush)
            net = 0;
        else if (k == kRowDealerWins)
            net = -3;
        else
            net = 1 + 2 * static_cast<int64_t>(r.Pay[static_cast<size_t>(k - kRowWinFirst + 1)]);
        if (t.RowAmount[k] != static_cast<TExactInt>(t.RowDeals[k]) * net)
            Bad("row " + std::to_string(k) + "'s amount is not its deals times what it pays");
    }
    if (t.RowAmount[kRowInsurancePaid] < 0 || t.RowAmount[kRowInsuranceLost] > 0)
        Bad("the insurance rows have the wrong sign");
    if (t.RowAmount[kRowBuyCost] != 0 || t.RowAmount[kRowExchangeCost] != 0)
        Bad("the cost rows carry no integer amount");
    for (int k = 0; k < kPriceKinds; ++k) {
        const TExactInt n = static_cast<TExactInt>(t.PricedDeals[k]);
        if (Abs(t.PricedSum[k]) > n * kMaxDealResult ||
            t.PricedSquares[k] > static_cast<TExactUInt>(n) * kMaxDealResult * kMaxDealResult)
            Bad("a sum is beyond its deals");
        sums += t.PricedSum[k];
    }
    if (amounts != sums) Bad("the rows' amounts do not add up to the net result");
    if (t.Wagered < static_cast<TExactInt>(deals) ||
        t.Wagered > static_cast<TExactInt>(deals) * (3 + kMaxPayout))
        Bad("the wagered sum is beyond the deals");
}

} // namespace kvarlen
