#include "training/training_history.h"

#include "cards/classify.h"
#include "cards/notation.h"

#include <sqlite3.h>

#include <cerrno>
#include <charconv>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <thread>
#include <utility>

namespace kvarlen::training {

namespace {

// Long enough for another instance to finish a deal's transaction, even on a slow disk.
constexpr int kBusyTimeoutMs = 15000;
constexpr const char* kFormat = "kvarlen-training";

std::string Exact(double v) {
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, r.ptr);
}

std::string UtcNow() {
    const std::time_t t = std::time(nullptr);
    std::tm tm{};
    gmtime_r(&t, &tm);
    char buf[32];
    std::strftime(buf, sizeof buf, "%Y-%m-%dT%H:%M:%SZ", &tm);
    return buf;
}

std::string LocalDay() {
    const std::time_t t = std::time(nullptr);
    std::tm tm{};
    localtime_r(&t, &tm);
    char buf[16];
    std::strftime(buf, sizeof buf, "%Y-%m-%d", &tm);
    return buf;
}

std::string CardOrEmpty(const TCardRec& c) {
    return c.Value > 0 ? CardNotation(c) : std::string();
}

// Reads the file's first bytes: anything but an empty file or an SQLite header is refused
// before SQLite sees it.
void CheckHeader(const std::string& path) {
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) return;
    if (std::filesystem::is_directory(path, ec))
        throw THistoryRefused(THistoryProblem::IsFolder, path, "");
    std::ifstream in(path, std::ios::binary);
    if (!in) throw THistoryFailed(THistoryProblem::Read, path, std::strerror(errno));
    char head[16] = {};
    in.read(head, sizeof head);
    const std::streamsize got = in.gcount();
    if (got == 0) return;
    static const char kMagic[16] = {'S', 'Q', 'L', 'i', 't', 'e', ' ', 'f',
                                    'o', 'r', 'm', 'a', 't', ' ', '3', '\0'};
    if (got < 16 || std::memcmp(head, kMagic, 16) != 0)
        throw THistoryRefused(THistoryProblem::NotSqlite, path, "");
}

void Begin(TDatabase& db) {
    db.Exec("BEGIN IMMEDIATE");
}

template <class F> void InTransaction(TDatabase& db, F&& work) {
    Begin(db);
    try {
        work();
        db.Exec("COMMIT");
    } catch (...) {
        try {
            db.Exec("ROLLBACK");
        } catch (...) {
        }
        throw;
    }
}

// The command line's wording.
std::string HistoryErrorText(THistoryProblem problem, const std::string& path,
                             const std::string& detail) {
    const std::string history = " the training history \"" + path + "\": " + detail;
    switch (problem) {
    case THistoryProblem::IsFolder:
        return "the training history \"" + path + "\" is a folder, not a file";
    case THistoryProblem::NotSqlite:
        return "\"" + path + "\" is not a training history: " +
               (detail.empty() ? "not an SQLite database" : detail) + " (left as it is)";
    case THistoryProblem::NotOurs:
        return "\"" + path +
               "\" is an SQLite database but not a Kvarlen training history (left as "
               "it is)";
    case THistoryProblem::Newer:
        return "\"" + path + "\" has schema version " + detail + ", newer than this program's " +
               std::to_string(kSchemaVersion) + " (left as it is)";
    case THistoryProblem::Changed:
        return "\"" + path + "\" changed while it was opened";
    case THistoryProblem::CreateFolder:
        return "cannot create the folder \"" + path + "\": " + detail;
    case THistoryProblem::Open:
        return "cannot open" + history;
    case THistoryProblem::Read:
        return "cannot read" + history;
    case THistoryProblem::Prepare:
        return "cannot prepare" + history;
    case THistoryProblem::Write:
        return "cannot write to" + history;
    }
    return detail;
}

} // namespace

THistoryError::THistoryError(THistoryProblem problem, std::string path, std::string detail)
    : std::runtime_error(HistoryErrorText(problem, path, detail)), Problem(problem),
      Path(std::move(path)), Detail(std::move(detail)) {}

std::string DefaultHistoryPath() {
    const char* data = std::getenv("XDG_DATA_HOME");
    std::filesystem::path base;
    // An empty or relative XDG variable is to be ignored.
    if (data && data[0] == '/')
        base = data;
    else if (const char* home = std::getenv("HOME"); home && home[0] != '\0')
        base = std::filesystem::path(home) / ".local" / "share";
    else
        return "";
    return (base / "kvarlen" / "training.sqlite").string();
}

void CreateSchemaVersion1(TDatabase& db) {
    db.Exec(R"SQL(
CREATE TABLE meta(key TEXT PRIMARY KEY, value TEXT NOT NULL);
INSERT INTO meta(key, value) VALUES('format', 'kvarlen-training');
CREATE TABLE sessions(
  id INTEGER PRIMARY KEY,
  started TEXT NOT NULL,
  seed INTEGER NOT NULL,
  boxes INTEGER NOT NULL,
  info TEXT NOT NULL,
  feedback TEXT NOT NULL,
  drill TEXT NOT NULL,
  rules TEXT NOT NULL,
  deals_asked INTEGER NOT NULL,
  finished TEXT);
CREATE TABLE deals(
  id INTEGER PRIMARY KEY,
  session_id INTEGER NOT NULL REFERENCES sessions(id),
  number INTEGER NOT NULL,
  played TEXT NOT NULL,
  dealer TEXT NOT NULL,
  next_cards TEXT NOT NULL,
  result REAL NOT NULL,
  shadow_result REAL NOT NULL,
  best_expected REAL NOT NULL,
  cost REAL NOT NULL,
  decisions INTEGER NOT NULL,
  mistakes INTEGER NOT NULL,
  UNIQUE(session_id, number));
CREATE TABLE boxes(
  deal_id INTEGER NOT NULL REFERENCES deals(id),
  box INTEGER NOT NULL,
  dealt TEXT NOT NULL,
  dealt_class INTEGER NOT NULL,
  final TEXT NOT NULL,
  final_class INTEGER NOT NULL,
  drawn_slot INTEGER NOT NULL,
  received TEXT NOT NULL,
  raised INTEGER NOT NULL,
  insurance INTEGER NOT NULL,
  result REAL NOT NULL,
  outcome INTEGER NOT NULL,
  best_value REAL NOT NULL,
  shadow_final TEXT NOT NULL,
  shadow_drawn_slot INTEGER NOT NULL,
  shadow_raised INTEGER NOT NULL,
  shadow_insurance INTEGER NOT NULL,
  shadow_result REAL NOT NULL,
  PRIMARY KEY(deal_id, box));
CREATE TABLE decisions(
  id INTEGER PRIMARY KEY,
  deal_id INTEGER NOT NULL REFERENCES deals(id),
  box INTEGER NOT NULL,
  seq INTEGER NOT NULL,
  kind TEXT NOT NULL,
  dealt_class INTEGER NOT NULL,
  cards TEXT NOT NULL,
  open_card TEXT NOT NULL,
  view_out TEXT NOT NULL,
  received TEXT NOT NULL,
  options TEXT NOT NULL,
  best TEXT NOT NULL,
  choice TEXT NOT NULL,
  cost REAL NOT NULL);
PRAGMA user_version = 1;
)SQL");
}

void MigrateSchema(TDatabase& db, int from) {
    switch (from) {
    case 1:
        // Version 2: answers taken back, and the local day of each deal for the chart by day
        // (version 1 kept only the UTC time: its day is taken from that).
        db.Exec(R"SQL(
ALTER TABLE decisions ADD COLUMN taken_back INTEGER NOT NULL DEFAULT 0;
ALTER TABLE deals ADD COLUMN day TEXT NOT NULL DEFAULT '';
UPDATE deals SET day = substr(played, 1, 10);
CREATE INDEX deals_by_session ON deals(session_id);
CREATE INDEX deals_by_day ON deals(day);
CREATE INDEX decisions_by_deal ON decisions(deal_id);
PRAGMA user_version = 2;
)SQL");
        return;
    default:
        throw std::logic_error("no migration from schema version " + std::to_string(from));
    }
}

TTrainingHistory::TTrainingHistory(const std::string& path) : path_(path) {
    CheckHeader(path);
    std::error_code ec;
    const std::filesystem::path parent = std::filesystem::path(path).parent_path();
    if (!parent.empty() && !std::filesystem::exists(parent, ec)) {
        std::filesystem::create_directories(parent, ec);
        if (ec) throw THistoryFailed(THistoryProblem::CreateFolder, parent.string(), ec.message());
    }
    try {
        db_ = TDatabase(path, true, kBusyTimeoutMs);
    } catch (const std::exception& e) {
        Failed(THistoryProblem::Open, e);
    }
    // Only reads until the file is known to be ours: a refused file is never written.
    int64_t version = 0, objects = 0;
    try {
        // One snapshot: another instance may be creating the file between the two reads.
        db_.Exec("BEGIN");
        try {
            version = db_.QueryInt("PRAGMA user_version");
            objects = db_.QueryInt("SELECT count(*) FROM sqlite_master");
        } catch (...) {
            db_.Exec("ROLLBACK");
            throw;
        }
        db_.Exec("COMMIT");
    } catch (const TSqliteError& e) {
        if (e.Code == SQLITE_NOTADB || e.Code == SQLITE_CORRUPT) {
            db_.Close();
            throw THistoryRefused(THistoryProblem::NotSqlite, path, e.what());
        }
        Failed(THistoryProblem::Read, e);
    }
    auto ours = [&]() {
        try {
            if (db_.QueryInt("SELECT count(*) FROM sqlite_master WHERE type = 'table' AND "
                             "name = 'meta'") == 0)
                return false;
            TStatement st(db_, "SELECT value FROM meta WHERE key = 'format'");
            return st.Step() && st.Text(0) == kFormat;
        } catch (const TSqliteError&) {
            return false;
        }
    };
    if (objects > 0 || version != 0) {
        if (!ours() || version < 1) {
            db_.Close();
            throw THistoryRefused(THistoryProblem::NotOurs, path, "");
        }
        if (version > kSchemaVersion) {
            db_.Close();
            throw THistoryRefused(THistoryProblem::Newer, path, std::to_string(version));
        }
    }
    try {
        // Another instance may be creating or upgrading the same file: look again under the
        // write lock.
        if (objects == 0 || version < kSchemaVersion)
            InTransaction(db_, [&] {
                int64_t v = db_.QueryInt("PRAGMA user_version");
                if (v == 0 && db_.QueryInt("SELECT count(*) FROM sqlite_master") == 0) {
                    CreateSchemaVersion1(db_);
                    v = 1;
                }
                if (v > kSchemaVersion || !ours())
                    throw THistoryRefused(THistoryProblem::Changed, path, "");
                for (; v < kSchemaVersion; ++v) MigrateSchema(db_, static_cast<int>(v));
            });
        // WAL lets a second instance read and queue its writes; the switch needs the file to
        // itself for a moment, so it is tried again while another instance holds it.
        for (int attempt = 0;; ++attempt) {
            try {
                TStatement st(db_, "PRAGMA journal_mode = WAL");
                st.Step();
                break;
            } catch (const TSqliteError& e) {
                if ((e.Code != SQLITE_BUSY && e.Code != SQLITE_LOCKED) || attempt >= 300) throw;
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
            }
        }
        db_.Exec("PRAGMA foreign_keys = ON");
    } catch (const THistoryRefused&) {
        throw;
    } catch (const std::exception& e) {
        Failed(THistoryProblem::Prepare, e);
    }
}

void TTrainingHistory::Failed(THistoryProblem problem, const std::exception& e) const {
    throw THistoryFailed(problem, path_, e.what());
}

int TTrainingHistory::SchemaVersion() {
    return static_cast<int>(db_.QueryInt("PRAGMA user_version"));
}

std::string RulesText(const TRules& r, const TPayTable& pay) {
    std::string s =
        "insurance=" + std::to_string(r.Insurance) + ";ak=" + std::to_string(r.AKPlays) +
        ";exchange1=" + std::to_string(r.Exchange1) + ";buy6=" + std::to_string(r.Buy6) +
        ";price_change1=" + Exact(r.PriceChange1) + ";price_buy6=" + Exact(r.PriceBuy6) + ";pay=";
    for (int i = 1; i <= 10; ++i) {
        if (i > 1) s += ',';
        s += std::to_string(pay[i]);
    }
    return s;
}

std::string OptionsText(const TPricedDecision& p) {
    std::string s;
    for (const TOptionValue& o : p.Options) {
        if (!s.empty()) s += ';';
        s += o.Key + "=" + Exact(o.Value);
    }
    return s;
}

std::string ViewOutText(const TDeck& view) {
    std::string s;
    for (int i = 1; i <= 52; ++i)
        if (view[i].Value == 0) {
            TCardRec c = view[i];
            c.Value = (i - 1) % 13 + 1;
            c.Suit = static_cast<uint8_t>((i - 1) / 13 + 1);
            if (!s.empty()) s += ' ';
            s += CardNotation(c);
        }
    return s;
}

int64_t TTrainingHistory::BeginSession(const TSessionSettings& s) {
    int64_t id = 0;
    try {
        InTransaction(db_, [&] {
            TStatement st(db_, "INSERT INTO sessions(started, seed, boxes, info, feedback, drill, "
                               "rules, deals_asked) VALUES(?, ?, ?, ?, ?, ?, ?, ?)");
            st.Bind(1, UtcNow())
                .Bind(2, static_cast<int64_t>(s.Seed))
                .Bind(3, s.TeamSize)
                .Bind(4, std::string(InfoModeCode(s.Mode)))
                .Bind(5, std::string(FeedbackCode(s.Feedback)))
                .Bind(6, DrillText(s.Drill))
                .Bind(7, RulesText(s.Rules, s.Pay))
                .Bind(8, s.Deals);
            st.Run();
            id = db_.LastInsertId();
        });
    } catch (const std::exception& e) {
        Failed(THistoryProblem::Write, e);
    }
    return id;
}

void TTrainingHistory::WriteDeal(int64_t session, const TDealRecord& d) {
    try {
        InTransaction(db_, [&] {
            std::string next;
            for (const TCardRec& c : d.Next) {
                if (!next.empty()) next += ' ';
                next += CardNotation(c);
            }
            int64_t mistakes = 0;
            for (const TJudgement& j : d.Judgements) mistakes += j.Mistake() ? 1 : 0;
            TStatement deal(db_, "INSERT INTO deals(session_id, number, played, day, dealer, "
                                 "next_cards, result, shadow_result, best_expected, cost, "
                                 "decisions, mistakes) VALUES(?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
            deal.Bind(1, session)
                .Bind(2, d.Number)
                .Bind(3, UtcNow())
                .Bind(4, LocalDay())
                .Bind(5, HandNotation(d.Dealer))
                .Bind(6, next)
                .Bind(7, d.Result)
                .Bind(8, d.ShadowResult)
                .Bind(9, d.BestExpected)
                .Bind(10, d.Cost)
                .Bind(11, static_cast<int64_t>(d.Judgements.size()))
                .Bind(12, mistakes);
            deal.Run();
            const int64_t dealId = db_.LastInsertId();
            TStatement box(db_, "INSERT INTO boxes VALUES(?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, "
                                "?, ?, ?, ?, ?)");
            for (size_t i = 0; i < d.Boxes.size(); ++i) {
                const TBoxPlay& p = d.Boxes[i];
                const TBoxPlay& q = d.Shadow[i];
                box.Bind(1, dealId)
                    .Bind(2, static_cast<int>(i) + 1)
                    .Bind(3, HandNotation(p.Dealt))
                    .Bind(4, ComboOrdinal(p.Dealt.Combo))
                    .Bind(5, HandNotation(p.Final))
                    .Bind(6, ComboOrdinal(p.Final.Combo))
                    .Bind(7, p.DrawnSlot)
                    .Bind(8, CardOrEmpty(p.Received))
                    .Bind(9, p.Raise ? 1 : 0)
                    .Bind(10, p.Insurance)
                    .Bind(11, p.Result)
                    .Bind(12, static_cast<int>(p.Outcome))
                    .Bind(13, p.BestValue)
                    .Bind(14, HandNotation(q.Final))
                    .Bind(15, q.DrawnSlot)
                    .Bind(16, q.Raise ? 1 : 0)
                    .Bind(17, q.Insurance)
                    .Bind(18, q.Result);
                box.Run();
            }
            TStatement dec(db_,
                           "INSERT INTO decisions(deal_id, box, seq, kind, dealt_class, "
                           "cards, open_card, view_out, received, options, best, choice, "
                           "cost, taken_back) VALUES(?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
            for (const TJudgement& j : d.Judgements) {
                dec.Bind(1, dealId)
                    .Bind(2, j.Box)
                    .Bind(3, j.Seq)
                    .Bind(4, std::string(DecisionKindCode(j.Kind)))
                    .Bind(5, ComboOrdinal(j.DealtCombo))
                    .Bind(6, HandNotation(j.Hand))
                    .Bind(7, CardNotation(j.Open))
                    .Bind(8, ViewOutText(j.View))
                    .Bind(9, CardOrEmpty(j.Received))
                    .Bind(10, OptionsText(j.Priced))
                    .Bind(11, j.Priced.BestOption().Key)
                    .Bind(12, j.Choice().Key)
                    .Bind(13, j.Cost)
                    .Bind(14, j.TakenBack ? 1 : 0);
                dec.Run();
            }
        });
    } catch (const std::exception& e) {
        Failed(THistoryProblem::Write, e);
    }
}

void TTrainingHistory::FinishSession(int64_t session) {
    try {
        InTransaction(db_, [&] {
            TStatement st(db_, "UPDATE sessions SET finished = ? WHERE id = ?");
            st.Bind(1, UtcNow()).Bind(2, session);
            st.Run();
        });
    } catch (const std::exception& e) {
        Failed(THistoryProblem::Write, e);
    }
}

THistorySummary TTrainingHistory::Summary() {
    THistorySummary s;
    try {
        // One read transaction: a writer in another instance cannot split the figures.
        db_.Exec("BEGIN");
        s.Sessions = db_.QueryInt("SELECT count(*) FROM sessions");
        {
            TStatement st(db_, "SELECT count(*), total(result), total(shadow_result), "
                               "total(best_expected) FROM deals");
            if (st.Step()) {
                s.Deals = st.Int(0);
                s.Net = st.Double(1);
                s.ShadowNet = st.Double(2);
                s.BestExpected = st.Double(3);
            }
        }
        {
            TStatement st(db_, "SELECT kind, count(*), total(cost > 1e-9), total(cost) FROM "
                               "decisions GROUP BY kind");
            while (st.Step()) {
                TDecisionKind kind;
                if (!ParseDecisionKind(st.Text(0), kind)) continue;
                TCostTally& t = s.ByKind[static_cast<size_t>(kind)];
                t.Decisions = st.Int(1);
                t.Mistakes = static_cast<int64_t>(st.Double(2));
                t.Cost = st.Double(3);
                s.All.Decisions += t.Decisions;
                s.All.Mistakes += t.Mistakes;
                s.All.Cost += t.Cost;
            }
        }
        {
            TStatement st(db_, "SELECT s.id, s.started, count(d.id), total(d.decisions), "
                               "total(d.mistakes), total(d.cost) FROM sessions s LEFT JOIN "
                               "deals d ON d.session_id = s.id GROUP BY s.id ORDER BY s.id");
            while (st.Step()) {
                THistorySessionRow r;
                r.Id = st.Int(0);
                r.Started = st.Text(1);
                r.Deals = st.Int(2);
                r.Decisions = static_cast<int64_t>(st.Double(3));
                r.Mistakes = static_cast<int64_t>(st.Double(4));
                r.Cost = st.Double(5);
                s.BySession.push_back(r);
            }
        }
        {
            TStatement st(db_,
                          "SELECT day, count(*), total(cost) FROM deals GROUP BY day ORDER BY day");
            while (st.Step()) {
                THistoryDayRow r;
                r.Day = st.Text(0);
                r.Deals = st.Int(1);
                r.Cost = st.Double(2);
                s.ByDay.push_back(r);
            }
        }
        db_.Exec("COMMIT");
    } catch (const std::exception& e) {
        try {
            db_.Exec("ROLLBACK");
        } catch (...) {
        }
        Failed(THistoryProblem::Read, e);
    }
    return s;
}

std::vector<TWeakLayout> TTrainingHistory::WeakLayouts() {
    std::vector<TWeakLayout> out;
    try {
        TStatement st(db_, "SELECT dealt_class, kind, count(*), total(cost) FROM decisions "
                           "WHERE cost > 1e-9 GROUP BY dealt_class, kind "
                           "ORDER BY count(*) DESC, total(cost) DESC, dealt_class, kind");
        while (st.Step()) {
            TWeakLayout w;
            const int64_t ordinal = st.Int(0);
            if (ordinal < 0 || ordinal > 10 || !ParseDecisionKind(st.Text(1), w.Kind)) continue;
            w.Combo = ComboFromIndex(static_cast<int>(ordinal) + 1);
            w.Mistakes = st.Int(2);
            w.Cost = st.Double(3);
            out.push_back(w);
        }
    } catch (const std::exception& e) {
        Failed(THistoryProblem::Read, e);
    }
    return out;
}

std::vector<uint16_t> WeakCombos(const std::vector<TWeakLayout>& weak, const TRules& rules,
                                 size_t count) {
    std::vector<uint16_t> combos;
    size_t taken = 0;
    for (const TWeakLayout& w : weak) {
        if (taken >= count) break;
        // A layout whose decision these rules never ask cannot be drilled under them.
        if (w.Kind == TDecisionKind::Draw && !DrawsAllowed(rules)) continue;
        if (w.Kind == TDecisionKind::Insurance && !rules.Insurance) continue;
        if (w.Combo == C_AK && !rules.AKPlays) continue;
        ++taken;
        bool have = false;
        for (uint16_t c : combos) have = have || c == w.Combo;
        if (!have) combos.push_back(w.Combo);
    }
    return combos;
}

} // namespace kvarlen::training
