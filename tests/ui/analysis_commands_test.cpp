// The analysis buttons: the lines they print, the detail, the timings and refused layouts; the
// table of every option that "анализ" writes.
#include "analysis/best_play.h"
#include "ui/Program.h"
#include "ui/exact/ExactPage.h"
#include "ui_test_support.h"

#include <QCheckBox>
#include <QFontMetrics>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QStatusBar>
#include <QTableWidget>

#include <memory>

using namespace kvarlen;

class TAnalysisCommandsTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TProgram> program;
    TForm1& form() { return program->Form1; }

    // What the engine prints for the table as it stands, on copies of the window's state.
    QString expectedLine(LayoutCommand command) {
        TLayout layout = form().ReadLayout();
        TDeck deck = form().Deck;
        TRules rules;
        FillRules(form().ReadRulesControls(), rules);
        TAnalysisSwitches switches;
        switches.AKExist = form().AK_exist->isChecked();
        switches.Fast = form().CheckBox11->isChecked();
        switches.Separator = ',';
        const TCommandResult r =
            RunLayoutCommand(command, layout, deck, form().DeckDirty, rules, switches, nullptr);
        return r.Ok ? QString::fromStdString(r.Line) : QString();
    }
    // The engine's table of every option on a copy of the window's deck and rules.
    TOptionTable expectedTable() {
        const TLayout layout = form().ReadLayout();
        TDeck view = form().Deck;
        if (form().DeckDirty) RebuildDeck(view, layout);
        TRules rules;
        FillRules(form().ReadRulesControls(), rules);
        TOptionRequest every;
        every.Exchange1 = every.Exchange2 = every.Buy = true;
        return BestPlayOptions(view, ReadPlayerHand(layout), layout.Dealer, rules, every);
    }
    static QString four(double v) { return QString::fromStdString(FormatFixed(v, 9, 4, ',')); }
    static QString name(const TPlayOption& o) { return QString::fromStdString(OptionName(o)); }
    // The option lines after the layout, the best and the heading: name, value, cost.
    void verifyOptionLines(const QStringList& lines, const TOptionTable& table) {
        QCOMPARE(lines.size(), 3 + static_cast<int>(table.Options.size()));
        QVERIFY(lines[2].startsWith("вариант"));
        for (size_t i = 0; i < table.Options.size(); ++i) {
            const TPlayOption& o = table.Options[i];
            const QStringList cells =
                lines[3 + static_cast<int>(i)].mid(20).split(' ', Qt::SkipEmptyParts);
            QVERIFY2(lines[3 + static_cast<int>(i)].startsWith(name(o)), qPrintable(lines[3 + i]));
            QVERIFY(cells.size() >= 2);
            QCOMPARE(cells[0], four(o.Value));
            QCOMPARE(cells[1], four(o.Cost));
            QCOMPARE(lines[3 + static_cast<int>(i)].contains("лучше всего"),
                     static_cast<int>(i) == table.Best);
        }
    }
    QStringList memoLines() { return form().Memo1->toPlainText().split('\n', Qt::SkipEmptyParts); }
    QString status() { return form().StatusBar1->currentMessage(); }

  private slots:
    void init() {
        test::Messages().Texts.clear();
        program = std::make_unique<TProgram>();
    }
    void cleanup() { program.reset(); }

    void eachButtonPrintsTheEnginesLine() {
        struct Case {
            QPushButton* button;
            LayoutCommand command;
            const char* start;
            const char* unit;
        };
        const Case cases[] = {{form().Button2, LayoutCommand::Raise, "MO_Raise= ", " мсек."},
                              {form().Button12, LayoutCommand::Buy, "MO_Buy  = ", " сек."},
                              {form().Button10, LayoutCommand::Change1, "MO_Change [", " сек."},
                              {form().Button13, LayoutCommand::Change2, "MO_Change2 [", " сек."}};
        // The layout is named once, before the first result that belongs to it.
        int lines = 1;
        for (const Case& c : cases) {
            const QString expected = expectedLine(c.command);
            QVERIFY(expected.startsWith(c.start));
            QVERIFY2(expected.contains(','), qPrintable(expected)); // the decimal comma
            c.button->click();
            QCOMPARE(memoLines().first(), QString("расклад: AH KS XC 3C XD / XS"));
            QCOMPARE(memoLines().size(), ++lines);
            QCOMPARE(memoLines().last(), expected);
            QVERIFY(status().startsWith("Расчет занял "));
            QVERIFY(status().endsWith(c.unit));
        }
        QVERIFY(test::Messages().Texts.isEmpty());
    }

    void bestPlayTableNamesTheBestFirst() {
        const TOptionTable table = expectedTable();
        // Pass, raise, five single exchanges, ten pairs and the purchase.
        QCOMPARE(table.Options.size(), size_t{18});
        form().ButtonBest->click();
        const QStringList lines = memoLines();
        QCOMPARE(lines[0], QString("расклад: AH KS XC 3C XD / XS"));
        // A pair of tens raises; the two-card exchange of the king and the three comes next.
        const TPlayOption& best = table.BestOption();
        QCOMPARE(best.Kind, TOptionKind::Raise);
        const TPlayOption* next = nullptr;
        for (const TPlayOption& o : table.Options)
            if (&o != &best && (!next || o.Value > next->Value)) next = &o;
        QCOMPARE(name(*next), QString("обмен 2-й и 4-й карт"));
        QCOMPARE(lines[1], "лучше всего: повышение, MO " + four(best.Value) +
                               "; обмен 2-й и 4-й карт дороже на " +
                               four(best.Value - next->Value));
        QVERIFY(lines[1].contains(',')); // the decimal comma
        verifyOptionLines(lines, table);
        QVERIFY(status().startsWith("Расчет занял "));
        QVERIFY(status().endsWith(" сек."));
        QVERIFY(test::Messages().Texts.isEmpty());
        // The EV buttons' deck and lines are those of the same table.
        QVERIFY(
            expectedLine(LayoutCommand::Raise)
                .endsWith(QString::fromStdString(FormatFixed(table.Options[1].Value, 9, 7, ','))));

        // A second table: the memo shows it from its layout line.
        const int before = form().Memo1->document()->blockCount();
        form().ButtonBest->click();
        QCOMPARE(memoLines().size(), 2 * lines.size());
        QCOMPARE(form().Memo1->verticalScrollBar()->value(), before);
    }

    void bestPlayOfSixCardsAndOfCardsOutOfPlay() {
        // The bought ace face up: six cards, pass or raise only, and it stays face up.
        form().Button7->click();
        const TOptionTable six = expectedTable();
        QCOMPARE(six.Options.size(), size_t{2});
        form().ButtonBest->click();
        QVERIFY(!form().BuyedCard->ShowDeck());
        QStringList lines = memoLines();
        QCOMPARE(lines[0], QString("расклад: AH KS XC 3C XD / XS, bought AD"));
        QVERIFY(lines[1].startsWith("лучше всего: " + name(six.BestOption()) + ", MO "));
        verifyOptionLines(lines, six);

        // Cards crossed out in the picker stay out of play and are named.
        form().Button7->click();
        form().Memo1->clear();
        form().Button9Click();
        program->Form2.CardMouseDown(DeckIndex(1, 1));  // A♠
        program->Form2.CardMouseDown(DeckIndex(4, 10)); // 10♥
        QVERIFY(!form().DeckDirty);
        const TOptionTable crossed = expectedTable();
        QCOMPARE(crossed.Options[2].Draws, 44);
        form().ButtonBest->click();
        lines = memoLines();
        QCOMPARE(lines[0], QString("расклад: AH KS XC 3C XD / XS, out AS XH"));
        verifyOptionLines(lines, crossed);
    }

    void bestPlayRefusesAsTheEvButtonsDo() {
        form().DealerCard->SetValue(13); // K♠, as Card2
        form().DeckDirty = true;
        form().ButtonBest->click();
        QVERIFY(form().Memo1->toPlainText().isEmpty());
        QCOMPARE(status(), QString("Расклад не считается: карта дилера K Пик лежит и у игрока"));
        form().DealerCard->SetValue(10);

        // Five cards may exchange two: a face-down player card is refused as for EV 2 Change.
        form().FlipButtons[4]->click();
        form().StatusBar1->clearMessage();
        form().ButtonBest->click();
        QVERIFY(form().Memo1->toPlainText().isEmpty());
        QCOMPARE(status(), QString("Расклад не считается: при обмене двух карт все карты игрока "
                                   "должны быть открыты"));
        QVERIFY(test::Messages().Texts.isEmpty());
    }

    void detailGoesToTheGridAndTheMemoOnlyWhenAsked() {
        form().Button2->click();
        QCOMPARE(form().StringGrid3->columnCount(), 7);
        QVERIFY(form().StringGrid3->item(12, 0)->text().isEmpty());

        form().CheckBox2->setChecked(true);
        form().Button2->click();
        QTableWidget* grid = form().StringGrid3;
        QCOMPARE(grid->columnCount(), 9);
        QCOMPARE(grid->item(0, 1)->text(), QString("All"));
        QCOMPARE(grid->item(0, 8)->text(), QString("p(Push)"));
        QCOMPARE(grid->item(11, 0)->text(), QString("NoGame"));
        QCOMPARE(grid->item(12, 0)->text(), QString("ВСЕГО"));
        // The player's pair row carries the won, lost and push counts.
        QVERIFY(!grid->item(2, 3)->text().isEmpty());
        QCOMPARE(memoLines().size(), 3);

        // The layout first, then the detail, then the result.
        form().Memo1->clear();
        form().Button10->click();
        const QStringList lines = memoLines();
        QCOMPARE(lines.size(), 7);
        QVERIFY(lines[0].startsWith("расклад: "));
        for (int i = 0; i < 5; ++i)
            QVERIFY(lines[i + 1].startsWith(QString("MO_Change1(%1) = ").arg(i + 1)));
        QVERIFY(lines[6].startsWith("MO_Change ["));

        form().CheckBox2->setChecked(false);
        form().Memo1->clear();
        form().Button10->click();
        QCOMPARE(memoLines().size(), 2);
    }

    // A new raise table starts empty: the won and lost counts of the pair row of an earlier
    // layout do not stay beside the two pairs of this one.
    void raiseTableKeepsNothingOfAnEarlierLayout() {
        form().CheckBox2->setChecked(true);
        form().Button2->click();
        QTableWidget* grid = form().StringGrid3;
        QVERIFY(!grid->item(2, 3)->text().isEmpty());
        QVERIFY(!grid->item(2, 5)->text().isEmpty());
        form().PlayerCards[2]->SetValue(1); // A♥ A♠ 10♣ 3♣ 10♦: two pairs
        form().DeckDirty = true;
        form().Button2->click();
        QVERIFY(!grid->item(3, 3)->text().isEmpty());
        for (int col : {3, 5, 7})
            QVERIFY2(grid->item(2, col)->text().isEmpty(), qPrintable(grid->item(2, col)->text()));
        // Other commands on the same layout keep its table; on another layout they clear it.
        form().Button10->click();
        form().ButtonBest->click();
        QVERIFY(!grid->item(3, 3)->text().isEmpty());
        form().CheckBox2->setChecked(false);
        form().PlayerCards[4]->SetValue(4); // 3♣ -> 4♣
        form().DeckDirty = true;
        form().Button2->click();
        QVERIFY(grid->item(1, 1)->text().isEmpty());
        QVERIFY(grid->item(3, 3)->text().isEmpty());
    }

    // A refused layout leaves no table of the layout before it.
    void refusedLayoutClearsTheRaiseTable() {
        form().CheckBox2->setChecked(true);
        QTableWidget* grid = form().StringGrid3;
        for (QPushButton* refused : {form().Button2, form().Button10, form().ButtonBest}) {
            form().DealerCard->SetValue(10);
            form().DeckDirty = true;
            form().Button2->click();
            QVERIFY(!grid->item(1, 1)->text().isEmpty());
            form().DealerCard->SetValue(13); // K♠, as Card2
            form().DeckDirty = true;
            refused->click();
            QVERIFY(status().startsWith("Расклад не считается"));
            int filled = 0;
            for (int r = 0; r < grid->rowCount(); ++r)
                for (int c = 0; c < grid->columnCount(); ++c)
                    filled += !grid->item(r, c)->text().isEmpty();
            QCOMPARE(filled, 0);
        }
    }

    // Two pairs with "fast": no pair of cards may be exchanged, and the line says what its
    // -10000 stands for.
    void twoCardExchangeWithNothingToExchangeSaysSo() {
        form().PlayerCards[3]->SetValue(13); // A♥ K♠ K♣ 3♣ 3♦: two pairs
        form().PlayerCards[5]->SetValue(3);
        form().DeckDirty = true;
        QVERIFY(form().CheckBox11->isChecked());
        form().Button13->click();
        const QString line = memoLines().last();
        QCOMPARE(line, QString("MO_Change2 нечего менять: -10000"));
        QCOMPARE(line, expectedLine(LayoutCommand::Change2));
        // Whole in the memo beside the raise table, clear of the "C" button.
        form().PageControl1->setCurrentWidget(form().TabSheet3);
        form().show();
        QVERIFY(QTest::qWaitForWindowExposed(&form()));
        const QFontMetrics metrics(form().Memo1->font());
        QVERIFY(metrics.horizontalAdvance(line) + 8 < form().Memo1->viewport()->width());
        QVERIFY2(status().contains("«fast» не разбивает две пары"), qPrintable(status()));
        // Without "fast" every pair is valued and the line is the usual one.
        form().CheckBox11->setChecked(false);
        form().Button13->click();
        QVERIFY(memoLines().last().startsWith("MO_Change2 ["));
        QVERIFY(!memoLines().last().startsWith("MO_Change2 [0,0]"));
        QCOMPARE(memoLines().last(), expectedLine(LayoutCommand::Change2));
    }

    void pickerCrossesReachTheAnalysisAndTheDealerCardStaysInPlay() {
        form().Button9Click();
        program->Form2.CardMouseDown(DeckIndex(1, 1));  // A♠
        program->Form2.CardMouseDown(DeckIndex(4, 10)); // 10♥
        const QString expected = expectedLine(LayoutCommand::Raise);
        QVERIFY(!form().DeckDirty);
        form().Button2->click();
        QCOMPARE(memoLines().last(), expected);
        // Not the line of the full deck.
        form().DeckDirty = true;
        QVERIFY(expectedLine(LayoutCommand::Raise) != expected);
    }

    void evTwoChangeTurnsTheBoughtCardDown() {
        form().Button7->click();
        QVERIFY(!form().BuyedCard->ShowDeck());
        const QString expected = expectedLine(LayoutCommand::Change2);
        form().Button13->click();
        QVERIFY(form().BuyedCard->ShowDeck());
        QCOMPARE(memoLines().last(), expected);
    }

    void refusesTheDealersCardInThePlayersHand() {
        form().DealerCard->SetValue(13); // K♠, as Card2
        form().DeckDirty = true;
        for (QPushButton* b : {form().Button2, form().Button12, form().Button10, form().Button13}) {
            b->click();
            QVERIFY(form().Memo1->toPlainText().isEmpty());
            QVERIFY2(status().startsWith("Расклад не считается"), qPrintable(status()));
        }
        // The card named in Russian, not in the command line's letters.
        QCOMPARE(status(), QString("Расклад не считается: карта дилера K Пик лежит и у игрока"));
    }

    void refusesTheSameCardTwiceOnTheTable() {
        form().PlayerCards[3]->SetValue(13);
        form().PlayerCards[3]->SetSuit(1); // a second K♠
        form().DeckDirty = true;
        form().Button2->click();
        QVERIFY(form().Memo1->toPlainText().isEmpty());
        QVERIFY(status().startsWith("Расклад не считается"));
        QVERIFY2(status().contains("карта K Пик лежит"), qPrintable(status()));
    }

    // An analysis refused during an exact run says why; the words go when the run ends or is
    // stopped, and any other message stays.
    void exactRunRefusalGoesWithTheRun() {
        const QString busy = "Идёт точный расчёт: дождитесь его конца или остановите его";
        TExactPage* exact = form().ExactPage();
        exact->SetPart(1, 5000);
        QVERIFY(exact->Start());
        form().Button2->click();
        QCOMPARE(status(), busy);
        QVERIFY(form().Memo1->toPlainText().isEmpty());
        QTRY_VERIFY_WITH_TIMEOUT(!exact->Running(), 120000);
        QCOMPARE(status(), QString());

        // Stopped: the classic game without a purchase or insurance takes long enough.
        form().CheckBox8->setChecked(false);
        form().CheckBox5->setChecked(false);
        exact->SetPart(1, 1);
        QVERIFY(exact->Start());
        form().Button13->click();
        QCOMPARE(status(), busy);
        exact->Stop();
        QTRY_VERIFY_WITH_TIMEOUT(!exact->Running(), 120000);
        QCOMPARE(status(), QString());

        exact->SetPart(1, 5000);
        QVERIFY(exact->Start());
        form().Button2->click();
        form().StatusBar1->showMessage("Расчет занял 1 мсек.");
        QTRY_VERIFY_WITH_TIMEOUT(!exact->Running(), 120000);
        QCOMPARE(status(), QString("Расчет занял 1 мсек."));
        QVERIFY(test::Messages().Texts.isEmpty());
    }

    void refusesTwoCardExchangeWithAPlayerCardFaceDown() {
        form().FlipButtons[4]->click();
        form().Button7->click(); // the bought card up: a refusal leaves it as it is
        form().Button13->click();
        QVERIFY(form().Memo1->toPlainText().isEmpty());
        QVERIFY(status().startsWith("Расклад не считается"));
        QVERIFY(!form().BuyedCard->ShowDeck());
        // The other commands still run with the card face down.
        form().Button2->click();
        QCOMPARE(memoLines().size(), 2);
    }
};

KVARLEN_UI_TEST_MAIN(TAnalysisCommandsTest)
#include "analysis_commands_test.moc"
