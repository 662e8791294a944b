// Placeholder until the command is built.
#include "cli/commands.h"

namespace kvarlen::cli {

void AddSimulateCommand(CLI::App& app, int& status) {
    auto* cmd = app.add_subcommand("simulate", "(not available yet)");
    cmd->callback([&status]() { status = 1; });
}

} // namespace kvarlen::cli
