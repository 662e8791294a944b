// The 52-card deck, the card generators and the random card draw.
#pragma once

#include "cards/card.h"

#include <array>
#include <cstdint>
#include <random>

namespace kvarlen {

// Entry number of a card: spades 1..13, clubs 14..26, diamonds 27..39, hearts 40..52.
constexpr int DeckIndex(int suit, int value) {
    return (suit - 1) * 13 + value;
}

// Entries 1..52; an entry whose Value is 0 is taken (dealt or fixed in the layout).
struct TDeck {
    std::array<TCardRec, 53> Cards{};

    TDeck() { Reset(); }
    // Every entry back with its own suit and value.
    void Reset();
    TCardRec& operator[](int index) { return Cards[index]; }
    const TCardRec& operator[](int index) const { return Cards[index]; }
    TCardRec& At(int suit, int value) { return Cards[DeckIndex(suit, value)]; }
    const TCardRec& At(int suit, int value) const { return Cards[DeckIndex(suit, value)]; }
    bool IsUnseen(int suit, int value) const { return Cards[DeckIndex(suit, value)].Value > 0; }
    // Marks a card taken (Value 0); the suit stays.
    void Take(const TCardRec& card) {
        if (card.Suit >= 1 && card.Suit <= 4 && card.Value >= 1 && card.Value <= 13)
            Cards[DeckIndex(card.Suit, card.Value)].Value = 0;
    }
    int UnseenCount() const;
};

// Copy of the entry's suit and value (a taken entry yields Value 0).
TCardRec GetDeckCard(const TDeck& deck, int index);

// The two card generators: the program's own Park-Miller generator (bit for bit) and a
// library generator used when the own one is switched off.
class TGenerator {
  public:
    bool UseMyRandom = true;
    int64_t RandomSeed = 0;

    // One step of the own generator: an integer in 0..n-1.
    int32_t MyRandom(int32_t n) {
        RandomSeed = (RandomSeed * 16807) % 2147483647;
        return static_cast<int32_t>(RandomSeed % n);
    }
    // Seeds the own generator from a tick count; a multiple of 2^31-1 would stick at 0.
    void SeedMyRandom(uint32_t ticks);
    // Reseeds the library generator.
    void SeedLibrary(uint64_t seed) { library_.seed(seed); }
    // A random integer in 0..n-1 from whichever generator is in use.
    int32_t Next(int32_t n) {
        if (UseMyRandom) return MyRandom(n);
        return static_cast<int32_t>(library_() % static_cast<uint64_t>(n));
    }

  private:
    std::mt19937_64 library_{5489u};
};

// Milliseconds since boot, 32 bits, as the seed source of the desktop program.
uint32_t TickCount();

// Deals a random untaken card and marks it taken. Only Suit and Value are written.
// Throws std::logic_error when every card is taken (the draw would never end).
TCardRec DrawCard(TDeck& deck, TGenerator& gen);

} // namespace kvarlen
