// Best play: every legal option of a box's view valued exactly by the game's own settlement
// (flush against flush ranked, insurance by its exact value), each followed by the best
// continuation on the final hand. The MO drivers stay what they are; this is the optimum.
#pragma once

#include "analysis/dealer_outcomes.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace kvarlen {

// Values closer than this are equal: the cheaper and simpler option wins such a tie.
constexpr double kBestPlayTie = 1e-12;

// The best continuation on a final hand: raise or pass, then insure or not.
struct TContinuation {
    bool Raise = false;
    int32_t Insurance = 0;     // the sum insured, 0 none
    double Value = -1;         // the expected result in antes, a draw's price left out
    double RaiseValue = 0;     // raising, without insurance
    double InsuranceValue = 0; // insuring (I (2q - 1)), 0 when it is not offered
    bool InsuranceOffered = false;
    double NoGame = 0; // q, the probability that the dealer has no game
};

// settled: the dealer's hands against the final hand, flushes ranked (RankFlushes). The
// insurance is offered for a straight or better when the rules have it; its sum is the payout
// of the class. Pass wins a tie with raise, no insurance a tie with insurance.
TContinuation BestContinuation(const LayoutOutcome& settled, uint16_t combo, const TRules& rules);
// The same with the class paying `payout` instead of what PayTable says.
TContinuation BestContinuationPaid(const LayoutOutcome& settled, uint16_t combo,
                                   const TRules& rules, int64_t payout);

enum class TOptionKind : uint8_t { Pass, Raise, Exchange1, Exchange2, Buy };

struct TPlayOption {
    TOptionKind Kind = TOptionKind::Pass;
    uint8_t First = 0;  // the exchanged slot(s), 1..5
    uint8_t Second = 0; // the second slot of a two-card exchange
    double Value = 0;   // expected result in antes, the price included
    double Cost = 0;    // the best value minus this one; 0 for a tie
    double Price = 0;   // what the option costs before the cards are seen
    // Pass and raise: the insurance taken with them (0 none).
    int32_t Insurance = 0;
    // Draws: the cards (or pairs of cards) the option can bring, and how often the best
    // continuation then raises and insures.
    int Draws = 0;
    int Raises = 0;
    int Insures = 0;
    double MO = 0; // the MO driver's value of the same option, where one exists
    bool HasMO = false;
};

// Which options to value besides pass and raise. A hand of six cards (bought) has only pass and
// raise.
struct TOptionRequest {
    bool Exchange1 = false;
    bool Exchange2 = false; // every pair of slots (the layout page; no rule set plays it)
    bool Buy = false;
};
// The options the rules let a box take: exchanging one card or buying, as allowed.
TOptionRequest RulesRequest(const TRules& rules);

struct TOptionTable {
    std::vector<TPlayOption> Options; // pass, raise, exchanges 1..5, pairs r-major, buy
    int Best = -1;                    // index of the best option
    LayoutOutcome Dealt;              // the dealer's hands against the dealt hand, flushes ranked
    TContinuation DealtContinuation;  // and its best continuation
    const TPlayOption& BestOption() const { return Options[static_cast<size_t>(Best)]; }
};

// Every requested option of the view. view: the cards the box treats as unseen (its own cards
// out, the dealer's open card in); hand: five cards (or six after a purchase), classified or
// not; the dealer counts ace + king as the rules say. Options without a card to draw are left
// out.
TOptionTable BestPlayOptions(const TDeck& view, const THand& hand, const TCardRec& open,
                             const TRules& rules, const TOptionRequest& request);

// What the options of one view come to before any payout or price is applied: the dealer's
// hands against the dealt hand and against every final hand of every requested draw. One
// collection can be valued under many payouts and prices (the tallies do not depend on them).
struct TDrawOutcome {
    uint16_t Combo = 0; // the final hand's class
    LayoutOutcome Settled;
};
struct TDrawStates {
    TPlayOption Option; // kind and slots only
    std::vector<TDrawOutcome> States;
};
struct TViewStates {
    THand Hand; // the dealt hand, classified
    LayoutOutcome Dealt;
    std::vector<TDrawStates> Draws; // exchanges 1..5, pairs r-major, buy
    int DrawCount = 0;              // the entries of Draws in use (their buffers are kept)
};
void CollectViewStates(const TDeck& view, const THand& hand, const TCardRec& open,
                       const TRules& rules, const TOptionRequest& request, TViewStates& out);
// The option table of collected states with the payouts pay and the prices of rules, valued
// exactly as BestPlayOptions values them.
void PriceViewStates(const TViewStates& states, const TRules& rules, const TPayTable& pay,
                     TOptionTable& out);
// The best continuation of one final state of a draw under pay.
inline TContinuation StateContinuation(const TDrawOutcome& s, const TRules& rules,
                                       const TPayTable& pay) {
    return BestContinuationPaid(s.Settled, s.Combo, rules,
                                pay[static_cast<size_t>(__builtin_ctz(s.Combo))]);
}

// Puts beside each option the value of the MO driver that values the same option (MO_Raise,
// MO_Change1 per slot, MO_Change2 per pair of slots, MO_Buy), for comparison.
void AttachMOValues(TOptionTable& table, const TDeck& view, const THand& hand, const TCardRec& open,
                    const TRules& rules);

// One final state of an option: the hand after the card(s) it brought, the dealer's hands
// against it (flushes ranked) and the best continuation. For pass and raise the dealt hand.
struct TFinalState {
    THand Hand;
    TCardRec First;  // the card received (slot First or 6), Value 0 for none
    TCardRec Second; // the second card of a two-card exchange
    LayoutOutcome Settled;
    TContinuation Continuation;
};

// Walks the final states of one option, in deck order of the cards received.
void ForEachFinalState(const TDeck& view, const THand& hand, const TCardRec& open,
                       const TRules& rules, const TPlayOption& option,
                       const std::function<void(const TFinalState&)>& visit);

// "обмен 4-й карты", "покупка 6-й карты", "повышение", "пас", "обмен 1-й и 3-й карт".
std::string OptionName(const TPlayOption& option);
// The same for the command line and JSON: "pass", "raise", "exchange 4", "exchange 1+3", "buy".
std::string OptionCode(const TPlayOption& option);

} // namespace kvarlen
