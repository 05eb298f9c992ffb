#pragma once

#include "catalogue/DatabaseError.h"
#include "catalogue/Sqlite.h"

#include <string>
#include <string_view>

// The connection on which the lists, the information windows and quiravel-cli read a catalogue.
//
// Open brings an older catalogue to the current version on a writable connection of its own,
// then reads through a connection opened read-only with queries only, so that no statement run on
// it (the user's own SQL included) can change the file. Every failure throws EDatabaseError with
// a translated message.
//
// Thread safety: the connection is opened with SQLITE_OPEN_FULLMUTEX, so after Open several threads
// may Prepare and Step on it at the same time; each failure's message is read under the
// connection's mutex, so it belongs to that failure. A statement belongs to one thread at a time.
// Open, OpenReader and Close belong to one thread while no other uses the connection. Threads that
// share one connection take turns: a long first step (a sort) holds the others for its length, so
// a thread that must not wait reads through a connection of its own (OpenReader).
class TCatalogueConnection {
public:
    TCatalogueConnection() = default;
    TCatalogueConnection(const TCatalogueConnection&) = delete;
    TCatalogueConnection& operator=(const TCatalogueConnection&) = delete;

    // Closes any earlier catalogue first, whose statements must all be finalized. No file at path:
    // "File not found", and nothing is created.
    void Open(const std::string& path);
    // Closes any earlier catalogue first, then opens another read-only, queries-only connection to
    // the catalogue that source has open, without bringing it to the current version again.
    void OpenReader(const TCatalogueConnection& source);
    // False (and the connection kept) while statements are still unfinalized.
    bool Close();
    bool IsOpen() const { return Db.IsOpen(); }
    // The path given to Open; empty while closed.
    const std::string& Path() const { return FilePath; }

    // Prepares the first statement of sql.
    TSqlStatement Prepare(std::string_view sql);
    // True when the statement delivered a row, false when it has finished.
    bool Step(TSqlStatement& statement);

private:
    // Drops the connection (SQLite closes it once its last statement is finalized).
    void Forget();
    void OpenReading(const std::string& file);

    TSqlConnection Db;
    std::string FilePath;
    // The absolute path the connection was opened with, so that a reader finds the same file.
    std::string AbsolutePath;
};

// The statement's column named name (ASCII letters matched case-blind), or -1.
int ColumnIndex(const TSqlStatement& statement, const char* name);
