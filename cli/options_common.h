// Option helpers shared by the subcommands.
#pragma once

#include "cards/rules.h"

#include <stdexcept>
#include <string>
#include <vector>

namespace kvarlen::cli {

// Items separated by commas, blanks or semicolons.
inline std::vector<std::string> SplitList(const std::string& text) {
    std::vector<std::string> items;
    std::string cur;
    for (char c : text) {
        if (c == ',' || c == ' ' || c == ';') {
            if (!cur.empty()) items.push_back(cur);
            cur.clear();
        } else
            cur += c;
    }
    if (!cur.empty()) items.push_back(cur);
    return items;
}

// --pay "1,1,2,3,4,5,7,20,50,100" into the payout fields; empty keeps the defaults.
inline void SetPayouts(const std::string& text, TRulesControls& controls) {
    if (text.empty()) return;
    const std::vector<std::string> pay = SplitList(text);
    if (pay.size() != 10)
        throw std::runtime_error(
            "--pay needs ten payouts from ace + king up to the royal flush, got " +
            std::to_string(pay.size()));
    for (size_t i = 0; i < 10; ++i) controls.Pay[i] = pay[i];
}

} // namespace kvarlen::cli
