#include "ui/exact/ExactSweep.h"

#include "cards/numfmt.h"
#include "exact/exact_compare.h"
#include "exact/exact_pictures.h"
#include "exact/exact_report.h"
#include "ui/MainWindow.h"
#include "ui/common/ChartExport.h"
#include "ui/common/SvgPicture.h"
#include "ui/exact/ExactTable.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QSplitter>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace kvarlen {

namespace {

const char* const kNames[12] = {"price-buy6",   "price-change1",      "pay-ak",
                                "pay-pair",     "pay-two-pairs",      "pay-trips",
                                "pay-straight", "pay-flush",          "pay-full-house",
                                "pay-quads",    "pay-straight-flush", "pay-royal"};

QString Num(double v, char sep) {
    return QString::fromStdString(FormatGeneral(v, sep));
}

QString Fraction(TExactInt numerator, TExactInt denominator) {
    return QString::fromStdString(ToDecimal(numerator) + "/" + ToDecimal(denominator));
}

// The solved value as the chart labels it.
QString SolutionLabel(const TSweepSolution& s, char sep) {
    if (s.IsPrice)
        return ExactFixed(s.Price.Price, 6, sep) + " = " +
               Fraction(s.Price.Numerator, s.Price.Denominator);
    return QString("между %1 и %2 (≈%3)")
        .arg(s.Payout.LowPayout)
        .arg(s.Payout.HighPayout)
        .arg(ExactFixed(s.Payout.Crossing, 2, sep));
}

QString EdgeText(const TEdgeTarget& e, char sep) {
    return Num(e.Value, sep) + " %";
}

// Why nothing was solved, in the window's language.
QString NotSolvedText(const TSweepOutcome& o, char sep) {
    const TSweepSolution& s = o.Solution;
    if (s.IsPrice)
        return "Ни одна цена от 0 до 1000 не даёт край дома " + EdgeText(o.Edge, sep) +
               ": он идёт от " + ExactFixed(s.Price.EdgeAtZero, 4, sep) + " % при цене 0 до " +
               ExactFixed(s.Price.EdgeAtMax, 4, sep) + " % при цене 1000";
    return "Ни одна выплата от 0 до 999 не даёт край дома " + EdgeText(o.Edge, sep);
}

} // namespace

TExactSweepPanel::TExactSweepPanel(std::function<double(const TSweepParameter&)> current,
                                   QWidget* parent)
    : QWidget(parent), current_(std::move(current)) {
    setObjectName("ExactSweepPanel");
    SweepParameter = new QComboBox;
    SweepParameter->setObjectName("SweepParameter");
    for (const char* name : kNames)
        SweepParameter->addItem(QString::fromStdString(SweepParameterCaption(
                                    kvarlen::SweepParameter(name), TPictureLanguage::Russian)),
                                QString(name));
    SweepParameter->setToolTip("Цена или выплата, которую перебирают; остальные правила — как "
                               "на страницах «5+1» и «настройки»");
    auto field = [](const char* name, const QString& tip) {
        auto* e = new QLineEdit;
        e->setObjectName(name);
        e->setToolTip(tip);
        e->setMaximumWidth(e->fontMetrics().horizontalAdvance("0000,000") + 16);
        return e;
    };
    SweepFrom = field("SweepFrom", "Первое значение");
    SweepTo = field("SweepTo", "Последнее значение (входит, если на него выпадает шаг)");
    SweepStep = field("SweepStep", "Шаг перебора; точек не больше 1001");
    SweepTarget = field("SweepTarget", "Край дома в процентах, для которого ищется цена или "
                                       "выплата (пусто — не искать)");
    SweepTarget->setText("2");

    auto* controls = new QHBoxLayout;
    controls->addWidget(new QLabel("перебрать"));
    controls->addWidget(SweepParameter);
    controls->addWidget(new QLabel("от"));
    controls->addWidget(SweepFrom);
    controls->addWidget(new QLabel("до"));
    controls->addWidget(SweepTo);
    controls->addWidget(new QLabel("шаг"));
    controls->addWidget(SweepStep);
    controls->addSpacing(12);
    controls->addWidget(new QLabel("цель: край дома"));
    controls->addWidget(SweepTarget);
    controls->addWidget(new QLabel("%"));
    controls->addStretch(1);

    SweepResult = new QLabel("Выберите цену или выплату и диапазон и нажмите СТАРТ: все точки "
                             "считаются точно за один проход по раскладам.");
    SweepResult->setObjectName("SweepResult");
    SweepResult->setWordWrap(true);
    SweepResult->setTextInteractionFlags(Qt::TextSelectableByMouse);
    SweepResult->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    SweepResult->setFixedHeight(2 * SweepResult->fontMetrics().lineSpacing() + 2);

    SweepChart = new TSvgPicture;
    SweepChart->setObjectName("SweepChart");
    SweepChart->setMinimumSize(240, 160);
    SweepChart->SetDrawing({}, "Здесь будет кривая края дома и элемента риска");
    AddPictureMenu(SweepChart, "кривая-края-дома");

    SweepGrid = new QTableWidget(0, 9);
    SweepGrid->setObjectName("SweepGrid");
    SweepGrid->verticalHeader()->hide();
    SweepGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    SweepGrid->setSelectionBehavior(QAbstractItemView::SelectRows);
    SweepGrid->setWordWrap(false);
    SweepGrid->verticalHeader()->setDefaultSectionSize(SweepGrid->fontMetrics().height() + 2);
    SweepGrid->setMinimumHeight(60);

    auto* split = new QSplitter(Qt::Vertical);
    split->addWidget(SweepChart);
    split->addWidget(SweepGrid);
    split->setStretchFactor(0, 3);
    split->setStretchFactor(1, 2);
    split->setChildrenCollapsible(false);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(4, 4, 4, 4);
    column->addLayout(controls);
    column->addWidget(SweepResult);
    column->addWidget(split, 1);

    connect(SweepParameter, &QComboBox::currentIndexChanged, this, [this] { FillDefaults(); });
    FillDefaults();
    ShowGrid();
}

void TExactSweepPanel::FillDefaults() {
    const TSweepParameter p =
        kvarlen::SweepParameter(SweepParameter->currentData().toString().toStdString());
    const char sep = DecimalSeparator();
    double from = 0, to = 2, step = 0.1;
    if (p.Buy6) {
        from = 0.5;
        to = 2.5;
    } else if (p.Payout > 0) {
        const double now = current_ ? current_(p) : 1;
        to = std::max(4.0, 2 * now);
        to = std::min(to, static_cast<double>(kMaxPayout));
        step = std::max(1.0, std::round(to / 20));
    }
    SweepFrom->setText(Num(from, sep));
    SweepTo->setText(Num(to, sep));
    SweepStep->setText(Num(step, sep));
}

bool TExactSweepPanel::Read(const TExactSettings& base, const TPayTable& pay, TSweepOutcome* out,
                            QString* error) const {
    const std::string name = SweepParameter->currentData().toString().toStdString();
    const TSweepParameter p = kvarlen::SweepParameter(name);
    auto fail = [&](const QString& why) {
        *error = why;
        return false;
    };
    double v[3] = {0, 0, 0};
    const QLineEdit* fields[3] = {SweepFrom, SweepTo, SweepStep};
    const char* captions[3] = {"от", "до", "шаг"};
    for (int i = 0; i < 3; ++i) {
        try {
            v[i] = StrToFloat(fields[i]->text().toStdString());
        } catch (const std::exception&) {
            return fail(QString("«%1»: «%2» — не число").arg(captions[i], fields[i]->text()));
        }
    }
    const double from = v[0], to = v[1], step = v[2];
    if (!(step > 0)) return fail("Шаг перебора должен быть больше 0");
    if (to < from) return fail("«до» меньше, чем «от»");
    if ((to - from) / step + 1 > static_cast<double>(kMaxSweepPoints) + 1e-9)
        return fail(QString("Больше %1 точек: увеличьте шаг").arg(kMaxSweepPoints));
    if (p.Payout > 0) {
        for (double x : {from, to, step})
            if (x != std::floor(x) || x < 0 || x > kMaxPayout)
                return fail("Выплата — целое число от 0 до 999, шаг тоже целый");
    } else if (from < 0 || to > kMaxPrice) {
        return fail("Цена — от 0 до 1000 анте");
    }
    if (p.Payout == 0 && base.Mode == TExactMode::Strategy)
        return fail("В игре по стратегии покупка и обмен стоят 1 анте при любой цене: цену "
                    "перебирают в лучшей или идеальной игре");
    if (p.Buy6 && !base.Rules.Buy6)
        return fail("Покупка 6-й карты выключена в правилах («5+1»): её цену не перебрать");
    if (p.Payout == 0 && !p.Buy6 && !base.Rules.Exchange1)
        return fail("Обмен 1 карты выключен в правилах («настройки»): его цену не перебрать");
    TSweepOutcome o;
    o.Base = base;
    o.Pay = pay;
    try {
        o.Plan = ParseSweep(name + "=" + FormatGeneral(from, '.') + ":" + FormatGeneral(to, '.') +
                            ":" + FormatGeneral(step, '.'));
    } catch (const std::exception& e) {
        return fail(QString::fromStdString(e.what()));
    }
    const QString target = SweepTarget->text().trimmed();
    if (!target.isEmpty()) {
        try {
            o.Edge = ParseEdge(target.toStdString());
        } catch (const std::exception&) {
            return fail("«цель»: край дома в процентах от -100 до 100, например 2 или 2,5");
        }
        o.HasTarget = true;
    }
    o.Current = SweepValueOf(p, base.Rules, pay);
    // The rules in force are a point of their own, to be marked on the curve.
    std::vector<double>& values = o.Plan.Values;
    if (o.Current >= values.front() && o.Current <= values.back() &&
        std::find(values.begin(), values.end(), o.Current) == values.end() &&
        values.size() < kMaxSweepPoints) {
        values.insert(std::upper_bound(values.begin(), values.end(), o.Current), o.Current);
    }
    *out = std::move(o);
    return true;
}

void TExactSweepPanel::Clear() {
    outcome_.reset();
    SweepChart->SetDrawing({}, "Идёт перебор…");
    SweepResult->setText("Идёт перебор: все точки считаются за один проход по раскладам");
    ShowGrid();
}

void TExactSweepPanel::Show(std::shared_ptr<const TSweepOutcome> outcome,
                            const QString& ruleSetName) {
    outcome_ = std::move(outcome);
    ruleSetName_ = ruleSetName;
    const char sep = DecimalSeparator();
    const QStringList lines = SummaryLines(sep);
    SweepResult->setText(lines.mid(1).join('\n'));
    SweepResult->setToolTip(lines.join('\n'));
    if (outcome_ && outcome_->Points.front().Complete)
        SweepChart->SetDrawing([this](int w, int h) { return ChartSvg(w, h); });
    else
        SweepChart->SetDrawing({}, "Перебор остановлен: точки не досчитаны, кривой нет");
    ShowGrid();
}

std::string TExactSweepPanel::ChartSvg(int width, int height) const {
    const TSweepOutcome& o = *outcome_;
    const char sep = DecimalSeparator();
    TSweepCurve curve = SweepCurveOf(o.Plan, o.Points, o.Current, TPictureLanguage::Russian, sep);
    curve.HasTarget = o.HasTarget;
    curve.Target = o.Edge.Value;
    if (o.HasTarget && o.Solved && o.Solution.Found) {
        curve.HasSolution = true;
        curve.Solution = o.Solution.Value;
        curve.SolutionText = SolutionLabel(o.Solution, sep).toStdString();
        if (curve.Solution < curve.Values.front() || curve.Solution > curve.Values.back())
            curve.Note = "Цель вне перебранных значений: " + curve.SolutionText;
    } else if (o.HasTarget && o.Solved) {
        curve.Note = "Цель не достигается ни при каком значении";
    }
    return SweepChartSvg(curve, width, height);
}

QStringList TExactSweepPanel::SummaryLines(char sep) const {
    QStringList lines;
    if (!outcome_) return lines;
    const TSweepOutcome& o = *outcome_;
    const QString caption =
        QString::fromStdString(SweepParameterCaption(o.Plan.Parameter, TPictureLanguage::Russian));
    const TExactResult& first = o.Points.front();
    QString head = QString("Перебор: %1, %2 точек от %3 до %4, %5")
                       .arg(caption)
                       .arg(o.Plan.Values.size())
                       .arg(Num(o.Plan.Values.front(), sep), Num(o.Plan.Values.back(), sep),
                            QString::fromStdString(ExactModeCaption(o.Base.Mode)));
    if (!ruleSetName_.isEmpty()) head += ", набор правил «" + ruleSetName_ + "»";
    if (first.PartCount > 1)
        head += QString(", часть %1 из %2 раскладов").arg(first.PartIndex).arg(first.PartCount);
    lines << head;
    if (!first.Complete) {
        lines << QString("Перебор остановлен: посчитано %1 из %2 раскладов, точки неполные")
                     .arg(first.Tally.Layouts)
                     .arg(first.LayoutsInPart);
        return lines;
    }
    QString time =
        QString("Один проход по раскладам за %1 с").arg(ExactFixed(first.Seconds, 1, sep));
    if (o.HasTarget && !o.Solved) {
        lines << time + "; поиск цели остановлен";
        return lines;
    }
    if (o.HasTarget && o.Solution.Found) {
        const TSweepSolution& s = o.Solution;
        if (s.IsPrice)
            lines << "Край дома " + EdgeText(o.Edge, sep) + " — при цене " +
                         ExactFixed(s.Price.Price, 10, sep) + " = " +
                         Fraction(s.Price.Numerator, s.Price.Denominator) + " (решения те же от " +
                         ExactFixed(s.Price.SwitchBelow, 6, sep) + " до " +
                         ExactFixed(s.Price.SwitchAbove, 6, sep) + ")";
        else
            lines << QString("Край дома %1 лежит между выплатами %2 (%3 %) и %4 (%5 %); прямая "
                             "между ними пересекает его при %6")
                         .arg(EdgeText(o.Edge, sep))
                         .arg(s.Payout.LowPayout)
                         .arg(ExactFixed(HouseEdgePercent(s.Payout.Low), 4, sep))
                         .arg(s.Payout.HighPayout)
                         .arg(ExactFixed(HouseEdgePercent(s.Payout.High), 4, sep),
                              ExactFixed(s.Payout.Crossing, 4, sep));
    } else if (o.HasTarget) {
        lines << NotSolvedText(o, sep);
    }
    lines << time + (o.HasTarget ? ", цель найдена за " +
                                       ExactFixed(o.Seconds - first.Seconds, 1, sep) + " с"
                                 : QString());
    return lines;
}

TExactTableCells TExactSweepPanel::Cells(char sep) const {
    TExactTableCells cells;
    const QString value = outcome_ ? QString::fromStdString(SweepParameterCaption(
                                         outcome_->Plan.Parameter, TPictureLanguage::Russian))
                                   : QString("значение");
    cells.Header = {value,          "чистый итог, анте", "МО на раздачу",
                    "край дома, %", "элемент риска, %",  "рейз, %",
                    "покупка, %",   "обмен, %",          "страховка, %"};
    if (!outcome_) return cells;
    const auto rows = SweepRows(outcome_->Plan, outcome_->Points, sep);
    for (size_t r = 1; r < rows.size(); ++r) {
        QStringList row;
        for (const std::string& f : rows[r]) row << QString::fromStdString(f);
        cells.Rows << row;
        cells.EngineRows << 0;
        cells.Contributions << 0;
    }
    return cells;
}

void TExactSweepPanel::ShowGrid() {
    const TExactTableCells cells = Cells(DecimalSeparator());
    SweepGrid->setColumnCount(static_cast<int>(cells.Header.size()));
    SweepGrid->setHorizontalHeaderLabels(cells.Header);
    SweepGrid->setRowCount(static_cast<int>(cells.Rows.size()));
    QFont bold = SweepGrid->font();
    bold.setBold(true);
    for (int r = 0; r < cells.Rows.size(); ++r) {
        const bool current =
            outcome_ && outcome_->Plan.Values[static_cast<size_t>(r)] == outcome_->Current;
        for (int c = 0; c < cells.Rows[r].size(); ++c) {
            auto* item = new QTableWidgetItem(cells.Rows[r][c]);
            item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            if (current) {
                item->setFont(bold);
                item->setToolTip("Правила в силе");
            }
            SweepGrid->setItem(r, c, item);
        }
    }
    SweepGrid->resizeColumnsToContents();
}

} // namespace kvarlen
