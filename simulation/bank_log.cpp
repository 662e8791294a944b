#include "simulation/bank_log.h"

#include "simulation/report.h"
#include "simulation/text_files.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace kvarlen {

namespace {

// An unnamed file in `folder`, gone when closed; nullptr with errno when none can be made.
std::FILE* ScratchIn(const std::string& folder) {
    if (folder.empty()) return nullptr;
    int fd = open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (fd < 0) {
        // A file system without unnamed files: a named one, removed at once.
        std::string name = folder + "/.kvarlen-banks-XXXXXX";
        fd = mkostemp(name.data(), O_CLOEXEC);
        if (fd < 0) return nullptr;
        unlink(name.c_str());
    }
    std::FILE* f = fdopen(fd, "w+b");
    if (f == nullptr) close(fd);
    return f;
}

} // namespace

TBankLog::TBankLog(const std::string& scratchFolder) {
    scratch_ = std::tmpfile();
    if (scratch_ == nullptr) {
        scratchError_ = errno;
        scratch_ = ScratchIn(scratchFolder);
    }
}

void TBankLog::Fail(int err) {
    if (failed_) return;
    failed_ = true;
    error_ = err != 0 ? err : EIO;
}

TBankLog::~TBankLog() {
    if (scratch_ != nullptr) std::fclose(scratch_);
}

void TBankLog::Spill() {
    // A failed log keeps counting deals but no longer keeps them; the bank file reports it.
    if (failed_) {
        used_ = 0;
        return;
    }
    if (scratch_ != nullptr) {
        if (std::fwrite(buffer_.data(), sizeof(double), used_, scratch_) != used_) Fail(errno);
    } else if (memory_.size() + used_ <= 3 * kMemoryDeals) {
        // All at once: growing step by step would hold the old and the new block together.
        if (memory_.capacity() == 0) memory_.reserve(3 * kMemoryDeals + kBuffer);
        memory_.insert(memory_.end(), buffer_.begin(), buffer_.begin() + static_cast<long>(used_));
    } else {
        Fail(scratchError_ != 0 ? scratchError_ : ENOSPC);
        std::vector<double>().swap(memory_);
    }
    used_ = 0;
}

bool WriteBankFile(const std::string& path, const std::vector<TBankLogPart>& parts, char sep,
                   std::string& error) {
    // A log that lost deals would give a bank file with a hole: leave the old file alone.
    for (const TBankLogPart& part : parts)
        if (part.Log->Failed()) {
            error = CannotWriteText(path, part.Log->Error());
            return false;
        }
    TFileWriter file(path);
    if (!file.Open(error)) return false;
    bool ok = true;
    std::string line;
    for (const TBankLogPart& part : parts) {
        const bool complete = part.Log->ForEach([&](double b1, double b2, double b3) {
            if (!ok) return;
            BankLogLine(b1 + part.Offset[0], b2 + part.Offset[1], b3 + part.Offset[2], sep, line);
            line += "\r\n";
            ok = file.Write(line);
        });
        if (!complete) {
            error = CannotWriteText(path, part.Log->Error());
            return false;
        }
    }
    return file.Commit(error);
}

} // namespace kvarlen
