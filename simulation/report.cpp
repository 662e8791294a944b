#include "simulation/report.h"

#include <charconv>
#include <cmath>

namespace kvarlen {

namespace {
std::string Fixed5(double v, char sep) {
    return FormatFixed(v, 10, 5, sep);
}
std::string Fixed6(double v, char sep) {
    return FormatFixed(v, 10, 6, sep);
}
} // namespace

std::vector<std::string> ReportLines(const TRunResult& r, char sep) {
    std::vector<std::string> lines;
    for (size_t b = 1; b <= 3; ++b)
        lines.push_back("Чистый плюс #" + std::to_string(b) + " : " + FormatGeneral(r.Net[b], sep) +
                        " [банк был " + std::to_string(r.InitialBank[b]) + "]");
    lines.emplace_back();
    lines.push_back("Чистый плюс команды: " + FormatGeneral(TeamNet(r), sep));
    lines.emplace_back();
    lines.push_back("Было сыграно " + std::to_string(r.Deals) + " раздач за " +
                    Fixed5(r.ElapsedMs / 1000.0, sep) + " сек.");
    // A stopped run must not pass for a finished one of that size.
    if (r.Stopped)
        lines.push_back(
            "Симуляция остановлена: сыграно " + std::to_string(r.Deals) +
            (r.DealsAsked > 0 ? " раздач из " + std::to_string(r.DealsAsked) : " раздач") + ".");
    const double mo = ResultMO(r);
    if (r.Ideal) {
        lines.push_back("(t3:t4) " + Fixed5(r.DecisionMs / 1000.0, sep) + " сек.");
        lines.push_back("GlobalT1 " + Fixed5(r.GlobalT1Ms / 1000.0, sep) + " сек.");
        lines.push_back("Средний выигрыша за одну раздачу = " + Fixed5(mo, sep));
        lines.emplace_back();
    }
    lines.push_back("MO одной раздачи = " + Fixed5(mo, sep));
    lines.push_back("Дисперсия = " + Fixed5(ResultVariance(r), sep));
    lines.push_back("Ср.кв.отклонение = " + Fixed5(ResultDeviation(r), sep));
    lines.emplace_back();
    if (r.Statistics) {
        const TRunStats& s = r.Stats;
        lines.emplace_back();
        lines.push_back("Что приходило с раздачи (от C_Empty до C_Royal)");
        for (size_t i = 1; i <= 11; ++i) lines.push_back(std::to_string(s.DealtByClass[i]));
        lines.emplace_back();
        lines.push_back("С чем приходили к финалу (от C_Empty до C_Royal)");
        for (size_t i = 1; i <= 11; ++i)
            lines.push_back(std::to_string(s.FinalByClass[i]) +
                            "\t%won=" + std::to_string(s.WonByClass[i]) +
                            "\t%nogame=" + std::to_string(s.NoGameByClass[i]) +
                            "\t%lose=" + std::to_string(s.LostByClass[i]) +
                            "\t%pass=" + std::to_string(s.PassByClass[i]));
        int64_t buys = 0;
        for (size_t b = 1; b <= static_cast<size_t>(r.TeamSize) && b <= 3; ++b)
            buys += s.BuyCount[b];
        lines.push_back("BuyCount=" + std::to_string(buys));
    }
    return lines;
}

TMathInputs MathInputsOf(const TRunResult& r, char sep) {
    TMathInputs m;
    m.MO = ResultMO(r);
    m.Variance = ResultVariance(r);
    m.MOText = Fixed6(m.MO, sep);
    m.VarianceText = Fixed6(m.Variance, sep);
    return m;
}

std::string OpenCardLogLine(const TCardRec& open, int matches) {
    return "Вскрышка :" + CardText(open) + " вышла " + std::to_string(matches) + " раз.";
}

void AppendDealLog(const TBoxes& boxes, int teamSize, char sep, std::vector<std::string>& log,
                   std::vector<TGameLogBank>* banks) {
    for (int q = 0; q <= teamSize; ++q) {
        const TBox& box = boxes[static_cast<size_t>(q)];
        const THand& h = box.Hand;
        std::string line = std::to_string(q) + " : ";
        for (int i = 1; i <= h.Count; ++i) {
            const int mark = h.Cards[i].Mark;
            line += mark == kMarkBought ? "$" : (mark == kMarkExchanged ? "^" : " ");
            line += CardText(h.Cards[i]);
            line += ' ';
        }
        if (h.Count == 5) line += "         ";
        line += ' ';
        line += ComboName(h.Combo);
        if (q > 0) {
            line += " Bank : ";
            const std::string bank = FormatGeneral(box.Bank, sep);
            if (banks)
                banks->push_back(TGameLogBank{log.size(), line.size(), bank.size(), q, box.Bank});
            line += bank;
        }
        if (HandHasDrawnCard(h)) {
            line += " [buydecision = ";
            for (int bit = 0; bit < 9; ++bit)
                if (box.BuyDecision & (1 << bit)) line += " rule" + std::to_string(bit + 1);
            line += "]";
        }
        log.push_back(std::move(line));
    }
    log.emplace_back();
}

void ShiftGameLogBanks(std::vector<std::string>& log, const std::vector<TGameLogBank>& banks,
                       const std::array<double, 3>& offset, char sep) {
    for (const TGameLogBank& b : banks) {
        const double shift = offset[static_cast<size_t>(b.Box - 1)];
        if (shift == 0 || b.Line >= log.size()) continue;
        log[b.Line].replace(b.Pos, b.Len, FormatGeneral(b.Bank + shift, sep));
    }
}

namespace {
// The general format, with a fast path for whole numbers (the usual bank).
void AppendGeneral(double v, char sep, std::string& out) {
    if (v == std::floor(v) && std::fabs(v) < 1e15) {
        char buf[24];
        auto res = std::to_chars(buf, buf + sizeof buf, static_cast<long long>(v));
        out.append(buf, res.ptr);
        return;
    }
    out += FormatGeneral(v, sep);
}
} // namespace

void BankLogLine(double b1, double b2, double b3, char sep, std::string& out) {
    out.clear();
    AppendGeneral(b1, sep, out);
    out += '\t';
    AppendGeneral(b2, sep, out);
    out += '\t';
    AppendGeneral(b3, sep, out);
    out += '\t';
    AppendGeneral(b1 + b2 + b3, sep, out);
}

} // namespace kvarlen
