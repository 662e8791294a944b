#include "exact/exact_pictures.h"

#include "exact/exact_report.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numeric>

namespace kvarlen {

namespace {

bool Ru(TPictureLanguage l) {
    return l == TPictureLanguage::Russian;
}

std::string Num(double v, int decimals, char sep) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*f", decimals, v);
    std::string s = buf;
    for (char& c : s)
        if (c == '.') c = sep;
    if (s[0] == '-' && s.find_first_not_of("-0.,") == std::string::npos) s.erase(0, 1);
    return s;
}

// At most six decimals, no trailing zeros.
std::string Trimmed(double v, char sep) {
    std::string s = Num(v, 6, sep);
    if (s.find(sep) != std::string::npos) {
        while (s.back() == '0') s.pop_back();
        if (s.back() == sep) s.pop_back();
    }
    return s;
}

// Two places for an attribute: coordinates need no more.
std::string P(double v) {
    return Num(v, 2, '.');
}

// A step of 1, 2 or 5 times a power of ten giving about `ticks` intervals over span.
double NiceStep(double span, int ticks) {
    if (!(span > 0)) return 1;
    const double raw = span / ticks;
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    const double m = raw / power;
    return (m <= 1 ? 1 : m <= 2 ? 2 : m <= 5 ? 5 : 10) * power;
}

int StepDecimals(double step) {
    int d = 0;
    while (d < 8 && std::fabs(step * std::pow(10.0, d) - std::round(step * std::pow(10.0, d))) >
                        1e-6 * step * std::pow(10.0, d))
        ++d;
    return d;
}

class TSvg {
  public:
    TSvg(int w, int h, const std::string& title) {
        out_ =
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<svg xmlns=\"http://www.w3.org/2000/svg\" "
            "version=\"1.2\" baseProfile=\"tiny\" width=\"" +
            std::to_string(w) + "\" height=\"" + std::to_string(h) + "\" viewBox=\"0 0 " +
            std::to_string(w) + " " + std::to_string(h) +
            "\" font-family=\"DejaVu Sans, Arial, sans-serif\" font-size=\"12\">\n<title>" +
            XmlText(title) + "</title>\n<rect x=\"0\" y=\"0\" width=\"" + std::to_string(w) +
            "\" height=\"" + std::to_string(h) + "\" fill=\"#ffffff\"/>\n";
    }
    void Line(double x1, double y1, double x2, double y2, const std::string& stroke, double width,
              const std::string& extra = "") {
        out_ += "<line x1=\"" + P(x1) + "\" y1=\"" + P(y1) + "\" x2=\"" + P(x2) + "\" y2=\"" +
                P(y2) + "\" stroke=\"" + stroke + "\" stroke-width=\"" + P(width) + "\"" + extra +
                "/>\n";
    }
    void Rect(double x, double y, double w, double h, const std::string& fill,
              const std::string& extra = "") {
        out_ += "<rect x=\"" + P(x) + "\" y=\"" + P(y) + "\" width=\"" + P(w) + "\" height=\"" +
                P(h) + "\" fill=\"" + fill + "\"" + extra + "/>\n";
    }
    void Circle(double x, double y, double r, const std::string& fill, const std::string& extra) {
        out_ += "<circle cx=\"" + P(x) + "\" cy=\"" + P(y) + "\" r=\"" + P(r) + "\" fill=\"" +
                fill + "\"" + extra + "/>\n";
    }
    void Text(double x, double y, const std::string& text, const std::string& anchor = "start",
              const std::string& extra = "") {
        out_ += "<text x=\"" + P(x) + "\" y=\"" + P(y) + "\" text-anchor=\"" + anchor + "\"" +
                extra + ">" + XmlText(text) + "</text>\n";
    }
    // Text on a white box, readable over the lines it crosses (the width is estimated from the
    // characters: a renderer gives no metrics here).
    void Label(double x, double y, const std::string& text, const std::string& anchor,
               const std::string& extra, double fontSize = 12) {
        size_t chars = 0;
        for (unsigned char ch : text) chars += (ch & 0xC0) != 0x80;
        const double w = static_cast<double>(chars) * fontSize * 0.62 + 6;
        const double bx = anchor == "end" ? x - w + 3 : anchor == "middle" ? x - w / 2 : x - 3;
        Rect(bx, y - fontSize, w, fontSize + 5, "#ffffff", " fill-opacity=\"0.85\"");
        Text(x, y, text, anchor, extra);
    }
    void Raw(const std::string& s) { out_ += s; }
    std::string Done() { return out_ + "</svg>\n"; }

  private:
    std::string out_;
};

const char* const kBlue = "#1f5fbf";
const char* const kOrange = "#d9822b";
const char* const kRed = "#c62828";

} // namespace

std::string XmlText(const std::string& s) {
    std::string out;
    out.reserve(s.size());
    for (char c : s) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

std::string SweepParameterCaption(const TSweepParameter& p, TPictureLanguage language) {
    static const char* const kEn[11] = {"",      "ace + king",       "a pair",       "two pairs",
                                        "trips", "a straight",       "a flush",      "a full house",
                                        "quads", "a straight flush", "a royal flush"};
    static const char* const kRu[11] = {"",       "туз+король", "пару", "две пары",
                                        "тройню", "стрит",      "флэш", "фуллхаус",
                                        "каре",   "стритфлэш",  "рояль"};
    if (p.Payout > 0)
        return Ru(language) ? std::string("выплата за ") + kRu[p.Payout] + ", к 1"
                            : std::string("payout of ") + kEn[p.Payout] + ", to 1";
    if (p.Buy6) return Ru(language) ? "цена 6-й карты, анте" : "price of the sixth card, antes";
    return Ru(language) ? "цена обмена 1 карты, анте" : "price of exchanging one card, antes";
}

TSweepCurve SweepCurveOf(const TSweepPlan& plan, const std::vector<TExactResult>& points,
                         double current, TPictureLanguage language, char sep) {
    TSweepCurve c;
    c.Language = language;
    c.Sep = sep;
    c.Axis = SweepParameterCaption(plan.Parameter, language);
    const std::string mode = points.empty() ? "" : ExactModeName(points.front().Mode);
    if (Ru(language)) {
        const std::string m = mode == "optimal"    ? "лучшая игра"
                              : mode == "strategy" ? "игра по стратегии"
                                                   : "идеальная игра";
        c.Title = "Край дома и элемент риска, " + m;
    } else {
        c.Title = "House edge and element of risk, " +
                  (mode == "optimal" ? std::string("best") : mode) + " play";
    }
    std::vector<size_t> order(std::min(plan.Values.size(), points.size()));
    std::iota(order.begin(), order.end(), size_t{0});
    std::stable_sort(order.begin(), order.end(),
                     [&](size_t a, size_t b) { return plan.Values[a] < plan.Values[b]; });
    for (size_t k : order) {
        if (!points[k].Complete) continue;
        const TExactSummary s = SummarizeExact(points[k]);
        if (plan.Values[k] == current && c.Current < 0)
            c.Current = static_cast<int>(c.Values.size());
        c.Values.push_back(plan.Values[k]);
        c.Edges.push_back(static_cast<double>(100.0L * s.HouseEdge));
        c.Risks.push_back(static_cast<double>(100.0L * s.ElementOfRisk));
    }
    return c;
}

bool InterpolatedCrossing(const TSweepCurve& curve, double target, double* value) {
    for (size_t i = 0; i + 1 < curve.Values.size(); ++i) {
        const double e0 = curve.Edges[i] - target, e1 = curve.Edges[i + 1] - target;
        if (e0 == 0) {
            *value = curve.Values[i];
            return true;
        }
        if ((e0 < 0) != (e1 < 0) || e1 == 0) {
            *value = curve.Values[i] + (curve.Values[i + 1] - curve.Values[i]) * e0 / (e0 - e1);
            return true;
        }
    }
    return false;
}

std::string SweepChartSvg(const TSweepCurve& c, int width, int height) {
    const bool ru = Ru(c.Language);
    width = std::max(width, 240);
    height = std::max(height, 180);
    TSvg svg(width, height, c.Title);
    const double left = 62, right = 18, top = c.Note.empty() ? 34 : 50, bottom = 62;
    const double x0 = left, x1 = width - right, y0 = top, y1 = height - bottom;
    svg.Text(width / 2.0, 20, c.Title, "middle", " font-size=\"14\" font-weight=\"bold\"");
    if (!c.Note.empty()) svg.Text(width / 2.0, 38, c.Note, "middle", " fill=\"#555555\"");
    if (c.Values.empty()) {
        svg.Text(width / 2.0, height / 2.0, ru ? "нет точек" : "no points", "middle");
        return svg.Done();
    }
    double vmin = c.Values.front(), vmax = c.Values.back();
    if (vmax - vmin <= 0) {
        vmin -= 0.5;
        vmax += 0.5;
    }
    double lo = 0, hi = 0; // the zero line is always in view: it tells house from player
    for (size_t i = 0; i < c.Values.size(); ++i) {
        lo = std::min({lo, c.Edges[i], c.Risks[i]});
        hi = std::max({hi, c.Edges[i], c.Risks[i]});
    }
    if (c.HasTarget) {
        lo = std::min(lo, c.Target);
        hi = std::max(hi, c.Target);
    }
    if (hi - lo <= 0) hi = lo + 1;
    const double ystep = NiceStep(hi - lo, 6);
    lo = std::floor(lo / ystep - 1e-9) * ystep;
    hi = std::ceil(hi / ystep + 1e-9) * ystep;
    auto X = [&](double v) { return x0 + (v - vmin) / (vmax - vmin) * (x1 - x0); };
    auto Y = [&](double e) { return y1 - (e - lo) / (hi - lo) * (y1 - y0); };

    // Grid and axes.
    const int yd = StepDecimals(ystep);
    for (double e = lo; e <= hi + ystep * 1e-6; e += ystep) {
        const double y = Y(e);
        const bool zero = std::fabs(e) < ystep * 1e-6;
        svg.Line(x0, y, x1, y, zero ? "#888888" : "#e3e3e3", zero ? 1.2 : 1);
        svg.Text(x0 - 6, y + 4, Num(e, yd, c.Sep), "end");
    }
    const double xstep = NiceStep(vmax - vmin, std::max(2, static_cast<int>((x1 - x0) / 80)));
    const int xd = StepDecimals(xstep);
    for (double v = std::ceil(vmin / xstep - 1e-9) * xstep; v <= vmax + xstep * 1e-6; v += xstep) {
        const double x = X(v);
        svg.Line(x, y0, x, y1, "#eeeeee", 1);
        svg.Line(x, y1, x, y1 + 4, "#555555", 1);
        svg.Text(x, y1 + 17, Num(v, xd, c.Sep), "middle");
    }
    svg.Line(x0, y1, x1, y1, "#555555", 1);
    svg.Line(x0, y0, x0, y1, "#555555", 1);
    svg.Text(width / 2.0, y1 + 33, c.Axis, "middle");
    svg.Raw("<text x=\"14\" y=\"" + P((y0 + y1) / 2) +
            "\" text-anchor=\"middle\" transform=\"rotate(-90 14 " + P((y0 + y1) / 2) +
            ")\">%</text>\n");

    // The target and its crossing, under the curves.
    if (c.HasTarget) {
        const double y = Y(c.Target);
        svg.Line(x0, y, x1, y, kRed, 1.4, " stroke-dasharray=\"6,4\"");
        if (c.HasSolution && c.Solution >= vmin && c.Solution <= vmax)
            svg.Line(X(c.Solution), y, X(c.Solution), y1, kRed, 1, " stroke-dasharray=\"2,3\"");
    }

    auto curve = [&](const std::vector<double>& ys, const char* colour, const std::string& dash) {
        std::string pts;
        for (size_t i = 0; i < c.Values.size(); ++i) {
            if (i > 0) pts += ' ';
            pts += P(X(c.Values[i]));
            pts += ',';
            pts += P(Y(ys[i]));
        }
        if (c.Values.size() > 1)
            svg.Raw("<polyline points=\"" + pts + "\" fill=\"none\" stroke=\"" + colour +
                    "\" stroke-width=\"2\"" + dash + "/>\n");
        for (size_t i = 0; i < c.Values.size(); ++i)
            svg.Circle(X(c.Values[i]), Y(ys[i]), 2.6, colour, "");
    };
    curve(c.Risks, kOrange, " stroke-dasharray=\"5,3\"");
    curve(c.Edges, kBlue, "");

    // The rules in force: both points ringed, the edge labelled.
    if (c.Current >= 0 && c.Current < static_cast<int>(c.Values.size())) {
        const size_t i = static_cast<size_t>(c.Current);
        const double x = X(c.Values[i]);
        // Above the higher point, or below the lower one where the top is near.
        const double high = Y(std::max(c.Edges[i], c.Risks[i]));
        // ... and below also where the target's line runs close above.
        const bool crowded = c.HasTarget && std::fabs(high - 12 - Y(c.Target)) < 18;
        const double y =
            high - 12 > y0 + 14 && !crowded ? high - 12 : Y(std::min(c.Edges[i], c.Risks[i])) + 24;
        const bool leftSide = x > (x0 + x1) / 2;
        svg.Label(leftSide ? x - 10 : x + 10, y,
                  (ru ? "правила: " : "rules: ") + Trimmed(c.Values[i], c.Sep) + " → " +
                      Num(c.Edges[i], 3, c.Sep) + " %",
                  leftSide ? "end" : "start", "");
        // The rings over the label's box: the points are what it names.
        for (double e : {c.Edges[i], c.Risks[i]})
            svg.Circle(x, Y(e), 6, "none", " stroke=\"#000000\" stroke-width=\"1.6\"");
    }

    // The target's name and its crossing on top of everything: they are what was asked for.
    if (c.HasTarget)
        svg.Label(x1 - 4, Y(c.Target) - 6,
                  (ru ? "цель " : "target ") + Trimmed(c.Target, c.Sep) + " %", "end",
                  std::string(" fill=\"") + kRed + "\"");
    if (c.HasTarget && c.HasSolution && c.Solution >= vmin && c.Solution <= vmax) {
        const double x = X(c.Solution), y = Y(c.Target);
        svg.Circle(x, y, 5, "none", std::string(" stroke=\"") + kRed + "\" stroke-width=\"2\"");
        const bool leftSide = x > (x0 + x1) / 2;
        svg.Label(leftSide ? x - 8 : x + 8, y + 22, c.SolutionText, leftSide ? "end" : "start",
                  std::string(" fill=\"") + kRed + "\" font-weight=\"bold\"");
    }

    // Legend.
    const double ly = height - 10.0;
    double lx = x0;
    svg.Line(lx, ly - 4, lx + 22, ly - 4, kBlue, 2);
    const std::string edgeName = ru ? "край дома, %" : "house edge, %";
    svg.Text(lx + 27, ly, edgeName);
    lx += 40 + 7.0 * static_cast<double>(edgeName.size()) * (ru ? 0.55 : 1.0);
    svg.Line(lx, ly - 4, lx + 22, ly - 4, kOrange, 2, " stroke-dasharray=\"5,3\"");
    const std::string riskName = ru ? "элемент риска, %" : "element of risk, %";
    svg.Text(lx + 27, ly, riskName);
    lx += 40 + 7.0 * static_cast<double>(riskName.size()) * (ru ? 0.55 : 1.0);
    if (c.Current >= 0) {
        svg.Circle(lx + 6, ly - 4, 6, "none", " stroke=\"#000000\" stroke-width=\"1.6\"");
        svg.Text(lx + 17, ly, ru ? "правила в силе" : "rules in force");
    }
    return svg.Done();
}

bool DecisionCellMean(const TExactResult& r, int dealtClass, int openValue, long double* mean) {
    const TExactCell* cell = r.Tally.Chart[dealtClass][openValue];
    const long double price[kDecisions] = {0, 0, r.BuyPrice(), r.ExchangePrice()};
    uint64_t deals = 0;
    long double sum = 0;
    for (int d = 0; d < kDecisions; ++d) {
        deals += cell[d].Deals;
        sum += static_cast<long double>(cell[d].Sum) -
               price[d] * static_cast<long double>(cell[d].Deals);
    }
    if (deals == 0) return false;
    *mean = sum / static_cast<long double>(deals);
    return true;
}

std::string DecisionChartSvg(const TExactResult& r, int width, int height,
                             TPictureLanguage language, char sep) {
    const bool ru = Ru(language);
    static const char* const kClassRu[11] = {"ничего", "туз+король", "пара", "две пары",
                                             "тройня", "стрит",      "флэш", "фуллхаус",
                                             "каре",   "стритфлэш",  "рояль"};
    static const char* const kDecisionEn[kDecisions] = {"pass", "raise", "buy", "exchange"};
    static const char* const kDecisionRu[kDecisions] = {"пас", "рейз", "покупка", "обмен"};
    static const char* const kColour[kDecisions] = {"#b8b8b8", "#43a047", "#1e88e5", "#fb8c00"};
    // Columns in the order of rank: 2 .. K, then the ace (value 1 of the chart).
    static const int kOpen[13] = {2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 1};
    static const char* const kOpenName[14] = {"",  "A", "2", "3",  "4", "5", "6",
                                              "7", "8", "9", "10", "J", "Q", "K"};
    width = std::max(width, 420);
    height = std::max(height, 300);
    const std::string title = ru ? "Решения: доли паса, рейза, покупки и обмена; в клетке — "
                                   "средний итог на анте"
                                 : "Decisions: shares of pass, raise, buy and exchange; in each "
                                   "cell the mean result per ante";
    TSvg svg(width, height, title);
    svg.Text(width / 2.0, 18, title, "middle", " font-size=\"13\" font-weight=\"bold\"");
    const double left = 104, right = 8, top = 60, bottom = 34;
    const double cw = (width - left - right) / 13.0, ch = (height - top - bottom) / 11.0;
    svg.Text(left + (width - left - right) / 2, 37,
             ru ? "открытая карта дилера" : "the dealer's open card", "middle",
             " fill=\"#555555\"");
    for (int j = 0; j < 13; ++j)
        svg.Text(left + (j + 0.5) * cw, top - 6, kOpenName[kOpen[j]], "middle",
                 " font-weight=\"bold\"");
    const double fontSize = std::clamp(std::min(ch * 0.42, cw * 0.26), 7.0, 13.0);
    const std::string cellFont = " font-size=\"" + P(fontSize) + "\"";
    for (int c = 1; c <= 11; ++c) {
        const double y = top + (c - 1) * ch;
        svg.Text(left - 6, y + ch / 2 + 4, ru ? kClassRu[c - 1] : ExactClassLabel(c - 1), "end");
        for (int j = 0; j < 13; ++j) {
            const int v = kOpen[j];
            const double x = left + j * cw;
            const TExactCell* cell = r.Tally.Chart[c][v];
            uint64_t deals = 0;
            for (int d = 0; d < kDecisions; ++d) deals += cell[d].Deals;
            long double mean = 0;
            if (deals == 0 || !DecisionCellMean(r, c, v, &mean)) {
                svg.Rect(x + 1, y + 1, cw - 2, ch - 2, "#f4f4f4");
                continue;
            }
            // The bar of shares over the whole cell, the mean on a white band across it.
            std::string tip = std::string(ru ? kClassRu[c - 1] : ExactClassLabel(c - 1)) + ", " +
                              kOpenName[v] + ": " + std::to_string(deals) +
                              (ru ? " раздач" : " deals");
            double at = x + 1;
            for (int d = 0; d < kDecisions; ++d) {
                if (cell[d].Deals == 0) continue;
                const double share =
                    static_cast<double>(cell[d].Deals) / static_cast<double>(deals);
                const double w = share * (cw - 2);
                svg.Rect(at, y + 1, w, ch - 2, kColour[d]);
                at += w;
                tip += std::string("; ") + (ru ? kDecisionRu[d] : kDecisionEn[d]) + " " +
                       Num(100 * share, 2, sep) + " %";
            }
            const double band = fontSize + 4;
            svg.Rect(x + 3, y + (ch - band) / 2, cw - 6, band, "#ffffff", " fill-opacity=\"0.78\"");
            std::string text = Num(static_cast<double>(mean), 2, sep);
            if (mean > 0) text.insert(text.begin(), '+');
            svg.Raw("<g><title>" +
                    XmlText(tip + "; " + (ru ? "средний итог " : "mean result ") +
                            Num(static_cast<double>(mean), 4, sep)) +
                    "</title>\n");
            svg.Text(x + cw / 2, y + ch / 2 + fontSize * 0.36, text, "middle", cellFont);
            svg.Raw("</g>\n");
        }
    }
    // Legend.
    double lx = left;
    const double ly = height - 12.0;
    for (int d = 0; d < kDecisions; ++d) {
        svg.Rect(lx, ly - 10, 14, 12, kColour[d]);
        const std::string name = ru ? kDecisionRu[d] : kDecisionEn[d];
        svg.Text(lx + 19, ly, name);
        lx += 34 + 7.0 * static_cast<double>(name.size()) * (ru ? 0.55 : 1.0);
    }
    if (!r.Complete)
        svg.Text(width - right, ly,
                 ru ? "расчёт остановлен: только посчитанные расклады"
                    : "stopped: the layouts counted only",
                 "end", std::string(" fill=\"") + kRed + "\"");
    return svg.Done();
}

} // namespace kvarlen
