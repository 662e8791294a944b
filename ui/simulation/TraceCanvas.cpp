#include "ui/simulation/TraceCanvas.h"

#include "cards/numfmt.h"
#include "ui/common/CardPictures.h"

#include <QFont>
#include <QPainter>

#include <algorithm>

namespace kvarlen {

namespace {
const QColor kBlue(0, 0, 255);
const QColor kRed(255, 0, 0);
// From the caption's left (left + 10) to a little before the decision (left + 100).
constexpr int kCaptionWidth = 86;
// The deal's figures: right of the insurance sum (left + 150).
constexpr int kFiguresOffset = 200;
} // namespace

const QColor& TTraceCanvas::TableGreen() {
    static const QColor green(0, 128, 0);
    return green;
}

TTraceCanvas::TTraceCanvas() : image_(kWidth, kHeight, QImage::Format_RGB32) {
    image_.fill(Qt::white);
}

void TTraceCanvas::Init() {
    for (int s = 1; s <= 4; ++s)
        for (int v = 1; v <= 13; ++v)
            pictures_[static_cast<size_t>(DeckIndex(s, v))] =
                LoadCardPicture(QString("SMC%1%2").arg(s).arg(v));
    // The ace of spades gives the card size of all the drawing.
    if (!pictures_[1].isNull()) {
        cardW_ = pictures_[1].width();
        cardH_ = pictures_[1].height();
    }
    loaded_ = true;
}

void TTraceCanvas::Release() {
    for (auto& p : pictures_) p = QPixmap();
    loaded_ = false;
}

void TTraceCanvas::Resize(int width, int height) {
    if (width <= 0 || height <= 0 || (width == image_.width() && height == image_.height())) return;
    QImage bigger(width, height, QImage::Format_RGB32);
    bigger.fill(Qt::white);
    QPainter p(&bigger);
    p.drawImage(0, 0, image_);
    p.end();
    image_ = bigger;
}

void TTraceCanvas::ClearTable() {
    image_.fill(TableGreen());
}

// The outline of the rectangle from (x1, y1) to (x2, y2) (right and bottom edges excluded) with
// a 2-pixel pen centred on it, inside filled green. With the offsets the hands use, the frame
// lies against the card on all four sides and the card drawn over it hides the fill.
void TTraceCanvas::Frame(int x1, int y1, int x2, int y2, const QColor& pen) {
    QPainter p(&image_);
    p.fillRect(QRect(QPoint(x1 - 1, y1 - 1), QPoint(x2 - 1, y2 - 1)), pen);
    p.fillRect(QRect(QPoint(x1 + 1, y1 + 1), QPoint(x2 - 3, y2 - 3)), TableGreen());
}

void TTraceCanvas::DrawCard(const TCardRec& card, int x, int top) {
    if (card.Suit < 1 || card.Suit > 4 || card.Value < 1 || card.Value > 13) return;
    const QPixmap& pic = pictures_[static_cast<size_t>(DeckIndex(card.Suit, card.Value))];
    if (pic.isNull()) return;
    QPainter p(&image_);
    p.drawPixmap(x, top, pic);
}

void TTraceCanvas::Text(int x, int y, const QString& text, int maxWidth) {
    if (text.isEmpty()) return;
    QPainter p(&image_);
    QFont f = p.font();
    f.setPointSize(8);
    p.setFont(f);
    const int natural = p.fontMetrics().horizontalAdvance(text);
    if (maxWidth > 0 && natural > maxWidth) {
        f.setStretch(std::max(50, 100 * maxWidth / natural));
        p.setFont(f);
    }
    p.setPen(Qt::white);
    const QRect r = p.fontMetrics().boundingRect(text);
    p.drawText(QRect(x, y, r.width() + 4, r.height() + 2), Qt::AlignLeft | Qt::AlignTop, text);
}

QString TTraceCanvas::Caption(const THand& hand) {
    QString text = QString::fromStdString(ComboName(hand.Combo));
    if (hand.Rank1 != 0) text += QString::fromStdString(ValueText(hand.Rank1));
    if (hand.Rank2 != 0) text += "," + QString::fromStdString(ValueText(hand.Rank2));
    return text;
}

void TTraceCanvas::Trace_DrawDHand(const THand& hand, int left, int top) {
    for (int i = 1; i <= hand.Count; ++i) {
        const int x = left + (i - 1) * kSlotStep;
        if (i == 1) Frame(x - 1, top - 1, x + cardW_ + 2, top + cardH_ + 2, kBlue);
        DrawCard(hand.Cards[i], x, top);
    }
    Text(left + 10, top + cardH_ + 3, Caption(hand));
}

void TTraceCanvas::Trace_DrawPHand(const THand& hand, int left, int top, int openValue) {
    for (int i = 1; i <= hand.Count; ++i) {
        const int x = left + (i - 1) * kSlotStep;
        if (hand.Cards[i].Mark == 1) Frame(x - 2, top - 2, x + cardW_ + 3, top + cardH_ + 3, kRed);
        if (hand.Cards[i].Value == openValue)
            Frame(x - 1, top - 1, x + cardW_ + 2, top + cardH_ + 2, kBlue);
        DrawCard(hand.Cards[i], x, top);
    }
    Text(left + 10, top + cardH_ + 3, Caption(hand), kCaptionWidth);
}

void TTraceCanvas::DrawRaiseDecision(bool raise, int left, int top) {
    Text(left + 100, top, raise ? "Raise" : "Pass");
}

void TTraceCanvas::DrawInsurDecision(int32_t sum, int left, int top) {
    Text(left + 150, top, sum == 0 ? QString() : QString::number(sum));
}

void TTraceCanvas::DrawDealNumber(int64_t deal, int left, int top) {
    Text(left + kFiguresOffset, top + cardH_ + 3, QString("Раздача %1").arg(deal));
}

void TTraceCanvas::DrawBoxResult(double result, double bank, int left, int top, char sep) {
    const QString net = QString::fromStdString(FormatGeneral(result, sep));
    Text(left + kFiguresOffset, top,
         QString("итог %1%2, банк %3")
             .arg(result > 0 ? "+" : "", net, QString::fromStdString(FormatGeneral(bank, sep))),
         image_.width() - left - kFiguresOffset - 2);
}

} // namespace kvarlen
