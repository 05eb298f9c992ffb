#include "settings/WebSearch.h"

#include "settings/IniFile.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <fstream>

namespace {

WSItem Engine(const char* title, const char* url, const char* artist, const char* album, const char* all) {
    return WSItem{title, url, artist, album, all};
}

TEST(WebSearchAddressTest, TheTermReplacesEveryPlaceholderWithSpacesAsPlus) {
    const WSEngineList list = {Engine("E", "https://t/?q=$SEARCHTERM&again=$SEARCHTERM",
                                      "https://a/$searchterm", "https://al/no-placeholder",
                                      "https://all/?q=$SEARCHTERM")};
    struct {
        const char* term;
        int field;
        const char* expected;
    } rows[] = {
        {"one two three", sfTitle, "https://t/?q=one+two+three&again=one+two+three"},
        {" a  b ", sfAll, "https://all/?q=+a++b+"},
        {"R&B #1 100%?+", sfAll, "https://all/?q=R&B+#1+100%?+"}, // nothing escaped
        {"Сплин", sfAll, "https://all/?q=Сплин"},
        {"x $SEARCHTERM", sfAll, "https://all/?q=x+$SEARCHTERM"}, // the inserted term is not scanned again
        {"x", sfArtist, "https://a/$searchterm"},                 // case-sensitive placeholder
        {"x", sfAlbum, "https://al/no-placeholder"},
        {"", sfAll, "https://all/?q="},
    };
    for (const auto& r : rows)
        EXPECT_EQ(WebSearchAddress(list, 0, r.term, r.field), r.expected) << r.term;
}

TEST(WebSearchAddressTest, AnEmptyTemplateFallsBack) {
    struct {
        WSItem engine;
        int field;
        const char* expected;
    } rows[] = {
        {Engine("", "", "", "", "all"), sfTitle, "all"},
        {Engine("", "", "", "", "all"), sfArtist, "all"},
        {Engine("", "", "", "", "all"), sfAlbum, "all"},
        {Engine("", "title", "", "", ""), sfAll, "title"},
        {Engine("", "", "", "album", ""), sfAll, "album"}, // All, Title, Artist, then Album
        {Engine("", "", "artist", "album", ""), sfAll, "artist"},
        {Engine("", "title", "artist", "", ""), sfAlbum, "title"}, // All, then the first set
        {Engine("", "", "", "album", ""), 7, "album"},             // no such field: the first set
        {Engine("", "", "", "", ""), sfTitle, ""},
    };
    for (const auto& r : rows)
        EXPECT_EQ(WebSearchAddress({r.engine}, 0, "x", r.field), r.expected) << r.field << " " << r.expected;
}

TEST(WebSearchAddressTest, NothingToOpenWithoutAnEngineAtThePosition) {
    const WSEngineList two = {Engine("A", "a", "", "", ""), Engine("B", "b", "", "", "")};
    EXPECT_EQ(WebSearchAddress(two, 1, "x", sfTitle), "b");
    EXPECT_EQ(WebSearchAddress(two, 2, "x", sfTitle), "");
    EXPECT_EQ(WebSearchAddress(two, -1, "x", sfTitle), "");
    EXPECT_EQ(WebSearchAddress({}, 0, "x", sfTitle), "");
}

class EngineStorageTest : public ::testing::Test {
protected:
    void Write(const std::string& text) { std::ofstream(Path, std::ios::binary) << text; }

    QTemporaryDir Dir;
    std::string Path = Dir.filePath("config.ini").toStdString();
};

TEST_F(EngineStorageTest, EnginesSurviveAWriteAndAreAppendedWhenRead) {
    const WSEngineList engines = {
        Engine("Поиск", "https://s/?q=$SEARCHTERM", "", " spaced ", "'quoted'"),
        Engine("", "", "https://a/$SEARCHTERM", "", ""),
    };
    TIniFile file(Path);
    WriteEngines(file, engines);
    WSEngineList read = {Engine("Kept", "", "", "", "")};
    ReadEngines(TIniFile(Path), read);
    ASSERT_EQ(read.size(), 3u);
    EXPECT_EQ(read[0].Title, "Kept");
    for (size_t i = 0; i < engines.size(); ++i) {
        EXPECT_EQ(read[i + 1].Title, engines[i].Title);
        EXPECT_EQ(read[i + 1].TitleURL, engines[i].TitleURL);
        EXPECT_EQ(read[i + 1].ArtistURL, engines[i].ArtistURL);
        EXPECT_EQ(read[i + 1].AlbumURL, engines[i].AlbumURL);
        EXPECT_EQ(read[i + 1].AllURL, engines[i].AllURL);
    }
}

TEST_F(EngineStorageTest, AShorterListLeavesTheOldKeysUnread) {
    TIniFile file(Path);
    WriteEngines(file, {Engine("A", "a", "", "", ""), Engine("B", "b", "", "", "")});
    WriteEngines(file, {Engine("C", "c", "", "", "")});
    EXPECT_EQ(TIniFile(Path).ReadString("WebSearch", "Item_1_Title", ""), "B");
    WSEngineList read;
    ReadEngines(TIniFile(Path), read);
    ASSERT_EQ(read.size(), 1u);
    EXPECT_EQ(read[0].Title, "C");
}

TEST_F(EngineStorageTest, MissingKeysAndCountsReadAsDefaults) {
    struct {
        const char* text;
        size_t count;
    } rows[] = {
        {"[WebSearch]\nItemsCount=3\nItem_0_Title=Only\nItem_0_AllURL=u\n", 3},
        {"[WebSearch]\nItemsCount=-2\nItem_0_Title=Only\n", 0},
        {"[WebSearch]\nItemsCount=many\nItem_0_Title=Only\n", 0},
        {"[WebSearch]\nItemsCount=2000000000\n", size_t(MaxWebSearchEngines)},
        {"", 0},
    };
    for (const auto& r : rows) {
        Write(r.text);
        WSEngineList read;
        ReadEngines(TIniFile(Path), read);
        EXPECT_EQ(read.size(), r.count) << r.text;
    }
    Write(rows[0].text);
    WSEngineList read;
    ReadEngines(TIniFile(Path), read);
    EXPECT_EQ(read[0].Title, "Only");
    EXPECT_EQ(read[0].AllURL, "u");
    EXPECT_EQ(read[1].Title, "<no title>");
    EXPECT_EQ(read[2].Title, "<no title>");
    EXPECT_EQ(read[2].TitleURL + read[2].ArtistURL + read[2].AlbumURL + read[2].AllURL, "");
}

} // namespace
