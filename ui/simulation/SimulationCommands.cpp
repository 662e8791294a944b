// START of the simulation page: strategy or ideal play with the window as host, stopping a
// run, and the bank chart after a strategy run.
#include "simulation/simulation_run.h"
#include "simulation/text_files.h"
#include "ui/MainWindow.h"
#include "ui/common/Messages.h"
#include "ui/simulation/BankChart.h"
#include "ui/simulation/SimulationHost.h"
#include "ui/simulation/TraceUnit.h"

#include <QFile>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>

#include <exception>

namespace kvarlen {

namespace {
// Points per line of the bank chart: the lowest and highest bank of each of these many runs of
// deals.
const char* const kStopHint = "Остановить симуляцию (или Esc)";
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

    TWindowHost host(*this, !strategy);
    closing_ = false;
    const QString caption = Button4->text();
    const QString hint = Button4->toolTip();
    simulating_ = true;
    stopRequested_ = false;
    TRunOutcome outcome;
    QString failure;
    try {
        outcome = strategy ? SixCardSimulation(host, Deck, Generator, Boxes)
                           : IDEAL_SixCardSimulation(host, Deck, Generator, Boxes);
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
    chart_->ShowBeside(this);
}

} // namespace kvarlen
