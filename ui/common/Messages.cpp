#include "ui/common/Messages.h"

#include "cards/messages.h"

#include <QApplication>
#include <QMessageBox>

namespace kvarlen {

namespace {

class TModalBoxes : public TMessageBoxes {
  public:
    void Show(QWidget* parent, const QString& text) override {
        QMessageBox box(QMessageBox::NoIcon, QApplication::applicationDisplayName(), text,
                        QMessageBox::Ok, parent);
        box.exec();
    }
};

TModalBoxes g_modal;
TMessageBoxes* g_boxes = &g_modal;

} // namespace

TMessageBoxes* SetMessageBoxes(TMessageBoxes* boxes) {
    TMessageBoxes* old = g_boxes;
    g_boxes = boxes ? boxes : &g_modal;
    return old;
}

void ShowModalMessage(QWidget* parent, const QString& text) {
    if (!parent) parent = QApplication::activeWindow();
    g_boxes->Show(parent, text);
}

void RouteEngineMessages() {
    SetMessageSink(
        [](const std::string& text) { ShowModalMessage(nullptr, QString::fromStdString(text)); });
}

} // namespace kvarlen
