// The rule designer of the page "точный расчёт": a price or a payout swept over a range, every
// point an exact run counted in one pass, the house edge and the element of risk drawn against
// it with the rules in force marked, and the value that gives a chosen house edge solved.
#pragma once

#include "exact/exact_sweep.h"
#include "ui/exact/ExactRunner.h"

#include <QString>
#include <QStringList>
#include <QWidget>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class QComboBox;
class QLabel;
class QLineEdit;
class QTableWidget;

namespace kvarlen {

class TSvgPicture;
struct TExactTableCells;

class TExactSweepPanel : public QWidget {
    Q_OBJECT

  public:
    // current: the value of a payout as the window has it now, for the default range.
    explicit TExactSweepPanel(std::function<double(const TSweepParameter&)> current,
                              QWidget* parent = nullptr);

    // The sweep the controls ask for under base's rules and pay: the plan (with the value of the
    // rules in force added where it lies within the range, to be marked) and the target edge.
    // False, with the reason in the window's language, for anything it cannot count.
    bool Read(const TExactSettings& base, const TPayTable& pay, TSweepOutcome* out,
              QString* error) const;

    // Forgets the sweep shown (a new one starts).
    void Clear();
    void Show(std::shared_ptr<const TSweepOutcome> outcome, const QString& ruleSetName);
    const TSweepOutcome* Outcome() const { return outcome_.get(); }

    // The lines under the chart: what was swept and the value solved for the target.
    QStringList SummaryLines(char sep) const;
    // The grid of the points as the copy and the CSV file have it.
    TExactTableCells Cells(char sep) const;

    // The range fields filled for the parameter chosen, around its value in the rules.
    void FillDefaults();

    QComboBox* SweepParameter = nullptr;
    QLineEdit* SweepFrom = nullptr;
    QLineEdit* SweepTo = nullptr;
    QLineEdit* SweepStep = nullptr;
    QLineEdit* SweepTarget = nullptr; // the house edge in per cent; empty: no target
    QLabel* SweepResult = nullptr;
    TSvgPicture* SweepChart = nullptr;
    QTableWidget* SweepGrid = nullptr;

  private:
    void ShowGrid();
    std::string ChartSvg(int width, int height) const;

    std::function<double(const TSweepParameter&)> current_;
    std::shared_ptr<const TSweepOutcome> outcome_;
    QString ruleSetName_;
};

} // namespace kvarlen
