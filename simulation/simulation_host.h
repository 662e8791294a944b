// What a simulation run needs from the program that hosts it. The desktop window implements
// this with its controls, the trace window and message boxes; the command line without
// windows; the tests with fakes. The engine never draws, prints or touches a widget.
//
// Call order of one run (both simulations):
//   ReadRunSettings                         once, at START
//   ReadLiveOptions                         once more before the first deal
//   RunStarted                              the settings were accepted: deals follow
//   TraceInit                               when the trace option is on at the start
//   per deal:  Progress (every 10000th deal) / Idle, StopRequested, ReadLiveOptions,
//              the trace calls when the trace option is on for that deal
//              (TraceDealResult just before WaitForReadKey)
//   AppendReport, SetMathFields, SetStartCaption("ready"),
//   MarkDeckDirty                           at the end
//   Message                                 whenever something must be shown (refused run,
//                                           a file that cannot be written, ...)
#pragma once

#include "cards/hand.h"
#include "simulation/bank_log.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace kvarlen {

// Information shared between the boxes in ideal play ("по очереди", "вскрышки (маяк)",
// "полный обмен").
enum class TInfoMode : uint8_t { InTurn, Beacon, FullExchange };

// Read once at START ("Начальный банк каждого игрока", "Сыграть раздач:", "Число боксов
// команды", the rules of FillRules and where the files go).
struct TRunSettings {
    int32_t TeamSize = 1;
    int32_t DealsToPlay = 0;
    int32_t InitialBank = 100;
    // Filled by FillRules; the host has filled PayTable with it.
    TRules Rules;
    // The dealer's ace + king when valuing a purchase ("TK играет", mirrors Rules.AKPlays).
    bool DealerAK = true;
    // Ideal play decides by best play (the exact optimum of each box on its view) instead of
    // the MO values; strategy play ignores it.
    bool BestPlay = false;
    // Folder that holds "out" (the current directory in the desktop program); empty: no
    // report or bank file is written.
    std::string OutDir = ".";
    // The history table (DBF/1box.DBF beside the program).
    std::string DbfPath;
    // The deal log (CSV, or JSON lines for a name ending ".jsonl"); empty: none.
    std::string DealLogPath;
    // "yyyymmdd" of the file names; empty: today.
    std::string Date;
    // Decimal separator of the report numbers (the locale's).
    char Separator = ',';
    // A line naming what was run, put before the report's first line; empty: none.
    std::string ReportTitle;
};

// The check boxes and radio buttons a run reads again at every deal, so that a change made
// while the run yields to the message loop takes effect from the next deal.
struct TLiveOptions {
    bool Statistics = false; // "собирать статистику"
    bool GameLog = false;    // "запись хода игры"
    bool Trace = false;      // "трассировка"
    int Filter = 0; // "Какие раздачи разыгрывать": 0 any, 1 AK .. 10 royals
    TInfoMode Mode = TInfoMode::Beacon;
    bool DbfHistory = false;     // "DBF-history"
    bool DbfDrawColumns = true;  // признак "заготовок"
    bool RaiseAt2Matches = true; // "RAISE при 2 вскрышках"
};

// The bankroll fields a run fills at its end: expected value and variance per deal, as
// numbers and as the fixed6 texts the fields show.
struct TMathInputs {
    double MO = 0;
    double Variance = 0;
    std::string MOText;
    std::string VarianceText;
};

// A traced deal as it ends: its number in the run and each team box's result and bank.
struct TTracedDeal {
    int64_t Deal = 0;
    int TeamSize = 1;
    std::array<double, 4> Result{}; // boxes 1..3: the net of this deal
    std::array<double, 4> Bank{};   // boxes 1..3: the bank after it
};

// Coordinates of the trace drawing.
constexpr int kTraceLeft = 10;
constexpr int kTraceDealerTop = 20;
constexpr int kTraceBoxTop[4] = {0, 140, 240, 340};      // hands of boxes 1..3
constexpr int kTraceDecisionTop[4] = {0, 218, 318, 418}; // their decisions

class TSimulationHost {
  public:
    virtual ~TSimulationHost() = default;

    // --- settings ---
    // The run settings, read once at START. Text that is not a number throws ConvertError:
    // the run is refused with its message before anything is dealt.
    virtual TRunSettings ReadRunSettings() = 0;
    // The live options; called before every deal.
    virtual void ReadLiveOptions(TLiveOptions& options) = 0;

    // --- progress and stop ---
    // The settings were accepted and the files opened: the first deal follows (START may now
    // read as a stop button).
    virtual void RunStarted() {}
    // Deal number `deal` (a multiple of 10000) is about to be played: show `caption`
    // ("3 x 10000") on START and let the message loop run once.
    virtual void Progress(int64_t deal, const std::string& caption) {
        (void)deal;
        (void)caption;
    }
    // A filter has rejected another 10000 deals in a row: let the message loop run once
    // (caption unchanged) so that a stop can be asked for.
    virtual void Idle() {}
    // Checked between deals; true ends the run after the deal in hand, and the report covers
    // the deals actually played.
    virtual bool StopRequested() { return false; }

    // --- trace window (only while the trace option is on) ---
    // Start of a traced run: show the trace window and load its pictures.
    virtual void TraceInit() {}
    virtual void ClearTable() {}
    virtual void Trace_DrawDHand(const THand& hand, int left, int top) {
        (void)hand;
        (void)left;
        (void)top;
    }
    virtual void Trace_DrawPHand(const THand& hand, int left, int top, int openValue) {
        (void)hand;
        (void)left;
        (void)top;
        (void)openValue;
    }
    virtual void DrawRaiseDecision(bool raise, int left, int top) {
        (void)raise;
        (void)left;
        (void)top;
    }
    virtual void DrawInsurDecision(int32_t sum, int left, int top) {
        (void)sum;
        (void)left;
        (void)top;
    }
    // The deal's number and what it brought each box (ideal play draws the deal before it is
    // settled: these figures are its settlement all the same).
    virtual void TraceDealResult(const TTracedDeal& deal) { (void)deal; }
    // Returns when the user releases the run (">>>", "Trace off" or closing the window).
    virtual void WaitForReadKey() {}

    // --- messages ---
    virtual void Message(const std::string& text) { (void)text; }

    // --- end of run ---
    // The report lines of this run, to be added under the earlier ones in the memo.
    virtual void AppendReport(const std::vector<std::string>& lines) = 0;
    // The whole memo text, earlier reports included. The report file no longer copies it (it
    // keeps what it holds and adds each run's report), so a cleared memo loses nothing.
    virtual std::vector<std::string> MemoLines() = 0;
    virtual void SetMathFields(const TMathInputs& math) { (void)math; }
    // The banks of boxes 1..3 after every deal of a strategy run, just before the bank file
    // is written (a chart can be drawn from them without reading the file back).
    virtual void BankLogReady(const std::vector<TBankLogPart>& parts) { (void)parts; }
    // "ready" at the end of a run.
    virtual void SetStartCaption(const std::string& caption) { (void)caption; }
    // The run has dealt from the shared deck: the layout must rebuild it.
    virtual void MarkDeckDirty() {}
};

} // namespace kvarlen
