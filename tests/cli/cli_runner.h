// Runs the built kvarlen-cli with arguments and collects its exit status and both outputs.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace kvarlen::test {

struct TCliRun {
    int Status = -1;
    std::string Out;
    std::string Err;
};

// args are passed through the shell as they stand (quote card lists). A run still going after
// `seconds` (when given) is ended and reports status 124; `cwd`, when given, is the folder it
// runs in.
inline TCliRun RunCli(const std::string& args, int seconds = 0, const std::string& cwd = "") {
    // One file per test process: ctest runs tests side by side.
    const std::string errFile =
        ::testing::TempDir() + "kvarlen_cli_stderr_" + std::to_string(getpid()) + ".txt";
    const std::string command =
        (cwd.empty() ? std::string() : "cd \"" + cwd + "\" && ") +
        (seconds > 0 ? "timeout " + std::to_string(seconds) + " " : std::string()) + "\"" +
        KVARLEN_CLI + "\" " + args + " 2>\"" + errFile + "\"";
    TCliRun run;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return run;
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, pipe)) > 0) run.Out.append(buf, n);
    const int raw = pclose(pipe);
    run.Status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    {
        std::ifstream err(errFile);
        std::stringstream ss;
        ss << err.rdbuf();
        run.Err = ss.str();
    }
    std::remove(errFile.c_str()); // ctest runs hundreds of these; leave no files behind
    return run;
}

} // namespace kvarlen::test
