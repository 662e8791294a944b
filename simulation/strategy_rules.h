// The fixed rules of strategy play: buying a sixth card, raising, insurance and asking for the
// dealer's game, with the hand tests they rest on. All are pure functions of their arguments.
#pragma once

#include "cards/hand.h"
#include "simulation/box.h"

#include <cstdint>

namespace kvarlen {

// Buy decision bits: "rule1" = bit 0 .. "rule9" = bit 8.
constexpr int32_t kRule1 = 1, kRule2 = 2, kRule3 = 4, kRule4 = 8, kRule5 = 16, kRule6 = 32,
                  kRule7 = 64, kRule8 = 128, kRule9 = 256;

// Distance from value a to value b with the ace at both ends (negative when b < a).
int RankGap(int a, int b);
// Suit 1..4 held by exactly four cards, else 0 (five of a suit give 0).
int FourFlushSuit(const THand& hand);
bool HasJackOrQueen(const THand& hand);
// At least n cards with a Value above `value`; an ace never counts.
bool CountHigherThan(int n, const THand& hand, int value);

struct TStraightDraw {
    bool Found = false;
    int CompletingRank = 0; // meaningful only when Found
};
// Four different values within a span of five in a five-card hand (a made straight is none).
TStraightDraw StraightDraw(const THand& hand);
// Rank1 of the straight made by adding a card of `value` to the five cards, else -1.
int StraightRankWithCard(const THand& hand, int value, const TRules& rules);
// Open-ended or double-gutshot straight draw in a five-card hand.
bool ThereIs2HoleStraight(const THand& hand);

// Buy decision of a team of one box / of two or three boxes; m is the count of matches.
int32_t BuyRulesSolo(const THand& hand, const TCardRec& open, int m, const TRules& rules);
int32_t BuyRulesTeam(const THand& hand, const TCardRec& open, int m, const TRules& rules);

// Raise decisions for teams of one, two and three boxes. raiseAt2Matches is the
// "RAISE при 2 вскрышках" option.
bool RaiseRuleOne(const THand& hand, const TCardRec& open, int m, bool raiseAt2Matches);
bool RaiseRuleTwo(const THand& hand, const TCardRec& open, int m, bool raiseAt2Matches);
bool RaiseRuleThree(const THand& hand, const TCardRec& open, int m, bool raiseAt2Matches);
// The rule of a team of teamSize boxes (1..3).
bool RaiseRuleFor(int teamSize, const THand& hand, const TCardRec& open, int m,
                  bool raiseAt2Matches);

// Insurance sum for a box of combination `flag` (0 = none).
int32_t InsuranceRule(uint16_t flag, int m, const TRules& rules);
// Whether the rule insures such a box; the sum is then the class's payout.
bool InsuranceRuleTakes(uint16_t flag, int m, const TRules& rules);

// Slot 1..5 of the dealer card replaced when a game is bought for him (mode 1 or 2).
int DealerDiscardSlot(const THand& dealer, const TRules& rules);
// Pairs (team card, dealer card) of equal value, over every card of boxes 1..teamSize and the
// dealer's (box 0) cards other than slot `discardSlot`.
int DeadOuts(const TBoxes& boxes, int teamSize, int discardSlot);
// The box asks for the dealer's game.
bool DealerGameRule(uint16_t flag, int deadOuts);

} // namespace kvarlen
