#include "browse/QueryComposer.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <array>
#include <functional>
#include <memory>
#include <set>
#include <vector>

namespace {

using Routine = std::string (*)(const BrowseInput&);

// A chosen artist O'Brien and album Hits, searching Intro by "contains", no sorted column.
BrowseInput In(bool allArtists, bool allAlbums, int field,
               const std::function<void(BrowseInput&)>& tweak = {}) {
    BrowseInput in;
    in.AllArtists = allArtists;
    in.AllAlbums = allAlbums;
    in.Artist = "O'Brien";
    in.Album = "Hits";
    in.SearchText = "Intro";
    in.SearchField = field;
    if (tweak)
        tweak(in);
    return in;
}

void SortByTitle(BrowseInput& in) {
    in.SortColumns = {{"title", false}};
}

// The search of all five text columns for Intro, closing quote included.
const std::string kAll = "title LIKE '%Intro%' OR artist LIKE '%Intro%' OR album LIKE '%Intro%' OR "
                         "words LIKE '%Intro%' OR music LIKE '%Intro%'";

TEST(QueryComposer, QuoteValueDoublesQuotesOnly) {
    EXPECT_EQ(QuoteValue("O'Brien"), "O''Brien");
    EXPECT_EQ(QuoteValue("''x'"), "''''x''");
    EXPECT_EQ(QuoteValue(R"(50%_a\b)"), R"(50%_a\b)");
    EXPECT_EQ(QuoteValue(""), "");
}

struct Case {
    const char* label;
    Routine routine;
    BrowseInput in;
    std::string expected;
};

TEST(QueryComposer, ComposedTexts) {
    const auto text = [](const char* t, int mode) {
        return [=](BrowseInput& in) { in.SearchText = t, in.SearchCompareMode = mode; };
    };
    const auto fileNames = [](int value) {
        return [=](BrowseInput& in) { SortByTitle(in), in.SearchField = 3, in.FileNameSearch = value; };
    };
    const auto folder = [](const char* path) {
        return [=](BrowseInput& in) { SortByTitle(in), in.FolderPath = path; };
    };
    const Case cases[] = {
        // Sort clauses
        {"no sort column", SongOrderClause, In(true, true, 0), ";"},
        {"shipped sort", SongOrderClause, In(true, true, 0, SortByTitle), "ORDER BY title COLLATE NOCASE;"},
        {"two sort columns", SongOrderClause,
         In(true, true, 0,
            [](BrowseInput& in) {
                in.SortColumns = {{"artist", true}, {"title", false}};
            }),
         "ORDER BY artist COLLATE NOCASE DESC, title COLLATE NOCASE;"},
        {"numeric sort column", SongOrderClause,
         In(true, true, 0,
            [](BrowseInput& in) {
                in.SortColumns = {{"filesize", true}};
            }),
         "ORDER BY filesize COLLATE NOCASE DESC;"},
        // Patterns: quotes doubled, "%" and "_" left as wildcards
        {"contains", SearchPattern, In(true, true, 0, text("50%", 0)), "%50%%"},
        {"starts with", SearchPattern, In(true, true, 0, text("it's", 1)), "it''s%"},
        {"whole value", SearchPattern, In(true, true, 0, text("a_c", 2)), "a_c"},
        {"unknown compare mode", SearchPattern, In(true, true, 0, text("a", 3)), ""},
        {"no file names", FileNameClause, In(true, true, 3), ""},
        {"file name only", FileNameClause, In(true, true, 3, fileNames(1)),
         "' OR filename LIKE '%Intro%' AND NOT filename LIKE '%Intro%/%"},
        {"whole path", FileNameClause, In(true, true, 3, fileNames(2)), "' OR filename LIKE '%Intro%"},
        {"unknown file-name search", FileNameClause, In(true, true, 3, fileNames(3)), ""},
        // Artists
        {"artists", ArtistsBrowseSQL, In(false, false, 0),
         "SELECT DISTINCT artist FROM tablatures ORDER BY artist COLLATE NOCASE;"},
        {"artists descending", ArtistsBrowseSQL,
         In(false, false, 0, [](BrowseInput& in) { in.ArtistsSortDirection = false; }),
         "SELECT DISTINCT artist FROM tablatures ORDER BY artist COLLATE NOCASE DESC;"},
        {"artists search 0", ArtistsSearchSQL, In(false, false, 0),
         "SELECT DISTINCT artist FROM tablatures WHERE title LIKE '%Intro%' ORDER BY artist COLLATE NOCASE;"},
        {"artists search 1", ArtistsSearchSQL, In(false, false, 1),
         "SELECT DISTINCT artist FROM tablatures WHERE artist LIKE '%Intro%' ORDER BY artist COLLATE "
         "NOCASE;"},
        {"artists search 2", ArtistsSearchSQL, In(false, false, 2),
         "SELECT DISTINCT artist FROM tablatures WHERE album LIKE '%Intro%' ORDER BY artist COLLATE NOCASE;"},
        {"artists search 3", ArtistsSearchSQL, In(false, false, 3),
         "SELECT DISTINCT artist FROM tablatures WHERE " + kAll + " ORDER BY artist COLLATE NOCASE;"},
        // Albums
        {"albums of all", AlbumsBrowseSQL, In(true, false, 0),
         "SELECT DISTINCT album FROM tablatures ORDER BY album COLLATE NOCASE;"},
        {"albums of artist, descending", AlbumsBrowseSQL,
         In(false, true, 0, [](BrowseInput& in) { in.AlbumsSortDirection = false; }),
         "SELECT DISTINCT album FROM tablatures WHERE artist='O''Brien' ORDER BY album COLLATE NOCASE DESC;"},
        {"albums search all 0", AlbumsSearchSQL, In(true, false, 0),
         "SELECT DISTINCT album FROM tablatures WHERE title LIKE '%Intro%' ORDER BY album COLLATE NOCASE;"},
        {"albums search all 1", AlbumsSearchSQL, In(true, false, 1),
         "SELECT DISTINCT album FROM tablatures WHERE artist LIKE '%Intro%' ORDER BY album COLLATE NOCASE;"},
        {"albums search all 2", AlbumsSearchSQL, In(true, false, 2),
         "SELECT DISTINCT album FROM tablatures WHERE album LIKE '%Intro%' ORDER BY album COLLATE NOCASE;"},
        {"albums search all 3", AlbumsSearchSQL, In(true, false, 3),
         "SELECT DISTINCT album FROM tablatures WHERE " + kAll + " ORDER BY album COLLATE NOCASE;"},
        {"albums search artist 0", AlbumsSearchSQL, In(false, false, 0),
         "SELECT DISTINCT album FROM tablatures WHERE title LIKE '%Intro%' AND artist='O''Brien' "
         "ORDER BY album COLLATE NOCASE;"},
        {"albums search artist 1", AlbumsSearchSQL, In(false, false, 1),
         "SELECT DISTINCT album FROM tablatures WHERE artist='O''Brien' ORDER BY album COLLATE NOCASE;"},
        {"albums search artist 2", AlbumsSearchSQL, In(false, false, 2),
         "SELECT DISTINCT album FROM tablatures WHERE album LIKE '%Intro%' AND artist='O''Brien' "
         "ORDER BY album COLLATE NOCASE;"},
        {"albums search artist 3", AlbumsSearchSQL, In(false, false, 3),
         "SELECT DISTINCT album FROM tablatures WHERE artist='O''Brien' AND (" + kAll +
             ") ORDER BY album COLLATE NOCASE;"},
        // Tablatures outside search mode
        {"songs all all", SongsBrowseSQL, In(true, true, 0), "SELECT * FROM tablatures ;"},
        {"songs all album", SongsBrowseSQL, In(true, false, 0),
         "SELECT * FROM tablatures WHERE album='Hits' ;"},
        {"songs artist all", SongsBrowseSQL, In(false, true, 0, SortByTitle),
         "SELECT * FROM tablatures WHERE artist='O''Brien' ORDER BY title COLLATE NOCASE;"},
        {"songs artist album", SongsBrowseSQL, In(false, false, 0),
         "SELECT * FROM tablatures WHERE artist='O''Brien' AND album='Hits' ;"},
        // Tablatures in search mode
        {"search all all 0", SongsSearchSQL, In(true, true, 0),
         "SELECT * FROM tablatures WHERE title LIKE '%Intro%' ;"},
        {"search all all 1", SongsSearchSQL, In(true, true, 1),
         "SELECT * FROM tablatures WHERE artist LIKE '%Intro%' ;"},
        {"search all all 2", SongsSearchSQL, In(true, true, 2),
         "SELECT * FROM tablatures WHERE album LIKE '%Intro%' ;"},
        {"search all all 3", SongsSearchSQL, In(true, true, 3),
         "SELECT * FROM tablatures WHERE " + kAll + " ;"},
        {"search all album 0", SongsSearchSQL, In(true, false, 0),
         "SELECT * FROM tablatures WHERE album='Hits' AND title LIKE '%Intro%' ;"},
        {"search all album 1", SongsSearchSQL, In(true, false, 1),
         "SELECT * FROM tablatures WHERE album='Hits' AND artist LIKE '%Intro%' ;"},
        {"search all album 2", SongsSearchSQL, In(true, false, 2),
         "SELECT * FROM tablatures WHERE album='Hits' ;"},
        {"search all album 3", SongsSearchSQL, In(true, false, 3),
         "SELECT * FROM tablatures WHERE album='Hits' AND (" + kAll + ") ;"},
        {"search artist all 0", SongsSearchSQL, In(false, true, 0),
         "SELECT * FROM tablatures WHERE artist='O''Brien' AND title LIKE '%Intro%' ;"},
        {"search artist all 1", SongsSearchSQL, In(false, true, 1),
         "SELECT * FROM tablatures WHERE artist='O''Brien' ;"},
        {"search artist all 2", SongsSearchSQL, In(false, true, 2),
         "SELECT * FROM tablatures WHERE artist='O''Brien' AND album LIKE '%Intro%' ;"},
        {"search artist all 3", SongsSearchSQL, In(false, true, 3),
         "SELECT * FROM tablatures WHERE artist='O''Brien' AND (" + kAll + ") ;"},
        {"search artist album 0", SongsSearchSQL, In(false, false, 0),
         "SELECT * FROM tablatures WHERE artist='O''Brien' AND album='Hits' AND title LIKE '%Intro%' ;"},
        {"search artist album 1", SongsSearchSQL, In(false, false, 1),
         "SELECT * FROM tablatures WHERE artist='O''Brien' AND album='Hits' ;"},
        {"search artist album 2", SongsSearchSQL, In(false, false, 2),
         "SELECT * FROM tablatures WHERE artist='O''Brien' AND album='Hits' ;"},
        {"search artist album 3", SongsSearchSQL, In(false, false, 3),
         "SELECT * FROM tablatures WHERE artist='O''Brien' AND album='Hits' AND (" + kAll + ") ;"},
        {"search whole paths", SongsSearchSQL, In(true, true, 3, fileNames(2)),
         "SELECT * FROM tablatures WHERE title LIKE '%Intro%' OR artist LIKE '%Intro%' OR album LIKE "
         "'%Intro%' "
         "OR words LIKE '%Intro%' OR music LIKE '%Intro%' OR filename LIKE '%Intro%' "
         "ORDER BY title COLLATE NOCASE;"},
        {"search file names", SongsSearchSQL, In(false, true, 3, fileNames(1)),
         "SELECT * FROM tablatures WHERE artist='O''Brien' AND (" + kAll +
             " OR filename LIKE '%Intro%' AND NOT filename LIKE '%Intro%/%') ORDER BY title COLLATE NOCASE;"},
        {"search wildcards", SongsSearchSQL, In(true, true, 0, text("5_'%", 1)),
         "SELECT * FROM tablatures WHERE title LIKE '5_''%%' ;"},
        {"unknown search field", ArtistsSearchSQL, In(true, true, 4), ""},
        {"unknown search field", AlbumsSearchSQL, In(false, true, 4), ""},
        {"unknown search field", SongsSearchSQL, In(false, false, 4), ""},
        // Folder mode
        {"folder", FolderSQL, In(true, true, 0, folder("/home/me/Tabs/Metal")),
         "SELECT * FROM tablatures WHERE (filename LIKE '/home/me/Tabs/Metal/%') "
         "AND NOT (filename LIKE '/home/me/Tabs/Metal/%/%') AND substr(filename, 1, "
         "length('/home/me/Tabs/Metal/')) = '/home/me/Tabs/Metal/' ORDER BY title COLLATE NOCASE;"},
        {"folder with a quote", FolderSQL,
         In(true, true, 0, [](BrowseInput& in) { in.FolderPath = "/it's"; }),
         "SELECT * FROM tablatures WHERE (filename LIKE '/it''s/%') AND NOT (filename LIKE '/it''s/%/%') "
         "AND substr(filename, 1, length('/it''s/')) = '/it''s/' ;"},
        {"root folder", FolderSQL, In(true, true, 0, folder("/")),
         "SELECT * FROM tablatures WHERE (filename LIKE '/%') AND NOT (filename LIKE '/%/%') "
         "AND substr(filename, 1, length('/')) = '/' ORDER BY title COLLATE NOCASE;"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        EXPECT_EQ(c.routine(c.in), c.expected);
    }
}

struct DbClose {
    void operator()(sqlite3* db) const { sqlite3_close(db); }
};
using Db = std::unique_ptr<sqlite3, DbClose>;

// An in-memory catalogue with the stored schema; each row is title, artist, album, filename.
Db Catalogue(const std::vector<std::array<const char*, 4>>& rows) {
    sqlite3* raw = nullptr;
    Db db(sqlite3_open_v2(":memory:", &raw, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK ? raw : nullptr);
    if (!db)
        sqlite3_close(raw);
    EXPECT_TRUE(db);
    const char* schema =
        "CREATE TABLE tablatures (id INTEGER PRIMARY KEY, title VARCHAR(100), artist VARCHAR(100), "
        "album VARCHAR(100), year INTEGER, words VARCHAR(100), music VARCHAR(100), "
        "filename VARCHAR(270), filesize INTEGER, filedate VARCHAR(20));"
        "CREATE INDEX iartist ON tablatures(artist); CREATE INDEX ialbum ON tablatures(album);";
    EXPECT_EQ(sqlite3_exec(db.get(), schema, nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(
        db.get(),
        "INSERT INTO tablatures(title, artist, album, words, music, filename, filesize, filedate) "
        "VALUES(?1, ?2, ?3, '', '', ?4, 100, '2010-03-05 14:07');",
        -1, &insert, nullptr);
    for (const auto& row : rows) {
        for (int i = 0; i < 4; ++i)
            sqlite3_bind_text(insert, i + 1, row[i], -1, SQLITE_STATIC);
        EXPECT_EQ(sqlite3_step(insert), SQLITE_DONE);
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    return db;
}

// The titles of the rows that a tablature query selects.
std::set<std::string> Titles(sqlite3* db, const std::string& sql) {
    std::set<std::string> titles;
    sqlite3_stmt* stmt = nullptr;
    EXPECT_EQ(sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
    while (stmt && sqlite3_step(stmt) == SQLITE_ROW)
        titles.insert(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 1)));
    sqlite3_finalize(stmt);
    return titles;
}

TEST(QueryComposer, TextsSelectTheIntendedRows) {
    Db db = Catalogue({
        {"Root", "A", "X", "/root.gp5"},
        {"Quoted", "A", "X", "/tabs/it's/a.gp5"},
        {"Quoted sub", "A", "X", "/tabs/it's/live/b.gp5"},
        {"Sibling", "A", "X", "/tabs/it's more/c.gp5"},
        {"50 Ways", "B", "Y", "/tabs/b/1.gp5"},
        {"Up 150%", "B", "Y", "/tabs/b/2.gp5"},
        {"Five-O", "B", "Y", "/tabs/b/3.gp5"},
        {"ABC", "B", "Y", "/tabs/b/4.gp5"},
        {"abcd", "B", "Y", "/tabs/b/5.gp5"},
        {"Song", "C", "Z", "/tabs/Intro/song.gp5"},
        {"Track", "C", "Z", "/tabs/c/my intro.gp5"},
        {"Intro", "C", "Z", "/tabs/c/x.gp5"},
        {"Wild", "D", "W", "/tabs/AC_DC/w.gp5"},
        {"Tame", "D", "W", "/tabs/AC-DC/t.gp5"},
        {"Lower", "D", "W", "/tabs/metal/l.gp5"},
        {"Upper", "D", "W", "/tabs/Metal/u.gp5"},
        {"Café", "D", "W", "/tabs/café/e.gp5"},
    });
    const auto in = [](const std::function<void(BrowseInput&)>& tweak) {
        BrowseInput input;
        input.SortColumns = {{"title", false}};
        tweak(input);
        return input;
    };
    const auto folder = [&](const char* path) { return in([=](BrowseInput& i) { i.FolderPath = path; }); };
    const auto search = [&](const char* text, int mode, int field, int fileNames) {
        return in([=](BrowseInput& i) {
            i.SearchText = text, i.SearchCompareMode = mode, i.SearchField = field,
            i.FileNameSearch = fileNames;
        });
    };
    using Set = std::set<std::string>;
    EXPECT_EQ(Titles(db.get(), FolderSQL(folder("/"))), Set({"Root"}));
    EXPECT_EQ(Titles(db.get(), FolderSQL(folder("/tabs/it's"))), Set({"Quoted"}));
    // A folder is matched exactly: case counts, and "_" or "%" in its name is no wildcard.
    EXPECT_EQ(Titles(db.get(), FolderSQL(folder("/tabs/AC_DC"))), Set({"Wild"}));
    EXPECT_EQ(Titles(db.get(), FolderSQL(folder("/tabs/metal"))), Set({"Lower"}));
    EXPECT_EQ(Titles(db.get(), FolderSQL(folder("/tabs/Metal"))), Set({"Upper"}));
    EXPECT_EQ(Titles(db.get(), FolderSQL(folder("/tabs/café"))), Set({"Café"}));
    EXPECT_EQ(Titles(db.get(), SongsSearchSQL(search("50%", 0, 0, 0))), Set({"50 Ways", "Up 150%"}));
    EXPECT_EQ(Titles(db.get(), SongsSearchSQL(search("a_c", 2, 0, 0))), Set({"ABC"}));
    EXPECT_EQ(Titles(db.get(), SongsSearchSQL(search("intro", 0, 3, 1))), Set({"Intro", "Track"}));
    EXPECT_EQ(Titles(db.get(), SongsSearchSQL(search("intro", 0, 3, 2))), Set({"Intro", "Track", "Song"}));
}

} // namespace
