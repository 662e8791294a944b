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

// Rows of the table that are no engine row.
constexpr int kSubtotalRow = -1; // "сумма исходов": the outcome rows, before insurance and prices
constexpr int kReturnRow = -2; // "возврат на раздачу": the value of the game, the last row

struct TExactTableCells {
    QStringList Header; // "событие", "раздач", "вероятность", "итог на анте", "вклад..."
    QList<QStringList> Rows;     // the table's rows
    QList<int> EngineRows;       // per row: its TExactRow, kSubtotalRow or kReturnRow
    QList<double> Contributions; // per row, for the chart
};

// The rows of ExactTableRows in their order with "сумма исходов" after the outcome rows and,
// for a complete run, "возврат на раздачу" (the MO) last; numbers with the decimal separator
// sep. A stopped run has no return row: its layouts are the first in order, not a sample.
TExactTableCells ExactTableCells(const TExactResult& r, char sep);

// The summary under the table: the rule set and its rules, deals, exact net result, MO and
// house edge, variance, average wager and element of risk, decision shares, layouts and time.
// A stopped run gets the counts only.
QStringList ExactSummaryLines(const TExactResult& r, char sep, const QString& ruleSetName);
// Best play beside the rules of play (the first result is best play): value, edge, cost.
QStringList ExactComparisonText(const std::vector<TExactResult>& results, char sep);

// Header and rows separated by tabs, one line each (for pasting into a spreadsheet), then an
// empty line and the summary.
QString ExactTabText(const TExactTableCells& cells, const QStringList& summary = {});
// Header and rows as CSV lines (comma between the fields, quotes where a field needs them),
// then an empty line and each line of the summary as a field of its own.
std::vector<std::string> ExactCsvLines(const TExactTableCells& cells,
                                       const QStringList& summary = {});

// A short name of a row for the chart's axis: "пас", "нет игры", the class of a win, ...
QString ExactChartLabel(int engineRow);

// Fixed notation with the given decimals and separator; a zero never shows a minus.
QString ExactFixed(long double v, int decimals, char sep);

} // namespace kvarlen
