// kvarlen-cli: the engine without windows, for scripts, batch runs and checks.
#include "cards/numfmt.h"
#include "cli/commands.h"

#include <clocale>
#include <iostream>

int main(int argc, char** argv) {
    // Numbers in files and tables are written with the C library: keep its point.
    std::setlocale(LC_NUMERIC, "C");
    CLI::App app{"Kvarlen: six-card stud against the dealer — exact analysis, simulation and "
                 "bankroll figures"};
    app.require_subcommand(1);
    int status = 0;
    kvarlen::cli::AddAnalyseCommand(app, status);
    kvarlen::cli::AddSimulateCommand(app, status);
    kvarlen::cli::AddMergeCommand(app, status);
    kvarlen::cli::AddBankrollCommand(app, status);
    kvarlen::cli::AddExactCommand(app, status);
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        // --help and --version are answers; every other parse error is a refused input (2),
        // with CLI11's message cut short so that an oversized argument is not echoed whole.
        if (e.get_exit_code() == static_cast<int>(CLI::ExitCodes::Success)) return app.exit(e);
        std::cerr << kvarlen::ShortText(e.what(), 400) << "\n"
                  << "Run with --help for more information.\n";
        return 2;
    }
    return status;
}
