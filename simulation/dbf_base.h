// Our thin DBF layer over shapelib: the five operations the history needs. A handle has its own
// record buffer; opening a table that is already open in this process gives another handle on
// the same table, so several deal streams can append to one history (each record whole).
//
// While a table is open here it is locked against every other process. Its header is brought up
// to date after every record, and a record that cannot be written is cut off again: the header
// always counts exactly the complete records, and a crash or a kill loses at most the record
// being written.
//
// Numbers are written by the C library: LC_NUMERIC must be "C" (OpenBase refuses otherwise).
#pragma once

#include <string>
#include <vector>

namespace kvarlen {

struct TDbfField {
    std::string Name; // at most 10 characters
    char Type = 'C';  // 'C' text, 'N' number
    int Width = 1;
    int Decimals = 0;
};

// What OpenBase has to say besides the handle.
struct TDbfOpenInfo {
    // The refusal came from the file system (a folder or file that cannot be made or written, a
    // table another process has open), not from the name or the content of the table.
    bool FileError = false;
    // Set when the table was repaired on opening (a torn last record cut off).
    std::string Notice;
};

// Opens the table at path for appending, creating the folder and the table (code page 1251)
// when missing. An existing table must have the given fields and a header that agrees with the
// file's size; only a torn last record, left by a run that was killed, is cut off (saying so in
// info->Notice). Returns a handle > 0, or 0 with the reason in error.
int OpenBase(const std::string& path, const std::vector<TDbfField>& fields, std::string& error,
             TDbfOpenInfo* info = nullptr);
// Empties the handle's record buffer.
void ClearRecord(int handle);
// A text field takes `text` (UTF-8, stored in 1251) and number 0; a numeric field takes the
// text "#" and `number`. False for an unknown handle or field.
bool SetValue(int handle, int field, const char* text, double number);
// Appends one record holding the values set since the last ClearRecord and brings the header on
// disk up to date. False when a value did not fit (the record is still added) or the file could
// not be written (the record is not added, and every later append fails too). error then says
// why; it is left empty when the same write failure was already told through another handle.
bool AppendBlank(int handle, int flags, std::string* error = nullptr);
// Closes the handle; the table itself is closed (header written, file synced, lock released)
// with its last handle. False for an unknown handle or when closing failed (error says why).
bool CloseBase(int handle, std::string* error = nullptr);

} // namespace kvarlen
