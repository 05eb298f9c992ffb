#include "../catalogue/OldCatalogues.h"
#include "../output/ZipTestSupport.h"
#include "CliRunner.h"

namespace {

// Runs "quiravel-cli archive ARGS".
TRun Archive(std::vector<std::string> args) {
    args.insert(args.begin(), "archive");
    return RunCliProcess(args);
}

// Two artists; the file of "Gone" does not exist.
class ArchiveCommand : public testing::Test {
protected:
    void SetUp() override {
        MakeFile(Dir / "Rock/a.gp5", "rock a");
        MakeFile(Dir / "Rock/b.gp4", "rock b");
        MakeFile(Dir / "Pop/a.gp5", "pop a");
        MakeCatalogue(Db, 3, "'3'",
                      "INSERT INTO tablatures(title, artist, filename) VALUES ('Alpha', 'Rocker', '" +
                          Dir / "Rock/a.gp5" + "'), ('Beta', 'Rocker', '" + Dir / "Rock/b.gp4" +
                          "'), ('Alpha Pop', 'Popper', '" + Dir / "Pop/a.gp5" + "'), ('Gone', 'Popper', '" +
                          Dir / "Pop/gone.gp5" + "');");
    }
    TTempDir Dir;
    const std::string Db = Dir / "tabs.db3";
    const std::string Out = Dir / "out.zip";
};

} // namespace

TEST_F(ArchiveCommand, ArchivesTheChosenTablatures) {
    const struct {
        std::vector<std::string> Args;
        std::vector<std::string> Names;
        std::string Said;
    } cases[] = {
        {{"--flat"}, {"a.gp5", "b.gp4", "a (2).gp5"}, "3 files added, 1 missing.\n"},
        {{"--flat", "--search", "alpha", "--field", "title"},
         {"a.gp5", "a (2).gp5"},
         "2 files added, 0 missing.\n"},
        {{"--flat", "--query", "SELECT filename FROM tablatures WHERE artist='Popper'"},
         {"a.gp5"},
         "1 file added, 1 missing.\n"},
        {{"--search", "Beta"},
         [&] {
             std::vector<std::string> names = FolderEntriesOf(Dir / "Rock");
             names.push_back(Rel(Dir / "Rock/b.gp4"));
             return names;
         }(),
         "1 file added, 0 missing.\n"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args = {"--db", Db, "--new"};
        args.insert(args.end(), c.Args.begin(), c.Args.end());
        args.push_back(Out);
        const TRun run = Archive(args);
        EXPECT_EQ(run.Exit, 0) << run.Err;
        EXPECT_EQ(run.Out, c.Said);
        EXPECT_EQ(EntryNames(ReadZip(Out)), c.Names) << c.Args.back();
    }
}

TEST_F(ArchiveCommand, AnExistingArchiveIsKeptUnlessTheUserSaysOtherwise) {
    ASSERT_EQ(
        Archive({"--db", Db, "--flat", "--query", "SELECT filename FROM tablatures WHERE title='Beta'", Out})
            .Exit,
        0);
    const std::string before = FileBytes(Out);

    TRun run = Archive({"--db", Db, "--flat", Out});
    EXPECT_EQ(run.Exit, 2);
    EXPECT_NE(run.Err.find("--add"), std::string::npos) << run.Err;
    EXPECT_NE(run.Err.find("--new"), std::string::npos) << run.Err;
    // A run that adds nothing because it fails leaves the file as it was, --new or not.
    run = Archive({"--db", Db, "--new", "--query", "SELECT title FROM tablatures", Out});
    EXPECT_EQ(run.Exit, 1);
    EXPECT_NE(run.Err.find("filename"), std::string::npos) << run.Err;
    EXPECT_EQ(FileBytes(Out), before);

    run = Archive({"--db", Db, "--add", "--flat", "--search", "Alpha Pop", Out});
    EXPECT_EQ(run.Exit, 0) << run.Err;
    EXPECT_EQ(EntryNames(ReadZip(Out)), (std::vector<std::string>{"a.gp5", "b.gp4"}));
    EXPECT_TRUE(UnzipTestPasses(Out));
}
