// What the two halves of the rule sets share: their error texts and two checks of names.
#pragma once

#include "cards/rule_sets.h"

#include <string>

namespace kvarlen::rule_sets_detail {

// Names the file and, when line > 0, the place in it and the key.
RuleSetError FileError(const std::string& path, int line, int column, const std::string& key,
                       const std::string& english, const std::string& russian);
// What the system said, err being its error number.
RuleSetError SystemError(const std::string& path, const std::string& english,
                         const std::string& russian, int err);
bool ValidUtf8(const std::string& s);
bool EndsWith(const std::string& s, const std::string& tail);

} // namespace kvarlen::rule_sets_detail
