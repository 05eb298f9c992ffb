#include "BcfzEncoder.h"
#include "readers/GPIF.h"
#include "readers/TabFormats.h"
#include "readers/TabRead.h"

#include <gtest/gtest.h>

#include <random>

namespace {

std::string El(const std::string& name, const std::string& value) {
    return "<" + name + "><![CDATA[" + value + "]]></" + name + ">";
}

std::string Six(const std::string& title, const std::string& artist, const std::string& album,
                const std::string& words, const std::string& music, const std::string& wordsAndMusic) {
    return El("Title", title) + El("Artist", artist) + El("Album", album) + El("Words", words) +
           El("Music", music) + El("WordsAndMusic", wordsAndMusic);
}

std::string Doc(const std::string& scoreBody) {
    return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<GPIF>\n<Score>\n" + scoreBody +
           "\n</Score>\n</GPIF>\n";
}

std::string ErrorOf(const std::string& image) {
    TMemoryTabStream s(image);
    TabInfo info;
    try {
        ReadGPXFile(s, info);
    } catch (const ETabError& e) {
        return e.what();
    }
    return "";
}

// "BCFZ" image whose announced content size is size, whatever the bit stream decodes to.
std::string WithSize(std::string image, uint32_t size) {
    for (int i = 0; i < 4; ++i)
        image[4 + i] = static_cast<char>((size >> (8 * i)) & 0xFF);
    return image;
}

TEST(GPX, ReadsScoreHeader) {
    std::string e;
    for (int i = 0; i < 300; ++i)
        e += "é";
    struct Case {
        const char* name;
        std::string xml;
        std::string title, artist, album, words, music;
    } cases[] = {
        {"all six", Doc(Six("Song", "Band", "Record", "Poet", "Composer", "Both")), "Song", "Band", "Record",
         "Poet", "Composer"},
        {"the shape Guitar Pro writes", GpifScoreXml({"Song", "Band", "Record", "Poet", "Composer", ""}),
         "Song", "Band", "Record", "Poet", "Composer"},
        {"other elements between",
         Doc("<SubTitle><![CDATA[Sub]]></SubTitle>\n" + El("Title", "Song") + "<Notices />\n\t" +
             El("Artist", "Band") + "<Tracks><Track><Name><![CDATA[x]]></Name></Track></Tracks>" +
             El("Album", "Record") + El("Words", "W") + El("Instructions", "i") + El("Music", "M") +
             El("WordsAndMusic", "")),
         "Song", "Band", "Record", "W", "M"},
        {"empty values", Doc(Six("", "", "", "", "", "")), "", "", "", "", ""},
        {"words and music only", Doc(Six("T", "", "", "", "", "Both")), "T", "", "", "Both", "Both"},
        {"words beat words and music", Doc(Six("T", "", "", "W", "", "Both")), "T", "", "", "W", ""},
        {"music beats words and music", Doc(Six("T", "", "", "", "M", "Both")), "T", "", "", "", "M"},
        {"UTF-8 kept as stored", Doc(Six("Мой путь", "日本語のバンド", "Ça va", "", "", "")), "Мой путь",
         "日本語のバンド", "Ça va", "", ""},
        // Cut to 510 bytes; a character the cut splits is dropped whole.
        {"long values cut", Doc(Six(std::string(600, 'x'), "a" + e, e.substr(0, 510), "", "", "")),
         std::string(510, 'x'), "a" + e.substr(0, 508), e.substr(0, 510), "", ""},
        {"value ends at a zero byte", Doc(Six(std::string("ab\0cd", 5), "A", "", "", "", "")), "ab", "A", "",
         "", ""},
        {"brackets inside and before the close", Doc(Six("a]>]>b", "x]", "[]]", "", "", "")), "a]>]>b", "x]",
         "[]]", "", ""},
        {"CDATA among whitespace",
         Doc("<Title>\n  <![CDATA[Song]]>\n</Title>" + El("Artist", "Band") + El("Album", "") +
             El("Words", "") + El("Music", "") + El("WordsAndMusic", "")),
         "Song", "Band", "", "", ""},
        // An element without CDATA has its text as value and does not take its neighbour's.
        {"elements without CDATA",
         Doc("<Title>Plain</Title><Artist></Artist>" + El("Album", "Record") +
             "<Words>W</Words><Music></Music><WordsAndMusic></WordsAndMusic>"),
         "Plain", "", "Record", "W", ""},
        {"tag right behind a stray bracket", "<<GPIF><<Score><" + Six("Song", "Band", "", "", "", ""), "Song",
         "Band", "", "", ""},
    };
    for (const Case& c : cases) {
        for (const bool compressed : {false, true}) {
            const std::string image = GpxFileImage(c.xml, compressed);
            TMemoryTabStream s(image);
            TabInfo info;
            info.Year = 7;
            try {
                ReadGPXFile(s, info);
            } catch (const ETabError& err) {
                ADD_FAILURE() << c.name << (compressed ? " (BCFZ): " : ": ") << err.what();
                continue;
            }
            SCOPED_TRACE(std::string(c.name) + (compressed ? " (BCFZ)" : ""));
            EXPECT_EQ(std::string(info.Title), c.title);
            EXPECT_EQ(std::string(info.Artist), c.artist);
            EXPECT_EQ(std::string(info.Album), c.album);
            EXPECT_EQ(std::string(info.Words), c.words);
            EXPECT_EQ(std::string(info.Music), c.music);
            EXPECT_EQ(info.Encoding, teUtf8);
            EXPECT_EQ(info.Year, 0);
        }
    }
}

TEST(GPX, RefusesBrokenFiles) {
    const std::string good = Doc(Six("T", "A", "", "", "", ""));
    const std::string goodBcfz = GpxFileImage(good, true);

    bcfz::BitWriter truncatedChunk; // the last literal chunk announces three bytes and holds one
    truncatedChunk.Literals("BCF", 3);
    truncatedChunk.Literals("S<G", 3);
    truncatedChunk.Bit(0);
    truncatedChunk.BitsReversed(3, 2);
    truncatedChunk.Bits('I', 8);
    bcfz::BitWriter beforeStart; // a back-reference to 100 bytes back after 4 bytes
    beforeStart.Literals("BCF", 3);
    beforeStart.Literals("S", 1);
    beforeStart.BackReference(100, 4, 7);

    struct Case {
        const char* name;
        std::string image;
        std::string error;
    } cases[] = {
        {"empty file", "", "Cannot read DWORD"},
        {"three bytes", "BCF", "Cannot read DWORD"},
        {"other signature", "bcfs" + good, "Not a GPX"},
        {"compressed content not BCFS", BcfzCompress("BCFX" + good), "No BCFS signature in uncompressed GPX"},
        {"compressed content of three bytes", BcfzCompress("BCF"), "Cannot read DWORD"},
        {"compressed data ends inside a chunk", bcfz::Frame(20, truncatedChunk.Str()), "Cannot read BYTE"},
        {"back-reference before the start", bcfz::Frame(200, beforeStart.Str()), "Corrupted GPX data"},
        {"content size over the limit", WithSize(goodBcfz, TGPXStream::MaxExpectedSize + 1),
         "Corrupted GPX data"},
        {"chunks beyond the content size", WithSize(goodBcfz, 31), "Corrupted GPX data"},
        {"no GPIF", "BCFS<Score>" + Six("T", "A", "", "", "", ""), "Unexpected end of GPX content"},
        {"no Score", "BCFS<GPIF>" + Six("T", "A", "", "", "", ""), "Unexpected end of GPX content"},
        {"no WordsAndMusic",
         "BCFS" +
             Doc(El("Title", "T") + El("Artist", "A") + El("Album", "") + El("Words", "") + El("Music", "")),
         "Unexpected end of GPX content"},
        {"elements out of order",
         "BCFS" + Doc(El("Artist", "A") + El("Title", "T") + El("Album", "") + El("Words", "") +
                      El("Music", "") + El("WordsAndMusic", "")),
         "Unexpected end of GPX content"},
        {"CDATA never closed", "BCFS<GPIF><Score><Title><![CDATA[" + std::string(2000, 'x'),
         "Unexpected end of GPX content"},
        {"end tag missing", "BCFS<GPIF><Score><Title><![CDATA[T]]>", "Unexpected end of GPX content"},
        {"compressed data ends before the header", WithSize(BcfzCompress("BCFS<GPIF><Sco"), 5000),
         "Unexpected end of GPX content"},
        {"compressed content ends before the header", BcfzCompress("BCFS" + good.substr(0, good.size() / 2)),
         "Unexpected end of GPX content"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ErrorOf(c.image), c.error) << c.name;
}

TEST(GPX, DecompressesOnlyUpToTheHeader) {
    std::mt19937 gen(7);
    std::string filler(2 << 20, '\0');
    for (char& ch : filler)
        ch = static_cast<char>(gen());
    const std::string image = GpxFileImage(GpifScoreXml({"Song", "Band", "", "", "", ""}) + filler, true);
    ASSERT_GT(image.size(), 2u << 20);
    TMemoryTabStream s(image);
    TabInfo info;
    ReadGPXFile(s, info);
    EXPECT_EQ(std::string(info.Title), "Song");
    EXPECT_LT(s.Position(), 16u * 1024);
}

TEST(GPX, DispatchedForGuitarProFlag) {
    const TTabFormat* f = FindTabFormat(".gpx", ttGuitarPro);
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->Read, &ReadGPXFile);
    EXPECT_EQ(FindTabFormat(".gpx", ttAll & ~ttGuitarPro), nullptr);
}

} // namespace
