#include "readers/TuxGuitar.h"
#include "ByteBuilder.h"
#include "ReaderTestSupport.h"
#include "readers/TabFormats.h"

#include <gtest/gtest.h>

#include <initializer_list>

namespace {

// A version text and the texts after it; TuxGuitar texts are big-endian UTF-16.
ByteBuilder Tg(std::u16string_view version, std::initializer_list<std::u16string_view> texts = {}) {
    ByteBuilder b;
    b.Utf16String(version, true);
    for (std::u16string_view text : texts)
        b.Utf16String(text, true);
    return b;
}

// The little-endian units of a field up to its first zero unit.
std::u16string FieldText(const char* field) {
    std::u16string text;
    for (size_t i = 0; i + 1 < TabTextSize; i += 2) {
        const unsigned low = static_cast<unsigned char>(field[i]);
        const unsigned high = static_cast<unsigned char>(field[i + 1]);
        const char16_t u = static_cast<char16_t>(high << 8 | low);
        if (u == 0)
            break;
        text.push_back(u);
    }
    return text;
}

bool AllZero(const char* field, size_t from = 0) {
    for (size_t i = from; i < TabTextSize; ++i)
        if (field[i] != 0)
            return false;
    return true;
}

struct Good {
    const char* name;
    std::string bytes;
    std::u16string title, artist, album, music;
};

const std::u16string Long(254, u'\u00E9');

const Good GoodFiles[] = {
    {"minorVersion",
     Tg(u"TuxGuitar File Format - 1.2", {u"Žluťoučký kůň", u"日本のバンド", u"Album", u"Music"}).Str(),
     u"Žluťoučký kůň", u"日本のバンド", u"Album", u"Music"},
    {"anythingAfterMajorVersion", Tg(u"TuxGuitar File Format - 1 beta", {u"T", u"", u"", u"M"}).Str(), u"T",
     u"", u"", u"M"},
    {"254UnitTitle", Tg(u"TuxGuitar File Format - 1.0", {Long, u"A", u"B", u"C"}).Str(), Long, u"A", u"B",
     u"C"},
};

TEST(TuxGuitar, GoodFilesGiveLittleEndianUtf16) {
    for (const Good& g : GoodFiles) {
        SCOPED_TRACE(g.name);
        const TabInfo info = ReadGoodFile(&ReadTGFile, g.bytes, "\x7F\x7F");
        EXPECT_EQ(info.Encoding, teUtf16);
        EXPECT_EQ(FieldText(info.Title), g.title);
        EXPECT_EQ(FieldText(info.Artist), g.artist);
        EXPECT_EQ(FieldText(info.Album), g.album);
        EXPECT_EQ(FieldText(info.Music), g.music);
        EXPECT_TRUE(AllZero(info.Words));
        EXPECT_EQ(info.Year, 0);
        // Whatever the title's length, the rest of its field is zero units.
        EXPECT_TRUE(AllZero(info.Title, 2 * g.title.size()));
    }
}

struct Broken {
    std::string bytes;
    const char* error;
};

const Broken BrokenFiles[] = {
    {"", "Cannot read UTF16 string length"},
    {ByteBuilder().Byte(255).Fill(600, 'T').Str(), "UTF16 string too long"},
    {ByteBuilder().Byte(25).Fill(49, 'T').Str(), "Cannot read UTF16 string"},
    {Tg(u"").Str(), "Not a TG"},
    {Tg(u"tuxguitar file format - 1").Str(), "Not a TG"},
    {Tg(u"TuxGuitar File").Str(), "Not a TG"},
    // The file's byte order matters: a little-endian version text is not recognised.
    {ByteBuilder().Utf16String(u"TuxGuitar File Format - 1.0").Str(), "Not a TG"},
    // Letters outside ASCII never stand in for the ASCII ones.
    {Tg(u"ＴuxGuitar File Format - 1.0").Str(), "Not a TG"},
    {Tg(u"TuxGuitar File Format").Str(), "TG version unsupported"},
    {Tg(u"TuxGuitar File Format - 2.0").Str(), "TG version unsupported"},
    {Tg(u"TuxGuitar File Format \u2013 1.0").Str(), "TG version unsupported"},
    {Tg(u"TuxGuitar File Format - 1.0").Byte(255).Fill(600).Str(), "UTF16 string too long"},
    {Tg(u"TuxGuitar File Format - 1.0").Byte(3).Fill(5).Str(), "Cannot read UTF16 string"},
    {Tg(u"TuxGuitar File Format - 1.0", {u"T", u"A", u"B"}).Str(), "Cannot read UTF16 string length"},
};

TEST(TuxGuitar, BrokenFilesFailAndLeaveTheRecordAlone) {
    for (const Broken& b : BrokenFiles) {
        SCOPED_TRACE(b.error);
        ExpectBrokenFile(&ReadTGFile, b.bytes, b.error);
    }
}

TEST(TuxGuitar, DispatchedByExtensionAndFlag) {
    ExpectDispatched(".tg", ttTuxGuitar, &ReadTGFile);
}

} // namespace
