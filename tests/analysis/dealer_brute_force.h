// Reference results by dealing every possible dealer hand: the open card plus every four of the
// other unseen cards, each classified and compared with the player's hand.
#pragma once

#include "analysis/dealer_outcomes.h"

#include <cstdint>
#include <string>
#include <vector>

namespace kvarlen::test {

TCardRec MakeCard(int suit, int value);
// "AH KS XC 3C XD" in command-line notation.
std::vector<TCardRec> Cards(const std::string& text);
// A classified hand of the given cards (five or six).
THand MakeHand(const std::string& text, bool akPlays = true);
THand MakeHand(const std::vector<TCardRec>& cards, bool akPlays = true);
// Full deck without the given cards.
TDeck DeckWithout(const std::vector<TCardRec>& cards);

// Counts per class as the counters define them, at ComboOrdinal 1..10: Total from dealer hands
// classified with ace + king playing; Won, Lost and Push in the player's class only (flush
// against flush a push), -1 elsewhere.
struct TBruteCounts {
    ClassOutcome PerClass[11];
    int32_t NoGame = 0; // class 1 with ace + king playing
};
TBruteCounts BruteCounts(const TDeck& deck, const TCardRec& open, const THand& player);

// The tally as it settles: dealer hands classified with akPlays, no game when class 1; with
// pairOnly every dealer hand above the pair counts as no game too.
LayoutOutcome BruteTally(const TDeck& deck, const TCardRec& open, const THand& player, bool akPlays,
                         bool pairOnly = false);

// Every dealer hand of one deck, classified once, so that many candidate player hands (and
// candidate cards taken out) can be settled against them quickly.
class TDealerHands {
  public:
    TDealerHands(const TDeck& deck, const TCardRec& open, bool akPlays);
    // Tally for a player hand with up to two more cards taken out (entry numbers, 0 for none).
    LayoutOutcome Tally(const THand& player, int takenA = 0, int takenB = 0,
                        bool pairOnly = false) const;

  private:
    struct Entry {
        uint64_t hidden; // bit per deck entry of the four hidden cards
        uint16_t combo;
    };
    std::vector<Entry> entries_; // scanned for every candidate: kept small
    std::vector<THand> hands_;   // read only when the classes are equal
};

// Settles a player hand against one classified dealer hand: 1 won, 2 lost, 0 push, flushes
// against each other a push.
int Settle(const THand& player, const THand& dealer);

// ((2k + 1)W + N - 3L) / S with the default payouts.
double RaiseFormula(const LayoutOutcome& t, uint16_t combo);

} // namespace kvarlen::test
