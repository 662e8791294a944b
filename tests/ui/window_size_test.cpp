// The main window keeps its size whatever its pages say: long status lines wrap or are cut,
// they never widen the window (it would cover what stands beside it and move START).
#include "ui/bankroll/BankrollPage.h"
#include "ui/exact/ExactPage.h"
#include "ui/training/TrainingPage.h"
#include "ui_run_support.h"
#include "ui_test_support.h"

#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>

#include <memory>

using namespace kvarlen;

namespace {

class TLongPathChooser : public TExactFileChooser {
  public:
    QString SaveCsvPath(QWidget*, const QString&) override { return Path; }
    QString Path;
};

// A folder name without a blank in it: a wrapping label cannot break it.
QString LongName() { // 140 bytes of the 255 a name may have
    return "таблица_точного_расчёта_для_проверки_что_длинное_имя_не_растягивает_окно";
}

} // namespace

class TWindowSizeTest : public QObject {
    Q_OBJECT

    std::unique_ptr<test::TRunFixture> fixture;
    TLongPathChooser chooser;
    TForm1& form() { return fixture->program->Form1; }

    QSize size0, minimum0;
    void Remember() {
        QApplication::processEvents();
        size0 = form().size();
        minimum0 = form().minimumSizeHint();
    }
    void ExpectUnchanged(const QString& shown) {
        QApplication::processEvents();
        QVERIFY2(form().size() == size0 && form().minimumSizeHint() == minimum0,
                 qPrintable(QString("%1×%2 (at least %3×%4) instead of %5×%6 (%7×%8) after «%9»")
                                .arg(form().width())
                                .arg(form().height())
                                .arg(form().minimumSizeHint().width())
                                .arg(form().minimumSizeHint().height())
                                .arg(size0.width())
                                .arg(size0.height())
                                .arg(minimum0.width())
                                .arg(minimum0.height())
                                .arg(shown)));
    }

  private slots:
    void init() {
        test::Messages().Texts.clear();
        fixture = std::make_unique<test::TRunFixture>();
        SetExactFileChooser(&chooser);
        form().show();
    }
    void cleanup() {
        fixture.reset();
        SetExactFileChooser(nullptr);
    }

    void aStoppedExactRunAndALongFileNameLeaveTheWindowAlone() {
        TExactPage* page = form().ExactPage();
        form().PageControl1->setCurrentWidget(page);
        Remember();
        QVERIFY(page->Start());
        QTRY_VERIFY_WITH_TIMEOUT(page->ExactProgress->value() > 0, 60000);
        page->ExactStart->click(); // СТОП
        QTRY_VERIFY_WITH_TIMEOUT(!page->Running(), 60000);
        QVERIFY(page->ExactStatus->text().contains("остановлен"));
        ExpectUnchanged(page->ExactStatus->text());
        if (QTest::currentTestFailed()) return;

        QDir(fixture->dir.path()).mkdir(LongName());
        chooser.Path = fixture->dir.filePath(LongName() + "/" + LongName() + ".csv");
        QVERIFY(page->SaveCsv());
        QVERIFY(page->ExactStatus->text().contains(LongName()));
        ExpectUnchanged(page->ExactStatus->text());
        // On another page too: the hidden pages size the window as well.
        form().PageControl1->setCurrentIndex(0);
        ExpectUnchanged("another page");
    }

    void theBankrollAndTrainingMessagesLeaveTheWindowAlone() {
        TBankrollPage* bank = form().BankrollPage();
        form().PageControl1->setCurrentWidget(bank);
        Remember();
        bank->MathBank->setText("999999999");
        bank->MathMO->setText("0,000001");
        bank->MathDISP->setText("99999999999");
        bank->MathEditTryCount->setText("2000000000");
        bank->Button14Click();
        bank->Button15Click();
        bank->Button16Click();
        QVERIFY(test::Messages().Texts.isEmpty());
        QVERIFY(bank->LabelMathRazbros->text().contains("E10"));
        ExpectUnchanged(bank->LabelMathRazbros->text());

        // A history file that is not one, under a long name: the note names it.
        TTrainingPage* training = form().TrainingPage();
        form().PageControl1->setCurrentWidget(training);
        Remember();
        const QString path = fixture->dir.filePath(LongName() + ".sqlite");
        {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(QByteArray("not a database\n").repeated(100));
        }
        training->TrainHistoryPath->setText(path);
        training->TrainSeed->setText("5");
        training->TrainDeals->setText("3");
        QVERIFY(training->Start());
        QVERIFY(training->TrainStatus->text().contains("не принят"));
        ExpectUnchanged(training->TrainStatus->text());
    }
};

KVARLEN_UI_TEST_MAIN(TWindowSizeTest)
#include "window_size_test.moc"
