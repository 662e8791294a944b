#include "analysis/dealer_view.h"
#include "analysis/ev.h"

#include <string>

namespace kvarlen {

namespace {

std::string Probability(int32_t count, int32_t total, char sep) {
    const double p = total > 0 ? static_cast<double>(count) / static_cast<double>(total) : 0.0;
    return FormatFixed(p, 10, 4, sep);
}

// The class-by-class table: rows 1..10 ace + king .. royal, NoGame, the total.
void WriteRaiseTable(TDetailSink& sink, const LayoutOutcome& t, const ClassOutcome* perClass,
                     bool akPlays) {
    const char sep = sink.Separator();
    static const char* const kHeaders[9] = {nullptr,   "All",     "p(All)", "pl.Won", "p(Won)",
                                            "pl.Lose", "p(Lose)", "Push",   "p(Push)"};
    sink.PrepareRaiseGrid();
    for (int col = 1; col <= 8; ++col) sink.SetCell(col, 0, kHeaders[col]);
    // Without ace + king the first row keeps whatever it showed before.
    for (int k = akPlays ? 1 : 2; k <= 10; ++k) {
        const ClassOutcome& r = perClass[k];
        sink.SetCell(0, k, ComboName(static_cast<uint16_t>(1u << k)));
        sink.SetCell(1, k, std::to_string(r.Total));
        sink.SetCell(2, k, Probability(r.Total, t.S, sep));
        if (r.Won >= 0) sink.SetCell(3, k, std::to_string(r.Won));
        if (r.Lost >= 0) sink.SetCell(5, k, std::to_string(r.Lost));
        if (r.Push >= 0) sink.SetCell(7, k, std::to_string(r.Push));
    }
    sink.SetCell(0, 11, "NoGame");
    sink.SetCell(1, 11, std::to_string(t.N));
    sink.SetCell(2, 11, Probability(t.N, t.S, sep));
    sink.SetCell(0, 12, "ВСЕГО");
    sink.SetCell(1, 12, std::to_string(t.S));
    sink.SetCell(2, 12, "");
}

} // namespace

double MO_Raise(const TDeck& deck, const THand& hand, const TCardRec& open, const TRules& rules,
                TDetailSink* sink, LayoutOutcome* outcome, ClassOutcome* perClass) {
    const detail::TDealerView d = detail::MakeDealerView(deck, BuildValueCounts(deck), open);
    const detail::TPlayerView p = detail::MakePlayerView(hand);
    ClassOutcome classes[11];
    ClassOutcome* wanted = (sink != nullptr || perClass != nullptr) ? classes : nullptr;
    const LayoutOutcome t = detail::Tally(d, p, rules.AKPlays, wanted);
    if (sink) WriteRaiseTable(*sink, t, classes, rules.AKPlays);
    if (perClass)
        for (int k = rules.AKPlays ? 1 : 2; k <= 10; ++k) perClass[k] = classes[k];
    if (outcome) *outcome = t;
    return detail::RaiseValue(t, hand.Combo);
}

} // namespace kvarlen
