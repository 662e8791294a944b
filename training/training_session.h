// A session at the training table: deals from a seeded generator for a team of one to three
// boxes, asks the player each decision of each box in the order of play, has the judge price
// it on exactly the view ideal play would give the box, settles the deal and plays it again by
// best play on the same cards (the shadow). The terminal and the desktop page both drive it
// through the step API: Step, Point, Answer, TakeBack, GoOn, NextDeal.
#pragma once

#include "cards/rules.h"
#include "simulation/box.h"
#include "simulation/simulation_host.h"
#include "training/drill.h"
#include "training/judge.h"
#include "training/training_stats.h"

#include <array>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace kvarlen::training {

// When a judgement is shown: at once (a mistake can then be taken back), after each deal, or
// at the end of the session.
enum class TFeedback : uint8_t { Now, Deal, End };

struct TSessionSettings {
    TRules Rules;
    TPayTable Pay = kDefaultPayTable; // what PayTable holds for the session; kept with it
    int TeamSize = 1;
    TInfoMode Mode = TInfoMode::Beacon;
    uint32_t Seed = 1;
    int64_t Deals = 0; // deals to play; 0: until the player stops
    TFeedback Feedback = TFeedback::Now;
    TDrill Drill;
};

// Settings no session can be played with (a team of four, a drill no deal passes, ...).
class TSessionError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};
// A key that is not one of the point's keys.
class TKeyError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// What the deciding box may know of another box of the team.
struct TBoxSight {
    int Box = 0;
    bool Visible = false; // its cards are open to the deciding box
    bool Played = false;  // it has decided already: its hand is final
    THand Hand;           // its cards as they stand, when visible
};

// Where the deciding box stands and what it knows.
struct TTableView {
    THand Hand;        // its cards: the dealt five, or with the card it received
    TCardRec Received; // the card it received, Value 0 none
    int DrawnSlot = 0; // 0 none, 1..5 exchanged, 6 bought
    TCardRec Open;     // the dealer's open card
    std::vector<TBoxSight> Others;
    bool Beacon = false; // beacon mode: the team's cards of the open value are counted
    int BeaconCount = 0; // how many the team holds (the deciding box's own included)
    TDeck View;          // the cards the box treats as unseen: what the judge prices on
};

struct TDecisionPoint {
    int64_t Deal = 0;
    int Box = 0;
    TDecisionKind Kind = TDecisionKind::Draw;
    uint16_t DealtCombo = 0;       // the box's dealt class
    std::vector<std::string> Keys; // the legal keys, upper case
    TTableView Table;
};

enum class TStep : uint8_t {
    Decision, // a box is to decide: Point(), Answer()
    Review,   // feedback now: a mistake was judged; TakeBack() or GoOn()
    DealEnd,  // the deal is settled: LastDeal(); NextDeal() deals on
    Finished  // the session's deals are played
};

class TTrainingSession {
  public:
    // Throws TSessionError for settings no session can be played with.
    explicit TTrainingSession(const TSessionSettings& settings);

    const TSessionSettings& Settings() const { return settings_; }
    TStep Step() const { return step_; }
    // Deals the next deal that passes the drill; false (and Finished) when the session's deals
    // are played. Only before the first deal and at DealEnd.
    bool NextDeal();
    const TDecisionPoint& Point() const { return point_; }
    // The options of the current point, priced (when first asked for).
    const TPricedDecision& Priced();
    // Judges the answer (a key of Point().Keys, any case) and plays it on, unless feedback is
    // immediate and it was a mistake: then Review. Throws TKeyError for another key.
    TJudgement Answer(const std::string& key);
    bool CanTakeBack() const { return step_ == TStep::Review; }
    // Review: the answer is taken back (it stays a mistake) and the point is asked again.
    void TakeBack();
    // Review: the answer stands and the deal goes on.
    void GoOn();
    // The deal last settled.
    const TDealRecord& LastDeal() const { return last_; }
    const TSessionStats& Stats() const { return stats_; }
    // The deal in progress (the judgements so far), for a front end showing them.
    const TDealRecord& CurrentDeal() const { return deal_; }
    // Candidate deals dealt and thrown away by the drill, over the session.
    int64_t Rejected() const { return rejected_; }

  private:
    void DealCandidate();
    bool PassesDrill();
    void StartBox(int h);
    void FillPoint(TDecisionKind kind);
    void EnsureContinuation();
    void Apply(const TJudgement& j);
    void FinishBox();
    void SettleAll();
    TBoxes PlayShadow();
    void ReceiveCard(TBoxes& boxes, int h, int slot, int32_t mark);
    TBoxSight SightOf(int h, int b) const;

    TSessionSettings settings_;
    TGenerator gen_;
    TDeck deck_;
    TBoxes boxes_{};
    TBoxes dealt_{}; // the boxes as dealt, for the shadow
    std::array<TCardRec, kMaxTeamSize + 1> next_{};
    TCardRec open_;
    TStep step_ = TStep::DealEnd;
    int box_ = 0; // the deciding box
    TDecisionPoint point_;
    std::optional<TPricedDecision> priced_;
    std::optional<TOptionTable> table_;                   // (a) of the current box
    std::optional<TOptionTable> drillTable_;              // box 1's (a), when the drill priced it
    std::array<TOptionTable, kMaxTeamSize + 1> played_{}; // each box's (a), for the shadow
    std::array<bool, kMaxTeamSize + 1> playedValid_{};
    std::array<TDeck, kMaxTeamSize + 1> playedView_{};
    std::array<double, kMaxTeamSize + 1> bestValue_{};
    TContinuation cont_;
    bool contReady_ = false;
    std::optional<TJudgement> pending_;
    TDealRecord deal_;
    TDealRecord last_;
    TSessionStats stats_;
    int64_t played_deals_ = 0;
    int64_t rejected_ = 0;
    int seq_ = 0;
};

// Prices a judged layout again from what the judgement keeps: the same options and values.
TPricedDecision Reprice(const TJudgement& j, const TRules& rules);

// "in-turn", "beacon", "full" as `simulate --info` spells them; "now", "deal", "end".
const char* InfoModeCode(TInfoMode mode);
const char* FeedbackCode(TFeedback feedback);

// "AH KS XC 3C XD": slots 1..Count in the command line's notation.
std::string HandNotation(const THand& hand);

} // namespace kvarlen::training
