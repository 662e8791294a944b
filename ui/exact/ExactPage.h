// The page "точный расчёт": the exact value of the whole game for one box under the rules in
// force, counted on worker threads, with the return table, the summary and a chart of what each
// event contributes.
#pragma once

#include "exact/exact_run.h"

#include <QString>
#include <QWidget>

#include <memory>
#include <vector>

class QCheckBox;
class QChartView;
class QLabel;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QTabWidget;
class QTableWidget;

namespace kvarlen {

class TExactRunner;
class TExactSweepPanel;
class TSvgPicture;
struct TExactTableCells;
struct TSweepOutcome;
class TForm1;

// Where a table is saved, behind an interface so that tests never block on a dialog.
class TExactFileChooser {
  public:
    virtual ~TExactFileChooser() = default;
    // The chosen path, or an empty string when the user cancelled.
    virtual QString SaveCsvPath(QWidget* parent, const QString& suggested) = 0;
};
// Installs a chooser (not owned); nullptr restores the file dialog. Returns the previous one.
TExactFileChooser* SetExactFileChooser(TExactFileChooser* chooser);

class TExactPage : public QWidget {
    Q_OBJECT

  public:
    // The rules come from form's controls at each START.
    explicit TExactPage(TForm1& form, QWidget* parent = nullptr);
    ~TExactPage() override;

    // START, or the stop of the run that goes on.
    void StartClick();
    // Reads the rules and starts a run (on the tab of the rule curve, the sweep); false, with
    // the reason shown, when nothing started.
    bool Start();
    // The sweep of the rule curve's tab under the rules in the window.
    bool StartSweep();
    void Stop();
    // Stops a run that goes on and waits for its threads (the window is closing).
    void StopAndWait();
    bool Running() const;
    // The last finished (or stopped) run; nullptr before the first.
    const TExactResult* Result() const { return result_.get(); }

    // Copies the table of the tab shown (the return table and the summary, the decision chart,
    // the points of the sweep) to the clipboard, tab-separated; false when there is none.
    bool CopyTable();
    // Saves that table as CSV where the chooser says; false when cancelled or not written (said).
    bool SaveCsv();
    // The picture of the tab shown: the events' chart, the decisions or the rule curve.
    QWidget* CurrentPicture() const;

    // Counts only the part k of n of the layouts (quick runs for tests; 1 of 1 by default).
    void SetPart(int k, int n);

    QRadioButton* ExactIdeal = nullptr;
    QRadioButton* ExactStrategy = nullptr;
    QRadioButton* ExactOptimal = nullptr;
    QCheckBox* ExactCompare = nullptr; // START counts best, ideal and strategy play in turn
    QPushButton* ExactStart = nullptr;
    QProgressBar* ExactProgress = nullptr;
    QPushButton* ExactCopy = nullptr;
    QPushButton* ExactSave = nullptr;
    QTabWidget* ExactTabs = nullptr; // the return table, the decisions, the rule curve
    QTableWidget* ExactGrid = nullptr;
    QPlainTextEdit* ExactSummary = nullptr;
    QChartView* ExactChart = nullptr;
    QPushButton* ExactChartSave = nullptr; // the chart as PNG or SVG
    QPushButton* ExactChartCopy = nullptr;
    TSvgPicture* ExactDecisions = nullptr; // the decision chart of the last run
    TExactSweepPanel* ExactSweep = nullptr;
    // What the page did last; long texts wrap within two lines and never widen the window.
    QLabel* ExactStatus = nullptr;

  protected:
    void changeEvent(QEvent* event) override;

  private:
    void FitToFont();
    void OnProgress(quint64 done, quint64 total, double secondsLeft);
    void OnFinished(std::shared_ptr<const TExactResult> result);
    void OnSweepFinished(std::shared_ptr<const TSweepOutcome> outcome);
    // Copy and save act on the tab shown and what it has.
    void UpdateButtons();
    // No run going on and no simulation; false (said) otherwise.
    bool CanStart();
    // Reads the rules and the mode of the window; false (said) when they cannot be read.
    bool ReadSettings(TExactSettings* s);
    void OnFailed(const QString& message);
    void ShowIdle();
    // START turned into the stop of the run that began: modes locked, the bar from 0.
    void ShowRunning(const QString& stopTip, const QString& status);
    void ShowResult();
    void FitGridColumns();
    void ClearResult();
    void SetStatus(const QString& text);
    // The summary as shown: the comparison, if any, then the summary of the result.
    QStringList SummaryLines(char sep) const;

    TForm1& form_;
    TExactRunner* runner_ = nullptr;
    std::shared_ptr<const TExactResult> result_;
    // The comparison: the runs still to start and the results so far (best play first).
    std::vector<TExactSettings> queue_;
    std::vector<TExactResult> compared_;
    bool comparing_ = false;
    QString strategyLeftOut_;
    QString ruleSetName_; // of the run shown, as it was at START
    bool sweeping_ = false;
    QString sweepRuleSet_; // of the sweep shown
    void EnableModes(bool on);
    void StartQueued();
    int partIndex_ = 1, partCount_ = 1;
};

// Pictures of the page for --screenshot: a part of the default rules, then the classic
// five-card game (no purchase, no insurance) while it runs and when it is done. The rules are
// set back afterwards. False when a picture could not be written.
bool SaveExactScreenshots(TForm1& form, const QString& folder);

} // namespace kvarlen
