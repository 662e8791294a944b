// kvarlen-cli merge: the results of separate simulate --json runs under the same conditions
// combined into one result and report (a long simulation spread over machines or jobs).
#include "cli/commands.h"
#include "cli/simulation_json.h"
#include "simulation/report.h"

#include <fstream>
#include <iostream>
#include <memory>
#include <set>

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

nlohmann::json ReadJson(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw MergeError(path + ": cannot be read");
    try {
        return nlohmann::json::parse(in);
    } catch (const std::exception& e) {
        throw MergeError(path + ": not JSON (" + e.what() + ")");
    }
}

int RunMerge(const MergeOptions& o) {
    if (!o.Files.empty() && IsExactResultFile(o.Files[0])) return MergeExactFiles(o.Files, o.Json);
    TRunResult total;
    nlohmann::json conditions;
    std::vector<uint32_t> seeds;
    std::set<uint32_t> seen;
    int threads = 0;
    try {
        if (o.Files.empty()) throw MergeError("name at least one result file");
        for (size_t i = 0; i < o.Files.size(); ++i) {
            const std::string& path = o.Files[i];
            const nlohmann::json j = ReadJson(path);
            TRunResult r;
            try {
                r = ResultFromJson(j);
            } catch (const std::exception& e) {
                throw MergeError(path + ": " + e.what());
            }
            if (i == 0) {
                conditions = j.at("conditions");
            } else if (j.at("conditions") != conditions) {
                throw MergeError(path + ": played under other conditions than " + o.Files[0] +
                                 "\n  " + o.Files[0] + ": " + conditions.dump() + "\n  " + path +
                                 ": " + j.at("conditions").dump());
            }
            for (const auto& s : j.at("seeds")) {
                const uint32_t seed = s.get<uint32_t>();
                // The same seed deals the same cards: merging it twice counts deals twice.
                if (!seen.insert(seed).second)
                    throw MergeError(path + ": seed " + std::to_string(seed) +
                                     " was merged already (the same deals twice)");
                seeds.push_back(seed);
            }
            threads += j.value("threads", 1);
            if (i == 0)
                total = r;
            else
                MergeResults(total, r);
        }
    } catch (const std::exception& e) {
        std::cerr << "kvarlen-cli merge: " << e.what() << "\n";
        return 2;
    }
    if (o.Json) {
        std::cout << ResultJson(total, conditions, seeds, threads).dump(2) << "\n";
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
    cmd->add_option("files", o->Files, "Result files of kvarlen-cli simulate --json")->required();
    cmd->add_flag("--json", o->Json, "JSON output (can be merged again)");
    cmd->callback([o, &status]() { status = RunMerge(*o); });
}

} // namespace kvarlen::cli
