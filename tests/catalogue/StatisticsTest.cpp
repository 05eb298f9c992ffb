#include "catalogue/Statistics.h"
#include "OldCatalogues.h"

#include <gtest/gtest.h>

#include <regex>

namespace {

std::string Tab(const std::string& file, int size) {
    return "INSERT INTO tablatures(title, filename, filesize) VALUES('x', '" + file + "', " +
           std::to_string(size) + ");";
}

TEST(Statistics, FamiliesMostFilesFirstThenTheTotal) {
    TTempDir dir;
    const std::string db = dir / "tabs.db3";
    MakeCatalogue(db, 3, "'3'",
                  Tab("/t/a.gp5", 1024) + Tab("/t/B.GP4", 2048) + Tab("/t/c.gpx", 3072) +
                      Tab("/t/d.PTB", 512) + Tab("/t/e.tg", 1000) + Tab("/t/f.Tg", 24) + Tab("/t/g.gp", 100));
    TCatalogueConnection connection;
    connection.Open(db);
    struct TExpected {
        const char* Type;
        int64_t Count;
        std::optional<double> Total, Average;
    };
    const TExpected expected[] = {
        {"Guitar Pro", 3, 6.0, 2.0}, {"TuxGuitar", 2, 1.0, 0.5}, {"Power Tab", 1, 0.5, 0.5},
        {"TablEdit", 0, {}, {}},     {"Total", 7, 7.6, 1.09},
    };
    const std::vector<TStatRow> rows = ReadStatistics(connection);
    ASSERT_EQ(rows.size(), std::size(expected));
    for (size_t i = 0; i < rows.size(); ++i) {
        SCOPED_TRACE(expected[i].Type);
        EXPECT_EQ(rows[i].Type, expected[i].Type);
        EXPECT_EQ(rows[i].Count, expected[i].Count);
        EXPECT_EQ(rows[i].TotalKb, expected[i].Total);
        EXPECT_EQ(rows[i].AverageKb, expected[i].Average);
    }
}

TEST(Statistics, InfoLookupsAndTheErrorList) {
    TTempDir dir;
    const std::string db = dir / "tabs.db3";
    MakeCatalogue(db, 3, "'3'",
                  "INSERT INTO errors(filename, error) VALUES('/t/a|b.gp5', 'Cannot read BYTE'), "
                  "('/t/c.ptb', 'Unknown | format');");
    TCatalogueConnection connection;
    connection.Open(db);
    EXPECT_EQ(LastUpdateText(connection), " ");
    EXPECT_EQ(DbInfoValue(connection, "o'clock"), "");
    const std::pair<const char*, int> counts[] = {{"'3'", 3}, {"' 12 '", 12}, {"'many'", 0}, {"NULL", 0}};
    for (const auto& [value, count] : counts) {
        ExecSql(db, "DELETE FROM dbinfo WHERE iKey = 'err_count';"
                    "INSERT INTO dbinfo VALUES('err_count', " +
                        std::string(value) + ");");
        EXPECT_EQ(ErrorCountOf(connection), count) << value;
    }
    ExecSql(db, "INSERT INTO dbinfo VALUES('upd_date', '05/03/2010'), ('upd_time', '14:07:36');");
    EXPECT_EQ(LastUpdateText(connection), "05/03/2010 14:07:36");
    EXPECT_EQ(DbInfoValue(connection, "db_ver"), "3");

    const std::vector<TErrorEntry> errors = ReadErrorList(connection);
    ASSERT_EQ(errors.size(), 2u);
    EXPECT_EQ(errors[0].FileName, "/t/a|b.gp5");
    EXPECT_EQ(errors[0].Error, "Cannot read BYTE");
    EXPECT_EQ(errors[1].Error, "Unknown | format");
}

TEST(Statistics, FileSizeShowsMegabytesAndBytes) {
    EXPECT_TRUE(std::regex_match(FileSizeText(1572864), std::regex("1[.,]50 MB \\(1572864 B\\)")))
        << FileSizeText(1572864);
    EXPECT_TRUE(std::regex_match(FileSizeText(5368709120), std::regex("5120[.,]00 MB \\(5368709120 B\\)")))
        << FileSizeText(5368709120);
}

} // namespace
