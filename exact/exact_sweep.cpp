#include "exact/exact_sweep.h"

#include "cards/numfmt.h"
#include "exact/exact_layouts.h"

#include <algorithm>
#include <cmath>
#include <memory>

namespace kvarlen {

namespace {

const char* const kPayNames[11] = {
    "",          "pay-ak",         "pay-pair",  "pay-two-pairs",      "pay-trips", "pay-straight",
    "pay-flush", "pay-full-house", "pay-quads", "pay-straight-flush", "pay-royal"};

std::string KnownNames() {
    std::string s = "price-buy6, price-change1";
    for (int i = 1; i <= 10; ++i) s += std::string(", ") + kPayNames[i];
    return s;
}

double Number(const std::string& text, const std::string& what) {
    std::string t = text;
    for (char& c : t)
        if (c == ',') c = '.';
    size_t used = 0;
    double v = 0;
    try {
        v = std::stod(t, &used);
    } catch (const std::exception&) {
        used = 0;
    }
    if (used == 0 || used != t.size() || !std::isfinite(v))
        throw TExactRefused("--sweep: " + what + " '" + text + "' is not a number");
    return v;
}

void CheckValue(const TSweepParameter& p, double v, const std::string& text) {
    if (p.Payout > 0) {
        if (v != std::floor(v) || v < 0 || v > kMaxPayout)
            throw TExactRefused("--sweep: a payout is a whole number 0..999, not '" + text + "'");
    } else if (v < 0 || v > kMaxPrice) {
        throw TExactRefused("--sweep: a price is 0..1000 antes, not '" + text + "'");
    }
}

} // namespace

TSweepParameter SweepParameter(const std::string& name) {
    TSweepParameter p;
    p.Name = name;
    if (name == "price-buy6") {
        p.Buy6 = true;
        return p;
    }
    if (name == "price-change1") return p;
    for (int i = 1; i <= 10; ++i)
        if (name == kPayNames[i]) {
            p.Payout = i;
            return p;
        }
    throw TExactRefused("--sweep: '" + name + "' is no price or payout; choose one of " +
                        KnownNames());
}

TSweepPlan ParseSweep(const std::string& text) {
    const size_t eq = text.find('=');
    if (eq == std::string::npos)
        throw TExactRefused("--sweep: '" + text + "' is not NAME=FROM:TO:STEP or NAME=v1,v2,...");
    TSweepPlan plan;
    plan.Parameter = SweepParameter(text.substr(0, eq));
    const std::string values = text.substr(eq + 1);
    if (values.find(':') != std::string::npos) {
        const size_t a = values.find(':');
        const size_t b = values.find(':', a + 1);
        if (b == std::string::npos || values.find(':', b + 1) != std::string::npos)
            throw TExactRefused("--sweep: '" + values + "' is not FROM:TO:STEP");
        const double from = Number(values.substr(0, a), "FROM");
        const double to = Number(values.substr(a + 1, b - a - 1), "TO");
        const double step = Number(values.substr(b + 1), "STEP");
        if (!(step > 0)) throw TExactRefused("--sweep: the STEP must be above 0");
        if (to < from) throw TExactRefused("--sweep: TO is below FROM");
        const double n = std::floor((to - from) / step + 1e-9);
        if (n + 1 > static_cast<double>(kMaxSweepPoints))
            throw TExactRefused("--sweep: more than " + std::to_string(kMaxSweepPoints) +
                                " points");
        for (int i = 0; i <= static_cast<int>(n); ++i) {
            // FROM + i STEP, rounded to 12 decimals so that 0.1 steps land on their decimals.
            const double v = std::round((from + i * step) * 1e12) / 1e12;
            CheckValue(plan.Parameter, v, FormatGeneral(v, '.'));
            plan.Values.push_back(v);
        }
    } else {
        size_t start = 0;
        while (start <= values.size()) {
            size_t comma = values.find_first_of(",;", start);
            if (comma == std::string::npos) comma = values.size();
            const std::string item = values.substr(start, comma - start);
            if (item.empty()) throw TExactRefused("--sweep: an empty value in '" + values + "'");
            const double v = Number(item, "the value");
            CheckValue(plan.Parameter, v, item);
            plan.Values.push_back(v);
            start = comma + 1;
        }
        if (plan.Values.size() > kMaxSweepPoints)
            throw TExactRefused("--sweep: more than " + std::to_string(kMaxSweepPoints) +
                                " points");
    }
    if (plan.Values.empty()) throw TExactRefused("--sweep: no value");
    return plan;
}

void ApplySweepValue(const TSweepParameter& p, double value, TRules& rules, TPayTable& pay) {
    if (p.Payout > 0)
        pay[static_cast<size_t>(p.Payout)] = static_cast<int32_t>(value);
    else if (p.Buy6)
        rules.PriceBuy6 = value;
    else
        rules.PriceChange1 = value;
}

double SweepValueOf(const TSweepParameter& p, const TRules& rules, const TPayTable& pay) {
    if (p.Payout > 0) return pay[static_cast<size_t>(p.Payout)];
    return p.Buy6 ? rules.PriceBuy6 : rules.PriceChange1;
}

std::vector<TExactResult> RunExactSweep(const TExactSettings& base, const TPayTable& pay,
                                        const TSweepPlan& plan, const TExactProgress& progress,
                                        const std::atomic<bool>* stop) {
    std::vector<TExactSettings> points;
    std::vector<TPayTable> pays;
    for (double v : plan.Values) {
        TExactSettings s = base;
        TPayTable p = pay;
        ApplySweepValue(plan.Parameter, v, s.Rules, p);
        points.push_back(s);
        pays.push_back(p);
    }
    return RunExactPoints(points, pays, progress, stop);
}

TEdgeTarget ParseEdge(const std::string& text) {
    TEdgeTarget e;
    std::string t = text;
    for (char& c : t)
        if (c == ',') c = '.';
    size_t i = 0;
    bool negative = false;
    if (i < t.size() && (t[i] == '-' || t[i] == '+')) negative = t[i++] == '-';
    bool digits = false, point = false;
    for (; i < t.size(); ++i) {
        if (t[i] == '.' && !point) {
            point = true;
            continue;
        }
        if (t[i] < '0' || t[i] > '9' || e.Decimals >= 8 || e.Numerator > 100000000000000LL)
            throw TExactRefused("--edge: '" + text +
                                "' is not a house edge in per cent such "
                                "as 2 or 2.5");
        e.Numerator = e.Numerator * 10 + (t[i] - '0');
        if (point) ++e.Decimals;
        digits = true;
    }
    if (!digits) throw TExactRefused("--edge: '" + text + "' is not a number");
    if (negative) e.Numerator = -e.Numerator;
    long double v = static_cast<long double>(e.Numerator);
    for (int k = 0; k < e.Decimals; ++k) v /= 10;
    if (v < -100 || v > 100) throw TExactRefused("--edge: a house edge lies within -100..100 %");
    e.Value = static_cast<double>(v);
    return e;
}

double HouseEdgePercent(const TExactResult& r) {
    const long double deals = static_cast<long double>(r.Tally.Deals());
    const TExactTally& t = r.Tally;
    long double net = static_cast<long double>(t.PricedSum[0] + t.PricedSum[1] + t.PricedSum[2]);
    net -= static_cast<long double>(r.BuyPrice()) * static_cast<long double>(r.Tally.Bought());
    net -=
        static_cast<long double>(r.ExchangePrice()) * static_cast<long double>(r.Tally.Exchanged());
    return deals > 0 ? static_cast<double>(-100.0L * net / deals) : 0.0;
}

namespace {

TExactInt Gcd(TExactInt a, TExactInt b) {
    if (a < 0) a = -a;
    if (b < 0) b = -b;
    while (b != 0) {
        const TExactInt t = a % b;
        a = b;
        b = t;
    }
    return a;
}

TExactInt Pow10(int d) {
    TExactInt p = 1;
    for (int i = 0; i < d; ++i) p *= 10;
    return p;
}

struct TSwitch {
    double At;          // the layout draws below this price
    int64_t ExtraSum;   // what drawing adds to the net result, the price left out
    int64_t DrawnDeals; // the deals that pay the price when it draws
};

} // namespace

TPriceSolution SolveExactPrice(const TExactSettings& base, const TPayTable& pay,
                               const TSweepParameter& parameter, const TEdgeTarget& edge,
                               const TExactProgress& progress, const std::atomic<bool>* stop) {
    TPriceSolution out;
    out.PartIndex = base.PartIndex;
    out.PartCount = base.PartCount;
    if (parameter.Payout > 0) throw TExactRefused("--solve " + parameter.Name + " is a payout");
    if (!DecidesByValues(base.Mode))
        throw TExactRefused("--solve of a price needs ideal or best play: strategy play buys by "
                            "fixed rules and pays 1 ante");
    if (parameter.Buy6 ? !base.Rules.Buy6 : !base.Rules.Exchange1)
        throw TExactRefused("--solve " + parameter.Name + ": the rules do not allow " +
                            (parameter.Buy6 ? "buying a sixth card" : "exchanging one card"));
    ValidateExactSettings(base);
    // Keeping is counted where no draw pays, drawing where every draw pays.
    TRules keepRules = base.Rules, drawRules = base.Rules;
    TPayTable same = pay; // a price leaves the payouts as they are
    ApplySweepValue(parameter, 2 * kMaxPrice, keepRules, same);
    ApplySweepValue(parameter, -2 * kMaxPrice, drawRules, same);
    const TExactConfig zero =
        MakeExactConfig(base.Rules, base.Mode, base.DealerAK, base.RaiseAt2Matches, pay);
    const TExactConfig keep =
        MakeExactConfig(keepRules, base.Mode, base.DealerAK, base.RaiseAt2Matches, pay);
    const TExactConfig draw =
        MakeExactConfig(drawRules, base.Mode, base.DealerAK, base.RaiseAt2Matches, pay);
    const int kind = parameter.Buy6 ? kPriceBuy : kPriceExchange;

    struct TWorker {
        TLayoutFacts Facts;
        std::vector<TSwitch> Switches;
        TExactInt Net = 0;   // layouts that never switch within the range, and keeping
        TExactInt Drawn = 0; // deals paying the price at every price of the range
        uint64_t Plain = 0;
    };
    std::vector<std::unique_ptr<TWorker>> workers;
    const TLayoutPass pass = CountLayoutsOnThreads(
        base,
        [&](int n) {
            for (int w = 0; w < n; ++w) workers.push_back(std::make_unique<TWorker>());
        },
        [&](int w, const TExactLayout& l) {
            TWorker& me = *workers[static_cast<size_t>(w)];
            GatherLayoutFacts(LayoutHand(l), LayoutOpenCard(l), zero, me.Facts);
            const double at = DrawThreshold(me.Facts, zero);
            const TExactLayoutCounts k = CountLayoutFacts(me.Facts, keep);
            me.Plain += static_cast<uint64_t>(l.Multiplicity);
            if (!(at > 0)) {
                me.Net += static_cast<TExactInt>(k.Sum()) * l.Multiplicity;
                return;
            }
            const TExactLayoutCounts d = CountLayoutFacts(me.Facts, draw);
            const int64_t extra = (d.Sum() - k.Sum()) * l.Multiplicity;
            const int64_t drawn = d.PricedDeals[kind] * l.Multiplicity;
            if (at >= kMaxPrice) {
                me.Net += static_cast<TExactInt>(k.Sum()) * l.Multiplicity + extra;
                me.Drawn += drawn;
                return;
            }
            me.Net += static_cast<TExactInt>(k.Sum()) * l.Multiplicity;
            me.Switches.push_back(TSwitch{at, extra, drawn});
        },
        progress, stop);
    out.Complete = pass.Counted == pass.Total;
    if (!out.Complete) {
        out.Reason = "stopped before the end";
        return out;
    }
    std::vector<TSwitch> all;
    TExactInt net = 0, drawn = 0;
    uint64_t plain = 0;
    for (const auto& w : workers) {
        all.insert(all.end(), w->Switches.begin(), w->Switches.end());
        net += w->Net;
        drawn += w->Drawn;
        plain += w->Plain;
    }
    out.Deals = static_cast<TExactUInt>(plain) * 163185u * static_cast<unsigned>(keep.DrawFactor);
    const TExactInt deals = static_cast<TExactInt>(out.Deals);
    std::sort(all.begin(), all.end(),
              [](const TSwitch& a, const TSwitch& b) { return a.At < b.At; });
    // Just above price 0 every layout with a switch still draws.
    TExactInt a = net, b = drawn;
    for (const TSwitch& s : all) {
        a += s.ExtraSum;
        b += s.DrawnDeals;
    }
    auto edgeAt = [&](TExactInt a0, TExactInt b0, long double p) {
        return static_cast<double>(
            -100.0L * (static_cast<long double>(a0) - p * static_cast<long double>(b0)) /
            static_cast<long double>(deals));
    };
    out.EdgeAtZero = edgeAt(a, b, 0);
    // Target net: -X/100 deals, scaled by 100 10^d to stay whole.
    const TExactInt scale = 100 * Pow10(edge.Decimals);
    const TExactInt target = -edge.Numerator * deals; // = scale x the target net
    double low = 0;
    for (size_t i = 0; i <= all.size(); ++i) {
        const double high = i < all.size() ? all[i].At : kMaxPrice;
        // Within [low, high): net = a - p b; the price is (scale a - target) / (scale b).
        const TExactInt num = scale * a - target;
        const TExactInt den = scale * b;
        if (den > 0 && num >= 0) {
            const long double p = static_cast<long double>(num) / static_cast<long double>(den);
            if (p >= low && p <= high) {
                const TExactInt g = Gcd(num, den);
                out.Found = true;
                out.Numerator = num / g;
                out.Denominator = den / g;
                out.Price = static_cast<double>(p);
                out.SwitchBelow = low;
                out.SwitchAbove = high;
                out.NetInteger = a;
                out.Drawn = b;
                break;
            }
        } else if (den == 0 && num == 0) {
            out.Found = true;
            out.Numerator = static_cast<TExactInt>(low * 1e6);
            out.Denominator = 1000000;
            out.Price = low;
            out.SwitchBelow = low;
            out.SwitchAbove = high;
            out.NetInteger = a;
            out.Drawn = b;
            break;
        }
        if (i == all.size()) break;
        a -= all[i].ExtraSum;
        b -= all[i].DrawnDeals;
        low = high;
    }
    out.EdgeAtMax = edgeAt(net, drawn, kMaxPrice);
    if (!out.Found)
        out.Reason = "no price in 0..1000 gives a house edge of " + FormatGeneral(edge.Value, '.') +
                     " %: it runs from " + FormatGeneral(out.EdgeAtZero, '.') + " % at 0 to " +
                     FormatGeneral(out.EdgeAtMax, '.') + " % at 1000";
    return out;
}

TPayoutSolution SolveExactPayout(const TExactSettings& base, const TPayTable& pay,
                                 const TSweepParameter& parameter, const TEdgeTarget& edge,
                                 const TExactProgress& progress, const std::atomic<bool>* stop,
                                 int low, int high) {
    TPayoutSolution out;
    low = std::clamp(low, 0, kMaxPayout - 1);
    high = std::clamp(high, low + 1, kMaxPayout);
    if (parameter.Payout <= 0) throw TExactRefused("--solve " + parameter.Name + " is a price");
    // The edge falls as a payout rises: a coarse sweep brackets the target, a fine one the
    // whole payouts of the bracket.
    TSweepPlan coarse;
    coarse.Parameter = parameter;
    for (int v = low; v < high; v += 37) coarse.Values.push_back(v);
    coarse.Values.push_back(high);
    auto sideOf = [&](const TExactResult& r) { return HouseEdgePercent(r) - edge.Value; };
    const std::vector<TExactResult> c = RunExactSweep(base, pay, coarse, progress, stop);
    if (!c.back().Complete) {
        out.Reason = "stopped before the end";
        return out;
    }
    size_t at = c.size();
    for (size_t i = 0; i + 1 < c.size(); ++i)
        if ((sideOf(c[i]) >= 0) != (sideOf(c[i + 1]) >= 0)) {
            at = i;
            break;
        }
    if (at == c.size()) {
        const std::string from = std::to_string(low), to = std::to_string(high);
        out.Reason = "no payout in " + from + ".." + to + " gives a house edge of " +
                     FormatGeneral(edge.Value, '.') + " %: it runs from " +
                     FormatGeneral(HouseEdgePercent(c.front()), '.') + " % at " + from + " to " +
                     FormatGeneral(HouseEdgePercent(c.back()), '.') + " % at " + to;
        return out;
    }
    TSweepPlan fine;
    fine.Parameter = parameter;
    for (int v = static_cast<int>(coarse.Values[at]); v <= static_cast<int>(coarse.Values[at + 1]);
         ++v)
        fine.Values.push_back(v);
    const std::vector<TExactResult> f = RunExactSweep(base, pay, fine, progress, stop);
    if (!f.back().Complete) {
        out.Reason = "stopped before the end";
        return out;
    }
    for (size_t i = 0; i + 1 < f.size(); ++i)
        if ((sideOf(f[i]) >= 0) != (sideOf(f[i + 1]) >= 0)) {
            out.Found = true;
            out.Low = f[i];
            out.High = f[i + 1];
            out.LowPayout = static_cast<int>(fine.Values[i]);
            out.HighPayout = static_cast<int>(fine.Values[i + 1]);
            const double e0 = HouseEdgePercent(f[i]), e1 = HouseEdgePercent(f[i + 1]);
            out.Crossing = out.LowPayout + (edge.Value - e0) / (e1 - e0);
            return out;
        }
    out.Reason = "the house edge does not cross the target between whole payouts";
    return out;
}

TSweepSolution SolveBesideSweep(const TExactSettings& base, const TPayTable& pay,
                                const TSweepPlan& plan, const std::vector<TExactResult>& points,
                                const TEdgeTarget& edge, const TExactProgress& progress,
                                const std::atomic<bool>* stop) {
    TSweepSolution out;
    if (plan.Parameter.Payout == 0) {
        out.IsPrice = true;
        out.Price = SolveExactPrice(base, pay, plan.Parameter, edge, progress, stop);
        out.Found = out.Price.Found;
        out.Reason = out.Price.Reason;
        out.Value = out.Price.Price;
        return out;
    }
    // The whole payouts of the sweep, ascending, with their edges.
    std::vector<std::pair<int, double>> edges;
    for (size_t k = 0; k < points.size() && k < plan.Values.size(); ++k)
        if (points[k].Complete)
            edges.emplace_back(static_cast<int>(plan.Values[k]), HouseEdgePercent(points[k]));
    std::sort(edges.begin(), edges.end());
    int low = 0, high = kMaxPayout;
    for (size_t i = 0; i + 1 < edges.size(); ++i) {
        const bool a = edges[i].second - edge.Value >= 0;
        const bool b = edges[i + 1].second - edge.Value >= 0;
        if (a == b || edges[i + 1].first == edges[i].first) continue;
        low = edges[i].first;
        high = edges[i + 1].first;
        if (high == low + 1) {
            TPayoutSolution& p = out.Payout;
            for (size_t k = 0; k < points.size(); ++k) {
                if (!points[k].Complete) continue;
                if (static_cast<int>(plan.Values[k]) == low) p.Low = points[k];
                if (static_cast<int>(plan.Values[k]) == high) p.High = points[k];
            }
            p.Found = true;
            p.LowPayout = low;
            p.HighPayout = high;
            p.Crossing =
                low + (edge.Value - edges[i].second) / (edges[i + 1].second - edges[i].second);
            out.Found = true;
            out.Value = p.Crossing;
            return out;
        }
        break;
    }
    out.Payout = SolveExactPayout(base, pay, plan.Parameter, edge, progress, stop, low, high);
    out.Found = out.Payout.Found;
    out.Reason = out.Payout.Reason;
    out.Value = out.Payout.Crossing;
    return out;
}

} // namespace kvarlen
