#include "exact/exact_json.h"

#include "exact/exact_report.h"

#include <stdexcept>

namespace kvarlen {

namespace {

using nlohmann::json;

json Big(TExactInt v) {
    return ToDecimal(v);
}
json Big(TExactUInt v) {
    return ToDecimal(v);
}

TExactInt ReadBig(const json& j) {
    if (j.is_string()) return ParseExactInt(j.get<std::string>());
    if (j.is_number_unsigned()) return static_cast<TExactInt>(j.get<uint64_t>());
    if (j.is_number_integer()) return static_cast<TExactInt>(j.get<int64_t>());
    throw std::runtime_error("an integer was expected, found " + j.dump());
}

uint64_t ReadCount(const json& j) {
    const TExactInt v = ReadBig(j);
    if (v < 0 || v > static_cast<TExactInt>(UINT64_MAX))
        throw std::runtime_error("a count out of range: " + j.dump());
    return static_cast<uint64_t>(v);
}

const char* const kPriceKeys[kPriceKinds] = {"none", "buy", "exchange"};
const char* const kDecisionKeys[kDecisions] = {"passed", "raised", "bought", "exchanged"};

std::string DealerGameName(uint8_t mode) {
    return mode == 1 ? "high" : (mode == 2 ? "low" : "none");
}

} // namespace

bool IsExactResultJson(const json& j) {
    return j.is_object() && j.value("format", std::string()) == kExactFormat;
}

json ExactResultJson(const TExactResult& r) {
    const TRules& rules = r.Rules;
    const TExactTally& t = r.Tally;
    json payouts = json::array();
    for (size_t i = 1; i <= 10; ++i) payouts.push_back(r.Pay[i]);
    json conditions = {{"mode", ExactModeName(r.Mode)},
                       {"dealer_ak", r.DealerAK},
                       {"rules",
                        {{"insurance", rules.Insurance},
                         {"ak_plays", rules.AKPlays},
                         {"buy6", rules.Buy6},
                         {"exchange1", rules.Exchange1},
                         {"dealer_game", DealerGameName(rules.DealerGameBuy)},
                         {"ante_paid", rules.AntePaid != 0},
                         {"price_change1", rules.PriceChange1},
                         {"price_change2", rules.PriceChange2},
                         {"price_buy6", rules.PriceBuy6},
                         {"price_dealer_game", rules.PriceBuyDealerGame},
                         {"payouts", payouts}}}};
    if (r.Mode == TExactMode::Strategy) conditions["raise_at_2_matches"] = r.RaiseAt2Matches;

    json rows = json::array();
    for (const TExactTableRow& row : ExactTableRows(r))
        rows.push_back({{"event", row.Id},
                        {"deals", row.Deals},
                        {"amount", Big(row.Amount)},
                        {"probability", static_cast<double>(row.Probability)},
                        {"net_per_ante", static_cast<double>(row.NetPerDeal)},
                        {"return", static_cast<double>(row.Contribution)}});
    json counts = json::object();
    for (int k = 0; k < kExactRows; ++k) {
        counts["deals"].push_back(t.RowDeals[k]);
        counts["amount"].push_back(Big(t.RowAmount[k]));
    }
    json priced = json::object();
    for (int k = 0; k < kPriceKinds; ++k)
        priced[kPriceKeys[k]] = {{"deals", t.PricedDeals[k]},
                                 {"sum", Big(t.PricedSum[k])},
                                 {"sum_of_squares", Big(t.PricedSquares[k])}};
    json chart = json::array();
    for (int c = 1; c <= 11; ++c)
        for (int v = 1; v <= 13; ++v) {
            bool any = false;
            for (int d = 0; d < kDecisions; ++d) any = any || t.Chart[c][v][d].Deals > 0;
            if (!any) continue;
            json cell = {{"dealt", c}, {"open", v}};
            for (int d = 0; d < kDecisions; ++d)
                cell[kDecisionKeys[d]] = {{"deals", t.Chart[c][v][d].Deals},
                                          {"sum", Big(t.Chart[c][v][d].Sum)}};
            chart.push_back(cell);
        }
    const TExactSummary s = SummarizeExact(r);
    json summary = {{"deals", Big(s.Deals)},
                    {"deal_space", Big(r.DealSpace())},
                    {"net", s.NetIsInteger ? Big(s.Net) : json(ExactNetText(r, '.'))},
                    {"mo", static_cast<double>(s.MO)},
                    {"house_edge_percent", static_cast<double>(100 * s.HouseEdge)},
                    {"variance", static_cast<double>(s.Variance)},
                    {"standard_deviation", static_cast<double>(s.Deviation)},
                    {"average_wager", static_cast<double>(s.AverageWager)},
                    {"element_of_risk_percent", static_cast<double>(100 * s.ElementOfRisk)},
                    {"raise_share", static_cast<double>(s.RaiseShare)},
                    {"pass_share", static_cast<double>(s.PassShare)},
                    {"buy_share", static_cast<double>(s.BuyShare)},
                    {"exchange_share", static_cast<double>(s.ExchangeShare)}};
    return {{"format", kExactFormat},
            {"conditions", conditions},
            {"part", {{"index", r.PartIndex}, {"count", r.PartCount}}},
            {"complete", r.Complete},
            {"draw_factor", r.DrawFactor},
            {"layouts",
             {{"canonical", r.CanonicalLayouts},
              {"in_part", r.LayoutsInPart},
              {"counted", t.Layouts},
              {"plain", t.PlainLayouts}}},
            {"seconds", r.Seconds},
            {"threads", r.Threads},
            {"summary", summary},
            {"table", rows},
            {"tally",
             {{"rows", counts},
              {"priced", priced},
              {"raised", t.Raised},
              {"passed", t.Passed},
              {"insured", t.Insured},
              {"wagered", Big(t.Wagered)},
              {"decisions", chart}}}};
}

TExactResult ExactResultFromJson(const json& j) {
    if (!IsExactResultJson(j)) throw std::runtime_error("not a result of kvarlen-cli exact --json");
    try {
        TExactResult r;
        const json& c = j.at("conditions");
        const std::string mode = c.at("mode").get<std::string>();
        if (mode != "ideal" && mode != "strategy" && mode != "optimal")
            throw std::runtime_error("unknown mode " + mode);
        r.Mode = mode == "ideal"     ? TExactMode::Ideal
                 : mode == "optimal" ? TExactMode::Optimal
                                     : TExactMode::Strategy;
        r.DealerAK = c.at("dealer_ak").get<bool>();
        if (r.Mode == TExactMode::Strategy)
            r.RaiseAt2Matches = c.at("raise_at_2_matches").get<bool>();
        const json& rules = c.at("rules");
        r.Rules.Insurance = rules.at("insurance").get<bool>();
        r.Rules.AKPlays = rules.at("ak_plays").get<bool>();
        r.Rules.Buy6 = rules.at("buy6").get<bool>();
        r.Rules.Exchange1 = rules.at("exchange1").get<bool>();
        const std::string dg = rules.at("dealer_game").get<std::string>();
        r.Rules.DealerGameBuy = dg == "high" ? 1 : (dg == "low" ? 2 : 0);
        r.Rules.AntePaid = rules.at("ante_paid").get<bool>() ? 1 : 0;
        r.Rules.PriceChange1 = rules.at("price_change1").get<double>();
        r.Rules.PriceChange2 = rules.at("price_change2").get<double>();
        r.Rules.PriceBuy6 = rules.at("price_buy6").get<double>();
        r.Rules.PriceBuyDealerGame = rules.at("price_dealer_game").get<double>();
        const json& pay = rules.at("payouts");
        if (!pay.is_array() || pay.size() != 10) throw std::runtime_error("ten payouts expected");
        r.Pay = TPayTable{};
        for (size_t i = 0; i < 10; ++i) r.Pay[i + 1] = pay[i].get<int32_t>();
        r.PartIndex = j.at("part").at("index").get<int>();
        r.PartCount = j.at("part").at("count").get<int>();
        r.Complete = j.at("complete").get<bool>();
        r.DrawFactor = j.at("draw_factor").get<int>();
        if (r.DrawFactor != 1 && r.DrawFactor != 42)
            throw std::runtime_error("draw_factor must be 1 or 42");
        const json& l = j.at("layouts");
        r.CanonicalLayouts = ReadCount(l.at("canonical"));
        r.LayoutsInPart = ReadCount(l.at("in_part"));
        r.Seconds = j.at("seconds").get<double>();
        r.Threads = j.at("threads").get<int>();
        TExactTally& t = r.Tally;
        t.Layouts = ReadCount(l.at("counted"));
        t.PlainLayouts = ReadCount(l.at("plain"));
        const json& tj = j.at("tally");
        const json& deals = tj.at("rows").at("deals");
        const json& amount = tj.at("rows").at("amount");
        if (deals.size() != kExactRows || amount.size() != kExactRows)
            throw std::runtime_error("the tally needs " + std::to_string(kExactRows) + " rows");
        for (int k = 0; k < kExactRows; ++k) {
            t.RowDeals[k] = ReadCount(deals[static_cast<size_t>(k)]);
            t.RowAmount[k] = ReadBig(amount[static_cast<size_t>(k)]);
        }
        for (int k = 0; k < kPriceKinds; ++k) {
            const json& p = tj.at("priced").at(kPriceKeys[k]);
            t.PricedDeals[k] = ReadCount(p.at("deals"));
            t.PricedSum[k] = ReadBig(p.at("sum"));
            const TExactInt sq = ReadBig(p.at("sum_of_squares"));
            if (sq < 0) throw std::runtime_error("a negative sum of squares");
            t.PricedSquares[k] = static_cast<TExactUInt>(sq);
        }
        t.Raised = ReadCount(tj.at("raised"));
        t.Passed = ReadCount(tj.at("passed"));
        t.Insured = ReadCount(tj.at("insured"));
        t.Wagered = ReadBig(tj.at("wagered"));
        for (const json& cell : tj.at("decisions")) {
            const int cls = cell.at("dealt").get<int>();
            const int v = cell.at("open").get<int>();
            if (cls < 1 || cls > 11 || v < 1 || v > 13)
                throw std::runtime_error("a decision cell out of range");
            for (int d = 0; d < kDecisions; ++d) {
                t.Chart[cls][v][d].Deals = ReadCount(cell.at(kDecisionKeys[d]).at("deals"));
                t.Chart[cls][v][d].Sum = ReadBig(cell.at(kDecisionKeys[d]).at("sum"));
            }
        }
        return r;
    } catch (const nlohmann::json::exception& e) {
        throw std::runtime_error(std::string("incomplete or malformed result: ") + e.what());
    }
}

} // namespace kvarlen
