#include "MainFormTestSupport.h"
#include "app/BalloonHint.h"
#include "app/ExceptionDlg.h"
#include "browse/ResultSetModel.h"
#include "browse/SQLForm.h"
#include "browse/SongsGrid.h"

#include <QAction>
#include <QComboBox>
#include <QDockWidget>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QToolButton>

// Search, the mode-off buttons, the sort direction buttons and the commands on the current
// tablature, with refills in place and through the workers.

namespace {

using TValues = std::vector<std::string>;

class MainFormSearchTest : public TMainFormFixture, public testing::WithParamInterface<bool> {
protected:
    void SetUp() override {
        TMainFormFixture::SetUp();
        Hooks.OpenPath = [this](const QString& path) { Opened.push_back(path.toStdString()); };
        Hooks.RunModal = [this](QDialog& dialog) {
            if (auto* sql = qobject_cast<TSQLForm*>(&dialog)) {
                sql->Editor()->setPlainText(Query);
                return int(QDialog::Accepted);
            }
            if (auto* report = qobject_cast<TExceptionDlg*>(&dialog))
                Reports.push_back(report->Report());
            else
                ADD_FAILURE() << "unexpected window " << dialog.objectName().toStdString();
            return int(QDialog::Rejected);
        };
        const std::string path = Dir / "search.db3";
        MakeCatalogue(path, 3, "3",
                      "INSERT INTO tablatures(title, artist, album, filename) VALUES"
                      "('Moon River', 'Ann', 'Early', '/m/ann/early/1.gp5'),"
                      "('Sunrise', 'Ann', 'Late', '/m/ann/late/2.gp5'),"
                      "('Moonlight', 'Bob', 'Nights', '/m/bob''s best/3.gp5'),"
                      "('Rain', 'Bob', 'Nights', '/m/bob''s best/4.gp5'),"
                      "('Sun', 'Cy', 'Days', '/m/cy/5.gp5');");
        Form = Show(Config(path));
        Form->Settings.Search.UseThreads = GetParam();
        Settle();
    }

    // Every worker idle and the enabling set.
    void Settle() {
        Form->WaitForQueryThreads();
        RunUntilIdle();
    }

    QLineEdit* Box() const { return Child<QLineEdit>(*Form, "SearchEditBox"); }
    QComboBox* Field() const { return Child<QComboBox>(*Form, "SearchComboBox"); }
    QTableView* Grid(const char* name) const { return Child<QTableView>(*Form, name); }
    TSongsGridView* Songs() const { return Child<TSongsGridView>(*Form, "SongsGrid"); }
    QString InfoLine() const { return Child<QLabel>(*Form, "SongsInfoLabel")->text(); }

    // The values of a list's column, in the list's order.
    TValues Values(const QTableView* grid, const char* field) const {
        const auto* model = static_cast<const TResultSetModel*>(grid->model());
        const TResultSet* rows = model->ResultSet().get();
        TValues values;
        const int column = rows ? rows->FindColumn(field) : -1;
        for (size_t r = 0; column >= 0 && r < rows->RowCount(); ++r)
            values.emplace_back(rows->Cell(r, column));
        return values;
    }
    TValues Titles() const { return Values(Songs(), "title"); }
    TValues Artists() const { return Values(Grid("ArtistsGrid"), "artist"); }
    TValues Albums() const { return Values(Grid("AlbumsGrid"), "album"); }
    std::string Current(const char* grid) const {
        return Grid(grid)->currentIndex().data().toString().toStdString();
    }

    // The one mode-off button shown, or none.
    std::string ModeOffShown() const {
        std::string shown;
        for (const char* name : {"AFolderModeOFF", "ASQLModeOFF", "ASearchModeOFF"})
            if (Form->Action(name)->isVisible())
                shown += name;
        return shown;
    }

    // Enter with the keyboard focus in widget, as the user gives it.
    void PressEnter(QWidget* widget, Qt::Key key = Qt::Key_Return) {
        QApplication::setActiveWindow(Form.get());
        widget->setFocus();
        QTest::keyClick(widget, key);
    }
    void Type(const QString& text) {
        QTest::keyClicks(Box(), text);
        Settle();
    }
    void Clear() {
        Box()->clear();
        Settle();
    }
    void Run(const char* command) {
        Form->Action(command)->trigger();
        Settle();
    }
    // Makes the tablature of that title the list's current row.
    void Choose(const std::string& title) {
        const TValues titles = Titles();
        const auto at = std::find(titles.begin(), titles.end(), title);
        ASSERT_NE(at, titles.end()) << title;
        Songs()->setCurrentIndex(
            Songs()->model()->index(static_cast<int>(at - titles.begin()), TitleColumn()));
    }
    int TitleColumn() const {
        return static_cast<const TResultSetModel*>(Songs()->model())->ResultSet()->FindColumn("title");
    }
    // A double click on the top row's title, in the list or on its heading.
    void DoubleClickTop(bool heading) {
        QHeaderView* header = Songs()->horizontalHeader();
        QWidget* target = heading ? header->viewport() : Songs()->viewport();
        const int y = heading ? header->height() / 2 : Songs()->rowViewportPosition(0) + 2;
        const QPoint at(Songs()->columnViewportPosition(TitleColumn()) + 4, y);
        // As the system sends it: a click, then the second press as a double click.
        QTest::mouseClick(target, Qt::LeftButton, {}, at);
        QTest::mouseDClick(target, Qt::LeftButton, {}, at);
    }

    void ExpectBrowsingEverything() {
        EXPECT_FALSE(Form->Browse.SearchMode);
        EXPECT_TRUE(Form->Browse.AllArtists);
        EXPECT_TRUE(Form->Browse.AllAlbums);
        EXPECT_EQ(Artists(), (TValues{"Ann", "Bob", "Cy"}));
        EXPECT_EQ(Titles().size(), 5u);
        EXPECT_EQ(InfoLine(), "");
        EXPECT_EQ(ModeOffShown(), "");
    }

    std::unique_ptr<TMainForm> Form;
    TValues Opened;
    QString Query;
    std::vector<QString> Reports;
};

INSTANTIATE_TEST_SUITE_P(InPlaceAndWorkers, MainFormSearchTest, testing::Bool(),
                         [](const testing::TestParamInfo<bool>& info) {
                             return info.param ? "Workers" : "InPlace";
                         });

TEST_P(MainFormSearchTest, FindWithAnEmptyBoxOnlyShowsTheHint) {
    ExpectBrowsingEverything();
    const struct {
        const char* Way;
        std::function<void()> Find;
    } ways[] = {
        {"command", [&] { Form->Action("AFind")->trigger(); }},
        {"Enter in the box", [&] { PressEnter(Box()); }},
        {"Enter in the field", [&] { PressEnter(Field(), Qt::Key_Enter); }},
    };
    for (const auto& way : ways) {
        SCOPED_TRACE(way.Way);
        TBalloonHint::CloseCurrent();
        Grid("ArtistsGrid")->setFocus();
        way.Find();
        Settle();
        const TBalloonHint* hint = TBalloonHint::Current();
        ASSERT_NE(hint, nullptr);
        EXPECT_EQ(hint->Text(), "Write something here");
        EXPECT_EQ(hint->Title(), "");
        EXPECT_EQ(hint->Icon(), TBalloonIcon::None);
        EXPECT_EQ(hint->Anchor(), Box());
        EXPECT_EQ(hint->Timeout(), 2000);
        EXPECT_EQ(Form->focusWidget(), Box());
        ExpectBrowsingEverything();
    }
    TBalloonHint::CloseCurrent();
}

// Typing searches at once only while searching as you type is on; otherwise Enter or Find does.
// A new field searches again only while a search is shown and searching as you type is on.
TEST_P(MainFormSearchTest, TypingAndTheFieldSearchAsTheSettingSays) {
    const struct {
        bool RealTime;
        TValues TitlesAfterTyping;
        TValues TitlesAfterFieldChange;
    } rows[] = {
        {true, {"Moon River", "Sunrise"}, {}},
        {false, {"Moon River", "Moonlight", "Rain", "Sun", "Sunrise"}, {"Moon River", "Sunrise"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.RealTime);
        Form->Action("ARealTimeSearch")->setChecked(row.RealTime);
        Type("Ann");
        EXPECT_EQ(Titles(), row.TitlesAfterTyping);
        EXPECT_EQ(Form->Browse.SearchMode, row.RealTime);
        PressEnter(Box());
        Settle();
        EXPECT_TRUE(Form->Browse.SearchMode);
        EXPECT_EQ(Artists(), (TValues{"Ann"}));
        EXPECT_EQ(Titles(), (TValues{"Moon River", "Sunrise"}));
        EXPECT_EQ(InfoLine(), "Search Results (Ann)");
        EXPECT_EQ(ModeOffShown(), "ASearchModeOFF");
        // From "All" to "Title": no title holds "Ann".
        QTest::keyClick(Field(), Qt::Key_Home);
        Settle();
        EXPECT_EQ(Field()->currentIndex(), 0);
        EXPECT_EQ(Titles(), row.TitlesAfterFieldChange);
        Clear();
        ExpectBrowsingEverything();
        QTest::keyClick(Field(), Qt::Key_End);
    }
}

// Emptying the box or the mode-off button ends the search with both lists on "All".
TEST_P(MainFormSearchTest, EndingTheSearchReturnsToBrowsingEverything) {
    const std::function<void()> ends[] = {[&] { Clear(); }, [&] { Run("ASearchModeOFF"); }};
    for (const auto& end : ends) {
        Type("Moon");
        EXPECT_EQ(Artists(), (TValues{"Ann", "Bob"}));
        EXPECT_EQ(Titles(), (TValues{"Moon River", "Moonlight"}));
        end();
        ExpectBrowsingEverything();
        Clear();
    }
}

// Keystrokes that come while the lists are still being filled end in the rows of the full text.
TEST_P(MainFormSearchTest, TheLastTextWinsOverSearchesStillRunning) {
    QTest::keyClick(Box(), 'S');
    // The workers take their first text.
    QCoreApplication::processEvents();
    QTest::keyClicks(Box(), "unr");
    Settle();
    EXPECT_EQ(Artists(), (TValues{"Ann"}));
    EXPECT_EQ(Albums(), (TValues{"Late"}));
    EXPECT_EQ(Titles(), (TValues{"Sunrise"}));
    EXPECT_EQ(InfoLine(), "Search Results (Sunr)");
}

TEST_P(MainFormSearchTest, FolderModeShowsTheStoredPathAndGivesWayToTheSearch) {
    Choose("Rain");
    Run("ASelectDir");
    EXPECT_EQ(Titles(), (TValues{"Moonlight", "Rain"}));
    EXPECT_EQ(InfoLine(), "/m/bob's best");
    EXPECT_EQ(ModeOffShown(), "AFolderModeOFF");
    Run("AFolderModeOFF");
    ExpectBrowsingEverything();

    Type("Moon");
    Choose("Moonlight");
    Run("ASelectDir");
    EXPECT_TRUE(Form->Browse.SearchMode);
    EXPECT_EQ(Titles(), (TValues{"Moonlight", "Rain"}));
    EXPECT_EQ(InfoLine(), "/m/bob's best");
    EXPECT_EQ(ModeOffShown(), "AFolderModeOFF");
    Run("AFolderModeOFF");
    EXPECT_EQ(Titles(), (TValues{"Moon River", "Moonlight"}));
    EXPECT_EQ(InfoLine(), "Search Results (Moon)");
    EXPECT_EQ(ModeOffShown(), "ASearchModeOFF");
}

// Select Artist and Select Album leave the search or the SQL query and show the full lists on the
// row's artist.
TEST_P(MainFormSearchTest, SelectArtistAndAlbumShowTheRowsArtistAndAlbum) {
    const auto search = [&](const char* text) { return [this, text] { Type(text); }; };
    const auto sql = [&](const char* text) {
        return [this, text] {
            Query = text;
            Run("ASQLQuery");
        };
    };
    const struct {
        std::function<void()> Before;
        const char* Title;
        const char* Command;
        const char* Artist;
        const char* Album; // the chosen album, or empty for all of the artist's
        TValues Albums;
        TValues Titles;
        const char* Info;
    } rows[] = {
        {search("Moon"), "Moonlight", "ASelectArtist", "Bob", "", {"Nights"}, {"Moonlight", "Rain"}, "Bob"},
        {[] {}, "Sunrise", "ASelectArtist", "Ann", "", {"Early", "Late"}, {"Moon River", "Sunrise"}, "Ann"},
        {sql("SELECT * FROM tablatures WHERE title LIKE 'Moon%'"),
         "Moonlight",
         "ASelectArtist",
         "Bob",
         "",
         {"Nights"},
         {"Moonlight", "Rain"},
         "Bob"},
        {search("Sun"),
         "Sunrise",
         "ASelectAlbum",
         "Ann",
         "Late",
         {"Early", "Late"},
         {"Sunrise"},
         "Ann > Late"},
        {[] {},
         "Moon River",
         "ASelectAlbum",
         "Ann",
         "Early",
         {"Early", "Late"},
         {"Moon River"},
         "Ann > Early"},
        {sql("SELECT * FROM tablatures WHERE artist = 'Cy'"),
         "Sun",
         "ASelectAlbum",
         "Cy",
         "Days",
         {"Days"},
         {"Sun"},
         "Cy > Days"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.Command) + " " + row.Title);
        row.Before();
        Choose(row.Title);
        Run(row.Command);
        EXPECT_FALSE(Form->Browse.SearchMode);
        EXPECT_FALSE(Form->Browse.SQLMode);
        EXPECT_EQ(Artists(), (TValues{"Ann", "Bob", "Cy"}));
        EXPECT_FALSE(Form->Browse.AllArtists);
        EXPECT_EQ(Current("ArtistsGrid"), row.Artist);
        EXPECT_EQ(Albums(), row.Albums);
        EXPECT_EQ(Form->Browse.AllAlbums, !*row.Album);
        if (*row.Album) {
            EXPECT_EQ(Current("AlbumsGrid"), row.Album);
        }
        EXPECT_EQ(Titles(), row.Titles);
        EXPECT_EQ(InfoLine(), row.Info);
        EXPECT_EQ(ModeOffShown(), "");
        EXPECT_TRUE(Reports.empty());
        // Back to everything.
        Box()->clear();
        Form->Browse.AllArtists = true;
        Form->RequeryArtists();
        Settle();
    }
}

// Open and Open Folder hand the file or its folder to the system; Enter and a double click on a
// row open too, a double click on the headings does not.
TEST_P(MainFormSearchTest, OpenHandsTheFileOrItsFolderToTheSystem) {
    Choose("Rain");
    Run("AOpenTab");
    Run("AOpenTabFolder");
    EXPECT_EQ(Opened, (TValues{"/m/bob's best/4.gp5", "/m/bob's best"}));

    Opened.clear();
    Choose("Sun");
    PressEnter(Songs());
    EXPECT_EQ(Opened, (TValues{"/m/cy/5.gp5"}));
    // The heading's clicks sort the list; in the short view, without headings, the top row is a row.
    for (const char* view : {"AGridFull", "AGridShort"}) {
        SCOPED_TRACE(view);
        Run(view);
        Opened.clear();
        DoubleClickTop(true);
        Settle();
        DoubleClickTop(false);
        EXPECT_EQ(Opened, (TValues{Values(Songs(), "filename").front()}));
    }

    // Nothing to open in an empty list.
    Opened.clear();
    Type("nowhere");
    ASSERT_TRUE(Titles().empty());
    Run("AOpenTab");
    Run("AOpenTabFolder");
    PressEnter(Songs());
    EXPECT_TRUE(Opened.empty());
    EXPECT_TRUE(Reports.empty());
}

// SQL results may hold any file name, or none: an empty name or folder opens nothing, a missing
// column is reported.
TEST_P(MainFormSearchTest, SqlRowsOpenWhatTheirFileNameNames) {
    const struct {
        const char* Query;
        const char* Command;
        TValues Opened;
        bool Reported;
    } rows[] = {
        {"SELECT title FROM tablatures", "AOpenTab", {}, true},
        {"SELECT title FROM tablatures", "AOpenTabFolder", {}, true},
        {"SELECT title FROM tablatures", "ASelectDir", {}, true},
        {"SELECT '' AS filename", "AOpenTab", {}, false},
        {"SELECT 'a.gp5' AS filename", "AOpenTabFolder", {}, false},
        {"SELECT '/a.gp5' AS filename", "AOpenTabFolder", {"/"}, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.Query) + " " + row.Command);
        Query = row.Query;
        Run("ASQLQuery");
        ASSERT_TRUE(Form->Browse.SQLMode);
        Opened.clear();
        Reports.clear();
        // The list's first row, as no row was chosen.
        Run(row.Command);
        EXPECT_EQ(Opened, row.Opened);
        ASSERT_EQ(Reports.size(), row.Reported ? 1u : 0u);
        if (row.Reported) {
            EXPECT_TRUE(Reports[0].contains("Field 'filename' not found")) << Reports[0].toStdString();
            EXPECT_TRUE(Form->Browse.SQLMode);
        }
    }
}

TEST_P(MainFormSearchTest, SortButtonsFlipTheOrderAndTheImage) {
    const struct {
        const char* Panel;
        bool MainSettings::*Setting;
        std::function<TValues()> Rows;
        TValues Ascending;
    } rows[] = {
        {"ArtistsPanel",
         &MainSettings::ArtistsSortDirection,
         [&] { return Artists(); },
         {"Ann", "Bob", "Cy"}},
        {"AlbumsPanel",
         &MainSettings::AlbumsSortDirection,
         [&] { return Albums(); },
         {"Days", "Early", "Late", "Nights"}},
    };
    const auto image = [](const QIcon& icon) { return icon.pixmap(16, 16).toImage(); };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.Panel);
        auto* button = Child<QDockWidget>(*Form, row.Panel)->widget()->findChild<QToolButton*>();
        ASSERT_NE(button, nullptr);
        const TValues descending(row.Ascending.rbegin(), row.Ascending.rend());
        for (const bool ascending : {false, true}) {
            button->click();
            Settle();
            EXPECT_EQ(Form->Settings.Main.*row.Setting, ascending);
            EXPECT_EQ(row.Rows(), ascending ? row.Ascending : descending);
            EXPECT_EQ(image(button->icon()), image(AppIcon(ascending ? "go-up" : "go-down")));
        }
    }
}

using MainFormWithoutCatalogueTest = TMainFormFixture;

// Find is disabled without a catalogue, also for Enter and typing.
TEST_F(MainFormWithoutCatalogueTest, FindDoesNothing) {
    Hooks.RunModal = [](QDialog&) { return int(QDialog::Rejected); };
    const auto form = Show(Config(Dir / "missing.db3"));
    ASSERT_FALSE(form->Browse.CatalogueOpen);
    auto* box = Child<QLineEdit>(*form, "SearchEditBox");
    TBalloonHint::CloseCurrent();
    QTest::keyClick(box, Qt::Key_Return);
    QTest::keyClicks(box, "Moon");
    QTest::keyClick(box, Qt::Key_Return);
    RunUntilIdle();
    EXPECT_EQ(TBalloonHint::Current(), nullptr);
    EXPECT_FALSE(form->Browse.SearchMode);
}

} // namespace
