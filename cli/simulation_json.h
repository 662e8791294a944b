// The JSON form of a simulation result, written by `simulate --json` and read and written by
// `merge`: the figures of the run and everything that must agree for runs to be merged.
#pragma once

#include "simulation/run_result.h"
#include "simulation/simulation_host.h"

#include <nlohmann/json.hpp>

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace kvarlen::cli {

inline constexpr const char* kResultFormat = "kvarlen-simulation-result";

inline const std::vector<std::string>& FilterNames() {
    static const std::vector<std::string> names = {
        "any",     "ak",          "pairs", "two-pairs",        "trips", "straights",
        "flushes", "full-houses", "quads", "straight-flushes", "royals"};
    return names;
}

inline std::string InfoName(TInfoMode m) {
    switch (m) {
    case TInfoMode::InTurn:
        return "in-turn";
    case TInfoMode::FullExchange:
        return "full";
    default:
        return "beacon";
    }
}

inline std::string DealerGameName(uint8_t mode) {
    return mode == 1 ? "high" : (mode == 2 ? "low" : "none");
}

// What a run was played under: runs can be merged only when this is equal.
inline nlohmann::json RunConditions(const TRunSettings& s, bool ideal, const TLiveOptions& live) {
    const TRules& r = s.Rules;
    nlohmann::json payouts = nlohmann::json::array();
    for (size_t i = 1; i <= 10; ++i) payouts.push_back(PayTable[i]);
    nlohmann::json c = {{"mode", ideal ? "ideal" : "strategy"},
                        {"boxes", s.TeamSize},
                        {"initial_bank", s.InitialBank},
                        {"rules",
                         {{"insurance", r.Insurance},
                          {"ak_plays", r.AKPlays},
                          {"buy6", r.Buy6},
                          {"exchange1", r.Exchange1},
                          {"dealer_game", DealerGameName(r.DealerGameBuy)},
                          {"ante_paid", r.AntePaid != 0},
                          {"price_change1", r.PriceChange1},
                          {"price_change2", r.PriceChange2},
                          {"price_buy6", r.PriceBuy6},
                          {"price_dealer_game", r.PriceBuyDealerGame},
                          {"payouts", payouts}}}};
    if (ideal) {
        c["info"] = InfoName(live.Mode);
        c["filter"] = FilterNames()[static_cast<size_t>(live.Filter)];
    } else {
        c["raise_at_2_matches"] = live.RaiseAt2Matches;
    }
    return c;
}

inline nlohmann::json CountsJson(const TClassCounts& c) {
    return nlohmann::json(std::vector<int64_t>(c.begin() + 1, c.end()));
}

inline nlohmann::json ResultJson(const TRunResult& r, const nlohmann::json& conditions,
                                 const std::vector<uint32_t>& seeds, int threads) {
    nlohmann::json j;
    j["format"] = kResultFormat;
    j["version"] = 1;
    j["conditions"] = conditions;
    j["seeds"] = seeds;
    j["threads"] = threads;
    j["deals"] = r.Deals;
    j["dealt_deals"] = r.Passes;
    j["stopped"] = r.Stopped;
    j["deals_asked"] = r.DealsAsked;
    j["net"] = {r.Net[1], r.Net[2], r.Net[3]};
    j["team_net"] = TeamNet(r);
    j["mo"] = ResultMO(r);
    j["variance"] = ResultVariance(r);
    j["standard_deviation"] = ResultDeviation(r);
    j["sum_squares"] = r.SumSquares;
    j["statistics"] = r.Statistics;
    j["dealt_by_class"] = CountsJson(r.Stats.DealtByClass);
    j["final_by_class"] = CountsJson(r.Stats.FinalByClass);
    j["won_by_class"] = CountsJson(r.Stats.WonByClass);
    j["no_game_by_class"] = CountsJson(r.Stats.NoGameByClass);
    j["lost_by_class"] = CountsJson(r.Stats.LostByClass);
    j["pass_by_class"] = CountsJson(r.Stats.PassByClass);
    j["buy_count"] = {r.Stats.BuyCount[1], r.Stats.BuyCount[2], r.Stats.BuyCount[3]};
    j["timings"] = {
        {"elapsed_ms", r.ElapsedMs}, {"decision_ms", r.DecisionMs}, {"global_t1_ms", r.GlobalT1Ms}};
    return j;
}

class ResultFormatError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

inline void ReadCounts(const nlohmann::json& j, const char* key, TClassCounts& c) {
    const auto& a = j.at(key);
    if (!a.is_array() || a.size() != 11)
        throw ResultFormatError(std::string(key) + " needs 11 counts");
    for (size_t i = 0; i < 11; ++i) c[i + 1] = a[i].get<int64_t>();
}

// The result held in a JSON document; throws ResultFormatError (or nlohmann's errors) when it
// is not one.
inline TRunResult ResultFromJson(const nlohmann::json& j) {
    if (!j.is_object() || j.value("format", "") != kResultFormat)
        throw ResultFormatError("not a kvarlen-cli simulate --json result");
    if (j.value("version", 0) != 1) throw ResultFormatError("unknown result version");
    TRunResult r;
    const nlohmann::json& c = j.at("conditions");
    r.Ideal = c.at("mode").get<std::string>() == "ideal";
    r.TeamSize = c.at("boxes").get<int>();
    if (r.TeamSize < 1 || r.TeamSize > 3) throw ResultFormatError("boxes must be 1..3");
    const int32_t bank = c.at("initial_bank").get<int32_t>();
    r.InitialBank = {0, bank, bank, bank};
    r.Deals = j.at("deals").get<int64_t>();
    r.Passes = j.at("dealt_deals").get<int64_t>();
    if (r.Deals < 0 || r.Passes < r.Deals) throw ResultFormatError("impossible deal counts");
    r.Stopped = j.at("stopped").get<bool>();
    // Results written before the field existed asked for what they played.
    r.DealsAsked = j.value("deals_asked", r.Deals);
    const auto& net = j.at("net");
    if (!net.is_array() || net.size() != 3) throw ResultFormatError("net needs 3 boxes");
    for (size_t b = 0; b < 3; ++b) r.Net[b + 1] = net[b].get<double>();
    r.SumSquares = j.at("sum_squares").get<double>();
    r.Statistics = j.at("statistics").get<bool>();
    ReadCounts(j, "dealt_by_class", r.Stats.DealtByClass);
    ReadCounts(j, "final_by_class", r.Stats.FinalByClass);
    ReadCounts(j, "won_by_class", r.Stats.WonByClass);
    ReadCounts(j, "no_game_by_class", r.Stats.NoGameByClass);
    ReadCounts(j, "lost_by_class", r.Stats.LostByClass);
    ReadCounts(j, "pass_by_class", r.Stats.PassByClass);
    const auto& buys = j.at("buy_count");
    if (!buys.is_array() || buys.size() != 3) throw ResultFormatError("buy_count needs 3 boxes");
    for (size_t b = 0; b < 3; ++b) r.Stats.BuyCount[b + 1] = buys[b].get<int64_t>();
    const nlohmann::json& t = j.at("timings");
    r.ElapsedMs = t.at("elapsed_ms").get<double>();
    r.DecisionMs = t.at("decision_ms").get<double>();
    r.GlobalT1Ms = t.at("global_t1_ms").get<double>();
    return r;
}

} // namespace kvarlen::cli
