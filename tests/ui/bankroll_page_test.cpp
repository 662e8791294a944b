// The bankroll page in a comma locale: the three computations, sigma, and their errors.
#include "ui/bankroll/BankrollPage.h"
#include "ui/common/ChartExport.h"
#include "ui_test_support.h"

#include <QChart>
#include <QChartView>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSvgRenderer>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>

#include <memory>

using namespace kvarlen;

namespace {

class TAnswerChooser : public TFileChooser {
  public:
    QString SaveFileName(QWidget*, const QString&, const QString&, const QString&) override {
        return Answer;
    }
    QString Answer;
};

// Picks the item'th entry of the context menu that is about to open.
void PickFromMenu(int item) {
    QTimer::singleShot(0, [item] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        QVERIFY(menu != nullptr);
        for (int i = 0; i < item; ++i) QTest::keyClick(menu, Qt::Key_Down);
        QTest::keyClick(menu, Qt::Key_Return);
    });
}

} // namespace

class TBankrollPageTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TBankrollPage> page;
    QStringList& messages() { return test::Messages().Texts; }

    void fill(const char* bank, const char* mo, const char* variance, const char* deals) {
        page->MathBank->setText(bank);
        page->MathMO->setText(mo);
        page->MathDISP->setText(variance);
        page->MathEditTryCount->setText(deals);
    }

  private slots:
    void init() {
        page = std::make_unique<TBankrollPage>();
        messages().clear();
    }
    void cleanup() { page.reset(); }

    void startsEmpty() {
        for (QLineEdit* e : {page->MathBank, page->MathMO, page->MathDISP, page->MathSIGMA,
                             page->MathEditTryCount})
            QVERIFY(e->text().isEmpty());
        QVERIFY(page->MathSIGMA->isReadOnly());
        QCOMPARE(page->LabelMathROR->text(), QString("ROR = "));
        QCOMPARE(page->LabelMathBank->text(), QString("MinBank ="));
        QCOMPARE(page->LabelMathRazbros->text(), QString("от ... до ..."));
        QCOMPARE(page->Button16->text(), QString("Разброс при N=                     раздачах"));
    }

    void theWorkedExamples() {
        fill("100", "0,05", "2,5", "10000");
        page->Button14->click();
        QCOMPARE(page->LabelMathROR->text(), QString("ROR = 0,01832"));
        page->Button16->click();
        QCOMPARE(page->LabelMathRazbros->text(), QString("от 183,77223 до 816,22777"));
        QCOMPARE(page->MathChart->chart()->series().size(), 2);
        page->Button15->click();
        QCOMPARE(page->MathBank->text(), QString("50,000000"));
        QCOMPARE(page->LabelMathBank->text(), QString("MinBank = 50,00000"));
        QCOMPARE(page->MathSIGMA->text(), QString("1,581139"));
        page->MathDISP->setText("4");
        QCOMPARE(page->MathSIGMA->text(), QString("2,000000"));
        // A point is read as well as a comma.
        page->MathBank->setText("100");
        page->MathMO->setText("0.05");
        page->MathDISP->setText("2.5");
        page->Button14->click();
        QCOMPARE(page->LabelMathROR->text(), QString("ROR = 0,01832"));
        QVERIFY(messages().isEmpty());
    }

    // A probability above 1 and a negative bank were shown: without a positive expectation ruin
    // is certain and no bank suffices.
    void noPositiveExpectationMeansCertainRuin() {
        for (const char* mo : {"-0,05", "0"}) {
            fill("100", mo, "2,5", "1");
            page->Button14->click();
            QCOMPARE(page->LabelMathROR->text(), QString("ROR = 1: разорение неизбежно"));
            page->Button15->click();
            QCOMPARE(page->LabelMathBank->text(), QString("MinBank: банка не хватит"));
            QCOMPARE(page->MathBank->text(), QString("100"));
        }
        QVERIFY(messages().isEmpty());
        const int width = page->window()->width();
        fill("100", "0,05", "2,5", "1");
        page->Button14->click();
        page->Button15->click();
        QCOMPARE(page->LabelMathROR->text(), QString("ROR = 0,01832"));
        QCOMPARE(page->LabelMathBank->text(), QString("MinBank = 50,00000"));
        QCOMPARE(page->window()->width(), width);
    }

    void divisionByZeroChangesNothing() {
        fill("100", "0,05", "0", "10");
        page->Button14->click();
        QCOMPARE(messages(), QStringList{"Floating point division by zero"});
        QCOMPARE(page->LabelMathROR->text(), QString("ROR = "));
        fill("77", "0,05", "abc", "10");
        page->Button15->click();
        QCOMPARE(page->MathBank->text(), QString("77"));
        QCOMPARE(page->LabelMathBank->text(), QString("MinBank ="));
    }

    void figuresBeyondADoubleChangeNothing() {
        // They were shown as "от NAN до INF".
        fill("100", "1e308", "1e308", "10");
        page->Button16->click();
        QCOMPARE(messages().last(), QString("Floating point overflow"));
        QCOMPARE(page->LabelMathRazbros->text(), QString("от ... до ..."));
        QVERIFY(page->MathChart->chart()->series().isEmpty());
        fill("1e300", "-1e300", "1e-300", "10");
        page->Button14->click();
        QCOMPARE(messages().last(), QString("Floating point overflow"));
        QCOMPARE(page->LabelMathROR->text(), QString("ROR = "));
    }

    void conversionErrorsShowTheStandardMessageAndChangeNothing() {
        fill("100", "abc", "2,5", "10");
        page->Button14->click();
        QCOMPARE(messages().last(), QString("'abc' is not a valid floating point value"));
        QCOMPARE(page->LabelMathROR->text(), QString("ROR = "));

        fill("", "0,05", "2,5", "10");
        page->Button16->click(); // the bank must parse though the spread does not use it
        QCOMPARE(messages().last(), QString("'' is not a valid floating point value"));
        fill("100", "0,05", "2,5", "1,5");
        page->Button16->click();
        QCOMPARE(messages().last(), QString("'1,5' is not a valid integer value"));
        QCOMPARE(page->LabelMathRazbros->text(), QString("от ... до ..."));
        QVERIFY(page->MathChart->chart()->series().isEmpty());

        messages().clear();
        const QString sigma = page->MathSIGMA->text();
        page->MathDISP->setText("-");
        QCOMPARE(messages(), QStringList{"'-' is not a valid floating point value"});
        page->MathDISP->setText("-4");
        QCOMPARE(messages().last(), QString("Invalid floating point operation"));
        QCOMPARE(page->MathSIGMA->text(), sigma);
    }

    // The chart goes to a file and to the clipboard by the buttons under it and by its menu.
    void theChartIsSavedAndCopied() {
        fill("100", "0,05", "2,5", "10000");
        page->Button16->click();
        page->resize(700, 500);
        page->show();
        QVERIFY(QTest::qWaitForWindowExposed(page.get()));
        QTemporaryDir dir;
        TAnswerChooser chooser;
        TFileChooser* previous = SetFileChooser(&chooser);

        chooser.Answer = dir.filePath("spread.svg");
        page->MathChartSave->click();
        QSvgRenderer svg(chooser.Answer);
        QVERIFY(svg.isValid());
        QCOMPARE(svg.viewBoxF(), QRectF(QPointF(0, 0), page->MathChart->size()));

        QApplication::clipboard()->clear();
        page->MathChartCopy->click();
        QCOMPARE(QApplication::clipboard()->image().size(), page->MathChart->size());

        chooser.Answer = dir.filePath("spread.png");
        PickFromMenu(1); // "Сохранить как PNG или SVG…"
        emit page->MathChart->customContextMenuRequested(QPoint(20, 20));
        QCOMPARE(QImage(chooser.Answer).size(), page->MathChart->size());
        QApplication::clipboard()->clear();
        PickFromMenu(2); // "Копировать картинку"
        emit page->MathChart->customContextMenuRequested(QPoint(20, 20));
        QCOMPARE(QApplication::clipboard()->image().size(), page->MathChart->size());

        SetFileChooser(previous);
        QVERIFY(messages().isEmpty());
    }
};

KVARLEN_UI_TEST_MAIN(TBankrollPageTest)
#include "bankroll_page_test.moc"
