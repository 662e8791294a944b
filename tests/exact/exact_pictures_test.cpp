// The SVG pictures of exact results: well-formed XML whatever the texts, every cell and point
// drawn where its labels say, and the numbers in them those of the counts.
#include "cards/rule_sets_detail.h"
#include "exact/exact_pictures.h"

#include "exact/exact_report.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <set>
#include <sstream>

namespace kvarlen {
namespace {

// One element of a parsed picture: its name, attributes and the text directly inside it
// (entities replaced).
struct TElement {
    std::string Name;
    std::map<std::string, std::string> Attrs;
    std::string Text;
    int Parent = -1;

    double Num(const std::string& attr) const {
        const auto it = Attrs.find(attr);
        return it == Attrs.end() ? std::nan("") : std::stod(it->second);
    }
    std::string Attr(const std::string& attr) const {
        const auto it = Attrs.find(attr);
        return it == Attrs.end() ? "" : it->second;
    }
};

// Replaces the entities of s, or says which one is not XML's.
bool Unescape(const std::string& s, std::string* out, std::string* fault) {
    static const std::map<std::string, std::string> kNamed = {
        {"amp", "&"}, {"lt", "<"}, {"gt", ">"}, {"quot", "\""}, {"apos", "'"}};
    out->clear();
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '<') {
            *fault = "a raw '<' in '" + s + "'";
            return false;
        }
        if (s[i] != '&') {
            *out += s[i];
            continue;
        }
        const size_t semi = s.find(';', i);
        const std::string name = semi == std::string::npos ? "" : s.substr(i + 1, semi - i - 1);
        if (kNamed.count(name) > 0) {
            *out += kNamed.at(name);
        } else if (name.size() > 1 && name[0] == '#' &&
                   name.find_first_not_of("0123456789", 1) == std::string::npos) {
            *out += '?'; // a character reference: good XML, not needed as text here
        } else {
            *fault = "a raw '&' in '" + s + "'";
            return false;
        }
        i = semi;
    }
    return true;
}

// Parses one XML document: a declaration, then a single root element. Empty when it is
// well-formed (tags balance, attributes quoted and unique, no raw '&' or '<' in text), else
// what is wrong; the elements in document order go to `elements`.
std::string XmlFault(const std::string& s, std::vector<TElement>* elements) {
    if (!rule_sets_detail::ValidUtf8(s)) return "not UTF-8";
    size_t i = 0;
    if (s.rfind("<?xml", 0) == 0) {
        i = s.find("?>");
        if (i == std::string::npos) return "the declaration is not closed";
        i += 2;
    }
    std::vector<int> open;
    int roots = 0;
    std::string fault;
    auto isName = [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == ':' || c == '_';
    };
    while (i < s.size()) {
        const size_t lt = s.find('<', i);
        const std::string text = s.substr(i, lt == std::string::npos ? std::string::npos : lt - i);
        std::string plain;
        if (!Unescape(text, &plain, &fault)) return fault;
        if (open.empty()) {
            if (plain.find_first_not_of(" \r\n\t") != std::string::npos)
                return "text outside the root: '" + plain + "'";
        } else {
            (*elements)[static_cast<size_t>(open.back())].Text += plain;
        }
        if (lt == std::string::npos) break;
        i = lt + 1;
        if (s.compare(i, 3, "!--") == 0) {
            const size_t end = s.find("-->", i);
            if (end == std::string::npos) return "a comment is not closed";
            i = end + 3;
            continue;
        }
        if (s[i] == '/') {
            const size_t gt = s.find('>', i);
            if (gt == std::string::npos) return "an end tag is not closed";
            const std::string name = s.substr(i + 1, gt - i - 1);
            if (open.empty()) return "</" + name + "> closes nothing";
            const std::string& expect = (*elements)[static_cast<size_t>(open.back())].Name;
            if (name != expect) return "</" + name + "> closes <" + expect + ">";
            open.pop_back();
            if (open.empty()) ++roots;
            i = gt + 1;
            continue;
        }
        if (roots > 0) return "a second root element";
        TElement e;
        e.Parent = open.empty() ? -1 : open.back();
        while (i < s.size() && isName(s[i])) e.Name += s[i++];
        if (e.Name.empty()) return "a '<' without a name";
        bool closed = false;
        for (;;) {
            while (i < s.size() && std::isspace(static_cast<unsigned char>(s[i]))) ++i;
            if (i >= s.size()) return "<" + e.Name + " is not closed";
            if (s.compare(i, 2, "/>") == 0) {
                closed = true;
                i += 2;
                break;
            }
            if (s[i] == '>') {
                ++i;
                break;
            }
            std::string attr;
            while (i < s.size() && isName(s[i])) attr += s[i++];
            if (attr.empty() || i + 1 >= s.size() || s[i] != '=' || s[i + 1] != '"')
                return "<" + e.Name + ">: an attribute is not name=\"value\" at '" +
                       s.substr(i, 20) + "'";
            const size_t end = s.find('"', i + 2);
            if (end == std::string::npos) return "an attribute value is not closed";
            std::string value;
            if (!Unescape(s.substr(i + 2, end - i - 2), &value, &fault)) return fault;
            if (!e.Attrs.emplace(attr, value).second)
                return "<" + e.Name + "> has " + attr + " twice";
            i = end + 1;
        }
        elements->push_back(e);
        if (closed) {
            if (open.empty()) ++roots;
        } else {
            open.push_back(static_cast<int>(elements->size()) - 1);
        }
    }
    if (!open.empty())
        return "<" + (*elements)[static_cast<size_t>(open.back())].Name + "> is not closed";
    if (roots != 1) return "no root element";
    return "";
}

std::vector<TElement> Parsed(const std::string& svg) {
    std::vector<TElement> elements;
    const std::string fault = XmlFault(svg, &elements);
    EXPECT_EQ(fault, "");
    EXPECT_EQ(svg.rfind("<?xml", 0), 0u);
    EXPECT_FALSE(elements.empty());
    if (!elements.empty()) {
        EXPECT_EQ(elements.front().Name, "svg");
    }
    // Every coordinate a number: a division by an empty range shows as nan or inf.
    EXPECT_EQ(svg.find("nan"), std::string::npos);
    EXPECT_EQ(svg.find("inf"), std::string::npos);
    return elements;
}

std::vector<const TElement*> Named(const std::vector<TElement>& all, const std::string& name) {
    std::vector<const TElement*> out;
    for (const TElement& e : all)
        if (e.Name == name) out.push_back(&e);
    return out;
}

const TElement* TextOf(const std::vector<TElement>& all, const std::string& text) {
    for (const TElement& e : all)
        if (e.Name == "text" && e.Text == text) return &e;
    return nullptr;
}

bool HasTextContaining(const std::vector<TElement>& all, const std::string& part) {
    for (const TElement& e : all)
        if ((e.Name == "text" || e.Name == "title") && e.Text.find(part) != std::string::npos)
            return true;
    return false;
}

// The texts a reader sees, without a '.' when the separator is ','.
void ExpectNoPointInTexts(const std::vector<TElement>& all) {
    for (const TElement& e : all)
        if (e.Name == "text" || e.Name == "title") {
            EXPECT_EQ(e.Text.find('.'), std::string::npos) << e.Text;
        }
}

TEST(ExactPictures, XmlTextEscapesMarkupAndKeepsTheRest) {
    EXPECT_EQ(XmlText("a & b < c > \"d\" 'e' → ё"), "a &amp; b &lt; c &gt; &quot;d&quot; 'e' → ё");
    EXPECT_EQ(XmlText("&amp;"), "&amp;amp;");
    EXPECT_EQ(XmlText(""), "");
}

TEST(ExactPictures, SweepParameterCaptionsNameEachParameter) {
    std::set<std::string> en, ru;
    for (const char* name : {"price-buy6", "price-change1", "pay-ak", "pay-pair", "pay-two-pairs",
                             "pay-trips", "pay-straight", "pay-flush", "pay-full-house",
                             "pay-quads", "pay-straight-flush", "pay-royal"}) {
        const TSweepParameter p = SweepParameter(name);
        en.insert(SweepParameterCaption(p, TPictureLanguage::English));
        ru.insert(SweepParameterCaption(p, TPictureLanguage::Russian));
    }
    EXPECT_EQ(en.size(), 12u);
    EXPECT_EQ(ru.size(), 12u);
    EXPECT_EQ(SweepParameterCaption(SweepParameter("pay-flush"), TPictureLanguage::English),
              "payout of a flush, to 1");
    EXPECT_EQ(SweepParameterCaption(SweepParameter("pay-royal"), TPictureLanguage::English),
              "payout of a royal flush, to 1");
}

// ---- The decision chart ------------------------------------------------------------------

void SetCell(TExactResult& r, int dealt, int open, int decision, uint64_t deals, TExactInt sum) {
    r.Tally.Chart[dealt][open][decision].Deals = deals;
    r.Tally.Chart[dealt][open][decision].Sum = sum;
}

// Four cells with deals; prices that change the sign of some means.
TExactResult HandMadeResult() {
    TExactResult r;
    r.Mode = TExactMode::Ideal;
    r.Rules.PriceBuy6 = 1.5;
    r.Rules.PriceChange1 = 0.5;
    r.Complete = true;
    // pair against an ace: (-10 + 18 + 2 - 1.5 x 4) / 20
    SetCell(r, 3, 1, kDecisionPass, 10, -10);
    SetCell(r, 3, 1, kDecisionRaise, 6, 18);
    SetCell(r, 3, 1, kDecisionBuy, 4, 2);
    // nothing against a king, bought: (4 - 1.5 x 4) / 4
    SetCell(r, 1, 13, kDecisionBuy, 4, 4);
    // trips against a seven: (2 + 3 - 0.5 x 4) / 5
    SetCell(r, 5, 7, kDecisionRaise, 1, 2);
    SetCell(r, 5, 7, kDecisionExchange, 4, 3);
    // a royal flush against a ten: a sum beyond 64 bits
    SetCell(r, 11, 10, kDecisionRaise, 3, static_cast<TExactInt>(100000000000000000LL) * 1000);
    return r;
}

TEST(ExactPictures, ACellsMeanChargesThePriceOfEachDecision) {
    TExactResult r = HandMadeResult();
    long double mean = 7;
    ASSERT_TRUE(DecisionCellMean(r, 3, 1, &mean));
    EXPECT_NEAR(static_cast<double>(mean), 0.2, 1e-15);
    ASSERT_TRUE(DecisionCellMean(r, 1, 13, &mean));
    EXPECT_NEAR(static_cast<double>(mean), -0.5, 1e-15);
    ASSERT_TRUE(DecisionCellMean(r, 5, 7, &mean));
    EXPECT_NEAR(static_cast<double>(mean), 0.6, 1e-15);
    ASSERT_TRUE(DecisionCellMean(r, 11, 10, &mean));
    EXPECT_NEAR(static_cast<double>(mean / 1e20L), 1.0 / 3, 1e-15);
    mean = 7;
    EXPECT_FALSE(DecisionCellMean(r, 2, 2, &mean));
    EXPECT_EQ(mean, 7); // left as it was
    // Strategy play pays one ante for the sixth card whatever the price field says.
    r.Mode = TExactMode::Strategy;
    ASSERT_TRUE(DecisionCellMean(r, 1, 13, &mean));
    EXPECT_NEAR(static_cast<double>(mean), 0.0, 1e-15);
}

// The rects drawn for a cell's shares: those just before its group, side by side.
std::vector<const TElement*> ShareRects(const std::vector<TElement>& all, size_t group) {
    std::vector<const TElement*> out;
    // all[group - 1] is the band under the mean; the shares come before it.
    for (size_t k = group - 1; k-- > 0;) {
        const TElement& e = all[k];
        if (e.Name != "rect") break;
        if (!out.empty()) {
            const TElement& next = *out.front();
            if (e.Num("y") != next.Num("y") ||
                std::fabs(e.Num("x") + e.Num("width") - next.Num("x")) > 0.02)
                break;
        }
        out.insert(out.begin(), &e);
    }
    return out;
}

// The group (<g>) whose title starts with `tip`.
size_t GroupOf(const std::vector<TElement>& all, const std::string& tip) {
    for (size_t k = 0; k + 1 < all.size(); ++k)
        if (all[k].Name == "g" && all[k + 1].Name == "title" && all[k + 1].Text.rfind(tip, 0) == 0)
            return k;
    ADD_FAILURE() << "no cell " << tip;
    return 0;
}

// The fill of the legend's box beside a decision's name.
std::string LegendFill(const std::vector<TElement>& all, const std::string& name) {
    for (size_t k = 1; k < all.size(); ++k)
        if (all[k].Name == "text" && all[k].Text == name && all[k - 1].Name == "rect")
            return all[k - 1].Attr("fill");
    ADD_FAILURE() << "no legend for " << name;
    return "";
}

TEST(ExactPictures, DecisionChartDrawsEachCellUnderItsLabelsWithItsShares) {
    const TExactResult r = HandMadeResult();
    const std::vector<TElement> all =
        Parsed(DecisionChartSvg(r, 980, 600, TPictureLanguage::English, '.'));
    const std::string pass = LegendFill(all, "pass"), raise = LegendFill(all, "raise"),
                      buy = LegendFill(all, "buy"), exchange = LegendFill(all, "exchange");
    EXPECT_EQ((std::set<std::string>{pass, raise, buy, exchange}).size(), 4u);

    // Columns in the order of rank, the ace last.
    const char* const open[13] = {"2", "3", "4", "5", "6", "7", "8", "9", "10", "J", "Q", "K", "A"};
    double lastX = -1;
    for (const char* name : open) {
        const TElement* t = TextOf(all, name);
        ASSERT_NE(t, nullptr) << name;
        EXPECT_GT(t->Num("x"), lastX) << name;
        lastX = t->Num("x");
    }
    struct TCase {
        std::string Tip, Row, Column, Mean;
        std::vector<std::pair<std::string, uint64_t>> Shares; // fill, deals
    };
    const TCase cases[] = {
        {"pair, A: 20 deals", "pair", "A", "+0.20", {{pass, 10}, {raise, 6}, {buy, 4}}},
        {"nothing, K: 4 deals", "nothing", "K", "-0.50", {{buy, 4}}},
        {"trips, 7: 5 deals", "trips", "7", "+0.60", {{raise, 1}, {exchange, 4}}},
    };
    double cellWidth = 0, cellHeight = 0;
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Tip);
        const size_t g = GroupOf(all, c.Tip);
        ASSERT_GT(g, 0u);
        // The mean in the cell, as a number with its sign.
        ASSERT_TRUE(g + 2 < all.size());
        EXPECT_EQ(all[g + 2].Name, "text");
        EXPECT_EQ(all[g + 2].Text, c.Mean);
        EXPECT_NE(all[g + 1].Text.find("mean result " + c.Mean.substr(c.Mean[0] == '+')),
                  std::string::npos)
            << all[g + 1].Text;
        const std::vector<const TElement*> rects = ShareRects(all, g);
        ASSERT_EQ(rects.size(), c.Shares.size());
        uint64_t deals = 0;
        double width = 0;
        for (const auto& s : c.Shares) deals += s.second;
        for (const TElement* e : rects) width += e->Num("width");
        for (size_t k = 0; k < rects.size(); ++k) {
            EXPECT_EQ(rects[k]->Attr("fill"), c.Shares[k].first) << k;
            EXPECT_NEAR(
                rects[k]->Num("width"),
                width * static_cast<double>(c.Shares[k].second) / static_cast<double>(deals), 0.03)
                << k;
        }
        // Under its column's name and beside its row's.
        const TElement* column = TextOf(all, c.Column);
        const TElement* row = TextOf(all, c.Row);
        ASSERT_NE(column, nullptr);
        ASSERT_NE(row, nullptr);
        const double x = rects.front()->Num("x"), y = rects.front()->Num("y");
        const double h = rects.front()->Num("height");
        EXPECT_LT(x, column->Num("x"));
        EXPECT_GT(x + width, column->Num("x"));
        EXPECT_LT(y, row->Num("y"));
        EXPECT_GT(y + h, row->Num("y"));
        EXPECT_LT(column->Num("y"), y);
        EXPECT_LT(row->Num("x"), x);
        cellWidth = width;
        cellHeight = h;
    }
    // The other cells are drawn empty: a whole cell of one colour that is no decision's, and no
    // mean in them.
    int empty = 0;
    std::set<std::string> emptyFills;
    for (const TElement* e : Named(all, "rect"))
        if (std::fabs(e->Num("width") - cellWidth) < 0.03 &&
            std::fabs(e->Num("height") - cellHeight) < 0.03 &&
            std::set<std::string>{pass, raise, buy, exchange}.count(e->Attr("fill")) == 0) {
            ++empty;
            emptyFills.insert(e->Attr("fill"));
        }
    EXPECT_EQ(empty, 11 * 13 - 4);
    EXPECT_EQ(emptyFills.size(), 1u);
    EXPECT_EQ(Named(all, "g").size(), 4u);
    EXPECT_FALSE(HasTextContaining(all, "stopped"));
}

TEST(ExactPictures, DecisionChartInRussianWithACommaAndStopped) {
    TExactResult r = HandMadeResult();
    r.Complete = false;
    const std::vector<TElement> all =
        Parsed(DecisionChartSvg(r, 980, 600, TPictureLanguage::Russian, ','));
    EXPECT_EQ(all[GroupOf(all, "пара, A: 20 раздач") + 2].Text, "+0,20");
    EXPECT_TRUE(HasTextContaining(all, "остановлен"));
    ExpectNoPointInTexts(all);
    const std::vector<TElement> en =
        Parsed(DecisionChartSvg(r, 980, 600, TPictureLanguage::English, '.'));
    EXPECT_TRUE(HasTextContaining(en, "stopped"));
    // Strategy play: the price of one ante makes the bought cell even, shown without a sign.
    r.Mode = TExactMode::Strategy;
    const std::vector<TElement> strategy =
        Parsed(DecisionChartSvg(r, 980, 600, TPictureLanguage::English, '.'));
    EXPECT_EQ(strategy[GroupOf(strategy, "nothing, K: 4 deals") + 2].Text, "0.00");
    // Too small a size is drawn at the smallest that holds the labels, still whole.
    Parsed(DecisionChartSvg(r, 10, 10, TPictureLanguage::English, '.'));
}

// Real runs in every mode, a price that is not whole: the cells add up to the net result and
// the deals of the run, and the pictures are well-formed in both languages.
TEST(ExactPictures, DecisionChartOfRealRunsAddsUpToTheirNetResults) {
    struct TCase {
        TExactMode Mode;
        bool Buy, Exchange;
        int Part;
    };
    for (const TCase& c :
         {TCase{TExactMode::Optimal, true, false, 3}, TCase{TExactMode::Ideal, true, false, 4},
          TCase{TExactMode::Strategy, true, false, 5}, TCase{TExactMode::Ideal, false, true, 6}}) {
        TExactSettings s;
        s.Mode = c.Mode;
        s.Rules.Buy6 = c.Buy;
        s.Rules.Exchange1 = c.Exchange;
        s.Rules.PriceBuy6 = 1.25;
        s.Rules.PriceChange1 = 0.75;
        s.Threads = 2;
        s.PartIndex = c.Part;
        s.PartCount = 300;
        const TExactResult r = RunExact(s);
        SCOPED_TRACE(ExactModeName(c.Mode) + (c.Exchange ? " exchange" : " buy"));
        ASSERT_TRUE(r.Complete);
        long double net = 0;
        uint64_t deals = 0;
        size_t cells = 0;
        for (int dealt = 1; dealt <= 11; ++dealt)
            for (int open = 1; open <= 13; ++open) {
                uint64_t n = 0;
                for (int d = 0; d < kDecisions; ++d) n += r.Tally.Chart[dealt][open][d].Deals;
                long double mean = 0;
                EXPECT_EQ(DecisionCellMean(r, dealt, open, &mean), n > 0);
                if (n == 0) continue;
                net += mean * static_cast<long double>(n);
                deals += n;
                ++cells;
            }
        const TExactSummary summary = SummarizeExact(r);
        EXPECT_EQ(static_cast<TExactUInt>(deals), summary.Deals);
        EXPECT_NEAR(static_cast<double>(net / summary.NetValue), 1.0, 1e-12);
        for (TPictureLanguage language : {TPictureLanguage::English, TPictureLanguage::Russian}) {
            const bool ru = language == TPictureLanguage::Russian;
            const std::vector<TElement> all =
                Parsed(DecisionChartSvg(r, 980, 600, language, ru ? ',' : '.'));
            EXPECT_EQ(Named(all, "g").size(), cells);
            if (ru) ExpectNoPointInTexts(all);
        }
    }
}

// ---- The sweep chart ---------------------------------------------------------------------

struct TPayScope {
    TPayTable Saved = PayTable;
    ~TPayScope() { PayTable = Saved; }
};

std::vector<TExactResult> SweepPoints(const TSweepPlan& plan) {
    TExactSettings s;
    s.Mode = TExactMode::Optimal;
    s.Threads = 2;
    s.PartIndex = 1;
    s.PartCount = 200;
    return RunExactSweep(s, kDefaultPayTable, plan);
}

TEST(ExactPictures, SweepCurveSortsThePointsAndLeavesOutIncompleteOnes) {
    TPayScope scope;
    const TSweepPlan plan = ParseSweep("pay-flush=6,2,4,5");
    std::vector<TExactResult> points = SweepPoints(plan);
    ASSERT_EQ(points.size(), 4u);
    const TSweepCurve c = SweepCurveOf(plan, points, 5, TPictureLanguage::English, '.');
    EXPECT_EQ(c.Values, (std::vector<double>{2, 4, 5, 6}));
    ASSERT_EQ(c.Edges.size(), 4u);
    ASSERT_EQ(c.Risks.size(), 4u);
    const size_t from[4] = {1, 2, 3, 0}; // the plan's index of each sorted value
    for (size_t i = 0; i < 4; ++i) {
        const TExactSummary s = SummarizeExact(points[from[i]]);
        EXPECT_NEAR(c.Edges[i], HouseEdgePercent(points[from[i]]), 1e-12) << i;
        EXPECT_NEAR(c.Risks[i], static_cast<double>(100 * s.ElementOfRisk), 1e-12) << i;
    }
    EXPECT_EQ(c.Current, 2);
    EXPECT_FALSE(c.HasTarget);
    EXPECT_FALSE(c.HasSolution);
    EXPECT_EQ(SweepCurveOf(plan, points, 3, TPictureLanguage::English, '.').Current, -1);
    EXPECT_EQ(SweepCurveOf(plan, points, std::nan(""), TPictureLanguage::English, '.').Current, -1);

    points[1].Complete = false; // the point at 2
    TSweepCurve partial = SweepCurveOf(plan, points, 5, TPictureLanguage::Russian, ',');
    EXPECT_EQ(partial.Values, (std::vector<double>{4, 5, 6}));
    EXPECT_EQ(partial.Edges.size(), 3u);
    EXPECT_EQ(partial.Current, 1);
    points[3].Complete = false; // the point of the rules in force
    partial = SweepCurveOf(plan, points, 5, TPictureLanguage::English, '.');
    EXPECT_EQ(partial.Values, (std::vector<double>{4, 6}));
    EXPECT_EQ(partial.Current, -1);
}

TEST(ExactPictures, InterpolatedCrossingIsTheLineBetweenTheEnclosingPoints) {
    TSweepCurve c;
    c.Values = {0, 10, 20};
    c.Edges = {5, 3, -1};
    c.Risks = {2, 1, 0};
    double at = -7;
    ASSERT_TRUE(InterpolatedCrossing(c, 2, &at));
    EXPECT_DOUBLE_EQ(at, 12.5);
    ASSERT_TRUE(InterpolatedCrossing(c, 4, &at));
    EXPECT_DOUBLE_EQ(at, 5);
    ASSERT_TRUE(InterpolatedCrossing(c, 5, &at));
    EXPECT_DOUBLE_EQ(at, 0);
    ASSERT_TRUE(InterpolatedCrossing(c, 3, &at));
    EXPECT_DOUBLE_EQ(at, 10);
    ASSERT_TRUE(InterpolatedCrossing(c, -1, &at));
    EXPECT_DOUBLE_EQ(at, 20);
    at = -7;
    EXPECT_FALSE(InterpolatedCrossing(c, 5.5, &at));
    EXPECT_FALSE(InterpolatedCrossing(c, -1.5, &at));
    EXPECT_EQ(at, -7);
    // A rising curve too.
    c.Edges = {-1, 1, 3};
    ASSERT_TRUE(InterpolatedCrossing(c, 2, &at));
    EXPECT_DOUBLE_EQ(at, 15);
    EXPECT_FALSE(InterpolatedCrossing(TSweepCurve{}, 2, &at));
}

// A polyline's points.
std::vector<std::pair<double, double>> Points(const TElement& line) {
    std::vector<std::pair<double, double>> out;
    std::string s = line.Attr("points");
    for (char& ch : s)
        if (ch == ',') ch = ' ';
    std::istringstream in(s);
    double x = 0, y = 0;
    while (in >> x >> y) out.emplace_back(x, y);
    return out;
}

// y = a + b v through every point, b as the sign asks; the line found.
bool Linear(const std::vector<double>& v, const std::vector<double>& y, double* a, double* b) {
    if (v.size() < 2 || v.size() != y.size() || v.back() == v.front()) return false;
    *b = (y.back() - y.front()) / (v.back() - v.front());
    *a = y.front() - *b * v.front();
    for (size_t i = 0; i < v.size(); ++i)
        if (std::fabs(*a + *b * v[i] - y[i]) > 0.02) return false;
    return true;
}

TSweepCurve HandMadeCurve() {
    TSweepCurve c;
    c.Title = "Edge";
    c.Axis = "payout";
    c.Values = {0, 10, 20};
    c.Edges = {5, 3, -1};
    c.Risks = {2.5, 1, 0.5}; // not in proportion to the edges: each line is told by its own
    return c;
}

TEST(ExactPictures, SweepChartDrawsTheCurvesByValueAndRingsTheRulesInForce) {
    TPayScope scope;
    const TSweepPlan plan = ParseSweep("pay-flush=6,2,4,5");
    const TSweepCurve c = SweepCurveOf(plan, SweepPoints(plan), 5, TPictureLanguage::English, '.');
    const std::vector<TElement> all = Parsed(SweepChartSvg(c, 900, 540));
    const std::vector<const TElement*> lines = Named(all, "polyline");
    ASSERT_EQ(lines.size(), 2u);
    // One line is the house edge, the other the element of risk, each against the values in
    // order: x rises with the value, y falls as the per cent rises.
    std::vector<double> edgeY, riskY;
    double ax = 0, bx = 0;
    for (const TElement* line : lines) {
        const auto pts = Points(*line);
        ASSERT_EQ(pts.size(), c.Values.size());
        std::vector<double> xs, ys;
        for (const auto& p : pts) {
            xs.push_back(p.first);
            ys.push_back(p.second);
        }
        ASSERT_TRUE(Linear(c.Values, xs, &ax, &bx));
        EXPECT_GT(bx, 0);
        double a = 0, b = 0;
        if (Linear(c.Edges, ys, &a, &b)) {
            EXPECT_LT(b, 0);
            edgeY = ys;
        } else if (Linear(c.Risks, ys, &a, &b)) {
            EXPECT_LT(b, 0);
            riskY = ys;
        }
    }
    ASSERT_EQ(edgeY.size(), 4u);
    ASSERT_EQ(riskY.size(), 4u);
    // Both points of the rules in force ringed; a label with the value and the edge.
    const double x = ax + bx * 5;
    int rings = 0;
    for (const TElement* e : Named(all, "circle"))
        if (e->Attr("fill") == "none" && std::fabs(e->Num("cx") - x) < 0.02 &&
            (std::fabs(e->Num("cy") - edgeY[2]) < 0.02 ||
             std::fabs(e->Num("cy") - riskY[2]) < 0.02))
            ++rings;
    EXPECT_EQ(rings, 2);
    char label[64];
    std::snprintf(label, sizeof label, "rules: 5 → %.3f %%", c.Edges[2]);
    EXPECT_NE(TextOf(all, label), nullptr) << label;
    // Nothing ringed where the rules in force are not swept.
    TSweepCurve none = c;
    none.Current = -1;
    const std::vector<TElement> plain = Parsed(SweepChartSvg(none, 900, 540));
    EXPECT_FALSE(HasTextContaining(plain, "rules"));
    for (const TElement* e : Named(plain, "circle")) EXPECT_NE(e->Attr("fill"), "none");
}

// The scale of a chart: x = AX + BX value and y = AY + BY edge, read off the house edge's line.
struct TScale {
    double AX = 0, BX = 0, AY = 0, BY = 0;
};
bool ScaleOf(const std::vector<TElement>& all, const TSweepCurve& c, TScale* s) {
    for (const TElement* line : Named(all, "polyline")) {
        std::vector<double> xs, ys;
        for (const auto& p : Points(*line)) {
            xs.push_back(p.first);
            ys.push_back(p.second);
        }
        if (Linear(c.Values, xs, &s->AX, &s->BX) && Linear(c.Edges, ys, &s->AY, &s->BY))
            return true;
    }
    return false;
}

// A line across the whole plot at height y.
bool HasLineAcross(const std::vector<TElement>& all, const TScale& s, const TSweepCurve& c,
                   double y) {
    const double from = s.AX + s.BX * c.Values.front(), to = s.AX + s.BX * c.Values.back();
    for (const TElement* e : Named(all, "line"))
        if (std::fabs(e->Num("y1") - y) < 0.02 && std::fabs(e->Num("y2") - y) < 0.02 &&
            std::min(e->Num("x1"), e->Num("x2")) <= from + 0.02 &&
            std::max(e->Num("x1"), e->Num("x2")) >= to - 0.02)
            return true;
    return false;
}

TEST(ExactPictures, SweepChartLabelsTheTargetAndACrossingWithinThePoints) {
    TSweepCurve c = HandMadeCurve();
    c.HasTarget = true;
    c.Target = 2;
    c.HasSolution = true;
    c.Solution = 12.5;
    c.SolutionText = "12.5 = 25/2";
    const std::vector<TElement> all = Parsed(SweepChartSvg(c, 900, 540));
    ASSERT_NE(TextOf(all, "12.5 = 25/2"), nullptr);
    EXPECT_NE(TextOf(all, "target 2 %"), nullptr);
    // The target line at the height of 2 % by the curve's own scale; the crossing ringed on it.
    TScale s;
    ASSERT_TRUE(ScaleOf(all, c, &s));
    const double ty = s.AY + s.BY * 2, tx = s.AX + s.BX * 12.5;
    EXPECT_TRUE(HasLineAcross(all, s, c, ty));
    bool ring = false;
    for (const TElement* e : Named(all, "circle"))
        ring = ring || (std::fabs(e->Num("cx") - tx) < 0.02 && std::fabs(e->Num("cy") - ty) < 0.02);
    EXPECT_TRUE(ring);

    // A solution beyond the points is not drawn among them.
    for (double outside : {-0.5, 20.5, 400.0}) {
        TSweepCurve far = c;
        far.Solution = outside;
        EXPECT_EQ(TextOf(Parsed(SweepChartSvg(far, 900, 540)), "12.5 = 25/2"), nullptr) << outside;
    }
    // No target, no crossing.
    TSweepCurve untargeted = c;
    untargeted.HasTarget = false;
    const std::vector<TElement> bare = Parsed(SweepChartSvg(untargeted, 900, 540));
    EXPECT_EQ(TextOf(bare, "12.5 = 25/2"), nullptr);
    EXPECT_FALSE(HasTextContaining(bare, "target"));
    // A target beyond the curves widens the scale to hold its line; Russian, with a comma.
    TSweepCurve high = c;
    high.Target = 30.5;
    high.HasSolution = false;
    high.Language = TPictureLanguage::Russian;
    high.Sep = ',';
    const std::vector<TElement> wide = Parsed(SweepChartSvg(high, 900, 540));
    ASSERT_TRUE(ScaleOf(wide, high, &s));
    const double hy = s.AY + s.BY * 30.5;
    EXPECT_GT(hy, 0);
    EXPECT_LT(hy, 540);
    EXPECT_TRUE(HasLineAcross(wide, s, high, hy));
    EXPECT_NE(TextOf(wide, "цель 30,5 %"), nullptr);
}

// Every kind of sweep chart, in both languages, with texts that need escaping.
TEST(ExactPictures, SweepChartsOfEveryKindAreWellFormed) {
    TPayScope scope;
    const TSweepPlan plan = ParseSweep("price-buy6=0:2:0.25");
    const std::vector<TExactResult> points = SweepPoints(plan);
    for (TPictureLanguage language : {TPictureLanguage::English, TPictureLanguage::Russian}) {
        const bool ru = language == TPictureLanguage::Russian;
        const char sep = ru ? ',' : '.';
        std::vector<TSweepCurve> curves;
        TSweepCurve real = SweepCurveOf(plan, points, 1, language, sep);
        ASSERT_EQ(real.Current, 4);
        curves.push_back(real);
        real.HasTarget = true;
        real.Target = ru ? -0.05 : 0.5;
        real.HasSolution = true;
        real.Solution = 1.1;
        real.SolutionText = ru ? "1,1 = 11/10" : "1.1 = 11/10";
        real.Note = ru ? "заметка" : "a note";
        curves.push_back(real);
        TSweepCurve empty = real;
        empty.Values.clear();
        empty.Edges.clear();
        empty.Risks.clear();
        empty.Current = -1;
        curves.push_back(empty);
        TSweepCurve one = real;
        one.Values.resize(1);
        one.Edges.resize(1);
        one.Risks.resize(1);
        one.Current = 0;
        one.Solution = one.Values[0];
        curves.push_back(one);
        TSweepCurve flat = one;
        flat.Values = {3, 4};
        flat.Edges = {0, 0};
        flat.Risks = {0, 0};
        flat.HasTarget = false;
        curves.push_back(flat);
        for (const TSweepCurve& c : curves) {
            SCOPED_TRACE(std::to_string(c.Values.size()) + " points" + (ru ? ", ru" : ""));
            const std::vector<TElement> all = Parsed(SweepChartSvg(c, 900, 540));
            if (ru) ExpectNoPointInTexts(all);
            for (const TElement* e : Named(all, "circle")) {
                EXPECT_GE(e->Num("cx"), 0);
                EXPECT_LE(e->Num("cx"), 900);
                EXPECT_GE(e->Num("cy"), 0);
                EXPECT_LE(e->Num("cy"), 540);
            }
        }
    }
    // Texts from outside are escaped and read back as they were.
    TSweepCurve odd = HandMadeCurve();
    odd.Title = "A & B <c> \"d\"";
    odd.Axis = "x < 3 & y > 2";
    odd.Note = "R&D";
    odd.HasTarget = true;
    odd.Target = 2;
    odd.HasSolution = true;
    odd.Solution = 12.5;
    odd.SolutionText = "<12.5 & more>";
    const std::vector<TElement> all = Parsed(SweepChartSvg(odd, 900, 540));
    for (const char* text : {"A & B <c> \"d\"", "x < 3 & y > 2", "R&D", "<12.5 & more>"})
        EXPECT_NE(TextOf(all, text), nullptr) << text;
    ASSERT_EQ(Named(all, "title").size(), 1u);
    EXPECT_EQ(Named(all, "title").front()->Text, odd.Title);
}

} // namespace
} // namespace kvarlen
