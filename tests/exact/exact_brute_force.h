// The straightforward count of one layout: every card a purchase or an exchange can bring and
// every hand of four closed cards the dealer can hold dealt out one by one, classified, and
// settled by the simulation's own settlement. The decisions are taken as the simulations take
// them.
#pragma once

#include "exact/exact_layout_eval.h"

#include <string>

namespace kvarlen::test {

TExactLayoutCounts BruteForceLayout(const THand& box, const TCardRec& open,
                                    const TExactConfig& cfg);

// "AS KD 9C 5H 3S" into a five-card hand (slots 1..5 in the order written).
THand FiveCards(const std::string& cards);

// gtest expectations: every field of the two counts equal.
void ExpectSameCounts(const TExactLayoutCounts& fast, const TExactLayoutCounts& slow,
                      const std::string& what);

} // namespace kvarlen::test
