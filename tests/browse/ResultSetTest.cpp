#include "browse/ResultSet.h"

#include "catalogue/CatalogueConnection.h"
#include "catalogue/CatalogueStore.h"
#include "catalogue/Sqlite.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>

using namespace std::string_literals;

namespace {

TSqlConnection MemoryDb() {
    TSqlConnection db;
    EXPECT_TRUE(db.Open(":memory:", SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX));
    return db;
}

struct TCellCase {
    const char* Expression;
    bool Null;
    std::string Text;
};

// Cells of every storage class, read back by position among their neighbours.
TEST(ResultSetTest, KeepsEveryValueOfEveryKind) {
    const TCellCase cases[] = {
        {"NULL", true, ""},          {"''", false, ""},
        {"'plain'", false, "plain"}, {"'Motörhead ♫ 音楽 😀'", false, "Motörhead ♫ 音楽 😀"},
        {"42", false, "42"},         {"-9223372036854775808", false, "-9223372036854775808"},
        {"1.5", false, "1.5"},       {"x'00410042'", false, "\0A\0B"s},
        {"'it''s'", false, "it's"},  {"zeroblob(0)", false, ""},
    };
    std::string sql = "SELECT ";
    for (const TCellCase& c : cases)
        sql += std::string(&c == cases ? "" : ", ") + c.Expression;
    // A second row repeats the first backwards, so that offsets carry over from row to row.
    sql += " UNION ALL SELECT ";
    for (size_t i = std::size(cases); i-- > 0;)
        sql += std::string(cases[i].Expression) + (i ? ", " : "");

    TSqlConnection db = MemoryDb();
    const auto set = RunQuery(db, sql);
    ASSERT_EQ(set->ColumnCount(), static_cast<int>(std::size(cases)));
    ASSERT_EQ(set->RowCount(), 2u);
    const int last = set->ColumnCount() - 1;
    for (int c = 0; c <= last; ++c) {
        SCOPED_TRACE(cases[c].Expression);
        EXPECT_EQ(set->IsNull(0, c), cases[c].Null);
        EXPECT_EQ(set->Cell(0, c), cases[c].Text);
        EXPECT_EQ(set->IsNull(1, last - c), cases[c].Null);
        EXPECT_EQ(set->Cell(1, last - c), cases[c].Text);
    }
}

TEST(ResultSetTest, NamesColumnsAndFindsThemCaseBlind) {
    TSqlConnection db = MemoryDb();
    const auto set = RunQuery(db, "SELECT 1 AS title, 2 AS FileName, 3 AS filename, 4 AS 'Größe'");
    EXPECT_EQ(set->ColumnName(0), "title");
    EXPECT_EQ(set->ColumnName(3), "Größe");
    EXPECT_EQ(set->FindColumn("TITLE"), 0);
    EXPECT_EQ(set->FindColumn("filename"), 1);
    EXPECT_EQ(set->FindColumn("Größe"), 3);
    EXPECT_EQ(set->FindColumn("titl"), -1);
}

TEST(ResultSetTest, FirstValueTellsNoColumnsFromNoRows) {
    TSqlConnection db = MemoryDb();
    ASSERT_TRUE(db.Exec("CREATE TABLE t(a TEXT, b TEXT); CREATE TABLE e(a);"));
    EXPECT_EQ(RunQuery(db, "SELECT 'x', 'y'")->FirstValue(), "x");
    EXPECT_EQ(RunQuery(db, "SELECT NULL")->FirstValue(), "");
    EXPECT_EQ(RunQuery(db, "SELECT a, b FROM t")->FirstValue(), "");
    EXPECT_EQ(RunQuery(db, "SELECT a, b FROM t")->ColumnCount(), 2);
    // A statement without result columns.
    EXPECT_EQ(RunQuery(db, "DELETE FROM e")->FirstValue(), std::nullopt);
}

// Many rows and large values cross the growth steps of every buffer.
TEST(ResultSetTest, KeepsManyRowsAndLargeValues) {
    TSqlConnection db = MemoryDb();
    const auto set =
        RunQuery(db, "WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < 199999) "
                     "SELECT i, 'row ' || i, CASE WHEN i % 3 = 0 THEN NULL ELSE '' END, "
                     "CASE WHEN i % 50000 = 7 THEN printf('%.*c', 3000000, 'z') END FROM n");
    ASSERT_EQ(set->RowCount(), 200000u);
    for (size_t row : {0u, 1u, 63u, 64u, 65u, 50007u, 123456u, 199999u}) {
        SCOPED_TRACE(row);
        EXPECT_EQ(set->Cell(row, 0), std::to_string(row));
        EXPECT_EQ(set->Cell(row, 1), "row " + std::to_string(row));
        EXPECT_EQ(set->IsNull(row, 2), row % 3 == 0);
        EXPECT_EQ(set->Cell(row, 2), "");
        EXPECT_EQ(set->IsNull(row, 3), row % 50000 != 7);
        EXPECT_EQ(set->Cell(row, 3).size(), row % 50000 == 7 ? 3000000u : 0u);
    }
    // The values' own bytes (1,088,890 digits in 0..199999), then per row four 4-byte offsets and
    // four NULL bits: nothing per cell beyond that.
    const size_t text = 4 * 3000000 + 2 * 1088890 + 200000 * 4;
    EXPECT_LE(set->MemoryBytes(), text + 200000 * (16 + 1) + 1024);
}

TEST(ResultSetTest, FailuresCarrySqliteMessage) {
    const struct {
        const char* Sql;
        const char* Message;
    } cases[] = {
        {"SELEC 1", "near \"SELEC\": syntax error"},
        {"SELECT nosuch FROM sqlite_master", "no such column: nosuch"},
        {"", "empty statement"},
        // Fails while stepping, after rows have been read.
        {"SELECT 1 UNION ALL SELECT abs(-9223372036854775807 - 1)", "integer overflow"},
    };
    TSqlConnection db = MemoryDb();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Sql);
        try {
            RunQuery(db, c.Sql);
            ADD_FAILURE() << "no error";
        } catch (const EDatabaseError& e) {
            EXPECT_EQ(std::string(e.what()), c.Message);
        }
    }
    TSqlConnection closed;
    EXPECT_THROW(RunQuery(closed, "SELECT 1"), EDatabaseError);
}

TEST(ResultSetTest, ReadsTheCatalogueConnection) {
    const std::string path =
        (std::filesystem::temp_directory_path() / ("quiravel-resultset-" + std::to_string(getpid()) + ".db3"))
            .string();
    std::filesystem::remove(path);
    {
        TCatalogueStore store;
        ASSERT_TRUE(store.CreateCatalogue(path));
        ASSERT_TRUE(store.WriteInfo(0, 0));
        ASSERT_TRUE(store.CloseCatalogue());
        TSqlConnection db;
        ASSERT_TRUE(db.Open(path, SQLITE_OPEN_READWRITE));
        ASSERT_TRUE(db.Exec("INSERT INTO tablatures(title, artist) VALUES('Song', NULL);"));
    }
    TCatalogueConnection catalogue;
    catalogue.Open(path);
    const auto set = RunQuery(catalogue, "SELECT title, artist FROM tablatures");
    ASSERT_EQ(set->RowCount(), 1u);
    EXPECT_EQ(set->Cell(0, 0), "Song");
    EXPECT_TRUE(set->IsNull(0, 1));
    EXPECT_THROW(RunQuery(catalogue, "SELECT * FROM nosuch"), EDatabaseError);
    ASSERT_TRUE(catalogue.Close());
    std::filesystem::remove(path);
    EXPECT_THROW(RunQuery(catalogue, "SELECT 1"), EDatabaseError);
}

} // namespace
