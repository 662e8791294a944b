// The JSON form of an exact result: written by `kvarlen-cli exact --json`, read back to merge
// parts. Every count is an exact integer; sums that can pass 2^63 are decimal strings.
#pragma once

#include "exact/exact_run.h"

#include <nlohmann/json.hpp>

namespace kvarlen {

inline constexpr const char* kExactFormat = "kvarlen-exact-result";

nlohmann::json ExactResultJson(const TExactResult& r);
// Throws std::runtime_error naming what is wrong with the file's content.
TExactResult ExactResultFromJson(const nlohmann::json& j);
bool IsExactResultJson(const nlohmann::json& j);

} // namespace kvarlen
