#include "cards/notation.h"

#include "cards/numfmt.h"

#include <cctype>

namespace kvarlen {

namespace {
const char* const kValueLetters = "A23456789XJQK";
const char* const kSuitLetters = "SCDH";
} // namespace

TCardRec ParseCard(const std::string& text) {
    std::string t;
    for (char c : text) t += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    auto fail = [&]() -> TCardRec {
        throw NotationError("'" + ShortText(text) +
                            "' is not a card (write a value A 2-9 X J Q K and a suit S C D H, "
                            "for example XS)");
    };
    if (t.size() == 3 && t[0] == '1' && t[1] == '0') t = "X" + t.substr(2);
    if (t.size() != 2) return fail();
    int value = 0, suit = 0;
    for (int v = 0; v < 13; ++v)
        if (t[0] == kValueLetters[v]) value = v + 1;
    if (t[0] == 'T') value = 10;
    for (int s = 0; s < 4; ++s)
        if (t[1] == kSuitLetters[s]) suit = s + 1;
    if (value == 0 || suit == 0) return fail();
    TCardRec c;
    c.Suit = static_cast<uint8_t>(suit);
    c.Value = value;
    return c;
}

std::vector<TCardRec> ParseCards(const std::string& text) {
    std::vector<TCardRec> cards;
    std::string cur;
    auto flush = [&]() {
        if (!cur.empty()) cards.push_back(ParseCard(cur));
        cur.clear();
    };
    for (char c : text) {
        if (c == ' ' || c == ',' || c == '\t' || c == ';')
            flush();
        else
            cur += c;
    }
    flush();
    return cards;
}

std::string CardNotation(const TCardRec& card) {
    if (card.Value < 1 || card.Value > 13 || card.Suit < 1 || card.Suit > 4) return "??";
    return std::string(1, kValueLetters[card.Value - 1]) + kSuitLetters[card.Suit - 1];
}

} // namespace kvarlen
