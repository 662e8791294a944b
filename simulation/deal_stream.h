// One stream of deals: the deck, generator and boxes it deals with, and what it has counted.
// A run is one stream (the desktop program, `--threads 1`) or several independent ones whose
// results are merged.
#pragma once

#include "simulation/bank_log.h"
#include "simulation/box.h"
#include "simulation/deal_log.h"
#include "simulation/report.h"
#include "simulation/run_result.h"
#include "simulation/simulation_host.h"

#include <cstdint>
#include <string>
#include <vector>

namespace kvarlen {

struct TDealStream {
    TSimulationHost* Host = nullptr;
    const TRunSettings* Settings = nullptr;
    TDeck* Deck = nullptr;
    TGenerator* Gen = nullptr;
    TBoxes* Boxes = nullptr;

    TRunStats Stats;
    double SumSquares = 0;
    int64_t Played = 0;
    int64_t Passes = 0;
    bool Stopped = false;
    bool WriteFailed = false; // the history table could not be written: the stream stopped
    std::vector<std::string> GameLog;
    std::vector<TGameLogBank> GameLogBanks; // where the banks stand in GameLog
    TBankLog* BankLog = nullptr;            // strategy play, when the bank file is written
    int DbfHandle = 0;                      // ideal play, when the history table is open
    TDealLog* DealLog = nullptr;            // when the deal log is written
    int64_t Seed = -1;                      // the generator's seed at the start, -1 when unknown
    double DecisionMs = 0;
    double GlobalT1Ms = 0;
};

// Every card in its place (a refilled deck), as a copy: cheaper than refilling entry by entry.
inline const TDeck& FullDeck() {
    static const TDeck deck;
    return deck;
}

// Sets the initial bank of boxes 1..3 and their banks to it.
void PrepareBoxes(TBoxes& boxes, int32_t initialBank);

// "<k / 10000> x 10000".
std::string ProgressCaption(int64_t deal);

// Strategy play: deals until `deals` more have been played or the host asks to stop.
void PlayStrategyDeals(TDealStream& s, int64_t deals);
// Ideal play: deals until `deals` more have passed the filter and been played, or the host
// asks to stop. With Settings->BestPlay every box takes its best-play option instead of the
// MO values' choice, on the same views and from the same card draws.
void PlayIdealDeals(TDealStream& s, int64_t deals);

// The view of box h (1..teamSize) in ideal play: its DeckView refilled and the known cards
// taken out by the information mode. `open` is the dealer's open card.
void BuildDeckView(TBoxes& boxes, int teamSize, int h, TInfoMode mode, const TCardRec& open);

// The trace calls of one deal, number `deal` of the run. `settled`: the boxes with the deal's
// results (DealResult) and their banks from before it.
void TraceDeal(TSimulationHost& host, const TBoxes& boxes, int teamSize, const TCardRec& open,
               int64_t deal, const TBoxes& settled);

// Statistics after settlement: purchases, final class and outcome of boxes 1..teamSize.
void CountFinalStats(TRunStats& stats, const TBoxes& boxes, int teamSize);

// Fills a stream's part of a run result.
void StreamResult(const TDealStream& s, TRunResult& result);

} // namespace kvarlen
