#include "CatalogueFixtures.h"
#include "catalogue/ScanThread.h"
#include "readers/TabFormats.h"

#include <gtest/gtest.h>

#include <dirent.h>
#include <thread>
#include <unistd.h>

namespace {

// One file the scan should report: its row, or an error line for it.
struct TOutcome {
    std::string Path;
    bool Row;
};

// Folders nested between files, every seventh file damaged, some files the scan passes over, and a
// dangling link; a file's title is its name, so a row that took another file's header shows.
void WriteTree(const std::string& root) {
    for (int f = 0; f < 6; ++f) {
        const std::string folder = root + "/f" + std::to_string(f) + (f % 2 ? "/inner/deeper" : "");
        for (int i = 0; i < 70; ++i) {
            const std::string name = "t" + std::to_string(f * 100 + i);
            WriteFile(folder + "/" + name + ".gp5", i % 7 == 3 ? "x" : Gp5File(name));
            if (i % 20 == 0)
                WriteFile(folder + "/sub" + std::to_string(i) + "/" + name + "s.gp5", Gp5File(name + "s"));
        }
        WriteFile(folder + "/notes.txt", "not a tablature");
    }
    ASSERT_EQ(symlink("missing.gp5", (root + "/f2/dangling.gp5").c_str()), 0);
}

// What a walk of root in directory order reports, the order the scan must keep.
void ListOutcomes(const std::string& folder, std::vector<TOutcome>& out) {
    DIR* dir = opendir(folder.c_str());
    ASSERT_NE(dir, nullptr) << folder;
    while (const dirent* entry = readdir(dir)) {
        const std::string name = entry->d_name, path = folder + "/" + name;
        if (name == "." || name == "..")
            continue;
        if (entry->d_type == DT_DIR)
            ListOutcomes(path, out);
        else if (name.ends_with(".gp5"))
            out.push_back({path, name != "dangling.gp5" && std::filesystem::file_size(path) > 1});
    }
    closedir(dir);
}

std::vector<std::string> Column(const std::string& db, const std::string& sql) {
    std::vector<std::string> values;
    for (const auto& row : Rows(db, sql))
        values.push_back(row.at(0));
    return values;
}

// The rows and error lines of db, in id order, are those of the first files of expected.
void ExpectPrefix(const std::string& db, const std::vector<TOutcome>& expected, size_t count) {
    ASSERT_LE(count, expected.size());
    std::vector<std::string> rows, errors;
    for (size_t n = 0; n < count; ++n)
        (expected[n].Row ? rows : errors).push_back(expected[n].Path);
    EXPECT_EQ(Column(db, "SELECT filename FROM tablatures ORDER BY id"), rows);
    EXPECT_EQ(Column(db, "SELECT filename FROM errors ORDER BY id"), errors);
    for (const auto& row : Rows(db, "SELECT filename, title FROM tablatures"))
        EXPECT_EQ(std::filesystem::path(row.at(0)).stem(), row.at(1));
}

class ScanOrder : public testing::Test {
protected:
    void SetUp() override {
        WriteTree(dir / "tabs");
        ListOutcomes(dir / "tabs", Expected);
    }
    TTempDir dir;
    const std::string Db = dir / "tabs.db3";
    std::vector<TOutcome> Expected;
};

TEST_F(ScanOrder, RowsAndErrorsFollowTheWalk) {
    // The second scan replaces the rows of the first in the same catalogue.
    for (int pass = 0; pass < 2; ++pass) {
        TScanThread scan({dir / "tabs"}, ttAll, Db, nullptr);
        scan.Start();
        scan.WaitFor();
        ASSERT_EQ(scan.Failure(), "");
        ExpectPrefix(Db, Expected, Expected.size());
        EXPECT_EQ(static_cast<size_t>(scan.Added() + scan.ErrorCount()), Expected.size());
        const std::vector<std::string> lines =
            Column(Db, "SELECT error FROM errors WHERE filename LIKE '%dangling%'");
        EXPECT_EQ(lines, (std::vector<std::string>{"Cannot open file \"" + dir / "tabs/f2/dangling.gp5" +
                                                   "\". No such file or directory"}));
    }
}

// Wherever the cancel lands, the catalogue keeps the files walked before it, in order.
TEST_F(ScanOrder, CancelKeepsAPrefixOfTheWalk) {
    for (int after : {1, 40, 200}) {
        TScanThread scan({dir / "tabs"}, ttAll, Db, nullptr);
        scan.Start();
        while (!scan.Finished() && scan.Added() < after)
            std::this_thread::yield();
        scan.Terminate();
        scan.WaitFor();
        ASSERT_EQ(scan.Failure(), "");
        const int kept = scan.Added() + scan.ErrorCount();
        EXPECT_EQ(static_cast<int>(Rows(Db, "SELECT id FROM tablatures").size()), scan.Added());
        ExpectPrefix(Db, Expected, static_cast<size_t>(kept));
    }
}

} // namespace
