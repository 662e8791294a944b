// kvarlen-cli under faults: signals from a batch system, a kill, a full file system, a second
// writer, outputs that cannot be written. The history table is checked by an independent
// reader after each.
#include "../simulation/dbf_scan.h"
#include "cli_runner.h"
#include "simulation/text_files.h"

#include <nlohmann/json.hpp>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace kvarlen {
namespace {

namespace fs = std::filesystem;
using Json = nlohmann::json;

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

class CliFaultTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("kvarlen_clifault_" + std::to_string(getpid()) + "_" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }
    std::string At(const std::string& name) const { return (dir_ / name).string(); }

    // Starts kvarlen-cli with stdout and stderr into pipes (a file size limit would stop them
    // too); the limit, when given, sends its signal with the default action: the program must
    // deal with it.
    pid_t Start(const std::vector<std::string>& args, rlim_t sizeLimit = RLIM_INFINITY,
                const std::vector<std::pair<const char*, const char*>>& env = {}) {
        int o[2], e[2];
        if (pipe(o) != 0 || pipe(e) != 0) return -1;
        const pid_t pid = fork();
        if (pid == 0) {
            dup2(o[1], 1);
            dup2(e[1], 2);
            close(o[0]);
            close(e[0]);
            for (const auto& [name, value] : env) setenv(name, value, 1);
            if (sizeLimit != RLIM_INFINITY) {
                const rlimit rl{sizeLimit, sizeLimit};
                setrlimit(RLIMIT_FSIZE, &rl);
            }
            std::vector<char*> argv{const_cast<char*>(KVARLEN_CLI)};
            for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
            argv.push_back(nullptr);
            execv(KVARLEN_CLI, argv.data());
            _exit(127);
        }
        close(o[1]);
        close(e[1]);
        outFd_ = o[0];
        errFd_ = e[0];
        return pid;
    }
    // Exit status, or 128 + the signal that ended it. The outputs are small: the pipes hold
    // them until now.
    int Wait(pid_t pid) {
        int status = 0;
        waitpid(pid, &status, 0);
        out_ = Drain(outFd_);
        err_ = Drain(errFd_);
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    int Run(const std::vector<std::string>& args, rlim_t sizeLimit = RLIM_INFINITY) {
        return Wait(Start(args, sizeLimit));
    }
    // Waits until the table counts at least `records`.
    void WaitForRecords(const std::string& table, uint32_t records) {
        for (int i = 0; i < 600 && test::ScanDbf(table).Count < records; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        ASSERT_GE(test::ScanDbf(table).Count, records);
    }
    const std::string& Out() const { return out_; }
    const std::string& Err() const { return err_; }

    fs::path dir_;

  private:
    static std::string Drain(int fd) {
        std::string s;
        char buf[4096];
        ssize_t n;
        while ((n = read(fd, buf, sizeof buf)) > 0) s.append(buf, static_cast<size_t>(n));
        close(fd);
        return s;
    }
    int outFd_ = -1, errFd_ = -1;
    std::string out_, err_;
};

std::vector<std::string> LongIdealRun(const std::string& table, const std::string& out) {
    std::vector<std::string> args{"simulate", "--mode", "ideal", "--deals", "100000000",
                                  "--seed",   "5",      "--dbf", table,     "--json"};
    if (!out.empty()) args.insert(args.end(), {"--out", out});
    return args;
}

TEST_F(CliFaultTest, TermAndHangUpStopLikeCtrlC) {
    for (int sig : {SIGTERM, SIGHUP, SIGINT}) {
        const std::string table = At("DBF/1box.DBF");
        fs::remove_all(At("DBF"));
        fs::remove_all(At("out"));
        const pid_t pid = Start(LongIdealRun(table, dir_.string()));
        WaitForRecords(table, 200);
        kill(pid, sig);
        ASSERT_EQ(Wait(pid), 3) << sig << ": " << Err();
        const Json j = Json::parse(Out());
        const int64_t deals = j["deals"].get<int64_t>();
        EXPECT_NE(Err().find("stopped after " + std::to_string(deals) + " deals"),
                  std::string::npos)
            << Err();
        // The table holds every played deal and nothing more.
        const test::TDbfScan s = test::ScanDbf(table);
        ASSERT_TRUE(s.Readable);
        EXPECT_EQ(s.Count, static_cast<uint64_t>(deals));
        EXPECT_TRUE(s.EndsAtCount);
        const std::string report = ReadAll(At("out/out" + DateStamp() + ".txt"));
        EXPECT_NE(report.find(ToCp1251("Было сыграно " + std::to_string(deals) + " раздач")),
                  std::string::npos);
    }
}

TEST_F(CliFaultTest, AKillLeavesATableTheNextRunOpens) {
    const std::string table = At("1box.DBF");
    const pid_t pid = Start(LongIdealRun(table, dir_.string()));
    WaitForRecords(table, 300);
    kill(pid, SIGKILL);
    ASSERT_EQ(Wait(pid), 128 + SIGKILL);
    const test::TDbfScan s = test::ScanDbf(table);
    ASSERT_TRUE(s.Readable);
    EXPECT_GE(s.Count, 300u);
    EXPECT_LE(s.Size, s.HeaderLength + (uint64_t{s.Count} + 1) * s.RecordLength + 1);
    for (size_t r = 0; r < s.Records.size(); ++r)
        ASSERT_TRUE(test::IsHistoryCard(s.Field(r, test::kDealerCardOffset, 2))) << r;
    ASSERT_EQ(Run({"simulate", "--mode", "ideal", "--deals", "7", "--seed", "2", "--dbf", table}),
              0)
        << Err();
    EXPECT_EQ(test::ScanDbf(table).Count, s.Count + 7);
    EXPECT_TRUE(test::ScanDbf(table).EndsAtCount);
}

TEST_F(CliFaultTest, AFullFileSystemEndsTheRunWithStatus1) {
    // The table: stops, says so, keeps exactly its complete records.
    const std::string table = At("1box.DBF");
    ASSERT_EQ(Run({"simulate", "--mode", "ideal", "--deals", "5000", "--seed", "3", "--dbf", table,
                   "--json"},
                  40000),
              1)
        << Err();
    EXPECT_NE(Err().find("File too large"), std::string::npos) << Err();
    const Json j = Json::parse(Out());
    const test::TDbfScan s = test::ScanDbf(table);
    ASSERT_TRUE(s.Readable);
    EXPECT_EQ(s.Count + 1, j["deals"].get<uint64_t>());
    EXPECT_TRUE(s.EndsAtCount);

    // The bank file: no truncated file is left, the report file is written.
    ASSERT_EQ(Run({"simulate", "--deals", "20000", "--seed", "3", "--out", dir_.string()}, 200000),
              1);
    const std::string bank = At("out/out_bank_" + DateStamp() + ".txt");
    EXPECT_EQ(Err(), "kvarlen-cli simulate: Cannot write file \"" + bank +
                         "\". File too large. The file was left as it was\n");
    EXPECT_FALSE(fs::exists(bank));
    EXPECT_TRUE(fs::exists(At("out/out" + DateStamp() + ".txt")));
    EXPECT_EQ(std::distance(fs::directory_iterator(At("out")), fs::directory_iterator()), 1);
}

TEST_F(CliFaultTest, OutputsThatCannotBeWrittenExit1WithTheRealError) {
    // A disk already full: the error shows only when the buffer goes out.
    fs::create_directories(At("out"));
    ASSERT_EQ(Run({"simulate", "--deals", "100", "--seed", "3", "--out", dir_.string()}, 0), 1);
    EXPECT_NE(Err().find("out" + DateStamp() + ".txt\". File too large"), std::string::npos)
        << Err();
    EXPECT_EQ(std::distance(fs::directory_iterator(At("out")), fs::directory_iterator()), 0);
    // A report file that cannot be created (a folder of that name).
    fs::create_directories(At("out/out" + DateStamp() + ".txt"));
    ASSERT_EQ(Run({"simulate", "--deals", "100", "--seed", "3", "--out", dir_.string()}), 1);
    EXPECT_NE(Err().find("Is a directory"), std::string::npos) << Err();
    // An out folder that cannot be made: its parent is a file.
    std::ofstream(At("file")) << "x";
    ASSERT_EQ(Run({"simulate", "--deals", "100", "--seed", "3", "--out", At("file")}), 1);
    EXPECT_NE(Err().find("Not a directory"), std::string::npos) << Err();
    // A history table whose folder cannot be made (tests run as root, where a read-only
    // folder does not stop writes: a file stands where the folder should be).
    ASSERT_EQ(Run({"simulate", "--mode", "ideal", "--deals", "5", "--dbf", At("file/DBF/t.dbf")}),
              1);
    EXPECT_NE(Err().find("Not a directory"), std::string::npos) << Err();
    EXPECT_EQ(Out(), "");
    // The result itself cannot go out.
    const test::TCliRun full = test::RunCli("simulate --deals 100 --seed 3 --json >/dev/full");
    EXPECT_EQ(full.Status, 1);
    EXPECT_NE(full.Err.find("No space left on device"), std::string::npos) << full.Err;
}

TEST_F(CliFaultTest, ASecondRunOnOneTableIsRefused) {
    const std::string table = At("1box.DBF");
    const pid_t first = Start(LongIdealRun(table, ""));
    WaitForRecords(table, 100);
    const test::TCliRun second =
        test::RunCli("simulate --mode ideal --deals 50 --seed 9 --dbf \"" + table + "\"");
    EXPECT_EQ(second.Status, 1);
    EXPECT_EQ(second.Out, "");
    EXPECT_NE(second.Err.find("уже открыта другим прогоном"), std::string::npos) << second.Err;
    kill(first, SIGTERM);
    ASSERT_EQ(Wait(first), 3) << Err();
    const test::TDbfScan s = test::ScanDbf(table);
    EXPECT_EQ(s.Count, Json::parse(Out())["deals"].get<uint64_t>());
    EXPECT_TRUE(s.EndsAtCount);
}

TEST_F(CliFaultTest, WithoutATemporaryFolderTheBanksWaitInTheOutFolder) {
    // A sanitizer build wants its runtime first; the shim only replaces tmpfile.
    const pid_t pid = Start(
        {"simulate", "--deals", "2000000", "--seed", "4", "--out", dir_.string()}, RLIM_INFINITY,
        {{"LD_PRELOAD", NO_TMPFILE_SHIM}, {"ASAN_OPTIONS", "verify_asan_link_order=0"}});
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    // Two million deals of banks are 48 MB: they must not sit in memory. (A sanitizer's own
    // memory hides the figure.)
#if !defined(__SANITIZE_ADDRESS__)
    EXPECT_LT(usage.ru_maxrss, 32 * 1024);
#endif
    std::ifstream bank(At("out/out_bank_" + DateStamp() + ".txt"), std::ios::binary);
    int64_t lines = 0;
    for (std::string line; std::getline(bank, line);) ++lines;
    EXPECT_EQ(lines, 2000000);
    // The scratch file left nothing behind.
    EXPECT_EQ(std::distance(fs::directory_iterator(At("out")), fs::directory_iterator()), 2);
}

TEST_F(CliFaultTest, ATableWithAWrongCountIsRefusedUntouched) {
    const std::string table = At("1box.DBF");
    ASSERT_EQ(Run({"simulate", "--mode", "ideal", "--deals", "30", "--seed", "1", "--dbf", table}),
              0);
    std::string bytes = ReadAll(table);
    bytes[4] = bytes[5] = bytes[6] = bytes[7] = '\xFF';
    std::ofstream(table, std::ios::binary | std::ios::trunc) << bytes;
    EXPECT_EQ(Run({"simulate", "--mode", "ideal", "--deals", "5", "--seed", "1", "--dbf", table}),
              2);
    EXPECT_NE(Err().find("4294967295"), std::string::npos) << Err();
    EXPECT_EQ(ReadAll(table), bytes);
}

TEST_F(CliFaultTest, AKillWhileTheDealLogIsWrittenLeavesTheEarlierLogWhole) {
    const std::string log = At("d.csv");
    std::ofstream(log, std::ios::binary) << "old\n";
    // Stopped by SIGTERM, the run writes its files; killed while the log is being written.
    const pid_t pid =
        Start({"simulate", "--deals", "1000000000", "--seed", "5", "--deal-log", log, "--json"});
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    kill(pid, SIGTERM);
    bool caught = false;
    for (int i = 0; i < 20000 && !caught; ++i) {
        for (const auto& e : fs::directory_iterator(dir_)) {
            const std::string name = e.path().filename().string();
            std::error_code ec;
            if (name.rfind(".d.csv.", 0) == 0 && fs::file_size(e.path(), ec) > 0 && !ec) {
                kill(pid, SIGKILL);
                caught = true;
                break;
            }
        }
        if (!caught && waitpid(pid, nullptr, WNOHANG) == pid) break;
        std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
    ASSERT_TRUE(caught) << "the log was never written beside";
    EXPECT_EQ(Wait(pid), 128 + SIGKILL);
    EXPECT_EQ(ReadAll(log), "old\n");

    // A completed run replaces it.
    ASSERT_EQ(Run({"simulate", "--deals", "40", "--seed", "5", "--deal-log", log}), 0) << Err();
    const std::string csv = ReadAll(log);
    EXPECT_EQ(csv.rfind("Stream,Deal,Seed,", 0), 0u);
    EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 41);
}

} // namespace
} // namespace kvarlen
