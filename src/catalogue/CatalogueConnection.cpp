#include "catalogue/CatalogueConnection.h"

#include "catalogue/CatalogueVersion.h"
#include "settings/Translate.h"

#include <algorithm>
#include <filesystem>
#include <thread>

namespace {

void OpenOrThrow(TSqlConnection& db, const std::string& file, int flags) {
    if (!db.Open(file, flags))
        ThrowDatabaseError(db.LastError());
}

unsigned SortThreads() {
    return std::clamp(std::thread::hardware_concurrency(), 1u, 4u);
}

} // namespace

void TCatalogueConnection::Open(const std::string& path) {
    Forget();
    std::error_code ec;
    if (std::filesystem::status(path, ec).type() == std::filesystem::file_type::not_found)
        throw EDatabaseError(Tr("File not found"));
    // An absolute path, so that a name beginning with "file:" is never taken for a URI.
    const std::string file = std::filesystem::absolute(path, ec).string();
    {
        // Without SQLITE_OPEN_CREATE: a file removed meanwhile is not created.
        TSqlConnection upgrading;
        OpenOrThrow(upgrading, file, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX);
        CheckCatalogueVersion(upgrading);
    }
    OpenReading(file);
    FilePath = path;
}

void TCatalogueConnection::OpenReader(const TCatalogueConnection& source) {
    Forget();
    if (!source.IsOpen())
        throw EDatabaseError(Tr("Database not loaded"));
    OpenReading(source.AbsolutePath);
    FilePath = source.FilePath;
}

void TCatalogueConnection::Forget() {
    Db = TSqlConnection();
    FilePath.clear();
    AbsolutePath.clear();
}

void TCatalogueConnection::OpenReading(const std::string& file) {
    TSqlConnection reading;
    OpenOrThrow(reading, file, SQLITE_OPEN_READONLY | SQLITE_OPEN_FULLMUTEX);
    // Read-only already; queries-only also refuses temporary tables.
    if (!reading.Exec("PRAGMA query_only = ON;"))
        ThrowDatabaseError(reading.LastError());
    // Large sorts (the default title order of every tablature) spread over the cores; only a
    // speed setting, so its failure is of no concern.
    reading.Exec(("PRAGMA threads = " + std::to_string(SortThreads()) + ";").c_str());
    Db = std::move(reading);
    AbsolutePath = file;
}

bool TCatalogueConnection::Close() {
    if (!Db.Close())
        return false;
    FilePath.clear();
    AbsolutePath.clear();
    return true;
}

TSqlStatement TCatalogueConnection::Prepare(std::string_view sql) {
    if (!Db.IsOpen())
        throw EDatabaseError(Tr("Database not loaded"));
    TSqlStatement statement;
    std::string message;
    {
        TSqlMutexLock lock(Db.Handle());
        if (statement.Prepare(Db, sql))
            return statement;
        message = Db.LastError();
    }
    ThrowDatabaseError(message);
}

bool TCatalogueConnection::Step(TSqlStatement& statement) {
    if (!Db.IsOpen())
        throw EDatabaseError(Tr("Database not loaded"));
    std::string message;
    {
        TSqlMutexLock lock(Db.Handle());
        const int rc = statement.Step();
        if (rc == SQLITE_ROW || rc == SQLITE_DONE)
            return rc == SQLITE_ROW;
        message = statement.IsPrepared() ? Db.LastError() : sqlite3_errstr(rc);
    }
    ThrowDatabaseError(message);
}

int ColumnIndex(const TSqlStatement& statement, const char* name) {
    for (int c = 0; c < statement.ColumnCount(); ++c)
        if (sqlite3_stricmp(statement.ColumnName(c).c_str(), name) == 0)
            return c;
    return -1;
}
