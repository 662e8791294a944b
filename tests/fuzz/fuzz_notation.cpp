// libFuzzer target: card lists as the command line reads them. A card that parses prints back
// as the same card; anything else is a NotationError, never a crash.
#include "cards/notation.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    try {
        for (const kvarlen::TCardRec& c : kvarlen::ParseCards(text)) {
            if (c.Value < 1 || c.Value > 13 || c.Suit < 1 || c.Suit > 4) std::abort();
            const kvarlen::TCardRec back = kvarlen::ParseCard(kvarlen::CardNotation(c));
            if (back.Value != c.Value || back.Suit != c.Suit) std::abort();
        }
    } catch (const kvarlen::NotationError& e) {
        // Messages quote the text cut short.
        if (std::string(e.what()).size() > 200) std::abort();
    }
    return 0;
}
