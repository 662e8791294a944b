// kvarlen-cli train: the training table on a terminal, one line per answer. Every decision is
// judged by best play, every finished deal goes into the SQLite history; --json gives one object
// per event for scripts, --history the history's summary.
#include "cli/commands.h"
#include "cli/options_common.h"
#include "cli/simulation_json.h"
#include "training/training_history.h"
#include "training/training_session.h"

#include <nlohmann/json.hpp>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace kvarlen::cli {

namespace {

using namespace kvarlen::training;
using Json = nlohmann::ordered_json;

struct TrainOptions {
    int Boxes = 1;
    std::string Info = "beacon";
    int64_t Seed = -1;
    int64_t Deals = 0;
    std::string Drill, Feedback = "now", Db;
    bool NoHistory = false, Json = false, History = false;
    bool NoInsurance = false, NoAK = false, NoBuy = false, Exchange1 = false;
    std::string DealerGame = "none";
    bool AntePaid = false;
    std::string PriceChange1 = "1", PriceChange2 = "1", PriceBuy6 = "1", PriceDealerGame = "1";
    std::string Pay;
    TRuleSetChoice RuleSet;
};

constexpr int kExitFailed = 1;
constexpr int kExitRefused = 2;
constexpr int kExitStopped = 3;

std::atomic<bool> g_stop{false};
constexpr int kStopSignals[] = {SIGINT, SIGTERM, SIGHUP};

extern "C" void OnTrainSignal(int sig) {
    g_stop.store(true);
    std::signal(sig, SIG_DFL);
}

class Refused : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

std::string Trim(const std::string& s) {
    size_t a = 0, b = s.size();
    while (a < b && (s[a] == ' ' || s[a] == '\t')) ++a;
    while (b > a && (s[b - 1] == ' ' || s[b - 1] == '\t' || s[b - 1] == '\r')) --b;
    return s.substr(a, b - a);
}

std::string ClassName(uint16_t combo) {
    std::string s = ComboName(combo);
    while (!s.empty() && s.back() == ' ') s.pop_back();
    return s;
}

std::string Num(double v) {
    return FormatFixed(v, 9, 7, ',');
}
std::string Whole(double v) {
    return FormatGeneral(v, ',');
}

Json CardJson(const TCardRec& c) {
    return c.Value > 0 ? Json(CardNotation(c)) : Json();
}

// The reader of the answers: one line at a time, end of input (or a stop signal) ends it.
class Input {
  public:
    bool Read(std::string& line) {
        if (ended_) return false;
        std::cout.flush();
        if (!std::getline(std::cin, line) || g_stop.load()) {
            ended_ = true;
            return false;
        }
        line = Trim(line);
        return true;
    }
    bool Ended() const { return ended_; }

  private:
    bool ended_ = false;
};

class Trainer {
  public:
    Trainer(const TrainOptions& o, TTrainingSession& session, TTrainingHistory* history,
            int64_t sessionId)
        : o_(o), s_(session), history_(history), sessionId_(sessionId) {}

    // Plays until the deals are done or the input ends; the exit status.
    int Run();

  private:
    void Emit(const Json& j) {
        std::cout << j.dump() << "\n";
        std::cout.flush();
    }
    void Say(const std::string& text) {
        if (o_.Json)
            Emit(Json{{"event", "bad_input"}, {"message", text}});
        else
            std::cout << text << "\n";
    }
    void ShowSession();
    void ShowDeal();
    void ShowPoint();
    void ShowJudgement(const TJudgement& j, bool review);
    void ShowSettlement(const TDealRecord& d);
    void ShowSummary(bool stopped);
    Json JudgementJson(const TJudgement& j, bool review) const;
    std::string KeysText() const;
    // One decision: false when the input ended.
    bool Decide();
    bool WaitForNextDeal();

    const TrainOptions& o_;
    TTrainingSession& s_;
    TTrainingHistory* history_;
    int64_t sessionId_;
    Input in_;
    std::vector<TJudgement> held_; // judgements shown at the end
};

void Trainer::ShowSession() {
    const TSessionSettings& st = s_.Settings();
    if (o_.Json) {
        Json j{{"event", "session"},
               {"seed", st.Seed},
               {"boxes", st.TeamSize},
               {"info", InfoModeCode(st.Mode)},
               {"feedback", FeedbackCode(st.Feedback)},
               {"drill", DrillText(st.Drill)},
               {"deals", st.Deals},
               {"rules", RulesText(st.Rules, st.Pay)},
               {"rule_set", RuleSetLabel(o_.RuleSet, st.Rules, st.Pay)},
               {"history", history_ ? Json(history_->Path()) : Json()}};
        Emit(j);
        return;
    }
    std::cout << "Training table: seed " << st.Seed << ", " << st.TeamSize
              << (st.TeamSize == 1 ? " box" : " boxes") << ", info " << InfoModeCode(st.Mode)
              << ", feedback " << FeedbackCode(st.Feedback);
    if (st.Drill.Kind != TDrillKind::None) std::cout << ", drill " << DrillText(st.Drill);
    std::cout << ", "
              << (st.Deals > 0 ? std::to_string(st.Deals) + (st.Deals == 1 ? " deal" : " deals")
                               : "deals until "
                                 "the input ends")
              << "\n"
              << "History: " << (history_ ? history_->Path() : std::string("not kept")) << "\n"
              << "Keys: 0 keep, 1-5 exchange that card, B buy a sixth card, R raise, P pass, "
                 "I insure, N no insurance, U take back a mistake, an empty line goes on.\n";
}

void Trainer::ShowDeal() {
    const TDecisionPoint& p = s_.Point();
    if (o_.Json) {
        Emit(Json{{"event", "deal"}, {"deal", p.Deal}, {"open", CardNotation(p.Table.Open)}});
        return;
    }
    std::cout << "\nDeal " << p.Deal << ": the dealer shows " << CardNotation(p.Table.Open) << "\n";
}

std::string Trainer::KeysText() const {
    const TDecisionPoint& p = s_.Point();
    switch (p.Kind) {
    case TDecisionKind::Draw: {
        std::string s = "0 keep";
        if (s_.Settings().Rules.Exchange1) s += ", 1-5 exchange that card";
        if (s_.Settings().Rules.Buy6) s += ", B buy a sixth card";
        return s;
    }
    case TDecisionKind::RaisePass:
        return "R raise, P pass";
    case TDecisionKind::Insurance:
        return "I insure (" + std::to_string(PayOff(p.Table.Hand.Combo)) + "), N no insurance";
    }
    return "";
}

void Trainer::ShowPoint() {
    const TDecisionPoint& p = s_.Point();
    const TTableView& t = p.Table;
    if (o_.Json) {
        Json others = Json::array();
        for (const TBoxSight& b : t.Others)
            others.push_back(Json{{"box", b.Box},
                                  {"visible", b.Visible},
                                  {"played", b.Played},
                                  {"cards", b.Visible ? Json(HandNotation(b.Hand)) : Json()}});
        Emit(Json{{"event", "decision"},
                  {"deal", p.Deal},
                  {"box", p.Box},
                  {"kind", DecisionKindCode(p.Kind)},
                  {"keys", p.Keys},
                  {"cards", HandNotation(t.Hand)},
                  {"class", ComboOrdinal(t.Hand.Combo)},
                  {"class_name", ClassName(t.Hand.Combo)},
                  {"dealt_class", ComboOrdinal(p.DealtCombo)},
                  {"open", CardNotation(t.Open)},
                  {"received", CardJson(t.Received)},
                  {"drawn_slot", t.DrawnSlot},
                  {"others", others},
                  {"beacon", t.Beacon ? Json(t.BeaconCount) : Json()},
                  {"view_out", ViewOutText(t.View)}});
        return;
    }
    std::cout << "Box " << p.Box << ": " << HandNotation(t.Hand) << "  " << ClassName(t.Hand.Combo);
    if (t.DrawnSlot == 6)
        std::cout << "  (bought " << CardNotation(t.Received) << ")";
    else if (t.DrawnSlot > 0)
        std::cout << "  (" << CardNotation(t.Received) << " in place of card " << t.DrawnSlot
                  << ")";
    std::cout << "; the dealer shows " << CardNotation(t.Open) << "\n";
    for (const TBoxSight& b : t.Others) {
        std::cout << "  box " << b.Box << ": ";
        if (b.Visible)
            std::cout << HandNotation(b.Hand) << (b.Played ? " (played)" : "");
        else
            std::cout << "closed";
        std::cout << "\n";
    }
    if (t.Beacon && s_.Settings().TeamSize > 1)
        std::cout << "  beacon: the team holds " << t.BeaconCount
                  << " card(s) of the open card's value\n";
    std::cout << KeysText() << "\n> ";
}

Json Trainer::JudgementJson(const TJudgement& j, bool review) const {
    Json options = Json::array();
    for (size_t i = 0; i < j.Priced.Options.size(); ++i) {
        const TOptionValue& v = j.Priced.Options[i];
        options.push_back(Json{{"key", v.Key},
                               {"code", v.Code},
                               {"value", v.Value},
                               {"cost", j.Priced.CostOf(static_cast<int>(i))},
                               {"best", static_cast<int>(i) == j.Priced.Best}});
    }
    return Json{{"event", "judgement"},
                {"deal", j.Deal},
                {"box", j.Box},
                {"seq", j.Seq},
                {"kind", DecisionKindCode(j.Kind)},
                {"choice", j.Choice().Key},
                {"best", j.Priced.BestOption().Key},
                {"cost", j.Cost},
                {"mistake", j.Mistake()},
                {"taken_back", j.TakenBack},
                {"review", review},
                {"cards", HandNotation(j.Hand)},
                {"open", CardNotation(j.Open)},
                {"received", CardJson(j.Received)},
                {"view_out", ViewOutText(j.View)},
                {"options", options}};
}

void Trainer::ShowJudgement(const TJudgement& j, bool review) {
    if (o_.Json) {
        Emit(JudgementJson(j, review));
        return;
    }
    std::cout << "Deal " << j.Deal << ", box " << j.Box << ", " << DecisionKindCode(j.Kind) << ": "
              << j.Choice().Code;
    if (j.Mistake())
        std::cout << " costs " << Num(j.Cost) << " (best: " << j.Priced.BestOption().Code << ")"
                  << (j.TakenBack ? ", taken back" : "");
    else
        std::cout << " is best";
    std::cout << "\n";
    for (size_t i = 0; i < j.Priced.Options.size(); ++i) {
        const TOptionValue& v = j.Priced.Options[i];
        std::string code = v.Code;
        code.resize(std::max<size_t>(code.size(), 12), ' ');
        std::cout << (static_cast<int>(i) == j.Priced.Best ? "  * " : "    ") << v.Key << "  "
                  << code << "  value " << Num(v.Value) << "  cost "
                  << Num(j.Priced.CostOf(static_cast<int>(i))) << "\n";
    }
    if (review) std::cout << "U takes it back, an empty line lets it stand\n> ";
}

void Trainer::ShowSettlement(const TDealRecord& d) {
    const bool reveal = s_.Settings().Feedback != TFeedback::End;
    if (o_.Json) {
        Json boxes = Json::array();
        for (size_t i = 0; i < d.Boxes.size(); ++i) {
            const TBoxPlay& p = d.Boxes[i];
            Json b{{"box", static_cast<int>(i) + 1},
                   {"dealt", HandNotation(p.Dealt)},
                   {"final", HandNotation(p.Final)},
                   {"final_class", ComboOrdinal(p.Final.Combo)},
                   {"drawn_slot", p.DrawnSlot},
                   {"received", CardJson(p.Received)},
                   {"raise", p.Raise},
                   {"insurance", p.Insurance},
                   {"outcome", p.Outcome},
                   {"result", p.Result}};
            if (reveal) {
                const TBoxPlay& q = d.Shadow[i];
                b["best_value"] = p.BestValue;
                b["shadow"] = Json{{"final", HandNotation(q.Final)},
                                   {"drawn_slot", q.DrawnSlot},
                                   {"raise", q.Raise},
                                   {"insurance", q.Insurance},
                                   {"result", q.Result}};
            }
            boxes.push_back(b);
        }
        Json j{{"event", "settlement"},
               {"deal", d.Number},
               {"dealer", HandNotation(d.Dealer)},
               {"dealer_class", ComboOrdinal(d.Dealer.Combo)},
               {"dealer_game", DealerHasGame(d.Dealer)},
               {"boxes", boxes},
               {"result", d.Result}};
        if (reveal) {
            j["shadow_result"] = d.ShadowResult;
            j["expected"] = d.Expected();
            j["best_expected"] = d.BestExpected;
            j["cost"] = d.Cost;
        }
        Emit(j);
        return;
    }
    std::cout << "Dealer: " << HandNotation(d.Dealer) << "  " << ClassName(d.Dealer.Combo) << "\n";
    for (size_t i = 0; i < d.Boxes.size(); ++i) {
        const TBoxPlay& p = d.Boxes[i];
        std::cout << "  box " << i + 1 << ": " << HandNotation(p.Final) << "  "
                  << ClassName(p.Final.Combo) << ", " << (p.Raise ? "raised" : "passed");
        if (p.Insurance > 0) std::cout << ", insured " << p.Insurance;
        std::cout << ", result " << Whole(p.Result);
        if (reveal) {
            const TBoxPlay& q = d.Shadow[i];
            std::cout << "; best play: " << HandNotation(q.Final) << ", "
                      << (q.Raise ? "raised" : "passed");
            if (q.Insurance > 0) std::cout << ", insured " << q.Insurance;
            std::cout << ", result " << Whole(q.Result);
        }
        std::cout << "\n";
    }
    std::cout << "Result " << Whole(d.Result);
    if (reveal)
        std::cout << " (best play " << Whole(d.ShadowResult) << "), expected " << Num(d.Expected())
                  << " (best " << Num(d.BestExpected) << ")";
    std::cout << "\n";
}

void Trainer::ShowSummary(bool stopped) {
    const TSessionStats& st = s_.Stats();
    auto tally = [](const TCostTally& t) {
        return Json{{"decisions", t.Decisions},
                    {"mistakes", t.Mistakes},
                    {"mistake_share", t.MistakeShare()},
                    {"cost", t.Cost}};
    };
    if (o_.Json) {
        Json kinds;
        for (int k = 0; k < kDecisionKinds; ++k)
            kinds[DecisionKindCode(static_cast<TDecisionKind>(k))] =
                tally(st.ByKind[static_cast<size_t>(k)]);
        Json classes = Json::array();
        for (int c = 0; c <= 10; ++c) {
            const TCostTally& t = st.ByClass[static_cast<size_t>(c)];
            if (t.Decisions == 0) continue;
            Json e = tally(t);
            e["class"] = c;
            e["class_name"] = ClassName(ComboFromIndex(c + 1));
            classes.push_back(e);
        }
        Json dear = Json::array();
        for (const TJudgement& j : st.Costliest) {
            Json e = JudgementJson(j, false);
            e.erase("event");
            e.erase("review");
            e["dealt_class"] = ComboOrdinal(j.DealtCombo);
            dear.push_back(e);
        }
        Emit(Json{{"event", "summary"},
                  {"deals", st.Deals},
                  {"stopped", stopped},
                  {"net", st.Net},
                  {"shadow_net", st.ShadowNet},
                  {"expected_net", st.ExpectedNet()},
                  {"best_expected_net", st.BestExpected},
                  {"decisions", st.All.Decisions},
                  {"mistakes", st.All.Mistakes},
                  {"mistake_share", st.All.MistakeShare()},
                  {"total_cost", st.All.Cost},
                  {"average_cost", st.AverageCost()},
                  {"by_kind", kinds},
                  {"by_class", classes},
                  {"costliest", dear},
                  {"rules", RulesText(s_.Settings().Rules, s_.Settings().Pay)},
                  {"rule_set", RuleSetLabel(o_.RuleSet, s_.Settings().Rules, s_.Settings().Pay)}});
        return;
    }
    auto line = [](const TCostTally& t) {
        return "decisions " + std::to_string(t.Decisions) + ", mistakes " +
               std::to_string(t.Mistakes) + " (" + FormatFixed(100 * t.MistakeShare(), 9, 1, ',') +
               " %), cost " + Num(t.Cost);
    };
    std::cout << "\nSummary" << (stopped ? " (the input ended)" : "") << ": " << st.Deals
              << " deals\n"
              << "  result " << Whole(st.Net) << ", best play " << Whole(st.ShadowNet) << "\n"
              << "  expected " << Num(st.ExpectedNet()) << ", best expected "
              << Num(st.BestExpected) << "\n"
              << "  " << line(st.All) << ", per deal " << Num(st.AverageCost()) << "\n";
    for (int k = 0; k < kDecisionKinds; ++k)
        std::cout << "  " << DecisionKindCode(static_cast<TDecisionKind>(k)) << ": "
                  << line(st.ByKind[static_cast<size_t>(k)]) << "\n";
    for (int c = 0; c <= 10; ++c) {
        const TCostTally& t = st.ByClass[static_cast<size_t>(c)];
        if (t.Decisions > 0)
            std::cout << "  dealt " << ClassName(ComboFromIndex(c + 1)) << ": " << line(t) << "\n";
    }
    if (!st.Costliest.empty()) std::cout << "Costliest mistakes:\n";
    for (const TJudgement& j : st.Costliest) {
        std::cout << "  deal " << j.Deal << ", box " << j.Box << ", " << DecisionKindCode(j.Kind)
                  << ": " << HandNotation(j.Hand) << " / " << CardNotation(j.Open) << ", "
                  << j.Choice().Code << " instead of " << j.Priced.BestOption().Code << ", cost "
                  << Num(j.Cost) << "; out: " << ViewOutText(j.View) << "\n";
    }
}

bool Trainer::Decide() {
    ShowPoint();
    std::string line;
    for (;;) {
        if (!in_.Read(line)) return false;
        if (s_.Step() == TStep::Review) {
            const std::string up = line == "u" ? "U" : line;
            if (up == "U") {
                s_.TakeBack();
                const TJudgement& j = s_.CurrentDeal().Judgements.back();
                if (o_.Json)
                    Emit(Json{
                        {"event", "take_back"}, {"deal", j.Deal}, {"box", j.Box}, {"seq", j.Seq}});
                else
                    std::cout << "Taken back (it still counts as a mistake); choose again\n";
                ShowPoint();
            } else if (line.empty()) {
                s_.GoOn();
                return true;
            } else {
                Say("'" + ShortText(line) +
                    "': U takes the answer back, an empty line lets it "
                    "stand");
                if (!o_.Json) std::cout << "> ";
            }
            continue;
        }
        if (line.empty() || line == "U" || line == "u") {
            Say(line.empty() ? "Choose one of: " + KeysText()
                             : "Nothing to take back: choose one of: " + KeysText());
            if (!o_.Json) std::cout << "> ";
            continue;
        }
        TJudgement j;
        try {
            j = s_.Answer(line);
        } catch (const TKeyError& e) {
            Say(e.what());
            if (!o_.Json) std::cout << "> ";
            continue;
        }
        const TFeedback fb = s_.Settings().Feedback;
        if (fb == TFeedback::Now) ShowJudgement(j, s_.Step() == TStep::Review);
        if (s_.Step() != TStep::Review) return true;
    }
}

bool Trainer::WaitForNextDeal() {
    std::string line;
    if (!o_.Json) std::cout << "Enter: next deal\n> ";
    for (;;) {
        if (!in_.Read(line)) return false;
        if (line.empty()) return true;
        Say("'" + ShortText(line) + "': an empty line deals the next deal");
        if (!o_.Json) std::cout << "> ";
    }
}

int Trainer::Run() {
    ShowSession();
    int status = 0;
    bool stopped = false;
    bool first = true;
    while (true) {
        if (!first && s_.Settings().Deals > 0 && s_.Stats().Deals >= s_.Settings().Deals) break;
        if (!first && !WaitForNextDeal()) {
            stopped = s_.Settings().Deals > 0 || g_stop.load();
            break;
        }
        first = false;
        if (!s_.NextDeal()) break;
        ShowDeal();
        bool ended = false;
        while (s_.Step() == TStep::Decision || s_.Step() == TStep::Review)
            if (!Decide()) {
                ended = true;
                break;
            }
        if (ended) {
            // The deal in progress is dropped; the finished ones are kept.
            stopped = s_.Settings().Deals > 0 || g_stop.load();
            break;
        }
        const TDealRecord& d = s_.LastDeal();
        // Kept before it is shown: a deal the player saw settled is in the history.
        if (history_) {
            try {
                history_->WriteDeal(sessionId_, d);
            } catch (const std::exception& e) {
                std::cerr << "kvarlen-cli train: " << e.what() << "\n";
                status = kExitFailed;
                break;
            }
        }
        ShowSettlement(d);
        const TFeedback fb = s_.Settings().Feedback;
        for (const TJudgement& j : d.Judgements) {
            if (fb == TFeedback::Deal) ShowJudgement(j, false);
            if (fb == TFeedback::End) held_.push_back(j);
        }
    }
    for (const TJudgement& j : held_) ShowJudgement(j, false);
    ShowSummary(stopped);
    if (history_ && status == 0) {
        try {
            history_->FinishSession(sessionId_);
        } catch (const std::exception& e) {
            std::cerr << "kvarlen-cli train: " << e.what() << "\n";
            status = kExitFailed;
        }
    }
    if (!StandardOutputWritten("kvarlen-cli train")) status = kExitFailed;
    if (status == 0 && g_stop.load()) status = kExitStopped;
    return status;
}

int ShowHistory(const TrainOptions& o, const std::string& path) {
    std::error_code ec;
    THistorySummary s;
    // Asking for the summary of a file that is not there creates nothing.
    if (std::filesystem::exists(path, ec)) {
        try {
            TTrainingHistory h(path);
            s = h.Summary();
        } catch (const THistoryRefused& e) {
            std::cerr << "kvarlen-cli train: " << e.what() << "\n";
            return kExitRefused;
        } catch (const std::exception& e) {
            std::cerr << "kvarlen-cli train: " << e.what() << "\n";
            return kExitFailed;
        }
    }
    if (o.Json) {
        Json sessions = Json::array(), days = Json::array(), kinds;
        for (const THistorySessionRow& r : s.BySession)
            sessions.push_back(Json{{"session", r.Id},
                                    {"started", r.Started},
                                    {"deals", r.Deals},
                                    {"decisions", r.Decisions},
                                    {"mistakes", r.Mistakes},
                                    {"cost", r.Cost},
                                    {"average_cost", r.AverageCost()}});
        for (const THistoryDayRow& r : s.ByDay)
            days.push_back(Json{{"day", r.Day},
                                {"deals", r.Deals},
                                {"cost", r.Cost},
                                {"average_cost", r.AverageCost()}});
        for (int k = 0; k < kDecisionKinds; ++k) {
            const TCostTally& t = s.ByKind[static_cast<size_t>(k)];
            kinds[DecisionKindCode(static_cast<TDecisionKind>(k))] =
                Json{{"decisions", t.Decisions}, {"mistakes", t.Mistakes}, {"cost", t.Cost}};
        }
        std::cout << Json{{"history", path},
                          {"sessions", s.Sessions},
                          {"deals", s.Deals},
                          {"decisions", s.All.Decisions},
                          {"mistakes", s.All.Mistakes},
                          {"total_cost", s.All.Cost},
                          {"average_cost", s.Deals > 0 ? s.All.Cost / s.Deals : 0.0},
                          {"net", s.Net},
                          {"shadow_net", s.ShadowNet},
                          {"best_expected_net", s.BestExpected},
                          {"by_kind", kinds},
                          {"by_session", sessions},
                          {"by_day", days}}
                         .dump(2)
                  << "\n";
        return 0;
    }
    std::cout << "Training history: " << path << "\n"
              << "Sessions " << s.Sessions << ", deals " << s.Deals << ", decisions "
              << s.All.Decisions << ", mistakes " << s.All.Mistakes << ", total cost "
              << Num(s.All.Cost) << ", average cost per deal "
              << Num(s.Deals > 0 ? s.All.Cost / s.Deals : 0.0) << "\n";
    for (int k = 0; k < kDecisionKinds; ++k) {
        const TCostTally& t = s.ByKind[static_cast<size_t>(k)];
        std::cout << "  " << DecisionKindCode(static_cast<TDecisionKind>(k)) << ": decisions "
                  << t.Decisions << ", mistakes " << t.Mistakes << ", cost " << Num(t.Cost) << "\n";
    }
    if (!s.BySession.empty()) std::cout << "Average cost per deal by session:\n";
    for (const THistorySessionRow& r : s.BySession)
        std::cout << "  session " << r.Id << "  " << r.Started << "  deals " << r.Deals
                  << "  mistakes " << r.Mistakes << "  " << Num(r.AverageCost()) << "\n";
    if (!s.ByDay.empty()) std::cout << "Average cost per deal by day:\n";
    for (const THistoryDayRow& r : s.ByDay)
        std::cout << "  " << r.Day << "  deals " << r.Deals << "  " << Num(r.AverageCost()) << "\n";
    return 0;
}

int RunTrain(const TrainOptions& o, const CLI::App& cmd) {
    TSessionSettings settings;
    std::string path;
    try {
        if (o.History) {
            for (const char* opt : {"--boxes", "--deals", "--seed", "--drill", "--feedback"})
                if (cmd.count(opt) > 0)
                    throw Refused(std::string("--history prints the summary; it takes no ") + opt);
            if (o.NoHistory) throw Refused("--history and --no-history exclude each other");
        }
        if (o.NoHistory && cmd.count("--db") > 0)
            throw Refused("--db and --no-history exclude each other");
        if (o.Boxes < 1 || o.Boxes > 3) throw Refused("--boxes must be 1, 2 or 3");
        if (cmd.count("--seed") > 0 && (o.Seed < 1 || o.Seed > kMaxSeed))
            throw Refused("--seed must be 1..2147483646");
        if (cmd.count("--deals") > 0 && o.Deals < 1) throw Refused("--deals must be at least 1");
        if (o.Exchange1 && !o.NoBuy)
            throw Refused("--exchange1 and buying a sixth card exclude each other, as "
                          "\"обмен 1 карты\" and \"покупка 6 карты\" do: add --no-buy");
        if (o.DealerGame != "none")
            throw Refused("--dealer-game: the training table does not buy the dealer a game");
        FillRulesFromSwitches(o, settings.Rules);
        settings.Pay = PayTable;
        settings.TeamSize = o.Boxes;
        const std::vector<std::string> infos = {"in-turn", "beacon", "full"};
        const std::vector<std::string> feedbacks = {"now", "deal", "end"};
        int info = -1, fb = -1;
        for (size_t i = 0; i < 3; ++i) {
            if (infos[i] == o.Info) info = static_cast<int>(i);
            if (feedbacks[i] == o.Feedback) fb = static_cast<int>(i);
        }
        if (info < 0)
            throw Refused("--info: '" + ShortText(o.Info) + "' is none of in-turn|beacon|full");
        if (fb < 0)
            throw Refused("--feedback: '" + ShortText(o.Feedback) + "' is none of now|deal|end");
        settings.Mode = static_cast<TInfoMode>(info);
        settings.Feedback = static_cast<TFeedback>(fb);
        settings.Drill = ParseDrill(o.Drill);
        if (settings.Drill.Kind == TDrillKind::Weak && o.NoHistory)
            throw Refused("--drill weak reads the history: it cannot go with --no-history");
        settings.Deals = o.Deals;
        settings.Seed = o.Seed >= 0 ? static_cast<uint32_t>(o.Seed) : EffectiveSeed(TickCount());
        if (!o.NoHistory) {
            path = o.Db.empty() ? DefaultHistoryPath() : o.Db;
            if (path.empty())
                throw Refused("no place for the history: neither XDG_DATA_HOME nor HOME is set; "
                              "give --db FILE or --no-history");
        }
    } catch (const std::exception& e) {
        std::cerr << "kvarlen-cli train: " << e.what() << "\n";
        return kExitRefused;
    }
    if (o.History) return ShowHistory(o, path);

    std::optional<TTrainingHistory> history;
    if (!o.NoHistory) {
        try {
            history.emplace(path);
            if (settings.Drill.Kind == TDrillKind::Weak) {
                settings.Drill.WeakCombos = WeakCombos(history->WeakLayouts(), settings.Rules);
                if (settings.Drill.WeakCombos.empty())
                    throw Refused("--drill weak: the history holds no mistakes that these rules "
                                  "can ask again");
            }
        } catch (const THistoryFailed& e) {
            std::cerr << "kvarlen-cli train: " << e.what() << "\n";
            return kExitFailed;
        } catch (const std::exception& e) {
            std::cerr << "kvarlen-cli train: " << e.what() << "\n";
            return kExitRefused;
        }
    }
    std::optional<TTrainingSession> session;
    try {
        session.emplace(settings);
    } catch (const std::exception& e) {
        std::cerr << "kvarlen-cli train: " << e.what() << "\n";
        return kExitRefused;
    }
    int64_t sessionId = 0;
    if (history) {
        try {
            sessionId = history->BeginSession(settings);
        } catch (const std::exception& e) {
            std::cerr << "kvarlen-cli train: " << e.what() << "\n";
            return kExitFailed;
        }
    }

    g_stop = false;
    // No SA_RESTART: a signal ends the wait for a line, and the session ends as at end of input.
    struct sigaction stopAction = {};
    struct sigaction previous[3] = {};
    stopAction.sa_handler = OnTrainSignal;
    sigemptyset(&stopAction.sa_mask);
    for (int i = 0; i < 3; ++i) sigaction(kStopSignals[i], &stopAction, &previous[i]);
    Trainer trainer(o, *session, history ? &*history : nullptr, sessionId);
    const int status = trainer.Run();
    for (int i = 0; i < 3; ++i) sigaction(kStopSignals[i], &previous[i], nullptr);
    return status;
}

} // namespace

void AddTrainCommand(CLI::App& app, int& status) {
    auto o = std::make_shared<TrainOptions>();
    auto* cmd = app.add_subcommand(
        "train", "The training table: play deals, every decision judged by best play, the "
                 "history kept in SQLite");
    AddInteger(cmd, "--boxes", o->Boxes, "Boxes of the team, 1..3")->capture_default_str();
    cmd->add_option("--info", o->Info, "What a box knows of the team: in-turn, beacon or full")
        ->capture_default_str();
    AddInteger(cmd, "--seed", o->Seed, "Seed of the card generator (default: the tick count)");
    AddInteger(cmd, "--deals", o->Deals, "Deals to play (default: until the input ends)");
    cmd->add_option("--drill", o->Drill,
                    "Only some deals: class:NAME (box 1's dealt class: ak, pairs, two-pairs, "
                    "trips, straights, flushes, full-houses, quads, straight-flushes, royals), "
                    "close:MARGIN (box 1's best two options within MARGIN antes) or weak (the "
                    "classes most often got wrong in the history)");
    cmd->add_option("--feedback", o->Feedback,
                    "When judgements are shown: now (a mistake can be taken back), deal, end")
        ->capture_default_str();
    cmd->add_option("--db", o->Db,
                    "The history file (default: $XDG_DATA_HOME/kvarlen/training.sqlite)");
    cmd->add_flag("--no-history", o->NoHistory, "Keep no history");
    cmd->add_flag("--history", o->History, "Print the history's summary and stop");
    cmd->add_flag("--json", o->Json, "One JSON object per event, for scripts");
    AddRuleOptions(cmd, o.get(), "Price of buying a sixth card");
    cmd->callback(
        [o, cmd, &status]() { status = ApplyRuleSet(*cmd, *o) ? RunTrain(*o, *cmd) : 2; });
}

} // namespace kvarlen::cli
