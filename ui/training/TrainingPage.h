// The page "тренажёр": the training table of the desktop program. Deals for a team of one to
// three boxes, asks every decision by keyboard or mouse, shows what the judge says of it, keeps
// the session's statistics and writes each finished deal into the training history.
#pragma once

#include "training/training_history.h"
#include "training/training_session.h"

#include <QString>
#include <QWidget>

#include <array>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QChartView;
class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTabWidget;
class QTableWidget;
class QTextEdit;

namespace kvarlen {

class TCard;
class TForm1;

// Where the history goes when the user picks another file, behind an interface for tests.
class THistoryFileChooser {
  public:
    virtual ~THistoryFileChooser() = default;
    // The chosen path, or an empty string when the user cancelled.
    virtual QString HistoryPath(QWidget* parent, const QString& current) = 0;
};
// Installs a chooser (not owned); nullptr restores the file dialog. Returns the previous one.
THistoryFileChooser* SetHistoryFileChooser(THistoryFileChooser* chooser);

class TTrainingPage : public QWidget {
    Q_OBJECT

  public:
    explicit TTrainingPage(TForm1& form, QWidget* parent = nullptr);
    ~TTrainingPage() override;

    // "начать": reads the settings and deals the first deal; false, with the reason shown, when
    // no session started.
    bool Start();
    // "закончить": the deal in progress is dropped, the finished ones stay in the history.
    void Finish();
    // One key of the table: "0".."5", "B", "R", "P", "I", "N", "ENTER", "BACKSPACE". False when
    // the key means nothing now.
    bool Press(const std::string& key);
    // Puts the costliest mistake at row of the list on "расклады" and switches there.
    bool OpenMistake(int row);
    // Reads the history's figures into the chart (nothing when no history is kept).
    void RefreshChart();

    const training::TTrainingSession* Session() const { return session_.get(); }
    // The options of the decision asked now, priced; nullptr when no decision is asked.
    const training::TPricedDecision* Priced();
    bool Playing() const { return session_ != nullptr && !finished_; }
    // The history the session writes; nullptr when none is kept.
    training::TTrainingHistory* History() const { return history_.get(); }

    // Settings.
    QSpinBox* TrainBoxes = nullptr;
    QComboBox* TrainInfo = nullptr;
    QLineEdit* TrainSeed = nullptr;
    QLineEdit* TrainDeals = nullptr;
    QComboBox* TrainFeedback = nullptr;
    QComboBox* TrainDrill = nullptr;
    QLineEdit* TrainMargin = nullptr;
    QCheckBox* TrainKeepHistory = nullptr;
    QLineEdit* TrainHistoryPath = nullptr;
    QPushButton* TrainHistoryChoose = nullptr;
    QPushButton* TrainStart = nullptr;
    QPushButton* TrainStop = nullptr;
    // The table.
    QTabWidget* TrainTabs = nullptr;
    QFrame* TrainTable = nullptr;
    std::array<TCard*, 5> DealerCards{};
    std::array<TCard*, 6> BoxCards{}; // the deciding box: slots 1..5 at 0..4, the received card
    std::array<std::array<TCard*, 6>, 2> OtherCards{};
    QLabel* DealerLabel = nullptr;
    QLabel* BoxLabel = nullptr;
    QLabel* ReceivedLabel = nullptr;
    std::array<QLabel*, 2> OtherLabels{};
    QLabel* SightLabel = nullptr;
    std::map<std::string, QPushButton*> KeyButtons;
    QLabel* KeysHint = nullptr;
    QTextEdit* TrainJudgement = nullptr;
    QLabel* TrainStatus = nullptr;
    // Statistics, mistakes, progress.
    QTableWidget* TrainStats = nullptr;
    QTableWidget* TrainKinds = nullptr;
    QTableWidget* TrainMistakes = nullptr;
    QPushButton* TrainOpenLayout = nullptr;
    QChartView* TrainSessionChart = nullptr;
    QChartView* TrainDayChart = nullptr;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void BuildSettings(QWidget* box);
    void BuildTable();
    void ChooseHistoryFile();
    bool ReadSettings(training::TSessionSettings& s);
    bool OpenHistory(training::TSessionSettings& s);
    void Answer(const std::string& key);
    void DealSettled();
    void EndSession();
    void ShowTable();
    void ShowKeys();
    void ShowStats();
    void ShowMistakes();
    void AppendJudgement(const training::TJudgement& j, bool review);
    void AppendSettlement(const training::TDealRecord& d);
    void EnableSettings(bool on);

    TForm1& form_;
    std::unique_ptr<training::TTrainingSession> session_;
    std::unique_ptr<training::TTrainingHistory> history_;
    int64_t sessionId_ = 0;
    bool finished_ = false;
    std::vector<training::TJudgement> held_; // feedback at the end: shown when the session ends
    QString historyNote_;                    // why no history is kept, when it was refused
};

// Pictures of the page for --screenshot: a priced mistake on the table, and the progress chart
// after a few sessions written into a history file in folder. False when a picture failed.
bool SaveTrainingScreenshots(TForm1& form, TTrainingPage& page, const QString& folder);

} // namespace kvarlen
