// The four expected-value drivers: raise, exchange one card, exchange two cards, buy a sixth.
#pragma once

#include "analysis/dealer_outcomes.h"

#include <cstdint>
#include <string>

namespace kvarlen {

// Where the drivers write their detail ("детализировать"): the raise table and the lines of the
// exchange drivers. The drivers write detail exactly when they are handed a sink.
class TDetailSink {
  public:
    virtual ~TDetailSink() = default;
    // The raise table is about to be written: 9 columns and 13 rows, columns 1..8 45 wide.
    virtual void PrepareRaiseGrid() = 0;
    virtual void SetCell(int col, int row, const std::string& text) = 0;
    virtual void AddLine(const std::string& line) = 0;
    // Decimal separator of the numbers written.
    virtual char Separator() const { return ','; }
};

// Expected value of raising: ((2k + 1)W + N - 3L) / S. The hand must be classified.
double MO_Raise(const TDeck& deck, const THand& hand, const TCardRec& open, const TRules& rules,
                TDetailSink* detail = nullptr, LayoutOutcome* outcome = nullptr,
                ClassOutcome* perClass = nullptr);

// Best expected value of exchanging one of the five cards; bestPosition gets 1..5 (-10000 and
// 0 when no card is left to exchange in). A sixth card in slot 6 stays and is never exchanged.
double MO_Change1(const TDeck& deck, const THand& hand, const TCardRec& open, const TRules& rules,
                  uint8_t& bestPosition, TDetailSink* detail = nullptr,
                  double* perPosition = nullptr /* [6], 1..5 */);

// One evaluated pair of positions of the two-card exchange.
struct TChange2Pair {
    uint8_t First = 0;
    uint8_t Second = 0;
    double MO = 0;
};

// Best expected value of exchanging two cards; -10000 with positions 0 and 0 when no pair of
// positions could be evaluated. pairs/pairCount (up to 10) receive every evaluated pair.
double MO_Change2(const TDeck& deck, const THand& hand, const TCardRec& open, bool fast,
                  const TRules& rules, uint8_t& first, uint8_t& second,
                  TDetailSink* detail = nullptr, TChange2Pair* pairs = nullptr,
                  int* pairCount = nullptr);

// Expected value of buying a sixth card, price included. dealerAK: ace + king counts for the
// dealer (the analysis tab's "TK играет"). -10000 when no card is left to buy.
double MO_Buy(const TDeck& deck, const THand& hand, const TCardRec& open, const TRules& rules,
              bool dealerAK);

} // namespace kvarlen
