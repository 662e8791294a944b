// The card pictures compiled into the program and the card control that shows them.
#include "resources/card_art.h"
#include "ui/common/Card.h"
#include "ui/common/CardPictures.h"
#include "ui_test_support.h"

#include <QFrame>
#include <QSignalSpy>
#include <QVBoxLayout>

#include <algorithm>
#include <set>
#include <vector>

using namespace kvarlen;

namespace {

// Pixels that read as the red of hearts and diamonds.
// The right-most column reached by the ink that touches the top-left corner's value text
// (8-connected, from the text's first rows).
int IndexInkReach(const QImage& image, int textRight, int textBottom) {
    auto ink = [&](int x, int y) {
        const QColor c = image.pixelColor(x, y);
        return c.alpha() > 200 && std::min({c.red(), c.green(), c.blue()}) < 200;
    };
    std::vector<char> seen(static_cast<size_t>(image.width() * image.height()), 0);
    std::vector<QPoint> todo;
    for (int y = 1; y <= textBottom; ++y)
        for (int x = 1; x <= textRight; ++x)
            if (ink(x, y)) todo.push_back(QPoint(x, y));
    int reach = 0;
    while (!todo.empty()) {
        const QPoint q = todo.back();
        todo.pop_back();
        if (q.x() < 1 || q.y() < 1 || q.x() >= image.width() - 1 || q.y() >= image.height() - 1)
            continue;
        char& s = seen[static_cast<size_t>(q.y() * image.width() + q.x())];
        if (s || !ink(q.x(), q.y())) continue;
        s = 1;
        reach = std::max(reach, q.x());
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx) todo.push_back(q + QPoint(dx, dy));
    }
    return reach;
}

// Pixels whose colours differ clearly between two pictures of one size.
int DifferentPixels(const QImage& a, const QImage& b) {
    int n = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QColor p = a.pixelColor(x, y), q = b.pixelColor(x, y);
            n += std::abs(p.red() - q.red()) + std::abs(p.green() - q.green()) +
                     std::abs(p.blue() - q.blue()) >
                 60;
        }
    return n;
}

int RedPixels(const QImage& image) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.alpha() > 200 && c.red() > 150 && c.green() < 90 && c.blue() < 90) ++n;
        }
    return n;
}

QByteArray Bits(const QImage& image) {
    const QImage i = image.convertToFormat(QImage::Format_ARGB32);
    return QByteArray(reinterpret_cast<const char*>(i.constBits()), int(i.sizeInBytes()));
}

} // namespace

class TCardTest : public QObject {
    Q_OBJECT

  private slots:
    void everyPictureExistsWithItsSize() {
        std::set<QByteArray> faces, backs;
        for (int s = 1; s <= 4; ++s)
            for (int v = 1; v <= 13; ++v) {
                const QPixmap face = LoadCardPicture(QString("C%1%2").arg(s).arg(v));
                const QPixmap small = LoadCardPicture(QString("SMC%1%2").arg(s).arg(v));
                QCOMPARE(face.size(), QSize(71, 96));
                QCOMPARE(small.size(), QSize(53, 72));
                faces.insert(Bits(face.toImage()));
            }
        const QStringList backNames = {"STD1",    "STD2",    "FISHES1", "FISHES2", "BEACH",
                                       "LEAVES1", "LEAVES2", "ROBOT",   "ROSES",   "SHELL",
                                       "CASTLE",  "HAND",    "CLASSIC", "CLASSIC2"};
        for (const QString& name : backNames) {
            const QPixmap back = LoadCardPicture(name);
            QCOMPARE(back.size(), QSize(71, 96));
            backs.insert(Bits(back.toImage()));
        }
        QCOMPARE(faces.size(), size_t(52));
        QCOMPARE(backs.size(), size_t(14));
        QVERIFY(LoadCardPicture("C50").isNull());
    }

    void outlinesAreClosedAndSuitsHaveTheirColours() {
        QStringList names;
        for (int s = 1; s <= 4; ++s)
            for (int v = 1; v <= 13; ++v) names << art::FaceName(s, v) << art::SmallFaceName(s, v);
        for (int d = 0; d < art::kBackCount; ++d) names << art::BackName(d);
        const QColor magenta(255, 0, 255);
        for (const QString& name : names) {
            QImage image = LoadCardPicture(name).toImage();
            FillOutsideOutline(image, magenta);
            QVERIFY2(image.pixelColor(0, 0) == magenta, qPrintable(name));
            QVERIFY2(image.pixelColor(image.width() - 1, image.height() - 1) == magenta,
                     qPrintable(name));
            QVERIFY2(image.pixelColor(image.width() / 2, 6) != magenta, qPrintable(name));
            QVERIFY2(image.pixelColor(image.width() / 2, image.height() / 2) != magenta,
                     qPrintable(name));
        }
        // Suits 1..4: spades, clubs black; diamonds, hearts red.
        for (int v = 1; v <= 13; ++v) {
            QCOMPARE(RedPixels(LoadCardPicture(art::FaceName(1, v)).toImage()), 0);
            QCOMPARE(RedPixels(LoadCardPicture(art::FaceName(2, v)).toImage()), 0);
            QVERIFY(RedPixels(LoadCardPicture(art::FaceName(3, v)).toImage()) > 20);
            QVERIFY(RedPixels(LoadCardPicture(art::FaceName(4, v)).toImage()) > 20);
        }
    }

    void smallCardsReadAtAGlance() {
        for (int suit = 1; suit <= 4; ++suit) {
            // The "10" stands clear of the top-left pip: its ink stays within the index.
            const QImage ten = LoadCardPicture(art::SmallFaceName(suit, 10)).toImage();
            const int reach = IndexInkReach(ten, 12, 8);
            QVERIFY2(reach > 5 && reach <= 16,
                     qPrintable(QString("suit %1 reach %2").arg(suit).arg(reach)));
        }
        // Court cards of the two black suits (and of the two red ones) differ in far more than
        // a corner index.
        for (int value = 11; value <= 13; ++value)
            for (int suit : {1, 3}) {
                const QImage a = LoadCardPicture(art::SmallFaceName(suit, value)).toImage();
                const QImage b = LoadCardPicture(art::SmallFaceName(suit + 1, value)).toImage();
                const int differ = DifferentPixels(a, b);
                QVERIFY2(differ > a.width() * a.height() / 8,
                         qPrintable(QString("%1/%2: %3").arg(suit).arg(value).arg(differ)));
            }
    }

    void valueIsClampedAndTheNameFollowsTheState() {
        TCard card;
        QCOMPARE(card.Value(), 1);
        QCOMPARE(card.Suit(), 1);
        QVERIFY(card.DeckType() == TDecks::Standard1);
        QVERIFY(!card.ShowDeck());
        card.SetValue(0);
        QCOMPARE(card.Value(), 1);
        card.SetValue(14);
        QCOMPARE(card.Value(), 13);
        card.SetValue(200);
        QCOMPARE(card.Value(), 13);
        card.SetSuit(3);
        card.SetValue(10);
        QCOMPARE(card.PictureName(), QString("C310"));
        card.SetSuit(7); // not checked
        QCOMPARE(card.Suit(), 7);
        card.SetShowDeck(true);
        QCOMPARE(card.PictureName(), QString("STD1"));
        card.SetDeckType(TDecks::Classic);
        QCOMPARE(card.PictureName(), QString("CLASSIC"));
        card.SetDeckType(TDecks::Classic2);
        QCOMPARE(card.PictureName(), QString("CLASSIC2"));
        card.SetDeckType(TDecks::Hand);
        QCOMPARE(card.PictureName(), QString("HAND"));
    }

    void sizeIsFixed() {
        QWidget host;
        auto* layout = new QVBoxLayout(&host);
        auto* card = new TCard;
        layout->addWidget(card);
        host.resize(400, 400);
        host.show();
        card->resize(200, 300);
        QCOMPARE(card->size(), QSize(71, 96));
    }

    void cornersTakeTheWindowColourOnAGreenPanel() {
        QWidget window;
        QPalette windowPalette = window.palette();
        windowPalette.setColor(QPalette::Window, QColor(200, 190, 180));
        window.setPalette(windowPalette);
        auto* panel = new QFrame(&window);
        panel->setAutoFillBackground(true);
        QPalette green = panel->palette();
        green.setColor(QPalette::Window, QColor(0, 79, 0));
        panel->setPalette(green);
        panel->setGeometry(0, 0, 100, 120);
        auto* card = new TCard(panel);
        card->SetSuit(4);
        card->SetValue(12);
        const QImage shown = card->grab().toImage();
        for (QPoint corner : {QPoint(0, 0), QPoint(70, 0), QPoint(0, 95), QPoint(70, 95)})
            QCOMPARE(shown.pixelColor(corner), QColor(200, 190, 180));
        QCOMPARE(shown.pixelColor(35, 2), QColor(Qt::white));

        // A face down card shows its back after the repaint that follows the switch.
        card->SetDeckType(TDecks::Classic);
        card->SetShowDeck(true);
        const QImage back = card->grab().toImage();
        QVERIFY(back.pixelColor(35, 48) != shown.pixelColor(35, 48) ||
                back.pixelColor(20, 30) != shown.pixelColor(20, 30));
    }

    void everyMouseButtonIsReported() {
        TCard card;
        card.show();
        QSignalSpy spy(&card, &TCard::MouseDown);
        QTest::mouseClick(&card, Qt::LeftButton);
        QTest::mouseClick(&card, Qt::RightButton);
        QTest::mouseClick(&card, Qt::MiddleButton);
        QTest::mouseDClick(&card, Qt::LeftButton);
        QCOMPARE(spy.count(), 4); // the second press of a double click counts
        QCOMPARE(spy.at(1).at(0).value<Qt::MouseButton>(), Qt::RightButton);
        QCOMPARE(spy.at(2).at(0).value<Qt::MouseButton>(), Qt::MiddleButton);
    }
};

KVARLEN_UI_TEST_MAIN(TCardTest)
#include "card_test.moc"
