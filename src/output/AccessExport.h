#pragma once

#include <cstdint>
#include <string>

#include "output/Export.h"

// The MS Access export: the empty database "db.mdb" held by the data file "Quiravel.dat" next to
// the programs is put at the target, then the rows are appended to its table "tablatures".

// Progress is reported, and a stop request honoured, after every this many records.
constexpr int64_t AccessProgressStep = 50;

struct TAccessExportResult : TExportResult {
    // Values that did not fit their column: texts over 255 UTF-16 units, cut there; numbers
    // outside the 32-bit range, set to its nearest end.
    int64_t CutValues = 0;
};

// ProgramFolder()/Quiravel.dat.
std::string AccessDataFile();

// Extracts the template database from dataFile to target, replacing a file there only once the
// whole entry was read and checked. False with the translated text to show ("Cannot create file"
// with the name, then the cause) when the data file lacks a sound template or target cannot be
// written.
bool CopyAccessTemplate(const std::string& dataFile, const std::string& target, std::string& error);

// Appends every row of source to the table of the database at target, just made by
// CopyAccessTemplate. A stop request ends it like a finished export with the rows so far. On
// failure the file holds the empty table (none of the rows) and Message the failure's own text.
//
// Thread safety: runs on the calling thread; options.Stop may be set from any thread.
TAccessExportResult ExportAccessRows(TExportRowSource& source, const std::string& target,
                                     const TExportOptions& options);

// The translated notice of values that had to be cut, for a count above 0.
std::string CutValuesText(int64_t count);
