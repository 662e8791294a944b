#include "fake_host.h"
#include "simulation/dbf_history.h"
#include "simulation/simulation_run.h"
#include "simulation/text_files.h"

#include <gtest/gtest.h>
#include <shapefil.h>

#include <clocale>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <sys/wait.h>
#include <unistd.h>

namespace kvarlen {
namespace {

namespace fs = std::filesystem;

class DbfTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::setlocale(LC_NUMERIC, "C");
        dir_ = fs::temp_directory_path() /
               ("kvarlen_dbf_" + std::to_string(getpid()) + "_" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }
    std::string Path() const { return (dir_ / "DBF" / "1box.DBF").string(); }
    fs::path dir_;
};

TRunOutcome IdealWithHistory(const std::string& path, int deals, uint32_t seed,
                             test::FakeHost& host) {
    host.Settings = test::QuietSettings(1, deals);
    host.Settings.DbfPath = path;
    host.Live.DbfHistory = true;
    TDeck deck;
    TGenerator gen;
    gen.SeedMyRandom(seed);
    TBoxes boxes;
    return IDEAL_SixCardSimulation(host, deck, gen, boxes);
}

TEST_F(DbfTest, HistoryIsCreatedWithItsFolderAndAppendedTo) {
    test::FakeHost host;
    ASSERT_TRUE(IdealWithHistory(Path(), 40, 5, host).Ran);
    EXPECT_TRUE(host.Messages.empty());

    DBFHandle dbf = DBFOpen(Path().c_str(), "rb");
    ASSERT_NE(dbf, nullptr);
    EXPECT_EQ(DBFGetFieldCount(dbf), 29);
    EXPECT_EQ(DBFGetRecordCount(dbf), 40);
    EXPECT_STREQ(DBFGetCodePage(dbf), "LDID/201");
    const std::vector<TDbfField>& fields = HistoryFields();
    for (int f = 0; f < 29; ++f) {
        char name[16] = {};
        DBFGetFieldInfo(dbf, f, name, nullptr, nullptr);
        EXPECT_EQ(fields[static_cast<size_t>(f)].Name, name);
    }
    int sixes = 0;
    for (int r = 0; r < 40; ++r) {
        for (int f : {0, 1, 2, 3, 4, 6, 7, 8, 9, 10}) {
            const std::string card = DBFReadStringAttribute(dbf, r, f);
            ASSERT_EQ(card.size(), 2u);
            EXPECT_NE(std::string("A23456789XJQK").find(card[0]), std::string::npos);
            EXPECT_TRUE(card[1] >= '1' && card[1] <= '4');
        }
        const int outcome = DBFReadIntegerAttribute(dbf, r, 17);
        EXPECT_TRUE(outcome <= 3 || outcome == 9) << outcome;
        EXPECT_TRUE(DBFIsAttributeNULL(dbf, r, 13));
        const bool six = !DBFIsAttributeNULL(dbf, r, 11);
        sixes += six;
        // Field 19 is the final raise value with six cards, the dealt one otherwise.
        EXPECT_DOUBLE_EQ(DBFReadDoubleAttribute(dbf, r, 19),
                         DBFReadDoubleAttribute(dbf, r, six ? 16 : 15));
        EXPECT_EQ(six, !DBFIsAttributeNULL(dbf, r, 16));
    }
    EXPECT_GT(sixes, 0);
    DBFClose(dbf);

    test::FakeHost again;
    ASSERT_TRUE(IdealWithHistory(Path(), 15, 6, again).Ran);
    dbf = DBFOpen(Path().c_str(), "rb");
    EXPECT_EQ(DBFGetRecordCount(dbf), 55);
    DBFClose(dbf);
}

TEST_F(DbfTest, TextIsStoredInCodePage1251) {
    std::vector<TDbfField> fields = {{"NAME", 'C', 12, 0}, {"VALUE", 'N', 10, 3}};
    std::string error;
    const int h = OpenBase(Path(), fields, error);
    ASSERT_GT(h, 0) << error;
    ClearRecord(h);
    EXPECT_TRUE(SetValue(h, 0, "Пара", 0));
    EXPECT_TRUE(SetValue(h, 1, "#", 2.5));
    EXPECT_TRUE(AppendBlank(h, 0));
    ClearRecord(h);
    EXPECT_TRUE(AppendBlank(h, 0)); // an empty record is still a record
    // A number wider than its field is refused, not cut.
    ClearRecord(h);
    EXPECT_TRUE(SetValue(h, 1, "#", 123456789.0));
    std::string why;
    EXPECT_FALSE(AppendBlank(h, 0, &why));
    EXPECT_NE(why.find("VALUE"), std::string::npos);
    EXPECT_FALSE(SetValue(h, 5, "x", 0));
    EXPECT_TRUE(CloseBase(h));
    EXPECT_FALSE(CloseBase(h));

    DBFHandle dbf = DBFOpen(Path().c_str(), "rb");
    ASSERT_NE(dbf, nullptr);
    EXPECT_EQ(DBFGetRecordCount(dbf), 3);
    EXPECT_EQ(std::string(DBFReadStringAttribute(dbf, 0, 0)), ToCp1251("Пара"));
    EXPECT_EQ(std::string(DBFReadStringAttribute(dbf, 0, 0)), "\xCF\xE0\xF0\xE0");
    EXPECT_DOUBLE_EQ(DBFReadDoubleAttribute(dbf, 0, 1), 2.5);
    EXPECT_TRUE(DBFIsAttributeNULL(dbf, 1, 0));
    DBFClose(dbf);
    // Byte 29 of the header names the code page: 0xC9 is Windows-1251.
    std::ifstream raw(Path(), std::ios::binary);
    char header[32];
    raw.read(header, 32);
    EXPECT_EQ(static_cast<unsigned char>(header[29]), 0xC9);
}

TEST_F(DbfTest, AKilledWriterLeavesAReadableTable) {
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::string error;
        const int h = OpenHistory(Path(), error);
        if (h == 0) _exit(3);
        for (int r = 0; r < 2500; ++r) {
            ClearRecord(h);
            SetValue(h, 0, "AS", 0);
            SetValue(h, 17, "#", r % 4);
            if (!AppendBlank(h, 0)) _exit(4);
        }
        // An abrupt end: no close, no header written at exit.
        kill(getpid(), SIGKILL);
        _exit(5);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status));
    DBFHandle dbf = DBFOpen(Path().c_str(), "rb");
    ASSERT_NE(dbf, nullptr);
    const int n = DBFGetRecordCount(dbf);
    EXPECT_GE(n, 2000);
    EXPECT_LE(n, 2500);
    for (int r = 0; r < n; ++r) {
        ASSERT_STREQ(DBFReadStringAttribute(dbf, r, 0), "AS");
        ASSERT_EQ(DBFReadIntegerAttribute(dbf, r, 17), r % 4);
    }
    DBFClose(dbf);
    // The table takes further records after the lost ones.
    std::string error;
    const int h = OpenHistory(Path(), error);
    ASSERT_GT(h, 0) << error;
    ClearRecord(h);
    SetValue(h, 0, "KD", 0);
    EXPECT_TRUE(AppendBlank(h, 0));
    CloseBase(h);
    dbf = DBFOpen(Path().c_str(), "rb");
    EXPECT_EQ(DBFGetRecordCount(dbf), n + 1);
    EXPECT_STREQ(DBFReadStringAttribute(dbf, n, 0), "KD");
    DBFClose(dbf);
}

TEST_F(DbfTest, AForeignTableRefusesTheRun) {
    std::string error;
    const int h = OpenBase(Path(), {{"OTHER", 'C', 5, 0}}, error);
    ASSERT_GT(h, 0);
    CloseBase(h);
    test::FakeHost host;
    const TRunOutcome out = IdealWithHistory(Path(), 10, 1, host);
    EXPECT_FALSE(out.Ran);
    ASSERT_EQ(host.Messages.size(), 1u);
    EXPECT_NE(host.Messages[0].find("1box.DBF"), std::string::npos);
    EXPECT_TRUE(host.Memo.empty());
}

TEST_F(DbfTest, ANameWithoutDbfExtensionIsRefusedBeforeAnythingIsWritten) {
    test::FakeHost host;
    const std::string path = (dir_ / "history").string();
    const TRunOutcome out = IdealWithHistory(path, 10, 1, host);
    EXPECT_FALSE(out.Ran);
    ASSERT_EQ(host.Messages.size(), 1u);
    EXPECT_NE(host.Messages[0].find(".dbf"), std::string::npos);
    EXPECT_FALSE(fs::exists(path));
}

TEST_F(DbfTest, TwoStreamsShareOneTable) {
    test::FakeHost host;
    host.Settings = test::QuietSettings(1, 30);
    host.Settings.DbfPath = Path();
    host.Live.DbfHistory = true;
    TStreamOptions o;
    o.Threads = 2;
    o.Seed = 11;
    ASSERT_TRUE(RunSimulationStreams(host, true, o).Ran);
    DBFHandle dbf = DBFOpen(Path().c_str(), "rb");
    ASSERT_NE(dbf, nullptr);
    EXPECT_EQ(DBFGetRecordCount(dbf), 30);
    DBFClose(dbf);
}

TEST_F(DbfTest, StreamsOnANewTableGivenByARelativeNameShareIt) {
    // The folder and the table do not exist yet: every stream must find the one the first
    // made, not a second lock on it.
    fs::create_directories(dir_);
    const fs::path cwd = fs::current_path();
    fs::current_path(dir_);
    test::FakeHost host;
    host.Settings = test::QuietSettings(1, 40);
    host.Settings.DbfPath = "DBF/1box.DBF";
    host.Live.DbfHistory = true;
    TStreamOptions o;
    o.Threads = 3;
    o.Seed = 5;
    const bool ran = RunSimulationStreams(host, true, o).Ran;
    fs::current_path(cwd);
    ASSERT_TRUE(ran) << (host.Messages.empty() ? "" : host.Messages[0]);
    DBFHandle dbf = DBFOpen(Path().c_str(), "rb");
    ASSERT_NE(dbf, nullptr);
    EXPECT_EQ(DBFGetRecordCount(dbf), 40);
    DBFClose(dbf);
}

} // namespace
} // namespace kvarlen
