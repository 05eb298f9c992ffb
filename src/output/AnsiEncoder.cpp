#include "output/AnsiEncoder.h"

#include <algorithm>
#include <cerrno>
#include <iconv.h>

#include "output/Utf8.h"
#include "readers/TabInfo.h"

namespace {

iconv_t Descriptor(void* cd) {
    return static_cast<iconv_t>(cd);
}

// Bytes to skip at an input position iconv refused: one whole character, or one stray byte.
size_t RefusedLength(const char* p, size_t n) {
    char32_t cp;
    size_t len = DecodeUtf8(reinterpret_cast<const unsigned char*>(p), n, cp);
    return len ? len : 1;
}

bool IsAscii(std::string_view s) {
    return std::all_of(s.begin(), s.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

} // namespace

TAnsiEncoder::TAnsiEncoder(const std::string& codePage) {
    iconv_t cd = iconv_open(codePage.c_str(), "UTF-8");
    if (cd == reinterpret_cast<iconv_t>(-1))
        throw EQuiravelError("Unknown code page \"" + codePage + "\"");
    Cd = cd;
}

TAnsiEncoder::~TAnsiEncoder() {
    iconv_close(Descriptor(Cd));
}

void TAnsiEncoder::Encode(std::string_view utf8, std::string& out, size_t maxBytes) {
    if (IsAscii(utf8)) {
        out.assign(utf8.substr(0, maxBytes));
        return;
    }
    iconv(Descriptor(Cd), nullptr, nullptr, nullptr, nullptr);
    // Every code page here needs at most as many bytes as UTF-8; the buffer grows if one does not.
    out.resize(std::min(maxBytes, utf8.size()));
    char* in = const_cast<char*>(utf8.data());
    size_t inLeft = utf8.size();
    size_t used = 0;
    while (inLeft > 0) {
        char* dst = out.data() + used;
        size_t room = out.size() - used;
        size_t r = iconv(Descriptor(Cd), &in, &inLeft, &dst, &room);
        used = out.size() - room;
        if (r != static_cast<size_t>(-1))
            break;
        bool full = errno == E2BIG || used == out.size();
        if (full && out.size() >= maxBytes)
            break;
        if (full) {
            out.resize(std::min(maxBytes, out.size() * 2 + 4));
            continue;
        }
        // EILSEQ (unmappable or malformed) or EINVAL (cut sequence at the end).
        out[used++] = '?';
        size_t skip = std::min(inLeft, RefusedLength(in, inLeft));
        in += skip;
        inLeft -= skip;
    }
    out.resize(used);
}
