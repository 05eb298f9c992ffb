#pragma once

// Builds Guitar Pro 6 files for tests and benchmarks: a "BCFZ" compressor (greedy matching into
// literal and back-reference chunks) and the wrapping of a GPIF score into a container.

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace bcfz {

// Writes bits into bytes from bit 7 down to bit 0.
class BitWriter {
public:
    void Bit(unsigned b) {
        if (Used == 0)
            Data.push_back(0);
        if (b)
            Data.back() = static_cast<char>(static_cast<uint8_t>(Data.back()) | (0x80u >> Used));
        Used = (Used + 1) & 7u;
    }
    // First bit written is the most significant of the n.
    void Bits(uint32_t v, unsigned n) {
        for (unsigned i = n; i-- > 0;)
            Bit((v >> i) & 1u);
    }
    // First bit written is bit 0.
    void BitsReversed(uint32_t v, unsigned n) {
        for (unsigned i = 0; i < n; ++i)
            Bit((v >> i) & 1u);
    }
    void Literals(const char* bytes, unsigned count) { // count 0 to 3
        Bit(0);
        BitsReversed(count, 2);
        for (unsigned i = 0; i < count; ++i)
            Bits(static_cast<uint8_t>(bytes[i]), 8);
    }
    void BackReference(uint32_t offset, uint32_t length, unsigned wordSize) { // wordSize 0 to 15
        Bit(1);
        Bits(wordSize, 4);
        BitsReversed(offset, wordSize);
        BitsReversed(length, wordSize);
    }
    const std::string& Str() const { return Data; }

private:
    std::string Data;
    unsigned Used = 0;
};

inline unsigned WordSizeFor(uint32_t v) {
    unsigned w = 0;
    while (v >> w)
        ++w;
    return w;
}

// "BCFZ", the content size, then the bit stream.
inline std::string Frame(uint32_t contentSize, const std::string& bits) {
    std::string image = "BCFZ";
    for (int i = 0; i < 4; ++i)
        image.push_back(static_cast<char>((contentSize >> (8 * i)) & 0xFF));
    return image + bits;
}

} // namespace bcfz

// The complete compressed file image of content. Back-references never overlap their source
// (length <= offset), so the image decodes the same whichever way a decoder treats overlaps. Every
// chunk that adds bytes is longer than 8 bits, so none can hide in the last byte's spare bits.
inline std::string BcfzCompress(const std::string& content) {
    constexpr size_t MinMatch = 4;
    constexpr size_t MaxWord = 32767; // 15-bit offsets and lengths
    constexpr unsigned HashBits = 15;
    constexpr int ChainDepth = 32;
    const auto* data = reinterpret_cast<const uint8_t*>(content.data());
    const size_t n = content.size();
    std::vector<int32_t> head(size_t{1} << HashBits, -1);
    std::vector<int32_t> prev(n, -1);
    auto hash = [&](size_t i) {
        uint32_t v;
        std::memcpy(&v, data + i, 4);
        return (v * 2654435761u) >> (32 - HashBits);
    };
    auto insert = [&](size_t i) {
        if (i + MinMatch <= n) {
            const uint32_t h = hash(i);
            prev[i] = head[h];
            head[h] = static_cast<int32_t>(i);
        }
    };

    bcfz::BitWriter out;
    size_t literalStart = 0; // pending literals run from here to i
    auto flushLiterals = [&](size_t end) {
        while (literalStart < end) {
            const unsigned count = static_cast<unsigned>(std::min<size_t>(3, end - literalStart));
            out.Literals(content.data() + literalStart, count);
            literalStart += count;
        }
    };

    size_t i = 0;
    while (i < n) {
        size_t bestLen = 0, bestOffset = 0;
        if (i + MinMatch <= n) {
            const size_t maxLen = std::min(n - i, MaxWord);
            int32_t cand = head[hash(i)];
            for (int depth = 0; depth < ChainDepth && cand >= 0 && i - cand <= MaxWord; ++depth) {
                const size_t offset = i - static_cast<size_t>(cand);
                const size_t limit = std::min(maxLen, offset);
                size_t len = 0;
                while (len < limit && data[cand + len] == data[i + len])
                    ++len;
                if (len > bestLen) {
                    bestLen = len;
                    bestOffset = offset;
                    if (len == maxLen)
                        break;
                }
                cand = prev[cand];
            }
        }
        if (bestLen >= MinMatch) {
            flushLiterals(i);
            const auto offset = static_cast<uint32_t>(bestOffset), length = static_cast<uint32_t>(bestLen);
            out.BackReference(offset, length, bcfz::WordSizeFor(std::max(offset, length)));
            for (size_t k = 0; k < bestLen; ++k)
                insert(i + k);
            i += bestLen;
            literalStart = i;
        } else {
            insert(i);
            ++i;
        }
    }
    flushLiterals(n);
    return bcfz::Frame(static_cast<uint32_t>(n), out.Str());
}

// The score's fields; each is written as a CDATA section.
struct GpifScore {
    std::string Title, Artist, Album, Words, Music, WordsAndMusic;
};

// A GPIF document shaped like the ones Guitar Pro 6 writes; extra goes inside <Score> after the
// six elements (more elements, or filler to make the document large).
inline std::string GpifScoreXml(const GpifScore& s, const std::string& extra = {}) {
    auto element = [](const char* name, const std::string& value) {
        return std::string("\t\t<") + name + "><![CDATA[" + value + "]]></" + name + ">\n";
    };
    return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<GPIF>\n\t<GPVersion>6.1.9</GPVersion>\n"
           "\t<GPRevision required=\"12021\" recommended=\"12023\">12025</GPRevision>\n\t<Score>\n" +
           element("Title", s.Title) + element("SubTitle", "") + element("Artist", s.Artist) +
           element("Album", s.Album) + element("Words", s.Words) + element("Music", s.Music) +
           element("WordsAndMusic", s.WordsAndMusic) + element("Copyright", "") + extra +
           "\t</Score>\n\t<MasterTrack />\n</GPIF>\n";
}

// The container content: the reader does not interpret the file system behind "BCFS", it only
// searches the bytes, so the score follows the signature.
inline std::string GpxContent(const std::string& scoreXml) {
    return "BCFS" + scoreXml;
}

// A whole ".gpx" file holding scoreXml, stored as "BCFS" or compressed as "BCFZ".
inline std::string GpxFileImage(const std::string& scoreXml, bool compressed) {
    const std::string content = GpxContent(scoreXml);
    return compressed ? BcfzCompress(content) : content;
}
