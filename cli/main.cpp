// kvarlen-cli: the engine without windows, for scripts, batch runs and checks.
#include "cards/numfmt.h"
#include "cli/commands.h"

#include <cerrno>
#include <clocale>
#include <cstdio>
#include <cstring>
#include <iostream>

namespace kvarlen::cli {

bool StandardOutputWritten(const char* command) {
    // std::cout writes through stdout's buffer: flushing that gives the error number; a write
    // that failed earlier left its number behind.
    const int earlier = errno;
    const bool flushed = std::fflush(stdout) == 0;
    const int err = flushed ? earlier : errno;
    std::cout.flush();
    if (flushed && !std::ferror(stdout) && std::cout) return true;
    std::cerr << command << ": cannot write the output to the standard output"
              << (err != 0 ? std::string(": ") + std::strerror(err) : std::string()) << "\n";
    return false;
}

} // namespace kvarlen::cli

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
    kvarlen::cli::AddTrainCommand(app, status);
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
    // What a command printed must have reached its reader: a full disk or a closed pipe is a
    // failure (1), never a success or a stop (a stop plus a write failure gives 1). A command
    // that failed has said why already.
    if (status != 1 && !kvarlen::cli::StandardOutputWritten("kvarlen-cli") && status != 2)
        status = 1;
    return status;
}
