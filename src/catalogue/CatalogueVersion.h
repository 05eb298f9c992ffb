#pragma once

#include "catalogue/Sqlite.h"

#include <string_view>

// Bringing a catalogue written by an older release to the current schema. Versions, as the
// dbinfo row db_ver records them: 1 has no table errors; 2 has it, but tablatures has no column
// filedate; 3 is the current schema.
//
// Every function runs on a writable connection owned by the calling thread and throws
// EDatabaseError on a failure of SQLite, ECatalogueVersionError when db_ver is missing or is not
// a whole number.

// The whole number of text: optional blanks around an optional sign and decimal digits.
bool ParseWholeNumber(std::string_view text, int& value);

int ReadCatalogueVersion(TSqlConnection& db);
// Upgrades a catalogue below version 3; a catalogue of version 3 or above is left unchanged. The
// upgrade is one transaction, so a failure half-way leaves the file as it was.
void CheckCatalogueVersion(TSqlConnection& db);
void UpgradeToVersion2(TSqlConnection& db);
void UpgradeToVersion3(TSqlConnection& db);
