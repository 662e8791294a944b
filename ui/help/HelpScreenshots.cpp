// Pictures of "справка" and "о программе" for --screenshot, and of the save dialog in the
// program's language.
#include "ui/help/HelpScreenshots.h"
#include "ui/MainWindow.h"
#include "ui/help/HelpWindow.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QTabWidget>
#include <QTextBrowser>

#include <algorithm>

namespace kvarlen {

bool SaveHelpScreenshots(TForm1& form, const QString& folder) {
    const QDir dir(folder);
    auto* help = form.findChild<THelpWindow*>();
    if (help == nullptr) return false;
    bool ok = true;
    const QSize size = help->size();
    help->ShowHelp();
    QApplication::processEvents();
    ok &= help->grab().save(dir.filePath("help.png"));
    // Tall enough for the whole text, so that every part can be read in one picture.
    const int text = static_cast<int>(help->HelpBrowser->document()->size().height());
    help->resize(size.width(), std::max(size.height(), text + 80));
    QApplication::processEvents();
    ok &= help->grab().save(dir.filePath("help-full.png"));
    help->resize(size);
    help->ShowAbout();
    QApplication::processEvents();
    ok &= help->grab().save(dir.filePath("about.png"));
    help->close();

    // Qt's own dialog, as the offscreen platform and desktops without a native one show it.
    QFileDialog dialog(&form, "Сохранить картинку", QDir::currentPath(),
                       "Картинка PNG (*.png);;Рисунок SVG (*.svg)");
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.show();
    QApplication::processEvents();
    ok &= dialog.grab().save(dir.filePath("file-dialog.png"));
    dialog.close();
    return ok;
}

} // namespace kvarlen
