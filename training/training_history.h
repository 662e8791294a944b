// The training history: every session, deal and decision in an SQLite file, one transaction
// per finished deal, and what the history says back (the summary, the cost per deal by session
// and by day, the layouts most often got wrong).
#pragma once

#include "training/sqlite_db.h"
#include "training/training_session.h"

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace kvarlen::training {

// The schema this program writes. Older files are brought up to it; newer ones are refused.
constexpr int kSchemaVersion = 2;

// What was wrong with the history file. what() words it for the command line; the desktop
// words it from these fields in its own language.
enum class THistoryProblem {
    IsFolder,     // the name is a folder
    NotSqlite,    // Detail: SQLite's message, or empty when the header is not SQLite's
    NotOurs,      // an SQLite database of something else
    Newer,        // Detail: the file's schema version
    Changed,      // another program changed it while it was being opened
    CreateFolder, // Path: the folder; Detail: the system's error
    Open,         // Detail below: SQLite's or the system's error
    Read,
    Prepare,
    Write,
};

class THistoryError : public std::runtime_error {
  public:
    THistoryError(THistoryProblem problem, std::string path, std::string detail);
    THistoryProblem Problem;
    std::string Path;
    std::string Detail;
};
// A file that is not a training history of ours, or one of a newer program: refused, untouched.
class THistoryRefused : public THistoryError {
  public:
    using THistoryError::THistoryError;
};
// The history could not be read or written (the message names the file and the reason).
class THistoryFailed : public THistoryError {
  public:
    using THistoryError::THistoryError;
};

// $XDG_DATA_HOME/kvarlen/training.sqlite, ~/.local/share/kvarlen/training.sqlite without it;
// "" when neither the variable nor HOME is set.
std::string DefaultHistoryPath();

// The first schema, as version 1 files hold it; new files start from it and are migrated.
void CreateSchemaVersion1(TDatabase& db);
// Upgrades the schema from version `from` to from + 1, inside the caller's transaction.
void MigrateSchema(TDatabase& db, int from);

struct THistorySessionRow {
    int64_t Id = 0;
    std::string Started; // UTC, ISO 8601
    int64_t Deals = 0;
    int64_t Decisions = 0;
    int64_t Mistakes = 0;
    double Cost = 0;
    double AverageCost() const { return Deals > 0 ? Cost / Deals : 0.0; }
};

struct THistoryDayRow {
    std::string Day; // local date, YYYY-MM-DD
    int64_t Deals = 0;
    double Cost = 0;
    double AverageCost() const { return Deals > 0 ? Cost / Deals : 0.0; }
};

struct THistorySummary {
    int64_t Sessions = 0;
    int64_t Deals = 0;
    double Net = 0, ShadowNet = 0, BestExpected = 0;
    TCostTally All;
    std::array<TCostTally, kDecisionKinds> ByKind{};
    std::vector<THistorySessionRow> BySession;
    std::vector<THistoryDayRow> ByDay;
};

// A kind of layout the player got wrong: box's dealt class and the decision.
struct TWeakLayout {
    uint16_t Combo = 0;
    TDecisionKind Kind = TDecisionKind::Draw;
    int64_t Mistakes = 0;
    double Cost = 0;
};

class TTrainingHistory {
  public:
    // Opens the file, creating it (and its folder) when missing. A file that is not ours or has a
    // newer schema throws THistoryRefused and is left as it was; an older schema is migrated.
    explicit TTrainingHistory(const std::string& path);

    const std::string& Path() const { return path_; }
    int SchemaVersion();

    int64_t BeginSession(const TSessionSettings& s);
    // One transaction: the deal, its boxes and its decisions are kept together or not at all.
    void WriteDeal(int64_t session, const TDealRecord& deal);
    void FinishSession(int64_t session);

    THistorySummary Summary();
    // The layouts got wrong most often, most mistakes first (then the dearest).
    std::vector<TWeakLayout> WeakLayouts();

  private:
    [[noreturn]] void Failed(THistoryProblem problem, const std::exception& e) const;
    std::string path_;
    TDatabase db_;
};

// The weak drill's classes: of the layouts got wrong most often, the first `count` whose
// decision the rules can ask, their dealt classes.
std::vector<uint16_t> WeakCombos(const std::vector<TWeakLayout>& weak, const TRules& rules,
                                 size_t count = 3);

// The rules as the history keeps them: "insurance=1;ak=1;...;pay=1,1,2,...".
std::string RulesText(const TRules& rules, const TPayTable& pay);
// The options of a priced decision: "0=-0.5;1=-0.43;B=...", values exact.
std::string OptionsText(const TPricedDecision& p);
// The cards out of a view (taken entries), in notation.
std::string ViewOutText(const TDeck& view);

} // namespace kvarlen::training
