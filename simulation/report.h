// The report of a run, the game log lines and the bank log lines.
#pragma once

#include "simulation/box.h"
#include "simulation/run_result.h"
#include "simulation/simulation_host.h"

#include <string>
#include <vector>

namespace kvarlen {

// The report lines in order; numbers with the decimal separator `sep`.
std::vector<std::string> ReportLines(const TRunResult& result, char sep);
// MO and variance per deal for the bankroll fields (fixed6 texts).
TMathInputs MathInputsOf(const TRunResult& result, char sep);

// Game log: the open card line of strategy play.
std::string OpenCardLogLine(const TCardRec& open, int matches);
// Where a box's bank stands in a game log line, so that a stream played beside others can be
// shifted by the nets of the streams before it once they are known.
struct TGameLogBank {
    size_t Line = 0; // index into the log
    size_t Pos = 0;  // the bank text is log[Line].substr(Pos, Len)
    size_t Len = 0;
    int Box = 1;
    double Bank = 0;
};

// Game log: one line per box 0..teamSize and an empty line, at the end of a deal. `banks`, when
// given, receives where each box's bank was written.
void AppendDealLog(const TBoxes& boxes, int teamSize, char sep, std::vector<std::string>& log,
                   std::vector<TGameLogBank>* banks = nullptr);
// Rewrites the banks of a stream's game log as bank + offset[box - 1].
void ShiftGameLogBanks(std::vector<std::string>& log, const std::vector<TGameLogBank>& banks,
                       const std::array<double, 3>& offset, char sep);

// Bank log: banks of boxes 1..3 and their sum in the general format, tab-separated. Writes into
// `out` (cleared first) without allocating once `out` has grown.
void BankLogLine(double b1, double b2, double b3, char sep, std::string& out);

} // namespace kvarlen
