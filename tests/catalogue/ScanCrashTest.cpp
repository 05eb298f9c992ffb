#include "CatalogueFixtures.h"
#include "catalogue/CatalogueStore.h"
#include "catalogue/ScanThread.h"
#include "readers/TabFormats.h"
#include "readers/TabRead.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fstream>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr int OldRows = 20000;
// Enough new rows (about 1.3 KiB each) to outgrow the store's 8 MiB page cache, so that the rewrite
// spills into the file before the scan is killed.
constexpr int NewFiles = 8000;

std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// A catalogue large enough that rewriting it spills pages into the file before the commit.
void WriteOldCatalogue(const std::string& db) {
    TCatalogueStore store;
    ASSERT_TRUE(store.CreateCatalogue(db));
    store.WriteDirectories({"/old"});
    ASSERT_TRUE(store.BeginTablatures());
    TabInfo info;
    for (int i = 0; i < OldRows; ++i) {
        ClearTabInfo(info);
        CopyToField(info.Title, TabTextSize, "old " + std::to_string(i) + std::string(200, 't'));
        CopyToField(info.Artist, TabTextSize, "artist " + std::to_string(i % 97) + std::string(100, 'a'));
        CopyToField(info.Album, TabTextSize, "album " + std::to_string(i % 31));
        CopyToField(info.FileName, TabPathSize, "/old/" + std::to_string(i) + ".gp5");
        ASSERT_TRUE(store.AddTablature(info));
    }
    ASSERT_TRUE(store.EndTablatures());
    store.WriteErrors({{"/old/x.gp5", "Cannot read BYTE"}});
    store.WriteInfo(1234, 1);
}

// Parks the worker when it announces the given root, after telling the parent through a pipe.
class TParkAt : public IScanProgress {
public:
    TParkAt(std::string folder, int fd) : Folder(std::move(folder)), Fd(fd) {}
    void ShowProgress(const std::string&, const std::string& folder) override {
        if (folder != Folder)
            return;
        (void)!write(Fd, "!", 1);
        for (;;)
            pause();
    }

private:
    std::string Folder;
    int Fd;
};

// A scan killed in the middle of its walk leaves the previous catalogue: rows, indexes, folder
// list and statistics.
TEST(ScanCrash, KilledScanLeavesThePreviousCatalogue) {
    TTempDir dir;
    const std::string db = dir / "tabs.db3";
    WriteOldCatalogue(db);
    const std::string long_text(250, 'n');
    for (int i = 0; i < NewFiles; ++i)
        WriteFile(dir / ("first/" + std::to_string(i) + ".gp5"),
                  Gp5File(long_text, long_text, long_text, long_text, long_text));
    WriteFile(dir / "second/last.gp5", Gp5File("last"));
    const std::string before = Slurp(db);

    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        close(fds[0]);
        TParkAt park(dir / "second", fds[1]);
        TScanThread scan({dir / "first", dir / "second"}, ttAll, db, &park);
        scan.Start();
        scan.WaitFor();
        _exit(0);
    }
    close(fds[1]);
    pollfd ready{fds[0], POLLIN, 0};
    const bool parked = poll(&ready, 1, 60000) == 1;
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    close(fds[0]);
    ASSERT_TRUE(parked) << "the scan never reached the second folder";
    ASSERT_TRUE(WIFSIGNALED(status));
    // The rewrite had reached the file itself, so the check below is about the journal's undo.
    EXPECT_FALSE(Slurp(db) == before) << "the rewrite never reached the file";

    EXPECT_EQ(Rows(db, "PRAGMA integrity_check"), (TRows{{"ok"}}));
    EXPECT_EQ(Rows(db, "SELECT count(*), min(filename) FROM tablatures"),
              (TRows{{std::to_string(OldRows), "/old/0.gp5"}}));
    EXPECT_EQ(Rows(db, "SELECT name FROM sqlite_master WHERE type = 'index' ORDER BY name"),
              (TRows{{"ialbum"}, {"iartist"}}));
    EXPECT_EQ(Rows(db, "SELECT count(*) FROM tablatures INDEXED BY iartist WHERE artist = 'artist 5" +
                           std::string(100, 'a') + "'"),
              (TRows{{std::to_string(OldRows / 97 + 1)}}));
    EXPECT_EQ(Rows(db, "SELECT directory FROM directories"), (TRows{{"/old"}}));
    EXPECT_EQ(Rows(db, "SELECT iValue FROM dbinfo WHERE iKey IN ('upd_msec', 'err_count') ORDER BY rowid"),
              (TRows{{"1234"}, {"1"}}));
}

} // namespace
