// Pictures of the page "точный расчёт" for --screenshot.
#include "ui/MainWindow.h"
#include "ui/common/ChartExport.h"
#include "ui/common/SvgPicture.h"
#include "ui/exact/ExactPage.h"
#include "ui/exact/ExactSweep.h"

#include <QChartView>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QThread>

#include <functional>

namespace kvarlen {

namespace {

// Runs the message loop until the page's run ends; calls `during` once after `after` seconds.
void WaitForRun(TExactPage* page, double after, const std::function<void()>& during) {
    QElapsedTimer clock;
    clock.start();
    bool called = false;
    while (page->Running()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        QThread::msleep(20);
        if (!called && clock.elapsed() > after * 1000) {
            called = true;
            if (during) during();
        }
    }
    QCoreApplication::processEvents();
}

} // namespace

bool SaveExactScreenshots(TForm1& form, const QString& folder) {
    const QDir dir(folder);
    TExactPage* page = form.ExactPage();
    form.PageControl1->setCurrentWidget(page);
    bool ok = true;
    page->ExactIdeal->setChecked(true);
    page->SetPart(1, 400);
    if (page->Start()) WaitForRun(page, 0, {});
    ok &= form.grab().save(dir.filePath("exact-default-part.png"));

    // The classic game: every layout, as the published table counts it.
    const bool buy = form.CheckBox8->isChecked(), insurance = form.CheckBox5->isChecked();
    form.CheckBox8->setChecked(false);
    form.CheckBox5->setChecked(false);
    page->SetPart(1, 1);
    if (page->Start())
        WaitForRun(page, 1.5, [&] { ok &= form.grab().save(dir.filePath("exact-running.png")); });
    ok &= form.grab().save(dir.filePath("exact-classic.png"));
    // The chart as its buttons save it.
    ok &= SavePicture(page->ExactChart, dir.filePath("exact-chart-saved.png"), nullptr);
    ok &= SavePicture(page->ExactChart, dir.filePath("exact-chart-saved.svg"), nullptr);
    // The decisions of the classic game, on the page and as saved.
    page->ExactTabs->setCurrentWidget(page->ExactDecisions);
    QCoreApplication::processEvents();
    ok &= form.grab().save(dir.filePath("exact-decisions.png"));
    ok &= SavePicture(page->ExactDecisions, dir.filePath("exact-decisions-saved.png"), nullptr);
    ok &= SavePicture(page->ExactDecisions, dir.filePath("exact-decisions-saved.svg"), nullptr);
    form.CheckBox8->setChecked(buy);
    form.CheckBox5->setChecked(insurance);

    // The rule curve on a slice of the default rules (quick): the price of the sixth card, then
    // the payout of a flush, each with a target edge of 2 %.
    TExactSweepPanel* sweep = page->ExactSweep;
    page->ExactTabs->setCurrentWidget(sweep);
    page->ExactOptimal->setChecked(true);
    page->SetPart(1, 100);
    struct TShot {
        const char* Parameter;
        const char* Name;
    };
    for (const TShot& shot :
         {TShot{"price-buy6", "exact-sweep-price"}, TShot{"pay-flush", "exact-sweep-payout"}}) {
        sweep->SweepParameter->setCurrentIndex(sweep->SweepParameter->findData(shot.Parameter));
        sweep->SweepTarget->setText("2");
        if (page->Start()) WaitForRun(page, 0, {});
        ok &= form.grab().save(dir.filePath(QString(shot.Name) + ".png"));
        ok &= SavePicture(sweep->SweepChart, dir.filePath(QString(shot.Name) + "-saved.svg"),
                          nullptr);
    }
    page->ExactTabs->setCurrentIndex(0);
    page->ExactIdeal->setChecked(true);
    page->SetPart(1, 1);

    // The default rules stopped after a few seconds: the counts, no value of the game.
    if (page->Start()) {
        WaitForRun(page, 3, [&] {
            ok &= form.grab().save(dir.filePath("exact-default-running.png"));
            page->Stop();
        });
    }
    ok &= form.grab().save(dir.filePath("exact-stopped.png"));
    return ok;
}

} // namespace kvarlen
