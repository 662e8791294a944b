// The SQLite history: deals kept and summed as the session sums them, foreign and newer files
// refused untouched, version 1 files migrated, the default place.
#include "training/training_history.h"
#include "training_test_support.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>

namespace kvarlen::test {
namespace {

using namespace training;
namespace fs = std::filesystem;

fs::path TempDir(const std::string& name) {
    const fs::path p = fs::path(::testing::TempDir()) /
                       ("kvarlen_history_" + name + "_" + std::to_string(getpid()));
    fs::remove_all(p);
    fs::create_directories(p);
    return p;
}

std::string Bytes(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Plays a session with the bot and writes every deal.
TSessionStats PlayInto(TTrainingHistory& h, uint32_t seed, int deals) {
    TSessionSettings st = Settings(2, TInfoMode::Beacon, seed, deals);
    TTrainingSession s(st);
    const int64_t id = h.BeginSession(st);
    TBot bot(seed);
    while (s.NextDeal()) {
        while (s.Step() == TStep::Decision) s.Answer(bot.Pick(s.Point()));
        h.WriteDeal(id, s.LastDeal());
    }
    h.FinishSession(id);
    return s.Stats();
}

TEST(TrainingHistory, KeepsEveryDealAndSumsAsTheSession) {
    const fs::path dir = TempDir("keep");
    const std::string file = (dir / "sub" / "training.sqlite").string();
    TSessionStats a, b;
    {
        TTrainingHistory h(file); // the folder is made
        EXPECT_EQ(h.SchemaVersion(), kSchemaVersion);
        a = PlayInto(h, 21, 12);
    }
    TTrainingHistory h(file); // opened again: appended to
    b = PlayInto(h, 22, 9);
    const THistorySummary s = h.Summary();
    EXPECT_EQ(s.Sessions, 2);
    EXPECT_EQ(s.Deals, 21);
    EXPECT_EQ(s.All.Decisions, a.All.Decisions + b.All.Decisions);
    EXPECT_EQ(s.All.Mistakes, a.All.Mistakes + b.All.Mistakes);
    EXPECT_NEAR(s.All.Cost, a.All.Cost + b.All.Cost, 1e-12);
    EXPECT_NEAR(s.Net, a.Net + b.Net, 1e-12);
    EXPECT_NEAR(s.ShadowNet, a.ShadowNet + b.ShadowNet, 1e-12);
    EXPECT_NEAR(s.BestExpected, a.BestExpected + b.BestExpected, 1e-12);
    for (int k = 0; k < kDecisionKinds; ++k)
        EXPECT_EQ(s.ByKind[static_cast<size_t>(k)].Decisions,
                  a.ByKind[static_cast<size_t>(k)].Decisions +
                      b.ByKind[static_cast<size_t>(k)].Decisions);
    ASSERT_EQ(s.BySession.size(), 2u);
    EXPECT_EQ(s.BySession[0].Deals, 12);
    EXPECT_NEAR(s.BySession[0].AverageCost(), a.AverageCost(), 1e-12);
    EXPECT_NEAR(s.BySession[1].AverageCost(), b.AverageCost(), 1e-12);
    ASSERT_GE(s.ByDay.size(), 1u);
    int64_t byDay = 0;
    for (const THistoryDayRow& r : s.ByDay) byDay += r.Deals;
    EXPECT_EQ(byDay, 21);

    // The layouts most often got wrong come first.
    const std::vector<TWeakLayout> weak = h.WeakLayouts();
    ASSERT_FALSE(weak.empty());
    int64_t mistakes = 0;
    for (size_t i = 0; i < weak.size(); ++i) {
        mistakes += weak[i].Mistakes;
        if (i > 0) {
            EXPECT_GE(weak[i - 1].Mistakes, weak[i].Mistakes);
        }
    }
    EXPECT_EQ(mistakes, s.All.Mistakes);
    TRules noDraws;
    noDraws.Buy6 = false;
    for (uint16_t c : WeakCombos(weak, noDraws)) {
        bool asked = false;
        for (const TWeakLayout& w : weak)
            asked = asked || (w.Combo == c && w.Kind != TDecisionKind::Draw);
        EXPECT_TRUE(asked);
    }

    // Each stored option reads back as the very value judged.
    TDatabase db(file, false, 1000);
    EXPECT_EQ(db.QueryInt("SELECT count(*) FROM decisions"), s.All.Decisions);
    EXPECT_EQ(db.QueryInt("SELECT count(*) FROM boxes"), 2 * 21);
    TStatement st(db, "SELECT options FROM decisions ORDER BY id LIMIT 1");
    ASSERT_TRUE(st.Step());
    EXPECT_NE(st.Text(0).find('='), std::string::npos);
    TStatement mode(db, "PRAGMA journal_mode");
    ASSERT_TRUE(mode.Step());
    EXPECT_EQ(mode.Text(0), "wal");
    fs::remove_all(dir);
}

TEST(TrainingHistory, RefusesWhatIsNotOursAndLeavesItAsItWas) {
    const fs::path dir = TempDir("refuse");
    std::vector<fs::path> files;
    {
        std::mt19937 rng(5);
        std::string noise(8192, '\0');
        for (char& c : noise) c = static_cast<char>(rng());
        files.push_back(dir / "noise.sqlite");
        std::ofstream(files.back(), std::ios::binary) << noise;
        files.push_back(dir / "text.sqlite");
        std::ofstream(files.back(), std::ios::binary) << "SQLite format 2 - not really\n";
        // An SQLite header with garbage behind it.
        files.push_back(dir / "header.sqlite");
        std::ofstream(files.back(), std::ios::binary)
            << std::string("SQLite format 3\0", 16) << noise;
    }
    {
        files.push_back(dir / "foreign.sqlite");
        TDatabase db(files.back().string(), true, 1000);
        db.Exec("CREATE TABLE notes(id INTEGER PRIMARY KEY, text TEXT); INSERT INTO notes(text) "
                "VALUES('mine');");
    }
    {
        files.push_back(dir / "newer.sqlite");
        { TTrainingHistory h(files.back().string()); }
        TDatabase db(files.back().string(), false, 1000);
        db.Exec("PRAGMA journal_mode = DELETE; PRAGMA user_version = " +
                std::to_string(kSchemaVersion + 1));
    }
    for (const fs::path& f : files) {
        SCOPED_TRACE(f.filename().string());
        const std::string before = Bytes(f);
        try {
            TTrainingHistory h(f.string());
            ADD_FAILURE() << "opened";
        } catch (const THistoryRefused& e) {
            EXPECT_NE(std::string(e.what()).find(f.string()), std::string::npos) << e.what();
        }
        EXPECT_EQ(Bytes(f), before);
    }
    EXPECT_THROW(TTrainingHistory{dir.string()}, THistoryRefused); // a folder
    fs::remove_all(dir);
}

// Version 1 as the first program wrote it; kept here apart from the program's own copy, so
// that a change to that copy cannot go unnoticed.
void WriteVersionOne(const std::string& file) {
    TDatabase db(file, true, 1000);
    db.Exec(R"SQL(
CREATE TABLE meta(key TEXT PRIMARY KEY, value TEXT NOT NULL);
INSERT INTO meta(key, value) VALUES('format', 'kvarlen-training');
CREATE TABLE sessions(id INTEGER PRIMARY KEY, started TEXT NOT NULL, seed INTEGER NOT NULL,
  boxes INTEGER NOT NULL, info TEXT NOT NULL, feedback TEXT NOT NULL, drill TEXT NOT NULL,
  rules TEXT NOT NULL, deals_asked INTEGER NOT NULL, finished TEXT);
CREATE TABLE deals(id INTEGER PRIMARY KEY, session_id INTEGER NOT NULL REFERENCES sessions(id),
  number INTEGER NOT NULL, played TEXT NOT NULL, dealer TEXT NOT NULL, next_cards TEXT NOT NULL,
  result REAL NOT NULL, shadow_result REAL NOT NULL, best_expected REAL NOT NULL,
  cost REAL NOT NULL, decisions INTEGER NOT NULL, mistakes INTEGER NOT NULL,
  UNIQUE(session_id, number));
CREATE TABLE boxes(deal_id INTEGER NOT NULL REFERENCES deals(id), box INTEGER NOT NULL,
  dealt TEXT NOT NULL, dealt_class INTEGER NOT NULL, final TEXT NOT NULL,
  final_class INTEGER NOT NULL, drawn_slot INTEGER NOT NULL, received TEXT NOT NULL,
  raised INTEGER NOT NULL, insurance INTEGER NOT NULL, result REAL NOT NULL,
  outcome INTEGER NOT NULL, best_value REAL NOT NULL, shadow_final TEXT NOT NULL,
  shadow_drawn_slot INTEGER NOT NULL, shadow_raised INTEGER NOT NULL,
  shadow_insurance INTEGER NOT NULL, shadow_result REAL NOT NULL, PRIMARY KEY(deal_id, box));
CREATE TABLE decisions(id INTEGER PRIMARY KEY, deal_id INTEGER NOT NULL REFERENCES deals(id),
  box INTEGER NOT NULL, seq INTEGER NOT NULL, kind TEXT NOT NULL, dealt_class INTEGER NOT NULL,
  cards TEXT NOT NULL, open_card TEXT NOT NULL, view_out TEXT NOT NULL, received TEXT NOT NULL,
  options TEXT NOT NULL, best TEXT NOT NULL, choice TEXT NOT NULL, cost REAL NOT NULL);
INSERT INTO sessions VALUES(1, '2023-03-01T21:30:00Z', 42, 1, 'beacon', 'now', '',
  'insurance=1;ak=1;exchange1=0;buy6=1;price_change1=1;price_buy6=1;pay=1,1,2,3,4,5,7,20,50,100',
  0, NULL);
INSERT INTO deals VALUES(1, 1, 1, '2023-03-01T21:31:00Z', '8H 2D 5C XD JS', '2H', 1.0, 1.0,
  0.9307656953764133, 0.25, 2, 1);
INSERT INTO boxes VALUES(1, 1, '9C QD 3D 9D 2S', 2, '9C QD 3D 9D 2S', 2, 0, '', 1, 0, 1.0, 0,
  0.9307656953764133, '9C QD 3D 9D 2S', 0, 1, 0, 1.0);
INSERT INTO decisions VALUES(1, 1, 1, 1, 'draw', 2, '9C QD 3D 9D 2S', '8H', '2S 9C 3D 9D QD', '',
  '0=0.9307656953764133;B=0.4583773601973802', '0', '0', 0.0);
INSERT INTO decisions VALUES(2, 1, 1, 2, 'raise', 2, '9C QD 3D 9D 2S', '8H', '2S 9C 3D 9D QD', '',
  'R=0.9307656953764133;P=-1', 'R', 'P', 0.25);
PRAGMA user_version = 1;
)SQL");
}

TEST(TrainingHistory, MigratesAVersionOneFile) {
    const fs::path dir = TempDir("migrate");
    const std::string file = (dir / "old.sqlite").string();
    WriteVersionOne(file);
    TTrainingHistory h(file);
    EXPECT_EQ(h.SchemaVersion(), 2);
    THistorySummary s = h.Summary();
    EXPECT_EQ(s.Sessions, 1);
    EXPECT_EQ(s.Deals, 1);
    EXPECT_EQ(s.All.Decisions, 2);
    EXPECT_EQ(s.All.Mistakes, 1);
    EXPECT_EQ(s.All.Cost, 0.25);
    ASSERT_EQ(s.ByDay.size(), 1u);
    EXPECT_EQ(s.ByDay[0].Day, "2023-03-01"); // taken from the UTC time version 1 kept
    {
        TDatabase db(file, false, 1000);
        EXPECT_EQ(db.QueryInt("SELECT total(taken_back) FROM decisions"), 0);
    }
    PlayInto(h, 3, 4); // and it takes new deals
    s = h.Summary();
    EXPECT_EQ(s.Sessions, 2);
    EXPECT_EQ(s.Deals, 5);
    fs::remove_all(dir);
}

TEST(TrainingHistory, DefaultPlaceFollowsTheXdgRules) {
    const char* oldData = std::getenv("XDG_DATA_HOME");
    const char* oldHome = std::getenv("HOME");
    const std::string keepData = oldData ? oldData : "", keepHome = oldHome ? oldHome : "";
    setenv("XDG_DATA_HOME", "/data/me", 1);
    setenv("HOME", "/home/me", 1);
    EXPECT_EQ(DefaultHistoryPath(), "/data/me/kvarlen/training.sqlite");
    setenv("XDG_DATA_HOME", "relative", 1); // not absolute: ignored
    EXPECT_EQ(DefaultHistoryPath(), "/home/me/.local/share/kvarlen/training.sqlite");
    unsetenv("XDG_DATA_HOME");
    EXPECT_EQ(DefaultHistoryPath(), "/home/me/.local/share/kvarlen/training.sqlite");
    unsetenv("HOME");
    EXPECT_EQ(DefaultHistoryPath(), "");
    if (oldData) setenv("XDG_DATA_HOME", keepData.c_str(), 1);
    if (oldHome) setenv("HOME", keepHome.c_str(), 1);
}

} // namespace
} // namespace kvarlen::test
