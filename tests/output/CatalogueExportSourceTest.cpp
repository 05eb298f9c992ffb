#include "output/CatalogueExportSource.h"
#include "../catalogue/OldCatalogues.h"
#include "browse/QueryComposer.h"

#include <gtest/gtest.h>

namespace {

// A current catalogue file with three rows, open for reading as the lists read it.
class TCatalogue {
public:
    TCatalogue() {
        MakeCatalogue(
            Dir / "tabs.db3", 3, "3",
            "INSERT INTO tablatures VALUES(1, 'Beta', 'Abba', 'One', 1998, 'w', 'm', '/a/1.gp5', 10, 'd');"
            "INSERT INTO tablatures VALUES(2, 'alpha', 'Zed', NULL, NULL, NULL, '', '/a/2.gp4', "
            "3000000000, 'd');"
            "INSERT INTO tablatures VALUES(3, 'Gamma', 'Zed', 'Two', 2001, '', '', '/a/3.ptb', 5, 'd');");
        Db.Open(Dir / "tabs.db3");
    }
    TTempDir Dir;
    TCatalogueConnection Db;
};

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
    TCatalogue catalogue;
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
        TCatalogueExportSource source(catalogue.Db, AllTablatures(c.sort));
        EXPECT_EQ(source.Total(), 3);
        EXPECT_EQ(Titles(source), c.titles) << AllTablatures(c.sort);
    }
}

TEST(CatalogueExportSource, TotalCountsTheUnsortedQueryWhenGiven) {
    TCatalogue catalogue;
    TCatalogueExportSource source(catalogue.Db, AllTablatures({{"title", false}}),
                                  "SELECT * FROM tablatures WHERE artist = 'Zed' ; \n");
    EXPECT_EQ(source.Total(), 2);
    EXPECT_EQ(Titles(source), (std::vector<std::string>{"alpha", "Beta", "Gamma"}));
}

TEST(CatalogueExportSource, ValuesAndNulls) {
    TCatalogue catalogue;
    TCatalogueExportSource source(catalogue.Db, "SELECT * FROM tablatures ORDER BY id;");
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
    TCatalogue catalogue;
    std::pair<const char*, const char*> cases[] = {
        {"SELECT * FROM tablatures ORDER BY nosuchcolumn;", "no such column: nosuchcolumn"},
        {"SELECT title, artist FROM tablatures;", "no such column: album"},
    };
    for (auto [query, message] : cases) {
        try {
            TCatalogueExportSource source(catalogue.Db, query);
            ADD_FAILURE() << query;
        } catch (const EDatabaseError& e) {
            EXPECT_STREQ(e.what(), message);
        }
    }
}

} // namespace
