// Charts and other pictures saved as PNG or SVG and copied to the clipboard, with the file
// dialog behind an interface so that tests never block on it.
#pragma once

#include <QString>

class QWidget;

namespace kvarlen {

class TFileChooser {
  public:
    virtual ~TFileChooser() = default;
    // The file to write, or an empty string when the user cancelled. filter: Qt's filter text.
    virtual QString SaveFileName(QWidget* parent, const QString& caption, const QString& suggested,
                                 const QString& filter) = 0;
};

// Installs chooser (not owned); nullptr restores the file dialogs. Returns the previous one.
TFileChooser* SetFileChooser(TFileChooser* chooser);
QString ChooseSaveFileName(QWidget* parent, const QString& caption, const QString& suggested,
                           const QString& filter);

// Writes picture as it is drawn now: SVG for a name ending in ".svg", PNG otherwise. On failure
// returns false with the reason in error (what was tried and why it failed); nothing is left
// half-written under path.
bool SavePicture(QWidget* picture, const QString& path, QString* error);
// Puts the picture on the clipboard.
void CopyPicture(QWidget* picture);

// Asks for a file (PNG or SVG, suggested name baseName + ".png") and saves picture there;
// reports a failure through the message boxes. Returns true when a file was written.
bool SavePictureAs(QWidget* picture, const QString& baseName);

// Gives picture a context menu with "Сохранить как PNG или SVG…" and "Копировать картинку".
void AddPictureMenu(QWidget* picture, const QString& baseName);

} // namespace kvarlen
