#include "readers/GPIF.h"

#include "readers/TabRead.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

// Signatures as little-endian 32-bit values.
constexpr uint32_t SignatureBCFZ = 0x5A464342;
constexpr uint32_t SignatureBCFS = 0x53464342;

constexpr std::string_view CDATAOpen = "<![CDATA[";
constexpr std::string_view CDATAClose = "]]>";

// Finds a pattern in bytes fed one at a time. A failed partial match falls back to the longest
// part of it that can still begin an occurrence, so "<<Score>" holds "<Score>".
class TPatternMatcher {
public:
    explicit TPatternMatcher(std::string_view pattern) : Pattern(pattern), Fallback(pattern.size(), 0) {
        for (size_t i = 1, k = 0; i < Pattern.size(); ++i) {
            while (k > 0 && Pattern[i] != Pattern[k])
                k = Fallback[k - 1];
            if (Pattern[i] == Pattern[k])
                ++k;
            Fallback[i] = k;
        }
    }
    // True while no part of an occurrence has been fed, so bytes up to the pattern's first may be skipped.
    bool Idle() const { return Matched == 0; }
    // True when b completes an occurrence.
    bool Feed(uint8_t b) {
        const char c = static_cast<char>(b);
        while (Matched > 0 && Pattern[Matched] != c)
            Matched = Fallback[Matched - 1];
        if (Pattern[Matched] == c && ++Matched == Pattern.size()) {
            Matched = 0;
            return true;
        }
        return false;
    }

private:
    std::string_view Pattern; // not empty
    std::vector<size_t> Fallback;
    size_t Matched = 0;
};

// Collects the bytes of a value followed by a terminator of tail bytes, keeping no more than the
// value can use.
class TValueBuffer {
public:
    explicit TValueBuffer(size_t tail) : Tail(tail) { Bytes.reserve(GPXValueSize + tail); }
    void Append(uint8_t b) {
        if (Bytes.size() < GPXValueSize + Tail)
            Bytes.push_back(static_cast<char>(b));
        ++Total;
    }
    // The bytes before the terminator: at most GPXValueSize, and none from the first zero byte on.
    std::string Value() {
        const size_t length = Total - Tail;
        Bytes.resize(std::min(length, GPXValueSize));
        const size_t zero = Bytes.find('\0');
        if (zero != std::string::npos)
            Bytes.resize(zero);
        else if (length > GPXValueSize)
            DropPartialUtf8();
        return std::move(Bytes);
    }

private:
    // A cut inside a UTF-8 sequence would leave an invalid character at the end.
    void DropPartialUtf8() {
        size_t i = Bytes.size(), continuation = 0;
        while (i > 0 && continuation < 3 && (static_cast<uint8_t>(Bytes[i - 1]) & 0xC0) == 0x80) {
            --i;
            ++continuation;
        }
        if (i == 0)
            return;
        const auto lead = static_cast<uint8_t>(Bytes[i - 1]);
        const size_t needed = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : 0;
        if (continuation < needed)
            Bytes.resize(i - 1);
    }

    size_t Tail;
    size_t Total = 0;
    std::string Bytes;
};

// The rest of a CDATA section whose opening marker has been read.
std::string ReadCDATABody(TGPXContentReader& in) {
    TPatternMatcher end(CDATAClose);
    TValueBuffer value(CDATAClose.size());
    uint8_t b;
    do {
        b = in.Next();
        value.Append(b);
    } while (!end.Feed(b));
    return value.Value();
}

} // namespace

TGPXContentReader::TGPXContentReader(TTabStream& content)
    : Content(content), Gpx(dynamic_cast<TGPXStream*>(&content)) {}

void TGPXContentReader::Fill() {
    if (Gpx) {
        const std::span<const uint8_t> run = Gpx->ReadAvailable();
        Cur = run.data();
        End = run.data() + run.size();
    } else {
        Cur = Buffer;
        End = Buffer + Content.Read(Buffer, sizeof Buffer);
    }
    if (Cur == End)
        throw ETabError("Unexpected end of GPX content");
}

void TGPXContentReader::SkipTo(uint8_t b) {
    for (;;) {
        if (Cur == End)
            Fill();
        if (const void* found = std::memchr(Cur, b, static_cast<size_t>(End - Cur))) {
            Cur = static_cast<const uint8_t*>(found);
            return;
        }
        Cur = End;
    }
}

std::unique_ptr<TGPXStream> OpenGPXContent(TTabStream& file) {
    uint32_t signature;
    ReadDword(file, signature);
    if (signature == SignatureBCFZ) {
        auto gpx = std::make_unique<TGPXStream>(file);
        // Decompressed, the content is a "BCFS" container like an uncompressed file.
        ReadDword(*gpx, signature);
        if (signature != SignatureBCFS)
            throw ETabError("No BCFS signature in uncompressed GPX");
        return gpx;
    }
    if (signature == SignatureBCFS)
        return nullptr;
    throw ETabError("Not a GPX");
}

void SkipPast(TGPXContentReader& in, std::string_view pattern) {
    if (pattern.empty())
        return;
    TPatternMatcher matcher(pattern);
    for (;;) {
        if (matcher.Idle())
            in.SkipTo(static_cast<uint8_t>(pattern[0]));
        if (matcher.Feed(in.Next()))
            return;
    }
}

std::string ReadCDATA(TGPXContentReader& in) {
    SkipPast(in, CDATAOpen);
    return ReadCDATABody(in);
}

std::string ReadElement(TGPXContentReader& in, std::string_view name) {
    // Appended rather than concatenated: GCC 12 warns falsely (-Wrestrict) about the temporaries.
    const std::string open = std::string("<").append(name).append(">");
    const std::string close = std::string("</").append(name).append(">");
    SkipPast(in, open);
    // Guitar Pro stores each value as a CDATA section; one that stands before the end tag is the
    // value, otherwise the element's own text is.
    TPatternMatcher cdata(CDATAOpen), end(close);
    TValueBuffer text(close.size());
    for (;;) {
        const uint8_t b = in.Next();
        if (cdata.Feed(b)) {
            std::string value = ReadCDATABody(in);
            SkipPast(in, close);
            return value;
        }
        text.Append(b);
        if (end.Feed(b))
            return text.Value();
    }
}

void ScanGPIFHeader(TTabStream& content, GPXHeader& header) {
    TGPXContentReader in(content);
    SkipPast(in, "<GPIF>");
    SkipPast(in, "<Score>");
    header.Title = ReadElement(in, "Title");
    header.Artist = ReadElement(in, "Artist");
    header.Album = ReadElement(in, "Album");
    header.Words = ReadElement(in, "Words");
    header.Music = ReadElement(in, "Music");
    header.WordsAndMusic = ReadElement(in, "WordsAndMusic");
}

void ReadGPXHeader(TTabStream& file, GPXHeader& header) {
    const std::unique_ptr<TGPXStream> gpx = OpenGPXContent(file);
    ScanGPIFHeader(gpx ? *gpx : file, header);
}

void GPXHeaderToTabInfo(const GPXHeader& header, TabInfo& info) {
    ClearTabInfo(info);
    CopyToField(info.Title, TabTextSize, header.Title);
    CopyToField(info.Artist, TabTextSize, header.Artist);
    CopyToField(info.Album, TabTextSize, header.Album);
    // A score by one author for both has only the words-and-music value.
    const bool onlyWordsAndMusic =
        header.Words.empty() && header.Music.empty() && !header.WordsAndMusic.empty();
    CopyToField(info.Words, TabTextSize, onlyWordsAndMusic ? header.WordsAndMusic : header.Words);
    CopyToField(info.Music, TabTextSize, onlyWordsAndMusic ? header.WordsAndMusic : header.Music);
    info.Encoding = teUtf8;
}

void ReadGPXFile(TTabStream& file, TabInfo& info) {
    GPXHeader header;
    ReadGPXHeader(file, header);
    GPXHeaderToTabInfo(header, info);
}
