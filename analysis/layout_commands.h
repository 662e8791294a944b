// The analysis commands of the layout page without any toolkit: deck rebuild, reading the hand
// from the table, refusing layouts the drivers cannot run on, calling the driver, and the line
// and timing text the window shows. The window and the command line both use these.
#pragma once

#include "analysis/ev.h"

#include <string>
#include <vector>

namespace kvarlen {

struct TLayoutCard {
    TCardRec Card;      // Suit and Value as the card control shows them
    bool FaceUp = true; // false: the control shows its back
};

// The card table: Card1..Card5 in Player[1..5] (element 0 unused), BuyedCard, DealerCard.
struct TLayout {
    TLayoutCard Player[6];
    TLayoutCard Bought;
    TCardRec Dealer;
};

// The layout the window opens with: A♥ K♠ 10♣ 3♣ 10♦, bought A♦ face down, dealer 10♠.
TLayout InitialLayout();

// Slots 1..5 from the player cards; slot 6 from the bought card when it shows its face.
THand ReadPlayerHand(const TLayout& layout);
// Always six cards, slot 6 from the bought card whatever its face.
THand ReadPlayerHandSix(const TLayout& layout);
// Every card unseen, then the player's face-up cards and a face-up bought card taken out.
void RebuildDeck(TDeck& deck, const TLayout& layout);

enum class LayoutCommand { Raise, Buy, Change1, Change2 };

struct TAnalysisSwitches {
    bool AKExist = true; // "TK играет"
    bool Fast = true;    // "fast" of the two-card exchange
    char Separator = ',';
};

struct TCommandResult {
    bool Ok = false;
    std::string Line;   // the Memo1 line, e.g. "MO_Raise= 0,1234567"
    std::string Status; // "Расчет занял 12 мсек." or the reason a layout was refused
    double Value = 0;
    uint8_t First = 0;  // best position (Change1) or first of the pair (Change2)
    uint8_t Second = 0; // second of the pair (Change2)
    // What the driver found beyond the line, for callers that show more (the command line).
    THand Hand;                // the hand as read from the table and classified
    LayoutOutcome Outcome;     // Raise: S, W, L, P, N
    ClassOutcome PerClass[11]; // Raise: each counted class at its ComboOrdinal 1..10
    // Change1: the value of each position 1..5 (-10000 when not evaluated).
    double PerPosition[6] = {-10000.0, -10000.0, -10000.0, -10000.0, -10000.0, -10000.0};
    TChange2Pair Pairs[10]; // Change2: the evaluated pairs of positions
    int PairCount = 0;
};

// Why RunLayoutCommand would refuse this command on this table and deck ("" when it runs).
// Changes nothing.
std::string LayoutRefusal(LayoutCommand command, const TLayout& layout, const TDeck& deck,
                          bool deckDirty);

// Runs one command as the window does. When deckDirty, the deck is rebuilt from the layout
// (the flag itself is the caller's and stays set). EV Buy (when rebuilding) and EV 2 Change
// (always) turn a face-up bought card face down in layout first. A layout the drivers cannot
// run on is refused (Ok false, Status says why) and nothing is computed: the dealer's card equal
// to a player's face-up card, two table cards showing the same card, the dealer's card taken
// out of the deck, or (EV 2 Change) a player card lying face down; also an empty card and a deck
// with too few unseen cards for the dealer's hand and the cards drawn. EV Change passes the
// hand in the table's order, so its positions are Card1..Card5 even with a bought sixth card.
TCommandResult RunLayoutCommand(LayoutCommand command, TLayout& layout, TDeck& deck, bool deckDirty,
                                const TRules& rules, const TAnalysisSwitches& switches,
                                TDetailSink* detail);

// The layout in the command line's notation, as `analyse --best` prints it: "AH KS XC 3C XD / XS",
// then ", bought 5D" for a bought card lying face up and ", out 2C 7H" for the cards out of play.
std::string LayoutNotation(const TLayout& layout, const std::vector<TCardRec>& out);
// The cards deck holds as not available that do not lie face up on the table, in deck order.
std::vector<TCardRec> CardsOutOfPlay(const TLayout& layout, const TDeck& deck);
// Reads a layout written as LayoutNotation writes it (any case, blanks or commas between the
// cards, "10" for X; a sixth card before the "/" is the bought one). On success returns "" and
// sets layout (every card face up, the bought card face down when none is given; a bought card
// not given keeps layout's) and out. Otherwise returns why, in Russian, and writes nothing.
std::string ParseLayoutNotation(const std::string& text, TLayout& layout,
                                std::vector<TCardRec>& out);

} // namespace kvarlen
