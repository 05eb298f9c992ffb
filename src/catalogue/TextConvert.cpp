#include "catalogue/TextConvert.h"

#include "settings/Translate.h"

#include <cerrno>
#include <iconv.h>

namespace {

const iconv_t NoConverter = reinterpret_cast<iconv_t>(-1);
const char Replacement[] = "\xEF\xBF\xBD";

// Length of the valid UTF-8 sequence at text[i], or 0 when there is none (overlong forms,
// surrogates and code points above U+10FFFF are invalid).
size_t Utf8SequenceLength(std::string_view text, size_t i) {
    const auto byte = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char b0 = byte(i);
    if (b0 < 0x80)
        return 1;
    size_t len;
    unsigned char lo = 0x80, hi = 0xBF;
    if (b0 >= 0xC2 && b0 <= 0xDF)
        len = 2;
    else if (b0 >= 0xE0 && b0 <= 0xEF) {
        len = 3;
        lo = b0 == 0xE0 ? 0xA0 : 0x80;
        hi = b0 == 0xED ? 0x9F : 0xBF;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        len = 4;
        lo = b0 == 0xF0 ? 0x90 : 0x80;
        hi = b0 == 0xF4 ? 0x8F : 0xBF;
    } else
        return 0;
    if (i + len > text.size() || byte(i + 1) < lo || byte(i + 1) > hi)
        return 0;
    for (size_t k = 2; k < len; ++k)
        if ((byte(i + k) & 0xC0) != 0x80)
            return 0;
    return len;
}

void AppendCodePoint(char32_t c, std::string& out) {
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (c >> 18)));
        out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

std::string LanguageCodePage(std::string_view languageCode) {
    const std::string_view lang = languageCode.substr(0, languageCode.find_first_of("_-"));
    struct TRow {
        const char* Languages; // each code between blanks
        const char* CodePage;
    };
    static const TRow Rows[] = {
        {" ru uk be bg sr mk ", "CP1251"},
        {" pl cs sk hu sl hr ro ", "CP1250"},
        {" el ", "CP1253"},
        {" tr ", "CP1254"},
        {" he ", "CP1255"},
        {" ar ", "CP1256"},
        {" lt lv et ", "CP1257"},
        {" th ", "CP874"},
        {" ja ", "CP932"},
        {" ko ", "CP949"},
    };
    if (lang == "zh") {
        const std::string_view region = languageCode.size() > 3 ? languageCode.substr(3) : "";
        return region == "TW" || region == "HK" || region == "MO" || region == "Hant" ? "CP950" : "CP936";
    }
    const std::string key = ' ' + std::string(lang) + ' ';
    if (!lang.empty())
        for (const TRow& row : Rows)
            if (std::string_view(row.Languages).find(key) != std::string_view::npos)
                return row.CodePage;
    return "CP1252";
}

} // namespace

bool IsValidUtf8(std::string_view text) {
    for (size_t i = 0; i < text.size();) {
        const size_t n = Utf8SequenceLength(text, i);
        if (n == 0)
            return false;
        i += n;
    }
    return true;
}

std::string ToValidUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        const size_t n = Utf8SequenceLength(text, i);
        if (n == 0) {
            out += Replacement;
            ++i;
        } else {
            out.append(text.substr(i, n));
            i += n;
        }
    }
    return out;
}

std::string_view TrimControls(std::string_view text) {
    while (!text.empty() && static_cast<unsigned char>(text.front()) <= 32)
        text.remove_prefix(1);
    while (!text.empty() && static_cast<unsigned char>(text.back()) <= 32)
        text.remove_suffix(1);
    return text;
}

std::u16string_view TrimControls(std::u16string_view text) {
    while (!text.empty() && text.front() <= 32)
        text.remove_prefix(1);
    while (!text.empty() && text.back() <= 32)
        text.remove_suffix(1);
    return text;
}

void AppendUtf16AsUtf8(std::u16string_view units, std::string& out) {
    for (size_t i = 0; i < units.size(); ++i) {
        const char16_t u = units[i];
        if (u >= 0xD800 && u <= 0xDBFF && i + 1 < units.size() && units[i + 1] >= 0xDC00 &&
            units[i + 1] <= 0xDFFF) {
            AppendCodePoint(0x10000 + ((char32_t(u) - 0xD800) << 10) + (units[i + 1] - 0xDC00), out);
            ++i;
        } else if (u >= 0xD800 && u <= 0xDFFF) {
            out += Replacement;
        } else {
            AppendCodePoint(u, out);
        }
    }
}

TAnsiDecoder::TAnsiDecoder(const std::string& codePage)
    : Name(codePage.empty() ? LanguageCodePage(CurrentLanguage()) : codePage),
      Cd(iconv_open("UTF-8", Name.c_str())) {
    // An unknown name falls back to the Western code page rather than losing the texts.
    if (Cd == NoConverter) {
        Name = "CP1252";
        Cd = iconv_open("UTF-8", Name.c_str());
    }
}

TAnsiDecoder::~TAnsiDecoder() {
    if (Cd != NoConverter)
        iconv_close(static_cast<iconv_t>(Cd));
}

bool TAnsiDecoder::IsKnownCodePage(const std::string& codePage) {
    const iconv_t cd = iconv_open("UTF-8", codePage.c_str());
    if (cd == NoConverter)
        return false;
    iconv_close(cd);
    return true;
}

void TAnsiDecoder::Decode(std::string_view text, std::string& out) {
    out.clear();
    if (IsValidUtf8(text)) {
        out.append(text);
        return;
    }
    const auto cd = static_cast<iconv_t>(Cd);
    if (cd == NoConverter) {
        for (const char c : text)
            AppendCodePoint(static_cast<unsigned char>(c), out);
        return;
    }
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    char chunk[1024];
    char* in = const_cast<char*>(text.data());
    size_t inLeft = text.size();
    while (inLeft > 0) {
        char* dst = chunk;
        size_t dstLeft = sizeof chunk;
        const size_t rc = iconv(cd, &in, &inLeft, &dst, &dstLeft);
        out.append(chunk, static_cast<size_t>(dst - chunk));
        if (rc != size_t(-1) || errno == E2BIG)
            continue;
        // EILSEQ or EINVAL (a cut multi-byte character): that byte becomes U+FFFD.
        out += Replacement;
        ++in;
        --inLeft;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
}
