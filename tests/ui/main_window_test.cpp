// Start-up of the program and the option handlers of the main window.
#include "ui/Program.h"
#include "ui/bankroll/BankrollPage.h"
#include "ui_test_support.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTableWidget>

#include <memory>

using namespace kvarlen;

class TMainWindowTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TProgram> program;
    TForm1& form() { return program->Form1; }

  private slots:
    void init() {
        test::Messages().Texts.clear();
        program = std::make_unique<TProgram>();
    }
    void cleanup() { program.reset(); }

    void windowTitlesAreTheirOwn() {
        // A display name would be added to every title by the window system ("Form2 — ...").
        SetUpApplication();
        QCOMPARE(QGuiApplication::applicationDisplayName(), QGuiApplication::applicationName());
        QCOMPARE(form().windowTitle(), QString("Кварлен (5 + покупка 1)"));
        QCOMPARE(program->Form2.windowTitle(), QString("Form2"));
        QCOMPARE(program->Form3.windowTitle(), QString("Trace"));
    }

    void opensOnTheSimulationPageWithSevenPagesInOrder() {
        QCOMPARE(form().windowTitle(), QString("Кварлен (5 + покупка 1)"));
        QTabWidget* pages = form().PageControl1;
        const QStringList captions = {"хлам был",   "настройки",     "расклады", "симуляция",
                                      "математика", "точный расчёт", "тренажёр"};
        const QStringList names = {"TabSheet1", "TabSheet8",     "TabSheet3",       "TabSheet2",
                                   "TabSheet7", "TabSheetExact", "TabSheetTraining"};
        QCOMPARE(pages->count(), 7);
        for (int i = 0; i < 7; ++i) {
            QCOMPARE(pages->tabText(i), captions[i]);
            QCOMPARE(pages->widget(i)->objectName(), names[i]);
        }
        QCOMPARE(pages->currentWidget()->objectName(), QString("TabSheet2"));
        QCOMPARE(program->Form2.windowTitle(), QString("Form2"));
        QCOMPARE(program->Form3.windowTitle(), QString("Trace"));
        QVERIFY(!program->Form2.isVisible());
        QVERIFY(!program->Form3.isVisible());
    }

    void everyNamedControlExists() {
        const char* names[] = {"Card1",
                               "Card2",
                               "Card3",
                               "Card4",
                               "Card5",
                               "Card6",
                               "Card7",
                               "Card8",
                               "Card9",
                               "DealerCard",
                               "BuyedCard",
                               "Label3",
                               "Button2",
                               "Button9",
                               "Button10",
                               "Button12",
                               "Button13",
                               "Button17",
                               "Button18",
                               "Button19",
                               "Button20",
                               "Button21",
                               "Button7",
                               "Button22",
                               "Button23",
                               "Button27",
                               "AK_exist",
                               "CheckBox2",
                               "CheckBox3",
                               "CheckBox5",
                               "CheckBox6",
                               "CheckBox7",
                               "CheckBox8",
                               "CheckBox9",
                               "CheckBox10",
                               "CheckBox11",
                               "CheckBox12",
                               "RND_CB",
                               "TraceCB",
                               "DBF_cb",
                               "RadioButton1",
                               "RadioButton2",
                               "RadioButton3",
                               "RadioButton4",
                               "RadioButton5",
                               "RadioButton6",
                               "RadioGroup2",
                               "GroupBox1",
                               "GroupBox3",
                               "ComboBox1",
                               "ComboBox2",
                               "ComboBox3",
                               "ComboBox4",
                               "Edit1",
                               "Edit4",
                               "Memo1",
                               "Memo3",
                               "StringGrid3",
                               "StatusBar1",
                               "PageControl2",
                               "TabSheet5",
                               "Panel1",
                               "Panel2",
                               "Panel3",
                               "Label2",
                               "Label7",
                               "Label9",
                               "Label23",
                               "Label24",
                               "Label25",
                               "ePay_AK",
                               "ePay_royal",
                               "ePrice_Change1",
                               "ePrice_buyDGame",
                               "Button4",
                               "Button14",
                               "Button15",
                               "Button16",
                               "MathBank",
                               "MathMO",
                               "MathDISP",
                               "MathSIGMA",
                               "MathEditTryCount",
                               "LabelMathROR",
                               "LabelMathBank",
                               "LabelMathRazbros"};
        for (const char* name : names) QVERIFY2(form().findChild<QWidget*>(name) != nullptr, name);
        QCOMPARE(form().findChild<QPushButton*>("Button9")->text(), QString("Колода"));
        QCOMPARE(form().findChild<QPushButton*>("Button4")->text(), QString("СТАРТ"));
        QCOMPARE(form().Label2->text(),
                 QString("Начальный банк каждого игрока                      анте"));
    }

    void startUpShowsThePairAndBuildsTheDeck() {
        QCOMPARE(form().Label3->text(), QString("Пара      "));
        QVERIFY(!form().DeckDirty);
        const TDeck& deck = form().Deck;
        for (int k = 1; k <= 52; ++k) {
            const bool taken = k == 40 || k == 13 || k == 23 || k == 16 || k == 36;
            QCOMPARE(deck[k].Value, taken ? 0 : (k - 1) % 13 + 1);
            QCOMPARE(int(deck[k].Suit), (k - 1) / 13 + 1);
        }
        QVERIFY(deck.IsUnseen(1, 10)); // the dealer's ten of spades
        QVERIFY(form().Generator.UseMyRandom);
        QVERIFY(form().Generator.RandomSeed != 0);
    }

    void startUpDisablesTheExchangeModes() {
        QVERIFY(form().RadioButton2->isChecked());
        QVERIFY(!form().RadioGroup2->isEnabled());
        for (QRadioButton* b :
             {form().RadioButton3, form().RadioButton4, form().RadioButton5, form().RadioButton6})
            QVERIFY(!b->isEnabled());
        QVERIFY(form().RadioButton4->isChecked());
    }

    void settingsAndSimulationDefaults() {
        const QStringList pays = {"1  ", "1  ", "2  ", "3  ", "4  ",
                                  "5  ", "7  ", "20 ", "50 ", "100"};
        const QLineEdit* edits[] = {
            form().ePay_AK, form().ePay_2,  form().ePay_22, form().ePay_3,    form().ePay_st,
            form().ePay_fl, form().ePay_32, form().ePay_4,  form().ePay_stfl, form().ePay_royal};
        for (int i = 0; i < 10; ++i) {
            QCOMPARE(edits[i]->displayText(), pays[i]);
            QVERIFY(!edits[i]->isEnabled());
        }
        for (const QLineEdit* e : {form().ePrice_Change1, form().ePrice_Change2, form().ePrice_buy6,
                                   form().ePrice_buyDGame}) {
            QCOMPARE(e->text(), QString("1,0"));
            QVERIFY(!e->isEnabled());
        }
        // The settings as FillRules reads them give the default rules and payouts.
        TRules rules;
        FillRules(form().ReadRulesControls(), rules);
        QVERIFY(PayTable == kDefaultPayTable);
        QVERIFY(rules.Insurance && rules.AKPlays && rules.Buy6 && !rules.Exchange1);
        QCOMPARE(int(rules.DealerGameBuy), 0);
        QCOMPARE(rules.PriceBuy6, 1.0);

        QVERIFY(form().CheckBox12->isEnabled() == false && !form().CheckBox12->isChecked());
        QVERIFY(!form().CheckBox7->isEnabled() && form().CheckBox7->isChecked());
        QVERIFY(!form().CheckBox6->isEnabled() && !form().CheckBox6->isChecked());
        QVERIFY(!form().CheckBox10->isEnabled() && form().CheckBox10->isChecked());
        QVERIFY(!form().ComboBox3->isEnabled());
        QCOMPARE(form().ComboBox2->currentText(), QString("покупки игры дилеру нет"));
        QCOMPARE(form().ComboBox4->currentText(), QString("любые"));
        QVERIFY(!form().ComboBox4->isEnabled());
        QCOMPARE(form().ComboBox1->currentText(), QString("1"));
        QCOMPARE(form().Edit1->text(), QString("100"));
        QVERIFY(form().AK_exist->isChecked() && form().CheckBox11->isChecked());
        QVERIFY(!form().CheckBox2->isChecked());
    }

    void startUpCreatesTheOutFolderAndLeavesAnExistingOne() {
        QVERIFY(QDir("out").exists());
        QFile keep("out/keep.txt");
        QVERIFY(keep.open(QIODevice::WriteOnly));
        keep.close();
        program.reset();
        program = std::make_unique<TProgram>();
        QVERIFY(QFile::exists("out/keep.txt"));
    }

    void boxCountResetsTheDealFilter() {
        // The filter is usable only after the box count changed under ideal play.
        form().RadioButton1->setChecked(true);
        form().ComboBox1->setCurrentIndex(1);
        QVERIFY(!form().ComboBox4->isEnabled());
        form().ComboBox1->setCurrentIndex(0);
        QVERIFY(form().ComboBox4->isEnabled());
        form().ComboBox4->setCurrentIndex(4);
        QCOMPARE(form().ComboBox4->currentText(), QString("тройни"));
        form().ComboBox1->setCurrentIndex(1);
        QCOMPARE(form().ComboBox4->currentText(), QString("любые"));
        QCOMPARE(form().ComboBox4->currentIndex(), 0);
        QVERIFY(!form().ComboBox4->isEnabled());
        // Strategy play: choosing one box again leaves it disabled.
        form().RadioButton2->setChecked(true);
        form().ComboBox1->setCurrentIndex(0);
        QVERIFY(!form().ComboBox4->isEnabled());
        // Typed text other than "1" counts as another number of boxes.
        form().RadioButton1->setChecked(true);
        form().ComboBox1->setCurrentIndex(2);
        form().ComboBox1->setCurrentIndex(0);
        QVERIFY(form().ComboBox4->isEnabled());
        form().ComboBox1->setEditText("7");
        QVERIFY(!form().ComboBox4->isEnabled());
    }

    void playModeSwitchesTheExchangeModesAndRefusesCardExchange() {
        form().show();
        form().PageControl1->setCurrentWidget(form().TabSheet2);
        QTest::mouseClick(form().RadioButton1, Qt::LeftButton);
        QVERIFY(form().RadioButton1->isChecked());
        QVERIFY(form().RadioGroup2->isEnabled());
        QVERIFY(form().RadioButton6->isEnabled());
        QTest::mouseClick(form().RadioButton6, Qt::LeftButton);
        QCOMPARE(test::Messages().Texts, QStringList{"ЭТО НЕЧЕСТНО!"});
        QVERIFY(form().RadioButton3->isChecked());
        QVERIFY(!form().RadioButton6->isChecked());
        QTest::mouseClick(form().RadioButton2, Qt::LeftButton);
        QVERIFY(!form().RadioGroup2->isEnabled());
        QVERIFY(!form().RadioButton3->isEnabled());
    }

    void coupledCheckBoxes() {
        form().CheckBox9->setChecked(false);
        QVERIFY(!form().AK_exist->isChecked());
        form().AK_exist->setChecked(true);
        QVERIFY(form().CheckBox9->isChecked());

        form().CheckBox8->setChecked(false);
        form().CheckBox8->setChecked(true);
        QVERIFY(!form().CheckBox12->isChecked());
        QVERIFY(!form().CheckBox12->isEnabled());

        form().DBF_cb->setChecked(true);
        QVERIFY(form().CheckBox10->isEnabled());
        form().DBF_cb->setChecked(false);
        QVERIFY(!form().CheckBox10->isEnabled());

        form().ComboBox3->setCurrentIndex(1);
        form().ComboBox2->setCurrentIndex(2);
        QVERIFY(form().ComboBox3->isEnabled());
        form().ComboBox2->setEditText("что-то своё");
        QVERIFY(form().ComboBox3->isEnabled());
        form().ComboBox2->setCurrentIndex(0);
        QVERIFY(!form().ComboBox3->isEnabled());
        QCOMPARE(form().ComboBox3->currentIndex(), 1);

        form().RND_CB->setChecked(false);
        QVERIFY(!form().Generator.UseMyRandom);
        form().Generator.RandomSeed = 0;
        form().RND_CB->setChecked(true);
        QVERIFY(form().Generator.UseMyRandom);
        QVERIFY(form().Generator.RandomSeed != 0);
    }

    void clearButtonsEmptyTheLogsAndTheWholeGrid() {
        form().Memo1->setPlainText("a");
        form().Memo3->setPlainText("b");
        QTableWidget* grid = form().StringGrid3;
        grid->setColumnCount(9); // as the raise table leaves it
        for (int r = 0; r < grid->rowCount(); ++r)
            for (int c = 0; c < grid->columnCount(); ++c)
                grid->setItem(r, c, new QTableWidgetItem("x"));
        form().Button22->click();
        form().Button23->click();
        form().Button27->click();
        QVERIFY(form().Memo1->toPlainText().isEmpty());
        QVERIFY(form().Memo3->toPlainText().isEmpty());
        for (int r = 0; r < grid->rowCount(); ++r)
            for (int c = 0; c < grid->columnCount(); ++c)
                QVERIFY(grid->item(r, c)->text().isEmpty());
    }

    void bankrollFieldsTakeASimulationsFigures() {
        form().ShowMathInputs(0.0123, 2.5);
        QCOMPARE(form().BankrollPage()->MathMO->text(), QString("0,012300"));
        QCOMPARE(form().BankrollPage()->MathDISP->text(), QString("2,500000"));
        QCOMPARE(form().BankrollPage()->MathSIGMA->text(), QString("1,581139"));
    }
};

KVARLEN_UI_TEST_MAIN(TMainWindowTest)
#include "main_window_test.moc"
