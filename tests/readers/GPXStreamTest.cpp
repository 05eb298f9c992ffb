#include "readers/GPXStream.h"
#include "BcfzEncoder.h"

#include <gtest/gtest.h>

#include <random>
#include <string_view>

namespace {

// Bytes from a text of '0' and '1' (spaces ignored), each byte filled from bit 7 down.
std::string BitString(std::string_view bits) {
    bcfz::BitWriter w;
    for (char c : bits)
        if (c == '0' || c == '1')
            w.Bit(c == '1');
    return w.Str();
}

struct Decoded {
    std::string content; // every byte readable one at a time
    std::string error;
};

// Decodes a whole "BCFZ" image one byte per read, as the header scan reads.
Decoded Decode(const std::string& image) {
    Decoded r;
    TMemoryTabStream file(image);
    char sig[4];
    file.Read(sig, 4);
    try {
        TGPXStream gpx(file);
        char b;
        while (gpx.Read(&b, 1) == 1)
            r.content.push_back(b);
    } catch (const ETabError& e) {
        r.error = e.what();
    }
    return r;
}

std::string PseudoRandom(size_t n, unsigned seed) {
    std::mt19937 gen(seed);
    std::string s(n, '\0');
    for (char& c : s)
        c = static_cast<char>(gen());
    return s;
}

TEST(BitReader, TakesBitsFromTheTopOfEachByte) {
    const std::string bytes("\x60\x60\x80", 3); // 011 00000, 011 00000, 1 0000000
    TMemoryTabStream s(bytes);
    TBitReader bits(s);
    EXPECT_EQ(bits.ReadBits(3), 3u); // 0,1,1 with the first bit on top
    EXPECT_EQ(bits.ReadBits(5), 0u);
    EXPECT_EQ(bits.ReadBitsReversed(3), 6u); // 0,1,1 with the first bit at the bottom
    EXPECT_EQ(bits.ReadBits(6), 1u);         // five zeros, then the top bit of the third byte
    EXPECT_EQ(bits.ReadBit(), 0u);
    EXPECT_TRUE(bits.AtEnd()); // six bits are left, but no byte
    EXPECT_EQ(bits.ReadBits(6), 0u);
    try {
        bits.ReadBit();
        ADD_FAILURE() << "read past the end";
    } catch (const ETabError& e) {
        EXPECT_STREQ(e.what(), "Cannot read BYTE");
    }
}

TEST(GPXStream, DecodesChunks) {
    const std::string A = "01000001", B = "01000010", C = "01000011";
    struct Case {
        const char* name;
        uint32_t expectedSize;
        std::string bits;
        std::string content;
        std::string error;
    } cases[] = {
        // Count bits come least significant first: 1,0 is a count of 1.
        {"one literal", 1, "0 10" + A, "A", ""},
        {"three literals", 3, "0 11" + A + B + C, "ABC", ""},
        // A first byte 0x80 is a flag 1: a back-reference of word size 0 that adds nothing.
        {"empty chunks", 1, "1 0000  0 00  0 10" + A, "A", ""},
        // Word size 2, offset 2 (bits 0,1), length 2 (bits 0,1).
        {"back-reference", 4, "0 01" + A + B + "1 0010 01 01", "ABAB", ""},
        // Length 5 beyond offset 2 repeats the copied run.
        {"overlapping back-reference", 7, "0 01" + A + B + "1 0011 010 101", "ABABABA", ""},
        {"run of one byte", 5, "0 10" + A + "1 0011 100 001", "AAAAA", ""},
        {"offset zero gives zero bytes", 3, "0 10" + A + "1 0010 00 01", std::string("A\0\0", 3), ""},
        // The last byte's spare bits hold a whole chunk, but the source is exhausted at its start.
        {"chunk in the last byte's spare bits", 2, "0 10" + A + "0 00  0 00  1 0001 1 1", "A", ""},
        {"offset before the start", 4, "0 10" + A + "1 0010 01 10", "", "Corrupted GPX data"},
        {"back-reference past the size", 2, "0 10" + A + "1 0010 10 01", "", "Corrupted GPX data"},
        {"literal past the size", 1, "0 01" + A + B, "", "Corrupted GPX data"},
        {"source ends inside a chunk", 3, "0 11" + A, "", "Cannot read BYTE"},
    };
    for (const Case& c : cases) {
        const Decoded d = Decode(bcfz::Frame(c.expectedSize, BitString(c.bits)));
        EXPECT_EQ(d.error, c.error) << c.name;
        if (c.error.empty()) {
            EXPECT_EQ(d.content, c.content) << c.name;
        }
    }
}

TEST(GPXStream, RefusesBadSizes) {
    EXPECT_EQ(Decode(bcfz::Frame(TGPXStream::MaxExpectedSize + 1, BitString("0 10 01000001"))).error,
              "Corrupted GPX data");
    EXPECT_EQ(Decode(std::string("BCFZ\x05\x00", 6)).error, "Cannot read DWORD");
}

TEST(GPXStream, ShortReadReturnsZeroWithoutMoving) {
    // Three bytes can be decoded although ten are announced.
    const std::string image = bcfz::Frame(10, BitString("0 11 01000001 01000010 01000011"));
    TMemoryTabStream file(image);
    char sig[4];
    file.Read(sig, 4);
    TGPXStream gpx(file);
    char buf[8] = {};
    EXPECT_EQ(gpx.Read(buf, 4), 0u);
    EXPECT_EQ(gpx.Position(), 0u);
    EXPECT_EQ(gpx.Read(buf, 3), 3u);
    EXPECT_EQ(std::string(buf, 3), "ABC");
    EXPECT_EQ(gpx.Read(buf, 1), 0u);
    EXPECT_EQ(gpx.Position(), 3u);
    EXPECT_TRUE(gpx.ReadAvailable().empty());
}

// Decoding ahead must not turn bytes that decode cleanly into a failure: it comes when the bytes
// behind them are needed, by either way of reading.
TEST(GPXStream, FailureBehindGoodBytesWaitsUntilNeeded) {
    bcfz::BitWriter bits;
    bits.Literals("ABC", 3);
    bits.BackReference(100, 4, 7); // before the start
    const std::string image = bcfz::Frame(10, bits.Str());
    for (const bool byRead : {false, true}) {
        TMemoryTabStream file(image);
        char sig[4];
        file.Read(sig, 4);
        TGPXStream gpx(file);
        const std::span<const uint8_t> run = gpx.ReadAvailable();
        EXPECT_EQ(std::string(run.begin(), run.end()), "ABC");
        try {
            char b;
            byRead ? (void)gpx.Read(&b, 1) : (void)gpx.ReadAvailable();
            ADD_FAILURE() << "no failure";
        } catch (const ETabError& e) {
            EXPECT_STREQ(e.what(), "Corrupted GPX data");
        }
    }
}

TEST(BcfzEncoder, RoundTrips) {
    std::string xml;
    while (xml.size() < 300 * 1024)
        xml += GpifScoreXml({"Title " + std::to_string(xml.size()), "Artist", "Album", "", "", "Me"});
    const std::string mixed = xml.substr(0, 20000) + PseudoRandom(5000, 2) + xml.substr(0, 20000);
    struct Case {
        const char* name;
        std::string content;
        bool compresses; // only back-references make the image smaller than the content
    } cases[] = {
        {"empty", "", false},
        {"one byte", "x", false},
        {"short repeat", "abcdabcdabcdabcd", false},
        {"long run", std::string(100000, '\0'), true},
        {"random", PseudoRandom(70000, 1), false},
        {"text with random middle", mixed, true},
        {"large document", xml, true},
    };
    for (const Case& c : cases) {
        const std::string image = BcfzCompress(c.content);
        ASSERT_EQ(image.substr(0, 4), "BCFZ") << c.name;
        TMemoryTabStream file(image);
        char sig[4];
        file.Read(sig, 4);
        TGPXStream gpx(file);
        EXPECT_EQ(gpx.Size(), c.content.size()) << c.name;
        std::string out(c.content.size(), '\0');
        EXPECT_EQ(gpx.Read(out.data(), out.size()), out.size()) << c.name;
        EXPECT_EQ(out, c.content) << c.name;
        char b;
        EXPECT_EQ(gpx.Read(&b, 1), 0u) << c.name;
        if (c.compresses) {
            EXPECT_LT(image.size(), c.content.size() / 4) << c.name;
        }
    }
}

TEST(BcfzEncoder, WrapsScoreInContainer) {
    const std::string xml = GpifScoreXml({"T", "A", "", "", "", ""});
    EXPECT_EQ(GpxFileImage(xml, false), "BCFS" + xml);
    const Decoded d = Decode(GpxFileImage(xml, true));
    EXPECT_EQ(d.error, "");
    EXPECT_EQ(d.content, "BCFS" + xml);
}

} // namespace
