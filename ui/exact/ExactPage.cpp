#include "ui/exact/ExactPage.h"

#include "cards/numfmt.h"
#include "exact/exact_compare.h"
#include "exact/exact_pictures.h"
#include "exact/exact_report.h"
#include "simulation/text_files.h"
#include "ui/MainWindow.h"
#include "ui/common/ChartExport.h"
#include "ui/common/Messages.h"
#include "ui/common/SvgPicture.h"
#include "ui/exact/ExactChart.h"
#include "ui/exact/ExactRunner.h"
#include "ui/exact/ExactSweep.h"
#include "ui/exact/ExactTable.h"

#include <QChartView>
#include <QCheckBox>
#include <QClipboard>
#include <QDir>
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
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <exception>

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
    // The window's width is not the messages' to set: the label takes the width it is given
    // and wraps within a fixed two lines (a long file name is cut; the tooltip has it whole).
    ExactStatus->setWordWrap(true);
    ExactStatus->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    ExactStatus->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    auto* progressColumn = new QVBoxLayout;
    progressColumn->addWidget(ExactProgress);
    progressColumn->addWidget(ExactStatus);

    ExactCopy = new QPushButton("копировать");
    ExactCopy->setObjectName("ExactCopy");
    ExactCopy->setToolTip("Таблица в буфер обмена, столбцы через табуляцию");
    ExactSave = new QPushButton("сохранить CSV…");
    ExactSave->setObjectName("ExactSave");
    ExactSave->setToolTip("Таблица в файл CSV (запятая между полями, десятичная точка)");
    // The chart's buttons stand with the table's: under the chart they would take the height
    // its eighteen labels need.
    ExactChartSave = new QPushButton;
    ExactChartSave->setObjectName("ExactChartSave");
    ExactChartSave->setText("сохранить график…");
    ExactChartSave->setToolTip("График в файл PNG или SVG (и в контекстном меню графика)");
    ExactChartCopy = new QPushButton;
    ExactChartCopy->setObjectName("ExactChartCopy");
    ExactChartCopy->setText("копировать график");
    ExactChartCopy->setToolTip("Картинка графика в буфер обмена");
    auto* fileColumn = new QVBoxLayout;
    fileColumn->setSpacing(2);
    for (QAbstractButton* b : std::initializer_list<QAbstractButton*>{
             ExactCopy, ExactSave, ExactChartSave, ExactChartCopy}) {
        b->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
        fileColumn->addWidget(b);
    }

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

    ExactChart = new QChartView;
    ExactChart->setObjectName("ExactChart");
    ExactChart->setRenderHint(QPainter::Antialiasing);
    ExactChart->setMinimumSize(200, 220);
    ResetExactChart(ExactChart);
    AddPictureMenu(ExactChart, "вклад-событий");

    auto* middle = new QHBoxLayout;
    middle->addWidget(ExactGrid);
    middle->addWidget(ExactChart, 1);

    ExactSummary = new QPlainTextEdit;
    ExactSummary->setObjectName("ExactSummary");
    ExactSummary->setReadOnly(true);
    ExactSummary->setLineWrapMode(QPlainTextEdit::WidgetWidth);

    auto* returnTab = new QWidget;
    auto* returnColumn = new QVBoxLayout(returnTab);
    returnColumn->setContentsMargins(4, 4, 4, 4);
    returnColumn->addLayout(middle, 1);
    returnColumn->addWidget(ExactSummary);

    ExactDecisions = new TSvgPicture;
    ExactDecisions->setObjectName("ExactDecisions");
    ExactDecisions->setMinimumSize(420, 300);
    ExactDecisions->SetDrawing({}, "Здесь будет карта решений посчитанной игры: по строкам — "
                                   "сданная комбинация, по столбцам — открытая карта дилера");
    AddPictureMenu(ExactDecisions, "решения");

    // The payout as typed, for the default range (prices have fixed ones). Not through
    // FillRules: it writes PayTable, which a run going on reads.
    ExactSweep = new TExactSweepPanel([this](const TSweepParameter& p) {
        if (p.Payout == 0) return 1.0;
        try {
            return static_cast<double>(
                StrToInt(form_.ReadRulesControls().Pay[static_cast<size_t>(p.Payout - 1)]));
        } catch (const std::exception&) {
            return static_cast<double>(PayTable[static_cast<size_t>(p.Payout)]);
        }
    });

    ExactTabs = new QTabWidget;
    ExactTabs->setObjectName("ExactTabs");
    ExactTabs->addTab(returnTab, "таблица возврата");
    ExactTabs->addTab(ExactDecisions, "решения");
    ExactTabs->addTab(ExactSweep, "кривая правил");
    ExactTabs->setTabToolTip(1, "Доли паса, рейза, покупки и обмена и средний итог для каждой "
                                "сданной комбинации и открытой карты дилера");
    ExactTabs->setTabToolTip(2, "Край дома как функция цены или выплаты: СТАРТ на этой вкладке "
                                "считает все точки за один проход и ищет значение для цели");

    auto* column = new QVBoxLayout(this);
    column->addLayout(top);
    column->addWidget(ExactTabs, 1);

    FitToFont();
    connect(ExactStart, &QPushButton::clicked, this, [this] { StartClick(); });
    connect(ExactCopy, &QPushButton::clicked, this, [this] { CopyTable(); });
    connect(ExactSave, &QPushButton::clicked, this, [this] { SaveCsv(); });
    connect(ExactChartSave, &QPushButton::clicked, this, [this] {
        const int tab = ExactTabs->currentIndex();
        SavePictureAs(CurrentPicture(), tab == 0   ? "вклад-событий"
                                        : tab == 1 ? "решения"
                                                   : "кривая-края-дома");
    });
    connect(ExactChartCopy, &QPushButton::clicked, this, [this] { CopyPicture(CurrentPicture()); });
    connect(ExactTabs, &QTabWidget::currentChanged, this, [this] {
        if (!Running()) ShowIdle();
    });
    connect(runner_, &TExactRunner::SweepFinished, this, &TExactPage::OnSweepFinished);
    connect(runner_, &TExactRunner::Progress, this, &TExactPage::OnProgress);
    connect(runner_, &TExactRunner::Finished, this, &TExactPage::OnFinished);
    connect(runner_, &TExactRunner::Failed, this, &TExactPage::OnFailed);
    ShowIdle();
}

TExactPage::~TExactPage() {
    StopAndWait();
}

void TExactPage::FitToFont() {
    ExactGrid->verticalHeader()->setDefaultSectionSize(ExactGrid->fontMetrics().height() + 2);
    ExactStatus->setFixedHeight(2 * ExactStatus->fontMetrics().lineSpacing() + 2);
    ExactSummary->setFixedHeight(ExactSummary->fontMetrics().lineSpacing() * 7 +
                                 2 * ExactSummary->frameWidth() + 10);
    FitGridColumns();
}

void TExactPage::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    // The window's font reaches the page once it is placed in the window: sized by the font of
    // before, the grid would change its width with the first result.
    if (event->type() == QEvent::FontChange) FitToFont();
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

bool TExactPage::CanStart() {
    if (Running()) {
        SetStatus("Расчёт уже идёт: дождитесь его конца или остановите (СТОП)");
        return false;
    }
    // The simulation deals on this thread between its passes of the message loop.
    if (form_.Simulating()) {
        SetStatus("Идёт симуляция: дождитесь её конца или остановите её");
        return false;
    }
    return true;
}

bool TExactPage::Start() {
    if (ExactTabs->currentWidget() == ExactSweep) return StartSweep();
    if (!CanStart()) return false;
    TExactSettings s;
    if (!ReadSettings(&s)) return false;
    sweeping_ = false;
    comparing_ = ExactCompare->isChecked();
    ruleSetName_ = form_.RuleSetName();
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

bool TExactPage::ReadSettings(TExactSettings* s) {
    try {
        FillRules(form_.ReadRulesControls(), s->Rules);
    } catch (const std::exception& e) {
        ShowModalMessage(this, QString::fromStdString(e.what()));
        return false;
    }
    s->Mode = ExactStrategy->isChecked()  ? TExactMode::Strategy
              : ExactOptimal->isChecked() ? TExactMode::Optimal
                                          : TExactMode::Ideal;
    s->DealerAK = form_.AK_exist->isChecked();
    s->RaiseAt2Matches = form_.CheckBox7->isChecked();
    s->PartIndex = partIndex_;
    s->PartCount = partCount_;
    return true;
}

bool TExactPage::StartSweep() {
    if (!CanStart()) return false;
    TExactSettings s;
    if (!ReadSettings(&s)) return false;
    TSweepOutcome outcome;
    QString error;
    // The payouts as they stand now: the run reads its own copy.
    if (!ExactSweep->Read(s, PayTable, &outcome, &error)) {
        SetStatus("Перебор не начат: " + error);
        ShowModalMessage(this, error);
        return false;
    }
    try {
        ValidateExactSettings(s);
    } catch (const TExactRefused& e) {
        ShowModalMessage(this, RefusalText(s, e));
        return false;
    }
    sweepRuleSet_ = form_.RuleSetName();
    sweeping_ = true;
    ExactSweep->Clear();
    runner_->StartSweep(outcome);
    ShowRunning("Остановить перебор", QString("Идёт перебор: %1 точек за один проход%2")
                                          .arg(outcome.Plan.Values.size())
                                          .arg(outcome.HasTarget ? ", затем поиск цели" : ""));
    UpdateButtons();
    return true;
}

void TExactPage::OnSweepFinished(std::shared_ptr<const TSweepOutcome> outcome) {
    sweeping_ = false;
    ExactSweep->Show(outcome, sweepRuleSet_);
    ShowIdle();
    const QString time = TimeText(outcome->Seconds);
    if (outcome->Complete) {
        ExactProgress->setValue(kProgressSteps);
        SetStatus("Перебор готов за " + time);
    } else {
        SetStatus("Перебор остановлен через " + time);
    }
}

void TExactPage::StartQueued() {
    const TExactSettings s = queue_.front();
    queue_.erase(queue_.begin());
    runner_->Start(s, queue_);
    ShowRunning("Остановить расчёт: таблица покажет посчитанную часть",
                comparing_
                    ? "Идёт точный расчёт: " + QString::fromStdString(ExactModeCaption(s.Mode))
                    : QString("Идёт точный расчёт"));
}

void TExactPage::ShowRunning(const QString& stopTip, const QString& status) {
    ExactStart->setText(kStop);
    ExactStart->setToolTip(stopTip);
    EnableModes(false);
    ExactProgress->setValue(0);
    ExactProgress->setFormat("%p% · оценка времени…");
    SetStatus(status);
}

void TExactPage::EnableModes(bool on) {
    ExactIdeal->setEnabled(on);
    ExactStrategy->setEnabled(on);
    ExactOptimal->setEnabled(on);
    // A sweep counts the mode chosen only.
    ExactCompare->setEnabled(on && ExactTabs->currentWidget() != ExactSweep);
}

void TExactPage::Stop() {
    if (!Running()) return;
    runner_->Stop();
    SetStatus("Расчёт останавливается…");
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
    const QString time = TimeText(seconds);
    if (complete) {
        ExactProgress->setValue(kProgressSteps);
        SetStatus("Готово за " + time);
    } else {
        SetStatus("Расчёт остановлен через " + time +
                  ": таблица неполная, она покрывает только посчитанные расклады");
    }
}

void TExactPage::OnFailed(const QString& message) {
    ShowIdle();
    SetStatus("Расчёт прерван ошибкой");
    ShowModalMessage(this, message);
}

void TExactPage::SetStatus(const QString& text) {
    ExactStatus->setText(text);
    ExactStatus->setToolTip(text);
}

QStringList TExactPage::SummaryLines(char sep) const {
    QStringList lines;
    if (!result_) return lines;
    if (comparing_) {
        lines << ExactComparisonText(compared_, sep);
        if (!strategyLeftOut_.isEmpty())
            lines << "Игра по стратегии не посчитана: " + strategyLeftOut_;
        lines << "";
    }
    lines << ExactSummaryLines(*result_, sep, ruleSetName_);
    return lines;
}

void TExactPage::ShowIdle() {
    ExactStart->setText(kStart);
    ExactStart->setToolTip("Посчитать каждую раздачу по правилам страниц «5+1» и «настройки»");
    if (ExactTabs->currentWidget() == ExactSweep)
        ExactStart->setToolTip("Перебрать цену или выплату: каждая точка — точный расчёт, все "
                               "за один проход по раскладам");
    EnableModes(true);
    ExactProgress->setFormat("%p%");
    UpdateButtons();
}

void TExactPage::UpdateButtons() {
    const int tab = ExactTabs->currentIndex();
    const bool sweep = ExactSweep->Outcome() != nullptr && !sweeping_;
    const bool table = tab == 2 ? sweep : result_ != nullptr;
    const bool picture = tab == 0   ? result_ != nullptr
                         : tab == 1 ? ExactDecisions->HasDrawing()
                                    : sweep && ExactSweep->SweepChart->HasDrawing();
    ExactCopy->setEnabled(table);
    ExactSave->setEnabled(table);
    ExactChartSave->setEnabled(picture);
    ExactChartCopy->setEnabled(picture);
}

QWidget* TExactPage::CurrentPicture() const {
    switch (ExactTabs->currentIndex()) {
    case 1:
        return ExactDecisions;
    case 2:
        return ExactSweep->SweepChart;
    default:
        return ExactChart;
    }
}

void TExactPage::ClearResult() {
    result_.reset();
    ExactGrid->setRowCount(0);
    ExactSummary->clear();
    ResetExactChart(ExactChart);
    ExactDecisions->SetDrawing({}, "Идёт точный расчёт…");
    UpdateButtons();
}

void TExactPage::FitGridColumns() {
    // The widest text each column can hold (15 digits of deals when a card can be received,
    // the return row in bold), so the grid keeps its width from run to run.
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
        if (c == 0) w = std::max(w, metrics.horizontalAdvance("возврат на раздачу"));
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
        for (int c = 0; c < 5; ++c) {
            auto* item = new QTableWidgetItem(cells.Rows[r][c]);
            item->setTextAlignment(c == 0 ? Qt::AlignLeft | Qt::AlignVCenter
                                          : Qt::AlignRight | Qt::AlignVCenter);
            // The return per deal is the figure of the game; the sum of the outcomes is not.
            if (cells.EngineRows[r] == kReturnRow) item->setFont(bold);
            if (cells.EngineRows[r] == kSubtotalRow) {
                QFont italic = ExactGrid->font();
                italic.setItalic(true);
                item->setFont(italic);
                item->setToolTip("Строки выше: каждая раздача кончается одной из них. Страховка "
                                 "и цена покупки или обмена идут ниже, в возврат на раздачу");
            }
            ExactGrid->setItem(r, c, item);
        }
    }
    FitGridColumns();
    ExactSummary->setPlainText(SummaryLines(DecimalSeparator()).join('\n'));
    DrawExactChart(ExactChart, cells, DecimalSeparator());
    // The picture keeps the result it was drawn from: a later run replaces it whole.
    std::shared_ptr<const TExactResult> shown = result_;
    ExactDecisions->SetDrawing([shown](int w, int h) {
        return DecisionChartSvg(*shown, w, h, TPictureLanguage::Russian, DecimalSeparator());
    });
}

namespace {

// The decision chart as a table: the header and a row for each dealt class and open card.
TExactTableCells DecisionCells(const TExactResult& r, char sep) {
    TExactTableCells cells;
    cells.Header = {"сдано", "открыта",   "раздач",     "пас",          "рейз",       "покупка",
                    "обмен", "итог паса", "итог рейза", "итог покупки", "итог обмена"};
    const std::vector<std::string> lines = ExactDecisionLines(r, sep);
    for (size_t i = 1; i < lines.size(); ++i) {
        QStringList row = QString::fromStdString(lines[i]).split(';');
        cells.Rows << row;
        cells.EngineRows << 0;
        cells.Contributions << 0;
    }
    return cells;
}

} // namespace

bool TExactPage::CopyTable() {
    const char sep = DecimalSeparator();
    const int tab = ExactTabs->currentIndex();
    if (tab == 2) {
        if (!ExactSweep->Outcome()) return false;
        QGuiApplication::clipboard()->setText(
            ExactTabText(ExactSweep->Cells(sep), ExactSweep->SummaryLines(sep)));
        SetStatus("Точки перебора скопированы в буфер обмена");
        return true;
    }
    if (!result_) return false;
    QGuiApplication::clipboard()->setText(
        tab == 1 ? ExactTabText(DecisionCells(*result_, sep))
                 : ExactTabText(ExactTableCells(*result_, sep), SummaryLines(sep)));
    SetStatus(tab == 1 ? "Карта решений скопирована в буфер обмена"
                       : "Таблица скопирована в буфер обмена");
    return true;
}

bool TExactPage::SaveCsv() {
    const int tab = ExactTabs->currentIndex();
    if (tab == 2 ? !ExactSweep->Outcome() : !result_) return false;
    const char* name = tab == 0 ? "exact.csv" : tab == 1 ? "decisions.csv" : "sweep.csv";
    const QString path = g_chooser->SaveCsvPath(this, QDir::current().filePath(name));
    if (path.isEmpty()) return false;
    const std::vector<std::string> lines =
        tab == 2   ? ExactCsvLines(ExactSweep->Cells('.'), ExactSweep->SummaryLines('.'))
        : tab == 1 ? ExactCsvLines(DecisionCells(*result_, '.'))
                   : ExactCsvLines(ExactTableCells(*result_, '.'), SummaryLines('.'));
    QByteArray bytes;
    for (const std::string& line : lines)
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
    SetStatus("Таблица сохранена: " + QDir::toNativeSeparators(path));
    return true;
}

} // namespace kvarlen
