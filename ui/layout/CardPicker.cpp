#include "ui/layout/CardPicker.h"

#include "resources/card_art.h"
#include "ui/common/CardPictures.h"

#include <QCloseEvent>
#include <QFrame>
#include <QMouseEvent>
#include <QPainter>
#include <QVBoxLayout>

namespace kvarlen {

void TPickerImage::mousePressEvent(QMouseEvent* event) {
    emit MouseDown(Tag);
    event->accept();
}

void TPickerImage::mouseDoubleClickEvent(QMouseEvent* event) {
    emit MouseDown(Tag);
    event->accept();
}

TForm2::TForm2(TDeck& deck, QWidget* parent) : QWidget(parent, Qt::Window), deck_(deck) {
    setObjectName("Form2");
    setWindowTitle("Form2");
    // Only the main window's closing ends the program.
    setAttribute(Qt::WA_QuitOnClose, false);
    resize(723, 332);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    Panel1 = new QFrame;
    Panel1->setObjectName("Panel1");
    Panel1->setFrameShape(QFrame::StyledPanel);
    layout->addWidget(Panel1);
    Image1 = new QLabel(Panel1);
    Image1->setObjectName("Image1");
    Image1->resize(0, 0);
}

bool TForm2::OnTable(int k) const {
    const int value = deck_[k].Value;
    return value < 0 || (k == dealerEntry_ && value > 0);
}

void TForm2::Init() {
    ReleaseGrid();
    for (int s = 1; s <= 4; ++s)
        for (int v = 1; v <= 13; ++v) {
            const int k = DeckIndex(s, v);
            auto* image = new TPickerImage(k, Panel1);
            const QPixmap picture = LoadCardPicture(art::SmallFaceName(s, v));
            image->setPixmap(picture);
            image->resize(picture.size());
            image->move((v - 1) * 54 + 2, (s - 1) * 73 + 2);
            image->setCursor(Qt::PointingHandCursor);
            images_[static_cast<size_t>(k)] = image;
            clean_[static_cast<size_t>(k)] = picture;
            marks_[static_cast<size_t>(k)] = TMark::None;
            if (OnTable(k))
                Mark(k, TMark::Blue);
            else if (deck_[k].Value == 0)
                Mark(k, TMark::Red);
            connect(image, &TPickerImage::MouseDown, this, [this](int tag) { CardMouseDown(tag); });
            image->show();
        }
}

void TForm2::Mark(int k, TMark mark) {
    TPickerImage* image = images_[static_cast<size_t>(k)];
    QPixmap picture = clean_[static_cast<size_t>(k)];
    if (mark != TMark::None && !picture.isNull()) {
        QPainter p(&picture);
        p.setPen(QPen(mark == TMark::Red ? Qt::red : Qt::blue, 3));
        const int w = picture.width() - 1, h = picture.height() - 1;
        p.drawLine(0, 0, w, h);
        p.drawLine(0, h, w, 0);
    }
    image->setPixmap(picture);
    marks_[static_cast<size_t>(k)] = mark;
}

void TForm2::CardMouseDown(int k) {
    if (k < 1 || k > 52 || OnTable(k)) return;
    TCardRec& entry = deck_[k];
    if (entry.Value > 0) {
        entry.Value = 0;
        Mark(k, TMark::Red);
    } else {
        entry.Value = (k - 1) % 13 + 1;
        Mark(k, TMark::None);
    }
    emit DeckChanged();
}

void TForm2::ReleaseGrid() {
    for (size_t k = 1; k <= 52; ++k) {
        delete images_[k];
        images_[k] = nullptr;
        clean_[k] = QPixmap();
        marks_[k] = TMark::None;
    }
}

bool TForm2::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate) Init();
    return QWidget::event(event);
}

void TForm2::closeEvent(QCloseEvent* event) {
    ReleaseGrid();
    QWidget::closeEvent(event);
}

} // namespace kvarlen
