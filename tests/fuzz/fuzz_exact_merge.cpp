// libFuzzer target: the reader of exact --json part files that merge uses. A file it accepts
// holds possible figures: its JSON reads back to the same counts, and its summary is finite.
#include "exact/exact_json.h"
#include "exact/exact_report.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

using namespace kvarlen;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool pay = [] {
        PayTable = kDefaultPayTable;
        return true;
    }();
    (void)pay;
    TExactResult r;
    try {
        r = ExactResultFromJson(
            ParseExactResultText(std::string(reinterpret_cast<const char*>(data), size)));
    } catch (const std::exception&) {
        return 0;
    }
    const TExactSummary s = SummarizeExact(r);
    if (!std::isfinite(static_cast<double>(s.MO)) ||
        !std::isfinite(static_cast<double>(s.Variance)))
        std::abort();
    const TExactResult back = ExactResultFromJson(ExactResultJson(r));
    if (!(back.Tally == r.Tally)) std::abort();
    return 0;
}
