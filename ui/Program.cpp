#include "ui/Program.h"

#include "ui/bankroll/BankrollPage.h"
#include "ui/common/Card.h"
#include "ui/exact/ExactPage.h"
#include "ui/help/HelpScreenshots.h"
#include "ui/settings/SettingsPage.h"
#include "ui/simulation/BankChart.h"
#include "ui/simulation/SimulationScreenshots.h"
#include "ui/training/TrainingPage.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QRadioButton>
#include <QScreen>
#include <QStatusBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QTranslator>

#include <clocale>

namespace kvarlen {

void SetUpApplication() {
    // No display name: the window system would add it to every title ("Form2 — ...").
    QApplication::setApplicationName("kvarlen");
    // Numbers in files stay in the C format; the display takes its separator from QLocale.
    std::setlocale(LC_NUMERIC, "C");
    // The standard buttons and the file dialogs speak the program's language, whatever the
    // system's; without the translations installed they stay in English.
    static QPointer<QTranslator> qtTexts;
    if (qtTexts.isNull()) {
        qtTexts = new QTranslator(QCoreApplication::instance());
        if (qtTexts->load("qtbase_ru", QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
            QCoreApplication::installTranslator(qtTexts);
    }
}

TProgram::TProgram() : Form2(Form1.Deck) {
    Form1.SetPicker(&Form2);
    Form1.SetTraceWindow(&Form3);
}

namespace {

// A traced strategy run of two boxes, pictured at the first deal that shows both frames (a bought
// card, a card of the open card's value), then the report, the bank chart and an ideal run. The
// runs write their files into a scratch folder.
bool SaveRunScreenshots(TProgram& program, const QDir& folder) {
    const QDir dir(folder.absolutePath());
    TForm1& main = program.Form1;
    TForm3& trace = program.Form3;
    const QString home = QDir::currentPath();
    QTemporaryDir scratch;
    QDir::setCurrent(scratch.path());
    QDir::current().mkdir("out");

    main.PageControl1->setCurrentWidget(main.TabSheet2);
    main.Edit4->setText("20000");
    main.ComboBox1->setCurrentIndex(1);
    main.CheckBox3->setChecked(true);
    main.TraceCB->setChecked(true);
    bool ok = true;
    int waits = 0;
    QTimer timer;
    timer.setInterval(0);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        if (!trace.Waiting()) return;
        bool bought = false, match = false;
        const int open = main.Boxes[0].Hand.Cards[1].Value;
        for (int b = 1; b <= 2; ++b)
            for (int i = 1; i <= main.Boxes[b].Hand.Count; ++i) {
                bought |= main.Boxes[b].Hand.Cards[i].Mark == 1;
                match |= main.Boxes[b].Hand.Cards[i].Value == open;
            }
        if ((bought && match) || ++waits > 500) {
            ok &= trace.grab().save(dir.filePath("trace.png"));
            // Both windows as the user sees them (offscreen platforms give an empty picture).
            if (QScreen* screen = QGuiApplication::primaryScreen())
                screen->grabWindow(0).save(dir.filePath("desktop-trace.png"));
            trace.Button3Click();
        } else {
            trace.Button1Click();
        }
    });
    timer.start();
    main.Button4Click();
    timer.stop();
    QApplication::processEvents();
    ok &= main.grab().save(dir.filePath("simulation-report.png"));
    if (main.BankChart() != nullptr)
        ok &= main.BankChart()->grab().save(dir.filePath("bank-chart.png"));
    // The chart beside the main window as the screen shows them, and its axis after two deals.
    if (QScreen* screen = QGuiApplication::primaryScreen())
        screen->grabWindow(0).save(dir.filePath("desktop-bank-chart.png"));
    main.TraceCB->setChecked(false);
    main.Edit4->setText("2");
    main.Button4Click();
    QApplication::processEvents();
    if (main.BankChart() != nullptr)
        ok &= main.BankChart()->grab().save(dir.filePath("bank-chart-2-deals.png"));

    main.RadioButton1->setChecked(true);
    main.ComboBox1->setCurrentIndex(2);
    main.Edit4->setText("300");
    main.Button4Click();
    QApplication::processEvents();
    ok &= main.grab().save(dir.filePath("simulation-ideal.png"));
    QDir::setCurrent(home);
    return ok;
}

} // namespace

bool SaveScreenshots(TProgram& program, const QString& folder) {
    QDir dir(folder);
    if (!dir.mkpath(".")) return false;
    bool ok = true;
    TForm1& main = program.Form1;
    const int start = main.PageControl1->currentIndex();
    for (int i = 0; i < main.PageControl1->count(); ++i) {
        main.PageControl1->setCurrentIndex(i);
        QApplication::processEvents();
        ok &= main.grab().save(dir.filePath(QString("page%1.png").arg(i + 1)));
    }
    main.PageControl1->setCurrentIndex(start);
    main.Button9Click();
    program.Form2.CardMouseDown(DeckIndex(4, 2));
    program.Form2.CardMouseDown(DeckIndex(2, 11));
    QApplication::processEvents();
    ok &= program.Form2.grab().save(dir.filePath("picker.png"));
    // The small cards three times as large: tens, courts and suits at a glance.
    {
        const QPixmap picker = program.Form2.grab();
        ok &= picker.scaled(picker.size() * 3, Qt::KeepAspectRatio, Qt::FastTransformation)
                  .save(dir.filePath("picker-x3.png"));
    }
    program.Form2.close();

    // A refused layout: the dealer's card also in the player's hand, named in the status bar.
    {
        main.PageControl1->setCurrentWidget(main.TabSheet3);
        const int value = main.DealerCard->Value(), suit = main.DealerCard->Suit();
        main.DealerCard->SetValue(main.PlayerCards[2]->Value());
        main.DealerCard->SetSuit(main.PlayerCards[2]->Suit());
        main.DeckDirty = true;
        main.Button2Click();
        QApplication::processEvents();
        ok &= main.grab().save(dir.filePath("layout-refused.png"));
        main.DealerCard->SetValue(value);
        main.DealerCard->SetSuit(suit);
        main.DeckDirty = true;
        main.StatusBar1->clearMessage();
    }

    // The table of every option of the default layout by best play.
    main.PageControl1->setCurrentWidget(main.TabSheet3);
    main.ButtonBestClick();
    QApplication::processEvents();
    ok &= main.grab().save(dir.filePath("layout-best.png"));
    // Wider, so that the memo shows every column without scrolling.
    {
        const QSize size = main.size();
        main.resize(size.width() + 420, size.height());
        QApplication::processEvents();
        ok &= main.grab().save(dir.filePath("layout-best-wide.png"));
        main.resize(size);
        QApplication::processEvents();
    }
    main.Memo1->clear();

    // The same pages with results: every analysis with its detail, and a computed spread.
    main.PageControl1->setCurrentWidget(main.TabSheet3);
    main.CheckBox2->setChecked(true);
    main.Button2Click();
    main.Button10Click();
    main.Button12Click();
    main.Button13Click();
    QApplication::processEvents();
    ok &= main.grab().save(dir.filePath("layout-analysed.png"));
    TBankrollPage* bank = main.BankrollPage();
    bank->MathBank->setText("100");
    const QString point = QString(QChar(DecimalSeparator()));
    bank->MathMO->setText("0" + point + "05");
    bank->MathDISP->setText("2" + point + "5");
    bank->MathEditTryCount->setText("10000");
    bank->Button14Click();
    bank->Button15Click();
    bank->Button16Click();
    main.PageControl1->setCurrentWidget(bank);
    QApplication::processEvents();
    ok &= main.grab().save(dir.filePath("bankroll-computed.png"));
    ok &= SaveRunScreenshots(program, dir);
    ok &= SaveSimulationScreenshots(program, dir.path());
    ok &= SaveExactScreenshots(main, dir.path());
    ok &= SaveTrainingScreenshots(main, *main.TrainingPage(), dir.path());
    ok &= SaveSettingsScreenshots(main, dir.path());
    ok &= SaveLayoutScreenshots(main, dir.path());
    ok &= SaveHelpScreenshots(main, dir.path());
    main.PageControl1->setCurrentIndex(start);
    return ok;
}

} // namespace kvarlen
