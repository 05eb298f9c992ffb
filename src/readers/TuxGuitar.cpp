#include "readers/TuxGuitar.h"

#include "readers/TabRead.h"

#include <cstring>
#include <string>
#include <string_view>

namespace {

constexpr std::string_view TGFamily = "TuxGuitar File Format";
constexpr std::string_view TGMajorVersion = "TuxGuitar File Format - 1";

// The version text as narrow text, up to its first zero unit. Units outside ASCII become '?', so only
// the exact ASCII letters can match the expected prefixes.
std::string NarrowVersionText(const char* slot) {
    std::string text;
    for (size_t i = 0; i + 1 < TabTextSize; i += 2) {
        const unsigned low = static_cast<unsigned char>(slot[i]);
        const unsigned high = static_cast<unsigned char>(slot[i + 1]);
        const unsigned unit = high << 8 | low;
        if (unit == 0)
            break;
        text.push_back(unit < 0x80 ? static_cast<char>(unit) : '?');
    }
    return text;
}

} // namespace

void ReadTGHeader(TTabStream& stream, TGHeader& header) {
    ZeroField(&header, sizeof header);
    char version[TabTextSize] = {};
    ReadUtf16String(stream, version);
    SwapUtf16Field(version);
    // Only major version 1 of the format is understood; the minor version may be anything.
    const std::string text = NarrowVersionText(version);
    if (!text.starts_with(TGMajorVersion))
        throw ETabError(text.starts_with(TGFamily) ? "TG version unsupported" : "Not a TG");
    ReadUtf16String(stream, header.Title);
    ReadUtf16String(stream, header.Artist);
    ReadUtf16String(stream, header.Album);
    ReadUtf16String(stream, header.Music);
}

void TGHeaderToTabInfo(const TGHeader& header, TabInfo& info) {
    ClearTabInfo(info);
    info.Encoding = teUtf16;
    std::memcpy(info.Title, header.Title, TabTextSize);
    std::memcpy(info.Artist, header.Artist, TabTextSize);
    std::memcpy(info.Album, header.Album, TabTextSize);
    std::memcpy(info.Music, header.Music, TabTextSize);
    SwapUtf16Field(info.Title);
    SwapUtf16Field(info.Artist);
    SwapUtf16Field(info.Album);
    SwapUtf16Field(info.Music);
}

void ReadTGFile(TTabStream& stream, TabInfo& info) {
    TGHeader header;
    ReadTGHeader(stream, header);
    TGHeaderToTabInfo(header, info);
}
