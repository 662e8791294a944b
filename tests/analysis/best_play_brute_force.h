// Best play by dealing everything out: every card an option can bring, every dealer hand, each
// deal settled by the simulation's settlement routine. Slow and plain on purpose.
#pragma once

#include "analysis/best_play.h"

#include <vector>

namespace kvarlen::test {

struct TBruteOption {
    TOptionKind Kind = TOptionKind::Pass;
    int First = 0, Second = 0;
    double Value = 0;
};

// The options in the order BestPlayOptions lists them. Each final hand is settled against every
// dealer hand: raise or pass, insured or not, the better taken.
std::vector<TBruteOption> BruteForceOptions(const TDeck& view, const THand& hand,
                                            const TCardRec& open, const TRules& rules,
                                            const TOptionRequest& request);

// How many comparisons BruteForceOptions would make (to keep the sampled cases affordable).
double BruteForceWork(const TDeck& view, const THand& hand, const TCardRec& open,
                      const TOptionRequest& request);

} // namespace kvarlen::test
