#include "ui/bankroll/BankrollPage.h"

#include "cards/numfmt.h"
#include "simulation/bankroll.h"
#include "ui/MainWindow.h"
#include "ui/common/ChartExport.h"
#include "ui/common/Messages.h"
#include "ui/common/WidgetHelpers.h"

#include <QAreaSeries>
#include <QChart>
#include <QChartView>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QPushButton>
#include <QToolButton>
#include <QValueAxis>

#include <algorithm>
#include <exception>

namespace kvarlen {

namespace {

double ReadFloat(const QLineEdit* edit) {
    return StrToFloat(edit->text().toStdString());
}

// Runs one computation; a conversion or arithmetic error shows its message and changes nothing.
template <class F> void Guarded(QWidget* parent, F&& compute) {
    try {
        compute();
    } catch (const std::exception& e) {
        ShowModalMessage(parent, QString::fromStdString(e.what()));
    }
}

QLineEdit* Field(const char* name) {
    auto* edit = new QLineEdit;
    edit->setObjectName(name);
    edit->setFixedWidth(edit->fontMetrics().horizontalAdvance("0000000000000") + 12);
    return edit;
}

} // namespace

QString MathFixed(double value, int decimals) {
    return QString::fromStdString(FormatFixed(value, 10, decimals, DecimalSeparator()));
}

TBankrollPage::TBankrollPage(QWidget* parent) : QWidget(parent) {
    setObjectName("TabSheet7");
    MathBank = Field("MathBank");
    MathMO = Field("MathMO");
    MathDISP = Field("MathDISP");
    MathSIGMA = Field("MathSIGMA");
    MathSIGMA->setReadOnly(true);
    QPalette menu = MathSIGMA->palette();
    menu.setColor(QPalette::Base, menu.color(QPalette::Button));
    MathSIGMA->setPalette(menu);
    MathSIGMA->setFocusPolicy(Qt::ClickFocus);

    Button14 = new QPushButton("ROR = f (Bank,MO,Disp)");
    Button14->setObjectName("Button14");
    Button15 = new QPushButton("MinBank = Дисп. / MO");
    Button15->setObjectName("Button15");
    Button16 = new QPushButton("Разброс при N=                     раздачах");
    Button16->setObjectName("Button16");
    Button16->setToolTip("Считается по 2 сигмам, что дает вероятность 95,5%");
    Button16->setMinimumWidth(Button16->fontMetrics().horizontalAdvance(Button16->text()) + 30);
    MathEditTryCount = new QLineEdit;
    MathEditTryCount->setObjectName("MathEditTryCount");
    PlaceFieldInCaptionGap(Button16, MathEditTryCount);

    LabelMathROR = new QLabel("ROR = ");
    LabelMathROR->setObjectName("LabelMathROR");
    LabelMathBank = new QLabel("MinBank =");
    LabelMathBank->setObjectName("LabelMathBank");
    LabelMathRazbros = new QLabel("от ... до ...");
    LabelMathRazbros->setObjectName("LabelMathRazbros");
    for (QLabel* l : {LabelMathROR, LabelMathBank, LabelMathRazbros})
        l->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* grid = new QGridLayout(this);
    auto caption = [&](int row, const char* name, const QString& text, QLineEdit* edit) {
        auto* label = new QLabel(text);
        label->setObjectName(name);
        label->setBuddy(edit);
        grid->addWidget(label, row, 0);
        grid->addWidget(edit, row, 1);
    };
    caption(0, "Label_MathBank", "Банк", MathBank);
    caption(1, "Label_MathMO", "MO", MathMO);
    caption(2, "Label_MathDISP", "Дисперсия", MathDISP);
    caption(3, "Label_MathSIGMA", "Ср.кв.откл.", MathSIGMA);
    grid->addWidget(Button14, 0, 3);
    grid->addWidget(LabelMathROR, 0, 4);
    grid->addWidget(Button15, 1, 3);
    grid->addWidget(LabelMathBank, 1, 4);
    grid->addWidget(Button16, 2, 3);
    grid->addWidget(LabelMathRazbros, 2, 4);
    grid->setColumnMinimumWidth(2, 20);
    grid->setColumnStretch(4, 1);

    auto* chart = new QChart;
    chart->setTitle("Итог N раздач: ожидание и коридор ±2σ");
    chart->legend()->setAlignment(Qt::AlignBottom);
    chart->setLocalizeNumbers(true);
    MathChart = new QChartView(chart);
    MathChart->setObjectName("MathChart");
    MathChart->setRenderHint(QPainter::Antialiasing);
    MathChart->setMinimumHeight(220);
    grid->addWidget(MathChart, 4, 0, 1, 5);
    grid->setRowStretch(4, 1);
    AddPictureMenu(MathChart, "разброс");
    MathChartSave = new QToolButton;
    MathChartSave->setObjectName("MathChartSave");
    MathChartSave->setText("сохранить график…");
    MathChartSave->setToolTip("Сохранить график в файл PNG или SVG");
    MathChartCopy = new QToolButton;
    MathChartCopy->setObjectName("MathChartCopy");
    MathChartCopy->setText("копировать график");
    MathChartCopy->setToolTip("Положить картинку графика в буфер обмена");
    auto* pictureRow = new QHBoxLayout;
    pictureRow->addStretch(1);
    pictureRow->addWidget(MathChartSave);
    pictureRow->addWidget(MathChartCopy);
    grid->addLayout(pictureRow, 5, 0, 1, 5);
    connect(MathChartSave, &QToolButton::clicked, this,
            [this] { SavePictureAs(MathChart, "разброс"); });
    connect(MathChartCopy, &QToolButton::clicked, this, [this] { CopyPicture(MathChart); });

    connect(Button14, &QPushButton::clicked, this, [this] { Button14Click(); });
    connect(Button15, &QPushButton::clicked, this, [this] { Button15Click(); });
    connect(Button16, &QPushButton::clicked, this, [this] { Button16Click(); });
    connect(MathDISP, &QLineEdit::textChanged, this, [this] { MathDISPChange(); });
}

void TBankrollPage::Button14Click() {
    Guarded(this, [&] {
        const double mo = ReadFloat(MathMO);
        const double bank = ReadFloat(MathBank);
        const double variance = ReadFloat(MathDISP);
        const double ror = RiskOfRuin(mo, bank, variance);
        // Without a positive expectation the bank is lost sooner or later, whatever its size:
        // the formula's figures above 1 are no probability.
        if (mo <= 0) {
            LabelMathROR->setText("ROR = 1: разорение неизбежно");
            LabelMathROR->setToolTip("При MO ≤ 0 банк рано или поздно проигрывается весь");
            return;
        }
        LabelMathROR->setText("ROR = " + MathFixed(ror, 5));
        LabelMathROR->setToolTip("");
    });
}

void TBankrollPage::Button15Click() {
    Guarded(this, [&] {
        const double mo = ReadFloat(MathMO);
        const double variance = ReadFloat(MathDISP);
        if (mo <= 0) {
            // No bank keeps a game without a positive expectation alive: the field stays as it is.
            LabelMathBank->setText("MinBank: банка не хватит");
            LabelMathBank->setToolTip("При MO ≤ 0 никакой банк не спасает от разорения");
            return;
        }
        const double bank = MinimalBank(mo, variance);
        LabelMathBank->setToolTip("");
        MathBank->setText(MathFixed(bank, 6));
        LabelMathBank->setText("MinBank = " + MathFixed(bank, 5));
    });
}

void TBankrollPage::Button16Click() {
    Guarded(this, [&] {
        const double mo = ReadFloat(MathMO);
        const double variance = ReadFloat(MathDISP);
        ReadFloat(MathBank); // must be a number, though the spread does not use it
        const long long deals = StrToInt(MathEditTryCount->text().toStdString());
        const TSpread spread = Spread(deals, mo, variance);
        LabelMathRazbros->setText("от " + MathFixed(spread.Low, 5) + " до " +
                                  MathFixed(spread.High, 5));
        DrawSpread(deals, mo, variance);
    });
}

void TBankrollPage::MathDISPChange() {
    Guarded(this, [&] { MathSIGMA->setText(MathFixed(Sigma(ReadFloat(MathDISP)), 6)); });
}

void TBankrollPage::ShowMathInputs(double mo, double variance) {
    MathMO->setText(MathFixed(mo, 6));
    MathDISP->setText(MathFixed(variance, 6));
}

void TBankrollPage::DrawSpread(long long deals, double mo, double variance) {
    QChart* chart = MathChart->chart();
    chart->removeAllSeries();
    for (QAbstractAxis* axis : chart->axes()) {
        chart->removeAxis(axis);
        delete axis;
    }
    if (deals < 1) return;
    auto* expected = new QLineSeries;
    expected->setName("ожидание N·MO");
    auto* upper = new QLineSeries;
    auto* lower = new QLineSeries;
    const long long points = std::min<long long>(deals, 200);
    double low = 0, high = 0;
    for (long long i = 0; i < points; ++i) {
        const long long n = points == 1 ? deals : 1 + (deals - 1) * i / (points - 1);
        const TSpread s = Spread(n, mo, variance);
        expected->append(static_cast<double>(n), s.Expected);
        upper->append(static_cast<double>(n), s.High);
        lower->append(static_cast<double>(n), s.Low);
        low = i == 0 ? s.Low : std::min(low, s.Low);
        high = i == 0 ? s.High : std::max(high, s.High);
    }
    auto* band = new QAreaSeries(upper, lower);
    band->setName("коридор ±2σ (95,5%)");
    band->setColor(QColor(80, 140, 220, 90));
    band->setBorderColor(QColor(40, 90, 170));
    chart->addSeries(band);
    chart->addSeries(expected);
    auto* x = new QValueAxis;
    x->setTitleText("раздачи");
    x->setLabelFormat("%.0f");
    x->setRange(1, static_cast<double>(std::max(deals, 2LL)));
    x->applyNiceNumbers();
    auto* y = new QValueAxis;
    y->setTitleText("анте");
    const double pad = std::max((high - low) * 0.05, 1e-9);
    y->setRange(low - pad, high + pad);
    y->applyNiceNumbers();
    chart->addAxis(x, Qt::AlignBottom);
    chart->addAxis(y, Qt::AlignLeft);
    for (QAbstractSeries* s : chart->series()) {
        s->attachAxis(x);
        s->attachAxis(y);
    }
}

} // namespace kvarlen
