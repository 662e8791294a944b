#include "exact/exact_json.h"

#include "exact/exact_report.h"

#include "exact/exact_layouts.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
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

// A value quoted in a refusal, cut short: a file may hold anything.
std::string Quoted(const json& j) {
    std::string text = j.dump(-1, ' ', false, json::error_handler_t::replace);
    if (text.size() > 40) text = text.substr(0, 40) + "...";
    return text;
}

TExactInt ReadBig(const json& j) {
    if (j.is_string()) {
        try {
            return ParseExactInt(j.get<std::string>());
        } catch (const std::exception&) {
            throw std::runtime_error("an integer was expected, found " + Quoted(j));
        }
    }
    if (j.is_number_unsigned()) return static_cast<TExactInt>(j.get<uint64_t>());
    if (j.is_number_integer()) return static_cast<TExactInt>(j.get<int64_t>());
    throw std::runtime_error("an integer was expected, found " + Quoted(j));
}

uint64_t ReadCount(const json& j) {
    const TExactInt v = ReadBig(j);
    if (v < 0 || v > static_cast<TExactInt>(UINT64_MAX))
        throw std::runtime_error("a count out of range: " + Quoted(j));
    return static_cast<uint64_t>(v);
}

// An integer field within lo..hi; floating-point numbers are refused before any conversion.
int64_t ReadInt(const json& j, const char* name, int64_t lo, int64_t hi) {
    bool ok = false;
    int64_t v = 0;
    if (j.is_number_unsigned()) {
        const uint64_t u = j.get<uint64_t>();
        ok = u <= static_cast<uint64_t>(hi);
        v = static_cast<int64_t>(u);
    } else if (j.is_number_integer()) {
        v = j.get<int64_t>();
        ok = true;
    }
    if (!ok || v < lo || v > hi)
        throw std::runtime_error(std::string(name) + " must be an integer of " +
                                 std::to_string(lo) + ".." + std::to_string(hi) + ", found " +
                                 Quoted(j));
    return v;
}

double ReadNumber(const json& j, const char* name) {
    if (!j.is_number() || !std::isfinite(j.get<double>()))
        throw std::runtime_error(std::string(name) + " must be a finite number, found " +
                                 Quoted(j));
    return j.get<double>();
}

bool ReadBool(const json& j, const char* name) {
    if (!j.is_boolean())
        throw std::runtime_error(std::string(name) + " must be true or false, found " + Quoted(j));
    return j.get<bool>();
}

std::string ReadText(const json& j, const char* name) {
    if (!j.is_string())
        throw std::runtime_error(std::string(name) + " must be a text, found " + Quoted(j));
    return j.get<std::string>();
}

const char* const kPriceKeys[kPriceKinds] = {"none", "buy", "exchange"};
const char* const kDecisionKeys[kDecisions] = {"passed", "raised", "bought", "exchanged"};

std::string DealerGameName(uint8_t mode) {
    return mode == 1 ? "high" : (mode == 2 ? "low" : "none");
}

// The amount of a row; a cost row pays its price on each of its deals (exact when the price is
// whole, as the net is).
bool CostRow(int row) {
    return row == kRowBuyCost || row == kRowExchangeCost;
}
double CostPrice(const TExactResult& r, int row) {
    return row == kRowBuyCost ? r.BuyPrice() : r.ExchangePrice();
}
json CostAmount(double price, uint64_t deals) {
    if (price == std::floor(price) && price >= 0 && price <= kMaxPrice)
        return Big(-static_cast<TExactInt>(price) * static_cast<TExactInt>(deals));
    return -static_cast<double>(static_cast<long double>(price) * deals);
}
json RowAmountJson(const TExactTableRow& row) {
    if (!CostRow(row.Row)) return Big(row.Amount);
    return CostAmount(row.Price, row.Deals);
}

} // namespace

json ParseExactResultText(const std::string& text) {
    if (text.size() > kExactFileLimit)
        throw std::runtime_error("larger than a result file can be (" +
                                 std::to_string(kExactFileLimit >> 20) + " MiB)");
    const json::parser_callback_t limit = [](int depth, json::parse_event_t, json&) {
        if (depth > kExactDepthLimit)
            throw std::runtime_error("nested deeper than a result file is");
        return true;
    };
    try {
        return json::parse(text, limit);
    } catch (const json::exception& e) {
        throw std::runtime_error(std::string("not JSON: ") + e.what());
    }
}

json ReadExactResultFile(const std::string& path) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (f == nullptr)
        throw std::runtime_error(std::string("cannot be read: ") + std::strerror(errno));
    std::string text;
    char buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) {
        text.append(buf, n);
        if (text.size() > kExactFileLimit) break;
    }
    const bool failed = std::ferror(f) != 0;
    const int err = errno;
    std::fclose(f);
    if (failed) throw std::runtime_error(std::string("cannot be read: ") + std::strerror(err));
    return ParseExactResultText(text);
}

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
                        {"amount", RowAmountJson(row)},
                        {"probability", static_cast<double>(row.Probability)},
                        {"net_per_ante", static_cast<double>(row.NetPerDeal)},
                        {"return", static_cast<double>(row.Contribution)}});
    json counts = json::object();
    for (int k = 0; k < kExactRows; ++k) {
        counts["deals"].push_back(t.RowDeals[k]);
        counts["amount"].push_back(CostRow(k) ? CostAmount(CostPrice(r, k), t.RowDeals[k])
                                              : Big(t.RowAmount[k]));
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
        const std::string mode = ReadText(c.at("mode"), "conditions.mode");
        if (mode != "ideal" && mode != "strategy" && mode != "optimal")
            throw std::runtime_error("unknown mode " + Quoted(c.at("mode")));
        r.Mode = mode == "ideal"     ? TExactMode::Ideal
                 : mode == "optimal" ? TExactMode::Optimal
                                     : TExactMode::Strategy;
        r.DealerAK = ReadBool(c.at("dealer_ak"), "dealer_ak");
        if (r.Mode == TExactMode::Strategy)
            r.RaiseAt2Matches = ReadBool(c.at("raise_at_2_matches"), "raise_at_2_matches");
        const json& rules = c.at("rules");
        r.Rules.Insurance = ReadBool(rules.at("insurance"), "rules.insurance");
        r.Rules.AKPlays = ReadBool(rules.at("ak_plays"), "rules.ak_plays");
        r.Rules.Buy6 = ReadBool(rules.at("buy6"), "rules.buy6");
        r.Rules.Exchange1 = ReadBool(rules.at("exchange1"), "rules.exchange1");
        const std::string dg = ReadText(rules.at("dealer_game"), "rules.dealer_game");
        if (dg != "none" && dg != "high" && dg != "low")
            throw std::runtime_error("rules.dealer_game must be none, high or low, found " +
                                     Quoted(rules.at("dealer_game")));
        r.Rules.DealerGameBuy = dg == "high" ? 1 : (dg == "low" ? 2 : 0);
        r.Rules.AntePaid = ReadBool(rules.at("ante_paid"), "rules.ante_paid") ? 1 : 0;
        r.Rules.PriceChange1 = ReadNumber(rules.at("price_change1"), "rules.price_change1");
        r.Rules.PriceChange2 = ReadNumber(rules.at("price_change2"), "rules.price_change2");
        r.Rules.PriceBuy6 = ReadNumber(rules.at("price_buy6"), "rules.price_buy6");
        r.Rules.PriceBuyDealerGame =
            ReadNumber(rules.at("price_dealer_game"), "rules.price_dealer_game");
        const json& pay = rules.at("payouts");
        if (!pay.is_array() || pay.size() != 10) throw std::runtime_error("ten payouts expected");
        r.Pay = TPayTable{};
        for (size_t i = 0; i < 10; ++i)
            r.Pay[i + 1] = static_cast<int32_t>(ReadInt(pay[i], "a payout", 0, kMaxPayout));
        const int64_t most = static_cast<int64_t>(CanonicalLayoutCount());
        r.PartCount = static_cast<int>(ReadInt(j.at("part").at("count"), "part.count", 1, most));
        r.PartIndex =
            static_cast<int>(ReadInt(j.at("part").at("index"), "part.index", 1, r.PartCount));
        r.Complete = ReadBool(j.at("complete"), "complete");
        r.DrawFactor = static_cast<int>(ReadInt(j.at("draw_factor"), "draw_factor", 1, 42));
        if (r.DrawFactor != 1 && r.DrawFactor != 42)
            throw std::runtime_error("draw_factor must be 1 or 42");
        const json& l = j.at("layouts");
        r.CanonicalLayouts = ReadCount(l.at("canonical"));
        r.LayoutsInPart = ReadCount(l.at("in_part"));
        r.Seconds = ReadNumber(j.at("seconds"), "seconds");
        r.Threads = static_cast<int>(ReadInt(j.at("threads"), "threads", 0, 4096));
        TExactTally& t = r.Tally;
        t.Layouts = ReadCount(l.at("counted"));
        t.PlainLayouts = ReadCount(l.at("plain"));
        const json& tj = j.at("tally");
        const json& deals = tj.at("rows").at("deals");
        const json& amount = tj.at("rows").at("amount");
        if (!deals.is_array() || !amount.is_array() || deals.size() != kExactRows ||
            amount.size() != kExactRows)
            throw std::runtime_error("the tally needs " + std::to_string(kExactRows) + " rows");
        for (int k = 0; k < kExactRows; ++k) {
            t.RowDeals[k] = ReadCount(deals[static_cast<size_t>(k)]);
            const json& a = amount[static_cast<size_t>(k)];
            if (!CostRow(k)) {
                t.RowAmount[k] = ReadBig(a);
                continue;
            }
            // A cost row's amount is its price times its deals (files of older versions: 0);
            // the tally keeps the integer stakes only.
            const json expected = CostAmount(CostPrice(r, k), t.RowDeals[k]);
            const bool zero = (a.is_string() && a.get<std::string>() == "0") ||
                              (a.is_number_integer() && a.get<int64_t>() == 0);
            if (!zero && a != expected)
                throw std::runtime_error("the amount of a cost row is not its price times its "
                                         "deals, found " +
                                         Quoted(a));
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
        const json& cells = tj.at("decisions");
        if (!cells.is_array()) throw std::runtime_error("tally.decisions must be a list");
        bool seen[12][14] = {};
        for (const json& cell : cells) {
            const int cls =
                static_cast<int>(ReadInt(cell.at("dealt"), "a decision cell's dealt class", 1, 11));
            const int v =
                static_cast<int>(ReadInt(cell.at("open"), "a decision cell's open value", 1, 13));
            if (seen[cls][v]) throw std::runtime_error("a decision cell given twice");
            seen[cls][v] = true;
            for (int d = 0; d < kDecisions; ++d) {
                t.Chart[cls][v][d].Deals = ReadCount(cell.at(kDecisionKeys[d]).at("deals"));
                t.Chart[cls][v][d].Sum = ReadBig(cell.at(kDecisionKeys[d]).at("sum"));
            }
        }
        CheckExactResult(r);
        return r;
    } catch (const nlohmann::json::exception& e) {
        throw std::runtime_error(std::string("incomplete or malformed result: ") + e.what());
    }
}

} // namespace kvarlen
