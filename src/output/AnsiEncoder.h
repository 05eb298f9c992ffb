#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Converts UTF-8 text into a legacy (ASCII-compatible) code page, the counterpart of TAnsiDecoder.
// A character the code page lacks becomes "?", and so does each byte that is not part of
// well-formed UTF-8.
//
// Thread safety: one encoder per thread (it holds an iconv descriptor).
class TAnsiEncoder {
public:
    // codePage as iconv names it ("CP1251"). Raises EQuiravelError when iconv cannot convert into it.
    explicit TAnsiEncoder(const std::string& codePage);
    ~TAnsiEncoder();
    TAnsiEncoder(const TAnsiEncoder&) = delete;
    TAnsiEncoder& operator=(const TAnsiEncoder&) = delete;

    // Replaces out with the converted text, at most maxBytes long and cut between characters.
    void Encode(std::string_view utf8, std::string& out, size_t maxBytes);

private:
    void* Cd;
};
