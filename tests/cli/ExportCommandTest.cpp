#include "../catalogue/OldCatalogues.h"
#include "CliRunner.h"

#include <gtest/gtest.h>

#include <pty.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// "export ARGS", the words after the program's name.
std::vector<std::string> ExportArgs(std::vector<std::string> args) {
    args.insert(args.begin(), "export");
    return args;
}

TRun Export(const std::vector<std::string>& args) {
    return RunCliProcess(ExportArgs(args));
}

// Rows title "t<n>", artist "a<n mod 3>", filesize n, for n from 1 to count.
std::string Rows(int count) {
    return "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < " +
           std::to_string(count) +
           ") INSERT INTO tablatures(title, artist, filesize) SELECT 't' || i, 'a' || (i % 3), i FROM n;";
}

// The titles of an XML export, in file order.
std::string Titles(const std::string& xml) {
    std::string titles;
    for (size_t at = 0; (at = xml.find("<title>", at)) != std::string::npos; at += 7)
        titles += xml.substr(at + 7, xml.find('<', at + 7) - at - 7) + " ";
    return titles;
}

class ExportCommand : public testing::Test {
protected:
    void SetUp() override { MakeCatalogue(Db, 3, "'3'", Rows(5)); }
    TTempDir Dir;
    const std::string Db = Dir / "tabs.db3";
    const std::string Out = Dir / "out";
};

TEST_F(ExportCommand, WritesEachFormatInTheListOrder) {
    const struct {
        std::vector<std::string> Args;
        std::string Head, Titles;
    } cases[] = {
        {{"--format", "xls"}, std::string("\x09\x08\x08\x00", 4), ""},
        {{"--format", "html"}, "<!DOCTYPE html PUBLIC", ""},
        {{"--format=xml"}, "<?xml", "t1 t2 t3 t4 t5 "},
        {{"--format=xml", "--sort", "artist desc, title"}, "<?xml", "t2 t5 t1 t4 t3 "},
        {{"--format=xml", "--sort", " ARTIST Asc ,filesize DESC "}, "<?xml", "t3 t4 t1 t5 t2 "},
        {{"--format=xml", "--sort", ""}, "<?xml", "t1 t2 t3 t4 t5 "},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args = c.Args;
        args.insert(args.end(), {"--db", Db, Out});
        const TRun run = Export(args);
        EXPECT_EQ(run.Exit, 0) << run.Err;
        EXPECT_EQ(run.Out, "5 tablatures exported.\n");
        EXPECT_EQ(run.Err, "") << "no progress bar off a terminal";
        const std::string file = FileBytes(Out);
        EXPECT_TRUE(file.starts_with(c.Head)) << c.Args[1];
        if (!c.Titles.empty()) {
            EXPECT_EQ(Titles(file), c.Titles) << c.Args.back();
        }
    }
}

TEST_F(ExportCommand, RefusalsAndFailures) {
    WriteFile(Out, "keep");
    chmod(Out.c_str(), 0444);
    const std::string missingFolder = Dir / "no/such/out.xml";
    const struct {
        std::vector<std::string> Args;
        int Exit;
        std::string Err;
    } cases[] = {
        {{"--db", Db, Out}, 2, "quiravel-cli export: the format is missing (--format xls, html, xml or mdb)"},
        {{"--db", Db, "--format", "csv", Out},
         2,
         "unknown value \"csv\" of --format (known: xls, html, xml, mdb)"},
        {{"--db", Db, "--format", "xml", "--sort", "title; DROP TABLE x", Out},
         2,
         "cannot sort by \"title; DROP"},
        {{"--db", Db, "--format", "xml", "--sort", "title sideways", Out},
         2,
         "cannot sort by \"title sideways\""},
        {{"--db", Db, "--format", "xls", "--encoding", "no-such-cp", Out},
         2,
         "unknown code page \"no-such-cp\""},
        {{"--db", Db, "--format", "xml"}, 2, "give one output file"},
        {{"--format", "xml", Out}, 2, "the catalogue file is missing (--db FILE)"},
        {{"--db", Db, "--format", "xml", Out},
         1,
         "Cannot export database\n" + Out + "\nFile is read only. Please select another file name.\n"},
        {{"--db", Dir / "none.db3", "--format", "xml", Dir / "new.xml"}, 1, "none.db3: File not found\n"},
        {{"--db", Db, "--format", "xml", missingFolder},
         1,
         "Cannot export database\n" + missingFolder + "\nNo such file or directory\n"},
    };
    for (const auto& c : cases) {
        const TRun run = Export(c.Args);
        EXPECT_EQ(run.Exit, c.Exit) << c.Err;
        EXPECT_NE(run.Err.find(c.Err), std::string::npos) << run.Err;
    }
    EXPECT_EQ(FileBytes(Out), "keep");
    EXPECT_FALSE(std::filesystem::exists(Dir / "new.xml"));
}

TEST_F(ExportCommand, FullWorksheetWarns) {
    MakeCatalogue(Dir / "big.db3", 3, "'3'", Rows(65537));
    const TRun run = Export({"--db", Dir / "big.db3", "--format", "xls", Out});
    EXPECT_EQ(run.Exit, 0);
    EXPECT_EQ(run.Out, "65536 tablatures exported.\n");
    EXPECT_TRUE(run.Err.starts_with("quiravel-cli export: warning: ")) << run.Err;
    EXPECT_NE(run.Err.find("65536 of 65537"), std::string::npos) << run.Err;
}

TEST_F(ExportCommand, ProgressBarOnATerminal) {
    MakeCatalogue(Dir / "mid.db3", 3, "'3'", Rows(400));
    const std::vector<std::string> args = ExportArgs({"--db", Dir / "mid.db3", "--format", "html", Out});
    int master = -1;
    const pid_t pid = forkpty(&master, nullptr, nullptr, nullptr);
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        setenv("LANGUAGE", "en", 1);
        std::vector<char*> argv = CliArgv(args);
        execv(argv[0], argv.data());
        _exit(127);
    }
    std::string screen;
    char buf[4096];
    for (ssize_t n; (n = read(master, buf, sizeof buf)) > 0;)
        screen.append(buf, static_cast<size_t>(n));
    int status = 0;
    waitpid(pid, &status, 0);
    close(master);
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_NE(screen.find("]  50%"), std::string::npos) << screen;
    EXPECT_NE(screen.find("\r[########################################] 100%"), std::string::npos) << screen;
    EXPECT_NE(screen.find("400 tablatures exported."), std::string::npos) << screen;
}

// mdbtools' reading of the table, without its heading.
std::string AccessRows(const std::string& file) {
    std::string rows;
    FILE* pipe = popen(("mdb-export -H '" + file + "' tablatures 2>&1").c_str(), "r");
    char buf[4096];
    for (size_t n; pipe && (n = fread(buf, 1, sizeof buf, pipe)) > 0;)
        rows.append(buf, n);
    if (pipe)
        pclose(pipe);
    return rows;
}

TEST_F(ExportCommand, AccessDatabaseReplacedOnlyWhenAsked) {
    const std::vector<std::string> args = {"--db", Db, "--format", "mdb", "--sort", "artist desc, title",
                                           Out};
    TRun run = Export(args);
    EXPECT_EQ(run.Exit, 0) << run.Err;
    EXPECT_EQ(run.Out, "5 tablatures exported.\n");
    EXPECT_EQ(run.Err, "");
    EXPECT_EQ(AccessRows(Out), "\"t2\",\"a2\",,,,,,2\n\"t5\",\"a2\",,,,,,5\n\"t1\",\"a1\",,,,,,1\n"
                               "\"t4\",\"a1\",,,,,,4\n\"t3\",\"a0\",,,,,,3\n");

    run = Export(args);
    EXPECT_EQ(run.Exit, 2);
    EXPECT_NE(run.Err.find("\"" + Out + "\" exists; give --overwrite to replace it"), std::string::npos)
        << run.Err;
    MakeCatalogue(Dir / "long.db3", 3, "'3'",
                  "INSERT INTO tablatures(title, filesize) VALUES(printf('%.300c', 'x'), 1);");
    run = Export({"--db", Dir / "long.db3", "--format", "mdb", "--overwrite", Out});
    EXPECT_EQ(run.Exit, 0) << run.Err;
    EXPECT_EQ(run.Err, "quiravel-cli export: warning: 1 value did not fit its Access column and was cut.\n");
    EXPECT_EQ(AccessRows(Out), "\"" + std::string(255, 'x') + "\",,,,,,,1\n");

    chmod(Out.c_str(), 0444);
    run = Export({"--db", Db, "--format", "mdb", "--overwrite", Out});
    EXPECT_EQ(run.Exit, 1);
    EXPECT_NE(run.Err.find("File is read only."), std::string::npos) << run.Err;
}

} // namespace
