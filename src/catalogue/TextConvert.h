#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Text conversions of the catalogue: tablature texts arrive as legacy 8-bit code pages, UTF-8 or
// UTF-16LE and are stored as UTF-8.

bool IsValidUtf8(std::string_view text);
// Invalid sequences become U+FFFD, so the result is always valid UTF-8.
std::string ToValidUtf8(std::string_view text);

// Drops leading and trailing characters with a code of 32 or below (blanks and controls).
std::string_view TrimControls(std::string_view text);
std::u16string_view TrimControls(std::u16string_view text);

// UTF-16 code units to UTF-8, appended to out; an unpaired surrogate becomes U+FFFD.
void AppendUtf16AsUtf8(std::u16string_view units, std::string& out);

// Decodes 8-bit texts of one legacy code page with iconv. Not thread-safe; one per thread.
class TAnsiDecoder {
public:
    // codePage as iconv names it ("cp1251"); "" follows the interface language (the Windows code
    // page of that language: CP1251 for "ru", CP950 for "zh_TW", CP1252 for Western ones).
    explicit TAnsiDecoder(const std::string& codePage = "");
    ~TAnsiDecoder();
    TAnsiDecoder(const TAnsiDecoder&) = delete;
    TAnsiDecoder& operator=(const TAnsiDecoder&) = delete;

    // Valid UTF-8 is taken as it is; anything else is decoded from the code page. Bytes the code
    // page does not define become U+FFFD. The result replaces out.
    void Decode(std::string_view text, std::string& out);
    const std::string& CodePage() const { return Name; }

    // True when iconv knows codePage.
    static bool IsKnownCodePage(const std::string& codePage);

private:
    std::string Name;
    void* Cd; // iconv_t, or (iconv_t)-1 when no converter could be opened
};
