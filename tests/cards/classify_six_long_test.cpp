#include "six_check.h"

#include <gtest/gtest.h>

namespace kvarlen {
namespace {

TEST(ClassifySixLong, AllSixCardHands) {
    int idx[6];
    long long n = 0;
    for (idx[0] = 1; idx[0] <= 47; ++idx[0])
        for (idx[1] = idx[0] + 1; idx[1] <= 48; ++idx[1])
            for (idx[2] = idx[1] + 1; idx[2] <= 49; ++idx[2])
                for (idx[3] = idx[2] + 1; idx[3] <= 50; ++idx[3])
                    for (idx[4] = idx[3] + 1; idx[4] <= 51; ++idx[4])
                        for (idx[5] = idx[4] + 1; idx[5] <= 52; ++idx[5]) {
                            THand h;
                            h.Count = 6;
                            for (int i = 0; i < 6; ++i) {
                                const int k = idx[(i + idx[5]) % 6];
                                h.Cards[i + 1].Suit = static_cast<uint8_t>((k - 1) / 13 + 1);
                                h.Cards[i + 1].Value = (k - 1) % 13 + 1;
                            }
                            ASSERT_NO_FATAL_FAILURE(test::CheckSix(h, (++n & 1) != 0));
                        }
    EXPECT_EQ(n, 20358520);
}

} // namespace
} // namespace kvarlen
