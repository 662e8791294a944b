#include "ui/Program.h"

#include "ui/BankrollPage.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QLineEdit>
#include <QTabWidget>

namespace kvarlen {

TProgram::TProgram() : Form2(Form1.Deck) {
    Form1.SetPicker(&Form2);
    Form1.SetTraceWindow(&Form3);
}

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
    main.PageControl1->setCurrentIndex(start);
    return ok;
}

} // namespace kvarlen
