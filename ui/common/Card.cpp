#include "ui/common/Card.h"

#include "resources/card_art.h"
#include "ui/common/CardPictures.h"

#include <QMouseEvent>
#include <QPainter>

namespace kvarlen {

TCard::TCard(QWidget* parent) : QWidget(parent) {
    // Fixed size: a layout cannot stretch the picture.
    setFixedSize(kWidth, kHeight);
    setContextMenuPolicy(Qt::PreventContextMenu);
}

void TCard::SetValue(int value) {
    value_ = value < 1 ? 1 : value > 13 ? 13 : value;
    update();
}

void TCard::SetSuit(int suit) {
    suit_ = suit;
    update();
}

QString TCard::PictureName() const {
    if (showDeck_) return art::BackName(static_cast<int>(deckType_));
    return art::FaceName(suit_, value_);
}

TCardRec TCard::CardRec() const {
    TCardRec card;
    card.Suit = static_cast<uint8_t>(suit_);
    card.Value = value_;
    return card;
}

void TCard::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    QImage image = LoadCardPicture(PictureName()).toImage();
    if (image.isNull()) {
        // A suit outside 1..4 names no picture.
        painter.fillRect(rect(), palette().color(QPalette::Window));
        painter.setPen(Qt::black);
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
        painter.drawText(rect(), Qt::AlignCenter, "?");
        return;
    }
    // The corners outside the outline take the colour of the window, not of the table panel.
    FillOutsideOutline(image, window()->palette().color(QPalette::Window));
    painter.drawImage(0, 0, image);
}

void TCard::mousePressEvent(QMouseEvent* event) {
    emit MouseDown(event->button());
    event->accept();
}

void TCard::mouseDoubleClickEvent(QMouseEvent* event) {
    emit MouseDown(event->button());
    event->accept();
}

} // namespace kvarlen
