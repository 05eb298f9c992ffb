#include "browse/SongsStatus.h"

#include "../catalogue/CatalogueFixtures.h"
#include "../support/MemoryQuery.h"
#include "browse/ResultSet.h"
#include "catalogue/Sqlite.h"
#include "settings/Translate.h"

#include <gtest/gtest.h>

namespace {

// Rows shaped as the catalogue's: id, title, artist, album, year, words, music, filename, filesize.
std::shared_ptr<const TResultSet> TabRows() {
    return MemoryQuery("SELECT 1, 't', 'a', 'b', 2000, '', '', '/tabs/a.gp5', 1536, '' "
                       "UNION ALL SELECT 2, 't2', '', '', NULL, '', '', '/tabs/b.gp5', 'big', '' "
                       "UNION ALL SELECT 3, 't3', '', '', NULL, '', '', '/tabs/c.gp5', NULL, ''");
}

class SongsStatusTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetLocaleFolder(QV_BUILD_DIR "/locale");
        UseLanguage("en");
    }
    void TearDown() override {
        SetLocaleFolder(QV_BUILD_DIR "/locale");
        UseLanguage("en");
    }
};

TEST_F(SongsStatusTest, KiloBytesRoundToOneDecimalWithHalvesToEven) {
    struct {
        long long bytes;
        QChar point;
        const char* expected;
    } rows[] = {
        {1536, u'.', "1.5"},   {2048, u'.', "2"},
        {12288, u'.', "12"},   {1536, u',', "1,5"},
        {0, u'.', "0"},        {256, u'.', "0.2"},
        {768, u'.', "0.8"}, // 0.25 and 0.75: to even
        {1075, u'.', "1"},     {1076, u'.', "1.1"},
        {-1536, u'.', "-1.5"}, {9223372036854775807LL, u'.', "9007199254740992"},
    };
    for (const auto& r : rows)
        EXPECT_EQ(FormatKiloBytes(r.bytes, r.point), r.expected) << r.bytes;
}

TEST_F(SongsStatusTest, CurrentTabTextNeedsNineColumnsAndAnIntegerSize) {
    const auto rows = TabRows();
    EXPECT_EQ(CurrentTabText(rows.get(), 0, false, u'.'), "/tabs/a.gp5 - 1.5 KB");
    EXPECT_EQ(CurrentTabText(rows.get(), 0, true, u'.'), "") << "worker busy";
    EXPECT_EQ(CurrentTabText(rows.get(), 1, false, u'.'), "") << "size not a number";
    EXPECT_EQ(CurrentTabText(rows.get(), 2, false, u'.'), "") << "size NULL";
    EXPECT_EQ(CurrentTabText(rows.get(), 3, false, u'.'), "") << "no such row";
    EXPECT_EQ(CurrentTabText(rows.get(), -1, false, u'.'), "") << "no current row";
    EXPECT_EQ(CurrentTabText(nullptr, 0, false, u'.'), "");
    const auto sqlRows = MemoryQuery("SELECT 'title', 'artist'");
    EXPECT_EQ(CurrentTabText(sqlRows.get(), 0, false, u'.'), "");
}

TEST_F(SongsStatusTest, EventsChooseTheirText) {
    const auto rows = TabRows();
    TSongsState s;
    s.CatalogueOpen = true;
    s.ListOpen = true;
    s.Rows = rows.get();
    s.CurrentRow = 0;
    const QString current = "/tabs/a.gp5 - 1.5 KB";
    struct {
        TSongsEvent event;
        bool focus;
        size_t marked;
        bool busy;
        bool catalogue;
        QString hint;
        std::optional<QString> expected;
    } cases[] = {
        {TSongsEvent::HintChanged, true, 0, false, true, "Open|Open the tablature", "Open the tablature"},
        {TSongsEvent::HintChanged, true, 0, false, true, "Whole hint", "Whole hint"},
        {TSongsEvent::HintChanged, true, 0, false, true, "", current},
        {TSongsEvent::HintChanged, true, 2, false, true, "", "2 tablatures selected"},
        {TSongsEvent::HintChanged, false, 0, false, true, "", "3 tablatures"},
        {TSongsEvent::HintChanged, false, 0, true, true, "", ""},
        {TSongsEvent::HintChanged, true, 0, false, false, "", ""},
        {TSongsEvent::DataChanged, true, 0, false, true, "", current},
        {TSongsEvent::DataChanged, false, 0, true, true, "", "3 tablatures"},
        {TSongsEvent::DataChanged, false, 2, false, true, "", std::nullopt},
        {TSongsEvent::DataChanged, false, 0, false, false, "", std::nullopt},
        {TSongsEvent::MarksChanged, false, 3, false, true, "", "3 tablatures selected"},
        {TSongsEvent::MarksChanged, true, 1, false, true, "", current},
        {TSongsEvent::MarksChanged, false, 1, false, true, "", std::nullopt},
        {TSongsEvent::FocusIn, true, 0, true, true, "", ""},
        {TSongsEvent::FocusIn, true, 5, false, true, "", current},
        {TSongsEvent::FocusOut, false, 0, false, true, "", "3 tablatures"},
        {TSongsEvent::FocusOut, false, 0, true, true, "", ""},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        const auto& c = cases[i];
        s.HasFocus = c.focus;
        s.Marked = c.marked;
        s.WorkerBusy = c.busy;
        s.CatalogueOpen = c.catalogue;
        EXPECT_EQ(SongsStatusText(c.event, s, c.hint), c.expected) << "case " << i;
    }
}

TEST_F(SongsStatusTest, CommandsFollowTheListRows) {
    EXPECT_EQ(SongsCommandsEnabled(false, true, 5), false);
    EXPECT_EQ(SongsCommandsEnabled(true, true, 0), false);
    EXPECT_EQ(SongsCommandsEnabled(true, true, 1), true);
    EXPECT_EQ(SongsCommandsEnabled(true, false, 0), std::nullopt);
}

TEST_F(SongsStatusTest, CountsUseTheLanguagesPluralForms) {
    EXPECT_EQ(CountText(1), "1 tablature");
    EXPECT_EQ(TabCountText(3, false), "3 tablatures");
    EXPECT_EQ(SelectionText(2), "2 tablatures selected");

    // A catalogue of our own, so the test does not depend on the shipped translations' progress.
    TTempDir dir;
    const std::string po = dir / "default.po";
    WriteFile(po, "msgid \"\"\nmsgstr \"\"\n\"Content-Type: text/plain; charset=UTF-8\\n\"\n"
                  "\"Plural-Forms: nplurals=3; plural=(n%10==1 && n%100!=11 ? 0 : n%10>=2 && "
                  "n%10<=4 && (n%100<10 || n%100>=20) ? 1 : 2);\\n\"\n\n"
                  "msgid \"%d tablature\"\nmsgid_plural \"%d tablatures\"\n"
                  "msgstr[0] \"%d табулатура\"\nmsgstr[1] \"%d табулатуры\"\nmsgstr[2] \"%d табулатур\"\n\n"
                  "msgid \"%d tablature selected\"\nmsgid_plural \"%d tablatures selected\"\n"
                  "msgstr[0] \"Выбрана %d табулатура\"\nmsgstr[1] \"Выбраны %d табулатуры\"\n"
                  "msgstr[2] \"Выбрано %d табулатур\"\n");
    const std::string mo = dir / "ru/LC_MESSAGES/default.mo";
    WriteFile(mo, "");
    ASSERT_EQ(std::system(("msgfmt -o '" + mo + "' '" + po + "'").c_str()), 0);
    SetLocaleFolder(dir.Path);
    UseLanguage("ru");
    EXPECT_EQ(CountText(1), QString::fromUtf8("1 табулатура"));
    EXPECT_EQ(CountText(21), QString::fromUtf8("21 табулатура"));
    EXPECT_EQ(CountText(3), QString::fromUtf8("3 табулатуры"));
    EXPECT_EQ(CountText(11), QString::fromUtf8("11 табулатур"));
    EXPECT_EQ(SelectionText(2), QString::fromUtf8("Выбраны 2 табулатуры"));
    EXPECT_EQ(SelectionText(5), QString::fromUtf8("Выбрано 5 табулатур"));
}

} // namespace
