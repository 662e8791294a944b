#include "ui/MainWindow.h"

#include "ui/bankroll/BankrollPage.h"
#include "ui/common/Messages.h"
#include "ui/exact/ExactPage.h"
#include "ui/help/HelpWindow.h"
#include "ui/settings/SettingsPage.h"
#include "ui/simulation/BankChart.h"
#include "ui/simulation/TraceUnit.h"
#include "ui/training/TrainingPage.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCursor>
#include <QDir>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableWidget>

#include <chrono>

namespace kvarlen {

char DecimalSeparator() {
    const QString point = QLocale().decimalPoint();
    return point == "." ? '.' : ',';
}

namespace {
// The item the text of a drop-down list names, or -1 for typed text.
int ItemIndex(const QComboBox* combo) {
    return combo->findText(combo->currentText(), Qt::MatchExactly | Qt::MatchCaseSensitive);
}
} // namespace

TForm1::TForm1(QWidget* parent) : QMainWindow(parent) {
    setObjectName("Form1");
    HistoryTablePath = QDir(QCoreApplication::applicationDirPath()).filePath("DBF/1box.DBF");
    setWindowTitle("Кварлен (5 + покупка 1)");
    QFont client("MS Sans Serif", 8);
    client.setStyleHint(QFont::SansSerif);
    setFont(client);
    resize(791, 569);

    PageControl1 = new QTabWidget;
    PageControl1->setObjectName("PageControl1");
    setCentralWidget(PageControl1);
    TabSheet1 = new QWidget;
    TabSheet1->setObjectName("TabSheet1");
    TabSheet8 = new QWidget;
    TabSheet8->setObjectName("TabSheet8");
    TabSheet3 = new QWidget;
    TabSheet3->setObjectName("TabSheet3");
    TabSheet2 = new QWidget;
    TabSheet2->setObjectName("TabSheet2");
    bankroll_ = new TBankrollPage;
    BuildSettingsPage(TabSheet8);
    BuildLayoutPage(TabSheet3);
    BuildSimulationPage(TabSheet2);
    PageControl1->addTab(TabSheet1, "хлам был");
    PageControl1->addTab(TabSheet8, "настройки");
    PageControl1->addTab(TabSheet3, "расклады");
    PageControl1->addTab(TabSheet2, "симуляция");
    PageControl1->addTab(bankroll_, "математика");
    exact_ = new TExactPage(*this);
    PageControl1->addTab(exact_, "точный расчёт");
    training_ = new TTrainingPage(*this);
    PageControl1->addTab(training_, "тренажёр");
    PageControl1->setCurrentWidget(TabSheet2);

    Connect();
    InstallHelp(*this); // "справка", "о программе" and F1
    FormCreate();
    // Key preview: every key typed in this window passes here before the focused control.
    qApp->installEventFilter(this);
}

TForm1::~TForm1() {
    qApp->removeEventFilter(this);
}

void TForm1::Connect() {
    connect(ComboBox1, &QComboBox::activated, this, [this] { ComboBox1Change(); });
    connect(ComboBox1, &QComboBox::editTextChanged, this, [this] { ComboBox1Change(); });
    connect(ComboBox2, &QComboBox::activated, this, [this] { ComboBox2Change(); });
    connect(ComboBox2, &QComboBox::editTextChanged, this, [this] { ComboBox2Change(); });
    connect(CheckBox8, &QCheckBox::toggled, this, [this] { CheckBox8Click(); });
    connect(CheckBox12, &QCheckBox::toggled, this, [this] { CheckBox12Click(); });
    connect(CheckBox9, &QCheckBox::toggled, this, [this] { CheckBox9Click(); });
    connect(AK_exist, &QCheckBox::toggled, this, [this] { AK_existClick(); });
    connect(DBF_cb, &QCheckBox::toggled, this, [this] { DBF_cbClick(); });
    connect(RND_CB, &QCheckBox::toggled, this, [this] { RND_CBClick(); });
    connect(RadioButton1, &QRadioButton::toggled, this, [this] { RadioButton1Click(); });
    connect(RadioButton2, &QRadioButton::toggled, this, [this] { RadioButton2Click(); });
    connect(RadioButton6, &QRadioButton::toggled, this, [this](bool on) {
        if (on) RadioButton6Click();
    });
    connect(Button22, &QPushButton::clicked, this, [this] { Button22Click(); });
    connect(Button23, &QPushButton::clicked, this, [this] { Button23Click(); });
    connect(Button4, &QPushButton::clicked, this, [this] { Button4Click(); });
    connect(Button27, &QPushButton::clicked, this, [this] { Button27Click(); });

    for (int i = 1; i <= 5; ++i) {
        connect(PlayerCards[static_cast<size_t>(i)], &TCard::MouseDown, this,
                [this, i](Qt::MouseButton b) { PlayerCardMouseDown(i, b); });
        TCard* card = PlayerCards[static_cast<size_t>(i)];
        connect(FlipButtons[static_cast<size_t>(i)], &QPushButton::clicked, this,
                [this, card] { FlipCard(card); });
    }
    connect(BuyedCard, &TCard::MouseDown, this,
            [this](Qt::MouseButton b) { BuyedCardMouseDown(b); });
    connect(Button7, &QPushButton::clicked, this, [this] { FlipCard(BuyedCard); });
    connect(Button9, &QPushButton::clicked, this, [this] { Button9Click(); });

    connect(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
    connect(Button12, &QPushButton::clicked, this, [this] { Button12Click(); });
    connect(Button10, &QPushButton::clicked, this, [this] { Button10Click(); });
    connect(Button13, &QPushButton::clicked, this, [this] { Button13Click(); });
    connect(ButtonBest, &QPushButton::clicked, this, [this] { ButtonBestClick(); });
    settings_->Start(); // every field and switch of the rules exists now
    ConnectLayoutEntry();
}

void TForm1::FormCreate() {
    // Reports go to "out" under the current directory; a failure shows up when they are written.
    QDir::current().mkdir("out");
    BinomialTable();
    EvaluateLayout();
    Deck.Reset();
    for (int i = 1; i <= 5; ++i) Deck.Take(PlayerCards[static_cast<size_t>(i)]->CardRec());
    if (!BuyedCard->ShowDeck()) Deck.Take(BuyedCard->CardRec());
    RND_CBClick();
    if (RadioButton2->isChecked()) RadioButton2Click();
}

void TForm1::SetTraceWindow(TForm3* trace) {
    trace_ = trace;
    if (trace_) trace_->SetTraceSwitch(TraceCB);
}

TLayout TForm1::ReadLayout() const {
    TLayout layout;
    for (int i = 1; i <= 5; ++i) {
        const TCard* card = PlayerCards[static_cast<size_t>(i)];
        layout.Player[i].Card = card->CardRec();
        layout.Player[i].FaceUp = !card->ShowDeck();
    }
    layout.Bought.Card = BuyedCard->CardRec();
    layout.Bought.FaceUp = !BuyedCard->ShowDeck();
    layout.Dealer = DealerCard->CardRec();
    return layout;
}

TRulesControls TForm1::ReadRulesControls() const {
    TRulesControls c;
    c.Insurance = CheckBox5->isChecked();
    c.AKPlays = CheckBox9->isChecked();
    c.DealerGameBuyIndex = ItemIndex(ComboBox2);
    c.Exchange1 = CheckBox12->isChecked();
    c.AntePaidIndex = ItemIndex(ComboBox3);
    c.Buy6 = CheckBox8->isChecked();
    const QLineEdit* pays[10] = {ePay_AK, ePay_2,  ePay_22, ePay_3,    ePay_st,
                                 ePay_fl, ePay_32, ePay_4,  ePay_stfl, ePay_royal};
    // The masked fields read unfilled positions as blanks.
    for (size_t i = 0; i < 10; ++i) c.Pay[i] = pays[i]->displayText().toStdString();
    c.PriceChange1 = ePrice_Change1->text().toStdString();
    c.PriceChange2 = ePrice_Change2->text().toStdString();
    c.PriceBuy6 = ePrice_buy6->text().toStdString();
    c.PriceBuyDealerGame = ePrice_buyDGame->text().toStdString();
    return c;
}

void TForm1::ComboBox1Change() {
    if (ComboBox1->currentText() == "1") {
        if (RadioButton1->isChecked()) ComboBox4->setEnabled(true);
        return;
    }
    ComboBox4->setCurrentIndex(0);
    ComboBox4->setEditText("любые");
    ComboBox4->setEnabled(false);
}

void TForm1::ComboBox2Change() {
    const int index = ItemIndex(ComboBox2);
    if (index == 0) ComboBox3->setEnabled(false);
    if (index == 1 || index == 2) ComboBox3->setEnabled(true);
}

void TForm1::CheckBox8Click() {
    if (CheckBox8->isChecked()) CheckBox12->setChecked(false);
}

void TForm1::CheckBox12Click() {
    if (CheckBox12->isChecked()) CheckBox8->setChecked(false);
}

// Setting a box to the state it already has fires nothing, so the mirror cannot loop.
void TForm1::CheckBox9Click() {
    AK_exist->setChecked(CheckBox9->isChecked());
}

void TForm1::AK_existClick() {
    CheckBox9->setChecked(AK_exist->isChecked());
    // Whether ace+king plays changes the name of the hand.
    TableChanged();
}

void TForm1::DBF_cbClick() {
    CheckBox10->setEnabled(DBF_cb->isChecked());
}

void TForm1::RadioButton1Click() {
    if (!RadioButton1->isChecked()) return;
    RadioGroup2->setEnabled(true);
    for (QRadioButton* b : {RadioButton3, RadioButton4, RadioButton5, RadioButton6})
        b->setEnabled(true);
}

void TForm1::RadioButton2Click() {
    if (!RadioButton2->isChecked()) return;
    RadioGroup2->setEnabled(false);
    for (QRadioButton* b : {RadioButton3, RadioButton4, RadioButton5, RadioButton6})
        b->setEnabled(false);
}

void TForm1::RadioButton6Click() {
    ShowModalMessage(this, "ЭТО НЕЧЕСТНО!");
    RadioButton3->setChecked(true);
}

void TForm1::RND_CBClick() {
    Generator.UseMyRandom = RND_CB->isChecked();
    if (Generator.UseMyRandom) {
        Generator.SeedMyRandom(TickCount());
    } else {
        const auto now = std::chrono::system_clock::now().time_since_epoch();
        Generator.SeedLibrary(static_cast<uint64_t>(now.count()));
    }
}

void TForm1::Button22Click() {
    Memo1->clear();
}

void TForm1::Button23Click() {
    Memo3->clear();
}

void TForm1::Button27Click() {
    // Every cell, the fixed row and column included, whatever size the raise table left.
    for (int r = 0; r < StringGrid3->rowCount(); ++r)
        for (int c = 0; c < StringGrid3->columnCount(); ++c)
            if (QTableWidgetItem* item = StringGrid3->item(r, c)) item->setText(QString());
}

QString TForm1::RuleSetName() const {
    return settings_ ? settings_->NameInForce() : QString(kDefaultRuleSetName);
}

bool TForm1::ExactRunning() const {
    return exact_ && exact_->Running();
}

void TForm1::ShowTrainingLayout(const THand& hand, const TCardRec& open, const TDeck& view,
                                const QString& note) {
    for (int i = 1; i <= 5; ++i) {
        TCard* card = PlayerCards[static_cast<size_t>(i)];
        card->SetValue(hand.Cards[i].Value);
        card->SetSuit(hand.Cards[i].Suit);
        card->SetShowDeck(false);
        card->update();
    }
    // A bought sixth card lies face up; otherwise the sixth place shows its back.
    const bool six = hand.Count >= 6 && hand.Cards[6].Value > 0;
    if (six) {
        BuyedCard->SetValue(hand.Cards[6].Value);
        BuyedCard->SetSuit(hand.Cards[6].Suit);
    }
    BuyedCard->SetShowDeck(!six);
    BuyedCard->update();
    DealerCard->SetValue(open.Value);
    DealerCard->SetSuit(open.Suit);
    DealerCard->update();
    // The view is the deck the judge priced on: the analysis reads it as it is.
    Deck = view;
    DeckDirty = false;
    TableChanged();
    PageControl1->setCurrentWidget(TabSheet3);
    StatusBar1->showMessage(note);
}

void TForm1::ShowMathInputs(double mo, double variance) {
    bankroll_->ShowMathInputs(mo, variance);
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress || !watched->isWidgetType()) return false;
    auto* widget = static_cast<QWidget*>(watched);
    // Esc in the main or the trace window stops a running simulation.
    if (simulating_ && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape &&
        (widget->window() == this || (trace_ && widget->window() == trace_))) {
        StopSimulation();
        return true;
    }
    if (widget->window() != this) return false;
    const bool propagated = event == lastKey_ && lastKeyReceiver_ != nullptr &&
                            widget != lastKeyReceiver_ && widget->isAncestorOf(lastKeyReceiver_);
    lastKey_ = event;
    lastKeyReceiver_ = widget;
    if (propagated) return false;
    if (widget == LayoutEdit) return LayoutEditKey(static_cast<QKeyEvent*>(event));
    const QString text = static_cast<QKeyEvent*>(event)->text();
    if (!text.isEmpty() && text[0].isPrint()) FormKeyPress(text[0], QCursor::pos());
    // Never consumed: the focused control gets the key too.
    return false;
}

void TForm1::closeEvent(QCloseEvent* event) {
    // A run in progress ends after its current deal and still writes its report and files.
    closing_ = true;
    if (simulating_) StopSimulation();
    // An exact run holds every core: stop it and wait for its threads.
    if (exact_) exact_->StopAndWait();
    if (trace_ && trace_->isVisible()) trace_->close();
    if (chart_) chart_->close();
    QMainWindow::closeEvent(event);
}

} // namespace kvarlen
