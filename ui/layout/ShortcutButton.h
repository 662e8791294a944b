// TShortcutButton: a push button that shows its keyboard shortcut in small type in its top right
// corner, so that its caption stays exactly as it is, and a clear ring while it has the focus.
#pragma once

#include <QKeySequence>
#include <QPushButton>

namespace kvarlen {

class TShortcutButton : public QPushButton {
    Q_OBJECT

  public:
    // An empty key: no shortcut, only the focus ring.
    TShortcutButton(const QString& caption, const QKeySequence& key, QWidget* parent = nullptr);

    // The shortcut as drawn: "F5".
    QString Hint() const;
    // Room for the hint on both sides, so that the caption stays centred and clear of it.
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QFont HintFont() const;

    QKeySequence key_;
};

} // namespace kvarlen
