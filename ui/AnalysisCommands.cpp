// The analysis commands of the layout page: they hand the table to the toolkit-free layout
// commands and show the line, the detail and the timing.
#include "ui/MainWindow.h"
#include "ui/Messages.h"
#include "ui/WidgetHelpers.h"

#include <QApplication>
#include <QCheckBox>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <QTableWidget>

#include <exception>

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

} // namespace

void TForm1::RunAnalysis(LayoutCommand command) {
    if (analysing_) return;
    // A simulation lets the window handle clicks between its deals; the analysis waits.
    if (simulating_) {
        StatusBar1->showMessage("Идёт симуляция: дождитесь её конца или остановите (СТОП, Esc)");
        return;
    }
    // Its worker threads read PayTable, which FillRules below rewrites.
    if (ExactRunning()) {
        StatusBar1->showMessage("Идёт точный расчёт: дождитесь его конца или остановите его");
        return;
    }
    TRules rules;
    try {
        FillRules(ReadRulesControls(), rules);
    } catch (const std::exception& e) {
        ShowModalMessage(this, QString::fromStdString(e.what()));
        return;
    }
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
