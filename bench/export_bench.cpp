// bench_export [ROWS] [REPS]
// Builds a catalogue of ROWS tablatures (100,000 by default) in a temporary folder, then times the
// export of its list, sorted by title, to each format against copying a file of the same size
// (read and write in 64 KiB blocks, both in the page cache). Prints the median of REPS runs (3),
// the rows and bytes written, the ratio export / copy, and the time of reading the list alone. The
// Access export runs first, so that its growth of the peak resident memory shows.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

#include "BenchSupport.h"
#include "browse/QueryComposer.h"
#include "catalogue/CatalogueConnection.h"
#include "catalogue/CatalogueStore.h"
#include "catalogue/Sqlite.h"
#include "output/AccessExport.h"
#include "output/CatalogueExportSource.h"
#include "output/Export.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

// Texts of a plausible library: a few thousand artists, some names outside ASCII, half the rows
// without a year.
std::string Text(const char* stem, long long n, long long pool) {
    static const char* const accents[] = {
        "", "", "", "", " Caf\u00e9", " \u0416\u0443\u043a", "", " M\u00f6tley"};
    return std::string(stem) + " " + std::to_string(n % pool) + accents[n % 8];
}

bool BuildCatalogue(const std::string& path, long long rows) {
    TSqlConnection db;
    if (!db.Open(path, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE))
        return false;
    for (const char* sql : {CreateTablaturesSql, CreateDirectoriesSql, CreateErrorsSql, CreateDbInfoSql,
                            "INSERT INTO dbinfo(iKey, iValue) VALUES('db_ver', '3');", "BEGIN;"})
        if (!db.Exec(sql))
            return false;
    TSqlStatement insert;
    if (!insert.Prepare(db, "INSERT INTO tablatures(title, artist, album, year, words, music, filename, "
                            "filesize, filedate) VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9);"))
        return false;
    for (long long i = 0; i < rows; ++i) {
        const long long k = (i * 7919) % rows;
        std::string title = Text("Song", k, rows), artist = Text("Artist", k, 3000),
                    album = Text("Album", k, 12000), words = Text("Lyricist", k, 500),
                    music = Text("Composer", k, 500),
                    file = "/home/user/Tablatures/" + artist + "/" + album + "/" + title + ".gp5";
        insert.BindText(1, title);
        insert.BindText(2, artist);
        insert.BindText(3, album);
        k % 2 ? insert.BindInt(4, static_cast<int>(1960 + k % 60)) : insert.BindNull(4);
        insert.BindText(5, words);
        insert.BindText(6, music);
        insert.BindText(7, file);
        insert.BindInt64(8, 20000 + k % 90000);
        insert.BindText(9, "2010-03-05 14:07");
        if (!insert.Run())
            return false;
    }
    insert.Finalize();
    return db.Exec("COMMIT;");
}

double CopyFile(const std::string& from, const std::string& to) {
    const auto start = Clock::now();
    int in = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
    int out = ::open(to.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    static char buffer[64 * 1024];
    for (ssize_t n; (n = ::read(in, buffer, sizeof buffer)) > 0;)
        if (::write(out, buffer, static_cast<size_t>(n)) != n)
            std::exit(2);
    ::close(in);
    ::close(out);
    return std::chrono::duration<double>(Clock::now() - start).count();
}

long PeakKiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// Rows already in memory, so that a run times the writer alone.
class TMemoryRows : public TExportRowSource {
public:
    explicit TMemoryRows(const std::vector<TExportRow>& rows) : Rows(rows) {}
    int64_t Total() override { return static_cast<int64_t>(Rows.size()); }
    bool Next(TExportRow& row) override {
        if (Pos == Rows.size())
            return false;
        row = Rows[Pos++];
        return true;
    }

private:
    const std::vector<TExportRow>& Rows;
    size_t Pos = 0;
};

// The Access export: the template copy and the rows, timed together; then the same from rows in
// memory, which is the writer's own cost.
bool BenchAccess(TCatalogueConnection& db, const std::string& query, const fs::path& dir, int reps) {
    const std::string out = (dir / "export.mdb").string();
    std::vector<double> exportTimes, copyTimes;
    TAccessExportResult result;
    const long peakBefore = PeakKiB();
    for (int r = 0; r < reps; ++r) {
        TCatalogueExportSource source(db, query);
        const auto start = Clock::now();
        std::string error;
        if (!CopyAccessTemplate(AccessDataFile(), out, error)) {
            std::fprintf(stderr, "mdb: %s\n", error.c_str());
            return false;
        }
        result = ExportAccessRows(source, out, {});
        exportTimes.push_back(std::chrono::duration<double>(Clock::now() - start).count());
        if (!result.Ok) {
            std::fprintf(stderr, "mdb: %s\n", result.Message.c_str());
            return false;
        }
        copyTimes.push_back(CopyFile(out, (dir / "copy").string()));
    }
    const double e = bench::Median(exportTimes), c = bench::Median(copyTimes);
    std::printf("%-6s %8lld %12llu %10.3f %10.4f %8.1f   peak RSS +%ld KiB\n", "mdb",
                static_cast<long long>(result.Written), static_cast<unsigned long long>(fs::file_size(out)),
                e, c, e / c, PeakKiB() - peakBefore);

    std::vector<TExportRow> rows;
    TCatalogueExportSource source(db, query);
    for (TExportRow row; source.Next(row);)
        rows.push_back(row);
    std::vector<double> memoryTimes;
    for (int r = 0; r < reps; ++r) {
        TMemoryRows memory(rows);
        const auto start = Clock::now();
        std::string error;
        if (!CopyAccessTemplate(AccessDataFile(), out, error) || !ExportAccessRows(memory, out, {}).Ok)
            return false;
        memoryTimes.push_back(std::chrono::duration<double>(Clock::now() - start).count());
    }
    std::printf("%-6s %8lld %12s %10.3f %10s %8.1f   (rows from memory: the writer alone)\n", "mdb",
                static_cast<long long>(rows.size()), "", bench::Median(memoryTimes), "",
                bench::Median(memoryTimes) / c);
    return true;
}

} // namespace

int main(int argc, char** argv) {
    const long long rows = argc > 1 ? std::atoll(argv[1]) : 100000;
    const int reps = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
    std::string pattern = (fs::temp_directory_path() / "qv_bench_export_XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        return 2;
    const fs::path dir = pattern;
    const std::string dbPath = (dir / "tabs.db3").string();
    if (!BuildCatalogue(dbPath, rows)) {
        std::fprintf(stderr, "cannot build the catalogue\n");
        return 2;
    }
    TCatalogueConnection db;
    db.Open(dbPath);
    std::printf("catalogue: %lld rows; export sorted by title, median of %d runs\n", rows, reps);

    BrowseInput list; // the list's shipped sort: title, ascending
    list.SortColumns = {{"title", false}};
    const std::string query = SongsBrowseSQL(list);
    std::vector<double> readTimes;
    for (int r = 0; r < reps; ++r) {
        TCatalogueExportSource source(db, query);
        const auto start = Clock::now();
        for (TExportRow row; source.Next(row);) {
        }
        readTimes.push_back(std::chrono::duration<double>(Clock::now() - start).count());
    }
    std::printf("reading the sorted list alone: %.3f s\n", bench::Median(readTimes));
    std::printf("%-6s %8s %12s %10s %10s %8s\n", "format", "rows", "bytes", "export s", "copy s", "ratio");

    if (!BenchAccess(db, query, dir, reps))
        return 1;
    const struct {
        TExportKind Kind;
        const char* Name;
    } kinds[] = {{ekExcel, "xls"}, {ekHTML, "html"}, {ekXML, "xml"}};
    for (const auto& k : kinds) {
        const std::string out = (dir / (std::string("export.") + k.Name)).string();
        std::vector<double> exportTimes, copyTimes;
        TExportResult result;
        for (int r = 0; r < reps; ++r) {
            TCatalogueExportSource source(db, query);
            const auto start = Clock::now();
            result =
                ExportCatalogue(source, k.Kind, out, {.CodePage = "CP1252", .Progress = {}, .Stop = nullptr});
            exportTimes.push_back(std::chrono::duration<double>(Clock::now() - start).count());
            if (!result.Ok) {
                std::fprintf(stderr, "%s: %s\n", k.Name, result.Message.c_str());
                return 1;
            }
            copyTimes.push_back(CopyFile(out, (dir / "copy").string()));
        }
        const double e = bench::Median(exportTimes), c = bench::Median(copyTimes);
        std::printf("%-6s %8lld %12llu %10.3f %10.4f %8.1f\n", k.Name, static_cast<long long>(result.Written),
                    static_cast<unsigned long long>(fs::file_size(out)), e, c, e / c);
    }
    fs::remove_all(dir);
    return 0;
}
