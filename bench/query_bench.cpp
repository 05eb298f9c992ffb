// Times the list queries on generated catalogues, reading every row into memory as the lists do.
// Usage: bench_query [--keep-heap] [rows...] (default 100000 1000000). Prints the medians of each query.

#include "BenchSupport.h"
#include "browse/QueryComposer.h"

#include <malloc.h>
#include <sqlite3.h>
#include <sys/mman.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

struct DbClose {
    void operator()(sqlite3* db) const { sqlite3_close(db); }
};
struct StmtFinalize {
    void operator()(sqlite3_stmt* stmt) const { sqlite3_finalize(stmt); }
};
using Db = std::unique_ptr<sqlite3, DbClose>;
using Stmt = std::unique_ptr<sqlite3_stmt, StmtFinalize>;

[[noreturn]] void Fail(sqlite3* db, const char* what) {
    std::fprintf(stderr, "%s: %s\n", what, db ? sqlite3_errmsg(db) : "out of memory");
    std::exit(1);
}

void Exec(sqlite3* db, const char* sql) {
    if (sqlite3_exec(db, sql, nullptr, nullptr, nullptr) != SQLITE_OK)
        Fail(db, sql);
}

Stmt Prepare(sqlite3* db, const std::string& sql) {
    sqlite3_stmt* raw = nullptr;
    const int rc = sqlite3_prepare_v2(db, sql.c_str(), static_cast<int>(sql.size()), &raw, nullptr);
    Stmt stmt(raw);
    if (rc != SQLITE_OK)
        Fail(db, sql.c_str());
    return stmt;
}

const char* const kWords[] = {
    "love",   "night",  "blue",   "heart", "fire",    "rain",    "road",    "home",   "dream",  "light",
    "dark",   "slow",   "river",  "stone", "angel",   "devil",   "queen",   "king",   "summer", "winter",
    "wild",   "lonely", "blood",  "gold",  "silver",  "black",   "white",   "moon",   "sun",    "star",
    "fall",   "rise",   "dance",  "cry",   "song",    "blues",   "rock",    "roll",   "city",   "street",
    "train",  "ocean",  "storm",  "time",  "world",   "mind",    "soul",    "eyes",   "hand",   "tears",
    "glory",  "shadow", "ghost",  "magic", "highway", "thunder", "sweet",   "little", "crazy",  "broken",
    "free",   "lost",   "angels", "hell",  "heaven",  "mother",  "baby",    "woman",  "man",    "girl",
    "boy",    "fever",  "desert", "iron",  "steel",   "child",   "lady",    "money",  "mirror", "window",
    "garden", "secret", "island", "empty", "alone",   "forever", "tonight", "echo",   "wolf",   "raven"};
const char* const kExtensions[] = {"gp3", "gp4", "gp5", "gpx", "ptb", "tg", "tef", "gtp"};

using Generator = bench::TWordGenerator<std::mt19937_64>;

const char* kInsert = "INSERT INTO tablatures(title, artist, album, year, words, music, filename, filesize, "
                      "filedate) VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9);";

struct Song {
    std::string Title, Artist, Album, Words, Music, FileName, FileDate;
    int Year = 0;
    int FileSize = 0;
};

void Insert(sqlite3_stmt* insert, const Song& s) {
    sqlite3_bind_text(insert, 1, s.Title.c_str(), -1, SQLITE_STATIC);
    sqlite3_bind_text(insert, 2, s.Artist.c_str(), -1, SQLITE_STATIC);
    sqlite3_bind_text(insert, 3, s.Album.c_str(), -1, SQLITE_STATIC);
    if (s.Year)
        sqlite3_bind_int(insert, 4, s.Year);
    else
        sqlite3_bind_null(insert, 4);
    sqlite3_bind_text(insert, 5, s.Words.c_str(), -1, SQLITE_STATIC);
    sqlite3_bind_text(insert, 6, s.Music.c_str(), -1, SQLITE_STATIC);
    sqlite3_bind_text(insert, 7, s.FileName.c_str(), -1, SQLITE_STATIC);
    sqlite3_bind_int(insert, 8, s.FileSize);
    sqlite3_bind_text(insert, 9, s.FileDate.c_str(), -1, SQLITE_STATIC);
    if (sqlite3_step(insert) != SQLITE_DONE)
        Fail(sqlite3_db_handle(insert), "insert");
    sqlite3_reset(insert);
}

// Artists with several albums of several songs each, filed as Tabs/<letter>/<artist>/<album>/<song>;
// some songs have no album and lie in the artist's folder. Returns one album folder for folder mode.
std::string Fill(sqlite3* db, int rows, std::string& someArtist) {
    Exec(db, "BEGIN TRANSACTION;");
    Stmt insert = Prepare(db, kInsert);
    Generator gen(kWords, 20240601);
    std::string folder;
    for (int done = 0, artistNo = 0; done < rows; ++artistNo) {
        const std::string artist = gen.Words(1, 3) + (artistNo % 7 == 0 ? " Band" : "");
        const std::string artistDir = "/home/user/Tabs/" + artist.substr(0, 1) + "/" + artist;
        for (int albums = gen.Between(1, 8); albums > 0 && done < rows; --albums) {
            const bool loose = gen.Chance(0.15);
            const std::string album = loose ? "" : gen.Words(1, 3);
            const std::string dir = loose ? artistDir : artistDir + "/" + album;
            const int year = gen.Chance(0.3) ? 0 : gen.Between(1960, 2023);
            for (int n = gen.Between(3, 14); n > 0 && done < rows; --n, ++done) {
                Song s{gen.Words(1, 4), artist, album, "", "", "", "", year, gen.Between(2000, 400000)};
                if (gen.Chance(0.5))
                    s.Words = s.Music = gen.Chance(0.7) ? artist : gen.Words(2, 2);
                s.FileName = dir + "/" + s.Title + "." +
                             kExtensions[gen.Between(0, static_cast<int>(std::size(kExtensions)) - 1)];
                char date[32];
                std::snprintf(date, sizeof date, "%04d-%02d-%02d %02d:%02d", gen.Between(2003, 2023),
                              gen.Between(1, 12), gen.Between(1, 28), gen.Between(0, 23), gen.Between(0, 59));
                s.FileDate = date;
                Insert(insert.get(), s);
            }
            if (!loose && (folder.empty() || artistNo == 100)) {
                someArtist = artist;
                folder = dir;
            }
        }
    }
    insert.reset();
    Exec(db, "COMMIT;");
    Exec(db, "CREATE INDEX iartist ON tablatures(artist);");
    Exec(db, "CREATE INDEX ialbum ON tablatures(album);");
    return folder;
}

Db Create(const std::string& path) {
    sqlite3* raw = nullptr;
    const int rc = sqlite3_open_v2(path.c_str(), &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    Db db(raw);
    if (rc != SQLITE_OK)
        Fail(raw, path.c_str());
    Exec(db.get(),
         "CREATE TABLE tablatures (id INTEGER PRIMARY KEY, title VARCHAR(100), artist VARCHAR(100), "
         "album VARCHAR(100), year INTEGER, words VARCHAR(100), music VARCHAR(100), "
         "filename VARCHAR(270), filesize INTEGER, filedate VARCHAR(20));");
    Exec(db.get(), "CREATE TABLE directories (id INTEGER PRIMARY KEY, directory VARCHAR(270));");
    Exec(db.get(),
         "CREATE TABLE errors (id INTEGER PRIMARY KEY, filename VARCHAR(270), error VARCHAR(100));");
    Exec(db.get(), "CREATE TABLE dbinfo (iKey TEXT, iValue TEXT);");
    return db;
}

// A result set as the lists keep it: one cell per value, texts packed into one buffer.
struct ResultSet {
    struct Cell {
        long long Value; // the integer, the double's bits, or the text's offset
        unsigned Size;
        int Type;
    };
    int Columns = 0;
    std::vector<Cell> Cells;
    std::string Texts;
};

// Runs the query and copies every row into memory. Returns the number of rows.
size_t Materialise(sqlite3* db, const std::string& sql) {
    Stmt stmt = Prepare(db, sql);
    sqlite3_stmt* s = stmt.get();
    ResultSet result;
    result.Columns = sqlite3_column_count(s);
    int rc;
    while ((rc = sqlite3_step(s)) == SQLITE_ROW) {
        for (int c = 0; c < result.Columns; ++c) {
            const int type = sqlite3_column_type(s, c);
            if (type == SQLITE_TEXT || type == SQLITE_BLOB) {
                const unsigned size = static_cast<unsigned>(sqlite3_column_bytes(s, c));
                result.Cells.push_back({static_cast<long long>(result.Texts.size()), size, type});
                result.Texts.append(static_cast<const char*>(sqlite3_column_blob(s, c)), size);
            } else if (type == SQLITE_FLOAT) {
                const double value = sqlite3_column_double(s, c);
                long long bits;
                std::memcpy(&bits, &value, sizeof bits);
                result.Cells.push_back({bits, 0, type});
            } else {
                result.Cells.push_back({sqlite3_column_int64(s, c), 0, type});
            }
        }
    }
    if (rc != SQLITE_DONE)
        Fail(db, sql.c_str());
    return result.Columns ? result.Cells.size() / result.Columns : 0;
}

struct Query {
    std::string Name;
    std::string Sql;
};

std::vector<Query> Queries(const std::string& artist, const std::string& folder) {
    BrowseInput in;
    in.SortColumns = {{"title", false}};
    in.SearchText = "lo";
    in.SearchField = 3;
    std::vector<Query> list = {{"all artists", ArtistsBrowseSQL(in)}, {"all tablatures", SongsBrowseSQL(in)}};
    BrowseInput chosen = in;
    chosen.AllArtists = false;
    chosen.Artist = artist;
    list.push_back({"albums of an artist", AlbumsBrowseSQL(chosen)});
    list.push_back({"tablatures of an artist", SongsBrowseSQL(chosen)});
    for (int fileNames : {0, 1, 2}) {
        in.FileNameSearch = fileNames;
        const std::string suffix = " (file names " + std::to_string(fileNames) + ")";
        list.push_back({"search artists" + suffix, ArtistsSearchSQL(in)});
        list.push_back({"search albums" + suffix, AlbumsSearchSQL(in)});
        list.push_back({"search tablatures" + suffix, SongsSearchSQL(in)});
    }
    in.FolderPath = folder;
    list.push_back({"folder", FolderSQL(in)});
    return list;
}

double CpuMs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

double WallMs() {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

struct Timing {
    double Wall = 0, Cpu = 0;
    size_t Rows = 0;
};

// Medians of wall and CPU time: the machine is shared, so CPU time is the steadier figure.
// Queries slower than 3 s run three times instead of five.
Timing Measure(sqlite3* db, const std::string& sql) {
    std::vector<double> wall, cpu;
    Timing t;
    for (int i = 0; i < 5 && !(i == 3 && wall.back() > 3000); ++i) {
        const double w = WallMs(), c = CpuMs();
        t.Rows = Materialise(db, sql);
        cpu.push_back(CpuMs() - c);
        wall.push_back(WallMs() - w);
    }
    std::sort(wall.begin(), wall.end());
    std::sort(cpu.begin(), cpu.end());
    t.Wall = wall[wall.size() / 2];
    t.Cpu = cpu[cpu.size() / 2];
    return t;
}

// How the connection and the catalogue are prepared before the queries run.
struct Setup {
    const char* Name;
    std::vector<const char*> Statements;
};

const Setup kSetups[] = {
    {"catalogue as stored, default connection", {}},
    {"connection with 64 MiB cache, mapped file, temporary data in memory",
     {"PRAGMA cache_size=-65536;", "PRAGMA mmap_size=1073741824;", "PRAGMA temp_store=MEMORY;"}},
    {"the same plus an index on title COLLATE NOCASE",
     {"PRAGMA cache_size=-65536;", "PRAGMA mmap_size=1073741824;", "PRAGMA temp_store=MEMORY;",
      "CREATE INDEX IF NOT EXISTS ititle ON tablatures(title COLLATE NOCASE);"}},
};

void TimeQueries(const std::string& path, const Setup& setup, const std::vector<Query>& queries) {
    sqlite3* raw = nullptr;
    const int rc =
        sqlite3_open_v2(path.c_str(), &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_FULLMUTEX, nullptr);
    Db db(raw);
    if (rc != SQLITE_OK)
        Fail(raw, path.c_str());
    for (const char* statement : setup.Statements)
        Materialise(db.get(), statement);
    std::printf("  %s\n  %-32s %10s %10s %9s\n", setup.Name, "", "wall ms", "CPU ms", "rows");
    for (const Query& q : queries) {
        const Timing t = Measure(db.get(), q.Sql);
        std::printf("  %-32s %10.1f %10.1f %9zu\n", q.Name.c_str(), t.Wall, t.Cpu, t.Rows);
    }
}

void Run(int rows, const std::filesystem::path& dir, bool showTexts) {
    const std::string path =
        (dir / ("quiravel-bench-" + std::to_string(getpid()) + "-" + std::to_string(rows) + ".db3")).string();
    std::filesystem::remove(path);
    std::string artist, folder;
    const double start = WallMs();
    {
        Db db = Create(path);
        folder = Fill(db.get(), rows, artist);
    }
    std::printf("\n%d rows (catalogue built in %.0f ms, %.1f MiB)\n", rows, WallMs() - start,
                std::filesystem::file_size(path) / 1048576.0);
    const std::vector<Query> queries = Queries(artist, folder);
    if (showTexts)
        for (const Query& q : queries)
            std::printf("  %s: %s\n", q.Name.c_str(), q.Sql.c_str());
    for (const Setup& setup : kSetups)
        TimeQueries(path, setup, queries);
    std::filesystem::remove(path);
}

// Milliseconds of CPU time to touch one MiB of fresh memory: the price of every new result set.
double FreshMemoryMsPerMiB() {
    const size_t size = 64 << 20;
    const double start = CpuMs();
    void* block = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (block == MAP_FAILED)
        return 0;
    for (size_t i = 0; i < size; i += 4096)
        static_cast<volatile char*>(block)[i] = 1;
    const double ms = CpuMs() - start;
    munmap(block, size);
    return ms / 64;
}

} // namespace

int main(int argc, char** argv) {
    std::vector<int> sizes;
    bool keepHeap = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--keep-heap") == 0)
            keepHeap = true;
        else
            sizes.push_back(std::atoi(argv[i]));
    }
    if (sizes.empty())
        sizes = {100000, 1000000};
    // Freed memory stays with the process, so repeated runs reuse pages instead of faulting in new ones.
    if (keepHeap) {
        mallopt(M_MMAP_THRESHOLD, 1 << 30);
        mallopt(M_TRIM_THRESHOLD, INT_MAX);
    }
    std::printf("SQLite %s; medians of 5 runs (3 above 3 s), every row read into memory%s\n",
                sqlite3_libversion(), keepHeap ? "; freed memory kept" : "");
    std::printf("Fresh memory costs %.2f ms CPU per MiB here\n", FreshMemoryMsPerMiB());
    const std::filesystem::path dir = std::filesystem::temp_directory_path();
    for (size_t i = 0; i < sizes.size(); ++i)
        Run(sizes[i], dir, i == 0);
    return 0;
}
