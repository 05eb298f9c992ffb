#include "catalogue/CatalogueStore.h"

#include <QDateTime>
#include <QLocale>

#include <cstring>
#include <ctime>

const char* const CreateTablaturesSql =
    "CREATE TABLE tablatures (id INTEGER PRIMARY KEY, title VARCHAR(100), artist VARCHAR(100), "
    "album VARCHAR(100), year INTEGER, words VARCHAR(100), music VARCHAR(100), filename VARCHAR(270), "
    "filesize INTEGER, filedate VARCHAR(20));";
const char* const CreateDirectoriesSql =
    "CREATE TABLE directories (id INTEGER PRIMARY KEY, directory VARCHAR(270));";
const char* const CreateErrorsSql =
    "CREATE TABLE errors (id INTEGER PRIMARY KEY, filename VARCHAR(270), error VARCHAR(100));";
const char* const CreateDbInfoSql = "CREATE TABLE dbinfo (iKey TEXT, iValue TEXT);";

namespace {

const char InsertTablatureSql[] =
    "INSERT INTO tablatures(title, artist, album, year, words, music, filename, "
    "filesize, filedate) VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9);";

// Every column a scan writes; preparing these fails on a file that is not a database, and on a
// catalogue of an older schema, which a scan must not overwrite with a version it does not have.
const char* const CurrentSchemaProbes[] = {
    "SELECT id, title, artist, album, year, words, music, filename, filesize, filedate FROM tablatures LIMIT "
    "0;",
    "SELECT id, directory FROM directories LIMIT 0;",
    "SELECT id, filename, error FROM errors LIMIT 0;",
    "SELECT iKey, iValue FROM dbinfo LIMIT 0;",
};

// A busy file (a reader finishing a query) is waited for this long before a write gives up.
constexpr int BusyTimeoutMs = 5000;

std::string_view FieldText(const char* field, size_t capacity) {
    return std::string_view(field, strnlen(field, capacity));
}

// Binds text as UTF-8, converting through tmp only when it is not valid UTF-8 already.
std::string_view AsUtf8(std::string_view text, std::string& tmp) {
    if (IsValidUtf8(text))
        return text;
    tmp = ToValidUtf8(text);
    return tmp;
}

// The system's long time format without its time zone, which a Windows long time does not show.
QString LongTimeFormat() {
    const QString format = QLocale::system().timeFormat(QLocale::LongFormat);
    QString out;
    bool quoted = false;
    for (const QChar c : format) {
        if (c == u'\'')
            quoted = !quoted;
        if (quoted || c != u't')
            out += c;
    }
    return out.trimmed();
}

} // namespace

TCatalogueStore::TCatalogueStore(const std::string& codePage) : Ansi(codePage) {}

TCatalogueStore::~TCatalogueStore() {
    CloseCatalogue();
}

bool TCatalogueStore::OpenFile(const std::string& path, int flags) {
    CloseCatalogue();
    // Only the store's own thread uses this connection, so SQLite's per-call locking is skipped.
    if (!Db.Open(path, flags | SQLITE_OPEN_NOMUTEX))
        return false;
    sqlite3_busy_timeout(Db.Handle(), BusyTimeoutMs);
    // A larger page cache keeps a big rewrite from spilling (and syncing the journal) mid-way.
    Db.Exec("PRAGMA cache_size = -8192;");
    // The build may turn secure_delete on, which zeroes every page a rescan frees: the whole old
    // table written once more, with the journal synced each time the dirty pages spill. FAST still
    // clears freed cells inside the pages that are written anyway.
    Db.Exec("PRAGMA secure_delete = FAST;");
    return true;
}

bool TCatalogueStore::IsCurrentCatalogue() {
    for (const char* sql : CurrentSchemaProbes) {
        TSqlStatement probe;
        if (!probe.Prepare(Db, sql))
            return false;
    }
    return true;
}

bool TCatalogueStore::OpenCatalogue(const std::string& path) {
    if (!LoadSQLite() || !OpenFile(path, SQLITE_OPEN_READWRITE))
        return false;
    if (IsCurrentCatalogue())
        return true;
    CloseCatalogue();
    return false;
}

bool TCatalogueStore::CreateCatalogue(const std::string& path) {
    if (!LoadSQLite() || !OpenFile(path, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE))
        return false;
    // One transaction, so that a process that dies half-way leaves no partial schema behind.
    TSqlTransaction creating;
    if (!creating.Begin(Db))
        return false;
    const char* const tables[] = {CreateTablaturesSql, CreateDirectoriesSql, CreateErrorsSql,
                                  CreateDbInfoSql};
    return RunAll(tables, 4, true) && creating.Commit();
}

bool TCatalogueStore::RunAll(const char* const* statements, size_t count, bool stopAtFailure) {
    bool ok = true;
    for (size_t i = 0; i < count; ++i) {
        if (!Db.Exec(statements[i])) {
            ok = false;
            if (stopAtFailure)
                break;
        }
    }
    return ok;
}

bool TCatalogueStore::JoinWriteTransaction() {
    return Writing.Active() || Writing.Begin(Db);
}

// Emptying the table and dropping its indexes join the write transaction, so a scan that dies
// before EndTablatures leaves the previous rows and indexes in place.
bool TCatalogueStore::ClearCatalogue() {
    if (!JoinWriteTransaction())
        return false;
    const char* const clear[] = {"DROP INDEX IF EXISTS iartist;", "DROP INDEX IF EXISTS ialbum;",
                                 "DELETE FROM tablatures;"};
    return RunAll(clear, 3, true);
}

bool TCatalogueStore::WriteDirectories(const std::vector<std::string>& dirs) {
    if (!JoinWriteTransaction())
        return false;
    Db.Exec("DELETE FROM directories;");
    TSqlStatement insert;
    if (!insert.Prepare(Db, "INSERT INTO directories(directory) VALUES(?1);"))
        return false;
    std::string tmp;
    for (const std::string& dir : dirs) {
        insert.BindText(1, AsUtf8(dir, tmp));
        insert.Run();
    }
    insert.Finalize();
    return true;
}

bool TCatalogueStore::BeginTablatures() {
    return JoinWriteTransaction() && Insert.Prepare(Db, InsertTablatureSql);
}

void TCatalogueStore::BindAnsiField(int index, const char* field, std::string& buffer) {
    Ansi.Decode(TrimControls(FieldText(field, TabTextSize)), buffer);
    Insert.BindText(index, buffer);
}

void TCatalogueStore::BindUtf8Field(int index, const char* field, std::string& buffer) {
    Insert.BindText(index, AsUtf8(TrimControls(FieldText(field, TabTextSize)), buffer));
}

// The field holds little-endian units up to the first zero unit, or 256 units without one.
void TCatalogueStore::BindUtf16Field(int index, const char* field, std::string& buffer) {
    char16_t units[TabTextSize / 2];
    size_t count = 0;
    const auto* bytes = reinterpret_cast<const unsigned char*>(field);
    for (; count < TabTextSize / 2; ++count) {
        units[count] = static_cast<char16_t>(bytes[2 * count] | (bytes[2 * count + 1] << 8));
        if (units[count] == 0)
            break;
    }
    buffer.clear();
    AppendUtf16AsUtf8(TrimControls(std::u16string_view(units, count)), buffer);
    Insert.BindText(index, buffer);
}

bool TCatalogueStore::AddTablature(const TabInfo& info) {
    if (!Insert.IsPrepared())
        return false;
    const std::string_view fileName = FieldText(info.FileName, TabPathSize);
    // A name that is not UTF-8 would be stored as some other name.
    if (!IsValidUtf8(fileName))
        return false;
    const char* const fields[5] = {info.Title, info.Artist, info.Album, info.Words, info.Music};
    const int params[5] = {1, 2, 3, 5, 6};
    for (int i = 0; i < 5; ++i) {
        switch (info.Encoding) {
        case teAnsi:
            BindAnsiField(params[i], fields[i], Texts[i]);
            break;
        case teUtf8:
            BindUtf8Field(params[i], fields[i], Texts[i]);
            break;
        case teUtf16:
            BindUtf16Field(params[i], fields[i], Texts[i]);
            break;
        default:
            return false;
        }
    }
    info.Year != 0 ? Insert.BindInt(4, info.Year) : Insert.BindNull(4);
    Insert.BindText(7, fileName);
    Insert.BindInt(8, info.FileSize);
    FormatDosDateTime(info.FileDate, FileDateText) ? Insert.BindText(9, FileDateText) : Insert.BindNull(9);
    return Insert.Run();
}

// The indexes are rebuilt inside the transaction, so no committed state lacks them; when they
// cannot be built nothing is committed and the file keeps the previous catalogue.
bool TCatalogueStore::EndTablatures() {
    const bool released = Insert.Finalize();
    const char* const indexes[] = {"CREATE INDEX iartist ON tablatures(artist);",
                                   "CREATE INDEX ialbum ON tablatures(album);"};
    if (!RunAll(indexes, 2, false)) {
        Writing.Rollback();
        return false;
    }
    return Writing.Commit() && released;
}

bool TCatalogueStore::WriteErrors(const std::vector<TScanError>& errors) {
    TSqlTransaction writing;
    writing.Begin(Db);
    Db.Exec("DELETE FROM errors;");
    TSqlStatement insert;
    const bool prepared =
        errors.empty() || insert.Prepare(Db, "INSERT INTO errors(filename, error) VALUES(?1, ?2);");
    std::string tmpName, tmpMessage;
    for (size_t i = 0; prepared && i < errors.size(); ++i) {
        insert.BindText(1, AsUtf8(errors[i].FileName, tmpName));
        insert.BindText(2, AsUtf8(errors[i].Message, tmpMessage));
        insert.Run();
    }
    insert.Finalize();
    writing.Commit();
    return prepared;
}

// The five rows go in one transaction, so that no catalogue is left without its db_ver.
bool TCatalogueStore::WriteInfo(int64_t elapsedMs, int errorCount) {
    const QDateTime now = QDateTime::currentDateTime();
    const std::string date = QLocale::system().toString(now.date(), QLocale::ShortFormat).toStdString();
    const std::string time = QLocale::system().toString(now.time(), LongTimeFormat()).toStdString();
    TSqlTransaction writing;
    writing.Begin(Db);
    Db.Exec("DELETE FROM dbinfo;");
    TSqlStatement insert;
    insert.Prepare(Db, "INSERT INTO dbinfo(iKey, iValue) VALUES(?1, ?2);");
    const auto row = [&](const char* key, auto bindValue) {
        insert.BindText(1, key);
        bindValue();
        insert.Run();
    };
    row("upd_date", [&] { insert.BindText(2, date); });
    row("upd_time", [&] { insert.BindText(2, time); });
    row("upd_msec", [&] { insert.BindInt64(2, elapsedMs); });
    row("err_count", [&] { insert.BindInt(2, errorCount); });
    row("db_ver", [&] { insert.BindInt(2, CatalogueVersion); });
    insert.Finalize();
    writing.Commit();
    return true;
}

bool TCatalogueStore::CloseCatalogue() {
    Insert.Finalize();
    Writing.Rollback();
    return Db.Close();
}

bool FormatDosDateTime(uint32_t packed, char (&text)[24]) {
    const int year = 1980 + static_cast<int>(packed >> 25);
    const int month = (packed >> 21) & 0x0F;
    const int day = (packed >> 16) & 0x1F;
    const int hour = (packed >> 11) & 0x1F;
    const int minute = (packed >> 5) & 0x3F;
    if (!QDate::isValid(year, month, day) || hour > 23 || minute > 59)
        return false;
    // Formatted by hand: this runs once per file of a scan.
    const auto put = [&text](size_t at, int value, int digits) {
        for (int i = digits - 1; i >= 0; --i, value /= 10)
            text[at + static_cast<size_t>(i)] = static_cast<char>('0' + value % 10);
    };
    std::memcpy(text, "0000-00-00 00:00", 17);
    put(0, year, 4);
    put(5, month, 2);
    put(8, day, 2);
    put(11, hour, 2);
    put(14, minute, 2);
    return true;
}

uint32_t PackDosDateTime(int64_t unixSeconds) {
    const time_t t = static_cast<time_t>(unixSeconds);
    struct tm local {};
    if (!localtime_r(&t, &local))
        return 0;
    const int year = local.tm_year + 1900;
    if (year < 1980 || year > 2107)
        return 0;
    const uint32_t date =
        (static_cast<uint32_t>(year - 1980) << 9) | ((local.tm_mon + 1) << 5) | local.tm_mday;
    const uint32_t time = (local.tm_hour << 11) | (local.tm_min << 5) | (local.tm_sec / 2);
    return (date << 16) | time;
}
