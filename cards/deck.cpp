#include "cards/deck.h"

#include <stdexcept>
#include <time.h>

namespace kvarlen {

void TDeck::Reset() {
    Cards[0] = TCardRec{};
    for (int s = 1; s <= 4; ++s)
        for (int v = 1; v <= 13; ++v) {
            TCardRec& c = Cards[DeckIndex(s, v)];
            c.Suit = static_cast<uint8_t>(s);
            c.Value = v;
            c.Mark = 0;
        }
}

int TDeck::UnseenCount() const {
    int n = 0;
    for (int i = 1; i <= 52; ++i) n += Cards[i].Value > 0 ? 1 : 0;
    return n;
}

TCardRec GetDeckCard(const TDeck& deck, int index) {
    TCardRec r;
    r.Suit = deck[index].Suit;
    r.Value = deck[index].Value;
    return r;
}

void TGenerator::SeedMyRandom(uint32_t ticks) {
    RandomSeed = static_cast<int64_t>(ticks);
    if (RandomSeed % 2147483647 == 0) RandomSeed = 1;
}

uint32_t TickCount() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    const uint64_t ms =
        static_cast<uint64_t>(ts.tv_sec) * 1000u + static_cast<uint64_t>(ts.tv_nsec / 1000000);
    return static_cast<uint32_t>(ms);
}

TCardRec DrawCard(TDeck& deck, TGenerator& gen) {
    int misses = 0;
    for (;;) {
        const int i = 1 + gen.Next(52);
        TCardRec& e = deck[i];
        if (e.Value > 0) {
            TCardRec r;
            r.Suit = e.Suit;
            r.Value = e.Value;
            e.Value = 0;
            return r;
        }
        // Rejection sampling: only an empty deck can miss this often.
        if (++misses == 100000 && deck.UnseenCount() == 0)
            throw std::logic_error("DrawCard: no card is left in the deck");
    }
}

} // namespace kvarlen
