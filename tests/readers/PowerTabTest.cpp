#include "readers/PowerTab.h"
#include "ByteBuilder.h"
#include "ReaderTestSupport.h"
#include "readers/TabFormats.h"

#include <gtest/gtest.h>

namespace {

ByteBuilder Ptb(uint16_t version) {
    return ByteBuilder().Bytes("ptab").Word(version);
}

// Version 1-3 body; version 3 has one string fewer before the year.
ByteBuilder Classic(uint16_t version, uint8_t albumFlag, uint16_t year, uint8_t creditsFlag) {
    ByteBuilder b = Ptb(version);
    b.ByteString("Title").ByteString("Artist").Byte(albumFlag).ByteString("Album").Byte(0x33);
    b.ByteString("Music").ByteString("Words").ByteString("x8");
    if (version < 3)
        b.ByteString("x9");
    return b.Word(year).Byte(creditsFlag);
}

ByteBuilder Song() {
    return Ptb(4).Byte(0).Byte(0x44).ByteString("Title").ByteString("Artist");
}

struct Good {
    const char* name;
    std::string bytes;
    const char* title;
    const char* artist;
    const char* album;
    int32_t year;
    const char* words;
    const char* music;
};

const std::string Long(254, 'L');
// Bytes after the header that a reader must leave alone.
const std::string Tail = "\xFF\xFF\xFF";
// Credits kind 0: music, then words.
const std::string Credits = ByteBuilder().Byte(0).ByteString("M").ByteString("W").Str();

const Good GoodFiles[] = {
    {"v1", Classic(1, 0, 1999, 0).Str(), "Title", "Artist", "Album", 1999, "Words", "Music"},
    {"v2NoAlbumNoCredits", Classic(2, 10, 1999, 1).Str(), "Title", "Artist", "", 0, "", ""},
    {"v3YearWithoutSign", Classic(3, 0, 0xFFFF, 0).Str(), "Title", "Artist", "Album", 65535, "Words",
     "Music"},
    {"v3NoAlbum", Classic(3, 10, 2001, 0).Str(), "Title", "Artist", "", 0, "Words", "Music"},
    {"songRelease0", Song().Byte(0).Byte(1).ByteString("Album").Word(1984).Byte(0).Str() + Credits, "Title",
     "Artist", "Album", 1984, "W", "M"},
    {"songRelease1", Song().Byte(1).ByteString("Album").Byte(1).Str() + Credits, "Title", "Artist", "Album",
     0, "W", "M"},
    {"songRelease2YearIsLastWord",
     Song().Byte(2).ByteString("Album").Word(12).Word(31).Word(1977).Str() + Credits, "Title", "Artist",
     "Album", 1977, "W", "M"},
    {"songOtherReleaseHasNoBlock", Song().Byte(7).Str() + Credits, "Title", "Artist", "", 0, "W", "M"},
    {"songNoCredits", Song().Byte(1).ByteString("Album").Byte(0).Byte(1).Str(), "Title", "Artist", "Album", 0,
     "", ""},
    {"lessonArtistIsThirdString",
     Ptb(4).Byte(1).ByteString("Lesson").ByteString("Sub").Word(3).Byte(2).ByteString("Teacher").Str(),
     "Lesson", "Teacher", "", 0, "", ""},
    {"254ByteTitle", Ptb(4).Byte(0).Byte(0).ByteString(Long).ByteString("A").Byte(9).Byte(1).Str(),
     Long.c_str(), "A", "", 0, "", ""},
};

TEST(PowerTab, GoodFiles) {
    for (const Good& g : GoodFiles) {
        SCOPED_TRACE(g.name);
        const TabInfo info = ReadGoodFile(&ReadPTBFile, g.bytes, Tail);
        EXPECT_STREQ(info.Title, g.title);
        EXPECT_STREQ(info.Artist, g.artist);
        EXPECT_STREQ(info.Album, g.album);
        EXPECT_EQ(info.Year, g.year);
        EXPECT_STREQ(info.Words, g.words);
        EXPECT_STREQ(info.Music, g.music);
        EXPECT_EQ(info.Encoding, teAnsi);
        EXPECT_EQ(info.FileName[0], '\0');
    }
}

struct Broken {
    std::string bytes;
    const char* error;
};

const Broken BrokenFiles[] = {
    {"", "Cannot read DWORD"},
    {"pta", "Cannot read DWORD"},
    // The version is read before the signature is examined.
    {"xxxx\x01", "Cannot read WORD"},
    {ByteBuilder().Bytes("PTAB").Word(1).Str(), "Not a PTB"},
    {Ptb(0).Str(), "PTB header: version unknown"},
    {Ptb(5).Str(), "PTB header: version unknown"},
    {Ptb(4).Byte(2).Str(), "Not a song/lesson"},
    {Ptb(4).Str(), "Cannot read BYTE"},
    {Ptb(1).ByteString("T").ByteString("A").Str(), "Cannot read BYTE"},
    {Ptb(1).Str(), "Cannot read string length"},
    {Ptb(1).Byte(255).Fill(300, 'x').Str(), "String too long"},
    {Ptb(1).Byte(10).Bytes("short").Str(), "Cannot read string"},
    {Classic(2, 0, 0, 0).Str().substr(0, Classic(2, 0, 0, 0).Size() - 2), "Cannot read WORD"},
    {Song().Byte(2).ByteString("Album").Word(1).Word(2).Str(), "Cannot read WORD"},
    {Song().Byte(0).Byte(0).ByteString("Album").Word(1).Str(), "Cannot read BYTE"},
    {Song().Byte(7).Str(), "Cannot read BYTE"},
    {Song().Byte(7).Byte(0).ByteString("M").Str(), "Cannot read string length"},
    {Ptb(4).Byte(1).ByteString("Lesson").ByteString("Sub").Word(3).Byte(2).Byte(200).Str(),
     "Cannot read string"},
};

TEST(PowerTab, BrokenFilesFailAndLeaveTheRecordAlone) {
    for (const Broken& b : BrokenFiles) {
        SCOPED_TRACE(b.error);
        ExpectBrokenFile(&ReadPTBFile, b.bytes, b.error);
    }
}

TEST(PowerTab, DispatchedByExtensionAndFlag) {
    ExpectDispatched(".ptb", ttPowerTab, &ReadPTBFile);
}

} // namespace
