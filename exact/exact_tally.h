// Exact integer tallies of the whole game: the return table's rows, the sums behind the mean and
// the variance, how often each decision is taken, and the decision chart. Every field is an
// integer; parts of a run add up field by field.
#pragma once

#include <cstdint>
#include <string>

namespace kvarlen {

__extension__ using TExactInt = __int128;
__extension__ using TExactUInt = unsigned __int128;

// Rows of the return table. Rows 0..13 split the deal space: every deal ends in exactly one of
// them. The insurance rows and the costs are side events of some of those deals.
enum TExactRow : int {
    kRowPassed = 0,
    kRowNoGame = 1,
    kRowWinFirst = 2, // box wins with ace + king (2) .. royal flush (11)
    kRowWinLast = 11,
    kRowPush = 12,
    kRowDealerWins = 13,
    kRowInsurancePaid = 14,
    kRowInsuranceLost = 15,
    kRowBuyCost = 16,
    kRowExchangeCost = 17,
    kExactRows = 18
};
constexpr int kOutcomeRows = 14;
// The win row of a combination ordinal 1 (ace + king) .. 10 (royal flush).
constexpr int WinRow(int ordinal) {
    return kRowWinFirst + ordinal - 1;
}

// What a deal paid besides its integer stakes: nothing, a purchase or an exchange.
enum TPriceKind : int { kPriceNone = 0, kPriceBuy = 1, kPriceExchange = 2, kPriceKinds = 3 };

// The decision taken on the dealt hand, for the chart.
enum TExactDecision : int {
    kDecisionPass = 0,
    kDecisionRaise = 1,
    kDecisionBuy = 2,
    kDecisionExchange = 3,
    kDecisions = 4
};

// Result of a deal without the price it paid: an integer number of antes.
struct TExactLayoutCounts {
    int64_t RowDeals[kExactRows] = {};
    int64_t RowAmount[kExactRows] = {}; // antes won (negative: lost); the cost rows keep 0
    int64_t PricedDeals[kPriceKinds] = {};
    int64_t PricedSum[kPriceKinds] = {};
    int64_t PricedSquares[kPriceKinds] = {};
    int64_t Raised = 0, Passed = 0, Insured = 0;
    int64_t Wagered = 0; // ante, raise and insurance
    int Decision = kDecisionPass;
    int DealtClass = 1; // ComboIndex of the dealt five cards, 1..11
    int OpenValue = 1;

    int64_t Deals() const { return PricedDeals[0] + PricedDeals[1] + PricedDeals[2]; }
    int64_t Sum() const { return PricedSum[0] + PricedSum[1] + PricedSum[2]; }
};

struct TExactCell {
    uint64_t Deals = 0;
    TExactInt Sum = 0; // integer results of those deals, prices left out
};

struct TExactTally {
    uint64_t Layouts = 0;      // canonical layouts counted
    uint64_t PlainLayouts = 0; // the layouts they stand for
    uint64_t RowDeals[kExactRows] = {};
    TExactInt RowAmount[kExactRows] = {};
    uint64_t PricedDeals[kPriceKinds] = {};
    TExactInt PricedSum[kPriceKinds] = {};
    TExactUInt PricedSquares[kPriceKinds] = {};
    uint64_t Raised = 0, Passed = 0, Insured = 0;
    TExactInt Wagered = 0;
    // [dealt class 1..11][open value 1..13][decision]
    TExactCell Chart[12][14][kDecisions] = {};

    uint64_t Deals() const { return PricedDeals[0] + PricedDeals[1] + PricedDeals[2]; }
    uint64_t Bought() const { return PricedDeals[kPriceBuy]; }
    uint64_t Exchanged() const { return PricedDeals[kPriceExchange]; }

    // One canonical layout standing for `multiplicity` layouts.
    void AddLayout(const TExactLayoutCounts& c, int multiplicity);
    void Add(const TExactTally& other);
    bool operator==(const TExactTally& other) const;
};

// Decimal text of a 128-bit integer, and back (throws std::invalid_argument).
std::string ToDecimal(TExactInt v);
std::string ToDecimal(TExactUInt v);
TExactInt ParseExactInt(const std::string& text);

} // namespace kvarlen
