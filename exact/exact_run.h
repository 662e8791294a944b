// The exact value of the whole game for one box: a run over the canonical layouts (or one part
// of them) on worker threads, with progress and a stop flag, for the command line and the
// desktop page alike.
#pragma once

#include "cards/hand.h"
#include "exact/exact_layout_eval.h"
#include "exact/exact_layouts.h"
#include "exact/exact_tally.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>

namespace kvarlen {

struct TExactSettings {
    // The rules in force (FillRules); PayTable must hold the payouts and must not change while
    // the run goes on.
    TRules Rules;
    TExactMode Mode = TExactMode::Ideal;
    // The dealer's ace + king when a purchase is valued ("TK играет"; mirrors Rules.AKPlays).
    bool DealerAK = true;
    // Strategy play: "RAISE при 2 вскрышках" (checked and disabled in the window).
    bool RaiseAt2Matches = true;
    int Threads = 0;   // 0: every core
    int PartIndex = 1; // the part K of PartCount: layouts numbered i with i % N == K - 1
    int PartCount = 1;
};

// Settings the engine cannot run; what() says why in a sentence for the user.
class TExactRefused : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Throws TExactRefused for settings that cannot run: a part outside 1..N, threads below 0,
// a game bought for the dealer in strategy play (each dealer hand would have to be dealt out),
// an exchange and a purchase both allowed in ideal play (the window allows only one).
void ValidateExactSettings(const TExactSettings& s);

// What a run (or a merge of parts) produced. Tally holds only integers; the rest describes it.
struct TExactResult {
    TExactMode Mode = TExactMode::Ideal;
    TRules Rules;
    TPayTable Pay{};
    bool DealerAK = true;
    bool RaiseAt2Matches = true;
    int DrawFactor = 1;
    int PartIndex = 1, PartCount = 1;
    uint64_t LayoutsInPart = 0; // canonical layouts of this part
    uint64_t CanonicalLayouts = 0;
    bool Complete = false; // every layout of the part counted (false after a stop)
    double Seconds = 0;    // wall time (summed over merged parts)
    int Threads = 1;
    TExactTally Tally;

    // The price of a purchase and of an exchange as this mode charges them.
    double BuyPrice() const { return Mode == TExactMode::Strategy ? 1.0 : Rules.PriceBuy6; }
    double ExchangePrice() const { return Rules.PriceChange1; }
    // Deals of the whole space: 47 C(52,5) C(46,4), times 42 when a card can be received.
    TExactUInt DealSpace() const;
    // Deals of the counted layouts.
    TExactUInt ExpectedDeals() const;
};

// Called on the thread that runs RunExact, a few times a second: canonical layouts done and in
// the part.
using TExactProgress = std::function<void(uint64_t done, uint64_t total)>;

// Runs the part on Threads worker threads and returns when every layout is counted or `stop`
// was seen set (then Complete is false and the tally covers the layouts counted). Throws
// TExactRefused before any work for settings that cannot run. A window calls it on a worker
// thread of its own (the progress callback then runs on that thread, not the window's), after
// FillRules, and refuses a second start while one runs: the run reads PayTable throughout.
TExactResult RunExact(const TExactSettings& settings, const TExactProgress& progress = {},
                      const std::atomic<bool>* stop = nullptr);

// RunExact for several points of the same switches, mode and part that differ in payouts and
// prices: each layout is gathered once and counted under every point.
std::vector<TExactResult> RunExactPoints(const std::vector<TExactSettings>& points,
                                         const std::vector<TPayTable>& pays,
                                         const TExactProgress& progress = {},
                                         const std::atomic<bool>* stop = nullptr);

// One pass over the layouts of settings' part on its worker threads: prepare(workers) once, then
// count(worker, layout) for every layout until the end or a stop. Throws what a count threw.
struct TLayoutPass {
    uint64_t Total = 0;   // layouts of the part
    uint64_t Counted = 0; // layouts counted
    int Threads = 1;
};
TLayoutPass CountLayoutsOnThreads(const TExactSettings& settings,
                                  const std::function<void(int workers)>& prepare,
                                  const std::function<void(int worker, const TExactLayout&)>& count,
                                  const TExactProgress& progress, const std::atomic<bool>* stop);

// Adds the results of the parts 1..N of one run. Throws TExactRefused (naming the part, or the
// file of names[i] when given) for parts of other rules, payouts, modes or slicing, a part that
// is missing, repeated or stopped, or one that stands for other layouts than its part holds.
TExactResult MergeExactParts(const std::vector<TExactResult>& parts,
                             const std::vector<std::string>* names = nullptr);

// The canonical layouts of part K of N.
uint64_t LayoutsOfPart(int partIndex, int partCount);
// Throws TExactRefused, saying what, for a result that no run can have given: a payout or price
// outside the command line's bounds, rules no run counts, a part or layout count that does not
// belong to the slicing, rows that do not add up to the deals of the layouts counted, sums
// beyond what their deals can hold.
void CheckExactResult(const TExactResult& r);

// True when the two were computed under the same rules, payouts, mode and slicing count.
bool SameExactConditions(const TExactResult& a, const TExactResult& b);

std::string ExactModeName(TExactMode m); // "ideal" or "strategy"

} // namespace kvarlen
