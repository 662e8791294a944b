// The run's text files: Windows-1251 with CR LF line ends, named by the date.
#pragma once

#include <cstdio>
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

// A file written under a temporary name in its own folder and moved over the real name only when
// every byte has reached the disk: a failure leaves the old file as it was (or none) and no
// partial one. Messages name the real file and the error of the call that failed.
class TFileWriter {
  public:
    explicit TFileWriter(std::string path);
    ~TFileWriter(); // removes the temporary file when not committed
    TFileWriter(const TFileWriter&) = delete;
    TFileWriter& operator=(const TFileWriter&) = delete;

    bool Open(std::string& error);
    // False from the first failed write on; Commit then tells why.
    bool Write(const std::string& bytes);
    bool Commit(std::string& error);

  private:
    void Fail(int err);
    std::string path_;
    std::string temp_;
    std::FILE* file_ = nullptr;
    int error_ = 0;
};

// The text of a write that failed; the file itself was left as it was.
std::string CannotWriteText(const std::string& path, int err);

// Writes every line in Windows-1251 followed by CR LF, replacing the file. On failure returns
// false with the error text and leaves no partial file behind.
bool WriteTextFile(const std::string& path, const std::vector<std::string>& lines,
                   std::string& error);
// The same after what the file already holds (its bytes as they are): the day's report file
// keeps every report, whatever happened to the memo in between. A file that cannot be read is
// left as it was.
bool AppendTextFile(const std::string& path, const std::vector<std::string>& lines,
                    std::string& error);

// Where a file named by the user is written: through a symbolic link to its target.
std::string WriteTarget(const std::string& path);
// True for a name that exists and is no regular file (a device, a pipe): written in place, it
// cannot be replaced by renaming.
bool IsSpecialFile(const std::string& path);

// True when the two names are one file: the same device and inode when both exist, otherwise
// the same canonical folder and name (so "./a", "d/../a" and links are seen through).
bool SameFile(const std::string& a, const std::string& b);

} // namespace kvarlen
