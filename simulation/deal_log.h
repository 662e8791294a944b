// The deal log: one row per team box and deal with the cards, the decisions, the expected
// values of ideal play, the outcome, the result and the bank, written as CSV with a header or
// as JSON lines. Every bank and every figure of the report can be recomputed from it alone.
#pragma once

#include "simulation/box.h"
#include "simulation/text_files.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace kvarlen {

struct TLogCard {
    uint8_t Suit = 0; // 0: no card
    uint8_t Value = 0;
};

// One box in one deal, as spooled between the deal and the end of the run.
struct TDealLogRow {
    int64_t Deal = 0; // played deal of the stream, from 1
    uint8_t Box = 0;
    std::array<TLogCard, 5> DealerCards{};
    uint8_t DealerClass = 0; // ComboOrdinal 0..10
    std::array<TLogCard, 5> Cards{};
    uint8_t Class = 0;
    uint8_t ExchangeIndex = 0; // slot 1..5, 0: none
    TLogCard ExchangeCard;
    bool Bought = false;
    TLogCard BoughtCard;
    int32_t BuyDecision = 0;
    bool Raise = false;
    int32_t InsuranceSum = 0;
    bool WantsDealerGame = false;
    bool DealerGame = false; // the dealer's card was replaced to buy a game
    TLogCard DealerDiscard;
    TLogCard DealerCard;
    uint8_t DealerFinalClass = 0;
    uint8_t HasMO = 0; // bits: 1 MORaiseDealt, 2 MOChange1, 4 MOBuy, 8 MORaiseFinal
    double MORaiseDealt = 0;
    double MOChange1 = 0;
    double MOBuy = 0;
    double MORaiseFinal = 0;
    uint8_t FinalClass = 0;
    uint8_t Outcome = 0; // 0 no game, 1 won, 2 lost, 3 push, 9 passed
    double DealResult = 0;
    double Bank = 0;
};

// The rows of one stream, in deal order: a small buffer spilled to a scratch file, so a long
// run keeps its memory bounded.
class TDealLog {
  public:
    TDealLog();
    ~TDealLog();
    TDealLog(const TDealLog&) = delete;
    TDealLog& operator=(const TDealLog&) = delete;

    // Right after the deal is classified: the dealt cards and classes.
    void Dealt(const TBoxes& boxes, int teamSize);
    // After the banks: one row per team box. `ideal` and the rules tell which expected
    // values were asked for.
    void Settled(const TBoxes& boxes, int teamSize, int64_t deal, bool ideal, const TRules& rules);

    int64_t Count() const { return count_; }
    // Calls f(row) for every row in order. False when the scratch file failed.
    template <class F> bool ForEach(F f);

  private:
    static constexpr size_t kBuffer = 1024;
    void Spill();
    std::FILE* scratch_ = nullptr;
    std::vector<TDealLogRow> memory_;
    std::vector<TDealLogRow> buffer_;
    int64_t count_ = 0;
    bool failed_ = false;
    std::array<THand, kMaxTeamSize + 1> dealt_{};
};

// The logs of streams written one after another: each row carries its stream and the seed it
// was dealt from (negative: unknown), and its banks shifted by `Offset` (the nets of the
// streams before it), as the bank file continues them.
struct TDealLogPart {
    TDealLog* Log = nullptr;
    int Stream = 0;
    int64_t Seed = -1;
    std::array<double, 3> Offset{};
};

// True when the name asks for JSON lines (ends in ".jsonl", any case).
bool IsJsonLinesName(const std::string& path);
// The CSV header line (no line end).
std::string DealLogHeader();
// One row as CSV or as a JSON object (no line end); numbers with a decimal point.
std::string DealLogCsv(const TDealLogRow& row, int stream, int64_t seed);
std::string DealLogJson(const TDealLogRow& row, int stream, int64_t seed);

// The deal log file, opened before the first deal so that a name that cannot be written is
// known before anything is played. It is written beside under a temporary name and renamed
// over the name when complete: an earlier file stays whole until then (a kill included).
// Links are written through to their target; a device or a pipe is written in place.
class TDealLogFile {
  public:
    TDealLogFile();
    ~TDealLogFile();
    // False with the error text when the file cannot be created.
    bool Open(const std::string& path, std::string& error);
    bool IsOpen() const { return writer_ != nullptr || file_ != nullptr; }
    // Writes every row of the parts and puts the file in place. On failure nothing replaces
    // the earlier file and the error names it.
    bool Write(const std::vector<TDealLogPart>& parts, std::string& error);
    // Drops what was opened (a run that ended without writing it); an earlier file stays.
    void Discard();

  private:
    std::unique_ptr<TFileWriter> writer_;
    std::FILE* file_ = nullptr; // a device or a pipe
    std::string path_;
    bool json_ = false;
};

template <class F> bool TDealLog::ForEach(F f) {
    if (scratch_ != nullptr) {
        std::fflush(scratch_);
        std::rewind(scratch_);
        std::vector<TDealLogRow> rows(kBuffer);
        for (;;) {
            const size_t n = std::fread(rows.data(), sizeof(TDealLogRow), rows.size(), scratch_);
            for (size_t i = 0; i < n; ++i) f(rows[i]);
            if (n < rows.size()) break;
        }
        std::fseek(scratch_, 0, SEEK_END);
    }
    for (const TDealLogRow& row : memory_) f(row);
    for (const TDealLogRow& row : buffer_) f(row);
    return !failed_;
}

} // namespace kvarlen
