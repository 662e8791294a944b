#include "ui/common/Messages.h"

#include "cards/messages.h"

#include <QApplication>
#include <QMessageBox>
#include <QRegularExpression>

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

QString DesktopMessage(const QString& text) {
    if (text == "std::bad_alloc") return "Не хватило памяти: действие прервано";
    static const struct {
        const char* English;
        const char* Russian;
    } kStarts[] = {
        {"Cannot create file \"", "Не удается создать файл \""},
        {"Cannot write file \"", "Не удается записать файл \""},
        {"Cannot read file \"", "Не удается прочитать файл \""},
    };
    QString out = text;
    for (const auto& start : kStarts) {
        if (!out.startsWith(start.English)) continue;
        out.replace(0, static_cast<int>(qstrlen(start.English)), start.Russian);
        // Why the folder is missing, then what became of the file.
        static const QRegularExpression unmade(
            R"re(\. The folder "(.*)" is missing and cannot be made in "(.*)": )re");
        static const QRegularExpression missing(R"re(\. The folder "(.*)" is missing$)re");
        out.replace(unmade, R"re(. Папки "\1" нет, и создать её в "\2" нельзя: )re");
        out.replace(missing, R"re(. Папки "\1" нет)re");
        const QString kept = ". The file was left as it was";
        if (out.endsWith(kept))
            out = out.left(out.size() - kept.size()) + ". Файл оставлен как был";
        break;
    }
    return out;
}

TMessageBoxes* SetMessageBoxes(TMessageBoxes* boxes) {
    TMessageBoxes* old = g_boxes;
    g_boxes = boxes ? boxes : &g_modal;
    return old;
}

void ShowModalMessage(QWidget* parent, const QString& text) {
    if (!parent) parent = QApplication::activeWindow();
    g_boxes->Show(parent, DesktopMessage(text));
}

void RouteEngineMessages() {
    SetMessageSink(
        [](const std::string& text) { ShowModalMessage(nullptr, QString::fromStdString(text)); });
}

} // namespace kvarlen
