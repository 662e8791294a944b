// The chart of the page "точный расчёт": what each event of the return table contributes to
// the return, as horizontal bars, green for the box and red for the house.
#pragma once

class QChartView;

namespace kvarlen {

struct TExactTableCells;

// A blank chart with its title (before the first run, and while one goes on).
void ResetExactChart(QChartView* view);
// One bar per event row of the table (not the sum, not the return), the first row on top;
// axis numbers with sep.
void DrawExactChart(QChartView* view, const TExactTableCells& cells, char sep);

} // namespace kvarlen
