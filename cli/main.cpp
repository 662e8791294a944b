// kvarlen-cli: the engine without windows, for scripts, batch runs and checks.
#include "cli/commands.h"

#include <clocale>

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
    CLI11_PARSE(app, argc, argv);
    return status;
}
