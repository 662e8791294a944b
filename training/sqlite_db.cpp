#include "training/sqlite_db.h"

#include <sqlite3.h>

#include <utility>

namespace kvarlen::training {

TDatabase::TDatabase(const std::string& path, bool create, int busyTimeoutMs) {
    const int flags =
        SQLITE_OPEN_READWRITE | (create ? SQLITE_OPEN_CREATE : 0) | SQLITE_OPEN_NOMUTEX;
    const int rc = sqlite3_open_v2(path.c_str(), &db_, flags, nullptr);
    if (rc != SQLITE_OK) {
        const std::string msg = db_ ? sqlite3_errmsg(db_) : sqlite3_errstr(rc);
        sqlite3_close(db_);
        db_ = nullptr;
        throw TSqliteError(msg, rc & 0xff);
    }
    sqlite3_extended_result_codes(db_, 0);
    sqlite3_busy_timeout(db_, busyTimeoutMs);
}

TDatabase::TDatabase(TDatabase&& other) noexcept : db_(std::exchange(other.db_, nullptr)) {}

TDatabase& TDatabase::operator=(TDatabase&& other) noexcept {
    if (this != &other) {
        Close();
        db_ = std::exchange(other.db_, nullptr);
    }
    return *this;
}

TDatabase::~TDatabase() {
    Close();
}

void TDatabase::Close() {
    if (db_) sqlite3_close_v2(db_);
    db_ = nullptr;
}

void TDatabase::Fail(const std::string& what, int code) const {
    throw TSqliteError(what + ": " + (db_ ? sqlite3_errmsg(db_) : sqlite3_errstr(code)),
                       code & 0xff);
}

void TDatabase::Exec(const std::string& sql) {
    char* err = nullptr;
    const int rc = sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &err);
    if (rc != SQLITE_OK) {
        const std::string msg = err ? err : sqlite3_errstr(rc);
        sqlite3_free(err);
        throw TSqliteError(msg, rc & 0xff);
    }
}

int64_t TDatabase::QueryInt(const std::string& sql) {
    TStatement st(*this, sql);
    return st.Step() ? st.Int(0) : 0;
}

int64_t TDatabase::LastInsertId() const {
    return sqlite3_last_insert_rowid(db_);
}

TStatement::TStatement(TDatabase& db, const std::string& sql) : db_(db) {
    const int rc = sqlite3_prepare_v2(db.db_, sql.c_str(), -1, &stmt_, nullptr);
    if (rc != SQLITE_OK) db.Fail("cannot prepare a statement", rc);
}

TStatement::~TStatement() {
    sqlite3_finalize(stmt_);
}

TStatement& TStatement::Bind(int i, int64_t v) {
    const int rc = sqlite3_bind_int64(stmt_, i, v);
    if (rc != SQLITE_OK) db_.Fail("cannot bind a value", rc);
    return *this;
}

TStatement& TStatement::Bind(int i, double v) {
    const int rc = sqlite3_bind_double(stmt_, i, v);
    if (rc != SQLITE_OK) db_.Fail("cannot bind a value", rc);
    return *this;
}

TStatement& TStatement::Bind(int i, const std::string& v) {
    const int rc =
        sqlite3_bind_text(stmt_, i, v.data(), static_cast<int>(v.size()), SQLITE_TRANSIENT);
    if (rc != SQLITE_OK) db_.Fail("cannot bind a value", rc);
    return *this;
}

TStatement& TStatement::BindNull(int i) {
    const int rc = sqlite3_bind_null(stmt_, i);
    if (rc != SQLITE_OK) db_.Fail("cannot bind a value", rc);
    return *this;
}

bool TStatement::Step() {
    const int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW) return true;
    if (rc == SQLITE_DONE) return false;
    db_.Fail("statement failed", rc);
}

void TStatement::Run() {
    while (Step()) {
    }
    Reset();
}

void TStatement::Reset() {
    sqlite3_reset(stmt_);
    sqlite3_clear_bindings(stmt_);
}

int64_t TStatement::Int(int i) const {
    return sqlite3_column_int64(stmt_, i);
}

double TStatement::Double(int i) const {
    return sqlite3_column_double(stmt_, i);
}

std::string TStatement::Text(int i) const {
    const unsigned char* t = sqlite3_column_text(stmt_, i);
    return t ? std::string(reinterpret_cast<const char*>(t),
                           static_cast<size_t>(sqlite3_column_bytes(stmt_, i)))
             : std::string();
}

bool TStatement::IsNull(int i) const {
    return sqlite3_column_type(stmt_, i) == SQLITE_NULL;
}

} // namespace kvarlen::training
