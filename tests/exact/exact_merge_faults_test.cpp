// A result file read back for a merge is believed only when every figure is one a run can give:
// edited, relabelled or overflowing files are refused, whatever their JSON looks like.
#include "exact/exact_json.h"
#include "exact/exact_report.h"
#include "exact/exact_run.h"

#include <gtest/gtest.h>

#include <functional>

namespace kvarlen {
namespace {

using nlohmann::json;

// A small real part of the default rules (purchases and insurance), as `exact --json` writes it.
const json& PartJson() {
    static const json j = [] {
        PayTable = kDefaultPayTable;
        TExactSettings s;
        s.Threads = 2;
        s.PartIndex = 2;
        s.PartCount = 5000;
        return ExactResultJson(RunExact(s));
    }();
    return j;
}

void ExpectRefused(const std::string& what, const std::function<void(json&)>& edit) {
    json j = PartJson();
    edit(j);
    // Through the text, as a file is read.
    try {
        ExactResultFromJson(ParseExactResultText(j.dump()));
        ADD_FAILURE() << what << ": accepted";
    } catch (const std::exception& e) {
        EXPECT_LT(std::string(e.what()).size(), 400u) << what << ": " << e.what();
    }
}

TEST(ExactMergeFaults, TheUneditedPartIsAccepted) {
    const TExactResult r = ExactResultFromJson(ParseExactResultText(PartJson().dump()));
    EXPECT_TRUE(r.Complete);
    EXPECT_EQ(r.PartIndex, 2);
    EXPECT_GT(r.Tally.Layouts, 1000u);
}

TEST(ExactMergeFaults, EditedCountsAndConditionsAreRefused) {
    ExpectRefused("a row count moved", [](json& j) {
        j["tally"]["rows"]["deals"][1] = j["tally"]["rows"]["deals"][1].get<uint64_t>() + 1;
    });
    ExpectRefused("a row count moved between rows", [](json& j) {
        auto& d = j["tally"]["rows"]["deals"];
        d[1] = d[1].get<uint64_t>() + 7;
        d[13] = d[13].get<uint64_t>() - 7;
    });
    ExpectRefused("counts at 2^64 - 1", [](json& j) {
        j["tally"]["rows"]["deals"][0] = UINT64_MAX;
        j["tally"]["priced"]["none"]["deals"] = UINT64_MAX;
    });
    ExpectRefused("relabelled as the whole game", [](json& j) {
        j["part"]["index"] = 1;
        j["part"]["count"] = 1;
    });
    ExpectRefused("relabelled with the canonical count edited", [](json& j) {
        j["part"]["index"] = 1;
        j["part"]["count"] = 1;
        j["layouts"]["canonical"] = j["layouts"]["counted"];
        j["layouts"]["in_part"] = j["layouts"]["counted"];
    });
    ExpectRefused("a payout of 5000",
                  [](json& j) { j["conditions"]["rules"]["payouts"][9] = 5000; });
    ExpectRefused("a payout of -7", [](json& j) { j["conditions"]["rules"]["payouts"][0] = -7; });
    ExpectRefused("a payout of 1e308",
                  [](json& j) { j["conditions"]["rules"]["payouts"][3] = 1e308; });
    ExpectRefused("a price of -3", [](json& j) { j["conditions"]["rules"]["price_buy6"] = -3; });
    ExpectRefused("a price of 1e14",
                  [](json& j) { j["conditions"]["rules"]["price_buy6"] = 1e14; });
    ExpectRefused("dealer_game banana",
                  [](json& j) { j["conditions"]["rules"]["dealer_game"] = "banana"; });
    ExpectRefused("strategy play with the dealer's game", [](json& j) {
        j["conditions"]["mode"] = "strategy";
        j["conditions"]["raise_at_2_matches"] = true;
        j["conditions"]["rules"]["dealer_game"] = "high";
    });
    ExpectRefused("a draw factor where no card is received",
                  [](json& j) { j["conditions"]["rules"]["buy6"] = false; });
    ExpectRefused("a time of -20 s", [](json& j) { j["seconds"] = -20; });
    ExpectRefused("a part index of 1e300", [](json& j) { j["part"]["index"] = 1e300; });
    ExpectRefused("a part count beyond the layouts", [](json& j) { j["part"]["count"] = 9999999; });
    ExpectRefused("a 38-digit sum", [](json& j) {
        j["tally"]["priced"]["buy"]["sum"] = "99999999999999999999999999999999999999";
    });
    ExpectRefused("a 38-digit amount", [](json& j) {
        j["tally"]["rows"]["amount"][13] = "-99999999999999999999999999999999999999";
    });
    ExpectRefused("a text where a count belongs", [](json& j) { j["tally"]["raised"] = "many"; });
    ExpectRefused("a cost row's amount edited",
                  [](json& j) { j["tally"]["rows"]["amount"][16] = "12345"; });
}

TEST(ExactMergeFaults, InfiniteTimeDeepNestingAndHugeValuesAreRefused) {
    std::string text = PartJson().dump();
    const std::string seconds = "\"seconds\":";
    const size_t at = text.find(seconds);
    ASSERT_NE(at, std::string::npos);
    const size_t end = text.find_first_of(",}", at);
    std::string inf = text.substr(0, at + seconds.size()) + "1e999" + text.substr(end);
    EXPECT_THROW(ExactResultFromJson(ParseExactResultText(inf)), std::exception);

    // 200,000 levels deep in a field: refused while parsing, without a stack overflow.
    std::string deep = text;
    const size_t threads = deep.find("\"threads\":");
    const size_t tend = deep.find_first_of(",}", threads);
    deep = deep.substr(0, threads + 10) + std::string(200000, '[') + std::string(200000, ']') +
           deep.substr(tend);
    EXPECT_THROW(ParseExactResultText(deep), std::runtime_error);

    // A 3 MB text in the mode: the refusal quotes a few dozen characters of it.
    json j = PartJson();
    j["conditions"]["mode"] = std::string(3 << 20, 'x');
    try {
        ExactResultFromJson(ParseExactResultText(j.dump()));
        ADD_FAILURE() << "accepted";
    } catch (const std::exception& e) {
        EXPECT_LT(std::string(e.what()).size(), 200u);
    }
    EXPECT_THROW(ParseExactResultText(std::string(kExactFileLimit + 1, ' ')), std::runtime_error);
}

// The price rows carry what they cost, so that the amounts add up to the net.
TEST(ExactMergeFaults, TableAmountsAddUpToTheNet) {
    const json& j = PartJson();
    TExactInt sum = 0;
    bool buy = false;
    for (const json& row : j["table"]) {
        sum += ParseExactInt(row["amount"].get<std::string>());
        if (row["event"] == "buy_cost") {
            buy = true;
            EXPECT_NE(row["amount"], "0");
        }
    }
    EXPECT_TRUE(buy);
    EXPECT_EQ(ToDecimal(sum), j["summary"]["net"].get<std::string>());
    TExactInt tally = 0;
    for (const json& a : j["tally"]["rows"]["amount"]) tally += ParseExactInt(a.get<std::string>());
    EXPECT_EQ(ToDecimal(tally), j["summary"]["net"].get<std::string>());
}

TEST(ExactMergeFaults, MergeNamesTheFileAndChecksWhatAPartStandsFor) {
    std::vector<TExactResult> parts;
    PayTable = kDefaultPayTable;
    for (int k = 1; k <= 2; ++k) {
        TExactSettings s;
        s.Rules.Buy6 = false;
        s.Rules.Insurance = false;
        s.Threads = 2;
        s.PartIndex = k;
        s.PartCount = 2;
        parts.push_back(RunExact(s));
    }
    const std::vector<std::string> names = {"a.json", "b.json"};
    EXPECT_NO_THROW(MergeExactParts(parts, &names));
    // Layouts moved from one part's count to the other's: each part must stand for its own.
    std::vector<TExactResult> moved = parts;
    moved[0].Tally.PlainLayouts += 24;
    moved[1].Tally.PlainLayouts -= 24;
    try {
        MergeExactParts(moved, &names);
        ADD_FAILURE() << "accepted";
    } catch (const TExactRefused& e) {
        EXPECT_NE(std::string(e.what()).find("a.json"), std::string::npos) << e.what();
    }
}

TEST(ExactMergeFaults, APartBeyondTheLayoutsIsRefusedBeforeAnyWork) {
    TExactSettings s;
    s.PartIndex = 5649151;
    s.PartCount = 9999999;
    EXPECT_THROW(ValidateExactSettings(s), TExactRefused);
    s.PartIndex = 5649150;
    s.PartCount = 5649150;
    EXPECT_NO_THROW(ValidateExactSettings(s));
}

} // namespace
} // namespace kvarlen
