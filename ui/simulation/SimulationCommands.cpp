// START of the simulation page: strategy or ideal play with the window as host, from a seed on
// one or more threads, stopping a run, the bank chart after a strategy run, and saving the
// report.
#include "simulation/simulation_run.h"
#include "simulation/text_files.h"
#include "ui/MainWindow.h"
#include "ui/common/ChartExport.h"
#include "ui/common/Messages.h"
#include "ui/simulation/BankChart.h"
#include "ui/simulation/SimulationHost.h"
#include "ui/simulation/TraceUnit.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTextBlock>

#include <exception>

namespace kvarlen {

namespace {
// START's tooltip while a run goes on.
const char* const kStopHint = "Остановить симуляцию (F10 или Esc)";

// The generator works modulo 2^31 - 1 and sticks at 0: the seeds that deal differently.
constexpr int64_t kMaxSeed = 2147483646;

// The seed field: a number of 1..kMaxSeed, or empty for the tick count (as the program always
// seeded). False with the reason otherwise.
bool ReadSeed(const QString& field, uint32_t& seed, QString& error) {
    const QString text = field.trimmed();
    if (text.isEmpty()) {
        const uint32_t ticks = TickCount() % 2147483647u;
        seed = ticks == 0 ? 1 : ticks;
        return true;
    }
    int64_t value = 0;
    try {
        value = StrToInt(text.toStdString());
    } catch (const ConvertError& e) {
        error = QString::fromStdString(e.what());
        return false;
    }
    if (value < 1 || value > kMaxSeed) {
        error = QString("Зерно ГСЧ должно быть от 1 до %1, а не %2").arg(kMaxSeed).arg(value);
        return false;
    }
    seed = static_cast<uint32_t>(value);
    return true;
}
} // namespace

void TForm1::Button4Click() {
    // The message loop runs during a simulation: a second START is the stop button.
    if (simulating_) {
        StopSimulation();
        return;
    }
    if (analysing_) return;
    // Its worker threads read PayTable, which the run's FillRules rewrites.
    if (ExactRunning()) {
        ShowModalMessage(this, "Идёт точный расчёт: дождитесь его конца или остановите его на "
                               "странице «точный расчёт»");
        return;
    }
    // The game options are those of the page "5+1".
    if (PageControl2->currentWidget() != TabSheet5) return;
    const bool strategy = RadioButton2->isChecked();
    if (!strategy && !RadioButton1->isChecked()) return;

    uint32_t seed = 0;
    QString bad;
    if (!ReadSeed(SeedEdit->text(), seed, bad)) {
        ShowModalMessage(this, bad);
        return;
    }
    const int threads = ThreadsEdit->value();

    TWindowHost host(*this, !strategy, seed, threads);
    closing_ = false;
    const QString caption = Button4->text();
    const QString hint = Button4->toolTip();
    simulating_ = true;
    stopRequested_ = false;
    TRunOutcome outcome;
    QString failure;
    try {
        if (threads > 1) {
            // Streams of their own; the shared deck, generator and boxes stay as they were.
            TStreamOptions streams;
            streams.Threads = threads;
            streams.Seed = seed;
            streams.UseMyRandom = RND_CB->isChecked();
            outcome = RunSimulationStreams(host, !strategy, streams);
        } else {
            // Seeded as a stream of one is, so that the command line repeats the run.
            Generator.UseMyRandom = RND_CB->isChecked();
            Generator.SeedMyRandom(seed);
            Generator.SeedLibrary(seed);
            outcome = strategy ? SixCardSimulation(host, Deck, Generator, Boxes)
                               : IDEAL_SixCardSimulation(host, Deck, Generator, Boxes);
        }
    } catch (const std::exception& e) {
        failure = QString::fromStdString(e.what());
    }
    simulating_ = false;
    stopRequested_ = false;
    Button4->setToolTip(hint);
    if (!outcome.Ran) {
        // Refused before the first deal (it told why), or broken off by an error.
        Button4->setText(caption);
        if (!failure.isEmpty()) {
            DeckDirty = true; // it may have dealt from Deck
            ShowModalMessage(this, failure);
        }
        return;
    }
    // The share actually played: a stopped run shows where it stopped.
    ShowRunProgress(SimulationProgress, outcome.Result.Deals, outcome.Result.DealsAsked, -1);
    if (strategy && !closing_) {
        ShowBankChart(host.BankSeries(), outcome.Result);
    }
}

void TForm1::ShowRunStarted() {
    // Only now: a refused run (its message box open) never shows a stop button.
    Button4->setText("СТОП");
    Button4->setToolTip(kStopHint);
}

void TForm1::StopSimulation() {
    if (!simulating_) return;
    stopRequested_ = true;
    // A run waiting in the trace window goes on to notice the stop.
    if (trace_) trace_->Release();
}

void TForm1::ShowBankChart(const TBankSeries& series, const TRunResult& result) {
    // The banks did not all come through (the run said why): no chart.
    if (series.Deals == 0 || series.Deals != result.Deals) return;
    // One window, reused by every run, beside this one and never over it.
    if (!chart_) chart_ = new TBankChart(this);
    chart_->ShowSeries(series);
    chart_->ShowBeside(this, trace_);
}

void TForm1::SaveReportClick() {
    std::vector<std::string> lines;
    for (QTextBlock b = Memo3->document()->begin(); b.isValid(); b = b.next())
        lines.push_back(b.text().toStdString());
    if (Memo3->document()->isEmpty()) {
        ShowModalMessage(this, "Отчёта нет: сохранять нечего");
        return;
    }
    const QString suggested =
        QDir::current().filePath(QString("report_%1.txt").arg(QString::fromStdString(DateStamp())));
    const QString path =
        ChooseSaveFileName(this, "Сохранить отчёт", suggested, "Текст (*.txt);;Все файлы (*)");
    if (path.isEmpty()) return;
    // As the day's report file: Windows-1251 and CR LF, the old file kept when writing fails.
    std::string error;
    if (!WriteTextFile(QFile::encodeName(path).toStdString(), lines, error))
        ShowModalMessage(this, "Отчёт не сохранён: " + QString::fromStdString(error));
}

} // namespace kvarlen
