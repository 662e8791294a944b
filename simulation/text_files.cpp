#include "simulation/text_files.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <iconv.h>
#include <sys/stat.h>
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

// Why a folder a file was to go in is missing: the folder it belongs in may refuse new entries
// (a program started in a read-only folder could not make its "out" there).
std::string MissingFolderReason(const std::string& folder) {
    std::string dir = folder.empty() ? "." : folder;
    while (dir.size() > 1 && dir.back() == '/') dir.pop_back();
    struct stat st {};
    if (stat(dir.c_str(), &st) == 0) return "";
    const size_t slash = dir.find_last_of('/');
    const std::string parent =
        slash == std::string::npos ? "." : (slash == 0 ? "/" : dir.substr(0, slash));
    if (access(parent.c_str(), W_OK) != 0 && errno != ENOENT)
        return ". The folder \"" + dir + "\" is missing and cannot be made in \"" + parent +
               "\": " + std::strerror(errno);
    return ". The folder \"" + dir + "\" is missing";
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
        const int err = errno;
        error = CannotCreateText(path_, err);
        if (err == ENOENT) error += MissingFolderReason(folder);
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

bool AppendTextFile(const std::string& path, const std::vector<std::string>& lines,
                    std::string& error) {
    TFileWriter file(path);
    if (!file.Open(error)) return false;
    // Only a regular file has bytes to keep; anything else under the name makes the rename
    // fail, with its own message.
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0 && errno != ENOENT) {
        error = "Cannot read file \"" + path + "\". " + std::strerror(errno) +
                ". The file was left as it was";
        return false;
    }
    if (fd >= 0) {
        struct stat st {};
        bool ok = fstat(fd, &st) == 0;
        int err = errno;
        if (ok && S_ISREG(st.st_mode)) {
            // In pieces: a day's file with the game log of long runs can be large.
            std::string buf(1 << 16, '\0');
            for (;;) {
                const ssize_t n = read(fd, buf.data(), buf.size());
                if (n < 0 && errno == EINTR) continue;
                if (n < 0) {
                    ok = false;
                    err = errno;
                    break;
                }
                if (n == 0 || !file.Write(buf.substr(0, static_cast<size_t>(n)))) break;
            }
        }
        close(fd);
        if (!ok) {
            error = "Cannot read file \"" + path + "\". " + std::strerror(err) +
                    ". The file was left as it was";
            return false;
        }
    }
    for (const std::string& line : lines)
        if (!file.Write(ToCp1251(line) + "\r\n")) break;
    return file.Commit(error);
}

std::string WriteTarget(const std::string& path) {
    namespace fs = std::filesystem;
    std::error_code ec;
    if (!fs::is_symlink(path, ec)) return path;
    const fs::path target = fs::weakly_canonical(path, ec);
    return ec ? path : target.string();
}

bool IsSpecialFile(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode);
}

namespace {

// What identifies the file a name stands for: "dev:inode" when it exists, else the canonical
// folder and the name (a dangling link stands for its target).
std::string FileKey(const std::string& path) {
    namespace fs = std::filesystem;
    struct stat st {};
    if (stat(path.c_str(), &st) == 0)
        return std::to_string(st.st_dev) + ":" + std::to_string(st.st_ino);
    std::error_code ec;
    fs::path p = fs::absolute(path, ec);
    if (ec) p = path;
    // Links to links, as far as the system would follow them.
    for (int hops = 0; hops < 40 && fs::is_symlink(p, ec); ++hops) {
        const fs::path to = fs::read_symlink(p, ec);
        if (ec) break;
        p = to.is_absolute() ? to : p.parent_path() / to;
    }
    const fs::path folder = fs::weakly_canonical(p.parent_path(), ec);
    return "path:" + ((ec ? p.parent_path() : folder) / p.filename()).lexically_normal().string();
}

} // namespace

bool SameFile(const std::string& a, const std::string& b) {
    return FileKey(a) == FileKey(b);
}

} // namespace kvarlen
