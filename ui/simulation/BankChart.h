// The chart of a strategy run: the bank of each box and of the team over the deals, from the
// numbers of the bank file, thinned for drawing.
#pragma once

#include <QList>
#include <QPointF>
#include <QRect>
#include <QString>
#include <QWidget>

#include <array>
#include <cstdint>

class QChartView;
class QPushButton;
class QValueAxis;

namespace kvarlen {

struct TBankSeries {
    int TeamSize = 1;
    int64_t Deals = 0; // lines read
    // Boxes 1..3 at 0..2, the team (the sum of boxes 1..TeamSize) at 3; x = deal number, from
    // deal 0 (the initial banks) on.
    std::array<QList<QPointF>, 4> Lines;
};

// The lowest and highest value of a run of deals, emitted in the order they came.
struct TBankBucket {
    double Low = 0, High = 0;
    int64_t LowAt = -1, HighAt = -1;

    void Add(int64_t deal, double v) {
        if (LowAt < 0 || v < Low) Low = v, LowAt = deal;
        if (HighAt < 0 || v > High) High = v, HighAt = deal;
    }
    void Flush(QList<QPointF>& line) {
        if (LowAt < 0) return;
        const bool lowFirst = LowAt <= HighAt;
        line.append(QPointF(static_cast<double>(lowFirst ? LowAt : HighAt), lowFirst ? Low : High));
        if (LowAt != HighAt)
            line.append(
                QPointF(static_cast<double>(lowFirst ? HighAt : LowAt), lowFirst ? High : Low));
        *this = TBankBucket();
    }
};

// About this many runs of deals are drawn, whatever the length of the run.
constexpr int kBankChartPoints = 2000;

// Thins the banks of a run as they come, deal by deal: each run of about deals / buckets deals
// keeps its lowest and its highest bank, so that swings stay visible.
class TBankSeriesBuilder {
  public:
    TBankSeriesBuilder(int teamSize, const std::array<double, 3>& initialBanks, int64_t deals,
                       int buckets);
    void Add(double b1, double b2, double b3);
    TBankSeries Finish();

  private:
    TBankSeries series_;
    std::array<TBankBucket, 4> bucket_;
    std::array<double, 4> last_{};
    int64_t step_ = 1;
    int64_t deal_ = 0;
};

// Reads a bank file (banks of boxes 1..3 and their sum, tab-separated, either decimal
// separator, one line per deal). `deals` (the run's count) and `buckets` set the thinning: every
// run of about deals / buckets deals keeps its lowest and its highest bank, so that swings stay
// visible with at most 2 × buckets points per line. False with an error text when the file
// cannot be read or a line is not four numbers.
bool ReadBankSeries(const QString& path, int teamSize, const std::array<double, 3>& initialBanks,
                    int64_t deals, int buckets, TBankSeries& series, QString& error);

// Where a window of `size` goes beside `main` inside `room` without covering it: right, left,
// below or above, in that order; when none holds it, the largest free strip with the window
// shrunk to fit it.
QRect PlaceBeside(const QRect& main, const QSize& size, const QRect& room, int gap = 8);

// Where a window of `size` goes inside `room` covering none of `keepClear`: beside one of them
// (right, left, below, above; the first rect first); when no such place exists, PlaceBeside of
// the first rect.
QRect PlaceClear(const QList<QRect>& keepClear, const QSize& size, const QRect& room, int gap = 8);

// A tick step of 1, 2 or 5 times a power of ten, at least 1, giving at most about `ticks`
// intervals over `span`: whole deals and whole antes on the axes.
double WholeTickStep(double span, int ticks = 8);

// The window "Банк по раздачам": the chart, saved as PNG or SVG or copied by its buttons or its
// context menu.
class TBankChart : public QWidget {
    Q_OBJECT

  public:
    explicit TBankChart(QWidget* parent = nullptr);
    void ShowSeries(const TBankSeries& series);
    // Shows the window beside `main`; it is placed again only when it was hidden or now
    // covers the main window, and then clear of a shown `keepClear` (the trace window) too where
    // the screen has room.
    void ShowBeside(const QWidget* main, const QWidget* keepClear = nullptr);

    QChartView* ChartView = nullptr;
    QPushButton* SaveChartButton = nullptr; // "Сохранить как PNG или SVG…"
    QPushButton* CopyChartButton = nullptr; // "Копировать картинку"

  private:
    // Kept from run to run: axes replaced under a shown chart can leave their old labels drawn.
    QValueAxis* x_ = nullptr;
    QValueAxis* y_ = nullptr;
};

} // namespace kvarlen
