#include "analysis/layout_commands.h"

#include <cctype>
#include <chrono>

namespace kvarlen {

namespace {

TCardRec Card(int suit, int value) {
    TCardRec c;
    c.Suit = static_cast<uint8_t>(suit);
    c.Value = value;
    return c;
}

bool ValidCard(const TCardRec& c) {
    return c.Suit >= 1 && c.Suit <= 4 && c.Value >= 1 && c.Value <= 13;
}

const char* const kRefused = "Расклад не считается: ";

// A card in Russian text, as the game log names it: value and suit, "10 Треф".
std::string CardName(const TCardRec& c) {
    auto trimmed = [](std::string t) {
        while (!t.empty() && t.back() == ' ') t.pop_back();
        return t;
    };
    return trimmed(ValueText(c.Value)) + " " + trimmed(SuitName(c.Suit));
}

// Why the table cannot be analysed by this command, or "" when it can. boughtInHand: the
// bought card is part of the hand the command reads.
std::string CheckTable(LayoutCommand command, const TLayout& layout, bool boughtInHand) {
    const TCardRec* cards[7];
    int count = 0;
    for (int i = 1; i <= 5; ++i) cards[count++] = &layout.Player[i].Card;
    if (boughtInHand) cards[count++] = &layout.Bought.Card;
    for (int i = 0; i < count; ++i)
        if (!ValidCard(*cards[i])) return std::string(kRefused) + "у игрока пустая карта";
    if (!ValidCard(layout.Dealer)) return std::string(kRefused) + "нет открытой карты дилера";
    for (int i = 0; i < count; ++i)
        if (SameCard(*cards[i], layout.Dealer))
            return std::string(kRefused) + "карта дилера " + CardName(layout.Dealer) +
                   " лежит и у игрока";
    for (int i = 0; i < count; ++i)
        for (int j = i + 1; j < count; ++j)
            if (SameCard(*cards[i], *cards[j]))
                return std::string(kRefused) + "карта " + CardName(*cards[i]) +
                       " лежит на столе дважды";
    if (command == LayoutCommand::Change2)
        for (int i = 1; i <= 5; ++i)
            if (!layout.Player[i].FaceUp)
                return std::string(kRefused) +
                       "при обмене двух карт все карты игрока должны быть открыты";
    return "";
}

// Why the drivers cannot run on this deck, or "".
std::string CheckDeck(LayoutCommand command, const TDeck& deck, const TCardRec& dealer) {
    if (!deck.IsUnseen(dealer.Suit, dealer.Value))
        return std::string(kRefused) + "карта дилера " + CardName(dealer) + " выведена из колоды";
    // The dealer's four hidden cards, and the cards exchanged in or bought, must be there.
    const int drawn =
        command == LayoutCommand::Change2 ? 2 : (command == LayoutCommand::Raise ? 0 : 1);
    if (deck.UnseenCount() - 1 - drawn < 4)
        return std::string(kRefused) + "в колоде слишком мало карт";
    return "";
}

// The table and deck the command will run on, or why it cannot run.
std::string Prepare(LayoutCommand command, const TLayout& layout, const TDeck& deck, bool deckDirty,
                    TLayout& table, TDeck& work) {
    // EV 2 Change always, and EV Buy when it rebuilds, turn the bought card face down first.
    table = layout;
    if (command == LayoutCommand::Change2 || (command == LayoutCommand::Buy && deckDirty))
        table.Bought.FaceUp = false;
    std::string why = CheckTable(command, table, table.Bought.FaceUp);
    if (!why.empty()) return why;
    work = deck;
    if (deckDirty) RebuildDeck(work, table);
    return CheckDeck(command, work, table.Dealer);
}

const char* const kNotEntered = "Расклад не введён: ";

// Cards, "/" and words of a layout's notation; blanks, commas and semicolons only separate.
std::vector<std::string> NotationTokens(const std::string& text) {
    std::vector<std::string> tokens;
    std::string cur;
    auto flush = [&] {
        if (!cur.empty()) tokens.push_back(cur);
        cur.clear();
    };
    for (char c : text) {
        if (c == ' ' || c == ',' || c == ';' || c == '\t') {
            flush();
        } else if (c == '/') {
            flush();
            tokens.emplace_back("/");
        } else {
            cur += c;
        }
    }
    flush();
    return tokens;
}

std::string Lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

using Clock = std::chrono::steady_clock;

std::string Seconds(Clock::time_point start, char sep) {
    const double s = std::chrono::duration<double>(Clock::now() - start).count();
    return "Расчет занял " + FormatFixed(s, 5, 3, sep) + " сек.";
}

} // namespace

TLayout InitialLayout() {
    TLayout l;
    l.Player[1].Card = Card(4, 1);
    l.Player[2].Card = Card(1, 13);
    l.Player[3].Card = Card(2, 10);
    l.Player[4].Card = Card(2, 3);
    l.Player[5].Card = Card(3, 10);
    l.Bought.Card = Card(3, 1);
    l.Bought.FaceUp = false;
    l.Dealer = Card(1, 10);
    return l;
}

THand ReadPlayerHand(const TLayout& layout) {
    THand h;
    h.Combo = 0;
    for (int i = 1; i <= 5; ++i)
        h.Cards[i] = Card(layout.Player[i].Card.Suit, layout.Player[i].Card.Value);
    if (layout.Bought.FaceUp) {
        h.Cards[6] = Card(layout.Bought.Card.Suit, layout.Bought.Card.Value);
        h.Count = 6;
    } else {
        h.Cards[6] = Card(0, 0);
        h.Count = 5;
    }
    return h;
}

THand ReadPlayerHandSix(const TLayout& layout) {
    THand h = ReadPlayerHand(layout);
    h.Cards[6] = Card(layout.Bought.Card.Suit, layout.Bought.Card.Value);
    h.Count = 6;
    return h;
}

void RebuildDeck(TDeck& deck, const TLayout& layout) {
    deck.Reset();
    for (int i = 1; i <= 5; ++i)
        if (layout.Player[i].FaceUp) deck.Take(layout.Player[i].Card);
    if (layout.Bought.FaceUp) deck.Take(layout.Bought.Card);
}

std::string LayoutRefusal(LayoutCommand command, const TLayout& layout, const TDeck& deck,
                          bool deckDirty) {
    TLayout table;
    TDeck work;
    return Prepare(command, layout, deck, deckDirty, table, work);
}

TCommandResult RunLayoutCommand(LayoutCommand command, TLayout& layout, TDeck& deck, bool deckDirty,
                                const TRules& rules, const TAnalysisSwitches& switches,
                                TDetailSink* detail) {
    TCommandResult res;
    Clock::time_point start = Clock::now();
    const char sep = switches.Separator;

    TLayout table;
    TDeck work;
    res.Status = Prepare(command, layout, deck, deckDirty, table, work);
    if (!res.Status.empty()) return res;

    // Accepted: from here on the table and the deck change as the command says.
    layout = table;
    if (deckDirty) deck = work;
    const TCardRec dealer = Card(layout.Dealer.Suit, layout.Dealer.Value);
    THand hand = ReadPlayerHand(layout);
    res.Ok = true;
    switch (command) {
    case LayoutCommand::Raise: {
        EvaluateHand(hand, rules.AKPlays);
        SortByValue(hand);
        res.Hand = hand;
        res.Value = MO_Raise(deck, hand, dealer, rules, detail, &res.Outcome, res.PerClass);
        res.Line = "MO_Raise= " + FormatFixed(res.Value, 9, 7, sep);
        const auto ms =
            std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
        res.Status = "Расчет занял " + std::to_string(ms) + " мсек.";
        break;
    }
    case LayoutCommand::Buy: {
        GlobalT1() = 0;
        res.Hand = hand;
        EvaluateHand(res.Hand, rules.AKPlays);
        res.Value = MO_Buy(deck, hand, dealer, rules, switches.AKExist);
        res.Line = "MO_Buy  = " + FormatFixed(res.Value, 9, 7, sep);
        res.Status = Seconds(start, sep);
        break;
    }
    case LayoutCommand::Change1: {
        start = Clock::now();
        THand classified = hand;
        EvaluateHand(classified, rules.AKPlays);
        res.Hand = classified;
        // Classifying six cards sorts them; the exchange keeps the table's order so that the
        // positions are the table's and the bought card stays in slot 6.
        if (hand.Count == 6) {
            hand.Combo = classified.Combo;
            hand.Rank1 = classified.Rank1;
            hand.Rank2 = classified.Rank2;
        } else {
            hand = classified;
        }
        res.Value = MO_Change1(deck, hand, dealer, rules, res.First, detail, res.PerPosition);
        res.Line =
            "MO_Change [" + std::to_string(res.First) + "] = " + FormatFixed(res.Value, 9, 7, sep);
        res.Status = Seconds(start, sep);
        break;
    }
    case LayoutCommand::Change2: {
        EvaluateHand(hand, rules.AKPlays);
        res.Hand = hand;
        start = Clock::now();
        res.Value = MO_Change2(deck, hand, dealer, switches.Fast, rules, res.First, res.Second,
                               detail, res.Pairs, &res.PairCount);
        res.Status = Seconds(start, sep);
        // No pair valued: -10000 is the driver's starting value, not an expectation. Short
        // enough for the memo beside the raise table; the status bar says why.
        if (res.PairCount == 0) {
            res.Line = "MO_Change2 нечего менять: -10000";
            res.Status += " Обмена двух карт нет: «fast» не разбивает две пары и фулл-хаус, "
                          "свободна не больше одной карты";
        } else {
            res.Line = "MO_Change2 [" + std::to_string(res.First) + "," +
                       std::to_string(res.Second) + "] = " + FormatFixed(res.Value, 9, 7, sep);
        }
        break;
    }
    }
    return res;
}

std::string LayoutNotation(const TLayout& layout, const std::vector<TCardRec>& out) {
    std::string text;
    for (int i = 1; i <= 5; ++i) {
        if (i > 1) text += ' ';
        text += CardNotation(layout.Player[i].Card);
    }
    text += " / " + CardNotation(layout.Dealer);
    if (layout.Bought.FaceUp) text += ", bought " + CardNotation(layout.Bought.Card);
    if (!out.empty()) {
        text += ", out";
        for (const TCardRec& c : out) text += " " + CardNotation(c);
    }
    return text;
}

std::vector<TCardRec> CardsOutOfPlay(const TLayout& layout, const TDeck& deck) {
    std::vector<TCardRec> out;
    for (int index = 1; index <= 52; ++index) {
        if (deck[index].Value > 0) continue;
        const TCardRec c = Card((index - 1) / 13 + 1, (index - 1) % 13 + 1);
        bool onTable = layout.Bought.FaceUp && SameCard(c, layout.Bought.Card);
        for (int i = 1; i <= 5; ++i)
            onTable = onTable || (layout.Player[i].FaceUp && SameCard(c, layout.Player[i].Card));
        if (!onTable) out.push_back(c);
    }
    return out;
}

std::string ParseLayoutNotation(const std::string& text, TLayout& layout,
                                std::vector<TCardRec>& out) {
    enum class Part { Player, Dealer, Bought, Out };
    Part part = Part::Player;
    std::vector<TCardRec> player, dealer, bought, gone;
    bool slash = false, boughtWord = false, outWord = false;
    const std::string example = " (пример: AH KS XC 3C XD / XS, bought 5D, out 2C 7H)";
    for (const std::string& token : NotationTokens(text)) {
        const std::string word = Lower(token);
        if (token == "/") {
            if (slash) return kNotEntered + std::string("знак «/» стоит дважды");
            slash = true;
            part = Part::Dealer;
            continue;
        }
        if (word == "bought" || word == "out") {
            if (!slash)
                return kNotEntered + ("«" + token + "» пишется после карты дилера") + example;
            bool& given = word == "bought" ? boughtWord : outWord;
            if (given) return kNotEntered + ("«" + word + "» стоит дважды");
            given = true;
            part = word == "bought" ? Part::Bought : Part::Out;
            continue;
        }
        TCardRec c;
        try {
            c = ParseCard(token);
        } catch (const NotationError&) {
            return kNotEntered + ("«" + ShortText(token) + "» — не карта") +
                   " (значение A 2-9 X J Q K и масть S C D H, например XS)";
        }
        (part == Part::Player   ? player
         : part == Part::Dealer ? dealer
         : part == Part::Bought ? bought
                                : gone)
            .push_back(c);
    }
    if (!slash) return kNotEntered + std::string("нет «/» перед картой дилера") + example;
    // Six cards before the "/": the sixth is the bought one.
    if (player.size() == 6 && !boughtWord) {
        bought.push_back(player.back());
        player.pop_back();
    }
    if (player.size() != 5)
        return kNotEntered + ("у игрока должно быть 5 карт (6 с купленной), а их " +
                              std::to_string(player.size()));
    if (dealer.size() != 1)
        return kNotEntered + ("после «/» нужна одна открытая карта дилера, а их " +
                              std::to_string(dealer.size()));
    if (boughtWord && bought.size() != 1)
        return kNotEntered +
               ("после «bought» нужна одна карта, а их " + std::to_string(bought.size()));
    std::vector<TCardRec> seen(player);
    seen.insert(seen.end(), bought.begin(), bought.end());
    const TCardRec open = dealer.front();
    for (const TCardRec& c : seen)
        if (SameCard(c, open))
            return kNotEntered + ("карта дилера " + CardNotation(open) + " лежит и у игрока");
    for (const TCardRec& c : gone)
        if (SameCard(c, open))
            return kNotEntered + ("карта дилера " + CardNotation(open) + " указана вне игры");
    seen.insert(seen.end(), gone.begin(), gone.end());
    for (size_t i = 0; i < seen.size(); ++i)
        for (size_t j = i + 1; j < seen.size(); ++j)
            if (SameCard(seen[i], seen[j]))
                return kNotEntered + ("карта " + CardNotation(seen[i]) + " указана дважды");

    for (int i = 1; i <= 5; ++i) {
        layout.Player[i].Card = player[static_cast<size_t>(i - 1)];
        layout.Player[i].FaceUp = true;
    }
    layout.Dealer = open;
    layout.Bought.FaceUp = !bought.empty();
    if (layout.Bought.FaceUp) layout.Bought.Card = bought.front();
    out = gone;
    return "";
}

} // namespace kvarlen
