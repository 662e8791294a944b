// The page "точный расчёт": its controls, runs of a part of the layouts that must equal the
// engine's own count, refusals, stopping, closing the window during a run, copy and CSV.
#include "exact/exact_report.h"
#include "exact_page_support.h"
#include "simulation/text_files.h"
#include "ui/common/ChartExport.h"
#include "ui/exact/ExactChart.h"
#include "ui/exact/ExactPage.h"
#include "ui/exact/ExactTable.h"
#include "ui_run_support.h"
#include "ui_test_support.h"

#include <QAbstractBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QGraphicsTextItem>
#include <QGuiApplication>
#include <QHeaderView>
#include <QImage>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableWidget>

#include <memory>

using namespace kvarlen;

namespace {

QString Cell(const QTableWidget* grid, int row, int column) {
    const QTableWidgetItem* item = grid->item(row, column);
    return item ? item->text() : QString();
}

// The rows of ExactTableRows in the grid's order: the sum of the outcome rows after them, and
// for a complete run the return per deal last.
struct TExpectedRow {
    QString Caption, Deals;
};
QList<TExpectedRow> ExpectedRows(const TExactResult& r) {
    QList<TExpectedRow> rows;
    uint64_t outcome = 0;
    bool total = false;
    for (const TExactTableRow& row : ExactTableRows(r)) {
        if (row.Side && !total) {
            rows.append({"сумма исходов", QString::number(outcome)});
            total = true;
        }
        if (!row.Side) outcome += row.Deals;
        rows.append({QString::fromStdString(row.Caption), QString::number(row.Deals)});
    }
    if (!total) rows.append({"сумма исходов", QString::number(outcome)});
    if (r.Complete) rows.append({"возврат на раздачу", QString()});
    return rows;
}

QStringList BoldCaptions(const QTableWidget* grid) {
    QStringList bold;
    for (int r = 0; r < grid->rowCount(); ++r)
        if (grid->item(r, 0) && grid->item(r, 0)->font().bold()) bold << Cell(grid, r, 0);
    return bold;
}

// The title as the chart draws it (cut to "…" when it does not fit).
QString DrawnTitle(QChart* chart) {
    for (QGraphicsItem* item : chart->childItems())
        if (auto* text = dynamic_cast<QGraphicsTextItem*>(item))
            if (text->toPlainText().startsWith("Вклад")) return text->toPlainText();
    return QString();
}

} // namespace

// The run's result comes through the message loop; a loaded machine may take its time.
#define WAIT_FOR_END() QTRY_VERIFY_WITH_TIMEOUT(!page().Running(), 120000)
#define WAIT_FOR_FIRST_PROGRESS()                                                                  \
    QTRY_VERIFY_WITH_TIMEOUT(page().ExactProgress->format().contains("осталось"), 60000)

class TExactPageTest : public QObject {
    Q_OBJECT

    std::unique_ptr<test::TRunFixture> fixture;
    test::TCsvChooser chooser;
    TForm1& form() { return fixture->program->Form1; }
    TExactPage& page() { return *form().ExactPage(); }
    QStringList& messages() { return test::Messages().Texts; }

    // The settings the page reads from the window at START.
    TExactSettings WindowSettings(int k, int n) {
        return test::WindowExactSettings(form(), page(), k, n);
    }
    // The classic rules take the engine about ten seconds: long enough to act during the run.
    void ClassicRules() {
        form().CheckBox8->setChecked(false);
        form().CheckBox5->setChecked(false);
    }

  private slots:
    void init() {
        messages().clear();
        fixture = std::make_unique<test::TRunFixture>();
        chooser.Path.clear();
        SetExactFileChooser(&chooser);
    }
    void cleanup() {
        fixture.reset();
        SetExactFileChooser(nullptr);
    }

    // "сравнить три игры": best play, ideal and strategy play in turn, the table of best play, the
    // summary with each rule's cost against it.
    void comparisonCountsTheThreeModes() {
        page().ExactCompare->setChecked(true);
        page().SetPart(5, 20000);
        page().ExactStart->click();
        QVERIFY(page().Running());
        QVERIFY(!page().ExactOptimal->isEnabled());
        QTRY_VERIFY_WITH_TIMEOUT(!page().Running() && page().ExactStart->text() == "СТАРТ", 120000);
        QVERIFY(messages().isEmpty());
        const TExactResult* shown = page().Result();
        QVERIFY(shown != nullptr && shown->Complete);
        QCOMPARE(shown->Mode, TExactMode::Optimal);
        TExactSettings s = WindowSettings(5, 20000);
        s.Mode = TExactMode::Optimal;
        const TExactResult best = RunExact(s);
        s.Mode = TExactMode::Ideal;
        const TExactResult ideal = RunExact(s);
        s.Mode = TExactMode::Strategy;
        const TExactResult strategy = RunExact(s);
        QVERIFY(shown->Tally == best.Tally);
        const QString summary = page().ExactSummary->toPlainText();
        for (const QString& line : ExactComparisonText({best, ideal, strategy}, ','))
            QVERIFY2(summary.contains(line), qPrintable(line));
        QVERIFY(summary.contains("идеальная игра: МО"));
        QVERIFY(summary.contains("игра по стратегии: МО"));
        QVERIFY(summary.contains("уступает лучшей игре"));
        QVERIFY(page().ExactOptimal->isEnabled());
    }

    void pageFollowsTheMathematicsPageWithItsControls() {
        QTabWidget* pages = form().PageControl1;
        const int index = pages->indexOf(&page());
        QCOMPARE(pages->tabText(index), QString("точный расчёт"));
        QCOMPARE(pages->tabText(index - 1), QString("математика"));
        for (const char* name :
             {"ExactIdeal", "ExactStrategy", "ExactStart", "ExactProgress", "ExactCopy",
              "ExactSave", "ExactGrid", "ExactSummary", "ExactChart", "ExactStatus"})
            QVERIFY2(page().findChild<QWidget*>(name) != nullptr, name);
        QVERIFY(page().ExactIdeal->isChecked());
        QCOMPARE(page().ExactStart->text(), QString("СТАРТ"));
        QVERIFY(!page().ExactCopy->isEnabled());
        QVERIFY(!page().ExactSave->isEnabled());
        QVERIFY(!page().ExactChartSave->isEnabled() && !page().ExactChartCopy->isEnabled());
        QCOMPARE(page().ExactGrid->columnCount(), 5);
        QCOMPARE(page().ExactGrid->rowCount(), 0);
        QVERIFY(!page().CopyTable());
        QVERIFY(!page().SaveCsv());
    }

    // Each mode and rule set the window can give fills the grid with the engine's own counts.
    void runsFillTheGridWithTheEnginesCounts_data() {
        QTest::addColumn<bool>("strategy");
        QTest::addColumn<bool>("exchange");
        QTest::addColumn<QString>("sideRow");
        QTest::addColumn<bool>("optimal");
        QTest::newRow("ideal, default rules") << false << false << "покупка 6 карты" << false;
        QTest::newRow("ideal, exchange of one card") << false << true << "обмен 1 карты" << false;
        QTest::newRow("strategy, default rules") << true << false << "покупка 6 карты" << false;
        QTest::newRow("best play, default rules") << false << false << "покупка 6 карты" << true;
        QTest::newRow("best play, exchange of one card")
            << false << true << "обмен 1 карты" << true;
    }
    void runsFillTheGridWithTheEnginesCounts() {
        QFETCH(bool, strategy);
        QFETCH(bool, exchange);
        QFETCH(QString, sideRow);
        QFETCH(bool, optimal);
        // "обмен 1 карты" unchecks "покупка 6 карты".
        if (exchange) form().CheckBox12->setChecked(true);
        (optimal    ? page().ExactOptimal
         : strategy ? page().ExactStrategy
                    : page().ExactIdeal)
            ->setChecked(true);
        page().SetPart(3, 10000);
        page().ExactStart->click();
        QVERIFY(page().Running());
        QCOMPARE(page().ExactStart->text(), QString("СТОП"));
        QVERIFY(!page().ExactStrategy->isEnabled());
        WAIT_FOR_END();
        QVERIFY(messages().isEmpty());
        QCOMPARE(page().ExactStart->text(), QString("СТАРТ"));
        QVERIFY(page().ExactCopy->isEnabled() && page().ExactSave->isEnabled());
        QVERIFY(page().ExactChartSave->isEnabled() && page().ExactChartCopy->isEnabled());

        const TExactResult engine = RunExact(WindowSettings(3, 10000));
        const TExactResult* shown = page().Result();
        QVERIFY(shown != nullptr && shown->Complete);
        QCOMPARE(shown->Mode, optimal    ? TExactMode::Optimal
                              : strategy ? TExactMode::Strategy
                                         : TExactMode::Ideal);
        QCOMPARE(shown->Rules.Exchange1, exchange);
        QVERIFY(shown->Tally == engine.Tally);
        QVERIFY(engine.Tally.Layouts > 0);

        const QList<TExpectedRow> rows = ExpectedRows(engine);
        const QTableWidget* grid = page().ExactGrid;
        QCOMPARE(grid->rowCount(), rows.size());
        QStringList captions;
        for (int r = 0; r < rows.size(); ++r) {
            QCOMPARE(Cell(grid, r, 0), rows[r].Caption);
            QCOMPARE(Cell(grid, r, 1), rows[r].Deals);
            captions << Cell(grid, r, 0);
        }
        QVERIFY(captions.contains(sideRow));
        // Every deal ends in exactly one outcome row: their sum is every deal counted.
        const int total = static_cast<int>(captions.indexOf("сумма исходов"));
        QCOMPARE(Cell(grid, total, 1), QString::number(engine.Tally.Deals()));
        QVERIFY(engine.Tally.Deals() == static_cast<uint64_t>(engine.ExpectedDeals()));
        QCOMPARE(Cell(grid, total, 2), QString("1,00000000"));
        // Insurance and the price of a card come after the sum: the last bold row, the return
        // per deal, is the value of the game.
        QVERIFY(total < grid->rowCount() - 2);
        QCOMPARE(BoldCaptions(grid), QStringList{"возврат на раздачу"});
        const TExactSummary figures = SummarizeExact(engine);
        QCOMPARE(Cell(grid, grid->rowCount() - 1, 4), ExactFixed(figures.MO, 8, ','));
        QCOMPARE(Cell(grid, grid->rowCount() - 1, 1), QString());
        const QString summary = page().ExactSummary->toPlainText();
        QVERIFY(form().RuleSetName().startsWith("default"));
        QVERIFY2(summary.contains("Правила «" + form().RuleSetName() + "»: "), qPrintable(summary));
        QVERIFY(summary.contains("часть 3 из 10000"));
        QVERIFY(summary.contains(optimal    ? "лучшая игра"
                                 : strategy ? "игра по стратегии"
                                            : "идеальная игра"));
        QVERIFY(!summary.contains("НЕ ЗАВЕРШЁН"));
        QVERIFY(summary.contains(exchange ? "без покупки, обмен 1 карты по 1, страховка"
                                          : "покупка 6 карты по 1, страховка"));
        QVERIFY(summary.contains("выплаты 1, 1, 2, 3, 4, 5, 7, 20, 50, 100"));
        QVERIFY(
            summary.contains("МО на раздачу: " + ExactFixed(SummarizeExact(engine).MO, 8, ',')));
        QVERIFY(summary.contains("Всего раздач: " +
                                 QString::fromStdString(ToDecimal(SummarizeExact(engine).Deals))));
        // One bar per event, the first row on top (horizontal bars count from the bottom).
        const QList<QAbstractSeries*> series = page().ExactChart->chart()->series();
        QCOMPARE(series.size(), 1);
        const auto* bars = qobject_cast<QAbstractBarSeries*>(series[0]);
        QVERIFY(bars != nullptr && bars->barSets().size() == 2);
        const TExactTableCells cells = ExactTableCells(engine, ',');
        QCOMPARE(bars->barSets()[0]->count(),
                 cells.EngineRows.size() - cells.EngineRows.count(-1) - cells.EngineRows.count(-2));
        QCOMPARE(bars->barSets()[0]->count(), static_cast<int>(ExactTableRows(engine).size()));
        for (int i = 0, r = static_cast<int>(cells.Rows.size()) - 1; r >= 0; --r) {
            if (cells.EngineRows[r] < 0) continue;
            QCOMPARE(bars->barSets()[0]->at(i) + bars->barSets()[1]->at(i), cells.Contributions[r]);
            ++i;
        }
        QVERIFY(page().ExactStatus->text().startsWith("Готово"));
        QCOMPARE(page().ExactProgress->value(), page().ExactProgress->maximum());
    }

    void aSecondStartAndTheOtherCommandsWaitWhileItRuns() {
        page().SetPart(1, 5000);
        QVERIFY(page().Start());
        QVERIFY(!page().Start());
        QVERIFY(page().ExactStatus->text().contains("уже идёт"));
        // They would rewrite the payout table the run reads.
        form().Button2Click();
        QVERIFY(form().StatusBar1->currentMessage().contains("точный расчёт"));
        form().Button4Click();
        QVERIFY(!form().Simulating());
        QCOMPARE(messages().size(), 1);
        QVERIFY(messages()[0].contains("точный расчёт"));
        WAIT_FOR_END();
        QVERIFY(page().Result() != nullptr && page().Result()->Complete);
        QVERIFY(page().Start());
        WAIT_FOR_END();
    }

    void aStartDuringASimulationIsRefused() {
        form().Edit4->setText("30000");
        bool tried = false, started = true;
        test::RunWith(form(), [&] {
            if (tried) return;
            tried = true;
            started = page().Start();
        });
        QVERIFY(tried);
        QVERIFY(!started);
        QVERIFY(!page().Running());
        QVERIFY(page().ExactStatus->text().contains("симуляция"));
    }

    // The layouts come in order (every open ace first): what a stopped run counted says
    // nothing of the game's value, so it shows the counts and no MO or edge.
    void stopEndsTheRunWithAnIncompleteResultMarkedAsSuch() {
        page().ExactStart->click();
        WAIT_FOR_FIRST_PROGRESS();
        page().ExactStart->click(); // СТОП
        WAIT_FOR_END();
        const TExactResult* r = page().Result();
        QVERIFY(r != nullptr);
        QVERIFY(!r->Complete);
        QVERIFY(r->Tally.Layouts > 0 && r->Tally.Layouts < r->LayoutsInPart);
        QVERIFY(r->Tally.Deals() == static_cast<uint64_t>(r->ExpectedDeals()));
        const QString summary = page().ExactSummary->toPlainText();
        QVERIFY(summary.contains("НЕ ЗАВЕРШЁН"));
        QVERIFY(summary.contains("покупка 6 карты по 1, страховка"));
        QVERIFY2(!summary.contains("преимущество казино") && !summary.contains("МО на раздачу") &&
                     !summary.contains("элемент риска"),
                 qPrintable(summary));
        QVERIFY(summary.contains("Посчитано раздач: " + QString::number(r->Tally.Deals())));
        QVERIFY(summary.contains(QString("Канонических раскладов: %1 из %2")
                                     .arg(r->Tally.Layouts)
                                     .arg(r->LayoutsInPart)));
        QVERIFY(page().ExactStatus->text().contains("остановлен"));
        QVERIFY(page().ExactGrid->rowCount() > 0);
        QVERIFY(BoldCaptions(page().ExactGrid).isEmpty());
        const QList<TExpectedRow> rows = ExpectedRows(*r);
        QCOMPARE(page().ExactGrid->rowCount(), rows.size());
        QCOMPARE(Cell(page().ExactGrid, page().ExactGrid->rowCount() - 1, 0), rows.last().Caption);
        QVERIFY(rows.last().Caption != "возврат на раздачу");
        // Copied, it says so too.
        QVERIFY(page().CopyTable());
        const QString copied = QGuiApplication::clipboard()->text();
        QVERIFY(copied.contains("НЕ ЗАВЕРШЁН") && !copied.contains("преимущество казино"));
        QVERIFY(page().ExactProgress->value() < page().ExactProgress->maximum());
        QCOMPARE(page().ExactStart->text(), QString("СТАРТ"));
    }

    void closingTheWindowStopsTheRunAndWaitsForIt() {
        ClassicRules();
        QVERIFY(page().Start());
        WAIT_FOR_FIRST_PROGRESS();
        form().close();
        QVERIFY(!page().Running());
        QVERIFY(!form().ExactRunning());
        QCOMPARE(page().ExactStart->text(), QString("СТАРТ"));
    }

    void aBadNumberOrRefusedRulesStartNothing() {
        form().ePrice_buy6->setText("abc");
        QVERIFY(!page().Start());
        QCOMPARE(messages(), QStringList{"'abc' is not a valid floating point value"});
        QVERIFY(!page().Running());
        form().ePrice_buy6->setText("1,0");

        // A game bought for the dealer multiplies strategy play beyond a reasonable time.
        messages().clear();
        page().ExactStrategy->setChecked(true);
        form().ComboBox2->setCurrentIndex(1);
        QVERIFY(!page().Start());
        QCOMPARE(messages().size(), 1);
        QVERIFY(messages()[0].contains("покупкой игры дилеру"));
        QVERIFY(!page().Running());
        QVERIFY(page().Result() == nullptr);
        QCOMPARE(page().ExactStart->text(), QString("СТАРТ"));
    }

    void copyAndSaveTheTable() {
        page().SetPart(2, 20000);
        QVERIFY(page().Start());
        WAIT_FOR_END();
        const QTableWidget* grid = page().ExactGrid;

        // The clipboard: the grid as shown (decimal comma here), tabs between the columns, then
        // the summary as shown after an empty line.
        QVERIFY(page().CopyTable());
        const QStringList lines = QGuiApplication::clipboard()->text().split('\n');
        const QStringList summary = page().ExactSummary->toPlainText().split('\n');
        QCOMPARE(lines.size(), grid->rowCount() + 1 + 1 + summary.size() + 1);
        QCOMPARE(lines[0], QString("событие\tраздач\tвероятность\tитог на анте\tвклад в возврат"));
        for (int r = 0; r < grid->rowCount(); ++r) {
            QStringList expected;
            for (int c = 0; c < 5; ++c) expected << Cell(grid, r, c);
            QCOMPARE(lines[r + 1], expected.join('\t'));
        }
        QCOMPARE(lines[grid->rowCount() + 1], QString());
        QCOMPARE(lines.mid(grid->rowCount() + 2, summary.size()), summary);
        QVERIFY(summary.join('\n').contains("МО на раздачу"));

        // The CSV file: decimal point, comma between the fields, Windows-1251, CR LF.
        chooser.Path = fixture->dir.filePath("table.csv");
        QVERIFY(page().SaveCsv());
        QVERIFY(chooser.Suggested.endsWith(".csv"));
        const QByteArray bytes = test::ReadAll(chooser.Path);
        QVERIFY(bytes.endsWith("\r\n"));
        const QStringList csv = QString::fromStdString(FromCp1251(bytes.toStdString()))
                                    .split("\r\n", Qt::SkipEmptyParts);
        QCOMPARE(csv.size(), grid->rowCount() + 1 + summary.size());
        QCOMPARE(csv[0], QString("событие,раздач,вероятность,итог на анте,вклад в возврат"));
        for (int r = 0; r < grid->rowCount(); ++r) {
            const QStringList fields = csv[r + 1].split(',');
            QCOMPARE(fields.size(), 5);
            QCOMPARE(fields[0], Cell(grid, r, 0));
            QCOMPARE(fields[1], Cell(grid, r, 1));
            for (int c = 2; c < 5; ++c) QCOMPARE(fields[c], Cell(grid, r, c).replace(',', '.'));
        }
        // The summary with the decimal point, one line a field (quoted where it has a comma).
        const TExactSummary figures = SummarizeExact(*page().Result());
        const QString mo = "МО на раздачу: " + ExactFixed(figures.MO, 8, '.');
        bool moFound = false;
        for (const QString& line : csv.mid(grid->rowCount() + 1)) {
            QVERIFY2(line.startsWith('"') || !line.contains(','), qPrintable(line));
            moFound |= line.contains(mo);
        }
        QVERIFY(moFound);
        QVERIFY(csv[grid->rowCount() + 1].contains("Точный расчёт для одного бокса"));
        QVERIFY(messages().isEmpty());

        // Cancelled: nothing written, nothing said.
        chooser.Path.clear();
        QVERIFY(!page().SaveCsv());
        QVERIFY(messages().isEmpty());
        // A folder that does not exist: the save says it failed.
        chooser.Path = fixture->dir.filePath("missing/table.csv");
        QVERIFY(!page().SaveCsv());
        QCOMPARE(messages().size(), 1);
        QVERIFY(messages()[0].startsWith("Не удалось сохранить таблицу"));
        QVERIFY(!QFile::exists(chooser.Path));
    }

    // The chart's title is whole at the narrowest the page lets the chart be.
    void theChartTitleFitsTheNarrowestChart() {
        page().SetPart(4, 20000);
        QVERIFY(page().Start());
        WAIT_FOR_END();
        QChartView view;
        view.resize(page().ExactChart->minimumSize());
        DrawExactChart(&view, ExactTableCells(*page().Result(), ','), ',');
        view.show();
        QApplication::processEvents();
        const QString title = view.chart()->title();
        QVERIFY(!title.isEmpty());
        QCOMPARE(DrawnTitle(view.chart()), title);
        ResetExactChart(&view);
        QApplication::processEvents();
        QCOMPARE(DrawnTitle(view.chart()), view.chart()->title());
    }

    void theChartIsSavedAsPngOrSvgAndCopied() {
        test::TPictureChooser pictures;
        TFileChooser* previous = SetFileChooser(&pictures);
        page().SetPart(6, 20000);
        QVERIFY(page().Start());
        WAIT_FOR_END();
        form().PageControl1->setCurrentWidget(&page());
        form().show();
        QApplication::processEvents();
        auto* save = page().findChild<QAbstractButton*>("ExactChartSave");
        auto* copy = page().findChild<QAbstractButton*>("ExactChartCopy");
        QVERIFY(save != nullptr && copy != nullptr);
        QVERIFY(save->isVisible() && copy->isVisible());
        QCOMPARE(page().ExactChart->contextMenuPolicy(), Qt::CustomContextMenu);

        pictures.Path = fixture->dir.filePath("chart.png");
        save->click();
        QVERIFY(pictures.Suggested.endsWith(".png"));
        const QImage png(pictures.Path);
        QVERIFY(!png.isNull());
        QCOMPARE(png.size(), page().ExactChart->size());
        pictures.Path = fixture->dir.filePath("chart.svg");
        save->click();
        const QByteArray svg = test::ReadAll(pictures.Path);
        QVERIFY(svg.contains("<svg"));
        QVERIFY(svg.contains("Вклад"));
        // Cancelled: nothing written, nothing said.
        pictures.Path.clear();
        save->click();
        QVERIFY(messages().isEmpty());

        QGuiApplication::clipboard()->clear();
        copy->click();
        QCOMPARE(QGuiApplication::clipboard()->image().size(), page().ExactChart->size());
        SetFileChooser(previous);
    }

    void csvFieldsAreQuotedWhenTheyNeedIt() {
        TExactTableCells cells;
        cells.Header = {"a", "b"};
        cells.Rows = {{"x,y", "say \"hi\""}, {"plain", "-0"}};
        const std::vector<std::string> lines = ExactCsvLines(cells);
        QCOMPARE(lines.size(), size_t{3});
        QCOMPARE(QString::fromStdString(lines[1]), QString("\"x,y\",\"say \"\"hi\"\"\""));
        QCOMPARE(QString::fromStdString(lines[2]), QString("plain,-0"));
        QCOMPARE(ExactFixed(-0.000000001L, 4, ','), QString("0,0000"));
        QCOMPARE(ExactFixed(-2.5L, 2, '.'), QString("-2.50"));
    }
};

KVARLEN_UI_TEST_MAIN(TExactPageTest)
#include "exact_page_test.moc"
