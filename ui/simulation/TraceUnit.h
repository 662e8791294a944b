// TForm3: the trace window. A traced simulation draws each deal on its picture and waits in
// WaitForReadKey until ">>>", "Trace off", closing the window, a stop or the automatic step
// releases it.
#pragma once

#include "cards/hand.h"
#include "simulation/simulation_host.h"
#include "ui/simulation/TraceCanvas.h"

#include <QPointer>
#include <QTimer>
#include <QWidget>

class QCheckBox;
class QEventLoop;
class QFrame;
class QPushButton;
class QSpinBox;

namespace kvarlen {

class TForm3 : public QWidget {
    Q_OBJECT

  public:
    explicit TForm3(QWidget* parent = nullptr);

    // The main window's "трассировка", unchecked by "Trace off" and by closing this window.
    void SetTraceSwitch(QCheckBox* traceCB);

    // Shows the window and brings it to the front. Opened for the first time, or again where it
    // would cover `main` or a shown `keepClear` (the bank chart), it is placed beside them
    // where it covers neither.
    void ShowBeside(const QWidget* main, const QWidget* keepClear = nullptr);
    void Init();
    bool PicturesLoaded() const { return canvas_.Loaded(); }
    void ClearTable();
    void Trace_DrawDHand(const THand& hand, int left, int top);
    void Trace_DrawPHand(const THand& hand, int left, int top, int openValue);
    void DrawRaiseDecision(bool raise, int left, int top);
    void DrawInsurDecision(int32_t sum, int left, int top);
    // The deal's number beside the dealer's hand and each box's result and bank on its
    // decision line; sep: the decimal separator.
    void ShowDealResult(const TTracedDeal& deal, char sep);
    // Runs the event queue (both windows stay usable) until the run is released; with "авто"
    // checked the release comes by itself after the delay.
    void WaitForReadKey();
    bool Waiting() const { return loop_ != nullptr && !traceContinue_; }
    // Lets a waiting run go on (">>>", a stop of the run).
    void Release();

    void Button1Click(); // ">>>"
    void Button2Click(); // "bug.bmp"
    void Button3Click(); // "Trace off"

    const QImage& Picture() const { return canvas_.Image(); }
    // The figures last shown by ShowDealResult.
    const TTracedDeal& LastDeal() const { return lastDeal_; }

    QFrame* Panel1 = nullptr;
    QWidget* Image1 = nullptr;
    QPushButton* Button1 = nullptr;
    QPushButton* Button2 = nullptr;
    QPushButton* Button3 = nullptr;
    QCheckBox* AutoStep = nullptr; // "авто": the next deal after AutoDelay by itself
    QSpinBox* AutoDelay = nullptr; // milliseconds

  protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    void PlaceControls();
    void FormActivate();
    void FormClose();
    void UncheckTrace();
    void Redraw();
    void AutoStepChanged();

    TTraceCanvas canvas_;
    QPointer<QCheckBox> traceCB_;
    // Set when the run may go on; the wait's own event loop while it waits.
    bool traceContinue_ = true;
    QEventLoop* loop_ = nullptr;
    QTimer autoTimer_;
    TTracedDeal lastDeal_;
    bool placed_ = false;
};

} // namespace kvarlen
