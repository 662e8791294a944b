// kvarlen-cli merge: the results of separate simulate --json runs under the same conditions
// combined into one result and report (a long simulation spread over machines or jobs).
#include "cli/commands.h"
#include "cli/simulation_json.h"
#include "exact/exact_json.h"
#include "simulation/report.h"
#include "simulation/simulation_run.h"

#include <fstream>
#include <iostream>
#include <limits>
#include <memory>
#include <set>
#include <utility>

namespace kvarlen::cli {

namespace {

struct MergeOptions {
    std::vector<std::string> Files;
    bool Json = false;
};

class MergeError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// simulate --threads at most: more streams than that are no single run's.
constexpr int64_t kMaxStreams = 256;

// Read within the limits of the exact results' reader: a file larger or nested deeper than a
// result can be is refused before it takes the memory or the stack.
nlohmann::json ReadJson(const std::string& path) {
    try {
        return ReadExactResultFile(path);
    } catch (const std::exception& e) {
        // The parser quotes what it read last, which can be the whole of a huge string.
        std::string what = e.what();
        const size_t quoted = what.find("last read: ");
        if (quoted != std::string::npos)
            what = what.substr(0, quoted + 11) + ShortText(what.substr(quoted + 11));
        throw MergeError(path + ": " + ShortText(what, 300));
    }
}

// Where two conditions first differ, with both values cut short ("" when equal).
std::string FirstDifference(const nlohmann::json& a, const nlohmann::json& b,
                            const std::string& name) {
    if (a == b) return "";
    if (a.is_object() && b.is_object()) {
        for (const auto& [key, value] : a.items()) {
            const std::string at = name + "." + key;
            if (!b.contains(key)) return at + " is missing";
            const std::string d = FirstDifference(value, b[key], at);
            if (!d.empty()) return d;
        }
        for (const auto& [key, value] : b.items())
            if (!a.contains(key)) return name + "." + key + " is not in the first file";
    }
    return name + " is " + ShortText(b.dump()) + ", not " + ShortText(a.dump());
}

// The seeds a result's deal streams were dealt from, as the generator sees them: its runs'
// seeds and every stream's. Results written before the streams' seeds were kept give the runs'
// seeds, and a single run's streams follow from its seed and thread count.
std::set<uint32_t> DealtSeeds(const nlohmann::json& j, std::vector<uint32_t>& seeds,
                              std::vector<uint32_t>& streamSeeds) {
    const nlohmann::json& list = ResultField(j, "seeds");
    // Without a seed the duplicate check would be blind.
    if (!list.is_array() || list.empty()) throw MergeError("seeds must list at least one seed");
    std::set<uint32_t> runs, dealt;
    for (const auto& s : list) {
        const uint32_t seed = static_cast<uint32_t>(ReadWhole(s, "seeds", 0, 0xFFFFFFFFll));
        if (!runs.insert(EffectiveSeed(seed)).second)
            throw MergeError("seed " + std::to_string(seed) +
                             " deals what a seed merged already dealt (the same deals twice)");
        seeds.push_back(seed);
    }
    dealt = runs;
    const int64_t threads = j.contains("threads") ? ReadWhole(j["threads"], "threads", 1,
                                                              std::numeric_limits<int32_t>::max())
                                                  : 1;
    std::vector<uint32_t> streams;
    if (j.contains("stream_seeds")) {
        const nlohmann::json& given = j["stream_seeds"];
        if (!given.is_array() || given.empty())
            throw MergeError("stream_seeds must list at least one seed");
        for (const auto& s : given)
            streams.push_back(static_cast<uint32_t>(ReadWhole(s, "stream_seeds", 0, 0xFFFFFFFFll)));
    } else if (list.size() == 1 && threads <= kMaxStreams) {
        for (int i = 0; i < static_cast<int>(threads); ++i)
            streams.push_back(StreamSeed(seeds.back(), i));
    } else {
        streams.assign(seeds.end() - static_cast<std::ptrdiff_t>(list.size()), seeds.end());
    }
    for (uint32_t s : streams) dealt.insert(EffectiveSeed(s));
    streamSeeds.insert(streamSeeds.end(), streams.begin(), streams.end());
    return dealt;
}

// Adds a file's counters to the total, refusing a sum that no longer fits.
void AddChecked(TRunResult& total, const TRunResult& part) {
    auto check = [](int64_t a, int64_t b, const char* name) {
        int64_t sum = 0;
        if (__builtin_add_overflow(a, b, &sum))
            throw MergeError(std::string(name) + " overflows when added to the files before");
    };
    check(total.Deals, part.Deals, "deals");
    check(total.Passes, part.Passes, "dealt_deals");
    check(total.DealsAsked, part.DealsAsked, "deals_asked");
    const std::pair<const TClassCounts*, const TClassCounts*> tables[] = {
        {&total.Stats.DealtByClass, &part.Stats.DealtByClass},
        {&total.Stats.FinalByClass, &part.Stats.FinalByClass},
        {&total.Stats.WonByClass, &part.Stats.WonByClass},
        {&total.Stats.NoGameByClass, &part.Stats.NoGameByClass},
        {&total.Stats.LostByClass, &part.Stats.LostByClass},
        {&total.Stats.PassByClass, &part.Stats.PassByClass}};
    for (const auto& [a, b] : tables)
        for (size_t i = 0; i < a->size(); ++i) check((*a)[i], (*b)[i], "a class count");
    for (size_t b = 0; b < total.Stats.BuyCount.size(); ++b)
        check(total.Stats.BuyCount[b], part.Stats.BuyCount[b], "buy_count");
    MergeResults(total, part);
}

int RunMerge(const MergeOptions& o) {
    if (!o.Files.empty() && IsExactResultFile(o.Files[0])) return MergeExactFiles(o.Files, o.Json);
    TRunResult total;
    nlohmann::json conditions;
    std::vector<uint32_t> seeds, streamSeeds;
    // The streams' seeds as the generator sees them: seeds that deal the same cards are the
    // same, and a stream of one run may be another run's seed.
    std::set<uint32_t> seen;
    int64_t threads = 0;
    try {
        if (o.Files.empty()) throw MergeError("name at least one result file");
        for (size_t i = 0; i < o.Files.size(); ++i) {
            const std::string& path = o.Files[i];
            try {
                const nlohmann::json j = ReadJson(path);
                const TRunResult r = ResultFromJson(j);
                if (i == 0) {
                    conditions = j["conditions"];
                } else if (j["conditions"]["mode"] != conditions["mode"]) {
                    // Ideal and optimal play share every other condition: say what differs.
                    throw MergeError(
                        "a result of --mode " + j["conditions"]["mode"].get<std::string>() +
                        " does not merge with one of --mode " +
                        conditions["mode"].get<std::string>() + " (" + o.Files[0] + ")");
                } else if (j["conditions"] != conditions) {
                    throw MergeError("played under other conditions than " + o.Files[0] + ": " +
                                     FirstDifference(conditions, j["conditions"], "conditions"));
                }
                for (uint32_t s : DealtSeeds(j, seeds, streamSeeds))
                    if (!seen.insert(s).second)
                        throw MergeError("seed " + std::to_string(s) +
                                         " (of the run or one of its deal streams) deals what a "
                                         "seed merged already dealt (the same deals twice)");
                threads += ReadWhole(j.contains("threads") ? j["threads"] : nlohmann::json(1),
                                     "threads", 1, std::numeric_limits<int32_t>::max());
                if (threads > std::numeric_limits<int32_t>::max())
                    throw MergeError("threads overflows when added to the files before");
                if (i == 0)
                    total = r;
                else
                    AddChecked(total, r);
            } catch (const MergeError& e) {
                // ReadJson names the file itself.
                const std::string what = e.what();
                throw MergeError(what.rfind(path + ":", 0) == 0 ? what : path + ": " + what);
            } catch (const std::exception& e) {
                throw MergeError(path + ": " + e.what());
            }
        }
    } catch (const std::exception& e) {
        std::cerr << "kvarlen-cli merge: " << e.what() << "\n";
        return 2;
    }
    if (o.Json) {
        std::cout
            << ResultJson(total, conditions, seeds, static_cast<int>(threads), streamSeeds).dump(2)
            << "\n";
    } else {
        for (const std::string& line : ReportLines(total, ',')) std::cout << line << "\n";
    }
    return 0;
}

} // namespace

void AddMergeCommand(CLI::App& app, int& status) {
    auto o = std::make_shared<MergeOptions>();
    auto* cmd = app.add_subcommand(
        "merge", "Combine the --json results of simulate runs under the same conditions");
    // Not required to CLI11: no files gets merge's own message.
    cmd->add_option("files", o->Files, "Result files of kvarlen-cli simulate --json");
    cmd->add_flag("--json", o->Json, "JSON output (can be merged again)");
    cmd->callback([o, &status]() { status = RunMerge(*o); });
}

} // namespace kvarlen::cli
