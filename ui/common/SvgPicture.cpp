#include "ui/common/SvgPicture.h"

#include <QPainter>
#include <QSvgRenderer>

namespace kvarlen {

TSvgPicture::TSvgPicture(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

TSvgPicture::~TSvgPicture() = default;

void TSvgPicture::SetDrawing(TDraw draw, const QString& placeholder) {
    draw_ = std::move(draw);
    placeholder_ = placeholder;
    cachedSize_ = QSize();
    cached_.clear();
    renderer_.reset();
    update();
}

std::string TSvgPicture::SvgText() const {
    if (!draw_) return {};
    if (cachedSize_ != size()) {
        cached_ = draw_(width(), height());
        cachedSize_ = size();
    }
    return cached_;
}

void TSvgPicture::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    if (!draw_) {
        painter.setPen(QColor(110, 110, 110));
        painter.drawText(rect().adjusted(12, 12, -12, -12), Qt::AlignCenter | Qt::TextWordWrap,
                         placeholder_);
        return;
    }
    if (!renderer_ || rendererSize_ != size()) {
        renderer_ = std::make_unique<QSvgRenderer>(QByteArray::fromStdString(SvgText()));
        rendererSize_ = size();
    }
    renderer_->render(&painter, QRectF(rect()));
}

} // namespace kvarlen
