#pragma once

#include <cstddef>

// Length of the well-formed UTF-8 sequence at p (at most n bytes available), with its code point
// in cp; 0 when the bytes there are not one (stray continuation, overlong form, surrogate, cut).
inline size_t DecodeUtf8(const unsigned char* p, size_t n, char32_t& cp) {
    if (n == 0)
        return 0;
    unsigned char b = p[0];
    if (b < 0x80) {
        cp = b;
        return 1;
    }
    size_t len;
    char32_t min;
    if (b >= 0xC2 && b <= 0xDF) {
        len = 2, min = 0x80, cp = b & 0x1F;
    } else if (b >= 0xE0 && b <= 0xEF) {
        len = 3, min = 0x800, cp = b & 0x0F;
    } else if (b >= 0xF0 && b <= 0xF4) {
        len = 4, min = 0x10000, cp = b & 0x07;
    } else {
        return 0;
    }
    if (n < len)
        return 0;
    for (size_t i = 1; i < len; ++i) {
        if ((p[i] & 0xC0) != 0x80)
            return 0;
        cp = (cp << 6) | (p[i] & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return 0;
    return len;
}
