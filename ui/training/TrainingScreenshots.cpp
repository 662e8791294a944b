// Pictures of the page "тренажёр" for --screenshot, played by the page's own keys.
#include "ui/MainWindow.h"
#include "ui/training/TrainingPage.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QSpinBox>
#include <QTabWidget>

namespace kvarlen {

using namespace training;

namespace {

// The key of the best option, or of the dearest one when wrong is set.
std::string KeyOf(const TPricedDecision& p, bool wrong) {
    int chosen = p.Best;
    if (wrong)
        for (int i = 0; i < static_cast<int>(p.Options.size()); ++i)
            if (p.CostOf(i) > p.CostOf(chosen)) chosen = i;
    return p.Options[static_cast<size_t>(chosen)].Key;
}

// Plays the session to its end: best play but for a mistake every `every` decisions.
void PlaySession(TTrainingPage& page, int every) {
    int decisions = 0;
    for (int guard = 0; page.Playing() && guard < 10000; ++guard) {
        const TStep step = page.Session()->Step();
        if (step == TStep::Decision) {
            const TPricedDecision* p = page.Priced();
            page.Press(KeyOf(*p, ++decisions % every == 0));
        } else {
            page.Press("ENTER");
        }
    }
}

} // namespace

bool SaveTrainingScreenshots(TForm1& form, TTrainingPage& page, const QString& folder) {
    const QDir dir(folder);
    bool ok = true;
    // The sessions go into a history of their own beside the pictures, never the user's.
    const QString history = dir.absoluteFilePath("training-history.sqlite");
    for (const QString& suffix : {QString(), QString("-wal"), QString("-shm")})
        QFile::remove(history + suffix);
    const QString oldPath = page.TrainHistoryPath->text();
    const bool oldKeep = page.TrainKeepHistory->isChecked();
    const QString oldSeed = page.TrainSeed->text(), oldDeals = page.TrainDeals->text();
    const int oldBoxes = page.TrainBoxes->value(), oldInfo = page.TrainInfo->currentIndex();
    const int oldFeedback = page.TrainFeedback->currentIndex();
    const int oldDrill = page.TrainDrill->currentIndex();
    const int start = form.PageControl1->currentIndex();

    form.PageControl1->setCurrentWidget(&page);
    page.TrainKeepHistory->setChecked(true);
    page.TrainHistoryPath->setText(history);
    page.TrainFeedback->setCurrentIndex(0);
    page.TrainDrill->setCurrentIndex(0);
    page.TrainBoxes->setValue(1);
    page.TrainDeals->setText("8");
    // Six sessions, the mistakes getting rarer: the progress the chart is for.
    for (int s = 0; s < 6; ++s) {
        page.TrainSeed->setText(QString::number(101 + s));
        if (!page.Start()) return false;
        PlaySession(page, 2 + 2 * s);
    }
    page.TrainTabs->setCurrentIndex(1);
    QApplication::processEvents();
    ok &= form.grab().save(dir.filePath("training-progress.png"));

    // Two boxes by the beacon: play on to the first dear mistake and show its judgement.
    page.TrainTabs->setCurrentIndex(0);
    page.TrainBoxes->setValue(2);
    page.TrainInfo->setCurrentIndex(1);
    page.TrainSeed->setText("7");
    page.TrainDeals->clear();
    if (!page.Start()) return false;
    for (int guard = 0; page.Playing() && guard < 2000; ++guard) {
        const TStep step = page.Session()->Step();
        if (step == TStep::Review) break;
        if (step != TStep::Decision) {
            page.Press("ENTER");
            continue;
        }
        const TPricedDecision* p = page.Priced();
        const bool dear = page.Session()->Point().Box == 2 &&
                          p->CostOf(static_cast<int>(p->Options.size()) - 1) > 0.05;
        page.Press(KeyOf(*p, dear));
    }
    QApplication::processEvents();
    ok &= form.grab().save(dir.filePath("training-mistake.png"));
    page.Finish();

    page.TrainKeepHistory->setChecked(oldKeep);
    page.TrainHistoryPath->setText(oldPath);
    page.TrainSeed->setText(oldSeed);
    page.TrainDeals->setText(oldDeals);
    page.TrainBoxes->setValue(oldBoxes);
    page.TrainInfo->setCurrentIndex(oldInfo);
    page.TrainFeedback->setCurrentIndex(oldFeedback);
    page.TrainDrill->setCurrentIndex(oldDrill);
    form.PageControl1->setCurrentIndex(start);
    return ok;
}

} // namespace kvarlen
