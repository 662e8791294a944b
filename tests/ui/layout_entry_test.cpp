// Entering a layout: card clicks, face switches, keys over a card, "Колода" and the picker.
#include "ui/Program.h"
#include "ui_test_support.h"

#include <QCheckBox>
#include <QCursor>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>

#include <memory>

using namespace kvarlen;
using TMark = TForm2::TMark;

class TLayoutEntryTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TProgram> program;
    TForm1& form() { return program->Form1; }
    TForm2& picker() { return program->Form2; }
    TCard* card(int i) { return form().PlayerCards[static_cast<size_t>(i)]; }

    void pointAt(QWidget* w) { QCursor::setPos(w->mapToGlobal(w->rect().center())); }
    void type(const char* keys) {
        QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : &form();
        QTest::keyClicks(target, keys);
    }
    QString combo(uint16_t flag) { return QString::fromStdString(ComboName(flag)); }
    QString ReadPlayerHandNotation() {
        QStringList cards;
        for (int i = 1; i <= 5; ++i)
            cards << QString::fromStdString(CardNotation(form().PlayerCards[i]->CardRec()));
        return cards.join(' ');
    }

  private slots:
    void init() {
        program = std::make_unique<TProgram>();
        form().show();
        form().PageControl1->setCurrentWidget(form().TabSheet3);
        QVERIFY(QTest::qWaitForWindowExposed(&form()));
        QCursor::setPos(form().mapToGlobal(QPoint(5, 5)));
    }
    void cleanup() { program.reset(); }

    void clicksStepValueAndSuitWithWrapAround() {
        QTest::mouseClick(card(2), Qt::LeftButton); // king -> ace
        QCOMPARE(card(2)->Value(), 1);
        QVERIFY(form().DeckDirty);
        QTest::mouseClick(card(1), Qt::RightButton); // hearts -> spades
        QCOMPARE(card(1)->Suit(), 1);
        QTest::mouseClick(card(4), Qt::LeftButton); // three -> four
        QCOMPARE(card(4)->Value(), 4);
        // A♠ A♠ 10♣ 4♣ 10♦: the label names what the table shows.
        QCOMPARE(form().Label3->text(), combo(C_TwoPairs));
    }

    void middleClickChangesNothingButMarksAndRewritesTheLabel() {
        form().Label3->setText("stale");
        QTest::mouseClick(card(3), Qt::MiddleButton);
        QCOMPARE(card(3)->Value(), 10);
        QCOMPARE(card(3)->Suit(), 2);
        QVERIFY(form().DeckDirty);
        QCOMPARE(form().Label3->text(), QString("Пара      "));
    }

    void boughtCardActsOnlyFaceUp() {
        form().Label3->setText("stale");
        QTest::mouseClick(form().BuyedCard, Qt::LeftButton);
        QCOMPARE(form().BuyedCard->Value(), 1);
        QVERIFY(!form().DeckDirty);
        QCOMPARE(form().Label3->text(), QString("stale"));

        QTest::mouseClick(form().Button7, Qt::LeftButton); // face up
        QVERIFY(!form().BuyedCard->ShowDeck());
        QVERIFY(form().DeckDirty);
        // The switch makes six cards: A♥ K♠ 10♣ 3♣ 10♦ A♦, two pairs.
        QCOMPARE(form().Label3->text(), combo(C_TwoPairs));
        QTest::mouseClick(form().BuyedCard, Qt::LeftButton);
        QCOMPARE(form().BuyedCard->Value(), 2);
        // Six cards now: A♥ K♠ 10♣ 3♣ 10♦ 2♦.
        THand six = ReadPlayerHandSix(form().ReadLayout());
        QCOMPARE(form().Label3->text(), combo(EvaluateHand(six, true)));
        // With the sixth card up, a player card click evaluates six cards too: 3♣ -> 4♣ gives
        // A K 10 4 10 2 with a pair of tens, still six cards.
        form().Label3->setText("stale");
        QTest::mouseClick(card(4), Qt::LeftButton);
        six = ReadPlayerHandSix(form().ReadLayout());
        QCOMPARE(int(six.Cards[6].Value), 2);
        QCOMPARE(form().Label3->text(), combo(EvaluateHand(six, true)));
    }

    void faceDownCardsStillStepAndCount() {
        QTest::mouseClick(form().FlipButtons[1], Qt::LeftButton);
        QVERIFY(card(1)->ShowDeck());
        QTest::mouseClick(card(1), Qt::LeftButton);
        QCOMPARE(card(1)->Value(), 2);
        QCOMPARE(int(ReadPlayerHand(form().ReadLayout()).Cards[1].Value), 2);
    }

    void keysActOnThePlayerCardUnderThePointer() {
        pointAt(card(3));
        type("q");
        QCOMPARE(card(3)->Value(), 12);
        QVERIFY(form().DeckDirty);
        type("h");
        QCOMPARE(card(3)->Suit(), 4);
        type("1x");
        QCOMPARE(card(3)->Value(), 12);
        QCOMPARE(card(3)->Suit(), 4);
        type("0");
        QCOMPARE(card(3)->Value(), 10);
        type("7S");
        QCOMPARE(card(3)->Value(), 7);
        QCOMPARE(card(3)->Suit(), 1);
        // A♥ K♠ 7♠ 3♣ 10♦: the label follows the keys too.
        QCOMPARE(form().Label3->text(), combo(C_AK));
    }

    // The label names the hand on the table after every change, however it was made.
    void labelFollowsEveryChangeOfTheTable() {
        pointAt(card(2));
        type("a"); // A♥ A♠ 10♣ 3♣ 10♦
        QCOMPARE(form().Label3->text(), combo(C_TwoPairs));
        // The hand of the report, typed in card by card from two pairs: a pair of sevens.
        const char* keys[6] = {nullptr, "7", "7d", "k", "5s", "2"};
        for (int i = 1; i <= 5; ++i) {
            pointAt(card(i));
            type(keys[i]);
        }
        QCOMPARE(ReadPlayerHandNotation(), QString("7H 7D KC 5S 2D"));
        QCOMPARE(form().Label3->text(), combo(C_Pair));
        // The dealer's keys re-evaluate as well (the name stays the same).
        form().Label3->setText("stale");
        pointAt(form().DealerCard);
        type("a");
        QCOMPARE(form().Label3->text(), combo(C_Pair));

        // A card set behind the handlers' back: the next analysis brings the name up to date.
        card(5)->SetValue(13); // 2♦ -> K♦: two pairs
        form().Button2->click();
        QCOMPARE(form().Label3->text(), combo(C_TwoPairs));
        // EV 2 Change turns a face-up bought card down: five cards again.
        card(5)->SetValue(2);
        form().Button7->click();
        for (int i = 0; i < 4; ++i) QTest::mouseClick(form().BuyedCard, Qt::LeftButton);
        QCOMPARE(form().BuyedCard->Value(), 5); // 5♦ with 5♠: two pairs of six cards
        QCOMPARE(form().Label3->text(), combo(C_TwoPairs));
        form().Button13->click();
        QVERIFY(form().BuyedCard->ShowDeck());
        QCOMPARE(form().Label3->text(), combo(C_Pair));

        // Whether ace+king plays changes the name: A♥ K♠ 9♣ 3♣ 4♦.
        const char* ak[6] = {nullptr, "ah", "ks", "9c", "3c", "4d"};
        for (int i = 1; i <= 5; ++i) {
            pointAt(card(i));
            type(ak[i]);
        }
        QCOMPARE(form().Label3->text(), combo(C_AK));
        form().CheckBox9->setChecked(false);
        QCOMPARE(form().Label3->text(), combo(C_Empty));
    }

    void dealerCardTakesOnlyAceKingQueen() {
        pointAt(form().DealerCard);
        type("5H");
        QCOMPARE(form().DealerCard->Value(), 10);
        QCOMPARE(form().DealerCard->Suit(), 1);
        QVERIFY(form().DeckDirty);
        type("a");
        QCOMPARE(form().DealerCard->Value(), 1);
        type("K");
        QCOMPARE(form().DealerCard->Value(), 13);
        type("q");
        QCOMPARE(form().DealerCard->Value(), 12);
        QCOMPARE(form().DealerCard->Suit(), 1);
    }

    void keysAwayFromTheCardsChangeNothing() {
        pointAt(form().Button9);
        type("q");
        pointAt(form().BuyedCard); // not a target
        type("q");
        QVERIFY(!form().DeckDirty);
        QCOMPARE(form().BuyedCard->Value(), 1);
        // Cards on a page that is not shown are not under the pointer.
        pointAt(card(3));
        form().PageControl1->setCurrentWidget(form().TabSheet2);
        type("q");
        QVERIFY(!form().DeckDirty);
        QCOMPARE(card(3)->Value(), 10);
    }

    void keyReachesTheFocusedControlToo() {
        form().Memo1->setFocus();
        QApplication::setActiveWindow(&form());
        pointAt(card(3));
        QTest::keyClicks(form().Memo1, "k");
        QCOMPARE(card(3)->Value(), 13);
        QCOMPARE(form().Memo1->toPlainText(), QString("k"));
    }

    void deckCommandTwiceKeepsTheCrosses() {
        QTest::mouseClick(form().Button9, Qt::LeftButton);
        QVERIFY(picker().isVisible());
        QVERIFY(picker().HasGrid());
        // Face-up player cards and the dealer's card lie on the table.
        for (int k : {40, 13, 23, 16, 36, 10}) QVERIFY(picker().MarkOf(k) == TMark::Blue);
        QVERIFY(form().Deck[10].Value > 0); // the dealer's card stays unseen for the analysis
        QCOMPARE(form().Deck[40].Value, -1);
        QTest::mouseClick(picker().Picture(41), Qt::LeftButton); // 2♥ out of play
        QCOMPARE(form().Deck[41].Value, 0);
        QVERIFY(picker().MarkOf(41) == TMark::Red);

        QTest::mouseClick(form().Button9, Qt::LeftButton);
        QVERIFY(picker().MarkOf(41) == TMark::Red);
        QCOMPARE(form().Deck[41].Value, 0);
        QVERIFY(!form().DeckDirty);

        // One card click in between: the next "Колода" starts from a full deck.
        QTest::mouseClick(card(4), Qt::LeftButton); // 3♣ -> 4♣
        QTest::mouseClick(form().Button9, Qt::LeftButton);
        QVERIFY(picker().MarkOf(41) == TMark::None);
        QCOMPARE(form().Deck[41].Value, 2);
        QVERIFY(picker().MarkOf(16) == TMark::None); // 3♣ left the table
        QVERIFY(picker().MarkOf(17) == TMark::Blue); // 4♣
        int blue = 0, red = 0;
        for (int k = 1; k <= 52; ++k) {
            blue += picker().MarkOf(k) == TMark::Blue;
            red += picker().MarkOf(k) == TMark::Red;
        }
        QCOMPARE(blue, 6);
        QCOMPARE(red, 0);
        QVERIFY(!form().DeckDirty);
    }

    void pickerClicksOnRedBlueAndPlainPictures() {
        QTest::mouseClick(form().Button9, Qt::LeftButton);
        // Blue: a player card and the dealer's card do not react.
        QTest::mouseClick(picker().Picture(13), Qt::LeftButton);
        QTest::mouseClick(picker().Picture(10), Qt::RightButton);
        QCOMPARE(form().Deck[13].Value, -1);
        QCOMPARE(form().Deck[10].Value, 10);
        QVERIFY(picker().MarkOf(10) == TMark::Blue);
        // Plain -> red -> plain -> red, with any button.
        TPickerImage* queen = picker().Picture(DeckIndex(3, 12));
        const QPoint centre(26, 36);
        QTest::mouseClick(queen, Qt::LeftButton);
        QCOMPARE(form().Deck.At(3, 12).Value, 0);
        QCOMPARE(queen->pixmap().toImage().pixelColor(centre), QColor(Qt::red));
        QTest::mouseClick(queen, Qt::MiddleButton);
        QCOMPARE(form().Deck.At(3, 12).Value, 12);
        QVERIFY(picker().MarkOf(DeckIndex(3, 12)) == TMark::None);
        QVERIFY(queen->pixmap().toImage().pixelColor(centre) != QColor(Qt::red));
        QTest::mouseClick(queen, Qt::RightButton);
        QCOMPARE(form().Deck.At(3, 12).Value, 0);
        QCOMPARE(picker().Picture(10)->pixmap().toImage().pixelColor(centre), QColor(Qt::blue));
        QVERIFY(!form().DeckDirty); // the picker never touches the flag
        // Closing releases the grid; activation builds it again from Deck.
        picker().close();
        QVERIFY(!picker().HasGrid());
        picker().Init();
        QVERIFY(picker().MarkOf(DeckIndex(3, 12)) == TMark::Red);
    }

    void faceDownCardIsNotCrossedButStaysInTheHand() {
        QTest::mouseClick(form().FlipButtons[2], Qt::LeftButton); // K♠ face down
        QTest::mouseClick(form().Button9, Qt::LeftButton);
        QVERIFY(picker().MarkOf(13) == TMark::None);
        QCOMPARE(form().Deck[13].Value, 13);
        const THand hand = ReadPlayerHand(form().ReadLayout());
        QCOMPARE(int(hand.Cards[2].Value), 13);
        QCOMPARE(int(hand.Cards[2].Suit), 1);
    }

    void pickerPlacesItsGridBySuitAndValue() {
        QTest::mouseClick(form().Button9, Qt::LeftButton);
        QCOMPARE(picker().size(), QSize(723, 332));
        QCOMPARE(picker().Picture(1)->geometry(), QRect(2, 2, 53, 72));
        QCOMPARE(picker().Picture(DeckIndex(4, 13))->geometry(),
                 QRect(12 * 54 + 2, 3 * 73 + 2, 53, 72));
    }
};

KVARLEN_UI_TEST_MAIN(TLayoutEntryTest)
#include "layout_entry_test.moc"
