// The layout field and the keyboard on "расклады": a whole layout typed in, any dealer's card,
// a random deal, the layout named in the memo, the shortcuts and the tips of the small buttons.
#include "ui/Program.h"
#include "ui/layout/ShortcutButton.h"
#include "ui_test_support.h"

#include <QCursor>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTabWidget>

#include <memory>
#include <set>

using namespace kvarlen;

class TLayoutTextTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TProgram> program;
    TForm1& form() { return program->Form1; }
    TCard* card(int i) { return form().PlayerCards[static_cast<size_t>(i)]; }
    QLineEdit* field() { return form().LayoutEdit; }
    QString status() { return form().StatusBar1->currentMessage(); }
    QStringList memoLines() { return form().Memo1->toPlainText().split('\n', Qt::SkipEmptyParts); }
    void pointAt(QWidget* w) { QCursor::setPos(w->mapToGlobal(w->rect().center())); }

    // Types text into the field as a user does, then Return.
    void typeLayout(const QString& text) {
        field()->setFocus();
        field()->selectAll();
        QTest::keyClicks(field(), text);
        QTest::keyClick(field(), Qt::Key_Return);
    }
    // The engine's EV Raise line on a deck with the table's face-up cards and out taken out.
    QString raiseLine(const std::vector<TCardRec>& out) {
        TLayout layout = form().ReadLayout();
        TDeck deck;
        RebuildDeck(deck, layout);
        for (const TCardRec& c : out) deck.Take(c);
        TRules rules;
        FillRules(form().ReadRulesControls(), rules);
        return QString::fromStdString(RunLayoutCommand(LayoutCommand::Raise, layout, deck, false,
                                                       rules, TAnalysisSwitches{}, nullptr)
                                          .Line);
    }

  private slots:
    void init() {
        test::Messages().Texts.clear();
        program = std::make_unique<TProgram>();
        form().show();
        form().PageControl1->setCurrentWidget(form().TabSheet3);
        QVERIFY(QTest::qWaitForWindowExposed(&form()));
        QApplication::setActiveWindow(&form());
        QCursor::setPos(form().mapToGlobal(QPoint(5, 5)));
    }
    void cleanup() { program.reset(); }

    void fieldShowsTheTableAsItChanges() {
        QCOMPARE(field()->text(), QString("AH KS XC 3C XD / XS"));
        QTest::mouseClick(card(4), Qt::LeftButton); // 3♣ -> 4♣
        QCOMPARE(field()->text(), QString("AH KS XC 4C XD / XS"));
        pointAt(form().DealerCard);
        QTest::keyClicks(&form(), "q");
        QCOMPARE(field()->text(), QString("AH KS XC 4C XD / QS"));
        form().Button7->click();
        QCOMPARE(field()->text(), QString("AH KS XC 4C XD / QS, bought AD"));
        form().Button7->click();
        // Cards taken out in the picker hold until the table changes again.
        form().Button9Click();
        program->Form2.CardMouseDown(DeckIndex(2, 2)); // 2♣
        program->Form2.CardMouseDown(DeckIndex(4, 7)); // 7♥
        QCOMPARE(field()->text(), QString("AH KS XC 4C XD / QS, out 2C 7H"));
        program->Form2.CardMouseDown(DeckIndex(4, 7));
        QCOMPARE(field()->text(), QString("AH KS XC 4C XD / QS, out 2C"));
        QTest::mouseClick(card(4), Qt::LeftButton);
        QCOMPARE(field()->text(), QString("AH KS XC 5C XD / QS"));
    }

    // Any of the 52 cards can be the dealer's, and the dealer's card keeps its own keys.
    void typedLayoutSetsTheTableAndAnyDealerCard() {
        typeLayout("7h 7d kc 5s 2d / 5h");
        QVERIFY(test::Messages().Texts.isEmpty());
        QCOMPARE(form().DealerCard->Value(), 5);
        QCOMPARE(form().DealerCard->Suit(), 4);
        QCOMPARE(form().DealerCard->PictureName(), QString("C45"));
        QCOMPARE(int(card(1)->CardRec().Suit), 4);
        QCOMPARE(field()->text(), QString("7H 7D KC 5S 2D / 5H"));
        QCOMPARE(form().Label3->text(), QString::fromStdString(ComboName(C_Pair)));
        QVERIFY(!form().DeckDirty);
        for (int i = 1; i <= 5; ++i)
            QVERIFY(!form().Deck.IsUnseen(card(i)->Suit(), card(i)->Value()));
        QVERIFY(form().Deck.IsUnseen(4, 5));
        const QString expected = raiseLine({});
        form().Button2->click();
        QCOMPARE(memoLines(), QStringList({"расклад: 7H 7D KC 5S 2D / 5H", expected}));

        // The dealer's keys act as before: only A, K, Q, on the suit it has.
        form().Memo1->setFocus();
        pointAt(form().DealerCard);
        QTest::keyClicks(form().Memo1, "5d");
        QCOMPARE(form().DealerCard->Value(), 5);
        QCOMPARE(form().DealerCard->Suit(), 4);
        QTest::keyClicks(form().Memo1, "k");
        QCOMPARE(form().DealerCard->Value(), 13);
        QCOMPARE(form().DealerCard->Suit(), 4);
        QVERIFY(form().DeckDirty);
        // The dealer's card has no clicks.
        QTest::mouseClick(form().DealerCard, Qt::LeftButton);
        QTest::mouseClick(form().DealerCard, Qt::RightButton);
        QCOMPARE(form().DealerCard->CardRec().Value, 13);
        QCOMPARE(int(form().DealerCard->CardRec().Suit), 4);
    }

    void boughtCardAndCardsOutOfPlayReachTheAnalysis() {
        typeLayout("AH KS XC 3C XD / 5H, bought 5D, out 2C 7H");
        QVERIFY(!form().BuyedCard->ShowDeck());
        QCOMPARE(form().BuyedCard->CardRec().Value, 5);
        QCOMPARE(form().Label3->text(), QString::fromStdString(ComboName(C_Pair)));
        QCOMPARE(field()->text(), QString("AH KS XC 3C XD / 5H, bought 5D, out 2C 7H"));
        QVERIFY(!form().Deck.IsUnseen(2, 2));
        QVERIFY(!form().Deck.IsUnseen(4, 7));
        QVERIFY(!form().Deck.IsUnseen(3, 5));
        const QString expected = raiseLine(ParseCards("2C 7H"));
        QVERIFY(expected != raiseLine({}));
        form().Button2->click();
        QCOMPARE(memoLines(),
                 QStringList({"расклад: AH KS XC 3C XD / 5H, bought 5D, out 2C 7H", expected}));
        // The crosses show in the picker.
        form().Button9Click();
        QVERIFY(program->Form2.MarkOf(DeckIndex(2, 2)) == TForm2::TMark::Red);
        QVERIFY(program->Form2.MarkOf(DeckIndex(3, 5)) == TForm2::TMark::Blue);
        QVERIFY(program->Form2.MarkOf(DeckIndex(4, 5)) == TForm2::TMark::Blue);
        QVERIFY(form().Deck.IsUnseen(4, 5));
    }

    void badTextIsRefusedAndChangesNothing() {
        form().Button9Click(); // a clean deck with a card out of play
        program->Form2.CardMouseDown(DeckIndex(2, 2));
        const TLayout before = form().ReadLayout();
        const TDeck deck = form().Deck;
        for (const char* text : {"AH KS XC 3C / 5H", "AH KS XC 3C XD / KS", "AH KS XC 3C XD 5H",
                                 "AH KS XC 3C ZZ / 5H"}) {
            typeLayout(text);
            QVERIFY2(status().startsWith("Расклад не введён: "), qPrintable(status()));
            QCOMPARE(field()->text(), QString(text)); // kept for mending
            QCOMPARE(LayoutNotation(form().ReadLayout(), {}), LayoutNotation(before, {}));
            for (int k = 1; k <= 52; ++k) QCOMPARE(form().Deck[k].Value, deck[k].Value);
            QVERIFY(!form().DeckDirty);
        }
        QVERIFY(status().contains("«ZZ» — не карта"));
        QVERIFY(test::Messages().Texts.isEmpty());
        // Escape sets the field back to the table.
        QTest::keyClick(field(), Qt::Key_Escape);
        QCOMPARE(field()->text(), QString("AH KS XC 3C XD / XS, out 2C"));
        QVERIFY(status().isEmpty());
    }

    // Keys typed into the field are the field's: they do not step the card under the pointer.
    void typingInTheFieldLeavesTheCardsAlone() {
        pointAt(card(3));
        field()->setFocus();
        field()->clear();
        QTest::keyClicks(field(), "qh 2s");
        QCOMPARE(card(3)->Value(), 10);
        QCOMPARE(card(3)->Suit(), 2);
        QVERIFY(!form().DeckDirty);
        QCOMPARE(field()->text(), QString("qh 2s"));
        // Elsewhere the keys over a card still act, and the field follows the table.
        form().Memo1->setFocus();
        QTest::keyClicks(form().Memo1, "q");
        QCOMPARE(card(3)->Value(), 12);
        QCOMPARE(field()->text(), QString("AH KS QC 3C XD / XS"));
    }

    void randomDealIsALayoutOfItsOwn() {
        form().Generator.UseMyRandom = true;
        form().Generator.SeedMyRandom(12345);
        std::set<std::string> seen;
        for (int deal = 0; deal < 20; ++deal) {
            form().ButtonRandom->click();
            const TLayout l = form().ReadLayout();
            std::set<int> cards;
            for (int i = 1; i <= 5; ++i) {
                QVERIFY(l.Player[i].FaceUp);
                cards.insert(DeckIndex(l.Player[i].Card.Suit, l.Player[i].Card.Value));
            }
            cards.insert(DeckIndex(l.Dealer.Suit, l.Dealer.Value));
            cards.insert(DeckIndex(l.Bought.Card.Suit, l.Bought.Card.Value));
            QCOMPARE(cards.size(), size_t{7});
            QVERIFY(!l.Bought.FaceUp);
            QVERIFY(!form().DeckDirty);
            QCOMPARE(form().Deck.UnseenCount(), 47);
            QCOMPARE(field()->text(), QString::fromStdString(LayoutNotation(l, {})));
            THand hand = ReadPlayerHand(l);
            QCOMPARE(form().Label3->text(),
                     QString::fromStdString(ComboName(EvaluateHand(hand, true))));
            seen.insert(LayoutNotation(l, {}));
        }
        QVERIFY(seen.size() > 15);
        form().Button2->click();
        QVERIFY(memoLines().last().startsWith("MO_Raise= "));
    }

    // Each result follows the name of its layout; one name serves the results that follow it.
    void memoNamesTheLayoutOfEachResult() {
        form().Button2->click();
        form().Button12->click();
        QTest::mouseClick(card(4), Qt::LeftButton); // 3♣ -> 4♣
        form().Button2->click();
        QStringList lines = memoLines();
        QCOMPARE(lines.size(), 5);
        QCOMPARE(lines[0], QString("расклад: AH KS XC 3C XD / XS"));
        QVERIFY(lines[1].startsWith("MO_Raise= "));
        QVERIFY(lines[2].startsWith("MO_Buy  = "));
        QCOMPARE(lines[3], QString("расклад: AH KS XC 4C XD / XS"));
        QVERIFY(lines[4].startsWith("MO_Raise= "));
        // "анализ" names its layout first whatever came before; a refused command names nothing.
        form().ButtonBest->click();
        QCOMPARE(memoLines()[5], lines[3]);
        form().Memo1->clear();
        form().FlipButtons[2]->click();
        form().Button13->click();
        QVERIFY(form().Memo1->toPlainText().isEmpty());
        // EV 2 Change names the five cards it ran on, without the bought card it turned down.
        form().FlipButtons[2]->click();
        form().Button7->click();
        form().Button13->click();
        QCOMPARE(memoLines().first(), QString("расклад: AH KS XC 4C XD / XS"));
    }

    void shortcutsRunTheCommandsAndAreShownOnTheButtons() {
        struct Key {
            QPushButton* button;
            const char* caption;
            Qt::Key key;
            const char* line;
        };
        const Key keys[] = {{form().Button2, "EV Raise", Qt::Key_F5, "MO_Raise= "},
                            {form().Button12, "EV Buy", Qt::Key_F6, "MO_Buy  = "},
                            {form().Button10, "EV Change", Qt::Key_F7, "MO_Change ["},
                            {form().Button13, "EV 2 Change", Qt::Key_F8, "MO_Change2 ["},
                            {form().ButtonBest, "анализ", Qt::Key_F9, "вариант"}};
        for (const Key& k : keys) {
            QCOMPARE(k.button->text(), QString(k.caption));
            auto* shown = qobject_cast<TShortcutButton*>(k.button);
            QVERIFY(shown != nullptr);
            QCOMPARE(shown->Hint(), QKeySequence(k.key).toString(QKeySequence::NativeText));
            QVERIFY(k.button->toolTip().contains(shown->Hint()));
            QVERIFY(k.button->focusPolicy() & Qt::TabFocus);
            form().Memo1->clear();
            // A shortcut presses the button visibly: the click comes a moment later.
            QTest::keyClick(&form(), k.key);
            QTRY_VERIFY2(form().Memo1->toPlainText().contains(k.line), k.caption);
        }
        // Not from another page.
        form().PageControl1->setCurrentWidget(form().TabSheet2);
        form().Memo1->clear();
        QTest::keyClick(&form(), Qt::Key_F5);
        QTest::qWait(300);
        QVERIFY(form().Memo1->toPlainText().isEmpty());

        // Ctrl+L takes the keyboard to the field, where a layout is entered without the mouse.
        form().PageControl1->setCurrentWidget(form().TabSheet3);
        form().Button2->setFocus();
        QTest::keyClick(&form(), Qt::Key_L, Qt::ControlModifier);
        QVERIFY(field()->hasFocus());
        QTest::keyClicks(field(), "2h 3h 4h 5h 6h / ac");
        QTest::keyClick(field(), Qt::Key_Return);
        QCOMPARE(form().Label3->text(), QString::fromStdString(ComboName(C_StraightFlush)));
        QVERIFY(form().LabelLayout->text().contains("Ctrl+L"));
    }

    void smallButtonsSayWhatTheyTurn() {
        std::set<QString> tips;
        for (int i = 1; i <= 5; ++i) {
            const QString tip = form().FlipButtons[static_cast<size_t>(i)]->toolTip();
            QVERIFY2(tip.startsWith(QString("%1-я карта рубашкой вверх").arg(i)), qPrintable(tip));
            QVERIFY(tip.contains("в руке"));
            tips.insert(tip);
        }
        QVERIFY(form().Button7->toolTip().startsWith("купленная карта"));
        tips.insert(form().Button7->toolTip());
        QCOMPARE(tips.size(), size_t{6});
    }
};

KVARLEN_UI_TEST_MAIN(TLayoutTextTest)
#include "layout_text_test.moc"
