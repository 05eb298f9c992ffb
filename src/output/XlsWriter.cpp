#include "output/XlsWriter.h"

#include <bit>
#include <cstring>

namespace {

constexpr uint16_t BOFId = 0x0809;
constexpr uint16_t EOFId = 0x000A;
constexpr uint16_t RKId = 0x027E;
constexpr uint16_t NumberId = 0x0203;
constexpr uint16_t LabelId = 0x0204;
constexpr int64_t RKMin = -(int64_t(1) << 29);
constexpr int64_t RKMax = (int64_t(1) << 29) - 1;

// Fills little-endian fields into a fixed record buffer.
class TRecord {
public:
    TRecord& Word(uint16_t v) {
        Bytes[Size++] = static_cast<unsigned char>(v & 0xFF);
        Bytes[Size++] = static_cast<unsigned char>(v >> 8);
        return *this;
    }
    TRecord& Dword(uint32_t v) { return Word(v & 0xFFFF).Word(v >> 16); }
    TRecord& Qword(uint64_t v) { return Dword(v & 0xFFFFFFFF).Dword(v >> 32); }
    // Record id, data length, then the cell's row, column and format index 0.
    TRecord& CellHeader(uint16_t id, uint16_t length, uint16_t column, uint16_t row) {
        return Word(id).Word(length).Word(row).Word(column).Word(0);
    }
    void WriteTo(TByteSink& stream) const { stream.Write(Bytes, Size); }

private:
    unsigned char Bytes[24];
    size_t Size = 0;
};

} // namespace

void XLSWriteBOF(TByteSink& stream) {
    // Version 0, document type worksheet, build 0, year 0.
    TRecord().Word(BOFId).Word(8).Word(0).Word(0x0010).Word(0).Word(0).WriteTo(stream);
}

void XLSWriteEOF(TByteSink& stream) {
    TRecord().Word(EOFId).Word(0).WriteTo(stream);
}

void XLSWriteInteger(TByteSink& stream, uint16_t column, uint16_t row, int64_t value) {
    if (value >= RKMin && value <= RKMax) {
        // Bits 2-31 the value, bit 1 set (integer), bit 0 clear (not divided by 100).
        uint32_t rk = (static_cast<uint32_t>(value) << 2) | 2;
        TRecord().CellHeader(RKId, 10, column, row).Dword(rk).WriteTo(stream);
        return;
    }
    uint64_t bits = std::bit_cast<uint64_t>(static_cast<double>(value));
    TRecord().CellHeader(NumberId, 14, column, row).Qword(bits).WriteTo(stream);
}

void XLSWriteLabel(TByteSink& stream, uint16_t column, uint16_t row, std::string_view text) {
    if (text.size() > XLSMaxLabelBytes)
        text = text.substr(0, XLSMaxLabelBytes);
    uint16_t n = static_cast<uint16_t>(text.size());
    TRecord().CellHeader(LabelId, 8 + n, column, row).Word(n).WriteTo(stream);
    if (n > 0)
        stream.Write(text.data(), n);
}
