#include "readers/GuitarPro.h"
#include "ByteBuilder.h"
#include "ReaderTestSupport.h"
#include "readers/TabFormats.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

namespace {

// Length byte (ignored by the reader) and the 30-byte version text, padded with zeros.
std::string VersionBlock(std::string_view text, uint8_t lengthByte) {
    ByteBuilder b;
    b.Byte(lengthByte).Bytes(text.substr(0, 30)).Fill(30 - std::min<size_t>(text.size(), 30));
    return b.Str();
}
std::string VersionBlock(std::string_view text) {
    return VersionBlock(text, static_cast<uint8_t>(text.size()));
}

// Versions 1-2: size byte B = 1 + data, text length byte, data (the text plus padding).
std::string GP12(std::string_view text, size_t padding = 0) {
    return ByteBuilder()
        .Byte(static_cast<uint8_t>(1 + text.size() + padding))
        .ByteString(text)
        .Fill(padding, 'p')
        .Str();
}

// Versions 3-5: size dword S = 1 + data, text length byte, data (the text plus padding).
std::string GP345(std::string_view text, size_t padding = 0) {
    return ByteBuilder()
        .Dword(static_cast<uint32_t>(1 + text.size() + padding))
        .ByteString(text)
        .Fill(padding, 'p')
        .Str();
}

const std::string V1 = VersionBlock("FICHIER GUITARE PRO v1.04");
const std::string V2 = VersionBlock("FICHIER GUITAR PRO v2.21");
const std::string V3 = VersionBlock("FICHIER GUITAR PRO v3.00");
const std::string V4 = VersionBlock("FICHIER GUITAR PRO v4.06");
const std::string V5 = VersionBlock("FICHIER GUITAR PRO v5.00");
const std::string Music = "\x01\x02\x03 music that must never be read";

struct GoodCase {
    const char* name;
    std::string bytes;
    size_t headerEnd; // where the stream must stand afterwards
    std::string title, artist, album, words, music;
};

// Sets every byte of info to garbage so that fields the reader must clear are seen.
TabInfo DirtyInfo() {
    TabInfo info;
    std::memset(&info, 'Z', sizeof info);
    return info;
}

// The field's bytes up to its last non-zero byte: the text, and whatever else is left in the field.
std::string Filled(const char* f) {
    const std::string all(f, TabTextSize);
    const size_t last = all.find_last_not_of('\0');
    return last == std::string::npos ? std::string() : all.substr(0, last + 1);
}

TEST(GuitarPro, ReadsGoodHeaders) {
    const std::string v5Blocks = GP345("Title5") + GP345("Subtitle") + GP345("Artist5") + GP345("Album5") +
                                 GP345("Words5") + GP345("Music5");
    const std::string v34Blocks = GP345("T", 3) + GP345("second") + GP345("A") + GP345("Al") + GP345("fifth");
    const std::string longText(255, 'L');
    const std::string s0Blocks =
        GP345("T") + ByteBuilder().Dword(0).Str() + GP345("A") + GP345("B") + GP345("M");
    const std::string s256Blocks = GP345("T") + GP345("x") + GP345(longText) + GP345("B") + GP345("M");
    // N = 10 but only 3 data bytes: the text keeps those 3 and the next block is read where it starts.
    const std::string cutBlocks = GP345("T") + GP345("x") +
                                  ByteBuilder().Dword(4).Byte(10).Bytes("abc").Str() + GP345("B") +
                                  GP345("M");
    const std::string gp12Cut = ByteBuilder().Byte(3).Byte(200).Bytes("xy").Str() + GP12("Artist");

    GoodCase cases[] = {
        {"v1", V1 + GP12("Title1", 4) + GP12("Artist1") + Music, 31 + 12 + 9, "Title1", "Artist1", "", "",
         ""},
        {"v2", V2 + GP12("Title2") + GP12("Artist2", 2) + Music, 31 + 8 + 11, "Title2", "Artist2", "", "",
         ""},
        {"v3", V3 + v34Blocks + Music, 31 + v34Blocks.size(), "T", "A", "Al", "", "fifth"},
        {"v4", V4 + v34Blocks + Music, 31 + v34Blocks.size(), "T", "A", "Al", "", "fifth"},
        {"L4", VersionBlock("FICHIER GUITAR PRO L4.06") + v34Blocks, 31 + v34Blocks.size(), "T", "A", "Al",
         "", "fifth"},
        {"v5", V5 + v5Blocks + Music, 31 + v5Blocks.size(), "Title5", "Artist5", "Album5", "Words5",
         "Music5"},
        // Only the prefix counts, and the length byte at offset 0 plays no part.
        {"prefix only", VersionBlock("FICHIER GUITARE PRO v1\xff junk junk") + GP12("T") + GP12("A"), 31 + 6,
         "T", "A", "", "", ""},
        {"wrong length byte", VersionBlock("FICHIER GUITAR PRO v5.10", 255) + v5Blocks, 31 + v5Blocks.size(),
         "Title5", "Artist5", "Album5", "Words5", "Music5"},
        {"S = 0", V3 + s0Blocks, 31 + s0Blocks.size(), "T", "A", "B", "", "M"},
        {"S = 256", V4 + s256Blocks, 31 + s256Blocks.size(), "T", longText, "B", "", "M"},
        {"B = 0", V2 + ByteBuilder().Byte(0).Str() + GP12("Artist") + Music, 31 + 1 + 8, "", "Artist", "", "",
         ""},
        {"N > data, GP345", V3 + cutBlocks, 31 + cutBlocks.size(), "T", "abc", "B", "", "M"},
        {"N > data, GP12", V1 + gp12Cut + Music, 31 + gp12Cut.size(), "xy", "Artist", "", "", ""},
    };
    for (const GoodCase& c : cases) {
        SCOPED_TRACE(c.name);
        TMemoryTabStream stream(c.bytes);
        TabInfo info = DirtyInfo();
        info.FileDate = 77;
        ASSERT_NO_THROW(ReadGPFile(stream, info));
        EXPECT_EQ(stream.Position(), c.headerEnd);
        EXPECT_EQ(Filled(info.Title), c.title);
        EXPECT_EQ(Filled(info.Artist), c.artist);
        EXPECT_EQ(Filled(info.Album), c.album);
        EXPECT_EQ(Filled(info.Words), c.words);
        EXPECT_EQ(Filled(info.Music), c.music);
        EXPECT_EQ(info.Year, 0);
        EXPECT_EQ(info.Encoding, teAnsi);
        EXPECT_EQ(info.FileSize, 0);
        EXPECT_EQ(info.FileName[0], '\0');
        EXPECT_EQ(info.FileDate, 77u);
    }
}

TEST(GuitarPro, RefusesBrokenHeaders) {
    const std::string v4Four = GP345("T") + GP345("x") + GP345("A") + GP345("B");
    struct BadCase {
        const char* name;
        std::string bytes;
        const char* message;
    } cases[] = {
        {"empty file", "", "Cannot read BYTE"},
        {"10 bytes", V5.substr(0, 10), "Cannot read GP Header"},
        {"30 bytes", V5.substr(0, 30), "Cannot read GP Header"},
        {"v1 spelled GUITAR", VersionBlock("FICHIER GUITAR PRO v1.04") + GP12("T") + GP12("A"),
         "Not a GP or version unsupported"},
        {"v6", VersionBlock("FICHIER GUITAR PRO v6.00"), "Not a GP or version unsupported"},
        {"lower case", VersionBlock("fichier guitar pro v5.00"), "Not a GP or version unsupported"},
        {"prefix cut short", VersionBlock("FICHIER GUITAR PRO v"), "Not a GP or version unsupported"},
        {"GP12 size byte missing", V1 + GP12("T"), "Cannot read BYTE"},
        {"GP12 length byte missing", V2 + ByteBuilder().Byte(5).Str(), "Cannot read BYTE"},
        {"GP12 data short", V1 + GP12("T") + ByteBuilder().Byte(10).Byte(9).Bytes("Artis").Str(),
         "Cannot read GP12 block"},
        {"GP345 size short", V3 + ByteBuilder().Word(0).Byte(0).Str(), "Cannot read DWORD"},
        {"GP345 length byte missing", V4 + ByteBuilder().Dword(5).Str(), "Cannot read BYTE"},
        {"S = 257", V3 + ByteBuilder().Dword(257).Byte(255).Fill(256, 'x').Str(), "GP345 block too long"},
        {"S = 2^31", V5 + GP345("T") + ByteBuilder().Dword(0x80000000u).Str(), "GP345 block too long"},
        {"S = 2^32 - 1", V4 + ByteBuilder().Dword(0xFFFFFFFFu).Fill(300, 'x').Str(), "GP345 block too long"},
        {"GP345 data short", V4 + GP345("T") + ByteBuilder().Dword(200).Byte(199).Fill(100, 'x').Str(),
         "Cannot read GP345 block"},
        {"v3 fifth block missing", V3 + v4Four, "Cannot read DWORD"},
        {"v5 sixth block missing", V5 + v4Four + GP345("W"), "Cannot read DWORD"},
    };
    for (const BadCase& c : cases) {
        SCOPED_TRACE(c.name);
        // Nothing reaches the record of a file that fails.
        ExpectBrokenFile(&ReadGPFile, c.bytes, c.message);
    }
}

TEST(GuitarPro, HeaderKeepsTheDiscardedSlot) {
    const std::string bytes = V3 + GP345("T") + GP345("x") + GP345("A") + GP345("B") + GP345("M");
    TMemoryTabStream stream(bytes);
    GPHeader header;
    ReadGPHeader(stream, header);
    EXPECT_EQ(header.Version, 3);
    EXPECT_STREQ(header.Slots[1], "x");
    EXPECT_EQ(header.Slots[4][0], '\0');
}

TEST(GuitarPro, DispatchedByExtensionWhenTheFamilyIsAccepted) {
    for (const char* ext : {".gtp", ".gp3", ".gp4", ".gp5"}) {
        SCOPED_TRACE(ext);
        ExpectDispatched(ext, ttGuitarPro, &ReadGPFile);
    }
}

} // namespace
