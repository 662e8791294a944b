// libFuzzer target: the number parsers, the command line's lists and decimal integers, and the
// settings fields FillRules reads. Whatever is accepted is finite and within its bounds.
#include "cards/hand.h"
#include "cli/options_common.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

using namespace kvarlen;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    try {
        (void)StrToInt(text);
    } catch (const ConvertError& e) {
        if (std::string(e.what()).size() > 200) std::abort();
    }
    try {
        if (!std::isfinite(StrToFloat(text))) std::abort();
    } catch (const ConvertError&) {
    }
    std::string decimal = text;
    if (cli::DecimalInteger()(decimal).empty()) {
        // What passes is an optional minus and digits without leading zeros.
        size_t i = !decimal.empty() && decimal[0] == '-' ? 1 : 0;
        if (i == decimal.size() || (decimal[i] == '0' && decimal.size() > i + 1)) std::abort();
        for (; i < decimal.size(); ++i)
            if (decimal[i] < '0' || decimal[i] > '9') std::abort();
    }

    // The first line as --pay, the rest as the four prices.
    const size_t cut = text.find('\n');
    TRulesControls controls;
    try {
        cli::SetPayouts(text.substr(0, cut), controls);
        if (cut != std::string::npos) {
            const std::vector<std::string> prices = cli::SplitList(text.substr(cut + 1), "prices");
            std::string* fields[4] = {&controls.PriceChange1, &controls.PriceChange2,
                                      &controls.PriceBuy6, &controls.PriceBuyDealerGame};
            for (size_t i = 0; i < prices.size() && i < 4; ++i) *fields[i] = prices[i];
        }
        TRules rules;
        FillRules(controls, rules);
        for (size_t i = 1; i <= 10; ++i)
            if (PayTable[i] < 0 || PayTable[i] > kMaxPayout) std::abort();
        for (double p :
             {rules.PriceChange1, rules.PriceChange2, rules.PriceBuy6, rules.PriceBuyDealerGame})
            if (!(p >= 0 && p <= kMaxPrice)) std::abort();
    } catch (const std::runtime_error&) {
    }
    PayTable = kDefaultPayTable;
    return 0;
}
