// The main window as the host of a simulation run: settings from its controls, progress on
// START, the trace window, messages, the report in the memo and the bankroll fields.
#pragma once

#include "simulation/simulation_host.h"
#include "ui/simulation/BankChart.h"

#include <QElapsedTimer>
#include <QString>

class QProgressBar;

namespace kvarlen {

class TForm1;
class TForm3;

// "осталось 1:05" (hours too when it takes that long): the time left when `done` of `total`
// deals took `elapsedMs`; empty before any deal is done.
QString TimeLeftText(int64_t elapsedMs, int64_t done, int64_t total);
// The progress bar at `done` of `total` deals, with the time left when elapsedMs >= 0.
void ShowRunProgress(QProgressBar* bar, int64_t done, int64_t total, int64_t elapsedMs);

class TWindowHost : public TSimulationHost {
  public:
    // ideal: the run is ideal play (it alone reads the filter, the modes and the history).
    // seed and threads: what the run is dealt from, for the report's first line.
    TWindowHost(TForm1& form, bool ideal, uint32_t seed, int threads);

    TRunSettings ReadRunSettings() override;
    void ReadLiveOptions(TLiveOptions& options) override;

    void RunStarted() override;
    void Progress(int64_t deal, const std::string& caption) override;
    void Idle() override;
    bool StopRequested() override;

    void TraceInit() override;
    void ClearTable() override;
    void Trace_DrawDHand(const THand& hand, int left, int top) override;
    void Trace_DrawPHand(const THand& hand, int left, int top, int openValue) override;
    void DrawRaiseDecision(bool raise, int left, int top) override;
    void DrawInsurDecision(int32_t sum, int left, int top) override;
    void TraceDealResult(const TTracedDeal& deal) override;
    void WaitForReadKey() override;

    void Message(const std::string& text) override;

    void AppendReport(const std::vector<std::string>& lines) override;
    std::vector<std::string> MemoLines() override;
    void SetMathFields(const TMathInputs& math) override;
    void BankLogReady(const std::vector<TBankLogPart>& parts) override;
    void SetStartCaption(const std::string& caption) override;
    void MarkDeckDirty() override;

    // What ReadRunSettings read (where the files went).
    const TRunSettings& Settings() const { return settings_; }
    // The banks of the strategy run, thinned for the chart (no deals when none came).
    const TBankSeries& BankSeries() const { return bankSeries_; }

  private:
    // "Прогон: ..." in the words of the page: play, rule set, boxes, information and filter
    // (ideal play), seed, threads.
    std::string RunTitle(int teamSize) const;

    TForm1& form_;
    TForm3* trace_;
    bool ideal_;
    uint32_t seed_;
    int threads_;
    QElapsedTimer clock_;
    TRunSettings settings_;
    TBankSeries bankSeries_;
};

} // namespace kvarlen
