// The card pictures compiled into the program, looked up by their names ("C310", "SMC413",
// "CLASSIC"), and the corner fill of the card control.
#pragma once

#include <QColor>
#include <QImage>
#include <QPixmap>
#include <QString>

namespace kvarlen {

// A null pixmap when no picture has that name.
QPixmap LoadCardPicture(const QString& name);

// Replaces every pixel reachable from the four corners without crossing pure black by colour:
// the rounded-off corners of a card take the colour of what lies behind it.
void FillOutsideOutline(QImage& image, const QColor& colour);

} // namespace kvarlen
