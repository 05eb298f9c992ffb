#include "CliRunner.h"

#include <gtest/gtest.h>

#include <cctype>

namespace {

// "Finished in 0 min., N sec., " followed by tail, for any whole N.
bool IsCompletion(const std::string& out, const std::string& tail) {
    const std::string head = "Finished in 0 min., ";
    if (out.rfind(head, 0) != 0)
        return false;
    size_t i = head.size();
    while (i < out.size() && std::isdigit(static_cast<unsigned char>(out[i])))
        ++i;
    return i > head.size() && out.substr(i) == " sec., " + tail;
}

TEST(Cli, BadArgumentsExplainAndWriteNothing) {
    TTempDir dir;
    const std::string db = dir / "tabs.db3";
    const std::string folder = dir.Path;
    const std::vector<std::string> many(21, folder);
    struct Case {
        std::vector<std::string> Args;
        std::string Message;
    } cases[] = {
        {{}, "quiravel-cli: no command given"},
        {{"frobnicate"}, "quiravel-cli: unknown command \"frobnicate\""},
        {{"scan", folder}, "quiravel-cli scan: the catalogue file is missing (--db FILE)"},
        {{"scan", "--db", db}, "quiravel-cli scan: give 1 to 20 folders"},
        {{"scan", "--db=" + db, "--types", "gp,xyz", folder}, "unknown tablature type \"xyz\""},
        {{"scan", "--db", db, "--bogus", folder}, "quiravel-cli scan: unknown option \"--bogus\""},
        {{"scan", "--db", db, "--encoding", "no-such-cp", folder}, "unknown code page \"no-such-cp\""},
        {{"scan", folder, "--db"}, "option \"--db\" needs a value"},
    };
    for (Case& c : cases) {
        const TRun r = RunCliProcess(c.Args);
        EXPECT_EQ(r.Exit, 2) << c.Message;
        EXPECT_NE(r.Err.find(c.Message), std::string::npos) << r.Err;
        EXPECT_NE(r.Err.find("--help\" for more information."), std::string::npos) << r.Err;
        EXPECT_EQ(r.Out, "");
    }
    std::vector<std::string> tooMany = {"scan", "--db", db};
    tooMany.insert(tooMany.end(), many.begin(), many.end());
    EXPECT_EQ(RunCliProcess(tooMany).Exit, 2);
    EXPECT_FALSE(std::filesystem::exists(db));
}

TEST(Cli, HelpAndVersion) {
    const std::string version = std::string("quiravel-cli ") + QV_VERSION + "\n";
    EXPECT_EQ(RunCliProcess({"--version"}).Out, version);
    EXPECT_EQ(RunCliProcess({"scan", "--version"}).Out, version);
    const TRun top = RunCliProcess({"--help"});
    EXPECT_EQ(top.Exit, 0);
    EXPECT_NE(top.Out.find("\n  scan "), std::string::npos) << top.Out;
    const TRun scan = RunCliProcess({"scan", "-h"});
    EXPECT_EQ(scan.Exit, 0);
    EXPECT_EQ(scan.Out.rfind("Usage: quiravel-cli scan --db FILE", 0), 0u) << scan.Out;
}

TEST(Cli, ScanPrintsTheCompletionText) {
    TTempDir dir;
    WriteFile(dir / "tabs/a.gp5", Gp5File("A"));
    WriteFile(dir / "tabs/sub/b.gp5", Gp5File("B"));
    WriteFile(dir / "tabs/c.gp5", Gp5File("C").substr(0, 20));
    WriteFile(dir / "one/d.gp5", Gp5File("D"));
    const std::string db = dir / "tabs.db3";

    const TRun r = RunCliProcess({"scan", "--db", db, "--types", "gp,tef", "tabs/"}, dir.Path);
    EXPECT_EQ(r.Exit, 0) << r.Err;
    EXPECT_EQ(r.Err, "");
    EXPECT_TRUE(IsCompletion(r.Out, "2 tablatures total. There was 1 error updating database.\n")) << r.Out;
    // Relative folders are stored as absolute paths.
    EXPECT_EQ(Rows(db, "SELECT directory FROM directories"), (TRows{{dir / "tabs"}}));
    EXPECT_EQ(Rows(db, "SELECT filename FROM tablatures WHERE title = 'B'"),
              (TRows{{dir / "tabs/sub/b.gp5"}}));

    EXPECT_TRUE(IsCompletion(RunCliProcess({"scan", "--db", db, dir / "one"}).Out, "1 tablature total.\n"));

    const std::string nowhere = dir / "missing/tabs.db3";
    const TRun failed = RunCliProcess({"scan", "--db", nowhere, dir / "one"});
    EXPECT_EQ(failed.Exit, 1);
    EXPECT_EQ(failed.Err, nowhere + ": Cannot create database\n");
    EXPECT_EQ(failed.Out, "");
}

TEST(Cli, ScanUpgradesAnOlderCatalogueBeforeRewritingIt) {
    TTempDir dir;
    WriteFile(dir / "tabs/a.gp5", Gp5File("A"));
    const std::string db = dir / "old.db3";
    MakeCatalogue(db, 1, "1", "INSERT INTO tablatures(title) VALUES('Old');");

    const TRun r = RunCliProcess({"scan", "--db", db, dir / "tabs"});
    EXPECT_EQ(r.Exit, 0) << r.Err;
    EXPECT_TRUE(IsCompletion(r.Out, "1 tablature total.\n")) << r.Out;
    EXPECT_EQ(Rows(db, "SELECT title FROM tablatures"), (TRows{{"A"}}));
    EXPECT_EQ(Rows(db, "SELECT iValue FROM dbinfo WHERE iKey = 'db_ver'"), (TRows{{"3"}}));
}

} // namespace
