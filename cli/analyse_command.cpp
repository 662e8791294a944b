// kvarlen-cli analyse: the four analysis commands of the layout page for one layout, each on a
// freshly rebuilt deck, as text lines or JSON; or with --best the table of every option valued
// by best play.
#include "analysis/best_play.h"
#include "analysis/layout_commands.h"
#include "cli/commands.h"
#include "cli/options_common.h"

#include <nlohmann/json.hpp>

#include <iostream>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace kvarlen::cli {

namespace {

struct AnalyseOptions {
    std::string Cards, Dealer, Bought, Out, Pay, Only;
    std::string PriceChange1 = "1", PriceChange2 = "1", PriceBuy6 = "1";
    bool NoAK = false, NoInsurance = false, NoFast = false, Detail = false, Json = false;
    bool Best = false;
    TRuleSetChoice RuleSet;
};

class LayoutError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Display width of a UTF-8 text: one column per code point.
size_t Width(const std::string& s) {
    size_t w = 0;
    for (unsigned char ch : s) w += (ch & 0xC0) != 0x80 ? 1 : 0;
    return w;
}

std::string Pad(const std::string& s, size_t width, bool right) {
    const size_t w = Width(s);
    if (w >= width) return s;
    const std::string fill(width - w, ' ');
    return right ? fill + s : s + fill;
}

std::string TrimRight(std::string s) {
    while (!s.empty() && s.back() == ' ') s.pop_back();
    return s;
}

// Detail on standard output: lines as they come, the raise table when the raise is done.
class TextSink : public TDetailSink {
  public:
    void PrepareRaiseGrid() override { gridUsed_ = true; }
    void SetCell(int col, int row, const std::string& text) override {
        if (col < 0 || col > 8 || row < 0 || row > 12) return;
        cells_[row][col] = text;
    }
    void AddLine(const std::string& line) override { std::cout << line << "\n"; }
    void FlushGrid() {
        if (!gridUsed_) return;
        for (int row = 0; row <= 12; ++row) {
            bool any = false;
            for (int col = 0; col <= 8; ++col) any = any || !cells_[row][col].empty();
            if (!any) continue;
            std::string line = Pad(cells_[row][0], 10, false);
            for (int col = 1; col <= 8; ++col) line += " " + Pad(cells_[row][col], 8, true);
            std::cout << TrimRight(line) << "\n";
        }
        gridUsed_ = false;
    }

  private:
    bool gridUsed_ = false;
    std::string cells_[13][9];
};

// Drops the detail (the JSON carries the numbers itself).
class SilentSink : public TDetailSink {
  public:
    void PrepareRaiseGrid() override {}
    void SetCell(int, int, const std::string&) override {}
    void AddLine(const std::string&) override {}
};

struct Selection {
    bool Raise = true, Change1 = true, Change2 = true, Buy = true;
};

Selection ParseOnly(const std::string& text) {
    if (text.empty()) return Selection{};
    Selection s{false, false, false, false};
    const std::vector<std::string> items = SplitList(text, "--only");
    // "--only ," would otherwise run nothing and report success.
    if (items.empty()) throw LayoutError("--only names none of raise, change1, change2, buy");
    for (const std::string& item : items) {
        if (item == "raise")
            s.Raise = true;
        else if (item == "change1")
            s.Change1 = true;
        else if (item == "change2")
            s.Change2 = true;
        else if (item == "buy")
            s.Buy = true;
        else
            throw LayoutError("--only: '" + ShortText(item) +
                              "' is none of raise, change1, change2, buy");
    }
    return s;
}

// The table as typed; refuses what cannot be a layout.
TLayout ReadLayout(const AnalyseOptions& o, std::vector<TCardRec>& out) {
    if (o.Cards.empty()) throw LayoutError("--cards is required: the player's five cards");
    if (o.Dealer.empty()) throw LayoutError("--dealer is required: the dealer's open card");
    const std::vector<TCardRec> player = ParseCards(o.Cards);
    if (player.size() != 5)
        throw LayoutError("--cards needs the player's five cards, got " +
                          std::to_string(player.size()));
    TLayout layout;
    for (int i = 1; i <= 5; ++i) layout.Player[i].Card = player[i - 1];
    layout.Dealer = ParseCard(o.Dealer);
    layout.Bought.FaceUp = !o.Bought.empty();
    if (layout.Bought.FaceUp) layout.Bought.Card = ParseCard(o.Bought);
    out = ParseCards(o.Out);

    std::vector<TCardRec> seen(player);
    if (layout.Bought.FaceUp) seen.push_back(layout.Bought.Card);
    for (const TCardRec& c : seen)
        if (SameCard(c, layout.Dealer))
            throw LayoutError("the dealer's card " + CardNotation(c) +
                              " is also among the player's cards");
    for (const TCardRec& c : out)
        if (SameCard(c, layout.Dealer))
            throw LayoutError("the dealer's card " + CardNotation(c) + " is listed in --out");
    seen.insert(seen.end(), out.begin(), out.end());
    for (size_t i = 0; i < seen.size(); ++i)
        for (size_t j = i + 1; j < seen.size(); ++j)
            if (SameCard(seen[i], seen[j]))
                throw LayoutError("the card " + CardNotation(seen[i]) + " is given twice");
    return layout;
}

TRules ReadRules(const AnalyseOptions& o) {
    TRulesControls controls = RuleSetControls(o.RuleSet.Set, '.');
    controls.Insurance = !o.NoInsurance;
    controls.AKPlays = !o.NoAK;
    controls.PriceChange1 = o.PriceChange1;
    controls.PriceChange2 = o.PriceChange2;
    controls.PriceBuy6 = o.PriceBuy6;
    SetPayouts(o.Pay, controls);
    TRules rules;
    FillRulesFromOptions(controls, rules);
    return rules;
}

// The table and deck one command runs on: freshly rebuilt (EV Buy and EV 2 Change with the
// bought card turned face down), then the cards known to be out of play taken out.
void PrepareRun(LayoutCommand command, const TLayout& layout, const std::vector<TCardRec>& out,
                TLayout& table, TDeck& deck) {
    table = layout;
    if (command == LayoutCommand::Buy || command == LayoutCommand::Change2)
        table.Bought.FaceUp = false;
    RebuildDeck(deck, table);
    for (const TCardRec& c : out) deck.Take(c);
}

nlohmann::ordered_json RaiseJson(const TCommandResult& r, bool akPlays) {
    nlohmann::ordered_json classes = nlohmann::ordered_json::array();
    for (int k = akPlays ? 1 : 2; k <= 10; ++k) {
        const ClassOutcome& c = r.PerClass[k];
        classes.push_back({{"combo", 1 << k},
                           {"total", c.Total},
                           {"won", c.Won},
                           {"lost", c.Lost},
                           {"push", c.Push}});
    }
    return {{"mo", r.Value},    {"S", r.Outcome.S}, {"W", r.Outcome.W},  {"L", r.Outcome.L},
            {"P", r.Outcome.P}, {"N", r.Outcome.N}, {"classes", classes}};
}

std::string JoinCards(const std::vector<TCardRec>& cards) {
    std::string text;
    for (const TCardRec& c : cards) {
        if (!text.empty()) text += ' ';
        text += CardNotation(c);
    }
    return text;
}

std::vector<TCardRec> PlayerCards(const TLayout& layout) {
    std::vector<TCardRec> cards;
    for (int i = 1; i <= 5; ++i) cards.push_back(layout.Player[i].Card);
    return cards;
}

// The layout a table of options belongs to: "AH KS XC 3C XD / XS, bought 5D, out 2C 7H".
std::string LayoutText(const TLayout& layout, const std::vector<TCardRec>& out) {
    std::string text = JoinCards(PlayerCards(layout)) + " / " + CardNotation(layout.Dealer);
    if (layout.Bought.FaceUp) text += ", bought " + CardNotation(layout.Bought.Card);
    if (!out.empty()) text += ", out " + JoinCards(out);
    return text;
}

const char* KindCode(TOptionKind kind) {
    switch (kind) {
    case TOptionKind::Pass:
        return "pass";
    case TOptionKind::Raise:
        return "raise";
    case TOptionKind::Exchange1:
        return "exchange1";
    case TOptionKind::Exchange2:
        return "exchange2";
    case TOptionKind::Buy:
        return "buy";
    }
    return "";
}

// The slots whose cards the option gives away.
nlohmann::ordered_json Slots(const TPlayOption& option) {
    nlohmann::ordered_json slots = nlohmann::ordered_json::array();
    if (option.Kind == TOptionKind::Exchange1 || option.Kind == TOptionKind::Exchange2)
        slots.push_back(option.First);
    if (option.Kind == TOptionKind::Exchange2) slots.push_back(option.Second);
    return slots;
}

// --best: every option of the layout, each with its best continuation. A bought card lying face
// up makes a six-card hand with only pass and raise; five cards get every exchange of one card,
// of each pair of cards, and the purchase, whatever the rules let a box take in a run.
int RunBest(const AnalyseOptions& o) {
    TLayout layout, table;
    std::vector<TCardRec> out;
    TRules rules;
    TDeck deck;
    try {
        if (!o.Only.empty())
            throw LayoutError("--best values every option of the layout; it takes no --only");
        if (o.Detail)
            throw LayoutError("--best has no driver detail to print; it takes no --detail");
        layout = ReadLayout(o, out);
        rules = ReadRules(o);
        // Drawing two cards asks the most of the deck; a six-card hand draws none.
        const LayoutCommand check =
            layout.Bought.FaceUp ? LayoutCommand::Raise : LayoutCommand::Change2;
        PrepareRun(check, layout, out, table, deck);
        const std::string why = LayoutRefusal(check, table, deck, false);
        if (!why.empty()) throw LayoutError(why);
    } catch (const std::exception& e) {
        std::cerr << "kvarlen-cli analyse: " << e.what() << "\n";
        return 2;
    }

    TOptionRequest every;
    every.Exchange1 = every.Exchange2 = every.Buy = true;
    const THand hand = ReadPlayerHand(table);
    TOptionTable options = BestPlayOptions(deck, hand, table.Dealer, rules, every);
    AttachMOValues(options, deck, hand, table.Dealer, rules);

    if (!o.Json) {
        auto number = [](double v) { return Pad(FormatFixed(v, 9, 7, ','), 10, true); };
        std::cout << LayoutText(layout, out) << "\n";
        for (size_t i = 0; i < options.Options.size(); ++i) {
            const TPlayOption& p = options.Options[i];
            std::string line = (static_cast<int>(i) == options.Best ? "* " : "  ") +
                               Pad(OptionCode(p), 12, false) + "  value " + number(p.Value) +
                               "  cost " + number(p.Cost);
            if (p.HasMO) line += "  MO " + number(p.MO);
            if (p.Insurance > 0) line += "  insurance " + std::to_string(p.Insurance);
            std::cout << line << "\n";
        }
        return 0;
    }

    THand classified = hand;
    EvaluateHand(classified, rules.AKPlays);
    nlohmann::ordered_json j;
    nlohmann::ordered_json where;
    where["text"] = LayoutText(layout, out);
    where["cards"] = JoinCards(PlayerCards(layout));
    where["dealer"] = CardNotation(layout.Dealer);
    where["bought"] = layout.Bought.FaceUp
                          ? nlohmann::ordered_json(CardNotation(layout.Bought.Card))
                          : nlohmann::ordered_json();
    where["out"] = JoinCards(out);
    j["layout"] = where;
    j["combo"] = classified.Combo;
    j["combo_name"] = TrimRight(ComboName(classified.Combo));
    j["insurance_offered"] = rules.Insurance;
    j["rule_set"] = RuleSetLabel(o.RuleSet, rules, PayTable);
    j["best"] = OptionCode(options.BestOption());
    nlohmann::ordered_json list = nlohmann::ordered_json::array();
    for (size_t i = 0; i < options.Options.size(); ++i) {
        const TPlayOption& p = options.Options[i];
        nlohmann::ordered_json e;
        e["kind"] = KindCode(p.Kind);
        e["code"] = OptionCode(p);
        e["name"] = OptionName(p);
        e["slots"] = Slots(p);
        e["value"] = p.Value;
        e["cost"] = p.Cost;
        e["price"] = p.Price;
        if (p.HasMO) e["mo"] = p.MO;
        e["insurance"] = p.Insurance;
        e["draws"] = p.Draws;
        e["raises"] = p.Raises;
        e["insures"] = p.Insures;
        e["best"] = static_cast<int>(i) == options.Best;
        list.push_back(e);
    }
    j["options"] = list;
    std::cout << j.dump(2) << "\n";
    return 0;
}

int RunAnalyse(const AnalyseOptions& o) {
    if (o.Best) return RunBest(o);
    TLayout layout;
    std::vector<TCardRec> out;
    TRules rules;
    Selection only;
    std::vector<LayoutCommand> commands;
    try {
        layout = ReadLayout(o, out);
        only = ParseOnly(o.Only);
        rules = ReadRules(o);
        if (only.Raise) commands.push_back(LayoutCommand::Raise);
        if (only.Change1) commands.push_back(LayoutCommand::Change1);
        if (only.Change2) commands.push_back(LayoutCommand::Change2);
        if (only.Buy) commands.push_back(LayoutCommand::Buy);
        // Every command must be able to run before any of them computes.
        for (LayoutCommand c : commands) {
            TLayout table;
            TDeck deck;
            PrepareRun(c, layout, out, table, deck);
            const std::string why = LayoutRefusal(c, table, deck, false);
            if (!why.empty()) throw LayoutError(why);
        }
    } catch (const std::exception& e) {
        std::cerr << "kvarlen-cli analyse: " << e.what() << "\n";
        return 2;
    }

    TAnalysisSwitches switches;
    switches.AKExist = rules.AKPlays;
    switches.Fast = !o.NoFast;
    switches.Separator = ',';
    TextSink text;
    SilentSink silent;
    TDetailSink* sink = o.Detail ? (o.Json ? static_cast<TDetailSink*>(&silent) : &text) : nullptr;

    THand hand = ReadPlayerHand(layout);
    EvaluateHand(hand, rules.AKPlays);
    nlohmann::ordered_json j;
    j["combo"] = hand.Combo;
    j["combo_name"] = TrimRight(ComboName(hand.Combo));
    j["rank1"] = hand.Rank1;
    j["rank2"] = hand.Rank2;
    j["rule_set"] = RuleSetLabel(o.RuleSet, rules, PayTable);

    for (LayoutCommand c : commands) {
        TLayout table;
        TDeck deck;
        PrepareRun(c, layout, out, table, deck);
        const TCommandResult r = RunLayoutCommand(c, table, deck, false, rules, switches, sink);
        if (!r.Ok) {
            std::cerr << "kvarlen-cli analyse: " << r.Status << "\n";
            return 2;
        }
        if (!o.Json) {
            text.FlushGrid();
            std::cout << r.Line << "\n";
            continue;
        }
        switch (c) {
        case LayoutCommand::Raise:
            j["raise"] = RaiseJson(r, rules.AKPlays);
            break;
        case LayoutCommand::Change1:
            j["change1"] = {{"mo",
                             {r.PerPosition[1], r.PerPosition[2], r.PerPosition[3],
                              r.PerPosition[4], r.PerPosition[5]}},
                            {"best_position", r.First},
                            {"best_mo", r.Value}};
            break;
        case LayoutCommand::Change2: {
            nlohmann::ordered_json pairs = nlohmann::ordered_json::array();
            for (int i = 0; i < r.PairCount && i < 10; ++i)
                pairs.push_back({{"first", r.Pairs[i].First},
                                 {"second", r.Pairs[i].Second},
                                 {"mo", r.Pairs[i].MO}});
            j["change2"] = {{"pairs", pairs},
                            {"best_first", r.First},
                            {"best_second", r.Second},
                            {"best_mo", r.Value}};
            break;
        }
        case LayoutCommand::Buy:
            j["buy"] = {{"mo", r.Value}};
            break;
        }
    }
    if (o.Json) std::cout << j.dump(2) << "\n";
    return 0;
}

} // namespace

void AddAnalyseCommand(CLI::App& app, int& status) {
    auto opts = std::make_shared<AnalyseOptions>();
    auto* cmd = app.add_subcommand("analyse", "Exact expected values of raising, exchanging one or "
                                              "two cards and buying a sixth for one layout");
    cmd->add_option("--cards", opts->Cards, "The player's five cards, e.g. \"AH KS XC 3C XD\"");
    cmd->add_option("--dealer", opts->Dealer, "The dealer's open card, e.g. XS");
    cmd->add_option("--bought", opts->Bought, "A bought sixth card lying face up");
    cmd->add_option("--out", opts->Out, "Cards known to be out of play, e.g. \"2C 7H\"");
    AddRuleSetOption(cmd, opts->RuleSet);
    cmd->add_flag("--no-ak", opts->NoAK, "Ace + king does not play");
    cmd->add_flag("--no-insurance", opts->NoInsurance, "No insurance (for --best)");
    cmd->add_option("--price-change1", opts->PriceChange1, "Price of exchanging one card")
        ->capture_default_str();
    cmd->add_option("--price-change2", opts->PriceChange2, "Price of exchanging two cards")
        ->capture_default_str();
    cmd->add_option("--price-buy6", opts->PriceBuy6, "Price of buying a sixth card")
        ->capture_default_str();
    cmd->add_option("--pay", opts->Pay,
                    "Payouts from ace + king up to the royal flush, e.g. "
                    "\"1,1,2,3,4,5,7,20,50,100\"");
    cmd->add_flag("--no-fast", opts->NoFast,
                  "Let the two-card exchange break up pairs, two pairs, trips and full houses");
    cmd->add_flag("--detail", opts->Detail, "Print the drivers' detail (text output)");
    cmd->add_option("--only", opts->Only,
                    "Comma-separated subset of raise,change1,change2,buy (default all)");
    cmd->add_flag("--best", opts->Best,
                  "Every option of the layout valued by best play (flushes ranked, insurance by "
                  "its exact value), the best marked with *, the MO value beside");
    cmd->add_flag("--json", opts->Json, "JSON output");
    cmd->callback(
        [opts, cmd, &status]() { status = ApplyRuleSet(*cmd, *opts) ? RunAnalyse(*opts) : 2; });
}

} // namespace kvarlen::cli
