#include "exact/exact_compare.h"

#include "exact/exact_json.h"
#include "exact/exact_report.h"

#include <cstdio>

namespace kvarlen {

namespace {

std::string Fixed(long double v, int digits, char sep) {
    char buf[80];
    std::snprintf(buf, sizeof buf, "%.*Lf", digits, v);
    std::string s = buf;
    for (char& c : s)
        if (c == '.') c = sep;
    if (s.find_first_not_of("-0.,") == std::string::npos && !s.empty() && s[0] == '-')
        s.erase(0, 1);
    return s;
}

std::string Pad(const std::string& s, size_t width, bool right) {
    if (s.size() >= width) return s;
    const std::string fill(width - s.size(), ' ');
    return right ? fill + s : s + fill;
}

} // namespace

std::string ExactModeLabel(TExactMode m) {
    switch (m) {
    case TExactMode::Optimal:
        return "best play";
    case TExactMode::Ideal:
        return "ideal play";
    case TExactMode::Strategy:
        return "strategy play";
    }
    return "";
}

std::string ExactModeCaption(TExactMode m) {
    switch (m) {
    case TExactMode::Optimal:
        return "лучшая игра";
    case TExactMode::Ideal:
        return "идеальная игра";
    case TExactMode::Strategy:
        return "игра по стратегии";
    }
    return "";
}

std::vector<TExactComparisonRow> CompareExactResults(const std::vector<TExactResult>& results) {
    std::vector<TExactComparisonRow> rows;
    if (results.empty()) return rows;
    const TExactSummary best = SummarizeExact(results.front());
    for (const TExactResult& r : results) {
        const TExactSummary s = SummarizeExact(r);
        TExactComparisonRow row;
        row.Mode = r.Mode;
        row.MO = s.MO;
        row.HouseEdge = 100 * s.HouseEdge;
        row.Cost = best.MO - s.MO;
        row.Complete = r.Complete;
        // Over the same deal space the difference of the exact nets is the exact cost.
        row.CostIsExact = best.NetIsInteger && s.NetIsInteger && s.Deals == best.Deals;
        if (row.CostIsExact) row.CostNet = best.Net - s.Net;
        rows.push_back(row);
    }
    return rows;
}

std::vector<std::string> ExactComparisonLines(const std::vector<TExactResult>& results,
                                              const std::vector<TExactComparisonRow>& rows,
                                              char sep) {
    std::vector<std::string> out;
    if (results.empty()) return out;
    const std::vector<std::string> first = ExactReportLines(results.front(), sep);
    out.push_back("Exact value of the whole game for one box: best play against the rules of play");
    if (first.size() > 1) out.push_back(first[1]);
    out.push_back("");
    out.push_back(Pad("Play", 16, false) + Pad("Value per deal", 16, true) +
                  Pad("House edge", 12, true) + Pad("Cost per deal", 16, true) +
                  Pad("Cost, % ante", 14, true) + "  Exact cost over all deals (antes)");
    for (size_t i = 0; i < rows.size(); ++i) {
        const TExactComparisonRow& r = rows[i];
        std::string line = Pad(ExactModeLabel(r.Mode), 16, false) +
                           Pad(Fixed(r.MO, 8, sep), 16, true) +
                           Pad(Fixed(r.HouseEdge, 4, sep) + " %", 12, true) +
                           Pad(Fixed(r.Cost, 8, sep), 16, true) +
                           Pad(Fixed(100 * r.Cost, 4, sep) + " %", 14, true);
        line += "  " + (r.CostIsExact ? ToDecimal(r.CostNet) : std::string("-"));
        if (!r.Complete) line += "  INCOMPLETE";
        out.push_back(line);
    }
    out.push_back("");
    out.push_back(
        "Strategy play pays 1 ante for the sixth card whatever the price; every figure is "
        "the exact value of its play, every deal counted.");
    double seconds = 0;
    for (const TExactResult& r : results) seconds += r.Seconds;
    out.push_back("Time " + Fixed(seconds, 1, sep) + " s");
    return out;
}

nlohmann::json ExactComparisonJson(const std::vector<TExactResult>& results,
                                   const std::vector<TExactComparisonRow>& rows) {
    nlohmann::json j;
    j["format"] = "kvarlen-exact-comparison";
    nlohmann::json list = nlohmann::json::array();
    for (size_t i = 0; i < rows.size(); ++i) {
        const TExactComparisonRow& r = rows[i];
        nlohmann::json e = {{"mode", ExactModeName(r.Mode)},
                            {"mo", static_cast<double>(r.MO)},
                            {"house_edge_percent", static_cast<double>(r.HouseEdge)},
                            {"cost_per_deal", static_cast<double>(r.Cost)},
                            {"cost_percent_of_ante", static_cast<double>(100 * r.Cost)},
                            {"complete", r.Complete},
                            {"result", ExactResultJson(results[i])}};
        if (r.CostIsExact) e["cost_net"] = ToDecimal(r.CostNet);
        list.push_back(e);
    }
    j["modes"] = list;
    return j;
}

} // namespace kvarlen
