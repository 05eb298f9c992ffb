#include "MainFormTestSupport.h"
#include "app/AboutBox.h"
#include "app/CannotOpenDlg.h"
#include "app/ErrorForm.h"
#include "app/InfoForm.h"
#include "app/NewDBForm.h"
#include "app/ScanDoneWnd.h"
#include "app/UpdateForm.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTableView>
#include <QTableWidget>

namespace {

class MainFormUpdateTest : public TMainFormFixture {
protected:
    void SetUp() override {
        TMainFormFixture::SetUp();
        WriteFile(Tabs + "/a.gp5", Gp5File("T1", "A"));
        WriteFile(Tabs + "/b.gp5", Gp5File("T2", "B"));
        WriteFile(Tabs + "/broken.gp5", "not a tablature");
    }

    // Shows the window over config.ini naming db; the opening at start has run on return.
    std::unique_ptr<TMainForm> Start(const std::string& db) {
        WriteFile(ConfigPath, Config(db));
        auto form = std::make_unique<TMainForm>(SettingsFiles{ConfigPath, Dir / "default.ini"}, Hooks);
        form->show();
        QCoreApplication::processEvents();
        return form;
    }
    // Answers the next New Database window with the folder of tabs and the catalogue path.
    void WhenNewDatabase(const std::string& path) {
        WhenModal<TNewDBForm>([this, path](TNewDBForm& form) {
            ++NewDatabaseShown;
            form.SetFolders({QString::fromStdString(Tabs)});
            Child<QLineEdit>(form, "DatabaseEditbox")->setText(QString::fromStdString(path));
            Child<QPushButton>(form, "BtnOK")->click();
        });
    }
    static int Rows(const TMainForm& form, const char* grid) {
        return Child<QTableView>(form, grid)->model()->rowCount();
    }

    std::string Tabs = Dir / "tabs";
    int NewDatabaseShown = 0;
};

// From the Cannot Open Database window through a new catalogue's scan, its notice and error list,
// to an update of the same catalogue: each scan leaves the lists filled from the file.
TEST_F(MainFormUpdateTest, NewDatabaseAndUpdateScanAndRefillTheLists) {
    const std::string created = Dir / "new.db3";
    bool canCreate = false;
    Hooks.RunModal = [&](QDialog& dialog) {
        auto* cannotOpen = qobject_cast<TCannotOpenDlg*>(&dialog);
        EXPECT_NE(cannotOpen, nullptr) << dialog.metaObject()->className();
        canCreate = cannotOpen && !Child<QPushButton>(*cannotOpen, "BtnCreateNew")->isHidden();
        return int(TCannotOpenDlg::CreateNew);
    };
    WhenNewDatabase(created);
    auto form = Start(Dir / "gone.db3");
    EXPECT_TRUE(canCreate);
    EXPECT_EQ(NewDatabaseShown, 1);
    ASSERT_TRUE(form->Browse.CatalogueOpen);
    EXPECT_EQ(Rows(*form, "SongsGrid"), 2);
    EXPECT_EQ(Rows(*form, "ArtistsGrid"), 2);
    EXPECT_EQ(form->StatusText(), "");
    form->UpdateActions();
    EXPECT_TRUE(form->Action("ADBProps")->isEnabled());

    auto* notice = form->findChild<TScanDoneWnd*>();
    ASSERT_NE(notice, nullptr);
    EXPECT_TRUE(notice->isVisible());
    EXPECT_EQ(notice->ErrorTotal(), 1);
    EXPECT_TRUE(notice->Message().contains("2 tablatures total.")) << notice->Message().toStdString();
    int errorRows = -1;
    WhenModal<TErrorForm>([&](TErrorForm& errors) {
        errorRows = errors.findChild<QTableWidget*>()->rowCount();
        errors.reject();
    });
    QTest::mouseClick(Child<QLabel>(*notice, "LMessage"), Qt::LeftButton);
    EXPECT_EQ(errorRows, 1);

    // The update offers the folders of the last scan.
    WriteFile(Tabs + "/c.gp5", Gp5File("T3", "C"));
    QStringList offered;
    WhenModal<TUpdateForm>([&](TUpdateForm& update) {
        offered = update.Folders();
        Child<QPushButton>(update, "BtnOK")->click();
    });
    form->Action("AUpdateDB")->trigger();
    ASSERT_FALSE(offered.isEmpty());
    EXPECT_EQ(offered[0], QString::fromStdString(Tabs));
    ASSERT_TRUE(form->Browse.CatalogueOpen);
    EXPECT_EQ(Rows(*form, "SongsGrid"), 3);
    EXPECT_EQ(Rows(*form, "ArtistsGrid"), 3);
    EXPECT_EQ(form->StatusText(), "");

    // Properties describes the catalogue just updated; About needs none.
    QString described;
    WhenModal<TInfoForm>([&](TInfoForm& info) {
        described = Child<QLineEdit>(info, "EFileName")->text();
        info.reject();
    });
    form->UpdateActions();
    form->Action("ADBProps")->trigger();
    EXPECT_EQ(described, QString::fromStdString(created));
    bool about = false;
    WhenModal<TAboutBox>([&](TAboutBox& box) {
        about = true;
        box.reject();
    });
    form->Action("AHelpAbout")->trigger();
    EXPECT_TRUE(about);
    notice->close();
    form.reset();
    EXPECT_EQ(SavedDatabaseName(), created);
}

// A scan that cannot create its file is reported; the window stays without a catalogue, which
// then makes Update offer New Database, whose "Open..." runs Open Database.
TEST_F(MainFormUpdateTest, AFailedScanLeavesTheWindowWithoutCatalogue) {
    const std::string good = Dir / "good.db3";
    MakeCatalogue(good, 3, "3",
                  "INSERT INTO tablatures(title, artist, filename) VALUES ('Only', 'Z', '/t/o.gp5');");
    QStringList reports;
    Hooks.RunModal = [&](QDialog& dialog) {
        if (auto* box = qobject_cast<QMessageBox*>(&dialog))
            reports << box->windowTitle() + ": " + box->text();
        return int(QDialog::Rejected);
    };
    int chosen = 0;
    Hooks.ChooseCatalogue = [&] { return ++chosen, QString::fromStdString(good); };
    auto form = Start(good);
    ASSERT_TRUE(form->Browse.CatalogueOpen);
    const std::string unwritable = Dir / "missing/new.db3";
    WhenNewDatabase(unwritable);
    form->Action("ANewDB")->trigger();
    EXPECT_EQ(reports,
              QStringList{QString::fromStdString("Error: " + unwritable + ": Cannot create database")});
    EXPECT_FALSE(form->Browse.CatalogueOpen);
    EXPECT_EQ(Rows(*form, "SongsGrid"), 0);
    form->UpdateActions();
    EXPECT_FALSE(form->Action("ADBProps")->isEnabled());

    WhenModal<TNewDBForm>([](TNewDBForm& newDB) { Child<QPushButton>(newDB, "BtnOpenDB")->click(); });
    form->Action("AUpdateDB")->trigger();
    EXPECT_EQ(chosen, 1);
    EXPECT_TRUE(form->Browse.CatalogueOpen);
    EXPECT_EQ(Rows(*form, "SongsGrid"), 1);
    form.reset();
    EXPECT_EQ(SavedDatabaseName(), good);
}

} // namespace
