// The rules record, the payout table and the payoff.
#pragma once

#include "cards/numfmt.h"

#include <array>
#include <cstdint>
#include <string>

namespace kvarlen {

struct TRules {
    bool Insurance = true;
    bool AKPlays = true;
    uint8_t DealerGameBuy = 0; // 0 none, 1 discard the highest card, 2 discard the lowest
    bool Exchange1 = false;
    uint8_t AntePaid = 0;
    bool Buy6 = true;
    double PriceChange1 = 1.0;
    double PriceChange2 = 1.0;
    double PriceBuy6 = 1.0;
    double PriceBuyDealerGame = 1.0;
};

// Payouts per combination: entry 0 (C_Empty) .. 10 (C_Royal). Entry 0 is never written.
using TPayTable = std::array<int32_t, 11>;
extern TPayTable PayTable;
constexpr TPayTable kDefaultPayTable = {0, 1, 1, 2, 3, 4, 5, 7, 20, 50, 100};

// The texts and states of the settings controls, as the window shows them.
struct TRulesControls {
    bool Insurance = true;      // "есть страхование"
    bool AKPlays = true;        // "AK играет"
    int DealerGameBuyIndex = 0; // item index of the dealer-game list, -1 for none
    bool Exchange1 = false;     // "обмен 1 карты"
    int AntePaidIndex = 0;      // item index of the ante list, -1 for none
    bool Buy6 = true;           // "покупка 6 карты"
    // Payout fields from ace + king up to the royal flush.
    std::array<std::string, 10> Pay = {"1  ", "1  ", "2  ", "3  ", "4  ",
                                       "5  ", "7  ", "20 ", "50 ", "100"};
    std::string PriceChange1 = "1,0";
    std::string PriceChange2 = "1,0";
    std::string PriceBuy6 = "1,0";
    std::string PriceBuyDealerGame = "1,0";
};

// The settings the game can be played with. The payout fields hold three digits; a price
// beyond a thousand antes is no game, and keeps every expected value finite and exact enough.
constexpr int32_t kMaxPayout = 999;
constexpr double kMaxPrice = 1000.0;

// A payout or price that is a number but outside those bounds. what() is the window's message;
// the command line names its own option from Field and Text.
class RulesRangeError : public ConvertError {
  public:
    // Field 0..9: the payouts from ace + king up to the royal flush; 10..13: the prices of
    // exchanging one and two cards, of the sixth card and of the dealer's game.
    RulesRangeError(int field, const std::string& text);
    int Field;
    std::string Text;
};

// The caption of a field as the settings page shows it ("рояль", "Покупка 6").
const char* RulesFieldCaption(int field);

// Reads the controls into rules and into PayTable. A field that is not a number throws
// ConvertError with the standard message, a payout outside 0..999 or a price outside
// 0..1000 throws RulesRangeError; payouts read before the bad field keep their new values.
void FillRules(const TRulesControls& controls, TRules& rules);

// The payout of a combination flag. Any other value shows "Так не бывает. function PayOff"
// and gives 0.
int32_t PayOffSlow(uint16_t flag);
inline int32_t PayOff(uint16_t flag) {
    // Single flags 1..1024 only; the index of the set bit selects the entry.
    if (flag != 0 && (flag & (flag - 1)) == 0 && flag <= 1024)
        return PayTable[static_cast<size_t>(__builtin_ctz(flag))];
    return PayOffSlow(flag);
}

} // namespace kvarlen
