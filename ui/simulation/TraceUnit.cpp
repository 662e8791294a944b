#include "ui/simulation/TraceUnit.h"

#include "ui/common/Messages.h"
#include "ui/simulation/BankChart.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QEventLoop>
#include <QFrame>
#include <QPainter>
#include <QPushButton>
#include <QSaveFile>
#include <QScreen>
#include <QSpinBox>

#include <algorithm>

namespace kvarlen {

namespace {

// The drawing surface on screen: shows the canvas, which follows its size.
class TTraceImage : public QWidget {
  public:
    TTraceImage(TTraceCanvas& canvas, QWidget* parent) : QWidget(parent), canvas_(canvas) {
        setAttribute(Qt::WA_OpaquePaintEvent);
    }

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.drawImage(0, 0, canvas_.Image());
    }
    void resizeEvent(QResizeEvent*) override { canvas_.Resize(width(), height()); }

  private:
    TTraceCanvas& canvas_;
};

constexpr int kMargin = 8;
// The client area of the window around the picture: 431 x 530 around 392 x 451.
constexpr int kImageRightGap = 431 - 392 - kMargin;
constexpr int kImageBottomGap = 530 - 451 - kMargin;

} // namespace

TForm3::TForm3(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName("Form3");
    setWindowTitle("Trace");
    setAttribute(Qt::WA_QuitOnClose, false);
    Panel1 = new QFrame(this);
    Panel1->setObjectName("Panel1");
    Image1 = new TTraceImage(canvas_, Panel1);
    Image1->setObjectName("Image1");
    Button1 = new QPushButton(">>>", Panel1);
    Button1->setObjectName("Button1");
    Button1->setFixedSize(40, 25);
    Button2 = new QPushButton("bug.bmp", Panel1);
    Button2->setObjectName("Button2");
    Button2->setFixedSize(75, 25);
    Button3 = new QPushButton("Trace off", Panel1);
    Button3->setObjectName("Button3");
    Button3->setFixedSize(75, 25);
    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    connect(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
    connect(Button3, &QPushButton::clicked, this, [this] { Button3Click(); });
    // A run watched rather than stepped: each deal stays in sight for the delay.
    AutoStep = new QCheckBox("авто", Panel1);
    AutoStep->setObjectName("AutoStep");
    AutoStep->setToolTip("Следующая раздача сама, через заданную задержку");
    AutoDelay = new QSpinBox(Panel1);
    AutoDelay->setObjectName("AutoDelay");
    AutoDelay->setRange(0, 10000);
    AutoDelay->setSingleStep(100);
    AutoDelay->setValue(500);
    AutoDelay->setSuffix(" мс");
    AutoDelay->setToolTip("Задержка автоматического шага");
    AutoStep->resize(AutoStep->sizeHint());
    AutoDelay->resize(AutoDelay->sizeHint().width(), 25);
    autoTimer_.setSingleShot(true);
    connect(&autoTimer_, &QTimer::timeout, this, [this] { Release(); });
    connect(AutoStep, &QCheckBox::toggled, this, [this] { AutoStepChanged(); });
    connect(AutoDelay, &QSpinBox::valueChanged, this, [this] { AutoStepChanged(); });
    // ">>>" has the window's first focus and answers Enter and Space: the next deal is one key
    // away.
    Button1->setAutoDefault(true);
    setMinimumSize(240, 200);
    resize(431, 530);
    // A hidden window gets its resize event only when shown.
    PlaceControls();
}

void TForm3::SetTraceSwitch(QCheckBox* traceCB) {
    traceCB_ = traceCB;
}

void TForm3::resizeEvent(QResizeEvent*) {
    PlaceControls();
}

void TForm3::PlaceControls() {
    // The picture takes what the window gives it; the buttons stay in a row under it.
    Panel1->setGeometry(rect());
    const int w = std::max(1, width() - kMargin - kImageRightGap);
    const int h = std::max(1, height() - kMargin - kImageBottomGap);
    Image1->setGeometry(kMargin, kMargin, w, h);
    const int y = kMargin + h + 10;
    Button1->move(kMargin, y);
    Button2->move(Button1->geometry().right() + 9, y);
    Button3->move(Button2->geometry().right() + 9, y);
    AutoStep->move(Button3->geometry().right() + 15, y + (25 - AutoStep->height()) / 2);
    AutoDelay->move(AutoStep->geometry().right() + 5, y);
}

bool TForm3::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate) FormActivate();
    return QWidget::event(event);
}

void TForm3::closeEvent(QCloseEvent* event) {
    FormClose();
    QWidget::closeEvent(event);
}

void TForm3::FormActivate() {
    // An activation that arrives after the window was closed must not reload what the close
    // released.
    if (isVisible()) Init();
}

void TForm3::FormClose() {
    Release();
    UncheckTrace();
    canvas_.Release();
}

void TForm3::UncheckTrace() {
    if (traceCB_) traceCB_->setChecked(false);
}

void TForm3::ShowBeside(const QWidget* main, const QWidget* keepClear) {
    if (main != nullptr && main->isVisible()) {
        QList<QRect> clear{main->frameGeometry()};
        if (keepClear != nullptr && keepClear->isVisible()) clear << keepClear->frameGeometry();
        bool covers = false;
        for (const QRect& r : clear) covers = covers || frameGeometry().intersects(r);
        // Where the user put a shown window, it stays.
        if (!placed_ || (!isVisible() && covers)) {
            placed_ = true;
            const QSize extra = frameGeometry().size() - geometry().size();
            const QScreen* screen = main->screen();
            const QRect room = screen != nullptr ? screen->availableGeometry()
                                                 : main->frameGeometry().adjusted(0, 0, 2000, 0);
            move(PlaceClear(clear, size() + extra, room).topLeft());
        }
    }
    show();
    raise();
}

void TForm3::Init() {
    canvas_.Init();
}

void TForm3::Redraw() {
    Image1->update();
}

void TForm3::ClearTable() {
    canvas_.ClearTable();
    Redraw();
}

void TForm3::Trace_DrawDHand(const THand& hand, int left, int top) {
    canvas_.Trace_DrawDHand(hand, left, top);
    Redraw();
}

void TForm3::Trace_DrawPHand(const THand& hand, int left, int top, int openValue) {
    canvas_.Trace_DrawPHand(hand, left, top, openValue);
    Redraw();
}

void TForm3::DrawRaiseDecision(bool raise, int left, int top) {
    canvas_.DrawRaiseDecision(raise, left, top);
    Redraw();
}

void TForm3::DrawInsurDecision(int32_t sum, int left, int top) {
    canvas_.DrawInsurDecision(sum, left, top);
    Redraw();
}

void TForm3::ShowDealResult(const TTracedDeal& deal, char sep) {
    lastDeal_ = deal;
    canvas_.DrawDealNumber(deal.Deal, kTraceLeft, kTraceDealerTop);
    for (int b = 1; b <= deal.TeamSize && b <= 3; ++b)
        canvas_.DrawBoxResult(deal.Result[static_cast<size_t>(b)],
                              deal.Bank[static_cast<size_t>(b)], kTraceLeft, kTraceDecisionTop[b],
                              sep);
    Redraw();
}

void TForm3::WaitForReadKey() {
    if (loop_ != nullptr) return; // one run at a time; never nest the wait
    // A hidden window could never release the run.
    if (!isVisible()) show();
    traceContinue_ = false;
    QEventLoop loop;
    loop_ = &loop;
    AutoStepChanged();
    // The loop sleeps in the event queue until Release quits it. It also returns at once when
    // the application is quitting; the run then goes on without waiting.
    if (!traceContinue_) loop.exec();
    autoTimer_.stop();
    loop_ = nullptr;
    traceContinue_ = true;
}

void TForm3::AutoStepChanged() {
    // Switched on during a wait, the step comes after the delay from now.
    if (Waiting() && AutoStep->isChecked())
        autoTimer_.start(AutoDelay->value());
    else
        autoTimer_.stop();
}

void TForm3::Release() {
    traceContinue_ = true;
    if (loop_ != nullptr) loop_->quit();
}

void TForm3::Button1Click() {
    Release();
}

void TForm3::Button2Click() {
    // Written beside, then moved over the old file: a failed save keeps what was there.
    const QString path = QDir::current().filePath("bug.bmp");
    QSaveFile file(path);
    bool ok = file.open(QIODevice::WriteOnly);
    ok = ok && canvas_.Image().save(&file, "BMP");
    ok = ok && file.commit();
    if (!ok) {
        ShowModalMessage(this, QString("Cannot create file \"%1\". %2")
                                   .arg(QDir::toNativeSeparators(path), file.errorString()));
    }
}

void TForm3::Button3Click() {
    Release();
    UncheckTrace();
    hide();
}

} // namespace kvarlen
