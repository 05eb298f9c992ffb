// Opens Excel exports in LibreOffice (headless, converted to CSV) and compares the cells.
// Skipped when soffice is missing; scripts/check-xls.sh installs it and runs this check.
#include "OutputTestSupport.h"
#include "output/Export.h"
#include "output/XlsWriter.h"

#include <gtest/gtest.h>

namespace {

std::string CsvField(const std::string& value) {
    if (value.find_first_of(",\"\n") == std::string::npos)
        return value;
    std::string quoted = "\"";
    for (char c : value)
        quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + "\"";
}

// The CSV line LibreOffice should give for a row, texts as they read back from CP1252.
std::string CsvLine(const TExportRow& row) {
    std::string year = row.Year ? std::to_string(*row.Year) : "";
    std::vector<std::string> fields = {row.Title, row.Artist, row.Album,    year,
                                       row.Words, row.Music,  row.FileName, std::to_string(row.FileSize)};
    std::string line;
    for (const std::string& f : fields)
        line += (line.empty() ? "" : ",") + CsvField(f);
    return line + "\n";
}

class ExportLibreOffice : public ::testing::Test {
protected:
    void SetUp() override {
        Soffice = FindProgram("soffice");
        if (Soffice.empty())
            GTEST_SKIP() << "soffice is missing: scripts/check-xls.sh installs LibreOffice";
    }
    // Exports the rows, converts the file to UTF-8 CSV with LibreOffice and returns the CSV text.
    std::string Roundtrip(TExportRowSource& source, TExportResult& result) {
        std::string xls = Folder.File("export.xls");
        result = ExportCatalogue(source, ekExcel, xls, {});
        EXPECT_TRUE(result.Ok) << result.Message;
        auto [status, output] =
            RunCommand(Quoted(Soffice) + " -env:UserInstallation=file://" + Folder.File("profile") +
                       " --headless --convert-to 'csv:Text - txt - csv (StarCalc):44,34,76' --outdir " +
                       Quoted(Folder.File("")) + " " + Quoted(xls));
        EXPECT_EQ(status, 0) << output;
        std::ifstream csv(Folder.File("export.csv"), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(csv), {});
    }

    std::string Soffice;
    TTempFolder Folder;
};

TEST_F(ExportLibreOffice, OpensWithTheSameCells) {
    std::vector<TExportRow> rows = {
        {"a<b&c", "Caf\u00e9 \u20ac", "\u0416uk", 1998, "Lyricist", "Composer", "/tabs/a, \"b\".gp5", 1234},
        {"No year", "", "", std::nullopt, "", "m", "/tabs/b.gp4", 3000000000},
        {std::string(70000, 'x'), "negative", "", -7, "w", "", "/t", 0},
    };
    TTestRowSource source(rows);
    TExportResult result;
    std::string csv = Roundtrip(source, result);
    rows[0].Album = "?uk";                  // no Cyrillic in CP1252
    rows[2].Title.resize(XLSMaxLabelBytes); // cut to the record's length field
    std::string expected;
    for (const TExportRow& row : rows)
        expected += CsvLine(row);
    EXPECT_EQ(csv, expected);
}

TEST_F(ExportLibreOffice, FullWorksheetKeepsEveryRow) {
    auto make = [](int64_t i) {
        return TExportRow{"t" + std::to_string(i), "", "", std::nullopt, "", "", "", i};
    };
    TTestRowSource source(XLSMaxRows + 10, make);
    TExportResult result;
    std::string csv = Roundtrip(source, result);
    EXPECT_TRUE(result.RowLimitReached);
    EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), XLSMaxRows);
    EXPECT_TRUE(csv.starts_with(CsvLine(make(0))));
    EXPECT_TRUE(csv.ends_with(CsvLine(make(XLSMaxRows - 1))));
}

} // namespace
