// TForm2: the card picker. A grid of the 52 small faces (suits as rows, values as columns) on
// which the user takes cards out of play; it works on the main window's Deck.
#pragma once

#include "cards/deck.h"

#include <QLabel>
#include <QPixmap>
#include <QWidget>

#include <array>

class QFrame;

namespace kvarlen {

// One picture of the grid; Tag is its deck entry.
class TPickerImage : public QLabel {
    Q_OBJECT

  public:
    TPickerImage(int tag, QWidget* parent) : QLabel(parent), Tag(tag) {}
    const int Tag;

  signals:
    void MouseDown(int tag);

  protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
};

class TForm2 : public QWidget {
    Q_OBJECT

  public:
    enum class TMark { None, Red, Blue };

    explicit TForm2(TDeck& deck, QWidget* parent = nullptr);

    // Builds the grid afresh from Deck (every time the window is activated).
    void Init();
    // A press on the picture of entry k: unseen -> out of play, out of play -> unseen, a card
    // on the table -> nothing.
    void CardMouseDown(int k);
    // The dealer's open card: shown as lying on the table, while its entry stays unseen.
    void SetDealerEntry(int k) { dealerEntry_ = k; }

    TMark MarkOf(int k) const { return marks_[static_cast<size_t>(k)]; }
    TPickerImage* Picture(int k) const { return images_[static_cast<size_t>(k)]; }
    bool HasGrid() const { return images_[1] != nullptr; }

    QFrame* Panel1 = nullptr;
    QLabel* Image1 = nullptr;

  signals:
    // A card was taken out of play or put back.
    void DeckChanged();

  protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    void Mark(int k, TMark mark);
    void ReleaseGrid();
    bool OnTable(int k) const;

    TDeck& deck_;
    int dealerEntry_ = 0;
    std::array<TPickerImage*, 53> images_{};
    std::array<QPixmap, 53> clean_{};
    std::array<TMark, 53> marks_{};
};

} // namespace kvarlen
