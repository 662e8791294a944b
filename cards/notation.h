// Card notation of the command line: value letter from A23456789XJQK ("10" for the ten too)
// followed by the suit letter S C D H, case-insensitive, e.g. "XS" is the ten of spades.
#pragma once

#include "cards/card.h"

#include <stdexcept>
#include <string>
#include <vector>

namespace kvarlen {

class NotationError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Throws NotationError naming the text when it is not a card.
TCardRec ParseCard(const std::string& text);
// Cards separated by blanks or commas; an empty text gives no cards.
std::vector<TCardRec> ParseCards(const std::string& text);
// "XS", "AH", ...
std::string CardNotation(const TCardRec& card);

} // namespace kvarlen
