// TCard: one playing card on the table, face or back, drawn from the card pictures.
#pragma once

#include "cards/card.h"

#include <QString>
#include <QWidget>

#include <cstdint>

namespace kvarlen {

// The back designs, in the order of the back pictures.
enum class TDecks : uint8_t {
    Standard1,
    Standard2,
    Fishes1,
    Fishes2,
    Beach,
    Leaves1,
    Leaves2,
    Robot,
    Roses,
    Shell,
    Castle,
    Hand,
    Classic,
    Classic2
};

class TCard : public QWidget {
    Q_OBJECT

  public:
    static constexpr int kWidth = 71;
    static constexpr int kHeight = 96;

    explicit TCard(QWidget* parent = nullptr);

    int Value() const { return value_; }
    // Kept within 1 (ace) .. 13 (king); repaints.
    void SetValue(int value);
    int Suit() const { return suit_; }
    // Stored as given (no range check); repaints.
    void SetSuit(int suit);
    TDecks DeckType() const { return deckType_; }
    // Stored only: the caller repaints.
    void SetDeckType(TDecks deckType) { deckType_ = deckType; }
    bool ShowDeck() const { return showDeck_; }
    // Stored only: the caller repaints.
    void SetShowDeck(bool showDeck) { showDeck_ = showDeck; }

    // The picture the next paint draws: a back name, or "C" + suit + value.
    QString PictureName() const;
    TCardRec CardRec() const;

  signals:
    // Any mouse button pressed on the card (a double click counts as a second press).
    void MouseDown(Qt::MouseButton button);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

  private:
    int value_ = 1;
    int suit_ = 1;
    TDecks deckType_ = TDecks::Standard1;
    bool showDeck_ = false;
};

} // namespace kvarlen
