// The team and dealer records of a simulation run.
#pragma once

#include "cards/hand.h"

#include <array>
#include <cstdint>

namespace kvarlen {

// Outcome of a box in one deal.
constexpr uint8_t kOutcomeNotSettled = 255;
constexpr uint8_t kOutcomeNoGame = 0; // raised, the dealer had no game
constexpr uint8_t kOutcomeWon = 1;
constexpr uint8_t kOutcomeLost = 2;
constexpr uint8_t kOutcomePush = 3;
constexpr uint8_t kOutcomePassed = 9; // ideal play only

// Card marks in a hand.
constexpr int32_t kMarkDealt = 0;
constexpr int32_t kMarkBought = 1;
constexpr int32_t kMarkExchanged = 2;

struct TBox {
    int32_t OwnMatches = 0;   // own cards of the open card's value (ideal play)
    int32_t KnownMatches = 0; // team cards of that value known in beacon mode
    THand Hand;
    double MOBuy = 0;
    double MOChange1 = 0;
    double MORaiseDealt = 0;
    double MORaiseFinal = 0;
    double MOCurrent = 0;
    double Bank = 0;
    double DealResult = 0;
    int32_t InitialBank = 0;
    int32_t BuyDecision = 0; // bit 0 = rule1 .. bit 8 = rule9; nonzero: buy a sixth card
    uint8_t ExchangeIndex = 0;
    bool Raise = false;
    bool WantsDealerGame = false;
    int32_t InsuranceSum = 0;
    // The cards the box treats as unseen (ideal play); an entry with Value 0 is known to it.
    TDeck DeckView;
    uint8_t Outcome = kOutcomeNotSettled;
};

// Box 0 is the dealer, boxes 1..TeamSize the team.
constexpr int kMaxTeamSize = 3;
using TBoxes = std::array<TBox, kMaxTeamSize + 1>;

// The per-deal reset of a box: ante paid, hand emptied to five dealt slots, decisions cleared.
inline void ResetBoxForDeal(TBox& box) {
    box.DealResult = -1;
    box.Outcome = kOutcomeNotSettled;
    box.Hand.Rank1 = 0;
    box.Hand.Rank2 = 0;
    box.Hand.DropIndex = 0;
    box.Hand.Combo = 0;
    box.Hand.Sorted = 0;
    box.Hand.Count = 5;
    box.Hand.Cards[6] = TCardRec{};
    box.BuyDecision = 0;
    box.InsuranceSum = 0;
    box.Raise = false;
    box.WantsDealerGame = false;
    box.OwnMatches = 0;
    box.KnownMatches = 0;
    box.ExchangeIndex = 0;
    box.MOBuy = 0;
    box.MOChange1 = 0;
    box.MORaiseDealt = 0;
    box.MORaiseFinal = 0;
    box.MOCurrent = 0;
}

// True when a card of the hand was bought or received in an exchange.
inline bool HandHasDrawnCard(const THand& hand) {
    for (int i = 1; i <= hand.Count; ++i)
        if (hand.Cards[i].Mark == kMarkBought || hand.Cards[i].Mark == kMarkExchanged) return true;
    return false;
}

} // namespace kvarlen
