// kvarlen-cli bankroll: risk of ruin, minimal bank and the spread over N deals.
#include "cards/numfmt.h"
#include "cli/commands.h"
#include "simulation/bankroll.h"

#include <nlohmann/json.hpp>

#include <iostream>
#include <memory>

namespace kvarlen::cli {

namespace {
struct BankrollOptions {
    std::string Mo, Variance, Bank, Deals;
    bool Json = false;
    bool Point = false;
};

// A figure of the command line; a text that is no number is named with its option.
double ReadFigure(const std::string& text, const char* option) {
    try {
        return StrToFloat(text);
    } catch (const ConvertError& e) {
        throw std::runtime_error(std::string(option) + ": " + e.what());
    }
}

// Computes one figure, saying which and from what when the arithmetic fails.
template <class F> auto Figure(const std::string& what, F compute) {
    try {
        return compute();
    } catch (const MathError& e) {
        throw std::runtime_error(what + ": " + e.what());
    }
}

int RunBankroll(const BankrollOptions& o) {
    try {
        const double mo = ReadFigure(o.Mo, "--mo");
        const double variance = ReadFigure(o.Variance, "--variance");
        // A variance is a mean of squares: a negative one is a wrong figure, not a result.
        if (variance < 0)
            throw std::runtime_error("--variance must not be negative, not '" +
                                     ShortText(o.Variance) +
                                     "' (its square root: Invalid floating point operation)");
        const char sep = o.Point ? '.' : ',';
        nlohmann::json j;
        std::vector<std::string> lines;
        const double sigma = Sigma(variance);
        lines.push_back("Ср.кв.откл. = " + FormatFixed(sigma, 10, 6, sep));
        j["sigma"] = sigma;
        if (!o.Bank.empty()) {
            const double bank = ReadFigure(o.Bank, "--bank");
            if (variance == 0)
                throw std::runtime_error("--variance 0: the risk of ruin exp(-2 MO bank / "
                                         "variance) divides by it (Floating point division by "
                                         "zero); give a variance above 0 or leave out --bank");
            const double ror = Figure("the risk of ruin exp(-2 * --mo * --bank / --variance)",
                                      [&] { return RiskOfRuin(mo, bank, variance); });
            lines.push_back("ROR = " + FormatFixed(ror, 10, 5, sep));
            j["ror"] = ror;
        }
        if (mo == 0)
            throw std::runtime_error("--mo 0: the minimal bank variance / MO divides by it "
                                     "(Floating point division by zero)");
        const double minBank =
            Figure("the minimal bank --variance / --mo", [&] { return MinimalBank(mo, variance); });
        lines.push_back("MinBank = " + FormatFixed(minBank, 10, 5, sep));
        j["min_bank"] = minBank;
        if (!o.Deals.empty()) {
            int n = 0;
            try {
                n = StrToInt(o.Deals);
            } catch (const ConvertError& e) {
                throw std::runtime_error(std::string("--deals: ") + e.what());
            }
            if (n < 0)
                throw std::runtime_error("--deals must not be negative, not '" +
                                         ShortText(o.Deals) + "'");
            const TSpread s = Figure("the spread over --deals " + std::to_string(n),
                                     [&] { return Spread(n, mo, variance); });
            lines.push_back("от " + FormatFixed(s.Low, 10, 5, sep) + " до " +
                            FormatFixed(s.High, 10, 5, sep));
            j["spread"] = {
                {"deals", n}, {"low", s.Low}, {"expected", s.Expected}, {"high", s.High}};
        }
        if (o.Json)
            std::cout << j.dump(2) << "\n";
        else
            for (const auto& l : lines) std::cout << l << "\n";
        return 0;
    } catch (const std::exception& e) {
        std::cerr << "kvarlen-cli bankroll: " << e.what() << "\n";
        return 2;
    }
}
} // namespace

void AddBankrollCommand(CLI::App& app, int& status) {
    auto opts = std::make_shared<BankrollOptions>();
    auto* cmd = app.add_subcommand(
        "bankroll", "Risk of ruin, minimal bank and the 2-sigma spread of the total over N deals");
    cmd->add_option("--mo", opts->Mo, "expected result per deal, in antes (comma or point)")
        ->required();
    cmd->add_option("--variance", opts->Variance, "variance per deal")->required();
    cmd->add_option("--bank", opts->Bank, "bank, in antes (for the risk of ruin)");
    cmd->add_option("--deals", opts->Deals, "number of deals N (for the spread)");
    cmd->add_flag("--json", opts->Json, "JSON output");
    cmd->add_flag("--point", opts->Point, "print numbers with a decimal point instead of a comma");
    cmd->callback([opts, &status]() { status = RunBankroll(*opts); });
}

} // namespace kvarlen::cli
