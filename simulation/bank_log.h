// The banks of boxes 1..3 after every deal of a strategy run, kept compactly and written out as
// the bank file at the end of the run. They go to a scratch file (in the temporary folder, else
// in `scratchFolder`); without one, memory holds a bounded number of deals and the log fails
// beyond it rather than grow without end.
#pragma once

#include <array>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace kvarlen {

class TBankLog {
  public:
    explicit TBankLog(const std::string& scratchFolder = "");
    ~TBankLog();
    TBankLog(const TBankLog&) = delete;
    TBankLog& operator=(const TBankLog&) = delete;

    // One deal; does not allocate except when the scratch file could not be made.
    void Add(double b1, double b2, double b3) {
        if (used_ + 3 > kBuffer) Spill();
        buffer_[used_++] = b1;
        buffer_[used_++] = b2;
        buffer_[used_++] = b3;
        ++count_;
    }
    int64_t Count() const { return count_; }
    // Calls f(b1, b2, b3) for every deal in order. False when the log lost deals (a scratch file
    // that could not be written or read, or no scratch file and too many deals for memory).
    template <class F> bool ForEach(F f);
    bool Failed() const { return failed_; }
    // The error that made the log fail.
    int Error() const { return error_; }

    // Deals kept in memory when there is no scratch file (24 bytes each).
    static constexpr size_t kMemoryDeals = size_t{1} << 20;

  private:
    static constexpr size_t kBuffer = 3 * 4096;
    void Spill();
    void Fail(int err);
    std::FILE* scratch_ = nullptr;
    int scratchError_ = 0;
    std::vector<double> memory_;
    std::array<double, kBuffer> buffer_{};
    size_t used_ = 0;
    int64_t count_ = 0;
    bool failed_ = false;
    int error_ = 0;
};

// Bank logs of streams played one after another: each stream's banks are shifted by `offset`
// (the nets of the streams before it).
struct TBankLogPart {
    TBankLog* Log = nullptr;
    std::array<double, 3> Offset{};
};

// Writes the bank file: one line per deal, CR LF, the general format with `sep`.
bool WriteBankFile(const std::string& path, const std::vector<TBankLogPart>& parts, char sep,
                   std::string& error);

template <class F> bool TBankLog::ForEach(F f) {
    if (failed_) return false;
    if (scratch_ != nullptr) {
        if (std::fflush(scratch_) != 0) {
            Fail(errno);
            return false;
        }
        std::rewind(scratch_);
        double rec[3 * 512];
        for (;;) {
            const size_t n = std::fread(rec, sizeof(double), 3 * 512, scratch_);
            for (size_t i = 0; i + 2 < n; i += 3) f(rec[i], rec[i + 1], rec[i + 2]);
            if (n < 3 * 512) break;
        }
        if (std::ferror(scratch_)) Fail(errno);
        std::fseek(scratch_, 0, SEEK_END);
        if (failed_) return false;
    }
    for (size_t i = 0; i + 2 < memory_.size(); i += 3)
        f(memory_[i], memory_[i + 1], memory_[i + 2]);
    for (size_t i = 0; i + 2 < used_; i += 3) f(buffer_[i], buffer_[i + 1], buffer_[i + 2]);
    return !failed_;
}

} // namespace kvarlen
