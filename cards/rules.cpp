#include "cards/rules.h"

#include "cards/messages.h"
#include "cards/numfmt.h"

namespace kvarlen {

TPayTable PayTable = kDefaultPayTable;

namespace {
const char* const kFieldCaptions[14] = {
    "Туз+король", "пара",      "две пары", "тройня",  "стрит",   "флэш",      "фуллхаус",
    "каре",       "стритфлэш", "рояль",    "Обмен 1", "Обмен 2", "Покупка 6", "Покупка игры"};

std::string RangeMessage(int field, const std::string& text) {
    const bool payout = field < 10;
    return std::string(payout ? "Выплата" : "Цена") + " \"" + kFieldCaptions[field] +
           "\" должна быть от 0 до " + (payout ? "999" : "1000") + ", а не " + ShortText(text);
}

double ReadPrice(int field, const std::string& text) {
    const double v = StrToFloat(text);
    if (!(v >= 0 && v <= kMaxPrice)) throw RulesRangeError(field, text);
    return v;
}
} // namespace

RulesRangeError::RulesRangeError(int field, const std::string& text)
    : ConvertError(RangeMessage(field, text)), Field(field), Text(text) {}

const char* RulesFieldCaption(int field) {
    return field >= 0 && field < 14 ? kFieldCaptions[field] : "";
}

void FillRules(const TRulesControls& c, TRules& rules) {
    rules.AKPlays = c.AKPlays;
    rules.Insurance = c.Insurance;
    rules.DealerGameBuy = (c.DealerGameBuyIndex == 1 || c.DealerGameBuyIndex == 2)
                              ? static_cast<uint8_t>(c.DealerGameBuyIndex)
                              : 0;
    rules.Exchange1 = c.Exchange1;
    rules.AntePaid = c.AntePaidIndex == 1 ? 1 : 0;
    rules.Buy6 = c.Buy6;
    for (size_t i = 0; i < 10; ++i) {
        const int32_t pay = StrToInt(c.Pay[i]);
        // The settings page holds three digits; the analysis counts are sized for them.
        if (pay < 0 || pay > kMaxPayout) throw RulesRangeError(static_cast<int>(i), c.Pay[i]);
        PayTable[i + 1] = pay;
    }
    rules.PriceChange1 = ReadPrice(10, c.PriceChange1);
    rules.PriceChange2 = ReadPrice(11, c.PriceChange2);
    rules.PriceBuy6 = ReadPrice(12, c.PriceBuy6);
    rules.PriceBuyDealerGame = ReadPrice(13, c.PriceBuyDealerGame);
}

int32_t PayOffSlow(uint16_t flag) {
    if (flag != 0 && (flag & (flag - 1)) == 0 && flag <= 1024)
        return PayTable[static_cast<size_t>(__builtin_ctz(flag))];
    ShowMessage("Так не бывает. function PayOff");
    return 0;
}

} // namespace kvarlen
