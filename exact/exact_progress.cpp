#include "exact/exact_progress.h"

#include <algorithm>
#include <bit>

namespace kvarlen {

namespace {

// Tenths of a microsecond per layout on one core, by dealt class 1..11 (the royal as the
// straight flush), from counting every 20th layout of the default payouts.
constexpr double kPlain[11] = {3.8, 5.8, 5.8, 6.3, 4.2, 4.3, 47.5, 5.5, 6.3, 8.0, 8.0};
constexpr double kBuyIdeal[11] = {83, 108, 107, 97, 67, 66, 240, 65, 75, 85, 85};
constexpr double kBuyBest[11] = {93, 124, 119, 108, 73, 71, 291, 70, 83, 111, 111};
constexpr double kExchangeIdeal[11] = {221, 315, 318, 350, 207, 220, 341, 215, 143, 247, 247};
constexpr double kExchangeBest[11] = {206, 292, 292, 317, 191, 202, 359, 256, 126, 212, 212};
// Strategy play deals out the purchase only where its rules buy: mostly trips and flushes.
constexpr double kBuyStrategy[11] = {40, 35, 27, 11, 139, 25, 128, 9, 11, 12, 12};

bool Straight(uint16_t values) {
    constexpr uint16_t kAceHigh = 0x1E01; // ten, jack, queen, king and the ace
    if (values == kAceHigh) return true;
    const uint16_t low = values & static_cast<uint16_t>(-values);
    return values == static_cast<uint16_t>(low * 0x1F);
}

} // namespace

int LayoutDealtClass(const TExactLayout& l) {
    const uint16_t values = l.Suit[1] | l.Suit[2] | l.Suit[3] | l.Suit[4];
    int longest = 0;
    for (int s = 1; s <= 4; ++s) longest = std::max(longest, std::popcount(l.Suit[s]));
    // The most suits any one value is held in.
    int most = 0;
    for (int v = 0; v < 13; ++v) {
        int n = 0;
        for (int s = 1; s <= 4; ++s) n += (l.Suit[s] >> v) & 1;
        most = std::max(most, n);
    }
    switch (std::popcount(values)) {
    case 5: {
        const bool straight = Straight(values), flush = longest == 5;
        if (straight && flush) return values == 0x1E01 ? 11 : 10;
        if (flush) return 7;
        if (straight) return 6;
        return (values & 1) && (values & 0x1000) ? 2 : 1;
    }
    case 4:
        return 3;
    case 3:
        return most == 3 ? 5 : 4;
    default:
        return most == 4 ? 9 : 8;
    }
}

double ExactLayoutCost(int dealtClass, const TRules& rules, TExactMode mode) {
    const int c = std::clamp(dealtClass, 1, 11) - 1;
    if (DrawFactorFor(rules, mode) == 1) return kPlain[c];
    if (mode == TExactMode::Strategy) return kBuyStrategy[c];
    const bool best = mode == TExactMode::Optimal;
    if (rules.Exchange1) return best ? kExchangeBest[c] : kExchangeIdeal[c];
    return best ? kBuyBest[c] : kBuyIdeal[c];
}

TExactWork::TExactWork(const TExactSettings& s) {
    double cost[12] = {};
    for (int c = 1; c <= 11; ++c) cost[c] = ExactLayoutCost(c, s.Rules, s.Mode);
    const uint64_t n = static_cast<uint64_t>(std::max(1, s.PartCount));
    const uint64_t k = static_cast<uint64_t>(std::max(1, s.PartIndex)) - 1;
    double sum = 0;
    ForEachCanonicalLayout([&](uint64_t i, const TExactLayout& l) {
        if (i % n != k) return true;
        sum += cost[LayoutDealtClass(l)];
        if (++layouts_ % kBlock == 0) blocks_.push_back(sum);
        return true;
    });
    if (layouts_ % kBlock != 0) blocks_.push_back(sum);
}

double TExactWork::Done(uint64_t done) const {
    if (done >= layouts_) return Total();
    const uint64_t b = done / kBlock;
    const uint64_t first = b * kBlock;
    const uint64_t size = std::min(kBlock, layouts_ - first);
    const double share = static_cast<double>(done - first) / static_cast<double>(size);
    return blocks_[b] + share * (blocks_[b + 1] - blocks_[b]);
}

double TExactTimeLeft::Report(double seconds, double done) {
    reports_.emplace_back(seconds, done);
    const double window = std::max(kWindow, seconds / 3);
    // Keep the newest report older than the window: the span then covers the whole window.
    while (reports_.size() > 2 && reports_[1].first <= seconds - window) reports_.pop_front();
    const auto [since, from] = reports_.front();
    const double span = seconds - since;
    if (span < kMinSpan || done <= from) return -1;
    const double rate = (done - from) / span;
    return (std::max(0.0, work_ - done) + later_) / rate;
}

} // namespace kvarlen
