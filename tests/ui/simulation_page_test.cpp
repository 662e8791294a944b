// START on the simulation page: strategy and ideal runs with their report, bankroll fields,
// files and history table, refused runs, progress, stopping, and the bank chart.
#include "../simulation/fake_host.h"
#include "../simulation/fixed_seed_report.h"
#include "simulation/run_result.h"
#include "simulation/simulation_run.h"
#include "ui/bankroll/BankrollPage.h"
#include "ui/common/ChartExport.h"
#include "ui/layout/ShortcutButton.h"
#include "ui/simulation/BankChart.h"
#include "ui/simulation/SimulationHost.h"
#include "ui/simulation/TraceUnit.h"
#include "ui_run_support.h"
#include "ui_test_support.h"

#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>
#include <QLineSeries>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QStatusBar>
#include <QSvgRenderer>
#include <QTabWidget>
#include <QValueAxis>

#include <shapefil.h>

#include <cmath>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

using namespace kvarlen;

namespace {

QStringList MemoLines(TForm1& form) {
    return form.Memo3->toPlainText().split('\n');
}

// The number of deals the last report of the memo names.
int PlayedDeals(TForm1& form) {
    const QStringList lines = MemoLines(form);
    for (qsizetype i = lines.size() - 1; i >= 0; --i)
        if (lines[i].startsWith("Было сыграно ")) return lines[i].section(' ', 2, 2).toInt();
    return -1;
}

// Every line of a text file ends with CR LF and there is no other line end.
bool CrLfOnly(const QByteArray& bytes) {
    if (bytes.isEmpty() || !bytes.endsWith("\r\n")) return false;
    for (qsizetype i = 0; i < bytes.size(); ++i)
        if (bytes[i] == '\n' && (i == 0 || bytes[i - 1] != '\r')) return false;
    return true;
}

QByteArray Cp1251(const QString& text) {
    return QByteArray::fromStdString(ToCp1251(text.toStdString()));
}

std::vector<std::string> Std(const QStringList& lines) {
    std::vector<std::string> out;
    for (const QString& l : lines) out.push_back(l.toStdString());
    return out;
}

// The memo's last report without its first line and its times.
std::vector<std::string> UntimedReport(TForm1& form) {
    const QStringList memo = MemoLines(form);
    return test::Untimed(Std(memo.mid(1)));
}

// The file dialog: answers with `Answer` and remembers what it was asked.
class TChooser : public TFileChooser {
  public:
    QString SaveFileName(QWidget*, const QString& caption, const QString& suggested,
                         const QString& filter) override {
        Asked << caption + "|" + suggested + "|" + filter;
        return Answer;
    }
    QString Answer;
    QStringList Asked;
};

struct TChooserScope {
    TChooser chooser;
    TChooserScope() { SetFileChooser(&chooser); }
    ~TChooserScope() { SetFileChooser(nullptr); }
};

} // namespace

class TSimulationPageTest : public QObject {
    Q_OBJECT

    std::unique_ptr<test::TRunFixture> fixture;
    TForm1& form() { return fixture->program->Form1; }
    TForm3& trace() { return fixture->program->Form3; }

  private slots:
    void init() {
        test::Messages().Texts.clear();
        test::Messages().OnShow = nullptr;
        fixture = std::make_unique<test::TRunFixture>();
    }
    void cleanup() { fixture.reset(); }

    void strategyRunWritesReportFieldsAndFiles() {
        form().Edit4->setText("500");
        form().ComboBox1->setCurrentIndex(1);
        form().CheckBox3->setChecked(true);
        QVERIFY(!form().DeckDirty);
        form().Button4Click();
        QVERIFY(test::Messages().Texts.isEmpty());

        const TBoxes& boxes = form().Boxes;
        const double net1 = boxes[1].Bank - 100, net2 = boxes[2].Bank - 100;
        const QStringList memo = MemoLines(form());
        // The line naming the run, then the report as it always was.
        QVERIFY(memo[0].startsWith("Прогон: игра по стратегии, правила default, боксов 2, зерно "));
        QCOMPARE(memo[1], "Чистый плюс #1 : " + QString::fromStdString(FormatGeneral(net1, ',')) +
                              " [банк был 100]");
        QCOMPARE(memo[3], QString("Чистый плюс #3 : 0 [банк был 100]"));
        QCOMPARE(memo[5],
                 "Чистый плюс команды: " + QString::fromStdString(FormatGeneral(net1 + net2, ',')));
        QCOMPARE(PlayedDeals(form()), 500);
        QVERIFY(memo.contains("С чем приходили к финалу (от C_Empty до C_Royal)"));
        QVERIFY(memo.filter("(t3:t4)").isEmpty());

        // Bankroll fields: MO and variance per deal with six decimals, the deviation derived.
        TBankrollPage* bank = form().BankrollPage();
        const double mo = (net1 + net2) / 500;
        QCOMPARE(bank->MathMO->text(), QString::fromStdString(FormatFixed(mo, 10, 6, ',')));
        const double variance = StrToFloat(bank->MathDISP->text().toStdString());
        QVERIFY(variance > 0);
        const QStringList reported = memo.filter("Дисперсия = ");
        QCOMPARE(reported.size(), 1);
        QVERIFY(std::fabs(StrToFloat(reported[0].mid(12).toStdString()) - variance) < 1e-5);
        QCOMPARE(bank->MathSIGMA->text(),
                 QString::fromStdString(FormatFixed(std::sqrt(variance), 10, 6, ',')));

        QCOMPARE(form().Button4->text(), QString("ready"));
        QVERIFY(form().DeckDirty);

        // The report file holds the memo in Windows-1251 with CR LF.
        const QByteArray report = test::ReadAll(test::ReportPath());
        QVERIFY(CrLfOnly(report));
        QVERIFY(report.startsWith(Cp1251(memo[0]) + "\r\n"));
        QCOMPARE(report.count("\r\n"), memo.size());
        // The bank file: one line per deal, the banks of boxes 1..3 and their sum.
        const QByteArray bankFile = test::ReadAll(test::BankPath());
        QVERIFY(CrLfOnly(bankFile));
        const QList<QByteArray> rows = bankFile.split('\n');
        QCOMPARE(rows.size(), 501); // and the empty piece after the last CR LF
        const QList<QByteArray> last = rows[499].trimmed().split('\t');
        QCOMPARE(last.size(), 4);
        QCOMPARE(last[0].toStdString(), FormatGeneral(boxes[1].Bank, ','));
        QCOMPARE(last[2].toStdString(), std::string("100"));
        QCOMPARE(last[3].toStdString(), FormatGeneral(boxes[1].Bank + boxes[2].Bank + 100, ','));
    }

    void secondRunAppendsItsReport() {
        form().Edit4->setText("50");
        form().Button4Click();
        const qsizetype first = MemoLines(form()).size();
        form().Button4Click();
        const QStringList memo = MemoLines(form());
        QCOMPARE(memo.size(), 2 * first);
        QCOMPARE(memo.count(QString("Чистый плюс #3 : 0 [банк был 100]")), 2);
        // The file of the day holds both reports.
        QCOMPARE(test::ReadAll(test::ReportPath()).count("\r\n"), memo.size());
    }

    void aSeedRepeatsTheRunAndKeepsEveryReportLine() {
        form().Edit4->setText(QString::number(test::kFixedSeedDeals));
        form().ComboBox1->setCurrentIndex(test::kFixedSeedBoxes - 1);
        form().CheckBox3->setChecked(true);
        form().SeedEdit->setText("12345");
        form().Button4Click();
        QVERIFY(test::Messages().Texts.isEmpty());
        QCOMPARE(MemoLines(form())[0],
                 QString("Прогон: игра по стратегии, правила default, боксов 2, зерно 12345, "
                         "потоков 1"));
        // Every other line as the report has always had it for this seed.
        QCOMPARE(UntimedReport(form()), test::FixedSeedReport());
        // Again: the same deals, whatever the generator did in between.
        form().Generator.SeedMyRandom(99);
        form().Memo3->clear();
        form().Button4Click();
        QCOMPARE(UntimedReport(form()), test::FixedSeedReport());

        // Two threads: the command line's streams of the same seed.
        form().Memo3->clear();
        form().ThreadsEdit->setValue(2);
        const TBoxes before = form().Boxes;
        form().Button4Click();
        QVERIFY(MemoLines(form())[0].endsWith(", зерно 12345, потоков 2"));
        test::FakeHost cli;
        cli.Settings = test::QuietSettings(test::kFixedSeedBoxes, test::kFixedSeedDeals);
        cli.Live.Statistics = true;
        TStreamOptions streams;
        streams.Seed = test::kFixedSeed;
        streams.Threads = 2;
        QCOMPARE(UntimedReport(form()),
                 test::Untimed(RunSimulationStreams(cli, false, streams).Report));
        QVERIFY(UntimedReport(form()) != test::FixedSeedReport());
        // Streams of their own: the shared boxes are those of the last one-thread run.
        QCOMPARE(form().Boxes[1].Bank, before[1].Bank);
        QVERIFY(form().BankChart() != nullptr);
    }

    void anEmptySeedIsTheTickCountNamedInTheReport() {
        form().Edit4->setText("400");
        form().Button4Click();
        const QString title = MemoLines(form())[0];
        QVERIFY2(title.contains(QRegularExpression(", зерно [1-9][0-9]*, потоков 1$")),
                 qPrintable(title));
        const QString seed = title.section(' ', -3, -3).chopped(1);
        const std::vector<std::string> first = UntimedReport(form());
        // The seed the report names repeats the run.
        form().Memo3->clear();
        form().SeedEdit->setText(seed);
        form().Button4Click();
        QCOMPARE(MemoLines(form())[0], title);
        QCOMPARE(UntimedReport(form()), first);
    }

    void idealRunNamesInformationFilterAndGenerator() {
        form().RadioButton1->setChecked(true);
        form().RadioButton5->setChecked(true);
        form().ComboBox4->setCurrentIndex(2);
        form().RND_CB->setChecked(false);
        form().Edit4->setText("5");
        form().SeedEdit->setText(" 7 ");
        form().Button4Click();
        QVERIFY(test::Messages().Texts.isEmpty());
        QCOMPARE(MemoLines(form())[0],
                 QString("Прогон: идеальная игра, правила default, боксов 1, обмен информацией: "
                         "полный обмен, фильтр: пары, зерно 7, потоков 1, «мой ГСЧ» выключен"));
        // The library's generator repeats from the seed too.
        const std::vector<std::string> first = UntimedReport(form());
        form().Memo3->clear();
        form().Button4Click();
        QCOMPARE(UntimedReport(form()), first);
        // "любые" is the filter of no item.
        form().RND_CB->setChecked(true);
        form().ComboBox4->setEditText("любые");
        form().Button4Click();
        QVERIFY(MemoLines(form()).filter("Прогон: ").last().contains(", фильтр: любые, "));
    }

    void aBadSeedRefusesTheRun_data() {
        QTest::addColumn<QString>("seed");
        QTest::addColumn<QString>("message");
        QTest::newRow("text") << "abc"
                              << "'abc' is not a valid integer value";
        QTest::newRow("zero") << "0"
                              << "Зерно ГСЧ должно быть от 1 до 2147483646, а не 0";
        QTest::newRow("too big") << "2147483647"
                                 << "Зерно ГСЧ должно быть от 1 до 2147483646, а не 2147483647";
        QTest::newRow("negative") << "-5"
                                  << "Зерно ГСЧ должно быть от 1 до 2147483646, а не -5";
    }
    void aBadSeedRefusesTheRun() {
        QFETCH(QString, seed);
        QFETCH(QString, message);
        form().SeedEdit->setText(seed);
        form().Memo3->setPlainText("earlier");
        form().Button4Click();
        QCOMPARE(test::Messages().Texts, QStringList{message});
        QCOMPARE(form().Memo3->toPlainText(), QString("earlier"));
        QCOMPARE(form().Button4->text(), QString("СТАРТ"));
        QVERIFY(!form().DeckDirty);
        QVERIFY(QDir("out").isEmpty());
    }

    void progressBarShowsTheShareDoneAndTheTimeLeft() {
        form().Edit4->setText("25000");
        QStringList seen;
        test::RunWith(form(), [&] {
            const QString text = form().SimulationProgress->text();
            if (seen.isEmpty() || seen.last() != text) seen << text;
        });
        QCOMPARE(seen.size(), 2);
        QVERIFY2(seen[0].startsWith("40%, осталось 0:"), qPrintable(seen[0]));
        QVERIFY2(seen[1].startsWith("80%, осталось 0:"), qPrintable(seen[1]));
        QCOMPARE(form().SimulationProgress->text(), QString("100%"));
        QCOMPARE(form().Button4->text(), QString("ready"));

        QCOMPARE(TimeLeftText(1000, 10, 20), QString("осталось 0:01"));
        QCOMPARE(TimeLeftText(59000, 1, 2), QString("осталось 0:59"));
        QCOMPARE(TimeLeftText(61000, 1, 2), QString("осталось 1:01"));
        QCOMPARE(TimeLeftText(60000, 1, 62), QString("осталось 1:01:00"));
        QCOMPARE(TimeLeftText(5000, 20, 20), QString("осталось 0:00"));
        QCOMPARE(TimeLeftText(0, 0, 20), QString());
        // Beyond the bar's int range the share is still right.
        QProgressBar bar;
        ShowRunProgress(&bar, 3'000'000'000LL, 4'000'000'000LL, -1);
        QCOMPARE(bar.text(), QString("75%"));
    }

    void stoppedRunLeavesTheBarWhereItStopped() {
        form().Edit4->setText("100000");
        test::RunWith(form(), [&] { form().Button4->click(); });
        QCOMPARE(PlayedDeals(form()), 9999);
        QCOMPARE(form().SimulationProgress->value(), 99);
        QCOMPARE(form().SimulationProgress->text(), QString("9%"));
    }

    void f10StartsAndStopsAndShowsOnStart() {
        form().show();
        QVERIFY(QTest::qWaitForWindowActive(&form()));
        form().PageControl1->setCurrentWidget(form().TabSheet2);
        auto* start = qobject_cast<TShortcutButton*>(form().Button4);
        QVERIFY(start != nullptr);
        QCOMPARE(start->Hint(), QString("F10"));
        QCOMPARE(start->text(), QString("СТАРТ"));
        // Ideal play shows no chart, which the offscreen platform would make the active window.
        form().RadioButton1->setChecked(true);
        form().Edit4->setText("50");
        QTest::keyClick(form().Edit1, Qt::Key_F10);
        QTRY_COMPARE(PlayedDeals(form()), 50);
        // The captions of the run did not take the key away.
        QCOMPARE(form().Button4->text(), QString("ready"));
        QCOMPARE(start->Hint(), QString("F10"));
        QCOMPARE(QApplication::activeWindow(), &form());
        form().Memo3->clear();
        QTest::keyClick(form().Memo3, Qt::Key_F10);
        QTRY_COMPARE(PlayedDeals(form()), 50);
        // During a run F10 is the stop key, as START is the stop button.
        form().Memo3->clear();
        form().Edit4->setText("100000000");
        bool pressed = false;
        test::RunWith(form(), [&] {
            if (!pressed) QTest::keyClick(form().Edit4, Qt::Key_F10);
            pressed = true;
        });
        QVERIFY(!form().Simulating());
        QVERIFY(form().Memo3->toPlainText().contains("Симуляция остановлена"));
        // Not on another page: no run starts behind the user's back.
        form().Memo3->clear();
        form().Edit4->setText("5");
        form().PageControl1->setCurrentWidget(form().TabSheet3);
        QTest::keyClick(form().PageControl1, Qt::Key_F10);
        QTest::qWait(300);
        QVERIFY(form().Memo3->toPlainText().isEmpty());
    }

    void saveReportWritesTheMemoIn1251WithCrLf() {
        TChooserScope dialog;
        // Nothing to save: no dialog.
        form().SaveReportButton->click();
        QCOMPARE(test::Messages().Texts, QStringList{"Отчёта нет: сохранять нечего"});
        QVERIFY(dialog.chooser.Asked.isEmpty());
        test::Messages().Texts.clear();

        form().Edit4->setText("30");
        form().CheckBox3->setChecked(true);
        form().Button4Click();
        form().Button4Click();
        const QStringList memo = MemoLines(form());
        dialog.chooser.Answer = QDir::current().filePath("saved.txt");
        form().SaveReportButton->click();
        QVERIFY(test::Messages().Texts.isEmpty());
        QCOMPARE(dialog.chooser.Asked.size(), 1);
        QVERIFY(dialog.chooser.Asked[0].startsWith("Сохранить отчёт|"));
        QVERIFY(dialog.chooser.Asked[0].contains("report_" + test::Date() + ".txt|"));
        const QByteArray bytes = test::ReadAll("saved.txt");
        QVERIFY(CrLfOnly(bytes));
        QCOMPARE(bytes, Cp1251(memo.join("\r\n")) + "\r\n");
        QVERIFY(bytes.count("\r\n") == memo.size());

        // Cancelled: nothing written; a folder that is not there: said so, nothing made.
        dialog.chooser.Answer.clear();
        QFile::remove("saved.txt");
        form().SaveReportButton->click();
        QVERIFY(!QFile::exists("saved.txt"));
        dialog.chooser.Answer = QDir::current().filePath("missing/saved.txt");
        form().SaveReportButton->click();
        QCOMPARE(test::Messages().Texts.size(), 1);
        QVERIFY2(test::Messages().Texts[0].startsWith("Отчёт не сохранён: "),
                 qPrintable(test::Messages().Texts[0]));
        QVERIFY(test::Messages().Texts[0].contains("missing/saved.txt"));
        QVERIFY(!QDir("missing").exists());
    }

    void bankChartSavesAndCopiesItsPicture() {
        TChooserScope dialog;
        form().Edit4->setText("300");
        form().Button4Click();
        TBankChart* chart = form().BankChart();
        QVERIFY(chart != nullptr);
        QCOMPARE(chart->ChartView->contextMenuPolicy(), Qt::CustomContextMenu);
        QVERIFY(chart->SaveChartButton->isVisible());
        dialog.chooser.Answer = QDir::current().filePath("bank.svg");
        chart->SaveChartButton->click();
        QVERIFY(test::Messages().Texts.isEmpty());
        QVERIFY(dialog.chooser.Asked[0].contains("bank-chart.png|"));
        QSvgRenderer svg(QString("bank.svg"));
        QVERIFY(svg.isValid());
        QCOMPARE(svg.viewBox(), chart->ChartView->rect());
        dialog.chooser.Answer = QDir::current().filePath("bank.png");
        chart->SaveChartButton->click();
        const QImage png("bank.png");
        QVERIFY(!png.isNull());
        // The chart alone, without the buttons under it.
        QCOMPARE(png.size(), chart->ChartView->size() * chart->devicePixelRatioF());
        QApplication::clipboard()->clear();
        chart->CopyChartButton->click();
        QCOMPARE(QApplication::clipboard()->image().size(), png.size());
    }

    void bankChartFollowsTheStrategyRun() {
        form().Edit4->setText("3000");
        form().ComboBox1->setCurrentIndex(2);
        form().Button4Click();
        TBankChart* chart = form().BankChart();
        QVERIFY(chart != nullptr);
        QVERIFY(chart->isVisible());
        const QList<QAbstractSeries*> series = chart->ChartView->chart()->series();
        QCOMPARE(series.size(), 4); // three boxes and the team
        auto* team = static_cast<QLineSeries*>(series[3]);
        QCOMPARE(team->name(), QString("команда"));
        QCOMPARE(team->at(0), QPointF(0, 300));
        // The team's last bank is the last line of the bank file.
        const TBoxes& b = form().Boxes;
        QCOMPARE(team->at(team->count() - 1).y(), b[1].Bank + b[2].Bank + b[3].Bank);
        QVERIFY(team->count() <= 2 * 2000 + 2);
    }

    void bankChartBesideTheMainWindowWithWholeTicks() {
        form().Edit4->setText("2");
        form().Button4Click();
        TBankChart* chart = form().BankChart();
        QVERIFY(chart != nullptr);
        auto* x = static_cast<QValueAxis*>(chart->ChartView->chart()->axes(Qt::Horizontal)[0]);
        auto* y = static_cast<QValueAxis*>(chart->ChartView->chart()->axes(Qt::Vertical)[0]);
        // Two deals: ticks at 0, 1 and 2.
        QCOMPARE(x->tickType(), QValueAxis::TicksDynamic);
        QCOMPARE(x->tickInterval(), 1.0);
        QCOMPARE(x->max(), 2.0);
        QCOMPARE(y->tickInterval(), std::round(y->tickInterval()));
        QVERIFY(y->tickInterval() >= 1);
        // The window stays one, reused by the next run, and never covers the main window
        // (when the screen has any room beside it).
        form().Edit4->setText("20000");
        form().Button4Click();
        QCOMPARE(form().findChildren<TBankChart*>().size(), 1);
        x = static_cast<QValueAxis*>(chart->ChartView->chart()->axes(Qt::Horizontal)[0]);
        QCOMPARE(x->tickInterval(), 5000.0);
        QVERIFY2(!chart->frameGeometry().intersects(form().frameGeometry()),
                 qPrintable(QString("%1,%2 %3x%4 / %5,%6 %7x%8")
                                .arg(chart->x())
                                .arg(chart->y())
                                .arg(chart->width())
                                .arg(chart->height())
                                .arg(form().x())
                                .arg(form().y())
                                .arg(form().width())
                                .arg(form().height())));

        // Placement: right, else left, else below, else the largest strip shrunk.
        const QRect room(0, 0, 1920, 1080);
        const QSize size(720, 440);
        QCOMPARE(PlaceBeside(QRect(100, 50, 900, 700), size, room), QRect(QPoint(1008, 50), size));
        QCOMPARE(PlaceBeside(QRect(1000, 50, 900, 700), size, room), QRect(QPoint(272, 50), size));
        QCOMPARE(PlaceBeside(QRect(500, 0, 1000, 500), size, room), QRect(QPoint(500, 508), size));
        const QRect tight = PlaceBeside(QRect(0, 0, 1500, 900), size, room);
        QVERIFY(!tight.intersects(QRect(0, 0, 1500, 900)));
        QVERIFY(room.contains(tight));
        QCOMPARE(tight, QRect(1508, 0, 412, 440));
        QCOMPARE(WholeTickStep(2), 1.0);
        QCOMPARE(WholeTickStep(20000), 5000.0);
        QCOMPARE(WholeTickStep(37.5), 5.0);
    }

    void dealLogFromTheSimulationPage() {
        form().Edit4->setText("50");
        form().ComboBox1->setCurrentIndex(1);
        QVERIFY(!form().DealLogEdit->isEnabled());
        form().DealLogCB->setChecked(true);
        QVERIFY(form().DealLogEdit->isEnabled());
        form().DealLogEdit->setText("run.jsonl");
        form().Button4Click();
        QVERIFY(test::Messages().Texts.isEmpty());
        QFile log("run.jsonl");
        QVERIFY(log.open(QIODevice::ReadOnly));
        const QList<QByteArray> rows = log.readAll().split('\n');
        QCOMPARE(rows.size(), 2 * 50 + 1); // two boxes, a line end after the last row
        QVERIFY(rows[0].startsWith("{\"Stream\":0,\"Deal\":1,\"Seed\":"));
        QVERIFY(rows[99].contains("\"Deal\":50,"));
        // A log asked for without a name: the run does not start.
        form().DealLogEdit->setText(" ");
        const QString memo = form().Memo3->toPlainText();
        form().Button4Click();
        QCOMPARE(test::Messages().Texts, QStringList{"Не указан файл журнала раздач"});
        QCOMPARE(form().Memo3->toPlainText(), memo);
    }

    void bankSeriesKeepTheSwingsOfALongRun() {
        // 100000 deals: box 1 climbs to a single high at deal 31234 and a single low at 77777.
        QFile file("bank.txt");
        QVERIFY(file.open(QIODevice::WriteOnly));
        for (int d = 1; d <= 100000; ++d) {
            const double b1 = d == 31234 ? 500 : d == 77777 ? -400 : 100 + (d % 7);
            file.write(QString("%1\t100\t100,5\t%2\r\n")
                           .arg(QString::number(b1).replace('.', ','))
                           .arg(QString::number(b1 + 200.5).replace('.', ','))
                           .toLatin1());
        }
        file.close();
        TBankSeries s;
        QString error;
        QVERIFY(ReadBankSeries("bank.txt", 2, {100, 100, 100}, 100000, 1000, s, error));
        QCOMPARE(s.Deals, qint64(100000));
        for (const QList<QPointF>& line : s.Lines) QVERIFY(line.size() <= 2002);
        QVERIFY(s.Lines[0].contains(QPointF(31234, 500)));
        QVERIFY(s.Lines[0].contains(QPointF(77777, -400)));
        QCOMPARE(s.Lines[1].last(), QPointF(100000, 100));
        QCOMPARE(s.Lines[3].first(), QPointF(0, 200));
        QVERIFY(s.Lines[3].contains(QPointF(31234, 600)));
        // Points stay in deal order.
        for (qsizetype i = 1; i < s.Lines[0].size(); ++i)
            QVERIFY(s.Lines[0][i - 1].x() < s.Lines[0][i].x());

        QVERIFY(file.open(QIODevice::Append));
        file.write("1\t2\r\n");
        file.close();
        QVERIFY(!ReadBankSeries("bank.txt", 2, {100, 100, 100}, 100001, 1000, s, error));
        QVERIFY(error.contains("100001"));
    }

    void idealRunWritesReportAndHistory() {
        form().RadioButton1->setChecked(true);
        form().Edit4->setText("20");
        form().DBF_cb->setChecked(true);
        QVERIFY(form().CheckBox10->isEnabled());
        form().Button4Click();
        QVERIFY2(test::Messages().Texts.isEmpty(), qPrintable(test::Messages().Texts.join('\n')));
        const QStringList memo = MemoLines(form());
        QCOMPARE(PlayedDeals(form()), 20);
        QVERIFY(memo[8].startsWith("(t3:t4) "));
        QVERIFY(memo[9].startsWith("GlobalT1 "));
        const double mo = (form().Boxes[1].Bank - 100) / 20;
        QCOMPARE(form().BankrollPage()->MathMO->text(),
                 QString::fromStdString(FormatFixed(mo, 10, 6, ',')));
        QVERIFY(!form().BankrollPage()->MathDISP->text().isEmpty());
        QCOMPARE(form().Button4->text(), QString("ready"));
        QVERIFY(form().DeckDirty);
        QVERIFY(CrLfOnly(test::ReadAll(test::ReportPath())));
        // Ideal play writes no bank file and draws no chart.
        QVERIFY(!QFile::exists(test::BankPath()));
        QVERIFY(form().BankChart() == nullptr);
        // One history record per played deal, in the table beside the program.
        DBFHandle dbf = DBFOpen(QFile::encodeName(form().HistoryTablePath).constData(), "rb");
        QVERIFY(dbf != nullptr);
        QCOMPARE(DBFGetRecordCount(dbf), 20);
        QCOMPARE(DBFGetFieldCount(dbf), 29);
        DBFClose(dbf);
    }

    void historyThatCannotOpenRefusesTheRun() {
        // A file where the history's folder should be.
        QFile blocker("blocker");
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        form().HistoryTablePath = QDir::current().filePath("blocker/DBF/1box.DBF");
        form().RadioButton1->setChecked(true);
        form().Edit4->setText("5");
        form().DBF_cb->setChecked(true);
        form().Button4Click();
        QCOMPARE(test::Messages().Texts.size(), 1);
        QVERIFY(test::Messages().Texts[0].contains("blocker"));
        QVERIFY(form().Memo3->toPlainText().isEmpty());
        QCOMPARE(form().Button4->text(), QString("СТАРТ"));
        QVERIFY(!form().DeckDirty);
        QVERIFY(!QFile::exists(test::ReportPath()));
    }

    void historyInUseByAnotherRunRefusesTheRun() {
        // Another process writing the table holds its lock.
        const QByteArray path = QFile::encodeName(form().HistoryTablePath);
        QDir().mkpath(QFileInfo(form().HistoryTablePath).path());
        const int other = ::open(path.constData(), O_RDWR | O_CREAT, 0644);
        QVERIFY(other >= 0);
        QCOMPARE(::flock(other, LOCK_EX | LOCK_NB), 0);
        form().RadioButton1->setChecked(true);
        form().Edit4->setText("5");
        form().DBF_cb->setChecked(true);
        form().Button4Click();
        ::close(other);
        QCOMPARE(test::Messages().Texts.size(), 1);
        QVERIFY2(test::Messages().Texts[0].contains("уже открыта другим прогоном"),
                 qPrintable(test::Messages().Texts[0]));
        QVERIFY(form().Memo3->toPlainText().isEmpty());
        QCOMPARE(form().Button4->text(), QString("СТАРТ"));
        QCOMPARE(QFileInfo(form().HistoryTablePath).size(), 0);
    }

    void akFilterWithoutAkIsRefused() {
        // No hand is of the ace + king class when it does not play: the run never ended.
        form().RadioButton1->setChecked(true);
        form().CheckBox9->setChecked(false);
        form().ComboBox4->setCurrentIndex(1);
        form().Edit4->setText("1");
        form().Button4Click();
        QCOMPARE(test::Messages().Texts.size(), 1);
        QVERIFY(test::Messages().Texts[0].contains("AK играет"));
        QVERIFY(form().Memo3->toPlainText().isEmpty());
        QCOMPARE(form().Button4->text(), QString("СТАРТ"));
        QVERIFY(!form().DeckDirty);
        // With ace + king playing the same filter finds its deal.
        test::Messages().Texts.clear();
        form().CheckBox9->setChecked(true);
        form().Button4Click();
        QVERIFY(test::Messages().Texts.isEmpty());
        QCOMPARE(PlayedDeals(form()), 1);
    }

    void badNumbersAbandonTheRun_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("message");
        QTest::newRow("deals") << "Edit4"
                               << "10 000"
                               << "'10 000' is not a valid integer value";
        QTest::newRow("bank") << "Edit1"
                              << "1,5"
                              << "'1,5' is not a valid integer value";
        QTest::newRow("boxes") << "ComboBox1"
                               << "два"
                               << "'два' is not a valid integer value";
        QTest::newRow("no deals") << "Edit4"
                                  << "0"
                                  << "";
        QTest::newRow("four boxes") << "ComboBox1"
                                    << "4"
                                    << "";
        // A price beyond a thousand antes made every value infinite or wrong.
        QTest::newRow("dear sixth card")
            << "ePrice_buy6"
            << "1e308"
            << "Цена \"Покупка 6\" должна быть от 0 до 1000, а не 1e308";
        QTest::newRow("negative exchange price")
            << "ePrice_Change1"
            << "-1"
            << "Цена \"Обмен 1\" должна быть от 0 до 1000, а не -1";
    }
    void badNumbersAbandonTheRun() {
        QFETCH(QString, field);
        QFETCH(QString, text);
        QFETCH(QString, message);
        if (field == "ComboBox1")
            form().ComboBox1->setEditText(text);
        else
            form().findChild<QLineEdit*>(field)->setText(text);
        form().Memo3->setPlainText("earlier");
        form().TraceCB->setChecked(true);
        TBankrollPage* bank = form().BankrollPage();
        bank->MathMO->setText("7");
        const TBoxes before = form().Boxes;
        const TPayTable pays = PayTable;
        // While the message is open no run is going: START keeps its caption.
        QString captionBehind;
        test::Messages().OnShow = [&] { captionBehind = form().Button4->text(); };

        form().Button4Click();
        QCOMPARE(captionBehind, QString("СТАРТ"));
        QCOMPARE(test::Messages().Texts.size(), 1);
        if (!message.isEmpty()) QCOMPARE(test::Messages().Texts[0], message);
        QCOMPARE(form().Memo3->toPlainText(), QString("earlier"));
        QCOMPARE(form().Button4->text(), QString("СТАРТ"));
        QCOMPARE(bank->MathMO->text(), QString("7"));
        QVERIFY(!form().DeckDirty);
        QVERIFY(!trace().isVisible());
        QVERIFY(QDir("out").isEmpty());
        QVERIFY(PayTable == pays);
        QCOMPARE(form().Boxes[1].Bank, before[1].Bank);
        QVERIFY(!form().Simulating());
    }

    void progressEveryTenThousandDeals() {
        form().Edit4->setText("25000");
        QStringList captions;
        test::RunWith(form(), [&] {
            if (captions.isEmpty() || captions.last() != form().Button4->text())
                captions << form().Button4->text();
        });
        // The message loop runs before deals 10000 and 20000 only.
        QCOMPARE(captions, QStringList({"1 x 10000", "2 x 10000"}));
        QCOMPARE(form().Button4->text(), QString("ready"));
    }

    void startAndEscStopARun_data() {
        QTest::addColumn<bool>("escape");
        QTest::newRow("START") << false;
        QTest::newRow("Esc") << true;
    }
    void startAndEscStopARun() {
        QFETCH(bool, escape);
        form().Edit4->setText("10000000");
        form().Memo1->setPlainText("layout log");
        QStringList captions;
        test::RunWith(form(), [&] {
            if (!captions.contains(form().Button4->text())) captions << form().Button4->text();
            // The analysis waits for the run to end.
            form().Button2->click();
            QCOMPARE(form().Memo1->toPlainText(), QString("layout log"));
            QVERIFY(form().StatusBar1->currentMessage().contains("симуляция"));
            if (escape)
                QTest::keyClick(form().Memo3, Qt::Key_Escape);
            else
                form().Button4->click();
        });
        QCOMPARE(captions, QStringList({"1 x 10000"}));
        QVERIFY(!form().Simulating());
        // Stopped before deal 10000: the report and the files cover the deals played.
        QCOMPARE(PlayedDeals(form()), 9999);
        QCOMPARE(form().Button4->text(), QString("ready"));
        QCOMPARE(test::ReadAll(test::BankPath()).count("\r\n"), 9999);
        QVERIFY(form().DeckDirty);
        QVERIFY(form().BankChart() != nullptr);
        // START starts again afterwards.
        form().Edit4->setText("10");
        form().Button4Click();
        QCOMPARE(PlayedDeals(form()), 10);
    }

    void closingTheMainWindowStopsARun() {
        // Only the run's own end is watched here, not the program's.
        QApplication::setQuitOnLastWindowClosed(false);
        form().Edit4->setText("10000000");
        form().show();
        test::RunWith(form(), [&] { form().close(); });
        QApplication::setQuitOnLastWindowClosed(true);
        QCOMPARE(PlayedDeals(form()), 9999);
        QVERIFY(QFile::exists(test::ReportPath()));
        QVERIFY(form().BankChart() == nullptr);
    }

    void missingOutFolderKeepsTheReportInTheMemo() {
        QVERIFY(QDir("out").removeRecursively());
        form().Edit4->setText("100");
        form().Button4Click();
        // The report file and the bank file each say they cannot be created.
        QCOMPARE(test::Messages().Texts.size(), 2);
        QVERIFY(test::Messages().Texts[0].startsWith("Не удается создать файл"));
        QVERIFY(test::Messages().Texts[0].contains(test::ReportPath().mid(4)));
        QCOMPARE(PlayedDeals(form()), 100);
        QVERIFY(!form().BankrollPage()->MathMO->text().isEmpty());
        QCOMPARE(form().Button4->text(), QString("ready"));
        QVERIFY(form().DeckDirty);
        // The chart is drawn from the run's own banks, not from the file.
        QVERIFY(form().BankChart() != nullptr);
        QCOMPARE(form().BankChart()->isVisible(), true);
    }
};

KVARLEN_UI_TEST_MAIN(TSimulationPageTest)
#include "simulation_page_test.moc"
