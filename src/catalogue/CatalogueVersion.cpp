#include "catalogue/CatalogueVersion.h"

#include "catalogue/CatalogueStore.h"
#include "catalogue/DatabaseError.h"
#include "settings/Translate.h"

#include <charconv>

namespace {

void Run(TSqlConnection& db, const char* sql) {
    if (!db.Exec(sql))
        ThrowDatabaseError(db.LastError());
}

std::string_view TrimBlanks(std::string_view text) {
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

std::string WithValue(std::string format, const std::string& value) {
    const size_t at = format.find("%s");
    return at == std::string::npos ? format : format.replace(at, 2, value);
}

} // namespace

bool ParseWholeNumber(std::string_view text, int& value) {
    text = TrimBlanks(text);
    if (!text.empty() && text[0] == '+')
        text.remove_prefix(1);
    if (text.empty())
        return false;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && end == text.data() + text.size();
}

int ReadCatalogueVersion(TSqlConnection& db) {
    TSqlStatement query;
    if (!query.Prepare(db, "SELECT * FROM dbinfo WHERE iKey='db_ver';"))
        ThrowDatabaseError(db.LastError());
    const int rc = query.Step();
    if (rc != SQLITE_ROW && rc != SQLITE_DONE)
        ThrowDatabaseError(db.LastError());
    if (rc == SQLITE_DONE || query.ColumnCount() < 2 || query.ColumnIsNull(1))
        throw ECatalogueVersionError(Tr("The catalogue does not record its version"));
    const std::string text = query.ColumnText(1);
    int version = 0;
    if (!ParseWholeNumber(text, version))
        throw ECatalogueVersionError(WithValue(Tr("The catalogue's version \"%s\" is not a number"), text));
    return version;
}

void CheckCatalogueVersion(TSqlConnection& db) {
    if (ReadCatalogueVersion(db) >= CatalogueVersion)
        return;
    TSqlTransaction upgrading;
    if (!upgrading.Begin(db))
        ThrowDatabaseError(db.LastError());
    // Read again under the write lock: another program may have upgraded the file meanwhile.
    const int version = ReadCatalogueVersion(db);
    if (version < 2)
        UpgradeToVersion2(db);
    if (version < 3)
        UpgradeToVersion3(db);
    if (!upgrading.Commit())
        ThrowDatabaseError(db.LastError());
}

void UpgradeToVersion2(TSqlConnection& db) {
    Run(db, CreateErrorsSql);
    Run(db, "UPDATE dbinfo SET iValue=2 WHERE iKey='db_ver';");
}

void UpgradeToVersion3(TSqlConnection& db) {
    Run(db, "ALTER TABLE tablatures ADD COLUMN filedate VARCHAR(20);");
    Run(db, "UPDATE dbinfo SET iValue=3 WHERE iKey='db_ver';");
}
