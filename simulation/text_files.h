// The run's text files: Windows-1251 with CR LF line ends, named by the date.
#pragma once

#include <string>
#include <vector>

namespace kvarlen {

// UTF-8 to Windows-1251; a character the code page lacks becomes '?'.
std::string ToCp1251(const std::string& utf8);
// Windows-1251 to UTF-8 (for reading the files back).
std::string FromCp1251(const std::string& cp1251);

// Today's date as "yyyymmdd".
std::string DateStamp();
// <dir>/out/out<date>.txt and <dir>/out/out_bank_<date>.txt.
std::string ReportFilePath(const std::string& dir, const std::string& date);
std::string BankFilePath(const std::string& dir, const std::string& date);

// The standard file-creation error text.
std::string CannotCreateText(const std::string& path, int err);

// Writes every line in Windows-1251 followed by CR LF, replacing the file. On failure returns
// false with the error text and leaves no partial file behind.
bool WriteTextFile(const std::string& path, const std::vector<std::string>& lines,
                   std::string& error);

} // namespace kvarlen
