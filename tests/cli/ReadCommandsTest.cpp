#include "CliRunner.h"

#include <gtest/gtest.h>

namespace {

// Runs quiravel-cli in the C number format as well.
TRun Cli(const std::vector<std::string>& args) {
    return RunCliProcess(args, "", {{"LC_ALL", "C"}});
}

const char* const Intro = "Intro\tO'Brien\tFirst\t1998\tW\tM\t/t/a/intro.gp5\t2048\t2010-03-05 14:07\n";
const char* const Outro = "Outro\tO'Brien\tSecond\t\t\t\t/t/a/sub/outro.GP4\t10\t2010-03-06 09:00\n";
const char* const Odd = "Tab\\tLine\\nx\\\\y\tOther\t\t\t\t\t/t/intro/b.ptb\t100\t2011-01-01 00:00\n";
const char* const Zeta = "Zeta\tOther\tSecond\t2001\t\t\t/t/a/zeta-intro.tg\t5\t\n";

const char* const Tablatures =
    "INSERT INTO tablatures(title, artist, album, year, words, music, filename, filesize, filedate) VALUES"
    "('Intro', 'O''Brien', 'First', 1998, 'W', 'M', '/t/a/intro.gp5', 2048, '2010-03-05 14:07'),"
    "('Outro', 'O''Brien', 'Second', NULL, '', '', '/t/a/sub/outro.GP4', 10, '2010-03-06 09:00'),"
    "('Tab' || char(9) || 'Line' || char(10) || 'x\\y', 'Other', '', NULL, '', '', '/t/intro/b.ptb', 100, "
    "'2011-01-01 00:00'),"
    "('Zeta', 'Other', 'Second', 2001, '', '', '/t/a/zeta-intro.tg', 5, NULL);";

class ReadCommands : public testing::Test {
protected:
    void SetUp() override {
        MakeCatalogue(Db, 3, "'3'",
                      std::string(Tablatures) +
                          "INSERT INTO dbinfo VALUES('upd_date', '05/03/2010'), ('upd_time', '14:07:36'), "
                          "('err_count', '2');"
                          "INSERT INTO errors(filename, error) VALUES('/t/bad' || char(9) || 'name.gp5', "
                          "'Cannot read BYTE'), ('/t/c.tef', 'Unknown format');");
    }
    TTempDir Dir;
    const std::string Db = Dir / "tabs.db3";
};

TEST_F(ReadCommands, SearchAndBrowsePrintTheRowsSortedByTitle) {
    const struct {
        std::vector<std::string> Args;
        std::string Out;
    } cases[] = {
        {{"search", "intro"}, Intro},
        {{"search", "--filenames", "names", "intro"}, std::string(Intro) + Zeta},
        {{"search", "--filenames=paths", "intro"}, std::string(Intro) + Odd + Zeta},
        {{"search", "--field", "title", "--match", "begins", "o"}, Outro},
        {{"search", "--field", "artist", "--match", "equals", "o'brien"}, std::string(Intro) + Outro},
        {{"search", "--field", "album", "--album", "Second", "xyz"}, std::string(Outro) + Zeta},
        {{"search", "--field", "title", "--artist", "Other", "a"}, std::string(Odd) + Zeta},
        {{"search", "--field", "title", "n_r"}, Intro},
        {{"browse"}, std::string(Intro) + Outro + Odd + Zeta},
        {{"browse", "--artist", "O'Brien", "--album", "Second"}, Outro},
        {{"browse", "--album", ""}, Odd},
        {{"browse", "--folder", "/t/a/"}, std::string(Intro) + Zeta},
        {{"browse", "--folder", "/t/a/sub"}, Outro},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args = c.Args;
        args.insert(args.begin() + 1, {"--db", Db});
        const TRun r = Cli(args);
        SCOPED_TRACE(testing::PrintToString(c.Args));
        EXPECT_EQ(r.Exit, 0) << r.Err;
        EXPECT_EQ(r.Out, c.Out);
        EXPECT_EQ(r.Err, "");
    }
}

TEST_F(ReadCommands, InfoAndErrors) {
    const TRun info = Cli({"info", "--db", Db});
    EXPECT_EQ(info.Exit, 0) << info.Err;
    const auto size = std::filesystem::file_size(Db);
    char sizeText[64];
    std::snprintf(sizeText, sizeof sizeText, "%.2f MB (%ju B)", size / 1048576.0,
                  static_cast<uintmax_t>(size));
    EXPECT_EQ(info.Out, "File Name: " + Db + "\nFile Size: " + sizeText +
                            "\nUpdated: 05/03/2010 14:07:36\nErrors: 2\n\n"
                            "Tablatures  Count  Total Size (KB)  Avg. Size (KB)\n"
                            "Guitar Pro      2             2.01            1.00\n"
                            "Power Tab       1             0.10            0.10\n"
                            "TuxGuitar       1             0.00            0.00\n"
                            "TablEdit        0\n"
                            "Total           4             2.11            0.53\n");

    const TRun errors = Cli({"errors", "--db", Db});
    EXPECT_EQ(errors.Exit, 0) << errors.Err;
    EXPECT_EQ(errors.Out, "/t/bad\\tname.gp5\tCannot read BYTE\n/t/c.tef\tUnknown format\n");
}

// What the scan writes is what the reading commands read.
TEST(ReadCommandsOnScannedCatalogue, ShowWhatTheScanFound) {
    TTempDir dir;
    WriteFile(dir / "tabs/a.gp5", Gp5File("Alpha", "Band"));
    WriteFile(dir / "tabs/broken.gp5", Gp5File("Broken").substr(0, 20));
    const std::string db = dir / "tabs.db3";
    ASSERT_EQ(Cli({"scan", "--db", db, dir / "tabs"}).Exit, 0);

    const TRun browse = Cli({"browse", "--db", db, "--artist", "Band"});
    EXPECT_EQ(browse.Out.rfind("Alpha\tBand\t\t\t\t\t" + dir / "tabs/a.gp5\t", 0), 0u) << browse.Out;
    const TRun errors = Cli({"errors", "--db", db});
    const TRows stored = Rows(db, "SELECT filename, error FROM errors");
    ASSERT_EQ(stored.size(), 1u);
    EXPECT_EQ(errors.Out, stored[0][0] + "\t" + stored[0][1] + "\n");
    const TRun info = Cli({"info", "--db", db});
    EXPECT_EQ(info.Exit, 0) << info.Err;
    EXPECT_NE(info.Out.find("\nErrors: 1\n"), std::string::npos) << info.Out;
    EXPECT_NE(info.Out.find("\nGuitar Pro      1 "), std::string::npos) << info.Out;
    EXPECT_EQ(info.Out.find("\nUpdated:  \n"), std::string::npos) << info.Out;
}

// The commands upgrade an old catalogue as the main window does.
TEST(ReadCommandsOnOldCatalogues, AreUpgradedFirst) {
    TTempDir dir;
    const std::string v1 = dir / "v1.db3", v2 = dir / "v2.db3";
    MakeCatalogue(v1, 1, "'1'");
    MakeCatalogue(v2, 2, "'2'",
                  "INSERT INTO tablatures(title, filename, filesize) VALUES('Old', '/t/o.gp3', 7);");
    const TRun errors = Cli({"errors", "--db", v1});
    EXPECT_EQ(errors.Exit, 0) << errors.Err;
    EXPECT_EQ(errors.Out, "");
    const TRun browse = Cli({"browse", "--db", v2});
    EXPECT_EQ(browse.Exit, 0) << browse.Err;
    EXPECT_EQ(browse.Out, "Old\t\t\t\t\t\t/t/o.gp3\t7\t\n");
    for (const std::string& db : {v1, v2})
        EXPECT_EQ(Rows(db, "SELECT iValue FROM dbinfo WHERE iKey = 'db_ver'"), (TRows{{"3"}}));
}

TEST(ReadCommandsFailures, BrokenCataloguesExitWithOne) {
    TTempDir dir;
    WriteFile(dir / "text.db3", "Plain text that only pretends to be a catalogue of tablatures.\n");
    MakeCatalogue(dir / "badver.db3", 3, "'x'");
    const std::pair<std::string, std::string> cases[] = {
        {dir / "missing.db3", "File not found"},
        {dir / "text.db3", "file is not a database"},
        {dir / "badver.db3", "The catalogue's version \"x\" is not a number"},
    };
    for (const auto& [db, message] : cases) {
        for (const char* command : {"search", "browse", "info", "errors"}) {
            std::vector<std::string> args = {command, "--db", db};
            if (std::string(command) == "search")
                args.push_back("a");
            const TRun r = Cli(args);
            EXPECT_EQ(r.Exit, 1) << command << " " << db;
            EXPECT_EQ(r.Err, db + ": " + message + "\n");
            EXPECT_EQ(r.Out, "");
        }
    }
    EXPECT_FALSE(std::filesystem::exists(dir / "missing.db3"));
}

TEST(ReadCommandsFailures, BadArgumentsExitWithTwo) {
    const struct {
        std::vector<std::string> Args;
        const char* Message;
    } cases[] = {
        {{"search", "a"}, "quiravel-cli search: the catalogue file is missing (--db FILE)"},
        {{"search", "--db", "x.db3"}, "quiravel-cli search: give one search text"},
        {{"search", "--db", "x.db3", "a", "b"}, "give one search text"},
        {{"search", "--db", "x.db3", "--field", "words", "a"},
         "unknown value \"words\" of --field (known: title, artist, album, all)"},
        {{"search", "--db", "x.db3", "--match", "ends", "a"}, "unknown value \"ends\" of --match"},
        {{"search", "--db", "x.db3", "--filenames", "all", "a"}, "unknown value \"all\" of --filenames"},
        {{"browse", "--db", "x.db3", "--folder", "/t", "--artist", "A"},
         "quiravel-cli browse: --folder cannot be combined with --artist or --album"},
        {{"browse", "--db", "x.db3", "extra"}, "unexpected argument \"extra\""},
        {{"info", "--db", "x.db3", "--field", "title"}, "quiravel-cli info: unknown option \"--field\""},
        {{"errors"}, "quiravel-cli errors: the catalogue file is missing (--db FILE)"},
        {{"info", "--db", "x.db3", "extra"}, "quiravel-cli info: unexpected argument \"extra\""},
        {{"errors", "--db", "x.db3", "extra"}, "quiravel-cli errors: unexpected argument \"extra\""},
    };
    for (const auto& c : cases) {
        const TRun r = Cli(c.Args);
        EXPECT_EQ(r.Exit, 2) << c.Message;
        EXPECT_NE(r.Err.find(c.Message), std::string::npos) << r.Err;
        EXPECT_EQ(r.Out, "");
    }
}

} // namespace
