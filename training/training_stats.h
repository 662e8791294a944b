// What the training table records: each judged decision with its layout, each deal with its
// settlement and its shadow, and the session's statistics built from them.
#pragma once

#include "training/judge.h"

#include <array>
#include <cstdint>
#include <vector>

namespace kvarlen::training {

// One answer and its judgement, with the layout it was priced on.
struct TJudgement {
    int64_t Deal = 0;
    int Box = 0;
    int Seq = 0; // order of the answer within the deal, from 1
    TDecisionKind Kind = TDecisionKind::Draw;
    TPricedDecision Priced;
    int Chosen = 0;
    double Cost = 0; // best value minus the chosen one; 0 within kMistakeCost
    bool TakenBack = false;
    // The layout: the box's hand at the decision, its dealt class, the open card, the view
    // priced on (the received card out at raise and insurance) and the card received.
    THand Hand;
    uint16_t DealtCombo = 0;
    TCardRec Open;
    TDeck View;
    TCardRec Received;
    int DrawnSlot = 0;

    bool Mistake() const { return Cost > kMistakeCost; }
    const TOptionValue& Choice() const { return Priced.Options[static_cast<size_t>(Chosen)]; }
};

// How one box played a deal.
struct TBoxPlay {
    THand Dealt;
    THand Final;
    int DrawnSlot = 0; // 0 kept, 1..5 exchanged, 6 bought
    TCardRec Received;
    bool Raise = false;
    int32_t Insurance = 0;
    double Result = 0; // net, in antes
    uint8_t Outcome = 0;
    double BestValue = 0; // the best value at the box's first decision
};

struct TDealRecord {
    int64_t Number = 0; // played deal of the session, from 1
    THand Dealer;
    std::vector<TCardRec> Next; // each box's next card, boxes 1..
    std::vector<TBoxPlay> Boxes;
    std::vector<TBoxPlay> Shadow;
    std::vector<TJudgement> Judgements;
    double Result = 0;
    double ShadowResult = 0;
    double BestExpected = 0;
    double Cost = 0;
    double Expected() const { return BestExpected - Cost; }
};

struct TCostTally {
    int64_t Decisions = 0;
    int64_t Mistakes = 0;
    double Cost = 0;
    void Add(const TJudgement& j);
    double MistakeShare() const { return Decisions > 0 ? double(Mistakes) / Decisions : 0.0; }
};

constexpr size_t kCostliestKept = 10;

struct TSessionStats {
    int64_t Deals = 0;
    double Net = 0;
    double ShadowNet = 0;
    double BestExpected = 0;
    TCostTally All;
    std::array<TCostTally, kDecisionKinds> ByKind{};
    std::array<TCostTally, 11> ByClass{}; // by the deciding box's dealt class, 0 no game .. 10
    std::vector<TJudgement> Costliest;    // the dearest mistakes, dearest first

    // By definition: the best expected net less what the decisions cost.
    double ExpectedNet() const { return BestExpected - All.Cost; }
    double AverageCost() const { return Deals > 0 ? All.Cost / Deals : 0.0; }
    void AddDeal(const TDealRecord& deal);
};

} // namespace kvarlen::training
