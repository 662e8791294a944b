#include "ui/common/ChartExport.h"

#include "ui/common/Messages.h"
#include "ui/common/SvgPicture.h"

#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QMenu>
#include <QPainter>
#include <QPixmap>
#include <QSaveFile>
#include <QSvgGenerator>
#include <QWidget>

namespace kvarlen {

namespace {

class TDialogChooser : public TFileChooser {
  public:
    QString SaveFileName(QWidget* parent, const QString& caption, const QString& suggested,
                         const QString& filter) override {
        return QFileDialog::getSaveFileName(parent, caption, suggested, filter);
    }
};

TDialogChooser g_dialogs;
TFileChooser* g_chooser = &g_dialogs;

} // namespace

TFileChooser* SetFileChooser(TFileChooser* chooser) {
    TFileChooser* old = g_chooser;
    g_chooser = chooser ? chooser : &g_dialogs;
    return old;
}

QString ChooseSaveFileName(QWidget* parent, const QString& caption, const QString& suggested,
                           const QString& filter) {
    return g_chooser->SaveFileName(parent, caption, suggested, filter);
}

bool SavePicture(QWidget* picture, const QString& path, QString* error) {
    auto fail = [&](const QString& why) {
        if (error) *error = "Не удалось сохранить картинку в " + path + ": " + why;
        return false;
    };
    // Written beside the target and renamed at the end: a failed save leaves the old file.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return fail(file.errorString());
    const auto* drawn = dynamic_cast<const TSvgPicture*>(picture);
    if (path.endsWith(".svg", Qt::CaseInsensitive) && drawn != nullptr && drawn->HasDrawing()) {
        // Its own text, as the command line writes it.
        const QByteArray text = QByteArray::fromStdString(drawn->SvgText());
        if (file.write(text) != text.size()) return fail(file.errorString());
    } else if (path.endsWith(".svg", Qt::CaseInsensitive)) {
        QSvgGenerator svg;
        svg.setOutputDevice(&file);
        svg.setSize(picture->size());
        // The file states its size in millimetres: at the generator's default 72 dpi the
        // picture opens a third larger than on the screen, where a CSS pixel is 1/96 inch.
        svg.setResolution(96);
        svg.setViewBox(picture->rect());
        svg.setTitle(picture->windowTitle());
        QPainter painter;
        if (!painter.begin(&svg)) return fail("SVG не создаётся");
        picture->render(&painter);
        painter.end();
    } else {
        const QPixmap pixmap = picture->grab();
        if (pixmap.isNull() || !pixmap.save(&file, "PNG")) return fail("PNG не записывается");
    }
    if (!file.commit()) return fail(file.errorString());
    return true;
}

void CopyPicture(QWidget* picture) {
    QApplication::clipboard()->setPixmap(picture->grab());
}

bool SavePictureAs(QWidget* picture, const QString& baseName) {
    const QString path = ChooseSaveFileName(picture, "Сохранить картинку", baseName + ".png",
                                            "Картинка PNG (*.png);;Рисунок SVG (*.svg)");
    if (path.isEmpty()) return false;
    QString error;
    if (SavePicture(picture, path, &error)) return true;
    ShowModalMessage(picture, error);
    return false;
}

void AddPictureMenu(QWidget* picture, const QString& baseName) {
    picture->setContextMenuPolicy(Qt::CustomContextMenu);
    QObject::connect(picture, &QWidget::customContextMenuRequested, picture,
                     [picture, baseName](const QPoint& at) {
                         QMenu menu(picture);
                         QAction* save = menu.addAction("Сохранить как PNG или SVG…");
                         QAction* copy = menu.addAction("Копировать картинку");
                         QAction* chosen = menu.exec(picture->mapToGlobal(at));
                         if (chosen == save) SavePictureAs(picture, baseName);
                         if (chosen == copy) CopyPicture(picture);
                     });
}

} // namespace kvarlen
