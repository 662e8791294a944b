// The analysis commands of the layout page: they hand the table to the toolkit-free layout
// commands and show the line, the detail and the timing; "анализ" shows the table of every option
// by best play.
#include "analysis/best_play.h"
#include "ui/MainWindow.h"
#include "ui/common/Messages.h"
#include "ui/common/WidgetHelpers.h"

#include <QApplication>
#include <QCheckBox>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QStatusBar>
#include <QTableWidget>
#include <QTextDocument>

#include <chrono>
#include <exception>
#include <string>
#include <vector>

namespace kvarlen {

namespace {

// The raise table goes to the grid, the exchange lines to the memo.
class TWindowDetail : public TDetailSink {
  public:
    TWindowDetail(QTableWidget* grid, QPlainTextEdit* memo) : grid_(grid), memo_(memo) {}

    void PrepareRaiseGrid() override {
        grid_->setColumnCount(9);
        grid_->setRowCount(13);
        for (int c = 1; c <= 8; ++c) grid_->setColumnWidth(c, GridNumberColumnWidth(grid_));
        PrepareGridCells(grid_);
    }
    void SetCell(int col, int row, const std::string& text) override {
        if (col < 0 || row < 0 || col >= grid_->columnCount() || row >= grid_->rowCount()) return;
        if (!grid_->item(row, col)) PrepareGridCells(grid_);
        grid_->item(row, col)->setText(QString::fromStdString(text));
    }
    void AddLine(const std::string& line) override {
        memo_->appendPlainText(QString::fromStdString(line));
    }
    char Separator() const override { return DecimalSeparator(); }

  private:
    QTableWidget* grid_;
    QPlainTextEdit* memo_;
};

// A card as the page names it: "10 Треф".
std::string CardName(const TCardRec& c) {
    auto trimmed = [](std::string t) {
        while (!t.empty() && t.back() == ' ') t.pop_back();
        return t;
    };
    return trimmed(ValueText(c.Value)) + " " + trimmed(SuitName(c.Suit));
}

std::string Number(double v, char sep) {
    return FormatFixed(v, 9, 4, sep);
}

// Pads to a width in characters (the names are Cyrillic UTF-8).
std::string PadTo(const std::string& s, int width, bool right) {
    const int w = static_cast<int>(QString::fromStdString(s).size());
    if (w >= width) return s;
    const std::string fill(static_cast<size_t>(width - w), ' ');
    return right ? fill + s : s + fill;
}

// The layout the table belongs to: the player's cards, the dealer's, a bought card lying face up
// and the cards out of play besides the table's.
std::string LayoutLine(const TLayout& layout, const TDeck& view) {
    std::string line = "расклад:";
    for (int i = 1; i <= 5; ++i)
        line += std::string(i == 1 ? " " : ", ") + CardName(layout.Player[i].Card);
    if (layout.Bought.FaceUp) line += ", куплена " + CardName(layout.Bought.Card);
    line += "; дилер " + CardName(layout.Dealer);
    std::string out;
    for (int index = 1; index <= 52; ++index) {
        if (view[index].Value > 0) continue;
        TCardRec c;
        c.Suit = static_cast<uint8_t>((index - 1) / 13 + 1);
        c.Value = (index - 1) % 13 + 1;
        bool onTable = layout.Bought.FaceUp && SameCard(c, layout.Bought.Card);
        for (int i = 1; i <= 5; ++i)
            onTable = onTable || (layout.Player[i].FaceUp && SameCard(c, layout.Player[i].Card));
        if (onTable) continue;
        if (!out.empty()) out += ", ";
        out += CardName(c);
    }
    if (!out.empty()) line += "; вне игры: " + out;
    return line;
}

// The memo lines of a table of options: the layout, the best with the next best, then every
// option with its value and what it costs against the best, in columns under a heading.
std::vector<std::string> OptionLines(const TOptionTable& table, const TLayout& layout,
                                     const TDeck& view, char sep) {
    std::vector<std::string> lines{LayoutLine(layout, view)};
    const TPlayOption& best = table.BestOption();
    int next = -1;
    for (int i = 0; i < static_cast<int>(table.Options.size()); ++i)
        if (i != table.Best && (next < 0 || table.Options[static_cast<size_t>(i)].Value >
                                                table.Options[static_cast<size_t>(next)].Value))
            next = i;
    std::string head = "лучше всего: " + OptionName(best) + ", MO " + Number(best.Value, sep);
    if (next >= 0) {
        const TPlayOption& second = table.Options[static_cast<size_t>(next)];
        head += "; " + OptionName(second) + " дороже на " + Number(best.Value - second.Value, sep);
    }
    lines.push_back(head);
    // The longest name, "обмен 1-й и 2-й карт", is 20 characters.
    lines.push_back(PadTo("вариант", 20, false) + PadTo("MO", 8, true) + "  дороже на");
    for (size_t i = 0; i < table.Options.size(); ++i) {
        const TPlayOption& o = table.Options[i];
        std::string line = PadTo(OptionName(o), 20, false) + PadTo(Number(o.Value, sep), 8, true) +
                           PadTo(Number(o.Cost, sep), 8, true);
        if (static_cast<int>(i) == table.Best) line += "  лучше всего";
        if (o.Insurance > 0) line += "  страховка " + std::to_string(o.Insurance);
        lines.push_back(line);
    }
    return lines;
}

} // namespace

void TForm1::ButtonBestClick() {
    TRules rules;
    if (!AnalysisMayStart(rules)) return;
    const TLayout layout = ReadLayout();
    // A bought card face up makes six cards, which only pass or raise: refused as EV Raise
    // refuses. Five cards may exchange two: refused as EV 2 Change refuses (a face-down player
    // card among them).
    const LayoutCommand check =
        layout.Bought.FaceUp ? LayoutCommand::Raise : LayoutCommand::Change2;
    const std::string why = LayoutRefusal(check, layout, Deck, DeckDirty);
    if (!why.empty()) {
        StatusBar1->showMessage(QString::fromStdString(why));
        return;
    }
    TDeck view = Deck;
    if (DeckDirty) RebuildDeck(view, layout);
    TCardRec open;
    open.Suit = layout.Dealer.Suit;
    open.Value = layout.Dealer.Value;
    TOptionRequest every;
    every.Exchange1 = every.Exchange2 = every.Buy = true;

    analysing_ = true;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const auto start = std::chrono::steady_clock::now();
    TOptionTable table;
    QString failure;
    try {
        table = BestPlayOptions(view, ReadPlayerHand(layout), open, rules, every);
    } catch (const std::exception& e) {
        failure = QString::fromStdString(e.what());
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    QApplication::restoreOverrideCursor();
    analysing_ = false;
    if (!failure.isEmpty()) {
        ShowModalMessage(this, failure);
        return;
    }
    // As the EV commands, the rebuilt deck stays the window's.
    if (DeckDirty) Deck = view;
    const char sep = DecimalSeparator();
    const std::vector<std::string> lines = OptionLines(table, layout, view, sep);
    for (const std::string& line : lines) Memo1->appendPlainText(QString::fromStdString(line));
    // The table is longer than the memo is high: show it from its layout line and the best.
    Memo1->verticalScrollBar()->setValue(Memo1->document()->blockCount() -
                                         static_cast<int>(lines.size()));
    Memo1->horizontalScrollBar()->setValue(0);
    StatusBar1->showMessage(
        QString::fromStdString("Расчет занял " + FormatFixed(seconds, 5, 3, sep) + " сек."));
}

bool TForm1::AnalysisMayStart(TRules& rules) {
    if (analysing_) return false;
    // A simulation lets the window handle clicks between its deals; the analysis waits.
    if (simulating_) {
        StatusBar1->showMessage("Идёт симуляция: дождитесь её конца или остановите (СТОП, Esc)");
        return false;
    }
    // Its worker threads read PayTable, which FillRules below rewrites.
    if (ExactRunning()) {
        StatusBar1->showMessage("Идёт точный расчёт: дождитесь его конца или остановите его");
        return false;
    }
    try {
        FillRules(ReadRulesControls(), rules);
    } catch (const std::exception& e) {
        ShowModalMessage(this, QString::fromStdString(e.what()));
        return false;
    }
    return true;
}

void TForm1::RunAnalysis(LayoutCommand command) {
    TRules rules;
    if (!AnalysisMayStart(rules)) return;
    TLayout layout = ReadLayout();
    TAnalysisSwitches switches;
    switches.AKExist = AK_exist->isChecked();
    switches.Fast = CheckBox11->isChecked();
    switches.Separator = DecimalSeparator();
    TWindowDetail detail(StringGrid3, Memo1);

    analysing_ = true;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    TCommandResult result;
    QString failure;
    try {
        result = RunLayoutCommand(command, layout, Deck, DeckDirty, rules, switches,
                                  CheckBox2->isChecked() ? &detail : nullptr);
    } catch (const std::exception& e) {
        failure = QString::fromStdString(e.what());
    }
    QApplication::restoreOverrideCursor();
    analysing_ = false;

    // EV Buy and EV 2 Change may have turned the bought card face down.
    if (BuyedCard->ShowDeck() == layout.Bought.FaceUp) {
        BuyedCard->SetShowDeck(!layout.Bought.FaceUp);
        BuyedCard->update();
    }
    if (!failure.isEmpty()) {
        ShowModalMessage(this, failure);
        return;
    }
    if (result.Ok) Memo1->appendPlainText(QString::fromStdString(result.Line));
    StatusBar1->showMessage(QString::fromStdString(result.Status));
}

void TForm1::Button2Click() {
    RunAnalysis(LayoutCommand::Raise);
}

void TForm1::Button12Click() {
    RunAnalysis(LayoutCommand::Buy);
}

void TForm1::Button10Click() {
    RunAnalysis(LayoutCommand::Change1);
}

void TForm1::Button13Click() {
    RunAnalysis(LayoutCommand::Change2);
}

} // namespace kvarlen
