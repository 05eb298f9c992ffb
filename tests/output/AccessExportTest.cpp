#include "output/AccessExport.h"
#include "JetTestSupport.h"
#include "OutputTestSupport.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

namespace {

const std::string DataFile = QV_BUILD_DIR "/Quiravel.dat";

struct TToolRun {
    int Exit;
    std::string Out, Err;
};

// Runs one of mdbtools' programs on file; stdout and stderr apart.
TToolRun Mdb(const std::string& command, const std::string& file, const std::string& args,
             const TTempFolder& io) {
    const std::string out = io.File("tool.out"), err = io.File("tool.err");
    const int status = std::system(
        (command + " " + Quoted(file) + " " + args + " >" + Quoted(out) + " 2>" + Quoted(err)).c_str());
    auto text = [](const std::string& path) {
        const std::vector<uint8_t> b = FileBytes(path);
        return std::string(b.begin(), b.end());
    };
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, text(out), text(err)};
}

// Texts in Latin-1, Cyrillic and CJK, quotes and commas, empty texts; every other year Null.
TExportRow MakeRow(int64_t i) {
    const std::string n = std::to_string(i);
    return {"Song \"" + n + "\", live",
            "Caf\u00e9 " + std::to_string(i % 7),
            i % 3 ? "\u0410\u043b\u044c\u0431\u043e\u043c" : "",
            i % 2 ? std::optional<int64_t>() : 1960 + i % 60,
            "Words " + n,
            "Music \u65e5\u672c",
            "/tabs/" + n + ".gp5",
            1000 + i};
}
// Rows of 155 bytes; 26 of them fill a data page exactly.
TExportRow PageFiller(int64_t i) {
    return {std::string(126, static_cast<char>('a' + i % 26)), "", "", std::nullopt, "", "", "", i};
}
// The largest rows: one per data page.
TExportRow Largest(int64_t i) {
    std::string t;
    for (int k = 0; k < 254; ++k)
        t += "\u0436";
    t += std::to_string(i % 10);
    return {t, t, t, i, t, t, t, i};
}

std::string QuoteText(const std::string& text) {
    std::string q = "\"";
    for (char c : text)
        q += c == '"' ? std::string("\"\"") : std::string(1, c);
    return q + "\"";
}

// What mdb-export prints: a heading, texts quoted, Null and empty texts as nothing (the unit tests
// tell those apart).
std::string ExpectedCsv(int64_t rows, TExportRow (*make)(int64_t)) {
    auto Quote = [](const std::string& text) { return text.empty() ? text : QuoteText(text); };
    std::string csv = "title,artist,album,tabyear,music,words,filename,filesize\n";
    for (int64_t i = 0; i < rows; ++i) {
        const TExportRow r = make(i);
        csv += Quote(r.Title) + "," + Quote(r.Artist) + "," + Quote(r.Album) + "," +
               (r.Year ? std::to_string(*r.Year) : "") + "," + Quote(r.Music) + "," + Quote(r.Words) + "," +
               Quote(r.FileName) + "," + std::to_string(r.FileSize) + "\n";
    }
    return csv;
}

class AccessExportTest : public testing::Test {
protected:
    TTempFolder Folder;
    std::string Path = Folder.File("export.mdb");

    TAccessExportResult Export(int64_t rows, TExportRow (*make)(int64_t),
                               const TExportOptions& options = {}) {
        std::string error;
        EXPECT_TRUE(CopyAccessTemplate(DataFile, Path, error)) << error;
        TTestRowSource source(rows, make);
        return ExportAccessRows(source, Path, options);
    }
};

TEST_F(AccessExportTest, MdbtoolsReadsWhatWasWritten) {
    const struct {
        const char* Name;
        int64_t Rows;
        TExportRow (*Make)(int64_t);
    } cases[] = {
        {"no rows", 0, MakeRow},           {"one row", 1, MakeRow},
        {"a full page", 26, PageFiller},   {"more than 512 pages", 600, Largest},
        {"100,000 rows", 100000, MakeRow},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        const TAccessExportResult result = Export(c.Rows, c.Make);
        ASSERT_TRUE(result.Ok) << result.Message;
        EXPECT_EQ(result.Written, c.Rows);
        EXPECT_EQ(result.CutValues, 0);
        const std::vector<uint8_t> written = FileBytes(Path);
        CheckMaps(FileBytes(TemplatePath), written);
        EXPECT_TRUE(c.Rows > 0 || written == FileBytes(TemplatePath)) << "the template byte for byte";
        const struct {
            const char* Command;
            std::string Args, Out;
        } checks[] = {
            {"mdb-ver", "", "JET4\n"},
            {"mdb-tables", "-1", "tablatures\n"},
            {"mdb-count", "tablatures", std::to_string(c.Rows) + "\n"},
            {"mdb-export", "tablatures", ExpectedCsv(c.Rows, c.Make)},
        };
        for (const auto& k : checks) {
            const TToolRun run = Mdb(k.Command, Path, k.Args, Folder);
            EXPECT_EQ(run.Exit, 0) << k.Command;
            EXPECT_EQ(run.Err, "") << k.Command;
            EXPECT_TRUE(run.Out == k.Out) << k.Command << " printed " << run.Out.substr(0, 2000);
        }
        const TToolRun schema = Mdb("mdb-schema", Path, "-T tablatures", Folder);
        EXPECT_EQ(schema.Err, "");
        for (const char* column :
             {"[title]\t\t\tText (255)", "[artist]\t\t\tText (255)", "[album]\t\t\tText (255)",
              "[tabyear]\t\t\tLong Integer", "[music]\t\t\tText (255)", "[words]\t\t\tText (255)",
              "[filename]\t\t\tText (255)", "[filesize]\t\t\tLong Integer"})
            EXPECT_NE(schema.Out.find(column), std::string::npos) << column;
    }
}

TEST_F(AccessExportTest, StopsAtAProgressStepWithTheRowsSoFar) {
    std::atomic<bool> stop{false};
    std::vector<std::pair<int, int64_t>> steps;
    TExportOptions options;
    options.Stop = &stop;
    options.Progress = [&](int percent, int64_t processed, int64_t) {
        steps.push_back({percent, processed});
        stop = processed >= 100;
    };
    const TAccessExportResult result = Export(1000, MakeRow, options);
    EXPECT_TRUE(result.Ok && result.Stopped) << result.Message;
    EXPECT_EQ(result.Written, 100);
    EXPECT_EQ(steps, (std::vector<std::pair<int, int64_t>>{{5, 50}, {10, 100}}));
    EXPECT_EQ(Mdb("mdb-count", Path, "tablatures", Folder).Out, "100\n");
    CheckMaps(FileBytes(TemplatePath), FileBytes(Path));
}

// Fails when asked for row FailAt.
class TFailingSource : public TTestRowSource {
public:
    TFailingSource() : TTestRowSource(1000, MakeRow) {}
    bool Next(TExportRow& row) override {
        if (Delivered() == 120)
            throw EQuiravelError("disk I/O error");
        return TTestRowSource::Next(row);
    }
};

TEST_F(AccessExportTest, AFailureGivesItsCauseAndLeavesTheEmptyTable) {
    std::string error;
    ASSERT_TRUE(CopyAccessTemplate(DataFile, Path, error)) << error;
    TFailingSource source;
    const TAccessExportResult result = ExportAccessRows(source, Path, {});
    EXPECT_FALSE(result.Ok);
    EXPECT_EQ(result.Message, "disk I/O error");
    const TToolRun count = Mdb("mdb-count", Path, "tablatures", Folder);
    EXPECT_EQ(count.Out + count.Err, "0\n");

    // Killed after some pages were written: they are not part of the table yet.
    ASSERT_TRUE(CopyAccessTemplate(DataFile, Path, error)) << error;
    if (const pid_t child = fork(); child == 0) {
        TTestRowSource rows(100000, MakeRow);
        TExportOptions options;
        options.Progress = [](int, int64_t processed, int64_t) {
            if (processed == 5000)
                _exit(0);
        };
        ExportAccessRows(rows, Path, options);
        _exit(1);
    } else {
        int status = 0;
        waitpid(child, &status, 0);
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    EXPECT_GT(FileBytes(Path).size(), FileBytes(TemplatePath).size() + 100 * JetPageSize);
    for (const auto& [command, out] :
         {std::pair{"mdb-count", "0\n"},
          {"mdb-export", "title,artist,album,tabyear,music,words,filename,filesize\n"}}) {
        const TToolRun run = Mdb(command, Path, "tablatures", Folder);
        EXPECT_EQ(run.Out + run.Err, out) << command << " after a crash";
    }

    const std::string notADatabase = Folder.Write("notes.mdb", "some text");
    TTestRowSource rows(10, MakeRow);
    const TAccessExportResult refused = ExportAccessRows(rows, notADatabase, {});
    EXPECT_FALSE(refused.Ok);
    EXPECT_EQ(refused.Message,
              "The database is not the expected empty template: it is not an Access database.");
    EXPECT_EQ(FileBytes(notADatabase).size(), 9u);
}

TEST_F(AccessExportTest, CopiesTheTemplateOverAnExistingFile) {
    Folder.Write("export.mdb", std::string(300000, 'x'));
    std::string error;
    ASSERT_TRUE(CopyAccessTemplate(DataFile, Path, error)) << error;
    EXPECT_TRUE(FileBytes(Path) == FileBytes(TemplatePath));
}

TEST_F(AccessExportTest, ReportsATemplateThatCannotBeCopied) {
    std::vector<uint8_t> data = FileBytes(DataFile), damaged = data, renamed = data;
    damaged[damaged.size() / 2] ^= 0x55;
    for (size_t at = 0;
         (at = std::string(renamed.begin(), renamed.end()).find("db.mdb", at)) != std::string::npos;)
        renamed[at + 5] = 'x';
    WriteBytes(Folder.File("damaged.dat"), damaged);
    WriteBytes(Folder.File("renamed.dat"), renamed);
    const struct {
        std::string Data, Target, Cause;
    } cases[] = {
        {Folder.File("missing.dat"), Path, "is not a Zip archive"},
        {Folder.Write("text.dat", "not a zip"), Path, "is not a Zip archive"},
        {Folder.File("renamed.dat"), Path, "There is no entry \"db.mdb\""},
        {DataFile, Folder.File("no/such/folder.mdb"), "No such file or directory"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Data + " " + c.Target);
        std::string error;
        EXPECT_FALSE(CopyAccessTemplate(c.Data, c.Target, error));
        EXPECT_EQ(error.rfind("Cannot create file \"" + c.Target + "\"\n", 0), 0u) << error;
        EXPECT_NE(error.find(c.Cause), std::string::npos) << error;
    }
    EXPECT_FALSE(std::filesystem::exists(Path)) << "nothing written from a bad data file";

    // A damaged entry never becomes a database that takes rows.
    std::string error;
    const bool copied = CopyAccessTemplate(Folder.File("damaged.dat"), Path, error);
    TTestRowSource rows(1, MakeRow);
    EXPECT_FALSE(copied && ExportAccessRows(rows, Path, {}).Ok);
}

} // namespace
