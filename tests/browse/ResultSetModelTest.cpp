#include "browse/ResultSetModel.h"

#include "../support/MemoryQuery.h"
#include "catalogue/Sqlite.h"

#include <gtest/gtest.h>

namespace {

TEST(ResultSetModelTest, ShowsTheSetItHolds) {
    TResultSetModel model;
    EXPECT_EQ(model.rowCount(), 0);
    EXPECT_EQ(model.columnCount(), 0);

    const auto rows = MemoryQuery("SELECT 'Motörhead' AS artist, NULL AS album, 7 AS year "
                                  "UNION ALL SELECT '', 'Ace', NULL");
    model.SetResultSet(rows);
    EXPECT_EQ(model.ResultSet(), rows);
    ASSERT_EQ(model.rowCount(), 2);
    ASSERT_EQ(model.columnCount(), 3);
    EXPECT_EQ(model.data(model.index(0, 0)).toString(), QString::fromUtf8("Motörhead"));
    EXPECT_FALSE(model.data(model.index(0, 1)).isValid());
    EXPECT_EQ(model.data(model.index(0, 2)).toString(), "7");
    EXPECT_EQ(model.data(model.index(1, 0)).toString(), "");
    EXPECT_TRUE(model.data(model.index(1, 0)).isValid());
    EXPECT_FALSE(model.data(model.index(0, 0), Qt::EditRole).isValid());
    EXPECT_FALSE(model.data(model.index(2, 0)).isValid());
    EXPECT_EQ(model.headerData(1, Qt::Horizontal).toString(), "album");
    EXPECT_FALSE(model.flags(model.index(0, 0)) & Qt::ItemIsEditable);
    // Rows of a table have no children.
    EXPECT_EQ(model.rowCount(model.index(0, 0)), 0);
}

// Attaching is a model reset, the list's notice that its rows changed.
TEST(ResultSetModelTest, AttachingResetsTheModel) {
    TResultSetModel model;
    int resets = 0;
    QObject::connect(&model, &QAbstractItemModel::modelReset, [&] {
        ++resets;
        EXPECT_EQ(model.rowCount(), 1);
    });
    IQueryTarget& target = model;
    target.Attach(MemoryQuery("SELECT 'a'"));
    EXPECT_EQ(resets, 1);
    EXPECT_EQ(model.data(model.index(0, 0)).toString(), "a");
}

} // namespace
