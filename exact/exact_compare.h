// Best play, ideal play and strategy play of one rule set side by side: the exact value of each
// and what each rule of play costs against best play.
#pragma once

#include "exact/exact_run.h"

#include <nlohmann/json.hpp>

#include <string>
#include <vector>

namespace kvarlen {

struct TExactComparisonRow {
    TExactMode Mode = TExactMode::Optimal;
    long double MO = 0;        // expected value per deal, antes
    long double HouseEdge = 0; // per cent of the ante
    long double Cost = 0;      // best play's MO minus this one's, antes per deal
    bool CostIsExact = false;  // the nets and the deal spaces are whole: CostNet is exact
    TExactInt CostNet = 0;     // best play's net minus this one's, in antes over the deal space
    bool Complete = false;
};

// Rows in the order of the results; the first result is best play.
std::vector<TExactComparisonRow> CompareExactResults(const std::vector<TExactResult>& results);
std::vector<std::string> ExactComparisonLines(const std::vector<TExactResult>& results,
                                              const std::vector<TExactComparisonRow>& rows,
                                              char sep);
nlohmann::json ExactComparisonJson(const std::vector<TExactResult>& results,
                                   const std::vector<TExactComparisonRow>& rows);

// "best play", "ideal play", "strategy play"; the window's "лучшая игра", "идеальная игра",
// "игра по стратегии".
std::string ExactModeLabel(TExactMode m);
std::string ExactModeCaption(TExactMode m);

} // namespace kvarlen
