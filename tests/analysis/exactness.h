// The exactness check shared by the quick and the long tests.
#pragma once

#include "layout_samples.h"

namespace kvarlen::test {

// Every counter, the tally and the raise value of a layout against dealing out every dealer
// hand (gtest expectations).
void ExpectExact(const TSample& s);
ClassOutcome RunCounter(int ordinal, const TDeck& deck, const ValueCounts& vc, const TCardRec& open,
                        const THand& hand);

} // namespace kvarlen::test
