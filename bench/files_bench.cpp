// The cost of what keeps the files whole: a history record with its header brought up to date
// (one record per played deal of ideal play), and a bank file written beside and renamed.
#include "simulation/bank_log.h"
#include "simulation/dbf_history.h"
#include "simulation/text_files.h"

#include <benchmark/benchmark.h>

#include <clocale>
#include <filesystem>
#include <random>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

fs::path Scratch(const char* name) {
    const fs::path dir =
        fs::temp_directory_path() / ("kvarlen_bench_" + std::to_string(getpid()) + name);
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir;
}

// Records of distinct cards and values, as a run would write them.
void BM_HistoryAppend(benchmark::State& state) {
    std::setlocale(LC_NUMERIC, "C");
    const fs::path dir = Scratch("_dbf");
    std::string error;
    const int h = kvarlen::OpenHistory((dir / "1box.DBF").string(), error);
    if (h == 0) {
        state.SkipWithError(error.c_str());
        return;
    }
    std::mt19937 rng(7);
    const char* values = "A23456789XJQK";
    std::vector<std::string> cards;
    std::vector<double> mos;
    for (int i = 0; i < 1 << 16; ++i) {
        cards.push_back(std::string(1, values[rng() % 13]) + static_cast<char>('1' + rng() % 4));
        mos.push_back(std::uniform_real_distribution<double>(-3, 3)(rng));
    }
    size_t i = 0;
    for (auto _ : state) {
        kvarlen::ClearRecord(h);
        for (int f = 0; f < 11; ++f)
            kvarlen::SetValue(h, f == 5 ? 12 : f, cards[(i + f) & 0xFFFF].c_str(), 0);
        for (int f : {14, 15, 19}) kvarlen::SetValue(h, f, "#", mos[(i + f) & 0xFFFF]);
        kvarlen::SetValue(h, 17, "#", static_cast<double>(i % 4));
        if (!kvarlen::AppendBlank(h, 0, &error)) {
            state.SkipWithError(error.c_str());
            break;
        }
        ++i;
    }
    kvarlen::CloseBase(h);
    state.SetItemsProcessed(state.iterations());
    fs::remove_all(dir);
}
BENCHMARK(BM_HistoryAppend);

// A bank file of a million deals (about 25 MB), synced and renamed into place.
void BM_BankFile(benchmark::State& state) {
    const fs::path dir = Scratch("_bank");
    kvarlen::TBankLog log;
    double b = 100;
    std::mt19937 rng(3);
    for (int i = 0; i < state.range(0); ++i) {
        b += static_cast<double>(static_cast<int>(rng() % 9) - 4);
        log.Add(b, b + 1, b - 1);
    }
    const std::string path = (dir / "out_bank.txt").string();
    for (auto _ : state) {
        std::string error;
        if (!kvarlen::WriteBankFile(path, {kvarlen::TBankLogPart{&log, {}}}, ',', error)) {
            state.SkipWithError(error.c_str());
            break;
        }
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
    fs::remove_all(dir);
}
BENCHMARK(BM_BankFile)->Arg(1000000)->Unit(benchmark::kMillisecond);

} // namespace
