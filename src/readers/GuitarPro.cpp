#include "readers/GuitarPro.h"

#include "readers/TabRead.h"

#include <cstring>
#include <string_view>

namespace {

struct GPVersionPrefix {
    std::string_view Prefix;
    int32_t Version;
};

// Only the prefix decides; whatever follows it in the version text (minor version, padding) is ignored.
constexpr GPVersionPrefix VersionPrefixes[] = {
    {"FICHIER GUITARE PRO v1", 1}, {"FICHIER GUITAR PRO v2", 2}, {"FICHIER GUITAR PRO v3", 3},
    {"FICHIER GUITAR PRO v4", 4},  {"FICHIER GUITAR PRO L4", 4}, {"FICHIER GUITAR PRO v5", 5},
};

// Reads count data bytes into slot and keeps the first textLength of them. A text length beyond the
// data is cut to the data, so a text never takes bytes from outside its block.
void ReadBlockText(TTabStream& stream, char* slot, size_t count, uint8_t textLength, const char* message) {
    ReadExact(stream, slot, count, message);
    const size_t n = textLength < count ? textLength : count;
    ZeroField(slot + n, TabTextSize - n);
}

// Versions 1 and 2: block size B in one byte (0 = empty block), then the text length and B - 1 data bytes.
void ReadGP12Block(TTabStream& stream, char* slot) {
    uint8_t size;
    ReadByte(stream, size);
    if (size == 0)
        return;
    uint8_t textLength;
    ReadByte(stream, textLength);
    ReadBlockText(stream, slot, size - 1u, textLength, "Cannot read GP12 block");
}

// Versions 3 to 5: block size S in a dword (0 = empty block, at most 256), then the text length and
// S - 1 data bytes.
void ReadGP345Block(TTabStream& stream, char* slot) {
    uint32_t size;
    ReadDword(stream, size);
    if (size > 256)
        throw ETabError("GP345 block too long");
    if (size == 0)
        return;
    uint8_t textLength;
    ReadByte(stream, textLength);
    ReadBlockText(stream, slot, size - 1u, textLength, "Cannot read GP345 block");
}

} // namespace

void GetGPVersion(GPHeader& header) {
    const std::string_view text(header.VersionText, GPVersionTextSize);
    for (const GPVersionPrefix& p : VersionPrefixes)
        if (text.starts_with(p.Prefix)) {
            header.Version = p.Version;
            return;
        }
    throw ETabError("Not a GP or version unsupported");
}

void ReadGPHeader(TTabStream& stream, GPHeader& header) {
    ZeroField(&header, sizeof header);
    ReadByte(stream, header.VersionTextLength);
    ReadExact(stream, header.VersionText, GPVersionTextSize, "Cannot read GP Header");
    GetGPVersion(header);
    if (header.Version <= 2) {
        ReadGP12Block(stream, header.Slots[0]);
        ReadGP12Block(stream, header.Slots[2]);
        return;
    }
    for (size_t slot = 0; slot < 4; ++slot)
        ReadGP345Block(stream, header.Slots[slot]);
    if (header.Version == 5)
        ReadGP345Block(stream, header.Slots[4]);
    ReadGP345Block(stream, header.Slots[5]);
}

void GPHeaderToTabInfo(const GPHeader& header, TabInfo& info) {
    ClearTabInfo(info);
    std::memcpy(info.Title, header.Slots[0], TabTextSize);
    std::memcpy(info.Artist, header.Slots[2], TabTextSize);
    if (header.Version >= 3) {
        std::memcpy(info.Album, header.Slots[3], TabTextSize);
        std::memcpy(info.Music, header.Slots[5], TabTextSize);
    }
    if (header.Version == 5)
        std::memcpy(info.Words, header.Slots[4], TabTextSize);
}

void ReadGPFile(TTabStream& stream, TabInfo& info) {
    GPHeader header;
    ReadGPHeader(stream, header);
    GPHeaderToTabInfo(header, info);
}
