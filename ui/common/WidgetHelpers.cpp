#include "ui/common/WidgetHelpers.h"

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QEvent>
#include <QLabel>
#include <QScrollBar>
#include <QTableWidget>

#include <algorithm>

namespace kvarlen {

namespace {

// Start and length (in characters) of the widest run of blanks.
std::pair<int, int> WidestGap(const QString& text) {
    int best = 0, bestLen = 0;
    for (int i = 0; i < text.size();) {
        if (text[i] != ' ') {
            ++i;
            continue;
        }
        int j = i;
        while (j < text.size() && text[j] == ' ') ++j;
        if (j - i > bestLen) best = i, bestLen = j - i;
        i = j;
    }
    return {best, bestLen};
}

class TGapPlacer : public QObject {
  public:
    TGapPlacer(QWidget* host, QWidget* field, bool centred)
        : QObject(host), host_(host), field_(field), centred_(centred) {
        field->setParent(host);
        host->installEventFilter(this);
        Place();
    }

    bool eventFilter(QObject*, QEvent* event) override {
        switch (event->type()) {
        case QEvent::Resize:
        case QEvent::Show:
        case QEvent::FontChange:
        case QEvent::StyleChange:
        case QEvent::Polish:
            Place();
            break;
        default:
            break;
        }
        return false;
    }

  private:
    QString Text() const {
        if (auto* label = qobject_cast<QLabel*>(host_)) return label->text();
        if (auto* button = qobject_cast<QAbstractButton*>(host_)) return button->text();
        return {};
    }

    void Place() {
        const QString text = Text();
        const auto [gap, length] = WidestGap(text);
        const QFontMetrics fm(host_->font());
        const int textWidth = fm.horizontalAdvance(text);
        int start = host_->contentsRect().left();
        if (auto* label = qobject_cast<QLabel*>(host_)) start += label->margin();
        if (centred_) start = (host_->width() - textWidth) / 2;
        const int left = start + fm.horizontalAdvance(text.left(gap));
        const int width = fm.horizontalAdvance(text.mid(gap, length));
        const int height = std::min(field_->sizeHint().height(), host_->height());
        field_->setGeometry(left + 3, (host_->height() - height) / 2, std::max(width - 6, 10),
                            height);
        field_->raise();
    }

    QWidget* host_;
    QWidget* field_;
    bool centred_;
};

class TCornerPin : public QObject {
  public:
    TCornerPin(QWidget* target, QWidget* button)
        : QObject(target), target_(target), button_(button) {
        button->setParent(target->parentWidget());
        target->installEventFilter(this);
        if (auto* area = qobject_cast<QAbstractScrollArea*>(target))
            area->verticalScrollBar()->installEventFilter(this);
        Place();
    }

    bool eventFilter(QObject*, QEvent* event) override {
        switch (event->type()) {
        case QEvent::Move:
        case QEvent::Resize:
        case QEvent::Show:
        case QEvent::Hide:
            Place();
            break;
        default:
            break;
        }
        return false;
    }

  private:
    void Place() {
        int right = target_->geometry().right();
        if (auto* area = qobject_cast<QAbstractScrollArea*>(target_)) {
            const QScrollBar* bar = area->verticalScrollBar();
            if (bar->isVisible()) right -= bar->width();
        }
        button_->move(right - button_->width() - 1, target_->geometry().top() + 2);
        button_->raise();
    }

    QWidget* target_;
    QWidget* button_;
};

} // namespace

void PlaceFieldInCaptionGap(QLabel* host, QWidget* field) {
    host->setMinimumHeight(field->sizeHint().height());
    new TGapPlacer(host, field, false);
}

void PlaceFieldInCaptionGap(QAbstractButton* host, QWidget* field) {
    host->setMinimumHeight(field->sizeHint().height() + 6);
    new TGapPlacer(host, field, true);
}

void PinToTopRight(QWidget* target, QWidget* button) {
    new TCornerPin(target, button);
}

int GridNameColumnWidth(const QTableWidget* grid) {
    return grid->fontMetrics().horizontalAdvance("Стрит-флэш") + 8;
}

int GridNumberColumnWidth(const QTableWidget* grid) {
    const QFontMetrics fm = grid->fontMetrics();
    return std::max({45, fm.horizontalAdvance("0,0000") + 8, fm.horizontalAdvance("000000") + 8});
}

void PrepareGridCells(QTableWidget* grid) {
    for (int r = 0; r < grid->rowCount(); ++r)
        for (int c = 0; c < grid->columnCount(); ++c) {
            QTableWidgetItem* item = grid->item(r, c);
            if (!item) {
                item = new QTableWidgetItem;
                grid->setItem(r, c, item);
            }
            if (r == 0 || c == 0) item->setBackground(grid->palette().button());
        }
}

} // namespace kvarlen
