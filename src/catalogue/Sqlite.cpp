#include "catalogue/Sqlite.h"

bool TSqlConnection::Open(const std::string& path, int flags) {
    Db.reset();
    Error.clear();
    sqlite3* raw = nullptr;
    const int rc = sqlite3_open_v2(path.c_str(), &raw, flags, nullptr);
    // Owned before the result is looked at: a failed open may still hand back a handle.
    TSqliteHandle handle(raw);
    if (rc != SQLITE_OK) {
        Error = raw ? sqlite3_errmsg(raw) : sqlite3_errstr(rc);
        return false;
    }
    sqlite3_extended_result_codes(raw, 1);
    Db = std::move(handle);
    return true;
}

bool TSqlConnection::Close() {
    if (!Db)
        return true;
    const int rc = sqlite3_close(Db.get());
    if (rc != SQLITE_OK) {
        NoteError();
        return false;
    }
    (void)Db.release();
    return true;
}

bool TSqlConnection::Exec(const char* sql) {
    if (!Db) {
        Error = "not open";
        return false;
    }
    TSqlMutexLock lock(Db.get());
    char* message = nullptr;
    const int rc = sqlite3_exec(Db.get(), sql, nullptr, nullptr, &message);
    if (rc != SQLITE_OK)
        Error = message ? message : sqlite3_errstr(rc);
    sqlite3_free(message);
    return rc == SQLITE_OK;
}

std::string TSqlConnection::LastError() const {
    TSqlMutexLock lock(Db.get());
    return Error;
}

void TSqlConnection::NoteError() {
    TSqlMutexLock lock(Db.get());
    Error = Db ? sqlite3_errmsg(Db.get()) : "not open";
}

void TSqlConnection::NoteError(std::string message) {
    TSqlMutexLock lock(Db.get());
    Error = std::move(message);
}

bool TSqlStatement::Prepare(TSqlConnection& db, std::string_view sql) {
    Stmt.reset();
    Db = &db;
    if (!db.IsOpen()) {
        db.NoteError("not open");
        return false;
    }
    TSqlMutexLock lock(db.Handle());
    sqlite3_stmt* raw = nullptr;
    const int rc = sqlite3_prepare_v2(db.Handle(), sql.data(), static_cast<int>(sql.size()), &raw, nullptr);
    Stmt.reset(raw);
    if (rc != SQLITE_OK || !raw) {
        db.NoteError(rc != SQLITE_OK ? sqlite3_errmsg(db.Handle()) : "empty statement");
        Stmt.reset();
        return false;
    }
    return true;
}

bool TSqlStatement::Finalize() {
    if (!Stmt)
        return true;
    return sqlite3_finalize(Stmt.release()) == SQLITE_OK;
}

void TSqlStatement::BindText(int index, std::string_view text) {
    sqlite3_bind_text(Stmt.get(), index, text.data(), static_cast<int>(text.size()), SQLITE_STATIC);
}

void TSqlStatement::BindText16(int index, const char16_t* text, size_t units) {
    sqlite3_bind_text16(Stmt.get(), index, text, static_cast<int>(units * 2), SQLITE_STATIC);
}

void TSqlStatement::BindInt(int index, int32_t value) {
    sqlite3_bind_int(Stmt.get(), index, value);
}

void TSqlStatement::BindInt64(int index, int64_t value) {
    sqlite3_bind_int64(Stmt.get(), index, value);
}

void TSqlStatement::BindNull(int index) {
    sqlite3_bind_null(Stmt.get(), index);
}

int TSqlStatement::Step() {
    if (!Stmt)
        return SQLITE_MISUSE;
    TSqlMutexLock lock(Db->Handle());
    const int rc = sqlite3_step(Stmt.get());
    if (rc != SQLITE_ROW && rc != SQLITE_DONE)
        Db->NoteError();
    return rc;
}

bool TSqlStatement::Run() {
    const bool done = Step() == SQLITE_DONE;
    Reset();
    return done;
}

void TSqlStatement::Reset() {
    sqlite3_reset(Stmt.get());
}

std::string TSqlStatement::ColumnText(int column) const {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(Stmt.get(), column));
    return text ? std::string(text, static_cast<size_t>(sqlite3_column_bytes(Stmt.get(), column)))
                : std::string();
}

std::string TSqlStatement::ColumnName(int column) const {
    const char* name = sqlite3_column_name(Stmt.get(), column);
    return name ? name : "";
}

bool TSqlTransaction::Begin(TSqlConnection& db, const char* beginSql) {
    Rollback();
    if (!db.Exec(beginSql))
        return false;
    Db = &db;
    return true;
}

bool TSqlTransaction::Commit() {
    if (!Db)
        return false;
    if (!Db->Exec("COMMIT;"))
        return false;
    Db = nullptr;
    return true;
}

void TSqlTransaction::Rollback() noexcept {
    if (!Db)
        return;
    // After some failures SQLite has already rolled back by itself; a second ROLLBACK would fail.
    if (Db->InTransaction())
        sqlite3_exec(Db->Handle(), "ROLLBACK;", nullptr, nullptr, nullptr);
    Db = nullptr;
}
