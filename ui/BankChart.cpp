#include "ui/BankChart.h"

#include <QChart>
#include <QChartView>
#include <QFile>
#include <QLineSeries>
#include <QVBoxLayout>
#include <QValueAxis>

#include <algorithm>
#include <charconv>
#include <cmath>

namespace kvarlen {

namespace {

// One number of a bank line; the file uses the report's decimal separator.
bool ParseNumber(const char* begin, const char* end, double& value) {
    char buf[64];
    const size_t n = static_cast<size_t>(end - begin);
    if (n == 0 || n >= sizeof buf) return false;
    for (size_t i = 0; i < n; ++i) buf[i] = begin[i] == ',' ? '.' : begin[i];
    const auto [ptr, ec] = std::from_chars(buf, buf + n, value);
    return ec == std::errc() && ptr == buf + n;
}

bool ParseBankLine(const char* line, size_t size, std::array<double, 4>& v) {
    while (size > 0 && (line[size - 1] == '\n' || line[size - 1] == '\r')) --size;
    const char* p = line;
    const char* end = line + size;
    for (size_t i = 0; i < 4; ++i) {
        const char* tab = std::find(p, end, '\t');
        if (!ParseNumber(p, tab, v[i])) return false;
        if (i < 3 && tab == end) return false;
        p = tab == end ? end : tab + 1;
    }
    return p == end;
}

} // namespace

TBankSeriesBuilder::TBankSeriesBuilder(int teamSize, const std::array<double, 3>& initialBanks,
                                       int64_t deals, int buckets) {
    series_.TeamSize = std::clamp(teamSize, 1, 3);
    step_ = std::max<int64_t>(1, (deals + std::max(buckets, 1) - 1) / std::max(buckets, 1));
    double team0 = 0;
    for (int b = 0; b < series_.TeamSize; ++b) team0 += initialBanks[static_cast<size_t>(b)];
    for (size_t b = 0; b < 3; ++b) series_.Lines[b].append(QPointF(0, initialBanks[b]));
    series_.Lines[3].append(QPointF(0, team0));
}

void TBankSeriesBuilder::Add(double b1, double b2, double b3) {
    const std::array<double, 3> v{b1, b2, b3};
    ++deal_;
    double team = 0;
    for (int b = 0; b < series_.TeamSize; ++b) team += v[static_cast<size_t>(b)];
    for (size_t b = 0; b < 3; ++b) bucket_[b].Add(deal_, v[b]);
    bucket_[3].Add(deal_, team);
    last_ = {v[0], v[1], v[2], team};
    if (deal_ % step_ == 0)
        for (size_t b = 0; b < 4; ++b) bucket_[b].Flush(series_.Lines[b]);
}

TBankSeries TBankSeriesBuilder::Finish() {
    for (size_t b = 0; b < 4; ++b) {
        bucket_[b].Flush(series_.Lines[b]);
        // The line ends at the bank after the last deal.
        if (deal_ > 0 && series_.Lines[b].last().x() != static_cast<double>(deal_))
            series_.Lines[b].append(QPointF(static_cast<double>(deal_), last_[b]));
    }
    series_.Deals = deal_;
    return series_;
}

bool ReadBankSeries(const QString& path, int teamSize, const std::array<double, 3>& initialBanks,
                    int64_t deals, int buckets, TBankSeries& series, QString& error) {
    series = TBankSeries();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error = QString("Cannot open file \"%1\". %2").arg(path, file.errorString());
        return false;
    }
    TBankSeriesBuilder builder(teamSize, initialBanks, deals, buckets);
    char line[256];
    int64_t deal = 0;
    for (;;) {
        const qint64 n = file.readLine(line, sizeof line);
        if (n <= 0) break;
        std::array<double, 4> v{};
        if (!ParseBankLine(line, static_cast<size_t>(n), v)) {
            error = QString("Line %1 of \"%2\" is not a bank line").arg(deal + 1).arg(path);
            return false;
        }
        ++deal;
        builder.Add(v[0], v[1], v[2]);
    }
    series = builder.Finish();
    return true;
}

TBankChart::TBankChart(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName("BankChart");
    setWindowTitle("Банк по раздачам");
    setAttribute(Qt::WA_QuitOnClose, false);
    // Shown after each strategy run without taking the keyboard from the main window.
    setAttribute(Qt::WA_ShowWithoutActivating);
    auto* chart = new QChart;
    chart->legend()->setAlignment(Qt::AlignBottom);
    chart->setLocalizeNumbers(true);
    ChartView = new QChartView(chart);
    ChartView->setObjectName("BankChartView");
    ChartView->setRenderHint(QPainter::Antialiasing);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(ChartView);
    resize(720, 440);
}

void TBankChart::ShowSeries(const TBankSeries& s) {
    QChart* chart = ChartView->chart();
    chart->removeAllSeries();
    for (QAbstractAxis* axis : chart->axes()) {
        chart->removeAxis(axis);
        delete axis;
    }
    chart->setTitle(QString("Банк боксов и команды, %1 раздач").arg(s.Deals));

    static const QColor colours[4] = {QColor(30, 100, 200), QColor(220, 120, 20),
                                      QColor(40, 150, 60), QColor(20, 20, 20)};
    double low = 0, high = 0;
    bool first = true;
    auto add = [&](size_t index, const QString& name) {
        auto* line = new QLineSeries;
        line->setName(name);
        QPen pen(colours[index]);
        pen.setWidthF(index == 3 ? 2.0 : 1.2);
        line->setPen(pen);
        line->replace(s.Lines[index]);
        for (const QPointF& p : s.Lines[index]) {
            low = first ? p.y() : std::min(low, p.y());
            high = first ? p.y() : std::max(high, p.y());
            first = false;
        }
        chart->addSeries(line);
    };
    // With one box the team's bank is that box's bank: one line.
    if (s.TeamSize == 1) {
        add(0, "бокс 1 = команда");
    } else {
        for (int b = 0; b < s.TeamSize; ++b)
            add(static_cast<size_t>(b), QString("бокс %1").arg(b + 1));
        add(3, "команда");
    }
    auto* x = new QValueAxis;
    x->setTitleText("раздача");
    x->setLabelFormat("%.0f");
    x->setRange(0, static_cast<double>(std::max<int64_t>(s.Deals, 1)));
    x->applyNiceNumbers();
    auto* y = new QValueAxis;
    y->setTitleText("банк, анте");
    const double pad = std::max((high - low) * 0.05, 1.0);
    y->setRange(low - pad, high + pad);
    y->applyNiceNumbers();
    // Whole antes, unless the banks hardly moved.
    y->setLabelFormat(y->max() - y->min() >= 10 ? "%.0f" : "%.1f");
    chart->addAxis(x, Qt::AlignBottom);
    chart->addAxis(y, Qt::AlignLeft);
    for (QAbstractSeries* series : chart->series()) {
        series->attachAxis(x);
        series->attachAxis(y);
    }
}

} // namespace kvarlen
