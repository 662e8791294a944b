// The output of kvarlen-cli exact --sweep.
#pragma once

#include "exact/exact_sweep.h"

#include <nlohmann/json.hpp>

#include <string>
#include <vector>

namespace kvarlen::cli {

// The table of the points (SweepRows) aligned in columns, under a line naming the sweep.
std::vector<std::string> SweepTableLines(const TSweepPlan& plan,
                                         const std::vector<TExactResult>& points,
                                         const std::string& ruleSet);
std::vector<std::string> SweepCsvLines(const TSweepPlan& plan,
                                       const std::vector<TExactResult>& points);
// Every point's whole result (each one a part as `exact --json` writes it).
nlohmann::json SweepJson(const TSweepPlan& plan, const std::vector<TExactResult>& points);

// What --solve prints: the text lines and the JSON, or the reason nothing was found.
struct TSolveOutput {
    bool Found = false;
    std::string Reason;
    std::vector<std::string> Lines;
    nlohmann::json Json;
};
TSolveOutput PriceSolutionOutput(const TSweepParameter& parameter, const std::string& edgeText,
                                 TExactMode mode, const TPriceSolution& p);
TSolveOutput PayoutSolutionOutput(const TSweepParameter& parameter, const std::string& edgeText,
                                  TExactMode mode, const TPayoutSolution& p);

} // namespace kvarlen::cli
