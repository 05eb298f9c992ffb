#include "readers/PowerTab.h"

#include <cstdint>
#include <cstring>

// Any input either fails with ETabError or yields ANSI fields of at most 254 bytes, and a read that stops
// within the largest header (signature, version, seven strings of at most 255 bytes and four bytes or words).
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TMemoryTabStream stream(data, size);
    TabInfo info;
    try {
        ReadPTBFile(stream, info);
    } catch (const ETabError&) {
        return 0;
    }
    for (const char* f : {info.Title, info.Artist, info.Album, info.Words, info.Music})
        if (strnlen(f, TabTextSize) > 254)
            __builtin_trap();
    if (info.Year < 0 || info.Year > 0xFFFF || info.Encoding != teAnsi || stream.Position() > 6 + 7 * 255 + 5)
        __builtin_trap();
    return 0;
}
