// Times reading the whole tablature list into a result set on generated catalogues, and what the
// result costs in memory. Usage: bench_resultset [rows...] (default 100000 1000000).

#include "BenchSupport.h"
#include "browse/ResultSet.h"
#include "catalogue/CatalogueStore.h"
#include "catalogue/Sqlite.h"

#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace {

const char* const kSql = "SELECT title, artist, album, year, words, music, filename, filesize, filedate FROM "
                         "tablatures ORDER BY title";

const char* const kWords[] = {"love",  "night", "blue",  "heart", "fire",  "rain",  "road",  "home",
                              "dream", "light", "dark",  "river", "stone", "angel", "queen", "summer",
                              "wild",  "blood", "gold",  "moon",  "star",  "dance", "city",  "street",
                              "train", "ocean", "storm", "time",  "soul",  "ghost", "magic", "highway"};
const char* const kExtensions[] = {"gp3", "gp4", "gp5", "gpx", "ptb", "tg", "tef"};

[[noreturn]] void Fail(const char* what, const std::string& message) {
    std::fprintf(stderr, "%s: %s\n", what, message.c_str());
    std::exit(1);
}

using TGenerator = bench::TWordGenerator<std::mt19937>;

// Artists with a few albums of several songs each, filed as <root>/<letter>/<artist>/<album>/.
void Fill(TSqlConnection& db, int rows) {
    if (!db.Exec(CreateTablaturesSql) || !db.Exec("BEGIN;"))
        Fail("create", db.LastError());
    TSqlStatement insert;
    if (!insert.Prepare(db, "INSERT INTO tablatures(title, artist, album, year, words, music, filename, "
                            "filesize, filedate) VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9);"))
        Fail("insert", db.LastError());
    TGenerator gen(kWords, 20240601);
    for (int done = 0; done < rows;) {
        const std::string artist = gen.Words(1, 3);
        for (int albums = gen.Between(1, 6); albums > 0 && done < rows; --albums) {
            const std::string album = gen.Words(1, 3);
            const int year = gen.Between(0, 3) ? gen.Between(1960, 2023) : 0;
            for (int n = gen.Between(3, 14); n > 0 && done < rows; --n, ++done) {
                const std::string title = gen.Words(1, 4);
                const std::string credit = gen.Between(0, 1) ? artist : "";
                const std::string file = "/home/user/Tabs/" + artist.substr(0, 1) + "/" + artist + "/" +
                                         album + "/" + title + "." + kExtensions[gen.Between(0, 6)];
                char date[24];
                std::snprintf(date, sizeof date, "%04d-%02d-%02d %02d:%02d", gen.Between(2003, 2023),
                              gen.Between(1, 12), gen.Between(1, 28), gen.Between(0, 23), gen.Between(0, 59));
                const std::string texts[] = {title, artist, album, credit, credit, file, date};
                for (int i : {0, 1, 2})
                    insert.BindText(i + 1, texts[i]);
                year ? insert.BindInt(4, year) : insert.BindNull(4);
                insert.BindText(5, texts[3]);
                insert.BindText(6, texts[4]);
                insert.BindText(7, texts[5]);
                insert.BindInt(8, gen.Between(2000, 400000));
                insert.BindText(9, texts[6]);
                if (!insert.Run())
                    Fail("insert", db.LastError());
            }
        }
    }
    insert.Finalize();
    if (!db.Exec(
            "COMMIT; CREATE INDEX iartist ON tablatures(artist); CREATE INDEX ialbum ON tablatures(album);"))
        Fail("index", db.LastError());
}

double WallMs() {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

double CpuMs() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

// A line of /proc/self/status in MiB: VmRSS now, VmHWM the peak since the last ResetPeakRss.
double StatusMiB(const std::string& key) {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.compare(0, key.size() + 1, key + ":") == 0)
            return std::atof(line.c_str() + key.size() + 1) / 1024;
    return 0;
}

void ResetPeakRss() {
    std::ofstream("/proc/self/clear_refs") << "5";
}

// The first step sorts the whole table while it holds the connection's mutex: the longest time
// another thread sharing the connection may have to wait.
double FirstStepMs(TSqlConnection& db) {
    TSqlStatement query;
    if (!query.Prepare(db, kSql))
        Fail("prepare", db.LastError());
    const double start = WallMs();
    query.Step();
    return WallMs() - start;
}

void Run(int rows, const std::filesystem::path& dir) {
    const std::string path = (dir / ("quiravel-resultset-" + std::to_string(getpid()) + ".db3")).string();
    std::filesystem::remove(path);
    double start = WallMs();
    {
        TSqlConnection db;
        if (!db.Open(path, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE))
            Fail(path.c_str(), db.LastError());
        Fill(db, rows);
    }
    std::printf("\n%d rows (catalogue built in %.0f ms, %.1f MiB)\n", rows, WallMs() - start,
                std::filesystem::file_size(path) / 1048576.0);
    TSqlConnection db;
    if (!db.Open(path, SQLITE_OPEN_READONLY | SQLITE_OPEN_FULLMUTEX))
        Fail(path.c_str(), db.LastError());
    std::vector<double> wall, cpu, freeing;
    double peak = 0, before = 0, bytesPerRow = 0;
    for (int run = 0; run < 3; ++run) {
        before = StatusMiB("VmRSS");
        ResetPeakRss();
        start = WallMs();
        const double cpuStart = CpuMs();
        std::shared_ptr<const TResultSet> set = RunQuery(db, kSql);
        cpu.push_back(CpuMs() - cpuStart);
        wall.push_back(WallMs() - start);
        peak = StatusMiB("VmHWM");
        bytesPerRow = static_cast<double>(set->MemoryBytes()) / static_cast<double>(set->RowCount());
        start = WallMs();
        set.reset();
        freeing.push_back(WallMs() - start);
    }
    std::sort(wall.begin(), wall.end());
    std::sort(cpu.begin(), cpu.end());
    std::sort(freeing.begin(), freeing.end());
    std::printf("  RunQuery (median of 3): %.0f ms wall, %.0f ms CPU; first step alone %.0f ms\n", wall[1],
                cpu[1], FirstStepMs(db));
    std::printf("  result: %.1f bytes per row; freeing it %.2f ms\n", bytesPerRow, freeing[1]);
    std::printf("  RSS %.1f MiB before the query, peak %.1f MiB during it\n", before, peak);
    db.Close();
    std::filesystem::remove(path);
}

} // namespace

int main(int argc, char** argv) {
    std::vector<int> sizes;
    for (int i = 1; i < argc; ++i)
        sizes.push_back(std::atoi(argv[i]));
    if (sizes.empty())
        sizes = {100000, 1000000};
    std::printf("SQLite %s; query: %s\n", sqlite3_libversion(), kSql);
    for (int rows : sizes)
        Run(rows, std::filesystem::temp_directory_path());
    return 0;
}
