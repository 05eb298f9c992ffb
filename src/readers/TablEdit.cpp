#include "readers/TablEdit.h"

#include "readers/TabRead.h"

namespace {

// The NUL must be among the first 254 bytes of a text.
constexpr size_t TEFTextLimit = 255;

} // namespace

void ReadTEFText(TTabStream& stream, char* slot) {
    size_t count = 0;
    char c;
    do {
        ReadExact(stream, &c, 1, "Cannot read CHAR");
        slot[count++] = c;
        if (count == TEFTextLimit)
            throw ETabError("String too long");
    } while (c != '\0');
}

void ReadTEFHeader(TTabStream& stream, TEFHeader& header) {
    ZeroField(&header, sizeof header);
    ReadTEFText(stream, header.Title);
    ReadTEFText(stream, header.Artist);
}

void TEFHeaderToTabInfo(const TEFHeader& header, TabInfo& info) {
    ClearTabInfo(info);
    CopyToField(info.Title, TabTextSize, header.Title);
    CopyToField(info.Artist, TabTextSize, header.Artist);
}

void ReadTEFFile(TTabStream& stream, TabInfo& info) {
    TEFHeader header;
    ReadTEFHeader(stream, header);
    TEFHeaderToTabInfo(header, info);
}
