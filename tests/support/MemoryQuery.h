#pragma once

#include "browse/ResultSet.h"
#include "catalogue/Sqlite.h"

#include <gtest/gtest.h>

#include <memory>
#include <string_view>

// The rows of sql run on an empty in-memory database: result sets made of literal rows.
inline std::shared_ptr<const TResultSet> MemoryQuery(std::string_view sql) {
    TSqlConnection db;
    EXPECT_TRUE(db.Open(":memory:", SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE));
    return RunQuery(db, sql);
}
