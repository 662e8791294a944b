#include "ui/exact/ExactChart.h"

#include "ui/exact/ExactTable.h"

#include <QBarCategoryAxis>
#include <QBarSet>
#include <QCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QHorizontalStackedBarSeries>

#include <algorithm>
#include <cmath>

namespace kvarlen {

void ResetExactChart(QChartView* view) {
    auto* chart = new QChart;
    // Short enough for the narrowest chart; the unit goes under the value axis.
    chart->setTitle("Вклад событий");
    // Green for the box, red for the house: the colours say it, the legend would take the room.
    chart->legend()->hide();
    chart->setLocalizeNumbers(true);
    chart->setMargins(QMargins(2, 2, 8, 2));
    QChart* old = view->chart();
    view->setChart(chart);
    delete old;
}

void DrawExactChart(QChartView* view, const TExactTableCells& cells, char sep) {
    ResetExactChart(view);
    QChart* chart = view->chart();
    auto* gain = new QBarSet("в пользу бокса");
    gain->setColor(QColor(40, 150, 60));
    auto* loss = new QBarSet("в пользу казино");
    loss->setColor(QColor(200, 50, 40));
    QStringList categories;
    double low = 0, high = 0;
    // Horizontal bars run from the bottom up: the table's first row goes last.
    for (qsizetype r = cells.Rows.size() - 1; r >= 0; --r) {
        if (cells.EngineRows[r] < 0) continue; // the sum and the return: no event of their own
        const double v = cells.Contributions[r];
        categories << ExactChartLabel(cells.EngineRows[r]);
        *gain << (v > 0 ? v : 0.0);
        *loss << (v < 0 ? v : 0.0);
        low = std::min(low, v);
        high = std::max(high, v);
    }
    auto* series = new QHorizontalStackedBarSeries;
    series->append(gain);
    series->append(loss);
    series->setBarWidth(0.7);
    chart->addSeries(series);
    auto* events = new QBarCategoryAxis;
    events->append(categories);
    // A label taller than its band is cut to "...": keep them small enough for 18 rows.
    QFont small = events->labelsFont();
    small.setPixelSize(10);
    events->setLabelsFont(small);
    events->setTruncateLabels(false);
    // Ticks at whole multiples of a round step, labelled here: the axis's own dynamic ticks add
    // the step up from the first one and show a zero reached that way as "-0,0".
    // About one label per 40 pixels of the plot, which is the chart less its event labels.
    const int intervals = std::clamp((view->width() - 110) / 40, 2, 6);
    const double span = std::max(high - low, 1e-6);
    double step = std::pow(10.0, std::floor(std::log10(span / intervals)));
    for (double factor : {1.0, 2.0, 2.5, 5.0, 10.0})
        if (span / (step * factor) <= intervals) {
            step *= factor;
            break;
        }
    // As many decimals as the step needs: 0,2 -> one, 0,25 -> two.
    int decimals = 0;
    for (double scaled = step; decimals < 6 && std::fabs(scaled - std::round(scaled)) > 1e-9;
         scaled *= 10)
        ++decimals;
    const long long first = static_cast<long long>(std::floor(low / step + 1e-9));
    const long long last = static_cast<long long>(std::ceil(high / step - 1e-9));
    auto* values = new QCategoryAxis;
    values->setLabelsFont(small);
    values->setTitleText("анте на раздачу");
    values->setTitleFont(small);
    values->setTruncateLabels(false);
    values->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    values->setRange(static_cast<double>(first) * step, static_cast<double>(last) * step);
    values->setStartValue(static_cast<double>(first) * step);
    for (long long k = first; k <= last; ++k)
        values->append(ExactFixed(static_cast<long double>(k) * step, decimals, sep),
                       static_cast<double>(k) * step);
    chart->addAxis(events, Qt::AlignLeft);
    chart->addAxis(values, Qt::AlignBottom);
    series->attachAxis(events);
    series->attachAxis(values);
}

} // namespace kvarlen
