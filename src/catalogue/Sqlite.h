#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

// A thin RAII layer over the SQLite C interface, shared by the catalogue store and the lists.
//
// Thread safety: a TSqlConnection opened with SQLITE_OPEN_FULLMUTEX may be used from several
// threads; each failing call reads its message under the connection's mutex, so LastError()
// belongs to the last failure of any thread. A TSqlStatement or TSqlTransaction belongs to one
// thread at a time.

struct TSqliteCloser {
    void operator()(sqlite3* db) const noexcept { sqlite3_close_v2(db); }
};
struct TSqliteFinalizer {
    void operator()(sqlite3_stmt* stmt) const noexcept { sqlite3_finalize(stmt); }
};
using TSqliteHandle = std::unique_ptr<sqlite3, TSqliteCloser>;
using TSqliteStatementHandle = std::unique_ptr<sqlite3_stmt, TSqliteFinalizer>;

// Holds a connection's mutex for a scope (nothing for a null handle). The mutex is recursive, so
// a holder may call into TSqlConnection, whose calls take it again.
class TSqlMutexLock {
public:
    explicit TSqlMutexLock(sqlite3* db) : Mutex(db ? sqlite3_db_mutex(db) : nullptr) {
        sqlite3_mutex_enter(Mutex);
    }
    ~TSqlMutexLock() { sqlite3_mutex_leave(Mutex); }
    TSqlMutexLock(const TSqlMutexLock&) = delete;
    TSqlMutexLock& operator=(const TSqlMutexLock&) = delete;

private:
    sqlite3_mutex* Mutex;
};

class TSqlConnection {
public:
    TSqlConnection() = default;
    TSqlConnection(TSqlConnection&&) = default;
    TSqlConnection& operator=(TSqlConnection&&) = default;

    // Opens path (UTF-8) with sqlite3_open_v2 flags; any earlier connection is closed first.
    bool Open(const std::string& path, int flags);
    // Closes the connection; false (and the connection kept) while statements are still unfinalized.
    bool Close();
    bool IsOpen() const { return Db != nullptr; }
    sqlite3* Handle() const { return Db.get(); }

    // Runs statements without parameters or rows.
    bool Exec(const char* sql);
    // True when the connection is inside an explicit transaction.
    bool InTransaction() const { return Db && !sqlite3_get_autocommit(Db.get()); }
    // A copy, taken under the connection's mutex: another thread's failure may replace the message.
    std::string LastError() const;
    // Records the message of the call that just failed on this connection.
    void NoteError();
    void NoteError(std::string message);

private:
    TSqliteHandle Db;
    std::string Error;
};

// One prepared statement. Bound texts and blobs are not copied: the caller keeps them alive until
// the next Step and Reset are done.
class TSqlStatement {
public:
    TSqlStatement() = default;
    TSqlStatement(TSqlStatement&&) = default;
    TSqlStatement& operator=(TSqlStatement&&) = default;

    bool Prepare(TSqlConnection& db, std::string_view sql);
    // Releases the statement; false when its last step had failed.
    bool Finalize();
    bool IsPrepared() const { return Stmt != nullptr; }
    sqlite3_stmt* Handle() const { return Stmt.get(); }

    void BindText(int index, std::string_view text);
    void BindText16(int index, const char16_t* text, size_t units);
    void BindInt(int index, int32_t value);
    void BindInt64(int index, int64_t value);
    void BindNull(int index);

    // SQLITE_ROW, SQLITE_DONE or an error code; an error is noted on the connection.
    int Step();
    // Steps once and resets; true when the statement ran to SQLITE_DONE.
    bool Run();
    void Reset();

    int ColumnCount() const { return sqlite3_column_count(Stmt.get()); }
    int ColumnType(int column) const { return sqlite3_column_type(Stmt.get(), column); }
    bool ColumnIsNull(int column) const { return ColumnType(column) == SQLITE_NULL; }
    std::string ColumnText(int column) const;
    int64_t ColumnInt64(int column) const { return sqlite3_column_int64(Stmt.get(), column); }
    std::string ColumnName(int column) const;

private:
    TSqliteStatementHandle Stmt;
    TSqlConnection* Db = nullptr;
};

// BEGIN on construction when Begin succeeds; rolled back on destruction unless committed.
class TSqlTransaction {
public:
    TSqlTransaction() = default;
    ~TSqlTransaction() { Rollback(); }
    TSqlTransaction(const TSqlTransaction&) = delete;
    TSqlTransaction& operator=(const TSqlTransaction&) = delete;

    // "BEGIN IMMEDIATE" takes the write lock at once, so a busy file fails here and not mid-way.
    bool Begin(TSqlConnection& db, const char* beginSql = "BEGIN IMMEDIATE;");
    bool Active() const { return Db != nullptr; }
    // Ends the transaction with COMMIT; false when the commit failed (the transaction is then
    // rolled back by the destructor or a later Rollback).
    bool Commit();
    void Rollback() noexcept;

private:
    TSqlConnection* Db = nullptr;
};
