// A thin C++ layer over the SQLite library: a connection, prepared statements and errors that
// carry SQLite's message.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

struct sqlite3;
struct sqlite3_stmt;

namespace kvarlen::training {

class TSqliteError : public std::runtime_error {
  public:
    TSqliteError(const std::string& what, int code) : std::runtime_error(what), Code(code) {}
    int Code; // SQLite's primary result code
};

class TStatement;

class TDatabase {
  public:
    TDatabase() = default;
    // Opens (create: or creates) the file; throws TSqliteError.
    TDatabase(const std::string& path, bool create, int busyTimeoutMs);
    TDatabase(TDatabase&& other) noexcept;
    TDatabase& operator=(TDatabase&& other) noexcept;
    TDatabase(const TDatabase&) = delete;
    TDatabase& operator=(const TDatabase&) = delete;
    ~TDatabase();

    bool IsOpen() const { return db_ != nullptr; }
    // Runs one or more statements without results.
    void Exec(const std::string& sql);
    // The first column of the first row as an integer (0 without a row).
    int64_t QueryInt(const std::string& sql);
    int64_t LastInsertId() const;
    sqlite3* Handle() const { return db_; }
    void Close();

  private:
    friend class TStatement;
    [[noreturn]] void Fail(const std::string& what, int code) const;
    sqlite3* db_ = nullptr;
};

class TStatement {
  public:
    TStatement(TDatabase& db, const std::string& sql);
    TStatement(const TStatement&) = delete;
    TStatement& operator=(const TStatement&) = delete;
    ~TStatement();

    // Parameters count from 1.
    TStatement& Bind(int i, int64_t v);
    TStatement& Bind(int i, int v) { return Bind(i, static_cast<int64_t>(v)); }
    TStatement& Bind(int i, double v);
    TStatement& Bind(int i, const std::string& v);
    TStatement& BindNull(int i);
    // True while there is a row; false when done.
    bool Step();
    // Step for a statement without rows.
    void Run();
    void Reset();

    // Columns count from 0.
    int64_t Int(int i) const;
    double Double(int i) const;
    std::string Text(int i) const;
    bool IsNull(int i) const;

  private:
    TDatabase& db_;
    sqlite3_stmt* stmt_ = nullptr;
};

} // namespace kvarlen::training
