#include "ui/training/TrainingPage.h"

#include "cards/classify.h"
#include "cards/notation.h"
#include "cards/numfmt.h"
#include "cards/rules.h"
#include "ui/MainWindow.h"
#include "ui/common/Card.h"
#include "ui/common/Messages.h"
#include "ui/training/TrainingMessages.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QPushButton>
#include <QScatterSeries>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableWidget>
#include <QTextEdit>
#include <QVBoxLayout>
#include <QValueAxis>

#include <algorithm>
#include <cmath>
#include <exception>

namespace kvarlen {

using namespace training;

namespace {

class TDialogChooser : public THistoryFileChooser {
  public:
    QString HistoryPath(QWidget* parent, const QString& current) override {
        return QFileDialog::getSaveFileName(parent, "Файл истории тренажёра", current,
                                            "История тренажёра (*.sqlite);;Все файлы (*)", nullptr,
                                            QFileDialog::DontConfirmOverwrite);
    }
};

TDialogChooser g_dialog;
THistoryFileChooser* g_chooser = &g_dialog;

// The drill's classes as the simulation's filter names them, "AK" .. "рояли" for 1..10.
const QStringList kDrillClasses = {"AK",    "пары",  "две пары", "тройни",     "стриты",
                                   "флэши", "фуллы", "каре",     "стритфлеши", "рояли"};
constexpr int kDrillClose = 11;
constexpr int kDrillWeak = 12;

QString Num(double v) {
    return QString::fromStdString(FormatFixed(v, 9, 7, DecimalSeparator()));
}
QString Whole(double v) {
    return QString::fromStdString(FormatGeneral(v, DecimalSeparator()));
}
QString Share(double share) {
    return QString::fromStdString(FormatFixed(share * 100, 9, 1, DecimalSeparator())) + " %";
}

QString ClassName(uint16_t combo) {
    return QString::fromStdString(ComboName(combo)).trimmed();
}

// The layout page's names of the options.
QString OptionText(const std::string& key) {
    if (key == "0") return "без обмена";
    if (key.size() == 1 && key[0] >= '1' && key[0] <= '5')
        return QString("обмен %1-й карты").arg(key[0] - '0');
    if (key == "B") return "покупка 6-й карты";
    if (key == "R") return "повышение";
    if (key == "P") return "пас";
    if (key == "I") return "страховка";
    if (key == "N") return "без страховки";
    return QString::fromStdString(key);
}

QString KindText(TDecisionKind kind) {
    switch (kind) {
    case TDecisionKind::Draw:
        return "обмен или покупка";
    case TDecisionKind::RaisePass:
        return "повышение или пас";
    case TDecisionKind::Insurance:
        return "страховка";
    }
    return "";
}

QString HandText(const THand& hand) {
    return QString::fromStdString(HandNotation(hand));
}
QString OpenText(const TCardRec& card) {
    return QString::fromStdString(CardNotation(card));
}

// The engine's refusals in the window's language; anything else as the engine words it.
QString RefusalText(const std::string& what) {
    if (what.find("dealer a game") != std::string::npos)
        return "Тренажёр не покупает игру дилеру: выберите «покупки игры дилеру нет» на "
               "странице «симуляция».";
    if (what.find("ace + king") != std::string::npos)
        return "Раздач класса «туз+король» не бывает, когда AK не играет.";
    if (what.find("no mistakes") != std::string::npos)
        return "В истории ещё нет ошибок, которые можно тренировать.";
    if (what.find("margin") != std::string::npos)
        return "Запас для трудных раздач должен быть больше 0.";
    if (what.find("seed") != std::string::npos) return "Зерно должно быть от 1 до 2147483646.";
    return "Сеанс не начат: " + QString::fromStdString(what);
}

void ShowCard(TCard* card, const TCardRec& c, bool face) {
    if (face && c.Value >= 1 && c.Value <= 13) {
        card->SetValue(c.Value);
        card->SetSuit(c.Suit);
    }
    card->SetShowDeck(!face);
    card->setVisible(true);
    card->update();
}

QTableWidget* Grid(const char* name, int rows, const QStringList& columns) {
    auto* grid = new QTableWidget(rows, static_cast<int>(columns.size()));
    grid->setObjectName(name);
    grid->setHorizontalHeaderLabels(columns);
    grid->verticalHeader()->hide();
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setWordWrap(false);
    grid->verticalHeader()->setDefaultSectionSize(grid->fontMetrics().height() + 4);
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < grid->columnCount(); ++c) grid->setItem(r, c, new QTableWidgetItem);
    return grid;
}

void SetCell(QTableWidget* grid, int row, int column, const QString& text) {
    if (!grid->item(row, column)) grid->setItem(row, column, new QTableWidgetItem);
    grid->item(row, column)->setText(text);
}

void ResetChart(QChartView* view, const QString& title) {
    auto* chart = new QChart;
    chart->setTitle(title);
    chart->legend()->hide();
    chart->setLocalizeNumbers(true);
    chart->setMargins(QMargins(2, 2, 6, 2));
    QFont small = chart->titleFont();
    small.setPointSize(std::max(7, small.pointSize() - 1));
    chart->setTitleFont(small);
    QChart* old = view->chart();
    view->setChart(chart);
    delete old;
}

// The value axis of an average cost: from 0 to a little above the highest.
QValueAxis* CostAxis(double high) {
    auto* axis = new QValueAxis;
    axis->setRange(0, high > 0 ? high * 1.15 : 0.1);
    axis->setLabelFormat("%.3f");
    axis->setTickCount(5);
    QFont small = axis->labelsFont();
    small.setPixelSize(10);
    axis->setLabelsFont(small);
    return axis;
}

} // namespace

THistoryFileChooser* SetHistoryFileChooser(THistoryFileChooser* chooser) {
    THistoryFileChooser* old = g_chooser;
    g_chooser = chooser ? chooser : &g_dialog;
    return old;
}

TTrainingPage::TTrainingPage(TForm1& form, QWidget* parent) : QWidget(parent), form_(form) {
    setObjectName("TabSheetTraining");
    TrainTabs = new QTabWidget;
    TrainTabs->setObjectName("TrainTabs");
    auto* tablePage = new QWidget;
    tablePage->setObjectName("TrainTablePage");
    auto* statsPage = new QWidget;
    statsPage->setObjectName("TrainStatsPage");
    TrainTabs->addTab(tablePage, "стол");
    TrainTabs->addTab(statsPage, "статистика и прогресс");
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(2, 2, 2, 2);
    outer->addWidget(TrainTabs);

    // The table tab: the cards, the settings beside them, the keys, the judgements.
    auto* column = new QVBoxLayout(tablePage);
    column->setContentsMargins(4, 4, 4, 4);
    column->setSpacing(4);
    auto* top = new QHBoxLayout;
    BuildTable();
    top->addWidget(TrainTable, 0, Qt::AlignTop);
    auto* settings = new QGroupBox("сеанс");
    settings->setObjectName("TrainSettings");
    BuildSettings(settings);
    top->addWidget(settings, 1);
    column->addLayout(top);

    auto* keys = new QGridLayout;
    keys->setSpacing(3);
    struct Key {
        const char* key;
        const char* caption;
        int row, col, span;
    };
    const Key list[] = {{"0", "0 без обмена", 0, 0, 2},
                        {"1", "1", 0, 2, 1},
                        {"2", "2", 0, 3, 1},
                        {"3", "3", 0, 4, 1},
                        {"4", "4", 0, 5, 1},
                        {"5", "5", 0, 6, 1},
                        {"B", "B покупка", 0, 7, 2},
                        {"R", "R повышение", 0, 9, 2},
                        {"P", "P пас", 0, 11, 2},
                        {"I", "I страховка", 1, 0, 2},
                        {"N", "N без страховки", 1, 2, 5},
                        {"ENTER", "Enter дальше", 1, 7, 2},
                        {"BACKSPACE", "Backspace вернуть ход", 1, 9, 4}};
    for (const Key& k : list) {
        auto* button = new QPushButton(QString::fromUtf8(k.caption));
        button->setObjectName(QString("TrainKey_%1").arg(k.key));
        // The keyboard stays with the table: a click must not take the focus to the button.
        button->setFocusPolicy(Qt::NoFocus);
        button->setEnabled(false);
        // Narrower than the style's usual button: thirteen keys share one window width.
        button->setMinimumWidth(button->fontMetrics().horizontalAdvance(button->text()) + 14);
        const std::string key = k.key;
        connect(button, &QPushButton::clicked, this, [this, key] { Press(key); });
        keys->addWidget(button, k.row, k.col, 1, k.span);
        KeyButtons[key] = button;
    }
    column->addLayout(keys);
    KeysHint = new QLabel("Клавиши: 0 — без обмена, 1–5 — обмен этой карты, B — покупка, R — "
                          "повышение, P — пас, I — страховка, N — без страховки, Enter — дальше, "
                          "Backspace — вернуть ошибку; щелчок по карте бокса — её обмен");
    KeysHint->setObjectName("KeysHint");
    KeysHint->setWordWrap(true);
    column->addWidget(KeysHint);
    TrainJudgement = new QTextEdit;
    TrainJudgement->setObjectName("TrainJudgement");
    TrainJudgement->setReadOnly(true);
    TrainJudgement->setMinimumHeight(90);
    column->addWidget(TrainJudgement, 1);
    TrainStatus = new QLabel;
    TrainStatus->setObjectName("TrainStatus");
    TrainStatus->setWordWrap(true);
    TrainStatus->setTextInteractionFlags(Qt::TextSelectableByMouse);
    column->addWidget(TrainStatus);

    // The statistics tab: the session's figures, its dearest mistakes, the history's progress.
    auto* stats = new QGridLayout(statsPage);
    stats->setContentsMargins(4, 4, 4, 4);
    TrainStats = Grid("TrainStats", 10, {"сеанс", "значение"});
    const char* const names[10] = {"раздач",         "результат, анте",       "лучшая игра, анте",
                                   "ожидаемый итог", "лучший ожидаемый итог", "решений",
                                   "ошибок",         "доля ошибок",           "цена ошибок, анте",
                                   "цена на раздачу"};
    for (int r = 0; r < 10; ++r) SetCell(TrainStats, r, 0, QString::fromUtf8(names[r]));
    TrainStats->setColumnWidth(
        0, TrainStats->fontMetrics().horizontalAdvance("лучший ожидаемый итог") + 12);
    TrainStats->setColumnWidth(1,
                               TrainStats->fontMetrics().horizontalAdvance("-0000,0000000") + 12);
    TrainStats->setFixedWidth(TrainStats->columnWidth(0) + TrainStats->columnWidth(1) +
                              2 * TrainStats->frameWidth() + 4);
    TrainStats->setSelectionMode(QAbstractItemView::NoSelection);
    TrainKinds = Grid("TrainKinds", 3, {"решение", "решений", "ошибок", "доля", "цена"});
    for (int k = 0; k < kDecisionKinds; ++k)
        SetCell(TrainKinds, k, 0, KindText(static_cast<TDecisionKind>(k)));
    TrainKinds->resizeColumnsToContents();
    TrainKinds->setColumnWidth(3, TrainKinds->fontMetrics().horizontalAdvance("100,0 %") + 12);
    TrainKinds->setColumnWidth(4, TrainKinds->fontMetrics().horizontalAdvance("00,0000000") + 12);
    TrainKinds->setSelectionMode(QAbstractItemView::NoSelection);
    TrainKinds->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    TrainKinds->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    TrainKinds->setFixedHeight(TrainKinds->horizontalHeader()->sizeHint().height() +
                               3 * TrainKinds->verticalHeader()->defaultSectionSize() +
                               2 * TrainKinds->frameWidth() + 2);
    TrainMistakes = Grid("TrainMistakes", 0,
                         {"раздача", "бокс", "решение", "карты / дилер", "выбор", "лучше", "цена"});
    TrainMistakes->setSelectionBehavior(QAbstractItemView::SelectRows);
    TrainMistakes->setSelectionMode(QAbstractItemView::SingleSelection);
    TrainMistakes->setToolTip("Двойной щелчок открывает расклад на странице «расклады»");
    TrainOpenLayout = new QPushButton("открыть на «расклады»");
    TrainOpenLayout->setObjectName("TrainOpenLayout");
    TrainOpenLayout->setToolTip("Карты бокса, открытая карта дилера и карты вне игры его "
                                "взгляда — на странице «расклады», для «анализ»");
    TrainSessionChart = new QChartView;
    TrainSessionChart->setObjectName("TrainSessionChart");
    TrainSessionChart->setRenderHint(QPainter::Antialiasing);
    TrainSessionChart->setMinimumSize(200, 170);
    TrainDayChart = new QChartView;
    TrainDayChart->setObjectName("TrainDayChart");
    TrainDayChart->setRenderHint(QPainter::Antialiasing);
    TrainDayChart->setMinimumSize(200, 170);
    ResetChart(TrainSessionChart, "Цена ошибок на раздачу по сеансам");
    ResetChart(TrainDayChart, "Цена ошибок на раздачу по дням");
    auto* left = new QVBoxLayout;
    left->addWidget(TrainStats, 1);
    auto* right = new QVBoxLayout;
    auto* captionRow = new QHBoxLayout;
    captionRow->addWidget(new QLabel("Десять самых дорогих ошибок сеанса"), 1);
    captionRow->addWidget(TrainOpenLayout);
    right->addLayout(captionRow);
    right->addWidget(TrainMistakes, 1);
    right->addWidget(TrainKinds);
    stats->addLayout(left, 0, 0);
    stats->addLayout(right, 0, 1);
    auto* charts = new QHBoxLayout;
    charts->addWidget(TrainSessionChart, 1);
    charts->addWidget(TrainDayChart, 1);
    stats->addLayout(charts, 1, 0, 1, 2);
    stats->setRowStretch(0, 1);
    stats->setRowStretch(1, 1);
    stats->setColumnStretch(1, 1);

    connect(TrainStart, &QPushButton::clicked, this, [this] { Start(); });
    connect(TrainStop, &QPushButton::clicked, this, [this] { Finish(); });
    connect(TrainHistoryChoose, &QPushButton::clicked, this, [this] { ChooseHistoryFile(); });
    connect(TrainOpenLayout, &QPushButton::clicked, this, [this] {
        const int row = TrainMistakes->currentRow();
        OpenMistake(row < 0 ? 0 : row);
    });
    connect(TrainMistakes, &QTableWidget::cellDoubleClicked, this,
            [this](int row, int) { OpenMistake(row); });
    connect(TrainDrill, &QComboBox::currentIndexChanged, this,
            [this](int index) { TrainMargin->setEnabled(index == kDrillClose); });
    connect(TrainKeepHistory, &QCheckBox::toggled, this, [this](bool on) {
        TrainHistoryPath->setEnabled(on);
        TrainHistoryChoose->setEnabled(on);
    });
    ShowTable();
    ShowKeys();
    ShowStats();
    // Key preview: the table's keys work wherever the focus is on this page.
    qApp->installEventFilter(this);
}

TTrainingPage::~TTrainingPage() {
    qApp->removeEventFilter(this);
}

void TTrainingPage::BuildSettings(QWidget* box) {
    auto* grid = new QGridLayout(box);
    grid->setContentsMargins(6, 4, 6, 4);
    grid->setVerticalSpacing(3);
    auto row = [&](int r, const QString& caption, QWidget* field) {
        auto* label = new QLabel(caption);
        label->setBuddy(field);
        grid->addWidget(label, r, 0);
        grid->addWidget(field, r, 1);
    };
    TrainBoxes = new QSpinBox;
    TrainBoxes->setObjectName("TrainBoxes");
    TrainBoxes->setRange(1, 3);
    row(0, "боксов", TrainBoxes);
    TrainInfo = new QComboBox;
    TrainInfo->setObjectName("TrainInfo");
    // In the engine's order: in turn, beacon, full.
    TrainInfo->addItems({"по очереди", "вскрышки (маяк)", "полный обмен"});
    TrainInfo->setCurrentIndex(1);
    row(1, "информация", TrainInfo);
    TrainSeed = new QLineEdit;
    TrainSeed->setObjectName("TrainSeed");
    TrainSeed->setPlaceholderText("по таймеру");
    TrainSeed->setToolTip("Зерно генератора: то же зерно и те же ответы играют тот же сеанс");
    row(2, "зерно", TrainSeed);
    TrainDeals = new QLineEdit;
    TrainDeals->setObjectName("TrainDeals");
    TrainDeals->setPlaceholderText("до «закончить»");
    row(3, "раздач", TrainDeals);
    TrainFeedback = new QComboBox;
    TrainFeedback->setObjectName("TrainFeedback");
    TrainFeedback->addItems({"сразу", "после раздачи", "в конце"});
    TrainFeedback->setToolTip("Когда показывать оценку решений; «сразу» позволяет вернуть ошибку");
    row(4, "оценка", TrainFeedback);
    TrainDrill = new QComboBox;
    TrainDrill->setObjectName("TrainDrill");
    TrainDrill->addItem("все раздачи");
    TrainDrill->addItems(kDrillClasses);
    TrainDrill->addItem("только трудные");
    TrainDrill->addItem("мои ошибки");
    TrainDrill->setToolTip("Какие раздачи сдавать: класс розданной руки бокса 1, трудные (два "
                           "лучших варианта ближе запаса) или классы частых ошибок из истории");
    row(5, "раздачи", TrainDrill);
    // The settings column stays narrow: the table beside it has a fixed width.
    for (QComboBox* combo : {TrainInfo, TrainFeedback, TrainDrill}) {
        combo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
        combo->setMinimumContentsLength(10);
    }
    TrainMargin = new QLineEdit(QString("0") + QChar(DecimalSeparator()) + "05");
    TrainMargin->setObjectName("TrainMargin");
    TrainMargin->setEnabled(false);
    row(6, "запас, анте", TrainMargin);
    TrainKeepHistory = new QCheckBox("история");
    TrainKeepHistory->setObjectName("TrainKeepHistory");
    TrainKeepHistory->setChecked(true);
    TrainHistoryPath = new QLineEdit(QString::fromStdString(DefaultHistoryPath()));
    TrainHistoryPath->setObjectName("TrainHistoryPath");
    TrainHistoryPath->setToolTip("Файл SQLite: каждая сыгранная раздача записывается целиком");
    TrainHistoryPath->setCursorPosition(0);
    grid->addWidget(TrainKeepHistory, 7, 0);
    grid->addWidget(TrainHistoryPath, 7, 1);
    TrainHistoryChoose = new QPushButton("файл истории…");
    TrainHistoryChoose->setObjectName("TrainHistoryChoose");
    TrainStart = new QPushButton("начать");
    TrainStart->setObjectName("TrainStart");
    QFont bold = TrainStart->font();
    bold.setBold(true);
    TrainStart->setFont(bold);
    TrainStop = new QPushButton("закончить");
    TrainStop->setObjectName("TrainStop");
    TrainStop->setEnabled(false);
    for (QPushButton* b : {TrainHistoryChoose, TrainStart, TrainStop})
        b->setFocusPolicy(Qt::NoFocus);
    grid->addWidget(TrainHistoryChoose, 8, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(TrainStart);
    buttons->addWidget(TrainStop);
    grid->addLayout(buttons, 9, 0, 1, 2);
    grid->setRowStretch(10, 1);
    grid->setColumnStretch(1, 1);
}

void TTrainingPage::BuildTable() {
    TrainTable = new QFrame;
    TrainTable->setObjectName("TrainTable");
    TrainTable->setFrameShape(QFrame::StyledPanel);
    TrainTable->setAutoFillBackground(true);
    TrainTable->setFocusPolicy(Qt::StrongFocus);
    QPalette green = TrainTable->palette();
    green.setColor(QPalette::Window, QColor(0, 79, 0));
    green.setColor(QPalette::WindowText, Qt::white);
    TrainTable->setPalette(green);
    constexpr int margin = 8, step = 75, labelHeight = 16;
    auto label = [&](const char* name, int x, int y, int w) {
        auto* l = new QLabel(TrainTable);
        l->setObjectName(name);
        l->setGeometry(x, y, w, labelHeight);
        return l;
    };
    auto card = [&](const QString& name, int x, int y) {
        auto* c = new TCard(TrainTable);
        c->setObjectName(name);
        c->SetDeckType(TDecks::Classic);
        c->SetShowDeck(true);
        c->move(x, y);
        return c;
    };
    // The dealer: the open card, then the four closed ones fanned.
    DealerLabel = label("DealerLabel", margin, 2, 200);
    int y = 2 + labelHeight;
    DealerCards[0] = card("DealerCard1", margin, y);
    for (int i = 1; i < 5; ++i)
        DealerCards[static_cast<size_t>(i)] =
            card(QString("DealerCard%1").arg(i + 1), margin + TCard::kWidth + 6 + (i - 1) * 18, y);
    // The other boxes of the team, fanned, to the right of the dealer.
    const int othersX = margin + TCard::kWidth + 6 + 3 * 18 + TCard::kWidth + 12;
    constexpr int otherStep = 12, otherWidth = 5 * otherStep + TCard::kWidth + 8;
    for (int b = 0; b < 2; ++b) {
        const int x = othersX + b * otherWidth;
        OtherLabels[static_cast<size_t>(b)] =
            label(b == 0 ? "OtherLabel1" : "OtherLabel2", x, 2, otherWidth - 4);
        for (int i = 0; i < 6; ++i)
            OtherCards[static_cast<size_t>(b)][static_cast<size_t>(i)] =
                card(QString("OtherCard%1_%2").arg(b + 1).arg(i + 1), x + i * otherStep, y);
    }
    // The deciding box, full size: its cards are clicked to exchange them.
    y += TCard::kHeight + 4;
    BoxLabel = label("BoxLabel", margin, y, 380);
    QPalette yellow = BoxLabel->palette();
    yellow.setColor(QPalette::WindowText, Qt::yellow);
    BoxLabel->setPalette(yellow);
    QFont bold = BoxLabel->font();
    bold.setBold(true);
    BoxLabel->setFont(bold);
    ReceivedLabel = label("ReceivedLabel", margin + 5 * step + 4, y, 110);
    y += labelHeight;
    for (int i = 0; i < 6; ++i) {
        const int x = margin + i * step + (i == 5 ? 8 : 0);
        BoxCards[static_cast<size_t>(i)] = card(QString("BoxCard%1").arg(i + 1), x, y);
        if (i < 5) {
            const std::string key(1, static_cast<char>('1' + i));
            connect(BoxCards[static_cast<size_t>(i)], &TCard::MouseDown, this,
                    [this, key](Qt::MouseButton b) {
                        if (b == Qt::LeftButton) Press(key);
                    });
        }
    }
    y += TCard::kHeight + 2;
    SightLabel = label("SightLabel", margin, y, 5 * step + 8 + TCard::kWidth);
    TrainTable->setFixedSize(
        std::max(othersX + 2 * otherWidth, margin + 5 * step + 8 + TCard::kWidth) + margin,
        y + labelHeight + 4);
}

void TTrainingPage::ChooseHistoryFile() {
    const QString path = g_chooser->HistoryPath(this, TrainHistoryPath->text());
    if (!path.isEmpty()) TrainHistoryPath->setText(path);
}

bool TTrainingPage::ReadSettings(TSessionSettings& s) {
    // The simulation deals on this thread between its passes of the message loop, and an exact
    // run's threads read the pay table that FillRules rewrites.
    if (form_.Simulating()) {
        ShowModalMessage(this, "Идёт симуляция: дождитесь её конца или остановите её");
        return false;
    }
    if (form_.ExactRunning()) {
        ShowModalMessage(this, "Идёт точный расчёт: дождитесь его конца или остановите его");
        return false;
    }
    try {
        FillRules(form_.ReadRulesControls(), s.Rules);
    } catch (const std::exception& e) {
        ShowModalMessage(this, QString::fromStdString(e.what()));
        return false;
    }
    s.Pay = PayTable;
    s.TeamSize = TrainBoxes->value();
    s.Mode = static_cast<TInfoMode>(TrainInfo->currentIndex());
    s.Feedback = static_cast<TFeedback>(TrainFeedback->currentIndex());
    const QString seed = TrainSeed->text().trimmed();
    if (seed.isEmpty()) {
        const uint64_t ticks = TickCount() % 2147483647u;
        s.Seed = ticks == 0 ? 1u : static_cast<uint32_t>(ticks);
    } else {
        bool ok = false;
        const qlonglong v = seed.toLongLong(&ok);
        if (!ok || v < 1 || v > 2147483646) {
            ShowModalMessage(this, "Зерно «" + seed + "»: нужно целое от 1 до 2147483646");
            return false;
        }
        s.Seed = static_cast<uint32_t>(v);
    }
    const QString deals = TrainDeals->text().trimmed();
    s.Deals = 0;
    if (!deals.isEmpty()) {
        bool ok = false;
        const qlonglong v = deals.toLongLong(&ok);
        if (!ok || v < 1) {
            ShowModalMessage(this, "Раздач «" + deals +
                                       "»: нужно целое от 1 (пусто — пока не "
                                       "закончите)");
            return false;
        }
        s.Deals = v;
    }
    const int drill = TrainDrill->currentIndex();
    s.Drill = TDrill{};
    if (drill >= 1 && drill <= 10) {
        s.Drill.Kind = TDrillKind::Class;
        s.Drill.Class = drill;
    } else if (drill == kDrillClose) {
        QString text = TrainMargin->text().trimmed();
        text.replace(',', '.');
        bool ok = false;
        const double margin = text.toDouble(&ok);
        if (!ok || !(margin > 0) || !std::isfinite(margin)) {
            ShowModalMessage(this, "Запас «" + TrainMargin->text() +
                                       "»: нужно число анте больше 0, например 0" +
                                       QChar(DecimalSeparator()) + "05");
            return false;
        }
        s.Drill.Kind = TDrillKind::Close;
        s.Drill.Margin = margin;
    } else if (drill == kDrillWeak) {
        s.Drill.Kind = TDrillKind::Weak;
    }
    return true;
}

bool TTrainingPage::OpenHistory(TSessionSettings& s) {
    history_.reset();
    historyNote_.clear();
    if (TrainKeepHistory->isChecked()) {
        std::string path = TrainHistoryPath->text().trimmed().toStdString();
        if (path.empty()) path = DefaultHistoryPath();
        if (path.empty()) {
            historyNote_ = "Истории негде быть: не заданы ни XDG_DATA_HOME, ни HOME; укажите файл. "
                           "Сеанс идёт без истории.";
        } else {
            try {
                history_ = std::make_unique<TTrainingHistory>(path);
            } catch (const THistoryRefused& e) {
                historyNote_ = "Файл истории не принят: " + HistoryErrorText(e) +
                               ". Файл оставлен как был; сеанс идёт без истории.";
            } catch (const std::exception& e) {
                historyNote_ =
                    "Файл истории не открыт: " + HistoryErrorText(e) + ". Сеанс идёт без истории.";
            }
        }
    }
    if (s.Drill.Kind != TDrillKind::Weak) return true;
    if (!history_) {
        ShowModalMessage(this, "«мои ошибки» берутся из истории, а она не ведётся" +
                                   (historyNote_.isEmpty() ? QString(".") : ": " + historyNote_));
        return false;
    }
    try {
        s.Drill.WeakCombos = WeakCombos(history_->WeakLayouts(), s.Rules);
    } catch (const std::exception& e) {
        ShowModalMessage(this, HistoryErrorText(e));
        history_.reset();
        return false;
    }
    if (s.Drill.WeakCombos.empty()) {
        ShowModalMessage(this, "В истории нет ошибок в решениях, которые эти правила могут "
                               "спросить снова.");
        history_.reset();
        return false;
    }
    return true;
}

bool TTrainingPage::Start() {
    if (Playing()) {
        TrainStatus->setText("Сеанс уже идёт: сначала «закончить»");
        return false;
    }
    TSessionSettings s;
    if (!ReadSettings(s)) return false;
    if (!OpenHistory(s)) return false;
    std::unique_ptr<TTrainingSession> session;
    try {
        session = std::make_unique<TTrainingSession>(s);
    } catch (const TSessionError& e) {
        history_.reset();
        ShowModalMessage(this, RefusalText(e.what()));
        return false;
    }
    sessionId_ = 0;
    if (history_) {
        try {
            sessionId_ = history_->BeginSession(s);
        } catch (const std::exception& e) {
            historyNote_ =
                "История не записана: " + HistoryErrorText(e) + ". Сеанс идёт без истории.";
            history_.reset();
        }
    }
    session_ = std::move(session);
    finished_ = false;
    held_.clear();
    TrainJudgement->clear();
    EnableSettings(false);
    // The settings are disabled now; the keys go to the table.
    TrainTable->setFocus();
    QString status = QString("Сеанс: зерно %1").arg(s.Seed);
    status += s.Deals > 0 ? QString(", раздач %1").arg(s.Deals) : QString(", до «закончить»");
    status += history_ ? ", история: " + QString::fromStdString(history_->Path())
                       : QString(", без истории");
    TrainStatus->setText(historyNote_.isEmpty() ? status : historyNote_ + "\n" + status);
    QPalette palette = TrainStatus->palette();
    palette.setColor(QPalette::WindowText, historyNote_.isEmpty() ? Qt::black : Qt::darkRed);
    TrainStatus->setPalette(palette);
    if (!session_->NextDeal()) {
        EndSession();
    }
    ShowTable();
    ShowKeys();
    ShowStats();
    ShowMistakes();
    RefreshChart();
    return true;
}

void TTrainingPage::EnableSettings(bool on) {
    for (QWidget* w :
         std::initializer_list<QWidget*>{TrainBoxes, TrainInfo, TrainSeed, TrainDeals,
                                         TrainFeedback, TrainDrill, TrainKeepHistory, TrainStart})
        w->setEnabled(on);
    TrainMargin->setEnabled(on && TrainDrill->currentIndex() == kDrillClose);
    TrainHistoryPath->setEnabled(on && TrainKeepHistory->isChecked());
    TrainHistoryChoose->setEnabled(on && TrainKeepHistory->isChecked());
    TrainStop->setEnabled(!on);
}

void TTrainingPage::Finish() {
    if (!Playing()) return;
    EndSession();
    ShowTable();
    ShowKeys();
}

void TTrainingPage::EndSession() {
    finished_ = true;
    for (const TJudgement& j : held_) AppendJudgement(j, false);
    held_.clear();
    if (history_) {
        try {
            history_->FinishSession(sessionId_);
        } catch (const std::exception& e) {
            historyNote_ = "История не записана: " + HistoryErrorText(e);
        }
    }
    const TSessionStats& st = session_->Stats();
    TrainJudgement->append(QString("<p><b>Сеанс окончен:</b> раздач %1, ошибок %2 из %3, цена "
                                   "ошибок %4 анте, на раздачу %5</p>")
                               .arg(st.Deals)
                               .arg(st.All.Mistakes)
                               .arg(st.All.Decisions)
                               .arg(Num(st.All.Cost), Num(st.AverageCost())));
    EnableSettings(true);
    ShowStats();
    ShowMistakes();
    RefreshChart();
}

bool TTrainingPage::Press(const std::string& key) {
    if (!Playing()) return false;
    const TStep step = session_->Step();
    if (step == TStep::Decision) {
        const std::vector<std::string>& keys = session_->Point().Keys;
        if (std::find(keys.begin(), keys.end(), key) == keys.end()) return false;
        Answer(key);
    } else if (step == TStep::Review) {
        if (key == "BACKSPACE") {
            session_->TakeBack();
            TrainJudgement->append("<p><i>Ход возвращён (ошибка всё равно засчитана): выберите "
                                   "снова.</i></p>");
        } else if (key == "ENTER") {
            session_->GoOn();
            if (session_->Step() == TStep::DealEnd) DealSettled();
        } else {
            return false;
        }
    } else if (step == TStep::DealEnd) {
        if (key != "ENTER") return false;
        TrainJudgement->clear();
        if (!session_->NextDeal()) EndSession();
    } else {
        return false;
    }
    ShowTable();
    ShowKeys();
    ShowStats();
    return true;
}

void TTrainingPage::Answer(const std::string& key) {
    const TJudgement j = session_->Answer(key);
    if (session_->Settings().Feedback == TFeedback::Now)
        AppendJudgement(j, session_->Step() == TStep::Review);
    if (session_->Step() == TStep::DealEnd) DealSettled();
}

void TTrainingPage::DealSettled() {
    const TDealRecord& d = session_->LastDeal();
    // Kept before it is shown: a deal the player saw settled is in the history.
    if (history_) {
        try {
            history_->WriteDeal(sessionId_, d);
        } catch (const std::exception& e) {
            historyNote_ = "История не записана: " + HistoryErrorText(e) +
                           ". Записанные раздачи сохранены; сеанс идёт без истории.";
            TrainStatus->setText(historyNote_);
            history_.reset();
        }
    }
    AppendSettlement(d);
    const TFeedback fb = session_->Settings().Feedback;
    for (const TJudgement& j : d.Judgements) {
        if (fb == TFeedback::Deal) AppendJudgement(j, false);
        if (fb == TFeedback::End) held_.push_back(j);
    }
    ShowMistakes();
    RefreshChart();
    const int64_t deals = session_->Settings().Deals;
    if (deals > 0 && session_->Stats().Deals >= deals) EndSession();
}

void TTrainingPage::AppendJudgement(const TJudgement& j, bool review) {
    QString head = QString("<p><b>Раздача %1, бокс %2, %3:</b> %4")
                       .arg(j.Deal)
                       .arg(j.Box)
                       .arg(KindText(j.Kind), OptionText(j.Choice().Key));
    if (j.Mistake())
        head += QString(" — <span style='color:#b00000'><b>ошибка, цена %1 анте</b></span> "
                        "(лучше: %2)%3")
                    .arg(Num(j.Cost), OptionText(j.Priced.BestOption().Key),
                         j.TakenBack ? QString(", возвращена") : QString());
    else
        head += " — <span style='color:#006000'><b>лучший ход</b></span>";
    head += QString("<br>карты %1, у дилера %2</p>").arg(HandText(j.Hand), OpenText(j.Open));
    QString table = "<table cellspacing='0' cellpadding='1'><tr><th align='left'>клавиша</th>"
                    "<th align='left'>вариант</th><th align='right'>&nbsp;&nbsp;МО</th>"
                    "<th align='right'>&nbsp;&nbsp;цена</th><th></th></tr>";
    for (size_t i = 0; i < j.Priced.Options.size(); ++i) {
        const TOptionValue& v = j.Priced.Options[i];
        const bool best = static_cast<int>(i) == j.Priced.Best;
        const bool chosen = static_cast<int>(i) == j.Chosen;
        QString row = QString("<td>%1</td><td>%2</td><td align='right'>&nbsp;&nbsp;%3</td>"
                              "<td align='right'>&nbsp;&nbsp;%4</td><td>&nbsp;%5</td>")
                          .arg(QString::fromStdString(v.Key), OptionText(v.Key), Num(v.Value),
                               Num(j.Priced.CostOf(static_cast<int>(i))),
                               QString(best ? "★ лучший" : "") +
                                   (chosen ? QString(best ? ", выбран" : "◀ выбран") : QString()));
        table += best ? "<tr style='font-weight:bold'>" + row + "</tr>" : "<tr>" + row + "</tr>";
    }
    table += "</table>";
    TrainJudgement->append(head + table);
    if (review)
        TrainJudgement->append("<p><b>Backspace</b> — вернуть ход и выбрать снова (ошибка "
                               "засчитана), <b>Enter</b> — оставить и продолжить</p>");
}

void TTrainingPage::AppendSettlement(const TDealRecord& d) {
    const bool reveal = session_->Settings().Feedback != TFeedback::End;
    QString text = QString("<p><b>Раздача %1 сыграна.</b> Дилер: %2 — %3")
                       .arg(d.Number)
                       .arg(HandText(d.Dealer), ClassName(d.Dealer.Combo));
    for (size_t i = 0; i < d.Boxes.size(); ++i) {
        const TBoxPlay& p = d.Boxes[i];
        text += QString("<br>бокс %1: %2 — %3, %4")
                    .arg(i + 1)
                    .arg(HandText(p.Final), ClassName(p.Final.Combo),
                         p.Raise ? QString("повышение") : QString("пас"));
        if (p.Insurance > 0) text += QString(", страховка %1").arg(p.Insurance);
        text += ", итог " + Whole(p.Result);
        if (reveal) {
            const TBoxPlay& q = d.Shadow[i];
            text += QString("; лучшая игра: %1, %2")
                        .arg(HandText(q.Final), q.Raise ? QString("повышение") : QString("пас"));
            if (q.Insurance > 0) text += QString(", страховка %1").arg(q.Insurance);
            text += ", итог " + Whole(q.Result);
        }
    }
    text += "<br>Итог " + Whole(d.Result);
    if (reveal)
        text += QString(" (лучшая игра %1), ожидаемый %2 (лучший %3)")
                    .arg(Whole(d.ShadowResult), Num(d.Expected()), Num(d.BestExpected));
    text += ". <i>Enter — следующая раздача.</i></p>";
    TrainJudgement->append(text);
}

void TTrainingPage::ShowTable() {
    auto hideAll = [&] {
        for (TCard* c : DealerCards) c->setVisible(false);
        for (TCard* c : BoxCards) c->setVisible(false);
        for (auto& row : OtherCards)
            for (TCard* c : row) c->setVisible(false);
        for (QLabel* l : OtherLabels) l->clear();
        ReceivedLabel->clear();
        SightLabel->clear();
    };
    hideAll();
    DealerLabel->setText("дилер");
    const TStep step = session_ ? session_->Step() : TStep::Finished;
    // A session ended in mid-deal shows its last settled deal: the dropped one is gone.
    const bool atPoint = Playing() && (step == TStep::Decision || step == TStep::Review);
    if (!session_ || (!atPoint && session_->Stats().Deals == 0)) {
        BoxLabel->setText("«начать» сдаёт первую раздачу");
        return;
    }
    const int team = session_->Settings().TeamSize;
    auto showOther = [&](int slot, int box, bool visible, const QString& state, const THand& h) {
        OtherLabels[static_cast<size_t>(slot)]->setText(QString("бокс %1: %2").arg(box).arg(state));
        const int count = visible ? h.Count : 5;
        for (int i = 0; i < count && i < 6; ++i)
            ShowCard(OtherCards[static_cast<size_t>(slot)][static_cast<size_t>(i)], h.Cards[i + 1],
                     visible);
    };
    auto showReceived = [&](const THand& h, const TCardRec& received, int slot) {
        if (slot == 6) {
            ShowCard(BoxCards[5], h.Cards[6], true);
            ReceivedLabel->setText("куплена");
        } else if (slot >= 1 && slot <= 5) {
            ShowCard(BoxCards[5], received, true);
            ReceivedLabel->setText(QString("вместо %1-й").arg(slot));
        }
    };
    if (atPoint) {
        const TDecisionPoint& p = session_->Point();
        const TTableView& t = p.Table;
        ShowCard(DealerCards[0], t.Open, true);
        for (int i = 1; i < 5; ++i)
            ShowCard(DealerCards[static_cast<size_t>(i)], TCardRec{}, false);
        DealerLabel->setText(QString("дилер · раздача %1").arg(p.Deal));
        for (int i = 0; i < 5; ++i)
            ShowCard(BoxCards[static_cast<size_t>(i)], t.Hand.Cards[i + 1], true);
        showReceived(t.Hand, t.Received, t.DrawnSlot);
        QString label = QString("▶ бокс %1 решает: %2 · %3")
                            .arg(p.Box)
                            .arg(ClassName(t.Hand.Combo), KindText(p.Kind));
        if (p.Kind == TDecisionKind::Insurance) label += QString(" (%1)").arg(PayOff(t.Hand.Combo));
        if (step == TStep::Review) label += " · ошибка";
        BoxLabel->setText(label);
        int slot = 0;
        for (const TBoxSight& b : t.Others) {
            if (slot >= 2) break;
            const QString state =
                b.Visible ? (b.Played ? QString("сыграл") : QString("открыт")) : QString("закрыт");
            showOther(slot++, b.Box, b.Visible, state, b.Hand);
        }
        QString sight;
        if (team == 1)
            sight = "один бокс";
        else if (t.Beacon)
            sight = QString("маяк: у команды %1 карт(ы) достоинства открытой").arg(t.BeaconCount);
        else if (session_->Settings().Mode == TInfoMode::InTurn)
            sight = "по очереди: видны карты сыгравших боксов";
        else
            sight = "полный обмен: видны карты всех боксов";
        SightLabel->setText(sight);
        return;
    }
    // The deal is settled: every card open.
    const TDealRecord& d = session_->LastDeal();
    DealerLabel->setText(
        QString("дилер · раздача %1: %2").arg(d.Number).arg(ClassName(d.Dealer.Combo)));
    for (int i = 0; i < 5; ++i)
        ShowCard(DealerCards[static_cast<size_t>(i)], d.Dealer.Cards[i + 1], true);
    if (d.Boxes.empty()) return;
    const TBoxPlay& first = d.Boxes[0];
    for (int i = 0; i < 5; ++i)
        ShowCard(BoxCards[static_cast<size_t>(i)], first.Final.Cards[i + 1], true);
    showReceived(first.Final, first.Received, first.DrawnSlot);
    BoxLabel->setText(QString("бокс 1: %1, %2, итог %3")
                          .arg(ClassName(first.Final.Combo),
                               first.Raise ? QString("повышение") : QString("пас"),
                               Whole(first.Result)));
    for (size_t b = 1; b < d.Boxes.size() && b <= 2; ++b) {
        const TBoxPlay& p = d.Boxes[b];
        showOther(static_cast<int>(b) - 1, static_cast<int>(b) + 1, true,
                  QString("%1, итог %2").arg(ClassName(p.Final.Combo), Whole(p.Result)), p.Final);
    }
    SightLabel->setText(QString("итог раздачи %1 анте").arg(Whole(d.Result)) +
                        (finished_ ? QString(" · сеанс окончен") : QString(" · Enter — дальше")));
}

void TTrainingPage::ShowKeys() {
    std::vector<std::string> legal;
    if (Playing()) {
        switch (session_->Step()) {
        case TStep::Decision:
            legal = session_->Point().Keys;
            break;
        case TStep::Review:
            legal = {"BACKSPACE", "ENTER"};
            break;
        case TStep::DealEnd:
            legal = {"ENTER"};
            break;
        case TStep::Finished:
            break;
        }
    }
    for (auto& [key, button] : KeyButtons)
        button->setEnabled(std::find(legal.begin(), legal.end(), key) != legal.end());
}

void TTrainingPage::ShowStats() {
    const TSessionStats empty;
    const TSessionStats& st = session_ ? session_->Stats() : empty;
    const QString values[10] = {QString::number(st.Deals),
                                Whole(st.Net),
                                Whole(st.ShadowNet),
                                Num(st.ExpectedNet()),
                                Num(st.BestExpected),
                                QString::number(st.All.Decisions),
                                QString::number(st.All.Mistakes),
                                Share(st.All.MistakeShare()),
                                Num(st.All.Cost),
                                Num(st.AverageCost())};
    for (int r = 0; r < 10; ++r) {
        SetCell(TrainStats, r, 1, values[r]);
        TrainStats->item(r, 1)->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    }
    for (int k = 0; k < kDecisionKinds; ++k) {
        const TCostTally& t = st.ByKind[static_cast<size_t>(k)];
        SetCell(TrainKinds, k, 1, QString::number(t.Decisions));
        SetCell(TrainKinds, k, 2, QString::number(t.Mistakes));
        SetCell(TrainKinds, k, 3, Share(t.MistakeShare()));
        SetCell(TrainKinds, k, 4, Num(t.Cost));
    }
}

void TTrainingPage::ShowMistakes() {
    const std::vector<TJudgement> none;
    const std::vector<TJudgement>& dear = session_ ? session_->Stats().Costliest : none;
    TrainMistakes->setRowCount(static_cast<int>(dear.size()));
    for (size_t i = 0; i < dear.size(); ++i) {
        const TJudgement& j = dear[i];
        const int r = static_cast<int>(i);
        SetCell(TrainMistakes, r, 0, QString::number(j.Deal));
        SetCell(TrainMistakes, r, 1, QString::number(j.Box));
        SetCell(TrainMistakes, r, 2, KindText(j.Kind));
        SetCell(TrainMistakes, r, 3, HandText(j.Hand) + " / " + OpenText(j.Open));
        SetCell(TrainMistakes, r, 4, OptionText(j.Choice().Key));
        SetCell(TrainMistakes, r, 5, OptionText(j.Priced.BestOption().Key));
        SetCell(TrainMistakes, r, 6, Num(j.Cost));
    }
    TrainMistakes->resizeColumnsToContents();
    TrainOpenLayout->setEnabled(!dear.empty());
}

const TPricedDecision* TTrainingPage::Priced() {
    if (!Playing() || session_->Step() != TStep::Decision) return nullptr;
    return &session_->Priced();
}

bool TTrainingPage::OpenMistake(int row) {
    if (!session_) return false;
    const std::vector<TJudgement>& dear = session_->Stats().Costliest;
    if (row < 0 || row >= static_cast<int>(dear.size())) return false;
    const TJudgement& j = dear[static_cast<size_t>(row)];
    form_.ShowTrainingLayout(j.Hand, j.Open, j.View,
                             QString("Расклад из тренажёра: раздача %1, бокс %2, %3; выбор «%4», "
                                     "лучше «%5», цена %6")
                                 .arg(j.Deal)
                                 .arg(j.Box)
                                 .arg(KindText(j.Kind), OptionText(j.Choice().Key),
                                      OptionText(j.Priced.BestOption().Key), Num(j.Cost)));
    return true;
}

void TTrainingPage::RefreshChart() {
    if (!history_) {
        ResetChart(TrainSessionChart, "Цена ошибок на раздачу по сеансам (история не ведётся)");
        ResetChart(TrainDayChart, "Цена ошибок на раздачу по дням (история не ведётся)");
        return;
    }
    THistorySummary s;
    try {
        s = history_->Summary();
    } catch (const std::exception& e) {
        TrainStatus->setText("История не прочитана: " + HistoryErrorText(e));
        return;
    }
    // The sessions that played a deal, in the order they were played.
    std::vector<THistorySessionRow> sessions;
    for (const THistorySessionRow& r : s.BySession)
        if (r.Deals > 0) sessions.push_back(r);
    ResetChart(TrainSessionChart,
               QString("Цена ошибок на раздачу по сеансам (%1)").arg(sessions.size()));
    QChart* chart = TrainSessionChart->chart();
    auto* line = new QLineSeries;
    auto* points = new QScatterSeries;
    points->setMarkerSize(7);
    double high = 0;
    for (size_t i = 0; i < sessions.size(); ++i) {
        const double v = sessions[i].AverageCost();
        line->append(static_cast<double>(i + 1), v);
        points->append(static_cast<double>(i + 1), v);
        high = std::max(high, v);
    }
    chart->addSeries(line);
    chart->addSeries(points);
    points->setColor(line->color());
    auto* x = new QValueAxis;
    x->setRange(0.5, std::max<double>(1.5, static_cast<double>(sessions.size()) + 0.5));
    x->setLabelFormat("%.0f");
    x->setTickType(QValueAxis::TicksDynamic);
    x->setTickAnchor(1);
    x->setTickInterval(std::max(1.0, std::ceil(static_cast<double>(sessions.size()) / 8)));
    QFont small = x->labelsFont();
    small.setPixelSize(10);
    x->setLabelsFont(small);
    QValueAxis* y = CostAxis(high);
    chart->addAxis(x, Qt::AlignBottom);
    chart->addAxis(y, Qt::AlignLeft);
    for (QAbstractSeries* series : chart->series()) {
        series->attachAxis(x);
        series->attachAxis(y);
    }

    // The last two weeks of days played.
    ResetChart(TrainDayChart, "Цена ошибок на раздачу по дням");
    chart = TrainDayChart->chart();
    auto* set = new QBarSet("цена на раздачу");
    set->setColor(QColor(200, 80, 40));
    QStringList days;
    high = 0;
    const size_t from = s.ByDay.size() > 14 ? s.ByDay.size() - 14 : 0;
    for (size_t i = from; i < s.ByDay.size(); ++i) {
        const THistoryDayRow& r = s.ByDay[i];
        // "MM-DD": the year is plain from the dates around it.
        days << QString::fromStdString(r.Day.size() >= 10 ? r.Day.substr(5) : r.Day);
        *set << r.AverageCost();
        high = std::max(high, r.AverageCost());
    }
    auto* bars = new QBarSeries;
    bars->append(set);
    bars->setBarWidth(0.6);
    chart->addSeries(bars);
    auto* dayAxis = new QBarCategoryAxis;
    dayAxis->append(days.isEmpty() ? QStringList{"—"} : days);
    dayAxis->setLabelsFont(small);
    QValueAxis* dayCost = CostAxis(high);
    chart->addAxis(dayAxis, Qt::AlignBottom);
    chart->addAxis(dayCost, Qt::AlignLeft);
    bars->attachAxis(dayAxis);
    bars->attachAxis(dayCost);
}

bool TTrainingPage::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress || !watched->isWidgetType()) return false;
    auto* widget = static_cast<QWidget*>(watched);
    // The page's tab of the window counts as the page: a click on it leaves the focus there.
    const bool onTab =
        widget->parentWidget() == form_.PageControl1 && form_.PageControl1->currentWidget() == this;
    if (widget != this && !isAncestorOf(widget) && !onTab) return false;
    // The settings' fields keep their keys.
    if (qobject_cast<QLineEdit*>(widget) || qobject_cast<QAbstractSpinBox*>(widget) ||
        qobject_cast<QComboBox*>(widget))
        return false;
    for (QWidget* p = widget->parentWidget(); p && p != this; p = p->parentWidget())
        if (qobject_cast<QAbstractSpinBox*>(p) || qobject_cast<QComboBox*>(p)) return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) return false;
    std::string name;
    switch (key->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        name = "ENTER";
        break;
    case Qt::Key_Backspace:
        name = "BACKSPACE";
        break;
    default: {
        const QString text = key->text().toUpper();
        if (text.size() != 1) break;
        const QChar c = text[0];
        if (c >= '0' && c <= '5') name = std::string(1, static_cast<char>(c.unicode()));
        // The Latin letters, and the Russian ones on the same keys (И К З Ш Т).
        const QString latin = "BRPIN", russian = "ИКЗШТ";
        int i = static_cast<int>(latin.indexOf(c));
        if (i < 0) i = static_cast<int>(russian.indexOf(c));
        if (i >= 0) name = std::string(1, static_cast<char>(latin[i].unicode()));
        break;
    }
    }
    if (name.empty() || !Playing()) return false;
    Press(name);
    // Taken by the table: a key of the table never also types into a control.
    return true;
}

} // namespace kvarlen
