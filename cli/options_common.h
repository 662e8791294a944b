// Option helpers shared by the subcommands.
#pragma once

#include "cards/rule_sets.h"
#include "cards/rules.h"

#include <CLI/CLI.hpp>

#include <iostream>
#include <stdexcept>
#include <string>
#include <vector>

namespace kvarlen::cli {

// Items separated by a comma or a semicolon (blanks around it allowed) or by blanks alone.
// An empty item ("1,,2", a leading or trailing comma) is refused: a dropped field would shift
// every value after it. An empty text gives no items.
inline std::vector<std::string> SplitList(const std::string& text, const char* option) {
    std::vector<std::string> items;
    std::string cur;
    bool separated = false; // a comma or semicolon since the last item
    bool any = false;       // an item or a separator seen
    auto emptyItem = [&]() {
        throw std::runtime_error(std::string(option) + ": an empty item in '" + ShortText(text) +
                                 "'");
    };
    for (char c : text) {
        if (c == ',' || c == ';') {
            if (!cur.empty()) {
                items.push_back(cur);
                cur.clear();
            } else if (separated || items.empty())
                emptyItem();
            separated = true;
            any = true;
        } else if (c == ' ' || c == '\t') {
            if (!cur.empty()) {
                items.push_back(cur);
                cur.clear();
                separated = false;
            }
        } else {
            if (cur.empty()) separated = false;
            cur += c;
            any = true;
        }
    }
    if (!cur.empty())
        items.push_back(cur);
    else if (separated)
        emptyItem();
    if (any && items.empty()) emptyItem();
    return items;
}

// Integers on the command line are decimal, whatever their leading zeros: "010" is ten and
// "08" eight (CLI11 alone reads them as octal). Anything but an optional sign and digits is
// refused with CLI11's conversion message.
inline const CLI::Validator& DecimalInteger() {
    static const CLI::Validator v(
        [](std::string& text) -> std::string {
            size_t i = (!text.empty() && (text[0] == '-' || text[0] == '+')) ? 1 : 0;
            const size_t digits = i;
            if (i == text.size()) return "'" + ShortText(text) + "' is not a decimal integer";
            for (; i < text.size(); ++i)
                if (text[i] < '0' || text[i] > '9')
                    return "'" + ShortText(text) + "' is not a decimal integer";
            size_t first = digits;
            while (first + 1 < text.size() && text[first] == '0') ++first;
            const std::string sign = (digits == 1 && text[0] == '-') ? "-" : "";
            text = sign + text.substr(first);
            return {};
        },
        "", "DECIMAL");
    return v;
}

// An integer option read as a decimal number.
template <typename T>
CLI::Option* AddInteger(CLI::App* cmd, const std::string& name, T& value,
                        const std::string& description) {
    return cmd->add_option(name, value, description)->transform(DecimalInteger());
}

// --pay "1,1,2,3,4,5,7,20,50,100" into the payout fields; empty keeps the defaults.
inline void SetPayouts(const std::string& text, TRulesControls& controls) {
    if (text.empty()) return;
    const std::vector<std::string> pay = SplitList(text, "--pay");
    if (pay.size() != 10)
        throw std::runtime_error(
            "--pay needs ten payouts from ace + king up to the royal flush, got " +
            std::to_string(pay.size()));
    for (size_t i = 0; i < 10; ++i) controls.Pay[i] = pay[i];
}

// FillRules with the command line's words for a payout or price out of bounds.
inline void FillRulesFromOptions(const TRulesControls& controls, TRules& rules) {
    static const char* const kPayNames[10] = {
        "ace + king", "a pair",       "two pairs",      "three of a kind",  "a straight",
        "a flush",    "a full house", "four of a kind", "a straight flush", "the royal flush"};
    static const char* const kPriceOptions[4] = {"--price-change1", "--price-change2",
                                                 "--price-buy6", "--price-dealer-game"};
    // A figure that is no number at all is named with its option too.
    for (size_t i = 0; i < 10; ++i) {
        try {
            (void)StrToInt(controls.Pay[i]);
        } catch (const ConvertError& e) {
            throw std::runtime_error("--pay: the payout of " + std::string(kPayNames[i]) + ": " +
                                     e.what());
        }
    }
    const std::string* prices[4] = {&controls.PriceChange1, &controls.PriceChange2,
                                    &controls.PriceBuy6, &controls.PriceBuyDealerGame};
    for (size_t i = 0; i < 4; ++i) {
        try {
            (void)StrToFloat(*prices[i]);
        } catch (const ConvertError& e) {
            throw std::runtime_error(std::string(kPriceOptions[i]) + ": " + e.what());
        }
    }
    try {
        FillRules(controls, rules);
    } catch (const RulesRangeError& e) {
        if (e.Field < 10)
            throw std::runtime_error("--pay: the payout of " + std::string(kPayNames[e.Field]) +
                                     " must be 0..999, not '" + ShortText(e.Text) + "'");
        throw std::runtime_error(std::string(kPriceOptions[e.Field - 10]) +
                                 " must be 0..1000 antes, not '" + ShortText(e.Text) + "'");
    }
}

// --rules: the set a command plays under, the base of the rule options given beside it.
struct TRuleSetChoice {
    std::string Given;
    TRuleSet Set = DefaultRuleSet();
};

inline void AddRuleSetOption(CLI::App* cmd, TRuleSetChoice& choice) {
    cmd->add_option("--rules", choice.Given,
                    "The rules to play by: the NAME of a set in $XDG_CONFIG_HOME/kvarlen/rules "
                    "(\"default\" is the program's own) or a FILE (a path with a '/' or ending "
                    "in .toml); a rule option given beside it overrides the set");
}

// Loads --rules and sets every rule option the command line did not give from it, so that each
// command checks and reads them as if they had been typed. False, and said on stderr, when the
// set cannot be read.
template <class Options> bool ApplyRuleSet(const CLI::App& cmd, Options& o) {
    if (cmd.count("--rules") == 0) return true;
    try {
        o.RuleSet.Set = LoadRuleSet(o.RuleSet.Given, RuleSetsFolder());
    } catch (const RuleSetError& e) {
        std::cerr << "kvarlen-cli " << cmd.get_name() << ": --rules: " << e.what() << "\n";
        return false;
    }
    const TRuleSet& s = o.RuleSet.Set;
    auto unset = [&](const char* option) { return cmd.count(option) == 0; };
    if (unset("--no-insurance")) o.NoInsurance = !s.Insurance;
    if (unset("--no-ak")) o.NoAK = !s.AKPlays;
    if constexpr (requires { o.NoBuy; })
        if (unset("--no-buy")) o.NoBuy = !s.Buy6;
    if constexpr (requires { o.Exchange1; })
        if (unset("--exchange1")) o.Exchange1 = s.Exchange1;
    if constexpr (requires { o.DealerGame; }) {
        static const char* const games[3] = {"none", "high", "low"};
        if (unset("--dealer-game")) o.DealerGame = games[s.DealerGameBuy > 2 ? 0 : s.DealerGameBuy];
    }
    if constexpr (requires { o.AntePaid; })
        if (unset("--ante-paid")) o.AntePaid = s.AntePaid;
    if (unset("--price-change1")) o.PriceChange1 = RuleSetPriceText(s.PriceChange1, '.');
    if (unset("--price-change2")) o.PriceChange2 = RuleSetPriceText(s.PriceChange2, '.');
    if (unset("--price-buy6")) o.PriceBuy6 = RuleSetPriceText(s.PriceBuy6, '.');
    if constexpr (requires { o.PriceDealerGame; })
        if (unset("--price-dealer-game"))
            o.PriceDealerGame = RuleSetPriceText(s.PriceBuyDealerGame, '.');
    if (unset("--pay")) {
        o.Pay.clear();
        for (size_t i = 0; i < 10; ++i) o.Pay += (i ? "," : "") + std::to_string(s.Pay[i]);
    }
    return true;
}

// The name of the set the rules came from, with a '*' when options given beside it changed them
// (as the desktop marks a set edited and not saved).
inline std::string RuleSetLabel(const TRuleSetChoice& choice, const TRules& r,
                                const TPayTable& pay) {
    TRuleSet played;
    played.Insurance = r.Insurance;
    played.AKPlays = r.AKPlays;
    played.Buy6 = r.Buy6;
    played.Exchange1 = r.Exchange1;
    played.DealerGameBuy = r.DealerGameBuy;
    played.AntePaid = r.AntePaid != 0;
    for (size_t i = 0; i < 10; ++i) played.Pay[i] = pay[i + 1];
    played.PriceChange1 = r.PriceChange1;
    played.PriceChange2 = r.PriceChange2;
    played.PriceBuy6 = r.PriceBuy6;
    played.PriceBuyDealerGame = r.PriceBuyDealerGame;
    return choice.Set.Name + (SameRules(played, choice.Set) ? "" : "*");
}

// Report lines with "Rule set: NAME" after the line that states the rules (none for an empty
// label).
inline void PrintNamingRuleSet(const std::vector<std::string>& lines, const std::string& label) {
    bool named = label.empty();
    for (const std::string& line : lines) {
        std::cout << line << "\n";
        if (!named && line.rfind("Rules: ", 0) == 0) {
            std::cout << "Rule set: " << label << "\n";
            named = true;
        }
    }
}

// The rule switches, payouts and prices that simulate and exact share, into the rules.
template <class Options> void FillRulesFromSwitches(const Options& o, TRules& rules) {
    TRulesControls controls = RuleSetControls(o.RuleSet.Set, '.');
    controls.Insurance = !o.NoInsurance;
    controls.AKPlays = !o.NoAK;
    controls.Buy6 = !o.NoBuy;
    controls.Exchange1 = o.Exchange1;
    const std::string games[3] = {"none", "high", "low"};
    controls.DealerGameBuyIndex = -1;
    for (int i = 0; i < 3; ++i)
        if (o.DealerGame == games[i]) controls.DealerGameBuyIndex = i;
    if (controls.DealerGameBuyIndex < 0)
        throw std::runtime_error("--dealer-game: '" + ShortText(o.DealerGame) +
                                 "' is none of none|high|low");
    controls.AntePaidIndex = o.AntePaid ? 1 : 0;
    controls.PriceChange1 = o.PriceChange1;
    controls.PriceChange2 = o.PriceChange2;
    controls.PriceBuy6 = o.PriceBuy6;
    controls.PriceBuyDealerGame = o.PriceDealerGame;
    SetPayouts(o.Pay, controls);
    FillRulesFromOptions(controls, rules);
}

// The rule switches, payouts and prices that simulate and exact share, on the command.
template <class Options> void AddRuleOptions(CLI::App* cmd, Options* o, const char* buy6Help) {
    AddRuleSetOption(cmd, o->RuleSet);
    cmd->add_flag("--no-insurance", o->NoInsurance, "No insurance");
    cmd->add_flag("--no-ak", o->NoAK, "Ace + king does not play");
    cmd->add_flag("--no-buy", o->NoBuy, "No sixth card can be bought");
    cmd->add_flag("--exchange1", o->Exchange1,
                  "Ideal play: a box may exchange one card (\"обмен 1 карты\"; needs --no-buy)");
    cmd->add_option("--dealer-game", o->DealerGame,
                    "Buying the dealer a game: none, high (discard the highest), low (the lowest)")
        ->capture_default_str();
    cmd->add_flag("--ante-paid", o->AntePaid, "The ante is paid after the dealer's bought game");
    cmd->add_option("--price-change1", o->PriceChange1, "Price of exchanging one card")
        ->capture_default_str();
    cmd->add_option("--price-change2", o->PriceChange2, "Price of exchanging two cards")
        ->capture_default_str();
    cmd->add_option("--price-buy6", o->PriceBuy6, buy6Help)->capture_default_str();
    cmd->add_option("--price-dealer-game", o->PriceDealerGame, "Price of buying the dealer a game")
        ->capture_default_str();
    cmd->add_option("--pay", o->Pay,
                    "Payouts from ace + king up to the royal flush, e.g. "
                    "\"1,1,2,3,4,5,7,20,50,100\"");
}

} // namespace kvarlen::cli
