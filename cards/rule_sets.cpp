// The rule sets' values: the default, names, validation, the TOML text and its reading, and
// the settings controls.
#include "cards/rule_sets.h"
#include "cards/rule_sets_detail.h"

#include <toml++/toml.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>

namespace kvarlen {

using namespace rule_sets_detail;

namespace {

const char* const kPayKeys[10] = {"ak",    "pair",       "two_pairs", "trips",          "straight",
                                  "flush", "full_house", "quads",     "straight_flush", "royal"};
const char* const kSwitchKeys[6] = {"insurance", "ak_plays",    "buy6",
                                    "exchange1", "dealer_game", "ante_paid"};
const char* const kPriceKeys[4] = {"change1", "change2", "buy6", "dealer_game"};
const char* const kDealerGames[3] = {"none", "high", "low"};

std::string Joined(const char* const* names, size_t count) {
    std::string all;
    for (size_t i = 0; i < count; ++i) all += (i ? ", " : "") + std::string(names[i]);
    return all;
}

std::string NumberText(double v) {
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, r.ptr);
}

// A value as a message quotes it.
std::string ValueText(const toml::node& node) {
    switch (node.type()) {
    case toml::node_type::boolean:
        return node.as_boolean()->get() ? "true" : "false";
    case toml::node_type::integer:
        return std::to_string(node.as_integer()->get());
    case toml::node_type::floating_point:
        return NumberText(node.as_floating_point()->get());
    case toml::node_type::string:
        return "\"" + ShortText(node.as_string()->get()) + "\"";
    case toml::node_type::table:
        return "a table";
    case toml::node_type::array:
        return "an array";
    default:
        return "a date or time";
    }
}

class Reader {
  public:
    Reader(const std::string& source) : source_(source) {}

    [[noreturn]] void Fail(const toml::node& node, const std::string& key,
                           const std::string& english, const std::string& russian) const {
        const toml::source_position at = node.source().begin;
        throw FileError(source_, static_cast<int>(at.line), static_cast<int>(at.column), key,
                        english, russian);
    }

    // Every key of table must be one of names.
    void OnlyKnown(const toml::table& table, const std::string& where, const char* const* names,
                   size_t count) const {
        for (auto&& [key, node] : table) {
            bool known = false;
            for (size_t i = 0; i < count; ++i) known = known || key.str() == names[i];
            if (known) continue;
            const toml::source_position at = key.source().begin;
            const std::string name =
                where.empty() ? std::string(key.str()) : where + " " + std::string(key.str());
            throw FileError(source_, static_cast<int>(at.line), static_cast<int>(at.column),
                            ShortText(name), "unknown key (known: " + Joined(names, count) + ")",
                            "неизвестный ключ (известны: " + Joined(names, count) + ")");
        }
    }

    const toml::table* Table(const toml::table& root, const char* name) const {
        const toml::node* node = root.get(name);
        if (!node) return nullptr;
        if (!node->is_table())
            Fail(*node, name,
                 "must be a table ([" + std::string(name) + "]), not " + ValueText(*node),
                 "должен быть таблицей ([" + std::string(name) + "]), а не " + ValueText(*node));
        return node->as_table();
    }

    void Flag(const toml::table* t, const char* table, const char* key, bool& out) const {
        const toml::node* node = t ? t->get(key) : nullptr;
        if (!node) return;
        if (!node->is_boolean())
            Fail(*node, Key(table, key), "must be true or false, not " + ValueText(*node),
                 "должно быть true или false, а не " + ValueText(*node));
        out = node->as_boolean()->get();
    }

    void Payout(const toml::table* t, const char* key, int32_t& out) const {
        const toml::node* node = t ? t->get(key) : nullptr;
        if (!node) return;
        const int64_t v = node->is_integer() ? node->as_integer()->get() : -1;
        if (!node->is_integer() || v < 0 || v > kMaxPayout)
            Fail(*node, Key("payouts", key),
                 "must be a whole number 0..999, not " + ValueText(*node),
                 "выплата должна быть целым числом от 0 до 999, а не " + ValueText(*node));
        out = static_cast<int32_t>(v);
    }

    void Price(const toml::table* t, const char* key, double& out) const {
        const toml::node* node = t ? t->get(key) : nullptr;
        if (!node) return;
        double v = -1;
        if (node->is_integer())
            v = static_cast<double>(node->as_integer()->get());
        else if (node->is_floating_point())
            v = node->as_floating_point()->get();
        if ((!node->is_integer() && !node->is_floating_point()) || !(v >= 0 && v <= kMaxPrice))
            Fail(*node, Key("prices", key),
                 "must be a number 0..1000 (antes), not " + ValueText(*node),
                 "цена должна быть числом от 0 до 1000 (анте), а не " + ValueText(*node));
        out = v;
    }

    void DealerGame(const toml::table* t, uint8_t& out) const {
        const toml::node* node = t ? t->get("dealer_game") : nullptr;
        if (!node) return;
        if (node->is_string())
            for (uint8_t i = 0; i < 3; ++i)
                if (node->as_string()->get() == kDealerGames[i]) {
                    out = i;
                    return;
                }
        Fail(*node, Key("switches", "dealer_game"),
             "must be \"none\", \"high\" or \"low\", not " + ValueText(*node),
             "должно быть \"none\", \"high\" или \"low\", а не " + ValueText(*node));
    }

    static std::string Key(const char* table, const char* key) {
        return "[" + std::string(table) + "] " + key;
    }

  private:
    std::string source_;
};

} // namespace

namespace rule_sets_detail {

RuleSetError FileError(const std::string& path, int line, int column, const std::string& key,
                       const std::string& english, const std::string& russian) {
    std::string en = "rules file " + path, ru = "файл правил " + path;
    if (line > 0) {
        en += ", line " + std::to_string(line) + ", column " + std::to_string(column);
        ru += ", строка " + std::to_string(line) + ", столбец " + std::to_string(column);
    }
    if (!key.empty()) {
        en += ": " + key;
        ru += ": " + key;
    }
    RuleSetError e(en + ": " + english, ru + ": " + russian);
    e.Path = path;
    e.Line = line;
    e.Column = column;
    e.Key = key;
    return e;
}

RuleSetError SystemError(const std::string& path, const std::string& english,
                         const std::string& russian, int err) {
    const std::string why = std::strerror(err);
    return FileError(path, 0, 0, "", english + ": " + why, russian + ": " + why);
}

bool ValidUtf8(const std::string& s) {
    for (size_t i = 0; i < s.size();) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        const size_t n = c < 0x80         ? 1
                         : (c >> 5) == 6  ? 2
                         : (c >> 4) == 14 ? 3
                         : (c >> 3) == 30 ? 4
                                          : 0;
        if (n == 0 || i + n > s.size()) return false;
        for (size_t k = 1; k < n; ++k)
            if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
        i += n;
    }
    return true;
}

bool EndsWith(const std::string& s, const std::string& tail) {
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

} // namespace rule_sets_detail

RuleSetError::RuleSetError(const std::string& english, const std::string& russian)
    : std::runtime_error(english), Russian(russian) {}

const TRuleSet& DefaultRuleSet() {
    static const TRuleSet set;
    return set;
}

bool SameRules(const TRuleSet& a, const TRuleSet& b) {
    return a.Insurance == b.Insurance && a.AKPlays == b.AKPlays && a.Buy6 == b.Buy6 &&
           a.Exchange1 == b.Exchange1 && a.DealerGameBuy == b.DealerGameBuy &&
           a.AntePaid == b.AntePaid && a.Pay == b.Pay && a.PriceChange1 == b.PriceChange1 &&
           a.PriceChange2 == b.PriceChange2 && a.PriceBuy6 == b.PriceBuy6 &&
           a.PriceBuyDealerGame == b.PriceBuyDealerGame;
}

std::string RuleSetNameProblem(const std::string& name) {
    if (name.empty()) return "a rule set needs a name";
    if (name == kDefaultRuleSetName) return "\"default\" is the program's own set";
    if (name.find('/') != std::string::npos) return "a name cannot hold a '/'";
    if (name[0] == '.') return "a name cannot begin with a dot";
    if (name.front() == ' ' || name.back() == ' ') return "a name cannot begin or end with a blank";
    for (unsigned char c : name)
        if (c < 0x20 || c == 0x7F) return "a name cannot hold a control character";
    if (!ValidUtf8(name)) return "a name must be UTF-8 text";
    if (EndsWith(name, ".toml")) return "a name cannot end in \".toml\"";
    if (name.size() > 100) return "a name can have at most 100 bytes";
    return "";
}

RuleSetError RuleSetNameError(const std::string& name) {
    const std::string en = RuleSetNameProblem(name);
    std::string ru;
    if (name.empty())
        ru = "у набора правил должно быть имя";
    else if (name == kDefaultRuleSetName)
        ru = "«default» — набор правил программы, его нельзя изменить";
    else if (name.find('/') != std::string::npos)
        ru = "в имени не может быть знака «/»";
    else if (name[0] == '.')
        ru = "имя не может начинаться с точки";
    else if (name.front() == ' ' || name.back() == ' ')
        ru = "имя не может начинаться или кончаться пробелом";
    else if (en.find("control") != std::string::npos)
        ru = "в имени не может быть управляющих символов";
    else if (en.find("UTF-8") != std::string::npos)
        ru = "имя должно быть текстом в UTF-8";
    else if (en.find(".toml") != std::string::npos)
        ru = "имя не может кончаться на «.toml»";
    else
        ru = "имя не длиннее 100 байт";
    const std::string quoted = ValidUtf8(name) ? ShortText(name) : "?";
    return RuleSetError("rule set name '" + quoted + "': " + en,
                        "имя набора правил «" + quoted + "»: " + ru);
}

void ValidateRuleSet(const TRuleSet& s, const std::string& path) {
    for (size_t i = 0; i < 10; ++i)
        if (s.Pay[i] < 0 || s.Pay[i] > kMaxPayout)
            throw FileError(path, 0, 0, Reader::Key("payouts", kPayKeys[i]),
                            "must be a whole number 0..999, not " + std::to_string(s.Pay[i]),
                            "выплата должна быть целым числом от 0 до 999, а не " +
                                std::to_string(s.Pay[i]));
    const double prices[4] = {s.PriceChange1, s.PriceChange2, s.PriceBuy6, s.PriceBuyDealerGame};
    for (size_t i = 0; i < 4; ++i)
        if (!(prices[i] >= 0 && prices[i] <= kMaxPrice))
            throw FileError(path, 0, 0, Reader::Key("prices", kPriceKeys[i]),
                            "must be a number 0..1000 (antes), not " + NumberText(prices[i]),
                            "цена должна быть числом от 0 до 1000 (анте), а не " +
                                NumberText(prices[i]));
    if (s.DealerGameBuy > 2)
        throw FileError(path, 0, 0, Reader::Key("switches", "dealer_game"),
                        "must be \"none\", \"high\" or \"low\"",
                        "должно быть \"none\", \"high\" или \"low\"");
    // The desktop's two switches exclude each other.
    if (s.Buy6 && s.Exchange1)
        throw FileError(path, 0, 0, "[switches] buy6, exchange1",
                        "buying a sixth card and exchanging one card exclude each other",
                        "покупка 6 карты и обмен 1 карты исключают друг друга");
}

std::string RuleSetToml(const TRuleSet& s) {
    auto flag = [](bool b) { return b ? "true" : "false"; };
    std::string t = "# A rule set of Kvarlen: switches, payouts of the raise, prices in antes.\n"
                    "\n[switches]\n";
    t += "insurance = " + std::string(flag(s.Insurance)) + "\n";
    t += "ak_plays = " + std::string(flag(s.AKPlays)) + "\n";
    t += "buy6 = " + std::string(flag(s.Buy6)) + "\n";
    t += "exchange1 = " + std::string(flag(s.Exchange1)) + "\n";
    t += "dealer_game = \"" + std::string(kDealerGames[s.DealerGameBuy > 2 ? 0 : s.DealerGameBuy]) +
         "\"  # none, high or low\n";
    t += "ante_paid = " + std::string(flag(s.AntePaid)) + "\n\n[payouts]\n";
    for (size_t i = 0; i < 10; ++i)
        t += std::string(kPayKeys[i]) + " = " + std::to_string(s.Pay[i]) + "\n";
    t += "\n[prices]\n";
    const double prices[4] = {s.PriceChange1, s.PriceChange2, s.PriceBuy6, s.PriceBuyDealerGame};
    for (size_t i = 0; i < 4; ++i)
        t += std::string(kPriceKeys[i]) + " = " + RuleSetPriceText(prices[i], '.') + "\n";
    return t;
}

TRuleSet ParseRuleSet(const std::string& text, const std::string& name, const std::string& source) {
    toml::table root;
    try {
        root = toml::parse(text, source);
    } catch (const toml::parse_error& e) {
        const toml::source_position at = e.source().begin;
        throw FileError(source, static_cast<int>(at.line), static_cast<int>(at.column), "",
                        std::string(e.description()),
                        "синтаксическая ошибка TOML: " + std::string(e.description()));
    }
    const Reader r(source);
    const char* const tables[3] = {"switches", "payouts", "prices"};
    r.OnlyKnown(root, "", tables, 3);
    TRuleSet s;
    s.Name = name;
    const toml::table* sw = r.Table(root, "switches");
    const toml::table* pay = r.Table(root, "payouts");
    const toml::table* price = r.Table(root, "prices");
    if (sw) r.OnlyKnown(*sw, "[switches]", kSwitchKeys, 6);
    if (pay) r.OnlyKnown(*pay, "[payouts]", kPayKeys, 10);
    if (price) r.OnlyKnown(*price, "[prices]", kPriceKeys, 4);
    r.Flag(sw, "switches", "insurance", s.Insurance);
    r.Flag(sw, "switches", "ak_plays", s.AKPlays);
    r.Flag(sw, "switches", "buy6", s.Buy6);
    r.Flag(sw, "switches", "exchange1", s.Exchange1);
    r.DealerGame(sw, s.DealerGameBuy);
    r.Flag(sw, "switches", "ante_paid", s.AntePaid);
    for (size_t i = 0; i < 10; ++i) r.Payout(pay, kPayKeys[i], s.Pay[i]);
    r.Price(price, "change1", s.PriceChange1);
    r.Price(price, "change2", s.PriceChange2);
    r.Price(price, "buy6", s.PriceBuy6);
    r.Price(price, "dealer_game", s.PriceBuyDealerGame);
    if (s.Buy6 && s.Exchange1) {
        // Point at the switch that was written; buy6 may have been left to its default.
        const toml::node* node = sw ? sw->get("exchange1") : nullptr;
        const std::string key =
            sw && sw->get("buy6") ? "[switches] buy6, exchange1" : "[switches] exchange1";
        const std::string en =
            "buying a sixth card and exchanging one card exclude each other" +
            std::string(sw && sw->get("buy6") ? "" : " (buy6 is true when left out)");
        const std::string ru =
            "покупка 6 карты и обмен 1 карты исключают друг друга" +
            std::string(sw && sw->get("buy6") ? "" : " (buy6 без значения — true)");
        if (node) r.Fail(*node, key, en, ru);
        throw FileError(source, 0, 0, key, en, ru);
    }
    return s;
}

TRulesControls RuleSetControls(const TRuleSet& s, char separator) {
    TRulesControls c;
    c.Insurance = s.Insurance;
    c.AKPlays = s.AKPlays;
    c.DealerGameBuyIndex = s.DealerGameBuy;
    c.Exchange1 = s.Exchange1;
    c.AntePaidIndex = s.AntePaid ? 1 : 0;
    c.Buy6 = s.Buy6;
    // Three positions, as the masked fields show them.
    for (size_t i = 0; i < 10; ++i) {
        std::string text = std::to_string(s.Pay[i]);
        if (text.size() < 3) text.append(3 - text.size(), ' ');
        c.Pay[i] = text;
    }
    c.PriceChange1 = RuleSetPriceText(s.PriceChange1, separator);
    c.PriceChange2 = RuleSetPriceText(s.PriceChange2, separator);
    c.PriceBuy6 = RuleSetPriceText(s.PriceBuy6, separator);
    c.PriceBuyDealerGame = RuleSetPriceText(s.PriceBuyDealerGame, separator);
    return c;
}

TRuleSet RuleSetFromControls(const TRulesControls& c, const std::string& name) {
    TRuleSet s;
    s.Name = name;
    s.Insurance = c.Insurance;
    s.AKPlays = c.AKPlays;
    s.DealerGameBuy = (c.DealerGameBuyIndex == 1 || c.DealerGameBuyIndex == 2)
                          ? static_cast<uint8_t>(c.DealerGameBuyIndex)
                          : 0;
    s.Exchange1 = c.Exchange1;
    s.AntePaid = c.AntePaidIndex == 1;
    s.Buy6 = c.Buy6;
    // The bounds and messages of FillRules, which writes PayTable and so cannot be used here.
    for (size_t i = 0; i < 10; ++i) {
        const int32_t pay = StrToInt(c.Pay[i]);
        if (pay < 0 || pay > kMaxPayout) throw RulesRangeError(static_cast<int>(i), c.Pay[i]);
        s.Pay[i] = pay;
    }
    const std::string* texts[4] = {&c.PriceChange1, &c.PriceChange2, &c.PriceBuy6,
                                   &c.PriceBuyDealerGame};
    double* prices[4] = {&s.PriceChange1, &s.PriceChange2, &s.PriceBuy6, &s.PriceBuyDealerGame};
    for (size_t i = 0; i < 4; ++i) {
        const double v = StrToFloat(*texts[i]);
        if (!(v >= 0 && v <= kMaxPrice)) throw RulesRangeError(static_cast<int>(10 + i), *texts[i]);
        *prices[i] = v;
    }
    return s;
}

std::string RuleSetPriceText(double price, char separator) {
    std::string t = NumberText(price);
    if (t.find_first_of(".e") == std::string::npos) t += ".0";
    std::replace(t.begin(), t.end(), '.', separator);
    return t;
}

} // namespace kvarlen
