// A picture drawn as SVG text at the widget's size: the text is what "save as SVG" writes and
// what the command line writes for the same result, the widget only renders it.
#pragma once

#include <QString>
#include <QWidget>

class QSvgRenderer;

#include <functional>
#include <memory>
#include <string>

namespace kvarlen {

class TSvgPicture : public QWidget {
  public:
    // The SVG of a picture width x height pixels.
    using TDraw = std::function<std::string(int width, int height)>;

    explicit TSvgPicture(QWidget* parent = nullptr);
    ~TSvgPicture() override;

    // What to draw; an empty draw shows `placeholder` instead.
    void SetDrawing(TDraw draw, const QString& placeholder = QString());
    bool HasDrawing() const { return static_cast<bool>(draw_); }
    // The SVG at the current size (empty without a drawing).
    std::string SvgText() const;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    TDraw draw_;
    QString placeholder_;
    mutable QSize cachedSize_;
    mutable std::string cached_;
    // The text parsed once per size: a repaint at the same size only renders.
    std::unique_ptr<QSvgRenderer> renderer_;
    QSize rendererSize_;
};

} // namespace kvarlen
