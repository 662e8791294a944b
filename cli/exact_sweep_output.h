// The output of kvarlen-cli exact --sweep.
#pragma once

#include "exact/exact_sweep.h"

#include <nlohmann/json.hpp>

#include <string>
#include <vector>

namespace kvarlen::cli {

// The header and one row per point: value, exact net result, MO, house edge, element of risk,
// how often the box raises, buys, exchanges and insures.
std::vector<std::vector<std::string>> SweepRows(const TSweepSpec& spec,
                                                const std::vector<TExactResult>& points);
std::vector<std::string> SweepTableLines(const TSweepSpec& spec,
                                         const std::vector<TExactResult>& points,
                                         const std::string& ruleSet);
std::vector<std::string> SweepCsvLines(const TSweepSpec& spec,
                                       const std::vector<TExactResult>& points);
// Every point's whole result (each one a part as `exact --json` writes it).
nlohmann::json SweepJson(const TSweepSpec& spec, const std::vector<TExactResult>& points);

} // namespace kvarlen::cli
