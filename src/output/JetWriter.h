#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "output/JetRow.h"

// A column the caller fills, by its name in the table and its type (JetTypeText or JetTypeLong).
struct TJetExpectedColumn {
    std::string Name;
    uint8_t Type;
};

// Appends rows to one table of a Jet 4 database copied from an empty template: the table holds no
// rows, has no index, owns no page yet, and its columns are exactly the ones given. Anything else
// is refused when the file is opened.
//
// Rows go on new data pages at the end of the file, written as they fill. Finish then writes the
// table's page maps, the global page map and last the row count. Until then the file stays the
// valid empty database with unreferenced pages at its end, so a run that stops early or dies
// leaves a readable file (with no rows); nothing else of the file is ever written. With no rows
// appended the file stays byte for byte as it was.
//
// Thread safety: one thread at a time per object.
class TJetWriter {
public:
    TJetWriter(std::string table, std::vector<TJetExpectedColumn> columns);
    // Closes the file; rows not finished stay unreferenced.
    ~TJetWriter();
    TJetWriter(const TJetWriter&) = delete;
    TJetWriter& operator=(const TJetWriter&) = delete;

    // Opens the database at path and checks its layout. Raises EJetError.
    void Open(const std::string& path);
    // values holds one value per column, in the order given to the constructor. Raises EJetError;
    // after a failure the writer takes no more rows.
    void Append(const TJetValue* values);
    // Makes the rows part of the table and closes the file. Raises EJetError.
    void Finish();

    int64_t Rows() const;
    // Values shortened to fit their column (see TJetRowPacker::Pack).
    int64_t CutValues() const;

private:
    struct TState;
    std::unique_ptr<TState> S;
};
