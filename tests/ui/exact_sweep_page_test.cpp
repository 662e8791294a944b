// The rule curve and the decision picture of "точный расчёт": a sweep started from the page
// equals the engine's sweep point for point, the target is solved as the engine solves it and
// labelled on the chart, bad ranges start nothing and keep the last curve, and both pictures are
// saved as the text they draw (SVG) or as PNG.
#include "exact/exact_pictures.h"
#include "exact/exact_report.h"
#include "exact_page_support.h"
#include "ui/common/ChartExport.h"
#include "ui/common/SvgPicture.h"
#include "ui/exact/ExactPage.h"
#include "ui/exact/ExactSweep.h"
#include "ui/exact/ExactTable.h"
#include "ui_run_support.h"
#include "ui_test_support.h"

#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSvgRenderer>
#include <QTabWidget>
#include <QTableWidget>

#include <memory>

using namespace kvarlen;

namespace {

QString Cell(const QTableWidget* grid, int row, int column) {
    const QTableWidgetItem* item = grid->item(row, column);
    return item ? item->text() : QString();
}

} // namespace

#define WAIT_FOR_END() QTRY_VERIFY_WITH_TIMEOUT(!page().Running(), 120000)

class TExactSweepPageTest : public QObject {
    Q_OBJECT

    std::unique_ptr<test::TRunFixture> fixture;
    test::TCsvChooser csv;
    TForm1& form() { return fixture->program->Form1; }
    TExactPage& page() { return *form().ExactPage(); }
    TExactSweepPanel& sweep() { return *page().ExactSweep; }
    QStringList& messages() { return test::Messages().Texts; }

    TExactSettings WindowSettings(int k, int n) {
        return test::WindowExactSettings(form(), page(), k, n);
    }
    void Choose(const char* parameter, const QString& from, const QString& to, const QString& step,
                const QString& target) {
        page().ExactTabs->setCurrentWidget(&sweep());
        sweep().SweepParameter->setCurrentIndex(sweep().SweepParameter->findData(parameter));
        sweep().SweepFrom->setText(from);
        sweep().SweepTo->setText(to);
        sweep().SweepStep->setText(step);
        sweep().SweepTarget->setText(target);
    }

  private slots:
    void init() {
        messages().clear();
        fixture = std::make_unique<test::TRunFixture>();
        csv.Path.clear();
        SetExactFileChooser(&csv);
    }
    void cleanup() {
        fixture.reset();
        SetExactFileChooser(nullptr);
    }

    // START on the rule curve's tab: every point equals the engine's sweep of the same values
    // (the rules' own price among them, marked), the price solved is the engine's fraction and
    // the chart labels it.
    void aPriceSweepEqualsTheEnginesAndSolvesTheTarget() {
        page().ExactOptimal->setChecked(true);
        page().SetPart(3, 400);
        Choose("price-buy6", "0,8", "1,6", "0,4", "2");
        QVERIFY(!page().ExactCompare->isEnabled());
        QVERIFY(page().Start());
        QVERIFY(page().Running());
        QCOMPARE(page().ExactStart->text(), QString("СТОП"));
        WAIT_FOR_END();
        QVERIFY(messages().isEmpty());
        const TSweepOutcome* o = sweep().Outcome();
        QVERIFY(o != nullptr && o->Complete && o->Solved);

        const TExactSettings s = WindowSettings(3, 400);
        TSweepPlan plan = ParseSweep("price-buy6=0.8,1,1.2,1.6");
        QCOMPARE(o->Plan.Values, plan.Values);
        const std::vector<TExactResult> engine = RunExactSweep(s, PayTable, plan);
        QCOMPARE(o->Points.size(), engine.size());
        for (size_t k = 0; k < engine.size(); ++k) QVERIFY(o->Points[k].Tally == engine[k].Tally);

        // The grid shows the engine's rows, the rules' own price in bold.
        const auto rows = SweepRows(plan, engine, DecimalSeparator());
        QCOMPARE(sweep().SweepGrid->rowCount(), 4);
        for (int r = 0; r < 4; ++r)
            for (int c = 0; c < 9; ++c)
                QCOMPARE(Cell(sweep().SweepGrid, r, c),
                         QString::fromStdString(rows[static_cast<size_t>(r) + 1][c]));
        QVERIFY(sweep().SweepGrid->item(1, 0)->font().bold());
        QVERIFY(!sweep().SweepGrid->item(0, 0)->font().bold());

        const TPriceSolution exact =
            SolveExactPrice(s, PayTable, SweepParameter("price-buy6"), ParseEdge("2"));
        QVERIFY(exact.Found);
        QVERIFY(o->Solution.IsPrice && o->Solution.Found);
        QVERIFY(o->Solution.Price.Numerator == exact.Numerator);
        QVERIFY(o->Solution.Price.Denominator == exact.Denominator);
        const QString fraction =
            QString::fromStdString(ToDecimal(exact.Numerator) + "/" + ToDecimal(exact.Denominator));
        QVERIFY(sweep().SweepResult->text().contains(fraction));
        const std::string svg = sweep().SweepChart->SvgText();
        QVERIFY(QString::fromStdString(svg).contains(fraction));
        QVERIFY(QString::fromStdString(svg).contains("правила: 1"));
        QVERIFY(QSvgRenderer(QByteArray::fromStdString(svg)).isValid());
        QVERIFY(page().ExactStatus->text().startsWith("Перебор готов"));
        QCOMPARE(page().ExactStart->text(), QString("СТАРТ"));
        // The single run of the first tab is untouched by a sweep.
        QVERIFY(page().Result() == nullptr);
    }

    // A payout: the two neighbouring whole payouts whose edges enclose the target, as the
    // engine finds them over the whole range.
    void aPayoutSweepGivesTheNeighbouringPayouts() {
        page().ExactOptimal->setChecked(true);
        page().SetPart(7, 400);
        Choose("pay-flush", "0", "10", "2", "2");
        QVERIFY(page().Start());
        WAIT_FOR_END();
        const TSweepOutcome* o = sweep().Outcome();
        QVERIFY(o != nullptr && o->Complete && o->Solution.Found && !o->Solution.IsPrice);
        const TPayoutSolution engine = SolveExactPayout(
            WindowSettings(7, 400), PayTable, SweepParameter("pay-flush"), ParseEdge("2"));
        QVERIFY(engine.Found);
        QCOMPARE(o->Solution.Payout.LowPayout, engine.LowPayout);
        QCOMPARE(o->Solution.Payout.HighPayout, engine.HighPayout);
        QVERIFY(o->Solution.Payout.Low.Tally == engine.Low.Tally);
        QVERIFY(
            QString::fromStdString(sweep().SweepChart->SvgText())
                .contains(QString("между %1 и %2").arg(engine.LowPayout).arg(engine.HighPayout)));
        // 5, the rules' payout, joins the even payouts as a point of its own.
        QCOMPARE(o->Plan.Values, (std::vector<double>{0, 2, 4, 5, 6, 8, 10}));
    }

    // What cannot be swept is said, starts nothing and leaves the curve shown as it was.
    void badRangesStartNothingAndKeepTheLastCurve() {
        page().ExactOptimal->setChecked(true);
        page().SetPart(11, 2000);
        Choose("price-buy6", "1", "2", "0,5", "");
        QVERIFY(page().Start());
        WAIT_FOR_END();
        const TSweepOutcome* shown = sweep().Outcome();
        QVERIFY(shown != nullptr && shown->Complete && !shown->HasTarget);
        const std::string svg = sweep().SweepChart->SvgText();
        QVERIFY(!QString::fromStdString(svg).contains("цель"));

        struct TBad {
            const char* Parameter;
            QString From, To, Step, Target;
            QString Said;
        };
        const TBad bad[] = {
            {"price-buy6", "abc", "2", "0,5", "", "«от»: «abc» — не число"},
            {"price-buy6", "1", "2", "0", "", "Шаг перебора должен быть больше 0"},
            {"price-buy6", "2", "1", "0,5", "", "«до» меньше, чем «от»"},
            {"price-buy6", "0", "1000", "0,5", "", "Больше 1001 точек"},
            {"price-buy6", "-1", "2", "0,5", "", "Цена — от 0 до 1000"},
            {"pay-flush", "1,5", "4", "1", "", "Выплата — целое число"},
            {"pay-flush", "1", "4", "1", "2%", "«цель»"},
            {"price-change1", "0", "2", "0,5", "", "Обмен 1 карты выключен"},
        };
        for (const TBad& b : bad) {
            messages().clear();
            Choose(b.Parameter, b.From, b.To, b.Step, b.Target);
            QVERIFY(!page().Start());
            QVERIFY(!page().Running());
            QCOMPARE(messages().size(), 1);
            QVERIFY2(messages().front().contains(b.Said), qPrintable(messages().front()));
            QVERIFY(sweep().Outcome() == shown);
            QCOMPARE(sweep().SweepChart->SvgText(), svg);
        }
        messages().clear();
        page().ExactStrategy->setChecked(true);
        Choose("price-buy6", "1", "2", "0,5", "");
        QVERIFY(!page().Start());
        QVERIFY(messages().front().contains("В игре по стратегии"));
        messages().clear();
        page().ExactOptimal->setChecked(true);
        form().CheckBox8->setChecked(false);
        QVERIFY(!page().Start());
        QVERIFY(messages().front().contains("Покупка 6-й карты выключена"));
        QVERIFY(sweep().Outcome() == shown);
    }

    // A stop during the pass: no curve of half-counted points, the status says so.
    void aStoppedSweepDrawsNoCurve() {
        page().ExactOptimal->setChecked(true);
        page().SetPart(1, 8);
        Choose("price-buy6", "0,5", "2,5", "0,1", "2");
        QVERIFY(page().Start());
        QTRY_VERIFY_WITH_TIMEOUT(page().ExactProgress->value() > 0, 60000);
        page().StartClick();
        WAIT_FOR_END();
        const TSweepOutcome* o = sweep().Outcome();
        QVERIFY(o != nullptr && !o->Complete);
        QVERIFY(!sweep().SweepChart->HasDrawing());
        QVERIFY(page().ExactStatus->text().startsWith("Перебор остановлен"));
        QVERIFY(sweep().SweepResult->text().contains("остановлен"));
    }

    // Copy and CSV act on the tab shown: the sweep's points, then the decision chart.
    void copyAndSaveFollowTheTabShown() {
        page().ExactOptimal->setChecked(true);
        page().SetPart(13, 2000);
        Choose("pay-pair", "0", "2", "1", "");
        QVERIFY(!page().ExactCopy->isEnabled());
        QVERIFY(page().Start());
        WAIT_FOR_END();
        QVERIFY(page().ExactCopy->isEnabled() && page().ExactChartSave->isEnabled());
        QVERIFY(page().CopyTable());
        const QStringList copied = QGuiApplication::clipboard()->text().split('\n');
        QVERIFY(copied.front().startsWith("выплата за пару, к 1\tчистый итог, анте"));
        QCOMPARE(copied[1].split('\t').front(), QString("0"));
        csv.Path = fixture->dir.filePath("sweep.csv");
        QVERIFY(page().SaveCsv());
        QCOMPARE(csv.Suggested.section('/', -1), QString("sweep.csv"));
        const QString saved = QString::fromLocal8Bit(test::ReadAll(csv.Path));
        QCOMPARE(saved.count("\r\n") >= 4, true);

        // The decision tab has nothing before a run of the first tab.
        page().ExactTabs->setCurrentWidget(page().ExactDecisions);
        QVERIFY(!page().ExactCopy->isEnabled());
        QVERIFY(!page().CopyTable());
    }

    // The decision chart of a run: drawn from the result shown, saved as that very SVG text or
    // as PNG, copied as a table of the chart's rows.
    void theDecisionPictureIsTheResultsAndIsSaved() {
        form().CheckBox8->setChecked(false);
        form().CheckBox5->setChecked(false);
        page().SetPart(2, 50);
        QVERIFY(page().Start());
        WAIT_FOR_END();
        QVERIFY(page().Result() != nullptr);
        form().PageControl1->setCurrentWidget(&page());
        form().show();
        page().ExactTabs->setCurrentWidget(page().ExactDecisions);
        QApplication::processEvents();
        TSvgPicture* picture = page().ExactDecisions;
        QVERIFY(picture->HasDrawing());
        const std::string svg = picture->SvgText();
        QCOMPARE(svg, DecisionChartSvg(*page().Result(), picture->width(), picture->height(),
                                       TPictureLanguage::Russian, DecimalSeparator()));
        QVERIFY(QSvgRenderer(QByteArray::fromStdString(svg)).isValid());

        test::TPictureChooser pictures;
        TFileChooser* previous = SetFileChooser(&pictures);
        pictures.Path = fixture->dir.filePath("decisions.svg");
        page().ExactChartSave->click();
        QCOMPARE(pictures.Suggested, QString("решения.png"));
        QCOMPARE(test::ReadAll(pictures.Path), QByteArray::fromStdString(svg));
        pictures.Path = fixture->dir.filePath("decisions.png");
        page().ExactChartSave->click();
        QCOMPARE(QImage(pictures.Path).size(), picture->size());
        SetFileChooser(previous);

        QVERIFY(page().CopyTable());
        const QStringList copied = QGuiApplication::clipboard()->text().split('\n');
        const std::vector<std::string> lines =
            ExactDecisionLines(*page().Result(), DecimalSeparator());
        QCOMPARE(copied.front().split('\t').size(), 11);
        QCOMPARE(copied[1], QString::fromStdString(lines[1]).replace(';', '\t'));

        // A new run clears the picture until its own result is there.
        QVERIFY(page().Start());
        QVERIFY(!picture->HasDrawing());
        WAIT_FOR_END();
        QVERIFY(picture->HasDrawing());
    }
};

KVARLEN_UI_TEST_MAIN(TExactSweepPageTest)

#include "exact_sweep_page_test.moc"
