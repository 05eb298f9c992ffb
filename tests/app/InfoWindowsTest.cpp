#include "../catalogue/OldCatalogues.h"
#include "GuiTestSupport.h"
#include "app/ErrorForm.h"
#include "app/InfoForm.h"
#include "catalogue/CatalogueConnection.h"
#include "catalogue/Statistics.h"

#include <QAction>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>

#include <regex>

namespace {

std::string Tab(const std::string& file, int size) {
    return "INSERT INTO tablatures(title, filename, filesize) VALUES('x', '" + file + "', " +
           std::to_string(size) + ");";
}

std::vector<QStringList> GridTexts(const QTableWidget& grid) {
    std::vector<QStringList> rows(grid.rowCount());
    for (int r = 0; r < grid.rowCount(); ++r)
        for (int c = 0; c < grid.columnCount(); ++c)
            rows[r] << grid.item(r, c)->text();
    return rows;
}

QString Kb(double value) {
    return QString::fromStdString(DecimalText(value));
}

// Every family, extensions in capitals counted in theirs, one file of no family in the total only.
TEST(InfoForm, ShowsTheFileTheLastUpdateAndTheStatistics) {
    TTempDir dir;
    const std::string db = dir / "tabs.db3";
    MakeCatalogue(db, 3, "'3'",
                  Tab("/t/a.gp5", 1024) + Tab("/t/B.GP4", 1024) + Tab("/t/c.GPX", 1024) +
                      Tab("/t/d.gtp", 1024) + Tab("/t/e.TG", 512) + Tab("/t/f.tg", 512) +
                      Tab("/t/g.Tg", 512) + Tab("/t/h.TEF", 2048) + Tab("/t/i.tef", 1024) +
                      Tab("/t/j.PTB", 100) + Tab("/t/k.gp", 100) +
                      "INSERT INTO dbinfo VALUES('upd_date', '05/03/2010'), ('upd_time', '14:07:36');");
    TCatalogueConnection connection;
    connection.Open(db);
    TInfoForm form;
    form.Fill(connection, db);
    EXPECT_EQ(Child<QLineEdit>(form, "EFileName")->text().toStdString(), db);
    const std::string size = Child<QLineEdit>(form, "EFileSize")->text().toStdString();
    EXPECT_TRUE(std::regex_match(
        size, std::regex("0[.,]\\d\\d MB \\(" + std::to_string(std::filesystem::file_size(db)) + " B\\)")))
        << size;
    EXPECT_EQ(Child<QLineEdit>(form, "ELastUpdate")->text(), "05/03/2010 14:07:36");
    const auto* grid = Child<QTableWidget>(form, "StatGrid");
    const std::vector<QStringList> expected = {
        {"Guitar Pro", "4", Kb(4), Kb(1)},  {"TuxGuitar", "3", Kb(1.5), Kb(0.5)},
        {"TablEdit", "2", Kb(3), Kb(1.5)},  {"Power Tab", "1", Kb(0.1), Kb(0.1)},
        {"Total", "11", Kb(8.7), Kb(0.79)},
    };
    EXPECT_EQ(GridTexts(*grid), expected);
    for (int r = 0; r < grid->rowCount(); ++r)
        for (int c = 0; c < grid->columnCount(); ++c)
            EXPECT_EQ(grid->item(r, c)->background().color(),
                      r == grid->rowCount() - 1 ? QColor(238, 238, 238) : QColor(Qt::white))
                << r << "," << c;
    EXPECT_TRUE(connection.Close()) << "a statement was left open";
}

TEST(InfoForm, AFamilyWithoutFilesShowsNoSizes) {
    TTempDir dir;
    const std::string db = dir / "tabs.db3";
    MakeCatalogue(db, 3, "'3'", Tab("/t/a.gp5", 1024));
    TCatalogueConnection connection;
    connection.Open(db);
    TInfoForm form;
    form.Fill(connection, db);
    const std::vector<QStringList> rows = GridTexts(*Child<QTableWidget>(form, "StatGrid"));
    ASSERT_EQ(rows.size(), 5u);
    EXPECT_EQ(rows[1].mid(1), (QStringList{"0", "", ""}));
    EXPECT_EQ(Child<QLineEdit>(form, "ELastUpdate")->text(), " ");
}

// The error-list button shows only when the last update had errors, and opens their list.
TEST(InfoForm, ErrorListButtonOpensTheErrors) {
    TTempDir dir;
    const std::string db = dir / "tabs.db3";
    MakeCatalogue(db, 3, "'3'",
                  "INSERT INTO errors(filename, error) VALUES('/t/a.gp5', 'Cannot read BYTE'), "
                  "('/t/b.ptb', 'Stream read error'), ('/t/c.tg', 'Unsupported version');");
    TCatalogueConnection connection;
    connection.Open(db);
    for (const char* count : {"", "'0'", "'x'", "'3'"}) {
        SCOPED_TRACE(count);
        ExecSql(db,
                "DELETE FROM dbinfo WHERE iKey = 'err_count';" +
                    (*count ? "INSERT INTO dbinfo VALUES('err_count', " + std::string(count) + ");" : ""));
        TInfoForm form;
        form.Fill(connection, db);
        EXPECT_EQ(Child<QAction>(form, "ShowErrorsAction")->isVisible(), std::string(count) == "'3'");
    }
    TInfoForm form;
    form.Fill(connection, db);
    std::vector<QStringList> listed;
    WhenModal<TErrorForm>([&](TErrorForm& errors) {
        listed = GridTexts(*Child<QTableWidget>(errors, "ErrorsGrid"));
        Child<QPushButton>(errors, "BtnOK")->click();
    });
    Child<QAction>(form, "ShowErrorsAction")->trigger();
    const std::vector<QStringList> expected = {{"/t/a.gp5", "Cannot read BYTE"},
                                               {"/t/b.ptb", "Stream read error"},
                                               {"/t/c.tg", "Unsupported version"}};
    EXPECT_EQ(listed, expected);
}

TEST(InfoForm, ACatalogueFileThatIsGoneIsAFailure) {
    TTempDir dir;
    const std::string db = dir / "tabs.db3";
    MakeCatalogue(db, 3, "'3'");
    TCatalogueConnection connection;
    connection.Open(db);
    std::filesystem::remove(db);
    TInfoForm form;
    EXPECT_THROW(form.Fill(connection, db), std::filesystem::filesystem_error);
}

} // namespace
