// Named rule sets: the program's own "default" and the user's TOML files under
// $XDG_CONFIG_HOME/kvarlen/rules/ (~/.config/kvarlen/rules/), read by the desktop and the
// command line alike.
//
// A file holds up to three tables; a key left out takes the program's default, a key or table
// that is not listed here is refused (a typo must not pass for a default):
//
//   [switches]  insurance, ak_plays, buy6, exchange1, ante_paid (true/false),
//               dealer_game ("none", "high" or "low")
//   [payouts]   ak, pair, two_pairs, trips, straight, flush, full_house, quads,
//               straight_flush, royal (whole numbers 0..999)
//   [prices]    change1, change2, buy6, dealer_game (numbers 0..1000, in antes)
//
// The name of a set is its file name without ".toml".
#pragma once

#include "cards/rules.h"

#include <array>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace kvarlen {

inline constexpr const char* kDefaultRuleSetName = "default";

struct TRuleSet {
    std::string Name = kDefaultRuleSetName;
    bool Insurance = true;
    bool AKPlays = true;
    bool Buy6 = true;
    bool Exchange1 = false;
    uint8_t DealerGameBuy = 0; // 0 none, 1 discard the highest card, 2 discard the lowest
    bool AntePaid = false;
    // From ace + king up to the royal flush.
    std::array<int32_t, 10> Pay = {1, 1, 2, 3, 4, 5, 7, 20, 50, 100};
    double PriceChange1 = 1.0;
    double PriceChange2 = 1.0;
    double PriceBuy6 = 1.0;
    double PriceBuyDealerGame = 1.0;
};

// The program's defaults; never changed, saved over or deleted.
const TRuleSet& DefaultRuleSet();

// The same rules, whatever the names.
bool SameRules(const TRuleSet& a, const TRuleSet& b);

// A rule set that cannot be read, written or named. what() is the command line's English text,
// Russian the desktop's; both name the file and, where the file is at fault, the line, the
// column and the key.
class RuleSetError : public std::runtime_error {
  public:
    RuleSetError(const std::string& english, const std::string& russian);
    std::string Russian;
    std::string Path;
    int Line = 0; // 1-based; 0 when no place in the file is at fault
    int Column = 0;
    std::string Key; // "[payouts] royal"
};

// The folder of the user's sets: $XDG_CONFIG_HOME/kvarlen/rules when that is an absolute path,
// else $HOME/.config/kvarlen/rules; "" when neither is set.
std::string RuleSetsFolder();

// "" when name can name a user's set, else why not (English; RuleSetNameError gives both
// languages): empty, a '/', "default", a leading dot or blank, a trailing blank, a control
// character, ".toml" at its end or more than 100 bytes.
std::string RuleSetNameProblem(const std::string& name);
RuleSetError RuleSetNameError(const std::string& name);

// The values a file may hold: payouts 0..999, prices 0..1000, and no sixth card together with
// the exchange of one card. Throws RuleSetError naming the first key at fault.
void ValidateRuleSet(const TRuleSet& set, const std::string& path = "");

// The file's text and its reading. source names the file in messages; name becomes the set's.
std::string RuleSetToml(const TRuleSet& set);
TRuleSet ParseRuleSet(const std::string& text, const std::string& name, const std::string& source);
TRuleSet ReadRuleSetFile(const std::string& path);

// The path of a set's file in folder.
std::string RuleSetPath(const std::string& folder, const std::string& name);

struct TRuleSetEntry {
    std::string Name;
    std::string Path;
    bool Ok = false;
    TRuleSet Set;                    // when Ok
    std::string Error, RussianError; // when not
};

// Every *.toml file of folder, by name; a file that cannot be read is listed with the reason.
// A folder that does not exist holds no sets; one that cannot be read throws RuleSetError.
std::vector<TRuleSetEntry> ListRuleSets(const std::string& folder);

// "default" is the program's own set; a text with a '/' or ending in ".toml" is a file's path
// (the set takes the file's name); anything else names a set of folder.
TRuleSet LoadRuleSet(const std::string& nameOrFile, const std::string& folder);

// Writes the set's file through a temporary file renamed over it, creating folder when
// missing. A new name (replace false) must be free; replacing needs the old file to be a set
// that reads, so that a file the program cannot read is never overwritten.
void SaveRuleSet(const TRuleSet& set, const std::string& folder, bool replace);
// A copy of the set `from` (the default included) under a new name.
TRuleSet CopyRuleSet(const std::string& from, const std::string& to, const std::string& folder);
// Removes a set's file; a file that cannot be read is left alone.
void DeleteRuleSet(const std::string& name, const std::string& folder);

// The set as the settings controls show it, prices with the given decimal separator; the
// default set gives exactly the controls' defaults.
TRulesControls RuleSetControls(const TRuleSet& set, char separator);
// The controls read as FillRules reads them, without touching PayTable. Throws what FillRules
// throws for a field that is not a number or out of bounds.
TRuleSet RuleSetFromControls(const TRulesControls& controls, const std::string& name);
// A price as a field shows it: the shortest text that reads back as the same number, with at
// least one decimal ("1,0", "0,35").
std::string RuleSetPriceText(double price, char separator);

} // namespace kvarlen
