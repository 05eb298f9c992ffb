#pragma once

#include <string>

#include "catalogue/Sqlite.h"
#include "output/ExportSource.h"

// The rows of a list query on an open catalogue connection: the tablature list's own text (for
// the export, "all tablatures" in the list's sort order), which yields at least the eight exported
// columns; they are found by name.
//
// Thread safety: use from one thread at a time; the connection may be shared (FULLMUTEX).
class TCatalogueExportSource : public TExportRowSource {
public:
    // Raises EQuiravelError with SQLite's message when the query cannot be prepared, or when it
    // lacks one of the exported columns.
    TCatalogueExportSource(TSqlConnection& db, const std::string& query);
    int64_t Total() override;
    bool Next(TExportRow& row) override;

private:
    enum { cTitle, cArtist, cAlbum, cYear, cWords, cMusic, cFileName, cFileSize, cCount };

    TSqlConnection& Db;
    std::string Query;
    TSqlStatement Rows;
    int Columns[cCount];
};
