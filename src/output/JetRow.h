#pragma once

// Packing rows of a Jet 4 table: texts in their stored forms, fixed and variable columns, the
// offsets and the null mask.

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "output/JetLayout.h"

// One value for one column: Null, a UTF-8 text (not necessarily well-formed) or a number.
struct TJetValue {
    enum TKind : uint8_t { Null, Text, Long };
    TKind Kind = Null;
    std::string_view Utf8;
    int64_t Number = 0;

    static TJetValue OfText(std::string_view text) { return {Text, text, 0}; }
    static TJetValue OfLong(int64_t number) { return {Long, {}, number}; }
};

// A data page takes a row of at most this many bytes.
constexpr size_t JetMaxRowSize = 4060;
// Text(255) is the longest text column.
constexpr size_t JetMaxTextUnits = 255;

// Writes utf8 into out as a stored Text value of at most maxUnits UTF-16 units (maxUnits <=
// JetMaxTextUnits; out has room for 2 * maxUnits bytes). With compress, a value of more than two
// units that are all in 1..0xFF is stored as 0xFF 0xFE and one byte per character; anything else as
// UTF-16LE. Malformed UTF-8 bytes become U+FFFD. A longer text is cut before the unit that does not
// fit (never inside a surrogate pair) and cut is set. Returns the bytes written.
size_t EncodeJetText(std::string_view utf8, size_t maxUnits, bool compress, uint8_t* out, bool& cut);

// Packs rows for the columns of one table. Thread safety: Pack may run on several threads at once.
class TJetRowPacker {
public:
    // columns[i] takes values[i] of each row; together they are all the table's columns. Text
    // columns are variable, Long columns fixed. EJetError when they do not form a row layout.
    explicit TJetRowPacker(std::vector<TJetColumn> columns);

    // Writes the row into out (JetMaxRowSize bytes) and returns its size. Adds to cut the values
    // that had to be shortened: texts longer than their column, numbers outside the Long range
    // (set to its nearest end).
    size_t Pack(const TJetValue* values, uint8_t* out, int64_t& cut) const;

    size_t MinRowSize() const { return MinSize; }
    size_t MaxRowSize() const { return MaxSize; }

private:
    std::vector<TJetColumn> Columns;
    std::vector<size_t> VarOrder; // indexes into Columns by variable index
    size_t FixedSize = 0;
    size_t MaskSize = 0;
    size_t MinSize = 0;
    size_t MaxSize = 0;
};
