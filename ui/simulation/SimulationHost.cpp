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
#include <QGroupBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTextBlock>

#include <algorithm>

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

QString TimeLeftText(int64_t elapsedMs, int64_t done, int64_t total) {
    if (done <= 0 || elapsedMs < 0) return QString();
    const int64_t left = done >= total ? 0 : (elapsedMs * (total - done) / done + 999) / 1000;
    const int64_t h = left / 3600, m = left / 60 % 60, sec = left % 60;
    const QString clock =
        h > 0 ? QString("%1:%2").arg(h).arg(m, 2, 10, QChar('0')) : QString("%1").arg(m);
    return QString("осталось %1:%2").arg(clock).arg(sec, 2, 10, QChar('0'));
}

void ShowRunProgress(QProgressBar* bar, int64_t done, int64_t total, int64_t elapsedMs) {
    // The bar counts in thousandths: a run's deals may pass its int range.
    const int64_t shown = std::clamp<int64_t>(done, 0, std::max<int64_t>(total, 1));
    bar->setRange(0, 1000);
    bar->setValue(static_cast<int>(shown * 1000 / std::max<int64_t>(total, 1)));
    const QString left = TimeLeftText(elapsedMs, shown, total);
    bar->setFormat(left.isEmpty() ? QString("%p%") : "%p%, " + left);
}

TWindowHost::TWindowHost(TForm1& form, bool ideal, uint32_t seed, int threads)
    : form_(form), trace_(form.TraceWindow()), ideal_(ideal), seed_(seed), threads_(threads) {}

std::string TWindowHost::RunTitle(int teamSize) const {
    QString t = "Прогон: " + (ideal_ ? form_.RadioButton1 : form_.RadioButton2)->text() +
                ", правила " + form_.RuleSetName() + ", боксов " + QString::number(teamSize);
    if (ideal_) {
        const QRadioButton* mode = form_.RadioButton3->isChecked()   ? form_.RadioButton3
                                   : form_.RadioButton5->isChecked() ? form_.RadioButton5
                                                                     : form_.RadioButton4;
        t += ", " + form_.RadioGroup2->title() + ": " + mode->text() +
             ", фильтр: " + form_.ComboBox4->currentText();
    }
    t += QString(", зерно %1, потоков %2").arg(seed_).arg(threads_);
    // The same seed deals otherwise from the library's generator.
    if (!form_.RND_CB->isChecked()) t += ", «" + form_.RND_CB->text() + "» выключен";
    return t.toStdString();
}

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
    s.ReportTitle = RunTitle(s.TeamSize);
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
    clock_.start();
    ShowRunProgress(form_.SimulationProgress, 0, settings_.DealsToPlay, -1);
}

void TWindowHost::Progress(int64_t deal, const std::string& caption) {
    form_.Button4->setText(QString::fromStdString(caption));
    ShowRunProgress(form_.SimulationProgress, deal, settings_.DealsToPlay, clock_.elapsed());
    QCoreApplication::processEvents();
}

void TWindowHost::Idle() {
    QCoreApplication::processEvents();
}

bool TWindowHost::StopRequested() {
    // Several streams ask here every 50 ms from the calling thread, which has nothing else to
    // do: the window stays alive between the progress points.
    if (threads_ > 1) QCoreApplication::processEvents();
    return form_.SimulationStopRequested();
}

void TWindowHost::TraceInit() {
    if (!trace_) return;
    trace_->ShowBeside(&form_, form_.BankChart());
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

void TWindowHost::TraceDealResult(const TTracedDeal& deal) {
    if (trace_) trace_->ShowDealResult(deal, settings_.Separator);
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
