// kvarlen-cli exact --sweep: the table of the points, their JSON (each point a whole exact
// result) and their CSV.
#include "cli/exact_sweep_output.h"

#include "cards/numfmt.h"
#include "exact/exact_json.h"
#include "exact/exact_report.h"

#include <cstdio>
#include <sstream>

namespace kvarlen::cli {

namespace {

std::string Plain(long double v, int digits) {
    char buf[48];
    std::snprintf(buf, sizeof buf, "%.*Lf", digits, v);
    return buf;
}

} // namespace

std::vector<std::string> SweepTableLines(const TSweepPlan& plan,
                                         const std::vector<TExactResult>& points,
                                         const std::string& ruleSet) {
    std::vector<std::string> lines;
    const TExactResult& first = points.front();
    lines.push_back("Exact sweep of " + plan.Parameter.Name + " over " +
                    std::to_string(points.size()) + " points, " + ExactModeName(first.Mode) +
                    " play" + (ruleSet.empty() ? "" : ", rule set " + ruleSet) +
                    (first.Complete ? "" : " (INCOMPLETE)"));
    const auto rows = SweepRows(plan, points, '.');
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

std::vector<std::string> SweepCsvLines(const TSweepPlan& plan,
                                       const std::vector<TExactResult>& points) {
    std::vector<std::string> lines;
    for (const auto& r : SweepRows(plan, points, '.')) {
        std::string line;
        for (size_t i = 0; i < r.size(); ++i) {
            if (i > 0) line += ",";
            line += r[i];
        }
        lines.push_back(line);
    }
    return lines;
}

nlohmann::json SweepJson(const TSweepPlan& plan, const std::vector<TExactResult>& points) {
    nlohmann::json j;
    j["format"] = "kvarlen-exact-sweep";
    j["parameter"] = plan.Parameter.Name;
    j["values"] = plan.Values;
    j["points"] = nlohmann::json::array();
    for (const TExactResult& r : points) j["points"].push_back(ExactResultJson(r));
    return j;
}

namespace {

TSolveOutput Begin(const TSweepParameter& parameter, const std::string& edgeText, TExactMode mode,
                   bool found, const std::string& reason) {
    TSolveOutput out;
    out.Found = found;
    out.Reason = reason;
    out.Json["parameter"] = parameter.Name;
    out.Json["edge_percent"] = ParseEdge(edgeText).Value;
    out.Json["mode"] = ExactModeName(mode);
    out.Json["found"] = found;
    return out;
}

} // namespace

TSolveOutput PriceSolutionOutput(const TSweepParameter& parameter, const std::string& edgeText,
                                 TExactMode mode, const TPriceSolution& p) {
    TSolveOutput out = Begin(parameter, edgeText, mode, p.Found, p.Reason);
    if (!p.Found) return out;
    nlohmann::json& j = out.Json;
    j["price"] = p.Price;
    j["numerator"] = ToDecimal(p.Numerator);
    j["denominator"] = ToDecimal(p.Denominator);
    j["switch_below"] = p.SwitchBelow;
    j["switch_above"] = p.SwitchAbove;
    j["net_integer"] = ToDecimal(p.NetInteger);
    j["priced_deals"] = ToDecimal(p.Drawn);
    j["deals"] = ToDecimal(p.Deals);
    char dec[64];
    std::snprintf(dec, sizeof dec, "%.10f", p.Price);
    out.Lines.push_back(parameter.Name + " = " + ToDecimal(p.Numerator) + "/" +
                        ToDecimal(p.Denominator) + " = " + dec + " gives a house edge of " +
                        edgeText + " % (" + ExactModeName(mode) + " play)");
    out.Lines.push_back("The decisions do not change between the switches at " +
                        FormatGeneral(p.SwitchBelow, '.') + " and " +
                        FormatGeneral(p.SwitchAbove, '.') + ": there the net result is " +
                        ToDecimal(p.NetInteger) + " - p x " + ToDecimal(p.Drawn) + " antes over " +
                        ToDecimal(p.Deals) + " deals");
    return out;
}

TSolveOutput PayoutSolutionOutput(const TSweepParameter& parameter, const std::string& edgeText,
                                  TExactMode mode, const TPayoutSolution& p) {
    TSolveOutput out = Begin(parameter, edgeText, mode, p.Found, p.Reason);
    if (!p.Found) return out;
    out.Json["low"] = {{"payout", p.LowPayout}, {"edge_percent", HouseEdgePercent(p.Low)}};
    out.Json["high"] = {{"payout", p.HighPayout}, {"edge_percent", HouseEdgePercent(p.High)}};
    out.Json["crossing"] = p.Crossing;
    char buf[256];
    std::snprintf(buf, sizeof buf,
                  "%s: %d gives a house edge of %.6f %%, %d gives %.6f %%; %s %% lies between "
                  "them (the straight line between the two crosses it at %.4f)",
                  parameter.Name.c_str(), p.LowPayout, HouseEdgePercent(p.Low), p.HighPayout,
                  HouseEdgePercent(p.High), edgeText.c_str(), p.Crossing);
    out.Lines.push_back(buf);
    return out;
}

} // namespace kvarlen::cli
