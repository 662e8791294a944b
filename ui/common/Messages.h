// Modal messages of the windows, behind an interface so that tests never block on a box.
#pragma once

#include <QString>

class QWidget;

namespace kvarlen {

class TMessageBoxes {
  public:
    virtual ~TMessageBoxes() = default;
    // Shows text and returns when the user has closed it.
    virtual void Show(QWidget* parent, const QString& text) = 0;
};

// The engine's standard file errors ("Cannot create file "…". …", shared with the command line)
// and the library's "std::bad_alloc" in the window's language; any other text as it is. Every
// message passes through it on its way to the boxes.
QString DesktopMessage(const QString& text);

// Installs boxes (not owned); nullptr restores the modal boxes. Returns the previous ones.
TMessageBoxes* SetMessageBoxes(TMessageBoxes* boxes);
void ShowModalMessage(QWidget* parent, const QString& text);

// The engine's "cannot happen" messages (PayOff and the like) go through the same boxes.
void RouteEngineMessages();

} // namespace kvarlen
