#include "ui/layout/ShortcutButton.h"

#include <QFontMetrics>
#include <QPainter>
#include <QShortcut>

namespace kvarlen {

namespace {
constexpr int kInset = 4;
} // namespace

TShortcutButton::TShortcutButton(const QString& caption, const QKeySequence& key, QWidget* parent)
    : QPushButton(caption, parent), key_(key) {
    if (key_.isEmpty()) return;
    // Not the button's own shortcut, which every setText replaces by the caption's mnemonic
    // (START changes its caption during a run). As the button's child it acts only while the
    // button is shown and enabled.
    auto* shortcut = new QShortcut(key_, this);
    connect(shortcut, &QShortcut::activated, this, [this] { animateClick(); });
}

QString TShortcutButton::Hint() const {
    return key_.toString(QKeySequence::NativeText);
}

QFont TShortcutButton::HintFont() const {
    QFont small = font();
    small.setPixelSize(9);
    return small;
}

QSize TShortcutButton::sizeHint() const {
    QSize size = QPushButton::sizeHint();
    const int hint = QFontMetrics(HintFont()).horizontalAdvance(Hint());
    // The caption is centred: half of this on each side clears the hint at the right.
    if (hint > 0) size.rwidth() += hint + 2 * kInset;
    return size;
}

void TShortcutButton::paintEvent(QPaintEvent* event) {
    QPushButton::paintEvent(event);
    QPainter painter(this);
    // The style's own focus mark on a button is faint: a keyboard user must see where he is.
    if (hasFocus()) {
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(palette().color(QPalette::Active, QPalette::Highlight), 2));
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(QRectF(rect()).adjusted(2, 2, -2, -2), 3, 3);
    }
    const QString hint = Hint();
    if (hint.isEmpty()) return;
    painter.setFont(HintFont());
    const QPalette::ColorGroup group = isEnabled() ? QPalette::Active : QPalette::Disabled;
    QColor ink = palette().color(group, QPalette::ButtonText);
    ink.setAlpha(150);
    painter.setPen(ink);
    painter.drawText(rect().adjusted(0, 3, -kInset - 1, 0), Qt::AlignRight | Qt::AlignTop, hint);
}

} // namespace kvarlen
