#include "ui/simulation/BankChart.h"

#include "ui/common/ChartExport.h"

#include <QChart>
#include <QChartView>
#include <QFile>
#include <QHBoxLayout>
#include <QLineSeries>
#include <QPushButton>
#include <QScreen>
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

QRect PlaceBeside(const QRect& main, const QSize& size, const QRect& room, int gap) {
    struct Strip {
        QRect Free;
        bool Horizontal; // beside (right, left) rather than below or above
    };
    const Strip strips[4] = {
        {QRect(QPoint(main.right() + 1 + gap, room.top()), room.bottomRight()), true},
        {QRect(room.topLeft(), QPoint(main.left() - 1 - gap, room.bottom())), true},
        {QRect(QPoint(room.left(), main.bottom() + 1 + gap), room.bottomRight()), false},
        {QRect(room.topLeft(), QPoint(room.right(), main.top() - 1 - gap)), false},
    };
    auto place = [&](const Strip& st, QSize sz, int index) {
        const QRect f = st.Free;
        sz = sz.boundedTo(f.size());
        QPoint at;
        if (st.Horizontal) {
            at.setX(index == 0 ? f.left() : f.right() + 1 - sz.width());
            at.setY(std::clamp(main.top(), f.top(), f.bottom() + 1 - sz.height()));
        } else {
            at.setY(index == 2 ? f.top() : f.bottom() + 1 - sz.height());
            at.setX(std::clamp(main.left(), f.left(), f.right() + 1 - sz.width()));
        }
        return QRect(at, sz);
    };
    int best = -1;
    int64_t bestArea = 0;
    for (int i = 0; i < 4; ++i) {
        const QRect f = strips[i].Free;
        if (f.width() <= 0 || f.height() <= 0) continue;
        if (f.width() >= size.width() && f.height() >= size.height())
            return place(strips[i], size, i);
        const int64_t area =
            int64_t(std::min(f.width(), size.width())) * std::min(f.height(), size.height());
        if (area > bestArea) best = i, bestArea = area;
    }
    if (best >= 0) return place(strips[best], size, best);
    // The main window fills the screen: there is no free place.
    return QRect(QPoint(room.right() + 1 - size.width(), room.top()), size);
}

QRect PlaceClear(const QList<QRect>& keepClear, const QSize& size, const QRect& room, int gap) {
    if (keepClear.isEmpty()) return QRect(room.topLeft(), size);
    auto clear = [&](const QRect& r) {
        if (!room.contains(r)) return false;
        for (const QRect& k : keepClear)
            if (r.intersects(k)) return false;
        return true;
    };
    for (const QRect& k : keepClear) {
        const int y = std::clamp(k.top(), room.top(),
                                 std::max(room.top(), room.bottom() + 1 - size.height()));
        const int x = std::clamp(k.left(), room.left(),
                                 std::max(room.left(), room.right() + 1 - size.width()));
        const QRect beside[4] = {
            QRect(QPoint(k.right() + 1 + gap, y), size),
            QRect(QPoint(k.left() - gap - size.width(), y), size),
            QRect(QPoint(x, k.bottom() + 1 + gap), size),
            QRect(QPoint(x, k.top() - gap - size.height()), size),
        };
        for (const QRect& r : beside)
            if (clear(r)) return r;
    }
    return PlaceBeside(keepClear.first(), size, room, gap);
}

double WholeTickStep(double span, int ticks) {
    const double raw = std::max(span / std::max(ticks, 1), 1.0);
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    for (const double m : {1.0, 2.0, 5.0, 10.0})
        if (m * power >= raw) return m * power;
    return 10 * power;
}

void TBankChart::ShowBeside(const QWidget* main, const QWidget* keepClear) {
    if (main != nullptr && (!isVisible() || frameGeometry().intersects(main->frameGeometry()))) {
        // The frame's extra size (title bar, borders) counts, once the window system gave one.
        const QSize extra = frameGeometry().size() - geometry().size();
        const QScreen* screen = main->screen();
        const QRect room = screen != nullptr ? screen->availableGeometry()
                                             : main->frameGeometry().adjusted(0, 0, 2000, 0);
        QRect at = PlaceBeside(main->frameGeometry(), size() + extra, room);
        if (keepClear != nullptr && keepClear->isVisible()) {
            // Clear of both at full size, or else beside the main window as before.
            const QRect both = PlaceClear({main->frameGeometry(), keepClear->frameGeometry()},
                                          size() + extra, room);
            if (!both.intersects(keepClear->frameGeometry()) &&
                !both.intersects(main->frameGeometry()) && both.size() == size() + extra)
                at = both;
        }
        if (at.size() != size() + extra) resize(at.size() - extra);
        move(at.topLeft());
    }
    show();
    raise();
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
    x_ = new QValueAxis;
    x_->setTitleText("раздача");
    x_->setLabelFormat("%.0f");
    y_ = new QValueAxis;
    y_->setTitleText("банк, анте");
    y_->setLabelFormat("%.0f");
    chart->addAxis(x_, Qt::AlignBottom);
    chart->addAxis(y_, Qt::AlignLeft);
    ChartView = new QChartView(chart);
    ChartView->setObjectName("BankChartView");
    ChartView->setRenderHint(QPainter::Antialiasing);
    AddPictureMenu(ChartView, "bank-chart");
    SaveChartButton = new QPushButton("Сохранить как PNG или SVG…");
    SaveChartButton->setObjectName("SaveChartButton");
    CopyChartButton = new QPushButton("Копировать картинку");
    CopyChartButton->setObjectName("CopyChartButton");
    // The picture is the chart alone, without these buttons.
    connect(SaveChartButton, &QPushButton::clicked, this,
            [this] { SavePictureAs(ChartView, "bank-chart"); });
    connect(CopyChartButton, &QPushButton::clicked, this, [this] { CopyPicture(ChartView); });
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 6);
    layout->addWidget(ChartView, 1);
    auto* buttons = new QHBoxLayout;
    buttons->setContentsMargins(8, 0, 8, 0);
    buttons->addStretch(1);
    buttons->addWidget(SaveChartButton);
    buttons->addWidget(CopyChartButton);
    layout->addLayout(buttons);
    resize(720, 470);
}

void TBankChart::ShowSeries(const TBankSeries& s) {
    QChart* chart = ChartView->chart();
    chart->removeAllSeries();
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
    auto setAxis = [](QValueAxis* axis, double min, double max, double step) {
        // Never the old step over the new range (or the reverse): a step of 1 over 20000 deals
        // would lay out 20000 labels.
        axis->setTickInterval(std::max({max - min, axis->max() - axis->min(), step}));
        axis->setRange(min, max);
        axis->setTickType(QValueAxis::TicksDynamic);
        axis->setTickAnchor(0);
        axis->setTickInterval(step);
    };
    // Whole deals: a two-deal run reads 0 1 2, not 0 0,5 1 ...
    const double deals = static_cast<double>(std::max<int64_t>(s.Deals, 1));
    const double xStep = WholeTickStep(deals);
    setAxis(x_, 0, std::ceil(deals / xStep) * xStep, xStep);
    // Whole antes on whole ticks.
    const double pad = std::max((high - low) * 0.05, 1.0);
    const double yStep = WholeTickStep(high - low + 2 * pad);
    setAxis(y_, std::floor((low - pad) / yStep) * yStep, std::ceil((high + pad) / yStep) * yStep,
            yStep);
    for (QAbstractSeries* series : chart->series()) {
        series->attachAxis(x_);
        series->attachAxis(y_);
    }
}

} // namespace kvarlen
