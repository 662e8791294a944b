#include "training/judge.h"

#include <algorithm>

namespace kvarlen::training {

const char* DecisionKindCode(TDecisionKind kind) {
    switch (kind) {
    case TDecisionKind::Draw:
        return "draw";
    case TDecisionKind::RaisePass:
        return "raise";
    case TDecisionKind::Insurance:
        return "insurance";
    }
    return "";
}

bool ParseDecisionKind(const std::string& code, TDecisionKind& kind) {
    for (int k = 0; k < kDecisionKinds; ++k)
        if (code == DecisionKindCode(static_cast<TDecisionKind>(k))) {
            kind = static_cast<TDecisionKind>(k);
            return true;
        }
    return false;
}

int TPricedDecision::Find(const std::string& key) const {
    for (size_t i = 0; i < Options.size(); ++i)
        if (Options[i].Key == key) return static_cast<int>(i);
    return -1;
}

double TPricedDecision::CostOf(int option) const {
    const double cost = BestOption().Value - Options[static_cast<size_t>(option)].Value;
    return cost > kMistakeCost ? cost : 0.0;
}

TPricedDecision PriceDraw(const TOptionTable& table, const TRules& rules) {
    (void)rules;
    TPricedDecision d;
    d.Kind = TDecisionKind::Draw;
    // Keeping plays on as dealt: the better of pass and raise, each with its best insurance.
    d.Options.push_back({"0", "keep", std::max(table.Options[0].Value, table.Options[1].Value)});
    int best = 0;
    for (size_t i = 2; i < table.Options.size(); ++i) {
        const TPlayOption& o = table.Options[i];
        if (o.Kind == TOptionKind::Exchange1)
            d.Options.push_back({std::to_string(o.First), OptionCode(o), o.Value});
        else if (o.Kind == TOptionKind::Buy)
            d.Options.push_back({"B", OptionCode(o), o.Value});
        else
            continue;
        if (static_cast<int>(i) == table.Best) best = static_cast<int>(d.Options.size()) - 1;
    }
    // Best play breaks ties towards the simpler option; pass or raise there means keeping.
    d.Best = best;
    return d;
}

TPricedDecision PriceDraw(const TDeck& view, const THand& hand, const TCardRec& open,
                          const TRules& rules, TOptionTable* table) {
    TOptionTable t = BestPlayOptions(view, hand, open, rules, RulesRequest(rules));
    TPricedDecision d = PriceDraw(t, rules);
    if (table) *table = std::move(t);
    return d;
}

TContinuation FinalContinuation(const TDeck& view, const THand& hand, const TCardRec& open,
                                const TRules& rules) {
    // No draw requested: the table is pass and raise on this hand, dealt out by best play.
    return BestPlayOptions(view, hand, open, rules, TOptionRequest{}).DealtContinuation;
}

TPricedDecision PriceRaise(const TContinuation& c) {
    TPricedDecision d;
    d.Kind = TDecisionKind::RaisePass;
    const double insurance = c.Insurance > 0 ? c.InsuranceValue : 0.0;
    d.Options.push_back({"R", "raise", c.RaiseValue + insurance});
    d.Options.push_back({"P", "pass", -1.0 + insurance});
    // Pass wins a tie, as best play decides it.
    d.Best = c.Raise ? 0 : 1;
    return d;
}

TPricedDecision PriceInsurance(const TContinuation& c) {
    TPricedDecision d;
    d.Kind = TDecisionKind::Insurance;
    d.Options.push_back({"I", "insure", c.InsuranceValue});
    d.Options.push_back({"N", "no insurance", 0.0});
    d.Best = c.Insurance > 0 ? 0 : 1;
    return d;
}

} // namespace kvarlen::training
