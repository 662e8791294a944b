// A run's report from a fixed seed, the line naming the run put before it, and what the trace
// is told of each deal's end.
#include "fake_host.h"
#include "fixed_seed_report.h"
#include "simulation/simulation_run.h"
#include "simulation/text_files.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace kvarlen {
namespace {

namespace fs = std::filesystem;

TRunOutcome FixedSeedRun(test::FakeHost& host, bool ideal, int threads, int deals) {
    host.Settings = test::QuietSettings(test::kFixedSeedBoxes, deals);
    host.Live.Statistics = true;
    TStreamOptions streams;
    streams.Seed = test::kFixedSeed;
    streams.Threads = threads;
    return RunSimulationStreams(host, ideal, streams);
}

TEST(RunReport, AFixedSeedGivesTheKnownReport) {
    test::FakeHost host;
    const TRunOutcome out = FixedSeedRun(host, false, 1, test::kFixedSeedDeals);
    ASSERT_TRUE(out.Ran);
    EXPECT_EQ(test::Untimed(out.Report), test::FixedSeedReport());
    // The calling thread's own deck and generator deal the same from the same seed.
    test::FakeHost same;
    same.Settings = host.Settings;
    same.Live = host.Live;
    TDeck deck;
    TGenerator gen;
    gen.SeedMyRandom(test::kFixedSeed);
    TBoxes boxes;
    EXPECT_EQ(test::Untimed(SixCardSimulation(same, deck, gen, boxes).Report),
              test::FixedSeedReport());
}

TEST(RunReport, TheTitleComesFirstInTheMemoAndTheFileAndChangesNoOtherLine) {
    const fs::path dir = fs::temp_directory_path() / ("kvarlen-title-" + std::to_string(getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir / "out");
    for (const bool ideal : {false, true}) {
        test::FakeHost plain, titled;
        const int deals = ideal ? 200 : 2000;
        const TRunOutcome a = FixedSeedRun(plain, ideal, 1, deals);
        titled.Settings = test::QuietSettings(test::kFixedSeedBoxes, deals);
        titled.Settings.ReportTitle = "Прогон: проба";
        titled.Settings.OutDir = dir.string();
        titled.Settings.Date = "20240102";
        titled.Live.Statistics = true;
        TStreamOptions streams;
        streams.Seed = test::kFixedSeed;
        const TRunOutcome b = RunSimulationStreams(titled, ideal, streams);
        ASSERT_TRUE(a.Ran && b.Ran);
        ASSERT_EQ(b.Report.size(), a.Report.size() + 1);
        EXPECT_EQ(b.Report[0], "Прогон: проба");
        EXPECT_EQ(test::Untimed({b.Report.begin() + 1, b.Report.end()}), test::Untimed(a.Report));
        EXPECT_EQ(titled.Memo, b.Report);
        std::ifstream in(ReportFilePath(dir.string(), "20240102"), std::ios::binary);
        std::stringstream bytes;
        bytes << in.rdbuf();
        EXPECT_EQ(bytes.str().rfind(ToCp1251("Прогон: проба") + "\r\n", 0), 0u) << ideal;
        fs::remove(ReportFilePath(dir.string(), "20240102"));
        fs::remove(BankFilePath(dir.string(), "20240102"));
    }
    fs::remove_all(dir);
}

// The traced figures of every deal add up to the run's nets, in deal order, for both plays.
TEST(RunReport, TracedDealsCarryTheirNumberResultAndBank) {
    for (const bool ideal : {false, true}) {
        test::FakeHost host;
        host.Live.Trace = true;
        host.RecordTrace = false;
        int waits = 0;
        host.OnWait = [&] { ++waits; };
        const TRunOutcome out = FixedSeedRun(host, ideal, 1, 60);
        ASSERT_TRUE(out.Ran);
        ASSERT_EQ(host.Traced.size(), 60u);
        EXPECT_EQ(waits, 60);
        std::array<double, 4> bank{0, 100, 100, 100};
        for (size_t i = 0; i < host.Traced.size(); ++i) {
            const TTracedDeal& d = host.Traced[i];
            EXPECT_EQ(d.Deal, static_cast<int64_t>(i + 1));
            EXPECT_EQ(d.TeamSize, 2);
            for (size_t b = 1; b <= 2; ++b) {
                bank[b] += d.Result[b];
                EXPECT_EQ(d.Bank[b], bank[b]) << "deal " << d.Deal << " box " << b;
            }
        }
        EXPECT_EQ(bank[1] - 100, out.Result.Net[1]);
        EXPECT_EQ(bank[2] - 100, out.Result.Net[2]);
        // Settling a copy for the trace leaves the run itself as it is untraced.
        test::FakeHost quiet;
        EXPECT_EQ(test::Untimed(FixedSeedRun(quiet, ideal, 1, 60).Report),
                  test::Untimed(out.Report));
    }
}

} // namespace
} // namespace kvarlen
