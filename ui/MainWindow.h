// TForm1: the main window. It holds every setting as the state of its controls, the card table
// of the layout page, the logs, and the program's one deck and generator.
#pragma once

#include "analysis/layout_commands.h"
#include "cards/hand.h"
#include "simulation/box.h"
#include "ui/common/Card.h"

#include <QMainWindow>
#include <QPointer>

#include <array>
#include <string>
#include <vector>

class QCheckBox;
class QComboBox;
class QFrame;
class QKeyEvent;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QStatusBar;
class QTabWidget;
class QTableWidget;

namespace kvarlen {

class TBankChart;
struct TBankSeries;
class TBankrollPage;
class TExactPage;
class TSettingsPage;
class TTrainingPage;
class TForm2;
class TForm3;
struct TRunResult;

class TForm1 : public QMainWindow {
    Q_OBJECT

  public:
    explicit TForm1(QWidget* parent = nullptr);
    ~TForm1() override;

    // Shared with the card picker and the simulation.
    TDeck Deck;
    TGenerator Generator;
    // The dealer and the team of the last simulation run.
    TBoxes Boxes;
    // The history table of ideal play: DBF/1box.DBF beside the program file.
    QString HistoryTablePath;
    // The table may no longer match Deck: set by every change of a table card, cleared only by
    // "Колода" after it rebuilds Deck.
    bool DeckDirty = false;

    void SetPicker(TForm2* picker); // the layout field follows its crosses
    TForm2* Picker() const { return picker_; }
    // The trace window unchecks TraceCB when it is switched off or closed.
    void SetTraceWindow(TForm3* trace);
    TForm3* TraceWindow() const { return trace_; }

    // The card table as the analysis reads it.
    TLayout ReadLayout() const;
    // The settings controls as FillRules reads them.
    TRulesControls ReadRulesControls() const;
    // The name of the rule set in force ("default" for the program's own), for reports.
    QString RuleSetName() const;

    // Option handlers.
    void ComboBox1Change();
    void ComboBox2Change();
    void CheckBox8Click();
    void CheckBox12Click();
    void CheckBox9Click();
    void AK_existClick();
    void DBF_cbClick();
    void RadioButton1Click();
    void RadioButton2Click();
    void RadioButton6Click();
    void RND_CBClick();
    void Button22Click();
    void Button23Click();
    void Button27Click();

    // Layout entry.
    void PlayerCardMouseDown(int index, Qt::MouseButton button); // Card1..Card5 as 1..5
    void BuyedCardMouseDown(Qt::MouseButton button);
    void FlipCard(TCard* card); // Button17..Button21, Button7
    // A character typed anywhere in the window, with the pointer at globalPos.
    void FormKeyPress(QChar key, const QPoint& globalPos);
    void Button9Click();
    void EvaluateLayout();
    void EvaluateLayoutSix();
    // After any change of the table: Label3 names the hand, the layout field shows the layout.
    void TableChanged();
    // The layout field (Return): a whole layout in the command line's notation; false, with
    // the reason in the status bar and the table unchanged, when the text is not one.
    bool EnterLayoutText(const QString& text);
    // "случайный расклад": five cards and the dealer's open card from a full deck.
    void ButtonRandomClick();

    // The analysis commands.
    void Button2Click();
    void Button12Click();
    void Button10Click();
    void Button13Click();
    // "анализ": every option of the layout by best play, the best named first.
    void ButtonBestClick();

    // START: runs strategy or ideal play; during a run it stops the run instead (as Esc does).
    void Button4Click();
    void StopSimulation();
    // The run has accepted its settings: START becomes the stop button.
    void ShowRunStarted();
    bool Simulating() const { return simulating_; }
    bool SimulationStopRequested() const { return stopRequested_; }
    // The chart of the last strategy run; nullptr before the first.
    TBankChart* BankChart() const { return chart_; }
    // "Сохранить отчёт…": the memo's report into a file of the user's choice.
    void SaveReportClick();

    // Writes a simulation's mean and variance per deal into the bankroll fields.
    void ShowMathInputs(double mo, double variance);
    TBankrollPage* BankrollPage() const { return bankroll_; }
    // The page "точный расчёт"; while its run goes on nothing else may rewrite PayTable.
    TExactPage* ExactPage() const { return exact_; }
    bool ExactRunning() const;
    // The page "тренажёр".
    TTrainingPage* TrainingPage() const { return training_; }
    // The page "настройки" with the rule sets.
    TSettingsPage* SettingsPage() const { return settings_; }
    // Lays a layout of the training table out on "расклады" (the box's cards, the dealer's open
    // card, the cards out of play of the box's view in Deck) and switches there; note goes to
    // the status bar.
    void ShowTrainingLayout(const THand& hand, const TCardRec& open, const TDeck& view,
                            const QString& note);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    void BuildSettingsPage(QWidget* page);
    void BuildLayoutPage(QWidget* page);
    void BuildTable(QFrame* panel);
    void BuildSimulationPage(QWidget* page);
    void Connect();
    void FormCreate();
    // The guards of the analysis buttons and the rules in force; false when refused.
    bool AnalysisMayStart(TRules& rules);
    void RunAnalysis(LayoutCommand command);
    void ShowBankChart(const TBankSeries& series, const TRunResult& result);
    TCard* CardUnderPointer(const QPoint& globalPos) const;
    void ConnectLayoutEntry();
    void SetTableLayout(const TLayout& layout, const std::vector<TCardRec>& out);
    void ShowLayoutText();
    // Keys typed into the layout field: Escape sets it back; they never reach the cards.
    bool LayoutEditKey(QKeyEvent* event);
    void NameLayoutInMemo(const TLayout& layout, const TDeck& deck);
    void ClearRaiseGrid();
    // The raise table shows only the layout last analysed: filled now, or kept for the same one.
    void KeepRaiseGridOf(const std::string& layoutLine, bool filled);
    // An exact run has ended or stopped: the analysis refused for it may run now.
    void ExactRunEnded();
    static void StepCard(TCard* card, Qt::MouseButton button);

    TForm2* picker_ = nullptr;
    TForm3* trace_ = nullptr;
    bool analysing_ = false;
    std::string raiseGridLayout_; // the layout line of the raise table shown, "" for none
    bool simulating_ = false;
    bool stopRequested_ = false;
    bool closing_ = false; // the window was closed: no chart after the run it stopped
    TBankChart* chart_ = nullptr;
    // Key events travel up the parents of their first receiver; act once per event.
    const QEvent* lastKey_ = nullptr;
    QPointer<QWidget> lastKeyReceiver_;

  public:
    // Controls, named as the window's objects.
    QTabWidget* PageControl1 = nullptr;
    QWidget* TabSheet1 = nullptr;
    QWidget* TabSheet8 = nullptr;
    QWidget* TabSheet3 = nullptr;
    QWidget* TabSheet2 = nullptr;

    // "настройки"
    QFrame* Panel2 = nullptr;
    QFrame* Panel3 = nullptr;
    QLineEdit* ePay_AK = nullptr;
    QLineEdit* ePay_2 = nullptr;
    QLineEdit* ePay_22 = nullptr;
    QLineEdit* ePay_3 = nullptr;
    QLineEdit* ePay_st = nullptr;
    QLineEdit* ePay_fl = nullptr;
    QLineEdit* ePay_32 = nullptr;
    QLineEdit* ePay_4 = nullptr;
    QLineEdit* ePay_stfl = nullptr;
    QLineEdit* ePay_royal = nullptr;
    QLineEdit* ePrice_Change1 = nullptr;
    QLineEdit* ePrice_Change2 = nullptr;
    QLineEdit* ePrice_buy6 = nullptr;
    QLineEdit* ePrice_buyDGame = nullptr;

    // "расклады"
    QFrame* Panel1 = nullptr;
    std::array<TCard*, 6> PlayerCards{}; // Card1..Card5 at 1..5
    std::array<TCard*, 4> PileCards{};   // Card6..Card9
    TCard* DealerCard = nullptr;
    TCard* BuyedCard = nullptr;
    std::array<QPushButton*, 6> FlipButtons{}; // Button17..Button21 at 1..5
    QPushButton* Button7 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* LabelLayout = nullptr;
    QLineEdit* LayoutEdit = nullptr; // the layout in the command line's notation
    QPushButton* ButtonRandom = nullptr;
    QPushButton* Button9 = nullptr;
    QGroupBox* GroupBox1 = nullptr;
    QPushButton* Button2 = nullptr;
    QPushButton* Button12 = nullptr;
    QPushButton* Button10 = nullptr;
    QPushButton* Button13 = nullptr;
    QPushButton* ButtonBest = nullptr;
    QCheckBox* AK_exist = nullptr;
    QCheckBox* CheckBox2 = nullptr;
    QCheckBox* CheckBox11 = nullptr;
    QPlainTextEdit* Memo1 = nullptr;
    QPushButton* Button22 = nullptr;
    QTableWidget* StringGrid3 = nullptr;
    QPushButton* Button27 = nullptr;
    QStatusBar* StatusBar1 = nullptr;

    // "симуляция"
    QLabel* Label2 = nullptr;
    QLineEdit* Edit1 = nullptr;
    QLabel* Label9 = nullptr;
    QLineEdit* Edit4 = nullptr;
    QLabel* Label23 = nullptr;
    QComboBox* ComboBox4 = nullptr;
    QLabel* Label7 = nullptr;
    QComboBox* ComboBox1 = nullptr;
    QCheckBox* CheckBox6 = nullptr;
    QCheckBox* TraceCB = nullptr;
    QCheckBox* CheckBox3 = nullptr;
    QCheckBox* RND_CB = nullptr;
    QCheckBox* DBF_cb = nullptr;
    QCheckBox* CheckBox10 = nullptr;
    QCheckBox* DealLogCB = nullptr;   // "журнал раздач в файл"
    QLineEdit* DealLogEdit = nullptr; // its file, under the current folder unless absolute
    QGroupBox* GroupBox3 = nullptr;
    QRadioButton* RadioButton1 = nullptr;
    QRadioButton* RadioButton2 = nullptr;
    QGroupBox* RadioGroup2 = nullptr;
    QRadioButton* RadioButton3 = nullptr;
    QRadioButton* RadioButton4 = nullptr;
    QRadioButton* RadioButton5 = nullptr;
    QRadioButton* RadioButton6 = nullptr;
    QPushButton* Button4 = nullptr;
    QLineEdit* SeedEdit = nullptr;              // "Зерно ГСЧ"; empty: the tick count
    QSpinBox* ThreadsEdit = nullptr;            // "потоков"
    QProgressBar* SimulationProgress = nullptr; // share done and time left, under START
    QPushButton* SaveReportButton = nullptr;    // "Сохранить отчёт…"
    QPlainTextEdit* Memo3 = nullptr;
    QPushButton* Button23 = nullptr;
    QTabWidget* PageControl2 = nullptr;
    QWidget* TabSheet5 = nullptr;
    QCheckBox* CheckBox5 = nullptr;
    QCheckBox* CheckBox9 = nullptr;
    QCheckBox* CheckBox8 = nullptr;
    QCheckBox* CheckBox12 = nullptr;
    QCheckBox* CheckBox7 = nullptr;
    QComboBox* ComboBox2 = nullptr;
    QComboBox* ComboBox3 = nullptr;

  private:
    TBankrollPage* bankroll_ = nullptr;
    TExactPage* exact_ = nullptr;
    TTrainingPage* training_ = nullptr;
    TSettingsPage* settings_ = nullptr;
};

// The decimal separator of the user's number format (',' or '.').
char DecimalSeparator();

// Pictures of "расклады" for --screenshot (a layout entered by text, the keyboard's focus);
// false when one could not be written.
bool SaveLayoutScreenshots(TForm1& form, const QString& folder);

} // namespace kvarlen
