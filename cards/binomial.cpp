#include "cards/binomial.h"

namespace kvarlen {

int64_t Binomial(int n, int k) {
    if (n < k || k < 0) return 0;
    if (k == 0) return 1;
    int64_t num = 1;
    int64_t den = 1;
    for (int i = 0; i < k; ++i) {
        num *= static_cast<int64_t>(n - i);
        den *= static_cast<int64_t>(i + 1);
    }
    // The quotient is a whole number and exact in extended precision for the k the program uses.
    const long double q = static_cast<long double>(num) / static_cast<long double>(den);
    return static_cast<int64_t>(q);
}

namespace {
TBinomialTable BuildTable() {
    TBinomialTable t{};
    // Pascal's triangle modulo 2^32: exact wherever C(n, k) fits in 32 bits.
    for (int n = 0; n <= 52; ++n)
        for (int k = 0; k <= 52; ++k) {
            uint32_t v;
            if (k > n)
                v = 0;
            else if (k == 0 || k == n)
                v = 1;
            else
                v = static_cast<uint32_t>(t.Entry[n - 1][k - 1]) +
                    static_cast<uint32_t>(t.Entry[n - 1][k]);
            t.Entry[n][k] = static_cast<int32_t>(v);
        }
    return t;
}
} // namespace

const TBinomialTable& BinomialTable() {
    static const TBinomialTable table = BuildTable();
    return table;
}

} // namespace kvarlen
