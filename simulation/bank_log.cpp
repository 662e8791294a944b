#include "simulation/bank_log.h"

#include "simulation/report.h"
#include "simulation/text_files.h"

#include <cerrno>
#include <cstring>

namespace kvarlen {

TBankLog::TBankLog() {
    scratch_ = std::tmpfile();
}

TBankLog::~TBankLog() {
    if (scratch_ != nullptr) std::fclose(scratch_);
}

void TBankLog::Spill() {
    if (scratch_ != nullptr) {
        // A full disk loses the log; the bank file then reports the error.
        if (std::fwrite(buffer_.data(), sizeof(double), used_, scratch_) != used_) failed_ = true;
    } else {
        memory_.insert(memory_.end(), buffer_.begin(), buffer_.begin() + static_cast<long>(used_));
    }
    used_ = 0;
}

bool WriteBankFile(const std::string& path, const std::vector<TBankLogPart>& parts, char sep,
                   std::string& error) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) {
        error = CannotCreateText(path, errno);
        return false;
    }
    bool ok = true;
    std::string line;
    for (const TBankLogPart& part : parts) {
        const bool complete = part.Log->ForEach([&](double b1, double b2, double b3) {
            if (!ok) return;
            BankLogLine(b1 + part.Offset[0], b2 + part.Offset[1], b3 + part.Offset[2], sep, line);
            line += "\r\n";
            if (std::fwrite(line.data(), 1, line.size(), f) != line.size()) ok = false;
        });
        if (!complete) ok = false;
    }
    const int err = errno;
    if (std::fclose(f) != 0) ok = false;
    if (!ok) error = "Cannot write file \"" + path + "\". " + std::strerror(err);
    return ok;
}

} // namespace kvarlen
