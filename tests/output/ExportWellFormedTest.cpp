#include "OutputTestSupport.h"
#include "output/Export.h"

#include <gtest/gtest.h>

namespace {

// Values no export may pass through raw: every C0 control, DEL and C1 controls, non-characters,
// malformed UTF-8 (stray bytes, overlong forms, surrogates, a cut sequence), and markup.
std::vector<TExportRow> HostileRows() {
    std::string controls;
    for (char c = 1; c < 0x20; ++c)
        controls += c;
    return {
        {"a\x01"
         "b\x1F"
         "c",
         controls, "\x7F\xC2\x80\xC2\x9F", 1998, "\xEF\xBF\xBE\xEF\xBF\xBF", "tab\tline\ncr\r",
         "/t/\xFF\xFE.gp5", 1},
        {"\xC0\xAF\xE0\x80\xAF", "\xED\xA0\x80", "cut \xE2\x82", std::nullopt, "<![CDATA[ ]]> &amp; \"'",
         "</td></tr>", "\xF4\x90\x80\x80", -1},
        {"a<b&c", "\u0416\u00e9\u65e5\U0001F3B8", "", 0, "", "", "", 0},
    };
}

class ExportWellFormed : public ::testing::Test {
protected:
    void SetUp() override {
        Xmllint = FindProgram("xmllint");
        Dtd = FindXhtmlStrictDtd();
        ASSERT_FALSE(Xmllint.empty()) << "xmllint is missing: scripts/deps.sh installs libxml2-utils";
        ASSERT_FALSE(Dtd.empty())
            << "the XHTML 1.0 Strict DTD is missing: scripts/deps.sh installs w3c-sgml-lib";
    }
    std::string Export(TExportKind kind, std::vector<TExportRow> rows, const std::string& name) {
        TTestRowSource source(std::move(rows));
        std::string path = Folder.File(name);
        TExportResult result = ExportCatalogue(source, kind, path, {});
        EXPECT_TRUE(result.Ok) << result.Message;
        return path;
    }
    std::pair<int, std::string> Lint(const std::string& options, const std::string& path) {
        return RunCommand(Xmllint + " --nonet " + options + " " + Quoted(path));
    }

    std::string Xmllint, Dtd;
    TTempFolder Folder;
};

TEST_F(ExportWellFormed, XmllintAcceptsEveryExport) {
    struct Case {
        const char* name;
        std::vector<TExportRow> rows;
    } cases[] = {{"hostile", HostileRows()}, {"empty", {}}};
    for (const Case& c : cases) {
        std::string xml = Export(ekXML, c.rows, std::string(c.name) + ".xml");
        auto [xmlStatus, xmlOutput] = Lint("--noout", xml);
        EXPECT_EQ(xmlStatus, 0) << c.name << ": " << xmlOutput;
        std::string html = Export(ekHTML, c.rows, std::string(c.name) + ".htm");
        auto [htmlStatus, htmlOutput] = Lint("--noout --dtdvalid " + Quoted(Dtd), html);
        EXPECT_EQ(htmlStatus, 0) << c.name << ": " << htmlOutput;
    }
}

TEST_F(ExportWellFormed, ValuesReadBackMended) {
    std::string xml = Export(ekXML, HostileRows(), "values.xml");
    struct Case {
        const char* xpath;
        std::string expected;
    } cases[] = {
        {"//tablature[1]/title", "abc"},
        {"//tablature[1]/artist", "\t\n\n"}, // a parser reads the carriage return as a line feed
        {"//tablature[1]/album", "\x7F\xC2\x80\xC2\x9F"},
        {"//tablature[1]/words", ""},
        {"//tablature[1]/filename", "/t/\uFFFD\uFFFD.gp5"},
        {"//tablature[2]/title", "\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD"},
        {"//tablature[2]/artist", "\uFFFD\uFFFD\uFFFD"},
        {"//tablature[2]/album", "cut \uFFFD\uFFFD"},
        {"//tablature[2]/music", "</td></tr>"},
        {"//tablature[2]/words", "<![CDATA[ ]]> &amp; \"'"},
        {"//tablature[2]/filesize", "-1"},
        {"//tablature[3]/title", "a<b&c"},
        {"//tablature[3]/artist", "\u0416\u00e9\u65e5\U0001F3B8"},
    };
    for (const Case& c : cases) {
        auto [status, output] = Lint("--xpath 'string(" + std::string(c.xpath) + ")'", xml);
        EXPECT_EQ(status, 0) << c.xpath;
        EXPECT_EQ(output, c.expected + "\n") << c.xpath;
    }
}

} // namespace
