// The page "тренажёр": a session played by keys with a priced mistake taken back, the figures
// shown against the session's own, a mistake laid out on "расклады", the history written, a
// refused history file left as it was, refused settings.
#include "cards/numfmt.h"
#include "training/training_history.h"
#include "ui/MainWindow.h"
#include "ui/training/TrainingPage.h"
#include "ui_test_support.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTextEdit>

#include <cmath>

using namespace kvarlen;
using namespace kvarlen::training;

namespace {

QString Num(double v) {
    return QString::fromStdString(FormatFixed(v, 9, 7, ','));
}

Qt::Key KeyOf(const std::string& key) {
    if (key.size() == 1 && key[0] >= '0' && key[0] <= '5')
        return static_cast<Qt::Key>(Qt::Key_0 + (key[0] - '0'));
    switch (key[0]) {
    case 'B':
        return Qt::Key_B;
    case 'R':
        return Qt::Key_R;
    case 'P':
        return Qt::Key_P;
    case 'I':
        return Qt::Key_I;
    default:
        return Qt::Key_N;
    }
}

QString Cell(const QTableWidget* grid, int row, int column) {
    const QTableWidgetItem* item = grid->item(row, column);
    return item ? item->text() : QString();
}

QByteArray ReadAll(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return {};
    return f.readAll();
}

// Plays every decision by its best key and every deal on with Enter, until the session ends.
void PlayBest(TTrainingPage* page) {
    for (int guard = 0; page->Playing() && guard < 5000; ++guard) {
        if (page->Session()->Step() == TStep::Decision)
            QTest::keyClick(page, KeyOf(page->Priced()->BestOption().Key));
        else
            QTest::keyClick(page, Qt::Key_Return);
    }
}

} // namespace

class TTrainingPageTest : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() {
        QVERIFY(data_.isValid());
        // The user's own history is never touched: the default path lies in a scratch folder.
        qputenv("XDG_DATA_HOME", data_.path().toUtf8());
    }

    void playsASessionByKeys() {
        TForm1 form;
        form.show();
        TTrainingPage* page = form.TrainingPage();
        QVERIFY(page != nullptr);
        QCOMPARE(page->TrainHistoryPath->text(), data_.path() + "/kvarlen/training.sqlite");
        form.PageControl1->setCurrentWidget(page);
        const QString path = data_.filePath("session.sqlite");
        page->TrainHistoryPath->setText(path);
        // Typing into a settings field stays with the field.
        QTest::keyClicks(page->TrainSeed, "42");
        QCOMPARE(page->TrainSeed->text(), QString("42"));
        page->TrainDeals->setText("20");
        page->TrainBoxes->setValue(2);
        QVERIFY(page->Start());
        QVERIFY(page->Playing());
        QVERIFY(page->History() != nullptr);
        QCOMPARE(page->Session()->Settings().Seed, 42u);

        bool priced = false;
        for (int guard = 0; page->Playing() && guard < 5000; ++guard) {
            const TTrainingSession* s = page->Session();
            if (s->Step() == TStep::DealEnd) {
                // Keys reach the table wherever the focus is on the page, its tab included.
                QTest::keyClick(s->Stats().Deals % 2 ? static_cast<QWidget*>(page->TrainJudgement)
                                                     : form.PageControl1->tabBar(),
                                Qt::Key_Return);
                continue;
            }
            QCOMPARE(s->Step(), TStep::Decision);
            const TPricedDecision& p = *page->Priced();
            // Only the legal keys are enabled.
            for (const auto& [key, button] : page->KeyButtons)
                QCOMPARE(button->isEnabled(),
                         std::find(s->Point().Keys.begin(), s->Point().Keys.end(), key) !=
                             s->Point().Keys.end());
            int wrong = -1;
            for (int i = 0; i < static_cast<int>(p.Options.size()) && !priced; ++i)
                if (p.CostOf(i) > 1e-6) wrong = i;
            if (wrong < 0) {
                QTest::keyClick(page, KeyOf(p.BestOption().Key));
                continue;
            }
            priced = true;
            const double cost = p.CostOf(wrong);
            const std::string best = p.BestOption().Key;
            const int deal = static_cast<int>(s->Point().Deal);
            QTest::keyClick(page, KeyOf(p.Options[static_cast<size_t>(wrong)].Key));
            QCOMPARE(s->Step(), TStep::Review);
            const QString shown = page->TrainJudgement->toPlainText();
            QVERIFY2(shown.contains("ошибка, цена " + Num(cost) + " анте"), qPrintable(shown));
            QVERIFY(page->KeyButtons.at("BACKSPACE")->isEnabled());
            QVERIFY(!page->KeyButtons.at(best)->isEnabled());
            QTest::keyClick(page, Qt::Key_Backspace);
            QCOMPARE(s->Step(), TStep::Decision);
            QCOMPARE(static_cast<int>(s->Point().Deal), deal);
            // Taken back, it stays a mistake at the price shown.
            const TJudgement& j = s->CurrentDeal().Judgements.back();
            QVERIFY(j.TakenBack);
            QVERIFY(j.Mistake());
            QCOMPARE(j.Cost, cost);
            QTest::keyClick(page, KeyOf(best));
            QVERIFY(s->Step() != TStep::Review);
        }
        QVERIFY(priced);
        QVERIFY(!page->Playing());
        const TSessionStats& st = page->Session()->Stats();
        QCOMPARE(st.Deals, int64_t(20));
        // The mistake taken back still counts.
        QVERIFY(st.All.Mistakes >= 1);
        QCOMPARE(st.Costliest.size(), size_t(st.All.Mistakes));

        // The figures shown are the session's.
        const QString expected[10] = {
            "20",
            QString::fromStdString(FormatGeneral(st.Net, ',')),
            QString::fromStdString(FormatGeneral(st.ShadowNet, ',')),
            Num(st.ExpectedNet()),
            Num(st.BestExpected),
            QString::number(st.All.Decisions),
            QString::number(st.All.Mistakes),
            QString::fromStdString(FormatFixed(st.All.MistakeShare() * 100, 9, 1, ',')) + " %",
            Num(st.All.Cost),
            Num(st.AverageCost())};
        for (int r = 0; r < 10; ++r) QCOMPARE(Cell(page->TrainStats, r, 1), expected[r]);
        int64_t decisions = 0;
        for (int k = 0; k < kDecisionKinds; ++k) {
            const TCostTally& t = st.ByKind[static_cast<size_t>(k)];
            QCOMPARE(Cell(page->TrainKinds, k, 1), QString::number(t.Decisions));
            QCOMPARE(Cell(page->TrainKinds, k, 2), QString::number(t.Mistakes));
            QCOMPARE(Cell(page->TrainKinds, k, 4), Num(t.Cost));
            decisions += t.Decisions;
        }
        QCOMPARE(decisions, st.All.Decisions);
        QCOMPARE(page->TrainMistakes->rowCount(), static_cast<int>(st.Costliest.size()));
        QCOMPARE(Cell(page->TrainMistakes, 0, 6), Num(st.Costliest[0].Cost));

        // The history holds the twenty deals and every answer, the one taken back included.
        {
            TTrainingHistory history(path.toStdString());
            const THistorySummary sum = history.Summary();
            QCOMPARE(sum.Sessions, int64_t(1));
            QCOMPARE(sum.Deals, int64_t(20));
            QCOMPARE(sum.All.Mistakes, st.All.Mistakes);
            QCOMPARE(sum.All.Decisions, st.All.Decisions);
            QVERIFY(std::fabs(sum.All.Cost - st.All.Cost) < 1e-9);
            QCOMPARE(sum.BySession.size(), size_t(1));
            QCOMPARE(sum.BySession[0].Deals, int64_t(20));
        }

        // The dearest mistake on "расклады": the same cards, open card and view.
        const TJudgement j = st.Costliest[0];
        QVERIFY(page->OpenMistake(0));
        QCOMPARE(form.PageControl1->currentWidget(), form.TabSheet3);
        for (int i = 1; i <= 5; ++i) {
            const TCard* card = form.PlayerCards[static_cast<size_t>(i)];
            QCOMPARE(card->Value(), j.Hand.Cards[i].Value);
            QCOMPARE(card->Suit(), static_cast<int>(j.Hand.Cards[i].Suit));
            QVERIFY(!card->ShowDeck());
        }
        QCOMPARE(form.BuyedCard->ShowDeck(), j.Hand.Count < 6);
        QCOMPARE(form.DealerCard->Value(), j.Open.Value);
        QCOMPARE(form.DealerCard->Suit(), static_cast<int>(j.Open.Suit));
        QVERIFY(!form.DeckDirty);
        for (int k = 1; k <= 52; ++k) QCOMPARE(form.Deck[k].Value > 0, j.View[k].Value > 0);
        const TLayout layout = form.ReadLayout();
        QCOMPARE(layout.Dealer.Value, j.Open.Value);
        // "анализ" takes the layout as it lies.
        form.ButtonBestClick();
        QVERIFY2(form.Memo1->toPlainText().contains("лучше всего"),
                 qPrintable(form.StatusBar1->currentMessage()));

        // A second session adds to the same history.
        form.PageControl1->setCurrentWidget(page);
        page->TrainDeals->setText("2");
        page->TrainSeed->setText("43");
        QVERIFY(page->Start());
        PlayBest(page);
        TTrainingHistory history(path.toStdString());
        QCOMPARE(history.Summary().Sessions, int64_t(2));
        QCOMPARE(history.Summary().Deals, int64_t(22));
    }

    void refusedHistoryStaysAsItWas() {
        TForm1 form;
        form.show();
        TTrainingPage* page = form.TrainingPage();
        form.PageControl1->setCurrentWidget(page);
        const QString path = data_.filePath("not-a-history.sqlite");
        QByteArray bytes;
        for (int i = 0; i < 200; ++i) bytes += "these are not the bytes of a database\n";
        {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(bytes);
        }
        page->TrainHistoryPath->setText(path);
        page->TrainSeed->setText("5");
        page->TrainDeals->setText("3");
        // The session is played all the same, without history, and says so.
        QVERIFY(page->Start());
        QVERIFY(page->History() == nullptr);
        QVERIFY2(page->TrainStatus->text().contains("без истории"),
                 qPrintable(page->TrainStatus->text()));
        QVERIFY(page->TrainStatus->text().contains("не принят"));
        PlayBest(page);
        QCOMPARE(page->Session()->Stats().Deals, int64_t(3));
        QCOMPARE(ReadAll(path), bytes);
        QVERIFY(!QFile::exists(path + "-wal"));
        // A drill on the mistakes of the history cannot go without one.
        const int before = static_cast<int>(test::Messages().Texts.size());
        page->TrainDrill->setCurrentIndex(page->TrainDrill->count() - 1);
        QVERIFY(!page->Start());
        QCOMPARE(static_cast<int>(test::Messages().Texts.size()), before + 1);
        QVERIFY(test::Messages().Texts.last().contains("мои ошибки"));
        QCOMPARE(ReadAll(path), bytes);
    }

    void feedbackAfterTheDealAndAtTheEnd() {
        TForm1 form;
        form.show();
        TTrainingPage* page = form.TrainingPage();
        form.PageControl1->setCurrentWidget(page);
        page->TrainKeepHistory->setChecked(false);
        // Exchanging one card: a click on a card of the deciding box exchanges it.
        form.CheckBox12->setChecked(true);
        QVERIFY(!form.CheckBox8->isChecked());
        page->TrainSeed->setText("77");
        page->TrainDeals->setText("3");
        page->TrainFeedback->setCurrentIndex(1); // "после раздачи"
        QVERIFY(page->Start());
        const TTrainingSession* s = page->Session();
        QCOMPARE(s->Point().Kind, TDecisionKind::Draw);
        QTest::mouseClick(page->BoxCards[2], Qt::LeftButton);
        // No review: the judgement waits for the end of the deal.
        QVERIFY(s->Step() != TStep::Review);
        QCOMPARE(s->CurrentDeal().Judgements.back().Choice().Key, std::string("3"));
        QVERIFY(!page->TrainJudgement->toPlainText().contains("обмен 3-й карты"));
        for (int guard = 0; s->Step() == TStep::Decision && guard < 10; ++guard)
            QTest::keyClick(page, KeyOf(page->Priced()->BestOption().Key));
        QCOMPARE(s->Step(), TStep::DealEnd);
        QVERIFY(page->TrainJudgement->toPlainText().contains("обмен 3-й карты"));
        page->Finish();

        page->TrainFeedback->setCurrentIndex(2); // "в конце"
        QVERIFY(page->Start());
        s = page->Session();
        int deals = 0;
        for (int guard = 0; page->Playing() && guard < 100; ++guard) {
            if (s->Step() == TStep::DealEnd) {
                ++deals;
                QVERIFY(!page->TrainJudgement->toPlainText().contains("Раздача 1, бокс 1"));
                QTest::keyClick(page, Qt::Key_Return);
            } else {
                QTest::keyClick(page, KeyOf(page->Priced()->BestOption().Key));
            }
        }
        QCOMPARE(deals, 2);
        // The last deal ends the session, and every judgement is shown.
        QVERIFY(page->TrainJudgement->toPlainText().contains("Раздача 1, бокс 1"));
        QVERIFY(page->TrainJudgement->toPlainText().contains("Раздача 3, бокс 1"));
        QVERIFY(page->TrainJudgement->toPlainText().contains("Сеанс окончен"));
        for (const auto& [key, button] : page->KeyButtons) QVERIFY(!button->isEnabled());
    }

    void refusesBadSettings() {
        TForm1 form;
        TTrainingPage* page = form.TrainingPage();
        page->TrainKeepHistory->setChecked(false);
        auto refused = [&](const QString& part) {
            const int before = static_cast<int>(test::Messages().Texts.size());
            QVERIFY(!page->Start());
            QVERIFY(!page->Playing());
            QCOMPARE(static_cast<int>(test::Messages().Texts.size()), before + 1);
            QVERIFY2(test::Messages().Texts.last().contains(part),
                     qPrintable(test::Messages().Texts.last()));
        };
        page->TrainSeed->setText("abc");
        refused("Зерно");
        page->TrainSeed->setText("0");
        refused("Зерно");
        page->TrainSeed->setText("9");
        page->TrainDeals->setText("-1");
        refused("Раздач");
        page->TrainDeals->setText("1");
        page->TrainDrill->setCurrentIndex(11); // "только трудные"
        page->TrainMargin->setText("0");
        refused("Запас");
        page->TrainDrill->setCurrentIndex(0);
        // The engine's own refusal, in the window's words.
        form.ComboBox2->setCurrentIndex(1);
        refused("игру дилеру");
        form.ComboBox2->setCurrentIndex(0);
        // With the seed left empty the tick count deals, and the seed is shown.
        page->TrainSeed->clear();
        QVERIFY(page->Start());
        QVERIFY(page->TrainStatus->text().contains(
            QString("зерно %1").arg(page->Session()->Settings().Seed)));
        QVERIFY(page->TrainStatus->text().contains("без истории"));
        page->Finish();
        QVERIFY(!page->Playing());
    }

  private:
    QTemporaryDir data_;
};

KVARLEN_UI_TEST_MAIN(TTrainingPageTest)
#include "training_page_test.moc"
