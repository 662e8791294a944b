#include "simulation/text_files.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <iconv.h>

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

bool WriteTextFile(const std::string& path, const std::vector<std::string>& lines,
                   std::string& error) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) {
        error = CannotCreateText(path, errno);
        return false;
    }
    bool ok = true;
    for (const std::string& line : lines) {
        const std::string bytes = ToCp1251(line);
        if (std::fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size() ||
            std::fwrite("\r\n", 1, 2, f) != 2) {
            ok = false;
            break;
        }
    }
    const int writeErr = errno;
    if (std::fclose(f) != 0) ok = false;
    if (!ok) {
        error = "Cannot write file \"" + path + "\". " + std::strerror(writeErr);
        std::remove(path.c_str());
    }
    return ok;
}

} // namespace kvarlen
