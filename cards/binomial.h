// Binomial coefficients: the direct computation and the table built once.
#pragma once

#include <cstdint>

namespace kvarlen {

// C(n, k) from 64-bit products divided in extended floating point; 0 when n < k.
int64_t Binomial(int n, int k);

// The 53 x 53 table of C(n, k) for n, k in 0..52, kept in 32 bits (large entries wrap and are
// never consulted). Built on first use, read-only afterwards.
struct TBinomialTable {
    int32_t Entry[53][53];
};
const TBinomialTable& BinomialTable();

// Table lookup widened to 64 bits.
inline int64_t BinomialLookup(int n, int k) {
    if (n < 0 || k < 0 || n > 52 || k > 52) return 0;
    return BinomialTable().Entry[n][k];
}

} // namespace kvarlen
