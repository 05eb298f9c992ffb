#include "output/CatalogueExportSource.h"

#include "readers/TabInfo.h"

namespace {

void Prepare(TSqlStatement& statement, TSqlConnection& db, const std::string& sql) {
    if (!statement.Prepare(db, sql))
        throw EQuiravelError(db.LastError());
}

} // namespace

TCatalogueExportSource::TCatalogueExportSource(TSqlConnection& db, const std::string& sortClause) : Db(db) {
    Prepare(Rows, Db,
            "SELECT title, artist, album, year, words, music, filename, filesize FROM tablatures " +
                sortClause);
}

int64_t TCatalogueExportSource::Total() {
    TSqlStatement count;
    Prepare(count, Db, "SELECT COUNT(*) FROM tablatures;");
    if (count.Step() != SQLITE_ROW)
        throw EQuiravelError(Db.LastError());
    return count.ColumnInt64(0);
}

bool TCatalogueExportSource::Next(TExportRow& row) {
    int rc = Rows.Step();
    if (rc == SQLITE_DONE)
        return false;
    if (rc != SQLITE_ROW)
        throw EQuiravelError(Db.LastError());
    row.Title = Rows.ColumnText(0);
    row.Artist = Rows.ColumnText(1);
    row.Album = Rows.ColumnText(2);
    row.Year.reset();
    if (!Rows.ColumnIsNull(3))
        row.Year = Rows.ColumnInt64(3);
    row.Words = Rows.ColumnText(4);
    row.Music = Rows.ColumnText(5);
    row.FileName = Rows.ColumnText(6);
    row.FileSize = Rows.ColumnInt64(7);
    return true;
}
