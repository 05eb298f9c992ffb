#pragma once

#include "catalogue/CatalogueConnection.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// What the Database Information and Errors windows read from a catalogue.

// Count and sizes per tablature family, most files first, then the "Total" row. Extensions are
// matched with LIKE, so capitals count in their family.
extern const char* const StatQuerySql;
extern const char* const ErrorListSql;

struct TStatRow {
    std::string Type; // the family name as stored; "Total" for the last row
    int64_t Count = 0;
    // In KiB, rounded to two decimals; empty for a family without files.
    std::optional<double> TotalKb;
    std::optional<double> AverageKb;
};

struct TErrorEntry {
    std::string FileName;
    std::string Error;
};

std::vector<TStatRow> ReadStatistics(TCatalogueConnection& db);
// Every row of the table errors, in the order SQLite returns them.
std::vector<TErrorEntry> ReadErrorList(TCatalogueConnection& db);

// The value of a dbinfo key; empty when there is none.
std::string DbInfoValue(TCatalogueConnection& db, const std::string& key);
// upd_date and upd_time joined by a blank.
std::string LastUpdateText(TCatalogueConnection& db);
// err_count; 0 when it is missing or not a whole number.
int ErrorCountOf(TCatalogueConnection& db);

// The translated "%f MB (%d B)": megabytes with two decimals in the system's number format, then
// the exact byte count.
std::string FileSizeText(uint64_t bytes);
// Two decimals in the system's number format, without group separators.
std::string DecimalText(double value);
