// Hand sorting, classification into combinations with rank keys, and the combination tables.
#pragma once

#include "cards/card.h"

#include <cstdint>
#include <string>

namespace kvarlen {

// Ascending exchange sort of slots 1..Count by Value (ace = 1 lowest); sets Sorted.
void SortByValue(THand& hand);
// The same loops with the ace above every other value; Sorted is left alone.
void SortAceHigh(THand& hand);
// Moves the non-empty slots to the top slots keeping their order.
void PackCards(THand& hand);

// Classifies the hand in place and returns its combination flag. Fills Combo, Rank1, Rank2,
// FoundBits and, for six cards, DropIndex. A six-card hand is left sorted ascending; a five-card
// hand keeps its slot order. akPlays: ace + king counts as a combination.
uint16_t EvaluateHand(THand& hand, bool akPlays);
// Like EvaluateHand but recognises only straights, straight flushes and royals.
uint16_t EvaluateStraight(THand& hand, bool akPlays);
// Rank keys of an ace + king hand: the two highest cards that are neither ace nor king.
void SetAKKickers(THand& hand);

// Ten-character names ("Пара      "); a flag outside the table leaves text unchanged.
void ComboName(uint16_t flag, std::string& text);
std::string ComboName(uint16_t flag);
// 1..11 for C_Empty..C_Royal, 0 for anything else.
int ComboIndex(uint16_t flag);
// 0..10 for C_Empty..C_Royal, 0 for anything else.
int ComboOrdinal(uint16_t flag);
// The flag whose ComboIndex is index (1..11), 0 outside.
uint16_t ComboFromIndex(int index);

namespace detail {
// The step-by-step five-card classifier, used for hands of other than five or six cards.
uint16_t EvaluateFiveStepwise(THand& hand, bool akPlays, bool straightsOnly);
// Tie-break key of a classified five-card hand: within one combination a larger key is the
// better hand, exactly as the comparison decides. values are the five stored values in slot
// order (ace = 1).
uint32_t CompareKey(uint16_t combo, int rank1, int rank2, const int values[5]);
} // namespace detail

} // namespace kvarlen
