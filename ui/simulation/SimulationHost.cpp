#include "ui/simulation/SimulationHost.h"

#include "simulation/text_files.h"
#include "ui/MainWindow.h"
#include "ui/common/Messages.h"
#include "ui/simulation/TraceUnit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTextBlock>

namespace kvarlen {

namespace {
std::string Text(const QString& s) {
    return s.toStdString();
}
// Paths as the file system spells them.
std::string FilePath(const QString& path) {
    return QFile::encodeName(path).toStdString();
}
} // namespace

TWindowHost::TWindowHost(TForm1& form, bool ideal)
    : form_(form), trace_(form.TraceWindow()), ideal_(ideal) {}

TRunSettings TWindowHost::ReadRunSettings() {
    TRunSettings s;
    // A field that is not a number abandons the run: leave the payout table as it was.
    const TPayTable saved = PayTable;
    try {
        FillRules(form_.ReadRulesControls(), s.Rules);
        s.TeamSize = StrToInt(Text(form_.ComboBox1->currentText()));
        s.InitialBank = StrToInt(Text(form_.Edit1->text()));
        s.DealsToPlay = StrToInt(Text(form_.Edit4->text()));
    } catch (...) {
        PayTable = saved;
        throw;
    }
    s.DealerAK = form_.AK_exist->isChecked();
    s.OutDir = FilePath(QDir::currentPath());
    s.DbfPath = FilePath(form_.HistoryTablePath);
    if (form_.DealLogCB->isChecked()) {
        const QString name = form_.DealLogEdit->text().trimmed();
        if (name.isEmpty()) throw ConvertError("Не указан файл журнала раздач");
        s.DealLogPath = FilePath(QDir::current().absoluteFilePath(name));
    }
    // Fixed now, so that a run over midnight still finds its own bank file.
    s.Date = DateStamp();
    s.Separator = DecimalSeparator();
    settings_ = s;
    return s;
}

void TWindowHost::ReadLiveOptions(TLiveOptions& o) {
    o.Statistics = form_.CheckBox3->isChecked();
    o.GameLog = form_.CheckBox6->isChecked();
    o.Trace = form_.TraceCB->isChecked();
    o.RaiseAt2Matches = form_.CheckBox7->isChecked();
    if (!ideal_) return;
    // "любые" is the text of no item: any deal.
    const int filter = form_.ComboBox4->findText(form_.ComboBox4->currentText(),
                                                 Qt::MatchExactly | Qt::MatchCaseSensitive);
    o.Filter = filter < 0 ? 0 : filter;
    if (form_.RadioButton3->isChecked())
        o.Mode = TInfoMode::InTurn;
    else if (form_.RadioButton5->isChecked())
        o.Mode = TInfoMode::FullExchange;
    else
        o.Mode = TInfoMode::Beacon;
    o.DbfHistory = form_.DBF_cb->isChecked();
    o.DbfDrawColumns = form_.CheckBox10->isChecked();
}

void TWindowHost::RunStarted() {
    form_.ShowRunStarted();
}

void TWindowHost::Progress(int64_t, const std::string& caption) {
    form_.Button4->setText(QString::fromStdString(caption));
    QCoreApplication::processEvents();
}

void TWindowHost::Idle() {
    QCoreApplication::processEvents();
}

bool TWindowHost::StopRequested() {
    return form_.SimulationStopRequested();
}

void TWindowHost::TraceInit() {
    if (!trace_) return;
    trace_->ShowBeside(&form_);
    trace_->Init();
}

void TWindowHost::ClearTable() {
    if (!trace_) return;
    // Tracing switched on again after "Trace off" or after the window was closed.
    if (!trace_->isVisible() || !trace_->PicturesLoaded()) TraceInit();
    trace_->ClearTable();
}

void TWindowHost::Trace_DrawDHand(const THand& hand, int left, int top) {
    if (trace_) trace_->Trace_DrawDHand(hand, left, top);
}

void TWindowHost::Trace_DrawPHand(const THand& hand, int left, int top, int openValue) {
    if (trace_) trace_->Trace_DrawPHand(hand, left, top, openValue);
}

void TWindowHost::DrawRaiseDecision(bool raise, int left, int top) {
    if (trace_) trace_->DrawRaiseDecision(raise, left, top);
}

void TWindowHost::DrawInsurDecision(int32_t sum, int left, int top) {
    if (trace_) trace_->DrawInsurDecision(sum, left, top);
}

void TWindowHost::WaitForReadKey() {
    // A stop asked for during this deal ends the run instead of waiting for it.
    if (trace_ && !form_.SimulationStopRequested()) trace_->WaitForReadKey();
}

void TWindowHost::Message(const std::string& text) {
    ShowModalMessage(&form_, QString::fromStdString(text));
}

void TWindowHost::AppendReport(const std::vector<std::string>& lines) {
    QPlainTextEdit* memo = form_.Memo3;
    const bool empty = memo->document()->isEmpty();
    const int first = empty ? 0 : memo->document()->blockCount();
    for (const std::string& line : lines) memo->appendPlainText(QString::fromStdString(line));
    // Show the new report from its first line (the nets, MO and variance), not its tail.
    memo->verticalScrollBar()->setValue(first);
}

std::vector<std::string> TWindowHost::MemoLines() {
    std::vector<std::string> lines;
    for (QTextBlock b = form_.Memo3->document()->begin(); b.isValid(); b = b.next())
        lines.push_back(b.text().toStdString());
    return lines;
}

void TWindowHost::SetMathFields(const TMathInputs& math) {
    form_.ShowMathInputs(math.MO, math.Variance);
}

void TWindowHost::BankLogReady(const std::vector<TBankLogPart>& parts) {
    int64_t deals = 0;
    for (const TBankLogPart& p : parts) deals += p.Log->Count();
    const std::array<double, 3> initial{static_cast<double>(settings_.InitialBank),
                                        static_cast<double>(settings_.InitialBank),
                                        static_cast<double>(settings_.InitialBank)};
    TBankSeriesBuilder builder(settings_.TeamSize, initial, deals, kBankChartPoints);
    bool complete = true;
    for (const TBankLogPart& p : parts)
        complete = p.Log->ForEach([&](double b1, double b2, double b3) {
            builder.Add(b1 + p.Offset[0], b2 + p.Offset[1], b3 + p.Offset[2]);
        }) && complete;
    // A log that lost its scratch file cannot be drawn faithfully: no chart then.
    bankSeries_ = complete ? builder.Finish() : TBankSeries();
}

void TWindowHost::SetStartCaption(const std::string& caption) {
    form_.Button4->setText(QString::fromStdString(caption));
}

void TWindowHost::MarkDeckDirty() {
    form_.DeckDirty = true;
}

} // namespace kvarlen
