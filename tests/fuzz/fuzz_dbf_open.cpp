// libFuzzer target: opening a history table that is not what it should be, through our DBF
// layer, on a private copy of the fuzzed bytes. Refused or opened, never a crash.
#include "simulation/dbf_base.h"
#include "simulation/dbf_history.h"

#include <clocale>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // A folder of our own for the run, removed when the fuzzer exits.
    struct TFolder {
        std::filesystem::path Path;
        TFolder() {
            std::setlocale(LC_NUMERIC, "C");
            Path = std::filesystem::temp_directory_path() /
                   ("kvarlen_fuzz_dbf_" + std::to_string(getpid()));
            std::filesystem::create_directories(Path);
        }
        ~TFolder() {
            std::error_code ec;
            std::filesystem::remove_all(Path, ec);
        }
    };
    static const TFolder folder;
    const std::string path = (folder.Path / "1box.DBF").string();
    if (FILE* f = std::fopen(path.c_str(), "wb")) {
        if (size > 0) std::fwrite(data, 1, size, f);
        std::fclose(f);
    }
    std::string error;
    const int handle = kvarlen::OpenHistory(path, error);
    if (handle > 0) kvarlen::CloseBase(handle);
    std::remove(path.c_str());
    return 0;
}
