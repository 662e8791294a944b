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

// A result file is a few dozen kilobytes; nothing larger or nested deeper is read.
inline constexpr size_t kExactFileLimit = 16u << 20;
inline constexpr int kExactDepthLimit = 16;
// Parses the text of a result file within those limits; throws std::runtime_error saying why.
nlohmann::json ParseExactResultText(const std::string& text);
// Reads and parses a file within those limits; throws std::runtime_error naming the reason.
nlohmann::json ReadExactResultFile(const std::string& path);

} // namespace kvarlen
