// The history table and the output files under faults: a full file system (a file size limit in
// a child process), a second writer, a header that disagrees with the file, a kill. After each
// the table is read back by an independent reader.
#include "dbf_scan.h"
#include "fake_host.h"
#include "simulation/bank_log.h"
#include "simulation/dbf_history.h"
#include "simulation/simulation_run.h"
#include "simulation/text_files.h"

#include <gtest/gtest.h>

#include <clocale>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace kvarlen {
namespace {

namespace fs = std::filesystem;

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

class FaultTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::setlocale(LC_NUMERIC, "C");
        dir_ = fs::temp_directory_path() /
               ("kvarlen_fault_" + std::to_string(getpid()) + "_" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }
    std::string Table() const { return (dir_ / "1box.DBF").string(); }

    // Appends `n` records with a known dealer card each; false when one failed.
    static bool Append(int h, int n, std::string* error = nullptr) {
        for (int r = 0; r < n; ++r) {
            ClearRecord(h);
            SetValue(h, 0, "AS", 0);
            SetValue(h, 17, "#", r % 4);
            if (!AppendBlank(h, 0, error)) return false;
        }
        return true;
    }
    void MakeTable(int records) {
        std::string error;
        const int h = OpenHistory(Table(), error);
        ASSERT_GT(h, 0) << error;
        ASSERT_TRUE(Append(h, records));
        ASSERT_TRUE(CloseBase(h));
    }
    fs::path dir_;
};

// Runs `body` in a child process whose files may not grow beyond `limit` bytes; a write past it
// fails with EFBIG (the signal is ignored, as the program ignores it). Returns the child's exit
// status and what it wrote to `out`.
int WithFileSizeLimit(rlim_t limit, const std::function<int(std::string&)>& body,
                      std::string& out) {
    int pipeFd[2];
    if (pipe(pipeFd) != 0) return -1;
    const pid_t child = fork();
    if (child == 0) {
        close(pipeFd[0]);
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit rl{limit, limit};
        setrlimit(RLIMIT_FSIZE, &rl);
        std::string text;
        const int code = body(text);
        if (write(pipeFd[1], text.data(), text.size()) < 0) _exit(99);
        _exit(code);
    }
    close(pipeFd[1]);
    char buf[4096];
    ssize_t n;
    while ((n = read(pipeFd[0], buf, sizeof buf)) > 0) out.append(buf, static_cast<size_t>(n));
    close(pipeFd[0]);
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST_F(FaultTest, AFullFileSystemLeavesAValidHeaderCountingTheCompleteRecords) {
    MakeTable(10);
    const uint64_t before = test::ScanDbf(Table()).Size;
    std::string out;
    const int code = WithFileSizeLimit(
        before + 5000,
        [&](std::string& text) {
            std::string error;
            const int h = OpenHistory(Table(), error);
            if (h == 0) return 3;
            for (int r = 0; r < 1000; ++r) {
                if (!Append(h, 1, &error)) {
                    // Every later append fails as well, without writing.
                    std::string again;
                    const bool second = Append(h, 1, &again);
                    text = error + "\n" + std::to_string(r) + "\n" + again;
                    CloseBase(h);
                    return second ? 5 : 0;
                }
            }
            return 4;
        },
        out);
    ASSERT_EQ(code, 0) << out;
    EXPECT_NE(out.find("File too large"), std::string::npos) << out;
    EXPECT_NE(out.find("1box.DBF"), std::string::npos) << out;
    const int appended = std::stoi(out.substr(out.find('\n') + 1));
    EXPECT_TRUE(out.ends_with("\n")) << "a second report of the same failure: " << out;

    const test::TDbfScan s = test::ScanDbf(Table());
    ASSERT_TRUE(s.Readable);
    EXPECT_EQ(s.Version, 0x03);
    EXPECT_EQ(s.Count, static_cast<uint32_t>(10 + appended));
    EXPECT_TRUE(s.EndsAtCount) << s.Size;
    for (size_t r = 0; r < s.Records.size(); ++r) ASSERT_EQ(s.Field(r, 0, 2), "AS") << r;
    // The table takes records again once there is room.
    std::string error;
    const int h = OpenHistory(Table(), error);
    ASSERT_GT(h, 0) << error;
    EXPECT_TRUE(Append(h, 1));
    CloseBase(h);
    EXPECT_EQ(test::ScanDbf(Table()).Count, s.Count + 1);
}

TEST_F(FaultTest, AFullFileSystemStopsTheRunAndSaysSo) {
    std::string out;
    const int code = WithFileSizeLimit(
        30000,
        [&](std::string& text) {
            test::FakeHost host;
            host.Settings = test::QuietSettings(1, 5000);
            host.Settings.DbfPath = Table();
            host.Live.DbfHistory = true;
            TDeck deck;
            TGenerator gen;
            gen.SeedMyRandom(17);
            TBoxes boxes;
            const TRunOutcome o = IDEAL_SixCardSimulation(host, deck, gen, boxes);
            text = std::to_string(o.Result.Deals) + "\n";
            for (const std::string& m : host.Messages) text += m + "\n";
            return o.Ran && o.WriteFailed && o.Result.Stopped && host.Messages.size() == 1 ? 0 : 1;
        },
        out);
    ASSERT_EQ(code, 0) << out;
    EXPECT_NE(out.find("File too large"), std::string::npos) << out;
    const int deals = std::stoi(out);
    const test::TDbfScan s = test::ScanDbf(Table());
    ASSERT_TRUE(s.Readable);
    // The deal whose record failed was played, but is not in the table.
    EXPECT_EQ(s.Count, static_cast<uint32_t>(deals - 1));
    EXPECT_TRUE(s.EndsAtCount);
    for (size_t r = 0; r < s.Records.size(); ++r)
        ASSERT_TRUE(test::IsHistoryCard(s.Field(r, test::kDealerCardOffset, 2))) << r;
}

TEST_F(FaultTest, ASecondWriterIsRefusedAndChangesNothing) {
    MakeTable(5);
    const std::string bytes = ReadAll(Table());
    // Another process's lock: a separate open of the file holds it.
    const int other = open(Table().c_str(), O_RDWR);
    ASSERT_GE(other, 0);
    ASSERT_EQ(flock(other, LOCK_EX | LOCK_NB), 0);

    std::string error;
    TDbfOpenInfo info;
    EXPECT_EQ(OpenHistory(Table(), error, &info), 0);
    EXPECT_TRUE(info.FileError);
    EXPECT_NE(error.find("уже открыта другим прогоном"), std::string::npos) << error;

    test::FakeHost host;
    host.Settings = test::QuietSettings(1, 10);
    host.Settings.DbfPath = Table();
    host.Live.DbfHistory = true;
    TDeck deck;
    TGenerator gen;
    TBoxes boxes;
    const TRunOutcome o = IDEAL_SixCardSimulation(host, deck, gen, boxes);
    EXPECT_FALSE(o.Ran);
    EXPECT_TRUE(o.WriteFailed);
    ASSERT_EQ(host.Messages.size(), 1u);
    EXPECT_NE(host.Messages[0].find("1box.DBF"), std::string::npos);
    EXPECT_EQ(ReadAll(Table()), bytes);

    // Our own lock keeps the other side out for as long as the table is open.
    close(other);
    const int h = OpenHistory(Table(), error);
    ASSERT_GT(h, 0) << error;
    const int probe = open(Table().c_str(), O_RDWR);
    EXPECT_NE(flock(probe, LOCK_EX | LOCK_NB), 0);
    CloseBase(h);
    EXPECT_EQ(flock(probe, LOCK_EX | LOCK_NB), 0);
    close(probe);
}

TEST_F(FaultTest, AHeaderThatDisagreesWithTheFileIsRefusedUntouched) {
    MakeTable(20);
    const std::string good = ReadAll(Table());
    auto patched = [&](uint32_t count) {
        std::string d = good;
        for (int i = 0; i < 4; ++i) d[4 + i] = static_cast<char>((count >> (8 * i)) & 0xFF);
        return d;
    };
    std::string zeroed = good;
    std::fill(zeroed.begin(), zeroed.begin() + 32, '\0');
    // Many records beyond the count: more than a torn last one.
    const std::string extra =
        good.substr(0, good.size() - 1) + good.substr(good.size() - 1 - 3 * 119, 3 * 119) + "\x1A";
    for (const std::string& bad :
         {patched(1000000), patched(0xFFFFFFFFu), patched(21), patched(0), zeroed, extra}) {
        std::ofstream(Table(), std::ios::binary | std::ios::trunc) << bad;
        std::string error;
        TDbfOpenInfo info;
        EXPECT_EQ(OpenHistory(Table(), error, &info), 0);
        EXPECT_FALSE(info.FileError);
        EXPECT_NE(error.find("1box.DBF"), std::string::npos) << error;
        EXPECT_EQ(ReadAll(Table()), bad) << error;
    }
}

TEST_F(FaultTest, ARecordLengthThatIsNotTheFieldsIsRefusedUntouched) {
    MakeTable(20);
    const std::string good = ReadAll(Table());
    auto patched = [&](uint16_t length, uint32_t count) {
        std::string d = good;
        d[10] = static_cast<char>(length & 0xFF);
        d[11] = static_cast<char>(length >> 8);
        for (int i = 0; i < 4; ++i) d[4 + i] = static_cast<char>((count >> (8 * i)) & 0xFF);
        return d;
    };
    // Every record would pass for one torn record; two records for one, the size agreeing.
    for (const std::string& bad : {patched(65535, 0), patched(2 * 119, 10), patched(118, 0)}) {
        std::ofstream(Table(), std::ios::binary | std::ios::trunc) << bad;
        std::string error;
        TDbfOpenInfo info;
        EXPECT_EQ(OpenHistory(Table(), error, &info), 0);
        EXPECT_FALSE(info.FileError);
        EXPECT_EQ(info.Notice, "");
        EXPECT_NE(error.find("длина записи"), std::string::npos) << error;
        EXPECT_EQ(ReadAll(Table()), bad) << error;
    }
}

TEST_F(FaultTest, ATornLastRecordIsCutOffSayingSo) {
    MakeTable(20);
    const std::string good = ReadAll(Table());
    const std::string body = good.substr(0, good.size() - 1); // without the end-of-file mark
    const std::string record = body.substr(body.size() - 119);
    // Killed inside a record; after a whole record but before its header; after its mark.
    for (const std::string& torn :
         {body + record.substr(0, 50), body + record, body + record + "\x1A", body + "X"}) {
        std::ofstream(Table(), std::ios::binary | std::ios::trunc) << torn;
        std::string error;
        TDbfOpenInfo info;
        const int h = OpenHistory(Table(), error, &info);
        ASSERT_GT(h, 0) << error;
        EXPECT_NE(info.Notice.find("20 полных записей"), std::string::npos) << info.Notice;
        EXPECT_TRUE(Append(h, 1));
        CloseBase(h);
        const test::TDbfScan s = test::ScanDbf(Table());
        EXPECT_EQ(s.Count, 21u);
        EXPECT_TRUE(s.EndsAtCount);
        EXPECT_EQ(s.Field(20, 0, 2), "AS");
    }
    // A table that ends without its mark is whole: opened without a word.
    std::ofstream(Table(), std::ios::binary | std::ios::trunc) << body;
    std::string error;
    TDbfOpenInfo info;
    const int h = OpenHistory(Table(), error, &info);
    ASSERT_GT(h, 0) << error;
    EXPECT_EQ(info.Notice, "");
    CloseBase(h);
}

TEST_F(FaultTest, AKillLosesNothingButTheRecordBeingWritten) {
    int pipeFd[2];
    ASSERT_EQ(pipe(pipeFd), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::string error;
        const int h = OpenHistory(Table(), error);
        if (h == 0) _exit(3);
        for (int r = 0;; ++r) {
            if (!Append(h, 1)) _exit(4);
            if (r == 300 && write(pipeFd[1], "x", 1) != 1) _exit(5);
        }
    }
    char c;
    ASSERT_EQ(read(pipeFd[0], &c, 1), 1);
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    close(pipeFd[0]);
    close(pipeFd[1]);
    ASSERT_TRUE(WIFSIGNALED(status));
    const test::TDbfScan s = test::ScanDbf(Table());
    ASSERT_TRUE(s.Readable);
    EXPECT_GE(s.Count, 300u);
    // At most the record being written is beyond the count.
    EXPECT_LE(s.Size, s.HeaderLength + (uint64_t{s.Count} + 1) * s.RecordLength + 1);
    EXPECT_GE(s.WholeRecords, s.Count);
    for (size_t r = 0; r < s.Records.size(); ++r) ASSERT_EQ(s.Field(r, 0, 2), "AS") << r;
    std::string error;
    const int h = OpenHistory(Table(), error);
    ASSERT_GT(h, 0) << error;
    CloseBase(h);
    EXPECT_EQ(test::ScanDbf(Table()).Count, s.Count);
}

TEST_F(FaultTest, AFailedFileKeepsTheOldOneAndNamesTheRealError) {
    const std::string path = (dir_ / "report.txt").string();
    std::ofstream(path, std::ios::binary) << "the earlier report\r\n";
    const std::vector<std::string> lines(20000, "Чистый плюс #1 : 12,5 [банк был 100]");
    for (rlim_t limit : {rlim_t{0}, rlim_t{100000}}) {
        // 0: the disk is full before the first byte (the failure shows only when the buffer
        // goes out); 100000: it fills up on the way.
        std::string out;
        const int code = WithFileSizeLimit(
            limit, [&](std::string& text) { return WriteTextFile(path, lines, text) ? 1 : 0; },
            out);
        EXPECT_EQ(code, 0);
        EXPECT_EQ(out, "Cannot write file \"" + path +
                           "\". File too large. The file was left as it was");
        EXPECT_EQ(ReadAll(path), "the earlier report\r\n");
        // No temporary file left beside it.
        EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 1);
    }
    // A folder that cannot exist: its parent is a file.
    std::string error;
    EXPECT_FALSE(WriteTextFile(path + "/out/x.txt", {"a"}, error));
    EXPECT_EQ(error, "Cannot create file \"" + path + "/out/x.txt\". Not a directory");
}

TEST_F(FaultTest, ABankLogWithoutAScratchFileStaysBounded) {
    std::string out;
    const std::string bank = (dir_ / "bank.txt").string();
    std::ofstream(bank, std::ios::binary) << "old\r\n";
    // No file can be opened at all: neither the temporary folder nor the out folder helps.
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const int lowest = dup(0);
        close(lowest);
        const rlimit rl{static_cast<rlim_t>(lowest), static_cast<rlim_t>(lowest)};
        setrlimit(RLIMIT_NOFILE, &rl);
        rusage before{};
        getrusage(RUSAGE_SELF, &before);
        TBankLog log(dir_.string());
        const size_t deals = 3 * TBankLog::kMemoryDeals;
        for (size_t i = 0; i < deals; ++i) log.Add(1, 2, 3);
        rusage after{};
        getrusage(RUSAGE_SELF, &after);
        std::string error;
        const bool written = WriteBankFile(bank, {TBankLogPart{&log, {}}}, ',', error);
        // Kept in memory: at most the bound (24 MB), not 72 MB.
        const long grownKb = after.ru_maxrss - before.ru_maxrss;
        const bool ok = log.Failed() && log.Count() == static_cast<int64_t>(deals) && !written &&
                        error.find("Too many open files") != std::string::npos &&
                        grownKb < 40 * 1024;
        _exit(ok ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(ReadAll(bank), "old\r\n");
}

} // namespace
} // namespace kvarlen
