#include "readers/TabRead.h"

#include <cstring>

void ReadExact(TTabStream& stream, void* buffer, size_t count, const char* message) {
    // A stream may deliver less than asked before its end; only a read of nothing is the end.
    auto* out = static_cast<unsigned char*>(buffer);
    size_t done = 0;
    while (done < count) {
        const size_t got = stream.Read(out + done, count - done);
        if (got == 0)
            throw ETabError(message);
        done += got;
    }
}

void ReadByte(TTabStream& stream, uint8_t& value) {
    ReadExact(stream, &value, 1, "Cannot read BYTE");
}

void ReadWord(TTabStream& stream, uint16_t& value) {
    unsigned char b[2];
    ReadExact(stream, b, 2, "Cannot read WORD");
    value = static_cast<uint16_t>(b[0] | (b[1] << 8));
}

void ReadDword(TTabStream& stream, uint32_t& value) {
    unsigned char b[4];
    ReadExact(stream, b, 4, "Cannot read DWORD");
    value = b[0] | (b[1] << 8) | (b[2] << 16) | (static_cast<uint32_t>(b[3]) << 24);
}

uint8_t ReadByteString(TTabStream& stream, char* buffer) {
    uint8_t len;
    ReadExact(stream, &len, 1, "Cannot read string length");
    // 254 is the longest string accepted; 255 is refused before anything else is read.
    if (len == 255)
        throw ETabError("String too long");
    ReadExact(stream, buffer, len, "Cannot read string");
    buffer[len] = '\0';
    return len;
}

void ReadUtf16String(TTabStream& stream, char* buffer) {
    uint8_t len;
    ReadExact(stream, &len, 1, "Cannot read UTF16 string length");
    if (len == 255)
        throw ETabError("UTF16 string too long");
    ReadExact(stream, buffer, 2u * len, "Cannot read UTF16 string");
    buffer[2 * len] = '\0';
}

// A scan clears a reused record for every file; the 4 KiB name, which no reader fills, is only
// emptied.
void ClearTabInfo(TabInfo& info) {
    ZeroField(info.Title, TabTextSize);
    ZeroField(info.Artist, TabTextSize);
    ZeroField(info.Album, TabTextSize);
    ZeroField(info.Words, TabTextSize);
    ZeroField(info.Music, TabTextSize);
    info.FileName[0] = '\0';
    info.Year = 0;
    info.FileSize = 0;
    info.Encoding = teAnsi;
}

void CopyToField(char* field, size_t capacity, std::string_view text) {
    if (capacity == 0)
        return;
    const size_t n = text.size() < capacity - 1 ? text.size() : capacity - 1;
    std::memcpy(field, text.data(), n);
    field[n] = '\0';
}

void SwapUtf16Field(char* field) {
    for (size_t i = 0; i + 1 < TabTextSize; i += 2) {
        const char t = field[i];
        field[i] = field[i + 1];
        field[i + 1] = t;
    }
}

void ZeroField(void* buffer, size_t count) {
    std::memset(buffer, 0, count);
}
