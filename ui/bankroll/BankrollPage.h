// The page "математика": risk of ruin, minimal bank and the spread of N deals, with a chart of
// the spread.
#pragma once

#include <QWidget>

class QChartView;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;

namespace kvarlen {

class TBankrollPage : public QWidget {
    Q_OBJECT

  public:
    explicit TBankrollPage(QWidget* parent = nullptr);

    void Button14Click(); // ROR
    void Button15Click(); // MinBank
    void Button16Click(); // spread over N deals
    void MathDISPChange();
    // A simulation's mean and variance per deal, six decimals each.
    void ShowMathInputs(double mo, double variance);

    QLineEdit* MathBank = nullptr;
    QLineEdit* MathMO = nullptr;
    QLineEdit* MathDISP = nullptr;
    QLineEdit* MathSIGMA = nullptr;
    QLineEdit* MathEditTryCount = nullptr;
    QPushButton* Button14 = nullptr;
    QPushButton* Button15 = nullptr;
    QPushButton* Button16 = nullptr;
    QLabel* LabelMathROR = nullptr;
    QLabel* LabelMathBank = nullptr;
    QLabel* LabelMathRazbros = nullptr;
    QChartView* MathChart = nullptr;
    // The chart to a PNG or SVG file and to the clipboard (also on its context menu).
    QToolButton* MathChartSave = nullptr;
    QToolButton* MathChartCopy = nullptr;

  private:
    void DrawSpread(long long deals, double mo, double variance);
};

// Fixed notation with the given decimals and at most ten significant digits, in the user's
// number format.
QString MathFixed(double value, int decimals);

} // namespace kvarlen
