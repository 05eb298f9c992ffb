#pragma once

#include "ByteBuilder.h"
#include "catalogue/Sqlite.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

// A folder under the system's temporary folder, removed with everything in it.
class TTempDir {
public:
    TTempDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "quiravel-test-XXXXXX").string();
        Path = mkdtemp(pattern.data()) ? pattern : "";
        EXPECT_FALSE(Path.empty());
    }
    ~TTempDir() {
        std::error_code ec;
        std::filesystem::remove_all(Path, ec);
    }
    TTempDir(const TTempDir&) = delete;
    TTempDir& operator=(const TTempDir&) = delete;
    std::string operator/(const std::string& name) const { return Path + "/" + name; }
    std::string Path;
};

inline void WriteFile(const std::string& path, const std::string& bytes) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

// A Guitar Pro 5 header: the version text, then six size-prefixed blocks (title, subtitle,
// artist, album, words, music).
inline std::string Gp5File(const std::string& title, const std::string& artist = "",
                           const std::string& album = "", const std::string& words = "",
                           const std::string& music = "") {
    const std::string version = "FICHIER GUITAR PRO v5.00";
    ByteBuilder b;
    b.Byte(static_cast<uint8_t>(version.size())).Bytes(version).Fill(30 - version.size());
    for (const std::string* text : {&title, &title, &artist, &album, &words, &music})
        b.Dword(static_cast<uint32_t>(text->size() + 1)).ByteString(*text);
    return b.Str();
}

constexpr const char* Null = "<NULL>";

// Every row of a query as texts, NULL as Null. Opened read-write, as the program opens a
// catalogue, so that a journal left by a killed writer is rolled back.
inline std::vector<std::vector<std::string>> Rows(const std::string& dbPath, const std::string& sql) {
    std::vector<std::vector<std::string>> rows;
    TSqlConnection db;
    if (!db.Open(dbPath, SQLITE_OPEN_READWRITE)) {
        ADD_FAILURE() << dbPath << ": " << db.LastError();
        return rows;
    }
    TSqlStatement query;
    if (!query.Prepare(db, sql)) {
        ADD_FAILURE() << sql << ": " << db.LastError();
        return rows;
    }
    while (query.Step() == SQLITE_ROW) {
        rows.emplace_back();
        for (int c = 0; c < query.ColumnCount(); ++c)
            rows.back().push_back(query.ColumnIsNull(c) ? Null : query.ColumnText(c));
    }
    return rows;
}

using TRows = std::vector<std::vector<std::string>>;
