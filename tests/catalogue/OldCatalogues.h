#pragma once

#include "CatalogueFixtures.h"

#include <string>

// Catalogues as earlier releases wrote them, built with plain SQL.

// Schema 1 has no table errors; schema 2 adds it; schema 3 adds tablatures.filedate.
inline std::string CatalogueSchemaSql(int schema) {
    std::string sql =
        "CREATE TABLE tablatures (id INTEGER PRIMARY KEY, title VARCHAR(100), artist VARCHAR(100), "
        "album VARCHAR(100), year INTEGER, words VARCHAR(100), music VARCHAR(100), "
        "filename VARCHAR(270), filesize INTEGER" +
        std::string(schema >= 3 ? ", filedate VARCHAR(20));" : ");") +
        "CREATE TABLE directories (id INTEGER PRIMARY KEY, directory VARCHAR(270));"
        "CREATE TABLE dbinfo (iKey TEXT, iValue TEXT);";
    if (schema >= 2)
        sql += "CREATE TABLE errors (id INTEGER PRIMARY KEY, filename VARCHAR(270), error VARCHAR(100));";
    return sql;
}

inline void ExecSql(const std::string& path, const std::string& sql) {
    TSqlConnection db;
    ASSERT_TRUE(db.Open(path, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE)) << db.LastError();
    ASSERT_TRUE(db.Exec(sql.c_str())) << sql << ": " << db.LastError();
}

// A catalogue of the given schema whose db_ver row holds version ("" for no row).
inline void MakeCatalogue(const std::string& path, int schema, const std::string& version,
                          const std::string& extraSql = "") {
    std::string sql = CatalogueSchemaSql(schema);
    if (!version.empty())
        sql += "INSERT INTO dbinfo VALUES('db_ver', " + version + ");";
    ExecSql(path, sql + extraSql);
}

inline std::string FileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}
