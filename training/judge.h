// The judge of the training table: every legal option of one decision valued by best play on
// the box's view, the best one named, and what a choice costs against it.
#pragma once

#include "analysis/best_play.h"

#include <cstdint>
#include <string>
#include <vector>

namespace kvarlen::training {

// A cost up to this is no mistake: values that agree but for rounding.
constexpr double kMistakeCost = 1e-9;

// (a) keep, exchange or buy; (b) raise or pass on the final hand; (c) insure or not.
enum class TDecisionKind : uint8_t { Draw, RaisePass, Insurance };
constexpr int kDecisionKinds = 3;
// "draw", "raise", "insurance": the names in the history and the JSON.
const char* DecisionKindCode(TDecisionKind kind);
bool ParseDecisionKind(const std::string& code, TDecisionKind& kind);

struct TOptionValue {
    std::string Key;  // what the player types: "0", "1".."5", "B", "R", "P", "I", "N"
    std::string Code; // "keep", "exchange 3", "buy", "raise", "pass", "insure", "no insurance"
    double Value = 0; // expected result in antes from this decision on
};

struct TPricedDecision {
    TDecisionKind Kind = TDecisionKind::Draw;
    std::vector<TOptionValue> Options;
    int Best = -1;
    const TOptionValue& BestOption() const { return Options[static_cast<size_t>(Best)]; }
    // The option of a key, -1 when the key is not one of them (keys are upper case).
    int Find(const std::string& key) const;
    // Best value minus the option's value, 0 when within kMistakeCost.
    double CostOf(int option) const;
};

// (a) on the dealt hand and its view: keep (the better of pass and raise as dealt, with the best
// insurance), each exchange and the purchase the rules allow, by BestPlayOptions. table (when
// given) receives the options as BestPlayOptions gave them.
TPricedDecision PriceDraw(const TDeck& view, const THand& hand, const TCardRec& open,
                          const TRules& rules, TOptionTable* table = nullptr);
// The same from a table BestPlayOptions made on the box's view with the rules' request.
TPricedDecision PriceDraw(const TOptionTable& table, const TRules& rules);

// The best continuation of a final hand on its view (the received card out).
TContinuation FinalContinuation(const TDeck& view, const THand& hand, const TCardRec& open,
                                const TRules& rules);
// (b): pass -1, raise its value, both with the best insurance when it pays; a price paid
// before is sunk.
TPricedDecision PriceRaise(const TContinuation& c);
// (c): insure I (2q - 1), no insurance 0; only when the insurance is offered.
TPricedDecision PriceInsurance(const TContinuation& c);

// Whether the rules give the box decision (a).
inline bool DrawsAllowed(const TRules& rules) {
    return rules.Exchange1 || rules.Buy6;
}

} // namespace kvarlen::training
