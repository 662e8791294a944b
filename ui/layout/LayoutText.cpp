// The layout field of "расклады": the whole table in the command line's notation, typed in or
// dealt at random, and kept showing the table as it is.
#include "ui/MainWindow.h"
#include "ui/exact/ExactPage.h"
#include "ui/exact/ExactRunner.h"
#include "ui/layout/CardPicker.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QStatusBar>
#include <QTabWidget>

namespace kvarlen {

namespace {
const QString kNotEntered = "Расклад не введён";
} // namespace

void TForm1::SetPicker(TForm2* picker) {
    if (picker_) disconnect(picker_, nullptr, this, nullptr);
    picker_ = picker;
    if (picker_) connect(picker_, &TForm2::DeckChanged, this, [this] { ShowLayoutText(); });
}

void TForm1::ConnectLayoutEntry() {
    connect(LayoutEdit, &QLineEdit::returnPressed, this,
            [this] { EnterLayoutText(LayoutEdit->text()); });
    connect(ButtonRandom, &QPushButton::clicked, this, [this] { ButtonRandomClick(); });
    // Only while the page is shown, as the field itself.
    auto* focus = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_L), LayoutEdit);
    connect(focus, &QShortcut::activated, this, [this] {
        LayoutEdit->setFocus(Qt::ShortcutFocusReason);
        LayoutEdit->selectAll();
    });
    // A simulation deals from Deck and leaves it stale: show the table as the page opens.
    connect(PageControl1, &QTabWidget::currentChanged, this, [this] {
        if (PageControl1->currentWidget() == TabSheet3) ShowLayoutText();
    });
    // The exact page's run reports its end through its runner.
    if (TExactRunner* runner = exact_ ? exact_->findChild<TExactRunner*>() : nullptr) {
        connect(runner, &TExactRunner::Finished, this, [this] { ExactRunEnded(); });
        connect(runner, &TExactRunner::Failed, this, [this] { ExactRunEnded(); });
    }
}

void TForm1::ShowLayoutText() {
    // What the user is typing stays until it is entered or set back with Escape.
    if (LayoutEdit->hasFocus() && LayoutEdit->isModified()) return;
    const TLayout layout = ReadLayout();
    // Cards out of play hold only while Deck is the table's; a stale deck is rebuilt first.
    const std::vector<TCardRec> out =
        DeckDirty ? std::vector<TCardRec>{} : CardsOutOfPlay(layout, Deck);
    LayoutEdit->setText(QString::fromStdString(LayoutNotation(layout, out)));
    LayoutEdit->setCursorPosition(0);
}

bool TForm1::LayoutEditKey(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && LayoutEdit->isModified()) {
        LayoutEdit->setModified(false);
        ShowLayoutText();
        if (StatusBar1->currentMessage().startsWith(kNotEntered)) StatusBar1->clearMessage();
        return true;
    }
    return false;
}

bool TForm1::EnterLayoutText(const QString& text) {
    // A run deals from Deck, which a new layout would rebuild under it.
    if (simulating_) {
        StatusBar1->showMessage(kNotEntered + ": идёт симуляция, дождитесь её конца");
        return false;
    }
    TLayout layout = ReadLayout();
    std::vector<TCardRec> out;
    const std::string why = ParseLayoutNotation(text.toStdString(), layout, out);
    if (!why.empty()) {
        StatusBar1->showMessage(QString::fromStdString(why));
        return false;
    }
    SetTableLayout(layout, out);
    return true;
}

void TForm1::ButtonRandomClick() {
    if (simulating_) {
        StatusBar1->showMessage(kNotEntered + ": идёт симуляция, дождитесь её конца");
        return;
    }
    TDeck full;
    TLayout layout;
    for (int i = 1; i <= 5; ++i) layout.Player[i].Card = DrawCard(full, Generator);
    layout.Dealer = DrawCard(full, Generator);
    // Face down, so no sixth card; turned up, it is a card of its own.
    layout.Bought.Card = DrawCard(full, Generator);
    layout.Bought.FaceUp = false;
    SetTableLayout(layout, {});
}

void TForm1::SetTableLayout(const TLayout& layout, const std::vector<TCardRec>& out) {
    auto lay = [](TCard* card, const TCardRec& c, bool faceUp) {
        card->SetValue(c.Value);
        card->SetSuit(c.Suit);
        card->SetShowDeck(!faceUp);
        card->update();
    };
    for (int i = 1; i <= 5; ++i)
        lay(PlayerCards[static_cast<size_t>(i)], layout.Player[i].Card, layout.Player[i].FaceUp);
    lay(BuyedCard, layout.Bought.Card, layout.Bought.FaceUp);
    lay(DealerCard, layout.Dealer, true);
    // Deck is the new table's with its cards out of play, which hold until the table changes.
    RebuildDeck(Deck, layout);
    for (const TCardRec& c : out) Deck.Take(c);
    DeckDirty = false;
    LayoutEdit->setModified(false);
    if (StatusBar1->currentMessage().startsWith(kNotEntered)) StatusBar1->clearMessage();
    TableChanged();
}

} // namespace kvarlen
