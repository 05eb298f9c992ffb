#include "output/JetRow.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <limits>

#include "output/Utf8.h"

namespace {

void Require(bool condition, const char* what) {
    if (!condition)
        throw EJetError(what);
}

int32_t ClampToLong(int64_t n, int64_t& cut) {
    constexpr int64_t Low = std::numeric_limits<int32_t>::min(), High = std::numeric_limits<int32_t>::max();
    if (n < Low || n > High) {
        ++cut;
        return static_cast<int32_t>(n < Low ? Low : High);
    }
    return static_cast<int32_t>(n);
}

// Two bytes a unit; compressed, a narrow text (every unit in 1..0xFF) of more than two units is the
// mark FF FE and one byte a unit.
template <class Unit>
size_t PutUnits(const Unit* units, size_t count, bool narrow, bool compress, uint8_t* out) {
    if (compress && narrow && count > 2) {
        out[0] = 0xFF;
        out[1] = 0xFE;
        if constexpr (sizeof(Unit) == 1)
            std::memcpy(out + 2, units, count);
        else
            for (size_t i = 0; i < count; ++i)
                out[2 + i] = static_cast<uint8_t>(units[i]);
        return 2 + count;
    }
    for (size_t i = 0; i < count; ++i)
        JetPut16(out + 2 * i, static_cast<uint16_t>(units[i]));
    return 2 * count;
}

// utf8 as UTF-16 units, malformed bytes as U+FFFD, at most maxUnits of them (cut set when more were
// left); narrow tells whether every unit is in 1..0xFF.
size_t ToUtf16Units(std::string_view utf8, size_t maxUnits, char16_t* units, bool& narrow, bool& cut) {
    const auto* p = reinterpret_cast<const unsigned char*>(utf8.data());
    size_t count = 0;
    narrow = true;
    for (size_t i = 0; i < utf8.size();) {
        char32_t cp = p[i];
        size_t length = 1;
        if (cp >= 0x80) {
            length = DecodeUtf8(p + i, utf8.size() - i, cp);
            if (length == 0)
                cp = 0xFFFD, length = 1;
        }
        const size_t need = cp >= 0x10000 ? 2 : 1;
        if (count + need > maxUnits) {
            cut = true;
            break;
        }
        if (need == 2) {
            units[count++] = static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10));
            units[count++] = static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
            narrow = false;
        } else {
            units[count++] = static_cast<char16_t>(cp);
            narrow = narrow && cp != 0 && cp <= 0xFF;
        }
        i += length;
    }
    return count;
}

} // namespace

size_t EncodeJetText(std::string_view utf8, size_t maxUnits, bool compress, uint8_t* out, bool& cut) {
    maxUnits = std::min(maxUnits, JetMaxTextUnits);
    const auto* p = reinterpret_cast<const unsigned char*>(utf8.data());
    // Plain ASCII without NUL that fits whole is stored without decoding, which is most catalogue text.
    if (utf8.size() <= maxUnits && std::all_of(p, p + utf8.size(), [](unsigned char c) {
            return static_cast<unsigned char>(c - 1) < 0x7F;
        }))
        return PutUnits(p, utf8.size(), true, compress, out);
    std::array<char16_t, JetMaxTextUnits> units;
    bool narrow = true;
    const size_t count = ToUtf16Units(utf8, maxUnits, units.data(), narrow, cut);
    return PutUnits(units.data(), count, narrow, compress, out);
}

TJetRowPacker::TJetRowPacker(std::vector<TJetColumn> columns) : Columns(std::move(columns)) {
    const size_t n = Columns.size();
    Require(n > 0 && n < 256, "the table has no columns or too many");
    std::vector<bool> numbers(n, false);
    size_t varBytes = 0;
    for (size_t i = 0; i < n; ++i) {
        const TJetColumn& c = Columns[i];
        Require(c.Number < n && !numbers[c.Number], "the column numbers are not 0 to n - 1");
        numbers[c.Number] = true;
        if (c.Fixed) {
            Require(c.Type == JetTypeLong && c.Length == 4, "a fixed column is not a Long");
            FixedSize = std::max<size_t>(FixedSize, c.FixedOffset + 4u);
        } else {
            Require(c.Type == JetTypeText && c.Length >= 2 && c.Length <= 2 * JetMaxTextUnits &&
                        c.Length % 2 == 0,
                    "a variable column is not a Text of at most 255 characters");
            VarOrder.push_back(i);
            varBytes += c.Length;
        }
    }
    std::sort(VarOrder.begin(), VarOrder.end(),
              [this](size_t a, size_t b) { return Columns[a].VarIndex < Columns[b].VarIndex; });
    for (size_t v = 0; v < VarOrder.size(); ++v)
        Require(Columns[VarOrder[v]].VarIndex == v, "the variable columns are not numbered 0 to n - 1");
    // Fixed columns must not overlap: their 4-byte slots fill distinct places of the fixed area.
    std::vector<bool> used(FixedSize, false);
    for (const TJetColumn& c : Columns)
        for (size_t b = c.FixedOffset; c.Fixed && b < c.FixedOffset + 4u; ++b) {
            Require(!used[b], "two fixed columns overlap");
            used[b] = true;
        }
    MaskSize = (n + 7) / 8;
    MinSize = 2 + FixedSize + 2 + 2 * VarOrder.size() + 2 + MaskSize;
    MaxSize = MinSize + varBytes;
    Require(MaxSize <= JetMaxRowSize, "a full row would not fit a page");
}

size_t TJetRowPacker::Pack(const TJetValue* values, uint8_t* out, int64_t& cut) const {
    // Row: column count, fixed area, variable data, end-of-data offset, the variable columns' start
    // offsets last to first, their count, the null mask (bit set = not Null).
    JetPut16(out, static_cast<uint16_t>(Columns.size()));
    std::memset(out + 2, 0, FixedSize);
    std::array<uint8_t, 32> mask{};
    std::array<uint16_t, 256> starts;
    size_t at = 2 + FixedSize;
    for (size_t v = 0; v < VarOrder.size(); ++v) {
        const TJetColumn& c = Columns[VarOrder[v]];
        const TJetValue& value = values[VarOrder[v]];
        starts[v] = static_cast<uint16_t>(at);
        if (value.Kind != TJetValue::Text)
            continue;
        bool wasCut = false;
        at += EncodeJetText(value.Utf8, c.Length / 2, c.Compressed, out + at, wasCut);
        cut += wasCut;
        mask[c.Number / 8] |= static_cast<uint8_t>(1 << (c.Number % 8));
    }
    for (size_t i = 0; i < Columns.size(); ++i) {
        const TJetColumn& c = Columns[i];
        if (!c.Fixed || values[i].Kind != TJetValue::Long)
            continue;
        JetPut32(out + 2 + c.FixedOffset, static_cast<uint32_t>(ClampToLong(values[i].Number, cut)));
        mask[c.Number / 8] |= static_cast<uint8_t>(1 << (c.Number % 8));
    }
    JetPut16(out + at, static_cast<uint16_t>(at));
    at += 2;
    for (size_t v = VarOrder.size(); v-- > 0; at += 2)
        JetPut16(out + at, starts[v]);
    JetPut16(out + at, static_cast<uint16_t>(VarOrder.size()));
    at += 2;
    std::memcpy(out + at, mask.data(), MaskSize);
    return at + MaskSize;
}
