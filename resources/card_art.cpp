#include "card_art.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <array>
#include <cmath>

namespace kvarlen::art {

namespace {

// Everything is laid out on a 71 x 96 card and scaled to the picture size.
constexpr double kW = 71.0;
constexpr double kH = 96.0;

const QColor kRed(196, 18, 36);
const QColor kBlack(20, 20, 20); // inside the card: the pure black is kept for the outline

QColor SuitColor(int suit) {
    return suit >= 3 ? kRed : kBlack;
}

// Suit symbols in a unit box centred on the origin.
QPainterPath SuitPath(int suit) {
    QPainterPath p;
    p.setFillRule(Qt::WindingFill);
    switch (suit) {
    case 1: // spade: an upturned heart on a flared stem
        p.moveTo(0, -0.5);
        p.cubicTo(-0.12, -0.3, -0.5, -0.12, -0.5, 0.12);
        p.cubicTo(-0.5, 0.36, -0.18, 0.44, -0.05, 0.24);
        p.cubicTo(-0.07, 0.38, -0.14, 0.46, -0.22, 0.5);
        p.lineTo(0.22, 0.5);
        p.cubicTo(0.14, 0.46, 0.07, 0.38, 0.05, 0.24);
        p.cubicTo(0.18, 0.44, 0.5, 0.36, 0.5, 0.12);
        p.cubicTo(0.5, -0.12, 0.12, -0.3, 0, -0.5);
        p.closeSubpath();
        break;
    case 2: // club: three leaves on a stem
        p.addEllipse(QPointF(0, -0.25), 0.23, 0.23);
        p.addEllipse(QPointF(-0.26, 0.07), 0.23, 0.23);
        p.addEllipse(QPointF(0.26, 0.07), 0.23, 0.23);
        p.addEllipse(QPointF(0, 0.0), 0.13, 0.13);
        p.moveTo(-0.05, 0.05);
        p.cubicTo(-0.06, 0.3, -0.14, 0.44, -0.22, 0.5);
        p.lineTo(0.22, 0.5);
        p.cubicTo(0.14, 0.44, 0.06, 0.3, 0.05, 0.05);
        p.closeSubpath();
        break;
    case 3: // diamond with slightly curved sides
        p.moveTo(0, -0.5);
        p.quadTo(0.14, -0.2, 0.38, 0);
        p.quadTo(0.14, 0.2, 0, 0.5);
        p.quadTo(-0.14, 0.2, -0.38, 0);
        p.quadTo(-0.14, -0.2, 0, -0.5);
        p.closeSubpath();
        break;
    default: // heart
        p.moveTo(0, 0.5);
        p.cubicTo(-0.12, 0.32, -0.5, 0.1, -0.5, -0.18);
        p.cubicTo(-0.5, -0.44, -0.14, -0.54, 0, -0.28);
        p.cubicTo(0.14, -0.54, 0.5, -0.44, 0.5, -0.18);
        p.cubicTo(0.5, 0.1, 0.12, 0.32, 0, 0.5);
        p.closeSubpath();
        break;
    }
    return p;
}

void DrawSuit(QPainter& p, int suit, QPointF centre, double size, bool upsideDown = false) {
    p.save();
    p.translate(centre);
    if (upsideDown) p.rotate(180);
    p.scale(size, size);
    p.setPen(Qt::NoPen);
    p.setBrush(SuitColor(suit));
    p.drawPath(SuitPath(suit));
    p.restore();
}

QString IndexText(int value) {
    switch (value) {
    case 1:
        return "A";
    case 11:
        return "J";
    case 12:
        return "Q";
    case 13:
        return "K";
    default:
        return QString::number(value);
    }
}

QFont IndexFont(double pixelSize, bool narrow) {
    QFont f("DejaVu Sans");
    f.setStyleHint(QFont::SansSerif);
    f.setBold(true);
    f.setPixelSize(static_cast<int>(std::lround(pixelSize)));
    if (narrow) f.setStretch(QFont::Condensed);
    return f;
}

// Value and suit in the top left corner; the caller rotates for the opposite corner.
void DrawIndex(QPainter& p, int suit, int value, bool small) {
    const double size = small ? 16 : 14;
    const double width = small ? 19 : 16;
    p.setFont(IndexFont(size, value == 10));
    p.setPen(SuitColor(suit));
    p.drawText(QRectF(1, 2, width, size + 2), Qt::AlignHCenter | Qt::AlignTop, IndexText(value));
    DrawSuit(p, suit, QPointF(1 + width / 2, size + 10), small ? 11 : 9.5);
}

void DrawPips(QPainter& p, int suit, int value, bool small) {
    // The small card's index is larger for its size: narrower columns and smaller pips keep
    // the pips clear of it ("10" above all).
    const double left = small ? 28 : 24, centre = 35.5, right = small ? 43 : 47;
    const double top = small ? 21 : 20, bottom = small ? 75 : 76;
    const double pip = small ? 10.5 : 12;
    struct Pip {
        double x;
        double f; // 0 top row .. 1 bottom row
    };
    static const Pip twoSides[] = {{0, 0}, {2, 0}, {0, 1}, {2, 1}};
    std::array<Pip, 10> pips{};
    int n = 0;
    auto add = [&](double col, double f) { pips[n++] = {col, f}; };
    switch (value) {
    case 2:
        add(1, 0), add(1, 1);
        break;
    case 3:
        add(1, 0), add(1, 0.5), add(1, 1);
        break;
    case 4:
    case 5:
        for (const Pip& q : twoSides) add(q.x, q.f);
        if (value == 5) add(1, 0.5);
        break;
    case 6:
    case 7:
    case 8:
        for (double f : {0.0, 0.5, 1.0}) add(0, f), add(2, f);
        if (value >= 7) add(1, 0.25);
        if (value == 8) add(1, 0.75);
        break;
    default: // 9 and 10
        for (double f : {0.0, 1.0 / 3, 2.0 / 3, 1.0}) add(0, f), add(2, f);
        if (value == 9) add(1, 0.5);
        if (value == 10) add(1, 1.0 / 6), add(1, 5.0 / 6);
        break;
    }
    const double xs[] = {left, centre, right};
    for (int i = 0; i < n; ++i) {
        const QPointF c(xs[static_cast<int>(pips[i].x)], top + (bottom - top) * pips[i].f);
        DrawSuit(p, suit, c, pip, pips[i].f > 0.5);
    }
}

void DrawCourt(QPainter& p, int suit, int value) {
    const QRectF frame(18.5, 12.5, 34, 71);
    // The ground tells the suit at a glance, the black suits above all: spades blue-grey, clubs
    // green, diamonds amber, hearts pink.
    static const QColor fills[] = {QColor(208, 220, 245), QColor(206, 236, 200),
                                   QColor(255, 236, 170), QColor(255, 214, 226)};
    const QColor colour = SuitColor(suit);
    p.setPen(QPen(colour, 1));
    p.setBrush(fills[suit - 1]);
    p.drawRect(frame);
    p.drawLine(QPointF(frame.left(), 48), QPointF(frame.right(), 48));
    QFont f("DejaVu Serif");
    f.setStyleHint(QFont::Serif);
    f.setBold(true);
    f.setPixelSize(25);
    for (int half = 0; half < 2; ++half) {
        p.save();
        if (half == 1) {
            p.translate(kW / 2, kH / 2);
            p.rotate(180);
            p.translate(-kW / 2, -kH / 2);
        }
        p.setFont(f);
        p.setPen(colour);
        // The letter at the left, a large suit beside it.
        p.drawText(QRectF(frame.left() + 1, 15, 20, 30), Qt::AlignCenter, IndexText(value));
        DrawSuit(p, suit, QPointF(frame.right() - 7.5, 30), 12);
        // A band of small ornaments under the letter.
        p.setPen(QPen(colour, 0.8));
        for (int i = 0; i < 5; ++i) {
            const double x = frame.left() + 2 + i * 6;
            p.drawLine(QPointF(x, 45), QPointF(x + 3, 42));
            p.drawLine(QPointF(x + 3, 42), QPointF(x + 6, 45));
        }
        p.restore();
    }
}

// The closed pure-black outline with rounded corners, on top of everything else.
void DrawOutline(QPainter& p, int width, int height) {
    p.save();
    p.resetTransform();
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QPen(QColor(0, 0, 0), 1));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRect(0, 0, width - 1, height - 1), 5, 5);
    p.restore();
}

QImage BlankCard(int width, int height) {
    QImage img(width, height, QImage::Format_ARGB32);
    img.fill(QColor(255, 255, 255, 0));
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QPen(QColor(0, 0, 0), 1));
    p.setBrush(Qt::white);
    p.drawRoundedRect(QRect(0, 0, width - 1, height - 1), 5, 5);
    return img;
}

// ---- backs ----

void Lattice(QPainter& p, const QRectF& r, QColor ground, QColor line, double step) {
    p.fillRect(r, ground);
    p.setPen(QPen(line, 1.2));
    for (double d = -r.height(); d < r.width() + r.height(); d += step) {
        p.drawLine(QPointF(r.left() + d, r.top()), QPointF(r.left() + d + r.height(), r.bottom()));
        p.drawLine(QPointF(r.left() + d, r.bottom()), QPointF(r.left() + d + r.height(), r.top()));
    }
}

void Fish(QPainter& p, QPointF c, double len, QColor body, bool left) {
    p.save();
    p.translate(c);
    if (left) p.scale(-1, 1);
    p.setPen(Qt::NoPen);
    p.setBrush(body);
    p.drawEllipse(QPointF(0, 0), len * 0.4, len * 0.22);
    QPainterPath tail;
    tail.moveTo(-len * 0.32, 0);
    tail.lineTo(-len * 0.6, -len * 0.2);
    tail.lineTo(-len * 0.6, len * 0.2);
    tail.closeSubpath();
    p.drawPath(tail);
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(len * 0.22, -len * 0.05), len * 0.06, len * 0.06);
    p.setBrush(QColor(10, 10, 10));
    p.drawEllipse(QPointF(len * 0.23, -len * 0.05), len * 0.03, len * 0.03);
    p.restore();
}

void Leaf(QPainter& p, QPointF c, double len, double angle, QColor fill, QColor vein) {
    p.save();
    p.translate(c);
    p.rotate(angle);
    QPainterPath leaf;
    leaf.moveTo(0, -len / 2);
    leaf.quadTo(len * 0.38, 0, 0, len / 2);
    leaf.quadTo(-len * 0.38, 0, 0, -len / 2);
    p.setPen(Qt::NoPen);
    p.setBrush(fill);
    p.drawPath(leaf);
    p.setPen(QPen(vein, 0.8));
    p.drawLine(QPointF(0, -len / 2 + 1), QPointF(0, len / 2 + 2));
    p.restore();
}

void Rose(QPainter& p, QPointF c, double r) {
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(40, 120, 40));
    p.drawEllipse(c + QPointF(-r * 0.9, r * 0.6), r * 0.55, r * 0.3);
    p.drawEllipse(c + QPointF(r * 0.9, r * 0.6), r * 0.55, r * 0.3);
    p.setBrush(QColor(210, 30, 60));
    p.drawEllipse(c, r, r);
    p.setPen(QPen(QColor(120, 0, 20), 0.9));
    p.setBrush(Qt::NoBrush);
    for (double k : {0.7, 0.45, 0.22})
        p.drawArc(QRectF(c.x() - r * k, c.y() - r * k, 2 * r * k, 2 * r * k), 30 * 16, 280 * 16);
}

void BackDesign(QPainter& p, int design, const QRectF& r) {
    const QPointF mid = r.center();
    switch (design) {
    case 0: // STD1
        Lattice(p, r, QColor(30, 70, 170), QColor(170, 200, 255), 6);
        break;
    case 1: // STD2
        Lattice(p, r, QColor(170, 25, 35), QColor(255, 190, 190), 6);
        break;
    case 2: { // FISHES1
        QLinearGradient g(r.topLeft(), r.bottomLeft());
        g.setColorAt(0, QColor(40, 120, 210));
        g.setColorAt(1, QColor(10, 40, 110));
        p.fillRect(r, g);
        Fish(p, mid + QPointF(-8, -24), 22, QColor(255, 140, 20), false);
        Fish(p, mid + QPointF(8, 0), 26, QColor(255, 200, 40), true);
        Fish(p, mid + QPointF(-6, 24), 20, QColor(255, 110, 60), false);
        p.setPen(QPen(QColor(200, 230, 255), 0.8));
        p.setBrush(Qt::NoBrush);
        for (int i = 0; i < 5; ++i)
            p.drawEllipse(QPointF(r.right() - 9 + (i % 2) * 3, r.top() + 10 + i * 7), 1.5 + i % 2,
                          1.5 + i % 2);
        break;
    }
    case 3: { // FISHES2
        p.fillRect(r, QColor(20, 140, 140));
        p.setPen(QPen(QColor(120, 210, 200), 1));
        for (double y = r.top() + 6; y < r.bottom(); y += 10) {
            QPainterPath wave;
            wave.moveTo(r.left(), y);
            for (double x = r.left(); x < r.right(); x += 10)
                wave.quadTo(x + 2.5, y - 2.5, x + 5, y), wave.quadTo(x + 7.5, y + 2.5, x + 10, y);
            p.drawPath(wave);
        }
        for (int i = 0; i < 6; ++i)
            Fish(p, QPointF(r.left() + 16 + (i % 2) * 30, r.top() + 12 + i * 14), 16,
                 i % 2 ? QColor(250, 230, 90) : QColor(240, 90, 120), i % 2 == 1);
        break;
    }
    case 4: { // BEACH
        QRectF sky(r.left(), r.top(), r.width(), r.height() * 0.45);
        QLinearGradient g(sky.topLeft(), sky.bottomLeft());
        g.setColorAt(0, QColor(90, 170, 240));
        g.setColorAt(1, QColor(190, 225, 250));
        p.fillRect(sky, g);
        p.fillRect(QRectF(r.left(), sky.bottom(), r.width(), r.height() * 0.25),
                   QColor(20, 110, 190));
        p.fillRect(
            QRectF(r.left(), sky.bottom() + r.height() * 0.25, r.width(), r.height() * 0.3 + 1),
            QColor(235, 205, 140));
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(255, 210, 40));
        p.drawEllipse(QPointF(r.right() - 15, r.top() + 13), 8, 8);
        p.setPen(QPen(Qt::white, 1));
        for (int i = 0; i < 3; ++i)
            p.drawLine(QPointF(r.left() + 6 + i * 18, sky.bottom() + 6 + i * 5),
                       QPointF(r.left() + 16 + i * 18, sky.bottom() + 6 + i * 5));
        p.setPen(QPen(QColor(110, 70, 30), 2.5));
        p.drawLine(QPointF(r.left() + 14, r.bottom() - 4), QPointF(r.left() + 18, r.top() + 26));
        p.setPen(Qt::NoPen);
        for (int a = 0; a < 5; ++a)
            Leaf(p, QPointF(r.left() + 18, r.top() + 26), 18, -100 + a * 50, QColor(30, 140, 50),
                 QColor(20, 90, 30));
        break;
    }
    case 5: // LEAVES1
        p.fillRect(r, QColor(30, 100, 45));
        for (int i = 0; i < 6; ++i)
            for (int j = 0; j < 4; ++j)
                Leaf(p, QPointF(r.left() + 8 + j * 16 + (i % 2) * 8, r.top() + 8 + i * 15), 13,
                     (i + j) % 2 ? 35 : -35, QColor(110, 190, 90), QColor(40, 110, 40));
        break;
    case 6: { // LEAVES2
        p.fillRect(r, QColor(250, 240, 215));
        const QColor autumn[] = {QColor(200, 80, 20), QColor(220, 160, 30), QColor(150, 50, 20)};
        for (int i = 0; i < 5; ++i)
            for (int j = 0; j < 3; ++j)
                Leaf(p, QPointF(r.left() + 11 + j * 21 + (i % 2) * 6, r.top() + 9 + i * 18), 17,
                     i * 40 + j * 70, autumn[(i + j) % 3], QColor(90, 40, 10));
        break;
    }
    case 7: { // ROBOT
        p.fillRect(r, QColor(70, 80, 95));
        p.setPen(QPen(QColor(95, 105, 120), 1));
        for (double y = r.top() + 4; y < r.bottom(); y += 8) p.drawLine(r.left(), y, r.right(), y);
        p.setPen(QPen(QColor(30, 30, 30), 1));
        p.setBrush(QColor(190, 195, 205));
        p.drawRoundedRect(QRectF(mid.x() - 18, mid.y() - 16, 36, 30), 4, 4);
        p.drawRect(QRectF(mid.x() - 12, mid.y() + 16, 24, 18));
        p.drawLine(QPointF(mid.x(), mid.y() - 16), QPointF(mid.x(), mid.y() - 26));
        p.setBrush(QColor(230, 40, 40));
        p.drawEllipse(QPointF(mid.x(), mid.y() - 28), 3, 3);
        p.setBrush(QColor(60, 220, 255));
        p.drawEllipse(QPointF(mid.x() - 8, mid.y() - 5), 5, 5);
        p.drawEllipse(QPointF(mid.x() + 8, mid.y() - 5), 5, 5);
        p.setBrush(QColor(40, 40, 40));
        p.drawRect(QRectF(mid.x() - 10, mid.y() + 5, 20, 4));
        p.setBrush(QColor(250, 200, 40));
        for (int i = 0; i < 3; ++i) p.drawEllipse(QPointF(mid.x() - 6 + i * 6, mid.y() + 25), 2, 2);
        break;
    }
    case 8: // ROSES
        p.fillRect(r, QColor(60, 10, 25));
        for (int i = 0; i < 4; ++i)
            for (int j = 0; j < 2; ++j)
                Rose(p, QPointF(r.left() + 16 + j * 31 + (i % 2) * 0, r.top() + 12 + i * 21), 7.5);
        break;
    case 9: { // SHELL
        QRadialGradient g(mid, r.height() * 0.7);
        g.setColorAt(0, QColor(255, 240, 220));
        g.setColorAt(1, QColor(120, 190, 210));
        p.fillRect(r, g);
        const QPointF hinge(mid.x(), mid.y() + 24);
        QPainterPath fan;
        fan.moveTo(hinge);
        fan.arcTo(QRectF(hinge.x() - 26, hinge.y() - 46, 52, 52), 10, 160);
        fan.closeSubpath();
        p.setPen(QPen(QColor(170, 80, 50), 1));
        p.setBrush(QColor(250, 170, 120));
        p.drawPath(fan);
        for (int a = 15; a <= 165; a += 15) {
            const double rad = a * M_PI / 180;
            p.drawLine(hinge, hinge + QPointF(26 * std::cos(rad), -26 * std::sin(rad)));
        }
        p.drawRect(QRectF(hinge.x() - 6, hinge.y(), 12, 6));
        break;
    }
    case 10: { // CASTLE
        QLinearGradient g(r.topLeft(), r.bottomLeft());
        g.setColorAt(0, QColor(15, 20, 60));
        g.setColorAt(1, QColor(80, 60, 130));
        p.fillRect(r, g);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(250, 245, 200));
        p.drawEllipse(QPointF(r.right() - 14, r.top() + 14), 7, 7);
        p.setBrush(Qt::white);
        for (int i = 0; i < 7; ++i)
            p.drawEllipse(QPointF(r.left() + 6 + (i * 13) % 40, r.top() + 5 + (i * 17) % 30), 0.8,
                          0.8);
        p.setBrush(QColor(35, 30, 45));
        const double base = r.bottom();
        p.drawRect(QRectF(r.left() + 6, base - 40, 14, 40));
        p.drawRect(QRectF(r.right() - 20, base - 40, 14, 40));
        p.drawRect(QRectF(r.left() + 20, base - 28, r.width() - 40, 28));
        p.drawRect(QRectF(mid.x() - 7, base - 52, 14, 52));
        for (double x : {r.left() + 6, r.right() - 20, mid.x() - 7})
            for (int k = 0; k < 3; ++k) {
                const double top = x == mid.x() - 7 ? base - 52 : base - 40;
                p.drawRect(QRectF(x + k * 5, top - 4, 4, 4));
            }
        p.setBrush(QColor(250, 210, 80));
        p.drawRect(QRectF(mid.x() - 2, base - 44, 4, 6));
        p.drawRect(QRectF(r.left() + 11, base - 32, 4, 5));
        p.drawRect(QRectF(r.right() - 15, base - 32, 4, 5));
        break;
    }
    case 11: { // HAND
        p.fillRect(r, QColor(110, 50, 140));
        p.setPen(QPen(QColor(140, 80, 170), 1));
        for (double d = 6; d < 60; d += 8) p.drawEllipse(mid, d, d);
        p.setPen(QPen(QColor(90, 50, 30), 1));
        p.setBrush(QColor(245, 205, 170));
        const double x0 = mid.x() - 13, y0 = mid.y() - 4;
        const double fingerX[] = {x0 + 1, x0 + 8, x0 + 15, x0 + 22};
        const double fingerLen[] = {20, 25, 23, 18};
        for (int i = 0; i < 4; ++i)
            p.drawRoundedRect(QRectF(fingerX[i], y0 - fingerLen[i], 6, fingerLen[i] + 6), 3, 3);
        QPainterPath thumb;
        p.save();
        p.translate(x0 - 2, y0 + 10);
        p.rotate(-40);
        p.drawRoundedRect(QRectF(-3, -16, 6, 20), 3, 3);
        p.restore();
        p.drawRoundedRect(QRectF(x0, y0, 29, 26), 6, 6);
        break;
    }
    default: { // CLASSIC (red) and CLASSIC2 (blue)
        const bool red = design == 12;
        const QColor ground = red ? QColor(175, 20, 30) : QColor(25, 55, 150);
        const QColor light = red ? QColor(255, 215, 215) : QColor(210, 225, 255);
        Lattice(p, r, ground, light, 8);
        p.setPen(QPen(Qt::white, 1.5));
        p.setBrush(Qt::NoBrush);
        p.drawRect(r.adjusted(3, 3, -3, -3));
        p.setPen(QPen(light, 1));
        p.drawRect(r.adjusted(5.5, 5.5, -5.5, -5.5));
        p.setPen(QPen(Qt::white, 1));
        p.setBrush(ground);
        QPainterPath diamond;
        diamond.moveTo(mid + QPointF(0, -16));
        diamond.lineTo(mid + QPointF(12, 0));
        diamond.lineTo(mid + QPointF(0, 16));
        diamond.lineTo(mid + QPointF(-12, 0));
        diamond.closeSubpath();
        p.drawPath(diamond);
        p.setBrush(light);
        p.drawEllipse(mid, 4, 4);
        break;
    }
    }
}

} // namespace

QString FaceName(int suit, int value) {
    return QString("C%1%2").arg(suit).arg(value);
}

QString SmallFaceName(int suit, int value) {
    return QString("SMC%1%2").arg(suit).arg(value);
}

QString BackName(int design) {
    static const char* const names[kBackCount] = {
        "STD1",  "STD2",  "FISHES1", "FISHES2", "BEACH", "LEAVES1", "LEAVES2",
        "ROBOT", "ROSES", "SHELL",   "CASTLE",  "HAND",  "CLASSIC", "CLASSIC2"};
    return design >= 0 && design < kBackCount ? QString(names[design]) : QString();
}

QImage DrawFace(int suit, int value, int width, int height) {
    QImage img = BlankCard(width, height);
    {
        QPainter p(&img);
        p.setRenderHint(QPainter::Antialiasing);
        p.setRenderHint(QPainter::TextAntialiasing);
        p.setClipRect(QRect(1, 1, width - 2, height - 2));
        p.scale(width / kW, height / kH);
        const bool small = width < kFaceWidth;
        for (int corner = 0; corner < 2; ++corner) {
            p.save();
            if (corner == 1) {
                p.translate(kW / 2, kH / 2);
                p.rotate(180);
                p.translate(-kW / 2, -kH / 2);
            }
            DrawIndex(p, suit, value, small);
            p.restore();
        }
        if (value == 1)
            DrawSuit(p, suit, QPointF(kW / 2, kH / 2), suit == 1 ? 36 : 30);
        else if (value <= 10)
            DrawPips(p, suit, value, small);
        else
            DrawCourt(p, suit, value);
        DrawOutline(p, width, height);
    }
    return img;
}

QImage DrawBack(int design, int width, int height) {
    QImage img = BlankCard(width, height);
    {
        QPainter p(&img);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(width / kW, height / kH);
        const QRectF inner(4, 4, kW - 8, kH - 8);
        QPainterPath clip;
        clip.addRoundedRect(inner, 3, 3);
        p.setClipPath(clip);
        BackDesign(p, design, inner);
        p.setClipping(false);
        DrawOutline(p, width, height);
    }
    return img;
}

} // namespace kvarlen::art
