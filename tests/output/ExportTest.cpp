#include "output/Export.h"
#include "ByteBuilder.h"
#include "OutputTestSupport.h"
#include "output/XlsWriter.h"
#include "settings/Translate.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

std::vector<TExportRow> Fixture() {
    return {
        {"a<b&c", "Me > You", "Caf\u00e9", 1998, "Lyricist", "Composer", "/tabs/a.gp5", 1234},
        {"Second", "", "", std::nullopt, "", "Mu", "/tabs/b.gp4", 0},
    };
}

TExportResult Exported(TExportKind kind, TTestRowSource& source, std::string& out,
                       const TExportOptions& options = {}) {
    TStringSink sink;
    TExportResult result = ExportToSink(source, kind, sink, options);
    out = sink.Str();
    return result;
}

std::string Exported(TExportKind kind, std::vector<TExportRow> rows) {
    TTestRowSource source(std::move(rows));
    std::string out;
    EXPECT_TRUE(Exported(kind, source, out).Ok);
    return out;
}

const std::string HTMLHead =
    "<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.0 Strict//EN\" "
    "\"http://www.w3.org/TR/xhtml1/DTD/xhtml1-strict.dtd\">\r\n"
    "<html xmlns=\"http://www.w3.org/1999/xhtml\">\r\n"
    "<head>\r\n"
    "    <meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\"/>\r\n"
    "    <title>Tablatures</title>\r\n"
    "</head>\r\n"
    "<body>\r\n"
    "<table>\r\n";
const std::string HTMLTail = "</table>\r\n</body>\r\n</html>\r\n";

std::string HTMLRow(std::vector<std::string> cells) {
    std::string s = "    <tr>\r\n";
    for (const std::string& c : cells)
        s += "        <td>" + c + "</td>\r\n";
    return s + "    </tr>\r\n";
}

ByteBuilder& Label(ByteBuilder& b, uint16_t row, uint16_t column, std::string_view text) {
    auto n = static_cast<uint16_t>(text.size());
    return b.Word(0x0204).Word(8 + n).Word(row).Word(column).Word(0).Word(n).Bytes(text);
}

ByteBuilder& Integer(ByteBuilder& b, uint16_t row, uint16_t column, int32_t value) {
    return b.Word(0x027E).Word(10).Word(row).Word(column).Word(0).Dword((static_cast<uint32_t>(value) << 2) |
                                                                        2);
}

TEST(Export, XMLLayout) {
    EXPECT_EQ(Exported(ekXML, Fixture()), "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
                                          "<tablatures>\r\n"
                                          "    <tablature>\r\n"
                                          "        <title>a&lt;b&amp;c</title>\r\n"
                                          "        <artist>Me &gt; You</artist>\r\n"
                                          "        <album>Caf\u00e9</album>\r\n"
                                          "        <year>1998</year>\r\n"
                                          "        <music>Composer</music>\r\n"
                                          "        <words>Lyricist</words>\r\n"
                                          "        <filename>/tabs/a.gp5</filename>\r\n"
                                          "        <filesize>1234</filesize>\r\n"
                                          "    </tablature>\r\n"
                                          "    <tablature>\r\n"
                                          "        <title>Second</title>\r\n"
                                          "        <artist></artist>\r\n"
                                          "        <album></album>\r\n"
                                          "        <year></year>\r\n"
                                          "        <music>Mu</music>\r\n"
                                          "        <words></words>\r\n"
                                          "        <filename>/tabs/b.gp4</filename>\r\n"
                                          "        <filesize>0</filesize>\r\n"
                                          "    </tablature>\r\n"
                                          "</tablatures>\r\n");
    EXPECT_EQ(Exported(ekXML, {}),
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<tablatures>\r\n</tablatures>\r\n");
}

TEST(Export, HTMLLayout) {
    EXPECT_EQ(Exported(ekHTML, Fixture()), HTMLHead +
                                               HTMLRow({"a&lt;b&amp;c", "Me &gt; You", "Caf\u00e9", "1998",
                                                        "Lyricist", "Composer", "/tabs/a.gp5", "1234"}) +
                                               HTMLRow({"Second", "", "", "", "", "Mu", "/tabs/b.gp4", "0"}) +
                                               HTMLTail);
    // The document type needs a row in every table, so an empty list shows one row of empty cells.
    EXPECT_EQ(Exported(ekHTML, {}), HTMLHead + HTMLRow(std::vector<std::string>(8)) + HTMLTail);
}

TEST(Export, ExcelLayoutInTheChosenCodePage) {
    ByteBuilder b;
    b.Word(0x0809).Word(8).Word(0).Word(0x10).Word(0).Word(0);
    Label(Label(Label(b, 0, 0, "a<b&c"), 0, 1, "Me > You"), 0, 2, "Caf\xE9");
    Integer(b, 0, 3, 1998);
    Label(Label(Label(b, 0, 4, "Lyricist"), 0, 5, "Composer"), 0, 6, "/tabs/a.gp5");
    Integer(b, 0, 7, 1234);
    Label(Label(Label(b, 1, 0, "Second"), 1, 1, ""), 1, 2, "");
    Label(Label(Label(b, 1, 4, ""), 1, 5, "Mu"), 1, 6, "/tabs/b.gp4");
    Integer(b, 1, 7, 0);
    b.Word(0x000A).Word(0);
    EXPECT_EQ(Exported(ekExcel, Fixture()), b.Str());
    EXPECT_EQ(Exported(ekExcel, {}).size(), 16u);

    // A named code page, and "System Default" following the interface language.
    for (bool named : {true, false}) {
        TTestRowSource cyrillic({{"\u0416\u0443\u043a", "\u00e9", "", 0, "", "", "", 0}});
        std::string out;
        UseLanguage(named ? "en" : "ru");
        TExportResult result = Exported(ekExcel, cyrillic, out,
                                        {.CodePage = named ? "CP1251" : "", .Progress = {}, .Stop = nullptr});
        UseLanguage("en");
        ASSERT_TRUE(result.Ok);
        EXPECT_NE(out.find(std::string("\x03\x00\xC6\xF3\xEA", 5)), std::string::npos);
        EXPECT_NE(out.find(std::string("\x01\x00?", 3)), std::string::npos) << "é lacks in CP1251";
    }
}

TEST(Export, ProgressEveryStepAndAStopLeavesACompleteFile) {
    std::vector<std::pair<int, int64_t>> steps;
    std::atomic<bool> stop = false;
    TExportOptions options;
    options.Progress = [&](int percent, int64_t processed, int64_t total) {
        EXPECT_EQ(total, 450);
        steps.emplace_back(percent, processed);
    };
    options.Stop = &stop;
    auto make = [](int64_t i) { return TExportRow{"t" + std::to_string(i), "", "", i, "", "", "", i}; };

    TTestRowSource all(450, make);
    std::string out;
    TExportResult result = Exported(ekXML, all, out, options);
    EXPECT_TRUE(result.Ok && !result.Stopped);
    EXPECT_EQ(result.Written, 450);
    EXPECT_EQ(steps, (std::vector<std::pair<int, int64_t>>{{44, 200}, {89, 400}}));

    stop = true;
    struct Case {
        TExportKind kind;
        std::string tail;
    } cases[] = {{ekXML, "</tablature>\r\n</tablatures>\r\n"},
                 {ekHTML, "</tr>\r\n</table>\r\n</body>\r\n</html>\r\n"},
                 {ekExcel, std::string("\x0A\x00\x00\x00", 4)}};
    for (const Case& c : cases) {
        TTestRowSource source(450, make);
        result = Exported(c.kind, source, out, options);
        EXPECT_TRUE(result.Ok && result.Stopped) << c.kind;
        EXPECT_EQ(result.Written, 200);
        EXPECT_EQ(source.Delivered(), 200) << "nothing is read past the stop";
        EXPECT_TRUE(out.ends_with(c.tail)) << c.kind;
        EXPECT_NE(out.find("t199"), std::string::npos);
        EXPECT_EQ(out.find("t200"), std::string::npos);
    }
}

// Row numbers of an Excel file's cells, in file order, with its last record's id.
std::vector<uint16_t> ExcelRows(const std::string& bytes, uint16_t& lastId) {
    std::vector<uint16_t> rows;
    auto word = [&](size_t at) {
        return static_cast<uint16_t>(uint8_t(bytes[at]) | uint8_t(bytes[at + 1]) << 8);
    };
    for (size_t at = 0; at + 4 <= bytes.size(); at += 4 + word(at + 2)) {
        lastId = word(at);
        if (lastId == 0x027E || lastId == 0x0204)
            rows.push_back(word(at + 4));
    }
    return rows;
}

TEST(Export, ExcelStopsAtItsLastRow) {
    for (int64_t count : {XLSMaxRows, XLSMaxRows + 1, XLSMaxRows + 5000}) {
        TTestRowSource source(count, [](int64_t i) {
            TExportRow row;
            row.FileSize = i;
            return row;
        });
        std::string out;
        TExportResult result = Exported(ekExcel, source, out);
        bool over = count > XLSMaxRows;
        EXPECT_TRUE(result.Ok);
        EXPECT_EQ(result.RowLimitReached, over) << count;
        EXPECT_EQ(result.Written, XLSMaxRows);
        EXPECT_EQ(result.Message.empty(), !over);
        if (over) {
            EXPECT_NE(result.Message.find(std::to_string(XLSMaxRows) + " of " + std::to_string(count)),
                      std::string::npos)
                << result.Message;
        }
        uint16_t lastId = 0;
        std::vector<uint16_t> rows = ExcelRows(out, lastId);
        EXPECT_EQ(lastId, 0x000A);
        // Seven cells per row (no year), rows in order: no row number wrapped round to overwrite row 0.
        ASSERT_EQ(rows.size(), 7 * XLSMaxRows);
        EXPECT_TRUE(std::is_sorted(rows.begin(), rows.end()));
        EXPECT_EQ(rows.back(), 65535);
    }
}

TEST(Export, FailuresCarryTheirOwnMessage) {
    TTestRowSource rows(Fixture());
    TFailingSink full(100);
    TExportResult result = ExportToSink(rows, ekXML, full, {});
    EXPECT_FALSE(result.Ok);
    EXPECT_EQ(result.Message, "No space left on device");

    TTestRowSource broken(10, [](int64_t i) -> TExportRow {
        if (i == 3)
            throw EQuiravelError("database disk image is malformed");
        return {};
    });
    TStringSink sink;
    result = ExportToSink(broken, ekHTML, sink, {});
    EXPECT_FALSE(result.Ok);
    EXPECT_EQ(result.Message, "database disk image is malformed");

    TTestRowSource any(Fixture());
    result = ExportToSink(any, ekExcel, sink, {.CodePage = "NO-SUCH", .Progress = {}, .Stop = nullptr});
    EXPECT_FALSE(result.Ok);
}

TEST(Export, FileTargets) {
    TTempFolder folder;
    TTestRowSource rows(Fixture());
    std::string target = folder.Write("old.xml", std::string(100000, 'x'));
    EXPECT_FALSE(IsReadOnlyTarget(target));
    EXPECT_FALSE(IsReadOnlyTarget(folder.File("missing.xml")));
    TExportResult result = ExportCatalogue(rows, ekXML, target, {});
    EXPECT_TRUE(result.Ok) << result.Message;
    EXPECT_EQ(std::filesystem::file_size(target), Exported(ekXML, Fixture()).size())
        << "an old file is truncated";

    chmod(target.c_str(), 0444);
    EXPECT_TRUE(IsReadOnlyTarget(target));
    EXPECT_EQ(ReadOnlyTargetText("/x/t.htm"),
              "Cannot export database\n/x/t.htm\nFile is read only. Please select another file name.");

    TTestRowSource more(Fixture());
    result = ExportCatalogue(more, ekHTML, folder.File("no/such/folder.htm"), {});
    EXPECT_FALSE(result.Ok);
    EXPECT_EQ(result.Message, "No such file or directory");
    EXPECT_EQ(ExportFailureText("/x/t.htm", result.Message),
              "Cannot export database\n/x/t.htm\nNo such file or directory");
}

} // namespace
