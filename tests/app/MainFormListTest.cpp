#include "MainFormTestSupport.h"
#include "browse/SQLForm.h"
#include "browse/SongsGrid.h"

#include <QAction>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>

// The tablature list and the SQL window as the main window runs them.

namespace {

class MainFormListTest : public TMainFormFixture {
protected:
    void SetUp() override {
        TMainFormFixture::SetUp();
        // The SQL window gets the query typed; an error box is read and closed.
        Hooks.RunModal = [this](QDialog& dialog) {
            if (auto* sql = qobject_cast<TSQLForm*>(&dialog)) {
                sql->Editor()->setPlainText(Query);
                return int(QDialog::Accepted);
            }
            if (auto* box = qobject_cast<QMessageBox*>(&dialog)) {
                Errors.push_back(box->text());
                return int(QMessageBox::Ok);
            }
            ADD_FAILURE() << "unexpected window " << dialog.objectName().toStdString();
            return int(QDialog::Rejected);
        };
    }

    std::unique_ptr<TMainForm> Start(const std::string& config = "") {
        auto form = Show(config);
        form->WaitForQueryThreads();
        return form;
    }

    // Title order and artist order differ.
    std::string Catalogue() {
        const std::string path = Dir / "list.db3";
        MakeCatalogue(path, 3, "3",
                      "INSERT INTO tablatures(title, artist, album, year, filename, filesize) VALUES"
                      "('T1', 'B', 'X', 1999, '/t/1.gp5', 1024), ('T2', 'A', 'Y', 2004, '/t/2.gp5', 2048),"
                      "('T3', 'C', 'Y', 2010, '/t/3.gp5', 3072);");
        return path;
    }

    void RunSql(TMainForm& form, const std::string& query) {
        Query = QString::fromStdString(query);
        form.Action("ASQLQuery")->trigger();
        form.WaitForQueryThreads();
    }

    QString Query;
    std::vector<QString> Errors;
};

TSongsGridView* Songs(const TMainForm& form) {
    return Child<TSongsGridView>(form, "SongsGrid");
}

// The list's rows, the value of field in each.
std::vector<std::string> Column(const TMainForm& form, const char* field) {
    const QAbstractItemModel* model = Songs(form)->model();
    std::vector<std::string> values;
    for (int c = 0; c < model->columnCount(); ++c)
        if (model->headerData(c, Qt::Horizontal).toString() == field)
            for (int r = 0; r < model->rowCount(); ++r)
                values.push_back(model->index(r, c).data().toString().toStdString());
    return values;
}

int ColumnIndex(const TMainForm& form, const char* field) {
    const QAbstractItemModel* model = Songs(form)->model();
    for (int c = 0; c < model->columnCount(); ++c)
        if (model->headerData(c, Qt::Horizontal).toString() == field)
            return c;
    return -1;
}

QString InfoLine(const TMainForm& form) {
    return Child<QLabel>(form, "SongsInfoLabel")->text();
}

TEST_F(MainFormListTest, SqlQueryFillsTheListAndAFailedOneFallsBackToTheBrowseRows) {
    const std::string db = Catalogue();
    const auto form = Start(Config(db));
    ASSERT_TRUE(form->Browse.CatalogueOpen);
    EXPECT_TRUE(form->Action("ASQLQuery")->isEnabled());
    const std::vector<std::string> browseRows{"T1", "T2", "T3"};
    ASSERT_EQ(Column(*form, "title"), browseRows);

    // Lines run as one text.
    RunSql(*form, "SELECT * FROM tablatures\nWHERE year > 2000\nORDER BY year DESC");
    EXPECT_TRUE(Errors.empty());
    EXPECT_TRUE(form->Browse.SQLMode);
    EXPECT_EQ(Column(*form, "title"), (std::vector<std::string>{"T3", "T2"}));
    EXPECT_EQ(InfoLine(*form), "SQL Query Results");
    EXPECT_TRUE(form->Action("ASQLModeOFF")->isVisible());

    // Other columns are shown as they come; a refill while SQL mode lasts runs the window's
    // present text.
    RunSql(*form, "SELECT artist, count(*) AS n FROM tablatures GROUP BY artist");
    EXPECT_EQ(Column(*form, "n"), (std::vector<std::string>{"1", "1", "1"}));
    form->findChild<TSQLForm*>()->Editor()->setPlainText("SELECT artist FROM tablatures WHERE artist <> 'B'");
    form->RequerySongs();
    form->WaitForQueryThreads();
    EXPECT_EQ(Column(*form, "artist"), (std::vector<std::string>{"A", "C"}));

    const struct {
        const char* Query;
    } failures[] = {{"SELEC * FROM tablatures"}, {"DELETE FROM tablatures"}};
    for (const auto& f : failures) {
        SCOPED_TRACE(f.Query);
        RunSql(*form, "SELECT * FROM tablatures WHERE year > 2000");
        ASSERT_TRUE(form->Browse.SQLMode);
        Errors.clear();
        RunSql(*form, f.Query);
        ASSERT_EQ(Errors.size(), 1u);
        EXPECT_TRUE(Errors[0].startsWith("Error executing SQL:\n")) << Errors[0].toStdString();
        EXPECT_GT(Errors[0].size(), QString("Error executing SQL:\n").size());
        EXPECT_FALSE(form->Browse.SQLMode);
        EXPECT_EQ(Column(*form, "title"), browseRows);
        EXPECT_NE(InfoLine(*form), "SQL Query Results");
        EXPECT_FALSE(form->Action("ASQLModeOFF")->isVisible());
    }
    EXPECT_EQ(Rows(db, "SELECT count(*) FROM tablatures"), (TRows{{"3"}}));

    // The mode-off button ends SQL mode.
    RunSql(*form, "SELECT * FROM tablatures WHERE year > 2000");
    form->Action("ASQLModeOFF")->trigger();
    form->WaitForQueryThreads();
    EXPECT_FALSE(form->Browse.SQLMode);
    EXPECT_EQ(Column(*form, "title"), browseRows);
}

// The status bar follows the list's focus, current row and marks.
TEST_F(MainFormListTest, StatusBarNamesTheCurrentTablatureOrTheMarkedOnesWhileTheListHasFocus) {
    const auto form = Start(Config(Catalogue()));
    QApplication::setActiveWindow(form.get());
    TSongsGridView* grid = Songs(*form);
    grid->setFocus();
    // A refilled list stands on its first row.
    EXPECT_EQ(form->StatusText(), "/t/1.gp5 - 1 KB");
    grid->setCurrentIndex(grid->model()->index(1, ColumnIndex(*form, "title")));
    EXPECT_EQ(form->StatusText(), "/t/2.gp5 - 2 KB");
    grid->selectionModel()->select(grid->model()->index(2, 0),
                                   QItemSelectionModel::Select | QItemSelectionModel::Rows);
    EXPECT_EQ(form->StatusText(), "2 tablatures selected");
    Child<QWidget>(*form, "SearchEditBox")->setFocus();
    EXPECT_EQ(form->StatusText(), "3 tablatures");
}

TEST_F(MainFormListTest, AHeadingClickResortsTheList) {
    const auto form = Start(Config(Catalogue()));
    TSongsGridView* grid = Songs(*form);
    QHeaderView* header = grid->horizontalHeader();
    const auto click = [&](const char* field, Qt::KeyboardModifiers modifiers = {}) {
        const int column = ColumnIndex(*form, field);
        ASSERT_GE(column, 0) << field;
        const QPoint at(header->sectionViewportPosition(column) + header->sectionSize(column) / 2,
                        header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, modifiers, at);
        form->WaitForQueryThreads();
    };
    click("artist");
    EXPECT_EQ(Column(*form, "artist"), (std::vector<std::string>{"A", "B", "C"}));
    click("artist");
    EXPECT_EQ(Column(*form, "artist"), (std::vector<std::string>{"C", "B", "A"}));
    // Album first, the artist's descending order within it.
    click("album");
    click("artist", Qt::ControlModifier);
    click("artist", Qt::ControlModifier);
    EXPECT_EQ(Column(*form, "title"), (std::vector<std::string>{"T1", "T3", "T2"}));
}

TEST_F(MainFormListTest, ViewsSwitchAndTheLayoutComesBackAtTheNextStart) {
    const std::string config = Config(Catalogue());
    {
        const auto form = Start(config);
        TSongsGridView* grid = Songs(*form);
        EXPECT_TRUE(form->Action("AGridFull")->isChecked());
        grid->horizontalHeader()->resizeSection(ColumnIndex(*form, "artist"), 173);
        grid->ClickHeading("artist", false);
        form->Action("AColumnFileDate")->trigger();
        EXPECT_FALSE(form->Action("AColumnFileDate")->isChecked());
        EXPECT_TRUE(grid->isColumnHidden(ColumnIndex(*form, "filedate")));

        for (int round = 0; round < 2; ++round) {
            form->Action("AGridShort")->trigger();
            EXPECT_TRUE(form->Action("AGridShort")->isChecked());
            EXPECT_FALSE(form->Action("AGridFull")->isChecked());
            EXPECT_TRUE(grid->horizontalHeader()->isHidden());
            EXPECT_FALSE(grid->isColumnHidden(ColumnIndex(*form, "title")));
            EXPECT_TRUE(grid->isColumnHidden(ColumnIndex(*form, "artist")));
            EXPECT_FALSE(form->Action("AColumnArtist")->isChecked());
            // Pressing the button of the view shown keeps it.
            form->Action("AGridShort")->trigger();
            EXPECT_TRUE(form->Action("AGridShort")->isChecked());
            EXPECT_TRUE(grid->isColumnHidden(ColumnIndex(*form, "artist")));
            form->Action("AGridFull")->trigger();
            EXPECT_TRUE(form->Action("AGridFull")->isChecked());
            EXPECT_FALSE(form->Action("AGridShort")->isChecked());
            EXPECT_FALSE(grid->horizontalHeader()->isHidden());
            EXPECT_FALSE(grid->isColumnHidden(ColumnIndex(*form, "artist")));
            EXPECT_EQ(grid->columnWidth(ColumnIndex(*form, "artist")), 173);
        }
        // Closed in the short view: what is stored is the full view's layout.
        form->Action("AGridShort")->trigger();
        form->close();
    }
    const auto form = Start();
    TSongsGridView* grid = Songs(*form);
    EXPECT_TRUE(form->Action("AGridShort")->isChecked());
    EXPECT_TRUE(grid->horizontalHeader()->isHidden());
    EXPECT_TRUE(grid->isColumnHidden(ColumnIndex(*form, "artist")));
    EXPECT_EQ(Column(*form, "artist"), (std::vector<std::string>{"A", "B", "C"}));
    form->Action("AGridFull")->trigger();
    EXPECT_FALSE(grid->isColumnHidden(ColumnIndex(*form, "artist")));
    EXPECT_EQ(grid->columnWidth(ColumnIndex(*form, "artist")), 173);
    EXPECT_TRUE(grid->isColumnHidden(ColumnIndex(*form, "filedate")));
    EXPECT_FALSE(form->Action("AColumnFileDate")->isChecked());
}

} // namespace
