#pragma once

#include <string>

#include "catalogue/Sqlite.h"
#include "output/ExportSource.h"

// Every row of `tablatures` on an open catalogue connection, in the order of sortClause:
// "ORDER BY ..." as the tablature list composes it, or ";" (or nothing) for the natural order.
//
// Thread safety: use from one thread at a time; the connection may be shared (FULLMUTEX).
class TCatalogueExportSource : public TExportRowSource {
public:
    // Raises EQuiravelError with SQLite's message when the query cannot be prepared.
    TCatalogueExportSource(TSqlConnection& db, const std::string& sortClause);
    int64_t Total() override;
    bool Next(TExportRow& row) override;

private:
    TSqlConnection& Db;
    TSqlStatement Rows;
};
