// Entering a layout on the table: card clicks, face switches, keys over a card, and "Колода".
// Every change of a table card ends in TableChanged, so that the hand's name is never stale.
#include "ui/MainWindow.h"
#include "ui/layout/CardPicker.h"

#include <QCheckBox>
#include <QLabel>

namespace kvarlen {

void TForm1::StepCard(TCard* card, Qt::MouseButton button) {
    if (button == Qt::LeftButton) card->SetValue(card->Value() == 13 ? 1 : card->Value() + 1);
    if (button == Qt::RightButton) card->SetSuit(card->Suit() >= 4 ? 1 : card->Suit() + 1);
}

void TForm1::PlayerCardMouseDown(int index, Qt::MouseButton button) {
    DeckDirty = true;
    StepCard(PlayerCards[static_cast<size_t>(index)], button);
    TableChanged();
}

void TForm1::BuyedCardMouseDown(Qt::MouseButton button) {
    // Its back means there is no sixth card to change.
    if (BuyedCard->ShowDeck()) return;
    DeckDirty = true;
    StepCard(BuyedCard, button);
    TableChanged();
}

void TForm1::FlipCard(TCard* card) {
    DeckDirty = true;
    card->SetShowDeck(!card->ShowDeck());
    card->update();
    // The bought card face up or down makes six cards or five.
    TableChanged();
}

TCard* TForm1::CardUnderPointer(const QPoint& globalPos) const {
    TCard* found = nullptr;
    const TCard* targets[6] = {PlayerCards[1], PlayerCards[2], PlayerCards[3],
                               PlayerCards[4], PlayerCards[5], DealerCard};
    for (const TCard* card : targets) {
        // A card on a page that is not shown cannot be pointed at.
        if (!card->isVisible()) continue;
        const QPoint p = card->mapFromGlobal(globalPos);
        if (p.x() > 0 && p.y() > 0 && p.x() < card->width() && p.y() < card->height())
            found = const_cast<TCard*>(card);
    }
    return found;
}

void TForm1::FormKeyPress(QChar key, const QPoint& globalPos) {
    TCard* card = CardUnderPointer(globalPos);
    if (!card) return;
    DeckDirty = true;
    char c = key.unicode() < 128 ? static_cast<char>(key.unicode()) : '\0';
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if (card == DealerCard) {
        // Only the value of the dealer's card, and only to an ace, king or queen.
        if (c == 'A') card->SetValue(1);
        if (c == 'K') card->SetValue(13);
        if (c == 'Q') card->SetValue(12);
        TableChanged();
        return;
    }
    if (c >= '2' && c <= '9') card->SetValue(c - '0');
    switch (c) {
    case '0':
        card->SetValue(10);
        break;
    case 'J':
        card->SetValue(11);
        break;
    case 'Q':
        card->SetValue(12);
        break;
    case 'K':
        card->SetValue(13);
        break;
    case 'A':
        card->SetValue(1);
        break;
    case 'S':
        card->SetSuit(1);
        break;
    case 'C':
        card->SetSuit(2);
        break;
    case 'D':
        card->SetSuit(3);
        break;
    case 'H':
        card->SetSuit(4);
        break;
    default:
        break;
    }
    TableChanged();
}

void TForm1::Button9Click() {
    if (DeckDirty) {
        Deck.Reset();
        DeckDirty = false;
    }
    for (int i = 1; i <= 5; ++i) {
        const TCard* card = PlayerCards[static_cast<size_t>(i)];
        if (!card->ShowDeck()) Deck.At(card->Suit(), card->Value()).Value = -1;
    }
    if (!BuyedCard->ShowDeck()) Deck.At(BuyedCard->Suit(), BuyedCard->Value()).Value = -1;
    // A rebuilt deck has dropped the cards out of play.
    ShowLayoutText();
    if (!picker_) return;
    // The dealer's card is shown as lying on the table but stays unseen in Deck, as the
    // analysis needs it.
    picker_->SetDealerEntry(DeckIndex(DealerCard->Suit(), DealerCard->Value()));
    picker_->show();
    picker_->raise();
    picker_->activateWindow();
    picker_->Init();
}

void TForm1::TableChanged() {
    if (BuyedCard->ShowDeck())
        EvaluateLayout();
    else
        EvaluateLayoutSix();
    ShowLayoutText();
}

void TForm1::EvaluateLayout() {
    THand hand = ReadPlayerHand(ReadLayout());
    Label3->setText(QString::fromStdString(ComboName(EvaluateHand(hand, AK_exist->isChecked()))));
}

void TForm1::EvaluateLayoutSix() {
    THand hand = ReadPlayerHandSix(ReadLayout());
    Label3->setText(QString::fromStdString(ComboName(EvaluateHand(hand, AK_exist->isChecked()))));
}

} // namespace kvarlen
