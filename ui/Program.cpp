#include "ui/Program.h"

#include "ui/BankChart.h"
#include "ui/BankrollPage.h"
#include "ui/ExactPage.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QRadioButton>
#include <QScreen>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>

namespace kvarlen {

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
    program.Form2.close();

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
    ok &= SaveExactScreenshots(main, dir.path());
    main.PageControl1->setCurrentIndex(start);
    return ok;
}

} // namespace kvarlen
