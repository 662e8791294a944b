// Our own card artwork, drawn with QPainter: faces, small faces and the fourteen backs.
// The pictures are generated at build time and compiled into the program.
#pragma once

#include <QImage>
#include <QString>

namespace kvarlen::art {

constexpr int kFaceWidth = 71;
constexpr int kFaceHeight = 96;
constexpr int kSmallWidth = 53;
constexpr int kSmallHeight = 72;
constexpr int kBackCount = 14;

// Picture names: "C" + suit + value, "SMC" + suit + value, and the back names in the order of
// the card control's back designs.
QString FaceName(int suit, int value);
QString SmallFaceName(int suit, int value);
QString BackName(int design);

// A face of suit 1..4 (spades, clubs, diamonds, hearts) and value 1..13 (ace .. king). The
// outside of the rounded black outline is transparent; the outline is closed, so a fill from
// any corner stops at it.
QImage DrawFace(int suit, int value, int width, int height);
// Back design 0..13 with the same outline.
QImage DrawBack(int design, int width, int height);

} // namespace kvarlen::art
