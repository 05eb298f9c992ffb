#include "output/JetWriter.h"
#include "JetTestSupport.h"
#include "OutputTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstring>
#include <functional>
#include <optional>
#include <sys/resource.h>

namespace {

std::vector<TJetExpectedColumn> Columns() {
    return {{"title", JetTypeText},    {"artist", JetTypeText},  {"album", JetTypeText},
            {"tabyear", JetTypeLong},  {"music", JetTypeText},   {"words", JetTypeText},
            {"filename", JetTypeText}, {"filesize", JetTypeLong}};
}

// The six texts of a row and its number; the year is Null for odd numbers.
struct TTextRow {
    std::string Texts[6];
    int64_t Number = 0;
};
using TRowMaker = std::function<TTextRow(int64_t)>;

void Append(TJetWriter& writer, const TTextRow& r) {
    const TJetValue values[8] = {
        TJetValue::OfText(r.Texts[0]), TJetValue::OfText(r.Texts[1]),
        TJetValue::OfText(r.Texts[2]), r.Number % 2 ? TJetValue{} : TJetValue::OfLong(r.Number),
        TJetValue::OfText(r.Texts[3]), TJetValue::OfText(r.Texts[4]),
        TJetValue::OfText(r.Texts[5]), TJetValue::OfLong(r.Number)};
    writer.Append(values);
}

std::string Repeat(const std::string& unit, int n) {
    std::string s;
    while (n-- > 0)
        s += unit;
    return s;
}

TTextRow Small(int64_t i) {
    const std::string n = std::to_string(i);
    return {{"Song " + n, "\u00c5rtist", "", "M\U0001F3B8", "\u65e5" + n, "/tabs/" + n + ".gp5"}, i};
}
// 155 bytes: 26 rows with their offsets fill the 4082 bytes of a page exactly.
TTextRow PageFiller(int64_t i) {
    return {{std::string(126, 'a' + i % 26), "", "", "", "", ""}, i};
}
// The largest row, 3087 bytes: one per page.
TTextRow Largest(int64_t i) {
    const std::string t = Repeat("\u0436", 254) + static_cast<char>('a' + i % 26);
    return {{t, t, t, t, t, t}, i};
}

class JetWriterTest : public testing::Test {
protected:
    std::vector<uint8_t> Template = FileBytes(TemplatePath);
    TTempFolder Folder;
    std::string Path = Folder.File("out.mdb");

    void Write(int64_t rows, const TRowMaker& make) {
        WriteBytes(Path, Template);
        TJetWriter writer("tablatures", Columns());
        writer.Open(Path);
        for (int64_t i = 0; i < rows; ++i)
            Append(writer, make(i));
        writer.Finish();
        EXPECT_EQ(writer.Rows(), rows);
        EXPECT_EQ(writer.CutValues(), 0);
    }
};

TEST_F(JetWriterTest, KeepsTheMapsRightAndTheRowsReadable) {
    std::vector<TJetColumn> read;
    const TJetTableDef def = TableDef(Template);
    for (const char* name : {"title", "artist", "album", "music", "words", "filename", "filesize"})
        read.push_back(*def.Find(name));
    const struct {
        const char* Name;
        int64_t Rows;
        TRowMaker Make;
        size_t DataPages; // 0: not checked
        bool LastPageInFreeMap;
    } cases[] = {
        {"one row", 1, Small, 1, true},
        {"a page filled exactly", 26, PageFiller, 1, false},
        {"one more", 27, PageFiller, 2, true},
        {"small rows", 5000, Small, 0, true},
        {"past the global map's first 512 pages", 600, Largest, 600, true},
        {"past the first usage map page's 32736 pages", 33000, Largest, 33000, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        Write(c.Rows, c.Make);
        const std::vector<uint8_t> written = FileBytes(Path);
        const TWrittenTable table = CheckMaps(Template, written);
        ASSERT_FALSE(table.DataPages.empty());
        EXPECT_TRUE(c.DataPages == 0 || table.DataPages.size() == c.DataPages) << table.DataPages.size();
        EXPECT_EQ(InlineBit(MapRow(written, TableDef(written).FreeMap), table.DataPages.back()),
                  c.LastPageInFreeMap);
        int64_t i = 0;
        for (const auto& page : table.Rows)
            for (TJetBytes row : page) {
                const TTextRow want = c.Make(i++);
                for (int t = 0; t < 6; ++t)
                    ASSERT_EQ(JetUtf8(JetDecodeText(*JetColumnValue(row, read[t]))), want.Texts[t])
                        << "row " << i;
                ASSERT_EQ(JetGet32(JetColumnValue(row, read[6])->data()), want.Number);
            }
        EXPECT_EQ(i, c.Rows);
    }
}

TEST_F(JetWriterTest, LeavesTheTemplateAsItWasWithoutRows) {
    Write(0, Small);
    EXPECT_TRUE(FileBytes(Path) == Template);
}

// Places in the template.
size_t TdefAt(const std::vector<uint8_t>& file) {
    return FindJetTable(file, "tablatures") * JetPageSize;
}
size_t Find(const std::vector<uint8_t>& file, const std::u16string& text) {
    std::vector<uint8_t> bytes;
    for (char16_t c : text)
        bytes.insert(bytes.end(), {static_cast<uint8_t>(c), static_cast<uint8_t>(c >> 8)});
    return static_cast<size_t>(std::search(file.begin(), file.end(), bytes.begin(), bytes.end()) -
                               file.begin());
}

TEST_F(JetWriterTest, RefusesATemplateOfAnotherLayoutAndLeavesItAlone) {
    using TEdit = std::function<void(std::vector<uint8_t>&)>;
    const struct {
        const char* Why;
        TEdit Edit;
    } cases[] = {
        {"not an Access database", [](auto& f) { f.resize(f.size() - 100); }},
        {"not an Access database", [](auto& f) { std::fill(f.begin(), f.end(), 'x'); }},
        {"not an Access 2000 (Jet 4) database", [](auto& f) { f[0x14] = 0; }},
        {"its data pages are encoded", [](auto& f) { f[0x3E] ^= 1; }},
        {"it has no table \"tablatures\"", [](auto& f) { f[Find(f, u"tablatures")] = 'x'; }},
        {"the table already holds rows", [](auto& f) { f[TdefAt(f) + 16] = 1; }},
        {"the table has an index", [](auto& f) { f[TdefAt(f) + 47] = 1; }},
        {"no column \"tabyear\" of the expected type",
         [](auto& f) { f[TdefAt(f) + 63 + 3 * 25] = JetTypeInteger; }},
        {"no column \"words\"", [](auto& f) { f[Find(f, u"words") + 8] = 'z'; }},
        {"the table already owns pages",
         [](auto& f) { f[MapRow(f, TableDef(f).OwnedMap).data() - f.data() + 1] = 30; }},
        {"the table's free-space map is not an inline map",
         [](auto& f) { f[MapRow(f, TableDef(f).FreeMap).data() - f.data()] = 1; }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Why);
        std::vector<uint8_t> bytes = Template;
        c.Edit(bytes);
        WriteBytes(Path, bytes);
        TJetWriter writer("tablatures", Columns());
        try {
            writer.Open(Path);
            ADD_FAILURE() << "accepted";
        } catch (const EJetError& e) {
            EXPECT_EQ(std::string(e.what()).rfind("The database is not the expected empty template: ", 0), 0u)
                << e.what();
            EXPECT_NE(std::string(e.what()).find(c.Why), std::string::npos) << e.what();
        }
        EXPECT_TRUE(FileBytes(Path) == bytes);
    }
}

// Files may grow to limit bytes; past it a write fails with EFBIG instead of a signal.
class TFileSizeLimit {
public:
    explicit TFileSizeLimit(rlim_t limit) {
        getrlimit(RLIMIT_FSIZE, &Saved);
        Previous = std::signal(SIGXFSZ, SIG_IGN);
        rlimit r = Saved;
        r.rlim_cur = limit;
        setrlimit(RLIMIT_FSIZE, &r);
    }
    ~TFileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &Saved);
        std::signal(SIGXFSZ, Previous);
    }

private:
    rlimit Saved{};
    void (*Previous)(int) = nullptr;
};

TEST_F(JetWriterTest, AFailedOrAbandonedRunLeavesTheEmptyTable) {
    const struct {
        const char* Name;
        int64_t Rows;
        size_t ExtraBytes; // the file may grow by this much; 0 for no limit
        bool FailsInFinish;
    } cases[] = {
        {"abandoned without Finish", 2000, 0, false},
        {"disk full while appending", 2000, 100 * 1024, false},
        {"disk full in Finish", 10, 1, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        WriteBytes(Path, Template);
        {
            std::optional<TFileSizeLimit> limit;
            if (c.ExtraBytes)
                limit.emplace(Template.size() + c.ExtraBytes);
            TJetWriter writer("tablatures", Columns());
            writer.Open(Path);
            try {
                for (int64_t i = 0; i < c.Rows; ++i)
                    Append(writer, Small(i));
                if (c.ExtraBytes)
                    writer.Finish();
                EXPECT_FALSE(c.ExtraBytes) << "no failure";
            } catch (const EJetError& e) {
                EXPECT_EQ(std::string(e.what()), std::strerror(EFBIG));
                EXPECT_LT(writer.Rows(), c.FailsInFinish ? c.Rows + 1 : c.Rows);
                EXPECT_THROW(writer.Finish(), EJetError) << "a broken run is not finished";
            }
        }
        const std::vector<uint8_t> written = FileBytes(Path);
        ASSERT_GE(written.size(), Template.size());
        EXPECT_TRUE(std::equal(Template.begin(), Template.end(), written.begin()))
            << "the template's pages are as they were: the table is empty";
    }
}

} // namespace
