#include "readers/GuitarPro.h"

#include <cstdint>
#include <cstring>

// Any input either fails with ETabError or yields terminated fields, year 0, and a read that stops
// within the largest header (version block and six blocks of at most 260 bytes).
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TMemoryTabStream stream(data, size);
    TabInfo info;
    try {
        ReadGPFile(stream, info);
    } catch (const ETabError&) {
        return 0;
    }
    for (const char* f : {info.Title, info.Artist, info.Album, info.Words, info.Music})
        if (strnlen(f, TabTextSize) > 255)
            __builtin_trap();
    if (info.Year != 0 || info.Encoding != teAnsi || stream.Position() > 31 + 6 * 260)
        __builtin_trap();
    return 0;
}
