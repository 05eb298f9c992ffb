#pragma once

// Reading the parts of a Jet 4 (Access 2000) database that a writer appending rows needs: the file
// header, data page rows, table definitions and the catalogue table. All integers are little-endian.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "readers/TabInfo.h"

// An Access file that cannot be read or written, or whose layout is not the expected one. The
// message is English and shown as it is.
class EJetError : public EQuiravelError {
public:
    using EQuiravelError::EQuiravelError;
};

constexpr size_t JetPageSize = 4096;
using TJetBytes = std::span<const uint8_t>;

inline uint16_t JetGet16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}
inline uint32_t JetGet32(const uint8_t* p) {
    return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24;
}
inline void JetPut16(uint8_t* p, uint16_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}
inline void JetPut32(uint8_t* p, uint32_t v) {
    JetPut16(p, static_cast<uint16_t>(v));
    JetPut16(p + 2, static_cast<uint16_t>(v >> 16));
}

enum : uint8_t {
    JetPageData = 0x01,
    JetPageTableDef = 0x02,
    JetPageUsageMap = 0x05,
    JetTypeInteger = 0x03,
    JetTypeLong = 0x04,
    JetTypeText = 0x0A,
};

struct TJetColumn {
    std::string Name; // UTF-8
    uint8_t Type = 0;
    uint16_t Number = 0;      // bit of the null mask
    uint16_t VarIndex = 0;    // place among the variable columns
    uint16_t FixedOffset = 0; // from the end of the row's column count
    uint16_t Length = 0;      // bytes; a Text(n) column holds 2n
    bool Fixed = false;
    bool Compressed = false; // texts may be stored one byte per character
};

struct TJetTableDef {
    uint32_t NextPage = 0;
    uint32_t RowCount = 0;
    uint8_t TableType = 0;
    uint16_t MaxColumns = 0;
    uint16_t VarColumns = 0;
    uint32_t Indexes = 0;
    uint32_t RealIndexes = 0;
    uint32_t OwnedMap = 0; // page << 8 | row
    uint32_t FreeMap = 0;
    std::vector<TJetColumn> Columns; // in definition order

    // Names compare case-blind, as Jet compares them.
    const TJetColumn* Find(std::string_view name) const;
};

// Offsets in a table definition page.
constexpr size_t JetTdefRowCount = 16;

// The table definition on page; EJetError when it runs past the page.
TJetTableDef ParseJetTableDef(TJetBytes page);

// Row n of a data page runs from Start for Length bytes; deleted rows and overflow pointers are not
// live.
struct TJetRowSlot {
    size_t Start = 0;
    size_t Length = 0;
    bool Live = true;
};
// The rows of a data page in slot order; EJetError when the offsets do not fit the page.
std::vector<TJetRowSlot> JetPageRows(TJetBytes page);

// The stored bytes of column c in row; nothing when the value is Null. EJetError when the row is
// shorter than its own offsets say.
std::optional<TJetBytes> JetColumnValue(TJetBytes row, const TJetColumn& c);
// A Text value as UTF-16, from either of its stored forms.
std::u16string JetDecodeText(TJetBytes value);
std::string JetUtf8(std::u16string_view text);

// Refuses (EJetError) a file header that is not Jet 4 or whose data pages are encoded.
void CheckJetHeader(TJetBytes page0);

// Page of the definition of the table called name, found through the catalogue table; EJetError
// when the file holds no such table. file is the whole database.
uint32_t FindJetTable(TJetBytes file, std::string_view name);
