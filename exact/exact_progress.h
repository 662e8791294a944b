// The time an exact run has left. Layouts differ in what they cost to count (a card a purchase
// or an exchange brings multiplies the dealer hands by 42; a flush compares with every dealer
// flush; strategy play deals out only the layouts it buys on), so the work done is measured in
// cost units fixed before the run, and the time left comes from the rate of the recent work.
#pragma once

#include "exact/exact_layouts.h"
#include "exact/exact_run.h"

#include <cstdint>
#include <deque>
#include <utility>
#include <vector>

namespace kvarlen {

// The dealt class of a layout's five cards (ComboIndex: 1 nothing, 2 ace + king, ... 11 royal),
// ace + king counted as a class, read from the suit masks alone.
int LayoutDealtClass(const TExactLayout& l);

// What counting one layout of the dealt class costs under the rules and mode, in units of
// about a tenth of a microsecond of one core (measured once per dealt class; only the ratios
// matter).
double ExactLayoutCost(int dealtClass, const TRules& rules, TExactMode mode);

// The cost of the layouts of a part, in the order the run hands them out, summed in blocks so
// that the work behind a progress report ("done" layouts) is found at once.
class TExactWork {
  public:
    explicit TExactWork(const TExactSettings& s);

    uint64_t Layouts() const { return layouts_; }
    double Total() const { return blocks_.back(); }
    // The cost of the first `done` layouts (interpolated within a block).
    double Done(uint64_t done) const;

    static constexpr uint64_t kBlock = 4096;

  private:
    uint64_t layouts_ = 0;
    std::vector<double> blocks_{0.0}; // blocks_[b]: the cost of the first b * kBlock layouts
};

// Seconds left from progress reports in cost units. The rate is that of the recent reports (the
// last third of the run so far, at least kWindow seconds), so the time spent before the first
// layout and a machine that grows busier or idler weigh only as long as they last.
class TExactTimeLeft {
  public:
    // work: the run's cost; later: the cost of the runs that follow it (a comparison).
    explicit TExactTimeLeft(double work, double later = 0) : work_(work), later_(later) {}
    // A report: seconds since the run started and the cost done by then. Returns the seconds
    // left, or -1 while too little is known.
    double Report(double seconds, double done);

    static constexpr double kWindow = 10;   // seconds
    static constexpr double kMinSpan = 1.0; // seconds of reports before a first estimate

  private:
    double work_, later_;
    std::deque<std::pair<double, double>> reports_; // (seconds, done)
};

} // namespace kvarlen
