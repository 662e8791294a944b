// Pictures of "расклады" for --screenshot: a layout with the dealer's five of hearts entered as
// text and analysed, the two-card exchange that has nothing to exchange, and the keyboard's
// focus on a button. The table is set back afterwards.
#include "ui/MainWindow.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTabWidget>

namespace kvarlen {

bool SaveLayoutScreenshots(TForm1& form, const QString& folder) {
    const QDir dir(folder);
    bool ok = true;
    const TLayout before = form.ReadLayout();
    const TDeck deck = form.Deck;
    const bool dirty = form.DeckDirty;
    const bool detail = form.CheckBox2->isChecked();
    form.PageControl1->setCurrentWidget(form.TabSheet3);
    form.CheckBox2->setChecked(false);
    auto save = [&](const char* name) {
        QApplication::processEvents();
        ok &= form.grab().save(dir.filePath(name));
    };

    form.Memo1->clear();
    ok &= form.EnterLayoutText("7H 7D KC 5S 2D / 5H, out 2C 9S");
    form.Button2Click();
    form.Button10Click();
    form.Button12Click();
    save("layout-text-dealer-5h.png");

    // Two pairs with "fast": no pair of cards to exchange, and the line says so.
    form.Memo1->clear();
    form.CheckBox11->setChecked(true);
    ok &= form.EnterLayoutText("7H 7D KC KS 2D / 5H");
    form.Button13Click();
    save("layout-two-pairs-fast.png");

    // The keyboard: the focus on "EV Raise", the shortcuts on the buttons.
    form.Memo1->clear();
    QApplication::setActiveWindow(&form);
    form.Button2->setFocus(Qt::TabFocusReason);
    save("layout-keyboard-focus.png");
    form.LayoutEdit->setFocus(Qt::ShortcutFocusReason);
    save("layout-keyboard-field.png");

    // Back to the table as it was.
    form.Memo1->clear();
    form.StatusBar1->clearMessage();
    form.CheckBox2->setChecked(detail);
    form.EnterLayoutText(QString::fromStdString(LayoutNotation(before, {})));
    form.BuyedCard->SetShowDeck(!before.Bought.FaceUp);
    form.BuyedCard->SetValue(before.Bought.Card.Value);
    form.BuyedCard->SetSuit(before.Bought.Card.Suit);
    for (int i = 1; i <= 5; ++i)
        form.PlayerCards[static_cast<size_t>(i)]->SetShowDeck(!before.Player[i].FaceUp);
    form.Deck = deck;
    form.DeckDirty = dirty;
    form.TableChanged();
    return ok;
}

} // namespace kvarlen
