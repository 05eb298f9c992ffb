#include "output/ZipThread.h"

#include <tuple>
#include <utility>

#include "ZipTestSupport.h"
#include "catalogue/CatalogueConnection.h"
#include "catalogue/CatalogueStore.h"
#include "readers/TabRead.h"

namespace {

using TCalls = std::vector<std::pair<int, int>>;

// Three tablatures in two folders, and a flat archive to put them in.
struct ZipRun : ::testing::Test {
    void SetUp() override {
        for (const auto& [name, text] :
             {std::pair{"a/one.gp5", "1"}, {"a/two.gp4", "22"}, {"b/three.tg", "333"}})
            MakeFile(Dir / name, text);
        Archive.SetPreserveDirs(false);
        ASSERT_TRUE(Archive.Create(Out));
    }
    std::vector<std::string> Closed() {
        EXPECT_TRUE(Archive.Close()) << Archive.LastError();
        EXPECT_TRUE(UnzipTestPasses(Out));
        return EntryNames(ReadZip(Out));
    }
    TZipScratch Dir;
    std::string Out = Dir / "out.zip";
    TZipArchive Archive;
};

using Names = std::vector<std::string>;

} // namespace

TEST_F(ZipRun, ListsAddTheirFilesAndCountMissingOnes) {
    std::atomic<bool> stop{false};
    TCalls calls;
    TZipProgress progress = [&](int done, int total) { calls.emplace_back(done, total); };
    TZipJob job{zmSelected, {Dir / "a/one.gp5", Dir / "gone.gp5", Dir / "b/three.tg"}, nullptr, {}, {}};
    TZipRunResult r = RunZipJob(Archive, job, stop, progress);
    EXPECT_FALSE(r.Failed || r.Stopped);
    EXPECT_EQ(r.Added, 2);
    EXPECT_EQ(r.Missing, 1);
    EXPECT_EQ(calls, (TCalls{{1, 3}, {2, 3}, {3, 3}}));

    // The current row alone, without progress.
    calls.clear();
    job = TZipJob{zmCurrent, {Dir / "a/two.gp4", Dir / "b/three.tg"}, nullptr, {}, {}};
    r = RunZipJob(Archive, job, stop, progress);
    EXPECT_EQ(r.Added, 1);
    EXPECT_TRUE(calls.empty());
    EXPECT_EQ(Closed(), (Names{"one.gp5", "three.tg", "two.gp4"}));
}

TEST_F(ZipRun, AStopBeforeAFileKeepsTheEntriesAddedSoFar) {
    TZipThread* self = nullptr;
    TZipJob job{zmSelected, {Dir / "a/one.gp5", Dir / "a/two.gp4", Dir / "b/three.tg"}, nullptr, {}, {}};
    TZipThread thread(Archive, job, [&](int done, int) {
        if (done == 2)
            self->RequestStop();
    });
    self = &thread;
    thread.Start();
    thread.Wait();
    ASSERT_TRUE(thread.Finished());
    EXPECT_TRUE(thread.Result().Stopped);
    EXPECT_EQ(thread.Result().Done, 2);
    EXPECT_EQ(Closed(), (Names{"one.gp5", "two.gp4"}));
}

TEST_F(ZipRun, AFileThatCannotBeReadEndsTheRunAndKeepsTheEntriesBefore) {
    // A regular file whose first read fails with an I/O error, whoever runs the test.
    const std::string unreadable = "/proc/self/mem";
    std::atomic<bool> stop{false};
    TZipJob job{zmSelected, {Dir / "a/one.gp5", unreadable, Dir / "b/three.tg"}, nullptr, {}, {}};
    const TZipRunResult r = RunZipJob(Archive, job, stop, {});
    EXPECT_TRUE(r.Failed);
    EXPECT_NE(r.Error.find(unreadable), std::string::npos) << r.Error;
    EXPECT_EQ(r.Done, 1);
    EXPECT_EQ(Closed(), Names{"one.gp5"});
}

TEST_F(ZipRun, QueriesRunOnTheirOwnStatement) {
    const std::string catalogue = Dir / "tabs.db3";
    {
        TCatalogueStore store;
        ASSERT_TRUE(store.CreateCatalogue(catalogue));
        ASSERT_TRUE(store.BeginTablatures());
        for (const auto& [title, artist, file] : {std::tuple{"One", "A", "a/one.gp5"},
                                                  {"Two", "A", "a/two.gp4"},
                                                  {"Three", "B", "b/three.tg"},
                                                  {"Lost", "B", "b/lost.gp3"}}) {
            TabInfo info;
            ClearTabInfo(info);
            CopyToField(info.Title, TabTextSize, title);
            CopyToField(info.Artist, TabTextSize, artist);
            CopyToField(info.FileName, TabPathSize, Dir / file);
            ASSERT_TRUE(store.AddTablature(info));
        }
        ASSERT_TRUE(store.EndTablatures());
        ASSERT_TRUE(store.WriteInfo(0, 0));
        ASSERT_TRUE(store.CloseCatalogue());
    }
    TCatalogueConnection db;
    db.Open(catalogue);
    std::atomic<bool> stop{false};
    TCalls calls;
    TZipProgress progress = [&](int done, int total) { calls.emplace_back(done, total); };

    TZipJob job{zmDisplayed, {}, &db, "SELECT * FROM tablatures WHERE artist='A' ORDER BY title DESC;", {}};
    TZipRunResult r = RunZipJob(Archive, job, stop, progress);
    EXPECT_EQ(r.Added, 2);
    EXPECT_EQ(calls, (TCalls{{1, 2}, {2, 2}}));
    // The total from a count of the unsorted rows; the files still come in the query's order.
    job.UnsortedSql = "SELECT * FROM tablatures WHERE artist='A' ; \n";
    calls.clear();
    r = RunZipJob(Archive, job, stop, progress);
    EXPECT_EQ(r.Total, 2);
    EXPECT_EQ(r.Duplicates, 2);
    EXPECT_EQ(calls, (TCalls{{1, 2}, {2, 2}}));
    job.Mode = zmAll;
    r = RunZipJob(Archive, job, stop, {});
    EXPECT_EQ(r.Total, 4);
    EXPECT_EQ(r.Added, 1);
    EXPECT_EQ(r.Duplicates, 2);
    EXPECT_EQ(r.Missing, 1);

    for (const char* sql : {"SELECT title FROM tablatures;", "DELETE FROM tablatures RETURNING filename;",
                            "SELECT nonsense FROM"}) {
        job = TZipJob{zmDisplayed, {}, &db, sql, {}};
        r = RunZipJob(Archive, job, stop, {});
        EXPECT_TRUE(r.Failed) << sql;
        EXPECT_FALSE(r.Error.empty()) << sql;
    }
    TSqlStatement count = db.Prepare("SELECT COUNT(*) FROM tablatures;");
    ASSERT_TRUE(db.Step(count));
    EXPECT_EQ(count.ColumnInt64(0), 4) << "the user's query is never allowed to write";
    EXPECT_EQ(Closed(), (Names{"two.gp4", "one.gp5", "three.tg"}));
}
