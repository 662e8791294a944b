// The drawing of a traced deal: captions, frames against the cards, decisions at their places.
#include "ui/simulation/TraceCanvas.h"
#include "ui_test_support.h"

#include <initializer_list>

using namespace kvarlen;

namespace {

const QColor kGreen(0, 128, 0);
const QColor kBlue(0, 0, 255);
const QColor kRed(255, 0, 0);

THand Hand(std::initializer_list<TCardRec> cards) {
    THand h;
    h.Count = static_cast<uint8_t>(cards.size());
    int i = 1;
    for (const auto& c : cards) h.Cards[i++] = c;
    EvaluateHand(h, true);
    return h;
}

bool ChangedIn(const QImage& image, int x0, int y0, int w, int h) {
    for (int y = y0; y < y0 + h; ++y)
        for (int x = x0; x < x0 + w; ++x)
            if (image.pixelColor(x, y) != kGreen) return true;
    return false;
}

} // namespace

class TTraceCanvasTest : public QObject {
    Q_OBJECT

  private slots:
    void captionsNameTheCombinationAndRanks() {
        // Two pairs of aces and fives; a pair of aces; no game has no rank keys.
        QCOMPARE(
            TTraceCanvas::Caption(Hand({{1, 1, 0}, {2, 1, 0}, {3, 5, 0}, {4, 5, 0}, {1, 9, 0}})),
            QString("Две пары  A ,5 "));
        QCOMPARE(
            TTraceCanvas::Caption(Hand({{1, 1, 0}, {2, 1, 0}, {3, 5, 0}, {4, 7, 0}, {1, 9, 0}})),
            QString("Пара      A "));
        QCOMPARE(
            TTraceCanvas::Caption(Hand({{1, 2, 0}, {2, 4, 0}, {3, 6, 0}, {4, 8, 0}, {1, 10, 0}})),
            QString("(нет игры)"));
    }

    void clearTableFillsTheWholeSurfaceGreen() {
        TTraceCanvas c;
        c.Init();
        QVERIFY(c.Loaded());
        c.ClearTable();
        QCOMPARE(c.Image().size(), QSize(392, 451));
        QCOMPARE(c.Image().pixelColor(0, 0), kGreen);
        QCOMPARE(c.Image().pixelColor(391, 450), kGreen);
        // A grown surface is filled to its new edges.
        c.Resize(500, 600);
        c.ClearTable();
        QCOMPARE(c.Image().pixelColor(499, 599), kGreen);
    }

    void dealerFrameOnlyAroundTheOpenCard() {
        TTraceCanvas c;
        c.Init();
        c.ClearTable();
        // The fourth card is marked bought: the dealer's cards get no red frame whatever marks.
        THand dealer = Hand({{1, 10, 0}, {2, 3, 0}, {3, 4, 0}, {4, 8, 1}, {1, 12, 0}});
        c.Trace_DrawDHand(dealer, 10, 20);
        const QImage& img = c.Image();
        // Two pixels of blue against the card (x 10..62, y 20..91) on every side.
        for (int x : {8, 9, 63, 64}) QCOMPARE(img.pixelColor(x, 60), kBlue);
        for (int y : {18, 19, 92, 93}) QCOMPARE(img.pixelColor(36, y), kBlue);
        QCOMPARE(img.pixelColor(7, 60), kGreen);
        QCOMPARE(img.pixelColor(65, 60), kGreen);
        // The second card (x 70..122) has none.
        QCOMPARE(img.pixelColor(69, 60), kGreen);
        QCOMPARE(img.pixelColor(123, 60), kGreen);
        QCOMPARE(img.pixelColor(10 + 3 * 60 - 1, 60), kGreen);
        QCOMPARE(img.pixelColor(10 + 3 * 60 - 2, 60), kGreen);
        // The card picture lies over the frame's inside; the caption sits under the cards.
        QVERIFY(img.pixelColor(36, 56) != kGreen);
        QVERIFY(ChangedIn(img, 20, 20 + 72 + 3, 120, 14));
    }

    void boughtCardOfTheOpenValueHasRedOutsideBlue() {
        TTraceCanvas c;
        c.Init();
        c.ClearTable();
        THand box = Hand({{2, 2, 0}, {3, 9, 0}, {4, 11, 0}, {1, 13, 0}, {2, 5, 0}, {4, 10, 1}});
        int bought = 0, plain = 0;
        for (int i = 1; i <= 6; ++i) {
            if (box.Cards[i].Mark == 1) bought = i;
            if (box.Cards[i].Value == 2) plain = i;
        }
        QVERIFY(bought > 0 && plain > 0);
        c.Trace_DrawPHand(box, 10, 140, 10);
        const QImage& img = c.Image();
        const int x = 10 + (bought - 1) * 60;
        const int y = 170;
        QCOMPARE(img.pixelColor(x - 3, y), kRed);
        QCOMPARE(img.pixelColor(x - 2, y), kBlue);
        QCOMPARE(img.pixelColor(x - 1, y), kBlue);
        QCOMPARE(img.pixelColor(x + 53, y), kBlue);
        QCOMPARE(img.pixelColor(x + 54, y), kBlue);
        QCOMPARE(img.pixelColor(x + 55, y), kRed);
        QCOMPARE(img.pixelColor(x + 20, 140 - 3), kRed);
        QCOMPARE(img.pixelColor(x + 20, 140 + 72 + 2), kRed);
        QVERIFY(img.pixelColor(x + 26, 140 + 36) != kGreen);
        // A card of another value, dealt: no frame.
        const int px = 10 + (plain - 1) * 60;
        QCOMPARE(img.pixelColor(px - 1, y), kGreen);
        QCOMPARE(img.pixelColor(px - 3, y), kGreen);
    }

    void decisionsLandWhereAsked() {
        TTraceCanvas c;
        c.Init();
        c.ClearTable();
        c.DrawRaiseDecision(false, 10, 218);
        QVERIFY(ChangedIn(c.Image(), 110, 218, 40, 14));
        QVERIFY(!ChangedIn(c.Image(), 0, 200, 108, 40));
        // An insurance sum of 0 writes nothing.
        c.DrawInsurDecision(0, 10, 218);
        QVERIFY(!ChangedIn(c.Image(), 158, 210, 60, 30));
        c.DrawInsurDecision(5, 10, 318);
        QVERIFY(ChangedIn(c.Image(), 160, 318, 20, 14));
    }

    void longCaptionStopsShortOfTheDecision() {
        TTraceCanvas c;
        c.Init();
        c.ClearTable();
        const THand ak = Hand({{2, 1, 0}, {1, 13, 0}, {1, 11, 0}, {2, 10, 0}, {1, 3, 0}});
        QCOMPARE(TTraceCanvas::Caption(ak), QString("Туз+корольJ ,10"));
        c.Trace_DrawPHand(ak, 10, 140, 5);
        QVERIFY(ChangedIn(c.Image(), 20, 215, 60, 14));
        QVERIFY(!ChangedIn(c.Image(), 108, 212, 60, 20));
    }

    void dealFiguresRightOfTheDecisions() {
        TTraceCanvas c;
        c.Init();
        c.ClearTable();
        c.DrawDealNumber(17, 10, 20);
        // On the dealer's caption line (20 + 72 + 3), clear of the caption and the cards.
        QVERIFY(ChangedIn(c.Image(), 210, 95, 80, 14));
        QVERIFY(!ChangedIn(c.Image(), 0, 0, 208, 451));
        QVERIFY(!ChangedIn(c.Image(), 208, 0, 184, 94));
        c.DrawBoxResult(-3, 97, 10, 218, ',');
        QVERIFY(ChangedIn(c.Image(), 210, 218, 80, 14));
        QVERIFY(!ChangedIn(c.Image(), 0, 200, 208, 40));
        // A long bank is narrowed to stay on the picture; other numbers draw otherwise.
        const QImage three = c.Image().copy();
        c.ClearTable();
        c.DrawDealNumber(17, 10, 20);
        c.DrawBoxResult(2.5, 1234567.25, 10, 218, ',');
        QVERIFY(c.Image() != three);
        QVERIFY(!ChangedIn(c.Image(), 0, 200, 208, 40));
        QVERIFY(!ChangedIn(c.Image(), 390, 0, 2, 451));
    }

    void releasedPicturesDrawNothing() {
        TTraceCanvas c;
        c.Init();
        c.Release();
        QVERIFY(!c.Loaded());
        c.ClearTable();
        c.Trace_DrawPHand(Hand({{1, 1, 0}, {2, 1, 0}, {3, 5, 0}, {4, 7, 0}, {1, 9, 0}}), 10, 140,
                          3);
        QVERIFY(!ChangedIn(c.Image(), 10, 140, 290, 72));
    }
};

KVARLEN_UI_TEST_MAIN(TTraceCanvasTest)
#include "trace_canvas_test.moc"
