#include "settings/IniFile.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sys/stat.h>

namespace {

std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void Spit(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

const char* const Sample = "; written by hand\n"
                           "[Main]\n"
                           "  DatabaseName =  /home/u/tabs.db3  \n"
                           "Empty=\n"
                           "Quoted=' padded '\n"
                           "Dup=first\n"
                           "Dup=second\n"
                           "[search]\n"
                           "UseThreads=2\n"
                           "\n"
                           "[Other]\n"
                           "Foreign=kept\n";

TEST(IniDocumentTest, ReadsStringsByTheFilesRules) {
    const TIniDocument doc(Sample);
    struct {
        const char *section, *key, *expected;
    } rows[] = {
        {"main", "databasename", "/home/u/tabs.db3"}, // case-blind names, blanks trimmed
        {"MAIN", "Empty", ""},                        // present but empty: not the default
        {"Main", "Quoted", " padded "},               // one pair of quotes removed
        {"Main", "Dup", "first"},
        {"Main", "Missing", "def"},
        {"Nowhere", "DatabaseName", "def"},
        {"Other", "Foreign", "kept"},
    };
    for (const auto& r : rows)
        EXPECT_EQ(doc.ReadString(r.section, r.key, "def"), r.expected) << r.section << "/" << r.key;
    EXPECT_EQ(doc.ReadSection("Main").size(), 5u);
}

TEST(IniDocumentTest, ReadsIntegersAndBooleans) {
    struct {
        const char* text;
        int expected; // read with default -99
    } rows[] = {
        {"42", 42},
        {"-7", -7},
        {"+5", 5},
        {"0x1F", 31},
        {"0X1f", 31},
        {"$10", 16},
        {"-$10", -16},
        {"$FFFFFFFF", -1},
        {"0x", -99},
        {"$", -99},
        {"12abc", -99},
        {"yes", -99},
        {"", -99},
        {"2147483647", INT32_MAX},
        {"-2147483648", INT32_MIN},
        {"2147483648", -99},
        {"0x100000000", -99},
        {" 8 ", 8},
    };
    for (const auto& r : rows) {
        const TIniDocument doc(std::string("[S]\nK=") + r.text + "\n");
        EXPECT_EQ(doc.ReadInteger("S", "K", -99), r.expected) << '"' << r.text << '"';
    }
    const TIniDocument doc("[S]\nYes=yes\nTwo=2\nZero=0\n");
    EXPECT_TRUE(doc.ReadBool("S", "Yes", true));
    EXPECT_FALSE(doc.ReadBool("S", "Yes", false));
    EXPECT_TRUE(doc.ReadBool("S", "Two", false));
    EXPECT_FALSE(doc.ReadBool("S", "Zero", true));
    EXPECT_TRUE(doc.ReadBool("S", "Missing", true));
}

TEST(IniDocumentTest, LongValuesAreCutAtWholeCharacters) {
    const std::string url = "https://x/" + std::string(2990, 'a');
    EXPECT_EQ(TIniDocument("[S]\nK=" + url + "\n").ReadString("S", "K", ""),
              url.substr(0, IniMaxValueLength));
    std::string letters;
    for (int i = 0; i < 2100; ++i)
        letters += "\xC3\xA9"; // é
    const std::string read = TIniDocument("[S]\nK=" + letters + "\n").ReadString("S", "K", "");
    EXPECT_EQ(read, letters.substr(0, 2 * IniMaxValueLength));
}

TEST(IniDocumentTest, WritingChangesOnlyWhatItNames) {
    const std::string text =
        "\xEF\xBB\xBF; note\r\n[A]\r\nx=1\r\nOld = keep me\r\n\r\n; about B\r\n[B]\r\ny=2\r\n";
    TIniDocument doc(text);
    EXPECT_EQ(doc.Text(), text);
    doc.WriteString("a", "X", "10"); // in place, keeping the file's spelling of the name
    doc.WriteInteger("A", "New", 5); // after the section's last key
    doc.WriteBool("C", "Flag", true);
    EXPECT_EQ(doc.Text(),
              "\xEF\xBB\xBF; note\r\n[A]\r\nx=10\r\nOld = keep me\r\nNew=5\r\n\r\n; about B\r\n[B]\r\ny=2\r\n"
              "\r\n[C]\r\nFlag=1\r\n");
    doc.DeleteKey("A", "old");
    doc.EraseSection("b");
    EXPECT_EQ(doc.Text(), "\xEF\xBB\xBF; note\r\n[A]\r\nx=10\r\nNew=5\r\n\r\n; about B\r\n[C]\r\nFlag=1\r\n");
}

TEST(IniDocumentTest, WrittenValuesReadBackUnchanged) {
    const char* values[] = {" leading", "trailing\t", "'quoted'", "\"double\"", "'", "a=b;c", "x\"", ""};
    TIniDocument doc;
    for (const char* v : values) {
        doc.WriteString("S", "K", v);
        EXPECT_EQ(TIniDocument(doc.Text()).ReadString("S", "K", "?"), v) << v;
    }

    doc.WriteString("S", "K", "line\n[Evil]\nK=x");
    const TIniDocument back(doc.Text());
    EXPECT_EQ(back.ReadString("S", "K", ""), "line [Evil] K=x");
    EXPECT_FALSE(back.SectionExists("Evil"));
}

class IniFileTest : public ::testing::Test {
protected:
    QTemporaryDir Dir;
    std::string Path = Dir.filePath("config.ini").toStdString();
};

TEST_F(IniFileTest, EachWriteLandsAtOnceAndKeepsOtherWritersKeys) {
    TIniFile mine(Path);
    EXPECT_EQ(mine.ReadString("Main", "DatabaseName", "none"), "none");
    mine.WriteString("Main", "DatabaseName", "/t.db3");
    EXPECT_EQ(TIniFile(Path).ReadString("Main", "DatabaseName", ""), "/t.db3");

    TIniFile(Path).WriteString("GridOptions", "Line0", "grid"); // another writer meanwhile
    mine.WriteInteger("Zip", "LastZipMode", 3);
    const TIniFile after(Path);
    EXPECT_EQ(after.ReadString("GridOptions", "Line0", ""), "grid");
    EXPECT_EQ(after.ReadInteger("Zip", "LastZipMode", 0), 3);
    EXPECT_EQ(mine.ReadInteger("Zip", "LastZipMode", 0), 3);
}

TEST_F(IniFileTest, TheFileIsReplacedNeverRewrittenInPlace) {
    Spit(Path, "[Main]\nDatabaseName=/old.db3\n");
    chmod(Path.c_str(), 0600);
    std::ifstream heldOpen(Path, std::ios::binary); // sees the old file if it is replaced
    TIniFile(Path).WriteString("Main", "DatabaseName", "/new.db3");
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(heldOpen), {}), "[Main]\nDatabaseName=/old.db3\n");
    EXPECT_EQ(Slurp(Path), "[Main]\nDatabaseName=/new.db3\n");
    struct stat st {};
    ASSERT_EQ(stat(Path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(Dir.path().toStdString()),
                            std::filesystem::directory_iterator()),
              1); // no temporary file left behind
}

TEST_F(IniFileTest, WritingThroughALinkReplacesItsTarget) {
    const std::string target = Dir.filePath("real.ini").toStdString();
    Spit(target, "[A]\nx=1\n");
    std::filesystem::create_symlink(target, Path);
    TIniFile(Path).WriteInteger("A", "x", 2);
    EXPECT_TRUE(std::filesystem::is_symlink(Path));
    EXPECT_EQ(Slurp(target), "[A]\nx=2\n");
}

TEST_F(IniFileTest, AFailedWriteRaisesWithThePath) {
    const std::string path = Dir.filePath("missing/config.ini").toStdString();
    TIniFile file(path);
    try {
        file.WriteBool("Main", "SkinAll", true);
        FAIL() << "no error raised";
    } catch (const EIniWriteError& e) {
        EXPECT_EQ(std::string(e.what()), "Unable to write to " + path);
    }
    EXPECT_FALSE(file.Document().KeyExists("Main", "SkinAll"));
}

} // namespace
