#include "simulation/dbf_file.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <strings.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kvarlen {

namespace {

thread_local TDbfFile* g_hookFile = nullptr;

bool EndsWithDbf(const char* name) {
    const size_t n = std::strlen(name);
    return n >= 4 && strcasecmp(name + n - 4, ".dbf") == 0;
}

TDbfFile* Of(SAFile f) {
    return reinterpret_cast<TDbfFile*>(f);
}

SAFile HookOpen(const char* name, const char* access) {
    if (g_hookFile == nullptr || !EndsWithDbf(name)) {
        errno = ENOENT;
        return nullptr;
    }
    TDbfFile* file = g_hookFile;
    file->Pos = 0;
    // shapelib creates with "wb+": the file is ours, locked and empty, but keep the meaning.
    if (access[0] == 'w' && !file->Failed && ftruncate(file->Fd, 0) != 0) {
        file->Failed = true;
        file->Errno = errno;
    }
    return reinterpret_cast<SAFile>(file);
}

SAOffset HookRead(void* p, SAOffset size, SAOffset nmemb, SAFile f) {
    TDbfFile* file = Of(f);
    if (size == 0) return 0;
    const size_t want = size * nmemb;
    size_t done = 0;
    while (done < want) {
        const ssize_t n = pread(file->Fd, static_cast<char*>(p) + done, want - done,
                                static_cast<off_t>(file->Pos + done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        done += static_cast<size_t>(n);
    }
    file->Pos += done;
    return done / size;
}

SAOffset HookWrite(void* p, SAOffset size, SAOffset nmemb, SAFile f) {
    TDbfFile* file = Of(f);
    if (file->Failed || size == 0) return 0;
    const size_t want = size * nmemb;
    size_t done = 0;
    while (done < want) {
        const ssize_t n = pwrite(file->Fd, static_cast<const char*>(p) + done, want - done,
                                 static_cast<off_t>(file->Pos + done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            // Read right here: anything called later may change it.
            file->Failed = true;
            file->Errno = n < 0 ? errno : ENOSPC;
            break;
        }
        done += static_cast<size_t>(n);
    }
    file->Pos += done;
    return done / size;
}

SAOffset HookSeek(SAFile f, SAOffset offset, int whence) {
    TDbfFile* file = Of(f);
    if (whence == SEEK_SET) {
        file->Pos = offset;
    } else if (whence == SEEK_CUR) {
        file->Pos += offset;
    } else {
        struct stat st {};
        if (fstat(file->Fd, &st) != 0) return static_cast<SAOffset>(-1);
        file->Pos = static_cast<uint64_t>(st.st_size) + offset;
    }
    return 0;
}

SAOffset HookTell(SAFile f) {
    return Of(f)->Pos;
}

int HookFlush(SAFile) {
    return 0;
}

int HookClose(SAFile) {
    return 0;
}

int HookRemove(const char* name) {
    // Only the .cpg shapelib drops beside a new table; never the table itself.
    if (EndsWithDbf(name)) return -1;
    return unlink(name);
}

void HookError(const char*) {
    // Failures are reported by the caller, with the errno of the failing call.
}

} // namespace

bool ReadDbfHeader(int fd, TDbfHeader& h, int& err) {
    unsigned char b[32];
    size_t done = 0;
    while (done < sizeof b) {
        const ssize_t n = pread(fd, b + done, sizeof b - done, static_cast<off_t>(done));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            err = errno;
            return false;
        }
        if (n == 0) {
            err = 0;
            return false;
        }
        done += static_cast<size_t>(n);
    }
    h.Version = b[0];
    h.Records = static_cast<uint32_t>(b[4]) | static_cast<uint32_t>(b[5]) << 8 |
                static_cast<uint32_t>(b[6]) << 16 | static_cast<uint32_t>(b[7]) << 24;
    h.HeaderLength = static_cast<uint16_t>(b[8] | b[9] << 8);
    h.RecordLength = static_cast<uint16_t>(b[10] | b[11] << 8);
    return true;
}

SAHooks DbfHooks() {
    SAHooks h;
    SASetupDefaultHooks(&h);
    h.FOpen = HookOpen;
    h.FRead = HookRead;
    h.FWrite = HookWrite;
    h.FSeek = HookSeek;
    h.FTell = HookTell;
    h.FFlush = HookFlush;
    h.FClose = HookClose;
    h.Remove = HookRemove;
    h.Error = HookError;
    return h;
}

void SetHookFile(TDbfFile* file) {
    g_hookFile = file;
}

int OpenLocked(const std::string& path, bool& created, int& err) {
    created = false;
    int fd = open(path.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0 && errno == ENOENT) {
        fd = open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0)
            created = true;
        else if (errno == EEXIST)
            fd = open(path.c_str(), O_RDWR | O_CLOEXEC);
    }
    if (fd < 0) {
        err = errno;
        return -1;
    }
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        err = errno;
        close(fd);
        return -1;
    }
    return fd;
}

bool CutBackTo(TDbfFile& file, uint64_t end) {
    if (ftruncate(file.Fd, static_cast<off_t>(end)) != 0) return false;
    // The mark is a courtesy to old readers: a table without it is still whole.
    const char eof = 0x1A;
    ssize_t n;
    do n = pwrite(file.Fd, &eof, 1, static_cast<off_t>(end));
    while (n < 0 && errno == EINTR);
    return true;
}

} // namespace kvarlen
