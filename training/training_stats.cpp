#include "training/training_stats.h"

#include "cards/classify.h"

#include <algorithm>

namespace kvarlen::training {

void TCostTally::Add(const TJudgement& j) {
    ++Decisions;
    if (j.Mistake()) ++Mistakes;
    Cost += j.Cost;
}

void TSessionStats::AddDeal(const TDealRecord& deal) {
    ++Deals;
    Net += deal.Result;
    ShadowNet += deal.ShadowResult;
    for (const TBoxPlay& b : deal.Boxes) BestExpected += b.BestValue;
    for (const TJudgement& j : deal.Judgements) {
        All.Add(j);
        ByKind[static_cast<size_t>(j.Kind)].Add(j);
        ByClass[static_cast<size_t>(ComboOrdinal(j.DealtCombo))].Add(j);
        if (!j.Mistake()) continue;
        // Dearest first; of two equal costs the earlier stays ahead.
        auto at = std::upper_bound(
            Costliest.begin(), Costliest.end(), j,
            [](const TJudgement& a, const TJudgement& b) { return a.Cost > b.Cost; });
        if (static_cast<size_t>(at - Costliest.begin()) >= kCostliestKept) continue;
        Costliest.insert(at, j);
        if (Costliest.size() > kCostliestKept) Costliest.pop_back();
    }
}

} // namespace kvarlen::training
