// The four analysis buttons: the lines they print, the detail, the timings and refused layouts.
#include "ui/Program.h"
#include "ui_test_support.h"

#include <QCheckBox>
#include <QPlainTextEdit>
#include <QPushButton>
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
        int lines = 0;
        for (const Case& c : cases) {
            const QString expected = expectedLine(c.command);
            QVERIFY(expected.startsWith(c.start));
            QVERIFY2(expected.contains(','), qPrintable(expected)); // the decimal comma
            c.button->click();
            QCOMPARE(memoLines().size(), ++lines);
            QCOMPARE(memoLines().last(), expected);
            QVERIFY(status().startsWith("Расчет занял "));
            QVERIFY(status().endsWith(c.unit));
        }
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
        QCOMPARE(memoLines().size(), 2);

        form().Memo1->clear();
        form().Button10->click();
        const QStringList lines = memoLines();
        QCOMPARE(lines.size(), 6);
        for (int i = 0; i < 5; ++i)
            QVERIFY(lines[i].startsWith(QString("MO_Change1(%1) = ").arg(i + 1)));
        QVERIFY(lines[5].startsWith("MO_Change ["));

        form().CheckBox2->setChecked(false);
        form().Memo1->clear();
        form().Button10->click();
        QCOMPARE(memoLines().size(), 1);
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

    void refusesTwoCardExchangeWithAPlayerCardFaceDown() {
        form().FlipButtons[4]->click();
        form().Button7->click(); // the bought card up: a refusal leaves it as it is
        form().Button13->click();
        QVERIFY(form().Memo1->toPlainText().isEmpty());
        QVERIFY(status().startsWith("Расклад не считается"));
        QVERIFY(!form().BuyedCard->ShowDeck());
        // The other commands still run with the card face down.
        form().Button2->click();
        QCOMPARE(memoLines().size(), 1);
    }
};

KVARLEN_UI_TEST_MAIN(TAnalysisCommandsTest)
#include "analysis_commands_test.moc"
