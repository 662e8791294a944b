#include "cards/card.h"

namespace kvarlen {

namespace {
const char* const kValueTexts = "A 2 3 4 5 6 7 8 9 10J Q K ";
const char* const kSuitNames[5] = {"     ", "Пик  ", "Треф ", "Бубен", "Черв "};
const char* const kHistoryLetters = "A23456789XJQKA";
} // namespace

std::string ValueText(int value) {
    if (value == 14) value = 1;
    if (value < 1 || value > 13) return "  ";
    return std::string(kValueTexts + 2 * (value - 1), 2);
}

std::string SuitName(int suit) {
    if (suit < 1 || suit > 4) return kSuitNames[0];
    return kSuitNames[suit];
}

std::string CardText(const TCardRec& card) {
    return ValueText(card.Value) + SuitName(card.Suit);
}

std::string RankLetter(int rank) {
    if (rank < 1 || rank > 14) return "";
    return std::string(1, kHistoryLetters[rank - 1]);
}

std::string HistoryCardText(const TCardRec& card) {
    return RankLetter(card.Value) + std::to_string(static_cast<int>(card.Suit));
}

} // namespace kvarlen
