// libFuzzer target: the reader of simulate --json results that merge uses. A result it accepts
// has possible figures, and its JSON again holds no null.
#include "cli/simulation_json.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

using namespace kvarlen;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const nlohmann::json j = nlohmann::json::parse(data, data + size, nullptr, false);
    if (j.is_discarded()) return 0;
    TRunResult r;
    try {
        r = cli::ResultFromJson(j);
    } catch (const std::exception&) {
        return 0;
    }
    if (r.Deals < 0 || r.Passes < r.Deals || r.TeamSize < 1 || r.TeamSize > 3) std::abort();
    if (!std::isfinite(ResultMO(r)) || !std::isfinite(ResultVariance(r))) std::abort();
    if (ResultVariance(r) < -1e-6 * (1 + std::fabs(ResultMO(r) * ResultMO(r)))) std::abort();
    TRunResult twice = r;
    MergeResults(twice, r);
    if (twice.Deals < r.Deals && r.Deals > 0) std::abort(); // no overflow on a valid file
    const std::string out = cli::ResultJson(r, j["conditions"], {1}, 1).dump();
    if (out.find("null") != std::string::npos) std::abort();
    return 0;
}
