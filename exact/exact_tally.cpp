#include "exact/exact_tally.h"

#include <algorithm>
#include <stdexcept>

namespace kvarlen {

void TExactTally::AddLayout(const TExactLayoutCounts& c, int multiplicity) {
    const int64_t m = multiplicity;
    ++Layouts;
    PlainLayouts += static_cast<uint64_t>(m);
    for (int r = 0; r < kExactRows; ++r) {
        RowDeals[r] += static_cast<uint64_t>(c.RowDeals[r] * m);
        RowAmount[r] += static_cast<TExactInt>(c.RowAmount[r]) * m;
    }
    for (int k = 0; k < kPriceKinds; ++k) {
        PricedDeals[k] += static_cast<uint64_t>(c.PricedDeals[k] * m);
        PricedSum[k] += static_cast<TExactInt>(c.PricedSum[k]) * m;
        PricedSquares[k] +=
            static_cast<TExactUInt>(c.PricedSquares[k]) * static_cast<TExactUInt>(m);
    }
    Raised += static_cast<uint64_t>(c.Raised * m);
    Passed += static_cast<uint64_t>(c.Passed * m);
    Insured += static_cast<uint64_t>(c.Insured * m);
    Wagered += static_cast<TExactInt>(c.Wagered) * m;
    TExactCell& cell = Chart[c.DealtClass][c.OpenValue][c.Decision];
    cell.Deals += static_cast<uint64_t>(c.Deals() * m);
    cell.Sum += static_cast<TExactInt>(c.Sum()) * m;
}

void TExactTally::Add(const TExactTally& o) {
    Layouts += o.Layouts;
    PlainLayouts += o.PlainLayouts;
    for (int r = 0; r < kExactRows; ++r) {
        RowDeals[r] += o.RowDeals[r];
        RowAmount[r] += o.RowAmount[r];
    }
    for (int k = 0; k < kPriceKinds; ++k) {
        PricedDeals[k] += o.PricedDeals[k];
        PricedSum[k] += o.PricedSum[k];
        PricedSquares[k] += o.PricedSquares[k];
    }
    Raised += o.Raised;
    Passed += o.Passed;
    Insured += o.Insured;
    Wagered += o.Wagered;
    for (int c = 0; c < 12; ++c)
        for (int v = 0; v < 14; ++v)
            for (int d = 0; d < kDecisions; ++d) {
                Chart[c][v][d].Deals += o.Chart[c][v][d].Deals;
                Chart[c][v][d].Sum += o.Chart[c][v][d].Sum;
            }
}

bool TExactTally::operator==(const TExactTally& o) const {
    if (Layouts != o.Layouts || PlainLayouts != o.PlainLayouts || Raised != o.Raised ||
        Passed != o.Passed || Insured != o.Insured || Wagered != o.Wagered)
        return false;
    for (int r = 0; r < kExactRows; ++r)
        if (RowDeals[r] != o.RowDeals[r] || RowAmount[r] != o.RowAmount[r]) return false;
    for (int k = 0; k < kPriceKinds; ++k)
        if (PricedDeals[k] != o.PricedDeals[k] || PricedSum[k] != o.PricedSum[k] ||
            PricedSquares[k] != o.PricedSquares[k])
            return false;
    for (int c = 0; c < 12; ++c)
        for (int v = 0; v < 14; ++v)
            for (int d = 0; d < kDecisions; ++d)
                if (Chart[c][v][d].Deals != o.Chart[c][v][d].Deals ||
                    Chart[c][v][d].Sum != o.Chart[c][v][d].Sum)
                    return false;
    return true;
}

std::string ToDecimal(TExactUInt v) {
    if (v == 0) return "0";
    std::string s;
    while (v > 0) {
        s += static_cast<char>('0' + static_cast<int>(v % 10));
        v /= 10;
    }
    std::reverse(s.begin(), s.end());
    return s;
}

std::string ToDecimal(TExactInt v) {
    if (v < 0) return "-" + ToDecimal(static_cast<TExactUInt>(-(v + 1)) + 1);
    return ToDecimal(static_cast<TExactUInt>(v));
}

TExactInt ParseExactInt(const std::string& text) {
    size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    if (i >= text.size() || text.size() - i > 38)
        throw std::invalid_argument("'" + text + "' is not an integer");
    TExactInt v = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9')
            throw std::invalid_argument("'" + text + "' is not an integer");
        v = v * 10 + (text[i] - '0');
    }
    return negative ? -v : v;
}

} // namespace kvarlen
