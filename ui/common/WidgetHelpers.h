// Small placement helpers for captions with a field in their gap and corner buttons.
#pragma once

#include <QObject>
#include <QPlainTextEdit>

class QAbstractButton;
class QLabel;
class QTableWidget;
class QWidget;

namespace kvarlen {

// Keeps field over the widest run of blanks in the caption of host (a label, text from the
// left, or a button, text centred). The field becomes a child of host.
void PlaceFieldInCaptionGap(QLabel* host, QWidget* field);
void PlaceFieldInCaptionGap(QAbstractButton* host, QWidget* field);

// A memo that keeps a strip free at its right edge, beside the scroll bar, so that a corner
// button never hides text.
class TMemo : public QPlainTextEdit {
  public:
    explicit TMemo(int reservedRight) { setViewportMargins(0, 0, reservedRight, 0); }
};

// Keeps button over the top right corner of target, left of its vertical scroll bar when it
// has one. The button becomes a sibling of target, above it.
void PinToTopRight(QWidget* target, QWidget* button);

// Widths of the raise table's columns: the class names, and the counts and probabilities (at
// least the 45 pixels of the classic table, more when the font needs it).
int GridNameColumnWidth(const QTableWidget* grid);
int GridNumberColumnWidth(const QTableWidget* grid);

// Gives every cell of grid an item and paints the fixed first row and column like buttons.
void PrepareGridCells(QTableWidget* grid);

} // namespace kvarlen
