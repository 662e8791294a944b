// The chart of a strategy run: the bank of each box and of the team over the deals, from the
// numbers of the bank file, thinned for drawing.
#pragma once

#include <QList>
#include <QPointF>
#include <QString>
#include <QWidget>

#include <array>
#include <cstdint>

class QChartView;

namespace kvarlen {

struct TBankSeries {
    int TeamSize = 1;
    int64_t Deals = 0; // lines read
    // Boxes 1..3 at 0..2, the team (the sum of boxes 1..TeamSize) at 3; x = deal number, from
    // deal 0 (the initial banks) on.
    std::array<QList<QPointF>, 4> Lines;
};

// Reads a bank file (banks of boxes 1..3 and their sum, tab-separated, either decimal
// separator, one line per deal). `deals` (the run's count) and `buckets` set the thinning: every
// run of about deals / buckets deals keeps its lowest and its highest bank, so that swings stay
// visible with at most 2 × buckets points per line. False with an error text when the file
// cannot be read or a line is not four numbers.
bool ReadBankSeries(const QString& path, int teamSize, const std::array<double, 3>& initialBanks,
                    int64_t deals, int buckets, TBankSeries& series, QString& error);

// The window "Банк по раздачам".
class TBankChart : public QWidget {
    Q_OBJECT

  public:
    explicit TBankChart(QWidget* parent = nullptr);
    void ShowSeries(const TBankSeries& series);

    QChartView* ChartView = nullptr;
};

} // namespace kvarlen
