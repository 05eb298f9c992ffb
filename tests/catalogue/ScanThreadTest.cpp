#include "catalogue/ScanThread.h"
#include "CatalogueFixtures.h"
#include "readers/TabFormats.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <map>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Records what the scan shows; calls run on the worker, which is all a test receiver needs.
class TRecordedProgress : public IScanProgress {
public:
    std::function<void(const std::string&, const std::string&)> OnShow;
    std::vector<std::pair<std::string, std::string>> Shown;
    void ShowProgress(const std::string& stage, const std::string& folder) override {
        Shown.emplace_back(stage, folder);
        if (OnShow)
            OnShow(stage, folder);
    }
};

struct TScanResult {
    std::string Failure;
    int Added, ErrorCount;
    std::map<std::string, std::string> Errors; // file name -> message
};

TScanResult Scan(const std::vector<std::string>& roots, const std::string& db, uint8_t types = ttAll,
                 IScanProgress* progress = nullptr) {
    TScanThread scan(roots, types, db, progress);
    scan.Start();
    scan.WaitFor();
    EXPECT_TRUE(scan.Finished());
    TScanResult r{scan.Failure(), scan.Added(), scan.ErrorCount(), {}};
    for (const TScanError& e : scan.Errors())
        r.Errors[e.FileName] = e.Message;
    return r;
}

std::vector<std::string> Column(const std::string& db, const std::string& sql) {
    std::vector<std::string> values;
    for (const auto& row : Rows(db, sql))
        values.push_back(row.at(0));
    return values;
}

TEST(ScanThread, FilesAreReadIgnoredOrReported) {
    TTempDir dir;
    const std::string root = dir / "tabs";
    const std::string good = Gp5File("Song", "Artist", "Album", "Words", "Music");
    WriteFile(root + "/SONG.GP5", good);
    WriteFile(root + "/song.gp5.bak", good);
    WriteFile(root + "/gp5", good);
    WriteFile(root + "/.hidden/inner.gp4", good); // the version text decides, not the extension
    WriteFile(root + "/a-truncated.gp5", good.substr(0, 38));
    WriteFile(root + "/b-after-truncated.gp5", Gp5File("Next"));
    WriteFile(root + "/caf\xe9.gp5", good);
    ASSERT_EQ(mkfifo((root + "/pipe.gp5").c_str(), 0600), 0);
    ASSERT_EQ(symlink(root.c_str(), (root + "/loop").c_str()), 0);
    ASSERT_EQ(symlink("SONG.GP5", (root + "/link.gp5").c_str()), 0);
    ASSERT_EQ(symlink("missing.gp5", (root + "/dangling.gp5").c_str()), 0);
    const bool root_user = geteuid() == 0; // permissions do not stop root
    if (!root_user) {
        WriteFile(root + "/locked.gp5", good);
        chmod((root + "/locked.gp5").c_str(), 0);
    }
    const std::string db = dir / "tabs.db3";

    // A trailing "/" on the root still joins entries with one "/"; a missing root is passed over.
    const TScanResult r = Scan({root + "/", dir / "missing"}, db);
    EXPECT_EQ(r.Failure, "");
    EXPECT_EQ(Column(db, "SELECT filename FROM tablatures ORDER BY filename"),
              (std::vector<std::string>{root + "/.hidden/inner.gp4", root + "/SONG.GP5",
                                        root + "/b-after-truncated.gp5", root + "/link.gp5"}));
    EXPECT_EQ(r.Added, 4);
    std::map<std::string, std::string> errors = {
        {root + "/a-truncated.gp5", "Cannot read GP345 block"},
        {root + "/caf\xef\xbf\xbd.gp5", "File name is not valid UTF-8"},
        {root + "/dangling.gp5", "Cannot open file \"" + root + "/dangling.gp5\". No such file or directory"},
    };
    if (!root_user)
        errors[root + "/locked.gp5"] = "Cannot open file \"" + root + "/locked.gp5\". Permission denied";
    EXPECT_EQ(r.Errors, errors);
    EXPECT_EQ(r.ErrorCount, static_cast<int>(errors.size()));
    EXPECT_EQ(Column(db, "SELECT directory FROM directories ORDER BY id"),
              (std::vector<std::string>{root + "/", dir / "missing"}));
    EXPECT_EQ(Rows(db,
                   "SELECT title, artist, album, year, words, music, filesize FROM tablatures WHERE filename "
                   "LIKE '%/SONG.GP5'"),
              (TRows{{"Song", "Artist", "Album", Null, "Words", "Music", std::to_string(good.size())}}));
    EXPECT_EQ(Column(db, "SELECT count(*) FROM tablatures WHERE filedate LIKE '2___-__-__ __:__'"),
              (std::vector<std::string>{"4"}));

    // Only PowerTab wanted: the Guitar Pro files are neither read nor counted.
    const TScanResult ptb = Scan({root}, db, ttPowerTab);
    EXPECT_EQ(ptb.Added, 0);
    EXPECT_EQ(ptb.ErrorCount, 0);
    EXPECT_TRUE(Rows(db, "SELECT * FROM tablatures").empty());
}

TEST(ScanThread, CancelAfterTheFirstRootCommitsWhatWasRead) {
    TTempDir dir;
    for (const char* root : {"one", "two", "three"})
        for (const char* name : {"a.gp5", "b.gp5"})
            WriteFile(dir / (std::string(root) + "/" + name), Gp5File(name));
    const std::vector<std::string> roots = {dir / "one", dir / "two", dir / "three"};
    const std::string db = dir / "tabs.db3";
    TRecordedProgress progress;
    TScanThread scan(roots, ttAll, db, &progress);
    progress.OnShow = [&](const std::string& stage, const std::string& folder) {
        if (stage == "Processing directory:" && folder == roots[1])
            scan.Terminate();
    };
    scan.Start();
    scan.WaitFor();

    EXPECT_EQ(scan.Added(), 2);
    EXPECT_EQ(Column(db, "SELECT filename FROM tablatures ORDER BY filename"),
              (std::vector<std::string>{roots[0] + "/a.gp5", roots[0] + "/b.gp5"}));
    const std::vector<std::pair<std::string, std::string>> expected = {
        {"Processing directory:", roots[0]},
        {"Processing directory:", roots[1]},
        {"Processing directory:", roots[2]},
        {"Finishing...", ""},
        {"Done.", ""},
    };
    EXPECT_EQ(progress.Shown, expected);
    EXPECT_EQ(Column(db, "SELECT iKey FROM dbinfo"),
              (std::vector<std::string>{"upd_date", "upd_time", "upd_msec", "err_count", "db_ver"}));
    EXPECT_EQ(Column(db, "SELECT count(*) FROM sqlite_master WHERE type = 'index'"),
              (std::vector<std::string>{"2"}));
}

TEST(ScanThread, RescanReplacesRowsFolderListAndErrors) {
    TTempDir dir;
    WriteFile(dir / "a/one.gp5", Gp5File("One"));
    WriteFile(dir / "a/two.gp5", Gp5File("Two"));
    WriteFile(dir / "a/bad.gp5", "x");
    WriteFile(dir / "b/three.gp5", Gp5File("Three"));
    const std::string db = dir / "tabs.db3";
    ASSERT_EQ(Scan({dir / "a"}, db).Added, 2);
    const TScanResult second = Scan({dir / "b"}, db);
    EXPECT_EQ(second.Added, 1);
    EXPECT_EQ(Column(db, "SELECT title FROM tablatures"), (std::vector<std::string>{"Three"}));
    EXPECT_EQ(Column(db, "SELECT directory FROM directories"), (std::vector<std::string>{dir / "b"}));
    EXPECT_TRUE(Rows(db, "SELECT * FROM errors").empty());
    EXPECT_EQ(Column(db, "SELECT iValue FROM dbinfo WHERE iKey = 'err_count'"),
              (std::vector<std::string>{"0"}));
    EXPECT_EQ(Column(db, "SELECT count(*) FROM sqlite_master WHERE type = 'index'"),
              (std::vector<std::string>{"2"}));
}

TEST(ScanThread, CatalogueThatCannotBeWrittenIsAFailure) {
    TTempDir dir;
    WriteFile(dir / "tabs/a.gp5", Gp5File("A"));
    const std::string text = "plain text, not a catalogue; it must survive the attempt unchanged";
    WriteFile(dir / "notes.db3", text);
    struct Case {
        std::string Db;
        std::string Failure;
    } cases[] = {
        {dir / "no-such-folder/tabs.db3", dir / "no-such-folder/tabs.db3: Cannot create database"},
        {dir / "notes.db3", dir / "notes.db3: Cannot create database"},
        {dir / "tabs", dir / "tabs: Cannot create database"},
    };
    for (const Case& c : cases) {
        TRecordedProgress progress;
        const TScanResult r = Scan({dir / "tabs"}, c.Db, ttAll, &progress);
        EXPECT_EQ(r.Failure, c.Failure);
        EXPECT_TRUE(progress.Shown.empty()) << c.Db;
    }
    // A catalogue path longer than the path buffer is refused, not cut to a shorter, valid one.
    std::string cut = dir.Path + "/";
    while (cut.size() + std::strlen("cut.db3") < TabPathSize - 1)
        cut += cut.size() + std::strlen("cut.db3") + 2 <= TabPathSize - 1 ? "./" : "/";
    cut += "cut.db3";
    ASSERT_EQ(cut.size(), TabPathSize - 1);
    EXPECT_NE(Scan({dir / "tabs"}, cut + ".long").Failure, "");
    EXPECT_FALSE(std::filesystem::exists(dir / "cut.db3"));

    std::ifstream in(dir / "notes.db3");
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), text);

    // An empty file is an empty database: it becomes a catalogue, with a note in the errors.
    WriteFile(dir / "empty.db3", "");
    const TScanResult r = Scan({dir / "tabs"}, dir / "empty.db3");
    EXPECT_EQ(r.Failure, "");
    EXPECT_EQ(r.Added, 1);
    EXPECT_EQ(Rows(dir / "empty.db3", "SELECT filename, error FROM errors"),
              (TRows{{dir / "empty.db3", "Database file corrupted; recreating."}}));
}

} // namespace
