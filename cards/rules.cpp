#include "cards/rules.h"

#include "cards/messages.h"
#include "cards/numfmt.h"

namespace kvarlen {

TPayTable PayTable = kDefaultPayTable;

void FillRules(const TRulesControls& c, TRules& rules) {
    rules.AKPlays = c.AKPlays;
    rules.Insurance = c.Insurance;
    rules.DealerGameBuy = (c.DealerGameBuyIndex == 1 || c.DealerGameBuyIndex == 2)
                              ? static_cast<uint8_t>(c.DealerGameBuyIndex)
                              : 0;
    rules.Exchange1 = c.Exchange1;
    rules.AntePaid = c.AntePaidIndex == 1 ? 1 : 0;
    rules.Buy6 = c.Buy6;
    for (size_t i = 0; i < 10; ++i) PayTable[i + 1] = StrToInt(c.Pay[i]);
    rules.PriceChange1 = StrToFloat(c.PriceChange1);
    rules.PriceChange2 = StrToFloat(c.PriceChange2);
    rules.PriceBuy6 = StrToFloat(c.PriceBuy6);
    rules.PriceBuyDealerGame = StrToFloat(c.PriceBuyDealerGame);
}

int32_t PayOffSlow(uint16_t flag) {
    if (flag != 0 && (flag & (flag - 1)) == 0 && flag <= 1024)
        return PayTable[static_cast<size_t>(__builtin_ctz(flag))];
    ShowMessage("Так не бывает. function PayOff");
    return 0;
}

} // namespace kvarlen
