// Our thin DBF layer over shapelib: the five operations the history needs. A handle has its own
// record buffer; opening a table that is already open in this process gives another handle on
// the same table, so several deal streams can append to one history (each record whole).
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

// Opens the table at path for appending, creating the folder and the table (code page 1251)
// when missing. An existing table must have the given fields. Returns a handle > 0, or 0 with
// the reason in error.
int OpenBase(const std::string& path, const std::vector<TDbfField>& fields, std::string& error);
// Empties the handle's record buffer.
void ClearRecord(int handle);
// A text field takes `text` (UTF-8, stored in 1251) and number 0; a numeric field takes the
// text "#" and `number`. False for an unknown handle or field.
bool SetValue(int handle, int field, const char* text, double number);
// Appends one record holding the values set since the last ClearRecord. False when a value did
// not fit or the file could not be written (error then says why). The header on disk is
// brought up to date at least every 1000 records.
bool AppendBlank(int handle, int flags, std::string* error = nullptr);
// Closes the handle; the table itself is closed (header written) with its last handle.
bool CloseBase(int handle);

// Records between two header updates.
constexpr int kDbfHeaderEvery = 1000;

} // namespace kvarlen
