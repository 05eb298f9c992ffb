#include "output/CatalogueExportSource.h"

#include "browse/QueryComposer.h"

namespace {

const char* const ColumnNames[] = {"title", "artist", "album",    "year",
                                   "words", "music",  "filename", "filesize"};

} // namespace

TCatalogueExportSource::TCatalogueExportSource(TCatalogueConnection& db, const std::string& query,
                                               const std::string& unsortedQuery)
    : Db(db), CountedQuery(unsortedQuery.empty() ? query : unsortedQuery), Rows(db.Prepare(query)) {
    for (int i = 0; i < cCount; ++i) {
        Columns[i] = ColumnIndex(Rows, ColumnNames[i]);
        if (Columns[i] < 0)
            ThrowDatabaseError(std::string("no such column: ") + ColumnNames[i]);
    }
}

int64_t TCatalogueExportSource::Total() {
    TSqlStatement count = Db.Prepare(CountSQL(CountedQuery));
    return Db.Step(count) ? count.ColumnInt64(0) : 0;
}

bool TCatalogueExportSource::Next(TExportRow& row) {
    if (!Db.Step(Rows))
        return false;
    row.Title = Rows.ColumnText(Columns[cTitle]);
    row.Artist = Rows.ColumnText(Columns[cArtist]);
    row.Album = Rows.ColumnText(Columns[cAlbum]);
    row.Year.reset();
    if (!Rows.ColumnIsNull(Columns[cYear]))
        row.Year = Rows.ColumnInt64(Columns[cYear]);
    row.Words = Rows.ColumnText(Columns[cWords]);
    row.Music = Rows.ColumnText(Columns[cMusic]);
    row.FileName = Rows.ColumnText(Columns[cFileName]);
    row.FileSize = Rows.ColumnInt64(Columns[cFileSize]);
    return true;
}
