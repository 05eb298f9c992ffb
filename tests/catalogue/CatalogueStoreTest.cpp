#include "catalogue/CatalogueStore.h"
#include "CatalogueFixtures.h"
#include "LocalTime.h"
#include "readers/TabRead.h"
#include "settings/Translate.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

TabInfo Record(TabEncoding encoding, const std::string& title, int32_t year = 0) {
    TabInfo info;
    ClearTabInfo(info);
    info.Encoding = encoding;
    info.Year = year;
    CopyToField(info.Title, TabTextSize, title);
    CopyToField(info.FileName, TabPathSize, "/tabs/song.gp5");
    info.FileDate = 0;
    return info;
}

void SetUtf16(char* field, const std::u16string& text) {
    ZeroField(field, TabTextSize);
    for (size_t i = 0; i < text.size(); ++i) {
        field[2 * i] = static_cast<char>(text[i] & 0xFF);
        field[2 * i + 1] = static_cast<char>(text[i] >> 8);
    }
}

uint32_t LocalDos(int year, int month, int day, int hour, int minute, int second) {
    return PackDosDateTime(LocalTime(year, month, day, hour, minute, second));
}

// Writes records into a new catalogue the way a scan does and returns the file.
std::string Catalogue(const TTempDir& dir, const std::vector<TabInfo>& records,
                      const std::string& codePage = "") {
    const std::string path = dir / "tabs.db3";
    TCatalogueStore store(codePage);
    EXPECT_TRUE(store.CreateCatalogue(path));
    EXPECT_TRUE(store.BeginTablatures());
    for (const TabInfo& r : records)
        store.AddTablature(r);
    EXPECT_TRUE(store.EndTablatures());
    EXPECT_TRUE(store.CloseCatalogue());
    return path;
}

TEST(CatalogueStore, SchemaIsExact) {
    TTempDir dir;
    const std::string path = Catalogue(dir, {});
    const TRows columns =
        Rows(path, "SELECT m.name, p.name, p.type, p.pk FROM sqlite_master m, "
                   "pragma_table_info(m.name) p WHERE m.type = 'table' ORDER BY m.rowid, p.cid");
    const TRows expected = {
        {"tablatures", "id", "INTEGER", "1"},
        {"tablatures", "title", "VARCHAR(100)", "0"},
        {"tablatures", "artist", "VARCHAR(100)", "0"},
        {"tablatures", "album", "VARCHAR(100)", "0"},
        {"tablatures", "year", "INTEGER", "0"},
        {"tablatures", "words", "VARCHAR(100)", "0"},
        {"tablatures", "music", "VARCHAR(100)", "0"},
        {"tablatures", "filename", "VARCHAR(270)", "0"},
        {"tablatures", "filesize", "INTEGER", "0"},
        {"tablatures", "filedate", "VARCHAR(20)", "0"},
        {"directories", "id", "INTEGER", "1"},
        {"directories", "directory", "VARCHAR(270)", "0"},
        {"errors", "id", "INTEGER", "1"},
        {"errors", "filename", "VARCHAR(270)", "0"},
        {"errors", "error", "VARCHAR(100)", "0"},
        {"dbinfo", "iKey", "TEXT", "0"},
        {"dbinfo", "iValue", "TEXT", "0"},
    };
    EXPECT_EQ(columns, expected);
    EXPECT_EQ(Rows(path,
                   "SELECT m.name, m.tbl_name, i.name FROM sqlite_master m, pragma_index_info(m.name) i "
                   "WHERE m.type = 'index' ORDER BY m.name"),
              (TRows{{"ialbum", "tablatures", "album"}, {"iartist", "tablatures", "artist"}}));

    TCatalogueStore again;
    EXPECT_FALSE(again.CreateCatalogue(path));
}

TEST(CatalogueStore, RowsReadBackTrimmedAndConverted) {
    std::vector<TabInfo> records = {
        Record(teAnsi, "  Foo\t", 1998),
        Record(teAnsi, "   "),
        Record(teAnsi, "Caf\xe9"),     // CP1252, the code page of an English interface
        Record(teAnsi, "Caf\xc3\xa9"), // already UTF-8
        Record(teUtf8, "\x01 B\xc3\xa4r \n"),
        Record(teUtf16, ""),
        Record(teUtf16, ""),
    };
    SetUtf16(records[5].Title, u" \u041f\u0435\u0441\u043d\u044f \U0001D11E ");
    SetUtf16(records[6].Title, u"a\xD800"
                               u"b\xDC00");
    std::memset(records[6].Artist, 'x', TabTextSize); // no zero unit: all 256 units are the text
    CopyToField(records[0].FileName, TabPathSize, "/tabs/ Foo .gp5 "); // paths are not trimmed
    records[0].FileSize = 1234;
    records[0].FileDate = LocalDos(2010, 3, 5, 14, 7, 36);
    TabInfo unknown = Record(static_cast<TabEncoding>(7), "seven");

    TTempDir dir;
    const std::string path = dir / "tabs.db3";
    {
        TCatalogueStore store;
        ASSERT_TRUE(store.CreateCatalogue(path));
        ASSERT_TRUE(store.BeginTablatures());
        for (const TabInfo& r : records)
            EXPECT_TRUE(store.AddTablature(r));
        EXPECT_FALSE(store.AddTablature(unknown));
        EXPECT_TRUE(store.EndTablatures());
    }
    const TRows rows =
        Rows(path, "SELECT title, year, artist, filesize, filedate FROM tablatures ORDER BY id");
    ASSERT_EQ(rows.size(), records.size());
    EXPECT_EQ(rows[0], (std::vector<std::string>{"Foo", "1998", "", "1234", "2010-03-05 14:07"}));
    EXPECT_EQ(rows[1], (std::vector<std::string>{"", Null, "", "0", Null}));
    EXPECT_EQ(rows[2][0], "Caf\xc3\xa9");
    EXPECT_EQ(rows[3][0], "Caf\xc3\xa9");
    EXPECT_EQ(rows[4][0], "B\xc3\xa4r");
    EXPECT_EQ(rows[5][0], "\xd0\x9f\xd0\xb5\xd1\x81\xd0\xbd\xd1\x8f \xf0\x9d\x84\x9e");
    EXPECT_EQ(rows[6][0], "a\xef\xbf\xbd"
                          "b\xef\xbf\xbd");
    std::string units256;
    for (int i = 0; i < 256; ++i)
        units256 += "\xe7\xa1\xb8"; // U+7878, the unit of two 'x' bytes
    EXPECT_EQ(rows[6][2], units256);
    EXPECT_EQ(Rows(path, "SELECT filename FROM tablatures WHERE id = 1"), (TRows{{"/tabs/ Foo .gp5 "}}));
}

TEST(CatalogueStore, AnsiTextsFollowTheCodePageChoice) {
    TTempDir dir;
    const std::string cyrillic = "\xcf\xe5\xf1\xed\xff"; // "Песня" in CP1251
    const std::string utf8 = "\xd0\x9f\xd0\xb5\xd1\x81\xd0\xbd\xd1\x8f";
    // An explicit choice, and "System Default" with a Russian interface.
    Catalogue(dir, {Record(teAnsi, cyrillic)}, "cp1251");
    EXPECT_EQ(Rows(dir / "tabs.db3", "SELECT title FROM tablatures"), (TRows{{utf8}}));

    UseLanguage("ru");
    TAnsiDecoder systemDefault;
    UseLanguage("en");
    std::string out;
    systemDefault.Decode(cyrillic, out);
    EXPECT_EQ(out, utf8);
    EXPECT_EQ(TAnsiDecoder().CodePage(), "CP1252");
    // A byte CP1252 leaves undefined does not lose the rest of the text.
    TAnsiDecoder("cp1252").Decode("a\x81z", out);
    EXPECT_EQ(out, "a\xef\xbf\xbdz");
}

TEST(CatalogueStore, ErrorsAndInfoReplaceTheirRows) {
    TTempDir dir;
    const std::string path = Catalogue(dir, {});
    TCatalogueStore store;
    ASSERT_TRUE(store.OpenCatalogue(path));
    EXPECT_TRUE(store.WriteErrors({{"/tabs/a|b.gp5", "Cannot read BYTE"}, {"/tabs/c.gp5", "x|y"}}));
    EXPECT_TRUE(store.WriteInfo(1500, 2));
    EXPECT_TRUE(store.WriteInfo(75000, 2));
    EXPECT_EQ(Rows(path, "SELECT filename, error FROM errors ORDER BY id"),
              (TRows{{"/tabs/a|b.gp5", "Cannot read BYTE"}, {"/tabs/c.gp5", "x|y"}}));
    const TRows info = Rows(path, "SELECT iKey, iValue, typeof(iValue) FROM dbinfo ORDER BY rowid");
    ASSERT_EQ(info.size(), 5u);
    EXPECT_EQ(info[0][0], "upd_date");
    EXPECT_FALSE(info[0][1].empty());
    EXPECT_EQ(info[1][0], "upd_time");
    EXPECT_EQ(info[1][1].find_first_of("0123456789"), 0u) << info[1][1];
    EXPECT_EQ(info[2], (std::vector<std::string>{"upd_msec", "75000", "text"}));
    EXPECT_EQ(info[3], (std::vector<std::string>{"err_count", "2", "text"}));
    EXPECT_EQ(info[4], (std::vector<std::string>{"db_ver", "3", "text"}));

    EXPECT_TRUE(store.WriteErrors({}));
    EXPECT_TRUE(Rows(path, "SELECT * FROM errors").empty());
}

TEST(CatalogueStore, FailuresAnswerFalseAndTouchNothing) {
    TTempDir dir;
    WriteFile(dir / "text.db3",
              "this is not a database, just some text that is long enough to look like a page");
    const std::string old = dir / "v2.db3";
    {
        TSqlConnection db;
        ASSERT_TRUE(db.Open(old, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE));
        ASSERT_TRUE(
            db.Exec("CREATE TABLE tablatures (id INTEGER PRIMARY KEY, title VARCHAR(100), artist "
                    "VARCHAR(100), album VARCHAR(100), year INTEGER, words VARCHAR(100), music "
                    "VARCHAR(100), filename VARCHAR(270), filesize INTEGER);"
                    "CREATE TABLE directories (id INTEGER PRIMARY KEY, directory VARCHAR(270));"
                    "CREATE TABLE errors (id INTEGER PRIMARY KEY, filename VARCHAR(270), error VARCHAR(100));"
                    "CREATE TABLE dbinfo (iKey TEXT, iValue TEXT);"));
    }
    TCatalogueStore store;
    EXPECT_FALSE(store.OpenCatalogue(dir / "missing.db3"));
    EXPECT_FALSE(std::filesystem::exists(dir / "missing.db3"));
    EXPECT_FALSE(store.OpenCatalogue(dir / "text.db3"));
    EXPECT_FALSE(store.CreateCatalogue(dir / "text.db3"));
    EXPECT_FALSE(store.OpenCatalogue(old)); // an older schema is not written over with version 3
    EXPECT_FALSE(store.CreateCatalogue(dir / "no-such-folder/tabs.db3"));

    TabInfo r = Record(teAnsi, "a");
    ASSERT_TRUE(store.CreateCatalogue(dir / "new.db3"));
    EXPECT_FALSE(store.AddTablature(r)); // no insert prepared yet
    ASSERT_TRUE(store.BeginTablatures());
    CopyToField(r.FileName, TabPathSize, "/tabs/caf\xe9.gp5");
    EXPECT_FALSE(store.AddTablature(r));
    EXPECT_TRUE(store.EndTablatures());
    EXPECT_TRUE(Rows(dir / "new.db3", "SELECT * FROM tablatures").empty());
}

// What a scan has written before EndTablatures is undone when the store goes away without it.
TEST(CatalogueStore, UnfinishedRewriteLeavesThePreviousCatalogue) {
    TTempDir dir;
    const std::string path = Catalogue(dir, {Record(teAnsi, "old")});
    {
        TCatalogueStore store;
        ASSERT_TRUE(store.OpenCatalogue(path));
        ASSERT_TRUE(store.ClearCatalogue());
        store.WriteDirectories({"/new"});
        ASSERT_TRUE(store.BeginTablatures());
        ASSERT_TRUE(store.AddTablature(Record(teAnsi, "new")));
    }
    EXPECT_EQ(Rows(path, "SELECT title FROM tablatures"), (TRows{{"old"}}));
    EXPECT_TRUE(Rows(path, "SELECT * FROM directories").empty());
    EXPECT_EQ(Rows(path, "SELECT count(*) FROM sqlite_master WHERE type = 'index'"), (TRows{{"2"}}));
}

TEST(CatalogueStore, DosDatesOutsideThePackedRangeAreNull) {
    char text[24];
    EXPECT_EQ(LocalDos(1979, 12, 31, 23, 59, 0), 0u);
    EXPECT_EQ(LocalDos(2108, 1, 1, 0, 0, 0), 0u);
    EXPECT_FALSE(FormatDosDateTime(0, text));
    ASSERT_TRUE(FormatDosDateTime(LocalDos(1980, 1, 1, 0, 0, 0), text));
    EXPECT_STREQ(text, "1980-01-01 00:00");
    ASSERT_TRUE(FormatDosDateTime(LocalDos(2107, 12, 31, 23, 59, 58), text));
    EXPECT_STREQ(text, "2107-12-31 23:59");
    EXPECT_FALSE(FormatDosDateTime((uint32_t(30) << 25 | 2u << 21 | 30u << 16), text)); // 30 February
}

} // namespace
