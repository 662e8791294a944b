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

int RunBankroll(const BankrollOptions& o) {
    try {
        const double mo = StrToFloat(o.Mo);
        const double variance = StrToFloat(o.Variance);
        const char sep = o.Point ? '.' : ',';
        nlohmann::json j;
        std::vector<std::string> lines;
        lines.push_back("Ср.кв.откл. = " + FormatFixed(Sigma(variance), 10, 6, sep));
        j["sigma"] = Sigma(variance);
        if (!o.Bank.empty()) {
            const double bank = StrToFloat(o.Bank);
            const double ror = RiskOfRuin(mo, bank, variance);
            lines.push_back("ROR = " + FormatFixed(ror, 10, 5, sep));
            j["ror"] = ror;
        }
        const double minBank = MinimalBank(mo, variance);
        lines.push_back("MinBank = " + FormatFixed(minBank, 10, 5, sep));
        j["min_bank"] = minBank;
        if (!o.Deals.empty()) {
            const int n = StrToInt(o.Deals);
            const TSpread s = Spread(n, mo, variance);
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
