// The file under a history table: one descriptor, locked against other writers for as long as
// the table is open, read and written without buffering so that a failed write is seen at once
// with its own errno. shapelib reaches it through its I/O hooks.
#pragma once

#include <shapefil.h>

#include <cstdint>
#include <string>

namespace kvarlen {

struct TDbfFile {
    int Fd = -1;
    uint64_t Pos = 0;
    // Set by the first write that fails; every later write is refused, so that a header is
    // never written after a record that did not reach the disk.
    bool Failed = false;
    int Errno = 0;
};

// The fixed 32 bytes at the start of a dBase table.
struct TDbfHeader {
    uint8_t Version = 0;
    uint32_t Records = 0;
    uint16_t HeaderLength = 0;
    uint16_t RecordLength = 0;
};

// Reads the header at offset 0; false with errno (0 for a file shorter than a header).
bool ReadDbfHeader(int fd, TDbfHeader& header, int& err);

// Where the records of a table end when the header is right.
inline uint64_t DbfDataEnd(const TDbfHeader& h) {
    return h.HeaderLength + static_cast<uint64_t>(h.Records) * h.RecordLength;
}

// shapelib's hooks on `file`: any .dbf name it opens is this file, every other name (a .cpg
// beside it) does not exist. Set the file on the calling thread around DBFOpenLL and
// DBFCreateLL; closing through shapelib leaves the descriptor open.
SAHooks DbfHooks();
void SetHookFile(TDbfFile* file);

// Opens (creating when missing) and takes an exclusive lock without waiting. Returns the
// descriptor, or -1 with err (EWOULDBLOCK: another process holds the lock). `created` tells
// whether the file was made here.
int OpenLocked(const std::string& path, bool& created, int& err);

// Cuts the file back to `end` and puts the end-of-file mark after it when it can; false (with
// errno) when the file could not be cut.
bool CutBackTo(TDbfFile& file, uint64_t end);

} // namespace kvarlen
