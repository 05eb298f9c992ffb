#pragma once

#include "catalogue/Sqlite.h"
#include "catalogue/TextConvert.h"
#include "readers/TabInfo.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

constexpr int CatalogueVersion = 3;

// The CREATE TABLE statements of the current schema, in the order they are run.
extern const char* const CreateTablaturesSql;
extern const char* const CreateDirectoriesSql;
extern const char* const CreateErrorsSql;
extern const char* const CreateDbInfoSql;

// One failure gathered by a scan: the file (or the catalogue, for a failure of the whole scan) and
// the message. Kept apart rather than joined with "|", since a Linux file name may contain "|".
struct TScanError {
    std::string FileName;
    std::string Message;
};

// The SQLite library is linked with the program, so it is always there.
inline bool LoadSQLite() {
    return true;
}
inline void UnloadSQLite() {}

// Every write to a catalogue file. Operations answer with booleans only; LastError() keeps
// SQLite's message of the last failure for logs and tests.
//
// Atomicity: ClearCatalogue, WriteDirectories and BeginTablatures join one write transaction,
// which EndTablatures commits after the indexes are rebuilt. Until that commit the file keeps the
// previous catalogue whole (rows, indexes and folder list), whatever happens to the process;
// closing or destroying the store before EndTablatures rolls the transaction back.
//
// Thread safety: none; one thread uses a store at a time.
class TCatalogueStore {
public:
    // codePage: the legacy code page of teAnsi texts as iconv names it; "" follows the interface
    // language.
    explicit TCatalogueStore(const std::string& codePage = "");
    ~TCatalogueStore();
    TCatalogueStore(const TCatalogueStore&) = delete;
    TCatalogueStore& operator=(const TCatalogueStore&) = delete;

    // Opens an existing catalogue; false when the file is not a current catalogue (not a
    // database, or without the tables and columns a scan writes).
    bool OpenCatalogue(const std::string& path);
    // Opens or creates the file and creates the four tables; false when any of them exists.
    bool CreateCatalogue(const std::string& path);
    bool ClearCatalogue();
    bool WriteDirectories(const std::vector<std::string>& dirs);
    bool BeginTablatures();
    bool AddTablature(const TabInfo& info);
    bool EndTablatures();
    bool WriteErrors(const std::vector<TScanError>& errors);
    bool WriteInfo(int64_t elapsedMs, int errorCount);
    bool CloseCatalogue();

    std::string LastError() const { return Db.LastError(); }

private:
    bool OpenFile(const std::string& path, int flags);
    bool IsCurrentCatalogue();
    bool JoinWriteTransaction();
    bool RunAll(const char* const* statements, size_t count, bool stopAtFailure);
    void BindAnsiField(int index, const char* field, std::string& buffer);
    void BindUtf8Field(int index, const char* field, std::string& buffer);
    void BindUtf16Field(int index, const char* field, std::string& buffer);

    TSqlConnection Db;
    TSqlStatement Insert;
    TSqlTransaction Writing;
    TAnsiDecoder Ansi;
    // Converted texts of the row being inserted; bound without copies, reused from row to row.
    std::string Texts[5];
    char FileDateText[24];
};

// "yyyy-mm-dd hh:nn" of a packed DOS date and time; false when it is no valid date.
bool FormatDosDateTime(uint32_t packed, char (&text)[24]);
// Packs a local time into the DOS form; 0 (which is no valid date) outside 1980 to 2107.
uint32_t PackDosDateTime(int64_t unixSeconds);
