#include "output/JetLayout.h"

#include <algorithm>
#include <array>
#include <numeric>

namespace {

// Table definition header: type of table, column and index counts, the two page maps.
constexpr size_t TdefTableType = 40, TdefMaxColumns = 41, TdefVarColumns = 43, TdefColumns = 45,
                 TdefIndexes = 47, TdefRealIndexes = 51, TdefOwnedMap = 55, TdefFreeMap = 59,
                 TdefFirstEntry = 63, TdefRealIndexSize = 12, TdefColumnSize = 25;

// Data page header: row count, then one 2-byte offset per row.
constexpr size_t DataRowCount = 12, DataFirstOffset = 14;
constexpr uint16_t RowDeleted = 0x8000, RowOverflow = 0x4000, RowOffsetMask = 0x1FFF;

// The catalogue table's definition is always on page 2; its type for a local table is 1.
constexpr uint32_t CatalogueTdefPage = 2;
constexpr int16_t CatalogueLocalTable = 1;

char AsciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameName(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [](char x, char y) { return AsciiLower(x) == AsciiLower(y); });
}

void Require(bool condition, const char* what) {
    if (!condition)
        throw EJetError(what);
}

TJetColumn ParseColumn(const uint8_t* e) {
    TJetColumn c;
    c.Type = e[0];
    c.Number = JetGet16(e + 5);
    c.VarIndex = JetGet16(e + 7);
    c.Fixed = (e[15] & 0x01) != 0;
    c.Compressed = (e[16] & 0x01) != 0;
    c.FixedOffset = JetGet16(e + 21);
    c.Length = JetGet16(e + 23);
    return c;
}

// RC4 key stream of the 4-byte key that masks page 0 from offset 0x18.
std::vector<uint8_t> HeaderMask(size_t length) {
    static constexpr uint8_t Key[4] = {0xC7, 0xDA, 0x39, 0x6B};
    std::array<uint8_t, 256> s;
    std::iota(s.begin(), s.end(), 0);
    for (size_t i = 0, j = 0; i < 256; ++i) {
        j = (j + s[i] + Key[i % 4]) & 0xFF;
        std::swap(s[i], s[j]);
    }
    std::vector<uint8_t> mask(length);
    for (size_t n = 0, i = 0, j = 0; n < length; ++n) {
        i = (i + 1) & 0xFF;
        j = (j + s[i]) & 0xFF;
        std::swap(s[i], s[j]);
        mask[n] = s[(s[i] + s[j]) & 0xFF];
    }
    return mask;
}

std::optional<int64_t> FixedNumber(TJetBytes row, const TJetColumn* c) {
    auto v = JetColumnValue(row, *c);
    if (!v)
        return std::nullopt;
    if (c->Type == JetTypeLong)
        return static_cast<int32_t>(JetGet32(v->data()));
    return static_cast<int16_t>(JetGet16(v->data()));
}

} // namespace

const TJetColumn* TJetTableDef::Find(std::string_view name) const {
    for (const TJetColumn& c : Columns)
        if (SameName(c.Name, name))
            return &c;
    return nullptr;
}

TJetTableDef ParseJetTableDef(TJetBytes page) {
    Require(page.size() == JetPageSize && page[0] == JetPageTableDef, "not a table definition page");
    const uint8_t* p = page.data();
    TJetTableDef def;
    def.NextPage = JetGet32(p + 4);
    def.RowCount = JetGet32(p + JetTdefRowCount);
    def.TableType = p[TdefTableType];
    def.MaxColumns = JetGet16(p + TdefMaxColumns);
    def.VarColumns = JetGet16(p + TdefVarColumns);
    def.Indexes = JetGet32(p + TdefIndexes);
    def.RealIndexes = JetGet32(p + TdefRealIndexes);
    def.OwnedMap = JetGet32(p + TdefOwnedMap);
    def.FreeMap = JetGet32(p + TdefFreeMap);
    const size_t columns = JetGet16(p + TdefColumns);
    Require(def.RealIndexes < JetPageSize / TdefRealIndexSize, "the table definition runs past its page");
    size_t at = TdefFirstEntry + TdefRealIndexSize * def.RealIndexes;
    Require(at + TdefColumnSize * columns <= JetPageSize, "the table definition runs past its page");
    for (size_t i = 0; i < columns; ++i, at += TdefColumnSize)
        def.Columns.push_back(ParseColumn(p + at));
    for (TJetColumn& c : def.Columns) {
        Require(at + 2 <= JetPageSize, "the table definition runs past its page");
        const size_t length = JetGet16(p + at);
        Require(at + 2 + length <= JetPageSize, "the table definition runs past its page");
        std::u16string name;
        for (size_t i = 0; i + 1 < length; i += 2)
            name.push_back(static_cast<char16_t>(JetGet16(p + at + 2 + i)));
        c.Name = JetUtf8(name);
        at += 2 + length;
    }
    return def;
}

std::vector<TJetRowSlot> JetPageRows(TJetBytes page) {
    Require(page.size() == JetPageSize, "a data page is cut");
    const size_t count = JetGet16(page.data() + DataRowCount);
    const size_t tableEnd = DataFirstOffset + 2 * count;
    Require(tableEnd <= JetPageSize, "a data page's row table runs past the page");
    std::vector<TJetRowSlot> rows;
    size_t end = JetPageSize;
    for (size_t i = 0; i < count; ++i) {
        const uint16_t offset = JetGet16(page.data() + DataFirstOffset + 2 * i);
        const size_t start = offset & RowOffsetMask;
        Require(start >= tableEnd && start <= end, "a data page's row offsets are out of order");
        rows.push_back({start, end - start, (offset & (RowDeleted | RowOverflow)) == 0});
        end = start;
    }
    return rows;
}

std::optional<TJetBytes> JetColumnValue(TJetBytes row, const TJetColumn& c) {
    Require(row.size() >= 2, "a row is cut");
    const size_t columns = JetGet16(row.data());
    const size_t mask = (columns + 7) / 8;
    Require(row.size() >= 2 + mask + 2, "a row is cut");
    const size_t maskAt = row.size() - mask;
    if (c.Number >= columns || (row[maskAt + c.Number / 8] >> (c.Number % 8) & 1) == 0)
        return std::nullopt;
    if (c.Fixed) {
        Require(2u + c.FixedOffset + c.Length <= maskAt, "a row is cut");
        return row.subspan(2 + c.FixedOffset, c.Length);
    }
    const size_t varCount = JetGet16(row.data() + maskAt - 2);
    if (c.VarIndex >= varCount)
        return std::nullopt;
    Require(maskAt >= 4 + 2 * (varCount + 1), "a row is cut");
    auto offset = [&](size_t i) -> size_t { return JetGet16(row.data() + maskAt - 4 - 2 * i); };
    const size_t start = offset(c.VarIndex), end = offset(c.VarIndex + 1); // the last one's end is eod
    Require(start <= end && end <= row.size(), "a row's offsets are out of order");
    return row.subspan(start, end - start);
}

std::u16string JetDecodeText(TJetBytes value) {
    std::u16string text;
    if (value.size() >= 2 && value[0] == 0xFF && value[1] == 0xFE) {
        // A zero byte switches between one byte and two bytes per character.
        bool compressed = true;
        for (size_t i = 2; i < value.size();) {
            if (value[i] == 0) {
                compressed = !compressed;
                ++i;
            } else if (compressed) {
                text.push_back(value[i++]);
            } else if (i + 1 < value.size()) {
                text.push_back(static_cast<char16_t>(JetGet16(value.data() + i)));
                i += 2;
            } else {
                break;
            }
        }
        return text;
    }
    for (size_t i = 0; i + 1 < value.size(); i += 2)
        text.push_back(static_cast<char16_t>(JetGet16(value.data() + i)));
    return text;
}

std::string JetUtf8(std::u16string_view text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t cp = text[i];
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF)
            cp = 0x10000 + ((cp - 0xD800) << 10) + (text[++i] - 0xDC00);
        else if (cp >= 0xD800 && cp <= 0xDFFF)
            cp = 0xFFFD;
        if (cp < 0x80) {
            out += static_cast<char>(cp);
        } else if (cp < 0x800) {
            out += static_cast<char>(0xC0 | cp >> 6);
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else if (cp < 0x10000) {
            out += static_cast<char>(0xE0 | cp >> 12);
            out += static_cast<char>(0x80 | (cp >> 6 & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | cp >> 18);
            out += static_cast<char>(0x80 | (cp >> 12 & 0x3F));
            out += static_cast<char>(0x80 | (cp >> 6 & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        }
    }
    return out;
}

void CheckJetHeader(TJetBytes page0) {
    // Page 0: type 0, the version at 0x14 (1 for Jet 4), then an RC4-masked area from 0x18 that
    // holds the database key at 0x3E; a key other than 0 means the data pages are encoded.
    constexpr size_t Version = 0x14, Masked = 0x18, Key = 0x3E;
    Require(page0.size() == JetPageSize && page0[0] == 0, "it is not an Access database");
    Require(page0[Version] == 1, "it is not an Access 2000 (Jet 4) database");
    const std::vector<uint8_t> mask = HeaderMask(Key + 4 - Masked);
    for (size_t i = Key; i < Key + 4; ++i)
        Require((page0[i] ^ mask[i - Masked]) == 0, "its data pages are encoded");
}

uint32_t FindJetTable(TJetBytes file, std::string_view name) {
    const size_t pages = file.size() / JetPageSize;
    Require(pages > CatalogueTdefPage, "it is not an Access database");
    const TJetTableDef catalogue =
        ParseJetTableDef(file.subspan(CatalogueTdefPage * JetPageSize, JetPageSize));
    const TJetColumn *id = catalogue.Find("Id"), *objectName = catalogue.Find("Name"),
                     *type = catalogue.Find("Type");
    Require(id && objectName && type && id->Fixed && id->Type == JetTypeLong && type->Fixed &&
                type->Type == JetTypeInteger && !objectName->Fixed,
            "its catalogue table is not the expected one");
    for (size_t n = CatalogueTdefPage + 1; n < pages; ++n) {
        const TJetBytes page = file.subspan(n * JetPageSize, JetPageSize);
        if (page[0] != JetPageData || JetGet32(page.data() + 4) != CatalogueTdefPage)
            continue;
        for (const TJetRowSlot& slot : JetPageRows(page)) {
            if (!slot.Live)
                continue;
            const TJetBytes row = page.subspan(slot.Start, slot.Length);
            const auto rowName = JetColumnValue(row, *objectName);
            if (!rowName || !SameName(JetUtf8(JetDecodeText(*rowName)), name) ||
                FixedNumber(row, type) != CatalogueLocalTable)
                continue;
            const auto tdef = FixedNumber(row, id);
            Require(tdef.has_value(), "its catalogue table is not the expected one");
            return static_cast<uint32_t>(*tdef) & 0x00FFFFFF;
        }
    }
    throw EJetError("it has no table \"" + std::string(name) + "\"");
}
