// The drawing surface of the trace window: a deal's hands, frames, captions and decisions on a
// green table, with the coordinates the simulation hands in.
#pragma once

#include "cards/hand.h"

#include <QImage>
#include <QPixmap>
#include <QString>

#include <array>

namespace kvarlen {

class TTraceCanvas {
  public:
    static constexpr int kWidth = 392;
    static constexpr int kHeight = 451;
    static constexpr int kSlotStep = 60; // card slots are drawn 60 pixels apart

    TTraceCanvas();

    // Loads the 52 small card pictures ("SMC" + suit + value), replacing what was there.
    void Init();
    // Releases the pictures.
    void Release();
    bool Loaded() const { return loaded_; }

    // Grows or shrinks the surface (the picture follows the window); the drawing is kept.
    void Resize(int width, int height);

    void ClearTable();
    void Trace_DrawDHand(const THand& hand, int left, int top);
    void Trace_DrawPHand(const THand& hand, int left, int top, int openValue);
    void DrawRaiseDecision(bool raise, int left, int top);
    void DrawInsurDecision(int32_t sum, int left, int top);
    // "Раздача 17" on the caption line of the dealer's hand drawn at left, top, 200 pixels right
    // of left.
    void DrawDealNumber(int64_t deal, int left, int top);
    // "итог +1, банк 101" 200 pixels right of left, on a box's decision line; sep: the decimal
    // separator of fractional antes.
    void DrawBoxResult(double result, double bank, int left, int top, char sep);

    const QImage& Image() const { return image_; }

    // "Две пары  K ,7 ": the combination name, then the rank keys' value texts.
    static QString Caption(const THand& hand);

    static const QColor& TableGreen();

  private:
    void DrawCard(const TCardRec& card, int x, int top);
    void Frame(int x1, int y1, int x2, int y2, const QColor& pen);
    // maxWidth > 0: the text is narrowed to fit, so that a long caption never runs into the
    // decision written 100 pixels right of the hand.
    void Text(int x, int y, const QString& text, int maxWidth = 0);

    QImage image_;
    std::array<QPixmap, 53> pictures_;
    bool loaded_ = false;
    int cardW_ = 53;
    int cardH_ = 72;
};

} // namespace kvarlen
