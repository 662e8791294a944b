// START: the two simulations as whole runs, from reading the settings to the files at the end,
// and the same runs spread over several independent deal streams (threads).
#pragma once

#include "simulation/box.h"
#include "simulation/run_result.h"
#include "simulation/simulation_host.h"

#include <cstdint>
#include <string>
#include <vector>

namespace kvarlen {

struct TRunOutcome {
    // False: the run was refused before the first deal (the host was told why).
    bool Ran = false;
    // A file or the history table that was asked for could not be written (the host was told
    // which and why); with Ran false, the table could not be opened for writing.
    bool WriteFailed = false;
    TRunResult Result;
    std::vector<std::string> Report;
    // Not empty when the deal log could not be created or written (the host was told).
    std::string DealLogError;
};

// Strategy play ("игра по стратегии") and ideal play ("идеальная игра") on the shared deck,
// generator and boxes, one deal after another on the calling thread. The run is refused with
// a message when the settings cannot be read, TeamSize is outside 1..3, DealsToPlay is below 1
// or the history table cannot be opened. Ideal play decides by best play when the settings ask
// for it (BestPlay).
TRunOutcome SixCardSimulation(TSimulationHost& host, TDeck& deck, TGenerator& gen, TBoxes& boxes);
TRunOutcome IDEAL_SixCardSimulation(TSimulationHost& host, TDeck& deck, TGenerator& gen,
                                    TBoxes& boxes);

struct TStreamOptions {
    int Threads = 1;
    uint32_t Seed = 1; // seeds MyRandom of stream 0; the others derive theirs from it
    bool UseMyRandom = true;
};

// The generator seed of stream `stream` (0 = the seed itself).
uint32_t StreamSeed(uint32_t seed, int stream);

// A run on `options.Threads` independent streams, each with its own deck, generator and boxes,
// merged into one result; with one thread exactly the deals SixCardSimulation or
// IDEAL_SixCardSimulation deals from the same seed. The host is called from the calling
// thread only; the trace is not shown when more than one stream plays, and the live options
// are read once at the start.
TRunOutcome RunSimulationStreams(TSimulationHost& host, bool ideal, const TStreamOptions& options);

} // namespace kvarlen
