// The controls of the main window's pages, with their names, captions, items and defaults.
#include "ui/MainWindow.h"
#include "ui/bankroll/BankrollPage.h"
#include "ui/common/WidgetHelpers.h"
#include "ui/layout/ShortcutButton.h"
#include "ui/settings/SettingsPage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontMetricsF>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>

namespace kvarlen {

namespace {

template <class T> T* Named(T* widget, const char* name) {
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

QCheckBox* Check(const char* name, const QString& caption, bool checked, bool enabled = true) {
    auto* box = Named(new QCheckBox(caption), name);
    box->setChecked(checked);
    box->setEnabled(enabled);
    return box;
}

QPushButton* CornerButton(const char* name) {
    auto* button = Named(new QPushButton("C"), name);
    button->setFixedSize(25, 25);
    return button;
}

// Courier New where it exists, any fixed-pitch font otherwise.
QFont MemoFont() {
    QFont font("Courier New", 10);
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    return font;
}

QPlainTextEdit* Memo(const char* name, bool wantTabs) {
    auto* memo = Named(new TMemo(27), name);
    memo->setFont(MemoFont());
    memo->setTabChangesFocus(!wantTabs);
    memo->setLineWrapMode(QPlainTextEdit::NoWrap);
    // The "C" button sits in the corner left of the scroll bar; keep the bar's place fixed.
    memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    return memo;
}

QComboBox* Combo(const char* name, const QStringList& items) {
    auto* combo = Named(new QComboBox, name);
    // Drop-down lists that also take typed text.
    combo->setEditable(true);
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->addItems(items);
    combo->setCurrentIndex(0);
    return combo;
}

} // namespace

void TForm1::BuildSettingsPage(QWidget* page) {
    settings_ = new TSettingsPage(*this, page);
}

void TForm1::BuildTable(QFrame* panel) {
    // Positions on the table: the pile with the dealer's card on top, the player's row below.
    constexpr int margin = 10;
    constexpr int rowTop = margin + TCard::kHeight + 14;
    constexpr int step = 72;
    for (int i = 0; i < 4; ++i) {
        auto* card = new TCard(panel);
        card->setObjectName(QString("Card%1").arg(6 + i));
        card->SetDeckType(TDecks::Classic);
        card->SetShowDeck(true);
        card->move(margin + 9 * i, margin);
        PileCards[static_cast<size_t>(i)] = card;
    }
    DealerCard = Named(new TCard(panel), "DealerCard");
    DealerCard->SetDeckType(TDecks::Classic);
    DealerCard->SetValue(10);
    DealerCard->SetSuit(1);
    DealerCard->move(margin + 9 * 4, margin);

    static const int defaults[6][2] = {{0, 0}, {1, 4}, {13, 1}, {10, 2}, {3, 2}, {10, 3}};
    for (int i = 1; i <= 5; ++i) {
        auto* card = new TCard(panel);
        card->setObjectName(QString("Card%1").arg(i));
        card->SetDeckType(TDecks::Classic);
        card->SetValue(defaults[i][0]);
        card->SetSuit(defaults[i][1]);
        card->move(margin + step * (i - 1), rowTop);
        PlayerCards[static_cast<size_t>(i)] = card;
    }
    BuyedCard = Named(new TCard(panel), "BuyedCard");
    BuyedCard->SetDeckType(TDecks::Classic);
    BuyedCard->SetValue(1);
    BuyedCard->SetSuit(3);
    BuyedCard->SetShowDeck(true);
    BuyedCard->move(margin + step * 5 + 8, rowTop);

    auto flipButton = [&](TCard* card, const QString& name, const QString& tip) {
        auto* button = new QPushButton(panel);
        button->setObjectName(name);
        button->setFixedSize(13, 13);
        button->setFocusPolicy(Qt::NoFocus);
        button->setToolTip(tip);
        button->move(card->x() + TCard::kWidth - 13, card->y());
        button->raise();
        return button;
    };
    for (int i = 1; i <= 5; ++i)
        FlipButtons[static_cast<size_t>(i)] =
            flipButton(PlayerCards[static_cast<size_t>(i)], QString("Button%1").arg(16 + i),
                       QString("%1-я карта рубашкой вверх / вниз: закрытая остаётся в руке, но "
                               "при расчёте не выводится из колоды")
                           .arg(i));
    Button7 = flipButton(BuyedCard, "Button7",
                         "купленная карта рубашкой вверх / вниз: лицом вверх это шестая карта "
                         "руки, рубашкой вверх покупки нет");

    Button9 = Named(new TShortcutButton("Колода", QKeySequence(), panel), "Button9");
    Button9->setFixedSize(80, 26);
    Button9->move(margin + 9 * 4 + TCard::kWidth + 24, margin + TCard::kHeight - 26);

    Label3 = Named(new QLabel("________", panel), "Label3");
    QPalette yellow = Label3->palette();
    yellow.setColor(QPalette::WindowText, Qt::yellow);
    Label3->setPalette(yellow);
    QFont big = Label3->font();
    big.setBold(true);
    big.setPointSize(big.pointSize() + 3);
    Label3->setFont(big);
    Label3->setAlignment(Qt::AlignCenter);
    const int width = BuyedCard->x() + TCard::kWidth + margin;
    Label3->setGeometry(0, rowTop + TCard::kHeight + 6, width, 24);
    panel->setFixedSize(width, Label3->geometry().bottom() + 8);
}

void TForm1::BuildLayoutPage(QWidget* page) {
    auto* column = new QVBoxLayout(page);
    auto* top = new QHBoxLayout;
    column->addLayout(top);

    GroupBox1 = Named(new QGroupBox("МО игрока при таком раскладе и вскрышке"), "GroupBox1");
    auto* grid = new QGridLayout(GroupBox1);
    // The shortcuts are drawn on the buttons; the captions stay as they are.
    Button2 = Named(new TShortcutButton("EV Raise", Qt::Key_F5), "Button2");
    Button12 = Named(new TShortcutButton("EV Buy", Qt::Key_F6), "Button12");
    Button10 = Named(new TShortcutButton("EV Change", Qt::Key_F7), "Button10");
    Button13 = Named(new TShortcutButton("EV 2 Change", Qt::Key_F8), "Button13");
    ButtonBest = Named(new TShortcutButton("анализ", Qt::Key_F9), "ButtonBest");
    Button2->setToolTip("MO повышения при этом раскладе (F5)");
    Button12->setToolTip("MO покупки шестой карты (F6)");
    Button10->setToolTip("MO обмена одной карты и лучшая позиция (F7)");
    Button13->setToolTip("MO обмена двух карт и лучшая пара позиций (F8)");
    ButtonBest->setToolTip("все варианты игры при этом раскладе: лучший и во что обходится каждый "
                           "другой (F9)");
    AK_exist = Check("AK_exist", "TK играет", true);
    CheckBox2 = Check("CheckBox2", "детализировать", false);
    CheckBox11 = Check("CheckBox11", "fast", true);
    CheckBox11->setToolTip("разрешать или нет разбивать при сносе 2 карт комбинации 2, 22, 3, 32");
    grid->addWidget(Button2, 0, 0);
    grid->addWidget(Button12, 0, 1);
    grid->addWidget(Button10, 1, 0);
    grid->addWidget(Button13, 1, 1);
    grid->addWidget(ButtonBest, 0, 2, 2, 1);
    ButtonBest->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Expanding);
    grid->addWidget(AK_exist, 2, 0);
    grid->addWidget(CheckBox2, 2, 1);
    grid->addWidget(CheckBox11, 3, 0);
    grid->setRowStretch(4, 1);
    top->addWidget(GroupBox1, 1);

    Panel1 = Named(new QFrame, "Panel1");
    Panel1->setFrameShape(QFrame::StyledPanel);
    Panel1->setAutoFillBackground(true);
    QPalette green = Panel1->palette();
    green.setColor(QPalette::Window, QColor(0, 79, 0));
    Panel1->setPalette(green);
    BuildTable(Panel1);
    top->addWidget(Panel1, 0, Qt::AlignTop | Qt::AlignRight);

    // The whole layout as text, for the keyboard and for any dealer's card: Return enters it.
    auto* entry = new QHBoxLayout;
    column->addLayout(entry);
    LabelLayout = Named(new QLabel("расклад (Ctrl+L):"), "LabelLayout");
    LayoutEdit = Named(new QLineEdit, "LayoutEdit");
    LayoutEdit->setPlaceholderText("AH KS XC 3C XD / 5H, bought 5D, out 2C 7H");
    LayoutEdit->setToolTip("пять карт игрока, «/» и открытая карта дилера; затем «bought» и "
                           "купленная карта, «out» и карты вне игры. Enter вводит расклад, Esc "
                           "возвращает текущий");
    LabelLayout->setBuddy(LayoutEdit);
    ButtonRandom = Named(new TShortcutButton("случайный расклад", QKeySequence()), "ButtonRandom");
    ButtonRandom->setToolTip("пять карт игрока и открытая карта дилера из полной колоды");
    entry->addWidget(LabelLayout);
    entry->addWidget(LayoutEdit, 1);
    entry->addWidget(ButtonRandom);

    auto* bottom = new QHBoxLayout;
    column->addLayout(bottom, 1);
    StringGrid3 = Named(new QTableWidget(13, 7), "StringGrid3");
    StringGrid3->horizontalHeader()->hide();
    StringGrid3->verticalHeader()->hide();
    QFont small = StringGrid3->font();
    small.setPixelSize(10);
    StringGrid3->setFont(small);
    StringGrid3->horizontalHeader()->setMinimumSectionSize(10);
    StringGrid3->verticalHeader()->setMinimumSectionSize(10);
    StringGrid3->horizontalHeader()->setDefaultSectionSize(50);
    StringGrid3->verticalHeader()->setDefaultSectionSize(14);
    StringGrid3->setColumnWidth(0, GridNameColumnWidth(StringGrid3));
    PrepareGridCells(StringGrid3);
    StringGrid3->setEditTriggers(QAbstractItemView::NoEditTriggers);
    StringGrid3->setSelectionMode(QAbstractItemView::NoSelection);
    StringGrid3->setFocusPolicy(Qt::NoFocus);
    // Wide enough for the raise table's nine columns without a scroll bar, and a free corner
    // for the "C" button.
    StringGrid3->setFixedWidth(GridNameColumnWidth(StringGrid3) +
                               8 * GridNumberColumnWidth(StringGrid3) +
                               2 * StringGrid3->frameWidth() + 30);
    StringGrid3->setFixedHeight(13 * 14 + 2 * StringGrid3->frameWidth() + 2);
    bottom->addWidget(StringGrid3, 0, Qt::AlignTop);
    Memo1 = Memo("Memo1", false);
    bottom->addWidget(Memo1, 1);
    Button27 = CornerButton("Button27");
    PinToTopRight(StringGrid3, Button27);
    Button22 = CornerButton("Button22");
    PinToTopRight(Memo1, Button22);

    StatusBar1 = Named(new QStatusBar, "StatusBar1");
    StatusBar1->setSizeGripEnabled(false);
    column->addWidget(StatusBar1);
}

void TForm1::BuildSimulationPage(QWidget* page) {
    auto* column = new QVBoxLayout(page);
    auto* top = new QHBoxLayout;
    column->addLayout(top);

    // Run settings and switches.
    auto* left = new QVBoxLayout;
    top->addLayout(left);
    Label2 = Named(new QLabel("Начальный банк каждого игрока                      анте"), "Label2");
    Edit1 = Named(new QLineEdit("100"), "Edit1");
    PlaceFieldInCaptionGap(Label2, Edit1);
    left->addWidget(Label2);
    auto labelled = [&](QLabel*& label, const char* labelName, const QString& caption,
                        QWidget* field) {
        label = Named(new QLabel(caption), labelName);
        label->setBuddy(field);
        auto* row = new QHBoxLayout;
        row->addWidget(label);
        row->addWidget(field);
        row->addStretch(1);
        left->addLayout(row);
    };
    Edit4 = Named(new QLineEdit("10000"), "Edit4");
    Edit4->setFixedWidth(Edit4->fontMetrics().horizontalAdvance("0000000000") + 12);
    labelled(Label9, "Label9", "Сыграть раздач:", Edit4);
    ComboBox4 = Combo("ComboBox4", {"любых", "AK", "пары", "две пары", "тройни", "стриты", "флэши",
                                    "фуллы", "каре", "стритфлеши", "рояли"});
    ComboBox4->setEditText("любые");
    ComboBox4->setEnabled(false);
    labelled(Label23, "Label23", "Какие раздачи разыгрывать", ComboBox4);
    ComboBox1 = Combo("ComboBox1", {"1", "2", "3"});
    ComboBox1->setFixedWidth(ComboBox1->fontMetrics().horizontalAdvance("000") + 40);
    labelled(Label7, "Label7", "Число боксов команды", ComboBox1);

    auto* checks = new QGridLayout;
    CheckBox6 = Check("CheckBox6", "запись хода игры", false, false);
    TraceCB = Check("TraceCB", "трассировка", false);
    CheckBox3 = Check("CheckBox3", "собирать статистику", false);
    RND_CB = Check("RND_CB", "мой ГСЧ", true);
    DBF_cb = Check("DBF_cb", "DBF-history", false);
    CheckBox10 = Check("CheckBox10", "признак \"заготовок\"", true, false);
    checks->addWidget(CheckBox6, 0, 0);
    checks->addWidget(TraceCB, 1, 0);
    checks->addWidget(CheckBox3, 2, 0);
    checks->addWidget(RND_CB, 0, 1);
    checks->addWidget(DBF_cb, 1, 1);
    checks->addWidget(CheckBox10, 2, 1);
    // The deal log: one row per box and deal for a spreadsheet or a data frame.
    DealLogCB = Check("DealLogCB", "журнал раздач в файл", false);
    DealLogCB->setToolTip("CSV (или JSON lines для имени на .jsonl): карты, решения, результат и "
                          "банк каждого бокса в каждой раздаче");
    DealLogEdit = Named(new QLineEdit("deals.csv"), "DealLogEdit");
    DealLogEdit->setEnabled(false);
    connect(DealLogCB, &QCheckBox::toggled, DealLogEdit, &QWidget::setEnabled);
    checks->addWidget(DealLogCB, 3, 0);
    checks->addWidget(DealLogEdit, 3, 1);
    left->addLayout(checks);
    // What the run is dealt from and on how many threads, as the command line's --seed and
    // --threads.
    SeedEdit = Named(new QLineEdit, "SeedEdit");
    SeedEdit->setPlaceholderText("по таймеру");
    SeedEdit->setToolTip("Одно и то же зерно повторяет прогон раздача в раздачу; пусто — "
                         "зерно по таймеру (оно будет в первой строке отчёта)");
    SeedEdit->setFixedWidth(SeedEdit->fontMetrics().horizontalAdvance("0000000000") + 40);
    ThreadsEdit = Named(new QSpinBox, "ThreadsEdit");
    ThreadsEdit->setRange(1, 256);
    ThreadsEdit->setToolTip("Независимые потоки раздач; при нескольких потоках трассировки нет");
    {
        auto* row = new QHBoxLayout;
        auto* seedLabel = Named(new QLabel("Зерно ГСЧ"), "LabelSeed");
        seedLabel->setBuddy(SeedEdit);
        auto* threadsLabel = Named(new QLabel("потоков"), "LabelThreads");
        threadsLabel->setBuddy(ThreadsEdit);
        row->addWidget(seedLabel);
        row->addWidget(SeedEdit);
        row->addSpacing(12);
        row->addWidget(threadsLabel);
        row->addWidget(ThreadsEdit);
        row->addStretch(1);
        left->addLayout(row);
    }
    left->addStretch(1);

    // Play mode and information exchange.
    auto* middle = new QVBoxLayout;
    top->addLayout(middle);
    GroupBox3 = Named(new QGroupBox, "GroupBox3");
    auto* modes = new QVBoxLayout(GroupBox3);
    RadioButton1 = Named(new QRadioButton("идеальная игра"), "RadioButton1");
    RadioButton2 = Named(new QRadioButton("игра по стратегии"), "RadioButton2");
    RadioButton2->setChecked(true);
    modes->addWidget(RadioButton1);
    modes->addWidget(RadioButton2);
    middle->addWidget(GroupBox3);
    RadioGroup2 = Named(new QGroupBox("обмен информацией"), "RadioGroup2");
    auto* exchange = new QVBoxLayout(RadioGroup2);
    RadioButton3 = Named(new QRadioButton("по очереди"), "RadioButton3");
    RadioButton3->setToolTip("Сначала вскрываем 1-й бокс, принимаем решение, потом 2-й, и т.д.");
    RadioButton4 = Named(new QRadioButton("вскрышки (маяк)"), "RadioButton4");
    RadioButton4->setToolTip("боксы маячат друг другу число вышедших вскрышек");
    RadioButton4->setChecked(true);
    RadioButton5 = Named(new QRadioButton("полный обмен"), "RadioButton5");
    RadioButton5->setToolTip("боксы могут полностью светить свои карты");
    RadioButton6 = Named(new QRadioButton("обмен картами"), "RadioButton6");
    RadioButton6->setToolTip("ЭТО ЖЕ НЕЧЕСТНО!");
    RadioButton6->setEnabled(false);
    for (QRadioButton* b : {RadioButton3, RadioButton4, RadioButton5, RadioButton6})
        exchange->addWidget(b);
    middle->addWidget(RadioGroup2);
    middle->addStretch(1);

    // Game options of the six-card game, and START.
    auto* right = new QVBoxLayout;
    top->addLayout(right);
    PageControl2 = Named(new QTabWidget, "PageControl2");
    TabSheet5 = Named(new QWidget, "TabSheet5");
    auto* options = new QVBoxLayout(TabSheet5);
    CheckBox5 = Check("CheckBox5", "есть страхование", true);
    CheckBox9 = Check("CheckBox9", "AK играет", true);
    CheckBox8 = Check("CheckBox8", "покупка 6 карты", true);
    CheckBox12 = Check("CheckBox12", "обмен 1 карты", false, false);
    CheckBox7 = Check("CheckBox7", "RAISE при 2 вскрышках", true, false);
    ComboBox2 = Combo("ComboBox2", {"покупки игры дилеру нет", "покупка сносом старшей",
                                    "покупка сносом младшей"});
    ComboBox3 = Combo("ComboBox3", {"анте не платят", "анте платят"});
    ComboBox3->setEnabled(false);
    for (QWidget* w : std::initializer_list<QWidget*>{CheckBox5, CheckBox9, CheckBox8, CheckBox12,
                                                      CheckBox7, ComboBox2, ComboBox3})
        options->addWidget(w);
    options->addStretch(1);
    PageControl2->addTab(TabSheet5, "5+1");
    right->addWidget(PageControl2);
    // F10 beside the analyses' F5..F9; the key shows in the button's corner, the caption stays.
    Button4 = Named(new TShortcutButton("СТАРТ", Qt::Key_F10), "Button4");
    Button4->setToolTip("Начать симуляцию (F10); во время прогона — остановить (F10 или Esc)");
    QFont bold = Button4->font();
    bold.setBold(true);
    bold.setPointSize(bold.pointSize() + 2);
    Button4->setFont(bold);
    Button4->setMinimumHeight(34);
    right->addWidget(Button4);
    SimulationProgress = Named(new QProgressBar, "SimulationProgress");
    SimulationProgress->setRange(0, 1000);
    SimulationProgress->setValue(0);
    SimulationProgress->setFormat("%p%");
    SimulationProgress->setToolTip("Доля сыгранных раздач и оставшееся время");
    right->addWidget(SimulationProgress);
    SaveReportButton = Named(new QPushButton("Сохранить отчёт…"), "SaveReportButton");
    SaveReportButton->setToolTip("Весь отчёт из поля ниже в текстовый файл (Windows-1251)");
    connect(SaveReportButton, &QPushButton::clicked, this, [this] { SaveReportClick(); });
    right->addWidget(SaveReportButton);
    top->setStretch(0, 1);

    Memo3 = Memo("Memo3", true);
    // The statistics lines are tab-separated counts of up to eight digits with their labels: stops
    // every 16 characters keep the columns, where narrower stops would run "%nogame=70%lose=0".
    Memo3->setTabStopDistance(16 * QFontMetricsF(Memo3->font()).horizontalAdvance(' '));
    column->addWidget(Memo3, 1);
    Button23 = CornerButton("Button23");
    PinToTopRight(Memo3, Button23);
}

} // namespace kvarlen
