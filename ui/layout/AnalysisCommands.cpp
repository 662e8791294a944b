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
#include <QTextBlock>
#include <QTextDocument>

#include <chrono>
#include <exception>
#include <string>
#include <vector>

namespace kvarlen {

namespace {

const char* const kExactBusy = "Идёт точный расчёт: дождитесь его конца или остановите его";

void ClearGrid(QTableWidget* grid) {
    for (int r = 0; r < grid->rowCount(); ++r)
        for (int c = 0; c < grid->columnCount(); ++c)
            if (QTableWidgetItem* item = grid->item(r, c)) item->setText(QString());
}

// The raise table goes to the grid; the exchange lines are kept for the memo, where the layout
// they belong to is named first.
class TWindowDetail : public TDetailSink {
  public:
    explicit TWindowDetail(QTableWidget* grid) : grid_(grid) {}

    void PrepareRaiseGrid() override {
        grid_->setColumnCount(9);
        grid_->setRowCount(13);
        for (int c = 1; c <= 8; ++c) grid_->setColumnWidth(c, GridNumberColumnWidth(grid_));
        PrepareGridCells(grid_);
        // The raise fills only the player's own class row with won and lost counts.
        ClearGrid(grid_);
    }
    void SetCell(int col, int row, const std::string& text) override {
        if (col < 0 || row < 0 || col >= grid_->columnCount() || row >= grid_->rowCount()) return;
        if (!grid_->item(row, col)) PrepareGridCells(grid_);
        grid_->item(row, col)->setText(QString::fromStdString(text));
    }
    void AddLine(const std::string& line) override { Lines.push_back(line); }
    char Separator() const override { return DecimalSeparator(); }

    std::vector<std::string> Lines;

  private:
    QTableWidget* grid_;
};

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

const char* const kLayoutMark = "расклад: ";

// The layout a result belongs to, in the notation the layout field takes: the player's cards,
// the dealer's, a bought card lying face up and the cards out of play besides the table's.
std::string LayoutLine(const TLayout& layout, const TDeck& view) {
    return kLayoutMark + LayoutNotation(layout, CardsOutOfPlay(layout, view));
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
        // The table there belongs to another layout.
        ClearRaiseGrid();
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
    KeepRaiseGridOf(lines.front(), false);
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
        StatusBar1->showMessage(kExactBusy);
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
    TWindowDetail detail(StringGrid3);

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
    TableChanged();
    if (!failure.isEmpty()) {
        ShowModalMessage(this, failure);
        return;
    }
    if (result.Ok) {
        // layout and Deck are now what the command ran on.
        NameLayoutInMemo(layout, Deck);
        KeepRaiseGridOf(LayoutLine(layout, Deck),
                        command == LayoutCommand::Raise && CheckBox2->isChecked());
        for (const std::string& line : detail.Lines)
            Memo1->appendPlainText(QString::fromStdString(line));
        Memo1->appendPlainText(QString::fromStdString(result.Line));
    } else {
        ClearRaiseGrid();
    }
    StatusBar1->showMessage(QString::fromStdString(result.Status));
}

void TForm1::NameLayoutInMemo(const TLayout& layout, const TDeck& deck) {
    const QString line = QString::fromStdString(LayoutLine(layout, deck));
    // Named once for the results that follow it.
    for (QTextBlock block = Memo1->document()->lastBlock(); block.isValid();
         block = block.previous())
        if (block.text().startsWith(kLayoutMark)) {
            if (block.text() == line) return;
            break;
        }
    Memo1->appendPlainText(line);
}

void TForm1::ClearRaiseGrid() {
    ClearGrid(StringGrid3);
    raiseGridLayout_.clear();
}

void TForm1::KeepRaiseGridOf(const std::string& layoutLine, bool filled) {
    if (filled)
        raiseGridLayout_ = layoutLine;
    else if (layoutLine != raiseGridLayout_)
        ClearRaiseGrid();
}

void TForm1::ExactRunEnded() {
    // A comparison goes on with its next run.
    if (!ExactRunning() && StatusBar1->currentMessage() == kExactBusy) StatusBar1->clearMessage();
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
