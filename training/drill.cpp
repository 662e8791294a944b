#include "training/drill.h"

#include "cards/numfmt.h"

#include <stdexcept>

namespace kvarlen::training {

const std::vector<std::string>& DrillClassNames() {
    static const std::vector<std::string> names = {
        "ak",          "pairs", "two-pairs",        "trips", "straights", "flushes",
        "full-houses", "quads", "straight-flushes", "royals"};
    return names;
}

TDrill ParseDrill(const std::string& text) {
    TDrill d;
    if (text.empty() || text == "none") return d;
    if (text == "weak") {
        d.Kind = TDrillKind::Weak;
        return d;
    }
    const size_t colon = text.find(':');
    const std::string head = text.substr(0, colon);
    const std::string rest = colon == std::string::npos ? "" : text.substr(colon + 1);
    if (head == "class" && colon != std::string::npos) {
        const std::vector<std::string>& names = DrillClassNames();
        for (size_t i = 0; i < names.size(); ++i)
            if (names[i] == rest) {
                d.Kind = TDrillKind::Class;
                d.Class = static_cast<int>(i) + 1;
                return d;
            }
        std::string all;
        for (const std::string& n : names) all += (all.empty() ? "" : "|") + n;
        throw std::runtime_error("--drill class: '" + ShortText(rest) + "' is none of " + all);
    }
    if (head == "close" && colon != std::string::npos) {
        double margin = 0;
        try {
            margin = StrToFloat(rest);
        } catch (const ConvertError& e) {
            throw std::runtime_error(std::string("--drill close: ") + e.what());
        }
        // A margin of nothing would wait for exact ties; beyond 10 antes every deal passes.
        if (!(margin > 0) || margin > 10)
            throw std::runtime_error("--drill close: the margin must be above 0 and at most 10 "
                                     "antes, not '" +
                                     ShortText(rest) + "'");
        d.Kind = TDrillKind::Close;
        d.Margin = margin;
        return d;
    }
    throw std::runtime_error("--drill: '" + ShortText(text) +
                             "' is none of class:NAME, close:MARGIN, weak");
}

std::string DrillText(const TDrill& d) {
    switch (d.Kind) {
    case TDrillKind::None:
        return "";
    case TDrillKind::Class:
        return "class:" + DrillClassNames()[static_cast<size_t>(d.Class - 1)];
    case TDrillKind::Close:
        return "close:" + FormatGeneral(d.Margin, '.');
    case TDrillKind::Weak:
        return "weak";
    }
    return "";
}

} // namespace kvarlen::training
