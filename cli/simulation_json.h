// The JSON form of a simulation result, written by `simulate --json` and read and written by
// `merge`: the figures of the run and everything that must agree for runs to be merged.
#pragma once

#include "cards/numfmt.h"
#include "cards/rules.h"
#include "simulation/run_result.h"
#include "simulation/simulation_host.h"

#include <nlohmann/json.hpp>

#include <cstdint>
#include <limits>
#include <stdexcept>
#include <string>
#include <vector>

namespace kvarlen::cli {

inline constexpr const char* kResultFormat = "kvarlen-simulation-result";

// The card generator works modulo 2^31 - 1 and sticks a zero state at 1, so every seed deals
// what one seed of 1..kMaxSeed deals.
inline constexpr int64_t kMaxSeed = 2147483646;
inline uint32_t EffectiveSeed(uint64_t seed) {
    const uint64_t s = seed % 2147483647u;
    return s == 0 ? 1u : static_cast<uint32_t>(s);
}

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

// "strategy", "ideal" or "optimal" (ideal play deciding by best play).
inline const char* ModeName(const TRunSettings& s, bool ideal) {
    return !ideal ? "strategy" : s.BestPlay ? "optimal" : "ideal";
}

// What a run was played under: runs can be merged only when this is equal (so optimal and
// ideal results never mix).
inline nlohmann::json RunConditions(const TRunSettings& s, bool ideal, const TLiveOptions& live) {
    const TRules& r = s.Rules;
    nlohmann::json payouts = nlohmann::json::array();
    for (size_t i = 1; i <= 10; ++i) payouts.push_back(PayTable[i]);
    nlohmann::json c = {{"mode", ModeName(s, ideal)},
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

// `seeds` are the runs' seeds, `streamSeeds` the seed of every deal stream of the runs (left
// out when empty: results written before it existed have none).
inline nlohmann::json ResultJson(const TRunResult& r, const nlohmann::json& conditions,
                                 const std::vector<uint32_t>& seeds, int threads,
                                 const std::vector<uint32_t>& streamSeeds = {}) {
    nlohmann::json j;
    j["format"] = kResultFormat;
    j["version"] = 1;
    j["conditions"] = conditions;
    j["seeds"] = seeds;
    if (!streamSeeds.empty()) j["stream_seeds"] = streamSeeds;
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

// Strict readers: a result file may have been edited by hand, and a wrong type or an
// impossible value must be refused, never converted (1e30 into an integer is undefined).
inline const nlohmann::json& ResultField(const nlohmann::json& j, const std::string& key) {
    if (!j.is_object()) throw ResultFormatError("an object was expected around " + key);
    const auto it = j.find(key);
    if (it == j.end()) throw ResultFormatError(key + " is missing");
    return *it;
}

inline int64_t ReadWhole(const nlohmann::json& v, const std::string& name, int64_t lo, int64_t hi) {
    const std::string range = std::to_string(lo) + ".." + std::to_string(hi);
    if (v.is_number_unsigned()) {
        const uint64_t u = v.get<uint64_t>();
        if (u > static_cast<uint64_t>(hi))
            throw ResultFormatError(name + " must be " + range + ", not " + std::to_string(u));
        return static_cast<int64_t>(u);
    }
    if (!v.is_number_integer())
        throw ResultFormatError(name + " must be a whole number " + range + ", not " +
                                ShortText(v.dump()));
    const int64_t x = v.get<int64_t>();
    if (x < lo || x > hi)
        throw ResultFormatError(name + " must be " + range + ", not " + std::to_string(x));
    return x;
}

inline double ReadNumber(const nlohmann::json& v, const std::string& name, double lo, double hi) {
    if (!v.is_number())
        throw ResultFormatError(name + " must be a number, not " + ShortText(v.dump()));
    const double x = v.get<double>();
    if (!(x >= lo && x <= hi))
        throw ResultFormatError(name + " must be " + FormatGeneral(lo, '.') + ".." +
                                FormatGeneral(hi, '.') + ", not " + ShortText(v.dump()));
    return x;
}

inline bool ReadFlag(const nlohmann::json& v, const std::string& name) {
    if (!v.is_boolean())
        throw ResultFormatError(name + " must be true or false, not " + ShortText(v.dump()));
    return v.get<bool>();
}

inline std::string ReadName(const nlohmann::json& v, const std::string& name,
                            const std::vector<std::string>& names) {
    if (v.is_string())
        for (const std::string& n : names)
            if (v.get<std::string>() == n) return n;
    std::string all;
    for (const std::string& n : names) all += (all.empty() ? "" : "|") + n;
    throw ResultFormatError(name + " must be one of " + all + ", not " + ShortText(v.dump()));
}

inline const nlohmann::json& ReadArray(const nlohmann::json& v, const std::string& name,
                                       size_t size) {
    if (!v.is_array() || v.size() != size)
        throw ResultFormatError(name + " needs " + std::to_string(size) + " values");
    return v;
}

inline int64_t CheckedProduct(int64_t a, int64_t b) {
    int64_t p = 0;
    return __builtin_mul_overflow(a, b, &p) ? std::numeric_limits<int64_t>::max() : p;
}

// Checks what a result was played under; true for ideal play (optimal play included, which
// bestPlay tells apart).
inline bool CheckConditions(const nlohmann::json& c, bool* bestPlay = nullptr) {
    const std::string mode =
        ReadName(ResultField(c, "mode"), "conditions.mode", {"strategy", "ideal", "optimal"});
    const bool ideal = mode != "strategy";
    if (bestPlay) *bestPlay = mode == "optimal";
    ReadWhole(ResultField(c, "boxes"), "conditions.boxes", 1, 3);
    ReadWhole(ResultField(c, "initial_bank"), "conditions.initial_bank",
              std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max());
    const nlohmann::json& r = ResultField(c, "rules");
    for (const char* flag : {"insurance", "ak_plays", "buy6", "exchange1", "ante_paid"})
        ReadFlag(ResultField(r, flag), std::string("conditions.rules.") + flag);
    ReadName(ResultField(r, "dealer_game"), "conditions.rules.dealer_game",
             {"none", "high", "low"});
    for (const char* price : {"price_change1", "price_change2", "price_buy6", "price_dealer_game"})
        ReadNumber(ResultField(r, price), std::string("conditions.rules.") + price, 0, kMaxPrice);
    const nlohmann::json& pay =
        ReadArray(ResultField(r, "payouts"), "conditions.rules.payouts", 10);
    for (const auto& p : pay) ReadWhole(p, "conditions.rules.payouts", 0, kMaxPayout);
    if (ideal) {
        ReadName(ResultField(c, "info"), "conditions.info", {"in-turn", "beacon", "full"});
        ReadName(ResultField(c, "filter"), "conditions.filter", FilterNames());
    } else {
        ReadFlag(ResultField(c, "raise_at_2_matches"), "conditions.raise_at_2_matches");
    }
    return ideal;
}

inline void ReadCounts(const nlohmann::json& j, const char* key, int64_t most, TClassCounts& c) {
    const nlohmann::json& a = ReadArray(ResultField(j, key), key, 11);
    for (size_t i = 0; i < 11; ++i) c[i + 1] = ReadWhole(a[i], key, 0, most);
}

// The most one box can win or lose in one deal, in antes: every price, the raise, the best
// payout and insurance, with room to spare.
inline constexpr double kMostPerDeal = 10000.0;

// The result held in a JSON document; throws ResultFormatError naming the field when it is not
// one or when a figure is impossible (negative counts, more wins than deals, a negative
// variance, a fraction where a count belongs).
inline TRunResult ResultFromJson(const nlohmann::json& j) {
    if (!j.is_object() || !j.contains("format") || j["format"] != kResultFormat)
        throw ResultFormatError("not a kvarlen-cli simulate --json result");
    if (!j.contains("version") || j["version"] != 1)
        throw ResultFormatError("unknown result version");
    constexpr int64_t kMost = std::numeric_limits<int64_t>::max();
    TRunResult r;
    const nlohmann::json& c = ResultField(j, "conditions");
    r.Ideal = CheckConditions(c, &r.BestPlay);
    r.TeamSize = static_cast<int>(c["boxes"].get<int64_t>());
    const int32_t bank = static_cast<int32_t>(c["initial_bank"].get<int64_t>());
    r.InitialBank = {0, bank, bank, bank};
    r.Passes = ReadWhole(ResultField(j, "dealt_deals"), "dealt_deals", 0, kMost);
    r.Deals = ReadWhole(ResultField(j, "deals"), "deals", 0, r.Passes);
    r.Stopped = ReadFlag(ResultField(j, "stopped"), "stopped");
    // Results written before the field existed asked for what they played.
    r.DealsAsked = j.contains("deals_asked")
                       ? ReadWhole(j["deals_asked"], "deals_asked", r.Deals, kMost)
                       : r.Deals;
    const double deals = static_cast<double>(r.Deals);
    const nlohmann::json& net = ReadArray(ResultField(j, "net"), "net", 3);
    for (size_t b = 0; b < 3; ++b) {
        // Boxes beyond the team do not play.
        const double most = static_cast<int>(b) < r.TeamSize ? kMostPerDeal * deals : 0.0;
        r.Net[b + 1] = ReadNumber(net[b], "net", -most, most);
    }
    const double teamMost = kMostPerDeal * 3 * r.TeamSize;
    r.SumSquares =
        ReadNumber(ResultField(j, "sum_squares"), "sum_squares", 0, teamMost * teamMost * deals);
    // The sum of squares of the deals is at least the square of their sum over their number
    // (a variance is never negative), up to rounding.
    const double team = TeamNet(r);
    if (r.SumSquares * deals < team * team * (1 - 1e-9))
        throw ResultFormatError("sum_squares is less than the net allows (negative variance)");
    r.Statistics = ReadFlag(ResultField(j, "statistics"), "statistics");
    const int64_t perBox = CheckedProduct(r.Passes, r.TeamSize);
    ReadCounts(j, "dealt_by_class", perBox, r.Stats.DealtByClass);
    ReadCounts(j, "final_by_class", perBox, r.Stats.FinalByClass);
    ReadCounts(j, "won_by_class", perBox, r.Stats.WonByClass);
    ReadCounts(j, "no_game_by_class", perBox, r.Stats.NoGameByClass);
    ReadCounts(j, "lost_by_class", perBox, r.Stats.LostByClass);
    ReadCounts(j, "pass_by_class", perBox, r.Stats.PassByClass);
    const nlohmann::json& buys = ReadArray(ResultField(j, "buy_count"), "buy_count", 3);
    for (size_t b = 0; b < 3; ++b)
        r.Stats.BuyCount[b + 1] = ReadWhole(buys[b], "buy_count", 0, r.Deals);
    const nlohmann::json& t = ResultField(j, "timings");
    constexpr double kLongest = 1e15; // milliseconds: some thirty thousand years
    r.ElapsedMs = ReadNumber(ResultField(t, "elapsed_ms"), "timings.elapsed_ms", 0, kLongest);
    r.DecisionMs = ReadNumber(ResultField(t, "decision_ms"), "timings.decision_ms", 0, kLongest);
    r.GlobalT1Ms = ReadNumber(ResultField(t, "global_t1_ms"), "timings.global_t1_ms", 0, kLongest);
    return r;
}

} // namespace kvarlen::cli
