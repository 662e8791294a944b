#include "simulation/simulation_run.h"

#include "analysis/dealer_outcomes.h"
#include "simulation/bank_log.h"
#include "simulation/dbf_history.h"
#include "simulation/deal_stream.h"
#include "simulation/report.h"
#include "simulation/text_files.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <utility>

namespace kvarlen {

namespace {

// Reads and checks the run settings; false (after telling the host) when the run is refused.
bool BeginRun(TSimulationHost& host, TRunSettings& settings) {
    try {
        settings = host.ReadRunSettings();
    } catch (const ConvertError& e) {
        host.Message(e.what());
        return false;
    }
    if (settings.TeamSize < 1 || settings.TeamSize > kMaxTeamSize) {
        host.Message("Число боксов команды должно быть 1, 2 или 3, а не " +
                     std::to_string(settings.TeamSize));
        return false;
    }
    if (settings.DealsToPlay < 1) {
        host.Message("Число раздач должно быть не меньше 1, а не " +
                     std::to_string(settings.DealsToPlay));
        return false;
    }
    return true;
}

// Ideal play with the filter "AK" while ace + king does not play would deal for ever: no hand
// is of that class. False (after telling the host) for that run.
bool FilterCanPass(TSimulationHost& host, const TRunSettings& settings, bool ideal,
                   const TLiveOptions& live) {
    if (!ideal || live.Filter != 1 || settings.Rules.AKPlays) return true;
    host.Message("Раздач AK не будет: туз+король не играет (\"AK играет\" выключено)");
    return false;
}

// What the streams of a run share at the end.
struct TRunParts {
    std::vector<TDealStream*> Streams;
    std::vector<std::unique_ptr<TBankLog>> BankLogs;
    std::vector<std::unique_ptr<TDealLog>> DealLogs;
    TDealLogFile DealLogFile;
    std::string DealLogError;
};

// False (after telling the host) when the table could not be closed properly.
bool CloseHistory(TSimulationHost& host, TRunParts& parts) {
    bool ok = true;
    for (TDealStream* s : parts.Streams)
        if (s->DbfHandle > 0) {
            std::string error;
            if (!CloseBase(s->DbfHandle, &error)) {
                host.Message(error);
                ok = false;
            }
            s->DbfHandle = 0;
        }
    return ok;
}

// Every file a run writes is another file: a deal log named like the history table or the
// report file would destroy it. False (after telling the host) when two are one.
bool DistinctOutputs(TSimulationHost& host, const TRunSettings& settings, bool ideal,
                     const TLiveOptions& live) {
    std::vector<std::pair<std::string, std::string>> outputs;
    if (!settings.DealLogPath.empty()) outputs.emplace_back("журнал раздач", settings.DealLogPath);
    if (ideal && live.DbfHistory) outputs.emplace_back("таблица истории", settings.DbfPath);
    if (!settings.OutDir.empty()) {
        const std::string date = settings.Date.empty() ? DateStamp() : settings.Date;
        outputs.emplace_back("файл отчёта", ReportFilePath(settings.OutDir, date));
        if (!ideal) outputs.emplace_back("файл банков", BankFilePath(settings.OutDir, date));
    }
    for (size_t i = 0; i < outputs.size(); ++i)
        for (size_t k = i + 1; k < outputs.size(); ++k)
            if (SameFile(outputs[i].second, outputs[k].second)) {
                host.Message(outputs[i].first + " \"" + outputs[i].second + "\" и " +
                             outputs[k].first + " \"" + outputs[k].second +
                             "\" — один и тот же файл: прогон не начат, ничего не записано");
                return false;
            }
    return true;
}

// Bank logs and history handles before the first deal. When the table cannot be opened the
// run is refused: the outcome says whether the file system was to blame.
bool OpenRunFiles(TSimulationHost& host, const TRunSettings& settings, bool ideal,
                  const TLiveOptions& live, TRunParts& parts, TRunOutcome& refused) {
    if (!DistinctOutputs(host, settings, ideal, live)) return false;
    if (!ideal && !settings.OutDir.empty())
        for (TDealStream* s : parts.Streams) {
            parts.BankLogs.push_back(std::make_unique<TBankLog>(settings.OutDir + "/out"));
            s->BankLog = parts.BankLogs.back().get();
        }
    if (ideal && live.DbfHistory)
        for (TDealStream* s : parts.Streams) {
            std::string error;
            TDbfOpenInfo info;
            s->DbfHandle = OpenHistory(settings.DbfPath, error, &info);
            if (!info.Notice.empty()) host.Message(info.Notice);
            if (s->DbfHandle == 0) {
                host.Message(error);
                CloseHistory(host, parts);
                refused.WriteFailed = info.FileError;
                return false;
            }
        }
    if (!settings.DealLogPath.empty()) {
        if (!parts.DealLogFile.Open(settings.DealLogPath, parts.DealLogError)) {
            host.Message(parts.DealLogError);
            CloseHistory(host, parts);
            refused.DealLogError = parts.DealLogError;
            return false;
        }
        for (TDealStream* s : parts.Streams) {
            parts.DealLogs.push_back(std::make_unique<TDealLog>());
            s->DealLog = parts.DealLogs.back().get();
        }
    }
    return true;
}

// The end of a run: report, bankroll fields, report file, caption, bank file or history table.
TRunOutcome FinishRun(TSimulationHost& host, const TRunSettings& settings, bool ideal,
                      TRunResult& result, TRunParts& parts) {
    TLiveOptions live;
    host.ReadLiveOptions(live);
    result.Ideal = ideal;
    result.BestPlay = ideal && settings.BestPlay;
    result.Statistics = live.Statistics;
    const char sep = settings.Separator;

    TRunOutcome outcome;
    outcome.Ran = true;
    outcome.Report = ReportLines(result, sep);
    if (!settings.ReportTitle.empty())
        outcome.Report.insert(outcome.Report.begin(), settings.ReportTitle);
    host.AppendReport(outcome.Report);
    if (result.Deals > 0) host.SetMathFields(MathInputsOf(result, sep));

    // Streams read one after another: each continues from the banks the previous left.
    std::vector<std::array<double, 3>> offsets;
    std::array<double, 3> offset{};
    for (TDealStream* s : parts.Streams) {
        offsets.push_back(offset);
        for (size_t b = 0; b < 3; ++b)
            offset[b] += (*s->Boxes)[b + 1].Bank - (*s->Boxes)[b + 1].InitialBank;
    }

    const std::string date = settings.Date.empty() ? DateStamp() : settings.Date;
    if (!settings.OutDir.empty()) {
        std::vector<std::string> lines;
        for (size_t i = 0; i < parts.Streams.size(); ++i) {
            TDealStream& s = *parts.Streams[i];
            ShiftGameLogBanks(s.GameLog, s.GameLogBanks, offsets[i], sep);
            lines.insert(lines.end(), s.GameLog.begin(), s.GameLog.end());
        }
        // After the reports the file holds already: the memo may have been cleared, or the
        // program restarted, since they were written.
        lines.insert(lines.end(), outcome.Report.begin(), outcome.Report.end());
        std::string error;
        if (!AppendTextFile(ReportFilePath(settings.OutDir, date), lines, error)) {
            host.Message(error);
            outcome.WriteFailed = true;
        }
    }
    host.SetStartCaption("ready");
    if (!parts.BankLogs.empty()) {
        std::vector<TBankLogPart> logParts;
        for (size_t i = 0; i < parts.Streams.size(); ++i)
            logParts.push_back(TBankLogPart{parts.BankLogs[i].get(), offsets[i]});
        host.BankLogReady(logParts);
        std::string error;
        if (!WriteBankFile(BankFilePath(settings.OutDir, date), logParts, sep, error)) {
            host.Message(error);
            outcome.WriteFailed = true;
        }
    }
    if (parts.DealLogFile.IsOpen()) {
        std::vector<TDealLogPart> logParts;
        for (size_t i = 0; i < parts.Streams.size(); ++i)
            logParts.push_back(TDealLogPart{parts.Streams[i]->DealLog, static_cast<int>(i),
                                            parts.Streams[i]->Seed, offsets[i]});
        if (!parts.DealLogFile.Write(logParts, outcome.DealLogError))
            host.Message(outcome.DealLogError);
    }
    if (!CloseHistory(host, parts)) outcome.WriteFailed = true;
    for (TDealStream* s : parts.Streams)
        if (s->WriteFailed) outcome.WriteFailed = true;
    host.MarkDeckDirty();
    outcome.Result = result;
    return outcome;
}

void Play(TDealStream& s, bool ideal, int64_t deals) {
    if (ideal)
        PlayIdealDeals(s, deals);
    else
        PlayStrategyDeals(s, deals);
}

TRunOutcome RunOnCallingThread(TSimulationHost& host, bool ideal, TDeck& deck, TGenerator& gen,
                               TBoxes& boxes) {
    TRunSettings settings;
    if (!BeginRun(host, settings)) return {};
    TLiveOptions live;
    host.ReadLiveOptions(live);
    if (!FilterCanPass(host, settings, ideal, live)) return {};

    TDealStream stream;
    stream.Host = &host;
    stream.Settings = &settings;
    stream.Deck = &deck;
    stream.Gen = &gen;
    stream.Boxes = &boxes;
    stream.Seed = gen.UseMyRandom ? gen.RandomSeed : -1;
    TRunParts parts;
    parts.Streams.push_back(&stream);
    TRunOutcome refused;
    if (!OpenRunFiles(host, settings, ideal, live, parts, refused)) return refused;
    host.RunStarted();
    if (live.Trace) host.TraceInit();
    PrepareBoxes(boxes, settings.InitialBank);

    GlobalT1() = 0;
    const uint32_t start = TickCount();
    Play(stream, ideal, settings.DealsToPlay);
    const uint32_t end = TickCount();

    TRunResult result;
    StreamResult(stream, result);
    result.DealsAsked = settings.DealsToPlay;
    result.ElapsedMs = static_cast<double>(end - start);
    return FinishRun(host, settings, ideal, result, parts);
}

// The face a worker stream sees: fixed live options, a shared stop flag, progress counted for
// the calling thread to show.
class TWorkerHost : public TSimulationHost {
  public:
    TWorkerHost(const TLiveOptions& live, std::atomic<bool>& stop, std::atomic<int64_t>& played,
                std::mutex& mutex, std::vector<std::string>& messages)
        : live_(live), stop_(stop), played_(played), mutex_(mutex), messages_(messages) {}

    TRunSettings ReadRunSettings() override { return {}; }
    void ReadLiveOptions(TLiveOptions& options) override { options = live_; }
    void Progress(int64_t, const std::string&) override { played_.fetch_add(10000); }
    bool StopRequested() override { return stop_.load(std::memory_order_relaxed); }
    void Message(const std::string& text) override {
        std::lock_guard<std::mutex> lock(mutex_);
        messages_.push_back(text);
    }
    void AppendReport(const std::vector<std::string>&) override {}
    std::vector<std::string> MemoLines() override { return {}; }

  private:
    TLiveOptions live_;
    std::atomic<bool>& stop_;
    std::atomic<int64_t>& played_;
    std::mutex& mutex_;
    std::vector<std::string>& messages_;
};

} // namespace

TRunOutcome SixCardSimulation(TSimulationHost& host, TDeck& deck, TGenerator& gen, TBoxes& boxes) {
    return RunOnCallingThread(host, false, deck, gen, boxes);
}

TRunOutcome IDEAL_SixCardSimulation(TSimulationHost& host, TDeck& deck, TGenerator& gen,
                                    TBoxes& boxes) {
    return RunOnCallingThread(host, true, deck, gen, boxes);
}

uint32_t StreamSeed(uint32_t seed, int stream) {
    if (stream == 0) return seed;
    // splitmix64 of the seed and the stream number: unrelated streams for nearby seeds.
    uint64_t z = (static_cast<uint64_t>(seed) << 16) + static_cast<uint64_t>(stream) +
                 0x9E3779B97F4A7C15ull * static_cast<uint64_t>(stream);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    z ^= z >> 31;
    return static_cast<uint32_t>(z % 2147483646u) + 1u;
}

TRunOutcome RunSimulationStreams(TSimulationHost& host, bool ideal, const TStreamOptions& options) {
    const int threads = options.Threads < 1 ? 1 : options.Threads;
    auto seeded = [&](int i) {
        TGenerator gen;
        gen.UseMyRandom = options.UseMyRandom;
        gen.SeedMyRandom(StreamSeed(options.Seed, i));
        gen.SeedLibrary(StreamSeed(options.Seed, i));
        return gen;
    };
    if (threads == 1) {
        TDeck deck;
        TGenerator gen = seeded(0);
        TBoxes boxes;
        return RunOnCallingThread(host, ideal, deck, gen, boxes);
    }

    TRunSettings settings;
    if (!BeginRun(host, settings)) return {};
    TLiveOptions live;
    host.ReadLiveOptions(live);
    if (!FilterCanPass(host, settings, ideal, live)) return {};
    live.Trace = false;

    std::atomic<bool> stop{false};
    std::atomic<int64_t> played{0};
    std::mutex mutex;
    std::vector<std::string> messages;
    TWorkerHost worker(live, stop, played, mutex, messages);

    // Each stream's state on cache lines of its own: no false sharing between the threads.
    struct alignas(64) TStreamState {
        TDeck Deck;
        TGenerator Gen;
        TBoxes Boxes;
        TDealStream Stream;
        char Pad[64];
    };
    std::vector<std::unique_ptr<TStreamState>> states;
    TRunParts parts;
    for (int i = 0; i < threads; ++i) {
        states.push_back(std::make_unique<TStreamState>());
        TStreamState& st = *states.back();
        st.Gen = seeded(i);
        PrepareBoxes(st.Boxes, settings.InitialBank);
        TDealStream& s = st.Stream;
        s.Host = &worker;
        s.Settings = &settings;
        s.Deck = &st.Deck;
        s.Gen = &st.Gen;
        s.Boxes = &st.Boxes;
        s.Seed = StreamSeed(options.Seed, i);
        parts.Streams.push_back(&s);
    }
    TRunOutcome refused;
    if (!OpenRunFiles(host, settings, ideal, live, parts, refused)) return refused;
    host.RunStarted();

    const uint32_t start = TickCount();
    int running = threads;
    std::condition_variable finished;
    std::vector<std::thread> pool;
    for (int i = 0; i < threads; ++i) {
        const int64_t share =
            settings.DealsToPlay / threads + (i < settings.DealsToPlay % threads ? 1 : 0);
        pool.emplace_back([&, i, share] {
            GlobalT1() = 0;
            Play(states[static_cast<size_t>(i)]->Stream, ideal, share);
            std::lock_guard<std::mutex> lock(mutex);
            --running;
            finished.notify_all();
        });
    }
    // The calling thread keeps the host informed and passes a stop request on.
    int64_t shown = 0;
    auto relay = [&] {
        for (const int64_t total = played.load(); shown + 10000 <= total;) {
            shown += 10000;
            host.Progress(shown, ProgressCaption(shown));
        }
        std::vector<std::string> pending;
        {
            std::lock_guard<std::mutex> lock(mutex);
            pending.swap(messages);
        }
        for (const std::string& m : pending) host.Message(m);
        if (host.StopRequested()) stop = true;
    };
    for (;;) {
        {
            std::unique_lock<std::mutex> lock(mutex);
            if (finished.wait_for(lock, std::chrono::milliseconds(50),
                                  [&] { return running == 0; }))
                break;
        }
        relay();
    }
    for (std::thread& t : pool) t.join();
    relay();
    const uint32_t end = TickCount();

    TRunResult result;
    for (size_t i = 0; i < states.size(); ++i) {
        TRunResult part;
        StreamResult(states[i]->Stream, part);
        if (i == 0)
            result = part;
        else
            MergeResults(result, part);
    }
    result.Statistics = true;
    result.DealsAsked = settings.DealsToPlay;
    result.ElapsedMs = static_cast<double>(end - start);
    return FinishRun(host, settings, ideal, result, parts);
}

} // namespace kvarlen
