// Small helpers shared by the card tests.
#pragma once

#include "cards/hand.h"

#include <string>

namespace kvarlen::test {

// "AH KS XC 3C XD" -> a hand of that many cards, unclassified.
inline THand MakeHand(const std::string& cards) {
    THand h;
    const auto v = ParseCards(cards);
    h.Count = static_cast<uint8_t>(v.size());
    for (size_t i = 0; i < v.size(); ++i) h.Cards[i + 1] = v[i];
    return h;
}

inline THand Classified(const std::string& cards, bool ak = true) {
    THand h = MakeHand(cards);
    EvaluateHand(h, ak);
    return h;
}

} // namespace kvarlen::test
