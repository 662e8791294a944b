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

// Installs boxes (not owned); nullptr restores the modal boxes. Returns the previous ones.
TMessageBoxes* SetMessageBoxes(TMessageBoxes* boxes);
void ShowModalMessage(QWidget* parent, const QString& text);

// The engine's "cannot happen" messages (PayOff and the like) go through the same boxes.
void RouteEngineMessages();

} // namespace kvarlen
