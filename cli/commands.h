// The subcommands of kvarlen-cli. Each registers itself on the app; its callback runs the
// command and leaves the process exit status in `status` (2 for a refused input).
#pragma once

#include <CLI/CLI.hpp>

#include <string>
#include <vector>

namespace kvarlen::cli {

void AddAnalyseCommand(CLI::App& app, int& status);
void AddSimulateCommand(CLI::App& app, int& status);
void AddMergeCommand(CLI::App& app, int& status);
void AddBankrollCommand(CLI::App& app, int& status);
void AddExactCommand(CLI::App& app, int& status);
void AddTrainCommand(CLI::App& app, int& status);

// True when everything printed so far reached the standard output; otherwise says so, with the
// system's reason, on stderr, naming the command.
bool StandardOutputWritten(const char* command);

// Results of `exact --json` given to `merge`: recognised and merged as exact parts.
bool IsExactResultFile(const std::string& path);
int MergeExactFiles(const std::vector<std::string>& files, bool json);

} // namespace kvarlen::cli
