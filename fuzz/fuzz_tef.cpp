#include "readers/TablEdit.h"

#include <cstdint>
#include <cstring>

// Any input either fails with ETabError or yields a title and an artist of at most 253 bytes, read from
// no more than the first 2 * 254 bytes.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TMemoryTabStream stream(data, size);
    TabInfo info;
    try {
        ReadTEFFile(stream, info);
    } catch (const ETabError&) {
        return 0;
    }
    if (strnlen(info.Title, TabTextSize) > 253 || strnlen(info.Artist, TabTextSize) > 253 ||
        info.Album[0] != 0 || info.Year != 0 || info.Encoding != teAnsi || stream.Position() > 2 * 254)
        __builtin_trap();
    return 0;
}
