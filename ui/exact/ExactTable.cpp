#include "ui/exact/ExactTable.h"

#include "cards/numfmt.h"
#include "exact/exact_compare.h"

#include <cstdio>

namespace kvarlen {

namespace {

QString Percent(long double share, char sep) {
    return ExactFixed(100 * share, 4, sep) + " %";
}

QString Price(double p, char sep) {
    return QString::fromStdString(FormatGeneral(p, sep));
}

QString Decimal(TExactInt v) {
    return QString::fromStdString(ToDecimal(v));
}

QString CsvField(const QString& text) {
    if (!text.contains(',') && !text.contains('"') && !text.contains('\n')) return text;
    QString quoted = text;
    quoted.replace('"', "\"\"");
    return '"' + quoted + '"';
}

} // namespace

QString ExactFixed(long double v, int decimals, char sep) {
    char buf[96];
    std::snprintf(buf, sizeof buf, "%.*Lf", decimals, v);
    QString s = QString::fromLatin1(buf);
    // Whatever LC_NUMERIC says, the separator is the one asked for.
    for (QChar& c : s)
        if (c == '.' || c == ',') c = QChar(sep);
    bool zero = true;
    for (QChar c : s)
        if (c.isDigit() && c != '0') zero = false;
    if (zero && s.startsWith('-')) s.remove(0, 1);
    return s;
}

QString ExactChartLabel(int row) {
    static const char* const kWins[10] = {"AK",   "пара", "две пары", "тройня",    "стрит",
                                          "флэш", "фулл", "каре",     "стритфлэш", "рояль"};
    if (row >= kRowWinFirst && row <= kRowWinLast) return kWins[row - kRowWinFirst];
    switch (row) {
    case kRowPassed:
        return "пас";
    case kRowNoGame:
        return "нет игры";
    case kRowPush:
        return "ничья";
    case kRowDealerWins:
        return "проигрыш";
    case kRowInsurancePaid:
        return "страховка +";
    case kRowInsuranceLost:
        return "страховка −";
    case kRowBuyCost:
        return "покупка";
    case kRowExchangeCost:
        return "обмен";
    default:
        return QString();
    }
}

TExactTableCells ExactTableCells(const TExactResult& r, char sep) {
    TExactTableCells cells;
    cells.Header = {"событие", "раздач", "вероятность", "итог на анте", "вклад в возврат"};
    const TExactSummary s = SummarizeExact(r);
    uint64_t outcomeDeals = 0;
    long double outcomeReturn = 0;
    bool totalShown = false;
    auto addTotal = [&] {
        cells.Rows.append({"сумма исходов", QString::number(outcomeDeals),
                           ExactFixed(s.Deals > 0 ? 1.0L : 0.0L, 8, sep), QString(),
                           ExactFixed(outcomeReturn, 8, sep)});
        cells.EngineRows.append(kSubtotalRow);
        cells.Contributions.append(static_cast<double>(outcomeReturn));
        totalShown = true;
    };
    for (const TExactTableRow& row : ExactTableRows(r)) {
        if (row.Side && !totalShown) addTotal();
        if (!row.Side) {
            outcomeDeals += row.Deals;
            outcomeReturn += row.Contribution;
        }
        cells.Rows.append({QString::fromStdString(row.Caption), QString::number(row.Deals),
                           ExactFixed(row.Probability, 8, sep), ExactFixed(row.NetPerDeal, 4, sep),
                           ExactFixed(row.Contribution, 8, sep)});
        cells.EngineRows.append(row.Row);
        cells.Contributions.append(static_cast<double>(row.Contribution));
    }
    if (!totalShown) addTotal();
    if (r.Complete) {
        cells.Rows.append(
            {"возврат на раздачу", QString(), QString(), QString(), ExactFixed(s.MO, 8, sep)});
        cells.EngineRows.append(kReturnRow);
        cells.Contributions.append(static_cast<double>(s.MO));
    }
    return cells;
}

QStringList ExactSummaryLines(const TExactResult& r, char sep, const QString& ruleSetName) {
    const TExactSummary s = SummarizeExact(r);
    const TRules& rules = r.Rules;
    const bool ideal = DecidesByValues(r.Mode);
    QStringList out;
    QString head = QString("Точный расчёт для одного бокса: ") +
                   QString::fromStdString(ExactModeCaption(r.Mode));
    if (r.PartCount > 1)
        head += QString(", часть %1 из %2 раскладов").arg(r.PartIndex).arg(r.PartCount);
    if (!r.Complete) head += " — НЕ ЗАВЕРШЁН: расчёт остановлен, счёт неполный";
    out << head;
    // The rules the run counted under: the window's switches may have changed since.
    QString ruleText = "Правила «" + ruleSetName + "»: ";
    ruleText += rules.Buy6 ? "покупка 6 карты по " + Price(r.BuyPrice(), sep) : "без покупки";
    if (ideal && rules.Exchange1) ruleText += ", обмен 1 карты по " + Price(r.ExchangePrice(), sep);
    ruleText += rules.Insurance ? ", страховка" : ", без страховки";
    ruleText += rules.AKPlays ? ", AK играет" : ", AK не играет";
    ruleText += "; выплаты";
    for (size_t i = 1; i <= 10; ++i) ruleText += (i == 1 ? " " : ", ") + QString::number(r.Pay[i]);
    out << ruleText;

    QString net;
    if (s.NetIsInteger) {
        net = Decimal(s.Net);
    } else {
        net = Decimal(s.NetInteger);
        if (s.Bought > 0)
            net += " − " + Price(r.BuyPrice(), sep) + " × " + QString::number(s.Bought);
        if (s.Exchanged > 0)
            net += " − " + Price(r.ExchangePrice(), sep) + " × " + QString::number(s.Exchanged);
        net += " (точные счёты, умноженные на цену) = " + ExactFixed(s.NetValue, 4, sep);
    }
    QString layouts =
        QString("Канонических раскладов: %1 из %2").arg(r.Tally.Layouts).arg(r.LayoutsInPart);
    if (r.PartCount > 1) layouts += QString(" в этой части (всего %1)").arg(r.CanonicalLayouts);
    layouts +=
        QString("; время %1 с, потоков %2").arg(ExactFixed(r.Seconds, 1, sep)).arg(r.Threads);
    if (!r.Complete) {
        // The layouts go in order, every open ace first: what was counted is no sample of the
        // game, and its MO would read as the game's value.
        out << "Посчитано раздач: " + QString::fromStdString(ToDecimal(s.Deals)) +
                   "; их чистый итог: " + net + " анте";
        out << "Ожидание, его доля в ставке и доли решений не показаны: расклады считаются по "
               "порядку, и посчитанная часть не представляет всю игру";
        out << layouts;
        return out;
    }
    out << "Всего раздач: " + QString::fromStdString(ToDecimal(s.Deals)) + "; чистый итог: " + net +
               " анте";
    out << "МО на раздачу: " + ExactFixed(s.MO, 8, sep) + " анте; преимущество казино " +
               Percent(s.HouseEdge, sep) + "; дисперсия " + ExactFixed(s.Variance, 6, sep) +
               "; ср.кв.откл. " + ExactFixed(s.Deviation, 6, sep);
    out << "Средняя ставка (анте, рейз, страховка): " + ExactFixed(s.AverageWager, 6, sep) +
               " анте; элемент риска " + Percent(s.ElementOfRisk, sep);
    QString shares = "Бокс поднимает в " + Percent(s.RaiseShare, sep) + " раздач, пасует в " +
                     Percent(s.PassShare, sep);
    if (rules.Buy6) shares += ", покупает в " + Percent(s.BuyShare, sep);
    if (ideal && rules.Exchange1) shares += ", меняет карту в " + Percent(s.ExchangeShare, sep);
    if (rules.Insurance) shares += ", страхуется в " + Percent(s.InsureShare, sep);
    out << shares;
    out << layouts;
    return out;
}

QStringList ExactComparisonText(const std::vector<TExactResult>& results, char sep) {
    QStringList out;
    const std::vector<TExactComparisonRow> rows = CompareExactResults(results);
    out << "Сравнение: лучшая игра и правила игры, каждая раздача посчитана";
    for (const TExactComparisonRow& row : rows) {
        if (!row.Complete) {
            out << QString::fromStdString(ExactModeCaption(row.Mode)) +
                       ": НЕ ЗАВЕРШЁН, МО не показано";
            continue;
        }
        QString line = QString::fromStdString(ExactModeCaption(row.Mode)) + ": МО " +
                       ExactFixed(row.MO, 8, sep) + " анте, преимущество казино " +
                       ExactFixed(row.HouseEdge, 4, sep) + " %";
        if (row.Mode != TExactMode::Optimal && rows.front().Complete)
            line += "; уступает лучшей игре " + ExactFixed(row.Cost, 8, sep) +
                    " анте за раздачу (" + ExactFixed(100 * row.Cost, 4, sep) + " % анте)";
        out << line;
    }
    return out;
}

QString ExactTabText(const TExactTableCells& cells, const QStringList& summary) {
    QString text = cells.Header.join('\t') + '\n';
    for (const QStringList& row : cells.Rows) text += row.join('\t') + '\n';
    if (!summary.isEmpty()) text += '\n' + summary.join('\n') + '\n';
    return text;
}

std::vector<std::string> ExactCsvLines(const TExactTableCells& cells, const QStringList& summary) {
    std::vector<std::string> lines;
    auto line = [](const QStringList& fields) {
        QStringList quoted;
        for (const QString& f : fields) quoted << CsvField(f);
        return quoted.join(',').toStdString();
    };
    lines.push_back(line(cells.Header));
    for (const QStringList& row : cells.Rows) lines.push_back(line(row));
    if (!summary.isEmpty()) lines.emplace_back();
    for (const QString& text : summary) lines.push_back(line({text}));
    return lines;
}

} // namespace kvarlen
