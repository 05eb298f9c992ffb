#include "MainFormTestSupport.h"
#include "app/CannotOpenDlg.h"
#include "app/ExceptionDlg.h"
#include "app/NewDBForm.h"

#include <QAction>
#include <QComboBox>
#include <QDockWidget>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QTableView>
#include <QToolBar>

#include <filesystem>

namespace {

class MainFormTest : public TMainFormFixture {
protected:
    // Writes config.ini when given and shows the window; the opening at start has run on return.
    // Without a catalogue the start offers New Database, which is cancelled and counted.
    std::unique_ptr<TMainForm> Start(const std::string& config = "") {
        if (config.find("DatabaseName=") == std::string::npos)
            WhenModal<TNewDBForm>([this](TNewDBForm& form) {
                ++NewDatabaseOffers;
                form.reject();
            });
        return Show(config);
    }

    // A current catalogue of two tablatures by two artists.
    std::string GoodCatalogue() {
        const std::string path = Dir / "good.db3";
        MakeCatalogue(path, 3, "3",
                      "INSERT INTO tablatures(title, artist, album, filename, filesize) VALUES"
                      "('T1', 'A', 'X', '/t/1.gp5', 1), ('T2', 'B', 'Y', '/t/2.gp5', 2);");
        return path;
    }

    int NewDatabaseOffers = 0;
};

QTableView* Grid(const TMainForm& form, const char* name) {
    return Child<QTableView>(form, name);
}

// Descriptors of this process open on the file: one for each SQLite connection to it.
int OpenDescriptors(const std::string& path) {
    const std::filesystem::path file = std::filesystem::canonical(path);
    int count = 0;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
        std::error_code ec;
        count += std::filesystem::read_symlink(entry.path(), ec) == file;
    }
    return count;
}

TEST(MainFormCommands, EachCommandHasItsNameCaptionHintPartsAndShortcut) {
    SetLocaleFolder(QV_BUILD_DIR "/locale");
    UseLanguage("en");
    TTempDir dir;
    TMainForm form(SettingsFiles{dir / "config.ini", dir / "default.ini"});
    const struct {
        const char* Name;
        const char* Caption;
        const char* ToolTip;
        const char* StatusTip;
        const char* Shortcut;
    } rows[] = {
        {"AUpdateDB", "&Update", "Update", "Update database", "Ctrl+U"},
        {"ANewDB", "&New Database", "New Database", "Create new database", "Ctrl+N"},
        {"AOpenDB", "&Open Database...", "Open Database", "Open another database", "Ctrl+O"},
        {"ADBProps", "&Properties", "Properties", "Show database properties", ""},
        {"AHelpAbout", "&About...", "About", "About Quiravel...", ""},
        {"AExit", "&Exit", "Exit", "Exit Quiravel", ""},
        {"AFind", "&Find", "Find", "Start search", ""},
        {"ARealTimeSearch", "Search while typing", "Search while typing", "Show search results while typing",
         ""},
        {"AOpenTab", "Open", "Open", "Open selected tablature", ""},
        {"AOpenTabFolder", "Open Folder", "Open Folder", "Open tablature folder", ""},
        {"ASelectArtist", "Select Artist", "Select Artist", "Show this artists's tablatures", ""},
        {"ASelectAlbum", "Select Album", "Select Album", "Show all tablatures from this album", ""},
        {"ASelectDir", "All tabs from this folder", "All tabs in this folder", "Show all tabs in this folder",
         ""},
        {"AViewArtists", "Artists", "Artists", "Show/hide artists panel", ""},
        {"AViewAlbums", "Albums", "Albums", "Show/hide albums panel", ""},
        {"AViewSearchPanel", "Search Bar", "Search Bar", "Show/hide search bar", ""},
        {"AViewToolbar", "Toolbar", "Toolbar", "Show/hide toolbar", ""},
        {"AViewMenuBar", "Menu Bar", "Menu Bar", "Show/hide menu bar", ""},
        {"AViewStatusBar", "Status Bar", "Status Bar", "Show/hide status bar", ""},
        {"AGridShort", "Short View", "List View", "Switch to list view", ""},
        {"AGridFull", "Full View", "Table View", "Switch to table view", ""},
        {"ASelectionMode", "Selection Mode", "Selection Mode", "Selection mode", ""},
        {"AColumnTitle", "Title", "Title", "Toggle Title column", ""},
        {"AColumnFilename", "File Name", "File Name", "Toggle File Name column", ""},
        {"AColumnFileDate", "File Date", "File Date", "Toggle File Date column", ""},
        {"AFolderModeOFF", "Folder contents (click to switch off)", "", "", ""},
        {"ASearchModeOFF", "Search results (click to switch off)", "", "", ""},
        {"ASQLModeOFF", "SQL query results (click to switch off)", "", "", ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.Name);
        const QAction* action = form.Action(row.Name);
        ASSERT_NE(action, nullptr);
        EXPECT_EQ(action->text(), row.Caption);
        EXPECT_EQ(action->statusTip(), row.StatusTip);
        if (*row.ToolTip) {
            EXPECT_EQ(action->toolTip(), row.ToolTip);
        }
        EXPECT_EQ(action->shortcut(), QKeySequence(row.Shortcut));
    }
}

TEST(CannotOpenDlg, EachButtonEndsWithItsResult) {
    const struct {
        const char* Button;
        int Result;
    } rows[] = {{"BtnOpenAnother", TCannotOpenDlg::OpenAnother},
                {"BtnCreateNew", TCannotOpenDlg::CreateNew},
                {"BtnDoNothing", QDialog::Rejected}};
    for (const auto& row : rows) {
        TCannotOpenDlg dialog(nullptr);
        dialog.SetCanCreate(true);
        dialog.open();
        Child<QPushButton>(dialog, row.Button)->click();
        EXPECT_FALSE(dialog.isVisible()) << row.Button;
        EXPECT_EQ(dialog.result(), row.Result) << row.Button;
    }
}

TEST_F(MainFormTest, AFirstStartWithoutCatalogueRunsWithout) {
    int dialogs = 0;
    Hooks.RunModal = [&](QDialog&) { return ++dialogs, 0; };
    const auto form = Start(Lang);
    EXPECT_EQ(dialogs, 0);
    EXPECT_EQ(NewDatabaseOffers, 1);
    EXPECT_FALSE(form->Browse.CatalogueOpen);
    EXPECT_EQ(form->StatusText(), "Database not loaded");
    EXPECT_FALSE(form->Action("AFind")->isEnabled());
    EXPECT_FALSE(form->Action("ADBProps")->isEnabled());
    EXPECT_TRUE(form->Action("AUpdateDB")->isEnabled());
    EXPECT_FALSE(form->Action("AOpenTab")->isEnabled());
    EXPECT_TRUE(form->Action("AOpenDB")->isEnabled());
    EXPECT_EQ(Child<QComboBox>(*form, "SearchComboBox")->currentText(), "All");
    // A command's status text goes to the status bar's text while the pointer rests on it.
    form->Action("AOpenDB")->showStatusText(form.get());
    EXPECT_EQ(form->StatusText(), "Open another database");
    // The layout came from the shipped file: the window stands in the middle of the screen.
    const QPoint centre = form->screen()->availableGeometry().center();
    EXPECT_LE((form->frameGeometry().center() - centre).manhattanLength(), 2);
}

TEST_F(MainFormTest, AWindowNeverShownLeavesTheSettingsFileAlone) {
    WriteFile(ConfigPath, Config("/somewhere/tabs.db3"));
    { TMainForm form(SettingsFiles{ConfigPath, Dir / "default.ini"}, Hooks); }
    EXPECT_EQ(FileBytes(ConfigPath), Config("/somewhere/tabs.db3"));
}

TEST_F(MainFormTest, SettingsThatCannotBeWrittenAreReported) {
    QString report;
    Hooks.RunModal = [&](QDialog& dialog) {
        if (auto* exception = qobject_cast<TExceptionDlg*>(&dialog))
            report = exception->Report();
        return 0;
    };
    // A file where the settings folder should be.
    WriteFile(Dir / "settings", "");
    ConfigPath = Dir / "settings/config.ini";
    Start().reset();
    EXPECT_TRUE(report.contains(QString::fromStdString(ConfigPath))) << report.toStdString();
}

TEST_F(MainFormTest, ACatalogueThatCannotBeOpenedOffersTheWaysOn) {
    const std::string good = GoodCatalogue();
    const std::string notDb = Dir / "notes.db3";
    WriteFile(notDb, "just some text, long enough to be no database header at all\n");
    const std::string missing = Dir / "gone.db3";
    const struct {
        std::string Path;
        int Answer;
        const char* Message; // after the path and a line break
        bool OpenAfter;
        std::string SavedName;
    } cases[] = {
        {missing, QDialog::Rejected, "File not found", false, ""},
        {missing, TCannotOpenDlg::OpenAnother, "File not found", true, good},
        {notDb, QDialog::Rejected, "file is not a database", false, notDb},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Path + " answered " + std::to_string(c.Answer));
        QStringList shown;
        int chosen = 0;
        Hooks.RunModal = [&](QDialog& dialog) {
            if (auto* cannotOpen = qobject_cast<TCannotOpenDlg*>(&dialog))
                shown << cannotOpen->ErrorText();
            return c.Answer;
        };
        Hooks.ChooseCatalogue = [&] { return ++chosen, QString::fromStdString(good); };
        auto form = Start(Config(c.Path));
        ASSERT_EQ(shown.size(), 1);
        EXPECT_EQ(shown[0], QString::fromStdString(c.Path + "\n" + c.Message));
        EXPECT_EQ(chosen, c.OpenAfter ? 1 : 0);
        EXPECT_EQ(form->Browse.CatalogueOpen, c.OpenAfter);
        EXPECT_EQ(form->StatusText(), c.OpenAfter ? "2 tablatures" : "Database not loaded");
        EXPECT_EQ(form->Action("AFind")->isEnabled(), c.OpenAfter);
        EXPECT_EQ(Grid(*form, "SongsGrid")->model()->rowCount(), c.OpenAfter ? 2 : 0);
        form.reset();
        EXPECT_EQ(SavedDatabaseName(), c.SavedName);
    }
}

TEST_F(MainFormTest, OpenDatabaseReplacesTheCatalogueUnlessCancelled) {
    const std::string good = GoodCatalogue();
    const std::string other = Dir / "other.db3";
    MakeCatalogue(other, 3, "3",
                  "INSERT INTO tablatures(title, artist, filename) VALUES ('Only', 'C', '/t/o.gp5');");
    QString choice;
    Hooks.ChooseCatalogue = [&] { return choice; };
    auto form = Start(Config(good));
    ASSERT_TRUE(form->Browse.CatalogueOpen);
    form->Action("AOpenDB")->trigger();
    EXPECT_TRUE(form->Browse.CatalogueOpen);
    EXPECT_EQ(Grid(*form, "SongsGrid")->model()->rowCount(), 2);
    // The window's connection and a reader for each of the three query workers.
    EXPECT_EQ(OpenDescriptors(good), 4);
    choice = QString::fromStdString(other);
    form->Action("AOpenDB")->trigger();
    EXPECT_TRUE(form->Browse.CatalogueOpen);
    EXPECT_EQ(Grid(*form, "SongsGrid")->model()->rowCount(), 1);
    EXPECT_EQ(Grid(*form, "ArtistsGrid")->model()->index(0, 0).data().toString(), "C");
    EXPECT_EQ(OpenDescriptors(good), 0);
    EXPECT_EQ(OpenDescriptors(other), 4);
    form.reset();
    EXPECT_EQ(OpenDescriptors(other), 0);
    EXPECT_EQ(SavedDatabaseName(), other);
}

TEST_F(MainFormTest, ListCommandsNeedRowsCatalogueCommandsOnlyTheCatalogue) {
    const std::string empty = Dir / "empty.db3";
    MakeCatalogue(empty, 3, "3");
    const struct {
        std::string Path;
        bool ListCommands;
    } cases[] = {{empty, false}, {GoodCatalogue(), true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Path);
        const auto form = Start(Config(c.Path));
        ASSERT_TRUE(form->Browse.CatalogueOpen);
        EXPECT_TRUE(form->Action("AFind")->isEnabled());
        EXPECT_TRUE(form->Action("ADBProps")->isEnabled());
        for (const char* name : {"AOpenTab", "AOpenTabFolder", "ASelectArtist", "ASelectAlbum", "ASelectDir"})
            EXPECT_EQ(form->Action(name)->isEnabled(), c.ListCommands) << name;
    }
}

TEST_F(MainFormTest, OpeningAVersion1CatalogueUpgradesItAndFillsTheLists) {
    const std::string old = Dir / "old.db3";
    MakeCatalogue(old, 1, "'1'",
                  "INSERT INTO tablatures(title, artist, album, filename, filesize) VALUES"
                  "('Old', 'Someone', 'First', '/t/old.gp5', 10);");
    const auto form = Start(Config(old));
    EXPECT_TRUE(form->Browse.CatalogueOpen);
    EXPECT_EQ(Rows(old, "SELECT iValue FROM dbinfo WHERE iKey = 'db_ver'"), (TRows{{"3"}}));
    EXPECT_EQ(Rows(old, "SELECT count(*) FROM errors"), (TRows{{"0"}}));
    EXPECT_EQ(Rows(old, "SELECT title, filedate FROM tablatures"), (TRows{{"Old", Null}}));
    EXPECT_EQ(Grid(*form, "ArtistsGrid")->model()->index(0, 0).data().toString(), "Someone");
    EXPECT_EQ(Grid(*form, "AlbumsGrid")->model()->index(0, 0).data().toString(), "First");
    EXPECT_EQ(Grid(*form, "SongsGrid")->model()->rowCount(), 1);
    EXPECT_EQ(form->StatusText(), "1 tablature");
}

TEST_F(MainFormTest, WindowPlaceBarsAndPanelsComeBackAtTheNextStart) {
    const QRect place(30, 40, 600, 480);
    {
        const auto form = Start(Lang);
        form->setGeometry(place);
        form->Action("AViewAlbums")->trigger();
        form->Action("AViewSearchPanel")->trigger();
        form->SetLargeIcons(true);
        form->close();
    }
    EXPECT_EQ(TIniFile(ConfigPath).Document().ReadInteger("Compat", "LayoutVer", 0), 1);
    const auto form = Start();
    EXPECT_EQ(form->geometry(), place);
    EXPECT_TRUE(Child<QDockWidget>(*form, "AlbumsPanel")->isHidden());
    EXPECT_FALSE(Child<QDockWidget>(*form, "ArtistsPanel")->isHidden());
    EXPECT_TRUE(Child<QToolBar>(*form, "SearchToolbar")->isHidden());
    EXPECT_FALSE(form->Action("AViewAlbums")->isChecked());
    EXPECT_FALSE(form->Action("AViewSearchPanel")->isChecked());
    EXPECT_TRUE(form->Action("AViewArtists")->isChecked());
    EXPECT_EQ(Child<QToolBar>(*form, "MainToolbar")->iconSize(), QSize(32, 32));
}

TEST_F(MainFormTest, ViewChecksFollowTheirBarOrPanelHoweverItIsHidden) {
    const auto form = Start(Lang);
    QWidget* const targets[] = {
        Child<QDockWidget>(*form, "ArtistsPanel"), Child<QDockWidget>(*form, "AlbumsPanel"),
        Child<QToolBar>(*form, "SearchToolbar"), Child<QToolBar>(*form, "MainToolbar"), form->menuBar()};
    const char* const commands[] = {"AViewArtists", "AViewAlbums", "AViewSearchPanel", "AViewToolbar",
                                    "AViewMenuBar"};
    for (size_t i = 0; i < std::size(targets); ++i) {
        SCOPED_TRACE(commands[i]);
        QAction* command = form->Action(commands[i]);
        EXPECT_TRUE(command->isChecked());
        targets[i]->close();
        EXPECT_FALSE(command->isChecked());
        command->trigger();
        EXPECT_FALSE(targets[i]->isHidden());
        EXPECT_TRUE(command->isChecked());
        command->trigger();
        EXPECT_TRUE(targets[i]->isHidden());
        EXPECT_FALSE(command->isChecked());
    }
    form->Action("AViewStatusBar")->trigger();
    EXPECT_TRUE(form->statusBar()->isHidden());
    EXPECT_FALSE(form->Action("AViewStatusBar")->isChecked());
}

TEST_F(MainFormTest, TabGoesRoundSearchBoxFieldAndTheThreeLists) {
    const auto form = Start(Config(GoodCatalogue()));
    QApplication::setActiveWindow(form.get());
    auto* search = Child<QLineEdit>(*form, "SearchEditBox");
    QWidget* const order[] = {Child<QComboBox>(*form, "SearchComboBox"), Grid(*form, "ArtistsGrid"),
                              Grid(*form, "AlbumsGrid"), Grid(*form, "SongsGrid"), search};
    search->setFocus();
    for (Qt::Key key : {Qt::Key_Tab, Qt::Key_Backtab})
        for (QWidget* next : order) {
            QTest::keyClick(QApplication::focusWidget(), key);
            EXPECT_EQ(QApplication::focusWidget(), next) << next->objectName().toStdString();
        }
    // A hidden list is passed over.
    form->Action("AViewAlbums")->trigger();
    Grid(*form, "ArtistsGrid")->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), Grid(*form, "SongsGrid"));
}

TEST_F(MainFormTest, TwoPanelsDockedTogetherKeepTheirSharesWhenTheWindowGrows) {
    const auto form = Start(Lang);
    auto* artists = Child<QDockWidget>(*form, "ArtistsPanel");
    auto* albums = Child<QDockWidget>(*form, "AlbumsPanel");
    form->splitDockWidget(artists, albums, Qt::Vertical);
    form->resizeDocks({artists, albums}, {100, 300}, Qt::Vertical);
    QCoreApplication::processEvents();
    const double share = double(artists->height()) / (artists->height() + albums->height());
    form->resize(form->width(), form->height() + 200);
    QCoreApplication::processEvents();
    const double after = double(artists->height()) / (artists->height() + albums->height());
    EXPECT_NEAR(after, share, 0.02);
}

// Ending with Exit skips the close event; the workers must still be gone before the lists are.
// Runs last (its suite's last test, after the other suites): it asks the event loop to end.
TEST_F(MainFormTest, ExitStopsTheWorkersBeforeTheListsGo) {
    bool stopped = false;
    Hooks.WorkersStopped = [&] { stopped = true; };
    auto form = Start(Config(GoodCatalogue()));
    std::vector<bool> stoppedWhenListGone;
    for (const char* name : {"ArtistsGrid", "AlbumsGrid", "SongsGrid"})
        QObject::connect(Grid(*form, name)->model(), &QObject::destroyed,
                         [&] { stoppedWhenListGone.push_back(stopped); });
    form->RequeryArtists();
    form->Action("AExit")->trigger();
    EXPECT_TRUE(stopped);
    EXPECT_NE(form->StatusText(), "Shutting down...");
    form.reset();
    EXPECT_EQ(stoppedWhenListGone, std::vector<bool>(3, true));
    EXPECT_EQ(SavedDatabaseName(), Dir / "good.db3");
}

} // namespace
