// kvarlen-cli exact --sweep: the table of the points, their JSON (each point a whole exact
// result) and their CSV.
#include "cli/exact_sweep_output.h"

#include "exact/exact_json.h"
#include "exact/exact_report.h"

#include <cstdio>
#include <sstream>

namespace kvarlen::cli {

namespace {

std::string Percent(long double share) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.4Lf", 100.0L * share);
    return buf;
}

std::string Plain(long double v, int digits) {
    char buf[48];
    std::snprintf(buf, sizeof buf, "%.*Lf", digits, v);
    return buf;
}

std::string Value(double v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.10g", v);
    return buf;
}

} // namespace

std::vector<std::vector<std::string>> SweepRows(const TSweepSpec& spec,
                                                const std::vector<TExactResult>& points) {
    std::vector<std::vector<std::string>> rows;
    rows.push_back({spec.Parameter.Name, "net result (antes)", "MO per deal", "house edge %",
                    "element of risk %", "raise %", "buy %", "exchange %", "insure %"});
    for (size_t k = 0; k < points.size(); ++k) {
        const TExactSummary s = SummarizeExact(points[k]);
        // Whole prices give the net result as an exact integer; others its decimal value (the
        // exact counts are in the JSON).
        const std::string net = s.NetIsInteger ? ToDecimal(s.Net) : Plain(s.NetValue, 4);
        rows.push_back({Value(spec.Values[k]), net, Plain(s.MO, 8), Percent(s.HouseEdge),
                        Percent(s.ElementOfRisk), Percent(s.RaiseShare), Percent(s.BuyShare),
                        Percent(s.ExchangeShare), Percent(s.InsureShare)});
    }
    return rows;
}

std::vector<std::string> SweepTableLines(const TSweepSpec& spec,
                                         const std::vector<TExactResult>& points,
                                         const std::string& ruleSet) {
    std::vector<std::string> lines;
    const TExactResult& first = points.front();
    lines.push_back("Exact sweep of " + spec.Parameter.Name + " over " +
                    std::to_string(points.size()) + " points, " + ExactModeName(first.Mode) +
                    " play" + (ruleSet.empty() ? "" : ", rule set " + ruleSet) +
                    (first.Complete ? "" : " (INCOMPLETE)"));
    const auto rows = SweepRows(spec, points);
    std::vector<size_t> width(rows.front().size(), 0);
    for (const auto& r : rows)
        for (size_t i = 0; i < r.size(); ++i) width[i] = std::max(width[i], r[i].size());
    for (const auto& r : rows) {
        std::string line;
        for (size_t i = 0; i < r.size(); ++i) {
            if (i > 0) line += "  ";
            line += std::string(width[i] - r[i].size(), ' ') + r[i];
        }
        lines.push_back(line);
    }
    lines.push_back("Layouts " + std::to_string(first.Tally.Layouts) + " of " +
                    std::to_string(first.LayoutsInPart) + " (part " +
                    std::to_string(first.PartIndex) + "/" + std::to_string(first.PartCount) +
                    "), one pass in " + Plain(first.Seconds, 1) + " s");
    return lines;
}

std::vector<std::string> SweepCsvLines(const TSweepSpec& spec,
                                       const std::vector<TExactResult>& points) {
    std::vector<std::string> lines;
    for (const auto& r : SweepRows(spec, points)) {
        std::string line;
        for (size_t i = 0; i < r.size(); ++i) {
            if (i > 0) line += ",";
            line += r[i];
        }
        lines.push_back(line);
    }
    return lines;
}

nlohmann::json SweepJson(const TSweepSpec& spec, const std::vector<TExactResult>& points) {
    nlohmann::json j;
    j["format"] = "kvarlen-exact-sweep";
    j["parameter"] = spec.Parameter.Name;
    j["values"] = spec.Values;
    j["points"] = nlohmann::json::array();
    for (const TExactResult& r : points) j["points"].push_back(ExactResultJson(r));
    return j;
}

} // namespace kvarlen::cli
