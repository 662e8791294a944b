#include "simulation/text_files.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <iconv.h>
#include <unistd.h>

namespace kvarlen {

namespace {

bool IsAscii(const std::string& s) {
    for (unsigned char c : s)
        if (c >= 0x80) return false;
    return true;
}

// Converts with iconv, replacing what cannot be converted by '?'.
std::string Convert(const std::string& in, const char* to, const char* from) {
    if (IsAscii(in)) return in;
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) return in;
    std::string out;
    out.resize(in.size() * 4 + 8);
    char* src = const_cast<char*>(in.data());
    size_t srcLeft = in.size();
    char* dst = out.data();
    size_t dstLeft = out.size();
    while (srcLeft > 0) {
        if (iconv(cd, &src, &srcLeft, &dst, &dstLeft) != static_cast<size_t>(-1)) break;
        if (errno == EILSEQ || errno == EINVAL) {
            // Skip one whole UTF-8 sequence (or one byte) and put a question mark.
            size_t skip = 1;
            const unsigned char lead = static_cast<unsigned char>(*src);
            if (std::strcmp(from, "UTF-8") == 0) {
                if (lead >= 0xF0)
                    skip = 4;
                else if (lead >= 0xE0)
                    skip = 3;
                else if (lead >= 0xC0)
                    skip = 2;
            }
            if (skip > srcLeft) skip = srcLeft;
            src += skip;
            srcLeft -= skip;
            if (dstLeft > 0) {
                *dst++ = '?';
                --dstLeft;
            }
        } else {
            break;
        }
    }
    out.resize(out.size() - dstLeft);
    iconv_close(cd);
    return out;
}

} // namespace

std::string ToCp1251(const std::string& utf8) {
    return Convert(utf8, "CP1251", "UTF-8");
}
std::string FromCp1251(const std::string& cp1251) {
    return Convert(cp1251, "UTF-8", "CP1251");
}

std::string DateStamp() {
    const std::time_t now = std::time(nullptr);
    std::tm tm{};
    localtime_r(&now, &tm);
    char buf[48];
    std::snprintf(buf, sizeof buf, "%04d%02d%02d", tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday);
    return buf;
}

std::string ReportFilePath(const std::string& dir, const std::string& date) {
    return dir + "/out/out" + date + ".txt";
}

std::string BankFilePath(const std::string& dir, const std::string& date) {
    return dir + "/out/out_bank_" + date + ".txt";
}

std::string CannotCreateText(const std::string& path, int err) {
    return "Cannot create file \"" + path + "\". " + std::strerror(err);
}

std::string CannotWriteText(const std::string& path, int err) {
    return "Cannot write file \"" + path + "\". " + std::strerror(err) +
           ". The file was left as it was";
}

TFileWriter::TFileWriter(std::string path) : path_(std::move(path)) {}

TFileWriter::~TFileWriter() {
    if (file_ != nullptr) std::fclose(file_);
    if (!temp_.empty()) unlink(temp_.c_str());
}

bool TFileWriter::Open(std::string& error) {
    static std::atomic<unsigned> serial{0};
    const size_t slash = path_.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "" : path_.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? path_ : path_.substr(slash + 1);
    temp_ = folder + "." + name + "." + std::to_string(getpid()) + "-" +
            std::to_string(serial.fetch_add(1)) + ".tmp";
    // Not mkstemp: the file keeps the permissions the umask gives a new file.
    const int fd = open(temp_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
        error = CannotCreateText(path_, errno);
        temp_.clear();
        return false;
    }
    file_ = fdopen(fd, "wb");
    if (file_ == nullptr) {
        error = CannotCreateText(path_, errno);
        close(fd);
        return false;
    }
    return true;
}

void TFileWriter::Fail(int err) {
    if (error_ == 0) error_ = err != 0 ? err : EIO;
}

bool TFileWriter::Write(const std::string& bytes) {
    if (error_ != 0 || file_ == nullptr) return false;
    if (std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size()) Fail(errno);
    return error_ == 0;
}

bool TFileWriter::Commit(std::string& error) {
    if (file_ == nullptr) {
        error = CannotCreateText(path_, EBADF);
        return false;
    }
    // A full disk often shows only when the buffer goes out, or at fsync on some file systems.
    if (error_ == 0 && std::fflush(file_) != 0) Fail(errno);
    if (error_ == 0 && fsync(fileno(file_)) != 0) Fail(errno);
    const int closed = std::fclose(file_);
    if (closed != 0) Fail(errno);
    file_ = nullptr;
    if (error_ != 0) {
        error = CannotWriteText(path_, error_);
        return false;
    }
    if (std::rename(temp_.c_str(), path_.c_str()) != 0) {
        error = CannotCreateText(path_, errno);
        return false;
    }
    temp_.clear();
    return true;
}

bool WriteTextFile(const std::string& path, const std::vector<std::string>& lines,
                   std::string& error) {
    TFileWriter file(path);
    if (!file.Open(error)) return false;
    for (const std::string& line : lines)
        if (!file.Write(ToCp1251(line) + "\r\n")) break;
    return file.Commit(error);
}

} // namespace kvarlen
