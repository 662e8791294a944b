// Card, hand and combination records shared by every part of the program.
#pragma once

#include <cstdint>
#include <string>

namespace kvarlen {

struct TCardRec {
    uint8_t Suit = 0;  // 1 spades, 2 clubs, 3 diamonds, 4 hearts; 0 = empty slot
    int32_t Value = 0; // 1 (ace) .. 13 (king); 0 = empty or taken; 14 only in comparison copies
    int32_t Mark = 0;  // 0 dealt, 1 bought sixth card, 2 received in an exchange
};

inline bool SameCard(const TCardRec& a, const TCardRec& b) {
    return a.Suit == b.Suit && a.Value == b.Value;
}

struct THand {
    TCardRec Cards[7]; // slots 1..6; element 0 unused
    uint8_t Count = 5;
    uint8_t Rank1 = 0;
    uint8_t Rank2 = 0;
    uint8_t DropIndex = 0;
    uint16_t Combo = 0;
    uint8_t Sorted = 0;
    uint16_t FoundBits = 0;
};

// Combination flags: a larger flag is a stronger hand.
constexpr uint16_t C_Empty = 1;
constexpr uint16_t C_AK = 2;
constexpr uint16_t C_Pair = 4;
constexpr uint16_t C_TwoPairs = 8;
constexpr uint16_t C_Trips = 16;
constexpr uint16_t C_Straight = 32;
constexpr uint16_t C_Flush = 64;
constexpr uint16_t C_FullHouse = 128;
constexpr uint16_t C_Quads = 256;
constexpr uint16_t C_StraightFlush = 512;
constexpr uint16_t C_Royal = 1024;

// "A " .. "K ": two characters, the ten is "10". Values outside 1..14 give "  "; 14 is the ace.
std::string ValueText(int value);
// "Пик  ", "Треф ", "Бубен", "Черв " (UTF-8, five characters).
std::string SuitName(int suit);
// Report text of a card: value text followed by suit name.
std::string CardText(const TCardRec& card);

// History table card: letter from "A23456789XJQKA" and the suit digit, e.g. "X4".
std::string HistoryCardText(const TCardRec& card);
// History table rank letter for a rank key 1..14 (14 = ace); 0 or out of range gives "".
std::string RankLetter(int rank);

} // namespace kvarlen
