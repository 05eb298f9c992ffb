#include "readers/GPIF.h"

#include <cstdint>
#include <cstring>

// Any input either fails with ETabError or yields UTF-8 records whose values fit the 510-byte cap.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TMemoryTabStream stream(data, size);
    TabInfo info;
    try {
        ReadGPXFile(stream, info);
    } catch (const ETabError&) {
        return 0;
    }
    for (const char* f : {info.Title, info.Artist, info.Album, info.Words, info.Music})
        if (strnlen(f, TabTextSize) > GPXValueSize)
            __builtin_trap();
    if (info.Year != 0 || info.Encoding != teUtf8)
        __builtin_trap();
    return 0;
}
