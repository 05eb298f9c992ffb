#include "readers/TablEdit.h"
#include "ByteBuilder.h"
#include "ReaderTestSupport.h"
#include "readers/TabFormats.h"

#include <gtest/gtest.h>

namespace {

struct Good {
    const char* name;
    std::string bytes;
    std::string title, artist;
};

const std::string Longest(253, 'x');

const Good GoodFiles[] = {
    {"texts", ByteBuilder().CString("Title").CString("Artist").Str(), "Title", "Artist"},
    {"twoEmptyTexts", std::string(2, '\0'), "", ""},
    {"253ByteTexts", ByteBuilder().CString(Longest).CString(Longest).Str(), Longest, Longest},
};

TEST(TablEdit, GoodFiles) {
    for (const Good& g : GoodFiles) {
        SCOPED_TRACE(g.name);
        // The bytes after the artist's NUL are never read.
        const TabInfo info = ReadGoodFile(&ReadTEFFile, g.bytes, "\x01\x02");
        EXPECT_EQ(info.Title, g.title);
        EXPECT_EQ(info.Artist, g.artist);
        EXPECT_STREQ(info.Album, "");
        EXPECT_STREQ(info.Words, "");
        EXPECT_STREQ(info.Music, "");
        EXPECT_EQ(info.Year, 0);
        EXPECT_EQ(info.Encoding, teAnsi);
    }
}

struct Broken {
    const char* name;
    std::string bytes;
    const char* error;
};

const Broken BrokenFiles[] = {
    {"empty", "", "Cannot read CHAR"},
    {"titleWithoutNul", "Title", "Cannot read CHAR"},
    {"onlyTitle", ByteBuilder().CString("Title").Str(), "Cannot read CHAR"},
    {"artistWithoutNul", ByteBuilder().CString("Title").Bytes("Art").Str(), "Cannot read CHAR"},
    {"254ByteTitle", ByteBuilder().CString(std::string(254, 'x')).CString("A").Str(), "String too long"},
    {"noNulAtAll", std::string(1000, 'x'), "String too long"},
    {"254ByteArtist", ByteBuilder().CString("T").CString(std::string(254, 'x')).Str(), "String too long"},
};

TEST(TablEdit, BrokenFilesFailAndLeaveTheRecordAlone) {
    for (const Broken& b : BrokenFiles) {
        SCOPED_TRACE(b.name);
        ExpectBrokenFile(&ReadTEFFile, b.bytes, b.error);
    }
}

TEST(TablEdit, DispatchedByExtensionAndFlag) {
    ExpectDispatched(".tef", ttTablEdit, &ReadTEFFile);
}

} // namespace
