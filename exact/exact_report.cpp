#include "exact/exact_report.h"

#include <cmath>
#include <cstdio>

namespace kvarlen {

namespace {

const char* const kClassIds[11] = {"nothing",  "ak",    "pair",       "two_pairs", "trips",
                                   "straight", "flush", "full_house", "quads",     "straight_flush",
                                   "royal"};
const char* const kClassLabels[11] = {"nothing", "ace + king",     "pair",       "two pairs",
                                      "trips",   "straight",       "flush",      "full house",
                                      "quads",   "straight flush", "royal flush"};
const char* const kClassCaptions[11] = {"ничего", "туз+король", "пара", "две пары",
                                        "тройня", "стрит",      "флэш", "фуллхаус",
                                        "каре",   "стритфлэш",  "рояль"};

std::string Fixed(long double v, int digits, char sep) {
    char buf[80];
    std::snprintf(buf, sizeof buf, "%.*Lf", digits, v);
    std::string s = buf;
    for (char& c : s)
        if (c == '.' || c == ',') c = sep;
    if (s == "-0" || s.find_first_not_of("-0.,") == std::string::npos) {
        if (!s.empty() && s[0] == '-') s.erase(0, 1);
    }
    return s;
}

std::string Price(double p, char sep) {
    std::string s = FormatGeneral(p, sep);
    return s;
}

bool Whole(double p) {
    return std::isfinite(p) && p == std::floor(p) && std::fabs(p) < 1e15;
}

std::string Pad(const std::string& s, size_t width, bool right) {
    size_t w = 0;
    for (unsigned char ch : s) w += (ch & 0xC0) != 0x80 ? 1 : 0;
    if (w >= width) return s;
    const std::string fill(width - w, ' ');
    return right ? fill + s : s + fill;
}

void Row(std::vector<TExactTableRow>& rows, int row, const std::string& id,
         const std::string& label, const std::string& caption, bool side) {
    TExactTableRow r;
    r.Row = row;
    r.Id = id;
    r.Label = label;
    r.Caption = caption;
    r.Side = side;
    rows.push_back(r);
}

} // namespace

std::string ExactClassLabel(int ordinal) {
    return ordinal >= 0 && ordinal <= 10 ? kClassLabels[ordinal] : "";
}

std::vector<TExactTableRow> ExactTableRows(const TExactResult& res) {
    std::vector<TExactTableRow> rows;
    Row(rows, kRowPassed, "passed", "box passed", "пас", false);
    Row(rows, kRowNoGame, "dealer_no_game", "dealer without a game", "у дилера нет игры", false);
    for (int ord = 1; ord <= 10; ++ord)
        Row(rows, WinRow(ord), std::string("win_") + kClassIds[ord],
            std::string("box wins with ") + kClassLabels[ord],
            std::string("выигрыш: ") + kClassCaptions[ord], false);
    Row(rows, kRowPush, "push", "push", "ничья", false);
    Row(rows, kRowDealerWins, "dealer_wins", "dealer wins", "дилер выиграл", false);
    const TExactTally& t = res.Tally;
    if (res.Rules.Insurance || t.RowDeals[kRowInsurancePaid] || t.RowDeals[kRowInsuranceLost]) {
        Row(rows, kRowInsurancePaid, "insurance_paid", "insurance paid", "страховка выплачена",
            true);
        Row(rows, kRowInsuranceLost, "insurance_lost", "insurance lost", "страховка проиграна",
            true);
    }
    if (res.Rules.Buy6 || t.RowDeals[kRowBuyCost])
        Row(rows, kRowBuyCost, "buy_cost", "cost of the sixth card", "покупка 6 карты", true);
    if ((DecidesByValues(res.Mode) && res.Rules.Exchange1) || t.RowDeals[kRowExchangeCost])
        Row(rows, kRowExchangeCost, "exchange_cost", "cost of the exchange", "обмен 1 карты", true);
    const long double deals = static_cast<long double>(t.Deals());
    for (TExactTableRow& r : rows) {
        r.Deals = t.RowDeals[r.Row];
        r.Amount = t.RowAmount[r.Row];
        long double amount = static_cast<long double>(r.Amount);
        if (r.Row == kRowBuyCost || r.Row == kRowExchangeCost) {
            r.Price = r.Row == kRowBuyCost ? res.BuyPrice() : res.ExchangePrice();
            amount = -static_cast<long double>(r.Price) * static_cast<long double>(r.Deals);
        }
        r.Probability = deals > 0 ? static_cast<long double>(r.Deals) / deals : 0;
        r.NetPerDeal = r.Deals > 0 ? amount / static_cast<long double>(r.Deals) : 0;
        if (r.Row == kRowBuyCost || r.Row == kRowExchangeCost) r.NetPerDeal = -r.Price;
        r.Contribution = deals > 0 ? amount / deals : 0;
    }
    return rows;
}

TExactSummary SummarizeExact(const TExactResult& res) {
    const TExactTally& t = res.Tally;
    TExactSummary s;
    s.Deals = t.Deals();
    s.Bought = t.Bought();
    s.Exchanged = t.Exchanged();
    for (int k = 0; k < kPriceKinds; ++k) s.NetInteger += t.PricedSum[k];
    const double pb = res.BuyPrice(), pe = res.ExchangePrice();
    const long double deals = static_cast<long double>(s.Deals);
    s.NetIsInteger = Whole(pb) && Whole(pe);
    long double squares = 0;
    if (s.NetIsInteger) {
        const TExactInt ib = static_cast<TExactInt>(pb), ie = static_cast<TExactInt>(pe);
        s.Net = s.NetInteger - ib * static_cast<TExactInt>(s.Bought) -
                ie * static_cast<TExactInt>(s.Exchanged);
        s.NetValue = static_cast<long double>(s.Net);
        // The sum of squares of (result - price) over every deal, exactly.
        TExactInt sq = static_cast<TExactInt>(t.PricedSquares[kPriceNone]);
        const TExactInt price[kPriceKinds] = {0, ib, ie};
        for (int k = 1; k < kPriceKinds; ++k)
            sq += static_cast<TExactInt>(t.PricedSquares[k]) - 2 * price[k] * t.PricedSum[k] +
                  price[k] * price[k] * static_cast<TExactInt>(t.PricedDeals[k]);
        squares = static_cast<long double>(sq);
    } else {
        s.NetValue = static_cast<long double>(s.NetInteger) -
                     static_cast<long double>(pb) * static_cast<long double>(s.Bought) -
                     static_cast<long double>(pe) * static_cast<long double>(s.Exchanged);
        const long double price[kPriceKinds] = {0, pb, pe};
        for (int k = 0; k < kPriceKinds; ++k)
            squares += static_cast<long double>(t.PricedSquares[k]) -
                       2 * price[k] * static_cast<long double>(t.PricedSum[k]) +
                       price[k] * price[k] * static_cast<long double>(t.PricedDeals[k]);
    }
    if (deals > 0) {
        s.MO = s.NetValue / deals;
        s.HouseEdge = -s.MO;
        s.Variance = squares / deals - s.MO * s.MO;
        if (s.Variance < 0) s.Variance = 0;
        s.Deviation = std::sqrt(s.Variance);
        s.AverageWager = static_cast<long double>(t.Wagered) / deals;
        s.ElementOfRisk = s.AverageWager > 0 ? s.HouseEdge / s.AverageWager : 0;
        s.RaiseShare = static_cast<long double>(t.Raised) / deals;
        s.PassShare = static_cast<long double>(t.Passed) / deals;
        s.BuyShare = static_cast<long double>(s.Bought) / deals;
        s.ExchangeShare = static_cast<long double>(s.Exchanged) / deals;
        s.InsureShare = static_cast<long double>(t.Insured) / deals;
    }
    return s;
}

std::string ExactNetText(const TExactResult& res, char sep) {
    const TExactSummary s = SummarizeExact(res);
    if (s.NetIsInteger) return ToDecimal(s.Net);
    std::string text = ToDecimal(s.NetInteger);
    if (s.Bought > 0) text += " - " + Price(res.BuyPrice(), sep) + " x " + std::to_string(s.Bought);
    if (s.Exchanged > 0)
        text += " - " + Price(res.ExchangePrice(), sep) + " x " + std::to_string(s.Exchanged);
    return text + " (exact counts times the price) = " + Fixed(s.NetValue, 4, sep);
}

std::vector<std::string> ExactReportLines(const TExactResult& res, char sep) {
    std::vector<std::string> out;
    const TRules& r = res.Rules;
    const TExactSummary s = SummarizeExact(res);
    out.push_back(std::string("Exact value of the whole game for one box, ") +
                  (res.Mode == TExactMode::Ideal     ? "ideal play"
                   : res.Mode == TExactMode::Optimal ? "best play"
                                                     : "strategy play") +
                  (res.Complete ? "" : " -- INCOMPLETE: the run was stopped"));
    std::string rules = "Rules: ";
    rules += r.Buy6 ? "sixth card at " + Price(res.BuyPrice(), sep) : "no sixth card";
    if (DecidesByValues(res.Mode) && r.Exchange1)
        rules += ", exchange of one card at " + Price(r.PriceChange1, sep);
    rules += r.Insurance ? ", insurance" : ", no insurance";
    rules += r.AKPlays ? ", ace + king plays" : ", ace + king does not play";
    rules += "; payouts";
    for (size_t i = 1; i <= 10; ++i) rules += (i == 1 ? " " : ",") + std::to_string(res.Pay[i]);
    out.push_back(rules);
    if (res.PartCount > 1)
        out.push_back("Part " + std::to_string(res.PartIndex) + " of " +
                      std::to_string(res.PartCount) + " of the layouts");
    out.push_back("");
    out.push_back(Pad("Event", 32, false) + Pad("Deals", 20, true) + Pad("Probability", 13, true) +
                  Pad("Net/ante", 11, true) + Pad("Return", 12, true));
    uint64_t outcomeDeals = 0;
    long double outcomeReturn = 0;
    bool subtotal = false;
    auto subtotalLine = [&]() {
        out.push_back(Pad("all deals (the rows above)", 32, false) +
                      Pad(std::to_string(outcomeDeals), 20, true) +
                      Pad(Fixed(s.Deals > 0 ? 1.0L : 0.0L, 8, sep), 13, true) + Pad("", 11, true) +
                      Pad(Fixed(outcomeReturn, 8, sep), 12, true));
        subtotal = true;
    };
    for (const TExactTableRow& row : ExactTableRows(res)) {
        if (row.Side && !subtotal) subtotalLine();
        if (!row.Side) {
            outcomeDeals += row.Deals;
            outcomeReturn += row.Contribution;
        }
        out.push_back(Pad(row.Label, 32, false) + Pad(std::to_string(row.Deals), 20, true) +
                      Pad(Fixed(row.Probability, 8, sep), 13, true) +
                      Pad(Fixed(row.NetPerDeal, 4, sep), 11, true) +
                      Pad(Fixed(row.Contribution, 8, sep), 12, true));
    }
    if (!subtotal) subtotalLine();
    out.push_back(Pad("return per deal", 32, false) + Pad("", 20 + 13 + 11, true) +
                  Pad(Fixed(s.MO, 8, sep), 12, true));
    out.push_back("");
    out.push_back("Total deals: " + ToDecimal(s.Deals) +
                  (res.DrawFactor > 1 ? " (each deal with the card a purchase or an exchange "
                                        "would receive)"
                                      : ""));
    out.push_back("Exact net result: " + ExactNetText(res, sep) + " antes");
    out.push_back("Expected value per deal: " + Fixed(s.MO, 8, sep) + " antes; house edge " +
                  Fixed(100 * s.HouseEdge, 4, sep) + " %");
    out.push_back("Variance per deal: " + Fixed(s.Variance, 6, sep) + "; standard deviation " +
                  Fixed(s.Deviation, 6, sep));
    out.push_back("Average wager (ante, raise, insurance): " + Fixed(s.AverageWager, 6, sep) +
                  " antes; element of risk " + Fixed(100 * s.ElementOfRisk, 4, sep) + " %");
    std::string freq = "The box raises in " + Fixed(100 * s.RaiseShare, 4, sep) +
                       " % of the deals, passes in " + Fixed(100 * s.PassShare, 4, sep) + " %";
    if (r.Buy6) freq += ", buys in " + Fixed(100 * s.BuyShare, 4, sep) + " %";
    if (DecidesByValues(res.Mode) && r.Exchange1)
        freq += ", exchanges in " + Fixed(100 * s.ExchangeShare, 4, sep) + " %";
    if (r.Insurance) freq += ", insures in " + Fixed(100 * s.InsureShare, 4, sep) + " %";
    out.push_back(freq);
    out.push_back("Canonical layouts: " + std::to_string(res.Tally.Layouts) + " counted of " +
                  std::to_string(res.LayoutsInPart) +
                  (res.PartCount > 1
                       ? " in this part (" + std::to_string(res.CanonicalLayouts) + " in all)"
                       : "") +
                  ", standing for " + std::to_string(res.Tally.PlainLayouts) + " layouts; time " +
                  Fixed(res.Seconds, 1, sep) + " s on " + std::to_string(res.Threads) + " threads");
    return out;
}

std::vector<std::string> ExactTableCsvLines(const TExactResult& res, char sep) {
    std::vector<std::string> out;
    out.push_back("событие;раздач;вероятность;результат на анте;вклад в MO");
    for (const TExactTableRow& row : ExactTableRows(res))
        out.push_back(row.Caption + ";" + std::to_string(row.Deals) + ";" +
                      Fixed(row.Probability, 10, sep) + ";" + Fixed(row.NetPerDeal, 6, sep) + ";" +
                      Fixed(row.Contribution, 10, sep));
    out.push_back("MO;" + ToDecimal(SummarizeExact(res).Deals) + ";;;" +
                  Fixed(SummarizeExact(res).MO, 10, sep));
    return out;
}

std::vector<std::string> ExactDecisionLines(const TExactResult& res, char sep) {
    std::vector<std::string> out;
    out.push_back("dealt;open;deals;passed;raised;bought;exchanged;mean passed;mean raised;"
                  "mean bought;mean exchanged");
    const double price[kDecisions] = {0, 0, res.BuyPrice(), res.ExchangePrice()};
    for (int c = 1; c <= 11; ++c)
        for (int v = 1; v <= 13; ++v) {
            const TExactCell* cell = res.Tally.Chart[c][v];
            uint64_t deals = 0;
            for (int d = 0; d < kDecisions; ++d) deals += cell[d].Deals;
            if (deals == 0) continue;
            std::string line = ExactClassLabel(c - 1) + ";" +
                               (v == 1    ? "A"
                                : v == 11 ? "J"
                                : v == 12 ? "Q"
                                : v == 13 ? "K"
                                          : std::to_string(v)) +
                               ";" + std::to_string(deals);
            for (int d = 0; d < kDecisions; ++d)
                line += ";" + Fixed(static_cast<long double>(cell[d].Deals) /
                                        static_cast<long double>(deals),
                                    6, sep);
            for (int d = 0; d < kDecisions; ++d) {
                line += ";";
                if (cell[d].Deals == 0) continue;
                line += Fixed(static_cast<long double>(cell[d].Sum) /
                                      static_cast<long double>(cell[d].Deals) -
                                  price[d],
                              6, sep);
            }
            out.push_back(line);
        }
    return out;
}

std::vector<std::vector<std::string>> SweepRows(const TSweepPlan& plan,
                                                const std::vector<TExactResult>& points, char sep) {
    auto percent = [sep](long double share) { return Fixed(100.0L * share, 4, sep); };
    std::vector<std::vector<std::string>> rows;
    rows.push_back({plan.Parameter.Name, "net result (antes)", "MO per deal", "house edge %",
                    "element of risk %", "raise %", "buy %", "exchange %", "insure %"});
    for (size_t k = 0; k < points.size() && k < plan.Values.size(); ++k) {
        const TExactSummary s = SummarizeExact(points[k]);
        // Whole prices give the net result as an exact integer; others its decimal value (the
        // exact counts are in the JSON).
        const std::string net = s.NetIsInteger ? ToDecimal(s.Net) : Fixed(s.NetValue, 4, sep);
        rows.push_back({FormatGeneral(plan.Values[k], sep), net, Fixed(s.MO, 8, sep),
                        percent(s.HouseEdge), percent(s.ElementOfRisk), percent(s.RaiseShare),
                        percent(s.BuyShare), percent(s.ExchangeShare), percent(s.InsureShare)});
    }
    return rows;
}

} // namespace kvarlen
