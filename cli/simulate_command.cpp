// kvarlen-cli simulate: strategy, ideal or optimal (best) play without windows, the report as
// text or JSON, the dated files and the history table on request, spread over threads when asked.
#include "cli/commands.h"
#include "cli/options_common.h"
#include "cli/simulation_json.h"
#include "simulation/simulation_run.h"

#include <atomic>
#include <cctype>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <memory>
#include <unistd.h>

namespace kvarlen::cli {

namespace {

struct SimulateOptions {
    std::string Mode = "strategy";
    int Boxes = 1;
    int Deals = 100000;
    int Bank = 100;
    int64_t Seed = -1;
    std::string Info = "beacon";
    std::string Filter = "any";
    bool Stats = false, NoInsurance = false, NoAK = false, NoBuy = false, Exchange1 = false;
    std::string DealerGame = "none";
    bool AntePaid = false;
    std::string PriceChange1 = "1", PriceChange2 = "1", PriceBuy6 = "1", PriceDealerGame = "1";
    std::string Pay;
    TRuleSetChoice RuleSet;
    std::string Dbf, Out, DealLog;
    bool Log = false, Json = false;
    int Threads = 1;
};

class RefusedError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

std::atomic<bool> g_stop{false};

// Ctrl-C, SIGTERM (batch systems, `timeout`) and SIGHUP (a closed terminal) all end the run
// after the current deal; the same signal again ends the program at once.
constexpr int kStopSignals[] = {SIGINT, SIGTERM, SIGHUP};

extern "C" void OnInterrupt(int sig) {
    g_stop.store(true);
    std::signal(sig, SIG_DFL);
}

// Exit statuses: 0 done, 1 a file or the table could not be written, 2 refused, 3 stopped.
constexpr int kExitWriteFailed = 1;
constexpr int kExitRefused = 2;
constexpr int kExitStopped = 3;

int IndexOf(const std::vector<std::string>& names, const std::string& name, const char* option) {
    for (size_t i = 0; i < names.size(); ++i)
        if (names[i] == name) return static_cast<int>(i);
    std::string all;
    for (const std::string& n : names) all += (all.empty() ? "" : "|") + n;
    throw RefusedError(std::string(option) + ": '" + ShortText(name) + "' is none of " + all);
}

// The command line without windows: the memo is this run's report, messages go to stderr, and
// a terminal on stderr gets a progress line.
class CliHost : public TSimulationHost {
  public:
    TRunSettings Settings;
    TLiveOptions Live;
    std::vector<std::string> Memo;
    bool ShowProgress = false;
    bool ProgressShown = false;

    TRunSettings ReadRunSettings() override { return Settings; }
    void ReadLiveOptions(TLiveOptions& o) override { o = Live; }
    void Progress(int64_t, const std::string& caption) override {
        if (!ShowProgress) return;
        std::fprintf(stderr, "\rkvarlen-cli simulate: %s deals", caption.c_str());
        std::fflush(stderr);
        ProgressShown = true;
    }
    bool StopRequested() override { return g_stop.load(std::memory_order_relaxed); }
    void Message(const std::string& text) override {
        EndProgressLine();
        std::cerr << "kvarlen-cli simulate: " << text << "\n";
    }
    void AppendReport(const std::vector<std::string>& lines) override {
        EndProgressLine();
        Memo.insert(Memo.end(), lines.begin(), lines.end());
    }
    std::vector<std::string> MemoLines() override { return Memo; }

  private:
    void EndProgressLine() {
        if (ProgressShown) std::fputc('\n', stderr);
        ProgressShown = false;
    }
};

void ReadRules(const SimulateOptions& o, TRunSettings& s) {
    FillRulesFromSwitches(o, s.Rules);
    s.DealerAK = s.Rules.AKPlays;
}

int RunSimulate(const SimulateOptions& o, const CLI::App& cmd) {
    CliHost host;
    bool ideal = false;
    TStreamOptions streams;
    try {
        // Optimal play is ideal play deciding by best play: the same views, files and report.
        const int mode = IndexOf({"strategy", "ideal", "optimal"}, o.Mode, "--mode");
        ideal = mode >= 1;
        host.Settings.BestPlay = mode == 2;
        if (!ideal)
            for (const char* opt : {"--info", "--filter", "--dbf"})
                if (cmd.count(opt) > 0)
                    throw RefusedError(std::string(opt) +
                                       " applies to --mode ideal and --mode optimal only");
        if (o.Exchange1 && !ideal)
            throw RefusedError("--exchange1 applies to --mode ideal and --mode optimal only "
                               "(strategy play never exchanges)");
        if (o.Exchange1 && !o.NoBuy)
            throw RefusedError("--exchange1 and buying a sixth card exclude each other, as "
                               "\"обмен 1 карты\" and \"покупка 6 карты\" do: add --no-buy");
        if (o.Threads < 1 || o.Threads > 256) throw RefusedError("--threads must be 1..256");
        // The generator works modulo 2^31 - 1: other seeds deal what one of these deals.
        if (cmd.count("--seed") > 0 && (o.Seed < 1 || o.Seed > kMaxSeed))
            throw RefusedError("--seed must be 1..2147483646");
        if (o.Boxes < 1 || o.Boxes > 3) throw RefusedError("--boxes must be 1, 2 or 3");
        if (o.Deals < 1) throw RefusedError("--deals must be at least 1");
        // An empty name would silently write nothing.
        if (cmd.count("--dbf") > 0 && o.Dbf.empty())
            throw RefusedError("--dbf needs a folder or a table name, not an empty one");
        if (cmd.count("--deal-log") > 0 && o.DealLog.empty())
            throw RefusedError("--deal-log needs a file name, not an empty one");
        if (o.Log && o.Out.empty())
            throw RefusedError("--log writes the game log into the report file: give --out too");
        TRunSettings& s = host.Settings;
        s.TeamSize = o.Boxes;
        s.DealsToPlay = o.Deals;
        s.InitialBank = o.Bank;
        s.Separator = ',';
        s.OutDir = o.Out;
        s.DbfPath = o.Dbf;
        s.DealLogPath = o.DealLog;
        // A folder (or any name that is not a .dbf file) names where the table goes:
        // <folder>/1box.DBF, as the desktop keeps it.
        std::error_code ec;
        std::string ext = std::filesystem::path(o.Dbf).extension().string();
        for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (!o.Dbf.empty() &&
            (o.Dbf.back() == '/' || std::filesystem::is_directory(o.Dbf, ec) || ext != ".dbf"))
            s.DbfPath = (std::filesystem::path(o.Dbf) / "1box.DBF").string();
        ReadRules(o, s);
        host.Live.Statistics = o.Stats;
        host.Live.GameLog = o.Log;
        host.Live.Mode =
            static_cast<TInfoMode>(IndexOf({"in-turn", "beacon", "full"}, o.Info, "--info"));
        host.Live.Filter = IndexOf(FilterNames(), o.Filter, "--filter");
        host.Live.DbfHistory = !o.Dbf.empty();
        // No hand is of the ace + king class when it does not play: the run would never end.
        if (ideal && host.Live.Filter == 1 && !s.Rules.AKPlays)
            throw RefusedError("--filter ak never finds a deal with --no-ak");
        if (!o.Out.empty()) {
            // The desktop program makes its "out" folder at start-up; so do we.
            ec.clear();
            std::filesystem::create_directories(std::filesystem::path(o.Out) / "out", ec);
            if (ec) {
                // Nothing was wrong with the command: the file system said no.
                std::cerr << "kvarlen-cli simulate: cannot create folder \"" << o.Out
                          << "/out\": " << ec.message() << "\n";
                return kExitWriteFailed;
            }
        }
        streams.Threads = o.Threads;
        // The tick count as the seed that deals the same, so that --seed repeats the run.
        streams.Seed = o.Seed >= 0 ? static_cast<uint32_t>(o.Seed) : EffectiveSeed(TickCount());
    } catch (const std::exception& e) {
        std::cerr << "kvarlen-cli simulate: " << e.what() << "\n";
        return 2;
    }
    host.ShowProgress = isatty(STDERR_FILENO) != 0;

    g_stop = false;
    // Kept until the output is out: a stop asked for after the last deal changes nothing.
    struct sigaction stopAction = {};
    struct sigaction previous[3] = {};
    stopAction.sa_handler = OnInterrupt;
    sigemptyset(&stopAction.sa_mask);
    for (int i = 0; i < 3; ++i) sigaction(kStopSignals[i], &stopAction, &previous[i]);
    // A file size limit makes writes fail with EFBIG instead of killing the run unreported.
    std::signal(SIGXFSZ, SIG_IGN);
    const TRunOutcome out = RunSimulationStreams(host, ideal, streams);
    const int status = [&] {
        // A deal log that cannot be created is a file that could not be written, not bad input.
        if (!out.Ran)
            return out.WriteFailed || !out.DealLogError.empty() ? kExitWriteFailed : kExitRefused;
        if (out.Result.Stopped)
            std::cerr << "kvarlen-cli simulate: stopped after " << out.Result.Deals << " deals\n";
        if (o.Json) {
            // Every stream's seed, so that merge sees the same deals in another run's stream.
            std::vector<uint32_t> streamSeeds;
            for (int i = 0; i < streams.Threads; ++i)
                streamSeeds.push_back(StreamSeed(streams.Seed, i));
            nlohmann::json j =
                ResultJson(out.Result, RunConditions(host.Settings, ideal, host.Live),
                           {streams.Seed}, streams.Threads, streamSeeds);
            j["rule_set"] = RuleSetLabel(o.RuleSet, host.Settings.Rules, PayTable);
            std::cout << j.dump(2) << "\n";
        } else {
            for (const std::string& line : out.Report) std::cout << line << "\n";
        }
        // std::cout writes through stdout's buffer: flushing that gives the error number.
        const bool flushed = std::fflush(stdout) == 0;
        const int err = errno;
        std::cout.flush();
        if (!flushed || std::ferror(stdout) || !std::cout) {
            std::cerr << "kvarlen-cli simulate: cannot write the result to the standard output"
                      << (flushed ? "" : std::string(". ") + std::strerror(err)) << "\n";
            return kExitWriteFailed;
        }
        if (out.WriteFailed || !out.DealLogError.empty()) return kExitWriteFailed;
        return out.Result.Stopped ? kExitStopped : 0;
    }();
    for (int i = 0; i < 3; ++i) sigaction(kStopSignals[i], &previous[i], nullptr);
    return status;
}

} // namespace

void AddSimulateCommand(CLI::App& app, int& status) {
    auto o = std::make_shared<SimulateOptions>();
    auto* cmd = app.add_subcommand("simulate", "Play many deals for a team of boxes, by the "
                                               "strategy rules, ideally or by best play, and "
                                               "report the result");
    cmd->add_option("--mode", o->Mode,
                    "strategy, ideal (by the MO values) or optimal (by best play)")
        ->capture_default_str();
    AddInteger(cmd, "--boxes", o->Boxes, "Boxes of the team, 1..3")->capture_default_str();
    AddInteger(cmd, "--deals", o->Deals, "Deals to play")->capture_default_str();
    AddInteger(cmd, "--bank", o->Bank, "Initial bank of each box, in antes")->capture_default_str();
    AddInteger(cmd, "--seed", o->Seed, "Seed of the card generator (default: the tick count)");
    cmd->add_option("--info", o->Info, "Ideal and optimal play: in-turn, beacon or full")
        ->capture_default_str();
    cmd->add_option(
           "--filter", o->Filter,
           "Ideal and optimal play: the deals to play by box 1's dealt hand: any, ak, pairs, "
           "two-pairs, trips, straights, flushes, full-houses, quads, "
           "straight-flushes, royals")
        ->capture_default_str();
    cmd->add_flag("--stats", o->Stats, "Collect the class statistics");
    AddRuleOptions(cmd, o.get(), "Price of buying a sixth card (ideal and optimal play)");
    cmd->add_option(
        "--dbf", o->Dbf,
        "Ideal and optimal play: append every deal of box 1 to this DBF table (a folder: "
        "<folder>/1box.DBF); created when missing");
    cmd->add_option("--out", o->Out,
                    "Write out/out<date>.txt (and out/out_bank_<date>.txt) under this folder");
    cmd->add_flag("--log", o->Log, "Write the game log into the report file");
    cmd->add_option("--deal-log", o->DealLog,
                    "Write one row per box and deal to this file: CSV with a header, or JSON "
                    "lines when the name ends in .jsonl");
    cmd->add_flag("--json", o->Json, "JSON output, for kvarlen-cli merge");
    AddInteger(cmd, "--threads", o->Threads, "Independent deal streams on this many threads")
        ->capture_default_str();
    cmd->callback(
        [o, cmd, &status]() { status = ApplyRuleSet(*cmd, *o) ? RunSimulate(*o, *cmd) : 2; });
}

} // namespace kvarlen::cli
