#pragma once

#include <string>

#include "catalogue/CatalogueConnection.h"
#include "output/ExportSource.h"

// The rows of a list query on an open catalogue: the tablature list's own text (for the export,
// "all tablatures" in the list's sort order), which yields at least the eight exported columns;
// they are found by name.
//
// Thread safety: use from one thread at a time; the connection may be shared.
class TCatalogueExportSource : public TExportRowSource {
public:
    // Raises EDatabaseError when the query cannot be prepared or lacks one of the exported columns.
    // unsortedQuery: the same rows without their ORDER BY, which Total() counts without sorting them;
    // empty: Total() counts the query itself.
    TCatalogueExportSource(TCatalogueConnection& db, const std::string& query,
                           const std::string& unsortedQuery = "");
    int64_t Total() override;
    bool Next(TExportRow& row) override;

private:
    enum { cTitle, cArtist, cAlbum, cYear, cWords, cMusic, cFileName, cFileSize, cCount };

    TCatalogueConnection& Db;
    std::string CountedQuery;
    TSqlStatement Rows;
    int Columns[cCount];
};
