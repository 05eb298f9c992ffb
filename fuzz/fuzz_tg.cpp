#include "readers/TuxGuitar.h"

#include <cstdint>

namespace {

// A field holds at most 254 units, so its first zero unit is at byte 508 at the latest.
bool Terminated(const char* field) {
    for (size_t i = 0; i <= 508; i += 2)
        if (field[i] == 0 && field[i + 1] == 0)
            return true;
    return false;
}

} // namespace

// Any input either fails with ETabError or yields terminated UTF-16 fields, no words, year 0, and a read
// that stops after five strings of at most 1 + 508 bytes.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TMemoryTabStream stream(data, size);
    TabInfo info;
    try {
        ReadTGFile(stream, info);
    } catch (const ETabError&) {
        return 0;
    }
    for (const char* f : {info.Title, info.Artist, info.Album, info.Music})
        if (!Terminated(f))
            __builtin_trap();
    if (info.Words[0] != 0 || info.Year != 0 || info.Encoding != teUtf16 || stream.Position() > 5 * 509)
        __builtin_trap();
    return 0;
}
