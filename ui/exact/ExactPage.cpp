#include "ui/exact/ExactPage.h"

#include "exact/exact_compare.h"
#include "simulation/text_files.h"
#include "ui/MainWindow.h"
#include "ui/common/Messages.h"
#include "ui/exact/ExactChart.h"
#include "ui/exact/ExactRunner.h"
#include "ui/exact/ExactTable.h"

#include <QChartView>
#include <QCheckBox>
#include <QClipboard>
#include <QDir>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSaveFile>
#include <QScrollBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QThread>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <exception>
#include <functional>

namespace kvarlen {

namespace {

class TDialogChooser : public TExactFileChooser {
  public:
    QString SaveCsvPath(QWidget* parent, const QString& suggested) override {
        return QFileDialog::getSaveFileName(parent, "Сохранить таблицу", suggested,
                                            "Таблицы CSV (*.csv)");
    }
};

TDialogChooser g_dialog;
TExactFileChooser* g_chooser = &g_dialog;

const char* const kStart = "СТАРТ";
const char* const kStop = "СТОП";
// Bars of the progress: fine enough for a run of many minutes.
constexpr int kProgressSteps = 1000;

// The engine's refusals that the window's controls can cause, in the window's language.
QString RefusalText(const TExactSettings& s, const TExactRefused& refused) {
    if (s.Mode == TExactMode::Strategy && s.Rules.DealerGameBuy != 0)
        return "Игру по стратегии с покупкой игры дилеру нельзя посчитать точно за разумное "
               "время: выберите «покупки игры дилеру нет» или идеальную игру.";
    if (DecidesByValues(s.Mode) && s.Rules.Exchange1 && s.Rules.Buy6)
        return "Обмен 1 карты и покупка 6 карты исключают друг друга: оставьте одно из них.";
    return QString::fromStdString(refused.what());
}

QString TimeText(double seconds) {
    const long long s = std::llround(seconds);
    if (s < 60) return QString("%1 с").arg(s);
    if (s < 3600) return QString("%1 мин %2 с").arg(s / 60).arg(s % 60, 2, 10, QChar('0'));
    return QString("%1 ч %2 мин").arg(s / 3600).arg((s % 3600) / 60, 2, 10, QChar('0'));
}

} // namespace

TExactFileChooser* SetExactFileChooser(TExactFileChooser* chooser) {
    TExactFileChooser* old = g_chooser;
    g_chooser = chooser ? chooser : &g_dialog;
    return old;
}

TExactPage::TExactPage(TForm1& form, QWidget* parent) : QWidget(parent), form_(form) {
    setObjectName("TabSheetExact");
    runner_ = new TExactRunner(this);

    auto* modes = new QVBoxLayout;
    ExactIdeal = new QRadioButton("идеальная игра");
    ExactIdeal->setObjectName("ExactIdeal");
    ExactIdeal->setToolTip("Решения по точным МО: рейз, покупка или обмен, страховка");
    ExactIdeal->setChecked(true);
    ExactStrategy = new QRadioButton("игра по стратегии");
    ExactStrategy->setObjectName("ExactStrategy");
    ExactStrategy->setToolTip("Решения по правилам стратегии, как в симуляции");
    ExactOptimal = new QRadioButton("лучшая игра");
    ExactOptimal->setObjectName("ExactOptimal");
    ExactOptimal->setToolTip("Лучшая игра: каждый вариант оценён точно по расчёту игры (флэш "
                             "против флэша по старшинству, страховка по её точной цене)");
    ExactCompare = new QCheckBox("сравнить три игры");
    ExactCompare->setObjectName("ExactCompare");
    ExactCompare->setToolTip("СТАРТ считает лучшую, идеальную игру и игру по стратегии и "
                             "показывает, во что каждое правило обходится против лучшей игры");
    modes->addWidget(ExactOptimal);
    modes->addWidget(ExactIdeal);
    modes->addWidget(ExactStrategy);
    modes->addWidget(ExactCompare);

    ExactStart = new QPushButton(kStart);
    ExactStart->setObjectName("ExactStart");
    QFont bold = ExactStart->font();
    bold.setBold(true);
    bold.setPointSize(bold.pointSize() + 2);
    ExactStart->setFont(bold);
    ExactStart->setMinimumSize(ExactStart->fontMetrics().horizontalAdvance("СТАРТ") + 40, 34);

    // The progress bar carries the time left; the line under it what the page did last.
    ExactProgress = new QProgressBar;
    ExactProgress->setObjectName("ExactProgress");
    ExactProgress->setRange(0, kProgressSteps);
    ExactProgress->setValue(0);
    ExactProgress->setMinimumWidth(160);
    ExactStatus = new QLabel;
    ExactStatus->setObjectName("ExactStatus");
    ExactStatus->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* progressColumn = new QVBoxLayout;
    progressColumn->addWidget(ExactProgress);
    progressColumn->addWidget(ExactStatus);

    ExactCopy = new QPushButton("копировать");
    ExactCopy->setObjectName("ExactCopy");
    ExactCopy->setToolTip("Таблица в буфер обмена, столбцы через табуляцию");
    ExactSave = new QPushButton("сохранить CSV…");
    ExactSave->setObjectName("ExactSave");
    ExactSave->setToolTip("Таблица в файл CSV (запятая между полями, десятичная точка)");
    auto* fileColumn = new QVBoxLayout;
    fileColumn->addWidget(ExactCopy);
    fileColumn->addWidget(ExactSave);

    auto* top = new QHBoxLayout;
    top->addLayout(modes);
    top->addWidget(ExactStart, 0, Qt::AlignVCenter);
    top->addLayout(progressColumn, 1);
    top->addLayout(fileColumn);

    ExactGrid = new QTableWidget(0, 5);
    ExactGrid->setObjectName("ExactGrid");
    // Two-line captions keep the numeric columns narrow and leave the chart its room.
    ExactGrid->setHorizontalHeaderLabels(
        {"событие", "раздач", "вероятность", "итог\nна анте", "вклад\nв возврат"});
    ExactGrid->verticalHeader()->hide();
    ExactGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ExactGrid->setSelectionBehavior(QAbstractItemView::SelectRows);
    ExactGrid->setWordWrap(false);
    ExactGrid->verticalHeader()->setMinimumSectionSize(10);
    ExactGrid->verticalHeader()->setDefaultSectionSize(ExactGrid->fontMetrics().height() + 2);
    FitGridColumns();

    ExactChart = new QChartView;
    ExactChart->setObjectName("ExactChart");
    ExactChart->setRenderHint(QPainter::Antialiasing);
    ExactChart->setMinimumSize(200, 220);
    ResetExactChart(ExactChart);

    auto* middle = new QHBoxLayout;
    middle->addWidget(ExactGrid);
    middle->addWidget(ExactChart, 1);

    ExactSummary = new QPlainTextEdit;
    ExactSummary->setObjectName("ExactSummary");
    ExactSummary->setReadOnly(true);
    ExactSummary->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    ExactSummary->setFixedHeight(ExactSummary->fontMetrics().lineSpacing() * 7 +
                                 2 * ExactSummary->frameWidth() + 10);

    auto* column = new QVBoxLayout(this);
    column->addLayout(top);
    column->addLayout(middle, 1);
    column->addWidget(ExactSummary);

    connect(ExactStart, &QPushButton::clicked, this, [this] { StartClick(); });
    connect(ExactCopy, &QPushButton::clicked, this, [this] { CopyTable(); });
    connect(ExactSave, &QPushButton::clicked, this, [this] { SaveCsv(); });
    connect(runner_, &TExactRunner::Progress, this, &TExactPage::OnProgress);
    connect(runner_, &TExactRunner::Finished, this, &TExactPage::OnFinished);
    connect(runner_, &TExactRunner::Failed, this, &TExactPage::OnFailed);
    ShowIdle();
}

TExactPage::~TExactPage() {
    StopAndWait();
}

void TExactPage::SetPart(int k, int n) {
    partIndex_ = k;
    partCount_ = n;
}

bool TExactPage::Running() const {
    return runner_->Running();
}

void TExactPage::StartClick() {
    if (Running())
        Stop();
    else
        Start();
}

bool TExactPage::Start() {
    if (Running()) {
        ExactStatus->setText("Расчёт уже идёт: дождитесь его конца или остановите (СТОП)");
        return false;
    }
    // The simulation deals on this thread between its passes of the message loop.
    if (form_.Simulating()) {
        ExactStatus->setText("Идёт симуляция: дождитесь её конца или остановите её");
        return false;
    }
    TExactSettings s;
    try {
        FillRules(form_.ReadRulesControls(), s.Rules);
    } catch (const std::exception& e) {
        ShowModalMessage(this, QString::fromStdString(e.what()));
        return false;
    }
    s.Mode = ExactStrategy->isChecked()  ? TExactMode::Strategy
             : ExactOptimal->isChecked() ? TExactMode::Optimal
                                         : TExactMode::Ideal;
    s.DealerAK = form_.AK_exist->isChecked();
    s.RaiseAt2Matches = form_.CheckBox7->isChecked();
    s.PartIndex = partIndex_;
    s.PartCount = partCount_;
    comparing_ = ExactCompare->isChecked();
    queue_.clear();
    compared_.clear();
    strategyLeftOut_.clear();
    if (comparing_) {
        // Best play first: its table is the one the page shows.
        for (TExactMode m : {TExactMode::Optimal, TExactMode::Ideal, TExactMode::Strategy}) {
            TExactSettings each = s;
            each.Mode = m;
            if (m == TExactMode::Strategy && s.Rules.Exchange1) {
                strategyLeftOut_ = "игра по стратегии не меняет карт";
                continue;
            }
            try {
                ValidateExactSettings(each);
            } catch (const TExactRefused& e) {
                if (m != TExactMode::Strategy) {
                    ShowModalMessage(this, RefusalText(each, e));
                    return false;
                }
                strategyLeftOut_ = RefusalText(each, e);
                continue;
            }
            queue_.push_back(each);
        }
        ClearResult();
        StartQueued();
        return true;
    }
    try {
        ValidateExactSettings(s);
    } catch (const TExactRefused& e) {
        ShowModalMessage(this, RefusalText(s, e));
        return false;
    }
    ClearResult();
    queue_.push_back(s);
    StartQueued();
    return true;
}

void TExactPage::StartQueued() {
    const TExactSettings s = queue_.front();
    queue_.erase(queue_.begin());
    runner_->Start(s);
    ExactStart->setText(kStop);
    ExactStart->setToolTip("Остановить расчёт: таблица покажет посчитанную часть");
    EnableModes(false);
    ExactProgress->setValue(0);
    ExactProgress->setFormat("%p% · оценка времени…");
    ExactStatus->setText(comparing_ ? "Идёт точный расчёт: " +
                                          QString::fromStdString(ExactModeCaption(s.Mode))
                                    : QString("Идёт точный расчёт"));
}

void TExactPage::EnableModes(bool on) {
    ExactIdeal->setEnabled(on);
    ExactStrategy->setEnabled(on);
    ExactOptimal->setEnabled(on);
    ExactCompare->setEnabled(on);
}

void TExactPage::Stop() {
    if (!Running()) return;
    runner_->Stop();
    ExactStatus->setText("Расчёт останавливается…");
}

void TExactPage::StopAndWait() {
    if (!Running()) return;
    runner_->StopAndWait();
    ShowIdle();
}

void TExactPage::OnProgress(quint64 done, quint64 total, double secondsLeft) {
    const int value =
        total > 0 ? static_cast<int>(static_cast<double>(done) / total * kProgressSteps) : 0;
    ExactProgress->setValue(value);
    if (runner_->StopRequested()) return;
    ExactProgress->setFormat(secondsLeft < 0 ? "%p% · оценка времени…"
                                             : "%p% · осталось около " + TimeText(secondsLeft));
}

void TExactPage::OnFinished(std::shared_ptr<const TExactResult> result) {
    bool complete = result->Complete;
    double seconds = result->Seconds;
    if (comparing_) {
        compared_.push_back(*result);
        if (complete && !queue_.empty()) {
            StartQueued();
            return;
        }
        seconds = 0;
        for (const TExactResult& r : compared_) seconds += r.Seconds;
        // The table shows best play; a stop during a later run leaves the comparison short.
        result = std::make_shared<const TExactResult>(compared_.front());
    }
    result_ = std::move(result);
    ShowIdle();
    ShowResult();
    if (comparing_) {
        QStringList lines = ExactComparisonText(compared_, DecimalSeparator());
        if (!strategyLeftOut_.isEmpty())
            lines << "Игра по стратегии не посчитана: " + strategyLeftOut_;
        lines << "";
        lines << ExactSummaryLines(*result_, DecimalSeparator());
        ExactSummary->setPlainText(lines.join('\n'));
    }
    const QString time = TimeText(seconds);
    if (complete) {
        ExactProgress->setValue(kProgressSteps);
        ExactStatus->setText("Готово за " + time);
    } else {
        ExactStatus->setText("Расчёт остановлен через " + time +
                             ": таблица неполная, она покрывает только посчитанные расклады");
    }
}

void TExactPage::OnFailed(const QString& message) {
    ShowIdle();
    ExactStatus->setText("Расчёт прерван ошибкой");
    ShowModalMessage(this, message);
}

void TExactPage::ShowIdle() {
    ExactStart->setText(kStart);
    ExactStart->setToolTip("Посчитать каждую раздачу по правилам страниц «5+1» и «настройки»");
    EnableModes(true);
    ExactProgress->setFormat("%p%");
    ExactCopy->setEnabled(result_ != nullptr);
    ExactSave->setEnabled(result_ != nullptr);
}

void TExactPage::ClearResult() {
    result_.reset();
    ExactGrid->setRowCount(0);
    ExactSummary->clear();
    ResetExactChart(ExactChart);
    ExactCopy->setEnabled(false);
    ExactSave->setEnabled(false);
}

void TExactPage::FitGridColumns() {
    // The widest text each column can hold (15 digits of deals when a card can be received,
    // the numbers of the total row in bold), so the grid keeps its width from run to run.
    static const char* const kWidest[5][3] = {
        {"выигрыш: туз+король", "выигрыш: стритфлэш", "страховка выплачена"},
        {"999999999999999", "", ""},
        {"0,00000000", "", ""},
        {"-101,0000", "", ""},
        {"-0,00000000", "", ""}};
    QFont bold = ExactGrid->font();
    bold.setBold(true);
    const QFontMetrics metrics(bold);
    const QFontMetrics header(ExactGrid->horizontalHeader()->font());
    const QFontMetrics plain(ExactGrid->font());
    int width = 2 * ExactGrid->frameWidth() + ExactGrid->verticalScrollBar()->sizeHint().width();
    for (int c = 0; c < 5; ++c) {
        int w = 0;
        for (const char* text : kWidest[c])
            w = std::max(w, (c == 0 ? plain : metrics).horizontalAdvance(QString::fromUtf8(text)));
        for (const QString& line : ExactGrid->horizontalHeaderItem(c)->text().split('\n'))
            w = std::max(w, header.horizontalAdvance(line));
        ExactGrid->setColumnWidth(c, w + 8);
        width += w + 8;
    }
    ExactGrid->setFixedWidth(width);
}

void TExactPage::ShowResult() {
    const TExactTableCells cells = ExactTableCells(*result_, DecimalSeparator());
    ExactGrid->setRowCount(static_cast<int>(cells.Rows.size()));
    QFont bold = ExactGrid->font();
    bold.setBold(true);
    for (int r = 0; r < cells.Rows.size(); ++r) {
        const bool total = cells.EngineRows[r] < 0;
        for (int c = 0; c < 5; ++c) {
            auto* item = new QTableWidgetItem(cells.Rows[r][c]);
            item->setTextAlignment(c == 0 ? Qt::AlignLeft | Qt::AlignVCenter
                                          : Qt::AlignRight | Qt::AlignVCenter);
            if (total) item->setFont(bold);
            ExactGrid->setItem(r, c, item);
        }
    }
    FitGridColumns();
    ExactSummary->setPlainText(ExactSummaryLines(*result_, DecimalSeparator()).join('\n'));
    DrawExactChart(ExactChart, cells, DecimalSeparator());
}

bool TExactPage::CopyTable() {
    if (!result_) return false;
    QGuiApplication::clipboard()->setText(
        ExactTabText(ExactTableCells(*result_, DecimalSeparator())));
    ExactStatus->setText("Таблица скопирована в буфер обмена");
    return true;
}

bool TExactPage::SaveCsv() {
    if (!result_) return false;
    const QString path = g_chooser->SaveCsvPath(this, QDir::current().filePath("exact.csv"));
    if (path.isEmpty()) return false;
    QByteArray bytes;
    for (const std::string& line : ExactCsvLines(ExactTableCells(*result_, '.')))
        bytes += QByteArray::fromStdString(ToCp1251(line)) + "\r\n";
    // Written beside the target and renamed over it: a failed save leaves an old file whole.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        ShowModalMessage(this, "Не удалось сохранить таблицу в файл «" +
                                   QDir::toNativeSeparators(path) + "»: " + reason);
        return false;
    }
    ExactStatus->setText("Таблица сохранена: " + QDir::toNativeSeparators(path));
    return true;
}

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
    form.CheckBox8->setChecked(buy);
    form.CheckBox5->setChecked(insurance);
    return ok;
}

} // namespace kvarlen
