// The texts of the page "точный расчёт": the return table as cells (for the grid, the clipboard
// and the CSV file) and the summary lines, in Russian.
#pragma once

#include "exact/exact_report.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <string>
#include <vector>

namespace kvarlen {

struct TExactTableCells {
    QStringList Header; // "событие", "раздач", "вероятность", "итог на анте", "вклад..."
    QList<QStringList> Rows;     // the table's rows with the total after the outcome rows
    QList<int> EngineRows;       // per row: its TExactRow, or -1 for the total
    QList<double> Contributions; // per row, for the chart
};

// The rows of ExactTableRows in their order with "итого" after the outcome rows; numbers with
// the decimal separator sep.
TExactTableCells ExactTableCells(const TExactResult& r, char sep);

// The summary under the table: deals, exact net result, MO and house edge, variance, average
// wager and element of risk, decision shares, layouts and time.
QStringList ExactSummaryLines(const TExactResult& r, char sep);
// Best play beside the rules of play (the first result is best play): value, edge, cost.
QStringList ExactComparisonText(const std::vector<TExactResult>& results, char sep);

// Header and rows separated by tabs, one line each (for pasting into a spreadsheet).
QString ExactTabText(const TExactTableCells& cells);
// Header and rows as CSV lines: comma between the fields, quotes where a field needs them.
std::vector<std::string> ExactCsvLines(const TExactTableCells& cells);

// A short name of a row for the chart's axis: "пас", "нет игры", the class of a win, ...
QString ExactChartLabel(int engineRow);

// Fixed notation with the given decimals and separator; a zero never shows a minus.
QString ExactFixed(long double v, int decimals, char sep);

} // namespace kvarlen
