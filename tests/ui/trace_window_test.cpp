// The trace window during a traced run: the wait after each deal, its buttons, closing it,
// switching tracing on again, the drawing of the deal and "bug.bmp".
#include "ui/simulation/BankChart.h"
#include "ui/simulation/TraceUnit.h"
#include "ui_run_support.h"
#include "ui_test_support.h"

#include <QAbstractEventDispatcher>
#include <QCheckBox>
#include <QComboBox>
#include <QImage>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSpinBox>

using namespace kvarlen;

namespace {

const QColor kGreen(0, 128, 0);
const QColor kBlue(0, 0, 255);
const QColor kRed(255, 0, 0);

// Anything drawn in the rectangle.
bool Drawn(const QImage& img, const QRect& r) {
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            if (img.pixelColor(x, y) != kGreen) return true;
    return false;
}

int PlayedDeals(TForm1& form) {
    const QStringList lines = form.Memo3->toPlainText().split('\n');
    for (const QString& line : lines)
        if (line.startsWith("Было сыграно ")) return line.section(' ', 2, 2).toInt();
    return -1;
}

} // namespace

class TTraceWindowTest : public QObject {
    Q_OBJECT

    std::unique_ptr<test::TRunFixture> fixture;
    TForm1& form() { return fixture->program->Form1; }
    TForm3& trace() { return fixture->program->Form3; }

    // A traced run of `deals` deals; `atWait` is called once per wait of the trace window.
    int tracedRun(int deals, int boxes, const std::function<void(int)>& atWait) {
        form().Edit4->setText(QString::number(deals));
        form().ComboBox1->setCurrentIndex(boxes - 1);
        form().TraceCB->setChecked(true);
        int waits = 0;
        test::RunWith(form(), [&] {
            if (trace().Waiting()) atWait(++waits);
        });
        return waits;
    }

  private slots:
    void init() {
        test::Messages().Texts.clear();
        fixture = std::make_unique<test::TRunFixture>();
    }
    void cleanup() { fixture.reset(); }

    void eachDealWaitsAndShowsTheDeal() {
        const int waits = tracedRun(3, 3, [&](int) {
            QVERIFY(trace().isVisible());
            QVERIFY(form().Simulating());
            const QImage& img = trace().Picture();
            const TBoxes& boxes = form().Boxes;
            // The dealer's open card framed blue, the second card not.
            QCOMPARE(img.pixelColor(9, 56), kBlue);
            QCOMPARE(img.pixelColor(64, 56), kBlue);
            QCOMPARE(img.pixelColor(69, 56), kGreen);
            const int open = boxes[0].Hand.Cards[1].Value;
            const int tops[4] = {0, 140, 240, 340};
            for (int b = 1; b <= 3; ++b) {
                const THand& hand = boxes[b].Hand;
                for (int i = 1; i <= hand.Count; ++i) {
                    const int x = 10 + (i - 1) * 60;
                    // Blue against the card for the open card's value, red one pixel
                    // further out for a bought card.
                    const bool match = hand.Cards[i].Value == open;
                    const bool bought = hand.Cards[i].Mark == 1;
                    const int y = tops[b] + 36;
                    QCOMPARE(img.pixelColor(x - 1, y), match ? kBlue : kGreen);
                    QCOMPARE(img.pixelColor(x - 2, y), match ? kBlue : bought ? kRed : kGreen);
                    QCOMPARE(img.pixelColor(x - 3, y), bought ? kRed : kGreen);
                    QVERIFY(img.pixelColor(x + 26, tops[b] + 36) != kGreen);
                }
                // "Raise" or "Pass" 100 pixels right of the hand, on the decision line.
                bool written = false;
                for (int y = tops[b] + 78; y < tops[b] + 92 && !written; ++y)
                    for (int x = 110; x < 140 && !written; ++x)
                        written = img.pixelColor(x, y) != kGreen;
                QVERIFY(written);
            }
            trace().Button1->click();
        });
        QCOMPARE(waits, 3);
        QCOMPARE(PlayedDeals(form()), 3);
        QVERIFY(form().TraceCB->isChecked());
        QVERIFY(trace().isVisible());
        QCOMPARE(form().Button4->text(), QString("ready"));
    }

    void eachDealShowsItsNumberResultAndBank() {
        int shown = 0;
        const int waits = tracedRun(3, 2, [&](int n) {
            const TTracedDeal& d = trace().LastDeal();
            QCOMPARE(d.Deal, qint64(n));
            QCOMPARE(d.TeamSize, 2);
            // Strategy play waits settled, before the banks are moved on.
            const TBoxes& boxes = form().Boxes;
            for (int b = 1; b <= 2; ++b) {
                QCOMPARE(d.Result[b], boxes[b].DealResult);
                QCOMPARE(d.Bank[b], boxes[b].Bank + boxes[b].DealResult);
            }
            const QImage& img = trace().Picture();
            // Right of the insurance sum: the number beside the dealer's caption, the figures
            // on each box's decision line, nothing for the box that does not play.
            QVERIFY(Drawn(img, QRect(210, 95, 150, 14)));
            QVERIFY(Drawn(img, QRect(210, 218, 150, 14)));
            QVERIFY(Drawn(img, QRect(210, 318, 150, 14)));
            QVERIFY(!Drawn(img, QRect(210, 418, 180, 14)));
            ++shown;
            trace().Button1->click();
        });
        QCOMPARE(waits, 3);
        QCOMPARE(shown, 3);
        // Ideal play draws the deal before it is settled; the figures are its settlement.
        form().RadioButton1->setChecked(true);
        form().Memo3->clear();
        std::array<double, 4> bank{0, 100, 100, 100};
        tracedRun(4, 1, [&](int n) {
            const TTracedDeal& d = trace().LastDeal();
            QCOMPARE(d.Deal, qint64(n));
            QCOMPARE(d.Bank[1], form().Boxes[1].Bank + d.Result[1]);
            bank[1] += d.Result[1];
            trace().Button1->click();
        });
        QCOMPARE(form().Boxes[1].Bank, bank[1]);
    }

    void theAutomaticStepGoesOnByItself() {
        trace().AutoDelay->setValue(1);
        QVERIFY(!trace().AutoStep->isChecked());
        int64_t last = 0;
        bool waitedAtThree = false;
        tracedRun(6, 1, [&](int) {
            const int64_t deal = trace().LastDeal().Deal;
            if (deal == last) return; // the same wait seen again
            last = deal;
            // Switched on during a wait, it releases that wait.
            if (deal == 1) trace().AutoStep->setChecked(true);
            if (deal == 3) {
                // Switched off, the run waits again for ">>>".
                trace().AutoStep->setChecked(false);
                QTest::qWait(50);
                waitedAtThree = trace().Waiting() && trace().LastDeal().Deal == 3;
                trace().AutoStep->setChecked(true);
            }
        });
        QVERIFY(waitedAtThree);
        QCOMPARE(last, qint64(6));
        QCOMPARE(PlayedDeals(form()), 6);
        QVERIFY(form().TraceCB->isChecked());
        // A stop still ends a run that steps by itself.
        form().Memo3->clear();
        tracedRun(1000, 1, [&](int n) {
            if (n == 1) form().Button4->click();
        });
        QVERIFY(PlayedDeals(form()) < 1000);
    }

    void theWindowOpensClearOfTheBankChart() {
        // Placement: beside the first rect clear of all; else beside the others; else as the
        // chart is placed beside the main window.
        const QRect room(0, 0, 1920, 1080);
        const QRect main(0, 0, 800, 600), chart(808, 0, 720, 440);
        const QSize size(431, 530);
        QCOMPARE(PlaceClear({main}, size, room), QRect(QPoint(808, 0), size));
        QCOMPARE(PlaceClear({main, chart}, size, room), QRect(QPoint(808, 448), size));
        const QRect wide(0, 0, 1500, 700);
        // No room clear of both: the main window's free strip, shrunk, covering it not.
        QCOMPARE(PlaceClear({wide, QRect(0, 708, 1000, 300)}, size, room),
                 QRect(1508, 0, 412, 530));
        const QRect placed = PlaceClear({QRect(0, 0, 1900, 1000)}, size, room);
        QCOMPARE(placed, PlaceBeside(QRect(0, 0, 1900, 1000), size, room));

        // Windows the size of the offscreen screen leaves room for: the trace window does not
        // open over the chart to the right of the main window, but below the main window.
        QWidget mainWindow, chartWindow;
        mainWindow.setGeometry(0, 0, 300, 250);
        chartWindow.setGeometry(316, 0, 440, 250);
        mainWindow.show();
        chartWindow.show();
        QVERIFY(QTest::qWaitForWindowExposed(&chartWindow));
        QVERIFY(mainWindow.screen()->availableGeometry().height() >= 800);
        trace().ShowBeside(&mainWindow, &chartWindow);
        const QRect t = trace().frameGeometry();
        QVERIFY(!t.intersects(chartWindow.frameGeometry()));
        QVERIFY(!t.intersects(mainWindow.frameGeometry()));
        QCOMPARE(t.topLeft(), QPoint(0, mainWindow.frameGeometry().bottom() + 9));
        // Shown again where the user left it: not moved.
        trace().move(20, 30);
        trace().ShowBeside(&mainWindow, &chartWindow);
        QCOMPARE(trace().pos(), QPoint(20, 30));
        // Opened again over the chart: placed clear of it.
        trace().hide();
        trace().ShowBeside(&mainWindow, &chartWindow);
        QVERIFY(!trace().frameGeometry().intersects(chartWindow.frameGeometry()));
    }

    void theWaitSleepsInTheEventQueue() {
        // A spinning wait would never let the event dispatcher block.
        int blocks = 0;
        QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance();
        form().Edit4->setText("1");
        form().TraceCB->setChecked(true);
        QTimer release;
        release.setSingleShot(true);
        bool armed = false;
        QTimer watch;
        watch.setInterval(0);
        QObject::connect(&watch, &QTimer::timeout, [&] {
            if (!trace().Waiting() || armed) return;
            armed = true;
            watch.stop();
            QObject::connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, &release,
                             [&] { ++blocks; });
            QObject::connect(&release, &QTimer::timeout, [&] { trace().Button1->click(); });
            release.start(100);
        });
        watch.start();
        form().Button4Click();
        QVERIFY(armed);
        QVERIFY(blocks > 0);
        QCOMPARE(PlayedDeals(form()), 1);
    }

    void traceOffLetsTheRunFinish() {
        const int waits = tracedRun(40, 2, [&](int) { trace().Button3->click(); });
        QCOMPARE(waits, 1);
        QCOMPARE(PlayedDeals(form()), 40);
        QVERIFY(!form().TraceCB->isChecked());
        QVERIFY(!trace().isVisible());
        QVERIFY(trace().PicturesLoaded()); // hiding keeps them
    }

    void closingTheWindowReleasesTheRun() {
        const int waits = tracedRun(40, 1, [&](int) { trace().close(); });
        QCOMPARE(waits, 1);
        QCOMPARE(PlayedDeals(form()), 40);
        QVERIFY(!form().TraceCB->isChecked());
        QVERIFY(!trace().PicturesLoaded());
    }

    void tracingAgainShowsTheWindowAgain() {
        const int waits = tracedRun(10, 1, [&](int n) {
            QVERIFY(trace().isVisible());
            QVERIFY(trace().PicturesLoaded());
            // The deal is drawn again with reloaded pictures: the card is not green.
            QVERIFY(trace().Picture().pixelColor(36, 56) != kGreen);
            if (n == 1) trace().Button3->click();
            if (n == 2) trace().close();
            if (n == 3) {
                trace().Button3->click();
                return;
            }
            form().TraceCB->setChecked(true);
        });
        QCOMPARE(waits, 3);
        QCOMPARE(PlayedDeals(form()), 10);
    }

    void stoppingWhileTheRunWaits_data() {
        QTest::addColumn<int>("how");
        QTest::newRow("START") << 0;
        QTest::newRow("Esc in the trace window") << 1;
        QTest::newRow("Esc in the main window") << 2;
    }
    void stoppingWhileTheRunWaits() {
        QFETCH(int, how);
        const int waits = tracedRun(100, 1, [&](int) {
            if (how == 0) form().Button4->click();
            if (how == 1) QTest::keyClick(trace().Button1, Qt::Key_Escape);
            if (how == 2) QTest::keyClick(form().Edit1, Qt::Key_Escape);
        });
        QCOMPARE(waits, 1);
        QCOMPARE(PlayedDeals(form()), 1);
        QVERIFY(!form().Simulating());
        QCOMPARE(form().Button4->text(), QString("ready"));
        QVERIFY(QFile::exists(test::ReportPath()));
    }

    void bugBmpSavesTheDrawing() {
        QImage drawn;
        tracedRun(1, 2, [&](int) {
            trace().Button2->click();
            drawn = trace().Picture().copy();
            trace().Button1->click();
        });
        QVERIFY(test::Messages().Texts.isEmpty());
        const QByteArray bytes = test::ReadAll("bug.bmp");
        QVERIFY(bytes.startsWith("BM"));
        QImage saved("bug.bmp", "BMP");
        QCOMPARE(saved.size(), QSize(392, 451));
        QCOMPARE(saved.convertToFormat(QImage::Format_RGB32), drawn);
        // Saved again later: the picture of the last deal, replacing the file.
        trace().Button2Click();
        QCOMPARE(QImage("bug.bmp", "BMP").convertToFormat(QImage::Format_RGB32), drawn);
    }

    void bugBmpThatCannotBeWrittenShowsAMessage() {
        QVERIFY(QDir::current().mkdir("bug.bmp"));
        trace().ClearTable();
        trace().Button2Click();
        QCOMPARE(test::Messages().Texts.size(), 1);
        QVERIFY(test::Messages().Texts[0].startsWith("Не удается создать файл"));
        QVERIFY(test::Messages().Texts[0].contains("bug.bmp"));
        QVERIFY(QFileInfo("bug.bmp").isDir());
        QCOMPARE(QDir::current().entryList(QDir::Files), QStringList());
    }
};

KVARLEN_UI_TEST_MAIN(TTraceWindowTest)
#include "trace_window_test.moc"
