#include "output/CatalogueExportSource.h"
#include "browse/QueryComposer.h"
#include "catalogue/CatalogueStore.h"
#include "readers/TabInfo.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

// An in-memory catalogue with the tablatures table and three rows.
std::unique_ptr<TSqlConnection> Catalogue() {
    auto db = std::make_unique<TSqlConnection>();
    EXPECT_TRUE(db->Open(":memory:", SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX));
    EXPECT_TRUE(db->Exec(CreateTablaturesSql)) << db->LastError();
    EXPECT_TRUE(db->Exec(
        "INSERT INTO tablatures VALUES(1, 'Beta', 'Abba', 'One', 1998, 'w', 'm', '/a/1.gp5', 10, 'd');"
        "INSERT INTO tablatures VALUES(2, 'alpha', 'Zed', NULL, NULL, NULL, '', '/a/2.gp4', 3000000000, 'd');"
        "INSERT INTO tablatures VALUES(3, 'Gamma', 'Zed', 'Two', 2001, '', '', '/a/3.ptb', 5, 'd');"))
        << db->LastError();
    return db;
}

std::vector<std::string> Titles(TExportRowSource& source) {
    std::vector<std::string> titles;
    for (TExportRow row; source.Next(row);)
        titles.push_back(row.Title);
    return titles;
}

// The list's "all tablatures" query with the given sort markers.
std::string AllTablatures(std::vector<SortColumn> sort) {
    BrowseInput in;
    in.SortColumns = std::move(sort);
    return SongsBrowseSQL(in);
}

TEST(CatalogueExportSource, FollowsTheListOrder) {
    auto db = Catalogue();
    struct Case {
        std::vector<SortColumn> sort;
        std::vector<std::string> titles;
    } cases[] = {
        {{}, {"Beta", "alpha", "Gamma"}},
        {{{"title", false}}, {"alpha", "Beta", "Gamma"}},
        {{{"artist", true}, {"title", true}}, {"Gamma", "alpha", "Beta"}},
        {{{"filedate", false}, {"id", true}}, {"Gamma", "alpha", "Beta"}},
    };
    for (const Case& c : cases) {
        TCatalogueExportSource source(*db, AllTablatures(c.sort));
        EXPECT_EQ(source.Total(), 3);
        EXPECT_EQ(Titles(source), c.titles) << AllTablatures(c.sort);
    }
}

TEST(CatalogueExportSource, ValuesAndNulls) {
    auto db = Catalogue();
    TCatalogueExportSource source(*db, "SELECT * FROM tablatures ORDER BY id;");
    TExportRow row;
    ASSERT_TRUE(source.Next(row));
    EXPECT_EQ(row.Year, 1998);
    EXPECT_EQ(row.Words, "w");
    EXPECT_EQ(row.Music, "m");
    EXPECT_EQ(row.FileName, "/a/1.gp5");
    ASSERT_TRUE(source.Next(row));
    EXPECT_EQ(row.Year, std::nullopt);
    EXPECT_EQ(row.Album, "");
    EXPECT_EQ(row.Words, "");
    EXPECT_EQ(row.FileSize, 3000000000);
}

TEST(CatalogueExportSource, FailuresCarryTheirMessage) {
    auto db = Catalogue();
    std::pair<const char*, const char*> cases[] = {
        {"SELECT * FROM tablatures ORDER BY nosuchcolumn;", "no such column: nosuchcolumn"},
        {"SELECT title, artist FROM tablatures;", "no such column: album"},
    };
    for (auto [query, message] : cases) {
        try {
            TCatalogueExportSource source(*db, query);
            ADD_FAILURE() << query;
        } catch (const EQuiravelError& e) {
            EXPECT_STREQ(e.what(), message);
        }
    }
}

} // namespace
